// Painting of the chart: surround, scales, chart-area background, items, labels, frame,
// mouse trace and crosshairs. Where things go is decided by chart/plotra_geometry.h; this
// file draws it. Items are rendered with a cache of the canvas state, a polyline batch and
// the fast paths of chart/plotra_fastdraw.h, which give the canvas's own pixels.
#include <QFileInfo>
#include <QtGlobal>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "chart/plotra.h"
#include "chart/plotra_fastdraw.h"
#include "chart/plotra_geometry.h"
#include "chart/plotra_picture.h"
#include "gfxbase/draw.h"

namespace dendrokit {

namespace {

constexpr std::size_t kBatchPoints = 200;

// World-to-pixel of one layer, gathered once per rendering.
struct LayerMap {
  TAxisTransform tx, ty;
  bool logX = false, logY = false;
  double xlo = 0, xhi = 1, ylo = 0, yhi = 1;
  double kx = 0, cx = 0, ky = 0, cy = 0;  // tx and ty rounded to double
};

// WorldToPixelAxis with the same rounding (ties to even), done by adding and removing 2^63:
// with the 64-bit significand of long double that leaves exactly the rounded integer, and
// costs two additions where the library's nearbyint and llrint on long double are calls
// that dominated the mapping of every item.
std::int64_t MapAxis(const TAxisTransform& t, bool logarithmic, double low, double high,
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
  p = std::clamp(p, -kLimit, kLimit);
  static_assert(std::numeric_limits<long double>::digits >= 64);
  constexpr long double kShift = 0x1p63L;
  const long double r = p >= 0 ? (p + kShift) - kShift : (p - kShift) + kShift;
  // r is a whole number within +-2^31, so the narrowing to double is exact; converting
  // from double takes one SSE instruction, while a long double cast switches the x87
  // rounding mode twice per point, which stalled the mapping of every item.
  return static_cast<std::int64_t>(static_cast<double>(r));
}

// MapAxis on a linear axis, first in double: that result lies within 16 units in the last
// place of the long double one, so unless it is that close to a tie (.5) both round to the
// same pixel. Near ties, far out and on NaN the long double way decides.
std::int64_t MapLinear(const TAxisTransform& t, double k, double c, double low, double high,
                       double value, int lowEdge, int highEdge) {
  const double kv = k * value;
  const double p = kv + c;
  if (std::fabs(p) < 0x1p30) {
    const double r = (p + 0x1.8p52) - 0x1.8p52;  // ties to even, as nearbyint
    const double margin = (std::fabs(kv) + std::fabs(c)) * 0x1p-49;
    if (std::fabs(std::fabs(p - r) - 0.5) > margin) return static_cast<std::int64_t>(r);
  }
  return MapAxis(t, false, low, high, value, lowEdge, highEdge);
}

bool Between(double v, double a, double b) { return a <= b ? a <= v && v <= b : b <= v && v <= a; }

// Whether the intervals [c - r, c + r] and a..b (either order) meet.
bool Meets(double c, double r, double a, double b) {
  const double lo = std::min(c - r, c + r), hi = std::max(c - r, c + r);
  return hi >= std::min(a, b) && lo <= std::max(a, b);
}

}  // namespace

struct TCustomPlotra::PaintState {
  GlyphCache glyphs;
  MarkStamps marks;
  DupMarkGrid dupGrid;

  // Background picture, reread when the file changes.
  std::string pictureName;
  QDateTime pictureStamp;
  qint64 pictureSize = -1;
  QImage picture;

  // ---- One rendering ----
  TCustomPlotra* chart = nullptr;
  TCanvas* canvas = nullptr;
  Surface surf;  // the image's pixels for the fast paths; empty on a printer
  int offX = 0, offY = 0;  // control pixel of the image's (0, 0)
  int imgW = 0, imgH = 0;
  int chartW = 0, chartH = 0;  // the control's size
  std::array<LayerMap, kLayers> maps;
  // Visibility of classes (data, annotation) and layers, copied once per rendering.
  std::array<std::array<bool, 256>, 2> classVisible;
  std::array<bool, kLayers + 1> layerVisible;
  bool avoidDup = false;
  bool exporting = false;  // drawing a picture: no mouse trace

  // Canvas state cache: what the items want, and what the canvas was last given.
  TColor penColor = 0, brushColor = 0, fontColor = 0;
  TPenStyle penStyle = psSolid;
  int penWidth = 1;
  bool brushClear = false;
  int fontSize = 0;
  bool fontReady = false;

  // Polyline batch and current point (image pixels).
  std::vector<TPoint> batch;
  TPoint cur;

  void Begin(TCustomPlotra& c, TCanvas& cv) {
    chart = &c;
    canvas = &cv;
    QImage* image = cv.Image();
    // At a whole pixel ratio the direct writes draw r x r blocks and full-resolution glyphs,
    // as the canvas does there.
    surf = image != nullptr && !cv.IsPrinter() ? SurfaceOf(*image) : Surface{};
    imgW = cv.Width();
    imgH = cv.Height();
    offX = c.MarginLeft();
    offY = c.MarginTop();
    chartW = c.Width();
    chartH = c.Height();
    for (int n = 1; n <= kLayers; ++n) {
      LayerMap& m = maps[static_cast<std::size_t>(n - 1)];
      const TScalePropsHoriz& px = c.ScalePropsX(n);
      const TScalePropsVert& py = c.ScalePropsY(n);
      m.tx = c.TransformX(n);
      m.ty = c.TransformY(n);
      m.logX = px.Logarithmic();
      m.logY = py.Logarithmic();
      m.kx = static_cast<double>(m.tx.K);
      m.cx = static_cast<double>(m.tx.C);
      m.ky = static_cast<double>(m.ty.K);
      m.cy = static_cast<double>(m.ty.C);
      m.xlo = px.RangeLow();
      m.xhi = px.RangeHigh();
      m.ylo = py.RangeLow();
      m.yhi = py.RangeHigh();
    }
    for (int a = 0; a < 2; ++a)
      for (int k = 0; k < 256; ++k) classVisible[a][k] = c.ClassVisible(a == 1, k);
    for (int n = 0; n <= kLayers; ++n) layerVisible[n] = c.LayerVisible(n);
    batch.clear();
    cur = {0, 0};
    fontReady = false;
  }
  bool Visible(const TplChartItem& it, bool annotation) const {
    return classVisible[annotation][it.ItemClass] && it.Layer >= 1 && it.Layer <= kLayers &&
           layerVisible[static_cast<std::size_t>(it.Layer)];
  }

