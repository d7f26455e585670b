#include "gfxbase/canvas.h"
#include "gfxbase/safefile.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numbers>
#include <optional>
#include <unordered_map>

#include <QBuffer>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QLocale>
#include <QPageSize>
#include <QPainter>
#include <QPalette>
#include <QPdfWriter>
#include <QRawFont>
#include <QScreen>
#include <QStaticText>
#include <QTextLayout>

namespace dendrokit {

namespace {

// Largest coordinate the exact line rasteriser handles; beyond it lines go through
// QPainter, which clips in floating point (keeps the integer arithmetic far from overflow).
constexpr int kDirectLimit = 1 << 20;
// appliedPen_ value while the painter's pen is the text colour of TextOut.
constexpr std::uint64_t kTextPen = ~std::uint64_t{0};
constexpr int kMaxPenWidth = 10000;
constexpr int kMaxFontHeight = 32767;

struct PaletteEntry {
  QPalette::ColorGroup group;
  QPalette::ColorRole role;
};

// System colour index -> palette role, in index order 0..24.
constexpr std::array<PaletteEntry, 25> kSystemRoles = {{
    {QPalette::Active, QPalette::Button},            // scroll bar
    {QPalette::Active, QPalette::Dark},              // desktop background
    {QPalette::Active, QPalette::Highlight},         // active caption
    {QPalette::Inactive, QPalette::Mid},             // inactive caption
    {QPalette::Active, QPalette::Window},            // menu
    {QPalette::Active, QPalette::Base},              // window
    {QPalette::Active, QPalette::Shadow},            // window frame
    {QPalette::Active, QPalette::WindowText},        // menu text
    {QPalette::Active, QPalette::Text},              // window text
    {QPalette::Active, QPalette::HighlightedText},   // caption text
    {QPalette::Active, QPalette::Button},            // active border
    {QPalette::Inactive, QPalette::Button},          // inactive border
    {QPalette::Active, QPalette::Dark},              // application workspace
    {QPalette::Active, QPalette::Highlight},         // highlight
    {QPalette::Active, QPalette::HighlightedText},   // highlighted text
    {QPalette::Active, QPalette::Button},            // button face
    {QPalette::Active, QPalette::Dark},              // button shadow
    {QPalette::Disabled, QPalette::Text},            // grey text
    {QPalette::Active, QPalette::ButtonText},        // button text
    {QPalette::Inactive, QPalette::HighlightedText}, // inactive caption text
    {QPalette::Active, QPalette::Light},             // button highlight
    {QPalette::Active, QPalette::Shadow},            // 3-D dark shadow
    {QPalette::Active, QPalette::Midlight},          // 3-D light
    {QPalette::Active, QPalette::ToolTipText},       // info text
    {QPalette::Active, QPalette::ToolTipBase},       // info background
}};

// The classic look, used when no GUI application (and so no palette) exists.
constexpr std::array<TColor, 25> kClassicColors = {
    0xC8C8C8, 0x808000, 0x800000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000,
    0x000000, 0x000000, 0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x800000,
    0xFFFFFF, 0xC0C0C0, 0x808080, 0x808080, 0x000000, 0xC0C0C0, 0xFFFFFF,
    0x000000, 0xDFDFDF, 0x000000, 0xE1FFFF};

// Dash patterns of 1-pixel lines, in pixels: on, off, on, off, ...
constexpr std::array<int, 2> kDash = {18, 6};
constexpr std::array<int, 2> kDot = {3, 3};
constexpr std::array<int, 4> kDashDot = {9, 6, 3, 6};
constexpr std::array<int, 6> kDashDotDot = {9, 3, 3, 3, 3, 3};

std::span<const int> DashPattern(TPenStyle style) {
  switch (style) {
    case psDash: return kDash;
    case psDot: return kDot;
    case psDashDot: return kDashDot;
    case psDashDotDot: return kDashDotDot;
    default: return {};
  }
}

Qt::PenStyle QtPenStyle(TPenStyle style) {
  switch (style) {
    case psDash: return Qt::DashLine;
    case psDot: return Qt::DotLine;
    case psDashDot: return Qt::DashDotLine;
    case psDashDotDot: return Qt::DashDotDotLine;
    case psClear: return Qt::NoPen;
    default: return Qt::SolidLine;
  }
}

bool IsDirectFormat(QImage::Format format) {
  return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
         format == QImage::Format_ARGB32_Premultiplied;
}

// 0x00BBGGRR -> 0x00RRGGBB as stored in a 32-bit image.
std::uint32_t ToQRgb(TColor rgb) {
  return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

bool InRange(int v, int lo, int hi) { return v >= lo && v <= hi; }

int ClampInt(std::int64_t v) {
  return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX));
}

}  // namespace

int RoundPixel(double value) {
  if (std::isnan(value)) return 0;
  const double r = std::nearbyint(value);
  if (r <= static_cast<double>(INT_MIN)) return INT_MIN;
  if (r >= static_cast<double>(INT_MAX)) return INT_MAX;
  return static_cast<int>(r);
}

// ---- Colours ---------------------------------------------------------------------------

TColor ColorToRGB(TColor color) {
  if (color == clNone) return 0x00FFFFFF;
  if (color == clDefault) return 0;
  if ((color & 0xFF000000) == 0xFF000000) {
    const std::uint32_t index = color & 0x00FFFFFF;
    if (index >= kSystemRoles.size()) return 0;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
      return kClassicColors[index];
    const PaletteEntry e = kSystemRoles[index];
    return QColorToColor(QGuiApplication::palette().color(e.group, e.role));
  }
  return color & 0x00FFFFFF;
}

QColor ColorToQColor(TColor color) {
  const TColor rgb = ColorToRGB(color);
  return QColor(static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                static_cast<int>((rgb >> 16) & 0xFF));
}

TColor QColorToColor(const QColor& color) {
  const QRgb rgb = color.rgb();
  return RGBColor(static_cast<std::uint8_t>(qRed(rgb)), static_cast<std::uint8_t>(qGreen(rgb)),
                  static_cast<std::uint8_t>(qBlue(rgb)));
}

