#include "app/mainfrm.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QMessageBox>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QShowEvent>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>

#include "app/radiogroup.h"
#include "chart/plotra.h"
#include "colsel/colsel.h"
#include "dendrogram/dendrogram.h"
#include "gfxbase/canvas.h"
#include "numeric/matrix.h"

namespace dendrokit {

namespace {

constexpr TColor kBlack = 0x000000;
constexpr TColor kMaroon = 0x000080;
constexpr TColor kRed = 0x0000FF;
constexpr TColor kSilver = 0xC0C0C0;
constexpr TColor kWhite = 0xFFFFFF;
constexpr TColor kLightBlue = 16245198;
constexpr TColor kLightGrey = 14540253;

// Runs a handler for Qt: an exception must not cross the event loop, so it is reported
// and the window carries on with whatever state the handler reached.
template <typename F>
void Guarded(const char* handler, F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    qWarning("%s: %s", handler, e.what());
  } catch (...) {
    qWarning("%s: unknown error", handler);
  }
}

// Runs f with the dendrogram's painting suspended and repaints once afterwards, also when f
// throws. Painting that is already suspended (before the window is shown) stays so.
template <typename F>
void WithOnePaint(TDendrogram& d, F&& f) {
  if (d.SuppressPaint()) return f();
  d.SetSuppressPaint(true);
  try {
    f();
  } catch (...) {
    d.SetSuppressPaint(false);
    throw;
  }
  d.SetSuppressPaint(false);
}

// Date format shared by both layer-1 axes of the chart.
void SetDateFormat(TDTLabel& format) {
  format.SetTimeFormat(tfHHMMSS);
  format.SetDateSeparator('-');
  format.SetTimeSeparator(':');
  format.SetYearLength(ylYYYY);
  format.SetMonthName(true);
  format.SetDateOrder(doDDMMYY);
  format.SetDateForTime(dtOnePerDay);
}

// The settings both layer-1 axes share.
void SetDataAxis(TScaleProps& axis) {
  axis.SetVisible(true);
  axis.SetLabelType(ftNum);
  axis.SetLogarithmic(false);
  axis.SetRangeHigh(250.0);
  axis.SetDecPlaces(-2);
  axis.SetMinTicks(3);
  axis.SetMinRange(1e-10);
  axis.SetShortTicks(true);
  axis.SetColorScale(kBlack);
  SetDateFormat(axis.DateFormat());
}

// The "Exit" glyph: an open door with an arrow leaving through it, 18 x 18 pixels.
QIcon ExitGlyph() {
  QPixmap pixmap(18, 18);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QColor(64, 40, 16));
  p.setBrush(QColor(200, 200, 200));
  p.drawRect(2, 1, 9, 15);  // the frame
  p.setBrush(QColor(150, 90, 40));
  p.drawPolygon(QPolygon({QPoint(2, 1), QPoint(7, 3), QPoint(7, 17), QPoint(2, 16)}));  // the door
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 140, 0));
  p.drawRect(9, 7, 5, 3);  // the arrow's shaft and head
  p.drawPolygon(QPolygon({QPoint(13, 4), QPoint(17, 8), QPoint(13, 12)}));
  return QIcon(pixmap);
}

QLabel* MakeLabel(QWidget* parent, const char* text, int left, int top, int width, int height) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setGeometry(left, top, width, height);
  return label;
}

// Qt never lets a wheel turn scroll a bar further than one page, so with a page step of 0 the
// wheel would not move it at all: the bar lends itself a page of one turn's lines meanwhile.
// Qt's scroll bars also invert their key controls (made for vertical bars, where Down
// raises the value), so on a horizontal bar Left would raise it: keys are taken uninverted,
// Left lowers and Right raises, as the arrow buttons do; the wheel keeps Qt's direction.
class WheelScrollBar : public QScrollBar {
 public:
  using QScrollBar::QScrollBar;

 protected:
  void wheelEvent(QWheelEvent* event) override {
    const int page = pageStep();
    setPageStep(QApplication::wheelScrollLines() * singleStep());
    QScrollBar::wheelEvent(event);
    setPageStep(page);
  }
  void keyPressEvent(QKeyEvent* event) override {
    const bool inverted = invertedControls();
    setInvertedControls(false);
    QScrollBar::keyPressEvent(event);
    setInvertedControls(inverted);
  }
};

