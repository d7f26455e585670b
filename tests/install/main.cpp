// Clusters three numbers through the installed library; prints the two merge heights.
#include <cstdio>

#include "cluster/hclust.h"

int main() {
  dendrokit::TMatrix m;
  m.Resize(1, 3);
  m.SetElem(1, 2, 1.0);
  m.SetElem(1, 3, 5.0);
  dendrokit::TIntMatrix table;
  dendrokit::TVector dist, pos;
  dendrokit::HierarchicalClustering(nullptr, m, dendrokit::dmEuclid, dendrokit::cmSingleLink, 0.5,
                                    table, dist, pos, {}, {});
  std::printf("%g %g\n", dist.Elem(1), dist.Elem(2));
  return dist.Elem(1) == 1.0 && dist.Elem(2) == 4.0 ? 0 : 1;
}
