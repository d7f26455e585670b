// Pictures of the controls as files: PNG at a whole pixel ratio, SVG and PDF as vectors
// (lines as lines, text as text). Files are written safely (gfxbase/safefile.h): a failure
// leaves any old file as it was and raises EVELError with one line naming the cause.
#pragma once

#include "gfxbase/export.h"

#include <functional>
#include <string>

#include <QByteArray>

class QPainter;

namespace dendrokit {

class TCanvas;

enum TImageFormat { ifPng, ifSvg, ifPdf };
inline constexpr const char* kImageFormatNames[] = {"ifPng", "ifSvg", "ifPdf"};

struct DENDROKIT_EXPORT TImageOptions {
  // PNG: physical pixels per logical pixel (1..16); 2 or 3 give print-sharp pictures drawn
  // at that resolution, not an enlarged screen image.
  int PixelRatio = 1;
  // SVG and PDF: dots per inch of one pixel of the control; 0 takes the screen's, so the
  // page has the size the control has on screen and texts keep their point size.
  int Resolution = 0;
  // Draw the application's crosshair too (the other interaction state - rubber bands,
  // mouse traces - is never part of a picture).
  bool CrossHair = false;
  // Document title of SVG and PDF files.
  std::string Title;
};

// The format named by the file's extension (.png, .svg, .pdf, any case); other names raise
// EVELError.
DENDROKIT_EXPORT TImageFormat ImageFormatOf(const std::string& path);

// Draws a width x height picture through render: on an off-screen bitmap for PNG, on a
// printer-like vector canvas for SVG and PDF. Returns the file's bytes.
using TRenderProc = std::function<void(TCanvas&)>;
DENDROKIT_EXPORT QByteArray RenderImage(TImageFormat format, int width, int height,
                                        const TImageOptions& options, const TRenderProc& render);
// RenderImage in the format of path's extension, then written safely to path.
DENDROKIT_EXPORT void SaveRenderedImage(const std::string& path, int width, int height,
                                        const TImageOptions& options, const TRenderProc& render);

// Whether a painter draws on a printer-like target (PDF, SVG, printer, picture), where the
// printer variants of marks and scale labels apply.
DENDROKIT_EXPORT bool PainterIsPrinter(const QPainter& painter);
// Dots per inch of one unit of the painter's current coordinates (the device's resolution
// over the painter's scale).
DENDROKIT_EXPORT int PainterResolution(const QPainter& painter);

}  // namespace dendrokit
