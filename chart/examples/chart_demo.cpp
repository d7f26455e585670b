// A chart with a few items of every kind, a dotted grid, a text label and a crosshair, all
// added through the chart's public plotting commands.
// --save <file.png> writes the chart's image and exits.
#include <QApplication>
#include <QImage>

#include <cmath>
#include <string>
#include <vector>

#include "chart/plotra.h"

using namespace dendrokit;

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  TPlotra chart;
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
  const int L = 1;  // every item on layer 1

  // Marks of many types along the bottom.
  for (int i = 0; i < 26; ++i) chart.AddMark(L, 4 + i * 3.6, 6, i * 2, i % 2 ? 0xA00000 : 0x0060C0);
  chart.SetDataColor(0x006000);
  chart.AddLine(L, 5, 15, 30, 30);
  std::vector<TWorldPoint> wave;
  for (int i = 0; i <= 25; ++i) wave.push_back({5.0 + i, i == 0 ? 35 : 35 + 6 * std::sin(i / 2.0)});
  chart.AddPolyline(L, wave);
  chart.SetDataColor(0x000080);
  chart.AddRectangle(L, 35, 15, 45, 28, {}, 0x80E0FF);
  chart.AddFramedBox(L, 50, 15, 60, 28, fsLowered, 0xC0C0C0, 0xFFFFFF, 0x404040);
  chart.AddFramedBox(L, 50, 30, 60, 38, fsEngraved, 0xC0C0C0, 0xFFFFFF, 0x404040);
  chart.Add3DBar(L, 65, 15, 72, 35, 8, 45, {}, 0x80E0FF);
  chart.AddEllipse(L, 85, 22, 8, 7, {}, 0x80E0FF);
  chart.SetDataColor(0x800080);
  chart.AddMoveTo(L, 35, 45);
  chart.AddDrawBy(L, 40, -20);
  chart.AddArrow(L, 50, 40, 70, 50, 12);
  chart.AddDoubleArrow(L, 50, 55, 70, 65, 10);
  chart.AddFixedSizeBox(L, 80, 45, 6, 3, {}, 0x80E0FF);
  chart.AddErrorBar(L, 90, 55, 4, 6, 9, 0x0000C0);
  chart.AddShiftedLine(L, 5, 50, 25, 60, 4, 0, 0x0000C0);
  chart.AddArc(L, 15, 75, 8, 8, 0, 180, 0x0000C0);
  chart.AddDrawByOffset(L, 30, 70, 40, -10, 0x0000C0);
  chart.AddVertRule(L, 97, 0x808000);
  chart.AddHorizRule(L, 97, 0x808000);
  chart.AddCross(L, 60, 80, 5, 5, 0x808000);
  chart.SetDataColor(0x202020);
  chart.SetTextBkStyle(tbSolid);
  chart.SetFillColor(0xD0FFD0);
  chart.AddText(L, 40, 85, "offset\ntext", 9, {}, 10, -4);
  chart.SetTextBkStyle(tbClear);
  for (int i = 1; i <= 8; ++i) chart.AddText(L, 70 + i * 3, 88 - i, std::to_string(i));

  // A pixel-placed note in the top-left corner of the chart area (annotation list).
  chart.AddAnnotationText(8, "placed in pixels", 6, 10, 0, 0, taLeftJustify, 3);

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
