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

#include "app/mainfrm.h"
#include "app/radiogroup.h"
#include "colsel/colsel.h"

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
}

}  // namespace
}  // namespace dendrokit
