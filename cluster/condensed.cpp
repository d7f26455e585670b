#include "cluster/condensed_p.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <limits>
#include <string>
#include <system_error>
#include <thread>
#include <unordered_set>
#include <utility>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "gfxbase/errors.h"
#include "numeric/storage_p.h"

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
void SquaredDiffBlock(const ColumnPtrs& cols, const double* xs, std::size_t c0, std::size_t len,
                      double* __restrict acc) {
  for (std::size_t i = 0; i < len; ++i) acc[i] = 0.0;
  for (std::size_t j = 0; j < cols.size(); ++j) {
    const double x = xs[j];
    const double* __restrict y = cols[j] + c0;
    for (std::size_t i = 0; i < len; ++i) {
      const double diff = x - y[i];
      acc[i] += diff * diff;
    }
  }
}

DENDROKIT_KERNEL
void AbsDiffBlock(const ColumnPtrs& cols, const double* xs, std::size_t c0, std::size_t len,
                  double* __restrict acc) {
  for (std::size_t i = 0; i < len; ++i) acc[i] = 0.0;
  for (std::size_t j = 0; j < cols.size(); ++j) {
    const double x = xs[j];
    const double* __restrict y = cols[j] + c0;
    for (std::size_t i = 0; i < len; ++i) acc[i] += std::fabs(x - y[i]);
  }
}

DENDROKIT_KERNEL
void ProductBlock(const ColumnPtrs& cols, const double* xs, std::size_t c0, std::size_t len,
                  double* __restrict acc) {
  for (std::size_t i = 0; i < len; ++i) acc[i] = 0.0;
  for (std::size_t j = 0; j < cols.size(); ++j) {
    const double x = xs[j];
    const double* __restrict y = cols[j] + c0;
    for (std::size_t i = 0; i < len; ++i) acc[i] += x * y[i];
  }
}

// Distances of the object with column values xs (sum of squares sqx) to the objects
// c0 .. c0+len-1 of cols (sums of squares sq), len <= kBlock, into dst.
void PairBlock(const ColumnPtrs& cols, const double* xs, double sqx, const double* sq,
               TDistMode mode, std::size_t c0, std::size_t len, double* dst) {
  alignas(64) double acc[kBlock];
  switch (mode) {
    case dmManhattan:
      AbsDiffBlock(cols, xs, c0, len, acc);
      for (std::size_t i = 0; i < len; ++i) dst[i] = acc[i];
      break;
    case dmEuclid:
      SquaredDiffBlock(cols, xs, c0, len, acc);
      for (std::size_t i = 0; i < len; ++i) dst[i] = std::sqrt(acc[i]);
      break;
    case dmEuclidSqr:
      SquaredDiffBlock(cols, xs, c0, len, acc);
      for (std::size_t i = 0; i < len; ++i) dst[i] = acc[i];
      break;
    case dmJaccard:
      ProductBlock(cols, xs, c0, len, acc);
      for (std::size_t i = 0; i < len; ++i) dst[i] = acc[i] / (sqx + sq[c0 + i] - acc[i]);
      break;
    case dmDice:
      ProductBlock(cols, xs, c0, len, acc);
      for (std::size_t i = 0; i < len; ++i) dst[i] = 2.0 * acc[i] / (sqx + sq[c0 + i]);
      break;
    default:
      for (std::size_t i = 0; i < len; ++i) dst[i] = 0.0;
      break;
  }
}

// Sum of squares of every object, in column order, as Jaccard and Dice add them up.
std::vector<double> SumsOfSquares(const ColumnPtrs& cols, std::size_t n, TDistMode mode) {
  std::vector<double> sq;
  if (mode == dmJaccard || mode == dmDice) {
    sq.assign(n, 0.0);
    for (const double* col : cols)
      for (std::size_t r = 0; r < n; ++r) sq[r] += col[r] * col[r];
  }
  return sq;
}

ColumnPtrs Columns(const TMatrix& data) {
  ColumnPtrs cols;
  cols.reserve(static_cast<std::size_t>(data.NrOfColumns()));
  for (int j = 1; j <= data.NrOfColumns(); ++j) cols.push_back(data.Column(j).data());
  return cols;
}

