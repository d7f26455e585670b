// Pixel tests of the canvas conventions the controls rely on.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QLocale>
#include <QPainter>
#include <QPalette>
#include <QTemporaryDir>
#include <climits>
#include <cstdlib>
#include <iterator>
#include <random>
#include <set>
#include <utility>

#include "gfxbase/canvas.h"

namespace dendrokit {
namespace {

constexpr TColor kWhite = 0xFFFFFF;
constexpr TColor kBlack = 0x000000;
constexpr TColor kRed = 0x0000FF;
constexpr TColor kBlue = 0xFF0000;

// A white bitmap with a black 1-pixel pen and a solid white brush.
std::unique_ptr<TBitmap> WhiteBitmap(int w, int h) {
  auto bmp = std::make_unique<TBitmap>(w, h);
  bmp->Canvas().Brush().SetColor(kWhite);
  bmp->Canvas().FillRect({0, 0, w, h});
  return bmp;
}

std::set<std::pair<int, int>> PixelsOf(const TCanvas& canvas, TColor color) {
  std::set<std::pair<int, int>> result;
  for (int y = 0; y < canvas.Height(); ++y)
    for (int x = 0; x < canvas.Width(); ++x)
      if (canvas.Pixel(x, y) == color) result.insert({x, y});
  return result;
}

// Bounding box (Right/Bottom exclusive) of the pixels that differ from white.
TRect InkBox(const TCanvas& canvas) {
  TRect box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (int y = 0; y < canvas.Height(); ++y)
    for (int x = 0; x < canvas.Width(); ++x)
      if (canvas.Pixel(x, y) != kWhite) {
        box.Left = std::min(box.Left, x);
        box.Top = std::min(box.Top, y);
        box.Right = std::max(box.Right, x + 1);
        box.Bottom = std::max(box.Bottom, y + 1);
      }
  return box;
}

TEST(CanvasLine, StartDrawnEndExcludedInEveryDirection) {
  const int cx = 20, cy = 20;
  const std::pair<int, int> ends[] = {{10, 0},  {10, 4},  {10, 10}, {4, 10},  {0, 10},
                                      {-4, 10}, {-10, 10}, {-10, 4}, {-10, 0}, {-10, -4},
                                      {-10, -10}, {-4, -10}, {0, -10}, {4, -10}, {10, -10},
                                      {10, -4}};
  for (auto [dx, dy] : ends) {
    SCOPED_TRACE(testing::Message() << "to (" << dx << ", " << dy << ")");
    auto bmp = WhiteBitmap(41, 41);
    TCanvas& c = bmp->Canvas();
    c.MoveTo(cx, cy);
    c.LineTo(cx + dx, cy + dy);
    const auto drawn = PixelsOf(c, kBlack);
    EXPECT_TRUE(drawn.count({cx, cy}));
    EXPECT_FALSE(drawn.count({cx + dx, cy + dy}));
    EXPECT_EQ(drawn.size(), static_cast<std::size_t>(std::max(std::abs(dx), std::abs(dy))));
    EXPECT_EQ(c.PenPos(), (TPoint{cx + dx, cy + dy}));
    // Every pixel lies within the line's box and the pixels form a connected chain.
    for (auto [x, y] : drawn) {
      EXPECT_GE(x, std::min(cx, cx + dx));
      EXPECT_LE(x, std::max(cx, cx + dx));
      EXPECT_GE(y, std::min(cy, cy + dy));
      EXPECT_LE(y, std::max(cy, cy + dy));
      if (x == cx && y == cy) continue;
      bool neighbour = false;
      for (int ny = -1; ny <= 1; ++ny)
        for (int nx = -1; nx <= 1; ++nx)
          if ((nx || ny) && drawn.count({x + nx, y + ny})) neighbour = true;
      EXPECT_TRUE(neighbour) << x << "," << y;
    }
  }
}

TEST(CanvasLine, ZeroLengthDrawsNothingAndExtremeCoordinatesAreSafe) {
  auto bmp = WhiteBitmap(20, 20);
  TCanvas& c = bmp->Canvas();
  c.MoveTo(5, 5);
  c.LineTo(5, 5);
  EXPECT_TRUE(PixelsOf(c, kBlack).empty());

  // Lines far outside (or through) the picture must neither crash nor overflow.
  c.MoveTo(INT_MIN, INT_MIN);
  c.LineTo(INT_MAX, INT_MAX);
  c.MoveTo(-1000000, 10);
  c.LineTo(1000000, 10);
  const auto row = PixelsOf(c, kBlack);
  for (int x = 0; x < 20; ++x) EXPECT_TRUE(row.count({x, 10})) << x;
  auto clipped = WhiteBitmap(20, 20);
  clipped->Canvas().MoveTo(-5, 3);
  clipped->Canvas().LineTo(3, 3);
  EXPECT_EQ(PixelsOf(clipped->Canvas(), kBlack).size(), 3u);
  EXPECT_FALSE(PixelsOf(clipped->Canvas(), kBlack).count({3, 3}));
}

TEST(CanvasLine, PolylineOmitsOnlyTheLastPoint) {
  auto bmp = WhiteBitmap(20, 20);
  TCanvas& c = bmp->Canvas();
  const TPoint pts[] = {{2, 2}, {10, 2}, {10, 8}};
  c.Polyline(pts);
  const auto drawn = PixelsOf(c, kBlack);
  EXPECT_EQ(drawn.size(), 14u);
  EXPECT_TRUE(drawn.count({10, 2}));
  EXPECT_FALSE(drawn.count({10, 8}));
}

TEST(CanvasLine, DashedStylesLeaveGapsAndClearDrawsNothing) {
  for (TPenStyle style : {psDash, psDot, psDashDot, psDashDotDot}) {
    auto bmp = WhiteBitmap(100, 3);
    TCanvas& c = bmp->Canvas();
    c.Pen().SetStyle(style);
    c.MoveTo(0, 1);
    c.LineTo(100, 1);
    const auto drawn = PixelsOf(c, kBlack);
    EXPECT_TRUE(drawn.count({0, 1})) << EnumToName(style);
    EXPECT_GT(drawn.size(), 20u) << EnumToName(style);
    EXPECT_LT(drawn.size(), 90u) << EnumToName(style);
  }
  auto bmp = WhiteBitmap(10, 10);
  bmp->Canvas().Pen().SetStyle(psClear);
  bmp->Canvas().MoveTo(0, 0);
  bmp->Canvas().LineTo(9, 9);
  bmp->Canvas().Rectangle(0, 0, 10, 10);
  EXPECT_TRUE(PixelsOf(bmp->Canvas(), kBlack).empty());
}

TEST(CanvasShapes, RectangleCoversX1ToX2MinusOne) {
  auto bmp = WhiteBitmap(12, 12);
  TCanvas& c = bmp->Canvas();
  c.Pen().SetColor(kRed);
  c.Brush().SetColor(kBlue);
  c.Rectangle(8, 7, 2, 3);  // corners in any order
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) {
      const bool inside = x >= 2 && x <= 7 && y >= 3 && y <= 6;
      const bool edge = inside && (x == 2 || x == 7 || y == 3 || y == 6);
      const TColor expected = !inside ? kWhite : edge ? kRed : kBlue;
      EXPECT_EQ(c.Pixel(x, y), expected) << x << "," << y;
    }
}

TEST(CanvasShapes, ClearBrushLeavesBackgroundAndClearPenFillsAll) {
  auto bmp = WhiteBitmap(12, 12);
  TCanvas& c = bmp->Canvas();
  c.Brush().SetColor(kBlue);
  c.FillRect({0, 0, 12, 12});
  c.Brush().SetStyle(bsClear);
  c.Pen().SetColor(kRed);
  c.Rectangle(1, 1, 11, 11);
  c.Ellipse(1, 1, 11, 11);
  for (int y = 2; y < 10; ++y)
    for (int x = 2; x < 10; ++x)
      EXPECT_TRUE(c.Pixel(x, y) == kRed || c.Pixel(x, y) == kBlue) << x << "," << y;
  EXPECT_EQ(c.Pixel(5, 5), kBlue);

  auto bmp2 = WhiteBitmap(12, 12);
  TCanvas& c2 = bmp2->Canvas();
  c2.Pen().SetStyle(psClear);
  c2.Brush().SetColor(kBlue);
  c2.Rectangle(2, 2, 6, 5);
  EXPECT_EQ(PixelsOf(c2, kBlue).size(), 12u);
  EXPECT_EQ(InkBox(c2), (TRect{2, 2, 6, 5}));
}

TEST(CanvasShapes, EllipseAndPolygonStayInTheirBox) {
  auto bmp = WhiteBitmap(30, 30);
  TCanvas& c = bmp->Canvas();
  c.Brush().SetColor(kBlue);
  c.Ellipse(5, 6, 20, 17);
  EXPECT_EQ(InkBox(c), (TRect{5, 6, 20, 17}));
  EXPECT_EQ(c.Pixel(12, 11), kBlue);

  auto bmp2 = WhiteBitmap(30, 30);
  TCanvas& c2 = bmp2->Canvas();
  c2.Brush().SetColor(kBlue);
  const TPoint diamond[] = {{10, 15}, {15, 20}, {20, 15}, {15, 10}};
  c2.Polygon(diamond);
  EXPECT_EQ(InkBox(c2), (TRect{10, 10, 21, 21}));
  for (const TPoint& p : diamond) EXPECT_EQ(c2.Pixel(p.X, p.Y), kBlack);
  EXPECT_EQ(c2.Pixel(15, 15), kBlue);
}

TEST(CanvasShapes, ArcDrawsOnlyTheRequestedQuarter) {
  auto bmp = WhiteBitmap(30, 30);
  TCanvas& c = bmp->Canvas();
  // Counter-clockwise from the right (3 o'clock) to the top (12 o'clock).
  c.Arc(5, 5, 26, 26, 30, 15, 15, 0);
  const TRect box = InkBox(c);
  EXPECT_GE(box.Left, 14);
  EXPECT_LE(box.Bottom, 17);
  EXPECT_GT(PixelsOf(c, kBlack).size(), 10u);
}

TEST(CanvasXor, DrawingTwiceRestoresEveryPixel) {
  const unsigned seed = 12345;
  std::mt19937 rng(seed);
  TBitmap bmp(64, 48);
  TCanvas& c = bmp.Canvas();
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) c.SetPixel(x, y, rng() & 0xFFFFFF);
  const QImage before = bmp.Image().copy();

