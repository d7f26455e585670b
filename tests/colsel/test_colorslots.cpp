// Selection rules of the colour slot table, with a fixed resolver standing in for the
// system colours so that no display is needed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "colsel/colorslots.h"

namespace dendrokit {
namespace {

// 0x00F7E0CE: a light blue that no standard colour has.
constexpr TColor kUnlisted = 16244942;
constexpr TColor kWindow = 0xFF000005;
constexpr TColor kBtnFace = 0xFF00000F;

// The window colour is white, the button face a light grey; other values pass unchanged.
TColor FakeRgb(TColor c) {
  if (c == kWindow) return 0xFFFFFF;
  if (c == kBtnFace) return 0xF0F0F0;
  return c;
}

std::vector<std::string> ListedNames(const TColorSlots& s) {
  std::vector<std::string> names;
  for (int slot = 1; slot <= s.NumColors(); ++slot) names.push_back(s.Name(slot));
  return names;
}

TEST(ColorSlotsNew, StandardColoursThenBlack) {
  TColorSlots s;
  EXPECT_EQ(ListedNames(s).back(), "clMedGray");
  EXPECT_EQ(s.Name(47), "clWindowText");
  EXPECT_EQ(s.Color(47), 0xFF000008u);
  for (int slot : {48, 100, 255}) {
    EXPECT_EQ(s.Color(slot), 0u) << slot;
    EXPECT_EQ(s.Name(slot), "clBlack") << slot;
  }
}

TEST(ColorSlotsNew, ReadsOutsideTheTableGiveBlackAndNoName) {
  TColorSlots s;
  for (int slot : {0, -1, 256, 1 << 30}) {
    EXPECT_EQ(s.Color(slot), 0u);
    EXPECT_EQ(s.Name(slot), "");
  }
}

TEST(ColorSlotsSelColor, UnlistedColourReplacesTheSelectedSlot) {
  TColorSlots s;
  int hookCalls = 0;
  s.SetSelColor(kUnlisted, FakeRgb, [&](std::string& name) {
    ++hookCalls;
    EXPECT_EQ(name, "$00F7E0CE");
  });
  EXPECT_EQ(hookCalls, 1);
  EXPECT_EQ(s.SelectedSlot(), 1);
  EXPECT_EQ(s.SelColor(), kUnlisted);
  EXPECT_EQ(s.Name(1), "$00F7E0CE");
  for (int slot = 1; slot <= s.NumColors(); ++slot) EXPECT_NE(s.Color(slot), 0u) << slot;
}

TEST(ColorSlotsSelColor, ReplacementKeepsTheSelectionWhereItIs) {
  TColorSlots s;
  s.SetSelColor(0x808080, FakeRgb, nullptr);
  s.SetSelColor(0x123456, FakeRgb, nullptr);
  EXPECT_EQ(s.SelectedSlot(), 8);
  EXPECT_EQ(s.Name(8), "$00123456");
  EXPECT_EQ(s.Color(1), 0u);
}

TEST(ColorSlotsSelColor, MatchIsByRgbAndTheFirstListedSlotWins) {
  TColorSlots s;
  ASSERT_TRUE(s.SetNumColors(47));
  // Slot 45 holds the window colour itself, but white in slot 16 comes first.
  s.SetSelColor(kWindow, FakeRgb, nullptr);
  EXPECT_EQ(s.SelectedSlot(), 16);
  EXPECT_EQ(s.SelColor(), 0xFFFFFFu);  // the slot's value, not the written one
}

TEST(ColorSlotsSelColor, SymbolicSlotMatchesAPlainValueOfItsRgb) {
  TColorSlots s;
  ASSERT_TRUE(s.SetNumColors(47));
  s.SetSelColor(0xF0F0F0, FakeRgb, nullptr);
  EXPECT_EQ(s.SelectedSlot(), 25);  // clBtnFace
  EXPECT_EQ(s.SelColor(), kBtnFace);
}

TEST(ColorSlotsSelColor, UnlistedSymbolicColourIsStoredAsSuchAndNamedByItsRgb) {
  TColorSlots s;
  s.SetSelColor(kBtnFace, FakeRgb, nullptr);
  EXPECT_EQ(s.SelColor(), kBtnFace);
  EXPECT_EQ(s.Name(1), "$00F0F0F0");
}

TEST(ColorSlotsSelColor, ReplacementNameUsesTheIdentifierOfAnUnlistedStandardColour) {
  TColorSlots s;
  ASSERT_TRUE(s.SetNumColors(5));
  s.SetSelColor(0xFFFFFF, FakeRgb, nullptr);  // clWhite lives in slot 16, not listed
  EXPECT_EQ(s.SelectedSlot(), 1);
  EXPECT_EQ(s.Name(1), "clWhite");
}

TEST(ColorSlotsSelColor, OnlyListedSlotsAreSearched) {
  TColorSlots s;
  ASSERT_TRUE(s.SetNumColors(5));
  s.SetSelColor(0x808080, FakeRgb, nullptr);  // slot 8 is beyond NumColors
  EXPECT_EQ(s.SelectedSlot(), 1);
  EXPECT_EQ(s.Color(1), 0x808080u);
  EXPECT_EQ(s.Color(8), 0x808080u);
}

TEST(ColorSlotsSelColor, NoneAndDefaultCompareByTheirOwnValues) {
  TColorSlots s;
  ASSERT_TRUE(s.SetNumColors(47));
  s.SetSelColor(0x1FFFFFFF, FakeRgb, nullptr);
  EXPECT_EQ(s.SelectedSlot(), 41);
  s.SetSelColor(0x20000000, FakeRgb, nullptr);
  EXPECT_EQ(s.SelectedSlot(), 30);
}

TEST(ColorSlotsNumColors, EveryValidWriteSelectsSlotOne) {
  TColorSlots s;
  s.SetSelColor(0x808080, FakeRgb, nullptr);
  ASSERT_TRUE(s.SetNumColors(47));
  EXPECT_EQ(s.SelectedSlot(), 1);
  EXPECT_EQ(ListedNames(s).back(), "clWindowText");

  s.SetSelColor(0x808080, FakeRgb, nullptr);
  ASSERT_TRUE(s.SetNumColors(47));  // the same value too
  EXPECT_EQ(s.SelectedSlot(), 1);

  ASSERT_TRUE(s.SetNumColors(255));
  EXPECT_EQ(s.NumColors(), 255);
  ASSERT_TRUE(s.SetNumColors(1));
  EXPECT_EQ(ListedNames(s), std::vector<std::string>{"clBlack"});
}

TEST(ColorSlotsNumColors, ReplacedSlotsSurviveListChanges) {
  TColorSlots s;
  s.SetSelColor(kUnlisted, FakeRgb, nullptr);
  ASSERT_TRUE(s.SetNumColors(3));
  ASSERT_TRUE(s.SetNumColors(20));
  EXPECT_EQ(s.Color(1), kUnlisted);
  EXPECT_EQ(s.Name(1), "$00F7E0CE");
}

TEST(ColorSlotsSelectSlot, OnlyListedSlotsCanBeChosen) {
  TColorSlots s;
  s.SelectSlot(20);
  EXPECT_EQ(s.SelectedSlot(), 20);
  for (int slot : {0, 21, -5, 255}) {
    s.SelectSlot(slot);
    EXPECT_EQ(s.SelectedSlot(), 20) << slot;
  }
}

}  // namespace
}  // namespace dendrokit
