// A window with an enabled and a disabled colour selector; the enabled one opens its list
// once the window is shown. The label under them follows the chosen colour.
#include <QApplication>
#include <QFormLayout>
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include "colsel/colsel.h"
#include "gfxbase/stdcolors.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle("Colour selectors");
  auto* layout = new QFormLayout(&window);

  auto* enabled = new dendrokit::TColSel(&window);
  enabled->SetSelColor(0x808080);
  enabled->SetDropDownCount(12);
  auto* disabled = new dendrokit::TColSel(&window);
  disabled->SetSelColor(0xF7E0CE);
  disabled->SetEnabled(false);
  auto* chosen = new QLabel(&window);

  enabled->OnChange = [enabled, chosen](dendrokit::TObject*) {
    chosen->setText(QString::fromStdString(dendrokit::ColorToText(enabled->SelColor())));
  };
  enabled->OnChange(enabled);

  // The disabled one on top, so that the opened list leaves it in sight.
  layout->addRow("Disabled:", disabled);
  layout->addRow("Enabled:", enabled);
  layout->addRow("Chosen:", chosen);
  window.resize(320, 140);
  window.move(40, 40);
  window.show();
  if (!app.arguments().contains("--closed"))
    QTimer::singleShot(300, enabled, [enabled] { enabled->showPopup(); });
  return app.exec();
}
