// Painting of the chart: surround, scales, chart-area background, items, labels, frame,
// mouse trace and crosshairs.
#include "chart/plotra.h"

namespace dendrokit {

struct TCustomPlotra::PaintState {};

void TCustomPlotra::PaintStateDeleter::operator()(PaintState* p) const { delete p; }

TCustomPlotra::PaintState& TCustomPlotra::Painting() {
  if (!paintState_) paintState_.reset(new PaintState());
  return *paintState_;
}

void TCustomPlotra::Paint() {
  if (PaintSuspended() || Loading() || !Visible()) return;
  const int w = Width(), h = Height();
  controlImage_.SetSize(w, h);
  TCanvas& c = controlImage_.Canvas();
  c.Pen().SetColor(WindColor());
  c.Brush().SetColor(WindColor());
  c.Brush().SetStyle(bsSolid);
  c.FillRect({0, 0, w, h});
  CalcTransformCoefficients();
  for (int axis = 0; axis < 2; ++axis) {
    for (int n = 1; n <= kLayers; ++n) {
      const TScaleProps& p = axis == 0 ? static_cast<const TScaleProps&>(ScalePropsX(n))
                                       : static_cast<const TScaleProps&>(ScalePropsY(n));
      if (!p.Visible()) continue;
      TScale& s = axis == 0 ? ScaleX(n) : ScaleY(n);
      s.SetExternalCanvas(&c, 0, 0);
      s.ForcePaint();
      s.SetExternalCanvas(nullptr, 0, 0);
    }
  }
  if (OnScalesRendered) OnScalesRendered(this, c, 0, 0);
  ResizeChartImage();
  RenderItemsToImage(chartImage_);
  c.Draw(MarginLeft(), MarginTop(), chartImage_);
  Canvas().Draw(0, 0, controlImage_);
}

void TCustomPlotra::DrawChartBackground(TCanvas& canvas, int w, int h) {
  canvas.Pen().SetColor(ChartFrameColor());
  canvas.Brush().SetColor(ChartColor());
  canvas.Brush().SetStyle(bsSolid);
  canvas.FillRect({0, 0, w, h});
}

void TCustomPlotra::RenderItemsToImage(TBitmap& image) {
  DrawChartBackground(image.Canvas(), image.Width(), image.Height());
  RenderItems(image.Canvas());
}

void TCustomPlotra::RenderItems(TCanvas&) {}

void TCustomPlotra::DrawChartAreaToScreen() {
  if (PaintSuspended() || Loading()) return;
  ResizeChartImage();
  RenderItemsToImage(chartImage_);
  Canvas().Draw(MarginLeft(), MarginTop(), chartImage_);
}

}  // namespace dendrokit
