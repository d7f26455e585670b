// The control base: synchronous painting into the shown image, screen-canvas drawing,
// geometry, loading, mouse translation, cursors, popup menu and the information box.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QEnterEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <vector>

#include "gfxbase/control.h"
#include "gfxbase/cursors.h"
#include "gfxbase/dialogs.h"

namespace dendrokit {
namespace control_suite {

constexpr TColor kWhite = 0xFFFFFF;
constexpr TColor kRed = 0x0000FF;
constexpr TColor kGreen = 0x00FF00;

// Paints the way the library's controls do: everything into an off-screen bitmap, then
// one copy to the screen canvas. A red square marks the middle.
class PaintingControl : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  int paints = 0;
  int loadedCalls = 0;
  int createWndCalls = 0;
  int resizeCalls = 0;
  std::vector<std::string> log;

  void SetBounds(int left, int top, int width, int height) override {
    TCustomControl::SetBounds(left, top, std::max(width, 30), std::max(height, 20));
  }

  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override {
    log.push_back("down " + std::to_string(button) + " " + std::to_string(shift) + " " +
                  std::to_string(x) + "," + std::to_string(y));
    TCustomControl::MouseDown(button, shift, x, y);
  }
  void MouseMove(TShiftState shift, int x, int y) override {
    log.push_back("move " + std::to_string(shift) + " " + std::to_string(x) + "," +
                  std::to_string(y));
  }
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override {
    log.push_back("up " + std::to_string(button) + " " + std::to_string(shift) + " " +
                  std::to_string(x) + "," + std::to_string(y));
  }
  void DblClick() override { log.push_back("dblclick"); }
  void MouseEnter() override { log.push_back("enter"); }
  void MouseLeave() override { log.push_back("leave"); }

 protected:
  void Paint() override {
    ++paints;
    TBitmap bmp(Width(), Height());
    bmp.Canvas().Brush().SetColor(kWhite);
    bmp.Canvas().FillRect({0, 0, Width(), Height()});
    bmp.Canvas().Brush().SetColor(kRed);
    bmp.Canvas().FillRect({Width() / 2 - 2, Height() / 2 - 2, Width() / 2 + 2, Height() / 2 + 2});
    Canvas().Draw(0, 0, bmp);
  }
  void Loaded() override { ++loadedCalls; }
  void CreateWnd() override { ++createWndCalls; }
  void Resize() override {
    ++resizeCalls;
    TCustomControl::Resize();
  }
};

TColor ShownPixel(TCustomControl& c, int x, int y) {
  return QColorToColor(QColor::fromRgb(c.ShownImage().pixel(x, y)));
}

TEST(Control, RepaintIsSynchronousAndTheWidgetShowsTheImage) {
  PaintingControl c;
  c.SetBounds(0, 0, 60, 40);
  EXPECT_EQ(c.paints, 1);  // the size change repainted at once
  EXPECT_EQ(c.ShownImage().size(), QSize(60, 40));
  EXPECT_EQ(ShownPixel(c, 30, 20), kRed);
  EXPECT_EQ(ShownPixel(c, 0, 0), kWhite);
  c.Repaint();
  EXPECT_EQ(c.paints, 2);

  // Screen drawing lands in the shown image and the widget shows exactly that image.
  TCanvas& screen = c.Canvas();
  screen.Pen().SetMode(pmXor);
  screen.Pen().SetColor(kGreen);
  screen.Brush().SetStyle(bsClear);
  const QImage before = c.ShownImage().copy();
  screen.Rectangle(5, 5, 50, 35);
  EXPECT_EQ(ShownPixel(c, 5, 5), kWhite ^ kGreen);
  EXPECT_EQ(ShownPixel(c, 49, 34), kWhite ^ kGreen);
  EXPECT_EQ(ShownPixel(c, 50, 35), kWhite);
  const QImage grabbed = c.grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(grabbed, c.ShownImage());
  screen.Rectangle(5, 5, 50, 35);
  EXPECT_EQ(c.ShownImage(), before);
}

TEST(Control, SetBoundsOverrideEnforcesMinimumAndLoadingDefersPaint) {
  PaintingControl c;
  c.SetBounds(3, 4, 50, 50);
  const int paints = c.paints;
  c.SetWidth(10);
  EXPECT_EQ(c.Width(), 30);
  EXPECT_EQ(c.Left(), 3);
  EXPECT_EQ(c.ShownImage().width(), 30);
  EXPECT_EQ(c.paints, paints + 1);
  c.SetWidth(30);  // unchanged: no repaint
  EXPECT_EQ(c.paints, paints + 1);
  c.SetHeight(-5);
  EXPECT_EQ(c.Height(), 20);

  c.BeginLoading();
  EXPECT_TRUE(c.Loading());
  const int resizes = c.resizeCalls;
  c.SetBounds(0, 0, 80, 60);
  EXPECT_EQ(c.resizeCalls, resizes + 1);
  EXPECT_EQ(c.paints, paints + 2);  // the height change above painted; loading did not
  c.EndLoading();
  c.EndLoading();
  EXPECT_FALSE(c.Loading());
  EXPECT_EQ(c.loadedCalls, 1);
  EXPECT_FALSE(c.DesignTime());
}

TEST(Control, CreateWndRunsOnceWhenFirstShown) {
  QWidget parent;
  auto* c = new PaintingControl(&parent);
  c->SetBounds(0, 0, 40, 30);
  EXPECT_FALSE(c->HandleAllocated());
  EXPECT_TRUE(c->Visible());
  parent.show();
  EXPECT_TRUE(c->HandleAllocated());
  EXPECT_EQ(c->createWndCalls, 1);
  c->SetVisible(false);
  EXPECT_FALSE(c->isVisible());
  c->SetVisible(true);
  EXPECT_TRUE(c->isVisible());
  EXPECT_EQ(c->createWndCalls, 1);
}

TEST(Control, MouseEventsCarryButtonAndShiftState) {
  PaintingControl c;
  c.SetBounds(0, 0, 100, 100);
  int raised = 0;
  c.OnMouseDown = [&raised, &c](TObject* sender, TMouseButton, TShiftState, int, int) {
    EXPECT_EQ(sender, static_cast<TObject*>(&c));
    ++raised;
  };
  const QPointF pos(10.5, 20.0);  // a half rounds to even
  QMouseEvent press(QEvent::MouseButtonPress, pos, c.mapToGlobal(pos), Qt::LeftButton,
                    Qt::LeftButton, Qt::ShiftModifier);
  QApplication::sendEvent(&c, &press);
  QMouseEvent move(QEvent::MouseMove, QPointF(12, 22), c.mapToGlobal(QPointF(12, 22)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&c, &move);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(12, 22),
                      c.mapToGlobal(QPointF(12, 22)), Qt::LeftButton, Qt::NoButton,
                      Qt::ControlModifier);
  QApplication::sendEvent(&c, &release);
  QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(3, 4), c.mapToGlobal(QPointF(3, 4)),
                  Qt::RightButton, Qt::RightButton, Qt::NoModifier);
  QApplication::sendEvent(&c, &dbl);
  QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), c.mapToGlobal(QPointF(1, 1)));
  QApplication::sendEvent(&c, &enter);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(&c, &leave);

  const std::vector<std::string> expected = {
      "down 0 " + std::to_string(ssShift | ssLeft) + " 10,20",
      "move " + std::to_string(ssLeft) + " 12,22",
      "up 0 " + std::to_string(ssCtrl) + " 12,22",
      "dblclick",
      "down 1 " + std::to_string(ssRight | ssDouble) + " 3,4",
      "enter",
      "leave"};
  EXPECT_EQ(c.log, expected);
  EXPECT_EQ(raised, 2);  // the base MouseDown raises OnMouseDown
}

