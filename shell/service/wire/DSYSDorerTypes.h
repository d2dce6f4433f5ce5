// The enumerations and structures that travel in the settings service interfaces, and their
// stream encoding: each structure lists its fields once, in stream order (DorerWireFields.h;
// scalars aligned as the PIQ stream rules say).
#pragma once

#include <cstdint>
#include <vector>

#include "DSYSDorerStorageType.h"
#include "DorerWireFields.h"
#include "SDorerItemChange.h"
#include "piq/QFStreams.h"

namespace DSYSDorerTypes {
// "None", "Flash", "Eeprom", "Adjust", "Early"; another value asserts and gives "".
const char* toString(EStorageType type);
}  // namespace DSYSDorerTypes

namespace DSYSDorerAdmin {

enum EPartitionCondition : uint32_t {
    EPartitionCondition_eAvailable = 0,
    EPartitionCondition_eCorrupted = 1,
    EPartitionCondition_eUndefined = 2,
    EPartitionCondition_eBadVersion = 3,
    EPartitionCondition_eInAccessible = 4,
};
// The enumerator's full name; another value asserts and gives "".
const char* toString(EPartitionCondition condition);

enum EDorerAction : uint32_t {
    EDorerAction_eStore = 0,
    EDorerAction_eStorageInfo = 1,
    EDorerAction_eReload = 2,
    EDorerAction_eVersionInfo = 3,
    EDorerAction_eTriggerReadOnly = 4,
    EDorerAction_eTriggerFullyOperable = 5,
};

// Another value carries no error.
enum EDataInvalid : uint32_t {
    EDataInvalid_eWrongVersion = 1,
    EDataInvalid_eWrongSize = 2,
    EDataInvalid_eWrongId = 4,
};

// Bits of SActionLogEntry::mIoResult.
constexpr uint8_t kIoResultStorageFailed = 0x1;
constexpr uint8_t kIoResultIpcFailed = 0x2;

}  // namespace DSYSDorerAdmin

constexpr uint16_t kDorerVersionInvalid = 0xFFFF;

struct SDorerVersions {
    uint16_t mQfsdVersion = kDorerVersionInvalid;
    uint16_t mAdjustVersion = kDorerVersionInvalid;
    uint16_t mCbVersion = kDorerVersionInvalid;
    uint16_t mSpareVersion = kDorerVersionInvalid;
    template <class V, class Self>
    static void fields(V& v, Self& self) {
        v(self.mQfsdVersion);
        v(self.mAdjustVersion);
        v(self.mCbVersion);
        v(self.mSpareVersion);
    }
    bool operator==(const SDorerVersions& o) const {
        return mQfsdVersion == o.mQfsdVersion && mAdjustVersion == o.mAdjustVersion && mCbVersion == o.mCbVersion &&
               mSpareVersion == o.mSpareVersion;
    }
};

struct SStorageInfo {
    DSYSDorerTypes::EStorageType mStorage = DSYSDorerTypes::None;
    DSYSDorerAdmin::EPartitionCondition mStatus = DSYSDorerAdmin::EPartitionCondition_eAvailable;
    uint8_t mIndex = 0;
    uint16_t mEraseCounter = 0;
    uint16_t mDataPos = 0;
    uint8_t mSpare = 0xFF;  // not interpreted by the shell
    template <class V, class Self>
    static void fields(V& v, Self& self) {
        v(self.mStorage);
        v(self.mStatus);
        v(self.mIndex);
        v(self.mEraseCounter);
        v(self.mDataPos);
        v(self.mSpare);
    }
    bool operator==(const SStorageInfo& o) const {
        return mStorage == o.mStorage && mStatus == o.mStatus && mIndex == o.mIndex &&
               mEraseCounter == o.mEraseCounter && mDataPos == o.mDataPos && mSpare == o.mSpare;
    }
};

struct SStoredVersion {
    uint32_t mId = 0;
    uint16_t mVersion = 0;  // 0xFFFF: invalid
    template <class V, class Self>
    static void fields(V& v, Self& self) {
        v(self.mId);
        v(self.mVersion);
    }
    bool operator==(const SStoredVersion& o) const { return mId == o.mId && mVersion == o.mVersion; }
};

struct SItemError {
    uint32_t mItemId = 0;
    uint32_t mReason = 0;  // DSYSDorerAdmin::EDataInvalid
    template <class V, class Self>
    static void fields(V& v, Self& self) {
        v(self.mItemId);
        v(self.mReason);
    }
    bool operator==(const SItemError& o) const { return mItemId == o.mItemId && mReason == o.mReason; }
};

struct SActionLogEntry {
    DSYSDorerAdmin::EDorerAction mAction = DSYSDorerAdmin::EDorerAction_eStore;
    bool mSuccess = false;
    uint8_t mIoResult = 0;  // kIoResultStorageFailed, kIoResultIpcFailed
    std::vector<SItemError> mItemErrors;
    int32_t mReserved1 = 0;  // not interpreted by the shell
    int32_t mReserved2 = 0;
    uint32_t mSequenceNumber = 0;
    template <class V, class Self>
    static void fields(V& v, Self& self) {
        v(self.mAction);
        v(self.mSuccess);
        v(self.mIoResult);
        v(self.mItemErrors);
        v(self.mReserved1);
        v(self.mReserved2);
        v(self.mSequenceNumber);
    }
    bool operator==(const SActionLogEntry& o) const {
        return mAction == o.mAction && mSuccess == o.mSuccess && mIoResult == o.mIoResult &&
               mItemErrors == o.mItemErrors && mReserved1 == o.mReserved1 && mReserved2 == o.mReserved2 &&
               mSequenceNumber == o.mSequenceNumber;
    }
};

// The least number of stream bytes one element takes (bounds the counts a reader accepts).
template <class T>
struct TDorerWireSize;
template <> struct TDorerWireSize<SDorerItemChange> { static constexpr size_t value = 8; };
template <> struct TDorerWireSize<SStorageInfo> { static constexpr size_t value = 15; };
template <> struct TDorerWireSize<SStoredVersion> { static constexpr size_t value = 6; };
template <> struct TDorerWireSize<SItemError> { static constexpr size_t value = 8; };
template <> struct TDorerWireSize<SActionLogEntry> { static constexpr size_t value = 25; };

template <class T>
void readValue(IQFIStream& in, std::vector<T>& values) {
    readVector(in, values, TDorerWireSize<T>::value);
}
template <class T>
void writeValue(IQFOStream& out, const std::vector<T>& values) {
    writeVector(out, values);
}