// A scroll bar with a page size of 0 (the smallest thumb). Qt's trough click moves by the
// page size, so it would not move at all; it moves by one instead.
QScrollBar* MakeScrollBar(QWidget* parent, int min, int max, int position, int left, int top,
                          int width, int height) {
  auto* bar = new WheelScrollBar(Qt::Horizontal, parent);
  bar->setRange(min, max);
  bar->setSingleStep(1);
  bar->setPageStep(0);
  bar->setValue(position);
  bar->setFocusPolicy(Qt::StrongFocus);  // a tab stop, moved by the arrow keys
  bar->setGeometry(left, top, width, height);
  QObject::connect(bar, &QAbstractSlider::actionTriggered, bar, [bar](int action) {
    if (action == QAbstractSlider::SliderPageStepAdd)
      bar->setSliderPosition(bar->sliderPosition() + 1);
    else if (action == QAbstractSlider::SliderPageStepSub)
      bar->setSliderPosition(bar->sliderPosition() - 1);
  });
  return bar;
}

TColSel* MakeColSel(QWidget* parent, TColor selected, int left, int top) {
  auto* sel = new TColSel(parent);
  sel->SetNumColors(20);
  sel->SetColorBarWidth(30);
  sel->SetSelColor(selected);
  sel->setGeometry(left, top, 145, 22);
  return sel;
}

// The window's sans-serif font. A scalable one: the dendrogram turns its leaf labels
// upright only in a scalable font, and 60 labels side by side need that.
constexpr const char* kFontFamily = "DejaVu Sans";

// The window's font, its lines kFontLineHeight pixels high, sized in pixels so that the
// screen's resolution does not scale it.
QFont WindowFont() {
  QFont font(QString::fromLatin1(kFontFamily));
  font.setStyleHint(QFont::SansSerif);
  int pixels = TForm1::kFontLineHeight;
  font.setPixelSize(pixels);
  while (pixels > 6 && QFontMetrics(font).height() > TForm1::kFontLineHeight)
    font.setPixelSize(--pixels);
  return font;
}

// The controls take the window's font, as they would from a parent.
void UseWindowFont(TFont& font, const QFont& windowFont) {
  font.SetName(kFontFamily);
  font.SetHeight(windowFont.pixelSize());
}

}  // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Sample Program - TDendrogram"));
  setFont(WindowFont());
  QPalette pal = palette();
  pal.setColor(QPalette::Window, ColorToQColor(clBtnFace));
  setPalette(pal);
  setAutoFillBackground(true);
  // Without a frame (off-screen, or before the window manager has decorated the window) the
  // whole outer size is client area; FitFrame corrects this once the frame is known.
  resize(kOuterWidth, kOuterHeight);
  move(kLeft, kTop);  // places the frame, not the client area
  CreateControls();
  SetTabOrder();
}

TForm1::~TForm1() = default;

