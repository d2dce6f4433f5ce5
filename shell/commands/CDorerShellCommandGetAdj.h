// geta / dumpa: adjust ranges found by full dotted name, pattern or id, described (geta) or
// printed as seta lines (dumpa).
#pragma once

#include <cstdint>

#include "CDorerShellItemCommand.h"

class CDorerShellCommandGetAdj : public CDorerShellItemCommand {
public:
    CDorerShellCommandGetAdj(const CQFString& name, uint32_t id, bool dump) : mName(name), mId(id), mDump(dump) {}
    void start() override;

private:
    CDorerShellResult read() const;
    CQFString describe(const DorerDataNode& range) const;

    CQFString mName;
    uint32_t mId;
    bool mDump;
};
