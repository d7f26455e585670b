// The drawing layer every control paints through: pen, brush, font, a canvas with the
// pixel conventions the controls rely on, off-screen bitmaps and a PDF "printer" canvas.
//
// Pixel conventions (antialiasing off for lines, shapes and pixels):
// - LineTo draws from the current point up to, but not including, its end point.
// - Rectangle/Ellipse/FillRect (x1, y1, x2, y2) cover x1..x2-1 x y1..y2-1; the outline is
//   drawn with the pen, the interior with the brush (nothing with a clear brush).
// - TextOut (x, y) places the top-left corner of the text box at (x, y); with a solid brush
//   the text box is first filled with the brush colour.
// - Pen mode pmXor XORs the pen (and brush) colour into the picture, so drawing the same
//   figure twice restores every pixel.
#pragma once

#include "gfxbase/export.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include <QColor>
#include <QFont>
#include <QImage>

#include "gfxbase/component.h"
#include "gfxbase/graphics_types.h"
#include "gfxbase/types.h"

class QPainter;
class QPaintDevice;
class QPdfWriter;
class QBuffer;
class QByteArray;
class QFontMetrics;

namespace dendrokit {

// ---- Colours -------------------------------------------------------------------------

// Classic system colour identifiers (high byte 0xFF, palette index in the low byte).
inline constexpr TColor clScrollBar = 0xFF000000;
inline constexpr TColor clBackground = 0xFF000001;
inline constexpr TColor clActiveCaption = 0xFF000002;
inline constexpr TColor clInactiveCaption = 0xFF000003;
inline constexpr TColor clMenu = 0xFF000004;
inline constexpr TColor clWindow = 0xFF000005;
inline constexpr TColor clWindowFrame = 0xFF000006;
inline constexpr TColor clMenuText = 0xFF000007;
inline constexpr TColor clWindowText = 0xFF000008;
inline constexpr TColor clCaptionText = 0xFF000009;
inline constexpr TColor clActiveBorder = 0xFF00000A;
inline constexpr TColor clInactiveBorder = 0xFF00000B;
inline constexpr TColor clAppWorkSpace = 0xFF00000C;
inline constexpr TColor clHighlight = 0xFF00000D;
inline constexpr TColor clHighlightText = 0xFF00000E;
inline constexpr TColor clBtnFace = 0xFF00000F;
inline constexpr TColor clBtnShadow = 0xFF000010;
inline constexpr TColor clGrayText = 0xFF000011;
inline constexpr TColor clBtnText = 0xFF000012;
inline constexpr TColor clInactiveCaptionText = 0xFF000013;
inline constexpr TColor clBtnHighlight = 0xFF000014;
inline constexpr TColor cl3DDkShadow = 0xFF000015;
inline constexpr TColor cl3DLight = 0xFF000016;
inline constexpr TColor clInfoText = 0xFF000017;
inline constexpr TColor clInfoBk = 0xFF000018;

// Plain colour 0x00BBGGRR of any TColor. System colours (0xFF0000nn, nn = 0..24) come
// from the application palette (a fixed classic table when no application exists);
// clNone gives white, clDefault black, and any other value with a non-zero high byte its
// low 24 bits, so no value ever yields garbage.
DENDROKIT_EXPORT TColor ColorToRGB(TColor color);
// The opaque QColor of ColorToRGB(color).
DENDROKIT_EXPORT QColor ColorToQColor(TColor color);
// 0x00BBGGRR of a QColor (alpha dropped).
DENDROKIT_EXPORT TColor QColorToColor(const QColor& color);
// Builds 0x00BBGGRR from components 0..255.
constexpr TColor RGBColor(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return TColor{r} | (TColor{g} << 8) | (TColor{b} << 16);
}

// ---- Pen, brush, font ------------------------------------------------------------------

// Common base of pen, brush and font: a change counter the canvas uses to rebuild its
// drawing state only when needed, and an OnChange notification raised after each change.
class DENDROKIT_EXPORT TGraphicsObject : public TPersistent {
 public:
  std::string_view ClassName() const override { return "TGraphicsObject"; }
  // Increases with every change; a canvas compares it against what it applied last.
  std::uint64_t Generation() const { return generation_; }

  TNotifyEvent OnChange;

 protected:
  void Changed();

 private:
  std::uint64_t generation_ = 1;
};

class DENDROKIT_EXPORT TPen : public TGraphicsObject {
 public:
  std::string_view ClassName() const override { return "TPen"; }
  void Assign(const TPersistent* source) override;

