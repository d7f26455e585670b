// 1-based matrices of doubles and 32-bit integers, addressed Elem(col, row), stored column
// by column. Out-of-range reads give 0, out-of-range writes are ignored; both sizes are
// always at least 1.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "gfxbase/component.h"
#include "gfxbase/enums.h"
#include "gfxbase/types.h"

namespace dendrokit {

namespace detail {
struct StorageAccess;
}

class TMatrix : public TComponent {
 public:
  explicit TMatrix(TComponent* owner = nullptr);
  std::string_view ClassName() const override { return "TMatrix"; }

  int NrOfColumns() const;
  int NrOfRows() const;
  // Negative values count as 0; any value below 1 leaves the matrix unchanged.
  void SetNrOfColumns(int n);
  void SetNrOfRows(int n);
  // False (and nothing happens) when a size is below 1 or both equal the current ones.
  // Kept cells keep their values, new cells are 0; then OnChange, then OnResize.
  // EVELMatrixError when storage cannot be obtained; the matrix then stays as it was.
  bool Resize(int columns, int rows);

  const std::string& DataID() const;
  void SetDataID(std::string id);

  double Elem(int col, int row) const;
  void SetElem(int col, int row, double value);
  // Every element := value, then OnChange once.
  void Fill(double value);

  // Distance between rows row1 and row2 over all columns, summed in column order.
  // Jaccard and Dice of two all-zero rows are NaN (0/0).
  double Distance(TDistMode mode, int row1, int row2) const;
  // Fills distMat (N x N, N = NrOfRows) with all row distances through SetElem.
  // 0 on success, -1 when distMat is not square, -2 when its size is not N (checked last).
  int CalcDistMatrix(TDistMode mode, TMatrix& distMat) const;

  // Copies shape, DataID, elements and all five handlers of another TMatrix, raising nothing;
  // other sources take the standard fallback. EVELMatrixError when storage cannot be
  // obtained; the matrix then stays as it was.
  void Assign(const TPersistent* source) override;

  // One column's storage (row 1 at index 0); empty span outside 1..NrOfColumns.
  // Writes through it raise nothing.
  std::span<const double> Column(int col) const;
  std::span<double> Column(int col);

  TNotifyEvent OnChange;
  TNotifyEvent OnResize;
  TSortExchgEvent OnSortExchange;
  TOnCalcDistanceEvent OnCalcDistance;
  TOnPercentDoneEvent OnPercentDone;

 private:
  int cols_ = 1;
  int rows_ = 1;
  std::string dataId_;
  std::vector<double> data_;
};

class TIntMatrix : public TComponent {
 public:
  explicit TIntMatrix(TComponent* owner = nullptr);
  std::string_view ClassName() const override { return "TIntMatrix"; }

  int NrOfColumns() const;
  int NrOfRows() const;
  void SetNrOfColumns(int n);
  void SetNrOfRows(int n);
  // As TMatrix::Resize, but a change raises OnResize before OnChange.
  bool Resize(int columns, int rows);

  const std::string& DataID() const;
  void SetDataID(std::string id);

  std::int32_t Elem(int col, int row) const;
  void SetElem(int col, int row, std::int32_t value);
  void Fill(std::int32_t value);

  // Position of the element nearest to value inside the window; ties go to the lower
  // column, then the lower row. (0, 0) only when the matrix has no storage.
  struct Position {
    int col = 0;
    int row = 0;
  };
  Position FindClosest(int colLo, int colHi, int rowLo, int rowHi, std::int32_t value) const;

  std::span<const std::int32_t> Column(int col) const;
  std::span<std::int32_t> Column(int col);

  TNotifyEvent OnChange;
  TNotifyEvent OnResize;
  TOnPercentDoneEvent OnPercentDone;
  TSortExchgEvent OnSortExchange;

 private:
  friend struct detail::StorageAccess;
  int cols_ = 1;
  int rows_ = 1;
  std::string dataId_;
  std::vector<std::int32_t> data_;
};

}  // namespace dendrokit
