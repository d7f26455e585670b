#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "gfxbase/errors.h"
#include "numeric/matrix.h"
#include "numeric/storage_p.h"
#include "numeric/vector.h"

namespace dendrokit {
namespace matrix_suite {

class StorageLimit {
 public:
  explicit StorageLimit(std::size_t bytes) { detail::SetStorageLimitForTesting(bytes); }
  ~StorageLimit() { detail::SetStorageLimitForTesting(0); }
};

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

template <typename M>
class MatrixTest : public ::testing::Test {
 protected:
  using Value = decltype(std::declval<M>().Elem(1, 1));
  void Record(M& m) {
    m.OnChange = [this](TObject*) { log.push_back("change"); };
    m.OnResize = [this](TObject*) { log.push_back("resize"); };
  }
  std::vector<std::string> log;
};

using MatrixTypes = ::testing::Types<TMatrix, TIntMatrix>;
TYPED_TEST_SUITE(MatrixTest, MatrixTypes);

TYPED_TEST(MatrixTest, NewMatrixIsOneByOneZeroAndIgnoresOutOfRangeAccess) {
  TypeParam m;
  this->Record(m);
  EXPECT_EQ(m.NrOfColumns(), 1);
  EXPECT_EQ(m.NrOfRows(), 1);
  m.SetElem(1, 1, 5);
  m.SetElem(2, 1, 9);
  m.SetElem(1, 0, 9);
  m.SetElem(INT_MAX, INT_MIN, 9);
  EXPECT_EQ(m.Elem(1, 1), 5);
  EXPECT_EQ(m.Elem(2, 1), 0);
  EXPECT_EQ(m.Elem(1, 2), 0);
  EXPECT_EQ(m.Elem(0, 1), 0);
  EXPECT_EQ(this->log, std::vector<std::string>{"change"});
  EXPECT_TRUE(m.Column(0).empty());
  EXPECT_TRUE(m.Column(2).empty());
  EXPECT_EQ(m.Column(1).size(), 1u);
}

TYPED_TEST(MatrixTest, ResizeKeepsSharedCellsAndZeroesTheRest) {
  TypeParam m;
  ASSERT_TRUE(m.Resize(2, 3));
  for (int c = 1; c <= 2; ++c)
    for (int r = 1; r <= 3; ++r)
      m.SetElem(c, r, static_cast<typename TestFixture::Value>(10 * c + r));
  ASSERT_TRUE(m.Resize(3, 2));
  EXPECT_EQ(m.Elem(1, 1), 11);
  EXPECT_EQ(m.Elem(1, 2), 12);
  EXPECT_EQ(m.Elem(2, 1), 21);
  EXPECT_EQ(m.Elem(2, 2), 22);
  EXPECT_EQ(m.Elem(3, 1), 0);
  EXPECT_EQ(m.Elem(3, 2), 0);
  EXPECT_EQ(m.Elem(1, 3), 0);
  ASSERT_TRUE(m.Resize(3, 3));
  EXPECT_EQ(m.Elem(2, 3), 0) << "a dropped row must not come back";
  EXPECT_EQ(m.Column(2)[1], 22) << "storage is column by column";
}

TYPED_TEST(MatrixTest, UnchangedOrInvalidSizesDoNothingAndFillNotifiesOnce) {
  TypeParam m;
  m.Resize(2, 3);
  this->Record(m);
  EXPECT_FALSE(m.Resize(2, 3)) << "unlike the vectors, an unchanged shape answers false";
  EXPECT_FALSE(m.Resize(0, 3));
  EXPECT_FALSE(m.Resize(2, -1));
  m.SetNrOfRows(0);
  m.SetNrOfRows(-5);
  m.SetNrOfColumns(INT_MIN);
  m.SetNrOfColumns(2);
  EXPECT_EQ(m.NrOfColumns(), 2);
  EXPECT_EQ(m.NrOfRows(), 3);
  EXPECT_TRUE(this->log.empty());
  m.SetNrOfRows(4);
  EXPECT_EQ(m.NrOfColumns(), 2);
  EXPECT_EQ(m.NrOfRows(), 4);
  this->log.clear();
  m.Fill(7);
  EXPECT_EQ(m.Elem(2, 4), 7);
  EXPECT_EQ(this->log, std::vector<std::string>{"change"}) << "Fill notifies once";
}

TYPED_TEST(MatrixTest, ImpossibleShapesRaiseWithoutAllocatingAndKeepTheMatrix) {
  TypeParam m;
  m.SetName("m");
  m.Resize(2, 2);
  m.SetElem(2, 2, 3);
  this->Record(m);
  // Beyond the address space, beyond any machine, and beyond a lowered ceiling.
  const std::vector<std::pair<int, int>> shapes = {{INT_MAX, INT_MAX}, {INT_MAX, 1 << 20}};
  for (const auto& [c, r] : shapes) {
    try {
      m.Resize(c, r);
      ADD_FAILURE() << c << " x " << r << " did not raise";
    } catch (const EVELMatrixError& e) {
      EXPECT_STREQ(e.what(), "Component \"m\": not enough memory on heap");
    }
  }
  {
    StorageLimit limit(64);
    EXPECT_THROW(m.Resize(10, 10), EVELMatrixError);
    EXPECT_THROW(m.SetNrOfRows(100), EVELMatrixError);
  }
  EXPECT_EQ(m.NrOfColumns(), 2);
  EXPECT_EQ(m.NrOfRows(), 2);
  EXPECT_EQ(m.Elem(2, 2), 3);
  EXPECT_TRUE(this->log.empty());
}

TEST(MatrixNotifications, FloatMatrixRaisesChangeBeforeResizeIntMatrixTheReverse) {
  std::vector<std::string> log;
  TMatrix m;
  m.OnChange = [&](TObject*) { log.push_back("change"); };
  m.OnResize = [&](TObject*) { log.push_back("resize"); };
  m.Resize(2, 2);
  EXPECT_EQ(log, (std::vector<std::string>{"change", "resize"}));
  log.clear();
  TIntMatrix im;
  im.OnChange = [&](TObject*) { log.push_back("change"); };
  im.OnResize = [&](TObject*) { log.push_back("resize"); };
  im.Resize(2, 2);
  EXPECT_EQ(log, (std::vector<std::string>{"resize", "change"}));
}

TEST(MatrixCreation, FailureRaisesWithEmptyName) {
  StorageLimit limit(1);
  try {
    TMatrix m;
    FAIL() << "no exception";
  } catch (const EVELMatrixError& e) {
    EXPECT_STREQ(e.what(), "Component \"\": not enough memory on heap");
  }
  EXPECT_THROW(TIntMatrix{}, EVELMatrixError);
}

// ---- Distances

TMatrix& Rows(TMatrix& m, const std::vector<std::vector<double>>& rows) {
  m.Resize(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < rows[r].size(); ++c)
      m.SetElem(static_cast<int>(c + 1), static_cast<int>(r + 1), rows[r][c]);
  return m;
}

TEST(MatrixDistance, TextbookValues) {
  TMatrix m;
  Rows(m, {{1, 0}, {0, 1}, {3, 4}, {3, 4}});
  EXPECT_EQ(m.Distance(dmJaccard, 1, 2), 0.0);
  EXPECT_EQ(m.Distance(dmDice, 1, 2), 0.0);
  EXPECT_EQ(m.Distance(dmManhattan, 1, 2), 2.0);
  EXPECT_EQ(m.Distance(dmEuclid, 1, 2), std::sqrt(2.0));
  EXPECT_EQ(m.Distance(dmEuclidSqr, 1, 2), 2.0);
  EXPECT_EQ(m.Distance(dmJaccard, 3, 4), 1.0) << "the coefficient, not one minus it";
  EXPECT_EQ(m.Distance(dmDice, 3, 4), 1.0);
  EXPECT_EQ(m.Distance(dmEuclid, 2, 3), std::sqrt(9.0 + 9.0));
  EXPECT_EQ(m.Distance(static_cast<TDistMode>(42), 1, 2), 0.0);
}

TEST(MatrixDistance, RowsOutsideTheMatrixReadAsZero) {
  TMatrix m;
  Rows(m, {{3, -4}});
  EXPECT_EQ(m.Distance(dmManhattan, 1, 0), 7.0);
  EXPECT_EQ(m.Distance(dmEuclid, 1, 99), 5.0);
  EXPECT_EQ(m.Distance(dmEuclidSqr, INT_MIN, INT_MAX), 0.0);
}

TEST(MatrixDistance, SumsRunInColumnOrder) {
  // 1e16 + 1 rounds back to 1e16, so only the order 1, 2, 3 gives Sxy = 0 exactly;
  // pairing columns 1 and 3 first would give 1.
  TMatrix m;
  Rows(m, {{1e16, 1, -1e16}, {1, 1, 1}});
  EXPECT_EQ(m.Distance(dmJaccard, 1, 2), 0.0);
  EXPECT_EQ(m.Distance(dmDice, 1, 2), 0.0);
}

TEST(MatrixDistance, ZeroRowsGiveNaNForJaccardAndDiceAlsoInTheDistanceMatrix) {
  TMatrix m, d;
  Rows(m, {{0, 0}, {0, 0}, {1, 2}});
  d.Resize(3, 3);
  for (const TDistMode mode : {dmJaccard, dmDice}) {
    EXPECT_TRUE(std::isnan(m.Distance(mode, 1, 2)));
    EXPECT_EQ(m.Distance(mode, 1, 3), 0.0);
    ASSERT_EQ(m.CalcDistMatrix(mode, d), 0);
    EXPECT_TRUE(std::isnan(d.Elem(1, 2)));
    EXPECT_TRUE(std::isnan(d.Elem(2, 1)));
    EXPECT_TRUE(SameBits(d.Elem(1, 2), m.Distance(mode, 1, 2)));
    EXPECT_EQ(d.Elem(1, 1), 0.0);
  }
  EXPECT_EQ(m.Distance(dmEuclid, 1, 2), 0.0);
}

TEST(MatrixDistance, UserDefinedCallsHandlerWithMatrixRowsAndZeroStart) {
  TMatrix m;
  m.Resize(1, 3);
  EXPECT_EQ(m.Distance(dmUserDef, 1, 2), 0.0) << "no handler";
  std::vector<std::pair<int, int>> calls;
  m.OnCalcDistance = [&](TObject* sender, int r1, int r2, double& dist) {
    EXPECT_EQ(sender, &m);
    EXPECT_EQ(dist, 0.0);
    calls.emplace_back(r1, r2);
    dist += 10 * r1 + r2;
  };
  EXPECT_EQ(m.Distance(dmUserDef, 2, 3), 23.0);
  TMatrix d;
  d.Resize(3, 3);
  ASSERT_EQ(m.CalcDistMatrix(dmUserDef, d), 0);
  EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{2, 3}, {1, 2}, {1, 3}, {2, 3}}));
  EXPECT_EQ(d.Elem(3, 1), 13.0);
}

