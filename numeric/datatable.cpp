#include "numeric/datatable.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <utility>

#include "gfxbase/errors.h"
#include "numeric/storage_p.h"

namespace dendrokit {

namespace {

constexpr std::string_view kLevelNames[] = {"Unknown", "Nominal", "Ordinal", "Interval", "Ratio"};

std::string DefaultName(char prefix, int index) {
  return std::string{prefix, '-'} + std::to_string(index);
}

// First maxChars characters of UTF-8 text; never splits a multi-byte character.
std::string Truncated(std::string_view text, std::size_t maxChars) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if ((byte & 0xC0) != 0x80 && chars++ == maxChars) return std::string(text.substr(0, i));
  }
  return std::string(text);
}

// A per-column or per-row array of the new length: kept entries copied, the rest made by
// fresh(index), index 1-based.
template <typename T, typename Fresh>
std::vector<T> Resized(const std::vector<T>& old, int n, Fresh fresh) {
  std::vector<T> out = detail::MakeStorage<T>(n);
  const std::size_t keep = std::min(old.size(), out.size());
  std::copy_n(old.begin(), keep, out.begin());
  for (std::size_t i = keep; i < out.size(); ++i) out[i] = fresh(static_cast<int>(i + 1));
  return out;
}

}  // namespace

TDataTable::TDataTable(TComponent* owner)
    : TComponent(owner), matrix_(std::make_unique<TMatrix>()) {
  matrix_->Fill(0.0);
  try {
    meta_.cellState = detail::MakeStorage<std::uint8_t>(1);
    meta_.colNames = detail::MakeStorage<std::string>(1, DefaultName('C', 1));
    meta_.rowNames = detail::MakeStorage<std::string>(1, DefaultName('R', 1));
    meta_.rowAttrib = detail::MakeStorage<std::int32_t>(1);
    meta_.colAttrib = detail::MakeStorage<std::int32_t>(1);
    meta_.varDefs = detail::MakeStorage<TVarDef>(1);
  } catch (const std::bad_alloc&) {
    matrix_.reset();
    throw EVELDataTableError(ComponentMessage(Name(), ": failed to initialize (out of memory)"));
  }
  InstallRelay();
}

TDataTable::~TDataTable() = default;

std::string_view TDataTable::LevelName(std::uint8_t level) {
  return level < std::size(kLevelNames) ? kLevelNames[level] : std::string_view{};
}

void TDataTable::InstallRelay() {
  matrix_->OnChange = [this](TObject*) {
    if (OnChange) OnChange(this);
  };
}

int TDataTable::NrOfColumns() const { return cols_; }
int TDataTable::NrOfRows() const { return rows_; }

void TDataTable::SetNrOfColumns(int n) {
  if (n < 1) return;
  RequestShape(n, reshaping_ ? (pending_ ? pending_->rows : target_.rows) : rows_, false);
}

void TDataTable::SetNrOfRows(int n) {
  if (n < 1) return;
  RequestShape(reshaping_ ? (pending_ ? pending_->columns : target_.columns) : cols_, n, false);
}

void TDataTable::Resize(int columns, int rows) {
  if (columns < 1 || rows < 1) return;
  RequestShape(columns, rows, true);
}

void TDataTable::RequestShape(int columns, int rows, bool installRelay) {
  if (reshaping_) {
    const bool relay = installRelay || (pending_ && pending_->installRelay);
    pending_ = ShapeRequest{columns, rows, relay};
    return;
  }
  // A matrix that a handler resized behind the table's back is brought back in step too.
  if (columns == cols_ && rows == rows_ && matrix_->NrOfColumns() == cols_ &&
      matrix_->NrOfRows() == rows_)
    return;
  Reshape(columns, rows, installRelay);
}

