// Pixel tests of the drawing primitives on off-screen bitmaps.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QFontDatabase>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <climits>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "gfxbase/draw.h"
#include "gfxbase/errors.h"

namespace dendrokit {
namespace {

constexpr TColor kWhite = 0xFFFFFF;
constexpr TColor kBlack = 0x000000;
constexpr TColor kRed = 0x0000FF;
constexpr TColor kBlue = 0xFF0000;

using PixelSet = std::set<std::pair<int, int>>;

std::unique_ptr<TBitmap> Filled(int w, int h, TColor color) {
  auto bmp = std::make_unique<TBitmap>(w, h);
  bmp->Canvas().Brush().SetColor(color);
  bmp->Canvas().FillRect({0, 0, w, h});
  return bmp;
}

// Pixels of a QImage that differ from the background colour.
PixelSet InkOf(const QImage& image, TColor background) {
  PixelSet ink;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (QColorToColor(QColor::fromRgb(image.pixel(x, y))) != background) ink.insert({x, y});
  return ink;
}

PixelSet InkOf(TBitmap& bmp, TColor background) { return InkOf(bmp.Image(), background); }

// Inclusive bounding box relative to (cx, cy): {minDx, maxDx, minDy, maxDy}.
struct Box {
  int minDx, maxDx, minDy, maxDy;
  friend bool operator==(const Box&, const Box&) = default;
};

std::ostream& operator<<(std::ostream& os, const Box& b) {
  return os << "dx " << b.minDx << ".." << b.maxDx << " dy " << b.minDy << ".." << b.maxDy;
}

Box BoxOf(const PixelSet& ink, int cx, int cy) {
  Box b{INT_MAX, INT_MIN, INT_MAX, INT_MIN};
  for (auto [x, y] : ink) {
    b.minDx = std::min(b.minDx, x - cx);
    b.maxDx = std::max(b.maxDx, x - cx);
    b.minDy = std::min(b.minDy, y - cy);
    b.maxDy = std::max(b.maxDy, y - cy);
  }
  return b;
}

// Pixels marked '#' in a picture centred on (cx, cy).
PixelSet FromPicture(const std::vector<std::string>& rows, int cx, int cy) {
  PixelSet set;
  const int h = int(rows.size());
  for (int r = 0; r < h; ++r) {
    const int w = int(rows[std::size_t(r)].size());
    for (int c = 0; c < w; ++c)
      if (rows[std::size_t(r)][std::size_t(c)] == '#') set.insert({cx - w / 2 + c, cy - h / 2 + r});
  }
  return set;
}

// ---- Frames ----------------------------------------------------------------------------

struct FrameColors {
  TColor high = 0x0000F0, light = 0x00F000, shadow = 0xF00000, dark = 0x00F0F0,
         simple = 0xF000F0;
};

// Expected colour of every pixel of a 3-D frame: the outer ring's right and bottom edges
// (bottom-left corner included, top-right corner excluded) in c2, its rest in c1; the same
// one pixel inside for c4 and c3.
std::map<std::pair<int, int>, TColor> ExpectedRings(int l, int t, int r, int b, TColor c1,
                                                    TColor c2, TColor c3, TColor c4) {
  std::map<std::pair<int, int>, TColor> px;
  auto ring = [&](int l2, int t2, int r2, int b2, TColor tl, TColor br) {
    for (int y = t2; y <= b2; ++y)
      for (int x = l2; x <= r2; ++x) {
        if (x != l2 && x != r2 && y != t2 && y != b2) continue;
        px[{x, y}] = ((x == r2 && y > t2) || y == b2) ? br : tl;
      }
  };
  ring(l, t, r, b, c1, c2);
  ring(l + 1, t + 1, r - 1, b - 1, c3, c4);
  return px;
}

TEST(DrawFrame, ThreeDimensionalStylesPaintEachRingPixel) {
  const FrameColors fc;
  struct Case {
    TFrameStyle style;
    TColor c1, c2, c3, c4;
  } const cases[] = {
      {fsLowered, fc.high, fc.dark, fc.light, fc.shadow},
      {fsRaised, fc.shadow, fc.high, fc.dark, fc.light},
      {fsEmbossed, fc.high, fc.shadow, fc.shadow, fc.high},
      {fsEngraved, fc.shadow, fc.high, fc.high, fc.shadow},
  };
  const int l = 2, t = 3, r = 13, b = 11;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(EnumToName(c.style)));
    auto bmp = Filled(16, 16, kWhite);
    TCanvas& cv = bmp->Canvas();
    DrawFrame(cv, c.style, l, t, r, b, fc.high, fc.light, fc.shadow, fc.dark, fc.simple);
    const auto expected = ExpectedRings(l, t, r, b, c.c1, c.c2, c.c3, c.c4);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        const auto it = expected.find({x, y});
        const TColor want = it == expected.end() ? kWhite : it->second;
        EXPECT_EQ(cv.Pixel(x, y), want) << "at " << x << "," << y;
      }
    EXPECT_EQ(cv.Pen().Color(), c.c4);
  }
}

