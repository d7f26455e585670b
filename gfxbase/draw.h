// Stateless drawing routines shared by the controls: control frames, the chart's mark
// symbols, a closed rectangle outline and a TrueType check. GrayValue and ContrastColor
// live in stdcolors.h.
#pragma once

#include "gfxbase/export.h"

#include <cstdint>
#include <string>

#include "gfxbase/canvas.h"
#include "gfxbase/enums.h"
#include "gfxbase/stdcolors.h"
#include "gfxbase/types.h"

namespace dendrokit {

// Frame of the given style on the rectangle whose corner pixels are (left, top) and
// (right, bottom), in the canvas's current pen width and style. fsNone draws nothing and
// leaves the pen alone; fsSimple leaves the pen in simpleColor. The 3-D styles draw an
// outer and an inner ring and leave the pen in the inner lower-right colour.
DENDROKIT_EXPORT void DrawFrame(TCanvas& canvas, TFrameStyle frameStyle, int left, int top, int right,
               int bottom, TColor highColor, TColor lightColor, TColor shadowColor,
               TColor darkColor, TColor simpleColor);

// The four edges of (left, top)-(right, bottom), both corners included, in the current pen.
DENDROKIT_EXPORT void DrawRectOutline(TCanvas& canvas, int left, int top, int right, int bottom);

// One mark centred on (x, y) in the current pen. Types 0..51 are shapes (the brush colour
// is restored afterwards; types 1..6 and 18 are 7x7 pixel glyphs except on a printer,
// where they are drawn with lines). Types 52..255 write one character in the pen colour
// and leave the brush clear; 200..209 stand for the digits 0..9, every other type is its
// own character code (128..255 read as ISO 8859-1).
DENDROKIT_EXPORT void DrawMark(TCanvas& canvas, std::uint8_t markType, int x, int y);

// True when fontName is an installed family with scalable outlines. Raises EVELError when
// no installed family has that name (compared without regard to letter case).
DENDROKIT_EXPORT bool IsTrueTypeFont(const std::string& fontName);

}  // namespace dendrokit