// The metadata of the new shape, built beside the current one. Arrays of a dimension that
// does not change stay empty and are not swapped in.
TDataTable::Metadata TDataTable::Reshaped(int columns, int rows) const {
  // Refuse a shape whose arrays together can never be held before allocating any of them.
  constexpr std::uint64_t perColumn = sizeof(std::string) + sizeof(std::int32_t) + sizeof(TVarDef);
  constexpr std::uint64_t perRow = sizeof(std::string) + sizeof(std::int32_t);
  const std::uint64_t bytes =
      static_cast<std::uint64_t>(detail::ElementCount(columns, rows)) +
      (columns != cols_ ? perColumn * static_cast<std::uint64_t>(columns) : 0) +
      (rows != rows_ ? perRow * static_cast<std::uint64_t>(rows) : 0);
  if (bytes > detail::StorageLimit()) throw std::bad_alloc();

  Metadata next;
  next.cellState = detail::MakeStorage<std::uint8_t>(detail::ElementCount(columns, rows));
  const int keepCols = std::min(cols_, columns);
  const auto keepRows = static_cast<std::size_t>(std::min(rows_, rows));
  for (int c = 0; c < keepCols; ++c)
    std::copy_n(meta_.cellState.begin() + static_cast<std::ptrdiff_t>(c) * rows_, keepRows,
                next.cellState.begin() + static_cast<std::ptrdiff_t>(c) * rows);
  if (columns != cols_) {
    next.colNames = Resized(meta_.colNames, columns, [](int i) { return DefaultName('C', i); });
    next.colAttrib = Resized(meta_.colAttrib, columns, [](int) { return 0; });
    next.varDefs = Resized(meta_.varDefs, columns, [](int) { return TVarDef{}; });
  }
  if (rows != rows_) {
    next.rowNames = Resized(meta_.rowNames, rows, [](int i) { return DefaultName('R', i); });
    next.rowAttrib = Resized(meta_.rowAttrib, rows, [](int) { return 0; });
  }
  return next;
}

// Every array is prepared before anything is committed, so a failure leaves the table with
// its shape, contents and relay. The relay is off while the element matrix changes shape:
// a resize raises OnResize only.
void TDataTable::Reshape(int columns, int rows, bool installRelay) {
  Metadata next;
  try {
    next = Reshaped(columns, rows);
  } catch (const std::bad_alloc&) {
    throw EVELDataTableError(ComponentMessage(Name(), ": not enough memory on heap"));
  }
  const int oldCols = cols_, oldRows = rows_;
  const auto commit = [&] {
    meta_.cellState.swap(next.cellState);
    if (columns != cols_) {
      meta_.colNames.swap(next.colNames);
      meta_.colAttrib.swap(next.colAttrib);
      meta_.varDefs.swap(next.varDefs);
    }
    if (rows != rows_) {
      meta_.rowNames.swap(next.rowNames);
      meta_.rowAttrib.swap(next.rowAttrib);
    }
    cols_ = columns;
    rows_ = rows;
  };

  TNotifyEvent saved = std::move(matrix_->OnChange);
  matrix_->OnChange = nullptr;
  // Handlers of the matrix run inside its Resize, before the table's arrays match it: their
  // shape changes are queued, not nested.
  reshaping_ = true;
  target_ = ShapeRequest{columns, rows, installRelay};
  pending_.reset();
  try {
    matrix_->Resize(columns, rows);
  } catch (...) {
    reshaping_ = false;
    pending_.reset();
    // Either the matrix had no storage (it is unchanged) or its own OnResize handler threw
    // after the reshape; in the latter case the table follows so that the two stay in step.
    if (matrix_->NrOfColumns() == columns && matrix_->NrOfRows() == rows) commit();
    matrix_->OnChange = std::move(saved);
    throw;
  }
  reshaping_ = false;
  commit();
  if (installRelay)
    InstallRelay();
  else
    matrix_->OnChange = std::move(saved);
  std::optional<ShapeRequest> queued = std::exchange(pending_, std::nullopt);
  // A handler that resized the matrix itself: the table takes the matrix's shape.
  if (!queued && (matrix_->NrOfColumns() != cols_ || matrix_->NrOfRows() != rows_))
    queued = ShapeRequest{matrix_->NrOfColumns(), matrix_->NrOfRows(), false};
  if (OnResize) OnResize(this, oldCols, oldRows, cols_, rows_);
  if (queued)
    RequestShape(queued->columns, queued->rows, queued->installRelay);
}