// The worked example: the outer ring of fsLowered on (0, 0, 9, 9).
TEST(DrawFrame, LoweredOuterRingAtTheOrigin) {
  const FrameColors fc;
  auto bmp = Filled(10, 10, kWhite);
  TCanvas& cv = bmp->Canvas();
  DrawFrame(cv, fsLowered, 0, 0, 9, 9, fc.high, fc.light, fc.shadow, fc.dark, fc.simple);
  for (int i = 0; i <= 9; ++i) EXPECT_EQ(cv.Pixel(i, 0), fc.high) << i;
  for (int i = 0; i <= 8; ++i) EXPECT_EQ(cv.Pixel(0, i), fc.high) << i;
  for (int i = 1; i <= 9; ++i) EXPECT_EQ(cv.Pixel(9, i), fc.dark) << i;
  for (int i = 0; i <= 9; ++i) EXPECT_EQ(cv.Pixel(i, 9), fc.dark) << i;
}

TEST(DrawFrame, NoneTouchesNothingAndSimpleLeavesPenInSimpleColor) {
  const FrameColors fc;
  auto bmp = Filled(12, 12, kWhite);
  TCanvas& cv = bmp->Canvas();
  cv.Pen().SetColor(kRed);
  DrawFrame(cv, fsNone, 1, 1, 10, 10, fc.high, fc.light, fc.shadow, fc.dark, fc.simple);
  DrawFrame(cv, static_cast<TFrameStyle>(17), 1, 1, 10, 10, fc.high, fc.light, fc.shadow,
            fc.dark, fc.simple);
  EXPECT_TRUE(InkOf(*bmp, kWhite).empty());
  EXPECT_EQ(cv.Pen().Color(), kRed);

  DrawFrame(cv, fsSimple, 1, 2, 10, 9, fc.high, fc.light, fc.shadow, fc.dark, fc.simple);
  EXPECT_EQ(cv.Pen().Color(), fc.simple);
  PixelSet outline;
  for (int x = 1; x <= 10; ++x) outline.insert({x, 2}), outline.insert({x, 9});
  for (int y = 2; y <= 9; ++y) outline.insert({1, y}), outline.insert({10, y});
  EXPECT_EQ(InkOf(*bmp, kWhite), outline);
  for (auto [x, y] : outline) EXPECT_EQ(cv.Pixel(x, y), fc.simple);
}

TEST(DrawFrame, ExtremeCoordinatesAreSafe) {
  const FrameColors fc;
  auto bmp = Filled(4, 4, kWhite);
  for (TFrameStyle s : {fsSimple, fsLowered, fsRaised, fsEmbossed, fsEngraved}) {
    DrawFrame(bmp->Canvas(), s, INT_MIN, INT_MIN, INT_MAX, INT_MAX, fc.high, fc.light,
              fc.shadow, fc.dark, fc.simple);
    DrawFrame(bmp->Canvas(), s, INT_MAX, INT_MAX, INT_MIN, INT_MIN, fc.high, fc.light,
              fc.shadow, fc.dark, fc.simple);
  }
  SUCCEED();
}

