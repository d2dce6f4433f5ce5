// The server's storage: one checked file per partition (Flash, Eeprom, Adjust, Early) in the
// data directory, each holding the page blocks of that partition that differ from the
// defaults, plus a record of the last change id written. A partition whose file is damaged or
// does not fit the catalogue is reported and its content never used.
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

class PartitionStorage {
public:
    explicit PartitionStorage(std::string directory);

    // Creates the data directory; false with error when that fails.
    bool prepare(std::string& error);
    // Reads every partition and the change-id record.
    void load(const CatalogueRules& rules);
    // Replaces the partition's file with these blocks; false with error when nothing changed
    // on disk. A rejected file is first moved aside (".rejected"), so that it is never lost.
    bool write(uint32_t storage, const std::vector<PageBlock>& blocks, std::string& error);
    bool writeLastChangeId(int32_t changeId, std::string& error);
    // The record of the changes accepted but not yet in the partitions, with the last change
    // id handed out: written before a store is answered, so that a restart (also after kill -9)
    // neither drops an accepted change nor hands out a change id twice.
    bool writeAccepted(int32_t lastChangeId, const std::vector<SDorerItemChange>& changes, std::string& error);

    const std::vector<Partition>& partitions() const { return partitions_; }
    // -1 before any change was written.
    int32_t lastChangeId() const { return lastChangeId_; }
    // From the accepted-changes record: the last change id handed out (-1: none) and the
    // changes not yet written, in the order accepted. A damaged record is reported by load().
    int32_t acceptedChangeId() const { return acceptedChangeId_; }
    const std::vector<SDorerItemChange>& accepted() const { return accepted_; }
    bool acceptedRecordDamaged() const { return acceptedDamaged_; }
    std::string pathOf(uint32_t storage) const;

private:
    Partition* find(uint32_t storage);
    void loadPartition(Partition& partition, const CatalogueRules& rules);

    std::string directory_;
    std::vector<Partition> partitions_;
    int32_t lastChangeId_ = -1;
    int32_t acceptedChangeId_ = -1;
    std::vector<SDorerItemChange> accepted_;
    bool acceptedDamaged_ = false;
};

}  // namespace hu::sysetsrv
