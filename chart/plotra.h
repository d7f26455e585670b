// TPlotra: a retained-mode chart. Drawing commands append fixed-size item records to the
// chart's data list; every paint renders the whole list again, mapping world coordinates
// through the ranges of 16 layers, each with an x and a y axis and its own scale renderer.
//
// Files: plotra.cpp holds the store, sharing, coordinates, layers, settings and copying;
// plotra_paint.cpp the painting (Paint and item rendering); plotra_mouse.cpp the mouse.
#pragma once

#include "gfxbase/export.h"

#include <array>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include <QColor>

#include "chart/chartitem.h"
#include "chart/coords.h"
#include "chart/jointlayers.h"
#include "chart/scaleprops.h"
#include "gfxbase/canvas.h"
#include "gfxbase/control.h"
#include "gfxbase/settings.h"
#include "gfxbase/textlabel.h"
#include "scale/scale.h"

namespace dendrokit {

// Canvas = the image drawn on; Top/Left = where its (0, 0) lies in the control.
using TRenderEvent = std::function<void(TObject* sender, TCanvas& canvas, int top, int left)>;
// The handler may change the copy of the item that is drawn; the stored item stays.
using TBeforeRenderCItemEvent =
    std::function<void(TObject* sender, TplChartItem& chartItem, int index, bool isAnnotation)>;
using TBeforeRenderTextEvent =
    std::function<void(TObject* sender, std::string& text, int index, bool isAnnotation)>;
using TMouseMoveInChartEvent = std::function<void(TObject* sender, bool inChart,
                                                  TShiftState shift, double rMousePosX,
                                                  double rMousePosY)>;
using TZoomPanEvent = std::function<void(TObject* sender)>;
using TSelectRectEvent = std::function<void(TObject* sender, int layer, double loX, double loY,
                                            double hiX, double hiY)>;
using TBeforeCrossHMoveEvent = std::function<void(TObject* sender, int whichCrossHair, int dx,
                                                  int dy, bool& allowMove)>;
using TCrossHairMoveEvent = std::function<void(TObject* sender, int whichCrossHair)>;
using TTextLabelMoveEvent = std::function<void(TObject* sender, int whichTextLabel)>;

// A point of the mouse trace, in world coordinates of the active layer.
struct DENDROKIT_EXPORT TMouseTracePoint {
  static constexpr std::uint32_t kStrokeEnd = 1;  // the stroke ends at this point
  static constexpr std::uint32_t kInverted = 2;   // drawn with exclusive-or
  double X = 0.0;
  double Y = 0.0;
  std::uint32_t Flags = 0;
  TColor Color = 0;
};

// A world point (pixel-to-world results).
struct DENDROKIT_EXPORT TWorldPoint {
  double X = 0.0;
  double Y = 0.0;
};

// A colour argument of the plotting commands: a TColor, a QColor or a Qt::GlobalColor, or
// nothing (a default-constructed or invalid QColor), which stands for the chart's current
// setting (DataColor for pens, FillColor for fills).
class DENDROKIT_EXPORT TItemColor {
 public:
  TItemColor() = default;
  TItemColor(TColor color) : color_(color), set_(true) {}
  TItemColor(const QColor& color);
  TItemColor(Qt::GlobalColor color) : TItemColor(QColor(color)) {}
  bool IsSet() const { return set_; }
  TColor Or(TColor fallback) const { return set_ ? color_ : fallback; }