  const LayerMap& Map(int layer) const {
    return maps[static_cast<std::size_t>(std::clamp(layer, 1, kLayers) - 1)];
  }
  int WorldX(const LayerMap& m, double x) const {
    const std::int64_t p = m.logX ? MapAxis(m.tx, true, m.xlo, m.xhi, x, 0, chartW)
                                  : MapLinear(m.tx, m.kx, m.cx, m.xlo, m.xhi, x, 0, chartW);
    return ClampPlotraCoord(p - offX);
  }
  int WorldY(const LayerMap& m, double y) const {
    const std::int64_t p = m.logY ? MapAxis(m.ty, true, m.ylo, m.yhi, y, chartH, 0)
                                  : MapLinear(m.ty, m.ky, m.cy, m.ylo, m.yhi, y, chartH, 0);
    return ClampPlotraCoord(p - offY);
  }
  // A point of an item in image pixels. CoordMode (annotation list only): 1 the first
  // point in pixels, 2 the second, 3 both, 4 x in pixels, 5 y in pixels.
  TPoint Point(const TplChartItem& it, double x, double y, bool second, bool annotation) const {
    const int mode = annotation ? it.CoordMode : 0;
    const bool pixelPoint = mode == 3 || (mode == 1 && !second) || (mode == 2 && second);
    const bool pxX = pixelPoint || mode == 4, pxY = pixelPoint || mode == 5;
    const LayerMap& m = Map(it.Layer);
    return {pxX ? ClampPlotraCoord(x) : WorldX(m, x), pxY ? ClampPlotraCoord(y) : WorldY(m, y)};
  }

  // ---- Canvas state ----
  void ApplyPen() {
    TPen& p = canvas->Pen();
    if (p.Color() != penColor) p.SetColor(penColor);
    if (p.Style() != penStyle) p.SetStyle(penStyle);
    if (p.Width() != std::max(penWidth, 1)) p.SetWidth(penWidth);
    if (p.Mode() != pmCopy) p.SetMode(pmCopy);
  }
  void ApplyBrush() {
    TBrush& b = canvas->Brush();
    if (b.Color() != brushColor) b.SetColor(brushColor);
    const TBrushStyle s = brushClear ? bsClear : bsSolid;
    if (b.Style() != s) b.SetStyle(s);
  }
  void Apply() {
    ApplyPen();
    ApplyBrush();
  }
  bool FastPen() const {
    return penStyle == psSolid && penWidth <= 1 && surf;
  }

  // ---- Polyline batch ----
  void Flush() {
    if (batch.size() >= 2) {
      if (FastPen()) {
        FastPolyline(surf, batch.data(), batch.size(), penColor);
      } else {
        ApplyPen();
        canvas->Polyline(batch);
      }
    }
    batch.clear();
  }
  void LineToBatch(TPoint p) {
    if (batch.empty()) batch.push_back(cur);
    batch.push_back(p);
    cur = p;
    if (batch.size() >= kBatchPoints) {
      Flush();
      batch.push_back(cur);
    }
  }
  // Pen and brush of a line item; a change ends the batch drawn so far.
  void SetItemPen(const TplChartItem& it, bool flush) {
    const int width = std::max(it.LineWidth, 1);
    const bool same = penColor == it.Color && penStyle == it.PenStyle && penWidth == width &&
                      brushColor == it.FillColor;
    if (flush || !same) Flush();
    penColor = it.Color;
    penStyle = it.PenStyle;
    penWidth = width;
    brushColor = it.FillColor;
    brushClear = it.Hollow;
  }

  // ---- Primitives ----
  void Pixel(TPoint p) { canvas->SetPixel(p.X, p.Y, penColor); }
  void Line(TPoint a, TPoint b) {
    if (a == b) {
      Pixel(a);
      return;
    }
    if (FastPen()) {
      FastLine(surf, a.X, a.Y, b.X, b.Y, penColor);
    } else {
      ApplyPen();
      canvas->MoveTo(a.X, a.Y);
      canvas->LineTo(b.X, b.Y);
    }
  }
  void Box(const TRect& r) {
    Apply();
    canvas->Rectangle(r);
  }
  void Mark(int type, TPoint p) {
    if (avoidDup && !dupGrid.Claim(p.X, p.Y, type)) return;
    const auto t = static_cast<std::uint8_t>(type);
    if (surf && marks.Draw(surf, t, p.X, p.Y, penColor, penWidth, penStyle, brushColor, !brushClear))
      return;
    Apply();
    DrawMark(*canvas, t, p.X, p.Y);
  }
  bool InArea(TPoint p) const { return p.X >= 0 && p.Y >= 0 && p.X < imgW && p.Y < imgH; }

  void DrawItem(const TplChartItem& it, int index, bool annotation);
  void DrawText(const TplChartItem& it, int index, bool annotation);
  void DrawFramedBox(const TplChartItem& it, const TRect& r);
  void Draw3DBar(const TplChartItem& it, const TRect& r);
  void DrawArrow(const TplChartItem& it, TPoint a, TPoint b, bool both);
  void DrawErrorBar(const TplChartItem& it, bool annotation);

