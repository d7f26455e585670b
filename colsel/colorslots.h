// The colour table behind a colour selector: 255 slots of colour and display name, how many
// of them are listed, which one is selected, and the rules that change them. Qt-free so that
// the selection rules can be tested without a display.
#pragma once

#include "gfxbase/export.h"

#include <array>
#include <functional>
#include <string>

#include "gfxbase/types.h"

namespace dendrokit {

// Turns a colour into plain RGB (0x00BBGGRR); symbolic system colours resolve to their
// current value, everything else passes unchanged.
using TColorResolver = std::function<TColor(TColor color)>;
// Called with the name a replaced slot is about to get; may change it.
using TColorNameHook = std::function<void(std::string& colorName)>;

class DENDROKIT_EXPORT TColorSlots {
 public:
  static constexpr int SlotCount = 255;
  static constexpr int DefaultNumColors = 20;

  // Slots 1..47 hold the standard colours under their identifiers, the rest black.
  TColorSlots();

  // Slot numbers are 1-based; reads outside 1..255 give black and an empty name.
  TColor Color(int slot) const;
  const std::string& Name(int slot) const;

  int NumColors() const { return numColors_; }
  // A value outside 1..255 is ignored (returns false). Otherwise stores it and selects
  // slot 1, also when the value is the current one: the list is rebuilt on every write.
  bool SetNumColors(int numColors);

  int SelectedSlot() const { return selected_; }
  // Selection by the user; a slot outside 1..NumColors is ignored.
  void SelectSlot(int slot);

  // The selected slot's colour as stored (a symbolic colour stays symbolic).
  TColor SelColor() const { return Color(selected_); }
  // Selects the first listed slot whose RGB equals the RGB of value. When none does, the
  // selected slot takes value unchanged and the colour name of its RGB, passed through
  // nameHook first when one is given; the selection stays.
  void SetSelColor(TColor value, const TColorResolver& toRgb, const TColorNameHook& nameHook);

 private:
  struct Slot {
    TColor color = 0;
    std::string name;
  };
  std::array<Slot, SlotCount> slots_;
  int numColors_ = DefaultNumColors;
  int selected_ = 1;
};

}  // namespace dendrokit
