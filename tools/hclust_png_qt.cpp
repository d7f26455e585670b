#include <QApplication>
#include <QImage>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "dendrogram/dendrogram.h"
#include "gfxbase/errors.h"
#include "gfxbase/imageexport.h"
#include "gfxbase/safefile.h"
#include "tools/hclust_png.h"

namespace dendrokit::tools {

namespace {

// Enough room per object for a label row, within what an image viewer still opens.
constexpr int kLength = 900;
constexpr int kRowHeight = 14;
constexpr int kMaxHeight = 16000;
constexpr int kTitleBand = 28;

// Qt reports some failures (an image it could not allocate) on its message channel; the
// tool says one line of its own instead, so they are kept from stderr while drawing.
class QuietQt {
 public:
  QuietQt() : old_(qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {})) {}
  ~QuietQt() { qInstallMessageHandler(old_); }

 private:
  QtMessageHandler old_;
};

void EnsureApplication(std::unique_ptr<QApplication>& app) {
  if (QApplication::instance() != nullptr) return;
  // The tool has no window: draw on the off-screen platform whatever the environment says.
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

std::string Draw(const Picture& picture, const PictureOptions& o) {
  const Tree& tree = *picture.tree;
  const int n = tree.n;
  TDendrogram d;
  d.Font().SetName("DejaVu Sans");
  d.SetSuppressPaint(true);
  const TDirection dir = o.orientation == 'r'   ? dirRightward
                         : o.orientation == 't' ? dirUpward
                         : o.orientation == 'b' ? dirDownward
                                                : dirLeftward;
  d.SetOrientation(dir);
  d.CrossHair().SetMode(chOff);
  // Pictures go on paper and slides: white throughout.
  d.SetColorDendrogramBackGnd(0xFFFFFF);
  d.SetColorLabelsBG(0xFFFFFF);
  d.SetColorEmptyArea(0xFFFFFF);
  d.SetMarkedObject(0);  // no object is highlighted in a picture
  QStringList labels;
  labels.reserve(n);
  int longest = 0;
  {
    QImage probe(1, 1, QImage::Format_RGB32);
    TCanvas measure(&probe);
    measure.Font().Assign(&d.Font());
    for (const std::string& l : tree.labels) {
      labels.append(QString::fromStdString(l));
      if (o.labels) longest = std::max(longest, measure.TextWidth(l));
    }
  }
  d.SetTree(tree.first, tree.second, tree.height, labels);
  if (!o.labels)
    d.OnBeforeShowObjLabel = [](TObject*, int, std::string& text, TColor&) { text.clear(); };
  d.SetMargin(o.labels ? std::min(200, longest + 12) : 6);
  const bool vertical = dir == dirLeftward || dir == dirRightward;
  const int along = std::clamp(80 + kRowHeight * n, 300, kMaxHeight);
  int w = o.width > 0 ? o.width : (vertical ? kLength : along);
  int h = o.height > 0 ? o.height : (vertical ? along : kLength * 2 / 3);
  const int title = o.title.empty() ? 0 : kTitleBand;
  h = std::max(h - title, 50);
  d.SetBounds(0, 0, w, h);
  d.ResetZoom();
  // The control's cut: clusters in colours, the dashed cut line.
  if (picture.cutK > 0)
    d.CutIntoClusters(picture.cutK);
  else if (!std::isnan(picture.cutHeight))
    d.CutAtHeight(picture.cutHeight);

  TImageOptions io;
  io.PixelRatio = o.pixelRatio;
  io.Title = o.title.empty() ? "Dendrogram" : o.title;
  auto render = [&](TCanvas& c) {
    if (title > 0) {
      c.Brush().SetColor(0xFFFFFF);
      c.Brush().SetStyle(bsSolid);
      c.FillRect({0, 0, w, title});
      c.Font().Assign(&d.Font());
      c.Font().SetHeight(16);
      c.Font().SetStyle(fsBold);
      c.Font().SetColor(0);
      c.Brush().SetStyle(bsClear);
      c.TextOut(std::max(4, (w - c.TextWidth(o.title)) / 2), (title - c.TextHeight(o.title)) / 2,
                o.title);
    }
    d.RenderAt(c, 0, title, io);
  };
  TImageFormat format = ifPng;
  if (o.format == "svg") format = ifSvg;
  else if (o.format == "pdf") format = ifPdf;
  else if (o.format.empty()) format = ImageFormatOf(o.path);
  TSafeFile file(o.path);
  QByteArray bytes;
  try {
    bytes = RenderImage(format, w, h + title, io, render);
  } catch (const std::bad_alloc&) {
    return TSafeFile::Failure(o.path, "not enough memory");
  } catch (const EVELError& e) {
    return TSafeFile::Failure(o.path, e.what());
  }
  file.Write(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  file.Commit();
  return "";
}

}  // namespace

std::string WritePicture(const Picture& picture, const PictureOptions& options) {
  QuietQt quiet;
  std::unique_ptr<QApplication> app;
  try {
    EnsureApplication(app);
    return Draw(picture, options);
  } catch (const std::bad_alloc&) {
    return TSafeFile::Failure(options.path, "not enough memory");
  } catch (const EVELError& e) {
    const std::string m = e.what();
    return m.rfind("cannot write", 0) == 0 ? m : TSafeFile::Failure(options.path, m);
  }
}

}  // namespace dendrokit::tools
