#include "chart/plotra_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace dendrokit {

namespace {

int RoundInt(double v) {
  if (!(v == v)) return 0;
  v = std::nearbyint(v);
  if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  return static_cast<int>(v);
}

// Sum that cannot overflow an int: margins and positions are user settings.
int Sum(std::int64_t v) {
  return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(),
                                                   std::numeric_limits<int>::max()));
}

}  // namespace

int ClampPlotraCoord(double v) {
  if (!(v == v)) return 0;
  if (v < -kPlotraCoordLimit) return -kPlotraCoordLimit;
  if (v > kPlotraCoordLimit) return kPlotraCoordLimit;
  return static_cast<int>(std::nearbyint(v));
}

// ---- Surround ------------------------------------------------------------------------

std::string TrimCaption(const std::string& caption, int areaWidth, int trim,
                        const std::function<int(std::string_view)>& widthOf) {
  if (trim == 0 || caption.empty()) return caption;
  const int w = widthOf(caption);
  const int a = RoundInt(static_cast<double>(areaWidth) * 0.01 * trim);
  if (w <= a || w <= 0) return caption;
  const int keep = RoundInt(static_cast<double>(caption.size()) * a / w) - 2;
  const std::size_t n = static_cast<std::size_t>(std::clamp(keep, 0, int(caption.size())));
  return caption.substr(0, n) + "...";
}

TPoint CaptionOrigin(const PlotraFrame& f, TCaptionAnchorHoriz h, TCaptionAnchorVert v,
                     TAlignment alignment, int posX, int posY, int textWidth) {
  const std::int64_t W = f.W, H = f.H, s = f.Shadow;
  std::int64_t x = posX, y = posY;
  switch (h) {
    case cahControlLeft: break;
    case cahChartLeft: x += f.MarginLeft; break;
    case cahChartCenter: x += f.MarginLeft + (W - f.MarginLeft - f.MarginRight - s) / 2; break;
    case cahChartRight: x += W - f.MarginRight - s; break;
    case cahControlRight: x += W; break;
  }
  switch (v) {
    case cavControlTop: break;
    case cavChartTop: y += f.MarginTop; break;
    case cavChartCenter: y += f.MarginTop + (H - f.MarginTop - f.MarginBottom - s) / 2; break;
    case cavChartBottom: y += H - f.MarginBottom; break;
    case cavControlBottom: y += H; break;
  }
  if (alignment == taRightJustify) x -= textWidth;
  else if (alignment == taCenter) x -= textWidth / 2;
  return {Sum(x), Sum(y)};
}

ShadowShape ShadowPolygons(int W, int H, int s, TShadowStyle style) {
  const int f = style == ssFlying ? s - 1 : 0;
  ShadowShape r;
  r.Bottom[0] = {f, H - s};
  r.Bottom[1] = {s - 1, H - 1};
  r.Bottom[2] = {W - 1, H - 1};
  r.Bottom[3] = {W - s, H - s};
  r.Right[0] = {W - s, H - s};
  r.Right[1] = {W - 1, H - 1};
  r.Right[2] = {W - 1, s - 1};
  r.Right[3] = {W - s, f};
  return r;
}

// ---- Chart-area background --------------------------------------------------------------

std::vector<TRect> ShadedAreaBands(TBGAreaMode mode, int left, int top, int right, int bottom,
                                   int w, int h) {
  switch (mode) {
    case bamLeft: return {{0, 0, left, h}};
    case bamRight: return {{right, 0, w, h}};
    case bamTop: return {{0, 0, w, top}};
    case bamBottom: return {{0, bottom, w, h}};
    case bamVStripe: return {{left, 0, right, h}};
    case bamHStripe: return {{0, top, w, bottom}};
    case bamRect: return {{left, top, right, bottom}};
    case bamRectInv:
      return {{0, 0, w, top}, {0, bottom, w, h}, {0, 0, left, h}, {right, 0, w, h}};
    case bamVStripeInv: return {{0, 0, left, h}, {right, 0, w, h}};
    case bamHStripeInv: return {{0, 0, w, top}, {0, bottom, w, h}};
    case bamNone: break;
  }
  return {};
}

std::vector<TPoint> TileOrigins(int w, int h, int pw, int ph) {
  std::vector<TPoint> out;
  if (w <= 0 || h <= 0 || pw <= 0 || ph <= 0) return out;
  const int cols = (w - 1) / pw + 1, rows = (h - 1) / ph + 1;
  out.reserve(static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows));
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) out.push_back({c * pw, r * ph});
  return out;
}

