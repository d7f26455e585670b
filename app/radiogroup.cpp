#include "app/radiogroup.h"

#include <QEvent>
#include <QKeyEvent>
#include <algorithm>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QRadioButton>

namespace dendrokit {

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent) {
  group_.setExclusive(true);
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], this);
    group_.addButton(button, i);
    buttons_.push_back(button);
    button->installEventFilter(this);
  }
  connect(&group_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
    if (checked) FixTabStop();
  });
  // idToggled fires for programmatic checks too; only a user's click that changes the
  // checked item is a choice.
  connect(&group_, &QButtonGroup::idClicked, this, [this](int id) {
    if (id == index_) return;
    index_ = id;
    if (OnClick) OnClick(nullptr);
  });
  ArrangeButtons();
  FixTabStop();
}

int TRadioGroup::ItemIndex() const { return group_.checkedId(); }

void TRadioGroup::SetItemIndex(int index) {
  if (index >= 0 && index < Count()) {
    buttons_[static_cast<std::size_t>(index)]->setChecked(true);
    index_ = index;
    return;
  }
  index_ = -1;
  // An exclusive group refuses to uncheck its last checked button.
  group_.setExclusive(false);
  for (auto* button : buttons_) button->setChecked(false);
  group_.setExclusive(true);
  FixTabStop();
}

void TRadioGroup::FixTabStop() {
  const int stop = std::max(0, ItemIndex());
  for (int i = 0; i < Count(); ++i)
    Button(i)->setFocusPolicy(i == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

// Up and Left check the previous item, Down and Right the next, as a user's click does (so
// OnClick follows); at either end the check stays.
bool TRadioGroup::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QGroupBox::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  int step = 0;
  switch (key->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left: step = -1; break;
    case Qt::Key_Down:
    case Qt::Key_Right: step = 1; break;
    default: return QGroupBox::eventFilter(watched, event);
  }
  if (key->modifiers() & ~Qt::KeypadModifier) return QGroupBox::eventFilter(watched, event);
  const auto at = std::find(buttons_.begin(), buttons_.end(), watched);
  if (at == buttons_.end()) return QGroupBox::eventFilter(watched, event);
  const int target = static_cast<int>(at - buttons_.begin()) + step;
  if (target >= 0 && target < Count()) {
    QRadioButton* button = Button(target);
    button->setFocus(step < 0 ? Qt::BacktabFocusReason : Qt::TabFocusReason);
    button->click();
  }
  return true;
}

void TRadioGroup::resizeEvent(QResizeEvent* event) {
  QGroupBox::resizeEvent(event);
  ArrangeButtons();
}

void TRadioGroup::changeEvent(QEvent* event) {
  QGroupBox::changeEvent(event);
  if (event->type() == QEvent::FontChange) ArrangeButtons();
}

// The items share the style's content area of the frame equally, any remainder split above
// and below so that the column stays centred.
void TRadioGroup::ArrangeButtons() {
  if (buttons_.empty()) return;
  QStyleOptionGroupBox option;
  initStyleOption(&option);
  const QRect inner =
      style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxContents, this);
  const int n = Count();
  const int room = std::max(0, inner.height() - 2);
  const int itemHeight = room / n;
  const int top = inner.top() + 1 + (room % n) / 2;
  const int left = inner.left() + 6;
  for (int i = 0; i < n; ++i)
    buttons_[static_cast<std::size_t>(i)]->setGeometry(
        left, top + i * itemHeight, std::max(0, inner.right() - left - 1), itemHeight);
}

}  // namespace dendrokit
