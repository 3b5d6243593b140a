#include "chart/Series.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "ChartFixtures.h"
#include "chart/AxisPanel.h"
#include "chart/ChartMessages.h"
#include "platform/RasterDevice.h"
#include "support/Pixels.h"
#include "support/RowName.h"

namespace curvella {
namespace {

using test::Picture;

const std::map<std::uint32_t, char> kBlue = {{clBlue, 'b'}};

// A line series drawn straight into an 11 x 11 image whose plot rectangle
// is (0, 0, 10, 10) with both axes 0 .. 10: the point (x, y) lies on the
// pixel (x, 10 - y). Clipping to the plot leaves columns 1 .. 9 and rows
// 1 .. 8 to the line.
struct TLineScene {
  TLineScene() : Image(test::WhiteImage(11, 11)), Device(&Image), Surface(&Device) {
    Chart.SetView3D(false);
    Chart.Canvas().SetOffscreenBuffer(false);
    Chart.Canvas().PrepareSurface(Surface, nullptr, {0, 0, 11, 11}, false);
    Series = static_cast<TLineSeries*>(&Chart.AddSeries(std::make_unique<TLineSeries>()));
    Series->SetSeriesColor(clBlue);
    Chart.BottomAxis().SetAxisRange(0, 10);
    Chart.LeftAxis().SetAxisRange(0, 10);
  }

  std::string Draw() {
    Chart.SetPlotRect({0, 0, 10, 10});
    Chart.RecalcPlotSize();
    for (TChartAxis* axis : Chart.Axes()) {
      axis->ComputeAxisRange();
      axis->PlaceAxisEnds();
    }
    Chart.DrawSeries(*Series);
    return Picture(Image, kBlue);
  }