  auto figure = [&c] {
    c.Pen().SetMode(pmXor);
    c.Pen().SetColor(0x00FF00);
    c.Brush().SetStyle(bsClear);
    c.MoveTo(3, 3);
    c.LineTo(60, 40);
    c.LineTo(5, 44);
    c.Rectangle(10, 10, 40, 30);
    c.Pen().SetStyle(psDot);
    c.MoveTo(0, 20);
    c.LineTo(63, 20);
    c.Pen().SetStyle(psSolid);
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(0x123456);
    c.Rectangle(20, 5, 50, 25);
    c.Ellipse(2, 2, 30, 30);
    const TPoint tri[] = {{40, 40}, {60, 10}, {62, 45}};
    c.Polygon(tri);
    c.Pen().SetWidth(3);
    c.MoveTo(0, 47);
    c.LineTo(63, 0);
    c.Pen().SetWidth(1);
  };
  figure();
  EXPECT_NE(bmp.Image(), before) << "seed " << seed;
  figure();
  EXPECT_EQ(bmp.Image(), before) << "seed " << seed;
}

TEST(CanvasPixels, ReadWriteAndOutsideThePicture) {
  auto bmp = WhiteBitmap(4, 4);
  TCanvas& c = bmp->Canvas();
  c.SetPixel(1, 2, 0x123456);
  EXPECT_EQ(c.Pixel(1, 2), 0x123456u);
  EXPECT_EQ(c.Pixel(-1, 0), clNone);
  EXPECT_EQ(c.Pixel(4, 0), clNone);
  c.SetPixel(4, 4, kBlack);  // ignored
  c.SetPixel(INT_MIN, INT_MAX, kBlack);
  EXPECT_TRUE(PixelsOf(c, kBlack).empty());
  TBitmap empty;
  EXPECT_EQ(empty.Canvas().Pixel(0, 0), clNone);
  empty.Canvas().LineTo(10, 10);
  empty.Canvas().TextOut(0, 0, "x");
}

