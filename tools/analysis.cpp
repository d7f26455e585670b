#include "tools/analysis.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <numeric>

#include "tools/csv_input.h"

namespace dendrokit::tools {

namespace {

std::size_t Ix(int i) { return static_cast<std::size_t>(i); }

bool Present(double x, double y) { return !std::isnan(x) && !std::isnan(y); }

// Sums over the columns present in both rows, scaled up to all columns as R's dist does.
double Scaled(double sum, std::size_t used, std::size_t columns) {
  return used == columns ? sum : sum / (static_cast<double>(used) / static_cast<double>(columns));
}

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

// One pair of rows; NaN when no column can be compared.
double PairDistance(const double* x, const double* y, std::size_t m, Metric metric, double p) {
  std::size_t used = 0;
  double sum = 0.0;
  switch (metric) {
    case Metric::kEuclid:
    case Metric::kEuclidSqr:
      for (std::size_t j = 0; j < m; ++j)
        if (Present(x[j], y[j])) {
          const double d = x[j] - y[j];
          sum += d * d;
          ++used;
        }
      if (used == 0) return kNone;
      sum = Scaled(sum, used, m);
      return metric == Metric::kEuclid ? std::sqrt(sum) : sum;
    case Metric::kManhattan:
      for (std::size_t j = 0; j < m; ++j)
        if (Present(x[j], y[j])) {
          sum += std::fabs(x[j] - y[j]);
          ++used;
        }
      return used == 0 ? kNone : Scaled(sum, used, m);
    case Metric::kMinkowski:
      for (std::size_t j = 0; j < m; ++j)
        if (Present(x[j], y[j])) {
          sum += std::pow(std::fabs(x[j] - y[j]), p);
          ++used;
        }
      return used == 0 ? kNone : std::pow(Scaled(sum, used, m), 1.0 / p);
    case Metric::kMaximum: {
      double best = -1.0;
      for (std::size_t j = 0; j < m; ++j)
        if (Present(x[j], y[j])) best = std::max(best, std::fabs(x[j] - y[j]));
      return best < 0.0 ? kNone : best;
    }
    case Metric::kCanberra: {
      // R's rule: a term 0/0 is left out and the sum scaled up to all columns.
      std::size_t present = 0;
      for (std::size_t j = 0; j < m; ++j) {
        if (!Present(x[j], y[j])) continue;
        ++present;
        const double s = std::fabs(x[j] + y[j]);
        const double d = std::fabs(x[j] - y[j]);
        if (s > DBL_MIN || d > DBL_MIN) {
          sum += d / s;
          ++used;
        }
      }
      if (present == 0 || used == 0) return kNone;
      return Scaled(sum, used, m);
    }
    case Metric::kJaccard:
    case Metric::kBinary:
    case Metric::kDice: {
      // Nonzero is present; both absent says nothing (R's binary).
      std::size_t both = 0, one = 0, total = 0;
      for (std::size_t j = 0; j < m; ++j) {
        if (!Present(x[j], y[j])) continue;
        ++total;
        const bool a = x[j] != 0.0, b = y[j] != 0.0;
        both += a && b;
        one += a != b;
      }
      if (total == 0) return kNone;
      if (both + one == 0) return 0.0;
      const double o = static_cast<double>(one), t = static_cast<double>(both);
      return metric == Metric::kDice ? o / (2.0 * t + o) : o / (t + o);
    }
    case Metric::kJaccardCoef:
    case Metric::kDiceCoef: {
      double xy = 0.0, xx = 0.0, yy = 0.0;
      for (std::size_t j = 0; j < m; ++j)
        if (Present(x[j], y[j])) {
          xy += x[j] * y[j];
          xx += x[j] * x[j];
          yy += y[j] * y[j];
          ++used;
        }
      if (used == 0) return kNone;
      return metric == Metric::kJaccardCoef ? xy / (xx + yy - xy) : 2.0 * xy / (xx + yy);
    }
    case Metric::kCosine:
    case Metric::kCorrelation: {
      double mx = 0.0, my = 0.0;
      if (metric == Metric::kCorrelation) {
        for (std::size_t j = 0; j < m; ++j)
          if (Present(x[j], y[j])) {
            mx += x[j];
            my += y[j];
            ++used;
          }
        if (used == 0) return kNone;
        mx /= static_cast<double>(used);
        my /= static_cast<double>(used);
        used = 0;
      }
      double xy = 0.0, xx = 0.0, yy = 0.0;
      for (std::size_t j = 0; j < m; ++j)
        if (Present(x[j], y[j])) {
          const double a = x[j] - mx, b = y[j] - my;
          xy += a * b;
          xx += a * a;
          yy += b * b;
          ++used;
        }
      if (used == 0) return kNone;
      return std::max(0.0, 1.0 - xy / (std::sqrt(xx) * std::sqrt(yy)));
    }
    case Metric::kHamming: {
      std::size_t differ = 0;
      for (std::size_t j = 0; j < m; ++j)
        if (Present(x[j], y[j])) {
          differ += x[j] != y[j];
          ++used;
        }
      return used == 0 ? kNone : static_cast<double>(differ) / static_cast<double>(used);
    }
  }
  return kNone;
}

std::string Cell(int row, int column) {
  return "row " + std::to_string(row) + ", column " + std::to_string(column);
}

}  // namespace

std::vector<double> PairwiseDistances(const TMatrix& data, Metric metric, double p,
                                      std::optional<std::pair<int, int>>& noPair) {
  const int n = data.NrOfRows();
  const auto m = static_cast<std::size_t>(data.NrOfColumns());
  std::vector<double> rows(Ix(n) * m);
  for (std::size_t j = 0; j < m; ++j) {
    const auto col = data.Column(static_cast<int>(j + 1));
    for (int r = 0; r < n; ++r) rows[Ix(r) * m + j] = col[Ix(r)];
  }
  std::vector<double> d;
  d.reserve(n < 2 ? 0 : Ix(n) * Ix(n - 1) / 2);
  noPair.reset();
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j) {
      const double v = PairDistance(&rows[Ix(i) * m], &rows[Ix(j) * m], m, metric, p);
      if (std::isnan(v)) {
        noPair = std::pair{i + 1, j + 1};
        return {};
      }
      d.push_back(v);
    }
  return d;
}

