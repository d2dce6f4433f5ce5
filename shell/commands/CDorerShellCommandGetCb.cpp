#include "CDorerShellCommandGetCb.h"

#include <vector>

#include "DorerDataDictionary.h"
#include "DorerItemId.h"
#include "DorerShellCodingNames.h"
#include "DorerShellFormat.h"
#include "DorerShellItemText.h"
#include "DorerShellValueText.h"
#include "NDorerShellResources.h"
#include "qf/QFTrace.h"

namespace {
const CQFTraceScopeDef kScope("sys_data_systemsettings_shell_CDorerShellCommandGetCb");

const char kBlockDescription[] = " NAME: %name%\n ADDR: %address%\nMODIF: %modifier%\n SIZE: %size%\nVALUE: %value%\n";
const char kFunctionDescription[] =
    " NAME: %name%\n ADDR: %address%\n FUNC: %function%\nMODIF: %modifier%\n SIZE: %size%\nVALUE: %value%\n";
const char kBlockDump[] = "setc %name%=%value%\n";
const char kFunctionDump[] = "setc %name%.%function%=%value%\n";

// The name of the function's first named value equal to the value, else its bytes. A dump
// quotes a name that reads as a number, for setc would take the number as a byte.
CQFString valueText(const DorerDataNode& function, const CQFBuffer& value, bool dump) {
    const DorerDataNode* named = NDorerShellCodingNames::findNamedValue(function, value);
    if (!named) return NDorerShellFormat::formatBytes(value);
    if (dump && NDorerShellValueText::isNumber(named->getName())) return CQFString("\"").append(named->getName()).append('"');
    return named->getName();
}
}  // namespace

CDorerShellCommandGetCb::CDorerShellCommandGetCb(const CQFString& name, uint32_t id, bool dump) : mId(id), mDump(dump) {
    NDorerShellCodingNames::split(name, mGroup, mFunction);
}

void CDorerShellCommandGetCb::start() {
    CQFTraceScope(kScope, "start").sendFormattedMessage("CDorerShellCommandGetCb::%s()", "start");
    mResult = read();
    complete(ERRCLN_FAILED_GETCB);
}

DorerDataNodeList CDorerShellCommandGetCb::findCandidates() const {
    if (mId != 0) return findItems(CQFString(), mId, DorerDataNode::Cb | DorerDataNode::CbFunction);
    DorerDataNodeList blocks = findItems(mGroup, 0, DorerDataNode::Cb);
    return blocks.empty() ? findItems(mGroup, 0, DorerDataNode::CbFunction) : blocks;
}

CDorerShellResult CDorerShellCommandGetCb::read() const {
    if (mGroup.isEmpty() && mId == 0) return CDorerShellResult(eShellSyntaxError, CQFString());
    const DorerDataNodeList candidates = findCandidates();
    if (candidates.empty()) return CDorerShellResult(eShellCbDataGroupNotFound, CQFString());

    std::vector<CQFString> texts;
    if (mFunction.isEmpty() && candidates.front()->getKind() == DorerDataNode::Cb) {
        for (const DorerDataNodeRef& block : candidates) texts.push_back(describeBlock(*block));
    } else if (mFunction.isEmpty()) {
        // A function found by its bare name or id: its block is named by the id, and shown by number.
        const DorerDataNode& function = *candidates.front();
        const uint32_t blockNumber = DorerItemId_blockNumber(function.getId());
        DorerDataNodeRef block;
        DorerDataDictionary::findById(DorerDataDictionary::getRoot(), blockNumber, block);
        texts.push_back(describeFunction(block ? block->getName() : CQFString(), NDorerShellItemText::hex(blockNumber),
                                         function));
    } else {
        for (const DorerDataNodeRef& block : candidates) {
            if (block->getKind() != DorerDataNode::Cb) continue;
            for (const DorerDataNodeRef& function : findBelow(block, mFunction, DorerDataNode::CbFunction)) {
                texts.push_back(describeFunction(block->getName(), NDorerShellItemText::hex(block->getAddress()), *function));
            }
        }
    }
    if (texts.empty()) return CDorerShellResult(eShellCbDataGroupNotFound, CQFString());
    return CDorerShellResult(eShellValid, NDorerShellItemText::join(texts));
}

CQFString CDorerShellCommandGetCb::describeBlock(const DorerDataNode& block) const {
    CQFBuffer value;
    const EDorerDataAccessResult access = readItem(block.getId(), value);
    return NDorerShellItemText::fill(mDump ? kBlockDump : kBlockDescription,
                                     {{"%name%", block.getName()},
                                      {"%value%", NDorerShellFormat::formatBytes(value)},
                                      {"%address%", NDorerShellItemText::hex(block.getAddress())},
                                      {"%size%", NDorerShellItemText::hex(block.getSize())},
                                      {"%modifier%", NDorerShellResources::toString(access)}});
}

CQFString CDorerShellCommandGetCb::describeFunction(const CQFString& blockName, const CQFString& address,
                                                    const DorerDataNode& function) const {
    CQFBuffer value;
    const EDorerDataAccessResult access = readItem(function.getId(), value);
    return NDorerShellItemText::fill(mDump ? kFunctionDump : kFunctionDescription,
                                     {{"%name%", blockName},
                                      {"%function%", function.getName()},
                                      {"%value%", valueText(function, value, mDump)},
                                      {"%address%", address},
                                      {"%size%", NDorerShellItemText::hex(function.getSize())},
                                      {"%modifier%", NDorerShellResources::toString(access)}});
}