// ---- Pen, brush, font ------------------------------------------------------------------

void TGraphicsObject::Changed() {
  ++generation_;
  if (OnChange) OnChange(this);
}

void TPen::Assign(const TPersistent* source) {
  const auto* pen = dynamic_cast<const TPen*>(source);
  if (pen == nullptr) return TPersistent::Assign(source);
  if (pen == this) return;
  color_ = pen->color_;
  width_ = pen->width_;
  style_ = pen->style_;
  mode_ = pen->mode_;
  Changed();
}

void TPen::SetColor(TColor value) {
  if (value == color_) return;
  color_ = value;
  Changed();
}

void TPen::SetWidth(int value) {
  value = std::clamp(value, 1, kMaxPenWidth);
  if (value == width_) return;
  width_ = value;
  Changed();
}

void TPen::SetStyle(TPenStyle value) {
  if (value == style_ || static_cast<std::size_t>(value) >= EnumCount<TPenStyle>()) return;
  style_ = value;
  Changed();
}

void TPen::SetMode(TPenMode value) {
  if (value == mode_ || static_cast<std::size_t>(value) >= EnumCount<TPenMode>()) return;
  mode_ = value;
  Changed();
}

void TBrush::Assign(const TPersistent* source) {
  const auto* brush = dynamic_cast<const TBrush*>(source);
  if (brush == nullptr) return TPersistent::Assign(source);
  if (brush == this) return;
  color_ = brush->color_;
  style_ = brush->style_;
  Changed();
}

void TBrush::SetColor(TColor value) {
  if (value == color_) return;
  color_ = value;
  Changed();
}

void TBrush::SetStyle(TBrushStyle value) {
  if (value == style_ || static_cast<std::size_t>(value) >= EnumCount<TBrushStyle>()) return;
  style_ = value;
  Changed();
}

TFont::TFont() : name_("MS Sans Serif"), pixelsPerInch_(ScreenPixelsPerInch()) {
  height_ = std::max(1, RoundPixel(8.0 * pixelsPerInch_ / 72.0));
}

void TFont::Assign(const TPersistent* source) {
  const auto* font = dynamic_cast<const TFont*>(source);
  if (font == nullptr) return TPersistent::Assign(source);
  if (font == this) return;
  if (name_ != font->name_ || height_ != font->height_ ||
      pixelsPerInch_ != font->pixelsPerInch_ || style_ != font->style_)
    ++shapeGeneration_;
  name_ = font->name_;
  height_ = font->height_;
  pixelsPerInch_ = font->pixelsPerInch_;
  style_ = font->style_;
  color_ = font->color_;
  orientation_ = font->orientation_;
  Changed();
}

void TFont::SetName(const std::string& value) {
  if (value == name_ || value.empty()) return;
  name_ = value;
  ShapeChanged();
}

void TFont::SetHeight(int value) {
  if (value == 0) return;
  const auto magnitude = std::llabs(static_cast<long long>(value));
  const int h = static_cast<int>(std::min<long long>(magnitude, kMaxFontHeight));
  if (h == height_) return;
  height_ = h;
  ShapeChanged();
}

int TFont::Size() const { return RoundPixel(height_ * 72.0 / pixelsPerInch_); }

void TFont::SetSize(int value) {
  if (value == 0) return;
  const double pixels = std::fabs(static_cast<double>(value)) * pixelsPerInch_ / 72.0;
  SetHeight(std::clamp(RoundPixel(pixels), 1, kMaxFontHeight));
}

void TFont::SetPixelsPerInch(int value) {
  if (value <= 0 || value == pixelsPerInch_) return;
  pixelsPerInch_ = value;
  ShapeChanged();
}

void TFont::SetStyle(TFontStyles value) {
  value &= fsBold | fsItalic | fsUnderline | fsStrikeOut;
  if (value == style_) return;
  style_ = value;
  ShapeChanged();
}

void TFont::SetColor(TColor value) {
  if (value == color_) return;
  color_ = value;
  Changed();
}

void TFont::SetOrientation(int tenthsOfDegree) {
  const int value = ((tenthsOfDegree % 3600) + 3600) % 3600;
  if (value == orientation_) return;
  orientation_ = value;
  Changed();
}

void TFont::ShapeChanged() {
  ++shapeGeneration_;
  Changed();
}

const QFont& TFont::QtFont() const {
  if (qfontGeneration_ != shapeGeneration_) {
    QFont f;
    f.setFamily(QString::fromStdString(name_));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(height_);
    f.setBold((style_ & fsBold) != 0);
    f.setItalic((style_ & fsItalic) != 0);
    f.setUnderline((style_ & fsUnderline) != 0);
    f.setStrikeOut((style_ & fsStrikeOut) != 0);
    qfont_ = f;
    qfontGeneration_ = shapeGeneration_;
  }
  return qfont_;
}

// ---- Canvas ----------------------------------------------------------------------------

TCanvas::TCanvas(QImage* image, bool isPrinter) : isPrinter_(isPrinter) { SetImage(image); }

TCanvas::TCanvas(QPaintDevice* device, bool isPrinter) : device_(device), isPrinter_(isPrinter) {
  if (device != nullptr && device->devType() == QInternal::Image)
    SetImage(static_cast<QImage*>(device));
}

TCanvas::TCanvas(QPainter* painter, bool isPrinter, int width, int height, int resolution)
    : device_(painter != nullptr ? painter->device() : nullptr),
      borrowed_(painter),
      logicalWidth_(std::max(width, 0)),
      logicalHeight_(std::max(height, 0)),
      resolution_(std::max(resolution, 1)),
      isPrinter_(isPrinter) {
  if (borrowed_ == nullptr || !borrowed_->isActive()) {
    borrowed_ = nullptr;
    device_ = nullptr;
    return;
  }
  borrowed_->save();
  borrowed_->setRenderHint(QPainter::Antialiasing, false);
  borrowed_->setRenderHint(QPainter::SmoothPixmapTransform, false);
}

TCanvas::~TCanvas() {
  if (borrowed_ != nullptr && borrowed_->isActive()) {
    while (!viewports_.empty()) EndViewport();
    borrowed_->restore();
  }
  Release();
}