  QImage Image;
  TRasterDeviceContext Device;
  TCanvas Surface;
  TCustomAxisPanel Chart;
  TLineSeries* Series;
};

struct TLinePoint {
  double X;
  double Y;
  TColor Color = clDefault;
};

struct LineRow {
  const char* Name;
  std::vector<TLinePoint> Points;
  std::function<void(TLineScene&)> Setup;
  const char* Expected;
};

class LineDrawingTable : public testing::TestWithParam<LineRow> {};

TEST_P(LineDrawingTable, DrawsTheShownPoints) {
  TLineScene scene;
  if (GetParam().Setup) GetParam().Setup(scene);
  for (const TLinePoint& p : GetParam().Points) scene.Series->AddPoint(p.X, p.Y, {}, p.Color);
  EXPECT_EQ(scene.Draw(), GetParam().Expected);
}

constexpr double kFar = 1e9; // a value whose pixel lies beyond 16-bit coordinates

INSTANTIATE_TEST_SUITE_P(LineSeries, LineDrawingTable,
                         testing::Values(LineRow{"JoinsPointsWithoutTheEndPixel",
                                                 {{1, 2}, {5, 6}, {8, 6}},
                                                 {},
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 ".....bbb...\n"
                                                 "....b......\n"
                                                 "...b.......\n"
                                                 "..b........\n"
                                                 ".b.........\n"
                                                 "...........\n"
                                                 "...........\n"},
                                         LineRow{"OnePointDrawsNothing",
                                                 {{3, 3}},
                                                 {},
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"},
                                         LineRow{"NullPointLeavesAGapOnBothSides",
                                                 {{1, 5}, {3, 5}, {5, 5, clNone}, {7, 5}, {9, 5}},
                                                 {},
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 ".bb....bb..\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"},
                                         LineRow{"PointBeyond16BitsIsBridged",
                                                 {{1, 5}, {3, kFar}, {5, 5}},
                                                 {},
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 ".bbbb......\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"},
                                         LineRow{"NullPointBreaksTheLineAcrossASkippedPoint",
                                                 {{1, 5}, {3, 5, clNone}, {5, kFar}, {7, 5}, {9, 5}},
                                                 {},
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 ".......bb..\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"},
                                         LineRow{"SkippedFirstPointStartsAtTheNext",
                                                 {{1, kFar}, {3, 5}, {6, 5}},
                                                 {},
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...bbb.....\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"},
                                         LineRow{"ZoomedInTheOnlyShownPointGetsTheEdgePiece",
                                                 {{-4, 0}, {6, 10}},
                                                 {},
                                                 "...........\n"
                                                 ".....b.....\n"
                                                 "....b......\n"
                                                 "...b.......\n"
                                                 "..b........\n"
                                                 ".b.........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"},
                                         LineRow{
                                             "InvertedAxisStartsAtTheRightEdge",
                                             {{-4, 0}, {6, 10}},
                                             [](TLineScene& s) { s.Chart.BottomAxis().SetInverted(true); },
                                             "...........\n"
                                             ".....b.....\n"
                                             "......b....\n"
                                             ".......b...\n"
                                             "........b..\n"
                                             ".........b.\n"
                                             "...........\n"
                                             "...........\n"
                                             "...........\n"
                                             "...........\n"
                                             "...........\n"},
                                         LineRow{"LastPointBeyondTheRightEdgeIsClipped",
                                                 {{6, 6}, {14, -2}},
                                                 {},
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "......b....\n"
                                                 ".......b...\n"
                                                 "........b..\n"
                                                 ".........b.\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"},
                                         LineRow{"StairsGoAcrossThenUp",
                                                 {{2, 2}, {6, 6}},
                                                 [](TLineScene& s) { s.Series->SetStairs(true); },
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "......b....\n"
                                                 "......b....\n"
                                                 "......b....\n"
                                                 "..bbbbb....\n"
                                                 "...........\n"
                                                 "...........\n"},
                                         LineRow{"InvertedStairsGoUpThenAcross",
                                                 {{2, 2}, {6, 6}},
                                                 [](TLineScene& s) {
                                                   s.Series->SetStairs(true);
                                                   s.Series->SetInvertedStairs(true);
                                                 },
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "..bbbb.....\n"
                                                 "..b........\n"
                                                 "..b........\n"
                                                 "..b........\n"
                                                 "..b........\n"
                                                 "...........\n"
                                                 "...........\n"},
                                         LineRow{"UnclippedLineReachesTheFrameRows",
                                                 {{0, 0}, {10, 0}},
                                                 [](TLineScene& s) { s.Chart.SetClipPoints(false); },
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "...........\n"
                                                 "bbbbbbbbbb.\n"}),
                         test::RowName());

TEST(LineSeries, LegendSymbolIsALineThroughTheMiddleOfTheBox) {
  TLineScene scene;
  scene.Series->PaintLegendSymbol(-1, {2, 2, 8, 6});
  scene.Series->Pointer().SetVisible(true);
  scene.Series->Pointer().SetHorizSize(1);
  scene.Series->Pointer().SetVertSize(1);
  scene.Series->PaintLegendSymbol(-1, {1, 6, 9, 10});
  EXPECT_EQ(Picture(scene.Image, kBlue), "...........\n"
                                         "...........\n"
                                         "...........\n"
                                         "...........\n"
                                         "..bbbbbb...\n"
                                         "...........\n"
                                         "...........\n"
                                         "....###....\n"
                                         ".bbb#b#bb..\n"
                                         "....###....\n"
                                         "...........\n");
}

struct SeriesMarginRow {
  const char* Name;
  std::function<void(TLineSeries&)> Setup;
  std::int32_t Left, Right, Top, Bottom;
};

class SeriesMarginTable : public testing::TestWithParam<SeriesMarginRow> {};

TEST_P(SeriesMarginTable, KeepsRoomForMarkersAndSteps) {
  TLineSeries series;
  if (GetParam().Setup) GetParam().Setup(series);
  std::int32_t left, right, top, bottom;
  series.MarginsNeeded(true, left, right);
  series.MarginsNeeded(false, top, bottom);
  EXPECT_EQ((std::vector{left, right, top, bottom}),
            (std::vector{GetParam().Left, GetParam().Right, GetParam().Top, GetParam().Bottom}));
}

INSTANTIATE_TEST_SUITE_P(LineSeries, SeriesMarginTable,
                         testing::Values(SeriesMarginRow{"WindowSeriesNeedsNone", {}, 0, 0, 0, 0},
                                         SeriesMarginRow{"VisiblePointer",
                                                         [](TLineSeries& s) {
                                                           s.Pointer().SetVisible(true);
                                                           s.Pointer().SetHorizSize(3);
                                                         },
                                                         4, 4, 5, 5},
                                         SeriesMarginRow{"PointerNotInflating",
                                                         [](TLineSeries& s) {
                                                           s.Pointer().SetVisible(true);
                                                           s.Pointer().SetInflateMargins(false);
                                                         },
                                                         0, 0, 0, 0},
                                         SeriesMarginRow{"StairsKeepThePenWidth",
                                                         [](TLineSeries& s) {
                                                           s.SetStairs(true);
                                                           s.LinePen().SetWidth(2);
                                                         },
                                                         2, 2, 2, 3},
                                         SeriesMarginRow{"RibbonHeightBelow",
                                                         [](TLineSeries& s) { s.SetLineHeight(7); }, 0, 0, 0,
                                                         7}),
                         test::RowName());

TEST(LineSeries, PointerSizeBelowOneIsRefusedAndKept) {
  TLineSeries series;
  for (auto set : {&TSeriesPointer::SetHorizSize, &TSeriesPointer::SetVertSize}) {
    try {
      (series.Pointer().*set)(0);
      ADD_FAILURE() << "size 0 accepted";
    } catch (const ChartException& e) {
      EXPECT_STREQ(e.what(), "Pointer size must be greater than zero");
    }
  }
  EXPECT_EQ(series.Pointer().HorizSize(), 4);
  EXPECT_EQ(series.Pointer().VertSize(), 4);
}

TEST(LineSeries, ChangesAskForARepaintOnlyWhenTheyChangeSomething) {
  test::TChartModel model;
  model.Chart.SetAutoRepaint(true);
  TLineSeries& series = *model.Series;
  const std::vector<std::function<void()>> changes = {
      [&] { series.SetStairs(true); },
      [&] { series.SetInvertedStairs(true); },
      [&] { series.SetLineHeight(3); },
      [&] { series.SetDark3D(false); },
      [&] { series.SetLineBrush(TBrushStyle::bsClear); },
      [&] { series.LinePen().SetWidth(2); },
      [&] { series.Pointer().SetStyle(TSeriesPointerStyle::psCircle); }};
  for (std::size_t i = 0; i < changes.size(); ++i) {
    const int before = model.Host.Invalidations;
    changes[i]();
    EXPECT_EQ(model.Host.Invalidations, before + 1) << "change " << i;
    changes[i]();
    EXPECT_EQ(model.Host.Invalidations, before + 1) << "repeat " << i;
  }
}

} // namespace
} // namespace curvella
