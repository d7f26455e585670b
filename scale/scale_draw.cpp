// Drawing half of TScale: turns a tick plan into tick lines, labels, messages and the
// caption, records the tick list and raises the drawing events.
#include <algorithm>
#include <climits>
#include <cstdint>

#include "gfxbase/draw.h"
#include "scale/scale.h"

namespace dendrokit {

namespace {

// Label positions are computed in 64 bits (a pixel may be near INT_MAX) and handed to the
// canvas clamped to the int range.
int ClampInt(std::int64_t v) {
  return static_cast<int>(std::clamp<std::int64_t>(v, -INT_MAX, INT_MAX));
}

// Abbreviated month names of the user's locale; English ones where the locale has none.
MonthNames LocaleMonthNames() {
  MonthNames names = DefaultMonthNames();
  for (int m = 1; m <= 12; ++m) {
    std::string name = ShortMonthName(m);
    if (!name.empty()) names[static_cast<std::size_t>(m - 1)] = std::move(name);
  }
  return names;
}

}  // namespace

// Draws one plan on one canvas. Base is the base line's x (vertical) or y (horizontal).
class TScale::Renderer {
 public:
  Renderer(TScale& scale, TCanvas& canvas, int base)
      : s_(scale), c_(canvas), base_(base), vertical_(IsVerticalScale(scale.scaleType_)) {}

  void Run() {
    s_.numTicks_ = 0;
    s_.tickList_.fill(0.0);
    c_.Brush().SetStyle(s_.transparent_ ? bsClear : bsSolid);
    if (c_.IsPrinter()) KeepPointSizeOnPrinter();
    zeroHeight_ = c_.TextHeight("0");

    ScaleTickSettings settings = s_.TickSettings();
    const MonthNames months = LocaleMonthNames();
    settings.monthNames = &months;
    const TickPlan plan = PlanScaleTicks(settings);
    if (plan.message != ScaleMessage::None)
      DrawMessage(plan);
    else
      for (const PlannedTick& t : plan.ticks) DrawTick(t);
  }

 private:
  void KeepPointSizeOnPrinter() {
    TFont& f = c_.Font();
    const int points = f.Size();
    f.SetPixelsPerInch(c_.VertResolution());
    f.SetSize(points);
  }

  void Record(double v) {
    if (s_.numTicks_ < kTickListSize) s_.tickList_[static_cast<std::size_t>(s_.numTicks_++)] = v;
  }

  void DrawTick(const PlannedTick& t) {
    const int p = s_.ValueToPixel(t.value);
    if (t.record) Record(t.value);
    const int len = t.length;
    switch (s_.scaleType_) {
      case sctXB: c_.MoveTo(p, base_); c_.LineTo(p, ClampInt(std::int64_t{base_} - len)); break;
      case sctXT: c_.MoveTo(p, base_); c_.LineTo(p, ClampInt(std::int64_t{base_} + len)); break;
      case sctYL: c_.MoveTo(base_, p); c_.LineTo(ClampInt(std::int64_t{base_} + len), p); break;
      case sctYR: c_.MoveTo(base_, p); c_.LineTo(ClampInt(std::int64_t{base_} - len), p); break;
    }
    if (t.eventBeforeLabel) TickDrawn(t.eventValue, p);
    if (t.hasLabel) {
      std::string text = t.label;
      BeforeLabel(t.labelValue, text);
      DrawLabel(p, text, t.anchor, false);
    }
    if (t.hasDateLabel) {
      std::string text = t.dateLabel;
      BeforeLabel(t.labelValue, text);
      DrawLabel(p, text, LabelAnchor::OwnHeight, true);
    }
    if (!t.eventBeforeLabel) TickDrawn(t.eventValue, p);
  }

  void TickDrawn(double value, int p) {
    if (!s_.OnScaleTickDrawn) return;
    const int x = vertical_ ? base_ : p;
    const int y = vertical_ ? p : base_;
    s_.OnScaleTickDrawn(&s_, c_, s_.scaleType_, value, x, y);
  }

  void BeforeLabel(double value, std::string& text) {
    if (s_.OnBeforeTickLabel) s_.OnBeforeTickLabel(&s_, s_.scaleType_, value, text);
  }

