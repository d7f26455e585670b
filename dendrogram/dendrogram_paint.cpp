// Painting of TDendrogram. The control's retained picture is its off-screen bitmap: Paint
// draws the whole picture into it synchronously and the screen shows it only afterwards, so
// no half-drawn state is ever visible and no second full-size copy is needed. The places come
// from dendrogram/layout.h.
#include <algorithm>
#include <string>

#include <QtGlobal>

#include "dendrogram/dendrogram.h"
#include "gfxbase/digitatlas.h"
#include "gfxbase/draw.h"
#include "scale/scale.h"

namespace dendrokit {

namespace {

void Line(TCanvas& c, const TLine& l) {
  c.MoveTo(l.A.X, l.A.Y);
  c.LineTo(l.B.X, l.B.Y);
}

void FillArea(TCanvas& c, const TRect& r, TColor color) {
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(color);
  c.Pen().SetColor(color);
  c.Rectangle(r);
}

}  // namespace

void TDendrogram::Paint() {
  if (suppressPaint_ || !Visible()) return;
  if (Width() <= 0 || Height() <= 0) return;
  try {
    DrawPicture(Canvas(), true, true);
  } catch (const std::exception& e) {
    qWarning("TDendrogram paint: %s", e.what());
  } catch (...) {
    qWarning("TDendrogram paint: unknown exception");
  }
}

void TDendrogram::DrawPicture(TCanvas& c, bool crossHair, bool hover) {
  const int W = Width(), H = Height();
  c.Font().Assign(&Font());
  c.Pen().SetMode(pmCopy);
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(1);
  PaintContent(c, crossHair, hover);
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(1);
  DrawFrame(c, frameStyle_, 0, 0, W - 1, H - 1, 0xFFFFFF, 0xC0C0C0, 0x808080, 0x000000,
            0x000000);
}

void TDendrogram::RenderTo(TCanvas& canvas, const TImageOptions& options) {
  if (Width() <= 0 || Height() <= 0) return;
  // The embedded scale draws on the picture's canvas for the time of this drawing.
  const int ox = scale_->ExternalOffsetX(), oy = scale_->ExternalOffsetY();
  scale_->SetExternalCanvas(&canvas, ox, oy);
  try {
    DrawPicture(canvas, options.CrossHair, false);  // the pointer's hover is not part of it
  } catch (...) {
    scale_->SetExternalCanvas(&Canvas(), ox, oy);
    throw;
  }
  scale_->SetExternalCanvas(&Canvas(), ox, oy);
}

void TDendrogram::PaintContent(TCanvas& c, bool crossHair, bool hover) {
  const TDendroGeometry g = Geometry();
  const TDendroFrame frame = DendroFrame(g);
  const bool objIsX = ObjectAxisIsX(g.Dir);

  // 1. Background of the tree area and the label band.
  FillArea(c, frame.TreeArea, colorDendrogramBackGnd_);
  FillArea(c, frame.LabelBand, colorLabelsBG_);

  // 2. Tree colours, label metrics.
  c.Pen().SetColor(colorDendrogram_);
  c.Font().SetColor(colorDendrogram_);
  c.Brush().SetStyle(bsClear);
  const int th = c.TextHeight("0");
  const int rows = LabelRows(g.M, th);
  const TLabelMode mode = LabelModeFor(g.Dir, fontIsTrueType_, forceStaggeredLabels_);
  if (mode == TLabelMode::Rotated) c.Font().SetOrientation(900);

  // 4. The tree: per merge both children's labels and stems, then the connector.
  const int n = treeN_;
  const TIntMatrix& mt = *mergeTable_;
  const TVector& md = *mergeDist_;
  const TVector& pos = *nodePos_;
  const TIntVector& cls = *nodeClass_;
  auto height = [&](int k) { return k <= n ? 0.0 : md.Elem(k - n); };
  auto classColor = [&](int k) {
    const int c = cls.Elem(k);
    return c >= 0 && c <= 255 ? classColors_[static_cast<std::size_t>(c)] : colorDendrogram_;
  };
  // Labels and stems that lie wholly off the bitmap along the object axis change no pixel
  // and are skipped, so a zoomed-in repaint costs what it shows.
  const int extent = objIsX ? g.W : g.H;
  const int digits = static_cast<int>(
      std::max(std::to_string(std::max(n, 1)).size(), longestLabel_));
  const int reach = th + (mode == TLabelMode::Staggered ? digits * th : 0);
  auto offAxis = [&](int p, int r) { return p + r < 0 || p - r >= extent; };
  // Number labels go straight into the bitmap when the atlas reproduces the canvas there.
  if (!digitAtlas_) digitAtlas_ = std::make_unique<TDigitAtlas>();
  TDigitAtlas& atlas = *digitAtlas_;
  bool direct = atlas.Begin(c);
  auto label = [&](int obj) {
    const double at = pos.Elem(obj);
    const int p = ObjToPixel(at);
    std::string text = ObjLabelText(obj);
    if (OnBeforeShowObjLabel) {
      TColor color = colorDendrogram_;
      OnBeforeShowObjLabel(this, obj, text, color);
      if (color != c.Font().Color()) c.Font().SetColor(color);
      // The handler may have resized the control or changed its canvas.
      direct = atlas.Begin(c);
    } else if (offAxis(p, reach)) {
      return;
    }
    const bool digits = direct && TDigitAtlas::IsDigits(text);
    const int w = digits ? atlas.Width(text) : c.TextWidth(text);
    if (offAxis(p, th + w)) return;
    const int row = mode == TLabelMode::Staggered ? LabelRow(at, rows) : 0;  // else unused
    const TPoint xy = LabelPos(g, mode, p, w, th, row);
    if (digits)
      atlas.Draw(xy.X, xy.Y, text, c.Font().Color());
    else
      c.TextOut(xy.X, xy.Y, text);
  };
  for (int s = 1; s <= n - 1; ++s) {
    const int a = mt.Elem(1, s), b = mt.Elem(2, s);
    const int dP = DistToPixel(md.Elem(mt.Elem(3, s) - n));
    const int pa = ObjToPixel(pos.Elem(a)), pb = ObjToPixel(pos.Elem(b));
    for (const int child : {a, b}) {
      if (showClassColors_) {
        const TColor col = classColor(child);
        c.Pen().SetColor(col);
        c.Font().SetColor(col);
      }
      if (child <= n) label(child);
      const int p = child == a ? pa : pb;
      if (!offAxis(p, 0)) Line(c, StemLine(g, p, DistToPixel(height(child)), dP));
    }
    if (showClassColors_ && cls.Elem(a) != cls.Elem(b)) c.Pen().SetColor(colorDendrogram_);
    if (!offAxis(std::min(pa, pb), 0) || !offAxis(std::max(pa, pb), 0) ||
        (pa < 0) != (pb < 0))
      Line(c, ConnectorLine(g, dP, pa, pb));
  }
  // A single object has no merge; its leaf still gets its label.
  if (n == 1) label(1);
  c.Font().SetOrientation(0);

  // The cut, dashed across the tree area.
  if (hasCut_) {
    const TLine cut = CutLine(g, DistToPixel(cutHeight_));
    if (!(cut.A == cut.B)) {
      c.Pen().SetColor(colorDendrogram_);
      c.Pen().SetStyle(psDash);
      c.Brush().SetStyle(bsClear);
      Line(c, cut);
      c.Pen().SetStyle(psSolid);
    }
  }

  // Hover and selection, thick over the tree.
  if (hover && hoverNode_ != 0 && hoverNode_ != selectedNode_) DrawSubtree(c, hoverNode_, 3, nullptr);
  if (selectedNode_ != 0) DrawSubtree(c, selectedNode_, 3, &colorSelection_);
  c.Pen().SetWidth(1);

  // 5. The scale, over anything drawn in its strip.
  scale_->ForcePaint();

  // 6. Corner, base line, grip lines, the strip's closing line.
  FillArea(c, frame.Corner, colorEmptyArea_);
  const TColor scaleColor = scale_->ColorScale();
  c.Pen().SetColor(scaleColor);
  Line(c, frame.BaseLine);
  if (marginIsMoveable_) {
    c.Pen().SetColor(0x808080);
    Line(c, frame.Grip1);
    Line(c, frame.Grip2);
    c.Pen().SetColor(scaleColor);
  }
  Line(c, frame.StripLine);

  // 7. The marked object, in the scale colour.
  if (markedObject_ > 0 && markedObject_ <= n && markStyle_ != 0) {
    const auto at = mt.FindClosest(1, 2, 1, mt.NrOfRows(), markedObject_);
    const TMarkPlan plan = MarkPlan(g, markStyle_, ObjToPixel(pos.Elem(markedObject_)),
                                    DistToPixel(0.0), DistToPixel(md.Elem(at.row)));
    c.Pen().SetWidth(plan.PenWidth);
    for (const TLine& l : plan.Lines) Line(c, l);
    c.Pen().SetWidth(1);
  }

  // 8. The crosshair.
  const TCrossHair& ch = *crossHair_;
  if (crossHair && ch.Mode() != chOff) {
    c.Brush().SetColor(colorDendrogramBackGnd_);
    const int po = ObjToPixel(ch.PosX()), pd = DistToPixel(ch.PosY());
    const int cx = objIsX ? po : pd, cy = objIsX ? pd : po;
    const TCrossHairPlan plan = CrossHairPlan(g, ch.Mode(), cx, cy, ch.LineWid());
    c.Pen().SetColor(ch.Color());
    c.Pen().SetWidth(plan.PenWidth);
    c.Pen().SetStyle(plan.Box ? psSolid : ch.LineType());
    for (const TLine& l : plan.Lines) Line(c, l);
    if (plan.Box) {
      c.Brush().SetStyle(bsSolid);
      c.Rectangle(plan.BoxRect);
    }
    c.Pen().SetStyle(psSolid);
    c.Pen().SetWidth(1);
  }
}

void TDendrogram::DrawSubtree(TCanvas& c, int node, int width, const TColor* colour) {
  if (!treeValid_ || node < 1 || node > 2 * treeN_ - 1) return;
  const TDendroGeometry g = Geometry();
  const int n = treeN_;
  const TIntVector& cls = *nodeClass_;
  auto own = [&](int k) {
    const int v = cls.Elem(k);
    return showClassColors_ && v >= 0 && v <= 255 ? classColors_[static_cast<std::size_t>(v)]
                                                  : colorDendrogram_;
  };
  auto pixel = [&](int k) { return ObjToPixel(nodePos_->Elem(k)); };
  auto stem = [&](int k, int parent) {
    c.Pen().SetColor(colour ? *colour : own(k));
    Line(c, StemLine(g, pixel(k), DistToPixel(NodeHeight(k)), DistToPixel(NodeHeight(parent))));
  };
  c.Pen().SetWidth(width);
  c.Pen().SetStyle(psSolid);
  if (parent_[static_cast<std::size_t>(node - 1)] != 0)
    stem(node, parent_[static_cast<std::size_t>(node - 1)]);
  std::vector<int> stack{node};
  while (!stack.empty()) {
    const int k = stack.back();
    stack.pop_back();
    if (k <= n) continue;
    const int a = tree_.First[static_cast<std::size_t>(k - n - 1)];
    const int b = tree_.Second[static_cast<std::size_t>(k - n - 1)];
    stem(a, k);
    stem(b, k);
    const bool mixed = showClassColors_ && cls.Elem(a) != cls.Elem(b);
    c.Pen().SetColor(colour ? *colour : mixed ? colorDendrogram_ : own(b));
    Line(c, ConnectorLine(g, DistToPixel(NodeHeight(k)), pixel(a), pixel(b)));
    stack.push_back(a);
    stack.push_back(b);
  }
}

}  // namespace dendrokit
