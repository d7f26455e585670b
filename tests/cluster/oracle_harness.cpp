#include "oracle_harness.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <sstream>
#include <vector>

#include "gfxbase/globals.h"
#include "naive_hclust.h"

namespace dendrokit::testing {

namespace {

struct Case {
  int n = 0;
  int m = 0;
  TDistMode mode = dmEuclid;
  TClusterMethod method = cmWard;
  double alpha = 0.5;
  std::vector<double> values;     // column-major n x m
  std::vector<double> userDist;   // (r1 - 1) * n + (r2 - 1), for dmUserDef
  int abortAtCall = -1;           // progress call (0 = the first) that requests a stop
  int abortAtDistanceCall = -1;   // handler call that requests a stop (must be ignored)
  double startCounter = 0.0;
  int tableRows = 1, distElems = 1, posElems = 1;  // output sizes before the run
};

double PickSpecialDistance(std::mt19937_64& rng) {
  static const double specials[] = {std::numeric_limits<double>::quiet_NaN(), 1.7e38, 2e38,
                                    std::numeric_limits<double>::infinity(), -0.0, 1e300,
                                    1.6999999999999998e38, -1.0};
  return specials[rng() % std::size(specials)];
}

Case MakeCase(std::uint64_t seed, const CaseOptions& opt) {
  std::mt19937_64 rng(seed);
  auto uniform = [&](int lo, int hi) { return lo + static_cast<int>(rng() % (hi - lo + 1)); };
  Case c;
  const int sizeClass = uniform(0, 9);
  const int cap = std::max(2, opt.maxObjects);
  const int low = std::clamp(opt.minObjects, 2, cap);
  c.n = sizeClass < 4 ? uniform(low, std::max(low, std::min(12, cap)))
        : sizeClass < 8 ? uniform(low, std::max(low, std::min(60, cap)))
                        : uniform(low, cap);
  c.m = uniform(1, 5);
  c.method = static_cast<TClusterMethod>(opt.method >= 0 ? opt.method : uniform(0, 5));
  c.mode = static_cast<TDistMode>(opt.distMode >= 0 ? opt.distMode : uniform(0, 5));
  static const double alphas[] = {0.5, 0.7, 1.0, 0.2, 1.7, 0.55, -3.0,
                                  std::numeric_limits<double>::quiet_NaN()};
  c.alpha = alphas[rng() % std::size(alphas)];

  const int valueKind = uniform(0, 9);  // 0..6 integers 0..4, 7 zeros and ones, 8..9 reals
  c.values.resize(static_cast<std::size_t>(c.n * c.m));
  for (double& v : c.values) {
    if (valueKind <= 6) v = uniform(0, 4);
    else if (valueKind == 7) v = uniform(0, 1);
    else v = std::ldexp(static_cast<double>(rng() % 2000001) - 1e6, -uniform(10, 20));
  }
  if (uniform(0, 2) == 0) {  // duplicate objects
    for (int k = 0; k < c.n / 3; ++k) {
      const int from = uniform(0, c.n - 1), to = uniform(0, c.n - 1);
      for (int j = 0; j < c.m; ++j)
        c.values[static_cast<std::size_t>(j * c.n + to)] =
            c.values[static_cast<std::size_t>(j * c.n + from)];
    }
  }
  if (c.mode == dmUserDef) {
    c.userDist.resize(static_cast<std::size_t>(c.n * c.n));
    const int kind = uniform(0, 19);  // 0 all unusable, 1..4 many specials, else integers
    for (double& v : c.userDist) {
      if (kind == 0) v = std::numeric_limits<double>::quiet_NaN();
      else if (kind <= 4 && uniform(0, 3) == 0) v = PickSpecialDistance(rng);
      else v = uniform(0, 4);
    }
    if (uniform(0, 4) == 0) c.abortAtDistanceCall = uniform(0, c.n * (c.n - 1) / 2 - 1);
  }
  if (uniform(0, 5) == 0) c.abortAtCall = uniform(0, c.n);
  static const double counters[] = {0.0, 0.0, 7.0, 0.1};
  c.startCounter = counters[rng() % std::size(counters)];
  c.tableRows = uniform(0, 1) ? c.n - 1 : uniform(1, 400);
  c.distElems = uniform(0, 1) ? c.n - 1 : uniform(1, 400);
  c.posElems = uniform(0, 1) ? 2 * c.n - 1 : uniform(1, 800);
  return c;
}

// Everything a caller observes of one run.
struct Outcome {
  int result = 0;
  bool abortAfter = false;
  double counterAfter = 0.0;
  int tableCols = 0, tableRows = 0;
  std::vector<std::int32_t> table;
  std::vector<double> dist, pos;
  std::vector<std::string> progressCalls, distanceCalls;
  bool handlerRestored = false;
};

std::string Bits(double v) {
  std::ostringstream s;
  s.precision(17);
  s << v << " [" << std::hex << std::bit_cast<std::uint64_t>(v) << "]";
  return s.str();
}

bool SameDouble(double a, double b) {
  return (std::isnan(a) && std::isnan(b)) ||
         std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

template <typename Run>
Outcome Execute(const Case& c, Run run) {
  TMatrix data;
  data.Resize(c.m, c.n);
  for (int j = 1; j <= c.m; ++j)
    for (int r = 1; r <= c.n; ++r)
      data.SetElem(j, r, c.values[static_cast<std::size_t>((j - 1) * c.n + (r - 1))]);
  bool ownHandlerCalled = false;
  data.OnCalcDistance = [&](TObject*, int, int, double&) { ownHandlerCalled = true; };

  TIntMatrix table;
  TVector dist, pos;
  table.Resize(3, c.tableRows);
  table.Fill(-7);
  dist.Resize(c.distElems);
  pos.Resize(c.posElems);
  for (double& v : dist.Values()) v = -9.5;
  for (double& v : pos.Values()) v = -9.5;

  Outcome out;
  TObject sender;
  int progressCall = 0, distanceCall = 0;
  TClusterProgressProc progress = [&](TObject* s, double counter, double percent) {
    out.progressCalls.push_back((s == &sender ? "" : "wrong sender ") + Bits(counter) + " " +
                                Bits(percent));
    if (progressCall++ == c.abortAtCall) AbortComputation = true;
  };
  TOnCalcDistanceEvent handler = [&](TObject* s, int r1, int r2, double& d) {
    std::ostringstream call;
    call << (s == &data ? "" : "wrong sender ") << r1 << "," << r2 << " in " << Bits(d);
    out.distanceCalls.push_back(call.str());
    d = c.userDist[static_cast<std::size_t>((r1 - 1) * c.n + (r2 - 1))];
    if (distanceCall++ == c.abortAtDistanceCall) AbortComputation = true;
  };

  AbortComputation = false;
  ProgressCounter = c.startCounter;
  out.result = run(&sender, data, c.mode, c.method, c.alpha, table, dist, pos, progress,
                   c.mode == dmUserDef ? handler : TOnCalcDistanceEvent{});
  out.abortAfter = AbortComputation;
  out.counterAfter = ProgressCounter;
  AbortComputation = false;
  out.tableCols = table.NrOfColumns();
  out.tableRows = table.NrOfRows();
  for (int j = 1; j <= 3; ++j)
    for (std::int32_t v : table.Column(j)) out.table.push_back(v);
  out.dist.assign(dist.Values().begin(), dist.Values().end());
  out.pos.assign(pos.Values().begin(), pos.Values().end());
  double probe = 1.0;
  if (data.OnCalcDistance) data.OnCalcDistance(&data, 1, 1, probe);
  out.handlerRestored = ownHandlerCalled;
  return out;
}

template <typename T>
std::string CompareList(const char* what, const std::vector<T>& fast,
                        const std::vector<T>& naive) {
  std::ostringstream s;
  if (fast.size() != naive.size()) {
    s << what << ": " << fast.size() << " entries, reference " << naive.size();
    return s.str();
  }
  for (std::size_t i = 0; i < fast.size(); ++i) {
    bool same;
    if constexpr (std::is_same_v<T, double>) same = SameDouble(fast[i], naive[i]);
    else same = fast[i] == naive[i];
    if (!same) {
      s << what << "[" << i << "]: ";
      if constexpr (std::is_same_v<T, double>) s << Bits(fast[i]) << ", reference " << Bits(naive[i]);
      else s << fast[i] << ", reference " << naive[i];
      return s.str();
    }
  }
  return {};
}

std::string Describe(std::uint64_t seed, const Case& c) {
  std::ostringstream s;
  s << "seed " << seed << ": n=" << c.n << " m=" << c.m << " " << EnumToName(c.mode) << " "
    << EnumToName(c.method) << " alpha=" << c.alpha << " abortAtCall=" << c.abortAtCall;
  return s.str();
}

}  // namespace

std::string RunOracleCase(std::uint64_t seed, const CaseOptions& options) {
  const Case c = MakeCase(seed, options);
  const Outcome fast = Execute(c, HierarchicalClustering);
  const Outcome naive = Execute(c, NaiveHierarchicalClustering);
  std::string diff;
  auto check = [&](std::string d) {
    if (diff.empty() && !d.empty()) diff = std::move(d);
  };
  if (fast.result != naive.result)
    check("result " + std::to_string(fast.result) + ", reference " + std::to_string(naive.result));
  if (fast.abortAfter != naive.abortAfter) check("AbortComputation after the run differs");
  if (!SameDouble(fast.counterAfter, naive.counterAfter))
    check("ProgressCounter " + Bits(fast.counterAfter) + ", reference " + Bits(naive.counterAfter));
  if (fast.tableCols != naive.tableCols || fast.tableRows != naive.tableRows)
    check("MergeTable shape differs");
  check(CompareList("progress call", fast.progressCalls, naive.progressCalls));
  check(CompareList("OnCalcDistance call", fast.distanceCalls, naive.distanceCalls));
  check(CompareList("MergeTable", fast.table, naive.table));
  check(CompareList("MergeDist", fast.dist, naive.dist));
  check(CompareList("NodePos", fast.pos, naive.pos));
  if (!fast.handlerRestored) check("the data matrix's own OnCalcDistance was not restored");
  return diff.empty() ? diff : Describe(seed, c) + ": " + diff;
}

}  // namespace dendrokit::testing
