// The compiled-in settings catalogue: the dictionary build, the built-in defaults image and
// the id functions behind the dorerDefaults table. Generated from dorer_items.def at build time
// except for the few hand-written functions over the generated ones.
#pragma once

#include <cstdint>

#include "DorerDataNode.h"
#include "dorerDefaults.h"

// Adds the keys, the coding blocks and the adjust block under the root, in that order.
void DorerCatalogue_build(DorerDataNode& root);
uint32_t DorerCatalogue_rootChildCount();

// The page image of every item's default (page version 1).
extern const uint8_t dorerDefaults_page[];
extern const uint32_t dorerDefaults_pageSize;

// Compiled versions indexed by item kind.
extern const uint16_t kDorerCatalogueVersions[4];

// The item's size in bytes (a coding block's data size), 0 for an id the catalogue lacks.
uint32_t DorerCatalogue_getSize(uint32_t id);
bool DorerCatalogue_isMirrorKey(uint32_t id);
uint32_t DorerCatalogue_mapId(uint8_t expectedMajor, uint8_t storedMajor, uint32_t id);

// The dorerDefaults functions of this catalogue, and their installation as the process's table.
const DorerDefaultsFunctions& DorerCatalogue_functions();
void DorerCatalogue_install();
