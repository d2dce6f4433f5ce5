#include "piq/QFStreams.h"

bool IQFIStream::readCount(uint32_t& count, size_t minElementBytes) {
    uint32_t value = 0;
    read(value);
    if (!isGood()) return false;
    const size_t perElement = minElementBytes ? minElementBytes : 1;
    if (static_cast<int32_t>(value) < 0 || value > getRemaining() / perElement) {
        setError();
        return false;
    }
    count = value;
    return true;
}

bool CQFPIQIStream::readRaw(void* target, size_t count) {
    if (!mGood) return false;
    if (!mStream.readBytes(target, count)) mGood = false;
    return mGood;
}

template <class T>
void CQFPIQIStream::readAligned(T& value) {
    if (!mGood) return;
    if (!mStream.alignRead(sizeof value)) {
        mGood = false;
        return;
    }
    T read{};
    if (readRaw(&read, sizeof read)) value = read;
}

void CQFPIQIStream::read(uint32_t& value) { readAligned(value); }
void CQFPIQIStream::read(int32_t& value) { readAligned(value); }
void CQFPIQIStream::read(uint16_t& value) { readAligned(value); }

void CQFPIQIStream::read(uint8_t& value) {
    uint8_t read = 0;
    if (readRaw(&read, 1)) value = read;
}

void CQFPIQIStream::read(bool& value) {
    uint32_t word = value ? 1 : 0;
    readAligned(word);
    if (mGood) value = word != 0;
}

void CQFPIQIStream::read(CQFString& value) {
    uint32_t count = 0;
    readAligned(count);
    if (!mGood) return;
    if (count > getRemaining()) {
        mGood = false;
        return;
    }
    if (count == 0) {
        value = CQFString();
        return;
    }
    std::vector<char> bytes(count);
    if (readRaw(bytes.data(), count)) value = CQFString(bytes.data(), count - 1);
}

void CQFPIQIStream::read(CQFBuffer& value) {
    uint32_t size = 0;
    readAligned(size);
    if (!mGood) return;
    if (size > getRemaining()) {
        mGood = false;
        return;
    }
    CQFBuffer bytes(size);
    if (size == 0 || readRaw(bytes.getData(), size)) value = std::move(bytes);
}

void CQFPIQOStream::write(const CQFString& value) {
    if (value.isEmpty()) {
        write(static_cast<uint32_t>(0));
        return;
    }
    write(static_cast<uint32_t>(value.getByteLength() + 1));
    mStream.writeBytes(value.getCString(), value.getByteLength() + 1);
}

void CQFPIQOStream::write(const CQFBuffer& value) {
    write(static_cast<uint32_t>(value.getSize()));
    if (value.getSize()) mStream.writeBytes(value.getData(), value.getSize());
}
