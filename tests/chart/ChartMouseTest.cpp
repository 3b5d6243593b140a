#include "chart/Chart.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "ChartFixtures.h"
#include "chart/Series.h"
#include "numtext/Extended.h"
#include "platform/RasterDevice.h"
#include "support/Pixels.h"
#include "support/RowName.h"

namespace curvella {
namespace {

using enum TChartClickedPartStyle;
constexpr TMouseButton kLeft = TMouseButton::mbLeft;
constexpr TMouseButton kRight = TMouseButton::mbRight;

// A 400 x 300 chart of y = x for x = 0 .. 10 on all four side axes, painted
// twice so that its layout has settled, as a window's chart is by the time
// a user drags over it.
struct TMouseChart {
  TMouseChart() {
    Chart.SetHost(&Host);
    Chart.SetView3D(false);
    Chart.SetControlSize({400, 300});
    Chart.Legend().SetVisible(false);
    Series = static_cast<TLineSeries*>(&Chart.AddSeries(std::make_unique<TLineSeries>()));
    Series->SetHorizAxis(THorizAxis::aBothHorizAxis);
    Series->SetVertAxis(TVertAxis::aBothVertAxis);
    for (int x = 0; x <= 10; ++x) Series->AddPoint(x, x);
    Settle();
  }

  void Settle() {
    Chart.Paint();
    Chart.Invalidate();
    Chart.Paint();
  }

  // A press at a, a move to b and a release there.
  void Drag(TMouseButton button, TPoint a, TPoint b) {
    Chart.MouseDown(button, {}, a.X, a.Y);
    Chart.MouseMove({}, b.X, b.Y);
    Chart.MouseUp(button, {}, b.X, b.Y);
  }

  TPoint Centre() const { return {Chart.PlotXCenter(), Chart.PlotYCenter()}; }

  std::array<double, 4> Ranges() {
    return {Chart.BottomAxis().Minimum(), Chart.BottomAxis().Maximum(), Chart.LeftAxis().Minimum(),
            Chart.LeftAxis().Maximum()};
  }

