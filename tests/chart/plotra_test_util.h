// A chart for tests: a given size, layer 1 mapping 0..100 on both axes, painted at once,
// with the annotation list open for items of every kind.
#pragma once

#include <QImage>

#include "chart/plotra.h"

namespace dendrokit::testing {

class TestChart : public TPlotra {
 public:
  TestChart(int w, int h) {
    SetBounds(0, 0, w, h);
    HandleNeeded();
    Scale1X().SetRangeLow(0);
    Scale1X().SetRangeHigh(100);
    Scale1Y().SetRangeLow(0);
    Scale1Y().SetRangeHigh(100);
  }
  TplChartItem& Add(std::uint8_t kind, double x, double y, double x2 = 0, double y2 = 0,
                    TColor color = 0x0000FF) {
    TplChartItem it;
    it.Kind = kind;
    it.X = x;
    it.Y = y;
    it.X2 = x2;
    it.Y2 = y2;
    it.Color = color;
    it.FillColor = 0x00FF00;
    it.LineWidth = 1;
    AnnotationList().Append(it, 1000);
    return AnnotationList()[AnnotationList().Count() - 1];
  }
  // Control pixel of a world point of layer 1.
  TPoint At(double x, double y) const { return WorldToPixel(1, x, y); }
  TColor PixelAt(int x, int y) { return QColorToColor(ShownImage().pixelColor(x, y)); }
  TColor PixelAt(TPoint p) { return PixelAt(p.X, p.Y); }
  int Count(TColor c, const TRect& r) {
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) n += PixelAt(x, y) == c;
    return n;
  }
  using TCustomPlotra::MouseTraceList;
};

}  // namespace dendrokit::testing
