#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "scale/ticks.h"

namespace dendrokit {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::vector<const PlannedTick*> Majors(const TickPlan& plan) {
  std::vector<const PlannedTick*> out;
  for (const auto& t : plan.ticks)
    if (t.major) out.push_back(&t);
  return out;
}

std::vector<std::string> MajorLabels(const TickPlan& plan) {
  std::vector<std::string> out;
  for (const auto* t : Majors(plan)) out.push_back(t->label);
  return out;
}

std::vector<double> MajorValues(const TickPlan& plan) {
  std::vector<double> out;
  for (const auto* t : Majors(plan)) out.push_back(t->value);
  return out;
}

std::vector<double> ShortValues(const TickPlan& plan) {
  std::vector<double> out;
  for (const auto& t : plan.ticks)
    if (!t.major) out.push_back(t.value);
  return out;
}

ScaleTickSettings Settings(double low, double high, int minTicks = 3, int decPlaces = -2) {
  ScaleTickSettings s;
  s.rangeLow = low;
  s.rangeHigh = high;
  s.minTicks = minTicks;
  s.decPlaces = decPlaces;
  return s;
}

// ---------------------------------------------------------------------------------------------

struct NiceCase {
  int minTicks;
  long double high, low;
  long double first, distance;
  unsigned subdivisions;
};

TEST(CalcNiceTicks, DistanceFirstTickAndSubdivisions) {
  const NiceCase cases[] = {
      {3, 100, 0, 0, 20, 4},     // 33.3 -> 20
      {3, 1, 0, 0, 0.2L, 4},     // 0.333 -> 0.2
      {3, 10, 0, 0, 2, 4},
      {3, 1, -1, -1, 0.5L, 5},   // crosses zero
      {3, 0, 10, 10, -2, 4},     // reversed: negative distance, first tick at the low end
      {3, 1000, 0, 0, 200, 4},
      {3, -5, -20, -20, 2, 4},   // exactly 5: the margin keeps 2
      {4, 0.5L, 0.1L, 0.1L, 0.1L, 5},
      {10, 1, 0, 0, 0.1L, 5},    // exactly 10^-1: must not fall to 0.05
      {2, 2000, 0, 0, 1000, 5},  // exactly 10^3
      {3, 6, 0, 0, 1, 5},        // exactly 2: the 1e-10 margin keeps 1
      {3, 15.0000001L, 0, 0, 5, 5},
      {0, 5, 0, 0, 1, 5},        // one unit per tick, 5 short intervals
      {0, 50, 0, 0, 1, 1},       // short ticks fall on the major ticks
      {0, -7.5L, 3.2L, 3, -1, 1},
      {3, 37, 13, 15, 5, 5},     // first multiple of D at or after low
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.minTicks << " " << (double)c.low << ".."
                                    << (double)c.high);
    const NiceTicks n = CalcNiceTicks(c.minTicks, c.high, c.low);
    EXPECT_NEAR((double)n.distance, (double)c.distance, 1e-15);
    EXPECT_NEAR((double)n.first, (double)c.first, 1e-12);
    EXPECT_EQ(n.subdivisions, c.subdivisions);
  }
}

TEST(CalcNiceTicks, DegenerateRangesGiveNoDistance) {
  const long double big = std::numeric_limits<long double>::max();
  const long double cases[][2] = {{5, 5}, {kNaN, 0}, {0, kNaN}, {kInf, 0}, {0, -kInf},
                                  {big, -big}};
  for (const auto& c : cases) {
    const NiceTicks n = CalcNiceTicks(3, c[0], c[1]);
    EXPECT_EQ(n.distance, 0) << (double)c[0] << " " << (double)c[1];
  }
}

TEST(CalcNiceTicks, ExtremeButFiniteRangesFinish) {
  const NiceTicks wide = CalcNiceTicks(3, 1e308, -1e308);
  EXPECT_TRUE(std::isfinite(wide.distance));
  EXPECT_GT(wide.distance, 0);
  const NiceTicks tiny = CalcNiceTicks(3, 1 + 2.220446049250313e-16, 1);
  EXPECT_GT(tiny.distance, 0);
  EXPECT_LE(std::fabs(tiny.first - 1), 2 * tiny.distance);
  // A range far too fine for the precision of its position still returns.
  const NiceTicks lost = CalcNiceTicks(3, 1e30L + 1e-10L, 1e30L);
  EXPECT_GE(lost.distance, 0);
}

