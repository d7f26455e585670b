// Pictures of the controls: PNG at a pixel ratio, SVG and PDF as vectors with the screen's
// geometry. Landmarks (stems, ticks, label ink) are compared as run centres along scan
// lines: the rasterised SVG is antialiased, so a line may sit half a pixel off.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <cmath>
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
  QSvgRenderer r(QString::fromStdString(svgPath));
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  r.render(&p, QRectF(0, 0, w, h));
  return img;
}

// Centres of the runs of ink (grey below 200) along row y (or column x) from a to b.
std::vector<double> Runs(const QImage& img, bool row, int at, int a, int b) {
  std::vector<double> centres;
  int start = -1;
  for (int i = a; i <= b; ++i) {
    const bool ink = i < b && qGray(row ? img.pixel(i, at) : img.pixel(at, i)) < 200;
    if (ink && start < 0) start = i;
    if (!ink && start >= 0) {
      centres.push_back((start + i - 1) / 2.0);
      start = -1;
    }
  }
  return centres;
}

void ExpectSameRuns(const std::vector<double>& screen, const std::vector<double>& other,
                    double tolerance, const char* what) {
  ASSERT_EQ(screen.size(), other.size()) << what;
  ASSERT_FALSE(screen.empty()) << what;
  for (std::size_t i = 0; i < screen.size(); ++i)
    EXPECT_NEAR(screen[i], other[i], tolerance) << what << " #" << i;
}

std::vector<std::string> SvgTexts(const std::string& path) {
  std::vector<std::string> texts;
  QXmlStreamReader xml(Slurp(path));
  while (!xml.atEnd())
    if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("text"))
      texts.push_back(xml.readElementText().toStdString());
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  return texts;
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

// Scan lines across stems, ticks and labels for an orientation (control pixels).
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
                     1.0, s.what);
    // Labels and tick labels are <text>: every object, and numbers of the scale's ticks.
    std::set<std::string> texts;
    for (const std::string& t : SvgTexts(path)) texts.insert(t);
    for (int k = 1; k <= 7; ++k) EXPECT_TRUE(texts.count(std::to_string(k))) << k;
    int ticks = 0;
    for (int i = 1; i <= d->Scale().NumTicks(); ++i) {
      const double v = d->Scale().TickValue(i);
      for (const std::string& t : texts) ticks += std::abs(std::atof(t.c_str()) - v) < 1e-9 && t.size() > 0 && v > 7;
    }
    EXPECT_GE(ticks, 2);
    // Vectors throughout: no embedded bitmap.
    EXPECT_FALSE(Slurp(path).contains("<image"));
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
  const QImage screen = d->ShownImage();
  const Scan s = Scans(*d)[0];
  std::vector<double> scaled;
  for (const double c : Runs(screen, s.row, s.at, s.from, s.to)) scaled.push_back(3 * c + 1);
  ExpectSameRuns(scaled, Runs(png, s.row, 3 * s.at, 3 * s.from, 3 * s.to), 1.0, "stems");
  // A 1-pixel line is 3 pixels wide, not a blur of an enlarged screen picture.
  const double y = scaled.front();
  int ink = 0;
  for (int dy = -4; dy <= 4; ++dy) ink += qGray(png.pixel(3 * s.at, static_cast<int>(y) + dy)) < 128;
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
  const QByteArray text = Slurp(path + ".txt");
  for (const char* label : {"1", "4", "7"}) EXPECT_TRUE(text.contains(label)) << label;
}

TEST(Export, RenderGoesThroughTheCallersPainter) {
  auto d = BlackOnWhite(dirDownward);
  QImage page(d->Width() + 40, d->Height() + 30, QImage::Format_RGB32);
  page.fill(Qt::white);
  {
    QPainter p(&page);
    p.translate(40, 30);
    d->Render(p);
    EXPECT_EQ(p.worldTransform().dx(), 40);  // the caller's state is given back
  }
  const QImage screen = d->ShownImage();
  for (const Scan& s : Scans(*d)) {
    std::vector<double> moved;
    const int shift = s.row ? 40 : 30;
    for (const double c : Runs(screen, s.row, s.at, s.from, s.to)) moved.push_back(c + shift);
    ExpectSameRuns(moved,
                   Runs(page, s.row, s.at + (s.row ? 30 : 40), s.from + shift, s.to + shift), 1.0,
                   s.what);
  }
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
  ASSERT_GT(red(d->ShownImage()), 50);
  const std::string path = Temp("export_crosshair.png");
  d->SaveImage(path);
  EXPECT_EQ(red(QImage(QString::fromStdString(path))), 0);
  TImageOptions o;
  o.CrossHair = true;
  d->SaveImage(path, o);
  EXPECT_EQ(red(QImage(QString::fromStdString(path))), red(d->ShownImage()));
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
                 1.0, "items");
  ExpectSameRuns(Runs(screen, true, b.Y + 3, 0, chart.Width()),
                 Runs(svg, true, b.Y + 3, 0, chart.Width()), 1.0, "ticks");
  const std::vector<std::string> texts = SvgTexts(path);
  EXPECT_NE(std::find(texts.begin(), texts.end(), "peak"), texts.end());
  // Marks on a vector page are the printer's lines, not pasted glyph pictures.
  EXPECT_FALSE(Slurp(path).contains("<image"));

  TScale scale;
  scale.SetBounds(0, 0, 300, 40);
  scale.SetScaleType(sctXB);
  scale.SetRange(0, 50);
  scale.ForcePaint();
  scale.SaveImage(path);
  const QImage sScreen = scale.ShownImage().convertToFormat(QImage::Format_RGB32);
  const QImage sSvg = Rasterise(path, 300, 40);
  ExpectSameRuns(Runs(sScreen, true, 17, 3, 297), Runs(sSvg, true, 17, 3, 297), 1.0, "scale ticks");
}

TEST(Export, BadNamesRaiseAndKeepTheOldFile) {
  auto d = BlackOnWhite(dirLeftward);
  const std::string path = Temp("export_keep.png");
  { QFile f(QString::fromStdString(path)); f.open(QIODevice::WriteOnly); f.write("OLD"); }
  for (const std::string& bad : {std::string(""), Temp("export_keep.bmp"), Temp("no/such/x.png")})
    EXPECT_THROW(d->SaveImage(bad), EVELError) << bad;
  try {
    d->SaveImage("/dev/full");
    ADD_FAILURE();
  } catch (const EVELError& e) {
    EXPECT_STREQ(e.what(), "cannot write \"/dev/full\": the name does not end in .png, .svg or .pdf");
  }
  EXPECT_EQ(Slurp(path), "OLD");
}

}  // namespace
}  // namespace dendrokit
