// Pictures of big trees: SaveImage of a 1200 x 800 TDendrogram as SVG and PDF for growing
// trees given through SetTree (nothing is clustered), beside the PNG of the same control in
// the same run as the baseline. Prints medians and the file sizes.
//
//   export_bench [--sizes 10000,100000] [--repeats 3]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QFileInfo>

#include "dendrogram/dendrogram.h"

using namespace dendrokit;
using Clock = std::chrono::steady_clock;

namespace {

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// A random binary tree of n objects with increasing heights.
void RandomTree(int n, std::vector<int>& first, std::vector<int>& second,
                std::vector<double>& height) {
  std::mt19937 rng(42);
  std::vector<int> active(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) active[static_cast<std::size_t>(i)] = i + 1;
  for (int s = 1; s < n; ++s) {
    auto take = [&] {
      std::uniform_int_distribution<std::size_t> pick(0, active.size() - 1);
      const std::size_t i = pick(rng);
      const int node = active[i];
      active[i] = active.back();
      active.pop_back();
      return node;
    };
    const int a = take(), b = take();
    first.push_back(std::min(a, b));
    second.push_back(std::max(a, b));
    height.push_back(s);
    active.push_back(n + s);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes{10000, 100000};
  int repeats = 3;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i];
    if (a == "--repeats") repeats = std::max(1, std::atoi(argv[i + 1]));
    if (a == "--sizes") {
      sizes.clear();
      std::stringstream ss(argv[i + 1]);
      for (std::string t; std::getline(ss, t, ',');) sizes.push_back(std::atoi(t.c_str()));
    }
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  std::printf("%8s %7s %10s %12s %8s\n", "n", "format", "median ms", "bytes", "vs png");
  for (const int n : sizes) {
    std::vector<int> first, second;
    std::vector<double> height;
    RandomTree(n, first, second, height);
    TDendrogram d;
    d.SetBounds(0, 0, 1200, 800);
    d.SetSuppressPaint(true);
    d.SetTree(first, second, height);
    d.ResetZoom();
    double png = 0.0;
    for (const char* ext : {"png", "svg", "pdf"}) {
      const std::string path = "/tmp/export_bench." + std::string(ext);
      std::vector<double> ms;
      for (int r = 0; r < repeats; ++r) {
        const auto t0 = Clock::now();
        d.SaveImage(path);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
      }
      const double m = Median(ms);
      if (std::string(ext) == "png") png = m;
      std::printf("%8d %7s %10.1f %12lld %8.2f\n", n, ext, m,
                  static_cast<long long>(QFileInfo(QString::fromStdString(path)).size()), m / png);
      std::remove(path.c_str());
    }
  }
  return 0;
}
