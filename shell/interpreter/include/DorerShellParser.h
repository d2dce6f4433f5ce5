// The command table and the line parser of the interpreter.
#pragma once

#include <cstddef>
#include <cstdint>

#include "qf/CQFString.h"

struct SDorerShellCommandInfo {
    int32_t mId;
    const char* mKeyword;
    const char* mCaption;
};

// Command ids (the table's mId values); -1 stands for no command.
enum EDorerShellCommandId : int32_t {
    eCmdNone = -1,
    eCmdDumpKey = 0,
    eCmdGetKey = 1,
    eCmdSetKey = 2,
    eCmdDumpCaf = 3,
    eCmdGetCaf = 4,
    eCmdSetCaf = 5,
    eCmdDumpAdj = 6,
    eCmdSetAdj = 7,
    eCmdGetAdj = 8,
    eCmdKeyList = 9,
    eCmdCafList = 10,
    eCmdSetState = 11,
    eCmdGetState = 12,
    eCmdStore = 13,
    eCmdShell = 14,
    eCmdHelp = 15,
    eCmdExit = 16,
    eCmdConnect = 17,
    eCmdComment = 18,
    eCmdOut = 19,
    eCmdAdjList = 20,
    eCmdCheck = 21,
    eCmdSysetsrv = 22,
    eCmdGetLast = 23,
    eCmdLastResult = 24,
    eCmdReload = 25,
    eCmdVersionInfo = 26,
    eCmdStorageInfo = 27,
};

namespace NDorerShellCommandTable {
constexpr size_t kCount = 28;
// The table in lookup and listing order.
const SDorerShellCommandInfo* begin();
const SDorerShellCommandInfo* end();
// True for the ids whose lines end after the keyword (-1 included).
bool takesNoArguments(int32_t id);
}  // namespace NDorerShellCommandTable

struct SDorerShellParseResult {
    const SDorerShellCommandInfo* mCommand = nullptr;  // none for an unknown keyword
    uint32_t mIntArg = 0;
    CQFString mStrArg;
    CQFString mData;
};

// The first record whose keyword equals the token's first characters ignoring case, or null.
const SDorerShellCommandInfo* findCommand(const CQFString& token);
// Leading white space skipped; "-..." gives 0xFFFFFFFF with errno ERANGE; otherwise strtoul
// with base 0 (0 without digits).
uint32_t parseIntArg(const CQFString& text);
// False for a line without a command (empty or only spaces); fills result otherwise.
bool parseCommandLine(const CQFString& line, SDorerShellParseResult& result);
