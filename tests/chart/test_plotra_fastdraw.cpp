#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include <QImage>

#include "chart/plotra_fastdraw.h"
#include "gfxbase/canvas.h"
#include "gfxbase/draw.h"

namespace dendrokit {
namespace {

// w x h logical pixels at the given pixel ratio.
QImage Blank(int w, int h, int ratio = 1) {
  QImage img(w * ratio, h * ratio, QImage::Format_RGB32);
  img.setDevicePixelRatio(ratio);
  img.fill(QColor(250, 240, 200));
  return img;
}

// Every path is checked on plain images and at a screen's pixel ratio, where a logical pixel
// is a block and glyphs and marks are drawn at the image's resolution.
constexpr int kRatios[] = {1, 2};

// Largest difference of any channel over the two images.
int MaxDiff(const QImage& a, const QImage& b) {
  int d = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      d = std::max({d, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                    std::abs(qBlue(p) - qBlue(q))});
    }
  return d;
}

// The fast paths must give the canvas's pixels: marks and lines exactly, text up to the
// rounding of the blend.
TEST(PlotraFastDraw, MarksMatchDrawMark) {
  MarkStamps stamps;
  for (const int ratio : kRatios) {
    SCOPED_TRACE(ratio);
    int stamped = 0;
    // One stamp per shape serves every colour pair, equal colours too.
    const TColor colours[][2] = {{0x0000C0, 0x00C000}, {0x3050F0, 0x3050F0}, {0xFFFFFF, 0}};
    for (int type = 0; type < 52; ++type)
      for (int width : {1, 2, 9})  // 9: wider than any stamp
        for (const auto& pb : colours) {
          QImage a = Blank(40, 40, ratio), b = Blank(40, 40, ratio);
          {
            TCanvas c(&a);
            c.Pen().SetColor(pb[0]);
            c.Pen().SetWidth(width);
            c.Brush().SetColor(pb[1]);
            DrawMark(c, std::uint8_t(type), 20, 3);  // near the edge: clipped
            c.Release();
          }
          if (!stamps.Draw(SurfaceOf(b), std::uint8_t(type), 20, 3, pb[0], width, psSolid, pb[1],
                           true))
            continue;  // left to DrawMark
          ++stamped;
          EXPECT_EQ(MaxDiff(a, b), 0) << "type " << type << " width " << width << " " << pb[0];
        }
    EXPECT_GE(stamped, 240);  // all but anti-aliased shapes
  }
  QImage img = Blank(40, 40);
  EXPECT_FALSE(stamps.Draw(SurfaceOf(img), 65, 20, 20, 0, 1, psSolid, 0, true));  // a character
}

TEST(PlotraFastDraw, LinesMatchCanvas) {
  const int ends[][4] = {{5, 5, 90, 40}, {90, 40, 5, 5},  {50, -20, 60, 120}, {-30, 10, 130, 11},
                         {7, 7, 7, 60},  {80, 3, 2, 3},   {10, 90, 90, 10},  {0, 0, 1, 1}};
  for (const int ratio : kRatios)
    for (const auto& e : ends) {
      QImage a = Blank(100, 100, ratio), b = Blank(100, 100, ratio);
      TCanvas c(&a);
      c.Pen().SetColor(0x102030);
      c.MoveTo(e[0], e[1]);
      c.LineTo(e[2], e[3]);
      c.Release();
      FastLine(SurfaceOf(b), e[0], e[1], e[2], e[3], 0x102030);
      EXPECT_EQ(MaxDiff(a, b), 0) << e[0] << "," << e[1] << " " << e[2] << "," << e[3] << " x"
                                  << ratio;
    }
}

// A dense series: many points per column (runs of vertical segments, zero-length ones,
// reversals) and some leaving the image, against one canvas LineTo per segment.
TEST(PlotraFastDraw, PolylineMatchesCanvasSegments) {
  std::vector<TPoint> pts{{-3, 50}};
  unsigned seed = 7;
  for (int i = 1; i < 3000; ++i) {
    seed = seed * 1103515245u + 12345u;
    const int step = static_cast<int>((seed >> 16) % 23) - 11;
    pts.push_back({i / 25 - 3, std::clamp(pts.back().Y + step, -20, 120)});
  }
  pts.push_back(pts.back());
  for (const int ratio : kRatios) {
    QImage a = Blank(100, 100, ratio), b = Blank(100, 100, ratio);
    TCanvas c(&a);
    c.Pen().SetColor(0x102030);
    for (std::size_t i = 1; i < pts.size(); ++i) {
      c.MoveTo(pts[i - 1].X, pts[i - 1].Y);
      c.LineTo(pts[i].X, pts[i].Y);
    }
    c.Release();
    FastPolyline(SurfaceOf(b), pts.data(), pts.size(), 0x102030);
    EXPECT_EQ(MaxDiff(a, b), 0) << ratio;
  }
}

TEST(PlotraFastDraw, TextMatchesCanvas) {
  GlyphCache cache;
  for (const int ratio : kRatios)
    for (TColor color : {TColor{0}, TColor{0x5A1EC8}})
      for (bool solid : {false, true}) {
        QImage a = Blank(300, 120, ratio), b = Blank(300, 120, ratio);
        TCanvas c(&a);
        c.Font().SetName("DejaVu Sans");
        c.Font().SetSize(8);
        c.Font().SetColor(color);
        c.Brush().SetColor(0xC0C0C0);
        c.Brush().SetStyle(solid ? bsSolid : bsClear);
        cache.SetFont(c.Font().QtFont(), ratio);
        EXPECT_EQ(cache.Height(), c.TextHeight("1"));
        for (int i = 0; i < 40; ++i) {
          const std::string s = std::to_string(i * 317) + (i % 3 ? ".5" : "");
          const int x = (i * 53) % 280 - 5, y = (i * 17) % 110 - 3;
          c.TextOut(x, y, s);
          EXPECT_EQ(cache.Width(s), c.TextWidth(s)) << s;
          ASSERT_TRUE(cache.Draw(SurfaceOf(b), x, y, s, color, solid ? 0xC0C0C0 : clNone)) << s;
        }
        c.Release();
        EXPECT_LE(MaxDiff(a, b), color == 0 ? 0 : 2) << std::hex << color << " " << solid << " x"
                                                     << ratio;
      }
  EXPECT_EQ(cache.Width("\xCE\xB1"), -1);  // outside Latin-1: the canvas draws it
  EXPECT_EQ(cache.Width("a\tb"), -1);
  QImage plain = Blank(40, 20);  // the face was last set for ratio 2: its masks do not fit
  EXPECT_FALSE(cache.Draw(SurfaceOf(plain), 0, 0, "1", 0));
}

// Kept runs and the wide blends (8 and 4 pixels) against laying out each text afresh and
// blending pixel by pixel: the same pixels to the bit, alpha included, over a background of
// random pixels (transparent ones too), for texts clipped at every edge, long texts and more
// distinct texts than the run table keeps.
TEST(PlotraFastDraw, TextBlendMatchesPlainBlend) {
  using Path = GlyphCache::BlendPath;
  const Path paths[] = {Path::kPerPixel, Path::kFastest, Path::kFourPixels};
  for (const int ratio : kRatios) {
    QImage noise(70 * ratio, 40 * ratio, QImage::Format_ARGB32);
    noise.setDevicePixelRatio(ratio);
    unsigned seed = 11;
    for (int y = 0; y < noise.height(); ++y)
      for (int x = 0; x < noise.width(); ++x) {
        seed = seed * 1103515245u + 12345u;
        noise.setPixel(x, y, seed ^ (seed >> 13));
      }
    QImage img[3] = {noise.copy(), noise.copy(), noise.copy()};
    GlyphCache cache;
    QFont font("DejaVu Sans");
    font.setPixelSize(11);
    cache.SetFont(font, ratio);
    for (int i = 0; i < 5000; ++i) {
      const std::string s = i % 7 == 0 ? "\xC3\xA9t\xC3\xA9 " + std::to_string(i) + " long"
                                       : std::to_string(i % 3000);
      const int x = (i * 37) % 90 - 15, y = (i * 13) % 60 - 12;
      const TColor color = (i % 5 == 0 ? 0 : 0x0F3A96 + i * 0x010203) & 0xFFFFFF;
      int width[3];
      for (int k = 0; k < 3; ++k) {
        GlyphCache::SetBlendPath(paths[k]);
        EXPECT_TRUE(cache.Draw(SurfaceOf(img[k]), x, y, s, color)) << s;
        width[k] = cache.Width(s);
      }
      GlyphCache::SetBlendPath(Path::kFastest);
      EXPECT_TRUE(width[0] == width[1] && width[0] == width[2]) << s;
      if (i % 250 == 0 || i == 4999) {
        ASSERT_EQ(img[0], img[1]) << "after " << s << " x" << ratio;
        ASSERT_EQ(img[0], img[2]) << "after " << s << " x" << ratio;
      }
    }
  }
}

}  // namespace
}  // namespace dendrokit
