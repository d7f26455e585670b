#include "dendrogram/dendrogram.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include <QKeyEvent>
#include <QWheelEvent>
#include <QtGlobal>

#include "gfxbase/digitatlas.h"
#include "gfxbase/draw.h"
#include "gfxbase/errors.h"
#include "gfxbase/globals.h"
#include "gfxbase/notify.h"
#include "gfxbase/stdcolors.h"
#include "numeric/storage_access_p.h"
#include "scale/scale.h"

namespace dendrokit {

namespace {

// One step of the mouse wheel or of the +/- keys.
constexpr double kZoomStep = 1.25;

template <typename T>
bool Change(T& field, T value) {
  if (field == value) return false;
  field = value;
  return true;
}

// Runs work that Qt called; an exception is reported and stops there.
template <typename F>
void Guarded(const char* what, F&& work) {
  try {
    work();
  } catch (const std::exception& e) {
    qWarning("TDendrogram %s: %s", what, e.what());
  } catch (...) {
    qWarning("TDendrogram %s: unknown exception", what);
  }
}

}  // namespace

TDendrogram::TDendrogram(QWidget* parent) : TCustomControl(parent) {
  suppressPaint_ = true;
  suppressRecalc_ = true;
  setMinimumSize(kMinSize, kMinSize);
  setFocusPolicy(Qt::StrongFocus);
  // A view of data, like Qt's graphics views: a layout gives it the room that is left.
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  TCustomControl::SetBounds(Left(), Top(), 250, 300);
  for (std::size_t i = 0; i < classColors_.size(); ++i) classColors_[i] = StdColors[i % 16].value;
  // category10, as 0x00BBGGRR.
  cutColors_ = {0xB4771F, 0x0E7FFF, 0x2CA02C, 0x2827D6, 0xBD6794,
                0x4B568C, 0xC277E3, 0x7F7F7F, 0x22BDBC, 0xCFBE17};

  data_ = std::make_unique<TDataTable>();
  data_->OnChange = [this](TObject*) { Recluster(); };
  mergeDist_ = std::make_unique<TVector>();
  mergeTable_ = std::make_unique<TIntMatrix>();
  nodePos_ = std::make_unique<TVector>();
  nodeClass_ = std::make_unique<TIntVector>();

  crossHair_ = std::make_unique<TCrossHair>();
  crossHair_->SetColor(0x0000FF);
  crossHair_->SetMode(chBoth);
  crossHair_->SetLineType(psDot);
  crossHair_->SetLineWid(1);
  crossHair_->OnChange = [this](TObject*) { SafeRepaint(); };

  // The scale only renders into this control's picture; its own painting stays suppressed
  // and Paint draws it once per picture, so its settings changes cost no drawing.
  scale_ = std::make_unique<TScale>();
  scale_->SetExternalCanvas(&Canvas(), 0, 0);
  scale_->SetEmbedded(true);
  scale_->SetColorScale(0x000000);
  scale_->SetColorBackGnd(0xFFFFFF);
  scale_->SetDecPlaces(-2);
  scale_->Font().Assign(&Font());
  checkedFontName_ = Font().Name();
  SetOrientation(dirLeftward);
  suppressRecalc_ = false;
  BindSignals();
}

void TDendrogram::BindSignals() {
  using D = TDendrogram;
  BindEvent(OnDendroBegin, &D::dendroBegin, [this](TObject*) { emit dendroBegin(); });
  BindEvent(OnDendroDone, &D::dendroDone, [this](TObject*) { emit dendroDone(); });
  BindEvent(OnProgress, &D::progress, [this](TObject*, int percent) { emit progress(percent); });
  BindEvent(OnCalcDistance, &D::calcDistance,
            [this](TObject*, int row1, int row2, double& distance) {
              emit calcDistance(row1, row2, distance);
            });
  BindEvent(OnBeforeShowObjLabel, &D::beforeShowObjLabel,
            [this](TObject*, int obj, std::string& text, TColor& color) {
              QString t = QString::fromStdString(text);
              QColor c = ColorToQColor(color);
              emit beforeShowObjLabel(obj, t, c);
              text = t.toStdString();
              if (c.isValid()) color = QColorToColor(c);
            });
  BindEvent(OnZoomPan, &D::zoomPanned, [this](TObject*) { emit zoomPanned(); });
  BindEvent(OnCrossHairMove, &D::crossHairMoved, [this](TObject*) { emit crossHairMoved(); });
  BindEvent(OnClustersChange, &D::clustersChanged, [this](TObject*) { emit clustersChanged(); });
  BindEvent(OnSelectionChange, &D::selectionChanged,
            [this](TObject*) { emit selectionChanged(); });
}

TDendrogram::~TDendrogram() {
  crossHair_->OnChange = nullptr;
  data_->OnChange = nullptr;
}

// ---- Owned data -------------------------------------------------------------------------

void TDendrogram::SetMarkedObject(int value) {
  if (Change(markedObject_, value)) Repaint();
}

void TDendrogram::setMarkStyle(int value) {
  if (value >= 0 && value <= 255) SetMarkStyle(static_cast<std::uint8_t>(value));
}

void TDendrogram::SetMarkStyle(std::uint8_t value) {
  if (Change(markStyle_, value)) Repaint();
}

// ---- Clustering ---------------------------------------------------------------------------

void TDendrogram::SetClusterMethod(TClusterMethod value) {
  if (value == clusterMethod_) return;
  const TClusterMethod old = clusterMethod_;
  const std::uint64_t tree = treeGeneration_;
  clusterMethod_ = value;
  try {
    Recluster();
  } catch (...) {
    if (treeGeneration_ == tree) clusterMethod_ = old;  // the shown tree is the old method's
    throw;
  }
  Repaint();
}

void TDendrogram::SetDistMeasure(TDistMode value) {
  if (value == distMeasure_ || !IsEnumValue(value)) return;
  const TDistMode old = distMeasure_;
  const std::uint64_t tree = treeGeneration_;
  distMeasure_ = value;
  try {
    Recluster();
  } catch (...) {
    if (treeGeneration_ == tree) distMeasure_ = old;
    throw;
  }
  Repaint();
}

void TDendrogram::SetFlexAlpha(double value) {
  if (std::isnan(value)) return;
  value = std::clamp(value, 0.5, 1.0);
  if (value == flexAlpha_) return;
  const double old = flexAlpha_;
  const std::uint64_t tree = treeGeneration_;
  flexAlpha_ = value;
  if (clusterMethod_ == cmFlexLink) {
    try {
      Recluster();
    } catch (...) {
      if (treeGeneration_ == tree) flexAlpha_ = old;
      throw;
    }
  }
  Repaint();
}

void TDendrogram::Recluster() {
  if (!givenTree_) CalcDendrogram();
}

void TDendrogram::CalcDendrogram() {
  if (suppressRecalc_) return;
  if (clustering_) {
    reclusterPending_ = true;
    return;
  }
  struct Running {
    TDendrogram& d;
    explicit Running(TDendrogram& dendrogram) : d(dendrogram) { d.clustering_ = true; }
    ~Running() { d.clustering_ = d.reclusterPending_ = false; }
  };
  // The settings of the tree this call leaves shown: a failure puts them back, undoing also
  // the requests made during the run that came to nothing.
  struct Settings {
    TClusterMethod method;
    TDistMode measure;
    double alpha;
  };
  Settings shown{clusterMethod_, distMeasure_, flexAlpha_};
  {
    Running running(*this);
    try {
      if (OnDendroBegin) OnDendroBegin(this);
      do {
        reclusterPending_ = false;
        const Settings run{clusterMethod_, distMeasure_, flexAlpha_};
        // The run fills fresh containers; the owned ones change only after it succeeded, so
        // a failed run leaves the previous tree, window and picture intact.
        const int n = data_->NrOfRows();
        TIntMatrix mergeTable;
        TVector mergeDist;
        TVector nodePos;
        TIntVector nodeClass;
        mergeTable.Resize(3, n);
        mergeDist.Resize(n);
        nodePos.Resize(n);
        // Classes kept where the new tree has the node, as a resize would keep them.
        nodeClass.Resize(2 * n - 1);
        const auto oldClass = nodeClass_->Values();
        std::copy_n(oldClass.begin(), std::min(oldClass.size(), nodeClass.Values().size()),
                    nodeClass.Values().begin());
        ProgressCounter = 0.0;
        auto progress = [this](TObject*, double, double percent) {
          if (!AbortComputation && OnProgress) OnProgress(this, RoundPixel(percent));
        };
        // Through the event itself, so that its Qt signal is raised too.
        TOnCalcDistanceEvent calcDistance;
        if (OnCalcDistance)
          calcDistance = [this](TObject* sender, int row1, int row2, double& distance) {
            OnCalcDistance(sender, row1, row2, distance);
          };
        HierarchicalClustering(this, data_->DataMatrix(), run.measure, run.method, run.alpha,
                               mergeTable, mergeDist, nodePos, progress, calcDistance);
        if (reclusterPending_) continue;  // the settings changed meanwhile: this tree is stale
        shown = run;
        givenTree_ = false;
        AdoptTree(mergeTable, mergeDist, nodePos, nodeClass, n);
      } while (reclusterPending_);
    } catch (...) {
      clusterMethod_ = shown.method;
      distMeasure_ = shown.measure;
      flexAlpha_ = shown.alpha;
      throw;
    }
  }
  if (OnDendroDone) OnDendroDone(this);
}

// Takes the storage of a finished run without allocating, so the four outputs change
// together; their handlers are told afterwards (a handler that throws then finds the new
// tree whole).
void TDendrogram::AdoptTree(TIntMatrix& mergeTable, TVector& mergeDist, TVector& nodePos,
                            TIntVector& nodeClass, int n) {
  const bool classResized = nodeClass.NrOfElem() != nodeClass_->NrOfElem();
  const bool tableResized = mergeTable.NrOfColumns() != mergeTable_->NrOfColumns() ||
                            mergeTable.NrOfRows() != mergeTable_->NrOfRows();
  detail::StorageAccess::Exchange(*nodeClass_, nodeClass);
  detail::StorageAccess::Exchange(*mergeTable_, mergeTable);
  detail::StorageAccess::Exchange(*mergeDist_, mergeDist);
  detail::StorageAccess::Exchange(*nodePos_, nodePos);
  treeN_ = n;
  ++treeGeneration_;
  if (classResized) {
    if (nodeClass_->OnChange) nodeClass_->OnChange(nodeClass_.get());
    if (nodeClass_->OnResize) nodeClass_->OnResize(nodeClass_.get());
  }
  if (tableResized) {  // as Resize reports a new shape, then the new cells
    if (mergeTable_->OnResize) mergeTable_->OnResize(mergeTable_.get());
    if (mergeTable_->OnChange) mergeTable_->OnChange(mergeTable_.get());
  }
  if (mergeTable_->OnChange) mergeTable_->OnChange(mergeTable_.get());
  if (mergeDist_->OnChange) mergeDist_->OnChange(mergeDist_.get());
  if (nodePos_->OnChange) nodePos_->OnChange(nodePos_.get());
  TreeChanged();
}

void TDendrogram::SetTree(const TMergeTree& tree, const QStringList& labels) {
  SetTree(tree.First, tree.Second, tree.Height, labels);
}

void TDendrogram::SetTree(std::span<const int> first, std::span<const int> second,
                          std::span<const double> height, const QStringList& labels) {
  ValidateTree(first, second, height);
  const int n = static_cast<int>(height.size()) + 1;
  if (!labels.isEmpty() && labels.size() != n)
    throw EVELError("Tree: " + std::to_string(labels.size()) + " labels for " +
                    std::to_string(n) + " objects");
  TMergeTree t;
  t.First.assign(first.begin(), first.end());
  t.Second.assign(second.begin(), second.end());
  t.Height.assign(height.begin(), height.end());
  const std::vector<double> positions = TreeNodePositions(t);
  // Built apart and adopted at the end, as CalcDendrogram does, so that nothing shown
  // changes before everything is in place. One object keeps the engine's one-element form.
  TIntMatrix mergeTable;
  TVector mergeDist;
  TVector nodePos;
  mergeTable.Resize(3, std::max(n - 1, 1));
  mergeDist.Resize(std::max(n - 1, 1));
  nodePos.Resize(2 * n - 1);
  for (int s = 1; s < n; ++s) {
    mergeTable.Column(1)[static_cast<std::size_t>(s - 1)] = t.First[static_cast<std::size_t>(s - 1)];
    mergeTable.Column(2)[static_cast<std::size_t>(s - 1)] = t.Second[static_cast<std::size_t>(s - 1)];
    mergeTable.Column(3)[static_cast<std::size_t>(s - 1)] = n + s;
  }
  std::copy(t.Height.begin(), t.Height.end(), mergeDist.Values().begin());
  std::copy(positions.begin(), positions.end(), nodePos.Values().begin());
  TIntVector nodeClass;
  nodeClass.Resize(2 * n - 1);
  std::fill(nodeClass.Values().begin(), nodeClass.Values().end(), -1);

  givenTree_ = true;
  AdoptTree(mergeTable, mergeDist, nodePos, nodeClass, n);
  const bool saved = suppressPaint_;  // one picture for tree and labels
  suppressPaint_ = true;
  SetObjLabels(labels);
  suppressPaint_ = saved;
  Repaint();
}

TMergeTree TDendrogram::Tree() const { return tree_; }

// Keeps the tree in the engine's form for cuts and hit-testing; a new tree ends the cut.
void TDendrogram::TreeChanged() {
  const int n = treeN_;
  tree_ = {};
  for (int s = 1; s < n; ++s) {
    tree_.First.push_back(mergeTable_->Elem(1, s));
    tree_.Second.push_back(mergeTable_->Elem(2, s));
    tree_.Height.push_back(mergeDist_->Elem(s));
  }
  try {
    ValidateTree(tree_.First, tree_.Second, tree_.Height);
    treeValid_ = true;
  } catch (const EVELError&) {
    treeValid_ = false;  // a stopped clustering: nothing to cut or select
  }
  parent_.assign(static_cast<std::size_t>(2 * n - 1), 0);
  spanLow_.assign(parent_.size(), 0.0);
  spanHigh_.assign(parent_.size(), 0.0);
  if (treeValid_) {
    for (int k = 1; k <= n; ++k) spanLow_[k - 1] = spanHigh_[k - 1] = nodePos_->Elem(k);
    for (int s = 1; s < n; ++s) {
      const std::size_t a = static_cast<std::size_t>(tree_.First[s - 1] - 1);
      const std::size_t b = static_cast<std::size_t>(tree_.Second[s - 1] - 1);
      parent_[a] = parent_[b] = n + s;
      spanLow_[n + s - 1] = std::min(spanLow_[a], spanLow_[b]);
      spanHigh_[n + s - 1] = std::max(spanHigh_[a], spanHigh_[b]);
    }
  }
  hoverNode_ = 0;
  if (selectedNode_ != 0) {
    selectedNode_ = 0;
    if (OnSelectionChange) OnSelectionChange(this);
  }
  if (hasCut_) {  // the classes the cut wrote mean nothing for the new tree
    auto classes = nodeClass_->Values();
    std::fill(classes.begin(), classes.end(), -1);
  }
  hasCut_ = false;
  if (!clusters_.empty()) {
    clusters_.clear();
    clusterCount_ = 0;
    if (OnClustersChange) OnClustersChange(this);
  }
}

// ---- Hover and selection ------------------------------------------------------------------

double TDendrogram::NodeHeight(int k) const { return k <= treeN_ ? 0.0 : mergeDist_->Elem(k - treeN_); }

// Leaves of a subtree occupy consecutive positions, so the two children's spans, widened by
// half a position, split their parent's span: one child per level holds the pointer.
int TDendrogram::NodeAt(int x, int y) const {
  const int n = treeN_;
  if (!treeValid_ || n < 2 || !InTreeArea(x, y)) return 0;
  constexpr int kReach = 3;
  const TDendroGeometry g = Geometry();
  const bool objIsX = ObjectAxisIsX(g.Dir);
  const int po = objIsX ? x : y, pd = objIsX ? y : x;
  const double o = PixelToObj(po);
  auto near = [&](const TLine& l) {
    const int a0 = objIsX ? l.A.X : l.A.Y, a1 = objIsX ? l.B.X : l.B.Y;  // object axis
    const int d0 = objIsX ? l.A.Y : l.A.X, d1 = objIsX ? l.B.Y : l.B.X;  // distance axis
    return po >= std::min(a0, a1) - kReach && po <= std::max(a0, a1) + kReach &&
           pd >= std::min(d0, d1) - kReach && pd <= std::max(d0, d1) + kReach;
  };
  auto pixel = [&](int k) { return ObjToPixel(nodePos_->Elem(k)); };
  auto connector = [&](int k) {
    const int s = k - n;
    return ConnectorLine(g, DistToPixel(NodeHeight(k)), pixel(tree_.First[s - 1]),
                         pixel(tree_.Second[s - 1]));
  };
  int node = 2 * n - 1;
  if (near(connector(node))) return node;
  while (node > n) {
    const int s = node - n;
    int child = 0;
    for (const int c : {tree_.First[s - 1], tree_.Second[s - 1]})
      if (o >= spanLow_[c - 1] - 0.5 && o <= spanHigh_[c - 1] + 0.5) child = c;
    if (child == 0) return 0;
    const TLine stem =
        StemLine(g, pixel(child), DistToPixel(NodeHeight(child)), DistToPixel(NodeHeight(node)));
    if (near(stem)) return child;
    if (child <= n) return 0;
    if (near(connector(child))) return child;
    node = child;
  }
  return 0;
}

void TDendrogram::SelectSubtree(int node) {
  if (node < 0 || node > 2 * treeN_ - 1 || (node != 0 && !treeValid_)) return;
  if (!Change(selectedNode_, node)) return;
  Repaint();
  if (OnSelectionChange) OnSelectionChange(this);
}

std::vector<int> TDendrogram::SelectedObjects() const {
  std::vector<int> objects;
  if (selectedNode_ == 0) return objects;
  std::vector<int> stack{selectedNode_};
  while (!stack.empty()) {
    const int k = stack.back();
    stack.pop_back();
    if (k <= treeN_) {
      objects.push_back(k);
    } else {
      stack.push_back(tree_.First[k - treeN_ - 1]);
      stack.push_back(tree_.Second[k - treeN_ - 1]);
    }
  }
  std::sort(objects.begin(), objects.end());
  return objects;
}

void TDendrogram::SetColorSelection(TColor value) {
  if (Change(colorSelection_, value) && selectedNode_ != 0) Repaint();
}

void TDendrogram::SetHover(int node) {
  if (Change(hoverNode_, node)) SafeRepaint();
}

void TDendrogram::MouseLeave() {
  Guarded("mouse leave", [&] { TCustomControl::MouseLeave(); });
  SetHover(0);
}

// ---- Cutting ------------------------------------------------------------------------------

void TDendrogram::CutAtHeight(double h) {
  if (std::isnan(h)) return;
  if (!treeValid_) throw EVELError("Dendrogram: the shown tree cannot be cut");
  ApplyCut(CutTreeAtHeight(tree_, h), h);
}

void TDendrogram::CutIntoClusters(int k) {
  if (!treeValid_) throw EVELError("Dendrogram: the shown tree cannot be cut");
  const int n = treeN_;
  k = std::clamp(k, 1, n);
  // The line lies between the last merge made and the first undone; for all or none made
  // it lies a little above the root or halfway to the first merge.
  const auto& h = tree_.Height;
  double line = 0.0;
  if (n > 1) {
    const std::size_t made = static_cast<std::size_t>(n - k);
    if (made == 0)
      line = h[0] / 2;
    else if (made == h.size())
      line = h.back() * 1.025;
    else
      line = (h[made - 1] + h[made]) / 2;
  }
  ApplyCut(CutTreeIntoClusters(tree_, k), line);
}

void TDendrogram::ClearCut() {
  if (!hasCut_) return;
  TTreeCut none;
  ApplyCut(none, 0.0);
}

void TDendrogram::ApplyCut(TTreeCut cut, double height) {
  hasCut_ = !cut.Object.empty();
  cutHeight_ = height;
  auto classes = nodeClass_->Values();
  for (std::size_t i = 0; i < classes.size(); ++i)
    classes[i] = i < cut.Node.size() && cut.Node[i] > 0 ? (cut.Node[i] - 1) % 255 + 1 : -1;
  if (hasCut_ && !cutColors_.empty())
    for (std::size_t i = 1; i < classColors_.size(); ++i)
      classColors_[i] = cutColors_[(i - 1) % cutColors_.size()];
  const bool moved = cut.Object != clusters_;
  clusters_ = std::move(cut.Object);
  clusterCount_ = cut.Count;
  const bool saved = suppressPaint_;
  suppressPaint_ = true;
  if (hasCut_) SetShowClassColors(true);
  suppressPaint_ = saved;
  Repaint();
  if (moved && OnClustersChange) OnClustersChange(this);
}

// ---- Labels -------------------------------------------------------------------------------

void TDendrogram::SetObjLabels(const QStringList& value) {
  if (value == objLabels_) return;
  objLabels_ = value;
  labelTexts_.clear();
  longestLabel_ = 0;
  for (const QString& l : objLabels_) {
    labelTexts_.push_back(l.toStdString());
    longestLabel_ = std::max(longestLabel_, labelTexts_.back().size());
  }
  Repaint();
  emit objLabelsChanged();
}

std::string TDendrogram::ObjLabelText(int obj) const {
  if (obj >= 1 && static_cast<std::size_t>(obj) <= labelTexts_.size())
    return labelTexts_[static_cast<std::size_t>(obj - 1)];
  return std::to_string(obj);
}

// ---- View window --------------------------------------------------------------------------

void TDendrogram::SetDistLow(double value) {
  TNotifyScope notify(this);
  if (!std::isfinite(value) || !(value < window_.DistHigh)) return;
  window_.DistLow = value;
  ApplyScaleRange();
  CalcTransform();
  Repaint();
}

void TDendrogram::SetDistHigh(double value) {
  TNotifyScope notify(this);
  if (!std::isfinite(value) || !(value > window_.DistLow)) return;
  window_.DistHigh = value;
  ApplyScaleRange();
  CalcTransform();
  Repaint();
}

void TDendrogram::SetObjLow(double value) {
  TNotifyScope notify(this);
  if (!std::isfinite(value) || !(value < window_.ObjHigh)) return;
  window_.ObjLow = value;
  CalcTransform();
  Repaint();
}

void TDendrogram::SetObjHigh(double value) {
  TNotifyScope notify(this);
  if (!std::isfinite(value) || !(value > window_.ObjLow)) return;
  window_.ObjHigh = value;
  CalcTransform();
  Repaint();
}

void TDendrogram::SetRange(double objA, double objB, double distA, double distB) {
  TNotifyScope notify(this);
  if (objA == objB || distA == distB) return;
  if (!std::isfinite(objA) || !std::isfinite(objB) || !std::isfinite(distA) ||
      !std::isfinite(distB))
    return;
  window_ = {std::min(objA, objB), std::max(objA, objB), std::min(distA, distB),
             std::max(distA, distB)};
  ApplyScaleRange();
  CalcTransform();
  Repaint();
}

// A window whose ends would coincide or overflow (deep zooms, long pans) is refused, so the
// mapping always stays invertible.
bool TDendrogram::SetWindow(const TViewWindow& w) {
  const bool ok = std::isfinite(w.ObjLow) && std::isfinite(w.ObjHigh) &&
                  std::isfinite(w.DistLow) && std::isfinite(w.DistHigh) &&
                  w.ObjLow < w.ObjHigh && w.DistLow < w.DistHigh &&
                  std::isfinite(w.ObjHigh - w.ObjLow) && std::isfinite(w.DistHigh - w.DistLow);
  if (!ok) return false;
  SetRange(w.ObjLow, w.ObjHigh, w.DistLow, w.DistHigh);
  return true;
}

void TDendrogram::ResetZoom() {
  double m = 0.0;
  for (const double d : mergeDist_->Values())
    if (d > m) m = d;
  CalcTransform();
  const double n = treeN_;
  // Without a merge distance (one object, or all distances 0) the objects are still
  // brought into view; the distance window stays.
  if (m > 0.0 && std::isfinite(m))
    SetRange(1.0 - 0.05 * n, 1.05 * n, 0.0, 1.05 * m);
  else
    SetRange(1.0 - 0.05 * n, 1.05 * n, window_.DistLow, window_.DistHigh);
}

void TDendrogram::SetSuppressPaint(bool value) {
  if (!Change(suppressPaint_, value)) return;
  if (!value) Repaint();
}

void TDendrogram::SetSuppressRecalc(bool value) {
  if (!Change(suppressRecalc_, value)) return;
  if (!value) CalcDendrogram();
}

int TDendrogram::ObjToPixel(double x) const {
  return MapToPixel(transform_.kObj, transform_.dObj, x);
}

double TDendrogram::PixelToObj(int p) const {
  return PixelToValue(transform_.kObj, transform_.dObj, p, window_.ObjLow);
}

int TDendrogram::DistToPixel(double d) const {
  return MapToPixel(transform_.kDist, transform_.dDist, d);
}

double TDendrogram::PixelToDist(int p) const {
  return PixelToValue(transform_.kDist, transform_.dDist, p, window_.DistLow);
}

bool TDendrogram::InTreeArea(int x, int y) const { return InTreeRect(Geometry(), x, y); }

TDendroGeometry TDendrogram::Geometry() const {
  return {orientation_, Width(), Height(), margin_, scaleWidth_, scaleHeight_};
}

// ---- Layout ---------------------------------------------------------------------------------

void TDendrogram::SetMargin(int value) {
  TNotifyScope notify(this);
  if (!Change(margin_, std::clamp(value, 0, 200))) return;
  SetOrientation(orientation_);
}

void TDendrogram::SetMarginIsMoveable(bool value) {
  if (Change(marginIsMoveable_, value)) Repaint();
}

void TDendrogram::SetScaleWidth(int value) {
  if (!Change(scaleWidth_, std::clamp(value, 0, 120))) return;
  SetOrientation(orientation_);
}

void TDendrogram::SetScaleHeight(int value) {
  if (!Change(scaleHeight_, std::clamp(value, 0, 120))) return;
  SetOrientation(orientation_);
}

void TDendrogram::SetOrientation(TDirection value) {
  if (!IsEnumValue(value)) return;
  orientation_ = value;
  ApplyLayout();
  Repaint();
}

void TDendrogram::ApplyLayout() {
  if (!scale_) return;
  const TScalePlace place = DendroScalePlace(Geometry());
  TScale& s = *scale_;
  s.SetFrameStyle(fsNone);
  s.SetMarginLeft(0);
  s.SetMarginTop(0);
  s.SetMarginRight(0);
  s.SetMarginBottom(0);
  s.SetExternalOffsetX(place.X);
  s.SetExternalOffsetY(place.Y);
  s.SetBounds(s.Left(), s.Top(), place.Width, place.Height);
  s.SetScaleType(place.Type);
  ApplyScaleRange();
  CalcTransform();
}

void TDendrogram::ApplyScaleRange() {
  if (!scale_) return;
  if (DendroScalePlace(Geometry()).Reversed)
    scale_->SetRange(window_.DistHigh, window_.DistLow);
  else
    scale_->SetRange(window_.DistLow, window_.DistHigh);
}

void TDendrogram::CalcTransform() { transform_ = CalcDendroTransform(Geometry(), window_); }

// ---- Colours and looks -----------------------------------------------------------------

void TDendrogram::SetColorScheme(TColorScheme value) {
  if (Change(colorScheme_, value)) Repaint();
}

void TDendrogram::SetColorDendrogram(TColor value) {
  if (Change(colorDendrogram_, value)) Repaint();
}

void TDendrogram::SetColorDendrogramBackGnd(TColor value) {
  if (Change(colorDendrogramBackGnd_, value)) Repaint();
}

void TDendrogram::SetColorLabelsBG(TColor value) {
  if (Change(colorLabelsBG_, value)) Repaint();
}

void TDendrogram::SetColorEmptyArea(TColor value) {
  if (Change(colorEmptyArea_, value)) Repaint();
}

TColor TDendrogram::ColorScale() const { return scale_->ColorScale(); }

void TDendrogram::SetColorScale(TColor value) {
  scale_->SetColorScale(value);
  scale_->Font().SetColor(value);
  Repaint();
}

TColor TDendrogram::ColorScaleBackGnd() const { return scale_->ColorBackGnd(); }

void TDendrogram::SetColorScaleBackGnd(TColor value) {
  scale_->SetColorBackGnd(value);
  Repaint();
}

int TDendrogram::DecPlaces() const { return scale_->DecPlaces(); }

void TDendrogram::SetDecPlaces(int value) {
  scale_->SetDecPlaces(value);
  Repaint();
}

void TDendrogram::SetCrossHair(const TCrossHair& value) {
  if (&value == crossHair_.get()) return;
  crossHair_->Assign(&value);
  crossHair_->OnChange = [this](TObject*) { SafeRepaint(); };
  Repaint();
}

void TDendrogram::SetForceStaggeredLabels(bool value) {
  if (Change(forceStaggeredLabels_, value)) Repaint();
}

void TDendrogram::SetShowClassColors(bool value) {
  if (Change(showClassColors_, value)) Repaint();
}

void TDendrogram::SetFrameStyle(TFrameStyle value) {
  if (IsEnumValue(value) && Change(frameStyle_, value)) Repaint();
}

// ---- Toolkit hooks -------------------------------------------------------------------------

void TDendrogram::SetBounds(int left, int top, int width, int height) {
  TCustomControl::SetBounds(left, top, std::max(width, kMinSize), std::max(height, kMinSize));
}

// Painting starts with the first show. The picture is drawn here at once: size changes made
// by the window's layout before the show were suppressed, and the screen only shows what
// Paint drew.
void TDendrogram::CreateWnd() {
  TCustomControl::CreateWnd();
  suppressPaint_ = false;
  SafeRepaint();
}

void TDendrogram::Resize() {
  TCustomControl::Resize();
  ApplyLayout();
}

// The scale draws its labels in the control's font, in the scale colour.
// The family is checked when its name changes; size, style or colour changes of a family
// that is not installed (the default face falls back through font matching) do not raise.
void TDendrogram::FontChanged() {
  TNotifyScope notify(this);
  if (Font().Name() != checkedFontName_) {
    fontIsTrueType_ = IsTrueTypeFont(Font().Name());
    checkedFontName_ = Font().Name();
  }
  const TColor scaleColor = scale_->Font().Color();
  scale_->Font().Assign(&Font());
  scale_->Font().SetColor(scaleColor);
  TCustomControl::FontChanged();
}

void TDendrogram::SafeRepaint() {
  Guarded("repaint", [this] { Repaint(); });
}

// ---- Mouse, wheel and keys -----------------------------------------------------------------

namespace {

// Which part of the control a pointer lies in, for the pan's zone override:
// 0 the corner, 1 the tree area, 2 the scale strip, 3 the label band.
int PanZone(const TDendroGeometry& g, int x, int y) {
  const TRect c = DendroFrame(g).Corner;
  if (x >= c.Left && x < c.Right && y >= c.Top && y < c.Bottom) return 0;
  switch (g.Dir) {
    case dirUpward:
      if (x < g.SH) return 2;
      return y < g.M ? 3 : 1;
    case dirDownward:
      if (x < g.SH) return 2;
      return y > g.H - g.M ? 3 : 1;
    case dirLeftward:
      if (y < g.SW) return 2;
      return x < g.M ? 3 : 1;
    case dirRightward:
      if (y < g.SW) return 2;
      return x > g.W - g.M ? 3 : 1;
  }
  return 1;
}

}  // namespace

// Qt calls the three mouse handlers: nothing thrown in them, the application's OnMouse*
// handlers included, may leave them.
void TDendrogram::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  Guarded("mouse down", [&] { TCustomControl::MouseDown(button, shift, x, y); });
  if (mouseAction_ == maDragCut && button == mbLeft && treeValid_ && InTreeArea(x, y))
    Guarded("cut", [&] { CutAtPointer(x, y); });
  if (mouseAction_ == maSelectSubtree && button == mbLeft)
    Guarded("select", [&] { SelectSubtree(NodeAt(x, y)); });
  if (mouseAction_ == maZoomWind && !banding_ && button == mbLeft && InTreeArea(x, y)) {
    banding_ = true;
    bandStart_ = bandCorner_ = {x, y};
  }
}

