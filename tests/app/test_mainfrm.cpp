// The sample's real main window, shown off-screen: layout, start-up and handlers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <memory>

#include <QAction>
#include <QMenu>
#include <QProcess>
#include <QShortcut>
#include <QTemporaryDir>
#include <set>

#include "app/mainfrm.h"
#include "app/radiogroup.h"
#include "chart/plotra.h"
#include "colsel/colsel.h"
#include "dendrogram/dendrogram.h"

namespace dendrokit {
namespace {

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TForm1>();
    form_->SetSeed(4711);
    form_->show();
    QApplication::processEvents();
  }
  TForm1& F() { return *form_; }
  TDendrogram& D() { return *form_->MyDendro; }
  // Checks an item as a user's click does.
  static void Choose(TRadioGroup* group, int index) { group->Button(index)->click(); }
  double LargestMerge() {
    double m = 0.0;
    for (int i = 1; i <= D().MergeDist().NrOfElem(); ++i) m = std::max(m, D().MergeDist().Elem(i));
    return m;
  }

  std::unique_ptr<TForm1> form_;
};

TEST_F(MainWindow, WindowAndControlGeometry) {
  EXPECT_EQ(F().frameGeometry(), QRect(288, 260, 947, 656));
  struct Row {
    QWidget* widget;
    QRect rect;
  };
  const Row rows[] = {
      {F().MyDendro, {8, 24, 529, 393}},          {F().ProgressBar1, {8, 424, 529, 12}},
      {F().Plotra1, {544, 8, 393, 425}},          {F().Label7, {8, 8, 359, 16}},
      {F().CSelDendro, {8, 464, 145, 22}},        {F().CSelDendroBG, {8, 508, 145, 22}},
      {F().CSelScale, {8, 552, 145, 22}},         {F().CSelScaleBG, {8, 597, 145, 22}},
      {F().RGOrientation, {168, 448, 105, 89}},   {F().RGDistMode, {280, 448, 161, 129}},
      {F().RGClustMeth, {448, 448, 153, 129}},    {F().SBarAlpha, {448, 597, 153, 20}},
      {F().SBarHigh, {616, 464, 169, 20}},        {F().LblScaleWidth, {616, 494, 86, 16}},
      {F().SBarHorzScaleWid, {616, 511, 169, 20}}, {F().SBarMargin, {616, 557, 169, 20}},
      {F().ButNewData, {808, 440, 121, 49}},      {F().BButExit, {808, 584, 123, 33}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.widget->geometry(), row.rect) << row.widget->metaObject()->className();
    // Nothing is cut off by the window's client area.
    EXPECT_TRUE(F().rect().contains(row.widget->geometry())) << row.rect.x() << "," << row.rect.y();
  }
  EXPECT_EQ(QFontMetrics(F().font()).height(), TForm1::kFontLineHeight);
  // Each label's text fits its box in the window's font.
  for (QLabel* label : F().findChildren<QLabel*>())
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
        << label->text().toStdString();
}

// Tab from the first control visits every tab stop in the window's order and wraps; a radio
// group is one stop (its checked button), the progress bar takes no focus.
TEST_F(MainWindow, TabOrder) {
  const std::vector<QWidget*> expected{
      F().ButNewData,   F().RGOrientation, F().SBarHigh,         F().CSelScale,
      F().CSelDendro,   F().CSelDendroBG,  F().CSelScaleBG,      F().SBarHorzScaleWid,
      F().RGDistMode,   F().RGClustMeth,   F().SBarAlpha,        F().SBarMargin,
      F().BButExit,     F().ButNewData};
  QApplication::setActiveWindow(&F());
  F().ButNewData->setFocus();
  std::vector<QWidget*> seen;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    seen.push_back(qobject_cast<QRadioButton*>(focus) ? focus->parentWidget() : focus);
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(focus, &tab);
  }
  EXPECT_EQ(seen, expected);

  // A click on the chart, which keeps Tab while focused, must not trap the keyboard there.
  if (F().Plotra1->focusPolicy() & Qt::ClickFocus) F().Plotra1->setFocus(Qt::MouseFocusReason);
  QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
  QApplication::sendEvent(QApplication::focusWidget(), &tab);
  EXPECT_NE(QApplication::focusWidget(), F().Plotra1);
}

