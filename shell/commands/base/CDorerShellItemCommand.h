// The base of the commands on settings items (custom keys, coding data, adjust data): they
// find items in the dictionary, read them through the shell's client store, set them into its
// pending-change cache, and all finish within start().
#pragma once

#include <cstdint>

#include "CDorerShellCommand.h"
#include "DorerDataNode.h"
#include "EDorerDataAccessResult.h"
#include "qf/CQFBuffer.h"

class CDorerShellItemCommand : public CDorerShellCommand {
protected:
    static constexpr uint32_t kAdjustKinds = DorerDataNode::AdjStruct | DorerDataNode::AdjNode;

    // With id 0 the nodes of the kinds in kindMask whose names match name as a pattern, in
    // tree order; otherwise the node with the id when its kind is in kindMask.
    static DorerDataNodeList findItems(const CQFString& name, uint32_t id, uint32_t kindMask);
    // The nodes of the kinds under start whose names match the pattern.
    static DorerDataNodeList findBelow(const DorerDataNodeRef& start, const CQFString& pattern, uint32_t kindMask);
    // Exactly one candidate: 0 and the node; none: notFoundCode; several: "SYNTAX ERROR".
    static uint32_t selectOne(const DorerDataNodeList& candidates, uint32_t notFoundCode, DorerDataNodeRef& out);

    // The names of the matching nodes, each followed by a newline; notFoundCode for none.
    static CDorerShellResult listNames(const CQFString& pattern, uint32_t kindMask, uint32_t notFoundCode);

    // Through the shared client store's data accessor: this shell's pending change, the page,
    // or the default.
    static EDorerDataAccessResult readItem(uint32_t id, CQFBuffer& out);
    // Through the shared client store into the pending-change cache: 0 recorded; 1 refused (id
    // unknown, a mirror key, or no data accessor); 2 the value does not fit the item.
    static int setItem(uint32_t id, const CQFBuffer& value);

    // Records failId when the result is not valid, then reports completion.
    void complete(EErrorId failId);
};
