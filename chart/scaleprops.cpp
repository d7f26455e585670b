#include "chart/scaleprops.h"

#include <algorithm>
#include <cmath>

namespace dendrokit {

namespace {

void SetDateFormatDefaults(TDTLabel& f) {
  f.SetTimeFormat(tfHHMMSS);
  f.SetDateSeparator('-');
  f.SetTimeSeparator(':');
  f.SetYearLength(ylYYYY);
  f.SetMonthName(true);
  f.SetDateOrder(doDDMMYY);
  f.SetDateForTime(dtOnePerDay);
}

}  // namespace

TScaleProps::TScaleProps()
    : dateFormat_(std::make_unique<TDTLabel>()), font_(std::make_unique<TFont>()) {
  SetDateFormatDefaults(*dateFormat_);
  dateFormat_->OnChange = [this](TObject*) { Changed(); };
}

TScaleProps::~TScaleProps() { dateFormat_->OnChange = nullptr; }

void TScaleProps::Changed() {
  if (OnChange) OnChange(this);
}

void TScaleProps::SetCaption(const std::string& v) {
  caption_ = v;
  Changed();
}
void TScaleProps::SetCaptionPosX(int v) {
  captionPosX_ = v;
  Changed();
}
void TScaleProps::SetCaptionPosY(int v) {
  captionPosY_ = v;
  Changed();
}
void TScaleProps::SetCaptionAlignment(TAlignment v) {
  if (!IsEnumValue(v)) return;
  captionAlignment_ = v;
  Changed();
}
void TScaleProps::SetCaptionAnchor(TScaleUnitAnchor v) {
  if (!IsEnumValue(v)) return;
  captionAnchor_ = v;
  Changed();
}
void TScaleProps::SetColorScale(TColor v) {
  colorScale_ = v;
  Changed();
}

void TScaleProps::SetDateFormat(const TDTLabel& v) {
  if (&v == dateFormat_.get()) return;
  const TNotifyEvent keep = dateFormat_->OnChange;
  dateFormat_->Assign(&v);
  dateFormat_->OnChange = keep;
  Changed();
}

void TScaleProps::SetDecPlaces(int v) {
  decPlaces_ = std::clamp(v, -3, 12);
  Changed();
}

void TScaleProps::SetFont(const TFont& v) {
  font_->Assign(&v);
  Changed();
}

void TScaleProps::SetLogarithmic(bool v) {
  if (!v)
    logarithmic_ = false;
  else if (loadingFlag_ || (ownerControl_ && ownerControl_->Loading()) || (rangeLow_ >= 0.0 && rangeHigh_ >= 0.0 && labelType_ != ftDateTime))
    logarithmic_ = true;
  Changed();
}

void TScaleProps::SetLabelType(TFigType v) {
  if (!IsEnumValue(v)) return;
  labelType_ = v;
  if (v == ftDateTime) logarithmic_ = false;
  if (v == ftTime) decPlaces_ = 4;
  Changed();
}

void TScaleProps::SetMinTicks(int v) {
  minTicks_ = v;
  Changed();
}

void TScaleProps::SetMinRange(double v) {
  if (!(v > 0.0) || !std::isfinite(v)) return;
  minRange_ = v;
  if (std::fabs(rangeHigh_ - rangeLow_) < v) {
    const double c = (rangeHigh_ + rangeLow_) / 2.0;
    rangeLow_ = c - v / 2.0;
    rangeHigh_ = c + v / 2.0;
    Changed();
  }
}

void TScaleProps::SetMouseAction(TMouseActMode v) {
  if (!IsEnumValue(v)) return;
  mouseAction_ = v;
  Changed();
}

void TScaleProps::SetRangeLow(double v) {
  if (std::isfinite(v)) {
    if (std::fabs(rangeHigh_ - v) < minRange_) {
      rangeLow_ = v;
      rangeHigh_ = v + minRange_;
    } else if (!(logarithmic_ && v < 0.0)) {
      rangeLow_ = v;
    }
  }
  Changed();
}

void TScaleProps::SetRangeHigh(double v) {
  if (std::isfinite(v)) {
    if (std::fabs(v - rangeLow_) < minRange_) {
      rangeHigh_ = v;
      rangeLow_ = v - minRange_;
    } else if (!(logarithmic_ && v < 0.0)) {
      rangeHigh_ = v;
    }
  }
  Changed();
}

void TScaleProps::SetShortTicks(bool v) {
  shortTicks_ = v;
  Changed();
}
void TScaleProps::SetScaleInscript(const std::string& v) {
  scaleInscript_ = v;
  Changed();
}
void TScaleProps::SetScalePos(int v) {
  scalePos_ = v;
  Changed();
}
void TScaleProps::SetUserTickText(const std::string& v) {
  userTickText_ = v;
  Changed();
}
void TScaleProps::SetVisible(bool v) {
  visible_ = v;
  Changed();
}

void TScaleProps::Assign(const TPersistent* source) {
  const auto* src = dynamic_cast<const TScaleProps*>(source);
  // Only an axis of the same direction: an x axis must not take a y axis' scale type.
  const auto horizontal = [](const TScaleProps* p) {
    return dynamic_cast<const TScalePropsHoriz*>(p) != nullptr;
  };
  if (!src || horizontal(src) != horizontal(this)) {
    TPersistent::Assign(source);
    return;
  }
  if (src == this) return;
  caption_ = src->caption_;
  captionPosX_ = src->captionPosX_;
  captionPosY_ = src->captionPosY_;
  captionAlignment_ = src->captionAlignment_;
  captionAnchor_ = src->captionAnchor_;
  colorScale_ = src->colorScale_;
  {
    // The handler stays this object's: its changes must keep reaching the chart.
    const TNotifyEvent keep = dateFormat_->OnChange;
    dateFormat_->Assign(src->dateFormat_.get());
    dateFormat_->OnChange = keep;
  }
  decPlaces_ = src->decPlaces_;
  logarithmic_ = src->logarithmic_;
  labelType_ = src->labelType_;
  font_->Assign(src->font_.get());
  minTicks_ = src->minTicks_;
  loadingFlag_ = src->loadingFlag_;
  rangeLow_ = src->rangeLow_;
  rangeHigh_ = src->rangeHigh_;
  shortTicks_ = src->shortTicks_;
  scaleInscript_ = src->scaleInscript_;
  scaleType_ = src->scaleType_;
  scalePos_ = src->scalePos_;
  AssignLocation(*src);
  minRange_ = src->minRange_;
  userTickText_ = src->userTickText_;
  visible_ = src->visible_;
}

void TScalePropsHoriz::SetScaleLocation(TScaleLocationHoriz v) {
  if (!IsEnumValue(v)) return;
  location_ = v;
  scaleType_ = v == slTop ? sctXB : sctXT;
  Changed();
}

void TScalePropsHoriz::AssignLocation(const TScaleProps& source) {
  if (const auto* s = dynamic_cast<const TScalePropsHoriz*>(&source)) location_ = s->location_;
}

void TScalePropsVert::SetScaleLocation(TScaleLocationVert v) {
  if (!IsEnumValue(v)) return;
  location_ = v;
  scaleType_ = v == slLeft ? sctYR : sctYL;
  Changed();
}

void TScalePropsVert::AssignLocation(const TScaleProps& source) {
  if (const auto* s = dynamic_cast<const TScalePropsVert*>(&source)) location_ = s->location_;
}

}  // namespace dendrokit