 private:
  TColor color_ = 0;
  bool set_ = false;
};

class DENDROKIT_EXPORT TCustomPlotra : public TCustomControl {
  Q_OBJECT
  // Qt properties: the published settings of plain type through their own getters and
  // setters (settings objects such as Scale1X or CrossHair1 stay C++ only).
  Q_PROPERTY(QColor dataColor READ DataColorQ WRITE setDataColor)
  Q_PROPERTY(QColor fillColor READ FillColorQ WRITE setFillColor NOTIFY fillColorChanged)
  Q_PROPERTY(QColor textBkColor READ TextBkColorQ WRITE setTextBkColor NOTIFY fillColorChanged)
  Q_PROPERTY(dendrokit::TPenStyle penStyle READ PenStyle WRITE setPenStyle)
  Q_PROPERTY(int classDefault READ ClassDefault WRITE setClassDefault)
  Q_PROPERTY(dendrokit::TTextBkg textBkStyle READ TextBkStyle WRITE setTextBkStyle)
  Q_PROPERTY(dendrokit::TAlignment textAlignment READ TextAlignment WRITE setTextAlignment)
  Q_PROPERTY(int textFontStyle READ TextFontStyle WRITE setTextFontStyle)
  Q_PROPERTY(int lineWidth READ LineWidth WRITE setLineWidth)
  Q_PROPERTY(int allocSize READ AllocSize WRITE setAllocSize)
  Q_PROPERTY(bool autoRedraw READ AutoRedraw WRITE setAutoRedraw)
  Q_PROPERTY(int marginLeft READ MarginLeft WRITE setMarginLeft NOTIFY marginsChanged)
  Q_PROPERTY(int marginRight READ MarginRight WRITE setMarginRight NOTIFY marginsChanged)
  Q_PROPERTY(int marginTop READ MarginTop WRITE setMarginTop NOTIFY marginsChanged)
  Q_PROPERTY(int marginBottom READ MarginBottom WRITE setMarginBottom NOTIFY marginsChanged)
  Q_PROPERTY(int shadowWidth READ ShadowWidth WRITE setShadowWidth)
  Q_PROPERTY(bool isometric READ Isometric WRITE setIsometric)
  Q_PROPERTY(dendrokit::TplLayout standardLayout READ StandardLayout WRITE setStandardLayout)
  Q_PROPERTY(QColor windColor READ WindColorQ WRITE setWindColor)
  Q_PROPERTY(QColor chartColor READ ChartColorQ WRITE setChartColor)
  Q_PROPERTY(QColor chartFrameColor READ ChartFrameColorQ WRITE setChartFrameColor)
  Q_PROPERTY(QColor gridColor READ GridColorQ WRITE setGridColor)
  Q_PROPERTY(dendrokit::GridStyleType gridStyle READ GridStyle WRITE setGridStyle)
  Q_PROPERTY(double gridDx READ GridDx WRITE setGridDx)
  Q_PROPERTY(double gridDy READ GridDy WRITE setGridDy)
  Q_PROPERTY(dendrokit::TShadowStyle shadowStyle READ ShadowStyle WRITE setShadowStyle)
  Q_PROPERTY(QColor shadowColor READ ShadowColorQ WRITE setShadowColor)
  Q_PROPERTY(QColor shadowBakColor READ ShadowBakColorQ WRITE setShadowBakColor)
  Q_PROPERTY(QString caption READ CaptionQ WRITE setCaption)
  Q_PROPERTY(int captionPosX READ CaptionPosX WRITE setCaptionPosX
                 NOTIFY captionPlaceChanged)
  Q_PROPERTY(int captionPosY READ CaptionPosY WRITE setCaptionPosY
                 NOTIFY captionPlaceChanged)
  Q_PROPERTY(dendrokit::TAlignment captionAlignment READ CaptionAlignment WRITE setCaptionAlignment
                 NOTIFY captionPlaceChanged)
  Q_PROPERTY(dendrokit::TCaptionAnchorHoriz captionAnchorHoriz READ CaptionAnchorHoriz
                 WRITE setCaptionAnchorHoriz
                 NOTIFY captionPlaceChanged)
  Q_PROPERTY(dendrokit::TCaptionAnchorVert captionAnchorVert READ CaptionAnchorVert
                 WRITE setCaptionAnchorVert
                 NOTIFY captionPlaceChanged)
  Q_PROPERTY(int captionTrim READ CaptionTrim WRITE setCaptionTrim)
  Q_PROPERTY(bool avoidDuplicateMarks READ AvoidDuplicateMarks WRITE setAvoidDuplicateMarks)
  Q_PROPERTY(int minDupMarkDist READ MinDupMarkDist WRITE setMinDupMarkDist)
  Q_PROPERTY(dendrokit::TMouseActMode mouseAction READ MouseAction WRITE setMouseAction)
  Q_PROPERTY(bool mouseCursorFixed READ MouseCursorFixed WRITE setMouseCursorFixed)
  Q_PROPERTY(double panGridDx READ PanGridDx WRITE setPanGridDx)
  Q_PROPERTY(double panGridDy READ PanGridDy WRITE setPanGridDy)
  Q_PROPERTY(double panGridOffsX READ PanGridOffsX WRITE setPanGridOffsX)
  Q_PROPERTY(double panGridOffsY READ PanGridOffsY WRITE setPanGridOffsY)
  Q_PROPERTY(QColor mouseTraceColor READ MouseTraceColorQ WRITE setMouseTraceColor)
  Q_PROPERTY(bool mouseTraceInvert READ MouseTraceInvert WRITE setMouseTraceInvert)

 public:
  DENDROKIT_QCOLOR_ACCESSORS(DataColor)
  DENDROKIT_QCOLOR_ACCESSORS(FillColor)
  DENDROKIT_QCOLOR_ACCESSORS(TextBkColor)
  DENDROKIT_QCOLOR_ACCESSORS(WindColor)
  DENDROKIT_QCOLOR_ACCESSORS(ChartColor)
  DENDROKIT_QCOLOR_ACCESSORS(ChartFrameColor)
  DENDROKIT_QCOLOR_ACCESSORS(GridColor)
  DENDROKIT_QCOLOR_ACCESSORS(ShadowColor)
  DENDROKIT_QCOLOR_ACCESSORS(ShadowBakColor)
  DENDROKIT_QSTRING_ACCESSORS(Caption)
  DENDROKIT_QCOLOR_ACCESSORS(MouseTraceColor)
  DENDROKIT_QT_SETTER(PenStyle, TPenStyle)
  DENDROKIT_QT_SETTER(ClassDefault, int)
  DENDROKIT_QT_SETTER(TextBkStyle, TTextBkg)
  DENDROKIT_QT_SETTER(TextAlignment, TAlignment)
  DENDROKIT_QT_SETTER(TextFontStyle, int)
  DENDROKIT_QT_SETTER(LineWidth, int)
  DENDROKIT_QT_SETTER(AllocSize, int)
  DENDROKIT_QT_SETTER(AutoRedraw, bool)
  DENDROKIT_QT_SETTER(MarginLeft, int)
  DENDROKIT_QT_SETTER(MarginRight, int)
  DENDROKIT_QT_SETTER(MarginTop, int)
  DENDROKIT_QT_SETTER(MarginBottom, int)
  DENDROKIT_QT_SETTER(ShadowWidth, int)
  DENDROKIT_QT_SETTER(Isometric, bool)
  DENDROKIT_QT_SETTER(StandardLayout, TplLayout)
  DENDROKIT_QT_SETTER(GridStyle, GridStyleType)
  DENDROKIT_QT_SETTER(GridDx, double)
  DENDROKIT_QT_SETTER(GridDy, double)
  DENDROKIT_QT_SETTER(ShadowStyle, TShadowStyle)
  DENDROKIT_QT_SETTER(CaptionPosX, int)
  DENDROKIT_QT_SETTER(CaptionPosY, int)
  DENDROKIT_QT_SETTER(CaptionAlignment, TAlignment)
  DENDROKIT_QT_SETTER(CaptionAnchorHoriz, TCaptionAnchorHoriz)
  DENDROKIT_QT_SETTER(CaptionAnchorVert, TCaptionAnchorVert)
  DENDROKIT_QT_SETTER(CaptionTrim, int)
  DENDROKIT_QT_SETTER(AvoidDuplicateMarks, bool)
  DENDROKIT_QT_SETTER(MinDupMarkDist, int)
  DENDROKIT_QT_SETTER(MouseAction, TMouseActMode)
  DENDROKIT_QT_SETTER(MouseCursorFixed, bool)
  DENDROKIT_QT_SETTER(PanGridDx, double)
  DENDROKIT_QT_SETTER(PanGridDy, double)
  DENDROKIT_QT_SETTER(PanGridOffsX, double)
  DENDROKIT_QT_SETTER(PanGridOffsY, double)
  DENDROKIT_QT_SETTER(MouseTraceInvert, bool)

