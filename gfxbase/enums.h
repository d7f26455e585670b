// Enumerations shared across the library, with the value names under which settings
// are stored. Each enumeration is one byte; ordinals are the declaration positions.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace dendrokit {

enum TBkgFill : std::uint8_t { bfSimple, bfStretch, bfTile };
enum TColorScheme : std::uint8_t { csBWG, csSystem };
enum TFigType : std::uint8_t { ftNoFigs, ftNum, ftTime, ftDateTime, ftUserText };
enum TScaleType : std::uint8_t { sctXB, sctXT, sctYL, sctYR };
enum TVerticalAlignment : std::uint8_t { vaTop, vaCenter, vaBottom };
enum TYearLength : std::uint8_t { ylNone, ylYY, ylYYYY };
enum TDateOrder : std::uint8_t { doMMDDYY, doDDMMYY, doYYMMDD };
enum TDateForTime : std::uint8_t { dtNone, dtOnePerChart, dtOnePerDay, dtAllTicks };
enum TShadowStyle : std::uint8_t { ssFlying, ssBox };
enum TFrameStyle : std::uint8_t { fsNone, fsSimple, fsLowered, fsRaised, fsEmbossed, fsEngraved };
enum TDistMode : std::uint8_t { dmJaccard, dmManhattan, dmEuclid, dmEuclidSqr, dmDice, dmUserDef };
enum TTimeFormat : std::uint8_t { tfHHMMSS, tfHHhMM, tfAMPM };
enum TDirection : std::uint8_t { dirUpward, dirDownward, dirLeftward, dirRightward };
enum TCrossHMode : std::uint8_t { chOff, chHoriz, chVert, chBoth, chCrossBox, chBox };
enum TTxtLblAttachMode : std::uint8_t { tlamNone, tlamXOnly, tlamYOnly, tlamBoth };
enum TTxtLblMode : std::uint8_t { tlOff, tlsimple, tlBox, tlUnderline, tlShadow };
enum TMouseActMode : std::uint8_t {
  maNone, maPan, maPanHoriz, maPanVert, maPanGrid, maRubberBand, maZoom, maZoomWind,
  maZoomWindPos, maZoomDrag, maDragCrossH, maDragLabel, maRotate, maRotAndZoom, maRotXOnly,
  maRotZOnly, maSelectRect, maDrawMTrace, maZoomPanColors,
  // Added later, at the end so that stored values keep their meaning: the dendrogram's
  // cut-line drag and its subtree selection.
  maDragCut, maSelectSubtree
};

// Name table of an enumeration: EnumTraits<E>::names[ordinal].
template <typename E> struct EnumTraits;

#define DENDROKIT_ENUM_NAMES(Type, ...)                                                   \
  template <> struct EnumTraits<Type> {                                                   \
    static constexpr auto names = std::to_array<std::string_view>({__VA_ARGS__});         \
  }

DENDROKIT_ENUM_NAMES(TBkgFill, "bfSimple", "bfStretch", "bfTile");
DENDROKIT_ENUM_NAMES(TColorScheme, "csBWG", "csSystem");
DENDROKIT_ENUM_NAMES(TFigType, "ftNoFigs", "ftNum", "ftTime", "ftDateTime", "ftUserText");
DENDROKIT_ENUM_NAMES(TScaleType, "sctXB", "sctXT", "sctYL", "sctYR");
DENDROKIT_ENUM_NAMES(TVerticalAlignment, "vaTop", "vaCenter", "vaBottom");
DENDROKIT_ENUM_NAMES(TYearLength, "ylNone", "ylYY", "ylYYYY");
DENDROKIT_ENUM_NAMES(TDateOrder, "doMMDDYY", "doDDMMYY", "doYYMMDD");
DENDROKIT_ENUM_NAMES(TDateForTime, "dtNone", "dtOnePerChart", "dtOnePerDay", "dtAllTicks");
DENDROKIT_ENUM_NAMES(TShadowStyle, "ssFlying", "ssBox");
DENDROKIT_ENUM_NAMES(TFrameStyle, "fsNone", "fsSimple", "fsLowered", "fsRaised", "fsEmbossed",
                     "fsEngraved");
DENDROKIT_ENUM_NAMES(TDistMode, "dmJaccard", "dmManhattan", "dmEuclid", "dmEuclidSqr", "dmDice",
                     "dmUserDef");
