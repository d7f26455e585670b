// Date and time scale labels: calendar arithmetic, duration and date texts, the time-step and
// date-mode choices, and the tick plans of the ftTime and ftDateTime layouts.
//
// Date/time values are days since 1899-12-30 00:00; the fraction is the time of day, and the
// axis is continuous before that day too (-1.25 is 1899-12-28 18:00). Proleptic Gregorian.
#pragma once

#include "gfxbase/export.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "scale/ticks.h"

namespace dendrokit {

// ---------------------------------------------------------------------------------------------
// Calendar
// ---------------------------------------------------------------------------------------------

inline constexpr std::chrono::sys_days kDateTimeEpoch =
    std::chrono::sys_days{std::chrono::year{1899} / 12 / 30};
inline constexpr double kMinDateTime = -693593.0;   // 0001-01-01
inline constexpr double kMaxDateTime = 3000000.0;   // upper end of a valid ftDateTime range
// Values the calendar functions accept (|days| up to this; about year 27000 either way).
inline constexpr double kDateTimeLimit = 9000000.0;

// Day number <-> calendar date.
DENDROKIT_EXPORT std::chrono::year_month_day DayToDate(std::int64_t day);
DENDROKIT_EXPORT std::int64_t DateToDay(std::chrono::year_month_day date);

struct DENDROKIT_EXPORT DateTimeParts {
  int year = 1899;
  unsigned month = 12;
  unsigned day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// Splits a value into date and clock time, rounded to the nearest millisecond (a value a hair
// before midnight becomes the next day). Values within 1e-8 of 0 are 0. nullopt when the
// value is not finite or |value| > kDateTimeLimit.
DENDROKIT_EXPORT std::optional<DateTimeParts> DecodeDateTime(double value);
// Inverse of DecodeDateTime (invalid dates are normalised by day counting from the month).
DENDROKIT_EXPORT double EncodeDateTime(const DateTimeParts& parts);
// Days value of 1 January of the year containing value (value must be decodable).
DENDROKIT_EXPORT double StartOfYear(double value);

// ---------------------------------------------------------------------------------------------
// Texts
// ---------------------------------------------------------------------------------------------

// " hh:mm:ss" or " hh:mm:ss.zzz" with a sign character ("-" for negative durations, blank
// otherwise). The duration is first rounded to whole milliseconds; hours get at least two
// digits. "********" for a non-finite duration.
DENDROKIT_EXPORT std::string FormatDuration(double seconds, bool withMs);

// Date pattern of day labels and of the date beside clock labels.
DENDROKIT_EXPORT std::string DateLabelFormat(const DateFormatFields& f);

// Formats value with a pattern of the tokens yyyy yy mmm mm dd hh h nn ss zz am/pm, quoted
// text ("..." or '...') and other characters copied. Empty when the value is not decodable.
DENDROKIT_EXPORT std::string FormatDateValue(std::string_view pattern, double value,
                            const MonthNames& months = DefaultMonthNames());

// ---------------------------------------------------------------------------------------------
// ftTime steps
// ---------------------------------------------------------------------------------------------

struct DENDROKIT_EXPORT TimeStep {
  double step;      // major step in seconds
  int subdivisions;  // short-tick intervals per major step
};
inline constexpr int kTimeStepCount = 29;
DENDROKIT_EXPORT const std::array<TimeStep, kTimeStepCount>& TimeSteps();

// Index of the largest step <= |high - low| / minTicks (0 when none, or for NaN). minTicks
// <= 0 is taken as 1. Indices 0 and 28 mean the time layout declines.
DENDROKIT_EXPORT int TimeStepIndex(double low, double high, int minTicks);

// Tick plan of the ftTime layout; nullopt when it declines (the caller then uses the
// numeric layouts).
DENDROKIT_EXPORT std::optional<TickPlan> PlanTimeTicks(const ScaleTickSettings& s);

// ---------------------------------------------------------------------------------------------
// ftDateTime modes
// ---------------------------------------------------------------------------------------------

enum class DateMode : std::uint8_t {
  InvalidMessage,      // "invalid DateTime scale"
  BelowSecondMessage,  // "DateTime range is below 1 second"
  Hundredths,
  Seconds,
  Minutes,
  Hours,
  Days,
  Months,
  Years,
};

// Mode for the range and the orientation; minTicks <= 0 is taken as 1. Non-finite ends,
// low > high, low < kMinDateTime or high > kMaxDateTime give InvalidMessage.
DENDROKIT_EXPORT DateMode ChooseDateMode(double low, double high, int minTicks, bool vertical);

// Step of a clock mode, in units of that mode (hours, minutes, seconds, hundredths).
struct DENDROKIT_EXPORT ClockStep {
  int major;
  int minor;
  double unitsPerDay;
};
// Largest table step <= dt * unitsPerDay (the first entry when none is); dt = days per
// interval. mode must be one of the four clock modes.
DENDROKIT_EXPORT ClockStep ChooseClockStep(DateMode mode, double dt);

// Calendar steps: day step with its short step, month step, and labelled/iterated year step.
struct DENDROKIT_EXPORT DayStep {
  int step;
  int shortStep;
};
DENDROKIT_EXPORT DayStep ChooseDayStep(double dt);
DENDROKIT_EXPORT int ChooseMonthStep(double low, double high, int minTicks);
struct DENDROKIT_EXPORT YearStep {
  int labelled;  // h: years between labelled ticks
  int iterate;   // years between drawn ticks
};
DENDROKIT_EXPORT YearStep ChooseYearStep(double low, double high, int minTicks, bool shortTicks);

// Clock label pattern of a clock mode for the time format.
DENDROKIT_EXPORT std::string ClockLabelFormat(DateMode mode, const DateFormatFields& f);
// Label pattern of the months mode.
DENDROKIT_EXPORT std::string MonthLabelFormat(const DateFormatFields& f);

// Tick plan of the ftDateTime layout (ticks, or a message).
DENDROKIT_EXPORT TickPlan PlanDateTimeTicks(const ScaleTickSettings& s);

}  // namespace dendrokit