TEST(CanvasText, TopLeftCornerAndOpaqueBackground) {
  auto bmp = WhiteBitmap(120, 60);
  TCanvas& c = bmp->Canvas();
  c.Font().SetHeight(20);
  const std::string text = "Hgy";
  const int w = c.TextWidth(text), h = c.TextHeight(text);
  ASSERT_GT(w, 0);
  ASSERT_GT(h, 0);
  c.Brush().SetStyle(bsClear);
  c.TextOut(30, 15, text);
  const TRect ink = InkBox(c);
  EXPECT_GE(ink.Left, 30);
  EXPECT_GE(ink.Top, 15);
  EXPECT_LE(ink.Right, 30 + w);
  EXPECT_LE(ink.Bottom, 15 + h);
  // The capital H reaches close to the top of the box and the descender close to its bottom.
  EXPECT_LT(ink.Top, 15 + h / 2);
  EXPECT_GT(ink.Bottom, 15 + h / 2);

  auto bmp2 = WhiteBitmap(120, 60);
  TCanvas& c2 = bmp2->Canvas();
  c2.Font().SetHeight(20);
  c2.Brush().SetColor(kBlue);
  c2.TextOut(30, 15, text);
  EXPECT_EQ(c2.Pixel(30, 15), kBlue);
  EXPECT_EQ(c2.Pixel(30 + w - 1, 15 + h - 1), kBlue);
  EXPECT_EQ(c2.Pixel(29, 15), kWhite);
  EXPECT_EQ(c2.Pixel(30 + w, 15 + h), kWhite);
}

