// The dorerDefaults functions of this catalogue that are not generated: they answer from the
// generated size tree and the defaults image.
#include "DorerCatalogue.h"
#include "DorerItemId.h"
#include "DorerPageGetLib.h"

namespace {

bool isValidId(uint32_t id) { return DorerCatalogue_getSize(id) != 0; }

uint16_t getVersion(uint32_t id) { return isValidId(id) ? kDorerCatalogueVersions[DorerItemId_kind(id)] : 0xFFFF; }

int getBuffer(uint32_t id, const uint8_t** data, uint16_t* length) {
    if (!isValidId(id)) return DORER_PAGE_NOT_FOUND;
    return DorerPageGetLib_getItem(dorerDefaults_page, dorerDefaults_pageSize, id, getVersion(id), data, length);
}

// An id the catalogue lacks takes no value, whatever its bits say.
bool checkValue(uint32_t id, const uint8_t* data, uint32_t length) {
    return isValidId(id) && dorerDefaults_valueFits(id, data, length, DorerCatalogue_getSize(id));
}

const DorerDefaultsFunctions kFunctions = {
    getVersion, DorerCatalogue_isMirrorKey, isValidId, DorerCatalogue_getSize, getBuffer, checkValue,
    DorerCatalogue_mapId,
};

}  // namespace

const DorerDefaultsFunctions& DorerCatalogue_functions() { return kFunctions; }

void DorerCatalogue_install() { dorerDefaults_install(&kFunctions); }
