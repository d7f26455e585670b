// Process-wide state shared by the clustering and its callers. Plain variables without
// locking: everything runs on the user-interface thread.
#pragma once

#include "gfxbase/export.h"

namespace dendrokit {

// Set from a progress handler to stop a running clustering after the current merge step.
extern DENDROKIT_EXPORT bool AbortComputation;
// Incremented by 1.0 at every merge step; callers reset it to 0.0 before a run.
extern DENDROKIT_EXPORT double ProgressCounter;

}  // namespace dendrokit