TEST(CanvasText, RotatedTextRunsUpwardFromItsStart) {
  auto bmp = WhiteBitmap(60, 160);
  TCanvas& c = bmp->Canvas();
  c.Font().SetHeight(16);
  c.Font().SetOrientation(900);
  c.Brush().SetStyle(bsClear);
  const std::string text = "Rotated";
  const int w = c.TextWidth(text), h = c.TextHeight(text);
  c.TextOut(20, 140, text);
  const TRect ink = InkBox(c);
  EXPECT_GE(ink.Left, 20);
  EXPECT_LE(ink.Right, 20 + h);
  EXPECT_GE(ink.Top, 140 - w);
  EXPECT_LE(ink.Bottom, 141);
  EXPECT_LT(ink.Top, 140 - w / 2);  // runs upward over most of its width
}

// TextOut keeps the laid-out text and the painter state between calls; what it draws must
// stay pixel for pixel what a plain QPainter draws: translate to the corner, turn, fill the
// box, drawText on the ascent line. Digit strings take the glyph-run path.
TEST(CanvasText, CachedTextIsPixelIdenticalToPlainDrawText) {
  struct Case {
    const char* font;
    int orientation;
    bool solid;
  };
  const std::vector<std::string> texts{"7", "1234567890", "60", "Axis", "0.25", "7", "W-1",
                                       "a\nb", "T\tx", "Gr\xc3\xb6\xc3\x9f" "e \xc2\xb5"};
  for (const Case c : {Case{"DejaVu Sans", 0, false}, Case{"DejaVu Sans", 900, false},
                       Case{"DejaVu Serif", 0, true}, Case{"DejaVu Sans Mono", 900, true}}) {
    SCOPED_TRACE(std::string(c.font) + " " + std::to_string(c.orientation));
    TBitmap got(320, 300);
    TCanvas& canvas = got.Canvas();
    canvas.Font().SetName(c.font);
    canvas.Font().SetHeight(13);
    canvas.Font().SetOrientation(c.orientation);
    canvas.Brush().SetStyle(c.solid ? bsSolid : bsClear);
    canvas.Brush().SetColor(0x00FFFF);
    QImage want(320, 300, QImage::Format_RGB32);
    want.fill(Qt::white);
    QPainter p(&want);
    const QFontMetrics fm(canvas.Font().QtFont(), &want);
    for (std::size_t i = 0; i < texts.size(); ++i) {
      const int x = 20 + int(i) * 29, y = 40 + int(i) * 23;
      const TColor color = i % 2 ? 0x0000FF : 0x000000;
      canvas.Font().SetColor(color);
      canvas.MoveTo(0, y + 3);  // lines between texts must not disturb the text state
      canvas.LineTo(5, y + 3);
      canvas.TextOut(x, y, texts[i]);
      EXPECT_EQ(canvas.TextWidth(texts[i]), fm.horizontalAdvance(QString::fromStdString(texts[i])));
      p.save();
      p.translate(x, y);
      p.rotate(-c.orientation / 10.0);
      const QString s = QString::fromStdString(texts[i]);
      if (c.solid) p.fillRect(QRect(0, 0, fm.horizontalAdvance(s), fm.height()), QColor(255, 255, 0));
      p.setFont(canvas.Font().QtFont());
      p.setPen(ColorToQColor(color));
      p.drawText(QPoint(0, fm.ascent()), s);
      p.restore();
      p.setPen(Qt::black);
      p.drawLine(0, y + 3, 4, y + 3);
    }
    p.end();
    EXPECT_EQ(got.Image(), want);
  }
}

