// A dendrogram over objects on a line (one variable), clustered by single linkage.
#pragma once

#include <memory>
#include <vector>

#include "dendrogram/dendrogram.h"

namespace dendrokit {

inline void FillObjects(TDendrogram& d, const std::vector<double>& xs) {
  d.SetSuppressRecalc(true);
  d.Data().Resize(1, static_cast<int>(xs.size()));
  for (std::size_t i = 0; i < xs.size(); ++i) d.Data().SetElem(1, int(i) + 1, xs[i]);
  d.SetSuppressRecalc(false);
}

// Objects at 0, 1, 5, 6 merge at distances 1, 1 and 4.
inline std::unique_ptr<TDendrogram> MakeDendrogram(TDirection dir, int w = 400, int h = 300,
                                                   std::vector<double> xs = {0, 1, 5, 6}) {
  auto d = std::make_unique<TDendrogram>();
  d->SetBounds(0, 0, w, h);
  d->SetOrientation(dir);
  d->SetClusterMethod(cmSingleLink);
  FillObjects(*d, xs);
  d->ResetZoom();
  d->SetSuppressPaint(false);
  return d;
}

inline TColor PixelAt(TDendrogram& d, int x, int y) {
  return QColorToColor(d.ShownImage().pixelColor(x, y));
}

}  // namespace dendrokit
