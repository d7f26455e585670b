#include "scale/ticks.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "scale/datetime.h"

namespace dendrokit {

namespace {

constexpr const char* kOverflowText = "********";
constexpr std::size_t kLabelCut = 14;
// Relative slack that lets a tick sitting on a range end count as inside.
constexpr double kLogSlack = 0.999999999;

// Tick values beyond the double range lie outside any axis; they are skipped rather than
// converted.
bool FitsDouble(long double v) {
  return std::fabs(v) <= static_cast<long double>(std::numeric_limits<double>::max());
}

void CutLabel(std::string& text) {
  if (text.size() > kLabelCut) text.resize(kLabelCut);
}

bool AllZeroDigits(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c == '0' || c == '.' || c == '-'; });
}

}  // namespace

NiceTicks CalcNiceTicks(int minTicks, long double high, long double low) {
  NiceTicks r;
  r.first = low;
  if (high == low || !std::isfinite(high) || !std::isfinite(low)) return r;
  const long double span = std::fabs(high - low);
  if (!std::isfinite(span) || span == 0) return r;
  const long double s = low < high ? 1.0L : -1.0L;

  long double d;
  if (minTicks <= 0) {
    d = s;
    r.subdivisions = span > 10 ? 1 : 5;
  } else {
    long double g = std::log10(span / minTicks);
    long double f = g - std::trunc(g);
    // Snap near-integer logarithms so that an exact 10^e does not fall to the step below.
    if (std::fabs(f) < 1e-10L || std::fabs(f) > 0.9999999999L) {
      g = std::nearbyint(g);
      f = 0;
    }
    if (g < 0 && f != 0) g -= 1;
    if (f < 0) f += 1;
    const long double e = std::trunc(g);
    const long double p = std::pow(10.0L, e);
    if (f < std::log10(2.0L) + 1e-10L) {
      d = p;
      r.subdivisions = 5;
    } else if (f < std::log10(5.0L) + 1e-10L) {
      d = 2 * p;
      r.subdivisions = 4;
    } else {
      d = 5 * p;
      r.subdivisions = 5;
    }
    d *= s;
    if (d == 0 || !std::isfinite(d)) return NiceTicks{low, 0, 1};
  }

  // Step forward from one multiple before low; with double range ends this takes one or two
  // steps. The guard only matters for ranges too fine for the precision (F + D == F).
  long double first = (std::trunc(low / d) - 1) * d;
  for (int guard = 0; s * (low - first) > 0.001L * std::fabs(d) && guard < 1000; ++guard) {
    const long double next = first + d;
    if (next == first) break;
    first = next;
  }
  r.first = first;
  r.distance = d;
  return r;
}

std::string FormatTickNumber(double x, int dec) {
  if (!std::isfinite(x)) return kOverflowText;
  if (dec >= 0) {
    dec = std::min(dec, 350);  // beyond this only zeros could follow
    std::vector<char> buf(static_cast<std::size_t>(dec) + 400);
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), x,
                                   std::chars_format::fixed, dec);
    std::string text(buf.data(), res.ptr);
    if (!text.empty() && text.front() == '-' && AllZeroDigits(text)) text.erase(0, 1);
    return text;
  }
  char buf[64];
  const auto res =
      std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific, 1);
  const std::string sci(buf, res.ptr);  // "1.5e+03"
  const auto epos = sci.find('e');
  if (epos == std::string::npos || sci.size() - epos - 2 > 2) return kOverflowText;
  std::string text(1, x < 0 ? '-' : ' ');
  text += sci.substr(0, epos);
  text += 'E';
  text += sci.substr(epos + 1);
  return text;
}

int AutoDecPlaces(int decPlaces, double high, double low) {
  if (decPlaces != -2 && decPlaces != -3) return decPlaces;
  const double r = std::fabs(high - low);
  if (!std::isfinite(r) || r >= 1000000 || r <= 0.0001) return -1;
  if (r >= 100) return 0;
  return 2 - static_cast<int>(std::nearbyint(std::log(r) / 2.5));
}

int AutoLogDecPlaces(int decPlaces, double hi, double lo) {
  if (decPlaces != -2) return decPlaces;
  const double r = hi - lo;
  if (!std::isfinite(r) || r >= 1000000 || r <= 0.0001) return -1;
  if (lo >= 1) return 0;
  const double l = std::log10(std::fabs(lo));
  if (!std::isfinite(l)) return -1;
  return 1 - static_cast<int>(std::nearbyint(l));
}

