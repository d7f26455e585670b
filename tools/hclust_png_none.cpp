#include "tools/hclust_png.h"

namespace dendrokit::tools {

std::string WritePicture(const Picture&, const PictureOptions&) {
  return "pictures (--png, --svg, --pdf, --plot) are not available: this hclust was built "
         "without Qt";
}

}  // namespace dendrokit::tools
