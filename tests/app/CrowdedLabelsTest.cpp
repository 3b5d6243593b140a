#include "app/WindowChart.h"

#include <gtest/gtest.h>

#include <QImage>

#include "platform/Canvas.h"
#include "platform/RasterDevice.h"
#include "support/RowName.h"

namespace curvella {
namespace {

// Charts whose axes crowd thousands of labels onto a few pixels, as the
// raster device draws them with its text shortcuts and as Qt's text drawing
// draws every label whole.
struct CrowdedRow {
  const char* Name;
  void (*Setup)(TChart& chart, TLineSeries& series);
};

void WindowConstant(TChart&, TLineSeries& series) {
  for (int i = 0; i < 100; ++i) series.AddPoint(1000 + 90 * i, 8000);
}

void TinyNarrow(TChart& chart, TLineSeries& series) {
  chart.SetControlSize({121 + 2 * kWindowChartBorder, 20 + 2 * kWindowChartBorder});
  series.AddPoint(0, 0);
  series.AddPoint(1, 7.04000002703360E-0009);
}

void SmallXConstant(TChart&, TLineSeries& series) {
  for (int i = 0; i < 100; ++i) series.AddPoint(i * 0.02, 8000);
}

void NarrowestZoom(TChart& chart, TLineSeries& series) {
  for (int i = 0; i <= 100; ++i) series.AddPoint(100000 + i * 0.02, i);
  chart.BottomAxis().SetAxisRange(100000.00467832068, 100000.00467832068);
}

// Labels on all four sides, the top axis's too.
void FourAxes(TChart& chart, TLineSeries& series) {
  WindowConstant(chart, series);
  chart.TopAxis().SetLabels(true);
  chart.BottomAxis().SetAxisRange(5000.000000000001, 5000.000000000002);
}

void Downward(TChart&, TLineSeries& series) {
  for (int i = 0; i < 100; ++i) series.AddPoint(i, -3.5e-7 - i * 1e-22);
}

void Inverted(TChart& chart, TLineSeries& series) {
  WindowConstant(chart, series);
  chart.LeftAxis().SetInverted(true);
  chart.RightAxis().SetInverted(true);
}

void TinyConstant(TChart& chart, TLineSeries& series) {
  chart.SetControlSize({40, 17});
  WindowConstant(chart, series);
}

// Labels of both kinds the shortcuts leave to Qt: turned, and underlined.
void TurnedAndUnderlined(TChart& chart, TLineSeries& series) {
  WindowConstant(chart, series);
  chart.LeftAxis().SetLabelsAngle(90);
  chart.RightAxis().LabelsFont().SetStyle({.Underline = true});
}

void BoldItalic(TChart& chart, TLineSeries& series) {
  TinyNarrow(chart, series);
  chart.LeftAxis().LabelsFont().SetStyle({.Bold = true, .Italic = true});
  chart.RightAxis().LabelsFont().SetName("MS Sans Serif");
}

// Three drawing passes into one picture, as the window's repaints draw: a
// text is drawn from its glyphs from its second drawing on.
QImage Draw(const CrowdedRow& row, bool shortcuts) {
  TChart chart;
  TLineSeries& series = ApplyWindowChartSettings(chart);
  row.Setup(chart, series);
  const TRect rect = chart.ClientDrawRect();
  QImage image(rect.Width(), rect.Height(), QImage::Format_RGB32);
  image.fill(Qt::white);
  TRasterDeviceContext device(&image);
  device.SetTextShortcuts(shortcuts);
  TCanvas canvas(&device);
  chart.Canvas().SetOffscreenBuffer(false);
  for (int pass = 0; pass < 3; ++pass) chart.DrawToCanvas(canvas, rect);
  return image;
}

class CrowdedLabelsTable : public testing::TestWithParam<CrowdedRow> {};

TEST_P(CrowdedLabelsTable, PixelsAreThoseOfWholeTexts) {
  const QImage drawn = Draw(GetParam(), true);
  const QImage reference = Draw(GetParam(), false);
  ASSERT_EQ(drawn.size(), reference.size());
  int differing = 0;
  for (int y = 0; y < drawn.height(); ++y) {
    for (int x = 0; x < drawn.width(); ++x) differing += drawn.pixel(x, y) != reference.pixel(x, y);
  }
  EXPECT_EQ(differing, 0);
}

INSTANTIATE_TEST_SUITE_P(
    CrowdedLabels, CrowdedLabelsTable,
    testing::Values(CrowdedRow{"WindowConstant", WindowConstant}, CrowdedRow{"TinyNarrow", TinyNarrow},
                    CrowdedRow{"SmallXConstant", SmallXConstant}, CrowdedRow{"NarrowestZoom", NarrowestZoom},
                    CrowdedRow{"FourAxes", FourAxes}, CrowdedRow{"Downward", Downward},
                    CrowdedRow{"Inverted", Inverted}, CrowdedRow{"TinyConstant", TinyConstant},
                    CrowdedRow{"TurnedAndUnderlined", TurnedAndUnderlined},
                    CrowdedRow{"BoldItalic", BoldItalic}),
    test::RowName());

} // namespace
} // namespace curvella