void TCanvas::BeginViewport(const TRect& r) {
  if (borrowed_ == nullptr || !borrowed_->isActive()) return;
  viewports_.push_back({logicalWidth_, logicalHeight_});
  borrowed_->save();
  borrowed_->translate(r.Left, r.Top);
  logicalWidth_ = std::max(r.Right - r.Left, 0);
  logicalHeight_ = std::max(r.Bottom - r.Top, 0);
  borrowed_->setClipRect(QRect(0, 0, logicalWidth_, logicalHeight_), Qt::IntersectClip);
  appliedPen_ = appliedBrush_ = appliedFont_ = 0;
}

void TCanvas::EndViewport() {
  if (borrowed_ == nullptr || viewports_.empty()) return;
  if (borrowed_->isActive()) borrowed_->restore();
  logicalWidth_ = viewports_.back().X;
  logicalHeight_ = viewports_.back().Y;
  viewports_.pop_back();
  appliedPen_ = appliedBrush_ = appliedFont_ = 0;
}

void TCanvas::SetImage(QImage* image) {
  Release();
  image_ = image;
  device_ = image;
  if (image_ != nullptr && !image_->isNull() && !IsDirectFormat(image_->format()))
    *image_ = image_->convertToFormat(QImage::Format_RGB32);
  ratio_ = PixelRatio();
}

void TCanvas::Release() {
  // A caller's painter stays active; only the state applied to it is forgotten.
  if (borrowed_ != nullptr) {
    appliedPen_ = appliedBrush_ = appliedFont_ = 0;
    return;
  }
  if (painter_) {
    if (painter_->isActive()) painter_->end();
    painter_.reset();
  }
}

bool TCanvas::Painting() const {
  if (borrowed_ != nullptr) return borrowed_->isActive();
  return painter_ != nullptr && painter_->isActive();
}

bool TCanvas::Ready() const {
  if (borrowed_ != nullptr) return borrowed_->isActive();
  if (image_ != nullptr) return !image_->isNull();
  return device_ != nullptr;
}

QPainter& TCanvas::Painter() {
  if (borrowed_ != nullptr) return *borrowed_;
  if (!painter_) {
    painter_ = std::make_unique<QPainter>();
    painter_->begin(device_);
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setRenderHint(QPainter::SmoothPixmapTransform, false);
    appliedPen_ = 0;
    appliedBrush_ = 0;
    appliedFont_ = 0;
  }
  return *painter_;
}

void TCanvas::ApplyPen() {
  QPainter& p = Painter();
  if (appliedPen_ == pen_.Generation()) return;
  QPen pen(ColorToQColor(pen_.Color()));
  pen.setStyle(QtPenStyle(pen_.Style()));
  pen.setWidth(pen_.Width());
  if (pen_.Width() > 1) {
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
  } else {
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
  }
  p.setPen(pen);
  appliedPen_ = pen_.Generation();
}

void TCanvas::ApplyBrush() {
  QPainter& p = Painter();
  if (appliedBrush_ == brush_.Generation()) return;
  if (brush_.Style() == bsClear)
    p.setBrush(Qt::NoBrush);
  else
    p.setBrush(ColorToQColor(brush_.Color()));
  appliedBrush_ = brush_.Generation();
}

void TCanvas::ApplyMode() {
  const bool xorMode = pen_.Mode() == pmXor && image_ != nullptr;
  Painter().setCompositionMode(xorMode ? QPainter::RasterOp_SourceXorDestination
                                       : QPainter::CompositionMode_SourceOver);
}

bool TCanvas::DirectPixels() const {
  return image_ != nullptr && !image_->isNull() && IsDirectFormat(image_->format());
}

int TCanvas::PixelRatio() const {
  if (image_ == nullptr || image_->isNull()) return 1;
  return IntegerPixelRatio(image_->devicePixelRatio());
}

void TCanvas::PutPixel(int x, int y, std::uint32_t qrgb, bool xorMode) {
  if (ratio_ != 1) {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return;
    const std::int64_t k = ratio_;
    return DirectFillPhysical(x * k, y * k, (x + 1) * k, (y + 1) * k, qrgb, xorMode);
  }
  if (x < 0 || y < 0 || x >= image_->width() || y >= image_->height()) return;
  auto* line = reinterpret_cast<std::uint32_t*>(image_->scanLine(y));
  if (xorMode)
    line[x] ^= qrgb & 0x00FFFFFF;
  else
    line[x] = 0xFF000000 | qrgb;
}

