// Pixels of painted scales: background, frame, base line, tick lengths and the placement of
// labels, messages and captions, with text boxes computed from the canvas's own metrics.
#include <climits>

#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

#include "scale/scale.h"

namespace dendrokit {
namespace {

constexpr TColor kBlack = 0x000000;
constexpr TColor kWhite = 0xFFFFFF;

TColor At(const QImage& img, int x, int y) { return QColorToColor(img.pixelColor(x, y)); }

// Text metrics of the scale's font, measured as the scale measures them.
struct Metrics {
  TBitmap bmp{1, 1};
  explicit Metrics(const TScale& s) { bmp.Canvas().Font().Assign(&s.Font()); }
  int W(const std::string& t) { return bmp.Canvas().TextWidth(t); }
  int H(const std::string& t) { return bmp.Canvas().TextHeight(t); }
};

struct Box {
  int left, top, width, height;
};

bool Dark(const QImage& img, int x, int y) {
  if (x < 0 || y < 0 || x >= img.width() || y >= img.height()) return false;
  return qGray(img.pixel(x, y)) < 128;
}

int DarkCount(const QImage& img, int x0, int y0, int x1, int y1) {  // [x0, x1) x [y0, y1)
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) n += Dark(img, x, y);
  return n;
}

enum Side { kLeft = 1, kRight = 2, kTop = 4, kBottom = 8 };

struct Ink {
  int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN;  // inclusive
  bool Any() const { return x0 <= x1; }
};

Ink InkIn(const QImage& img, int x0, int y0, int x1, int y1) {  // [x0, x1) x [y0, y1)
  Ink ink;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      if (Dark(img, x, y)) {
        ink.x0 = std::min(ink.x0, x);
        ink.x1 = std::max(ink.x1, x);
        ink.y0 = std::min(ink.y0, y);
        ink.y1 = std::max(ink.y1, y);
      }
  return ink;
}

// Ink of the text written at (0, 0) in the scale's font on the given background.
Ink ReferenceInk(const TScale& s, const std::string& text, TColor bg) {
  Metrics m(s);
  TBitmap b(m.W(text) + 20, m.H(text) + 20);
  TCanvas& c = b.Canvas();
  c.Brush().SetColor(bg);
  c.FillRect({0, 0, b.Width(), b.Height()});
  c.Font().Assign(&s.Font());
  c.Brush().SetStyle(bsClear);
  c.TextOut(10, 10, text);
  Ink ink = InkIn(b.Image(), 0, 0, b.Width(), b.Height());
  ink.x0 -= 10, ink.x1 -= 10, ink.y0 -= 10, ink.y1 -= 10;
  return ink;
}

// The text was written with its top-left corner at the box's: the ink found around the box
// (3 pixels wider on every side but the one facing the tick) is exactly where the same text
// written at that corner puts its ink.
void ExpectTextAt(const QImage& img, const TScale& s, Box b, const std::string& text,
                  int tickSide, TColor bg = ColorToRGB(clBtnFace)) {
  SCOPED_TRACE("text \"" + text + "\"");
  const Ink ref = ReferenceInk(s, text, bg);
  ASSERT_TRUE(ref.Any());
  const Ink got =
      InkIn(img, b.left - (tickSide & kLeft ? 0 : 3), b.top - (tickSide & kTop ? 0 : 3),
            b.left + b.width + (tickSide & kRight ? 0 : 3),
            b.top + b.height + (tickSide & kBottom ? 0 : 3));
  ASSERT_TRUE(got.Any());
  EXPECT_EQ(got.x0, b.left + ref.x0);
  EXPECT_EQ(got.x1, b.left + ref.x1);
  EXPECT_EQ(got.y0, b.top + ref.y0);
  EXPECT_EQ(got.y1, std::min(b.top + ref.y1, img.height() - 1));
}

QImage Paint(TScale& s) {
  s.ForcePaint();
  return s.ShownImage().copy();
}

TEST(ScalePaint, NewScaleBackgroundFrameBaseLineAndTicks) {
  TScale s;
  const QImage img = Paint(s);
  const TColor bg = ColorToRGB(clBtnFace);
  EXPECT_EQ(At(img, 200, 200), bg);
  // Lowered frame: highlight and light grey upper left, black and grey lower right.
  EXPECT_EQ(At(img, 0, 0), kWhite);
  EXPECT_EQ(At(img, 1, 1), 0xC0C0C0u);
  EXPECT_EQ(At(img, 399, 399), kBlack);
  EXPECT_EQ(At(img, 398, 398), 0x808080u);
  // Base line at y = 400 - 20 - 1 from x = 20; the last tick closes it at x = 379.
  EXPECT_EQ(At(img, 19, 379), bg);
  for (int x = 20; x <= 379; ++x) ASSERT_EQ(At(img, x, 379), kBlack) << x;
  EXPECT_EQ(At(img, 380, 379), bg);
  // Major tick at 20 (x = 92): 7 pixels up; short tick at 5 (x = 38): 4 pixels.
  EXPECT_EQ(s.ValueToPixel(20), 92);
  for (int y = 373; y <= 379; ++y) EXPECT_EQ(At(img, 92, y), kBlack) << y;
  EXPECT_EQ(At(img, 92, 372), bg);
  EXPECT_EQ(s.ValueToPixel(5), 38);
  for (int y = 376; y <= 379; ++y) EXPECT_EQ(At(img, 38, y), kBlack) << y;
  EXPECT_EQ(At(img, 38, 375), bg);
  // Ticks and labels of a new scale: 0, 5, ..., 100 recorded.
  EXPECT_EQ(s.NumTicks(), 21);
  EXPECT_EQ(s.TickValue(21), 100);
}

TEST(ScalePaint, NoBaseLineAndOtherColours) {
  TScale s;
  s.SetShowBaseLine(false);
  s.SetColorScale(0x0000FF);
  s.SetColorBackGnd(0x00FF00);
  s.SetFrameStyle(fsNone);
  const QImage img = Paint(s);
  EXPECT_EQ(At(img, 50, 379), 0x00FF00u);      // between ticks: no base line
  EXPECT_EQ(At(img, 92, 379), 0x0000FFu);      // tick in ColorScale
  EXPECT_EQ(At(img, 0, 0), 0x00FF00u);         // no frame
}

struct LabelCase {
  const char* name;
  TScaleType type;
  bool log;
  double lo, hi;
  std::vector<std::pair<double, std::string>> labels;
};

// Expected box of a numeric label: above, below, right of or left of its tick.
Box NumericLabelBox(TScale& s, Metrics& m, double v, const std::string& t, int base) {
  const int p = s.ValueToPixel(v);
  const int w = m.W(t), h = m.H(t);
  switch (s.ScaleType()) {
    case sctXB:
    case sctXT: {
      const int w2 = w / 2;
      const int left = p + w2 < s.Width() - 2 ? p - std::min(p - 2, w2) : s.Width() - 2 * w2 - 2;
      const int top = s.ScaleType() == sctXB ? base - h - 7 : base + 7;
      return {left, top, w, h};
    }
    case sctYL: return {base + 8, p - m.H("0") / 2, w, h};
    case sctYR: return {base - w - 8, p - m.H("0") / 2, w, h};
  }
  return {};
}

int BaseOf(const TScale& s) {
  switch (s.ScaleType()) {
    case sctXB: return s.Height() - s.MarginBottom() - 1;
    case sctXT: return s.MarginTop();
    case sctYL: return s.MarginLeft();
    case sctYR: return s.Width() - s.MarginRight() - 1;
  }
  return 0;
}

int TickSide(TScaleType t) {
  switch (t) {
    case sctXB: return kBottom;
    case sctXT: return kTop;
    case sctYL: return kLeft;
    case sctYR: return kRight;
  }
  return 0;
}

TEST(ScalePaint, LabelPlacementLinearAndLogOnAllSides) {
  const std::vector<std::pair<double, std::string>> linear = {
      {0, "0"}, {20, "20"}, {40, "40"}, {60, "60"}, {80, "80"}, {100, "100"}};
  const std::vector<std::pair<double, std::string>> log = {
      {1, "1"}, {10, "10"}, {100, "100"}, {1000, "1000"}};
  const LabelCase cases[] = {
      {"linear XB", sctXB, false, 0, 100, linear}, {"linear XT", sctXT, false, 0, 100, linear},
      {"linear YL", sctYL, false, 0, 100, linear}, {"linear YR", sctYR, false, 0, 100, linear},
      {"log XB", sctXB, true, 1, 1000, log},       {"log XT", sctXT, true, 1, 1000, log},
      {"log YL", sctYL, true, 1, 1000, log},       {"log YR", sctYR, true, 1, 1000, log},
  };
  for (const LabelCase& c : cases) {
    SCOPED_TRACE(c.name);
    TScale s;
    s.SetScaleType(c.type);
    s.SetRange(c.lo, c.hi);
    s.SetLogarithmic(c.log);
    s.SetShortTicks(false);
    s.SetFrameStyle(fsNone);
    s.SetShowBaseLine(false);
    const QImage img = Paint(s);
    Metrics m(s);
    const int base = BaseOf(s);
    for (const auto& [v, t] : c.labels)
      ExpectTextAt(img, s, NumericLabelBox(s, m, v, t, base), t, TickSide(c.type));
  }
}

TEST(ScalePaint, TickLengthsByLayoutAndOrientation) {
  struct Case {
    const char* name;
    TScaleType type;
    bool log;
    double v;  // a major (labelled) tick
    int length;
  };
  const Case cases[] = {
      {"linear horizontal", sctXB, false, 20, 7}, {"linear vertical", sctYL, false, 20, 6},
      {"log horizontal", sctXT, true, 10, 7},     {"log vertical", sctYR, true, 10, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TScale s;
    s.SetScaleType(c.type);
    s.SetRange(c.log ? 1 : 0, c.log ? 1000 : 100);
    s.SetLogarithmic(c.log);
    s.SetCaption("");
    s.SetUserTickText("");
    s.SetLabelType(ftNoFigs);
    const QImage img = Paint(s);
    const int p = s.ValueToPixel(c.v), b = BaseOf(s);
    const int dir = (c.type == sctXB || c.type == sctYR) ? -1 : 1;
    const bool horiz = IsHorizontal(c.type);
    for (int k = 0; k < c.length; ++k) {
      const int along = b + dir * k;
      EXPECT_EQ(At(img, horiz ? p : along, horiz ? along : p), kBlack) << k;
    }
    const int beyond = b + dir * c.length;
    EXPECT_NE(At(img, horiz ? p : beyond, horiz ? beyond : p), kBlack);
  }
}

TEST(ScalePaint, HorizontalLabelsStayInsideTheControl) {
  TScale s;
  s.SetMarginLeft(1);
  s.SetMarginRight(0);
  s.SetShortTicks(false);
  s.SetFrameStyle(fsNone);
  s.SetShowBaseLine(false);
  s.SetRange(0, 2000);  // labels "0" at x = 1 and "2000" at x = 399
  s.SetDecPlaces(0);
  const QImage img = Paint(s);
  Metrics m(s);
  EXPECT_EQ(s.ValueToPixel(0), 1);
  ExpectTextAt(img, s, {2, 379 - m.H("0") - 7, m.W("0"), m.H("0")}, "0", kBottom);
  const int w2 = m.W("2000") / 2;
  ExpectTextAt(img, s, {400 - 2 * w2 - 2, 379 - m.H("2000") - 7, m.W("2000"), m.H("2000")},
               "2000", kBottom);
}

TEST(ScalePaint, BeforeTickLabelReplacesTheText) {
  TScale s;
  s.SetShortTicks(false);
  s.SetFrameStyle(fsNone);
  s.OnBeforeTickLabel = [](TObject*, TScaleType, double v, std::string& text) {
    text = v == 60 ? "WIDE LABEL" : "";
  };
  const QImage img = Paint(s);
  Metrics m(s);
  const int h = m.H("0");
  EXPECT_EQ(DarkCount(img, 2, 379 - h - 7, 150, 372), 0);  // emptied labels draw nothing
  ExpectTextAt(img, s, NumericLabelBox(s, m, 60, "WIDE LABEL", 379), "WIDE LABEL", kBottom);
}

TEST(ScalePaint, TransparentOntoAnExternalCanvasWithOffsets) {
  TScale s;
  s.SetBounds(0, 0, 300, 60);
  s.SetShortTicks(false);
  s.SetTransparent(true);
  s.SetEmbedded(true);
  TBitmap target(400, 200);
  target.Canvas().Brush().SetColor(kWhite);
  target.Canvas().FillRect({0, 0, 400, 200});
  s.SetExternalCanvas(&target.Canvas(), 10, 50);
  s.ForcePaint();
  const QImage& img = target.Image();
  const int base = 50 + 60 - 20 - 1;
  // Positions along the axis are not offset; only the base line moves down.
  EXPECT_EQ(At(img, 19, base), kWhite);
  for (int x = 20; x < 279; ++x) ASSERT_EQ(At(img, x, base), kBlack) << x;
  for (int y = base - 6; y <= base; ++y) EXPECT_EQ(At(img, 20, y), kBlack);
  EXPECT_EQ(At(img, 20, base - 7), kWhite);
  // No background and no frame.
  EXPECT_EQ(At(img, 10, 50), kWhite);
  EXPECT_EQ(At(img, 150, 60), kWhite);
  Metrics m(s);
  ExpectTextAt(img, s, NumericLabelBox(s, m, 0, "0", base), "0", kBottom, kWhite);
  ExpectTextAt(img, s, NumericLabelBox(s, m, 100, "100", base), "100", kBottom, kWhite);

  // Vertical: the base line moves right by the x offset.
  s.SetScaleType(sctYL);
  s.SetBounds(0, 0, 60, 150);
  target.Canvas().FillRect({0, 0, 400, 200});
  s.ForcePaint();
  const int bx = 10 + 20;
  EXPECT_EQ(At(target.Image(), bx, 19), kWhite);
  for (int y = 20; y < 150 - 21; ++y) ASSERT_EQ(At(target.Image(), bx, y), kBlack) << y;
  EXPECT_EQ(At(target.Image(), bx + 5, s.ValueToPixel(100)), kBlack);
  EXPECT_EQ(At(target.Image(), bx + 6, s.ValueToPixel(100)), kWhite);
}

TEST(ScalePaint, OpaqueOntoAnExternalCanvasCopiesTheBitmapAtTheOffsets) {
  TScale s;
  s.SetBounds(0, 0, 300, 60);
  TBitmap target(400, 200);
  target.Canvas().Brush().SetColor(0x0000FF);
  target.Canvas().FillRect({0, 0, 400, 200});
  s.SetExternalCanvas(&target.Canvas(), 10, 50);
  s.ForcePaint();
  const QImage& img = target.Image();
  EXPECT_EQ(At(img, 9, 50), 0x0000FFu);
  EXPECT_EQ(At(img, 10, 50), kWhite);
  EXPECT_EQ(At(img, 11, 51), 0xC0C0C0u);
  EXPECT_EQ(At(img, 10 + 299, 50 + 59), kBlack);
  EXPECT_EQ(At(img, 310, 109), 0x0000FFu);
  EXPECT_EQ(At(img, 10 + 20, 50 + 39), kBlack);  // base line inside the copied picture
  EXPECT_EQ(At(img, 10 + 150, 50 + 10), ColorToRGB(clBtnFace));
}

TEST(ScalePaint, DateLabelsStandOneLineFurtherOut) {
  for (TScaleType t : {sctXB, sctXT, sctYL, sctYR}) {
    SCOPED_TRACE(int(t));
    TScale s;
    s.SetScaleType(t);
    s.SetLabelType(ftDateTime);
    s.SetRange(0, 1);  // 8-hour steps, the date at the first major tick
    s.SetShortTicks(false);
    s.SetFrameStyle(fsNone);
    s.SetShowBaseLine(false);
    std::vector<std::string> texts;
    s.OnBeforeTickLabel = [&](TObject*, TScaleType, double, std::string& text) {
      texts.push_back(text);
    };
    const QImage img = Paint(s);
    ASSERT_GE(texts.size(), 3u);
    Metrics m(s);
    const std::string clock = texts[2], date = texts[1];  // at 08:00 (the second tick)
    // Tick at 8:00 carries only the clock; the first one carries clock and date.
    ASSERT_EQ(texts[0].size(), clock.size());
    const int p = s.ValueToPixel(1.0 / 3), p0 = s.ValueToPixel(0), b = BaseOf(s);
    const int h = m.H(clock), hd = m.H(date), w = m.W(clock), wd = m.W(date);
    Box clockBox, dateBox;
    if (IsHorizontal(t)) {
      const int dir = t == sctXB ? -1 : 1;
      const auto place = [&](int pp, int base, int ww, int hh) {
        const int w2 = ww / 2;
        const int left =
            pp + w2 < s.Width() - 2 ? pp - std::min(pp - 2, w2) : s.Width() - 2 * w2 - 2;
        return Box{left, t == sctXB ? base - hh - 7 : base + 7, ww, hh};
      };
      clockBox = place(p, b, w, h);
      dateBox = place(p0, b + dir * hd, wd, hd);
    } else {
      const int left = t == sctYL ? b + 8 : b - w - 8;
      const int leftD = t == sctYL ? b + 8 : b - wd - 8;
      clockBox = {left, p - h / 2, w, h};
      dateBox = {leftD, p0 - 3 * (hd / 2), wd, hd};
    }
    ExpectTextAt(img, s, clockBox, clock, TickSide(t));
    ExpectTextAt(img, s, dateBox, date, TickSide(t) | kTop | kBottom);
  }
}

TEST(ScalePaint, MessagesAreCentredOnTheMiddleOfTheRange) {
  for (TScaleType t : {sctXB, sctYL, sctYR}) {
    SCOPED_TRACE(int(t));
    TScale s;
    s.SetScaleType(t);
    s.SetLabelType(ftDateTime);
    s.SetRange(5, 1);  // reversed: invalid
    s.SetFrameStyle(fsNone);
    s.SetShowBaseLine(false);
    const QImage img = Paint(s);
    EXPECT_EQ(s.NumTicks(), 0);
    Metrics m(s);
    const int p = s.ValueToPixel(3), b = BaseOf(s);
    const bool vertical = !IsHorizontal(t);
    const std::vector<std::string> lines =
        ScaleMessageLines(ScaleMessage::InvalidDateTime, vertical);
    if (!vertical) {
      ASSERT_EQ(lines.size(), 1u);
      const int w = m.W(lines[0]);
      ExpectTextAt(img, s, {p - w / 2, b + 7, w, m.H(lines[0])}, lines[0], 0);
      continue;
    }
    const int h = m.H("T");
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const int w = m.W(lines[i]);
      const int left = t == sctYL ? b + 2 : b - w - 2;
      ExpectTextAt(img, s, {left, p - h + int(i) * h, w, m.H(lines[i])}, lines[i],
                   kTop | kBottom);
    }
  }
}

TEST(ScalePaint, CaptionAnchorsAndAlignments) {
  struct Case {
    const char* name;
    TScaleType type;
    TScaleUnitAnchor anchor;
    TAlignment align;
  };
  const Case cases[] = {
      {"XB centre", sctXB, uaSclCenter, taCenter},
      {"XT left", sctXT, uaSclTopLft, taLeftJustify},
      {"XB right", sctXB, uaSclBotRgt, taRightJustify},
      {"YL top", sctYL, uaSclTopLft, taLeftJustify},
      {"YR centre", sctYR, uaSclCenter, taRightJustify},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TScale s;
    s.SetScaleType(c.type);
    s.SetLabelType(ftNoFigs);
    s.SetFrameStyle(fsNone);
    s.SetShowBaseLine(false);
    s.SetShortTicks(false);
    s.SetCaption("Axis");
    s.SetCaptionAnchor(c.anchor);
    s.SetCaptionAlignment(c.align);
    s.SetCaptionPosX(c.type == sctYR ? -30 : 4);
    s.SetCaptionPosY(c.type == sctXB ? -60 : 4);
    const QImage img = Paint(s);
    Metrics m(s);
    const int w = m.W("Axis"), h = m.H("Axis"), b = BaseOf(s);
    int x = s.CaptionPosX(), y = s.CaptionPosY();
    const int along = c.anchor == uaSclTopLft ? 0 : c.anchor == uaSclCenter ? 180 : 360;
    if (IsHorizontal(c.type)) {
      y += b;
      x += 20 + along;
    } else {
      x += b;
      y += 20 + along;
    }
    if (c.align == taRightJustify) x -= w;
    if (c.align == taCenter) x -= w / 2;
    ExpectTextAt(img, s, {x, y, w, h}, "Axis", 0);
  }
}

TEST(ScalePaint, PrinterLabelsKeepTheirPointSize) {
  TScale s;
  s.SetTransparent(true);
  const QString file = QDir::temp().filePath("dendrokit_scale_printer_test.pdf");
  {
    TPdfPrinter printer(file.toStdString(), 300);
    s.SetExternalCanvas(&printer.Canvas(), 0, 0);
    s.ForcePaint();
    EXPECT_EQ(printer.Canvas().Font().Size(), s.Font().Size());
    EXPECT_EQ(printer.Canvas().Font().PixelsPerInch(), 300);
    s.SetExternalCanvas(nullptr, 0, 0);
  }
  QFile::remove(file);
}

}  // namespace
}  // namespace dendrokit