 signals:
  // Raised after the matching std::function event's handler, with the same arguments
  // (var parameters as references, so a direct connection may change them too).
  void beforeRenderData(dendrokit::TCanvas* canvas, int top, int left);
  void dataRendered(dendrokit::TCanvas* canvas, int top, int left);
  void scalesRendered(dendrokit::TCanvas* canvas, int top, int left);
  void beforeRenderChartItem(dendrokit::TplChartItem& chartItem, int index, bool isAnnotation);
  void beforeRenderText(QString& text, int index, bool isAnnotation);
  void scaleTickDrawn(dendrokit::TCanvas* canvas, dendrokit::TScaleType scaleType,
                      double currentTickPos, int chartX, int chartY);
  void beforeTickLabel(dendrokit::TScaleType scaleType, double currentTickPos,
                       QString& tickLabel);
  void mouseMovedInChart(bool inChart, int shift, double rMousePosX, double rMousePosY);
  void zoomPanned();
  void rubberBand(int layer, double loX, double loY, double hiX, double hiY);
  void selectRect(int layer, double loX, double loY, double hiX, double hiY);
  void beforeCrossHairMove(int whichCrossHair, int dx, int dy, bool& allowMove);
  void crossHairMoved(int whichCrossHair);
  void textLabelMoved(int whichTextLabel);
  // Notify signals, once per real change by any path: the four margins (also set by
  // StandardLayout and Assign), the caption's place (position, alignment, anchors), and
  // FillColor, which TextBkColor writes too.
  void marginsChanged();
  void captionPlaceChanged();
  void fillColorChanged();

 public:
  static constexpr int kLayers = 16;
  static constexpr int kTextLabels = 50;
  static constexpr int kCrossHairs = 4;
  static constexpr int kMaxSharers = 4;
  static constexpr int kMaxTracePoints = 5000;

