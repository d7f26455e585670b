// TDendrogram: a control that clusters the rows of its own data table and shows the tree as
// a dendrogram with a distance scale, in one of four orientations. It zooms and pans with
// the mouse, wheel and keyboard, and draws a crosshair and a highlighted object.
//
// Filling Data reclusters after every change, so fill it between SetSuppressRecalc(true) and
// SetSuppressRecalc(false), which clusters once; then call ResetZoom to show the new tree.
// Every setter that changes the picture repaints at once; SetSuppressPaint brackets a
// series of changes.
//
// A tree computed elsewhere is shown with SetTree instead (see there). While such a given
// tree is shown, ClusterMethod, DistMeasure, FlexAlpha and changes of Data are only stored:
// they do not touch the tree until the application clusters again with CalcDendrogram()
// (which SetSuppressRecalc(false) runs too).
#pragma once

#include "gfxbase/export.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include <QStringList>

#include "cluster/hclust.h"
#include "cluster/tree.h"
#include "dendrogram/layout.h"
#include "gfxbase/control.h"
#include "gfxbase/enums.h"
#include "gfxbase/settings.h"
#include "gfxbase/types.h"
#include "numeric/datatable.h"
#include "numeric/matrix.h"
#include "numeric/vector.h"

namespace dendrokit {

class TScale;
class TDigitAtlas;

// Raised before each leaf label is drawn; the handler may change the text and its colour
// (color starts as ColorDendrogram).
using TDendroShowObjLblEvent =
    std::function<void(TObject* sender, int obj, std::string& text, TColor& color)>;
// Raised after a zoom or pan made with the mouse, the wheel or the keyboard.
using TZoomPanEvent = std::function<void(TObject* sender)>;

class DENDROKIT_EXPORT TDendrogram : public TCustomControl {
  Q_OBJECT
  // Qt properties: the published properties through their own getters and setters.
  Q_PROPERTY(int markedObject READ MarkedObject WRITE setMarkedObject)
  Q_PROPERTY(int markStyle READ MarkStyle WRITE setMarkStyle)
  Q_PROPERTY(dendrokit::TClusterMethod clusterMethod READ ClusterMethod WRITE setClusterMethod)
  Q_PROPERTY(dendrokit::TDistMode distMeasure READ DistMeasure WRITE setDistMeasure)
  Q_PROPERTY(double flexAlpha READ FlexAlpha WRITE setFlexAlpha)
  Q_PROPERTY(double distLow READ DistLow WRITE setDistLow NOTIFY windowChanged)
  Q_PROPERTY(double distHigh READ DistHigh WRITE setDistHigh NOTIFY windowChanged)
  Q_PROPERTY(double objLow READ ObjLow WRITE setObjLow NOTIFY windowChanged)
  Q_PROPERTY(double objHigh READ ObjHigh WRITE setObjHigh NOTIFY windowChanged)
  Q_PROPERTY(int margin READ Margin WRITE setMargin NOTIFY marginChanged)
  Q_PROPERTY(bool marginIsMoveable READ MarginIsMoveable WRITE setMarginIsMoveable)
  Q_PROPERTY(int scaleWidth READ ScaleWidth WRITE setScaleWidth)
  Q_PROPERTY(int scaleHeight READ ScaleHeight WRITE setScaleHeight)
  Q_PROPERTY(dendrokit::TDirection orientation READ Orientation WRITE setOrientation)
  Q_PROPERTY(dendrokit::TColorScheme colorScheme READ ColorScheme WRITE setColorScheme)
  Q_PROPERTY(QColor colorDendrogram READ ColorDendrogramQ WRITE setColorDendrogram)
  Q_PROPERTY(QColor colorDendrogramBackGnd READ ColorDendrogramBackGndQ
                 WRITE setColorDendrogramBackGnd)
  Q_PROPERTY(QColor colorLabelsBG READ ColorLabelsBGQ WRITE setColorLabelsBG)
  Q_PROPERTY(QColor colorEmptyArea READ ColorEmptyAreaQ WRITE setColorEmptyArea)
  Q_PROPERTY(QColor colorScale READ ColorScaleQ WRITE setColorScale)
  Q_PROPERTY(QColor colorScaleBackGnd READ ColorScaleBackGndQ WRITE setColorScaleBackGnd)
  Q_PROPERTY(int decPlaces READ DecPlaces WRITE setDecPlaces)
  Q_PROPERTY(bool forceStaggeredLabels READ ForceStaggeredLabels WRITE setForceStaggeredLabels)
  Q_PROPERTY(bool showClassColors READ ShowClassColors WRITE setShowClassColors)
  Q_PROPERTY(dendrokit::TFrameStyle frameStyle READ FrameStyle WRITE setFrameStyle)
  Q_PROPERTY(dendrokit::TMouseActMode mouseAction READ MouseAction WRITE setMouseAction)
  Q_PROPERTY(bool fontIsTrueType READ FontIsTrueType NOTIFY fontIsTrueTypeChanged)
  Q_PROPERTY(QStringList objLabels READ ObjLabels WRITE setObjLabels NOTIFY objLabelsChanged)

