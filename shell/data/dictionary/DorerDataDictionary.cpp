#include "DorerDataDictionary.h"

#include "DorerCatalogue.h"
#include "DorerNamePattern.h"
#include "dorerDefaults.h"

namespace {

bool kindMatches(const DorerDataNode& node, uint32_t kindMask) {
    return kindMask == DorerDataNode::AnyKind || (node.getKind() & kindMask) != 0;
}

// Pre-order walk over the descendants of node; visit returns true to stop the walk.
template <class Visit>
bool walk(const DorerDataNode& node, Visit& visit) {
    for (const DorerDataNodeRef& child : node.getChildren()) {
        if (visit(child) || walk(*child, visit)) return true;
    }
    return false;
}

DorerDataNodeRef buildRoot() {
    DorerCatalogue_install();
    DorerDataNodeRef root(new DorerDataNodeRoot(DorerCatalogue_rootChildCount()));
    DorerCatalogue_build(*root);
    return root;
}

}  // namespace

DorerDataNodeRef DorerDataDictionary::getRoot() {
    static const DorerDataNodeRef sRoot = buildRoot();
    return sRoot;
}

bool DorerDataDictionary::findByName(const DorerDataNodeRef& start, const char* pattern, uint32_t kindMask,
                                     DorerDataNodeList& out) {
    if (!start) return false;
    const size_t before = out.size();
    const DorerNamePattern compiled(pattern);
    auto visit = [&](const DorerDataNodeRef& node) {
        const CQFString& name = node->getName();
        if (kindMatches(*node, kindMask) && compiled.matches(name.getCString(), name.getByteLength())) {
            out.push_back(node);
        }
        return false;
    };
    walk(*start, visit);
    return out.size() > before;
}

bool DorerDataDictionary::findByKind(const DorerDataNodeRef& start, bool childrenOnly, uint32_t kindMask,
                                     DorerDataNodeList& out) {
    if (!start) return false;
    const size_t before = out.size();
    if (childrenOnly) {
        for (const DorerDataNodeRef& child : start->getChildren()) {
            if (kindMatches(*child, kindMask)) out.push_back(child);
        }
    } else {
        auto visit = [&](const DorerDataNodeRef& node) {
            if (kindMatches(*node, kindMask)) out.push_back(node);
            return false;
        };
        walk(*start, visit);
    }
    return out.size() > before;
}

bool DorerDataDictionary::findById(const DorerDataNodeRef& start, uint32_t id, DorerDataNodeRef& out) {
    if (!start || !dorerDefaults_isValidId(id)) return false;
    auto visit = [&](const DorerDataNodeRef& node) {
        if (node->getId() != id) return false;
        out = node;
        return true;
    };
    return walk(*start, visit);
}

bool DorerDataDictionary::matchPattern(const char* pattern, const char* name) {
    return DorerNamePattern_match(pattern, name);
}
