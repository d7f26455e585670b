#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "gfxbase/errors.h"
#include "numeric/datatable.h"
#include "numeric/storage_p.h"

namespace dendrokit {
namespace datatable_suite {

class StorageLimit {
 public:
  explicit StorageLimit(std::size_t bytes) { detail::SetStorageLimitForTesting(bytes); }
  ~StorageLimit() { detail::SetStorageLimitForTesting(0); }
};

using ResizeCall = std::tuple<TObject*, int, int, int, int>;

// Records every notification of a table, in order.
struct Recorder {
  explicit Recorder(TDataTable& t) {
    t.OnChange = [this](TObject* s) { log.push_back("change"), senders.push_back(s); };
    t.OnChangeSetup = [this](TObject*) { log.push_back("setup"); };
    t.OnChangeNames = [this](TObject*) { log.push_back("names"); };
    t.OnChangeCellState = [this](TObject*) { log.push_back("cellstate"); };
    t.OnChangeAttrib = [this](TObject*) { log.push_back("attrib"); };
    t.OnResize = [this](TObject* s, int oc, int orr, int nc, int nr) {
      log.push_back("resize");
      resizes.emplace_back(s, oc, orr, nc, nr);
    };
  }
  std::vector<std::string> log;
  std::vector<TObject*> senders;
  std::vector<ResizeCall> resizes;
};

using Log = std::vector<std::string>;

TEST(DataTable, NewTableDefaults) {
  TDataTable t;
  EXPECT_EQ(t.NrOfColumns(), 1);
  EXPECT_EQ(t.NrOfRows(), 1);
  EXPECT_EQ(t.DataMatrix().NrOfColumns(), 1);
  EXPECT_EQ(t.Elem(1, 1), 0.0);
  EXPECT_EQ(t.ColName(1), "C-1");
  EXPECT_EQ(t.RowName(1), "R-1");
  EXPECT_EQ(t.ColAttrib(1), 0);
  EXPECT_EQ(t.RowAttrib(1), 0);
  EXPECT_EQ(t.CellState(1, 1), 0);
  EXPECT_EQ(t.VarDef(1).Level, 3);
  EXPECT_EQ(t.VarDef(1).Labels[150], "");
  EXPECT_EQ(t.Comment(), "");
  EXPECT_EQ(TDataTable::LevelName(t.VarDef(1).Level), "Interval");
  EXPECT_EQ(TDataTable::LevelName(0), "Unknown");
  EXPECT_EQ(TDataTable::LevelName(4), "Ratio");
  EXPECT_EQ(TDataTable::LevelName(5), "");
  // Out of range reads.
  EXPECT_EQ(t.ColName(2), "");
  EXPECT_EQ(t.RowName(0), "");
  EXPECT_EQ(t.CellState(1, 2), 0);
  EXPECT_EQ(t.VarDef(0).Level, 0);
  EXPECT_EQ(t.Elem(2, 1), 0.0);
}

TEST(DataTable, ResizeNamesNewColumnsAndRowsAndRaisesOnlyOnResize) {
  TDataTable t;
  Recorder rec(t);
  t.Resize(2, 60);
  EXPECT_EQ(rec.log, Log{"resize"});
  EXPECT_EQ(rec.resizes, std::vector<ResizeCall>{ResizeCall(&t, 1, 1, 2, 60)});
  EXPECT_EQ(t.DataMatrix().NrOfColumns(), 2);
  EXPECT_EQ(t.DataMatrix().NrOfRows(), 60);
  EXPECT_EQ(t.ColName(2), "C-2");
  EXPECT_EQ(t.RowName(60), "R-60");
  EXPECT_EQ(t.RowName(12), "R-12");
  for (int c = 1; c <= 2; ++c)
    for (int r = 1; r <= 60; ++r) ASSERT_EQ(t.Elem(c, r), 0.0);

  rec.log.clear();
  t.Resize(2, 60);
  EXPECT_TRUE(rec.log.empty()) << "the current shape raises nothing";
}

TEST(DataTable, SizesBelowOneAreRefusedBeforeAnythingChanges) {
  TDataTable t;
  t.Resize(2, 3);
  Recorder rec(t);
  int matrixResizes = 0;
  t.DataMatrix().OnResize = [&](TObject*) { ++matrixResizes; };
  t.Resize(0, 5);
  t.Resize(5, -1);
  t.SetNrOfColumns(0);
  t.SetNrOfRows(INT_MIN);
  t.SetNrOfRows(3);
  EXPECT_EQ(t.NrOfColumns(), 2);
  EXPECT_EQ(t.NrOfRows(), 3);
  EXPECT_EQ(t.ColName(2), "C-2");
  EXPECT_TRUE(rec.log.empty());
  EXPECT_EQ(matrixResizes, 0);
}

TEST(DataTable, ShapeChangesKeepExistingMetadataAndDefaultTheNew) {
  TDataTable t;
  t.Resize(2, 3);
  t.SetRowName(1, "first");
  t.SetRowName(3, "third");
  t.SetColName(2, "height");
  t.SetRowAttrib(3, 7);
  t.SetColAttrib(2, -4);
  t.SetCellState(2, 3, 9);
  TVarDef def;
  def.Level = 1;
  def.Labels[0] = "low";
  t.SetVarDef(2, def);
  t.SetElem(2, 3, 1.5);
  Recorder rec(t);

  t.SetNrOfRows(5);
  EXPECT_EQ(t.RowName(1), "first");
  EXPECT_EQ(t.RowName(3), "third");
  EXPECT_EQ(t.RowName(4), "R-4");
  EXPECT_EQ(t.RowName(5), "R-5");
  EXPECT_EQ(t.RowAttrib(3), 7);
  EXPECT_EQ(t.CellState(2, 3), 9);
  EXPECT_EQ(t.CellState(2, 4), 0);
  EXPECT_EQ(t.Elem(2, 3), 1.5);

  t.SetNrOfRows(2);
  t.SetNrOfRows(3);
  EXPECT_EQ(t.RowName(3), "R-3") << "a dropped row comes back with its default name";
  EXPECT_EQ(t.RowAttrib(3), 0);
  EXPECT_EQ(t.CellState(2, 3), 0);
  EXPECT_EQ(t.Elem(2, 3), 0.0);

  t.SetNrOfColumns(4);
  EXPECT_EQ(t.ColName(2), "height");
  EXPECT_EQ(t.ColName(4), "C-4");
  EXPECT_EQ(t.ColAttrib(2), -4);
  EXPECT_EQ(t.VarDef(2), def);
  EXPECT_EQ(t.VarDef(4), TVarDef{});
  EXPECT_EQ(t.RowName(1), "first") << "a column change leaves the rows alone";

  t.Resize(1, 4);
  t.Resize(3, 4);
  EXPECT_EQ(t.ColName(2), "C-2");
  EXPECT_EQ(t.VarDef(2).Level, 3);
  EXPECT_EQ(t.RowName(4), "R-4");

  EXPECT_EQ(rec.log, Log(6, "resize"));
  EXPECT_EQ(rec.resizes[0], ResizeCall(&t, 2, 3, 2, 5));
  EXPECT_EQ(rec.resizes[3], ResizeCall(&t, 2, 3, 4, 3));
  EXPECT_EQ(rec.resizes[5], ResizeCall(&t, 1, 4, 3, 4));
}

TEST(DataTable, ElemWriteRaisesOnChangeTwiceAndIsIgnoredOutsideTheShape) {
  TDataTable t;
  t.Resize(2, 60);
  Recorder rec(t);
  t.SetElem(2, 60, 4.25);
  EXPECT_EQ(t.DataMatrix().Elem(2, 60), 4.25);
  EXPECT_EQ(rec.log, (Log{"change", "change"}));
  EXPECT_EQ(rec.senders, (std::vector<TObject*>{&t, &t}));
  t.SetElem(3, 1, 1.0);
  t.SetElem(1, 61, 1.0);
  t.SetElem(0, 0, 1.0);
  EXPECT_EQ(rec.log.size(), 2u);
}

TEST(DataTable, MatrixChangesAreRelayedOnceWithTheTableAsSender) {
  TDataTable t;
  t.Resize(3, 3);
  Recorder rec(t);
  t.DataMatrix().SetElem(1, 1, 2.0);
  t.DataMatrix().Fill(1.0);
  t.DataMatrix().SetElem(9, 9, 2.0);
  EXPECT_EQ(rec.log, (Log{"change", "change"}));
  EXPECT_EQ(rec.senders, (std::vector<TObject*>{&t, &t}));
}

TEST(DataTable, SingleSizeChangesRestoreTheMatrixSlotResizeReinstallsTheRelay) {
  TDataTable t;
  Recorder rec(t);
  int own = 0;
  t.DataMatrix().OnChange = [&](TObject*) { ++own; };
  t.SetNrOfRows(3);
  t.SetNrOfColumns(2);
  t.DataMatrix().SetElem(1, 1, 1.0);
  EXPECT_EQ(own, 1) << "the saved slot is put back";
  t.Resize(3, 3);
  t.DataMatrix().SetElem(1, 1, 2.0);
  EXPECT_EQ(own, 1);
  EXPECT_EQ(rec.log, (Log{"resize", "resize", "resize", "change"}));
}

TEST(DataTable, CommentDropsControlCharactersAndAlwaysRaisesOnChangeSetup) {
  TDataTable t;
  Recorder rec(t);
  t.SetComment("two\tgroups\r\nof \x01points \xC3\xA4");
  EXPECT_EQ(t.Comment(), "twogroupsof points \xC3\xA4");
  t.SetComment("twogroupsof points \xC3\xA4");
  t.SetComment("");
  EXPECT_EQ(t.Comment(), "");
  EXPECT_EQ(rec.log, (Log{"setup", "setup", "setup"}));
}

TEST(DataTable, MetadataSettersCutIgnoreAndNotifyOnlyOnChange) {
  TDataTable t;
  t.Resize(2, 2);
  Recorder rec(t);
  t.SetColName(1, std::string(60, 'x'));
  EXPECT_EQ(t.ColName(1), std::string(50, 'x'));
  // 49 ASCII characters and then a two-byte character: kept whole, never split.
  t.SetRowName(1, std::string(49, 'a') + "\xC3\xA4" + "zz");
  EXPECT_EQ(t.RowName(1), std::string(49, 'a') + "\xC3\xA4");
  t.SetColName(1, std::string(50, 'x'));
  t.SetColName(3, "ignored");
  t.SetRowAttrib(2, 5);
  t.SetRowAttrib(2, 5);
  t.SetColAttrib(0, 5);
  t.SetCellState(2, 2, 1);
  t.SetCellState(2, 2, 1);
  t.SetCellState(3, 2, 1);
  TVarDef def;
  def.Labels[150] = "a label that is too long";
  t.SetVarDef(2, def);
  t.SetVarDef(2, def);
  t.SetVarDef(3, def);
  EXPECT_EQ(t.VarDef(2).Labels[150], "a label th");
  EXPECT_EQ(rec.log, (Log{"names", "names", "attrib", "cellstate", "setup"}));
}

TEST(DataTable, AssignCopiesEverythingButTheMatrixHandlers) {
  TDataTable src, dst;
  src.Resize(2, 3);
  src.SetComment("source");
  src.SetElem(2, 3, 8.0);
  src.DataMatrix().SetDataID("pts");
  src.SetColName(2, "y");
  src.SetRowName(3, "third");
  src.SetColAttrib(1, 4);
  src.SetRowAttrib(2, 6);
  src.SetCellState(2, 1, 3);
  TVarDef def;
  def.Level = 4;
  def.Labels[3] = "four";
  src.SetVarDef(1, def);
  Recorder rec(src);
  int srcMatrixResizes = 0;
  src.DataMatrix().OnResize = [&](TObject*) { ++srcMatrixResizes; };
  src.OnPercentDone = [](TObject*, int) {};
  src.OnSortExchange = [](TObject*, std::uint8_t, int, int, int, int) {};
  src.OnExportText = [](TObject*, int, int, std::string&) {};
  int dstCalls = 0;
  dst.OnChange = [&](TObject*) { ++dstCalls; };

  dst.Assign(&src);
  EXPECT_TRUE(rec.log.empty());
  EXPECT_EQ(dstCalls, 0);
  EXPECT_EQ(dst.NrOfColumns(), 2);
  EXPECT_EQ(dst.NrOfRows(), 3);
  EXPECT_EQ(dst.Comment(), "source");
  EXPECT_EQ(dst.Elem(2, 3), 8.0);
  EXPECT_EQ(dst.DataMatrix().DataID(), "pts");
  EXPECT_EQ(dst.ColName(2), "y");
  EXPECT_EQ(dst.RowName(3), "third");
  EXPECT_EQ(dst.ColAttrib(1), 4);
  EXPECT_EQ(dst.RowAttrib(2), 6);
  EXPECT_EQ(dst.CellState(2, 1), 3);
  EXPECT_EQ(dst.VarDef(1), def);
  EXPECT_TRUE(dst.OnPercentDone && dst.OnSortExchange && dst.OnExportText);

  // The target's matrix relays to the target, which now holds the source's handlers.
  dst.DataMatrix().SetElem(1, 1, 1.0);
  dst.SetColName(1, "x");
  dst.SetComment("");
  dst.SetColAttrib(1, 0);
  dst.SetCellState(1, 1, 1);
  dst.SetNrOfRows(4);
  EXPECT_EQ(rec.log, (Log{"change", "names", "setup", "attrib", "cellstate", "resize"}));
  EXPECT_EQ(rec.senders, std::vector<TObject*>{&dst});
  EXPECT_EQ(srcMatrixResizes, 0) << "matrix handlers are not copied";
  EXPECT_EQ(src.Elem(1, 1), 0.0);
  EXPECT_EQ(src.ColName(1), "C-1");
}

TEST(DataTable, AssignFromAnotherClassTakesTheStandardFallback) {
  TDataTable t;
  TMatrix m;
  try {
    t.Assign(&m);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TMatrix to a TDataTable");
  }
  try {
    m.Assign(&t);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TDataTable to a TMatrix");
  }
}

// ---- Storage failures: the table keeps its shape, contents and relay.

void ExpectUnchanged(TDataTable& t, Recorder& rec) {
  EXPECT_EQ(t.NrOfColumns(), 10);
  EXPECT_EQ(t.NrOfRows(), 1);
  EXPECT_EQ(t.DataMatrix().NrOfColumns(), 10);
  EXPECT_EQ(t.DataMatrix().NrOfRows(), 1);
  EXPECT_EQ(t.ColName(10), "own");
  EXPECT_EQ(t.Elem(10, 1), 2.5);
  EXPECT_TRUE(rec.log.empty());
  t.DataMatrix().SetElem(1, 1, 1.0);
  EXPECT_EQ(rec.log, Log{"change"}) << "relay lost";
  rec.log.clear();
}

TEST(DataTableFailure, ShapeChangeWithoutStorageRaisesAndChangesNothing) {
  TDataTable t;
  t.SetName("tbl");
  t.Resize(10, 1);
  t.SetColName(10, "own");
  t.SetElem(10, 1, 2.5);
  Recorder rec(t);

  try {
    t.Resize(INT_MAX, INT_MAX);
    FAIL();
  } catch (const EVELDataTableError& e) {
    EXPECT_STREQ(e.what(), "Component \"tbl\": not enough memory on heap");
  }
  ExpectUnchanged(t, rec);
  EXPECT_THROW(t.SetNrOfColumns(INT_MAX), EVELDataTableError);
  ExpectUnchanged(t, rec);

  StorageLimit limit(4096);
  // Cell states, names and attributes fit; the variable definitions of 20 columns do not.
  EXPECT_THROW(t.Resize(20, 2), EVELDataTableError);
  ExpectUnchanged(t, rec);
  // Metadata for 60 rows fits, the 600 values of the element matrix do not.
  try {
    t.SetNrOfRows(60);
    FAIL();
  } catch (const EVELMatrixError& e) {
    EXPECT_STREQ(e.what(), "Component \"\": not enough memory on heap");
  }
  ExpectUnchanged(t, rec);
  EXPECT_THROW(t.Resize(10, 60), EVELMatrixError);
  ExpectUnchanged(t, rec);
}

TEST(DataTableFailure, CreationWithoutStorage) {
  TComponent owner;
  {
    StorageLimit limit(1024);  // enough for the element matrix, not for a variable definition
    try {
      TDataTable t(&owner);
      FAIL();
    } catch (const EVELDataTableError& e) {
      EXPECT_STREQ(e.what(), "Component \"\": failed to initialize (out of memory)");
    }
  }
  {
    StorageLimit limit(1);
    EXPECT_THROW(TDataTable{&owner}, EVELMatrixError);
  }
  EXPECT_TRUE(owner.Components().empty());
}

TEST(DataTableFailure, AssignWithoutStorageKeepsTheTarget) {
  TDataTable src, dst;
  src.Resize(2, 100);
  dst.SetComment("mine");
  int calls = 0;
  dst.OnChange = [&](TObject*) { ++calls; };
  {
    StorageLimit limit(512);
    EXPECT_THROW(dst.Assign(&src), EVELError);
  }
  EXPECT_EQ(dst.NrOfRows(), 1);
  EXPECT_EQ(dst.Comment(), "mine");
  dst.DataMatrix().SetElem(1, 1, 1.0);
  EXPECT_EQ(calls, 1);
}

TEST(DataTableFailure, ThrowingMatrixHandlerLeavesTableInStepWithItsMatrix) {
  TDataTable t;
  Recorder rec(t);
  t.DataMatrix().OnResize = [](TObject*) { throw std::runtime_error("handler"); };
  EXPECT_THROW(t.Resize(2, 3), std::runtime_error);
  EXPECT_EQ(t.NrOfColumns(), t.DataMatrix().NrOfColumns());
  EXPECT_EQ(t.NrOfRows(), t.DataMatrix().NrOfRows());
  EXPECT_EQ(t.RowName(3), "R-3");
  t.DataMatrix().SetElem(1, 1, 1.0);
  EXPECT_EQ(rec.log, Log{"change"});
}

// Regression: a DataMatrix handler that resized the table during a resize left the table's
// arrays out of step with its matrix (RowName then read an empty array).
struct ReentrantCase {
  const char* name;
  std::function<void(TDataTable&)> inHandler;  // runs in the matrix's first OnResize
  int columns, rows;                           // the outer Resize
  int endColumns, endRows;
  std::vector<ResizeCall> resizes;  // sender left out (nullptr)
};

void PrintTo(const ReentrantCase& c, std::ostream* os) { *os << c.name; }

class DataTableReentrant : public ::testing::TestWithParam<ReentrantCase> {};

TEST_P(DataTableReentrant, HandlerShapeChangesWaitForTheRunningOne) {
  const ReentrantCase& c = GetParam();
  TDataTable t;
  Recorder rec(t);
  int calls = 0;
  t.DataMatrix().OnResize = [&](TObject*) {
    if (calls++ == 0) c.inHandler(t);
  };
  t.Resize(c.columns, c.rows);
  EXPECT_EQ(t.NrOfColumns(), c.endColumns);
  EXPECT_EQ(t.NrOfRows(), c.endRows);
  EXPECT_EQ(t.DataMatrix().NrOfColumns(), c.endColumns);
  EXPECT_EQ(t.DataMatrix().NrOfRows(), c.endRows);
  for (int r = 1; r <= t.NrOfRows(); ++r) EXPECT_EQ(t.RowName(r), "R-" + std::to_string(r));
  for (int k = 1; k <= t.NrOfColumns(); ++k) {
    EXPECT_EQ(t.ColName(k), "C-" + std::to_string(k));
    EXPECT_EQ(t.VarDef(k).Level, 3);
    EXPECT_EQ(t.CellState(k, t.NrOfRows()), 0);
  }
  std::vector<ResizeCall> seen;
  for (auto [s, oc, orr, nc, nr] : rec.resizes) seen.emplace_back(nullptr, oc, orr, nc, nr);
  EXPECT_EQ(seen, c.resizes);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DataTableReentrant,
    ::testing::Values(
        ReentrantCase{"ResizeTable", [](TDataTable& t) { t.Resize(3, 1); }, 1, 5, 3, 1,
                      {{nullptr, 1, 1, 1, 5}, {nullptr, 1, 5, 3, 1}}},
        ReentrantCase{"BackToTheOldShape", [](TDataTable& t) { t.Resize(1, 1); }, 2, 2, 1, 1,
                      {{nullptr, 1, 1, 2, 2}, {nullptr, 2, 2, 1, 1}}},
        ReentrantCase{"ColumnsThenRows",
                      [](TDataTable& t) {
                        t.SetNrOfColumns(2);
                        t.SetNrOfRows(7);
                      },
                      4, 5, 2, 7, {{nullptr, 1, 1, 4, 5}, {nullptr, 4, 5, 2, 7}}},
        ReentrantCase{"ResizeTheMatrixItself",
                      [](TDataTable& t) { t.DataMatrix().Resize(2, 2); }, 1, 5, 2, 2,
                      {{nullptr, 1, 1, 1, 5}, {nullptr, 1, 5, 2, 2}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DataTableReentrantAssign, IsRefusedAndTheTableStaysInStep) {
  TDataTable t, other;
  other.Resize(4, 4);
  t.DataMatrix().OnResize = [&](TObject*) { t.Assign(&other); };
  EXPECT_THROW(t.Resize(2, 3), EVELDataTableError);
  EXPECT_EQ(t.NrOfColumns(), 2);
  EXPECT_EQ(t.NrOfRows(), 3);
  EXPECT_EQ(t.DataMatrix().NrOfRows(), 3);
  EXPECT_EQ(t.RowName(3), "R-3");
}

}  // namespace
}  // namespace dendrokit
