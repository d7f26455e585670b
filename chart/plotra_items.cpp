// The chart's plotting commands: one per item kind, the bulk scatter and polyline, the
// annotation list, and fitting the layers' ranges to their items.
#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "chart/plotfit.h"
#include "chart/plotra.h"
#include "gfxbase/errors.h"

namespace dendrokit {

namespace {

// Longest prefix of at most 15 bytes that does not cut a UTF-8 sequence.
std::string_view ShortPrefix(std::string_view text) {
  std::size_t n = std::min(text.size(), TShortString15::kMaxLength);
  if (n < text.size())
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return text.substr(0, n);
}

int ClampLayer(int layer) { return std::clamp(layer, 1, TCustomPlotra::kLayers); }

std::uint8_t MarkType(int type) { return static_cast<std::uint8_t>(std::clamp(type, 0, 255)); }

// A count of records that the list can take; more is the same as no memory.
int RecordCount(std::size_t n) {
  if (n > static_cast<std::size_t>(std::numeric_limits<int>::max())) throw std::bad_alloc();
  return static_cast<int>(n);
}

}  // namespace

TItemColor::TItemColor(const QColor& color) {
  if (!color.isValid()) return;
  color_ = QColorToColor(color);
  set_ = true;
}

// ---- Appending ---------------------------------------------------------------------------------

TPlItemContainer& TCustomPlotra::WritableData() {
  // A list also held outside the group (a chart that left it keeps what it last saw) is
  // copied before it changes, so that chart's picture stays as it was.
  const TCustomPlotra* root = source_ ? source_ : this;
  const long groupSize = 1 + static_cast<long>(root->users_.size());
  if (data_.use_count() > groupSize) {
    data_ = std::make_shared<TPlItemContainer>(*data_, data_->Capacity());
    Publish();  // the group keeps drawing one list even if the append that follows fails
  }
  return *data_;
}

TplChartItem TCustomPlotra::PlotItem(std::uint8_t kind, int layer, double x, double y, double x2,
                                     double y2, TItemColor color, TItemColor fill) const {
  TplChartItem it;
  it.Kind = kind;
  it.Layer = ClampLayer(layer);
  it.X = x;
  it.Y = y;
  it.X2 = x2;
  it.Y2 = y2;
  it.Color = color.Or(dataColor_);
  it.FillColor = fill.Or(fillColor_);
  it.PenStyle = penStyle_;
  it.ItemClass = classDefault_;
  it.LineWidth = lineWidth_;
  return it;
}

int TCustomPlotra::AppendData(const TplChartItem& item) {
  int index = 0;
  try {
    TPlItemContainer& list = WritableData();
    index = list.Count();
    list.Append(item, allocSize_);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  Publish();
  return index;
}

int TCustomPlotra::AppendTextTo(bool annotation, int layer, int size, const std::string& text,
                                double x, double y, int dx, int dy, TAlignment alignment,
                                std::uint8_t coordMode, TColor color) {
  int index = 0;
  try {
    TPlItemContainer& list = annotation ? *annotation_ : WritableData();
    std::shared_ptr<TLongTextArray>& table = annotation ? annotationTexts_ : dataTexts_;
    TplChartItem item;
    item.X = x;
    item.Y = y;
    item.X2 = dx;
    item.Y2 = dy;
    item.Kind = dx == 0 && dy == 0 ? ckText : ckOffsetText;
    item.Layer = ClampLayer(layer);
    item.ItemClass = classDefault_;
    item.Color = color;
    item.FillColor = fillColor_;
    item.PenStyle = penStyle_;
    item.Tag = 0;
    item.Size = size;
    item.BkStyle = textBkStyle_;
    item.Alignment = alignment;
    item.CoordMode = coordMode;
    item.ShortText.Assign(ShortPrefix(text));
    item.LineWidth = 0;
    // Everything that can fail happens before the list changes.
    const bool keepWhole =
        text.size() > TShortString15::kMaxLength && table->Count() < TLongTextArray::kSlots;
    std::string whole;
    if (keepWhole) {
      whole = text;
      list.ReserveTextTable();
      item.LineWidth = table->Count() + 1;
    }
    index = list.Count();
    list.Append(item, allocSize_);
    if (keepWhole) {
      list.SetTextTable(index, table);
      table->Add(std::move(whole));
    }
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  if (!annotation) Publish();
  return index;
}

// ---- One command per kind -----------------------------------------------------------------------

int TCustomPlotra::AddMark(int layer, double x, double y, int markType, TItemColor color) {
  TplChartItem it = PlotItem(ckMark, layer, x, y, 0, 0, color, {});
  it.Alignment = MarkType(markType);
  return AppendData(it);
}

int TCustomPlotra::AddLine(int layer, double x1, double y1, double x2, double y2,
                           TItemColor color) {
  return AppendData(PlotItem(ckLine, layer, x1, y1, x2, y2, color, {}));
}

int TCustomPlotra::AddMoveTo(int layer, double x, double y) {
  return AppendData(PlotItem(ckMoveTo, layer, x, y, 0, 0, {}, {}));
}

int TCustomPlotra::AddDrawTo(int layer, double x, double y, TItemColor color) {
  return AppendData(PlotItem(ckDrawTo, layer, x, y, 0, 0, color, {}));
}

int TCustomPlotra::AddRectangle(int layer, double x1, double y1, double x2, double y2,
                                TItemColor color, TItemColor fill, bool hollow) {
  TplChartItem it = PlotItem(ckRectangle, layer, x1, y1, x2, y2, color, fill);
  it.Hollow = hollow;
  return AppendData(it);
}

int TCustomPlotra::AddFramedBox(int layer, double x1, double y1, double x2, double y2,
                                TFrameStyle style, TItemColor fill, TItemColor edge1,
                                TItemColor edge2) {
  TplChartItem it = PlotItem(ckFramedBox, layer, x1, y1, x2, y2, {}, fill);
  it.FrameStyle = style;
  it.EdgeColor1 = edge1.Or(16777215);
  it.EdgeColor2 = edge2.Or(8421504);
  return AppendData(it);
}

int TCustomPlotra::Add3DBar(int layer, double x1, double y1, double x2, double y2, int depth,
                            int angle, TItemColor color, TItemColor fill) {
  TplChartItem it = PlotItem(ck3DBar, layer, x1, y1, x2, y2, color, fill);
  it.BkStyle = depth;
  it.Size = angle;
  return AppendData(it);
}

int TCustomPlotra::AddEllipse(int layer, double x, double y, double rx, double ry,
                              TItemColor color, TItemColor fill, bool hollow) {
  TplChartItem it = PlotItem(ckEllipse, layer, x, y, rx, ry, color, fill);
  it.Hollow = hollow;
  return AppendData(it);
}

int TCustomPlotra::AddArc(int layer, double x, double y, double rx, double ry, int startAngle,
                          int endAngle, TItemColor color) {
  TplChartItem it = PlotItem(ckArc, layer, x, y, rx, ry, color, {});
  it.Size = startAngle;
  it.BkStyle = endAngle;
  return AppendData(it);
}

int TCustomPlotra::AddArrow(int layer, double x1, double y1, double x2, double y2,
                            int headLength, TItemColor color, bool hollow) {
  TplChartItem it = PlotItem(ckArrow, layer, x1, y1, x2, y2, color, {});
  it.Size = headLength;
  it.Hollow = hollow;
  return AppendData(it);
}

int TCustomPlotra::AddDoubleArrow(int layer, double x1, double y1, double x2, double y2,
                                  int headLength, TItemColor color, bool hollow) {
  TplChartItem it = PlotItem(ckDoubleArrow, layer, x1, y1, x2, y2, color, {});
  it.Size = headLength;
  it.Hollow = hollow;
  return AppendData(it);
}

int TCustomPlotra::AddFixedSizeBox(int layer, double x, double y, int halfWidth,
                                   int halfHeight, TItemColor color, TItemColor fill,
                                   bool hollow) {
  TplChartItem it = PlotItem(ckFixedSizeBox, layer, x, y, 0, 0, color, fill);
  it.Size = halfWidth;
  it.BkStyle = halfHeight;
  it.Hollow = hollow;
  return AppendData(it);
}

int TCustomPlotra::AddErrorBar(int layer, double x, double y, double errX, double errY,
                               int markType, TItemColor color) {
  TplChartItem it = PlotItem(ckErrorBarMark, layer, x, y, errX, errY, color, {});
  it.Alignment = MarkType(markType);
  return AppendData(it);
}

int TCustomPlotra::AddShiftedLine(int layer, double x1, double y1, double x2, double y2, int dx,
                                  int dy, TItemColor color) {
  TplChartItem it = PlotItem(ckShiftedLine, layer, x1, y1, x2, y2, color, {});
  it.Size = dx;
  it.BkStyle = dy;
  return AppendData(it);
}

int TCustomPlotra::AddVertRule(int layer, double x, TItemColor color) {
  return AppendData(PlotItem(ckVertRule, layer, x, 0, 0, 0, color, {}));
}

int TCustomPlotra::AddHorizRule(int layer, double y, TItemColor color) {
  return AppendData(PlotItem(ckHorizRule, layer, 0, y, 0, 0, color, {}));
}

int TCustomPlotra::AddCross(int layer, double x, double y, double halfWidth, double halfHeight,
                            TItemColor color) {
  return AppendData(PlotItem(ckCross, layer, x, y, halfWidth, halfHeight, color, {}));
}

int TCustomPlotra::AddMoveBy(int layer, int dx, int dy) {
  return AppendData(PlotItem(ckMoveBy, layer, dx, dy, 0, 0, {}, {}));
}

int TCustomPlotra::AddDrawBy(int layer, int dx, int dy, TItemColor color) {
  return AppendData(PlotItem(ckDrawBy, layer, dx, dy, 0, 0, color, {}));
}

int TCustomPlotra::AddDrawByOffset(int layer, double x, double y, int dx, int dy,
                                   TItemColor color) {
  return AppendData(PlotItem(ckDrawByOffset, layer, x, y, dx, dy, color, {}));
}

int TCustomPlotra::AddText(int layer, double x, double y, const std::string& text, int size,
                           TItemColor color, int dx, int dy) {
  return AppendTextTo(false, layer, size, text, x, y, dx, dy, textAlignment_, 0,
                      color.Or(dataColor_));
}

// ---- Bulk commands ------------------------------------------------------------------------------

namespace {

// Appends copies of proto at the points xy(i) for i = 0..n-1, the first one of kind first,
// in one step (all of them or, when memory runs out, none). Returns the first index.
template <typename XY>
int AppendPoints(TPlItemContainer& list, int allocSize, const TplChartItem& proto, int n,
                 std::uint8_t first, XY xy) {
  const int index = list.Count();
  list.AppendMany(n, allocSize, proto, [&](TplChartItem& r, int i) {
    const std::size_t k = static_cast<std::size_t>(i);
    r.X = xy.X(k);
    r.Y = xy.Y(k);
    if (i == 0) r.Kind = first;
  });
  return index;
}

struct PointSpan {
  std::span<const TWorldPoint> p;
  double X(std::size_t k) const { return p[k].X; }
  double Y(std::size_t k) const { return p[k].Y; }
  std::size_t size() const { return p.size(); }
};
struct PairSpan {
  std::span<const double> xs, ys;
  double X(std::size_t k) const { return xs[k]; }
  double Y(std::size_t k) const { return ys[k]; }
  std::size_t size() const { return xs.size(); }
};

}  // namespace

void TCustomPlotra::CheckSameLength(std::size_t xs, std::size_t ys) const {
  if (xs != ys)
    throw EVELPlotraError("Component \"" + Name() + "\": " + std::to_string(xs) +
                          " x values but " + std::to_string(ys) + " y values");
}

template <typename XY>
int TCustomPlotra::AppendPointRecords(const TplChartItem& proto, std::uint8_t first, XY xy) {
  if (xy.size() == 0) return -1;
  int index = -1;
  try {
    index = AppendPoints(WritableData(), allocSize_, proto, RecordCount(xy.size()), first, xy);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  Publish();
  return index;
}

int TCustomPlotra::AddScatter(int layer, std::span<const TWorldPoint> points, int markType,
                              TItemColor color) {
  TplChartItem proto = PlotItem(ckMark, layer, 0, 0, 0, 0, color, {});
  proto.Alignment = MarkType(markType);
  return AppendPointRecords(proto, ckMark, PointSpan{points});
}

int TCustomPlotra::AddScatter(int layer, std::span<const double> xs, std::span<const double> ys,
                              int markType, TItemColor color) {
  CheckSameLength(xs.size(), ys.size());
  TplChartItem proto = PlotItem(ckMark, layer, 0, 0, 0, 0, color, {});
  proto.Alignment = MarkType(markType);
  return AppendPointRecords(proto, ckMark, PairSpan{xs, ys});
}

int TCustomPlotra::AddPolyline(int layer, std::span<const TWorldPoint> points, TItemColor color) {
  return AppendPointRecords(PlotItem(ckDrawTo, layer, 0, 0, 0, 0, color, {}), ckMoveTo,
                            PointSpan{points});
}

int TCustomPlotra::AddPolyline(int layer, std::span<const double> xs, std::span<const double> ys,
                               TItemColor color) {
  CheckSameLength(xs.size(), ys.size());
  return AppendPointRecords(PlotItem(ckDrawTo, layer, 0, 0, 0, 0, color, {}), ckMoveTo,
                            PairSpan{xs, ys});
}

// ---- Annotation list ----------------------------------------------------------------------------

int TCustomPlotra::AddAnnotation(const TplChartItem& item) {
  int index = 0;
  try {
    index = annotation_->Count();
    annotation_->Append(item, allocSize_);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  return index;
}

int TCustomPlotra::AddAnnotationText(int size, const std::string& text, double x, double y,
                                     int dx, int dy, TAlignment alignment,
                                     std::uint8_t coordMode) {
  return AppendTextTo(true, activeLayer_, size, text, x, y, dx, dy, alignment, coordMode,
                      dataColor_);
}

void TCustomPlotra::ClearAnnotations() {
  // A fresh list: a rendering that walks the old one keeps it alive until it ends.
  try {
    annotation_ = std::make_shared<TPlItemContainer>();
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
}

// ---- Fit to data --------------------------------------------------------------------------------

void TCustomPlotra::FitToData(int layer) {
  if (layer >= 1 && layer <= kLayers) FitLayers(layer);
}

void TCustomPlotra::FitToData() {
  const bool wasSuspended = paintSuspended_;
  paintSuspended_ = true;
  try {
    FitLayers(0);
  } catch (...) {
    paintSuspended_ = wasSuspended;
    throw;
  }
  paintSuspended_ = wasSuspended;
  if (!wasSuspended) Repaint();
}

// Isometric charts: the narrower axis (in world units per pixel) is widened about its
// centre, so that the ranges are isometric and still show every item; the correction that
// margins and resizing apply (ApplyIsometric) then leaves them as they are.
void TCustomPlotra::WidenToIsometric(double& xl, double& xh, double& yl, double& yh) const {
  const double areaW = Width() - marginLeft_ - marginRight_ - shadowWidth_ + 1;
  const double areaH = Height() - marginTop_ - marginBottom_ - shadowWidth_ + 1;
  if (areaW <= 0.0 || areaH <= 0.0) return;
  const double r = areaH / areaW * aspect_.Y / aspect_.X;  // y span per x span
  const double wx = std::fabs(xh - xl), wy = std::fabs(yh - yl);
  if (!(r > 0.0) || !std::isfinite(r) || !std::isfinite(wx * r) || !std::isfinite(wy / r)) return;
  auto widen = [](double& lo, double& hi, double width) {
    const double c = lo / 2 + hi / 2, half = (hi >= lo ? width : -width) / 2;
    lo = c - half;
    hi = c + half;
  };
  if (wy < wx * r)
    widen(yl, yh, wx * r);
  else
    widen(xl, xh, wy / r);
}

void TCustomPlotra::FitLayers(int only) {
  const TJointLayers& j = *jointLayers_;
  // One pass over both lists: each item counts on the axes of the layers that control its
  // own layer's axes (itself when free).
  std::array<TAxisExtent, kLayers + 1> ex, ey;
  for (int n = 1; n <= kLayers; ++n) {
    ex[n].Logarithmic = propsX_[n - 1]->Logarithmic();
    ey[n].Logarithmic = propsY_[n - 1]->Logarithmic();
  }
  std::array<int, kLayers + 1> cx{}, cy{};
  for (int n = 1; n <= kLayers; ++n) {
    cx[n] = std::clamp(j.XControlledBy(n), 1, kLayers);
    cy[n] = std::clamp(j.YControlledBy(n), 1, kLayers);
  }
  auto gather = [&](const TPlItemContainer& list) {
    list.ForEach([&](const TplChartItem& it, int) {
      if (it.Layer >= 1 && it.Layer <= kLayers)
        AddItemExtent(it, ex[cx[it.Layer]], ey[cy[it.Layer]]);
    });
  };
  gather(*data_);
  gather(*annotation_);
  // The fitted range keeps the axis's direction; an axis without values keeps its range.
  auto fit = [](const TScaleProps& p, const TAxisExtent& e, double& low, double& high) {
    low = p.RangeLow();
    high = p.RangeHigh();
    TAxisRange r;
    if (!FitAxisRange(e, p.MinTicks(), p.ShortTicks(), p.MinRange(), r)) return;
    const bool reversed = low > high;
    low = reversed ? r.High : r.Low;
    high = reversed ? r.Low : r.High;
  };
  for (int n = 1; n <= kLayers; ++n) {
    if (only != 0 && n != only) continue;
    // A layer joined on both axes follows its controllers: nothing of its own to fit.
    if (only == 0 && cx[n] != n && cy[n] != n) continue;
    double xl, xh, yl, yh;
    fit(*propsX_[n - 1], ex[n], xl, xh);
    fit(*propsY_[n - 1], ey[n], yl, yh);
    if (isometric_ && cx[n] == n && cy[n] == n && !propsX_[n - 1]->Logarithmic() &&
        !propsY_[n - 1]->Logarithmic())
      WidenToIsometric(xl, xh, yl, yh);
    ChangeRange(n, xl, xh, yl, yh);
  }
}

}  // namespace dendrokit
