#include "chart/plotra_fastdraw.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// The eight-pixel blend is compiled for AVX2 on its own and chosen at run time.
#if defined(__SSE2__) && defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define DENDROKIT_GLYPHS_AVX2 1
#include <immintrin.h>
#endif

#include "gfxbase/canvas.h"
#include "gfxbase/draw.h"

namespace dendrokit {

namespace {

constexpr int kPhases = 64;  // glyph positions are multiples of 1/64 pixel

std::uint32_t ToArgb(TColor c) {
  const TColor rgb = ColorToRGB(c);
  return 0xFF000000u | ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

// Fills the image pixels of the logical box [l, r) x [t, b), already clipped to the surface.
void FillLogical(const Surface& s, std::int64_t l, std::int64_t t, std::int64_t r,
                 std::int64_t b, std::uint32_t argb) {
  const std::int64_t k = s.ratio;
  for (std::int64_t y = t * k; y < b * k; ++y) std::fill(s.Row(y) + l * k, s.Row(y) + r * k, argb);
}

}  // namespace

Surface SurfaceOf(QImage& image) {
  const QImage::Format f = image.format();
  if (image.isNull() || (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 &&
                         f != QImage::Format_ARGB32_Premultiplied))
    return {};
  // The canvas takes a whole ratio as its own; anything else is left to it.
  const int ratio = IntegerPixelRatio(image.devicePixelRatio());
  if (image.devicePixelRatio() != ratio) return {};
  return {reinterpret_cast<std::uint32_t*>(image.bits()), image.bytesPerLine() / 4,
          image.width() / ratio, image.height() / ratio, ratio};
}

// ---- GlyphCache --------------------------------------------------------------------------

namespace {

// Coverage of one glyph at one sub-pixel phase, trimmed to its ink box. Rows are padded with
// zero coverage to a multiple of eight pixels, so that a row can be blended in groups of four
// or eight.
struct GlyphMask {
  int ox = 0, oy = 0, w = 0, h = 0;
  int stride = 0;                          // coverages per row, w rounded up to eight
  std::vector<std::uint8_t> a;             // h rows of stride coverages
  std::vector<std::uint16_t> first, last;  // covered columns of each row: first..last-1
};

}  // namespace

// A short text laid out once: its width and the masks of its glyphs with their places.
// Texts repeat (numbers, category labels), so each is decoded, checked for kerned pairs and
// looked up glyph by glyph only the first time it is drawn.
struct GlyphCache::Run {
  static constexpr std::size_t kBytes = 7;  // longest text kept: its bytes and length make the key
  std::uint64_t key = 0;                    // bytes, length in the top byte; 0: empty slot
  int width = -1;                           // -1: the text needs the canvas
  int n = 0;                                // glyphs with ink
  // What the glyphs' padded masks cover, in image pixels from the text's top-left corner.
  int left = 0, top = 0, right = 0, bottom = 0;
  const GlyphMask* mask[kBytes] = {};
  int dx[kBytes] = {};  // left column of each mask from the text's left
};

struct GlyphCache::Face {
  QFont font;
  int ratio = 1;  // masks are in image pixels of this ratio
  int ascent = 0, height = 0;
  bool usable = true;
  std::vector<int> adv64;             // advance per Latin-1 code in 1/64 px, -1 unknown
  std::vector<std::int8_t> pairOk;    // 256 x 256: 0 unknown, 1 plain, -1 kerned
  std::vector<std::unique_ptr<GlyphMask>> masks;  // code * kPhases + phase in image pixels
  // Laid-out texts by key, open addressing; grows to kMaxRuns slots, then starts afresh.
  static constexpr std::size_t kMaxRuns = 4096;
  std::vector<Run> runs;
  std::size_t runCount = 0;

  Face(const QFont& f, int r) : font(f), ratio(r), adv64(256, -1), pairOk(256 * 256, 0),
                                masks(256 * kPhases) {
    const QFontMetrics fm(font);
    ascent = fm.ascent();
    height = fm.height();
    // Decorations span whole runs; large glyphs (in image pixels) gain little from a cache.
    usable = !font.underline() && !font.strikeOut() && !font.overline() && height <= 96 &&
             height * ratio <= 192;
  }

