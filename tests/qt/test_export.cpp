// Pictures of the controls: PNG at a pixel ratio, SVG and PDF as vectors with the screen's
// geometry. Landmarks (stems, ticks, label ink) are compared as run centres along scan
// lines: the rasterised SVG is antialiased, so a line may sit half a pixel off.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "../chart/plotra_test_util.h"
#include "../dendrogram/dendro_fixture.h"
#include "gfxbase/errors.h"
#include "scale/scale.h"

namespace dendrokit {
namespace {

std::string Temp(const char* name) { return ::testing::TempDir() + name; }

QByteArray Slurp(const std::string& path) {
  QFile f(QString::fromStdString(path));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QImage Rasterise(const std::string& svgPath, int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  QSvgRenderer(QString::fromStdString(svgPath)).render(&p, QRectF(0, 0, w, h));
  return img;
}

// Centres of the runs of ink (grey below 200) along row (or column) `at` from a to b.
std::vector<double> Runs(const QImage& img, bool row, int at, int a, int b) {
  std::vector<double> centres;
  int start = -1;
  for (int i = a; i <= b; ++i) {
    const bool ink = i < b && qGray(row ? img.pixel(i, at) : img.pixel(at, i)) < 200;
    if (ink && start < 0) start = i;
    if (!ink && start >= 0) centres.push_back((start + i - 1) / 2.0);
    if (!ink) start = -1;
  }
  return centres;
}

void ExpectSameRuns(const std::vector<double>& screen, const std::vector<double>& other,
                    const char* what, double scale = 1.0, double shift = 0.0) {
  ASSERT_EQ(screen.size(), other.size()) << what;
  ASSERT_FALSE(screen.empty()) << what;
  for (std::size_t i = 0; i < screen.size(); ++i)
    EXPECT_NEAR(screen[i] * scale + shift, other[i], 1.0) << what << " #" << i;
}

std::unique_ptr<TDendrogram> BlackOnWhite(TDirection dir) {
  auto d = MakeDendrogram(dir, 400, 300, {0, 1, 5, 6, 14, 15.5, 30});
  d->SetColorDendrogram(0);
  d->SetColorDendrogramBackGnd(0xFFFFFF);
  d->SetColorLabelsBG(0xFFFFFF);
  d->SetColorEmptyArea(0xFFFFFF);
  d->SetColorScaleBackGnd(0xFFFFFF);
  d->SetMarkedObject(0);
  return d;
}

// Scan lines across stems, ticks and labels (control pixels), clear of the frame.
struct Scan {
  bool row;
  int at, from, to;
  const char* what;
};
std::vector<Scan> Scans(const TDendrogram& d) {
  const int M = d.Margin(), W = d.Width(), H = d.Height();
  if (d.Orientation() == dirLeftward)
    return {{false, M + 3, d.ScaleWidth() + 1, H - 8, "stems"},
            {true, d.ScaleWidth() - 4, M + 2, W - 8, "ticks"},
            {false, M - 10, d.ScaleWidth() + 1, H - 8, "labels"}};
  return {{true, M + 3, d.ScaleHeight() + 1, W - 8, "stems"},
          {false, d.ScaleHeight() - 4, M + 2, H - 8, "ticks"},
          {true, M - 8, d.ScaleHeight() + 1, W - 8, "labels"}};
}

TEST(Export, SvgMatchesTheScreenAndKeepsText) {
  for (const TDirection dir : {dirLeftward, dirUpward}) {
    auto d = BlackOnWhite(dir);
    const std::string path = Temp("export_dendro.svg");
    d->SaveImage(path);
    const QImage screen = d->ShownImage().convertToFormat(QImage::Format_RGB32);
    const QImage svg = Rasterise(path, d->Width(), d->Height());
    for (const Scan& s : Scans(*d))
      ExpectSameRuns(Runs(screen, s.row, s.at, s.from, s.to), Runs(svg, s.row, s.at, s.from, s.to),
                     s.what);
    // Labels and tick labels are <text>: every object, and the scale's labelled ticks.
    std::set<double> numbers;
    QXmlStreamReader xml(Slurp(path));
    while (!xml.atEnd())
      if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("text"))
        numbers.insert(xml.readElementText().toDouble());
    EXPECT_FALSE(xml.hasError());
    for (int k = 1; k <= 7; ++k) EXPECT_TRUE(numbers.count(k)) << k;
    int ticks = 0;
    for (int i = 1; i <= d->Scale().NumTicks(); ++i) ticks += numbers.count(d->Scale().TickValue(i));
    EXPECT_GE(ticks, 3);
    EXPECT_FALSE(Slurp(path).contains("<image"));  // vectors throughout
  }
}

TEST(Export, PngAtAPixelRatioIsDrawnAtThatResolution) {
  auto d = BlackOnWhite(dirLeftward);
  const std::string path = Temp("export_dendro@3x.png");
  TImageOptions o;
  o.PixelRatio = 3;
  d->SaveImage(path, o);
  const QImage png(QString::fromStdString(path));
  ASSERT_EQ(png.size(), QSize(3 * d->Width(), 3 * d->Height()));
  const Scan s = Scans(*d)[0];
  const std::vector<double> stems = Runs(d->ShownImage(), s.row, s.at, s.from, s.to);
  ExpectSameRuns(stems, Runs(png, s.row, 3 * s.at, 3 * s.from, 3 * s.to), "stems", 3, 1);
  // A 1-pixel line is 3 pixels wide and sharp, not a blur of an enlarged screen picture.
  int ink = 0;
  for (int dy = -4; dy <= 4; ++dy) ink += qGray(png.pixel(3 * s.at, 3 * stems[0] + 1 + dy)) < 128;
  EXPECT_EQ(ink, 3);
}

TEST(Export, PdfTextIsSearchable) {
  auto d = BlackOnWhite(dirRightward);
  const std::string path = Temp("export_dendro.pdf");
  d->SaveImage(path);
  const QByteArray pdf = Slurp(path);
  ASSERT_TRUE(pdf.startsWith("%PDF"));
  EXPECT_TRUE(pdf.contains("/ToUnicode"));  // glyphs map back to characters
  if (std::system("command -v pdftotext >/dev/null 2>&1") != 0) return;
  ASSERT_EQ(std::system(("pdftotext " + path + " " + path + ".txt").c_str()), 0);
  for (const char* label : {"1", "4", "7"}) EXPECT_TRUE(Slurp(path + ".txt").contains(label));
}

TEST(Export, RenderGoesThroughTheCallersPainterAndNamesAreChecked) {
  auto d = BlackOnWhite(dirDownward);
  QImage page(d->Width() + 40, d->Height() + 30, QImage::Format_RGB32);
  page.fill(Qt::white);
  QPainter p(&page);
  p.translate(40, 30);
  d->Render(p);
  EXPECT_EQ(p.worldTransform().dx(), 40);  // the caller's state is given back
  p.end();
  for (const Scan& s : Scans(*d)) {
    const int along = s.row ? 40 : 30, across = s.row ? 30 : 40;
    ExpectSameRuns(Runs(d->ShownImage(), s.row, s.at, s.from, s.to),
                   Runs(page, s.row, s.at + across, s.from + along, s.to + along), s.what, 1, along);
  }
  EXPECT_THROW(d->SaveImage(Temp("x.bmp")), EVELError);
}

TEST(Export, CrossHairOnlyWhenAsked) {
  auto d = BlackOnWhite(dirLeftward);
  d->CrossHair().SetMode(chBoth);
  d->CrossHair().SetColor(0x0000FF);
  d->CrossHair().SetPosX(2.0);
  d->CrossHair().SetPosY(3.0);
  auto red = [](const QImage& img) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) n += img.pixel(x, y) == qRgb(255, 0, 0);
    return n;
  };
  const std::string path = Temp("export_crosshair.png");
  for (const bool asked : {false, true}) {
    TImageOptions o;
    o.CrossHair = asked;
    d->SaveImage(path, o);
    EXPECT_EQ(red(QImage(QString::fromStdString(path))), asked ? red(d->ShownImage()) : 0);
  }
  EXPECT_GT(red(d->ShownImage()), 100);
}