  // Parts of a paint that are not items.
  static PlotraFrame Frame(const TCustomPlotra& P);
  void DrawSurround(TCustomPlotra& P, TCanvas& c);
  void DrawGrid(TCustomPlotra& P, TCanvas& canvas);
  void DrawTextLabel(TCustomPlotra& P, TCanvas& canvas, int n);
  void DrawMouseTrace(TCustomPlotra& P, TCanvas& canvas);
  void DrawCrossHairs(TCustomPlotra& P, TCanvas& canvas);
};

void TCustomPlotra::PaintStateDeleter::operator()(PaintState* p) const { delete p; }

TCustomPlotra::PaintState& TCustomPlotra::Painting() {
  if (!paintState_) paintState_.reset(new PaintState());
  return *paintState_;
}

// ---- Items -----------------------------------------------------------------------------

void TCustomPlotra::PaintState::DrawItem(const TplChartItem& it, int index, bool annotation) {
  const int kind = it.Kind;
  if (kind == ckText || kind == ckOffsetText) {
    DrawText(it, index, annotation);
    return;
  }
  if (kind == ckNone || kind == ckReserved10 || kind == ckReserved11 || kind > ckMaxKind) return;
  const bool drawTo = kind == ckDrawTo || kind == ckDrawBy || kind == ckDrawByOffset;
  SetItemPen(it, !drawTo);
  auto p1 = [&] { return Point(it, it.X, it.Y, false, annotation); };
  auto p2 = [&] { return Point(it, it.X2, it.Y2, true, annotation); };
  switch (kind) {
    case ckMark: {
      const TPoint p = p1();
      const bool pixel = annotation && it.CoordMode != 0;
      const LayerMap& m = Map(it.Layer);
      if (pixel ? InArea(p) : Between(it.X, m.xlo, m.xhi) && Between(it.Y, m.ylo, m.yhi))
        Mark(it.Alignment, p);
      break;
    }
    case ckLine: Line(p1(), p2()); break;
    case ckShiftedLine: {
      const TPoint a = p1(), b = p2();
      const int dx = it.Size, dy = it.BkStyle;
      Line({ClampPlotraCoord(std::int64_t{a.X} + dx), ClampPlotraCoord(std::int64_t{a.Y} + dy)},
           {ClampPlotraCoord(std::int64_t{b.X} + dx), ClampPlotraCoord(std::int64_t{b.Y} + dy)});
      break;
    }
    case ckDrawTo: LineToBatch(p1()); break;
    case ckMoveTo: cur = p1(); break;
    case ckMoveBy:
      cur = {ClampPlotraCoord(cur.X + it.X), ClampPlotraCoord(cur.Y + it.Y)};
      break;
    case ckDrawBy:
      LineToBatch({ClampPlotraCoord(cur.X + it.X), ClampPlotraCoord(cur.Y + it.Y)});
      break;
    case ckDrawByOffset: {
      const TPoint a = p1();
      if (!(batch.empty() ? cur == a : batch.back() == a)) {
        Flush();
        cur = a;
      }
      LineToBatch({ClampPlotraCoord(a.X + it.X2), ClampPlotraCoord(a.Y + it.Y2)});
      break;
    }
    case ckRectangle: {
      const TPoint a = p1(), b = p2();
      Box(InclusiveRect(a.X, a.Y, b.X, b.Y));
      break;
    }
    case ckFixedSizeBox: {
      const TPoint c = p1();
      const std::int64_t sx = it.Size, sy = it.BkStyle;
      Box(InclusiveRect(ClampPlotraCoord(c.X - sx), ClampPlotraCoord(c.Y - sy),
                        ClampPlotraCoord(c.X + sx), ClampPlotraCoord(c.Y + sy)));
      break;
    }
    case ckFramedBox: {
      const TPoint a = p1(), b = p2();
      DrawFramedBox(it, InclusiveRect(a.X, a.Y, b.X, b.Y));
      break;
    }
    case ck3DBar: {
      const TPoint a = p1(), b = p2();
      Draw3DBar(it, InclusiveRect(a.X, a.Y, b.X, b.Y));
      break;
    }
    case ckEllipse:
    case ckArc: {
      const TPoint a = Point(it, it.X - it.X2, it.Y - it.Y2, false, annotation);
      const TPoint b = Point(it, it.X + it.X2, it.Y + it.Y2, false, annotation);
      const TRect r = InclusiveRect(a.X, a.Y, b.X, b.Y);
      if (r.Right - r.Left == 1 && r.Bottom - r.Top == 1) {
        Pixel(a);
      } else if (kind == ckEllipse) {
        Apply();
        canvas->Ellipse(r);
      } else {
        // From angle Size to angle BkStyle (degrees, counter-clockwise).
        const double cx = (r.Left + r.Right) / 2.0, cy = (r.Top + r.Bottom) / 2.0;
        const double a0 = it.Size * std::numbers::pi / 180, a1 = it.BkStyle * std::numbers::pi / 180;
        ApplyPen();
        canvas->Arc(r.Left, r.Top, r.Right, r.Bottom, ClampPlotraCoord(cx + 1000 * std::cos(a0)),
                    ClampPlotraCoord(cy - 1000 * std::sin(a0)),
                    ClampPlotraCoord(cx + 1000 * std::cos(a1)),
                    ClampPlotraCoord(cy - 1000 * std::sin(a1)));
      }
      break;
    }
    case ckArrow: DrawArrow(it, p1(), p2(), false); break;
    case ckDoubleArrow: DrawArrow(it, p1(), p2(), true); break;
    case ckErrorBarMark: DrawErrorBar(it, annotation); break;
    case ckVertRule: {
      const int x = p1().X;
      Line({x, 0}, {x, imgH});
      break;
    }
    case ckHorizRule: {
      const int y = p1().Y;
      Line({0, y}, {imgW, y});
      break;
    }
    case ckCross: {
      const TPoint c = p1();
      const TPoint a = Point(it, it.X - it.X2, it.Y - it.Y2, false, annotation);
      const TPoint b = Point(it, it.X + it.X2, it.Y + it.Y2, false, annotation);
      const TRect r = InclusiveRect(a.X, a.Y, b.X, b.Y);
      Line({r.Left, c.Y}, {r.Right, c.Y});
      Line({c.X, r.Top}, {c.X, r.Bottom});
      break;
    }
    default: break;
  }
}

void TCustomPlotra::PaintState::DrawText(const TplChartItem& it, int index, bool annotation) {
  TPoint p;
  if (it.Kind == ckText && annotation && (it.CoordMode == 1 || it.CoordMode == 3)) {
    p = {ClampPlotraCoord(it.X), ClampPlotraCoord(it.Y)};
  } else {
    const int mode = annotation && (it.CoordMode == 4 || it.CoordMode == 5) ? it.CoordMode : 0;
    const LayerMap& m = Map(it.Layer);
    p = {mode == 4 ? ClampPlotraCoord(it.X) : WorldX(m, it.X),
         mode == 5 ? ClampPlotraCoord(it.Y) : WorldY(m, it.Y)};
  }
  if (it.Kind == ckOffsetText)
    p = {ClampPlotraCoord(p.X + it.X2), ClampPlotraCoord(p.Y + it.Y2)};

  // The text: the item's long-text slot, else its short text; the handler may replace it.
  std::string_view view = it.ShortText.View();
  std::string owned;
  if (it.LineWidth >= 1) {
    const TPlItemContainer& list = annotation ? chart->AnnotationItems() : chart->DataItems();
    const TLongTextArray* table = list.TextTable(index);
    if (table == nullptr) table = &chart->LongTexts(annotation);
    const std::string_view whole = table->Text(it.LineWidth);
    if (!whole.empty()) view = whole;
  }
  if (chart->OnBeforeRenderText) {
    owned.assign(view);
    chart->OnBeforeRenderText(chart, owned, index, annotation);
    view = owned;
  }

  TFont& font = canvas->Font();
  if (!fontReady || fontSize != it.Size) {
    if (!fontReady) {
      font.SetName(chart->TextFont().Name());
      font.SetStyle(chart->TextFont().Style());
    }
    font.SetSize(it.Size == 0 ? chart->TextFont().Size() : it.Size);
    fontSize = it.Size;
    fontReady = true;
    glyphs.SetFont(font.QtFont(), surf.ratio);
  }
  if (font.Color() != it.Color) font.SetColor(it.Color);
  const bool solid = it.BkStyle == tbSolid;
  const bool fast = surf && font.Orientation() == 0 && glyphs.Ready();

  const int textHeight = fast ? glyphs.Height() : canvas->TextHeight("Ag");
  if (view.find('\n') == std::string_view::npos) {
    // One line: the common case, placed without building a block.
    int w = fast ? glyphs.Width(view) : -1;
    if (w < 0) w = canvas->TextWidth(std::string(view));
    std::int64_t left = p.X;
    if (it.Alignment == 1) left -= w;
    else if (it.Alignment == 2) left -= w / 2;
    const int x = ClampPlotraCoord(left), y = ClampPlotraCoord(std::int64_t{p.Y} - (textHeight + 1) / 2);
    if (fast && glyphs.Draw(surf, x, y, view, it.Color, solid ? it.FillColor : clNone)) return;
    brushColor = it.FillColor;
    brushClear = !solid;
    ApplyBrush();
    canvas->TextOut(x, y, std::string(view));
    return;
  }
  const std::vector<std::string_view> lines = SplitLines(view);
  std::vector<int> widths(lines.size());
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const int w = fast ? glyphs.Width(lines[k]) : -1;
    widths[k] = w >= 0 ? w : canvas->TextWidth(std::string(lines[k]));
  }
  const TextBlock block = PlaceTextItem(p.X, p.Y, widths, textHeight + 1, it.Alignment, solid);
  brushColor = it.FillColor;
  brushClear = !solid;
  if (block.HasBackground) {
    const TColor savedPen = penColor;
    penColor = it.FillColor;
    Box(block.Background);
    penColor = savedPen;
  }
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const TPoint o = block.LineOrigins[k];
    if (fast && glyphs.Draw(surf, o.X, o.Y, lines[k], it.Color, solid ? it.FillColor : clNone))
      continue;
    ApplyBrush();
    canvas->TextOut(o.X, o.Y, std::string(lines[k]));
  }
}

