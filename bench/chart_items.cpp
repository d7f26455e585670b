// Adding text items to a chart: time per AddTextAt and heap bytes per item for 1,000,000
// short texts, against a plain std::vector<TplChartItem> push_back in the same run; then
// the plotting commands for as many points: AddScatter and AddPolyline in one call each and
// AddMark one by one, as time per point against AddTextAt's per-item time.
// Usage: chart_items [items] [runs]
#include <malloc.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>

#include "chart/plotra.h"

namespace {

using Clock = std::chrono::steady_clock;

std::size_t HeapInUse() {
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
}

// CPU time of this thread (user + system) in ms: what the work costs when other jobs
// share the cores, beside the wall time.
double CpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

long MinorFaults() {
  rusage u{};
  getrusage(RUSAGE_THREAD, &u);
  return u.ru_minflt;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int n = argc > 1 ? std::atoi(argv[1]) : 1000000;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  if (n <= 0 || runs <= 0) return 2;
  std::vector<std::string> texts(1000);
  for (int i = 0; i < 1000; ++i) texts[i] = std::to_string(i + 1);

  std::vector<double> chartMs, vectorMs, chartBytes, vectorBytes, chartCpu, vectorCpu;
  std::vector<double> chartFaults, vectorFaults;
  std::vector<double> scatterMs, polylineMs, markMs, scatterCpu, polylineCpu, markCpu;
  std::vector<dendrokit::TWorldPoint> points(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) points[static_cast<std::size_t>(i)] = {i * 0.5, i * 0.25};
  // Wall and CPU time of f on a fresh chart (destroyed outside the timing).
  auto timeOnChart = [](std::vector<double>& wall, std::vector<double>& cpu, auto&& f) {
    auto chart = std::make_unique<dendrokit::TPlotra>();
    const double c0 = CpuMs();
    const auto t0 = Clock::now();
    f(*chart);
    wall.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    cpu.push_back(CpuMs() - c0);
  };
  for (int r = 0; r < runs; ++r) {
    timeOnChart(scatterMs, scatterCpu,
                [&](dendrokit::TPlotra& c) { c.AddScatter(1, points, 1); });
    timeOnChart(polylineMs, polylineCpu,
                [&](dendrokit::TPlotra& c) { c.AddPolyline(1, points); });
    timeOnChart(markMs, markCpu, [&](dendrokit::TPlotra& c) {
      for (int i = 0; i < n; ++i) c.AddMark(1, i * 0.5, i * 0.25, 1);
    });
    {
      auto chart = std::make_unique<dendrokit::TPlotra>();
      const std::size_t before = HeapInUse();
      const double c0 = CpuMs();
      const long f0 = MinorFaults();
      const auto t0 = Clock::now();
      for (int i = 0; i < n; ++i) chart->AddTextAt(8, texts[i % 1000], i * 0.5, i * 0.25);
      const auto t1 = Clock::now();
      chartCpu.push_back(CpuMs() - c0);
      chartFaults.push_back(static_cast<double>(MinorFaults() - f0));
      chartMs.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
      chartBytes.push_back(static_cast<double>(HeapInUse() - before) / n);
    }
    {
      std::vector<dendrokit::TplChartItem> v;
      const std::size_t before = HeapInUse();
      const double c0 = CpuMs();
      const long f0 = MinorFaults();
      const auto t0 = Clock::now();
      for (int i = 0; i < n; ++i) {
        dendrokit::TplChartItem item;
        item.X = i * 0.5;
        item.Y = i * 0.25;
        item.Kind = dendrokit::ckText;
        item.Size = 8;
        item.ShortText.Assign(texts[i % 1000]);
        v.push_back(item);
      }
      const auto t1 = Clock::now();
      vectorCpu.push_back(CpuMs() - c0);
      vectorFaults.push_back(static_cast<double>(MinorFaults() - f0));
      vectorMs.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
      vectorBytes.push_back(static_cast<double>(HeapInUse() - before) / n);
    }
  }
  const double cm = Median(chartMs), vm = Median(vectorMs);
  std::printf("items %d, runs %d, sizeof(TplChartItem) %zu\n", n, runs,
              sizeof(dendrokit::TplChartItem));
  std::printf("                   wall ms   wall ns/item  cpu ns/item  faults/1000  bytes/item\n");
  std::printf("AddTextAt         %8.1f   %8.1f     %8.1f     %8.1f    %8.1f\n", cm,
              cm * 1e6 / n, Median(chartCpu) * 1e6 / n, Median(chartFaults) * 1e3 / n,
              Median(chartBytes));
  std::printf("vector push_back  %8.1f   %8.1f     %8.1f     %8.1f    %8.1f\n", vm,
              vm * 1e6 / n, Median(vectorCpu) * 1e6 / n, Median(vectorFaults) * 1e3 / n,
              Median(vectorBytes));
  std::printf("time ratio chart/vector %.2f; memory per item / sizeof(record) %.3f\n", cm / vm,
              Median(chartBytes) / sizeof(dendrokit::TplChartItem));
  // Ratios to AddTextAt's per-item time, wall and CPU (the CPU ratio is the steadier one
  // when other jobs share the cores).
  const double cc = Median(chartCpu);
  std::printf("plotting commands   wall ns/point  cpu ns/point  wall ratio  cpu ratio (to AddTextAt)\n");
  struct Row {
    const char* name;
    double wall, cpu;
  };
  for (const Row& row : {Row{"AddScatter (bulk) ", Median(scatterMs), Median(scatterCpu)},
                         Row{"AddPolyline (bulk)", Median(polylineMs), Median(polylineCpu)},
                         Row{"AddMark (each)    ", Median(markMs), Median(markCpu)}})
    std::printf("%s  %8.1f       %8.1f      %6.2f      %6.2f\n", row.name, row.wall * 1e6 / n,
                row.cpu * 1e6 / n, row.wall / cm, row.cpu / cc);

  // What a painted 800 x 600 chart holds beyond its pictures: the embedded scales must not
  // keep images of their own.
  {
    const std::size_t before = HeapInUse();
    auto chart = std::make_unique<dendrokit::TPlotra>();
    chart->SetBounds(0, 0, 800, 600);
    chart->HandleNeeded();
    chart->Repaint();
    const double bytes = static_cast<double>(HeapInUse() - before);
    const double image = 800.0 * 600.0 * 4.0;
    std::printf("painted 800x600 chart: %.2f MB heap = %.2f x one 800x600 image\n", bytes / 1e6,
                bytes / image);
  }
  return 0;
}
