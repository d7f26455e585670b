#include "gfxbase/notify.h"

#include <algorithm>
#include <exception>

#include <QMetaMethod>
#include <QMetaObject>
#include <QMetaProperty>
#include <QObject>
#include <QtGlobal>

namespace dendrokit {

namespace {

// Objects with an open scope on this thread (the user-interface thread, in practice).
thread_local std::vector<const QObject*> openScopes;

// Indices of the notifying properties declared by the library's own classes; Qt's base
// classes keep their own rules.
std::vector<int> NotifyingProperties(const QMetaObject* mo) {
  std::vector<int> result;
  for (; mo && QByteArray(mo->className()).startsWith("dendrokit::"); mo = mo->superClass())
    for (int i = mo->propertyOffset(); i < mo->propertyCount(); ++i)
      if (mo->property(i).hasNotifySignal()) result.push_back(i);
  return result;
}

// QObject::isSignalConnected is protected; a member pointer named through a class that makes
// it public calls it on any object.
struct SignalProbe : QObject {
  using QObject::isSignalConnected;
};
constexpr auto kIsSignalConnected = &SignalProbe::isSignalConnected;

}  // namespace

TNotifyScope::TNotifyScope(QObject* object) {
  if (!object || std::find(openScopes.begin(), openScopes.end(), object) != openScopes.end())
    return;
  object_ = object;
  openScopes.push_back(object);
  const QMetaObject* mo = object->metaObject();
  // Only properties someone listens to are read: hosts set their embedded scales' ranges at
  // every layout.
  for (const int i : NotifyingProperties(mo)) {
    const QMetaProperty p = mo->property(i);
    if ((object->*kIsSignalConnected)(p.notifySignal())) before_.emplace_back(i, p.read(object));
  }
}

TNotifyScope::~TNotifyScope() {
  if (!object_) return;
  openScopes.erase(std::find(openScopes.begin(), openScopes.end(), object_));
  const QMetaObject* mo = object_->metaObject();
  std::vector<int> emitted;  // signal indices: properties sharing a signal emit it once
  for (const auto& [index, value] : before_) {
    const QMetaProperty p = mo->property(index);
    if (p.read(object_) == value) continue;
    const QMetaMethod signal = p.notifySignal();
    if (std::find(emitted.begin(), emitted.end(), signal.methodIndex()) != emitted.end())
      continue;
    emitted.push_back(signal.methodIndex());
    try {
      signal.invoke(object_, Qt::DirectConnection);
    } catch (const std::exception& e) {
      qWarning("dendrokit: a receiver of %s failed: %s", signal.methodSignature().constData(),
               e.what());
    } catch (...) {
      qWarning("dendrokit: a receiver of %s failed", signal.methodSignature().constData());
    }
  }
}

}  // namespace dendrokit
