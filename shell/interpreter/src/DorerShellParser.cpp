#include "DorerShellParser.h"

#include <errno.h>
#include <strings.h>

#include <cctype>
#include <cstdlib>
#include <cstring>

const SDorerShellCommandInfo* findCommand(const CQFString& token) {
    for (auto* info = NDorerShellCommandTable::begin(); info != NDorerShellCommandTable::end(); ++info) {
        const size_t n = std::strlen(info->mKeyword);
        if (token.getByteLength() >= n && strncasecmp(token.getCString(), info->mKeyword, n) == 0) return info;
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
    if (result.mCommand && !result.mCommand->mTakesArguments) return true;

    at = std::min(text.find_first_not_of(' ', at), text.size());
    end = text.find_first_of(" =", at);
    if (end == std::string::npos) end = text.size();
    result.mStrArg = CQFString(text.substr(at, end - at));
    at = end < text.size() ? end + 1 : end;
    if (at < text.size()) result.mData = CQFString(text.substr(at));

    result.mIntArg = parseIntArg(result.mStrArg);
    return true;
}