  explicit TCustomPlotra(QWidget* parent = nullptr);
  // Leaves the sharing group first: the source and the users forget this chart; users
  // keep the list they last had.
  ~TCustomPlotra() override;
  std::string_view ClassName() const override { return "TCustomPlotra"; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
  // Never smaller than the margins plus 80 x 20 pixels.
  void SetBounds(int left, int top, int width, int height) override;

  // ---- Item store and drawing commands ----
  // Appends a text item at world (x, y) of the active layer, aligned by TextAlignment.
  void AddTextAt(int size, const std::string& text, double x, double y);
  // Appends a text item (kind 7, or 16 with a pixel offset); texts over 15 characters
  // keep the whole text in the next free long-text slot while there is one. Raises
  // EVELPlotraError "Component \"<Name>\": not enough memory on heap" when the list cannot
  // grow; the list is then unchanged. The item is in world units whatever coordMode says
  // (CoordMode 0, like every data-list item); AddAnnotationText places texts in pixels.
  void AddTextItem(int size, const std::string& text, double x, double y, int dx, int dy,
                   TAlignment alignment, std::uint8_t coordMode);
  // Empties the data list (and the mouse trace) and redraws the chart-area image without
  // showing it. Long-text tables and the annotation list stay.
  void ClearItems();
  // Brings the list to the screen and makes the sharing group repaint.
  void ShowItems();

  // ---- Plotting commands (plotra_items.cpp) ----
  // One command per item kind. Each appends one record to the data list (CoordMode 0,
  // world units of layer, clamped to 1..16) and returns its index (0-based, as the render
  // events count); the bulk commands return the index of their first record, or -1 when
  // they add none. Unset colours take DataColor and FillColor; PenStyle, LineWidth (pen
  // width) and ClassDefault are stamped as for texts. Growth, sharing and failure are
  // those of AddTextItem: EVELPlotraError "Component \"<Name>\": not enough memory on heap"
  // with the list unchanged (for a bulk command: none of its records added).
  int AddMark(int layer, double x, double y, int markType, TItemColor color = {});
  int AddLine(int layer, double x1, double y1, double x2, double y2, TItemColor color = {});
  // Polyline pieces: move-to sets the current point, draw-to draws from it.
  int AddMoveTo(int layer, double x, double y);
  int AddDrawTo(int layer, double x, double y, TItemColor color = {});
  // A move-to the first point and a draw-to every other one. The x and y spans must be of
  // equal length (else EVELPlotraError, nothing added).
  int AddPolyline(int layer, std::span<const TWorldPoint> points, TItemColor color = {});
  int AddPolyline(int layer, std::span<const double> xs, std::span<const double> ys,
                  TItemColor color = {});
  // One mark of markType per point.
  int AddScatter(int layer, std::span<const TWorldPoint> points, int markType,
                 TItemColor color = {});
  int AddScatter(int layer, std::span<const double> xs, std::span<const double> ys,
                 int markType, TItemColor color = {});
  // Corners (x1, y1) and (x2, y2), both included; filled unless hollow.
  int AddRectangle(int layer, double x1, double y1, double x2, double y2, TItemColor color = {},
                   TItemColor fill = {}, bool hollow = false);
  // A filled box with a 3-D edge: edge1 on the left and top and edge2 on the right and
  // bottom of a lowered frame (the other way round for raised); fsSimple outlines in the
  // chart's DataColor. Edges default to white and grey.
  int AddFramedBox(int layer, double x1, double y1, double x2, double y2, TFrameStyle style,
                   TItemColor fill = {}, TItemColor edge1 = {}, TItemColor edge2 = {});
  // A bar with a top and a side face depth pixels deep at angle degrees.
  int Add3DBar(int layer, double x1, double y1, double x2, double y2, int depth, int angle,
               TItemColor color = {}, TItemColor fill = {});
  // Centre (x, y), half-axes rx, ry in world units.
  int AddEllipse(int layer, double x, double y, double rx, double ry, TItemColor color = {},
                 TItemColor fill = {}, bool hollow = false);
  // The part of that ellipse from startAngle to endAngle (degrees, counter-clockwise).
  int AddArc(int layer, double x, double y, double rx, double ry, int startAngle, int endAngle,
             TItemColor color = {});
  // Line with a head of headLength pixels at (x2, y2) (none below 1); hollow heads are two
  // strokes. The double arrow has a second head at (x1, y1).
  int AddArrow(int layer, double x1, double y1, double x2, double y2, int headLength,
               TItemColor color = {}, bool hollow = false);
  int AddDoubleArrow(int layer, double x1, double y1, double x2, double y2, int headLength,
                     TItemColor color = {}, bool hollow = false);
  // A box of pixel half-sizes centred on a world point.
  int AddFixedSizeBox(int layer, double x, double y, int halfWidth, int halfHeight,
                      TItemColor color = {}, TItemColor fill = {}, bool hollow = false);
  // A mark with bars x +- errX and y +- errY (world units) closed by cross ticks.
  int AddErrorBar(int layer, double x, double y, double errX, double errY, int markType,
                  TItemColor color = {});
  // A line with both ends moved by (dx, dy) pixels.
  int AddShiftedLine(int layer, double x1, double y1, double x2, double y2, int dx, int dy,
                     TItemColor color = {});
  // Rules over the whole chart area at x, or at y.
  int AddVertRule(int layer, double x, TItemColor color = {});
  int AddHorizRule(int layer, double y, TItemColor color = {});
  // A horizontal and a vertical line through (x, y) spanning x +- halfWidth, y +- halfHeight.
  int AddCross(int layer, double x, double y, double halfWidth, double halfHeight,
               TItemColor color = {});
  // Pixel-relative polyline pieces: move or draw from the current point by (dx, dy) pixels;
  // draw from world (x, y) to that point plus (dx, dy) pixels.
  int AddMoveBy(int layer, int dx, int dy);
  int AddDrawBy(int layer, int dx, int dy, TItemColor color = {});
  int AddDrawByOffset(int layer, double x, double y, int dx, int dy, TItemColor color = {});
  // A text at world (x, y) of layer, shifted by (dx, dy) pixels when not 0; aligned by
  // TextAlignment, background by TextBkStyle and FillColor; long texts as in AddTextItem.
  int AddText(int layer, double x, double y, const std::string& text, int size = 8,
              TItemColor color = {}, int dx = 0, int dy = 0);

  // The annotation list, drawn over the data list and never shared: items in pixels
  // (CoordMode 1..5) or world units, of any kind. AddAnnotation appends a copy of the
  // record as it is; AddAnnotationText is AddTextItem for this list, keeping coordMode.
  // Both return the index in the annotation list.
  int AddAnnotation(const TplChartItem& item);
  int AddAnnotationText(int size, const std::string& text, double x, double y, int dx, int dy,
                        TAlignment alignment, std::uint8_t coordMode);
  // Empties the annotation list; its long-text table stays, as for ClearItems.
  void ClearAnnotations();

  // Sets layer's x and y ranges (1..16; others are ignored) to the extent of its items in
  // both lists, widened to the scale's nice tick values with a small margin (see
  // FitAxisRange in chart/plotfit.h); the items of layers joined to it count on the joined
  // axis, and a joined axis follows its controller. A reversed axis stays reversed; an
  // axis without values keeps its range; an Isometric chart widens its narrower axis.
  // Goes through ChangeRange, so it repaints.
  void FitToData(int layer);
  // Every layer, controllers first, with one repaint.
  void FitToData();

  // Data list as drawn (the group's list when sharing) and the annotation list.
  const TPlItemContainer& DataItems() const { return *data_; }
  const TPlItemContainer& AnnotationItems() const { return *annotation_; }
  int DataCount() const { return data_->Count(); }
  std::int64_t DataCapacity() const { return data_->Capacity(); }
  // The text an item is drawn with: its long-text slot (from the table of the chart that
  // added it) or its ShortText.
  std::string ItemText(bool annotation, int index) const;
  const TLongTextArray& DataLongTexts() const { return *dataTexts_; }
  const TLongTextArray& AnnotationLongTexts() const { return *annotationTexts_; }

  TColor DataColor() const { return dataColor_; }
  void SetDataColor(TColor v) { dataColor_ = v; }
  // Text background and fill colour of new items (TextBkColor is the same setting).
  TColor FillColor() const { return fillColor_; }
  void SetFillColor(TColor v);
  TColor TextBkColor() const { return fillColor_; }
  void SetTextBkColor(TColor v) { SetFillColor(v); }
  TPenStyle PenStyle() const { return penStyle_; }
  void SetPenStyle(TPenStyle v);
  std::uint8_t ClassDefault() const { return classDefault_; }
  void SetClassDefault(std::uint8_t v) { classDefault_ = v; }
  TTextBkg TextBkStyle() const { return textBkStyle_; }
  void SetTextBkStyle(TTextBkg v);
  TAlignment TextAlignment() const { return textAlignment_; }
  void SetTextAlignment(TAlignment v);
  // Font of text items (its size comes from each item).
  TFont& TextFont() { return *textFont_; }
  const TFont& TextFont() const { return *textFont_; }
  void SetTextFont(const TFont& v);
  TFontStyles TextFontStyle() const { return textFont_->Style(); }
  void SetTextFontStyle(TFontStyles v);
  std::uint8_t LineWidth() const { return lineWidth_; }
  void SetLineWidth(std::uint8_t v) { lineWidth_ = v; }
  // Growth step of the lists, 1..1000000; other values are ignored.
  int AllocSize() const { return allocSize_; }
  void SetAllocSize(int v);
  bool AutoRedraw() const { return autoRedraw_; }
  void SetAutoRedraw(bool v) { autoRedraw_ = v; }
  // The layer new items and mouse positions refer to (1).
  int ActiveLayer() const { return activeLayer_; }

  // ---- Sharing ----
  // Draw the data list of source (nullptr: stop sharing). Conflicts are shown through the
  // information box and change nothing.
  TCustomPlotra* UseDataOf() const { return source_; }
  void SetUseDataOf(TCustomPlotra* source);
  int DataUserCount() const { return static_cast<int>(users_.size()); }
  // User 1..DataUserCount(); nullptr outside.
  TCustomPlotra* DataUser(int index) const;

  // ---- Coordinates, layers and scales ----
  // MarginLeft etc. and LRim etc. are the same settings.
  int MarginLeft() const { return marginLeft_; }
  void SetMarginLeft(int v);
  int MarginRight() const { return marginRight_; }
  void SetMarginRight(int v);
  int MarginTop() const { return marginTop_; }
  void SetMarginTop(int v);
  int MarginBottom() const { return marginBottom_; }
  void SetMarginBottom(int v);
  int LRim() const { return marginLeft_; }
  void SetLRim(int v) { SetMarginLeft(v); }
  int RRim() const { return marginRight_; }
  void SetRRim(int v) { SetMarginRight(v); }
  int TRim() const { return marginTop_; }
  void SetTRim(int v) { SetMarginTop(v); }
  int BRim() const { return marginBottom_; }
  void SetBRim(int v) { SetMarginBottom(v); }
  // 0..32, clamped.
  int ShadowWidth() const { return shadowWidth_; }
  void SetShadowWidth(int v);
  bool Isometric() const { return isometric_; }
  void SetIsometric(bool v);
  TplLayout StandardLayout() const { return standardLayout_; }
  void SetStandardLayout(TplLayout v);

  // Axis settings of layer 1..16 (layer clamped to 1..16).
  TScalePropsHoriz& ScalePropsX(int layer);
  const TScalePropsHoriz& ScalePropsX(int layer) const;
  TScalePropsVert& ScalePropsY(int layer);
  const TScalePropsVert& ScalePropsY(int layer) const;
  // The published axis settings of layers 1..4; setters copy into the chart's object.
  TScalePropsHoriz& Scale1X() { return ScalePropsX(1); }
  TScalePropsHoriz& Scale2X() { return ScalePropsX(2); }
  TScalePropsHoriz& Scale3X() { return ScalePropsX(3); }
  TScalePropsHoriz& Scale4X() { return ScalePropsX(4); }
  TScalePropsVert& Scale1Y() { return ScalePropsY(1); }
  TScalePropsVert& Scale2Y() { return ScalePropsY(2); }
  TScalePropsVert& Scale3Y() { return ScalePropsY(3); }
  TScalePropsVert& Scale4Y() { return ScalePropsY(4); }
  void SetScale1X(const TScalePropsHoriz& v) { SetScaleProps(1, v); }
  void SetScale2X(const TScalePropsHoriz& v) { SetScaleProps(2, v); }
  void SetScale3X(const TScalePropsHoriz& v) { SetScaleProps(3, v); }
  void SetScale4X(const TScalePropsHoriz& v) { SetScaleProps(4, v); }
  void SetScale1Y(const TScalePropsVert& v) { SetScaleProps(1, v); }
  void SetScale2Y(const TScalePropsVert& v) { SetScaleProps(2, v); }
  void SetScale3Y(const TScalePropsVert& v) { SetScaleProps(3, v); }
  void SetScale4Y(const TScalePropsVert& v) { SetScaleProps(4, v); }
  void SetScaleProps(int layer, const TScaleProps& v);
  // The scale renderers of layer 1..16 ("PL_FScale_X_<n>", "PL_FScale_Y_<n>").
  TScale& ScaleX(int layer);
  TScale& ScaleY(int layer);

  // World point of layer (clamped to 1..16) to control pixels.
  TPoint WorldToPixel(int layer, double x, double y) const;
  // Control pixel to world point of layer; not finite where the chart area is empty.
  TWorldPoint PixelToWorld(int layer, int px, int py) const;
  // Changes the ranges of layer 1..16 (others are ignored): a joined axis keeps its
  // controller's range, a range narrower than 0.99 * MinRange is refused, a logarithmic
  // axis takes only ends that are not negative; layers joined to this one follow; repaints
  // unless painting is suspended. Raises EVELPlotraError for a logarithmic axis with an end
  // of 0 (when the coefficients are computed).
  void ChangeRange(int layer, double xLow, double xHigh, double yLow, double yHigh);
  // Chart area in control pixels; Right and Bottom exclusive, so its size is the size of
  // the chart-area image. Empty (never negative) when the margins leave no room.
  TRect ChartArea() const;
  // Transform coefficients of layer 1..16 (clamped).
  const TAxisTransform& TransformX(int layer) const;
  const TAxisTransform& TransformY(int layer) const;

  // ---- Settings objects ----
  TJointLayers& JointLayers() { return *jointLayers_; }
  void SetJointLayers(const TJointLayers& v);
  TBakGndImg& BackGroundImg() { return *backGroundImg_; }
  const TBakGndImg& BackGroundImg() const { return *backGroundImg_; }
  void SetBackGroundImg(const TBakGndImg& v);
  // Crosshair 1..4 (clamped).
  TCrossHair& CrossHair(int n);
  const TCrossHair& CrossHair(int n) const;
  TCrossHair& CrossHair1() { return CrossHair(1); }
  TCrossHair& CrossHair2() { return CrossHair(2); }
  TCrossHair& CrossHair3() { return CrossHair(3); }
  TCrossHair& CrossHair4() { return CrossHair(4); }
  // Copies v into crosshair n and keeps it reporting to this chart.
  void SetCrossHair(int n, const TCrossHair& v);
  void SetCrossHair1(const TCrossHair& v) { SetCrossHair(1, v); }
  void SetCrossHair2(const TCrossHair& v) { SetCrossHair(2, v); }
  void SetCrossHair3(const TCrossHair& v) { SetCrossHair(3, v); }
  void SetCrossHair4(const TCrossHair& v) { SetCrossHair(4, v); }
  // Text label 1..50; nullptr outside.
  TTextLabel* TextLabel(int n);
  const TTextLabel* TextLabel(int n) const;

  // ---- Painting settings ----
  TColor WindColor() const { return windColor_; }
  void SetWindColor(TColor v);
  TColor ChartColor() const { return chartColor_; }
  void SetChartColor(TColor v);
  TColor ChartFrameColor() const { return chartFrameColor_; }
  void SetChartFrameColor(TColor v);
  TColor GridColor() const { return gridColor_; }
  void SetGridColor(TColor v);
  GridStyleType GridStyle() const { return gridStyle_; }
  void SetGridStyle(GridStyleType v);
  // Values below -3 are ignored.
  double GridDx() const { return gridDx_; }
  void SetGridDx(double v);
  double GridDy() const { return gridDy_; }
  void SetGridDy(double v);
  TShadowStyle ShadowStyle() const { return shadowStyle_; }
  void SetShadowStyle(TShadowStyle v);
  TColor ShadowColor() const { return shadowColor_; }
  void SetShadowColor(TColor v);
  TColor ShadowBakColor() const { return shadowBakColor_; }
  void SetShadowBakColor(TColor v);
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v);
  int CaptionPosX() const { return captionPosX_; }
  void SetCaptionPosX(int v);
  int CaptionPosY() const { return captionPosY_; }
  void SetCaptionPosY(int v);
  TAlignment CaptionAlignment() const { return captionAlignment_; }
  void SetCaptionAlignment(TAlignment v);
  TCaptionAnchorHoriz CaptionAnchorHoriz() const { return captionAnchorHoriz_; }
  void SetCaptionAnchorHoriz(TCaptionAnchorHoriz v);
  TCaptionAnchorVert CaptionAnchorVert() const { return captionAnchorVert_; }
  void SetCaptionAnchorVert(TCaptionAnchorVert v);
  // Percent; 0 = no trimming, else clamped to 5..100.
  int CaptionTrim() const { return captionTrim_; }
  void SetCaptionTrim(int v);
  // Both repaint whatever AutoRedraw is; MinDupMarkDist is clamped to 1..3.
  bool AvoidDuplicateMarks() const { return avoidDuplicateMarks_; }
  void SetAvoidDuplicateMarks(bool v);
  int MinDupMarkDist() const { return minDupMarkDist_; }
  void SetMinDupMarkDist(int v);
  // Visibility of item classes 0..255 per list and of layers 1..16 (all on).
  bool ClassVisible(bool annotation, int itemClass) const;
  bool LayerVisible(int layer) const;

