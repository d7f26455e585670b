#include "designer/designer_plugin.h"

#include <QIcon>

#include "chart/plotra.h"
#include "colsel/colsel.h"
#include "dendrogram/dendrogram.h"
#include "scale/scale.h"

DendrokitWidget::DendrokitWidget(QString className, QString header, QString toolTip,
                                 std::function<QWidget*(QWidget*)> make, QObject* parent)
    : QObject(parent),
      className_(std::move(className)),
      header_(std::move(header)),
      toolTip_(std::move(toolTip)),
      make_(std::move(make)) {}

QIcon DendrokitWidget::icon() const { return {}; }

// A new instance starts at the control's preferred size; the object name is the class name
// without the namespace, lower-cased first letter after the T ("dendrogram").
QString DendrokitWidget::domXml() const {
  QString plain = className_.section(QStringLiteral("::"), -1);
  if (plain.startsWith(QLatin1Char('T'))) plain.remove(0, 1);
  if (!plain.isEmpty()) plain[0] = plain[0].toLower();
  return QStringLiteral("<ui language=\"c++\"><widget class=\"%1\" name=\"%2\"/></ui>")
      .arg(className_, plain);
}

namespace {

template <typename W>
std::function<QWidget*(QWidget*)> Maker() {
  return [](QWidget* parent) { return new W(parent); };
}

}  // namespace

DendrokitWidgets::DendrokitWidgets(QObject* parent) : QObject(parent) {
  using namespace dendrokit;
  widgets_ = {
      new DendrokitWidget("dendrokit::TDendrogram", "dendrogram/dendrogram.h",
                          "Dendrogram of a hierarchical clustering", Maker<TDendrogram>(), this),
      new DendrokitWidget("dendrokit::TPlotra", "chart/plotra.h", "Chart with layers and scales",
                          Maker<TPlotra>(), this),
      new DendrokitWidget("dendrokit::TScale", "scale/scale.h", "Scale (axis)", Maker<TScale>(),
                          this),
      new DendrokitWidget("dendrokit::TColSel", "colsel/colsel.h", "Colour selector",
                          Maker<TColSel>(), this),
  };
}
