// TNotifyScope: makes a control's NOTIFY signals fire once per real change, by any path.
// Code that may change a notifying property (a setter, a range call, a mouse drag, Assign)
// opens a scope; the scope reads every notifying property of the library's classes at its
// start and again at its end, and emits each notify signal whose properties changed, once.
// Scopes of one object nest: only the outermost compares, so an operation built from other
// operations (ResetZoom from SetRange) still emits once. Notify signals take no arguments.
#pragma once

#include "gfxbase/export.h"

#include <utility>
#include <vector>

#include <QVariant>

class QObject;

namespace dendrokit {

class DENDROKIT_EXPORT TNotifyScope {
 public:
  explicit TNotifyScope(QObject* object);
  // Emits; an exception thrown by a receiver is reported through qWarning, not rethrown.
  ~TNotifyScope();
  TNotifyScope(const TNotifyScope&) = delete;
  TNotifyScope& operator=(const TNotifyScope&) = delete;

 private:
  QObject* object_ = nullptr;  // null in an inner scope
  std::vector<std::pair<int, QVariant>> before_;  // property index, value at the start
};

}  // namespace dendrokit