double TDataTable::Elem(int col, int row) const { return matrix_->Elem(col, row); }

void TDataTable::SetElem(int col, int row, double value) {
  if (col < 1 || col > cols_ || row < 1 || row > rows_) return;
  matrix_->SetElem(col, row, value);
  if (OnChange) OnChange(this);
}

TMatrix& TDataTable::DataMatrix() { return *matrix_; }
const TMatrix& TDataTable::DataMatrix() const { return *matrix_; }

const std::string& TDataTable::Comment() const { return comment_; }

void TDataTable::SetComment(std::string_view text) {
  std::string kept;
  kept.reserve(text.size());
  for (const char ch : text)
    if (static_cast<unsigned char>(ch) >= 32) kept.push_back(ch);
  comment_ = std::move(kept);
  if (OnChangeSetup) OnChangeSetup(this);
}

const std::string& TDataTable::ColName(int col) const {
  static const std::string none;
  return col >= 1 && col <= cols_ ? meta_.colNames[static_cast<std::size_t>(col - 1)] : none;
}

void TDataTable::SetColName(int col, std::string_view name) {
  if (col < 1 || col > cols_) return;
  std::string cut = Truncated(name, kMaxNameLength);
  std::string& slot = meta_.colNames[static_cast<std::size_t>(col - 1)];
  if (slot == cut) return;
  slot = std::move(cut);
  if (OnChangeNames) OnChangeNames(this);
}

const std::string& TDataTable::RowName(int row) const {
  static const std::string none;
  return row >= 1 && row <= rows_ ? meta_.rowNames[static_cast<std::size_t>(row - 1)] : none;
}

void TDataTable::SetRowName(int row, std::string_view name) {
  if (row < 1 || row > rows_) return;
  std::string cut = Truncated(name, kMaxNameLength);
  std::string& slot = meta_.rowNames[static_cast<std::size_t>(row - 1)];
  if (slot == cut) return;
  slot = std::move(cut);
  if (OnChangeNames) OnChangeNames(this);
}

std::int32_t TDataTable::ColAttrib(int col) const {
  return col >= 1 && col <= cols_ ? meta_.colAttrib[static_cast<std::size_t>(col - 1)] : 0;
}

void TDataTable::SetColAttrib(int col, std::int32_t value) {
  if (col < 1 || col > cols_) return;
  std::int32_t& slot = meta_.colAttrib[static_cast<std::size_t>(col - 1)];
  if (slot == value) return;
  slot = value;
  if (OnChangeAttrib) OnChangeAttrib(this);
}

std::int32_t TDataTable::RowAttrib(int row) const {
  return row >= 1 && row <= rows_ ? meta_.rowAttrib[static_cast<std::size_t>(row - 1)] : 0;
}

void TDataTable::SetRowAttrib(int row, std::int32_t value) {
  if (row < 1 || row > rows_) return;
  std::int32_t& slot = meta_.rowAttrib[static_cast<std::size_t>(row - 1)];
  if (slot == value) return;
  slot = value;
  if (OnChangeAttrib) OnChangeAttrib(this);
}

std::uint8_t TDataTable::CellState(int col, int row) const {
  if (col < 1 || col > cols_ || row < 1 || row > rows_) return 0;
  return meta_.cellState[static_cast<std::size_t>(col - 1) * static_cast<std::size_t>(rows_) +
                         static_cast<std::size_t>(row - 1)];
}

