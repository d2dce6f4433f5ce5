// getk / dumpk: custom keys found by name, pattern or id, described (getk) or printed as the
// setk line that sets the same value again (dumpk).
#pragma once

#include <cstdint>

#include "CDorerShellItemCommand.h"

class CDorerShellCommandGetKey : public CDorerShellItemCommand {
public:
    CDorerShellCommandGetKey(const CQFString& name, uint32_t id, bool dump) : mName(name), mId(id), mDump(dump) {}
    void start() override;

private:
    CDorerShellResult read() const;
    CQFString describe(const DorerDataNode& key) const;

    CQFString mName;
    uint32_t mId;
    bool mDump;
};