void TCustomPlotra::PaintState::DrawFramedBox(const TplChartItem& it, const TRect& r) {
  const TColor savedPen = penColor;
  brushClear = false;
  Apply();
  canvas->FillRect(r);
  const int l = r.Left, t = r.Top, rr = r.Right - 1, b = r.Bottom - 1;
  // One ring: c1 on the left and top, c2 on the right and bottom, inset i pixels.
  auto ring = [&](TColor c1, TColor c2, int i) {
    penColor = c1;
    Line({l + i, b - i}, {l + i, t + i});
    Line({l + i, t + i}, {rr - i + 1, t + i});
    penColor = c2;
    Line({rr - i, t + i + 1}, {rr - i, b - i});
    Line({rr - i, b - i}, {l + i, b - i});
    Pixel({l + i, b - i});  // the bottom line runs through the bottom-left corner
  };
  const TColor e1 = it.EdgeColor1, e2 = it.EdgeColor2;
  switch (it.FrameStyle) {
    case fsSimple: ring(it.Color, it.Color, 0); break;
    case fsLowered: ring(e1, e2, 0); break;
    case fsRaised: ring(e2, e1, 0); break;
    case fsEmbossed: ring(e1, e2, 0); ring(e2, e1, 1); break;
    case fsEngraved: ring(e2, e1, 0); ring(e1, e2, 1); break;
    default: break;
  }
  penColor = savedPen;
}

void TCustomPlotra::PaintState::Draw3DBar(const TplChartItem& it, const TRect& r) {
  const double a = it.Size * std::numbers::pi / 180;
  const int dx = ClampPlotraCoord(it.BkStyle * std::cos(a));
  const int dy = ClampPlotraCoord(it.BkStyle * std::sin(a));
  const int l = r.Left, t = r.Top, rr = r.Right - 1, b = r.Bottom - 1;
  Apply();
  if (dx != 0 || dy != 0) {
    const TPoint top[4] = {{l, t}, {l + dx, t - dy}, {rr + dx, t - dy}, {rr, t}};
    const TPoint side[4] = {{rr, t}, {rr + dx, t - dy}, {rr + dx, b - dy}, {rr, b}};
    canvas->Polygon(top);
    canvas->Polygon(side);
  }
  canvas->Rectangle(r);
}

