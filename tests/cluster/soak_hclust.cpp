// Long randomized comparison with the naive reference (ctest -L soak). DENDROKIT_SOAK_SEED
// moves the seed range, DENDROKIT_SOAK_CASES sets its length.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "oracle_harness.h"

namespace dendrokit::testing {
namespace {

std::uint64_t EnvOr(const char* name, std::uint64_t fallback) {
  const char* v = std::getenv(name);
  return v ? std::strtoull(v, nullptr, 10) : fallback;
}

TEST(OracleSoak, HundredThousandCases) {
  const std::uint64_t first = EnvOr("DENDROKIT_SOAK_SEED", 90000000);
  const std::uint64_t count = EnvOr("DENDROKIT_SOAK_CASES", 100000);
  CaseOptions options;
  options.maxObjects = 120;
  int failures = 0;
  for (std::uint64_t seed = first; seed < first + count && failures < 10; ++seed) {
    const std::string diff = RunOracleCase(seed, options);
    if (!diff.empty()) {
      ADD_FAILURE() << diff;
      ++failures;
    }
  }
}

}  // namespace
}  // namespace dendrokit::testing
