// Per-layer axis settings of the chart: range, its minimum width, logarithmic mode and what
// the chart hands to the layer's scale renderer. Every setter raises OnChange (the chart
// re-applies all ranges and repaints) unless its comment says otherwise.
#pragma once

#include "gfxbase/export.h"

#include <cstdint>
#include <memory>
#include <string>

#include "gfxbase/canvas.h"
#include "gfxbase/component.h"
#include "gfxbase/enums.h"
#include "gfxbase/graphics_types.h"
#include "gfxbase/settings.h"
#include "gfxbase/types.h"
#include "scale/scale.h"

namespace dendrokit {

enum TScaleLocationHoriz : std::uint8_t { slTop, slBottom };
enum TScaleLocationVert : std::uint8_t { slLeft, slRight };
DENDROKIT_ENUM_NAMES(TScaleLocationHoriz, "slTop", "slBottom");
DENDROKIT_ENUM_NAMES(TScaleLocationVert, "slLeft", "slRight");

class TCustomPlotra;

class DENDROKIT_EXPORT TScaleProps : public TPersistent {
 public:
  TScaleProps();
  ~TScaleProps() override;
  std::string_view ClassName() const override { return "TScaleProps"; }

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
  TColor ColorScale() const { return colorScale_; }
  void SetColorScale(TColor v);
  // The object's own date format; its changes reach the chart like the object's own.
  TDTLabel& DateFormat() { return *dateFormat_; }
  const TDTLabel& DateFormat() const { return *dateFormat_; }
  // Copies the seven format fields (the handler stays the chart's).
  void SetDateFormat(const TDTLabel& v);
  // Clamped to -3..12.
  int DecPlaces() const { return decPlaces_; }
  void SetDecPlaces(int v);
  // The object's own font; SetFont copies the attributes.
  TFont& Font() { return *font_; }
  const TFont& Font() const { return *font_; }
  void SetFont(const TFont& v);
  // False is always taken. True is taken while loading; afterwards only when neither range
  // end is negative and LabelType is not ftDateTime. Raises OnChange in every case.
  bool Logarithmic() const { return logarithmic_; }
  void SetLogarithmic(bool v);
  // ftDateTime also switches Logarithmic off; ftTime also sets DecPlaces to 4.
  TFigType LabelType() const { return labelType_; }
  void SetLabelType(TFigType v);
  int MinTicks() const { return minTicks_; }
  void SetMinTicks(int v);
  // v <= 0 (or not finite) is ignored without notification. A range narrower than v is
  // widened about its centre and OnChange raised; otherwise nothing is raised.
  double MinRange() const { return minRange_; }
  void SetMinRange(double v);
  TMouseActMode MouseAction() const { return mouseAction_; }
  void SetMouseAction(TMouseActMode v);
  // Closer than MinRange to the other end: the other end moves to MinRange away. Else a
  // negative value on a logarithmic axis is ignored. Non-finite values are ignored.
  // OnChange is raised in every case. Nothing keeps low < high: reversed axes are allowed.
  double RangeLow() const { return rangeLow_; }
  void SetRangeLow(double v);
  double RangeHigh() const { return rangeHigh_; }
  void SetRangeHigh(double v);
  bool ShortTicks() const { return shortTicks_; }
  void SetShortTicks(bool v);
  const std::string& ScaleInscript() const { return scaleInscript_; }
  void SetScaleInscript(const std::string& v);
  // Pixel distance of the axis from the chart area's edge, outwards.
  int ScalePos() const { return scalePos_; }
  void SetScalePos(int v);
  const std::string& UserTickText() const { return userTickText_; }
  void SetUserTickText(const std::string& v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  // Scale type handed to the renderer; set by the location setters and the chart.
  TScaleType ScaleType() const { return scaleType_; }
  // Set at creation; the chart clears it when it has finished loading.
  bool LoadingFlag() const { return loadingFlag_; }
  void SetLoadingFlag(bool v) { loadingFlag_ = v; }
  // The control whose loading state counts as this object's too (may be null).
  void SetOwnerControl(const TCustomControl* owner) { ownerControl_ = owner; }

  // Copies every setting (not the handlers) from the settings of an axis of the same
  // direction; raises nothing. Other sources raise EConvertError.
  void Assign(const TPersistent* source) override;

  TNotifyEvent OnChange;

 protected:
  friend class TCustomPlotra;
  void Changed();
  // Sets both ends without rules or notification (the chart's range change).
  void StoreRange(double low, double high) {
    rangeLow_ = low;
    rangeHigh_ = high;
  }
  void StoreScaleType(TScaleType v) { scaleType_ = v; }
  void StoreColorScale(TColor v) { colorScale_ = v; }
  void StoreScalePos(int v) { scalePos_ = v; }
  virtual void AssignLocation(const TScaleProps& source) = 0;

  std::unique_ptr<TDTLabel> dateFormat_;
  std::unique_ptr<TFont> font_;
  std::string caption_;
  int captionPosX_ = 0;
  int captionPosY_ = 0;
  TAlignment captionAlignment_ = taCenter;
  TScaleUnitAnchor captionAnchor_ = uaSclTopLft;
  TColor colorScale_ = 0;
  int decPlaces_ = -2;
  bool logarithmic_ = false;
  TFigType labelType_ = ftNum;
  int minTicks_ = 3;
  double minRange_ = 1e-10;
  TMouseActMode mouseAction_ = maNone;
  double rangeLow_ = 0.0;
  double rangeHigh_ = 1.0;
  bool shortTicks_ = true;
  std::string scaleInscript_;
  int scalePos_ = 0;
  std::string userTickText_;
  bool visible_ = false;
  TScaleType scaleType_ = sctXT;
  bool loadingFlag_ = true;
  const TCustomControl* ownerControl_ = nullptr;
};

// Settings of a layer's x axis. slTop puts the axis on the top edge (scale type sctXB),
// slBottom on the bottom edge (sctXT).
class DENDROKIT_EXPORT TScalePropsHoriz : public TScaleProps {
 public:
  TScalePropsHoriz() { scaleType_ = sctXT; }
  std::string_view ClassName() const override { return "TScalePropsHoriz"; }
  TScaleLocationHoriz ScaleLocation() const { return location_; }
  void SetScaleLocation(TScaleLocationHoriz v);

 protected:
  void AssignLocation(const TScaleProps& source) override;

 private:
  friend class TCustomPlotra;
  TScaleLocationHoriz location_ = slBottom;
};

// Settings of a layer's y axis. slLeft puts the axis on the left edge (sctYR), slRight on
// the right edge (sctYL).
class DENDROKIT_EXPORT TScalePropsVert : public TScaleProps {
 public:
  TScalePropsVert() { scaleType_ = sctYR; }
  std::string_view ClassName() const override { return "TScalePropsVert"; }
  TScaleLocationVert ScaleLocation() const { return location_; }
  void SetScaleLocation(TScaleLocationVert v);

 protected:
  void AssignLocation(const TScaleProps& source) override;

 private:
  friend class TCustomPlotra;
  TScaleLocationVert location_ = slLeft;
};

}  // namespace dendrokit