void TCustomPlotra::PaintState::DrawArrow(const TplChartItem& it, TPoint a, TPoint b, bool both) {
  Line(a, b);
  auto head = [&](TPoint from, TPoint tip) {
    const auto h = ArrowHeadPoints(from.X, from.Y, tip.X, tip.Y, it.Size);
    if (!h) return;
    if (it.Hollow) {
      Line(tip, h->A);
      Line(tip, h->B);
      Pixel(tip);
    } else {
      const TColor savedBrush = brushColor;
      const bool savedClear = brushClear;
      brushColor = penColor;
      brushClear = false;
      Apply();
      const TPoint tri[3] = {tip, h->A, h->B};
      canvas->Polygon(tri);
      brushColor = savedBrush;
      brushClear = savedClear;
    }
  };
  head(a, b);
  if (both) head(b, a);
}

void TCustomPlotra::PaintState::DrawErrorBar(const TplChartItem& it, bool annotation) {
  const LayerMap& m = Map(it.Layer);
  if (!(annotation && it.CoordMode != 0) &&
      (!Meets(it.X, it.X2, m.xlo, m.xhi) || !Meets(it.Y, it.Y2, m.ylo, m.yhi)))
    return;
  const TPoint c = Point(it, it.X, it.Y, false, annotation);
  const TPoint l = Point(it, it.X - it.X2, it.Y, false, annotation);
  const TPoint r = Point(it, it.X + it.X2, it.Y, false, annotation);
  const TPoint t = Point(it, it.X, it.Y + it.Y2, false, annotation);
  const TPoint bt = Point(it, it.X, it.Y - it.Y2, false, annotation);
  Line(l, r);
  Line(t, bt);
  for (const TPoint e : {l, r}) Line({e.X, e.Y - 3}, {e.X, e.Y + 4});
  for (const TPoint e : {t, bt}) Line({e.X - 3, e.Y}, {e.X + 4, e.Y});
  Mark(it.Alignment, c);
}

// ---- Chart operations -----------------------------------------------------------------------

void TCustomPlotra::DrawChartBackground(TCanvas& canvas, int w, int h) {
  canvas.Pen().SetStyle(psSolid);
  canvas.Pen().SetMode(pmCopy);
  canvas.Pen().SetWidth(1);
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(ChartColor());
  canvas.Pen().SetColor(ChartFrameColor());
  TBakGndImg& bg = BackGroundImg();
  if (!bg.Name().empty()) {
    PaintState& ps = Painting();
    // Read at every drawing, as the file may change; an unchanged file is not decoded again.
    const QFileInfo info(QString::fromStdString(bg.Name()));
    const QDateTime stamp = info.exists() ? info.lastModified() : QDateTime();
    if (ps.pictureName != bg.Name() || ps.pictureStamp != stamp || ps.pictureSize != info.size() ||
        ps.picture.isNull()) {
      std::optional<QImage> pic = LoadBackgroundPicture(bg.Name());
      ps.picture = pic ? std::move(*pic) : QImage();
      ps.pictureName = bg.Name();
      ps.pictureStamp = stamp;
      ps.pictureSize = info.size();
    }
    if (ps.picture.isNull()) {
      canvas.FillRect({0, 0, w, h});
      bg.ForgetName();
      ps.pictureName.clear();
      return;
    }
    switch (bg.FillMode()) {
      case bfSimple:
        canvas.FillRect({0, 0, w, h});
        canvas.Draw(0, 0, ps.picture);
        break;
      case bfTile:
        for (const TPoint o : TileOrigins(w, h, ps.picture.width(), ps.picture.height()))
          canvas.Draw(o.X, o.Y, ps.picture);
        break;
      default:
        canvas.StretchDraw({0, 0, w, h}, ps.picture);
        break;
    }
    return;
  }
  canvas.Rectangle(0, 0, w, h);
  if (bg.AreaMode() == bamNone) return;
  const TPoint a = WorldToPixel(ActiveLayer(), bg.AreaLeft(), bg.AreaTop());
  const TPoint b = WorldToPixel(ActiveLayer(), bg.AreaRight(), bg.AreaBottom());
  const int l = ClampPlotraCoord(std::int64_t{a.X} - MarginLeft());
  const int t = ClampPlotraCoord(std::int64_t{a.Y} - MarginTop());
  const int r = ClampPlotraCoord(std::int64_t{b.X} - MarginLeft());
  const int bt = ClampPlotraCoord(std::int64_t{b.Y} - MarginTop());
  canvas.Pen().SetColor(bg.AreaColor());
  canvas.Brush().SetColor(bg.AreaColor());
  for (const TRect& band : ShadedAreaBands(bg.AreaMode(), l, t, r, bt, w, h))
    canvas.Rectangle(band);
}

void TCustomPlotra::RenderItemsToImage(TBitmap& image) {
  DrawChartBackground(image.Canvas(), image.Width(), image.Height());
  RenderItems(image.Canvas());
}

