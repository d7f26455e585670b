// Entry of the sample program: creates the main window and runs the event loop.
//   dendrokit-sample [--screenshot FILE]
// With --screenshot the window is shown, runs its start-up, is saved as an image to FILE
// and the program ends (exit code 1 if the image cannot be written).
#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

#include "app/mainfrm.h"

int main(int argc, char* argv[]) {
  // The window is laid out in pixels: no scaling by the screen's resolution.
  if (!qEnvironmentVariableIsSet("QT_ENABLE_HIGHDPI_SCALING"))
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  QApplication app(argc, argv);
  QString screenshot;
  const QStringList args = app.arguments();
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--screenshot") && i + 1 < args.size()) {
      screenshot = args[++i];
    } else {
      std::fprintf(stderr, "usage: dendrokit-sample [--screenshot FILE]\n");
      return 2;
    }
  }

  dendrokit::TForm1 form;
  form.show();
  if (screenshot.isEmpty()) return app.exec();

  // Let the start-up's queued work run before the picture is taken.
  QApplication::processEvents();
  if (!form.grab().save(screenshot)) {
    std::fprintf(stderr, "dendrokit-sample: cannot write %s\n", qPrintable(screenshot));
    return 1;
  }
  return 0;
}
