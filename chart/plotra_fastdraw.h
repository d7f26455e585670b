// Fast drawing paths of the chart's item renderer. Each writes straight into the pixels of a
// 32-bit image and produces what the canvas would draw for the same call:
// - GlyphCache: short texts from per-glyph coverage masks rendered once per sub-pixel phase
//   (64 phases, which is the resolution of the font engine's glyph positions), so text
//   costs a few small blends instead of a text layout and a painter call; short texts are
//   kept laid out, and glyph rows are blended four or eight pixels at a time;
// - MarkStamps: each mark glyph is rasterised once through DrawMark per pen and brush and
//   afterwards stamped pixel by pixel;
// - FastLine: a solid 1-pixel line with the canvas's own pixel rule, without per-call
//   bookkeeping.
// Anything a path cannot reproduce exactly (kerned pairs, scripts that need shaping, rotated
// or decorated fonts, anti-aliased marks) is reported as not handled and the caller uses the
// canvas instead.
// On an image with a whole pixel ratio r the paths work as the canvas does there: coordinates
// are logical, a logical pixel of a line is an r x r block, and glyphs and marks are drawn at
// the image's own resolution.
#pragma once

#include "gfxbase/export.h"

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

// The pixels of a 32-bit image, taken once per rendering so that drawing many small things
// costs no per-call image bookkeeping. Empty for other formats and for fractional pixel
// ratios.
struct DENDROKIT_EXPORT Surface {
  std::uint32_t* bits = nullptr;
  std::ptrdiff_t stride = 0;  // in image pixels
  int w = 0, h = 0;           // logical size
  int ratio = 1;              // image pixels per logical pixel along each axis
  explicit operator bool() const { return bits != nullptr; }
  std::uint32_t* Row(std::int64_t y) const { return bits + y * stride; }  // image row
};
DENDROKIT_EXPORT Surface SurfaceOf(QImage& image);

class DENDROKIT_EXPORT GlyphCache {
 public:
  GlyphCache();
  ~GlyphCache();
  GlyphCache(const GlyphCache&) = delete;
  GlyphCache& operator=(const GlyphCache&) = delete;

  // Selects the face for the following calls (cheap when it is the current one); glyphs are
  // drawn on surfaces of the given pixel ratio.
  void SetFont(const QFont& font, int ratio = 1);
  // Whether the face is cached; without it Width and Draw decline every text.
  bool Ready() const { return face_ != nullptr; }
  // Text height of the face (the canvas's TextHeight).
  int Height() const;
  // Width as the canvas measures it, or -1 when the text needs the canvas.
  int Width(std::string_view utf8);
  // Writes the text with its top-left corner at (x, y) in colour (0x00BBGGRR); with
  // background != clNone the text box is filled first. False (nothing drawn) when the text
  // needs the canvas or the surface's ratio is not the face's.
  bool Draw(const Surface& image, int x, int y, std::string_view utf8, TColor color,
            TColor background = clNone);
  // How every cache blends glyphs: kFastest (the default) keeps short texts laid out and
  // blends 8 pixels at a time where the processor can, else 4; kFourPixels stays with 4;
  // kPerPixel lays each text out afresh and blends pixel by pixel, the plain reference.
  // Same pixels each way: for checks and benchmarks only.
  enum class BlendPath { kFastest, kFourPixels, kPerPixel };
  static void SetBlendPath(BlendPath path);

 private:
  struct Face;
  struct Run;
  Face* face_ = nullptr;
  std::unordered_map<std::string, std::unique_ptr<Face>> faces_;
  QFont lastFont_;
  int lastRatio_ = 1;
  std::vector<char16_t> units_;
  std::vector<int> pos64_;
  bool Layout(std::string_view utf8, int& width);
  const Run* RunOf(std::string_view utf8);
};

class DENDROKIT_EXPORT MarkStamps {
 public:
  // Draws mark type at (x, y) with the given pen colour, width and style and brush colour
  // and style, as DrawMark would. False when the mark cannot be stamped (character marks,
  // wide pens, anti-aliased pixels); the caller then uses DrawMark.
  bool Draw(const Surface& image, std::uint8_t type, int x, int y, TColor penColor, int penWidth,
            TPenStyle penStyle, TColor brushColor, bool brushSolid);
  void Clear() {
    stamps_.clear();
    last_ = nullptr;
  }

 private:
  struct Pixel {
    std::int8_t dx, dy;  // image pixels from the centre
    bool brush;  // set in the brush colour, else in the pen colour
  };
  struct Stamp {
    bool ok = false;
    std::vector<Pixel> pixels;
  };
  const Stamp& Get(std::uint8_t type, int penWidth, TPenStyle penStyle, bool brushSolid,
                   int ratio);
  std::unordered_map<std::uint32_t, Stamp> stamps_;
  // The last request, so that runs of equal marks skip the key and the lookup.
  struct Request {
    std::uint8_t type;
    int width;
    TPenStyle style;
    bool solid;
    int ratio;
    bool operator==(const Request&) const = default;
  };
  Request lastRequest_{};
  const Stamp* last_ = nullptr;
  TColor lastPen_ = 0, lastBrush_ = 0;
  bool colorsReady_ = false;
  std::uint32_t colors_[2] = {};
};

// The canvas's 1-pixel solid line from (x0, y0) towards (x1, y1), end point excluded.
DENDROKIT_EXPORT void FastLine(const Surface& image, int x0, int y0, int x1, int y1, TColor color);
// FastLine from each point to the next (n points). A dense series has runs of vertical
// segments in one column; such a run covers one interval of that column, written once.
DENDROKIT_EXPORT void FastPolyline(const Surface& image, const TPoint* points, std::size_t n,
                                   TColor color);

// Alpha-blends colour over one pixel with coverage a (0..255), as the raster engine does:
// red and blue in one multiply, green in another.
inline std::uint32_t BlendPixel(std::uint32_t dst, std::uint32_t src, unsigned a) {
  const unsigned ia = 255 - a;
  std::uint32_t rb = (src & 0xFF00FFu) * a + (dst & 0xFF00FFu) * ia;
  rb = ((rb + ((rb >> 8) & 0xFF00FFu) + 0x800080u) >> 8) & 0xFF00FFu;
  std::uint32_t g = ((src >> 8) & 0xFFu) * a + ((dst >> 8) & 0xFFu) * ia;
  g = (g + (g >> 8) + 0x80u) >> 8;
  return 0xFF000000u | rb | (g << 8);
}

}  // namespace dendrokit
