// Reads the definitions file into the catalogue model; a line it cannot read stops the
// generator with a message naming the line.
#pragma once

#include <string>

#include "CatalogueModel.h"

namespace catalogue {

void setSourceName(const std::string& name);
SCatalogue readCatalogue(const std::string& path);

}  // namespace catalogue
