// Qt Designer plugin: the four controls in a "dendrokit" group of the widget box. Their
// properties come from their meta-objects; the defaults written into a new form are the
// controls' own.
#pragma once

#include <QObject>
#include <QString>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>
#include <functional>

class DendrokitWidget : public QObject, public QDesignerCustomWidgetInterface {
  Q_OBJECT
  Q_INTERFACES(QDesignerCustomWidgetInterface)

 public:
  DendrokitWidget(QString className, QString header, QString toolTip,
                  std::function<QWidget*(QWidget*)> make, QObject* parent);

  QString name() const override { return className_; }
  QString group() const override { return QStringLiteral("dendrokit"); }
  QString toolTip() const override { return toolTip_; }
  QString whatsThis() const override { return toolTip_; }
  QString includeFile() const override { return header_; }
  QIcon icon() const override;
  bool isContainer() const override { return false; }
  QWidget* createWidget(QWidget* parent) override { return make_(parent); }
  bool isInitialized() const override { return initialized_; }
  void initialize(QDesignerFormEditorInterface*) override { initialized_ = true; }
  QString domXml() const override;

 private:
  QString className_, header_, toolTip_;
  std::function<QWidget*(QWidget*)> make_;
  bool initialized_ = false;
};

class DendrokitWidgets : public QObject, public QDesignerCustomWidgetCollectionInterface {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetCollectionInterface")
  Q_INTERFACES(QDesignerCustomWidgetCollectionInterface)

 public:
  explicit DendrokitWidgets(QObject* parent = nullptr);
  QList<QDesignerCustomWidgetInterface*> customWidgets() const override { return widgets_; }

 private:
  QList<QDesignerCustomWidgetInterface*> widgets_;
};
