// What the server takes from the compiled-in catalogue: whether a change may be stored, which
// partition keeps a page block, and which mirror keys repeat which items.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "DSYSDorerTypes.h"
#include "page_model.h"

namespace hu::sysetsrv {

// The data versions compiled into this server (QFSD, ADJUST, CB, spare).
constexpr SDorerVersions kCompiledVersions = {4, 2, 0x060C, 0xFFFF};

// A change without error; otherwise a DSYSDorerAdmin::EDataInvalid reason.
constexpr uint32_t kItemValid = 0;

class CatalogueRules {
public:
    // Installs the catalogue's defaults functions and indexes the dictionary once.
    CatalogueRules();

    // kItemValid, or the EDataInvalid reason the change may not be stored: an id the catalogue lacks or a
    // mirror key (set only through the item it mirrors), a data version of another major for
    // the item's kind, a value whose size or bits do not fit the item.
    uint32_t checkChange(uint32_t id, const uint8_t* data, uint32_t length, const SDorerVersions& versions) const;

    // The storage type (Flash, Eeprom, Adjust, Early) of the partition that keeps the page block.
    uint32_t partitionOf(uint32_t blockKey) const;
    // Whether a block read from storage has the shape the catalogue gives that block.
    bool blockFits(const PageBlock& block) const;

    // {item, mirror key} for every mirrored item.
    const std::vector<std::pair<uint32_t, uint32_t>>& mirrors() const { return mirrors_; }
    // The catalogue's defaults image as page blocks.
    const PageModel& defaults() const { return defaults_; }

private:
    std::vector<std::pair<uint32_t, uint32_t>> mirrors_;
    std::vector<uint32_t> earlyKeys_;
    PageModel defaults_;
};

}  // namespace hu::sysetsrv