// Keys go where a user's key press goes: to the widget that has the focus.
void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QWidget* focus = QApplication::focusWidget();
  ASSERT_NE(focus, nullptr);
  QKeyEvent press(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(focus, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers);
  QApplication::sendEvent(focus, &release);
}

// On every bar Left lowers and Right raises, as the arrow buttons do, and stop at the ends;
// the bar's handler follows.
TEST_F(MainWindow, ScrollBarKeys) {
  QApplication::setActiveWindow(&F());
  for (QScrollBar* bar : {F().SBarHigh, F().SBarAlpha, F().SBarHorzScaleWid, F().SBarMargin}) {
    bar->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), bar);
    bar->setValue(bar->minimum() + 5);
    Press(Qt::Key_Left);
    EXPECT_EQ(bar->value(), bar->minimum() + 4);
    Press(Qt::Key_Right);
    Press(Qt::Key_Right);
    EXPECT_EQ(bar->value(), bar->minimum() + 6);
    bar->setValue(bar->minimum());
    Press(Qt::Key_Left);
    EXPECT_EQ(bar->value(), bar->minimum());
    bar->setValue(bar->maximum());
    Press(Qt::Key_Right);
    EXPECT_EQ(bar->value(), bar->maximum());
  }
  F().SBarMargin->setFocus();
  F().SBarMargin->setValue(20);
  Press(Qt::Key_Left);
  EXPECT_EQ(D().Margin(), 19);
}

// Tab enters a radio group at its checked item, Shift+Tab too; the arrows move the check
// as clicks do (the handler runs) and stop at the ends.
TEST_F(MainWindow, RadioGroupKeys) {
  QApplication::setActiveWindow(&F());
  TRadioGroup* group = F().RGOrientation;
  F().ButNewData->setFocus();
  Press(Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), group->Button(1));  // "Downward"
  Press(Qt::Key_Down);
  EXPECT_EQ(QApplication::focusWidget(), group->Button(2));
  EXPECT_EQ(group->ItemIndex(), 2);
  EXPECT_EQ(D().Orientation(), dirLeftward);
  EXPECT_EQ(F().LblScaleWidth->text().toStdString(), "Height of Scale");
  Press(Qt::Key_Right);
  EXPECT_EQ(D().Orientation(), dirRightward);
  Press(Qt::Key_Right);  // the last item stays
  EXPECT_EQ(group->ItemIndex(), 3);
  Press(Qt::Key_Up);
  Press(Qt::Key_Left);
  Press(Qt::Key_Left);
  Press(Qt::Key_Up);  // the first item stays
  EXPECT_EQ(group->ItemIndex(), 0);
  EXPECT_EQ(D().Orientation(), dirUpward);
  Press(Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), F().SBarHigh);
  Press(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), group->Button(0));
  // A check made by the program moves the tab stop too.
  F().RGDistMode->SetItemIndex(4);
  F().RGOrientation->Button(0)->setFocus();
  Press(Qt::Key_Tab);
  Press(Qt::Key_Tab);  // SBarHigh, the colour selectors, SBarHorzScaleWid, then the group
  for (int i = 0; i < 5 && QApplication::focusWidget() &&
                  QApplication::focusWidget()->parentWidget() != F().RGDistMode;
       ++i)
    Press(Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), F().RGDistMode->Button(4));
}

