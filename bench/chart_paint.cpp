// Full repaints of an 800 x 600 chart holding 100,000 items of each family, and beside each,
// measured in the same run, the plain QPainter way of drawing the same things into an
// 800 x 600 image. Prints medians of several runs and the ratios.
// The chart-area rows at ratio 2 compare the area alone (no scales) with the same QPainter
// calls on a 1600 x 1200 image of pixel ratio 2, and give the area's cost at 1x beside it.
//   build-release/bench/chart_paint [runs]
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStaticText>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "chart/plotra.h"
#include "chart/plotra_fastdraw.h"

namespace {

using namespace dendrokit;
constexpr int kItems = 100000;

class BenchChart : public TPlotra {
 public:
  BenchChart() {
    SetBounds(0, 0, 800, 600);
    HandleNeeded();
    Scale1X().SetRangeLow(0);
    Scale1X().SetRangeHigh(1000);
    Scale1Y().SetRangeLow(0);
    Scale1Y().SetRangeHigh(1000);
    TextFont().SetName("DejaVu Sans");
  }
  void Add(std::uint8_t kind, double x, double y, int alignment = 0) {
    TplChartItem it;
    it.Kind = kind;
    it.X = x;
    it.Y = y;
    it.Color = 0x800000;
    it.LineWidth = 1;
    it.Alignment = alignment;
    AnnotationList().Append(it, 100000);
  }
  void Draw() { Repaint(); }
  // The chart area alone, as a paint renders it, into an image of the bitmap's pixel ratio.
  void DrawArea(TBitmap& image) { RenderItemsToImage(image); }
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double ThreadCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Median CPU time of the thread over the runs: on a shared machine the wall time also holds
// the time other processes had the core. The median wall time goes to *wall.
double TimeMs(int runs, const std::function<void()>& f, double* wall = nullptr) {
  f();  // warm caches
  std::vector<double> cpu, w;
  for (int i = 0; i < runs; ++i) {
    const auto a = std::chrono::steady_clock::now();
    const double c = ThreadCpuMs();
    f();
    cpu.push_back(ThreadCpuMs() - c);
    w.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - a).count());
  }
  if (wall) *wall = Median(w);
  return Median(cpu);
}

