// TScale as a control: setter rules, repaint rules, lifecycle, copying, mouse drag and the
// order of the drawing events.
#include <chrono>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gfxbase/errors.h"
#include "scale/scale.h"

namespace dendrokit {
namespace {

// A scale that paints (as after its window was created) and counts its paintings.
struct CountingScale {
  TScale scale;
  int paints = 0;
  CountingScale() {
    scale.SetSuppressPaint(false);
    scale.OnBeforeScaleRendered = [this](TObject*, TCanvas&) { ++paints; };
    paints = 0;
  }
};

TEST(ScaleSetters, ClampsAndReplacements) {
  TScale s;
  struct Case {
    const char* name;
    std::function<void()> set;
    std::function<int()> get;
    int expected;
  };
  const Case cases[] = {
      {"MinTicks 1", [&] { s.SetMinTicks(1); }, [&] { return s.MinTicks(); }, 2},
      {"MinTicks 25", [&] { s.SetMinTicks(25); }, [&] { return s.MinTicks(); }, 10},
      {"MinTicks 0", [&] { s.SetMinTicks(0); }, [&] { return s.MinTicks(); }, 0},
      {"MinTicks -4", [&] { s.SetMinTicks(-4); }, [&] { return s.MinTicks(); }, 2},
      {"DecPlaces -7", [&] { s.SetDecPlaces(-7); }, [&] { return s.DecPlaces(); }, -3},
      {"DecPlaces 20", [&] { s.SetDecPlaces(20); }, [&] { return s.DecPlaces(); }, 12},
      {"MarginLeft -5", [&] { s.SetMarginLeft(-5); }, [&] { return s.MarginLeft(); }, 0},
      {"MarginRight -1", [&] { s.SetMarginRight(-1); }, [&] { return s.MarginRight(); }, 0},
      {"MarginTop -9", [&] { s.SetMarginTop(-9); }, [&] { return s.MarginTop(); }, 0},
      {"MarginBottom -2", [&] { s.SetMarginBottom(-2); }, [&] { return s.MarginBottom(); }, 0},
      {"ftTime sets DecPlaces 4", [&] { s.SetLabelType(ftTime); }, [&] { return s.DecPlaces(); },
       4},
      {"unknown ScaleType ignored", [&] { s.SetScaleType(static_cast<TScaleType>(9)); },
       [&] { return int(s.ScaleType()); }, int(sctXB)},
      {"unknown FrameStyle ignored", [&] { s.SetFrameStyle(static_cast<TFrameStyle>(9)); },
       [&] { return int(s.FrameStyle()); }, int(fsLowered)},
  };
  for (const Case& c : cases) {
    s.InitDefaults();
    c.set();
    EXPECT_EQ(c.get(), c.expected) << c.name;
  }
}

TEST(ScaleSetters, RangeEndsAreKeptApart) {
  TScale s;
  s.SetRangeLow(5);
  s.SetRangeHigh(5);  // the axis then runs from 6 down to 5
  EXPECT_EQ(s.RangeLow(), 6);
  EXPECT_EQ(s.RangeHigh(), 5);

  s.SetRangeLow(5);
  EXPECT_EQ(s.RangeHigh(), 6);
  s.SetRange(3, 3);
  EXPECT_EQ(s.RangeLow(), 3);
  EXPECT_EQ(s.RangeHigh(), 4);

  // Where adding 1 is lost in rounding the ends still differ.
  s.SetRange(1e300, 1e300);
  EXPECT_NE(s.RangeLow(), s.RangeHigh());
  s.SetRange(std::numeric_limits<double>::max(), std::numeric_limits<double>::max());
  EXPECT_NE(s.RangeLow(), s.RangeHigh());
  EXPECT_TRUE(std::isfinite(s.RangeHigh()));
}

TEST(ScaleSetters, NonFiniteRangeValuesAreIgnored) {
  CountingScale c;
  c.scale.SetRangeLow(std::numeric_limits<double>::quiet_NaN());
  c.scale.SetRangeHigh(std::numeric_limits<double>::infinity());
  c.scale.SetRange(0, -std::numeric_limits<double>::infinity());
  EXPECT_EQ(c.scale.RangeLow(), 0);
  EXPECT_EQ(c.scale.RangeHigh(), 100);
  EXPECT_EQ(c.paints, 0);
}

TEST(ScaleSetters, LogarithmicIsTakenUncheckedUntilLoadedThenChecked) {
  // Created at run time: the loading flag stays set, so the request is taken as it is.
  TScale runtime;
  runtime.SetLogarithmic(true);
  EXPECT_TRUE(runtime.Logarithmic());

  TScale s;
  s.BeginLoading();
  s.EndLoading();
  s.SetLogarithmic(true);  // RangeLow is 0
  EXPECT_FALSE(s.Logarithmic());
  s.SetRangeLow(1);
  s.SetLogarithmic(true);
  EXPECT_TRUE(s.Logarithmic());
  s.SetLogarithmic(false);
  EXPECT_FALSE(s.Logarithmic());
  s.SetRangeHigh(1e-101);
  s.SetLogarithmic(true);
  EXPECT_FALSE(s.Logarithmic());
  s.SetRangeHigh(1000);
  s.SetLabelType(ftDateTime);
  s.SetLogarithmic(true);
  EXPECT_FALSE(s.Logarithmic());
}

TEST(ScaleSetters, DateTimeLabelsSwitchTheMappingToLinearAtOnce) {
  TScale s;
  s.SetRange(1, 1000);
  s.SetLogarithmic(true);
  EXPECT_EQ(s.ValueToPixel(10), 140);  // 20 + 359 / 3
  s.SetLabelType(ftDateTime);
  EXPECT_FALSE(s.Logarithmic());
  EXPECT_EQ(s.ValueToPixel(500.5), 200);  // 20 + 179.5, half to even
}

TEST(ScaleSetters, ColorSchemeSetsTheFrameColours) {
  CountingScale c;
  TScale& s = c.scale;
  s.SetColorScheme(csSystem);
  EXPECT_EQ(s.FrameShadowColor(), clBtnShadow);
  EXPECT_EQ(s.FrameHighlightColor(), clBtnHighlight);
  s.SetColorScheme(csBWG);
  EXPECT_EQ(s.FrameShadowColor(), 0x808080u);
  EXPECT_EQ(s.FrameHighlightColor(), 0xFFFFFFu);
  EXPECT_EQ(s.FrameColor(), 0u);
  EXPECT_EQ(c.paints, 2);
}

TEST(ScaleSetters, RepaintRules) {
  struct Case {
    const char* name;
    std::function<void(TScale&)> set;
    int paints;
  };
  // Properties marked "when different" skip an unchanged value; the others repaint anyway.
  const Case cases[] = {
      {"same ColorBackGnd", [](TScale& s) { s.SetColorBackGnd(clBtnFace); }, 0},
      {"same ColorScale", [](TScale& s) { s.SetColorScale(0); }, 0},
      {"same ColorScheme", [](TScale& s) { s.SetColorScheme(csBWG); }, 0},
      {"same FrameStyle", [](TScale& s) { s.SetFrameStyle(fsLowered); }, 0},
      {"same ShortTicks", [](TScale& s) { s.SetShortTicks(true); }, 0},
      {"same ScaleType", [](TScale& s) { s.SetScaleType(sctXB); }, 0},
      {"same Embedded", [](TScale& s) { s.SetEmbedded(false); }, 0},
      {"same SuppressPaint", [](TScale& s) { s.SetSuppressPaint(false); }, 0},
      {"MouseAction is a plain field", [](TScale& s) { s.SetMouseAction(maPan); }, 0},
      {"external canvas does not repaint",
       [](TScale& s) {
         TBitmap b(10, 10);
         s.SetExternalCanvas(&b.Canvas(), 1, 2);
         s.SetExternalCanvas(nullptr, 0, 0);
       },
       0},
      {"new ColorScale", [](TScale& s) { s.SetColorScale(0xFF); }, 1},
      {"new ScaleType", [](TScale& s) { s.SetScaleType(sctYL); }, 1},
      {"same Caption", [](TScale& s) { s.SetCaption(""); }, 1},
      {"same ShowBaseLine", [](TScale& s) { s.SetShowBaseLine(true); }, 1},
      {"same Transparent", [](TScale& s) { s.SetTransparent(false); }, 1},
      {"same MinTicks", [](TScale& s) { s.SetMinTicks(3); }, 1},
      {"same RangeLow", [](TScale& s) { s.SetRangeLow(0); }, 1},
      {"SetRange", [](TScale& s) { s.SetRange(1, 2); }, 1},
      {"ExternalOffsetX", [](TScale& s) { s.SetExternalOffsetX(0); }, 1},
      {"ExternalOffsetY", [](TScale& s) { s.SetExternalOffsetY(3); }, 1},
      {"DateFormat field", [](TScale& s) { s.DateFormat().SetMonthName(false); }, 1},
      {"same DateFormat field", [](TScale& s) { s.DateFormat().SetMonthName(true); }, 0},
      {"refused Logarithmic",
       [](TScale& s) {
         s.BeginLoading();
         s.EndLoading();  // repaints once
         s.SetLogarithmic(true);
       },
       1},
      {"suppressed", [](TScale& s) { s.SetSuppressPaint(true); s.SetCaption("x"); }, 0},
      {"released", [](TScale& s) { s.SetSuppressPaint(true); s.SetSuppressPaint(false); }, 1},
      {"ForcePaint while suppressed",
       [](TScale& s) {
         s.SetSuppressPaint(true);
         s.ForcePaint();
         s.SetCaption("still suppressed");
       },
       1},
      {"invisible", [](TScale& s) { s.SetVisible(false); s.SetCaption("x"); }, 0},
      {"size change", [](TScale& s) { s.SetBounds(0, 0, 300, 50); }, 1},
  };
  for (const Case& k : cases) {
    CountingScale c;
    k.set(c.scale);
    EXPECT_EQ(c.paints, k.paints) << k.name;
  }
}

TEST(ScaleSetters, DateFormatKeepsNotifyingTheScaleAfterCopies) {
  CountingScale c;
  TDTLabel other;
  int otherChanges = 0;
  other.OnChange = [&](TObject*) { ++otherChanges; };
  other.SetYearLength(ylYY);
  otherChanges = 0;

  c.scale.SetDateFormat(other);
  EXPECT_EQ(c.scale.DateFormat().YearLength(), ylYY);
  EXPECT_EQ(c.paints, 1);
  c.scale.DateFormat().SetYearLength(ylNone);
  EXPECT_EQ(c.paints, 2);
  EXPECT_EQ(otherChanges, 0);

  TScale source;
  c.scale.Assign(&source);
  c.scale.SetSuppressPaint(false);  // copied from the suppressed source
  c.scale.OnBeforeScaleRendered = [&](TObject*, TCanvas&) { ++c.paints; };  // copied too
  const int before = c.paints;
  c.scale.DateFormat().SetDateSeparator('/');
  EXPECT_EQ(c.paints, before + 1);
}

TEST(ScaleLifecycle, InitDefaultsResetsAllButTheInscript) {
  TScale s;
  s.SetScaleInscript("&%");
  s.SetCaption("c");
  s.SetRange(-5, 5);
  s.SetScaleType(sctYR);
  s.SetMouseAction(maPan);
  s.SetSuppressPaint(false);
  s.SetEmbedded(true);
  TBitmap ext(10, 10);
  s.SetExternalCanvas(&ext.Canvas(), 3, 4);
  bool called = false;
  s.OnZoomPan = [&](TObject*) { called = true; };
  s.OnScaleTickDrawn = [&](TObject*, TCanvas&, TScaleType, double, int, int) { called = true; };
  s.OnAfterScaleRendered = [&](TObject*, TCanvas&) { called = true; };

  s.InitDefaults();
  EXPECT_EQ(s.ScaleInscript(), "&%");
  EXPECT_EQ(s.Caption(), "");
  EXPECT_EQ(s.MouseAction(), maNone);
  EXPECT_TRUE(s.SuppressPaint());
  EXPECT_FALSE(s.Embedded());
  EXPECT_EQ(s.ExternalCanvas(), nullptr);
  EXPECT_EQ(s.ValueToPixel(100), 379);  // horizontal 0..100 mapping recomputed
  s.ForcePaint();
  EXPECT_FALSE(s.OnZoomPan);
  EXPECT_FALSE(called);
}

TEST(ScaleLifecycle, WindowCreationClearsSuppressPaintAndLoadingDefersScaling) {
  TScale s;
  s.HandleNeeded();
  EXPECT_FALSE(s.SuppressPaint());

  int paints = 0;
  s.OnBeforeScaleRendered = [&](TObject*, TCanvas&) { ++paints; };
  s.BeginLoading();
  s.SetRange(0, 10);
  EXPECT_EQ(paints, 0);              // nothing is painted while loading
  EXPECT_EQ(s.ValueToPixel(10), 56);  // the mapping still is that of 0..100
  s.EndLoading();
  EXPECT_EQ(paints, 1);
  EXPECT_EQ(s.ValueToPixel(10), 379);
  EXPECT_EQ(s.ValueToPixel(5), 200);  // 20 + 179.5
}

TEST(ScaleCopy, AssignTakesTheSettingsButNotTheWindowState) {
  TScale src;
  src.SetBounds(0, 0, 300, 80);
  src.SetRange(2, 7);
  src.SetMinTicks(5);
  src.SetDecPlaces(1);
  src.SetCaption("cap");
  src.SetColorScheme(csSystem);
  src.SetMouseAction(maZoom);
  src.SetScaleInscript("$");
  src.SetExternalOffsetY(9);
  src.DateFormat().SetYearLength(ylYY);
  int zoomPans = 0;
  int ticks = 0;
  src.OnZoomPan = [&](TObject*) { ++zoomPans; };
  src.OnScaleTickDrawn = [&](TObject*, TCanvas&, TScaleType, double, int, int) { ++ticks; };
  src.ForcePaint();
  ASSERT_GT(src.NumTicks(), 0);

  TScale dst;
  dst.SetSuppressPaint(false);
  const int ticksBefore = ticks;
  dst.Assign(&src);
  EXPECT_EQ(dst.RangeLow(), 2);
  EXPECT_EQ(dst.RangeHigh(), 7);
  EXPECT_EQ(dst.MinTicks(), 5);
  EXPECT_EQ(dst.DecPlaces(), 1);
  EXPECT_EQ(dst.Caption(), "cap");
  EXPECT_EQ(dst.ScaleInscript(), "$");
  EXPECT_EQ(dst.FrameShadowColor(), clBtnShadow);
  EXPECT_EQ(dst.ExternalOffsetY(), 9);
  EXPECT_EQ(dst.DateFormat().YearLength(), ylYY);
  EXPECT_TRUE(dst.SuppressPaint());  // copied, so the redraw after copying paints nothing
  EXPECT_EQ(ticks, ticksBefore);
  EXPECT_EQ(dst.NumTicks(), src.NumTicks());
  for (int i = 1; i <= src.NumTicks(); ++i) EXPECT_EQ(dst.TickValue(i), src.TickValue(i));
  // Mapping factor and offset come along although the size does not.
  EXPECT_EQ(dst.Width(), 400);
  EXPECT_EQ(dst.ValueToPixel(7), src.ValueToPixel(7));
  EXPECT_EQ(dst.MouseAction(), maNone);
  EXPECT_FALSE(dst.OnZoomPan);
  dst.ForcePaint();
  EXPECT_GT(ticks, ticksBefore);  // the tick handler came along
}

TEST(ScaleCopy, OtherSourcesFallBackToTheStandardError) {
  TScale s;
  TDTLabel label;
  EXPECT_ANY_THROW(s.Assign(&label));
  EXPECT_ANY_THROW(label.Assign(&s));
}

// ---- Mouse -----------------------------------------------------------------------------

TEST(ScaleMouse, PanDragFollowsThePointer) {
  CountingScale c;
  TScale& s = c.scale;
  s.SetMouseAction(maPan);
  int zoomPans = 0;
  s.OnZoomPan = [&](TObject*) { ++zoomPans; };
  c.paints = 0;

  s.MouseMove(ssLeft, 200, 200);  // first counted move: remembers the start
  EXPECT_EQ(zoomPans, 0);
  s.MouseMove(ssLeft, 236, 200);
  EXPECT_DOUBLE_EQ(s.RangeLow(), -10);
  EXPECT_DOUBLE_EQ(s.RangeHigh(), 90);
  EXPECT_EQ(zoomPans, 1);
  EXPECT_EQ(c.paints, 1);  // one repaint per move
  s.MouseMove(ssLeft, 272, 200);  // measured from the start of the drag
  EXPECT_DOUBLE_EQ(s.RangeLow(), -20);
  EXPECT_EQ(zoomPans, 2);

  s.MouseMove(0, 300, 200);          // no button: ignored
  s.MouseMove(ssLeft, 10, 200);      // left of the band: ignored
  s.MouseMove(ssRight, 300, 200);    // other button: ignored
  EXPECT_DOUBLE_EQ(s.RangeLow(), -20);

  s.MouseUp(mbLeft, 0, 272, 200);
  s.MouseMove(ssLeft, 100, 200);  // starts a new drag
  EXPECT_DOUBLE_EQ(s.RangeLow(), -20);
  EXPECT_EQ(zoomPans, 2);
}

TEST(ScaleMouse, ZoomAndSuppressedScales) {
  TScale s;  // suppressed: the drag changes the range without painting
  int paints = 0;
  s.OnBeforeScaleRendered = [&](TObject*, TCanvas&) { ++paints; };
  s.SetMouseAction(maZoom);
  s.MouseMove(ssLeft, 300, 10);
  s.MouseMove(ssLeft, 200, 10);
  EXPECT_DOUBLE_EQ(s.RangeLow(), 0);
  EXPECT_NEAR(s.RangeHigh(), 100.0 * 280 / 180, 1e-9);
  EXPECT_TRUE(s.SuppressPaint());
  EXPECT_EQ(paints, 0);
}

TEST(ScaleMouse, VerticalBandAndNoAction) {
  TScale s;
  s.SetScaleType(sctYL);
  s.SetMouseAction(maPan);
  s.MouseMove(ssLeft, 200, 10);  // above the band
  s.MouseMove(ssLeft, 200, 15);
  EXPECT_EQ(s.RangeLow(), 0);
  s.MouseMove(ssLeft, 200, 200);
  s.MouseMove(ssLeft, 200, 236);
  EXPECT_DOUBLE_EQ(s.RangeLow(), 10);

  int zoomPans = 0;
  s.OnZoomPan = [&](TObject*) { ++zoomPans; };
  s.SetMouseAction(maNone);
  s.MouseMove(ssLeft, 200, 300);
  EXPECT_EQ(zoomPans, 0);
}

TEST(ScaleMouse, DoubleClickTogglesPanAndZoom) {
  TScale s;
  std::vector<TMouseActMode> seen;
  s.OnDblClick = [&](TObject*) { seen.push_back(s.MouseAction()); };
  s.SetMouseAction(maPan);
  s.DblClick();
  s.DblClick();
  s.SetMouseAction(maNone);
  s.DblClick();
  s.SetMouseAction(maZoomDrag);
  s.DblClick();
  EXPECT_EQ(seen, (std::vector<TMouseActMode>{maZoom, maPan, maNone, maZoomDrag}));
}

// ---- Drawing events --------------------------------------------------------------------

std::vector<std::string> EventLog(TScale& s) {
  std::vector<std::string> log;
  s.OnBeforeScaleRendered = [&](TObject*, TCanvas&) { log.push_back("begin"); };
  s.OnAfterScaleRendered = [&](TObject*, TCanvas&) { log.push_back("end"); };
  s.OnScaleTickDrawn = [&](TObject*, TCanvas&, TScaleType, double v, int, int) {
    log.push_back("tick " + FormatTickNumber(v, 1));
  };
  s.OnBeforeTickLabel = [&](TObject*, TScaleType, double v, std::string& text) {
    log.push_back("label " + FormatTickNumber(v, 1) + " " + text);
  };
  s.ForcePaint();
  return log;
}

TEST(ScaleEvents, LinearHorizontalLabelsBeforeTheTickEvent) {
  TScale s;
  s.SetShortTicks(false);
  std::vector<std::string> expected{"begin"};
  for (int v = 0; v <= 100; v += 20) {
    const std::string value = FormatTickNumber(v, 1);
    expected.push_back("label " + value + " " + std::to_string(v));
    expected.push_back("tick " + value);
  }
  expected.push_back("end");
  EXPECT_EQ(EventLog(s), expected);
  EXPECT_EQ(s.NumTicks(), 6);
}

TEST(ScaleEvents, LinearVerticalTickEventBeforeTheLabelAndMajorsRecordedAgain) {
  TScale s;
  s.SetScaleType(sctYR);
  s.SetRange(0, 1);  // majors 0.2 apart, short ticks every 0.05
  s.SetDecPlaces(1);
  const std::vector<std::string> log = EventLog(s);
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log[1], "tick 0.0");  // the short tick at 0
  const std::vector<std::string> tail(log.end() - 3, log.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"tick 1.0", "label 1.0 1.0", "end"}));
  EXPECT_EQ(s.NumTicks(), 21 + 6);
  EXPECT_NEAR(s.TickValue(22), 0.0, 1e-12);
  EXPECT_NEAR(s.TickValue(27), 1.0, 1e-12);
}

