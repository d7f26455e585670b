// Reading the chart's background picture.
#pragma once

#include "gfxbase/export.h"

#include <optional>
#include <string>

#include <QImage>

namespace dendrokit {

// Largest background picture the chart decodes: 64 million pixels (256 MB at 32 bits),
// far beyond any screen, far below what a forged header can ask for.
inline constexpr long long kMaxBackgroundPixels = 64LL * 1024 * 1024;

// The picture in a file as a 32-bit image, or nullopt when the file cannot be read, is
// not an image, or declares a size above kMaxBackgroundPixels (checked from the header,
// before any pixel memory is taken).
DENDROKIT_EXPORT std::optional<QImage> LoadBackgroundPicture(const std::string& fileName);

}  // namespace dendrokit
