// Private to the clustering: the condensed upper triangle of pairwise distances and the
// built-in distance kernels that fill it.
#pragma once

#include "gfxbase/export.h"

#include <cstddef>
#include <memory>
#include <vector>

#include "gfxbase/enums.h"
#include "numeric/matrix.h"

namespace dendrokit::detail {

// Distances d(r, c), 0 <= r < c < n, stored row after row: row r holds c = r+1 .. n-1
// contiguously. Large buffers ask the kernel for huge pages: the merge loop reads one
// column of the triangle per step, and with 4 KiB pages nearly every read misses the TLB.
class DENDROKIT_EXPORT CondensedMatrix {
 public:
  // Throws EVELError when the n(n-1)/2 doubles cannot be obtained. Cells start undefined.
  explicit CondensedMatrix(std::size_t n);

  std::size_t Size() const { return n_; }
  std::size_t Count() const { return count_; }
  // Index of (r, r+1), the first cell of row r.
  static std::size_t RowStart(std::size_t n, std::size_t r) { return r * (2 * n - r - 1) / 2; }
  // Row r, indexed by c - r - 1.
  double* Row(std::size_t r) { return data_.get() + RowStart(n_, r); }
  double& At(std::size_t r, std::size_t c) { return data_.get()[RowStart(n_, r) + (c - r - 1)]; }
  double* Data() { return data_.get(); }

 private:
  struct Free {
    void operator()(double* p) const;
  };
  std::size_t n_;
  std::size_t count_;
  std::unique_ptr<double[], Free> data_;
};

// A distance at or above this bound, or NaN, never qualifies in the closest-pair search.
inline constexpr double kNoPair = 1.7e38;

// Smallest search key of row[0 .. len) and the first index holding it. The search key of a
// distance is the distance itself when it qualifies, +inf otherwise. index is -1 when no
// cell qualifies (key +inf).
struct DENDROKIT_EXPORT RowMinimum {
  double key;
  std::ptrdiff_t index;
};
DENDROKIT_EXPORT RowMinimum RowMin(const double* row, std::size_t len);

// Fills d with the distances of the rows of data for a built-in measure (dmJaccard ..
// dmDice), bit for bit equal to data.Distance(mode, r+1, c+1): every pair is summed over
// the columns in ascending order, the pairs of one row side by side in vector lanes.
// Up to `threads` threads share the rows; each pair's sum is the same either way.
// When rowMins is given, rowMins[r] receives RowMin of row r (r < n-1) while the row is hot.
DENDROKIT_EXPORT void FillBuiltinDistances(const TMatrix& data, TDistMode mode, CondensedMatrix& d, int threads,
                          RowMinimum* rowMins = nullptr);

// An edge of a minimum spanning tree: objects a and b (0-based) and their distance.
struct DENDROKIT_EXPORT TreeEdge {
  int a;
  int b;
  double weight;
};

// Minimum spanning tree of the rows of data under a built-in measure (Prim's algorithm,
// O(n^2) time, O(n m) memory: distances are computed on the fly, each pair once, with the
// same sums as FillBuiltinDistances). Gives up (false) as soon as the tree could not stand
// in for the full scan of single linkage: a distance that does not qualify, a zero weight
// (whose sign the full scan may pick either way), or two equal weights (a tie).
DENDROKIT_EXPORT bool SingleLinkageTree(const TMatrix& data, TDistMode mode, std::vector<TreeEdge>& edges);

// Every pair (a < b) whose distance is at most the heaviest edge of a minimum spanning tree,
// sorted by distance (row-major among equals): all that single linkage ever merges on, ties
// included. Euclidean, squared Euclidean and Manhattan only. Gives up (false, pairs empty)
// when a distance does not qualify or more than `budget` pairs would be needed.
// Two passes over all pairs (the tree, then the pairs), O(n m) memory besides the pairs.
DENDROKIT_EXPORT bool SingleLinkagePairs(const TMatrix& data, TDistMode mode, std::size_t budget,
                                         std::vector<TreeEdge>& pairs);

}  // namespace dendrokit::detail
