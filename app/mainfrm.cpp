#include "app/mainfrm.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QTimer>
#include <algorithm>
#include <chrono>

#include "app/radiogroup.h"
#include "colsel/colsel.h"
#include "gfxbase/canvas.h"

namespace dendrokit {

namespace {

constexpr TColor kBlack = 0x000000;
constexpr TColor kSilver = 0xC0C0C0;
constexpr TColor kLightBlue = 16245198;

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

// Trough clicks move a toolkit scroll bar by one; Qt ties that step to the thumb's page
// size, and a page of one is as small a thumb as a page of none on these ranges.
QScrollBar* MakeScrollBar(QWidget* parent, int min, int max, int position, int left, int top,
                          int width, int height) {
  auto* bar = new QScrollBar(Qt::Horizontal, parent);
  bar->setRange(min, max);
  bar->setSingleStep(1);
  bar->setPageStep(1);
  bar->setValue(position);
  bar->setFocusPolicy(Qt::StrongFocus);  // a tab stop, moved by the arrow keys
  bar->setGeometry(left, top, width, height);
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

// A sans-serif font whose lines are kFontLineHeight pixels high, in pixels so that the
// screen's resolution does not scale it.
QFont WindowFont() {
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setStyleHint(QFont::SansSerif);
  int pixels = TForm1::kFontLineHeight;
  font.setPixelSize(pixels);
  while (pixels > 6 && QFontMetrics(font).height() > TForm1::kFontLineHeight)
    font.setPixelSize(--pixels);
  return font;
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
  MyDendro = new QWidget(this);
  MyDendro->setGeometry(8, 24, 529, 393);

  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(0);
  ProgressBar1->setTextVisible(false);
  ProgressBar1->setGeometry(8, 424, 529, 12);

  Plotra1 = new QWidget(this);
  Plotra1->setGeometry(544, 8, 393, 425);

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

  // Handlers are connected after the initial values are set: loading a window raises none.
  connect(ButNewData, &QPushButton::clicked, this, [this] { ButNewDataClick(); });
  connect(BButExit, &QPushButton::clicked, this, [this] { BButExitClick(); });
  RGOrientation->OnClick = [this](TObject*) { RGOrientationClick(); };
  RGDistMode->OnClick = [this](TObject*) { RGDistModeClick(); };
  RGClustMeth->OnClick = [this](TObject*) { RGClustMethClick(); };
  // valueChanged fires only when the position really changes, as the handlers expect.
  connect(SBarAlpha, &QScrollBar::valueChanged, this, [this] { SBarAlphaChange(); });
  connect(SBarHigh, &QScrollBar::valueChanged, this, [this] { SBarHighChange(); });
  connect(SBarHorzScaleWid, &QScrollBar::valueChanged, this, [this] { SBarHorzScaleWidChange(); });
  connect(SBarMargin, &QScrollBar::valueChanged, this, [this] { SBarMarginChange(); });
  CSelDendro->OnChange = [this](TObject*) { CSelDendroChange(); };
  CSelDendroBG->OnChange = [this](TObject*) { CSelDendroBGChange(); };
  CSelScale->OnChange = [this](TObject*) { CSelScaleChange(); };
  CSelScaleBG->OnChange = [this](TObject*) { CSelScaleBGChange(); };
  connect(Zoom111, &QAction::triggered, this, [this] { Zoom111Click(); });
  connect(Pan1, &QAction::triggered, this, [this] { Pan1Click(); });
  connect(ZoomWindow1, &QAction::triggered, this, [this] { ZoomWindow1Click(); });
  connect(ZoombyMouseDrag1, &QAction::triggered, this, [this] { ZoombyMouseDrag1Click(); });
  connect(DragCrosshair1, &QAction::triggered, this, [this] { DragCrosshair1Click(); });
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
  const int width = std::max(kOuterWidth - frame.left() - frame.right(), 939);
  const int height = std::max(kOuterHeight - frame.top() - frame.bottom(), 622);
  resize(width, height);
}

void TForm1::FormShow() { ButNewDataClick(); }

void TForm1::ButNewDataClick() {
  random_.seed(seed_ != 0 ? seed_
                          : static_cast<unsigned>(
                                std::chrono::steady_clock::now().time_since_epoch().count()));
  ProgressBar1->setValue(0);
  fullDistHigh_ = 0.0;
  SBarHigh->setValue(100);
}

void TForm1::RGOrientationClick() {}
void TForm1::SBarHorzScaleWidChange() {}
void TForm1::SBarMarginChange() {}
void TForm1::SBarHighChange() {}
void TForm1::RGDistModeClick() {}
void TForm1::RGClustMethClick() {}
void TForm1::SBarAlphaChange() {}
void TForm1::CSelDendroChange() {}
void TForm1::CSelDendroBGChange() {}
void TForm1::CSelScaleChange() {}
void TForm1::CSelScaleBGChange() {}
void TForm1::Zoom111Click() {}
void TForm1::Pan1Click() {}
void TForm1::ZoomWindow1Click() {}
void TForm1::ZoombyMouseDrag1Click() {}
void TForm1::DragCrosshair1Click() {}
void TForm1::MyDendroProgress(int percentDone) { ProgressBar1->setValue(percentDone); }

void TForm1::BButExitClick() { close(); }

}  // namespace dendrokit
