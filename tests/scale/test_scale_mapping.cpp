// Value-to-pixel mapping and the drag arithmetic of the scale control (no display needed).
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "scale/scale_mapping.h"

namespace dendrokit {
namespace {

TScaleGeometry Geo(TScaleType type, double lo, double hi, bool log = false, int w = 400,
                   int h = 400) {
  TScaleGeometry g;
  g.ScaleType = type;
  g.RangeLow = lo;
  g.RangeHigh = hi;
  g.Logarithmic = log;
  g.Width = w;
  g.Height = h;
  return g;
}

int Pixel(const TScaleGeometry& g, double v) {
  const auto m = CalcScaleMapping(g);
  EXPECT_TRUE(m.has_value());
  return MapValueToPixel(m.value_or(TScaleMapping{}), g, v);
}

TEST(ScaleMapping, AxisEndsSitOnTheMargins) {
  struct Case {
    TScaleType type;
    double lo, hi;
    bool log;
    double v;
    int expected;
  };
  const Case cases[] = {
      {sctXB, 0, 100, false, 0, 20},     {sctXB, 0, 100, false, 100, 379},
      {sctXT, 0, 100, false, 50, 200},   // 20 + 359 / 2 = 199.5, half to even
      {sctYL, 0, 100, false, 100, 20},   {sctYL, 0, 100, false, 0, 379},
      {sctYR, 10, 0, false, 10, 379},    // reversed vertical: 10 at the bottom
      {sctXB, 10, 0, false, 10, 20},     // reversed horizontal: 10 at the left
      {sctXB, 1, 1000, true, 10, 140},   // 20 + 359 / 3
      {sctYL, 1, 1000, true, 1000, 20},  {sctYL, 1, 1000, true, 1, 379},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.type) << " " << c.lo << ".." << c.hi << " v=" << c.v);
    EXPECT_EQ(Pixel(Geo(c.type, c.lo, c.hi, c.log), c.v), c.expected);
  }
}

TEST(ScaleMapping, RoundsHalvesToEven) {
  // n = 241 - 40 - 1 = 200 pixels for 100 units: factor 2.
  const TScaleGeometry g = Geo(sctXB, 0, 100, false, 241);
  EXPECT_EQ(Pixel(g, 0.25), 20);  // 20.5
  EXPECT_EQ(Pixel(g, 0.75), 22);  // 21.5
}

TEST(ScaleMapping, NoRoomMapsEverythingToTheMiddle) {
  const TScaleGeometry g = Geo(sctXB, 0, 100, false, 40);
  const auto m = CalcScaleMapping(g);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->Factor, 0.0);
  EXPECT_EQ(MapValueToPixel(*m, g, -1e9), 20);
  EXPECT_EQ(MapValueToPixel(*m, g, 1e9), 20);
  const TScaleGeometry v = Geo(sctYL, 0, 100, false, 400, 10);
  EXPECT_EQ(MapValueToPixel(*CalcScaleMapping(v), v, 3), 5);
}

TEST(ScaleMapping, UnusableRangesKeepThePreviousMapping) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_FALSE(CalcScaleMapping(Geo(sctXB, 5, 5)));
  EXPECT_FALSE(CalcScaleMapping(Geo(sctXB, 0, 100, true)));
  EXPECT_FALSE(CalcScaleMapping(Geo(sctYL, -1, 100, true)));
  EXPECT_FALSE(CalcScaleMapping(Geo(sctXB, nan, 100)));
  EXPECT_FALSE(CalcScaleMapping(Geo(sctXB, 0, inf)));
  EXPECT_FALSE(CalcScaleMapping(Geo(sctXB, 0, 5e-324)));  // factor would be infinite
  EXPECT_FALSE(CalcScaleMapping(Geo(static_cast<TScaleType>(7), 0, 100)));
}

