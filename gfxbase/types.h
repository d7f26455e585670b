// Basic value types and handler signatures shared by every component.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace dendrokit {

class TObject;

// 0x00BBGGRR; values with the high byte 0xFF name a system colour (index in the low byte).
using TColor = std::uint32_t;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

using TNotifyEvent = std::function<void(TObject* sender)>;
using TOnPercentDoneEvent = std::function<void(TObject* sender, int percentDone)>;
// Sender is the data matrix whose rows Row1 and Row2 are compared.
using TOnCalcDistanceEvent =
    std::function<void(TObject* sender, int row1, int row2, double& distance)>;
using TSortExchgEvent = std::function<void(TObject* sender, std::uint8_t exchgWhat, int index1,
                                           int index2, int first, int last)>;
using TExportTextEvent =
    std::function<void(TObject* sender, int mode, int index, std::string& outText)>;

}  // namespace dendrokit
