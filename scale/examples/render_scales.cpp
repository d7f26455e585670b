// Renders a few scales to PNG files for a visual check:
//   render_scales [output directory]
#include <cstdio>
#include <string>

#include <QApplication>

#include "scale/datetime.h"
#include "scale/scale.h"

namespace {

using namespace dendrokit;

bool Save(TScale& scale, const std::string& path) {
  scale.ForcePaint();
  const bool ok = scale.ShownImage().save(QString::fromStdString(path));
  std::printf("%s %s\n", ok ? "wrote" : "FAILED", path.c_str());
  return ok;
}

double Day(int y, unsigned m, unsigned d) {
  using namespace std::chrono;
  return double(DateToDay(year{y} / month{m} / day{d}));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const std::string dir = argc > 1 ? argv[1] : ".";
  bool ok = true;

  TScale numeric;
  numeric.SetBounds(0, 0, 520, 64);
  numeric.SetRange(-20, 130);
  numeric.SetCaption("distance");
  numeric.SetCaptionAnchor(uaSclBotRgt);
  numeric.SetCaptionAlignment(taRightJustify);
  numeric.SetCaptionPosY(2);
  ok &= Save(numeric, dir + "/scale_horizontal_numeric.png");

  TScale log;
  log.SetBounds(0, 0, 110, 420);
  log.SetScaleType(sctYR);
  log.SetRange(0.5, 20000);
  log.SetLogarithmic(true);
  log.SetMinTicks(8);
  log.SetCaption("counts");
  log.SetCaptionPosX(-80);
  log.SetCaptionPosY(-18);
  log.SetCaptionAlignment(taLeftJustify);
  ok &= Save(log, dir + "/scale_vertical_log.png");

  TScale hours;
  hours.SetBounds(0, 0, 620, 80);
  hours.SetLabelType(ftDateTime);
  hours.SetMinTicks(6);
  hours.SetRange(Day(2004, 3, 1) + 0.25, Day(2004, 3, 3) + 0.5);
  ok &= Save(hours, dir + "/scale_horizontal_datetime.png");

  TScale months;
  months.SetBounds(0, 0, 620, 64);
  months.SetScaleType(sctXT);
  months.SetLabelType(ftDateTime);
  months.SetRange(Day(2003, 11, 15), Day(2005, 2, 1));
  months.SetMinTicks(5);
  ok &= Save(months, dir + "/scale_horizontal_months.png");

  TScale days;
  days.SetBounds(0, 0, 150, 420);
  days.SetScaleType(sctYL);
  days.SetLabelType(ftDateTime);
  days.SetMinTicks(6);
  days.SetRange(Day(2004, 2, 27) + 0.5, Day(2004, 3, 1) + 0.75);
  ok &= Save(days, dir + "/scale_vertical_datetime.png");

  TScale duration;
  duration.SetBounds(0, 0, 520, 64);
  duration.SetLabelType(ftTime);
  duration.SetRange(0, 3600);
  duration.SetColorScheme(csSystem);
  duration.SetFrameStyle(fsRaised);
  ok &= Save(duration, dir + "/scale_horizontal_time.png");

  return ok ? 0 : 1;
}
