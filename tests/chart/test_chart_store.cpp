// The chart's item store: growth, text records, long-text slots, storage failures, and
// sharing one list between charts (messages, redirection, publishing, destruction).
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "chart/plotra.h"
#include "gfxbase/dialogs.h"
#include "gfxbase/errors.h"

// Allocations of gFailFrom bytes or more fail, so tests can exhaust the heap on purpose.
constexpr std::size_t kNoFailure = static_cast<std::size_t>(-1);
std::size_t gFailFrom = kNoFailure;

void* operator new(std::size_t size) {
  if (size >= gFailFrom) throw std::bad_alloc();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
// The nothrow forms (std::stable_sort's buffer, for one) must pair with the free above.
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  try {
    return ::operator new(n);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t n, const std::nothrow_t& tag) noexcept {
  return ::operator new(n, tag);
}
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace dendrokit {
namespace {

// Collects the information messages instead of showing boxes.
struct Messages {
  std::vector<std::string> texts;
  TInformationHandler previous;
  Messages() {
    previous = SetInformationHandler(
        [this](const std::string&, const std::string& text) { texts.push_back(text); });
  }
  ~Messages() { SetInformationHandler(previous); }
};

TEST(ChartStore, GrowsByAllocSizeAndStampsSettings) {
  TPlotra c;
  c.SetDataColor(0x123456);
  c.SetFillColor(0x654321);
  c.SetPenStyle(psDot);
  c.SetClassDefault(7);
  c.SetTextBkStyle(tbSolid);
  EXPECT_EQ(c.DataCapacity(), 0);
  for (int i = 0; i < 1000; ++i) c.AddTextAt(8, std::to_string(i), i, -i);
  EXPECT_EQ(c.DataCapacity(), 1000);
  c.AddTextAt(8, "x", 1, 2);
  EXPECT_EQ(c.DataCount(), 1001);
  EXPECT_EQ(c.DataCapacity(), 2000);
  const TplChartItem& it = c.DataItems()[999];
  EXPECT_EQ(it.X, 999);
  EXPECT_EQ(it.Y, -999);
  EXPECT_EQ(it.ShortText.View(), "999");
  EXPECT_EQ(it.Kind, ckText);
  EXPECT_EQ(it.Layer, 1);
  EXPECT_EQ(it.Color, 0x123456u);
  EXPECT_EQ(it.FillColor, 0x654321u);
  EXPECT_EQ(it.PenStyle, psDot);
  EXPECT_EQ(it.ItemClass, 7);
  EXPECT_EQ(it.BkStyle, 1);
  EXPECT_EQ(it.Alignment, taCenter);
  EXPECT_EQ(it.Size, 8);
  // A different step after the first block: records keep their places.
  c.SetAllocSize(3);
  for (int i = 0; i < 1000; ++i) c.AddTextAt(8, "y", 0, 0);
  EXPECT_EQ(c.DataCapacity(), 2003);
  EXPECT_EQ(c.DataItems()[999].ShortText.View(), "999");
  EXPECT_EQ(c.DataItems()[1000].ShortText.View(), "x");
  EXPECT_EQ(c.DataItems()[2000].ShortText.View(), "y");
  int visited = 0;
  c.DataItems().ForEach([&](const TplChartItem&, int i) { EXPECT_EQ(i, visited++); });
  EXPECT_EQ(visited, 2001);
}

TEST(ChartStore, AllocSizeBounds) {
  TPlotra c;
  for (int v : {0, -1, 1000001, -2147483647 - 1}) {
    c.SetAllocSize(v);
    EXPECT_EQ(c.AllocSize(), 1000) << v;
  }
  for (int v : {1, 1000000}) {
    c.SetAllocSize(v);
    EXPECT_EQ(c.AllocSize(), v);
  }
}

TEST(ChartStore, KindsAndTexts) {
  TPlotra c;
  c.AddTextItem(8, "a", 0, 0, 0, 3, taLeftJustify, 0);
  c.AddTextItem(8, "b", 0, 0, 0, 0, taRightJustify, 0);
  EXPECT_EQ(c.DataItems()[0].Kind, ckOffsetText);
  EXPECT_EQ(c.DataItems()[0].Y2, 3.0);
  EXPECT_EQ(c.DataItems()[1].Kind, ckText);
  EXPECT_EQ(c.DataItems()[1].Alignment, taRightJustify);
  const std::string s15 = "abcdefghijklmno", s16 = s15 + "p";
  c.AddTextAt(8, s15, 0, 0);
  c.AddTextAt(8, s16, 0, 0);
  EXPECT_EQ(c.DataItems()[2].LineWidth, 0);
  EXPECT_EQ(c.ItemText(false, 2), s15);
  EXPECT_EQ(c.DataItems()[3].LineWidth, 1);
  EXPECT_EQ(c.DataItems()[3].ShortText.View(), s15);
  EXPECT_EQ(c.ItemText(false, 3), s16);
  // A multi-byte character is not cut in half in the short text.
  c.AddTextAt(8, "abcdefghijklmn\xC3\xA4xyz", 0, 0);
  EXPECT_EQ(c.DataItems()[4].ShortText.View(), "abcdefghijklmn");
  // Slots are never reclaimed: 50 long texts over the chart's life, then cut.
  c.ClearItems();
  for (int i = 3; i <= 50; ++i) c.AddTextAt(8, s16 + std::to_string(i), 0, 0);
  EXPECT_EQ(c.DataLongTexts().Count(), 50);
  c.AddTextAt(8, s16 + "51", 0, 0);
  EXPECT_EQ(c.DataItems()[48].LineWidth, 0);
  EXPECT_EQ(c.ItemText(false, 48), s15);
  EXPECT_EQ(c.ItemText(false, 47), s16 + "50");
}

TEST(ChartStore, StorageFailureLeavesListUnchanged) {
  TPlotra c;
  c.SetName("Chart7");
  for (int i = 0; i < 1000; ++i) c.AddTextAt(8, "t", i, i);
  gFailFrom = 1000 * sizeof(TplChartItem);  // the next block cannot be had
  std::string message;
  try {
    c.AddTextAt(8, "one too many", 0, 0);
  } catch (const EVELPlotraError& e) {
    message = e.what();
  }
  gFailFrom = kNoFailure;
  EXPECT_EQ(message, "Component \"Chart7\": not enough memory on heap");
  EXPECT_EQ(c.DataCount(), 1000);
  EXPECT_EQ(c.DataCapacity(), 1000);
  c.AddTextAt(8, "now it fits", 0, 0);
  EXPECT_EQ(c.ItemText(false, 1000), "now it fits");
}

// The plotting commands share AddTextAt's rules: a bulk command that cannot have all its
// room adds none of its records; commands on any member change the group's list.
TEST(ChartStore, PlottingCommandsFailWholeAndShare) {
  TPlotra c;
  c.SetName("Chart8");
  c.SetAllocSize(100);
  for (int i = 0; i < 150; ++i) c.AddMark(1, i, i, 1);
  const std::vector<TWorldPoint> pts(500, TWorldPoint{1, 2});
  gFailFrom = 100 * sizeof(TplChartItem);  // the blocks after the first cannot be had
  std::string message;
  try {
    c.AddScatter(1, pts, 1);
  } catch (const EVELPlotraError& e) {
    message = e.what();
  }
  c.AddLine(1, 0, 0, 1, 1);  // fits into the room left
  EXPECT_THROW(c.AddPolyline(1, pts), EVELPlotraError);
  gFailFrom = kNoFailure;
  EXPECT_EQ(message, "Component \"Chart8\": not enough memory on heap");
  EXPECT_EQ(std::pair(c.DataCount(), c.DataCapacity()), std::pair(151, std::int64_t{200}));
  EXPECT_EQ(c.AddPolyline(1, pts), 151);
  EXPECT_EQ(std::pair(c.DataCount(), c.DataCapacity()), std::pair(651, std::int64_t{700}));
  TPlotra a, b;
  b.SetUseDataOf(&a);
  b.AddScatter(1, pts, 3);
  a.AddArrow(1, 0, 0, 1, 1, 5);
  EXPECT_EQ(&a.DataItems(), &b.DataItems());
  EXPECT_EQ(b.DataCount(), 501);
}

TEST(ChartSharing, MessagesAndRedirection) {
  Messages m;
  std::vector<std::unique_ptr<TPlotra>> c;
  for (int i = 0; i < 7; ++i) c.push_back(std::make_unique<TPlotra>());
  TPlotra& a = *c[0];
  a.SetUseDataOf(&a);
  c[1]->SetUseDataOf(&a);
  c[2]->SetUseDataOf(c[1].get());  // C uses B: becomes a user of A
  EXPECT_EQ(c[2]->UseDataOf(), &a);
  c[3]->SetUseDataOf(&a);
  c[4]->SetUseDataOf(&a);
  EXPECT_EQ(a.DataUserCount(), 4);
  c[5]->SetUseDataOf(&a);  // the fifth
  EXPECT_EQ(c[5]->UseDataOf(), nullptr);
  a.SetUseDataOf(c[6].get());  // A has users
  EXPECT_EQ(a.UseDataOf(), nullptr);
  const std::vector<std::string> expected = {
      "Plotra: Cannot share data with myself",
      "Plotra: Max. number of data shares exceeded",
      "Plotra: Cannot use foreign data. Other Plotras are using my own data."};
  EXPECT_EQ(m.texts, expected);
  // Leaving: later users move up one place.
  c[2]->SetUseDataOf(nullptr);
  EXPECT_EQ(a.DataUser(1), c[1].get());
  EXPECT_EQ(a.DataUser(2), c[3].get());
  EXPECT_EQ(a.DataUserCount(), 3);
}

TEST(ChartSharing, CommandsOnAnyMemberChangeTheGroupList) {
  TPlotra a, b, c;
  b.SetUseDataOf(&a);
  c.SetUseDataOf(&a);
  c.SetAllocSize(1);
  for (int i = 0; i < 5; ++i) c.AddTextAt(8, "c", i, i);  // grows block by block
  a.AddTextAt(8, "from A, a long text", 9, 9);
  for (TPlotra* p : {&a, &b, &c}) {
    EXPECT_EQ(p->DataCount(), 6);
    EXPECT_EQ(p->ItemText(false, 5), "from A, a long text");  // A's table, not B's or C's
  }
  b.ClearItems();
  EXPECT_EQ(a.DataCount(), 0);
  EXPECT_EQ(c.DataCount(), 0);
  // A chart that leaves keeps what it last saw; the group's later commands do not reach it.
  a.AddTextAt(8, "1", 0, 0);
  c.SetUseDataOf(nullptr);
  a.AddTextAt(8, "2", 0, 0);
  EXPECT_EQ(c.DataCount(), 1);
  EXPECT_EQ(b.DataCount(), 2);
  c.AddTextAt(8, "3", 0, 0);
  EXPECT_EQ(c.DataCount(), 2);
  EXPECT_EQ(a.DataCount(), 2);
}

TEST(ChartSharing, ShowItemsRepaintOrder) {
  std::vector<std::string> order;
  TPlotra a, b, c;
  for (auto [p, name] : {std::pair{&a, "A"}, {&b, "B"}, {&c, "C"}}) {
    p->HandleNeeded();
    p->OnScalesRendered = [&order, n = std::string(name)](TObject*, TCanvas&, int, int) {
      order.push_back(n);
    };
  }
  b.SetUseDataOf(&a);
  c.SetUseDataOf(&a);
  order.clear();
  c.ShowItems();  // source, then its users (C included)
  EXPECT_EQ(order, (std::vector<std::string>{"A", "B", "C"}));
  order.clear();
  b.SetAutoRedraw(false);
  a.ShowItems();  // own users, each only with AutoRedraw on
  EXPECT_EQ(order, (std::vector<std::string>{"C"}));
}

TEST(ChartStore, ClearItemsLeavesTheScreenAlone) {
  TPlotra c;
  c.HandleNeeded();
  c.AddTextAt(8, "123", 0.5, 0.5);
  c.Repaint();
  const QImage before = c.ShownImage().copy();
  c.ClearItems();
  EXPECT_EQ(c.ShownImage(), before);
  EXPECT_EQ(c.DataCount(), 0);
  EXPECT_EQ(c.DataCapacity(), 0);
}

// A render handler that appends (every append below adds a block) or clears must not pull
// the list from under the walk; the change shows from the next paint on.
TEST(ChartStore, HandlerChangesListWhileRendering) {
  for (const bool clear : {false, true}) {
    TPlotra c;
    c.HandleNeeded();
    c.SetAllocSize(1);
    for (int i = 0; i < 3; ++i) c.AddTextAt(8, "t", 0.5, 0.5);
    int rendered = 0;
    c.OnBeforeRenderChartItem = [&](TObject*, TplChartItem&, int, bool annotation) {
      if (annotation) return;
      ++rendered;
      if (clear)
        c.ClearItems();
      else
        c.AddTextAt(8, "u", 0.5, 0.5);
    };
    c.Repaint();
    EXPECT_EQ(rendered, 3) << clear;
    EXPECT_EQ(c.DataCount(), clear ? 0 : 6) << clear;
  }
}

// Every order of destroying a group of four must leave no chart pointing at a dead one
// (run under AddressSanitizer in the sanitizer build).
TEST(ChartSharing, DestroyMembersInEveryOrder) {
  std::vector<int> perm = {0, 1, 2, 3};
  do {
    std::vector<std::unique_ptr<TPlotra>> c;
    for (int i = 0; i < 4; ++i) c.push_back(std::make_unique<TPlotra>());
    c[0]->AddTextAt(8, "a long text in the source", 0, 0);
    for (int i = 1; i < 4; ++i) c[i]->SetUseDataOf(c[0].get());
    for (int k = 0; k < 4; ++k) {
      c[perm[k]].reset();
      for (auto& p : c) {
        if (!p) continue;
        p->AddTextAt(8, "another long text here", 1, 1);
        EXPECT_EQ(p->ItemText(false, 0), "a long text in the source");
        p->ShowItems();
        if (p->UseDataOf()) {
          EXPECT_GT(p->UseDataOf()->DataCount(), 0);
        }
      }
    }
  } while (std::next_permutation(perm.begin(), perm.end()));
}

}  // namespace
}  // namespace dendrokit
