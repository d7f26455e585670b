// Given trees: checks, R and SciPy conventions, node placement and cuts, against fixtures
// written once by R and SciPy (data/make_*_fixtures.*).
#include <cmath>
#include <fstream>
#include <map>
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

using Rows = std::vector<std::pair<std::string, std::vector<double>>>;  // tag, numbers

// One entry per "tree name n" block; its lines as tag and numbers.
std::map<std::string, Rows> ReadFixtures(const std::string& file) {
  std::ifstream in(std::string(TREE_FIXTURES) + "/" + file);
  std::map<std::string, Rows> all;
  std::string line, tag, name;
  while (std::getline(in, line)) {
    std::istringstream ls(line);
    ls >> tag;
    if (tag == "tree") ls >> name;
    std::vector<double> v;
    for (double x; ls >> x;) v.push_back(x);
    if (tag != "tree" && tag != "end") all[name].emplace_back(tag, v);
  }
  return all;
}

std::vector<double> TaggedRow(const Rows& rows, const char* tag) {
  for (const auto& r : rows)
    if (r.first == tag) return r.second;
  return {};
}

std::vector<int> Ints(const std::vector<double>& v, std::size_t from = 0) {
  return {v.begin() + static_cast<long>(from), v.end()};
}

std::vector<int> LeafOrder(const TMergeTree& t) {
  const std::vector<double> pos = TreeNodePositions(t);
  std::vector<int> order(static_cast<std::size_t>(t.Objects()));
  for (int k = 1; k <= t.Objects(); ++k) order[static_cast<std::size_t>(pos[k - 1]) - 1] = k;
  return order;
}

TEST(Tree, ValidationNamesTheFault) {
  struct Case {
    std::vector<int> first, second;
    std::vector<double> height;
    const char* reason;
  };
  const Case cases[] = {
      {{1}, {2, 3}, {1, 2}, "entries for 2 heights"},
      {{1, 0}, {2, 3}, {1, 2}, "joins node 0"},
      {{1, 5}, {2, 3}, {1, 2}, "joins node 5"},  // step 2 of 3 objects makes node 5
      {{1, 4}, {2, 2}, {1, 2}, "node 2 is merged twice"},
      {{1, 4}, {2, 3}, {1, std::nan("")}, "finite and >= 0"},
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
  EXPECT_THROW(CutTreeAtHeight(TMergeTree{{0}, {0}, {0.0}}, 1.0), EVELError);
}

TEST(Tree, RFixturesOrderAndCutree) {
  const auto fixtures = ReadFixtures("tree_fixtures.txt");
  ASSERT_EQ(fixtures.size(), 25u);
  for (const auto& [name, rows] : fixtures) {
    const TMergeTree t = TreeFromR(Ints(TaggedRow(rows, "merge")), TaggedRow(rows, "height"));
    EXPECT_EQ(LeafOrder(t), Ints(TaggedRow(rows, "order"))) << name;
    for (const auto& [tag, v] : rows) {
      if (tag == "k" || tag == "h") {
        const TTreeCut cut = tag == "k" ? CutTreeIntoClusters(t, int(v[0])) : CutTreeAtHeight(t, v[0]);
        EXPECT_EQ(cut.Object, Ints(v, 1)) << name << " " << tag << " " << v[0];
      }
    }
  }
}

TEST(Tree, ScipyFixturesLeafOrder) {
  const auto fixtures = ReadFixtures("scipy_fixtures.txt");
  ASSERT_EQ(fixtures.size(), 24u);
  for (const auto& [name, rows] : fixtures) {
    EXPECT_EQ(LeafOrder(TreeFromScipy(TaggedRow(rows, "z"))), Ints(TaggedRow(rows, "leaves"))) << name;
  }
}

// The engine's own placement, on trees with ties, is what TreeNodePositions gives; the cut's
// node classes follow their children's and mark the nodes above the cut with 0.
TEST(Tree, EngineTreesPlaceAndCut) {
  std::mt19937 rng(7);
  for (int run = 0; run < 20; ++run) {
    const int n = 2 + run * 3;
    TMatrix data;
    data.Resize(2, n);
    for (int r = 1; r <= n; ++r)
      for (int c = 1; c <= 2; ++c) data.SetElem(c, r, std::uniform_int_distribution<int>(0, 5)(rng));
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
    EXPECT_EQ(TreeNodePositions(t), std::vector<double>(pos.Values().begin(), pos.Values().end()))
        << "seed 7 run " << run;
    const std::vector<int> node = CutTreeIntoClusters(t, 3).Node;
    for (int s = 1; s < n; ++s) {
      const int k = node[std::size_t(n + s - 1)];
      EXPECT_EQ(k == 0, s > n - 3) << run;
      EXPECT_TRUE(k == 0 || (node[std::size_t(t.First[s - 1] - 1)] == k &&
                             node[std::size_t(t.Second[s - 1] - 1)] == k)) << run;
    }
  }
}

}  // namespace
}  // namespace dendrokit
