// Numbers drawn straight into the pixels of a canvas's image, exactly as TCanvas::TextOut
// draws them. A tree of 10,000 leaves has 10,000 labels "1".."10000": drawn through the
// painter each costs a glyph-run call, a glyph-cache lookup per digit and Qt's general
// blending; here each digit is a pre-rendered coverage mask (one per digit and sub-pixel
// phase, rendered once through the same painter call the canvas makes) blended with the
// raster engine's own integer arithmetic.
//
// Begin declines whenever the canvas would draw differently from what the masks reproduce
// (see Begin); the caller then draws through the canvas.
#pragma once

#include "gfxbase/export.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gfxbase/types.h"

namespace dendrokit {

class TCanvas;

class DENDROKIT_EXPORT TDigitAtlas {
 public:
  TDigitAtlas();
  ~TDigitAtlas();
  TDigitAtlas(const TDigitAtlas&) = delete;
  TDigitAtlas& operator=(const TDigitAtlas&) = delete;

  // Takes the canvas's image, font and text direction for the following calls. False, and
  // nothing is drawn until the next successful Begin, unless the canvas draws on a 32-bit
  // RGB image at a whole pixel ratio up to 4 through a painter without transform or clip,
  // with a clear brush, in a scalable font at most 60 image pixels high that is neither
  // underlined nor struck out and whose digit strings it draws as plain glyph runs, turned
  // by 0 or 90 degrees. The canvas's image must not be
  // replaced or resized while the atlas draws on it.
  bool Begin(TCanvas& canvas);
  bool Ready() const { return face_ != nullptr; }
  // Whether s is a string the atlas draws: 1 to 32 decimal digits.
  static bool IsDigits(std::string_view s);
  // Switches every atlas of the process off (Begin declines) and on again, so that a
  // benchmark or test can draw the same picture through the canvas and compare.
  static void SetEnabled(bool value);
  static bool Enabled();
  // Width of a digit string as TCanvas::TextWidth measures it.
  int Width(std::string_view digits) const;
  // Writes a digit string in colour with the text box's top-left corner at (x, y), turned
  // about that corner as the canvas turns it.
  void Draw(int x, int y, std::string_view digits, TColor color);

 private:
  struct Face;
  struct Mask;
  const Mask& Glyph(int digit, int phase);
  // The colour (as image pixel) times each coverage / 255.
  const std::uint32_t* Scaled(TColor color);

  std::vector<std::unique_ptr<Face>> faces_;  // latest first
  Face* face_ = nullptr;
  std::uint32_t* bits_ = nullptr;
  std::ptrdiff_t stride_ = 0;  // in pixels
  int w_ = 0, h_ = 0;
  struct ScaledColor {
    TColor color;
    std::array<std::uint32_t, 256> by;
  };
  std::vector<ScaledColor> scaled_;  // latest first
};

}  // namespace dendrokit