  int Advance(unsigned c) {
    if (adv64[c] < 0) {
      const double a = QFontMetricsF(font).horizontalAdvance(QChar(char16_t(c)));
      adv64[c] = static_cast<int>(std::lround(a * 64));
    }
    return adv64[c];
  }

  // Whether the pair is laid out as the sum of its advances (no kerning, no ligature).
  bool PlainPair(unsigned a, unsigned b) {
    std::int8_t& ok = pairOk[a * 256 + b];
    if (ok == 0) {
      QString s;
      s.append(QChar(char16_t(a)));
      s.append(QChar(char16_t(b)));
      const double w = QFontMetricsF(font).horizontalAdvance(s);
      ok = std::lround(w * 64) == Advance(a) + Advance(b) ? 1 : -1;
    }
    return ok > 0;
  }

  const GlyphMask& Glyph(unsigned c, int phase) {
    std::unique_ptr<GlyphMask>& slot = masks[c * kPhases + static_cast<unsigned>(phase)];
    if (!slot) {
      slot = std::make_unique<GlyphMask>();
      // Drawn as the canvas draws at this ratio: laid out in logical pixels, rasterised at
      // the image's resolution; the phase is that of the glyph's position in image pixels.
      const int pad = (height + 4) * ratio;
      const int size = 2 * pad + (height + 8) * ratio;
      QImage img(size + Advance(c) / 64 * ratio, size, QImage::Format_RGB32);
      img.setDevicePixelRatio(ratio);
      img.fill(Qt::white);
      {
        QPainter p(&img);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(QPointF((pad + double(phase) / kPhases) / ratio, double(pad) / ratio + ascent),
                   QString(QChar(char16_t(c))));
      }
      int x0 = img.width(), y0 = img.height(), x1 = -1, y1 = -1;
      for (int y = 0; y < img.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
          if (qRed(line[x]) != 255) {
            x0 = std::min(x0, x);
            x1 = std::max(x1, x);
            y0 = std::min(y0, y);
            y1 = std::max(y1, y);
          }
      }
      if (x1 >= 0) {
        slot->ox = x0 - pad;
        slot->oy = y0 - pad;
        slot->w = x1 - x0 + 1;
        slot->h = y1 - y0 + 1;
        slot->stride = (slot->w + 7) & ~7;
        slot->a.assign(static_cast<std::size_t>(slot->stride * slot->h), 0);
        for (int j = 0; j < slot->h; ++j) {
          const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y0 + j));
          std::uint8_t* row = slot->a.data() + j * slot->stride;
          for (int i = 0; i < slot->w; ++i) row[i] = std::uint8_t(255 - qRed(line[x0 + i]));
          int f = 0, l = slot->w;
          while (f < l && row[f] == 0) ++f;
          while (l > f && row[l - 1] == 0) --l;
          slot->first.push_back(std::uint16_t(f));
          slot->last.push_back(std::uint16_t(l));
        }
      }
    }
    return *slot;
  }
};

namespace {

std::atomic<GlyphCache::BlendPath> blendPath{GlyphCache::BlendPath::kFastest};

// Blends the mask with its top-left image pixel at (gx, gy), clipped to the W x H image
// pixels, one pixel at a time.
void BlendClipped(const Surface& image, std::int64_t W, std::int64_t H, std::int64_t gx,
                  std::int64_t gy, const GlyphMask& m, std::uint32_t src) {
  if (gx >= W || gy >= H || gx + m.w <= 0 || gy + m.h <= 0) return;
  const int cx0 = static_cast<int>(std::max<std::int64_t>(0, -gx));
  const int cx1 = static_cast<int>(std::min<std::int64_t>(m.w, W - gx));
  const int cy0 = static_cast<int>(std::max<std::int64_t>(0, -gy));
  const int cy1 = static_cast<int>(std::min<std::int64_t>(m.h, H - gy));
  for (int j = cy0; j < cy1; ++j) {
    std::uint32_t* line = image.Row(gy + j) + gx;
    const std::uint8_t* a = m.a.data() + static_cast<std::size_t>(j * m.stride);
    const int k1 = std::min<int>(cx1, m.last[j]);
    for (int k = std::max<int>(cx0, m.first[j]); k < k1; ++k) {
      const unsigned cov = a[k];
      if (cov == 0) continue;
      line[k] = cov == 255 ? src : BlendPixel(line[k], src, cov);
    }
  }
}

#if defined(__SSE2__)
// The text colour as 16-bit lanes b, g, r, 255 for two pixels.
__m128i Ink16(std::uint32_t argb) {
  return _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(argb | 0xFF000000u)),
                           _mm_setzero_si128());
}

