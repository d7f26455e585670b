// The plotting commands (the record each writes, bulk paths), fitting ranges to the items,
// a few pixels of kinds drawn through the commands, and the regressions found with them.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "chart/plotfit.h"
#include "gfxbase/errors.h"
#include "tests/chart/plotra_test_util.h"

namespace dendrokit {
namespace chart_plot_suite {

using testing::TestChart;
constexpr TColor kRed = 0x0000FF, kWhite = 0xFFFFFF, kBlue = 0xFF0000;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// What a record holds for the painting rules, as one comparable value.
auto Fields(const TplChartItem& i) {
  return std::tuple(int{i.Kind}, i.Layer, i.X, i.Y, i.X2, i.Y2, i.Color, i.FillColor, i.Size,
                    i.BkStyle, i.Alignment, i.Hollow, int{i.FrameStyle}, i.EdgeColor1,
                    i.EdgeColor2);
}

// The record of every command. Unset colours come from DataColor (D) and FillColor (F); pen
// style, class and pen width are stamped; CoordMode and Tag are 0.
TEST(ChartPlot, EachCommandWritesItsKindsRecord) {
  constexpr TColor D = 0x111111, F = 0x222222;
  struct Row {
    const char* name;
    std::function<int(TPlotra&)> add;
    std::uint8_t kind;
    int layer;
    double x, y, x2, y2;
    TColor color = D, fill = F;
    int size = 0, bk = 0, align = 0;
    bool hollow = false;
    TFrameStyle frame = fsNone;
    TColor e1 = 0, e2 = 0;
  };
  const Row rows[] = {
      {"mark", [](TPlotra& c) { return c.AddMark(2, 1, 2, 9, 0xFF); }, ckMark, 2, 1, 2, 0, 0, 0xFF, F, 0, 0, 9},
      {"mark type clamped", [](TPlotra& c) { return c.AddMark(1, 1, 2, 300); }, ckMark, 1, 1, 2, 0, 0, D, F, 0, 0, 255},
      {"QColor", [](TPlotra& c) { return c.AddLine(3, 1, 2, 3, 4, QColor(255, 0, 0)); }, ckLine, 3, 1, 2, 3, 4, 0xFF},
      {"Qt::blue", [](TPlotra& c) { return c.AddLine(1, 1, 2, 3, 4, Qt::blue); }, ckLine, 1, 1, 2, 3, 4, kBlue},
      {"invalid QColor", [](TPlotra& c) { return c.AddLine(1, 1, 2, 3, 4, QColor()); }, ckLine, 1, 1, 2, 3, 4},
      {"layer clamped", [](TPlotra& c) { return c.AddLine(40, 1, 2, 3, 4); }, ckLine, 16, 1, 2, 3, 4},
      {"move-to", [](TPlotra& c) { return c.AddMoveTo(1, 5, 6); }, ckMoveTo, 1, 5, 6, 0, 0},
      {"draw-to", [](TPlotra& c) { return c.AddDrawTo(1, 5, 6); }, ckDrawTo, 1, 5, 6, 0, 0},
      {"rectangle", [](TPlotra& c) { return c.AddRectangle(1, 1, 2, 3, 4, 5, 6, true); }, ckRectangle, 1, 1, 2, 3, 4, 5, 6, 0, 0, 0, true},
      {"framed box", [](TPlotra& c) { return c.AddFramedBox(1, 1, 2, 3, 4, fsRaised); }, ckFramedBox, 1, 1, 2, 3, 4, D, F, 0, 0, 0, false, fsRaised, 0xFFFFFF, 0x808080},
      {"framed box, edges", [](TPlotra& c) { return c.AddFramedBox(1, 1, 2, 3, 4, fsLowered, 7, 8, 9); }, ckFramedBox, 1, 1, 2, 3, 4, D, 7, 0, 0, 0, false, fsLowered, 8, 9},
      {"3-D bar", [](TPlotra& c) { return c.Add3DBar(1, 1, 2, 3, 4, 8, 45); }, ck3DBar, 1, 1, 2, 3, 4, D, F, 45, 8},
      {"ellipse", [](TPlotra& c) { return c.AddEllipse(1, 1, 2, 3, 4, {}, {}, true); }, ckEllipse, 1, 1, 2, 3, 4, D, F, 0, 0, 0, true},
      {"arc", [](TPlotra& c) { return c.AddArc(1, 1, 2, 3, 4, 30, 120); }, ckArc, 1, 1, 2, 3, 4, D, F, 30, 120},
      {"arrow", [](TPlotra& c) { return c.AddArrow(1, 1, 2, 3, 4, 12); }, ckArrow, 1, 1, 2, 3, 4, D, F, 12},
      {"double arrow", [](TPlotra& c) { return c.AddDoubleArrow(1, 1, 2, 3, 4, 9, {}, true); }, ckDoubleArrow, 1, 1, 2, 3, 4, D, F, 9, 0, 0, true},
      {"fixed-size box", [](TPlotra& c) { return c.AddFixedSizeBox(1, 1, 2, 6, 3); }, ckFixedSizeBox, 1, 1, 2, 0, 0, D, F, 6, 3},
      {"error bar", [](TPlotra& c) { return c.AddErrorBar(1, 1, 2, 0.5, 0.25, 16); }, ckErrorBarMark, 1, 1, 2, 0.5, 0.25, D, F, 0, 0, 16},
      {"shifted line", [](TPlotra& c) { return c.AddShiftedLine(1, 1, 2, 3, 4, 5, -6); }, ckShiftedLine, 1, 1, 2, 3, 4, D, F, 5, -6},
      {"vertical rule", [](TPlotra& c) { return c.AddVertRule(1, 7); }, ckVertRule, 1, 7, 0, 0, 0},
      {"horizontal rule", [](TPlotra& c) { return c.AddHorizRule(1, 7); }, ckHorizRule, 1, 0, 7, 0, 0},
      {"cross", [](TPlotra& c) { return c.AddCross(1, 1, 2, 3, 4); }, ckCross, 1, 1, 2, 3, 4},
      {"move-by", [](TPlotra& c) { return c.AddMoveBy(1, 5, -6); }, ckMoveBy, 1, 5, -6, 0, 0},
      {"draw-by", [](TPlotra& c) { return c.AddDrawBy(1, 5, -6); }, ckDrawBy, 1, 5, -6, 0, 0},
      {"draw-by-offset", [](TPlotra& c) { return c.AddDrawByOffset(1, 1, 2, 5, -6); }, ckDrawByOffset, 1, 1, 2, 5, -6},
      {"text", [](TPlotra& c) { return c.AddText(4, 1, 2, "abc", 10); }, ckText, 4, 1, 2, 0, 0, D, F, 10, 0, taCenter},
      {"offset text", [](TPlotra& c) { return c.AddText(4, 1, 2, "abc", 10, 5, 3, -2); }, ckOffsetText, 4, 1, 2, 3, -2, 5, F, 10, 0, taCenter},
  };
  TPlotra c;
  c.SetDataColor(D);
  c.SetFillColor(F);
  c.SetPenStyle(psDash);
  c.SetClassDefault(7);
  c.SetLineWidth(3);
  int index = 0;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    ASSERT_EQ(r.add(c), index);
    const TplChartItem& got = c.DataItems()[index++];
    EXPECT_EQ(Fields(got), std::tuple(int{r.kind}, r.layer, r.x, r.y, r.x2, r.y2, r.color, r.fill,
                                      r.size, r.bk, r.align, r.hollow, int{r.frame}, r.e1, r.e2));
    const bool text = r.kind == ckText || r.kind == ckOffsetText;
    EXPECT_EQ(std::tuple(got.PenStyle, int{got.ItemClass}, got.LineWidth, int{got.CoordMode}, got.Tag),
              std::tuple(psDash, 7, text ? 0 : 3, 0, 0));  // texts: no long-text slot
  }
}

TEST(ChartPlot, BulkScatterPolylineAndAnnotations) {
  TPlotra c;
  c.SetName("P");
  c.SetAllocSize(3);  // the bulk paths take room in the same steps as single appends
  c.AddMoveTo(1, 0, 0);
  const std::vector<TWorldPoint> pts = {{1, 2}, {3, 4}, {5, 6}, {7, 8}};
  EXPECT_EQ(c.AddScatter(2, pts, 17, 0xFF), 1);
  EXPECT_EQ(c.DataCapacity(), 6);
  const std::vector<double> xs = {1, 2, 3}, ys = {4, 5, 6};
  EXPECT_EQ(c.AddPolyline(1, xs, ys), 5);
  EXPECT_EQ(c.DataCapacity(), 9);
  for (int i = 1; i <= 7; ++i) {
    const TplChartItem& it = c.DataItems()[i];
    const TWorldPoint p = i <= 4 ? pts[i - 1] : TWorldPoint{xs[i - 5], ys[i - 5]};
    EXPECT_EQ(std::tuple(int{it.Kind}, it.Alignment, it.Layer, it.X, it.Y),
              std::tuple(i <= 4 ? ckMark : i == 5 ? ckMoveTo : ckDrawTo, i <= 4 ? 17 : 0,
                         i <= 4 ? 2 : 1, p.X, p.Y));
  }
  // Nothing to add; mismatched spans are refused whole.
  EXPECT_EQ(c.AddScatter(1, std::span<const TWorldPoint>{}, 1), -1);
  EXPECT_THROW(c.AddScatter(1, xs, std::vector<double>{1, 2}, 1), EVELPlotraError);
  EXPECT_EQ(c.DataCount(), 8);
  // The annotation list keeps pixel placement and long texts; the data list is untouched.
  TplChartItem box;
  box.CoordMode = 3;
  EXPECT_EQ(c.AddAnnotation(box), 0);
  EXPECT_EQ(c.AddAnnotationText(8, "a text longer than 15", 5, 5, 0, 0, taLeftJustify, 3), 1);
  EXPECT_EQ(c.AnnotationItems()[1].CoordMode, 3);
  EXPECT_EQ(c.ItemText(true, 1), "a text longer than 15");
  c.ClearAnnotations();
  EXPECT_EQ(c.AnnotationItems().Count(), 0);
  EXPECT_EQ(c.DataCount(), 8);
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
  TPlotra c, d;
  c.SetBounds(0, 0, 153, 300);
  c.SetMarginLeft(133);  // a = 153 - 133 - 20 = 0: every x on the middle, W / 2 = 76.5
  for (double x : {-1e6, 0.0, 0.5, 1e6}) EXPECT_EQ(c.WorldToPixel(1, x, 0).X, 76) << x;
  d.SetBounds(0, 0, 393, 425);
  d.SetMarginLeft(400);
  EXPECT_EQ(std::pair(d.Width(), d.ChartArea().Right - d.ChartArea().Left), std::pair(393, 0));
  d.SetBounds(0, 0, 100, 100);  // the minimum applies at the next resize
  EXPECT_EQ(d.Width(), 400 + 20 + 80);
}

// Regression: the label box was one pixel too wide and too tall (and so was its shadow).
TEST(ChartPlot, TextLabelBoxEdgesAreExclusive) {
  TestChart c(300, 200);
  TTextLabel& lb = *c.TextLabel(1);
  lb.SetCaption("mmmm"), lb.SetAlignment(taLeftJustify), lb.SetColorBkg(0x00FFFF);
  lb.SetAttachToData(tlamNone), lb.SetPosX(70), lb.SetPosY(60);  // image pixels
  lb.SetVisible(true);
  QImage img(10, 10, QImage::Format_RGB32);
  TCanvas m(&img);
  m.Font().Assign(&lb.Font());
  const int r = 70 + m.TextWidth("mmmm") + 4;  // B's exclusive right edge
  auto at = [&](int x, int y) { return c.PixelAt(c.MarginLeft() + x, c.MarginTop() + y); };
  for (TTxtLblMode mode : {tlBox, tlShadow}) {
    lb.SetMode(mode);
    c.Repaint();
    const TColor beyond = mode == tlBox ? kWhite : 0x808080;  // shadow 3 px further
    EXPECT_EQ(std::tuple(at(r - 1, 53), at(84, 61), at(r, 53), at(84, 62)),
              std::tuple(0u, 0u, beyond, beyond));
  }
  EXPECT_EQ(std::tuple(at(r + 2, 58), at(r + 3, 58), at(84, 64), at(84, 65)),
            std::tuple(0x808080u, kWhite, 0x808080u, kWhite));
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
  TAxisExtent empty, logNegative{true}, tiny;
  logNegative.Add(-1);
  TAxisRange r;
  EXPECT_FALSE(FitAxisRange(empty, 3, true, 1e-10, r));
  EXPECT_FALSE(FitAxisRange(logNegative, 3, true, 1e-10, r));
  // A range narrower than MinRange would be refused: it is widened about its centre.
  tiny.Add(1);
  tiny.Add(1 + 1e-12);
  ASSERT_TRUE(FitAxisRange(tiny, 3, true, 1e-6, r));
  EXPECT_NEAR(r.High - r.Low, 1e-6, 1e-15);
}

TEST(ChartFit, WhatEachKindCovers) {
  constexpr double N = -999;  // no value on that axis
  struct Case {
    std::uint8_t kind;
    double x, y, x2, y2;
    std::uint8_t coordMode;
    std::array<double, 4> want;  // x min, x max, y min, y max
  } const cases[] = {
      {ckLine, 1, 8, 5, 2, 0, {1, 5, 2, 8}},
      {ckErrorBarMark, 10, 20, 1, -3, 0, {9, 11, 17, 23}},
      {ckEllipse, 10, 20, 2, 4, 0, {8, 12, 16, 24}},
      {ckOffsetText, 3, 4, 100, 100, 0, {3, 3, 4, 4}},  // the anchor
      {ckVertRule, 3, 4, 0, 0, 0, {3, 3, N, N}},
      {ckHorizRule, 3, 4, 0, 0, 0, {N, N, 4, 4}},
      {ckDrawBy, 3, 4, 0, 0, 0, {N, N, N, N}},
      {ckMark, 3, 4, 0, 0, 3, {N, N, N, N}},  // placed in pixels
  };
  for (const Case& k : cases) {
    TplChartItem it;
    it.Kind = k.kind, it.X = k.x, it.Y = k.y, it.X2 = k.x2, it.Y2 = k.y2, it.CoordMode = k.coordMode;
    TAxisExtent x, y;
    AddItemExtent(it, x, y);
    EXPECT_EQ((std::array<double, 4>{x.Empty ? N : x.Min, x.Empty ? N : x.Max, y.Empty ? N : y.Min,
                                     y.Empty ? N : y.Max}),
              k.want)
        << int{k.kind};
  }
}

// The x and y ranges of a layer, low and high, against the expected ones.
void ExpectRanges(TPlotra& c, int layer, std::array<double, 4> want) {
  const std::array<double, 4> got = {c.ScalePropsX(layer).RangeLow(), c.ScalePropsX(layer).RangeHigh(),
                                     c.ScalePropsY(layer).RangeLow(), c.ScalePropsY(layer).RangeHigh()};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], want[i], 1e-9) << "layer " << layer << " value " << i;
}