void TForm1::CreateControls() {
  MyDendro = new TDendrogram(this);
  MyDendro->SetName("MyDendro");
  MyDendro->SetBounds(8, 24, 529, 393);
  // Not a tab stop of this window; a click still gives it the keyboard for zooming.
  MyDendro->setFocusPolicy(Qt::ClickFocus);
  InitDendrogram();

  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(0);
  ProgressBar1->setTextVisible(false);
  ProgressBar1->setGeometry(8, 424, 529, 12);

  Plotra1 = new TPlotra(this);
  Plotra1->SetName("Plotra1");
  Plotra1->SetBounds(544, 8, 393, 425);
  // The chart keeps Tab while it has the focus, and this window gives it no keyboard work: a
  // click on it must not leave the keyboard stuck there.
  Plotra1->setFocusPolicy(Qt::NoFocus);
  InitChart();

  Label7 = MakeLabel(this, "Use context menu of dendrogram to change mouse behavior", 8, 8, 359, 16);
  Label2 = MakeLabel(this, "Color of Dendrogram", 8, 448, 125, 16);
  CSelDendro = MakeColSel(this, kBlack, 8, 464);
  Label3 = MakeLabel(this, "Backgnd of Dendrogram", 8, 492, 147, 16);
  CSelDendroBG = MakeColSel(this, kLightBlue, 8, 508);
  Label1 = MakeLabel(this, "Scale Color", 8, 536, 70, 16);
  CSelScale = MakeColSel(this, kBlack, 8, 552);
  Label4 = MakeLabel(this, "Background of Scale", 8, 580, 125, 16);
  CSelScaleBG = MakeColSel(this, kSilver, 8, 597);

  RGOrientation = new TRadioGroup(QStringLiteral(" Orientation "),
                                  {QStringLiteral("Upward, "), QStringLiteral("Downward"),
                                   QStringLiteral("Leftward"), QStringLiteral("Rightward")},
                                  this);
  RGOrientation->setGeometry(168, 448, 105, 89);
  RGOrientation->SetItemIndex(1);
  RGDistMode = new TRadioGroup(
      QStringLiteral(" Distance Measure "),
      {QStringLiteral("Jaccard Coefficient"), QStringLiteral("Manhattan Distance"),
       QStringLiteral("Euclidean"), QStringLiteral("Euclidean Squared"),
       QStringLiteral("Dice Coefficient"), QStringLiteral("User Defined")},
      this);
  RGDistMode->setGeometry(280, 448, 161, 129);
  RGDistMode->SetItemIndex(2);
  RGClustMeth = new TRadioGroup(
      QStringLiteral(" Clustering Method "),
      {QStringLiteral("Single Linkage"), QStringLiteral("Complete Linkage"),
       QStringLiteral("Ward's Algorithm"), QStringLiteral("Average Linkage"),
       QStringLiteral("Flexible Linkage"), QStringLiteral("Unweighted Pairs")},
      this);
  RGClustMeth->setGeometry(448, 448, 153, 129);
  RGClustMeth->SetItemIndex(0);

  Label8 = MakeLabel(this, "Flex. Alpha", 448, 578, 66, 16);
  SBarAlpha = MakeScrollBar(this, 50, 100, 50, 448, 597, 153, 20);
  Label5 = MakeLabel(this, "Adjust Scale (0..Max)", 616, 447, 124, 16);
  SBarHigh = MakeScrollBar(this, 10, 200, 100, 616, 464, 169, 20);
  LblScaleWidth = MakeLabel(this, "Width of Scale", 616, 494, 86, 16);
  SBarHorzScaleWid = MakeScrollBar(this, 0, 100, 60, 616, 511, 169, 20);
  Label6 = MakeLabel(this, "Margin", 616, 538, 41, 16);
  SBarMargin = MakeScrollBar(this, 0, 100, 20, 616, 557, 169, 20);

  ButNewData = new QPushButton(QStringLiteral("Create New Data"), this);
  ButNewData->setGeometry(808, 440, 121, 49);
  BButExit = new QPushButton(ExitGlyph(), QStringLiteral("Exit"), this);
  BButExit->setIconSize(QSize(18, 18));
  BButExit->setGeometry(808, 584, 123, 33);

  PopMenDendro = new QMenu(this);
  Zoom111 = PopMenDendro->addAction(QStringLiteral("Zoom 1:1"));
  Pan1 = PopMenDendro->addAction(QStringLiteral("Pan"));
  ZoomWindow1 = PopMenDendro->addAction(QStringLiteral("Zoom by Window"));
  ZoombyMouseDrag1 = PopMenDendro->addAction(QStringLiteral("Zoom by Mouse Drag"));
  DragCrosshair1 = PopMenDendro->addAction(QStringLiteral("Drag Crosshair"));
  MyDendro->SetPopupMenu(PopMenDendro);

  // Handlers are connected after the initial values are set: loading a window raises none.
#define DENDROKIT_HANDLER(name) [this] { Guarded(#name, [this] { name(); }); }
  connect(ButNewData, &QPushButton::clicked, this, DENDROKIT_HANDLER(ButNewDataClick));
  connect(BButExit, &QPushButton::clicked, this, DENDROKIT_HANDLER(BButExitClick));
  // valueChanged fires only when the position really changes, also when code moves the bar:
  // the handlers rely on that.
  connect(SBarAlpha, &QScrollBar::valueChanged, this, DENDROKIT_HANDLER(SBarAlphaChange));
  connect(SBarHigh, &QScrollBar::valueChanged, this, DENDROKIT_HANDLER(SBarHighChange));
  connect(SBarHorzScaleWid, &QScrollBar::valueChanged, this,
          DENDROKIT_HANDLER(SBarHorzScaleWidChange));
  connect(SBarMargin, &QScrollBar::valueChanged, this, DENDROKIT_HANDLER(SBarMarginChange));
  connect(Zoom111, &QAction::triggered, this, DENDROKIT_HANDLER(Zoom111Click));
  connect(Pan1, &QAction::triggered, this, DENDROKIT_HANDLER(Pan1Click));
  connect(ZoomWindow1, &QAction::triggered, this, DENDROKIT_HANDLER(ZoomWindow1Click));
  connect(ZoombyMouseDrag1, &QAction::triggered, this, DENDROKIT_HANDLER(ZoombyMouseDrag1Click));
  connect(DragCrosshair1, &QAction::triggered, this, DENDROKIT_HANDLER(DragCrosshair1Click));
  const auto notify = [](std::function<void()> handler) {
    return [handler = std::move(handler)](TObject*) { handler(); };
  };
  RGOrientation->OnClick = notify(DENDROKIT_HANDLER(RGOrientationClick));
  RGDistMode->OnClick = notify(DENDROKIT_HANDLER(RGDistModeClick));
  RGClustMeth->OnClick = notify(DENDROKIT_HANDLER(RGClustMethClick));
  CSelDendro->OnChange = notify(DENDROKIT_HANDLER(CSelDendroChange));
  CSelDendroBG->OnChange = notify(DENDROKIT_HANDLER(CSelDendroBGChange));
  CSelScale->OnChange = notify(DENDROKIT_HANDLER(CSelScaleChange));
  CSelScaleBG->OnChange = notify(DENDROKIT_HANDLER(CSelScaleBGChange));
#undef DENDROKIT_HANDLER
  CreateLinkingActions();
  CreateSaveAction();
  // These run inside the dendrogram's own work, which reports what escapes them.
  MyDendro->OnProgress = [this](TObject*, int percent) { MyDendroProgress(percent); };
  MyDendro->OnCalcDistance = [this](TObject* sender, int row1, int row2, double& distance) {
    MyDendroCalcDistance(sender, row1, row2, distance);
  };
}