struct RowRange {
  std::size_t first;
  std::size_t last;  // exclusive
};

void FillRows(const ColumnPtrs& cols, const std::vector<double>& sq, TDistMode mode,
              CondensedMatrix& d, RowRange rows, RowMinimum* rowMins) {
  const std::size_t n = d.Size();
  std::vector<double> xs(cols.size());
  for (std::size_t r = rows.first; r < rows.last; ++r) {
    for (std::size_t j = 0; j < cols.size(); ++j) xs[j] = cols[j][r];
    const double sqx = sq.empty() ? 0.0 : sq[r];
    double* out = d.Row(r);
    for (std::size_t c0 = r + 1; c0 < n; c0 += kBlock)
      PairBlock(cols, xs.data(), sqx, sq.data(), mode, c0, std::min(kBlock, n - c0),
                out + (c0 - r - 1));
    if (rowMins) rowMins[r] = RowMin(out, n - r - 1);
  }
}

// Lowers best[i] to d[i] (and notes v as the tree end) where d[i] is smaller. False when some
// d[i] does not qualify.
DENDROKIT_KERNEL
bool UpdateNearest(const double* __restrict d, double* __restrict best, int* __restrict from,
                   int v, std::size_t len) {
  long bad = 0;
  for (std::size_t i = 0; i < len; ++i) {
    const double x = d[i];
    bad |= !(x < kNoPair);
    const bool closer = x < best[i];
    best[i] = closer ? x : best[i];
    from[i] = closer ? v : from[i];
  }
  return bad == 0;
}

}  // namespace

// One pass over the row, eight lanes wide: each lane keeps its smallest key and the first
// index where it met it; the lanes are then merged by (key, index).
DENDROKIT_KERNEL
RowMinimum RowMin(const double* row, std::size_t len) {
  using Keys = double __attribute__((vector_size(64)));
  using Indices = std::int64_t __attribute__((vector_size(64)));
  constexpr double kInf = std::numeric_limits<double>::infinity();
  constexpr std::size_t kLanes = 8;
  Keys best = {kInf, kInf, kInf, kInf, kInf, kInf, kInf, kInf};
  Indices at = {-1, -1, -1, -1, -1, -1, -1, -1};
  Indices index = {0, 1, 2, 3, 4, 5, 6, 7};
  const Keys limit = {kNoPair, kNoPair, kNoPair, kNoPair, kNoPair, kNoPair, kNoPair, kNoPair};
  const Keys inf = best;
  const Indices step = {8, 8, 8, 8, 8, 8, 8, 8};
  std::size_t i = 0;
  for (; i + kLanes <= len; i += kLanes) {
    Keys v;
    std::memcpy(&v, row + i, sizeof v);
    const Keys key = v < limit ? v : inf;
    const auto smaller = key < best;
    best = smaller ? key : best;
    at = smaller ? index : at;
    index += step;
  }
  RowMinimum m{kInf, -1};
  for (std::size_t lane = 0; lane < kLanes; ++lane) {
    if (at[lane] < 0) continue;
    if (best[lane] < m.key || (best[lane] == m.key && at[lane] < m.index)) {
      m.key = best[lane];
      m.index = at[lane];
    }
  }
  for (; i < len; ++i) {
    const double key = row[i] < kNoPair ? row[i] : kInf;
    if (key < m.key) {
      m.key = key;
      m.index = static_cast<std::ptrdiff_t>(i);
    }
  }
  return m;
}