std::vector<double> DistanceInput(const TMatrix& values, int& n) {
  const int rows = values.NrOfRows(), cols = values.NrOfColumns();
  std::vector<double> d;
  auto check = [](double v, int r, int c) {
    if (std::isnan(v)) throw InputError("--input distances: " + Cell(r, c) + ": missing value");
    if (v < 0.0)
      throw InputError("--input distances: " + Cell(r, c) + ": negative distance " +
                       ShortNumber(v));
  };
  if (rows == cols && rows > 1) {
    n = rows;
    for (int i = 1; i <= n; ++i) {
      const double diag = values.Elem(i, i);
      if (diag != 0.0)
        throw InputError("--input distances: " + Cell(i, i) + ": the diagonal holds " +
                         ShortNumber(diag) + ", not 0");
    }
    d.reserve(Ix(n) * Ix(n - 1) / 2);
    for (int i = 1; i <= n; ++i)
      for (int j = i + 1; j <= n; ++j) {
        const double a = values.Elem(j, i), b = values.Elem(i, j);  // Elem(column, row)
        check(a, i, j);
        check(b, j, i);
        if (std::fabs(a - b) > 1e-12 * std::max(std::fabs(a), std::fabs(b)))
          throw InputError("--input distances: " + Cell(i, j) + " holds " + ShortNumber(a) +
                           " but " + Cell(j, i) + " holds " + ShortNumber(b) +
                           " (a distance matrix is symmetric)");
        d.push_back(a);
      }
    return d;
  }
  const int count = rows == 1 ? cols : cols == 1 ? rows : 0;
  // n(n-1)/2 = count.
  const auto k = static_cast<long long>(std::nearbyint((1.0 + std::sqrt(1.0 + 8.0 * count)) / 2.0));
  if (count == 0 || k * (k - 1) / 2 != count)
    throw InputError("--input distances: " + std::to_string(rows) + " rows of " +
                     std::to_string(cols) +
                     " numbers are neither a square matrix nor a condensed vector of n(n-1)/2 "
                     "values");
  n = static_cast<int>(k);
  for (int i = 0; i < count; ++i) {
    const double v = rows == 1 ? values.Elem(i + 1, 1) : values.Elem(1, i + 1);
    check(v, rows == 1 ? 1 : i + 1, rows == 1 ? i + 1 : 1);
    d.push_back(v);
  }
  return d;
}

