#include "scale/scale_mapping.h"

#include <algorithm>
#include <cmath>

namespace dendrokit {

namespace {

constexpr double kMaxPixel = 2147483647.0;

bool AllFinite(std::initializer_list<double> values) {
  for (double v : values)
    if (!std::isfinite(v)) return false;
  return true;
}

// Clamps to the int range and rounds half to even; NaN gives 0.
int ClampRound(double p) {
  if (std::isnan(p)) return 0;
  if (p > kMaxPixel) p = kMaxPixel;
  if (p < -kMaxPixel) p = -kMaxPixel;
  return static_cast<int>(std::nearbyint(p));
}

}  // namespace

std::optional<TScaleMapping> CalcScaleMapping(const TScaleGeometry& g) {
  const double lo = g.RangeLow;
  const double hi = g.RangeHigh;
  if (!AllFinite({lo, hi}) || lo == hi) return std::nullopt;
  if (g.ScaleType > sctYR) return std::nullopt;

  // Sizes and margins are combined in double: int margins near INT_MAX must not overflow.
  const bool horiz = IsHorizontal(g.ScaleType);
  const double n = horiz ? double(g.Width) - g.MarginLeft - g.MarginRight - 1.0
                         : double(g.Height) - g.MarginTop - g.MarginBottom - 1.0;
  TScaleMapping m;
  if (n <= 0) {
    m.Factor = 0.0;
    m.Offset = (horiz ? g.Width : g.Height) / 2.0;
    return m;
  }
  double a = lo;
  double b = hi;
  if (g.Logarithmic) {
    if (lo <= 0 || hi <= 0) return std::nullopt;
    a = std::log(lo);
    b = std::log(hi);
  }
  if (horiz) {
    m.Factor = n / (b - a);
    m.Offset = g.MarginLeft - m.Factor * a;
  } else {
    // Values grow upwards: the high end sits at the top margin.
    m.Factor = n / (a - b);
    m.Offset = g.MarginTop - m.Factor * b;
  }
  if (!AllFinite({m.Factor, m.Offset})) return std::nullopt;
  return m;
}

int MapValueToPixel(const TScaleMapping& m, const TScaleGeometry& g, double v) {
  double p;
  if (!g.Logarithmic) {
    p = m.Factor * v + m.Offset;
  } else if (v > 1e-100) {
    p = m.Factor * std::log(v) + m.Offset;
  } else {
    p = g.RangeHigh >= g.RangeLow ? 0.0 : double(g.Width);
  }
  return ClampRound(p);
}

TZoomPanResult CalcZoomPan(int x, int y, int startX, int startY, int width, int height,
                           int marginLeft, int marginRight, int marginTop, int marginBottom,
                           double startLow, double startHigh, TMouseActMode mouseAction,
                           TScaleType scaleType, bool logarithmic, double curLow,
                           double curHigh) {
  // All pixel arithmetic in double so that no int expression can overflow.
  const double wx = double(width) - marginLeft - marginRight;
  const double wy = double(height) - marginTop - marginBottom;
  const double dx = double(x) - startX;
  const double dy = double(y) - startY;
  const double g = std::sqrt(startLow * startHigh);
  const double r = startHigh / g;
  const double k = startHigh - startLow;
  const bool horiz = IsHorizontal(scaleType);

  double lo = 0.0;
  double hi = 0.0;
  switch (mouseAction) {
    case maPan:
      if (horiz) {
        if (logarithmic) {
          const double f = std::exp(-dx * std::log(curHigh / curLow) / wx);
          lo = startLow * f;
          hi = startHigh * f;
        } else {
          const double s = dx * (curHigh - curLow) / wx;
          lo = startLow - s;
          hi = startHigh - s;
        }
      } else {
        if (logarithmic) {
          const double f = std::exp(dy * std::log(curHigh / curLow) / wy);
          lo = startLow * f;
          hi = startHigh * f;
        } else {
          const double s = dy * (curHigh - curLow) / wy;
          lo = startLow + s;
          hi = startHigh + s;
        }
      }
      break;
    case maZoom:
      if (horiz) {
        if (startX < marginLeft + wx / 2) {
          hi = startHigh;
          lo = logarithmic ? g / std::pow(r, 1 + dx / wx)
                           : startHigh - k * (double(width) - marginRight - startX) /
                                             (double(width) - marginRight - x);
        } else {
          lo = startLow;
          hi = logarithmic ? g * std::pow(r, 1 - dx / wx)
                           : startLow + k * (double(startX) - marginLeft) /
                                            (double(x) - marginLeft);
        }
      } else {
        if (startY <= marginTop + wy / 2) {
          lo = startLow;
          hi = logarithmic ? g * std::pow(r, 1 + dy / wy)
                           : startLow + k * (double(height) - marginBottom - startY) /
                                            (double(height) - marginBottom - y);
        } else {
          hi = startHigh;
          lo = logarithmic ? g / std::pow(r, 1 - dy / wy)
                           : startHigh - k * (double(startY) - marginTop) /
                                             (double(y) - marginTop);
        }
      }
      break;
    case maZoomDrag: {
      const double z = horiz ? 1 - dx / width : 1 + dy / height;
      if (logarithmic) {
        lo = g / std::pow(r, z);
        hi = g * std::pow(r, z);
      } else {
        const double c = (startLow + startHigh) / 2;
        lo = c - k * z / 2;
        hi = c + k * z / 2;
      }
      break;
    }
    default:
      return {};
  }
  if (!AllFinite({lo, hi})) return {};
  return {true, lo, hi};
}

TScaleMinSize ScaleMinimumSize(TScaleType scaleType, int marginLeft, int marginRight,
                               int marginTop, int marginBottom, int labelWidth,
                               int labelHeight, int labelLines) {
  const auto z = [](int v) { return std::max(v, 0); };
  const int along = 20;
  switch (scaleType) {
    case sctXB:
      return {z(marginLeft) + z(marginRight) + along,
              z(marginBottom) + 1 + 7 + z(labelLines) * z(labelHeight)};
    case sctXT:
      return {z(marginLeft) + z(marginRight) + along,
              z(marginTop) + 1 + 7 + z(labelLines) * z(labelHeight)};
    case sctYL:
      return {z(marginLeft) + 1 + 8 + z(labelWidth), z(marginTop) + z(marginBottom) + along};
    case sctYR:
      return {z(marginRight) + 1 + 8 + z(labelWidth), z(marginTop) + z(marginBottom) + along};
  }
  return {};
}

}  // namespace dendrokit
