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
namespace {

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
  Send(w, QWheelEvent(b, w->mapToGlobal(b), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false),
       "wheel");
  for (const int key : {int(Qt::Key_Down), int(Qt::Key_Left), int(Qt::Key_Plus), int(Qt::Key_Home)})
    Send(w, QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier), "key");
  Send(w, QFocusEvent(QEvent::FocusIn, Qt::OtherFocusReason), "focus in");
  Send(w, QFocusEvent(QEvent::FocusOut, Qt::OtherFocusReason), "focus out");
  Send(w, QEvent(QEvent::Leave), "leave");
  w->hide();
}

// One control kind: how to make it ready, its events, and the mouse actions to drive it
// under (each event is reached under at least one).
struct Kind {
  const char* name;
  std::function<std::unique_ptr<QWidget>(int action)> make;
  std::vector<int> actions;
  std::function<void(QWidget*, const std::string& event, int& calls)> arm;
  std::vector<std::string> events;
  QPoint a, b;
};

template <typename C>
void ArmCommon(C* c, const std::string& e, int& calls) {
  if (e == "OnMouseDown") Arm(c->OnMouseDown, e, calls);
  if (e == "OnMouseMove") Arm(c->OnMouseMove, e, calls);
  if (e == "OnMouseUp") Arm(c->OnMouseUp, e, calls);
  if (e == "OnClick") Arm(c->OnClick, e, calls);
  if (e == "OnDblClick") Arm(c->OnDblClick, e, calls);
  if (e == "OnMouseEnter") Arm(c->OnMouseEnter, e, calls);
  if (e == "OnMouseLeave") Arm(c->OnMouseLeave, e, calls);
  if (e == "OnResize") Arm(c->OnResize, e, calls);
}

const std::vector<std::string> kCommon = {"OnMouseDown", "OnMouseMove", "OnMouseUp",
                                          "OnClick",     "OnDblClick",  "OnMouseEnter",
                                          "OnMouseLeave", "OnResize"};

std::vector<std::string> With(std::vector<std::string> own) {
  own.insert(own.end(), kCommon.begin(), kCommon.end());
  return own;
}

std::vector<Kind> Kinds() {
  return {
      {"TDendrogram",
       [](int action) {
         auto d = std::make_unique<TDendrogram>();
         d->SetBounds(0, 0, 400, 300);
         d->SetClusterMethod(cmSingleLink);
         d->SetSuppressRecalc(true);
         d->Data().Resize(1, 4);
         for (int i = 1; i <= 4; ++i) d->Data().SetElem(1, i, i * i);
         d->SetSuppressRecalc(false);
         d->SetSuppressPaint(false);
         d->SetMouseAction(static_cast<TMouseActMode>(action));
         return std::unique_ptr<QWidget>(std::move(d));
       },
       {maPan, maDragCrossH},
       [](QWidget* w, const std::string& e, int& calls) {
         auto* d = static_cast<TDendrogram*>(w);
         ArmCommon(d, e, calls);
         if (e == "OnBeforeShowObjLabel") Arm(d->OnBeforeShowObjLabel, e, calls);
         if (e == "OnZoomPan") Arm(d->OnZoomPan, e, calls);
         if (e == "OnCrossHairMove") Arm(d->OnCrossHairMove, e, calls);
       },
       With({"OnBeforeShowObjLabel", "OnZoomPan", "OnCrossHairMove"}),
       {200, 150},
       {260, 190}},
      {"TPlotra",
       [](int action) {
         auto c = std::make_unique<TPlotra>();
         c->SetBounds(0, 0, 300, 220);
         c->HandleNeeded();
         c->AddTextAt(10, "text", 50, 50);
         c->CrossHair(1).SetMode(chBoth);
         c->TextLabel(1)->SetMode(tlsimple);
         c->TextLabel(1)->SetCaption("label");
         c->SetMouseAction(static_cast<TMouseActMode>(action));
         return std::unique_ptr<QWidget>(std::move(c));
       },
       {maPan, maRubberBand, maSelectRect, maDragCrossH, maDragLabel},
       [](QWidget* w, const std::string& e, int& calls) {
         auto* c = static_cast<TPlotra*>(w);
         ArmCommon(c, e, calls);
         if (e == "OnBeforeRenderData") Arm(c->OnBeforeRenderData, e, calls);
         if (e == "OnDataRendered") Arm(c->OnDataRendered, e, calls);
         if (e == "OnScalesRendered") Arm(c->OnScalesRendered, e, calls);
         if (e == "OnBeforeRenderChartItem") Arm(c->OnBeforeRenderChartItem, e, calls);
         if (e == "OnBeforeRenderText") Arm(c->OnBeforeRenderText, e, calls);
         if (e == "OnScaleTickDrawn") Arm(c->OnScaleTickDrawn, e, calls);
         if (e == "OnBeforeTickLabel") Arm(c->OnBeforeTickLabel, e, calls);
         if (e == "OnMouseMoveInChart") Arm(c->OnMouseMoveInChart, e, calls);
         if (e == "OnZoomPan") Arm(c->OnZoomPan, e, calls);
         if (e == "OnRubberBand") Arm(c->OnRubberBand, e, calls);
         if (e == "OnSelectRect") Arm(c->OnSelectRect, e, calls);
         if (e == "OnBeforeCrossHairMove") Arm(c->OnBeforeCrossHairMove, e, calls);
         if (e == "OnCrossHairMove") Arm(c->OnCrossHairMove, e, calls);
         if (e == "OnTextLabelMove") Arm(c->OnTextLabelMove, e, calls);
       },
       With({"OnBeforeRenderData", "OnDataRendered", "OnScalesRendered",
             "OnBeforeRenderChartItem", "OnBeforeRenderText", "OnScaleTickDrawn",
             "OnBeforeTickLabel", "OnMouseMoveInChart", "OnZoomPan", "OnRubberBand",
             "OnSelectRect", "OnBeforeCrossHairMove", "OnCrossHairMove", "OnTextLabelMove"}),
       {120, 100},
       {180, 140}},
      {"TScale",
       [](int action) {
         auto s = std::make_unique<TScale>();
         s->SetBounds(0, 0, 300, 60);
         s->SetMouseAction(static_cast<TMouseActMode>(action));
         return std::unique_ptr<QWidget>(std::move(s));
       },
       {maPan},
       [](QWidget* w, const std::string& e, int& calls) {
         auto* s = static_cast<TScale*>(w);
         ArmCommon(s, e, calls);
         if (e == "OnZoomPan") Arm(s->OnZoomPan, e, calls);
         if (e == "OnScaleTickDrawn") Arm(s->OnScaleTickDrawn, e, calls);
         if (e == "OnBeforeTickLabel") Arm(s->OnBeforeTickLabel, e, calls);
         if (e == "OnBeforeScaleRendered") Arm(s->OnBeforeScaleRendered, e, calls);
         if (e == "OnAfterScaleRendered") Arm(s->OnAfterScaleRendered, e, calls);
       },
       With({"OnZoomPan", "OnScaleTickDrawn", "OnBeforeTickLabel", "OnBeforeScaleRendered",
             "OnAfterScaleRendered"}),
       {100, 30},
       {160, 30}},
      {"TColSel",
       [](int) {
         auto s = std::make_unique<TColSel>();
         s->setGeometry(0, 0, 160, 30);
         return std::unique_ptr<QWidget>(std::move(s));
       },
       {0},
       [](QWidget* w, const std::string& e, int& calls) {
         auto* s = static_cast<TColSel*>(w);
         if (e == "OnChange") Arm(s->OnChange, e, calls);
         if (e == "OnClick") Arm(s->OnClick, e, calls);
         if (e == "OnDropDown") Arm(s->OnDropDown, e, calls);
         if (e == "OnEnter") Arm(s->OnEnter, e, calls);
         if (e == "OnExit") Arm(s->OnExit, e, calls);
       },
       {"OnChange", "OnClick", "OnDropDown", "OnEnter", "OnExit"},
       {80, 15},
       {80, 15}},
  };
}

