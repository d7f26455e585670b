#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "gfxbase/errors.h"
#include "numeric/matrix.h"
#include "numeric/storage_p.h"
#include "numeric/vector.h"

namespace dendrokit {
namespace {

// Lowers the storage ceiling for one scope, so that failures can be provoked without
// asking the system for memory it does not have.
class StorageLimit {
 public:
  explicit StorageLimit(std::size_t bytes) { detail::SetStorageLimitForTesting(bytes); }
  ~StorageLimit() { detail::SetStorageLimitForTesting(0); }
};

template <typename V>
class VectorTest : public ::testing::Test {
 protected:
  using Value = decltype(std::declval<V>().Elem(1));
  void Record(V& v) {
    v.OnChange = [this](TObject*) { log.push_back("change"); };
    v.OnResize = [this](TObject*) { log.push_back("resize"); };
  }
  std::vector<std::string> log;
};

using VectorTypes = ::testing::Types<TVector, TIntVector>;
TYPED_TEST_SUITE(VectorTest, VectorTypes);

TYPED_TEST(VectorTest, NewVectorHoldsOneZeroAndIgnoresOutOfRangeAccess) {
  TypeParam v;
  this->Record(v);
  EXPECT_EQ(v.NrOfElem(), 1);
  EXPECT_EQ(v.Elem(1), 0);
  v.SetElem(1, 7);
  v.SetElem(2, 9);
  v.SetElem(0, 9);
  v.SetElem(INT_MIN, 9);
  EXPECT_EQ(v.Elem(1), 7);
  EXPECT_EQ(v.Elem(0), 0);
  EXPECT_EQ(v.Elem(2), 0);
  EXPECT_EQ(v.Elem(INT_MAX), 0);
  EXPECT_EQ(this->log, std::vector<std::string>{"change"});
}

TYPED_TEST(VectorTest, ResizeKeepsLeadingElementsZeroesNewOnesAndNotifiesChangeThenResize) {
  TypeParam v;
  ASSERT_TRUE(v.Resize(3));
  for (int i = 1; i <= 3; ++i) v.SetElem(i, static_cast<typename TestFixture::Value>(i * 10));
  this->Record(v);
  ASSERT_TRUE(v.Resize(5));
  EXPECT_EQ(v.NrOfElem(), 5);
  EXPECT_EQ(v.Elem(3), 30);
  EXPECT_EQ(v.Elem(4), 0);
  EXPECT_EQ(v.Elem(5), 0);
  ASSERT_TRUE(v.Resize(2));
  EXPECT_EQ(v.Elem(1), 10);
  EXPECT_EQ(v.Elem(2), 20);
  EXPECT_EQ(v.Elem(3), 0);
  ASSERT_TRUE(v.Resize(3));
  EXPECT_EQ(v.Elem(3), 0) << "a shrunk element must not come back";
  EXPECT_EQ(this->log,
            (std::vector<std::string>{"change", "resize", "change", "resize", "change", "resize"}));
}

TYPED_TEST(VectorTest, UnchangedOrInvalidSizesDoNothing) {
  TypeParam v;
  v.Resize(4);
  this->Record(v);
  EXPECT_TRUE(v.Resize(4));
  EXPECT_FALSE(v.Resize(0));
  EXPECT_FALSE(v.Resize(-5));
  v.SetNrOfElem(0);
  v.SetNrOfElem(-1);
  v.SetNrOfElem(4);
  EXPECT_EQ(v.NrOfElem(), 4);
  EXPECT_TRUE(this->log.empty());
  v.SetNrOfElem(6);
  EXPECT_EQ(v.NrOfElem(), 6);
  EXPECT_EQ(this->log, (std::vector<std::string>{"change", "resize"}));
}

TYPED_TEST(VectorTest, ClearZeroesAllAndNotifiesOnce) {
  TypeParam v;
  v.Resize(3);
  v.SetElem(2, 5);
  this->Record(v);
  v.Clear();
  EXPECT_EQ(v.Elem(2), 0);
  EXPECT_EQ(this->log, std::vector<std::string>{"change"});
}

TYPED_TEST(VectorTest, FailedResizeRaisesAndKeepsSizeAndContents) {
  TypeParam v;
  v.SetName("vec");
  v.Resize(3);
  v.SetElem(3, 4);
  this->Record(v);
  StorageLimit limit(64);
  try {
    v.Resize(1000);
    FAIL() << "no exception";
  } catch (const EVELVectorError& e) {
    EXPECT_STREQ(e.what(), "Component \"vec\": not enough memory");
  }
  EXPECT_THROW(v.Resize(INT_MAX), EVELVectorError);
  EXPECT_EQ(v.NrOfElem(), 3);
  EXPECT_EQ(v.Elem(3), 4);
  EXPECT_TRUE(this->log.empty());
}

TYPED_TEST(VectorTest, FailedCreationRaisesWithEmptyNameAndLeavesNoTraceInOwner) {
  TComponent owner;
  {
    StorageLimit limit(1);
    try {
      TypeParam v(&owner);
      FAIL() << "no exception";
    } catch (const EVELVectorError& e) {
      EXPECT_STREQ(e.what(), "Component \"\": not enough memory on heap");
    }
  }
  EXPECT_TRUE(owner.Components().empty());
}

TYPED_TEST(VectorTest, AssignCopiesElementsAndHandlersWithoutRunningThem) {
  TypeParam src, dst;
  src.Resize(3);
  src.SetElem(2, 8);
  int srcCalls = 0, dstCalls = 0;
  src.OnChange = [&](TObject*) { ++srcCalls; };
  src.OnResize = [&](TObject*) { ++srcCalls; };
  src.OnSortExchange = [&](TObject*, std::uint8_t, int, int, int, int) { ++srcCalls; };
  dst.OnChange = [&](TObject*) { ++dstCalls; };
  dst.OnResize = [&](TObject*) { ++dstCalls; };
  dst.Assign(&src);
  EXPECT_EQ(srcCalls + dstCalls, 0);
  EXPECT_EQ(dst.NrOfElem(), 3);
  EXPECT_EQ(dst.Elem(2), 8);
  ASSERT_TRUE(dst.OnSortExchange);
  dst.SetElem(1, 1);
  EXPECT_EQ(srcCalls, 1) << "target must raise the source's handler";
  EXPECT_EQ(dstCalls, 0);
  EXPECT_EQ(src.Elem(1), 0) << "storage must not be shared";
}

TYPED_TEST(VectorTest, AssignFromAnotherClassTakesTheStandardFallback) {
  TypeParam v;
  v.SetElem(1, 3);
  TMatrix m;
  try {
    v.Assign(&m);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot assign a TMatrix to a " + std::string(v.ClassName()));
  }
  EXPECT_THROW(v.Assign(nullptr), EConvertError);
  EXPECT_EQ(v.Elem(1), 3);
}

TYPED_TEST(VectorTest, FailedAssignKeepsTargetAndItsHandlers) {
  TypeParam src, dst;
  src.Resize(100);
  int dstCalls = 0;
  dst.OnChange = [&](TObject*) { ++dstCalls; };
  {
    StorageLimit limit(64);
    EXPECT_THROW(dst.Assign(&src), EVELVectorError);
  }
  EXPECT_EQ(dst.NrOfElem(), 1);
  dst.SetElem(1, 1);
  EXPECT_EQ(dstCalls, 1);
}

}  // namespace
}  // namespace dendrokit
