// Mouse, wheel and keyboard handling of TDendrogram, driven through its mouse virtuals.
#include <QCoreApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

#include "dendro_fixture.h"

namespace dendrokit {
namespace {

TEST(DendrogramMouse, LabelEdgeGrip) {
  auto d = MakeDendrogram(dirDownward, 400, 393);
  d->SetMarginIsMoveable(true);
  d->SetMargin(20);  // edge at y = 373
  for (int y = 360; y <= 386; ++y) {
    d->MouseMove(0, 10, y);
    EXPECT_EQ(d->Cursor(), y >= 366 && y <= 380 ? crVSplit : crDefault) << y;
  }
  d->MouseMove(0, 70, 373);  // x beyond SH: not on the grip
  EXPECT_EQ(d->Cursor(), crDefault);
  d->MouseMove(ssLeft, 10, 370);  // margin 23 is never set by dragging
  EXPECT_EQ(d->Margin(), 20);

  d->SetMargin(60);  // edge at y = 333; drag upward in small steps
  for (int y = 333; y >= 300; --y) d->MouseMove(ssLeft, 10, y);
  EXPECT_EQ(d->Margin(), 93);
  d->MouseMove(ssLeft, 10, 292);  // 8 pixels away: grip lost
  EXPECT_EQ(d->Margin(), 93);
  for (int y = 300; y <= 360; ++y) d->MouseMove(ssLeft, 10, y);
  EXPECT_EQ(d->Margin(), 51);  // 50 and below are never set
}

TEST(DendrogramMouse, PanFollowsThePointerAndObeysZones) {
  auto d = MakeDendrogram(dirUpward, 560, 400);  // W - SH = 500, H - M = 280
  d->SetRange(0, 10, 0, 100);
  d->SetMouseAction(maPan);
  int zoomPans = 0;
  d->OnZoomPan = [&](TObject*) { ++zoomPans; };
  const int before = d->ObjToPixel(5.0);
  d->MouseMove(ssLeft, 300, 200);  // starts the drag
  d->MouseMove(ssLeft, 350, 200);
  EXPECT_DOUBLE_EQ(d->ObjLow(), -1.0);
  EXPECT_DOUBLE_EQ(d->ObjHigh(), 9.0);
  EXPECT_EQ(d->ObjToPixel(5.0), before + 50);
  EXPECT_EQ(zoomPans, 1);

  // Over the scale strip only the distance axis moves, 28 pixels = 10 units.
  d->MouseMove(ssLeft, 30, 228);
  EXPECT_DOUBLE_EQ(d->ObjLow(), -1.0);
  EXPECT_DOUBLE_EQ(d->DistLow(), -10.0);
  d->MouseMove(0, 30, 228);  // released: the next move starts anew
  d->SetMouseAction(maPanVert);
  d->MouseMove(ssLeft, 300, 200);
  d->MouseMove(ssLeft, 350, 250);
  EXPECT_DOUBLE_EQ(d->ObjLow(), -2.0);
  EXPECT_DOUBLE_EQ(d->DistLow(), -10.0);
}

TEST(DendrogramMouse, ZoomByDragging) {
  auto d = MakeDendrogram(dirUpward, 560, 400);
  d->SetRange(0, 10, 0, 100);
  d->SetMouseAction(maZoomDrag);
  d->MouseMove(ssLeft, 100, 150);
  d->MouseMove(ssLeft, 100 + 280, 150);  // right by W/2: half the horizontal window
  EXPECT_DOUBLE_EQ(d->ObjLow(), 2.5);
  EXPECT_DOUBLE_EQ(d->ObjHigh(), 7.5);
  d->MouseMove(ssLeft, 100, 150 + 200);  // down by H/2: vertical window 1.5 times as wide
  EXPECT_DOUBLE_EQ(d->ObjLow(), 0.0);
  EXPECT_DOUBLE_EQ(d->DistLow(), -25.0);
  EXPECT_DOUBLE_EQ(d->DistHigh(), 125.0);
  const TViewWindow w = d->Window();
  d->MouseMove(ssLeft, 100, 20);  // in the label band: nothing
  EXPECT_EQ(d->Window(), w);
}

TEST(DendrogramMouse, RubberBand) {
  auto d = MakeDendrogram(dirLeftward);
  d->SetMouseAction(maZoomWind);
  const TViewWindow w = d->Window();
  const QImage picture = d->ShownImage().copy();
  d->MouseDown(mbLeft, ssLeft, 200, 100);  // a click: zero-size band
  d->MouseUp(mbLeft, 0, 200, 100);
  EXPECT_EQ(d->Window(), w);

  d->MouseDown(mbLeft, ssLeft, 200, 100);
  d->MouseMove(ssLeft, 250, 150);
  EXPECT_NE(d->ShownImage(), picture);
  d->MouseMove(ssLeft, 10, 160);  // clamped to x = M
  d->MouseUp(mbRight, ssLeft, 10, 160);  // cancel: band erased, window kept
  EXPECT_EQ(d->ShownImage(), picture);
  EXPECT_EQ(d->Window(), w);

  d->MouseDown(mbLeft, ssLeft, 300, 200);
  d->MouseMove(ssLeft, 10, 100);
  const double o1 = d->PixelToObj(100), o2 = d->PixelToObj(200);
  const double d1 = d->PixelToDist(120), d2 = d->PixelToDist(300);
  d->MouseUp(mbLeft, 0, 10, 100);
  EXPECT_EQ(d->Window(), (TViewWindow{o1, o2, d1, d2}));
}

TEST(DendrogramMouse, CrossHairDragAndPointerData) {
  auto d = MakeDendrogram(dirLeftward);
  d->SetMouseAction(maDragCrossH);
  int moves = 0;
  d->OnCrossHairMove = [&](TObject*) { ++moves; };
  d->MouseMove(ssLeft, 200, 100);
  d->MouseMove(ssLeft, 250, 120);
  EXPECT_EQ(moves, 1);
  EXPECT_DOUBLE_EQ(d->CrossHair().PosX(), d->PixelToObj(120));
  EXPECT_DOUBLE_EQ(d->CrossHair().PosY(), d->PixelToDist(250));
  EXPECT_DOUBLE_EQ(d->MouseObj(), d->PixelToObj(120));
  d->MouseMove(ssLeft, 60, 150);  // label band: the crosshair stays
  EXPECT_EQ(moves, 1);
  EXPECT_DOUBLE_EQ(d->CrossHair().PosY(), d->PixelToDist(250));
}

TEST(DendrogramMouse, WheelZoomsAboutThePointer) {
  auto d = MakeDendrogram(dirUpward, 560, 400);
  d->SetRange(0, 10, 0, 100);
  int zoomPans = 0;
  d->OnZoomPan = [&](TObject*) { ++zoomPans; };
  const double o = d->PixelToObj(200), dd = d->PixelToDist(300);
  d->WheelZoom(200, 300, 1);
  EXPECT_NEAR(d->ObjHigh() - d->ObjLow(), 8.0, 1e-12);
  EXPECT_NEAR(d->DistHigh() - d->DistLow(), 80.0, 1e-12);
  EXPECT_NEAR(d->PixelToObj(200), o, 1e-12);
  EXPECT_NEAR(d->PixelToDist(300), dd, 1e-12);
  d->WheelZoom(200, 300, -1);
  EXPECT_NEAR(d->ObjHigh() - d->ObjLow(), 10.0, 1e-12);
  EXPECT_EQ(zoomPans, 2);

  // Keys: an arrow moves the picture by a tenth of the tree area, Home shows everything.
  auto key = [&](int k) {
    QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier);
    QCoreApplication::sendEvent(d.get(), &e);
  };
  const double low = d->ObjLow();
  key(Qt::Key_Right);  // 50 of 500 pixels
  EXPECT_NEAR(d->ObjLow() - low, 1.0, 1e-9);
  key(Qt::Key_Plus);
  EXPECT_NEAR(d->ObjHigh() - d->ObjLow(), 8.0, 1e-9);
  key(Qt::Key_Home);
  EXPECT_DOUBLE_EQ(d->ObjLow(), 1 - 0.05 * 4);
  EXPECT_EQ(zoomPans, 5);
}

}  // namespace
}  // namespace dendrokit
