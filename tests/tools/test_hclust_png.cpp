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
  // Last merge height as printed (the table's last field).
  const std::string table = out.str();
  const double top = std::stod(table.substr(table.rfind(',') + 1));
  QFile f(QString::fromStdString(path));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(f.readAll());
  std::set<std::string> texts;
  std::vector<double> ticks;
  while (!xml.atEnd())
    if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("text")) {
      const std::string t = xml.readElementText().toStdString();
      texts.insert(t);
      char* end = nullptr;
      const double v = std::strtod(t.c_str(), &end);
      if (!t.empty() && *end == '\0') ticks.push_back(v);
    }
  ASSERT_FALSE(xml.hasError());
  for (const char* label : {"alpha", "beta", "gamma", "delta", "Four"}) EXPECT_TRUE(texts.count(label)) << label;
  // The axis spans the printed heights (ResetZoom shows 105 % of the top merge).
  ASSERT_GE(ticks.size(), 3u);
  EXPECT_EQ(*std::min_element(ticks.begin(), ticks.end()), 0.0);
  EXPECT_LE(*std::max_element(ticks.begin(), ticks.end()), top * 1.05);
  EXPECT_GE(*std::max_element(ticks.begin(), ticks.end()), top * 0.5);
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
  for (int x = 2; x < 596; ++x) if (qGray(img.pixel(x, 200)) < 160) ink.push_back(x);
  ASSERT_GE(ink.size(), 3u);
  const double base = ink.front(), root = ink.back();
  EXPECT_NEAR((root - base) / (599 - base), 1 / 1.05, 0.02) << base << " " << root;
}

TEST(HclustPng, NamesAreTheBytesGiven) {
  const std::string dir = ::testing::TempDir() + "hclust_bytes/";
  std::system(("rm -rf " + dir + " && mkdir -p " + dir).c_str());
  const std::string name = dir + "caf\xe9.png";
  std::istringstream in("1\n2\n4\n");
  std::ostringstream out, err;
  ASSERT_EQ(RunHclust({"--png", name}, in, out, err), 0) << err.str();
  std::ifstream f(name, std::ios::binary);
  EXPECT_TRUE(f.good());
  std::string head(8, '\0');
  f.read(head.data(), 8);
  EXPECT_EQ(head.substr(1, 3), "PNG");
  // Only the file itself: no re-encoded twin, no temporary file.
  EXPECT_EQ(std::system(("test $(ls -A " + dir + " | wc -l) -eq 1").c_str()), 0);
}

TEST(HclustPng, PictureOptionsAreChecked) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  for (const Case& c : {Case{{"--width", "400"}, "--width applies to a picture"},
                        Case{{"--png", "a.png", "--svg", "b.svg"}, "choose one picture"},
                        Case{{"--plot", "a.txt"}, "does not end in .png, .svg or .pdf"},
                        Case{{"--png", "a.png", "--orientation", "up"}, "unknown --orientation"},
                        Case{{"--png", "a.png", "--pixel-ratio", "0"}, "outside 1 to 16"}}) {
    std::istringstream in("1\n2\n");
    std::ostringstream out, err;
    EXPECT_EQ(RunHclust(c.args, in, out, err), 2) << c.message;
    EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
  }
}

}  // namespace
}  // namespace dendrokit::tools
