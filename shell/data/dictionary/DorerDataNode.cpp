#include "DorerDataNode.h"

DorerDataNode::DorerDataNode(const char* name, uint32_t childCount) : mName(name) { mChildren.reserve(childCount); }

DorerDataNode* DorerDataNode::addChild(DorerDataNode* child) {
    mChildren.emplace_back(child);
    return child;
}

DorerDataNodeKey::DorerDataNodeKey(const char* name, uint32_t id, uint32_t size, uint32_t storageType,
                                   uint32_t valueType, int32_t mirrorIndex, uint32_t sourceId, uint32_t mirrorId)
    : DorerDataNode(name, 0) {
    mId = id;
    mStorageType = storageType;
    mValueType = valueType;
    mSize = mFullSize = size;
    mMirrorIndex = mirrorIndex;
    mSourceId = sourceId;
    mMirrorId = mirrorId;
}

DorerDataNodeCb::DorerDataNodeCb(const char* name, uint32_t blockNumber, uint32_t childCount, uint32_t address,
                                 uint16_t dataLength, uint32_t mirrorId)
    : DorerDataNode(name, childCount) {
    mAddress = address;
    mAddressLength = dataLength;
    mId = blockNumber;
    mStorageType = DSYSDorerTypes::Eeprom;
    mSize = dataLength;
    mFullSize = dataLength + 2u;  // the page stores the block version in front
    mMirrorId = mirrorId;
}

DorerDataNodeCbFunction::DorerDataNodeCbFunction(const char* name, uint32_t id, uint32_t size, uint32_t childCount,
                                                 uint32_t mirrorId)
    : DorerDataNode(name, childCount) {
    mId = id;
    mStorageType = DSYSDorerTypes::Eeprom;
    mSize = mFullSize = size;
    mMirrorId = mirrorId;
}

DorerDataNodeCbCondParam::DorerDataNodeCbCondParam(const char* name, uint32_t size, const uint8_t* value)
    : DorerDataNode(name, 0) {
    mSize = mFullSize = size;
    mValue = value;
}

DorerDataNodeAdjStruct::DorerDataNodeAdjStruct(const char* name, uint32_t id, uint32_t size, uint32_t childCount)
    : DorerDataNode(name, childCount) {
    mId = id;
    mSize = mFullSize = size;
}

DorerDataNodeAdjNode::DorerDataNodeAdjNode(const char* name, uint32_t id, uint32_t size, uint32_t valueType)
    : DorerDataNode(name, 0) {
    mId = id;
    mValueType = valueType;
    mSize = mFullSize = size;
}

DorerDataNodeRoot::DorerDataNodeRoot(uint32_t childCount) : DorerDataNode("root", childCount) {}
