#include <gtest/gtest.h>

#include <vector>

#include "gfxbase/errors.h"
#include "gfxbase/settings.h"

namespace dendrokit {
namespace {

// Counts OnChange calls and remembers the senders.
struct ChangeLog {
  std::vector<TObject*> senders;
  TNotifyEvent Handler() {
    return [this](TObject* s) { senders.push_back(s); };
  }
  std::size_t Count() const { return senders.size(); }
};

TEST(CrossHair, LayerClampsAndEveryWriteNotifies) {
  TCrossHair c;
  ChangeLog log;
  c.OnChange = log.Handler();
  c.SetLayer(0);
  EXPECT_EQ(c.Layer(), 1);
  c.SetLayer(-5);
  EXPECT_EQ(c.Layer(), 1);
  c.SetLayer(40);
  EXPECT_EQ(c.Layer(), 16);
  c.SetLayer(16);
  EXPECT_EQ(c.Layer(), 16);
  EXPECT_EQ(log.Count(), 4u);
  EXPECT_EQ(log.senders.front(), &c);

  // Unchanged values notify too.
  c.SetPosX(2.5);
  c.SetPosX(2.5);
  c.SetPosY(0.0);
  c.SetColor(0);
  c.SetMode(chOff);
  c.SetLineType(psSolid);
  c.SetLineWid(0);
  c.SetLineWid(-3);
  EXPECT_EQ(c.LineWid(), -3);
  EXPECT_EQ(log.Count(), 12u);
}

TEST(CrossHair, UnknownEnumOrdinalsAreIgnored) {
  TCrossHair c;
  ChangeLog log;
  c.OnChange = log.Handler();
  c.SetMode(chBox);
  c.SetMode(static_cast<TCrossHMode>(6));
  c.SetLineType(static_cast<TPenStyle>(200));
  EXPECT_EQ(c.Mode(), chBox);
  EXPECT_EQ(c.LineType(), psSolid);
  EXPECT_EQ(log.Count(), 1u);
}

TEST(CrossHair, AssignCopiesFieldsAndHandlerSilently) {
  TCrossHair src, dst;
  ChangeLog srcLog, dstLog;
  src.SetPosX(1.5);
  src.SetPosY(-2.0);
  src.SetColor(0x123456);
  src.SetMode(chCrossBox);
  src.SetLineType(psDashDot);
  src.SetLineWid(3);
  src.SetLayer(7);
  src.OnChange = srcLog.Handler();
  dst.OnChange = dstLog.Handler();

  dst.Assign(&src);
  EXPECT_EQ(srcLog.Count(), 0u);
  EXPECT_EQ(dstLog.Count(), 0u);
  EXPECT_EQ(dst.PosX(), 1.5);
  EXPECT_EQ(dst.PosY(), -2.0);
  EXPECT_EQ(dst.Color(), 0x123456u);
  EXPECT_EQ(dst.Mode(), chCrossBox);
  EXPECT_EQ(dst.LineType(), psDashDot);
  EXPECT_EQ(dst.LineWid(), 3);
  EXPECT_EQ(dst.Layer(), 7);

  // The target now calls the source's handler, with itself as sender.
  dst.SetColor(1);
  EXPECT_EQ(dstLog.Count(), 0u);
  ASSERT_EQ(srcLog.Count(), 1u);
  EXPECT_EQ(srcLog.senders[0], &dst);
}

TEST(CrossHair, AssignFromOtherClassRaisesStandardMessage) {
  TCrossHair c;
  TDTLabel d;
  try {
    c.Assign(&d);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TDTLabel to a TCrossHair");
  }
  EXPECT_THROW(c.Assign(nullptr), EConvertError);
}

TEST(DTLabel, SomeFieldsNotifyAlwaysOthersOnlyOnChange) {
  TDTLabel d;
  ChangeLog log;
  d.OnChange = log.Handler();

  d.SetTimeFormat(tfAMPM);
  d.SetTimeFormat(tfAMPM);
  EXPECT_EQ(log.Count(), 2u);
  d.SetDateOrder(doMMDDYY);
  d.SetDateOrder(doMMDDYY);
  EXPECT_EQ(log.Count(), 4u);

  d.SetDateSeparator('/');
  d.SetDateSeparator('/');
  EXPECT_EQ(log.Count(), 5u);
  d.SetTimeSeparator('\0');
  EXPECT_EQ(log.Count(), 5u);
  d.SetTimeSeparator(':');
  d.SetTimeSeparator(':');
  EXPECT_EQ(log.Count(), 6u);
  d.SetYearLength(ylNone);
  d.SetYearLength(ylYYYY);
  d.SetYearLength(ylYYYY);
  EXPECT_EQ(log.Count(), 7u);
  d.SetMonthName(false);
  d.SetMonthName(true);
  d.SetMonthName(true);
  EXPECT_EQ(log.Count(), 8u);
  d.SetDateForTime(dtNone);
  d.SetDateForTime(dtAllTicks);
  d.SetDateForTime(dtAllTicks);
  EXPECT_EQ(log.Count(), 9u);
  EXPECT_EQ(d.YearLength(), ylYYYY);
  EXPECT_EQ(d.DateForTime(), dtAllTicks);
}

TEST(DTLabel, UnknownEnumOrdinalsAreIgnored) {
  TDTLabel d;
  ChangeLog log;
  d.OnChange = log.Handler();
  d.SetTimeFormat(static_cast<TTimeFormat>(3));
  d.SetYearLength(static_cast<TYearLength>(9));
  d.SetDateOrder(static_cast<TDateOrder>(3));
  d.SetDateForTime(static_cast<TDateForTime>(4));
  EXPECT_EQ(log.Count(), 0u);
  EXPECT_EQ(d.TimeFormat(), tfHHMMSS);
  EXPECT_EQ(d.DateForTime(), dtNone);
}

TEST(DTLabel, AssignCopiesFormatAndHandlerSilently) {
  TDTLabel src, dst;
  ChangeLog srcLog, dstLog;
  src.SetTimeFormat(tfHHhMM);
  src.SetDateSeparator('.');
  src.SetTimeSeparator('h');
  src.SetYearLength(ylYY);
  src.SetMonthName(true);
  src.SetDateOrder(doYYMMDD);
  src.SetDateForTime(dtOnePerDay);
  src.OnChange = srcLog.Handler();
  dst.OnChange = dstLog.Handler();

  dst.Assign(&src);
  EXPECT_EQ(srcLog.Count() + dstLog.Count(), 0u);
  EXPECT_EQ(dst.TimeFormat(), tfHHhMM);
  EXPECT_EQ(dst.DateSeparator(), '.');
  EXPECT_EQ(dst.TimeSeparator(), 'h');
  EXPECT_EQ(dst.YearLength(), ylYY);
  EXPECT_TRUE(dst.MonthName());
  EXPECT_EQ(dst.DateOrder(), doYYMMDD);
  EXPECT_EQ(dst.DateForTime(), dtOnePerDay);

  dst.SetMonthName(false);
  EXPECT_EQ(dstLog.Count(), 0u);
  EXPECT_EQ(srcLog.Count(), 1u);

  TCrossHair c;
  EXPECT_THROW(dst.Assign(&c), EConvertError);
}

}  // namespace
}  // namespace dendrokit