TEST(Control, PopupMenuOpensOnContextRequest) {
  PaintingControl c;
  c.SetBounds(0, 0, 50, 50);
  QMenu menu;
  menu.addAction("Item");
  c.SetPopupMenu(&menu);
  QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), c.mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(&c, &event);
  EXPECT_TRUE(menu.isVisible());
  menu.close();
}

TEST(Cursors, ResourceCursorsHaveTheirHotSpotsAndTwoColours) {
  struct Case {
    const char* name;
    QPoint hot;
  };
  for (const Case& k : {Case{"CURHAND", {12, 3}}, Case{"CURZOOMW", {7, 9}},
                        Case{"CURZOOMD", {15, 15}}, Case{"CURZOOMP", {7, 8}}}) {
    SCOPED_TRACE(k.name);
    const auto cursor = LoadResourceCursor(k.name);
    ASSERT_TRUE(cursor.has_value());
    EXPECT_EQ(cursor->hotSpot(), k.hot);
    const QImage picture = cursor->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(picture.size(), QSize(32, 32));
    int black = 0, white = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        const QRgb p = picture.pixel(x, y);
        if (qAlpha(p) == 0) continue;
        ASSERT_EQ(qAlpha(p), 255);
        const QRgb rgb = p & 0xFFFFFF;
        ASSERT_TRUE(rgb == 0 || rgb == 0xFFFFFF);
        (rgb == 0 ? black : white)++;
      }
    EXPECT_GT(black, 20);
    EXPECT_GT(white, 20);
    // The hot spot is on the black outline (finger tip, crosshair or centre).
    EXPECT_EQ(picture.pixel(k.hot) & 0xFFFFFF, 0u);
  }
  EXPECT_FALSE(LoadResourceCursor("CURNONE").has_value());
}

TEST(Cursors, BuiltInRegisteredAndControlCursors) {
  EXPECT_EQ(CursorFromId(crHSplit).shape(), Qt::SplitHCursor);
  EXPECT_EQ(CursorFromId(crVSplit).shape(), Qt::SplitVCursor);
  EXPECT_EQ(CursorFromId(crCross).shape(), Qt::CrossCursor);
  EXPECT_EQ(CursorFromId(77).shape(), Qt::ArrowCursor);  // not registered
  RegisterCursor(1, *LoadResourceCursor("CURHAND"));
  EXPECT_EQ(CursorFromId(1).hotSpot(), QPoint(12, 3));

  PaintingControl c;
  c.SetCursor(1);
  EXPECT_EQ(c.cursor().hotSpot(), QPoint(12, 3));
  c.SetCursor(crHSplit);
  EXPECT_EQ(c.cursor().shape(), Qt::SplitHCursor);
  c.SetCursor(crDefault);
  EXPECT_EQ(c.cursor().shape(), Qt::ArrowCursor);

  SetScreenCursor(crCross);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
  SetScreenCursor(crDefault);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(Dialogs, InformationHandlerCapturesTheText) {
  std::vector<std::string> seen;
  const TInformationHandler previous =
      SetInformationHandler([&seen](const std::string& caption, const std::string& text) {
        seen.push_back(caption + ": " + text);
      });
  ShowInformation("Layer 3 is shared");
  ShowInformation("Other", "Chart");
  SetInformationHandler(previous);
  EXPECT_EQ(seen, (std::vector<std::string>{"Information: Layer 3 is shared", "Chart: Other"}));
}

}  // namespace
}  // namespace dendrokit
