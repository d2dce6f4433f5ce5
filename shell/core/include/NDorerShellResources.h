// Texts of the shared enumerations. Each undefined value asserts and gives empty text.
#pragma once

#include "CDorerShellResult.h"
#include "EDorerDataAccessResult.h"
#include "EErrorId.h"
#include "qf/CQFString.h"

// The settings service's operating state as the shell numbers it.
enum EState {
    eStateUnloaded = 0,       // "Unloaded"
    eStateReadOnly = 1,       // "ReadOnly"
    eStateFullyOperable = 2,  // "FullyOperable"
};

namespace NDorerShellResources {
CQFString toString(EState state);
CQFString toString(EDorerDataAccessResult result);
}  // namespace NDorerShellResources