TEST(DrawRectOutline, EveryEdgePixelIncludingCorners) {
  auto bmp = Filled(10, 10, kWhite);
  DrawRectOutline(bmp->Canvas(), 2, 2, 7, 5);
  const PixelSet expected = FromPicture({"######",
                                         "#....#",
                                         "#....#",
                                         "######"}, 5, 4);
  EXPECT_EQ(InkOf(*bmp, kWhite), expected);
}

// ---- Marks -----------------------------------------------------------------------------

// A canvas with a black pen and a solid blue brush on white.
struct MarkCanvas {
  std::unique_ptr<TBitmap> bmp = Filled(32, 32, kWhite);
  TCanvas& cv = bmp->Canvas();
  MarkCanvas() {
    cv.Pen().SetColor(kBlack);
    cv.Brush().SetColor(kBlue);
    cv.Brush().SetStyle(bsSolid);
  }
  PixelSet Ink() { return InkOf(*bmp, kWhite); }
};

TEST(DrawMark, FilledSquaresCoverTheirRectangles) {
  for (auto [type, d] : {std::pair{7, 1}, {8, 2}, {9, 3}}) {
    MarkCanvas m;
    m.cv.Pen().SetColor(kRed);
    DrawMark(m.cv, std::uint8_t(type), 10, 10);
    const PixelSet ink = m.Ink();
    EXPECT_EQ(ink.size(), std::size_t((2 * d + 1) * (2 * d + 1))) << type;
    EXPECT_EQ(BoxOf(ink, 10, 10), (Box{-d, d, -d, d})) << type;
    for (auto [x, y] : ink) EXPECT_EQ(m.cv.Pixel(x, y), kRed);
    EXPECT_EQ(m.cv.Brush().Color(), kBlue) << "brush colour restored after " << type;
  }
}

TEST(DrawMark, SinglePixelAndDiamonds) {
  MarkCanvas m0;
  DrawMark(m0.cv, 0, 10, 10);
  EXPECT_EQ(m0.Ink(), (PixelSet{{10, 10}}));

  const PixelSet diamond = FromPicture({"...#...",
                                        "..#.#..",
                                        ".#...#.",
                                        "#.....#",
                                        ".#...#.",
                                        "..#.#..",
                                        "...#..."}, 10, 10);
  MarkCanvas m19;
  DrawMark(m19.cv, 19, 10, 10);
  EXPECT_EQ(m19.Ink(), diamond);
  MarkCanvas m13;
  DrawMark(m13.cv, 13, 10, 10);
  PixelSet withCentre = diamond;
  withCentre.insert({10, 10});
  EXPECT_EQ(m13.Ink(), withCentre);
}

TEST(DrawMark, ScreenGlyphsPaintExactlyTheirPixels) {
  struct Case {
    int type;
    std::vector<std::string> picture;
  } const cases[] = {
      {1, {".......", ".......", "...#...", "..###..", "...#...", ".......", "......."}},
      {2, {".......", "...#...", "...#...", ".#####.", "...#...", "...#...", "......."}},
      {3, {"...#...", "...#...", "...#...", "#######", "...#...", "...#...", "...#..."}},
      {4, {".......", ".......", "..#.#..", "...#...", "..#.#..", ".......", "......."}},
      {5, {".......", ".#...#.", "..#.#..", "...#...", "..#.#..", ".#...#.", "......."}},
      {6, {"#.....#", ".#...#.", "..#.#..", "...#...", "..#.#..", ".#...#.", "#.....#"}},
      {18, {"#.#.#.#", ".#.#.#.", "#.#.#.#", ".#.#.#.", "#.#.#.#", ".#.#.#.", "#.#.#.#"}},
  };
  for (const auto& c : cases) {
    MarkCanvas m;
    m.cv.Pen().SetColor(kRed);
    // Clear bits leave the picture alone: a grey background survives them.
    m.cv.Brush().SetColor(0x808080);
    m.cv.FillRect({0, 0, 32, 32});
    m.cv.Brush().SetColor(kBlue);
    DrawMark(m.cv, std::uint8_t(c.type), 12, 14);
    const PixelSet expected = FromPicture(c.picture, 12, 14);
    EXPECT_EQ(InkOf(*m.bmp, 0x808080), expected) << "type " << c.type;
    for (auto [x, y] : expected) EXPECT_EQ(m.cv.Pixel(x, y), kRed);
  }
  MarkCanvas m3;
  DrawMark(m3.cv, 3, 10, 10);
  EXPECT_EQ(m3.Ink().size(), 13u);
  MarkCanvas m18;
  DrawMark(m18.cv, 18, 10, 10);
  EXPECT_EQ(m18.Ink().size(), 25u);
}