std::string UserTickItem(std::string_view text, int n) {
  if (text.empty()) return {};
  std::size_t start = 0;
  for (int i = 1; i < n; ++i) {
    const auto bar = text.find('|', start);
    if (bar == std::string_view::npos) break;
    start = bar + 1;
  }
  const auto end = text.find('|', start);
  return std::string(text.substr(start, end == std::string_view::npos ? text.npos : end - start));
}

std::string ApplyInscript(std::string_view label, std::string_view inscript) {
  if (label.empty()) return {};
  const auto amp = inscript.find('&');
  if (amp == std::string_view::npos) return std::string(inscript) + std::string(label);
  return std::string(inscript.substr(0, amp)) + std::string(label) +
         std::string(inscript.substr(amp + 1));
}

std::string NumericTickLabel(double value, int tickNumber, int dec, int decPlacesProperty,
                             double rangeLow, double rangeHigh, TFigType labelType,
                             std::string_view userTickText, std::string_view inscript,
                             double* snapped) {
  const double span = rangeHigh - rangeLow;
  double v = value;
  std::string text;
  // A tick meant to be zero often comes out as a rounding residue like 1e-17.
  if (std::fabs(v / span) < 1e-14) {
    v = 0;
    if (std::fabs(span) <= 100000)
      text = FormatTickNumber(0, dec);
    else
      text = dec != 0 ? "0.0" : "0";
  } else {
    text = FormatTickNumber(v, dec);
  }
  CutLabel(text);
  if (decPlacesProperty == 0 && std::fabs(v - std::nearbyint(v)) > 1e-6) text.clear();
  if (snapped) *snapped = v;
  if (labelType == ftUserText) return UserTickItem(userTickText, tickNumber);
  return ApplyInscript(text, inscript);
}

const MonthNames& DefaultMonthNames() {
  static const MonthNames names = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  return names;
}

// Linear layout: all short ticks first (from one major interval before the first major tick,
// so that they also fill the stretch before it), then the major ticks with their labels.
// O(number of ticks); the count is bounded by kMaxMajorTicks major intervals.
TickPlan PlanLinearTicks(const ScaleTickSettings& s) {
  TickPlan plan;
  const NiceTicks nt = CalcNiceTicks(s.minTicks, s.rangeHigh, s.rangeLow);
  if (nt.distance == 0) return plan;
  const long double low = s.rangeLow, high = s.rangeHigh;
  const long double big = nt.distance, small = big / nt.subdivisions;
  const long double sg = big > 0 ? 1.0L : -1.0L;
  if (std::fabs(high - low) / std::fabs(big) > static_cast<long double>(kMaxMajorTicks))
    return plan;
  plan.layout = TickLayout::Linear;
  const bool vertical = IsVerticalScale(s.scaleType);

  if (s.shortTicks) {
    const long double start = nt.first - big;
    for (long double k = 0; plan.ticks.size() < kMaxPlannedTicks; k += 1) {
      const long double v = start + k * small;
      // Same slack as the majors: a tick on the range end, computed in extended precision,
      // may land a hair outside it and must still be drawn and recorded.
      if (sg * (v - low) >= -0.001L * std::fabs(small) && FitsDouble(v)) {
        PlannedTick t;
        t.value = sg * (v - low) < 0 ? s.rangeLow : static_cast<double>(v);
        t.length = 4;
        t.record = true;
        t.eventBeforeLabel = true;
        t.eventValue = t.value;
        plan.ticks.push_back(std::move(t));
      }
      const long double next = start + (k + 1) * small;
      if (!(sg * (next - high) <= 0.001L * std::fabs(small))) break;
    }
  }

  const int dec = AutoDecPlaces(s.decPlaces, s.rangeHigh, s.rangeLow);
  for (long double k = 0; plan.ticks.size() < kMaxPlannedTicks; k += 1) {
    const long double v = nt.first + k * big;
    const long double next = nt.first + (k + 1) * big;
    const bool more = sg * (next - high) <= 0.001L * std::fabs(big);
    // With MinTicks 0 a span below one unit may hold no multiple of D; a major tick off the
    // axis would still put its label at the control's edge, so it is left out.
    const bool onAxis = sg * (v - low) >= -0.001L * std::fabs(big) &&
                        sg * (v - high) <= 0.001L * std::fabs(big);
    if (!FitsDouble(v) || !onAxis) {
      if (!more) break;
      continue;
    }
    PlannedTick t;
    t.value = static_cast<double>(v);
    t.length = vertical ? 6 : 7;
    t.major = true;
    t.record = vertical || !s.shortTicks;
    t.eventBeforeLabel = vertical;
    t.eventValue = t.value;
    t.labelValue = t.value;
    if (s.labelType != ftNoFigs) {
      t.hasLabel = true;
      const int number = k < 2147483646.0L ? static_cast<int>(k) + 1 : 2147483647;
      t.label = NumericTickLabel(t.value, number, dec, s.decPlaces, s.rangeLow, s.rangeHigh,
                                 s.labelType, s.userTickText, s.scaleInscript, &t.labelValue);
      // A horizontal scale reports the tick after its label, with the label's value.
      if (!vertical) t.eventValue = t.labelValue;
    }
    plan.ticks.push_back(std::move(t));
    if (!more) break;
  }
  return plan;
}

