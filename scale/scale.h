// TScale: a control that shows one axis (base line, ticks, labels, caption, background and
// frame) and the axis renderer the dendrogram and the chart embed. What to draw comes from
// the tick plans of scale/ticks.h; this class maps values to pixels, places ticks and
// labels, records the drawn tick values and raises the drawing events.
#pragma once

#include "gfxbase/export.h"

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "gfxbase/canvas.h"
#include "gfxbase/control.h"
#include "gfxbase/enums.h"
#include "gfxbase/graphics_types.h"
#include "gfxbase/settings.h"
#include "gfxbase/types.h"
#include "scale/scale_mapping.h"
#include "scale/ticks.h"

namespace dendrokit {

// ChartX/ChartY: the tick's pixel on the base line, in the target canvas's coordinates.
using TScaleTickDrawnEvent =
    std::function<void(TObject* sender, TCanvas& canvas, TScaleType scaleType,
                       double currentTickPos, int chartX, int chartY)>;
// The handler may replace tickLabel before it is measured and drawn.
using TBeforeTickLabelEvent = std::function<void(TObject* sender, TScaleType scaleType,
                                                 double currentTickPos, std::string& tickLabel)>;
using TScaleRenderedEvent = std::function<void(TObject* sender, TCanvas& canvas)>;

class DENDROKIT_EXPORT TScale : public TCustomControl {
  Q_OBJECT
  // Qt properties: the published properties through their own getters and setters.
  Q_PROPERTY(QString caption READ CaptionQ WRITE setCaption)
  Q_PROPERTY(int captionPosX READ CaptionPosX WRITE setCaptionPosX)
  Q_PROPERTY(int captionPosY READ CaptionPosY WRITE setCaptionPosY)
  Q_PROPERTY(dendrokit::TAlignment captionAlignment READ CaptionAlignment WRITE setCaptionAlignment)
  Q_PROPERTY(dendrokit::TScaleUnitAnchor captionAnchor READ CaptionAnchor WRITE setCaptionAnchor)
  Q_PROPERTY(QColor colorBackGnd READ ColorBackGndQ WRITE setColorBackGnd)
  Q_PROPERTY(QColor colorScale READ ColorScaleQ WRITE setColorScale)
  Q_PROPERTY(dendrokit::TColorScheme colorScheme READ ColorScheme WRITE setColorScheme)
  Q_PROPERTY(int decPlaces READ DecPlaces WRITE setDecPlaces NOTIFY decPlacesChanged)
  Q_PROPERTY(dendrokit::TFrameStyle frameStyle READ FrameStyle WRITE setFrameStyle)
  Q_PROPERTY(dendrokit::TFigType labelType READ LabelType WRITE setLabelType)
  Q_PROPERTY(bool logarithmic READ Logarithmic WRITE setLogarithmic NOTIFY logarithmicChanged)
  Q_PROPERTY(int marginLeft READ MarginLeft WRITE setMarginLeft)
  Q_PROPERTY(int marginRight READ MarginRight WRITE setMarginRight)
  Q_PROPERTY(int marginTop READ MarginTop WRITE setMarginTop)
  Q_PROPERTY(int marginBottom READ MarginBottom WRITE setMarginBottom)
  Q_PROPERTY(int minTicks READ MinTicks WRITE setMinTicks)
  Q_PROPERTY(dendrokit::TMouseActMode mouseAction READ MouseAction WRITE setMouseAction
                 NOTIFY mouseActionChanged)
  Q_PROPERTY(double rangeLow READ RangeLow WRITE setRangeLow NOTIFY rangeChanged)
  Q_PROPERTY(double rangeHigh READ RangeHigh WRITE setRangeHigh NOTIFY rangeChanged)
  Q_PROPERTY(bool shortTicks READ ShortTicks WRITE setShortTicks)
  Q_PROPERTY(bool showBaseLine READ ShowBaseLine WRITE setShowBaseLine)
  Q_PROPERTY(QString scaleInscript READ ScaleInscriptQ WRITE setScaleInscript)
  Q_PROPERTY(dendrokit::TScaleType scaleType READ ScaleType WRITE setScaleType)
  Q_PROPERTY(bool transparent READ Transparent WRITE setTransparent)
  Q_PROPERTY(QString userTickText READ UserTickTextQ WRITE setUserTickText)

