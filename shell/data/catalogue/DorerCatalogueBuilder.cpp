#include "DorerCatalogueBuilder.h"

namespace {

// Adds nodes[next] and its descendants under parent; returns the index after them.
size_t addAdjustNode(DorerDataNode& parent, const SDorerCatalogueAdjust* nodes, size_t next, size_t count) {
    const SDorerCatalogueAdjust& record = nodes[next++];
    if (!record.isStructure) {
        parent.addChild(new DorerDataNodeAdjNode(record.name, record.id, record.size, record.valueType));
        return next;
    }
    DorerDataNode* structure =
        parent.addChild(new DorerDataNodeAdjStruct(record.name, record.id, record.size, record.childCount));
    for (uint32_t child = 0; child < record.childCount && next < count; ++child) {
        next = addAdjustNode(*structure, nodes, next, count);
    }
    return next;
}

}  // namespace

void DorerCatalogue_addKeys(DorerDataNode& root, const SDorerCatalogueKey* keys, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const SDorerCatalogueKey& key = keys[i];
        root.addChild(new DorerDataNodeKey(key.name, key.id, key.size, key.storageType, key.valueType,
                                           key.mirrorIndex, key.sourceId, key.mirrorId));
    }
}

void DorerCatalogue_addBlock(DorerDataNode& root, const SDorerCatalogueBlock& block) {
    DorerDataNode* cb = root.addChild(new DorerDataNodeCb(block.name, block.number, block.functionCount,
                                                          block.address, block.dataLength, block.mirrorId));
    const SDorerCatalogueValue* value = block.values;
    for (uint32_t i = 0; i < block.functionCount; ++i) {
        const SDorerCatalogueFunction& record = block.functions[i];
        DorerDataNode* function = cb->addChild(
            new DorerDataNodeCbFunction(record.name, record.id, record.size, record.valueCount, record.mirrorId));
        for (uint32_t v = 0; v < record.valueCount; ++v, ++value) {
            function->addChild(new DorerDataNodeCbCondParam(value->name, record.size, value->bytes));
        }
    }
}

void DorerCatalogue_addAdjust(DorerDataNode& root, const SDorerCatalogueAdjust* nodes, size_t count) {
    for (size_t next = 0; next < count;) next = addAdjustNode(root, nodes, next, count);
}