bool LooksLikeDistances(const TMatrix& values, const std::vector<std::string>& names,
                        const std::vector<std::string>& labels) {
  const int n = values.NrOfRows();
  if (n < 3 || values.NrOfColumns() != n) return false;
  if (!names.empty() && names != labels) return false;
  for (int i = 1; i <= n; ++i) {
    if (values.Elem(i, i) != 0.0) return false;
    for (int j = i + 1; j <= n; ++j)
      if (values.Elem(i, j) != values.Elem(j, i) || values.Elem(i, j) < 0.0) return false;
  }
  return true;
}

// Bar-Joseph, Gifford and Jaakkola's dynamic programme. M[u][w] is the smallest sum of
// neighbour distances of an order of the subtree that joins u and w (their lowest common
// ancestor) which starts at u and ends at w. For a node with children A and B, u in A and
// w in B: M[u][w] = min over m in A, k in B of M[u][m] + D[m][k] + M[k][w], where m and k
// range over the leaves on the far side of u's and w's children (or are u and w themselves
// for a leaf child). Splitting the minimum into T[k] = min_m M[u][m] + D[m][k] first costs
// |A|^2 |B| + |A| |B|^2 per node. The order is rebuilt from the root's best pair, the lower-
// id child on the left, by finding each node's best (m, k) again.
std::vector<int> OptimalLeafOrder(const Tree& t, const std::function<double(int, int)>& dist) {
  const int n = t.n;
  if (n < 3) return PeerOrder(t);
  const std::vector<int> base = PeerOrder(t);
  std::vector<int> at(Ix(n) + 1);  // leaf id -> position in base
  for (int i = 0; i < n; ++i) at[Ix(base[Ix(i)])] = i;
  // Every node covers a contiguous range of base: [lo, hi).
  std::vector<int> lo(Ix(2 * n)), hi(Ix(2 * n));
  for (int k = 1; k <= n; ++k) {
    lo[Ix(k)] = at[Ix(k)];
    hi[Ix(k)] = at[Ix(k)] + 1;
  }
  for (int s = 1; s < n; ++s) {
    const int a = t.first[Ix(s - 1)], b = t.second[Ix(s - 1)];
    lo[Ix(n + s)] = std::min(lo[Ix(a)], lo[Ix(b)]);
    hi[Ix(n + s)] = std::max(hi[Ix(a)], hi[Ix(b)]);
  }
  const auto un = Ix(n);
  // D and M by position in base.
  std::vector<double> D(un * un, 0.0), M(un * un, 0.0);
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j)
      D[Ix(i) * un + Ix(j)] = D[Ix(j) * un + Ix(i)] =
          dist(std::min(base[Ix(i)], base[Ix(j)]), std::max(base[Ix(i)], base[Ix(j)]));
  auto children = [&](int node) {
    const int a = t.first[Ix(node - n - 1)], b = t.second[Ix(node - n - 1)];
    return lo[Ix(a)] < lo[Ix(b)] ? std::pair{a, b} : std::pair{b, a};
  };
  // The leaves (positions) that may end an order of `node` that starts at position u.
  auto partners = [&](int node, int u) {
    if (node <= n) return std::pair{u, u + 1};
    const auto [a, b] = children(node);
    return u < hi[Ix(a)] ? std::pair{lo[Ix(b)], hi[Ix(b)]} : std::pair{lo[Ix(a)], hi[Ix(a)]};
  };
  std::vector<double> T(un);
  for (int s = 1; s < n; ++s) {
    const auto [A, B] = children(n + s);
    for (int u = lo[Ix(A)]; u < hi[Ix(A)]; ++u) {
      const auto [m0, m1] = partners(A, u);
      for (int k = lo[Ix(B)]; k < hi[Ix(B)]; ++k) {
        double best = std::numeric_limits<double>::infinity();
        for (int m = m0; m < m1; ++m)
          best = std::min(best, M[Ix(u) * un + Ix(m)] + D[Ix(m) * un + Ix(k)]);
        T[Ix(k)] = best;
      }
      for (int w = lo[Ix(B)]; w < hi[Ix(B)]; ++w) {
        const auto [k0, k1] = partners(B, w);
        double best = std::numeric_limits<double>::infinity();
        for (int k = k0; k < k1; ++k) best = std::min(best, T[Ix(k)] + M[Ix(k) * un + Ix(w)]);
        M[Ix(u) * un + Ix(w)] = M[Ix(w) * un + Ix(u)] = best;
      }
    }
  }
  // Rebuild: a frame is (node, first leaf, last leaf) by position.
  std::vector<int> order;
  order.reserve(un);
  struct Frame {
    int node, u, w;
  };
  const auto [RA, RB] = children(2 * n - 1);
  int bu = lo[Ix(RA)], bw = lo[Ix(RB)];
  for (int u = lo[Ix(RA)]; u < hi[Ix(RA)]; ++u)
    for (int w = lo[Ix(RB)]; w < hi[Ix(RB)]; ++w)
      if (M[Ix(u) * un + Ix(w)] < M[Ix(bu) * un + Ix(bw)]) {
        bu = u;
        bw = w;
      }
  std::vector<Frame> stack{{2 * n - 1, bu, bw}};
  while (!stack.empty()) {
    const Frame f = stack.back();
    stack.pop_back();
    if (f.node <= n) {
      order.push_back(base[Ix(f.u)]);
      continue;
    }
    auto [A, B] = children(f.node);
    if (!(f.u >= lo[Ix(A)] && f.u < hi[Ix(A)])) std::swap(A, B);
    const auto [m0, m1] = partners(A, f.u);
    const auto [k0, k1] = partners(B, f.w);
    int bm = m0, bk = k0;
    double best = std::numeric_limits<double>::infinity();
    for (int m = m0; m < m1; ++m)
      for (int k = k0; k < k1; ++k) {
        const double c = M[Ix(f.u) * un + Ix(m)] + D[Ix(m) * un + Ix(k)] + M[Ix(k) * un + Ix(f.w)];
        if (c < best) {
          best = c;
          bm = m;
          bk = k;
        }
      }
    stack.push_back({B, bk, f.w});
    stack.push_back({A, f.u, bm});
  }
  return order;
}