  TColor Color() const { return color_; }
  void SetColor(TColor value);
  // Line width in pixels; values below 1 are taken as 1.
  int Width() const { return width_; }
  void SetWidth(int value);
  TPenStyle Style() const { return style_; }
  // An ordinal outside TPenStyle is ignored.
  void SetStyle(TPenStyle value);
  TPenMode Mode() const { return mode_; }
  // An ordinal outside TPenMode is ignored.
  void SetMode(TPenMode value);

 private:
  TColor color_ = 0;
  int width_ = 1;
  TPenStyle style_ = psSolid;
  TPenMode mode_ = pmCopy;
};

class DENDROKIT_EXPORT TBrush : public TGraphicsObject {
 public:
  std::string_view ClassName() const override { return "TBrush"; }
  void Assign(const TPersistent* source) override;

  TColor Color() const { return color_; }
  void SetColor(TColor value);
  TBrushStyle Style() const { return style_; }
  // An ordinal outside TBrushStyle is ignored.
  void SetStyle(TBrushStyle value);

 private:
  TColor color_ = 0x00FFFFFF;
  TBrushStyle style_ = bsSolid;
};

// A font described by family name, pixel height (authoritative) and point size derived
// through PixelsPerInch. Families that are not installed ("MS Sans Serif") fall back to the
// system's sans-serif face through Qt's font matching.
class DENDROKIT_EXPORT TFont : public TGraphicsObject {
 public:
  TFont();
  std::string_view ClassName() const override { return "TFont"; }
  void Assign(const TPersistent* source) override;

  const std::string& Name() const { return name_; }
  void SetName(const std::string& value);
  // Height of the em square in pixels (always positive; a negative value sets its
  // magnitude, 0 is ignored).
  int Height() const { return height_; }
  void SetHeight(int value);
  // Size in points at PixelsPerInch: round(Height * 72 / PixelsPerInch).
  int Size() const;
  // Sets Height = round(|value| * PixelsPerInch / 72) (at least 1); 0 is ignored.
  void SetSize(int value);
  // Resolution used to convert between points and pixels (the screen's by default).
  int PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int value);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles value);
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  // Text direction in tenths of a degree counter-clockwise; 900 gives text that runs
  // upward from its start point. Taken modulo 3600.
  int Orientation() const { return orientation_; }
  void SetOrientation(int tenthsOfDegree);

  // The font as Qt draws it (pixel size = Height).
  const QFont& QtFont() const;
  // Increases only when the glyphs change (name, height, resolution, style), not with the
  // colour or the direction, so canvases keep their measurements and laid-out text.
  std::uint64_t ShapeGeneration() const { return shapeGeneration_; }

 private:
  void ShapeChanged();

  std::uint64_t shapeGeneration_ = 1;
  std::string name_;
  int height_ = 13;
  int pixelsPerInch_ = 96;
  TFontStyles style_ = 0;
  TColor color_ = 0;
  int orientation_ = 0;
  mutable QFont qfont_;
  mutable std::uint64_t qfontGeneration_ = 0;
};

class TBitmap;

// ---- Canvas ----------------------------------------------------------------------------

// Draws on a QImage (an off-screen bitmap or a control's shown image) or on a paint device
// such as a PDF page. The canvas does not own its target. Drawing state lives in Pen(),
// Brush() and Font(); the current point in PenPos().
class DENDROKIT_EXPORT TCanvas : public TPersistent {
 public:
  // Canvas of an image; images in formats other than 32-bit RGB are converted in place.
  // A printer canvas on an image draws the printer's variants with inspectable pixels.
  explicit TCanvas(QImage* image, bool isPrinter = false);
  // Canvas of a general paint device (a printer page when isPrinter is true).
  TCanvas(QPaintDevice* device, bool isPrinter);
  // Canvas drawing through a painter the caller has begun (an SVG or PDF page, a QPrinter,
  // any device): the painter's state is saved here and given back by the destructor, and
  // the painter is never ended. Canvas coordinates go through the painter's transform as it
  // was; width x height is the logical size drawn and resolution the dots per inch of one
  // canvas unit (what printed labels keep their point size against).
  TCanvas(QPainter* painter, bool isPrinter, int width, int height, int resolution);
  ~TCanvas() override;
  std::string_view ClassName() const override { return "TCanvas"; }

  TPen& Pen() { return pen_; }
  const TPen& Pen() const { return pen_; }
  TBrush& Brush() { return brush_; }
  const TBrush& Brush() const { return brush_; }
  TFont& Font() { return font_; }
  const TFont& Font() const { return font_; }

  TPoint PenPos() const { return penPos_; }
  void SetPenPos(TPoint value) { penPos_ = value; }

