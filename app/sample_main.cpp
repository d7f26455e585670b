// The sample program: creates the main window and runs the event loop.
//   dendrokit-sample [--screenshot FILE] [--seed S] [--cut K] [--select NODE]
// With --screenshot the window is shown, runs its start-up, is saved as an image to FILE
// and the program ends (exit code 1 if the image cannot be written). --seed fixes the data,
// --cut cuts the tree into K clusters and --select selects the subtree of tree node NODE
// (objects are 1..60, clusters 61..119, the root 119) before the picture is taken.
#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

#include "app/mainfrm.h"
#include "app/sample_main.h"
#include "dendrogram/dendrogram.h"

int RunSample(int argc, char* argv[]) {
  // The window is laid out in pixels: no scaling by the screen's resolution.
  if (!qEnvironmentVariableIsSet("QT_ENABLE_HIGHDPI_SCALING"))
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  QApplication app(argc, argv);
  QString screenshot;
  int seed = 0, cut = 0, select = 0;
  const QStringList args = app.arguments();
  for (int i = 1; i < args.size(); ++i) {
    bool ok = i + 1 < args.size();
    if (ok && args[i] == QLatin1String("--screenshot")) {
      screenshot = args[++i];
    } else if (ok && args[i] == QLatin1String("--seed")) {
      seed = args[++i].toInt(&ok);
      ok = ok && seed > 0;
    } else if (ok && args[i] == QLatin1String("--cut")) {
      cut = args[++i].toInt(&ok);
      ok = ok && cut >= 1;
    } else if (ok && args[i] == QLatin1String("--select")) {
      select = args[++i].toInt(&ok);
      ok = ok && select >= 1;
    } else {
      ok = false;
    }
    if (!ok) {
      std::fprintf(stderr,
                   "usage: dendrokit-sample [--screenshot FILE] [--seed S] [--cut K] "
                   "[--select NODE]\n");
      return 2;
    }
  }

  dendrokit::TForm1 form;
  if (seed > 0) form.SetSeed(static_cast<unsigned>(seed));
  form.show();
  if (screenshot.isEmpty()) return app.exec();

  // Let the start-up's queued work run before the picture is taken.
  QApplication::processEvents();
  if (cut > 0) form.MyDendro->CutIntoClusters(cut);
  if (select > 0) form.MyDendro->SelectSubtree(select);
  QApplication::processEvents();
  if (!form.grab().save(screenshot)) {
    std::fprintf(stderr, "dendrokit-sample: cannot write %s\n", qPrintable(screenshot));
    return 1;
  }
  return 0;
}
