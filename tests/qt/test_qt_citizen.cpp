// The controls as Qt widgets: meta-objects, properties by name, enums by name, size hints
// and the minimum under a layout, Qt state as the only state, signals beside the events.
#include <gtest/gtest.h>

#include <QBoxLayout>
#include <QMetaEnum>
#include <QMetaProperty>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/plotra.h"
#include "colsel/colsel.h"
#include "dendrogram/dendrogram.h"
#include "scale/scale.h"

namespace dendrokit {
namespace {

// One row per control: how to make it and its own minimum-size rule.
struct ControlKind {
  const char* className;
  std::function<QWidget*()> make;
  std::function<QSize(QWidget*)> minimum;
  bool enforced;  // SetBounds (and so any resize) keeps the minimum
};

QSize ScaleRule(QWidget* w) {
  auto* s = static_cast<TScale*>(w);
  TBitmap probe(1, 1);
  probe.Canvas().Font().Assign(&s->Font());
  const TScaleMinSize m = ScaleMinimumSize(s->ScaleType(), s->MarginLeft(), s->MarginRight(),
                                           s->MarginTop(), s->MarginBottom(),
                                           probe.Canvas().TextWidth("-0.000"),
                                           probe.Canvas().TextHeight("0"), 1);
  return {m.Width, m.Height};
}

const std::vector<ControlKind>& Kinds() {
  static const std::vector<ControlKind> kinds = {
      {"dendrokit::TScale", [] { return new TScale; }, ScaleRule, false},
      {"dendrokit::TColSel", [] { return new TColSel; },
       [](QWidget* w) { return w->minimumSizeHint(); }, false},
      {"dendrokit::TDendrogram", [] { return new TDendrogram; },
       [](QWidget*) { return QSize(120, 120); }, true},
      {"dendrokit::TPlotra", [] { return new TPlotra; },
       [](QWidget* w) {  // margins and shadow + 80 x 20
         auto* c = static_cast<TPlotra*>(w);
         return QSize(c->MarginLeft() + c->MarginRight() + c->ShadowWidth() + 80,
                      c->MarginTop() + c->MarginBottom() + c->ShadowWidth() + 20);
       },
       true},
  };
  return kinds;
}

TEST(QtMetaObject, EveryControlHasItsOwnMetaObjectAndHints) {
  for (const ControlKind& k : Kinds()) {
    std::unique_ptr<QWidget> w(k.make());
    EXPECT_STREQ(w->metaObject()->className(), k.className);
    EXPECT_EQ(w->minimumSizeHint(), k.minimum(w.get())) << k.className;
    EXPECT_TRUE(w->sizeHint().width() >= w->minimumSizeHint().width() &&
                w->sizeHint().height() >= w->minimumSizeHint().height())
        << k.className;
  }
}

// A vertical scale grows with its label width; a date scale needs two label lines.
TEST(QtMetaObject, ScaleMinimumSizeRule) {
  struct Row { TScaleType type; int lines; int w, h; };
  const Row rows[] = {{sctXB, 1, 60, 20 + 8 + 13}, {sctXT, 2, 60, 5 + 8 + 26},
                      {sctYL, 1, 10 + 9 + 40, 45}, {sctYR, 1, 30 + 9 + 40, 45}};
  for (const Row& r : rows) {
    const TScaleMinSize m = ScaleMinimumSize(r.type, 10, 30, 5, 20, 40, 13, r.lines);
    EXPECT_EQ(m.Width, r.w) << EnumToName(r.type);
    EXPECT_EQ(m.Height, r.h) << EnumToName(r.type);
  }
}

// Property writes by name reach the control through its setter: colours as QColor, enums
// by key name, texts as QString.
TEST(QtMetaObject, PropertiesByName) {
  TScale scale;
  TColSel colsel;
  TDendrogram dendro;
  TPlotra chart;
  struct Row {
    QObject* target;
    const char* name;
    QVariant value;
    std::function<bool()> took;
  };
  const Row rows[] = {
      {&dendro, "colorDendrogram", QColor("steelblue"),
       [&] { return dendro.ColorDendrogram() == 0xB48246u; }},
      {&dendro, "orientation", "dirUpward", [&] { return dendro.Orientation() == dirUpward; }},
      {&dendro, "clusterMethod", QVariant::fromValue(cmSingleLink),
       [&] { return dendro.ClusterMethod() == cmSingleLink; }},
      {&dendro, "distHigh", 7.5, [&] { return dendro.DistHigh() == 7.5; }},
      {&dendro, "color", QColor(Qt::red), [&] { return dendro.Color() == 0x0000FFu; }},
      {&scale, "caption", QString("km/h"), [&] { return scale.Caption() == "km/h"; }},
      {&scale, "scaleType", "sctYL", [&] { return scale.ScaleType() == sctYL; }},
      {&scale, "colorScale", QColor(0, 128, 255), [&] { return scale.ColorScale() == 0xFF8000u; }},
      {&colsel, "selColor", QColor(Qt::blue), [&] { return colsel.SelColor() == 0xFF0000u; }},
      {&colsel, "colorBarWidth", 12, [&] { return colsel.ColorBarWidth() == 12; }},
      {&chart, "gridStyle", "gsDotLines", [&] { return chart.GridStyle() == gsDotLines; }},
      {&chart, "chartColor", QColor(Qt::green), [&] { return chart.ChartColor() == 0x00FF00u; }},
      {&chart, "caption", QString("Title"), [&] { return chart.Caption() == "Title"; }},
  };
  for (const Row& r : rows) {
    const QMetaObject* mo = r.target->metaObject();
    const int index = mo->indexOfProperty(r.name);
    ASSERT_GE(index, 0) << r.name;
    EXPECT_TRUE(mo->property(index).isDesignable()) << r.name;
    EXPECT_TRUE(r.target->setProperty(r.name, r.value)) << r.name;
    EXPECT_TRUE(r.took()) << r.name;
  }
  EXPECT_EQ(dendro.property("orientation").value<TDirection>(), dirUpward);
  EXPECT_TRUE(dendro.metaObject()
                  ->property(dendro.metaObject()->indexOfProperty("distLow"))
                  .hasNotifySignal());
}

// The meta-enums moc reads must list the same keys as the name tables the settings use.
template <typename E> void ExpectEnumMatches() {
  const QMetaEnum me = QMetaEnum::fromType<E>();
  ASSERT_TRUE(me.isValid());
  ASSERT_EQ(static_cast<std::size_t>(me.keyCount()), EnumCount<E>()) << me.name();
  for (int i = 0; i < me.keyCount(); ++i) {
    EXPECT_EQ(me.value(i), i) << me.name();
    EXPECT_EQ(std::string_view(me.key(i)), EnumTraits<E>::names[i]) << me.name();
  }
}

TEST(QtMetaObject, MetaEnumsMatchTheNameTables) {
  ExpectEnumMatches<TBkgFill>(), ExpectEnumMatches<TColorScheme>(), ExpectEnumMatches<TFigType>();
  ExpectEnumMatches<TScaleType>(), ExpectEnumMatches<TVerticalAlignment>();
  ExpectEnumMatches<TYearLength>(), ExpectEnumMatches<TDateOrder>();
  ExpectEnumMatches<TDateForTime>(), ExpectEnumMatches<TShadowStyle>();
  ExpectEnumMatches<TFrameStyle>(), ExpectEnumMatches<TDistMode>();
  ExpectEnumMatches<TTimeFormat>(), ExpectEnumMatches<TDirection>();
  ExpectEnumMatches<TCrossHMode>(), ExpectEnumMatches<TTxtLblAttachMode>();
  ExpectEnumMatches<TTxtLblMode>(), ExpectEnumMatches<TMouseActMode>();
  ExpectEnumMatches<TClusterMethod>(), ExpectEnumMatches<TplLayout>();
  ExpectEnumMatches<TCaptionAnchorHoriz>(), ExpectEnumMatches<TCaptionAnchorVert>();
  ExpectEnumMatches<TTextBkg>(), ExpectEnumMatches<GridStyleType>();
  ExpectEnumMatches<TScaleUnitAnchor>(), ExpectEnumMatches<TPenStyle>();
  ExpectEnumMatches<TAlignment>();
}

// A layout that offers less room than the minimum cannot shrink a control below it.
TEST(QtLayout, MinimumHoldsUnderALayoutAndDirectResize) {
  for (const ControlKind& k : Kinds()) {
    QWidget host;
    auto* layout = new QVBoxLayout(&host);
    layout->setContentsMargins(0, 0, 0, 0);
    QWidget* w = k.make();
    layout->addWidget(w);
    host.resize(30, 30);
    host.show();
    const QSize min = k.minimum(w);
    EXPECT_GE(w->width(), min.width()) << k.className;
    EXPECT_GE(w->height(), min.height()) << k.className;
    if (!k.enforced) continue;
    w->resize(10, 10);
    EXPECT_GE(w->width(), min.width()) << k.className;
    EXPECT_GE(w->height(), min.height()) << k.className;
  }
}

// Qt's enabled, visible and font state is the control's state, whichever side sets it.
TEST(QtState, OneSourceOfTruth) {
  TColSel sel;
  sel.setEnabled(false);
  EXPECT_FALSE(sel.Enabled());
  QWidget parent;
  TDendrogram& d = *new TDendrogram(&parent);
  d.setEnabled(false);
  EXPECT_FALSE(d.Enabled());
  d.SetEnabled(true);
  EXPECT_TRUE(d.isEnabled());
  d.hide();
  EXPECT_FALSE(d.Visible());
  d.SetVisible(true);
  EXPECT_FALSE(d.isHidden());
  QFont f("DejaVu Sans");
  f.setPixelSize(21);
  f.setBold(true);
  d.setFont(f);
  EXPECT_EQ(d.Font().Name(), "DejaVu Sans");
  EXPECT_EQ(d.Font().Height(), 21);
  EXPECT_EQ(d.Font().Style(), fsBold);
  d.Font().SetHeight(17);
  EXPECT_EQ(d.font().pixelSize(), 17);
  d.SetCursor(crCross);
  d.unsetCursor();
  EXPECT_EQ(d.Cursor(), crDefault);
  d.setCursor(Qt::SizeVerCursor);
  EXPECT_EQ(d.Cursor(), crSizeNS);
}

// Handler first, then every receiver; a var parameter changed by the handler reaches the
// receivers and their change comes back. Connections end with their receiver.
TEST(QtSignals, HandlerThenReceiversSeeAndChangeVarParameters) {
  TScale s;
  std::vector<std::string> log;
  s.OnBeforeTickLabel = [&](TObject*, TScaleType, double, std::string& label) {
    log.push_back("handler " + label);
    label = "A";
  };
  auto receiver = std::make_unique<QObject>();
  QObject::connect(&s, &TScale::beforeTickLabel, receiver.get(),
                   [&](TScaleType, double, QString& label) {
                     log.push_back("receiver " + label.toStdString());
                     label = "B";
                   });
  std::string text = "1";
  s.OnBeforeTickLabel(&s, sctXB, 1.0, text);
  EXPECT_EQ(text, "B");
  EXPECT_EQ(log, (std::vector<std::string>{"handler 1", "receiver A"}));
  receiver.reset();
  s.OnBeforeTickLabel = nullptr;
  EXPECT_FALSE(static_cast<bool>(s.OnBeforeTickLabel));  // nobody listens any more
}

TEST(QtSignals, UserActionsReachSeveralReceivers) {
  TDendrogram d;
  d.SetBounds(0, 0, 300, 300);
  d.Data().Resize(2, 4);
  for (int r = 1; r <= 4; ++r) d.Data().SetElem(1, r, r * r);
  d.ResetZoom();
  int handler = 0, first = 0, second = 0;
  d.OnZoomPan = [&](TObject*) { ++handler; };
  QObject::connect(&d, &TDendrogram::zoomPanned, [&] { ++first; });
  QObject::connect(&d, &TDendrogram::zoomPanned, [&] { ++second; });
  d.WheelZoom(150, 150, 1);
  EXPECT_EQ(handler, 1);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 1);
  TColSel sel;
  QColor chosen;
  QObject::connect(&sel, &TColSel::colorChanged, [&](const QColor& c) { chosen = c; });
  sel.SetSelColor(0x00FF00);
  emit sel.activated(sel.currentIndex());  // as a choice by the user
  EXPECT_EQ(chosen, QColor(0, 255, 0));
}

}  // namespace
}  // namespace dendrokit
