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