struct Pt {
  double x, y;
};

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  // A second argument "texts", "marks" or "poly" times only that chart (for profiling).
  const std::string only = argc > 2 ? argv[2] : "";
  std::mt19937 rng(12345);
  std::uniform_real_distribution<double> u(0, 1000);
  std::vector<Pt> pts(kItems);
  for (auto& p : pts) p = {u(rng), u(rng)};

  QImage plain(800, 600, QImage::Format_RGB32);
  auto pixel = [](BenchChart& c, const Pt& p) { return c.WorldToPixel(1, p.x, p.y); };

  std::printf("median thread CPU time of %d runs (wall time of the chart in brackets)\n", runs);
  std::printf("%-34s %18s %12s %7s\n", "chart holding", "chart ms", "QPainter ms", "ratio");
  double wall = 0;
  auto row = [&](const char* what, double chart, double base) {
    std::printf("%-34s %8.2f (%7.2f) %12.2f %7.3f\n", what, chart, wall, base, chart / base);
  };

  auto want = [&](const char* what) { return only.empty() || only == what; };

  // The chart area on a screen of pixel ratio 2 (a 1600 x 1200 image for 800 x 600 logical
  // pixels) against the same QPainter calls on such an image, and against the area at 1x.
  QImage plain2(1600, 1200, QImage::Format_RGB32);
  plain2.setDevicePixelRatio(2);
  auto atRatio2 = [&](const char* family, BenchChart& chart,
                      const std::function<void(QImage&)>& base) {
    const TRect a = chart.ChartArea();
    TBitmap one(a.Right - a.Left, a.Bottom - a.Top, 1), two(a.Right - a.Left, a.Bottom - a.Top, 2);
    const double t1 = TimeMs(runs, [&] { chart.DrawArea(one); });
    const double t2 = TimeMs(runs, [&] { chart.DrawArea(two); }, &wall);
    const double tBase = TimeMs(runs, [&] { base(plain2); });
    row((std::string(family) + " at 2x vs QPainter at 2x").c_str(), t2, tBase);
    row((std::string(family) + " area at 2x vs at 1x").c_str(), t2, t1);
  };
  double tText = 0, tDrawText = 0, tStatic = 0, tMarks = 0, tMarkLines = 0, tPoly = 0, tBatches = 0;
  std::vector<QPoint> textAt(kItems);
  QFont font;

  // Texts: kind 7, short numbers, 8 pt.
  if (want("texts")) {
  BenchChart texts;
  for (int i = 0; i < kItems; ++i) texts.AddTextAt(8, std::to_string(i % 1000), pts[i].x, pts[i].y);
  font = [&] {
    TFont f;
    f.Assign(&texts.TextFont());
    f.SetSize(8);
    return f.QtFont();
  }();
  std::vector<QString> strings(kItems);
  for (int i = 0; i < kItems; ++i) {
    strings[i] = QString::number(i % 1000);
    textAt[i] = QPoint(pixel(texts, pts[i]).X, pixel(texts, pts[i]).Y);
  }
  tText = TimeMs(runs, [&] { texts.Draw(); }, &wall);
  if (only == "texts") return std::printf("chart %.2f ms\n", tText) < 0;
  auto drawTexts = [&](QImage& img) {
    img.fill(Qt::white);
    QPainter p(&img);
    p.setFont(font);
    p.setPen(Qt::darkBlue);
    for (int i = 0; i < kItems; ++i) p.drawText(textAt[i], strings[i]);
  };
  tDrawText = TimeMs(runs, [&] { drawTexts(plain); });
  std::vector<QStaticText> statics(1000);
  for (int i = 0; i < 1000; ++i) statics[i] = QStaticText(QString::number(i));
  tStatic = TimeMs(runs, [&] {
    plain.fill(Qt::white);
    QPainter p(&plain);
    p.setFont(font);
    p.setPen(Qt::darkBlue);
    for (int i = 0; i < kItems; ++i) p.drawStaticText(textAt[i], statics[i % 1000]);
  });
  row("100,000 texts vs drawText", tText, tDrawText);
  row("100,000 texts vs QStaticText", tText, tStatic);
  if (only.empty()) atRatio2("texts", texts, drawTexts);
  // Identical pixels: the kept runs and the wide blend against laying out each text afresh
  // and blending pixel by pixel, on the whole chart and on the area at ratio 2.
  {
    auto shown = [&](bool plain) {
      GlyphCache::SetBlendPath(plain ? GlyphCache::BlendPath::kPerPixel
                                     : GlyphCache::BlendPath::kFastest);
      texts.Draw();
      GlyphCache::SetBlendPath(GlyphCache::BlendPath::kFastest);
      return texts.ShownImage().copy();
    };
    auto area2 = [&](bool plain) {
      const TRect a = texts.ChartArea();
      TBitmap two(a.Right - a.Left, a.Bottom - a.Top, 2);
      GlyphCache::SetBlendPath(plain ? GlyphCache::BlendPath::kPerPixel
                                     : GlyphCache::BlendPath::kFastest);
      texts.DrawArea(two);
      GlyphCache::SetBlendPath(GlyphCache::BlendPath::kFastest);
      return two.Image().copy();
    };
    auto differ = [](const QImage& a, const QImage& b) {
      long n = 0;
      for (int yy = 0; yy < a.height(); ++yy)
        for (int xx = 0; xx < a.width(); ++xx) n += a.pixel(xx, yy) != b.pixel(xx, yy);
      return n;
    };
    const long d1 = differ(shown(true), shown(false)), d2 = differ(area2(true), area2(false));
    std::printf("%-34s %s (%ld pixels differ)\n", "text pixels per glyph",
                d1 ? "DIFFER" : "identical", d1);
    std::printf("%-34s %s (%ld pixels differ)\n", "text pixels at ratio 2",
                d2 ? "DIFFER" : "identical", d2);
  }
  }

  // Marks: kind 1, a 7 x 7 plus each.
  if (want("marks")) {
  BenchChart marks;
  for (int i = 0; i < kItems; ++i) marks.Add(ckMark, pts[i].x, pts[i].y, 3);
  std::vector<QPoint> markAt(kItems);
  for (int i = 0; i < kItems; ++i) markAt[i] = QPoint(pixel(marks, pts[i]).X, pixel(marks, pts[i]).Y);
  tMarks = TimeMs(runs, [&] { marks.Draw(); }, &wall);
  if (only == "marks") return std::printf("chart %.2f ms\n", tMarks) < 0;
  auto drawMarks = [&](QImage& img) {
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(Qt::darkBlue);
    for (const QPoint& m : markAt) {
      p.drawLine(m.x() - 3, m.y(), m.x() + 3, m.y());
      p.drawLine(m.x(), m.y() - 3, m.x(), m.y() + 3);
    }
  };
  tMarkLines = TimeMs(runs, [&] { drawMarks(plain); });
  row("100,000 marks vs 2 drawLine each", tMarks, tMarkLines);
  if (only.empty()) atRatio2("marks", marks, drawMarks);
  }

  // Polyline: one move-to and 99,999 draw-to items.
  std::vector<Pt> walk(kItems);
  double y = 500;
  for (int i = 0; i < kItems; ++i) {
    y = std::clamp(y + (u(rng) - 500) / 50, 0.0, 1000.0);
    walk[i] = {i * 1000.0 / kItems, y};
  }
  if (want("poly")) {
  BenchChart poly;
  for (int i = 0; i < kItems; ++i) poly.Add(i == 0 ? ckMoveTo : ckDrawTo, walk[i].x, walk[i].y);
  std::vector<QPoint> polyAt(kItems);
  for (int i = 0; i < kItems; ++i) polyAt[i] = QPoint(pixel(poly, walk[i]).X, pixel(poly, walk[i]).Y);
  tPoly = TimeMs(runs, [&] { poly.Draw(); }, &wall);
  if (only == "poly") return std::printf("chart %.2f ms\n", tPoly) < 0;
  auto drawPoly = [&](QImage& img) {
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(Qt::darkBlue);
    for (int s = 0; s + 1 < kItems; s += 199)
      p.drawPolyline(polyAt.data() + s, std::min(200, kItems - s));
  };
  tBatches = TimeMs(runs, [&] { drawPoly(plain); });
  row("100,000-point polyline vs batches", tPoly, tBatches);
  if (only.empty()) atRatio2("polyline", poly, drawPoly);
  // Identical pixels: the chart's polyline against one canvas LineTo per segment.
  {
    const TRect a = poly.ChartArea();
    QImage ref(a.Right - a.Left, a.Bottom - a.Top, QImage::Format_RGB32);
    ref.fill(Qt::white);
    TCanvas rc(&ref);
    rc.Pen().SetColor(0x800000);
    rc.MoveTo(polyAt[0].x() - a.Left, polyAt[0].y() - a.Top);
    for (int i = 1; i < kItems; ++i) rc.LineTo(polyAt[i].x() - a.Left, polyAt[i].y() - a.Top);
    rc.Release();
    long diff = 0;
    const QImage& shown = poly.ShownImage();
    for (int yy = 1; yy < ref.height() - 1; ++yy)
      for (int xx = 1; xx < ref.width() - 1; ++xx)
        diff += ref.pixel(xx, yy) != shown.pixel(xx + a.Left, yy + a.Top);
    std::printf("%-34s %s (%ld pixels differ)\n", "polyline pixels per segment", diff ? "DIFFER" : "identical", diff);
  }
  // The same at ratio 2: the chart area against LineTo per segment on a 2x canvas.
  {
    const TRect a = poly.ChartArea();
    TBitmap area(a.Right - a.Left, a.Bottom - a.Top, 2), ref(area.Width(), area.Height(), 2);
    poly.DrawArea(area);
    TCanvas& rc = ref.Canvas();
    rc.Pen().SetColor(0x800000);
    rc.MoveTo(polyAt[0].x() - a.Left, polyAt[0].y() - a.Top);
    for (int i = 1; i < kItems; ++i) rc.LineTo(polyAt[i].x() - a.Left, polyAt[i].y() - a.Top);
    rc.Release();
    long diff = 0;
    const QImage& got = area.Image();
    const QImage& want = ref.Image();
    for (int yy = 2; yy < want.height() - 2; ++yy)  // inside the frame
      for (int xx = 2; xx < want.width() - 2; ++xx) diff += want.pixel(xx, yy) != got.pixel(xx, yy);
    std::printf("%-34s %s (%ld pixels differ)\n", "polyline pixels at ratio 2",
                diff ? "DIFFER" : "identical", diff);
  }
  }
  if (!only.empty()) return 0;

  // Mixed: all three families in one chart.
  BenchChart mixed;
  for (int i = 0; i < kItems; ++i) mixed.AddTextAt(8, std::to_string(i % 1000), pts[i].x, pts[i].y);
  for (int i = 0; i < kItems; ++i) mixed.Add(ckMark, pts[i].x, pts[i].y, 3);
  for (int i = 0; i < kItems; ++i) mixed.Add(i == 0 ? ckMoveTo : ckDrawTo, walk[i].x, walk[i].y);
  const double tMixed = TimeMs(runs, [&] { mixed.Draw(); }, &wall);
  row("300,000 mixed vs sum of the three", tMixed, tDrawText + tMarkLines + tBatches);

  // The sample's chart: 60 numbered texts.
  BenchChart sample;
  for (int i = 1; i <= 60; ++i) sample.AddTextAt(8, std::to_string(i), pts[i].x, pts[i].y);
  const double tSample = TimeMs(runs * 5, [&] { sample.Draw(); }, &wall);
  const double tSampleText = TimeMs(runs * 5, [&] {
    plain.fill(Qt::white);
    QPainter p(&plain);
    p.setFont(font);
    for (int i = 1; i <= 60; ++i) p.drawText(textAt[i], QString::number(i));
  });
  row("sample chart (60 texts)", tSample, tSampleText);
  return 0;
}
