// The colour selector control: its list, SelColor writes against the application palette,
// the user-selection events, and the pixels of one drawn item.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QPalette>
#include <climits>
#include <string>
#include <vector>

#include "colsel/colsel.h"
#include "gfxbase/canvas.h"

namespace dendrokit {
namespace {

constexpr TColor kUnlisted = 16244942;  // 0x00F7E0CE
constexpr TColor kMagenta = 0xFF00FF;   // marks pixels nobody painted
constexpr TColor kSilver = 0xC0C0C0;
constexpr TColor kGrey = 0x808080;

// Sets the application's window colour for the lifetime of the object.
class WindowColour {
 public:
  explicit WindowColour(QColor colour) : saved_(QApplication::palette()) {
    QPalette pal = saved_;
    pal.setColor(QPalette::All, QPalette::Base, colour);
    QApplication::setPalette(pal);
  }
  ~WindowColour() { QApplication::setPalette(saved_); }

 private:
  QPalette saved_;
};

std::vector<std::string> ItemTexts(const TColSel& sel) {
  std::vector<std::string> texts;
  for (int i = 0; i < sel.count(); ++i) texts.push_back(sel.itemText(i).toStdString());
  return texts;
}

// Counts OnChange and OnClick; a selector must raise neither on property writes.
struct EventLog {
  explicit EventLog(TColSel& sel) {
    sel.OnChange = [this](TObject*) { entries.push_back("change"); };
    sel.OnClick = [this](TObject*) { entries.push_back("click"); };
  }
  std::vector<std::string> entries;
};

TEST(ColSelList, NewSelectorListsTwentyColoursWithTheFirstSelected) {
  TColSel sel;
  const auto texts = ItemTexts(sel);
  ASSERT_EQ(texts.size(), 20u);
  EXPECT_EQ(texts.front(), "clBlack");
  EXPECT_EQ(texts[7], "clGray");
  EXPECT_EQ(texts.back(), "clMedGray");
  EXPECT_EQ(sel.currentIndex(), 0);
  EXPECT_EQ(sel.SelColor(), 0u);
  EXPECT_FALSE(sel.isEditable());
  EXPECT_EQ(sel.DropDownCount(), 8);
}

TEST(ColSelList, NumColorsRebuildsTheListAndSelectsTheFirst) {
  TColSel sel;
  EventLog log(sel);
  sel.SetSelColor(8421504);
  for (int n : {0, 256, -3}) {
    sel.SetNumColors(n);
    EXPECT_EQ(sel.count(), 20) << n;
    EXPECT_EQ(sel.currentIndex(), 7) << n;
  }
  sel.SetNumColors(47);
  const auto texts = ItemTexts(sel);
  ASSERT_EQ(texts.size(), 47u);
  EXPECT_EQ(texts.back(), "clWindowText");
  EXPECT_EQ(sel.currentIndex(), 0);
  EXPECT_EQ(sel.SelectedSlot(), 1);
  EXPECT_TRUE(log.entries.empty());
}

TEST(ColSelSelColor, ListedColourSelectsItsItemWithoutEvents) {
  TColSel sel;
  EventLog log(sel);
  sel.SetSelColor(8421504);
  EXPECT_EQ(sel.currentIndex(), 7);
  EXPECT_EQ(sel.currentText(), "clGray");
  EXPECT_EQ(sel.SelColor(), 8421504u);
  EXPECT_TRUE(log.entries.empty());
}

TEST(ColSelSelColor, UnlistedColourReplacesTheSelectedSlot) {
  TColSel sel;
  EventLog log(sel);
  std::vector<std::string> names;
  sel.OnColorNameChange = [&](TObject* sender, std::string& name) {
    EXPECT_EQ(sender, static_cast<TObject*>(&sel));
    names.push_back(name);
  };
  sel.SetSelColor(kUnlisted);
  EXPECT_EQ(names, std::vector<std::string>{"$00F7E0CE"});
  EXPECT_EQ(sel.currentIndex(), 0);
  EXPECT_EQ(sel.itemText(0), "$00F7E0CE");
  EXPECT_EQ(sel.SelColor(), kUnlisted);
  for (int slot = 1; slot <= sel.NumColors(); ++slot)
    EXPECT_NE(sel.Slots().Color(slot), 0u) << "black still listed in slot " << slot;
  EXPECT_TRUE(log.entries.empty());

  // Written again, the colour is now listed: no new name.
  sel.SetSelColor(kUnlisted);
  EXPECT_EQ(names.size(), 1u);
}

TEST(ColSelSelColor, NameHandlerChoosesTheShownName) {
  TColSel sel;
  sel.SetSelColor(0xFFFF00);  // clAqua, item 14
  sel.OnColorNameChange = [](TObject*, std::string& name) { name = "light blue"; };
  sel.SetSelColor(kUnlisted);
  EXPECT_EQ(sel.currentIndex(), 14);
  EXPECT_EQ(sel.currentText(), "light blue");
  EXPECT_EQ(sel.Slots().Name(15), "light blue");
}

TEST(ColSelSelColor, SymbolicWindowColourComparesByThePaletteColour) {
  {
    WindowColour white(Qt::white);
    TColSel sel;
    sel.SetSelColor(0xFF000005);
    EXPECT_EQ(sel.currentIndex(), 15);
    EXPECT_EQ(sel.currentText(), "clWhite");
  }
  {
    WindowColour silver(QColor(192, 192, 192));
    TColSel sel;
    sel.SetSelColor(0xFF000005);
    EXPECT_EQ(sel.currentText(), "clSilver");
  }
  {
    // No listed colour matches: the symbolic value is kept, named by its RGB value.
    WindowColour odd(QColor(1, 2, 3));
    TColSel sel;
    sel.SetSelColor(0xFF000005);
    EXPECT_EQ(sel.currentIndex(), 0);
    EXPECT_EQ(sel.SelColor(), 0xFF000005u);
    EXPECT_EQ(sel.currentText(), "$00030201");
  }
}

TEST(ColSelUser, KeyboardChoiceRaisesClickThenChangeWithTheNewColour) {
  TColSel sel;
  std::vector<std::pair<std::string, TColor>> seen;
  sel.OnClick = [&](TObject* sender) {
    EXPECT_EQ(sender, static_cast<TObject*>(&sel));
    seen.emplace_back("click", sel.SelColor());
  };
  sel.OnChange = [&](TObject*) { seen.emplace_back("change", sel.SelColor()); };
  QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  QApplication::sendEvent(&sel, &down);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], std::make_pair(std::string("click"), TColor{0x000080}));
  EXPECT_EQ(seen[1], std::make_pair(std::string("change"), TColor{0x000080}));
  EXPECT_EQ(sel.SelectedSlot(), 2);
}

