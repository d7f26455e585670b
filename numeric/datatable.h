// The table of objects to be clustered: values in an owned TMatrix (one row per object, one
// column per variable) plus names, attributes and states of its rows, columns and cells.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gfxbase/component.h"
#include "gfxbase/types.h"
#include "numeric/matrix.h"

namespace dendrokit {

using TDataTableResizeEvent =
    std::function<void(TObject* sender, int oldColumns, int oldRows, int newColumns, int newRows)>;

// Definition of one variable (column): its level of measurement and up to 151 value labels.
struct TVarDef {
  static constexpr int kLabelCount = 151;
  static constexpr std::size_t kMaxLabelLength = 10;
  std::uint8_t Level = 3;  // 0 Unknown, 1 Nominal, 2 Ordinal, 3 Interval, 4 Ratio
  std::array<std::string, kLabelCount> Labels;  // Labels[0] is label 1
  bool operator==(const TVarDef&) const = default;
};

class TDataTable : public TComponent {
 public:
  static constexpr std::size_t kMaxNameLength = 50;

  // A 1 x 1 table holding 0.0. EVELMatrixError when the element matrix cannot be created,
  // EVELDataTableError when the rest cannot.
  explicit TDataTable(TComponent* owner = nullptr);
  ~TDataTable() override;
  std::string_view ClassName() const override { return "TDataTable"; }

  // "Unknown", "Nominal", "Ordinal", "Interval", "Ratio"; empty for other codes.
  static std::string_view LevelName(std::uint8_t level);

  int NrOfColumns() const;
  int NrOfRows() const;
  // Shape changes keep what both shapes share and give new columns and rows default names
  // ("C-<n>", "R-<n>"), zero attributes, states and values, and level 3. They raise OnResize
  // and no OnChange. Sizes below 1 and unchanged sizes are ignored. When storage cannot be
  // obtained the table stays exactly as it was: EVELDataTableError for the table's own
  // arrays, EVELMatrixError for the element matrix.
  // A shape change asked for by a DataMatrix handler while the table changes shape is made
  // after the running one has finished (the last such request wins); if a handler resizes
  // DataMatrix itself, the table then follows its matrix.
  void SetNrOfColumns(int n);
  void SetNrOfRows(int n);
  // Also hands DataMatrix's OnChange back to the table's change relay.
  void Resize(int columns, int rows);

  // Reads through DataMatrix: 0.0 outside its shape.
  double Elem(int col, int row) const;
  // Stores through DataMatrix, whose change is relayed, then raises OnChange itself:
  // OnChange runs twice. Ignored outside the table's shape.
  void SetElem(int col, int row, double value);

  // The values. Its OnChange is the table's change relay; resize the table, not the matrix.
  TMatrix& DataMatrix();
  const TMatrix& DataMatrix() const;

  const std::string& Comment() const;
  // Stores text without its control characters (codes below 32); always raises OnChangeSetup.
  void SetComment(std::string_view text);

  // Out-of-range reads give an empty name, 0, or a record with level 0; out-of-range writes
  // are ignored. Names are cut to 50 characters and labels to 10. A write that changes
  // something raises OnChangeNames, OnChangeAttrib, OnChangeCellState or, for a variable
  // definition, OnChangeSetup.
  const std::string& ColName(int col) const;
  void SetColName(int col, std::string_view name);
  const std::string& RowName(int row) const;
  void SetRowName(int row, std::string_view name);
  std::int32_t ColAttrib(int col) const;
  void SetColAttrib(int col, std::int32_t value);
  std::int32_t RowAttrib(int row) const;
  void SetRowAttrib(int row, std::int32_t value);
  std::uint8_t CellState(int col, int row) const;
  void SetCellState(int col, int row, std::uint8_t value);
  const TVarDef& VarDef(int col) const;
  void SetVarDef(int col, const TVarDef& def);

  // Copies comment, shape, values (with DataID), names, attributes, variable definitions,
  // cell states and the nine handlers of another TDataTable, raising nothing. DataMatrix
  // keeps its own handlers, so it goes on relaying to this table. EVELDataTableError when
  // called by a DataMatrix handler while the table changes shape.
  void Assign(const TPersistent* source) override;

  TNotifyEvent OnChange;
  TNotifyEvent OnChangeSetup;
  TNotifyEvent OnChangeNames;
  TNotifyEvent OnChangeCellState;
  TNotifyEvent OnChangeAttrib;
  TOnPercentDoneEvent OnPercentDone;
  TDataTableResizeEvent OnResize;
  TSortExchgEvent OnSortExchange;
  TExportTextEvent OnExportText;

 private:
  struct Metadata {
    std::vector<std::uint8_t> cellState;  // column by column, like the values
    std::vector<std::string> colNames;
    std::vector<std::string> rowNames;
    std::vector<std::int32_t> colAttrib;
    std::vector<std::int32_t> rowAttrib;
    std::vector<TVarDef> varDefs;
  };

  // A shape change waiting for the running one to finish.
  struct ShapeRequest {
    int columns = 0;
    int rows = 0;
    bool installRelay = false;
  };

  Metadata Reshaped(int columns, int rows) const;
  void RequestShape(int columns, int rows, bool installRelay);
  void Reshape(int columns, int rows, bool installRelay);
  void InstallRelay();

  int cols_ = 1;
  int rows_ = 1;
  // Set between the element matrix's reshape and the commit of the table's arrays: the
  // table is not consistent then, so shape changes wait in pending_.
  bool reshaping_ = false;
  ShapeRequest target_;
  std::optional<ShapeRequest> pending_;
  std::unique_ptr<TMatrix> matrix_;
  std::string comment_;
  Metadata meta_;
};

}  // namespace dendrokit
