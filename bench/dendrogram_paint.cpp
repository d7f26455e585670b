// Times (thread CPU) a full repaint of a 1200 x 800 TDendrogram for growing trees in every
// orientation, with the whole tree in view and with a tenth of the leaves in view, beside a
// plain baseline in the same run: the same lines with QPainter::drawLine and the same labels
// with QString::number + drawText into a QImage.
//
//   dendrogram_paint [--sizes 1000,10000,100000] [--repeats 7] [--canvas-labels]
//                    [--no-pixel-check]
//
// --canvas-labels adds rows with every label drawn through the canvas (the number atlas
// off), the way the control drew before the atlas, and for n = 10,000 the same comparison
// on a bitmap at pixel ratio 2. After the table, for n = 10,000, each
// orientation's picture is compared pixel by pixel with the one drawn through the canvas:
// plain, zoomed to a tenth, and with class colours, cut line, selection and hover.
//
// Trees up to 20,000 objects are Ward trees; larger ones single linkage (the only rule whose
// memory does not grow with n^2). Data: two uniform columns from a fixed seed.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <time.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "dendrogram/dendrogram.h"
#include "gfxbase/canvas.h"
#include "gfxbase/digitatlas.h"

using namespace dendrokit;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kW = 1200, kH = 800;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// CPU time of this thread: on a shared machine the time the process waits for a core would
// swamp a 5 ms repaint.
double ThreadMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Median of repeated runs after one untimed run (caches of glyphs and laid-out text warm up
// on both sides).
template <typename F>
double TimeMs(int repeats, F&& f) {
  f();
  std::vector<double> t;
  for (int i = 0; i < repeats; ++i) {
    const double a = ThreadMs();
    f();
    t.push_back(ThreadMs() - a);
  }
  return Median(t);
}

// What a straightforward QPainter program draws for the same tree and view: every stem and
// connector with drawLine, every label with QString::number + drawText (rotated through the
// painter's transform where the control rotates them).
void PaintBaseline(QImage& img, const TDendrogram& d) {
  const TDendroGeometry g = d.Geometry();
  const int n = d.MergeTable().NrOfRows() + 1;
  const TIntMatrix& mt = d.MergeTable();
  const TVector& md = d.MergeDist();
  const TVector& pos = d.NodePos();
  QPainter p(&img);
  p.fillRect(0, 0, kW, kH, Qt::white);
  p.setPen(Qt::black);
  QFont font("DejaVu Sans");
  font.setPixelSize(d.Font().Height());
  p.setFont(font);
  const QFontMetrics fm(font);
  const int th = fm.height();
  const TLabelMode mode = LabelModeFor(g.Dir, true, false);
  const int rows = LabelRows(g.M, th);
  auto line = [&](const TLine& l) { p.drawLine(l.A.X, l.A.Y, l.B.X, l.B.Y); };
  auto label = [&](int obj) {
    const QString s = QString::number(obj);
    const int w = fm.horizontalAdvance(s);
    const TPoint at = LabelPos(g, mode, d.ObjToPixel(pos.Elem(obj)), w, th,
                               LabelRow(pos.Elem(obj), rows));
    if (mode == TLabelMode::Rotated) {
      p.save();
      p.translate(at.X, at.Y);
      p.rotate(-90);
      p.drawText(0, fm.ascent(), s);
      p.restore();
    } else {
      p.drawText(at.X, at.Y + fm.ascent(), s);
    }
  };
  for (int s = 1; s < n; ++s) {
    const int a = mt.Elem(1, s), b = mt.Elem(2, s);
    const int dP = d.DistToPixel(md.Elem(mt.Elem(3, s) - n));
    for (const int c : {a, b}) {
      if (c <= n) label(c);
      const double h = c <= n ? 0.0 : md.Elem(c - n);
      line(StemLine(g, d.ObjToPixel(pos.Elem(c)), d.DistToPixel(h), dP));
    }
    line(ConnectorLine(g, dP, d.ObjToPixel(pos.Elem(a)), d.ObjToPixel(pos.Elem(b))));
  }
}

// Pixels in which the picture with number labels from the atlas differs from the one drawn
// through the canvas.
long AtlasDiff(TDendrogram& d) {
  d.Repaint();
  const QImage fast = d.ShownImage().copy();
  TDigitAtlas::SetEnabled(false);
  d.Repaint();
  const QImage& slow = d.ShownImage();
  long diff = 0;
  for (int y = 0; y < slow.height(); ++y) {
    const auto* a = reinterpret_cast<const QRgb*>(fast.constScanLine(y));
    const auto* b = reinterpret_cast<const QRgb*>(slow.constScanLine(y));
    for (int x = 0; x < slow.width(); ++x) diff += a[x] != b[x];
  }
  TDigitAtlas::SetEnabled(true);
  return diff;
}

void ComparePixels(TDendrogram& d, int n, std::vector<std::string>& out) {
  for (const TDirection dir : {dirUpward, dirDownward, dirLeftward, dirRightward}) {
    d.SetSuppressPaint(true);
    d.SetOrientation(dir);
    d.ResetZoom();
    d.ClearCut();
    d.ClearSelection();
    d.SetShowClassColors(false);
    d.SetMouseAction(maNone);
    d.SetSuppressPaint(false);
    const std::string name(EnumToName(dir));
    auto report = [&](const char* what, long diff) {
      char line[200];
      std::snprintf(line, sizeof line, "pixels n = %d, %s, %s: %s (%ld of %d differ)", n,
                    name.c_str(), what, diff ? "DIFFER" : "identical", diff, kW * kH);
      out.push_back(line);
    };
    report("all", AtlasDiff(d));
    const double c = 0.5 * (d.ObjLow() + d.ObjHigh());
    d.SetRange(c - n / 20.0, c + n / 20.0, d.DistLow(), d.DistHigh());
    report("tenth", AtlasDiff(d));
    d.ResetZoom();
    d.CutIntoClusters(8);  // class colours and the cut line
    const int sel = 2 * n - 12;
    d.SelectSubtree(sel);
    d.SetMouseAction(maSelectSubtree);
    const int hov = 2 * n - 9;
    const int po = d.ObjToPixel(d.NodePos().Elem(hov));
    const int pd = d.DistToPixel(d.MergeDist().Elem(hov - n));
    const bool objX = ObjectAxisIsX(dir);
    d.MouseMove(0, objX ? po : pd, objX ? pd : po);
    report(d.HoverNode() != 0 && d.HoverNode() != sel ? "classes, cut, selection, hover"
                                                     : "classes, cut, selection (no hover)",
           AtlasDiff(d));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::vector<int> sizes{1000, 10000, 100000};
  int repeats = 7;
  bool canvasRows = false, pixelCheck = true;
  std::vector<std::string> pixelRows;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--canvas-labels") {
      canvasRows = true;
      continue;
    }
    if (a == "--no-pixel-check") {
      pixelCheck = false;
      continue;
    }
    if (i + 1 >= argc) break;
    if (a == "--sizes") {
      sizes.clear();
      std::stringstream ss(argv[i + 1]);
      for (std::string part; std::getline(ss, part, ',');) sizes.push_back(std::stoi(part));
    } else if (a == "--repeats") {
      repeats = std::max(1, std::atoi(argv[i + 1]));
    }
    ++i;
  }

  std::printf("| n | orientation | view | control ms | baseline ms | ratio |\n");
  std::printf("|---:|---|---|---:|---:|---:|\n");
  for (const int n : sizes) {
    TDendrogram d;
    d.SetBounds(0, 0, kW, kH);
    d.Font().SetName("DejaVu Sans");
    d.Font().SetSize(8);
    d.SetMargin(60);
    d.CrossHair().SetMode(chOff);
    d.SetClusterMethod(n <= 20000 ? cmWard : cmSingleLink);
    std::mt19937_64 rng(20261207);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    d.SetSuppressRecalc(true);
    d.Data().Resize(2, n);
    for (int c = 1; c <= 2; ++c)
      for (double& v : d.Data().DataMatrix().Column(c)) v = u(rng);
    const auto t0 = Clock::now();
    d.SetSuppressRecalc(false);
    const double clusterS = std::chrono::duration<double>(Clock::now() - t0).count();
    std::fprintf(stderr, "n = %d: clustered in %.2f s\n", n, clusterS);

    QImage base(kW, kH, QImage::Format_RGB32);
    for (const TDirection dir : {dirUpward, dirDownward, dirLeftward, dirRightward}) {
      d.SetSuppressPaint(true);
      d.SetOrientation(dir);
      d.ResetZoom();
      for (const bool tenth : {false, true}) {
        if (tenth) {
          const double c = 0.5 * (d.ObjLow() + d.ObjHigh());
          d.SetRange(c - n / 20.0, c + n / 20.0, d.DistLow(), d.DistHigh());
        }
        d.SetSuppressPaint(false);
        const double ctl = TimeMs(repeats, [&] { d.Repaint(); });
        const double bl = TimeMs(repeats, [&] { PaintBaseline(base, d); });
        double old = 0.0;
        if (canvasRows && !tenth) {
          TDigitAtlas::SetEnabled(false);
          old = TimeMs(repeats, [&] { d.Repaint(); });
          TDigitAtlas::SetEnabled(true);
        }
        d.SetSuppressPaint(true);
        std::printf("| %d | %s | %s | %.2f | %.2f | %.2f |\n", n,
                    std::string(EnumToName(dir)).c_str(), tenth ? "tenth" : "all", ctl, bl,
                    ctl / bl);
        if (old > 0.0)
          std::printf("| %d | %s | all, canvas labels | %.2f | %.2f | %.2f |\n", n,
                      std::string(EnumToName(dir)).c_str(), old, bl, old / bl);
        std::fflush(stdout);
      }
    }
    if (n == 10000 && canvasRows) {
      // The full view upward on a 2x bitmap (a 2x screen's picture), atlas on and off.
      d.SetSuppressPaint(true);
      d.SetOrientation(dirUpward);
      d.ResetZoom();
      TBitmap twice(kW, kH, 2);
      const double on = TimeMs(repeats, [&] { d.RenderTo(twice.Canvas(), {}); });
      TDigitAtlas::SetEnabled(false);
      const double off = TimeMs(repeats, [&] { d.RenderTo(twice.Canvas(), {}); });
      TDigitAtlas::SetEnabled(true);
      char line[200];
      std::snprintf(line, sizeof line,
                    "ratio 2, n = %d, dirUpward, all: %.2f ms, labels through the canvas "
                    "%.2f ms (%.2f)",
                    n, on, off, on / off);
      pixelRows.push_back(line);
    }
    if (n == 10000 && pixelCheck) ComparePixels(d, n, pixelRows);
  }
  if (!pixelRows.empty()) std::printf("\n");
  for (const std::string& row : pixelRows) std::printf("%s\n", row.c_str());
  return 0;
}