void TDataTable::SetCellState(int col, int row, std::uint8_t value) {
  if (col < 1 || col > cols_ || row < 1 || row > rows_) return;
  std::uint8_t& slot =
      meta_.cellState[static_cast<std::size_t>(col - 1) * static_cast<std::size_t>(rows_) +
                      static_cast<std::size_t>(row - 1)];
  if (slot == value) return;
  slot = value;
  if (OnChangeCellState) OnChangeCellState(this);
}

const TVarDef& TDataTable::VarDef(int col) const {
  static const TVarDef none{.Level = 0, .Labels = {}};
  return col >= 1 && col <= cols_ ? meta_.varDefs[static_cast<std::size_t>(col - 1)] : none;
}

void TDataTable::SetVarDef(int col, const TVarDef& def) {
  if (col < 1 || col > cols_) return;
  TVarDef cut;
  cut.Level = def.Level;
  for (std::size_t i = 0; i < cut.Labels.size(); ++i)
    cut.Labels[i] = Truncated(def.Labels[i], TVarDef::kMaxLabelLength);
  TVarDef& slot = meta_.varDefs[static_cast<std::size_t>(col - 1)];
  if (slot == cut) return;
  slot = std::move(cut);
  if (OnChangeSetup) OnChangeSetup(this);
}

void TDataTable::Assign(const TPersistent* source) {
  const auto* src = dynamic_cast<const TDataTable*>(source);
  if (src == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (src == this) return;
  if (reshaping_)
    throw EVELDataTableError(ComponentMessage(Name(), ": cannot be assigned while it changes shape"));
  // Copies first, commit after: a failure leaves this table as it was.
  Metadata meta;
  std::string comment;
  TNotifyEvent onChange, onChangeSetup, onChangeNames, onChangeCellState, onChangeAttrib;
  TOnPercentDoneEvent onPercentDone;
  TDataTableResizeEvent onResize;
  TSortExchgEvent onSortExchange;
  TExportTextEvent onExportText;
  TNotifyEvent mOnChange, mOnResize;
  TSortExchgEvent mOnSortExchange;
  TOnCalcDistanceEvent mOnCalcDistance;
  TOnPercentDoneEvent mOnPercentDone;
  try {
    meta = src->meta_;
    comment = src->comment_;
    onChange = src->OnChange;
    onChangeSetup = src->OnChangeSetup;
    onChangeNames = src->OnChangeNames;
    onChangeCellState = src->OnChangeCellState;
    onChangeAttrib = src->OnChangeAttrib;
    onPercentDone = src->OnPercentDone;
    onResize = src->OnResize;
    onSortExchange = src->OnSortExchange;
    onExportText = src->OnExportText;
    mOnChange = matrix_->OnChange;
    mOnResize = matrix_->OnResize;
    mOnSortExchange = matrix_->OnSortExchange;
    mOnCalcDistance = matrix_->OnCalcDistance;
    mOnPercentDone = matrix_->OnPercentDone;
  } catch (const std::bad_alloc&) {
    throw EVELDataTableError(ComponentMessage(Name(), ": not enough memory on heap"));
  }
  matrix_->Assign(src->matrix_.get());
  matrix_->OnChange = std::move(mOnChange);
  matrix_->OnResize = std::move(mOnResize);
  matrix_->OnSortExchange = std::move(mOnSortExchange);
  matrix_->OnCalcDistance = std::move(mOnCalcDistance);
  matrix_->OnPercentDone = std::move(mOnPercentDone);

  meta_ = std::move(meta);
  comment_ = std::move(comment);
  cols_ = src->cols_;
  rows_ = src->rows_;
  OnChange = std::move(onChange);
  OnChangeSetup = std::move(onChangeSetup);
  OnChangeNames = std::move(onChangeNames);
  OnChangeCellState = std::move(onChangeCellState);
  OnChangeAttrib = std::move(onChangeAttrib);
  OnPercentDone = std::move(onPercentDone);
  OnResize = std::move(onResize);
  OnSortExchange = std::move(onSortExchange);
  OnExportText = std::move(onExportText);
}

}  // namespace dendrokit
