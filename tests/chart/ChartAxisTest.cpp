#include "chart/ChartAxis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "ChartFixtures.h"
#include "chart/ChartMessages.h"
#include "numtext/PictureFormat.h"
#include "support/RowName.h"

namespace curvella {
namespace {

using test::TChartModel;

struct StepRow {
  const char* Name;
  double From;
  double Next;
};

class NextStepTable : public testing::TestWithParam<StepRow> {};

TEST_P(NextStepTable, ClimbsTheOneTwoFiveSequence) {
  EXPECT_EQ(NextLabelStep(GetParam().From), GetParam().Next);
}

INSTANTIATE_TEST_SUITE_P(ChartAxis, NextStepTable,
                         testing::Values(StepRow{"One", 1, 2}, StepRow{"Two", 2, 5}, StepRow{"Three", 3, 5},
                                         StepRow{"Five", 5, 10}, StepRow{"Ten", 10, 20},
                                         StepRow{"Fifty", 50, 100}, StepRow{"Thousandth", 0.001, 0.002},
                                         StepRow{"MinimumStep", 1e-12, 1.0000000000000002e-12},
                                         StepRow{"Infinity", std::numeric_limits<double>::infinity(),
                                                 std::numeric_limits<double>::infinity()}),
                         test::RowName());

// The pixels one label takes along the bottom axis with its separation.
std::int32_t SpacedLabelWidth(TChartModel& model, double value) {
  TChartAxis& axis = model.Chart.BottomAxis();
  model.Chart.ApplyFont(axis.LabelsFont());
  const std::int32_t s = model.Chart.WidestLineWidth(axis.AxisLabelText(value));
  return s + static_cast<std::int32_t>(std::nearbyint(0.1 * s));
}

// The bottom axis over xs, long enough for `labels` labels of the widest of
// `widest`.
double BottomStep(std::vector<double> xs, int labels, double widest, double increment = 0) {
  TChartModel model;
  for (double x : xs) model.Series->AddPoint(x, 0);
  model.SetPlot({0, 0, labels * SpacedLabelWidth(model, widest), 100});
  model.Layout();
  TChartAxis& axis = model.Chart.BottomAxis();
  axis.SetIncrement(increment);
  model.Chart.ApplyFont(axis.LabelsFont());
  return axis.ComputeLabelStep();
}

TEST(ChartAxis, LabelStepsFromTheLabelRoom) {
  EXPECT_EQ(BottomStep({0, 2}, 14, 2), 1);
  EXPECT_NEAR(BottomStep({0, 0.5}, 20, 0.5), 0.05, 1e-15);
  EXPECT_EQ(BottomStep({0, 1e6}, 8, 1e6), 200000);
  // An explicit increment stays while its labels fit, else the next 1-2-5
  // value above it is taken.
  EXPECT_EQ(BottomStep({0, 10}, 30, 10, 0.5), 0.5);
  EXPECT_EQ(BottomStep({0, 10}, 8, 10, 0.5), 2);
}

TEST(ChartAxis, NoRoomForALabelGivesTheMinimumStep) {
  TChartModel model({0, 0, 2, 100});
  model.Series->AddPoint(0, 0);
  model.Series->AddPoint(1000, 0);
  model.Layout();
  EXPECT_EQ(model.Chart.BottomAxis().ComputeLabelStep(), kMinimumAxisStep);
  model.Chart.BottomAxis().SetLabelsSeparation(0); // no search at all
  EXPECT_EQ(model.Chart.BottomAxis().ComputeLabelStep(), kMinimumAxisStep);
}

std::vector<double> LeftLabels(std::vector<double> ys, TRect plot = {20, 20, 220, 220}) {
  TChartModel model(plot);
  for (std::size_t i = 0; i < ys.size(); ++i) model.Series->AddPoint(static_cast<double>(i), ys[i]);
  model.Layout();
  model.Chart.ApplyFont(model.Chart.LeftAxis().LabelsFont());
  return model.Chart.LeftAxis().LabelValues();
}

TEST(ChartAxis, ConstantFunctions) {
  // y = 5: the step is the minimum, and several labels printing 5 fall on
  // the centre pixel.
  const std::vector<double> five = LeftLabels({5, 5});
  EXPECT_GE(five.size(), 2u);
  for (double v : five) EXPECT_EQ(FormatPicture("#,##0.###", v), "5");
  EXPECT_EQ(five.front(), 5);
  EXPECT_EQ(LeftLabels({0, 0}), std::vector<double>{0});
  EXPECT_TRUE(LeftLabels({-5, -5}).empty()); // the bound lies above -5
  // y = 20000: a step below half a unit in the last place no longer lowers
  // the value, which gets one label.
  EXPECT_EQ(LeftLabels({20000, 20000}), std::vector<double>{20000});
  EXPECT_EQ(LeftLabels({}), std::vector<double>{0}); // no points: 0 to 0
}

TEST(ChartAxis, FirstLabelFromTheRoundedQuotient) {
  TChartModel model({20, 20, 220, 800});
  model.Series->AddPoint(0, 0);
  model.Series->AddPoint(1, 0.7);
  model.Layout();
  TChartAxis& left = model.Chart.LeftAxis();
  left.SetIncrement(0.1);
  model.Chart.ApplyFont(left.LabelsFont());
  ASSERT_EQ(left.ComputeLabelStep(), 0.1);
  const std::vector<double> labels = left.LabelValues();
  ASSERT_FALSE(labels.empty());
  EXPECT_EQ(labels.front(), 0.6000000000000001); // 0.7 gets no label
  EXPECT_EQ(labels.size(), 7u);
}

TEST(ChartAxis, InfiniteAndNaNValuesGiveNoLabelsAndNoHang) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_TRUE(LeftLabels({0, inf}).empty());
  EXPECT_TRUE(LeftLabels({inf, inf}).empty());
  EXPECT_TRUE(LeftLabels({-inf, 1}).empty());
  EXPECT_TRUE(LeftLabels({std::numeric_limits<double>::quiet_NaN(), 1}).empty());
}

TEST(ChartAxis, LabelSequencesAreDecreasingBoundedAndFinite) {
  std::mt19937 random(5);
  std::uniform_real_distribution<double> exponent(-8, 12);
  for (int i = 0; i < 500; ++i) {
    const double a = std::pow(10.0, exponent(random)) * (random() % 2 ? -1 : 1);
    const double b = a + std::pow(10.0, exponent(random)) * (random() % 3 == 0 ? 0 : 1);
    TChartModel model({20, 20, 20 + static_cast<int>(random() % 900), 20 + static_cast<int>(random() % 600)});
    model.Series->AddPoint(0, a);
    model.Series->AddPoint(1, b);
    model.Layout();
    TChartAxis& left = model.Chart.LeftAxis();
    model.Chart.ApplyFont(left.LabelsFont());
    const std::vector<double> labels = left.LabelValues();
    ASSERT_LT(labels.size(), 10000u);
    const double bound =
        static_cast<double>((static_cast<long double>(left.WorkingMinimum()) - 1e-12L) / 1.000000000001L);
    for (std::size_t k = 0; k < labels.size(); ++k) {
      ASSERT_LE(labels[k], left.WorkingMaximum()) << a << " .. " << b;
      ASSERT_GE(labels[k], bound) << a << " .. " << b;
      if (k > 0) {
        ASSERT_LT(labels[k], labels[k - 1]) << a << " .. " << b;
      }
    }
  }
}

TEST(ChartAxis, ValuesToPixelsAndBack) {
  TChartModel model({20, 20, 220, 120});
  model.Series->AddPoint(0, 0);
  model.Series->AddPoint(10, 10);
  model.Layout();
  const TChartAxis& bottom = model.Chart.BottomAxis();
  const TChartAxis& left = model.Chart.LeftAxis();
  EXPECT_EQ(bottom.ValueToPixel(0), 20);
  EXPECT_EQ(bottom.ValueToPixel(10), 220);
  EXPECT_EQ(bottom.ValueToPixel(5), 120);
  EXPECT_EQ(bottom.ValueToPixel(0.025), 20); // t = 0.5: ties to even
  EXPECT_EQ(bottom.ValueToPixel(0.075), 22); // t = 1.5
  EXPECT_EQ(left.ValueToPixel(0), 120);
  EXPECT_EQ(left.ValueToPixel(10), 20);
  EXPECT_EQ(bottom.ValueToPixel(1e300), bottom.CenterPixel());
  EXPECT_EQ(bottom.ValueToPixel(std::numeric_limits<double>::quiet_NaN()), bottom.CenterPixel());
  EXPECT_EQ(bottom.PixelToValue(20), 0);
  EXPECT_EQ(bottom.PixelToValue(220), 10);
  EXPECT_EQ(left.PixelToValue(20), 10);
  EXPECT_EQ(left.PixelToValue(70), 5);

  std::mt19937 random(3);
  std::uniform_real_distribution<double> value(0, 10);
  for (int i = 0; i < 10000; ++i) {
    const double v = value(random);
    ASSERT_LE(std::fabs(bottom.PixelToValue(bottom.ValueToPixel(v)) - v), 10.0 / 200 / 2 + 1e-12) << v;
    ASSERT_LE(std::fabs(left.PixelToValue(left.ValueToPixel(v)) - v), 10.0 / 100 / 2 + 1e-12) << v;
  }
}

TEST(ChartAxis, PixelsNearTheIntegerLimitsStayInRange) {
  TChartModel model({100, 20, 300, 120});
  model.Series->AddPoint(0, 0);
  model.Series->AddPoint(1, 1);
  model.Layout();
  const TChartAxis& bottom = model.Chart.BottomAxis();
  // t = 2147483600 is within the offset limit, the pixel beyond it.
  EXPECT_EQ(bottom.ValueToPixel(10737418), 2147483647);
  EXPECT_EQ(bottom.ValueToPixel(-10737418), 100 - 2147483600);
  EXPECT_TRUE(std::isfinite(bottom.PixelToValue(INT32_MIN)));
  model.Chart.BottomAxis().SetEndPosition(1e20);
  model.Chart.BottomAxis().PlaceAxisEnds();
  EXPECT_EQ(model.Chart.BottomAxis().LastPixel(), 2147483647);
}

TEST(ChartAxis, ZeroRangeMapsToTheCentre) {
  TChartModel model({20, 20, 220, 120});
  model.Series->AddPoint(3, 5);
  model.Layout();
  EXPECT_EQ(model.Chart.LeftAxis().ValueToPixel(5), 70);
  EXPECT_EQ(model.Chart.BottomAxis().ValueToPixel(-100), 120);
}

TEST(ChartAxis, MarginsWidenTheWorkingRange) {
  TChartModel model({20, 20, 220, 120});
  model.Series->AddPoint(0, 0);
  model.Series->AddPoint(10, 10);
  model.Layout();
  TChartAxis& bottom = model.Chart.BottomAxis();
  bottom.WidenForMargins(0, 0);
  EXPECT_EQ(bottom.WorkingMinimum(), 0);
  EXPECT_EQ(bottom.WorkingMaximum(), 10);
  bottom.WidenForMargins(10, 30);
  EXPECT_EQ(bottom.FirstPixel(), 20);
  EXPECT_EQ(bottom.LastPixel(), 220);
  // The data now fills the axis less 10 pixels on the left, 30 on the right.
  EXPECT_EQ(bottom.ValueToPixel(0), 30);
  EXPECT_EQ(bottom.ValueToPixel(10), 190);
  EXPECT_EQ(bottom.Minimum(), 0); // the properties stay
}

struct ZeroMarginRow {
  const char* Name;
  double Minimum;
  double Maximum;
  TRect Plot;
  double EndPosition; // percent of the plot width
  double WorkingMinimum;
  double WorkingMaximum;
};

class ZeroMarginTable : public testing::TestWithParam<ZeroMarginRow> {};

// Without margins the range stays exactly as the series gave it, even where
// mapping its ends to pixels and back would round (x sampled from 4 down to
// -1 by 100 steps ends at -0.9499999999999944).
TEST_P(ZeroMarginTable, KeepsTheRangeExactly) {
  const ZeroMarginRow& row = GetParam();
  TChartModel model(row.Plot);
  model.Series->AddPoint(row.Minimum, 0);
  model.Series->AddPoint(row.Maximum, 1);
  TChartAxis& bottom = model.Chart.BottomAxis();
  bottom.SetEndPosition(row.EndPosition);
  model.Layout();
  bottom.WidenForMargins(0, 0);
  EXPECT_EQ(bottom.WorkingMinimum(), row.WorkingMinimum);
  EXPECT_EQ(bottom.WorkingMaximum(), row.WorkingMaximum);
  EXPECT_EQ(bottom.WorkingRange(), row.WorkingMaximum - row.WorkingMinimum);
}

INSTANTIATE_TEST_SUITE_P(
    ChartAxis, ZeroMarginTable,
    testing::Values(
        ZeroMarginRow{
            "SampledDownward", -0x1.e666666666634p-1, 4, {0, 0, 989, 100}, 100, -0x1.e666666666634p-1, 4},
        ZeroMarginRow{"SampledDownwardNarrow",
                      -0x1.e666666666634p-1,
                      4,
                      {20, 20, 220, 120},
                      100,
                      -0x1.e666666666634p-1,
                      4},
        ZeroMarginRow{"Tenths", 0.1, 0.7, {0, 0, 333, 100}, 100, 0.1, 0.7},
        // An axis shorter than one pixel maps every pixel to 0.
        ZeroMarginRow{"NoLength", -0.95, 4, {0, 0, 989, 100}, 0, 0, 0}),
    test::RowName());

TEST(ChartAxis, RangesComeFromTheSeriesShownOnTheAxis) {
  TChartModel model;
  model.Series->AddPoint(0, -1);
  model.Series->AddPoint(2, 4);
  TChartSeries& off = model.Chart.AddSeries(std::make_unique<TLineSeries>());
  off.SetActive(false);
  off.AddPoint(-50, 50);
  model.Layout();
  for (TChartAxis* axis : {&model.Chart.BottomAxis(), &model.Chart.TopAxis()}) {
    EXPECT_EQ(axis->WorkingMinimum(), 0);
    EXPECT_EQ(axis->WorkingMaximum(), 2);
  }
  for (TChartAxis* axis : {&model.Chart.LeftAxis(), &model.Chart.RightAxis()}) {
    EXPECT_EQ(axis->WorkingMinimum(), -1);
    EXPECT_EQ(axis->WorkingMaximum(), 4);
  }
  EXPECT_EQ(model.Chart.DepthAxis().WorkingMinimum(), -0.5);
  EXPECT_EQ(model.Chart.DepthAxis().WorkingMaximum(), 0.5);
}

TEST(ChartAxis, SetAxisRange) {
  TChartModel model;
  TChartAxis& bottom = model.Chart.BottomAxis();
  bottom.SetAxisRange(3, 3);
  EXPECT_EQ(bottom.Minimum(), 3);
  EXPECT_EQ(bottom.Maximum(), 3.0000000001);
  EXPECT_FALSE(bottom.Automatic());
  EXPECT_FALSE(bottom.AutomaticMinimum());
  EXPECT_FALSE(bottom.AutomaticMaximum());
  bottom.SetAxisRange(5, 1);
  EXPECT_EQ(bottom.Minimum(), 1);
  EXPECT_EQ(bottom.Maximum(), 5);
  model.Series->AddPoint(-7, 0);
  model.Layout();
  EXPECT_EQ(bottom.WorkingMinimum(), 1); // frozen
}

TEST(ChartAxis, ShiftStopsAtTheSeriesValuesWithLimits) {
  TChartModel model;
  model.Series->AddPoint(0, 0);
  model.Series->AddPoint(10, 0);
  TChartAxis& bottom = model.Chart.BottomAxis();
  bottom.SetAxisRange(0, 5);
  const int repaints = model.Host.Repaints;
  std::vector<double> maxima;
  for (int i = 0; i < 5; ++i) {
    bottom.ShiftAxisRange(true, 2);
    maxima.push_back(bottom.Maximum());
  }
  EXPECT_EQ(maxima, (std::vector<double>{7, 9, 11, 11, 11}));
  EXPECT_EQ(model.Host.Repaints, repaints + 3); // painted at once each time
  for (int i = 0; i < 5; ++i) bottom.ShiftAxisRange(true, -3);
  EXPECT_EQ(bottom.Minimum(), 0); // 6, 3, 0, then the smallest x is reached
  bottom.ShiftAxisRange(true, 0);
  EXPECT_EQ(bottom.Minimum(), 0);
  bottom.ShiftAxisRange(false, -10); // without limits
  EXPECT_EQ(bottom.Minimum(), -10);
}

TEST(ChartAxis, SettersCheckTheirValues) {
  TChartModel model;
  TChartAxis& left = model.Chart.LeftAxis();
  left.SetAxisRange(0, 10);
  const auto message = [](const std::function<void()>& set) -> std::string {
    try {
      set();
    } catch (const ChartException& e) {
      return e.Message();
    }
    return "accepted";
  };
  EXPECT_EQ(message([&] { left.SetMinimum(11); }), "Axis Minimum Value must be <= Maximum");
  EXPECT_EQ(message([&] { left.SetMaximum(-1); }), "Axis Maximum Value must be >= Minimum");
  EXPECT_EQ(message([&] { left.SetIncrement(-0.5); }), "Axis increment must be >= 0");
  EXPECT_EQ(message([&] { left.SetLabelsSeparation(-1); }), "Labels Separation % must be greater than 0");
  EXPECT_EQ(message([&] { left.SetLabelsSeparation(0); }), "accepted");
  EXPECT_EQ(message([&] { left.SetLabelsAngle(360); }),
            "Axis Labels Angle must be between 0 and 359 degrees");
  EXPECT_EQ(left.Minimum(), 0);
  EXPECT_EQ(left.Maximum(), 10);
  model.Chart.SetLoading(true);
  EXPECT_EQ(message([&] { left.SetMinimum(20); }), "accepted"); // stored settings are not checked
  model.Chart.SetLoading(false);
  model.Series->AddPoint(0, -2);
  left.SetAutomatic(true);
  model.Layout();
  EXPECT_EQ(message([&] { left.SetLogarithmic(true); }),
            "Logarithmic Axis Min and Max values should be >= 0");
}

TEST(ChartAxis, AutomaticFlagsAreCoupled) {
  TChartModel model;
  TChartAxis& axis = model.Chart.BottomAxis();
  axis.SetAutomaticMinimum(false);
  EXPECT_FALSE(axis.Automatic());
  EXPECT_TRUE(axis.AutomaticMaximum());
  axis.SetAutomaticMinimum(true); // both ends automatic again
  EXPECT_TRUE(axis.Automatic());
  axis.SetAutomatic(false);
  EXPECT_FALSE(axis.AutomaticMinimum());
  EXPECT_FALSE(axis.AutomaticMaximum());
  axis.SetAutomaticMaximum(true); // one end only
  EXPECT_FALSE(axis.Automatic());
}

TEST(ChartAxis, LabelTexts) {
  TChartModel model;
  TChartAxis& left = model.Chart.LeftAxis();
  EXPECT_EQ(left.AxisLabelText(1234.5), "1,234.5");
  SetThousandSeparator(' ');
  left.SetLabelsMultiLine(true);
  EXPECT_EQ(left.AxisLabelText(1234567), "1\r234\r567");
  SetThousandSeparator(',');
  model.Chart.OnGetAxisLabel = [](TChartAxis&, TChartSeries* series, std::int32_t index, std::string& text) {
    EXPECT_EQ(series, nullptr);
    EXPECT_EQ(index, -1);
    text = "<" + text + ">";
  };
  EXPECT_EQ(left.AxisLabelText(2), "<2>");
  model.Chart.BottomAxis().SetAxisValuesFormat("0.00");
  EXPECT_EQ(model.Chart.BottomAxis().AxisLabelText(2), "<2.00>");
}

} // namespace
} // namespace curvella