void TDendrogram::MouseMove(TShiftState shift, int x, int y) {
  Guarded("mouse move", [&] {
    HandleMouseMove(shift, x, y);
    TCustomControl::MouseMove(shift, x, y);
  });
}

void TDendrogram::HandleMouseMove(TShiftState shift, int& x, int& y) {
  const TDendroGeometry g = Geometry();
  const bool left = (shift & ssLeft) != 0;
  const int W = g.W, H = g.H, M = g.M;

  // 1. The label band's edge.
  if (marginIsMoveable_) {
    // The band's edge across the distance axis; the corner test uses ScaleHeight in every
    // orientation.
    const bool objIsX = ObjectAxisIsX(orientation_);
    const int along = objIsX ? y : x, across = objIsX ? x : y;
    const bool lowEdge = orientation_ == dirUpward || orientation_ == dirLeftward;
    const int edge = lowEdge ? M : (objIsX ? H : W) - M;
    const int e = lowEdge ? along : (objIsX ? H : W) - along;  // the margin at the pointer
    if (std::abs(along - edge) < 8 && across < g.SH) {
      SetCursor(objIsX ? crVSplit : crHSplit);
      if (left && e > 50 && e < 200) {
        TNotifyScope notify(this);
        margin_ = e;
        SetOrientation(orientation_);
      }
      RecordPointer(x, y);
      return;
    }
  }
  SetCursor(crDefault);

  switch (mouseAction_) {
    case maSelectSubtree: {
      const int node = NodeAt(x, y);
      SetCursor(node != 0 ? crHandPoint : crDefault);
      SetHover(node);
      break;
    }
    case maDragCut:
      if (!InTreeArea(x, y) || !treeValid_) break;
      SetCursor(ObjectAxisIsX(orientation_) ? crVSplit : crHSplit);
      if (left) CutAtPointer(x, y);
      break;
    case maPan:
    case maPanHoriz:
    case maPanVert: {
      if (!left) {
        dragging_ = false;
        break;
      }
      if (!dragging_) {
        StartDrag(x, y);
        break;
      }
      int mode = mouseAction_ == maPan ? 1 : mouseAction_ == maPanHoriz ? 2 : 3;
      const int zone = PanZone(g, x, y);
      if (zone != 1) mode = zone;
      Pan(dragWindow_, dragDObj_, dragDDist_, x - dragStart_.X, y - dragStart_.Y, mode);
      break;
    }
    case maZoomDrag: {
      if (!left) {
        dragging_ = false;
        break;
      }
      if (!dragging_) {
        StartDrag(x, y);
        break;
      }
      if (!InTreeArea(x, y)) break;
      const double fx = 1.0 - double(x - dragStart_.X) / W;
      const double fy = 1.0 + double(y - dragStart_.Y) / H;
      const bool objIsX = ObjectAxisIsX(orientation_);
      const double f = objIsX ? fx : fy, gd = objIsX ? fy : fx;
      const TViewWindow& s = dragWindow_;
      const double cO = (s.ObjLow + s.ObjHigh) / 2, cD = (s.DistLow + s.DistHigh) / 2;
      const double hO = (s.ObjHigh - s.ObjLow) * f / 2, hD = (s.DistHigh - s.DistLow) * gd / 2;
      if (SetWindow({cO - hO, cO + hO, cD - hD, cD + hD}) && OnZoomPan) OnZoomPan(this);
      break;
    }
    case maDragCrossH: {
      if (!left) {
        dragging_ = false;
        break;
      }
      if (!InTreeArea(x, y)) break;
      if (!dragging_) {
        StartDrag(x, y);
        break;
      }
      const bool objIsX = ObjectAxisIsX(orientation_);
      const double o = PixelToObj(objIsX ? x : y);
      const double d = PixelToDist(objIsX ? y : x);
      // One picture per move instead of one per coordinate written.
      const bool saved = suppressPaint_;
      suppressPaint_ = true;
      crossHair_->SetPosX(o);
      crossHair_->SetPosY(d);
      suppressPaint_ = saved;
      Repaint();
      if (OnCrossHairMove) OnCrossHairMove(this);
      break;
    }
    case maZoomWind: {
      if (!banding_) break;
      // Keep the pointer out of the scale strip and the label band.
      switch (orientation_) {
        case dirUpward:
          x = std::max(x, g.SH);
          y = std::max(y, M);
          break;
        case dirDownward:
          x = std::max(x, g.SH);
          y = std::min(y, H - M);
          break;
        case dirLeftward:
          y = std::max(y, g.SW);
          x = std::max(x, M);
          break;
        case dirRightward:
          y = std::max(y, g.SW);
          x = std::min(x, W - M);
          break;
      }
      x = std::clamp(x, 0, W);
      y = std::clamp(y, 0, H);
      DrawBand(bandCorner_);
      DrawBand({x, y});
      bandCorner_ = {x, y};
      break;
    }
    default: break;
  }
  RecordPointer(x, y);
}

