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

// A value text as setc takes it: numbers as typed, anything else trimmed and in upper case.
CQFString normalisedValue(const CQFString& text);
// The bytes setc records for a normalised value text: for a node without named values a byte
// list of exactly the node's size; otherwise the bytes of the named value the text gives as
// bytes or by name (in double quotes, so that a name like "20" is not read as a number).
// False when nothing fits.
bool valueOf(const DorerDataNode& node, const CQFString& text, CQFBuffer& value);

}  // namespace NDorerShellCodingNames
