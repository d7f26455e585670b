// hclust --png: the dendrogram control draws the tree off-screen into a PNG file.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdio>
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

}  // namespace
}  // namespace dendrokit::tools