// A canvas keeps the text of a few faces; cycling through more faces than it keeps, and
// back, must measure and draw each text as Qt does in that face.
TEST(CanvasText, SwitchingFacesMeasuresAndDrawsEachFace) {
  struct Face {
    const char* name;
    int height;
    TFontStyles style;
  };
  const Face faces[] = {{"DejaVu Sans", 13, 0},  {"DejaVu Serif", 13, 0},
                        {"DejaVu Sans", 17, 0},  {"DejaVu Sans", 13, fsBold},
                        {"DejaVu Sans Mono", 11, 0}};
  TBitmap got(300, 330);
  TCanvas& canvas = got.Canvas();
  canvas.Brush().SetStyle(bsClear);
  QImage want(300, 330, QImage::Format_RGB32);
  want.fill(Qt::white);
  QPainter p(&want);
  for (int round = 0; round < 3; ++round)
    for (std::size_t f = 0; f < std::size(faces); ++f) {
      canvas.Font().SetName(faces[f].name);
      canvas.Font().SetHeight(faces[f].height);
      canvas.Font().SetStyle(faces[f].style);
      const std::string text = std::to_string(round * 1000 + 4711) + (f % 2 ? " Wy" : "");
      const int x = 10 + round * 95, y = 10 + int(f) * 60;
      canvas.TextOut(x, y, text);
      const QFontMetrics fm(canvas.Font().QtFont(), &want);
      EXPECT_EQ(canvas.TextWidth(text), fm.horizontalAdvance(QString::fromStdString(text)))
          << faces[f].name << " " << faces[f].height << " round " << round;
      p.setFont(canvas.Font().QtFont());
      p.setPen(Qt::black);
      p.drawText(QPoint(x, y + fm.ascent()), QString::fromStdString(text));
    }
  p.end();
  EXPECT_EQ(got.Image(), want);
}

TEST(CanvasBitmap, DrawAndStretchDraw) {
  TBitmap src(2, 2);
  src.Canvas().SetPixel(0, 0, kRed);
  src.Canvas().SetPixel(1, 0, kBlue);
  src.Canvas().SetPixel(0, 1, 0x00FF00);
  src.Canvas().SetPixel(1, 1, kBlack);

  auto dst = WhiteBitmap(12, 12);
  TCanvas& c = dst->Canvas();
  c.Draw(3, 4, src);
  EXPECT_EQ(c.Pixel(3, 4), kRed);
  EXPECT_EQ(c.Pixel(4, 4), kBlue);
  EXPECT_EQ(c.Pixel(3, 5), 0x00FF00u);
  EXPECT_EQ(c.Pixel(4, 5), kBlack);
  EXPECT_EQ(c.Pixel(5, 5), kWhite);

  c.StretchDraw({6, 6, 10, 10}, src);
  for (int y = 6; y < 10; ++y)
    for (int x = 6; x < 10; ++x) {
      const bool right = x >= 8, bottom = y >= 8;
      const TColor expected = bottom ? (right ? kBlack : 0x00FF00) : (right ? kBlue : kRed);
      EXPECT_EQ(c.Pixel(x, y), expected) << x << "," << y;
    }
  EXPECT_EQ(c.Pixel(10, 10), kWhite);
}

