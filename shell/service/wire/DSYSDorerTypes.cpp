#include "DSYSDorerTypes.h"

#include "qf/QFAssert.h"

namespace DSYSDorerTypes {

const char* toString(EStorageType type) {
    switch (type) {
        case None: return "None";
        case Flash: return "Flash";
        case Eeprom: return "Eeprom";
        case Adjust: return "Adjust";
        case Early: return "Early";
    }
    doAssert(38, "DSYSDorerTypes", "Undefined DSYSDorerTypes::EStorageType value.", static_cast<long long>(type));
    return "";
}

}  // namespace DSYSDorerTypes

namespace DSYSDorerAdmin {

const char* toString(EPartitionCondition condition) {
    switch (condition) {
        case EPartitionCondition_eAvailable: return "EPartitionCondition_eAvailable";
        case EPartitionCondition_eCorrupted: return "EPartitionCondition_eCorrupted";
        case EPartitionCondition_eUndefined: return "EPartitionCondition_eUndefined";
        case EPartitionCondition_eBadVersion: return "EPartitionCondition_eBadVersion";
        case EPartitionCondition_eInAccessible: return "EPartitionCondition_eInAccessible";
    }
    doAssert(52, "DSYSDorerAdmin", "Undefined DSYSDorerAdmin::EPartitionCondition value.",
             static_cast<long long>(condition));
    return "";
}

}  // namespace DSYSDorerAdmin

namespace {

template <class TEnum>
void readEnum(IQFIStream& in, TEnum& value) {
    uint32_t raw = value;
    in.read(raw);
    value = static_cast<TEnum>(raw);
}

}  // namespace

void writeValue(IQFOStream& out, const SDorerItemChange& value) {
    out.write(value.mItemId);
    out.write(value.mData);
}

void readValue(IQFIStream& in, SDorerItemChange& value) {
    in.read(value.mItemId);
    in.read(value.mData);
}

void writeValue(IQFOStream& out, const SDorerVersions& value) {
    out.write(value.mQfsdVersion);
    out.write(value.mAdjustVersion);
    out.write(value.mCbVersion);
    out.write(value.mSpareVersion);
}

void readValue(IQFIStream& in, SDorerVersions& value) {
    in.read(value.mQfsdVersion);
    in.read(value.mAdjustVersion);
    in.read(value.mCbVersion);
    in.read(value.mSpareVersion);
}

void writeValue(IQFOStream& out, const SStorageInfo& value) {
    out.write(static_cast<uint32_t>(value.mStorage));
    out.write(static_cast<uint32_t>(value.mStatus));
    out.write(value.mIndex);
    out.write(value.mEraseCounter);
    out.write(value.mDataPos);
    out.write(value.mSpare);
}

void readValue(IQFIStream& in, SStorageInfo& value) {
    readEnum(in, value.mStorage);
    readEnum(in, value.mStatus);
    in.read(value.mIndex);
    in.read(value.mEraseCounter);
    in.read(value.mDataPos);
    in.read(value.mSpare);
}

void writeValue(IQFOStream& out, const SStoredVersion& value) {
    out.write(value.mId);
    out.write(value.mVersion);
}

void readValue(IQFIStream& in, SStoredVersion& value) {
    in.read(value.mId);
    in.read(value.mVersion);
}

void writeValue(IQFOStream& out, const SItemError& value) {
    out.write(value.mItemId);
    out.write(value.mReason);
}

void readValue(IQFIStream& in, SItemError& value) {
    in.read(value.mItemId);
    in.read(value.mReason);
}

void writeValue(IQFOStream& out, const SActionLogEntry& value) {
    out.write(static_cast<uint32_t>(value.mAction));
    out.write(value.mSuccess);
    out.write(value.mIoResult);
    writeValue(out, value.mItemErrors);
    out.write(value.mReserved1);
    out.write(value.mReserved2);
    out.write(value.mSequenceNumber);
}

void readValue(IQFIStream& in, SActionLogEntry& value) {
    readEnum(in, value.mAction);
    in.read(value.mSuccess);
    in.read(value.mIoResult);
    readValue(in, value.mItemErrors);
    in.read(value.mReserved1);
    in.read(value.mReserved2);
    in.read(value.mSequenceNumber);
}
