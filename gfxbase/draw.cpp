#include "gfxbase/draw.h"

#include <QFontDatabase>
#include <QString>
#include <algorithm>
#include <array>
#include <climits>

#include "gfxbase/errors.h"

namespace dendrokit {
namespace {

// Coordinates at this distance from the int limits keep every mark offset (at most 8)
// and every frame step (at most 2) inside the int range.
constexpr int kCoordLimit = INT_MAX - 16;

int SafeCoord(int v) { return std::clamp(v, -kCoordLimit, kCoordLimit); }

// Glyph rows from top to bottom; bit 6 is the leftmost pixel.
using TGlyph = std::array<std::uint8_t, 7>;
constexpr TGlyph kGlyph1{0x00, 0x00, 0x08, 0x1C, 0x08, 0x00, 0x00};
constexpr TGlyph kGlyph2{0x00, 0x08, 0x08, 0x3E, 0x08, 0x08, 0x00};
constexpr TGlyph kGlyph3{0x08, 0x08, 0x08, 0x7F, 0x08, 0x08, 0x08};
constexpr TGlyph kGlyph4{0x00, 0x00, 0x14, 0x08, 0x14, 0x00, 0x00};
constexpr TGlyph kGlyph5{0x00, 0x22, 0x14, 0x08, 0x14, 0x22, 0x00};
constexpr TGlyph kGlyph6{0x41, 0x22, 0x14, 0x08, 0x14, 0x22, 0x41};
constexpr TGlyph kGlyph18{0x55, 0x2A, 0x55, 0x2A, 0x55, 0x2A, 0x55};

// Pixel by pixel, without allocation: marks are drawn thousands of times per repaint.
void DrawGlyph(TCanvas& canvas, const TGlyph& glyph, int x, int y) {
  const TColor color = canvas.Pen().Color();
  for (int r = 0; r < 7; ++r)
    for (int k = 0; k < 7; ++k)
      if (glyph[std::size_t(r)] & (1u << k)) canvas.SetPixel(x + 3 - k, y - 3 + r, color);
}

void Line(TCanvas& canvas, int x1, int y1, int x2, int y2) {
  canvas.MoveTo(x1, y1);
  canvas.LineTo(x2, y2);
}

void Plus(TCanvas& canvas, int x, int y, int d) {
  Line(canvas, x - d, y, x + d, y);
  Line(canvas, x, y - d, x, y + d);
}

void Cross(TCanvas& canvas, int x, int y, int d) {
  Line(canvas, x - d, y - d, x + d, y + d);
  Line(canvas, x - d, y + d, x + d, y - d);
}

// The plus of types 39 and 48: three pixels left and up, four right and down.
void ShortPlus(TCanvas& canvas, int x, int y) {
  Line(canvas, x - 3, y, x + 4, y);
  Line(canvas, x, y - 3, x, y + 4);
}

void LongPlus(TCanvas& canvas, int x, int y) {
  Line(canvas, x - 4, y, x + 5, y);
  Line(canvas, x, y - 4, x, y + 5);
}

void SquareByLines(TCanvas& canvas, int x, int y, int d) {
  canvas.MoveTo(x - d, y - d);
  canvas.LineTo(x - d, y + d);
  canvas.LineTo(x + d, y + d);
  canvas.LineTo(x + d, y - d);
  canvas.LineTo(x - d, y - d);
}

void DiamondByLines(TCanvas& canvas, int x, int y) {
  canvas.MoveTo(x - 3, y);
  canvas.LineTo(x, y + 3);
  canvas.LineTo(x + 3, y);
  canvas.LineTo(x, y - 3);
  canvas.LineTo(x - 3, y);
}

// A polygon filled with the brush and outlined through every vertex. The outline goes
// through LineTo (each edge drawn up to the next vertex, the closing edge back to the
// first) so that the mark's vertex pixels do not depend on how the painter rasterises
// polygon outlines.
template <std::size_t N>
void PolygonMark(TCanvas& canvas, const std::array<TPoint, N>& pts) {
  TPen& pen = canvas.Pen();
  if (canvas.Brush().Style() != bsClear) {
    const TPenStyle style = pen.Style();
    pen.SetStyle(psClear);
    canvas.Polygon(pts);
    pen.SetStyle(style);
  }
  canvas.MoveTo(pts[0].X, pts[0].Y);
  for (std::size_t i = 1; i < N; ++i) canvas.LineTo(pts[i].X, pts[i].Y);
  canvas.LineTo(pts[0].X, pts[0].Y);
}

void Triangle(TCanvas& canvas, TPoint a, TPoint b, TPoint c) {
  PolygonMark(canvas, std::array<TPoint, 3>{a, b, c});
}

void Diamond(TCanvas& canvas, int x, int y, int d) {
  PolygonMark(canvas, std::array<TPoint, 4>{{{x - d, y}, {x, y + d}, {x + d, y}, {x, y - d}}});
}

// Three parallel lines per diagonal; a and b are the far offsets.
void ThickCross(TCanvas& canvas, int x, int y, int a, int b) {
  Line(canvas, x - 3, y - 3, x + a, y + a);
  Line(canvas, x - 3, y - 2, x + b, y + a);
  Line(canvas, x - 2, y - 3, x + a, y + b);
  Line(canvas, x - 3, y + 3, x + a, y - a);
  Line(canvas, x - 3, y + 2, x + b, y - a);
  Line(canvas, x - 2, y + 3, x + a, y - b);
}

enum class TFill { None, Filled, Hollow };

TFill FillOf(std::uint8_t type) {
  switch (type) {
    case 7: case 8: case 9: case 14: case 15: case 24: case 26: case 28: case 29: case 30:
    case 34: case 36: case 41: case 43: case 45: case 47:
      return TFill::Filled;
    case 16: case 17: case 27: case 31: case 32: case 33: case 35: case 39: case 40: case 42:
    case 44: case 46: case 48: case 49:
      return TFill::Hollow;
    default:
      return TFill::None;
  }
}

void DrawShape(TCanvas& canvas, std::uint8_t type, int x, int y) {
  const bool printer = canvas.IsPrinter();
  switch (type) {
    case 0: canvas.SetPixel(x, y, canvas.Pen().Color()); break;
    case 1: printer ? Plus(canvas, x, y, 2) : DrawGlyph(canvas, kGlyph1, x, y); break;
    case 2: printer ? Plus(canvas, x, y, 3) : DrawGlyph(canvas, kGlyph2, x, y); break;
    case 3: printer ? Plus(canvas, x, y, 4) : DrawGlyph(canvas, kGlyph3, x, y); break;
    case 4: printer ? Cross(canvas, x, y, 2) : DrawGlyph(canvas, kGlyph4, x, y); break;
    case 5: printer ? Cross(canvas, x, y, 3) : DrawGlyph(canvas, kGlyph5, x, y); break;
    case 6: printer ? Cross(canvas, x, y, 4) : DrawGlyph(canvas, kGlyph6, x, y); break;
    case 7: canvas.Rectangle(x - 1, y - 1, x + 2, y + 2); break;
    case 8: canvas.Rectangle(x - 2, y - 2, x + 3, y + 3); break;
    case 9: canvas.Rectangle(x - 3, y - 3, x + 4, y + 4); break;
    case 10: SquareByLines(canvas, x, y, 1); break;
    case 11: SquareByLines(canvas, x, y, 2); break;
    case 12: SquareByLines(canvas, x, y, 3); break;
    case 13:
      DiamondByLines(canvas, x, y);
      canvas.SetPixel(x, y, canvas.Pen().Color());
      break;
    case 14: Diamond(canvas, x, y, 2); break;
    case 15: Diamond(canvas, x, y, 3); break;
    case 16: canvas.Ellipse(x - 2, y - 2, x + 3, y + 3); break;
    case 17: canvas.Ellipse(x - 3, y - 3, x + 4, y + 4); break;
    case 18:
      if (printer) {
        const TColor color = canvas.Pen().Color();
        for (int i = 1; i <= 7; ++i)
          for (int j = 1; j <= 7; ++j)
            if (i % 2 == j % 2) canvas.SetPixel(x + i - 4, y + j - 4, color);
      } else {
        DrawGlyph(canvas, kGlyph18, x, y);
      }
      break;
    case 19: DiamondByLines(canvas, x, y); break;
    case 20: case 21: {
      const int d = type == 20 ? 3 : 4;
      Line(canvas, x, y, x - d, y + d);
      Line(canvas, x, y, x + d, y + d);
      break;
    }
    case 22: case 23: {
      const int d = type == 22 ? 3 : 4;
      Line(canvas, x, y, x - d, y - d);
      Line(canvas, x, y, x + d, y - d);
      break;
    }
    case 24: canvas.Ellipse(x - 3, y - 3, x + 4, y + 4); break;
    case 25: printer ? ThickCross(canvas, x, y, 3, 2) : ThickCross(canvas, x, y, 4, 3); break;
    case 26: canvas.Ellipse(x - 2, y - 2, x + 3, y + 3); break;
    case 27: case 28: canvas.Ellipse(x - 2, y - 2, x + 2, y + 2); break;
    case 29: case 31: Triangle(canvas, {x - 2, y}, {x, y + 2}, {x + 2, y}); break;
    case 30: case 32: Triangle(canvas, {x - 3, y}, {x, y + 3}, {x + 3, y}); break;
    case 33: case 34: Triangle(canvas, {x - 4, y - 3}, {x, y + 4}, {x + 4, y - 3}); break;
    case 35: case 36: Triangle(canvas, {x - 4, y + 3}, {x, y - 4}, {x + 4, y + 3}); break;
    case 37:
      Line(canvas, x - 3, y, x + 4, y);
      Line(canvas, x, y, x, y - 8);
      break;
    case 38:
      Line(canvas, x - 3, y - 2, x + 4, y - 2);
      Line(canvas, x - 3, y + 2, x + 4, y + 2);
      Line(canvas, x, y - 2, x, y + 2);
      break;
    case 39:
      canvas.Ellipse(x - 3, y - 3, x + 4, y + 4);
      ShortPlus(canvas, x, y);
      break;
    case 40: case 41: Triangle(canvas, {x + 3, y - 2}, {x - 2, y}, {x + 3, y + 2}); break;
    case 42: case 43: Triangle(canvas, {x + 4, y - 3}, {x - 3, y}, {x + 4, y + 3}); break;
    case 44: case 45: Triangle(canvas, {x - 3, y - 2}, {x + 2, y}, {x - 3, y + 2}); break;
    case 46: case 47: Triangle(canvas, {x - 4, y - 3}, {x + 3, y}, {x - 4, y + 3}); break;
    case 48:
      canvas.Rectangle(x - 3, y - 3, x + 4, y + 4);
      ShortPlus(canvas, x, y);
      break;
    case 49:
      canvas.Rectangle(x - 2, y - 2, x + 3, y + 3);
      LongPlus(canvas, x, y);
      break;
    case 50:
      canvas.Brush().SetStyle(bsSolid);
      LongPlus(canvas, x, y);
      Line(canvas, x - 3, y - 3, x + 4, y + 4);
      Line(canvas, x - 3, y + 3, x + 4, y - 4);
      break;
    case 51:
      canvas.Brush().SetStyle(bsSolid);
      LongPlus(canvas, x, y);
      Line(canvas, x - 1, y - 3, x + 2, y - 3);
      Line(canvas, x - 1, y + 3, x + 2, y + 3);
      Line(canvas, x - 3, y - 1, x - 3, y + 2);
      Line(canvas, x + 3, y - 1, x + 3, y + 2);
      break;
    default: break;
  }
}

// UTF-8 of one character code 0..255 read as ISO 8859-1, built in place (at most two
// bytes: no allocation beyond the string's own small buffer).
std::string CharText(std::uint8_t code) {
  std::string s;
  if (code < 0x80) {
    s.push_back(char(code));
  } else {
    s.push_back(char(0xC0 | (code >> 6)));
    s.push_back(char(0x80 | (code & 0x3F)));
  }
  return s;
}

void DrawCharMark(TCanvas& canvas, std::uint8_t type, int x, int y) {
  const std::uint8_t code = (type >= 200 && type <= 209) ? std::uint8_t(type - 152) : type;
  const std::string text = CharText(code);
  const int w = canvas.TextWidth(text);
  const int h = canvas.TextHeight(text);
  canvas.Font().SetColor(canvas.Pen().Color());
  canvas.Brush().SetStyle(bsClear);
  const long long left = static_cast<long long>(x) - w / 2;
  const long long top = static_cast<long long>(y) - h / 2;
  canvas.TextOut(int(std::clamp<long long>(left, INT_MIN, INT_MAX)),
                 int(std::clamp<long long>(top, INT_MIN, INT_MAX)), text);
}

}  // namespace

void DrawRectOutline(TCanvas& canvas, int left, int top, int right, int bottom) {
  canvas.MoveTo(left, top);
  canvas.LineTo(left, bottom);
  canvas.LineTo(right, bottom);
  canvas.LineTo(right, top);
  canvas.LineTo(left, top);
}

void DrawFrame(TCanvas& canvas, TFrameStyle frameStyle, int left, int top, int right,
               int bottom, TColor highColor, TColor lightColor, TColor shadowColor,
               TColor darkColor, TColor simpleColor) {
  TColor c1, c2, c3, c4;
  switch (frameStyle) {
    case fsSimple:
      canvas.Pen().SetColor(simpleColor);
      DrawRectOutline(canvas, left, top, right, bottom);
      return;
    case fsLowered: c1 = highColor; c2 = darkColor; c3 = lightColor; c4 = shadowColor; break;
    case fsRaised: c1 = shadowColor; c2 = highColor; c3 = darkColor; c4 = lightColor; break;
    case fsEmbossed: c1 = highColor; c2 = shadowColor; c3 = shadowColor; c4 = highColor; break;
    case fsEngraved: c1 = shadowColor; c2 = highColor; c3 = highColor; c4 = shadowColor; break;
    default: return;  // fsNone and unknown ordinals draw nothing
  }
  const int l = SafeCoord(left), t = SafeCoord(top);
  const int r = SafeCoord(right), b = SafeCoord(bottom);
  // Outer ring: left and top in c1 (the top line runs through the top-right corner), then
  // right and bottom in c2 (through the bottom-left corner).
  canvas.Pen().SetColor(c1);
  canvas.MoveTo(l, b);
  canvas.LineTo(l, t);
  canvas.LineTo(r + 1, t);
  canvas.MoveTo(r, t + 1);
  canvas.Pen().SetColor(c2);
  canvas.LineTo(r, b);
  canvas.LineTo(l - 1, b);
  // Inner ring, one pixel inside.
  canvas.Pen().SetColor(c3);
  canvas.MoveTo(l + 1, b - 1);
  canvas.LineTo(l + 1, t + 1);
  canvas.LineTo(r, t + 1);
  canvas.MoveTo(r - 1, t + 2);
  canvas.Pen().SetColor(c4);
  canvas.LineTo(r - 1, b - 1);
  canvas.LineTo(l, b - 1);
}

void DrawMark(TCanvas& canvas, std::uint8_t markType, int x, int y) {
  x = SafeCoord(x);
  y = SafeCoord(y);
  if (markType >= 52) {
    DrawCharMark(canvas, markType, x, y);
    return;
  }
  TBrush& brush = canvas.Brush();
  const TColor savedBrushColor = brush.Color();
  const TFill fill = FillOf(markType);
  if (fill == TFill::Filled) {
    // Also solid: a clear brush left by a character mark must not empty a filled shape.
    brush.SetColor(canvas.Pen().Color());
    brush.SetStyle(bsSolid);
  } else if (fill == TFill::Hollow) {
    brush.SetStyle(bsClear);
  }
  DrawShape(canvas, markType, x, y);
  if (fill == TFill::Hollow) brush.SetStyle(bsSolid);
  brush.SetColor(savedBrushColor);
}

bool IsTrueTypeFont(const std::string& fontName) {
  const QString name = QString::fromStdString(fontName);
  const QStringList families = QFontDatabase::families();
  for (const QString& family : families)
    if (family.compare(name, Qt::CaseInsensitive) == 0)
      return QFontDatabase::isSmoothlyScalable(family);
  throw EVELError("Font \"" + fontName + "\" is not installed");
}

}  // namespace dendrokit