// The linking entries join the popup menu only while it is shown, so that the menu keeps
// exactly the window definition's five entries otherwise; their shortcuts work on the whole
// window.
// Ctrl+S anywhere in the window; "Save Picture..." last in the popup while it is shown, like
// the linking entries.
void TForm1::CreateSaveAction() {
  SavePicture1 = new QAction(QStringLiteral("Save Picture..."), this);
  SavePicture1->setShortcut(QKeySequence::Save);
  SavePicture1->setShortcutContext(Qt::WindowShortcut);
  addAction(SavePicture1);
  connect(SavePicture1, &QAction::triggered, this,
          [this] { Guarded("SaveViewsDialog", [this] { SaveViewsDialog(); }); });
  auto* separator = new QAction(this);
  separator->setSeparator(true);
  connect(PopMenDendro, &QMenu::aboutToShow, this, [this, separator] {
    PopMenDendro->addActions({separator, SavePicture1});
  });
  connect(PopMenDendro, &QMenu::aboutToHide, this, [this, separator] {
    QTimer::singleShot(0, this, [this, separator] {
      PopMenDendro->removeAction(separator);
      PopMenDendro->removeAction(SavePicture1);
    });
  });
}

void TForm1::CreateLinkingActions() {
  const auto action = [this](const char* text, QKeySequence key, auto handler) {
    auto* a = new QAction(QString::fromLatin1(text), this);
    a->setShortcut(key);
    a->setShortcutContext(Qt::WindowShortcut);
    addAction(a);
    connect(a, &QAction::triggered, this, [handler, text] { Guarded(text, handler); });
    return a;
  };
  CutHere1 = action("Cut here", {}, [this] { CutHere1Click(); });
  DragCutLine1 = action("Drag Cut Line", QKeySequence(Qt::CTRL | Qt::Key_K),
                        [this] { MyDendro->SetMouseAction(maDragCut); });
  SelectSubtree1 = action("Select Subtree", QKeySequence(Qt::CTRL | Qt::Key_L),
                          [this] { MyDendro->SetMouseAction(maSelectSubtree); });
  RemoveCut1 = action("Remove Cut", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K),
                      [this] { MyDendro->ClearCut(); });
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this,
          [this] { Guarded("Escape", [this] { MyDendro->ClearSelection(); }); });
  auto* separator = new QAction(this);
  separator->setSeparator(true);
  const QList<QAction*> extra{separator, CutHere1, DragCutLine1, SelectSubtree1, RemoveCut1};
  connect(PopMenDendro, &QMenu::aboutToShow, this,
          [this, extra] { PopMenDendro->addActions(extra); });
  // Removed once the chosen entry has run (triggered follows aboutToHide).
  connect(PopMenDendro, &QMenu::aboutToHide, this, [this, extra] {
    QTimer::singleShot(0, this, [this, extra] {
      for (QAction* a : extra) PopMenDendro->removeAction(a);
    });
  });
  MyDendro->OnClustersChange = [this](TObject*) {
    Guarded("MyDendroClustersChange", [this] { MyDendroClustersChange(); });
  };
  MyDendro->OnSelectionChange = [this](TObject*) {
    Guarded("MyDendroSelectionChange", [this] { MyDendroSelectionChange(); });
  };
}

