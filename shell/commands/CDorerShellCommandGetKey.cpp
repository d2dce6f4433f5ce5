#include "CDorerShellCommandGetKey.h"

#include <vector>

#include "DorerShellFormat.h"
#include "DorerShellItemText.h"
#include "DorerShellValueText.h"
#include "EDorerValueType.h"
#include "NDorerShellResources.h"
#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandGetKey");

const char kDescription[] = " NAME: %name%\n TYPE: %type%\n   ID: %id%\nMODIF: %modifier%\n SIZE: %size%\nVALUE: %value%\n";
const char kDump[] = "setk %name%=%value%\n";
}  // namespace

void CDorerShellCommandGetKey::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandGetKey::%s()", "start");
    mResult = read();
    complete(ERRCLN_FAILED_GETKEY);
}

CDorerShellResult CDorerShellCommandGetKey::read() const {
    if (mName.isEmpty() && mId == 0) return CDorerShellResult(eShellSyntaxError, CQFString());
    const DorerDataNodeList keys = findItems(mName, mId, DorerDataNode::Key);
    if (keys.empty()) return CDorerShellResult(eShellKeyNotFound, CQFString());
    std::vector<CQFString> texts;
    for (const DorerDataNodeRef& key : keys) texts.push_back(describe(*key));
    return CDorerShellResult(eShellValid, NDorerShellItemText::join(texts));
}

CQFString CDorerShellCommandGetKey::describe(const DorerDataNode& key) const {
    CQFBuffer value;
    const EDorerDataAccessResult access = readItem(key.getId(), value);
    if (access != eDorerDataAccessNonDefaults && access != eDorerDataAccessDefaults) value.clear();
    return NDorerShellItemText::fill(mDump ? kDump : kDescription,
                                     {{"%name%", key.getName()},
                                      {"%value%", NDorerShellValueText::formatKeyValue(key.getValueType(), value)},
                                      {"%id%", NDorerShellItemText::hex(key.getId())},
                                      {"%size%", NDorerShellItemText::hex(key.getFullSize())},
                                      {"%modifier%", NDorerShellResources::toString(access)},
                                      {"%type%", DorerValueType_getName(key.getValueType())}});
}
