// The Qt-free libraries through their installed headers: clusters four points.
#include <cstdio>

#include "cluster/hclust.h"
#include "colsel/colorslots.h"
#include "gfxbase/stdcolors.h"
#include "numeric/matrix.h"
#include "numeric/vector.h"
#include "scale/ticks.h"

int main() {
  using namespace dendrokit;
  TMatrix data;
  data.Resize(1, 4);
  const double values[] = {0.0, 1.0, 10.0, 11.0};
  for (int r = 1; r <= 4; ++r) data.SetElem(1, r, values[r - 1]);
  TIntMatrix table;
  TVector dist, pos;
  const int code = HierarchicalClustering(nullptr, data, dmEuclid, cmSingleLink, 0.5, table,
                                          dist, pos, {}, {});
  const NiceTicks ticks = CalcNiceTicks(5, 100.0L, 0.0L);
  TColorSlots slots;
  const bool ok = code == 0 && dist.NrOfElem() == 3 && dist.Elem(1) == 1.0 &&
                  ticks.distance > 0 && slots.NumColors() > 0 && !ColorToText(0).empty();
  std::printf("%s\n", ok ? "ok" : "wrong results");
  return ok ? 0 : 1;
}
