// Times the sample program: from process start to the first complete picture (the real
// program with --screenshot, as whole processes), and single handlers of the window against
// the bare clustering of the same 60 objects, measured in the same run.
//   sample_timing PATH/TO/dendrokit-sample [runs]
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "app/mainfrm.h"
#include "app/radiogroup.h"
#include "cluster/hclust.h"
#include "dendrogram/dendrogram.h"

namespace {

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[v.size() / 2];
}

// Milliseconds of each of `runs` calls of f.
std::vector<double> Time(int runs, const std::function<void(int)>& f) {
  std::vector<double> ms;
  QElapsedTimer timer;
  for (int i = 0; i < runs; ++i) {
    timer.start();
    f(i);
    ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  return ms;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: sample_timing PATH/TO/dendrokit-sample [runs]\n");
    return 2;
  }
  const QString program = QString::fromLocal8Bit(argv[1]);
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;

  QTemporaryDir dir;
  const auto startup = Time(runs, [&](int) {
    QProcess p;
    p.start(program, {QStringLiteral("--screenshot"), dir.filePath(QStringLiteral("s.png"))});
    p.waitForFinished(-1);
  });
  // The same process doing nothing but start Qt and quit: the floor of the figure above.
  const auto floor = Time(runs, [&](int) {
    QProcess p;
    p.start(program, {QStringLiteral("--bad-option")});
    p.waitForFinished(-1);
  });

  dendrokit::TForm1 form;
  form.SetSeed(1);
  form.show();
  QApplication::processEvents();
  const int n = 21 * runs;
  const auto method = Time(n, [&](int i) {
    form.RGClustMeth->SetItemIndex(i % 2 == 0 ? 2 : 0);  // Ward's, single linkage
    form.RGClustMethClick();
    QApplication::processEvents();  // the repaints it scheduled
  });
  const auto orientation = Time(n, [&](int i) {
    form.RGOrientation->SetItemIndex(i % 4);
    form.RGOrientationClick();
    QApplication::processEvents();
  });
  auto& dendro = *form.MyDendro;
  const auto bare = Time(n, [&](int i) {
    dendrokit::TIntMatrix table;
    dendrokit::TVector dist, pos;
    dendrokit::HierarchicalClustering(nullptr, dendro.Data().DataMatrix(), dendrokit::dmEuclid,
                                      i % 2 == 0 ? dendrokit::cmWard : dendrokit::cmSingleLink,
                                      0.5, table, dist, pos, {}, {});
  });

  std::printf("| measurement | median ms | ratio |\n|---|---:|---:|\n");
  std::printf("| process start to first picture saved (%d runs) | %.1f | %.2f |\n", runs,
              Median(startup), Median(startup) / Median(floor));
  std::printf("| process start and quit, no window (floor) | %.1f | 1.00 |\n", Median(floor));
  std::printf("| RGClustMethClick: recluster 60 objects, repaint (%d runs) | %.3f | %.1f |\n", n,
              Median(method), Median(method) / Median(bare));
  std::printf("| RGOrientationClick: re-layout and repaint | %.3f | %.1f |\n", Median(orientation),
              Median(orientation) / Median(bare));
  std::printf("| bare clustering of the same 60 objects (baseline) | %.3f | 1.0 |\n",
              Median(bare));
  return 0;
}
