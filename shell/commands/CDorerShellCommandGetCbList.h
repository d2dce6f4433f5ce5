// caflist: coding blocks, their functions and the functions' named values, filtered by
// "group.function.value" patterns.
#pragma once

#include "CDorerShellItemCommand.h"

class CDorerShellCommandGetCbList : public CDorerShellItemCommand {
public:
    explicit CDorerShellCommandGetCbList(const CQFString& filter);
    void start() override;

private:
    CDorerShellResult list() const;

    CQFString mGroupFilter;
    CQFString mFunctionFilter;
    CQFString mValueFilter;
};
