// The dendrogram of the tree hclust computed, as a PNG, SVG or PDF picture, drawn by the
// library's dendrogram control off-screen (no display needed) from the tree itself: nothing
// is clustered again. Without Qt the tool is built without it.
#pragma once

#include <string>
#include <vector>

#include "tools/tree_format.h"

namespace dendrokit::tools {

struct PictureOptions {
  std::string path;         // the format comes from the extension unless given
  std::string format;       // "png", "svg", "pdf" or "" (by extension)
  int width = 0, height = 0;  // pixels of the picture; 0: from the number of objects
  int pixelRatio = 1;       // PNG: physical pixels per pixel
  char orientation = 'l';   // where the leaves are: l(eft), r(ight), t(op), b(ottom)
  std::string title;
  bool labels = true;
};

// What is drawn: the tree, and with a cut (into cutK clusters, or at cutHeight when cutK is
// 0 and the height is not NaN) its clusters in colours and the cut line.
struct Picture {
  const Tree* tree = nullptr;
  int cutK = 0;
  double cutHeight = 0.0;
};

// Writes the picture; returns "" on success, otherwise the one-line message for the user,
// which starts with "cannot write" when the file could not be written (the old file, if
// any, is then left as it was).
std::string WritePicture(const Picture& picture, const PictureOptions& options);

}  // namespace dendrokit::tools