// ---------------------------------------------------------------------------------------------

TEST(FormatTickNumber, FixedAndExponentialForms) {
  struct Case {
    double x;
    int dec;
    const char* text;
  } const cases[] = {
      {0, 0, "0"},
      {20, 0, "20"},
      {0.2, 2, "0.20"},
      {-3.14159, 2, "-3.14"},
      {1234567.5, 1, "1234567.5"},  // no grouping
      {2.5, 0, "2"},                // exact binary tie: to even
      {0.125, 2, "0.12"},
      {-0.001, 2, "0.00"},          // no "-0.00"
      {1500, -1, " 1.5E+03"},
      {-0.00002, -1, "-2.0E-05"},
      {0, -1, " 0.0E+00"},
      {-0.0, -1, " 0.0E+00"},
      {1000, -1, " 1.0E+03"},
      {9.94e99, -1, " 9.9E+99"},
      {9.96e99, -1, "********"},    // rounds up into a three-digit exponent
      {1e100, -1, "********"},
      {1e-100, -1, "********"},
      {kNaN, 2, "********"},
      {kInf, -1, "********"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatTickNumber(c.x, c.dec), c.text) << c.x;
  EXPECT_EQ(FormatTickNumber(1e300, 0).size(), 301u);
  EXPECT_EQ(FormatTickNumber(1e-300, 400).rfind("0.000", 0), 0u);
}

TEST(AutoDecPlaces, FollowsTheSpanOnlyWhenAutomatic) {
  struct Case {
    int dec;
    double high, low;
    int expected;
  } const cases[] = {
      {-2, 1, 0, 2},     {-2, 10, 0, 1},     {-2, 50, 0, 0},    {-2, 0.1, 0, 3},
      {-2, 0.01, 0, 4},  {-2, 100, 0, 0},    {-2, 999999, 0, 0}, {-2, 1e6, 0, -1},
      {-2, 1e-4, 0, -1}, {-2, 0, 10, 1},     {-3, 1, 0, 2},     {3, 1, 0, 3},
      {-1, 50, 0, -1},   {0, 0.1, 0, 0},     {-2, kNaN, 0, -1}, {-2, kInf, 0, -1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AutoDecPlaces(c.dec, c.high, c.low), c.expected) << c.dec << " " << c.high;
}

TEST(AutoLogDecPlaces, FollowsTheLowEndOnlyForMinusTwo) {
  struct Case {
    int dec;
    double hi, lo;
    int expected;
  } const cases[] = {
      {-2, 1000, 1, 0}, {-2, 10, 0.5, 1},  {-2, 10, 0.05, 2}, {-2, 10, 0.01, 3},
      {-2, 1e7, 1, -1}, {-2, 1e-5, 1e-6, -1}, {-3, 1000, 1, -3}, {4, 10, 0.01, 4},
      {-2, 10, 0, -1},  {-2, kNaN, 1, -1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AutoLogDecPlaces(c.dec, c.hi, c.lo), c.expected) << c.dec << " " << c.lo;
}

TEST(UserTickItem, PicksItemsAndRepeatsTheLast) {
  struct Case {
    const char* text;
    int n;
    const char* item;
  } const cases[] = {
      {"A|B|C", 1, "A"}, {"A|B|C", 2, "B"}, {"A|B|C", 3, "C"}, {"A|B|C", 4, "C"},
      {"A|B|C", 9, "C"}, {"A|B|", 2, "B"},  {"A|B|", 3, ""},   {"A|B|", 7, ""},
      {"", 1, ""},       {"ABC", 2, "ABC"}, {"|X", 1, ""},     {"A|B", 0, "A"},
  };
  for (const auto& c : cases) EXPECT_EQ(UserTickItem(c.text, c.n), c.item) << c.text << c.n;
}

TEST(ApplyInscript, WrapsNonEmptyLabels) {
  EXPECT_EQ(ApplyInscript("50", "&%"), "50%");
  EXPECT_EQ(ApplyInscript("50", "$"), "$50");
  EXPECT_EQ(ApplyInscript("5", "<&>&"), "<5>&");  // only the first '&' marks the place
  EXPECT_EQ(ApplyInscript("5", ""), "5");
  EXPECT_EQ(ApplyInscript("", "&%"), "");
}

// ---------------------------------------------------------------------------------------------

struct LinearCase {
  const char* name;
  double low, high;
  int minTicks, decPlaces;
  std::vector<std::string> labels;
};

TEST(LinearPlan, MajorLabels) {
  const std::vector<LinearCase> cases = {
      {"0..100", 0, 100, 3, -2, {"0", "20", "40", "60", "80", "100"}},
      {"0..1", 0, 1, 3, -2, {"0.00", "0.20", "0.40", "0.60", "0.80", "1.00"}},
      {"0..10", 0, 10, 3, -2, {"0.0", "2.0", "4.0", "6.0", "8.0", "10.0"}},
      {"-1..1", -1, 1, 3, -2, {"-1.00", "-0.50", "0.00", "0.50", "1.00"}},
      {"reversed", 10, 0, 3, -2, {"10.0", "8.0", "6.0", "4.0", "2.0", "0.0"}},
      {"decimals 0 hides halves", 0, 3, 5, 0, {"0", "", "1", "", "2", "", "3"}},
      {"fixed decimals", 0, 100, 3, 3, {"0.000", "20.000", "40.000", "60.000", "80.000", "100.000"}},
      {"exponential", 0, 1000, 3, -1,
       {" 0.0E+00", " 2.0E+02", " 4.0E+02", " 6.0E+02", " 8.0E+02", " 1.0E+03"}},
      {"zero on a wide span", -500000, 500000, 3, -2,
       {"-4.0E+05", "-2.0E+05", "0.0", " 2.0E+05", " 4.0E+05"}},
      {"cut to 14", 1e12, 1e12 + 30, 3, 5,
       {"1000000000000.", "1000000000010.", "1000000000020.", "1000000000030."}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TickPlan plan = PlanScaleTicks(Settings(c.low, c.high, c.minTicks, c.decPlaces));
    EXPECT_EQ(plan.layout, TickLayout::Linear);
    EXPECT_EQ(MajorLabels(plan), c.labels);
  }
}

TEST(LinearPlan, ResidueAtZeroIsLabelledAndReportedAsZero) {
  // 3 x 0.1 does not cancel -0.3 exactly; the zero tick must still read and report 0.
  const TickPlan plan = PlanScaleTicks(Settings(-0.3, 0.3, 6));
  bool found = false;
  for (const auto* t : Majors(plan)) {
    if (std::fabs(t->value) < 1e-12) {
      found = true;
      EXPECT_EQ(t->label, "0.00");
      EXPECT_EQ(t->labelValue, 0.0);
      EXPECT_EQ(t->eventValue, 0.0);  // horizontal: reported after the label
    }
  }
  EXPECT_TRUE(found);
}

TEST(LinearPlan, InscriptAndUserText) {
  ScaleTickSettings s = Settings(0, 150, 2);
  s.scaleInscript = "&%";
  EXPECT_EQ(MajorLabels(PlanScaleTicks(s)),
            (std::vector<std::string>{"0%", "50%", "100%", "150%"}));
  s.scaleInscript = "$";
  EXPECT_EQ(MajorLabels(PlanScaleTicks(s)),
            (std::vector<std::string>{"$0", "$50", "$100", "$150"}));

  ScaleTickSettings u = Settings(0, 4, 4);
  u.labelType = ftUserText;
  u.userTickText = "Mon|Tue|Wed";
  u.scaleInscript = "&%";  // ignored for user texts
  EXPECT_EQ(MajorLabels(PlanScaleTicks(u)),
            (std::vector<std::string>{"Mon", "Tue", "Wed", "Wed", "Wed"}));

  ScaleTickSettings n = Settings(0, 100);
  n.labelType = ftNoFigs;
  for (const auto& t : PlanScaleTicks(n).ticks) EXPECT_FALSE(t.hasLabel);
}

TEST(LinearPlan, ShortTicksStartOneIntervalBeforeTheFirstMajor) {
  const TickPlan plan = PlanScaleTicks(Settings(3, 97));  // D = 20, d = 5, F = 20
  const std::vector<double> shorts = ShortValues(plan);
  ASSERT_FALSE(shorts.empty());
  EXPECT_EQ(shorts.front(), 5);   // 0 lies before the range
  EXPECT_EQ(shorts.back(), 95);
  EXPECT_EQ(shorts.size(), 19u);
  EXPECT_EQ(MajorValues(plan), (std::vector<double>{20, 40, 60, 80}));
  // Drawing order: every short tick before the first major tick.
  EXPECT_FALSE(plan.ticks.front().major);
  EXPECT_TRUE(plan.ticks.back().major);
}

TEST(LinearPlan, MinTicksZeroIsOneUnitPerTick) {
  const TickPlan five = PlanScaleTicks(Settings(0, 5, 0));
  EXPECT_EQ(MajorValues(five), (std::vector<double>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(ShortValues(five).size(), 26u);  // every 0.2 from 0 to 5
  const TickPlan fifty = PlanScaleTicks(Settings(0, 50, 0));
  EXPECT_EQ(Majors(fifty).size(), 51u);
  EXPECT_EQ(ShortValues(fifty).size(), 51u);  // on the major ticks
}

// Recording and event order differ between the orientations.
TEST(LinearPlan, OrientationRules) {
  struct Case {
    TScaleType type;
    bool shortTicks;
    int majorLength;
    bool majorRecorded;
    bool eventFirst;
  } const cases[] = {
      {sctXB, true, 7, false, false}, {sctXT, false, 7, true, false},
      {sctYL, true, 6, true, true},   {sctYR, false, 6, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.type));
    ScaleTickSettings s = Settings(0, 100);
    s.scaleType = c.type;
    s.shortTicks = c.shortTicks;
    const TickPlan plan = PlanScaleTicks(s);
    std::size_t recorded = 0;
    for (const auto& t : plan.ticks) {
      if (t.record) ++recorded;
      if (t.major) {
        EXPECT_EQ(t.length, c.majorLength);
        EXPECT_EQ(t.record, c.majorRecorded);
        EXPECT_EQ(t.eventBeforeLabel, c.eventFirst);
        EXPECT_EQ(t.anchor, LabelAnchor::ZeroHeight);
      } else {
        EXPECT_EQ(t.length, 4);
        EXPECT_TRUE(t.record);
      }
    }
    // Vertical with short ticks records each major value twice.
    const std::size_t expected = (c.shortTicks ? 21u : 0u) + (c.majorRecorded ? 6u : 0u);
    EXPECT_EQ(recorded, expected);
  }
}

// ---------------------------------------------------------------------------------------------

ScaleTickSettings LogSettings(double low, double high, int minTicks = 3, int decPlaces = -2) {
  ScaleTickSettings s = Settings(low, high, minTicks, decPlaces);
  s.logarithmic = true;
  return s;
}

TEST(LogPlan, DecadesAndIntermediateTicks) {
  struct Case {
    const char* name;
    double low, high;
    int minTicks, decPlaces;
    std::vector<std::string> labels;
  };
  const std::vector<Case> cases = {
      {"three decades", 1, 1000, 3, -2, {"1", "10", "100", "1000"}},
      {"reversed", 1000, 1, 3, -2, {"1", "10", "100", "1000"}},
      {"intermediate", 1, 100, 5, -2, {"1", "2", "5", "10", "20", "50", "100"}},
      {"exponents", 1, 1000, 5, -3, {"0", "", "", "1", "", "", "2", "", "", "3"}},
      {"trailing zeros", 0.05, 50, 5, -2, {"0.05", "0.1", "0.2", "0.5", "1", "2", "5", "10", "20", "50"}},
      {"fixed keeps zeros", 0.1, 10, 2, 2, {"0.10", "1.00", "10.00"}},
      {"exponential", 1e-3, 1e7, 3, -2,
       {" 1.0E-03", " 1.0E-02", " 1.0E-01", " 1.0E+00", " 1.0E+01", " 1.0E+02", " 1.0E+03",
        " 1.0E+04", " 1.0E+05", " 1.0E+06", " 1.0E+07"}},
      {"six decimals", 1e-5, 1e5, 3, -2,
       {"0.00001", "0.0001", "0.001", "0.01", "0.1", "1", "10", "100", "1000", "10000", "100000"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TickPlan plan = PlanScaleTicks(LogSettings(c.low, c.high, c.minTicks, c.decPlaces));
    EXPECT_EQ(plan.layout, TickLayout::Logarithmic);
    EXPECT_EQ(MajorLabels(plan), c.labels);
  }
}

TEST(LogPlan, ShortTicksRecordingAndLengths) {
  ScaleTickSettings s = LogSettings(1, 100, 5);
  const TickPlan with = PlanScaleTicks(s);
  EXPECT_EQ(with.ticks.size(), 19u);  // 1..9, 10..90, 100
  for (const auto& t : with.ticks) {
    EXPECT_TRUE(t.record);
    EXPECT_TRUE(t.eventBeforeLabel);
    EXPECT_EQ(t.length, t.major ? 7 : 4);
  }
  s.shortTicks = false;
  EXPECT_EQ(PlanScaleTicks(s).ticks.size(), 7u);
  s.scaleType = sctYR;
  for (const auto& t : PlanScaleTicks(s).ticks) EXPECT_EQ(t.length, 6);
}

TEST(LogPlan, UserTextCountsLabelledTicks) {
  ScaleTickSettings s = LogSettings(1, 1000);
  s.labelType = ftUserText;
  s.userTickText = "a|b";
  EXPECT_EQ(MajorLabels(PlanScaleTicks(s)), (std::vector<std::string>{"a", "b", "b", "b"}));
}

TEST(LogPlan, BelowOneDecadeUsesTheLinearLayout) {
  const TickPlan plan = PlanScaleTicks(LogSettings(1, 5));
  EXPECT_EQ(plan.layout, TickLayout::Linear);
  EXPECT_EQ(MajorLabels(plan), (std::vector<std::string>{"1.0", "2.0", "3.0", "4.0", "5.0"}));
}

TEST(LogPlan, ThreeHundredDecadesAreAllPlanned) {
  const TickPlan plan = PlanScaleTicks(LogSettings(1e-150, 1e150));
  ASSERT_EQ(plan.ticks.size(), 301u);  // the control records the first 250
  EXPECT_NEAR(plan.ticks.front().value / 1e-150, 1, 1e-9);
  EXPECT_NEAR(plan.ticks.back().value / 1e150, 1, 1e-9);
  EXPECT_EQ(plan.ticks.front().label, "********");  // three-digit exponent
}

TEST(LogPlan, NonPositiveOrNonFiniteEndsDrawNothing) {
  const double cases[][2] = {{0, 100}, {-1, 100}, {100, 0}, {kNaN, 10}, {1, kInf}};
  for (const auto& c : cases) {
    const TickPlan plan = PlanScaleTicks(LogSettings(c[0], c[1]));
    EXPECT_EQ(plan.layout, TickLayout::None) << c[0] << " " << c[1];
    EXPECT_TRUE(plan.ticks.empty());
  }
}

// ---------------------------------------------------------------------------------------------

// Every label type, orientation and flag over ranges that used to hang or overflow: the plan
// must return, stay bounded and hand only finite values to the control.
TEST(TickPlan, PathologicalRangesFinish) {
  const double max = std::numeric_limits<double>::max();
  const double ranges[][2] = {
      {kNaN, kNaN}, {kNaN, 1},       {0, kInf},       {-kInf, kInf},  {-max, max},
      {max, -max},  {0, 1e300},      {0, 1e5},        {1e-320, 1e-310}, {4.9e-324, 1e308},
      {1, 1 + 2.220446049250313e-16}, {1e20, 1e20 + 16384}, {-693593, 3000000},
      {5, 5},       {-1e-300, 1e-300},
  };
  const TFigType types[] = {ftNoFigs, ftNum, ftTime, ftDateTime, ftUserText};
  for (const auto& r : ranges)
    for (TFigType type : types)
      for (int minTicks : {0, 2, 10})
        for (bool log : {false, true})
          for (TScaleType st : {sctXB, sctYL}) {
            ScaleTickSettings s = Settings(r[0], r[1], minTicks, -2);
            s.labelType = type;
            s.logarithmic = log;
            s.scaleType = st;
            s.userTickText = "x|y";
            const TickPlan plan = PlanScaleTicks(s);
            EXPECT_LE(plan.ticks.size(), kMaxPlannedTicks);
            EXPECT_TRUE(std::isfinite(plan.messageValue));
            for (const auto& t : plan.ticks) {
              ASSERT_TRUE(std::isfinite(t.value)) << r[0] << " " << r[1] << " type " << int(type);
              ASSERT_TRUE(std::isfinite(t.eventValue));
            }
          }
}

TEST(TickPlan, TooManyUnitTicksDrawNothing) {
  EXPECT_TRUE(PlanScaleTicks(Settings(0, 1e300, 0)).ticks.empty());
  EXPECT_TRUE(PlanScaleTicks(Settings(0, 1e5, 0)).ticks.empty());
  EXPECT_EQ(Majors(PlanScaleTicks(Settings(0, 1000, 0))).size(), 1001u);
}

TEST(ScaleMessageLines, HorizontalOneLineVerticalWordGroups) {
  EXPECT_EQ(ScaleMessageLines(ScaleMessage::InvalidDateTime, false),
            (std::vector<std::string>{"invalid DateTime scale"}));
  EXPECT_EQ(ScaleMessageLines(ScaleMessage::InvalidDateTime, true),
            (std::vector<std::string>{"invalid", "DateTime", "scale"}));
  EXPECT_EQ(ScaleMessageLines(ScaleMessage::BelowOneSecond, false),
            (std::vector<std::string>{"DateTime range is below 1 second"}));
  EXPECT_EQ(ScaleMessageLines(ScaleMessage::BelowOneSecond, true),
            (std::vector<std::string>{"DateTime", "range is", "below 1", "second"}));
  EXPECT_TRUE(ScaleMessageLines(ScaleMessage::None, true).empty());
}

}  // namespace
}  // namespace dendrokit

namespace dendrokit {
namespace {

// Seeded random settings over many magnitudes: every planned tick lies on the axis (up to
// the layouts' own end tolerances) and the plan stays bounded.
TEST(TickPlan, RandomSettingsKeepTicksOnTheAxis) {
  const unsigned seed = 20261207;
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> unit(0, 1);
  std::uniform_int_distribution<int> exponent(-12, 12);
  const TFigType types[] = {ftNoFigs, ftNum, ftTime, ftDateTime, ftUserText};
  for (int i = 0; i < 4000; ++i) {
    ScaleTickSettings s;
    const double magnitude = std::pow(10.0, exponent(rng));
    s.rangeLow = (unit(rng) * 2 - 1) * magnitude * 10;
    s.rangeHigh = s.rangeLow + (unit(rng) * 2 - 1) * magnitude;
    s.minTicks = std::uniform_int_distribution<int>(0, 10)(rng);
    s.decPlaces = std::uniform_int_distribution<int>(-3, 12)(rng);
    s.labelType = types[rng() % 5];
    s.logarithmic = rng() % 3 == 0;
    if (s.logarithmic) {
      s.rangeLow = std::fabs(s.rangeLow);
      s.rangeHigh = std::fabs(s.rangeHigh);
    }
    s.shortTicks = rng() % 2 == 0;
    s.scaleType = static_cast<TScaleType>(rng() % 4);
    if (s.rangeLow == s.rangeHigh) continue;
    const TickPlan plan = PlanScaleTicks(s);
    ASSERT_LE(plan.ticks.size(), kMaxPlannedTicks) << "seed " << seed << " case " << i;
    const double lo = std::min(s.rangeLow, s.rangeHigh), hi = std::max(s.rangeLow, s.rangeHigh);
    const double tol = 0.002 * (hi - lo) + 0.002;
    for (const auto& t : plan.ticks) {
      ASSERT_TRUE(t.value >= lo - tol && t.value <= hi + tol)
          << "seed " << seed << " case " << i << ": " << t.value << " outside " << s.rangeLow
          << ".." << s.rangeHigh << " type " << int(s.labelType) << " log " << s.logarithmic
          << " minTicks " << s.minTicks;
    }
  }
}

}  // namespace
}  // namespace dendrokit