 public:
  DENDROKIT_QSTRING_ACCESSORS(Caption)
  DENDROKIT_QSTRING_ACCESSORS(ScaleInscript)
  DENDROKIT_QSTRING_ACCESSORS(UserTickText)
  DENDROKIT_QCOLOR_ACCESSORS(ColorBackGnd)
  DENDROKIT_QCOLOR_ACCESSORS(ColorScale)
  DENDROKIT_QT_SETTER(CaptionPosX, int)
  DENDROKIT_QT_SETTER(CaptionPosY, int)
  DENDROKIT_QT_SETTER(CaptionAlignment, TAlignment)
  DENDROKIT_QT_SETTER(CaptionAnchor, TScaleUnitAnchor)
  DENDROKIT_QT_SETTER(ColorScheme, TColorScheme)
  DENDROKIT_QT_SETTER(DecPlaces, int)
  DENDROKIT_QT_SETTER(FrameStyle, TFrameStyle)
  DENDROKIT_QT_SETTER(LabelType, TFigType)
  DENDROKIT_QT_SETTER(Logarithmic, bool)
  DENDROKIT_QT_SETTER(MarginLeft, int)
  DENDROKIT_QT_SETTER(MarginRight, int)
  DENDROKIT_QT_SETTER(MarginTop, int)
  DENDROKIT_QT_SETTER(MarginBottom, int)
  DENDROKIT_QT_SETTER(MinTicks, int)
  DENDROKIT_QT_SETTER(MouseAction, TMouseActMode)
  DENDROKIT_QT_SETTER(RangeLow, double)
  DENDROKIT_QT_SETTER(RangeHigh, double)
  DENDROKIT_QT_SETTER(ShortTicks, bool)
  DENDROKIT_QT_SETTER(ShowBaseLine, bool)
  DENDROKIT_QT_SETTER(ScaleType, TScaleType)
  DENDROKIT_QT_SETTER(Transparent, bool)

 signals:
  // Raised after the matching std::function event's handler, with the same arguments
  // (var parameters as references, so a direct connection may change them too).
  void zoomPanned();
  // Notify signals, once per real change by any path: the range (setters, SetRange, mouse
  // pan and zoom, Assign; zoomPanned stays OnZoomPan's signal), Logarithmic and DecPlaces
  // (LabelType changes them too), MouseAction (a double click switches it).
  void rangeChanged();
  void logarithmicChanged();
  void decPlacesChanged();
  void mouseActionChanged();
  void scaleTickDrawn(dendrokit::TCanvas* canvas, dendrokit::TScaleType scaleType,
                      double currentTickPos, int chartX, int chartY);
  void beforeTickLabel(dendrokit::TScaleType scaleType, double currentTickPos,
                       QString& tickLabel);
  void beforeScaleRendered(dendrokit::TCanvas* canvas);
  void afterScaleRendered(dendrokit::TCanvas* canvas);

 public:
  // Number of tick values one drawing records.
  static constexpr int kTickListSize = 250;

  explicit TScale(QWidget* parent = nullptr);
  ~TScale() override;
  std::string_view ClassName() const override { return "TScale"; }

  // Resets every setting (except ScaleInscript and the toolkit properties) to its
  // default, clears caption, user tick text and the five scale events, drops the external
  // canvas and sets SuppressPaint. Hosts call it to reset an embedded scale.
  void InitDefaults();

  // Copies the settings of another TScale (not MouseAction, OnZoomPan, the external
  // canvas, the font, the size or the drag state) and redraws. Other sources fall back to
  // the standard copy protocol.
  void Assign(const TPersistent* source) override;

