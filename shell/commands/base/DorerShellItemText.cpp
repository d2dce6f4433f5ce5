#include "DorerShellItemText.h"

#include "NDorerShellResources.h"

namespace NDorerShellItemText {

namespace {
const char kSeparator[] = "#-------------------------------------------------------------------------------\n";
}

CQFString fill(const char* text, std::initializer_list<SPlaceholder> placeholders) {
    CQFString filled(text);
    for (const SPlaceholder& placeholder : placeholders) filled.replaceAll(placeholder.mName, placeholder.mValue);
    return filled;
}

CQFString join(const std::vector<CQFString>& texts) {
    if (texts.size() == 1) return texts.front();
    CQFString joined;
    for (const CQFString& text : texts) joined.append(text).append(kSeparator);
    return joined;
}

CQFString hex(uint32_t value) { return CQFString().format("0x%.2x", value); }

CQFString setResult(EDorerDataAccessResult result) {
    return fill("#SET RESULT: %result%\n", {{"%result%", NDorerShellResources::toString(result)}});
}

}  // namespace NDorerShellItemText
