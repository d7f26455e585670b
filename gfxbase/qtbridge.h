// Helpers that give the controls' C++ properties their Qt face.
#pragma once

#include <QColor>
#include <QString>

#include "gfxbase/canvas.h"

// Qt-side accessors of a TColor or std::string property for its Q_PROPERTY: Name##Q()
// reads through Name(), SetName##Q() writes through SetName() (QColor in, TColor stored;
// an invalid QColor is ignored). setName is the same write under the name uic, QML and
// Designer derive from the property's name.
#define DENDROKIT_QCOLOR_ACCESSORS(Name)                                                \
  QColor Name##Q() const { return ::dendrokit::ColorToQColor(Name()); }                  \
  void Set##Name##Q(const QColor& value) {                                               \
    if (value.isValid()) Set##Name(::dendrokit::QColorToColor(value));                   \
  }                                                                                      \
  void set##Name(const QColor& value) { Set##Name##Q(value); }
#define DENDROKIT_QSTRING_ACCESSORS(Name)                                               \
  QString Name##Q() const { return QString::fromStdString(Name()); }                     \
  void Set##Name##Q(const QString& value) { Set##Name(value.toStdString()); }            \
  void set##Name(const QString& value) { Set##Name##Q(value); }
// The Qt-style WRITE of a property whose component setter SetName already takes its Qt type
// (numbers, flags, the library's enumerations): setName, as uic writes it.
#define DENDROKIT_QT_SETTER(Name, Type) \
  void set##Name(Type value) { Set##Name(value); }
