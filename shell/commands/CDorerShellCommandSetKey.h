// setk: converts text to a custom key's value type and records it in the pending-change cache.
#pragma once

#include <cstdint>

#include "CDorerShellItemCommand.h"

class CDorerShellCommandSetKey : public CDorerShellItemCommand {
public:
    CDorerShellCommandSetKey(const CQFString& name, uint32_t id, const CQFString& value) : mName(name), mId(id), mValue(value) {}
    void start() override;

private:
    CDorerShellResult set() const;

    CQFString mName;
    uint32_t mId;
    CQFString mValue;
};
