// Mouse interaction of the chart: pan, zoom, bands, crosshair and label dragging, mouse
// trace, scale dragging and the position report.
#include "chart/plotra.h"

namespace dendrokit {

struct TCustomPlotra::MouseState {};

void TCustomPlotra::MouseStateDeleter::operator()(MouseState* p) const { delete p; }

TCustomPlotra::MouseState& TCustomPlotra::Mouse() {
  if (!mouseState_) mouseState_.reset(new MouseState());
  return *mouseState_;
}

void TCustomPlotra::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomPlotra::MouseMove(TShiftState shift, int x, int y) {
  TCustomControl::MouseMove(shift, x, y);
}

void TCustomPlotra::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseUp(button, shift, x, y);
}

void TCustomPlotra::DblClick() { TCustomControl::DblClick(); }

}  // namespace dendrokit
