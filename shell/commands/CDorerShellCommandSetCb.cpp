#include "CDorerShellCommandSetCb.h"

#include "DorerShellCodingNames.h"
#include "DorerShellItemText.h"
#include "DorerShellValueText.h"
#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandSetCb");

// Named values are upper case; numbers keep their "0x" so that they stay numbers.
CQFString normalised(const CQFString& value) {
    if (NDorerShellValueText::isNumber(value)) return value;
    return QFStringUtilities::toUpper(value).trim();
}

// A name in double quotes, so that a named value called "20" is not read as a number.
CQFString unquoted(const CQFString& name) {
    const std::string& text = name.str();
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return name.getMid(1, text.size() - 2);
    return name;
}
}  // namespace

CDorerShellCommandSetCb::CDorerShellCommandSetCb(const CQFString& name, uint32_t id, const CQFString& value)
    : mId(id), mValue(normalised(value)) {
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
    if (!findValue(*target, value)) return CDorerShellResult(eShellIncorrectValue, CQFString());
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

bool CDorerShellCommandSetCb::findValue(const DorerDataNode& target, CQFBuffer& value) const {
    const bool isByteList = NDorerShellValueText::parseByteList(mValue, value);
    if (!NDorerShellCodingNames::hasNamedValues(target)) return isByteList && value.getSize() == target.getSize();
    const DorerDataNode* named = isByteList ? NDorerShellCodingNames::findNamedValue(target, value)
                                            : NDorerShellCodingNames::findNamedValue(target, unquoted(mValue));
    if (!named) return false;
    value = CQFBuffer(named->getValue(), named->getSize());
    return true;
}
