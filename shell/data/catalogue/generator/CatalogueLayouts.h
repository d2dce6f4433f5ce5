// The translation of coding ids between layout majors: for every ordered pair of known majors,
// the ids whose answer is not the id itself (all ones: the item does not exist there).
//
// From the catalogue's major to an older one the layout lists answer directly. From an older
// major to the catalogue's the moves run backwards and the places they vacated hold nothing.
// Between two older majors an id goes through the catalogue's layout.
#pragma once

#include <map>

#include "CatalogueModel.h"

namespace catalogue {

struct SLayoutPair {
    uint32_t expectedMajor;
    uint32_t storedMajor;
    std::map<uint32_t, uint32_t> changes;
};

std::vector<uint32_t> knownMajors(const SCatalogue& catalogue);
std::vector<SLayoutPair> layoutPairs(const SCatalogue& catalogue);

}  // namespace catalogue