std::string FormatLeafOrder(const Tree& t, const std::vector<int>& order) {
  Tree placed = t;
  std::vector<double> position(Ix(2 * t.n - 1), 0.0);
  for (std::size_t i = 0; i < order.size(); ++i) position[Ix(order[i] - 1)] = static_cast<double>(i + 1);
  placed.position = std::move(position);
  return FormatOrder(placed);
}

std::vector<int> CutTreeAtHeight(const Tree& t, double h) {
  std::vector<double> top(Ix(2 * t.n), -std::numeric_limits<double>::infinity());
  std::vector<int> parent(Ix(2 * t.n));
  std::iota(parent.begin(), parent.end(), 0);
  const auto find = [&](int x) {
    while (parent[Ix(x)] != x) x = parent[Ix(x)] = parent[Ix(parent[Ix(x)])];
    return x;
  };
  for (int s = 1; s < t.n; ++s) {
    const int a = t.first[Ix(s - 1)], b = t.second[Ix(s - 1)], node = t.n + s;
    top[Ix(node)] = std::max({t.height[Ix(s - 1)], top[Ix(a)], top[Ix(b)]});
    if (top[Ix(node)] <= h) {
      parent[Ix(find(a))] = node;
      parent[Ix(find(b))] = node;
    }
  }
  std::vector<int> number(Ix(2 * t.n), 0), cluster(Ix(t.n));
  int next = 0;
  for (int i = 1; i <= t.n; ++i) {
    int& id = number[Ix(find(i))];
    if (id == 0) id = ++next;
    cluster[Ix(i - 1)] = id;
  }
  return cluster;
}

}  // namespace dendrokit::tools
