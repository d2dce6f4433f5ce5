#include "DorerShellValueText.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>

#include "DorerShellFormat.h"
#include "EDorerValueType.h"

namespace NDorerShellValueText {

namespace {

bool allOf(const std::string& text, size_t from, int (*test)(int)) {
    if (from >= text.size()) return false;
    for (size_t i = from; i < text.size(); ++i) {
        if (!test(static_cast<unsigned char>(text[i]))) return false;
    }
    return true;
}

bool isHexForm(const std::string& text) {
    return text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') && allOf(text, 2, isxdigit);
}

// Read with base 0, so a leading 0 is octal; digits the base cannot take ("09") do not fit.
bool readUnsigned(const std::string& text, uint64_t max, uint64_t& value) {
    if (!isHexForm(text) && !allOf(text, 0, isdigit)) return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long read = strtoull(text.c_str(), &end, 0);
    if (errno == ERANGE || *end != '\0' || read > max) return false;
    value = read;
    return true;
}

bool readSigned(const std::string& text, int64_t min, int64_t max, int64_t& value) {
    const bool negativeDecimal = text.size() > 1 && text[0] == '-' && allOf(text, 1, isdigit);
    if (!negativeDecimal && !isHexForm(text) && !allOf(text, 0, isdigit)) return false;
    errno = 0;
    char* end = nullptr;
    const long long read = strtoll(text.c_str(), &end, 0);
    if (errno == ERANGE || *end != '\0' || read < min || read > max) return false;
    value = read;
    return true;
}

// An optionally signed decimal number with an optional fraction and exponent (the stream form
// getk prints for large and small values).
bool isDecimalNumber(const std::string& text) {
    size_t i = 0, digits = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    for (; i < text.size() && isdigit(static_cast<unsigned char>(text[i])); ++i) ++digits;
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && isdigit(static_cast<unsigned char>(text[i])); ++i) ++digits;
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
        if (!allOf(text.substr(i), 0, isdigit)) return false;
        i = text.size();
    }
    return i == text.size();
}

