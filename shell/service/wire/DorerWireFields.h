// One description of each payload for both directions: a structure lists its fields once, in
// stream order, in a static member template `fields(visitor, self)`; a payload keyed by its
// update or request id lists them in one switch. The writer visits a const value, the reader
// a mutable one, so the two directions cannot drift apart.
//
// Field kinds: scalars, texts and buffers as the stream writes them; enumerations as uint32;
// structures with `fields` recursively; vectors as a count and their elements (a reader
// bounds the count by the element's least stream size, TDorerWireSize).
#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>
#include <vector>

#include "piq/QFStreams.h"

template <class T>
struct TDorerWireSize;

class CDorerFieldWriter;
class CDorerFieldReader;

template <class T, class = void>
struct THasDorerFields : std::false_type {};
template <class T>
struct THasDorerFields<T, std::void_t<decltype(T::fields(std::declval<CDorerFieldReader&>(), std::declval<T&>()))>>
    : std::true_type {};

template <class T, std::enable_if_t<THasDorerFields<T>::value, int> = 0>
void writeValue(IQFOStream& out, const T& value);
template <class T, std::enable_if_t<THasDorerFields<T>::value, int> = 0>
void readValue(IQFIStream& in, T& value);

class CDorerFieldWriter {
public:
    explicit CDorerFieldWriter(IQFOStream& out) : mOut(out) {}
    template <class T>
    void operator()(const T& value) {
        if constexpr (std::is_enum_v<T>) {
            mOut.write(static_cast<uint32_t>(value));
        } else if constexpr (THasDorerFields<T>::value) {
            T::fields(*this, value);
        } else {
            mOut.write(value);
        }
    }
    template <class T>
    void operator()(const std::vector<T>& values) {
        writeVector(mOut, values);
    }

private:
    IQFOStream& mOut;
};

class CDorerFieldReader {
public:
    explicit CDorerFieldReader(IQFIStream& in) : mIn(in) {}
    template <class T>
    void operator()(T& value) {
        if constexpr (std::is_enum_v<T>) {
            uint32_t raw = value;  // kept when the read fails
            mIn.read(raw);
            value = static_cast<T>(raw);
        } else if constexpr (THasDorerFields<T>::value) {
            T::fields(*this, value);
        } else {
            mIn.read(value);
        }
    }
    template <class T>
    void operator()(std::vector<T>& values) {
        readVector(mIn, values, TDorerWireSize<T>::value);
    }

private:
    IQFIStream& mIn;
};

template <class T, std::enable_if_t<THasDorerFields<T>::value, int>>
void writeValue(IQFOStream& out, const T& value) {
    CDorerFieldWriter writer(out);
    T::fields(writer, value);
}

template <class T, std::enable_if_t<THasDorerFields<T>::value, int>>
void readValue(IQFIStream& in, T& value) {
    CDorerFieldReader reader(in);
    T::fields(reader, value);
}
