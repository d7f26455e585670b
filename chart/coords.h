// The chart's coordinate arithmetic as plain functions: transform coefficients of one axis,
// world-to-pixel and pixel-to-world mapping, and the standard layouts as a table. The chart
// calls these; tests check their numbers directly.
#pragma once

#include <array>
#include <cstdint>

#include "gfxbase/enums.h"
#include "gfxbase/graphics_types.h"

namespace dendrokit {

// Pixel = K * world + C (or K * ln(world) + C on a logarithmic axis), in control pixels.
struct TAxisTransform {
  long double K = 0.0L;
  long double C = 0.0L;
};

// One axis of the chart area: its extent in control pixels and the world range mapped on
// it. For x, Near = MarginLeft and Far = W - MarginRight - ShadowWidth; for y, Near is
// the bottom edge H - MarginBottom - ShadowWidth and Far = MarginTop. Size is the control
// width (x) or height (y).
struct TAxisSpan {
  int Size = 0;
  int Near = 0;
  int Far = 0;
  double Low = 0.0;
  double High = 1.0;
  bool Logarithmic = false;
  bool Vertical = false;
};

// Coefficients that map Low to Near and High to Far. An empty or negative extent gives
// K = 0, C = Size / 2 (everything on the centre line); so does a range of width 0. A logarithmic axis with an end <= 0
// has none: the result is empty (the chart raises its error).
bool CalcAxisTransform(const TAxisSpan& axis, TAxisTransform& out);

// World value to control pixel: limited to +-2147483647, rounded half to even; NaN gives
// 0. On a logarithmic axis values <= 0 go to lowEdge when Low <= High, else to highEdge
// (x: 0 and W; y: H and 0).
int WorldToPixelAxis(const TAxisTransform& t, bool logarithmic, double low, double high,
                     double value, int lowEdge, int highEdge);
// Control pixel to world value (exp of it on a logarithmic axis). Undefined (NaN or
// infinite) where K = 0.
double PixelToWorldAxis(const TAxisTransform& t, bool logarithmic, int pixel);

// One scale's settings in a standard layout. Anchor is a TScaleUnitAnchor ordinal;
// Location 0 = top/left, 1 = bottom/right (the ordinals of the location enums).
struct TLayoutScale {
  int CaptionX = 10;
  int CaptionY = 100;
  TAlignment Alignment = taCenter;
  std::uint8_t Anchor = 0;
  int ScalePos = 0;
  bool Visible = false;
  std::uint8_t Location = 0;
};

struct TLayoutSpec {
  int MarginLeft = 0, MarginRight = 0, MarginTop = 0, MarginBottom = 0;
  int CaptionX = 0, CaptionY = 0;
  TAlignment CaptionAlignment = taRightJustify;
  TCaptionAnchorHoriz AnchorHoriz = cahChartRight;
  TCaptionAnchorVert AnchorVert = cavChartTop;
  std::array<TLayoutScale, 4> X;  // layers 1..4
  std::array<TLayoutScale, 4> Y;
};

// The settings of a standard layout (the default layout for an unknown value).
TLayoutSpec StandardLayoutSpec(TplLayout layout);

}  // namespace dendrokit
