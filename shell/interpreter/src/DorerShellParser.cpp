#include "DorerShellParser.h"

#include <errno.h>
#include <strings.h>

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

const SDorerShellCommandInfo kCommands[NDorerShellCommandTable::kCount] = {
    {0, "dumpk", "Dump custom key as 'setk' command with arguments, syntax: dumpk[ey] {<key_name>|<key_id>}."},
    {3, "dumpc", "Dump CAF as 'setc' command with arguments, syntax: dumpc[af] {<key_name>|<key_id>}."},
    {6, "dumpa", "Dump ADJ as 'seta' command with arguments, syntax: dumpa[dj] {<adjust_name>|<adjust_id>}."},
    {1, "getk", "Get custom key value, syntax: getk[ey] {<key_name>|<key_id>}."},
    {4, "getc", "Get CAF-key value   , syntax: getc[af] {<key_name>|<key_id>}."},
    {8, "geta", "Get adjust key value, syntax: geta[dj] {<key_name>|<key_id>}=<key_value>."},
    {9, "keylist", "Get list of all keys, syntax: keylist [ wildcard ]."},
    {10, "caflist", "Get list of all CAFs, syntax: caflist [<group_filter.func_filter>.<value_filter>]."},
    {20, "adjlist", "Get list of all adj , syntax: adjlist [ wildcard ]."},
    {2, "setk", "Set custom key value, syntax: setk[ey] {<key_name>|<key_id>}=<key_value>"},
    {5, "setc", "Set CAF-key value   , syntax: setc[ey] {<key_name>|<key_id>}=<key_value>"},
    {7, "seta", "Set adjust key value, syntax: geta[dj] {<key_name>|<key_id>}"},
    {13, "store", "Store cache to sysetsrv, syntax: store"},
    {21, "check", "Set expected result for checking and should be followed by any command with the result. Syntax check <name>=<value>"},
    {22, "sysetsrv", "Manage sysetsrv process. Syntax: sysetsrv {start|stop|restart}=<arguments>"},
    {17, "connect", "Establishes PIQ connection to sysetsrv, syntax: connect"},
    {11, "setstate", "Set operating state, syntax: setstate {state}"},
    {12, "getstate", "Get current operating state, syntax: getstate"},
    {25, "reload", "Do server reload, syntax: reload"},
    {26, "versioninfo", "Get current version info, syntax: versioninfo"},
    {27, "storageinfo", "Get current storage info, syntax: storageinfo"},
    {19, "out", "Redirection of the  output to file, syntax: out <file_path>"},
    {14, "sh", "Execute OS shell command, syntax: sh[ell] <command>, e.g. sh ls -l"},
    {23, "getlast", "Get last stored change id. Syntax: getlast[change]"},
    {24, "lastres", "Get last operations results, Syntax lastres[ult] [<prefix>]"},
    {18, "#", "Comment, syntax: #comment text goes here"},
    {15, "?", "Print list of avaliable commands"},
    {16, "exit", "Finish session and exit from this shell"},
};

// Indexed by id + 1 (-1 .. 27).
const bool kNoArguments[29] = {
    true,                                                  // -1
    false, false, false, false, false, false, false, false, // 0-7
    false, false, false,                                   // 8-10
    false,                                                 // 11 setstate
    true,                                                  // 12 getstate
    true,                                                  // 13 store
    false,                                                 // 14 sh
    true,                                                  // 15 ?
    true,                                                  // 16 exit
    true,                                                  // 17 connect
    true,                                                  // 18 #
    false, false, false, false,                            // 19-22
    true,                                                  // 23 getlast
    false,                                                 // 24 lastres
    true,                                                  // 25 reload
    true,                                                  // 26 versioninfo
    true,                                                  // 27 storageinfo
};

}  // namespace

namespace NDorerShellCommandTable {
const SDorerShellCommandInfo* begin() { return kCommands; }
const SDorerShellCommandInfo* end() { return kCommands + kCount; }
bool takesNoArguments(int32_t id) { return id >= -1 && id <= 27 && kNoArguments[id + 1]; }
}  // namespace NDorerShellCommandTable

const SDorerShellCommandInfo* findCommand(const CQFString& token) {
    for (const SDorerShellCommandInfo& info : kCommands) {
        const size_t n = std::strlen(info.mKeyword);
        if (token.getByteLength() >= n && strncasecmp(token.getCString(), info.mKeyword, n) == 0) return &info;
    }
    return nullptr;
}

uint32_t parseIntArg(const CQFString& text) {
    const char* p = text.getCString();
    while (std::isspace(static_cast<unsigned char>(*p))) ++p;
    if (*p == '-') {
        errno = ERANGE;
        return 0xFFFFFFFFu;
    }
    return static_cast<uint32_t>(std::strtoul(p, nullptr, 0));
}

bool parseCommandLine(const CQFString& line, SDorerShellParseResult& result) {
    result.mCommand = nullptr;
    result.mIntArg = 0;
    const std::string& text = line.str();
    if (text.empty()) return false;
    size_t at = text.find_first_not_of(' ');
    if (at == std::string::npos) return false;

    size_t end = text.find(' ', at);
    if (end == std::string::npos) end = text.size();
    const CQFString keyword(text.substr(at, end - at));
    at = end < text.size() ? end + 1 : end;

    result.mCommand = findCommand(keyword);
    if (result.mCommand && NDorerShellCommandTable::takesNoArguments(result.mCommand->mId)) return true;

    at = std::min(text.find_first_not_of(' ', at), text.size());
    end = text.find_first_of(" =", at);
    if (end == std::string::npos) end = text.size();
    result.mStrArg = CQFString(text.substr(at, end - at));
    at = end < text.size() ? end + 1 : end;
    if (at < text.size()) result.mData = CQFString(text.substr(at));

    result.mIntArg = parseIntArg(result.mStrArg);
    return true;
}