// BlendPixel on four pixels at once, channel by channel in 16-bit lanes: x = s a + d (255 - a)
// is at most 255 * 255 and (x + (x >> 8) + 128) >> 8 stays below 2^16, so the lanes give
// exactly its results. Coverage 0 gives the pixel back unchanged (alpha included), 255 the
// colour itself, so a whole group is written whatever its coverages.
inline void Blend4(std::uint32_t* dst, const std::uint8_t* cov, __m128i ink) {
  const __m128i zero = _mm_setzero_si128();
  std::int32_t c4;
  std::memcpy(&c4, cov, 4);
  const __m128i a16 = _mm_unpacklo_epi8(_mm_cvtsi32_si128(c4), zero);  // a0 a1 a2 a3
  const __m128i a2 = _mm_unpacklo_epi16(a16, a16);                     // a0 a0 a1 a1 ...
  const __m128i alo = _mm_unpacklo_epi32(a2, a2), ahi = _mm_unpackhi_epi32(a2, a2);
  const __m128i c255 = _mm_set1_epi16(255), c128 = _mm_set1_epi16(128);
  const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst));
  __m128i lo = _mm_add_epi16(_mm_mullo_epi16(ink, alo),
                             _mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), _mm_sub_epi16(c255, alo)));
  __m128i hi = _mm_add_epi16(_mm_mullo_epi16(ink, ahi),
                             _mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), _mm_sub_epi16(c255, ahi)));
  lo = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(lo, _mm_srli_epi16(lo, 8)), c128), 8);
  hi = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(hi, _mm_srli_epi16(hi, 8)), c128), 8);
  // A covered pixel becomes opaque, an uncovered one keeps its alpha.
  const __m128i covered = _mm_cmpgt_epi32(_mm_unpacklo_epi16(a16, zero), zero);
  const __m128i out = _mm_or_si128(_mm_packus_epi16(lo, hi),
                                   _mm_and_si128(covered, _mm_set1_epi32(-0x1000000)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), out);
}

// The mask with its top-left pixel at origin, every padded row inside the image.
void BlendInside(std::uint32_t* origin, std::ptrdiff_t stride, const GlyphMask& m,
                 __m128i ink) {
  const std::uint8_t* a = m.a.data();
  for (int j = 0; j < m.h; ++j, a += m.stride, origin += stride) {
    const int end = m.last[j];
    for (int c = m.first[j] & ~3; c < end; c += 4) Blend4(origin + c, a + c, ink);
  }
}
#endif

#if defined(DENDROKIT_GLYPHS_AVX2)
// BlendInside eight pixels at a time, on processors that have AVX2. A 256-bit unpack works
// on each 128-bit half, so the coverages are spread to match: pixels 0, 1 and 4, 5 in the low
// words, 2, 3 and 6, 7 in the high ones.
struct Blend8 {
  __m256i lows, highs, quads, zero, c255, c128, opaque, ink;

