#include "CDorerShellCommandSetAdj.h"

#include "DorerShellItemText.h"
#include "DorerShellValueText.h"
#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandSetAdj");
}

void CDorerShellCommandSetAdj::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandSetAdj::%s()", "start");
    mResult = check();
    complete(ERRCLN_FAILED_SETADJ);
}

CDorerShellResult CDorerShellCommandSetAdj::check() const {
    if (mValue.isEmpty()) return CDorerShellResult(eShellIncorrectValue, CQFString());
    if (mId == 0 && mName.isEmpty()) return CDorerShellResult(eShellSyntaxError, CQFString());
    DorerDataNodeRef range;
    const uint32_t found = selectOne(findItems(mName, mId, kAdjustKinds), eShellAdjNotFound, range);
    if (found != eShellValid) return CDorerShellResult(found, CQFString());
    CQFBuffer bytes;
    if (!NDorerShellValueText::parseByteList(mValue, bytes)) return CDorerShellResult(eShellSyntaxError, CQFString());
    return CDorerShellResult(eShellValid, NDorerShellItemText::setResult(eDorerDataAccessInvalidId));
}
