#include "naive_hclust.h"

#include "gfxbase/globals.h"

namespace dendrokit::testing {

namespace {

double NewDistance(TClusterMethod method, double dok, double dtk, double dot, int nk, int no,
                   int nt, double alpha) {
  switch (method) {
    case cmSingleLink: return dtk >= dok ? dok : dtk;
    case cmCompleteLink: return dtk <= dok ? dok : dtk;
    case cmWard: return ((nk + no) * dok + (nk + nt) * dtk - nk * dot) / (nk + no + nt);
    case cmAvgLink: return (dok + dtk) * 0.5;
    case cmFlexLink: return alpha * (dok + dtk) + (1 - 2 * alpha) * dot;
    case cmUpgma: return dok * no / (no + nt) + dtk * nt / (no + nt);
    case cmCentroid: {
      const double a = no, b = nt, sum = a + b;
      return (a * dok + b * dtk) / sum - a * b * dot / (sum * sum);
    }
    case cmMedian: return (dok + dtk) * 0.5 - dot * 0.25;
  }
  return 0.0;
}

}  // namespace

int NaiveHierarchicalClustering(TObject* sender, TMatrix& data, TDistMode distMode,
                                TClusterMethod method, double flexAlpha,
                                TIntMatrix& mergeTable, TVector& mergeDist, TVector& nodePos,
                                const TClusterProgressProc& progress,
                                const TOnCalcDistanceEvent& onCalcDistance) {
  if (progress) progress(sender, ProgressCounter, 0.0);
  if (flexAlpha < 0.5) flexAlpha = 0.5;
  if (flexAlpha > 1.0) flexAlpha = 1.0;

  const int n = data.NrOfRows();
  TMatrix d;
  d.Resize(n, n);
  TIntVector label, size;
  label.Resize(n);
  size.Resize(n);
  TVector scratch;
  scratch.Resize(n);

  const TOnCalcDistanceEvent saved = data.OnCalcDistance;
  data.OnCalcDistance = onCalcDistance;
  struct Restore {
    TMatrix& data;
    const TOnCalcDistanceEvent& saved;
    ~Restore() { data.OnCalcDistance = saved; }
  } restore{data, saved};
  data.CalcDistMatrix(distMode, d);

  // With one object there is no step: the outputs keep one element each, zero, NodePos 1.
  const int steps = n - 1 < 1 ? 1 : n - 1;
  if (mergeDist.NrOfElem() != steps) mergeDist.Resize(steps);
  if (nodePos.NrOfElem() != 2 * n - 1) nodePos.Resize(2 * n - 1);
  if (mergeTable.NrOfRows() != steps || mergeTable.NrOfColumns() != 3)
    mergeTable.Resize(3, steps);

  for (int k = 1; k <= n; ++k) {
    label.SetElem(k, k);
    size.SetElem(k, 1);
  }
  AbortComputation = false;
  if (n < 2) {
    mergeTable.Fill(0);
    mergeDist.Clear();
    nodePos.SetElem(1, 1.0);
    return 0;
  }

  for (int s = 1; s <= n - 1 && !AbortComputation; ++s) {
    ProgressCounter = ProgressCounter + 1.0;
    if (progress) progress(sender, ProgressCounter, static_cast<double>(s) / n * 100);

    double min = 1.7e38;
    int o = 1, t = 1;
    bool found = false;
    for (int r = 1; r <= n - 1; ++r)
      for (int c = r + 1; c <= n; ++c)
        if (label.Elem(r) > 0 && label.Elem(c) > 0 && d.Elem(c, r) < min) {
          o = r;
          t = c;
          min = d.Elem(c, r);
          found = true;
        }
    if (!found) {  // nothing qualifies: the first live pair, at its stored distance
      o = 1;
      while (label.Elem(o) == 0) ++o;
      t = o + 1;
      while (label.Elem(t) == 0) ++t;
      min = d.Elem(t, o);
    }

    for (int k = 1; k <= n; ++k)
      scratch.SetElem(k, NewDistance(method, d.Elem(o, k), d.Elem(t, k), min, size.Elem(k),
                                     size.Elem(o), size.Elem(t), flexAlpha));
    for (int k = 1; k <= n; ++k) {
      d.SetElem(k, t, scratch.Elem(k));
      d.SetElem(t, k, scratch.Elem(k));
    }

    mergeTable.SetElem(1, s, label.Elem(o));
    mergeTable.SetElem(2, s, label.Elem(t));
    mergeTable.SetElem(3, s, n + s);
    mergeDist.SetElem(s, min);

    label.SetElem(t, n + s);
    size.SetElem(t, size.Elem(t) + size.Elem(o));
    label.SetElem(o, 0);
    size.SetElem(o, 0);
  }

  if (AbortComputation) {
    nodePos.Clear();
    mergeTable.Fill(0);
    mergeDist.Clear();
    return -1;
  }

  TIntVector& order = label;
  order.Clear();
  order.SetElem(1, mergeTable.Elem(1, n - 1));
  order.SetElem(2, mergeTable.Elem(2, n - 1));
  bool changed = true;
  while (changed) {
    changed = false;
    for (int i = 1; i <= n - 1; ++i) {
      if (order.Elem(i) > n) {
        for (int j = n - 1; j >= i; --j) order.SetElem(j + 1, order.Elem(j));
        const int c = order.Elem(i) - n;
        order.SetElem(i + 1, mergeTable.Elem(1, c));
        order.SetElem(i, mergeTable.Elem(2, c));
        changed = true;
      }
    }
  }
  for (int p = 1; p <= n; ++p) nodePos.SetElem(order.Elem(p), p);
  for (int s = 1; s <= n - 1; ++s)
    nodePos.SetElem(n + s, (nodePos.Elem(mergeTable.Elem(1, s)) +
                            nodePos.Elem(mergeTable.Elem(2, s))) / 2);
  return 0;
}

}  // namespace dendrokit::testing
