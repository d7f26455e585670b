#include <gtest/gtest.h>

#include <set>
#include <string>

#include "gfxbase/stdcolors.h"

namespace dendrokit {
namespace {

TEST(StdColors, TableShape) {
  ASSERT_EQ(StdColors.size(), 47u);
  // Spot checks at the ends of each block and the two special values.
  EXPECT_EQ(StdColors[0].value, 0x000000u);
  EXPECT_EQ(StdColors[0].ident, "clBlack");
  EXPECT_EQ(StdColors[9].value, 0x0000FFu);
  EXPECT_EQ(StdColors[9].ident, "clRed");
  EXPECT_EQ(StdColors[19].value, 0xA4A0A0u);
  EXPECT_EQ(StdColors[19].ident, "clMedGray");
  EXPECT_EQ(StdColors[20].value, 0xFF00000Au);
  EXPECT_EQ(StdColors[24].value, 0xFF00000Fu);
  EXPECT_EQ(StdColors[24].ident, "clBtnFace");
  EXPECT_EQ(StdColors[29].value, clDefault);
  EXPECT_EQ(StdColors[40].value, clNone);
  EXPECT_EQ(StdColors[46].value, 0xFF000008u);
  EXPECT_EQ(StdColors[46].ident, "clWindowText");

  std::set<TColor> values;
  std::set<std::string_view> names;
  for (const auto& c : StdColors) {
    values.insert(c.value);
    names.insert(c.ident);
  }
  EXPECT_EQ(values.size(), 47u);
  EXPECT_EQ(names.size(), 47u);
}

TEST(ColorText, EveryListEntryRoundTripsThroughItsIdentifier) {
  for (const auto& c : StdColors) {
    EXPECT_EQ(ColorToText(c.value), c.ident);
    EXPECT_EQ(TextToColor(c.ident), c.value) << c.ident;
  }
}

TEST(ColorText, OtherValuesAreDollarAndEightUpperHexDigits) {
  EXPECT_EQ(ColorToText(0x00123456), "$00123456");
  EXPECT_EQ(ColorToText(0x00ABCDEF), "$00ABCDEF");
  EXPECT_EQ(ColorToText(0xFF000019), "$FF000019");  // a system colour outside the list
  EXPECT_EQ(ColorToText(0xFFFFFFFF), "$FFFFFFFF");
  for (TColor v : {0x00000001u, 0x00ABCDEFu, 0xFF000019u, 0xFFFFFFFFu, 0x1FFFFFFEu})
    EXPECT_EQ(TextToColor(ColorToText(v)), v);
}

TEST(ColorText, ParsingAcceptsCaseBlanksAndNumbers) {
  EXPECT_EQ(TextToColor("clbtnface"), 0xFF00000Fu);
  EXPECT_EQ(TextToColor("  CLRED "), 0x0000FFu);
  EXPECT_EQ(TextToColor("$ff"), 0xFFu);
  EXPECT_EQ(TextToColor("0x00FF00"), 0x00FF00u);
  EXPECT_EQ(TextToColor("12632256"), 0xC0C0C0u);
  EXPECT_EQ(TextToColor("-16777201"), 0xFF00000Fu);
  EXPECT_EQ(TextToColor("4294967295"), 0xFFFFFFFFu);
}

TEST(ColorText, UnknownTextsFailCleanly) {
  for (const char* bad : {"", "   ", "clMauve", "$", "$123456789", "$12G4", "0x", "4294967296",
                          "-2147483649", "12a", "+", "-", "cl", "clRed2"})
    EXPECT_EQ(TextToColor(bad), std::nullopt) << '"' << bad << '"';
}

// Grey values with the exact weighted sum in hundredths, the halves included.
TEST(GrayValue, RoundsHalvesToEven) {
  struct Case {
    TColor color;
    int gray;
  } const cases[] = {
      {0x000000, 0},   {0xFFFFFF, 255}, {0x00FF00, 150}, {0xFF0000, 28},  {0x0000FF, 76},  // 76.5
      {0x000005, 2},   // 1.5
      {0x00000F, 4},   // 4.5
      {0x000019, 8},   // 7.5
      {0x000023, 10},  // 10.5
      {0x0A0000, 1},   // 1.1
      {0x320000, 6},   // 5.5
      {0x460000, 8},   // 7.7
      {0x808080, 128}, {0xC0C0C0, 192},
      {0xFF00000F, 4},  // only the low three bytes count
  };
  for (const auto& c : cases) EXPECT_EQ(GrayValue(c.color), c.gray) << std::hex << c.color;
}

TEST(GrayValue, ContrastColorThreshold) {
  EXPECT_EQ(ContrastColor(0xFFFFFF), 0x000000u);
  EXPECT_EQ(ContrastColor(0x000000), 0xFFFFFFu);
  EXPECT_EQ(ContrastColor(0x00FF00), 0x000000u);  // 150
  EXPECT_EQ(ContrastColor(0xFF0000), 0xFFFFFFu);  // 28
  EXPECT_EQ(ContrastColor(0x8C8C8C), 0x000000u);  // exactly 140
  EXPECT_EQ(ContrastColor(0x8B8B8B), 0xFFFFFFu);  // 139
  EXPECT_EQ(ContrastColor(0xFF00000F), 0xFFFFFFu);  // symbolic: used unresolved
}

}  // namespace
}  // namespace dendrokit
