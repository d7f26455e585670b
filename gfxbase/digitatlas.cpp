#include "gfxbase/digitatlas.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>

#include "gfxbase/canvas.h"

namespace dendrokit {

namespace {

constexpr int kPhases = 64;  // glyph positions are whole 1/64 pixels
constexpr std::size_t kMaxFaces = 4;
constexpr std::size_t kMaxDigits = 32;
bool enabled = true;

// x * a / 255 per byte, rounded as the raster engine rounds it.
inline std::uint32_t ByteMul(std::uint32_t x, std::uint32_t a) {
  std::uint32_t t = (x & 0xFF00FFu) * a;
  t = ((t + ((t >> 8) & 0xFF00FFu) + 0x800080u) >> 8) & 0xFF00FFu;
  x = ((x >> 8) & 0xFF00FFu) * a;
  x = (x + ((x >> 8) & 0xFF00FFu) + 0x800080u) & 0xFF00FF00u;
  return x | t;
}

}  // namespace

// One digit at one sub-pixel phase: coverage 0..255 over a box at (ox, oy) from the place
// the glyph's pen position maps to, with each row's covered columns first..last-1, and the
// same as runs of covered pixels for glyphs that lie wholly inside the image.
struct TDigitAtlas::Mask {
  struct Run {
    std::int16_t x, y;  // in the box
    std::uint16_t length;
    std::uint16_t at;  // first coverage in cover
  };
  bool ready = false;
  int ox = 0, oy = 0, w = 0, h = 0;
  std::vector<std::uint8_t> a;
  std::vector<std::uint16_t> first, last;
  std::vector<Run> runs;
  std::vector<std::uint8_t> cover;
};

struct TDigitAtlas::Face {
  QFont font;
  int orientation = 0;  // 0 or 900
  int ratio = 1;        // image pixels per logical pixel: masks are in image pixels
  int ascent = 0;
  int centre = 0;  // logical; the scratch image masks are rendered on is twice as wide
  QRawFont raw;
  std::array<quint32, 10> glyph{};
  std::array<int, 10> adv64{};
  std::array<Mask, 10 * kPhases> masks;
  bool usable = false;
};

TDigitAtlas::TDigitAtlas() = default;
TDigitAtlas::~TDigitAtlas() = default;

bool TDigitAtlas::IsDigits(std::string_view s) {
  if (s.empty() || s.size() > kMaxDigits) return false;
  return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void TDigitAtlas::SetEnabled(bool value) { enabled = value; }
bool TDigitAtlas::Enabled() { return enabled; }

bool TDigitAtlas::Begin(TCanvas& canvas) {
  face_ = nullptr;
  bits_ = nullptr;
  if (!enabled) return false;
  QImage* image = canvas.Image();
  if (image == nullptr || image->isNull() || image->format() != QImage::Format_RGB32 ||
      canvas.OnPainter())
    return false;
  // Whole ratios only, as the canvas draws them; four is plenty.
  const double dpr = image->devicePixelRatio();
  if (!(dpr >= 1 && dpr <= 4)) return false;  // NaN too, before any cast
  const int ratio = static_cast<int>(dpr);
  if (dpr != ratio) return false;
  const TFont& f = canvas.Font();
  const int orientation = f.Orientation();
  if ((orientation != 0 && orientation != 900) || canvas.Brush().Style() != bsClear) return false;
  if (canvas.Painting()) {
    const QPainter* p = canvas.QtPainter();
    if (!p->worldTransform().isIdentity() || p->hasClipping()) return false;
  }
  const QFont& qf = f.QtFont();
  if (qf.underline() || qf.strikeOut() || qf.overline() || !canvas.DigitGlyphRuns())
    return false;

  auto it = std::find_if(faces_.begin(), faces_.end(), [&](const std::unique_ptr<Face>& x) {
    return x->orientation == orientation && x->ratio == ratio && x->font == qf;
  });
  if (it == faces_.end()) {
    auto face = std::make_unique<Face>();
    face->font = qf;
    face->orientation = orientation;
    face->ratio = ratio;
    const QFontMetrics fm(qf);
    face->ascent = fm.ascent();
    // The raster engine fills large glyphs as one outline per text instead of blending
    // cached glyph by glyph, and bitmap faces are drawn some other way when turned.
    face->centre = 2 * (fm.height() + 8);
    const QFontInfo info(qf);
    face->usable = fm.height() * ratio <= 60 &&
                   QFontDatabase::isScalable(info.family(), info.styleName());
    // The same raw font, glyphs and advances the canvas draws its digit runs with.
    face->raw = QRawFont::fromFont(qf);
    const QString digits = QStringLiteral("0123456789");
    int count = 10;
    std::array<QPointF, 10> adv;
    face->usable = face->usable && face->raw.isValid() &&
                   face->raw.glyphIndexesForChars(digits.constData(), 10, face->glyph.data(),
                                                  &count) &&
                   count == 10 &&
                   face->raw.advancesForGlyphIndexes(face->glyph.data(), adv.data(), 10);
    for (std::size_t i = 0; i < 10 && face->usable; ++i) {
      // Positions are exact only while every advance is a whole number of 1/64 pixels.
      const double a64 = adv[i].x() * kPhases;
      face->usable = std::isfinite(a64) && a64 >= 0 && a64 < 1 << 16 && a64 == std::floor(a64);
      if (face->usable) face->adv64[i] = static_cast<int>(a64);
    }
    faces_.insert(faces_.begin(), std::move(face));
    if (faces_.size() > kMaxFaces) faces_.pop_back();
    it = faces_.begin();
    face_ = it->get();
    // A glyph reaching the scratch image's edge would be cut: such a face stays unused.
    for (int d = 0; d < 10 && face_->usable; ++d) Glyph(d, 0);
  } else if (it != faces_.begin()) {
    std::rotate(faces_.begin(), it, it + 1);
    it = faces_.begin();
  }
  face_ = (*it)->usable ? it->get() : nullptr;
  if (face_ == nullptr) return false;
  bits_ = reinterpret_cast<std::uint32_t*>(image->bits());
  stride_ = image->bytesPerLine() / 4;
  w_ = image->width();
  h_ = image->height();
  return true;
}

const TDigitAtlas::Mask& TDigitAtlas::Glyph(int digit, int phase) {
  Mask& m = face_->masks[static_cast<std::size_t>(digit * kPhases + phase)];
  if (m.ready) return m;
  m.ready = true;
  // Rendered black on white through the painter call TextOut makes at the image's ratio,
  // with the pen position phase/64 image pixels along the text from the centre (c, c); the
  // result is the coverage.
  const int r = face_->ratio, c = face_->centre, size = 2 * c * r;
  QImage img(size, size, QImage::Format_RGB32);
  img.setDevicePixelRatio(r);
  img.fill(Qt::white);
  {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.setFont(face_->font);
    p.setPen(Qt::black);
    const quint32 g = face_->glyph[static_cast<std::size_t>(digit)];
    const QPointF at(double(phase) / (kPhases * r), 0.0);
    QGlyphRun run;
    run.setRawFont(face_->raw);
    run.setRawData(&g, &at, 1);
    if (face_->orientation != 0) {
      QTransform t;
      t.translate(c, c);
      t.rotate(-face_->orientation / 10.0);
      p.setWorldTransform(t, true);
      p.drawGlyphRun(QPointF(0, face_->ascent), run);
    } else {
      p.drawGlyphRun(QPointF(c, c + face_->ascent), run);
    }
  }
  int x0 = size, y0 = size, x1 = -1, y1 = -1;
  for (int y = 0; y < size; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
    for (int x = 0; x < size; ++x)
      if (qRed(line[x]) != 255) {
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
      }
  }
  if (x1 < 0) return m;
  if (x0 == 0 || y0 == 0 || x1 == size - 1 || y1 == size - 1) face_->usable = false;
  m.ox = x0 - c * r;
  m.oy = y0 - c * r;
  m.w = x1 - x0 + 1;
  m.h = y1 - y0 + 1;
  m.a.reserve(static_cast<std::size_t>(m.w * m.h));
  for (int y = y0; y <= y1; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
    for (int x = x0; x <= x1; ++x) m.a.push_back(std::uint8_t(255 - qRed(line[x])));
  }
  for (int j = 0; j < m.h; ++j) {
    const std::uint8_t* row = m.a.data() + j * m.w;
    int f = 0, l = m.w;
    while (f < l && row[f] == 0) ++f;
    while (l > f && row[l - 1] == 0) --l;
    m.first.push_back(std::uint16_t(f));
    m.last.push_back(std::uint16_t(l));
    for (int k = f; k < l;) {
      if (row[k] == 0) {
        ++k;
        continue;
      }
      const int start = k;
      while (k < l && row[k] != 0) m.cover.push_back(row[k++]);
      m.runs.push_back({std::int16_t(start), std::int16_t(j), std::uint16_t(k - start),
                        std::uint16_t(m.cover.size() - std::size_t(k - start))});
    }
  }
  return m;
}

int TDigitAtlas::Width(std::string_view digits) const {
  if (face_ == nullptr) return 0;
  std::int64_t w = 0;
  for (const char ch : digits) w += face_->adv64[static_cast<std::size_t>(ch - '0')];
  return static_cast<int>((w + kPhases / 2) / kPhases);  // the layout rounds halves up
}

const std::uint32_t* TDigitAtlas::Scaled(TColor color) {
  if (scaled_.empty() || scaled_.front().color != color) {
    auto it = std::find_if(scaled_.begin(), scaled_.end(),
                           [&](const ScaledColor& s) { return s.color == color; });
    if (it == scaled_.end()) {
      // Class colours alternate from label to label: a few tables are kept.
      constexpr std::size_t kColors = 16;
      if (scaled_.size() >= kColors) scaled_.pop_back();
      ScaledColor s{color, {}};
      const TColor rgb = ColorToRGB(color);
      const std::uint32_t argb =
          0xFF000000u | ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
      for (std::uint32_t a = 0; a < 256; ++a) s.by[a] = ByteMul(argb, a);
      scaled_.insert(scaled_.begin(), s);
    } else {
      std::rotate(scaled_.begin(), it, it + 1);
    }
  }
  return scaled_.front().by.data();
}

void TDigitAtlas::Draw(int x, int y, std::string_view digits, TColor color) {
  if (face_ == nullptr || bits_ == nullptr || !IsDigits(digits)) return;
  const std::uint32_t* const src = Scaled(color);
  const bool turned = face_->orientation != 0;
  const std::int64_t r = face_->ratio;
  std::int64_t pos64 = 0;  // pen position in 1/64 image pixels
  for (const char ch : digits) {
    const int d = ch - '0';
    const std::int64_t ipos = pos64 >> 6;
    const Mask& m = Glyph(d, static_cast<int>(pos64 & (kPhases - 1)));
    pos64 += face_->adv64[static_cast<std::size_t>(d)] * r;
    if (m.w == 0) continue;
    // Turned text runs upward from the corner: the pen moves towards smaller y.
    const std::int64_t gx = std::int64_t{x} * r + (turned ? 0 : ipos) + m.ox;
    const std::int64_t gy = std::int64_t{y} * r - (turned ? ipos : 0) + m.oy;
    if (gx >= w_ || gy >= h_ || gx + m.w <= 0 || gy + m.h <= 0) continue;
    if (gx >= 0 && gy >= 0 && gx + m.w <= w_ && gy + m.h <= h_) {
      std::uint32_t* const corner = bits_ + gy * stride_ + gx;
      for (const Mask::Run& r : m.runs) {
        std::uint32_t* px = corner + r.y * stride_ + r.x;
        const std::uint8_t* cov = m.cover.data() + r.at;
        // Full coverage needs no test: the background's share ByteMul(.., 0) is 0.
        for (int k = 0; k < r.length; ++k) px[k] = src[cov[k]] + ByteMul(px[k], 255u - cov[k]);
      }
      continue;
    }
    const int cx0 = static_cast<int>(std::max<std::int64_t>(0, -gx));
    const int cx1 = static_cast<int>(std::min<std::int64_t>(m.w, w_ - gx));
    const int cy0 = static_cast<int>(std::max<std::int64_t>(0, -gy));
    const int cy1 = static_cast<int>(std::min<std::int64_t>(m.h, h_ - gy));
    for (int j = cy0; j < cy1; ++j) {
      std::uint32_t* line = bits_ + (gy + j) * stride_ + gx;
      const std::uint8_t* a = m.a.data() + static_cast<std::size_t>(j * m.w);
      const int k1 = std::min<int>(cx1, m.last[static_cast<std::size_t>(j)]);
      for (int k = std::max<int>(cx0, m.first[static_cast<std::size_t>(j)]); k < k1; ++k) {
        const std::uint32_t cov = a[k];
        if (cov == 0) continue;
        line[k] = src[cov] + ByteMul(line[k], 255 - cov);
      }
    }
  }
}

}  // namespace dendrokit
