// The number atlas against the canvas it stands in for: same widths, same pixels.
#include <gtest/gtest.h>

#include <QPainter>
#include <random>
#include <string>

#include "gfxbase/canvas.h"
#include "gfxbase/digitatlas.h"

namespace dendrokit {
namespace {

// Colours in stripes and a ramp, so that blends over anything but white show.
void Background(TCanvas& c, int w, int h) {
  for (int x = 0; x < w; x += 7) {
    c.Brush().SetColor(RGBColor(std::uint8_t(x * 5), std::uint8_t(255 - x * 3), std::uint8_t(x)));
    c.FillRect({x, 0, x + 7, h});
  }
}

struct Face {
  const char* name;
  int height;
  TFontStyles style;
  int orientation;
  int ratio = 1;
};

// Digit strings at random places, many overlapping, some across every edge, in several
// colours: once through TextOut, once through the atlas, on the same background.
TEST(DigitAtlas, SamePixelsAndWidthsAsTheCanvas) {
  const Face faces[] = {{"DejaVu Sans", 11, 0, 0},          {"DejaVu Sans", 11, 0, 900},
                        {"DejaVu Serif", 14, fsBold, 900},  {"DejaVu Sans", 9, fsItalic, 0},
                        {"DejaVu Sans Mono", 13, 0, 900},   {"DejaVu Serif", 17, 0, 0},
                        {"DejaVu Sans", 50, fsItalic, 900}, {"DejaVu Sans", 11, 0, 900, 2},
                        {"DejaVu Serif", 9, fsBold, 0, 2},  {"DejaVu Sans", 11, 0, 0, 3},
                        {"DejaVu Sans", 10, 0, 900, 3},     {"DejaVu Sans", 7, 0, 900, 4}};
  constexpr int W = 160, H = 120;
  const TColor colours[] = {0x000000, 0x2040E0, 0xF0F0F0, 0x10C080};
  for (const Face& f : faces) {
    SCOPED_TRACE(std::string(f.name) + " " + std::to_string(f.height) + " " +
                 std::to_string(f.orientation) + " ratio " + std::to_string(f.ratio));
    TBitmap want(W, H, f.ratio), got(W, H, f.ratio);
    TDigitAtlas atlas;
    for (TBitmap* b : {&want, &got}) {
      TCanvas& c = b->Canvas();
      Background(c, W, H);
      c.Font().SetName(f.name);
      c.Font().SetHeight(f.height);
      c.Font().SetStyle(f.style);
      c.Font().SetOrientation(f.orientation);
      c.Brush().SetStyle(bsClear);
    }
    ASSERT_TRUE(atlas.Begin(got.Canvas()));
    std::mt19937 rng(7);
    for (int i = 0; i < 300; ++i) {
      const std::string s = std::to_string(rng() % (i % 3 == 0 ? 100000000u : 10000u));
      const int x = int(rng() % (W + 60)) - 30, y = int(rng() % (H + 60)) - 30;
      const TColor col = colours[rng() % 4];
      ASSERT_EQ(atlas.Width(s), want.Canvas().TextWidth(s)) << s;
      want.Canvas().Font().SetColor(col);
      want.Canvas().TextOut(x, y, s);
      atlas.Draw(x, y, s, col);
    }
    long diff = 0;
    for (int y = 0; y < H * f.ratio; ++y)
      for (int x = 0; x < W * f.ratio; ++x)
        diff += want.Image().pixel(x, y) != got.Image().pixel(x, y);
    EXPECT_EQ(diff, 0);
  }
}

// Whatever the atlas does not reproduce is left to the canvas.
TEST(DigitAtlas, DeclinesWhatItCannotReproduce) {
  struct Case {
    const char* what;
    void (*set)(TBitmap&);
  };
  const Case cases[] = {
      {"plain", [](TBitmap&) {}},
      {"underlined", [](TBitmap& b) { b.Canvas().Font().SetStyle(fsUnderline); }},
      {"struck out", [](TBitmap& b) { b.Canvas().Font().SetStyle(fsStrikeOut); }},
      {"turned 45 degrees", [](TBitmap& b) { b.Canvas().Font().SetOrientation(450); }},
      {"turned 270 degrees", [](TBitmap& b) { b.Canvas().Font().SetOrientation(2700); }},
      {"64 pixels high", [](TBitmap& b) { b.Canvas().Font().SetHeight(64); }},
      {"solid brush", [](TBitmap& b) { b.Canvas().Brush().SetStyle(bsSolid); }},
      {"pixel ratio 5", [](TBitmap& b) { b.SetPixelRatio(5); }},
      {"64 image pixels high", [](TBitmap& b) {
         b.SetPixelRatio(2);
         b.Canvas().Font().SetHeight(32);
       }},
      {"painter moved", [](TBitmap& b) { b.Canvas().QtPainter()->translate(3, 0); }},
      {"painter clipped", [](TBitmap& b) { b.Canvas().QtPainter()->setClipRect(0, 0, 9, 9); }},
      {"switched off", [](TBitmap&) { TDigitAtlas::SetEnabled(false); }},
  };
  for (const Case& k : cases) {
    TBitmap b(40, 40);
    b.Canvas().Font().SetName("DejaVu Sans");
    b.Canvas().Brush().SetStyle(bsClear);
    k.set(b);
    TDigitAtlas atlas;
    EXPECT_EQ(atlas.Begin(b.Canvas()), k.what == std::string("plain")) << k.what;
    EXPECT_EQ(atlas.Ready(), k.what == std::string("plain")) << k.what;
    TDigitAtlas::SetEnabled(true);
  }
  EXPECT_TRUE(TDigitAtlas::IsDigits("0123456789"));
  for (const char* s : {"", "12a", "-1", "1.5", "123456789012345678901234567890123"})
    EXPECT_FALSE(TDigitAtlas::IsDigits(s)) << s;
}

}  // namespace
}  // namespace dendrokit
