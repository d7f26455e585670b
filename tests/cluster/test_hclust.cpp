// The clustering's specified edge cases, its failure paths and its contract with the
// output containers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <stdexcept>
#include <vector>

#include "cluster/hclust.h"
#include "gfxbase/errors.h"
#include "gfxbase/globals.h"
#include "naive_hclust.h"

namespace dendrokit {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

void SetPoints(TMatrix& data, const std::vector<std::vector<double>>& rows) {
  data.Resize(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
  for (int r = 1; r <= data.NrOfRows(); ++r)
    for (int c = 1; c <= data.NrOfColumns(); ++c)
      data.SetElem(c, r, rows[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c - 1)]);
}

// A user-defined measure given as a function of the two rows.
TOnCalcDistanceEvent Measure(std::function<double(int, int)> f) {
  return [f](TObject*, int r1, int r2, double& d) { d = f(r1, r2); };
}

struct Result {
  int code = 0;
  TIntMatrix table;
  TVector dist;
  TVector pos;
  std::vector<double> percents;
};

std::unique_ptr<Result> Cluster(TMatrix& data, TDistMode mode, TClusterMethod method, double alpha = 0.5,
               const TOnCalcDistanceEvent& handler = {}, int abortAtStep = -1) {
  auto r = std::make_unique<Result>();
  ProgressCounter = 0.0;
  int call = 0;
  r->code = HierarchicalClustering(
      nullptr, data, mode, method, alpha, r->table, r->dist, r->pos,
      [&](TObject*, double, double percent) {
        r->percents.push_back(percent);
        if (call++ == abortAtStep) AbortComputation = true;
      },
      handler);
  return r;
}

std::vector<int> Row(const TIntMatrix& t, int s) { return {t.Elem(1, s), t.Elem(2, s), t.Elem(3, s)}; }

TEST(HierarchicalClustering, TwoObjectsMakeOneMerge) {
  for (int method = 0; method < 6; ++method) {
    TMatrix data;
  SetPoints(data, {{0, 0}, {3, 4}});
    auto r = Cluster(data, dmEuclid, static_cast<TClusterMethod>(method));
    EXPECT_EQ(r->code, 0);
    EXPECT_EQ(Row(r->table, 1), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(r->dist.NrOfElem(), 1);
    EXPECT_EQ(r->dist.Elem(1), 5.0);
    ASSERT_EQ(r->pos.NrOfElem(), 3);
    EXPECT_EQ(r->pos.Elem(1), 1.0);
    EXPECT_EQ(r->pos.Elem(2), 2.0);
    EXPECT_EQ(r->pos.Elem(3), 1.5);
    EXPECT_EQ(r->percents, (std::vector<double>{0.0, 50.0}));
  }
}

TEST(HierarchicalClustering, EqualSmallestDistancesGoToTheFirstPairInScanOrder) {
  // d(1,2) = d(3,4) = 1 are the smallest; d(2,4) = 1 as well but comes later in the scan.
  TMatrix data;
  data.Resize(1, 4);
  auto f = [](int a, int b) { return (a == 1 && b == 2) || (a == 3 && b == 4) || (a == 2 && b == 4) ? 1.0 : 5.0; };
  auto r = Cluster(data, dmUserDef, cmCompleteLink, 0.5, Measure(f));
  EXPECT_EQ(Row(r->table, 1), (std::vector<int>{1, 2, 5}));
  EXPECT_EQ(Row(r->table, 2), (std::vector<int>{3, 4, 6}));
  EXPECT_EQ(Row(r->table, 3), (std::vector<int>{5, 6, 7}));
}

TEST(HierarchicalClustering, ClusterKeepsTheHigherSlotAndLaterMergesListTheLowerSlotFirst) {
  // Objects 2 and 3 merge first (node 4 in slot 3); object 1 then joins from slot 1.
  TMatrix data;
  SetPoints(data, {{0}, {10}, {11}});
  auto r = Cluster(data, dmManhattan, cmSingleLink);
  EXPECT_EQ(Row(r->table, 1), (std::vector<int>{2, 3, 4}));
  EXPECT_EQ(Row(r->table, 2), (std::vector<int>{1, 4, 5}));
  EXPECT_EQ(r->dist.Elem(2), 10.0);
  // Leaf order: root children (1, 4) in column order, node 4 expanded as (3, 2).
  EXPECT_EQ(r->pos.Elem(1), 1.0);
  EXPECT_EQ(r->pos.Elem(3), 2.0);
  EXPECT_EQ(r->pos.Elem(2), 3.0);
  EXPECT_EQ(r->pos.Elem(4), 2.5);
  EXPECT_EQ(r->pos.Elem(5), 1.75);
}

// Regression: staleness inferred from "the candidate cell equals the bound" instead of an
// explicit flag. Row 3's candidate, column 6, rises in step 1 (row stale, bound 4); steps 2
// and 3 bring column 4 and then column 6 back to exactly 4. Column 4 comes first.
TEST(HierarchicalClustering, StaleRowWhoseOldCandidateRegainsItsBound) {
  const double d[7][7] = {{}, {0, 0, 9, 2, 1, 9, 9}, {0, 0, 0, 2, 9, 1.5, 1.5},
                          {0, 0, 0, 0, 6, 8, 4},  {0, 0, 0, 0, 0, 9, 9},
                          {0, 0, 0, 0, 0, 0, 0}};
  TMatrix data;
  data.Resize(1, 6);
  auto r = Cluster(data, dmUserDef, cmAvgLink, 0.5, Measure([&](int a, int b) { return d[a][b]; }));
  EXPECT_EQ(Row(r->table, 1), (std::vector<int>{5, 6, 7}));
  EXPECT_EQ(Row(r->table, 2), (std::vector<int>{1, 4, 8}));
  EXPECT_EQ(Row(r->table, 3), (std::vector<int>{2, 7, 9}));
  EXPECT_EQ(Row(r->table, 4), (std::vector<int>{3, 8, 10}));
  EXPECT_EQ(r->dist.Elem(4), 4.0);
}

// Regression: six rows' bounds fall in the first step and several end up equal. A batched
// heap update that sifted them up in row order once let a higher row with an equal bound
// surface first (step 5 joined object 5 instead of object 2).
TEST(HierarchicalClustering, ManyBoundsFallingInOneStepKeepTheHeapInOrder) {
  TMatrix data;
  data.Resize(1, 12);
  const double values[] = {1, 4, 3, 5, 4, 3, 3, 2, 6, 4, 5, 5};
  for (int r = 1; r <= 12; ++r) data.SetElem(1, r, values[r - 1]);
  auto fast = Cluster(data, dmJaccard, cmSingleLink);
  Result reference;
  testing::NaiveHierarchicalClustering(nullptr, data, dmJaccard, cmSingleLink, 0.5,
                                       reference.table, reference.dist, reference.pos, {}, {});
  EXPECT_EQ(Row(fast->table, 5), (std::vector<int>{2, 16, 17}));
  for (int s = 1; s <= 11; ++s) EXPECT_EQ(Row(fast->table, s), Row(reference.table, s)) << s;
}

TEST(HierarchicalClustering, FlexibleAlphaIsClampedAndHalfEqualsAverageLinkage) {
  std::mt19937_64 rng(5);
  TMatrix data;
  data.Resize(3, 40);
  for (int c = 1; c <= 3; ++c)
    for (double& v : data.Column(c)) v = static_cast<double>(rng() % 5);
  auto avg = Cluster(data, dmEuclid, cmAvgLink);
  auto half = Cluster(data, dmEuclid, cmFlexLink, 0.5);
  auto low = Cluster(data, dmEuclid, cmFlexLink, 0.2);
  auto one = Cluster(data, dmEuclid, cmFlexLink, 1.0);
  auto high = Cluster(data, dmEuclid, cmFlexLink, 1.7);
  for (int s = 1; s <= 39; ++s) {
    EXPECT_EQ(half->dist.Elem(s), avg->dist.Elem(s)) << "step " << s;
    EXPECT_EQ(low->dist.Elem(s), half->dist.Elem(s)) << "step " << s;
    EXPECT_EQ(high->dist.Elem(s), one->dist.Elem(s)) << "step " << s;
    EXPECT_EQ(Row(low->table, s), Row(half->table, s));
    EXPECT_EQ(Row(high->table, s), Row(one->table, s));
  }
}

TEST(HierarchicalClustering, AllRulesMakeTheSameFirstMerge) {
  TMatrix data;
  SetPoints(data, {{1, 1}, {4, 0}, {4, 1}, {0, 3}, {2, 2}});
  auto first = Cluster(data, dmEuclidSqr, cmSingleLink);
  for (int method = 1; method < 6; ++method) {
    auto r = Cluster(data, dmEuclidSqr, static_cast<TClusterMethod>(method));
    EXPECT_EQ(Row(r->table, 1), Row(first->table, 1));
    EXPECT_EQ(r->dist.Elem(1), first->dist.Elem(1));
  }
}

TEST(HierarchicalClustering, StopDuringStepThreeFinishesTheStepAndZeroesTheOutputs) {
  TMatrix data;
  data.Resize(2, 10);
  for (int r = 1; r <= 10; ++r) data.SetElem(1, r, r * r);
  auto r = Cluster(data, dmEuclid, cmWard, 0.5, {}, 3);
  EXPECT_EQ(r->code, -1);
  EXPECT_TRUE(AbortComputation);
  AbortComputation = false;
  EXPECT_EQ(ProgressCounter, 3.0);
  EXPECT_EQ(r->percents, (std::vector<double>{0.0, 10.0, 20.0, 30.0}));
  EXPECT_EQ(r->table.NrOfRows(), 9);
  EXPECT_EQ(r->dist.NrOfElem(), 9);
  EXPECT_EQ(r->pos.NrOfElem(), 19);
  for (int c = 1; c <= 3; ++c)
    for (int v : r->table.Column(c)) EXPECT_EQ(v, 0);
  for (double v : r->dist.Values()) EXPECT_EQ(v, 0.0);
  for (double v : r->pos.Values()) EXPECT_EQ(v, 0.0);
}

TEST(HierarchicalClustering, StopRequestsBeforeTheFirstStepAreCleared) {
  TMatrix data;
  SetPoints(data, {{0}, {1}, {3}, {7}});
  // From the first progress call (before the distances) ...
  auto r = Cluster(data, dmEuclid, cmUpgma, 0.5, {}, 0);
  EXPECT_EQ(r->code, 0);
  EXPECT_EQ(r->percents.size(), 4u);
  // ... and from the distance handler.
  auto stopping = [](TObject*, int a, int b, double& d) {
    AbortComputation = true;
    d = a + b;
  };
  r = Cluster(data, dmUserDef, cmUpgma, 0.5, stopping);
  EXPECT_EQ(r->code, 0);
  EXPECT_FALSE(AbortComputation);
}

// Every cluster's children lie at distinct positions and the cluster midway; the leaves
// occupy 1..n once each; every node but the root is merged exactly once.
void ExpectValidTree(const Result& r, int n) {
  std::vector<int> seen(static_cast<std::size_t>(2 * n), 0);
  for (int s = 1; s <= n - 1; ++s) {
    const int a = r.table.Elem(1, s), b = r.table.Elem(2, s);
    ASSERT_TRUE(a >= 1 && a < n + s && b >= 1 && b < n + s) << "step " << s;
    ++seen[static_cast<std::size_t>(a)];
    ++seen[static_cast<std::size_t>(b)];
    EXPECT_EQ(r.table.Elem(3, s), n + s);
    EXPECT_NE(r.pos.Elem(a), r.pos.Elem(b));
    EXPECT_EQ(r.pos.Elem(n + s), (r.pos.Elem(a) + r.pos.Elem(b)) / 2);
  }
  for (int k = 1; k <= 2 * n - 2; ++k) EXPECT_EQ(seen[static_cast<std::size_t>(k)], 1) << "node " << k;
  std::vector<double> leaves(r.pos.Values().begin(), r.pos.Values().begin() + n);
  std::sort(leaves.begin(), leaves.end());
  for (int p = 1; p <= n; ++p) EXPECT_EQ(leaves[static_cast<std::size_t>(p - 1)], p);
}

TEST(HierarchicalClustering, LeafOrderIsAPermutationWithClustersMidway) {
  std::mt19937_64 rng(11);
  for (int method = 0; method < 6; ++method) {
    TMatrix data;
    data.Resize(2, 250);
    for (int c = 1; c <= 2; ++c)
      for (double& v : data.Column(c)) v = static_cast<double>(rng() % 1000) / 7.0;
    ExpectValidTree(*Cluster(data, dmManhattan, static_cast<TClusterMethod>(method)), 250);
  }
}

TEST(HierarchicalClustering, ChainedTreeOfManyObjects) {
  // Every merge joins the growing cluster with the next object: the deepest possible tree.
  const int n = 3000;
  TMatrix data;
  data.Resize(1, n);
  for (int r = 1; r <= n; ++r) data.SetElem(1, r, std::ldexp(1.0, r / 4) + r);
  auto r = Cluster(data, dmManhattan, cmSingleLink);
  ExpectValidTree(*r, n);
  EXPECT_EQ(Row(r->table, n - 1), (std::vector<int>{2 * n - 2, n, 2 * n - 1}));
}

TEST(HierarchicalClustering, UnusableDistancesStillGiveAValidTree) {
  for (double bad : {kNaN, 1.7e38, std::numeric_limits<double>::infinity()}) {
    TMatrix data;
    data.Resize(1, 6);
    auto r = Cluster(data, dmUserDef, cmWard, 0.5, Measure([bad](int, int) { return bad; }));
    EXPECT_EQ(r->code, 0);
    ExpectValidTree(*r, 6);
    // The first live pair each time: (1,2), then slot 2 with slot 3, ...
    EXPECT_EQ(Row(r->table, 1), (std::vector<int>{1, 2, 7}));
    EXPECT_EQ(Row(r->table, 2), (std::vector<int>{7, 3, 8}));
  }
  // One usable distance among NaNs is taken first.
  TMatrix data;
  data.Resize(1, 5);
  auto r = Cluster(data, dmUserDef, cmSingleLink, 0.5,
                     Measure([](int a, int b) { return a == 3 && b == 5 ? 2.0 : kNaN; }));
  EXPECT_EQ(Row(r->table, 1), (std::vector<int>{3, 5, 6}));
  EXPECT_EQ(r->dist.Elem(1), 2.0);
  ExpectValidTree(*r, 5);
}

TEST(HierarchicalClustering, JaccardOfZeroRowsIsNaNAndDoesNotQualify) {
  TMatrix data;
  SetPoints(data, {{0, 0}, {0, 0}, {1, 2}, {2, 1}});
  auto r = Cluster(data, dmJaccard, cmAvgLink);
  EXPECT_EQ(Row(r->table, 1), (std::vector<int>{1, 3, 5}));  // 0 < 0.8, NaN never qualifies
  ExpectValidTree(*r, 4);
}

TEST(HierarchicalClustering, OneObjectMergesNothing) {
  TMatrix data;
  SetPoints(data, {{3, 4}});
  auto r = Cluster(data, dmEuclid, cmWard);
  EXPECT_EQ(r->code, 0);
  EXPECT_EQ(r->percents, (std::vector<double>{0.0}));
  EXPECT_EQ(r->table.NrOfRows(), 1);
  EXPECT_EQ(r->table.NrOfColumns(), 3);
  EXPECT_EQ(Row(r->table, 1), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(r->dist.NrOfElem(), 1);
  EXPECT_EQ(r->dist.Elem(1), 0.0);
  EXPECT_EQ(r->pos.NrOfElem(), 1);
  EXPECT_EQ(r->pos.Elem(1), 1.0);
}

TEST(HierarchicalClustering, ThrowingHandlerLeavesOutputsAndRestoresTheMatrixHandler) {
  TMatrix data;
  SetPoints(data, {{0}, {1}, {2}});
  int own = 0;
  data.OnCalcDistance = [&](TObject*, int, int, double&) { ++own; };
  TIntMatrix table;
  TVector dist, pos;
  table.SetElem(1, 1, 42);
  int notifications = 0;
  table.OnChange = dist.OnChange = pos.OnChange = [&](TObject*) { ++notifications; };
  auto throwing = [](TObject*, int, int b, double& d) {
    if (b == 3) throw std::runtime_error("user measure failed");
    d = 1.0;
  };
  EXPECT_THROW(HierarchicalClustering(nullptr, data, dmUserDef, cmWard, 0.5, table, dist, pos,
                                      {}, throwing),
               std::runtime_error);
  EXPECT_EQ(notifications, 0);
  EXPECT_EQ(table.NrOfRows(), 1);
  EXPECT_EQ(table.Elem(1, 1), 42);
  double d = 0;
  data.OnCalcDistance(&data, 1, 2, d);
  EXPECT_EQ(own, 1);
}

TEST(HierarchicalClustering, UnknownMethodIsRefusedBeforeAnythingHappens) {
  TMatrix data;
  SetPoints(data, {{0}, {1}, {2}});
  TIntMatrix table;
  TVector dist, pos;
  bool called = false;
  EXPECT_THROW(HierarchicalClustering(nullptr, data, dmEuclid, static_cast<TClusterMethod>(8),
                                      0.5, table, dist, pos,
                                      [&](TObject*, double, double) { called = true; }, {}),
               EVELError);
  EXPECT_FALSE(called);
  EXPECT_EQ(table.NrOfRows(), 1);
}

TEST(HierarchicalClustering, OutputsOfTheRightSizeAreNotResizedAndNotifyOnce) {
  TMatrix data;
  SetPoints(data, {{0}, {1}, {3}, {7}});
  TIntMatrix table;
  TVector dist, pos;
  table.Resize(3, 3);
  dist.Resize(3);
  pos.Resize(7);
  int changes = 0, resizes = 0;
  table.OnChange = dist.OnChange = pos.OnChange = [&](TObject*) { ++changes; };
  table.OnResize = dist.OnResize = pos.OnResize = [&](TObject*) { ++resizes; };
  EXPECT_EQ(HierarchicalClustering(nullptr, data, dmEuclid, cmSingleLink, 0.5, table, dist, pos,
                                   {}, {}),
            0);
  EXPECT_EQ(resizes, 0);
  EXPECT_EQ(changes, 3);
  // Wrong sizes: each output is resized once (OnChange and OnResize), then notifies once.
  table.Resize(3, 9);
  dist.Resize(1);
  pos.Resize(2);
  changes = resizes = 0;
  HierarchicalClustering(nullptr, data, dmEuclid, cmSingleLink, 0.5, table, dist, pos, {}, {});
  EXPECT_EQ(resizes, 3);
  EXPECT_EQ(changes, 6);
}

TEST(HierarchicalClustering, ProgressHandlerThatShrinksTheOutputsCannotCrashIt) {
  TMatrix data;
  data.Resize(1, 30);
  for (int r = 1; r <= 30; ++r) data.SetElem(1, r, r % 7);
  TIntMatrix table;
  TVector dist, pos;
  auto shrink = [&](TObject*, double, double percent) {
    if (percent > 50) {
      table.Resize(1, 1);
      dist.Resize(2);
      pos.Resize(3);
    }
  };
  EXPECT_EQ(HierarchicalClustering(nullptr, data, dmEuclid, cmWard, 0.5, table, dist, pos,
                                   shrink, {}),
            0);
  EXPECT_EQ(table.NrOfColumns(), 1);
  EXPECT_EQ(table.Elem(1, 1), 1);  // the first merge joins objects 1 and 8 (both 1)
  EXPECT_EQ(pos.NrOfElem(), 3);
}

}  // namespace
}  // namespace dendrokit

namespace dendrokit {
namespace {

// The given-triangle path is the data path without the distance computation: the same
// merges, heights (bit for bit) and positions for every rule, ties included.
TEST(HierarchicalClusteringOfDistances, EqualsTheDataPathForEveryRule) {
  TMatrix data;
  SetPoints(data, {{0, 0}, {3, 4}, {3, 5}, {0, 1}, {10, 10}, {11, 9}, {-2, 7}, {3, 4}});
  const int n = data.NrOfRows();
  std::vector<double> tri;
  for (int i = 1; i <= n; ++i)
    for (int j = i + 1; j <= n; ++j) tri.push_back(data.Distance(dmEuclidSqr, i, j));
  for (int method = 0; method < 8; ++method) {
    const auto m = static_cast<TClusterMethod>(method);
    const auto fromData = Cluster(data, dmEuclidSqr, m, 0.7);
    Result given;
    ProgressCounter = 0.0;
    int calls = 0;
    given.code = HierarchicalClusteringOfDistances(nullptr, tri, n, m, 0.7, given.table, given.dist,
                                                   given.pos, [&](TObject*, double, double) { ++calls; });
    EXPECT_EQ(given.code, 0);
    EXPECT_EQ(calls, n);  // once before the distances, once per step
    for (int s = 1; s < n; ++s) {
      EXPECT_EQ(Row(given.table, s), Row(fromData->table, s)) << EnumToName(m) << " step " << s;
      EXPECT_EQ(given.dist.Elem(s), fromData->dist.Elem(s)) << EnumToName(m) << " step " << s;
    }
    for (int k = 1; k < 2 * n; ++k) EXPECT_EQ(given.pos.Elem(k), fromData->pos.Elem(k));
  }
}

// Single linkage on tied distances merges from the pairs up to the heaviest spanning-tree
// edge, not from the triangle; the given triangle is the reference for its tie order.
TEST(HierarchicalClusteringOfDistances, TiedSingleLinkageEqualsTheTriangle) {
  struct Grid {
    int rows, columns, top;
    double unit;  // below 1 the distances are smaller than their squares' bound
  };
  std::mt19937 random(7);
  for (const Grid g : {Grid{300, 1, 20, 1.0}, Grid{400, 3, 3, 0.01}, Grid{500, 10, 9, 1.0},
                       Grid{200, 2, 1, 1.0}}) {
    TMatrix data;
    data.Resize(g.columns, g.rows);
    for (int r = 1; r <= g.rows; ++r)
      for (int c = 1; c <= g.columns; ++c)
        data.SetElem(c, r, g.unit * std::uniform_int_distribution<int>(0, g.top)(random));
    for (const TDistMode mode : {dmEuclid, dmManhattan, dmEuclidSqr}) {
      std::vector<double> tri;
      for (int i = 1; i <= g.rows; ++i)
        for (int j = i + 1; j <= g.rows; ++j) tri.push_back(data.Distance(mode, i, j));
      const auto fromData = Cluster(data, mode, cmSingleLink);
      Result given;
      ASSERT_EQ(HierarchicalClusteringOfDistances(nullptr, tri, g.rows, cmSingleLink, 0.5,
                                                  given.table, given.dist, given.pos, {}), 0);
      for (int s = 1; s < g.rows; ++s) {
        ASSERT_EQ(Row(fromData->table, s), Row(given.table, s)) << g.columns << " columns, step " << s;
        ASSERT_EQ(fromData->dist.Elem(s), given.dist.Elem(s)) << g.columns << " columns, step " << s;
      }
      EXPECT_EQ(fromData->percents.size(), static_cast<std::size_t>(g.rows));
    }
    // Stopping behaves as on the other paths: the step finishes, the outputs are zeroed.
    const auto stopped = Cluster(data, dmEuclid, cmSingleLink, 0.5, {}, 3);
    EXPECT_EQ(stopped->code, -1);
    EXPECT_EQ(stopped->percents.size(), 4u);
    AbortComputation = false;
    for (double v : stopped->dist.Values()) EXPECT_EQ(v, 0.0);
  }
}

TEST(HierarchicalClusteringOfDistances, CentroidHeightsCanDecrease) {
  // An equilateral triangle (squared side 1): the third point is nearer the first pair's
  // centroid (squared 0.75) than the pair was to each other.
  const std::vector<double> tri{1.0, 1.0, 1.0};
  TIntMatrix table;
  TVector dist, pos;
  ASSERT_EQ(HierarchicalClusteringOfDistances(nullptr, tri, 3, cmCentroid, 0.5, table, dist, pos, {}), 0);
  EXPECT_EQ(dist.Elem(1), 1.0);
  EXPECT_EQ(dist.Elem(2), 0.75);
  ASSERT_EQ(HierarchicalClusteringOfDistances(nullptr, tri, 3, cmMedian, 0.5, table, dist, pos, {}), 0);
  EXPECT_EQ(dist.Elem(2), 0.75);
}

TEST(HierarchicalClusteringOfDistances, WrongCountIsRefusedBeforeAnythingChanges) {
  TIntMatrix table;
  TVector dist, pos;
  bool called = false;
  const std::vector<double> four{1, 2, 3, 4};
  EXPECT_THROW(HierarchicalClusteringOfDistances(nullptr, four, 3, cmWard, 0.5, table, dist, pos,
                                                 [&](TObject*, double, double) { called = true; }),
               EVELError);
  EXPECT_THROW(HierarchicalClusteringOfDistances(nullptr, {}, 0, cmWard, 0.5, table, dist, pos, {}),
               EVELError);
  EXPECT_FALSE(called);
  EXPECT_EQ(table.NrOfRows(), 1);
  // One object: nothing to merge, nodePos holds its position.
  EXPECT_EQ(HierarchicalClusteringOfDistances(nullptr, {}, 1, cmWard, 0.5, table, dist, pos, {}), 0);
  EXPECT_EQ(pos.Elem(1), 1.0);
}

}  // namespace
}  // namespace dendrokit
