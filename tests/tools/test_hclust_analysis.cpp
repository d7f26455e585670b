// hclust for analysts: distance matrices as input, the peers' orders, metrics, missing values,
// centroid and median, several cuts. Expected values come from R and SciPy
// (data/make_analysis_fixtures.sh), not from the tool.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tools/analysis.h"
#include "tools/csv_input.h"
#include "tools/hclust_cli.h"

namespace dendrokit::tools {
namespace hclust_analysis_suite {

const std::string kData = HCLUST_DATA_DIR "/";

std::string Slurp(const std::string& name) {
  std::ifstream f(kData + name);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

std::vector<double> NumbersIn(const std::string& name) {
  std::istringstream in(Slurp(name));
  return {std::istream_iterator<double>(in), std::istream_iterator<double>()};
}

struct Outcome {
  int status = 0;
  std::string out, err;
};

Outcome Hclust(std::vector<std::string> args, const std::string& input = "") {
  std::istringstream in(input);
  std::ostringstream out, err;
  Outcome r;
  r.status = RunHclust(args, in, out, err);
  r.out = out.str();
  r.err = err.str();
  return r;
}

// The second cell of every line after the header (objects of --order, clusters of --cut).
std::vector<std::string> SecondColumn(const std::string& csv) {
  std::vector<std::string> cells;
  std::istringstream lines(csv);
  std::string line;
  std::getline(lines, line);
  while (std::getline(lines, line)) {
    const std::size_t a = line.find(',');
    cells.push_back(line.substr(a + 1, line.find(',', a + 1) - a - 1));
  }
  return cells;
}

std::vector<std::string> Words(const std::string& name) {
  std::istringstream in(Slurp(name));
  return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

void ExpectClose(const std::vector<double>& got, const std::vector<double>& want,
                 const std::string& what) {
  ASSERT_EQ(got.size(), want.size()) << what;
  for (std::size_t i = 0; i < got.size(); ++i)
    ASSERT_NEAR(got[i], want[i], 1e-12 * std::max(1.0, std::fabs(want[i]))) << what << " #" << i;
}

// ---- Regression: a distance matrix was clustered as 21-column vectors. ----

TEST(HclustDistanceInput, SquareAndCondensedFormsCutAsCutree) {
  const std::string eurodist = kData + "eurodist_matrix.csv";
  const Outcome square = Hclust({"--input", "distances", "--header", "--method", "complete",
                              "--cut", "4", eurodist});
  EXPECT_EQ(square.status, 0) << square.err;
  EXPECT_EQ(square.out, Slurp("eurodist_complete_cut4.csv"));
  const Outcome condensed = Hclust({"--input=distances", "--method", "complete", "--cut", "4",
                                 kData + "eurodist_condensed.txt"});
  EXPECT_EQ(SecondColumn(condensed.out), SecondColumn(square.out));

  // Not declared: clustered as data, as asked, with a hint.
  const Outcome asData = Hclust({"--header", "--method", "complete", "--cut", "4", eurodist});
  EXPECT_EQ(asData.status, 0);
  EXPECT_NE(asData.out, square.out);
  EXPECT_NE(asData.err.find("--input distances"), std::string::npos) << asData.err;
}

struct Refused {
  const char* name;
  const char* input;
  const char* message;
};
void PrintTo(const Refused& c, std::ostream* os) { *os << c.name; }
class HclustRefusesDistances : public ::testing::TestWithParam<Refused> {};

TEST_P(HclustRefusesDistances, NamingRowAndColumn) {
  const Outcome r = Hclust({"--input", "distances"}, GetParam().input);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find(GetParam().message), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Table, HclustRefusesDistances,
    ::testing::Values(
        Refused{"Asymmetric", "0,1,2\n1,0,3\n2,4,0\n", "row 2, column 3 holds 3 but row 3, column 2 holds 4"},
        Refused{"Diagonal", "0,1,2\n1,0,3\n2,3,1\n", "row 3, column 3: the diagonal holds 1"},
        Refused{"Negative", "0,-1,2\n-1,0,3\n2,3,0\n", "row 1, column 2: negative distance -1"},
        Refused{"Missing", "0,NA,2\nNA,0,3\n2,3,0\n", "missing value"},
        Refused{"NotTriangular", "1\n2\n3\n4\n", "neither a square matrix nor a condensed vector"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HclustDistanceInput, LibraryClustersTheTriangleAsTheDataPath) {
  // Same tree from the vectors and from their distances, for every rule.
  const std::string data = "0,0\n3,4\n3,5\n10,10\n11,9\n-2,7\n";
  for (const char* method : {"single", "complete", "average", "weighted", "ward.D", "ward.D2",
                             "centroid", "median", "flexible"}) {
    std::ostringstream tri;
    tri.precision(17);
    std::vector<double> x{0, 3, 3, 10, 11, -2}, y{0, 4, 5, 10, 9, 7};
    for (std::size_t i = 0; i < 6; ++i)
      for (std::size_t j = i + 1; j < 6; ++j)
        tri << std::hypot(x[i] - x[j], y[i] - y[j]) << "\n";
    const Outcome a = Hclust({"--method", method, "--format", "scipy"}, data);
    const Outcome b = Hclust({"--method", method, "--format", "scipy", "--input", "distances"}, tri.str());
    EXPECT_EQ(b.status, 0) << b.err;
    std::vector<double> ha, hb;
    for (const auto& [text, h] : {std::pair{a.out, &ha}, std::pair{b.out, &hb}}) {
      std::istringstream in(text);
      double i1, i2, height, size;
      while (in >> i1 >> i2 >> height >> size) h->push_back(height);
    }
    ExpectClose(hb, ha, method);
  }
}

// ---- Regression: --order and the order of --format r matched neither peer. ----

struct OrderCase {
  const char* name;
  std::vector<std::string> args;
  const char* expected;
};
void PrintTo(const OrderCase& c, std::ostream* os) { *os << c.name; }
class HclustOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(HclustOrder, IsThePeers) {
  const Outcome r = Hclust(GetParam().args);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(SecondColumn(r.out), Words(GetParam().expected));
}

const std::string kEuro = kData + "eurodist_matrix.csv";
const std::string kArrests = kData + "usarrests_scaled.csv";

INSTANTIATE_TEST_SUITE_P(
    Table, HclustOrder,
    ::testing::Values(
        OrderCase{"EurodistCompleteR", {"--input", "distances", "--header", "--method", "complete", "--order", kEuro},
                  "eurodist_complete_order_r.txt"},
        OrderCase{"EurodistCompleteScipy", {"--input", "distances", "--header", "--method", "complete", "--order", "scipy", kEuro},
                  "eurodist_complete_order_scipy.txt"},
        OrderCase{"EurodistAverageR", {"--input", "distances", "--header", "--method", "average", "--order=r", kEuro},
                  "eurodist_average_order_r.txt"},
        OrderCase{"ArrestsAverageScipy", {"--header", "--method", "average", "--order", "scipy", kArrests},
                  "usarrests_average_order_scipy.txt"},
        OrderCase{"ArrestsWardD2R", {"--header", "--method", "ward.D2", "--order", kArrests},
                  "usarrests_ward.D2_order_r.txt"},
        OrderCase{"ArrestsWardD2Scipy", {"--header", "--method", "ward.D2", "--order", "scipy", kArrests},
                  "usarrests_ward_order_scipy.txt"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HclustOrder, FormatRCarriesRsOrder) {
  const Outcome r = Hclust({"--input", "distances", "--header", "--method", "complete", "--format", "r", kEuro});
  std::string want = "order = c(";
  for (const std::string& w : Words("eurodist_complete_order_r.txt")) want += w + "L, ";
  want.resize(want.size() - 2);
  EXPECT_NE(r.out.find(want + ")"), std::string::npos) << r.out;
}

// ---- Regression: ward silently meant ward.D where SciPy's ward is ward.D2. ----

TEST(HclustNotes, WardSaysItIsWardDAndNamesWardD2) {
  const std::string data = "0\n1\n3\n";
  const Outcome named = Hclust({"--method", "ward"}, data);
  EXPECT_NE(named.err.find("ward means ward.D"), std::string::npos) << named.err;
  EXPECT_NE(named.err.find("--method ward.D2"), std::string::npos) << named.err;
  EXPECT_EQ(Hclust({"--method", "ward.D"}, data).err, "");
  EXPECT_EQ(named.out, Hclust({"--method", "ward.D"}, data).out);
}

// ---- Regression: write.csv(iris) failed on "setosa" without saying what to do; an ID
// column was used as a variable without a word. ----

TEST(HclustColumns, NonNumericColumnIsNamedAndColumnsChooseTheNumbers) {
  std::string iris = "\"\",\"Sepal.Length\",\"Petal.Length\",\"Species\"\n";
  const char* rows[] = {"5.1,1.4,\"setosa\"", "4.9,1.5,\"setosa\"", "7,4.7,\"versicolor\"",
                        "6.4,4.5,\"versicolor\"", "6.3,6,\"virginica\""};
  for (int i = 0; i < 5; ++i) iris.append(1, '"').append(std::to_string(i + 1)).append("\",").append(rows[i]).append("\n");
  const Outcome bad = Hclust({"--header"}, iris);
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("column 4 (\"Species\") is not numeric"), std::string::npos) << bad.err;
  EXPECT_NE(bad.err.find("--columns"), std::string::npos) << bad.err;

  const std::string plain = Hclust({"--order"}, "5.1,1.4\n4.9,1.5\n7,4.7\n6.4,4.5\n6.3,6\n").out;
  for (const std::vector<std::string>& pick :
       {std::vector<std::string>{"--columns", "2-3"}, {"--columns", "Sepal.Length,Petal.Length"},
        {"--exclude", "Species"}, {"--exclude=4"}, {"--columns", "1-4", "--exclude", "4"}}) {
    std::vector<std::string> args{"--header", "--order"};
    args.insert(args.end(), pick.begin(), pick.end());
    const Outcome r = Hclust(args, iris);
    EXPECT_EQ(r.status, 0) << pick[1] << ": " << r.err;
    EXPECT_EQ(r.out, plain) << pick[1];
  }
  EXPECT_NE(Hclust({"--columns", "7"}, "1,2\n3,4\n").err.find("outside columns 1 to 2"), std::string::npos);
  EXPECT_NE(Hclust({"--columns", "x"}, "1,2\n3,4\n").err.find("names need --header"), std::string::npos);
}

TEST(HclustColumns, IdentifierColumnsGetANote) {
  const Outcome named = Hclust({"--header"}, "ID,x\n7,1\n3,2\n5,8\n");
  EXPECT_NE(named.err.find("column 1 (\"ID\") is named like an identifier"), std::string::npos) << named.err;
  std::string counting;
  for (int i = 1; i <= 12; ++i) counting += std::to_string(i) + "," + std::to_string(i * i % 7) + "\n";
  const Outcome counts = Hclust({}, counting);
  EXPECT_NE(counts.err.find("column 1 counts 1, 2, 3"), std::string::npos) << counts.err;
  EXPECT_NE(counts.err.find("--exclude 1"), std::string::npos) << counts.err;
}

// ---- Regression: R's write.csv2 failed on "13,2" without a hint. ----

TEST(HclustNotes, DecimalCommasAreTakenAndSaid) {
  const std::string file = kData + "usarrests_csv2.csv";
  const Outcome flagged = Hclust({"--header", "--decimal-comma", file});
  const Outcome guessed = Hclust({"--header", file});
  EXPECT_EQ(guessed.status, 0) << guessed.err;
  EXPECT_EQ(guessed.out, flagged.out);
  EXPECT_NE(guessed.err.find("--decimal-comma"), std::string::npos) << guessed.err;
  // A semicolon file that does not read with decimal commas either keeps its first error.
  const Outcome bad = Hclust({}, "1;x\n2;3\n");
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("\"x\" is not a number"), std::string::npos) << bad.err;
}

// ---- Regression: jaccard and dice used the continuous form on data that is not 0/1. ----

TEST(HclustNotes, JaccardOnCountsTreatsNonzeroAsPresent) {
  for (const char* d : {"jaccard", "dice", "binary"}) {
    const Outcome counts = Hclust({"--distance", d, "--method", "average"}, "3,0,1\n1,0,7\n0,2,0\n5,5,0\n");
    const Outcome binary = Hclust({"--distance", d, "--method", "average"}, "1,0,1\n1,0,1\n0,1,0\n1,1,0\n");
    EXPECT_EQ(counts.out, binary.out) << d;
    EXPECT_NE(counts.err.find("not 0/1"), std::string::npos) << counts.err;
    EXPECT_EQ(binary.err, "") << d;
  }
  EXPECT_NE(Hclust({"--distance", "jaccard-coefficient", "--method", "average"}, "3,0,1\n1,0,7\n0,2,0\n").out,
            Hclust({"--distance", "jaccard", "--method", "average"}, "3,0,1\n1,0,7\n0,2,0\n").out);
}

// ---- Metrics against R's dist and SciPy's pdist. ----

struct MetricCase {
  const char* name;
  Metric metric;
  double p;
  const char* expected;
};
void PrintTo(const MetricCase& c, std::ostream* os) { *os << c.name; }
class HclustMetric : public ::testing::TestWithParam<MetricCase> {};

TEST_P(HclustMetric, MatchesThePeer) {
  CsvOptions options;
  options.header = true;
  Dataset ds;
  ReadCsv(Slurp("mtcars.csv"), options, ds);
  std::optional<std::pair<int, int>> none;
  ExpectClose(PairwiseDistances(ds.values, GetParam().metric, GetParam().p, none),
              NumbersIn(GetParam().expected), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HclustMetric,
    ::testing::Values(MetricCase{"EuclidR", Metric::kEuclid, 2, "mtcars_euclidean_r.txt"},
                      MetricCase{"ManhattanScipy", Metric::kManhattan, 2, "mtcars_cityblock_scipy.txt"},
                      MetricCase{"MaximumR", Metric::kMaximum, 2, "mtcars_maximum_r.txt"},
                      MetricCase{"ChebyshevScipy", Metric::kMaximum, 2, "mtcars_chebyshev_scipy.txt"},
                      MetricCase{"CanberraR", Metric::kCanberra, 2, "mtcars_canberra_r.txt"},
                      MetricCase{"Minkowski3R", Metric::kMinkowski, 3, "mtcars_minkowski3_r.txt"},
                      MetricCase{"Minkowski3Scipy", Metric::kMinkowski, 3, "mtcars_minkowski3_scipy.txt"},
                      MetricCase{"CosineScipy", Metric::kCosine, 2, "mtcars_cosine_scipy.txt"},
                      MetricCase{"CorrelationScipy", Metric::kCorrelation, 2, "mtcars_correlation_scipy.txt"},
                      MetricCase{"HammingScipy", Metric::kHamming, 2, "mtcars_hamming_scipy.txt"},
                      MetricCase{"BinaryR", Metric::kBinary, 2, "mtcars_binary_r.txt"},
                      MetricCase{"JaccardScipyOnBooleans", Metric::kJaccard, 2, "mtcars_jaccard_scipy.txt"},
                      MetricCase{"DiceScipyOnBooleans", Metric::kDice, 2, "mtcars_dice_scipy.txt"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Missing values: each distance from the pairs present, scaled as R's dist. ----

TEST(HclustMissing, PairwiseMatchesRsDist) {
  CsvOptions options;
  options.header = true;
  options.keepMissing = true;
  Dataset ds;
  ReadCsv(Slurp("airquality40.csv"), options, ds);
  std::optional<std::pair<int, int>> none;
  const struct {
    Metric metric;
    const char* file;
  } cases[] = {{Metric::kEuclid, "airquality40_euclidean_r.txt"},
               {Metric::kManhattan, "airquality40_manhattan_r.txt"},
               {Metric::kMaximum, "airquality40_maximum_r.txt"},
               {Metric::kCanberra, "airquality40_canberra_r.txt"}};
  for (const auto& c : cases) ExpectClose(PairwiseDistances(ds.values, c.metric, 2, none), NumbersIn(c.file), c.file);

  const Outcome run = Hclust({"--header", "--missing", "pairwise", kData + "airquality40.csv"});
  EXPECT_EQ(run.status, 0) << run.err;
  const Outcome apart = Hclust({"--missing", "pairwise", "--labels", "1"}, "a,1,NA\nb,NA,2\nc,3,4\n");
  EXPECT_EQ(apart.status, 2);
  EXPECT_NE(apart.err.find("objects \"a\" and \"b\" have no column present in both"), std::string::npos)
      << apart.err;
}

// ---- Centroid and median: R's hclust on squared distances, SciPy's linkage. ----

TEST(HclustLinkage, CentroidAndMedianMatchRAndScipy) {
  for (const std::string method : {"centroid", "median"}) {
    const Outcome r = Hclust({"--header", "--method", method, "--format", "r", kArrests});
    ASSERT_EQ(r.status, 0) << r.err;
    // R's merge matrix, column by column, as FormatR writes it.
    const std::vector<std::string> merge = Words("usarrests_" + method + "_merge_r.txt");
    std::string left, right;
    for (std::size_t i = 0; i < merge.size(); i += 2) {
      left += merge[i] + "L, ";
      right += merge[i + 1] + "L, ";
    }
    EXPECT_NE(r.out.find("merge = structure(c(" + left + right.substr(0, right.size() - 2) + ")"),
              std::string::npos) << method;
    const Outcome table = Hclust({"--header", "--method", method, kArrests});
    std::vector<double> heights;
    std::istringstream lines(table.out);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) heights.push_back(std::stod(line.substr(line.rfind(',') + 1)));
    ExpectClose(heights, NumbersIn("usarrests_" + method + "_heights_r.txt"), method + " vs R");
    EXPECT_FALSE(std::is_sorted(heights.begin(), heights.end())) << "the fixture has inversions";
    // SciPy lists the same merges by height.
    const std::vector<double> z = NumbersIn("usarrests_" + method + "_scipy.txt");
    std::vector<double> scipy;
    for (std::size_t i = 2; i < z.size(); i += 4) scipy.push_back(z[i]);
    std::sort(heights.begin(), heights.end());
    std::sort(scipy.begin(), scipy.end());
    ExpectClose(heights, scipy, method + " vs SciPy");
    // Decreasing heights: cuts at a height, orders and pictures still work.
    EXPECT_EQ(Hclust({"--header", "--method", method, "--cut-height", "1.5", kArrests}).status, 0);
  }
}

TEST(HclustCuts, SeveralKAtOnceAsCutree) {
  const Outcome r = Hclust({"--header", "--method", "average", "--cut", "2:6", kArrests});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, Slurp("usarrests_average_cut2to6.csv"));
  const Outcome list = Hclust({"--cut", "1,3"}, "0\n1\n5\n6\n");
  EXPECT_EQ(list.out, "label,1,3\n1,1,1\n2,1,1\n3,1,2\n4,1,3\n");
  const Outcome heights = Hclust({"--method", "single", "--cut-height", "0.5,1.5"}, "0\n1\n5\n6\n");
  EXPECT_EQ(heights.out, "label,0.5,1.5\n1,1,1\n2,2,1\n3,3,2\n4,4,2\n");
}

TEST(HclustCuts, HeightCutKeepsSubtreesWithInversionsWhole) {
  // Step 2 is lower than step 1: a cut between them keeps the whole subtree apart.
  Tree t;
  t.n = 3;
  t.first = {1, 3};
  t.second = {2, 4};
  t.height = {2.0, 1.0};
  t.labels = {"a", "b", "c"};
  EXPECT_EQ(CutTreeAtHeight(t, 1.5), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(CutTreeAtHeight(t, 2.0), (std::vector<int>{1, 1, 1}));
}

}  // namespace
}  // namespace dendrokit::tools

namespace dendrokit::tools {
namespace hclust_analysis_suite {

// ---- Optimal leaf ordering: the least sum of neighbour distances among the tree's orders. ----

double PathCost(const std::vector<int>& order, const std::function<double(int, int)>& d) {
  double sum = 0.0;
  for (std::size_t i = 1; i < order.size(); ++i)
    sum += d(std::min(order[i - 1], order[i]), std::max(order[i - 1], order[i]));
  return sum;
}

// Every order the tree allows (each node's children either way round), by brute force.
std::vector<std::vector<int>> AllOrders(const Tree& t, int node) {
  if (node <= t.n) return {{node}};
  const auto a = AllOrders(t, t.first[static_cast<std::size_t>(node - t.n - 1)]);
  const auto b = AllOrders(t, t.second[static_cast<std::size_t>(node - t.n - 1)]);
  std::vector<std::vector<int>> all;
  for (const auto& x : a)
    for (const auto& y : b) {
      std::vector<int> xy = x, yx = y;
      xy.insert(xy.end(), y.begin(), y.end());
      yx.insert(yx.end(), x.begin(), x.end());
      all.push_back(xy);
      all.push_back(yx);
    }
  return all;
}

TEST(HclustOptimalOrder, IsTheLeastCostOrderOfTheTree) {
  std::uint64_t state = 12345;
  auto next = [&]() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<double>(state >> 11) / 9007199254740992.0;
  };
  for (int trial = 0; trial < 60; ++trial) {
    const int n = 3 + trial % 7;
    std::string data;
    for (int i = 0; i < n; ++i) data += std::to_string(next()) + "," + std::to_string(next()) + "\n";
    const Outcome table = Hclust({"--method", trial % 2 ? "average" : "complete"}, data);
    Tree t;
    t.n = n;
    std::istringstream lines(table.out);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
      int step, a, b, node;
      char c;
      std::istringstream cells(line);
      cells >> step >> c >> a >> c >> b >> c >> node;
      t.first.push_back(a);
      t.second.push_back(b);
      t.height.push_back(0.0);
    }
    CsvOptions options;
    Dataset ds;
    ReadCsv(data, options, ds);
    const auto d = [&](int i, int j) { return ds.values.Distance(dmEuclid, i, j); };
    const std::vector<int> order = OptimalLeafOrder(t, d);
    double best = std::numeric_limits<double>::infinity();
    bool allowed = false;
    for (const auto& o : AllOrders(t, 2 * n - 1)) {
      best = std::min(best, PathCost(o, d));
      allowed = allowed || o == order;
    }
    EXPECT_TRUE(allowed) << "trial " << trial;
    EXPECT_NEAR(PathCost(order, d), best, 1e-12) << "trial " << trial;
  }
}

TEST(HclustOptimalOrder, NeverCostsMoreThanScipys) {
  const Outcome r = Hclust({"--input", "distances", "--header", "--method", "average", "--order",
                            "optimal", kEuro});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::vector<double> tri = NumbersIn("eurodist_condensed.txt");
  const int n = 21;
  const auto d = [&](int i, int j) {
    const auto r0 = static_cast<std::size_t>(i - 1);
    return tri[r0 * (2 * n - r0 - 1) / 2 + static_cast<std::size_t>(j - i - 1)];
  };
  std::vector<int> ours, scipy;
  for (const std::string& s : SecondColumn(r.out)) ours.push_back(std::stoi(s));
  for (const std::string& s : Words("eurodist_average_optimal_scipy.txt")) scipy.push_back(std::stoi(s));
  EXPECT_LE(PathCost(ours, d), PathCost(scipy, d));
}

}  // namespace
}  // namespace dendrokit::tools
