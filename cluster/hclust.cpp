#include "cluster/hclust.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "cluster/condensed_p.h"
#include "gfxbase/errors.h"
#include "gfxbase/globals.h"
#include "numeric/storage_access_p.h"
#include "numeric/storage_p.h"

namespace dendrokit {

namespace {

using detail::CondensedMatrix;

using detail::kNoPair;
// Search key of every distance that cannot qualify. An emptied slot's cells in the live rows
// are set to it and never updated again, so row scans need not skip dead columns.
constexpr double kNever = std::numeric_limits<double>::infinity();

inline double SearchKey(double d) { return d < kNoPair ? d : kNever; }

// How many live rows ahead the merge loop requests the cells it will update.
constexpr int kPrefetchRows = 32;

// ---- Linkage update rules: the distance of slot k to the union of slots o and t. ----
// Single and complete linkage are conditionals, not min/max: they differ on NaN.

inline double SingleLinkUpdate(double dok, double dtk) { return dtk >= dok ? dok : dtk; }

inline double CompleteLinkUpdate(double dok, double dtk) { return dtk <= dok ? dok : dtk; }

inline double WardUpdate(double dok, double dtk, double dot, double nk, double no, double nt) {
  return ((nk + no) * dok + (nk + nt) * dtk - nk * dot) / (nk + no + nt);
}

inline double AvgLinkUpdate(double dok, double dtk) { return (dok + dtk) * 0.5; }

inline double FlexLinkUpdate(double dok, double dtk, double dot, double alpha, double beta) {
  return alpha * (dok + dtk) + beta * dot;
}

inline double UpgmaUpdate(double dok, double dtk, double no, double nt) {
  return dok * no / (no + nt) + dtk * nt / (no + nt);
}

// Squared distance of k's centroid to the centroid of o and t, from the squared distances.
inline double CentroidUpdate(double dok, double dtk, double dot, double no, double nt) {
  const double sum = no + nt;
  return (no * dok + nt * dtk) / sum - no * nt * dot / (sum * sum);
}

// The same with o and t weighted equally, whatever their sizes (WPGMC).
inline double MedianUpdate(double dok, double dtk, double dot) {
  return (dok + dtk) * 0.5 - dot * 0.25;
}

// What one merge step knows about the pair it joins: d(o, t) and the sizes before the step.
struct MergeStep {
  double dot;
  double no;
  double nt;
  double alpha;
  double beta;  // 1 - 2 alpha
};

template <TClusterMethod M>
inline double LinkageUpdate(const MergeStep& m, double dok, double dtk, double nk) {
  if constexpr (M == cmSingleLink) return SingleLinkUpdate(dok, dtk);
  if constexpr (M == cmCompleteLink) return CompleteLinkUpdate(dok, dtk);
  if constexpr (M == cmWard) return WardUpdate(dok, dtk, m.dot, nk, m.no, m.nt);
  if constexpr (M == cmAvgLink) return AvgLinkUpdate(dok, dtk);
  if constexpr (M == cmFlexLink) return FlexLinkUpdate(dok, dtk, m.dot, m.alpha, m.beta);
  if constexpr (M == cmUpgma) return UpgmaUpdate(dok, dtk, m.no, m.nt);
  if constexpr (M == cmCentroid) return CentroidUpdate(dok, dtk, m.dot, m.no, m.nt);
  if constexpr (M == cmMedian) return MedianUpdate(dok, dtk, m.dot);
}

// Binary min-heap of rows keyed by (lower bound, row index). The index is part of the key:
// among equal bounds the lowest row must surface first, or ties leave scan order.
class RowHeap {
 public:
  RowHeap(const double* bound, int capacity)
      : bound_(bound), heap_(static_cast<std::size_t>(capacity)),
        pos_(static_cast<std::size_t>(capacity), -1) {}