// Tab walks the controls in the window's order; a radio group is entered at its buttons. The
// progress bar keeps its place in the order but, like every progress bar, takes no focus.
void TForm1::SetTabOrder() {
  const std::vector<QWidget*> order{ButNewData,       RGOrientation, SBarHigh,   CSelScale,
                                    CSelDendro,       CSelDendroBG,  CSelScaleBG,
                                    SBarHorzScaleWid, RGDistMode,    RGClustMeth, SBarAlpha,
                                    SBarMargin,       ProgressBar1,  BButExit};
  std::vector<QWidget*> chain;
  for (QWidget* w : order) {
    if (auto* group = qobject_cast<TRadioGroup*>(w)) {
      for (int i = 0; i < group->Count(); ++i) chain.push_back(group->Button(i));
    } else if (w->focusPolicy() != Qt::NoFocus) {
      chain.push_back(w);
    }
  }
  for (std::size_t i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
}

void TForm1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shown_) return;
  shown_ = true;
  FitFrame();
  // A window manager may add its frame only after the show: look once more a little later.
  QTimer::singleShot(200, this, [this] { FitFrame(); });
  ButNewData->setFocus();  // the first control of the tab order is the active one
  FormShow();
}

// A window manager adds its frame around the client area after the window is shown; shrink
// the client area so that the frame keeps the window's outer size, but never so far that a
// control is cut off.
void TForm1::FitFrame() {
  const QMargins frame(geometry().left() - frameGeometry().left(),
                       geometry().top() - frameGeometry().top(),
                       frameGeometry().right() - geometry().right(),
                       frameGeometry().bottom() - geometry().bottom());
  if (frame.isNull()) return;
  const int width = std::max(kOuterWidth - frame.left() - frame.right(), kMinClientWidth);
  const int height = std::max(kOuterHeight - frame.top() - frame.bottom(), kMinClientHeight);
  resize(width, height);
}

void TForm1::InitDendrogram() {
  TDendrogram& d = *MyDendro;
  UseWindowFont(d.Font(), font());
  d.SetClusterMethod(cmSingleLink);
  d.SetDistMeasure(dmEuclid);
  d.SetFlexAlpha(0.5);
  d.SetOrientation(dirDownward);
  d.SetColorScheme(csBWG);
  d.SetColorDendrogram(kBlack);
  d.SetColorDendrogramBackGnd(kLightBlue);
  d.SetColorScale(kBlack);
  d.SetColorScaleBackGnd(kSilver);
  TCrossHair& cross = d.CrossHair();
  cross.SetColor(kRed);
  cross.SetLayer(1);
  cross.SetMode(chBoth);
  cross.SetLineType(psDot);
  cross.SetLineWid(1);
  d.SetDecPlaces(-2);
  d.SetDistHigh(100.0);
  d.SetObjHigh(1.0);
  d.SetFrameStyle(fsLowered);
  d.SetMargin(20);
  d.SetMouseAction(maPan);
  d.SetScaleWidth(30);
  d.SetScaleHeight(60);
  d.SetShowClassColors(false);
}

