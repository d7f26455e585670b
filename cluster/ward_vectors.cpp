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

// Squared Ward distance |A||B|/(|A|+|B|) · ‖a − b‖², compared instead of the height (same
// order, no root per comparison).
inline double WardKey(const double* a, const double* b, std::size_t m, double na, double nb) {
  double sum = 0.0;
  for (std::size_t j = 0; j < m; ++j) {
    const double d = a[j] - b[j];
    sum += d * d;
  }
  return na * nb / (na + nb) * sum;
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
    // Live clusters packed at the front: centroid row, size, a member, and chain id.
    std::vector<double> centroid(un * m);
    for (std::size_t j = 0; j < m; ++j) {
      const auto col = data.Column(static_cast<int>(j + 1));
      for (std::size_t i = 0; i < un; ++i) centroid[i * m + j] = col[i];
    }
    std::vector<double> size(un, 1.0);
    std::vector<int> member(un), id(un), where(un);  // where: id -> packed position
    std::iota(member.begin(), member.end(), 0);
    std::iota(id.begin(), id.end(), 0);
    std::iota(where.begin(), where.end(), 0);
    std::vector<int> chain;
    chain.reserve(un);
    std::vector<ChainMerge> merges;
    merges.reserve(un);
    std::size_t live = un;

    while (live > 1) {
      if (chain.empty()) chain.push_back(id[0]);
      const int top = chain.back();
      const auto pt = static_cast<std::size_t>(where[static_cast<std::size_t>(top)]);
      const double* ct = &centroid[pt * m];
      double best = std::numeric_limits<double>::infinity();
      std::size_t pb = pt;
      for (std::size_t p = 0; p < live; ++p) {
        if (p == pt) continue;
        const double key = WardKey(ct, &centroid[p * m], m, size[pt], size[p]);
        if (key < best) {
          best = key;
          pb = p;
        }
      }
      if (pb == pt) pb = pt == 0 ? 1 : 0;  // only NaN keys: take any other cluster
      // The previous link wins ties, or the chain could cycle.
      if (chain.size() >= 2) {
        const auto pp = static_cast<std::size_t>(where[static_cast<std::size_t>(chain[chain.size() - 2])]);
        const double key = WardKey(ct, &centroid[pp * m], m, size[pt], size[pp]);
        if (key <= best || std::isnan(best)) pb = pp, best = key;
      }
      if (chain.size() < 2 || id[pb] != chain[chain.size() - 2]) {
        chain.push_back(id[pb]);
        continue;
      }
      // Mutual nearest neighbours: merge into pt's place, move the last cluster into pb's.
      chain.pop_back();
      chain.pop_back();
      merges.push_back({member[pt], member[pb], best});
      const double na = size[pt], nb = size[pb];
      for (std::size_t j = 0; j < m; ++j)
        centroid[pt * m + j] = (na * centroid[pt * m + j] + nb * centroid[pb * m + j]) / (na + nb);
      size[pt] = na + nb;
      const std::size_t last = live - 1;
      if (pb != last) {
        std::copy_n(&centroid[last * m], m, &centroid[pb * m]);
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
