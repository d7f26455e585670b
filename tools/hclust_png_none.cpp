#include "tools/hclust_png.h"

namespace dendrokit::tools {

std::string WritePng(const Picture&, const std::string&) {
  return "--png is not available: this hclust was built without Qt";
}

}  // namespace dendrokit::tools