void TForm1::InitChart() {
  TPlotra& p = *Plotra1;
  UseWindowFont(p.Font(), font());
  UseWindowFont(p.TextFont(), font());
  p.SetAllocSize(1000);
  p.SetAutoRedraw(true);
  p.SetMarginRight(20);
  p.SetMarginTop(20);
  p.SetMarginBottom(40);
  p.SetCaption("Data");
  p.SetCaptionPosX(0);
  p.SetCaptionPosY(-16);
  p.SetCaptionAlignment(taRightJustify);
  p.SetCaptionAnchorHoriz(cahChartRight);
  p.SetCaptionAnchorVert(cavChartTop);
  p.SetGridStyle(gsNone);
  p.SetIsometric(false);
  p.SetClassDefault(0);
  p.SetMouseAction(maNone);
  p.SetMouseCursorFixed(false);
  p.SetShadowStyle(ssFlying);
  p.SetShadowColor(clGrayText);
  p.SetShadowBakColor(clBtnFace);
  p.SetTextFontStyle(0);
  p.SetTextBkStyle(tbClear);
  p.SetTextBkColor(kWhite);
  p.SetTextAlignment(taCenter);

  TBakGndImg& image = p.BackGroundImg();
  image.SetIncludePath(false);
  image.SetFillMode(bfStretch);
  image.SetAreaMode(bamNone);
  image.SetAreaColor(kLightGrey);
  image.SetAreaLeft(-1.0);
  image.SetAreaRight(1.0);
  image.SetAreaTop(1.0);
  image.SetAreaBottom(-1.0);

  TJointLayers& joints = p.JointLayers();
  joints.SetL01xControlledBy(1);
  joints.SetL02xControlledBy(2);
  joints.SetL01yControlledBy(1);
  joints.SetL02yControlledBy(2);

  TCrossHair& cross = p.CrossHair1();
  cross.SetColor(kBlack);
  cross.SetLayer(1);
  cross.SetMode(chOff);
  cross.SetLineType(psSolid);
  cross.SetLineWid(1);

  TScalePropsHoriz& x = p.Scale1X();
  SetDataAxis(x);
  x.SetScaleLocation(slBottom);
  x.SetCaptionPosX(0);
  x.SetCaptionPosY(22);
  x.SetCaptionAlignment(taCenter);
  x.SetCaptionAnchor(uaSclCenter);
  TScalePropsVert& y = p.Scale1Y();
  SetDataAxis(y);
  y.SetScaleLocation(slLeft);
  y.SetCaptionPosX(0);
  y.SetCaptionPosY(-16);
  y.SetCaptionAlignment(taLeftJustify);
  y.SetCaptionAnchor(uaSclTopLft);
  for (TScaleProps* axis : {static_cast<TScaleProps*>(&p.Scale2X()),
                            static_cast<TScaleProps*>(&p.Scale2Y())}) {
    axis->SetVisible(false);
    axis->SetRangeHigh(1.0);
    axis->SetColorScale(kMaroon);
  }
}

void TForm1::FormShow() { ButNewDataClick(); }

void TForm1::ButNewDataClick() {
  random_.seed(seed_ != 0 ? seed_
                          : static_cast<unsigned>(
                                std::chrono::steady_clock::now().time_since_epoch().count()));
  std::uniform_int_distribution<int> r(0, 99);
  TDataTable& data = MyDendro->Data();
  // Filling element by element would recluster after every value: cluster once at the end.
  // Whatever goes wrong while filling, the dendrogram must not stay switched off.
  MyDendro->SetSuppressRecalc(true);
  try {
    data.Resize(2, 60);
    for (int row = 1; row <= 60; ++row)
      for (int col = 1; col <= 2; ++col)
        data.SetElem(col, row, r(random_) + (row <= 30 ? 10 : 140));
  } catch (...) {
    MyDendro->SetSuppressRecalc(false);
    throw;
  }
  MyDendro->SetSuppressRecalc(false);

  const TMatrix& values = data.DataMatrix();
  Plotra1->ClearItems();
  for (int row = 1; row <= 60; ++row)
    Plotra1->AddTextAt(8, std::to_string(row), values.Elem(1, row), values.Elem(2, row));
  Plotra1->ShowItems();

  ProgressBar1->setValue(0);
  WithOnePaint(*MyDendro, [this] {
    MyDendro->ResetZoom();
    fullDistHigh_ = MyDendro->DistHigh();
    SBarHigh->setValue(100);
  });
}

