#include <gtest/gtest.h>

#include <vector>

#include "gfxbase/errors.h"
#include "gfxbase/settings.h"
#include "gfxbase/textlabel.h"

namespace dendrokit {
namespace {

struct ChangeLog {
  std::vector<TObject*> senders;
  TNotifyEvent Handler() {
    return [this](TObject* s) { senders.push_back(s); };
  }
  std::size_t Count() const { return senders.size(); }
};

TEST(TextLabel, ConstructorDefaults) {
  TTextLabel l;
  EXPECT_EQ(l.PosX(), 100.0);
  EXPECT_EQ(l.PosY(), 10.0);
  EXPECT_EQ(l.Layer(), 1);
  EXPECT_EQ(l.ColorShadow(), 8421504u);
  EXPECT_EQ(l.Alignment(), taCenter);
  EXPECT_EQ(l.VerticalAlignment(), vaBottom);
  EXPECT_EQ(l.AttachToData(), tlamNone);
  EXPECT_EQ(l.ColorBkg(), 12632256u);
  EXPECT_EQ(l.ColorBorder(), 0u);
  EXPECT_FALSE(l.Transparent());
  EXPECT_TRUE(l.Caption().empty());
  EXPECT_EQ(l.Mode(), tlsimple);
  EXPECT_TRUE(l.Visible());
  EXPECT_FALSE(l.OnChange);
  const TFont fresh;
  EXPECT_EQ(l.Font().Name(), fresh.Name());
  EXPECT_EQ(l.Font().Height(), fresh.Height());
}

TEST(TextLabel, LayerOutsideRangeIsIgnoredSilently) {
  TTextLabel l;
  ChangeLog log;
  l.OnChange = log.Handler();
  l.SetLayer(0);
  l.SetLayer(17);
  l.SetLayer(-1);
  EXPECT_EQ(l.Layer(), 1);
  EXPECT_EQ(log.Count(), 0u);
  l.SetLayer(16);
  EXPECT_EQ(l.Layer(), 16);
  l.SetLayer(16);
  EXPECT_EQ(log.Count(), 2u);
  EXPECT_EQ(log.senders[0], &l);
}

TEST(TextLabel, EveryOtherWriteNotifiesEvenWhenUnchanged) {
  TTextLabel l;
  ChangeLog log;
  l.OnChange = log.Handler();
  l.SetPosX(100.0);
  l.SetPosY(10.0);
  l.SetShadowDx(0);
  l.SetShadowDy(-4);
  l.SetColorShadow(8421504);
  l.SetColorBkg(12632256);
  l.SetColorBorder(0);
  l.SetAlignment(taCenter);
  l.SetVerticalAlignment(vaBottom);
  l.SetAttachToData(tlamNone);
  l.SetTransparent(false);
  l.SetMode(tlsimple);
  l.SetVisible(true);
  l.SetCaption("");
  l.SetFont(l.Font());
  EXPECT_EQ(log.Count(), 15u);
  EXPECT_EQ(l.ShadowDy(), -4);
}

TEST(TextLabel, UnknownEnumOrdinalsAreIgnored) {
  TTextLabel l;
  ChangeLog log;
  l.OnChange = log.Handler();
  l.SetAlignment(static_cast<TAlignment>(3));
  l.SetVerticalAlignment(static_cast<TVerticalAlignment>(3));
  l.SetAttachToData(static_cast<TTxtLblAttachMode>(4));
  l.SetMode(static_cast<TTxtLblMode>(5));
  EXPECT_EQ(log.Count(), 0u);
  EXPECT_EQ(l.Mode(), tlsimple);
}

TEST(TextLabel, CaptionKeepsLineFeedsAndBlanksOtherControls) {
  TTextLabel l;
  l.SetCaption("a\tb\rc\nd\x01\x1F" "e");
  EXPECT_EQ(l.Caption(), "a b c\nd  e");
  l.SetCaption("Gr\xC3\xBC\xC3\x9F" "e");  // UTF-8 bytes above 127 stay
  EXPECT_EQ(l.Caption(), "Gr\xC3\xBC\xC3\x9F" "e");
}

TEST(TextLabel, SetFontCopiesAttributesIntoTheOwnFont) {
  TTextLabel l;
  TFont* own = &l.Font();
  TFont other;
  other.SetName("DejaVu Serif");
  other.SetHeight(21);
  other.SetStyle(fsBold | fsItalic);
  other.SetColor(0x123456);
  l.SetFont(other);
  EXPECT_EQ(&l.Font(), own);
  EXPECT_EQ(l.Font().Name(), "DejaVu Serif");
  EXPECT_EQ(l.Font().Height(), 21);
  EXPECT_EQ(l.Font().Style(), fsBold | fsItalic);
  EXPECT_EQ(l.Font().Color(), 0x123456u);
  other.SetHeight(30);
  EXPECT_EQ(l.Font().Height(), 21);
}

TEST(TextLabel, AssignCopiesEverythingAndTheHandlerSilently) {
  TTextLabel src, dst;
  ChangeLog srcLog, dstLog;
  src.SetPosX(1.0);
  src.SetPosY(2.0);
  src.SetLayer(5);
  src.SetShadowDx(3);
  src.SetShadowDy(4);
  src.SetColorShadow(0x010203);
  src.SetAlignment(taRightJustify);
  src.SetVerticalAlignment(vaTop);
  src.SetAttachToData(tlamBoth);
  src.SetColorBkg(0x040506);
  src.SetColorBorder(0x070809);
  src.SetTransparent(true);
  src.Font().SetHeight(25);
  src.Font().SetColor(0x00FF00);
  src.SetCaption("two\nlines");
  src.SetMode(tlShadow);
  src.SetVisible(false);
  src.OnChange = srcLog.Handler();
  dst.OnChange = dstLog.Handler();
  TFont* own = &dst.Font();

  dst.Assign(&src);
  EXPECT_EQ(srcLog.Count() + dstLog.Count(), 0u);
  EXPECT_EQ(dst.PosX(), 1.0);
  EXPECT_EQ(dst.PosY(), 2.0);
  EXPECT_EQ(dst.Layer(), 5);
  EXPECT_EQ(dst.ShadowDx(), 3);
  EXPECT_EQ(dst.ShadowDy(), 4);
  EXPECT_EQ(dst.ColorShadow(), 0x010203u);
  EXPECT_EQ(dst.Alignment(), taRightJustify);
  EXPECT_EQ(dst.VerticalAlignment(), vaTop);
  EXPECT_EQ(dst.AttachToData(), tlamBoth);
  EXPECT_EQ(dst.ColorBkg(), 0x040506u);
  EXPECT_EQ(dst.ColorBorder(), 0x070809u);
  EXPECT_TRUE(dst.Transparent());
  EXPECT_EQ(&dst.Font(), own);
  EXPECT_EQ(dst.Font().Height(), 25);
  EXPECT_EQ(dst.Font().Color(), 0x00FF00u);
  EXPECT_EQ(dst.Caption(), "two\nlines");
  EXPECT_EQ(dst.Mode(), tlShadow);
  EXPECT_FALSE(dst.Visible());

  dst.SetVisible(true);
  EXPECT_EQ(dstLog.Count(), 0u);
  ASSERT_EQ(srcLog.Count(), 1u);
  EXPECT_EQ(srcLog.senders[0], &dst);
}

TEST(TextLabel, AssignAcrossTheHierarchyAndFromStrangers) {
  TCustomTextLabel base;
  base.SetCaption("x");
  TTextLabel derived;
  derived.Assign(&base);
  EXPECT_EQ(derived.Caption(), "x");

  TCrossHair c;
  try {
    derived.Assign(&c);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TCrossHair to a TTextLabel");
  }
}

}  // namespace
}  // namespace dendrokit
