// hclust --png: the dendrogram control draws the tree off-screen into a PNG file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "tools/hclust_cli.h"

namespace dendrokit::tools {
namespace {

TEST(HclustPng, DrawsTheTreeWithoutADisplay) {
  const std::string path = ::testing::TempDir() + "hclust_tree.png";
  std::remove(path.c_str());
  std::istringstream in("\"\",\"x\"\n\"alpha\",0\n\"beta\",1\n\"gamma\",5\n");
  std::ostringstream out, err;
  EXPECT_EQ(RunHclust({"--header", "--png", path, "--cut", "2"}, in, out, err), 0) << err.str();
  EXPECT_EQ(out.str(), "label,cluster\nalpha,1\nbeta,1\ngamma,2\n");
  QImage image(QString::fromStdString(path));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.width(), 900);
  // Lines of the tree and letters of the labels: dark pixels on the light background.
  int dark = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) dark += qGray(image.pixel(x, y)) < 64;
  EXPECT_GT(dark, 200);
  std::remove(path.c_str());
}

// The tree drawn is the one printed: heights on the axis are hclust's (ward.D2's square
// roots too), labels and tick labels are SVG text, and the drawing lands where the axis says.
TEST(HclustPng, SvgShowsThePrintedTree) {
  // The tool uses the application that exists; this one stays for rasterising.
  static int argc = 1;
  static char arg0[] = "test";
  static char* argv[] = {arg0, nullptr};
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static QApplication app(argc, argv);
  const std::string path = ::testing::TempDir() + "hclust_tree.svg";
  std::istringstream in("\"\",\"x\"\n\"alpha\",0\n\"beta\",3\n\"gamma\",20\n\"delta\",24\n");
  std::ostringstream out, err;
  ASSERT_EQ(RunHclust({"--header", "--method", "ward.D2", "--svg", path, "--width", "600",
                       "--height", "300", "--title", "Four"},
                      in, out, err),
            0)
      << err.str();
  const double top = std::stod(out.str().substr(out.str().rfind(',') + 1));  // as printed
  QFile f(QString::fromStdString(path));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(f.readAll());
  std::set<std::string> texts;
  double highestTick = 0.0;
  while (!xml.atEnd())
    if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("text")) {
      const QString t = xml.readElementText();
      texts.insert(t.toStdString());
      highestTick = std::max(highestTick, t.toDouble());  // 0 for the labels
    }
  ASSERT_FALSE(xml.hasError());
  for (const char* label : {"alpha", "beta", "gamma", "delta", "Four"})
    EXPECT_TRUE(texts.count(label)) << label;
  // The axis spans the printed heights (ResetZoom shows 105 % of the top merge).
  EXPECT_LE(highestTick, top * 1.05);
  EXPECT_GE(highestTick, top * 0.5);
  // Rasterised along a row through the lower half of the tree: the leaf base line, then the
  // stems, and last the root's connector at the printed height, which the axis shows as
  // 1/1.05 of the way from the base line to the right edge.
  QSvgRenderer svg(QString::fromStdString(path));
  EXPECT_EQ(svg.viewBox(), QRect(0, 0, 600, 300));
  QImage img(600, 300, QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  svg.render(&p, QRectF(0, 0, 600, 300));
  p.end();
  std::vector<int> ink;
  for (int x = 2; x < 596; ++x)
    if (qGray(img.pixel(x, 200)) < 160) ink.push_back(x);
  ASSERT_GE(ink.size(), 3u);
  const double base = ink.front(), root = ink.back();
  EXPECT_NEAR((root - base) / (599 - base), 1 / 1.05, 0.02) << base << " " << root;
}

// Regression: a name that is not UTF-8 was written re-encoded (caf\xef\xbf\xbd.png).
TEST(HclustPng, NamesAreTheBytesGiven) {
  const std::filesystem::path dir = ::testing::TempDir() + "hclust_bytes/";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string name = dir.string() + "caf\xe9.png";
  std::istringstream in("1\n2\n4\n");
  std::ostringstream out, err;
  ASSERT_EQ(RunHclust({"--png", name}, in, out, err), 0) << err.str();
  std::string head(4, '\0');
  std::ifstream(name, std::ios::binary).read(head.data(), 4);
  EXPECT_EQ(head, "\x89PNG");
  // Only the file itself: no re-encoded twin, no temporary file.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);
}

}  // namespace
}  // namespace dendrokit::tools
