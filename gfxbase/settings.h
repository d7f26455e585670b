// Settings objects that components embed as sub-properties: the crosshair and the
// date/time label format. Each reports its changes through OnChange (Sender = the object);
// the owning component takes that to repaint or recompute. Assign copies the handler too.
#pragma once

#include "gfxbase/export.h"

#include <cstddef>
#include <string_view>

#include "gfxbase/component.h"
#include "gfxbase/enums.h"
#include "gfxbase/graphics_types.h"
#include "gfxbase/types.h"

namespace dendrokit {

// True when value is one of the named values of E. Setters ignore other ordinals, so
// stored settings always index the name tables safely.
template <typename E> constexpr bool IsEnumValue(E value) {
  return static_cast<std::size_t>(value) < EnumCount<E>();
}

// A crosshair's settings. A new one has every field zero; owners set their defaults
// through the setters. Every write raises OnChange, also when the value is unchanged.
class DENDROKIT_EXPORT TCrossHair : public TPersistent {
 public:
  TCrossHair() = default;
  std::string_view ClassName() const override { return "TCrossHair"; }

  double PosX() const { return posX_; }
  void SetPosX(double v);
  double PosY() const { return posY_; }
  void SetPosY(double v);
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  // Layer of the owner's drawing; a value <= 0 becomes 1, a value > 16 becomes 16.
  int Layer() const { return layer_; }
  void SetLayer(int v);
  TCrossHMode Mode() const { return mode_; }
  void SetMode(TCrossHMode v);
  TPenStyle LineType() const { return lineType_; }
  void SetLineType(TPenStyle v);
  // Pen width in pixels, stored as given.
  int LineWid() const { return lineWid_; }
  void SetLineWid(int v);

  // Copies every field and the OnChange handler from another crosshair; raises nothing.
  void Assign(const TPersistent* source) override;

  TNotifyEvent OnChange;

 private:
  void Changed();

  double posX_ = 0.0;
  double posY_ = 0.0;
  TColor color_ = 0;
  TCrossHMode mode_ = chOff;
  TPenStyle lineType_ = psSolid;
  int lineWid_ = 0;
  int layer_ = 0;
};

// The date/time label format of a scale. A new one has every field zero (both separators
// the character with code 0). TimeFormat and DateOrder raise OnChange on every write, the
// other fields only when the value changes.
class DENDROKIT_EXPORT TDTLabel : public TPersistent {
 public:
  TDTLabel() = default;
  ~TDTLabel() override;
  std::string_view ClassName() const override { return "TDTLabel"; }

  TTimeFormat TimeFormat() const { return timeFormat_; }
  void SetTimeFormat(TTimeFormat v);
  char DateSeparator() const { return dateSeparator_; }
  void SetDateSeparator(char v);
  char TimeSeparator() const { return timeSeparator_; }
  void SetTimeSeparator(char v);
  TYearLength YearLength() const { return yearLength_; }
  void SetYearLength(TYearLength v);
  bool MonthName() const { return monthName_; }
  void SetMonthName(bool v);
  TDateOrder DateOrder() const { return dateOrder_; }
  void SetDateOrder(TDateOrder v);
  TDateForTime DateForTime() const { return dateForTime_; }
  void SetDateForTime(TDateForTime v);

  // Copies the seven format fields and the OnChange handler from another TDTLabel;
  // raises nothing.
  void Assign(const TPersistent* source) override;

  TNotifyEvent OnChange;

 private:
  void Changed();

  TTimeFormat timeFormat_ = tfHHMMSS;
  char dateSeparator_ = '\0';
  char timeSeparator_ = '\0';
  TYearLength yearLength_ = ylNone;
  bool monthName_ = false;
  TDateOrder dateOrder_ = doMMDDYY;
  TDateForTime dateForTime_ = dtNone;
};

}  // namespace dendrokit
