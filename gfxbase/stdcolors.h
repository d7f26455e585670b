// The standard colour list shared by the colour selector and the dendrogram, the
// conversion between colours and their stored text, and the grey value of a colour.
#pragma once

#include "gfxbase/export.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "gfxbase/types.h"

namespace dendrokit {

struct DENDROKIT_EXPORT TStdColor {
  TColor value;
  std::string_view ident;  // the name a colour selector shows and settings store
};

inline constexpr std::size_t StdColorCount = 47;

// Entries 1..47 of the list live at [0]..[46]: twenty plain colours, then the symbolic
// system colours with clDefault and clNone among them.
inline constexpr std::array<TStdColor, StdColorCount> StdColors{{
    {0x000000, "clBlack"},
    {0x000080, "clMaroon"},
    {0x008000, "clGreen"},
    {0x008080, "clOlive"},
    {0x800000, "clNavy"},
    {0x800080, "clPurple"},
    {0x808000, "clTeal"},
    {0x808080, "clGray"},
    {0xC0C0C0, "clSilver"},
    {0x0000FF, "clRed"},
    {0x00FF00, "clLime"},
    {0x00FFFF, "clYellow"},
    {0xFF0000, "clBlue"},
    {0xFF00FF, "clFuchsia"},
    {0xFFFF00, "clAqua"},
    {0xFFFFFF, "clWhite"},
    {0xC0DCC0, "clMoneyGreen"},
    {0xF0CAA6, "clSkyBlue"},
    {0xF0FBFF, "clCream"},
    {0xA4A0A0, "clMedGray"},
    {0xFF00000A, "clActiveBorder"},
    {0xFF000002, "clActiveCaption"},
    {0xFF00000C, "clAppWorkSpace"},
    {0xFF000001, "clBackground"},
    {0xFF00000F, "clBtnFace"},
    {0xFF000014, "clBtnHighlight"},
    {0xFF000010, "clBtnShadow"},
    {0xFF000012, "clBtnText"},
    {0xFF000009, "clCaptionText"},
    {0x20000000, "clDefault"},
    {0xFF000011, "clGrayText"},
    {0xFF00000D, "clHighlight"},
    {0xFF00000E, "clHighlightText"},
    {0xFF00000B, "clInactiveBorder"},
    {0xFF000003, "clInactiveCaption"},
    {0xFF000013, "clInactiveCaptionText"},
    {0xFF000018, "clInfoBk"},
    {0xFF000017, "clInfoText"},
    {0xFF000004, "clMenu"},
    {0xFF000007, "clMenuText"},
    {0x1FFFFFFF, "clNone"},
    {0xFF000000, "clScrollBar"},
    {0xFF000015, "cl3DDkShadow"},
    {0xFF000016, "cl3DLight"},
    {0xFF000005, "clWindow"},
    {0xFF000006, "clWindowFrame"},
    {0xFF000008, "clWindowText"},
}};

// Identifier of a colour of the list, else "$" and eight upper-case hex digits
// ("$00123456").
DENDROKIT_EXPORT std::string ColorToText(TColor color);

// Inverse of ColorToText. Accepts an identifier of the list (any letter case), "$" or "0x"
// followed by 1 to 8 hex digits, or a decimal number in the 32-bit range (negative numbers
// wrap, as a stored signed colour does). Surrounding blanks are ignored; anything else
// gives nullopt.
DENDROKIT_EXPORT std::optional<TColor> TextToColor(std::string_view text);

// The integer nearest to 0.3 R + 0.59 G + 0.11 B of the low three bytes (R lowest), a half
// going to the even neighbour. Computed in integers, so halves are exact.
DENDROKIT_EXPORT int GrayValue(TColor color);

// Black when GrayValue(color) >= 140, else white. A symbolic colour is not resolved first.
DENDROKIT_EXPORT TColor ContrastColor(TColor color);

}  // namespace dendrokit