TEST(ScaleEvents, LogTickEventBeforeTheLabelOnBothOrientations) {
  for (TScaleType t : {sctXB, sctYL}) {
    TScale s;
    s.SetScaleType(t);
    s.SetRange(1, 100);
    s.SetLogarithmic(true);
    s.SetMinTicks(2);  // no intermediate ticks over two decades
    s.SetShortTicks(false);
    EXPECT_EQ(EventLog(s), (std::vector<std::string>{"begin", "tick 1.0", "label 1.0 1",
                                                     "tick 10.0", "label 10.0 10", "tick 100.0",
                                                     "label 100.0 100", "end"}))
        << int(t);
  }
}

TEST(ScaleEvents, TickEventsReportThePixelOnTheBaseLine) {
  TScale s;
  s.SetShortTicks(false);
  TBitmap target(500, 500);
  s.SetExternalCanvas(&target.Canvas(), 10, 50);
  s.SetTransparent(true);
  std::vector<std::pair<int, int>> at;
  s.OnScaleTickDrawn = [&](TObject*, TCanvas& c, TScaleType, double v, int x, int y) {
    EXPECT_EQ(&c, &target.Canvas());
    EXPECT_EQ(IsHorizontal(s.ScaleType()) ? x : y, s.ValueToPixel(v));
    at.emplace_back(x, y);
  };
  s.ForcePaint();
  ASSERT_EQ(at.size(), 6u);
  EXPECT_EQ(at.front(), std::make_pair(20, 50 + 379));
  EXPECT_EQ(at.back(), std::make_pair(379, 50 + 379));

  s.SetScaleType(sctYR);
  at.clear();
  s.ForcePaint();
  ASSERT_EQ(at.size(), 6u);
  EXPECT_EQ(at.front(), std::make_pair(10 + 379, 379));
}

