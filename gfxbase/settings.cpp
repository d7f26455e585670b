#include "gfxbase/settings.h"

namespace dendrokit {

// --- TCrossHair -------------------------------------------------------------------------

void TCrossHair::Changed() {
  if (OnChange) OnChange(this);
}

void TCrossHair::SetPosX(double v) {
  posX_ = v;
  Changed();
}

void TCrossHair::SetPosY(double v) {
  posY_ = v;
  Changed();
}

void TCrossHair::SetColor(TColor v) {
  color_ = v;
  Changed();
}

void TCrossHair::SetLayer(int v) {
  layer_ = v <= 0 ? 1 : (v > 16 ? 16 : v);
  Changed();
}

void TCrossHair::SetMode(TCrossHMode v) {
  if (!IsEnumValue(v)) return;
  mode_ = v;
  Changed();
}

void TCrossHair::SetLineType(TPenStyle v) {
  if (!IsEnumValue(v)) return;
  lineType_ = v;
  Changed();
}

void TCrossHair::SetLineWid(int v) {
  lineWid_ = v;
  Changed();
}

void TCrossHair::Assign(const TPersistent* source) {
  const auto* src = dynamic_cast<const TCrossHair*>(source);
  if (src == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (src == this) return;
  posX_ = src->posX_;
  posY_ = src->posY_;
  color_ = src->color_;
  mode_ = src->mode_;
  lineType_ = src->lineType_;
  lineWid_ = src->lineWid_;
  layer_ = src->layer_;
  OnChange = src->OnChange;
}

// --- TDTLabel ---------------------------------------------------------------------------

TDTLabel::~TDTLabel() { OnChange = nullptr; }

void TDTLabel::Changed() {
  if (OnChange) OnChange(this);
}

void TDTLabel::SetTimeFormat(TTimeFormat v) {
  if (!IsEnumValue(v)) return;
  timeFormat_ = v;
  Changed();
}

void TDTLabel::SetDateSeparator(char v) {
  if (v == dateSeparator_) return;
  dateSeparator_ = v;
  Changed();
}

void TDTLabel::SetTimeSeparator(char v) {
  if (v == timeSeparator_) return;
  timeSeparator_ = v;
  Changed();
}

void TDTLabel::SetYearLength(TYearLength v) {
  if (!IsEnumValue(v) || v == yearLength_) return;
  yearLength_ = v;
  Changed();
}

void TDTLabel::SetMonthName(bool v) {
  if (v == monthName_) return;
  monthName_ = v;
  Changed();
}

void TDTLabel::SetDateOrder(TDateOrder v) {
  if (!IsEnumValue(v)) return;
  dateOrder_ = v;
  Changed();
}

void TDTLabel::SetDateForTime(TDateForTime v) {
  if (!IsEnumValue(v) || v == dateForTime_) return;
  dateForTime_ = v;
  Changed();
}

void TDTLabel::Assign(const TPersistent* source) {
  const auto* src = dynamic_cast<const TDTLabel*>(source);
  if (src == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (src == this) return;
  timeFormat_ = src->timeFormat_;
  dateSeparator_ = src->dateSeparator_;
  timeSeparator_ = src->timeSeparator_;
  yearLength_ = src->yearLength_;
  monthName_ = src->monthName_;
  dateOrder_ = src->dateOrder_;
  dateForTime_ = src->dateForTime_;
  OnChange = src->OnChange;
}

}  // namespace dendrokit