TEST_F(MainWindow, StartUp) {
  // The chart holds one label per object at the object's two values, each group in its square.
  const TPlotra& chart = *F().Plotra1;
  ASSERT_EQ(chart.DataCount(), 60);
  for (int i = 0; i < 60; ++i) {
    const TplChartItem& item = chart.DataItems()[i];
    const double lo = i < 30 ? 10 : 140;
    EXPECT_EQ(chart.ItemText(false, i), std::to_string(i + 1));
    EXPECT_EQ(item.X, D().Data().Elem(1, i + 1));
    EXPECT_EQ(item.Y, D().Data().Elem(2, i + 1));
    EXPECT_TRUE(item.X >= lo && item.X <= lo + 99 && item.Y >= lo && item.Y <= lo + 99) << i + 1;
  }
  EXPECT_EQ(F().ProgressBar1->value(), 0);
  EXPECT_EQ(D().MergeDist().NrOfElem(), 59);
  // The bar was already at 100, so its handler did not run: ResetZoom's window stays.
  EXPECT_EQ(F().SBarHigh->value(), 100);
  EXPECT_DOUBLE_EQ(D().ObjLow(), -2.0);
  EXPECT_DOUBLE_EQ(D().ObjHigh(), 63.0);
  EXPECT_DOUBLE_EQ(D().DistHigh(), 1.05 * LargestMerge());
  EXPECT_EQ(F().FullDistHigh(), D().DistHigh());
  // The radio groups and the scale-size bar show the dendrogram's settings.
  EXPECT_EQ(F().RGOrientation->ItemIndex(), static_cast<int>(D().Orientation()));
  EXPECT_EQ(D().Orientation(), dirDownward);
  EXPECT_EQ(F().RGDistMode->ItemIndex(), static_cast<int>(D().DistMeasure()));
  EXPECT_EQ(D().DistMeasure(), dmEuclid);
  EXPECT_EQ(F().RGClustMeth->ItemIndex(), static_cast<int>(D().ClusterMethod()));
  EXPECT_EQ(D().ClusterMethod(), cmSingleLink);
  EXPECT_EQ(F().SBarHorzScaleWid->value(), D().ScaleHeight());
  EXPECT_EQ(F().SBarMargin->value(), D().Margin());
  // The light blue background is not among the selector's colours: slot 1 took it.
  EXPECT_EQ(F().CSelDendroBG->SelectedSlot(), 1);
  EXPECT_EQ(D().ColorDendrogramBackGnd(), F().CSelDendroBG->SelColor());
}

// Moving SBarHigh fixes the object window to 0..61 and the distance window to a share of the
// full height; "Zoom 1:1" brings the whole tree back and leaves the bar where it is.
TEST_F(MainWindow, DistanceRangeBarAndZoom11) {
  const double full = F().FullDistHigh();
  ASSERT_GT(full, 0.0);
  for (int position : {200, 10, 137}) {
    F().SBarHigh->setValue(position);
    EXPECT_DOUBLE_EQ(D().DistHigh(), position / 100.0 * full) << position;
    EXPECT_EQ(D().DistLow(), 0.0);
    EXPECT_EQ(D().ObjLow(), 0.0);
    EXPECT_EQ(D().ObjHigh(), 61.0);
  }
  F().Zoom111->trigger();
  EXPECT_EQ(F().SBarHigh->value(), 137);
  EXPECT_EQ(F().FullDistHigh(), full);
  EXPECT_DOUBLE_EQ(D().ObjLow(), -2.0);
  EXPECT_DOUBLE_EQ(D().DistHigh(), full);
}

TEST_F(MainWindow, OrientationRewritesScaleSizeControls) {
  struct Row {
    int index;
    const char* label;
    int bar;  // ScaleWidth 30 for a horizontal scale, ScaleHeight 60 for a vertical one
  };
  for (const Row& row : {Row{2, "Height of Scale", 30}, Row{0, "Width of Scale", 60},
                         Row{3, "Height of Scale", 30}, Row{1, "Width of Scale", 60}}) {
    Choose(F().RGOrientation, row.index);
    EXPECT_EQ(D().Orientation(), static_cast<TDirection>(row.index));
    EXPECT_EQ(F().LblScaleWidth->text().toStdString(), row.label);
    EXPECT_EQ(F().SBarHorzScaleWid->value(), row.bar) << row.index;
  }
  // The bar then sizes the scale of the current orientation only.
  Choose(F().RGOrientation, 2);
  F().SBarHorzScaleWid->setValue(45);
  EXPECT_EQ(D().ScaleWidth(), 45);
  EXPECT_EQ(D().ScaleHeight(), 60);
  F().SBarMargin->setValue(70);
  EXPECT_EQ(D().Margin(), 70);
}

