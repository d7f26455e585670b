// Value types of the drawing layer that settings objects and controls share. Qt-free so
// that settings can be described without a display.
#pragma once

#include "gfxbase/export.h"

#include <cstdint>

#include "gfxbase/enums.h"

namespace dendrokit {

// Pen styles in the toolkit's order (settings store the ordinal).
enum TPenStyle : std::uint8_t {
  psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame
};
// pmXor: drawing the same figure twice restores every pixel.
enum TPenMode : std::uint8_t { pmCopy, pmXor };
enum TBrushStyle : std::uint8_t { bsSolid, bsClear };
// Horizontal text alignment in the toolkit's order.
enum TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };

// Font style flags (a set).
enum TFontStyle : std::uint8_t {
  fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8
};
using TFontStyles = std::uint8_t;

enum TMouseButton : std::uint8_t { mbLeft, mbRight, mbMiddle };
// Shift state of a mouse or key event (a set).
enum TShiftFlag : std::uint8_t {
  ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64
};
using TShiftState = std::uint8_t;

// A pixel position and a pixel rectangle; Right and Bottom are exclusive (the rectangle
// covers Left..Right-1 x Top..Bottom-1).
struct DENDROKIT_EXPORT TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};
struct DENDROKIT_EXPORT TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  friend bool operator==(const TRect&, const TRect&) = default;
};

DENDROKIT_ENUM_NAMES(TPenStyle, "psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot",
                     "psClear", "psInsideFrame");
DENDROKIT_ENUM_NAMES(TPenMode, "pmCopy", "pmXor");
DENDROKIT_ENUM_NAMES(TBrushStyle, "bsSolid", "bsClear");
DENDROKIT_ENUM_NAMES(TAlignment, "taLeftJustify", "taRightJustify", "taCenter");

}  // namespace dendrokit
