#include "action_log.h"

namespace hu::sysetsrv {

SActionLogEntry newAction(DSYSDorerAdmin::EDorerAction action) {
    SActionLogEntry entry;
    entry.mAction = action;
    entry.mSuccess = true;
    entry.mReserved1 = -1;
    return entry;
}

uint32_t ActionLog::add(SActionLogEntry entry) {
    entry.mSequenceNumber = nextSequence_++;
    entries_.push_back(std::move(entry));
    while (entries_.size() > capacity_) entries_.pop_front();
    return entries_.back().mSequenceNumber;
}

}  // namespace hu::sysetsrv
