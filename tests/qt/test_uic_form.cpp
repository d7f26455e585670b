// A .ui form that sets every designable property of the four controls, compiled through
// uic: the setFoo calls uic writes must compile, and every value must read back.
#include <gtest/gtest.h>

#include <QColor>
#include <QFile>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QXmlStreamReader>
#include <map>
#include <string>

#include "ui_all_properties.h"

namespace dendrokit {
namespace {

// widget name -> property name -> the value as the form's XML states it
using FormValues = std::map<QString, std::map<QString, QString>>;

FormValues ReadForm(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
  QXmlStreamReader xml(&file);
  FormValues values;
  QString widget, property, text;
  QColor color;
  while (!xml.atEnd()) {
    xml.readNext();
    const auto tag = xml.name();
    if (xml.isStartElement()) {
      if (tag == u"widget") widget = xml.attributes().value("name").toString();
      if (tag == u"property") property = xml.attributes().value("name").toString();
      if (tag == u"red") color.setRed(xml.readElementText().toInt());
      if (tag == u"green") color.setGreen(xml.readElementText().toInt());
      if (tag == u"blue") color.setBlue(xml.readElementText().toInt());
      if (tag == u"number" || tag == u"double" || tag == u"bool" || tag == u"string" ||
          tag == u"enum")
        values[widget][property] = xml.readElementText().section("::", -1);
    } else if (xml.isEndElement() && tag == u"color") {
      values[widget][property] = color.name();
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  return values;
}

// The value as the same text the form uses.
QString AsFormText(const QMetaProperty& p, const QVariant& v) {
  if (p.isEnumType()) return p.enumerator().valueToKey(v.toInt());
  switch (p.metaType().id()) {
    case QMetaType::QColor: return v.value<QColor>().name();
    case QMetaType::Bool: return v.toBool() ? "true" : "false";
    case QMetaType::Double: return QString::number(v.toDouble(), 'g', 17);
    default: return v.toString();
  }
}

TEST(UicForm, EveryDesignablePropertyCompilesAndReadsBack) {
  QWidget form;
  Ui::AllProperties ui;
  ui.setupUi(&form);
  const FormValues values = ReadForm(DENDROKIT_TEST_UI_FILE);
  int controls = 0;
  for (QWidget* w : {static_cast<QWidget*>(ui.dendrogram), static_cast<QWidget*>(ui.chart),
                     static_cast<QWidget*>(ui.scale), static_cast<QWidget*>(ui.colors)}) {
    ++controls;
    const auto set = values.find(w->objectName());
    ASSERT_NE(set, values.end()) << w->objectName().toStdString();
    const QMetaObject* mo = w->metaObject();
    for (int i = 0; i < mo->propertyCount(); ++i) {
      const QMetaProperty p = mo->property(i);
      if (!QByteArray(p.enclosingMetaObject()->className()).startsWith("dendrokit::") ||
          !p.isWritable() || !p.isDesignable())
        continue;
      const std::string name = std::string(mo->className()) + "::" + p.name();
      const auto value = set->second.find(p.name());
      if (value == set->second.end()) {
        ADD_FAILURE() << name << " is designable but all_properties.ui does not set it";
        continue;
      }
      EXPECT_EQ(AsFormText(p, p.read(w)).toStdString(), value->second.toStdString()) << name;
    }
  }
  EXPECT_EQ(controls, 4);
}

}  // namespace
}  // namespace dendrokit
