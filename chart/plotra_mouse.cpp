// Mouse interaction of the chart: pan, zoom, bands, crosshair and label dragging, mouse
// trace, scale dragging and the position report. The arithmetic of each gesture lives in
// chart/plotra_geometry.h; this file keeps the drag state and applies the results.
#include <QDebug>
#include <QKeyEvent>

#include <array>
#include <exception>
#include <optional>

#include "chart/plotra.h"
#include "chart/plotra_geometry.h"
#include "scale/scale_mapping.h"

namespace dendrokit {

namespace {

// Cursor identifiers the chart registers for its resource cursors.
constexpr TCursor kCurHand = 1, kCurZoomWind = 2, kCurZoomDrag = 3, kCurZoomWindPos = 4;

void RegisterChartCursors() {
  static const bool done = [] {
    const std::pair<TCursor, const char*> cursors[] = {
        {kCurHand, "CURHAND"}, {kCurZoomWind, "CURZOOMW"}, {kCurZoomDrag, "CURZOOMD"},
        {kCurZoomWindPos, "CURZOOMP"}};
    for (const auto& [id, name] : cursors)
      if (const auto c = LoadResourceCursor(name)) RegisterCursor(id, *c);
    return true;
  }();
  (void)done;
}

bool IsPan(TMouseActMode m) {
  return m == maPan || m == maPanHoriz || m == maPanVert || m == maPanGrid;
}
bool IsBand(TMouseActMode m) {
  return m == maRubberBand || m == maZoomWind || m == maZoomWindPos || m == maSelectRect;
}

ScaleEdge EdgeOf(TScaleType t) {
  switch (t) {
    case sctXB: return ScaleEdge::Top;
    case sctXT: return ScaleEdge::Bottom;
    case sctYR: return ScaleEdge::Left;
    default: return ScaleEdge::Right;
  }
}

}  // namespace

struct TCustomPlotra::MouseState {
  bool dragging = false;  // a drag with the left button is in progress
  int startX = 0, startY = 0;
  std::array<Range, kLayers> startX_{}, startY_{};
  bool band = false;
  TPoint anchor, last;
  bool crossPicked = false, crossDrag = false;
  int crossHair = 1;
  bool labelPicked = false;
  int label = 1;
  bool swallowDown = false;
  bool inMoveEvent = false;
  TPoint pointer;  // last position seen, for the double click

  static void XorBand(TCustomPlotra& P, TPoint a, TPoint b, bool rectangle);
  static bool SwitchScaleAt(TCustomPlotra& P, const PlotraFrame& f, int x, int y);
  static TPoint LabelPixel(const TCustomPlotra& P, const TTextLabel& lb);
};

void TCustomPlotra::MouseStateDeleter::operator()(MouseState* p) const { delete p; }

TCustomPlotra::MouseState& TCustomPlotra::Mouse() {
  if (!mouseState_) {
    RegisterChartCursors();
    mouseState_.reset(new MouseState());
  }
  return *mouseState_;
}

namespace {

// Painting suspended for the lifetime of the guard; restoring the state it found repaints
// once when that state was "not suspended".
class Suspend {
 public:
  Suspend(bool suspended, std::function<void(bool)> set) : was_(suspended), set_(std::move(set)) {
    set_(true);
  }
  // Resuming repaints; a failure there must not escape while unwinding.
  ~Suspend() {
    try {
      set_(was_);
    } catch (const std::exception& e) {
      qWarning("TPlotra: repaint: %s", e.what());
    } catch (...) {
      qWarning("TPlotra: repaint: unknown error");
    }
  }
  Suspend(const Suspend&) = delete;
  Suspend& operator=(const Suspend&) = delete;

 private:
  bool was_;
  std::function<void(bool)> set_;
};

}  // namespace

void TCustomPlotra::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  MouseState& m = Mouse();
  m.pointer = {x, y};
  if (m.swallowDown) {
    m.swallowDown = false;
    return;
  }
  TCustomControl::MouseDown(button, shift, x, y);
  const PlotraFrame f{Width(), Height(), MarginLeft(), MarginRight(), MarginTop(),
                      MarginBottom(), ShadowWidth()};
  if (IsBand(MouseAction()) && button == mbLeft && f.Contains(x, y) && !m.band) {
    m.band = true;
    m.anchor = m.last = {x, y};
  }
}

