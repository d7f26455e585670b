// Ward's method on the data vectors themselves, for more objects than the distance triangle
// of HierarchicalClustering can hold.
#pragma once

#include "gfxbase/export.h"

#include <cstdint>
#include <vector>

#include "numeric/matrix.h"

namespace dendrokit {

// One merge of a tree in HierarchicalClustering's numbering: objects 1..n, the cluster of
// step s is n+s; `first` is the cluster whose largest object is lower.
struct DENDROKIT_EXPORT TMergeStep {
  std::int32_t first;
  std::int32_t second;
  double height;
};

// Ward's minimum-variance clustering of the rows of data as points in Euclidean space, with
// merge heights sqrt(2·|A|·|B| / (|A|+|B|)) · ‖centroid(A) − centroid(B)‖ (the heights of
// Ward on Euclidean distances with squared updates, R's "ward.D2"). Returns the n-1 steps
// sorted by height (stable).
// Nearest-neighbour chain: O(n·m) memory besides data (centroids and sizes only), O(n²·m)
// time. Exact in exact arithmetic, because Ward's distance is reducible: a pair of mutual
// nearest neighbours stays mutual while other pairs merge, so the chain finds the same pairs
// as the greedy closest-pair scan. The centroids round differently from the Lance–Williams
// updates of HierarchicalClustering, so heights agree to rounding, and ties may pair
// differently. Throws EVELError when memory cannot be had.
DENDROKIT_EXPORT std::vector<TMergeStep> WardVectorLinkage(const TMatrix& data);

}  // namespace dendrokit
