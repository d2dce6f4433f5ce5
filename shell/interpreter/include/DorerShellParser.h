// The line parser of the interpreter.
#pragma once

#include <cstdint>

#include "DorerShellCommandTable.h"
#include "qf/CQFString.h"

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
