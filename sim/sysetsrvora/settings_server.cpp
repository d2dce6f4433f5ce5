#include "settings_server.h"

#include <algorithm>
#include <cstdio>

namespace hu::sysetsrv {

const char* const kStateUnloaded = "Unloaded";
const char* const kStateReadOnly = "ReadOnly";
const char* const kStateFullyOperable = "FullyOperable";

bool isOperatingState(const std::string& name) {
    return name == kStateUnloaded || name == kStateReadOnly || name == kStateFullyOperable;
}

SettingsServer::SettingsServer(const CatalogueRules& rules, IServerStorage& storage, pagewriter::PageWriter& page,
                               ISettingsPublisher& publisher)
    : rules_(rules), storage_(storage), page_(page), publisher_(publisher) {}

void SettingsServer::report(const std::string& message) const {
    std::fprintf(stderr, "sysetsrvora: %s\n", message.c_str());
}

bool SettingsServer::start(const std::string& initialState, std::string& error) {
    state_ = initialState;
    storage_.load(rules_);
    for (const Partition& partition : storage_.partitions()) {
        if (partition.condition != DSYSDorerAdmin::EPartitionCondition_eAvailable) {
            report(std::string("partition ") + partition.fileName + " is not usable (condition " +
                   std::to_string(partition.condition) + "); its defaults are used");
        }
    }
    if (storage_.acceptedRecordDamaged()) report("the record of accepted changes is damaged; it is not used");
    // The ids handed out by earlier runs are never handed out again, and the changes they
    // accepted but did not write are kept.
    storedChangeId_ = storage_.lastChangeId();
    lastChangeId_ = changeId_ = std::max(storedChangeId_, storage_.acceptedChangeId());
    unwritten_ = storage_.accepted();
    rebuildPage();
    for (const SDorerItemChange& change : unwritten_) {
        uint32_t blockKey = 0;
        if (model_.setItem(change.mItemId, change.mData.getData(), change.mData.getSize(), &blockKey)) {
            dirty_.insert(rules_.partitionOf(blockKey));
        }
    }
    if (!page_.open(model_.image()) || !writePage()) {
        error = page_.error();
        return false;
    }
    if (state_ == kStateFullyOperable && !unwritten_.empty()) writeStorage();
    return true;
}

void SettingsServer::rebuildPage() {
    model_ = rules_.defaults();
    for (const Partition& partition : storage_.partitions()) {
        for (const PageBlock& block : partition.blocks) model_.replaceBlock(block);
    }
    for (const SDorerItemChange& change : unwritten_) {
        model_.setItem(change.mItemId, change.mData.getData(), change.mData.getSize());
    }
    refreshMirrors();
}

// A mirror key always repeats the current value of the item it mirrors.
void SettingsServer::refreshMirrors() {
    for (const auto& [item, mirror] : rules_.mirrors()) {
        std::vector<uint8_t> value;
        const PageBlock* current = model_.block(mirror);
        if (!model_.getItem(item, value) || current == nullptr || current->bytes == value) continue;
        model_.replaceBlock({mirror, value});
        dirty_.insert(rules_.partitionOf(mirror));
    }
}

bool SettingsServer::writePage() {
    if (page_.write(model_.image())) return true;
    report("writing the page failed: " + page_.error());
    return false;
}

std::vector<PageBlock> SettingsServer::blocksOfPartition(uint32_t storage) const {
    std::vector<PageBlock> blocks;
    for (const PageBlock& block : model_.blocks()) {
        const PageBlock* initial = rules_.defaults().block(block.key);
        if (rules_.partitionOf(block.key) == storage && (initial == nullptr || !(*initial == block))) {
            blocks.push_back(block);
        }
    }
    return blocks;
}

bool SettingsServer::writeStorage() {
    std::string error;
    for (auto partition = dirty_.begin(); partition != dirty_.end();) {
        if (!storage_.write(*partition, blocksOfPartition(*partition), error)) {
            report(error);
            return false;
        }
        partition = dirty_.erase(partition);
    }
    if (!storage_.writeLastChangeId(lastChangeId_, error)) {
        report(error);
        return false;
    }
    unwritten_.clear();
    storedChangeId_ = lastChangeId_;
    // A record left behind would only bring back values already written.
    if (!storage_.writeAccepted(lastChangeId_, unwritten_, error)) report(error);
    publisher_.publishStoredChangeId(storedChangeId_);
    return true;
}

void SettingsServer::triggerState(const std::string& name, const std::function<void(bool)>& answer) {
    if (!isOperatingState(name)) {
        answer(false);
        return;
    }
    answer(true);
    state_ = name;
    if (name != kStateUnloaded) {
        SActionLogEntry entry = newAction(name == kStateReadOnly ? DSYSDorerAdmin::EDorerAction_eTriggerReadOnly
                                                                 : DSYSDorerAdmin::EDorerAction_eTriggerFullyOperable);
        if (name == kStateFullyOperable && hasUnwrittenChanges()) {
            entry.mReserved1 = lastChangeId_;
            entry.mSuccess = writeStorage();
            if (!entry.mSuccess) entry.mIoResult |= DSYSDorerAdmin::kIoResultStorageFailed;
        }
        log_.add(entry);
    }
    publisher_.publishOperatingState(state_);
}

SActionLogEntry SettingsServer::checkedStore(const std::vector<SDorerItemChange>& changes,
                                            const SDorerVersions& versions) const {
    SActionLogEntry entry = newAction(DSYSDorerAdmin::EDorerAction_eStore);
    entry.mReserved2 = static_cast<int32_t>(changes.size());
    for (const SDorerItemChange& change : changes) {
        uint32_t reason = rules_.checkChange(change.mItemId, change.mData.getData(),
                                             static_cast<uint32_t>(change.mData.getSize()), versions);
        if (reason != kItemValid) entry.mItemErrors.push_back({change.mItemId, reason});
    }
    return entry;
}

void SettingsServer::recordRefusedStore(const std::vector<SDorerItemChange>& changes, const SDorerVersions& versions) {
    SActionLogEntry entry = checkedStore(changes, versions);
    entry.mSuccess = false;
    log_.add(entry);
}

void SettingsServer::store(const std::vector<SDorerItemChange>& changes, const SDorerVersions& versions,
                           const std::function<void(int32_t)>& answer) {
    SActionLogEntry entry = checkedStore(changes, versions);
    // A store is taken whole or not at all, so a refused one can be sent again unchanged.
    if (!entry.mItemErrors.empty()) {
        entry.mSuccess = false;
        log_.add(entry);
        answer(-1);
        return;
    }
    // Change ids count from 1; -1 stands for none. Nothing is answered before the accepted
    // changes and their id are on disk: a change the server took is never lost.
    std::vector<SDorerItemChange> accepted = unwritten_;
    accepted.insert(accepted.end(), changes.begin(), changes.end());
    const int32_t changeId = std::max(lastChangeId_, 0) + 1;
    std::string error;
    if (!storage_.writeAccepted(changeId, accepted, error)) {
        report("store refused: " + error);
        entry.mSuccess = false;
        entry.mIoResult |= DSYSDorerAdmin::kIoResultStorageFailed;
        log_.add(entry);
        answer(-1);
        return;
    }
    lastChangeId_ = changeId;
    unwritten_ = std::move(accepted);
    entry.mReserved1 = lastChangeId_;
    answer(lastChangeId_);

    for (const SDorerItemChange& change : changes) {
        uint32_t blockKey = 0;
        if (model_.setItem(change.mItemId, change.mData.getData(), change.mData.getSize(), &blockKey)) {
            dirty_.insert(rules_.partitionOf(blockKey));
        }
    }
    refreshMirrors();
    if (writePage()) {
        changeId_ = lastChangeId_;
        publisher_.publishChangeId(changeId_);
    } else {
        entry.mIoResult |= DSYSDorerAdmin::kIoResultStorageFailed;
    }
    if (state_ == kStateFullyOperable && !writeStorage()) {
        entry.mSuccess = false;
        entry.mIoResult |= DSYSDorerAdmin::kIoResultStorageFailed;
    }
    log_.add(entry);
}

void SettingsServer::recordUnreadableStore() {
    SActionLogEntry entry = newAction(DSYSDorerAdmin::EDorerAction_eStore);
    entry.mSuccess = false;
    entry.mIoResult |= DSYSDorerAdmin::kIoResultIpcFailed;
    log_.add(entry);
}

void SettingsServer::recordRefusedReload() {
    SActionLogEntry entry = newAction(DSYSDorerAdmin::EDorerAction_eReload);
    entry.mSuccess = false;
    if (!storage_.accessible()) entry.mIoResult |= DSYSDorerAdmin::kIoResultStorageFailed;
    log_.add(entry);
}

bool SettingsServer::reload() {
    if (!storage_.accessible()) {
        recordRefusedReload();
        return false;
    }
    SActionLogEntry entry = newAction(DSYSDorerAdmin::EDorerAction_eReload);
    storage_.load(rules_);
    rebuildPage();
    for (const Partition& partition : storage_.partitions()) {
        if (partition.condition != DSYSDorerAdmin::EPartitionCondition_eAvailable) entry.mSuccess = false;
    }
    if (writePage()) {
        publisher_.publishChangeId(changeId_);
    } else {
        entry.mSuccess = false;
    }
    bool success = entry.mSuccess;
    log_.add(entry);
    return success;
}

std::vector<SStorageInfo> SettingsServer::storageInfo() {
    SActionLogEntry entry = newAction(DSYSDorerAdmin::EDorerAction_eStorageInfo);
    std::vector<SStorageInfo> reports;
    for (const Partition& partition : storage_.partitions()) {
        SStorageInfo info;
        info.mStorage = partition.storage;
        info.mStatus = storage_.accessible() ? partition.condition : DSYSDorerAdmin::EPartitionCondition_eInAccessible;
        info.mIndex = partition.index;
        info.mEraseCounter = partition.eraseCounter;
        info.mDataPos = partition.dataSize;
        reports.push_back(info);
    }
    if (!storage_.accessible()) entry.mIoResult |= DSYSDorerAdmin::kIoResultStorageFailed;
    log_.add(entry);
    return reports;
}

std::vector<SStoredVersion> SettingsServer::storedVersions() {
    std::vector<SStoredVersion> versions;
    for (const Partition& partition : storage_.partitions()) {
        if (partition.present) versions.push_back({partition.storage, partition.storedVersion});
    }
    log_.add(newAction(DSYSDorerAdmin::EDorerAction_eVersionInfo));
    return versions;
}

}  // namespace hu::sysetsrv
