// The outputs of hclust: a finished tree written as a merge table, as the linkage matrices
// of SciPy and R, as Newick or JSON, as flat clusters, as a leaf order, and its cophenetic
// correlation. Plain functions of the tree, so tests call them without running the tool.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dendrokit::tools {

// A tree of n objects in the engine's numbering: objects 1..n, the cluster of step s is n+s.
struct Tree {
  int n = 0;
  std::vector<int> first, second;  // children of step s at index s-1 (lower slot first)
  std::vector<double> height;      // merge height of step s at index s-1
  std::vector<double> position;    // drawing position of node k at index k-1
  std::vector<std::string> labels; // of objects 1..n
  std::string method, distance;    // names for the outputs that record them
};

// Fills t.position from the merges as the engine places nodes: a depth-first walk with the
// root's children in the order (first, second) and every other cluster's as (second, first);
// leaves at 1..n, clusters midway between their children.
void PlaceNodes(Tree& t);

// The objects from left to right as the dendrogram draws them (1-based ids).
std::vector<int> LeafOrder(const Tree& t);

// R's hclust$order and SciPy's leaves_list of the same tree: depth first, the child with the
// smaller id in the peers' numbering (objects before clusters, earlier clusters first) on the
// left. The two peers number a given tree alike, so one walk serves both.
std::vector<int> PeerOrder(const Tree& t);

// step,node1,node2,node,distance with 17 significant digits (the original format).
std::string FormatTable(const Tree& t);
// SciPy's Z: "id1 id2 height size" per step, 0-based ids, the smaller id first.
std::string FormatScipy(const Tree& t);
// An R expression of class "hclust" (merge, height, order, labels, method, dist.method)
// that R reads with dget() in any locale: strings hold printable ASCII, everything else as
// \u escapes (R refuses raw bidi controls and NUL).
std::string FormatR(const Tree& t);
// Newick with labels and branch lengths (parent height minus child height), children in
// drawing order. Labels are quoted ('') unless they are plain printable text without blanks,
// underscores (read as blanks) or Newick's punctuation.
std::string FormatNewick(const Tree& t);
// {"objects", "method", "distance", "root", "order", "nodes": [{id, label | children,
// height, size}]}; heights that are not finite are null.
std::string FormatJson(const Tree& t);
// position,object,label for every object in drawing order (object: its 1-based data row).
std::string FormatOrder(const Tree& t);

// Flat clusters after the first n-k merges, numbered by first appearance in data order
// (as R's cutree numbers them); result[i] is the cluster of object i+1. k in 1..n.
std::vector<int> CutTree(const Tree& t, int k);
// The k of a cut at height h: objects stay joined by every merge at or below h. Empty when
// the heights are not sorted (no single cut exists then).
std::optional<int> ClustersAtHeight(const Tree& t, double h);
// label,cluster for every object in data order.
std::string FormatClusters(const Tree& t, const std::vector<int>& cluster);

// label then one column per cut, headed by the cut's name (R's colnames of
// cutree); one cut keeps FormatClusters' label,cluster.
std::string FormatClusterTable(const Tree& t, const std::vector<std::string>& heads,
                               const std::vector<std::vector<int>>& clusters);

// Pearson correlation between the cophenetic distances (the height of the merge that joins
// i and j) and dist(i, j) (1-based) over all pairs i < j.
double CopheneticCorrelation(const Tree& t, const std::function<double(int, int)>& dist);

// s as UTF-8 text every reader takes: each ill-formed sequence (its longest valid-looking
// start, as Unicode recommends) and each NUL becomes U+FFFD. The outputs write labels so.
std::string ValidUtf8(std::string_view s);
// Applies ValidUtf8 to the labels; returns how many changed.
int MakeLabelsValidUtf8(Tree& t);

// Why the tree cannot be written (a merge height, or a Newick branch length, that is not
// finite), or "" when it can.
std::string HeightProblem(const Tree& t);

// Shortest text that reads back as the same double.
std::string ShortNumber(double v);

}  // namespace dendrokit::tools
