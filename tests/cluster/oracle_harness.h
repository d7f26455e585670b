// Random tie-heavy clustering cases, run through the engine and the naive reference, and
// compared on everything a caller can observe.
#pragma once

#include <cstdint>
#include <string>

#include "cluster/hclust.h"

namespace dendrokit::testing {

struct CaseOptions {
  int maxObjects = 300;
  int minObjects = 2;
  // Restrict the case to one rule / one measure; -1 picks at random.
  int method = -1;
  int distMode = -1;
};

// Builds case `seed`, runs both implementations and returns "" when every observable agrees,
// otherwise a description of the case and the first difference (with the seed).
std::string RunOracleCase(std::uint64_t seed, const CaseOptions& options);

}  // namespace dendrokit::testing
