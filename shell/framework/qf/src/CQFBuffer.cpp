#include "qf/CQFBuffer.h"

CQFBuffer::CQFBuffer(const void* data, size_t count) {
    if (data && count) copyTo(data, count, 0);
}

void CQFBuffer::copyTo(const void* source, size_t count, size_t offset) {
    if (count == 0) return;
    if (offset + count > mBytes.size()) mBytes.resize(offset + count, 0);
    std::memmove(mBytes.data() + offset, source, count);
}

void CQFBuffer::truncate(size_t size) {
    if (size < mBytes.size()) mBytes.resize(size);
}

bool CQFByteStream::setPosition(size_t position) {
    if (position > mBuffer.getSize()) return false;
    mPosition = position;
    return true;
}

void CQFByteStream::writeBytes(const void* data, size_t count) {
    mBuffer.copyTo(data, count, mPosition);
    mPosition += count;
}

bool CQFByteStream::readBytes(void* target, size_t count) {
    if (count > getRemaining()) {
        mGood = false;
        return false;
    }
    if (count) std::memcpy(target, mBuffer.getData() + mPosition, count);
    mPosition += count;
    return true;
}

void CQFByteStream::alignWrite(size_t alignment) {
    if (alignment < 2) return;
    static const uint8_t zeros[16] = {};
    while (mPosition % alignment) writeBytes(zeros, 1);
}

bool CQFByteStream::alignRead(size_t alignment) {
    if (alignment < 2) return true;
    const size_t padding = (alignment - mPosition % alignment) % alignment;
    if (padding > getRemaining()) {
        mGood = false;
        return false;
    }
    mPosition += padding;
    return true;
}
