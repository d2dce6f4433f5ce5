// The shell's line parser and the value conversions of setk, setc and byte lists over arbitrary
// lines. The first byte picks a value type (one past the enumeration's last stands for none);
// the rest is one line as the shell holds it (a read past it is an ASan report). Invariants:
// the parser's keyword, argument and data are the line's own pieces, the command found is the
// table's first match; a conversion either refuses with nothing or gives exactly its type's
// size, and what it gives prints as text that converts back to the same bytes; a coding
// function's value is exactly the function's size; the coding names' group and function are
// trimmed pieces of the text.
#include <strings.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "DorerDataNode.h"
#include "DorerShellCodingNames.h"
#include "DorerShellFormat.h"
#include "DorerShellParser.h"
#include "DorerShellValueText.h"
#include "EDorerValueType.h"
#include "fuzz_root.h"

namespace {

using namespace NDorerShellValueText;

// The bytes of a value of the type; 0 where the size follows the text.
size_t widthOf(uint32_t valueType) {
    switch (valueType) {
        case eDorerValueBool:
        case eDorerValueInt8:
        case eDorerValueUInt8: return 1;
        case eDorerValueInt16:
        case eDorerValueUInt16: return 2;
        case eDorerValueInt32:
        case eDorerValueUInt32:
        case eDorerValueFloat: return 4;
        case eDorerValueInt64:
        case eDorerValueUInt64:
        case eDorerValueDouble: return 8;
        default: return 0;
    }
}

bool isFloating(uint32_t valueType) { return valueType == eDorerValueFloat || valueType == eDorerValueDouble; }
bool isByteList(uint32_t valueType) {
    return valueType == eDorerValueCQFBuffer || valueType == eDorerValueCQFByteStream;
}

bool sameBytes(const CQFBuffer& a, const CQFBuffer& b) {
    return a.getSize() == b.getSize() && (a.getSize() == 0 || memcmp(a.getData(), b.getData(), a.getSize()) == 0);
}

bool isPieceOf(const std::string& piece, const std::string& text) { return text.find(piece) != std::string::npos; }

void checkParser(const std::string& line) {
    SDorerShellParseResult result;
    const bool parsed = parseCommandLine(CQFString(line), result);
    const size_t at = line.find_first_not_of(' ');
    FUZZ_CHECK(parsed == (at != std::string::npos));
    if (!parsed) return;
    const std::string keyword = line.substr(at, line.find(' ', at) - at);
    FUZZ_CHECK(result.mCommand == findCommand(CQFString(keyword)));
    const SDorerShellCommandInfo* info = NDorerShellCommandTable::begin();
    for (; info != NDorerShellCommandTable::end() && info != result.mCommand; ++info) {
        FUZZ_CHECK(!(keyword.size() >= strlen(info->mKeyword) &&
                     strncasecmp(keyword.c_str(), info->mKeyword, strlen(info->mKeyword)) == 0));
    }
    FUZZ_CHECK(info == result.mCommand || result.mCommand == nullptr);
    const std::string& argument = result.mStrArg.str();
    FUZZ_CHECK(argument.find_first_of(" =") == std::string::npos);
    FUZZ_CHECK(isPieceOf(argument, line));
    const std::string& data = result.mData.str();
    FUZZ_CHECK(data.size() < line.size() || data.empty());
    FUZZ_CHECK(line.compare(line.size() - data.size(), data.size(), data) == 0);
    if (result.mCommand && !result.mCommand->mTakesArguments) {
        FUZZ_CHECK(argument.empty() && data.empty() && result.mIntArg == 0);
    } else {
        FUZZ_CHECK(result.mIntArg == parseIntArg(result.mStrArg));
    }
}

void checkConversion(uint32_t valueType, const CQFString& text) {
    CQFBuffer value;
    if (!parseKeyValue(valueType, text, value)) {
        FUZZ_CHECK(value.isEmpty());
        return;
    }
    const size_t width = widthOf(valueType);
    if (width != 0) FUZZ_CHECK(value.getSize() == width);
    if (valueType == eDorerValueCQFString) {
        FUZZ_CHECK(sameBytes(value, CQFBuffer(text.getCString(), text.getByteLength())));
    }
    if (isByteList(valueType)) FUZZ_CHECK(value.getSize() >= 1 && value.getSize() <= text.getByteLength());
    // The default stream form of a floating-point number keeps six digits only.
    if (isFloating(valueType) || valueType == eDorerValueCQFString) return;
    CQFBuffer again;
    FUZZ_CHECK(parseKeyValue(valueType, formatKeyValue(valueType, value), again));
    FUZZ_CHECK(sameBytes(again, value));
}

void checkByteList(const CQFString& text) {
    CQFBuffer bytes;
    const bool read = parseByteList(text, bytes);
    FUZZ_CHECK(read == !bytes.isEmpty());
    FUZZ_CHECK(bytes.getSize() <= (text.getByteLength() + 1) / 2);
    if (!read) return;
    CQFBuffer again;
    FUZZ_CHECK(parseByteList(NDorerShellFormat::formatBytes(bytes), again) && sameBytes(again, bytes));
}

// A coding function without named values, and one whose values are named.
struct CodingFunctions {
    static constexpr uint8_t kOn = 1, kOff = 0, kTwenty = 0x14;
    DorerDataNodeRef plain = new DorerDataNodeCbFunction("PLAIN", 1, 2, 0, kDorerNoId);
    DorerDataNodeRef named = new DorerDataNodeCbFunction("NAMED", 2, 1, 3, kDorerNoId);
    CodingFunctions() {
        named->addChild(new DorerDataNodeCbCondParam("ON", 1, &kOn));
        named->addChild(new DorerDataNodeCbCondParam("OFF", 1, &kOff));
        named->addChild(new DorerDataNodeCbCondParam("20", 1, &kTwenty));
    }
};

void checkCodingValue(const CQFString& text) {
    static const CodingFunctions functions;
    const CQFString normalised = NDorerShellCodingNames::normalisedValue(text);
    FUZZ_CHECK(normalised.getByteLength() <= text.getByteLength());
    for (const DorerDataNodeRef& function : {functions.plain, functions.named}) {
        CQFBuffer value;
        if (!NDorerShellCodingNames::valueOf(*function, normalised, value)) continue;
        FUZZ_CHECK(value.getSize() == function->getSize());
        if (function == functions.named) {
            FUZZ_CHECK(NDorerShellCodingNames::findNamedValue(*function, value) != nullptr);
        }
    }
}

void checkCodingName(const CQFString& text) {
    CQFString group, function;
    NDorerShellCodingNames::split(text, group, function);
    FUZZ_CHECK(isPieceOf(group.str(), text.str()) && isPieceOf(function.str(), text.str()));
    FUZZ_CHECK(group.getByteLength() + function.getByteLength() <= text.getByteLength());
    FUZZ_CHECK(CQFString(group).trim().str() == group.str() && CQFString(function).trim().str() == function.str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint32_t valueType = data[0] % (eDorerValueCQFByteStream + 2);
    const std::string line(reinterpret_cast<const char*>(data + 1), size - 1);
    checkParser(line);
    const CQFString text(line);
    checkConversion(valueType, text);
    checkByteList(text);
    checkCodingValue(text);
    checkCodingName(text);
    return 0;
}
