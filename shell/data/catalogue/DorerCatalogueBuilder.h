// Adds catalogue records to the dictionary tree. The generated build functions hold the
// records as constant data; names are copied into the nodes, value bytes are not.
#pragma once

#include <cstddef>
#include <cstdint>

#include "DorerDataNode.h"

struct SDorerCatalogueKey {
    const char* name;
    uint32_t id;
    uint32_t size;
    uint32_t storageType;
    uint32_t valueType;
    int32_t mirrorIndex;
    uint32_t sourceId;
    uint32_t mirrorId;
};

struct SDorerCatalogueFunction {
    const char* name;
    uint32_t id;
    uint32_t size;
    uint32_t valueCount;
    uint32_t mirrorId;
};

// A named value has its function's size.
struct SDorerCatalogueValue {
    const char* name;
    const uint8_t* bytes;
};

struct SDorerCatalogueBlock {
    const char* name;
    uint32_t number;
    uint32_t address;
    uint16_t dataLength;
    uint32_t mirrorId;
    uint32_t functionCount;
    const SDorerCatalogueFunction* functions;
    const SDorerCatalogueValue* values;  // every function's values in order; null when none
};

// Adjust nodes in pre-order; a structure is followed by its childCount children.
struct SDorerCatalogueAdjust {
    const char* name;
    uint32_t id;
    uint32_t size;
    uint32_t valueType;
    uint32_t childCount;
    bool isStructure;
};

void DorerCatalogue_addKeys(DorerDataNode& root, const SDorerCatalogueKey* keys, size_t count);
void DorerCatalogue_addBlock(DorerDataNode& root, const SDorerCatalogueBlock& block);
void DorerCatalogue_addAdjust(DorerDataNode& root, const SDorerCatalogueAdjust* nodes, size_t count);
