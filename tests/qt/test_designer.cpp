// A form made in Designer: QUiLoader builds the four controls through the Designer plugin
// and applies the form's properties (enums and colours by name) through their meta-objects.
#include <gtest/gtest.h>

#include <QFile>
#include <QUiLoader>
#include <memory>

#include "chart/plotra.h"
#include "colsel/colsel.h"
#include "dendrogram/dendrogram.h"
#include "scale/scale.h"

namespace dendrokit {
namespace {

TEST(Designer, FormWithTheFourControlsLoads) {
  QUiLoader loader;
  loader.clearPluginPaths();
  loader.addPluginPath(DENDROKIT_DESIGNER_PLUGIN_DIR);
  for (const char* name : {"dendrokit::TDendrogram", "dendrokit::TPlotra", "dendrokit::TScale",
                           "dendrokit::TColSel"})
    EXPECT_TRUE(loader.availableWidgets().contains(name)) << name;

  QFile file(DENDROKIT_TEST_UI_FILE);
  ASSERT_TRUE(file.open(QFile::ReadOnly));
  std::unique_ptr<QWidget> form(loader.load(&file));
  ASSERT_NE(form, nullptr) << loader.errorString().toStdString();

  auto* tree = form->findChild<TDendrogram*>("dendrogram");
  auto* scale = form->findChild<TScale*>("scale");
  ASSERT_NE(tree, nullptr);
  ASSERT_NE(scale, nullptr);
  EXPECT_NE(form->findChild<TPlotra*>("chart"), nullptr);
  EXPECT_NE(form->findChild<TColSel*>("colors"), nullptr);
  EXPECT_EQ(tree->ClusterMethod(), cmWard);
  EXPECT_EQ(tree->ColorDendrogram(), QColorToColor(QColor(70, 130, 180)));
  EXPECT_EQ(scale->ScaleType(), sctYL);
  EXPECT_EQ(scale->RangeHigh(), 50.0);
  // Laid out by the form's layout, each control still keeps its minimum.
  form->resize(60, 60);
  form->show();
  EXPECT_GE(tree->Width(), TDendrogram::kMinSize);
}

}  // namespace
}  // namespace dendrokit
