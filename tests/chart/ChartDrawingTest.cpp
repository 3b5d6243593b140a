#include "chart/Chart.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

#include "ChartFixtures.h"
#include "chart/ChartMessages.h"
#include "chart/Series.h"
#include "support/RowName.h"

namespace curvella {
namespace {

// A chart with one blue line series on all four side axes that counts its
// drawing passes.
struct TPaintedChart {
  explicit TPaintedChart(TSize size) {
    Chart.SetHost(&Host);
    Chart.SetView3D(false);
    Chart.SetControlSize(size);
    Series = static_cast<TLineSeries*>(&Chart.AddSeries(std::make_unique<TLineSeries>()));
    Series->SetSeriesColor(clBlue);
    Series->SetHorizAxis(THorizAxis::aBothHorizAxis);
    Series->SetVertAxis(TVertAxis::aBothVertAxis);
    Chart.OnAfterDraw = [this](TCustomChartPanel&) { ++Passes; };
  }

  test::TCountingHost Host;
  TChart Chart;
  TLineSeries* Series;
  int Passes = 0;
};

struct PanelMarginRow {
  const char* Name;
  TSize Size;
  std::int32_t Left, Top, Right, Bottom; // percent
  TRect Plot;
};

class PanelMarginTable : public testing::TestWithParam<PanelMarginRow> {};

TEST_P(PanelMarginTable, PlotStartsFromThePercentMarginsRoundedPerSide) {
  TPaintedChart painted(GetParam().Size);
  TChart& chart = painted.Chart;
  chart.SetAxisVisible(false);
  chart.SetMarginLeft(GetParam().Left);
  chart.SetMarginTop(GetParam().Top);
  chart.SetMarginRight(GetParam().Right);
  chart.SetMarginBottom(GetParam().Bottom);
  chart.Paint();
  EXPECT_EQ(chart.PlotRect(), GetParam().Plot);
}

INSTANTIATE_TEST_SUITE_P(
    ChartDrawing, PanelMarginTable,
    testing::Values(PanelMarginRow{"WindowMargins", {989, 565}, 2, 0, 2, 3, {20, 0, 969, 548}},
                    PanelMarginRow{"HalvesAwayFromZero", {25, 50}, 2, 1, 2, 1, {1, 1, 24, 49}},
                    PanelMarginRow{"DefaultMargins", {400, 250}, 3, 4, 3, 4, {12, 10, 388, 240}},
                    PanelMarginRow{"NoMargins", {10, 10}, 0, 0, 0, 0, {0, 0, 10, 10}}),
    test::RowName());

struct NarrowRow {
  const char* Name;
  TSize Size;
};

class NarrowChartTable : public testing::TestWithParam<NarrowRow> {};

TEST_P(NarrowChartTable, ChartNarrowerThanItsAxesStillPaints) {
  TPaintedChart painted(GetParam().Size);
  for (double x : {0.0, 1.0, 2.0}) painted.Series->AddPoint(x, x * 1000);
  painted.Chart.Title().SetText({"A title"});
  ASSERT_NO_THROW(painted.Chart.Paint());
  EXPECT_EQ(painted.Passes, 1);
  EXPECT_GE(painted.Chart.PlotWidth(), 1);
  EXPECT_GE(painted.Chart.PlotHeight(), 1);
}

INSTANTIATE_TEST_SUITE_P(ChartDrawing, NarrowChartTable,
                         testing::Values(NarrowRow{"OnePixel", {1, 1}}, NarrowRow{"Tiny", {5, 3}},
                                         NarrowRow{"NarrowerThanLabels", {30, 200}},
                                         NarrowRow{"LowerThanLabels", {300, 12}}),
                         test::RowName());

TEST(ChartDrawing, RepaintWithoutAChangeCopiesTheCachedPicture) {
  TPaintedChart painted({200, 120});
  TChart& chart = painted.Chart;
  for (double x : {0.0, 1.0, 2.0}) painted.Series->AddPoint(x, x * x);
  chart.Paint();
  const QImage first = chart.WindowImage().copy();
  chart.Paint();
  EXPECT_EQ(painted.Passes, 1);
  EXPECT_EQ(chart.WindowImage(), first);

  painted.Series->AddPoint(3, 0);
  EXPECT_GT(painted.Host.Invalidations, 0);
  chart.Paint();
  EXPECT_EQ(painted.Passes, 2);
  EXPECT_NE(chart.WindowImage(), first);

  chart.SetControlSize({150, 100});
  chart.Paint();
  EXPECT_EQ(painted.Passes, 3);
  EXPECT_EQ(chart.WindowImage().size(), QSize(150, 100));

  chart.Canvas().SetOffscreenBuffer(false);
  chart.Paint();
  chart.Paint();
  EXPECT_EQ(painted.Passes, 5) << "without the buffer every paint draws";
}

// An event of the pass that changes the chart asks for another paint, and
// that paint draws the change rather than the cached picture.
TEST(ChartDrawing, ChangeMadeDuringAPaintIsDrawnByTheNext) {
  TPaintedChart painted({200, 120});
  TChart& chart = painted.Chart;
  painted.Series->AddPoint(0, 0);
  chart.OnAfterDraw = [&](TCustomChartPanel&) {
    if (++painted.Passes == 1) chart.Title().SetText({"changed"});
  };
  chart.Paint();
  EXPECT_TRUE(chart.Canvas().Stale());
  chart.Paint();
  EXPECT_EQ(painted.Passes, 2);
  chart.Paint();
  EXPECT_EQ(painted.Passes, 2);
}

// The label room is measured with the label step of the previous layout:
// the first one, with none, measures the unrounded ends of the range.
TEST(ChartDrawing, FirstLayoutMeasuresLabelsAtTheUnroundedEnds) {
  TPaintedChart painted({240, 160});
  TChart& chart = painted.Chart;
  for (double x : {-1.0, 0.5, 2.0}) painted.Series->AddPoint(x, std::sin(x));
  chart.Paint();
  const TRect first = chart.PlotRect();
  chart.Invalidate();
  chart.Paint();
  EXPECT_GT(chart.PlotRect().Width(), first.Width());
  const TRect second = chart.PlotRect();
  chart.Invalidate();
  chart.Paint();
  EXPECT_EQ(chart.PlotRect(), second);
}

TEST(ChartDrawing, BitmapExportDrawsTheWindowsPictureAndKeepsTheBuffer) {
  TPaintedChart painted({240, 160});
  TChart& chart = painted.Chart;
  for (double x : {-1.0, 0.5, 2.0}) painted.Series->AddPoint(x, std::sin(x));
  chart.Paint();
  chart.Invalidate();
  chart.Paint();
  const std::unique_ptr<TBitmap> bitmap = chart.MakeChartBitmap(clWhite, chart.ClientDrawRect());
  const QImage exported = bitmap->Image().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(exported.size(), chart.WindowImage().size());
  for (int y = 0; y < exported.height(); ++y) {
    for (int x = 0; x < exported.width(); ++x) {
      ASSERT_EQ(RGBOfPixel(exported.pixel(x, y)), RGBOfPixel(chart.WindowImage().pixel(x, y)))
          << x << "," << y;
    }
  }
  EXPECT_TRUE(chart.Canvas().OffscreenBuffer());
  const int passes = painted.Passes;
  chart.Paint();
  EXPECT_EQ(painted.Passes, passes + 1) << "the export leaves the cached picture stale";
}

TEST(ChartDrawing, ExportRestoresTheBufferWhenDrawingFails) {
  TPaintedChart painted({100, 80});
  painted.Chart.OnAfterDraw = [](TCustomChartPanel&) { throw ChartException("drawing failed"); };
  EXPECT_THROW(painted.Chart.MakeChartBitmap(clWhite, {0, 0, 100, 80}), ChartException);
  EXPECT_TRUE(painted.Chart.Canvas().OffscreenBuffer());
}

struct ExtremeRow {
  const char* Name;
  std::vector<double> Y;
};

class ExtremeValueTable : public testing::TestWithParam<ExtremeRow> {};

// Values no axis can scale sensibly still give a picture, never a fault.
TEST_P(ExtremeValueTable, ChartOfExtremeValuesPaints) {
  TPaintedChart painted({300, 200});
  const std::vector<double>& ys = GetParam().Y;
  for (std::size_t i = 0; i < ys.size(); ++i) painted.Series->AddPoint(static_cast<double>(i), ys[i]);
  ASSERT_NO_THROW(painted.Chart.Paint());
  EXPECT_EQ(painted.Passes, 1);
  EXPECT_GE(painted.Chart.PlotWidth(), 1);
  EXPECT_GE(painted.Chart.PlotHeight(), 1);
}

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMax = std::numeric_limits<double>::max();

INSTANTIATE_TEST_SUITE_P(
    ChartDrawing, ExtremeValueTable,
    testing::Values(ExtremeRow{"Infinity", {0, kInf, 1}}, ExtremeRow{"MinusInfinity", {-kInf, 2}},
                    ExtremeRow{"NaN", {1, kNaN, 3}}, ExtremeRow{"AllNaN", {kNaN, kNaN}},
                    ExtremeRow{"Huge", {1e300, -1e300}}, ExtremeRow{"Widest", {-kMax, kMax}},
                    ExtremeRow{"ZeroRange", {5, 5, 5}}, ExtremeRow{"Tiny", {1e-300, 2e-300, 0}},
                    ExtremeRow{"HugeButClose", {1e300, 1.0000000000000002e300}}),
    test::RowName());

TEST(ChartDrawing, TenThousandPointsDrawWithinThePlot) {
  TPaintedChart painted({989, 565});
  painted.Chart.Legend().SetVisible(false);
  for (int i = 0; i < 10000; ++i) painted.Series->AddPoint(i * 0.0002, std::sin(i * 0.01));
  painted.Chart.Paint();
  const TRect plot = painted.Chart.PlotRect();
  const QImage& image = painted.Chart.WindowImage();
  int blue = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (RGBOfPixel(image.pixel(x, y)) != clBlue) continue;
      ++blue;
      ASSERT_TRUE(x > plot.Left && x < plot.Right && y > plot.Top && y < plot.Bottom - 1) << x << "," << y;
    }
  }
  EXPECT_GT(blue, plot.Width());
}

} // namespace
} // namespace curvella
