// The deciding half of the chart's painting and mouse handling: where captions, shaded
// bands, text blocks, labels, crosshairs, grid lines and arrow heads go, and what a pan,
// zoom or band gesture does to a range. Plain functions returning numbers, so that every
// rule can be checked without a display; the chart only draws what they return.
// Pixel rectangles are TRect with exclusive Right/Bottom, as the canvas takes them.
#pragma once

#include "gfxbase/export.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chart/coords.h"
#include "chart/jointlayers.h"
#include "gfxbase/enums.h"
#include "gfxbase/graphics_types.h"

namespace dendrokit {

// Drawing code never hands the canvas coordinates beyond this.
inline constexpr int kPlotraCoordLimit = 30000;

// Rounds half to even and limits to +-kPlotraCoordLimit; NaN gives 0.
DENDROKIT_EXPORT int ClampPlotraCoord(double v);
inline int ClampPlotraCoord(std::int64_t v) {
  return static_cast<int>(v < -kPlotraCoordLimit ? -kPlotraCoordLimit
                          : v > kPlotraCoordLimit ? kPlotraCoordLimit
                                                  : v);
}

// ---- Surround ------------------------------------------------------------------------

// The control's size, margins and shadow width: everything the chart area depends on.
struct DENDROKIT_EXPORT PlotraFrame {
  int W = 0, H = 0;
  int MarginLeft = 0, MarginRight = 0, MarginTop = 0, MarginBottom = 0;
  int Shadow = 0;
  // Chart area in control pixels, borders included.
  int Left() const { return MarginLeft; }
  int Top() const { return MarginTop; }
  int Right() const { return W - MarginRight - Shadow; }
  int Bottom() const { return H - MarginBottom - Shadow; }
  bool Contains(int x, int y) const {
    return x >= Left() && x <= Right() && y >= Top() && y <= Bottom();
  }
};

// The caption shortened to fit trim percent of the chart width: when trim is not 0 and the
// text is wider than a = round(areaWidth * trim / 100), its first round(length * a / width)
// - 2 characters (never fewer than 0) followed by "...". widthOf measures a text.
DENDROKIT_EXPORT std::string TrimCaption(const std::string& caption, int areaWidth, int trim,
                        const std::function<int(std::string_view)>& widthOf);

// Top-left corner of the caption text of width textWidth.
DENDROKIT_EXPORT TPoint CaptionOrigin(const PlotraFrame& f, TCaptionAnchorHoriz h, TCaptionAnchorVert v,
                     TAlignment alignment, int posX, int posY, int textWidth);

// The two shadow polygons (bottom, right) of ssFlying/ssBox, four points each.
struct DENDROKIT_EXPORT ShadowShape {
  TPoint Bottom[4];
  TPoint Right[4];
};
DENDROKIT_EXPORT ShadowShape ShadowPolygons(int W, int H, int s, TShadowStyle style);

// ---- Chart-area background --------------------------------------------------------------

// The rectangles that shade an area of a w x h image, given the pixels of AreaLeft,
// AreaTop, AreaRight and AreaBottom (already limited to +-30000).
DENDROKIT_EXPORT std::vector<TRect> ShadedAreaBands(TBGAreaMode mode, int left, int top, int right, int bottom,
                                   int w, int h);

// Top-left corners of the tiles of a pw x ph picture over a w x h image.
DENDROKIT_EXPORT std::vector<TPoint> TileOrigins(int w, int h, int pw, int ph);

// ---- Items ------------------------------------------------------------------------------

// A multi-line text block placed on a point.
struct DENDROKIT_EXPORT TextBlock {
  std::vector<TPoint> LineOrigins;  // top-left corner of each line
  int BlockWidth = 0;
  int LineHeight = 0;
  bool HasBackground = false;  // several lines on a solid background
  TRect Background;            // filled first when HasBackground
};

// Text items: the first line centred vertically on (x, y), the block aligned horizontally
// (alignment 0 left, 1 right, 2 centre), lines aligned inside the block. lineHeight is the
// text height + 1. Lines are the parts between line feeds.
DENDROKIT_EXPORT TextBlock PlaceTextItem(int x, int y, const std::vector<int>& lineWidths, int lineHeight,
                        int alignment, bool solidBackground);

// Splits at line feeds (a trailing line feed gives an empty last line).
DENDROKIT_EXPORT std::vector<std::string_view> SplitLines(std::string_view text);

// Text labels: the block's bottom edge at y for vaBottom, the box B and each line's origin.
struct DENDROKIT_EXPORT LabelBlock {
  std::vector<TPoint> LineOrigins;
  TRect Box;  // canvas rectangle (exclusive right/bottom) of B
  int X = 0, Y = 0;  // the aligned anchor: underline from (X, Y) to (X + BlockWidth, Y)
  int BlockWidth = 0;
};
DENDROKIT_EXPORT LabelBlock PlaceTextLabel(int x, int y, const std::vector<int>& lineWidths, int lineHeight,
                          TAlignment alignment, TVerticalAlignment valign);

// Canvas rectangle of a box whose corner pixels are (x1, y1) and (x2, y2) in any order:
// both corners are inside (the larger x and y grow by one).
DENDROKIT_EXPORT TRect InclusiveRect(int x1, int y1, int x2, int y2);

// The two far points of an arrow head at (x2, y2) for a shaft from (x1, y1): length size,
// half-angle 20 degrees. nullopt when size < 1 or the shaft has no direction.
struct DENDROKIT_EXPORT ArrowHead {
  TPoint A, B;
};
DENDROKIT_EXPORT std::optional<ArrowHead> ArrowHeadPoints(int x1, int y1, int x2, int y2, int size);

// ---- Grid -------------------------------------------------------------------------------

// Grid values of one axis over lo..hi (put in order first). step: GridDx/GridDy; ticks:
// the scale's recorded ticks, used when step is 0. Values stop before the first one >= hi
// and after 1000 values.
DENDROKIT_EXPORT std::vector<double> GridValues(double step, double lo, double hi, bool logarithmic,
                               const std::vector<double>& ticks);
inline constexpr int kMaxGridValues = 1000;

// ---- Crosshairs --------------------------------------------------------------------------

struct DENDROKIT_EXPORT Segment {
  TPoint A, B;  // LineTo from A to B (B itself not drawn)
};
struct DENDROKIT_EXPORT CrossHairShape {
  std::vector<Segment> Lines;      // in the crosshair's pen
  std::vector<TRect> WhiteBoxes;   // clear brush, white solid pen
  std::vector<TRect> BlackBoxes;   // clear brush, black solid pen
  std::vector<TRect> PenBoxes;     // clear brush, the crosshair's pen
};
DENDROKIT_EXPORT CrossHairShape CrossHairLayout(TCrossHMode mode, int px, int py, int lineWid,
                               const PlotraFrame& f);

// ---- Duplicate marks ---------------------------------------------------------------------

// Occupancy of mark types around drawn marks: a (w + 2d) x (h + 2d) grid of cells.
class DENDROKIT_EXPORT DupMarkGrid {
 public:
  void Reset(int w, int h, int d);
  // True when the mark may be drawn; then the square of cells within d is claimed for it.
  bool Claim(int x, int y, int markType);