// An embedded scale renders into its host's canvas only: resizing, changing settings and
// painting it must not allocate a shown image of its own (32 of them sit in every chart).
TEST(ScaleEvents, EmbeddedScaleKeepsNoShownImage) {
  TScale s;
  TBitmap host(600, 100);
  s.SetExternalCanvas(&host.Canvas(), 0, 0);
  s.SetBounds(0, 0, 600, 40);
  s.SetRange(0, 50);
  s.SetColorBackGnd(0x00FF00);
  s.SetFrameStyle(fsNone);
  s.ForcePaint();
  EXPECT_FALSE(s.HasShownImage());
  EXPECT_EQ(QColorToColor(host.Image().pixelColor(300, 5)), 0x00FF00u);  // it did paint
  // A scale that paints its own window allocates the image on demand, at its current size.
  s.SetExternalCanvas(nullptr, 0, 0);
  s.ForcePaint();
  EXPECT_TRUE(s.HasShownImage());
  EXPECT_EQ(s.ShownImage().size(), QSize(600, 40));
}

TEST(ScaleEvents, TickListStopsAt250) {
  TScale s;
  s.SetRange(1e-150, 1e150);
  s.SetLogarithmic(true);
  int drawn = 0;
  s.OnScaleTickDrawn = [&](TObject*, TCanvas&, TScaleType, double, int, int) { ++drawn; };
  s.ForcePaint();
  EXPECT_EQ(drawn, 301);
  EXPECT_EQ(s.NumTicks(), 250);
  EXPECT_DOUBLE_EQ(s.TickValue(1), 1e-150);
  EXPECT_EQ(s.TickValue(251), 0.0);
  EXPECT_EQ(s.TickValue(0), 0.0);
}

