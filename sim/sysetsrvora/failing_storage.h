// The storage I/O failure switch as a layer in front of the real storage: what the partitions
// held when the server started is read once, then they can be neither written nor read again
// and count as inaccessible. The record of accepted changes is the server's own bookkeeping
// and still works, so a change the server accepted is not lost.
#pragma once

#include "server_storage.h"

namespace hu::sysetsrv {

class FailingStorage : public IServerStorage {
public:
    explicit FailingStorage(IServerStorage& real) : real_(real) {}

    bool accessible() const override { return false; }
    void load(const CatalogueRules& rules) override { real_.load(rules); }
    bool write(uint32_t, const std::vector<PageBlock>&, std::string& error) override { return refuse(error); }
    bool writeLastChangeId(int32_t, std::string& error) override { return refuse(error); }
    bool writeAccepted(int32_t lastChangeId, const std::vector<SDorerItemChange>& changes,
                       std::string& error) override {
        return real_.writeAccepted(lastChangeId, changes, error);
    }

    const std::vector<Partition>& partitions() const override { return real_.partitions(); }
    int32_t lastChangeId() const override { return real_.lastChangeId(); }
    int32_t acceptedChangeId() const override { return real_.acceptedChangeId(); }
    const std::vector<SDorerItemChange>& accepted() const override { return real_.accepted(); }
    bool acceptedRecordDamaged() const override { return real_.acceptedRecordDamaged(); }

private:
    static bool refuse(std::string& error) {
        error = "storage write refused (storage I/O failure switch)";
        return false;
    }

    IServerStorage& real_;
};

}  // namespace hu::sysetsrv