// ---- Items ------------------------------------------------------------------------------

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t lf = text.find('\n', start);
    if (lf == std::string_view::npos) {
      lines.push_back(text.substr(start));
      return lines;
    }
    lines.push_back(text.substr(start, lf - start));
    start = lf + 1;
  }
}

TextBlock PlaceTextItem(int x, int y, const std::vector<int>& lineWidths, int lineHeight,
                        int alignment, bool solidBackground) {
  TextBlock b;
  b.LineHeight = lineHeight;
  for (int w : lineWidths) b.BlockWidth = std::max(b.BlockWidth, w);
  std::int64_t top = std::int64_t{y} - lineHeight / 2;
  std::int64_t left = x;
  if (alignment == 1) left -= b.BlockWidth;
  else if (alignment == 2) left -= b.BlockWidth / 2;
  const std::size_t n = lineWidths.size();
  if (n == 1) {
    b.LineOrigins.push_back({Sum(left), Sum(top)});
    return b;
  }
  if (solidBackground) {
    b.HasBackground = true;
    b.Background = {Sum(left - 4), Sum(top - 2), Sum(left + b.BlockWidth + 4),
                    Sum(top + std::int64_t(n) * lineHeight + 2)};
  }
  for (std::size_t k = 0; k < n; ++k) {
    std::int64_t dx = 0;
    if (alignment == 1) dx = b.BlockWidth - lineWidths[k];
    else if (alignment == 2) dx = (b.BlockWidth - lineWidths[k]) / 2;
    b.LineOrigins.push_back({Sum(left + dx), Sum(top + std::int64_t(k) * lineHeight)});
  }
  return b;
}

LabelBlock PlaceTextLabel(int x, int y, const std::vector<int>& lineWidths, int lineHeight,
                          TAlignment alignment, TVerticalAlignment valign) {
  LabelBlock b;
  for (int w : lineWidths) b.BlockWidth = std::max(b.BlockWidth, w);
  const std::int64_t n = static_cast<std::int64_t>(lineWidths.size());
  std::int64_t X = x, Y = y;
  if (valign == vaTop) Y += n * lineHeight;
  else if (valign == vaCenter) Y += n * lineHeight / 2;
  if (alignment == taRightJustify) X -= b.BlockWidth;
  else if (alignment == taCenter) X -= b.BlockWidth / 2;
  b.X = Sum(X);
  b.Y = Sum(Y);
  // B as the canvas takes it: right and bottom exclusive, like every canvas rectangle.
  b.Box = {Sum(X - 4), Sum(Y - n * lineHeight - 2), Sum(X + b.BlockWidth + 4), Sum(Y + 2)};
  for (std::int64_t k = 0; k < n; ++k) {
    const int lw = lineWidths[static_cast<std::size_t>(k)];
    std::int64_t dx = 0;
    if (alignment == taRightJustify) dx = b.BlockWidth - lw;
    else if (alignment == taCenter) dx = (b.BlockWidth - lw) / 2;
    b.LineOrigins.push_back({Sum(X + dx), Sum(Y - std::int64_t(lineHeight) * (n - k))});
  }
  return b;
}

TRect InclusiveRect(int x1, int y1, int x2, int y2) {
  return {std::min(x1, x2), std::min(y1, y2), Sum(std::int64_t{std::max(x1, x2)} + 1),
          Sum(std::int64_t{std::max(y1, y2)} + 1)};
}

std::optional<ArrowHead> ArrowHeadPoints(int x1, int y1, int x2, int y2, int size) {
  if (size < 1 || (x1 == x2 && y1 == y2)) return std::nullopt;
  constexpr double kHalfAngle = 0.3490658503988659;  // 20 degrees
  const double back = std::atan2(double(y1) - y2, double(x1) - x2);
  auto at = [&](double a) {
    return TPoint{ClampPlotraCoord(x2 + size * std::cos(a)),
                  ClampPlotraCoord(y2 + size * std::sin(a))};
  };
  return ArrowHead{at(back - kHalfAngle), at(back + kHalfAngle)};
}

// ---- Grid -------------------------------------------------------------------------------

namespace {

// Decade exponent and mantissa of a positive value, the mantissa snapped to an integer
// when it is one within rounding (10^k * m computed in floating point drifts).
void Decompose(double v, int& k, double& m) {
  k = static_cast<int>(std::floor(std::log10(v)));
  m = v / std::pow(10.0, k);
  if (std::fabs(m - std::nearbyint(m)) < 1e-9) m = std::nearbyint(m);
  if (m >= 10) {
    m /= 10;
    ++k;
  }
}

}  // namespace