TEST(ColSelUser, ChoiceFromTheListUpdatesTheSelectedSlot) {
  TColSel sel;
  std::vector<TColor> atChange;
  sel.OnChange = [&](TObject*) { atChange.push_back(sel.SelColor()); };
  sel.setCurrentIndex(9);  // a program moving the Qt selection is no user choice
  EXPECT_TRUE(atChange.empty());
  emit sel.activated(9);  // what the list does when the user picks item 9
  EXPECT_EQ(atChange, std::vector<TColor>{0x0000FF});
  EXPECT_EQ(sel.SelColor(), 0x0000FFu);

  // Picking again after a rebuild: the new list's item counts.
  sel.SetNumColors(47);
  sel.setCurrentIndex(46);
  emit sel.activated(46);
  EXPECT_EQ(sel.SelColor(), 0xFF000008u);
}

TEST(ColSelSetters, IgnoredAndPassedOnValues) {
  TColSel sel;
  sel.SetColorBarWidth(-1);
  EXPECT_EQ(sel.ColorBarWidth(), 30);
  sel.SetColorBarWidth(0);
  EXPECT_EQ(sel.ColorBarWidth(), 0);
  sel.SetEnabled(false);
  EXPECT_FALSE(sel.Enabled());
  EXPECT_FALSE(sel.isEnabled());
  sel.SetEnabled(true);
  EXPECT_TRUE(sel.isEnabled());
}

// ---- Drawing one item ----------------------------------------------------------------

// A picture prefilled with magenta, with the pen the toolkit hands an owner-drawn item.
struct Picture {
  Picture(int w, int h) : bmp(w, h) {
    bmp.Canvas().Brush().SetColor(kMagenta);
    bmp.Canvas().FillRect({0, 0, w, h});
    bmp.Canvas().Pen().SetColor(0);
  }
  TColor At(int x, int y) { return bmp.Canvas().Pixel(x, y); }
  int Count(TColor colour, const TRect& r) {
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) n += At(x, y) == colour;
    return n;
  }
  // Bounding box of the pixels in r that differ from background.
  TRect Ink(const TRect& r, TColor background) {
    TRect box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x)
        if (At(x, y) != background) {
          box.Left = std::min(box.Left, x);
          box.Top = std::min(box.Top, y);
          box.Right = std::max(box.Right, x + 1);
          box.Bottom = std::max(box.Bottom, y + 1);
        }
    return box;
  }
  TBitmap bmp;
};

// Where the canvas's own TextOut at (0, 0) puts the first ink of text.
TPoint InkOffset(const std::string& text) {
  Picture ref(200, 60);
  ref.bmp.Canvas().Brush().SetColor(0xFFFFFF);
  ref.bmp.Canvas().FillRect({0, 0, 200, 60});
  ref.bmp.Canvas().TextOut(0, 0, text);
  const TRect ink = ref.Ink({0, 0, 200, 60}, 0xFFFFFF);
  return {ink.Left, ink.Top};
}

