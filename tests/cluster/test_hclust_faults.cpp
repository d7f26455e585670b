// Allocation failures injected into whole clustering runs. This test replaces the global
// operator new, so it is a program of its own.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "cluster/hclust.h"
#include "gfxbase/errors.h"
#include "gfxbase/globals.h"
#include "numeric/storage_p.h"

namespace {

// Counts the allocations of the main thread while armed and fails the failAt-th of them;
// with failOtherThreads every allocation of another thread fails.
std::atomic<bool> armed{false};
std::atomic<bool> failOtherThreads{false};
std::atomic<long> allocations{0};
std::atomic<long> failAt{0};
const std::thread::id mainThread = std::this_thread::get_id();

bool InjectFailure() {
  if (!armed.load()) return false;
  if (std::this_thread::get_id() != mainThread) return failOtherThreads.load();
  return ++allocations == failAt.load();
}

}  // namespace

// Every form the library uses, so that a sanitizer's own forms never see this memory.
// GCC inlines these pairs and then takes free() of new's memory for a mismatch; here the
// pairing is exactly right, since both sides are these replacements.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t n) {
  if (InjectFailure()) throw std::bad_alloc();
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
// The nothrow forms (std::stable_sort's buffer, for one) must pair with the free above.
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  try {
    return ::operator new(n);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t n, const std::nothrow_t& tag) noexcept {
  return ::operator new(n, tag);
}
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace dendrokit {
namespace {

using Outputs = std::vector<std::vector<double>>;

struct Outcome {
  TIntMatrix table;
  TVector dist, pos;
  // Outputs of a shape no run produces, so any change shows.
  Outcome() {
    table.Resize(2, 2);
    table.Fill(7);
    dist.Resize(3);
    pos.SetElem(1, 9.0);
  }
  Outputs Seen() const {
    Outputs o;
    for (int c = 1; c <= table.NrOfColumns(); ++c)
      o.emplace_back(table.Column(c).begin(), table.Column(c).end());
    o.emplace_back(dist.Values().begin(), dist.Values().end());
    o.emplace_back(pos.Values().begin(), pos.Values().end());
    return o;
  }
};

// Runs the clustering with the injector armed; true when it finished, false on EVELError.
bool Cluster(TMatrix& data, TDistMode mode, TClusterMethod method, Outcome& run, long failAtCall) {
  const TOnCalcDistanceEvent measure = [](TObject*, int r1, int r2, double& d) {
    d = (r1 * 7 + r2 * 3) % 5;
  };
  allocations = 0;
  failAt = failAtCall;
  armed = true;
  bool done = true;
  try {
    HierarchicalClustering(nullptr, data, mode, method, 0.7, run.table, run.dist, run.pos, {},
                           measure);
  } catch (const EVELError&) {
    done = false;
  }
  armed = false;
  return done;
}

void RandomData(TMatrix& data, int rows, int columns, int values, unsigned seed) {
  std::mt19937 rng(seed);
  data.Resize(columns, rows);
  for (int c = 1; c <= columns; ++c)
    for (auto& v : data.Column(c)) v = static_cast<double>(rng() % static_cast<unsigned>(values));
}

struct InjectionCase {
  const char* name;
  TDistMode mode;
  TClusterMethod method;
  int rows;
  int values;  // distinct values per cell; many values let single linkage use its tree
};

void PrintTo(const InjectionCase& c, std::ostream* os) { *os << c.name; }

class HclustAllocationFailure : public ::testing::TestWithParam<InjectionCase> {};

// Regression: outputs were resized before the history and position arrays were obtained,
// so a failure there left them resized and unfilled.
TEST_P(HclustAllocationFailure, EveryRunEndsWithTheResultOrUntouchedOutputs) {
  const InjectionCase& c = GetParam();
  TMatrix data;
  RandomData(data, c.rows, 3, c.values, 11);
  double sentinel = 0.0;
  data.OnCalcDistance = [&](TObject*, int, int, double& d) { d = sentinel = 42.0; };

  Outcome reference;
  ASSERT_TRUE(Cluster(data, c.mode, c.method, reference, 0));
  const long total = allocations;
  const Outputs expected = reference.Seen();
  const Outputs untouched = Outcome().Seen();
  int failures = 0;
  for (long k = 1; k <= total; ++k) {
    Outcome run;
    if (Cluster(data, c.mode, c.method, run, k)) {
      EXPECT_EQ(run.Seen(), expected) << "allocation " << k << " of " << total;
    } else {
      ++failures;
      EXPECT_EQ(run.Seen(), untouched) << "allocation " << k << " of " << total;
    }
    data.Distance(dmUserDef, 1, 2);
    ASSERT_EQ(sentinel, 42.0) << "the matrix lost its own handler at allocation " << k;
    sentinel = 0.0;
  }
  EXPECT_GT(failures, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HclustAllocationFailure,
    ::testing::Values(InjectionCase{"WardEuclid", dmEuclid, cmWard, 40, 4},
                      InjectionCase{"SingleTree", dmEuclid, cmSingleLink, 30, 1000000},
                      InjectionCase{"SingleTies", dmManhattan, cmSingleLink, 30, 3},
                      InjectionCase{"UpgmaUserMeasure", dmUserDef, cmUpgma, 20, 4},
                      InjectionCase{"FlexJaccard", dmJaccard, cmFlexLink, 25, 2},
                      InjectionCase{"CompleteTwoThreads", dmEuclidSqr, cmCompleteLink, 1500, 5}),
    [](const auto& info) { return std::string(info.param.name); });

// Regression: a std::bad_alloc in the distance fill's second thread ended the process.
TEST(HclustAllocationFailure, SecondThreadFailureReachesTheCaller) {
  if (std::thread::hardware_concurrency() < 2) GTEST_SKIP() << "one hardware thread";
  TMatrix data;
  RandomData(data, 1500, 2, 100, 3);
  Outcome run;
  failOtherThreads = true;
  const bool done = Cluster(data, dmEuclid, cmWard, run, 0);
  failOtherThreads = false;
  EXPECT_FALSE(done);
  EXPECT_EQ(run.Seen(), Outcome().Seen());
}

TEST(HclustAllocationFailure, TriangleBeyondTheStorageLimitIsRefused) {
  TMatrix data;
  RandomData(data, 2000, 2, 100, 5);
  Outcome run;
  detail::SetStorageLimitForTesting(1 << 20);
  EXPECT_THROW(HierarchicalClustering(nullptr, data, dmEuclid, cmWard, 0.5, run.table, run.dist,
                                      run.pos, {}, {}),
               EVELError);
  detail::SetStorageLimitForTesting(0);
  EXPECT_EQ(run.Seen(), Outcome().Seen());
}

}  // namespace
}  // namespace dendrokit
