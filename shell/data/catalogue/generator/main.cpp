// catalogue_gen <definitions file> <output folder>: checks the settings item definitions and
// writes the catalogue's generated sources. Any broken rule stops it with a message naming
// the item, so that the build fails.
#include <cstdio>
#include <string>

#include "CatalogueReader.h"
#include "CatalogueRules.h"
#include "CatalogueWriters.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: catalogue_gen <definitions file> <output folder>\n");
        return 2;
    }
    catalogue::SCatalogue definitions = catalogue::readCatalogue(argv[1]);
    catalogue::check(definitions);
    const std::string folder = argv[2];
    catalogue::writeTree(definitions, folder + "/DorerCatalogueTree.cpp");
    catalogue::writeDefaultsImage(definitions, folder + "/DorerCatalogueDefaultsImage.cpp");
    catalogue::writeIdFunctions(definitions, folder + "/DorerCatalogueIds.cpp");
    return 0;
}