TEST(ChartFit, LayersJointsAndDirections) {
  TestChart c(400, 300);
  c.AddErrorBar(1, 10, 50, 1, 5, 1);
  c.AddLine(1, 30, 20, 90, 60);
  c.AddMark(2, 1000, -3, 1);
  c.AddText(3, 0.5, 0.5, "x");  // a single point
  c.Scale1Y().SetRangeLow(100);  // a reversed y axis stays reversed
  c.Scale1Y().SetRangeHigh(0);
  c.FitToData(1);
  ExpectRanges(c, 1, {5, 95, 62, 18});
  ExpectRanges(c, 2, {0, 1, 0, 1});  // untouched
  // All layers; layer 2's x joins layer 1's, where its x = 1000 counts; layer 4 is empty.
  c.JointLayers().SetL02xControlledBy(1);
  c.FitToData();
  ExpectRanges(c, 1, {-50, 1050, 62, 18});
  ExpectRanges(c, 2, {-50, 1050, -3.35, -2.65});
  ExpectRanges(c, 3, {0.445, 0.555, 0.445, 0.555});
  ExpectRanges(c, 4, {0, 1, 0, 1});
  // A logarithmic axis fits its positive values only.
  c.ScalePropsX(5).SetRangeLow(1);
  c.ScalePropsX(5).SetLogarithmic(true);
  c.AddScatter(5, std::vector<TWorldPoint>{{-4, 1}, {0, 1}, {2, 1}, {30, 1}}, 1);
  c.FitToData(5);
  ExpectRanges(c, 5, {1, 100, 0.89, 1.11});
}

