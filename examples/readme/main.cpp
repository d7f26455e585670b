#include <QApplication>
#include <QHBoxLayout>
#include <string>

#include "chart/plotra.h"
#include "dendrogram/dendrogram.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const double objects[][2] = {{1, 2}, {2, 1}, {8, 9}, {9, 7}, {5, 5}, {2, 3}};  // your data
  const int n = 6;
  QWidget window;
  auto* tree = new dendrokit::TDendrogram;
  auto* chart = new dendrokit::TPlotra;
  auto* row = new QHBoxLayout(&window);
  row->addWidget(tree);
  row->addWidget(chart);
  tree->setFont(QFont("DejaVu Sans", 9));  // scalable: leaf labels turn instead of staggering
  tree->SetSuppressRecalc(true);           // fill first, then cluster once
  tree->Data().Resize(2, n);               // 2 variables x n objects, indices from 1
  for (int r = 1; r <= n; ++r) {
    tree->Data().SetElem(1, r, objects[r - 1][0]);
    tree->Data().SetElem(2, r, objects[r - 1][1]);
    chart->AddTextAt(8, std::to_string(r), objects[r - 1][0], objects[r - 1][1]);
  }
  tree->SetSuppressRecalc(false);
  tree->ResetZoom();
  chart->Scale1X().SetRangeHigh(10);
  chart->Scale1Y().SetRangeHigh(10);
  window.resize(900, 500);
  window.show();
  return app.exec();
}
