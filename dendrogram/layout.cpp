#include "dendrogram/layout.h"

#include <algorithm>
#include <cmath>

namespace dendrokit {

namespace {

// Slope and offset of one axis that maps [low, high] onto pixels [p0, p1]; an axis that
// cannot be mapped (empty, reversed or non-finite window, overflowing slope) gets slope 0 at
// p0 so that nothing undefined ever reaches an integer conversion.
void AxisMap(double low, double high, double p0, double p1, double& k, double& d) {
  const double span = high - low;
  k = (p1 - p0) / span;
  d = p0 - k * low;
  if (!(span > 0.0) || !std::isfinite(k) || !std::isfinite(d)) {
    k = 0.0;
    d = p0;
  }
}

TLine Across(bool objIsX, int p0, int p1, int q) {  // along the object axis at distance q
  return objIsX ? TLine{{p0, q}, {p1, q}} : TLine{{q, p0}, {q, p1}};
}

TLine Along(bool objIsX, int p, int q0, int q1) {  // along the distance axis at object p
  return objIsX ? TLine{{p, q0}, {p, q1}} : TLine{{q0, p}, {q1, p}};
}

}  // namespace

TTransform CalcDendroTransform(const TDendroGeometry& g, const TViewWindow& w) {
  TTransform t;
  const double W = g.W, H = g.H, M = g.M;
  switch (g.Dir) {
    case dirUpward:
      AxisMap(w.ObjLow, w.ObjHigh, g.SH, W, t.kObj, t.dObj);
      AxisMap(w.DistLow, w.DistHigh, M, H, t.kDist, t.dDist);
      break;
    case dirDownward:
      AxisMap(w.ObjLow, w.ObjHigh, g.SH, W, t.kObj, t.dObj);
      AxisMap(w.DistLow, w.DistHigh, H - M, 0.0, t.kDist, t.dDist);
      break;
    case dirLeftward:
      AxisMap(w.ObjLow, w.ObjHigh, g.SW, H, t.kObj, t.dObj);
      AxisMap(w.DistLow, w.DistHigh, M, W, t.kDist, t.dDist);
      break;
    case dirRightward:
      AxisMap(w.ObjLow, w.ObjHigh, g.SW, H, t.kObj, t.dObj);
      AxisMap(w.DistLow, w.DistHigh, W - M, 0.0, t.kDist, t.dDist);
      break;
  }
  return t;
}

int MapToPixel(double k, double d, double v) {
  const double x = k * v + d;
  if (std::isnan(x)) return 0;
  return static_cast<int>(std::nearbyint(std::clamp(x, double{-kMaxPixel}, double{kMaxPixel})));
}

double PixelToValue(double k, double d, int p, double fallback) {
  if (k == 0.0 || !std::isfinite(k)) return fallback;
  return (p - d) / k;
}

TDendroFrame DendroFrame(const TDendroGeometry& g) {
  const int W = g.W, H = g.H, M = g.M, SW = g.SW, SH = g.SH;
  TDendroFrame f;
  switch (g.Dir) {
    case dirUpward:
      f.TreeArea = {SH, M, W, H};
      f.LabelBand = {SH, 0, W, M};
      f.Corner = {0, 0, SH, M + 1};
      f.BaseLine = {{0, M}, {W, M}};
      f.Grip1 = {{4, M - 3}, {SH - 3, M - 3}};
      f.Grip2 = {{4, M - 6}, {SH - 3, M - 6}};
      f.StripLine = {{SH - 1, 0}, {SH - 1, H}};
      break;
    case dirDownward:
      f.TreeArea = {SH, 0, W, H - M};
      f.LabelBand = {SH, H - M, W, H};
      f.Corner = {0, H - M, SH, H};
      f.BaseLine = {{0, H - M}, {W, H - M}};
      f.Grip1 = {{4, H - M + 3}, {SH - 3, H - M + 3}};
      f.Grip2 = {{4, H - M + 6}, {SH - 3, H - M + 6}};
      f.StripLine = {{SH - 1, 0}, {SH - 1, H}};
      break;
    case dirLeftward:
      f.TreeArea = {M, SW - 1, W, H};
      f.LabelBand = {0, 0, M + 1, H};
      f.Corner = {0, 0, M + 1, SW};
      f.BaseLine = {{M, 0}, {M, H}};
      f.Grip1 = {{M - 3, 4}, {M - 3, SW - 3}};
      f.Grip2 = {{M - 6, 4}, {M - 6, SW - 3}};
      f.StripLine = {{0, SW - 1}, {W, SW - 1}};
      break;
    case dirRightward:
      f.TreeArea = {0, SW - 1, W - M, H};
      f.LabelBand = {W - M, 0, W, H};
      f.Corner = {W - M, 0, W, SW};
      f.BaseLine = {{W - M, 0}, {W - M, H}};
      f.Grip1 = {{W - M + 3, 4}, {W - M + 3, SW - 3}};
      f.Grip2 = {{W - M + 6, 4}, {W - M + 6, SW - 3}};
      f.StripLine = {{0, SW - 1}, {W, SW - 1}};
      break;
  }
  return f;
}

bool InTreeRect(const TDendroGeometry& g, int x, int y) {
  const int W = g.W, H = g.H, M = g.M;
  switch (g.Dir) {
    case dirUpward: return g.SH < x && x < W && M <= y && y <= H;
    case dirDownward: return g.SH < x && x < W && 0 <= y && y <= H - M;
    case dirLeftward: return M <= x && x <= W && g.SW <= y && y <= H;
    case dirRightward: return 0 <= x && x <= W - M && g.SW <= y && y <= H;
  }
  return false;
}

TScalePlace DendroScalePlace(const TDendroGeometry& g) {
  const int W = g.W, H = g.H, M = g.M;
  switch (g.Dir) {
    case dirUpward: return {0, M, g.SH, H - M, sctYR, true};
    case dirDownward: return {0, 0, g.SH, H - M, sctYR, false};
    case dirLeftward: return {M, 0, W - M, g.SW, sctXB, false};
    case dirRightward: return {0, 0, W - M, g.SW, sctXB, true};
  }
  return {};
}

int ClampToBase(const TDendroGeometry& g, int q) {
  switch (g.Dir) {
    case dirUpward:
    case dirLeftward: return std::max(q, g.M);
    case dirDownward: return std::min(q, g.H - g.M);
    case dirRightward: return std::min(q, g.W - g.M);
  }
  return q;
}

TLine StemLine(const TDendroGeometry& g, int p, int from, int to) {
  return Along(ObjectAxisIsX(g.Dir), p, ClampToBase(g, from), ClampToBase(g, to));
}

TLine ConnectorLine(const TDendroGeometry& g, int d, int pa, int pb) {
  return Across(ObjectAxisIsX(g.Dir), pa, pb, ClampToBase(g, d));
}

TLine CutLine(const TDendroGeometry& g, int q) {
  const TRect area = DendroFrame(g).TreeArea;
  const bool objIsX = ObjectAxisIsX(g.Dir);
  const int lo = objIsX ? area.Top : area.Left, hi = objIsX ? area.Bottom : area.Right;
  if (q < lo || q >= hi || ClampToBase(g, q) != q) return {};
  return objIsX ? Across(true, area.Left, area.Right, q) : Across(false, area.Top, area.Bottom, q);
}

TLabelMode LabelModeFor(TDirection dir, bool fontIsTrueType, bool forceStaggered) {
  if (!ObjectAxisIsX(dir)) return TLabelMode::Horizontal;
  return fontIsTrueType && !forceStaggered ? TLabelMode::Rotated : TLabelMode::Staggered;
}

int LabelRows(int M, int textHeight) { return std::max(1, (M - 4) / (textHeight + 2)); }

int LabelRow(double pos, int rows) {
  if (rows <= 1 || !std::isfinite(pos)) return 0;
  const double r = std::fmod(std::nearbyint(pos - 1.0), static_cast<double>(rows));
  return static_cast<int>(r < 0 ? r + rows : r);
}

TPoint LabelPos(const TDendroGeometry& g, TLabelMode mode, int p, int w, int th, int row) {
  const int W = g.W, H = g.H, M = g.M;
  switch (g.Dir) {
    case dirLeftward: return {M - w - 4, p - th / 2};
    case dirRightward: return {W - M + 5, p - th / 2};
    case dirUpward:
      if (mode == TLabelMode::Rotated) return {p - th / 2, M - 3};
      return {p - w / 2, M - 3 - th - row * (th + 2)};
    case dirDownward:
      if (mode == TLabelMode::Rotated) return {p - th / 2, H - M + 4 + w};
      return {p - w / 2, H - M + 4 + row * (th + 2)};
  }
  return {};
}

TMarkPlan MarkPlan(const TDendroGeometry& g, int style, int p, int d0, int dm) {
  TMarkPlan plan;
  if (style != 1 && style != 2) return plan;
  const bool objIsX = ObjectAxisIsX(g.Dir);
  if (p <= (objIsX ? g.SH : g.SW) - 2) return plan;
  int e = 0, f = 0;
  bool draw = false, towardLow = false;  // towardLow: the label band lies at lower pixels
  switch (g.Dir) {
    case dirUpward:
    case dirLeftward:
      e = std::max(d0 + 1, g.M + 1);
      f = dm - 1;
      draw = f > g.M;
      towardLow = true;
      break;
    case dirDownward:
      e = std::min(d0 - 1, g.H - g.M - 1);
      f = dm + 1;
      draw = f < g.H - g.M;
      break;
    case dirRightward:
      e = std::min(d0 - 1, g.W - g.M - 1);
      f = dm + 1;
      draw = f < g.W - g.M;
      break;
  }
  if (!draw) return plan;
  if (style == 1) {
    plan.PenWidth = 3;
    plan.Lines.push_back(Along(objIsX, p, e, f));
    return plan;
  }
  for (int i = 0; i <= 3; ++i) {
    const int q0 = towardLow ? e - 2 * i : e + 2 * i + 1;
    const int q1 = towardLow ? e - 2 * i - 1 : e + 2 * i;
    plan.Lines.push_back(Across(objIsX, p - i, p + i + 1, q0));
    plan.Lines.push_back(Across(objIsX, p - i, p + i + 1, q1));
  }
  return plan;
}

TCrossHairPlan CrossHairPlan(const TDendroGeometry& g, TCrossHMode mode, int cx, int cy,
                             int lineWid) {
  TCrossHairPlan plan;
  if (mode == chBox) {
    plan.Box = true;
    plan.Lines = {{{cx - 10, cy}, {cx + 10, cy}}, {{cx, cy - 10}, {cx, cy + 10}}};
    plan.BoxRect = {cx - 2, cy - 2, cx + 3, cy + 3};
    return plan;
  }
  if (mode != chHoriz && mode != chVert && mode != chBoth) return plan;
  const int W = g.W, H = g.H, M = g.M, SW = g.SW, SH = g.SH;
  lineWid = std::clamp(lineWid, 0, 2 * kMaxPixel);  // wider pens cover nothing more
  const int hw = lineWid / 2;
  plan.PenWidth = std::max(lineWid, 1);
  const bool horiz = mode == chHoriz || mode == chBoth;
  const bool vert = mode == chVert || mode == chBoth;
  TLine h, v;
  bool hOk = false, vOk = false;
  switch (g.Dir) {
    case dirUpward:
      h = {{SH + hw + 1, cy}, {W - hw, cy}};
      hOk = cy > M;
      v = {{cx, M + hw + 1}, {cx, H - hw}};
      vOk = cx > SH;
      break;
    case dirDownward:
      h = {{SH + hw + 1, cy}, {W - hw, cy}};
      hOk = cy < H - M;
      v = {{cx, hw + 1}, {cx, H - M - hw}};
      vOk = cx > SH;
      break;
    case dirLeftward:
      h = {{M + hw + 1, cy}, {W - hw, cy}};
      hOk = cy > SW;
      v = {{cx, SW + hw + 1}, {cx, H - hw}};
      vOk = cx > M;
      break;
    case dirRightward:
      h = {{hw + 1, cy}, {W - M - hw, cy}};
      hOk = cy > SW;
      v = {{cx, SW + hw + 1}, {cx, H - hw}};
      vOk = cx < W - M;
      break;
  }
  if (horiz && hOk) plan.Lines.push_back(h);
  if (vert && vOk) plan.Lines.push_back(v);
  return plan;
}

TViewWindow ZoomWindow(const TViewWindow& w, double objCentre, double distCentre,
                       double factorObj, double factorDist) {
  TViewWindow z = w;
  z.ObjLow = objCentre - (objCentre - w.ObjLow) / factorObj;
  z.ObjHigh = objCentre + (w.ObjHigh - objCentre) / factorObj;
  z.DistLow = distCentre - (distCentre - w.DistLow) / factorDist;
  z.DistHigh = distCentre + (w.DistHigh - distCentre) / factorDist;
  return z;
}

}  // namespace dendrokit