// A new measure or method reclusters, shows the whole tree and resets both bars.
TEST_F(MainWindow, ReclusteringHandlers) {
  F().SBarHigh->setValue(150);
  Choose(F().RGClustMeth, 2);
  EXPECT_EQ(D().ClusterMethod(), cmWard);
  EXPECT_DOUBLE_EQ(D().DistHigh(), 1.05 * LargestMerge());
  EXPECT_EQ(F().FullDistHigh(), D().DistHigh());
  // Back at 100 the bar's handler ran: the object window is 0..61.
  EXPECT_EQ(F().SBarHigh->value(), 100);
  EXPECT_EQ(D().ObjLow(), 0.0);
  EXPECT_EQ(F().ProgressBar1->value(), 0);

  F().SBarHigh->setValue(50);
  Choose(F().RGDistMode, 1);
  EXPECT_EQ(D().DistMeasure(), dmManhattan);
  EXPECT_DOUBLE_EQ(F().FullDistHigh(), 1.05 * LargestMerge());
  EXPECT_EQ(F().SBarHigh->value(), 100);
}

// "User Defined" compares the first variable only: under single linkage every object whose
// first value repeats joins at distance 0, and no other merge is that close.
TEST_F(MainWindow, UserDefinedDistance) {
  Choose(F().RGDistMode, 5);
  ASSERT_EQ(D().DistMeasure(), dmUserDef);
  std::set<double> firsts;
  for (int row = 1; row <= 60; ++row) firsts.insert(D().Data().Elem(1, row));
  int zeros = 0;
  for (int i = 1; i <= 59; ++i) zeros += D().MergeDist().Elem(i) == 0.0;
  EXPECT_EQ(zeros, 60 - static_cast<int>(firsts.size()));
  EXPECT_GT(F().FullDistHigh(), 0.0);

  TMatrix m;
  ASSERT_TRUE(m.Resize(2, 3));
  m.SetElem(1, 1, 5.0);
  m.SetElem(2, 1, 1.0);
  m.SetElem(1, 2, 5.0);
  m.SetElem(2, 2, 99.0);
  m.SetElem(1, 3, 12.5);
  double d = -1.0;
  F().MyDendroCalcDistance(&m, 1, 2, d);
  EXPECT_EQ(d, 0.0);
  F().MyDendroCalcDistance(&m, 3, 1, d);
  EXPECT_EQ(d, 7.5);
}

// The alpha bar cannot drive flexible linkage below 0.5; under cmFlexLink it reclusters. A
// click in the trough moves a bar by one and a wheel turn by the usual lines, although its
// page size is 0.
TEST_F(MainWindow, AlphaBar) {
  F().SBarAlpha->setValue(30);
  EXPECT_EQ(F().SBarAlpha->value(), 50);
  F().SBarAlpha->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(F().SBarAlpha->value(), 50);
  EXPECT_EQ(F().SBarAlpha->pageStep(), 0);
  Choose(F().RGClustMeth, 4);
  F().SBarAlpha->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_DOUBLE_EQ(D().FlexAlpha(), 0.51);
  F().SBarHigh->setValue(20);
  F().SBarAlpha->setValue(90);
  EXPECT_DOUBLE_EQ(D().FlexAlpha(), 0.9);
  EXPECT_DOUBLE_EQ(D().DistHigh(), 1.05 * LargestMerge());
  EXPECT_EQ(F().FullDistHigh(), D().DistHigh());
  EXPECT_EQ(F().SBarHigh->value(), 100);
  EXPECT_FALSE(D().SuppressPaint());
  EXPECT_EQ(F().ProgressBar1->value(), 0);
  QWheelEvent turn({9, 9}, {9, 9}, {}, {0, -120}, {}, {}, Qt::NoScrollPhase, false);
  QApplication::sendEvent(F().SBarMargin, &turn);
  EXPECT_EQ(D().Margin(), 20 + QApplication::wheelScrollLines());
}