// Exact 1-pixel line without its end point: i runs over the major axis, the minor offset
// is i * minor / major rounded half up, so a line and its XOR repeat hit the same pixels.
// Only the steps inside the picture are visited, so long lines cost what they show.
void TCanvas::DirectLine(int x0, int y0, int x1, int y1) {
  const std::int64_t dx = std::int64_t{x1} - x0;
  const std::int64_t dy = std::int64_t{y1} - y0;
  const std::int64_t adx = dx < 0 ? -dx : dx;
  const std::int64_t ady = dy < 0 ? -dy : dy;
  const std::int64_t n = std::max(adx, ady);
  if (n == 0) return;
  const bool xMajor = adx >= ady;
  const int sMajor = (xMajor ? dx : dy) < 0 ? -1 : 1;
  const int sMinor = (xMajor ? dy : dx) < 0 ? -1 : 1;
  const std::int64_t aMinor = xMajor ? ady : adx;
  const std::int64_t major0 = xMajor ? x0 : y0;
  const std::int64_t minor0 = xMajor ? y0 : x0;
  const std::int64_t majorSize = xMajor ? Width() : Height();

  // Steps whose major coordinate lies inside the picture.
  std::int64_t iFirst = 0, iLast = n - 1;
  if (sMajor > 0) {
    iFirst = std::max<std::int64_t>(iFirst, -major0);
    iLast = std::min<std::int64_t>(iLast, majorSize - 1 - major0);
  } else {
    iFirst = std::max<std::int64_t>(iFirst, major0 - (majorSize - 1));
    iLast = std::min<std::int64_t>(iLast, major0);
  }
  if (iFirst > iLast) return;

  const std::uint32_t qrgb = ToQRgb(ColorToRGB(pen_.Color()));
  const bool xorMode = pen_.Mode() == pmXor;
  const std::span<const int> pattern = DashPattern(pen_.Style());
  int patternLength = 0;
  for (int len : pattern) patternLength += len;

  if (patternLength == 0 && !xorMode && aMinor == 0) {
    // Axis-parallel solid line (every stem and connector of a tree): one span.
    if (minor0 < 0 || minor0 >= (xMajor ? Height() : Width())) return;
    const std::int64_t a = major0 + sMajor * iFirst, b = major0 + sMajor * iLast;
    const std::int64_t lo = std::min(a, b), hi = std::max(a, b);
    if (ratio_ != 1) {
      const TColor c = pen_.Color();
      if (xMajor) return DirectFill(lo, minor0, hi + 1, minor0 + 1, c, false);
      return DirectFill(minor0, lo, minor0 + 1, hi + 1, c, false);
    }
    const std::uint32_t px = 0xFF000000 | qrgb;
    if (xMajor) {
      auto* line = reinterpret_cast<std::uint32_t*>(image_->scanLine(static_cast<int>(minor0)));
      std::fill(line + lo, line + hi + 1, px);
    } else {
      uchar* bits = image_->bits();
      const std::int64_t stride = image_->bytesPerLine();
      for (std::int64_t y = lo; y <= hi; ++y)
        reinterpret_cast<std::uint32_t*>(bits + y * stride)[minor0] = px;
    }
    return;
  }
  for (std::int64_t i = iFirst; i <= iLast; ++i) {
    if (patternLength > 0) {
      int phase = static_cast<int>(i % patternLength);
      std::size_t seg = 0;
      while (phase >= pattern[seg]) phase -= pattern[seg++];
      if (seg % 2 == 1) continue;
    }
    const std::int64_t m = (2 * i * aMinor + n) / (2 * n);
    const std::int64_t major = major0 + sMajor * i;
    const std::int64_t minor = minor0 + sMinor * m;
    const std::int64_t x = xMajor ? major : minor;
    const std::int64_t y = xMajor ? minor : major;
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) continue;
    PutPixel(static_cast<int>(x), static_cast<int>(y), qrgb, xorMode);
  }
}

void TCanvas::DirectFill(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                         TColor color, bool xorMode) {
  const std::int64_t l = std::max<std::int64_t>(x1, 0);
  const std::int64_t t = std::max<std::int64_t>(y1, 0);
  const std::int64_t r = std::min<std::int64_t>(x2, Width());
  const std::int64_t b = std::min<std::int64_t>(y2, Height());
  if (l >= r || t >= b) return;
  const std::uint32_t qrgb = ToQRgb(ColorToRGB(color));
  if (ratio_ != 1) {
    // Each logical pixel is a ratio x ratio block of the image.
    const std::int64_t k = ratio_;
    return DirectFillPhysical(l * k, t * k, std::min<std::int64_t>(r * k, image_->width()),
                              std::min<std::int64_t>(b * k, image_->height()), qrgb, xorMode);
  }
  DirectFillPhysical(l, t, r, b, qrgb, xorMode);
}

void TCanvas::DirectFillPhysical(std::int64_t l, std::int64_t t, std::int64_t r,
                                 std::int64_t b, std::uint32_t qrgb, bool xorMode) {
  // scanLine would check for sharing on every row: one detach, then plain addresses.
  uchar* const bits = image_->bits();
  const std::int64_t stride = image_->bytesPerLine();
  for (std::int64_t y = t; y < b; ++y) {
    auto* line = reinterpret_cast<std::uint32_t*>(bits + y * stride);
    if (xorMode) {
      for (std::int64_t x = l; x < r; ++x) line[x] ^= qrgb & 0x00FFFFFF;
    } else {
      std::fill(line + l, line + r, 0xFF000000 | qrgb);
    }
  }
}

void TCanvas::Notify() {
  if (OnChange) OnChange(this);
}

void TCanvas::MoveTo(int x, int y) { penPos_ = {x, y}; }

void TCanvas::LineTo(int x, int y) {
  const TPoint from = penPos_;
  penPos_ = {x, y};
  if (!Ready() || pen_.Style() == psClear) return;
  const bool small = InRange(from.X, -kDirectLimit, kDirectLimit) &&
                     InRange(from.Y, -kDirectLimit, kDirectLimit) &&
                     InRange(x, -kDirectLimit, kDirectLimit) &&
                     InRange(y, -kDirectLimit, kDirectLimit);
  if (DirectPixels() && pen_.Width() == 1 && small) {
    DirectLine(from.X, from.Y, x, y);
  } else {
    ApplyPen();
    ApplyMode();
    Painter().drawLine(QLineF(from.X, from.Y, x, y));
  }
  Notify();
}

void TCanvas::Polyline(std::span<const TPoint> points) {
  if (points.empty()) return;
  MoveTo(points[0].X, points[0].Y);
  for (std::size_t i = 1; i < points.size(); ++i) LineTo(points[i].X, points[i].Y);
}