  test::TCountingHost Host;
  TChart Chart;
  TLineSeries* Series;
};

enum class TOutcome { Nothing, Zoom, Undo };

struct DragRow {
  const char* Name;
  std::int32_t Dx;
  std::int32_t Dy;
  TOutcome Outcome;
};

class DragTable : public testing::TestWithParam<DragRow> {};

// More than 16 pixels in both directions: toward the lower right a zoom,
// any other way an undo; less does nothing.
TEST_P(DragTable, ZoomUndoOrNothing) {
  TMouseChart m;
  m.Chart.BottomAxis().SetAxisRange(2, 8); // something for an undo to undo
  m.Settle();
  const TPoint a = {m.Centre().X - 8, m.Centre().Y - 8};
  const TPoint b = {a.X + GetParam().Dx, a.Y + GetParam().Dy};
  const double left = m.Chart.BottomAxis().PixelToValue(std::min(a.X, b.X));
  const double right = m.Chart.BottomAxis().PixelToValue(std::max(a.X, b.X));
  const double low = m.Chart.LeftAxis().PixelToValue(std::max(a.Y, b.Y));
  const double high = m.Chart.LeftAxis().PixelToValue(std::min(a.Y, b.Y));
  const auto before = m.Ranges();
  m.Chart.MouseDown(kLeft, {}, a.X, a.Y);
  EXPECT_TRUE(m.Chart.Zoom().DragActive);
  m.Chart.MouseUp(kLeft, {}, b.X, b.Y);
  EXPECT_FALSE(m.Chart.Zoom().DragActive);
  switch (GetParam().Outcome) {
  case TOutcome::Nothing:
    EXPECT_EQ(m.Ranges(), before);
    EXPECT_FALSE(m.Chart.ChartZoomed());
    break;
  case TOutcome::Zoom:
    EXPECT_EQ(m.Ranges(), (std::array{left, right, low, high}));
    EXPECT_TRUE(m.Chart.ChartZoomed());
    EXPECT_FALSE(m.Chart.AxesAtOriginal());
    break;
  case TOutcome::Undo:
    // Zoom and scroll never touched these axes: they stay as they are.
    EXPECT_EQ(m.Ranges(), before);
    EXPECT_TRUE(m.Chart.AxesAtOriginal());
    EXPECT_TRUE(m.Chart.LeftAxis().Automatic());
    break;
  }
}

INSTANTIATE_TEST_SUITE_P(ChartMouse, DragTable,
                         testing::Values(DragRow{"SixteenBothWays", 16, 16, TOutcome::Nothing},
                                         DragRow{"SeventeenAcross", 17, 16, TOutcome::Nothing},
                                         DragRow{"SeventeenDown", 16, 17, TOutcome::Nothing},
                                         DragRow{"SeventeenBothWays", 17, 17, TOutcome::Zoom},
                                         DragRow{"Large", 120, 80, TOutcome::Zoom},
                                         DragRow{"UpperLeft", -17, -17, TOutcome::Undo},
                                         DragRow{"UpperRight", 17, -17, TOutcome::Undo},
                                         DragRow{"LowerLeft", -17, 17, TOutcome::Undo},
                                         DragRow{"Click", 0, 0, TOutcome::Nothing}),
                         test::RowName());

TEST(ChartMouse, TwoZoomsAndOneUndoGoBackToBeforeTheFirst) {
  TMouseChart m;
  m.Chart.BottomAxis().SetAxisRange(1, 9);
  m.Settle();
  const auto before = m.Ranges();
  const TPoint c = m.Centre();
  m.Drag(kLeft, {c.X - 60, c.Y - 40}, {c.X + 60, c.Y + 40});
  m.Settle();
  const auto first = m.Ranges();
  m.Drag(kLeft, {c.X - 30, c.Y - 30}, {c.X + 30, c.Y + 30});
  m.Settle();
  EXPECT_NE(m.Ranges(), first);
  int undone = 0;
  m.Chart.OnUndoZoom = [&](TCustomChart&) { ++undone; };
  m.Drag(kLeft, {c.X + 30, c.Y + 30}, {c.X - 30, c.Y - 30});
  EXPECT_EQ(undone, 1);
  EXPECT_FALSE(m.Chart.ChartZoomed());
  EXPECT_EQ(m.Chart.BottomAxis().Minimum(), before[0]);
  EXPECT_EQ(m.Chart.BottomAxis().Maximum(), before[1]);
  EXPECT_FALSE(m.Chart.BottomAxis().Automatic());
  EXPECT_TRUE(m.Chart.LeftAxis().Automatic()) << "the automatic axis is automatic again";
  m.Settle();
  EXPECT_EQ(m.Chart.LeftAxis().Minimum(), before[2]);
  EXPECT_EQ(m.Chart.LeftAxis().Maximum(), before[3]);
}

// Where one pixel is far less than a unit of the last place, both edges of a
// thin rectangle map to the same value: the axis keeps a span of 1e-10.
TEST(ChartMouse, ZoomSoThinThatItsEdgesCoincideKeepsASpanOf1e10) {
  TMouseChart m;
  m.Chart.BottomAxis().SetAxisRange(1e5, 1e5);
  m.Settle();
  const TPoint c = m.Centre();
  const double edge = m.Chart.BottomAxis().PixelToValue(c.X);
  ASSERT_EQ(m.Chart.BottomAxis().PixelToValue(c.X + 20), edge) << "the edges coincide";
  m.Drag(kLeft, c, {c.X + 20, c.Y + 20});
  EXPECT_EQ(m.Chart.BottomAxis().Minimum(), edge);
  EXPECT_EQ(m.Chart.BottomAxis().Maximum(), static_cast<double>(edge + 1e-10L));
}

TEST(ChartMouse, ScrollFollowsTheMouseAndStopsOutsideThePlot) {
  TMouseChart m;
  const TPoint c = m.Centre();
  const auto before = m.Ranges();
  const double perPixel = m.Chart.BottomAxis().PixelToValue(c.X + 1) - m.Chart.BottomAxis().PixelToValue(c.X);
  int scrolls = 0;
  m.Chart.OnScroll = [&](TCustomChart&) { ++scrolls; };
  m.Chart.MouseDown(kRight, {}, c.X, c.Y);
  EXPECT_TRUE(m.Chart.Panning().DragActive);
  EXPECT_FALSE(m.Chart.Zoom().DragActive);
  m.Chart.MouseMove({}, c.X + 30, c.Y);
  EXPECT_EQ(scrolls, 1);
  EXPECT_NEAR(m.Chart.BottomAxis().Minimum(), before[0] - 30 * perPixel, 1e-12)
      << "dragging right shows smaller x";
  EXPECT_FALSE(m.Chart.BottomAxis().Automatic());
  EXPECT_EQ(m.Chart.LeftAxis().Minimum(), before[2]);
  // Back by the same distance: the ranges as they were.
  m.Chart.MouseMove({}, c.X, c.Y);
  EXPECT_NEAR(m.Chart.BottomAxis().Minimum(), before[0], 1e-12);
  EXPECT_NEAR(m.Chart.BottomAxis().Maximum(), before[1], 1e-12);
  // Leaving the plot ends the scroll; moves back inside do nothing.
  m.Chart.MouseMove({}, m.Chart.PlotRect().Right + 5, c.Y);
  EXPECT_FALSE(m.Chart.Panning().DragActive);
  const auto stopped = m.Ranges();
  m.Chart.MouseMove({}, c.X - 40, c.Y + 10);
  EXPECT_EQ(m.Ranges(), stopped);
  // A new press scrolls again, from where it is.
  m.Chart.MouseUp(kRight, {}, c.X, c.Y);
  m.Chart.MouseDown(kRight, {}, c.X, c.Y);
  m.Chart.MouseMove({}, c.X, c.Y - 10);
  EXPECT_NE(m.Chart.LeftAxis().Minimum(), stopped[2]);
  m.Chart.MouseUp(kRight, {}, c.X, c.Y - 10);
  EXPECT_FALSE(m.Chart.Panning().DragActive);
  // An undo gives back the ranges before the first scroll.
  m.Chart.UnZoom();
  EXPECT_TRUE(m.Chart.BottomAxis().Automatic());
  m.Settle();
  EXPECT_EQ(m.Ranges(), before);
}

TEST(ChartMouse, RefusedScrollKeepsTheAxis) {
  TMouseChart m;
  const TPoint c = m.Centre();
  const auto before = m.Ranges();
  m.Chart.OnAllowScroll = [](TChartAxis& axis, double&, bool& allow, double&) { allow = !axis.Horizontal(); };
  m.Drag(kRight, c, {c.X + 20, c.Y + 20});
  EXPECT_EQ(m.Chart.BottomAxis().Minimum(), before[0]);
  EXPECT_NE(m.Chart.LeftAxis().Minimum(), before[2]);
}

struct PressRow {
  const char* Name;
  std::function<TPoint(TMouseChart&)> Where;
  TChartClickedPartStyle Part;
  bool Zooms;
};

class PressTable : public testing::TestWithParam<PressRow> {};

// A press on an axis band, the line or the plot starts a zoom (a scroll with
// the other button); on the title, a margin or outside it starts nothing.
TEST_P(PressTable, WhatLiesUnderThePressDecides) {
  TMouseChart m;
  m.Chart.Title().SetText({"A title"});
  m.Settle();
  const TPoint p = GetParam().Where(m);
  EXPECT_EQ(m.Chart.FindClickedPart(p.X, p.Y).Part, GetParam().Part);
  for (TMouseButton button : {kLeft, kRight}) {
    m.Chart.MouseDown(button, {}, p.X, p.Y);
    const bool started = m.Chart.Zoom().DragActive || m.Chart.Panning().DragActive;
    EXPECT_EQ(started, GetParam().Zooms) << (button == kLeft ? "left" : "right");
    m.Chart.MouseUp(button, {}, p.X, p.Y);
  }
  m.Chart.MouseDown(TMouseButton::mbMiddle, {}, p.X, p.Y);
  EXPECT_FALSE(m.Chart.Zoom().DragActive || m.Chart.Panning().DragActive)
      << "the middle button starts nothing";
}

TPoint OnTheLine(TMouseChart& m) { return {m.Series->XPixelOf(5), m.Series->YPixelOf(5)}; }

INSTANTIATE_TEST_SUITE_P(
    ChartMouse, PressTable,
    testing::Values(PressRow{"Line", OnTheLine, cpSeries, true},
                    PressRow{"Plot",
                             [](TMouseChart& m) {
                               return TPoint{OnTheLine(m).X + 40, OnTheLine(m).Y + 40};
                             },
                             cpChartRect, true},
                    PressRow{"BottomAxisBand",
                             [](TMouseChart& m) {
                               return TPoint{m.Centre().X + 7, m.Chart.PlotRect().Bottom + 2};
                             },
                             cpAxis, true},
                    PressRow{"Title",
                             [](TMouseChart& m) {
                               const TRect& r = m.Chart.Title().TitleRect();
                               return TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
                             },
                             cpTitle, false},
                    PressRow{"Corner",
                             [](TMouseChart&) {
                               return TPoint{1, 298};
                             },
                             cpNone, false}),
    test::RowName());

TEST(ChartMouse, SeriesHitsItsPointsAndSegments) {
  TMouseChart m;
  const TPoint p3 = {m.Series->XPixelOf(3), m.Series->YPixelOf(3)};
  const TPoint p4 = {m.Series->XPixelOf(4), m.Series->YPixelOf(4)};
  EXPECT_EQ(m.Series->Clicked(p3.X, p3.Y), 3);
  EXPECT_EQ(m.Series->Clicked((p3.X + p4.X) / 2, (p3.Y + p4.Y) / 2), 3) << "on the segment from 3 to 4";
  EXPECT_EQ(m.Series->Clicked(p3.X, p3.Y - 10), -1);
  EXPECT_EQ(m.Series->Clicked(p4.X + 2, p3.Y), -1) << "beside the segment's box";
  m.Series->Pointer().SetVisible(true);
  int pointer = -1;
  m.Series->OnClickPointer = [&](TCustomSeries&, std::int32_t index, std::int32_t, std::int32_t) {
    pointer = index;
  };
  EXPECT_EQ(m.Series->Clicked(p4.X + 3, p4.Y - 3), 4) << "inside the marker";
  EXPECT_EQ(pointer, 4);
}

TEST(ChartMouse, ClaimingClickEventsStopTheZoom) {
  TMouseChart m;
  const TPoint inside = {OnTheLine(m).X + 40, OnTheLine(m).Y + 40};
  int background = 0;
  m.Chart.OnClickBackground = [&](TCustomChart&, TMouseButton, TShiftState, std::int32_t, std::int32_t) {
    ++background;
  };
  m.Chart.MouseDown(kLeft, {}, inside.X, inside.Y);
  EXPECT_EQ(background, 1);
  EXPECT_FALSE(m.Chart.Zoom().DragActive) << "the event kept the claim";
  EXPECT_FALSE(m.Chart.MouseClaimed());
  m.Chart.OnClickBackground = [&](TCustomChart& chart, TMouseButton, TShiftState, std::int32_t,
                                  std::int32_t) {
    ++background;
    chart.SetMouseClaimed(false);
  };
  m.Chart.MouseDown(kLeft, {}, inside.X, inside.Y);
  EXPECT_EQ(background, 2);
  EXPECT_TRUE(m.Chart.Zoom().DragActive) << "the event let the press go on";
  // Presses during a drag are ignored.
  m.Chart.MouseDown(kRight, {}, inside.X, inside.Y);
  EXPECT_EQ(background, 2);
  EXPECT_FALSE(m.Chart.Panning().DragActive);
  m.Chart.CancelMode();
  EXPECT_FALSE(m.Chart.Zoom().DragActive);

  std::int32_t clickedPoint = -1;
  m.Series->OnClick = [&](TChartSeries&, std::int32_t index, TMouseButton, TShiftState, std::int32_t,
                          std::int32_t) { clickedPoint = index; };
  m.Chart.MouseDown(kLeft, {}, OnTheLine(m).X, OnTheLine(m).Y);
  EXPECT_EQ(clickedPoint, 5);
  EXPECT_FALSE(m.Chart.Zoom().DragActive) << "the series took the press";
}

TEST(ChartMouse, WheelScrollsTheVerticalAxesByThreePerCent) {
  TMouseChart m;
  const auto before = m.Ranges();
  const double step = (before[3] - before[2]) * 3 / 100;
  m.Chart.MouseWheel(true);
  EXPECT_NEAR(m.Chart.LeftAxis().Minimum(), before[2] + step, 1e-12);
  EXPECT_NEAR(m.Chart.LeftAxis().Maximum(), before[3] + step, 1e-12);
  EXPECT_NEAR(m.Chart.RightAxis().Minimum(), before[2] + step, 1e-12);
  EXPECT_EQ(m.Chart.BottomAxis().Minimum(), before[0]);
  EXPECT_FALSE(m.Chart.LeftAxis().Automatic());
  m.Chart.MouseWheel(false);
  m.Chart.MouseWheel(false);
  EXPECT_NEAR(m.Chart.LeftAxis().Minimum(), before[2] - step, 1e-12);
  // An undo gives the axes their automatic ranges back.
  EXPECT_FALSE(m.Chart.AxesAtOriginal());
  m.Chart.UnZoom();
  EXPECT_TRUE(m.Chart.LeftAxis().Automatic());
  EXPECT_TRUE(m.Chart.RightAxis().Automatic());
  m.Settle();
  EXPECT_EQ(m.Ranges(), before);
}

// Axes that reach to the end of the double range: a scroll or a wheel step
// that would carry an end past it is an overflow, and no axis moves.
TEST(ChartMouse, ScrollAndWheelBeyondTheDoubleRangeOverflowAndKeepTheAxes) {
  TMouseChart m;
  m.Chart.BottomAxis().SetAxisRange(0, 1.79e308);
  m.Chart.LeftAxis().SetAxisRange(0, 1.79e308);
  m.Chart.RightAxis().SetAxisRange(0, 1.79e308);
  m.Settle();
  const auto before = m.Ranges();
  const TPoint c = m.Centre();
  m.Chart.MouseDown(kRight, {}, c.X, c.Y);
  EXPECT_THROW(m.Chart.MouseMove({}, c.X - 30, c.Y), EOverflow);
  EXPECT_EQ(m.Ranges(), before);
  m.Chart.MouseUp(kRight, {}, c.X - 30, c.Y);
  EXPECT_THROW(m.Chart.MouseWheel(true), EOverflow);
  EXPECT_EQ(m.Ranges(), before);
  EXPECT_EQ(m.Chart.RightAxis().Maximum(), 1.79e308);
  // The other way stays within the range and scrolls.
  m.Chart.MouseWheel(false);
  EXPECT_LT(m.Chart.LeftAxis().Maximum(), before[3]);
}

// Points at both ends of the double range: the axes' working range
// overflows and a zoom drag would store positions that are no numbers.
TEST(ChartMouse, ZoomOverARangeNoDoubleHoldsIsRefused) {
  TMouseChart m;
  m.Series->AddPoint(11, 1.7976931348623157e308);
  m.Series->AddPoint(12, -1.7976931348623157e308);
  m.Settle();
  const TPoint c = m.Centre();
  m.Chart.MouseDown(kLeft, {}, c.X - 40, c.Y - 40);
  m.Chart.MouseMove({}, c.X + 40, c.Y + 40);
  // The positions between the ends lie beyond the double range.
  EXPECT_THROW(m.Chart.MouseUp(kLeft, {}, c.X + 40, c.Y + 40), EOverflow);
  EXPECT_FALSE(m.Chart.Zoom().DragActive);
  EXPECT_TRUE(m.Chart.AxesAtOriginal());
  for (TChartAxis* axis : m.Chart.Axes()) EXPECT_TRUE(axis->Automatic());
}

// A legend that is not drawn (no active series) leaves no rows to click.
TEST(ChartMouse, LegendNotDrawnAnswersNoClick) {
  TMouseChart m;
  m.Chart.Legend().SetVisible(true);
  m.Settle();
  const TRect rows = m.Chart.Legend().LegendRect();
  const TPoint inside{(rows.Left + rows.Right) / 2, (rows.Top + rows.Bottom) / 2};
  ASSERT_NE(m.Chart.Legend().Clicked(inside.X, inside.Y), -1);
  m.Series->SetActive(false);
  m.Settle();
  EXPECT_EQ(m.Chart.Legend().Clicked(inside.X, inside.Y), -1);
  EXPECT_EQ(m.Chart.FindClickedPart(inside.X, inside.Y).Part, cpNone);
}

TEST(ChartMouse, AnimatedZoomPaintsEachFrameAndEndsAtTheTargets) {
  TMouseChart m;
  m.Chart.SetAnimatedZoom(true);
  m.Chart.SetAnimatedZoomSteps(4);
  m.Host.Repaints = 0;
  m.Chart.ApplyZoom({{{2, 3}, {2, 3}, {4, 5}, {4, 5}}});
  EXPECT_EQ(m.Host.Repaints, 3);
  EXPECT_EQ(m.Ranges(), (std::array<double, 4>{4, 5, 2, 3}));
}

TEST(ChartMouse, LeavingTheChartEndsAScrollButNotAZoom) {
  TMouseChart m;
  const TPoint c = m.Centre();
  m.Chart.MouseDown(kRight, {}, c.X, c.Y);
  m.Chart.MouseLeave();
  EXPECT_FALSE(m.Chart.Panning().DragActive);
  m.Chart.MouseUp(kRight, {}, c.X, c.Y);
  m.Chart.MouseDown(kLeft, {}, c.X, c.Y);
  m.Chart.MouseLeave();
  EXPECT_TRUE(m.Chart.Zoom().DragActive);
  EXPECT_EQ(m.Chart.Cursor(), m.Chart.RestingCursor());
}

TEST(ChartMouse, SeriesCursorShowsOverTheSeries) {
  TMouseChart m;
  m.Series->SetCursor(crHandPoint);
  m.Chart.MouseMove({}, OnTheLine(m).X, OnTheLine(m).Y);
  EXPECT_EQ(m.Chart.Cursor(), crHandPoint);
  m.Chart.MouseMove({}, 1, 1);
  EXPECT_EQ(m.Chart.Cursor(), crDefault);
}

// The rectangle inverts what it crosses; drawn twice it leaves nothing.
TEST(ChartMouse, ZoomRectangleInvertsAndDrawnTwiceRestores) {
  TMouseChart m;
  m.Chart.SetColor(clWhite);
  const TPoint c = m.Centre();
  QImage image = test::WhiteImage(400, 300);
  image.setPixel(c.X, c.Y, 0xFF0000FF); // blue under the corner
  const QImage before = image.copy();
  TRasterDeviceContext device(&image);
  TCanvas canvas(&device);
  m.Chart.MouseDown(kLeft, {}, c.X, c.Y);
  m.Chart.MouseMove({}, c.X + 6, c.Y + 4);
  m.Chart.DrawZoomRectangleOn(canvas);
  EXPECT_EQ(test::Picture(image.copy(c.X - 1, c.Y - 1, 9, 6), {{0x00FFFF, 'y'}}), ".........\n"
                                                                                  ".y#####..\n"
                                                                                  ".#....#..\n"
                                                                                  ".#....#..\n"
                                                                                  ".######..\n"
                                                                                  ".........\n");
  m.Chart.DrawZoomRectangleOn(canvas);
  EXPECT_EQ(image, before);
}

} // namespace
} // namespace curvella
