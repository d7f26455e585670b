// Given trees, labels, cuts and selection of TDendrogram.
#include <algorithm>

#include <gtest/gtest.h>

#include "dendro_fixture.h"
#include "gfxbase/errors.h"

namespace dendrokit {
namespace {

// ((1,2) at 1, (3,4) at 2) at 5, drawn 1 2 | 4 3 ... as the engine places them.
const TMergeTree kTree{{1, 3, 5}, {2, 4, 6}, {1.0, 2.0, 5.0}};

TEST(DendrogramTree, GivenTreeStaysUntilClusteredAgain) {
  auto d = MakeDendrogram(dirUpward);  // clustered data: 0, 1, 5, 6
  d->SetTree(kTree, {"a", "b", "c", "d"});
  d->ResetZoom();
  EXPECT_TRUE(d->HasGivenTree());
  EXPECT_EQ(d->MergeTable().Elem(2, 3), 6);
  EXPECT_DOUBLE_EQ(d->MergeDist().Elem(3), 5.0);
  EXPECT_DOUBLE_EQ(d->DistHigh(), 5.25);
  EXPECT_EQ(d->NodePos().Elem(7), 2.5);
  EXPECT_EQ(d->ObjLabelText(3), "c");

  d->SetClusterMethod(cmCompleteLink);  // stored only
  d->SetFlexAlpha(0.8);
  d->Data().SetElem(1, 1, 100.0);
  EXPECT_DOUBLE_EQ(d->MergeDist().Elem(3), 5.0);
  EXPECT_EQ(d->ClusterMethod(), cmCompleteLink);

  d->CalcDendrogram();  // clusters Data again, by the stored method
  EXPECT_FALSE(d->HasGivenTree());
  EXPECT_DOUBLE_EQ(d->MergeDist().Elem(3), 99.0);  // complete: 100 - 1
}

TEST(DendrogramTree, BadTreeRaisesAndKeepsThePicture) {
  auto d = MakeDendrogram(dirLeftward);
  d->SetTree(kTree);
  const QImage before = d->ShownImage().copy();
  const std::vector<int> bad{1, 3, 3};
  EXPECT_THROW(d->SetTree(kTree.First, bad, kTree.Height), EVELError);
  EXPECT_THROW(d->SetTree(kTree, {"only", "three", "labels"}), EVELError);
  EXPECT_THROW(d->SetTree(kTree.First, kTree.Second, std::vector<double>{1, -2, 5}), EVELError);
  EXPECT_EQ(d->MergeTable().Elem(2, 2), 4);
  EXPECT_EQ(d->ShownImage(), before);
  EXPECT_TRUE(d->HasGivenTree());
}

TEST(DendrogramTree, LabelsAndTheLabelEvent) {
  auto d = MakeDendrogram(dirLeftward);
  int changed = 0;
  QObject::connect(d.get(), &TDendrogram::objLabelsChanged, [&] { ++changed; });
  d->SetObjLabels({"alpha", "beta"});
  d->SetObjLabels({"alpha", "beta"});
  d->setProperty("objLabels", QStringList{"alpha", "beta"});
  EXPECT_EQ(changed, 1);
  std::vector<std::string> seen;
  d->OnBeforeShowObjLabel = [&](TObject*, int obj, std::string& text, TColor&) {
    seen.push_back(text);
    if (obj == 2) text = "B!";
  };
  d->Repaint();
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen, (std::vector<std::string>{"3", "4", "alpha", "beta"}));
}

}  // namespace
}  // namespace dendrokit
