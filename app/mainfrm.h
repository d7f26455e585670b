// TForm1: the sample program's main window. A fixed pixel layout holding the dendrogram, the
// data chart and the controls that change the dendrogram's settings; the handlers below are
// what each control does.
#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <random>
#include <string>

#include "gfxbase/types.h"

class QLabel;
class QMenu;
class QAction;
class QProgressBar;
class QPushButton;
class QScrollBar;

namespace dendrokit {

class TColSel;
class TDendrogram;
class TObject;
class TPlotra;
class TRadioGroup;

class TForm1 : public QWidget {
  Q_OBJECT

 public:
  // Outer size and place of the window (frame included where the platform has one).
  static constexpr int kLeft = 288, kTop = 260, kOuterWidth = 947, kOuterHeight = 656;
  // The smallest client area that still holds every control with a small rim.
  static constexpr int kMinClientWidth = 939, kMinClientHeight = 622;
  // Line height of the window's font in pixels.
  static constexpr int kFontLineHeight = 13;

  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // The controls, named as the window's definition names them (owned by the window).
  TDendrogram* MyDendro = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  TPlotra* Plotra1 = nullptr;
  QLabel* Label7 = nullptr;
  QLabel* Label2 = nullptr;
  TColSel* CSelDendro = nullptr;
  QLabel* Label3 = nullptr;
  TColSel* CSelDendroBG = nullptr;
  QLabel* Label1 = nullptr;
  TColSel* CSelScale = nullptr;
  QLabel* Label4 = nullptr;
  TColSel* CSelScaleBG = nullptr;
  TRadioGroup* RGOrientation = nullptr;
  TRadioGroup* RGDistMode = nullptr;
  TRadioGroup* RGClustMeth = nullptr;
  QLabel* Label8 = nullptr;
  QScrollBar* SBarAlpha = nullptr;
  QLabel* Label5 = nullptr;
  QScrollBar* SBarHigh = nullptr;
  QLabel* LblScaleWidth = nullptr;
  QScrollBar* SBarHorzScaleWid = nullptr;
  QLabel* Label6 = nullptr;
  QScrollBar* SBarMargin = nullptr;
  QPushButton* ButNewData = nullptr;
  QPushButton* BButExit = nullptr;

  QMenu* PopMenDendro = nullptr;
  QAction* Zoom111 = nullptr;
  QAction* Pan1 = nullptr;
  QAction* ZoomWindow1 = nullptr;
  QAction* ZoombyMouseDrag1 = nullptr;
  QAction* DragCrosshair1 = nullptr;
  // Beyond the window's definition: entries appended to PopMenDendro while it is shown (at
  // rest it holds the five entries above), with their keyboard shortcuts.
  QAction* CutHere1 = nullptr;       // "Cut here": at the pointer's height
  QAction* DragCutLine1 = nullptr;   // "Drag Cut Line" (Ctrl+K): maDragCut
  QAction* SelectSubtree1 = nullptr; // "Select Subtree" (Ctrl+L): maSelectSubtree
  QAction* RemoveCut1 = nullptr;     // "Remove Cut" (Ctrl+Shift+K)

  // The dendrogram's DistHigh right after the last ResetZoom made by a handler: 100 % of the
  // SBarHigh scroll bar.
  double FullDistHigh() const { return fullDistHigh_; }

  // Beyond the window's own controls: the dendrogram and the chart together as one
  // picture, PNG (at twice the pixels), SVG or PDF by the extension of path. Raises
  // EVELError when the file cannot be written (an old file stays as it was).
  void SaveViews(const std::string& path);
  // Asks for a file name and saves the views there (Ctrl+S, "Save Picture..." in the
  // dendrogram's popup menu, which appears there only while the menu is shown).
  void SaveViewsDialog();
  QAction* SavePicture1 = nullptr;

  // Seeds the generator of "Create New Data" (which otherwise seeds itself from the clock)
  // so that a run can be repeated.
  void SetSeed(unsigned seed) { seed_ = seed; }

  // Handlers.
  void FormShow();
  void ButNewDataClick();
  void RGOrientationClick();
  void SBarHorzScaleWidChange();
  void SBarMarginChange();
  void SBarHighChange();
  void RGDistModeClick();
  void RGClustMethClick();
  void SBarAlphaChange();
  void CSelDendroChange();
  void CSelDendroBGChange();
  void CSelScaleChange();
  void CSelScaleBGChange();
  void Zoom111Click();
  void Pan1Click();
  void ZoomWindow1Click();
  void ZoombyMouseDrag1Click();
  void DragCrosshair1Click();
  void MyDendroProgress(int percentDone);
  // The user-defined distance: the first variable's difference only. sender is the data
  // matrix the rows belong to.
  void MyDendroCalcDistance(TObject* sender, int row1, int row2, double& distance);
  void BButExitClick();
  // The linked views: the chart draws each object's text in its cluster's colour after a
  // cut, and the selected objects' texts highlighted (the others dimmed) while a subtree is
  // selected. Escape clears the selection.
  void CutHere1Click();
  void MyDendroClustersChange();
  void MyDendroSelectionChange();
  // The chart's text colour of object row under the current cut and selection.
  TColor ObjectTextColor(int row) const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void CreateControls();
  void InitDendrogram();
  void InitChart();
  // ResetZoom and the bookkeeping that follows every recomputation made by a handler.
  void ShowWholeTree();
  void SetTabOrder();
  void FitFrame();
  void CreateLinkingActions();
  void CreateSaveAction();
  // Rebuilds the chart's texts in the colours of ObjectTextColor.
  void ColourChartTexts();

  std::mt19937 random_;
  unsigned seed_ = 0;
  double fullDistHigh_ = 0.0;
  QElapsedTimer progressClock_;
  bool shown_ = false;
};

}  // namespace dendrokit
