// The dictionary of every settings item the shell knows by name: a tree of nodes under one
// root, built from the compiled-in catalogue on the first getRoot and kept, unchanged, for the
// life of the process. Searches look at the descendants of the start node only (never at the
// start node itself), depth-first, a node before its children, children in catalogue order.
#pragma once

#include <cstdint>

#include "DorerDataNode.h"

class DorerDataDictionary {
public:
    // Builds the tree on the first call; every call returns a reference to the same root.
    static DorerDataNodeRef getRoot();

    // Appends every descendant whose kind is in kindMask (AnyKind: every kind) and whose name
    // matches the pattern. True when anything was appended.
    static bool findByName(const DorerDataNodeRef& start, const char* pattern, uint32_t kindMask,
                           DorerDataNodeList& out);
    // As findByName without a name test; childrenOnly looks at the direct children alone.
    static bool findByKind(const DorerDataNodeRef& start, bool childrenOnly, uint32_t kindMask,
                           DorerDataNodeList& out);
    // The first descendant with the id, whatever its kind; false at once for an id the
    // catalogue does not know.
    static bool findById(const DorerDataNodeRef& start, uint32_t id, DorerDataNodeRef& out);

    static bool matchPattern(const char* pattern, const char* name);
};
