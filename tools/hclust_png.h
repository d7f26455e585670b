// The dendrogram of the tool's data as a PNG picture, drawn by the library's dendrogram
// control off-screen (no display needed). Without Qt the tool is built without it.
#pragma once

#include <string>
#include <vector>

#include "cluster/hclust.h"

namespace dendrokit::tools {

// What the control needs to cluster the data as the tool did.
struct Picture {
  const TMatrix* data = nullptr;
  TDistMode mode = dmEuclid;
  TClusterMethod method = cmWard;
  double alpha = 0.5;
  TOnCalcDistanceEvent measure;  // for dmUserDef
  const std::vector<std::string>* labels = nullptr;
};

// Writes the picture to path; returns "" on success, otherwise the message for the user
// (starting with "cannot write" when the file could not be written).
std::string WritePng(const Picture& picture, const std::string& path);

}  // namespace dendrokit::tools
