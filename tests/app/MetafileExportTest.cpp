// The window's chart saved as an EMF file and read back by readers that
// have nothing of Curvella's: libUEMF checks every record, emf2svg-conv
// turns the file into SVG and rsvg-convert into pixels, which must show what
// the BMP export shows.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <QImage>

#include "app/RunCommand.h"
#include "app/WindowChart.h"
#include "export/EmfRecords.h"
#include "support/EmfCheck.h"
#include "support/TempFolder.h"

namespace curvella {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

int Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

class MetafileReaders : public testing::Test {
protected:
  void SetUp() override {
    Series = &ApplyWindowChartSettings(Chart);
    Chart.Paint();
    TRunRecord record;
    RunSampling({"x^2-3*x+2", "-1", "4", "100"}, record, [&](double x, double y) { Series->AddPoint(x, y); });
    Chart.Paint();
  }
  test::TTempFolder Temp;
  const fs::path& Dir = Temp.Path();
  TChart Chart;
  TLineSeries* Series = nullptr;
};

// Dark pixels: lines, frame and text; blue ones: the curve and the title.
// The SVG renderer smooths lines and lays the dotted grid over the axis
// lines without gaps, so that a black line may come out mid-gray there: any
// ink counts on its side.
bool IsBlue(QRgb p) { return qBlue(p) > 150 && qRed(p) < 120 && qGreen(p) < 120; }
bool IsDark(QRgb p) { return qGray(p) < 100 && !IsBlue(p); }
bool IsInk(QRgb p) { return qGray(p) < 200 && !IsBlue(p); }

// Whether a pixel of the kind lies within reach of (x, y) in the image.
bool Near(const QImage& image, int x, int y, int reach, bool (*kind)(QRgb)) {
  for (int dy = -reach; dy <= reach; ++dy) {
    for (int dx = -reach; dx <= reach; ++dx) {
      if (image.valid(x + dx, y + dy) && kind(image.pixel(x + dx, y + dy))) return true;
    }
  }
  return false;
}

// Readers that build paths (SVG converters among them) start a new path at
// every object record: each line of the chart's file follows its start point
// directly, and every object a figure draws with is made before the figure.
TEST_F(MetafileReaders, EveryLineFollowsItsStartPoint) {
  const std::vector<std::uint8_t> bytes = Chart.MakeChartMetafile(true, Chart.ClientDrawRect())->Bytes();
  const std::vector<test::TEmfRecord> records = test::EmfRecords(bytes);
  int lines = 0;
  for (std::size_t i = 1; i < records.size(); ++i) {
    if (records[i].Type != emf::EMR_LINETO) continue;
    ++lines;
    const std::uint32_t before = records[i - 1].Type;
    EXPECT_TRUE(before == emf::EMR_MOVETOEX || before == emf::EMR_LINETO)
        << "record " << i << " follows a record of type " << before;
  }
  EXPECT_GT(lines, 50); // grid lines and ticks
}

TEST_F(MetafileReaders, IndependentReadersAcceptTheFileAndSeeTheBitmapsPicture) {
  const fs::path emf = Dir / "chart.emf";
  const fs::path svg = Dir / "chart.svg";
  const fs::path png = Dir / "chart.png";
  const fs::path bmp = Dir / "chart.bmp";
  Chart.WriteMetafileFile(emf.string());
  Chart.WriteBitmapFile(bmp.string());

  const std::vector<std::uint8_t> bytes = ReadBytes(emf);
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(test::UnsafeEmfRecord(bytes), "");

  ASSERT_EQ(Shell("emf2svg-conv -i '" + emf.string() + "' -o '" + svg.string() + "'"), 0);
  ASSERT_EQ(Shell("rsvg-convert -b white '" + svg.string() + "' -o '" + png.string() + "'"), 0);
  const QImage drawn = QImage(QString::fromStdString(png.string())).convertToFormat(QImage::Format_RGB32);
  const QImage shown = QImage(QString::fromStdString(bmp.string())).convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(shown.size(), QSize(989, 565));
  // The frame is 988 x 564 pixels: one less than the picture.
  ASSERT_EQ(drawn.size(), QSize(988, 564));

  // Tolerance: every curve, frame, grid and label pixel of the bitmap has
  // one of its kind within 2 pixels in the converted picture (the SVG
  // renderer smooths lines and places text by its own metrics), checked
  // on all but a few per cent of them.
  constexpr int kReach = 2;
  int blue = 0, blueFound = 0, dark = 0, darkFound = 0;
  for (int y = 0; y < drawn.height(); ++y) {
    for (int x = 0; x < drawn.width(); ++x) {
      const QRgb p = shown.pixel(x, y);
      if (IsBlue(p)) {
        ++blue;
        blueFound += Near(drawn, x, y, kReach, IsBlue);
      } else if (IsDark(p)) {
        ++dark;
        darkFound += Near(drawn, x, y, kReach, IsInk);
      }
    }
  }
  ASSERT_GT(blue, 800);
  ASSERT_GT(dark, 3000);
  EXPECT_GE(blueFound * 100, blue * 98) << blueFound << " of " << blue << " blue pixels";
  EXPECT_GE(darkFound * 100, dark * 95) << darkFound << " of " << dark << " dark pixels";

  // And the other way: nothing blue where the bitmap has none.
  int stray = 0;
  for (int y = 0; y < drawn.height(); ++y) {
    for (int x = 0; x < drawn.width(); ++x)
      stray += IsBlue(drawn.pixel(x, y)) && !Near(shown, x, y, kReach, IsBlue);
  }
  EXPECT_LT(stray, 20);
}

} // namespace
} // namespace curvella
