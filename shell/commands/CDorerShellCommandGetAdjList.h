// adjlist: the full names of the adjust ranges matching a pattern ("*" when none is given).
#pragma once

#include "CDorerShellItemCommand.h"

class CDorerShellCommandGetAdjList : public CDorerShellItemCommand {
public:
    explicit CDorerShellCommandGetAdjList(const CQFString& pattern) : mPattern(pattern.isEmpty() ? "*" : pattern) {}
    void start() override;

private:
    CQFString mPattern;
};
