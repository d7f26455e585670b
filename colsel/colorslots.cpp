#include "colsel/colorslots.h"

#include "gfxbase/stdcolors.h"

namespace dendrokit {

TColorSlots::TColorSlots() {
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    if (i < StdColors.size()) {
      slots_[i] = {StdColors[i].value, std::string(StdColors[i].ident)};
    } else {
      slots_[i] = {0, "clBlack"};
    }
  }
}

TColor TColorSlots::Color(int slot) const {
  if (slot < 1 || slot > SlotCount) return 0;
  return slots_[std::size_t(slot - 1)].color;
}

const std::string& TColorSlots::Name(int slot) const {
  static const std::string empty;
  if (slot < 1 || slot > SlotCount) return empty;
  return slots_[std::size_t(slot - 1)].name;
}

bool TColorSlots::SetNumColors(int numColors) {
  if (numColors < 1 || numColors > SlotCount) return false;
  numColors_ = numColors;
  selected_ = 1;
  return true;
}

void TColorSlots::SelectSlot(int slot) {
  if (slot >= 1 && slot <= numColors_) selected_ = slot;
}

void TColorSlots::SetSelColor(TColor value, const TColorResolver& toRgb,
                              const TColorNameHook& nameHook) {
  const auto rgb = [&toRgb](TColor c) { return toRgb ? toRgb(c) : c; };
  const TColor wanted = rgb(value);
  for (int slot = 1; slot <= numColors_; ++slot) {
    if (rgb(slots_[std::size_t(slot - 1)].color) == wanted) {
      selected_ = slot;
      return;
    }
  }
  std::string name = ColorToText(wanted);
  if (nameHook) nameHook(name);
  slots_[std::size_t(selected_ - 1)] = {value, std::move(name)};
}

}  // namespace dendrokit