  // Makes a heap of rows 0 .. count-1.
  void Build(int count) {
    size_ = count;
    for (int i = 0; i < count; ++i) {
      heap_[Ix(i)] = i;
      pos_[Ix(i)] = i;
    }
    for (int i = count / 2 - 1; i >= 0; --i) SiftDown(i);
  }
  int Top() const { return heap_[0]; }
  bool Contains(int row) const { return pos_[Ix(row)] >= 0; }
  void Remove(int row) {
    const int i = pos_[Ix(row)];
    pos_[Ix(row)] = -1;
    --size_;
    if (i == size_) return;
    const int moved = heap_[Ix(size_)];
    heap_[Ix(i)] = moved;
    pos_[Ix(moved)] = i;
    SiftUp(i);
    SiftDown(pos_[Ix(moved)]);
  }
  void Decreased(int row) { SiftUp(pos_[Ix(row)]); }
  void Increased(int row) { SiftDown(pos_[Ix(row)]); }
  void Changed(int row) {
    SiftUp(pos_[Ix(row)]);
    SiftDown(pos_[Ix(row)]);
  }

 private:
  static std::size_t Ix(int i) { return static_cast<std::size_t>(i); }
  bool Less(int a, int b) const {
    const double ka = bound_[Ix(a)];
    const double kb = bound_[Ix(b)];
    return ka < kb || (ka == kb && a < b);
  }
  void Place(int i, int row) {
    heap_[Ix(i)] = row;
    pos_[Ix(row)] = i;
  }
  void SiftUp(int i) {
    const int row = heap_[Ix(i)];
    while (i > 0) {
      const int parent = (i - 1) / 2;
      if (!Less(row, heap_[Ix(parent)])) break;
      Place(i, heap_[Ix(parent)]);
      i = parent;
    }
    Place(i, row);
  }
  void SiftDown(int i) {
    const int row = heap_[Ix(i)];
    for (;;) {
      int child = 2 * i + 1;
      if (child >= size_) break;
      if (child + 1 < size_ && Less(heap_[Ix(child + 1)], heap_[Ix(child)])) ++child;
      if (!Less(heap_[Ix(child)], row)) break;
      Place(i, heap_[Ix(child)]);
      i = child;
    }
    Place(i, row);
  }

  const double* bound_;
  std::vector<int> heap_;
  std::vector<int> pos_;
  int size_ = 0;
};

// The merge history of one run, 0-based by step.
struct MergeHistory {
  std::vector<std::int32_t> first;   // node of the lower slot
  std::vector<std::int32_t> second;  // node of the higher slot
  std::vector<std::int32_t> node;    // the new cluster
  std::vector<double> dist;
};

// Everything the merge loop needs, allocated once before the first step.
struct Workspace {
  explicit Workspace(int n)
      : label(Ix(n)), size(Ix(n), 1.0), next(Ix(n)), prev(Ix(n)), nn(Ix(n)),
        bound(Ix(n), kNever), stale(Ix(n), 0), heap(bound.data(), n) {}
  static std::size_t Ix(int i) { return static_cast<std::size_t>(i); }