  __attribute__((target("avx2"))) explicit Blend8(std::uint32_t argb) {
    constexpr char Z = -128;  // a shuffle index that gives zero
    lows = _mm256_setr_epi8(0, Z, 0, Z, 0, Z, 0, Z, 1, Z, 1, Z, 1, Z, 1, Z,  //
                            4, Z, 4, Z, 4, Z, 4, Z, 5, Z, 5, Z, 5, Z, 5, Z);
    highs = _mm256_setr_epi8(2, Z, 2, Z, 2, Z, 2, Z, 3, Z, 3, Z, 3, Z, 3, Z,  //
                             6, Z, 6, Z, 6, Z, 6, Z, 7, Z, 7, Z, 7, Z, 7, Z);
    quads = _mm256_setr_epi8(0, Z, Z, Z, 1, Z, Z, Z, 2, Z, Z, Z, 3, Z, Z, Z,  //
                             4, Z, Z, Z, 5, Z, Z, Z, 6, Z, Z, Z, 7, Z, Z, Z);
    zero = _mm256_setzero_si256();
    c255 = _mm256_set1_epi16(255);
    c128 = _mm256_set1_epi16(128);
    opaque = _mm256_set1_epi32(-0x1000000);
    ink = _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int>(argb | 0xFF000000u)), zero);
  }

  __attribute__((target("avx2"), always_inline)) void operator()(std::uint32_t* dst,
                                                                 const std::uint8_t* a) const {
    long long c8;
    std::memcpy(&c8, a, 8);
    const __m256i cov = _mm256_set1_epi64x(c8);
    const __m256i alo = _mm256_shuffle_epi8(cov, lows), ahi = _mm256_shuffle_epi8(cov, highs);
    const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst));
    __m256i lo = _mm256_add_epi16(
        _mm256_mullo_epi16(ink, alo),
        _mm256_mullo_epi16(_mm256_unpacklo_epi8(d, zero), _mm256_sub_epi16(c255, alo)));
    __m256i hi = _mm256_add_epi16(
        _mm256_mullo_epi16(ink, ahi),
        _mm256_mullo_epi16(_mm256_unpackhi_epi8(d, zero), _mm256_sub_epi16(c255, ahi)));
    lo = _mm256_add_epi16(_mm256_add_epi16(lo, _mm256_srli_epi16(lo, 8)), c128);
    hi = _mm256_add_epi16(_mm256_add_epi16(hi, _mm256_srli_epi16(hi, 8)), c128);
    lo = _mm256_srli_epi16(lo, 8);
    hi = _mm256_srli_epi16(hi, 8);
    const __m256i covered = _mm256_cmpgt_epi32(_mm256_shuffle_epi8(cov, quads), zero);
    const __m256i out =
        _mm256_or_si256(_mm256_packus_epi16(lo, hi), _mm256_and_si256(covered, opaque));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), out);
  }
};

__attribute__((target("avx2"))) void BlendInsideAvx2(std::uint32_t* origin,
                                                     std::ptrdiff_t stride,
                                                     const GlyphMask& m, std::uint32_t argb) {
  const Blend8 blend(argb);
  const std::uint8_t* a = m.a.data();
  // Most glyphs of text sizes (at a pixel ratio of 1 or 2): one or two groups per row, empty
  // ones included (they stay as they are), with no per-row bounds.
  if (m.stride == 8) {
    for (int j = 0; j < m.h; ++j, a += 8, origin += stride) blend(origin, a);
    return;
  }
  if (m.stride == 16) {
    for (int j = 0; j < m.h; ++j, a += 16, origin += stride) {
      blend(origin, a);
      blend(origin + 8, a + 8);
    }
    return;
  }
  for (int j = 0; j < m.h; ++j, a += m.stride, origin += stride) {
    const int end = m.last[j];
    for (int c = m.first[j] & ~7; c < end; c += 8) blend(origin + c, a + c);
  }
}

// Asked while the library's statics are set up, which may be before the compiler's own
// processor check has run: hence the explicit init.
const bool haveAvx2 = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0;
}();
#endif

}  // namespace

GlyphCache::GlyphCache() = default;
GlyphCache::~GlyphCache() = default;

void GlyphCache::SetBlendPath(BlendPath path) { blendPath = path; }

void GlyphCache::SetFont(const QFont& font, int ratio) {
  ratio = std::max(ratio, 1);
  if (face_ != nullptr && font == lastFont_ && ratio == lastRatio_) return;
  lastFont_ = font;
  lastRatio_ = ratio;
  const std::string key = font.key().toStdString() + '@' + std::to_string(ratio);
  auto it = faces_.find(key);
  if (it == faces_.end()) {
    // A face holds under a megabyte (most of it kept texts); items of many different sizes
    // must not pile them up, so faces beyond a handful are left to the canvas.
    constexpr std::size_t kMaxFaces = 16;
    if (faces_.size() >= kMaxFaces) {
      face_ = nullptr;
      return;
    }
    it = faces_.emplace(key, std::make_unique<Face>(font, ratio)).first;
  }
  face_ = it->second.get();
}

