#include "gfxbase/imageexport.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <new>

#include <QBuffer>
#include <QImageWriter>
#include <QPageSize>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "gfxbase/canvas.h"
#include "gfxbase/errors.h"
#include "gfxbase/safefile.h"

namespace dendrokit {

namespace {

// Larger PNG pictures than this many physical pixels are refused before allocating.
constexpr double kMaxPngPixels = 512.0 * 1024.0 * 1024.0 / 4.0;

std::string Lower(std::string s) {
  for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return s;
}

int VectorResolution(const TImageOptions& o) {
  return o.Resolution > 0 ? std::clamp(o.Resolution, 10, 2400) : ScreenPixelsPerInch();
}

}  // namespace

TImageFormat ImageFormatOf(const std::string& path) {
  if (path.empty()) throw EVELError(TSafeFile::Failure(path, "the file name is empty"));
  const auto slash = path.rfind('/');
  const auto dot = path.rfind('.');
  const std::string ext =
      dot == std::string::npos || (slash != std::string::npos && dot < slash) ? ""
                                                                               : Lower(path.substr(dot));
  if (ext == ".png") return ifPng;
  if (ext == ".svg") return ifSvg;
  if (ext == ".pdf") return ifPdf;
  throw EVELError(TSafeFile::Failure(path, "the name does not end in .png, .svg or .pdf"));
}

QByteArray RenderImage(TImageFormat format, int width, int height, const TImageOptions& options,
                       const TRenderProc& render) {
  if (width <= 0 || height <= 0) throw EVELError("the picture has no pixels (size 0)");
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  const QString title = QString::fromStdString(options.Title);
  switch (format) {
    case ifPng: {
      const int ratio = std::clamp(options.PixelRatio, 1, 16);
      if (static_cast<double>(width) * ratio * static_cast<double>(height) * ratio > kMaxPngPixels)
        throw EVELError("the picture is too large for PNG (" + std::to_string(width * 1LL * ratio) +
                        " x " + std::to_string(height * 1LL * ratio) + " pixels)");
      QImage image;
      {
        TBitmap bitmap(width, height, ratio);
        if (bitmap.Empty()) throw std::bad_alloc();
        render(bitmap.Canvas());
        image = bitmap.Image();
      }  // the picture's only owner now: setting its resolution copies nothing
      if (image.isNull()) throw std::bad_alloc();
      // Printed, the picture keeps the size it has on screen.
      const int dpm = static_cast<int>(std::lround(ScreenPixelsPerInch() * ratio / 0.0254));
      image.setDotsPerMeterX(dpm);
      image.setDotsPerMeterY(dpm);
      QImageWriter writer(&buffer, "png");
      if (!title.isEmpty()) writer.setText("Title", title);
      if (!writer.write(image)) throw EVELError("PNG: " + writer.errorString().toStdString());
      break;
    }
    case ifSvg: {
      const int dpi = VectorResolution(options);
      QSvgGenerator svg;
      svg.setOutputDevice(&buffer);
      svg.setSize(QSize(width, height));
      svg.setViewBox(QRect(0, 0, width, height));
      svg.setResolution(dpi);
      svg.setTitle(title);
      QPainter painter;
      if (!painter.begin(&svg)) throw EVELError("SVG: the picture could not be started");
      {
        TCanvas canvas(&painter, true, width, height, dpi);
        render(canvas);
      }
      painter.end();
      break;
    }
    case ifPdf: {
      const int dpi = VectorResolution(options);
      QPdfWriter pdf(&buffer);
      pdf.setResolution(dpi);
      pdf.setCreator("dendrokit");
      pdf.setTitle(title);
      pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
      pdf.setPageSize(QPageSize(QSizeF(width * 72.0 / dpi, height * 72.0 / dpi), QPageSize::Point,
                                QString(), QPageSize::ExactMatch));
      QPainter painter;
      if (!painter.begin(&pdf)) throw EVELError("PDF: the picture could not be started");
      {
        TCanvas canvas(&painter, true, width, height, dpi);
        render(canvas);
      }
      painter.end();
      break;
    }
  }
  buffer.close();
  return bytes;
}

void SaveRenderedImage(const std::string& path, int width, int height,
                       const TImageOptions& options, const TRenderProc& render) {
  const TImageFormat format = ImageFormatOf(path);
  // Opened first, so a name that cannot be written is refused before the drawing.
  TSafeFile file(path);
  QByteArray bytes;
  try {
    bytes = RenderImage(format, width, height, options, render);
  } catch (const std::bad_alloc&) {
    throw EVELError(TSafeFile::Failure(path, "not enough memory"));
  } catch (const EVELError& e) {
    throw EVELError(TSafeFile::Failure(path, e.what()));
  }
  file.Write(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  file.Commit();
}

bool PainterIsPrinter(const QPainter& painter) {
  const QPaintEngine* engine = painter.paintEngine();
  if (engine == nullptr) return false;
  switch (engine->type()) {
    case QPaintEngine::Pdf:
    case QPaintEngine::SVG:
    case QPaintEngine::Picture:
    case QPaintEngine::MacPrinter:
      return true;
    default:
      return painter.device() != nullptr && painter.device()->devType() == QInternal::Printer;
  }
}

int PainterResolution(const QPainter& painter) {
  const QPaintDevice* device = painter.device();
  const int dpi = device != nullptr ? device->logicalDpiY() : ScreenPixelsPerInch();
  const QTransform t = painter.combinedTransform();
  const double scale = std::sqrt(std::abs(t.determinant()));
  if (!(scale > 1e-6) || !std::isfinite(scale)) return std::max(dpi, 1);
  return std::max(1, RoundPixel(dpi / scale));
}

}  // namespace dendrokit
