#include "scale/scale.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "gfxbase/notify.h"

namespace dendrokit {

namespace {

// The end that keeps a range apart from v: v + 1, or the next representable value where
// adding 1 is lost in rounding (|v| >= 2^53), or the previous one at the top of the range.
double ApartFrom(double v) {
  double next = v + 1.0;
  if (next == v) next = std::nextafter(v, std::numeric_limits<double>::infinity());
  if (!std::isfinite(next)) next = std::nextafter(v, -std::numeric_limits<double>::infinity());
  return next;
}

void SetDateFormatDefaults(TDTLabel& f) {
  f.SetTimeFormat(tfHHMMSS);
  f.SetDateSeparator('-');
  f.SetTimeSeparator(':');
  f.SetYearLength(ylYYYY);
  f.SetMonthName(true);
  f.SetDateForTime(dtOnePerDay);
  f.SetDateOrder(doDDMMYY);
}

}  // namespace

TScale::TScale(QWidget* parent) : TCustomControl(parent), dateFormat_(std::make_unique<TDTLabel>()) {
  suppressPaint_ = true;
  SetBounds(Left(), Top(), 400, 400);
  InitDefaults();
  BindEvent(OnZoomPan, &TScale::zoomPanned, [this](TObject*) { emit zoomPanned(); });
  BindEvent(OnScaleTickDrawn, &TScale::scaleTickDrawn,
            [this](TObject*, TCanvas& c, TScaleType t, double v, int x, int y) {
              emit scaleTickDrawn(&c, t, v, x, y);
            });
  BindEvent(OnBeforeTickLabel, &TScale::beforeTickLabel,
            [this](TObject*, TScaleType t, double v, std::string& label) {
              QString text = QString::fromStdString(label);
              emit beforeTickLabel(t, v, text);
              label = text.toStdString();
            });
  BindEvent(OnBeforeScaleRendered, &TScale::beforeScaleRendered,
            [this](TObject*, TCanvas& c) { emit beforeScaleRendered(&c); });
  BindEvent(OnAfterScaleRendered, &TScale::afterScaleRendered,
            [this](TObject*, TCanvas& c) { emit afterScaleRendered(&c); });
}

TScale::~TScale() { dateFormat_->OnChange = nullptr; }

void TScale::HookDateFormat() {
  dateFormat_->OnChange = [this](TObject*) { Redraw(); };
}

void TScale::InitDefaults() {
  TNotifyScope notify(this);
  suppressPaint_ = true;
  loadingFlag_ = true;
  caption_.clear();
  captionPosX_ = 4;
  captionPosY_ = 4;
  captionAlignment_ = taCenter;
  captionAnchor_ = uaSclTopLft;
  colorBackGnd_ = clBtnFace;
  colorScale_ = 0;
  colorScheme_ = csBWG;
  decPlaces_ = -2;
  frameStyle_ = fsLowered;
  labelType_ = ftNum;
  logarithmic_ = false;
  marginLeft_ = marginRight_ = marginTop_ = marginBottom_ = 20;
  minTicks_ = 3;
  mouseAction_ = maNone;
  rangeLow_ = 0.0;
  rangeHigh_ = 100.0;
  shortTicks_ = true;
  showBaseLine_ = true;
  scaleType_ = sctXB;
  transparent_ = false;
  userTickText_.clear();
  OnZoomPan = nullptr;
  OnScaleTickDrawn = nullptr;
  OnBeforeTickLabel = nullptr;
  OnBeforeScaleRendered = nullptr;
  OnAfterScaleRendered = nullptr;
  mapping_ = TScaleMapping{};
  frameColor_ = 0;
  frameShadowColor_ = 0x808080;
  frameHighlightColor_ = 0xFFFFFF;
  embedded_ = false;
  externalCanvas_ = nullptr;
  externalOffsetX_ = 0;
  externalOffsetY_ = 0;
  dateFormat_->OnChange = nullptr;
  SetDateFormatDefaults(*dateFormat_);
  HookDateFormat();
  UpdateScaling();
}

// ---- Copying ---------------------------------------------------------------------------

void TScale::Assign(const TPersistent* source) {
  TNotifyScope notify(this);
  const auto* src = dynamic_cast<const TScale*>(source);
  if (!src) {
    TCustomControl::Assign(source);
    return;
  }
  if (src == this) return;
  frameStyle_ = src->frameStyle_;
  colorBackGnd_ = src->colorBackGnd_;
  colorScale_ = src->colorScale_;
  frameColor_ = src->frameColor_;
  frameShadowColor_ = src->frameShadowColor_;
  frameHighlightColor_ = src->frameHighlightColor_;
  colorScheme_ = src->colorScheme_;
  OnScaleTickDrawn = src->OnScaleTickDrawn;
  OnBeforeTickLabel = src->OnBeforeTickLabel;
  logarithmic_ = src->logarithmic_;
  mapping_ = src->mapping_;
  rangeHigh_ = src->rangeHigh_;
  rangeLow_ = src->rangeLow_;
  shortTicks_ = src->shortTicks_;
  numTicks_ = src->numTicks_;
  minTicks_ = src->minTicks_;
  decPlaces_ = src->decPlaces_;
  showBaseLine_ = src->showBaseLine_;
  transparent_ = src->transparent_;
  labelType_ = src->labelType_;
  // Assign hands over the source's handler too; this scale's object keeps notifying it.
  dateFormat_->Assign(src->dateFormat_.get());
  HookDateFormat();
  marginLeft_ = src->marginLeft_;
  marginRight_ = src->marginRight_;
  marginTop_ = src->marginTop_;
  marginBottom_ = src->marginBottom_;
  captionPosX_ = src->captionPosX_;
  captionPosY_ = src->captionPosY_;
  userTickText_ = src->userTickText_;
  scaleInscript_ = src->scaleInscript_;
  tickList_ = src->tickList_;
  caption_ = src->caption_;
  captionAnchor_ = src->captionAnchor_;
  captionAlignment_ = src->captionAlignment_;
  externalOffsetX_ = src->externalOffsetX_;
  externalOffsetY_ = src->externalOffsetY_;
  scaleType_ = src->scaleType_;
  embedded_ = src->embedded_;
  OnBeforeScaleRendered = src->OnBeforeScaleRendered;
  OnAfterScaleRendered = src->OnAfterScaleRendered;
  suppressPaint_ = src->suppressPaint_;
  Redraw();
}

void TScale::AssignTo(TPersistent& dest) const {
  if (auto* scale = dynamic_cast<TScale*>(&dest)) {
    scale->Assign(this);
    return;
  }
  TCustomControl::AssignTo(dest);
}

// ---- Properties ------------------------------------------------------------------------

void TScale::Changed() {
  updateGeometry();
  Redraw();
}

QSize TScale::minimumSizeHint() const {
  TBitmap probe(1, 1);
  TCanvas& c = probe.Canvas();
  c.Font().Assign(&Font());
  const int lines = labelType_ == ftDateTime ? 2 : 1;
  const TScaleMinSize m =
      ScaleMinimumSize(scaleType_, marginLeft_, marginRight_, marginTop_, marginBottom_,
                       c.TextWidth("-0.000"), c.TextHeight("0"), lines);
  return {m.Width, m.Height};
}

QSize TScale::sizeHint() const {
  const QSize m = minimumSizeHint();
  return IsHorizontal(scaleType_) ? QSize(std::max(m.width(), 200), m.height())
                                  : QSize(m.width(), std::max(m.height(), 200));
}

void TScale::SetCaption(const std::string& v) {
  caption_ = v;
  Changed();
}

void TScale::SetCaptionPosX(int v) {
  captionPosX_ = v;
  Changed();
}

void TScale::SetCaptionPosY(int v) {
  captionPosY_ = v;
  Changed();
}

void TScale::SetCaptionAlignment(TAlignment v) {
  if (v > taCenter) return;
  captionAlignment_ = v;
  Changed();
}

void TScale::SetCaptionAnchor(TScaleUnitAnchor v) {
  if (v > uaSclBotRgt) return;
  captionAnchor_ = v;
  Changed();
}

void TScale::SetColorBackGnd(TColor v) {
  if (v == colorBackGnd_) return;
  colorBackGnd_ = v;
  Changed();
}

void TScale::SetColorScale(TColor v) {
  if (v == colorScale_) return;
  colorScale_ = v;
  Changed();
}

void TScale::SetColorScheme(TColorScheme v) {
  if (v == colorScheme_ || v > csSystem) return;
  colorScheme_ = v;
  if (v == csBWG) {
    frameShadowColor_ = 0x808080;
    frameHighlightColor_ = 0xFFFFFF;
  } else {
    frameShadowColor_ = clBtnShadow;
    frameHighlightColor_ = clBtnHighlight;
  }
  Changed();
}

void TScale::SetDateFormat(const TDTLabel& v) {
  if (&v == dateFormat_.get()) return;
  dateFormat_->Assign(&v);
  HookDateFormat();
  Changed();
}

void TScale::SetDecPlaces(int v) {
  TNotifyScope notify(this);
  decPlaces_ = std::clamp(v, -3, 12);
  UpdateScaling();
  Changed();
}

void TScale::SetFrameStyle(TFrameStyle v) {
  if (v == frameStyle_ || v > fsEngraved) return;
  frameStyle_ = v;
  Changed();
}

void TScale::SetLabelType(TFigType v) {
  TNotifyScope notify(this);
  if (v > ftUserText) return;
  labelType_ = v;
  if (v == ftDateTime) logarithmic_ = false;
  if (v == ftTime) decPlaces_ = 4;
  UpdateScaling();
  Changed();
}

void TScale::SetLogarithmic(bool v) {
  TNotifyScope notify(this);
  // Until the end of loading (always, for a scale created at run time) the stored value
  // is taken as it is; afterwards only a range that a logarithm can map is accepted.
  if (v && !loadingFlag_ &&
      (!(rangeLow_ >= 1e-100) || !(rangeHigh_ >= 1e-100) || labelType_ == ftDateTime))
    return;
  logarithmic_ = v;
  UpdateScaling();
  Changed();
}

void TScale::SetMarginLeft(int v) {
  marginLeft_ = std::max(v, 0);
  UpdateScaling();
  Changed();
}

void TScale::SetMarginRight(int v) {
  marginRight_ = std::max(v, 0);
  UpdateScaling();
  Changed();
}

void TScale::SetMarginTop(int v) {
  marginTop_ = std::max(v, 0);
  UpdateScaling();
  Changed();
}

void TScale::SetMarginBottom(int v) {
  marginBottom_ = std::max(v, 0);
  UpdateScaling();
  Changed();
}

void TScale::SetMinTicks(int v) {
  minTicks_ = v == 0 ? 0 : std::clamp(v, 2, 10);
  Changed();
}

void TScale::SetMouseAction(TMouseActMode v) {
  TNotifyScope notify(this);
  mouseAction_ = v;
}

void TScale::SetRangeLow(double v) {
  TNotifyScope notify(this);
  if (!std::isfinite(v)) return;
  rangeLow_ = v;
  if (rangeLow_ == rangeHigh_) rangeHigh_ = ApartFrom(rangeLow_);
  UpdateScaling();
  Changed();
}

void TScale::SetRangeHigh(double v) {
  TNotifyScope notify(this);
  if (!std::isfinite(v)) return;
  rangeHigh_ = v;
  if (rangeHigh_ == rangeLow_) rangeLow_ = ApartFrom(rangeHigh_);
  UpdateScaling();
  Changed();
}

void TScale::SetRange(double low, double high) {
  TNotifyScope notify(this);
  if (!std::isfinite(low) || !std::isfinite(high)) return;
  rangeLow_ = low;
  rangeHigh_ = low == high ? ApartFrom(low) : high;
  UpdateScaling();
  Changed();
}

void TScale::SetShortTicks(bool v) {
  if (v == shortTicks_) return;
  shortTicks_ = v;
  Changed();
}

void TScale::SetShowBaseLine(bool v) {
  showBaseLine_ = v;
  Changed();
}

void TScale::SetScaleInscript(const std::string& v) {
  scaleInscript_ = v;
  Changed();
}

void TScale::SetScaleType(TScaleType v) {
  if (v == scaleType_ || v > sctYR) return;
  scaleType_ = v;
  UpdateScaling();
  Changed();
}

void TScale::SetTransparent(bool v) {
  transparent_ = v;
  Changed();
}

void TScale::SetUserTickText(const std::string& v) {
  userTickText_ = v;
  Changed();
}

// ---- Host operations -------------------------------------------------------------------

void TScale::SetExternalCanvas(TCanvas* canvas, int offsetX, int offsetY) {
  externalCanvas_ = canvas;
  externalOffsetX_ = offsetX;
  externalOffsetY_ = offsetY;
}

void TScale::SetExternalOffsetX(int v) {
  externalOffsetX_ = v;
  Changed();
}

void TScale::SetExternalOffsetY(int v) {
  externalOffsetY_ = v;
  Changed();
}

void TScale::SetSuppressPaint(bool v) {
  if (v == suppressPaint_) return;
  suppressPaint_ = v;
  if (!v) Redraw();
}

void TScale::ForcePaint() {
  const bool saved = suppressPaint_;
  suppressPaint_ = false;
  Repaint();
  suppressPaint_ = saved;
}

void TScale::SetEmbedded(bool v) {
  if (v == embedded_) return;
  embedded_ = v;
  Changed();
}

// Painting is synchronous throughout the library, so invalidating a transparent scale
// repaints it at once as well.
void TScale::Redraw() {
  if (!transparent_ || embedded_)
    Repaint();
  else
    Invalidate();
}

TScaleGeometry TScale::Geometry() const {
  TScaleGeometry g;
  g.ScaleType = scaleType_;
  g.Logarithmic = logarithmic_;
  g.RangeLow = rangeLow_;
  g.RangeHigh = rangeHigh_;
  g.Width = Width();
  g.Height = Height();
  g.MarginLeft = marginLeft_;
  g.MarginRight = marginRight_;
  g.MarginTop = marginTop_;
  g.MarginBottom = marginBottom_;
  return g;
}

ScaleTickSettings TScale::TickSettings() const {
  ScaleTickSettings s;
  s.rangeLow = rangeLow_;
  s.rangeHigh = rangeHigh_;
  s.logarithmic = logarithmic_;
  s.minTicks = minTicks_;
  s.decPlaces = decPlaces_;
  s.shortTicks = shortTicks_;
  s.labelType = labelType_;
  s.userTickText = userTickText_;
  s.scaleInscript = scaleInscript_;
  s.scaleType = scaleType_;
  const TDTLabel& f = *dateFormat_;
  s.dateFormat = DateFormatFields{f.TimeFormat(),  f.DateSeparator(), f.TimeSeparator(),
                                  f.YearLength(),  f.MonthName(),     f.DateOrder(),
                                  f.DateForTime()};
  return s;
}

void TScale::UpdateScaling() {
  if (Loading()) return;
  if (const auto m = CalcScaleMapping(Geometry())) mapping_ = *m;
}

int TScale::ValueToPixel(double v) const { return MapValueToPixel(mapping_, Geometry(), v); }

double TScale::TickValue(int index) const {
  if (index < 1 || index > numTicks_) return 0.0;
  return tickList_[static_cast<std::size_t>(index - 1)];
}

// ---- Toolkit hooks ---------------------------------------------------------------------

void TScale::Paint() {
  if (!Visible() || Loading() || suppressPaint_) return;
  // The own window keeps its last picture: a transparent scale first shows the window's
  // background again, as an invalidated window would.
  if (transparent_ && !externalCanvas_) {
    TCanvas& c = Canvas();
    c.Brush().SetColor(Color());
    c.Brush().SetStyle(bsSolid);
    c.FillRect({0, 0, Width(), Height()});
  }
  PaintScale();
}

void TScale::Loaded() {
  TCustomControl::Loaded();
  UpdateScaling();
  loadingFlag_ = false;
  Redraw();
}

void TScale::CreateWnd() {
  TCustomControl::CreateWnd();
  SetSuppressPaint(false);
}

void TScale::Resize() {
  TCustomControl::Resize();
  UpdateScaling();
}

// A drag counts only with the left button held inside the band along the axis.
void TScale::MouseMove(TShiftState shift, int x, int y) {
  TCustomControl::MouseMove(shift, x, y);
  if (!(shift & ssLeft)) return;
  const bool inside =
      IsHorizontal(scaleType_)
          ? marginLeft_ < x && std::int64_t{x} < std::int64_t{Width()} - marginRight_ && 0 < y &&
                y < Height()
          : 0 < x && x < Width() && marginTop_ < y &&
                std::int64_t{y} < std::int64_t{Height()} - marginBottom_;
  if (!inside) return;
  if (!dragging_) {
    dragStartX_ = x;
    dragStartY_ = y;
    dragStartLow_ = rangeLow_;
    dragStartHigh_ = rangeHigh_;
  } else {
    const TZoomPanResult r =
        CalcZoomPan(x, y, dragStartX_, dragStartY_, Width(), Height(), marginLeft_,
                    marginRight_, marginTop_, marginBottom_, dragStartLow_, dragStartHigh_,
                    mouseAction_, scaleType_, logarithmic_, rangeLow_, rangeHigh_);
    if (r.Changed) {
      const bool saved = suppressPaint_;
      suppressPaint_ = true;
      SetRange(r.NewLow, r.NewHigh);
      SetSuppressPaint(saved);
      if (OnZoomPan) OnZoomPan(this);
    }
  }
  dragging_ = true;
}

void TScale::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseUp(button, shift, x, y);
  dragging_ = false;
}

void TScale::DblClick() {
  TNotifyScope notify(this);
  if (mouseAction_ == maPan)
    mouseAction_ = maZoom;
  else if (mouseAction_ == maZoom)
    mouseAction_ = maPan;
  TCustomControl::DblClick();
}

}  // namespace dendrokit
