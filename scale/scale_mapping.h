// The pure arithmetic behind a scale control: the value-to-pixel mapping and the range a
// mouse drag pans or zooms to. No display is needed; the chart calls CalcZoomPan with its
// own coordinates too.
#pragma once

#include <optional>

#include "gfxbase/enums.h"

namespace dendrokit {

// pixel = Factor * v + Offset (linear) or Factor * ln(v) + Offset (logarithmic).
struct TScaleMapping {
  double Factor = 1.0;
  double Offset = 0.0;
};

// What the mapping depends on.
struct TScaleGeometry {
  TScaleType ScaleType = sctXB;
  bool Logarithmic = false;
  double RangeLow = 0.0;
  double RangeHigh = 100.0;
  int Width = 400;
  int Height = 400;
  int MarginLeft = 20;
  int MarginRight = 20;
  int MarginTop = 20;
  int MarginBottom = 20;
};

inline bool IsHorizontal(TScaleType t) { return t == sctXB || t == sctXT; }

// The mapping that puts RangeLow at the start and RangeHigh at the end of the axis
// (vertical axes grow upwards). nullopt means "keep the previous mapping": equal range
// ends, an unknown ScaleType, a logarithmic range with an end <= 0, or any range end or
// result that is not finite. No room along the axis gives factor 0 and the middle of the
// control as offset.
std::optional<TScaleMapping> CalcScaleMapping(const TScaleGeometry& g);

// Pixel of v along the axis. Logarithmic values <= 1e-100 go to 0, or to Width for a
// reversed range. The result is clamped to +-2147483647 and rounded half to even; NaN
// gives 0.
int MapValueToPixel(const TScaleMapping& m, const TScaleGeometry& g, double v);

struct TScaleMinSize {
  int Width = 0;
  int Height = 0;
};

// Smallest size at which a scale shows its labels whole. Across the axis: the margin on the
// base line's side, the base line, the 7-pixel gap (8 for vertical scales) and labelLines
// lines of labelHeight (horizontal scales; two lines for date labels) or labelWidth
// (vertical scales). Along the axis: both margins plus 20 pixels of axis. Negative inputs
// count as 0.
TScaleMinSize ScaleMinimumSize(TScaleType scaleType, int marginLeft, int marginRight,
                               int marginTop, int marginBottom, int labelWidth,
                               int labelHeight, int labelLines);

struct TZoomPanResult {
  bool Changed = false;
  double NewLow = 0.0;
  double NewHigh = 0.0;
};

// The range a drag from (startX, startY) to (x, y) gives: maPan moves the contents with
// the pointer, maZoom keeps the axis end opposite to the half where the drag started and
// lets the start value follow the pointer, maZoomDrag zooms about the middle of the start
// range. Every other action changes nothing. A drag whose arithmetic is undefined (no
// room along the axis, the pointer on the fixed end, a logarithmic range with an end
// <= 0) and so gives no two finite values changes nothing either.
TZoomPanResult CalcZoomPan(int x, int y, int startX, int startY, int width, int height,
                           int marginLeft, int marginRight, int marginTop, int marginBottom,
                           double startLow, double startHigh, TMouseActMode mouseAction,
                           TScaleType scaleType, bool logarithmic, double curLow,
                           double curHigh);

}  // namespace dendrokit