int GlyphCache::Height() const { return face_ != nullptr ? face_->height : 0; }

// Decodes the text into Latin-1 units and their pen positions (1/64 px from the origin);
// false for anything outside Latin-1 printable characters or with kerned pairs.
bool GlyphCache::Layout(std::string_view s, int& width) {
  if (face_ == nullptr || !face_->usable) return false;
  units_.clear();
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    unsigned c;
    if (b < 0x80) {
      c = b;
    } else if ((b & 0xE0) == 0xC0 && b >= 0xC2 && i + 1 < s.size() &&
               (static_cast<unsigned char>(s[i + 1]) & 0xC0) == 0x80 && b <= 0xC3) {
      c = ((b & 0x1Fu) << 6) | (static_cast<unsigned char>(s[++i]) & 0x3Fu);
    } else {
      return false;
    }
    if (c < 32 || (c >= 0x7F && c < 0xA0)) return false;
    units_.push_back(char16_t(c));
  }
  pos64_.resize(units_.size());
  int pen = 0;
  for (std::size_t i = 0; i < units_.size(); ++i) {
    if (i > 0 && !face_->PlainPair(units_[i - 1], units_[i])) return false;
    pos64_[i] = pen;
    pen += face_->Advance(units_[i]);
  }
  width = (pen + 32) >> 6;
  return true;
}

// The laid-out run of a short text, made on first use; nullptr for texts too long to key (and
// for none of the face's texts when it is unusable: Layout then declines them).
const GlyphCache::Run* GlyphCache::RunOf(std::string_view s) {
  if (face_ == nullptr || !face_->usable || s.empty() || s.size() > Run::kBytes ||
      blendPath.load(std::memory_order_relaxed) == BlendPath::kPerPixel)
    return nullptr;
  std::uint64_t key = std::uint64_t{s.size()} << 56;
  for (std::size_t i = 0; i < s.size(); ++i)
    key |= std::uint64_t{static_cast<unsigned char>(s[i])} << (8 * i);
  Face& f = *face_;
  auto slotOf = [&f](std::uint64_t k) {
    const std::size_t mask = f.runs.size() - 1;
    std::size_t i = static_cast<std::size_t>((k * 0x9E3779B97F4A7C15ull) >> 40) & mask;
    while (f.runs[i].key != 0 && f.runs[i].key != k) i = (i + 1) & mask;
    return i;
  };
  if (f.runs.empty()) f.runs.resize(256);
  std::size_t i = slotOf(key);
  if (f.runs[i].key == key) return &f.runs[i];
  if (2 * (f.runCount + 1) > f.runs.size()) {
    // More than half full: twice the slots, or, at the limit, a fresh table (texts that
    // never repeat must not grow it).
    std::vector<Run> old;
    old.swap(f.runs);
    f.runCount = 0;
    if (old.size() < Face::kMaxRuns) {
      f.runs.resize(old.size() * 2);
      for (const Run& r : old)
        if (r.key != 0) {
          f.runs[slotOf(r.key)] = r;
          ++f.runCount;
        }
    } else {
      f.runs.resize(old.size());
    }
    i = slotOf(key);
  }
  Run& r = f.runs[i];
  r = Run{};
  r.key = key;
  ++f.runCount;
  int width = 0;
  if (!Layout(s, width)) return &r;
  r.width = width;
  r.left = r.top = std::numeric_limits<int>::max();
  r.right = r.bottom = std::numeric_limits<int>::min();
  for (std::size_t g = 0; g < units_.size(); ++g) {
    const int p = pos64_[g] * f.ratio;
    const GlyphMask& m = f.Glyph(units_[g], p & (kPhases - 1));
    if (m.w == 0) continue;
    r.mask[r.n] = &m;
    r.dx[r.n] = (p >> 6) + m.ox;
    r.left = std::min(r.left, r.dx[r.n]);
    r.right = std::max(r.right, r.dx[r.n] + m.stride);
    r.top = std::min(r.top, m.oy);
    r.bottom = std::max(r.bottom, m.oy + m.h);
    ++r.n;
  }
  return &r;
}

int GlyphCache::Width(std::string_view utf8) {
  if (const Run* r = RunOf(utf8)) return r->width;
  int w = 0;
  return Layout(utf8, w) ? w : -1;
}

