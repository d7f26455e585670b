// The engine on tiny matrices whose bytes choose the values (NaN, infinities, signed zeros,
// denormals, the 1.7e38 bound, huge and tied values), the rule, the measure and alpha:
// checked bit for bit against the textbook full scan and against the tree invariants.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "cluster/hclust.h"
#include "fuzz/fuzz_input_p.h"
#include "gfxbase/globals.h"
#include "naive_hclust.h"

namespace {

using namespace dendrokit;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kValues[] = {std::numeric_limits<double>::quiet_NaN(), kInf, -kInf, 0.0, -0.0,
                              4.9e-324, 2.2250738585072014e-308, 1.7e38, -1.7e38,
                              1.6999999999999999e38, 1e308, -1e308, 1e154, 0.5, 1.0, 2.0, 3.0,
                              -1.0, 1e-300};

double Value(fuzz::Input& in) {
  const int k = in.Byte();
  constexpr int specials = static_cast<int>(std::size(kValues));
  if (k < specials) return kValues[k];
  if (k < 200) return static_cast<double>(k % 5);  // ties everywhere
  double d;
  const std::uint64_t bits = static_cast<std::uint64_t>(in.Word()) << 32 | in.Word();
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

struct Run {
  TIntMatrix table;
  TVector dist, pos;
  int code = 0;
};

[[noreturn]] void Fail(const char* what, int step) {
  std::fprintf(stderr, "fuzz_engine: %s (step %d)\n", what, step);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const int n = 1 + in.Below(12);
  const int m = 1 + in.Below(4);
  const auto method = static_cast<TClusterMethod>(in.Below(8));
  const auto mode = static_cast<TDistMode>(in.Below(6));
  const double alpha = Value(in);
  TMatrix matrix;
  matrix.Resize(m, n);
  for (int c = 1; c <= m; ++c)
    for (int r = 1; r <= n; ++r) matrix.SetElem(c, r, Value(in));
  // The user measure: a table of byte-chosen values, not necessarily symmetric.
  std::vector<double> user(static_cast<std::size_t>(n * n));
  for (double& v : user) v = Value(in);
  const TOnCalcDistanceEvent measure = [&](TObject*, int r1, int r2, double& d) {
    d = user[static_cast<std::size_t>((r1 - 1) * n + (r2 - 1))];
  };

  Run fast, naive;
  ProgressCounter = 0.0;
  fast.code = HierarchicalClustering(nullptr, matrix, mode, method, alpha, fast.table, fast.dist,
                                     fast.pos, {}, measure);
  ProgressCounter = 0.0;
  naive.code = testing::NaiveHierarchicalClustering(nullptr, matrix, mode, method, alpha,
                                                    naive.table, naive.dist, naive.pos, {},
                                                    measure);
  if (fast.code != 0 || naive.code != 0) Fail("a run without abort returned non-zero", 0);
  const int steps = n - 1;
  if (n > 1 && (fast.table.NrOfRows() != steps || fast.table.NrOfColumns() != 3 ||
                fast.dist.NrOfElem() != steps || fast.pos.NrOfElem() != 2 * n - 1))
    Fail("outputs of the wrong shape", 0);
  std::vector<int> childOf(static_cast<std::size_t>(2 * n), 0);
  for (int s = 1; s <= steps; ++s) {
    for (int c = 1; c <= 3; ++c)
      if (fast.table.Elem(c, s) != naive.table.Elem(c, s)) Fail("merge table differs", s);
    if (!SameBits(fast.dist.Elem(s), naive.dist.Elem(s))) Fail("merge distance differs", s);
    if (fast.table.Elem(3, s) != n + s) Fail("node ids do not increase by one", s);
    for (int c = 1; c <= 2; ++c) {
      const int child = fast.table.Elem(c, s);
      if (child < 1 || child >= n + s) Fail("child not made before its parent", s);
      if (childOf[static_cast<std::size_t>(child)]++ != 0) Fail("node is a child twice", s);
    }
  }
  for (int k = 1; k < 2 * n - 1; ++k)
    if (n > 1 && childOf[static_cast<std::size_t>(k)] != 1) Fail("node never merged", k);
  for (int k = 1; k <= 2 * n - 1; ++k)
    if (!SameBits(fast.pos.Elem(k), naive.pos.Elem(k))) Fail("node position differs", k);
  return 0;
}
