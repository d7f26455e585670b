// Allocation failures injected into the dendrogram's reclusters. This test replaces the
// global operator new, so it is a program of its own.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>
#include <vector>

#include "dendrogram/dendrogram.h"

namespace {

// Counts the allocations of the main thread while armed and fails the failAt-th of them.
std::atomic<bool> armed{false};
std::atomic<long> allocations{0};
std::atomic<long> failAt{0};
const std::thread::id mainThread = std::this_thread::get_id();

bool InjectFailure() {
  if (!armed.load() || std::this_thread::get_id() != mainThread) return false;
  return ++allocations == failAt.load();
}

}  // namespace

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

// Everything a recluster changes, and the method it names.
struct Tree {
  TClusterMethod method{};
  std::vector<double> dist, pos;
  std::vector<std::int32_t> table, classes;
  bool operator==(const Tree&) const = default;
};

Tree Seen(const TDendrogram& d) {
  Tree t{d.ClusterMethod(),
         {d.MergeDist().Values().begin(), d.MergeDist().Values().end()},
         {d.NodePos().Values().begin(), d.NodePos().Values().end()},
         {},
         {d.NodeClass().Values().begin(), d.NodeClass().Values().end()}};
  for (int c = 1; c <= d.MergeTable().NrOfColumns(); ++c)
    t.table.insert(t.table.end(), d.MergeTable().Column(c).begin(), d.MergeTable().Column(c).end());
  return t;
}

std::unique_ptr<TDendrogram> Made(int n) {
  auto d = std::make_unique<TDendrogram>();
  d->SetSuppressRecalc(true);
  d->Data().Resize(2, n);
  for (int r = 1; r <= n; ++r) {
    d->Data().SetElem(1, r, (r * 37) % 101);
    d->Data().SetElem(2, r, (r * 53) % 89);
  }
  d->SetClusterMethod(cmSingleLink);
  d->SetSuppressRecalc(false);
  return d;
}

// Regression: a failure at the 30th of 84 allocations of SetClusterMethod (n = 300) left
// MergeDist with the new heights while ClusterMethod named the old method. Every outcome is
// the old tree under the old method or the new tree under the new one.
TEST(DendrogramAllocationFailure, AReclusterChangesEverythingOrNothing) {
  constexpr int kN = 300;
  const Tree before = Seen(*Made(kN));
  auto reference = Made(kN);
  allocations = 0;
  failAt = 0;
  armed = true;
  reference->SetClusterMethod(cmCompleteLink);
  armed = false;
  const long total = allocations;
  const Tree after = Seen(*reference);
  ASSERT_NE(before, after);
  int failures = 0;
  for (long k = 1; k <= total; ++k) {
    auto d = Made(kN);
    allocations = 0;
    failAt = k;
    armed = true;
    bool failed = false;
    try {
      d->SetClusterMethod(cmCompleteLink);
    } catch (const std::exception&) {
      failed = true;
    }
    armed = false;
    const Tree seen = Seen(*d);
    failures += failed;
    if (failed)
      EXPECT_TRUE(seen == before || seen == after) << "allocation " << k << " of " << total;
    else
      EXPECT_TRUE(seen == after) << "allocation " << k << " of " << total;
  }
  EXPECT_GT(failures, 0);
}

}  // namespace
}  // namespace dendrokit
