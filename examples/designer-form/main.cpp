// A window designed in Qt Designer (form.ui): uic turns the form into Ui::TreeForm, which
// creates the controls with the properties set there; the program fills in the data.
#include <QApplication>
#include <QString>
#include <cmath>
#include <string>

#include "ui_form.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  Ui::TreeForm ui;
  ui.setupUi(&window);

  const int n = 20;  // two groups of points on two circles
  ui.tree->SetSuppressRecalc(true);
  ui.tree->Data().Resize(2, n);
  for (int r = 1; r <= n; ++r) {
    const double radius = r <= n / 2 ? 2.0 : 6.0, angle = r * 0.7;
    const double x = 10 + radius * std::cos(angle), y = 10 + radius * std::sin(angle);
    ui.tree->Data().SetElem(1, r, x);
    ui.tree->Data().SetElem(2, r, y);
    ui.chart->AddTextAt(8, std::to_string(r), x, y);
  }
  ui.tree->SetSuppressRecalc(false);
  ui.tree->ResetZoom();
  ui.chart->Scale1X().SetRangeHigh(20);
  ui.chart->Scale1Y().SetRangeHigh(20);

  // Qt signals beside the component events: the label follows the view window.
  QObject::connect(ui.tree, &dendrokit::TDendrogram::windowChanged, ui.status, [&] {
    ui.status->setText(
        QString("Distances %1 to %2").arg(ui.tree->DistLow()).arg(ui.tree->DistHigh()));
  });
  window.show();
  return app.exec();
}
