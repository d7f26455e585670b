// Cursors: identifiers of the built-in shapes (negative), cursors registered under
// positive identifiers, and the program's resource cursors.
#pragma once

#include "gfxbase/export.h"

#include <optional>
#include <string_view>

#include <QCursor>

namespace dendrokit {

using TCursor = int;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNoDrop = -13;
// Split cursors: crHSplit moves a vertical divider left/right, crVSplit a horizontal one
// up/down.
inline constexpr TCursor crHSplit = -14;
inline constexpr TCursor crVSplit = -15;
inline constexpr TCursor crMultiDrag = -16;
inline constexpr TCursor crSQLWait = -17;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;

// One of the program's 32 x 32 two-colour cursors "CURHAND", "CURZOOMW", "CURZOOMD" or
// "CURZOOMP" with its hot spot; nullopt for any other name.
DENDROKIT_EXPORT std::optional<QCursor> LoadResourceCursor(std::string_view name);

// Registers a cursor under an identifier (replacing an earlier one).
DENDROKIT_EXPORT void RegisterCursor(TCursor id, const QCursor& cursor);
// The cursor of an identifier: a built-in shape, a registered cursor, else the arrow.
DENDROKIT_EXPORT QCursor CursorFromId(TCursor id);

// Application-wide cursor overriding every control's; crDefault removes the override.
DENDROKIT_EXPORT void SetScreenCursor(TCursor id);
DENDROKIT_EXPORT TCursor ScreenCursor();

}  // namespace dendrokit