 private:
  std::vector<std::int16_t> cells_;
  int w_ = 0, h_ = 0, d_ = 1;
};

// ---- Mouse gestures ----------------------------------------------------------------------

struct DENDROKIT_EXPORT Range {
  double Low = 0, High = 0;
  friend bool operator==(const Range&, const Range&) = default;
};

// A pan of an axis by the pointer's travel (to - from pixels) over an extent of n pixels:
// linear ranges move by the travelled share of their width (x against, y with the
// pointer), logarithmic ones by a factor. vertical selects the y rule.
DENDROKIT_EXPORT Range PanAxis(Range start, int from, int to, int extent, bool logarithmic, bool vertical);
// maPanGrid: the low end snapped down to a multiple of step (toward zero) plus offset, the
// width kept. step <= 0 leaves the range as it is.
DENDROKIT_EXPORT Range SnapToPanGrid(Range r, double step, double offset);
// maZoomDrag: the start range scaled by factor about its centre.
DENDROKIT_EXPORT Range ZoomAbout(Range start, double factor);
// maZoomWindPos / maSelectRect: the pair in the axis's own direction.
DENDROKIT_EXPORT Range OrderLikeAxis(double v1, double v2, Range axis);
// Isometric band: the pointer's y made to square the band.
DENDROKIT_EXPORT int SquareBandY(int x0, int y0, int x, int y);

struct DENDROKIT_EXPORT CrossHairPick {
  TCrossHMode Mode = chOff;
  int X = 0, Y = 0;  // pixel position
};
// 1-based crosshair nearest to the pointer (1 when none qualifies).
DENDROKIT_EXPORT int NearestCrossHair(const std::vector<CrossHairPick>& hairs, int x, int y);
// 1-based index of the nearest of the candidate points; candidates with ok false are skipped.
struct DENDROKIT_EXPORT LabelPick {
  bool Ok = false;
  int X = 0, Y = 0;
};
DENDROKIT_EXPORT int NearestLabel(const std::vector<LabelPick>& labels, int x, int y);

// Where a scale sits for hit tests: edge and ScalePos.
enum class ScaleEdge : std::uint8_t { Bottom, Top, Left, Right };
DENDROKIT_EXPORT bool ScaleHit(ScaleEdge edge, int scalePos, const PlotraFrame& f, int x, int y);
// The band along an axis in which dragging moves that scale (50 px beyond ScalePos).
DENDROKIT_EXPORT bool InScaleDragBand(ScaleEdge edge, int scalePos, const PlotraFrame& f, int x, int y);

}  // namespace dendrokit