void TCustomPlotra::RenderItems(TCanvas& canvas) {
  PaintState& ps = Painting();
  const int w = canvas.Width(), h = canvas.Height();
  ps.avoidDup = AvoidDuplicateMarks();
  if (ps.avoidDup) ps.dupGrid.Reset(w, h, MinDupMarkDist());

  TPen& pen = canvas.Pen();
  TBrush& brush = canvas.Brush();
  if (OnBeforeRenderData) {
    const TColor pc = pen.Color(), bc = brush.Color();
    canvas.Release();
    OnBeforeRenderData(this, canvas, MarginTop(), MarginLeft());
    pen.SetColor(pc);
    brush.SetColor(bc);
  }
  if (GridStyle() != gsNone) ps.DrawGrid(*this, canvas);

  // Rendering starts from a known canvas state; the image's pixels are taken after the
  // handler above, which may have copied or replaced the picture.
  canvas.Release();
  ps.Begin(*this, canvas);
  // A render handler may clear the lists (or copy a chart over this one) while they are
  // walked: the walked lists stay alive until this rendering ends.
  const std::shared_ptr<const TPlItemContainer> keepData = data_, keepAnnotation = annotation_;
  pen.SetWidth(LineWidth());
  pen.SetColor(ChartColor());
  pen.SetStyle(psSolid);
  pen.SetMode(pmCopy);
  brush.SetColor(ChartColor());
  brush.SetStyle(bsSolid);
  canvas.Font().SetColor(ChartColor());
  ps.penColor = ps.brushColor = ps.fontColor = ChartColor();
  ps.penStyle = psSolid;
  ps.penWidth = std::max<int>(LineWidth(), 1);
  ps.brushClear = false;

  int textsLeft = 0;  // texts the first pass over the annotation list skipped
  auto render = [&](const TPlItemContainer& list, bool annotation, int pass) {
    list.ForEach([&](const TplChartItem& item, int index) {
      if (pass >= 0) {
        const bool text = item.Kind == ckText || item.Kind == ckOffsetText;
        if (text != (pass == 1)) {
          textsLeft += text;
          return;
        }
      }
      if (!ps.Visible(item, annotation)) return;
      if (OnBeforeRenderChartItem) {
        TplChartItem copy = item;
        OnBeforeRenderChartItem(this, copy, index, annotation);
        ps.DrawItem(copy, index, annotation);
      } else {
        ps.DrawItem(item, index, annotation);
      }
    });
    ps.Flush();
  };
  render(DataItems(), false, -1);
  render(AnnotationItems(), true, 0);
  if (textsLeft > 0) render(AnnotationItems(), true, 1);

  pen.SetWidth(1);
  for (int n = kTextLabels; n >= 1; --n) ps.DrawTextLabel(*this, canvas, n);
  if (OnDataRendered) {
    canvas.Release();
    OnDataRendered(this, canvas, MarginTop(), MarginLeft());
  }

  // Frame along the image's edges.
  pen.SetColor(ChartFrameColor());
  pen.SetStyle(psSolid);
  pen.SetWidth(1);
  pen.SetMode(pmCopy);
  DrawRectOutline(canvas, 0, 0, w - 1, h - 1);
  if (!ps.exporting) ps.DrawMouseTrace(*this, canvas);
}

void TCustomPlotra::PaintState::DrawGrid(TCustomPlotra& P, TCanvas& canvas) {
  const int layer = P.ActiveLayer();
  const TScalePropsHoriz& px = P.ScalePropsX(layer);
  const TScalePropsVert& py = P.ScalePropsY(layer);
  auto ticks = [](TScale& s) {
    std::vector<double> t;
    for (int i = 1; i <= s.NumTicks(); ++i) t.push_back(s.TickValue(i));
    return t;
  };
  const std::vector<double> xs = GridValues(P.GridDx(), px.RangeLow(), px.RangeHigh(),
                                            px.Logarithmic(), ticks(P.ScaleX(layer)));
  const std::vector<double> ys = GridValues(P.GridDy(), py.RangeLow(), py.RangeHigh(),
                                            py.Logarithmic(), ticks(P.ScaleY(layer)));
  auto toX = [&](double x) {
    return ClampPlotraCoord(std::int64_t{P.WorldToPixel(layer, x, 0).X} - P.MarginLeft());
  };
  auto toY = [&](double y) {
    return ClampPlotraCoord(std::int64_t{P.WorldToPixel(layer, 0, y).Y} - P.MarginTop());
  };
  TPen& pen = canvas.Pen();
  pen.SetColor(P.GridColor());
  pen.SetWidth(1);
  pen.SetMode(pmCopy);
  const GridStyleType g = P.GridStyle();
  if (g == gsPoints) {
    int count = 0;
    for (double x : xs)
      for (double y : ys)
        if (count++ < kMaxGridValues) canvas.SetPixel(toX(x), toY(y), P.GridColor());
    return;
  }
  const bool dotted = g == gsVertDotLines || g == gsHorizDotLines || g == gsDotLines;
  pen.SetStyle(dotted ? psDot : psSolid);
  const int y0 = toY(py.RangeLow()), y1 = toY(py.RangeHigh());
  const int x0 = toX(px.RangeLow()), x1 = toX(px.RangeHigh());
  if (g == gsVertLines || g == gsVertDotLines || g == gsLines || g == gsDotLines)
    for (double x : xs) {
      canvas.MoveTo(toX(x), y0);
      canvas.LineTo(toX(x), y1);
    }
  if (g == gsHorizLines || g == gsHorizDotLines || g == gsLines || g == gsDotLines)
    for (double y : ys) {
      canvas.MoveTo(x0, toY(y));
      canvas.LineTo(x1, toY(y));
    }
  pen.SetStyle(psSolid);
}