TEST(Export, ChartAndScaleSvgMatchTheScreen) {
  testing::TestChart chart(360, 260);
  chart.SetChartColor(0xFFFFFF);
  chart.Add(ckMark, 20, 30).Alignment = 3;
  chart.Add(ckLine, 10, 10, 90, 60, 0);
  chart.Add(ckRectangle, 50, 70, 80, 90, 0);
  chart.AddTextAt(10, "peak", 60, 40);
  chart.ShowItems();
  const std::string path = Temp("export_chart.svg");
  chart.SaveImage(path);
  const QImage screen = chart.ShownImage().convertToFormat(QImage::Format_RGB32);
  const QImage svg = Rasterise(path, chart.Width(), chart.Height());
  const TPoint a = chart.At(50, 80), b = chart.At(30, 0);
  // Across the rectangle and the line; along the x axis's ticks.
  ExpectSameRuns(Runs(screen, true, a.Y, a.X - 60, a.X + 60), Runs(svg, true, a.Y, a.X - 60, a.X + 60),
                 "items");
  ExpectSameRuns(Runs(screen, true, b.Y + 3, 0, chart.Width()),
                 Runs(svg, true, b.Y + 3, 0, chart.Width()), "ticks");
  EXPECT_TRUE(Slurp(path).contains(">peak</text>"));
  // Marks on a vector page are the printer's lines, not pasted glyph pictures.
  EXPECT_FALSE(Slurp(path).contains("<image"));

  TScale scale;
  scale.SetBounds(0, 0, 300, 40);
  scale.SetScaleType(sctXB);
  scale.SetRange(0, 50);
  scale.ForcePaint();
  scale.SaveImage(path);
  ExpectSameRuns(Runs(scale.ShownImage().convertToFormat(QImage::Format_RGB32), true, 17, 3, 297),
                 Runs(Rasterise(path, 300, 40), true, 17, 3, 297), "scale ticks");
}

}  // namespace
}  // namespace dendrokit