  // ---- Mouse settings ----
  TMouseActMode MouseAction() const { return mouseAction_; }
  void SetMouseAction(TMouseActMode v);
  bool MouseCursorFixed() const { return mouseCursorFixed_; }
  void SetMouseCursorFixed(bool v) { mouseCursorFixed_ = v; }
  double PanGridDx() const { return panGridDx_; }
  void SetPanGridDx(double v) { panGridDx_ = v; }
  double PanGridDy() const { return panGridDy_; }
  void SetPanGridDy(double v) { panGridDy_ = v; }
  double PanGridOffsX() const { return panGridOffsX_; }
  void SetPanGridOffsX(double v) { panGridOffsX_ = v; }
  double PanGridOffsY() const { return panGridOffsY_; }
  void SetPanGridOffsY(double v) { panGridOffsY_ = v; }
  TColor MouseTraceColor() const { return mouseTraceColor_; }
  void SetMouseTraceColor(TColor v) { mouseTraceColor_ = v; }
  bool MouseTraceInvert() const { return mouseTraceInvert_; }
  void SetMouseTraceInvert(bool v) { mouseTraceInvert_ = v; }
  const std::vector<TMouseTracePoint>& MouseTrace() const { return mouseTrace_; }

  // Copies every setting, both item lists (as own copies), the long-text tables, the
  // sharing references, the scale properties, crosshairs, text labels, background and
  // joint layers of another TCustomPlotra, then re-applies the ranges and repaints.
  void Assign(const TPersistent* source) override;