void TCustomPlotra::PaintState::DrawTextLabel(TCustomPlotra& P, TCanvas& canvas, int n) {
  const TTextLabel* lb = P.TextLabel(n);
  if (lb == nullptr || lb->Mode() == tlOff || !lb->Visible() || !P.LayerVisible(lb->Layer()))
    return;
  const TTxtLblAttachMode att = lb->AttachToData();
  const TPoint world = P.WorldToPixel(lb->Layer(), lb->PosX(), lb->PosY());
  const bool worldX = att == tlamXOnly || att == tlamBoth, worldY = att == tlamYOnly || att == tlamBoth;
  const int x = worldX ? ClampPlotraCoord(std::int64_t{world.X} - P.MarginLeft())
                       : ClampPlotraCoord(lb->PosX());
  const int y = worldY ? ClampPlotraCoord(std::int64_t{world.Y} - P.MarginTop())
                       : ClampPlotraCoord(lb->PosY());
  canvas.Font().Assign(&lb->Font());
  const std::vector<std::string_view> lines = SplitLines(lb->Caption());
  std::vector<int> widths;
  for (std::string_view l : lines) widths.push_back(canvas.TextWidth(std::string(l)));
  const int lh = canvas.TextHeight(lb->Caption().empty() ? std::string("Ag") : lb->Caption());
  const LabelBlock b = PlaceTextLabel(x, y, widths, lh, lb->Alignment(), lb->VerticalAlignment());
  TPen& pen = canvas.Pen();
  TBrush& brush = canvas.Brush();
  pen.SetStyle(psSolid);
  pen.SetMode(pmCopy);
  const bool transparent = lb->Transparent();
  auto box = [&](const TRect& r, TColor outline, TColor fill, bool clear) {
    pen.SetColor(outline);
    brush.SetColor(fill);
    brush.SetStyle(clear ? bsClear : bsSolid);
    canvas.Rectangle(r);
  };
  switch (lb->Mode()) {
    case tlsimple:
      if (!transparent) box(b.Box, lb->ColorBkg(), lb->ColorBkg(), false);
      break;
    case tlBox: box(b.Box, lb->ColorBorder(), lb->ColorBkg(), transparent); break;
    case tlUnderline:
      if (!transparent) box(b.Box, lb->ColorBkg(), lb->ColorBkg(), false);
      pen.SetColor(lb->ColorBorder());
      canvas.MoveTo(b.X, b.Y);
      canvas.LineTo(b.X + b.BlockWidth, b.Y);
      break;
    case tlShadow: {
      const TRect s{b.Box.Left + lb->ShadowDx(), b.Box.Top + lb->ShadowDy(),
                    b.Box.Right + lb->ShadowDx(), b.Box.Bottom + lb->ShadowDy()};
      box(s, lb->ColorShadow(), lb->ColorShadow(), false);
      box(b.Box, lb->ColorBorder(), lb->ColorBkg(), transparent);
      break;
    }
    default: break;
  }
  brush.SetStyle(bsClear);
  for (std::size_t k = 0; k < lines.size(); ++k)
    canvas.TextOut(b.LineOrigins[k].X, b.LineOrigins[k].Y, std::string(lines[k]));
  brush.SetStyle(bsSolid);
}

void TCustomPlotra::PaintState::DrawMouseTrace(TCustomPlotra& P, TCanvas& canvas) {
  const std::vector<TMouseTracePoint>& trace = P.MouseTrace();
  if (trace.size() < 2) return;
  TPen& pen = canvas.Pen();
  const TColor savedColor = pen.Color();
  const TPenMode savedMode = pen.Mode();
  const TPenStyle savedStyle = pen.Style();
  pen.SetStyle(psSolid);
  auto at = [&](const TMouseTracePoint& p) {
    const TPoint q = P.WorldToPixel(P.ActiveLayer(), p.X, p.Y);
    return TPoint{ClampPlotraCoord(std::int64_t{q.X} - P.MarginLeft()),
                  ClampPlotraCoord(std::int64_t{q.Y} - P.MarginTop())};
  };
  for (std::size_t i = 1; i < trace.size(); ++i) {
    if (trace[i - 1].Flags & TMouseTracePoint::kStrokeEnd) continue;
    pen.SetColor(trace[i].Color);
    pen.SetMode((trace[i].Flags & TMouseTracePoint::kInverted) ? pmXor : pmCopy);
    const TPoint a = at(trace[i - 1]), b = at(trace[i]);
    canvas.MoveTo(a.X, a.Y);
    canvas.LineTo(b.X, b.Y);
  }
  pen.SetColor(savedColor);
  pen.SetMode(savedMode);
  pen.SetStyle(savedStyle);
}

void TCustomPlotra::PaintState::DrawCrossHairs(TCustomPlotra& P, TCanvas& canvas) {
  bool any = false;
  for (int n = 1; n <= kCrossHairs; ++n) any = any || P.CrossHair(n).Mode() != chOff;
  if (!any) return;
  TPen& pen = canvas.Pen();
  TBrush& brush = canvas.Brush();
  const TColor pc = pen.Color(), bc = brush.Color();
  const TPenStyle ps = pen.Style();
  const TBrushStyle bs = brush.Style();
  const int pw = pen.Width();
  const PlotraFrame f = Frame(P);
  for (int n = kCrossHairs; n >= 1; --n) {
    const TCrossHair& ch = P.CrossHair(n);
    if (ch.Mode() == chOff) continue;
    const TPoint p = P.WorldToPixel(ch.Layer(), ch.PosX(), ch.PosY());
    const CrossHairShape s = CrossHairLayout(ch.Mode(), p.X, p.Y, ch.LineWid(), f);
    pen.SetMode(pmCopy);
    pen.SetColor(ch.Color());
    pen.SetWidth(ch.LineWid());
    pen.SetStyle(ch.LineType());
    for (const Segment& seg : s.Lines) {
      canvas.MoveTo(seg.A.X, seg.A.Y);
      canvas.LineTo(seg.B.X, seg.B.Y);
    }
    brush.SetStyle(bsClear);
    for (const TRect& r : s.PenBoxes) canvas.Rectangle(r);
    pen.SetStyle(psSolid);
    pen.SetWidth(1);
    pen.SetColor(0xFFFFFF);
    for (const TRect& r : s.WhiteBoxes) canvas.Rectangle(r);
    pen.SetColor(0);
    for (const TRect& r : s.BlackBoxes) canvas.Rectangle(r);
  }
  pen.SetColor(pc);
  pen.SetStyle(ps);
  pen.SetWidth(pw);
  brush.SetColor(bc);
  brush.SetStyle(bs);
}

PlotraFrame TCustomPlotra::PaintState::Frame(const TCustomPlotra& P) {
  return {P.Width(), P.Height(), P.MarginLeft(), P.MarginRight(), P.MarginTop(), P.MarginBottom(),
          P.ShadowWidth()};
}

