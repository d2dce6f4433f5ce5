// The settings server's behaviour, free of any transport: operating states, stores with their
// change ids, the page rebuilt from the defaults and the stored partitions, writing to storage
// in "FullyOperable", reload, storage and version information, and the action log. The fault
// switches are layers around it: a failing storage below, refusals in the service binding
// above. The binding calls it from one thread and forwards what it publishes.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "DSYSDorerTypes.h"
#include "action_log.h"
#include "catalogue_rules.h"
#include "page_model.h"
#include "pagewriter/page_writer.h"
#include "server_storage.h"

namespace hu::sysetsrv {

extern const char* const kStateUnloaded;
extern const char* const kStateReadOnly;
extern const char* const kStateFullyOperable;
bool isOperatingState(const std::string& name);

// What the server announces to its subscribers.
class ISettingsPublisher {
public:
    virtual ~ISettingsPublisher() = default;
    virtual void publishOperatingState(const std::string& state) = 0;
    virtual void publishChangeId(int32_t changeId) = 0;
    virtual void publishStoredChangeId(int32_t changeId) = 0;
};

class SettingsServer {
public:
    SettingsServer(const CatalogueRules& rules, IServerStorage& storage, pagewriter::PageWriter& page,
                   ISettingsPublisher& publisher);

    // Reads storage, builds the page and writes it; false with error when the page cannot be
    // written.
    bool start(const std::string& initialState, std::string& error);

    const std::string& operatingState() const { return state_; }
    // The change id the page shows, and the last one written to storage (-1: none).
    int32_t changeId() const { return changeId_; }
    int32_t storedChangeId() const { return storedChangeId_; }

    // answer gets TriggerOk; for a known state it comes before the switch's consequences
    // (pending changes written, state published).
    void triggerState(const std::string& name, const std::function<void(bool)>& answer);
    // answer gets the new change id, or -1 when the store is refused; it comes before the
    // changes reach the page and storage.
    void store(const std::vector<SDorerItemChange>& changes, const SDorerVersions& versions,
               const std::function<void(int32_t)>& answer);
    // A store refused before it is looked at (the binding's refusal switch): logged as a failed
    // store with the item errors it would have had.
    void recordRefusedStore(const std::vector<SDorerItemChange>& changes, const SDorerVersions& versions);
    // A store request whose payload could not be read: a failed store whose IPC failed.
    void recordUnreadableStore();
    bool reload();
    // A reload refused by the binding: logged as failed (with the storage failure when the
    // storage is inaccessible too).
    void recordRefusedReload();
    std::vector<SStorageInfo> storageInfo();
    // One per partition written so far: its storage type and the data version it holds.
    std::vector<SStoredVersion> storedVersions();
    std::vector<SActionLogEntry> actionLog() const { return log_.entries(); }

private:
    void rebuildPage();
    void refreshMirrors();
    bool writePage();
    // Writes every partition with unwritten changes, then the change id; false on a storage failure.
    bool writeStorage();
    bool hasUnwrittenChanges() const { return !dirty_.empty() || storedChangeId_ != lastChangeId_; }
    std::vector<PageBlock> blocksOfPartition(uint32_t storage) const;
    void report(const std::string& message) const;
    // A store's log entry with the errors of the items it carries.
    SActionLogEntry checkedStore(const std::vector<SDorerItemChange>& changes, const SDorerVersions& versions) const;

    const CatalogueRules& rules_;
    IServerStorage& storage_;
    pagewriter::PageWriter& page_;
    ISettingsPublisher& publisher_;
    ActionLog log_;

    std::string state_;
    PageModel model_;
    std::vector<SDorerItemChange> unwritten_;  // accepted, not yet in storage, in order
    std::set<uint32_t> dirty_;                  // partitions whose blocks changed since written
    int32_t lastChangeId_ = -1;                 // the newest accepted change
    int32_t changeId_ = -1;
    int32_t storedChangeId_ = -1;
};

}  // namespace hu::sysetsrv
