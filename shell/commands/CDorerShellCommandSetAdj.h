// seta: checks an adjust range and a byte list. Adjust data is the unit's production and
// calibration image and is not changed from the shell: a valid request is answered with the
// set result "Invalid id" and nothing is recorded.
#pragma once

#include <cstdint>

#include "CDorerShellItemCommand.h"

class CDorerShellCommandSetAdj : public CDorerShellItemCommand {
public:
    CDorerShellCommandSetAdj(const CQFString& name, uint32_t id, const CQFString& value) : mName(name), mId(id), mValue(value) {}
    void start() override;

private:
    CDorerShellResult check() const;

    CQFString mName;
    uint32_t mId;
    CQFString mValue;
};