void TCanvas::Polygon(std::span<const TPoint> points) {
  if (!Ready() || points.empty()) return;
  const bool small = std::all_of(points.begin(), points.end(), [](const TPoint& pt) {
    return InRange(pt.X, -kDirectLimit, kDirectLimit) && InRange(pt.Y, -kDirectLimit, kDirectLimit);
  });
  const bool exact = DirectPixels() && pen_.Width() == 1 && small;
  QPolygonF polygon;
  polygon.reserve(static_cast<qsizetype>(points.size()));
  // Shifted by half a pixel in the exact case so the fill's pixel centres line up with the
  // outline's pixels.
  const double shift = exact ? 0.5 : 0.0;
  for (const TPoint& pt : points) polygon.append(QPointF(pt.X + shift, pt.Y + shift));
  ApplyBrush();
  ApplyMode();
  if (exact || pen_.Style() == psClear) {
    if (brush_.Style() != bsClear) {
      Painter().setPen(Qt::NoPen);
      appliedPen_ = 0;
      Painter().drawPolygon(polygon, Qt::OddEvenFill);
    }
    // Every vertex starts one edge, so the closed outline includes all of them.
    if (exact && pen_.Style() != psClear)
      for (std::size_t i = 0; i < points.size(); ++i) {
        const TPoint& a = points[i];
        const TPoint& b = points[(i + 1) % points.size()];
        DirectLine(a.X, a.Y, b.X, b.Y);
      }
  } else {
    ApplyPen();
    Painter().drawPolygon(polygon, Qt::OddEvenFill);
  }
  Notify();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  if (!Ready()) return;
  const std::int64_t l = std::min(x1, x2), r = std::max(x1, x2);
  const std::int64_t t = std::min(y1, y2), b = std::max(y1, y2);
  if (l == r || t == b) return;
  const bool hasPen = pen_.Style() != psClear;
  const bool hasBrush = brush_.Style() != bsClear;
  const std::int64_t w = hasPen ? pen_.Width() : 0;
  if (DirectPixels()) {
    const bool xorMode = pen_.Mode() == pmXor;
    if (hasBrush) DirectFill(l + w, t + w, r - w, b - w, brush_.Color(), xorMode);
    if (hasPen) {
      if (r - l <= 2 * w || b - t <= 2 * w) {
        DirectFill(l, t, r, b, pen_.Color(), xorMode);
      } else if (DashPattern(pen_.Style()).empty() || w > 1) {
        DirectFill(l, t, r, t + w, pen_.Color(), xorMode);
        DirectFill(l, b - w, r, b, pen_.Color(), xorMode);
        DirectFill(l, t + w, l + w, b - w, pen_.Color(), xorMode);
        DirectFill(r - w, t + w, r, b - w, pen_.Color(), xorMode);
      } else {
        const TPoint saved = penPos_;
        const int il = static_cast<int>(l), it = static_cast<int>(t);
        const int ir = ClampInt(r - 1), ib = ClampInt(b - 1);
        DirectLine(il, it, ir, it);
        DirectLine(ir, it, ir, ib);
        DirectLine(ir, ib, il, ib);
        DirectLine(il, ib, il, it);
        penPos_ = saved;
      }
    }
  } else {
    ApplyBrush();
    ApplyMode();
    QPainter& p = Painter();
    if (hasPen) {
      ApplyPen();
      const double half = static_cast<double>(w) / 2.0;
      p.drawRect(QRectF(static_cast<double>(l) + half, static_cast<double>(t) + half,
                        static_cast<double>(r - l - w), static_cast<double>(b - t - w)));
    } else {
      p.setPen(Qt::NoPen);
      appliedPen_ = 0;
      p.drawRect(QRectF(static_cast<double>(l), static_cast<double>(t),
                        static_cast<double>(r - l), static_cast<double>(b - t)));
    }
  }
  Notify();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  if (!Ready()) return;
  const double l = std::min(x1, x2), r = std::max(x1, x2);
  const double t = std::min(y1, y2), b = std::max(y1, y2);
  if (l == r || t == b) return;
  ApplyBrush();
  ApplyMode();
  QPainter& p = Painter();
  if (pen_.Style() != psClear) {
    ApplyPen();
    const int w = pen_.Width();
    if (w == 1) {
      // An aliased 1-pixel outline of QRect(x, y, w, h) covers x..x+w.
      p.drawEllipse(QRectF(l, t, r - l - 1, b - t - 1));
    } else {
      const double half = w / 2.0;
      p.drawEllipse(QRectF(l + half, t + half, r - l - w, b - t - w));
    }
  } else {
    p.setPen(Qt::NoPen);
    appliedPen_ = 0;
    p.drawEllipse(QRectF(l, t, r - l, b - t));
  }
  Notify();
}

void TCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  if (!Ready() || pen_.Style() == psClear) return;
  const double l = std::min(x1, x2), r = std::max(x1, x2);
  const double t = std::min(y1, y2), b = std::max(y1, y2);
  if (l == r || t == b) return;
  const double cx = (l + r) / 2.0, cy = (t + b) / 2.0;
  const double rx = (r - l) / 2.0, ry = (b - t) / 2.0;
  // Qt measures arcs by the ellipse's parametric angle, y pointing up.
  auto angle = [&](double px, double py) {
    return std::atan2(-(py - cy) / ry, (px - cx) / rx) * 180.0 / std::numbers::pi;
  };
  const double start = angle(x3, y3);
  double span = angle(x4, y4) - start;
  while (span <= 0.0) span += 360.0;
  ApplyPen();
  ApplyMode();
  const int w = pen_.Width();
  const QRectF box = w == 1 ? QRectF(l, t, r - l - 1, b - t - 1)
                            : QRectF(l + w / 2.0, t + w / 2.0, r - l - w, b - t - w);
  Painter().drawArc(box, RoundPixel(start * 16.0), RoundPixel(span * 16.0));
  Notify();
}

void TCanvas::FillRect(const TRect& rect) {
  if (!Ready() || brush_.Style() == bsClear) return;
  const std::int64_t l = std::min(rect.Left, rect.Right), r = std::max(rect.Left, rect.Right);
  const std::int64_t t = std::min(rect.Top, rect.Bottom), b = std::max(rect.Top, rect.Bottom);
  if (l == r || t == b) return;
  if (DirectPixels()) {
    DirectFill(l, t, r, b, brush_.Color(), false);
  } else {
    Painter().setCompositionMode(QPainter::CompositionMode_SourceOver);
    Painter().fillRect(QRectF(static_cast<double>(l), static_cast<double>(t),
                              static_cast<double>(r - l), static_cast<double>(b - t)),
                       ColorToQColor(brush_.Color()));
  }
  Notify();
}

TColor TCanvas::Pixel(int x, int y) const {
  if (image_ == nullptr || image_->isNull() || x < 0 || y < 0 || x >= Width() ||
      y >= Height())
    return clNone;
  return QColorToColor(QColor::fromRgb(image_->pixel(x * ratio_, y * ratio_)));
}

