#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "chart/plotra_geometry.h"

namespace dendrokit {
namespace {

// Every character 10 px wide.
int Width10(std::string_view s) { return static_cast<int>(s.size()) * 10; }

TEST(PlotraSurround, CaptionTrimming) {
  struct Case {
    std::string text;
    int area, trim;
    std::string expect;
  } const cases[] = {
      {std::string(30, 'x'), 200, 100, std::string(18, 'x') + "..."},  // 300 px in 200
      {std::string(30, 'x'), 200, 0, std::string(30, 'x')},            // 0: never trimmed
      {std::string(20, 'x'), 200, 100, std::string(20, 'x')},           // fits exactly
      {std::string(30, 'x'), 200, 50, std::string(8, 'x') + "..."},    // a = 100
      {"abc", 10, 5, "..."},                                              // nothing left
  };
  for (const auto& c : cases)
    EXPECT_EQ(TrimCaption(c.text, c.area, c.trim, Width10), c.expect) << c.area << " " << c.trim;
}

TEST(PlotraSurround, CaptionAnchors) {
  const PlotraFrame f{400, 300, 50, 20, 20, 40, 4};
  struct Case {
    TCaptionAnchorHoriz h;
    TCaptionAnchorVert v;
    TAlignment a;
    TPoint expect;
  } const cases[] = {
      {cahControlLeft, cavControlTop, taLeftJustify, {5, -16}},
      {cahChartLeft, cavChartTop, taLeftJustify, {55, 4}},
      {cahChartCenter, cavChartCenter, taCenter, {5 + 50 + 163 - 30, -16 + 20 + 118}},
      {cahChartRight, cavChartBottom, taRightJustify, {5 + 376 - 60, -16 + 260}},
      {cahControlRight, cavControlBottom, taRightJustify, {405 - 60, 284}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CaptionOrigin(f, c.h, c.v, c.a, 5, -16, 60), c.expect) << int(c.h) << int(c.v);
}

TEST(PlotraBackground, ShadedAreaBands) {
  // Area pixels: left 10, top 20, right 60, bottom 70 in a 100 x 80 image.
  using R = std::vector<TRect>;
  struct Case {
    TBGAreaMode mode;
    R expect;
  } const cases[] = {
      {bamNone, {}},
      {bamLeft, {{0, 0, 10, 80}}},
      {bamRight, {{60, 0, 100, 80}}},
      {bamTop, {{0, 0, 100, 20}}},
      {bamBottom, {{0, 70, 100, 80}}},
      {bamVStripe, {{10, 0, 60, 80}}},
      {bamHStripe, {{0, 20, 100, 70}}},
      {bamRect, {{10, 20, 60, 70}}},
      {bamRectInv, {{0, 0, 100, 20}, {0, 70, 100, 80}, {0, 0, 10, 80}, {60, 0, 100, 80}}},
      {bamVStripeInv, {{0, 0, 10, 80}, {60, 0, 100, 80}}},
      {bamHStripeInv, {{0, 0, 100, 20}, {0, 70, 100, 80}}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ShadedAreaBands(c.mode, 10, 20, 60, 70, 100, 80), c.expect) << int(c.mode);
  EXPECT_EQ(TileOrigins(25, 10, 10, 10).size(), 3u);  // columns 1..(24 div 10 + 1)
  EXPECT_EQ(TileOrigins(20, 11, 10, 10).size(), 4u);
}

TEST(PlotraItems, TextBlockPlacement) {
  // "a" 6 px and "bb" 14 px wide, line height 13; the point is (100, 50).
  struct Case {
    int alignment;
    std::vector<TPoint> lines;
  } const cases[] = {
      {0, {{100, 44}, {100, 57}}},
      {1, {{100 - 14 + 8, 44}, {86, 57}}},
      {2, {{93 + 4, 44}, {93, 57}}},  // "a" centred over "bb"
  };
  for (const auto& c : cases) {
    const TextBlock b = PlaceTextItem(100, 50, {6, 14}, 13, c.alignment, true);
    EXPECT_EQ(b.LineOrigins, c.lines) << c.alignment;
    ASSERT_TRUE(b.HasBackground);
    EXPECT_EQ(b.Background.Left, c.lines[1].X - 4);
    EXPECT_EQ(b.Background.Top, 42);
    EXPECT_EQ(b.Background.Right - b.Background.Left, 14 + 8);
    EXPECT_EQ(b.Background.Bottom, 44 + 26 + 2);
  }
  const TextBlock one = PlaceTextItem(100, 50, {14}, 13, 2, true);
  EXPECT_EQ(one.LineOrigins, (std::vector<TPoint>{{93, 44}}));
  EXPECT_FALSE(one.HasBackground);  // a single line fills its own text box
  EXPECT_EQ(SplitLines("a\nbb").size(), 2u);
}

TEST(PlotraItems, TextLabelPlacement) {
  // Two lines of 20 and 30 px, line height 10, anchor (100, 100).
  struct Case {
    TAlignment a;
    TVerticalAlignment v;
    int x, y;  // aligned anchor
  } const cases[] = {
      {taLeftJustify, vaBottom, 100, 100}, {taRightJustify, vaBottom, 70, 100},
      {taCenter, vaBottom, 85, 100},       {taLeftJustify, vaTop, 100, 120},
      {taLeftJustify, vaCenter, 100, 110},
  };
  for (const auto& c : cases) {
    const LabelBlock b = PlaceTextLabel(100, 100, {20, 30}, 10, c.a, c.v);
    EXPECT_EQ(b.X, c.x);
    EXPECT_EQ(b.Y, c.y);
    EXPECT_EQ(b.Box, (TRect{c.x - 4, c.y - 22, c.x + 34, c.y + 2}));
    EXPECT_EQ(b.LineOrigins[1].Y, c.y - 10);
    EXPECT_EQ(b.LineOrigins[0].Y, c.y - 20);
    const int offset0 = c.a == taRightJustify ? 10 : c.a == taCenter ? 5 : 0;
    EXPECT_EQ(b.LineOrigins[0].X, c.x + offset0);
  }
}

TEST(PlotraItems, BoxesAndArrowHeads) {
  EXPECT_EQ(InclusiveRect(10, 20, 5, 8), (TRect{5, 8, 11, 21}));
  EXPECT_EQ(InclusiveRect(3, 3, 3, 3), (TRect{3, 3, 4, 4}));
  EXPECT_FALSE(ArrowHeadPoints(0, 0, 10, 0, 0));
  EXPECT_FALSE(ArrowHeadPoints(5, 5, 5, 5, 10));
  // Shaft pointing right: the head opens backwards at +-20 degrees.
  const auto h = ArrowHeadPoints(0, 100, 100, 100, 20);
  ASSERT_TRUE(h);
  EXPECT_EQ(h->A, (TPoint{81, 107}));  // 100 - 20 cos 20, 100 + 20 sin 20 (6.84)
  EXPECT_EQ(h->B, (TPoint{81, 93}));
}

TEST(PlotraGrid, Values) {
  using V = std::vector<double>;
  struct Case {
    double step, lo, hi;
    bool log;
    V ticks, expect;
  } const cases[] = {
      {0.25, 0.1, 1.0, false, {}, {0.25, 0.5, 0.75}},
      {2, 5, 0, false, {}, {0, 2, 4}},                       // reversed range put in order
      {-1, 3, 5000, true, {}, {10, 100, 1000}},
      {-2, 3, 100, true, {}, {5, 10, 20, 50}},
      {-2, 0.15, 1, true, {}, {0.2, 0.5}},
      {-3, 3, 12, true, {}, {3, 4, 5, 6, 7, 8, 9, 10}},
      {0, 0, 1, false, {0.25, 0.0, 0.5, 1.0}, {0.0, 0.25, 0.5}},  // ticks, sorted
      {0, 2, 3, false, {}, {2}},                                  // no ticks: the low end
  };
  for (const auto& c : cases) {
    const V got = GridValues(c.step, c.lo, c.hi, c.log, c.ticks);
    ASSERT_EQ(got.size(), c.expect.size()) << c.step << " " << c.lo;
    for (std::size_t i = 0; i < got.size(); ++i)
      EXPECT_NEAR(got[i], c.expect[i], 1e-9 * std::fabs(c.expect[i])) << c.step << " " << i;
  }
  EXPECT_EQ(GridValues(1e-6, 0, 1, false, {}).size(), std::size_t(kMaxGridValues));
  EXPECT_TRUE(GridValues(-1, -1, 10, true, {}).empty());  // no decades below zero
}

TEST(PlotraCrossHairs, Spans) {
  const PlotraFrame f{300, 200, 50, 20, 20, 40, 0};  // area x 50..280, y 20..160
  struct Case {
    TCrossHMode mode;
    int px, py, wid;
    std::vector<Segment> lines;
    std::size_t boxes;
  } const cases[] = {
      {chHoriz, 100, 90, 1, {{{51, 90}, {280, 90}}}, 0},
      {chVert, 100, 90, 3, {{{100, 22}, {100, 159}}}, 0},
      {chBoth, 100, 90, 1, {{{51, 90}, {280, 90}}, {{100, 21}, {100, 160}}}, 0},
      {chHoriz, 100, 20, 1, {}, 0},   // on the border: nothing
      {chVert, 279, 90, 3, {}, 0},    // within half a pen of the border
      {chCrossBox, 100, 90, 1, {{{87, 90}, {114, 90}}, {{100, 77}, {100, 104}}}, 2},
      {chBox, 100, 90, 1, {}, 1},
      {chBox, 10, 90, 1, {}, 0},
  };
  for (const auto& c : cases) {
    const CrossHairShape s = CrossHairLayout(c.mode, c.px, c.py, c.wid, f);
    ASSERT_EQ(s.Lines.size(), c.lines.size()) << int(c.mode);
    for (std::size_t i = 0; i < s.Lines.size(); ++i) {
      EXPECT_EQ(s.Lines[i].A, c.lines[i].A) << int(c.mode);
      EXPECT_EQ(s.Lines[i].B, c.lines[i].B) << int(c.mode);
    }
    EXPECT_EQ(s.WhiteBoxes.size() + s.BlackBoxes.size() + s.PenBoxes.size(), c.boxes);
  }
  EXPECT_EQ(CrossHairLayout(chBox, 100, 90, 1, f).PenBoxes[0], (TRect{96, 86, 105, 95}));
}

TEST(PlotraItems, DuplicateMarkGrid) {
  DupMarkGrid g;
  g.Reset(100, 100, 1);
  EXPECT_TRUE(g.Claim(10, 10, 1));
  EXPECT_FALSE(g.Claim(11, 10, 1));  // 1 px apart, same type
  EXPECT_TRUE(g.Claim(11, 10, 2));   // another type
  EXPECT_TRUE(g.Claim(13, 10, 1));   // 3 px from the first: free again
  EXPECT_TRUE(g.Claim(-1, -1, 3));   // border cells exist
  EXPECT_TRUE(g.Claim(500, 500, 3)); // outside the grid: always drawn
}

TEST(PlotraMouse, PanZoomAndBands) {
  struct Pan {
    Range start;
    int from, to;
    bool log, vertical;
    Range expect;
  } const pans[] = {
      {{0, 100}, 100, 150, false, false, {-25, 75}},  // 50 px right in a 200 px area
      {{0, 100}, 100, 150, false, true, {25, 125}},   // y follows the pointer
      {{1, 100}, 100, 0, true, false, {10, 1000}},    // one decade per 100 px
      {{1, 100}, 0, 100, true, true, {10, 1000}},
  };
  for (const auto& p : pans) {
    const int extent = p.log ? 200 : 200;
    const Range r = PanAxis(p.start, p.from, p.to, extent, p.log, p.vertical);
    EXPECT_NEAR(r.Low, p.expect.Low, 1e-9 * std::fabs(p.expect.High));
    EXPECT_NEAR(r.High, p.expect.High, 1e-9 * std::fabs(p.expect.High));
  }
  EXPECT_EQ(SnapToPanGrid({23.7, 73.7}, 10, 0), (Range{20, 70}));
  EXPECT_EQ(SnapToPanGrid({-23.7, 26.3}, 10, 0), (Range{-20, 30}));  // toward zero
  EXPECT_EQ(SnapToPanGrid({23.7, 73.7}, 0, 5), (Range{23.7, 73.7}));
  EXPECT_EQ(ZoomAbout({0, 100}, 0.9), (Range{5, 95}));
  EXPECT_EQ(OrderLikeAxis(8, 2, {0, 10}), (Range{2, 8}));
  EXPECT_EQ(OrderLikeAxis(2, 8, {10, 0}), (Range{8, 2}));
  EXPECT_EQ(OrderLikeAxis(2, 8, {0, 10}), (Range{2, 8}));
  EXPECT_EQ(SquareBandY(10, 10, 30, 50), 30);   // same sign: down-right
  EXPECT_EQ(SquareBandY(10, 10, 30, 0), -10);   // opposite signs: up-right
}

TEST(PlotraMouse, PickingAndScaleHits) {
  const std::vector<CrossHairPick> hairs = {
      {chOff, 0, 0}, {chVert, 100, 0}, {chHoriz, 0, 52}, {chBoth, 90, 90}};
  EXPECT_EQ(NearestCrossHair(hairs, 103, 50), 3);  // 2 px from the horizontal line
  EXPECT_EQ(NearestCrossHair(hairs, 101, 10), 2);
  EXPECT_EQ(NearestCrossHair({{chOff, 0, 0}}, 5, 5), 1);
  EXPECT_EQ(NearestLabel({{false, 0, 0}, {true, 50, 50}, {true, 10, 10}}, 0, 0), 3);
  EXPECT_EQ(NearestLabel({{false, 0, 0}}, 0, 0), 1);

  const PlotraFrame f{300, 200, 50, 20, 20, 40, 0};
  struct Hit {
    ScaleEdge edge;
    int pos, x, y;
    bool expect;
  } const hits[] = {
      {ScaleEdge::Bottom, 0, 100, 170, true},  {ScaleEdge::Bottom, 0, 100, 160, false},
      {ScaleEdge::Bottom, 30, 100, 195, true}, {ScaleEdge::Top, 0, 100, 10, true},
      {ScaleEdge::Left, 0, 20, 100, true},     {ScaleEdge::Left, 50, 20, 100, false},
      {ScaleEdge::Right, 0, 300, 100, true},   {ScaleEdge::Left, 0, 20, 10, false},
  };
  for (const auto& h : hits)
    EXPECT_EQ(ScaleHit(h.edge, h.pos, f, h.x, h.y), h.expect) << int(h.edge) << " " << h.x;
}

}  // namespace
}  // namespace dendrokit
