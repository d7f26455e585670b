// The deciding half of the dendrogram control: the view mapping and every place the paint
// draws (areas, base line, stems, labels, highlight, crosshair), as plain functions of the
// control's size and settings. The control only draws what these return, so the numbers can
// be checked for all four orientations without a display.
//
// Symbols: W, H = control size; M = label band (Margin); SW = height of a horizontal scale
// strip (ScaleWidth); SH = width of a vertical one (ScaleHeight). Lines run from A up to,
// but not including, B (as the canvas's LineTo); rectangles exclude Right and Bottom.
#pragma once

#include "gfxbase/export.h"

#include <vector>

#include "gfxbase/enums.h"
#include "gfxbase/graphics_types.h"

namespace dendrokit {

// Pixel coordinates handed to the canvas stay within this range.
inline constexpr int kMaxPixel = 30000;

struct DENDROKIT_EXPORT TViewWindow {
  double ObjLow = 0.0;
  double ObjHigh = 1.0;
  double DistLow = 0.0;
  double DistHigh = 110.0;
  friend bool operator==(const TViewWindow&, const TViewWindow&) = default;
};

// pixel = k * value + d along the object axis and along the distance axis.
struct DENDROKIT_EXPORT TTransform {
  double kObj = 1.0;
  double dObj = 0.0;
  double kDist = 1.0;
  double dDist = 0.0;
};

struct DENDROKIT_EXPORT TDendroGeometry {
  TDirection Dir = dirLeftward;
  int W = 250;
  int H = 300;
  int M = 120;
  int SW = 30;
  int SH = 60;
};

struct DENDROKIT_EXPORT TLine {
  TPoint A;
  TPoint B;
  friend bool operator==(const TLine&, const TLine&) = default;
};

// Objects run along x for up and down, along y for left and right.
constexpr bool ObjectAxisIsX(TDirection dir) { return dir == dirUpward || dir == dirDownward; }

// The mapping of a window onto the tree area. An empty or non-finite axis gets slope 0
// (every value maps to the axis start) instead of an infinite or NaN one.
DENDROKIT_EXPORT TTransform CalcDendroTransform(const TDendroGeometry& g, const TViewWindow& w);
// Nearest pixel (halves to even) of k * v + d, limited to -kMaxPixel..kMaxPixel; NaN gives 0.
DENDROKIT_EXPORT int MapToPixel(double k, double d, double v);
// Inverse of MapToPixel; a slope of 0 (collapsed axis) gives fallback.
DENDROKIT_EXPORT double PixelToValue(double k, double d, int p, double fallback);

// The control's fixed areas and lines.
struct DENDROKIT_EXPORT TDendroFrame {
  TRect TreeArea;
  TRect LabelBand;
  TRect Corner;      // where label band and scale strip meet
  TLine BaseLine;    // the leaves' base line
  TLine Grip1;       // the two grip lines of a moveable margin
  TLine Grip2;
  TLine StripLine;   // closes the scale strip
};
DENDROKIT_EXPORT TDendroFrame DendroFrame(const TDendroGeometry& g);

// Whether client pixel (x, y) lies in the tree's rectangle (edges as the mouse sees them).
DENDROKIT_EXPORT bool InTreeRect(const TDendroGeometry& g, int x, int y);

// Place, size and direction of the embedded scale. Reversed: RangeLow = DistHigh.
struct DENDROKIT_EXPORT TScalePlace {
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  TScaleType Type = sctXB;
  bool Reversed = false;
  friend bool operator==(const TScalePlace&, const TScalePlace&) = default;
};
DENDROKIT_EXPORT TScalePlace DendroScalePlace(const TDendroGeometry& g);

// A distance-axis pixel clamped so that it never lies inside the label band.
DENDROKIT_EXPORT int ClampToBase(const TDendroGeometry& g, int distPixel);
// The stem of a node at object pixel p from distance pixel `from` to `to`, both clamped.
DENDROKIT_EXPORT TLine StemLine(const TDendroGeometry& g, int p, int from, int to);
// The connector at distance pixel d (clamped) from object pixel pa to pb.
DENDROKIT_EXPORT TLine ConnectorLine(const TDendroGeometry& g, int d, int pa, int pb);

// The cut line across the whole tree area at distance pixel q; empty (A == B) when q lies
// in the label band or beyond the tree area's far end.
DENDROKIT_EXPORT TLine CutLine(const TDendroGeometry& g, int q);

enum class TLabelMode { Horizontal, Rotated, Staggered };
DENDROKIT_EXPORT TLabelMode LabelModeFor(TDirection dir, bool fontIsTrueType, bool forceStaggered);
// Rows available to staggered labels: max(1, (M - 4) div (TH + 2)).
DENDROKIT_EXPORT int LabelRows(int M, int textHeight);
// Row of the leaf at position pos: (pos - 1, rounded) mod rows; never negative.
DENDROKIT_EXPORT int LabelRow(double pos, int rows);
// Top-left reference point of a label of width w at object pixel p. Rotated text runs
// upward from this point.
DENDROKIT_EXPORT TPoint LabelPos(const TDendroGeometry& g, TLabelMode mode, int p, int w, int textHeight,
                int row);

// The highlight of the marked object at object pixel p, with d0 the distance pixel of 0 and
// dm that of its first merge. Empty when nothing is drawn.
struct DENDROKIT_EXPORT TMarkPlan {
  int PenWidth = 1;
  std::vector<TLine> Lines;
};
DENDROKIT_EXPORT TMarkPlan MarkPlan(const TDendroGeometry& g, int style, int p, int d0, int dm);

// The crosshair at (cx, cy). Box mode: two short 1-pixel lines and a small box; the other
// modes: full lines in the pen width lineWid, each only when it lies in the tree area.
struct DENDROKIT_EXPORT TCrossHairPlan {
  bool Box = false;
  TRect BoxRect;
  int PenWidth = 1;
  std::vector<TLine> Lines;
};
DENDROKIT_EXPORT TCrossHairPlan CrossHairPlan(const TDendroGeometry& g, TCrossHMode mode, int cx, int cy,
                             int lineWid);

// Window after zooming by factor (> 1 narrows) about a data point on each axis.
DENDROKIT_EXPORT TViewWindow ZoomWindow(const TViewWindow& w, double objCentre, double distCentre,
                       double factorObj, double factorDist);

}  // namespace dendrokit
