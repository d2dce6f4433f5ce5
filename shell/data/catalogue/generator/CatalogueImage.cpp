#include "CatalogueImage.h"

#include <algorithm>

#include "CatalogueRules.h"

namespace catalogue {

namespace {

void putLe(Bytes& out, uint32_t value, int count) {
    for (int i = 0; i < count; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

Bytes adjustDefault(const SCatalogue& catalogue) {
    Bytes image(catalogue.adjust.front().length, 0xFF);
    image[8] = catalogue.adjustVersion;  // the header is 0xFF but for its version byte
    for (const SAdjust& node : catalogue.adjust) {
        if (node.hasDefault) std::copy(node.defaultValue.begin(), node.defaultValue.end(), image.begin() + node.offset);
    }
    return image;
}

}  // namespace

Bytes defaultsImage(const SCatalogue& catalogue) {
    Bytes table;
    Bytes data;
    auto add = [&](uint32_t key, const Bytes& value) {
        putLe(table, key, 4);
        putLe(table, static_cast<uint32_t>(value.size()), 2);
        data.insert(data.end(), value.begin(), value.end());
    };
    for (const SKey& key : catalogue.keys) add(key.id, key.defaultValue);
    for (const SBlock& block : catalogue.blocks) {
        Bytes value;
        putLe(value, catalogue.versions[0], 2);
        const Bytes coding = blockDefault(block);
        value.insert(value.end(), coding.begin(), coding.end());
        add(block.number, value);
    }
    add(kAdjustKey, adjustDefault(catalogue));

    if (table.size() > 0xFFFF) fail(0, "defaults image", "lookup table too large");
    Bytes page{1};
    putLe(page, static_cast<uint32_t>(table.size()), 2);
    page.insert(page.end(), table.begin(), table.end());
    page.insert(page.end(), data.begin(), data.end());
    if (page.size() > kPageCapacity) fail(0, "defaults image", "larger than a settings page");
    return page;
}

}  // namespace catalogue
