// Given trees and cuts on a 1200 x 800 TDendrogram, medians of several runs:
//   1. SetTree + ResetZoom + the first picture of a random tree of n objects, beside the
//      full repaint of the same tree alone (the picture's share of the work);
//   2. recolouring after a cut (CutIntoClusters with its repaint) against a full repaint in
//      the same run, and the cut's own arithmetic (CutTreeIntoClusters) alone.
//
//   dendrogram_tree [--n 100000] [--repeats 7]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <QApplication>

#include "cluster/tree.h"
#include "dendrogram/dendrogram.h"

using namespace dendrokit;
using Clock = std::chrono::steady_clock;

namespace {

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

template <typename F>
double TimeMs(int repeats, F&& f) {
  f();
  std::vector<double> t;
  for (int i = 0; i < repeats; ++i) {
    const auto a = Clock::now();
    f();
    t.push_back(std::chrono::duration<double, std::milli>(Clock::now() - a).count());
  }
  return Median(t);
}

// Joins two random live clusters per step at growing heights: a bushy tree of depth
// about 2 ln n, as real data give.
TMergeTree RandomTree(int n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<int> live(static_cast<std::size_t>(n));
  for (int k = 1; k <= n; ++k) live[static_cast<std::size_t>(k - 1)] = k;
  TMergeTree t;
  double h = 0.0;
  for (int s = 1; s < n; ++s) {
    auto take = [&] {
      std::uniform_int_distribution<std::size_t> pick(0, live.size() - 1);
      const std::size_t i = pick(rng);
      const int node = live[i];
      live[i] = live.back();
      live.pop_back();
      return node;
    };
    t.First.push_back(take());
    t.Second.push_back(take());
    h += std::uniform_real_distribution<double>(0.0, 1.0)(rng);
    t.Height.push_back(h);
    live.push_back(n + s);
  }
  return t;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  int n = 100000, repeats = 7;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string arg = argv[i];
    if (arg == "--n") n = std::max(2, std::atoi(argv[i + 1]));
    if (arg == "--repeats") repeats = std::max(1, std::atoi(argv[i + 1]));
  }
  const TMergeTree tree = RandomTree(n, 19);
  for (const TDirection dir : {dirLeftward, dirDownward}) {
    TDendrogram d;
    d.SetBounds(0, 0, 1200, 800);
    d.SetOrientation(dir);
    d.show();
    d.SetSuppressPaint(false);
    // One picture for the new tree and its window: the bracket of multi-step changes.
    const double first = TimeMs(repeats, [&] {
      d.SetSuppressPaint(true);
      d.SetTree(tree);
      d.ResetZoom();
      d.SetSuppressPaint(false);
    });
    const double repaint = TimeMs(repeats, [&] { d.Repaint(); });
    int k = 2;
    const double recolour = TimeMs(repeats, [&] { d.CutIntoClusters(k = k % 9 + 2); });
    const double cutOnly = TimeMs(repeats, [&] { (void)CutTreeIntoClusters(tree, 5); });
    // The same repaint with every label blank: what the lines and the rest cost.
    d.OnBeforeShowObjLabel = [](TObject*, int, std::string& text, TColor&) { text.clear(); };
    const double noLabels = TimeMs(repeats, [&] { d.Repaint(); });
    d.OnBeforeShowObjLabel = nullptr;
    std::printf("n %d: full repaint with blank labels %.1f ms\n", n, noLabels);
    std::printf(
        "n %d %s: SetTree + first picture %.1f ms (full repaint alone %.1f ms, ratio %.2f); "
        "cut + recolour %.1f ms = %.2f x full repaint; cut arithmetic %.2f ms = %.3f x\n",
        n, dir == dirLeftward ? "leftward" : "downward", first, repaint, first / repaint,
        recolour, recolour / repaint, cutOnly, cutOnly / repaint);
  }
  return 0;
}
