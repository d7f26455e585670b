// A chart with a few items of every kind, a dotted grid, a text label and a crosshair.
// The items other than texts go into the annotation list, which a subclass can fill.
// --save <file.png> writes the chart's image and exits.
#include <QApplication>
#include <QImage>

#include <cmath>
#include <string>

#include "chart/plotra.h"

namespace {

using namespace dendrokit;

class DemoChart : public TPlotra {
 public:
  using TPlotra::TPlotra;
  // Appends an annotation item of the given kind with the chart's current colours.
  TplChartItem& Add(std::uint8_t kind, double x, double y, double x2 = 0, double y2 = 0) {
    TplChartItem it;
    it.Kind = kind;
    it.X = x;
    it.Y = y;
    it.X2 = x2;
    it.Y2 = y2;
    it.Color = DataColor();
    it.FillColor = FillColor();
    it.LineWidth = 1;
    it.Layer = 1;
    AnnotationList().Append(it, AllocSize());
    return AnnotationList()[AnnotationList().Count() - 1];
  }
};

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  DemoChart chart;
  chart.setWindowTitle("dendrokit chart");
  chart.SetBounds(0, 0, 760, 520);
  chart.SetCaption("Every item kind");
  chart.Scale1X().SetRangeLow(0);
  chart.Scale1X().SetRangeHigh(100);
  chart.Scale1Y().SetRangeLow(0);
  chart.Scale1Y().SetRangeHigh(100);
  chart.Scale1X().SetCaption("x");
  chart.Scale1Y().SetCaption("y");
  chart.SetGridStyle(gsDotLines);
  chart.SetGridColor(0xB0B0B0);
  chart.SetShadowWidth(6);

  // Marks of many types along the bottom.
  for (int i = 0; i < 26; ++i) {
    chart.SetDataColor(i % 2 ? 0xA00000 : 0x0060C0);
    chart.Add(ckMark, 4 + i * 3.6, 6).Alignment = i * 2;
  }
  chart.SetDataColor(0x006000);
  chart.Add(ckLine, 5, 15, 30, 30);
  chart.Add(ckMoveTo, 5, 35);
  for (int i = 1; i <= 25; ++i) chart.Add(ckDrawTo, 5 + i, 35 + 6 * std::sin(i / 2.0));
  chart.SetDataColor(0x000080);
  chart.SetFillColor(0x80E0FF);
  chart.Add(ckRectangle, 35, 15, 45, 28);
  TplChartItem& framed = chart.Add(ckFramedBox, 50, 15, 60, 28);
  framed.FrameStyle = fsLowered;
  framed.EdgeColor1 = 0xFFFFFF;
  framed.EdgeColor2 = 0x404040;
  TplChartItem& engraved = chart.Add(ckFramedBox, 50, 5 + 25, 60, 38);
  engraved.FrameStyle = fsEngraved;
  engraved.EdgeColor1 = 0xFFFFFF;
  engraved.EdgeColor2 = 0x404040;
  engraved.FillColor = 0xC0C0C0;
  framed.FillColor = 0xC0C0C0;
  TplChartItem& bar = chart.Add(ck3DBar, 65, 15, 72, 35);
  bar.Size = 45;
  bar.BkStyle = 8;
  chart.Add(ckEllipse, 85, 22, 8, 7);
  chart.SetDataColor(0x800080);
  chart.Add(ckMoveBy, 0, 0);
  chart.Add(ckMoveTo, 35, 45);
  chart.Add(ckDrawBy, 40, -20);
  chart.Add(ckArrow, 50, 40, 70, 50).Size = 12;
  chart.Add(ckDoubleArrow, 50, 55, 70, 65).Size = 10;
  TplChartItem& fixed = chart.Add(ckFixedSizeBox, 80, 45);
  fixed.Size = 6;
  fixed.BkStyle = 3;
  chart.SetDataColor(0x0000C0);
  TplChartItem& err = chart.Add(ckErrorBarMark, 90, 55, 4, 6);
  err.Alignment = 9;
  chart.Add(ckShiftedLine, 5, 50, 25, 60).Size = 4;
  TplChartItem& arc = chart.Add(ckArc, 15, 75, 8, 8);
  arc.Size = 0;
  arc.BkStyle = 180;
  chart.Add(ckDrawByOffset, 30, 70, 40, -10);
  chart.SetDataColor(0x808000);
  chart.Add(ckVertRule, 97, 0);
  chart.Add(ckHorizRule, 0, 97);
  chart.Add(ckCross, 60, 80, 5, 5);
  chart.SetDataColor(0x202020);
  chart.SetTextBkStyle(tbSolid);
  chart.SetFillColor(0xD0FFD0);
  chart.AddTextItem(9, "offset\ntext", 40, 85, 10, -4, taLeftJustify, 0);
  chart.SetTextBkStyle(tbClear);
  for (int i = 1; i <= 8; ++i) chart.AddTextAt(8, std::to_string(i), 70 + i * 3, 88 - i);

  TTextLabel& label = *chart.TextLabel(1);
  label.SetCaption("text label\ntwo lines");
  label.SetMode(tlShadow);
  label.SetAttachToData(tlamBoth);
  label.SetPosX(20);
  label.SetPosY(88);
  label.SetVisible(true);

  chart.CrossHair1().SetMode(chBoth);
  chart.CrossHair1().SetPosX(62);
  chart.CrossHair1().SetPosY(70);
  chart.SetMouseAction(maPan);

  chart.show();
  chart.ShowItems();
  if (argc == 3 && std::string(argv[1]) == "--save") {
    chart.Repaint();
    return chart.ShownImage().save(argv[2]) ? 0 : 1;
  }
  return app.exec();
}
