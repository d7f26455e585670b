// The controls on a screen with device-pixel ratio 2 (this program sets QT_SCALE_FACTOR
// before Qt starts): logical geometry, pictures at the physical resolution.
#include <gtest/gtest.h>

#include <QApplication>
#include <string>
#include <functional>
#include <memory>

#include "chart/plotra.h"
#include "colsel/colsel.h"
#include "dendrogram/dendrogram.h"
#include "scale/scale.h"

namespace dendrokit {
namespace {

constexpr int kRatio = 2;

// Aligned ratio x ratio blocks inside the logical box that are not one colour: a picture
// drawn at 1x and blown up has none.
int SplitBlocks(const QImage& img, int left, int top, int width, int height) {
  int split = 0;
  for (int y = top; y < top + height; ++y)
    for (int x = left; x < left + width; ++x) {
      const QRgb first = img.pixel(x * kRatio, y * kRatio);
      bool uniform = true;
      for (int dy = 0; dy < kRatio; ++dy)
        for (int dx = 0; dx < kRatio; ++dx)
          uniform = uniform && img.pixel(x * kRatio + dx, y * kRatio + dy) == first;
      if (!uniform) ++split;
    }
  return split;
}

TEST(HiDpi, ControlsKeepLogicalGeometryAndShowPhysicalPictures) {
  const std::function<TCustomControl*()> makers[] = {
      [] { return new TScale; }, [] { return new TDendrogram; }, [] { return new TPlotra; }};
  for (const auto& make : makers) {
    std::unique_ptr<TCustomControl> c(make());
    SCOPED_TRACE(c->metaObject()->className());
    c->SetBounds(0, 0, 300, 200);
    c->show();
    EXPECT_EQ(c->PixelRatio(), kRatio);
    EXPECT_EQ(c->Width(), 300);
    EXPECT_EQ(c->ShownImage().size(), QSize(300 * kRatio, 200 * kRatio));
    EXPECT_EQ(c->Canvas().Width(), 300);
  }
}

// A scale's labels are drawn at the physical resolution, not at 1x and blown up; its base
// line, one logical pixel, is kRatio image rows.
TEST(HiDpi, ScaleLabelsAreSharpAndItsBaseLineIsRatioPixelsWide) {
  TScale s;
  s.SetFrameStyle(fsNone);
  s.SetBounds(0, 0, 400, 60);
  s.ForcePaint();
  const QImage& img = s.ShownImage();
  const int base = s.Height() - s.MarginBottom() - 1;
  EXPECT_GT(SplitBlocks(img, 0, 0, s.Width(), base), 20);

  const int x = 50;  // between ticks
  const QRgb line = img.pixel(x * kRatio, base * kRatio);
  int rows = 0;
  for (int y = 0; y < img.height(); ++y) rows += img.pixel(x * kRatio, y) == line ? 1 : 0;
  EXPECT_EQ(s.Canvas().Pixel(x, base), QColorToColor(QColor(line)));
  EXPECT_EQ(rows, kRatio);
}

// Canvas lines of every kind cover whole logical pixels; XOR drawn twice restores.
TEST(HiDpi, CanvasLinesAreRatioPixelsWide) {
  struct Case {
    const char* name;
    TPenStyle style;
    TPenMode mode;
    TColor color;  // XOR of white with white gives black
  };
  for (const Case& k : {Case{"solid", psSolid, pmCopy, 0x000000},
                        Case{"dot", psDot, pmCopy, 0x000000},
                        Case{"xor", psSolid, pmXor, 0xFFFFFF}}) {
    SCOPED_TRACE(k.name);
    TBitmap b(40, 20, kRatio);
    ASSERT_EQ(b.Image().size(), QSize(40 * kRatio, 20 * kRatio));
    TCanvas& c = b.Canvas();
    c.Pen().SetColor(k.color);
    c.Pen().SetStyle(k.style);
    c.Pen().SetMode(k.mode);
    c.MoveTo(2, 10);
    c.LineTo(38, 10);
    int rows = 0;
    for (int y = 0; y < b.Image().height(); ++y)
      rows += b.Image().pixel(2 * kRatio, y) == QColor(Qt::black).rgb() ? 1 : 0;
    EXPECT_EQ(rows, kRatio);
    EXPECT_EQ(SplitBlocks(b.Image(), 0, 0, 40, 20), 0);
    EXPECT_EQ(c.Pixel(38, 10), 0xFFFFFFu);  // the end point is not drawn
    if (k.mode == pmXor) {
      c.MoveTo(2, 10);
      c.LineTo(38, 10);
      EXPECT_EQ(SplitBlocks(b.Image(), 0, 0, 40, 20), 0);
      EXPECT_EQ(b.Image().pixel(2 * kRatio, 10 * kRatio), QColor(Qt::white).rgb());
    }
  }
}

// Box of the pixels in area that differ from bg, in image pixels.
QRect InkBox(const QImage& img, const QRect& area, QRgb bg) {
  QRect box;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (img.pixel(x, y) != bg) box |= QRect(x, y, 1, 1);
  return box;
}

// The chart area on the fast paths at the screen's ratio: a line item is kRatio image rows
// thick, and a text item's glyphs are exactly those the painter draws at this ratio (not a
// 1x picture blown up).
TEST(HiDpi, ChartAreaIsDrawnAtTheScreenRatio) {
  TPlotra p;
  p.SetBounds(0, 0, 400, 300);
  p.HandleNeeded();
  p.Scale1X().SetRangeHigh(100);
  p.Scale1X().SetRangeLow(0);
  p.Scale1Y().SetRangeHigh(100);
  p.Scale1Y().SetRangeLow(0);
  p.TextFont().SetName("DejaVu Sans");
  const std::string text = "12.5 Wqj";
  p.AddLine(1, 10, 20, 90, 20);
  p.AddTextAt(8, text, 50, 60);
  p.Repaint();
  const QImage& img = p.ShownImage();
  const QRgb bg = ColorToQColor(p.ChartColor()).rgb();

  const TPoint l = p.WorldToPixel(1, 50, 20);
  const QRgb ink = ColorToQColor(p.DataColor()).rgb();
  int rows = 0;
  for (int y = (l.Y - 5) * kRatio; y < (l.Y + 5) * kRatio; ++y)
    rows += img.pixel(l.X * kRatio + 1, y) == ink ? 1 : 0;
  EXPECT_EQ(rows, kRatio);

  const TPoint t = p.WorldToPixel(1, 50, 60);
  const QRect shown = InkBox(img, QRect((t.X - 70) * kRatio, (t.Y - 20) * kRatio, 140 * kRatio,
                                        40 * kRatio), bg);
  TBitmap ref(200, 60, kRatio);
  TCanvas& rc = ref.Canvas();
  rc.Brush().SetColor(p.ChartColor());
  rc.FillRect({0, 0, 200, 60});
  rc.Font().Assign(&p.TextFont());
  rc.Font().SetSize(8);
  rc.Font().SetColor(p.DataColor());
  rc.Brush().SetStyle(bsClear);
  rc.TextOut(20, 20, text);
  rc.Release();
  const QRect drawn = InkBox(ref.Image(), ref.Image().rect(), bg);
  ASSERT_FALSE(drawn.isEmpty());
  EXPECT_TRUE(img.copy(shown) == ref.Image().copy(drawn));
}

}  // namespace
}  // namespace dendrokit

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QT_SCALE_FACTOR", "2");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
