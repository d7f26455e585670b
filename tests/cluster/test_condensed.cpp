// The vectorised, two-thread distance kernels against TMatrix::Distance, cell by cell.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

#include "cluster/condensed_p.h"

namespace dendrokit {
namespace {

bool SameBits(double a, double b) {
  return (std::isnan(a) && std::isnan(b)) ||
         std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// Rows with values of mixed magnitude and sign (so that the summation order shows in the
// last bits), signed zeros, and two all-zero rows (0/0 for Jaccard and Dice).
void FillMixed(TMatrix& data, int rows, int cols, std::uint64_t seed) {
  std::mt19937_64 rng(seed);
  data.Resize(cols, rows);
  for (int j = 1; j <= cols; ++j) {
    auto col = data.Column(j);
    for (double& v : col) {
      const auto pick = rng() % 8;
      v = pick == 0 ? -0.0 : std::ldexp(static_cast<double>(rng() % 2000001) - 1e6,
                                         -static_cast<int>(rng() % 40));
    }
    col[3] = 0.0;
    col[static_cast<std::size_t>(rows) - 2] = 0.0;
  }
}

class BuiltinDistances : public ::testing::TestWithParam<int> {};

TEST_P(BuiltinDistances, EqualMatrixDistanceInEveryCell) {
  const auto mode = static_cast<TDistMode>(GetParam());
  // 1600 rows give more than 2^20 pairs, so the two-thread split is exercised too.
  for (int threads : {1, 2}) {
    for (int cols : {1, 7, 300}) {
      const int rows = cols == 300 ? 90 : 1600;
      TMatrix data;
      FillMixed(data, rows, cols, 42 + static_cast<std::uint64_t>(cols));
      detail::CondensedMatrix d(static_cast<std::size_t>(rows));
      detail::FillBuiltinDistances(data, mode, d, threads);
      int mismatches = 0;
      for (int r = 1; r < rows && mismatches < 3; ++r)
        for (int c = r + 1; c <= rows && mismatches < 3; ++c) {
          const double fast = d.At(static_cast<std::size_t>(r - 1), static_cast<std::size_t>(c - 1));
          const double ref = data.Distance(mode, r, c);
          if (!SameBits(fast, ref)) {
            ++mismatches;
            ADD_FAILURE() << EnumToName(mode) << " threads=" << threads << " cols=" << cols
                          << " pair (" << r << "," << c << "): " << fast << " vs " << ref;
          }
        }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Measures, BuiltinDistances, ::testing::Range(0, 5),
                         [](const auto& info) {
                           return std::string(EnumToName(static_cast<TDistMode>(info.param)));
                         });

}  // namespace
}  // namespace dendrokit