 public:
  DENDROKIT_QCOLOR_ACCESSORS(ColorDendrogram)
  DENDROKIT_QCOLOR_ACCESSORS(ColorDendrogramBackGnd)
  DENDROKIT_QCOLOR_ACCESSORS(ColorLabelsBG)
  DENDROKIT_QCOLOR_ACCESSORS(ColorEmptyArea)
  DENDROKIT_QCOLOR_ACCESSORS(ColorScale)
  DENDROKIT_QCOLOR_ACCESSORS(ColorScaleBackGnd)
  DENDROKIT_QT_SETTER(MarkedObject, int)
  // Values outside 0..255 are ignored.
  void setMarkStyle(int value);
  DENDROKIT_QT_SETTER(ClusterMethod, TClusterMethod)
  DENDROKIT_QT_SETTER(DistMeasure, TDistMode)
  DENDROKIT_QT_SETTER(FlexAlpha, double)
  DENDROKIT_QT_SETTER(DistLow, double)
  DENDROKIT_QT_SETTER(DistHigh, double)
  DENDROKIT_QT_SETTER(ObjLow, double)
  DENDROKIT_QT_SETTER(ObjHigh, double)
  DENDROKIT_QT_SETTER(Margin, int)
  DENDROKIT_QT_SETTER(MarginIsMoveable, bool)
  DENDROKIT_QT_SETTER(ScaleWidth, int)
  DENDROKIT_QT_SETTER(ScaleHeight, int)
  DENDROKIT_QT_SETTER(Orientation, TDirection)
  DENDROKIT_QT_SETTER(ColorScheme, TColorScheme)
  DENDROKIT_QT_SETTER(DecPlaces, int)
  DENDROKIT_QT_SETTER(ForceStaggeredLabels, bool)
  DENDROKIT_QT_SETTER(ShowClassColors, bool)
  DENDROKIT_QT_SETTER(FrameStyle, TFrameStyle)
  DENDROKIT_QT_SETTER(MouseAction, TMouseActMode)

 signals:
  // Raised after the matching std::function event's handler, with the same arguments
  // (var parameters as references, so a direct connection may change them too).
  void dendroBegin();
  void dendroDone();
  void progress(int percentDone);
  void calcDistance(int row1, int row2, double& distance);
  void beforeShowObjLabel(int obj, QString& text, QColor& color);
  void zoomPanned();
  void crossHairMoved();
  void objLabelsChanged();
  void clustersChanged();
  void selectionChanged();
  // Notify signals, once per real change by any path (setter, SetRange, ResetZoom, mouse,
  // wheel, keys): the view window (DistLow, DistHigh, ObjLow, ObjHigh), the label band's
  // width, and the font check. zoomPanned stays OnZoomPan's signal (user zooms and pans).
  void windowChanged();
  void marginChanged();
  void fontIsTrueTypeChanged();

 public:
  // Smallest width and height SetBounds accepts.
  static constexpr int kMinSize = 120;

  explicit TDendrogram(QWidget* parent = nullptr);
  ~TDendrogram() override;
  std::string_view ClassName() const override { return "TDendrogram"; }

  // ---- Owned data ----
  // The objects to cluster: rows are objects, columns variables. A change reclusters
  // unless SuppressRecalc is set.
  TDataTable& Data() { return *data_; }
  const TDataTable& Data() const { return *data_; }
  // Results of the last CalcDendrogram: 3 x (n-1) merges (child, child, new node),
  // n-1 merge distances, 2n-1 node positions along the object axis.
  const TIntMatrix& MergeTable() const { return *mergeTable_; }
  const TVector& MergeDist() const { return *mergeDist_; }
  const TVector& NodePos() const { return *nodePos_; }
  // One class per node (2n-1 entries, written by the application): -1 none, 0..255 index
  // ClassColors. Other values are drawn in ColorDendrogram. Shown when ShowClassColors.
  TIntVector& NodeClass() { return *nodeClass_; }
  const TIntVector& NodeClass() const { return *nodeClass_; }
  // Colour of class i (0..255); the 16 basic colours repeat. Changes show at the next paint.
  std::array<TColor, 256>& ClassColors() { return classColors_; }
  const std::array<TColor, 256>& ClassColors() const { return classColors_; }
  // Object whose leaf is highlighted (<= 0: none); 1 by default. Repaints on change.
  int MarkedObject() const { return markedObject_; }
  void SetMarkedObject(int value);
  // 0 none, 1 bar, 2 chevrons. Repaints on change.
  std::uint8_t MarkStyle() const { return markStyle_; }
  void SetMarkStyle(std::uint8_t value);

