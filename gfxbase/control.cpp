#include "gfxbase/control.h"
#include "gfxbase/errors.h"

#include <algorithm>
#include <optional>

#include <QContextMenuEvent>
#include <QFontInfo>
#include <QEnterEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

namespace dendrokit {

namespace {

std::optional<TMouseButton> ButtonOf(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return mbLeft;
    case Qt::RightButton: return mbRight;
    case Qt::MiddleButton: return mbMiddle;
    default: return std::nullopt;
  }
}

TShiftState ShiftOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
  TShiftState shift = 0;
  if (modifiers & Qt::ShiftModifier) shift |= ssShift;
  if (modifiers & Qt::AltModifier) shift |= ssAlt;
  if (modifiers & Qt::ControlModifier) shift |= ssCtrl;
  if (buttons & Qt::LeftButton) shift |= ssLeft;
  if (buttons & Qt::RightButton) shift |= ssRight;
  if (buttons & Qt::MiddleButton) shift |= ssMiddle;
  return shift;
}

}  // namespace

TCustomControl::TCustomControl(QWidget* parent)
    : QWidget(parent), canvas_(std::make_unique<TCanvas>(&shown_)) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Repaint shows the picture once it is complete; drawing outside it shows at once.
  canvas_->OnChange = [this](TObject*) {
    if (!painting_) update();
  };
  font_.OnChange = [this](TObject*) {
    if (syncingFont_) return;
    PushFontToQt();
    FontChanged();
  };
  PushFontToQt();
  size_ = size();
  using C = TCustomControl;
  BindEvent(OnMouseDown, &C::mousePressed,
            [this](TObject*, TMouseButton b, TShiftState s, int x, int y) {
              emit mousePressed(b, s, x, y);
            });
  BindEvent(OnMouseMove, &C::mouseMoved,
            [this](TObject*, TShiftState s, int x, int y) { emit mouseMoved(s, x, y); });
  BindEvent(OnMouseUp, &C::mouseReleased,
            [this](TObject*, TMouseButton b, TShiftState s, int x, int y) {
              emit mouseReleased(b, s, x, y);
            });
  BindEvent(OnClick, &C::clicked, [this](TObject*) { emit clicked(); });
  BindEvent(OnDblClick, &C::doubleClicked, [this](TObject*) { emit doubleClicked(); });
  BindEvent(OnMouseEnter, &C::mouseEntered, [this](TObject*) { emit mouseEntered(); });
  BindEvent(OnMouseLeave, &C::mouseLeft, [this](TObject*) { emit mouseLeft(); });
  BindEvent(OnResize, &C::resized, [this](TObject*) { emit resized(); });
  BindEvent(OnPaint, &C::painted, [this](TObject*) { emit painted(); });
}

TCustomControl::~TCustomControl() {
  canvas_->Release();
  font_.OnChange = nullptr;
}

std::string TCustomControl::Name() const { return objectName().toStdString(); }

void TCustomControl::SetName(const std::string& value) {
  setObjectName(QString::fromStdString(value));
}

void TCustomControl::SetBounds(int left, int top, int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (left == x() && top == y() && width == this->width() && height == this->height()) return;
  setGeometry(left, top, width, height);
  SizeChanged();
}

void TCustomControl::SizeChanged() {
  if (size() == size_) return;
  size_ = size();
  Resize();
  if (!loading_) Repaint();
}

int TCustomControl::PixelRatio() const { return IntegerPixelRatio(devicePixelRatioF()); }

void TCustomControl::SyncImageSize() {
  const int w = width(), h = height(), r = PixelRatio();
  if (shown_.width() == w * r && shown_.height() == h * r &&
      (shown_.isNull() || IntegerPixelRatio(shown_.devicePixelRatio()) == r))
    return;
  if (shown_.isNull() && (w <= 0 || h <= 0)) return;
  canvas_->Release();
  QImage next;
  if (w > 0 && h > 0) {
    next = QImage(w * r, h * r, QImage::Format_RGB32);
    next.setDevicePixelRatio(r);
    next.fill(ColorToQColor(color_));
    if (!shown_.isNull()) {
      QPainter p(&next);
      p.setCompositionMode(QPainter::CompositionMode_Source);
      p.drawImage(0, 0, shown_);
    }
  }
  shown_ = std::move(next);
  canvas_->SetImage(&shown_);
}

void TCustomControl::BeginLoading() { loading_ = true; }

void TCustomControl::EndLoading() {
  if (!loading_) return;
  loading_ = false;
  Loaded();
}

void TCustomControl::HandleNeeded() {
  if (handleAllocated_) return;
  handleAllocated_ = true;
  CreateWnd();
}

void TCustomControl::SetColor(TColor value) {
  if (value == color_) return;
  color_ = value;
  if (!loading_) Repaint();
}

TCanvas& TCustomControl::Canvas() {
  SyncImageSize();
  return *canvas_;
}

const QImage& TCustomControl::ShownImage() {
  SyncImageSize();
  return shown_;
}

