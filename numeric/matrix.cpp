#include "numeric/matrix.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <utility>

#include "gfxbase/errors.h"
#include "numeric/storage_p.h"

namespace dendrokit {

namespace {

constexpr const char* kNoMemory = ": not enough memory on heap";

template <typename T>
std::vector<T> NewStorage(int columns, int rows, const std::string& name) {
  try {
    return detail::MakeStorage<T>(detail::ElementCount(columns, rows));
  } catch (const std::bad_alloc&) {
    throw EVELMatrixError(ComponentMessage(name, kNoMemory));
  } catch (const std::length_error&) {
    throw EVELMatrixError(ComponentMessage(name, kNoMemory));
  }
}

// New column-major array of the new shape holding the cells both shapes share; the old
// array is untouched, so a failure leaves the matrix as it was.
template <typename T>
std::vector<T> Reshaped(const std::vector<T>& data, int oldCols, int oldRows, int cols, int rows,
                        const std::string& name) {
  std::vector<T> out = NewStorage<T>(cols, rows, name);
  const int keepCols = std::min(oldCols, cols);
  const std::size_t keepRows = static_cast<std::size_t>(std::min(oldRows, rows));
  for (int c = 0; c < keepCols; ++c) {
    const auto from = data.begin() + static_cast<std::ptrdiff_t>(c) * oldRows;
    std::copy_n(from, keepRows, out.begin() + static_cast<std::ptrdiff_t>(c) * rows);
  }
  return out;
}

bool InShape(int col, int row, int cols, int rows) {
  return col >= 1 && col <= cols && row >= 1 && row <= rows;
}

std::size_t Offset(int col, int row, int rows) {
  return static_cast<std::size_t>(col - 1) * static_cast<std::size_t>(rows) +
         static_cast<std::size_t>(row - 1);
}

// Window bound rule of FindClosest: (0, 0) is everything, otherwise clamp and order.
std::pair<int, int> NormalisedWindow(int lo, int hi, int size) {
  if (lo == 0 && hi == 0) return {1, size};
  lo = std::clamp(lo, 1, size);
  hi = std::clamp(hi, 1, size);
  if (lo > hi) std::swap(lo, hi);
  return {lo, hi};
}

}  // namespace

// ---- TMatrix

TMatrix::TMatrix(TComponent* owner) : TComponent(owner), data_(NewStorage<double>(1, 1, Name())) {}

int TMatrix::NrOfColumns() const { return cols_; }
int TMatrix::NrOfRows() const { return rows_; }

void TMatrix::SetNrOfColumns(int n) { Resize(std::max(n, 0), rows_); }
void TMatrix::SetNrOfRows(int n) { Resize(cols_, std::max(n, 0)); }

bool TMatrix::Resize(int columns, int rows) {
  if (columns < 1 || rows < 1 || (columns == cols_ && rows == rows_)) return false;
  std::vector<double> next = Reshaped(data_, cols_, rows_, columns, rows, Name());
  data_.swap(next);
  cols_ = columns;
  rows_ = rows;
  if (OnChange) OnChange(this);
  if (OnResize) OnResize(this);
  return true;
}

const std::string& TMatrix::DataID() const { return dataId_; }
void TMatrix::SetDataID(std::string id) { dataId_ = std::move(id); }

double TMatrix::Elem(int col, int row) const {
  return InShape(col, row, cols_, rows_) ? data_[Offset(col, row, rows_)] : 0.0;
}

void TMatrix::SetElem(int col, int row, double value) {
  if (!InShape(col, row, cols_, rows_)) return;
  data_[Offset(col, row, rows_)] = value;
  if (OnChange) OnChange(this);
}

void TMatrix::Fill(double value) {
  std::fill(data_.begin(), data_.end(), value);
  if (OnChange) OnChange(this);
}

// Straight sums over the columns in order 1..n; the clustering repeats exactly these
// operations, so nothing here may be reordered. 0/0 of Jaccard and Dice is NaN.
double TMatrix::Distance(TDistMode mode, int row1, int row2) const {
  const bool in1 = row1 >= 1 && row1 <= rows_;
  const bool in2 = row2 >= 1 && row2 <= rows_;
  const auto x = [&](int i) { return in1 ? data_[Offset(i, row1, rows_)] : 0.0; };
  const auto y = [&](int i) { return in2 ? data_[Offset(i, row2, rows_)] : 0.0; };
  switch (mode) {
    case dmJaccard:
    case dmDice: {
      double sxy = 0.0, sxx = 0.0, syy = 0.0;
      for (int i = 1; i <= cols_; ++i) {
        const double xi = x(i), yi = y(i);
        sxy += xi * yi;
        sxx += xi * xi;
        syy += yi * yi;
      }
      return mode == dmJaccard ? sxy / (sxx + syy - sxy) : 2.0 * sxy / (sxx + syy);
    }
    case dmManhattan: {
      double sum = 0.0;
      for (int i = 1; i <= cols_; ++i) sum += std::abs(x(i) - y(i));
      return sum;
    }
    case dmEuclid:
    case dmEuclidSqr: {
      double sum = 0.0;
      for (int i = 1; i <= cols_; ++i) {
        const double d = x(i) - y(i);
        sum += d * d;
      }
      return mode == dmEuclid ? std::sqrt(sum) : sum;
    }
    case dmUserDef: {
      double distance = 0.0;
      if (OnCalcDistance) OnCalcDistance(const_cast<TMatrix*>(this), row1, row2, distance);
      return distance;
    }
  }
  return 0.0;
}

int TMatrix::CalcDistMatrix(TDistMode mode, TMatrix& distMat) const {
  int result = 0;
  if (distMat.NrOfColumns() != distMat.NrOfRows()) result = -1;
  if (distMat.NrOfColumns() != rows_) result = -2;
  if (result != 0) return result;
  // Every write goes through SetElem and every read through Distance, both range-checked,
  // so distMat being this matrix, or a handler resizing either, cannot reach outside.
  const int n = rows_;
  for (int row1 = 1; row1 <= n - 1; ++row1) {
    distMat.SetElem(row1, row1, 0.0);
    for (int row2 = row1 + 1; row2 <= n; ++row2) {
      const double d = Distance(mode, row1, row2);
      distMat.SetElem(row1, row2, d);
      distMat.SetElem(row2, row1, d);
    }
  }
  distMat.SetElem(n, n, 0.0);
  return 0;
}

void TMatrix::Assign(const TPersistent* source) {
  const auto* src = dynamic_cast<const TMatrix*>(source);
  if (src == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (src == this) return;
  // Everything that may fail comes first, so a failure leaves this matrix as it was.
  std::vector<double> data = NewStorage<double>(src->cols_, src->rows_, Name());
  std::copy(src->data_.begin(), src->data_.end(), data.begin());
  std::string dataId = src->dataId_;
  TNotifyEvent onChange = src->OnChange, onResize = src->OnResize;
  TSortExchgEvent onSortExchange = src->OnSortExchange;
  TOnCalcDistanceEvent onCalcDistance = src->OnCalcDistance;
  TOnPercentDoneEvent onPercentDone = src->OnPercentDone;
  data_.swap(data);
  cols_ = src->cols_;
  rows_ = src->rows_;
  dataId_ = std::move(dataId);
  OnChange = std::move(onChange);
  OnResize = std::move(onResize);
  OnSortExchange = std::move(onSortExchange);
  OnCalcDistance = std::move(onCalcDistance);
  OnPercentDone = std::move(onPercentDone);
}

std::span<const double> TMatrix::Column(int col) const {
  if (col < 1 || col > cols_) return {};
  return std::span<const double>(data_).subspan(Offset(col, 1, rows_),
                                                static_cast<std::size_t>(rows_));
}

std::span<double> TMatrix::Column(int col) {
  if (col < 1 || col > cols_) return {};
  return std::span<double>(data_).subspan(Offset(col, 1, rows_), static_cast<std::size_t>(rows_));
}

// ---- TIntMatrix

TIntMatrix::TIntMatrix(TComponent* owner)
    : TComponent(owner), data_(NewStorage<std::int32_t>(1, 1, Name())) {}

int TIntMatrix::NrOfColumns() const { return cols_; }
int TIntMatrix::NrOfRows() const { return rows_; }

void TIntMatrix::SetNrOfColumns(int n) { Resize(std::max(n, 0), rows_); }
void TIntMatrix::SetNrOfRows(int n) { Resize(cols_, std::max(n, 0)); }

bool TIntMatrix::Resize(int columns, int rows) {
  if (columns < 1 || rows < 1 || (columns == cols_ && rows == rows_)) return false;
  std::vector<std::int32_t> next = Reshaped(data_, cols_, rows_, columns, rows, Name());
  data_.swap(next);
  cols_ = columns;
  rows_ = rows;
  if (OnResize) OnResize(this);
  if (OnChange) OnChange(this);
  return true;
}

const std::string& TIntMatrix::DataID() const { return dataId_; }
void TIntMatrix::SetDataID(std::string id) { dataId_ = std::move(id); }

std::int32_t TIntMatrix::Elem(int col, int row) const {
  return InShape(col, row, cols_, rows_) ? data_[Offset(col, row, rows_)] : 0;
}

void TIntMatrix::SetElem(int col, int row, std::int32_t value) {
  if (!InShape(col, row, cols_, rows_)) return;
  data_[Offset(col, row, rows_)] = value;
  if (OnChange) OnChange(this);
}

void TIntMatrix::Fill(std::int32_t value) {
  std::fill(data_.begin(), data_.end(), value);
  if (OnChange) OnChange(this);
}

// Column-major scan with a strict comparison, so the first nearest element in that order
// wins. The difference is taken in 64 bits: int32 minus int32 can overflow 32.
TIntMatrix::Position TIntMatrix::FindClosest(int colLo, int colHi, int rowLo, int rowHi,
                                             std::int32_t value) const {
  Position found;
  if (data_.empty()) return found;
  const auto [c1, c2] = NormalisedWindow(colLo, colHi, cols_);
  const auto [r1, r2] = NormalisedWindow(rowLo, rowHi, rows_);
  double best = 1.7e308;
  for (int c = c1; c <= c2; ++c) {
    for (int r = r1; r <= r2; ++r) {
      const std::int64_t diff =
          static_cast<std::int64_t>(data_[Offset(c, r, rows_)]) - static_cast<std::int64_t>(value);
      const double d = static_cast<double>(diff < 0 ? -diff : diff);
      if (d < best) {
        best = d;
        found = {c, r};
      }
    }
  }
  return found;
}

std::span<const std::int32_t> TIntMatrix::Column(int col) const {
  if (col < 1 || col > cols_) return {};
  return std::span<const std::int32_t>(data_).subspan(Offset(col, 1, rows_),
                                                      static_cast<std::size_t>(rows_));
}

std::span<std::int32_t> TIntMatrix::Column(int col) {
  if (col < 1 || col > cols_) return {};
  return std::span<std::int32_t>(data_).subspan(Offset(col, 1, rows_),
                                                static_cast<std::size_t>(rows_));
}

}  // namespace dendrokit
