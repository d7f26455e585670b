// The textbook O(n^3) clustering, written down step by step as the routine is specified, on
// the library's own containers: the reference that the fast engine must match bit for bit.
#pragma once

#include "cluster/hclust.h"

namespace dendrokit::testing {

int NaiveHierarchicalClustering(TObject* sender, TMatrix& data, TDistMode distMode,
                                TClusterMethod method, double flexAlpha,
                                TIntMatrix& mergeTable, TVector& mergeDist, TVector& nodePos,
                                const TClusterProgressProc& progress,
                                const TOnCalcDistanceEvent& onCalcDistance);

}  // namespace dendrokit::testing
