#include "chart/plotra_picture.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QString>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace dendrokit {

namespace {

// The file opened for reading if it is a regular file, else nothing. Opened without blocking
// and checked on the open descriptor: a FIFO would block the GUI thread until a writer came,
// and a device may never end.
bool OpenRegularFile(const std::string& fileName, QFile& file) {
#ifdef Q_OS_UNIX
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return false;
  }
  return true;
#else
  // Without descriptors: checked by name just before opening.
  file.setFileName(QString::fromStdString(fileName));
  return QFileInfo(file).isFile() && file.open(QIODevice::ReadOnly);
#endif
}

}  // namespace

std::optional<QImage> LoadBackgroundPicture(const std::string& fileName) {
  if (fileName.empty()) return std::nullopt;
  QFile file;
  if (!OpenRegularFile(fileName, file)) return std::nullopt;
  QImageReader reader(&file);
  // The pixel limit is the only limit: Qt's own allocation limit (128 MB by default) would
  // refuse a picture within it, depending on the format the picture decodes to.
  reader.setAllocationLimit(static_cast<int>(kMaxBackgroundPixels * kMaxBytesPerPixel >> 20));
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
