// The built-in defaults image: a settings page (version 1) whose lookup table lists the keys,
// the coding blocks and the adjust block in root order, each with its default value.
#pragma once

#include "CatalogueModel.h"
#include "sysetpagelayout.h"

namespace catalogue {

constexpr uint32_t kPageCapacity = kDorerPageSize;
constexpr uint32_t kAdjustKey = 0x80000000u;

Bytes defaultsImage(const SCatalogue& catalogue);

}  // namespace catalogue