  // ---- Events ----
  TEvent<TRenderEvent> OnBeforeRenderData;
  TEvent<TRenderEvent> OnDataRendered;
  TEvent<TRenderEvent> OnScalesRendered;
  TEvent<TBeforeRenderCItemEvent> OnBeforeRenderChartItem;
  TEvent<TBeforeRenderTextEvent> OnBeforeRenderText;
  TEvent<TScaleTickDrawnEvent> OnScaleTickDrawn;
  TEvent<TBeforeTickLabelEvent> OnBeforeTickLabel;
  TEvent<TMouseMoveInChartEvent> OnMouseMoveInChart;
  TEvent<TZoomPanEvent> OnZoomPan;
  TEvent<TSelectRectEvent> OnRubberBand;
  TEvent<TSelectRectEvent> OnSelectRect;
  TEvent<TBeforeCrossHMoveEvent> OnBeforeCrossHairMove;
  TEvent<TCrossHairMoveEvent> OnCrossHairMove;
  TEvent<TTextLabelMoveEvent> OnTextLabelMove;

  // ---- Mouse (plotra_mouse.cpp) ----
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void DblClick() override;

 protected:
  friend class TJointLayers;

  // ---- The five chart operations ----
  // Coefficients of all 16 layers; skipped while loading. A logarithmic axis with an end
  // <= 0 raises EVELPlotraError; the layers from that one on keep their coefficients.
  virtual void CalcTransformCoefficients();
  // Chart-area background into a canvas of w x h pixels (plotra_paint.cpp).
  virtual void DrawChartBackground(TCanvas& canvas, int w, int h);
  // Items, text labels and frame into the chart-area image (plotra_paint.cpp).
  virtual void RenderItemsToImage(TBitmap& image);
  // Items, text labels and frame onto a canvas (plotra_paint.cpp).
  virtual void RenderItems(TCanvas& canvas);
  // ShowItems with AutoRedraw: background, items and crosshairs into the chart-area image,
  // which is copied to the screen at (MarginLeft, MarginTop) (plotra_paint.cpp).
  void DrawChartAreaToScreen();
  // Sets or clears painting suspension; clearing it repaints.
  virtual void SetPaintSuspended(bool suspended);
  bool PaintSuspended() const { return paintSuspended_; }