void TCustomPlotra::MouseMove(TShiftState shift, int x, int y) {
  MouseState& m = Mouse();
  if (m.inMoveEvent) return;  // a move arriving while OnMouseMoveInChart runs is dropped
  TCustomControl::MouseMove(shift, x, y);
  m.pointer = {x, y};
  const PlotraFrame f{Width(), Height(), MarginLeft(), MarginRight(), MarginTop(),
                      MarginBottom(), ShadowWidth()};
  const bool left = (shift & ssLeft) != 0;
  const bool inChart = f.Contains(x, y);
  const TMouseActMode action = MouseAction();
  auto setSuspended = [this](bool v) { SetPaintSuspended(v); };
  try {
    // 1. Scale dragging, and the start of every drag.
    bool firstMove = false;
    if (!left) {
      m.dragging = false;
      m.crossPicked = m.crossDrag = false;
      m.labelPicked = false;
    } else if (!m.dragging) {
      firstMove = true;
      m.dragging = true;
      m.startX = x;
      m.startY = y;
      for (int n = 1; n <= kLayers; ++n) {
        m.startX_[n - 1] = {ScalePropsX(n).RangeLow(), ScalePropsX(n).RangeHigh()};
        m.startY_[n - 1] = {ScalePropsY(n).RangeLow(), ScalePropsY(n).RangeHigh()};
      }
    } else if (!m.band) {
      bool changed = false;
      std::optional<Suspend> s;  // painting resumes once, after the last layer changed
      for (int n = 1; n <= kLayers; ++n) {
        const TScalePropsHoriz& px = ScalePropsX(n);
        if (px.MouseAction() != maNone && f.Left() < x && x < f.Right() &&
            InScaleDragBand(EdgeOf(px.ScaleType()), px.ScalePos(), f, x, y)) {
          TScale& sc = ScaleX(n);
          const Range st = m.startX_[n - 1];
          const TZoomPanResult r = CalcZoomPan(
              x, y, m.startX, m.startY, sc.Width(), sc.Height(), sc.MarginLeft(),
              sc.MarginRight(), sc.MarginTop(), sc.MarginBottom(), st.Low, st.High,
              px.MouseAction(), sc.ScaleType(), px.Logarithmic(), px.RangeLow(), px.RangeHigh());
          if (r.Changed) {
            if (!s) s.emplace(PaintSuspended(), setSuspended);
            ChangeRange(n, r.NewLow, r.NewHigh, ScalePropsY(n).RangeLow(),
                        ScalePropsY(n).RangeHigh());
            changed = true;
          }
        }
        const TScalePropsVert& py = ScalePropsY(n);
        if (py.MouseAction() != maNone && f.Top() < y && y < f.Bottom() &&
            InScaleDragBand(EdgeOf(py.ScaleType()), py.ScalePos(), f, x, y)) {
          TScale& sc = ScaleY(n);
          const Range st = m.startY_[n - 1];
          const TZoomPanResult r = CalcZoomPan(
              x, y, m.startX, m.startY, sc.Width(), sc.Height(), sc.MarginLeft(),
              sc.MarginRight(), sc.MarginTop(), sc.MarginBottom(), st.Low, st.High,
              py.MouseAction(), sc.ScaleType(), py.Logarithmic(), py.RangeLow(), py.RangeHigh());
          if (r.Changed) {
            if (!s) s.emplace(PaintSuspended(), setSuspended);
            ChangeRange(n, ScalePropsX(n).RangeLow(), ScalePropsX(n).RangeHigh(), r.NewLow,
                        r.NewHigh);
            changed = true;
          }
        }
      }
      s.reset();
      if (changed && OnZoomPan) OnZoomPan(this);
    }

    // 2. The chart's own action.
    const int w = f.Right() - f.Left(), h = f.Bottom() - f.Top();
    if (IsPan(action) && left && !firstMove && inChart) {
      const TScalePropsHoriz& px = ScalePropsX(1);
      const TScalePropsVert& py = ScalePropsY(1);
      Range rx = {px.RangeLow(), px.RangeHigh()}, ry = {py.RangeLow(), py.RangeHigh()};
      const bool grid = action == maPanGrid;
      // The pan grid snaps linear axes only; a logarithmic one pans by its factor.
      if (action != maPanVert) {
        rx = PanAxis(m.startX_[0], m.startX, x, w, px.Logarithmic(), false);
        if (grid && !px.Logarithmic()) rx = SnapToPanGrid(rx, PanGridDx(), PanGridOffsX());
      }
      if (action != maPanHoriz) {
        ry = PanAxis(m.startY_[0], m.startY, y, h, py.Logarithmic(), true);
        if (grid && !py.Logarithmic()) ry = SnapToPanGrid(ry, PanGridDy(), PanGridOffsY());
      }
      {
        Suspend s(PaintSuspended(), setSuspended);
        ChangeRange(1, rx.Low, rx.High, ry.Low, ry.High);
      }
      if (OnZoomPan) OnZoomPan(this);
    } else if (action == maRubberBand && m.band) {
      const TPoint p{std::clamp(x, f.Left(), f.Right()), std::clamp(y, f.Top(), f.Bottom())};
      MouseState::XorBand(*this, m.anchor, m.last, false);
      MouseState::XorBand(*this, m.anchor, p, false);
      m.last = p;
    } else if (IsBand(action) && m.band) {
      int px = std::clamp(x, f.Left(), f.Right());
      int py = y;
      if (Isometric() && (action == maZoomWind || action == maZoomWindPos))
        py = SquareBandY(m.anchor.X, m.anchor.Y, px, py);
      py = std::clamp(py, f.Top(), f.Bottom());
      MouseState::XorBand(*this, m.anchor, m.last, true);
      MouseState::XorBand(*this, m.anchor, {px, py}, true);
      m.last = {px, py};
    } else if (action == maZoomDrag && left && !firstMove && inChart) {
      const double fx = 1.0 - (double(x) - m.startX) / std::max(Width(), 1);
      const double fy = Isometric() ? fx : 1.0 + (double(y) - m.startY) / std::max(Height(), 1);
      const Range rx = ZoomAbout(m.startX_[0], fx), ry = ZoomAbout(m.startY_[0], fy);
      {
        Suspend s(PaintSuspended(), setSuspended);
        ChangeRange(1, rx.Low, rx.High, ry.Low, ry.High);
      }
      if (OnZoomPan) OnZoomPan(this);
    } else if (action == maDragCrossH && left && inChart) {
      if (!m.crossPicked) {
        m.crossPicked = true;
        std::vector<CrossHairPick> picks;
        for (int n = 1; n <= kCrossHairs; ++n) {
          const TCrossHair& c = CrossHair(n);
          const TPoint p = WorldToPixel(c.Layer(), c.PosX(), c.PosY());
          picks.push_back({c.Mode(), p.X, p.Y});
        }
        m.crossHair = NearestCrossHair(picks, x, y);
        const TPoint p = WorldToPixel(CrossHair(m.crossHair).Layer(), CrossHair(m.crossHair).PosX(),
                                      CrossHair(m.crossHair).PosY());
        bool allow = true;
        if (OnBeforeCrossHairMove)
          OnBeforeCrossHairMove(this, m.crossHair, x - p.X, y - p.Y, allow);
        m.crossDrag = allow;
      } else if (m.crossDrag) {
        TCrossHair& c = CrossHair(m.crossHair);
        const TWorldPoint wp = PixelToWorld(c.Layer(), x, y);
        {
          Suspend s(PaintSuspended(), setSuspended);
          c.SetPosX(wp.X);
          c.SetPosY(wp.Y);
        }
        if (OnCrossHairMove) OnCrossHairMove(this, m.crossHair);
      }
    } else if (action == maDragLabel && left) {
      if (!m.labelPicked) {
        m.labelPicked = true;
        std::vector<LabelPick> picks;
        for (int n = 1; n <= kTextLabels; ++n) {
          const TTextLabel& lb = *TextLabel(n);
          const TPoint p = MouseState::LabelPixel(*this, lb);
          picks.push_back({lb.Mode() != tlOff && lb.Visible(), p.X, p.Y});
        }
        m.label = NearestLabel(picks, x, y);
      } else {
        TTextLabel& lb = *TextLabel(m.label);
        const TWorldPoint wp = PixelToWorld(lb.Layer(), x, y);
        const TTxtLblAttachMode a = lb.AttachToData();
        const bool wx = a == tlamXOnly || a == tlamBoth, wy = a == tlamYOnly || a == tlamBoth;
        {
          Suspend s(PaintSuspended(), setSuspended);
          lb.SetPosX(wx ? wp.X : double(x) - MarginLeft());
          lb.SetPosY(wy ? wp.Y : double(y) - MarginTop());
        }
        if (OnTextLabelMove) OnTextLabelMove(this, m.label);
      }
    } else if (action == maDrawMTrace && left && !m.band) {
      const int px = std::clamp(x, f.Left(), f.Right()), py = std::clamp(y, f.Top(), f.Bottom());
      std::vector<TMouseTracePoint>& trace = MouseTraceList();
      if (trace.size() < static_cast<std::size_t>(kMaxTracePoints)) {
        const TWorldPoint wp = PixelToWorld(ActiveLayer(), px, py);
        TMouseTracePoint pt;
        pt.X = wp.X;
        pt.Y = wp.Y;
        pt.Color = MouseTraceColor();
        pt.Flags = MouseTraceInvert() ? TMouseTracePoint::kInverted : 0;
        const bool joined = !trace.empty() && !(trace.back().Flags & TMouseTracePoint::kStrokeEnd);
        if (joined) {
          const TMouseTracePoint& prev = trace.back();
          const TPoint a = WorldToPixel(ActiveLayer(), prev.X, prev.Y);
          TCanvas& c = Canvas();
          c.Pen().SetColor(pt.Color);
          c.Pen().SetStyle(psSolid);
          c.Pen().SetWidth(1);
          c.Pen().SetMode(MouseTraceInvert() ? pmXor : pmCopy);
          c.MoveTo(a.X, a.Y);
          c.LineTo(px, py);
          c.Pen().SetMode(pmCopy);
        }
        trace.push_back(pt);
      }
    }

    // 3. Cursor by mode.
    if (!inChart || MouseCursorFixed()) SetCursor(crDefault);
    else if (action == maNone) SetCursor(crCross);
    else if (IsPan(action)) SetCursor(kCurHand);
    else if (action == maZoomWind) SetCursor(kCurZoomWind);
    else if (action == maZoomDrag) SetCursor(kCurZoomDrag);
    else if (action == maZoomWindPos) SetCursor(kCurZoomWindPos);
    else if (IsBand(action) || action == maDragCrossH || action == maDragLabel)
      SetCursor(crDefault);
  } catch (const std::exception& e) {
    qWarning("TPlotra: mouse move: %s", e.what());
  } catch (...) {
    qWarning("TPlotra: mouse move: unknown error");
  }

  // 4. The position report; moves during its handling are not reported again.
  if (OnMouseMoveInChart && !m.inMoveEvent) {
    m.inMoveEvent = true;
    const TWorldPoint wp = PixelToWorld(ActiveLayer(), x, y);
    try {
      OnMouseMoveInChart(this, inChart, shift, wp.X, wp.Y);
    } catch (const std::exception& e) {
      qWarning("TPlotra: OnMouseMoveInChart: %s", e.what());
    } catch (...) {
      qWarning("TPlotra: OnMouseMoveInChart: unknown error");
    }
    m.inMoveEvent = false;
  }
}

