// Agglomerative hierarchical clustering of the rows of a data matrix.
#pragma once

#include "gfxbase/export.h"

#include <cstdint>
#include <functional>
#include <span>

#include "gfxbase/component.h"
#include "gfxbase/enums.h"
#include "gfxbase/types.h"
#include "numeric/matrix.h"
#include "numeric/vector.h"

namespace dendrokit {

// Called once before the distances are computed (percent 0) and once at the start of every
// merge step with the current ProgressCounter and a percentage in [0, 100).
using TClusterProgressProc = std::function<void(TObject* sender, double counter, double percent)>;

// Clusters the n rows of data and returns 0, or -1 when AbortComputation was set during a
// progress call (the run then stops after that step and the three outputs are zeroed).
//
// Outputs (resized only when their size differs; nodes 1..n are the rows, node n+s is the
// cluster made in step s, the root is 2n-1):
//   mergeTable  3 columns x (n-1) rows: (lower slot's node, higher slot's node, n+s);
//   mergeDist   n-1 distances, one per step;
//   nodePos     2n-1 drawing positions: leaves 1..n along the axis, clusters midway.
// The outputs are filled without per-element notifications; each raises OnChange once when
// it has been filled (Clear/Fill raise theirs on the stop path).
//
// flexAlpha is clamped to [0.5, 1.0]. For dmUserDef, onCalcDistance is installed as
// data.OnCalcDistance for the run and is called through data.Distance (Sender = &data) for
// the pairs (1,2), (1,3), ..., (n-1,n); data's own handler is restored afterwards, also when
// the handler throws. Ties go to the first pair in row-major scan order. Distances that are
// NaN or >= 1.7e38 never qualify; when no pair qualifies, the first two live clusters are
// merged at the distance stored between them. With one row nothing is merged: the outputs
// hold one zero element each, except nodePos = 1.
// Throws EVELError for an unknown method, for more than 2^30 - 1 rows, or when memory for
// the n(n-1)/2 distances or the run's other arrays cannot be had, before any output changes.
DENDROKIT_EXPORT int HierarchicalClustering(TObject* sender, TMatrix& data, TDistMode distMode,
                           TClusterMethod method, double flexAlpha, TIntMatrix& mergeTable,
                           TVector& mergeDist, TVector& nodePos,
                           const TClusterProgressProc& progress,
                           const TOnCalcDistanceEvent& onCalcDistance);

// The same clustering of n objects whose distances are given: the condensed upper triangle
// d(1,2), d(1,3), ..., d(1,n), d(2,3), ..., d(n-1,n) (n(n-1)/2 values, the layout of SciPy's
// condensed matrices). The values are copied; the outputs, ties, progress calls, stopping and
// non-qualifying distances behave as above. cmCentroid and cmMedian expect squared Euclidean
// distances. Throws EVELError for an unknown method, n outside 1 .. 2^30 - 1, a count that
// is not n(n-1)/2, or missing memory, before any output changes.
DENDROKIT_EXPORT int HierarchicalClusteringOfDistances(TObject* sender,
                                                       std::span<const double> distances, int n,
                                                       TClusterMethod method, double flexAlpha,
                                                       TIntMatrix& mergeTable, TVector& mergeDist,
                                                       TVector& nodePos,
                                                       const TClusterProgressProc& progress);

}  // namespace dendrokit