void TDendrogram::CutAtPointer(int x, int y) {
  CutAtHeight(PixelToDist(ObjectAxisIsX(orientation_) ? y : x));
}

void TDendrogram::RecordPointer(int x, int y) {
  if (!InTreeArea(x, y)) return;
  const bool objIsX = ObjectAxisIsX(orientation_);
  mouseObj_ = PixelToObj(objIsX ? x : y);
  mouseDist_ = PixelToDist(objIsX ? y : x);
}

void TDendrogram::StartDrag(int x, int y) {
  dragStart_ = {x, y};
  dragWindow_ = window_;
  dragDObj_ = transform_.dObj;
  dragDDist_ = transform_.dDist;
  dragging_ = true;
}

// Mode 1 moves both axes, 2 only the distance axis, 3 only the object axis, 0 nothing. The
// slopes stay, so the picture follows the pointer pixel for pixel.
void TDendrogram::Pan(const TViewWindow& s, double startDObj, double startDDist, int dx, int dy,
                      int mode) {
  if (mode == 0) return;
  TNotifyScope notify(this);
  const TDendroGeometry g = Geometry();
  const bool objIsX = ObjectAxisIsX(orientation_);
  const int objPx = objIsX ? dx : dy;
  const int distPx = objIsX ? dy : dx;
  const double objLen = objIsX ? g.W - g.SH : g.H - g.SW;
  const double distLen = objIsX ? g.H - g.M : g.W - g.M;
  const double distSign = orientation_ == dirDownward || orientation_ == dirRightward ? -1 : 1;
  TViewWindow w = window_;
  TTransform t = transform_;
  if ((mode == 1 || mode == 3) && objLen > 0) {
    const double dO = (s.ObjHigh - s.ObjLow) * objPx / objLen;
    w.ObjLow = s.ObjLow - dO;
    w.ObjHigh = s.ObjHigh - dO;
    t.dObj = startDObj + objPx;
  }
  if ((mode == 1 || mode == 2) && distLen > 0) {
    const double dD = distSign * (s.DistHigh - s.DistLow) * distPx / distLen;
    w.DistLow = s.DistLow - dD;
    w.DistHigh = s.DistHigh - dD;
    t.dDist = startDDist + distPx;
  }
  if (!(w.ObjLow < w.ObjHigh) || !(w.DistLow < w.DistHigh) || !std::isfinite(w.ObjLow) ||
      !std::isfinite(w.ObjHigh) || !std::isfinite(w.DistLow) || !std::isfinite(w.DistHigh))
    return;  // a window collapsed by rounding far out is not taken
  window_ = w;
  transform_ = t;
  ApplyScaleRange();
  Repaint();
  if (OnZoomPan) OnZoomPan(this);
}

