#include <QApplication>
#include <QImage>
#include <QString>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "dendrogram/dendrogram.h"
#include "tools/csv_input.h"
#include "tools/hclust_png.h"

namespace dendrokit::tools {

namespace {

// Enough room per object for a label row, within what an image viewer still opens.
constexpr int kWidth = 900;
constexpr int kRowHeight = 14;
constexpr int kMaxHeight = 16000;

}  // namespace

std::string WritePng(const Picture& picture, const std::string& path) {
  // The tool has no window: draw on the off-screen platform whatever the environment says.
  std::unique_ptr<QApplication> app;
  if (QApplication::instance() == nullptr) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Qt wants a private runtime folder and warns on stderr when it has to pick one itself.
    if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
      const std::string dir = "/tmp/runtime-" + std::to_string(getuid());
      mkdir(dir.c_str(), 0700);
      setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    }
    static int argc = 1;
    static char name[] = "hclust";
    static char* argv[] = {name, nullptr};
    app = std::make_unique<QApplication>(argc, argv);
  }
  const TMatrix& data = *picture.data;
  const int n = data.NrOfRows();
  TDendrogram d;
  d.Font().SetName("DejaVu Sans");
  d.SetOrientation(dirLeftward);
  d.SetMargin(std::min(300, 40 + 7 * static_cast<int>(std::max_element(
      picture.labels->begin(), picture.labels->end(),
      [](const std::string& a, const std::string& b) { return a.size() < b.size(); })->size())));
  d.CrossHair().SetMode(chOff);
  d.SetMarkedObject(0);  // no object is highlighted in a picture
  d.OnCalcDistance = picture.measure;
  d.OnBeforeShowObjLabel = [&](TObject*, int obj, std::string& text, TColor&) {
    if (obj >= 1 && obj <= n) text = (*picture.labels)[static_cast<std::size_t>(obj - 1)];
  };
  d.SetSuppressPaint(true);
  d.SetSuppressRecalc(true);
  d.SetClusterMethod(picture.method);
  d.SetDistMeasure(picture.mode);
  d.SetFlexAlpha(picture.alpha);
  d.Data().Resize(data.NrOfColumns(), n);
  for (int c = 1; c <= data.NrOfColumns(); ++c)
    std::copy(data.Column(c).begin(), data.Column(c).end(), d.Data().DataMatrix().Column(c).begin());
  d.SetSuppressRecalc(false);
  d.SetBounds(0, 0, kWidth, std::clamp(80 + kRowHeight * n, 300, kMaxHeight));
  d.ResetZoom();
  d.SetSuppressPaint(false);
  const QImage& image = d.ShownImage();
  if (!image.save(QString::fromStdString(path), "PNG")) return "cannot write " + Quoted(path);
  return "";
}

}  // namespace dendrokit::tools