  // ---- Toolkit hooks ----
  void Paint() override;       // plotra_paint.cpp

 public:
  // The chart's picture on any canvas (see TCustomControl::RenderTo; plotra_paint.cpp).
  void RenderTo(TCanvas& canvas, const TImageOptions& options) override;

 protected:
  void Loaded() override;
  void CreateWnd() override;
  void Resize() override;
  void AssignTo(TPersistent& dest) const override;
  // Qt calls these: errors are reported with qWarning instead of escaping.
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // Tab, Shift+Tab and the arrow keys stay with the chart while it has the focus instead of
  // moving the focus (plotra_mouse.cpp); subclasses handle them in keyPressEvent.
  bool focusNextPrevChild(bool next) override;
  void keyPressEvent(QKeyEvent* event) override;

  // ---- Helpers for painting and mouse ----
  // Repaint when AutoRedraw is on (there is no design mode).
  void RepaintIfAuto();
  // Hands layer's x and y settings to its scale renderers (margins on the far side).
  void HandPropsToScales(int layer);
  void HandAllPropsToScales();
  // Re-applies every layer's ranges (propagating joins) and repaints: the reaction to a
  // change of any scale-properties object.
  void ScalePropsChanged();
  // Chart-area image resized to the chart area (each side at least 0).
  void ResizeChartImage();
  const TLongTextArray& LongTexts(bool annotation) const {
    return annotation ? *annotationTexts_ : *dataTexts_;
  }
  TPlItemContainer& AnnotationList() { return *annotation_; }
  std::vector<TMouseTracePoint>& MouseTraceList() { return mouseTrace_; }

  // Whole-control image and chart-area image.
  TBitmap controlImage_;
  TBitmap chartImage_;

  // State owned by the painting and mouse files; each file defines its struct and deleter.
  struct PaintState;
  struct PaintStateDeleter {
    void operator()(PaintState* p) const;
  };
  struct MouseState;
  struct MouseStateDeleter {
    void operator()(MouseState* p) const;
  };
  // Created on first use by the owning file.
  PaintState& Painting();
  MouseState& Mouse();

