// Base of the library's controls. A control keeps the image it shows: Paint() runs
// synchronously when asked (Repaint), typically draws into an off-screen TBitmap and copies
// it to Canvas() at (0, 0) in one step; paintEvent only shows that image. Canvas() draws
// straight on the shown image (XOR rubber bands), so every pixel on screen can be read back
// through ShownImage(). The shown image is allocated on first use (Canvas, ShownImage, a
// paint event), so a control that only renders into another control's canvas (an embedded
// scale) never holds one.
#pragma once

#include "gfxbase/export.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include <QImage>
#include <QMenu>
#include <QMetaMethod>
#include <QPointer>
#include <QWidget>

#include "gfxbase/canvas.h"
#include "gfxbase/cursors.h"
#include "gfxbase/event.h"
#include "gfxbase/imageexport.h"
#include "gfxbase/qenums.h"
#include "gfxbase/qtbridge.h"

namespace dendrokit {

using TMouseEvent =
    std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;

class DENDROKIT_EXPORT TCustomControl : public QWidget, public TPersistent {
  Q_OBJECT
  Q_PROPERTY(QColor color READ ColorQ WRITE setColor)

 signals:
  // Each event below also raises a Qt signal: first the std::function handler, then the
  // signal (see TEvent), so handler and receivers see the same arguments.
  void mousePressed(dendrokit::TMouseButton button, int shift, int x, int y);
  void mouseMoved(int shift, int x, int y);
  void mouseReleased(dendrokit::TMouseButton button, int shift, int x, int y);
  void clicked();
  void doubleClicked();
  void mouseEntered();
  void mouseLeft();
  void resized();
  void painted();

 public:
  DENDROKIT_QCOLOR_ACCESSORS(Color)

  explicit TCustomControl(QWidget* parent = nullptr);
  ~TCustomControl() override;
  std::string_view ClassName() const override { return "TCustomControl"; }

  std::string Name() const;
  void SetName(const std::string& value);

  // Position within the parent and size, in pixels.
  int Left() const { return x(); }
  int Top() const { return y(); }
  int Width() const { return width(); }
  int Height() const { return height(); }
  void SetLeft(int value) { SetBounds(value, Top(), Width(), Height()); }
  void SetTop(int value) { SetBounds(Left(), value, Width(), Height()); }
  void SetWidth(int value) { SetBounds(Left(), Top(), value, Height()); }
  void SetHeight(int value) { SetBounds(Left(), Top(), Width(), value); }
  // The geometry setters above go through here, so controls override it to enforce a
  // minimum size (a resize made by Qt itself, e.g. by a layout, does not). Negative sizes
  // are taken as 0. A size change resizes the shown image, calls Resize() and repaints (not
  // while loading).
  virtual void SetBounds(int left, int top, int width, int height);

  // Qt keeps these states; the accessors below only read and write Qt's, so setVisible(false)
  // and SetVisible(false) (setEnabled / SetEnabled, ...) can never disagree. Visible is
  // true unless the control itself was hidden with setVisible(false) / hide() (a
  // hidden parent or a window not yet shown does not count).
  bool Visible() const { return !(testAttribute(Qt::WA_WState_ExplicitShowHide) && isHidden()); }
  void SetVisible(bool value) { setVisible(value); }
  // A change (either way) repaints, since controls may draw a disabled look.
  bool Enabled() const { return isEnabled(); }
  void SetEnabled(bool value) { setEnabled(value); }
  // Always false: there is no design environment.
  bool DesignTime() const { return false; }

  // Loading state: between BeginLoading and EndLoading stored settings are applied;
  // EndLoading clears the state and calls Loaded().
  bool Loading() const { return loading_; }
  void BeginLoading();
  void EndLoading();

  // Whether CreateWnd has run (the control has been shown, or HandleNeeded was called).
  bool HandleAllocated() const { return handleAllocated_; }
  // Runs CreateWnd now unless it has run.
  void HandleNeeded();

  // Background colour used by the default Paint (button face by default).
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  // The control's font; a change repaints. It mirrors the widget's QFont both ways: a
  // change here is passed to setFont, a setFont by the application (or an inherited font)
  // is copied here, so font() and Font() always describe the same font.
  TFont& Font() { return font_; }
  const TFont& Font() const { return font_; }

  // Canvas of the shown image ("the screen").
  TCanvas& Canvas();
  // Physical pixels per logical pixel of the shown image: the screen's device-pixel ratio,
  // rounded to a whole number. Geometry, mouse positions and drawing coordinates stay
  // logical; the shown image is Width() * PixelRatio() x Height() * PixelRatio().
  int PixelRatio() const;
  // The image the control shows, Width() x Height() logical pixels.
  const QImage& ShownImage();
  // Whether the shown image has been allocated (Canvas, ShownImage or a paint event asked
  // for it). Lets hosts check that renderer-only controls cost no image memory.
  bool HasShownImage() const { return !shown_.isNull(); }