TEST(CanvasBitmap, ResizeKeepsPictureAndLoadReportsFailure) {
  TBitmap bmp(3, 3);
  bmp.Canvas().SetPixel(2, 2, kRed);
  bmp.SetSize(5, 4);
  EXPECT_EQ(bmp.Width(), 5);
  EXPECT_EQ(bmp.Height(), 4);
  EXPECT_EQ(bmp.Canvas().Pixel(2, 2), kRed);
  EXPECT_EQ(bmp.Canvas().Pixel(4, 3), kWhite);
  EXPECT_EQ(bmp.Image().depth(), 32);
  bmp.SetWidth(-3);
  EXPECT_TRUE(bmp.Empty());

  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string missing = dir.filePath("missing.bmp").toStdString();
  TBitmap keep(2, 2);
  EXPECT_FALSE(keep.LoadFromFile(missing));
  EXPECT_FALSE(keep.LoadFromFile(""));
  QFile junk(dir.filePath("junk.png"));
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write("\x89PNG this is not a picture");
  junk.close();
  EXPECT_FALSE(keep.LoadFromFile(junk.fileName().toStdString()));
  EXPECT_EQ(keep.Width(), 2);

  TBitmap pic(4, 3);
  pic.Canvas().SetPixel(1, 1, 0x102030);
  for (const char* name : {"pic.bmp", "pic.png"}) {
    const std::string path = dir.filePath(name).toStdString();
    ASSERT_TRUE(pic.SaveToFile(path)) << name;
    TBitmap loaded;
    ASSERT_TRUE(loaded.LoadFromFile(path)) << name;
    EXPECT_EQ(loaded.Width(), 4);
    EXPECT_EQ(loaded.Canvas().Pixel(1, 1), 0x102030u) << name;
    EXPECT_EQ(loaded.Image().depth(), 32);
  }
}

TEST(Colors, SystemColoursFollowTheApplicationPalette) {
  const QPalette saved = QApplication::palette();
  QPalette pal = saved;
  pal.setColor(QPalette::All, QPalette::Button, QColor(1, 2, 3));
  pal.setColor(QPalette::All, QPalette::Dark, QColor(4, 5, 6));
  pal.setColor(QPalette::All, QPalette::Light, QColor(10, 11, 12));
  pal.setColor(QPalette::All, QPalette::Base, QColor(13, 14, 15));
  pal.setColor(QPalette::All, QPalette::Text, QColor(16, 17, 18));
  pal.setColor(QPalette::Disabled, QPalette::Text, QColor(7, 8, 9));
  QApplication::setPalette(pal);
  EXPECT_EQ(ColorToRGB(clBtnFace), RGBColor(1, 2, 3));
  EXPECT_EQ(ColorToRGB(clBtnShadow), RGBColor(4, 5, 6));
  EXPECT_EQ(ColorToRGB(clGrayText), RGBColor(7, 8, 9));
  EXPECT_EQ(ColorToRGB(clBtnHighlight), RGBColor(10, 11, 12));
  EXPECT_EQ(ColorToRGB(clWindow), RGBColor(13, 14, 15));
  EXPECT_EQ(ColorToRGB(clWindowText), RGBColor(16, 17, 18));

  // A system colour drawn on a canvas lands as its palette colour.
  TBitmap bmp(2, 2);
  bmp.Canvas().Brush().SetColor(clBtnFace);
  bmp.Canvas().FillRect({0, 0, 2, 2});
  EXPECT_EQ(bmp.Canvas().Pixel(1, 1), RGBColor(1, 2, 3));
  QApplication::setPalette(saved);

  EXPECT_EQ(ColorToRGB(0x00123456), 0x00123456u);
  EXPECT_EQ(ColorToRGB(clNone), 0x00FFFFFFu);
  EXPECT_EQ(ColorToRGB(clDefault), 0u);
  EXPECT_EQ(ColorToRGB(0xFF0000FF), 0u);  // no such system colour
  EXPECT_EQ(ColorToRGB(0x05ABCDEF), 0x00ABCDEFu);
  EXPECT_EQ(QColorToColor(ColorToQColor(0x00102030)), 0x00102030u);
  EXPECT_EQ(ColorToQColor(kRed), QColor(255, 0, 0));
}

