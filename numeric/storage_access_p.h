// Private: gives containers storage obtained beforehand. A routine that fills several
// containers can then obtain all their storage first and change none of them when any of it
// cannot be had.
#pragma once

#include <cstdint>
#include <vector>

#include "numeric/matrix.h"
#include "numeric/vector.h"

namespace dendrokit::detail {

struct StorageAccess {
  // As m.Resize(columns, rows) with every cell taken from storage (columns * rows values,
  // column by column); never allocates. The old cells are left in storage.
  static void Adopt(TIntMatrix& m, int columns, int rows, std::vector<std::int32_t>& storage) {
    m.data_.swap(storage);
    m.cols_ = columns;
    m.rows_ = rows;
    if (m.OnResize) m.OnResize(&m);
    if (m.OnChange) m.OnChange(&m);
  }
  // As v.Resize(storage.size()) with the elements taken from storage; never allocates.
  template <typename T>
  static void Adopt(TBasicVector<T>& v, std::vector<T>& storage) {
    v.data_.swap(storage);
    if (v.OnChange) v.OnChange(&v);
    if (v.OnResize) v.OnResize(&v);
  }
};

}  // namespace dendrokit::detail