void TCustomPlotra::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  MouseState& m = Mouse();
  m.pointer = {x, y};
  if (m.swallowDown) {
    m.swallowDown = false;
    return;
  }
  m.dragging = false;
  m.crossPicked = m.crossDrag = false;
  m.labelPicked = false;
  std::vector<TMouseTracePoint>& trace = MouseTraceList();
  if (MouseAction() == maDrawMTrace && !trace.empty())
    trace.back().Flags |= TMouseTracePoint::kStrokeEnd;
  const TMouseActMode action = MouseAction();
  if (IsBand(action) && m.band) {
    m.band = false;
    MouseState::XorBand(*this, m.anchor, m.last, action != maRubberBand);
    const bool empty = m.anchor.X == m.last.X || m.anchor.Y == m.last.Y;
    if (button == mbLeft && !empty) {
      try {
        bool changed = false;
        {
          Suspend s(PaintSuspended(), [this](bool v) { SetPaintSuspended(v); });
          const TWorldPoint a = PixelToWorld(1, m.anchor.X, m.anchor.Y);
          const TWorldPoint b = PixelToWorld(1, m.last.X, m.last.Y);
          Range rx{a.X, b.X}, ry{a.Y, b.Y};
          if (action == maZoomWindPos || action == maSelectRect) {
            rx = OrderLikeAxis(a.X, b.X, {ScalePropsX(1).RangeLow(), ScalePropsX(1).RangeHigh()});
            ry = OrderLikeAxis(a.Y, b.Y, {ScalePropsY(1).RangeLow(), ScalePropsY(1).RangeHigh()});
          }
          if (action == maRubberBand && OnRubberBand)
            OnRubberBand(this, 1, rx.Low, ry.Low, rx.High, ry.High);
          else if (action == maSelectRect && OnSelectRect)
            OnSelectRect(this, 1, rx.Low, ry.Low, rx.High, ry.High);
          else if (action == maZoomWind || action == maZoomWindPos)
            ChangeRange(1, rx.Low, rx.High, ry.Low, ry.High);
          changed = true;
        }
        if (changed && OnZoomPan) OnZoomPan(this);
      } catch (const std::exception& e) {
        qWarning("TPlotra: mouse up: %s", e.what());
      } catch (...) {
        qWarning("TPlotra: mouse up: unknown error");
      }
    }
  }
  TCustomControl::MouseUp(button, shift, x, y);
}