TEST(MatrixDistance, CalcDistMatrixRefusesBadShapesUntouched) {
  TMatrix m;
  m.Resize(2, 4);
  m.Fill(1.0);
  struct Case {
    int cols, rows, expected;
  };
  for (const Case& c : {Case{5, 5, -2}, Case{4, 5, -1}, Case{5, 4, -2}, Case{3, 4, -2}}) {
    TMatrix d;
    d.Resize(c.cols, c.rows);
    d.Fill(9.0);
    int changes = 0;
    d.OnChange = [&](TObject*) { ++changes; };
    EXPECT_EQ(m.CalcDistMatrix(dmEuclid, d), c.expected) << c.cols << " x " << c.rows;
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(d.Elem(1, 1), 9.0);
  }
}

TEST(MatrixDistance, CalcDistMatrixWritesEveryCellOnceInTheSpecifiedOrder) {
  TMatrix m;
  Rows(m, {{0, 0}, {3, 4}, {6, 8}});
  TMatrix d;
  d.Resize(3, 3);
  d.Fill(-1.0);
  std::vector<double> before(d.Column(1).begin(), d.Column(3).end());
  std::vector<std::pair<int, int>> writes;
  d.OnChange = [&](TObject*) {
    for (int c = 1; c <= 3; ++c)
      for (int r = 1; r <= 3; ++r) {
        double& old = before[static_cast<std::size_t>((c - 1) * 3 + r - 1)];
        if (!SameBits(old, d.Elem(c, r))) {
          writes.emplace_back(c, r);
          old = d.Elem(c, r);
        }
      }
  };
  ASSERT_EQ(m.CalcDistMatrix(dmEuclid, d), 0);
  const std::vector<std::pair<int, int>> expected = {{1, 1}, {1, 2}, {2, 1}, {1, 3}, {3, 1},
                                                     {2, 2}, {2, 3}, {3, 2}, {3, 3}};
  EXPECT_EQ(writes, expected);
  EXPECT_EQ(d.Elem(1, 2), 5.0);
  EXPECT_EQ(d.Elem(3, 1), 10.0);
  EXPECT_EQ(d.Elem(2, 3), 5.0);
}

