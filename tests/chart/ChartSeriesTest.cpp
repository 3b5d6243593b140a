#include "chart/ChartSeries.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ChartFixtures.h"
#include "chart/ChartMessages.h"
#include "support/RowName.h"

namespace curvella {
namespace {

using test::TChartModel;

std::vector<double> Column(const TChartValueList& list) {
  std::vector<double> values;
  for (std::int32_t i = 0; i < list.ValueCount(); ++i) values.push_back(list.ValueAt(i));
  return values;
}

struct OrderRow {
  const char* Name;
  TChartListOrder Order;
  std::vector<double> Added;
  std::vector<std::int32_t> Indices;
  std::vector<double> Stored;
};

class OrderTable : public testing::TestWithParam<OrderRow> {};

TEST_P(OrderTable, AddInOrderPlacesEachValue) {
  TChartValueList list(nullptr, "X");
  list.SetOrder(GetParam().Order);
  std::vector<std::int32_t> indices;
  for (double v : GetParam().Added) indices.push_back(list.AddInOrder(v));
  EXPECT_EQ(indices, GetParam().Indices);
  EXPECT_EQ(Column(list), GetParam().Stored);
}

INSTANTIATE_TEST_SUITE_P(
    ValueList, OrderTable,
    testing::Values(
        OrderRow{"AscendingMiddle", TChartListOrder::loAscending, {1, 3, 2}, {0, 1, 1}, {1, 2, 3}},
        OrderRow{"AscendingEqualsKeepArrival",
                 TChartListOrder::loAscending,
                 {2, 2, 1, 2},
                 {0, 1, 0, 3},
                 {1, 2, 2, 2}},
        OrderRow{"AscendingFromAbove", TChartListOrder::loAscending, {3, 2, 1}, {0, 0, 0}, {1, 2, 3}},
        OrderRow{"Descending", TChartListOrder::loDescending, {1, 3, 2, 3}, {0, 0, 1, 1}, {3, 3, 2, 1}},
        OrderRow{"NoOrderAppends", TChartListOrder::loNone, {3, 1, 2}, {0, 1, 2}, {3, 1, 2}}),
    test::RowName());

TEST(ValueList, NaNIsAppendedAndSkippedByTheStatisticsOrder) {
  TChartValueList list(nullptr, "X");
  list.SetOrder(TChartListOrder::loAscending);
  list.AddInOrder(1);
  list.AddInOrder(3);
  EXPECT_EQ(list.AddInOrder(std::numeric_limits<double>::quiet_NaN()), 2);
  EXPECT_EQ(list.AddInOrder(2), 3); // nothing compares after a NaN
  EXPECT_EQ(list.LowestValue(), 1);
  EXPECT_EQ(list.HighestValue(), 3);
}

TEST(ValueList, StatisticsAreCachedUntilAChange) {
  TChartValueList list(nullptr, "Y");
  EXPECT_EQ(list.LowestValue(), 0);
  EXPECT_EQ(list.HighestValue(), 0);
  EXPECT_EQ(list.SumOfValues(), 0);
  EXPECT_EQ(list.SumOfMagnitudes(), 0);
  list.AddInOrder(-3);
  EXPECT_TRUE(list.StatsStale());
  EXPECT_EQ(list.LowestValue(), -3);
  EXPECT_FALSE(list.StatsStale());
  EXPECT_EQ(list.HighestValue(), -3);
  EXPECT_EQ(list.SumOfValues(), -3);
  EXPECT_EQ(list.SumOfMagnitudes(), 3);
  list.AddInOrder(1.5);
  list.SetMultiplier(2);
  EXPECT_EQ(list.ValueAt(1), 3.0);
  EXPECT_EQ(list.HighestValue(), 3.0);
  EXPECT_EQ(list.SumOfValues(), -3.0);
  EXPECT_EQ(list.SumOfMagnitudes(), 9.0);
  // Infinities pass through the sums without an error.
  list.AddInOrder(std::numeric_limits<double>::infinity());
  list.AddInOrder(-std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isnan(list.SumOfValues()));
  EXPECT_EQ(list.HighestValue(), std::numeric_limits<double>::infinity());
}

TEST(ValueList, ListOperations) {
  TChartValueList list(nullptr, "X");
  for (double v : {4.0, 1.0, 3.0}) list.AddInOrder(v);
  try {
    list.ValueAt(3);
    FAIL() << "no error";
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (3)");
  }
  EXPECT_THROW(list.InsertAt(4, 0), EListError);
  EXPECT_THROW(list.RemoveAt(-1), EListError);
  EXPECT_EQ(list.IndexOfValue(3), 2);
  EXPECT_EQ(list.IndexOfValue(5), -1);
  list.RotateLeft();
  EXPECT_EQ(Column(list), (std::vector<double>{1, 3, 4}));
  list.FillWithIndices();
  EXPECT_EQ(Column(list), (std::vector<double>{0, 1, 2}));
  list.ClearAll();
  EXPECT_EQ(list.ValueCount(), 0);
  EXPECT_EQ(list.RawValues().capacity(), 0u);
}

TEST(ChartSeries, YColoursAndLabelsFollowX) {
  TChartModel model;
  TChartSeries& s = *model.Series;
  s.AddPoint(1, 10, "one", clRed);
  s.AddPoint(3, 30);
  s.AddPoint(2, 20, "two");
  EXPECT_EQ(Column(s.XValues()), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(Column(s.YValues()), (std::vector<double>{10, 20, 30}));
  EXPECT_EQ(s.PointLabel(1), "two");
  EXPECT_EQ(s.PointLabel(2), "");
  EXPECT_EQ(s.PointLabel(7), "");
  EXPECT_EQ(s.PointColor(0), clRed);
  s.XValues().SetOrder(TChartListOrder::loDescending);
  s.XValues().SortByOrder();
  EXPECT_EQ(Column(s.XValues()), (std::vector<double>{3, 2, 1}));
  EXPECT_EQ(Column(s.YValues()), (std::vector<double>{30, 20, 10}));
  EXPECT_EQ(s.PointLabel(1), "two");
  EXPECT_EQ(s.PointColor(2), clRed);
  s.RemovePoint(1);
  EXPECT_EQ(Column(s.YValues()), (std::vector<double>{30, 10}));
  EXPECT_EQ(s.PointLabel(1), "one");
}

TEST(ChartSeries, PointColours) {
  TChartModel model;
  TChartSeries& s = *model.Series;
  s.SetSeriesColor(clBlue);
  for (int i = 0; i < 20; ++i) s.AddPoint(i, i);
  s.AddPoint(30, 0, "", clLime);
  EXPECT_EQ(s.PointColor(0), clBlue);
  EXPECT_EQ(s.PointColor(25), clBlue); // beyond the colours
  s.SetColorEachPoint(true);
  EXPECT_EQ(s.PointColor(0), clRed);
  EXPECT_EQ(s.PointColor(3), clBlue);
  EXPECT_EQ(s.PointColor(17), DefaultPalette[1]);
  EXPECT_EQ(s.PointColor(20), clLime);
  // Switching it off resets every stored colour.
  s.SetColorEachPoint(false);
  EXPECT_EQ(s.PointColor(20), clBlue);
}

TEST(ChartSeries, AddAndClearAskForRepaintsOnlyWhenActive) {
  TChartModel model;
  TChartSeries& s = *model.Series;
  int before = model.Host.Invalidations;
  s.AddPoint(1, 1);
  EXPECT_EQ(model.Host.Invalidations, before + 1);
  s.SetActive(false);
  before = model.Host.Invalidations;
  s.AddPoint(2, 2);
  s.ClearPoints();
  EXPECT_EQ(model.Host.Invalidations, before);
  EXPECT_EQ(s.PointCount(), 0);

  s.SetActive(true);
  int clears = 0;
  s.OnClearValues = [&](TChartSeries&) { ++clears; };
  before = model.Host.Invalidations;
  s.ClearPoints(); // empty already
  EXPECT_EQ(clears, 1);
  EXPECT_EQ(model.Host.Invalidations, before + 1);
}

TEST(ChartSeries, OnBeforeAddMayRefuseAPoint) {
  TChartModel model;
  TChartSeries& s = *model.Series;
  s.OnBeforeAdd = [](TChartSeries& series) { return series.XValues().PendingValue() >= 0; };
  std::vector<std::int32_t> announced;
  s.OnAfterAdd = [&](TChartSeries&, std::int32_t index) { announced.push_back(index); };
  EXPECT_EQ(s.AddPoint(-1, 5), -1);
  EXPECT_EQ(s.AddPoint(2, 5), 0);
  EXPECT_EQ(s.AddPoint(1, 5), 0);
  EXPECT_EQ(s.PointCount(), 2);
  EXPECT_EQ(announced, (std::vector<std::int32_t>{0, 0}));
}

TEST(ChartSeries, AxesAndAssociation) {
  TChartModel model;
  TChartSeries& s = *model.Series;
  for (TChartAxis* axis : {&model.Chart.BottomAxis(), &model.Chart.TopAxis(), &model.Chart.LeftAxis(),
                           &model.Chart.RightAxis()}) {
    EXPECT_TRUE(s.IsAssociatedWith(*axis));
  }
  EXPECT_EQ(s.HorizontalAxis(), &model.Chart.BottomAxis());
  EXPECT_EQ(s.VerticalAxis(), &model.Chart.LeftAxis());
  s.SetHorizAxis(THorizAxis::aTopAxis);
  s.SetVertAxis(TVertAxis::aRightAxis);
  EXPECT_EQ(s.HorizontalAxis(), &model.Chart.TopAxis());
  EXPECT_FALSE(s.IsAssociatedWith(model.Chart.BottomAxis()));
  EXPECT_TRUE(s.IsAssociatedWith(model.Chart.RightAxis()));
  EXPECT_FALSE(s.IsAssociatedWith(model.Chart.LeftAxis()));
  TLineSeries alone;
  EXPECT_EQ(alone.HorizontalAxis(), nullptr);
}

struct ShownRow {
  const char* Name;
  std::vector<double> Xs;
  std::int32_t First;
  std::int32_t Last;
};

class ShownTable : public testing::TestWithParam<ShownRow> {};

// The bottom axis runs from 0 to 10 over the plot's 200 pixels.
TEST_P(ShownTable, FollowsThePlotEdges) {
  TChartModel model;
  TChartSeries& s = *model.Series;
  s.AddPoint(0, 0);
  s.AddPoint(10, 0);
  model.Layout();
  model.Chart.BottomAxis().SetAxisRange(0, 10);
  model.Layout();
  s.ClearPoints();
  for (double x : GetParam().Xs) s.AddPoint(x, 1);
  s.ComputeShownRange();
  EXPECT_EQ(s.FirstShownIndex(), GetParam().First);
  EXPECT_EQ(s.LastShownIndex(), GetParam().Last);
}

INSTANTIATE_TEST_SUITE_P(ChartSeries, ShownTable,
                         testing::Values(ShownRow{"AllLeft", {-3, -2, -1}, -1, -1},
                                         ShownRow{"AllInside", {1, 2, 3}, 0, 2},
                                         ShownRow{"LastPastTheRightEdge", {-1, 2, 9, 11, 12}, 1, 3},
                                         ShownRow{"OnTheEdges", {0, 10}, 0, 1},
                                         ShownRow{"NoPoints", {}, -1, -1}),
                         test::RowName());

// Between a change of the points and the next drawing pass (a press on the
// chart right after Run), the shown range never reaches past the points.
TEST(ChartSeries, ShownRangeStaysWithinThePointsUntilTheNextPass) {
  TChartModel model;
  TChartSeries& s = *model.Series;
  for (int i = 0; i <= 10; ++i) s.AddPoint(i, i);
  model.Layout();
  s.ComputeShownRange();
  ASSERT_EQ(s.LastShownIndex(), 10);
  s.RemovePoint(10);
  s.RemovePoint(9);
  EXPECT_EQ(s.FirstShownIndex(), 0);
  EXPECT_EQ(s.LastShownIndex(), 8);
  s.ClearPoints();
  EXPECT_EQ(s.FirstShownIndex(), -1);
  EXPECT_EQ(s.LastShownIndex(), -1);
  s.AddPoint(0, 0);
  EXPECT_EQ(s.Clicked(5000, 5000), -1);
}

TEST(ChartSeries, DestroyingASourceKeepsItsDependentsPoints) {
  TChartModel model;
  TChartSeries& dependent = model.Chart.AddSeries(std::make_unique<TLineSeries>());
  auto source = std::make_unique<TLineSeries>();
  TChartSeries& s = model.Chart.AddSeries(std::move(source));
  s.AddPoint(1, 2);
  s.AddPoint(3, 4);
  dependent.AddDataSource(&s);
  ASSERT_EQ(dependent.PointCount(), 2);
  model.Chart.RemoveSeries(s).reset();
  EXPECT_EQ(dependent.PointCount(), 2);
  EXPECT_TRUE(dependent.DataSources().empty());
}

TEST(ChartSeries, JoiningWithoutAColourTakesAFreePaletteColour) {
  TChartModel model; // its series took the first free colour
  EXPECT_EQ(model.Series->SeriesColor(), DefaultPalette[0]);
  TChartSeries& second = model.Chart.AddSeries(std::make_unique<TLineSeries>());
  EXPECT_EQ(second.SeriesColor(), DefaultPalette[1]);
  auto blue = std::make_unique<TLineSeries>();
  blue->SetSeriesColor(clBlue);
  EXPECT_EQ(model.Chart.AddSeries(std::move(blue)).SeriesColor(), clBlue);
}

TEST(ChartSeries, DependentsFollowTheirSource) {
  TChartModel model;
  TChartSeries& source = *model.Series;
  TChartSeries& copy = model.Chart.AddSeries(std::make_unique<TLineSeries>());
  source.AddPoint(1, 10);
  copy.AddDataSource(&source);
  EXPECT_EQ(copy.PointCount(), 1); // refilled from the source
  source.AddPoint(2, 20);
  EXPECT_EQ(Column(copy.YValues()), (std::vector<double>{10, 20}));
  source.RemovePoint(0);
  EXPECT_EQ(Column(copy.YValues()), (std::vector<double>{20}));
  source.YValues().SetMultiplier(3); // refresh
  EXPECT_EQ(Column(copy.YValues()), (std::vector<double>{60}));
  source.ClearPoints();
  EXPECT_EQ(copy.PointCount(), 0);
}

} // namespace
} // namespace curvella
