// A finished cluster tree given from outside (another program, a file, another run): its
// checks, the conversions from R's and SciPy's conventions, the drawing positions of its
// nodes, and flat clusters cut from it. Plain functions without Qt, so that tools and tests
// use them headless; TDendrogram::SetTree shows such a tree.
//
// The engine's form: n objects are nodes 1..n; the cluster made by step s (s = 1..n-1) is
// node n+s; step s joins First[s-1] and Second[s-1] at Height[s-1]; the root is 2n-1.
#pragma once

#include "gfxbase/export.h"

#include <span>
#include <vector>

namespace dendrokit {

struct DENDROKIT_EXPORT TMergeTree {
  std::vector<int> First;      // child of step s at index s-1
  std::vector<int> Second;     // the other child of step s
  std::vector<double> Height;  // merge height of step s
  int Objects() const { return static_cast<int>(Height.size()) + 1; }
};

// Throws EVELError naming the first fault unless the three columns form one tree: equal
// lengths (n-1 each, n >= 1), every id of step s in 1..n+s-1 (a step joins objects or
// clusters made before it), every node except the root a child exactly once, heights
// finite and >= 0. Heights need not grow: the inversions of centroid and median linkage
// are drawn as they are.
DENDROKIT_EXPORT void ValidateTree(std::span<const int> first, std::span<const int> second,
                                   std::span<const double> height);

// R's hclust result: `merge` as R stores the (n-1) x 2 matrix, column by column (what
// as.vector(hc$merge) gives: all first entries, then all second entries); -j is object j,
// +j the cluster of row j. The children are stored so that the control draws the leaves
// in R's own order (hc$order). Validates as ValidateTree.
DENDROKIT_EXPORT TMergeTree TreeFromR(std::span<const int> merge, std::span<const double> height);

// SciPy's linkage matrix Z, (n-1) x 4 row by row as NumPy stores it: id1, id2, height,
// size with 0-based ids (cluster n+i made by row i). Ids must be whole numbers and each
// size must match the subtree (0 is accepted as "not given"). The leaves are drawn in the
// order of scipy's dendrogram() without sorting options. Validates as ValidateTree.
DENDROKIT_EXPORT TMergeTree TreeFromScipy(std::span<const double> z);

// Drawing positions of the 2n-1 nodes (index k-1 for node k) as the engine places them:
// the root's children in the order (First, Second), every other cluster's as (Second,
// First); leaves at 1..n, clusters midway between their children. O(n). This and the cuts
// below raise EVELError as ValidateTree for anything that is not a tree.
DENDROKIT_EXPORT std::vector<double> TreeNodePositions(const TMergeTree& t);

// Flat clusters numbered 1..Count by first appearance in object order (as R's cutree
// numbers them). Object[i] is the cluster of object i+1; Node[k-1] that of node k, or 0 for
// a cluster node above the cut (its children lie in different clusters).
struct DENDROKIT_EXPORT TTreeCut {
  std::vector<int> Object;
  std::vector<int> Node;
  int Count = 0;
};
// The clusters after the first n-k merges (k clamped to 1..n).
DENDROKIT_EXPORT TTreeCut CutTreeIntoClusters(const TMergeTree& t, int k);
// The clusters of a cut at height h: a cluster node is cut open when its height exceeds h,
// walking down from the root, so a merge at exactly h is made and tied merges are all made
// or all undone. With growing heights this is R's cutree(h = ); with inversions a node at
// or below h keeps its whole subtree. NaN makes every object a cluster of its own.
DENDROKIT_EXPORT TTreeCut CutTreeAtHeight(const TMergeTree& t, double h);

}  // namespace dendrokit
