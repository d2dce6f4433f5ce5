#include "CDorerShellCommandSetKey.h"

#include "DorerShellItemText.h"
#include "DorerShellValueText.h"
#include "EDorerValueType.h"
#include "qf/QFAssert.h"
#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandSetKey");
}

void CDorerShellCommandSetKey::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandSetKey::%s()", "start");
    mResult = set();
    complete(ERRCLN_FAILED_SETKEY);
}

CDorerShellResult CDorerShellCommandSetKey::set() const {
    if (mValue.isEmpty()) return CDorerShellResult(eShellIncorrectValue, CQFString());
    if (mId == 0 && mName.isEmpty()) return CDorerShellResult(eShellSyntaxError, CQFString());
    DorerDataNodeRef key;
    const uint32_t found = selectOne(findItems(mName, mId, DorerDataNode::Key), eShellKeyNotFound, key);
    if (found != eShellValid) return CDorerShellResult(found, CQFString());

    const uint32_t valueType = key->getValueType();
    if (valueType < eDorerValueBool || valueType > eDorerValueCQFByteStream) {
        doAssert(__LINE__, "CDorerShellCommandSetKey", "Wrong key type.", static_cast<long long>(valueType));
    }
    // A text that does not fit the type leaves the value empty, which set item refuses.
    CQFBuffer value;
    NDorerShellValueText::parseKeyValue(valueType, mValue, value);
    const int result = setItem(key->getId(), value);
    return CDorerShellResult(result == eDorerDataAccessInvalidSize ? eShellIncorrectValue : eShellValid,
                             NDorerShellItemText::setResult(static_cast<EDorerDataAccessResult>(result)));
}
