// Given trees, labels, cuts and selection of TDendrogram.
#include <algorithm>

#include <QCoreApplication>
#include <QKeyEvent>
#include <cmath>

#include <gtest/gtest.h>

#include "dendro_fixture.h"
#include "gfxbase/errors.h"

namespace dendrokit {
namespace {

// ((1,2) at 1, (3,4) at 2) at 5, drawn 1 2 | 4 3 ... as the engine places them.
const TMergeTree kTree{{1, 3, 5}, {2, 4, 6}, {1.0, 2.0, 5.0}};

TEST(DendrogramTree, GivenTreeStaysUntilClusteredAgainAndBadOnesChangeNothing) {
  auto d = MakeDendrogram(dirUpward);  // clustered data: 0, 1, 5, 6
  d->SetTree(kTree, {"a", "b", "c", "d"});
  d->ResetZoom();
  EXPECT_EQ(d->MergeTable().Elem(2, 3), 6);
  EXPECT_DOUBLE_EQ(d->DistHigh(), 5.25);
  EXPECT_EQ(d->NodePos().Elem(7), 2.5);
  const QImage before = d->ShownImage().copy();
  EXPECT_THROW(d->SetTree(kTree.First, std::vector<int>{1, 3, 3}, kTree.Height), EVELError);
  EXPECT_THROW(d->SetTree(kTree, {"only", "three", "labels"}), EVELError);
  EXPECT_EQ(d->ShownImage(), before);
  EXPECT_EQ(d->ObjLabelText(3), "c");

  d->SetClusterMethod(cmCompleteLink);  // stored only
  d->SetFlexAlpha(0.8);
  d->Data().SetElem(1, 1, 100.0);
  EXPECT_DOUBLE_EQ(d->MergeDist().Elem(3), 5.0);
  EXPECT_TRUE(d->HasGivenTree());
  d->CalcDendrogram();  // clusters Data again, by the stored method
  EXPECT_FALSE(d->HasGivenTree());
  EXPECT_DOUBLE_EQ(d->MergeDist().Elem(3), 99.0);  // complete: 100 - 1
}

TEST(DendrogramTree, LabelsAndTheLabelEvent) {
  auto d = MakeDendrogram(dirLeftward);
  int changed = 0;
  QObject::connect(d.get(), &TDendrogram::objLabelsChanged, [&] { ++changed; });
  d->SetObjLabels({"alpha", "beta"});
  d->setProperty("objLabels", QStringList{"alpha", "beta"});
  EXPECT_EQ(changed, 1);
  std::vector<std::string> seen;
  d->OnBeforeShowObjLabel = [&](TObject*, int, std::string& text, TColor&) { seen.push_back(text); };
  d->Repaint();
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen, (std::vector<std::string>{"3", "4", "alpha", "beta"}));
}

TEST(DendrogramTree, CutsNumberAndColourTheClusters) {
  auto d = MakeDendrogram(dirUpward, 400, 300);
  d->SetTree(TMergeTree{{1, 3, 5}, {2, 4, 6}, {1.0, 1.0, 5.0}});  // tied merges at 1
  d->ResetZoom();
  int changes = 0;
  d->OnClustersChange = [&](TObject*) { ++changes; };
  d->CutIntoClusters(3);  // only the first merge made, despite the tie
  EXPECT_EQ(d->Clusters(), (std::vector<int>{1, 1, 2, 3}));
  EXPECT_TRUE(d->ShowClassColors());
  EXPECT_EQ(d->NodeClass().Elem(6), -1);
  d->CutAtHeight(1.0);  // merges at exactly h are made: both tied merges
  EXPECT_EQ(d->Clusters(), (std::vector<int>{1, 1, 2, 2}));
  d->CutAtHeight(3.0);  // same clusters: no event
  d->CutAtHeight(std::nan(""));
  EXPECT_EQ(changes, 2);
  EXPECT_DOUBLE_EQ(d->CutHeight(), 3.0);

  // Dashed line across the tree area at the cut's pixel; stems below it in their cluster's
  // colour (category10 blue and orange), the root's connector above it in ColorDendrogram.
  const int q = d->DistToPixel(3.0);
  int on = 0;
  for (int x = 61; x < 400; ++x) on += PixelAt(*d, x, q) == d->ColorDendrogram();
  EXPECT_GT(on, 60);
  EXPECT_LT(on, 300);
  const int q1 = d->DistToPixel(0.5);
  EXPECT_EQ(PixelAt(*d, d->ObjToPixel(d->NodePos().Elem(2)), q1), 0xB4771Fu);
  EXPECT_EQ(PixelAt(*d, d->ObjToPixel(d->NodePos().Elem(3)), q1), 0x0E7FFFu);

  d->SetMouseAction(maDragCut);
  d->MouseDown(mbLeft, ssLeft, 200, d->DistToPixel(0.5));
  EXPECT_EQ(d->ClusterCount(), 4);
  d->MouseMove(ssLeft, 200, d->DistToPixel(4.0));
  EXPECT_EQ(d->ClusterCount(), 2);
  d->CalcDendrogram();  // a new tree ends the cut and the classes it wrote
  EXPECT_TRUE(d->Clusters().empty());
  EXPECT_EQ(d->NodeClass().Elem(1), -1);
  EXPECT_EQ(changes, 5);
}

// Every stem's and connector's middle part hits its node in all orientations; the label
// band and the empty space above the root hit nothing.
TEST(DendrogramTree, HitTestingFollowsTheDrawnLines) {
  // ((1,2) 1, ((3,4) 2, 5) 3) 6, spread so that no two lines are within 3 pixels.
  const TMergeTree t{{1, 3, 7, 6}, {2, 4, 5, 8}, {1.0, 2.0, 3.0, 6.0}};
  for (const TDirection dir : {dirUpward, dirDownward, dirLeftward, dirRightward}) {
    SCOPED_TRACE(int(dir));
    auto d = MakeDendrogram(dir, 400, 360);
    d->SetTree(t);
    d->ResetZoom();
    const TDendroGeometry g = d->Geometry();
    const bool objIsX = ObjectAxisIsX(dir);
    auto at = [&](int o, int q) { return objIsX ? d->NodeAt(o, q) : d->NodeAt(q, o); };
    auto px = [&](int k) { return d->ObjToPixel(d->NodePos().Elem(k)); };
    auto h = [&](int k) { return k <= 5 ? 0.0 : t.Height[k - 6]; };
    const int parent[] = {0, 6, 6, 7, 7, 8, 9, 8, 9, 0};
    for (int k = 1; k <= 8; ++k) {
      const TLine stem = StemLine(g, px(k), d->DistToPixel(h(k)), d->DistToPixel(h(parent[k])));
      const int mid = objIsX ? (stem.A.Y + stem.B.Y) / 2 : (stem.A.X + stem.B.X) / 2;
      EXPECT_EQ(at(px(k) + 1, mid), k);
    }
    for (int k = 6; k <= 9; ++k) {
      const int a = t.First[k - 6], b = t.Second[k - 6];
      EXPECT_EQ(at((3 * px(a) + px(b)) / 4, d->DistToPixel(h(k)) - 2), k);
    }
    EXPECT_EQ(at(px(3), d->DistToPixel(7.0)), 0);  // above the root
    EXPECT_EQ(at((px(1) + px(2)) / 2, d->DistToPixel(0.5)), 0);  // between two leaves
  }
}

TEST(DendrogramTree, HoverAndSelection) {
  auto d = MakeDendrogram(dirUpward, 400, 300);
  d->SetTree(kTree);
  d->ResetZoom();
  int changes = 0;
  d->OnSelectionChange = [&](TObject*) { ++changes; };
  const int x3 = d->ObjToPixel(d->NodePos().Elem(3)), y = d->DistToPixel(1.0);
  d->MouseDown(mbLeft, ssLeft, x3, y);  // the specified actions neither hover nor select
  EXPECT_EQ(d->HoverNode() + d->SelectedNode(), 0);

  d->SetMouseAction(maSelectSubtree);
  d->MouseMove(0, x3, y);
  EXPECT_EQ(d->HoverNode(), 3);
  EXPECT_EQ(PixelAt(*d, x3 + 1, y), d->ColorDendrogram());  // thicker
  const int x6 = d->ObjToPixel(d->NodePos().Elem(6));
  d->MouseDown(mbLeft, ssLeft, x6, d->DistToPixel(3.5));  // the stem above the (3,4) merge
  EXPECT_EQ(d->SelectedObjects(), (std::vector<int>{3, 4}));
  EXPECT_EQ(PixelAt(*d, x6, d->DistToPixel(3.5)), d->ColorSelection());
  d->SetOrientation(dirRightward);  // kept through layout and zoom changes
  d->SetRange(0, 3, 0, 10);
  EXPECT_EQ(d->SelectedNode(), 6);
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(d.get(), &esc);
  EXPECT_EQ(d->SelectedNode(), 0);
  d->SelectSubtree(7);
  d->SetTree(kTree);  // a new tree clears it
  EXPECT_EQ(changes, 4);
}

}  // namespace
}  // namespace dendrokit
