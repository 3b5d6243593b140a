// The chart as SVG: curvella-batch's --svg, well formed, and drawn by an
// independent renderer (rsvg-convert at 96 dpi) where the BMP of the same
// chart has its pixels.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <QImage>

#include <sys/wait.h>

#include "export/SvgDevice.h"
#include "support/RowName.h"
#include "support/TempFolder.h"

namespace curvella {
namespace {

int Shell(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The colours the chart draws with, and the background.
constexpr QRgb kBackground = qRgb(255, 255, 255);
struct TKind {
  const char* Name;
  QRgb Colour;
};
constexpr std::array<TKind, 3> kKinds{
    {{"curve", qRgb(0, 0, 255)}, {"lines and labels", qRgb(0, 0, 0)}, {"grid", qRgb(128, 128, 128)}}};

int Distance(QRgb a, QRgb b) {
  const int r = qRed(a) - qRed(b);
  const int g = qGreen(a) - qGreen(b);
  const int bl = qBlue(a) - qBlue(b);
  return r * r + g * g + bl * bl;
}

// A pixel is of a kind when it is nearer that colour than the background.
bool OfKind(QRgb pixel, const TKind& kind) {
  return Distance(pixel, kind.Colour) < Distance(pixel, kBackground);
}

// The kind a raster pixel was drawn as: the nearest colour, or none when the
// background is nearest.
int KindOf(QRgb pixel) {
  int best = -1;
  int nearest = Distance(pixel, kBackground);
  for (std::size_t k = 0; k < kKinds.size(); ++k) {
    if (Distance(pixel, kKinds[k].Colour) < nearest) {
      nearest = Distance(pixel, kKinds[k].Colour);
      best = static_cast<int>(k);
    }
  }
  return best;
}

template <class TTest> bool Near(const QImage& image, int x, int y, TTest test) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      const int nx = x + dx;
      const int ny = y + dy;
      if (nx >= 0 && ny >= 0 && nx < image.width() && ny < image.height() && test(image.pixel(nx, ny)))
        return true;
    }
  return false;
}

struct TMatch {
  std::array<double, kKinds.size()> RasterFound{}; // share of each kind's raster pixels found
  double RenderedFound = 0;                        // share of rendered pixels found in the raster
};

TMatch Compare(const QImage& raster, const QImage& rendered) {
  TMatch match;
  std::array<int, kKinds.size()> total{};
  std::array<int, kKinds.size()> found{};
  int renderedTotal = 0;
  int renderedFound = 0;
  for (int y = 0; y < raster.height(); ++y) {
    for (int x = 0; x < raster.width(); ++x) {
      const int kind = KindOf(raster.pixel(x, y));
      if (kind >= 0) {
        ++total[kind];
        found[kind] += Near(rendered, x, y, [&](QRgb p) { return OfKind(p, kKinds[kind]); });
      }
      const QRgb drawn = rendered.pixel(x, y);
      if (KindOf(drawn) < 0) continue;
      ++renderedTotal;
      renderedFound += Near(raster, x, y, [&](QRgb p) {
        const int rasterKind = KindOf(p);
        return rasterKind >= 0 && OfKind(drawn, kKinds[rasterKind]);
      });
    }
  }
  for (std::size_t k = 0; k < kKinds.size(); ++k)
    match.RasterFound[k] = total[k] ? 1.0 * found[k] / total[k] : 1;
  match.RenderedFound = renderedTotal ? 1.0 * renderedFound / renderedTotal : 1;
  return match;
}

struct SvgRow {
  const char* Name;
  const char* Arguments;
  int Width;
  int Height;
};

class SvgTable : public testing::TestWithParam<SvgRow> {};

TEST_P(SvgTable, RenderedSvgStandsWhereTheBmpHasItsPixels) {
  const SvgRow& row = GetParam();
  test::TTempFolder folder;
  const std::string bmp = folder.In("c.bmp");
  const std::string svg = folder.In("c.svg");
  const std::string png = folder.In("c.png");
  ASSERT_EQ(Shell(std::string(CURVELLA_BATCH) + " " + row.Arguments + " --csv /dev/null --bmp " + bmp +
                  " --svg " + svg),
            0);
  EXPECT_EQ(Shell("xmllint --noout " + svg), 0);
  const std::string document = Contents(svg);
  const std::string size = std::to_string(row.Width) + "px";
  EXPECT_NE(document.find("<svg width=\"" + size), std::string::npos);
  EXPECT_NE(
      document.find("viewBox=\"0 0 " + std::to_string(row.Width) + " " + std::to_string(row.Height) + "\""),
      std::string::npos);
  EXPECT_NE(document.find(">Y=F(x)</text>"), std::string::npos) << "the title stays text";
  EXPECT_NE(document.find("font-family=\"Liberation Sans, Arial, sans-serif\""), std::string::npos);

  ASSERT_EQ(Shell("rsvg-convert -d 96 -p 96 -b white " + svg + " -o " + png), 0);
  const QImage raster = QImage(QString::fromStdString(bmp)).convertToFormat(QImage::Format_RGB32);
  const QImage rendered = QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(rendered.size(), raster.size());
  const TMatch match = Compare(raster, rendered);
  EXPECT_EQ(match.RasterFound[0], 1.0) << "every curve pixel";
  for (std::size_t k = 0; k < kKinds.size(); ++k) EXPECT_GE(match.RasterFound[k], 0.98) << kKinds[k].Name;
  EXPECT_GE(match.RenderedFound, 0.98);
}

INSTANTIATE_TEST_SUITE_P(
    Svg, SvgTable,
    testing::Values(SvgRow{"Parabola", "--expr x^2-3*x+2 --first -1 --last 4", 989, 565},
                    SvgRow{"Wave", "--expr 'sin(x)*x' --first -20 --last 20 --steps 2000", 989, 565},
                    SvgRow{"Small", "--expr x^3-x --first -2 --last 2 --size 300x200", 300, 200},
                    SvgRow{"Large", "--expr '1/(x*x+1)' --first -5 --last 5 --size 1600x1000", 1600, 1000}),
    test::RowName());

// The series is cut where the plot ends, as on screen: a line that leaves
// the drawable rectangle ends at its edge.
TEST(SvgDevice, LinesAreCutAtTheDrawableRectangle) {
  TSvgDeviceContext device({100, 50});
  device.IntersectClipRect({10, 10, 60, 40});
  device.MoveTo(0, 20);
  device.LineTo(100, 20);
  device.RemoveClipping();
  device.MoveTo(0, 45);
  device.LineTo(100, 45);
  const std::string document = device.Close();
  // Pixel centres 10.5 .. 59.5, cut at the last column's right edge; the
  // whole picture cuts the second line at its right edge.
  EXPECT_NE(document.find("M10,20.5 L60,20.5"), std::string::npos) << document;
  EXPECT_NE(document.find("M0.5,45.5 L100,45.5"), std::string::npos) << document;
}

struct FinishRow {
  const char* Name;
  const char* Generated;
  const char* Finished;
};

class FinishTable : public testing::TestWithParam<FinishRow> {};

TEST_P(FinishTable, RootSizeInPixelsAndFontFamiliesWithTheirNames) {
  EXPECT_EQ(FinishSvgDocument(GetParam().Generated, {989, 565}), GetParam().Finished);
}

INSTANTIATE_TEST_SUITE_P(
    Svg, FinishTable,
    testing::Values(
        FinishRow{"Millimetres", R"(<svg width="261.673mm" height="149.49mm" viewBox="0 0 989 565">)",
                  R"(<svg width="989px" height="565px" viewBox="0 0 989 565" shape-rendering="crispEdges">)"},
        FinishRow{
            "OtherViewBox", R"(<svg width="1" height="2" viewBox="0 0 1 1" a="b">)",
            R"(<svg width="989px" height="565px" viewBox="0 0 989 565" a="b" shape-rendering="crispEdges">)"},
        FinishRow{"Arial", R"(<text font-family="Liberation Sans">1</text>)",
                  R"(<text font-family="Liberation Sans, Arial, sans-serif">1</text>)"},
        FinishRow{
            "WindowFont", R"(<g font-family="DejaVu Sans"><g font-family="DejaVu Sans">)",
            R"(<g font-family="DejaVu Sans, MS Sans Serif, sans-serif"><g font-family="DejaVu Sans, MS Sans Serif, sans-serif">)"},
        FinishRow{"OtherFamiliesStay", R"(<g font-family="Sans Serif">)", R"(<g font-family="Sans Serif">)"}),
    test::RowName());

} // namespace
} // namespace curvella