void TCanvas::SetPixel(int x, int y, TColor color) {
  if (!Ready()) return;
  if (DirectPixels()) {
    PutPixel(x, y, ToQRgb(ColorToRGB(color)), false);
  } else {
    Painter().setCompositionMode(QPainter::CompositionMode_SourceOver);
    Painter().fillRect(QRect(x, y, 1, 1), ColorToQColor(color));
  }
  Notify();
}

const QFontMetrics& TCanvas::Metrics() const {
  if (!metrics_ || metricsGeneration_ != font_.ShapeGeneration()) {
    if (device_ != nullptr)
      metrics_ = std::make_unique<QFontMetrics>(font_.QtFont(), device_);
    else
      metrics_ = std::make_unique<QFontMetrics>(font_.QtFont());
    metricsGeneration_ = font_.ShapeGeneration();
  }
  return *metrics_;
}

// Laid-out text of the current font shape. Labels repeat (tick values, object numbers), so
// each distinct string is laid out once (QStaticText) and measured once. Strings of decimal
// digits, the bulk of every label set, skip the layout altogether: they are drawn as a glyph
// run from the ten digit glyphs at their accumulated advances, which is exactly how the
// layout places them when the font does not kern digits (checked once per font).
struct TCanvas::TextCache {
  static constexpr std::size_t kMaxEntries = 16384;
  static constexpr int kMaxDigits = 32;
  struct Entry {
    int width = 0;
    std::optional<QStaticText> layout;
  };
  std::uint64_t shape = 0;
  // The face the entries belong to (what QtFont builds the font from).
  std::string name;
  int height = 0;
  TFontStyles style{};
  std::unordered_map<std::string, Entry> entries;
  bool digitRuns = false;
  QRawFont raw;
  std::array<quint32, 10> digitGlyph{};
  std::array<double, 10> digitAdvance{};
  std::array<QPointF, kMaxDigits> positions{};
  std::array<quint32, kMaxDigits> glyphs{};
  QGlyphRun run;  // reused: refers to glyphs and positions, drawn in the cached raw font

  void Reset(const QFont& font, const QFontMetrics& fm) {
    entries.clear();
    digitRuns = false;
    if (font.underline() || font.strikeOut()) return;
    raw = QRawFont::fromFont(font);
    if (!raw.isValid()) return;
    const QString digits = QStringLiteral("0123456789");
    int count = 10;
    if (!raw.glyphIndexesForChars(digits.constData(), 10, digitGlyph.data(), &count) ||
        count != 10)
      return;
    std::array<QPointF, 10> adv;
    if (!raw.advancesForGlyphIndexes(digitGlyph.data(), adv.data(), 10)) return;
    for (std::size_t i = 0; i < 10; ++i) {
      if (digitGlyph[i] == 0) return;
      digitAdvance[i] = adv[i].x();
    }
    // Every ordered pair of digits once: the layout must put each glyph where the summed
    // advances do (no kerning, no substitution) and measure the string as they do.
    std::string pairs;
    for (char i = '0'; i <= '9'; ++i)
      for (char j = '0'; j <= '9'; ++j) pairs += {i, j};
    QTextLayout layout(QString::fromStdString(pairs), font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid()) return;
    const QList<QGlyphRun> runs = layout.glyphRuns();
    if (runs.size() != 1 || runs[0].glyphIndexes().size() != qsizetype(pairs.size())) return;
    const QList<QPointF> at = runs[0].positions();
    const double x0 = at[0].x();
    double x = 0.0;
    for (std::size_t k = 0; k < pairs.size(); ++k) {
      const auto d = static_cast<std::size_t>(pairs[k] - '0');
      if (runs[0].glyphIndexes()[qsizetype(k)] != digitGlyph[d] || at[qsizetype(k)].x() - x0 != x)
        return;
      x += digitAdvance[d];
    }
    if (fm.horizontalAdvance(QString::fromStdString(pairs)) != DigitWidthOf(pairs)) return;
    run = QGlyphRun();
    run.setRawFont(raw);
    digitRuns = true;
  }

  // The layout rounds its summed advances half up.
  int DigitWidthOf(const std::string& text) const {
    double w = 0.0;
    for (const char ch : text) w += digitAdvance[static_cast<std::size_t>(ch - '0')];
    return static_cast<int>(std::floor(w + 0.5));
  }

  bool IsDigitRun(const std::string& text) const {
    if (!digitRuns || text.empty() || text.size() > kMaxDigits) return false;
    for (const char ch : text)
      if (ch < '0' || ch > '9') return false;
    return true;
  }

  int DigitWidth(const std::string& text) const { return DigitWidthOf(text); }

  Entry& Lookup(const std::string& text, const QFontMetrics& fm) {
    auto it = entries.find(text);
    if (it != entries.end()) return it->second;
    if (entries.size() >= kMaxEntries) entries.clear();
    Entry e;
    e.width = fm.horizontalAdvance(QString::fromStdString(text));
    return entries.emplace(text, std::move(e)).first->second;
  }
};

TCanvas::TextCache& TCanvas::Text() const {
  const QFontMetrics& fm = Metrics();
  if (text_ && text_->shape == font_.ShapeGeneration()) return *text_;
  // Controls switch one canvas between a few faces (labels, captions) on every repaint:
  // each face keeps its measured and laid-out text instead of starting again after a switch.
  constexpr std::size_t kSpareFaces = 3;
  const auto same = [this](const TextCache& t) {
    return t.name == font_.Name() && t.height == font_.Height() && t.style == font_.Style();
  };
  std::unique_ptr<TextCache> found;
  if (text_ && same(*text_)) found = std::move(text_);
  for (auto it = spareText_.begin(); !found && it != spareText_.end(); ++it) {
    if (same(**it)) {
      found = std::move(*it);
      spareText_.erase(it);
      break;
    }
  }
  if (text_) {
    spareText_.insert(spareText_.begin(), std::move(text_));
    if (spareText_.size() > kSpareFaces) spareText_.pop_back();
  }
  if (!found) {
    found = std::make_unique<TextCache>();
    found->Reset(font_.QtFont(), fm);
    found->name = font_.Name();
    found->height = font_.Height();
    found->style = font_.Style();
  }
  text_ = std::move(found);
  text_->shape = font_.ShapeGeneration();
  return *text_;
}

