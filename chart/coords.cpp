#include "chart/coords.h"

#include <cmath>

namespace dendrokit {

bool CalcAxisTransform(const TAxisSpan& axis, TAxisTransform& out) {
  const long double nearPx = axis.Near;
  const long double farPx = axis.Far;
  // y runs upwards from the bottom edge: its extent is Near - Far.
  const long double extent = axis.Vertical ? nearPx - farPx : farPx - nearPx;
  if (extent <= 0.0L) {
    out = {0.0L, static_cast<long double>(axis.Size) / 2.0L};
    return true;
  }
  long double lo = axis.Low;
  long double hi = axis.High;
  if (axis.Logarithmic) {
    if (!(lo > 0.0L) || !(hi > 0.0L)) return false;
    lo = std::log(lo);
    hi = std::log(hi);
  }
  const long double width = hi - lo;
  if (width == 0.0L || !std::isfinite(width)) {
    out = {0.0L, static_cast<long double>(axis.Size) / 2.0L};
    return true;
  }
  out.K = (farPx - nearPx) / width;
  out.C = (nearPx * hi - farPx * lo) / width;
  return true;
}

int WorldToPixelAxis(const TAxisTransform& t, bool logarithmic, double low, double high,
                     double value, int lowEdge, int highEdge) {
  long double p;
  if (logarithmic) {
    if (!(value > 0.0)) return high >= low ? lowEdge : highEdge;
    p = t.K * std::log(static_cast<long double>(value)) + t.C;
  } else {
    p = t.K * static_cast<long double>(value) + t.C;
  }
  constexpr long double kLimit = 2147483647.0L;
  if (std::isnan(p)) return 0;
  if (p > kLimit) p = kLimit;
  if (p < -kLimit) p = -kLimit;
  return static_cast<int>(std::nearbyint(p));
}

double PixelToWorldAxis(const TAxisTransform& t, bool logarithmic, int pixel) {
  const long double v = (static_cast<long double>(pixel) - t.C) / t.K;
  return static_cast<double>(logarithmic ? std::exp(v) : v);
}

TLayoutSpec StandardLayoutSpec(TplLayout layout) {
  TLayoutSpec s;
  // Hidden scales: caption (10, 100), x centred at the centre anchor, y right-aligned at the
  // top/left anchor, no offset, invisible, on the bottom (x) or left (y) edge.
  for (auto& x : s.X) x = {10, 100, taCenter, 1, 0, false, 1};
  for (auto& y : s.Y) y = {10, 100, taRightJustify, 0, 0, false, 0};
  const TLayoutScale x1 = {0, 22, taCenter, 1, 0, true, 1};
  const TLayoutScale yLeft = {0, -23, taRightJustify, 0, 0, true, 0};
  auto yLeftAt = [&](int pos) {
    TLayoutScale y = yLeft;
    y.ScalePos = pos;
    return y;
  };
  s.CaptionX = 0;
  s.CaptionY = -16;
  s.CaptionAlignment = taRightJustify;
  s.AnchorHoriz = cahChartRight;
  s.AnchorVert = cavChartTop;
  s.MarginRight = 20;
  s.MarginTop = 24;
  s.MarginBottom = 40;
  s.X[0] = x1;
  switch (layout) {
    default:
    case pll_X1Bottom_Y1Left:
      s.MarginLeft = 50;
      s.MarginTop = 20;
      s.Y[0] = {0, -16, taLeftJustify, 0, 0, true, 0};
      break;
    case pll_X1Bottom_Y4Left:
      s.Y[3] = yLeftAt(150);
      [[fallthrough]];
    case pll_X1Bottom_Y3Left:
      s.Y[2] = yLeftAt(100);
      [[fallthrough]];
    case pll_X1Bottom_Y2Left:
      s.Y[0] = yLeftAt(0);
      s.Y[1] = yLeftAt(50);
      s.MarginLeft = layout == pll_X1Bottom_Y2Left   ? 100
                     : layout == pll_X1Bottom_Y3Left ? 150
                                                     : 200;
      break;
    case pll_X1Bottom_Y2Both:
      s.MarginLeft = 50;
      s.MarginRight = 50;
      s.CaptionY = -20;
      s.CaptionAlignment = taCenter;
      s.AnchorHoriz = cahChartCenter;
      s.Y[0] = yLeftAt(0);
      s.Y[1] = {0, -23, taLeftJustify, 0, 0, true, 1};
      break;
    case pll_X2Bottom_Y2Left:
      s.MarginLeft = 100;
      s.MarginBottom = 70;
      s.X[0] = {-20, 7, taRightJustify, 0, 0, true, 1};
      s.X[1] = {-20, 7, taRightJustify, 0, 30, true, 1};
      s.Y[0] = yLeftAt(0);
      s.Y[1] = yLeftAt(50);
      break;
    case pll_X2Both_Y2Both:
      s.MarginLeft = 50;
      s.MarginRight = 50;
      s.MarginTop = 64;
      s.CaptionY = -60;
      s.CaptionAlignment = taCenter;
      s.AnchorHoriz = cahChartCenter;
      s.X[0] = {0, 20, taCenter, 1, 0, true, 1};
      s.X[1] = {0, -40, taCenter, 1, 0, true, 0};
      s.Y[0] = {0, -40, taRightJustify, 0, 0, true, 0};
      s.Y[1] = {0, -40, taLeftJustify, 0, 0, true, 1};
      s.Y[2].CaptionX = 0;
      s.Y[2].CaptionY = -23;
      s.Y[3].CaptionX = 0;
      s.Y[3].CaptionY = -23;
      break;
  }
  return s;
}

}  // namespace dendrokit