// Extent of every shape type, from its drawing steps and the canvas conventions.
TEST(DrawMark, ShapeExtentsOnTheScreen) {
  const std::map<int, Box> boxes = {
      {0, {0, 0, 0, 0}},     {1, {-1, 1, -1, 1}},   {2, {-2, 2, -2, 2}},
      {3, {-3, 3, -3, 3}},   {4, {-1, 1, -1, 1}},   {5, {-2, 2, -2, 2}},
      {6, {-3, 3, -3, 3}},   {7, {-1, 1, -1, 1}},   {8, {-2, 2, -2, 2}},
      {9, {-3, 3, -3, 3}},   {10, {-1, 1, -1, 1}},  {11, {-2, 2, -2, 2}},
      {12, {-3, 3, -3, 3}},  {13, {-3, 3, -3, 3}},  {14, {-2, 2, -2, 2}},
      {15, {-3, 3, -3, 3}},  {16, {-2, 2, -2, 2}},  {17, {-3, 3, -3, 3}},
      {18, {-3, 3, -3, 3}},  {19, {-3, 3, -3, 3}},  {20, {-2, 2, 0, 2}},
      {21, {-3, 3, 0, 3}},   {22, {-2, 2, -2, 0}},  {23, {-3, 3, -3, 0}},
      {24, {-3, 3, -3, 3}},  {25, {-3, 3, -3, 3}},  {26, {-2, 2, -2, 2}},
      {27, {-2, 1, -2, 1}},  {28, {-2, 1, -2, 1}},  {29, {-2, 2, 0, 2}},
      {30, {-3, 3, 0, 3}},   {31, {-2, 2, 0, 2}},   {32, {-3, 3, 0, 3}},
      {33, {-4, 4, -3, 4}},  {34, {-4, 4, -3, 4}},  {35, {-4, 4, -4, 3}},
      {36, {-4, 4, -4, 3}},  {37, {-3, 3, -7, 0}},  {38, {-3, 3, -2, 2}},
      {39, {-3, 3, -3, 3}},  {40, {-2, 3, -2, 2}},  {41, {-2, 3, -2, 2}},
      {42, {-3, 4, -3, 3}},  {43, {-3, 4, -3, 3}},  {44, {-3, 2, -2, 2}},
      {45, {-3, 2, -2, 2}},  {46, {-4, 3, -3, 3}},  {47, {-4, 3, -3, 3}},
      {48, {-3, 3, -3, 3}},  {49, {-4, 4, -4, 4}},  {50, {-4, 4, -4, 4}},
      {51, {-4, 4, -4, 4}},
  };
  for (const auto& [type, box] : boxes) {
    MarkCanvas m;
    DrawMark(m.cv, std::uint8_t(type), 15, 15);
    EXPECT_EQ(BoxOf(m.Ink(), 15, 15), box) << "type " << type;
    EXPECT_EQ(m.cv.Brush().Color(), kBlue) << "type " << type;
  }
}