bool GlyphCache::Draw(const Surface& image, int x, int y, std::string_view utf8, TColor color,
                      TColor background) {
  if (!image || face_ == nullptr || face_->ratio != image.ratio) return false;
  const Run* run = RunOf(utf8);
  int width = 0;
  if (run != nullptr) {
    if (run->width < 0) return false;
    width = run->width;
  } else if (!Layout(utf8, width)) {
    return false;
  }
  const std::int64_t k = image.ratio;
  if (background != clNone) {
    const std::int64_t l = std::max(x, 0);
    const std::int64_t r = std::min<std::int64_t>(std::int64_t{x} + width, image.w);
    const std::int64_t t = std::max(y, 0);
    const std::int64_t b = std::min<std::int64_t>(std::int64_t{y} + face_->height, image.h);
    if (l < r && t < b) FillLogical(image, l, t, r, b, ToArgb(background));
  }
  // From here on in image pixels.
  const std::int64_t W = image.w * k, H = image.h * k;
  const std::uint32_t src = ToArgb(color);
  const std::int64_t ox = std::int64_t{x} * k, oy = std::int64_t{y} * k;
  if (run == nullptr) {
    // Long texts, and every text on the per-pixel path: glyph by glyph, pixel by pixel.
    const std::int64_t x64 = ox * 64;
    for (std::size_t i = 0; i < units_.size(); ++i) {
      const std::int64_t p = x64 + pos64_[i] * k;
      const std::int64_t ix = p >> 6;  // floor for negative positions too
      const GlyphMask& m = face_->Glyph(units_[i], static_cast<int>(p - ix * 64));
      if (m.w != 0) BlendClipped(image, W, H, ix + m.ox, oy + m.oy, m, src);
    }
    return true;
  }
#if defined(__SSE2__)
  const __m128i ink = Ink16(src);
#if defined(DENDROKIT_GLYPHS_AVX2)
  const bool avx2 = haveAvx2 && blendPath.load(std::memory_order_relaxed) == BlendPath::kFastest;
#endif
  const bool inside = ox + run->left >= 0 && ox + run->right <= W && oy + run->top >= 0 &&
                      oy + run->bottom <= H;
  for (int g = 0; g < run->n; ++g) {
    const GlyphMask& m = *run->mask[g];
    const std::int64_t gx = ox + run->dx[g], gy = oy + m.oy;
    if (!inside && !(gx >= 0 && gx + m.stride <= W && gy >= 0 && gy + m.h <= H))
      BlendClipped(image, W, H, gx, gy, m, src);
#if defined(DENDROKIT_GLYPHS_AVX2)
    else if (avx2)
      BlendInsideAvx2(image.Row(gy) + gx, image.stride, m, src);
#endif
    else
      BlendInside(image.Row(gy) + gx, image.stride, m, ink);
  }
#else
  for (int g = 0; g < run->n; ++g)
    BlendClipped(image, W, H, ox + run->dx[g], oy + run->mask[g]->oy, *run->mask[g], src);
#endif
  return true;
}

// ---- MarkStamps --------------------------------------------------------------------------