std::vector<double> GridValues(double g, double lo, double hi, bool logarithmic,
                               const std::vector<double>& ticks) {
  std::vector<double> out;
  if (lo > hi) std::swap(lo, hi);
  if (!std::isfinite(lo) || !std::isfinite(hi) || !std::isfinite(g)) return out;
  const bool stepwise = g > 0 || (g != 0 && !logarithmic);
  if (g == 0) {
    std::vector<double> t = ticks;
    std::sort(t.begin(), t.end());
    t.erase(std::unique(t.begin(), t.end()), t.end());
    for (double v : t) {
      if (!(v < hi) || out.size() >= std::size_t(kMaxGridValues)) break;
      out.push_back(v);
    }
    if (t.empty()) out.push_back(lo);  // the lower range end, then the upper one (>= hi)
    return out;
  }
  if (logarithmic && !stepwise && !(lo > 0)) return out;
  double v;
  if (stepwise) {
    v = std::ceil(lo / g) * g;
  } else if (g == -1) {
    v = std::pow(10.0, std::ceil(std::log10(lo)));
  } else if (g == -2 || g == -3) {
    const int k = static_cast<int>(std::floor(std::log10(lo)));
    const double m = std::nearbyint(std::pow(10.0, std::log10(lo) - k));
    if (g == -3) v = m * std::pow(10.0, k);
    else if (m <= 2) v = 2 * std::pow(10.0, k);
    else if (m <= 5) v = 5 * std::pow(10.0, k);
    else v = std::pow(10.0, k + 1);
  } else {
    v = lo;
  }
  while (std::isfinite(v) && v < hi && out.size() < std::size_t(kMaxGridValues)) {
    out.push_back(v);
    double next;
    if (stepwise) {
      next = v + std::fabs(g);
    } else if (g == -1) {
      next = v * 10;
    } else {
      int k;
      double m;
      Decompose(v, k, m);
      const double p = std::pow(10.0, k);
      if (g == -2) next = (m < 2 ? 2 : m < 5 ? 5 : 10) * p;
      else next = (std::floor(m) + 1) * p;
    }
    if (!(next > v)) break;  // no progress left in the precision
    v = next;
  }
  return out;
}

// ---- Crosshairs --------------------------------------------------------------------------

CrossHairShape CrossHairLayout(TCrossHMode mode, int px, int py, int lineWid,
                               const PlotraFrame& f) {
  CrossHairShape r;
  const int hw = lineWid / 2;
  const std::int64_t x0 = f.Left(), x1 = f.Right(), y0 = f.Top(), y1 = f.Bottom();
  if ((mode == chHoriz || mode == chBoth) && y0 + hw < py && py < y1 - hw)
    r.Lines.push_back({{Sum(x0 + hw + 1), py}, {Sum(x1 - hw), py}});
  if ((mode == chVert || mode == chBoth) && x0 + hw < px && px < x1 - hw)
    r.Lines.push_back({{px, Sum(y0 + hw + 1)}, {px, Sum(y1 - hw)}});
  const bool inside = x0 + hw < px && px < x1 - hw && y0 + hw < py && py < y1 - hw;
  if (mode == chCrossBox && inside) {
    r.Lines.push_back({{px - 13, py}, {px + 14, py}});
    r.Lines.push_back({{px, py - 13}, {px, py + 14}});
    r.WhiteBoxes.push_back({px - 3, py - 3, px + 4, py + 4});
    r.BlackBoxes.push_back({px - 2, py - 2, px + 3, py + 3});
  } else if (mode == chBox && inside) {
    r.PenBoxes.push_back({px - 4, py - 4, px + 5, py + 5});
  }
  return r;
}

// ---- Duplicate marks ---------------------------------------------------------------------

void DupMarkGrid::Reset(int w, int h, int d) {
  w_ = std::max(w, 0) + 2 * d;
  h_ = std::max(h, 0) + 2 * d;
  d_ = d;
  cells_.assign(static_cast<std::size_t>(w_) * static_cast<std::size_t>(h_), -1);
}

bool DupMarkGrid::Claim(int x, int y, int markType) {
  const std::int64_t cx = std::int64_t{x} + d_, cy = std::int64_t{y} + d_;
  if (cx < 0 || cy < 0 || cx >= w_ || cy >= h_) return true;
  if (cells_[static_cast<std::size_t>(cy * w_ + cx)] == markType) return false;
  for (std::int64_t yy = std::max<std::int64_t>(cy - d_, 0);
       yy <= std::min<std::int64_t>(cy + d_, h_ - 1); ++yy)
    for (std::int64_t xx = std::max<std::int64_t>(cx - d_, 0);
         xx <= std::min<std::int64_t>(cx + d_, w_ - 1); ++xx)
      cells_[static_cast<std::size_t>(yy * w_ + xx)] = static_cast<std::int16_t>(markType);
  return true;
}