TEST(HandlerExceptions, NoneCrossesQtsEventLoopAndEachIsReported) {
  const QtMessageHandler previous = qInstallMessageHandler(Collect);
  for (const Kind& kind : Kinds())
    for (const std::string& event : kind.events) {
      int calls = 0;
      Warnings().clear();
      for (const int action : kind.actions) {
        const std::unique_ptr<QWidget> w = kind.make(action);
        kind.arm(w.get(), event, calls);
        Drive(w.get(), kind.a, kind.b);
        if (event == "OnDropDown")  // a click on the box opens the list
          Mouse(w.get(), QEvent::MouseButtonPress, kind.a, Qt::LeftButton, Qt::LeftButton);
      }
      const std::string where = std::string(kind.name) + " " + event;
      EXPECT_GT(calls, 0) << where << ": never raised";
      EXPECT_EQ(Warnings().filter(QString::fromStdString("thrown by " + event)).size(), calls)
          << where << ": " << Warnings().join("\n").toStdString();
    }
  qInstallMessageHandler(previous);
}

TEST(HandlerExceptions, EventsOfTheApplicationsOwnCallsReachTheCaller) {
  int calls = 0;
  for (const std::string event : {"OnDendroBegin", "OnDendroDone", "OnProgress"}) {
    TDendrogram d;
    d.Data().Resize(1, 4);
    for (int i = 1; i <= 4; ++i) d.Data().SetElem(1, i, i * i);
    if (event == "OnDendroBegin") Arm(d.OnDendroBegin, event, calls);
    if (event == "OnDendroDone") Arm(d.OnDendroDone, event, calls);
    if (event == "OnProgress") Arm(d.OnProgress, event, calls);
    EXPECT_THROW(d.SetClusterMethod(cmCompleteLink), std::runtime_error) << event;
    // OnDendroDone comes after the new tree was taken: the method is the new tree's.
    EXPECT_EQ(d.ClusterMethod(), event == "OnDendroDone" ? cmCompleteLink : cmWard) << event;
  }
  TDendrogram d;
  d.Data().Resize(1, 4);
  d.SetDistMeasure(dmUserDef);
  Arm(d.OnCalcDistance, "OnCalcDistance", calls);
  EXPECT_THROW(d.SetClusterMethod(cmCompleteLink), std::runtime_error);
  TColSel s;
  Arm(s.OnColorNameChange, "OnColorNameChange", calls);
  EXPECT_THROW(s.SetSelColor(0x123456), std::runtime_error);
}

}  // namespace
}  // namespace dendrokit