  void MoveTo(int x, int y);
  // Draws from PenPos to (x, y) without (x, y) itself, then moves PenPos there.
  void LineTo(int x, int y);
  // Joins the points with LineTo; the last point is not drawn.
  void Polyline(std::span<const TPoint> points);
  // Closed outline in the pen, filled with the brush.
  void Polygon(std::span<const TPoint> points);
  void Rectangle(int x1, int y1, int x2, int y2);
  void Rectangle(const TRect& rect) { Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom); }
  void Ellipse(int x1, int y1, int x2, int y2);
  void Ellipse(const TRect& rect) { Ellipse(rect.Left, rect.Top, rect.Right, rect.Bottom); }
  // Elliptic arc on the ellipse of (x1, y1, x2, y2), counter-clockwise from the ray through
  // (x3, y3) to the ray through (x4, y4), in the pen.
  void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  // Fills the rectangle with the brush; the pen is not used.
  void FillRect(const TRect& rect);

  // Colour of one pixel; clNone outside the picture or on a device without pixels.
  TColor Pixel(int x, int y) const;
  // Writes one pixel in the given colour (copy mode); outside the picture nothing happens.
  void SetPixel(int x, int y, TColor color);

  // Writes text (UTF-8) with its top-left corner at (x, y) in the font and font colour.
  void TextOut(int x, int y, const std::string& text);
  int TextWidth(const std::string& text) const;
  int TextHeight(const std::string& text) const;
  // Whether TextOut draws strings of decimal digits in the current font as one run of the
  // font's digit glyphs at their summed advances (fonts that do not kern digits), which
  // TDigitAtlas reproduces.
  bool DigitGlyphRuns() const;

  // Copies the bitmap 1:1 with its top-left corner at (x, y).
  void Draw(int x, int y, const TBitmap& bitmap);
  void Draw(int x, int y, const QImage& image);
  // Scales the bitmap into rect (Right/Bottom exclusive), nearest-neighbour.
  void StretchDraw(const TRect& rect, const TBitmap& bitmap);
  void StretchDraw(const TRect& rect, const QImage& image);

  bool IsPrinter() const { return isPrinter_; }
  // Dots per inch of the target; a screen image reports the screen's resolution.
  int VertResolution() const;
  int HorzResolution() const;
  // Size of the target in pixels (logical pixels on an image with a pixel ratio).
  int Width() const;
  int Height() const;

  // Physical pixels per logical pixel along each axis (the image's device-pixel ratio,
  // 1 on a general device): coordinates stay logical, text and shapes are drawn at the
  // physical resolution, and a 1-pixel line is PixelRatio() image pixels wide.
  int PixelRatio() const;
  // The image drawn on, or nullptr for a general device.
  QImage* Image() const { return image_; }
  // Ends any painting in progress so the target can be resized, copied or shown.
  void Release();
  // Whether a QPainter is active on the target.
  bool Painting() const;
  // The QPainter drawing on the target, begun on demand (nullptr without a target). For
  // drawing the canvas does not offer; such drawing does not raise OnChange.
  QPainter* QtPainter();
  // Points the canvas at another image (keeps pen, brush, font and PenPos).
  void SetImage(QImage* image);
  // Painter canvases only: moves the origin to (r.Left, r.Top), clips to r and reports r's
  // size as Width/Height until EndViewport, so a part drawn on its own image elsewhere
  // (the chart area) lands in place on a vector page.
  void BeginViewport(const TRect& r);
  void EndViewport();
  // Whether the canvas draws through a caller's painter (vector pages, printers).
  bool OnPainter() const { return borrowed_ != nullptr; }

  // Raised after every drawing operation (controls use it to show their image again).
  TNotifyEvent OnChange;

 private:
  bool Ready() const;
  QPainter& Painter();
  void ApplyPen();
  void ApplyBrush();
  void ApplyMode();
  bool DirectPixels() const;
  void PutPixel(int x, int y, std::uint32_t rgb, bool xorMode);
  void DirectLine(int x0, int y0, int x1, int y1);
  void DirectFill(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                  TColor color, bool xorMode);
  void DirectFillPhysical(std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b,
                          std::uint32_t qrgb, bool xorMode);
  const QFontMetrics& Metrics() const;
  struct TextCache;
  TextCache& Text() const;
  void Notify();

  QImage* image_ = nullptr;
  QPaintDevice* device_ = nullptr;
  QPainter* borrowed_ = nullptr;  // the caller's painter (never ended here)
  int logicalWidth_ = 0, logicalHeight_ = 0, resolution_ = 0;
  std::vector<TPoint> viewports_;  // sizes saved by BeginViewport
  bool isPrinter_ = false;
  int ratio_ = 1;  // PixelRatio() of the image, fixed when the image is set
  TPen pen_;
  TBrush brush_;
  TFont font_;
  TPoint penPos_;
  std::unique_ptr<QPainter> painter_;
  std::uint64_t appliedPen_ = 0;
  std::uint64_t appliedBrush_ = 0;
  mutable std::unique_ptr<QFontMetrics> metrics_;
  mutable std::uint64_t metricsGeneration_ = 0;
  mutable std::unique_ptr<TextCache> text_;
  mutable std::vector<std::unique_ptr<TextCache>> spareText_;  // other faces, latest first
  std::uint64_t appliedFont_ = 0;   // shape generation of the painter's font
  TColor textPenColor_ = 0;         // valid while appliedPen_ == kTextPen
};

