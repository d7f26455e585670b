// The plotting commands (the record each writes, bulk paths), fitting ranges to the items,
// a few pixels of kinds drawn through the commands, and the regressions found with them.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "chart/plotfit.h"
#include "gfxbase/errors.h"
#include "tests/chart/plotra_test_util.h"

namespace dendrokit {
namespace {

using testing::TestChart;
constexpr TColor kRed = 0x0000FF, kWhite = 0xFFFFFF, kBlue = 0xFF0000;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The record of every command, read as the painting rules read it. Unset colours come from
// DataColor (0x111111) and FillColor (0x222222); pen style, class and width are stamped.
TEST(ChartPlot, EachCommandWritesItsKindsRecord) {
  struct Row {
    const char* name;
    std::function<int(TPlotra&)> add;
    TplChartItem want;  // Kind, Layer, X..Y2, Color, FillColor and the kind's own fields
  };
  auto rec = [](std::uint8_t kind, int layer, double x, double y, double x2, double y2,
                TColor color, TColor fill, std::function<void(TplChartItem&)> more = {}) {
    TplChartItem it;
    it.Kind = kind;
    it.Layer = layer;
    it.X = x, it.Y = y, it.X2 = x2, it.Y2 = y2;
    it.Color = color;
    it.FillColor = fill;
    if (more) more(it);
    return it;
  };
  const TColor D = 0x111111, F = 0x222222;
  const std::vector<Row> rows = {
      {"mark", [](TPlotra& c) { return c.AddMark(2, 1, 2, 9, 0x0000FF); },
       rec(ckMark, 2, 1, 2, 0, 0, 0x0000FF, F, [](auto& i) { i.Alignment = 9; })},
      {"mark type clamped", [](TPlotra& c) { return c.AddMark(1, 1, 2, 300); },
       rec(ckMark, 1, 1, 2, 0, 0, D, F, [](auto& i) { i.Alignment = 255; })},
      {"line, QColor", [](TPlotra& c) { return c.AddLine(3, 1, 2, 3, 4, QColor(255, 0, 0)); },
       rec(ckLine, 3, 1, 2, 3, 4, 0x0000FF, F)},
      {"line, Qt::blue", [](TPlotra& c) { return c.AddLine(1, 1, 2, 3, 4, Qt::blue); },
       rec(ckLine, 1, 1, 2, 3, 4, kBlue, F)},
      {"line, invalid QColor", [](TPlotra& c) { return c.AddLine(1, 1, 2, 3, 4, QColor()); },
       rec(ckLine, 1, 1, 2, 3, 4, D, F)},
      {"layer clamped", [](TPlotra& c) { return c.AddLine(40, 1, 2, 3, 4); },
       rec(ckLine, 16, 1, 2, 3, 4, D, F)},
      {"move-to", [](TPlotra& c) { return c.AddMoveTo(1, 5, 6); }, rec(ckMoveTo, 1, 5, 6, 0, 0, D, F)},
      {"draw-to", [](TPlotra& c) { return c.AddDrawTo(1, 5, 6); }, rec(ckDrawTo, 1, 5, 6, 0, 0, D, F)},
      {"rectangle", [](TPlotra& c) { return c.AddRectangle(1, 1, 2, 3, 4, 5, 6, true); },
       rec(ckRectangle, 1, 1, 2, 3, 4, 5, 6, [](auto& i) { i.Hollow = true; })},
      {"framed box", [](TPlotra& c) { return c.AddFramedBox(1, 1, 2, 3, 4, fsRaised); },
       rec(ckFramedBox, 1, 1, 2, 3, 4, D, F, [](auto& i) {
         i.FrameStyle = fsRaised;
         i.EdgeColor1 = 0xFFFFFF;
         i.EdgeColor2 = 0x808080;
       })},
      {"framed box, edges", [](TPlotra& c) { return c.AddFramedBox(1, 1, 2, 3, 4, fsLowered, 7, 8, 9); },
       rec(ckFramedBox, 1, 1, 2, 3, 4, D, 7, [](auto& i) {
         i.FrameStyle = fsLowered;
         i.EdgeColor1 = 8;
         i.EdgeColor2 = 9;
       })},
      {"3-D bar", [](TPlotra& c) { return c.Add3DBar(1, 1, 2, 3, 4, 8, 45); },
       rec(ck3DBar, 1, 1, 2, 3, 4, D, F, [](auto& i) { i.BkStyle = 8, i.Size = 45; })},
      {"ellipse", [](TPlotra& c) { return c.AddEllipse(1, 1, 2, 3, 4, {}, {}, true); },
       rec(ckEllipse, 1, 1, 2, 3, 4, D, F, [](auto& i) { i.Hollow = true; })},
      {"arc", [](TPlotra& c) { return c.AddArc(1, 1, 2, 3, 4, 30, 120); },
       rec(ckArc, 1, 1, 2, 3, 4, D, F, [](auto& i) { i.Size = 30, i.BkStyle = 120; })},
      {"arrow", [](TPlotra& c) { return c.AddArrow(1, 1, 2, 3, 4, 12); },
       rec(ckArrow, 1, 1, 2, 3, 4, D, F, [](auto& i) { i.Size = 12; })},
      {"double arrow", [](TPlotra& c) { return c.AddDoubleArrow(1, 1, 2, 3, 4, 9, {}, true); },
       rec(ckDoubleArrow, 1, 1, 2, 3, 4, D, F, [](auto& i) { i.Size = 9, i.Hollow = true; })},
      {"fixed-size box", [](TPlotra& c) { return c.AddFixedSizeBox(1, 1, 2, 6, 3); },
       rec(ckFixedSizeBox, 1, 1, 2, 0, 0, D, F, [](auto& i) { i.Size = 6, i.BkStyle = 3; })},
      {"error bar", [](TPlotra& c) { return c.AddErrorBar(1, 1, 2, 0.5, 0.25, 16); },
       rec(ckErrorBarMark, 1, 1, 2, 0.5, 0.25, D, F, [](auto& i) { i.Alignment = 16; })},
      {"shifted line", [](TPlotra& c) { return c.AddShiftedLine(1, 1, 2, 3, 4, 5, -6); },
       rec(ckShiftedLine, 1, 1, 2, 3, 4, D, F, [](auto& i) { i.Size = 5, i.BkStyle = -6; })},
      {"vertical rule", [](TPlotra& c) { return c.AddVertRule(1, 7); }, rec(ckVertRule, 1, 7, 0, 0, 0, D, F)},
      {"horizontal rule", [](TPlotra& c) { return c.AddHorizRule(1, 7); }, rec(ckHorizRule, 1, 0, 7, 0, 0, D, F)},
      {"cross", [](TPlotra& c) { return c.AddCross(1, 1, 2, 3, 4); }, rec(ckCross, 1, 1, 2, 3, 4, D, F)},
      {"move-by", [](TPlotra& c) { return c.AddMoveBy(1, 5, -6); }, rec(ckMoveBy, 1, 5, -6, 0, 0, D, F)},
      {"draw-by", [](TPlotra& c) { return c.AddDrawBy(1, 5, -6); }, rec(ckDrawBy, 1, 5, -6, 0, 0, D, F)},
      {"draw-by-offset", [](TPlotra& c) { return c.AddDrawByOffset(1, 1, 2, 5, -6); },
       rec(ckDrawByOffset, 1, 1, 2, 5, -6, D, F)},
      {"text", [](TPlotra& c) { return c.AddText(4, 1, 2, "abc", 10); },
       rec(ckText, 4, 1, 2, 0, 0, D, F, [](auto& i) { i.Size = 10, i.Alignment = taCenter; })},
      {"offset text", [](TPlotra& c) { return c.AddText(4, 1, 2, "abc", 10, 5, 3, -2); },
       rec(ckOffsetText, 4, 1, 2, 3, -2, 5, F, [](auto& i) { i.Size = 10, i.Alignment = taCenter; })},
  };
  TPlotra c;
  c.SetDataColor(D);
  c.SetFillColor(F);
  c.SetPenStyle(psDash);
  c.SetClassDefault(7);
  c.SetLineWidth(3);
  int expectedIndex = 0;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    ASSERT_EQ(r.add(c), expectedIndex);
    const TplChartItem& got = c.DataItems()[expectedIndex++];
    const TplChartItem& w = r.want;
    EXPECT_EQ(got.Kind, w.Kind);
    EXPECT_EQ(got.Layer, w.Layer);
    EXPECT_EQ(got.X, w.X);
    EXPECT_EQ(got.Y, w.Y);
    EXPECT_EQ(got.X2, w.X2);
    EXPECT_EQ(got.Y2, w.Y2);
    EXPECT_EQ(got.Color, w.Color);
    EXPECT_EQ(got.FillColor, w.FillColor);
    EXPECT_EQ(got.Size, w.Size);
    EXPECT_EQ(got.BkStyle, w.BkStyle);
    EXPECT_EQ(got.Alignment, w.Alignment);
    EXPECT_EQ(got.Hollow, w.Hollow);
    EXPECT_EQ(got.FrameStyle, w.FrameStyle);
    EXPECT_EQ(got.EdgeColor1, w.EdgeColor1);
    EXPECT_EQ(got.EdgeColor2, w.EdgeColor2);
    EXPECT_EQ(got.PenStyle, psDash);
    EXPECT_EQ(got.ItemClass, 7);
    EXPECT_EQ(got.CoordMode, 0);
    EXPECT_EQ(got.Tag, 0);
    const bool text = w.Kind == ckText || w.Kind == ckOffsetText;
    EXPECT_EQ(got.LineWidth, text ? 0 : 3);  // texts: no long-text slot
  }
}

TEST(ChartPlot, BulkScatterAndPolyline) {
  TPlotra c;
  c.SetAllocSize(3);  // the bulk paths take room in the same steps as single appends
  c.AddMoveTo(1, 0, 0);
  const std::vector<TWorldPoint> pts = {{1, 2}, {3, 4}, {5, 6}, {7, 8}};
  EXPECT_EQ(c.AddScatter(2, pts, 17, 0x0000FF), 1);
  EXPECT_EQ(c.DataCount(), 5);
  EXPECT_EQ(c.DataCapacity(), 6);
  const std::vector<double> xs = {1, 2, 3}, ys = {4, 5, 6};
  EXPECT_EQ(c.AddPolyline(1, xs, ys), 5);
  EXPECT_EQ(c.DataCapacity(), 9);
  for (int i = 1; i <= 4; ++i) {
    const TplChartItem& it = c.DataItems()[i];
    EXPECT_EQ(it.Kind, ckMark);
    EXPECT_EQ(it.Alignment, 17);
    EXPECT_EQ(it.Layer, 2);
    EXPECT_EQ(it.X, pts[i - 1].X);
    EXPECT_EQ(it.Y, pts[i - 1].Y);
  }
  EXPECT_EQ(c.DataItems()[5].Kind, ckMoveTo);
  EXPECT_EQ(c.DataItems()[6].Kind, ckDrawTo);
  EXPECT_EQ(c.DataItems()[7].Kind, ckDrawTo);
  EXPECT_EQ(c.DataItems()[7].Y, 6);
  // Nothing to add; mismatched spans are refused whole.
  EXPECT_EQ(c.AddScatter(1, std::span<const TWorldPoint>{}, 1), -1);
  c.SetName("P");
  try {
    c.AddScatter(1, xs, std::vector<double>{1, 2}, 1);
    FAIL();
  } catch (const EVELPlotraError& e) {
    EXPECT_STREQ(e.what(), "Component \"P\": 3 x values but 2 y values");
  }
  EXPECT_EQ(c.DataCount(), 8);
  int visited = 0;
  c.DataItems().ForEach([&](const TplChartItem&, int i) { EXPECT_EQ(i, visited++); });
  EXPECT_EQ(visited, 8);
}

TEST(ChartPlot, AnnotationListKeepsPixelPlacement) {
  TPlotra c;
  TplChartItem it;
  it.Kind = ckFixedSizeBox;
  it.CoordMode = 3;
  EXPECT_EQ(c.AddAnnotation(it), 0);
  EXPECT_EQ(c.AddAnnotationText(8, "a text longer than 15", 5, 5, 0, 0, taLeftJustify, 3), 1);
  EXPECT_EQ(c.AnnotationItems()[0].CoordMode, 3);
  EXPECT_EQ(c.AnnotationItems()[1].CoordMode, 3);
  EXPECT_EQ(c.ItemText(true, 1), "a text longer than 15");
  EXPECT_EQ(c.DataCount(), 0);
  c.ClearAnnotations();
  EXPECT_EQ(c.AnnotationItems().Count(), 0);
  EXPECT_EQ(c.AnnotationLongTexts().Count(), 1);
}

// Regression: the data list held whatever CoordMode AddTextItem was given.
TEST(ChartPlot, AddTextItemStoresWorldCoordinates) {
  TPlotra c;
  for (std::uint8_t mode : {1, 3, 5}) c.AddTextItem(8, "t", 1, 2, 0, 0, taCenter, mode);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(c.DataItems()[i].CoordMode, 0) << i;
}

// Regression: the margin setters grew the control to its minimum size, so the empty chart
// area whose mapping is fixed could not be reached.
TEST(ChartPlot, MarginsLeaveTheSizeAlone) {
  TPlotra c;
  c.SetBounds(0, 0, 153, 300);
  c.SetMarginLeft(133);  // a = 153 - 133 - 20 = 0
  EXPECT_EQ(c.Width(), 153);
  for (double x : {-1e6, 0.0, 0.5, 1e6}) EXPECT_EQ(c.WorldToPixel(1, x, 0).X, 76) << x;
  TPlotra d;
  d.SetBounds(0, 0, 393, 425);
  d.SetMarginLeft(400);
  EXPECT_EQ(d.Width(), 393);
  EXPECT_EQ(d.ChartArea().Right - d.ChartArea().Left, 0);
  // The minimum applies at the next resize.
  d.SetBounds(0, 0, 100, 100);
  EXPECT_EQ(d.Width(), 400 + 20 + 80);
}

// Regression: the label box was one pixel too wide and too tall (and so was its shadow).
TEST(ChartPlot, TextLabelBoxEdgesAreExclusive) {
  TestChart c(300, 200);
  TTextLabel& lb = *c.TextLabel(1);
  lb.SetCaption("mmmm");
  lb.SetAlignment(taLeftJustify);
  lb.SetAttachToData(tlamNone);
  lb.SetPosX(70);
  lb.SetPosY(60);
  lb.SetColorBkg(0x00FFFF);
  lb.SetMode(tlShadow);
  lb.SetVisible(true);
  c.Repaint();
  QImage img(10, 10, QImage::Format_RGB32);
  TCanvas m(&img);
  m.Font().Assign(&lb.Font());
  const int w = m.TextWidth("mmmm");
  const int ox = c.MarginLeft(), oy = c.MarginTop();
  auto at = [&](int x, int y) { return c.PixelAt(ox + x, oy + y); };
  EXPECT_EQ(at(70 + w + 3, 53), 0u);       // right edge of B in the border colour
  EXPECT_EQ(at(84, 61), 0u);               // bottom edge
  EXPECT_EQ(at(70 + w + 4, 53), 0x808080u);  // beyond it: the shadow, 3 px to the right
  EXPECT_EQ(at(70 + w + 6, 58), 0x808080u);
  EXPECT_EQ(at(70 + w + 7, 58), kWhite);    // and the shadow ends there too
  EXPECT_EQ(at(84, 64), 0x808080u);
  EXPECT_EQ(at(84, 65), kWhite);
  lb.SetMode(tlBox);
  c.Repaint();
  EXPECT_EQ(at(70 + w + 4, 53), kWhite);
  EXPECT_EQ(at(84, 62), kWhite);
}

// ---- Fit to data ----

TEST(ChartFit, AxisRanges) {
  struct Case {
    const char* name;
    std::vector<double> values;
    bool log;
    double low, high;
  } const cases[] = {
      {"0..100: 2 % margin, out to short ticks of 20/4", {0, 100, 37}, false, -5, 105},
      {"0.13..0.87", {0.13, 0.87}, false, 0.1, 0.9},
      {"negative", {-42, -7}, false, -44, -6},
      {"single point: +-10 %", {5}, false, 4.45, 5.55},
      {"single zero: -1..1", {0}, false, -1.1, 1.1},
      {"NaN and infinities skipped", {kNaN, 2, kInf, -kInf, 8}, false, 1.5, 8.5},
      {"log: whole decades", {3, 700}, true, 1, 1000},
      {"log: values <= 0 skipped", {-5, 0, 20, 50}, true, 10, 100},
      {"log: a single decade value", {100}, true, 10, 1000},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TAxisExtent e;
    e.Logarithmic = k.log;
    for (double v : k.values) e.Add(v);
    TAxisRange r;
    ASSERT_TRUE(FitAxisRange(e, 3, true, 1e-10, r));
    EXPECT_NEAR(r.Low, k.low, 1e-12);
    EXPECT_NEAR(r.High, k.high, 1e-12);
  }
  TAxisExtent empty, logOnlyNegative;
  logOnlyNegative.Logarithmic = true;
  logOnlyNegative.Add(-1);
  TAxisRange r;
  EXPECT_FALSE(FitAxisRange(empty, 3, true, 1e-10, r));
  EXPECT_FALSE(FitAxisRange(logOnlyNegative, 3, true, 1e-10, r));
  // A range narrower than MinRange would be refused: it is widened about its centre.
  TAxisExtent tiny;
  tiny.Add(1);
  tiny.Add(1 + 1e-12);
  ASSERT_TRUE(FitAxisRange(tiny, 3, true, 1e-6, r));
  EXPECT_NEAR(r.High - r.Low, 1e-6, 1e-15);
  EXPECT_LE(r.Low, 1);
}

TEST(ChartFit, WhatEachKindCovers) {
  auto extent = [](TplChartItem it) {
    TAxisExtent x, y;
    AddItemExtent(it, x, y);
    return std::vector<double>{x.Empty ? kNaN : x.Min, x.Empty ? kNaN : x.Max,
                               y.Empty ? kNaN : y.Min, y.Empty ? kNaN : y.Max};
  };
  auto item = [](std::uint8_t kind, double x, double y, double x2, double y2) {
    TplChartItem it;
    it.Kind = kind;
    it.X = x, it.Y = y, it.X2 = x2, it.Y2 = y2;
    return it;
  };
  auto same = [](const std::vector<double>& a, const std::vector<double>& b) {
    for (std::size_t i = 0; i < 4; ++i)
      if (!(a[i] == b[i] || (std::isnan(a[i]) && std::isnan(b[i])))) return false;
    return true;
  };
  EXPECT_TRUE(same(extent(item(ckLine, 1, 8, 5, 2)), {1, 5, 2, 8}));
  EXPECT_TRUE(same(extent(item(ckErrorBarMark, 10, 20, 1, -3)), {9, 11, 17, 23}));
  EXPECT_TRUE(same(extent(item(ckEllipse, 10, 20, 2, 4)), {8, 12, 16, 24}));
  EXPECT_TRUE(same(extent(item(ckOffsetText, 3, 4, 100, 100)), {3, 3, 4, 4}));  // the anchor
  EXPECT_TRUE(same(extent(item(ckVertRule, 3, 4, 0, 0)), {3, 3, kNaN, kNaN}));
  EXPECT_TRUE(same(extent(item(ckHorizRule, 3, 4, 0, 0)), {kNaN, kNaN, 4, 4}));
  EXPECT_TRUE(same(extent(item(ckDrawBy, 3, 4, 0, 0)), {kNaN, kNaN, kNaN, kNaN}));
  TplChartItem pixel = item(ckMark, 3, 4, 0, 0);
  pixel.CoordMode = 3;
  EXPECT_TRUE(same(extent(pixel), {kNaN, kNaN, kNaN, kNaN}));
}

TEST(ChartFit, LayersJointsAndDirections) {
  TestChart c(400, 300);
  c.AddErrorBar(1, 10, 50, 1, 5, 1);
  c.AddLine(1, 30, 20, 90, 60);
  c.AddMark(2, 1000, -3, 1);   // layer 2: own ranges
  c.AddText(3, 0.5, 0.5, "x");  // layer 3: a single point
  c.Scale1Y().SetRangeLow(100);  // a reversed y axis stays reversed
  c.Scale1Y().SetRangeHigh(0);
  c.FitToData(1);
  EXPECT_DOUBLE_EQ(c.ScalePropsX(1).RangeLow(), 5);
  EXPECT_DOUBLE_EQ(c.ScalePropsX(1).RangeHigh(), 95);
  EXPECT_DOUBLE_EQ(c.ScalePropsY(1).RangeLow(), 62);
  EXPECT_DOUBLE_EQ(c.ScalePropsY(1).RangeHigh(), 18);
  EXPECT_DOUBLE_EQ(c.ScalePropsX(2).RangeHigh(), 1);  // untouched
  // All layers: layer 4 has no items and keeps 0..1; layer 3 fits its single point.
  c.JointLayers().SetL02xControlledBy(1);
  c.FitToData();
  EXPECT_DOUBLE_EQ(c.ScalePropsX(1).RangeLow(), -50);  // layer 2's x = 1000 counts on layer 1
  EXPECT_DOUBLE_EQ(c.ScalePropsX(1).RangeHigh(), 1050);
  EXPECT_DOUBLE_EQ(c.ScalePropsX(2).RangeHigh(), 1050);  // and layer 2 follows
  EXPECT_NEAR(c.ScalePropsY(2).RangeLow(), -3.35, 1e-12);
  EXPECT_NEAR(c.ScalePropsX(3).RangeLow(), 0.445, 1e-12);
  EXPECT_NEAR(c.ScalePropsX(3).RangeHigh(), 0.555, 1e-12);
  EXPECT_DOUBLE_EQ(c.ScalePropsX(4).RangeLow(), 0);
  EXPECT_DOUBLE_EQ(c.ScalePropsX(4).RangeHigh(), 1);
  // A logarithmic axis fits its positive values only.
  c.ScalePropsX(5).SetRangeLow(1);
  c.ScalePropsX(5).SetLogarithmic(true);
  c.AddScatter(5, std::vector<TWorldPoint>{{-4, 1}, {0, 1}, {2, 1}, {30, 1}}, 1);
  c.FitToData(5);
  EXPECT_DOUBLE_EQ(c.ScalePropsX(5).RangeLow(), 1);
  EXPECT_DOUBLE_EQ(c.ScalePropsX(5).RangeHigh(), 100);
}

// An isometric chart widens the narrower axis: every item stays in view and the ranges are
// those the isometric correction keeps.
TEST(ChartFit, IsometricKeepsEveryItemInView) {
  for (const double height : {5.0, 500.0}) {
    TestChart c(400, 300);
    c.SetIsometric(true);
    c.AddLine(1, 0, 0, 100, height);
    c.FitToData(1);
    const double xl = c.ScalePropsX(1).RangeLow(), xh = c.ScalePropsX(1).RangeHigh();
    const double yl = c.ScalePropsY(1).RangeLow(), yh = c.ScalePropsY(1).RangeHigh();
    EXPECT_TRUE(xl <= 0 && xh >= 100 && yl <= 0 && yh >= height) << height;
    c.SetIsometric(true);  // the correction, applied again, changes nothing
    EXPECT_NEAR(c.ScalePropsY(1).RangeLow(), yl, 1e-9 * (yh - yl)) << height;
    EXPECT_NEAR(c.ScalePropsY(1).RangeHigh(), yh, 1e-9 * (yh - yl)) << height;
  }
}

// ---- Pixels of kinds drawn through the commands ----

TEST(ChartPlot, CommandsDrawWhatTheirKindsDraw) {
  TestChart c(270, 160);  // chart area 200 x 100 px
  c.AddLine(1, 10, 10, 30, 10, kRed);
  c.AddRectangle(1, 60, 20, 70, 30, kRed, 0x00FF00);
  const std::vector<TWorldPoint> pts = {{20, 60}, {40, 70}};
  c.AddScatter(1, pts, 9, kBlue);  // 7 x 7 filled squares
  c.AddErrorBar(1, 80, 50, 5, 10, 0, kRed);
  TplChartItem px;  // a pixel-placed box in the annotation list
  px.Kind = ckFixedSizeBox;
  px.CoordMode = 3;
  px.X = 5, px.Y = 5, px.Size = 2, px.BkStyle = 2;
  px.Color = kBlue;
  px.FillColor = kBlue;
  c.AddAnnotation(px);
  c.Repaint();
  EXPECT_EQ(c.PixelAt(c.At(10, 10)), kRed);
  EXPECT_EQ(c.PixelAt(c.At(30, 10)), kWhite);  // the end pixel of a line is not drawn
  EXPECT_EQ(c.PixelAt(c.At(65, 25)), 0x00FF00u);
  EXPECT_EQ(c.PixelAt(c.At(70, 20)), kRed);  // both corners included
  for (const TWorldPoint& p : pts) {
    const TPoint q = c.At(p.X, p.Y);
    EXPECT_EQ(c.Count(kBlue, {q.X - 4, q.Y - 4, q.X + 5, q.Y + 5}), 49);
  }
  const TPoint e = c.At(85, 50);  // the right bar's cross tick: -3..+3 px about the bar
  EXPECT_EQ(c.Count(kRed, {e.X, e.Y - 5, e.X + 1, e.Y + 6}), 7);
  EXPECT_EQ(c.Count(kBlue, {c.MarginLeft() + 2, c.MarginTop() + 2, c.MarginLeft() + 9,
                            c.MarginTop() + 9}),
            25);
}

}  // namespace
}  // namespace dendrokit
