// Fitting a layer's ranges to its items, as plain functions: which world values each item
// kind covers, and the nice range that shows them. The chart gathers the items and applies
// the ranges; tests check the numbers here.
#pragma once

#include "gfxbase/export.h"

#include "chart/chartitem.h"

namespace dendrokit {

// The values seen on one axis: their least and greatest. NaN and infinities are skipped,
// and so is every value <= 0 on a logarithmic axis (it has no place there).
struct DENDROKIT_EXPORT TAxisExtent {
  bool Logarithmic = false;
  bool Empty = true;
  double Min = 0.0;
  double Max = 0.0;
  void Add(double v);
};

// Adds the world values an item covers: points and both ends of lines and boxes, the
// centre plus and minus the half-sizes of ellipses, arcs, crosses and error bars, the
// anchor of texts, x of vertical and y of horizontal rules. Pixel-relative kinds (move-by,
// draw-by) and the kinds that draw nothing add nothing; so does an item whose CoordMode
// is not 0 (it is placed in pixels).
DENDROKIT_EXPORT void AddItemExtent(const TplChartItem& item, TAxisExtent& x, TAxisExtent& y);

struct DENDROKIT_EXPORT TAxisRange {
  double Low = 0.0;
  double High = 1.0;
};

// The range that shows the extent: linear axes are widened by 2 % of the span on each side
// and then out to the next tick of the scale's nice tick distance for minTicks intervals
// (the short-tick distance when shortTicks); a single value v gets v +- 10 % (-1..1 for
// 0) before that. Logarithmic axes go out to whole decades (one decade each way around a
// single decade value). The result is at least minRange wide. An empty extent gives
// nothing (false): the axis keeps its range.
DENDROKIT_EXPORT bool FitAxisRange(const TAxisExtent& extent, int minTicks, bool shortTicks,
                                   double minRange, TAxisRange& out);

}  // namespace dendrokit
