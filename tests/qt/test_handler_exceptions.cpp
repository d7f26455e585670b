// Regression: an application's handler that threw from OnClick, OnDblClick or OnMouseEnter
// crossed Qt's event loop (terminate). Every event of every control throws in turn while
// the control is driven through Qt's own entry points: nothing may leave them, and each
// throw is reported through qWarning. Events raised only by the application's own calls
// (a recluster, a colour set) reach that caller.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "chart/plotra.h"
#include "colsel/colsel.h"
#include "dendrogram/dendrogram.h"
#include "scale/scale.h"

namespace dendrokit {
namespace handler_exceptions_suite {

QStringList& Warnings() {
  static QStringList seen;
  return seen;
}

void Collect(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtWarningMsg) Warnings() << text;
}

// The handler of `event` throws and counts its calls.
template <typename Event>
void Arm(Event& event, const std::string& name, int& calls) {
  event = [name, &calls](auto&&...) {
    ++calls;
    throw std::runtime_error("thrown by " + name);
  };
}

void Send(QWidget* w, QEvent&& e, const std::string& what) {
  EXPECT_NO_THROW(QApplication::sendEvent(w, &e)) << what;
}

void Mouse(QWidget* w, QEvent::Type type, QPointF p, Qt::MouseButton button,
           Qt::MouseButtons held) {
  Send(w, QMouseEvent(type, p, w->mapToGlobal(p), button, held, Qt::NoModifier), "mouse");
}

// What a user does: enter, drag, click, double click, wheel, keys, focus, resize, leave.
void Drive(QWidget* w, QPoint a, QPoint b) {
  EXPECT_NO_THROW(w->show());
  EXPECT_NO_THROW(w->resize(w->width() + 10, w->height() + 10));
  EXPECT_NO_THROW(w->repaint());
  Send(w, QEnterEvent(a, a, w->mapToGlobal(a)), "enter");
  Mouse(w, QEvent::MouseMove, a, Qt::NoButton, Qt::NoButton);
  Mouse(w, QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton);
  for (int k = 0; k <= 4; ++k)
    Mouse(w, QEvent::MouseMove, a + (b - a) * k / 4, Qt::NoButton, Qt::LeftButton);
  Mouse(w, QEvent::MouseButtonRelease, b, Qt::LeftButton, Qt::NoButton);
  Mouse(w, QEvent::MouseButtonDblClick, b, Qt::LeftButton, Qt::LeftButton);
  Mouse(w, QEvent::MouseButtonRelease, b, Qt::LeftButton, Qt::NoButton);
  Send(w,
       QWheelEvent(b, w->mapToGlobal(b), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false),
       "wheel");
  for (const int key : {int(Qt::Key_Down), int(Qt::Key_Left), int(Qt::Key_Plus), int(Qt::Key_Home)})
    Send(w, QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier), "key");
  Send(w, QFocusEvent(QEvent::FocusIn, Qt::OtherFocusReason), "focus in");
  Send(w, QFocusEvent(QEvent::FocusOut, Qt::OtherFocusReason), "focus out");
  Send(w, QEvent(QEvent::Leave), "leave");
  w->hide();
}

// An event of a control, and how to make its handler throw.
struct Event {
  std::string name;
  std::function<void(QWidget*, int& calls)> arm;
};
#define EVENT(T, e)                                                            \
  Event {                                                                      \
#e, [](QWidget * w, int& calls) { Arm(static_cast<T*>(w)->e, #e, calls); } \
  }
#define MOUSE_EVENTS(T)                                                                 \
  EVENT(T, OnMouseDown), EVENT(T, OnMouseMove), EVENT(T, OnMouseUp), EVENT(T, OnClick), \
      EVENT(T, OnDblClick), EVENT(T, OnMouseEnter), EVENT(T, OnMouseLeave), EVENT(T, OnResize)

// One control kind: how to make it ready under a mouse action (each event is reached under
// at least one of them), its events, and where the drag goes.
struct Kind {
  const char* name;
  std::function<QWidget*(TMouseActMode)> make;
  std::vector<TMouseActMode> actions;
  std::vector<Event> events;
  QPoint a, b;
};