void TCustomPlotra::DblClick() {
  MouseState& m = Mouse();
  m.swallowDown = true;
  const PlotraFrame f{Width(), Height(), MarginLeft(), MarginRight(), MarginTop(),
                      MarginBottom(), ShadowWidth()};
  try {
    MouseState::SwitchScaleAt(*this, f, m.pointer.X, m.pointer.Y);  // repaints
  } catch (const std::exception& e) {
    qWarning("TPlotra: double click: %s", e.what());
  }
  TCustomControl::DblClick();
}

// Turns the scale under (x, y) from maPan to maZoom or back; y scales are tried first.
bool TCustomPlotra::MouseState::SwitchScaleAt(TCustomPlotra& P, const PlotraFrame& f, int x,
                                               int y) {
  auto toggle = [](TScaleProps& p) {
    if (p.MouseAction() == maPan) p.SetMouseAction(maZoom);
    else if (p.MouseAction() == maZoom) p.SetMouseAction(maPan);
  };
  for (int n = 1; n <= kLayers; ++n) {
    TScalePropsVert& p = P.ScalePropsY(n);
    if (p.Visible() && ScaleHit(EdgeOf(p.ScaleType()), p.ScalePos(), f, x, y)) {
      toggle(p);
      return true;
    }
  }
  for (int n = 1; n <= kLayers; ++n) {
    TScalePropsHoriz& p = P.ScalePropsX(n);
    if (p.Visible() && ScaleHit(EdgeOf(p.ScaleType()), p.ScalePos(), f, x, y)) {
      toggle(p);
      return true;
    }
  }
  return false;
}

