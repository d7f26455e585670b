// What hclust computes besides the clustering itself: distances of the metrics analysts know
// from R's dist and SciPy's pdist, distance matrices given as input, the peers' leaf orders,
// the optimal leaf ordering and flat clusters for several cuts. Plain functions, so tests call
// them without running the tool.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "numeric/matrix.h"
#include "tools/tree_format.h"

namespace dendrokit::tools {

enum class Metric {
  kEuclid, kManhattan, kEuclidSqr, kJaccard, kDice, kJaccardCoef, kDiceCoef,
  kMaximum, kCanberra, kMinkowski, kCosine, kCorrelation, kHamming, kBinary
};

// Condensed upper triangle d(1,2), d(1,3), ..., d(n-1,n) of the rows of data.
// NaN cells are missing: each pair uses the columns present in both and, as R's dist does,
// scales sums by (columns / columns used) for euclid, euclidsqr, manhattan, minkowski and
// canberra. `noPair` receives the first pair (1-based) whose distance is undefined (no column
// present in both, or 0/0 such as the cosine of a zero row); the result is then empty.
// jaccard, dice and binary treat nonzero as present (R's binary); the coefficient forms are
// the library's continuous coefficients themselves; canberra drops 0/0 terms and scales as
// R does.
std::vector<double> PairwiseDistances(const TMatrix& data, Metric metric, double p,
                                      std::optional<std::pair<int, int>>& noPair);

// The distances of a square matrix (n x n) or of SciPy's condensed vector (one row or one
// column of n(n-1)/2 values) as a condensed triangle; n receives the number of objects.
// Refuses (InputError) an asymmetric matrix, a nonzero diagonal, negative or missing values,
// naming the row and column (1-based objects).
std::vector<double> DistanceInput(const TMatrix& values, int& n);

// True when a data matrix looks like distances: square (n >= 3), symmetric, zero diagonal,
// and the column names (when given) equal to the row labels.
bool LooksLikeDistances(const TMatrix& values, const std::vector<std::string>& names,
                        const std::vector<std::string>& labels);

// SciPy's optimal_leaf_ordering: among the 2^(n-1) orders that flip children, the one with
// the smallest sum of distances between neighbouring leaves (dist 1-based), the root's
// lower-id child on the left. O(n^3) time in the worst case, O(n^2) memory.
std::vector<int> OptimalLeafOrder(const Tree& t, const std::function<double(int, int)>& dist);

// position,object,label for an order of objects.
std::string FormatLeafOrder(const Tree& t, const std::vector<int>& order);

// Flat clusters at height h: the largest subtrees whose highest merge is at or below h (as
// SciPy's fcluster with the distance criterion; for sorted heights also R's cutree(h = )).
std::vector<int> CutTreeAtHeight(const Tree& t, double h);

}  // namespace dendrokit::tools