std::vector<Kind> Kinds() {
  auto dendrogram = [](TMouseActMode action) {
    auto* d = new TDendrogram;
    d->SetBounds(0, 0, 400, 300);
    d->SetClusterMethod(cmSingleLink);
    d->Data().Resize(1, 4);
    for (int i = 1; i <= 4; ++i) d->Data().SetElem(1, i, i * i);
    d->SetSuppressPaint(false);
    d->SetMouseAction(action);
    return d;
  };
  auto chart = [](TMouseActMode action) {
    auto* c = new TPlotra;
    c->SetBounds(0, 0, 300, 220);
    c->HandleNeeded();
    c->AddTextAt(10, "text", 50, 50);
    c->CrossHair(1).SetMode(chBoth);
    c->TextLabel(1)->SetMode(tlsimple);
    c->SetMouseAction(action);
    return c;
  };
  auto scale = [](TMouseActMode action) {
    auto* s = new TScale;
    s->SetBounds(0, 0, 300, 60);
    s->SetMouseAction(action);
    return s;
  };
  using D = TDendrogram;
  using P = TPlotra;
  using S = TScale;
  using C = TColSel;
  return {
      {"TDendrogram",
       dendrogram,
       {maPan, maDragCrossH},
       {MOUSE_EVENTS(D), EVENT(D, OnBeforeShowObjLabel), EVENT(D, OnZoomPan),
        EVENT(D, OnCrossHairMove)},
       {200, 150},
       {260, 190}},
      {"TPlotra",
       chart,
       {maPan, maRubberBand, maSelectRect, maDragCrossH, maDragLabel},
       {MOUSE_EVENTS(P), EVENT(P, OnBeforeRenderData), EVENT(P, OnDataRendered),
        EVENT(P, OnScalesRendered), EVENT(P, OnBeforeRenderChartItem), EVENT(P, OnBeforeRenderText),
        EVENT(P, OnScaleTickDrawn), EVENT(P, OnBeforeTickLabel), EVENT(P, OnMouseMoveInChart),
        EVENT(P, OnZoomPan), EVENT(P, OnRubberBand), EVENT(P, OnSelectRect),
        EVENT(P, OnBeforeCrossHairMove), EVENT(P, OnCrossHairMove), EVENT(P, OnTextLabelMove)},
       {120, 100},
       {180, 140}},
      {"TScale",
       scale,
       {maPan},
       {MOUSE_EVENTS(S), EVENT(S, OnZoomPan), EVENT(S, OnScaleTickDrawn),
        EVENT(S, OnBeforeTickLabel), EVENT(S, OnBeforeScaleRendered),
        EVENT(S, OnAfterScaleRendered)},
       {100, 30},
       {160, 30}},
      {"TColSel",
       [](TMouseActMode) { return new TColSel; },
       {maNone},
       {EVENT(C, OnChange), EVENT(C, OnClick), EVENT(C, OnDropDown), EVENT(C, OnEnter),
        EVENT(C, OnExit)},
       {80, 10},
       {80, 10}},
  };
}

TEST(HandlerExceptions, NoneCrossesQtsEventLoopAndEachIsReported) {
  const QtMessageHandler previous = qInstallMessageHandler(Collect);
  for (const Kind& kind : Kinds())
    for (const Event& event : kind.events) {
      int calls = 0;
      Warnings().clear();
      for (const TMouseActMode action : kind.actions) {
        const std::unique_ptr<QWidget> w(kind.make(action));
        event.arm(w.get(), calls);
        Drive(w.get(), kind.a, kind.b);
        if (event.name == "OnDropDown")  // a click on the box opens the list
          Mouse(w.get(), QEvent::MouseButtonPress, kind.a, Qt::LeftButton, Qt::LeftButton);
      }
      const std::string where = std::string(kind.name) + " " + event.name;
      EXPECT_GT(calls, 0) << where << ": never raised";
      EXPECT_EQ(Warnings().filter(QString::fromStdString("thrown by " + event.name)).size(), calls)
          << where << ": " << Warnings().join("\n").toStdString();
    }
  qInstallMessageHandler(previous);
}

TEST(HandlerExceptions, EventsOfTheApplicationsOwnCallsReachTheCaller) {
  int calls = 0;
  using D = TDendrogram;
  for (const Event& event : {EVENT(D, OnDendroBegin), EVENT(D, OnProgress),
                             EVENT(D, OnCalcDistance), EVENT(D, OnDendroDone)}) {
    TDendrogram d;
    d.Data().Resize(1, 4);
    d.SetDistMeasure(dmUserDef);
    event.arm(&d, calls);
    EXPECT_THROW(d.SetClusterMethod(cmCompleteLink), std::runtime_error) << event.name;
    // OnDendroDone comes after the new tree was taken: the method is the new tree's.
    EXPECT_EQ(d.ClusterMethod(), event.name == "OnDendroDone" ? cmCompleteLink : cmWard);
  }
  TColSel s;
  Arm(s.OnColorNameChange, "OnColorNameChange", calls);
  EXPECT_THROW(s.SetSelColor(0x123456), std::runtime_error);
}

}  // namespace
}  // namespace dendrokit