namespace {

// Prim's algorithm behind SingleLinkageTree; with distinctOnly false, equal and zero weights
// are allowed (every distance must still qualify).
bool PrimTree(const TMatrix& data, TDistMode mode, std::vector<TreeEdge>& edges,
              bool distinctOnly) {
  const auto n = static_cast<std::size_t>(data.NrOfRows());
  edges.clear();
  if (n < 2 || mode > dmDice) return false;
  const ColumnPtrs original = Columns(data);
  const std::vector<double> sq = SumsOfSquares(original, n, mode);
  const std::size_t m = original.size();

  // The objects outside the tree, packed at the front so the kernels run over contiguous
  // columns; a joining object's slot is refilled with the last one.
  std::vector<std::vector<double>> packed(m, std::vector<double>(n - 1));
  ColumnPtrs cols(m);
  for (std::size_t j = 0; j < m; ++j) {
    std::copy(original[j] + 1, original[j] + n, packed[j].begin());
    cols[j] = packed[j].data();
  }
  std::vector<int> id(n - 1), from(n - 1, 0);
  std::vector<double> best(n - 1, std::numeric_limits<double>::infinity());
  std::vector<double> packedSq(sq.empty() ? 0 : n - 1);
  for (std::size_t i = 0; i + 1 < n; ++i) {
    id[i] = static_cast<int>(i + 1);
    if (!sq.empty()) packedSq[i] = sq[i + 1];
  }
  std::vector<double> xs(m);
  for (std::size_t j = 0; j < m; ++j) xs[j] = original[j][0];
  double sqx = sq.empty() ? 0.0 : sq[0];
  int v = 0;
  std::unordered_set<double> weights;
  if (distinctOnly) weights.reserve(2 * n);
  edges.reserve(n - 1);
  alignas(64) double dist[kBlock];

  for (std::size_t rest = n - 1; rest > 0; --rest) {
    for (std::size_t c0 = 0; c0 < rest; c0 += kBlock) {
      const std::size_t len = std::min(kBlock, rest - c0);
      PairBlock(cols, xs.data(), sqx, packedSq.data(), mode, c0, len, dist);
      if (!UpdateNearest(dist, best.data() + c0, from.data() + c0, v, len)) return false;
    }
    const RowMinimum next = RowMin(best.data(), rest);
    const auto i = static_cast<std::size_t>(next.index);
    const double w = best[i];
    if (distinctOnly && (w == 0.0 || !weights.insert(w).second)) return false;
    edges.push_back({from[i], id[i], w});

    v = id[i];
    for (std::size_t j = 0; j < m; ++j) xs[j] = packed[j][i];
    if (!sq.empty()) sqx = packedSq[i];
    const std::size_t last = rest - 1;
    id[i] = id[last];
    from[i] = from[last];
    best[i] = best[last];
    if (!sq.empty()) packedSq[i] = packedSq[last];
    for (std::size_t j = 0; j < m; ++j) packed[j][i] = packed[j][last];
  }
  return true;
}

}  // namespace

bool SingleLinkageTree(const TMatrix& data, TDistMode mode, std::vector<TreeEdge>& edges) {
  return PrimTree(data, mode, edges, true);
}