  // ---- A given tree ----
  // Shows a tree computed elsewhere, in the engine's form: n = height.size() + 1 objects
  // are nodes 1..n, step s (1-based) joins first[s-1] and second[s-1] into node n+s at
  // height[s-1]. labels (optional: empty, or one per object) replace ObjLabels; without
  // them the objects show their numbers. Nothing is clustered: MergeTable, MergeDist and
  // NodePos take the tree (leaves placed as the engine places them, the root's children in
  // the order first, second; every other cluster's as second, first), NodeClass becomes -1
  // throughout, a cut and the selection are cleared, the window stays (call ResetZoom) and
  // the control repaints. Heights may decrease (centroid and median linkage). A bad tree
  // (see ValidateTree in cluster/tree.h) or a wrong label count raises EVELError with the
  // reason and changes nothing. For R's merge/height and SciPy's Z, convert with TreeFromR
  // and TreeFromScipy (cluster/tree.h) and pass the result to the second form.
  void SetTree(std::span<const int> first, std::span<const int> second,
               std::span<const double> height, const QStringList& labels = {});
  void SetTree(const TMergeTree& tree, const QStringList& labels = {});
  // Whether the shown tree came from SetTree (until CalcDendrogram clusters Data again).
  bool HasGivenTree() const { return givenTree_; }
  // The shown tree in the engine's form (given or clustered).
  TMergeTree Tree() const;

  // ---- Labels ----
  // Object k shows ObjLabels()[k-1]; objects beyond the list (all of them while it is
  // empty, the default) show their numbers. OnBeforeShowObjLabel still has the last word.
  // Repaints and raises objLabelsChanged on a change.
  const QStringList& ObjLabels() const { return objLabels_; }
  void SetObjLabels(const QStringList& value);
  void setObjLabels(const QStringList& value) { SetObjLabels(value); }
  // The text object k shows before OnBeforeShowObjLabel (its label or its number).
  std::string ObjLabelText(int obj) const;

  // ---- Cutting into clusters ----
  // Cut at height h: walking down from the root, every cluster node above h is cut open,
  // so a merge at exactly h is made and tied merges are all made or all undone. NaN is
  // ignored.
  void CutAtHeight(double h);
  // Cut into k clusters (clamped to 1..n): the last k-1 merges in step order are undone.
  // Both cuts number the clusters 1..k by first appearance in object order (as R's cutree),
  // write them to NodeClass (nodes above the cut -1; cluster c as class (c-1) mod 255 + 1),
  // copy CutColors into ClassColors 1..255 (cycled), switch ShowClassColors on, draw the cut
  // as a dashed line across the tree area and repaint. EVELError when the shown tree is not
  // a tree (a stopped clustering leaves zeros).
  void CutIntoClusters(int k);
  // Removes the cut and its line; NodeClass becomes -1 throughout. Repaints.
  void ClearCut();
  bool HasCut() const { return hasCut_; }
  // Where the cut line is drawn (data units); for CutIntoClusters midway between the last
  // merge made and the first undone.
  double CutHeight() const { return cutHeight_; }
  // The cluster of each object (index k-1 for object k), empty without a cut.
  const std::vector<int>& Clusters() const { return clusters_; }
  int ClusterCount() const { return clusterCount_; }
  // Colours that a cut writes into ClassColors 1..255, repeated. Default: the 10-colour
  // qualitative palette category10 (blue, orange, green, red, purple, brown, pink, grey,
  // olive, cyan). Empty: a cut leaves ClassColors as the application set them.
  const std::vector<TColor>& CutColors() const { return cutColors_; }
  void SetCutColors(std::vector<TColor> value) { cutColors_ = std::move(value); }

