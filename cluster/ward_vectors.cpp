#include "cluster/ward_vectors.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <new>
#include <numeric>
#include <string>

#include "gfxbase/errors.h"

namespace dendrokit {

namespace {

// Candidates per block: their partial sums stay in L1 while the columns pass over them.
constexpr std::size_t kBlock = 256;

// Same lanes as the distance kernels of the triangle: one clone per vector width; contraction
// is off in this build, so every clone rounds alike.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_ADDRESS__)
#define DENDROKIT_WARD_KERNEL __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define DENDROKIT_WARD_KERNEL
#endif

// Squared Euclidean distances ‖x − y‖² of centroid x to the packed clusters p0 .. p0+len-1,
// column by column so the lanes run over the candidates. Returns the smallest of them (NaN
// never counts).
DENDROKIT_WARD_KERNEL
double SquaredDistances(const double* centroid, std::size_t capacity, std::size_t m,
                        const double* x, std::size_t p0, std::size_t len,
                        double* __restrict acc) {
  for (std::size_t i = 0; i < len; ++i) acc[i] = 0.0;
  for (std::size_t j = 0; j < m; ++j) {
    const double xj = x[j];
    const double* __restrict y = centroid + j * capacity + p0;
    for (std::size_t i = 0; i < len; ++i) {
      const double d = xj - y[i];
      acc[i] += d * d;
    }
  }
  double least = std::numeric_limits<double>::infinity();
  for (std::size_t i = 0; i < len; ++i) least = acc[i] < least ? acc[i] : least;
  return least;
}

struct ChainMerge {
  int objectA, objectB;  // a member of each side
  double key;
};

}  // namespace

std::vector<TMergeStep> WardVectorLinkage(const TMatrix& data) {
  const int n = data.NrOfRows();
  const auto m = static_cast<std::size_t>(data.NrOfColumns());
  const auto un = static_cast<std::size_t>(n);
  try {
    // Live clusters packed at the front, centroids column by column: size, a member, and the
    // cluster's id (stable while clusters move).
    std::vector<double> centroid(un * m);
    for (std::size_t j = 0; j < m; ++j) {
      const auto col = data.Column(static_cast<int>(j + 1));
      std::copy(col.begin(), col.end(), centroid.begin() + static_cast<std::ptrdiff_t>(j * un));
    }
    auto at = [&](std::size_t p, std::size_t j) -> double& { return centroid[j * un + p]; };
    std::vector<double> size(un, 1.0), x(m);
    std::vector<int> member(un), id(un), where(un);  // where: id -> packed position
    std::iota(member.begin(), member.end(), 0);
    std::iota(id.begin(), id.end(), 0);
    std::iota(where.begin(), where.end(), 0);
    std::vector<int> chain;
    chain.reserve(un);
    std::vector<ChainMerge> merges;
    merges.reserve(un);
    std::size_t live = un;
    alignas(64) double key[kBlock];

    while (live > 1) {
      if (chain.empty()) chain.push_back(id[0]);
      const int top = chain.back();
      const auto pt = static_cast<std::size_t>(where[static_cast<std::size_t>(top)]);
      for (std::size_t j = 0; j < m; ++j) x[j] = at(pt, j);
      // The nearest other cluster, the first of equals; the previous link wins ties, or the
      // chain could cycle.
      const std::size_t pp = chain.size() >= 2
          ? static_cast<std::size_t>(where[static_cast<std::size_t>(chain[chain.size() - 2])])
          : live;
      double best = std::numeric_limits<double>::infinity(), previous = best;
      std::size_t pb = live;
      // The Ward factor |A|·|B|/(|A|+|B|) grows with |B|, so the smallest squared distance
      // of a block times the factor for |B| = 1 bounds its keys from below. A block whose
      // bound (less a margin far above the rounding of the keys) exceeds the best key so far
      // cannot hold the winner, and its keys, with their divisions, are never formed.
      const double sizeTop = size[pt];
      const double lowFactor = sizeTop / (sizeTop + 1.0) * (1.0 - 1e-12);
      // The previous link is usually close and wins ties: a block whose keys all exceed its
      // key cannot change the outcome either, so it bounds the search from the start.
      double limit = std::numeric_limits<double>::infinity();
      if (pp < live) {
        double sum = 0.0;
        for (std::size_t j = 0; j < m; ++j) {
          const double d = x[j] - at(pp, j);
          sum += d * d;
        }
        limit = sum * (sizeTop * size[pp] / (sizeTop + size[pp]));
      }
      for (std::size_t p0 = 0; p0 < live; p0 += kBlock) {
        const std::size_t len = std::min(kBlock, live - p0);
        const bool holdsTop = pt >= p0 && pt < p0 + len;
        const bool holdsPrevious = pp >= p0 && pp < p0 + len;
        const double least =
            SquaredDistances(centroid.data(), un, m, x.data(), p0, len, key);
        if (!holdsTop && !holdsPrevious) {
          const double bound = least * lowFactor;
          if (bound > std::min(best, limit) && bound > 1e-300)
            continue;  // normal range: rounding is relative
        }
        for (std::size_t i = 0; i < len; ++i)
          key[i] *= sizeTop * size[p0 + i] / (sizeTop + size[p0 + i]);
        if (holdsTop) key[pt - p0] = std::numeric_limits<double>::infinity();
        if (holdsPrevious) previous = key[pp - p0];
        for (std::size_t i = 0; i < len; ++i)
          if (key[i] < best) {
            best = key[i];
            pb = p0 + i;
          }
      }
      if (pp < live && (previous <= best || pb == live)) {
        pb = pp;
        best = previous;
      }
      if (pb == live) pb = pt == 0 ? 1 : 0;  // only NaN keys: take any other cluster
      if (chain.size() < 2 || id[pb] != chain[chain.size() - 2]) {
        chain.push_back(id[pb]);
        continue;
      }
      // Mutual nearest neighbours: merge into pt's place, move the last cluster into pb's.
      chain.pop_back();
      chain.pop_back();
      merges.push_back({member[pt], member[pb], best});
      const double na = size[pt], nb = size[pb];
      for (std::size_t j = 0; j < m; ++j) at(pt, j) = (na * at(pt, j) + nb * at(pb, j)) / (na + nb);
      size[pt] = na + nb;
      const std::size_t last = live - 1;
      if (pb != last) {
        for (std::size_t j = 0; j < m; ++j) at(pb, j) = at(last, j);
        size[pb] = size[last];
        member[pb] = member[last];
        id[pb] = id[last];
        where[static_cast<std::size_t>(id[pb])] = static_cast<int>(pb);
      }
      --live;
    }

    // Heights in increasing order; children were merged before their parents, and the
    // stable sort keeps that among equal heights.
    std::stable_sort(merges.begin(), merges.end(),
                     [](const ChainMerge& a, const ChainMerge& b) { return a.key < b.key; });
    std::vector<int> parent(un), node(un), largest(un);
    std::iota(parent.begin(), parent.end(), 0);
    std::iota(largest.begin(), largest.end(), 0);
    for (std::size_t i = 0; i < un; ++i) node[i] = static_cast<int>(i + 1);
    auto find = [&](int x) {
      while (parent[static_cast<std::size_t>(x)] != x)
        x = parent[static_cast<std::size_t>(x)] =
            parent[static_cast<std::size_t>(parent[static_cast<std::size_t>(x)])];
      return x;
    };
    std::vector<TMergeStep> steps;
    steps.reserve(merges.size());
    for (std::size_t s = 0; s < merges.size(); ++s) {
      int a = find(merges[s].objectA), b = find(merges[s].objectB);
      if (largest[static_cast<std::size_t>(a)] > largest[static_cast<std::size_t>(b)]) std::swap(a, b);
      steps.push_back({node[static_cast<std::size_t>(a)], node[static_cast<std::size_t>(b)],
                       std::sqrt(2.0 * merges[s].key)});
      parent[static_cast<std::size_t>(a)] = b;
      node[static_cast<std::size_t>(b)] = n + static_cast<int>(s) + 1;
    }
    return steps;
  } catch (const std::bad_alloc&) {
    throw EVELError("WardVectorLinkage: not enough memory for " + std::to_string(n) + " objects");
  }
}

}  // namespace dendrokit
