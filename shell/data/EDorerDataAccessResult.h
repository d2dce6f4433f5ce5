// Result of every item read and set.
#pragma once

enum EDorerDataAccessResult {
    eDorerDataAccessNonDefaults = 0,     // "Non-defaults returned": from the pending changes or the page
    eDorerDataAccessInvalidId = 1,       // "Invalid id": neither page nor defaults hold a value
    eDorerDataAccessInvalidSize = 2,     // "Invalid size": the value does not fit the item (set)
    eDorerDataAccessVersionMismatch = 4, // "Version mismatch": the page's major differs; default returned
    eDorerDataAccessDefaults = 5,        // "Defaults returned": the page lacks the item
};
