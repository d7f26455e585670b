#include "scale/datetime.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

namespace dendrokit {

namespace {

using namespace std::chrono;

constexpr double kMsPerDay = 86400000.0;
// Relative slack that lets a tick sitting on a range end count as inside.
constexpr double kSlack = 0.999999999;

// Mathematical modulo (result in 0..m-1 also for negative a), so that a tick phase does not
// flip when the ticks cross day 0.
std::int64_t FloorMod(std::int64_t a, std::int64_t m) {
  const std::int64_t r = a % m;
  return r < 0 ? r + m : r;
}

std::string Pad(long long v, int width) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*lld", width, v);
  return buf;
}

// A separator in a pattern, quoted so that it is copied literally; code 0 means none.
std::string QuoteSep(char sep) {
  if (sep == '\0') return {};
  if (sep == '"') return "'\"'";
  return std::string("\"") + sep + "\"";
}

std::string MonthPart(const DateFormatFields& f) { return f.monthName ? "mmm" : "mm"; }

std::string YearPart(const DateFormatFields& f) {
  switch (f.yearLength) {
    case ylNone: return {};
    case ylYY: return "yy";
    default: return "yyyy";
  }
}

bool StartsWith(std::string_view s, std::size_t i, std::string_view token) {
  return s.substr(i, token.size()) == token;
}

int MinTicksForSpan(int minTicks) { return minTicks <= 0 ? 1 : minTicks; }

// Tick that the date/time layouts emit; the label is filled in by the caller for major ticks.
PlannedTick DateTick(double value, bool major, bool vertical) {
  PlannedTick t;
  t.value = value;
  t.major = major;
  t.length = major ? (vertical ? 6 : 7) : 4;
  t.record = true;
  t.eventBeforeLabel = false;
  t.eventValue = value;
  t.labelValue = value;
  t.anchor = LabelAnchor::OwnHeight;
  return t;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Calendar
// ---------------------------------------------------------------------------------------------

year_month_day DayToDate(std::int64_t day) {
  return year_month_day{kDateTimeEpoch + days{day}};
}

std::int64_t DateToDay(year_month_day date) {
  return (sys_days{date} - kDateTimeEpoch).count();
}

std::optional<DateTimeParts> DecodeDateTime(double value) {
  if (!std::isfinite(value) || std::fabs(value) > kDateTimeLimit) return std::nullopt;
  if (std::fabs(value) < 1e-8) value = 0;
  const double dayStart = std::floor(value);
  auto day = static_cast<std::int64_t>(dayStart);
  auto ms = static_cast<std::int64_t>(std::nearbyint((value - dayStart) * kMsPerDay));
  if (ms >= static_cast<std::int64_t>(kMsPerDay)) {
    ++day;
    ms -= static_cast<std::int64_t>(kMsPerDay);
  }
  const year_month_day ymd = DayToDate(day);
  DateTimeParts p;
  p.year = static_cast<int>(ymd.year());
  p.month = static_cast<unsigned>(ymd.month());
  p.day = static_cast<unsigned>(ymd.day());
  p.hour = static_cast<int>(ms / 3600000);
  p.minute = static_cast<int>(ms / 60000 % 60);
  p.second = static_cast<int>(ms / 1000 % 60);
  p.millisecond = static_cast<int>(ms % 1000);
  return p;
}

double EncodeDateTime(const DateTimeParts& p) {
  const year_month ym = year{p.year} / January + months{static_cast<int>(p.month) - 1};
  const std::int64_t day = DateToDay(ym / 1) + static_cast<std::int64_t>(p.day) - 1;
  const double ms = ((p.hour * 60.0 + p.minute) * 60.0 + p.second) * 1000.0 + p.millisecond;
  return static_cast<double>(day) + ms / kMsPerDay;
}

double StartOfYear(double value) {
  const auto p = DecodeDateTime(value);
  if (!p) return std::nan("");
  return static_cast<double>(DateToDay(year{p->year} / January / 1));
}

// ---------------------------------------------------------------------------------------------
// Texts
// ---------------------------------------------------------------------------------------------

std::string FormatDuration(double seconds, bool withMs) {
  const double totalMs = std::nearbyint(std::fabs(seconds) * 1000.0);
  if (!std::isfinite(totalMs)) return "********";
  const double restMs = std::fmod(totalMs, 3600000.0);  // exact, 0 <= restMs < 3600000
  const double hours = std::nearbyint((totalMs - restMs) / 3600000.0);
  const auto rest = static_cast<long long>(restMs);

  std::string text(1, seconds < 0 && totalMs != 0 ? '-' : ' ');
  char buf[400];
  const auto res = std::to_chars(buf, buf + sizeof buf, hours, std::chars_format::fixed, 0);
  const std::string h(buf, res.ptr);
  if (h.size() < 2) text += '0';
  text += h;
  text += ':' + Pad(rest / 60000, 2) + ':' + Pad(rest / 1000 % 60, 2);
  if (withMs) text += '.' + Pad(rest % 1000, 3);
  return text;
}

std::string DateLabelFormat(const DateFormatFields& f) {
  const std::string m = MonthPart(f), y = YearPart(f), sep = QuoteSep(f.dateSeparator);
  switch (f.dateOrder) {
    case doMMDDYY: return y.empty() ? m + sep + "dd" : m + sep + "dd" + sep + y;
    case doYYMMDD: return y.empty() ? m + sep + "dd" : y + sep + m + sep + "dd";
    default: return y.empty() ? "dd" + sep + m : "dd" + sep + m + sep + y;
  }
}

std::string FormatDateValue(std::string_view pattern, double value, const MonthNames& months) {
  const auto p = DecodeDateTime(value);
  if (!p) return {};
  const bool twelveHour = pattern.find("am/pm") != std::string_view::npos;
  int hour = p->hour;
  if (twelveHour) hour = hour % 12 == 0 ? 12 : hour % 12;

  std::string out;
  std::size_t i = 0;
  while (i < pattern.size()) {
    const char c = pattern[i];
    if (c == '"' || c == '\'') {
      const auto close = pattern.find(c, i + 1);
      const auto end = close == std::string_view::npos ? pattern.size() : close;
      out += pattern.substr(i + 1, end - i - 1);
      i = end + 1;
    } else if (StartsWith(pattern, i, "yyyy")) {
      if (p->year < 0) out += '-';
      out += Pad(std::abs(p->year), 4);
      i += 4;
    } else if (StartsWith(pattern, i, "yy")) {
      out += Pad(FloorMod(p->year, 100), 2);
      i += 2;
    } else if (StartsWith(pattern, i, "mmm")) {
      out += months[p->month - 1];
      i += 3;
    } else if (StartsWith(pattern, i, "mm")) {
      out += Pad(p->month, 2);
      i += 2;
    } else if (StartsWith(pattern, i, "dd")) {
      out += Pad(p->day, 2);
      i += 2;
    } else if (StartsWith(pattern, i, "hh")) {
      out += Pad(hour, 2);
      i += 2;
    } else if (c == 'h') {
      out += std::to_string(hour);
      i += 1;
    } else if (StartsWith(pattern, i, "nn")) {
      out += Pad(p->minute, 2);
      i += 2;
    } else if (StartsWith(pattern, i, "ss")) {
      out += Pad(p->second, 2);
      i += 2;
    } else if (StartsWith(pattern, i, "zz")) {
      out += Pad(p->millisecond / 10, 2);
      i += 2;
    } else if (StartsWith(pattern, i, "am/pm")) {
      out += p->hour < 12 ? "am" : "pm";
      i += 5;
    } else {
      out += c;
      i += 1;
    }
  }
  return out;
}

// ---------------------------------------------------------------------------------------------
// ftTime
// ---------------------------------------------------------------------------------------------

const std::array<TimeStep, kTimeStepCount>& TimeSteps() {
  static constexpr std::array<TimeStep, kTimeStepCount> steps = {{
      {0, 1},       {0.001, 5},  {0.002, 4},  {0.005, 5},  {0.01, 5},   {0.02, 4},
      {0.05, 5},    {0.1, 5},    {0.2, 4},    {0.5, 5},    {1, 5},      {2, 4},
      {5, 5},       {10, 5},     {20, 4},     {30, 6},     {60, 6},     {120, 6},
      {180, 6},     {300, 5},    {600, 5},    {1200, 6},   {1800, 6},   {3600, 6},
      {7200, 4},    {14400, 4},  {21600, 6},  {43200, 6},  {86400, 6},
  }};
  return steps;
}

int TimeStepIndex(double low, double high, int minTicks) {
  const double q = std::fabs(high - low) / MinTicksForSpan(minTicks);
  const auto& steps = TimeSteps();
  for (int i = kTimeStepCount - 1; i > 0; --i)
    if (steps[static_cast<std::size_t>(i)].step <= q) return i;
  return 0;
}

// Time layout: a grid of short steps from a multiple of the major step at or before
// RangeLow; short ticks in one pass, then the grid points within a hundredth of a major step
// of a multiple of it as labelled major ticks. O(grid points), at most ~25 x 6.
std::optional<TickPlan> PlanTimeTicks(const ScaleTickSettings& s) {
  const int index = TimeStepIndex(s.rangeLow, s.rangeHigh, s.minTicks);
  if (index == 0 || index == kTimeStepCount - 1) return std::nullopt;
  const double low = s.rangeLow, high = s.rangeHigh;
  if (!std::isfinite(low) || !std::isfinite(high)) return std::nullopt;
  const TimeStep ts = TimeSteps()[static_cast<std::size_t>(index)];
  const double sg = high > low ? 1.0 : -1.0;
  const double big = sg * ts.step, small = sg * ts.step / ts.subdivisions;
  const bool vertical = IsVerticalScale(s.scaleType);

  double r = low / big / kSlack;
  r = vertical ? std::trunc(r) : std::floor(r);
  const double first = r * big;
  // The grid may start up to a full major step before RangeLow, so it needs one major step of
  // points beyond the span, plus the rounding slack.
  const double points =
      std::trunc((high - low) / small) + 5 + ts.subdivisions;
  if (!(points >= 0) || points > static_cast<double>(kMaxPlannedTicks)) return std::nullopt;
  const int n = static_cast<int>(points);

  // Both ends are widened by a relative 1e-9 away from the inside of the axis, also for a
  // reversed axis.
  auto widenStart = [&](double v) { return (v >= 0) == (sg > 0) ? v * kSlack : v / kSlack; };
  auto widenEnd = [&](double v) { return (v > 0) == (sg > 0) ? v / kSlack : v * kSlack; };
  const double lo = widenStart(low), hi = widenEnd(high);
  auto inside = [&](double v) { return sg * lo <= sg * v && sg * v <= sg * hi; };

  TickPlan plan;
  plan.layout = TickLayout::Time;
  if (s.shortTicks) {
    for (int k = 0; k <= n; ++k) {
      const double v = first + k * small;
      if (!inside(v)) continue;
      PlannedTick t;
      t.value = v;
      t.length = 4;
      t.record = true;
      t.eventValue = v;
      t.labelValue = v;
      plan.ticks.push_back(std::move(t));
    }
  }
  const bool withMs = index <= 9;
  for (int k = 0; k <= n; ++k) {
    const double v = first + k * small;
    const double t = v / big;
    if (!(std::fabs(t - std::round(t)) < 0.01) || !inside(v)) continue;
    PlannedTick tick;
    tick.value = v;
    tick.length = vertical ? 6 : 7;
    tick.major = true;
    tick.record = vertical || !s.shortTicks;
    tick.eventValue = v;
    tick.labelValue = v;
    tick.hasLabel = true;
    tick.label = FormatDuration(v, withMs);
    plan.ticks.push_back(std::move(tick));
  }
  return plan;
}

// ---------------------------------------------------------------------------------------------
// ftDateTime
// ---------------------------------------------------------------------------------------------

DateMode ChooseDateMode(double low, double high, int minTicks, bool vertical) {
  if (!std::isfinite(low) || !std::isfinite(high) || high < low || low < kMinDateTime ||
      high > kMaxDateTime)
    return DateMode::InvalidMessage;
  const double dt = (high - low) / MinTicksForSpan(minTicks);
  if (dt <= 1.0 / 8640000) return DateMode::BelowSecondMessage;
  if (vertical) {
    if (dt <= 1.0 / 86400) return DateMode::Hundredths;
    if (dt <= 1.0 / 1440) return DateMode::Seconds;
  } else {
    if (dt <= 1.1574e-5) return DateMode::BelowSecondMessage;
    if (dt <= 0.00069444) return DateMode::Seconds;
  }
  if (dt <= 0.041667) return DateMode::Minutes;
  if (dt <= 1) return DateMode::Hours;
  if (dt <= 30) return DateMode::Days;
  if (dt > 366) return DateMode::Years;
  return DateMode::Months;
}

ClockStep ChooseClockStep(DateMode mode, double dt) {
  struct Table {
    std::array<int, 6> major, minor;
    double unitsPerDay;
  };
  static constexpr Table hours{{1, 2, 3, 6, 8, 12}, {1, 1, 1, 2, 2, 3}, 24};
  static constexpr Table minutes{{1, 2, 5, 10, 20, 30}, {1, 1, 1, 2, 5, 10}, 1440};
  static constexpr Table seconds{{1, 2, 5, 10, 20, 30}, {1, 1, 1, 2, 5, 10}, 86400};
  static constexpr Table hundredths{{1, 2, 5, 10, 20, 50}, {1, 1, 1, 5, 10, 10}, 8640000};
  const Table& t = mode == DateMode::Hours     ? hours
                   : mode == DateMode::Minutes ? minutes
                   : mode == DateMode::Seconds ? seconds
                                               : hundredths;
  const double x = dt * t.unitsPerDay;
  std::size_t i = 5;
  while (i > 0 && !(t.major[i] <= x)) --i;
  return {t.major[i], t.minor[i], t.unitsPerDay};
}

DayStep ChooseDayStep(double dt) {
  static constexpr std::array<int, 6> steps{1, 2, 3, 7, 14, 28};
  std::size_t i = steps.size() - 1;
  while (i > 0 && !(steps[i] <= dt)) --i;
  return {steps[i], steps[i] >= 14 ? 7 : 1};
}

int ChooseMonthStep(double low, double high, int minTicks) {
  static constexpr std::array<int, 5> steps{1, 2, 3, 4, 6};
  const double a = (high - low) / 30.4375 / MinTicksForSpan(minTicks);
  std::size_t i = steps.size() - 1;
  while (i > 0 && !(steps[i] <= a)) --i;
  return steps[i];
}

YearStep ChooseYearStep(double low, double high, int minTicks, bool shortTicks) {
  double a = (high - low) / 365.25 / MinTicksForSpan(minTicks);
  if (!(a >= 1)) a = 1;
  if (a > 1e6) a = 1e6;  // beyond any valid range; keeps the step an int
  double g = std::log10(a);
  double f = g - std::trunc(g);
  if (f > 0.9999999999) {  // log10 of an exact power of ten may come out a hair low
    g = std::nearbyint(g);
    f = 0;
  }
  // The relative nudge keeps an exact 2 or 5 from coming out a hair below it.
  const double mantissa = std::pow(10.0, f) * (1 + 1e-12);
  const int k = mantissa < 2 ? 1 : mantissa < 5 ? 2 : 5;
  YearStep y;
  y.labelled = static_cast<int>(std::nearbyint(k * std::pow(10.0, std::trunc(g))));
  if (!shortTicks || y.labelled <= 1)
    y.iterate = y.labelled;
  else
    y.iterate = static_cast<int>(std::nearbyint(y.labelled / (k == 5 ? 5.0 : 2.0)));
  if (y.iterate < 1) y.iterate = 1;
  return y;
}

std::string ClockLabelFormat(DateMode mode, const DateFormatFields& f) {
  const std::string sep = QuoteSep(f.timeSeparator);
  switch (mode) {
    case DateMode::Hours:
      if (f.timeFormat == tfHHhMM) return "h\"h\"";
      if (f.timeFormat == tfAMPM) return "ham/pm";
      return "hh" + sep + "nn";
    case DateMode::Minutes:
      if (f.timeFormat == tfHHhMM) return "h\"h\"nn";
      if (f.timeFormat == tfAMPM) return "h" + sep + "nnam/pm";
      return "hh" + sep + "nn";
    case DateMode::Seconds:
      if (f.timeFormat == tfHHhMM) return "h\"h\"nn" + sep + "ss";
      if (f.timeFormat == tfAMPM) return "h" + sep + "nn\".\"ssam/pm";
      return "hh" + sep + "nn" + sep + "ss";
    default:
      if (f.timeFormat == tfHHhMM) return "h\"h\"nn" + sep + "ss.zz";
      if (f.timeFormat == tfAMPM) return "h" + sep + "nn\".\"ss.zzam/pm";
      return "hh" + sep + "nn" + sep + "ss.zz";
  }
}

std::string MonthLabelFormat(const DateFormatFields& f) {
  const std::string m = MonthPart(f), y = YearPart(f), sep = QuoteSep(f.dateSeparator);
  if (y.empty()) return m;
  return f.dateOrder == doYYMMDD ? y + sep + m : m + sep + y;
}

namespace {

constexpr double kEndSlack = 1e-8;  // a tick this close past RangeHigh still counts

void PlanClock(TickPlan& plan, const ScaleTickSettings& s, DateMode mode, double dt) {
  const double low = s.rangeLow, high = s.rangeHigh;
  const bool vertical = IsVerticalScale(s.scaleType);
  const MonthNames& names = s.monthNames ? *s.monthNames : DefaultMonthNames();
  const ClockStep cs = ChooseClockStep(mode, dt);
  const double u = cs.unitsPerDay;
  const double big = cs.major / u, small = cs.minor / u;

  // First multiple of the step, counted from midnight, at or after RangeLow. The 1e-6 keeps a
  // RangeLow that is a round time up to rounding from skipping to the next unit.
  const double day = std::floor(low);
  const double e = std::ceil((low - day) * u - 1e-6);
  const double a = std::fmod(cs.major - std::fmod(e, cs.major), cs.major);
  double f = day + (e + a) / u;
  if (s.shortTicks)
    for (int guard = 0; f > low && guard < 1000; ++guard) f -= small;

  const std::string clockPattern = ClockLabelFormat(mode, s.dateFormat);
  const std::string datePattern = DateLabelFormat(s.dateFormat);
  int marker = -1;
  for (; f - high < kEndSlack && plan.ticks.size() < kMaxPlannedTicks;
       f += s.shortTicks ? small : big) {
    if (!(f >= low)) continue;
    const double t = f / big;
    const bool major = !s.shortTicks || std::fabs(t - std::nearbyint(t)) <= 0.1;
    PlannedTick tick = DateTick(f, major, vertical);
    if (major) {
      tick.hasLabel = true;
      tick.label = FormatDateValue(clockPattern, f, names);
      const auto parts = DecodeDateTime(f);
      const int dom = parts ? static_cast<int>(parts->day) : -1;
      bool withDate = false;
      switch (s.dateFormat.dateForTime) {
        case dtOnePerChart: withDate = marker < 0; break;
        case dtOnePerDay: withDate = dom != marker; break;
        case dtAllTicks: withDate = true; break;
        default: break;
      }
      if (withDate) {
        marker = dom;
        tick.hasDateLabel = true;
        tick.dateLabel = FormatDateValue(datePattern, f, names);
      }
    }
    plan.ticks.push_back(std::move(tick));
  }
}

void PlanDays(TickPlan& plan, const ScaleTickSettings& s, double dt) {
  const double low = s.rangeLow, high = s.rangeHigh;
  const bool vertical = IsVerticalScale(s.scaleType);
  const MonthNames& names = s.monthNames ? *s.monthNames : DefaultMonthNames();
  const DayStep ds = ChooseDayStep(dt);
  const double jan1 = StartOfYear(low);
  double f = jan1 + std::floor(std::floor(low - jan1) / ds.step) * ds.step;
  const std::int64_t phase = FloorMod(static_cast<std::int64_t>(std::nearbyint(f)), ds.step);
  const std::string pattern = DateLabelFormat(s.dateFormat);
  for (; f - high < kEndSlack && plan.ticks.size() < kMaxPlannedTicks;
       f += s.shortTicks ? ds.shortStep : ds.step) {
    if (!(f >= low)) continue;
    const bool major =
        !s.shortTicks || FloorMod(static_cast<std::int64_t>(std::nearbyint(f)), ds.step) == phase;
    PlannedTick tick = DateTick(f, major, vertical);
    if (major) {
      tick.hasLabel = true;
      tick.label = FormatDateValue(pattern, f, names);
    }
    plan.ticks.push_back(std::move(tick));
  }
}

void PlanMonths(TickPlan& plan, const ScaleTickSettings& s) {
  const double low = s.rangeLow, high = s.rangeHigh;
  const bool vertical = IsVerticalScale(s.scaleType);
  const MonthNames& names = s.monthNames ? *s.monthNames : DefaultMonthNames();
  const int step = ChooseMonthStep(low, high, s.minTicks);
  const auto p = DecodeDateTime(low);
  if (!p) return;
  year_month ym = year{p->year} / month{p->month};
  auto monthNo = [&] { return static_cast<int>(static_cast<unsigned>(ym.month())); };
  if (step > 1 && !s.shortTicks) {
    do ym += months{1};
    while (monthNo() % step != 1);
  }
  const std::string pattern = MonthLabelFormat(s.dateFormat);
  while (plan.ticks.size() < kMaxPlannedTicks) {
    const double f = static_cast<double>(DateToDay(ym / 1));
    if (!(f - high < kEndSlack)) break;
    if (f >= low) {
      const bool major = !(s.shortTicks && step > 1 && monthNo() % step != 1);
      PlannedTick tick = DateTick(f, major, vertical);
      if (major) {
        tick.hasLabel = true;
        tick.label = FormatDateValue(pattern, f, names);
      }
      plan.ticks.push_back(std::move(tick));
    }
    ym += months{s.shortTicks ? 1 : step};
  }
}

void PlanYears(TickPlan& plan, const ScaleTickSettings& s) {
  const double low = s.rangeLow, high = s.rangeHigh;
  const bool vertical = IsVerticalScale(s.scaleType);
  const YearStep ys = ChooseYearStep(low, high, s.minTicks, s.shortTicks);
  const auto p = DecodeDateTime(low);
  if (!p) return;
  const int lowYear = p->year;
  int y = (lowYear + ys.iterate - 1) / ys.iterate * ys.iterate;  // lowYear >= 1
  // A tick on 1 January before RangeLow would lie outside the axis.
  if (y == lowYear && low - StartOfYear(low) > kEndSlack) y += ys.iterate;
  while (plan.ticks.size() < kMaxPlannedTicks) {
    const bool last = y > 9999;
    if (last) y = 9999;
    const year_month_day date = last ? year{9999} / December / 31 : year{y} / January / 1;
    const double f = static_cast<double>(DateToDay(date));
    if (!(f - high < kEndSlack)) break;
    const bool major = !(s.shortTicks && y % ys.labelled != 0);
    PlannedTick tick = DateTick(f, major, vertical);
    if (major) {
      tick.hasLabel = true;
      if (s.dateFormat.yearLength == ylYY) {
        tick.label = FormatDateValue("yy", f);
      } else if (s.dateFormat.yearLength != ylNone) {
        tick.label = FormatDateValue("yyyy", f);
        tick.label.erase(0, tick.label.find_first_not_of('0'));
      }
    }
    plan.ticks.push_back(std::move(tick));
    if (last) break;
    y += ys.iterate;
  }
}

}  // namespace

TickPlan PlanDateTimeTicks(const ScaleTickSettings& s) {
  TickPlan plan;
  plan.layout = TickLayout::DateTime;
  const bool vertical = IsVerticalScale(s.scaleType);
  const DateMode mode = ChooseDateMode(s.rangeLow, s.rangeHigh, s.minTicks, vertical);
  if (mode == DateMode::InvalidMessage || mode == DateMode::BelowSecondMessage) {
    plan.message = mode == DateMode::InvalidMessage ? ScaleMessage::InvalidDateTime
                                                    : ScaleMessage::BelowOneSecond;
    double mid = (s.rangeLow + s.rangeHigh) / 2;
    if (!std::isfinite(mid)) mid = s.rangeLow / 2 + s.rangeHigh / 2;
    plan.messageValue = std::isfinite(mid)            ? mid
                        : std::isfinite(s.rangeLow)   ? s.rangeLow
                        : std::isfinite(s.rangeHigh)  ? s.rangeHigh
                                                      : 0.0;
    return plan;
  }
  const double dt = (s.rangeHigh - s.rangeLow) / MinTicksForSpan(s.minTicks);
  switch (mode) {
    case DateMode::Days: PlanDays(plan, s, dt); break;
    case DateMode::Months: PlanMonths(plan, s); break;
    case DateMode::Years: PlanYears(plan, s); break;
    default: PlanClock(plan, s, mode, dt); break;
  }
  return plan;
}

}  // namespace dendrokit
