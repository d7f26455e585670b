#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>
#include <utility>

#include "chart/plotra_geometry.h"
#include "chart/plotra_picture.h"
#include "gfxbase/draw.h"
#include "tests/chart/plotra_test_util.h"

namespace dendrokit {
namespace {

using testing::TestChart;
constexpr TColor kRed = 0x0000FF, kWhite = 0xFFFFFF, kGreen = 0x00FF00;

// One check per family: the pixels the binding rules fix.
TEST(PlotraPaint, LinesBoxesAndRules) {
  TestChart c(270, 160);  // chart area 200 x 100 px
  c.Add(ckLine, 10, 10, 30, 10);
  c.Add(ckLine, 50, 50, 50, 50);        // zero length: one pixel
  c.Add(ckRectangle, 60, 20, 70, 30);   // both corners included
  c.Add(ckVertRule, 90, 0);
  c.Repaint();
  const TPoint a = c.At(10, 10), b = c.At(30, 10);
  EXPECT_EQ(c.PixelAt(a), kRed);
  EXPECT_EQ(c.PixelAt(b.X - 1, b.Y), kRed);
  EXPECT_EQ(c.PixelAt(b), kWhite);  // the end pixel of a line is not drawn
  EXPECT_EQ(c.Count(kRed, {c.At(50, 50).X - 2, c.At(50, 50).Y - 2, c.At(50, 50).X + 3,
                           c.At(50, 50).Y + 3}),
            1);
  const TPoint r1 = c.At(60, 30), r2 = c.At(70, 20);  // top-left and bottom-right
  EXPECT_EQ(c.PixelAt(r1), kRed);
  EXPECT_EQ(c.PixelAt(r2.X, c.At(70, 20).Y), kRed);
  EXPECT_EQ(c.PixelAt(c.At(70, 20).X, c.At(60, 20).Y), kRed);
  EXPECT_EQ(c.PixelAt(c.At(65, 25)), kGreen);  // filled
  const int rx = c.At(90, 0).X;
  const TRect area = c.ChartArea();
  EXPECT_EQ(c.Count(kRed, {rx, area.Top + 1, rx + 1, area.Bottom - 1}), area.Bottom - area.Top - 2);
}

// The batch of 200 points is an optimisation only: the pixels are those of one LineTo per
// segment, also across batch boundaries and pen changes.
TEST(PlotraPaint, PolylineBatchesDrawEverySegment) {
  TestChart c(470, 260);
  c.SetChartFrameColor(kWhite);
  c.Add(ckMoveTo, 0, 50);
  for (int i = 1; i <= 450; ++i)
    c.Add(ckDrawTo, i * 100.0 / 450, 50 + 40 * std::sin(i / 7.0), 0, 0, i > 300 ? 0x00FF00 : kRed);
  c.Repaint();
  QImage ref(c.ChartArea().Right - c.ChartArea().Left, c.ChartArea().Bottom - c.ChartArea().Top,
             QImage::Format_RGB32);
  ref.fill(Qt::white);
  {
    TCanvas rc(&ref);
    TPoint prev = c.At(0, 50);
    for (int i = 1; i <= 450; ++i) {
      const TPoint p = c.At(i * 100.0 / 450, 50 + 40 * std::sin(i / 7.0));
      rc.Pen().SetColor(i > 300 ? 0x00FF00 : kRed);
      rc.MoveTo(prev.X - c.MarginLeft(), prev.Y - c.MarginTop());
      rc.LineTo(p.X - c.MarginLeft(), p.Y - c.MarginTop());
      prev = p;
    }
  }
  int diff = 0;
  for (int y = 1; y < ref.height() - 1; ++y)
    for (int x = 1; x < ref.width() - 1; ++x)
      diff += ref.pixel(x, y) != c.ShownImage().pixel(x + c.MarginLeft(), y + c.MarginTop());
  EXPECT_EQ(diff, 0);
}

// Items are mapped in double where that cannot change the pixel: values that map onto and
// next to half pixels must still land where WorldToPixel puts them.
TEST(PlotraPaint, ItemsLandOnWorldToPixelAtHalfPixels) {
  TestChart c(333, 257);
  c.SetChartFrameColor(kWhite);
  const TAxisTransform tx = c.TransformX(1), ty = c.TransformY(1);
  std::vector<std::pair<double, double>> at;
  const long double offsets[] = {0.0L, 1e-12L, -1e-12L, 1e-17L};  // one row each
  const TRect area = c.ChartArea();
  for (int n = area.Left + 5; n < area.Right - 5; n += 7)
    for (int k = 0; k < 4; ++k) {
      const long double px = n + 0.5L + offsets[k];
      const long double py = area.Top + 10.5L + 40 * k + n % 11 - offsets[k];
      at.emplace_back(static_cast<double>((px - tx.C) / tx.K),
                      static_cast<double>((py - ty.C) / ty.K));
    }
  for (const auto& [x, y] : at) c.Add(ckLine, x, y, x, y);  // one pixel each
  c.Repaint();
  for (const auto& [x, y] : at) {
    const TPoint p = c.At(x, y);
    EXPECT_EQ(c.PixelAt(p), kRed) << x << " " << y;
    EXPECT_EQ(c.PixelAt(p.X - 1, p.Y), kWhite) << x << " " << y;
    EXPECT_EQ(c.PixelAt(p.X + 1, p.Y), kWhite) << x << " " << y;
  }
}

TEST(PlotraPaint, DuplicateMarksAreSkipped) {
  struct Case {
    bool avoid;
    int type2;
    bool twoDrawn;
  } const cases[] = {{false, 3, true}, {true, 3, false}, {true, 6, true}};
  for (const auto& k : cases) {
    TestChart c(270, 160);
    c.SetAvoidDuplicateMarks(k.avoid);
    c.Add(ckMark, 50, 50).Alignment = 3;
    c.Add(ckMark, 50.5, 50).Alignment = k.type2;  // 1 px to the right
    c.Repaint();
    const TPoint p = c.At(50, 50);
    // Type 3 is a 7 x 7 plus; a second mark one pixel over widens it by a column.
    const int n = c.Count(kRed, {p.X - 6, p.Y - 6, p.X + 7, p.Y + 7});
    TestChart one(270, 160);
    one.Add(ckMark, 50, 50).Alignment = 3;
    one.Repaint();
    const int single = one.Count(kRed, {p.X - 6, p.Y - 6, p.X + 7, p.Y + 7});
    EXPECT_EQ(n > single, k.twoDrawn) << k.avoid << " " << k.type2;
  }
}

// "a" centred over "bb": the ink of the first line is centred on that of the second.
TEST(PlotraPaint, MultiLineTextIsCentred) {
  TestChart c(270, 160);
  c.SetDataColor(0);
  c.AddTextAt(20, "i\nmmm", 50, 50);
  c.Repaint();
  const TPoint p = c.At(50, 50);
  auto inkSpan = [&](int top, int bottom) {
    int lo = 10000, hi = -1;
    for (int y = top; y < bottom; ++y)
      for (int x = p.X - 80; x < p.X + 80; ++x)
        if (c.PixelAt(x, y) != kWhite && c.PixelAt(x, y) != 0xC0C0C0 && x > c.MarginLeft()) {
          lo = std::min(lo, x);
          hi = std::max(hi, x);
        }
    return std::pair{lo, hi};
  };
  TFont f;
  f.SetName(c.TextFont().Name());
  f.SetSize(20);
  QImage img(10, 10, QImage::Format_RGB32);
  TCanvas m(&img);
  m.Font().Assign(&f);
  const int lh = m.TextHeight("i") + 1;
  const int top = p.Y - lh / 2;
  const auto [l1, h1] = inkSpan(top, top + lh);
  const auto [l2, h2] = inkSpan(top + lh, top + 2 * lh);
  ASSERT_LT(l1, h1);
  ASSERT_LT(l2, h2);
  EXPECT_NEAR((l1 + h1) / 2.0, (l2 + h2) / 2.0, 1.5);
  EXPECT_NEAR((l2 + h2) / 2.0, p.X, m.TextWidth("mmm") * 0.1 + 1);
}

TEST(PlotraPaint, CrossHairAndGridFollowTheirLayouts) {
  TestChart c(270, 160);
  c.SetGridStyle(gsVertLines);
  c.SetGridDx(25);
  c.SetGridColor(0x808080);
  c.CrossHair1().SetMode(chHoriz);
  c.CrossHair1().SetLineType(psSolid);
  c.CrossHair1().SetPosY(40);
  c.Repaint();
  const int py = c.At(0, 40).Y;
  const TRect area = c.ChartArea();
  // From one pixel inside the frame up to the pixel before the right frame line.
  EXPECT_EQ(c.Count(kRed, {area.Left, py, area.Right, py + 1}), area.Right - area.Left - 2);
  EXPECT_EQ(c.PixelAt(area.Left + 1, py), kRed);
  for (double x : {25.0, 50.0, 75.0}) EXPECT_EQ(c.PixelAt(c.At(x, 60)), 0x808080u) << x;
  EXPECT_EQ(c.PixelAt(c.At(37.5, 60)), kWhite);
}

// Edge colours by frame style, and the error bar's end ticks from -3 to +4 (the last pixel
// excluded, as for every line).
TEST(PlotraPaint, FramedBoxEdgesAndErrorBarTicks) {
  struct Case {
    TFrameStyle style;
    TColor left, right;
  } const cases[] = {{fsLowered, 0x111111, 0x222222}, {fsRaised, 0x222222, 0x111111},
                     {fsEngraved, 0x222222, 0x111111}};
  for (const auto& k : cases) {
    TestChart c(270, 160);
    TplChartItem& box = c.Add(ckFramedBox, 20, 20, 40, 40);
    box.FrameStyle = k.style;
    box.EdgeColor1 = 0x111111;
    box.EdgeColor2 = 0x222222;
    c.Repaint();
    const TPoint tl = c.At(20, 40), br = c.At(40, 20);
    EXPECT_EQ(c.PixelAt(tl.X, (tl.Y + br.Y) / 2), k.left) << int(k.style);
    EXPECT_EQ(c.PixelAt((tl.X + br.X) / 2, tl.Y), k.left) << int(k.style);
    EXPECT_EQ(c.PixelAt(br.X, (tl.Y + br.Y) / 2), k.right) << int(k.style);
    EXPECT_EQ(c.PixelAt(tl.X + 1, (tl.Y + br.Y) / 2),
              k.style == fsEngraved ? k.right : kGreen) << int(k.style);  // the inner ring
  }
  TestChart c(270, 160);
  c.Add(ckErrorBarMark, 50, 50, 10, 0).Alignment = 0;
  c.Repaint();
  const TPoint e = c.At(60, 50);
  for (int dy = -4; dy <= 5; ++dy)
    EXPECT_EQ(c.PixelAt(e.X, e.Y + dy) == kRed, dy >= -3 && dy <= 3) << dy;
}

// The render event draws a changed copy and leaves the stored item; ShowItems with
// AutoRedraw on redraws the chart area only, with it off the whole control.
TEST(PlotraPaint, ChangedCopiesAndPartialRepaint) {
  for (bool autoRedraw : {true, false}) {
    TestChart c(270, 160);
    c.SetAutoRedraw(autoRedraw);
    c.Repaint();
    c.OnBeforeRenderChartItem = [](TObject*, TplChartItem& item, int, bool) {
      item.Kind = ckMark;
      item.Alignment = 9;  // a 7 x 7 filled square
      item.Color = kRed;
    };
    c.Canvas().SetPixel(5, 5, kRed);  // outside the chart area
    c.AddTextAt(8, "x", 50, 50);
    c.ShowItems();
    const TPoint p = c.At(50, 50);
    EXPECT_EQ(c.Count(kRed, {p.X - 3, p.Y - 3, p.X + 4, p.Y + 4}), 49) << autoRedraw;
    EXPECT_EQ(c.PixelAt(5, 5) == kRed, autoRedraw);
    EXPECT_EQ(c.DataItems()[0].Kind, ckText);
  }
}

// A PNG of w x h pixels of the given bit depth and colour type with the given IDAT bytes.
QByteArray PngFile(std::uint32_t w, std::uint32_t h, char depth, char colourType,
                   const QByteArray& pixels) {
  auto crc = [](const QByteArray& d) {
    std::uint32_t c = 0xFFFFFFFF;
    for (unsigned char b : d) {
      c ^= b;
      for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
  };
  auto be32 = [](std::uint32_t v) {
    QByteArray b(4, 0);
    for (int i = 0; i < 4; ++i) b[i] = char((v >> (24 - 8 * i)) & 0xFF);
    return b;
  };
  auto chunk = [&](const char* type, const QByteArray& data) {
    const QByteArray body = QByteArray(type) + data;
    return be32(std::uint32_t(data.size())) + body + be32(crc(body));
  };
  QByteArray ihdr = be32(w) + be32(h) + depth + colourType + QByteArray(3, 0);
  return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr) + chunk("IDAT", pixels) +
         chunk("IEND", {});
}

// A PNG whose header declares 100,000 x 100,000 pixels.
QByteArray BombPng() { return PngFile(100000, 100000, 8, 2, {}); }

// The compressed pixels of `count` rows, each the filter byte 0 and then row.
QByteArray Rows(const QByteArray& row, int count) {
  QByteArray rows;
  rows.reserve((row.size() + 1) * count);
  for (int y = 0; y < count; ++y) rows += '\0' + row;
  return qCompress(rows, 1).mid(4);  // a zlib stream after qCompress's length
}

TEST(PlotraPaint, UnusableBackgroundPictureGivesChartColour) {
  QTemporaryDir dir;
  const QString bomb = dir.filePath("bomb.png"), text = dir.filePath("notes.png");
  QFile f(bomb);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(BombPng());
  f.close();
  QFile t(text);
  ASSERT_TRUE(t.open(QIODevice::WriteOnly));
  t.write("not a picture");
  t.close();
  // Regression: a FIFO blocked the GUI thread until a writer came; only regular files are read.
  const QString fifo = dir.filePath("pipe.png");
  ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
  for (const QString& name :
       {dir.filePath("missing.png"), text, bomb, fifo, QString("/dev/zero"), dir.path()}) {
    EXPECT_FALSE(LoadBackgroundPicture(name.toStdString())) << name.toStdString();
    TestChart c(270, 160);
    c.SetChartColor(0x336699);
    c.BackGroundImg().SetIncludePath(true);
    c.BackGroundImg().SetName(name.toStdString());
    c.Repaint();
    EXPECT_EQ(c.BackGroundImg().Name(), "") << name.toStdString();
    EXPECT_EQ(c.PixelAt(c.At(50, 50)), 0x336699u) << name.toStdString();
  }
}

// Regression: Qt's own allocation limit (128 MB) refused pictures within the pixel limit when
// they decode to 8 bytes a pixel; the pixel limit is the only one, checked on the header.
TEST(PlotraPaint, ThePixelLimitIsTheOnlyLimitOnPictures) {
  QTemporaryDir dir;
  const QString wide = dir.filePath("wide.png"), over = dir.filePath("over.png");
  constexpr int kSide = 4200;  // 16-bit RGBA: 141 MB decoded
  QByteArray cyan(kSide * 8, '\xFF');
  for (int x = 0; x < kSide; ++x) cyan[x * 8] = cyan[x * 8 + 1] = 0;
  QFile f(wide), g(over);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly) && g.open(QIODevice::WriteOnly));
  f.write(PngFile(kSide, kSide, 16, 6, Rows(cyan, kSide)));
  // One row above 32 Mi pixels of 8-bit grey: 34 MB decoded, which Qt would take.
  g.write(PngFile(8192, 4097, 8, 0, Rows(QByteArray(8192, '\x80'), 4097)));
  f.close();
  g.close();
  const std::optional<QImage> pic = LoadBackgroundPicture(wide.toStdString());
  ASSERT_TRUE(pic);
  EXPECT_EQ(pic->size(), QSize(kSide, kSide));
  EXPECT_EQ(pic->pixel(kSide - 1, kSide - 1) & 0xFFFFFFu, 0x00FFFFu);
  EXPECT_FALSE(LoadBackgroundPicture(over.toStdString()));
}

}  // namespace
}  // namespace dendrokit
