#include "chart/Chart.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "ChartFixtures.h"
#include "chart/ChartMessages.h"
#include "chart/Series.h"
#include "support/EmfCheck.h"
#include "support/RowName.h"
#include "support/TempFolder.h"

namespace curvella {
namespace {

using test::EmfRecords;
using test::TEmfRecord;

// A chart of a sine wave on all four axes that counts its drawing passes.
struct TRecordedChart {
  explicit TRecordedChart(TSize size = {300, 200}) {
    Chart.SetHost(&Host);
    Chart.SetView3D(false);
    Chart.SetControlSize(size);
    auto& series = Chart.AddSeries(std::make_unique<TLineSeries>());
    series.SetHorizAxis(THorizAxis::aBothHorizAxis);
    series.SetVertAxis(TVertAxis::aBothVertAxis);
    for (int i = 0; i < 50; ++i) series.AddPoint(i * 0.1, std::sin(i * 0.1));
    Chart.OnAfterDraw = [this](TCustomChartPanel&) { ++Passes; };
  }

  test::TCountingHost Host;
  TChart Chart;
  int Passes = 0;
};

struct FrameRow {
  const char* Name;
  TRect Rect;
  TSize Pixels; // the metafile's size in pixels
};

class FrameTable : public testing::TestWithParam<FrameRow> {};

// The metafile is one pixel smaller than the picture, never below one, and
// its frame comes from the screen's size in pixels and millimetres.
TEST_P(FrameTable, FrameIsThePictureLessOnePixelOnTheScreen) {
  TRecordedChart recorded;
  const std::unique_ptr<TMetafile> metafile = recorded.Chart.MakeChartMetafile(true, GetParam().Rect);
  const TScreenSize screen = ScreenSize();
  const TSize pixels = GetParam().Pixels;
  const std::int32_t width = MulDiv(pixels.Width, screen.Millimetres.Width * 100, screen.Pixels.Width);
  const std::int32_t height = MulDiv(pixels.Height, screen.Millimetres.Height * 100, screen.Pixels.Height);
  EXPECT_EQ(metafile->Width(), width);
  EXPECT_EQ(metafile->Height(), height);
  const TEmfRecord header = EmfRecords(metafile->Bytes()).front();
  EXPECT_EQ((std::vector{header.I32(24), header.I32(28), header.I32(32), header.I32(36)}),
            (std::vector{0, 0, width, height}));
  EXPECT_EQ(header.I32(72), screen.Pixels.Width);
  EXPECT_EQ(header.I32(80), screen.Millimetres.Width);
  EXPECT_EQ(header.U32(60), 0u) << "no description";
  EXPECT_EQ(header.U32(64), 0u);
  EXPECT_EQ(test::UnsafeEmfRecord(metafile->Bytes()), "");
}

INSTANTIATE_TEST_SUITE_P(ChartMetafile, FrameTable,
                         testing::Values(FrameRow{"Window", {0, 0, 989, 565}, {988, 564}},
                                         FrameRow{"Small", {0, 0, 30, 20}, {29, 19}},
                                         FrameRow{"OnePixel", {0, 0, 1, 1}, {1, 1}},
                                         FrameRow{"NoPixels", {0, 0, 0, 0}, {1, 1}},
                                         FrameRow{"OneWide", {0, 0, 2, 40}, {1, 39}}),
                         test::RowName());

TEST(ChartMetafile, ScreenRepaintsInFullAfterTheExport) {
  TRecordedChart recorded;
  recorded.Chart.Paint();
  recorded.Chart.MakeChartMetafile(true, recorded.Chart.ClientDrawRect());
  EXPECT_TRUE(recorded.Chart.Canvas().OffscreenBuffer());
  EXPECT_FALSE(recorded.Chart.Canvas().Metafiling());
  const int passes = recorded.Passes;
  recorded.Chart.Paint();
  EXPECT_EQ(recorded.Passes, passes + 1);
}

TEST(ChartMetafile, FailedRecordingRestoresTheSwitchesAndCreatesNoFile) {
  TRecordedChart recorded;
  recorded.Chart.OnAfterDraw = [&](TCustomChartPanel& panel) {
    EXPECT_TRUE(static_cast<TChart&>(panel).Canvas().Metafiling());
    throw ChartException("drawing failed");
  };
  const test::TTempFolder temp;
  const std::filesystem::path path = temp.Path() / "chart.emf";
  EXPECT_THROW(recorded.Chart.WriteMetafile(true, path.string(), {0, 0, 300, 200}), ChartException);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_TRUE(recorded.Chart.Canvas().OffscreenBuffer());
  EXPECT_FALSE(recorded.Chart.Canvas().Metafiling());
  // The canvas is back on the window's, not on the freed recording, and the
  // next paint draws the whole chart again.
  EXPECT_EQ(&recorded.Chart.Canvas().ReferenceCanvas(), &recorded.Chart.WindowCanvas());
  recorded.Chart.OnAfterDraw = [&](TCustomChartPanel&) { ++recorded.Passes; };
  recorded.Chart.Paint();
  EXPECT_EQ(recorded.Passes, 1);
}

TEST(ChartMetafile, FailedBitmapLeavesTheCanvasOnTheWindow) {
  TRecordedChart recorded;
  recorded.Chart.Paint();
  recorded.Chart.OnAfterDraw = [](TCustomChartPanel&) { throw ChartException("drawing failed"); };
  EXPECT_THROW(recorded.Chart.MakeChartBitmap(clWhite, {0, 0, 300, 200}), ChartException);
  EXPECT_EQ(&recorded.Chart.Canvas().ReferenceCanvas(), &recorded.Chart.WindowCanvas());
  recorded.Chart.OnAfterDraw = [&](TCustomChartPanel&) { ++recorded.Passes; };
  const int passes = recorded.Passes;
  recorded.Chart.Paint();
  EXPECT_EQ(recorded.Passes, passes + 1);
}

// The series is clipped in the recording as on screen: inside the frame,
// off its bottom row and the row above.
TEST(ChartMetafile, RecordingClipsTheSeriesAsTheScreenDoes) {
  TRecordedChart recorded;
  const std::unique_ptr<TMetafile> metafile = recorded.Chart.MakeChartMetafile(true, {0, 0, 300, 200});
  const TRect plot = recorded.Chart.PlotRect();
  bool clipped = false;
  for (const TEmfRecord& r : EmfRecords(metafile->Bytes())) {
    if (r.Type != emf::EMR_INTERSECTCLIPRECT) continue;
    clipped = true;
    EXPECT_EQ((std::vector{r.I32(8), r.I32(12), r.I32(16), r.I32(20)}),
              (std::vector{plot.Left + 1, plot.Top + 1, plot.Right, plot.Bottom - 1}));
  }
  EXPECT_TRUE(clipped);
}

TEST(ChartMetafile, RecordingDrawsWhatTheBitmapDraws) {
  TRecordedChart recorded;
  const std::unique_ptr<TMetafile> metafile = recorded.Chart.MakeChartMetafile(true, {0, 0, 300, 200});
  std::size_t lines = 0;
  std::size_t texts = 0;
  for (const TEmfRecord& r : EmfRecords(metafile->Bytes())) {
    lines += r.Type == emf::EMR_LINETO;
    texts += r.Type == emf::EMR_EXTTEXTOUTW;
  }
  EXPECT_GE(lines, 49u) << "one segment between each two points, and the axes";
  EXPECT_GE(texts, 4u) << "labels";
}

} // namespace
} // namespace curvella