void TCustomPlotra::PaintState::DrawSurround(TCustomPlotra& P, TCanvas& c) {
  const int W = P.Width(), H = P.Height(), s = P.ShadowWidth();
  c.Pen().SetStyle(psSolid);
  c.Pen().SetMode(pmCopy);
  c.Pen().SetWidth(1);
  c.Pen().SetColor(P.WindColor());
  c.Brush().SetColor(P.WindColor());
  c.Brush().SetStyle(bsSolid);
  c.FillRect({0, 0, W, H});
  if (s > 0) {
    c.Brush().SetColor(P.ShadowBakColor());
    c.FillRect({W - s, 0, W, s});
    c.FillRect({0, H - s, s, H});
    c.Brush().SetColor(P.ShadowColor());
    c.Pen().SetColor(P.ShadowStyle() == ssFlying ? P.ShadowColor() : TColor{0});
    const ShadowShape shape = ShadowPolygons(W, H, s, P.ShadowStyle());
    c.Polygon(shape.Bottom);
    c.Polygon(shape.Right);
    c.Pen().SetColor(0);
    DrawRectOutline(c, 0, 0, W - s, H - s);
  }
  if (!P.Caption().empty()) {
    c.Pen().SetColor(P.ChartFrameColor());
    c.Brush().SetStyle(bsClear);
    c.Font().Assign(&P.Font());
    const std::string text = TrimCaption(
        P.Caption(), W - s - P.MarginLeft() - P.MarginRight(), P.CaptionTrim(),
        [&](std::string_view t) { return c.TextWidth(std::string(t)); });
    const TPoint o = CaptionOrigin(Frame(P), P.CaptionAnchorHoriz(), P.CaptionAnchorVert(),
                                   P.CaptionAlignment(), P.CaptionPosX(), P.CaptionPosY(),
                                   c.TextWidth(text));
    c.TextOut(o.X, o.Y, text);
    c.Brush().SetStyle(bsSolid);
  }
  P.CalcTransformCoefficients();
  // Scales draw themselves onto the control image; their tick events reach the chart's
  // handlers with the chart as sender.
  for (int axis = 0; axis < 2; ++axis)
    for (int n = 1; n <= kLayers; ++n) {
      const TScaleProps& p = axis == 0 ? static_cast<const TScaleProps&>(P.ScalePropsX(n))
                                       : static_cast<const TScaleProps&>(P.ScalePropsY(n));
      if (!p.Visible()) continue;
      TScale& sc = axis == 0 ? P.ScaleX(n) : P.ScaleY(n);
      if (P.OnScaleTickDrawn)
        sc.OnScaleTickDrawn = [&P](TObject*, TCanvas& cv, TScaleType t, double v, int x, int y) {
          if (P.OnScaleTickDrawn) P.OnScaleTickDrawn(&P, cv, t, v, x, y);
        };
      else
        sc.OnScaleTickDrawn = nullptr;
      if (P.OnBeforeTickLabel)
        sc.OnBeforeTickLabel = [&P](TObject*, TScaleType t, double v, std::string& text) {
          if (P.OnBeforeTickLabel) P.OnBeforeTickLabel(&P, t, v, text);
        };
      else
        sc.OnBeforeTickLabel = nullptr;
      c.Release();
      sc.SetExternalCanvas(&c, 0, 0);
      sc.ForcePaint();
      sc.SetExternalCanvas(nullptr, 0, 0);
    }
  if (P.OnScalesRendered) {
    c.Release();
    P.OnScalesRendered(&P, c, 0, 0);
  }
}

void TCustomPlotra::Paint() {
  if (PaintSuspended() || Loading() || !Visible()) return;
  const int w = Width(), h = Height();
  // Surround and chart area at the screen's resolution, so the area is copied pixel for
  // pixel instead of scaled up.
  controlImage_.SetPixelRatio(PixelRatio());
  controlImage_.SetSize(w, h);
  TCanvas& c = controlImage_.Canvas();
  Painting().DrawSurround(*this, c);
  ResizeChartImage();
  RenderItemsToImage(chartImage_);
  c.Draw(MarginLeft(), MarginTop(), chartImage_);
  Painting().DrawCrossHairs(*this, c);
  Canvas().Draw(0, 0, controlImage_);
}

void TCustomPlotra::RenderTo(TCanvas& c, const TImageOptions& options) {
  if (Loading() || Width() <= 0 || Height() <= 0) return;
  PaintState& ps = Painting();
  struct Flag {
    bool& f;
    ~Flag() { f = false; }
  } flag{ps.exporting};
  ps.exporting = true;
  ps.DrawSurround(*this, c);
  const TRect area = ChartArea();
  const int w = area.Right - area.Left, h = area.Bottom - area.Top;
  if (w > 0 && h > 0) {
    if (c.OnPainter()) {
      // Vector pages take the items in place, clipped to the chart area.
      c.BeginViewport(area);
      try {
        DrawChartBackground(c, w, h);
        RenderItems(c);
      } catch (...) {
        c.EndViewport();
        throw;
      }
      c.EndViewport();
    } else {
      // At the picture's own pixel ratio, not an enlarged screen image.
      TBitmap image(w, h, c.PixelRatio());
      if (!image.Empty()) {
        RenderItemsToImage(image);
        c.Draw(area.Left, area.Top, image);
      }
    }
  }
  if (options.CrossHair) ps.DrawCrossHairs(*this, c);
}

void TCustomPlotra::DrawChartAreaToScreen() {
  if (PaintSuspended() || Loading()) return;
  ResizeChartImage();
  RenderItemsToImage(chartImage_);
  // The crosshairs are drawn onto the chart-area image, shifted into its coordinates.
  TCanvas& screen = Canvas();
  screen.Draw(MarginLeft(), MarginTop(), chartImage_);
  Painting().DrawCrossHairs(*this, screen);
}

}  // namespace dendrokit
