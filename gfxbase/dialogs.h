// The information message box, with a hook that lets tests and non-interactive callers
// receive the message instead of a modal box.
#pragma once

#include "gfxbase/export.h"

#include <functional>
#include <string>

namespace dendrokit {

using TInformationHandler =
    std::function<void(const std::string& caption, const std::string& text)>;

// Shows text in a modal information box with a single OK button, or passes it to the
// installed handler.
DENDROKIT_EXPORT void ShowInformation(const std::string& text, const std::string& caption = "Information");

// Installs a handler that receives every information message instead of the modal box and
// returns the previous one; an empty handler brings the modal box back.
DENDROKIT_EXPORT TInformationHandler SetInformationHandler(TInformationHandler handler);

}  // namespace dendrokit
