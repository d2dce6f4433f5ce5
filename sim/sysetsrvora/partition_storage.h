// The server's storage: one checked file per partition (Flash, Eeprom, Adjust, Early) in the
// data directory, each holding the page blocks of that partition that differ from the
// defaults, plus a record of the last change id written. A partition whose file is damaged or
// does not fit the catalogue is reported and its content never used.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "server_storage.h"

namespace hu::sysetsrv {

class PartitionStorage : public IServerStorage {
public:
    explicit PartitionStorage(std::string directory);

    // Creates the data directory; false with error when that fails.
    bool prepare(std::string& error);
    bool accessible() const override { return true; }
    void load(const CatalogueRules& rules) override;
    // A rejected file is first moved aside (".rejected"), so that it is never lost.
    bool write(uint32_t storage, const std::vector<PageBlock>& blocks, std::string& error) override;
    bool writeLastChangeId(int32_t changeId, std::string& error) override;
    bool writeAccepted(int32_t lastChangeId, const std::vector<SDorerItemChange>& changes,
                       std::string& error) override;

    const std::vector<Partition>& partitions() const override { return partitions_; }
    int32_t lastChangeId() const override { return lastChangeId_; }
    int32_t acceptedChangeId() const override { return acceptedChangeId_; }
    const std::vector<SDorerItemChange>& accepted() const override { return accepted_; }
    bool acceptedRecordDamaged() const override { return acceptedDamaged_; }
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
