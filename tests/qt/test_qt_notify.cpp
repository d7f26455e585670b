// Notify signals as Qt's tools expect them: one emission per real change, by any path, none
// for an unchanged value; and the size policy that lets a layout give the views the room.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBoxLayout>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QSignalSpy>
#include <functional>
#include <memory>
#include <vector>

#include "chart/plotra.h"
#include "colsel/colsel.h"
#include "dendrogram/dendrogram.h"
#include "scale/scale.h"

namespace dendrokit {
namespace {

std::vector<std::function<QWidget*()>> Makers() {
  return {[] { return new TScale; }, [] { return new TColSel; },
          [] { return new TDendrogram; }, [] { return new TPlotra; }};
}

// Values to try instead of the current one, most likely accepted first.
std::vector<QVariant> Others(const QMetaProperty& p, const QVariant& now) {
  std::vector<QVariant> out;
  if (p.isEnumType()) {
    const QMetaEnum e = p.enumerator();
    for (int i = 0; i < e.keyCount(); ++i)
      if (e.value(i) != now.toInt()) out.emplace_back(e.value(i));
    return out;
  }
  switch (p.metaType().id()) {
    case QMetaType::Bool: return {!now.toBool()};
    case QMetaType::Int: {
      const int v = now.toInt();
      return {v + 1, v - 1, v + 7, 3, 60};
    }
    case QMetaType::Double: {
      const double v = now.toDouble();
      return {v + 1.0, v - 1.0, v * 0.5, v + 0.25};
    }
    case QMetaType::QColor:
      return {QColor(12, 34, 56), QColor(Qt::red), QColor(Qt::blue)};
    case QMetaType::QString: return {now.toString() + "x"};
    case QMetaType::QStringList: return {QVariant(now.toStringList() << "x")};
    default: return {};
  }
}

// For every writable property with a notify signal, on each control: a different value set
// through setProperty emits its signal exactly once, the same value again emits nothing.
TEST(QtNotify, MetaObjectWalkOnePerChangeNoneForTheSame) {
  for (const auto& make : Makers()) {
    std::unique_ptr<QWidget> w(make());
    w->resize(400, 300);
    const QMetaObject* mo = w->metaObject();
    int checked = 0;
    for (int i = 0; i < mo->propertyCount(); ++i) {
      const QMetaProperty p = mo->property(i);
      const QByteArray owner = p.enclosingMetaObject()->className();
      if (!owner.startsWith("dendrokit::") || !p.hasNotifySignal()) continue;
      const std::string name = std::string(mo->className()) + "::" + p.name();
      ASSERT_EQ(p.notifySignal().parameterCount(), 0) << name;
      if (!p.isWritable()) continue;
      bool changed = false;
      for (const QVariant& v : Others(p, p.read(w.get()))) {
        const QVariant before = p.read(w.get());
        QSignalSpy spy(w.get(), p.notifySignal());
        ASSERT_TRUE(w->setProperty(p.name(), v)) << name;
        changed = p.read(w.get()) != before;
        EXPECT_EQ(spy.count(), changed ? 1 : 0) << name << " set to " << v.toString().toStdString();
        if (changed) break;
      }
      EXPECT_TRUE(changed) << name << ": no value tried was taken";
      QSignalSpy same(w.get(), p.notifySignal());
      w->setProperty(p.name(), p.read(w.get()));
      EXPECT_EQ(same.count(), 0) << name;
      ++checked;
    }
    EXPECT_GT(checked, 0) << mo->className();
  }
}

// Every path that moves the dendrogram's window emits windowChanged once; zoomPanned stays
// the signal of OnZoomPan (user zooms and pans only). A dragged label band emits
// marginChanged, a new font family fontIsTrueTypeChanged when the check's result changes.
TEST(QtNotify, DendrogramPaths) {
  TDendrogram d;
  d.SetBounds(0, 0, 300, 300);
  d.Data().Resize(2, 6);
  for (int r = 1; r <= 6; ++r) d.Data().SetElem(1, r, r * r);
  d.ResetZoom();
  QSignalSpy window(&d, &TDendrogram::windowChanged), zoomPan(&d, &TDendrogram::zoomPanned);
  QKeyEvent key(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
  const auto drag = [&](int x0, int y0, int x1, int y1) {
    d.MouseDown(mbLeft, ssLeft, x0, y0);
    d.MouseMove(ssLeft, x0, y0);
    d.MouseMove(ssLeft, x1, y1);
    d.MouseUp(mbLeft, 0, x1, y1);
  };
  struct Step {
    const char* what;
    std::function<void()> act;
    int window, zoomPan;
  } const steps[] = {
      {"SetRange", [&] { d.SetRange(0, 10, 0, 50); }, 1, 0},
      {"SetRange, same", [&] { d.SetRange(10, 0, 50, 0); }, 0, 0},
      {"SetRange, empty", [&] { d.SetRange(1, 1, 0, 5); }, 0, 0},
      {"ResetZoom", [&] { d.ResetZoom(); }, 1, 0},
      {"ResetZoom, same", [&] { d.ResetZoom(); }, 0, 0},
      {"DistHigh ignored", [&] { d.SetDistHigh(d.DistLow()); }, 0, 0},
      {"wheel", [&] { d.WheelZoom(150, 150, 1); }, 1, 1},
      {"key", [&] { QApplication::sendEvent(&d, &key); }, 1, 1},
      {"drag", [&] { d.SetMouseAction(maPan), drag(150, 150, 170, 140); }, 1, 1},
  };
  for (const Step& s : steps) {
    window.clear();
    zoomPan.clear();
    s.act();
    EXPECT_EQ(window.count(), s.window) << s.what;
    EXPECT_EQ(zoomPan.count(), s.zoomPan) << s.what;
  }

  d.SetOrientation(dirLeftward);
  d.SetMargin(100);
  d.SetMarginIsMoveable(true);
  QSignalSpy margin(&d, &TDendrogram::marginChanged);
  d.MouseMove(ssLeft, 100, 10);
  d.MouseMove(ssLeft, 104, 10);
  EXPECT_EQ(d.Margin(), 104);
  EXPECT_EQ(margin.count(), 1);

  QSignalSpy font(&d, &TDendrogram::fontIsTrueTypeChanged);
  const bool before = d.FontIsTrueType();
  for (const QString& family : QFontDatabase::families())
    if (QFontDatabase::isSmoothlyScalable(family) != before) {
      d.setFont(QFont(family, 9));
      break;
    }
  EXPECT_EQ(font.count(), d.FontIsTrueType() != before ? 1 : 0);
}

// The scale's range by the mouse, its decimals by the label type, its mouse action by a
// double click; the chart's margins and caption place by its standard layout; the colour
// selector's colour by NumColors and by the user's pick.
TEST(QtNotify, OtherPathsEmitOnce) {
  TScale scale;
  scale.SetBounds(0, 0, 300, 40);
  scale.SetMouseAction(maPan);
  QSignalSpy range(&scale, &TScale::rangeChanged);
  scale.MouseMove(ssLeft, 100, 20);
  scale.MouseMove(ssLeft, 130, 20);
  EXPECT_EQ(range.count(), 1);
  QSignalSpy action(&scale, &TScale::mouseActionChanged);
  scale.DblClick();
  EXPECT_EQ(action.count(), 1);
  QSignalSpy decimals(&scale, &TScale::decPlacesChanged);
  scale.SetLabelType(ftTime);
  EXPECT_EQ(decimals.count(), scale.DecPlaces() == 4 ? 1 : 0);

  TPlotra chart;
  QSignalSpy margins(&chart, &TCustomPlotra::marginsChanged);
  QSignalSpy caption(&chart, &TCustomPlotra::captionPlaceChanged);
  chart.SetStandardLayout(pll_X2Both_Y2Both);
  EXPECT_EQ(margins.count(), 1);
  EXPECT_EQ(caption.count(), 1);

  TColSel sel;
  QSignalSpy color(&sel, &TColSel::selColorChanged);
  sel.SetSelColor(0x00FF00);  // a listed colour: the selection moves
  EXPECT_EQ(color.count(), 1);
  sel.SetNumColors(30);  // back to slot 1
  EXPECT_EQ(color.count(), 2);
  emit sel.activated(4);  // the user's pick
  EXPECT_EQ(color.count(), 3);
  QSignalSpy onChange(&sel, &TColSel::colorChanged);
  emit sel.activated(4);  // the same pick: OnChange, but no change
  EXPECT_EQ(onChange.count(), 1);
  EXPECT_EQ(color.count(), 3);
}

// Like Qt's graphics views, the dendrogram and the chart take the room a layout has left.
TEST(QtLayout, ViewsExpandBesideALabel) {
  for (QWidget* view :
       {static_cast<QWidget*>(new TDendrogram), static_cast<QWidget*>(new TPlotra)}) {
    QWidget host;
    auto* layout = new QVBoxLayout(&host);
    layout->addWidget(view);
    layout->addWidget(new QLabel("below"));
    host.resize(500, 900);
    host.show();
    EXPECT_EQ(view->sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
    EXPECT_GT(view->height(), 700) << view->metaObject()->className();
    EXPECT_GT(view->width(), 450) << view->metaObject()->className();
  }
}

}  // namespace
}  // namespace dendrokit
