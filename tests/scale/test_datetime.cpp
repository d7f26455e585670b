#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "scale/datetime.h"

namespace dendrokit {
namespace datetime_suite {

using namespace std::chrono;
using Labels = std::vector<std::string>;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
// 2004-03-02 08:05:30.25
const double kSample = 38048 + (8 * 3600 + 5 * 60 + 30.25) / 86400;

ScaleTickSettings Range(double low, double high, int minTicks = 3, TScaleType type = sctXB,
                        TFigType labelType = ftDateTime) {
  ScaleTickSettings s;
  s.rangeLow = low;
  s.rangeHigh = high;
  s.minTicks = minTicks;
  s.labelType = labelType;
  s.scaleType = type;
  s.decPlaces = 4;
  return s;
}

Labels MajorLabels(const TickPlan& plan) {
  Labels out;
  for (const auto& t : plan.ticks)
    if (t.major) out.push_back(t.label);
  return out;
}

Labels DateLabels(const TickPlan& plan) {
  Labels out;
  for (const auto& t : plan.ticks)
    if (t.hasDateLabel) out.push_back(t.dateLabel);
  return out;
}

TEST(Calendar, DecodesKnownInstants) {
  struct Case {
    double value;
    int year;
    unsigned month, day;
    int hour, minute, second, ms;
  } const cases[] = {
      {0, 1899, 12, 30, 0, 0, 0, 0},       {2, 1900, 1, 1, 0, 0, 0, 0},
      {60, 1900, 2, 28, 0, 0, 0, 0},       {61, 1900, 3, 1, 0, 0, 0, 0},  // 1900 is no leap year
      {36585, 2000, 2, 29, 0, 0, 0, 0},    {-1.25, 1899, 12, 28, 18, 0, 0, 0},  // continuous
      {-693593, 1, 1, 1, 0, 0, 0, 0},      {2958465, 9999, 12, 31, 0, 0, 0, 0},
      {kSample, 2004, 3, 2, 8, 5, 30, 250},
      {-1e-9, 1899, 12, 30, 0, 0, 0, 0},   // not 23:59:59.999 of the day before
      {0.99999999999, 1899, 12, 31, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    const auto p = DecodeDateTime(c.value);
    ASSERT_TRUE(p.has_value()) << c.value;
    EXPECT_EQ(std::vector<int>({p->year, int(p->month), int(p->day), p->hour, p->minute,
                                p->second, p->millisecond}),
              std::vector<int>({c.year, int(c.month), int(c.day), c.hour, c.minute, c.second, c.ms}))
        << c.value;
    EXPECT_NEAR(EncodeDateTime(*p), c.value, 1e-8);
  }
  for (double v : {kNaN, kInf, 1e7, -1e7}) EXPECT_FALSE(DecodeDateTime(v).has_value()) << v;
  EXPECT_EQ(StartOfYear(-1.25), -363);  // 1 January 1899
}

// Walks day by day from the epoch in both directions with the textbook leap-year rule and
// compares every day of years 1..9999 with the calendar functions.
TEST(Calendar, MatchesADayByDayWalkOverAllYears) {
  auto length = [](int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : days[m - 1];
  };
  int y = 1899, m = 12, d = 30;
  for (std::int64_t n = 0; n <= 2958465; ++n) {
    ASSERT_EQ(DayToDate(n), year{y} / m / d) << n;
    ASSERT_EQ(DateToDay(year{y} / m / d), n);
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
}

TEST(LabelTexts, FormatDuration) {
  struct Case {
    double seconds;
    bool withMs;
    const char* text;
  } const cases[] = {
      {3725.5, true, " 01:02:05.500"},     {-90, false, "-00:01:30"},
      {360000, false, " 100:00:00"},       {1.6, false, " 00:00:01"},  // seconds truncate
      {2.9999999999996, false, " 00:00:03"},  // a hair below a round time
      {0.9999999999998, true, " 00:00:01.000"},  // never ".1000"
      {-0.0001, true, " 00:00:00.000"},    {kNaN, true, "********"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDuration(c.seconds, c.withMs), c.text) << c.seconds;
}

TEST(LabelTexts, DatePatterns) {
  struct Case {
    TDateOrder order;
    TYearLength year;
    bool monthName;
    char sep;
    const char* text;  // 2 March 2004
  } const cases[] = {
      {doDDMMYY, ylYYYY, true, '-', "02-Mar-2004"}, {doMMDDYY, ylYY, false, '/', "03/02/04"},
      {doYYMMDD, ylYYYY, true, '-', "2004-Mar-02"}, {doYYMMDD, ylNone, false, '.', "03.02"},
      {doDDMMYY, ylNone, true, '-', "02-Mar"},      {doMMDDYY, ylNone, true, ' ', "Mar 02"},
      {doDDMMYY, ylYY, false, '"', "02\"03\"04"},   {doDDMMYY, ylYYYY, false, '\0', "02032004"},
  };
  for (const auto& c : cases) {
    DateFormatFields f;
    f.dateOrder = c.order;
    f.yearLength = c.year;
    f.monthName = c.monthName;
    f.dateSeparator = c.sep;
    EXPECT_EQ(FormatDateValue(DateLabelFormat(f), 38048.9), c.text) << DateLabelFormat(f);
  }
  MonthNames german = DefaultMonthNames();
  german[2] = "Mär";
  EXPECT_EQ(FormatDateValue("dd mmm", kSample, german), "02 Mär");
  EXPECT_EQ(FormatDateValue("\"dd\" yy 'hh' x.z", kSample), "dd 04 hh x.z");
  EXPECT_EQ(FormatDateValue("yyyy", -693593), "0001");
  EXPECT_EQ(FormatDateValue("yyyy", 2999000), "10110");
  EXPECT_EQ(FormatDateValue("dd", kNaN), "");
}

TEST(LabelTexts, ClockPatterns) {
  struct Case {
    DateMode mode;
    TTimeFormat format;
    double value;
    const char* text;
  } const cases[] = {
      {DateMode::Hours, tfHHMMSS, kSample, "08:05"},
      {DateMode::Hours, tfHHhMM, kSample, "8h"},
      {DateMode::Hours, tfAMPM, 38048.0, "12am"},
      {DateMode::Hours, tfAMPM, 38048.5, "12pm"},
      {DateMode::Minutes, tfHHhMM, kSample, "8h05"},
      {DateMode::Minutes, tfAMPM, 38048 + 20.5 / 24, "8:30pm"},
      {DateMode::Seconds, tfHHMMSS, kSample, "08:05:30"},
      {DateMode::Seconds, tfHHhMM, kSample, "8h05:30"},
      {DateMode::Seconds, tfAMPM, kSample, "8:05.30am"},
      {DateMode::Hundredths, tfHHMMSS, kSample, "08:05:30.25"},
      {DateMode::Hundredths, tfAMPM, kSample, "8:05.30.25am"},
  };
  for (const auto& c : cases) {
    DateFormatFields f;
    f.timeFormat = c.format;
    EXPECT_EQ(FormatDateValue(ClockLabelFormat(c.mode, f), c.value), c.text)
        << ClockLabelFormat(c.mode, f);
  }
}

TEST(TimePlan, StepIndex) {
  struct Case {
    double low, high;
    int minTicks, index;
  } const cases[] = {
      {0, 3600, 3, 21}, {0, 2, 4, 9},      {0, 200000, 2, 28}, {0, 0.002, 3, 0},
      {3600, 0, 3, 21}, {0, 10, 0, 13},    {kNaN, 1, 3, 0},    {0, kInf, 3, 28},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TimeStepIndex(c.low, c.high, c.minTicks), c.index) << c.low << ".." << c.high;
}

TEST(TimePlan, Labels) {
  struct Case {
    const char* name;
    double low, high;
    int minTicks;
    Labels labels;
  };
  const std::vector<Case> cases = {
      {"hour", 0, 3600, 3, {" 00:00:00", " 00:20:00", " 00:40:00", " 01:00:00"}},
      {"two seconds", 0, 2, 4,
       {" 00:00:00.000", " 00:00:00.500", " 00:00:01.000", " 00:00:01.500", " 00:00:02.000"}},
      {"reversed keeps both ends", 3600, 0, 3, {" 01:00:00", " 00:40:00", " 00:20:00", " 00:00:00"}},
      {"negative", -60, 60, 3, {"-00:01:00", "-00:00:30", " 00:00:00", " 00:00:30", " 00:01:00"}},
      // The grid starts almost a major step before RangeLow and must still reach the end.
      {"grid reaches the end", 1199.99, 4989.99, 3, {" 00:20:00", " 00:40:00", " 01:00:00", " 01:20:00"}},
      {"MinTicks 0 as one interval", 0, 60, 0, {" 00:00:00", " 00:01:00"}},
  };
  for (const auto& c : cases)
    for (TScaleType type : {sctXB, sctYL}) {
      SCOPED_TRACE(testing::Message() << c.name << " type " << int(type));
      const TickPlan plan = PlanScaleTicks(Range(c.low, c.high, c.minTicks, type, ftTime));
      EXPECT_EQ(plan.layout, TickLayout::Time);
      EXPECT_EQ(MajorLabels(plan), c.labels);
    }
}

TEST(TimePlan, ShortTicksAndFallBack) {
  std::size_t shorts = 0;
  for (const auto& t : PlanScaleTicks(Range(0, 3600, 3, sctXB, ftTime)).ticks) {
    shorts += !t.major;
    EXPECT_EQ(t.record, !t.major);  // horizontal: majors are among the short ticks already
    EXPECT_FALSE(t.eventBeforeLabel);
  }
  EXPECT_EQ(shorts, 19u);  // every 200 s
  for (const auto& t : PlanScaleTicks(Range(0, 3600, 3, sctYR, ftTime)).ticks)
    EXPECT_TRUE(t.record);

  const TickPlan numeric = PlanScaleTicks(Range(0, 200000, 2, sctXB, ftTime));
  EXPECT_EQ(numeric.layout, TickLayout::Linear);
  EXPECT_EQ(MajorLabels(numeric).front(), "0.0");  // DecPlaces 4, span over 100000
  EXPECT_FALSE(PlanTimeTicks(Range(0, 100000, 0, sctXB, ftTime)).has_value());
}

TEST(DateTimePlan, ModeChoice) {
  const double halfSecond = 0.5 / 86400;
  struct Case {
    double low, high;
    int minTicks;
    bool vertical;
    DateMode mode;
  } const cases[] = {
      {0, 1, 3, false, DateMode::Hours},         {0, 365, 3, false, DateMode::Months},
      {0, 50 * 365.25, 3, true, DateMode::Years}, {0, 90, 3, false, DateMode::Days},
      {0, 0.1, 3, false, DateMode::Minutes},     {0, 0.0015, 3, false, DateMode::Seconds},
      {0, 3 * halfSecond, 3, true, DateMode::Hundredths},
      {0, 3 * halfSecond, 3, false, DateMode::BelowSecondMessage},
      {0, 1e-9, 3, true, DateMode::BelowSecondMessage},
      {1, 0, 3, false, DateMode::InvalidMessage},  {-693594, 0, 3, false, DateMode::InvalidMessage},
      {0, 3000001, 3, false, DateMode::InvalidMessage}, {kNaN, 1, 3, false, DateMode::InvalidMessage},
      {-693593, 3000000, 3, false, DateMode::Years}, {0, 400, 0, false, DateMode::Years},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ChooseDateMode(c.low, c.high, c.minTicks, c.vertical), c.mode)
        << c.low << ".." << c.high << " m " << c.minTicks << " v " << c.vertical;
}

TEST(DateTimePlan, StepChoices) {
  EXPECT_EQ(ChooseClockStep(DateMode::Hours, 1.0 / 3).major, 8);
  EXPECT_EQ(ChooseClockStep(DateMode::Hours, 0.99).minor, 3);
  EXPECT_EQ(ChooseClockStep(DateMode::Minutes, 0.5 / 1440).major, 1);  // none fits: the first
  EXPECT_EQ(ChooseClockStep(DateMode::Hundredths, 0.5 / 86400).minor, 10);
  EXPECT_EQ(ChooseDayStep(20).step, 14);
  EXPECT_EQ(ChooseDayStep(20).shortStep, 7);
  EXPECT_EQ(ChooseDayStep(6).shortStep, 1);
  EXPECT_EQ(ChooseMonthStep(0, 365, 2), 4);
  struct Year {
    double perInterval;
    bool shortTicks;
    int labelled, iterate;
  } const years[] = {
      {50.0 / 3, true, 10, 5}, {50.0 / 3, false, 10, 10}, {3, true, 2, 1},  {21, true, 20, 10},
      {50, true, 50, 10},  // an exact 5 selects 5
      {1000, true, 1000, 500},  {0.5, true, 1, 1},
  };
  for (const auto& y : years) {
    const YearStep s = ChooseYearStep(0, y.perInterval * 365.25 * 3, 3, y.shortTicks);
    EXPECT_EQ(s.labelled, y.labelled) << y.perInterval;
    EXPECT_EQ(s.iterate, y.iterate) << y.perInterval;
  }
}

TEST(DateTimePlan, OneDayInHours) {
  ScaleTickSettings s = Range(0, 1);
  const TickPlan plan = PlanScaleTicks(s);
  EXPECT_EQ(MajorLabels(plan), (Labels{"00:00", "08:00", "16:00", "00:00"}));
  EXPECT_EQ(plan.ticks.size(), 13u);  // a tick every 2 hours
  EXPECT_EQ(DateLabels(plan), (Labels{"30-Dec-1899", "31-Dec-1899"}));
  for (const auto& t : plan.ticks) {
    EXPECT_TRUE(t.record && !t.eventBeforeLabel);
    EXPECT_EQ(t.length, t.major ? 7 : 4);
  }
  const std::pair<TDateForTime, std::size_t> rules[] = {
      {dtNone, 0}, {dtOnePerChart, 1}, {dtOnePerDay, 2}, {dtAllTicks, 4}};
  for (const auto& [rule, count] : rules) {
    s.dateFormat.dateForTime = rule;
    EXPECT_EQ(DateLabels(PlanScaleTicks(s)).size(), count) << int(rule);
  }
  EXPECT_EQ(MajorLabels(PlanScaleTicks(Range(0, 1, 0))), (Labels{"00:00", "12:00", "00:00"}));
}

TEST(DateTimePlan, ClockTicksBeforeTheEpoch) {
  // -1.25 is 1899-12-28 18:00; short ticks fill back to it from the first 8-hour tick.
  const TickPlan plan = PlanScaleTicks(Range(-1.25, -0.25));
  ASSERT_FALSE(plan.ticks.empty());
  EXPECT_DOUBLE_EQ(plan.ticks.front().value, -1.25);
  EXPECT_EQ(MajorLabels(plan), (Labels{"00:00", "08:00", "16:00"}));
  EXPECT_EQ(DateLabels(plan), (Labels{"29-Dec-1899"}));
}

TEST(DateTimePlan, Messages) {
  const double high = 1.5 / 86400;
  EXPECT_EQ(MajorLabels(PlanScaleTicks(Range(0, high, 3, sctYL))),
            (Labels{"00:00:00.00", "00:00:00.50", "00:00:01.00", "00:00:01.50"}));
  const TickPlan below = PlanScaleTicks(Range(0, high, 3, sctXB));
  EXPECT_EQ(below.message, ScaleMessage::BelowOneSecond);
  EXPECT_TRUE(below.ticks.empty());
  EXPECT_DOUBLE_EQ(below.messageValue, high / 2);
  const double invalid[][2] = {{10, 5}, {-700000, 0}, {0, 3000001}, {kNaN, kNaN}, {0, kInf}};
  for (const auto& r : invalid) {
    const TickPlan plan = PlanScaleTicks(Range(r[0], r[1]));
    EXPECT_EQ(plan.message, ScaleMessage::InvalidDateTime) << r[0] << " " << r[1];
    EXPECT_TRUE(plan.ticks.empty() && std::isfinite(plan.messageValue));
  }
}

TEST(DateTimePlan, DaysKeepTheirPhaseAcrossDayZero) {
  // Step 2 counted from 1 January 1899 (day -363): the labelled days are the odd ones on
  // both sides of day 0.
  ScaleTickSettings s = Range(-15, 10, 10);
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

TEST(DateTimePlan, OneYearInMonths) {
  const double jan2003 = 37622;
  ScaleTickSettings s = Range(jan2003, jan2003 + 365);
  const TickPlan plan = PlanScaleTicks(s);
  EXPECT_EQ(plan.ticks.size(), 13u);
  EXPECT_EQ(MajorLabels(plan), (Labels{"Jan-2003", "Apr-2003", "Jul-2003", "Oct-2003", "Jan-2004"}));
  s.shortTicks = false;  // moves on from the month of RangeLow to the next labelled month
  EXPECT_EQ(MajorLabels(PlanScaleTicks(s)), (Labels{"Apr-2003", "Jul-2003", "Oct-2003", "Jan-2004"}));
  s.shortTicks = true;
  s.rangeHigh = jan2003 + 100;
  s.dateFormat.yearLength = ylNone;
  EXPECT_EQ(MajorLabels(PlanScaleTicks(s)), (Labels{"Jan", "Feb", "Mar", "Apr"}));
}

TEST(DateTimePlan, Years) {
  ScaleTickSettings s = Range(25569, 43831);  // 1970-01-01 .. 2020-01-01
  const TickPlan plan = PlanScaleTicks(s);
  EXPECT_EQ(plan.ticks.size(), 11u);  // every 5 years
  EXPECT_EQ(MajorLabels(plan), (Labels{"1970", "1980", "1990", "2000", "2010", "2020"}));
  s.rangeLow = 26481;  // 1 July 1972: no tick before it
  EXPECT_EQ(PlanScaleTicks(s).ticks.front().value, 27395);  // 1 January 1975

  const TickPlan end = PlanScaleTicks(Range(2900000, 3000000));
  EXPECT_EQ(end.ticks.back().value, 2958465);  // 31 December 9999 ends the layout
  EXPECT_LT(end.ticks[end.ticks.size() - 2].value, 2958465);
  const TickPlan start = PlanScaleTicks(Range(-693593, -693593 + 30 * 365.25));
  EXPECT_EQ(start.ticks.front().value, -693593 + 4 * 365 + 1);  // 1 January of year 5
  EXPECT_EQ(MajorLabels(start).front(), "10");  // leading zeros removed
}

}  // namespace
}  // namespace dendrokit