// The band's figure drawn with exclusive-or on the screen: a line for the rubber band, a
// clear rectangle for the windows. Drawing it twice erases it.
void TCustomPlotra::MouseState::XorBand(TCustomPlotra& P, TPoint a, TPoint b, bool rectangle) {
  TCanvas& c = P.Canvas();
  c.Pen().SetColor(0xFFFFFF);
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(1);
  c.Pen().SetMode(pmXor);
  if (rectangle) {
    if (a.X != b.X && a.Y != b.Y) {
      c.Brush().SetStyle(bsClear);
      const TRect r = InclusiveRect(a.X, a.Y, b.X, b.Y);
      c.Rectangle(r);
      c.Brush().SetStyle(bsSolid);
    }
  } else if (a != b) {
    c.MoveTo(a.X, a.Y);
    c.LineTo(b.X, b.Y);
  }
  c.Pen().SetMode(pmCopy);
}

// Control pixel of a text label's anchor, as painting places it.
TPoint TCustomPlotra::MouseState::LabelPixel(const TCustomPlotra& P, const TTextLabel& lb) {
  const TTxtLblAttachMode a = lb.AttachToData();
  const TPoint w = P.WorldToPixel(lb.Layer(), lb.PosX(), lb.PosY());
  const bool wx = a == tlamXOnly || a == tlamBoth, wy = a == tlamYOnly || a == tlamBoth;
  return {wx ? w.X : ClampPlotraCoord(lb.PosX() + P.MarginLeft()),
          wy ? w.Y : ClampPlotraCoord(lb.PosY() + P.MarginTop())};
}

bool TCustomPlotra::focusNextPrevChild(bool) { return false; }

void TCustomPlotra::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Tab: case Qt::Key_Backtab: case Qt::Key_Left: case Qt::Key_Right:
    case Qt::Key_Up: case Qt::Key_Down:
      event->accept();
      break;
    default:
      TCustomControl::keyPressEvent(event);
  }
}

}  // namespace dendrokit