void TCustomControl::Repaint() {
  if (painting_) return;
  painting_ = true;
  try {
    Paint();
  } catch (...) {
    painting_ = false;
    throw;
  }
  painting_ = false;
  everPainted_ = true;
  update();
}

void TCustomControl::SetCursor(TCursor value) {
  if (value == cursor_) return;
  cursor_ = value;
  settingCursor_ = true;
  if (value == crDefault)
    unsetCursor();
  else
    setCursor(CursorFromId(value));
  settingCursor_ = false;
}

void TCustomControl::PushFontToQt() {
  syncingFont_ = true;
  setFont(font_.QtFont());
  syncingFont_ = false;
}

// Copies the widget's font into Font() as one change (one repaint).
void TCustomControl::TakeFontFromQt() {
  const QFont& f = font();
  TFontStyles style = 0;
  if (f.bold()) style |= fsBold;
  if (f.italic()) style |= fsItalic;
  if (f.underline()) style |= fsUnderline;
  if (f.strikeOut()) style |= fsStrikeOut;
  const std::uint64_t before = font_.ShapeGeneration();
  syncingFont_ = true;
  font_.SetName(f.family().toStdString());
  font_.SetHeight(QFontInfo(f).pixelSize());
  font_.SetStyle(style);
  syncingFont_ = false;
  if (font_.ShapeGeneration() != before) FontChanged();
}

void TCustomControl::RepaintFromQt() {
  if (loading_ || !everPainted_) return;
  try {
    Repaint();
  } catch (const std::exception& e) {
    qWarning("%s %s: %s", std::string(ClassName()).c_str(), Name().c_str(), e.what());
  }
}

void TCustomControl::connectNotify(const QMetaMethod& signal) {
  QWidget::connectNotify(signal);
  const int index = signal.methodIndex();
  if (index >= 0 && index < kSignalFlagBits) {
    everConnected_[static_cast<std::size_t>(index) / 64].fetch_or(std::uint64_t{1} << (index % 64),
                                                                  std::memory_order_relaxed);
  } else if (index < 0) {
    for (auto& bits : everConnected_) bits.store(~std::uint64_t{0}, std::memory_order_relaxed);
  }
}

void TCustomControl::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  try {
    switch (event->type()) {
      case QEvent::FontChange:
        if (!syncingFont_) TakeFontFromQt();
        break;
      case QEvent::EnabledChange:
      case QEvent::PaletteChange:
      case QEvent::StyleChange:
        RepaintFromQt();
        break;
      default: break;
    }
  } catch (const std::exception& e) {
    qWarning("%s %s: %s", std::string(ClassName()).c_str(), Name().c_str(), e.what());
  }
}

// Every event handler of every control runs below QWidget::event, so this is the one place
// where an exception from an application's handler (OnClick, OnMouseEnter, OnZoomPan, ...)
// is stopped before it reaches Qt's event loop.
bool TCustomControl::event(QEvent* event) {
  bool result = true;
  GuardedFromQt("event", [&] { result = DispatchEvent(event); });
  return result;
}

void TCustomControl::GuardedFromQt(const char* what, const std::function<void()>& work) {
  try {
    work();
  } catch (const std::exception& e) {
    qWarning("%s %s: %s: %s", std::string(ClassName()).c_str(), Name().c_str(), what, e.what());
  } catch (...) {
    qWarning("%s %s: %s: unknown exception", std::string(ClassName()).c_str(), Name().c_str(),
             what);
  }
}

bool TCustomControl::DispatchEvent(QEvent* event) {
  if (event->type() == QEvent::CursorChange && !settingCursor_) {
    cursor_ = crDefault;
    const Qt::CursorShape shape = cursor().shape();
    if (testAttribute(Qt::WA_SetCursor) && shape != Qt::BitmapCursor)
      for (TCursor id = crNone; id >= crSizeAll; --id)
        if (CursorFromId(id).shape() == shape) {
          cursor_ = id;
          break;
        }
  }
  return QWidget::event(event);
}

void TCustomControl::Paint() {
  TCanvas& c = Canvas();
  c.Brush().SetColor(color_);
  c.Brush().SetStyle(bsSolid);
  c.FillRect({0, 0, Width(), Height()});
  if (OnPaint) OnPaint(this);
}

void TCustomControl::RenderTo(TCanvas& canvas, const TImageOptions&) {
  canvas.Brush().SetColor(color_);
  canvas.Brush().SetStyle(bsSolid);
  canvas.FillRect({0, 0, Width(), Height()});
}

void TCustomControl::Render(QPainter& painter, const TImageOptions& options) {
  if (!painter.isActive()) throw EVELError("Render: the painter is not active");
  const int dpi = options.Resolution > 0 ? options.Resolution : PainterResolution(painter);
  TCanvas canvas(&painter, PainterIsPrinter(painter), Width(), Height(), dpi);
  RenderTo(canvas, options);
}

void TCustomControl::SaveImage(const std::string& path, const TImageOptions& options) {
  SaveRenderedImage(path, Width(), Height(), options,
                    [&](TCanvas& canvas) { RenderTo(canvas, options); });
}

