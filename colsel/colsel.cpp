#include "colsel/colsel.h"

#include <QAbstractItemView>
#include <QFocusEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QMetaMethod>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QPen>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cstdint>
#include <limits>

#include "gfxbase/canvas.h"

namespace dendrokit {
namespace {

constexpr TColor kSilver = 0xC0C0C0;
constexpr TColor kGrey = 0x808080;
constexpr TColor kBlack = 0x000000;

// Item coordinates are sums of a rectangle edge and a bar width; keep them in int range
// whatever the inputs.
int Px(std::int64_t v) {
  constexpr std::int64_t lo = std::numeric_limits<int>::min() / 2;
  constexpr std::int64_t hi = std::numeric_limits<int>::max() / 2;
  return int(std::clamp(v, lo, hi));
}

// A dotted frame just inside rect that inverts the pixels under it, so it shows on any
// colour.
void DrawFocusRect(QPainter& painter, const QRect& rect) {
  if (rect.width() < 2 || rect.height() < 2) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect.adjusted(0, 0, -1, -1));
  painter.restore();
}

// Paints the drop-down list's items through the selector's own item drawing.
class TColSelDelegate : public QStyledItemDelegate {
 public:
  explicit TColSelDelegate(TColSel* selector)
      : QStyledItemDelegate(selector), selector_(selector) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    selector_->DrawItem(*painter, index.row(), option.rect);
    // The selection keeps the item's colours; only the focus rectangle marks it.
    if (option.state & QStyle::State_Selected) DrawFocusRect(*painter, option.rect);
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
    return {option.rect.width(), selector_->ItemHeight()};
  }

 private:
  TColSel* selector_;
};

}  // namespace

void DrawColSelItem(TCanvas& canvas, const TRect& rect, const std::string& name,
                    const TColSelItemLook& look) {
  const TColor savedBrush = canvas.Brush().Color();
  const TColor savedFont = canvas.Font().Color();
  const std::int64_t L = rect.Left, T = rect.Top, R = rect.Right, B = rect.Bottom;
  const std::int64_t bar = std::max(look.colorBarWidth, 0);

  if (bar > 0) {
    if (look.enabled) {
      canvas.Brush().SetColor(look.barColor);
    } else {
      canvas.Pen().SetColor(kSilver);
      canvas.Brush().SetColor(kSilver);
      canvas.Rectangle(Px(L - 1), Px(T - 1), Px(L + bar + 3), Px(B + 1));
      canvas.Pen().SetColor(kGrey);
    }
    canvas.Rectangle(Px(L + 3), Px(T + 2), Px(L + bar + 3), Px(B - 2));
  }

  canvas.Font().SetColor(look.enabled ? kBlack : kGrey);
  canvas.Brush().SetColor(look.enabled ? look.background : kSilver);

  // The name is clipped to the text rectangle: it is written on an off-screen bitmap of
  // the rectangle's visible part, filled with the brush, and copied in one step.
  const std::int64_t textLeft = L + bar + 3;
  const std::int64_t clipLeft = std::max<std::int64_t>(textLeft, 0);
  const std::int64_t clipTop = std::max<std::int64_t>(T, 0);
  const std::int64_t clipRight = std::min<std::int64_t>(R, canvas.Width());
  const std::int64_t clipBottom = std::min<std::int64_t>(B, canvas.Height());
  if (clipRight > clipLeft && clipBottom > clipTop) {
    const int h = canvas.TextHeight(name);
    TBitmap text(Px(clipRight - clipLeft), Px(clipBottom - clipTop), canvas.PixelRatio());
    TCanvas& tc = text.Canvas();
    tc.Brush().Assign(&canvas.Brush());
    tc.Font().Assign(&canvas.Font());
    tc.FillRect({0, 0, text.Width(), text.Height()});
    tc.TextOut(Px(textLeft + 3 - clipLeft), Px(T + (B - T - h) / 2 - clipTop), name);
    canvas.Draw(Px(clipLeft), Px(clipTop), text);
  }

  canvas.Brush().SetColor(savedBrush);
  canvas.Font().SetColor(savedFont);
}

TColSel::TColSel(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  // A list that drops below the box and shows DropDownCount items, whatever the style's
  // habit of placing the popup over the current item.
  setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
  setMaxVisibleItems(DefaultDropDownCount);
  setItemDelegate(new TColSelDelegate(this));
  connect(this, &QComboBox::activated, this, &TColSel::UserSelected);
  Rebuild();
  BindSignals();
}

void TColSel::BindSignals() {
  const auto bind = [this](auto& event, auto signal, auto raise) {
    event.BindSignal(std::move(raise), [this, signal] {
      return isSignalConnected(QMetaMethod::fromSignal(signal));
    });
  };
  bind(OnColorNameChange, &TColSel::colorNameChanging, [this](TObject*, std::string& name) {
    QString text = QString::fromStdString(name);
    emit colorNameChanging(text);
    name = text.toStdString();
  });
  bind(OnChange, &TColSel::colorChanged, [this](TObject*) { emit colorChanged(SelColorQ()); });
  bind(OnClick, &TColSel::clicked, [this](TObject*) { emit clicked(); });
  bind(OnDropDown, &TColSel::droppedDown, [this](TObject*) { emit droppedDown(); });
  bind(OnEnter, &TColSel::entered, [this](TObject*) { emit entered(); });
  bind(OnExit, &TColSel::exited, [this](TObject*) { emit exited(); });
}

TColSel::~TColSel() = default;

std::string TColSel::Name() const { return objectName().toStdString(); }