// Logarithmic layout: one labelled tick per decade, with intermediate ticks 2..9 (2 and 5
// labelled) when MinTicks asks for more ticks than there are decades. O(decades).
TickPlan PlanLogTicks(const ScaleTickSettings& s) {
  TickPlan plan;
  const double low = s.rangeLow, high = s.rangeHigh;
  // Logarithms of non-positive ends are undefined: nothing is drawn.
  if (!(low > 0) || !(high > 0) || !std::isfinite(low) || !std::isfinite(high) || low == high)
    return plan;
  double decades = std::fabs(std::log10(high / low));
  if (!std::isfinite(decades)) decades = std::fabs(std::log10(high) - std::log10(low));
  if (decades < 1) return PlanLinearTicks(s);

  const double hi = std::max(low, high), lo = std::min(low, high);
  const int dec = AutoLogDecPlaces(s.decPlaces, hi, lo);
  const double base = std::pow(10.0, std::floor(std::log10(lo * kLogSlack)));
  if (!(base > 0) || !std::isfinite(base)) return plan;
  plan.layout = TickLayout::Logarithmic;
  const bool vertical = IsVerticalScale(s.scaleType);
  const bool intermediate = s.minTicks > decades + 0.5;
  int counter = 0;
  double mult = 1;

  auto emit = [&](int factor, bool labelled) {
    const double v = factor * base * mult;
    if (!(lo < v / kLogSlack && hi > v * kLogSlack)) return;
    if (!labelled && !s.shortTicks) return;
    PlannedTick t;
    t.value = v;
    t.length = vertical ? 6 : (labelled ? 7 : 4);
    t.major = labelled;
    t.record = true;
    t.eventBeforeLabel = true;
    t.eventValue = v;
    t.labelValue = v;
    if (labelled && s.labelType != ftNoFigs) {
      std::string text;
      if (dec == -3) {
        if (factor == 1) {
          const double e = std::nearbyint(std::log10(base * mult));
          text = std::to_string(static_cast<int>(e));
        }
      } else {
        text = FormatTickNumber(v, dec);
      }
      CutLabel(text);
      if (s.decPlaces == -2 && text.find('.') != std::string::npos &&
          text.find_first_of("eE") == std::string::npos) {
        while (!text.empty() && text.back() == '0') text.pop_back();
        if (!text.empty() && text.back() == '.') text.pop_back();
      }
      ++counter;
      t.hasLabel = true;
      t.label = s.labelType == ftUserText ? UserTickItem(s.userTickText, counter)
                                          : ApplyInscript(text, s.scaleInscript);
    }
    plan.ticks.push_back(std::move(t));
  };

  // mult grows by 10 per pass and overflows to infinity at the latest, which ends the loop.
  do {
    emit(1, true);
    if (intermediate)
      for (int i = 2; i <= 9; ++i) emit(i, i == 2 || i == 5);
    mult *= 10;
  } while (hi >= kLogSlack * base * mult && plan.ticks.size() < kMaxPlannedTicks);
  return plan;
}

TickPlan PlanScaleTicks(const ScaleTickSettings& s) {
  if (s.labelType == ftDateTime) return PlanDateTimeTicks(s);
  if (s.labelType == ftTime) {
    if (auto plan = PlanTimeTicks(s)) return std::move(*plan);
  }
  return s.logarithmic ? PlanLogTicks(s) : PlanLinearTicks(s);
}

std::vector<std::string> ScaleMessageLines(ScaleMessage m, bool vertical) {
  switch (m) {
    case ScaleMessage::InvalidDateTime:
      if (vertical) return {"invalid", "DateTime", "scale"};
      return {"invalid DateTime scale"};
    case ScaleMessage::BelowOneSecond:
      if (vertical) return {"DateTime", "range is", "below 1", "second"};
      return {"DateTime range is below 1 second"};
    case ScaleMessage::None:
      break;
  }
  return {};
}

}  // namespace dendrokit
