#include "chart/plotra.h"

#include <algorithm>
#include <cmath>
#include <new>

#include <QtGlobal>

#include "gfxbase/dialogs.h"
#include "gfxbase/errors.h"
#include "gfxbase/notify.h"

namespace dendrokit {

namespace {

constexpr std::array<TColor, TCustomPlotra::kLayers> kLayerScaleColors = {
    0,        128,      32768,    32896,    8388608,  8388736,  8421376,  8421504,
    12632256, 255,      65280,    65535,    16711680, 16711935, 16776960, 16777215};

// Margins beyond this leave no chart area on any screen and would overflow pixel sums.
constexpr int kMaxMargin = 30000;

int ClampLayer(int layer) { return std::clamp(layer, 1, TCustomPlotra::kLayers); }

template <typename E> bool ValidEnum(E v) {
  return static_cast<std::size_t>(v) < EnumCount<E>();
}

}  // namespace

// Keeps painting suspended for a scope and restores the previous state on exit; the
// normal exit repaints when it ends the suspension.
class PaintSuspension {
 public:
  explicit PaintSuspension(bool& flag) : flag_(flag), saved_(flag) { flag_ = true; }
  ~PaintSuspension() { flag_ = saved_; }
  bool WasSuspended() const { return saved_; }

 private:
  bool& flag_;
  bool saved_;
};

// ---- Construction ------------------------------------------------------------------------

TCustomPlotra::TCustomPlotra(QWidget* parent)
    : TCustomControl(parent),
      data_(std::make_shared<TPlItemContainer>()),
      annotation_(std::make_shared<TPlItemContainer>()),
      dataTexts_(std::make_shared<TLongTextArray>()),
      annotationTexts_(std::make_shared<TLongTextArray>()),
      textFont_(std::make_unique<TFont>()),
      aspect_(ScreenPixelAspect()),
      jointLayers_(std::make_unique<TJointLayers>(this)),
      backGroundImg_(std::make_unique<TBakGndImg>()) {
  textFont_->Assign(&Font());
  setFocusPolicy(Qt::StrongFocus);  // takes the focus, and with it the arrow and tab keys
  // A view of data, like Qt's graphics views: a layout gives it the room that is left.
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  classVisibleData_.fill(true);
  classVisibleAnnotation_.fill(true);
  layerVisible_.fill(true);
  for (int n = 1; n <= kCrossHairs; ++n) {
    auto ch = std::make_unique<TCrossHair>();
    ch->SetPosX(0.0);
    ch->SetPosY(0.0);
    ch->SetLayer(n);
    ch->SetColor(255);
    ch->SetMode(chOff);
    ch->SetLineType(psDashDotDot);
    ch->SetLineWid(1);
    crossHairs_[n - 1] = std::move(ch);
  }
  for (auto& slot : textLabels_) {
    auto tl = std::make_unique<TTextLabel>();
    tl->SetPosX(0.0);
    tl->SetPosY(0.0);
    tl->SetLayer(1);
    tl->SetAttachToData(tlamBoth);
    tl->SetAlignment(taCenter);
    tl->SetVerticalAlignment(vaBottom);
    tl->SetColorBkg(16777215);
    tl->SetColorBorder(0);
    tl->SetShadowDx(3);
    tl->SetShadowDy(3);
    tl->SetColorShadow(8421504);
    tl->SetTransparent(false);
    tl->SetCaption("");
    tl->SetFont(Font());
    tl->SetVisible(false);
    tl->SetMode(tlOff);
    slot = std::move(tl);
  }
  InitLayers();
  HookOwnedObjects();
  TCustomControl::SetBounds(Left(), Top(), 400, 300);
  standardLayout_ = pll_X1Bottom_Y1Left;
  SetStandardLayout(pll_X1Bottom_Y1Left);
  ResizeChartImage();
  BindSignals();
}

void TCustomPlotra::BindSignals() {
  using P = TCustomPlotra;
  BindEvent(OnBeforeRenderData, &P::beforeRenderData,
            [this](TObject*, TCanvas& c, int top, int left) { emit beforeRenderData(&c, top, left); });
  BindEvent(OnDataRendered, &P::dataRendered,
            [this](TObject*, TCanvas& c, int top, int left) { emit dataRendered(&c, top, left); });
  BindEvent(OnScalesRendered, &P::scalesRendered,
            [this](TObject*, TCanvas& c, int top, int left) { emit scalesRendered(&c, top, left); });
  BindEvent(OnBeforeRenderChartItem, &P::beforeRenderChartItem,
            [this](TObject*, TplChartItem& item, int index, bool annotation) {
              emit beforeRenderChartItem(item, index, annotation);
            });
  BindEvent(OnBeforeRenderText, &P::beforeRenderText,
            [this](TObject*, std::string& text, int index, bool annotation) {
              QString t = QString::fromStdString(text);
              emit beforeRenderText(t, index, annotation);
              text = t.toStdString();
            });
  BindEvent(OnScaleTickDrawn, &P::scaleTickDrawn,
            [this](TObject*, TCanvas& c, TScaleType t, double v, int x, int y) {
              emit scaleTickDrawn(&c, t, v, x, y);
            });
  BindEvent(OnBeforeTickLabel, &P::beforeTickLabel,
            [this](TObject*, TScaleType t, double v, std::string& label) {
              QString text = QString::fromStdString(label);
              emit beforeTickLabel(t, v, text);
              label = text.toStdString();
            });
  BindEvent(OnMouseMoveInChart, &P::mouseMovedInChart,
            [this](TObject*, bool inChart, TShiftState shift, double x, double y) {
              emit mouseMovedInChart(inChart, shift, x, y);
            });
  BindEvent(OnZoomPan, &P::zoomPanned, [this](TObject*) { emit zoomPanned(); });
  BindEvent(OnRubberBand, &P::rubberBand,
            [this](TObject*, int layer, double loX, double loY, double hiX, double hiY) {
              emit rubberBand(layer, loX, loY, hiX, hiY);
            });
  BindEvent(OnSelectRect, &P::selectRect,
            [this](TObject*, int layer, double loX, double loY, double hiX, double hiY) {
              emit selectRect(layer, loX, loY, hiX, hiY);
            });
  BindEvent(OnBeforeCrossHairMove, &P::beforeCrossHairMove,
            [this](TObject*, int which, int dx, int dy, bool& allow) {
              emit beforeCrossHairMove(which, dx, dy, allow);
            });
  BindEvent(OnCrossHairMove, &P::crossHairMoved,
            [this](TObject*, int which) { emit crossHairMoved(which); });
  BindEvent(OnTextLabelMove, &P::textLabelMoved,
            [this](TObject*, int which) { emit textLabelMoved(which); });
}

TCustomPlotra::~TCustomPlotra() {
  LeaveSource();
  for (TCustomPlotra* u : users_) u->source_ = nullptr;
  users_.clear();
  for (auto& ch : crossHairs_) ch->OnChange = nullptr;
  for (auto& tl : textLabels_) tl->OnChange = nullptr;
  for (auto& p : propsX_) p->OnChange = nullptr;
  for (auto& p : propsY_) p->OnChange = nullptr;
  jointLayers_->OnChange = nullptr;
  backGroundImg_->OnChange = nullptr;
}

void TCustomPlotra::InitLayers() {
  for (int n = 1; n <= kLayers; ++n) {
    const bool odd = n % 2 == 1;
    auto px = std::make_unique<TScalePropsHoriz>();
    auto py = std::make_unique<TScalePropsVert>();
    px->StoreScaleType(odd ? sctXT : sctXB);
    py->StoreScaleType(odd ? sctYR : sctYL);
    px->StoreScalePos((n - 1) / 2 * 30);
    py->StoreScalePos((n - 1) / 2 * 50);
    px->StoreColorScale(kLayerScaleColors[n - 1]);
    py->StoreColorScale(kLayerScaleColors[n - 1]);
    // Code-built charts are loaded once constructed; a stored form loads between the
    // chart's BeginLoading and EndLoading, which the objects see through their owner.
    px->SetLoadingFlag(false);
    py->SetLoadingFlag(false);
    px->SetOwnerControl(this);
    py->SetOwnerControl(this);
    propsX_[n - 1] = std::move(px);
    propsY_[n - 1] = std::move(py);
    for (int axis = 0; axis < 2; ++axis) {
      auto s = std::make_unique<TScale>();
      s->SetName((axis == 0 ? "PL_FScale_X_" : "PL_FScale_Y_") + std::to_string(n));
      s->SetTransparent(true);
      s->SetEmbedded(true);
      s->SetFrameStyle(fsNone);
      s->SetColorBackGnd(windColor_);
      s->OnScaleTickDrawn = [this](TObject*, TCanvas& c, TScaleType t, double v, int x, int y) {
        if (OnScaleTickDrawn) OnScaleTickDrawn(this, c, t, v, x, y);
      };
      s->OnBeforeTickLabel = [this](TObject*, TScaleType t, double v, std::string& label) {
        if (OnBeforeTickLabel) OnBeforeTickLabel(this, t, v, label);
      };
      (axis == 0 ? scalesX_ : scalesY_)[n - 1] = std::move(s);
    }
  }
}

// Every owned settings object reports to this chart; called again after copying, since
// the objects' Assign hands over the source's handlers.
void TCustomPlotra::HookOwnedObjects() {
  for (auto& p : propsX_) p->OnChange = [this](TObject*) { ScalePropsChanged(); };
  for (auto& p : propsY_) p->OnChange = [this](TObject*) { ScalePropsChanged(); };
  for (auto& ch : crossHairs_) ch->OnChange = [this](TObject*) { RepaintIfAuto(); };
  for (auto& tl : textLabels_) tl->OnChange = [this](TObject*) { RepaintIfAuto(); };
  jointLayers_->SetOwner(this);
  jointLayers_->OnChange = [this](TObject*) { RepaintIfAuto(); };
  backGroundImg_->OnChange = [this](TObject*) { RepaintIfAuto(); };
}

QSize TCustomPlotra::sizeHint() const { return {400, 300}; }

QSize TCustomPlotra::minimumSizeHint() const {
  return {marginLeft_ + marginRight_ + shadowWidth_ + 80,
          marginTop_ + marginBottom_ + shadowWidth_ + 20};
}

void TCustomPlotra::SetBounds(int left, int top, int width, int height) {
  const QSize m = minimumSizeHint();
  TCustomControl::SetBounds(left, top, std::max(width, m.width()), std::max(height, m.height()));
}

// ---- Item store ----------------------------------------------------------------------------

void TCustomPlotra::RaiseNoMemory() const {
  throw EVELPlotraError(ComponentMessage(Name(), ": not enough memory on heap"));
}

void TCustomPlotra::AddTextAt(int size, const std::string& text, double x, double y) {
  AddTextItem(size, text, x, y, 0, 0, textAlignment_, 0);
}

void TCustomPlotra::AddTextItem(int size, const std::string& text, double x, double y, int dx,
                                int dy, TAlignment alignment, std::uint8_t /*coordMode*/) {
  // Pixel placement is for the annotation list (AddAnnotationText): every data-list item
  // is in world units.
  AppendTextTo(false, activeLayer_, size, text, x, y, dx, dy, alignment, 0, dataColor_);
}

void TCustomPlotra::ClearItems() {
  ResizeChartImage();
  DrawChartBackground(chartImage_.Canvas(), chartImage_.Width(), chartImage_.Height());
  // A fresh list: charts outside the group that still hold the old one keep it intact.
  try {
    data_ = std::make_shared<TPlItemContainer>();
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  mouseTrace_.clear();
  mouseTrace_.shrink_to_fit();
  Publish();
}

void TCustomPlotra::ShowItems() {
  if (Visible()) {
    Publish();
    if (autoRedraw_)
      DrawChartAreaToScreen();
    else
      Repaint();
  }
  if (source_) {
    source_->RepaintGroupMember();
    for (TCustomPlotra* u : source_->users_) u->RepaintGroupMember();
  }
  for (TCustomPlotra* u : users_) u->RepaintGroupMember();
}

std::string TCustomPlotra::ItemText(bool annotation, int index) const {
  const TPlItemContainer& list = annotation ? *annotation_ : *data_;
  if (index < 0 || index >= list.Count()) return {};
  const TplChartItem& item = list[index];
  if (item.LineWidth >= 1) {
    const TLongTextArray* table = list.TextTable(index);
    if (!table) table = &LongTexts(annotation);
    const std::string_view whole = table->Text(item.LineWidth);
    if (!whole.empty()) return std::string(whole);
  }
  return std::string(item.ShortText.View());
}

void TCustomPlotra::SetPenStyle(TPenStyle v) {
  if (ValidEnum(v)) penStyle_ = v;
}

void TCustomPlotra::SetTextBkStyle(TTextBkg v) {
  if (ValidEnum(v)) textBkStyle_ = v;
}

void TCustomPlotra::SetTextAlignment(TAlignment v) {
  if (!ValidEnum(v)) return;
  textAlignment_ = v;
  RepaintIfAuto();
}

void TCustomPlotra::SetTextFont(const TFont& v) {
  if (&v != textFont_.get()) textFont_->Assign(&v);
}

void TCustomPlotra::SetTextFontStyle(TFontStyles v) { textFont_->SetStyle(v); }

void TCustomPlotra::SetAllocSize(int v) {
  if (v >= 1 && v <= 1000000) allocSize_ = v;
}

// ---- Sharing ---------------------------------------------------------------------------------

// Gives this chart's list to its source, the source's users and its own users.
void TCustomPlotra::Publish() {
  // Members normally hold this list already; comparing first spares the reference counts.
  auto give = [this](TCustomPlotra* member) {
    if (member->data_ != data_) member->data_ = data_;
  };
  if (source_) {
    give(source_);
    for (TCustomPlotra* u : source_->users_) give(u);
  }
  for (TCustomPlotra* u : users_) give(u);
}

void TCustomPlotra::LeaveSource() {
  if (!source_) return;
  auto& list = source_->users_;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  source_ = nullptr;
}

TCustomPlotra* TCustomPlotra::DataUser(int index) const {
  if (index < 1 || index > DataUserCount()) return nullptr;
  return users_[static_cast<std::size_t>(index - 1)];
}

void TCustomPlotra::SetUseDataOf(TCustomPlotra* source) {
  if (source == this) {
    ShowInformation("Plotra: Cannot share data with myself");
    return;
  }
  if (!users_.empty()) {
    ShowInformation("Plotra: Cannot use foreign data. Other Plotras are using my own data.");
    return;
  }
  if (source == source_) return;
  if (source) {
    TCustomPlotra* root = source->source_ ? source->source_ : source;
    if (root == source_) return;
    if (static_cast<int>(root->users_.size()) >= kMaxSharers) {
      ShowInformation("Plotra: Max. number of data shares exceeded");
      return;
    }
    root->users_.reserve(root->users_.size() + 1);
    LeaveSource();
    data_ = root->data_;
    source_ = root;
    root->users_.push_back(this);
  } else {
    LeaveSource();
  }
  RepaintIfAuto();
}

void TCustomPlotra::RepaintGroupMember() {
  if (autoRedraw_) Repaint();
}

// ---- Coordinates -----------------------------------------------------------------------------

TRect TCustomPlotra::ChartArea() const {
  const int w = std::max(0, Width() - marginLeft_ - marginRight_ - shadowWidth_ + 1);
  const int h = std::max(0, Height() - marginTop_ - marginBottom_ - shadowWidth_ + 1);
  return {marginLeft_, marginTop_, marginLeft_ + w, marginTop_ + h};
}

void TCustomPlotra::ResizeChartImage() {
  const TRect r = ChartArea();
  chartImage_.SetPixelRatio(PixelRatio());
  chartImage_.SetSize(r.Right - r.Left, r.Bottom - r.Top);
}

void TCustomPlotra::CalcTransformCoefficients() {
  if (Loading()) return;
  const int w = Width(), h = Height();
  for (int i = 0; i < kLayers; ++i) {
    const TScalePropsHoriz& px = *propsX_[i];
    const TScalePropsVert& py = *propsY_[i];
    TAxisTransform tx, ty;
    const TAxisSpan sx{w,           marginLeft_,      w - marginRight_ - shadowWidth_,
                       px.RangeLow(), px.RangeHigh(), px.Logarithmic(), false};
    const TAxisSpan sy{h,           h - marginBottom_ - shadowWidth_, marginTop_,
                       py.RangeLow(), py.RangeHigh(), py.Logarithmic(), true};
    if (!CalcAxisTransform(sx, tx) || !CalcAxisTransform(sy, ty))
      throw EVELPlotraError("Logarithmic axis must not be negative.");
    transX_[i] = tx;
    transY_[i] = ty;
  }
}

const TAxisTransform& TCustomPlotra::TransformX(int layer) const {
  return transX_[ClampLayer(layer) - 1];
}

const TAxisTransform& TCustomPlotra::TransformY(int layer) const {
  return transY_[ClampLayer(layer) - 1];
}

TPoint TCustomPlotra::WorldToPixel(int layer, double x, double y) const {
  const int i = ClampLayer(layer) - 1;
  const TScalePropsHoriz& px = *propsX_[i];
  const TScalePropsVert& py = *propsY_[i];
  return {WorldToPixelAxis(transX_[i], px.Logarithmic(), px.RangeLow(), px.RangeHigh(), x, 0,
                           Width()),
          WorldToPixelAxis(transY_[i], py.Logarithmic(), py.RangeLow(), py.RangeHigh(), y,
                           Height(), 0)};
}

TWorldPoint TCustomPlotra::PixelToWorld(int layer, int px, int py) const {
  const int i = ClampLayer(layer) - 1;
  return {PixelToWorldAxis(transX_[i], propsX_[i]->Logarithmic(), px),
          PixelToWorldAxis(transY_[i], propsY_[i]->Logarithmic(), py)};
}

// Step 3 of a range change for one axis: too narrow keeps the old range; a logarithmic
// axis takes only ends that are not negative.
void TCustomPlotra::ApplyLayerRange(int layer, bool isX, double low, double high) {
  TScaleProps& p = isX ? static_cast<TScaleProps&>(*propsX_[layer - 1])
                       : static_cast<TScaleProps&>(*propsY_[layer - 1]);
  if (!std::isfinite(low) || !std::isfinite(high)) return;
  if (p.MinRange() * 0.99 > std::fabs(high - low)) return;
  if (p.Logarithmic()) {
    p.StoreRange(low < 0.0 ? p.RangeLow() : low, high < 0.0 ? p.RangeHigh() : high);
  } else {
    p.StoreRange(low, high);
  }
}

void TCustomPlotra::ChangeRange(int layer, double xLow, double xHigh, double yLow,
                                double yHigh) {
  if (layer < 1 || layer > kLayers) return;
  bool repaint = false;
  {
    PaintSuspension suspend(paintSuspended_);
    const TJointLayers& j = *jointLayers_;
    if (j.XControlledBy(layer) != layer) {
      xLow = propsX_[layer - 1]->RangeLow();
      xHigh = propsX_[layer - 1]->RangeHigh();
    }
    if (j.YControlledBy(layer) != layer) {
      yLow = propsY_[layer - 1]->RangeLow();
      yHigh = propsY_[layer - 1]->RangeHigh();
    }
    ApplyLayerRange(layer, true, xLow, xHigh);
    ApplyLayerRange(layer, false, yLow, yHigh);
    HandPropsToScales(layer);
    CalcTransformCoefficients();
    for (int n = 1; n <= kLayers; ++n) {
      if (n == layer) continue;
      const int cx = j.XControlledBy(n), cy = j.YControlledBy(n);
      if (cx != layer && cy != layer) continue;
      ApplyLayerRange(n, true, propsX_[cx - 1]->RangeLow(), propsX_[cx - 1]->RangeHigh());
      ApplyLayerRange(n, false, propsY_[cy - 1]->RangeLow(), propsY_[cy - 1]->RangeHigh());
      HandPropsToScales(n);
      CalcTransformCoefficients();
    }
    repaint = !suspend.WasSuspended();
  }
  if (repaint) Repaint();
}

void TCustomPlotra::SetPaintSuspended(bool suspended) {
  paintSuspended_ = suspended;
  if (!suspended) Repaint();
}

void TCustomPlotra::RepaintIfAuto() {
  if (autoRedraw_) Repaint();
}

// ---- Scales ----------------------------------------------------------------------------------

TScalePropsHoriz& TCustomPlotra::ScalePropsX(int layer) { return *propsX_[ClampLayer(layer) - 1]; }
const TScalePropsHoriz& TCustomPlotra::ScalePropsX(int layer) const {
  return *propsX_[ClampLayer(layer) - 1];
}
TScalePropsVert& TCustomPlotra::ScalePropsY(int layer) { return *propsY_[ClampLayer(layer) - 1]; }
const TScalePropsVert& TCustomPlotra::ScalePropsY(int layer) const {
  return *propsY_[ClampLayer(layer) - 1];
}
TScale& TCustomPlotra::ScaleX(int layer) { return *scalesX_[ClampLayer(layer) - 1]; }
TScale& TCustomPlotra::ScaleY(int layer) { return *scalesY_[ClampLayer(layer) - 1]; }

void TCustomPlotra::SetScaleProps(int layer, const TScaleProps& v) {
  TScaleProps& own = (dynamic_cast<const TScalePropsHoriz*>(&v) != nullptr)
                         ? static_cast<TScaleProps&>(ScalePropsX(layer))
                         : static_cast<TScaleProps&>(ScalePropsY(layer));
  own.Assign(&v);
  // A free-standing object never finishes loading; its flag must not let this chart's
  // axis take Logarithmic past the range check.
  own.SetLoadingFlag(false);
  // Copying raises no notification; re-applying the ranges keeps joined layers and the
  // coefficients right without a repaint.
  PaintSuspension suspend(paintSuspended_);
  ScalePropsChanged();
}

namespace {

// Copies what a scale renderer draws from the axis settings.
void CopyToScale(const TScaleProps& p, TScale& s) {
  s.SetScaleType(p.ScaleType());
  s.SetRange(p.RangeLow(), p.RangeHigh());
  s.SetCaption(p.Caption());
  s.SetCaptionPosX(p.CaptionPosX());
  s.SetCaptionPosY(p.CaptionPosY());
  s.SetCaptionAlignment(p.CaptionAlignment());
  s.SetCaptionAnchor(p.CaptionAnchor());
  s.SetColorScale(p.ColorScale());
  // The label type first: the scale's own rules for it (ftTime sets 4 decimal places,
  // ftDateTime switches the logarithm off) must not overwrite the values copied after it.
  s.SetLabelType(p.LabelType());
  s.SetDecPlaces(p.DecPlaces());
  s.SetLogarithmic(p.Logarithmic());
  s.SetShortTicks(p.ShortTicks());
  s.SetMinTicks(p.MinTicks());
  s.SetScaleInscript(p.ScaleInscript());
  s.SetUserTickText(p.UserTickText());
  s.Font().Assign(&p.Font());
  s.SetDateFormat(p.DateFormat());
}

}  // namespace

void TCustomPlotra::HandPropsToScales(int layer) {
  const int i = ClampLayer(layer) - 1;
  const int w = Width(), h = Height();
  TScale& sx = *scalesX_[i];
  TScale& sy = *scalesY_[i];
  const TScalePropsHoriz& px = *propsX_[i];
  const TScalePropsVert& py = *propsY_[i];
  sx.SetSuppressPaint(true);
  sy.SetSuppressPaint(true);
  if (sx.Width() != w || sx.Height() != h) sx.SetBounds(0, 0, w, h);
  if (sy.Width() != w || sy.Height() != h) sy.SetBounds(0, 0, w, h);
  // The margin on the far side puts the axis on its edge of the chart area, ScalePos
  // further out. ScalePos is any stored integer: the sums are taken in 64 bits.
  auto margin = [](std::int64_t pos, std::int64_t rest) {
    return static_cast<int>(std::clamp<std::int64_t>(pos + rest, 0, std::int64_t{1} << 30));
  };
  if (px.ScaleType() == sctXB)
    sx.SetMarginBottom(margin(px.ScalePos(), h - marginTop_ - 1));
  else
    sx.SetMarginTop(margin(px.ScalePos(), h - marginBottom_ - shadowWidth_));
  sx.SetMarginLeft(marginLeft_);
  sx.SetMarginRight(marginRight_ + shadowWidth_ - 1);
  if (py.ScaleType() == sctYL)
    sy.SetMarginLeft(margin(py.ScalePos(), w - marginRight_ - shadowWidth_));
  else
    sy.SetMarginRight(margin(py.ScalePos(), w - marginLeft_ - 1));
  sy.SetMarginTop(marginTop_);
  sy.SetMarginBottom(marginBottom_ + shadowWidth_ - 1);
  CopyToScale(px, sx);
  CopyToScale(py, sy);
  sx.SetColorBackGnd(windColor_);
  sy.SetColorBackGnd(windColor_);
}

void TCustomPlotra::HandAllPropsToScales() {
  for (int n = 1; n <= kLayers; ++n) HandPropsToScales(n);
}

void TCustomPlotra::ScalePropsChanged() {
  if (Loading()) return;
  bool repaint = false;
  {
    PaintSuspension suspend(paintSuspended_);
    HandAllPropsToScales();
    for (int n = 1; n <= kLayers; ++n)
      ChangeRange(n, propsX_[n - 1]->RangeLow(), propsX_[n - 1]->RangeHigh(),
                  propsY_[n - 1]->RangeLow(), propsY_[n - 1]->RangeHigh());
    repaint = !suspend.WasSuspended();
  }
  if (repaint) Repaint();
}

// ---- Margins, size, isometric, layouts ------------------------------------------------------

void TCustomPlotra::MarginChanged() {
  // Layouts learn the new minimum; the control itself is raised to it only when it is next
  // resized (SetBounds), so margins may leave an empty chart area meanwhile.
  updateGeometry();
  ResizeChartImage();
  {
    PaintSuspension suspend(paintSuspended_);
    if (isometric_) ApplyIsometric();
    HandAllPropsToScales();
    CalcTransformCoefficients();
  }
  RepaintIfAuto();
}

void TCustomPlotra::SetFillColor(TColor v) {
  TNotifyScope notify(this);
  fillColor_ = v;
}

void TCustomPlotra::SetMarginLeft(int v) {
  TNotifyScope notify(this);
  marginLeft_ = std::clamp(v, 0, kMaxMargin);
  MarginChanged();
}
void TCustomPlotra::SetMarginRight(int v) {
  TNotifyScope notify(this);
  marginRight_ = std::clamp(v, 0, kMaxMargin);
  MarginChanged();
}
void TCustomPlotra::SetMarginTop(int v) {
  TNotifyScope notify(this);
  marginTop_ = std::clamp(v, 0, kMaxMargin);
  MarginChanged();
}
void TCustomPlotra::SetMarginBottom(int v) {
  TNotifyScope notify(this);
  marginBottom_ = std::clamp(v, 0, kMaxMargin);
  MarginChanged();
}
void TCustomPlotra::SetShadowWidth(int v) {
  shadowWidth_ = std::clamp(v, 0, 32);
  MarginChanged();
}

// Gives every layer's y range as many world units per pixel as its x range, corrected by
// the screen's pixel aspect.
void TCustomPlotra::ApplyIsometric() {
  const double areaW = Width() - marginLeft_ - marginRight_ - shadowWidth_ + 1;
  const double areaH = Height() - marginTop_ - marginBottom_ - shadowWidth_ + 1;
  if (areaW <= 0.0 || areaH <= 0.0) return;
  PaintSuspension suspend(paintSuspended_);
  for (int i = 0; i < kLayers; ++i) {
    TScalePropsVert& py = *propsY_[i];
    const TScalePropsHoriz& px = *propsX_[i];
    const double yc = (py.RangeHigh() + py.RangeLow()) / 2.0;
    const double half = (px.RangeHigh() - px.RangeLow()) * areaH / areaW * aspect_.Y /
                        aspect_.X / 2.0;
    py.SetRangeHigh(yc + half);
    py.SetRangeLow(yc - half);
  }
}

void TCustomPlotra::SetIsometric(bool v) {
  isometric_ = v;
  if (!v) return;
  ApplyIsometric();
  RepaintIfAuto();
}

void TCustomPlotra::Resize() {
  TCustomControl::Resize();
  ResizeChartImage();
  PaintSuspension suspend(paintSuspended_);
  if (isometric_) ApplyIsometric();
  HandAllPropsToScales();
  CalcTransformCoefficients();
}

void TCustomPlotra::SetStandardLayout(TplLayout v) {
  TNotifyScope notify(this);
  if (!ValidEnum(v)) return;
  standardLayout_ = v;
  const TLayoutSpec s = StandardLayoutSpec(v);
  {
    PaintSuspension suspend(paintSuspended_);
    marginLeft_ = s.MarginLeft;
    marginRight_ = s.MarginRight;
    marginTop_ = s.MarginTop;
    marginBottom_ = s.MarginBottom;
    captionPosX_ = s.CaptionX;
    captionPosY_ = s.CaptionY;
    captionAlignment_ = s.CaptionAlignment;
    captionAnchorHoriz_ = s.AnchorHoriz;
    captionAnchorVert_ = s.AnchorVert;
    auto apply = [](TScaleProps& p, const TLayoutScale& c) {
      p.captionPosX_ = c.CaptionX;
      p.captionPosY_ = c.CaptionY;
      p.captionAlignment_ = c.Alignment;
      p.captionAnchor_ = static_cast<TScaleUnitAnchor>(c.Anchor);
      p.scalePos_ = c.ScalePos;
      p.visible_ = c.Visible;
    };
    for (int n = 1; n <= 4; ++n) {
      TScalePropsHoriz& px = *propsX_[n - 1];
      TScalePropsVert& py = *propsY_[n - 1];
      apply(px, s.X[n - 1]);
      apply(py, s.Y[n - 1]);
      const auto hx = static_cast<TScaleLocationHoriz>(s.X[n - 1].Location);
      const auto vy = static_cast<TScaleLocationVert>(s.Y[n - 1].Location);
      px.location_ = hx;
      px.scaleType_ = hx == slTop ? sctXB : sctXT;
      py.location_ = vy;
      py.scaleType_ = vy == slLeft ? sctYR : sctYL;
    }
    for (int n = 5; n <= kLayers; ++n) {
      propsX_[n - 1]->visible_ = false;
      propsY_[n - 1]->visible_ = false;
    }
    updateGeometry();
    ResizeChartImage();
    HandAllPropsToScales();
    CalcTransformCoefficients();
  }
  if (!paintSuspended_) Repaint();
}

// ---- Settings objects ------------------------------------------------------------------------

void TCustomPlotra::SetJointLayers(const TJointLayers& v) {
  if (&v == jointLayers_.get()) return;
  jointLayers_->Assign(&v);
  // Layers joined by the copy take their controllers' ranges now, not at the controller's
  // next change.
  {
    PaintSuspension suspend(paintSuspended_);
    ScalePropsChanged();
  }
  RepaintIfAuto();
}

void TCustomPlotra::SetBackGroundImg(const TBakGndImg& v) {
  if (&v == backGroundImg_.get()) return;
  backGroundImg_->Assign(&v);
  RepaintIfAuto();
}

TCrossHair& TCustomPlotra::CrossHair(int n) {
  return *crossHairs_[std::clamp(n, 1, kCrossHairs) - 1];
}
const TCrossHair& TCustomPlotra::CrossHair(int n) const {
  return *crossHairs_[std::clamp(n, 1, kCrossHairs) - 1];
}

void TCustomPlotra::SetCrossHair(int n, const TCrossHair& v) {
  TCrossHair& own = CrossHair(n);
  if (&v == &own) return;
  own.Assign(&v);
  own.OnChange = [this](TObject*) { RepaintIfAuto(); };
  RepaintIfAuto();
}

TTextLabel* TCustomPlotra::TextLabel(int n) {
  return n >= 1 && n <= kTextLabels ? textLabels_[n - 1].get() : nullptr;
}
const TTextLabel* TCustomPlotra::TextLabel(int n) const {
  return n >= 1 && n <= kTextLabels ? textLabels_[n - 1].get() : nullptr;
}

// ---- Painting settings -----------------------------------------------------------------------

void TCustomPlotra::SetWindColor(TColor v) {
  windColor_ = v;
  for (auto& s : scalesX_) s->SetColorBackGnd(v);
  for (auto& s : scalesY_) s->SetColorBackGnd(v);
  RepaintIfAuto();
}
void TCustomPlotra::SetChartColor(TColor v) {
  chartColor_ = v;
  RepaintIfAuto();
}
void TCustomPlotra::SetChartFrameColor(TColor v) {
  chartFrameColor_ = v;
  RepaintIfAuto();
}
void TCustomPlotra::SetGridColor(TColor v) {
  gridColor_ = v;
  RepaintIfAuto();
}
void TCustomPlotra::SetGridStyle(GridStyleType v) {
  if (!ValidEnum(v)) return;
  gridStyle_ = v;
  RepaintIfAuto();
}
void TCustomPlotra::SetGridDx(double v) {
  if (!(v >= -3.0) || !std::isfinite(v)) return;
  gridDx_ = v;
  RepaintIfAuto();
}
void TCustomPlotra::SetGridDy(double v) {
  if (!(v >= -3.0) || !std::isfinite(v)) return;
  gridDy_ = v;
  RepaintIfAuto();
}
void TCustomPlotra::SetShadowStyle(TShadowStyle v) {
  if (!ValidEnum(v)) return;
  shadowStyle_ = v;
  RepaintIfAuto();
}
void TCustomPlotra::SetShadowColor(TColor v) {
  shadowColor_ = v;
  RepaintIfAuto();
}
void TCustomPlotra::SetShadowBakColor(TColor v) {
  shadowBakColor_ = v;
  RepaintIfAuto();
}
void TCustomPlotra::SetCaption(const std::string& v) {
  caption_ = v;
  RepaintIfAuto();
}
void TCustomPlotra::SetCaptionPosX(int v) {
  TNotifyScope notify(this);
  captionPosX_ = v;
  RepaintIfAuto();
}
void TCustomPlotra::SetCaptionPosY(int v) {
  TNotifyScope notify(this);
  captionPosY_ = v;
  RepaintIfAuto();
}
void TCustomPlotra::SetCaptionAlignment(TAlignment v) {
  TNotifyScope notify(this);
  if (!ValidEnum(v)) return;
  captionAlignment_ = v;
  RepaintIfAuto();
}
void TCustomPlotra::SetCaptionAnchorHoriz(TCaptionAnchorHoriz v) {
  TNotifyScope notify(this);
  if (!ValidEnum(v)) return;
  captionAnchorHoriz_ = v;
  RepaintIfAuto();
}
void TCustomPlotra::SetCaptionAnchorVert(TCaptionAnchorVert v) {
  TNotifyScope notify(this);
  if (!ValidEnum(v)) return;
  captionAnchorVert_ = v;
  RepaintIfAuto();
}
void TCustomPlotra::SetCaptionTrim(int v) {
  captionTrim_ = v == 0 ? 0 : std::clamp(v, 5, 100);
  RepaintIfAuto();
}
void TCustomPlotra::SetAvoidDuplicateMarks(bool v) {
  if (v == avoidDuplicateMarks_) return;
  avoidDuplicateMarks_ = v;
  Repaint();
}
void TCustomPlotra::SetMinDupMarkDist(int v) {
  v = std::clamp(v, 1, 3);
  if (v == minDupMarkDist_) return;
  minDupMarkDist_ = v;
  Repaint();
}

bool TCustomPlotra::ClassVisible(bool annotation, int itemClass) const {
  if (itemClass < 0 || itemClass > 255) return false;
  return (annotation ? classVisibleAnnotation_ : classVisibleData_)[itemClass];
}

bool TCustomPlotra::LayerVisible(int layer) const {
  return layer >= 1 && layer <= kLayers && layerVisible_[layer - 1];
}

void TCustomPlotra::SetMouseAction(TMouseActMode v) {
  if (ValidEnum(v)) mouseAction_ = v;
}

// ---- Toolkit hooks ---------------------------------------------------------------------------

void TCustomPlotra::Loaded() {
  TCustomControl::Loaded();
  for (auto& p : propsX_) p->SetLoadingFlag(false);
  for (auto& p : propsY_) p->SetLoadingFlag(false);
  HandAllPropsToScales();
  CalcTransformCoefficients();
  Repaint();
}

void TCustomPlotra::CreateWnd() {
  TCustomControl::CreateWnd();
  SetPaintSuspended(false);
}

void TCustomPlotra::resizeEvent(QResizeEvent* event) {
  try {
    TCustomControl::resizeEvent(event);
  } catch (const std::exception& e) {
    qWarning("TPlotra %s: %s", Name().c_str(), e.what());
  }
}

void TCustomPlotra::showEvent(QShowEvent* event) {
  try {
    TCustomControl::showEvent(event);
  } catch (const std::exception& e) {
    qWarning("TPlotra %s: %s", Name().c_str(), e.what());
  }
}

// ---- Copying ---------------------------------------------------------------------------------

void TCustomPlotra::AssignTo(TPersistent& dest) const {
  if (auto* chart = dynamic_cast<TCustomPlotra*>(&dest)) {
    chart->Assign(this);
    return;
  }
  TCustomControl::AssignTo(dest);
}

void TCustomPlotra::Assign(const TPersistent* source) {
  TNotifyScope notify(this);
  const auto* src = dynamic_cast<const TCustomPlotra*>(source);
  if (!src) {
    TCustomControl::Assign(source);
    return;
  }
  if (src == this) return;
  // Everything that can fail comes first, so a failure leaves this chart as it was.
  std::shared_ptr<TPlItemContainer> data, annotation;
  std::shared_ptr<TLongTextArray> dataTexts, annotationTexts;
  try {
    auto copyList = [&](const TPlItemContainer& l) {
      const std::int64_t cap =
          std::int64_t{src->allocSize_} * (l.Count() / src->allocSize_ + 1);
      return std::make_shared<TPlItemContainer>(l, cap);
    };
    data = copyList(*src->data_);
    annotation = copyList(*src->annotation_);
    dataTexts = std::make_shared<TLongTextArray>(*src->dataTexts_);
    annotationTexts = std::make_shared<TLongTextArray>(*src->annotationTexts_);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  data->RetargetTextTables(src->dataTexts_.get(), dataTexts);
  annotation->RetargetTextTables(src->annotationTexts_.get(), annotationTexts);

  const bool wasSuspended = paintSuspended_;
  paintSuspended_ = true;
  // Item settings.
  dataColor_ = src->dataColor_;
  fillColor_ = src->fillColor_;
  penStyle_ = src->penStyle_;
  classDefault_ = src->classDefault_;
  textBkStyle_ = src->textBkStyle_;
  textAlignment_ = src->textAlignment_;
  textFont_->Assign(src->textFont_.get());
  lineWidth_ = src->lineWidth_;
  allocSize_ = src->allocSize_;
  autoRedraw_ = src->autoRedraw_;
  activeLayer_ = src->activeLayer_;
  // Lists and texts.
  data_ = std::move(data);
  annotation_ = std::move(annotation);
  dataTexts_ = std::move(dataTexts);
  annotationTexts_ = std::move(annotationTexts);
  // Sharing: this chart becomes a user of the source's source (when there is room); it
  // cannot take over the source's users, which do not know it.
  LeaveSource();
  if (src->source_ && users_.empty() && src->source_ != this &&
      static_cast<int>(src->source_->users_.size()) < kMaxSharers) {
    source_ = src->source_;
    source_->users_.push_back(this);
    data_ = source_->data_;
  }
  // Geometry.
  marginLeft_ = src->marginLeft_;
  marginRight_ = src->marginRight_;
  marginTop_ = src->marginTop_;
  marginBottom_ = src->marginBottom_;
  shadowWidth_ = src->shadowWidth_;
  isometric_ = src->isometric_;
  standardLayout_ = src->standardLayout_;
  // Painting.
  windColor_ = src->windColor_;
  chartColor_ = src->chartColor_;
  chartFrameColor_ = src->chartFrameColor_;
  gridColor_ = src->gridColor_;
  gridStyle_ = src->gridStyle_;
  gridDx_ = src->gridDx_;
  gridDy_ = src->gridDy_;
  shadowStyle_ = src->shadowStyle_;
  shadowColor_ = src->shadowColor_;
  shadowBakColor_ = src->shadowBakColor_;
  caption_ = src->caption_;
  captionPosX_ = src->captionPosX_;
  captionPosY_ = src->captionPosY_;
  captionAlignment_ = src->captionAlignment_;
  captionAnchorHoriz_ = src->captionAnchorHoriz_;
  captionAnchorVert_ = src->captionAnchorVert_;
  captionTrim_ = src->captionTrim_;
  avoidDuplicateMarks_ = src->avoidDuplicateMarks_;
  minDupMarkDist_ = src->minDupMarkDist_;
  classVisibleData_ = src->classVisibleData_;
  classVisibleAnnotation_ = src->classVisibleAnnotation_;
  layerVisible_ = src->layerVisible_;
  // Mouse.
  mouseAction_ = src->mouseAction_;
  mouseCursorFixed_ = src->mouseCursorFixed_;
  panGridDx_ = src->panGridDx_;
  panGridDy_ = src->panGridDy_;
  panGridOffsX_ = src->panGridOffsX_;
  panGridOffsY_ = src->panGridOffsY_;
  mouseTraceColor_ = src->mouseTraceColor_;
  mouseTraceInvert_ = src->mouseTraceInvert_;
  // Settings objects; their Assign hands over the source's handlers, so hook them again.
  for (int i = 0; i < kLayers; ++i) {
    propsX_[i]->Assign(src->propsX_[i].get());
    propsY_[i]->Assign(src->propsY_[i].get());
  }
  for (int i = 0; i < kCrossHairs; ++i) crossHairs_[i]->Assign(src->crossHairs_[i].get());
  for (int i = 0; i < kTextLabels; ++i) textLabels_[i]->Assign(src->textLabels_[i].get());
  backGroundImg_->Assign(src->backGroundImg_.get());
  jointLayers_->Assign(src->jointLayers_.get());
  HookOwnedObjects();
  updateGeometry();
  ResizeChartImage();
  Publish();
  try {
    ScalePropsChanged();
  } catch (...) {
    paintSuspended_ = wasSuspended;
    throw;
  }
  paintSuspended_ = wasSuspended;
  if (!wasSuspended) Repaint();
}

}  // namespace dendrokit
