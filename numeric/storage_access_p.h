// Private: gives containers storage obtained beforehand. A routine that fills several
// containers can then obtain all their storage first and change none of them when any of it
// cannot be had.
#pragma once

#include "gfxbase/export.h"

#include <cstdint>
#include <utility>
#include <vector>

#include "numeric/matrix.h"
#include "numeric/vector.h"

namespace dendrokit::detail {

struct DENDROKIT_EXPORT StorageAccess {
  // As m.Resize(columns, rows) with every cell taken from storage (columns * rows values,
  // column by column); never allocates. The old cells are left in storage.
  static void Adopt(TIntMatrix& m, int columns, int rows, std::vector<std::int32_t>& storage) {
    m.data_.swap(storage);
    m.cols_ = columns;
    m.rows_ = rows;
    if (m.OnResize) m.OnResize(&m);
    if (m.OnChange) m.OnChange(&m);
  }
  // Exchanges shape and cells of two containers of one class; never allocates, raises
  // nothing (the caller notifies once every container it exchanges has changed).
  static void Exchange(TIntMatrix& a, TIntMatrix& b) noexcept {
    a.data_.swap(b.data_);
    std::swap(a.cols_, b.cols_);
    std::swap(a.rows_, b.rows_);
  }
  template <typename T>
  static void Exchange(TBasicVector<T>& a, TBasicVector<T>& b) noexcept {
    a.data_.swap(b.data_);
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