  std::vector<std::int32_t> label;  // node living in a slot, 0 when emptied
  std::vector<double> size;         // objects in a slot's cluster
  std::vector<int> next;            // live slots as a list; n ends it
  std::vector<int> prev;
  std::vector<int> nn;              // candidate column of a row
  std::vector<double> bound;        // its search key, a lower bound while the row is stale
  std::vector<std::uint8_t> stale;
  RowHeap heap;
};

// Exact minimum of row r over the live columns c > r, and its first column. Emptied columns
// hold +inf and so never win against a qualifying distance.
inline void ScanRow(CondensedMatrix& d, Workspace& w, int r) {
  const auto ir = Workspace::Ix(r);
  const detail::RowMinimum m = detail::RowMin(d.Row(ir), d.Size() - 1 - ir);
  w.nn[ir] = m.index < 0 ? w.next[ir] : r + 1 + static_cast<int>(m.index);
  w.bound[ir] = m.key;
  w.stale[ir] = 0;
}

// Row k < t (k != o) after its cell at column t became `key` and column o was emptied: keeps
// the candidate exact where that is cheap, otherwise marks the row stale with its old value
// as a lower bound. Exact means: the smallest key and, among equal keys, the lowest column.
inline void UpdateCandidate(CondensedMatrix& d, Workspace& w, int k, double key, int o, int t) {
  const std::size_t ik = Workspace::Ix(k);
  double& bound = w.bound[ik];
  int& nn = w.nn[ik];
  if (w.stale[ik]) {
    // Every other column is at least the bound, so a smaller key at t is the unique minimum.
    if (key < bound) {
      bound = key;
      nn = t;
      w.stale[ik] = 0;
      w.heap.Decreased(k);
    }
    return;
  }
  if (nn == o) {
    if (key < bound) {
      bound = key;
      nn = t;
      w.heap.Decreased(k);
    } else if (key == bound) {
      // Columns below o were larger than the old minimum; one between o and t may equal it.
      const double* row = d.Row(ik);
      nn = t;
      for (int c = o + 1; c < t; ++c) {
        if (SearchKey(row[c - k - 1]) == bound) {
          nn = c;
          break;
        }
      }
    } else {
      w.stale[ik] = 1;
    }
  } else if (nn == t) {
    // Columns below t were larger than the old minimum, so t stays first while key <= it.
    if (key < bound) {
      bound = key;
      w.heap.Decreased(k);
    } else if (key > bound) {
      w.stale[ik] = 1;
    }
  } else if (key < bound) {
    bound = key;
    nn = t;
    w.heap.Decreased(k);
  } else if (key == bound && t < nn) {
    nn = t;
  }
}

// Agglomerative clustering with lazily refreshed nearest-neighbour candidates, O(n^2)
// memory, O(n^2) time typical and O(n^3) worst case.
// It is exact: it merges the pair the textbook full scan would pick in every step. Each row
// keeps the smallest search key among its higher live columns (the first such column on
// ties), or a lower bound of it marked stale. The heap pops rows by (key, row), so the first
// non-stale row is the one holding the lexicographically first minimal pair. Distances
// are updated with the same expressions on the same operands as the full scan would.
// Stops early when a progress call sets AbortComputation.
// On entry w.bound and w.nn hold every row's exact minimum (rows 0 .. n-2).
template <TClusterMethod M>
void GenericLinkage(CondensedMatrix& d, Workspace& w, MergeHistory& h, double alpha,
                   TObject* sender, const TClusterProgressProc& progress) {
  const int n = static_cast<int>(d.Size());
  auto ix = [](int i) { return static_cast<std::size_t>(i); };
  for (int k = 0; k < n; ++k) {
    w.label[ix(k)] = k + 1;
    w.next[ix(k)] = k + 1;
    w.prev[ix(k)] = k - 1;
  }
  int head = 0;
  w.heap.Build(n - 1);

  AbortComputation = false;
  for (int s = 1; s <= n - 1 && !AbortComputation; ++s) {
    ProgressCounter += 1.0;
    if (progress) progress(sender, ProgressCounter, static_cast<double>(s) / n * 100.0);

    int top = w.heap.Top();
    while (w.stale[ix(top)]) {
      ScanRow(d, w, top);
      w.heap.Increased(top);
      top = w.heap.Top();
    }
    int o = top;
    int t = w.nn[ix(top)];
    if (w.bound[ix(top)] == kNever) {  // no pair qualifies: take the first live pair
      o = head;
      t = w.next[ix(head)];
    }
    const MergeStep m{d.At(ix(o), ix(t)), w.size[ix(o)], w.size[ix(t)], alpha,
                      1.0 - 2.0 * alpha};
    h.first[ix(s - 1)] = w.label[ix(o)];
    h.second[ix(s - 1)] = w.label[ix(t)];
    h.node[ix(s - 1)] = n + s;
    h.dist[ix(s - 1)] = m.dot;

    // Row x's cell of column c is Row(x)[c - x - 1]. The cells of columns o and t lie one
    // row apart each; fetching them a few live rows ahead hides most of the memory latency.
    auto cell = [&](int x, int c) { return d.Row(ix(x)) + (c - x - 1); };
    int ahead = head;
    auto prefetchAhead = [&]() {
      if (ahead == o) ahead = w.next[ix(o)];
      if (ahead >= t) return;
      if (ahead < o) __builtin_prefetch(cell(ahead, o), 1, 2);
      __builtin_prefetch(cell(ahead, t), 1, 2);
      ahead = w.next[ix(ahead)];
    };
    for (int i = 0; i < kPrefetchRows; ++i) prefetchAhead();
    int k = head;
    for (; k < o; k = w.next[ix(k)]) {
      prefetchAhead();
      double* row = d.Row(ix(k));
      double& dko = row[o - k - 1];
      double& dkt = row[t - k - 1];
      const double v = LinkageUpdate<M>(m, dko, dkt, w.size[ix(k)]);
      dkt = v;
      dko = kNever;
      UpdateCandidate(d, w, k, SearchKey(v), o, t);
    }
    const double* rowO = d.Row(ix(o));
    for (k = w.next[ix(o)]; k < t; k = w.next[ix(k)]) {
      prefetchAhead();
      double& dkt = d.Row(ix(k))[t - k - 1];
      const double v = LinkageUpdate<M>(m, rowO[k - o - 1], dkt, w.size[ix(k)]);
      dkt = v;
      UpdateCandidate(d, w, k, SearchKey(v), o, t);
    }
    double* rowT = d.Row(ix(t));
    for (k = w.next[ix(t)]; k < n; k = w.next[ix(k)]) {
      double& dtk = rowT[k - t - 1];
      dtk = LinkageUpdate<M>(m, rowO[k - o - 1], dtk, w.size[ix(k)]);
    }

    // Slot o empties; the union lives on in slot t.
    w.heap.Remove(o);
    if (o == head) {
      head = w.next[ix(o)];
    } else {
      w.next[ix(w.prev[ix(o)])] = w.next[ix(o)];
    }
    w.prev[ix(w.next[ix(o)])] = w.prev[ix(o)];
    w.label[ix(t)] = n + s;
    w.size[ix(t)] += w.size[ix(o)];
    w.label[ix(o)] = 0;
    w.size[ix(o)] = 0.0;

    if (w.next[ix(t)] < n) {
      ScanRow(d, w, t);
      w.heap.Changed(t);
    } else if (w.heap.Contains(t)) {
      w.heap.Remove(t);
    }
  }
}

// Single linkage from a minimum spanning tree (Kruskal order of its edges), O(n log n) after
// the tree. Exact only under the conditions SingleLinkageTree checks: with every distance
// qualifying and all tree weights distinct and non-zero, the closest pair of clusters in
// each step is unique, it is joined by the lightest tree edge left (cut property), and its
// single-link distance is that edge's weight, bit for bit. The slots follow from the rule
// that a cluster lives in the slot of its largest member.
// parent and label are scratch arrays of n entries.
void TreeSingleLinkage(int n, std::vector<detail::TreeEdge>& edges, MergeHistory& h,
                       std::vector<int>& parent, std::vector<int>& label, TObject* sender,
                       const TClusterProgressProc& progress) {
  auto ix = [](int i) { return static_cast<std::size_t>(i); };
  std::sort(edges.begin(), edges.end(),
            [](const detail::TreeEdge& a, const detail::TreeEdge& b) { return a.weight < b.weight; });
  // Each component's root is its largest member, which is also the slot it lives in.
  for (int k = 0; k < n; ++k) {
    parent[ix(k)] = k;
    label[ix(k)] = k + 1;
  }
  auto find = [&](int x) {
    while (parent[ix(x)] != x) {
      parent[ix(x)] = parent[ix(parent[ix(x)])];
      x = parent[ix(x)];
    }
    return x;
  };
  AbortComputation = false;
  for (int s = 1; s <= n - 1 && !AbortComputation; ++s) {
    ProgressCounter += 1.0;
    if (progress) progress(sender, ProgressCounter, static_cast<double>(s) / n * 100.0);
    const detail::TreeEdge& e = edges[ix(s - 1)];
    int lo = find(e.a), hi = find(e.b);
    if (lo > hi) std::swap(lo, hi);
    h.first[ix(s - 1)] = label[ix(lo)];
    h.second[ix(s - 1)] = label[ix(hi)];
    h.node[ix(s - 1)] = n + s;
    h.dist[ix(s - 1)] = e.weight;
    parent[ix(lo)] = hi;
    label[ix(hi)] = n + s;
  }
}

// Single linkage from every pair up to the heaviest tree edge (SingleLinkagePairs), ties
// included, merged as the full scan merges them. Within one distance D the scan joins the
// lowest slot that has a partner at D to its lowest such partner; a cluster lives in the slot
// of its largest member, so the partners of the lowest slot lie above it and the slots of one
// distance are taken in increasing order, each joined to the lowest slot it then touches.
// Fills h without progress calls; false (h unusable) if the pairs do not join all objects.
bool TiedSingleLinkage(int n, const std::vector<detail::TreeEdge>& pairs, MergeHistory& h) {
  auto ix = [](int i) { return static_cast<std::size_t>(i); };
  // A set's root is its largest member, the slot its cluster lives in.
  std::vector<int> parent(ix(n)), label(ix(n));
  for (int k = 0; k < n; ++k) {
    parent[ix(k)] = k;
    label[ix(k)] = k + 1;
  }
  auto find = [&](int x) {
    while (parent[ix(x)] != x) {
      parent[ix(x)] = parent[ix(parent[ix(x)])];
      x = parent[ix(x)];
    }
    return x;
  };
  std::vector<std::vector<int>> partners(ix(n));
  std::vector<int> slots;
  int step = 0;
  for (std::size_t i0 = 0; i0 < pairs.size();) {
    const double dist = pairs[i0].weight;
    std::size_t i1 = i0;
    slots.clear();
    for (; i1 < pairs.size() && pairs[i1].weight == dist; ++i1) {
      const int a = find(pairs[i1].a), b = find(pairs[i1].b);
      if (a == b) continue;
      partners[ix(a)].push_back(b);
      partners[ix(b)].push_back(a);
      slots.push_back(a);
      slots.push_back(b);
    }
    i0 = i1;
    std::sort(slots.begin(), slots.end());
    slots.erase(std::unique(slots.begin(), slots.end()), slots.end());
    for (const int s : slots) {
      std::vector<int>& own = partners[ix(s)];
      int t = n;
      std::size_t kept = 0;
      for (const int x : own) {
        const int r = find(x);
        if (r == s) continue;
        own[kept++] = r;
        t = std::min(t, r);
      }
      own.resize(kept);
      if (t == n) continue;
      if (t < s || step >= n - 1) return false;  // cannot happen: slots below s are done
      h.first[ix(step)] = label[ix(s)];
      h.second[ix(step)] = label[ix(t)];
      h.node[ix(step)] = n + step + 1;
      h.dist[ix(step)] = dist;
      ++step;
      parent[ix(s)] = t;
      label[ix(t)] = n + step;
      std::vector<int>& into = partners[ix(t)];
      if (into.size() < own.size()) into.swap(own);
      into.insert(into.end(), own.begin(), own.end());
      own.clear();
    }
    for (const int s : slots) partners[ix(s)].clear();
  }
  return step == n - 1;
}

// The progress calls and stopping of a run whose merges are already known.
void ReplayProgress(int n, TObject* sender, const TClusterProgressProc& progress) {
  AbortComputation = false;
  for (int s = 1; s <= n - 1 && !AbortComputation; ++s) {
    ProgressCounter += 1.0;
    if (progress) progress(sender, ProgressCounter, static_cast<double>(s) / n * 100.0);
  }
}

void RunGenericLinkage(TClusterMethod method, CondensedMatrix& d, Workspace& w, MergeHistory& h,
                       double alpha, TObject* sender, const TClusterProgressProc& progress) {
  switch (method) {
    case cmSingleLink: return GenericLinkage<cmSingleLink>(d, w, h, alpha, sender, progress);
    case cmCompleteLink: return GenericLinkage<cmCompleteLink>(d, w, h, alpha, sender, progress);
    case cmWard: return GenericLinkage<cmWard>(d, w, h, alpha, sender, progress);
    case cmAvgLink: return GenericLinkage<cmAvgLink>(d, w, h, alpha, sender, progress);
    case cmFlexLink: return GenericLinkage<cmFlexLink>(d, w, h, alpha, sender, progress);
    case cmUpgma: return GenericLinkage<cmUpgma>(d, w, h, alpha, sender, progress);
    case cmCentroid: return GenericLinkage<cmCentroid>(d, w, h, alpha, sender, progress);
    case cmMedian: return GenericLinkage<cmMedian>(d, w, h, alpha, sender, progress);
  }
}

// Positions of the leaves along the drawing axis: a depth-first walk that places the root's
// children in the order (first, second) and every other cluster's as (second, first).
// O(n) without recursion: the subtree sizes give each child's first position, and parents
// have larger ids than their children, so one descending pass assigns them all.
void LeafPositions(int n, const MergeHistory& h, std::vector<double>& nodePos,
                   std::vector<int>& count, std::vector<int>& start) {
  auto ix = [](int i) { return static_cast<std::size_t>(i); };
  auto node = [&](int id) { return ix(id - 1); };
  for (int k = 1; k <= n; ++k) count[node(k)] = 1;
  for (int s = 1; s <= n - 1; ++s)
    count[node(n + s)] = count[node(h.first[ix(s - 1)])] + count[node(h.second[ix(s - 1)])];
  start[node(2 * n - 1)] = 0;
  for (int s = n - 1; s >= 1; --s) {
    const int a = h.first[ix(s - 1)];
    const int b = h.second[ix(s - 1)];
    const int begin = start[node(n + s)];
    const int lead = s == n - 1 ? a : b;
    const int follow = s == n - 1 ? b : a;
    start[node(lead)] = begin;
    start[node(follow)] = begin + count[node(lead)];
  }
  for (int k = 1; k <= n; ++k) nodePos[node(k)] = start[node(k)] + 1;
  for (int s = 1; s <= n - 1; ++s)
    nodePos[node(n + s)] =
        (nodePos[node(h.first[ix(s - 1)])] + nodePos[node(h.second[ix(s - 1)])]) / 2;
}

// Installs a handler as the matrix's OnCalcDistance for the lifetime of the guard.
class CalcDistanceHandlerGuard {
 public:
  // The copy of the handler is made before the matrix's own is taken, so a failing copy
  // leaves the matrix as it was.
  CalcDistanceHandlerGuard(TMatrix& data, const TOnCalcDistanceEvent& handler)
      : data_(data), saved_(handler) {
    std::swap(saved_, data_.OnCalcDistance);
  }
  ~CalcDistanceHandlerGuard() { data_.OnCalcDistance = std::move(saved_); }
  CalcDistanceHandlerGuard(const CalcDistanceHandlerGuard&) = delete;
  CalcDistanceHandlerGuard& operator=(const CalcDistanceHandlerGuard&) = delete;

