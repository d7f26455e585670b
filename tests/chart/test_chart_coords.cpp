// The chart's coordinate system and settings: coefficients and pixel mapping, scale
// property rules, range changes and joined layers, margins, resizing, standard layouts,
// what the scale renderers get, the settings objects and copying a whole chart.
#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "chart/plotra.h"
#include "gfxbase/errors.h"

namespace dendrokit {
namespace {

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EVELPlotraError& e) {
    return e.what();
  }
  return "";
}

TEST(ChartCoords, AxisMapping) {
  struct Case {
    const char* name;
    TAxisSpan axis;
    double value;
    int lowEdge, highEdge, expected;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {"x 0 -> left margin", {393, 50, 373, 0, 250, false, false}, 0, 0, 393, 50},
      {"x 250 -> right end", {393, 50, 373, 0, 250, false, false}, 250, 0, 393, 373},
      {"y low -> bottom", {300, 260, 20, 0, 10, false, true}, 0, 300, 0, 260},
      {"reversed y: larger lower", {300, 260, 20, 10, 0, false, true}, 10, 300, 0, 260},
      {"log x", {1010, 10, 1010, 1, 100, true, false}, 10, 0, 1010, 510},
      {"log x <= 0 -> 0", {1010, 10, 1010, 1, 100, true, false}, -5, 0, 1010, 0},
      {"log x <= 0 reversed -> W", {1010, 10, 1010, 100, 1, true, false}, -5, 0, 1010, 1010},
      {"no area: centre line", {100, 60, 50, 0, 1, false, false}, 0.3, 0, 100, 50},
      {"far value limited", {393, 50, 373, 0, 1, false, false}, 1e300, 0, 393, 2147483647},
      {"NaN", {393, 50, 373, 0, 1, false, false}, nan, 0, 393, 0},
      {"half to even", {10, 0, 10, 0, 4, false, false}, 1, 0, 10, 2},  // 2.5 -> 2
  };
  for (const Case& c : cases) {
    TAxisTransform t;
    ASSERT_TRUE(CalcAxisTransform(c.axis, t)) << c.name;
    EXPECT_EQ(WorldToPixelAxis(t, c.axis.Logarithmic, c.axis.Low, c.axis.High, c.value,
                               c.lowEdge, c.highEdge),
              c.expected)
        << c.name;
  }
  TAxisTransform t;
  EXPECT_FALSE(CalcAxisTransform({393, 50, 373, 0, 250, true, false}, t));
  ASSERT_TRUE(CalcAxisTransform({393, 50, 373, 0, 250, false, false}, t));
  EXPECT_DOUBLE_EQ(PixelToWorldAxis(t, false, 373), 250.0);
}

TEST(ChartCoords, ChartMappingAndLogError) {
  TPlotra c;
  c.SetBounds(0, 0, 393, 300);
  c.Scale1X().SetRangeLow(0);
  c.Scale1X().SetRangeHigh(250);
  EXPECT_EQ(c.WorldToPixel(1, 0, 0).X, 50);
  EXPECT_EQ(c.WorldToPixel(1, 250, 0).X, 373);
  EXPECT_EQ(c.WorldToPixel(-3, 250, 0).X, 373);  // layer clamped to 1
  EXPECT_EQ(c.WorldToPixel(1, 0, 0).Y, 300 - 40);
  EXPECT_EQ(c.WorldToPixel(1, 0, 1).Y, 20);
  EXPECT_EQ(c.ChartArea(), (TRect{50, 20, 374, 261}));
  EXPECT_NEAR(c.PixelToWorld(1, 373, 20).X, 250.0, 1e-9);
  // A range end of 0 is accepted by Logarithmic and fails at coefficient time.
  TScalePropsHoriz& x2 = c.ScalePropsX(2);
  x2.SetRangeLow(-1);
  x2.SetLogarithmic(true);
  EXPECT_FALSE(x2.Logarithmic());
  EXPECT_EQ(ErrorOf([&] { x2.SetRangeLow(0); x2.SetLogarithmic(true); }),
            "Logarithmic axis must not be negative.");
  EXPECT_TRUE(x2.Logarithmic());
}

