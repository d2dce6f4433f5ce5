// The middleware's typed streams. A PIQ stream holds one event (header and payload) in a
// byte buffer; every scalar is in host byte order, and 4- and 2-byte values are aligned to
// their size counted from the buffer's first byte (skipped bytes carry no meaning). A
// boolean travels as a 4-byte 1 or 0 and reads true for any non-zero word; a string as a
// uint32 count (text length + 1, or 0 for the empty string) and its bytes with the NUL; a
// buffer as a uint32 size and its raw bytes; a vector as a uint32 count and its elements.
//
// A read past the end, a count that the remaining bytes cannot hold or a negative count
// puts the stream in its error state; from then on reads and writes do nothing and targets
// keep their values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "qf/CQFBuffer.h"
#include "qf/CQFString.h"

class IQFIStream {
public:
    virtual ~IQFIStream() = default;
    virtual bool isGood() const = 0;
    virtual void setError() = 0;
    virtual size_t getRemaining() const = 0;
    virtual void read(uint32_t& value) = 0;
    virtual void read(int32_t& value) = 0;
    virtual void read(uint16_t& value) = 0;
    virtual void read(uint8_t& value) = 0;
    virtual void read(bool& value) = 0;
    virtual void read(CQFString& value) = 0;
    virtual void read(CQFBuffer& value) = 0;

    // An element count of a vector whose elements take at least minElementBytes each on the
    // stream; false (and the error state) when the count is negative as an int32 or cannot fit.
    bool readCount(uint32_t& count, size_t minElementBytes);
};

class IQFOStream {
public:
    virtual ~IQFOStream() = default;
    virtual bool isGood() const = 0;
    virtual void write(uint32_t value) = 0;
    virtual void write(int32_t value) = 0;
    virtual void write(uint16_t value) = 0;
    virtual void write(uint8_t value) = 0;
    virtual void write(bool value) = 0;
    virtual void write(const CQFString& value) = 0;
    virtual void write(const CQFBuffer& value) = 0;
};

// Reads one event from bytes received whole.
class CQFPIQIStream : public IQFIStream {
public:
    explicit CQFPIQIStream(CQFBuffer bytes) : mBytes(std::move(bytes)), mStream(mBytes) {}
    CQFPIQIStream(const CQFPIQIStream&) = delete;
    CQFPIQIStream& operator=(const CQFPIQIStream&) = delete;

    bool isGood() const override { return mGood; }
    void setError() override { mGood = false; }
    size_t getRemaining() const override { return mStream.getRemaining(); }
    size_t getPosition() const { return mStream.getPosition(); }
    void read(uint32_t& value) override;
    void read(int32_t& value) override;
    void read(uint16_t& value) override;
    void read(uint8_t& value) override;
    void read(bool& value) override;
    void read(CQFString& value) override;
    void read(CQFBuffer& value) override;

private:
    template <class T>
    void readAligned(T& value);
    bool readRaw(void* target, size_t count);

    CQFBuffer mBytes;
    CQFByteStream mStream;
    bool mGood = true;
};

// Writes one event into a growing buffer.
class CQFPIQOStream : public IQFOStream {
public:
    CQFPIQOStream() : mStream(mBytes) {}
    CQFPIQOStream(const CQFPIQOStream&) = delete;
    CQFPIQOStream& operator=(const CQFPIQOStream&) = delete;

    bool isGood() const override { return true; }
    size_t getPosition() const { return mStream.getPosition(); }
    const CQFBuffer& getBytes() const { return mBytes; }
    void write(uint32_t value) override { writeAligned(value); }
    void write(int32_t value) override { writeAligned(value); }
    void write(uint16_t value) override { writeAligned(value); }
    void write(uint8_t value) override { mStream.write(value); }
    void write(bool value) override { writeAligned(static_cast<uint32_t>(value ? 1 : 0)); }
    void write(const CQFString& value) override;
    void write(const CQFBuffer& value) override;
    // Appends bytes as they are (an encoded payload), unaligned.
    void writeRaw(const void* data, size_t count) { mStream.writeBytes(data, count); }

private:
    template <class T>
    void writeAligned(T value) {
        mStream.alignWrite(sizeof value);
        mStream.write(value);
    }

    CQFBuffer mBytes;
    CQFByteStream mStream;
};

// Vectors of values that have readValue/writeValue overloads (found by argument-dependent
// lookup or declared before use). The reader resizes the target to the count with default
// elements, gives back spare capacity when the count is less than half the old length, and
// reads every element in order.
template <class T>
void writeVector(IQFOStream& out, const std::vector<T>& values) {
    out.write(static_cast<uint32_t>(values.size()));
    for (const T& value : values) writeValue(out, value);
}

template <class T>
void readVector(IQFIStream& in, std::vector<T>& values, size_t minElementBytes) {
    uint32_t count = 0;
    if (!in.readCount(count, minElementBytes)) return;
    const size_t previous = values.size();
    values.assign(count, T());
    if (count < previous / 2) values.shrink_to_fit();
    for (T& value : values) readValue(in, value);
}