void putLittleEndian(uint64_t value, size_t width, CQFBuffer& out) {
    out.resize(width);
    for (size_t i = 0; i < width; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

// A value shorter than the width (a short default) reads as if padded with zero bytes.
uint64_t getLittleEndian(const CQFBuffer& value, size_t width) {
    uint64_t number = 0;
    for (size_t i = 0; i < width && i < value.getSize(); ++i) number |= static_cast<uint64_t>(value[i]) << (8 * i);
    return number;
}

int64_t signExtend(uint64_t number, size_t width) {
    const unsigned bits = static_cast<unsigned>(8 * width);
    if (bits < 64 && (number & (uint64_t{1} << (bits - 1)))) number |= ~uint64_t{0} << bits;
    return static_cast<int64_t>(number);
}

template <class TFloat>
CQFString formatFloat(const CQFBuffer& value) {
    CQFBuffer bytes(sizeof(TFloat));
    for (size_t i = 0; i < bytes.getSize() && i < value.getSize(); ++i) bytes[i] = value[i];
    TFloat number;
    memcpy(&number, bytes.getData(), sizeof number);
    std::ostringstream text;
    text << number;
    return CQFString(text.str());
}

template <class TFloat>
bool parseFloat(const std::string& text, CQFBuffer& out) {
    if (!isDecimalNumber(text)) return false;
    errno = 0;
    TFloat number;
    if constexpr (sizeof(TFloat) == sizeof(float)) {
        number = strtof(text.c_str(), nullptr);
    } else {
        number = strtod(text.c_str(), nullptr);
    }
    if (errno == ERANGE && std::isinf(number)) return false;
    out = CQFBuffer(&number, sizeof number);
    return true;
}

bool parseSigned(const std::string& text, size_t width, CQFBuffer& out) {
    const int64_t max = width == 8 ? std::numeric_limits<int64_t>::max() : (int64_t{1} << (8 * width - 1)) - 1;
    int64_t value = 0;
    if (!readSigned(text, -max - 1, max, value)) return false;
    putLittleEndian(static_cast<uint64_t>(value), width, out);
    return true;
}

bool parseUnsigned(const std::string& text, size_t width, CQFBuffer& out) {
    const uint64_t max = width == 8 ? std::numeric_limits<uint64_t>::max() : (uint64_t{1} << (8 * width)) - 1;
    uint64_t value = 0;
    if (!readUnsigned(text, max, value)) return false;
    putLittleEndian(value, width, out);
    return true;
}

}  // namespace

CQFString formatKeyValue(uint32_t valueType, const CQFBuffer& value) {
    CQFString text;
    switch (valueType) {
        case eDorerValueBool: return !value.isEmpty() && value[0] != 0 ? "true" : "false";
        case eDorerValueInt8:
        case eDorerValueUInt8:
        case eDorerValueCQFBuffer:
        case eDorerValueCQFByteStream: return NDorerShellFormat::formatBytes(value);
        case eDorerValueInt16: return text.format("%lld", static_cast<long long>(signExtend(getLittleEndian(value, 2), 2)));
        case eDorerValueInt32: return text.format("%lld", static_cast<long long>(signExtend(getLittleEndian(value, 4), 4)));
        case eDorerValueInt64: return text.format("%lld", static_cast<long long>(signExtend(getLittleEndian(value, 8), 8)));
        case eDorerValueUInt16: return text.format("%llu", static_cast<unsigned long long>(getLittleEndian(value, 2)));
        case eDorerValueUInt32: return text.format("%llu", static_cast<unsigned long long>(getLittleEndian(value, 4)));
        case eDorerValueUInt64: return text.format("%llu", static_cast<unsigned long long>(getLittleEndian(value, 8)));
        case eDorerValueFloat: return formatFloat<float>(value);
        case eDorerValueDouble: return formatFloat<double>(value);
        case eDorerValueCQFString: {
            // The characters up to a terminator: printed text ends at the first NUL anyway, and
            // with it everything after it on the result.
            const char* characters = reinterpret_cast<const char*>(value.getData());
            return characters ? CQFString(characters, strnlen(characters, value.getSize())) : CQFString();
        }
        default: return text;
    }
}

bool parseKeyValue(uint32_t valueType, const CQFString& text, CQFBuffer& out) {
    out.clear();
    const std::string& s = text.str();
    bool ok = false;
    switch (valueType) {
        case eDorerValueBool: {
            const bool isTrue = s == "true" || s == "1";
            ok = isTrue || s == "false" || s == "0";
            const uint8_t byte = isTrue ? 1 : 0;
            out = CQFBuffer(&byte, 1);
            break;
        }
        case eDorerValueInt8:
            // An Int8 shows as its byte, so the byte's hex form is taken as well ("0xff" is -1).
            ok = isHexForm(s) ? parseUnsigned(s, 1, out) : parseSigned(s, 1, out);
            break;
        case eDorerValueInt16: ok = parseSigned(s, 2, out); break;
        case eDorerValueInt32: ok = parseSigned(s, 4, out); break;
        case eDorerValueInt64: ok = parseSigned(s, 8, out); break;
        case eDorerValueUInt8: ok = parseUnsigned(s, 1, out); break;
        case eDorerValueUInt16: ok = parseUnsigned(s, 2, out); break;
        case eDorerValueUInt32: ok = parseUnsigned(s, 4, out); break;
        case eDorerValueUInt64: ok = parseUnsigned(s, 8, out); break;
        case eDorerValueFloat: ok = parseFloat<float>(s, out); break;
        case eDorerValueDouble: ok = parseFloat<double>(s, out); break;
        case eDorerValueCQFBuffer:
        case eDorerValueCQFByteStream: ok = parseByteList(text, out); break;
        case eDorerValueCQFString:
            out = CQFBuffer(s.data(), s.size());
            ok = true;
            break;
        default: break;
    }
    if (!ok) out.clear();
    return ok;
}

bool parseByteList(const CQFString& text, CQFBuffer& out) {
    out.clear();
    std::istringstream pieces(text.str());
    for (std::string piece; std::getline(pieces, piece, ' ');) {
        const std::string trimmed = CQFString(piece).trim().str();
        if (!isNumber(CQFString(trimmed))) continue;
        errno = 0;
        char* end = nullptr;
        const unsigned long long byte = strtoull(trimmed.c_str(), &end, 0);
        if (*end != '\0') continue;  // digits octal cannot take ("09") are no number
        if (errno == ERANGE || byte > 255) break;
        const uint8_t value = static_cast<uint8_t>(byte);
        out.copyTo(&value, 1, out.getSize());
    }
    return !out.isEmpty();
}

bool isNumber(const CQFString& text) { return isHexForm(text.str()) || allOf(text.str(), 0, isdigit); }

}  // namespace NDorerShellValueText