 private:
  void InitLayers();
  void HookOwnedObjects();
  void BindSignals();
  void Publish();
  void LeaveSource();
  void RepaintGroupMember();
  void RaiseNoMemory() const;
  // The data list ready for a change: a list still held outside the group is copied first.
  TPlItemContainer& WritableData();
  // The record of the plotting commands: kind, layer, points and the stamped settings.
  TplChartItem PlotItem(std::uint8_t kind, int layer, double x, double y, double x2, double y2,
                        TItemColor color, TItemColor fill) const;
  int AppendData(const TplChartItem& item);
  template <typename XY> int AppendPointRecords(const TplChartItem& proto, std::uint8_t first,
                                                XY xy);
  void CheckSameLength(std::size_t xs, std::size_t ys) const;
  // Fits layer 1..16, or every layer for 0 (FitToData).
  void FitLayers(int only);
  void WidenToIsometric(double& xl, double& xh, double& yl, double& yh) const;
  int AppendTextTo(bool annotation, int layer, int size, const std::string& text, double x,
                   double y, int dx, int dy, TAlignment alignment, std::uint8_t coordMode,
                   TColor color);
  void MarginChanged();
  void ApplyIsometric();
  void ApplyLayerRange(int layer, bool isX, double low, double high);

  std::unique_ptr<PaintState, PaintStateDeleter> paintState_;
  std::unique_ptr<MouseState, MouseStateDeleter> mouseState_;

  // Item lists: data_ is shared with the sharing group; the long-text tables are this
  // chart's own.
  std::shared_ptr<TPlItemContainer> data_;
  std::shared_ptr<TPlItemContainer> annotation_;
  std::shared_ptr<TLongTextArray> dataTexts_;
  std::shared_ptr<TLongTextArray> annotationTexts_;
  TCustomPlotra* source_ = nullptr;
  std::vector<TCustomPlotra*> users_;

  TColor dataColor_ = 0;
  TColor fillColor_ = 12632256;
  TPenStyle penStyle_ = psSolid;
  std::uint8_t classDefault_ = 0;
  TTextBkg textBkStyle_ = tbClear;
  TAlignment textAlignment_ = taCenter;
  std::unique_ptr<TFont> textFont_;
  std::uint8_t lineWidth_ = 1;
  int allocSize_ = 1000;
  bool autoRedraw_ = true;
  int activeLayer_ = 1;

  int marginLeft_ = 50;
  int marginRight_ = 10;
  int marginTop_ = 16;
  int marginBottom_ = 32;
  int shadowWidth_ = 0;
  bool isometric_ = false;
  TplLayout standardLayout_ = pll_X1Bottom_Y1Left;
  TPixelAspect aspect_;
  std::array<std::unique_ptr<TScalePropsHoriz>, kLayers> propsX_;
  std::array<std::unique_ptr<TScalePropsVert>, kLayers> propsY_;
  std::array<std::unique_ptr<TScale>, kLayers> scalesX_;
  std::array<std::unique_ptr<TScale>, kLayers> scalesY_;
  std::array<TAxisTransform, kLayers> transX_;
  std::array<TAxisTransform, kLayers> transY_;
  bool paintSuspended_ = true;

  std::unique_ptr<TJointLayers> jointLayers_;
  std::unique_ptr<TBakGndImg> backGroundImg_;
  std::array<std::unique_ptr<TCrossHair>, kCrossHairs> crossHairs_;
  std::array<std::unique_ptr<TTextLabel>, kTextLabels> textLabels_;

  TColor windColor_ = clBtnFace;
  TColor chartColor_ = 16777215;
  TColor chartFrameColor_ = 0;
  TColor gridColor_ = 0;
  GridStyleType gridStyle_ = gsNone;
  double gridDx_ = 0.0;
  double gridDy_ = 0.0;
  TShadowStyle shadowStyle_ = ssFlying;
  TColor shadowColor_ = clGrayText;
  TColor shadowBakColor_ = clBtnFace;
  std::string caption_;
  int captionPosX_ = 0;
  int captionPosY_ = -16;
  TAlignment captionAlignment_ = taRightJustify;
  TCaptionAnchorHoriz captionAnchorHoriz_ = cahChartRight;
  TCaptionAnchorVert captionAnchorVert_ = cavChartTop;
  int captionTrim_ = 100;
  bool avoidDuplicateMarks_ = false;
  int minDupMarkDist_ = 1;
  std::array<bool, 256> classVisibleData_;
  std::array<bool, 256> classVisibleAnnotation_;
  std::array<bool, kLayers> layerVisible_;

  TMouseActMode mouseAction_ = maNone;
  bool mouseCursorFixed_ = false;
  double panGridDx_ = 0.0;
  double panGridDy_ = 0.0;
  double panGridOffsX_ = 0.0;
  double panGridOffsY_ = 0.0;
  TColor mouseTraceColor_ = 16777215;
  bool mouseTraceInvert_ = true;
  std::vector<TMouseTracePoint> mouseTrace_;
};

// The chart as used by applications; publishes the properties of TCustomPlotra.
class DENDROKIT_EXPORT TPlotra : public TCustomPlotra {
  Q_OBJECT

 public:
  using TCustomPlotra::TCustomPlotra;
  std::string_view ClassName() const override { return "TPlotra"; }
};

}  // namespace dendrokit
