#include "chart/jointlayers.h"

#include <string>

#include "chart/plotra.h"
#include "gfxbase/errors.h"

namespace dendrokit {

TJointLayers::TJointLayers(TCustomPlotra* owner) : owner_(owner) {
  for (int i = 0; i < kLayers; ++i) x_[i] = y_[i] = i + 1;
}

int TJointLayers::XControlledBy(int layer) const {
  return layer >= 1 && layer <= kLayers ? x_[layer - 1] : 0;
}

int TJointLayers::YControlledBy(int layer) const {
  return layer >= 1 && layer <= kLayers ? y_[layer - 1] : 0;
}

void TJointLayers::SetXControlledBy(int layer, int dest) { SetControlledBy(true, layer, dest); }

void TJointLayers::SetYControlledBy(int layer, int dest) { SetControlledBy(false, layer, dest); }

void TJointLayers::SetControlledBy(bool isX, int layer, int dest) {
  if (layer < 1 || layer > kLayers) return;
  auto& ctl = isX ? x_ : y_;
  if (dest < 1 || dest > kLayers)
    throw EVELPlotraError("Destination layer " + std::to_string(dest) + " is out of range");
  if (dest == layer) {
    ctl[layer - 1] = layer;
    return;
  }
  if (ctl[dest - 1] != dest)
    throw EVELPlotraError("Destination layer " + std::to_string(dest) + " is already joined");
  std::string joined;
  for (int n = 1; n <= kLayers; ++n) {
    if (n == layer || ctl[n - 1] != layer) continue;
    if (!joined.empty()) joined += ", ";
    joined += std::to_string(n);
  }
  if (!joined.empty())
    throw EVELPlotraError("Layer " + std::to_string(layer) + " is joined by other layers (" +
                          joined + ")");
  ctl[layer - 1] = dest;
  // Re-applying the controller's own ranges hands them on to every layer joined to it.
  if (owner_) {
    const TScalePropsHoriz& px = owner_->ScalePropsX(dest);
    const TScalePropsVert& py = owner_->ScalePropsY(dest);
    owner_->ChangeRange(dest, px.RangeLow(), px.RangeHigh(), py.RangeLow(), py.RangeHigh());
  }
  if (OnChange) OnChange(this);
}

void TJointLayers::Assign(const TPersistent* source) {
  const auto* src = dynamic_cast<const TJointLayers*>(source);
  if (!src) {
    TPersistent::Assign(source);
    return;
  }
  x_ = src->x_;
  y_ = src->y_;
}

std::string StripDirectories(const std::string& path) {
  const auto pos = path.find_last_of("/\\");
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

void TBakGndImg::Changed() {
  if (OnChange) OnChange(this);
}

void TBakGndImg::SetName(const std::string& v) {
  name_ = includePath_ ? v : StripDirectories(v);
  Changed();
}

void TBakGndImg::SetIncludePath(bool v) {
  includePath_ = v;
  if (!v) name_ = StripDirectories(name_);
  Changed();
}

void TBakGndImg::SetFillMode(TBkgFill v) {
  if (static_cast<std::size_t>(v) >= EnumCount<TBkgFill>()) return;
  fillMode_ = v;
  Changed();
}

void TBakGndImg::SetAreaMode(TBGAreaMode v) {
  if (static_cast<std::size_t>(v) >= EnumCount<TBGAreaMode>()) return;
  areaMode_ = v;
  Changed();
}

void TBakGndImg::SetAreaColor(TColor v) {
  areaColor_ = v;
  Changed();
}
void TBakGndImg::SetAreaLeft(double v) {
  areaLeft_ = v;
  Changed();
}
void TBakGndImg::SetAreaRight(double v) {
  areaRight_ = v;
  Changed();
}
void TBakGndImg::SetAreaTop(double v) {
  areaTop_ = v;
  Changed();
}
void TBakGndImg::SetAreaBottom(double v) {
  areaBottom_ = v;
  Changed();
}

void TBakGndImg::Assign(const TPersistent* source) {
  const auto* src = dynamic_cast<const TBakGndImg*>(source);
  if (!src) {
    TPersistent::Assign(source);
    return;
  }
  name_ = src->name_;
  includePath_ = src->includePath_;
  fillMode_ = src->fillMode_;
  areaMode_ = src->areaMode_;
  areaColor_ = src->areaColor_;
  areaLeft_ = src->areaLeft_;
  areaRight_ = src->areaRight_;
  areaTop_ = src->areaTop_;
  areaBottom_ = src->areaBottom_;
}

}  // namespace dendrokit
