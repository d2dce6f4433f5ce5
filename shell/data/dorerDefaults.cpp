#include "dorerDefaults.h"

#include <atomic>

#include "DorerItemId.h"
#include "DorerPageGetLib.h"

namespace {

std::atomic<const DorerDefaultsFunctions*> g_functions{nullptr};

const DorerDefaultsFunctions* table() { return g_functions.load(std::memory_order_acquire); }

}  // namespace

void dorerDefaults_install(const DorerDefaultsFunctions* functions) {
    g_functions.store(functions, std::memory_order_release);
}

uint16_t dorerDefaults_getVersion(uint32_t id) { return table() ? table()->getVersion(id) : 0xFFFF; }

bool dorerDefaults_isMirrorKey(uint32_t id) { return table() && table()->isMirrorKey(id); }

bool dorerDefaults_isValidId(uint32_t id) { return table() && table()->isValidId(id); }

uint32_t dorerDefaults_getSize(uint32_t id) { return table() ? table()->getSize(id) : 0; }

int dorerDefaults_getBuffer(uint32_t id, const uint8_t** data, uint16_t* length) {
    return table() ? table()->getBuffer(id, data, length) : DORER_PAGE_NOT_FOUND;
}

uint32_t dorerDefaults_mapId(uint8_t expectedMajor, uint8_t storedMajor, uint32_t id) {
    return table() ? table()->mapId(expectedMajor, storedMajor, id) : 0xFFFFFFFFu;
}

bool dorerDefaults_checkValue(uint32_t id, const uint8_t* data, uint32_t length) {
    return table() && table()->checkValue(id, data, length);
}

bool dorerDefaults_valueFits(uint32_t id, const uint8_t* data, uint32_t length, uint32_t size) {
    if (length == 0 || data == nullptr) return false;
    if (DorerItemId_kind(id) == eDorerItemKindKey) return length <= size;
    if (DorerItemId_isBitField(id)) {
        uint8_t mask = DorerItemId_bitMask(id);
        unsigned shift = DorerItemId_maskShift(mask);
        uint32_t value = data[0];
        return length == 1 && (((value << shift) & mask) >> shift) == value;
    }
    return length == size;
}
