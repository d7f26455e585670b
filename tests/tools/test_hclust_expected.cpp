// hclust against outputs that R and SciPy computed for the same files (data/make_expected.sh
// made them once; the tool must agree with them, not with itself).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tools/hclust_cli.h"

namespace dendrokit::tools {
namespace hclust_expected_suite {

const std::string kData = HCLUST_DATA_DIR "/";

std::string Slurp(const std::string& name) {
  std::ifstream f(kData + name);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

std::string Hclust(std::vector<std::string> args, const std::string& file) {
  args.push_back(kData + file);
  std::istringstream in;
  std::ostringstream out, err;
  EXPECT_EQ(RunHclust(args, in, out, err), 0) << err.str();
  return out.str();
}

std::vector<std::vector<double>> Numbers(const std::string& text) {
  std::vector<std::vector<double>> rows;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream cells(line);
    rows.emplace_back(std::istream_iterator<double>(cells), std::istream_iterator<double>());
  }
  return rows;
}

void ExpectClose(double got, double want, const std::string& what) {
  EXPECT_NEAR(got, want, 1e-12 * std::max(1.0, std::fabs(want))) << what;
}

struct ExpectedCase {
  const char* name;
  std::vector<std::string> args;
  const char* data;
  const char* expected;
};

void PrintTo(const ExpectedCase& c, std::ostream* os) { *os << c.name; }

class HclustAgrees : public ::testing::TestWithParam<ExpectedCase> {};

// Flat clusters: R's cutree, text for text (labels from R's row names).
TEST_P(HclustAgrees, WithCutree) {
  const ExpectedCase& c = GetParam();
  EXPECT_EQ(Hclust(c.args, c.data), Slurp(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    R, HclustAgrees,
    ::testing::Values(
        ExpectedCase{"IrisWriteCsvWardD2", {"--header", "--method", "ward.D2", "--cut", "3"},
                     "iris_writecsv.csv", "iris_ward.D2_cut3.csv"},
        ExpectedCase{"IrisWardD2OnTheVectors",
                     {"--header", "--method", "ward.D2", "--low-memory", "--cut", "3"},
                     "iris_writecsv.csv", "iris_ward.D2_cut3.csv"},
        ExpectedCase{"UsArrestsCsv2ScaledAverage",
                     {"--header", "--decimal-comma", "--scale", "--method", "average", "--cut", "4"},
                     "usarrests_csv2.csv", "usarrests_scaled_average_cut4.csv"},
        ExpectedCase{"UsArrestsCutAtHeight",
                     {"--header", "--decimal-comma", "--scale", "--method=average", "--cut-height=2"},
                     "usarrests_csv2.csv", "usarrests_scaled_average_cut_h2.csv"}),
    [](const auto& info) { return std::string(info.param.name); });

// SciPy's Z: the same heights step by step, and a matrix SciPy would accept.
TEST(HclustAgreesWithScipy, LinkageMatrices) {
  const std::pair<const char*, const char*> methods[] = {{"single", "single"},
                                                         {"complete", "complete"},
                                                         {"average", "average"},
                                                         {"weighted", "weighted"},
                                                         {"ward.D2", "ward"}};
  for (const auto& [ours, theirs] : methods) {
    const auto z = Numbers(Hclust({"--header", "--method", ours, "--format", "scipy"}, "iris_writecsv.csv"));
    const auto want = Numbers(Slurp(std::string("iris_scipy_") + theirs + ".txt"));
    ASSERT_EQ(z.size(), want.size()) << ours;
    const int n = static_cast<int>(z.size()) + 1;
    std::vector<int> used(static_cast<std::size_t>(2 * n), 0), size(static_cast<std::size_t>(2 * n), 1);
    for (std::size_t s = 0; s < z.size(); ++s) {
      ExpectClose(z[s][2], want[s][2], std::string(ours) + " step " + std::to_string(s + 1));
      const auto a = static_cast<std::size_t>(z[s][0]);
      const auto b = static_cast<std::size_t>(z[s][1]);
      ASSERT_LT(std::max(a, b), static_cast<std::size_t>(n) + s) << ours << ": used before made";
      EXPECT_EQ(used[a]++ + used[b]++, 0) << ours << ": merged twice";
      size[static_cast<std::size_t>(n) + s] = size[a] + size[b];
      EXPECT_EQ(z[s][3], size[static_cast<std::size_t>(n) + s]) << ours;
    }
  }
  // The Jaccard example: similar rows join first, at dissimilarity 0.
  EXPECT_EQ(Hclust({"--method", "single", "--distance", "jaccard", "--format", "scipy"}, "jaccard.csv"),
            Slurp("jaccard_single_scipy.txt"));
}

TEST(HclustAgreesWithR, WardDHeightsAndCopheneticCorrelation) {
  const auto heights = Numbers(Hclust({"--header", "--method", "ward", "--format", "scipy"},
                                   "iris_writecsv.csv"));
  const auto want = Numbers(Slurp("iris_ward.D_heights.txt"));
  ASSERT_EQ(heights.size(), want.size());
  for (std::size_t s = 0; s < want.size(); ++s) ExpectClose(heights[s][2], want[s][0], "ward.D");
  ExpectClose(std::stod(Hclust({"--header", "--method", "average", "--cophenetic"}, "iris_writecsv.csv")),
              std::stod(Slurp("iris_average_cophenetic.txt")), "iris");
  ExpectClose(std::stod(Hclust({"--header", "--decimal-comma", "--scale", "--method", "average",
                             "--cophenetic"}, "usarrests_csv2.csv")),
              std::stod(Slurp("usarrests_scaled_average_cophenetic.txt")), "USArrests");
  const auto binary = Numbers(Slurp("jaccard_single_heights_r.txt"));
  const auto ours = Numbers(Hclust({"--method", "single", "--distance", "jaccard", "--format", "scipy"}, "jaccard.csv"));
  EXPECT_EQ(ours[0][2], binary[0][0]);
  EXPECT_EQ(ours[1][2], binary[1][0]);
}

// Newick with the children of every node sorted and lengths to 9 digits, so that trees
// that differ only in drawing order or label quoting compare equal.
std::string Canonical(const std::string& s, std::size_t& i) {
  std::string node;
  if (s[i] == '(') {
    std::vector<std::string> children;
    do {
      ++i;
      children.push_back(Canonical(s, i));
    } while (s[i] == ',');
    ++i;  // ')'
    std::sort(children.begin(), children.end());
    node = "(" + children[0] + "," + children[1] + ")";
  } else {
    const bool quoted = s[i] == '\'';
    const std::size_t end = quoted ? s.find('\'', i + 1) + 1 : s.find_first_of(":,);", i);
    node = quoted ? s.substr(i + 1, end - i - 2) : s.substr(i, end - i);
    i = end;
  }
  if (s[i] == ':') {
    std::size_t used = 0;
    const double length = std::stod(s.substr(i + 1), &used);
    char buf[32];
    std::snprintf(buf, sizeof buf, ":%.9g", std::fabs(length) < 1e-12 ? 0.0 : length);
    node += buf;
    i += 1 + used;
  }
  return node;
}

std::string Canonical(const std::string& s) {
  std::size_t i = 0;
  return Canonical(s, i);
}

TEST(HclustAgreesWithR, NewickTree) {
  const std::string ours = Hclust({"--header", "--decimal-comma", "--scale", "--method", "complete",
                                "--format", "newick"}, "usarrests_csv2.csv");
  EXPECT_EQ(Canonical(ours), Canonical(Slurp("usarrests_scaled_complete.nwk")));
}

}  // namespace
}  // namespace dendrokit::tools