TEST(ChartScaleProps, SetterRules) {
  TScalePropsHoriz p;
  p.SetLoadingFlag(false);
  int changes = 0;
  p.OnChange = [&](TObject*) { ++changes; };
  p.SetRangeHigh(1e-11);  // closer than MinRange to 0
  EXPECT_EQ(p.RangeLow(), 1e-11 - 1e-10);
  p.SetRangeLow(0);
  p.SetRangeHigh(1);
  changes = 0;
  p.SetMinRange(2);
  EXPECT_EQ(p.RangeLow(), -0.5);
  EXPECT_EQ(p.RangeHigh(), 1.5);
  p.SetMinRange(0.5);  // already wide enough: nothing fires
  p.SetMinRange(-1);   // ignored
  EXPECT_EQ(p.MinRange(), 0.5);
  EXPECT_EQ(changes, 1);
  p.SetRangeLow(1);
  p.SetLogarithmic(true);
  p.SetRangeLow(-4);  // negative end ignored on a log axis, still notifies
  EXPECT_EQ(p.RangeLow(), 1);
  EXPECT_EQ(changes, 4);
  p.SetLabelType(ftDateTime);
  EXPECT_FALSE(p.Logarithmic());
  p.SetLogarithmic(true);
  EXPECT_FALSE(p.Logarithmic());
  p.SetLabelType(ftTime);
  EXPECT_EQ(p.DecPlaces(), 4);
  p.SetDecPlaces(40);
  EXPECT_EQ(p.DecPlaces(), 12);
  p.SetScaleLocation(slTop);
  EXPECT_EQ(p.ScaleType(), sctXB);
  p.SetRangeLow(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(p.RangeLow(), 1);
}

// Copying axis settings in, and what the renderer then gets.
TEST(ChartScaleProps, CopyRules) {
  TPlotra c;
  // An x axis takes no y axis' settings (its scale would turn vertical).
  EXPECT_THROW(c.Scale1X().Assign(&c.Scale1Y()), EConvertError);
  EXPECT_EQ(c.Scale1X().ScaleType(), sctXT);
  // A free-standing object is never done loading; copied in, it must not let Logarithmic
  // skip the range check.
  TScalePropsHoriz loose;
  c.SetScale1X(loose);
  c.Scale1X().SetRangeLow(-1);
  c.Scale1X().SetLogarithmic(true);
  EXPECT_FALSE(c.Scale1X().Logarithmic());
  // Decimal places set after a time label type reach the renderer.
  c.Scale1X().SetLabelType(ftTime);
  c.Scale1X().SetDecPlaces(2);
  EXPECT_EQ(c.ScaleX(1).DecPlaces(), 2);
}

TEST(ChartLayers, DefaultsByLayer) {
  TPlotra c;
  EXPECT_EQ(c.ScalePropsX(9).ColorScale(), 12632256u);
  EXPECT_EQ(c.ScalePropsY(16).ColorScale(), 16777215u);
  EXPECT_EQ(c.ScalePropsX(6).ScaleType(), sctXB);
  EXPECT_EQ(c.ScalePropsX(6).ScaleLocation(), slBottom);
  EXPECT_EQ(c.ScalePropsY(7).ScaleType(), sctYR);
  EXPECT_EQ(c.ScalePropsX(6).ScalePos(), 60);
  EXPECT_EQ(c.ScalePropsY(6).ScalePos(), 100);
  EXPECT_EQ(c.ScaleY(12).Name(), "PL_FScale_Y_12");
  EXPECT_EQ(c.CrossHair(3).Layer(), 3);
  EXPECT_EQ(c.CrossHair(3).LineType(), psDashDotDot);
  EXPECT_EQ(c.TextLabel(50)->AttachToData(), tlamBoth);
  EXPECT_EQ(c.TextLabel(51), nullptr);
}

TEST(ChartLayers, MarginsSizeAndScaleMargins) {
  TPlotra c;
  c.SetBounds(0, 0, 10, 10);
  EXPECT_EQ(c.Width(), 150);
  EXPECT_EQ(c.Height(), 80);
  c.SetShadowWidth(40);
  EXPECT_EQ(c.ShadowWidth(), 32);
  c.SetShadowWidth(4);
  c.SetBounds(0, 0, 400, 300);
  c.SetRRim(30);
  EXPECT_EQ(c.MarginRight(), 30);
  // Axes lie on the chart area's edges, ScalePos further out.
  c.Scale1X().SetScalePos(5);
  EXPECT_EQ(c.ScaleX(1).MarginTop(), 5 + 300 - 40 - 4);
  EXPECT_EQ(c.ScaleX(1).MarginRight(), 30 + 4 - 1);
  EXPECT_EQ(c.ScaleY(1).MarginRight(), 400 - 50 - 1);
  EXPECT_EQ(c.ScaleY(6).MarginLeft(), 100 + 400 - 30 - 4);
  EXPECT_EQ(c.ScaleX(6).MarginBottom(), 60 + 300 - 20 - 1);
  EXPECT_EQ(c.ScaleY(1).MarginBottom(), 40 + 4 - 1);
  EXPECT_EQ(c.ScaleX(1).Width(), 400);
}

TEST(ChartLayers, EmbeddedScalesHoldNoImage) {
  TPlotra c;
  c.SetStandardLayout(pll_X2Both_Y2Both);
  c.HandleNeeded();
  c.Repaint();
  for (int n = 1; n <= 16; ++n) {
    EXPECT_FALSE(c.ScaleX(n).HasShownImage()) << n;
    EXPECT_FALSE(c.ScaleY(n).HasShownImage()) << n;
  }
}

TEST(ChartLayers, Isometric) {
  TPlotra c;
  c.SetBounds(0, 0, 270, 160);  // chart area 201 x 101 pixels
  c.ChangeRange(1, 0, 20, 5, 6);
  c.SetIsometric(true);
  const double half = 20.0 * 101 / 201 / 2 * ScreenPixelAspect().Y / ScreenPixelAspect().X;
  EXPECT_DOUBLE_EQ(c.ScalePropsY(1).RangeHigh(), 5.5 + half);
  EXPECT_DOUBLE_EQ(c.ScalePropsY(1).RangeLow(), 5.5 - half);
  c.SetBounds(0, 0, 470, 160);  // resizing corrects again
  EXPECT_NEAR(c.ScalePropsY(1).RangeHigh() - c.ScalePropsY(1).RangeLow(), 20.0 * 101 / 401, 1e-12);
}

TEST(ChartLayers, StandardLayouts) {
  struct Case {
    TplLayout layout;
    int l, r, t, b;
    int visibleX, visibleY;  // bit n-1: layer n visible
    int y2Pos;
  };
  const Case cases[] = {
      {pll_X1Bottom_Y1Left, 50, 20, 20, 40, 1, 1, 0},
      {pll_X1Bottom_Y2Left, 100, 20, 24, 40, 1, 3, 50},
      {pll_X1Bottom_Y3Left, 150, 20, 24, 40, 1, 7, 50},
      {pll_X1Bottom_Y4Left, 200, 20, 24, 40, 1, 15, 50},
      {pll_X1Bottom_Y2Both, 50, 50, 24, 40, 1, 3, 0},
      {pll_X2Bottom_Y2Left, 100, 20, 24, 70, 3, 3, 50},
      {pll_X2Both_Y2Both, 50, 50, 64, 40, 3, 3, 0},
  };
  TPlotra c;
  c.ScalePropsX(9).SetVisible(true);
  for (const Case& k : cases) {
    c.SetStandardLayout(k.layout);
    const auto name = EnumToName(k.layout);
    EXPECT_EQ(c.MarginLeft(), k.l) << name;
    EXPECT_EQ(c.MarginRight(), k.r) << name;
    EXPECT_EQ(c.MarginTop(), k.t) << name;
    EXPECT_EQ(c.MarginBottom(), k.b) << name;
    int vx = 0, vy = 0;
    for (int n = 1; n <= 16; ++n) {
      vx |= c.ScalePropsX(n).Visible() << (n - 1);
      vy |= c.ScalePropsY(n).Visible() << (n - 1);
    }
    EXPECT_EQ(vx, k.visibleX) << name;
    EXPECT_EQ(vy, k.visibleY) << name;
    EXPECT_EQ(c.ScalePropsY(2).ScalePos(), k.y2Pos) << name;
  }
  EXPECT_EQ(c.ScalePropsX(2).ScaleLocation(), slTop);
  EXPECT_EQ(c.ScalePropsY(2).ScaleType(), sctYL);
  EXPECT_EQ(c.ScalePropsY(3).CaptionPosY(), -23);
  EXPECT_EQ(c.CaptionPosY(), -60);
  EXPECT_EQ(c.CaptionAnchorHoriz(), cahChartCenter);
}

TEST(ChartJointLayers, RulesAndMessages) {
  TPlotra c;
  TJointLayers& j = c.JointLayers();
  EXPECT_EQ(ErrorOf([&] { j.SetL02xControlledBy(17); }), "Destination layer 17 is out of range");
  c.ScalePropsX(1).SetRangeHigh(50);
  c.ScalePropsY(2).SetRangeHigh(7);
  j.SetL02xControlledBy(1);
  EXPECT_EQ(c.ScalePropsX(2).RangeHigh(), 50);
  EXPECT_EQ(c.ScalePropsY(2).RangeHigh(), 7);
  EXPECT_EQ(ErrorOf([&] { j.SetL03xControlledBy(2); }), "Destination layer 2 is already joined");
  j.SetL05xControlledBy(1);
  EXPECT_EQ(ErrorOf([&] { j.SetL01xControlledBy(3); }),
            "Layer 1 is joined by other layers (2, 5)");
  EXPECT_EQ(j.L01xControlledBy(), 1);
  // Layer 2 follows every x range change of layer 1, and keeps its range when freed.
  c.ChangeRange(1, -3, 3, 0, 1);
  EXPECT_EQ(c.ScalePropsX(2).RangeLow(), -3);
  EXPECT_EQ(c.ScalePropsX(5).RangeHigh(), 3);
  c.ChangeRange(2, 10, 20, 0, 1);  // a joined axis keeps its controller's range
  EXPECT_EQ(c.ScalePropsX(2).RangeLow(), -3);
  c.ScalePropsX(1).SetRangeLow(-8);
  EXPECT_EQ(c.ScalePropsX(5).RangeLow(), -8);
  j.SetL02xControlledBy(2);
  EXPECT_EQ(c.ScalePropsX(2).RangeLow(), -8);
  c.ChangeRange(1, 0, 1e-12, 0, 1);  // narrower than MinRange: refused
  EXPECT_EQ(c.ScalePropsX(1).RangeLow(), -8);
  // Joins copied in from a free-standing object take effect at once.
  TJointLayers loose;
  loose.SetL04yControlledBy(3);
  c.ScalePropsY(3).SetRangeHigh(9);
  c.SetJointLayers(loose);
  EXPECT_EQ(c.ScalePropsY(4).RangeHigh(), 9);
}

TEST(ChartSettings, BackgroundNameRule) {
  TBakGndImg b;
  b.SetName("/tmp/pics/bg.png");
  EXPECT_EQ(b.Name(), "bg.png");
  b.SetIncludePath(true);
  b.SetName("C:\\pics\\bg.bmp");
  EXPECT_EQ(b.Name(), "C:\\pics\\bg.bmp");
  b.SetIncludePath(false);
  EXPECT_EQ(b.Name(), "bg.bmp");
}

TEST(ChartAssign, CopiesListsSettingsAndKeepsObjectsWired) {
  TPlotra a, b;
  a.SetAllocSize(100);
  for (int i = 0; i < 250; ++i) a.AddTextAt(8, "t", i, i);
  a.AddTextAt(8, "a text longer than fifteen", 0, 0);
  a.SetMarginLeft(70);
  a.SetCaption("cap");
  a.Scale2Y().SetRangeHigh(33);
  a.JointLayers().SetL03yControlledBy(2);
  a.CrossHair(2).SetMode(chBoth);
  b.Assign(&a);
  EXPECT_EQ(b.DataCount(), 251);
  EXPECT_EQ(b.DataCapacity(), 300);
  EXPECT_EQ(b.ItemText(false, 250), "a text longer than fifteen");
  EXPECT_EQ(b.MarginLeft(), 70);
  EXPECT_EQ(b.Caption(), "cap");
  EXPECT_EQ(b.ScalePropsY(3).RangeHigh(), 33);
  EXPECT_EQ(b.CrossHair(2).Mode(), chBoth);
  a.AddTextAt(8, "only in A", 0, 0);
  EXPECT_EQ(b.DataCount(), 251);
  // b's own objects still report to b: a joined layer of b follows b's layer 2.
  b.Scale2Y().SetRangeHigh(44);
  EXPECT_EQ(b.ScalePropsY(3).RangeHigh(), 44);
  EXPECT_EQ(a.ScalePropsY(3).RangeHigh(), 33);
  int repaints = 0;
  b.HandleNeeded();
  b.OnScalesRendered = [&](TObject*, TCanvas&, int, int) { ++repaints; };
  b.CrossHair(1).SetPosX(3);
  EXPECT_EQ(repaints, 1);
}

}  // namespace
}  // namespace dendrokit

namespace dendrokit {
namespace {

// Copying a chart copies its sharing reference: the copy joins the source's group; a copied
// chart with users of its own hands them its new list.
TEST(ChartAssign, SharingReferences) {
  TPlotra a, b, c, d, e;
  b.SetUseDataOf(&a);
  a.AddTextAt(8, "a", 0, 0);
  c.Assign(&b);
  EXPECT_EQ(c.UseDataOf(), &a);
  EXPECT_EQ(a.DataUserCount(), 2);
  c.AddTextAt(8, "c", 0, 0);
  EXPECT_EQ(b.DataCount(), 2);
  e.SetUseDataOf(&d);
  d.Assign(&c);
  EXPECT_EQ(d.UseDataOf(), nullptr);  // it has a user, so it cannot use foreign data
  EXPECT_EQ(e.DataCount(), 2);
  EXPECT_EQ(e.ItemText(false, 1), "c");
}

}  // namespace
}  // namespace dendrokit
