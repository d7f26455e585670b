#include <gtest/gtest.h>

#include <cmath>

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "tests/chart/plotra_test_util.h"

namespace dendrokit {
namespace {

using testing::TestChart;

// 270 x 160 with the standard layout: chart area x 50..250 (200 px), y 20..120 (100 px).
struct Drag {
  TMouseActMode mode;
  int x0, y0, x1, y1;  // first move (start) and second move
  double xlo, xhi, ylo, yhi;
};

TEST(PlotraMouse, PanAndZoomDrags) {
  const Drag cases[] = {
      {maPan, 100, 70, 150, 70, -25, 75, 0, 100},       // 50 px right in 200 px
      {maPanHoriz, 100, 70, 150, 20, -25, 75, 0, 100},  // y untouched
      {maPanVert, 100, 70, 150, 20, 0, 100, -50, 50},   // 50 px up in 100 px
      {maZoomDrag, 100, 70, 127, 70, 5, 95, 0, 100},    // 10 % of the width: 90 %
  };
  for (const Drag& d : cases) {
    TestChart c(270, 160);
    c.SetMouseAction(d.mode);
    int zoomPans = 0;
    c.OnZoomPan = [&](TObject*) { ++zoomPans; };
    c.MouseMove(ssLeft, d.x0, d.y0);
    c.MouseMove(ssLeft, d.x1, d.y1);
    const auto& px = c.ScalePropsX(1);
    const auto& py = c.ScalePropsY(1);
    EXPECT_NEAR(px.RangeLow(), d.xlo, 1e-9) << EnumToName(d.mode);
    EXPECT_NEAR(px.RangeHigh(), d.xhi, 1e-9) << EnumToName(d.mode);
    EXPECT_NEAR(py.RangeLow(), d.ylo, 1e-9) << EnumToName(d.mode);
    EXPECT_NEAR(py.RangeHigh(), d.yhi, 1e-9) << EnumToName(d.mode);
    EXPECT_EQ(zoomPans, 1);
  }
}

TEST(PlotraMouse, PanGridSnapsTowardZero) {
  TestChart c(270, 160);
  c.SetMouseAction(maPanGrid);
  c.SetPanGridDx(10);
  c.MouseMove(ssLeft, 200, 70);
  c.MouseMove(ssLeft, 152, 70);  // 48 px left: 0..100 becomes 24..124
  EXPECT_DOUBLE_EQ(c.ScalePropsX(1).RangeLow(), 20);
  EXPECT_DOUBLE_EQ(c.ScalePropsX(1).RangeHigh(), 120);
}

TEST(PlotraMouse, BandsOnRelease) {
  struct Case {
    TMouseActMode mode;
    int x0, y0, x1, y1;
    bool rangeChanged, eventRaised;
    double xlo, ylo;  // new low ends of layer 1
  } const cases[] = {
      {maSelectRect, 100, 50, 100, 50, false, false, 0, 0},  // zero size: nothing
      {maZoomWind, 100, 45, 150, 95, true, false, 25, 75},   // y reversed: press y is low
      {maZoomWindPos, 100, 45, 150, 95, true, false, 25, 25},
      {maSelectRect, 150, 95, 100, 45, false, true, 0, 0},
  };
  for (const Case& k : cases) {
    TestChart c(270, 160);
    c.SetMouseAction(k.mode);
    bool raised = false;
    double loX = 0, loY = 0, hiX = 0, hiY = 0;
    c.OnSelectRect = [&](TObject*, int, double a, double b, double cc, double d) {
      raised = true;
      loX = a, loY = b, hiX = cc, hiY = d;
    };
    c.MouseDown(mbLeft, ssLeft, k.x0, k.y0);
    c.MouseMove(ssLeft, k.x1, k.y1);
    c.MouseUp(mbLeft, 0, k.x1, k.y1);
    const auto& px = c.ScalePropsX(1);
    const auto& py = c.ScalePropsY(1);
    const bool changed = px.RangeLow() != 0 || px.RangeHigh() != 100 || py.RangeLow() != 0;
    EXPECT_EQ(changed, k.rangeChanged) << EnumToName(k.mode);
    EXPECT_EQ(raised, k.eventRaised) << EnumToName(k.mode);
    if (k.rangeChanged) {
      EXPECT_NEAR(px.RangeLow(), k.xlo, 1e-9) << EnumToName(k.mode);
      EXPECT_NEAR(py.RangeLow(), k.ylo, 1e-9) << EnumToName(k.mode);
    }
    if (k.eventRaised) {  // put in the axes' order
      EXPECT_NEAR(loX, 25, 1e-9);
      EXPECT_NEAR(hiX, 50, 1e-9);
      EXPECT_NEAR(loY, 25, 1e-9);
      EXPECT_NEAR(hiY, 75, 1e-9);
    }
  }
}

TEST(PlotraMouse, TraceStopsAt5000Points) {
  TestChart c(270, 160);
  c.SetMouseAction(maDrawMTrace);
  for (int i = 0; i < 5001; ++i) c.MouseMove(ssLeft, 60 + i % 180, 30 + i % 80);
  EXPECT_EQ(c.MouseTrace().size(), 5000u);
  c.MouseUp(mbLeft, 0, 60, 30);
  EXPECT_TRUE(c.MouseTrace().back().Flags & TMouseTracePoint::kStrokeEnd);
}

TEST(PlotraMouse, DoubleClickSwitchesScaleAndSwallowsThePress) {
  TestChart c(270, 160);
  c.Scale1X().SetMouseAction(maPan);
  int downs = 0;
  c.OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; };
  for (TMouseActMode expect : {maZoom, maPan}) {
    c.MouseDown(mbLeft, ssLeft, 150, 135);  // on the bottom scale
    c.MouseUp(mbLeft, 0, 150, 135);
    c.DblClick();
    c.MouseDown(mbLeft, ssLeft | ssDouble, 150, 135);  // swallowed
    c.MouseUp(mbLeft, 0, 150, 135);
    EXPECT_EQ(c.Scale1X().MouseAction(), expect);
  }
  EXPECT_EQ(downs, 2);
}

TEST(PlotraMouse, CursorsByMode) {
  struct Case {
    TMouseActMode mode;
    int x, y;
    bool fixed;
    TCursor expect;
  } const cases[] = {
      {maNone, 100, 70, false, crCross},   {maNone, 10, 70, false, crDefault},
      {maPan, 100, 70, false, 1},          {maZoomWind, 100, 70, false, 2},
      {maZoomDrag, 100, 70, false, 3},     {maZoomWindPos, 100, 70, false, 4},
      {maSelectRect, 100, 70, false, crDefault}, {maPan, 100, 70, true, crDefault},
  };
  for (const Case& k : cases) {
    TestChart c(270, 160);
    c.SetMouseAction(k.mode);
    c.SetMouseCursorFixed(k.fixed);
    c.MouseMove(0, k.x, k.y);
    EXPECT_EQ(c.Cursor(), k.expect) << EnumToName(k.mode) << " " << k.x;
  }
}

TEST(PlotraMouse, MoveReportIsNotReentered) {
  TestChart c(270, 160);
  int reports = 0;
  double wx = 0;
  bool inChart = false;
  c.OnMouseMoveInChart = [&](TObject*, bool in, TShiftState, double x, double) {
    ++reports;
    wx = x;
    inChart = in;
    c.MouseMove(0, 10, 10);  // moves during the handling are dropped
  };
  c.MouseMove(0, 150, 70);
  EXPECT_EQ(reports, 1);
  EXPECT_EQ(c.Cursor(), crCross);  // the dropped move, outside the area, changed nothing
  EXPECT_NEAR(wx, 50, 1e-9);
  EXPECT_TRUE(inChart);
}

TEST(PlotraMouse, CrossHairDragPicksNearestAndMayBeRefused) {
  for (bool allow : {true, false}) {
    TestChart c(270, 160);
    c.SetMouseAction(maDragCrossH);
    c.CrossHair1().SetMode(chVert);
    c.CrossHair1().SetPosX(20);
    c.CrossHair2().SetMode(chVert);
    c.CrossHair2().SetLayer(1);
    c.CrossHair2().SetPosX(60);
    int picked = 0;
    c.OnBeforeCrossHairMove = [&](TObject*, int which, int, int, bool& a) {
      picked = which;
      a = allow;
    };
    c.MouseMove(ssLeft, c.At(55, 0).X, 70);
    c.MouseMove(ssLeft, c.At(80, 0).X, 70);
    EXPECT_EQ(picked, 2);
    EXPECT_NEAR(c.CrossHair2().PosX(), allow ? 80 : 60, 1e-9);
  }
}


// The chart keeps the tab key (the arrows reach a focused widget anyway).
TEST(PlotraMouse, TabKeyStaysWithTheChart) {
  QWidget window;
  TPlotra* chart = new TPlotra(&window);
  QWidget* other = new QWidget(&window);
  other->setFocusPolicy(Qt::StrongFocus);
  window.show();
  QApplication::setActiveWindow(&window);
  chart->setFocus();
  ASSERT_TRUE(chart->hasFocus());
  QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
  QCoreApplication::sendEvent(chart, &tab);
  EXPECT_EQ(chart->focusPolicy(), Qt::StrongFocus);
  EXPECT_NE(QApplication::focusWidget(), other);
}

}  // namespace
}  // namespace dendrokit