TEST_F(MainWindow, ColoursPopupAndExit) {
  struct Sel {
    TColSel* sel;
    TColor (TDendrogram::*read)() const;
  };
  for (const Sel& s : {Sel{F().CSelDendro, &TDendrogram::ColorDendrogram},
                       Sel{F().CSelDendroBG, &TDendrogram::ColorDendrogramBackGnd},
                       Sel{F().CSelScale, &TDendrogram::ColorScale},
                       Sel{F().CSelScaleBG, &TDendrogram::ColorScaleBackGnd}}) {
    emit s.sel->activated(9);  // the user picks "clRed"
    EXPECT_EQ((D().*s.read)(), 0x0000FFu);
  }
  ASSERT_EQ(F().MyDendro->PopupMenu(), F().PopMenDendro);
  const QList<QAction*> actions = F().PopMenDendro->actions();
  const std::vector<std::pair<const char*, TMouseActMode>> items{
      {"Pan", maPan}, {"Zoom by Window", maZoomWind}, {"Zoom by Mouse Drag", maZoomDrag},
      {"Drag Crosshair", maDragCrossH}};
  ASSERT_EQ(actions.size(), 5);
  EXPECT_EQ(actions[0]->text(), QStringLiteral("Zoom 1:1"));
  for (int i = 3; i >= 0; --i) {  // backwards: the default maPan is set last
    const auto& item = items[static_cast<std::size_t>(i)];
    EXPECT_EQ(actions[i + 1]->text().toStdString(), item.first);
    actions[i + 1]->trigger();
    EXPECT_EQ(D().MouseAction(), item.second);
  }
  F().BButExit->click();
  EXPECT_FALSE(F().isVisible());
}

// Landmarks of the first picture, taken from the window and from the real program's
// --screenshot: a broken wiring shows here even when every property is right.
TEST_F(MainWindow, FirstPictureLandmarks) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("first.png"));
  QProcess program;
  program.start(QStringLiteral(DENDROKIT_SAMPLE_EXE), {QStringLiteral("--screenshot"), file});
  ASSERT_TRUE(program.waitForFinished(60000));
  EXPECT_EQ(program.exitCode(), 0);
  for (const QImage& shot : {F().grab().toImage(), QImage(file)}) {
    ASSERT_EQ(shot.size(), F().size());
    const auto at = [&](QWidget* w, int x, int y) {
      return shot.pixelColor(w->mapTo(&F(), QPoint(x, y))).rgb() & 0xFFFFFF;
    };
    // Tree area (downward: right of the scale strip, above the label band), near its top, in
    // 16245198 = 0xF7E1CE as RGB.
    EXPECT_EQ(at(F().MyDendro, D().Width() - 12, 12), 0xCEE1F7u);
    // Scale strip: silver background at its left edge, inside the frame.
    EXPECT_EQ(at(F().MyDendro, 4, D().Height() / 2), 0xC0C0C0u);
    // Chart area between the two groups of labels: white.
    const TPoint empty = F().Plotra1->WorldToPixel(1, 200.0, 40.0);
    EXPECT_EQ(at(F().Plotra1, empty.X, empty.Y), 0xFFFFFFu);
  }
  // A file that cannot be written is an error, not a silent success.
  program.start(QStringLiteral(DENDROKIT_SAMPLE_EXE),
                {QStringLiteral("--screenshot"), dir.filePath(QStringLiteral("no/such/dir.png"))});
  ASSERT_TRUE(program.waitForFinished(60000));
  EXPECT_EQ(program.exitCode(), 1);
}

}  // namespace
}  // namespace dendrokit

