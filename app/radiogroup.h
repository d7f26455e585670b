// TRadioGroup: a framed group of radio buttons chosen by index, the way the sample's settings
// are offered. The buttons are spread evenly over the area under the caption line.
#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QStringList>
#include <vector>

#include "gfxbase/types.h"


namespace dendrokit {

class TRadioGroup : public QGroupBox {
  Q_OBJECT

 public:
  TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr);

  // Index of the checked item, -1 when none is checked.
  int ItemIndex() const;
  // Checks item `index` without raising OnClick; out-of-range values uncheck every item.
  void SetItemIndex(int index);

  int Count() const { return static_cast<int>(buttons_.size()); }
  QRadioButton* Button(int index) const { return buttons_.at(static_cast<std::size_t>(index)); }

  // Raised when the user checks an item (a click on the checked item raises nothing).
  TNotifyEvent OnClick;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  // Arrow keys on a button move the check within the group.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ArrangeButtons();
  // The group is one tab stop, its checked button (the first while none is checked), like
  // Qt's own exclusive groups; the other buttons take the focus only by a click.
  void FixTabStop();

  QButtonGroup group_;
  std::vector<QRadioButton*> buttons_;
  int index_ = -1;
};

}  // namespace dendrokit