// ---- Ranges the engine cannot lay out --------------------------------------------------

TEST(ScalePathological, DrawsWithoutCrashOrHang) {
  const double big = std::numeric_limits<double>::max();
  struct Case {
    const char* name;
    std::function<void(TScale&)> set;
  };
  const Case cases[] = {
      {"MinTicks 0 over 1e300", [](TScale& s) { s.SetMinTicks(0); s.SetRange(0, 1e300); }},
      {"whole double range", [big](TScale& s) { s.SetRange(-big, big); }},
      {"denormal span", [](TScale& s) { s.SetRange(0, 5e-324); }},
      {"huge values, span 1", [](TScale& s) { s.SetRange(1e17, 1e17 + 64); }},
      {"log with RangeLow 0", [](TScale& s) { s.SetLogarithmic(true); }},
      {"log end set negative afterwards",
       [](TScale& s) { s.SetRange(1, 10); s.SetLogarithmic(true); s.SetRangeLow(-5); }},
      {"ftTime MinTicks 0", [](TScale& s) { s.SetLabelType(ftTime); s.SetMinTicks(0); }},
      {"ftDateTime MinTicks 0",
       [](TScale& s) { s.SetLabelType(ftDateTime); s.SetMinTicks(0); }},
      {"ftDateTime beyond year 9999",
       [](TScale& s) { s.SetLabelType(ftDateTime); s.SetRange(-693593, 3000000); }},
      {"ftDateTime reversed", [](TScale& s) { s.SetLabelType(ftDateTime); s.SetRange(5, 1); }},
      {"vertical ftDateTime below a second",
       [](TScale& s) { s.SetScaleType(sctYL); s.SetLabelType(ftDateTime); s.SetRange(0, 1e-9); }},
      {"no room", [](TScale& s) { s.SetBounds(0, 0, 30, 30); }},
      {"zero size", [](TScale& s) { s.SetBounds(0, 0, 0, 0); }},
      {"huge margins",
       [](TScale& s) {
         s.SetMarginLeft(std::numeric_limits<int>::max());
         s.SetMarginBottom(std::numeric_limits<int>::max());
         s.SetCaption("c");
         s.SetCaptionAnchor(uaSclBotRgt);
         s.SetCaptionPosX(std::numeric_limits<int>::max());
       }},
      {"vertical huge margins",
       [](TScale& s) {
         s.SetScaleType(sctYR);
         s.SetMarginRight(std::numeric_limits<int>::max());
         s.SetMarginTop(std::numeric_limits<int>::max());
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TScale s;
    s.SetSuppressPaint(false);
    const auto start = std::chrono::steady_clock::now();
    c.set(s);
    s.ForcePaint();
    EXPECT_LE(s.NumTicks(), TScale::kTickListSize);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  }
}

}  // namespace
}  // namespace dendrokit
