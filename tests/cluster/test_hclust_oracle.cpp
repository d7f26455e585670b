// The engine against the naive reference on thousands of seeded tie-heavy cases: every rule,
// every measure (the user-defined one through a handler), several flexible alphas, stop
// requests, unusable distances and outputs of the wrong size.
#include <gtest/gtest.h>

#include "oracle_harness.h"

namespace dendrokit::testing {
namespace {

class OracleByRule : public ::testing::TestWithParam<int> {};

TEST_P(OracleByRule, MatchesReferenceBitForBit) {
  const int method = GetParam();
  CaseOptions options;
  options.method = method;
  int failures = 0;
  for (std::uint64_t i = 0; i < 500 && failures < 5; ++i) {
    const std::uint64_t seed = 1000003 * static_cast<std::uint64_t>(method) + i;
    const std::string diff = RunOracleCase(seed, options);
    if (!diff.empty()) {
      ADD_FAILURE() << diff;
      ++failures;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllRules, OracleByRule, ::testing::Range(0, 8),
                         [](const auto& info) {
                           return std::string(EnumToName(static_cast<TClusterMethod>(info.param)));
                         });

// Small cases, where ties and the first steps dominate, every rule with every measure.
TEST(OracleSmall, EveryRuleWithEveryMeasure) {
  int failures = 0;
  for (int method = 0; method < 8; ++method) {
    for (int mode = 0; mode < 6; ++mode) {
      CaseOptions options{12, 2, method, mode};
      for (std::uint64_t i = 0; i < 60 && failures < 5; ++i) {
        const std::uint64_t seed = 7000000 + 10000 * static_cast<std::uint64_t>(method * 6 + mode) + i;
        const std::string diff = RunOracleCase(seed, options);
        if (!diff.empty()) {
          ADD_FAILURE() << diff;
          ++failures;
        }
      }
    }
  }
}

// A few bigger cases per rule: long candidate chains, many stale rows, deep trees.
TEST(OracleLarge, EveryRuleOnFourHundredObjects) {
  for (int method = 0; method < 8; ++method) {
    CaseOptions options{450, 400, method, -1};
    const std::uint64_t seed = 5000000 + static_cast<std::uint64_t>(method);
    const std::string diff = RunOracleCase(seed, options);
    EXPECT_EQ(diff, "") << diff;
  }
}

}  // namespace
}  // namespace dendrokit::testing
