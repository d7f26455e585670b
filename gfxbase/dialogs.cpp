#include "gfxbase/dialogs.h"

#include <utility>

#include <QApplication>
#include <QMessageBox>

namespace dendrokit {

namespace {

TInformationHandler& Handler() {
  static TInformationHandler handler;
  return handler;
}

}  // namespace

void ShowInformation(const std::string& text, const std::string& caption) {
  if (Handler()) {
    // A copy, so that a handler replacing itself does not destroy the running callable.
    const TInformationHandler handler = Handler();
    handler(caption, text);
    return;
  }
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return;
  QMessageBox::information(QApplication::activeWindow(), QString::fromStdString(caption),
                           QString::fromStdString(text), QMessageBox::Ok);
}

TInformationHandler SetInformationHandler(TInformationHandler handler) {
  return std::exchange(Handler(), std::move(handler));
}

}  // namespace dendrokit
