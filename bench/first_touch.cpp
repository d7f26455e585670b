// The first-touch cost of the distance triangle: obtaining 8·n(n−1)/2 bytes and writing
// every page once, as the distance fill does, in four ways. Prints the median wall and
// system seconds of several runs of each, alternating.
//   first_touch [n=20000] [runs=5]
#include <sys/mman.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

double SystemSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_stime.tv_sec) + static_cast<double>(u.ru_stime.tv_usec) * 1e-6;
}

void Touch(char* p, std::size_t bytes) {
  for (std::size_t i = 0; i < bytes; i += 4096) p[i] = 1;
  // Keeps the compiler from dropping the writes together with the allocation.
  asm volatile("" : : "r"(p) : "memory");
}

struct Way {
  const char* name;
  void (*run)(std::size_t bytes);
};

void Plain(std::size_t bytes) {
  auto* p = static_cast<char*>(std::malloc(bytes));
  Touch(p, bytes);
  std::free(p);
}

void HugePages(std::size_t bytes) {
  bytes = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  auto* p = static_cast<char*>(std::aligned_alloc(kHugePage, bytes));
  madvise(p, bytes, MADV_HUGEPAGE);
  Touch(p, bytes);
  std::free(p);
}

void Prefault(std::size_t bytes) {
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE,
                 -1, 0);
  Touch(static_cast<char*>(p), bytes);
  munmap(p, bytes);
}

void HugePagesPrefault(std::size_t bytes) {
  bytes = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  auto* p = static_cast<char*>(std::aligned_alloc(kHugePage, bytes));
  madvise(p, bytes, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
  madvise(p, bytes, MADV_POPULATE_WRITE);
#endif
  Touch(p, bytes);
  std::free(p);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t n = argc > 1 ? std::stoul(argv[1]) : 20000;
  const int runs = argc > 2 ? std::stoi(argv[2]) : 5;
  const std::size_t bytes = n * (n - 1) / 2 * sizeof(double);
  const Way ways[] = {{"4 KiB pages", Plain},
                      {"huge pages (madvise)", HugePages},
                      {"pre-faulted (MAP_POPULATE)", Prefault},
                      {"huge pages, pre-faulted", HugePagesPrefault}};
  std::vector<std::vector<double>> wall(std::size(ways)), sys(std::size(ways));
  for (int r = 0; r < runs; ++r)
    for (std::size_t w = 0; w < std::size(ways); ++w) {
      const double s0 = SystemSeconds();
      const auto t0 = std::chrono::steady_clock::now();
      ways[w].run(bytes);
      wall[w].push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
      sys[w].push_back(SystemSeconds() - s0);
    }
  std::printf("n = %zu, %.2f GiB, median of %d runs\n", n, bytes / 1073741824.0, runs);
  for (std::size_t w = 0; w < std::size(ways); ++w)
    std::printf("%-28s wall %.3f s  system %.3f s  (%.2f x 4 KiB pages)\n", ways[w].name,
                Median(wall[w]), Median(sys[w]), Median(wall[w]) / Median(wall[0]));
  return 0;
}