void TDendrogram::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  Guarded("mouse up", [&] { TCustomControl::MouseUp(button, shift, x, y); });
  if (mouseAction_ != maZoomWind || !banding_) return;
  if (button == mbRight) {
    banding_ = false;
    DrawBand(bandCorner_);
    return;
  }
  if (button != mbLeft) return;
  banding_ = false;
  Guarded("zoom", [&] {
    DrawBand(bandCorner_);  // the repaint after the zoom would remove it too
    if (bandCorner_.X == bandStart_.X || bandCorner_.Y == bandStart_.Y) return;
    const bool objIsX = ObjectAxisIsX(orientation_);
    const double o1 = PixelToObj(objIsX ? bandStart_.X : bandStart_.Y);
    const double o2 = PixelToObj(objIsX ? bandCorner_.X : bandCorner_.Y);
    const double d1 = PixelToDist(objIsX ? bandStart_.Y : bandStart_.X);
    const double d2 = PixelToDist(objIsX ? bandCorner_.Y : bandCorner_.X);
    if (SetWindow({std::min(o1, o2), std::max(o1, o2), std::min(d1, d2), std::max(d1, d2)}) &&
        OnZoomPan)
      OnZoomPan(this);
  });
}

// The band is drawn in XOR on the shown picture, so drawing it again erases it. Bands
// without width or height are not drawn at all, which keeps drawing and erasing paired.
void TDendrogram::DrawBand(TPoint corner) {
  if (corner.X == bandStart_.X || corner.Y == bandStart_.Y) return;
  TCanvas& c = Canvas();
  c.Pen().SetMode(pmXor);
  c.Pen().SetColor(0xFFFFFF);
  c.Pen().SetWidth(1);
  c.Pen().SetStyle(psSolid);
  c.Brush().SetStyle(bsClear);
  c.Rectangle(std::min(bandStart_.X, corner.X), std::min(bandStart_.Y, corner.Y),
              std::max(bandStart_.X, corner.X), std::max(bandStart_.Y, corner.Y));
  c.Pen().SetMode(pmCopy);
  c.Brush().SetStyle(bsSolid);
}

