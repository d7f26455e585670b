// TDendrogram's model rules (setters, recomputation, zoom, failures) and a few pixel
// checks that the paint draws what the layout functions say.
#include <climits>
#include <vector>
#include <stdexcept>
#include <string>

#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include "dendro_fixture.h"
#include "gfxbase/digitatlas.h"
#include "gfxbase/errors.h"
#include "scale/scale.h"

namespace dendrokit {
namespace {

constexpr TColor kBlack = 0x000000, kRed = 0x0000FF, kGreen = 0x00FF00;

TEST(Dendrogram, SetterRules) {
  TDendrogram d;
  d.SetMargin(500);
  EXPECT_EQ(d.Margin(), 200);
  d.SetScaleHeight(-5);
  EXPECT_EQ(d.ScaleHeight(), 0);
  d.SetScaleWidth(121);
  EXPECT_EQ(d.ScaleWidth(), 120);
  EXPECT_NO_THROW(d.Font().SetSize(12));  // the default face may be missing: no re-check
  d.Font().SetName("DejaVu Sans");
  EXPECT_TRUE(d.FontIsTrueType());
  d.SetBounds(0, 0, 100, 80);
  EXPECT_EQ(d.Width(), 120);
  EXPECT_EQ(d.Height(), 120);

  d.SetRange(5, 2, 10, 0);
  EXPECT_EQ(d.Window(), (TViewWindow{2, 5, 0, 10}));
  d.SetDistLow(10);  // not below DistHigh
  d.SetDistHigh(0);  // equal to DistLow
  d.SetObjHigh(2);
  d.SetRange(1, 1, 0, 5);  // empty interval
  EXPECT_EQ(d.Window(), (TViewWindow{2, 5, 0, 10}));

  // The scale runs the way the distance axis does.
  d.SetOrientation(dirUpward);
  d.SetDistHigh(50);
  EXPECT_EQ(d.Scale().RangeLow(), 50);
  d.SetOrientation(dirLeftward);
  d.SetDistHigh(60);
  EXPECT_EQ(d.Scale().RangeHigh(), 60);

  int begins = 0;
  d.OnDendroBegin = [&](TObject*) { ++begins; };
  d.SetFlexAlpha(0.3);  // clamped to 0.5, unchanged: no recluster
  d.SetFlexAlpha(0.8);  // changed, but Ward is selected
  EXPECT_EQ(d.FlexAlpha(), 0.8);
  EXPECT_EQ(begins, 0);
  d.SetClusterMethod(cmFlexLink);
  d.SetFlexAlpha(7.0);
  EXPECT_EQ(d.FlexAlpha(), 1.0);
  EXPECT_EQ(begins, 2);
}

TEST(Dendrogram, FillingClustersOnceAndResetZoomFramesTheTree) {
  TDendrogram d;
  int begins = 0, dones = 0;
  d.OnDendroBegin = [&](TObject*) { ++begins; };
  d.OnDendroDone = [&](TObject*) { ++dones; };
  d.SetSuppressRecalc(true);
  d.Data().Resize(2, 60);
  for (int r = 1; r <= 60; ++r) {
    d.Data().SetElem(1, r, r % 7);
    d.Data().SetElem(2, r, r % 5);
  }
  EXPECT_EQ(begins, 0);
  d.SetSuppressRecalc(false);
  EXPECT_EQ(begins, 1);
  EXPECT_EQ(dones, 1);
  EXPECT_EQ(d.MergeTable().NrOfRows(), 59);
  EXPECT_EQ(d.NodeClass().NrOfElem(), 119);
  double m = 0;
  for (const double v : d.MergeDist().Values()) m = std::max(m, v);
  d.ResetZoom();
  EXPECT_EQ(d.Window(), (TViewWindow{-2, 63, 0, 1.05 * m}));
}

TEST(Dendrogram, FailedRecomputationKeepsTreeSettingAndPicture) {
  auto d = MakeDendrogram(dirLeftward);
  const std::vector<double> before(d->MergeDist().Values().begin(),
                                   d->MergeDist().Values().end());
  const QImage picture = d->ShownImage().copy();
  int dones = 0;
  d->OnDendroDone = [&](TObject*) { ++dones; };
  d->OnCalcDistance = [](TObject*, int, int, double&) { throw std::runtime_error("bad"); };
  EXPECT_THROW(d->SetDistMeasure(dmUserDef), std::runtime_error);
  EXPECT_EQ(d->DistMeasure(), dmEuclid);
  EXPECT_EQ(dones, 0);
  EXPECT_TRUE(std::equal(before.begin(), before.end(), d->MergeDist().Values().begin()));
  d->Repaint();
  EXPECT_EQ(d->ShownImage(), picture);
  // A missing font raises from the font change and leaves the picture alone.
  EXPECT_THROW(d->Font().SetName("No Such Font Family"), EVELError);
  EXPECT_FALSE(d->Scale().HasShownImage());  // the embedded scale renders only
}

std::vector<double> Heights(const TDendrogram& d) {
  return {d.MergeDist().Values().begin(), d.MergeDist().Values().end()};
}

std::vector<double> Spread(int n) {
  std::vector<double> xs;
  for (int i = 0; i < n; ++i) xs.push_back((i * 37) % 101 + 0.25 * (i % 3));
  return xs;
}

// Regression: a recluster asked for from OnProgress was overwritten by the running one:
// ClusterMethod said single linkage under the complete-linkage tree, and data shrunk from 50
// to 10 rows left a 50-object tree. The request runs after the current one: the last wins.
TEST(Dendrogram, ReclusterAskedForWhileOneRunsRunsAfterIt) {
  auto single = MakeDendrogram(dirLeftward, 400, 300, Spread(50));
  auto ten = MakeDendrogram(dirLeftward, 400, 300, Spread(10));
  ten->SetClusterMethod(cmCompleteLink);
  auto d = MakeDendrogram(dirLeftward, 400, 300, Spread(50));
  d->SetClusterMethod(cmWard);
  int begins = 0, dones = 0, asked = 0;
  d->OnDendroBegin = [&](TObject*) { ++begins; };
  d->OnDendroDone = [&](TObject*) { ++dones; };
  d->OnProgress = [&](TObject*, int percent) {
    if (percent == 50 && asked++ == 0) d->SetClusterMethod(cmSingleLink);
  };
  d->SetClusterMethod(cmCompleteLink);
  EXPECT_EQ(asked, 2);  // the second run reached 50 % too, and asked for nothing new
  EXPECT_EQ(d->ClusterMethod(), cmSingleLink);
  EXPECT_EQ(Heights(*d), Heights(*single));
  EXPECT_EQ(begins, 1);
  EXPECT_EQ(dones, 1);

  asked = 0;
  d->OnProgress = [&](TObject*, int percent) {
    if (percent == 50 && asked++ == 0) {
      d->SetClusterMethod(cmCompleteLink);
      d->Data().Resize(1, 10);
    }
  };
  d->SetClusterMethod(cmWard);
  EXPECT_EQ(d->ClusterMethod(), cmCompleteLink);
  EXPECT_EQ(d->MergeTable().NrOfRows(), 9);
  EXPECT_EQ(d->NodePos().NrOfElem(), 19);
  EXPECT_EQ(d->NodeClass().NrOfElem(), 19);
  EXPECT_EQ(Heights(*d), Heights(*ten));

  // A request made during a run that then fails comes to nothing with it.
  const std::vector<double> shown = Heights(*d);
  d->OnProgress = [&](TObject*, int) { d->SetClusterMethod(cmSingleLink); };
  d->OnCalcDistance = [](TObject*, int, int, double&) { throw std::runtime_error("bad"); };
  EXPECT_THROW(d->SetDistMeasure(dmUserDef), std::runtime_error);
  EXPECT_EQ(d->ClusterMethod(), cmCompleteLink);
  EXPECT_EQ(d->DistMeasure(), dmEuclid);
  EXPECT_EQ(Heights(*d), shown);
}

TEST(Dendrogram, ExceptionsOfHandlersStayInsidePaintAndMouse) {
  auto d = MakeDendrogram(dirUpward);
  d->OnBeforeShowObjLabel = [](TObject*, int, std::string&, TColor&) {
    throw std::runtime_error("label");
  };
  d->OnZoomPan = [](TObject*) { throw std::runtime_error("zoom"); };
  d->OnMouseUp = [](TObject*, TMouseButton, TShiftState, int, int) {
    throw std::runtime_error("up");
  };
  EXPECT_NO_THROW(d->MouseUp(mbLeft, 0, 200, 200));
  d->SetMouseAction(maPan);
  EXPECT_NO_THROW(d->Repaint());
  EXPECT_NO_THROW(d->MouseMove(ssLeft, 200, 200));
  EXPECT_NO_THROW(d->MouseMove(ssLeft, 220, 200));
}

// One object, and a tree area of zero width: painting, zooming and the mouse stay defined.
TEST(Dendrogram, OneObjectAndCollapsedAxes) {
  auto d = MakeDendrogram(dirLeftward, 400, 300, {3.0});
  EXPECT_EQ(d->MergeTable().NrOfRows(), 1);
  EXPECT_DOUBLE_EQ(d->ObjLow(), 0.95);
  EXPECT_DOUBLE_EQ(d->ObjHigh(), 1.05);
  const int p = d->ObjToPixel(1.0);
  EXPECT_EQ(p, (30 + 300) / 2);
  bool labelled = false;
  d->OnBeforeShowObjLabel = [&](TObject*, int obj, std::string&, TColor&) {
    labelled = obj == 1;
  };
  d->Repaint();
  EXPECT_TRUE(labelled);

  d->SetOrientation(dirUpward);
  d->SetBounds(0, 0, 120, 300);
  d->SetScaleHeight(120);  // W - SH = 0
  for (const auto action : {maPan, maZoomDrag, maDragCrossH, maZoomWind}) {
    d->SetMouseAction(action);
    d->MouseDown(mbLeft, ssLeft, 119, 200);
    d->MouseMove(ssLeft, 60, 150);
    d->MouseMove(ssLeft, 119, 250);
    d->MouseUp(mbLeft, 0, 119, 250);
  }
  d->CrossHair().SetLineWid(INT_MAX);
  EXPECT_TRUE(std::isfinite(d->PixelToObj(77)));
  EXPECT_LE(std::abs(d->ObjToPixel(1e300)), kMaxPixel);
  d->ResetZoom();
  d->WheelZoom(100, 100, 3);
  EXPECT_LT(d->ObjLow(), d->ObjHigh());
}

// Regression: a layout sized the control before its first show (suppressed paints), and the
// window then showed an empty picture.
TEST(Dendrogram, FirstShowInALayoutPaints) {
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* d = new TDendrogram;
  layout->addWidget(d);
  window.resize(500, 400);
  FillObjects(*d, {0, 1, 5, 6});
  d->ResetZoom();
  window.show();
  EXPECT_FALSE(d->SuppressPaint());
  const TRect area = DendroFrame(d->Geometry()).TreeArea;
  EXPECT_EQ(PixelAt(*d, area.Right - 5, area.Bottom - 5), d->ColorDendrogramBackGnd());
}

// ---- Pixels -----------------------------------------------------------------------------

struct TextMetrics {
  TBitmap bmp{1, 1};
  explicit TextMetrics(const TDendrogram& d) { bmp.Canvas().Font().Assign(&d.Font()); }
  int W(const std::string& t) { return bmp.Canvas().TextWidth(t); }
  int H(const std::string& t) { return bmp.Canvas().TextHeight(t); }
};

TEST(DendrogramPixels, CornerStemsLabelAndMarkBar) {
  auto d = MakeDendrogram(dirLeftward);  // M = 120, SW = 30
  d->SetColorEmptyArea(kGreen);
  const int M = 120;
  EXPECT_EQ(PixelAt(*d, 60, 10), kGreen);
  EXPECT_EQ(PixelAt(*d, 119, 10), kGreen);
  EXPECT_NE(PixelAt(*d, 122, 10), kGreen);

  // Object 4's stem: from the base line to its merge at distance 1, at its object pixel.
  const int p4 = d->ObjToPixel(d->NodePos().Elem(4));
  const int d1 = d->DistToPixel(1.0);
  EXPECT_EQ(PixelAt(*d, M + 1, p4), kBlack);
  EXPECT_EQ(PixelAt(*d, d1 - 1, p4), kBlack);
  EXPECT_EQ(PixelAt(*d, d1 + 1, p4), d->ColorDendrogramBackGnd());

  // Its label: right-aligned 4 pixels left of the base line, centred on the leaf.
  TextMetrics tm(*d);
  const int w = tm.W("4"), th = tm.H("0");
  const int x0 = M - w - 4, y0 = p4 - th / 2;
  int inkX1 = -1, outside = 0;
  for (int y = y0 - 4; y < y0 + th + 4; ++y)
    for (int x = 2; x < M; ++x)
      if (qGray(d->ShownImage().pixel(x, y)) < 128) {
        const bool in = x >= x0 && x < x0 + w && y >= y0 && y < y0 + th;
        outside += !in;
        inkX1 = std::max(inkX1, x);
      }
  EXPECT_EQ(outside, 0);
  EXPECT_GE(inkX1, M - 4 - 3);  // the ink reaches the right end of the text box

  // Zoomed so that DistLow > 0: the stem starts on the base line, the band stays clear.
  d->SetDistLow(0.5);
  EXPECT_EQ(PixelAt(*d, M + 1, p4), kBlack);
  EXPECT_EQ(PixelAt(*d, M - 2, p4), d->ColorLabelsBG());

  // Default mark: object 1 carries a 3-pixel bar in the scale colour up to its merge.
  d->SetDistLow(0.0);
  const int p1 = d->ObjToPixel(d->NodePos().Elem(1));
  EXPECT_EQ(PixelAt(*d, M + 2, p1 - 1), kBlack);
  EXPECT_EQ(PixelAt(*d, M + 2, p1 + 1), kBlack);
  d->SetMarkStyle(0);
  EXPECT_EQ(PixelAt(*d, M + 2, p1 + 1), d->ColorDendrogramBackGnd());
}

TEST(DendrogramPixels, ClassColoursIgnoreValuesOutsideTheTable) {
  auto d = MakeDendrogram(dirLeftward);
  d->SetShowClassColors(true);
  const int p4 = d->ObjToPixel(d->NodePos().Elem(4)), x = 125;
  struct Case {
    int cls;
    TColor expected;
  };
  for (const Case c : {Case{-1, kBlack}, Case{9, kRed}, Case{10, kGreen}, Case{256, kBlack},
                       Case{-7, kBlack}}) {
    d->NodeClass().SetElem(4, c.cls);
    d->Repaint();
    EXPECT_EQ(PixelAt(*d, x, p4), c.expected) << c.cls;
  }
}

TEST(DendrogramPixels, CrossHairBoxAndLine) {
  auto d = MakeDendrogram(dirLeftward);
  d->CrossHair().SetPosX(2.5);
  d->CrossHair().SetPosY(3.0);
  d->CrossHair().SetLineWid(5);
  d->CrossHair().SetMode(chBox);  // ignores the line width and type
  const int cx = d->DistToPixel(3.0), cy = d->ObjToPixel(2.5);
  EXPECT_EQ(PixelAt(*d, cx - 10, cy), kRed);
  EXPECT_EQ(PixelAt(*d, cx + 9, cy), kRed);
  EXPECT_EQ(PixelAt(*d, cx + 10, cy), d->ColorDendrogramBackGnd());
  EXPECT_EQ(PixelAt(*d, cx + 2, cy + 1), kRed);
  EXPECT_EQ(PixelAt(*d, cx, cy), d->ColorDendrogramBackGnd());  // the box is filled
  EXPECT_EQ(PixelAt(*d, cx, cy - 4), kRed);

  d->CrossHair().SetLineType(psSolid);
  d->CrossHair().SetLineWid(1);
  d->CrossHair().SetMode(chHoriz);
  EXPECT_EQ(PixelAt(*d, 300, cy), kRed);
  EXPECT_EQ(PixelAt(*d, cx, cy - 20), d->ColorDendrogramBackGnd());
}

// Number labels come from the digit atlas where it reproduces the canvas: the picture must
// be the canvas's, also when a label handler recolours, renames or resizes the control in
// the middle of the labels (the atlas must then not write into the old bitmap).
TEST(DendrogramLabels, AtlasPictureIsTheCanvasPicture) {
  std::vector<double> xs;
  for (int i = 0; i < 300; ++i) xs.push_back((i * 37) % 101 + i * 0.01);
  struct Case {
    TDirection dir;
    bool handler, staggered;
  };
  for (const Case k : {Case{dirUpward, false, false}, Case{dirUpward, true, false},
                       Case{dirRightward, false, false}, Case{dirRightward, true, false},
                       Case{dirDownward, false, true}}) {
    auto d = MakeDendrogram(k.dir, 500, 400, xs);
    d->Font().SetName("DejaVu Sans");
    d->SetForceStaggeredLabels(k.staggered);
    d->CutIntoClusters(5);
    bool armed = false;
    if (k.handler)
      d->OnBeforeShowObjLabel = [&](TObject*, int obj, std::string& text, TColor& c) {
        if (obj % 7 == 0) c = kRed;
        if (obj % 11 == 0) text = "x" + text;
        if (obj == 150 && armed) {
          armed = false;
          d->SetBounds(0, 0, 450, 400);
          d->Canvas();  // a new bitmap now
        }
      };
    armed = true;
    d->Repaint();
    const QImage fast = d->ShownImage().copy();
    TDigitAtlas::SetEnabled(false);
    d->SetBounds(0, 0, 500, 400);
    armed = true;
    d->Repaint();
    const QImage slow = d->ShownImage().copy();
    TDigitAtlas::SetEnabled(true);
    EXPECT_TRUE(fast == slow) << EnumToName(k.dir) << (k.handler ? " with handler" : "")
                              << (k.staggered ? " staggered" : "");
    if (k.handler) continue;
    // The same picture on a 2x bitmap.
    TBitmap fast2(d->Width(), d->Height(), 2), slow2(d->Width(), d->Height(), 2);
    d->RenderTo(fast2.Canvas(), {});
    TDigitAtlas::SetEnabled(false);
    d->RenderTo(slow2.Canvas(), {});
    TDigitAtlas::SetEnabled(true);
    EXPECT_TRUE(fast2.Image() == slow2.Image()) << EnumToName(k.dir) << " at ratio 2";
  }
}

}  // namespace
}  // namespace dendrokit