void TColSel::SetName(const std::string& value) { setObjectName(QString::fromStdString(value)); }

void TColSel::SetNumColors(int numColors) {
  if (!slots_.SetNumColors(numColors)) return;
  Rebuild();
  Repaint();
}

void TColSel::SetSelColor(TColor color) {
  slots_.SetSelColor(color, ColorToRGB, [this](std::string& name) {
    if (OnColorNameChange) OnColorNameChange(this, name);
  });
  // The list shows the slot's name also for keyboard search and accessibility.
  const int slot = slots_.SelectedSlot();
  setItemText(slot - 1, QString::fromStdString(slots_.Name(slot)));
  setCurrentIndex(slot - 1);
  Repaint();
}

void TColSel::SetColorBarWidth(int width) {
  if (width < 0 || width == colorBarWidth_) return;
  colorBarWidth_ = width;
  updateGeometry();
  Repaint();
}

void TColSel::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Repaint();
}

void TColSel::FontOf(TFont& font) const {
  const QFont& f = this->font();
  font.SetName(f.family().toStdString());
  font.SetHeight(QFontInfo(f).pixelSize());
  TFontStyles style = 0;
  if (f.bold()) style |= fsBold;
  if (f.italic()) style |= fsItalic;
  if (f.underline()) style |= fsUnderline;
  if (f.strikeOut()) style |= fsStrikeOut;
  font.SetStyle(style);
}

int TColSel::ItemHeight() const {
  TFont font;
  FontOf(font);
  return QFontMetrics(font.QtFont()).height() + 4;
}

TColSelItemLook TColSel::LookOf(int slot) const {
  return {slots_.Color(slot), color_, colorBarWidth_, isEnabled()};
}

void TColSel::DrawItem(QPainter& painter, int index, const QRect& rect) const {
  if (rect.width() <= 0 || rect.height() <= 0) return;
  // At the painter's pixel ratio, so the name is as sharp as the combobox's own text.
  const QPaintDevice* device = painter.device();
  TBitmap item(rect.width(), rect.height(),
               IntegerPixelRatio(device != nullptr ? device->devicePixelRatioF() : 1.0));
  TCanvas& canvas = item.Canvas();
  FontOf(canvas.Font());
  canvas.Font().SetColor(kBlack);
  canvas.Pen().SetColor(kBlack);
  canvas.Brush().SetColor(color_);
  canvas.FillRect({0, 0, rect.width(), rect.height()});
  if (index >= 0 && index < slots_.NumColors()) {
    const int slot = index + 1;
    DrawColSelItem(canvas, {0, 0, rect.width(), rect.height()}, slots_.Name(slot), LookOf(slot));
  }
  painter.drawImage(rect.topLeft(), item.Image());
}

QSize TColSel::sizeHint() const {
  QSize size = QComboBox::sizeHint();
  size.rwidth() += colorBarWidth_ + 6;
  size.setHeight(std::max(size.height(), ItemHeight() + 6));
  return size;
}

QSize TColSel::minimumSizeHint() const {
  QSize size = QComboBox::minimumSizeHint();
  size.rwidth() += colorBarWidth_ + 6;
  return size;
}

void TColSel::showPopup() {
  if (OnDropDown) OnDropDown(this);
  QComboBox::showPopup();
}

void TColSel::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionComboBox option;
  initStyleOption(&option);
  option.currentText.clear();
  option.currentIcon = QIcon();
  painter.drawComplexControl(QStyle::CC_ComboBox, option);
  const QRect field =
      style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
  DrawItem(painter, currentIndex(), field);
  if (hasFocus() && !view()->isVisible()) DrawFocusRect(painter, field);
}

void TColSel::focusInEvent(QFocusEvent* event) {
  QComboBox::focusInEvent(event);
  if (event->reason() != Qt::PopupFocusReason && OnEnter) OnEnter(this);
}

void TColSel::focusOutEvent(QFocusEvent* event) {
  QComboBox::focusOutEvent(event);
  if (event->reason() != Qt::PopupFocusReason && OnExit) OnExit(this);
}

void TColSel::Rebuild() {
  clear();
  for (int slot = 1; slot <= slots_.NumColors(); ++slot)
    addItem(QString::fromStdString(slots_.Name(slot)));
  setCurrentIndex(slots_.SelectedSlot() - 1);
}

// Runs an application's handler for a path Qt called; an exception is reported and stops.
void TColSel::Guarded(const char* what, const std::function<void()>& work) {
  try {
    work();
  } catch (const std::exception& e) {
    qWarning("TColSel %s: %s: %s", Name().c_str(), what, e.what());
  } catch (...) {
    qWarning("TColSel %s: %s: unknown exception", Name().c_str(), what);
  }
}

// A slot of the combobox's signal, so outside event(): each event stands alone, and a
// selection made is reported by OnChange even when OnClick failed.
void TColSel::UserSelected(int index) {
  if (index >= 0) slots_.SelectSlot(index + 1);
  Guarded("OnClick", [this] {
    if (OnClick) OnClick(this);
  });
  Guarded("OnChange", [this] {
    if (OnChange) OnChange(this);
  });
}

// Every event handler runs below QComboBox::event: no exception reaches Qt's event loop.
bool TColSel::event(QEvent* event) {
  bool result = true;
  Guarded("event", [&] { result = QComboBox::event(event); });
  return result;
}

void TColSel::changeEvent(QEvent* event) {
  QComboBox::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) Repaint();
}

void TColSel::Repaint() {
  if (isVisible()) repaint();
  view()->viewport()->update();
}

}  // namespace dendrokit
