// Where the settings service keeps an item; shared with the service interface.
#pragma once

#include <cstdint>

namespace DSYSDorerTypes {

enum EStorageType : uint32_t {
    None = 0,
    Flash = 1,
    Eeprom = 2,
    Adjust = 4,
    Early = 8,
};

}  // namespace DSYSDorerTypes
