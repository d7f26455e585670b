#include "gfxbase/cursors.h"

#include <array>
#include <map>
#include <string>

#include <QGuiApplication>
#include <QPixmap>

// Resources of a static library must be registered explicitly; Q_INIT_RESOURCE may not
// be used inside a namespace.
static void InitCursorResources() { Q_INIT_RESOURCE(gfxbase_cursors); }

namespace dendrokit {

namespace {

struct ResourceCursor {
  std::string_view name;
  int hotX;
  int hotY;
};

// Hot spots: the index finger's tip, the crosshair centres, the centre of the square.
constexpr std::array<ResourceCursor, 4> kResourceCursors = {{
    {"CURHAND", 12, 3},
    {"CURZOOMW", 7, 9},
    {"CURZOOMD", 15, 15},
    {"CURZOOMP", 7, 8},
}};

std::map<TCursor, QCursor>& Registry() {
  static std::map<TCursor, QCursor> registry;
  return registry;
}

TCursor& ScreenCursorId() {
  static TCursor id = crDefault;
  return id;
}

Qt::CursorShape ShapeOf(TCursor id) {
  switch (id) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass:
    case crSQLWait: return Qt::WaitCursor;
    case crDrag:
    case crMultiDrag: return Qt::DragCopyCursor;
    case crNoDrop:
    case crNo: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
  }
}

}  // namespace

std::optional<QCursor> LoadResourceCursor(std::string_view name) {
  static const bool initialised = (InitCursorResources(), true);
  (void)initialised;
  for (const ResourceCursor& rc : kResourceCursors) {
    if (rc.name != name) continue;
    QPixmap picture(QStringLiteral(":/dendrokit/cursors/") + QString::fromLatin1(rc.name.data(),
                                                                             static_cast<qsizetype>(rc.name.size())));
    if (picture.isNull()) return std::nullopt;
    return QCursor(picture, rc.hotX, rc.hotY);
  }
  return std::nullopt;
}

void RegisterCursor(TCursor id, const QCursor& cursor) { Registry()[id] = cursor; }

QCursor CursorFromId(TCursor id) {
  if (id > 0) {
    const auto it = Registry().find(id);
    return it != Registry().end() ? it->second : QCursor(Qt::ArrowCursor);
  }
  return QCursor(ShapeOf(id));
}

void SetScreenCursor(TCursor id) {
  if (id == ScreenCursorId()) return;
  if (ScreenCursorId() != crDefault) QGuiApplication::restoreOverrideCursor();
  ScreenCursorId() = id;
  if (id != crDefault) QGuiApplication::setOverrideCursor(CursorFromId(id));
}

TCursor ScreenCursor() { return ScreenCursorId(); }

}  // namespace dendrokit
