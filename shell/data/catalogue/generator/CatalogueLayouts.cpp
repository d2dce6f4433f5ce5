#include "CatalogueLayouts.h"

#include <set>

namespace catalogue {

namespace {

class CLayout {
public:
    explicit CLayout(const SLayout& layout) {
        for (uint32_t id : layout.absent) mToOlder[id] = kNoId;
        for (const SMove& move : layout.moved) {
            mToOlder[move.from] = move.to;
            mFromOlder[move.to] = move.from;
            mFromOlder[move.from] = kNoId;
        }
    }
    uint32_t toOlder(uint32_t id) const { return answer(mToOlder, id); }
    uint32_t fromOlder(uint32_t id) const { return answer(mFromOlder, id); }
    void collectIds(std::set<uint32_t>& ids) const {
        for (const auto& entry : mToOlder) ids.insert(entry.first);
        for (const auto& entry : mFromOlder) ids.insert(entry.first);
    }

private:
    static uint32_t answer(const std::map<uint32_t, uint32_t>& changes, uint32_t id) {
        auto it = changes.find(id);
        return it == changes.end() ? id : it->second;
    }
    std::map<uint32_t, uint32_t> mToOlder;
    std::map<uint32_t, uint32_t> mFromOlder;
};

}  // namespace

std::vector<uint32_t> knownMajors(const SCatalogue& catalogue) {
    std::vector<uint32_t> majors{catalogue.codingMajor()};
    for (const SLayout& layout : catalogue.layouts) majors.push_back(layout.major);
    return majors;
}

std::vector<SLayoutPair> layoutPairs(const SCatalogue& catalogue) {
    const uint32_t own = catalogue.codingMajor();
    std::map<uint32_t, CLayout> layouts;
    std::set<uint32_t> ids;  // every id whose answer differs in some pair
    for (const SLayout& layout : catalogue.layouts) {
        layouts.emplace(layout.major, CLayout(layout)).first->second.collectIds(ids);
    }
    auto translate = [&](uint32_t from, uint32_t to, uint32_t id) {
        if (from != own) id = layouts.at(from).fromOlder(id);
        if (id != kNoId && to != own) id = layouts.at(to).toOlder(id);
        return id;
    };
    std::vector<SLayoutPair> pairs;
    for (uint32_t expected : knownMajors(catalogue)) {
        for (uint32_t stored : knownMajors(catalogue)) {
            if (expected == stored) continue;
            SLayoutPair pair{expected, stored, {}};
            for (uint32_t id : ids) {
                const uint32_t answer = translate(expected, stored, id);
                if (answer != id) pair.changes[id] = answer;
            }
            pairs.push_back(pair);
        }
    }
    return pairs;
}

}  // namespace catalogue
