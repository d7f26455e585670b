// TColSel: a drop-down list for choosing one of up to 255 colours, each item a colour bar
// followed by the colour's name.
#pragma once

#include "gfxbase/export.h"

#include <QComboBox>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "colsel/colorslots.h"
#include "gfxbase/component.h"
#include "gfxbase/event.h"
#include "gfxbase/qtbridge.h"
#include "gfxbase/graphics_types.h"
#include "gfxbase/types.h"

class QPainter;
class QRect;

namespace dendrokit {

class TCanvas;
class TFont;

using TOnColorNameChangeEvent = std::function<void(TObject* sender, std::string& colorName)>;

// How one item looks. Colours may be symbolic; the canvas resolves them.
struct DENDROKIT_EXPORT TColSelItemLook {
  TColor barColor = 0;                     // the slot's colour
  TColor background = 0xFF000005;          // the selector's Color, behind an enabled name
  int colorBarWidth = 30;                  // 0: no bar; the name then starts 6 pixels in
  bool enabled = true;
};

// Paints one item into rect on the canvas in its font: the bar (cleared one pixel larger
// all round when disabled) and the name clipped to the part right of the bar. An enabled
// bar is outlined in the canvas's current pen. The rest of rect is left as it is. Brush
// and font colours are restored afterwards; the pen colour is not.
DENDROKIT_EXPORT void DrawColSelItem(TCanvas& canvas, const TRect& rect, const std::string& name,
                    const TColSelItemLook& look);

class DENDROKIT_EXPORT TColSel : public QComboBox, public TPersistent {
  Q_OBJECT
  // Qt properties: the published properties through their own getters and setters.
  Q_PROPERTY(int numColors READ NumColors WRITE SetNumColors)
  Q_PROPERTY(QColor selColor READ SelColorQ WRITE SetSelColorQ NOTIFY colorChanged)
  Q_PROPERTY(int colorBarWidth READ ColorBarWidth WRITE SetColorBarWidth)
  Q_PROPERTY(QColor color READ ColorQ WRITE SetColorQ)
  Q_PROPERTY(int dropDownCount READ DropDownCount WRITE SetDropDownCount)

 public:
  DENDROKIT_QCOLOR_ACCESSORS(SelColor)
  DENDROKIT_QCOLOR_ACCESSORS(Color)

 signals:
  // Raised after the matching std::function event's handler, with the same arguments
  // (the colour name as a reference, so a direct connection may change it too).
  void colorNameChanging(QString& colorName);
  void colorChanged(const QColor& color);
  void clicked();
  void droppedDown();
  void entered();
  void exited();

 public:
  static constexpr TColor DefaultColor = 0xFF000005;  // the window colour
  static constexpr int DefaultColorBarWidth = 30;
  static constexpr int DefaultDropDownCount = 8;

  explicit TColSel(QWidget* parent = nullptr);
  ~TColSel() override;
  std::string_view ClassName() const override { return "TColSel"; }

  std::string Name() const;
  void SetName(const std::string& value);

  // Number of listed slots, 1..255. Any valid write (also of the current value) rebuilds
  // the list and selects slot 1; other values are ignored.
  int NumColors() const { return slots_.NumColors(); }
  void SetNumColors(int numColors);

  // Colour of the selected slot as stored. A write selects the first listed slot of equal
  // RGB, or else puts the colour into the selected slot (see TColorSlots::SetSelColor).
  // Raises OnColorNameChange for a replaced slot, never OnChange.
  TColor SelColor() const { return slots_.SelColor(); }
  void SetSelColor(TColor color);

  // Width of the colour bar in pixels; negative values are ignored.
  int ColorBarWidth() const { return colorBarWidth_; }
  void SetColorBarWidth(int width);

  // The widget's enabled state (Qt's): setEnabled and SetEnabled are the same, and either
  // repaints with the matching look.
  bool Enabled() const { return isEnabled(); }
  void SetEnabled(bool enabled) { setEnabled(enabled); }

  // Background of the text part; symbolic colours allowed.
  TColor Color() const { return color_; }
  void SetColor(TColor color);

  // Number of items the opened list shows without scrolling.
  int DropDownCount() const { return maxVisibleItems(); }
  void SetDropDownCount(int count) { setMaxVisibleItems(count); }

  // The slot table, 1-based; the selected slot is SelectedSlot().
  const TColorSlots& Slots() const { return slots_; }
  int SelectedSlot() const { return slots_.SelectedSlot(); }

  // Height of every item: the font's text height plus room above and below the bar.
  int ItemHeight() const;

  // Paints item `index` (0-based; it shows slot index + 1) into rect as the list and the
  // closed box show it: on an off-screen bitmap prepared like an owner-drawn item (filled
  // with Color, black pen, the selector's font), copied to the painter in one step.
  void DrawItem(QPainter& painter, int index, const QRect& rect) const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
  void showPopup() override;

  TEvent<TOnColorNameChangeEvent> OnColorNameChange;
  // OnClick then OnChange after a choice by the user, SelColor already updated.
  TEvent<TNotifyEvent> OnChange;
  TEvent<TNotifyEvent> OnClick;
  TEvent<TNotifyEvent> OnDropDown;
  TEvent<TNotifyEvent> OnEnter;
  TEvent<TNotifyEvent> OnExit;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void BindSignals();
  void Rebuild();
  void UserSelected(int index);
  void Guarded(const char* what, const std::function<void()>& work);
  void Repaint();
  TColSelItemLook LookOf(int slot) const;
  void FontOf(TFont& font) const;

  TColorSlots slots_;
  int colorBarWidth_ = DefaultColorBarWidth;
  TColor color_ = DefaultColor;
};

}  // namespace dendrokit