// At the height of the last pointer position in the tree area (where the menu was opened).
void TForm1::CutHere1Click() { MyDendro->CutAtHeight(MyDendro->MouseDist()); }

void TForm1::MyDendroClustersChange() { ColourChartTexts(); }

void TForm1::MyDendroSelectionChange() { ColourChartTexts(); }

TColor TForm1::ObjectTextColor(int row) const {
  if (MyDendro->SelectedNode() != 0) {
    const std::vector<int> selected = MyDendro->SelectedObjects();
    return std::binary_search(selected.begin(), selected.end(), row) ? MyDendro->ColorSelection()
                                                                      : kSilver;
  }
  if (MyDendro->HasCut()) {
    const int cls = MyDendro->NodeClass().Elem(row);
    if (cls >= 0 && cls <= 255) return MyDendro->ClassColors()[static_cast<std::size_t>(cls)];
  }
  return kBlack;
}

void TForm1::ColourChartTexts() {
  const TMatrix& values = MyDendro->Data().DataMatrix();
  const int rows = std::min(values.NrOfRows(), static_cast<int>(MyDendro->NodePos().NrOfElem()));
  const TColor saved = Plotra1->DataColor();
  Plotra1->ClearItems();
  for (int row = 1; row <= rows; ++row) {
    Plotra1->SetDataColor(ObjectTextColor(row));
    Plotra1->AddTextAt(8, std::to_string(row), values.Elem(1, row), values.Elem(2, row));
  }
  Plotra1->SetDataColor(saved);
  Plotra1->ShowItems();
}

void TForm1::ShowWholeTree() {
  MyDendro->ResetZoom();
  fullDistHigh_ = MyDendro->DistHigh();
  SBarHigh->setValue(100);
  ProgressBar1->setValue(0);
}

void TForm1::RGOrientationClick() {
  const int index = RGOrientation->ItemIndex();
  if (index < 0 || index > dirRightward) return;
  const auto direction = static_cast<TDirection>(index);
  MyDendro->SetOrientation(direction);
  if (direction == dirLeftward || direction == dirRightward) {
    SBarHorzScaleWid->setValue(MyDendro->ScaleWidth());
    LblScaleWidth->setText(QStringLiteral("Height of Scale"));
  } else {
    SBarHorzScaleWid->setValue(MyDendro->ScaleHeight());
    LblScaleWidth->setText(QStringLiteral("Width of Scale"));
  }
}

void TForm1::SBarHorzScaleWidChange() {
  const TDirection direction = MyDendro->Orientation();
  if (direction == dirLeftward || direction == dirRightward)
    MyDendro->SetScaleWidth(SBarHorzScaleWid->value());
  else
    MyDendro->SetScaleHeight(SBarHorzScaleWid->value());
}

void TForm1::SBarMarginChange() { MyDendro->SetMargin(SBarMargin->value()); }

void TForm1::SBarHighChange() {
  MyDendro->SetRange(0.0, 61.0, 0.0, SBarHigh->value() / 100.0 * fullDistHigh_);
}

void TForm1::RGDistModeClick() {
  const int index = RGDistMode->ItemIndex();
  if (index < 0 || index > dmUserDef) return;
  // The tree changes once on the screen, not once per step.
  WithOnePaint(*MyDendro, [&] {
    MyDendro->SetDistMeasure(static_cast<TDistMode>(index));
    ShowWholeTree();
  });
}

void TForm1::RGClustMethClick() {
  const int index = RGClustMeth->ItemIndex();
  if (index < 0 || index > cmUpgma) return;
  WithOnePaint(*MyDendro, [&] {
    MyDendro->SetClusterMethod(static_cast<TClusterMethod>(index));
    ShowWholeTree();
  });
}

