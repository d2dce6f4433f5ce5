#include "catalogue_rules.h"

#include <algorithm>
#include <stdexcept>

#include "DorerCatalogue.h"
#include "DorerDataDictionary.h"
#include "DorerItemId.h"
#include "dorerDefaults.h"

namespace hu::sysetsrv {

namespace {

uint16_t versionOfKind(uint32_t id, const SDorerVersions& versions) {
    switch (DorerItemId_kind(id)) {
        case eDorerItemKindCodingBlock:
        case eDorerItemKindCodingFunction: return versions.mCbVersion;
        case eDorerItemKindAdjust: return versions.mAdjustVersion;
        default: return versions.mQfsdVersion;
    }
}

}  // namespace

CatalogueRules::CatalogueRules() {
    DorerCatalogue_install();
    if (!defaults_.loadImage(dorerDefaults_page, dorerDefaults_pageSize)) {
        throw std::runtime_error("the catalogue's defaults image is malformed");
    }
    DorerDataNodeList nodes;
    DorerDataDictionary::findByKind(DorerDataDictionary::getRoot(), false,
                                    DorerDataNode::Key | DorerDataNode::Cb | DorerDataNode::CbFunction, nodes);
    for (const DorerDataNodeRef& node : nodes) {
        uint32_t id = node->getId();
        if (node->getMirrorId() != kDorerNoId) mirrors_.emplace_back(id, node->getMirrorId());
        if (node->getKind() == DorerDataNode::Key && node->getStorageType() == DSYSDorerTypes::Early) {
            earlyKeys_.push_back(id);
        }
    }
}

uint32_t CatalogueRules::checkChange(uint32_t id, const uint8_t* data, uint32_t length,
                                     const SDorerVersions& versions) const {
    if (!dorerDefaults_isValidId(id) || dorerDefaults_isMirrorKey(id)) return DSYSDorerAdmin::EDataInvalid_eWrongId;
    // Keys carry no item version.
    if (DorerItemId_kind(id) != eDorerItemKindKey &&
        DorerItemId_major(versionOfKind(id, versions)) != DorerItemId_major(dorerDefaults_getVersion(id))) {
        return DSYSDorerAdmin::EDataInvalid_eWrongVersion;
    }
    return dorerDefaults_checkValue(id, data, length) ? kItemValid : DSYSDorerAdmin::EDataInvalid_eWrongSize;
}

uint32_t CatalogueRules::partitionOf(uint32_t blockKey) const {
    switch (DorerItemId_kind(blockKey)) {
        case eDorerItemKindCodingBlock: return DSYSDorerTypes::Eeprom;
        case eDorerItemKindAdjust: return DSYSDorerTypes::Adjust;
        default:
            return std::find(earlyKeys_.begin(), earlyKeys_.end(), blockKey) != earlyKeys_.end()
                       ? DSYSDorerTypes::Early
                       : DSYSDorerTypes::Flash;
    }
}

bool CatalogueRules::blockFits(const PageBlock& block) const {
    const PageBlock* shape = defaults_.block(block.key);
    if (shape == nullptr) return false;
    if (DorerItemId_kind(block.key) == eDorerItemKindKey) {
        return !block.bytes.empty() && block.bytes.size() <= dorerDefaults_getSize(block.key);
    }
    return block.bytes.size() == shape->bytes.size();
}

}  // namespace hu::sysetsrv
