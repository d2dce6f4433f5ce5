#include "CDorerShellCommandCheck.h"

#include "DorerShellCodingNames.h"
#include "DorerShellFormat.h"
#include "DorerShellValueText.h"
#include "EDorerValueType.h"
#include "qf/QFAssert.h"
#include "qf/QFTrace.h"

namespace {

const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandCheck");

CQFString keyValueText(uint32_t valueType, const CQFBuffer& value) {
    if (valueType > eDorerValueCQFByteStream) {
        doAssert(112, "CDorerShellCommandCheck", "Undefined EDorerValueType value.", valueType);
        return CQFString();
    }
    return NDorerShellValueText::formatKeyValue(valueType, value);
}

}  // namespace

void CDorerShellCommandCheck::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandCheck::%s()", "start");
    uint32_t code = eShellSyntaxError;
    CQFString text;
    if (!mName.isEmpty() && !mExpected.isEmpty()) {
        DorerDataNodeRef node;
        // Not exactly one item of that name (none, or several for a pattern): not found.
        if (selectOne(findItems(mName, 0, DorerDataNode::AnyKind), eShellKeyNotFound, node) != eShellValid) {
            code = eShellKeyNotFound;
        } else {
            EDorerDataAccessResult read = eDorerDataAccessInvalidId;
            CQFString actual;
            if (readActual(*node, code, read, actual) &&
                (read == eDorerDataAccessNonDefaults || read == eDorerDataAccessDefaults)) {
                text = compare(code, actual);
            }
        }
    }
    mResult = CDorerShellResult(code, text);
    complete(ERRCLN_FAILED_CHECK);
}

bool CDorerShellCommandCheck::readActual(const DorerDataNode& node, uint32_t& code, EDorerDataAccessResult& read,
                                         CQFString& actual) {
    CQFBuffer value;
    switch (node.getKind()) {
        case DorerDataNode::Key:
            code = eShellKeyNotFound;
            read = readItem(node.getId(), value);
            actual = keyValueText(node.getValueType(), value);
            return true;
        case DorerDataNode::AdjStruct:
        case DorerDataNode::AdjNode:
            code = eShellAdjNotFound;
            break;
        case DorerDataNode::Cb: code = eShellCbDataGroupNotFound; break;
        case DorerDataNode::CbFunction:
            code = eShellCbDataGroupNotFound;
            resolveValueName(node, code);
            break;
        default:
            doAssert(153, "CDorerShellCommandCheck", "Unsupported item type.", node.getKind());
            return false;
    }
    read = readItem(node.getId(), value);
    actual = NDorerShellFormat::formatBytes(value);
    return true;
}

void CDorerShellCommandCheck::resolveValueName(const DorerDataNode& function, uint32_t& code) {
    if (NDorerShellValueText::isNumber(mExpected)) return;
    const DorerDataNode* named = NDorerShellCodingNames::findNamedValue(function, mExpected);
    if (!named) {
        code = eShellIncorrectValue;
        return;
    }
    const uint32_t firstByte = named->getSize() > 0 && named->getValue() ? named->getValue()[0] : 0;
    mExpected = CQFString().format("0x%.2x", firstByte);
    code = eShellValid;
}

CQFString CDorerShellCommandCheck::compare(uint32_t& code, const CQFString& actual) const {
    CQFString text("#CHECK RESULT: %result%\n");
    if (mExpected != actual || code == eShellIncorrectValue) {
        code = eShellIncorrectValue;
        // In one pass: the texts are shown as they are, even when they look like placeholders.
        CQFString result("expected<");
        result.append(mExpected).append("> | receive<").append(actual).append(">");
        text.replaceAll("%result%", result);
    } else {
        code = eShellValid;
        text.replaceAll("%result%", "Success");
    }
    return text;
}