void TForm1::SBarAlphaChange() {
  // One repaint for the new alpha, the new window and the bar's move together.
  WithOnePaint(*MyDendro, [this] {
    MyDendro->SetFlexAlpha(SBarAlpha->value() / 100.0);
    MyDendro->ResetZoom();
    fullDistHigh_ = MyDendro->DistHigh();
    SBarHigh->setValue(100);
  });
  ProgressBar1->setValue(0);
}

void TForm1::CSelDendroChange() { MyDendro->SetColorDendrogram(CSelDendro->SelColor()); }
void TForm1::CSelDendroBGChange() {
  MyDendro->SetColorDendrogramBackGnd(CSelDendroBG->SelColor());
}
void TForm1::CSelScaleChange() { MyDendro->SetColorScale(CSelScale->SelColor()); }
void TForm1::CSelScaleBGChange() { MyDendro->SetColorScaleBackGnd(CSelScaleBG->SelColor()); }

void TForm1::Zoom111Click() { MyDendro->ResetZoom(); }
void TForm1::Pan1Click() { MyDendro->SetMouseAction(maPan); }
void TForm1::ZoomWindow1Click() { MyDendro->SetMouseAction(maZoomWind); }
void TForm1::ZoombyMouseDrag1Click() { MyDendro->SetMouseAction(maZoomDrag); }
void TForm1::DragCrosshair1Click() { MyDendro->SetMouseAction(maDragCrossH); }

// A progress bar draws itself at once on every visible step, which would cost more than a
// whole small clustering; the bar is drawn at once at most every 40 ms, so it still moves
// during a long run, and the other steps only schedule a repaint.
void TForm1::MyDendroProgress(int percentDone) {
  if (!progressClock_.isValid() || progressClock_.elapsed() >= 40) {
    ProgressBar1->setValue(percentDone);
    progressClock_.start();
    return;
  }
  ProgressBar1->setUpdatesEnabled(false);
  ProgressBar1->setValue(percentDone);
  ProgressBar1->setUpdatesEnabled(true);
}

void TForm1::MyDendroCalcDistance(TObject* sender, int row1, int row2, double& distance) {
  const auto* matrix = dynamic_cast<const TMatrix*>(sender);
  if (matrix == nullptr) matrix = &MyDendro->Data().DataMatrix();
  distance = std::fabs(matrix->Elem(1, row1) - matrix->Elem(1, row2));
}

void TForm1::BButExitClick() { close(); }

void TForm1::SaveViews(const std::string& path) {
  const QRect d = MyDendro->geometry(), c = Plotra1->geometry();
  const QRect all = d.united(c);
  TImageOptions options;
  options.PixelRatio = 2;
  options.Title = "Dendrogram and chart";
  SaveRenderedImage(path, all.width(), all.height(), options, [&](TCanvas& canvas) {
    canvas.Brush().SetColor(clBtnFace);
    canvas.Brush().SetStyle(bsSolid);
    canvas.FillRect({0, 0, all.width(), all.height()});
    MyDendro->RenderAt(canvas, d.x() - all.x(), d.y() - all.y(), options);
    Plotra1->RenderAt(canvas, c.x() - all.x(), c.y() - all.y(), options);
  });
}

void TForm1::SaveViewsDialog() {
  QString selected;
  QString name = QFileDialog::getSaveFileName(
      this, QStringLiteral("Save Picture"), QStringLiteral("dendrogram.png"),
      QStringLiteral("PNG picture (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"), &selected);
  if (name.isEmpty()) return;
  const QString suffix = QFileInfo(name).suffix().toLower();
  if (suffix != QStringLiteral("png") && suffix != QStringLiteral("svg") &&
      suffix != QStringLiteral("pdf"))
    name += selected.contains(QStringLiteral("svg"))   ? QStringLiteral(".svg")
            : selected.contains(QStringLiteral("pdf")) ? QStringLiteral(".pdf")
                                                       : QStringLiteral(".png");
  try {
    SaveViews(QFile::encodeName(name).toStdString());
  } catch (const std::exception& e) {
    QMessageBox::warning(this, QStringLiteral("Save Picture"), QString::fromStdString(e.what()));
  }
}

}  // namespace dendrokit
