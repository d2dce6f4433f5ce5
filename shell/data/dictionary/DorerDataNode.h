// The nodes of the data dictionary: one class per kind of settings item, built once from the
// catalogue and then only read. A member that a kind does not use keeps its default.
#pragma once

#include <cstdint>
#include <vector>

#include "DSYSDorerStorageType.h"
#include "qf/CQFString.h"
#include "qf/CQFThreadSafeRefCounter.h"

class DorerDataNode;
using DorerDataNodeRef = TQFRef<DorerDataNode>;
using DorerDataNodeList = std::vector<DorerDataNodeRef>;

constexpr uint32_t kDorerNoId = 0xFFFFFFFFu;

class DorerDataNode : public CQFThreadSafeRefCounter {
public:
    // Single bits, so that a search can ask for several kinds at once.
    enum EKind : uint32_t {
        None = 0,
        Key = 1,
        AdjStruct = 2,
        AdjNode = 4,
        Cb = 8,
        CbFunction = 16,
        CbCondParam = 32,
        Root = 64,
        AnyKind = 127,
    };

    virtual EKind getKind() const = 0;
    virtual uint32_t getStorageType() const { return mStorageType; }

    const CQFString& getName() const { return mName; }
    const DorerDataNodeList& getChildren() const { return mChildren; }
    uint32_t getAddress() const { return mAddress; }
    uint16_t getAddressLength() const { return mAddressLength; }
    uint32_t getId() const { return mId; }
    uint32_t getValueType() const { return mValueType; }
    uint32_t getSize() const { return mSize; }
    uint32_t getFullSize() const { return mFullSize; }
    const uint8_t* getValue() const { return mValue; }
    int32_t getMirrorIndex() const { return mMirrorIndex; }
    uint32_t getSourceId() const { return mSourceId; }
    uint32_t getMirrorId() const { return mMirrorId; }

    // Used while the dictionary is built; returns the child.
    DorerDataNode* addChild(DorerDataNode* child);

protected:
    DorerDataNode(const char* name, uint32_t childCount);
    ~DorerDataNode() override = default;

    CQFString mName;
    DorerDataNodeList mChildren;
    uint32_t mAddress = 0;
    uint16_t mAddressLength = 0;
    uint32_t mId = kDorerNoId;
    uint32_t mStorageType = DSYSDorerTypes::None;
    uint32_t mValueType = 0;
    uint32_t mSize = 0;
    uint32_t mFullSize = 0;
    const uint8_t* mValue = nullptr;  // constant catalogue bytes, never copied
    int32_t mMirrorIndex = -1;
    uint32_t mSourceId = kDorerNoId;
    uint32_t mMirrorId = kDorerNoId;
};

class DorerDataNodeKey : public DorerDataNode {
public:
    DorerDataNodeKey(const char* name, uint32_t id, uint32_t size, uint32_t storageType, uint32_t valueType,
                     int32_t mirrorIndex, uint32_t sourceId, uint32_t mirrorId);
    EKind getKind() const override { return Key; }
};

class DorerDataNodeCb : public DorerDataNode {
public:
    DorerDataNodeCb(const char* name, uint32_t blockNumber, uint32_t childCount, uint32_t address,
                    uint16_t dataLength, uint32_t mirrorId);
    EKind getKind() const override { return Cb; }
};

class DorerDataNodeCbFunction : public DorerDataNode {
public:
    DorerDataNodeCbFunction(const char* name, uint32_t id, uint32_t size, uint32_t childCount, uint32_t mirrorId);
    EKind getKind() const override { return CbFunction; }
};

class DorerDataNodeCbCondParam : public DorerDataNode {
public:
    DorerDataNodeCbCondParam(const char* name, uint32_t size, const uint8_t* value);
    EKind getKind() const override { return CbCondParam; }
};

class DorerDataNodeAdjStruct : public DorerDataNode {
public:
    DorerDataNodeAdjStruct(const char* name, uint32_t id, uint32_t size, uint32_t childCount);
    EKind getKind() const override { return AdjStruct; }
    uint32_t getStorageType() const override { return DSYSDorerTypes::Adjust; }
};

class DorerDataNodeAdjNode : public DorerDataNode {
public:
    DorerDataNodeAdjNode(const char* name, uint32_t id, uint32_t size, uint32_t valueType);
    EKind getKind() const override { return AdjNode; }
    uint32_t getStorageType() const override { return DSYSDorerTypes::Adjust; }
};

class DorerDataNodeRoot : public DorerDataNode {
public:
    explicit DorerDataNodeRoot(uint32_t childCount);
    EKind getKind() const override { return Root; }
};