const MarkStamps::Stamp& MarkStamps::Get(std::uint8_t type, int penWidth, TPenStyle penStyle,
                                         bool brushSolid, int ratio) {
  const Request request{type, penWidth, penStyle, brushSolid, ratio};
  if (last_ != nullptr && request == lastRequest_) return *last_;
  const std::uint32_t key = (std::uint32_t(ratio & 0xFF) << 24) | (std::uint32_t{type} << 16) |
                            (std::uint32_t{penStyle} << 8) | (std::uint32_t(penWidth & 0x7) << 1) |
                            std::uint32_t{brushSolid};
  auto it = stamps_.find(key);
  if (it == stamps_.end()) {
    Stamp st;
    // Offsets of up to 24 logical pixels must fit the stamp's bytes.
    if (type < 52 && penWidth >= 1 && penWidth <= 7 && ratio >= 1 && ratio <= 5) {
      const int kSize = 48 * ratio, kC = 24 * ratio;
      // Drawn once in a probe pen and brush colour over two backgrounds: a pixel the mark
      // sets reads the same probe colour on both and keeps its role (pen or brush), one it
      // leaves reads as its background, anything else was blended and cannot be stamped.
      // Which pixels a mark covers does not depend on its colours, so one stamp serves all.
      constexpr TColor kPen = 0x3050F0, kBrush = 0x20C040, kBg[2] = {0x000000, 0xFFFFFF};
      QImage img[2];
      for (int k = 0; k < 2; ++k) {
        img[k] = QImage(kSize, kSize, QImage::Format_RGB32);
        img[k].setDevicePixelRatio(ratio);
        img[k].fill(ColorToQColor(kBg[k]));
        TCanvas c(&img[k]);
        c.Pen().SetColor(kPen);
        c.Pen().SetWidth(penWidth);
        c.Pen().SetStyle(penStyle);
        c.Brush().SetColor(kBrush);
        c.Brush().SetStyle(brushSolid ? bsSolid : bsClear);
        DrawMark(c, type, 24, 24);
        c.Release();
      }
      st.ok = true;
      const std::uint32_t pen = ToArgb(kPen), brush = ToArgb(kBrush);
      const std::uint32_t b0 = ToArgb(kBg[0]), b1 = ToArgb(kBg[1]);
      for (int y = 0; y < kSize && st.ok; ++y)
        for (int x = 0; x < kSize; ++x) {
          const std::uint32_t p0 = img[0].pixel(x, y), p1 = img[1].pixel(x, y);
          if (p0 == b0 && p1 == b1) continue;
          const bool edge = x == 0 || y == 0 || x == kSize - 1 || y == kSize - 1;
          if (p0 != p1 || (p0 != pen && p0 != brush) || edge) {
            st.ok = false;
            break;
          }
          st.pixels.push_back({std::int8_t(x - kC), std::int8_t(y - kC), p0 == brush});
        }
    }
    it = stamps_.emplace(key, std::move(st)).first;
  }
  lastRequest_ = request;
  last_ = &it->second;
  return *last_;
}

bool MarkStamps::Draw(const Surface& image, std::uint8_t type, int x, int y, TColor penColor,
                      int penWidth, TPenStyle penStyle, TColor brushColor, bool brushSolid) {
  // Stamps exist for pens up to 7 pixels and ratios up to 5 (their offsets fit a byte);
  // the key holds no more, so anything wider must not reach it.
  if (!image || penWidth < 1 || penWidth > 7 || image.ratio > 5) return false;
  const Stamp& st = Get(type, penWidth, penStyle, brushSolid, image.ratio);
  if (!st.ok) return false;
  if (penColor != lastPen_ || brushColor != lastBrush_ || !colorsReady_) {
    lastPen_ = penColor;
    lastBrush_ = brushColor;
    colors_[0] = ToArgb(penColor);
    colors_[1] = ToArgb(brushColor);
    colorsReady_ = true;
  }
  const std::int64_t k = image.ratio, W = image.w * k, H = image.h * k;
  const std::ptrdiff_t bpl = image.stride;
  std::uint32_t* base = image.bits;
  const bool inside = x >= 24 && y >= 24 && x < image.w - 24 && y < image.h - 24;
  const std::int64_t cx = x * k, cy = y * k;  // image pixels
  for (const Pixel& p : st.pixels) {
    const std::int64_t px = cx + p.dx, py = cy + p.dy;
    if (!inside && (px < 0 || py < 0 || px >= W || py >= H)) continue;
    base[py * bpl + px] = colors_[p.brush];
  }
  return true;
}

// ---- FastLine ----------------------------------------------------------------------------

