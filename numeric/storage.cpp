#include "numeric/storage_p.h"

#include <cstdint>
#include <limits>

#if defined(__linux__)
#include <sys/sysinfo.h>
#endif

namespace dendrokit::detail {

namespace {

std::size_t testLimit = 0;

std::size_t MachineLimit() {
  std::size_t limit = static_cast<std::size_t>(std::numeric_limits<std::ptrdiff_t>::max());
#if defined(__linux__)
  struct sysinfo info {};
  if (sysinfo(&info) == 0 && info.mem_unit > 0) {
    const std::uint64_t units = static_cast<std::uint64_t>(info.totalram) + info.totalswap;
    if (units > 0 && units < limit / info.mem_unit)
      limit = static_cast<std::size_t>(units * info.mem_unit);
  }
#endif
  return limit;
}

}  // namespace

std::size_t StorageLimit() {
  static const std::size_t machine = MachineLimit();
  return testLimit != 0 && testLimit < machine ? testLimit : machine;
}

void SetStorageLimitForTesting(std::size_t bytes) { testLimit = bytes; }

}  // namespace dendrokit::detail