constexpr TRect kItem{10, 5, 210, 25};  // L, T, R, B

TEST(ColSelDraw, EnabledBarIsOutlinedInThePenAndFilledWithTheSlotColour) {
  Picture pic(230, 40);
  DrawColSelItem(pic.bmp.Canvas(), kItem, "clRed", {0x0000FF, 0xFFFFFF, 30, true});
  // Rectangle(L + 3, T + 2, L + 33, B - 2): columns 13..42, rows 7..22.
  for (auto [x, y] : {std::pair{13, 7}, {42, 7}, {13, 22}, {42, 22}, {27, 7}, {13, 15}})
    EXPECT_EQ(pic.At(x, y), 0u) << x << "," << y;
  EXPECT_EQ(pic.Count(0x0000FF, {0, 0, 230, 40}), 28 * 14);
  EXPECT_EQ(pic.Count(0x0000FF, {14, 8, 42, 22}), 28 * 14);
  // Around the bar nothing is painted; the text part starts at L + 33.
  EXPECT_EQ(pic.At(12, 15), kMagenta);
  EXPECT_EQ(pic.At(27, 6), kMagenta);
  EXPECT_EQ(pic.At(27, 23), kMagenta);
  EXPECT_EQ(pic.At(43, 5), 0xFFFFFFu);
  EXPECT_EQ(pic.At(209, 24), 0xFFFFFFu);
  // Nothing outside the item.
  EXPECT_EQ(pic.Count(kMagenta, {0, 0, 230, 5}), 230 * 5);
  EXPECT_EQ(pic.Count(kMagenta, {0, 25, 230, 40}), 230 * 15);
  EXPECT_EQ(pic.Count(kMagenta, {210, 0, 230, 40}), 20 * 40);
}

TEST(ColSelDraw, NameStartsThreePixelsIntoTheTextPartAndIsCentredVertically) {
  const std::string name = "clMoneyGreen";
  const TPoint offset = InkOffset(name);
  for (int bar : {0, 30}) {
    Picture pic(230, 40);
    DrawColSelItem(pic.bmp.Canvas(), kItem, name, {0xC0DCC0, 0xFFFFFF, bar, true});
    const int h = pic.bmp.Canvas().TextHeight(name);
    const TRect textPart{kItem.Left + bar + 3, kItem.Top, kItem.Right, kItem.Bottom};
    const TRect ink = pic.Ink(textPart, 0xFFFFFF);
    EXPECT_EQ(ink.Left, kItem.Left + bar + 6 + offset.X) << bar;
    EXPECT_EQ(ink.Top, kItem.Top + (kItem.Bottom - kItem.Top - h) / 2 + offset.Y) << bar;
    EXPECT_EQ(pic.Count(0xFFFFFF, {textPart.Left, kItem.Top, textPart.Left + 3, kItem.Bottom}),
              3 * 20);
  }
  // With no bar the three pixels left of the text part stay untouched.
  Picture pic(230, 40);
  DrawColSelItem(pic.bmp.Canvas(), kItem, name, {0xC0DCC0, 0xFFFFFF, 0, true});
  EXPECT_EQ(pic.Count(kMagenta, {0, 0, 13, 40}), 13 * 40);
  EXPECT_EQ(pic.Count(0xC0DCC0, {0, 0, 230, 40}), 0);
}

TEST(ColSelDraw, DisabledItemIsGreyOnSilver) {
  Picture pic(230, 40);
  DrawColSelItem(pic.bmp.Canvas(), kItem, "clRed", {0x0000FF, 0xFFFFFF, 30, false});
  // The cleared area Rectangle(L - 1, T - 1, L + 33, B + 1) reaches one pixel outside.
  EXPECT_EQ(pic.At(9, 4), kSilver);
  EXPECT_EQ(pic.At(9, 25), kSilver);
  EXPECT_EQ(pic.At(8, 15), kMagenta);
  EXPECT_EQ(pic.At(43, 4), kMagenta);
  EXPECT_EQ(pic.At(42, 6), kSilver);
  // A grey outline around a silver bar: 2 * (30 + 16) - 4 pixels.
  EXPECT_EQ(pic.Count(kGrey, {9, 4, 43, 26}), 88);
  EXPECT_EQ(pic.At(13, 7), kGrey);
  EXPECT_EQ(pic.At(42, 22), kGrey);
  EXPECT_EQ(pic.At(27, 15), kSilver);
  EXPECT_EQ(pic.Count(0x0000FF, {0, 0, 230, 40}), 0);
  // The text part: silver with grey ink, anti-aliased edges in between.
  const TRect textPart{43, 5, 210, 25};
  int ink = 0;
  for (int y = textPart.Top; y < textPart.Bottom; ++y)
    for (int x = textPart.Left; x < textPart.Right; ++x) {
      const TColor c = pic.At(x, y);
      for (int shift : {0, 8, 16}) {
        const int v = int((c >> shift) & 0xFF);
        EXPECT_TRUE(v >= 0x80 && v <= 0xC0) << x << "," << y;
      }
      ink += c != kSilver;
    }
  EXPECT_GT(ink, 10);
  EXPECT_GT(pic.Count(kGrey, textPart), 0);
}