  // A date label stands one text line further from the base line than the clock label.
  void DrawLabel(int p, const std::string& text, LabelAnchor anchor, bool dateLine) {
    const int h = c_.TextHeight(text);
    if (vertical_) {
      const int w = c_.TextWidth(text);
      const std::int64_t left = s_.scaleType_ == sctYL ? std::int64_t{base_} + 8
                                                        : std::int64_t{base_} - w - 8;
      std::int64_t top;
      if (dateLine)
        top = std::int64_t{p} - 3 * (h / 2);
      else if (anchor == LabelAnchor::ZeroHeight)
        top = std::int64_t{p} - zeroHeight_ / 2;
      else
        top = std::int64_t{p} - h / 2;
      c_.TextOut(ClampInt(left), ClampInt(top), text);
      return;
    }
    std::int64_t base = base_;
    if (dateLine) base += s_.scaleType_ == sctXT ? h : -h;
    PlaceHorizLabel(p, base, text, h);
  }

  // Centred under the tick but never left of x = 2; a label that would reach the right
  // edge ends 2 pixels before it.
  void PlaceHorizLabel(int p, std::int64_t baseY, const std::string& text, int h) {
    const std::int64_t w2 = c_.TextWidth(text) / 2;
    const std::int64_t width = s_.Width();
    const std::int64_t pp = p;
    const std::int64_t left =
        pp + w2 < width - 2 ? pp - std::min(pp - 2, w2) : width - 2 * w2 - 2;
    const std::int64_t top = s_.scaleType_ == sctXB ? baseY - h - 7 : baseY + 7;
    c_.TextOut(ClampInt(left), ClampInt(top), text);
  }

  void DrawMessage(const TickPlan& plan) {
    const std::int64_t p = s_.ValueToPixel(plan.messageValue);
    const std::vector<std::string> lines = ScaleMessageLines(plan.message, vertical_);
    if (!vertical_) {
      for (const std::string& line : lines) {
        const std::int64_t w = c_.TextWidth(line);
        c_.TextOut(ClampInt(p - w / 2), ClampInt(std::int64_t{base_} + 7), line);
      }
      return;
    }
    const std::int64_t h = c_.TextHeight("T");
    std::int64_t top = p - h;
    for (const std::string& line : lines) {
      const std::int64_t w = c_.TextWidth(line);
      const std::int64_t left =
          s_.scaleType_ == sctYL ? std::int64_t{base_} + 2 : std::int64_t{base_} - w - 2;
      c_.TextOut(ClampInt(left), ClampInt(top), line);
      top += h;
    }
  }