namespace dendrokit {
namespace {

// The two views as one picture; the save entry visits the popup only while it is shown.
TEST_F(MainWindow, SavesBothViewsAsOnePicture) {
  QTemporaryDir dir;
  const std::string png = dir.filePath(QStringLiteral("views.png")).toStdString();
  F().SaveViews(png);
  const QImage image(QString::fromStdString(png));
  EXPECT_EQ(image.size(), QSize(2 * 929, 2 * 425));  // (8, 8)-(937, 433) at twice the pixels
  // The chart's frame corner and the dendrogram's lie where the window has them.
  EXPECT_EQ(image.pixel(2 * (544 - 8), 2 * 22), F().Plotra1->ShownImage().pixel(0, 22));

  const QList<QAction*> before = F().PopMenDendro->actions();
  emit F().PopMenDendro->aboutToShow();
  EXPECT_EQ(F().PopMenDendro->actions().last(), F().SavePicture1);
  emit F().PopMenDendro->aboutToHide();
  QApplication::processEvents();
  EXPECT_EQ(F().PopMenDendro->actions(), before);
  EXPECT_EQ(F().SavePicture1->shortcut(), QKeySequence(QKeySequence::Save));
  EXPECT_TRUE(F().actions().contains(F().SavePicture1));  // Ctrl+S in the whole window
}

// The two views linked through real mouse and key events on the dendrogram.
TEST_F(MainWindow, ChartFollowsCutAndSelection) {
  auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButton button) {
    QMouseEvent e(type, at, F().MyDendro->mapToGlobal(at), button,
                  type == QEvent::MouseMove ? Qt::NoButton : button, Qt::NoModifier);
    QApplication::sendEvent(F().MyDendro, &e);
  };
  auto textColor = [&](int row) { return F().Plotra1->DataItems()[row - 1].Color; };
  // At rest the popup holds the five entries of the window; shown, the linking ones follow
  // (and the save entry with its separator).
  emit F().PopMenDendro->aboutToShow();
  EXPECT_EQ(F().PopMenDendro->actions().size(), 12);
  emit F().PopMenDendro->aboutToHide();
  QApplication::processEvents();
  EXPECT_EQ(F().PopMenDendro->actions().size(), 5);

  // "Cut here" at the pointer's height: two groups far apart give two clusters.
  const int n = 60;
  const double root = D().MergeDist().Elem(n - 1);
  const QPoint cutAt(300, D().DistToPixel(root * 0.9));
  send(QEvent::MouseMove, cutAt, Qt::NoButton);
  F().CutHere1->trigger();
  ASSERT_EQ(D().ClusterCount(), 2);
  EXPECT_EQ(textColor(1), D().ClassColors()[1]);   // object 1 is in cluster 1
  EXPECT_EQ(textColor(60), D().ClassColors()[2]);  // the other group

  // Select mode: a click on the stem of object 60's group selects that group.
  F().SelectSubtree1->trigger();
  EXPECT_EQ(D().MouseAction(), maSelectSubtree);
  const int a = D().MergeTable().Elem(1, n - 1), b = D().MergeTable().Elem(2, n - 1);
  const int group = D().NodeClass().Elem(a) == D().NodeClass().Elem(60) ? a : b;
  const QPoint stem(D().ObjToPixel(D().NodePos().Elem(group)),
                    D().DistToPixel((D().MergeDist().Elem(group - n) + root) / 2));
  send(QEvent::MouseMove, stem, Qt::NoButton);
  EXPECT_EQ(D().HoverNode(), group);
  send(QEvent::MouseButtonPress, stem, Qt::LeftButton);
  ASSERT_EQ(D().SelectedObjects().size(), 30u);
  EXPECT_EQ(textColor(60), D().ColorSelection());
  EXPECT_EQ(textColor(1), 0xC0C0C0u);  // dimmed

  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(F().MyDendro, &esc);
  EXPECT_EQ(D().SelectedNode(), 0);
  EXPECT_EQ(textColor(60), D().ClassColors()[2]);
  F().RemoveCut1->trigger();
  EXPECT_EQ(textColor(60), 0u);
}

}  // namespace
}  // namespace dendrokit