TEST(DrawMark, HollowShapesKeepTheirInsideAndLeaveASolidBrush) {
  // Type, and a pixel inside the outline that no step paints.
  for (auto [type, dx, dy] : {std::tuple{17, 1, 1}, {16, 1, 0}, {48, 2, 2}, {49, 1, 1},
                              {39, 1, 1}, {35, 0, 1}, {33, 0, -1}}) {
    MarkCanvas m;
    m.cv.Brush().SetStyle(bsClear);
    DrawMark(m.cv, std::uint8_t(type), 15, 15);
    EXPECT_EQ(m.cv.Pixel(15 + dx, 15 + dy), kWhite) << "type " << type;
    EXPECT_EQ(m.cv.Brush().Style(), bsSolid) << "type " << type;
  }
  // The filled twins paint that pixel in the pen colour.
  for (auto [type, dx, dy] : {std::tuple{24, 1, 1}, {26, 1, 0}, {36, 0, 1}, {34, 0, -1}}) {
    MarkCanvas m;
    m.cv.Pen().SetColor(kRed);
    DrawMark(m.cv, std::uint8_t(type), 15, 15);
    EXPECT_EQ(m.cv.Pixel(15 + dx, 15 + dy), kRed) << "type " << type;
  }
}

TEST(DrawMark, FilledShapeKeepsTheBrushColour) {
  MarkCanvas m;
  m.cv.Pen().SetColor(kRed);
  DrawMark(m.cv, 8, 10, 10);
  EXPECT_EQ(m.cv.Brush().Color(), kBlue);
  EXPECT_EQ(m.cv.Pixel(10, 10), kRed);
  EXPECT_EQ(m.cv.Pixel(12, 12), kRed);
  EXPECT_EQ(m.cv.Pixel(13, 13), kWhite);

  // A clear brush left by a character mark does not empty the next filled shape.
  MarkCanvas after;
  after.cv.Pen().SetColor(kRed);
  DrawMark(after.cv, 'x', 5, 5);
  ASSERT_EQ(after.cv.Brush().Style(), bsClear);
  DrawMark(after.cv, 24, 15, 15);
  EXPECT_EQ(after.cv.Pixel(15, 15), kRed);
  EXPECT_EQ(after.cv.Brush().Style(), bsSolid);
  EXPECT_EQ(after.cv.Brush().Color(), kBlue);
}

// Character marks: the text drawn where the canvas's own metrics put it.
TEST(DrawMark, CharacterMarksAreCentredOnTheirPoint) {
  for (auto [type, text] : {std::pair<int, std::string>{205, "5"}, {200, "0"}, {209, "9"},
                            {65, "A"}, {52, "4"}, {199, "\xC3\x87"}, {233, "\xC3\xA9"}}) {
    SCOPED_TRACE(type);
    MarkCanvas m, ref;
    m.cv.Pen().SetColor(kRed);
    DrawMark(m.cv, std::uint8_t(type), 16, 15);
    EXPECT_EQ(m.cv.Brush().Style(), bsClear);
    EXPECT_EQ(m.cv.Font().Color(), kRed);

    ref.cv.Font().SetColor(kRed);
    ref.cv.Brush().SetStyle(bsClear);
    const int w = ref.cv.TextWidth(text), h = ref.cv.TextHeight(text);
    ref.cv.TextOut(16 - w / 2, 15 - h / 2, text);
    const PixelSet ink = m.Ink();
    EXPECT_FALSE(ink.empty());
    EXPECT_EQ(ink, ref.Ink());
    EXPECT_EQ(m.bmp->Image(), ref.bmp->Image());
  }
}

TEST(DrawMark, CharacterMarkDivisionTruncatesTowardZero) {
  // Centred on a point left of and above the picture: w div 2 must not round downward.
  MarkCanvas m, ref;
  const std::string text = "W";
  const int w = ref.cv.TextWidth(text), h = ref.cv.TextHeight(text);
  DrawMark(m.cv, 'W', w / 2 - 1, h / 2 - 1);
  ref.cv.Brush().SetStyle(bsClear);
  ref.cv.TextOut(-1, -1, text);
  EXPECT_EQ(m.bmp->Image(), ref.bmp->Image());
}

