#include "cluster/tree.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "gfxbase/errors.h"

namespace dendrokit {

namespace {

std::size_t Ix(long long i) { return static_cast<std::size_t>(i); }

[[noreturn]] void Fail(const std::string& reason) { throw EVELError("Tree: " + reason); }

// Subtree sizes (index k-1 for node k).
std::vector<int> Sizes(const TMergeTree& t) {
  const int n = t.Objects();
  std::vector<int> size(Ix(2 * n - 1), 1);
  for (int s = 1; s < n; ++s)
    size[Ix(n + s - 1)] = size[Ix(t.First[Ix(s - 1)] - 1)] + size[Ix(t.Second[Ix(s - 1)] - 1)];
  return size;
}

// Both conventions list children left to right as their plots draw them; the engine's
// placement takes every non-root cluster's children as (Second, First), so those are
// stored swapped to keep the peer's leaf order.
void KeepPeerOrder(TMergeTree& t) {
  for (std::size_t i = 0; i + 1 < t.First.size(); ++i) std::swap(t.First[i], t.Second[i]);
}

// The cut whose open nodes (cluster nodes whose children lie in different clusters) are
// given; parents come before their children when walking the ids downward.
template <typename Open>
TTreeCut Cut(const TMergeTree& t, Open&& open) {
  const int n = t.Objects();
  TTreeCut cut;
  // top[k-1]: the cluster root node that node k belongs to, 0 while above the cut.
  std::vector<int> top(Ix(2 * n - 1), 0);
  if (n == 1 || !open(2 * n - 1)) top[Ix(2 * n - 2)] = 2 * n - 1;
  for (int s = n - 1; s >= 1; --s) {
    const int node = n + s;
    for (const int child : {t.First[Ix(s - 1)], t.Second[Ix(s - 1)]}) {
      const int up = top[Ix(node - 1)];
      top[Ix(child - 1)] = up != 0 ? up : (child <= n || !open(child) ? child : 0);
    }
  }
  std::vector<int> number(Ix(2 * n - 1), 0);
  cut.Object.resize(Ix(n));
  for (int k = 1; k <= n; ++k) {
    int& num = number[Ix(top[Ix(k - 1)] - 1)];
    if (num == 0) num = ++cut.Count;
    cut.Object[Ix(k - 1)] = num;
  }
  cut.Node.resize(Ix(2 * n - 1));
  for (int k = 1; k <= 2 * n - 1; ++k)
    cut.Node[Ix(k - 1)] = top[Ix(k - 1)] == 0 ? 0 : number[Ix(top[Ix(k - 1)] - 1)];
  return cut;
}

}  // namespace

void ValidateTree(std::span<const int> first, std::span<const int> second,
                  std::span<const double> height) {
  if (first.size() != height.size() || second.size() != height.size())
    Fail("the merge table has " + std::to_string(first.size()) + " and " +
         std::to_string(second.size()) + " entries for " + std::to_string(height.size()) +
         " heights");
  if (height.size() >= Ix(1) << 30) Fail("too many merges");
  const int n = static_cast<int>(height.size()) + 1;
  std::vector<char> seen(Ix(2 * n - 1), 0);
  for (int s = 1; s < n; ++s) {
    const double h = height[Ix(s - 1)];
    if (!std::isfinite(h) || h < 0)
      Fail("merge " + std::to_string(s) + " has the height " + std::to_string(h) +
           " (heights must be finite and >= 0)");
    for (const int id : {first[Ix(s - 1)], second[Ix(s - 1)]}) {
      if (id < 1 || id >= n + s)
        Fail("merge " + std::to_string(s) + " joins node " + std::to_string(id) +
             ", which is not an object or an earlier cluster (1.." + std::to_string(n + s - 1) +
             ")");
      if (seen[Ix(id - 1)])
        Fail("node " + std::to_string(id) + " is merged twice (again in merge " +
             std::to_string(s) + ")");
      seen[Ix(id - 1)] = 1;
    }
  }
  // n-1 merges with 2(n-1) distinct children among 2n-2 non-root nodes: every node but the
  // root is a child exactly once, so the merges form one tree.
}

TMergeTree TreeFromR(std::span<const int> merge, std::span<const double> height) {
  if (merge.size() != 2 * height.size())
    Fail("R's merge matrix has " + std::to_string(merge.size()) + " entries for " +
         std::to_string(height.size()) + " heights (2 per height)");
  const std::size_t rows = height.size();
  const int n = static_cast<int>(rows) + 1;
  auto node = [&](int r) {
    if (r == 0 || r < -n || r > n - 1)
      Fail("R's merge matrix holds " + std::to_string(r) + ", which is neither -1..-" +
           std::to_string(n) + " nor 1.." + std::to_string(n - 1));
    return r < 0 ? -r : n + r;
  };
  TMergeTree t;
  t.Height.assign(height.begin(), height.end());
  for (std::size_t i = 0; i < rows; ++i) {
    t.First.push_back(node(merge[i]));
    t.Second.push_back(node(merge[rows + i]));
  }
  ValidateTree(t.First, t.Second, t.Height);
  KeepPeerOrder(t);
  return t;
}

TMergeTree TreeFromScipy(std::span<const double> z) {
  if (z.size() % 4 != 0)
    Fail("a linkage matrix has 4 columns; " + std::to_string(z.size()) + " values are given");
  const std::size_t rows = z.size() / 4;
  const double limit = 2.0 * static_cast<double>(rows);  // largest 0-based id is 2n-3
  TMergeTree t;
  for (std::size_t i = 0; i < rows; ++i) {
    for (int c = 0; c < 2; ++c) {
      const double id = z[4 * i + Ix(c)];
      if (!(id >= 0 && id <= limit) || id != std::floor(id))
        Fail("row " + std::to_string(i) + " of the linkage matrix joins " + std::to_string(id) +
             ", which is not a node id");
      (c == 0 ? t.First : t.Second).push_back(static_cast<int>(id) + 1);
    }
    t.Height.push_back(z[4 * i + 2]);
  }
  ValidateTree(t.First, t.Second, t.Height);
  const std::vector<int> size = Sizes(t);
  const int n = t.Objects();
  for (std::size_t i = 0; i < rows; ++i) {
    const double given = z[4 * i + 3];
    if (given != 0 && given != size[Ix(n + static_cast<long long>(i))])
      Fail("row " + std::to_string(i) + " of the linkage matrix gives the size " +
           std::to_string(given) + " for a cluster of " +
           std::to_string(size[Ix(n + static_cast<long long>(i))]) + " objects");
  }
  KeepPeerOrder(t);
  return t;
}

std::vector<double> TreeNodePositions(const TMergeTree& t) {
  ValidateTree(t.First, t.Second, t.Height);
  const int n = t.Objects();
  const std::vector<int> size = Sizes(t);
  // start[k-1]: leaves before node k's first leaf.
  std::vector<int> start(Ix(2 * n - 1), 0);
  for (int s = n - 1; s >= 1; --s) {
    const int a = t.First[Ix(s - 1)], b = t.Second[Ix(s - 1)];
    const int lead = s == n - 1 ? a : b, follow = s == n - 1 ? b : a;
    start[Ix(lead - 1)] = start[Ix(n + s - 1)];
    start[Ix(follow - 1)] = start[Ix(n + s - 1)] + size[Ix(lead - 1)];
  }
  std::vector<double> pos(Ix(2 * n - 1), 0.0);
  for (int k = 1; k <= n; ++k) pos[Ix(k - 1)] = start[Ix(k - 1)] + 1;
  for (int s = 1; s < n; ++s)
    pos[Ix(n + s - 1)] = (pos[Ix(t.First[Ix(s - 1)] - 1)] + pos[Ix(t.Second[Ix(s - 1)] - 1)]) / 2;
  return pos;
}

TTreeCut CutTreeIntoClusters(const TMergeTree& t, int k) {
  ValidateTree(t.First, t.Second, t.Height);
  const int n = t.Objects();
  const long long made = n - std::clamp(k, 1, n);  // steps 1..made are made
  return Cut(t, [&](int node) { return node - n > made; });
}

TTreeCut CutTreeAtHeight(const TMergeTree& t, double h) {
  ValidateTree(t.First, t.Second, t.Height);
  const int n = t.Objects();
  return Cut(t, [&](int node) { return !(t.Height[Ix(node - n - 1)] <= h); });
}

}  // namespace dendrokit
