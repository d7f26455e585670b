// The library's enumerations as Qt meta-enums, so that properties of these types show
// their values by name (setProperty("orientation", "dirUpward"), property editors, .ui
// files). The enumerations themselves stay in the Qt-free headers; moc reads the copies
// below, which only it sees, and the registration refers to the real types. A test checks
// that both lists agree with the name tables.
#pragma once

#include "gfxbase/export.h"

#include <QObject>

#include "gfxbase/enums.h"
#include "gfxbase/graphics_types.h"

namespace dendrokit {

Q_NAMESPACE_EXPORT(DENDROKIT_EXPORT)

#ifdef Q_MOC_RUN
enum TBkgFill { bfSimple, bfStretch, bfTile };
enum TColorScheme { csBWG, csSystem };
enum TFigType { ftNoFigs, ftNum, ftTime, ftDateTime, ftUserText };
enum TScaleType { sctXB, sctXT, sctYL, sctYR };
enum TVerticalAlignment { vaTop, vaCenter, vaBottom };
enum TYearLength { ylNone, ylYY, ylYYYY };
enum TDateOrder { doMMDDYY, doDDMMYY, doYYMMDD };
enum TDateForTime { dtNone, dtOnePerChart, dtOnePerDay, dtAllTicks };
enum TShadowStyle { ssFlying, ssBox };
enum TFrameStyle { fsNone, fsSimple, fsLowered, fsRaised, fsEmbossed, fsEngraved };
enum TDistMode { dmJaccard, dmManhattan, dmEuclid, dmEuclidSqr, dmDice, dmUserDef };
enum TTimeFormat { tfHHMMSS, tfHHhMM, tfAMPM };
enum TDirection { dirUpward, dirDownward, dirLeftward, dirRightward };
enum TCrossHMode { chOff, chHoriz, chVert, chBoth, chCrossBox, chBox };
enum TTxtLblAttachMode { tlamNone, tlamXOnly, tlamYOnly, tlamBoth };
enum TTxtLblMode { tlOff, tlsimple, tlBox, tlUnderline, tlShadow };
enum TMouseActMode { maNone, maPan, maPanHoriz, maPanVert, maPanGrid, maRubberBand, maZoom, maZoomWind, maZoomWindPos, maZoomDrag, maDragCrossH, maDragLabel, maRotate, maRotAndZoom, maRotXOnly, maRotZOnly, maSelectRect, maDrawMTrace, maZoomPanColors, maDragCut, maSelectSubtree };
enum TClusterMethod { cmSingleLink, cmCompleteLink, cmWard, cmAvgLink, cmFlexLink, cmUpgma };
enum TplLayout { pll_X1Bottom_Y1Left, pll_X1Bottom_Y2Left, pll_X1Bottom_Y3Left, pll_X1Bottom_Y4Left, pll_X1Bottom_Y2Both, pll_X2Bottom_Y2Left, pll_X2Both_Y2Both };
enum TCaptionAnchorHoriz { cahControlLeft, cahChartLeft, cahChartCenter, cahChartRight, cahControlRight };
enum TCaptionAnchorVert { cavControlTop, cavChartTop, cavChartCenter, cavChartBottom, cavControlBottom };
enum TTextBkg { tbClear, tbSolid };
enum GridStyleType { gsNone, gsPoints, gsVertLines, gsHorizLines, gsLines, gsVertDotLines, gsHorizDotLines, gsDotLines };
enum TScaleUnitAnchor { uaSclTopLft, uaSclCenter, uaSclBotRgt };
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
#endif

Q_ENUM_NS(TBkgFill)
Q_ENUM_NS(TColorScheme)
Q_ENUM_NS(TFigType)
Q_ENUM_NS(TScaleType)
Q_ENUM_NS(TVerticalAlignment)
Q_ENUM_NS(TYearLength)
Q_ENUM_NS(TDateOrder)
Q_ENUM_NS(TDateForTime)
Q_ENUM_NS(TShadowStyle)
Q_ENUM_NS(TFrameStyle)
Q_ENUM_NS(TDistMode)
Q_ENUM_NS(TTimeFormat)
Q_ENUM_NS(TDirection)
Q_ENUM_NS(TCrossHMode)
Q_ENUM_NS(TTxtLblAttachMode)
Q_ENUM_NS(TTxtLblMode)
Q_ENUM_NS(TMouseActMode)
Q_ENUM_NS(TClusterMethod)
Q_ENUM_NS(TplLayout)
Q_ENUM_NS(TCaptionAnchorHoriz)
Q_ENUM_NS(TCaptionAnchorVert)
Q_ENUM_NS(TTextBkg)
Q_ENUM_NS(GridStyleType)
Q_ENUM_NS(TScaleUnitAnchor)
Q_ENUM_NS(TPenStyle)
Q_ENUM_NS(TAlignment)

}  // namespace dendrokit
