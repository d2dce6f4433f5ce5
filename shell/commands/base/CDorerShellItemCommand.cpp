#include "CDorerShellItemCommand.h"

#include "CDorerClientDataAccessor.h"
#include "CzoqDorerClientStore.h"
#include "DorerDataDictionary.h"

DorerDataNodeList CDorerShellItemCommand::findItems(const CQFString& name, uint32_t id, uint32_t kindMask) {
    const DorerDataNodeRef root = DorerDataDictionary::getRoot();
    if (id == 0) return findBelow(root, name, kindMask);
    DorerDataNodeList found;
    DorerDataNodeRef node;
    if (DorerDataDictionary::findById(root, id, node) && (kindMask == DorerDataNode::AnyKind || (node->getKind() & kindMask)))
        found.push_back(node);
    return found;
}

DorerDataNodeList CDorerShellItemCommand::findBelow(const DorerDataNodeRef& start, const CQFString& pattern,
                                                    uint32_t kindMask) {
    DorerDataNodeList found;
    DorerDataDictionary::findByName(start, pattern.getCString(), kindMask, found);
    return found;
}

uint32_t CDorerShellItemCommand::selectOne(const DorerDataNodeList& candidates, uint32_t notFoundCode,
                                           DorerDataNodeRef& out) {
    if (candidates.empty()) return notFoundCode;
    if (candidates.size() > 1) return eShellSyntaxError;
    out = candidates.front();
    return eShellValid;
}

CDorerShellResult CDorerShellItemCommand::listNames(const CQFString& pattern, uint32_t kindMask, uint32_t notFoundCode) {
    const DorerDataNodeList nodes = findBelow(DorerDataDictionary::getRoot(), pattern, kindMask);
    if (nodes.empty()) return CDorerShellResult(notFoundCode, CQFString());
    CQFString names;
    for (const DorerDataNodeRef& node : nodes) names.append(node->getName()).append('\n');
    return CDorerShellResult(eShellValid, names);
}

EDorerDataAccessResult CDorerShellItemCommand::readItem(uint32_t id, CQFBuffer& out) {
    CDorerClientDataAccessor* accessor = sClientStore ? sClientStore->getDataAccessor() : nullptr;
    if (!accessor) return eDorerDataAccessInvalidId;
    return accessor->getBuffer(sClientStore->getClientKey(), id, out);
}

int CDorerShellItemCommand::setItem(uint32_t id, const CQFBuffer& value) {
    return sClientStore ? sClientStore->setItem(id, value) : eDorerDataAccessInvalidId;
}

void CDorerShellItemCommand::complete(EErrorId failId) {
    if (!mResult.isValid()) addError(failId);
    reportCompletion(mResult.isValid());
}