  // ---- Hover and selection ----
  // The node whose stem (the line rising from it) or connector (the line joining its
  // children) passes within 3 pixels of client pixel (x, y), 0 for none. Walks down from
  // the root through the child whose leaves span the pointer, testing the places painting
  // draws: O(depth), no pixel reads.
  int NodeAt(int x, int y) const;
  // Selects node's subtree (1..2n-1; 0 clears; other values are ignored), drawn thick in
  // ColorSelection; raises OnSelectionChange on a change. Kept through zoom, pan, resize
  // and orientation changes; a new tree clears it.
  void SelectSubtree(int node);
  void ClearSelection() { SelectSubtree(0); }
  int SelectedNode() const { return selectedNode_; }
  // The objects of the selected subtree, ascending; empty without a selection.
  std::vector<int> SelectedObjects() const;
  // The node highlighted under the pointer in maSelectSubtree (0: none).
  int HoverNode() const { return hoverNode_; }
  TColor ColorSelection() const { return colorSelection_; }
  void SetColorSelection(TColor value);

  // ---- Clustering ----
  TClusterMethod ClusterMethod() const { return clusterMethod_; }
  void SetClusterMethod(TClusterMethod value);  // reclusters
  TDistMode DistMeasure() const { return distMeasure_; }
  void SetDistMeasure(TDistMode value);  // reclusters
  // Clamped to [0.5, 1.0]; reclusters only under cmFlexLink.
  double FlexAlpha() const { return flexAlpha_; }
  void SetFlexAlpha(double value);

  // ---- View window (data units) ----
  // Each end is ignored unless it keeps low < high (and is finite).
  double DistLow() const { return window_.DistLow; }
  void SetDistLow(double value);
  double DistHigh() const { return window_.DistHigh; }
  void SetDistHigh(double value);
  double ObjLow() const { return window_.ObjLow; }
  void SetObjLow(double value);
  double ObjHigh() const { return window_.ObjHigh; }
  void SetObjHigh(double value);

  // ---- Layout ----
  // Width (or height) of the label band, clamped to [0, 200].
  int Margin() const { return margin_; }
  void SetMargin(int value);
  // Whether the label band's edge can be dragged with the mouse.
  bool MarginIsMoveable() const { return marginIsMoveable_; }
  void SetMarginIsMoveable(bool value);
  // Height of a horizontal scale strip / width of a vertical one, each clamped to [0, 120].
  int ScaleWidth() const { return scaleWidth_; }
  void SetScaleWidth(int value);
  int ScaleHeight() const { return scaleHeight_; }
  void SetScaleHeight(int value);
  // Where the tree grows from its leaves; always re-lays out and repaints.
  TDirection Orientation() const { return orientation_; }
  void SetOrientation(TDirection value);

  // ---- Colours and looks ----
  TColorScheme ColorScheme() const { return colorScheme_; }
  void SetColorScheme(TColorScheme value);
  TColor ColorDendrogram() const { return colorDendrogram_; }
  void SetColorDendrogram(TColor value);
  TColor ColorDendrogramBackGnd() const { return colorDendrogramBackGnd_; }
  void SetColorDendrogramBackGnd(TColor value);
  TColor ColorLabelsBG() const { return colorLabelsBG_; }
  void SetColorLabelsBG(TColor value);
  TColor ColorEmptyArea() const { return colorEmptyArea_; }
  void SetColorEmptyArea(TColor value);
  // Kept in the scale (its line and font colour, its background, its decimals).
  TColor ColorScale() const;
  void SetColorScale(TColor value);
  TColor ColorScaleBackGnd() const;
  void SetColorScaleBackGnd(TColor value);
  int DecPlaces() const;
  void SetDecPlaces(int value);
  // The owned crosshair; its changes repaint. SetCrossHair copies the settings in.
  TCrossHair& CrossHair() { return *crossHair_; }
  const TCrossHair& CrossHair() const { return *crossHair_; }
  void SetCrossHair(const TCrossHair& value);
  bool ForceStaggeredLabels() const { return forceStaggeredLabels_; }
  void SetForceStaggeredLabels(bool value);
  bool ShowClassColors() const { return showClassColors_; }
  void SetShowClassColors(bool value);
  TFrameStyle FrameStyle() const { return frameStyle_; }
  void SetFrameStyle(TFrameStyle value);
  // What a left-button drag does: maPan, maPanHoriz, maPanVert, maZoomWind, maZoomDrag,
  // maDragCrossH; maDragCut cuts the tree where the pointer is pressed and follows it;
  // maSelectSubtree highlights the subtree under the pointer and selects it on a click.
  // Other values do nothing here.
  TMouseActMode MouseAction() const { return mouseAction_; }
  void SetMouseAction(TMouseActMode value) { mouseAction_ = value; }
  // Whether the control's font is scalable (recorded at every font change); up and down
  // labels are drawn rotated only then.
  bool FontIsTrueType() const { return fontIsTrueType_; }

