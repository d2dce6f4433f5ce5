// setc: records a coding block's bytes, or a coding function's value given as bytes or by the
// name of one of its named values, in the pending-change cache.
#pragma once

#include <cstdint>

#include "CDorerShellItemCommand.h"

class CDorerShellCommandSetCb : public CDorerShellItemCommand {
public:
    CDorerShellCommandSetCb(const CQFString& name, uint32_t id, const CQFString& value);
    void start() override;

private:
    CDorerShellResult set() const;
    uint32_t findTarget(DorerDataNodeRef& target) const;

    CQFString mGroup;
    CQFString mFunction;
    uint32_t mId;
    CQFString mValue;
};
