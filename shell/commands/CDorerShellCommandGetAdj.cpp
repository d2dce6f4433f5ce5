#include "CDorerShellCommandGetAdj.h"

#include <vector>

#include "DorerShellFormat.h"
#include "DorerShellItemText.h"
#include "EDorerValueType.h"
#include "NDorerShellResources.h"
#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandGetAdj");

const char kDescription[] = " NAME: %name%\n TYPE: %type%\n   ID: %id%\nMODIF: %modifier%\n SIZE: %size%\nVALUE: %value%\n";
const char kDump[] = "seta %name%=%value%\n";
}  // namespace

void CDorerShellCommandGetAdj::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandGetAdj::%s()", "start");
    mResult = read();
    complete(ERRCLN_FAILED_GETADJ);
}

CDorerShellResult CDorerShellCommandGetAdj::read() const {
    if (mName.isEmpty() && mId == 0) return CDorerShellResult(eShellSyntaxError, CQFString());
    const DorerDataNodeList ranges = findItems(mName, mId, kAdjustKinds);
    if (ranges.empty()) return CDorerShellResult(eShellAdjNotFound, CQFString());
    std::vector<CQFString> texts;
    for (const DorerDataNodeRef& range : ranges) texts.push_back(describe(*range));
    return CDorerShellResult(eShellValid, NDorerShellItemText::join(texts));
}

CQFString CDorerShellCommandGetAdj::describe(const DorerDataNode& range) const {
    CQFBuffer value;
    const EDorerDataAccessResult access = readItem(range.getId(), value);
    return NDorerShellItemText::fill(mDump ? kDump : kDescription,
                                     {{"%name%", range.getName()},
                                      {"%value%", NDorerShellFormat::formatBytes(value)},
                                      {"%id%", NDorerShellItemText::hex(range.getId())},
                                      {"%size%", NDorerShellItemText::hex(range.getFullSize())},
                                      {"%modifier%", NDorerShellResources::toString(access)},
                                      {"%type%", DorerValueType_getName(range.getValueType())}});
}