  // ---- Operations ----
  // Reclusters Data (unless SuppressRecalc), also after SetTree. Keeps the window and does
  // not repaint. Exceptions of the clustering propagate; the previous tree then stays, whole: MergeTable,
  // MergeDist, NodePos and NodeClass change together or not at all. Called while a
  // recluster runs (a handler of OnProgress changing the method or the data), it returns at
  // once and the running recluster starts again with the settings then current, so the
  // tree shown is always the one of the last request.
  void CalcDendrogram();
  // Window over all objects and 105 % of the largest merge distance; repaints.
  void ResetZoom();
  // Sets both windows (ends in any order); ignored when either interval is empty or an
  // end is not finite. Repaints.
  void SetRange(double objA, double objB, double distA, double distB);
  bool SuppressPaint() const { return suppressPaint_; }
  void SetSuppressPaint(bool value);  // false repaints
  bool SuppressRecalc() const { return suppressRecalc_; }
  void SetSuppressRecalc(bool value);  // false reclusters
  // Pixel mappings of the current window. Pixels are limited to -30000..30000; a collapsed
  // axis maps every pixel back to the window's low end.
  int ObjToPixel(double x) const;
  double PixelToObj(int p) const;
  int DistToPixel(double d) const;
  double PixelToDist(int p) const;
  // Whether client pixel (x, y) lies in the tree's rectangle.
  bool InTreeArea(int x, int y) const;
  // Data coordinates of the last pointer position inside the tree area.
  double MouseObj() const { return mouseObj_; }
  double MouseDist() const { return mouseDist_; }

  // The fixed places of the current size and settings, in pixels (what Paint draws).
  TDendroGeometry Geometry() const;
  TViewWindow Window() const { return window_; }
  // The embedded distance scale (drawn into this control's picture, never shown itself).
  const TScale& Scale() const { return *scale_; }

  // Enforces the minimum size of 120 x 120, then re-lays out.
  void SetBounds(int left, int top, int width, int height) override;
  QSize sizeHint() const override { return {250, 300}; }
  QSize minimumSizeHint() const override { return {kMinSize, kMinSize}; }

  // Mouse handling (client pixels, shift state with the buttons held).
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  // Zooms both axes about client pixel (x, y); steps > 0 zoom in by 1.25 per step.
  void WheelZoom(int x, int y, double steps);

  // ---- Events ----
  TEvent<TNotifyEvent> OnDendroBegin;
  TEvent<TNotifyEvent> OnDendroDone;
  TEvent<TOnPercentDoneEvent> OnProgress;
  TEvent<TOnCalcDistanceEvent> OnCalcDistance;
  TEvent<TDendroShowObjLblEvent> OnBeforeShowObjLabel;
  TEvent<TZoomPanEvent> OnZoomPan;
  TEvent<TNotifyEvent> OnCrossHairMove;
  // Raised when Clusters() changes (a cut, ClearCut, a new tree clearing a cut).
  TEvent<TNotifyEvent> OnClustersChange;
  // Raised when SelectedNode() changes (a click, SelectSubtree, Escape, a new tree).
  TEvent<TNotifyEvent> OnSelectionChange;

 public:
  // The picture as Paint draws it, on any canvas (see TCustomControl::RenderTo).
  void RenderTo(TCanvas& canvas, const TImageOptions& options) override;

 protected:
  void Paint() override;
  void CreateWnd() override;
  void Resize() override;
  void FontChanged() override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void MouseLeave() override;

