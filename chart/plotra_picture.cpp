#include "chart/plotra_picture.h"

#include <QImageReader>
#include <QString>

namespace dendrokit {

std::optional<QImage> LoadBackgroundPicture(const std::string& fileName) {
  if (fileName.empty()) return std::nullopt;
  QImageReader reader(QString::fromStdString(fileName));
  if (!reader.canRead()) return std::nullopt;
  // The declared size decides before decoding: a small file may claim a huge picture.
  const QSize declared = reader.size();
  if (declared.isValid()) {
    if (declared.width() <= 0 || declared.height() <= 0 ||
        static_cast<long long>(declared.width()) * declared.height() > kMaxBackgroundPixels)
      return std::nullopt;
  }
  QImage image;
  if (!reader.read(&image) || image.isNull()) return std::nullopt;
  if (static_cast<long long>(image.width()) * image.height() > kMaxBackgroundPixels)
    return std::nullopt;
  if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
    image = image.convertToFormat(QImage::Format_RGB32);
  return image;
}

}  // namespace dendrokit
