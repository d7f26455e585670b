// The dendrogram of a finished tree as a PNG picture, drawn by the library's dendrogram
// control off-screen. Without Qt the tool is built without it and says so.
#pragma once

#include <string>

#include "tools/tree_format.h"

namespace dendrokit::tools {

// Writes the picture; returns "" on success, otherwise the message for the user ("cannot
// write ..." when the file could not be written).
std::string WritePng(const Tree& tree, const std::string& path);

}  // namespace dendrokit::tools