  // ---- Published properties ----
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v);
  int CaptionPosX() const { return captionPosX_; }
  void SetCaptionPosX(int v);
  int CaptionPosY() const { return captionPosY_; }
  void SetCaptionPosY(int v);
  TAlignment CaptionAlignment() const { return captionAlignment_; }
  void SetCaptionAlignment(TAlignment v);
  TScaleUnitAnchor CaptionAnchor() const { return captionAnchor_; }
  void SetCaptionAnchor(TScaleUnitAnchor v);
  TColor ColorBackGnd() const { return colorBackGnd_; }
  void SetColorBackGnd(TColor v);
  TColor ColorScale() const { return colorScale_; }
  void SetColorScale(TColor v);
  // csBWG: grey and white frame; csSystem: the system button shadow and highlight.
  TColorScheme ColorScheme() const { return colorScheme_; }
  void SetColorScheme(TColorScheme v);
  // The scale keeps its own DateFormat object; setting copies the seven format fields.
  const TDTLabel& DateFormat() const { return *dateFormat_; }
  TDTLabel& DateFormat() { return *dateFormat_; }
  void SetDateFormat(const TDTLabel& v);
  // -3..12: decimals; -1 exponential; -2 automatic; -3 automatic / decade exponents.
  int DecPlaces() const { return decPlaces_; }
  void SetDecPlaces(int v);
  TFrameStyle FrameStyle() const { return frameStyle_; }
  void SetFrameStyle(TFrameStyle v);
  // ftDateTime switches Logarithmic off; ftTime sets DecPlaces to 4.
  TFigType LabelType() const { return labelType_; }
  void SetLabelType(TFigType v);
  // Switching on is refused (ignored) after loading while a range end is below 1e-100 or
  // the labels are ftDateTime.
  bool Logarithmic() const { return logarithmic_; }
  void SetLogarithmic(bool v);
  // Margins between the control's edges and the axis ends; negative values become 0.
  int MarginLeft() const { return marginLeft_; }
  void SetMarginLeft(int v);
  int MarginRight() const { return marginRight_; }
  void SetMarginRight(int v);
  int MarginTop() const { return marginTop_; }
  void SetMarginTop(int v);
  int MarginBottom() const { return marginBottom_; }
  void SetMarginBottom(int v);
  // 0 (one unit per major tick) or 2..10 major intervals at least.
  int MinTicks() const { return minTicks_; }
  void SetMinTicks(int v);
  TMouseActMode MouseAction() const { return mouseAction_; }
  void SetMouseAction(TMouseActMode v);
  // Number of tick values recorded by the last drawing (at most 250).
  int NumTicks() const { return numTicks_; }
  // Range ends are never equal: setting one equal to the other moves the other by 1 (or
  // by the smallest step where 1 is lost in rounding). Non-finite values are ignored.
  double RangeLow() const { return rangeLow_; }
  void SetRangeLow(double v);
  double RangeHigh() const { return rangeHigh_; }
  void SetRangeHigh(double v);
  bool ShortTicks() const { return shortTicks_; }
  void SetShortTicks(bool v);
  bool ShowBaseLine() const { return showBaseLine_; }
  void SetShowBaseLine(bool v);
  // Text around every numeric label; "&" marks where the number goes.
  const std::string& ScaleInscript() const { return scaleInscript_; }
  void SetScaleInscript(const std::string& v);
  // Values outside the four scale types are ignored.
  TScaleType ScaleType() const { return scaleType_; }
  void SetScaleType(TScaleType v);
  // Transparent scales draw without background and frame (on their own window over its
  // background colour Color()).
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  // "|"-separated label texts of ftUserText.
  const std::string& UserTickText() const { return userTickText_; }
  void SetUserTickText(const std::string& v);

  // ---- Host operations ----
  // Paints into canvas from now on (nullptr: back to the own window), shifted across the
  // axis by the offsets. Does not repaint.
  void SetExternalCanvas(TCanvas* canvas, int offsetX, int offsetY);
  // The scale's picture (see TCustomControl::RenderTo), whatever canvas it normally uses.
  void RenderTo(TCanvas& canvas, const TImageOptions& options) override;
  TCanvas* ExternalCanvas() const { return externalCanvas_; }
  int ExternalOffsetX() const { return externalOffsetX_; }
  void SetExternalOffsetX(int v);
  int ExternalOffsetY() const { return externalOffsetY_; }
  void SetExternalOffsetY(int v);
  // While set, painting does nothing; clearing it repaints.
  bool SuppressPaint() const { return suppressPaint_; }
  void SetSuppressPaint(bool v);
  // Paints once now, even while SuppressPaint is set.
  void ForcePaint();
  // The scale is drawn by a host control.
  bool Embedded() const { return embedded_; }
  void SetEmbedded(bool v);
  // Opaque or embedded scales paint at once; transparent ones invalidate the window.
  void Redraw();
  // Sets both ends at once; equal ends become low..low + 1. Non-finite values are ignored.
  void SetRange(double low, double high);
  // Recomputes the value-to-pixel mapping (nothing while loading or for unusable ranges).
  void UpdateScaling();
  // Pixel of v along the axis (x for horizontal, y for vertical scales).
  int ValueToPixel(double v) const;
  // index-th recorded tick value, 1-based; 0.0 outside 1..NumTicks.
  double TickValue(int index) const;

