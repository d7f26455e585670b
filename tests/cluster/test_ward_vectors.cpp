// Ward on the data vectors against Ward on the squared-distance triangle: the same tree, the
// heights to rounding.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "cluster/hclust.h"
#include "cluster/ward_vectors.h"
#include "gfxbase/globals.h"

namespace dendrokit {
namespace {

struct VectorCase {
  int rows, columns;
  unsigned seed;
};

class WardVectors : public ::testing::TestWithParam<VectorCase> {};

TEST_P(WardVectors, SameTreeAsTheTriangle) {
  const VectorCase c = GetParam();
  std::mt19937 rng(c.seed);
  std::normal_distribution<double> value(0.0, 10.0);
  TMatrix data;
  data.Resize(c.columns, c.rows);
  for (int k = 1; k <= c.columns; ++k)
    for (double& v : data.Column(k)) v = value(rng) + (rng() % 3) * 40.0;  // three groups
  TIntMatrix table;
  TVector dist, pos;
  ProgressCounter = 0.0;
  HierarchicalClustering(nullptr, data, dmEuclidSqr, cmWard, 0.5, table, dist, pos, {}, {});
  const std::vector<TMergeStep> steps = WardVectorLinkage(data);
  ASSERT_EQ(static_cast<int>(steps.size()), c.rows - 1);
  for (int s = 1; s < c.rows; ++s) {
    const TMergeStep& m = steps[static_cast<std::size_t>(s - 1)];
    EXPECT_EQ(m.first, table.Elem(1, s)) << "seed " << c.seed << " step " << s;
    EXPECT_EQ(m.second, table.Elem(2, s)) << "seed " << c.seed << " step " << s;
    const double want = std::sqrt(dist.Elem(s));
    EXPECT_NEAR(m.height, want, 1e-9 * want) << "seed " << c.seed << " step " << s;
  }
}

INSTANTIATE_TEST_SUITE_P(Table, WardVectors,
                         ::testing::Values(VectorCase{1, 2, 1}, VectorCase{2, 1, 2},
                                           VectorCase{3, 2, 3}, VectorCase{50, 1, 4},
                                           VectorCase{200, 3, 5}, VectorCase{300, 10, 6}));

}  // namespace
}  // namespace dendrokit
