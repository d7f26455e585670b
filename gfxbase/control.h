// Base of the library's controls. A control keeps the image it shows: Paint() runs
// synchronously when asked (Repaint), typically draws into an off-screen TBitmap and copies
// it to Canvas() at (0, 0) in one step; paintEvent only shows that image. Canvas() draws
// straight on the shown image (XOR rubber bands), so every pixel on screen can be read back
// through ShownImage(). The shown image is allocated on first use (Canvas, ShownImage, a
// paint event), so a control that only renders into another control's canvas (an embedded
// scale) never holds one.
#pragma once

#include <functional>
#include <string>

#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include "gfxbase/canvas.h"
#include "gfxbase/cursors.h"

namespace dendrokit {

using TMouseEvent =
    std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;

class TCustomControl : public QWidget, public TPersistent {
  Q_OBJECT

 public:
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

  // True unless hidden through SetVisible(false).
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
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
  // The control's font; a change repaints.
  TFont& Font() { return font_; }
  const TFont& Font() const { return font_; }

  // Canvas of the shown image ("the screen").
  TCanvas& Canvas();
  // The image the control shows, always Width() x Height().
  const QImage& ShownImage();
  // Whether the shown image has been allocated (Canvas, ShownImage or a paint event asked
  // for it). Lets hosts check that renderer-only controls cost no image memory.
  bool HasShownImage() const { return !shown_.isNull(); }

  // Runs Paint() synchronously and shows the result. A repaint requested while painting is
  // ignored.
  void Repaint();
  // Same as Repaint: repainting is synchronous throughout the library.
  void Invalidate() { Repaint(); }

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

  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnResize;
  // Raised by the default Paint after filling the background.
  TNotifyEvent OnPaint;

 protected:
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

 private:
  // Matches an allocated (or requested) shown image to the widget size.
  void SyncImageSize();
  void SizeChanged();

  QImage shown_;
  QSize size_;  // the size Resize() last reported; the image follows it lazily
  std::unique_ptr<TCanvas> canvas_;
  TFont font_;
  TColor color_ = clBtnFace;
  TCursor cursor_ = crDefault;
  QPointer<QMenu> popupMenu_;
  bool visible_ = true;
  bool loading_ = false;
  bool handleAllocated_ = false;
  bool painting_ = false;
  bool everPainted_ = false;
};

}  // namespace dendrokit
