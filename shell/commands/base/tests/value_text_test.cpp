// Item values typed by users and shown to them: conversions by value type and byte lists.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "DorerShellValueText.h"
#include "EDorerValueType.h"

namespace {

using NDorerShellValueText::formatKeyValue;
using NDorerShellValueText::isNumber;
using NDorerShellValueText::parseByteList;
using NDorerShellValueText::parseKeyValue;

CQFBuffer bytes(const std::vector<uint8_t>& list) { return CQFBuffer(list.data(), list.size()); }

std::vector<uint8_t> toVector(const CQFBuffer& buffer) {
    return std::vector<uint8_t>(buffer.getData(), buffer.getData() + buffer.getSize());
}

TEST(ValueTextTest, ParseKeyValueByTypeWithRangesAndRefusals) {
    struct Case {
        uint32_t type;
        const char* text;
        bool ok;
        std::vector<uint8_t> stored;
    } cases[] = {
        {eDorerValueBool, "true", true, {1}},
        {eDorerValueBool, "1", true, {1}},
        {eDorerValueBool, "false", true, {0}},
        {eDorerValueBool, "0", true, {0}},
        {eDorerValueBool, "yes", false, {}},
        {eDorerValueBool, "TRUE", false, {}},
        {eDorerValueInt8, "-128", true, {0x80}},
        {eDorerValueInt8, "127", true, {0x7F}},
        {eDorerValueInt8, "128", false, {}},
        {eDorerValueInt8, "-129", false, {}},
        {eDorerValueInt8, "0x7f", true, {0x7F}},
        {eDorerValueInt8, "0xff", true, {0xFF}},  // the form getk shows
        {eDorerValueInt8, "0x100", false, {}},
        {eDorerValueInt8, "-0x10", false, {}},
        {eDorerValueInt16, "-2", true, {0xFE, 0xFF}},
        {eDorerValueInt16, "010", true, {8, 0}},  // a leading 0 is octal
        {eDorerValueInt16, "09", false, {}},      // and octal has no 9
        {eDorerValueInt32, "-2147483648", true, {0, 0, 0, 0x80}},
        {eDorerValueInt32, "2147483648", false, {}},
        {eDorerValueInt64, "-9223372036854775808", true, {0, 0, 0, 0, 0, 0, 0, 0x80}},
        {eDorerValueInt64, "9223372036854775808", false, {}},
        {eDorerValueUInt8, "255", true, {0xFF}},
        {eDorerValueUInt8, "256", false, {}},
        {eDorerValueUInt8, "-1", false, {}},
        {eDorerValueUInt8, " 5", false, {}},
        {eDorerValueUInt8, "5 ", false, {}},
        {eDorerValueUInt8, "0x", false, {}},
        {eDorerValueUInt8, "+5", false, {}},
        {eDorerValueUInt16, "0X1234", true, {0x34, 0x12}},
        {eDorerValueUInt16, "65536", false, {}},
        {eDorerValueUInt32, "4294967295", true, {0xFF, 0xFF, 0xFF, 0xFF}},
        {eDorerValueUInt32, "4294967296", false, {}},
        {eDorerValueUInt64, "18446744073709551615", true, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {eDorerValueUInt64, "18446744073709551616", false, {}},
        {eDorerValueFloat, "1.5", true, {0x00, 0x00, 0xC0, 0x3F}},
        {eDorerValueFloat, "-2", true, {0x00, 0x00, 0x00, 0xC0}},
        {eDorerValueFloat, "1e+06", true, {0x00, 0x24, 0x74, 0x49}},
        {eDorerValueFloat, "1e39", false, {}},
        {eDorerValueFloat, "inf", false, {}},
        {eDorerValueFloat, "1.5x", false, {}},
        {eDorerValueDouble, "0.25", true, {0, 0, 0, 0, 0, 0, 0xD0, 0x3F}},
        {eDorerValueCQFBuffer, "0x01 2 0x3f", true, {1, 2, 0x3F}},
        {eDorerValueCQFByteStream, "x", false, {}},
        {eDorerValueCQFString, "a b", true, {'a', ' ', 'b'}},
        {eDorerValueUndefined, "1", false, {}},
        {15, "1", false, {}},
    };
    for (const Case& c : cases) {
        CQFBuffer out = bytes({0xAA});
        EXPECT_EQ(c.ok, parseKeyValue(c.type, c.text, out)) << c.type << " '" << c.text << "'";
        EXPECT_EQ(c.stored, toVector(out)) << c.type << " '" << c.text << "'";
    }
}

TEST(ValueTextTest, FormatKeyValueByType) {
    struct Case {
        uint32_t type;
        std::vector<uint8_t> value;
        const char* text;
    } cases[] = {
        {eDorerValueBool, {0x02}, "true"},
        {eDorerValueBool, {0x00}, "false"},
        {eDorerValueBool, {}, "false"},
        {eDorerValueInt8, {0xFF}, "0xff"},
        {eDorerValueUInt8, {0x05, 0x10}, "0x05 0x10"},
        {eDorerValueCQFBuffer, {}, ""},
        {eDorerValueInt16, {0xFE, 0xFF}, "-2"},
        {eDorerValueUInt16, {0xFE, 0xFF}, "65534"},
        {eDorerValueUInt16, {0x05}, "5"},  // a short value reads as zero-padded
        {eDorerValueInt32, {0x00, 0x00, 0x00, 0x80}, "-2147483648"},
        {eDorerValueInt64, {0xF8, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, "-8"},
        {eDorerValueUInt64, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, "18446744073709551615"},
        {eDorerValueFloat, {0x00, 0x24, 0x74, 0x49}, "1e+06"},
        {eDorerValueFloat, {0xDB, 0x0F, 0x49, 0x40}, "3.14159"},
        {eDorerValueDouble, {0, 0, 0, 0, 0, 0, 0xD0, 0x3F}, "0.25"},
        {eDorerValueCQFString, {'a', 'b', 'c'}, "abc"},
        {eDorerValueCQFString, {'a', 0, 'c'}, "a"},  // the text ends at a terminator
        {eDorerValueUndefined, {1}, ""},
        {99, {1}, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(c.text, formatKeyValue(c.type, bytes(c.value)).str()) << c.type;
}

TEST(ValueTextTest, ByteListsSkipNonNumbersAndEndAboveByteRange) {
    struct Case {
        const char* text;
        std::vector<uint8_t> list;
    } cases[] = {
        {"0x01 0x02 0x03", {1, 2, 3}},
        {"  1   2  ", {1, 2}},
        {"0X0A\t 255", {10, 255}},
        {"1 x 2", {1, 2}},
        {"1 09 2", {1, 2}},
        {"1 256 2", {1}},
        {"1 99999999999999999999999 2", {1}},
        {"-1 3", {3}},
        {"\"20\"", {}},
        {"", {}},
        {"abc", {}},
    };
    for (const Case& c : cases) {
        CQFBuffer out = bytes({0xAA});
        EXPECT_EQ(!c.list.empty(), parseByteList(c.text, out)) << c.text;
        EXPECT_EQ(c.list, toVector(out)) << c.text;
    }
}

TEST(ValueTextTest, NumbersAreDecimalDigitsOrHex) {
    for (const char* number : {"0", "20", "0x1f", "0XAB", "010"}) EXPECT_TRUE(isNumber(number)) << number;
    for (const char* text : {"", "0x", "-1", "1 2", "aktiv", "0x1g", " 1", "\"20\""}) EXPECT_FALSE(isNumber(text)) << text;
}

}  // namespace