  // Pictures. RenderTo draws the control's picture, Width() x Height(), on canvas with its
  // top-left corner at the canvas origin; the interaction state (rubber bands, traces, and
  // the crosshair unless options ask for it) is left out. The default fills with Color.
  // Application calls: failures raise EVELError.
  virtual void RenderTo(TCanvas& canvas, const TImageOptions& options);
  // Draws through painter at its current origin and transform (a QPrinter page, an SVG or
  // PDF writer, a widget); printer-like devices get the printer variants.
  void Render(QPainter& painter, const TImageOptions& options = {});
  // Writes the picture to path as PNG, SVG or PDF, chosen by the extension; an old file
  // stays as it was when anything fails.
  void SaveImage(const std::string& path, const TImageOptions& options = {});
  // Draws the control's picture at (x, y) of canvas: on a painter canvas in place, on an
  // image through a picture of the canvas's pixel ratio (for windows showing several).
  void RenderAt(TCanvas& canvas, int x, int y, const TImageOptions& options);

  // Runs Paint() synchronously and shows the result. A repaint requested while painting is
  // ignored.
  void Repaint();
  // Same as Repaint: repainting is synchronous throughout the library.
  void Invalidate() { Repaint(); }

  // Follows Qt's cursor: after setCursor/unsetCursor made through Qt it names the built-in
  // cursor of the same shape, or crDefault (no own cursor, or a picture cursor).
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor value);
  // Menu shown on a context-menu request (right button); not owned.
  QMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }

  // Mouse handlers, called with client coordinates. The defaults raise the matching event.
  // The shift state holds the buttons down: ssLeft in a move means the left button is held.
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void Click();
  virtual void DblClick();
  virtual void MouseEnter();
  virtual void MouseLeave();

  TEvent<TMouseEvent> OnMouseDown;
  TEvent<TMouseMoveEvent> OnMouseMove;
  TEvent<TMouseEvent> OnMouseUp;
  TEvent<TNotifyEvent> OnClick;
  TEvent<TNotifyEvent> OnDblClick;
  TEvent<TNotifyEvent> OnMouseEnter;
  TEvent<TNotifyEvent> OnMouseLeave;
  TEvent<TNotifyEvent> OnResize;
  // Raised by the default Paint after filling the background.
  TEvent<TNotifyEvent> OnPaint;

 protected:
  // Makes event raise signal after its handler; emit turns the event's arguments into the
  // signal's. The signal is only raised (and its arguments only converted) while connected.
  // Charts test their item events once per item, so the test must be cheap while nobody
  // ever connected: a flag set by connectNotify guards Qt's (costly) connection lookup.
  template <typename Handler, typename Signal, typename Raise>
  void BindEvent(TEvent<Handler>& event, Signal signal, Raise raise) {
    const QMetaMethod method = QMetaMethod::fromSignal(signal);
    const int index = method.methodIndex();
    event.BindSignal(Handler(std::move(raise)), [this, method, index] {
      return MaybeConnected(index) && isSignalConnected(method);
    });
  }
  void connectNotify(const QMetaMethod& signal) override;

  // Draws the whole control. The default fills the background with Color and raises OnPaint.
  virtual void Paint();
  // Called by EndLoading.
  virtual void Loaded() {}
  // Called once, when the control is first shown (or HandleNeeded is called).
  virtual void CreateWnd() {}
  // Called after a size change, before the repaint; the default raises OnResize.
  virtual void Resize();
  // Called after the font changed; the default repaints unless loading.
  virtual void FontChanged();

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  // Enabled, font, palette and style changes made through Qt repaint the control.
  void changeEvent(QEvent* event) override;
  bool event(QEvent* event) override;

  // Repaints unless loading or never shown; for paths Qt calls, never throws (reports
  // through qWarning).
  void RepaintFromQt();
  // Runs work for a path Qt called: an exception (an application's handler throwing) is
  // reported through qWarning and stops there.
  void GuardedFromQt(const char* what, const std::function<void()>& work);

 private:
  void PushFontToQt();
  void TakeFontFromQt();
  bool DispatchEvent(QEvent* event);
  // Whether the signal of this method index was ever connected (indices beyond the flags
  // always count as connected). Flags are never cleared: they only spare the lookup.
  bool MaybeConnected(int index) const {
    if (index < 0 || index >= kSignalFlagBits) return true;
    return (everConnected_[static_cast<std::size_t>(index) / 64].load(std::memory_order_relaxed) >>
            (index % 64)) & 1;
  }

  // Matches an allocated (or requested) shown image to the widget size.
  void SyncImageSize();
  void SizeChanged();

  static constexpr int kSignalFlagBits = 512;
  // Connections may be made from any thread.
  std::array<std::atomic<std::uint64_t>, kSignalFlagBits / 64> everConnected_{};
  QImage shown_;
  QSize size_;  // the size Resize() last reported; the image follows it lazily
  std::unique_ptr<TCanvas> canvas_;
  TFont font_;
  TColor color_ = clBtnFace;
  TCursor cursor_ = crDefault;
  QPointer<QMenu> popupMenu_;
  bool loading_ = false;
  bool handleAllocated_ = false;
  bool painting_ = false;
  bool everPainted_ = false;
  bool syncingFont_ = false;
  bool settingCursor_ = false;
};

}  // namespace dendrokit