TEST(MatrixDistance, SingleRowWritesOnlyTheDiagonalOnce) {
  TMatrix m, d;
  d.SetElem(1, 1, 4.0);
  int changes = 0;
  d.OnChange = [&](TObject*) { ++changes; };
  EXPECT_EQ(m.CalcDistMatrix(dmManhattan, d), 0);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(d.Elem(1, 1), 0.0);
}

TEST(MatrixDistance, DistanceMatrixMayBeTheMatrixItself) {
  TMatrix m;
  Rows(m, {{1, 2}, {3, 4}});
  EXPECT_EQ(m.CalcDistMatrix(dmManhattan, m), 0);
  EXPECT_EQ(m.Elem(1, 1), 0.0);
  EXPECT_EQ(m.Elem(2, 2), 0.0);
}

// ---- Copying

TEST(MatrixAssign, CopiesShapeIdValuesAndAllFiveHandlersSilently) {
  TMatrix src, dst;
  src.Resize(2, 3);
  src.SetElem(2, 3, 6.5);
  src.SetDataID("points");
  int srcCalls = 0, dstCalls = 0;
  src.OnChange = [&](TObject*) { ++srcCalls; };
  src.OnResize = [&](TObject*) { ++srcCalls; };
  src.OnSortExchange = [&](TObject*, std::uint8_t, int, int, int, int) {};
  src.OnCalcDistance = [&](TObject*, int, int, double& d) { d = 42.0; };
  src.OnPercentDone = [&](TObject*, int) {};
  dst.OnChange = [&](TObject*) { ++dstCalls; };
  dst.OnResize = [&](TObject*) { ++dstCalls; };
  dst.Assign(&src);
  EXPECT_EQ(srcCalls + dstCalls, 0);
  EXPECT_EQ(dst.NrOfColumns(), 2);
  EXPECT_EQ(dst.NrOfRows(), 3);
  EXPECT_EQ(dst.Elem(2, 3), 6.5);
  EXPECT_EQ(dst.DataID(), "points");
  EXPECT_TRUE(dst.OnSortExchange);
  EXPECT_TRUE(dst.OnPercentDone);
  EXPECT_EQ(dst.Distance(dmUserDef, 1, 2), 42.0);
  dst.Resize(3, 3);
  EXPECT_EQ(srcCalls, 2);
  EXPECT_EQ(dstCalls, 0);
}