 private:
  TMatrix& data_;
  TOnCalcDistanceEvent saved_;
};

// Fills d and the exact minimum of every row (rows 0 .. n-2) into w.
void FillDistances(TMatrix& data, TDistMode mode, CondensedMatrix& d, Workspace& w) {
  const int n = static_cast<int>(d.Size());
  std::vector<detail::RowMinimum> mins(static_cast<std::size_t>(n));
  if (mode == dmUserDef) {
    // The handler sees the pairs in the order of CalcDistMatrix.
    for (int r = 1; r < n; ++r) {
      double* row = d.Row(static_cast<std::size_t>(r - 1));
      for (int c = r + 1; c <= n; ++c) row[c - r - 1] = data.Distance(dmUserDef, r, c);
      mins[static_cast<std::size_t>(r - 1)] = detail::RowMin(row, static_cast<std::size_t>(n - r));
    }
  } else {
    const int threads = std::thread::hardware_concurrency() >= 2 ? 2 : 1;
    detail::FillBuiltinDistances(data, mode, d, threads, mins.data());
  }
  for (int r = 0; r < n - 1; ++r) {
    const detail::RowMinimum& m = mins[static_cast<std::size_t>(r)];
    w.bound[static_cast<std::size_t>(r)] = m.key;
    w.nn[static_cast<std::size_t>(r)] = m.index < 0 ? r + 1 : r + 1 + static_cast<int>(m.index);
  }
}

template <typename Values, typename Source>
void CopyInto(Values values, const Source& source) {
  const std::size_t count = std::min(values.size(), source.size());
  for (std::size_t i = 0; i < count; ++i) values[i] = source[i];
}

// A history of the given number of steps, all zero.
MergeHistory EmptyHistory(std::size_t steps) {
  return MergeHistory{std::vector<std::int32_t>(steps, 0), std::vector<std::int32_t>(steps, 0),
                      std::vector<std::int32_t>(steps, 0), std::vector<double>(steps, 0.0)};
}

// The outputs' new storage where their shape changes: obtained before any output changes
// (a failure leaves the outputs exactly as they were) and adopted without allocating.
class OutputStorage {
 public:
  OutputStorage(const TIntMatrix& mergeTable, const TVector& mergeDist, const TVector& nodePos,
                int n)
      : n_(n),
        steps_(std::max(n - 1, 1)),
        newTable_(mergeTable.NrOfColumns() != 3 || mergeTable.NrOfRows() != steps_),
        newDist_(mergeDist.NrOfElem() != steps_),
        newPos_(nodePos.NrOfElem() != 2 * n - 1) {}