  // Frame colours (black, grey, white by default); ColorScheme sets shadow and highlight.
  TColor FrameColor() const { return frameColor_; }
  TColor FrameShadowColor() const { return frameShadowColor_; }
  TColor FrameHighlightColor() const { return frameHighlightColor_; }

  // Layout hints from ScaleMinimumSize with the control's font (labels like "-0.000";
  // date labels take two lines); the preferred length along the axis is 200 pixels.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

  // ---- Events ----
  TEvent<TNotifyEvent> OnZoomPan;
  TEvent<TScaleTickDrawnEvent> OnScaleTickDrawn;
  TEvent<TBeforeTickLabelEvent> OnBeforeTickLabel;
  TEvent<TScaleRenderedEvent> OnBeforeScaleRendered;
  TEvent<TScaleRenderedEvent> OnAfterScaleRendered;

  // A left-button move inside the band along the axis pans or zooms by MouseAction
  // (through CalcZoomPan, raising OnZoomPan); releasing a button ends the drag.
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  // Switches MouseAction between maPan and maZoom, then raises OnDblClick.
  void DblClick() override;

  // Draws ticks, labels and caption of a vertical scale whose base line is at x = baseX,
  // or of a horizontal one whose base line is at y = baseY, in canvas coordinates. A scale
  // of the other orientation draws nothing.
  void DrawVertScale(TCanvas& canvas, int baseX);
  void DrawHorizScale(TCanvas& canvas, int baseY);

 protected:
  void AssignTo(TPersistent& dest) const override;
  void Paint() override;
  void Loaded() override;
  void CreateWnd() override;
  void Resize() override;

 private:
  class Renderer;
  friend class Renderer;

  void Changed();  // redraw after a setting changed
  void PaintScale();
  void DrawScale(TCanvas& canvas, int base);
  void DrawCaption(TCanvas& canvas, int base);
  TScaleGeometry Geometry() const;
  ScaleTickSettings TickSettings() const;
  void HookDateFormat();

  std::unique_ptr<TDTLabel> dateFormat_;
  // The picture an opaque scale is drawn in, kept between paints with its canvas's text
  // measurements; in use while offscreenBusy_ (a handler repainting the scale gets its own).
  std::unique_ptr<TBitmap> offscreen_;
  bool offscreenBusy_ = false;

  std::string caption_;
  int captionPosX_ = 4;
  int captionPosY_ = 4;
  TAlignment captionAlignment_ = taCenter;
  TScaleUnitAnchor captionAnchor_ = uaSclTopLft;
  TColor colorBackGnd_ = clBtnFace;
  TColor colorScale_ = 0;
  TColorScheme colorScheme_ = csBWG;
  int decPlaces_ = -2;
  TFrameStyle frameStyle_ = fsLowered;
  TFigType labelType_ = ftNum;
  bool logarithmic_ = false;
  int marginLeft_ = 20;
  int marginRight_ = 20;
  int marginTop_ = 20;
  int marginBottom_ = 20;
  int minTicks_ = 3;
  TMouseActMode mouseAction_ = maNone;
  double rangeLow_ = 0.0;
  double rangeHigh_ = 100.0;
  bool shortTicks_ = true;
  bool showBaseLine_ = true;
  std::string scaleInscript_;
  TScaleType scaleType_ = sctXB;
  bool transparent_ = false;
  std::string userTickText_;

  TColor frameColor_ = 0;
  TColor frameShadowColor_ = 0x808080;
  TColor frameHighlightColor_ = 0xFFFFFF;
  bool embedded_ = false;
  bool suppressPaint_ = true;
  bool loadingFlag_ = true;
  TCanvas* externalCanvas_ = nullptr;
  int externalOffsetX_ = 0;
  int externalOffsetY_ = 0;

  TScaleMapping mapping_;
  std::array<double, kTickListSize> tickList_{};
  int numTicks_ = 0;

  bool dragging_ = false;
  int dragStartX_ = 0;
  int dragStartY_ = 0;
  double dragStartLow_ = 0.0;
  double dragStartHigh_ = 0.0;
};

}  // namespace dendrokit