TEST(MatrixAssign, OtherSourcesTakeTheStandardFallback) {
  TMatrix m;
  TVector v;
  try {
    m.Assign(&v);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TVector to a TMatrix");
  }
  TIntMatrix a, b;
  try {
    a.Assign(&b);
    FAIL() << "TIntMatrix has no copy of its own";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TIntMatrix to a TIntMatrix");
  }
  EXPECT_THROW(m.Assign(&a), EConvertError);
}

TEST(MatrixAssign, FailureKeepsTarget) {
  TMatrix src, dst;
  src.Resize(10, 10);
  dst.SetDataID("mine");
  {
    StorageLimit limit(64);
    EXPECT_THROW(dst.Assign(&src), EVELMatrixError);
  }
  EXPECT_EQ(dst.NrOfColumns(), 1);
  EXPECT_EQ(dst.DataID(), "mine");
}

// ---- Nearest element

TEST(IntMatrixFindClosest, WindowsAreNormalised) {
  TIntMatrix m;
  m.Resize(4, 4);
  // Target 100: (1,1) is exact, (2,1) is 10 away, (4,4) is 20 away, every other cell 100.
  m.SetElem(1, 1, 100);
  m.SetElem(2, 1, 90);
  m.SetElem(4, 4, 80);
  struct Case {
    int colLo, colHi, rowLo, rowHi, col, row;
  };
  const Case cases[] = {
      {0, 0, 0, 0, 1, 1},    // both zero: the whole matrix
      {5, 2, 9, 0, 2, 1},    // clamped and exchanged: columns 2..4, rows 1..4
      {3, 4, 0, 0, 4, 4},    // columns 3..4, all rows
      {3, 4, 0, 3, 3, 1},    // a single zero is not "everything": rows 1..3, first zero wins
      {4, 3, 4, 4, 4, 4},    // exchanged columns, one row
      {-7, -7, 2, 2, 1, 2},  // column 1 only, row 2
  };
  for (const Case& c : cases) {
    const auto p = m.FindClosest(c.colLo, c.colHi, c.rowLo, c.rowHi, 100);
    EXPECT_EQ(p.col, c.col) << c.colLo << " " << c.colHi << " " << c.rowLo << " " << c.rowHi;
    EXPECT_EQ(p.row, c.row) << c.colLo << " " << c.colHi << " " << c.rowLo << " " << c.rowHi;
  }
}