namespace {

// The canvas's pixel rule for a 1-pixel line (end point excluded): put(x, y) for each of its
// logical pixels inside W x H.
template <class Put>
void LinePixels(std::int64_t W, std::int64_t H, int x0, int y0, int x1, int y1, Put&& put) {
  const std::int64_t dx = std::int64_t{x1} - x0, dy = std::int64_t{y1} - y0;
  const std::int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  const std::int64_t n = std::max(adx, ady);
  if (n == 0) return;
  const bool xMajor = adx >= ady;
  const std::int64_t sMajor = (xMajor ? dx : dy) < 0 ? -1 : 1;
  const std::int64_t sMinor = (xMajor ? dy : dx) < 0 ? -1 : 1;
  const std::int64_t aMinor = xMajor ? ady : adx;
  const std::int64_t major0 = xMajor ? x0 : y0, minor0 = xMajor ? y0 : x0;
  const std::int64_t majorSize = xMajor ? W : H, minorSize = xMajor ? H : W;
  std::int64_t iFirst = 0, iLast = n - 1;
  if (sMajor > 0) {
    iFirst = std::max<std::int64_t>(iFirst, -major0);
    iLast = std::min<std::int64_t>(iLast, majorSize - 1 - major0);
  } else {
    iFirst = std::max<std::int64_t>(iFirst, major0 - (majorSize - 1));
    iLast = std::min<std::int64_t>(iLast, major0);
  }
  if (iFirst > iLast) return;
  // minor offset m(i) = floor((2 i aMinor + n) / (2 n)), stepped incrementally. aMinor <= n,
  // so each step adds 2 aMinor to the remainder and at most one to m (the diagonal: exactly
  // one); only a line clipped at its start needs a division.
  std::int64_t m = 0, rem = n;
  if (iFirst > 0) {
    const std::int64_t num = 2 * iFirst * aMinor + n;
    m = num / (2 * n);
    rem = num - m * 2 * n;
  }
  const std::int64_t stepQ = aMinor == n ? 1 : 0, stepR = aMinor == n ? 0 : 2 * aMinor;
  for (std::int64_t i = iFirst; i <= iLast; ++i) {
    const std::int64_t major = major0 + sMajor * i, minor = minor0 + sMinor * m;
    if (minor >= 0 && minor < minorSize) {
      if (xMajor) put(major, minor);
      else put(minor, major);
    }
    m += stepQ;
    rem += stepR;
    if (rem >= 2 * n) {
      rem -= 2 * n;
      ++m;
    }
  }
}

}  // namespace

void FastLine(const Surface& image, int x0, int y0, int x1, int y1, TColor color) {
  if (!image) return;
  const std::uint32_t argb = ToArgb(color);
  if (image.ratio == 1) {
    const std::int64_t bpl = image.stride;
    std::uint32_t* base = image.bits;
    LinePixels(image.w, image.h, x0, y0, x1, y1,
               [=](std::int64_t x, std::int64_t y) { base[y * bpl + x] = argb; });
  } else {
    LinePixels(image.w, image.h, x0, y0, x1, y1, [&](std::int64_t x, std::int64_t y) {
      FillLogical(image, x, y, x + 1, y + 1, argb);
    });
  }
}

void FastPolyline(const Surface& image, const TPoint* points, std::size_t n, TColor color) {
  if (!image || n < 2) return;
  const std::uint32_t argb = ToArgb(color);
  std::size_t i = 1;
  while (i < n) {
    const TPoint a = points[i - 1];
    if (points[i].X != a.X) {
      FastLine(image, a.X, a.Y, points[i].X, points[i].Y, color);
      ++i;
      continue;
    }
    // Each vertical segment p -> q covers p .. q (q excluded) and starts next to the one
    // before, so the run's pixels are one interval: lo .. hi.
    std::int64_t lo = std::numeric_limits<std::int64_t>::max();
    std::int64_t hi = std::numeric_limits<std::int64_t>::min();
    for (; i < n && points[i].X == a.X; ++i) {
      const std::int64_t p = points[i - 1].Y, q = points[i].Y;
      if (q > p) {
        lo = std::min(lo, p);
        hi = std::max(hi, q - 1);
      } else if (q < p) {
        lo = std::min(lo, q + 1);
        hi = std::max(hi, p);
      }
    }
    if (a.X < 0 || a.X >= image.w) continue;
    lo = std::max<std::int64_t>(lo, 0);
    hi = std::min<std::int64_t>(hi, image.h - 1);
    if (image.ratio != 1) {
      if (lo <= hi) FillLogical(image, a.X, lo, a.X + 1, hi + 1, argb);
      continue;
    }
    std::uint32_t* px = image.bits + a.X;
    for (std::int64_t y = lo; y <= hi; ++y) px[y * image.stride] = argb;
  }
}

}  // namespace dendrokit
