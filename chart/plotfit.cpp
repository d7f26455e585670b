#include "chart/plotfit.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "scale/ticks.h"

namespace dendrokit {

void TAxisExtent::Add(double v) {
  if (!std::isfinite(v) || (Logarithmic && !(v > 0.0))) return;
  if (Empty) {
    Min = Max = v;
    Empty = false;
    return;
  }
  Min = std::min(Min, v);
  Max = std::max(Max, v);
}

void AddItemExtent(const TplChartItem& it, TAxisExtent& x, TAxisExtent& y) {
  if (it.CoordMode != 0) return;
  auto point = [&](double px, double py) {
    x.Add(px);
    y.Add(py);
  };
  // Centre +- half-sizes; the centre too, which a logarithmic axis may keep alone.
  auto box = [&](double hx, double hy) {
    point(it.X, it.Y);
    point(it.X - std::fabs(hx), it.Y - std::fabs(hy));
    point(it.X + std::fabs(hx), it.Y + std::fabs(hy));
  };
  switch (it.Kind) {
    case ckMark:
    case ckDrawTo:
    case ckText:
    case ckOffsetText:
    case ckMoveTo:
    case ckFixedSizeBox:
    case ckDrawByOffset: point(it.X, it.Y); break;
    case ckLine:
    case ckRectangle:
    case ckFramedBox:
    case ck3DBar:
    case ckArrow:
    case ckDoubleArrow:
    case ckShiftedLine:
      point(it.X, it.Y);
      point(it.X2, it.Y2);
      break;
    case ckEllipse:
    case ckArc:
    case ckCross:
    case ckErrorBarMark: box(it.X2, it.Y2); break;
    case ckVertRule: x.Add(it.X); break;
    case ckHorizRule: y.Add(it.Y); break;
    default: break;  // pixel-relative moves and the kinds that draw nothing
  }
}

namespace {

constexpr double kMargin = 0.02;  // of the span, on each side

bool FitLinear(double lo, double hi, int minTicks, bool shortTicks, TAxisRange& out) {
  if (lo == hi) {
    const double half = lo == 0.0 ? 1.0 : std::fabs(lo) * 0.1;
    lo -= half;
    hi += half;
  }
  // Spans beyond the largest double would leave no finite mapping.
  constexpr double kHalfMax = std::numeric_limits<double>::max() / 2;
  if (!std::isfinite(hi - lo)) {
    out = {std::max(lo, -kHalfMax), std::min(hi, kHalfMax)};
    return true;
  }
  const double m = (hi - lo) * kMargin;
  const double a = lo - m, b = hi + m;
  const NiceTicks t = CalcNiceTicks(minTicks, b, a);
  double step = static_cast<double>(std::fabs(t.distance));
  if (shortTicks && t.subdivisions > 0) step /= t.subdivisions;
  out = {a, b};
  if (!(step > 0.0) || !std::isfinite(step)) return true;
  // Out to the ticks around a..b; the small allowance keeps a value that is a tick (up to
  // rounding) from adding a whole step.
  const double kl = std::floor(a / step + 1e-9), kh = std::ceil(b / step - 1e-9);
  const double nl = kl * step, nh = kh * step;
  // Far from zero the ticks may be coarser than the doubles near them: keep the margins.
  if (std::isfinite(nl) && std::isfinite(nh) && nl <= lo && nh >= hi && nh > nl) out = {nl, nh};
  return true;
}

bool FitLog(double lo, double hi, TAxisRange& out) {
  const double el = std::floor(std::log10(lo) + 1e-9), eh = std::ceil(std::log10(hi) - 1e-9);
  double nl = std::pow(10.0, el), nh = std::pow(10.0, eh);
  if (nl == nh) {
    nl /= 10.0;
    nh *= 10.0;
  }
  if (!(nl > 0.0) || nl > lo) nl = lo;
  if (!std::isfinite(nh) || nh < hi) nh = hi;
  if (!(nh > nl)) nh = std::min(nl * 10.0, std::numeric_limits<double>::max());
  out = {nl, nh};
  return true;
}

}  // namespace

bool FitAxisRange(const TAxisExtent& e, int minTicks, bool shortTicks, double minRange,
                  TAxisRange& out) {
  if (e.Empty) return false;
  if (e.Logarithmic)
    FitLog(e.Min, e.Max, out);
  else
    FitLinear(e.Min, e.Max, minTicks, shortTicks, out);
  if (minRange > 0.0 && out.High - out.Low < minRange) {
    if (e.Logarithmic) {
      out.High = out.Low + minRange;
    } else {
      const double c = out.Low / 2 + out.High / 2;
      out = {c - minRange / 2, c + minRange / 2};
    }
  }
  return true;
}

}  // namespace dendrokit
