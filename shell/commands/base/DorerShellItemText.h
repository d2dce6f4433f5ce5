// The result texts the item commands build from their templates.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "EDorerDataAccessResult.h"
#include "qf/CQFString.h"

namespace NDorerShellItemText {

struct SPlaceholder {
    const char* mName;  // such as "%name%"
    CQFString mValue;
};

// The template with each placeholder replaced everywhere in the text built so far, one after
// another in the given order.
CQFString fill(const char* text, std::initializer_list<SPlaceholder> placeholders);

// One item's text as it is; the texts of several items each followed by the separator line.
CQFString join(const std::vector<CQFString>& texts);

// "0x%.2x".
CQFString hex(uint32_t value);

// "#SET RESULT: %result%\n" with the text of a set or read result.
CQFString setResult(EDorerDataAccessResult result);

}  // namespace NDorerShellItemText