TEST(ColSelDraw, DisabledWithoutBarClearsNothingLeftOfTheText) {
  Picture pic(230, 40);
  DrawColSelItem(pic.bmp.Canvas(), kItem, "clRed", {0x0000FF, 0xFFFFFF, 0, false});
  EXPECT_EQ(pic.Count(kMagenta, {0, 0, 13, 40}), 13 * 40);
  EXPECT_EQ(pic.At(13, 5), kSilver);
  EXPECT_EQ(pic.Count(kMagenta, {0, 0, 230, 5}), 230 * 5);
}

TEST(ColSelDraw, RestoresBrushAndFontColourButNotThePen) {
  Picture pic(230, 40);
  TCanvas& c = pic.bmp.Canvas();
  c.Brush().SetColor(0x123456);
  c.Font().SetColor(0x654321);
  DrawColSelItem(c, kItem, "clRed", {0x0000FF, 0xFFFFFF, 30, false});
  EXPECT_EQ(c.Brush().Color(), 0x123456u);
  EXPECT_EQ(c.Font().Color(), 0x654321u);
  EXPECT_EQ(c.Pen().Color(), kGrey);
}

TEST(ColSelDraw, NameIsClippedToTheItem) {
  Picture pic(120, 40);
  const TRect narrow{10, 5, 60, 25};
  DrawColSelItem(pic.bmp.Canvas(), narrow, "$00F7E0CE is far too long", {0, 0xFFFFFF, 30, true});
  EXPECT_EQ(pic.Count(kMagenta, {60, 0, 120, 40}), 60 * 40);
  EXPECT_GT(pic.Count(0xFFFFFF, {43, 5, 60, 25}), 0);
  EXPECT_LT(pic.Count(0xFFFFFF, {43, 5, 60, 25}), 17 * 20);
}

TEST(ColSelDraw, ExtremeGeometryIsHarmless) {
  Picture pic(40, 40);
  TCanvas& c = pic.bmp.Canvas();
  for (int bar : {0, 1, INT_MAX}) {
    for (TRect r : {TRect{0, 0, 0, 0}, TRect{30, 30, 5, 5}, TRect{INT_MAX - 1, 0, INT_MAX, 3},
                    TRect{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, TRect{0, 0, 40, 2}}) {
      DrawColSelItem(c, r, "x", {0x0000FF, 0xFFFFFF, bar, true});
      DrawColSelItem(c, r, "x", {0x0000FF, 0xFFFFFF, bar, false});
    }
  }
  SUCCEED();
}

TEST(ColSelDraw, ControlDrawsItsItemsAndClosedBoxWithItsColours) {
  WindowColour white(Qt::white);
  TColSel sel;
  QImage image(200, 20, QImage::Format_RGB32);
  image.fill(Qt::magenta);
  {
    QPainter p(&image);
    sel.DrawItem(p, 7, QRect(0, 0, 200, 20));
  }
  EXPECT_EQ(image.pixel(10, 10), qRgb(128, 128, 128));  // clGray bar
  EXPECT_EQ(image.pixel(1, 1), qRgb(255, 255, 255));    // prepared with Color
  EXPECT_EQ(image.pixel(3, 2), qRgb(0, 0, 0));          // outline in the prepared pen

  sel.SetEnabled(false);
  {
    QPainter p(&image);
    sel.DrawItem(p, 7, QRect(0, 0, 200, 20));
  }
  EXPECT_EQ(image.pixel(10, 10), qRgb(192, 192, 192));
  EXPECT_EQ(image.pixel(3, 2), qRgb(128, 128, 128));

  // The closed box shows the selected item: a red bar of ColorBarWidth - 2 inner columns.
  sel.SetEnabled(true);
  sel.SetSelColor(0x0000FF);
  sel.resize(sel.sizeHint());
  const QImage box = sel.grab().toImage().convertToFormat(QImage::Format_RGB32);
  int redColumns = 0;
  for (int x = 0; x < box.width(); ++x)
    redColumns += box.pixel(x, box.height() / 2) == qRgb(255, 0, 0);
  EXPECT_EQ(redColumns, 28);
}

}  // namespace
}  // namespace dendrokit