// An isometric chart widens the narrower axis: every item stays in view and the ranges are
// those the isometric correction keeps.
TEST(ChartFit, IsometricKeepsEveryItemInView) {
  for (const double height : {5.0, 500.0}) {
    TestChart c(400, 300);
    c.SetIsometric(true);
    c.AddLine(1, 0, 0, 100, height);
    c.FitToData(1);
    const TScalePropsVert& y = c.ScalePropsY(1);
    const double xl = c.ScalePropsX(1).RangeLow(), xh = c.ScalePropsX(1).RangeHigh();
    const double yl = y.RangeLow(), yh = y.RangeHigh();
    EXPECT_TRUE(xl <= 0 && xh >= 100 && yl <= 0 && yh >= height) << height;
    c.SetIsometric(true);  // the correction, applied again, changes nothing
    EXPECT_NEAR(y.RangeLow(), yl, 1e-9 * (yh - yl)) << height;
    EXPECT_NEAR(y.RangeHigh(), yh, 1e-9 * (yh - yl)) << height;
  }
}

// ---- Pixels of kinds drawn through the commands ----

TEST(ChartPlot, CommandsDrawWhatTheirKindsDraw) {
  TestChart c(270, 160);  // chart area 200 x 100 px
  const std::vector<TWorldPoint> pts = {{20, 60}, {40, 70}};
  c.AddScatter(1, pts, 9, kBlue);  // 7 x 7 filled squares
  c.AddErrorBar(1, 80, 50, 5, 10, 0, kRed);
  TplChartItem px;  // a 5 x 5 box at image pixel (5, 5), in the annotation list
  px.Kind = ckFixedSizeBox, px.CoordMode = 3, px.X = 5, px.Y = 5, px.Size = 2, px.BkStyle = 2;
  px.Color = px.FillColor = kBlue;
  c.AddAnnotation(px);
  c.Repaint();
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
