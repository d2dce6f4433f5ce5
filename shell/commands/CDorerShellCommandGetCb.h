// getc / dumpc: coding blocks and coding functions found as "group.function" (patterns), by a
// function's bare name or by id, described (getc) or printed as setc lines (dumpc).
#pragma once

#include <cstdint>

#include "CDorerShellItemCommand.h"

class CDorerShellCommandGetCb : public CDorerShellItemCommand {
public:
    CDorerShellCommandGetCb(const CQFString& name, uint32_t id, bool dump);
    void start() override;

private:
    CDorerShellResult read() const;
    DorerDataNodeList findCandidates() const;
    CQFString describeBlock(const DorerDataNode& block) const;
    CQFString describeFunction(const CQFString& blockName, const CQFString& address, const DorerDataNode& function) const;

    CQFString mGroup;
    CQFString mFunction;
    uint32_t mId;
    bool mDump;
};
