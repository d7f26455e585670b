// Fast drawing paths of the chart's item renderer. Each writes straight into the pixels of a
// 32-bit image and produces what the canvas would draw for the same call:
// - GlyphCache: short texts from per-glyph coverage masks rendered once per sub-pixel phase
//   (64 phases, which is the resolution of the font engine's glyph positions), so text
//   costs a few small blends instead of a text layout and a painter call;
// - MarkStamps: each mark glyph is rasterised once through DrawMark per pen and brush and
//   afterwards stamped pixel by pixel;
// - FastLine: a solid 1-pixel line with the canvas's own pixel rule, without per-call
//   bookkeeping.
// Anything a path cannot reproduce exactly (kerned pairs, scripts that need shaping, rotated
// or decorated fonts, anti-aliased marks) is reported as not handled and the caller uses the
// canvas instead.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <QFont>
#include <QImage>

#include "gfxbase/graphics_types.h"
#include "gfxbase/types.h"

namespace dendrokit {

class TCanvas;

class GlyphCache {
 public:
  GlyphCache();
  ~GlyphCache();
  GlyphCache(const GlyphCache&) = delete;
  GlyphCache& operator=(const GlyphCache&) = delete;

  // Selects the face for the following calls (cheap when it is the current one).
  void SetFont(const QFont& font);
  // Text height of the face (the canvas's TextHeight).
  int Height() const;
  // Width as the canvas measures it, or -1 when the text needs the canvas.
  int Width(std::string_view utf8);
  // Writes the text with its top-left corner at (x, y) in colour (0x00BBGGRR); with
  // background != clNone the text box is filled first. False (nothing drawn) when the text
  // needs the canvas.
  bool Draw(QImage& image, int x, int y, std::string_view utf8, TColor color,
            TColor background = clNone);

 private:
  struct Face;
  Face* face_ = nullptr;
  std::unordered_map<std::string, std::unique_ptr<Face>> faces_;
  QFont lastFont_;
  std::vector<char16_t> units_;
  std::vector<int> pos64_;
  bool Layout(std::string_view utf8, int& width);
};

class MarkStamps {
 public:
  // Draws mark type at (x, y) with the pen colour/width/style and brush colour of canvas
  // state given, as DrawMark would. False when the mark cannot be stamped (character
  // marks, wide pens, anti-aliased pixels); the caller then uses DrawMark.
  bool Draw(QImage& image, std::uint8_t type, int x, int y, TColor penColor, int penWidth,
            TPenStyle penStyle, TColor brushColor, bool brushSolid);
  void Clear() { stamps_.clear(); }

 private:
  struct Pixel {
    std::int8_t dx, dy;
    std::uint32_t argb;
  };
  struct Stamp {
    bool ok = false;
    std::vector<Pixel> pixels;
  };
  const Stamp& Get(std::uint8_t type, TColor penColor, int penWidth, TPenStyle penStyle,
                   TColor brushColor, bool brushSolid);
  std::unordered_map<std::uint64_t, Stamp> stamps_;
  std::uint64_t lastKey_ = ~std::uint64_t{0};
  const Stamp* last_ = nullptr;
};

// The canvas's 1-pixel solid line from (x0, y0) towards (x1, y1), end point excluded.
void FastLine(QImage& image, int x0, int y0, int x1, int y1, TColor color);

// Alpha-blends colour over one pixel with coverage a (0..255), as the raster engine does.
inline std::uint32_t BlendPixel(std::uint32_t dst, std::uint32_t src, unsigned a) {
  const unsigned ia = 255 - a;
  auto ch = [&](int shift) {
    unsigned t = ((src >> shift) & 0xFF) * a + ((dst >> shift) & 0xFF) * ia;
    t = (t + (t >> 8) + 0x80) >> 8;
    return t << shift;
  };
  return 0xFF000000u | ch(16) | ch(8) | ch(0);
}

}  // namespace dendrokit