int TCanvas::TextWidth(const std::string& text) const {
  TextCache& cache = Text();
  if (cache.IsDigitRun(text)) return cache.DigitWidth(text);
  return cache.Lookup(text, Metrics()).width;
}

bool TCanvas::DigitGlyphRuns() const { return Text().digitRuns; }

int TCanvas::TextHeight(const std::string& text) const {
  (void)text;
  return Metrics().height();
}

// The text box's top-left corner is (x, y); a direction other than 0 turns the text about
// that corner. The painter keeps the font and the text colour between calls.
void TCanvas::TextOut(int x, int y, const std::string& text) {
  if (!Ready()) return;
  TextCache& cache = Text();
  const QFontMetrics& fm = Metrics();
  const bool digits = cache.IsDigitRun(text);
  TextCache::Entry* entry = digits ? nullptr : &cache.Lookup(text, fm);
  const int w = digits ? cache.DigitWidth(text) : entry->width;
  const int h = fm.height();
  QPainter& p = Painter();
  if (p.compositionMode() != QPainter::CompositionMode_SourceOver)
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  // Turned text, and text so far out that box arithmetic could overflow, is drawn through
  // the painter's transform about the corner.
  const bool turned = font_.Orientation() != 0 || !InRange(x, -kDirectLimit, kDirectLimit) ||
                      !InRange(y, -kDirectLimit, kDirectLimit);
  int ox = x, oy = y;
  // Turned about the corner within whatever transform the painter already has (a caller's
  // painter may scale or move the picture).
  const QTransform before = turned ? p.worldTransform() : QTransform();
  if (turned) {
    QTransform t;
    t.translate(x, y);
    t.rotate(-font_.Orientation() / 10.0);
    p.setWorldTransform(t, true);
    ox = oy = 0;
  }
  if (brush_.Style() != bsClear)
    p.fillRect(QRect(ox, oy, w, h), ColorToQColor(brush_.Color()));
  if (appliedFont_ != font_.ShapeGeneration()) {
    p.setFont(font_.QtFont());
    appliedFont_ = font_.ShapeGeneration();
  }
  if (appliedPen_ != kTextPen || textPenColor_ != font_.Color()) {
    // Only the colour matters to text; keeping the rest of the line pen lets a vector page
    // (which opens a new group at every pen change) go without one per label.
    QPen textPen = p.pen();
    textPen.setColor(ColorToQColor(font_.Color()));
    textPen.setStyle(Qt::SolidLine);
    p.setPen(textPen);
    appliedPen_ = kTextPen;
    textPenColor_ = font_.Color();
  }
  if (borrowed_ != nullptr) {
    // Vector pages keep text as text (searchable, selectable), not as bare glyphs.
    p.drawText(QPointF(ox, oy + fm.ascent()), QString::fromStdString(text));
  } else if (digits) {
    const int n = static_cast<int>(text.size());
    double pos = 0.0;
    for (int i = 0; i < n; ++i) {
      const auto d = static_cast<std::size_t>(text[static_cast<std::size_t>(i)] - '0');
      cache.glyphs[static_cast<std::size_t>(i)] = cache.digitGlyph[d];
      cache.positions[static_cast<std::size_t>(i)] = QPointF(pos, 0.0);
      pos += cache.digitAdvance[d];
    }
    cache.run.setRawData(cache.glyphs.data(), cache.positions.data(), n);
    p.drawGlyphRun(QPointF(ox, oy + fm.ascent()), cache.run);
  } else {
    if (!entry->layout) {
      QStaticText layout(QString::fromStdString(text));
      layout.setTextFormat(Qt::PlainText);
      layout.prepare(QTransform(), font_.QtFont());
      entry->layout = std::move(layout);
    }
    p.drawStaticText(QPoint(ox, oy), *entry->layout);
  }
  if (turned) p.setWorldTransform(before);
  Notify();
}

void TCanvas::Draw(int x, int y, const TBitmap& bitmap) { Draw(x, y, bitmap.Image()); }

void TCanvas::Draw(int x, int y, const QImage& image) {
  if (!Ready() || image.isNull()) return;
  QPainter& p = Painter();
  p.setCompositionMode(QPainter::CompositionMode_Source);
  if (&image == image_)
    p.drawImage(QPoint(x, y), image.copy());
  else
    p.drawImage(QPoint(x, y), image);
  Notify();
}

void TCanvas::StretchDraw(const TRect& rect, const TBitmap& bitmap) {
  StretchDraw(rect, bitmap.Image());
}

void TCanvas::StretchDraw(const TRect& rect, const QImage& image) {
  if (!Ready() || image.isNull()) return;
  const std::int64_t w = std::int64_t{rect.Right} - rect.Left;
  const std::int64_t h = std::int64_t{rect.Bottom} - rect.Top;
  if (w <= 0 || h <= 0 || w > INT_MAX || h > INT_MAX) return;
  QPainter& p = Painter();
  p.setCompositionMode(QPainter::CompositionMode_Source);
  const QRect target(rect.Left, rect.Top, static_cast<int>(w), static_cast<int>(h));
  if (&image == image_)
    p.drawImage(target, image.copy());
  else
    p.drawImage(target, image);
  Notify();
}

int TCanvas::VertResolution() const {
  if (borrowed_ != nullptr) return resolution_;
  if (isPrinter_ && device_ != nullptr) return device_->logicalDpiY();
  return ScreenPixelsPerInch();
}

int TCanvas::HorzResolution() const {
  if (borrowed_ != nullptr) return resolution_;
  if (isPrinter_ && device_ != nullptr) return device_->logicalDpiX();
  return ScreenPixelsPerInch();
}

int TCanvas::Width() const {
  if (borrowed_ != nullptr) return logicalWidth_;
  if (image_ != nullptr) return image_->width() / ratio_;
  return device_ != nullptr ? device_->width() : 0;
}

int TCanvas::Height() const {
  if (borrowed_ != nullptr) return logicalHeight_;
  if (image_ != nullptr) return image_->height() / ratio_;
  return device_ != nullptr ? device_->height() : 0;
}