TEST(Fonts, HeightSizeAndFallbackOfAbsentFaces) {
  TFont f;
  f.SetPixelsPerInch(96);
  f.SetHeight(30);
  int changes = 0;
  f.OnChange = [&changes](TObject*) { ++changes; };
  f.SetSize(8);
  EXPECT_EQ(f.Height(), 11);  // 8 pt at 96 dpi is 10.67 pixels
  f.SetHeight(-13);
  EXPECT_EQ(f.Height(), 13);
  EXPECT_EQ(f.Size(), 10);  // 9.75 points
  f.SetHeight(13);           // unchanged
  f.SetHeight(0);            // ignored
  f.SetSize(0);              // ignored
  EXPECT_EQ(changes, 2);
  f.SetHeight(INT_MIN);
  EXPECT_GT(f.Height(), 0);
  f.SetOrientation(900 + 3600);
  EXPECT_EQ(f.Orientation(), 900);
  f.SetOrientation(INT_MIN);
  EXPECT_GE(f.Orientation(), 0);
  EXPECT_LT(f.Orientation(), 3600);

  TFont absent;
  absent.SetName("MS Sans Serif");
  absent.SetHeight(13);
  const QFontInfo info(absent.QtFont());
  EXPECT_EQ(info.family(), QFontInfo(QFont("sans-serif")).family());  // the system's sans face
  EXPECT_EQ(info.pixelSize(), 13);
  TBitmap bmp(10, 10);
  bmp.Canvas().Font().Assign(&absent);
  EXPECT_GT(bmp.Canvas().TextWidth("Sample"), 0);
  EXPECT_FALSE(InstalledFontNames().empty());
}

TEST(Printer, PdfCanvasIsAPrinterWithItsResolution) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath("out.pdf");
  {
    TPdfPrinter printer(path.toStdString(), 600);
    TCanvas& c = printer.Canvas();
    EXPECT_TRUE(c.IsPrinter());
    EXPECT_EQ(c.VertResolution(), 600);
    EXPECT_GT(printer.PageHeight(), 6000);
    c.MoveTo(100, 100);
    c.LineTo(2000, 100);
    c.Rectangle(100, 200, 900, 800);
    c.TextOut(100, 1000, "Printed");
    EXPECT_GT(c.TextWidth("Printed"), 0);
    printer.NewPage();
    c.Ellipse(0, 0, 500, 500);
    printer.EndDoc();
  }
  QFile pdf(path);
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  EXPECT_TRUE(pdf.read(5).startsWith("%PDF"));

  TBitmap screen(2, 2);
  EXPECT_FALSE(screen.Canvas().IsPrinter());
  EXPECT_EQ(screen.Canvas().VertResolution(), ScreenPixelsPerInch());
}

TEST(Locale, ShortMonthNamesAndPixelAspect) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(ShortMonthName(1), "Jan");
  EXPECT_EQ(ShortMonthName(12), "Dec");
  EXPECT_EQ(ShortMonthName(0), "");
  EXPECT_EQ(ShortMonthName(13), "");
  QLocale::setDefault(saved);
  const TPixelAspect aspect = ScreenPixelAspect();
  EXPECT_GT(aspect.X, 0);
  EXPECT_GT(aspect.Y, 0);
}

TEST(Rounding, HalfToEvenAndGuarded) {
  EXPECT_EQ(RoundPixel(2.5), 2);
  EXPECT_EQ(RoundPixel(3.5), 4);
  EXPECT_EQ(RoundPixel(-2.5), -2);
  EXPECT_EQ(RoundPixel(std::nan("")), 0);
  EXPECT_EQ(RoundPixel(1e300), INT_MAX);
  EXPECT_EQ(RoundPixel(-1e300), INT_MIN);
}

TEST(PenBrush, SetterRules) {
  TPen pen;
  int changes = 0;
  pen.OnChange = [&changes](TObject*) { ++changes; };
  pen.SetWidth(0);  // taken as 1: unchanged
  pen.SetColor(0);
  pen.SetStyle(static_cast<TPenStyle>(42));
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(pen.Style(), psSolid);
  pen.SetWidth(INT_MAX);
  EXPECT_EQ(changes, 1);
  EXPECT_LE(pen.Width(), 10000);
  TPen other;
  other.Assign(&pen);
  EXPECT_EQ(other.Width(), pen.Width());
}

}  // namespace
}  // namespace dendrokit
