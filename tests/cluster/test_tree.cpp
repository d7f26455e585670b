// Given trees: checks, R and SciPy conventions, node placement and cuts, against fixtures
// written once by R and SciPy (data/make_*_fixtures.*).
#include <cmath>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cluster/hclust.h"
#include "cluster/tree.h"
#include "gfxbase/errors.h"

namespace dendrokit {
namespace {

struct Fixture {
  std::string name;
  int n = 0;
  std::vector<double> merge, height, z, order;  // order: R's order / SciPy's leaves
  std::vector<std::pair<int, std::vector<int>>> byK;
  std::vector<std::pair<double, std::vector<int>>> byH;
};

std::vector<Fixture> ReadFixtures(const std::string& file) {
  std::ifstream in(std::string(TREE_FIXTURES) + "/" + file);
  std::vector<Fixture> all;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream ls(line);
    std::string tag;
    ls >> tag;
    if (tag == "tree") {
      all.emplace_back();
      ls >> all.back().name >> all.back().n;
      continue;
    }
    if (tag == "end" || all.empty()) continue;
    Fixture& f = all.back();
    std::vector<double> v;
    for (double x; ls >> x;) v.push_back(x);
    const std::vector<int> ints(v.begin() + (tag == "k" || tag == "h"), v.end());
    if (tag == "merge") f.merge = v;
    if (tag == "height") f.height = v;
    if (tag == "z") f.z = v;
    if (tag == "order" || tag == "leaves") f.order = v;
    if (tag == "k") f.byK.emplace_back(static_cast<int>(v[0]), ints);
    if (tag == "h") f.byH.emplace_back(v[0], ints);
  }
  return all;
}

std::vector<int> LeafOrder(const TMergeTree& t) {
  const std::vector<double> pos = TreeNodePositions(t);
  std::vector<int> order(static_cast<std::size_t>(t.Objects()));
  for (int k = 1; k <= t.Objects(); ++k) order[static_cast<std::size_t>(pos[k - 1]) - 1] = k;
  return order;
}

std::vector<int> Ints(const std::vector<double>& v) { return {v.begin(), v.end()}; }

TEST(Tree, ValidationNamesTheFault) {
  struct Case {
    std::vector<int> first, second;
    std::vector<double> height;
    const char* reason;
  };
  const double nan = std::nan("");
  const std::vector<Case> cases{
      {{1}, {2, 3}, {1, 2}, "entries for 2 heights"},
      {{1, 0}, {2, 3}, {1, 2}, "joins node 0"},
      {{1, 5}, {2, 3}, {1, 2}, "joins node 5"},  // step 2 of 3 objects makes node 5
      {{1, 4}, {2, 2}, {1, 2}, "node 2 is merged twice"},
      {{1, 4}, {2, 3}, {1, nan}, "finite and >= 0"},
      {{1, 4}, {2, 3}, {-1, 2}, "finite and >= 0"},
  };
  for (const Case& c : cases) {
    try {
      ValidateTree(c.first, c.second, c.height);
      ADD_FAILURE() << c.reason;
    } catch (const EVELError& e) {
      EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
    }
  }
  ValidateTree({}, {}, {});                        // one object
  ValidateTree({{1, 4}}, {{2, 3}}, {{3.0, 1.0}});  // decreasing heights are drawn, not refused
  EXPECT_THROW(TreeFromR(std::vector<int>{-1, 2}, std::vector<double>{1}), EVELError);
  EXPECT_THROW(TreeFromScipy(std::vector<double>{0, 1.5, 1, 2}), EVELError);
  EXPECT_THROW(TreeFromScipy(std::vector<double>{0, 1, 1, 3}), EVELError);  // wrong size
}

TEST(Tree, RFixturesOrderAndCutree) {
  const auto fixtures = ReadFixtures("tree_fixtures.txt");
  ASSERT_EQ(fixtures.size(), 25u);
  for (const Fixture& f : fixtures) {
    SCOPED_TRACE(f.name);
    const TMergeTree t = TreeFromR(Ints(f.merge), f.height);
    ASSERT_EQ(t.Objects(), f.n);
    EXPECT_EQ(LeafOrder(t), Ints(f.order));
    for (const auto& [k, want] : f.byK) {
      const TTreeCut cut = CutTreeIntoClusters(t, k);
      EXPECT_EQ(cut.Object, want) << "k " << k;
      EXPECT_EQ(cut.Count, k);
    }
    for (const auto& [h, want] : f.byH) EXPECT_EQ(CutTreeAtHeight(t, h).Object, want) << h;
  }
}

TEST(Tree, ScipyFixturesLeafOrder) {
  const auto fixtures = ReadFixtures("scipy_fixtures.txt");
  ASSERT_EQ(fixtures.size(), 24u);
  for (const Fixture& f : fixtures) {
    const TMergeTree t = TreeFromScipy(f.z);
    EXPECT_EQ(LeafOrder(t), Ints(f.order)) << f.name;
  }
}

// The engine's own placement, on trees with ties, is what TreeNodePositions gives; the cut's
// node classes follow the objects' and mark the nodes above the cut.
TEST(Tree, EngineTreesPlaceAndCut) {
  std::mt19937 rng(7);
  for (int run = 0; run < 20; ++run) {
    const int n = 2 + run * 3;
    TMatrix data;
    data.Resize(2, n);
    std::uniform_int_distribution<int> v(0, 5);
    for (int r = 1; r <= n; ++r)
      for (int c = 1; c <= 2; ++c) data.SetElem(c, r, v(rng));
    TIntMatrix mt;
    TVector md, pos;
    HierarchicalClustering(nullptr, data, dmManhattan, static_cast<TClusterMethod>(run % 6), 0.5,
                           mt, md, pos, nullptr, nullptr);
    TMergeTree t;
    for (int s = 1; s < n; ++s) {
      t.First.push_back(mt.Elem(1, s));
      t.Second.push_back(mt.Elem(2, s));
      t.Height.push_back(md.Elem(s));
    }
    const std::vector<double> want(pos.Values().begin(), pos.Values().end());
    EXPECT_EQ(TreeNodePositions(t), want) << "seed 7 run " << run;
    const TTreeCut cut = CutTreeIntoClusters(t, 3);
    for (int s = 1; s < n; ++s) {
      const int node = cut.Node[static_cast<std::size_t>(n + s - 1)];
      const int a = cut.Node[static_cast<std::size_t>(t.First[s - 1] - 1)];
      const int b = cut.Node[static_cast<std::size_t>(t.Second[s - 1] - 1)];
      EXPECT_EQ(node == 0, s > n - 3) << run;
      if (node != 0) {
        EXPECT_TRUE(a == node && b == node) << run;
      }
    }
  }
}

}  // namespace
}  // namespace dendrokit