void TCustomControl::RenderAt(TCanvas& canvas, int x, int y, const TImageOptions& options) {
  if (canvas.OnPainter()) {
    canvas.BeginViewport({x, y, x + Width(), y + Height()});
    try {
      RenderTo(canvas, options);
    } catch (...) {
      canvas.EndViewport();
      throw;
    }
    canvas.EndViewport();
    return;
  }
  TBitmap picture(Width(), Height(), canvas.PixelRatio());
  if (picture.Empty()) return;
  RenderTo(picture.Canvas(), options);
  canvas.Draw(x, y, picture);
}

void TCustomControl::Resize() {
  if (OnResize) OnResize(this);
}

void TCustomControl::FontChanged() {
  updateGeometry();  // size hints follow the text size
  if (!loading_) Repaint();
}

void TCustomControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TCustomControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TCustomControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TCustomControl::Click() {
  if (OnClick) OnClick(this);
}

void TCustomControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TCustomControl::MouseEnter() {
  if (OnMouseEnter) OnMouseEnter(this);
}

void TCustomControl::MouseLeave() {
  if (OnMouseLeave) OnMouseLeave(this);
}

void TCustomControl::paintEvent(QPaintEvent* event) {
  // A move to a screen of another pixel ratio: a new picture at the new resolution.
  const bool ratioChanged =
      !shown_.isNull() && IntegerPixelRatio(shown_.devicePixelRatio()) != PixelRatio();
  SyncImageSize();
  if (ratioChanged) RepaintFromQt();
  QPainter p(this);
  const QRect r = event->rect();
  if (shown_.devicePixelRatio() == devicePixelRatioF()) {
    const qreal k = shown_.devicePixelRatio();
    p.drawImage(QRectF(r), shown_, QRectF(r.x() * k, r.y() * k, r.width() * k, r.height() * k));
  } else {
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setClipRect(r);
    p.drawImage(QPoint(0, 0), shown_);
  }
}

// A layout (or any resize made by Qt) goes through SetBounds too, so a control's minimum
// size holds however it is resized.
void TCustomControl::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  try {
    // geometry(), not x()/y(): for a window those are the frame's, not the client area's.
    SetBounds(geometry().x(), geometry().y(), width(), height());
    SizeChanged();
  } catch (const std::exception& e) {
    qWarning("%s %s: %s", std::string(ClassName()).c_str(), Name().c_str(), e.what());
  }
}

void TCustomControl::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  try {
    HandleNeeded();
    if (!everPainted_ && !loading_) Repaint();
  } catch (const std::exception& e) {
    qWarning("%s %s: %s", std::string(ClassName()).c_str(), Name().c_str(), e.what());
  }
}

// Each raise below stands alone: an exception from one handler is reported and does not
// skip the next (a double click's press still arrives, a release still clicks).
void TCustomControl::mousePressEvent(QMouseEvent* event) {
  const auto button = ButtonOf(event->button());
  if (!button) return QWidget::mousePressEvent(event);
  GuardedFromQt("mouse down", [&] {
    MouseDown(*button, ShiftOf(event->modifiers(), event->buttons()),
              RoundPixel(event->position().x()), RoundPixel(event->position().y()));
  });
}

void TCustomControl::mouseMoveEvent(QMouseEvent* event) {
  GuardedFromQt("mouse move", [&] {
    MouseMove(ShiftOf(event->modifiers(), event->buttons()), RoundPixel(event->position().x()),
              RoundPixel(event->position().y()));
  });
}

void TCustomControl::mouseReleaseEvent(QMouseEvent* event) {
  const auto button = ButtonOf(event->button());
  if (!button) return QWidget::mouseReleaseEvent(event);
  const int x = RoundPixel(event->position().x());
  const int y = RoundPixel(event->position().y());
  GuardedFromQt("mouse up",
                [&] { MouseUp(*button, ShiftOf(event->modifiers(), event->buttons()), x, y); });
  if (*button == mbLeft && rect().contains(x, y)) GuardedFromQt("click", [&] { Click(); });
}

void TCustomControl::mouseDoubleClickEvent(QMouseEvent* event) {
  const auto button = ButtonOf(event->button());
  if (!button) return QWidget::mouseDoubleClickEvent(event);
  // The second press of a double click: first the double click, then the press itself.
  GuardedFromQt("double click", [&] { DblClick(); });
  GuardedFromQt("mouse down", [&] {
    MouseDown(*button, ShiftOf(event->modifiers(), event->buttons()) | ssDouble,
              RoundPixel(event->position().x()), RoundPixel(event->position().y()));
  });
}

void TCustomControl::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  GuardedFromQt("mouse enter", [&] { MouseEnter(); });
}

void TCustomControl::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  GuardedFromQt("mouse leave", [&] { MouseLeave(); });
}

void TCustomControl::contextMenuEvent(QContextMenuEvent* event) {
  if (popupMenu_ == nullptr) return QWidget::contextMenuEvent(event);
  popupMenu_->popup(event->globalPos());
  event->accept();
}

}  // namespace dendrokit
