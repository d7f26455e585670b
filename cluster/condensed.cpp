#include "cluster/condensed_p.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "gfxbase/errors.h"

namespace dendrokit::detail {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

// Pairs per block: the partial sums of one block stay in L1 while every column passes over it.
constexpr std::size_t kBlock = 256;

using ColumnPtrs = std::vector<const double*>;

// The kernels below vectorise over the pairs (r, c), c = c0 .. c0+len-1, and add the column
// terms one column after the other, so each lane performs exactly the additions of
// TMatrix::Distance in its order. No lane ever sums two columns of one pair.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_ADDRESS__)
#define DENDROKIT_KERNEL __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define DENDROKIT_KERNEL
#endif

DENDROKIT_KERNEL
void SquaredDiffBlock(const ColumnPtrs& cols, std::size_t r, std::size_t c0, std::size_t len,
                      double* __restrict acc) {
  for (std::size_t i = 0; i < len; ++i) acc[i] = 0.0;
  for (const double* col : cols) {
    const double x = col[r];
    const double* __restrict y = col + c0;
    for (std::size_t i = 0; i < len; ++i) {
      const double diff = x - y[i];
      acc[i] += diff * diff;
    }
  }
}

DENDROKIT_KERNEL
void AbsDiffBlock(const ColumnPtrs& cols, std::size_t r, std::size_t c0, std::size_t len,
                  double* __restrict acc) {
  for (std::size_t i = 0; i < len; ++i) acc[i] = 0.0;
  for (const double* col : cols) {
    const double x = col[r];
    const double* __restrict y = col + c0;
    for (std::size_t i = 0; i < len; ++i) acc[i] += std::fabs(x - y[i]);
  }
}

DENDROKIT_KERNEL
void ProductBlock(const ColumnPtrs& cols, std::size_t r, std::size_t c0, std::size_t len,
                  double* __restrict acc) {
  for (std::size_t i = 0; i < len; ++i) acc[i] = 0.0;
  for (const double* col : cols) {
    const double x = col[r];
    const double* __restrict y = col + c0;
    for (std::size_t i = 0; i < len; ++i) acc[i] += x * y[i];
  }
}

struct RowRange {
  std::size_t first;
  std::size_t last;  // exclusive
};

void FillRows(const ColumnPtrs& cols, const std::vector<double>& sq, TDistMode mode,
              CondensedMatrix& d, RowRange rows) {
  const std::size_t n = d.Size();
  alignas(64) double acc[kBlock];
  for (std::size_t r = rows.first; r < rows.last; ++r) {
    double* out = d.Row(r);
    for (std::size_t c0 = r + 1; c0 < n; c0 += kBlock) {
      const std::size_t len = std::min(kBlock, n - c0);
      double* dst = out + (c0 - r - 1);
      switch (mode) {
        case dmManhattan:
          AbsDiffBlock(cols, r, c0, len, acc);
          for (std::size_t i = 0; i < len; ++i) dst[i] = acc[i];
          break;
        case dmEuclid:
          SquaredDiffBlock(cols, r, c0, len, acc);
          for (std::size_t i = 0; i < len; ++i) dst[i] = std::sqrt(acc[i]);
          break;
        case dmEuclidSqr:
          SquaredDiffBlock(cols, r, c0, len, acc);
          for (std::size_t i = 0; i < len; ++i) dst[i] = acc[i];
          break;
        case dmJaccard:
          ProductBlock(cols, r, c0, len, acc);
          for (std::size_t i = 0; i < len; ++i)
            dst[i] = acc[i] / (sq[r] + sq[c0 + i] - acc[i]);
          break;
        case dmDice:
          ProductBlock(cols, r, c0, len, acc);
          for (std::size_t i = 0; i < len; ++i) dst[i] = 2.0 * acc[i] / (sq[r] + sq[c0 + i]);
          break;
        default:
          for (std::size_t i = 0; i < len; ++i) dst[i] = 0.0;
          break;
      }
    }
  }
}

}  // namespace

void CondensedMatrix::Free::operator()(double* p) const { std::free(p); }

CondensedMatrix::CondensedMatrix(std::size_t n)
    : n_(n), count_(n < 2 ? 0 : (n % 2 == 0 ? n / 2 * (n - 1) : (n - 1) / 2 * n)) {
  // n is at most INT_MAX, so the count itself cannot overflow; its bytes can.
  const std::size_t maxCount =
      (std::numeric_limits<std::size_t>::max() - kHugePage) / sizeof(double);
  if (count_ > maxCount)
    throw EVELError("HierarchicalClustering: the distances of " + std::to_string(n) +
                    " objects do not fit in memory");
  std::size_t bytes = std::max<std::size_t>(count_, 1) * sizeof(double);
  double* p = nullptr;
  if (bytes >= 4 * kHugePage) {
    bytes = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    p = static_cast<double*>(std::aligned_alloc(kHugePage, bytes));
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (p) madvise(p, bytes, MADV_HUGEPAGE);
#endif
  } else {
    p = static_cast<double*>(std::malloc(bytes));
  }
  if (!p)
    throw EVELError("HierarchicalClustering: not enough memory for the distances of " +
                    std::to_string(n) + " objects");
  data_.reset(p);
}

void FillBuiltinDistances(const TMatrix& data, TDistMode mode, CondensedMatrix& d,
                          int threads) {
  const std::size_t n = d.Size();
  if (n < 2) return;
  ColumnPtrs cols;
  cols.reserve(static_cast<std::size_t>(data.NrOfColumns()));
  for (int j = 1; j <= data.NrOfColumns(); ++j) cols.push_back(data.Column(j).data());

  // Sum of squares of every row, in column order, as Jaccard and Dice add them up.
  std::vector<double> sq;
  if (mode == dmJaccard || mode == dmDice) {
    sq.assign(n, 0.0);
    for (const double* col : cols)
      for (std::size_t r = 0; r < n; ++r) sq[r] += col[r] * col[r];
  }

  // Split the rows so that both halves hold about the same number of pairs.
  const std::size_t total = d.Count();
  if (threads < 2 || total < (std::size_t{1} << 20)) {
    FillRows(cols, sq, mode, d, {0, n - 1});
    return;
  }
  std::size_t split = 0;
  while (split < n - 1 && CondensedMatrix::RowStart(n, split) < total / 2) ++split;
  std::thread helper;
  try {
    helper = std::thread(FillRows, std::cref(cols), std::cref(sq), mode, std::ref(d),
                         RowRange{split, n - 1});
  } catch (const std::system_error&) {
    FillRows(cols, sq, mode, d, {0, n - 1});
    return;
  }
  FillRows(cols, sq, mode, d, {0, split});
  helper.join();
}

}  // namespace dendrokit::detail