DENDROKIT_ENUM_NAMES(TTimeFormat, "tfHHMMSS", "tfHHhMM", "tfAMPM");
DENDROKIT_ENUM_NAMES(TDirection, "dirUpward", "dirDownward", "dirLeftward", "dirRightward");
DENDROKIT_ENUM_NAMES(TCrossHMode, "chOff", "chHoriz", "chVert", "chBoth", "chCrossBox", "chBox");
DENDROKIT_ENUM_NAMES(TTxtLblAttachMode, "tlamNone", "tlamXOnly", "tlamYOnly", "tlamBoth");
DENDROKIT_ENUM_NAMES(TTxtLblMode, "tlOff", "tlsimple", "tlBox", "tlUnderline", "tlShadow");
DENDROKIT_ENUM_NAMES(TMouseActMode, "maNone", "maPan", "maPanHoriz", "maPanVert", "maPanGrid",
                     "maRubberBand", "maZoom", "maZoomWind", "maZoomWindPos", "maZoomDrag",
                     "maDragCrossH", "maDragLabel", "maRotate", "maRotAndZoom", "maRotXOnly",
                     "maRotZOnly", "maSelectRect", "maDrawMTrace", "maZoomPanColors",
                     "maDragCut", "maSelectSubtree");

// Enumerations of the controls' settings, kept here beside the others so that the Qt
// meta-object layer (gfxbase/qenums.h) can register every one of them under its name.
// Linkage rules, ordinals 0 to 5. cmAvgLink weights both merged clusters equally (WPGMA),
// cmUpgma by their sizes; cmWard applies its update to the distances as the measure gives them.
enum TClusterMethod : std::uint8_t {
  cmSingleLink, cmCompleteLink, cmWard, cmAvgLink, cmFlexLink, cmUpgma
};
DENDROKIT_ENUM_NAMES(TClusterMethod, "cmSingleLink", "cmCompleteLink", "cmWard", "cmAvgLink",
                     "cmFlexLink", "cmUpgma");

// Standard layouts of margins, caption and the scales of layers 1..4.
enum TplLayout : std::uint8_t {
  pll_X1Bottom_Y1Left, pll_X1Bottom_Y2Left, pll_X1Bottom_Y3Left, pll_X1Bottom_Y4Left,
  pll_X1Bottom_Y2Both, pll_X2Bottom_Y2Left, pll_X2Both_Y2Both
};
DENDROKIT_ENUM_NAMES(TplLayout, "pll_X1Bottom_Y1Left", "pll_X1Bottom_Y2Left",
                     "pll_X1Bottom_Y3Left", "pll_X1Bottom_Y4Left", "pll_X1Bottom_Y2Both",
                     "pll_X2Bottom_Y2Left", "pll_X2Both_Y2Both");

enum TCaptionAnchorHoriz : std::uint8_t {
  cahControlLeft, cahChartLeft, cahChartCenter, cahChartRight, cahControlRight
};
enum TCaptionAnchorVert : std::uint8_t {
  cavControlTop, cavChartTop, cavChartCenter, cavChartBottom, cavControlBottom
};
DENDROKIT_ENUM_NAMES(TCaptionAnchorHoriz, "cahControlLeft", "cahChartLeft", "cahChartCenter",
                     "cahChartRight", "cahControlRight");
DENDROKIT_ENUM_NAMES(TCaptionAnchorVert, "cavControlTop", "cavChartTop", "cavChartCenter",
                     "cavChartBottom", "cavControlBottom");

// Background style of text items.
enum TTextBkg : std::uint8_t { tbClear, tbSolid };
DENDROKIT_ENUM_NAMES(TTextBkg, "tbClear", "tbSolid");

enum GridStyleType : std::uint8_t {
  gsNone, gsPoints, gsVertLines, gsHorizLines, gsLines, gsVertDotLines, gsHorizDotLines,
  gsDotLines
};
DENDROKIT_ENUM_NAMES(GridStyleType, "gsNone", "gsPoints", "gsVertLines", "gsHorizLines",
                     "gsLines", "gsVertDotLines", "gsHorizDotLines", "gsDotLines");

// Where the caption is anchored along the axis.
enum TScaleUnitAnchor : std::uint8_t { uaSclTopLft, uaSclCenter, uaSclBotRgt };
DENDROKIT_ENUM_NAMES(TScaleUnitAnchor, "uaSclTopLft", "uaSclCenter", "uaSclBotRgt");

// Number of values of an enumeration that has a name table.
template <typename E> constexpr std::size_t EnumCount() { return EnumTraits<E>::names.size(); }

// Stored name of a value; empty for an ordinal outside the enumeration.
template <typename E> constexpr std::string_view EnumToName(E value) {
  const auto ord = static_cast<std::size_t>(value);
  return ord < EnumTraits<E>::names.size() ? EnumTraits<E>::names[ord] : std::string_view{};
}

// Value stored under a name (exact, case-sensitive match); nullopt when no value has it.
template <typename E> constexpr std::optional<E> EnumFromName(std::string_view name) {
  for (std::size_t i = 0; i < EnumTraits<E>::names.size(); ++i)
    if (EnumTraits<E>::names[i] == name) return static_cast<E>(i);
  return std::nullopt;
}

}  // namespace dendrokit
