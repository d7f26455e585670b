// Scale engine, the deciding half: tick distances, numeric label texts and the tick plan.
// Nothing here draws or needs a display; the scale control turns a TickPlan into lines and
// text and does all pixel geometry (ValueToPixel, label placement, the 250-entry tick list).
#pragma once

#include "gfxbase/export.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "gfxbase/enums.h"

namespace dendrokit {

// ---------------------------------------------------------------------------------------------
// Round tick distances and numeric label texts
// ---------------------------------------------------------------------------------------------

struct DENDROKIT_EXPORT NiceTicks {
  long double first = 0;         // first major tick at or just after low (in axis direction)
  long double distance = 0;      // signed major distance; 0 means "draw no ticks"
  std::uint16_t subdivisions = 1;  // short-tick intervals per major interval
};

// Largest 1/2/5 x 10^e major distance that still fits minTicks intervals into high..low
// (minTicks <= 0: one unit per major tick). Equal, NaN or infinite ends give distance 0.
DENDROKIT_EXPORT NiceTicks CalcNiceTicks(int minTicks, long double high, long double low);

// Fixed-point text with dec decimals (dec >= 0) or the short exponential form " 1.5E+03"
// (dec < 0); "********" when the exponent needs three digits or x is not finite. A value that
// rounds to zero is written without a minus sign. The decimal point is always '.'.
DENDROKIT_EXPORT std::string FormatTickNumber(double x, int dec);

// Decimals for linear labels: decPlaces unchanged unless it is -2 or -3 (automatic).
DENDROKIT_EXPORT int AutoDecPlaces(int decPlaces, double high, double low);
// Decimals for logarithmic labels: decPlaces unchanged unless it is -2 (automatic).
DENDROKIT_EXPORT int AutoLogDecPlaces(int decPlaces, double hi, double lo);

// n-th (1-based) "|"-separated item of text; the last item for n beyond the count; the first
// for n < 1; empty for an empty text.
DENDROKIT_EXPORT std::string UserTickItem(std::string_view text, int n);

// Puts the inscript around a non-empty label: the part before the first '&' in front, the
// part after it behind; without '&' the whole inscript in front.
DENDROKIT_EXPORT std::string ApplyInscript(std::string_view label, std::string_view inscript);

// Label of a linear-layout major tick (zero snapping, 14-character cut, DecPlaces 0 hides
// non-integers, user text or inscript). value is the raw tick value, tickNumber is 1-based,
// dec comes from AutoDecPlaces. The snapped value (exact 0 near zero) goes to *snapped.
DENDROKIT_EXPORT std::string NumericTickLabel(double value, int tickNumber, int dec, int decPlacesProperty,
                             double rangeLow, double rangeHigh, TFigType labelType,
                             std::string_view userTickText, std::string_view inscript,
                             double* snapped = nullptr);

// ---------------------------------------------------------------------------------------------
// Date/time label format (the seven format fields of a scale's DateFormat object)
// ---------------------------------------------------------------------------------------------

// Defaults are those a scale sets on its own DateFormat. A separator with code 0 means
// "no separator character".
struct DENDROKIT_EXPORT DateFormatFields {
  TTimeFormat timeFormat = tfHHMMSS;
  char dateSeparator = '-';
  char timeSeparator = ':';
  TYearLength yearLength = ylYYYY;
  bool monthName = true;
  TDateOrder dateOrder = doDDMMYY;
  TDateForTime dateForTime = dtOnePerDay;
};

// Abbreviated month names, January first (UTF-8). The host fills them from its locale.
using MonthNames = std::array<std::string, 12>;
// English abbreviations "Jan" .. "Dec"; used when no table is given.
DENDROKIT_EXPORT const MonthNames& DefaultMonthNames();

// ---------------------------------------------------------------------------------------------
// Tick plan: what one drawing of a scale consists of, in drawing order
// ---------------------------------------------------------------------------------------------
//
// The control draws a plan like this, for each PlannedTick in order:
//   p = ValueToPixel(tick.value);
//   if (tick.record && NumTicks < 250) append tick.value to the tick list;
//   draw the tick line of tick.length pixels at p (direction by ScaleType);
//   if (tick.eventBeforeLabel) raise OnScaleTickDrawn(tick.eventValue, p);
//   if (tick.hasLabel) { raise OnBeforeTickLabel(tick.labelValue, text = tick.label);
//                        measure and draw text at p by tick.anchor; }
//   if (tick.hasDateLabel) { raise OnBeforeTickLabel(tick.labelValue, text = tick.dateLabel);
//                            measure and draw it one text line further from the base line; }
//   if (!tick.eventBeforeLabel) raise OnScaleTickDrawn(tick.eventValue, p);
// A plan with a message draws only that message, centred on ValueToPixel(messageValue).

enum class TickLayout : std::uint8_t {
  None,         // nothing drawn (equal, NaN or infinite range; unusable logarithmic range)
  Linear,       // numeric linear layout (also ftTime fall-back, log ranges below one decade)
  Logarithmic,  // decade layout
  Time,         // ftTime clock durations
  DateTime,     // ftDateTime calendar and clock
};

enum class ScaleMessage : std::uint8_t { None, InvalidDateTime, BelowOneSecond };

// Vertical centring of a label on its tick (horizontal scales ignore it: PlaceHorizLabel).
enum class LabelAnchor : std::uint8_t {
  ZeroHeight,  // top = p - h0 / 2, h0 = text height of "0" (numeric layouts)
  OwnHeight,   // top = p - h / 2, h = the label's own text height (date/time layouts)
};

struct DENDROKIT_EXPORT PlannedTick {
  double value = 0;          // position along the axis; the value recorded in the tick list
  int length = 0;            // tick length in pixels (4 short; 6 or 7 major)
  bool major = false;        // major (possibly labelled) tick rather than a short one
  bool record = false;       // append value to the tick list
  bool eventBeforeLabel = false;
  double eventValue = 0;     // CurrentTickPos of OnScaleTickDrawn
  bool hasLabel = false;     // label step happens (text may be empty; the event still fires)
  std::string label;
  double labelValue = 0;     // CurrentTickPos of OnBeforeTickLabel
  LabelAnchor anchor = LabelAnchor::ZeroHeight;
  bool hasDateLabel = false;  // date line beside a clock label (ftDateTime clock modes)
  std::string dateLabel;
};

struct DENDROKIT_EXPORT TickPlan {
  TickLayout layout = TickLayout::None;
  ScaleMessage message = ScaleMessage::None;
  double messageValue = 0;   // centre of the message: (RangeLow + RangeHigh) / 2, always finite
  std::vector<PlannedTick> ticks;
};

// Everything the plan depends on: the scale's settings (see TScale) and the month names.
struct DENDROKIT_EXPORT ScaleTickSettings {
  double rangeLow = 0.0;
  double rangeHigh = 100.0;
  bool logarithmic = false;
  int minTicks = 3;
  int decPlaces = -2;
  bool shortTicks = true;
  TFigType labelType = ftNum;
  std::string userTickText;
  std::string scaleInscript;
  TScaleType scaleType = sctXB;
  DateFormatFields dateFormat;
  const MonthNames* monthNames = nullptr;  // nullptr: DefaultMonthNames()
};

inline bool IsVerticalScale(TScaleType t) { return t == sctYL || t == sctYR; }

// Upper bound on the ticks of one plan. A numeric range that would need more major ticks than
// kMaxMajorTicks (MinTicks 0 over a huge span) is planned with no ticks at all.
inline constexpr std::size_t kMaxMajorTicks = 5000;
inline constexpr std::size_t kMaxPlannedTicks = 100000;

// The whole drawing decision: ftDateTime -> date/time layout; ftTime -> time layout unless it
// declines; then logarithmic (Logarithmic on) or linear layout.
DENDROKIT_EXPORT TickPlan PlanScaleTicks(const ScaleTickSettings& s);

// Linear layout. Major ticks off the axis by more than 0.001 of a step (possible only with
// MinTicks 0 on a span below one unit) are left out.
DENDROKIT_EXPORT TickPlan PlanLinearTicks(const ScaleTickSettings& s);
// Logarithmic layout; the linear one for a span below one decade; no ticks (layout None)
// when a range end is 0, negative or not finite.
DENDROKIT_EXPORT TickPlan PlanLogTicks(const ScaleTickSettings& s);

// Message lines: horizontal scales write one line; vertical scales write word groups on
// successive lines, the first with its top one text height above the centre.
DENDROKIT_EXPORT std::vector<std::string> ScaleMessageLines(ScaleMessage m, bool vertical);

}  // namespace dendrokit
