// The command table: one row per command, in lookup and listing order. A row gives the
// command's id, keyword and help text, whether its line has arguments, and what the
// interpreter queues for it. A new command is one row here and its own class.
#pragma once

#include <cstdint>

class CDorerShellMain;
struct SDorerShellParseResult;

struct SDorerShellCommandInfo {
    int32_t mId;
    const char* mKeyword;
    const char* mCaption;
    bool mTakesArguments;  // false: the line ends after the keyword; the rest is ignored
    // Queues the command objects of a line with this keyword.
    void (*mQueue)(CDorerShellMain& shell, const SDorerShellParseResult& line);
};

namespace NDorerShellCommandTable {
const SDorerShellCommandInfo* begin();
const SDorerShellCommandInfo* end();
}  // namespace NDorerShellCommandTable
