// CQFBuffer: an owned, resizable byte buffer. CQFByteStream: sequential typed reading and
// writing over a CQFBuffer, never past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

class CQFBuffer {
public:
    CQFBuffer() = default;
    explicit CQFBuffer(size_t size) : mBytes(size, 0) {}
    CQFBuffer(const void* data, size_t count);

    size_t getSize() const { return mBytes.size(); }
    bool isEmpty() const { return mBytes.empty(); }
    // Pointers to the bytes; null for an empty buffer.
    uint8_t* getData() { return mBytes.empty() ? nullptr : mBytes.data(); }
    const uint8_t* getData() const { return mBytes.empty() ? nullptr : mBytes.data(); }
    uint8_t& operator[](size_t index) { return mBytes[index]; }
    uint8_t operator[](size_t index) const { return mBytes[index]; }

    // Copies count bytes from source into the buffer at offset, growing the buffer when
    // offset + count lies beyond its end (a gap is zero-filled).
    void copyTo(const void* source, size_t count, size_t offset);
    // New bytes are zero.
    void resize(size_t size) { mBytes.resize(size, 0); }
    // Shortens to size; a larger size leaves the buffer unchanged.
    void truncate(size_t size);
    void clear() { mBytes.clear(); }

    bool operator==(const CQFBuffer& other) const { return mBytes == other.mBytes; }
    bool operator!=(const CQFBuffer& other) const { return mBytes != other.mBytes; }

private:
    std::vector<uint8_t> mBytes;
};

// Writing appends at the position (growing the buffer); reading fails (returns false and
// leaves the target untouched) when fewer bytes remain than asked for, and a failed read
// marks the stream bad. Host byte order; align() counts from the buffer's first byte.
class CQFByteStream {
public:
    explicit CQFByteStream(CQFBuffer& buffer) : mBuffer(buffer) {}

    size_t getPosition() const { return mPosition; }
    // False when the position lies beyond the end.
    bool setPosition(size_t position);
    size_t getRemaining() const { return mPosition < mBuffer.getSize() ? mBuffer.getSize() - mPosition : 0; }
    bool isGood() const { return mGood; }

    void writeBytes(const void* data, size_t count);
    bool readBytes(void* target, size_t count);
    // Moves the position to the next multiple of alignment: writing pads with zero bytes,
    // reading skips (and fails when the skip leaves the buffer).
    void alignWrite(size_t alignment);
    bool alignRead(size_t alignment);

    template <class T>
    void write(const T& value) {
        static_assert(std::is_trivially_copyable<T>::value, "scalars and plain records only");
        writeBytes(&value, sizeof value);
    }
    template <class T>
    bool read(T& value) {
        static_assert(std::is_trivially_copyable<T>::value, "scalars and plain records only");
        return readBytes(&value, sizeof value);
    }

private:
    CQFBuffer& mBuffer;
    size_t mPosition = 0;
    bool mGood = true;
};