TEST(IntMatrixFindClosest, TiesGoToLowerColumnThenLowerRow) {
  TIntMatrix m;
  m.Resize(3, 3);
  m.SetElem(3, 1, 12);
  m.SetElem(2, 3, 8);
  m.SetElem(2, 2, 12);
  auto p = m.FindClosest(0, 0, 0, 0, 10);
  EXPECT_EQ(p.col, 2);
  EXPECT_EQ(p.row, 2);
  m.SetElem(2, 1, 8);
  p = m.FindClosest(0, 0, 0, 0, 10);
  EXPECT_EQ(p.col, 2);
  EXPECT_EQ(p.row, 1);
}

TEST(IntMatrixFindClosest, ExtremeValuesDoNotOverflow) {
  TIntMatrix m;
  m.Resize(2, 1);
  m.SetElem(1, 1, INT_MIN);
  m.SetElem(2, 1, INT_MAX);
  auto p = m.FindClosest(0, 0, 0, 0, INT_MAX);
  EXPECT_EQ(p.col, 2);
  p = m.FindClosest(0, 0, 0, 0, INT_MIN);
  EXPECT_EQ(p.col, 1);
  p = m.FindClosest(0, 0, 0, 0, -1);  // INT_MIN is 2^31 - 1 away, INT_MAX 2^31
  EXPECT_EQ(p.col, 1);
}

}  // namespace
}  // namespace dendrokit
