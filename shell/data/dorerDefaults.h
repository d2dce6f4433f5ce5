// The built-in defaults of the settings items. The functions over item ids are reached
// through one table, so that the generated catalogue (or a test's own) is plugged in by
// dorerDefaults_install; without a table no id is known.
#pragma once

#include <cstdint>

struct DorerDefaultsFunctions {
    // The compiled version of the id's kind, 0xFFFF for an invalid id.
    uint16_t (*getVersion)(uint32_t id);
    bool (*isMirrorKey)(uint32_t id);
    bool (*isValidId)(uint32_t id);
    // Item size in bytes; a coding block's data without its 2-byte version.
    uint32_t (*getSize)(uint32_t id);
    // 1 for an invalid id, else the page lookup code in the defaults image.
    int (*getBuffer)(uint32_t id, const uint8_t** data, uint16_t* length);
    bool (*checkValue)(uint32_t id, const uint8_t* data, uint32_t length);
    // The id of the same item in the layout of storedMajor, 0xFFFFFFFF when it has none there.
    uint32_t (*mapId)(uint8_t expectedMajor, uint8_t storedMajor, uint32_t id);
};

void dorerDefaults_install(const DorerDefaultsFunctions* functions);

uint16_t dorerDefaults_getVersion(uint32_t id);
bool dorerDefaults_isMirrorKey(uint32_t id);
bool dorerDefaults_isValidId(uint32_t id);
uint32_t dorerDefaults_getSize(uint32_t id);
int dorerDefaults_getBuffer(uint32_t id, const uint8_t** data, uint16_t* length);
bool dorerDefaults_checkValue(uint32_t id, const uint8_t* data, uint32_t length);

// The id of the same item in the layout of storedMajor, or 0xFFFFFFFF when it does not exist
// there (always without a table).
uint32_t dorerDefaults_mapId(uint8_t expectedMajor, uint8_t storedMajor, uint32_t id);

// The storing rule every catalogue applies, given the item's size: a coding block, adjust item
// or multi-byte field needs exactly its size, a bit field one byte whose value fits the mask,
// a key at most its size; an empty value never fits.
bool dorerDefaults_valueFits(uint32_t id, const uint8_t* data, uint32_t length, uint32_t size);
