// Shows the dendrogram of 60 random objects (two groups of points in the plane).
//   random_tree [up|down|left|right] [--seed N] [--save picture.png]
// With --save the picture is written and the program ends without showing a window.
#include <cstdlib>
#include <random>
#include <string>

#include <QApplication>
#include <QMainWindow>

#include "dendrogram/dendrogram.h"

using namespace dendrokit;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  TDirection dir = dirLeftward;
  unsigned seed = 1;
  std::string save;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "up") dir = dirUpward;
    else if (a == "down") dir = dirDownward;
    else if (a == "left") dir = dirLeftward;
    else if (a == "right") dir = dirRightward;
    else if (a == "--seed" && i + 1 < argc) seed = static_cast<unsigned>(std::atoi(argv[++i]));
    else if (a == "--save" && i + 1 < argc) save = argv[++i];
  }

  QMainWindow window;
  auto* d = new TDendrogram(&window);
  window.setCentralWidget(d);
  window.resize(700, 520);
  window.setWindowTitle("Dendrogram of 60 random objects");

  d->Font().SetName("DejaVu Sans");
  d->SetOrientation(dir);
  d->SetMargin(40);
  d->SetMarginIsMoveable(true);
  d->SetMouseAction(maPan);
  d->CrossHair().SetMode(chOff);

  std::mt19937 rng(seed);
  std::normal_distribution<double> noise(0.0, 8.0);
  d->SetSuppressRecalc(true);
  d->Data().Resize(2, 60);
  for (int row = 1; row <= 60; ++row) {
    const double cx = row <= 30 ? 30.0 : 70.0;
    d->Data().SetElem(1, row, cx + noise(rng));
    d->Data().SetElem(2, row, cx + noise(rng));
  }
  d->SetSuppressRecalc(false);
  d->ResetZoom();

  if (!save.empty()) {
    d->SetBounds(0, 0, 700, 520);
    d->SetSuppressPaint(false);
    const QImage& img = d->ShownImage();
    if (img.save(QString::fromStdString(save))) return 0;
    qWarning("cannot write %s (%dx%d)", save.c_str(), img.width(), img.height());
    return 1;
  }
  window.show();
  return app.exec();
}