// ---- Mouse gestures ----------------------------------------------------------------------

Range PanAxis(Range s, int from, int to, int extent, bool logarithmic, bool vertical) {
  if (extent <= 0) return s;
  const double travel = static_cast<double>(to) - from;
  if (logarithmic) {
    if (!(s.Low > 0) || !(s.High > 0)) return s;
    const double f = std::exp(std::log(s.High / s.Low) * (vertical ? travel : -travel) / extent);
    return {s.Low * f, s.High * f};
  }
  const double d = (s.High - s.Low) * travel / extent;
  return vertical ? Range{s.Low + d, s.High + d} : Range{s.Low - d, s.High - d};
}

Range SnapToPanGrid(Range r, double step, double offset) {
  if (!(step > 0)) return r;
  const double low = std::trunc(r.Low / step) * step + offset;
  return {low, r.High - (r.Low - low)};
}

Range ZoomAbout(Range s, double factor) {
  const double c = (s.High + s.Low) / 2, half = (s.High - s.Low) * factor / 2;
  return {c - half, c + half};
}

Range OrderLikeAxis(double v1, double v2, Range axis) {
  const bool ascending = axis.Low < axis.High;
  if ((ascending && v2 < v1) || (!ascending && v2 > v1)) std::swap(v1, v2);
  return {v1, v2};
}

int SquareBandY(int x0, int y0, int x, int y) {
  const std::int64_t dx = std::int64_t{x} - x0, dy = std::int64_t{y} - y0;
  return Sum(dy * dx >= 1 ? y0 + dx : y0 - dx);
}

int NearestCrossHair(const std::vector<CrossHairPick>& hairs, int x, int y) {
  int best = 1;
  std::int64_t bestDist = std::numeric_limits<std::int64_t>::max();
  for (std::size_t i = 0; i < hairs.size(); ++i) {
    const CrossHairPick& c = hairs[i];
    if (c.Mode == chOff) continue;
    const std::int64_t dx = std::int64_t{x} - c.X, dy = std::int64_t{y} - c.Y;
    std::int64_t d;
    switch (c.Mode) {
      case chVert: d = dx * dx; break;
      case chHoriz: d = dy * dy; break;
      default: d = dx * dx + dy * dy; break;  // a line each way, or a box
    }
    if (d < bestDist) {
      bestDist = d;
      best = static_cast<int>(i) + 1;
    }
  }
  return best;
}

int NearestLabel(const std::vector<LabelPick>& labels, int x, int y) {
  int best = 1;
  std::int64_t bestDist = std::numeric_limits<std::int64_t>::max();
  for (std::size_t i = 0; i < labels.size(); ++i) {
    if (!labels[i].Ok) continue;
    const std::int64_t dx = std::int64_t{x} - labels[i].X, dy = std::int64_t{y} - labels[i].Y;
    if (dx * dx + dy * dy < bestDist) {
      bestDist = dx * dx + dy * dy;
      best = static_cast<int>(i) + 1;
    }
  }
  return best;
}

bool ScaleHit(ScaleEdge edge, int scalePos, const PlotraFrame& f, int x, int y) {
  const std::int64_t W = f.W, H = f.H, X = x, Y = y, p = scalePos;
  const bool inY = f.MarginTop < Y && Y < H - f.MarginBottom;
  const bool inX = f.MarginLeft < X && X < W - f.MarginRight;
  switch (edge) {
    case ScaleEdge::Right:
      return inY && W + p - f.MarginRight < X && X < W + p - f.MarginRight + 50;
    case ScaleEdge::Left:
      return inY && f.MarginLeft - p - 50 < X && X < f.MarginLeft - p;
    case ScaleEdge::Bottom:
      return inX && H + p - f.MarginBottom < Y && Y < H + p - f.MarginBottom + 40;
    case ScaleEdge::Top:
      return inX && f.MarginTop - p - 40 < Y && Y < f.MarginTop - p;
  }
  return false;
}

bool InScaleDragBand(ScaleEdge edge, int scalePos, const PlotraFrame& f, int x, int y) {
  const std::int64_t W = f.W, H = f.H, X = x, Y = y, p = scalePos;
  switch (edge) {
    case ScaleEdge::Bottom: return H + p - f.MarginBottom < Y && Y <= H + p - f.MarginBottom + 50;
    case ScaleEdge::Top: return f.MarginTop - p - 50 <= Y && Y < f.MarginTop - p;
    case ScaleEdge::Left: return f.MarginLeft - p - 50 <= X && X < f.MarginLeft - p;
    case ScaleEdge::Right: return W + p - f.MarginRight < X && X <= W + p - f.MarginRight + 50;
  }
  return false;
}

}  // namespace dendrokit
