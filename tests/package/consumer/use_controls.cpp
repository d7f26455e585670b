// The four controls through their installed headers, set up the Qt way.
#include <QApplication>
#include <QColor>
#include <cstdio>

#include "chart/plotra.h"
#include "chart/plotra_geometry.h"
#include "colsel/colsel.h"
#include "dendrogram/dendrogram.h"
#include "gfxbase/canvas.h"
#include "scale/scale.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  using namespace dendrokit;
  TDendrogram tree;
  TPlotra chart;
  TScale scale;
  TColSel colors;
  int zoomed = 0;
  QObject::connect(&tree, &TDendrogram::zoomPanned, [&] { ++zoomed; });
  const bool set = tree.setProperty("colorDendrogram", QColor("steelblue")) &&
                   tree.setProperty("clusterMethod", "cmWard") &&
                   scale.setProperty("rangeHigh", 50.0);
  TBitmap bitmap(10, 10);
  const bool ok = set && tree.ClusterMethod() == cmWard && zoomed >= 0 &&
                  scale.RangeHigh() == 50.0 && ClampPlotraCoord(1e300) > 0 &&
                  bitmap.Width() == 10 && colors.metaObject() != chart.metaObject();
  std::printf("%s\n", ok ? "ok" : "wrong results");
  return ok ? 0 : 1;
}