  TScale& s_;
  TCanvas& c_;
  int base_;
  bool vertical_;
  int zeroHeight_ = 0;
};

void TScale::DrawVertScale(TCanvas& canvas, int baseX) {
  if (!IsVerticalScale(scaleType_)) return;
  DrawScale(canvas, baseX);
}

void TScale::DrawHorizScale(TCanvas& canvas, int baseY) {
  if (!IsHorizontal(scaleType_)) return;
  DrawScale(canvas, baseY);
}

void TScale::DrawScale(TCanvas& canvas, int base) {
  Renderer(*this, canvas, base).Run();
  if (!caption_.empty()) DrawCaption(canvas, base);
}

void TScale::DrawCaption(TCanvas& canvas, int base) {
  const std::int64_t w = canvas.TextWidth(caption_);
  std::int64_t x = captionPosX_;
  std::int64_t y = captionPosY_;
  if (IsVerticalScale(scaleType_)) {
    x += base;
    switch (captionAnchor_) {
      case uaSclTopLft: y += marginTop_; break;
      case uaSclCenter:
        y += marginTop_ + (std::int64_t{Height()} - marginTop_ - marginBottom_) / 2;
        break;
      case uaSclBotRgt: y += std::int64_t{Height()} - marginBottom_; break;
    }
  } else {
    y += base;
    switch (captionAnchor_) {
      case uaSclTopLft: x += marginLeft_; break;
      case uaSclCenter:
        x += marginLeft_ + (std::int64_t{Width()} - marginLeft_ - marginRight_) / 2;
        break;
      case uaSclBotRgt: x += std::int64_t{Width()} - marginRight_; break;
    }
  }
  if (captionAlignment_ == taRightJustify)
    x -= w;
  else if (captionAlignment_ == taCenter)
    x -= w / 2;
  canvas.TextOut(ClampInt(x), ClampInt(y), caption_);
}

// Base line positions; Offsets move only the coordinate across the axis.
void TScale::RenderTo(TCanvas& canvas, const TImageOptions&) {
  TCanvas* const saved = externalCanvas_;
  const int sx = externalOffsetX_, sy = externalOffsetY_;
  externalCanvas_ = &canvas;
  externalOffsetX_ = externalOffsetY_ = 0;
  try {
    PaintScale();
  } catch (...) {
    externalCanvas_ = saved;
    externalOffsetX_ = sx;
    externalOffsetY_ = sy;
    throw;
  }
  externalCanvas_ = saved;
  externalOffsetX_ = sx;
  externalOffsetY_ = sy;
}

void TScale::PaintScale() {
  const bool external = externalCanvas_ != nullptr;
  TCanvas& target = external ? *externalCanvas_ : Canvas();
  const int ox = external ? externalOffsetX_ : 0;
  const int oy = external ? externalOffsetY_ : 0;
  target.Font().Assign(&Font());
  if (OnBeforeScaleRendered) OnBeforeScaleRendered(this, target);

  const std::int64_t w = Width();
  const std::int64_t h = Height();
  auto drawOn = [&](TCanvas& c, std::int64_t dx, std::int64_t dy) {
    c.Pen().SetColor(colorScale_);
    const bool horiz = IsHorizontal(scaleType_);
    std::int64_t base = 0;
    switch (scaleType_) {
      case sctXB: base = dy + h - marginBottom_ - 1; break;
      case sctXT: base = dy + marginTop_; break;
      case sctYL: base = dx + marginLeft_; break;
      case sctYR: base = dx + w - marginRight_ - 1; break;
    }
    const int b = ClampInt(base);
    if (horiz)
      DrawHorizScale(c, b);
    else
      DrawVertScale(c, b);
    if (showBaseLine_) {
      if (horiz) {
        c.MoveTo(marginLeft_, b);
        c.LineTo(ClampInt(w - marginRight_ - 1), b);
      } else {
        c.MoveTo(b, marginTop_);
        c.LineTo(b, ClampInt(h - marginBottom_ - 1));
      }
    }
    if (OnAfterScaleRendered) OnAfterScaleRendered(this, c);
  };

  if (transparent_) {
    drawOn(target, ox, oy);
    return;
  }
  if (w <= 0 || h <= 0) return;
  auto opaque = [&](TCanvas& bc) {
    bc.Font().Assign(&Font());
    bc.Pen().SetColor(colorBackGnd_);
    bc.Brush().SetColor(colorBackGnd_);
    bc.Brush().SetStyle(bsSolid);
    bc.Rectangle(0, 0, static_cast<int>(w), static_cast<int>(h));
    drawOn(bc, 0, 0);
    DrawFrame(bc, frameStyle_, 0, 0, static_cast<int>(w) - 1, static_cast<int>(h) - 1,
              frameHighlightColor_, 0xC0C0C0, frameShadowColor_, frameColor_, frameColor_);
  };
  // A vector page gets the scale as lines and text in place, not as a bitmap.
  if (target.OnPainter()) {
    target.BeginViewport({ox, oy, ClampInt(ox + w), ClampInt(oy + h)});
    opaque(target);
    target.EndViewport();
    return;
  }
  std::unique_ptr<TBitmap> nested;
  if (!offscreen_) offscreen_ = std::make_unique<TBitmap>();
  TBitmap& bitmap = offscreenBusy_ ? *(nested = std::make_unique<TBitmap>()) : *offscreen_;
  const bool outermost = !offscreenBusy_;
  offscreenBusy_ = true;
  struct Release {
    bool& busy;
    bool outermost;
    ~Release() {
      if (outermost) busy = false;
    }
  } release{offscreenBusy_, outermost};
  bitmap.SetPixelRatio(target.PixelRatio());
  bitmap.SetSize(static_cast<int>(w), static_cast<int>(h));
  TCanvas& bc = bitmap.Canvas();
  // Each paint starts from a fresh canvas's pen and brush, whatever the last one left.
  const TPen freshPen;
  const TBrush freshBrush;
  bc.Pen().Assign(&freshPen);
  bc.Brush().Assign(&freshBrush);
  bc.MoveTo(0, 0);
  opaque(bc);
  target.Draw(ox, oy, bitmap);
}

}  // namespace dendrokit
