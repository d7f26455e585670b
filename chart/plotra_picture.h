// Reading the chart's background picture.
#pragma once

#include "gfxbase/export.h"

#include <optional>
#include <string>

#include <QImage>

namespace dendrokit {

// Largest background picture the chart decodes: 32 Mi pixels (128 MB at 32 bits), an 8K
// screen and more, far below what a forged header can ask for. Every picture within it is
// decoded, whatever format it decodes to (up to kMaxBytesPerPixel, 16-bit and float formats).
inline constexpr long long kMaxBackgroundPixels = 32LL * 1024 * 1024;
inline constexpr long long kMaxBytesPerPixel = 16;

// The picture in a file as a 32-bit image, or nullopt when the file is not a regular file
// (a FIFO or a device is refused without waiting on it), cannot be read, is not an image, or
// declares a size above kMaxBackgroundPixels (checked from the header, before any pixel
// memory is taken).
DENDROKIT_EXPORT std::optional<QImage> LoadBackgroundPicture(const std::string& fileName);

}  // namespace dendrokit