 private:
  void BindSignals();
  void AdoptTree(TIntMatrix& mergeTable, TVector& mergeDist, TVector& nodePos,
                 TIntVector& nodeClass, int n);
  // CalcDendrogram for the setters and data changes: skipped while a given tree is shown.
  void Recluster();
  // Called whenever MergeTable and its companions hold a new tree.
  void TreeChanged();
  // Stores the scale's place, size and range for the orientation, recomputes the mapping.
  void ApplyLayout();
  void ApplyScaleRange();
  void CalcTransform();
  // Repaint that never lets an exception out (for paths Qt calls).
  void SafeRepaint();
  // Takes a window unless an end is not finite or an interval is empty; repaints.
  bool SetWindow(const TViewWindow& w);
  void HandleMouseMove(TShiftState shift, int& x, int& y);
  void RecordPointer(int x, int y);
  void StartDrag(int x, int y);
  void Pan(const TViewWindow& start, double startDObj, double startDDist, int dx, int dy,
           int mode);
  void MoveView(int dx, int dy);
  void DrawBand(TPoint corner);
  void PaintContent(TCanvas& c, bool crossHair, bool hover);
  void DrawPicture(TCanvas& c, bool crossHair, bool hover);
  // Applies a cut (empty Object: none) and raises OnClustersChange when the clusters moved.
  void ApplyCut(TTreeCut cut, double height);
  void CutAtPointer(int x, int y);
  void SetHover(int node);
  // Node k's height and its parent (0 for the root).
  double NodeHeight(int k) const;
  // Draws node's stem and everything below it with the given pen width, in ColorSelection
  // or (colour == nullptr) in the tree's own colours.
  void DrawSubtree(TCanvas& c, int node, int width, const TColor* colour);

  std::unique_ptr<TDataTable> data_;
  std::unique_ptr<TIntMatrix> mergeTable_;
  std::unique_ptr<TVector> mergeDist_;
  std::unique_ptr<TVector> nodePos_;
  std::unique_ptr<TIntVector> nodeClass_;
  std::unique_ptr<TCrossHair> crossHair_;
  std::unique_ptr<TScale> scale_;

  std::array<TColor, 256> classColors_{};
  int markedObject_ = 1;
  std::uint8_t markStyle_ = 1;
  TClusterMethod clusterMethod_ = cmWard;
  TDistMode distMeasure_ = dmEuclid;
  double flexAlpha_ = 0.5;
  TViewWindow window_;
  TTransform transform_;
  int margin_ = 120;
  bool marginIsMoveable_ = false;
  int scaleWidth_ = 30;
  int scaleHeight_ = 60;
  TDirection orientation_ = dirLeftward;
  TColorScheme colorScheme_ = csBWG;
  TColor colorDendrogram_ = 0x000000;
  TColor colorDendrogramBackGnd_ = 0xC0DCC0;
  TColor colorLabelsBG_ = 0xCCFFFF;
  TColor colorEmptyArea_ = 0xFFFFFF;
  bool forceStaggeredLabels_ = false;
  bool showClassColors_ = false;
  TFrameStyle frameStyle_ = fsLowered;
  TMouseActMode mouseAction_ = maNone;
  bool suppressPaint_ = true;
  bool suppressRecalc_ = true;
  bool fontIsTrueType_ = false;
  int treeN_ = 1;  // objects of the tree last computed
  // A recluster asked for while one runs (from OnProgress, say) runs after it: the last
  // request wins. treeGeneration_ counts the trees adopted, so a setter whose recluster
  // failed knows whether its outputs changed.
  bool clustering_ = false;
  bool reclusterPending_ = false;
  std::uint64_t treeGeneration_ = 0;
  bool givenTree_ = false;  // the tree came from SetTree
  QStringList objLabels_;
  std::vector<std::string> labelTexts_;  // objLabels_ as UTF-8, for painting
  std::size_t longestLabel_ = 0;         // in UTF-8 bytes
  TMergeTree tree_;                      // the shown tree, kept by TreeChanged
  bool treeValid_ = false;               // tree_ passed ValidateTree
  bool hasCut_ = false;
  double cutHeight_ = 0.0;
  std::vector<int> clusters_;
  int clusterCount_ = 0;
  std::vector<TColor> cutColors_;
  std::vector<int> parent_;              // of node k at k-1, 0 for the root
  std::vector<double> spanLow_, spanHigh_;  // leaf positions spanned by node k, at k-1
  int selectedNode_ = 0;
  int hoverNode_ = 0;
  TColor colorSelection_ = 0x7800E6;     // crimson-magenta, apart from category10
  std::string checkedFontName_;  // family whose FontIsTrueType is recorded
  std::unique_ptr<TDigitAtlas> digitAtlas_;  // number labels drawn without the painter

  // Mouse state.
  bool dragging_ = false;
  bool banding_ = false;
  TPoint bandStart_;
  TPoint bandCorner_;
  TPoint dragStart_;
  TViewWindow dragWindow_;
  double dragDObj_ = 0.0;
  double dragDDist_ = 0.0;
  double mouseObj_ = 0.0;
  double mouseDist_ = 0.0;
};

}  // namespace dendrokit
