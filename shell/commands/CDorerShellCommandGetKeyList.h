// keylist: the names of the custom keys matching a pattern ("*" when none is given).
#pragma once

#include "CDorerShellItemCommand.h"

class CDorerShellCommandGetKeyList : public CDorerShellItemCommand {
public:
    explicit CDorerShellCommandGetKeyList(const CQFString& pattern) : mPattern(pattern.isEmpty() ? "*" : pattern) {}
    void start() override;

private:
    CQFString mPattern;
};
