// The three generated sources: the dictionary build functions with their constant records,
// the defaults image, and the id functions (decision trees over sorted ids).
#pragma once

#include <string>

#include "CatalogueModel.h"

namespace catalogue {

void writeTree(const SCatalogue& catalogue, const std::string& path);
void writeDefaultsImage(const SCatalogue& catalogue, const std::string& path);
void writeIdFunctions(const SCatalogue& catalogue, const std::string& path);

}  // namespace catalogue
