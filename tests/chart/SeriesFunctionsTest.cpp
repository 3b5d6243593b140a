#include "chart/SeriesFunctions.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "ChartFixtures.h"
#include "chart/ChartMessages.h"
#include "support/RowName.h"

namespace curvella {
namespace {

using test::TChartModel;

std::vector<std::pair<double, double>> Points(const TChartSeries& s) {
  std::vector<std::pair<double, double>> points;
  for (std::int32_t i = 0; i < s.PointCount(); ++i) points.emplace_back(s.XValue(i), s.YValue(i));
  return points;
}

// A chart with a source series of the given Y values at X = 0, 1, 2 ... and
// a line series computed from it by a function.
struct TFunctionModel {
  explicit TFunctionModel(std::unique_ptr<TSeriesFunction> function, std::vector<double> ys = {1, 2, 3}) {
    Source = model.Series;
    for (std::size_t i = 0; i < ys.size(); ++i) Source->AddPoint(static_cast<double>(i), ys[i]);
    Result = &model.Chart.AddSeries(std::make_unique<TLineSeries>());
    Function = function.get();
    Result->SetFunction(std::move(function));
  }
  void Connect() { Result->AddDataSource(Source); }

  TChartModel model;
  TChartSeries* Source;
  TChartSeries* Result;
  TSeriesFunction* Function;
};

TEST(SeriesFunction, WithoutDataSourceItNeverTouchesItsSeries) {
  TChartModel model;
  model.Series->SetFunction(std::make_unique<TAddFunction>());
  model.Series->AddPoint(1, 2);
  model.Series->AddPoint(3, 4);
  model.Series->Function()->SetPeriod(5);
  EXPECT_EQ(Points(*model.Series), (std::vector<std::pair<double, double>>{{1, 2}, {3, 4}}));
  model.Series->ClearPoints();
  model.Series->AddPoint(5, 6);
  EXPECT_EQ(Points(*model.Series), (std::vector<std::pair<double, double>>{{5, 6}}));
  EXPECT_EQ(model.Series->Function()->Period(), 5);
}

TEST(SeriesFunction, AddOverTheWholeSourceDrawsALevelLine) {
  TFunctionModel m(std::make_unique<TAddFunction>());
  m.Connect();
  EXPECT_EQ(Points(*m.Result), (std::vector<std::pair<double, double>>{{0, 6}, {2, 6}}));
}

TEST(SeriesFunction, AddPerTwoPointsCentred) {
  TFunctionModel m(std::make_unique<TAddFunction>());
  m.Function->SetPeriod(2);
  m.Connect();
  EXPECT_EQ(Points(*m.Result), (std::vector<std::pair<double, double>>{{0.5, 3}}));
  m.Function->SetPeriodAlign(TFunctionPeriodAlign::paLast); // recomputes
  EXPECT_EQ(Points(*m.Result), (std::vector<std::pair<double, double>>{{1, 3}}));
  m.Function->SetPeriod(0.3); // rounds to 0 points: counts as 1
  EXPECT_EQ(Points(*m.Result), (std::vector<std::pair<double, double>>{{0, 1}, {1, 2}, {2, 3}}));
}

TEST(SeriesFunction, RangePeriods) {
  TFunctionModel m(std::make_unique<TAverageFunction>(), {1, 2, 3, 4, 5});
  m.Function->SetPeriodStyle(TFunctionPeriodStyle::psRange);
  m.Function->SetPeriodAlign(TFunctionPeriodAlign::paFirst);
  m.Function->SetPeriod(2);
  m.Connect();
  EXPECT_EQ(Points(*m.Result), (std::vector<std::pair<double, double>>{{0, 1.5}, {2, 3.5}, {4, 5}}));
}

TEST(SeriesFunction, RangePeriodTooSmallToMoveTheMarkerIsOnePeriod) {
  TChartModel model;
  for (double x : {1e16, 2e16, 3e16}) model.Series->AddPoint(x, x / 1e16);
  TChartSeries& result = model.Chart.AddSeries(std::make_unique<TLineSeries>());
  auto average = std::make_unique<TAverageFunction>();
  average->SetPeriodStyle(TFunctionPeriodStyle::psRange);
  average->SetPeriodAlign(TFunctionPeriodAlign::paFirst);
  average->SetPeriod(1); // 1e16 + 1 is 1e16
  result.SetFunction(std::move(average));
  result.AddDataSource(model.Series);
  EXPECT_EQ(Points(result), (std::vector<std::pair<double, double>>{{1e16, 2}}));
}

struct ManyPeriodsRow {
  const char* Name;
  TFunctionPeriodStyle Style;
  std::vector<double> Xs;
  std::int32_t Points; // -1: refused
};

class ManyPeriodsTable : public testing::TestWithParam<ManyPeriodsRow> {};

// Periods of one point or one unit add a point each, empty range periods
// too, however many there are; a range that would take more periods than
// memory holds points is refused before anything is added, and positions
// that are no number end the periods.
TEST_P(ManyPeriodsTable, EveryPeriodOrNone) {
  const ManyPeriodsRow& row = GetParam();
  TChartModel model;
  for (double x : row.Xs) model.Series->AddPoint(x, 1);
  TChartSeries& result = model.Chart.AddSeries(std::make_unique<TLineSeries>());
  auto add = std::make_unique<TAddFunction>();
  add->SetPeriodStyle(row.Style);
  add->SetPeriod(1);
  result.SetFunction(std::move(add));
  if (row.Points < 0) {
    try {
      result.AddDataSource(model.Series);
      FAIL() << "no error";
    } catch (const ChartException& e) {
      EXPECT_EQ(e.Message(), "Function Period too small for the range of its source");
    }
    EXPECT_EQ(result.PointCount(), 0);
    return;
  }
  result.AddDataSource(model.Series);
  EXPECT_EQ(result.PointCount(), row.Points);
  if (row.Points > 0) {
    EXPECT_EQ(result.YValue(result.PointCount() - 1), 1);
  }
}

std::vector<double> Steps(int count) {
  std::vector<double> xs;
  for (int i = 0; i < count; ++i) xs.push_back(i);
  return xs;
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    SeriesFunction, ManyPeriodsTable,
    testing::Values(
        ManyPeriodsRow{"MillionAndFivePoints", TFunctionPeriodStyle::psNumPoints, Steps(1'000'005),
                       1'000'005},
        ManyPeriodsRow{"RangeOfThreeMillionUnits", TFunctionPeriodStyle::psRange, {0, 3e6}, 3'000'001},
        ManyPeriodsRow{"RangeOfAThousandMillionUnits", TFunctionPeriodStyle::psRange, {0, 1e9}, -1},
        ManyPeriodsRow{"InfinitePosition",
                       TFunctionPeriodStyle::psRange,
                       {0, std::numeric_limits<double>::infinity()},
                       -1},
        ManyPeriodsRow{
            "PositionsThatAreNoNumbersEndThePeriods", TFunctionPeriodStyle::psRange, {0, 1, kNaN}, 2}),
    test::RowName());

TEST(SeriesFunction, PeriodBelowZeroIsRefused) {
  TAddFunction function;
  function.SetPeriod(3);
  for (double period : {-1.0, std::numeric_limits<double>::quiet_NaN()}) {
    try {
      function.SetPeriod(period);
      FAIL() << "no error";
    } catch (const ChartException& e) {
      EXPECT_EQ(e.Message(), "Function Period should be >= 0");
    }
  }
  EXPECT_EQ(function.Period(), 3);
}

TEST(SeriesFunction, APeriodLongerThanTheSourceMakesNoPoint) {
  for (double period : {6.0, 1e19, 1e300, std::numeric_limits<double>::infinity()}) {
    TFunctionModel m(std::make_unique<TAddFunction>(), {1, 2, 3, 4, 5});
    m.Function->SetPeriod(period);
    m.Connect();
    EXPECT_EQ(m.Result->PointCount(), 0) << period;
  }
}

struct RangeRow {
  const char* Name;
  std::function<std::unique_ptr<TSeriesFunction>()> Make;
  double Whole;
  double FirstTwo;
  double Empty;
};

class RangeTable : public testing::TestWithParam<RangeRow> {};

TEST_P(RangeTable, ValueOfRange) {
  TFunctionModel m(GetParam().Make(), {4, -2, 7});
  EXPECT_EQ(m.Function->ValueOfRange(*m.Source, -1, -1), GetParam().Whole);
  EXPECT_EQ(m.Function->ValueOfRange(*m.Source, 0, 1), GetParam().FirstTwo);
  EXPECT_EQ(m.Function->ValueOfRange(*m.Source, 2, 1), GetParam().Empty);
}

INSTANTIATE_TEST_SUITE_P(
    SeriesFunction, RangeTable,
    testing::Values(RangeRow{"Add", [] { return std::make_unique<TAddFunction>(); }, 9, 2, 0},
                    RangeRow{"Subtract", [] { return std::make_unique<TSubtractFunction>(); }, 0, 0, 0},
                    RangeRow{"Multiply", [] { return std::make_unique<TMultiplyFunction>(); }, 0, 0, 0},
                    RangeRow{"Divide", [] { return std::make_unique<TDivideFunction>(); }, 0, 0, 0},
                    RangeRow{"High", [] { return std::make_unique<THighFunction>(); }, 7, 4, 0},
                    RangeRow{"Low", [] { return std::make_unique<TLowFunction>(); }, -2, -2, 0},
                    RangeRow{"Average", [] { return std::make_unique<TAverageFunction>(); }, 3, 1, 0}),
    test::RowName());

struct AcrossRow {
  const char* Name;
  std::function<std::unique_ptr<TSeriesFunction>()> Make;
  const char* ListedAs;
  double AtZero; // sources with 6, 3 and 0 at point 0
  double AtOne;  // only the first source has point 1: 8
};

class AcrossTable : public testing::TestWithParam<AcrossRow> {};

TEST_P(AcrossTable, CombinesPointByPoint) {
  TChartModel model;
  TChartSeries& a = *model.Series;
  TChartSeries& b = model.Chart.AddSeries(std::make_unique<TLineSeries>());
  TChartSeries& c = model.Chart.AddSeries(std::make_unique<TLineSeries>());
  a.AddPoint(0, 6);
  a.AddPoint(1, 8);
  b.AddPoint(0, 3);
  c.AddPoint(0, 0);
  TChartSeries& result = model.Chart.AddSeries(std::make_unique<TLineSeries>());
  result.SetFunction(GetParam().Make());
  EXPECT_EQ(result.Function()->Name(), GetParam().ListedAs);
  result.AddDataSource(&a);
  result.AddDataSource(&b);
  result.AddDataSource(&c);
  EXPECT_EQ(Points(result),
            (std::vector<std::pair<double, double>>{{0, GetParam().AtZero}, {1, GetParam().AtOne}}));
}

INSTANTIATE_TEST_SUITE_P(
    SeriesFunction, AcrossTable,
    testing::Values(
        AcrossRow{"Add", [] { return std::make_unique<TAddFunction>(); }, "Add", 9, 8},
        AcrossRow{"Subtract", [] { return std::make_unique<TSubtractFunction>(); }, "Subtract", 3, 8},
        AcrossRow{"Multiply", [] { return std::make_unique<TMultiplyFunction>(); }, "Multiply", 0, 8},
        // Dividing by 0 keeps the result: 6 / 3, then / 0.
        AcrossRow{"Divide", [] { return std::make_unique<TDivideFunction>(); }, "Divide", 2, 8},
        AcrossRow{"High", [] { return std::make_unique<THighFunction>(); }, "High", 6, 8},
        AcrossRow{"Low", [] { return std::make_unique<TLowFunction>(); }, "Low", 0, 8},
        AcrossRow{"Average", [] { return std::make_unique<TAverageFunction>(); }, "Average", 3, 8}),
    test::RowName());

TEST(SeriesFunction, DataSourceErrors) {
  const auto message = [](const std::function<void()>& action) -> std::string {
    try {
      action();
    } catch (const ChartException& e) {
      return e.Message();
    }
    return "accepted";
  };
  TLineSeries loose;
  TLineSeries other;
  EXPECT_EQ(message([&] { loose.AddDataSource(&other); }), "No ParentChart to validate DataSource");
  TChartModel model;
  TChartSeries& a = *model.Series;
  a.SetName("Series1");
  TChartSeries& b = model.Chart.AddSeries(std::make_unique<TLineSeries>());
  TChartSeries& c = model.Chart.AddSeries(std::make_unique<TLineSeries>());
  EXPECT_EQ(message([&] { a.AddDataSource(&a); }), "No valid DataSource: Series1");
  b.AddDataSource(&a);
  c.AddDataSource(&b);
  EXPECT_EQ(message([&] { a.AddDataSource(&c); }), "Circular Series dependences are not allowed");
  EXPECT_EQ(message([&] { a.AddDataSource(&b); }), "Circular Series dependences are not allowed");
}

} // namespace
} // namespace curvella
