#include "CDorerShellCommandSetCb.h"

#include "DorerShellCodingNames.h"
#include "DorerShellItemText.h"
#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandSetCb");
}  // namespace

CDorerShellCommandSetCb::CDorerShellCommandSetCb(const CQFString& name, uint32_t id, const CQFString& value)
    : mId(id), mValue(NDorerShellCodingNames::normalisedValue(value)) {
    NDorerShellCodingNames::split(name, mGroup, mFunction);
}

void CDorerShellCommandSetCb::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("%s : <==", "start");
    mResult = set();
    complete(ERRCLN_FAILED_SETCB);
}

CDorerShellResult CDorerShellCommandSetCb::set() const {
    if (mValue.isEmpty()) return CDorerShellResult(eShellSyntaxError, CQFString());
    DorerDataNodeRef target;
    const uint32_t found = findTarget(target);
    if (found != eShellValid) return CDorerShellResult(found, CQFString());
    CQFBuffer value;
    if (!NDorerShellCodingNames::valueOf(*target, mValue, value)) {
        return CDorerShellResult(eShellIncorrectValue, CQFString());
    }
    const int result = setItem(target->getId(), value);
    return CDorerShellResult(result == 0 ? eShellValid : eShellIncorrectValue,
                             NDorerShellItemText::setResult(static_cast<EDorerDataAccessResult>(result)));
}

uint32_t CDorerShellCommandSetCb::findTarget(DorerDataNodeRef& target) const {
    if (mId != 0) return selectOne(findItems(CQFString(), mId, DorerDataNode::AnyKind), eShellCbDataGroupNotFound, target);
    if (mGroup.isEmpty()) return eShellSyntaxError;
    DorerDataNodeRef block;
    const uint32_t blockFound = selectOne(findItems(mGroup, 0, DorerDataNode::Cb), eShellCbDataGroupNotFound, block);
    if (blockFound != eShellValid || mFunction.isEmpty()) {
        target = block;
        return blockFound;
    }
    return selectOne(findBelow(block, mFunction, DorerDataNode::CbFunction), eShellCbDataGroupNotFound, target);
}
