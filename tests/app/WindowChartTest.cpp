#include "app/WindowChart.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "numtext/PictureFormat.h"
#include "platform/Fonts.h"
#include "support/RowName.h"

namespace curvella {
namespace {

// The window's chart at the window's size, shown once empty as the window
// shows it when it opens.
struct TWindowChart {
  TWindowChart() : Series(ApplyWindowChartSettings(Chart)) { Chart.Paint(); }

  // Fills the series as a run does and paints as the window then does.
  void Run(const std::function<double(double)>& f, double first, double last, int steps) {
    for (int i = 0; i < steps; ++i) {
      const double x = first + (last - first) * i / steps;
      Series.AddPoint(x, f(x));
    }
    Chart.Paint();
  }

  // A fresh drawing pass with the settled layout.
  void Repaint() {
    Chart.Invalidate();
    Chart.Paint();
  }

  std::uint32_t At(int x, int y) const { return RGBOfPixel(Chart.WindowImage().pixel(x, y)); }
  std::uint32_t Background() const { return ColorToRGB(clWindow); }

  TChart Chart;
  TLineSeries& Series;
};

std::int32_t WidthIn(TFont& font, std::string_view text) {
  return TextExtent(font.Description(), text).Width;
}
std::int32_t HeightIn(TFont& font) { return TextExtent(font.Description(), "W").Height; }

enum TPart { Title = 1, Bottom = 2, Top = 4, Left = 8, Right = 16 };

struct LayoutRow {
  const char* Name;
  int Parts;
};

class LayoutTable : public testing::TestWithParam<LayoutRow> {};

// Each part of the window's chart takes its room from the margins' plot
// rectangle (20, 0, 969, 548) in turn: the title its line and 5 pixels, the
// bottom axis a label line and 6, the label-less top axis 6, the left and
// right axes their widest end label, a blank and 6.
TEST_P(LayoutTable, PartsTakeTheirRoomInTurn) {
  TWindowChart window;
  TChart& chart = window.Chart;
  const int parts = GetParam().Parts;
  if (!(parts & Title)) chart.Title().SetText({});
  const std::vector<std::pair<TChartAxis*, int>> axes = {{&chart.BottomAxis(), Bottom},
                                                         {&chart.TopAxis(), Top},
                                                         {&chart.LeftAxis(), Left},
                                                         {&chart.RightAxis(), Right}};
  for (auto [axis, part] : axes) axis->SetVisible((parts & part) != 0);
  window.Repaint();

  TRect expected{20, 0, 969, 548};
  if (parts & Title) expected.Top += HeightIn(chart.Title().Font()) + 5;
  if (parts & Bottom) expected.Bottom -= HeightIn(chart.BottomAxis().LabelsFont()) + 6;
  if (parts & Top) expected.Top += 6;
  // Before any point every range is 0 .. 0: the left axis labels "0", the
  // wide picture of the right axis gives only blanks.
  TFont& leftFont = chart.LeftAxis().LabelsFont();
  if (parts & Left) expected.Left += WidthIn(leftFont, "0") + WidthIn(leftFont, " ") + 6;
  TFont& rightFont = chart.RightAxis().LabelsFont();
  const std::string zero = FormatPicture(kWideLabelPicture, 0);
  if (parts & Right) expected.Right -= WidthIn(rightFont, zero) + WidthIn(rightFont, " ") + 6;
  EXPECT_EQ(chart.PlotRect(), expected);
}

INSTANTIATE_TEST_SUITE_P(WindowChart, LayoutTable,
                         testing::Values(LayoutRow{"MarginsOnly", 0}, LayoutRow{"Title", Title},
                                         LayoutRow{"BottomAxis", Bottom}, LayoutRow{"TopAxis", Top},
                                         LayoutRow{"LeftAxis", Left}, LayoutRow{"RightAxis", Right},
                                         LayoutRow{"Window", Title | Bottom | Top | Left | Right}),
                         test::RowName());

TEST(WindowChart, PictureIsTheWindowsSizeLessItsBorder) {
  TWindowChart window;
  EXPECT_EQ(window.Chart.ClientDrawRect(), (TRect{0, 0, 989, 565}));
  EXPECT_EQ(window.Chart.WindowImage().size(), QSize(989, 565));
  EXPECT_EQ(window.Chart.Title().Text(), std::vector<std::string>{"Y=F(x)"});
  EXPECT_EQ(window.Series.SeriesColor(), clBlue);
}

TEST(WindowChart, EmptyChartHasItsFrameFourAxesAndOneLabel) {
  TWindowChart window;
  const TRect plot = window.Chart.PlotRect();
  const int middleY = (plot.Top + plot.Bottom) / 2;
  // Away from the grid lines through the middle, drawn over the frame.
  const int quarterX = plot.Left + plot.Width() / 4;
  const int quarterY = plot.Top + plot.Height() / 4;
  for (auto [x, y] : std::vector<std::pair<int, int>>{
           {plot.Left, quarterY}, {plot.Right, quarterY}, {quarterX, plot.Top}, {quarterX, plot.Bottom}}) {
    EXPECT_EQ(window.At(x, y), 0u) << "frame at " << x << "," << y;
  }
  // Ink left of the left axis's ticks: only the "0" at the middle.
  int top = 565, bottom = -1;
  for (int y = 0; y < 565; ++y) {
    for (int x = 0; x < plot.Left - 6; ++x) {
      if (window.At(x, y) == window.Background()) continue;
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  ASSERT_GE(bottom, top) << "no label";
  EXPECT_LE(bottom - top, HeightIn(window.Chart.LeftAxis().LabelsFont()));
  EXPECT_NEAR((top + bottom) / 2.0, middleY, 4);
  // Below the bottom axis's ticks and right of the right axis's: blanks.
  for (int y = plot.Bottom + 7; y < 565; ++y) {
    for (int x = 0; x < 989; ++x) ASSERT_EQ(window.At(x, y), window.Background()) << x << "," << y;
  }
  for (int y = 0; y < 565; ++y) {
    for (int x = plot.Right + 7; x < 989; ++x)
      ASSERT_EQ(window.At(x, y), window.Background()) << x << "," << y;
  }
}

TEST(WindowChart, LineStaysInsideTheFrame) {
  TWindowChart window;
  // y = x from corner to corner, then along the bottom and the top edge.
  window.Run([](double x) { return x < 1 ? x : x < 1.5 ? 0 : 1; }, 0, 2, 200);
  window.Repaint();
  const TRect plot = window.Chart.PlotRect();
  int blue = 0;
  // Below the title, which is blue too.
  for (int y = window.Chart.Title().TitleRect().Bottom; y < 565; ++y) {
    for (int x = 0; x < 989; ++x) {
      if (window.At(x, y) != ColorToRGB(clBlue)) continue;
      ++blue;
      ASSERT_TRUE(x > plot.Left && x < plot.Right && y > plot.Top && y < plot.Bottom - 1) << x << "," << y;
    }
  }
  EXPECT_GT(blue, plot.Width());
}

TEST(WindowChart, GridLinesAreDottedGrayAndTheTopAxisIsOnlyItsLine) {
  TWindowChart window;
  window.Run([](double x) { return x * x - 3 * x + 2; }, 0, 2, 100);
  window.Repaint();
  const TRect plot = window.Chart.PlotRect();
  const std::vector<std::int32_t>& ticks = window.Chart.BottomAxis().TickPositions();
  ASSERT_GE(ticks.size(), 2u);
  // Runs of 3 gray pixels and 3 of the background: the gaps stay clear.
  for (std::int32_t x : ticks) {
    if (x <= plot.Left || x >= plot.Right) continue;
    int gray = 0;
    int run = 0;
    for (int y = plot.Top + 1; y < plot.Bottom; ++y) {
      const std::uint32_t pixel = window.At(x, y);
      if (pixel == ColorToRGB(clBlue)) continue;
      run = pixel == 0x808080 ? run + 1 : 0;
      gray += run > 0;
      ASSERT_LE(run, 3) << x << "," << y;
      ASSERT_TRUE(pixel == 0x808080 || pixel == window.Background()) << x << "," << y;
    }
    EXPECT_NEAR(gray, (plot.Height() - 1) / 2, 6) << "grid at " << x;
  }
  // The top axis reserves its tick room but draws neither ticks nor labels.
  const int titleBottom = window.Chart.Title().TitleRect().Bottom;
  for (int y = titleBottom; y < plot.Top - 2; ++y) {
    for (int x = plot.Left; x <= plot.Right; ++x) {
      ASSERT_EQ(window.At(x, y), window.Background()) << x << "," << y;
    }
  }
}

struct ExtremeRow {
  const char* Name;
  std::function<double(double)> F;
};

class ExtremeTable : public testing::TestWithParam<ExtremeRow> {};

TEST_P(ExtremeTable, WindowChartPaintsAnyRun) {
  TWindowChart window;
  ASSERT_NO_THROW(window.Run(GetParam().F, -1, 1, 100));
  ASSERT_NO_THROW(window.Repaint());
  EXPECT_GE(window.Chart.PlotWidth(), 1);
  EXPECT_GE(window.Chart.PlotHeight(), 1);
}

INSTANTIATE_TEST_SUITE_P(WindowChart, ExtremeTable,
                         testing::Values(ExtremeRow{"Constant", [](double) { return 7.0; }},
                                         ExtremeRow{"Huge", [](double x) { return x * 1e300; }},
                                         ExtremeRow{"Infinite",
                                                    [](double x) { return x > 0 ? HUGE_VAL : x; }},
                                         ExtremeRow{"NaN", [](double x) { return x > 0 ? std::nan("") : x; }},
                                         ExtremeRow{"TinySteps", [](double x) { return 1 + x * 1e-15; }}),
                         test::RowName());

} // namespace
} // namespace curvella
