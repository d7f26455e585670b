// Storage of the containers. Every array is obtained here, so that a count that can never
// be held is refused before anything is allocated: a request for more memory than the
// machine has would otherwise be granted lazily and die while zero-filling, not throw.
#pragma once

#include "gfxbase/export.h"

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

namespace dendrokit::detail {

// Largest number of bytes one container array may take (physical memory plus swap where
// the platform tells, else the address-space limit).
DENDROKIT_EXPORT std::size_t StorageLimit();
// Test hook: lowers the limit to simulate a machine without memory; 0 restores the default.
DENDROKIT_EXPORT void SetStorageLimitForTesting(std::size_t bytes);

// Cell count of a columns x rows shape; both are below 2^31, so the product fits.
inline std::int64_t ElementCount(int columns, int rows) {
  return static_cast<std::int64_t>(columns) * static_cast<std::int64_t>(rows);
}

// A zero-filled array of count elements; std::bad_alloc when it cannot be obtained.
template <typename T>
std::vector<T> MakeStorage(std::int64_t count, const T& fill = T{}) {
  std::vector<T> v;
  if (count < 0 || static_cast<std::uint64_t>(count) > v.max_size() ||
      static_cast<std::uint64_t>(count) > StorageLimit() / sizeof(T))
    throw std::bad_alloc();
  v.assign(static_cast<std::size_t>(count), fill);
  return v;
}

}  // namespace dendrokit::detail