// The caller may change the painter's pen, brush or font: the canvas applies its own again.
QPainter* TCanvas::QtPainter() {
  if (!Ready()) return nullptr;
  QPainter& p = Painter();
  appliedPen_ = appliedBrush_ = appliedFont_ = 0;
  return &p;
}

// ---- Bitmap ----------------------------------------------------------------------------

TBitmap::TBitmap() : canvas_(std::make_unique<TCanvas>(&image_)) {}

TBitmap::TBitmap(int width, int height, int pixelRatio) : TBitmap() {
  SetPixelRatio(pixelRatio);
  SetSize(width, height);
}

int TBitmap::Width() const { return image_.width() / ratio_; }
int TBitmap::Height() const { return image_.height() / ratio_; }

void TBitmap::SetPixelRatio(int value) {
  value = IntegerPixelRatio(value);
  if (value == ratio_) return;
  const int w = Width(), h = Height();
  canvas_->Release();
  image_ = QImage();
  ratio_ = value;
  canvas_->SetImage(&image_);
  SetSize(w, h);
}

TBitmap::~TBitmap() { canvas_->Release(); }

void TBitmap::Assign(const TPersistent* source) {
  const auto* bitmap = dynamic_cast<const TBitmap*>(source);
  if (bitmap == nullptr) return TPersistent::Assign(source);
  if (bitmap == this) return;
  canvas_->Release();
  image_ = bitmap->image_.copy();
  ratio_ = bitmap->ratio_;
  canvas_->SetImage(&image_);
}

void TBitmap::SetWidth(int value) { SetSize(value, Height()); }
void TBitmap::SetHeight(int value) { SetSize(Width(), value); }

void TBitmap::SetSize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == Width() && height == Height()) return;
  canvas_->Release();
  QImage next;
  if (width > 0 && height > 0) {
    next = QImage(width * ratio_, height * ratio_, QImage::Format_RGB32);
    if (!next.isNull()) {
      next.setDevicePixelRatio(ratio_);
      next.fill(Qt::white);
      if (!image_.isNull()) {
        QPainter p(&next);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, image_);
      }
    }
  }
  image_ = std::move(next);
  canvas_->SetImage(&image_);
}

const QImage& TBitmap::Image() const { return image_; }

bool TBitmap::LoadFromFile(const std::string& fileName) {
  if (fileName.empty()) return false;
  try {
    QImage loaded;
    if (!loaded.load(QString::fromStdString(fileName))) return false;
    loaded = loaded.convertToFormat(QImage::Format_RGB32);
    if (loaded.isNull()) return false;
    canvas_->Release();
    image_ = std::move(loaded);
    ratio_ = 1;
    canvas_->SetImage(&image_);
    return true;
  } catch (...) {
    return false;
  }
}

bool TBitmap::SaveToFile(const std::string& fileName) const {
  if (image_.isNull()) return false;
  // Encoded in memory, then written whole or not at all: a failure keeps any old file.
  try {
    const auto dot = fileName.rfind('.');
    const QByteArray format =
        dot == std::string::npos ? QByteArray("png") : QByteArray::fromStdString(fileName.substr(dot + 1)).toLower();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image_.save(&buffer, format.constData())) return false;
    TSafeFile file(fileName);
    file.Write(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    file.Commit();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// ---- Printer canvas --------------------------------------------------------------------

TPdfPrinter::TPdfPrinter(const std::string& fileName, int resolutionDpi)
    : fileName_(fileName),
      bytes_(std::make_unique<QByteArray>()),
      buffer_(std::make_unique<QBuffer>(bytes_.get())) {
  // The document is kept in memory and written safely when it ends.
  buffer_->open(QIODevice::WriteOnly);
  writer_ = std::make_unique<QPdfWriter>(buffer_.get());
  writer_->setResolution(std::clamp(resolutionDpi, 72, 2400));
  writer_->setPageSize(QPageSize(QPageSize::A4));
  canvas_ = std::make_unique<TCanvas>(writer_.get(), true);
}

TPdfPrinter::~TPdfPrinter() {
  try {
    EndDoc();
  } catch (const std::exception& e) {
    qWarning("TPdfPrinter: %s", e.what());
  }
}

int TPdfPrinter::PageWidth() const { return writer_->width(); }
int TPdfPrinter::PageHeight() const { return writer_->height(); }

void TPdfPrinter::NewPage() {
  if (ended_) return;
  canvas_->QtPainter();
  writer_->newPage();
}

void TPdfPrinter::EndDoc() {
  if (ended_) return;
  ended_ = true;
  // A document without drawing still gets its (empty) page written.
  canvas_->QtPainter();
  canvas_->Release();
  buffer_->close();
  TSafeFile file(fileName_);
  file.Write(bytes_->constData(), static_cast<std::size_t>(bytes_->size()));
  file.Commit();
}

// ---- Fonts, locale, screen ---------------------------------------------------------------

std::vector<std::string> InstalledFontNames() {
  std::vector<std::string> names;
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return names;
  for (const QString& family : QFontDatabase::families()) names.push_back(family.toStdString());
  return names;
}

int IntegerPixelRatio(double devicePixelRatio) {
  if (!(devicePixelRatio >= 1.0)) return 1;
  return static_cast<int>(std::nearbyint(std::min(devicePixelRatio, 16.0)));
}

int ScreenPixelsPerInch() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return 96;
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return 96;
  const int dpi = RoundPixel(screen->logicalDotsPerInchY());
  return dpi > 0 ? dpi : 96;
}

TPixelAspect ScreenPixelAspect() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return {};
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return {};
  // A pixel's width is proportional to 1 / horizontal density, so the relative width is
  // the vertical density and vice versa.
  const int x = RoundPixel(screen->physicalDotsPerInchY());
  const int y = RoundPixel(screen->physicalDotsPerInchX());
  if (x <= 0 || y <= 0) return {};
  return {x, y};
}

std::string ShortMonthName(int month) {
  if (month < 1 || month > 12) return {};
  return QLocale().monthName(month, QLocale::ShortFormat).toStdString();
}

}  // namespace dendrokit
