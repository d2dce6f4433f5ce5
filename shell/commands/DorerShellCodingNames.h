// How the coding-data commands name their items: "group.function" arguments and the named
// values of a coding function.
#pragma once

#include "DorerDataNode.h"
#include "qf/CQFBuffer.h"
#include "qf/CQFString.h"

namespace NDorerShellCodingNames {

// At the first "." the trimmed text before it is the group and the trimmed text after it the
// function; without a "." the whole text is the group and the function is empty.
void split(const CQFString& text, CQFString& group, CQFString& function);

bool hasNamedValues(const DorerDataNode& node);
// The first named value of the node whose bytes equal value, or null.
const DorerDataNode* findNamedValue(const DorerDataNode& node, const CQFBuffer& value);
// The named value of that name, or null.
const DorerDataNode* findNamedValue(const DorerDataNode& node, const CQFString& name);

}  // namespace NDorerShellCodingNames