TEST(ScaleMapping, ExtremeValuesAreClampedNotUndefined) {
  const TScaleGeometry g = Geo(sctXB, 0, 100);
  const TScaleMapping m = *CalcScaleMapping(g);
  EXPECT_EQ(MapValueToPixel(m, g, 1e300), 2147483647);
  EXPECT_EQ(MapValueToPixel(m, g, -1e300), -2147483647);
  EXPECT_EQ(MapValueToPixel(m, g, std::numeric_limits<double>::infinity()), 2147483647);
  EXPECT_EQ(MapValueToPixel(m, g, std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(ScaleMapping, LogValuesAtOrBelowZeroGoToTheAxisStartEdge) {
  const TScaleGeometry up = Geo(sctXB, 1, 1000, true);
  const TScaleMapping m = *CalcScaleMapping(up);
  EXPECT_EQ(MapValueToPixel(m, up, 0.0), 0);
  EXPECT_EQ(MapValueToPixel(m, up, 1e-100), 0);
  const TScaleGeometry down = Geo(sctXB, 1000, 1, true);
  EXPECT_EQ(MapValueToPixel(*CalcScaleMapping(down), down, -5.0), 400);
}

// ---- CalcZoomPan ----------------------------------------------------------------------

struct Drag {
  int x, y, startX, startY;
  TMouseActMode action;
  TScaleType type;
  bool log;
  double lo, hi;
};

TZoomPanResult DragOn(const Drag& d) {
  return CalcZoomPan(d.x, d.y, d.startX, d.startY, 400, 400, 20, 20, 20, 20, d.lo, d.hi,
                     d.action, d.type, d.log, d.lo, d.hi);
}

TEST(CalcZoomPan, WorkedExamples) {
  struct Case {
    const char* name;
    Drag drag;
    double lo, hi;
  };
  const double z = 100.0 * 280 / 180;  // 155.56: the start value follows the pointer
  const Case cases[] = {
      {"pan right lowers a horizontal scale", {236, 0, 200, 0, maPan, sctXB, false, 0, 100},
       -10, 90},
      {"pan down raises a vertical scale", {0, 236, 0, 200, maPan, sctYL, false, 0, 100}, 10,
       110},
      {"log pan by a third of three decades", {320, 0, 200, 0, maPan, sctXT, true, 1, 1000},
       0.1, 100},
      {"log pan vertical", {0, 320, 0, 200, maPan, sctYR, true, 1, 1000}, 10, 10000},
      {"zoom from the right half keeps the low end", {200, 0, 300, 0, maZoom, sctXB, false, 0, 100},
       0, z},
      {"zoom from the left half keeps the high end",
       {200, 0, 100, 0, maZoom, sctXB, false, 0, 100}, 100 - z, 100},
      {"zoom from the upper half keeps the low end",
       {0, 200, 0, 100, maZoom, sctYL, false, 0, 100}, 0, z},
      {"zoom from the lower half keeps the high end",
       {0, 200, 0, 300, maZoom, sctYL, false, 0, 100}, 100 - z, 100},
      {"log zoom from the right half", {200, 0, 300, 0, maZoom, sctXB, true, 1, 100}, 1,
       10 * std::pow(10.0, 1 + 100.0 / 360)},
      {"log zoom from the left half", {200, 0, 100, 0, maZoom, sctXB, true, 1, 100},
       10 / std::pow(10.0, 1 + 100.0 / 360), 100},
      {"log zoom from the upper half", {0, 200, 0, 100, maZoom, sctYL, true, 1, 100}, 1,
       10 * std::pow(10.0, 1 + 100.0 / 360)},
      {"log zoom from the lower half", {0, 200, 0, 300, maZoom, sctYL, true, 1, 100},
       10 / std::pow(10.0, 1 + 100.0 / 360), 100},
      {"zoom drag about the middle", {300, 0, 200, 0, maZoomDrag, sctXB, false, 0, 100}, 12.5,
       87.5},
      {"zoom drag down widens a vertical scale",
       {0, 300, 0, 200, maZoomDrag, sctYL, false, 0, 100}, -12.5, 112.5},
      {"log zoom drag", {300, 0, 200, 0, maZoomDrag, sctXB, true, 1, 100},
       10 / std::pow(10.0, 0.75), 10 * std::pow(10.0, 0.75)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TZoomPanResult r = DragOn(c.drag);
    EXPECT_TRUE(r.Changed);
    EXPECT_NEAR(r.NewLow, c.lo, 1e-9 * std::max(1.0, std::fabs(c.lo)));
    EXPECT_NEAR(r.NewHigh, c.hi, 1e-9 * std::max(1.0, std::fabs(c.hi)));
  }
}

TEST(CalcZoomPan, PanUsesTheCurrentRangeForTheStepAndTheStartRangeAsOrigin) {
  // The drag started at 0..100 and the range is already 50 wide: 36 px move 5 units.
  const TZoomPanResult r = CalcZoomPan(236, 0, 200, 0, 400, 400, 20, 20, 20, 20, 0, 100, maPan,
                                       sctXB, false, 10, 60);
  EXPECT_TRUE(r.Changed);
  EXPECT_DOUBLE_EQ(r.NewLow, -5);
  EXPECT_DOUBLE_EQ(r.NewHigh, 95);
}

TEST(CalcZoomPan, OtherActionsChangeNothing) {
  for (TMouseActMode a : {maNone, maPanHoriz, maPanVert, maRubberBand, maZoomWind,
                          maDragCrossH, maZoomPanColors})
    EXPECT_FALSE(DragOn({236, 0, 200, 0, a, sctXB, false, 0, 100}).Changed) << int(a);
}

TEST(CalcZoomPan, UndefinedArithmeticChangesNothing) {
  // No room along the axis.
  EXPECT_FALSE(CalcZoomPan(30, 0, 20, 0, 40, 400, 20, 20, 20, 20, 0, 100, maPan, sctXB, false,
                           0, 100)
                   .Changed);
  // Pointer on the fixed end of a zoom.
  EXPECT_FALSE(DragOn({20, 0, 300, 0, maZoom, sctXB, false, 0, 100}).Changed);
  // Logarithmic arithmetic on a range that reaches below zero.
  EXPECT_FALSE(DragOn({236, 0, 200, 0, maPan, sctXB, true, -1, 100}).Changed);
  EXPECT_FALSE(DragOn({236, 0, 200, 0, maZoomDrag, sctXB, true, -1, 100}).Changed);
  // Zero width for the zoom drag.
  EXPECT_FALSE(CalcZoomPan(30, 0, 20, 0, 0, 0, 0, 0, 0, 0, 0, 100, maZoomDrag, sctXB, false, 0,
                           100)
                   .Changed);
}

TEST(CalcZoomPan, HugeMarginsDoNotOverflow) {
  const int big = std::numeric_limits<int>::max();
  const TZoomPanResult r = CalcZoomPan(big, big, -big, -big, big, big, big, big, big, big, 0,
                                       100, maZoom, sctXB, false, 0, 100);
  if (r.Changed) {
    EXPECT_TRUE(std::isfinite(r.NewLow));
    EXPECT_TRUE(std::isfinite(r.NewHigh));
  }
}

}  // namespace
}  // namespace dendrokit
