// The record of what the server did: one entry per action with its outcome, storage I/O
// result and item errors, numbered by an increasing sequence number. The oldest entries go
// when the log is full.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "DSYSDorerTypes.h"

namespace hu::sysetsrv {

// A new entry: successful so far; mReserved1 holds the change id the action concerns (-1 for
// none), mReserved2 the number of items of a store.
SActionLogEntry newAction(DSYSDorerAdmin::EDorerAction action);

class ActionLog {
public:
    explicit ActionLog(size_t capacity = 128) : capacity_(capacity) {}
    // Numbers the entry and keeps it; the sequence number given.
    uint32_t add(SActionLogEntry entry);
    std::vector<SActionLogEntry> entries() const { return {entries_.begin(), entries_.end()}; }

private:
    size_t capacity_;
    uint32_t nextSequence_ = 1;
    std::deque<SActionLogEntry> entries_;
};

}  // namespace hu::sysetsrv
