// The server's storage as its model sees it: the partitions, the record of the last change id
// written and the record of the changes accepted but not yet written. PartitionStorage keeps
// them in files; FailingStorage stands in front of it for the storage I/O failure switch.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DSYSDorerTypes.h"
#include "catalogue_rules.h"
#include "page_model.h"

namespace hu::sysetsrv {

struct Partition {
    DSYSDorerTypes::EStorageType storage;
    uint8_t index;         // position in the storage
    const char* fileName;
    uint16_t dataVersion;  // the version of the data this server writes into it
    DSYSDorerAdmin::EPartitionCondition condition = DSYSDorerAdmin::EPartitionCondition_eAvailable;
    bool present = false;  // a valid file exists
    uint16_t storedVersion = 0xFFFF;
    uint16_t eraseCounter = 0;  // writes so far
    uint16_t dataSize = 0;      // bytes of block data in the file
    std::vector<PageBlock> blocks;
};

class IServerStorage {
public:
    virtual ~IServerStorage() = default;
    // False when the partitions can be neither read nor written (then nothing is re-read).
    virtual bool accessible() const = 0;
    // Reads every partition and both records.
    virtual void load(const CatalogueRules& rules) = 0;
    // Replaces the partition's content with these blocks; false with error when nothing changed.
    virtual bool write(uint32_t storage, const std::vector<PageBlock>& blocks, std::string& error) = 0;
    virtual bool writeLastChangeId(int32_t changeId, std::string& error) = 0;
    // The record of the changes accepted but not yet in the partitions, with the last change
    // id handed out: written before a store is answered, so that a restart (also after kill -9)
    // neither drops an accepted change nor hands out a change id twice.
    virtual bool writeAccepted(int32_t lastChangeId, const std::vector<SDorerItemChange>& changes,
                               std::string& error) = 0;

    virtual const std::vector<Partition>& partitions() const = 0;
    // -1 before any change was written.
    virtual int32_t lastChangeId() const = 0;
    // From the accepted-changes record: the last change id handed out (-1: none) and the
    // changes not yet written, in the order accepted. A damaged record is reported by load().
    virtual int32_t acceptedChangeId() const = 0;
    virtual const std::vector<SDorerItemChange>& accepted() const = 0;
    virtual bool acceptedRecordDamaged() const = 0;
};

}  // namespace hu::sysetsrv