bool SingleLinkagePairs(const TMatrix& data, TDistMode mode, std::size_t budget,
                        std::vector<TreeEdge>& pairs) {
  pairs.clear();
  // Signed zeros cannot arise from these sums, so equal distances are equal bits.
  if (mode != dmEuclid && mode != dmEuclidSqr && mode != dmManhattan) return false;
  std::vector<TreeEdge> tree;
  if (!PrimTree(data, mode, tree, false)) return false;
  double top = 0.0;
  for (const TreeEdge& e : tree) top = std::max(top, e.weight);

  const auto n = static_cast<std::size_t>(data.NrOfRows());
  const ColumnPtrs cols = Columns(data);
  // A sum of squares above this has a root above top, whatever the rounding (top is finite:
  // every distance qualified).
  const double topSquared = top * top * (1.0 + 1e-12);
  // Rows first .. last-1 into out, in row-major order; false past the budget.
  auto collect = [&](RowRange rows, std::vector<TreeEdge>& out) {
    std::vector<double> xs(cols.size());
    alignas(64) double dist[kBlock];
    for (std::size_t r = rows.first; r < rows.last; ++r) {
      for (std::size_t j = 0; j < cols.size(); ++j) xs[j] = cols[j][r];
      for (std::size_t c0 = r + 1; c0 < n; c0 += kBlock) {
        const std::size_t len = std::min(kBlock, n - c0);
        if (mode == dmEuclid) {
          // Roots only where the sum of squares may be near enough: nearly all pairs are far.
          SquaredDiffBlock(cols, xs.data(), c0, len, dist);
          for (std::size_t i = 0; i < len; ++i)
            dist[i] = dist[i] <= topSquared ? std::sqrt(dist[i])
                                            : std::numeric_limits<double>::infinity();
        } else {
          PairBlock(cols, xs.data(), 0.0, nullptr, mode, c0, len, dist);
        }
        for (std::size_t i = 0; i < len; ++i) {
          if (!(dist[i] <= top)) continue;
          if (out.size() >= budget) return false;
          out.push_back({static_cast<int>(r), static_cast<int>(c0 + i), dist[i]});
        }
      }
    }
    return true;
  };
  // Two threads take about equal numbers of pairs, as the triangle's fill does; the helper's
  // pairs follow this thread's, so the order is the same either way.
  std::size_t split = n - 1;
  if (std::thread::hardware_concurrency() >= 2 && n * n >= (std::size_t{1} << 22)) {
    const std::size_t total = n * (n - 1) / 2;
    split = 0;
    while (split < n - 1 && CondensedMatrix::RowStart(n, split) < total / 2) ++split;
  }
  std::vector<TreeEdge> upper;
  bool upperFits = true;
  std::exception_ptr helperError;
  {
    std::jthread helper;
    if (split < n - 1) {
      try {
        helper = std::jthread([&] {
          try {
            upperFits = collect({split, n - 1}, upper);
          } catch (...) {
            helperError = std::current_exception();
          }
        });
      } catch (const std::system_error&) {
        split = n - 1;
      }
    }
    const bool lowerFits = collect({0, split}, pairs);
    if (helper.joinable()) helper.join();
    if (helperError) std::rethrow_exception(helperError);
    if (!lowerFits || !upperFits || pairs.size() + upper.size() > budget) {
      pairs.clear();
      return false;
    }
  }
  pairs.insert(pairs.end(), upper.begin(), upper.end());
  // Stable: within one distance the pairs stay in row-major order.
  std::stable_sort(pairs.begin(), pairs.end(),
                   [](const TreeEdge& a, const TreeEdge& b) { return a.weight < b.weight; });
  return true;
}

void CondensedMatrix::Free::operator()(double* p) const { std::free(p); }

CondensedMatrix::CondensedMatrix(std::size_t n)
    : n_(n), count_(n < 2 ? 0 : (n % 2 == 0 ? n / 2 * (n - 1) : (n - 1) / 2 * n)) {
  // n is at most INT_MAX, so the count itself cannot overflow; its bytes can.
  const std::size_t maxCount =
      (std::numeric_limits<std::size_t>::max() - kHugePage) / sizeof(double);
  if (count_ > maxCount || count_ > StorageLimit() / sizeof(double))
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
                          int threads, RowMinimum* rowMins) {
  const std::size_t n = d.Size();
  if (n < 2) return;
  const ColumnPtrs cols = Columns(data);
  const std::vector<double> sq = SumsOfSquares(cols, n, mode);

  // Split the rows so that both halves hold about the same number of pairs.
  const std::size_t total = d.Count();
  if (threads < 2 || total < (std::size_t{1} << 20)) {
    FillRows(cols, sq, mode, d, {0, n - 1}, rowMins);
    return;
  }
  std::size_t split = 0;
  while (split < n - 1 && CondensedMatrix::RowStart(n, split) < total / 2) ++split;
  // The helper keeps its own failure for this thread to raise; the jthread joins on every
  // path, also when this thread's half throws, so no exception ever ends the process.
  std::exception_ptr helperError;
  std::jthread helper;
  try {
    helper = std::jthread([&] {
      try {
        FillRows(cols, sq, mode, d, {split, n - 1}, rowMins);
      } catch (...) {
        helperError = std::current_exception();
      }
    });
  } catch (const std::system_error&) {
    FillRows(cols, sq, mode, d, {0, n - 1}, rowMins);
    return;
  }
  FillRows(cols, sq, mode, d, {0, split}, rowMins);
  helper.join();
  if (helperError) std::rethrow_exception(helperError);
}

}  // namespace dendrokit::detail
