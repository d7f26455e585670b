// The places the dendrogram paints, as numbers, for all four orientations at once:
// W = 400, H = 300, M = 50, SW = 30, SH = 60, window [0, 10] x [0, 100].
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "dendrogram/layout.h"

namespace dendrokit {
namespace {

TDendroGeometry Geo(TDirection dir) { return {dir, 400, 300, 50, 30, 60}; }

struct OrientationCase {
  TDirection dir;
  // Mapping: pixels of objects 0 and 10, of distances 0 and 100.
  int obj0, obj10, dist0, dist100;
  TRect corner;
  TLine baseLine;
  TScalePlace scale;
  int clampFrom, clampTo;      // ClampToBase of a pixel inside the label band
  TPoint label;                // default label mode, p = 200, w = 20, TH = 14, row 1
  TLine bar;                   // mark bar at p = 200, d0 = DistToPixel(0), dm = pixel of 40
  TLine hair[2];               // crosshair chBoth at object 200 / distance pixel of 40
};

const OrientationCase kCases[] = {
    {dirUpward, 60, 400, 50, 300, {0, 0, 60, 51}, {{0, 50}, {400, 50}},
     {0, 50, 60, 250, sctYR, true}, 10, 50, {190, 17}, {{200, 51}, {200, 149}},
     {{{61, 150}, {400, 150}}, {{200, 51}, {200, 300}}}},
    {dirDownward, 60, 400, 250, 0, {0, 250, 60, 300}, {{0, 250}, {400, 250}},
     {0, 0, 60, 250, sctYR, false}, 260, 250, {190, 270}, {{200, 249}, {200, 151}},
     {{{61, 150}, {400, 150}}, {{200, 1}, {200, 250}}}},
    {dirLeftward, 30, 300, 50, 400, {0, 0, 51, 30}, {{50, 0}, {50, 300}},
     {50, 0, 350, 30, sctXB, false}, 10, 50, {26, 193}, {{51, 200}, {189, 200}},
     {{{51, 200}, {400, 200}}, {{190, 31}, {190, 300}}}},
    {dirRightward, 30, 300, 350, 0, {350, 0, 400, 30}, {{350, 0}, {350, 300}},
     {0, 0, 350, 30, sctXB, true}, 360, 350, {355, 193}, {{349, 200}, {211, 200}},
     {{{1, 200}, {350, 200}}, {{210, 31}, {210, 300}}}},
};

TEST(DendroLayout, PlacesOfEveryOrientation) {
  const TViewWindow w{0.0, 10.0, 0.0, 100.0};
  for (const OrientationCase& c : kCases) {
    SCOPED_TRACE(EnumToName(c.dir));
    const TDendroGeometry g = Geo(c.dir);
    const TTransform t = CalcDendroTransform(g, w);
    EXPECT_EQ(MapToPixel(t.kObj, t.dObj, 0.0), c.obj0);
    EXPECT_EQ(MapToPixel(t.kObj, t.dObj, 10.0), c.obj10);
    EXPECT_EQ(MapToPixel(t.kDist, t.dDist, 0.0), c.dist0);
    EXPECT_EQ(MapToPixel(t.kDist, t.dDist, 100.0), c.dist100);

    const TDendroFrame f = DendroFrame(g);
    EXPECT_EQ(f.Corner, c.corner);
    EXPECT_EQ(f.BaseLine, c.baseLine);
    EXPECT_EQ(DendroScalePlace(g), c.scale);
    EXPECT_EQ(ClampToBase(g, c.clampFrom), c.clampTo);
    EXPECT_EQ(ClampToBase(g, 150), 150);  // no clamp at the far end

    const TLabelMode mode = LabelModeFor(c.dir, false, false);
    EXPECT_EQ(LabelPos(g, mode, 200, 20, 14, 1), c.label);

    const int d40 = MapToPixel(t.kDist, t.dDist, 40.0);
    const TMarkPlan bar = MarkPlan(g, 1, 200, c.dist0, d40);
    EXPECT_EQ(bar.PenWidth, 3);
    ASSERT_EQ(bar.Lines.size(), 1u);
    EXPECT_EQ(bar.Lines[0], c.bar);

    const bool objIsX = ObjectAxisIsX(c.dir);
    const TCrossHairPlan hair =
        CrossHairPlan(g, chBoth, objIsX ? 200 : d40, objIsX ? d40 : 200, 1);
    ASSERT_EQ(hair.Lines.size(), 2u);
    EXPECT_EQ(hair.Lines[0], c.hair[0]);
    EXPECT_EQ(hair.Lines[1], c.hair[1]);
    EXPECT_TRUE(CrossHairPlan(g, chCrossBox, 200, 200, 1).Lines.empty());
  }
}

TEST(DendroLayout, LabelModesRowsAndRotatedPlaces) {
  EXPECT_EQ(LabelModeFor(dirUpward, true, false), TLabelMode::Rotated);
  EXPECT_EQ(LabelModeFor(dirDownward, true, true), TLabelMode::Staggered);
  EXPECT_EQ(LabelModeFor(dirLeftward, true, false), TLabelMode::Horizontal);
  EXPECT_EQ(LabelRows(20, 16), 1);  // M = 20, TH = 16: one row only
  EXPECT_EQ(LabelRows(120, 14), 7);
  EXPECT_EQ(LabelRow(9.0, 7), 1);
  EXPECT_EQ(LabelRow(std::nan(""), 7), 0);
  // Rotated text starts at the base line side and runs upward for w pixels.
  EXPECT_EQ(LabelPos(Geo(dirUpward), TLabelMode::Rotated, 200, 20, 14, 0), (TPoint{193, 47}));
  EXPECT_EQ(LabelPos(Geo(dirDownward), TLabelMode::Rotated, 200, 20, 14, 0),
            (TPoint{193, 274}));
}

TEST(DendroLayout, ChevronsAndMarksThatAreNotDrawn) {
  const TMarkPlan ch = MarkPlan(Geo(dirUpward), 2, 200, 50, 150);
  ASSERT_EQ(ch.Lines.size(), 8u);
  EXPECT_EQ(ch.Lines[0], (TLine{{200, 51}, {201, 51}}));  // the point touches the leaf end
  EXPECT_EQ(ch.Lines[1], (TLine{{200, 50}, {201, 50}}));
  EXPECT_EQ(ch.Lines[7], (TLine{{197, 44}, {204, 44}}));  // 7 pixels wide in the band
  const TMarkPlan down = MarkPlan(Geo(dirDownward), 2, 200, 250, 150);
  EXPECT_EQ(down.Lines[0], (TLine{{200, 250}, {201, 250}}));
  EXPECT_EQ(down.Lines[1], (TLine{{200, 249}, {201, 249}}));
  // Over the scale strip, merged at the leaf (f not beyond M), or style 0: nothing.
  EXPECT_TRUE(MarkPlan(Geo(dirUpward), 1, 58, 50, 150).Lines.empty());
  EXPECT_TRUE(MarkPlan(Geo(dirUpward), 1, 200, 50, 51).Lines.empty());
  EXPECT_TRUE(MarkPlan(Geo(dirUpward), 0, 200, 50, 150).Lines.empty());
}

TEST(DendroLayout, CrossHairBoxIgnoresWidthAndLinesStayInTheTreeArea) {
  const TCrossHairPlan box = CrossHairPlan(Geo(dirLeftward), chBox, 100, 100, 5);
  EXPECT_TRUE(box.Box);
  EXPECT_EQ(box.PenWidth, 1);
  EXPECT_EQ(box.BoxRect, (TRect{98, 98, 103, 103}));
  EXPECT_EQ(box.Lines[0], (TLine{{90, 100}, {110, 100}}));
  // Width 5 (hw = 2) and a point in the label band: only the line inside the tree area.
  const TCrossHairPlan wide = CrossHairPlan(Geo(dirUpward), chBoth, 200, 40, 5);
  ASSERT_EQ(wide.Lines.size(), 1u);
  EXPECT_EQ(wide.Lines[0], (TLine{{200, 53}, {200, 298}}));
}

TEST(DendroLayout, DegenerateAxesNeverProduceUndefinedPixels) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* name;
    TDendroGeometry g;
    TViewWindow w;
  };
  const Case cases[] = {
      {"W - SH = 0", {dirUpward, 120, 300, 50, 30, 120}, {0, 10, 0, 100}},
      {"collapsed window", {dirLeftward, 400, 300, 50, 30, 60}, {5, 5, 1, 1}},
      {"overflowing span", {dirRightward, 400, 300, 50, 30, 60}, {-1e308, 1e308, 0, 1e-320}},
      {"infinite ends", {dirDownward, 400, 300, 50, 30, 60}, {-inf, inf, 0, inf}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TTransform t = CalcDendroTransform(c.g, c.w);
    for (const double v : {0.0, 1e300, -inf, inf, std::nan("")}) {
      const int p = MapToPixel(t.kObj, t.dObj, v);
      EXPECT_LE(std::abs(p), kMaxPixel);
      EXPECT_LE(std::abs(MapToPixel(t.kDist, t.dDist, v)), kMaxPixel);
    }
    EXPECT_TRUE(std::isfinite(PixelToValue(t.kObj, t.dObj, 77, c.w.ObjLow)) ||
                !std::isfinite(c.w.ObjLow));
  }
  EXPECT_EQ(MapToPixel(1.0, 0.0, 1e12), kMaxPixel);
  EXPECT_EQ(MapToPixel(1.0, 0.0, -1e12), -kMaxPixel);
  EXPECT_EQ(MapToPixel(1.0, 0.5, 2.0), 2);  // 2.5: halves to even
}

TEST(DendroLayout, TreeAreaEdges) {
  struct Case {
    TDirection dir;
    int x, y;
    bool inside;
  };
  const Case cases[] = {
      {dirUpward, 60, 100, false}, {dirUpward, 61, 50, true},    {dirUpward, 399, 300, true},
      {dirUpward, 400, 100, false}, {dirUpward, 100, 49, false}, {dirDownward, 100, 250, true},
      {dirDownward, 100, 251, false}, {dirLeftward, 50, 30, true}, {dirLeftward, 49, 100, false},
      {dirLeftward, 100, 29, false}, {dirRightward, 350, 300, true},
      {dirRightward, 351, 100, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(InTreeRect(Geo(c.dir), c.x, c.y), c.inside)
        << EnumToName(c.dir) << " " << c.x << "," << c.y;
}

}  // namespace
}  // namespace dendrokit