// ---- Bitmap ----------------------------------------------------------------------------

// An off-screen 32-bit picture with its own canvas. Resizing keeps the overlapping part of
// the picture and fills new area with white.
class DENDROKIT_EXPORT TBitmap : public TPersistent {
 public:
  TBitmap();
  // pixelRatio: physical pixels per logical pixel (see TCanvas::PixelRatio); sizes and
  // coordinates are logical.
  TBitmap(int width, int height, int pixelRatio = 1);
  ~TBitmap() override;
  std::string_view ClassName() const override { return "TBitmap"; }
  // Copies the picture (not the canvas state) of another bitmap.
  void Assign(const TPersistent* source) override;

  int Width() const;
  int Height() const;
  int PixelRatio() const { return ratio_; }
  // Reallocates the picture at the new ratio (white, same logical size).
  void SetPixelRatio(int value);
  // Negative sizes are taken as 0.
  void SetWidth(int value);
  void SetHeight(int value);
  void SetSize(int width, int height);
  bool Empty() const { return image_.isNull(); }

  TCanvas& Canvas() { return *canvas_; }
  // The picture; painting in progress is finished first.
  const QImage& Image() const;

  // Loads a picture file (BMP, PNG and the other formats Qt reads). Returns false and
  // leaves the bitmap unchanged when the file cannot be read; never throws.
  bool LoadFromFile(const std::string& fileName);
  // Writes the picture in the format of the extension (PNG without one), whole or not at
  // all; false (and any old file unchanged) when it cannot be written.
  bool SaveToFile(const std::string& fileName) const;

 private:
  QImage image_;
  int ratio_ = 1;
  std::unique_ptr<TCanvas> canvas_;
};

// ---- Printer canvas -------------------------------------------------------------------

// A printer-like canvas writing a PDF file: IsPrinter() is true and VertResolution() is
// the writer's resolution. Pages are A4 portrait unless set otherwise.
class DENDROKIT_EXPORT TPdfPrinter {
 public:
  explicit TPdfPrinter(const std::string& fileName, int resolutionDpi = 300);
  ~TPdfPrinter();
  TPdfPrinter(const TPdfPrinter&) = delete;
  TPdfPrinter& operator=(const TPdfPrinter&) = delete;

  TCanvas& Canvas() { return *canvas_; }
  int PageWidth() const;
  int PageHeight() const;
  void NewPage();
  // Finishes the document and writes the file, whole or not at all (an old file stays when
  // it cannot be written): raises EVELError then. Called by the destructor too, which
  // reports a failure through qWarning.
  void EndDoc();

 private:
  std::string fileName_;
  std::unique_ptr<QByteArray> bytes_;
  std::unique_ptr<QBuffer> buffer_;
  std::unique_ptr<QPdfWriter> writer_;
  std::unique_ptr<TCanvas> canvas_;
  bool ended_ = false;
};

// ---- Fonts, locale, screen ---------------------------------------------------------------

// Installed font families, sorted as the font database lists them.
DENDROKIT_EXPORT std::vector<std::string> InstalledFontNames();
// Logical dots per inch of the primary screen (96 without a screen).
DENDROKIT_EXPORT int ScreenPixelsPerInch();
// The whole pixel ratio used for a device-pixel ratio: rounded, at least 1 (fractional
// screens get the next sharper whole ratio and Qt scales the picture down).
DENDROKIT_EXPORT int IntegerPixelRatio(double devicePixelRatio);
// Relative width and height of a screen pixel (equal on square-pixel screens).
struct DENDROKIT_EXPORT TPixelAspect {
  int X = 1;
  int Y = 1;
};
DENDROKIT_EXPORT TPixelAspect ScreenPixelAspect();
// Abbreviated month name (month 1..12) of the default locale; "" for other months.
DENDROKIT_EXPORT std::string ShortMonthName(int month);

// Rounds to the nearest integer, halves to even; NaN gives 0 and values outside the int
// range are clamped, so the conversion is always defined.
DENDROKIT_EXPORT int RoundPixel(double value);

}  // namespace dendrokit
