#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "scale/datetime.h"

namespace dendrokit {
namespace {

using namespace std::chrono;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

ScaleTickSettings DateSettings(double low, double high, int minTicks = 3,
                               TScaleType type = sctXB) {
  ScaleTickSettings s;
  s.rangeLow = low;
  s.rangeHigh = high;
  s.minTicks = minTicks;
  s.labelType = ftDateTime;
  s.scaleType = type;
  return s;
}

std::vector<std::string> MajorLabels(const TickPlan& plan) {
  std::vector<std::string> out;
  for (const auto& t : plan.ticks)
    if (t.major) out.push_back(t.label);
  return out;
}

std::vector<std::string> DateLabels(const TickPlan& plan) {
  std::vector<std::string> out;
  for (const auto& t : plan.ticks)
    if (t.hasDateLabel) out.push_back(t.dateLabel);
  return out;
}

// ---------------------------------------------------------------------------------------------
// Calendar

struct DateCase {
  double value;
  int year;
  unsigned month, day;
  int hour, minute, second, ms;
};

TEST(Calendar, DecodesKnownDays) {
  const DateCase cases[] = {
      {0, 1899, 12, 30, 0, 0, 0, 0},
      {1, 1899, 12, 31, 0, 0, 0, 0},
      {2, 1900, 1, 1, 0, 0, 0, 0},
      {60, 1900, 2, 28, 0, 0, 0, 0},      // 1900 is no leap year
      {61, 1900, 3, 1, 0, 0, 0, 0},
      {-1, 1899, 12, 29, 0, 0, 0, 0},
      {-1.25, 1899, 12, 28, 18, 0, 0, 0},  // continuous before the epoch
      {-0.75, 1899, 12, 29, 6, 0, 0, 0},
      {0.5, 1899, 12, 30, 12, 0, 0, 0},
      {-693593, 1, 1, 1, 0, 0, 0, 0},
      {2958465, 9999, 12, 31, 0, 0, 0, 0},
      {2958465.99999, 9999, 12, 31, 23, 59, 59, 136},
      {36526, 2000, 1, 1, 0, 0, 0, 0},
      {36585, 2000, 2, 29, 0, 0, 0, 0},   // 2000 is
      {-109512, 1600, 2, 29, 0, 0, 0, 0},
      {38048 + (8 * 3600 + 5 * 60 + 30.25) / 86400, 2004, 3, 2, 8, 5, 30, 250},
      {1e-9, 1899, 12, 30, 0, 0, 0, 0},
      {-1e-9, 1899, 12, 30, 0, 0, 0, 0},  // not 23:59:59.999 of the day before
      {0.99999999999, 1899, 12, 31, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    const auto p = DecodeDateTime(c.value);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->year, c.year);
    EXPECT_EQ(p->month, c.month);
    EXPECT_EQ(p->day, c.day);
    EXPECT_EQ(p->hour, c.hour);
    EXPECT_EQ(p->minute, c.minute);
    EXPECT_EQ(p->second, c.second);
    EXPECT_EQ(p->millisecond, c.ms);
    if (c.ms == 0) {
      EXPECT_NEAR(EncodeDateTime(*p), c.value, 1e-8);
    }
  }
}

// Walks day by day from the epoch in both directions with the textbook leap-year rule and
// compares every day of years 1..9999 with the calendar functions.
TEST(Calendar, MatchesADayByDayWalkOverAllYears) {
  auto leap = [](int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; };
  auto length = [&](int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leap(y) ? 29 : days[m - 1];
  };
  int y = 1899, m = 12, d = 30;
  for (std::int64_t n = 0; n <= 2958465; ++n) {
    const year_month_day ymd = DayToDate(n);
    ASSERT_EQ(ymd, year{y} / m / d) << n;
    ASSERT_EQ(DateToDay(ymd), n);
    if (++d > length(y, m)) {
      d = 1;
      if (++m > 12) m = 1, ++y;
    }
  }
  y = 1899, m = 12, d = 30;
  for (std::int64_t n = 0; n >= -693593; --n) {
    ASSERT_EQ(DayToDate(n), year{y} / m / d) << n;
    ASSERT_EQ(DateToDay(year{y} / m / d), n);
    if (--d < 1) {
      if (--m < 1) m = 12, --y;
      d = length(y, m);
    }
  }
  EXPECT_EQ(y, 0);  // walked past 1 January of year 1
}

TEST(Calendar, RejectsUndecodableValues) {
  for (double v : {kNaN, kInf, -kInf, 1e7, -1e7})
    EXPECT_FALSE(DecodeDateTime(v).has_value()) << v;
  EXPECT_TRUE(std::isnan(StartOfYear(kNaN)));
  EXPECT_EQ(StartOfYear(38048.75), 37987);  // 1 January 2004
  EXPECT_EQ(StartOfYear(-1.25), -363);      // 1 January 1899
}

// ---------------------------------------------------------------------------------------------
// Texts

TEST(FormatDuration, Table) {
  struct Case {
    double seconds;
    bool withMs;
    const char* text;
  } const cases[] = {
      {3725.5, true, " 01:02:05.500"},
      {-90, false, "-00:01:30"},
      {0, false, " 00:00:00"},
      {0, true, " 00:00:00.000"},
      {1200, false, " 00:20:00"},
      {360000, false, " 100:00:00"},
      {1.6, false, " 00:00:01"},                 // whole seconds truncate
      {2.9999999999996, false, " 00:00:03"},     // a hair below a round time
      {0.9999999999998, true, " 00:00:01.000"},  // never ".1000"
      {-0.0001, true, " 00:00:00.000"},          // no "-" on a zero text
      {-1.5, true, "-00:00:01.500"},
      {kNaN, true, "********"},
      {kInf, false, "********"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDuration(c.seconds, c.withMs), c.text) << c.seconds;
  EXPECT_EQ(FormatDuration(3.6e9, false), " 1000000:00:00");
}

TEST(DateLabelFormat, PatternsByOrderYearAndMonth) {
  struct Case {
    TDateOrder order;
    TYearLength year;
    bool monthName;
    char sep;
    const char* pattern;
    const char* text;  // for 2 March 2004
  } const cases[] = {
      {doDDMMYY, ylYYYY, true, '-', "dd\"-\"mmm\"-\"yyyy", "02-Mar-2004"},
      {doMMDDYY, ylYY, false, '/', "mm\"/\"dd\"/\"yy", "03/02/04"},
      {doYYMMDD, ylYYYY, true, '-', "yyyy\"-\"mmm\"-\"dd", "2004-Mar-02"},
      {doYYMMDD, ylNone, false, '.', "mm\".\"dd", "03.02"},
      {doDDMMYY, ylNone, true, '-', "dd\"-\"mmm", "02-Mar"},
      {doMMDDYY, ylNone, true, ' ', "mmm\" \"dd", "Mar 02"},
      {doDDMMYY, ylYY, false, '"', "dd'\"'mm'\"'yy", "02\"03\"04"},
      {doDDMMYY, ylYYYY, false, '\0', "ddmmyyyy", "02032004"},
  };
  for (const auto& c : cases) {
    DateFormatFields f;
    f.dateOrder = c.order;
    f.yearLength = c.year;
    f.monthName = c.monthName;
    f.dateSeparator = c.sep;
    EXPECT_EQ(DateLabelFormat(f), c.pattern);
    EXPECT_EQ(FormatDateValue(DateLabelFormat(f), 38048), c.text) << c.pattern;
  }
}

TEST(FormatDateValue, Tokens) {
  const double t = 38048 + (8 * 3600 + 5 * 60 + 30.25) / 86400;  // 2004-03-02 08:05:30.25
  const double pm = 38048 + 20.5 / 24;                            // 20:30
  struct Case {
    const char* pattern;
    double value;
    const char* text;
  } const cases[] = {
      {"yyyy yy mmm mm dd", t, "2004 04 Mar 03 02"},
      {"hh:nn:ss.zz", t, "08:05:30.25"},
      {"h", t, "8"},
      {"hham/pm", pm, "08pm"},
      {"hh", pm, "20"},
      {"ham/pm", 38048, "12am"},
      {"ham/pm", 38048.5, "12pm"},
      {"\"dd\" dd 'yy'", t, "dd 02 yy"},
      {"x-y.z", t, "x-y.z"},
      {"yyyy", -693593, "0001"},
      {"yyyy", 2999000, "10110"},
      {"unterminated \"dd", t, "unterminated dd"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDateValue(c.pattern, c.value), c.text) << c.pattern;
  MonthNames german = DefaultMonthNames();
  german[2] = "Mär";
  EXPECT_EQ(FormatDateValue("dd mmm", t, german), "02 Mär");
  EXPECT_EQ(FormatDateValue("dd", kNaN), "");
}

TEST(ClockLabelFormat, ModesAndTimeFormats) {
  const double t = 38048 + (8 * 3600 + 5 * 60 + 30.25) / 86400;
  struct Case {
    DateMode mode;
    TTimeFormat format;
    const char* text;
  } const cases[] = {
      {DateMode::Hours, tfHHMMSS, "08:05"},        {DateMode::Hours, tfHHhMM, "8h"},
      {DateMode::Hours, tfAMPM, "8am"},            {DateMode::Minutes, tfHHMMSS, "08:05"},
      {DateMode::Minutes, tfHHhMM, "8h05"},        {DateMode::Minutes, tfAMPM, "8:05am"},
      {DateMode::Seconds, tfHHMMSS, "08:05:30"},   {DateMode::Seconds, tfHHhMM, "8h05:30"},
      {DateMode::Seconds, tfAMPM, "8:05.30am"},    {DateMode::Hundredths, tfHHMMSS, "08:05:30.25"},
      {DateMode::Hundredths, tfHHhMM, "8h05:30.25"}, {DateMode::Hundredths, tfAMPM, "8:05.30.25am"},
  };
  for (const auto& c : cases) {
    DateFormatFields f;
    f.timeFormat = c.format;
    EXPECT_EQ(FormatDateValue(ClockLabelFormat(c.mode, f), t), c.text)
        << static_cast<int>(c.mode) << " " << static_cast<int>(c.format);
  }
  DateFormatFields dot;
  dot.timeSeparator = '.';
  EXPECT_EQ(ClockLabelFormat(DateMode::Minutes, dot), "hh\".\"nn");
}

// ---------------------------------------------------------------------------------------------
// ftTime

TEST(TimeStepIndex, Table) {
  struct Case {
    double low, high;
    int minTicks, index;
  } const cases[] = {
      {0, 3600, 3, 21},   {0, 2, 4, 9},      {0, 200000, 2, 28}, {0, 0.002, 3, 0},
      {0, 0.0031, 3, 1},   {3600, 0, 3, 21},  {0, 10, 0, 13},     {0, 86399, 1, 27},
      {kNaN, 1, 3, 0},    {0, kInf, 3, 28},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TimeStepIndex(c.low, c.high, c.minTicks), c.index) << c.low << ".." << c.high;
}

ScaleTickSettings TimeSettings(double low, double high, int minTicks,
                               TScaleType type = sctXB) {
  ScaleTickSettings s = DateSettings(low, high, minTicks, type);
  s.labelType = ftTime;
  s.decPlaces = 4;
  return s;
}

TEST(TimePlan, WorkedExamples) {
  struct Case {
    const char* name;
    double low, high;
    int minTicks;
    std::vector<std::string> labels;
  };
  const std::vector<Case> cases = {
      {"hour", 0, 3600, 3, {" 00:00:00", " 00:20:00", " 00:40:00", " 01:00:00"}},
      {"two seconds", 0, 2, 4,
       {" 00:00:00.000", " 00:00:00.500", " 00:00:01.000", " 00:00:01.500", " 00:00:02.000"}},
      {"reversed keeps both ends", 3600, 0, 3,
       {" 01:00:00", " 00:40:00", " 00:20:00", " 00:00:00"}},
      {"negative", -60, 60, 3, {"-00:01:00", "-00:00:30", " 00:00:00", " 00:00:30", " 00:01:00"}},
      // The first grid point lies almost a major step before RangeLow; the grid must still
      // reach the ticks at the far end.
      {"grid reaches the end", 1199.99, 4989.99, 3,
       {" 00:20:00", " 00:40:00", " 01:00:00", " 01:20:00"}},
  };
  for (const auto& c : cases)
    for (TScaleType type : {sctXB, sctYL}) {
      SCOPED_TRACE(testing::Message() << c.name << " type " << static_cast<int>(type));
      const TickPlan plan = PlanScaleTicks(TimeSettings(c.low, c.high, c.minTicks, type));
      EXPECT_EQ(plan.layout, TickLayout::Time);
      EXPECT_EQ(MajorLabels(plan), c.labels);
    }
}

TEST(TimePlan, ShortTicksRecordingAndEventOrder) {
  const TickPlan h = PlanScaleTicks(TimeSettings(0, 3600, 3, sctXB));
  std::vector<double> shorts;
  for (const auto& t : h.ticks) {
    EXPECT_FALSE(t.eventBeforeLabel);
    if (!t.major) shorts.push_back(t.value);
    else EXPECT_FALSE(t.record);  // horizontal with short ticks: majors not recorded again
  }
  ASSERT_EQ(shorts.size(), 19u);  // every 200 s
  EXPECT_EQ(shorts[1], 200);
  const TickPlan v = PlanScaleTicks(TimeSettings(0, 3600, 3, sctYR));
  for (const auto& t : v.ticks) EXPECT_TRUE(t.record);
}

TEST(TimePlan, DeclinesToTheNumericLayouts) {
  EXPECT_FALSE(PlanTimeTicks(TimeSettings(0, 200000, 2)).has_value());
  EXPECT_FALSE(PlanTimeTicks(TimeSettings(0, 0.002, 3)).has_value());
  const TickPlan numeric = PlanScaleTicks(TimeSettings(0, 200000, 2));
  EXPECT_EQ(numeric.layout, TickLayout::Linear);
  EXPECT_EQ(MajorLabels(numeric).front(), "0.0");  // DecPlaces 4, span over 100000
  // MinTicks 0 is taken as one interval: one tick interval of a day or more declines.
  EXPECT_FALSE(PlanTimeTicks(TimeSettings(0, 100000, 0)).has_value());
  EXPECT_EQ(MajorLabels(PlanScaleTicks(TimeSettings(0, 60, 0))),
            (std::vector<std::string>{" 00:00:00", " 00:01:00"}));
}

// ---------------------------------------------------------------------------------------------
// ftDateTime

TEST(ChooseDateMode, Table) {
  const double halfSecond = 0.5 / 86400;
  struct Case {
    double low, high;
    int minTicks;
    bool vertical;
    DateMode mode;
  } const cases[] = {
      {0, 1, 3, false, DateMode::Hours},
      {0, 365, 3, false, DateMode::Months},
      {0, 50 * 365.25, 3, true, DateMode::Years},
      {0, 90, 3, false, DateMode::Days},
      {0, 0.1, 3, false, DateMode::Minutes},
      {0, 0.0015, 3, false, DateMode::Seconds},
      {0, 3 * halfSecond, 3, true, DateMode::Hundredths},
      {0, 3 * halfSecond, 3, false, DateMode::BelowSecondMessage},
      {0, 1e-9, 3, true, DateMode::BelowSecondMessage},
      {1, 0, 3, false, DateMode::InvalidMessage},
      {-693594, 0, 3, false, DateMode::InvalidMessage},
      {0, 3000001, 3, false, DateMode::InvalidMessage},
      {-693593, 3000000, 3, false, DateMode::Years},
      {kNaN, 1, 3, false, DateMode::InvalidMessage},
      {0, kInf, 3, false, DateMode::InvalidMessage},
      {0, 1, 0, false, DateMode::Hours},      // MinTicks 0 taken as 1
      {0, 400, 0, false, DateMode::Years},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ChooseDateMode(c.low, c.high, c.minTicks, c.vertical), c.mode)
        << c.low << ".." << c.high << " m " << c.minTicks << " v " << c.vertical;
}

TEST(DateSteps, ClockDayMonthAndYearTables) {
  struct Clock {
    DateMode mode;
    double dt;
    int major, minor;
  } const clocks[] = {
      {DateMode::Hours, 1.0 / 3, 8, 2},         {DateMode::Hours, 0.05, 1, 1},
      {DateMode::Hours, 0.99, 12, 3},           {DateMode::Minutes, 7.0 / 1440, 5, 1},
      {DateMode::Minutes, 0.5 / 1440, 1, 1},    {DateMode::Seconds, 25.0 / 86400, 20, 5},
      {DateMode::Hundredths, 0.5 / 86400, 50, 10}, {DateMode::Hundredths, 12.0 / 8640000, 10, 5},
  };
  for (const auto& c : clocks) {
    const ClockStep s = ChooseClockStep(c.mode, c.dt);
    EXPECT_EQ(s.major, c.major) << c.dt;
    EXPECT_EQ(s.minor, c.minor) << c.dt;
  }
  const double dts[] = {0.5, 2.5, 6, 10, 20, 29.9};
  const DayStep days[] = {{1, 1}, {2, 1}, {3, 1}, {7, 1}, {14, 7}, {28, 7}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(ChooseDayStep(dts[i]).step, days[i].step) << dts[i];
    EXPECT_EQ(ChooseDayStep(dts[i]).shortStep, days[i].shortStep) << dts[i];
  }
  EXPECT_EQ(ChooseMonthStep(0, 365, 3), 3);
  EXPECT_EQ(ChooseMonthStep(0, 120, 3), 1);
  EXPECT_EQ(ChooseMonthStep(0, 365, 2), 4);
  EXPECT_EQ(ChooseMonthStep(0, 366, 1), 6);

  struct Year {
    double years;  // per interval
    bool shortTicks;
    int labelled, iterate;
  } const years[] = {
      {50.0 / 3, true, 10, 5}, {50.0 / 3, false, 10, 10}, {50, true, 50, 10},  // exactly 5  {3, true, 2, 1},        {21, true, 20, 10},
      {70, true, 50, 10},  {9, true, 5, 1},      {1000, true, 1000, 500}, {2, true, 2, 1},
      {0.5, true, 1, 1},
  };
  for (const auto& y : years) {
    const YearStep s = ChooseYearStep(0, y.years * 365.25 * 3, 3, y.shortTicks);
    EXPECT_EQ(s.labelled, y.labelled) << y.years;
    EXPECT_EQ(s.iterate, y.iterate) << y.years;
  }
}

TEST(DateTimePlan, OneDayInHours) {
  ScaleTickSettings s = DateSettings(0, 1);
  const TickPlan plan = PlanScaleTicks(s);
  EXPECT_EQ(plan.layout, TickLayout::DateTime);
  EXPECT_EQ(MajorLabels(plan), (std::vector<std::string>{"00:00", "08:00", "16:00", "00:00"}));
  EXPECT_EQ(plan.ticks.size(), 13u);  // a tick every 2 hours
  EXPECT_EQ(DateLabels(plan), (std::vector<std::string>{"30-Dec-1899", "31-Dec-1899"}));
  for (const auto& t : plan.ticks) {
    EXPECT_TRUE(t.record);
    EXPECT_FALSE(t.eventBeforeLabel);
    EXPECT_EQ(t.length, t.major ? 7 : 4);
    if (t.major) {
      EXPECT_EQ(t.anchor, LabelAnchor::OwnHeight);
    }
  }

  struct Rule {
    TDateForTime rule;
    std::size_t dates;
  } const rules[] = {{dtNone, 0}, {dtOnePerChart, 1}, {dtOnePerDay, 2}, {dtAllTicks, 4}};
  for (const auto& r : rules) {
    s.dateFormat.dateForTime = r.rule;
    EXPECT_EQ(DateLabels(PlanScaleTicks(s)).size(), r.dates) << static_cast<int>(r.rule);
  }
  s.shortTicks = false;
  s.scaleType = sctYL;
  const TickPlan bare = PlanScaleTicks(s);
  EXPECT_EQ(bare.ticks.size(), 4u);
  for (const auto& t : bare.ticks) EXPECT_EQ(t.length, 6);
}

TEST(DateTimePlan, ClockTicksBeforeTheEpoch) {
  // -1.25 is 1899-12-28 18:00; short ticks fill back to it from the first 8-hour tick.
  const TickPlan plan = PlanScaleTicks(DateSettings(-1.25, -0.25));
  ASSERT_FALSE(plan.ticks.empty());
  EXPECT_DOUBLE_EQ(plan.ticks.front().value, -1.25);
  EXPECT_FALSE(plan.ticks.front().major);
  EXPECT_EQ(MajorLabels(plan), (std::vector<std::string>{"00:00", "08:00", "16:00"}));
  EXPECT_EQ(DateLabels(plan), (std::vector<std::string>{"29-Dec-1899"}));
}

TEST(DateTimePlan, SubSecondSpans) {
  const double high = 1.5 / 86400;
  const TickPlan vertical = PlanScaleTicks(DateSettings(0, high, 3, sctYL));
  EXPECT_EQ(vertical.message, ScaleMessage::None);
  EXPECT_EQ(MajorLabels(vertical),
            (std::vector<std::string>{"00:00:00.00", "00:00:00.50", "00:00:01.00", "00:00:01.50"}));
  const TickPlan horizontal = PlanScaleTicks(DateSettings(0, high, 3, sctXB));
  EXPECT_EQ(horizontal.message, ScaleMessage::BelowOneSecond);
  EXPECT_TRUE(horizontal.ticks.empty());
  EXPECT_DOUBLE_EQ(horizontal.messageValue, high / 2);
}

TEST(DateTimePlan, InvalidRangesShowTheMessage) {
  const double cases[][2] = {{10, 5}, {-700000, 0}, {0, 3000001}, {kNaN, kNaN}, {0, kInf}};
  for (const auto& c : cases) {
    const TickPlan plan = PlanScaleTicks(DateSettings(c[0], c[1]));
    EXPECT_EQ(plan.message, ScaleMessage::InvalidDateTime) << c[0] << " " << c[1];
    EXPECT_TRUE(plan.ticks.empty());
    EXPECT_TRUE(std::isfinite(plan.messageValue));
  }
  EXPECT_DOUBLE_EQ(PlanScaleTicks(DateSettings(10, 5)).messageValue, 7.5);
}

TEST(DateTimePlan, DaysKeepTheirPhaseAcrossDayZero) {
  // Step 2 from 1 January 1899 (day -363): the labelled days are the odd ones on both sides
  // of day 0.
  ScaleTickSettings s = DateSettings(-15, 10, 10);
  s.dateFormat.monthName = false;
  s.dateFormat.yearLength = ylNone;
  const TickPlan plan = PlanScaleTicks(s);
  std::vector<double> majors;
  for (const auto& t : plan.ticks)
    if (t.major) majors.push_back(t.value);
  EXPECT_EQ(majors, (std::vector<double>{-15, -13, -11, -9, -7, -5, -3, -1, 1, 3, 5, 7, 9}));
  EXPECT_EQ(plan.ticks.size(), 26u);
  EXPECT_EQ(plan.ticks.front().label, "15-12");
}

TEST(DateTimePlan, DaysOfMarch2004) {
  const double low = 38048;  // 2 March 2004
  const TickPlan plan = PlanScaleTicks(DateSettings(low, low + 20));
  // Step 3 counted from 1 January: 1 March is day 60 of the year, so 4, 7, ... 22 March.
  EXPECT_EQ(MajorLabels(plan), (std::vector<std::string>{"04-Mar-2004", "07-Mar-2004",
                                                         "10-Mar-2004", "13-Mar-2004",
                                                         "16-Mar-2004", "19-Mar-2004",
                                                         "22-Mar-2004"}));
  EXPECT_EQ(plan.ticks.size(), 21u);
}

TEST(DateTimePlan, OneYearInMonths) {
  const double low = 37622;  // 1 January 2003
  ScaleTickSettings s = DateSettings(low, low + 365);
  const TickPlan plan = PlanScaleTicks(s);
  EXPECT_EQ(plan.ticks.size(), 13u);
  EXPECT_EQ(MajorLabels(plan), (std::vector<std::string>{"Jan-2003", "Apr-2003", "Jul-2003",
                                                         "Oct-2003", "Jan-2004"}));
  s.shortTicks = false;  // starts after the month of RangeLow, at the next labelled month
  EXPECT_EQ(MajorLabels(PlanScaleTicks(s)),
            (std::vector<std::string>{"Apr-2003", "Jul-2003", "Oct-2003", "Jan-2004"}));
  s.shortTicks = true;
  s.rangeHigh = low + 100;
  s.dateFormat.yearLength = ylNone;
  EXPECT_EQ(MajorLabels(PlanScaleTicks(s)), (std::vector<std::string>{"Jan", "Feb", "Mar", "Apr"}));
  s.dateFormat.yearLength = ylYY;
  s.dateFormat.dateOrder = doYYMMDD;
  s.dateFormat.monthName = false;
  s.dateFormat.dateSeparator = '/';
  EXPECT_EQ(MajorLabels(PlanScaleTicks(s)).front(), "03/01");
}

TEST(DateTimePlan, FiftyYears) {
  const double low = 25569;  // 1 January 1970
  ScaleTickSettings s = DateSettings(low, 43831);  // 1 January 2020
  const TickPlan plan = PlanScaleTicks(s);
  EXPECT_EQ(plan.ticks.size(), 11u);  // every 5 years
  EXPECT_EQ(MajorLabels(plan), (std::vector<std::string>{"1970", "1980", "1990", "2000",
                                                         "2010", "2020"}));
  s.dateFormat.yearLength = ylYY;
  EXPECT_EQ(MajorLabels(PlanScaleTicks(s)).back(), "20");
  // A RangeLow after 1 January never gets a tick before it.
  s.rangeLow = 26481;  // 1 July 1972
  const TickPlan mid = PlanScaleTicks(s);
  ASSERT_FALSE(mid.ticks.empty());
  EXPECT_GE(mid.ticks.front().value, s.rangeLow);
  EXPECT_EQ(mid.ticks.front().value, 27395);  // 1 January 1975
}

TEST(DateTimePlan, YearsStopAtTheEndOf9999) {
  const TickPlan plan = PlanScaleTicks(DateSettings(2900000, 3000000));
  ASSERT_FALSE(plan.ticks.empty());
  EXPECT_EQ(plan.ticks.back().value, 2958465);  // 31 December 9999
  EXPECT_LT(plan.ticks[plan.ticks.size() - 2].value, 2958465);
  const TickPlan early = PlanScaleTicks(DateSettings(-693593, -693593 + 30 * 365.25));
  ASSERT_FALSE(early.ticks.empty());
  EXPECT_EQ(early.ticks.front().value, -693593 + 365 * 4 + 1);  // 1 January of year 5
  EXPECT_EQ(MajorLabels(early).front(), "10");  // leading zeros removed
}

TEST(DateTimePlan, MinTicksZeroIsOneInterval) {
  const TickPlan plan = PlanScaleTicks(DateSettings(0, 1, 0));
  EXPECT_EQ(MajorLabels(plan), (std::vector<std::string>{"00:00", "12:00", "00:00"}));
}

}  // namespace
}  // namespace dendrokit