void TDendrogram::WheelZoom(int x, int y, double steps) {
  if (!std::isfinite(steps) || steps == 0) return;
  const bool objIsX = ObjectAxisIsX(orientation_);
  const double f = std::pow(kZoomStep, steps);
  const TViewWindow z = ZoomWindow(window_, PixelToObj(objIsX ? x : y),
                                   PixelToDist(objIsX ? y : x), f, f);
  if (SetWindow(z) && OnZoomPan) OnZoomPan(this);
}

void TDendrogram::wheelEvent(QWheelEvent* event) {
  const double steps = event->angleDelta().y() / 120.0;
  const int x = RoundPixel(event->position().x()), y = RoundPixel(event->position().y());
  Guarded("wheel", [&] { WheelZoom(x, y, steps); });
  event->accept();
}

// Arrows move the picture by a tenth of the tree area, +/- zoom about its centre and Home
// shows the whole tree.
void TDendrogram::keyPressEvent(QKeyEvent* event) {
  const TDendroGeometry g = Geometry();
  const TRect area = DendroFrame(g).TreeArea;
  const int stepX = std::max(1, (area.Right - area.Left) / 10);
  const int stepY = std::max(1, (area.Bottom - area.Top) / 10);
  const int cx = (area.Left + area.Right) / 2, cy = (area.Top + area.Bottom) / 2;
  bool handled = true;
  Guarded("key", [&] {
    switch (event->key()) {
      case Qt::Key_Left: MoveView(stepX, 0); break;
      case Qt::Key_Right: MoveView(-stepX, 0); break;
      case Qt::Key_Up: MoveView(0, stepY); break;
      case Qt::Key_Down: MoveView(0, -stepY); break;
      case Qt::Key_Plus: WheelZoom(cx, cy, 1); break;
      case Qt::Key_Minus: WheelZoom(cx, cy, -1); break;
      case Qt::Key_Escape:
        if (selectedNode_ != 0)
          ClearSelection();
        else
          handled = false;
        break;
      case Qt::Key_Home:
        ResetZoom();
        if (OnZoomPan) OnZoomPan(this);
        break;
      default: handled = false;
    }
  });
  if (handled)
    event->accept();
  else
    TCustomControl::keyPressEvent(event);
}

// Moves the picture by (dx, dy) pixels, as a pan by mouse would.
void TDendrogram::MoveView(int dx, int dy) {
  Pan(window_, transform_.dObj, transform_.dDist, dx, dy, 1);
}

}  // namespace dendrokit
