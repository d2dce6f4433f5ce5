#include "DorerShellCodingNames.h"

#include <cstring>

namespace NDorerShellCodingNames {

namespace {

template <class TMatch>
const DorerDataNode* findChild(const DorerDataNode& node, TMatch matches) {
    for (const DorerDataNodeRef& child : node.getChildren()) {
        if (child->getKind() == DorerDataNode::CbCondParam && matches(*child)) return child.get();
    }
    return nullptr;
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

}  // namespace NDorerShellCodingNames
