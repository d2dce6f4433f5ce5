#include "CDorerShellCommandGetCbList.h"

#include <string>

#include "DorerShellItemText.h"
#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandGetCbList");

// The text before the first "." (all of it when there is none) and the text after it.
void splitAtDot(const CQFString& text, CQFString& head, CQFString& rest) {
    const size_t dot = text.str().find('.');
    head = dot == std::string::npos ? text : text.getMid(0, dot);
    rest = dot == std::string::npos ? CQFString() : text.getRight(dot + 1);
}
}  // namespace

CDorerShellCommandGetCbList::CDorerShellCommandGetCbList(const CQFString& filter) {
    if (filter.isEmpty()) {
        mGroupFilter = "*";
        return;
    }
    CQFString rest, valueFilter;
    splitAtDot(filter, mGroupFilter, rest);
    splitAtDot(rest, mFunctionFilter, valueFilter);
    mValueFilter = QFStringUtilities::toUpper(valueFilter);
}

void CDorerShellCommandGetCbList::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandGetCbList::%s()", "start");
    mResult = list();
    complete(ERRCLN_FAILED_GETCBLIST);
}

CDorerShellResult CDorerShellCommandGetCbList::list() const {
    const DorerDataNodeList blocks = findItems(mGroupFilter, 0, DorerDataNode::Cb);
    if (blocks.empty()) return CDorerShellResult(eShellKeyNotFound, CQFString());
    CQFString lines;
    for (const DorerDataNodeRef& block : blocks) {
        const DorerDataNodeList functions = findBelow(block, mFunctionFilter, DorerDataNode::CbFunction);
        if (functions.empty()) lines.append(block->getName()).append('\n');
        for (const DorerDataNodeRef& function : functions) {
            const CQFString functionName = CQFString(block->getName()).append('.').append(function->getName());
            const DorerDataNodeList values = findBelow(function, mValueFilter, DorerDataNode::CbCondParam);
            if (values.empty()) lines.append(functionName).append('\n');
            for (const DorerDataNodeRef& value : values) {
                lines.append(functionName).append('.').append(value->getName()).append('=');
                lines.append(NDorerShellItemText::hex(value->getValue()[0])).append('\n');
            }
        }
    }
    return CDorerShellResult(eShellValid, lines);
}