TEST(DrawMark, ExtremeCoordinatesAreSafe) {
  MarkCanvas m;
  for (int type = 0; type < 256; ++type)
    for (auto [x, y] : {std::pair{INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MIN, INT_MAX}})
      DrawMark(m.cv, std::uint8_t(type), x, y);
  EXPECT_TRUE(m.Ink().empty());
}

// ---- Printer variants ------------------------------------------------------------------

// A printer canvas drawing on an image, so that its line variants can be inspected.
struct PrinterOnImage {
  QImage image{32, 32, QImage::Format_RGB32};
  std::unique_ptr<TCanvas> cv;
  PrinterOnImage() {
    image.fill(Qt::white);
    cv = std::make_unique<TCanvas>(&image, true);
    cv->Pen().SetColor(kBlack);
  }
  PixelSet Ink() {
    cv->Release();
    return InkOf(image, kWhite);
  }
};

TEST(DrawMark, PrinterDrawsLinesInPlaceOfGlyphs) {
  ASSERT_TRUE(PrinterOnImage().cv->IsPrinter());
  const std::map<int, Box> boxes = {
      {1, {-2, 1, -2, 1}}, {2, {-3, 2, -3, 2}}, {3, {-4, 3, -4, 3}},
      {4, {-2, 1, -2, 2}}, {5, {-3, 2, -3, 3}}, {6, {-4, 3, -4, 4}},
      {18, {-3, 3, -3, 3}}, {25, {-3, 2, -3, 3}},
  };
  // Start points fix the left and top extents exactly; whether a painter device leaves
  // out a line's end pixel the way the screen does is the device's business, so the right
  // and bottom extents may reach one pixel further.
  for (const auto& [type, box] : boxes) {
    PrinterOnImage p;
    DrawMark(*p.cv, std::uint8_t(type), 15, 15);
    const Box got = BoxOf(p.Ink(), 15, 15);
    EXPECT_EQ(got.minDx, box.minDx) << "type " << type;
    EXPECT_EQ(got.minDy, box.minDy) << "type " << type;
    EXPECT_TRUE(got.maxDx == box.maxDx || got.maxDx == box.maxDx + 1) << "type " << type;
    EXPECT_TRUE(got.maxDy == box.maxDy || got.maxDy == box.maxDy + 1) << "type " << type;
  }
  // The chequer is the same 25 dots as the screen glyph.
  PrinterOnImage p18;
  DrawMark(*p18.cv, 18, 15, 15);
  EXPECT_EQ(p18.Ink().size(), 25u);
}

TEST(DrawMark, EveryTypeAndFrameOnAPdfPage) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath("marks.pdf");
  {
    TPdfPrinter printer(path.toStdString());
    TCanvas& cv = printer.Canvas();
    ASSERT_TRUE(cv.IsPrinter());
    for (int type = 0; type < 256; ++type) DrawMark(cv, std::uint8_t(type), 40 + 30 * (type % 16), 40 + 30 * (type / 16));
    for (TFrameStyle s : {fsSimple, fsLowered, fsRaised, fsEmbossed, fsEngraved})
      DrawFrame(cv, s, 10, 10, 600, 600, kWhite, 0xC0C0C0, 0x808080, kBlack, kBlack);
    printer.EndDoc();
  }
  EXPECT_GT(QFileInfo(path).size(), 0);
}

// ---- TrueType check --------------------------------------------------------------------

TEST(IsTrueTypeFont, OutlineFamilyAndMissingFamily) {
  const QStringList families = QFontDatabase::families();
  QString outline;
  for (const QString& f : families)
    if (QFontDatabase::isSmoothlyScalable(f)) {
      outline = f;
      break;
    }
  ASSERT_FALSE(outline.isEmpty()) << "no scalable font installed";
  EXPECT_TRUE(IsTrueTypeFont(outline.toStdString()));
  EXPECT_TRUE(IsTrueTypeFont(outline.toUpper().toStdString()));
  EXPECT_THROW(IsTrueTypeFont("No Such Face 4711"), EVELError);
  EXPECT_THROW(IsTrueTypeFont(""), EVELError);
}

}  // namespace
}  // namespace dendrokit
