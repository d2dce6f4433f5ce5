#include "DorerShellCodingNames.h"

#include <cstring>

#include "DorerShellValueText.h"

namespace NDorerShellCodingNames {

namespace {

template <class TMatch>
const DorerDataNode* findChild(const DorerDataNode& node, TMatch matches) {
    for (const DorerDataNodeRef& child : node.getChildren()) {
        if (child->getKind() == DorerDataNode::CbCondParam && matches(*child)) return child.get();
    }
    return nullptr;
}

CQFString unquoted(const CQFString& name) {
    const std::string& text = name.str();
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return name.getMid(1, text.size() - 2);
    return name;
}

}  // namespace

void split(const CQFString& text, CQFString& group, CQFString& function) {
    const size_t dot = text.str().find('.');
    if (dot == std::string::npos) {
        group = CQFString(text).trim();
        function = CQFString();
        return;
    }
    group = text.getMid(0, dot).trim();
    function = text.getRight(dot + 1).trim();
}

bool hasNamedValues(const DorerDataNode& node) {
    return findChild(node, [](const DorerDataNode&) { return true; }) != nullptr;
}

const DorerDataNode* findNamedValue(const DorerDataNode& node, const CQFBuffer& value) {
    return findChild(node, [&value](const DorerDataNode& named) {
        return named.getSize() == value.getSize() && (value.isEmpty() || memcmp(named.getValue(), value.getData(), value.getSize()) == 0);
    });
}

const DorerDataNode* findNamedValue(const DorerDataNode& node, const CQFString& name) {
    return findChild(node, [&name](const DorerDataNode& named) { return named.getName() == name; });
}

// Named values are upper case; numbers keep their "0x" so that they stay numbers.
CQFString normalisedValue(const CQFString& text) {
    if (NDorerShellValueText::isNumber(text)) return text;
    return QFStringUtilities::toUpper(text).trim();
}

bool valueOf(const DorerDataNode& node, const CQFString& text, CQFBuffer& value) {
    const bool isByteList = NDorerShellValueText::parseByteList(text, value);
    if (!hasNamedValues(node)) return isByteList && value.getSize() == node.getSize();
    const DorerDataNode* named = isByteList ? findNamedValue(node, value) : findNamedValue(node, unquoted(text));
    if (!named) return false;
    value = CQFBuffer(named->getValue(), named->getSize());
    return true;
}

}  // namespace NDorerShellCodingNames