  void Obtain() {
    if (newTable_) table_ = detail::MakeStorage<std::int32_t>(3 * std::int64_t{steps_});
    if (newDist_) dist_ = detail::MakeStorage<double>(steps_);
    if (newPos_) pos_ = detail::MakeStorage<double>(2 * std::int64_t{n_} - 1);
  }

  void Adopt(TIntMatrix& mergeTable, TVector& mergeDist, TVector& nodePos) {
    if (newTable_) detail::StorageAccess::Adopt(mergeTable, 3, steps_, table_);
    if (newDist_) detail::StorageAccess::Adopt(mergeDist, dist_);
    if (newPos_) detail::StorageAccess::Adopt(nodePos, pos_);
  }

 private:
  int n_;
  int steps_;
  bool newTable_, newDist_, newPos_;
  std::vector<std::int32_t> table_;
  std::vector<double> dist_, pos_;
};

// A stopped run leaves zeroed outputs, whatever path it took.
void ClearStopped(TIntMatrix& mergeTable, TVector& mergeDist, TVector& nodePos) {
  nodePos.Clear();
  mergeTable.Fill(0);
  mergeDist.Clear();
}

// Hands a finished run to the outputs. A progress handler may have resized an output
// meanwhile: copy what fits, as element writes would.
void Publish(const MergeHistory& h, const std::vector<double>& pos, TIntMatrix& mergeTable,
             TVector& mergeDist, TVector& nodePos) {
  CopyInto(mergeTable.Column(1), h.first);
  CopyInto(mergeTable.Column(2), h.second);
  CopyInto(mergeTable.Column(3), h.node);
  CopyInto(mergeDist.Values(), h.dist);
  CopyInto(nodePos.Values(), pos);
  if (mergeTable.OnChange) mergeTable.OnChange(&mergeTable);
  if (mergeDist.OnChange) mergeDist.OnChange(&mergeDist);
  if (nodePos.OnChange) nodePos.OnChange(&nodePos);
}

}  // namespace

int HierarchicalClustering(TObject* sender, TMatrix& data, TDistMode distMode,
                           TClusterMethod method, double flexAlpha, TIntMatrix& mergeTable,
                           TVector& mergeDist, TVector& nodePos,
                           const TClusterProgressProc& progress,
                           const TOnCalcDistanceEvent& onCalcDistance) {
  if (static_cast<unsigned>(method) >= EnumCount<TClusterMethod>())
    throw EVELError("HierarchicalClustering: unknown clustering method " +
                    std::to_string(static_cast<unsigned>(method)));
  // Node ids run up to 2n-1, which must stay an int.
  if (data.NrOfRows() > std::numeric_limits<int>::max() / 2)
    throw EVELError("HierarchicalClustering: too many objects (" +
                    std::to_string(data.NrOfRows()) + ")");
  if (progress) progress(sender, ProgressCounter, 0.0);
  double alpha = flexAlpha;
  if (alpha < 0.5) alpha = 0.5;
  if (alpha > 1.0) alpha = 1.0;

  const int n = data.NrOfRows();
  const auto un = static_cast<std::size_t>(n);
  const int steps = std::max(n - 1, 1);
  const auto ust = static_cast<std::size_t>(steps);
  // The given handler stays installed until the routine returns or throws.
  std::optional<CalcDistanceHandlerGuard> guard;
  // Everything the run needs, the outputs' new storage included, is obtained before any
  // output changes: a failure leaves the outputs exactly as they were.
  std::vector<detail::TreeEdge> tree;
  bool useTree = false, usePairs = false;
  std::optional<CondensedMatrix> d;
  std::optional<Workspace> w;
  MergeHistory h;
  std::vector<double> pos;
  std::vector<int> count, start;
  OutputStorage storage(mergeTable, mergeDist, nodePos, n);
  try {
    guard.emplace(data, onCalcDistance);
    // Single linkage first tries the spanning tree, which needs no distance matrix at all.
    useTree = method == cmSingleLink && distMode != dmUserDef &&
              detail::SingleLinkageTree(data, distMode, tree);
    h = EmptyHistory(ust);
    // With ties, the pairs up to the heaviest tree edge still decide every merge, and there
    // are few of them unless the ties are massive (then the triangle is the better deal).
    if (method == cmSingleLink && distMode != dmUserDef && !useTree && n >= 2) {
      const std::size_t budget = std::size_t{128} * un + (std::size_t{1} << 20);
      usePairs = detail::SingleLinkagePairs(data, distMode, budget, tree) &&
                 TiedSingleLinkage(n, tree, h);
      std::vector<detail::TreeEdge>().swap(tree);
    }
    const bool triangle = !useTree && !usePairs;
    d.emplace(triangle ? un : 0);
    w.emplace(triangle ? std::max(n, 1) : 1);
    if (triangle) FillDistances(data, distMode, *d, *w);
    pos.assign(2 * un - 1, 0.0);
    count.resize(2 * un - 1);
    start.resize(2 * un - 1);
    storage.Obtain();
  } catch (const std::bad_alloc&) {
    throw EVELError("HierarchicalClustering: not enough memory for " + std::to_string(n) +
                    " objects");
  }
  storage.Adopt(mergeTable, mergeDist, nodePos);

  if (n < 2) {
    AbortComputation = false;
    pos[0] = 1.0;
  } else {
    if (useTree) {
      // count and start serve as the tree walk's scratch; LeafPositions refills them.
      TreeSingleLinkage(n, tree, h, count, start, sender, progress);
    } else if (usePairs) {
      ReplayProgress(n, sender, progress);
    } else {
      RunGenericLinkage(method, *d, *w, h, alpha, sender, progress);
    }
    if (AbortComputation) {
      ClearStopped(mergeTable, mergeDist, nodePos);
      return -1;
    }
    LeafPositions(n, h, pos, count, start);
  }

  Publish(h, pos, mergeTable, mergeDist, nodePos);
  return 0;
}

int HierarchicalClusteringOfDistances(TObject* sender, std::span<const double> distances,
                                      int n, TClusterMethod method, double flexAlpha,
                                      TIntMatrix& mergeTable, TVector& mergeDist,
                                      TVector& nodePos, const TClusterProgressProc& progress) {
  if (static_cast<unsigned>(method) >= EnumCount<TClusterMethod>())
    throw EVELError("HierarchicalClustering: unknown clustering method " +
                    std::to_string(static_cast<unsigned>(method)));
  if (n < 1 || n > std::numeric_limits<int>::max() / 2)
    throw EVELError("HierarchicalClustering: " + std::to_string(n) +
                    " objects (1 to 2^30 - 1 can be clustered)");
  const auto un = static_cast<std::size_t>(n);
  const std::size_t pairs = un % 2 == 0 ? un / 2 * (un - 1) : (un - 1) / 2 * un;
  if (distances.size() != pairs)
    throw EVELError("HierarchicalClustering: " + std::to_string(distances.size()) +
                    " distances given; " + std::to_string(n) + " objects have " +
                    std::to_string(pairs));
  if (progress) progress(sender, ProgressCounter, 0.0);
  const double alpha = std::clamp(flexAlpha, 0.5, 1.0);
  const int steps = std::max(n - 1, 1);
  const auto ust = static_cast<std::size_t>(steps);
  std::optional<CondensedMatrix> d;
  std::optional<Workspace> w;
  MergeHistory h;
  std::vector<double> pos;
  std::vector<int> count, start;
  OutputStorage storage(mergeTable, mergeDist, nodePos, n);
  try {
    d.emplace(un);
    w.emplace(n);
    std::copy(distances.begin(), distances.end(), d->Data());
    for (std::size_t r = 0; r + 1 < un; ++r) {
      const detail::RowMinimum m = detail::RowMin(d->Row(r), un - 1 - r);
      w->bound[r] = m.key;
      w->nn[r] = static_cast<int>(r) + 1 + (m.index < 0 ? 0 : static_cast<int>(m.index));
    }
    h = EmptyHistory(ust);
    pos.assign(2 * un - 1, 0.0);
    count.resize(2 * un - 1);
    start.resize(2 * un - 1);
    storage.Obtain();
  } catch (const std::bad_alloc&) {
    throw EVELError("HierarchicalClustering: not enough memory for " + std::to_string(n) +
                    " objects");
  }
  storage.Adopt(mergeTable, mergeDist, nodePos);
  if (n < 2) {
    AbortComputation = false;
    pos[0] = 1.0;
  } else {
    RunGenericLinkage(method, *d, *w, h, alpha, sender, progress);
    if (AbortComputation) {
      ClearStopped(mergeTable, mergeDist, nodePos);
      return -1;
    }
    LeafPositions(n, h, pos, count, start);
  }
  Publish(h, pos, mergeTable, mergeDist, nodePos);
  return 0;
}

}  // namespace dendrokit
