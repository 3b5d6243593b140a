#include "chart/ChartAxis.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include <QRect>

#include "chart/AxisPanel.h"
#include "numtext/PictureFormat.h"
#include "platform/RasterDevice.h"
#include "support/Pixels.h"
#include "support/RowName.h"

namespace curvella {
namespace {

using test::Picture;

constexpr std::uint32_t kBackground = 0xC0FFFF; // light yellow
const std::map<std::uint32_t, char> kLetters = {{0x808080, 'g'}, {kBackground, 'y'}};

using TAxisOf = TChartAxis& (TCustomAxisPanel::*)();

// A chart drawing straight into a small image, with a series that draws
// nothing itself and only the axes a test asks for.
struct TAxisScene {
  explicit TAxisScene(std::vector<double> xs = {0, 2}, TRect plot = {20, 2, 120, 40})
      : Image(test::WhiteImage(130, 60)), Device(&Image), Surface(&Device), Plot(plot) {
    Chart.SetView3D(false);
    Chart.Canvas().SetOffscreenBuffer(false);
    Chart.Canvas().PrepareSurface(Surface, nullptr, {0, 0, Image.width(), Image.height()}, false);
    Series = &Chart.AddSeries(std::make_unique<TChartSeries>());
    Series->SetHorizAxis(THorizAxis::aBothHorizAxis);
    Series->SetVertAxis(TVertAxis::aBothVertAxis);
    for (double x : xs) Series->AddPoint(x, x);
  }

  // Lays out and paints only the given axis.
  TChartAxis& Paint(TAxisOf which) {
    TChartAxis& axis = (Chart.*which)();
    for (TChartAxis* other : Chart.Axes()) other->SetVisible(other == &axis);
    Chart.SetPlotRect(Plot);
    Chart.RecalcPlotSize();
    Chart.LayoutAxes();
    Chart.ApplySeriesMargins();
    axis.PaintAxis();
    return axis;
  }

  // Columns of row y in the colour.
  std::vector<int> ColumnsOf(int y, std::uint32_t rgb) const {
    std::vector<int> columns;
    for (int x = 0; x < Image.width(); ++x) {
      if (RGBOfPixel(Image.pixel(x, y)) == rgb) columns.push_back(x);
    }
    return columns;
  }

  // The box of the pixels inside an area that are of a colour, or (by
  // default) not white.
  QRect BoxOf(QRect area, std::optional<std::uint32_t> rgb = {}) const {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
      for (int x = area.left(); x <= area.right(); ++x) {
        const std::uint32_t pixel = RGBOfPixel(Image.pixel(x, y));
        if (rgb ? pixel == *rgb : pixel != 0xFFFFFF) box |= QRect(x, y, 1, 1);
      }
    }
    return box;
  }

  QImage Image;
  TRasterDeviceContext Device;
  TCanvas Surface;
  TRect Plot;
  TCustomAxisPanel Chart;
  TChartSeries* Series;
};

// A black line 2 pixels wide, gray ticks 4 pixels below it, minor ticks of
// 2, and dotted gray grid lines whose gaps keep the background even in
// opaque mode.
TEST(AxisDrawing, BottomAxisLineTicksAndDottedGrid) {
  TAxisScene scene({0, 2}, {4, 2, 44, 40});
  scene.Image.fill(PixelOf(kBackground));
  scene.Chart.Canvas().SetBackgroundMode(OPAQUE);
  scene.Chart.Canvas().SetBackgroundColor(clRed);
  TChartAxis& bottom = scene.Chart.BottomAxis();
  bottom.SetLabels(false);
  bottom.SetTickOnLabelsOnly(false);
  scene.Paint(&TCustomAxisPanel::BottomAxis);
  ASSERT_EQ(bottom.AxisLinePosition(), 34);
  EXPECT_EQ(bottom.TickPositions(), (std::vector<std::int32_t>{44, 24, 4}));
  EXPECT_EQ(Picture(scene.Image.copy(0, 24, 48, 16), kLetters),
            "yyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy\n"
            "yyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy\n"
            "yyyygyyyyyyyyyyyyyyyyyyygyyyyyyyyyyyyyyyyyyygyyy\n"
            "yyyygyyyyyyyyyyyyyyyyyyygyyyyyyyyyyyyyyyyyyygyyy\n"
            "yyyygyyyyyyyyyyyyyyyyyyygyyyyyyyyyyyyyyyyyyygyyy\n"
            "yyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy\n"
            "yyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy\n"
            "yyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy\n"
            "yyyygyyyyyyyyyyyyyyyyyyygyyyyyyyyyyyyyyyyyyygyyy\n"
            "yyy#g###################g###################gyyy\n"
            "yyy##########################################yyy\n"
            "yyyygyyyygyyyygyyyygyyyygyyyygyyyygyyyygyyyygyyy\n"
            "yyyygyyyygyyyygyyyygyyyygyyyygyyyygyyyygyyyygyyy\n"
            "yyyygyyyyyyyyyyyyyyyyyyygyyyyyyyyyyyyyyyyyyygyyy\n"
            "yyyygyyyyyyyyyyyyyyyyyyygyyyyyyyyyyyyyyyyyyygyyy\n"
            "yyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy\n");
}

TEST(AxisDrawing, TopAxisWithoutLabelsDrawsOnlyItsLine) {
  TAxisScene scene({0, 2}, {4, 2, 44, 40});
  scene.Chart.TopAxis().SetLabels(false);
  TChartAxis& top = scene.Paint(&TCustomAxisPanel::TopAxis);
  EXPECT_EQ(top.AxisLinePosition(), 8); // the tick room only
  EXPECT_TRUE(top.TickPositions().empty());
  EXPECT_EQ(scene.BoxOf(scene.Image.rect()), QRect(QPoint(3, 7), QPoint(44, 8)));
  EXPECT_TRUE(scene.ColumnsOf(20, 0x808080).empty());
}

// Zero under the wide picture prints as blanks only.
TEST(AxisDrawing, BlankLabelStillGetsItsTickAndGridLine) {
  TAxisScene scene({0, 2}, {20, 2, 120, 40});
  scene.Chart.BottomAxis().SetAxisValuesFormat("### ### ### ### ### ### ###.### ### ### ### ### ### ###");
  TChartAxis& bottom = scene.Paint(&TCustomAxisPanel::BottomAxis);
  EXPECT_EQ(bottom.TickPositions(), (std::vector<std::int32_t>{120, 70, 20}));
  const int line = bottom.AxisLinePosition();
  EXPECT_EQ(scene.ColumnsOf(line + 4, 0x808080), (std::vector<int>{20, 70, 120}));
  EXPECT_EQ(scene.ColumnsOf(3, 0x808080), (std::vector<int>{20, 70, 120}));
  EXPECT_TRUE(scene.BoxOf({0, bottom.LabelsPosition(), 45, 14}).isNull());
  EXPECT_FALSE(scene.BoxOf({60, bottom.LabelsPosition(), 20, 14}).isNull()); // "1"
}

// Restores the thousands separator of the other tests.
struct TSeparatorScope {
  explicit TSeparatorScope(char separator) { SetThousandSeparator(separator); }
  ~TSeparatorScope() { SetThousandSeparator(','); }
};

TEST(AxisDrawing, MultiLineLabelIsCentredAsABlockOnItsValue) {
  const TSeparatorScope blank(' ');
  TAxisScene scene({0, 2469}, {60, 2, 120, 58});
  TChartAxis& left = scene.Chart.LeftAxis();
  left.SetLabelsMultiLine(true);
  left.SetIncrement(1234.5);
  scene.Paint(&TCustomAxisPanel::LeftAxis);
  const int pos = left.ValueToPixel(1234.5);
  ASSERT_EQ(left.TickPositions(), (std::vector<std::int32_t>{left.FirstPixel(), pos, left.LastPixel()}));
  // The label room takes the widest line, "469", and one blank.
  TChartCanvas3D& canvas = scene.Chart.Canvas();
  EXPECT_EQ(scene.Chart.PlotRect().Left,
            60 + canvas.MeasureTextWidth("469") + canvas.MeasureTextWidth(" ") + 6);

  // "1" above the value and "234.5" below it, right-aligned at the labels
  // position.
  QImage expected = test::WhiteImage(scene.Image.width(), scene.Image.height());
  TRasterDeviceContext device(&expected);
  TCanvas reference(&device);
  MakeChartFont(reference.Font());
  reference.Handle().SetTextAlign(TA_RIGHT | TA_TOP);
  reference.Handle().SetBackgroundMode(TRANSPARENT);
  reference.TextOut(left.LabelsPosition(), pos - 12, "1");
  reference.TextOut(left.LabelsPosition(), pos, "234.5");
  const QRect label(0, pos - 12, left.LabelsPosition(), 24);
  ASSERT_FALSE(scene.BoxOf(label).isNull());
  EXPECT_EQ(Picture(scene.Image.copy(label), kLetters), Picture(expected.copy(label), kLetters));
}

struct OnAxisRow {
  const char* Name;
  bool LabelsOnAxis;
  std::vector<std::int32_t> Ticks;
};

class LabelsOnAxisTable : public testing::TestWithParam<OnAxisRow> {};

TEST_P(LabelsOnAxisTable, LabelsOnTheAxisEndsAreSkippedWithTheirTicks) {
  TAxisScene scene;
  scene.Chart.BottomAxis().SetLabelsOnAxis(GetParam().LabelsOnAxis);
  EXPECT_EQ(scene.Paint(&TCustomAxisPanel::BottomAxis).TickPositions(), GetParam().Ticks);
}

INSTANTIATE_TEST_SUITE_P(AxisDrawing, LabelsOnAxisTable,
                         testing::Values(OnAxisRow{"Allowed", true, {120, 70, 20}},
                                         OnAxisRow{"Refused", false, {70}}),
                         test::RowName());

struct MarksRow {
  const char* Name;
  std::vector<double> Xs;
  bool GridCentered;
  std::vector<int> Grid;
  std::vector<int> MinorTicks;
};

class MinorAndGridTable : public testing::TestWithParam<MarksRow> {};

// Minor ticks show where the 2-pixel minor ticks reach but the 4-pixel
// ticks do not.
TEST_P(MinorAndGridTable, GridLinesAndMinorTicks) {
  TAxisScene scene(GetParam().Xs);
  scene.Chart.BottomAxis().SetGridCentered(GetParam().GridCentered);
  scene.Chart.BottomAxis().Grid().SetColor(clDefault); // drawn gray
  const int line = scene.Paint(&TCustomAxisPanel::BottomAxis).AxisLinePosition();
  EXPECT_EQ(scene.ColumnsOf(3, 0x808080), GetParam().Grid);
  std::vector<int> minor;
  for (int x : scene.ColumnsOf(line + 1, 0x808080)) {
    if (RGBOfPixel(scene.Image.pixel(x, line + 3)) != 0x808080) minor.push_back(x);
  }
  EXPECT_EQ(minor, GetParam().MinorTicks);
}

INSTANTIATE_TEST_SUITE_P(
    AxisDrawing, MinorAndGridTable,
    testing::Values(MarksRow{"OneLabel", {0}, false, {70}, {}},
                    // Labels at 1 and 2 only: the minor spacing of 12.5
                    // rounds to even and goes on beyond both up to the ends.
                    MarksRow{"TwoLabels", {0.5, 2.5}, false, {45, 95}, {33, 57, 70, 83, 107}},
                    MarksRow{"Centred", {0, 2}, true, {45, 95}, {32, 45, 58, 82, 95, 108}}),
    test::RowName());

struct TickRoomRow {
  const char* Name;
  void (*Setup)(TChartAxis&);
  std::int32_t Room;
};

class TickRoomTable : public testing::TestWithParam<TickRoomRow> {};

TEST_P(TickRoomTable, AxisPenTicksAndMinorTicks) {
  TAxisScene scene;
  TChartAxis& axis = scene.Chart.LeftAxis();
  GetParam().Setup(axis);
  EXPECT_EQ(axis.TickRoom(), GetParam().Room);
}

INSTANTIATE_TEST_SUITE_P(
    AxisDrawing, TickRoomTable,
    testing::Values(TickRoomRow{"Defaults", [](TChartAxis&) {}, 6},
                    TickRoomRow{"NoAxisLine", [](TChartAxis& a) { a.Axis().SetVisible(false); }, 4},
                    TickRoomRow{"NoTicks", [](TChartAxis& a) { a.Ticks().SetVisible(false); }, 2},
                    TickRoomRow{"LongMinorTicks", [](TChartAxis& a) { a.SetMinorTickLength(9); }, 9},
                    TickRoomRow{"InnerTicksTakeNone", [](TChartAxis& a) { a.SetTickInnerLength(5); }, 6}),
    test::RowName());

TEST(AxisDrawing, LabelRoomMeasurements) {
  TAxisScene scene({0, 1000}, {20, 2, 120, 58});
  scene.Paint(&TCustomAxisPanel::LeftAxis);
  TChartAxis& bottom = scene.Chart.BottomAxis();
  TChartAxis& left = scene.Chart.LeftAxis();
  bottom.SetLabelsMultiLine(true);   // still one line of room
  EXPECT_EQ(bottom.LabelRoom(), 12); // the height of "W"
  left.SetLabelsAngle(90);
  EXPECT_EQ(left.LabelRoom(), 12);
  left.SetLabelsAngle(0);
  int calls = 0;
  scene.Chart.OnGetAxisLabel = [&](TChartAxis&, TChartSeries*, std::int32_t, std::string& text) {
    ++calls;
    text = "a much longer label";
  };
  TChartCanvas3D& canvas = scene.Chart.Canvas();
  EXPECT_EQ(left.LabelRoom(), canvas.MeasureTextWidth("1,000") + canvas.MeasureTextWidth(" "));
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(left.AxisLabelText(1), "a much longer label"); // the event is back
  left.SetLabelsSize(25);
  EXPECT_EQ(left.LabelRoom(), 25);
}

// The label room of rounded labels cuts the quotients in extended
// precision: 0.9 / 0.05 is a little below 18, so the top label measured is
// 0.85.
TEST(AxisDrawing, LabelRoomCutsTheQuotientInExtendedPrecision) {
  TAxisScene scene({0, 0.9}, {20, 2, 120, 600});
  TChartAxis& left = scene.Paint(&TCustomAxisPanel::LeftAxis);
  left.SetIncrement(0.05);
  scene.Paint(&TCustomAxisPanel::LeftAxis);
  ASSERT_EQ(left.ComputeLabelStep(), 0.05);
  TChartCanvas3D& canvas = scene.Chart.Canvas();
  ASSERT_NE(canvas.MeasureTextWidth("0.85"), canvas.MeasureTextWidth("0.9"));
  EXPECT_EQ(left.LabelRoom(), canvas.MeasureTextWidth("0.85") + canvas.MeasureTextWidth(" "));
}

// Text labels take room for the point labels of every series.
TEST(AxisDrawing, TextLabelRoomCountsEverySeries) {
  TAxisScene scene({0, 2}, {20, 2, 120, 58});
  TChartSeries& hidden = scene.Chart.AddSeries(std::make_unique<TChartSeries>());
  hidden.AddPoint(1, 1, "a rather long point label");
  hidden.SetActive(false);
  TChartAxis& left = scene.Paint(&TCustomAxisPanel::LeftAxis);
  left.SetLabelStyle(TAxisLabelStyle::talText);
  EXPECT_EQ(left.LabelRoom(), scene.Chart.Canvas().MeasureTextWidth("a rather long point label"));
}

// A paint works out the label step once: the label event runs for that
// step's measurements and once for each label drawn.
TEST(AxisDrawing, PaintComputesTheLabelStepOnce) {
  TAxisScene scene;
  TChartAxis& bottom = scene.Paint(&TCustomAxisPanel::BottomAxis);
  int calls = 0;
  scene.Chart.OnGetAxisLabel = [&](TChartAxis&, TChartSeries*, std::int32_t, std::string&) { ++calls; };
  bottom.ComputeLabelStep();
  const int stepCalls = calls;
  calls = 0;
  bottom.PaintAxis();
  EXPECT_EQ(calls, stepCalls + static_cast<int>(bottom.TickPositions().size()));
}

// Axis ends placed at the integer limits: widening for margins keeps the
// range instead of wrapping the length around.
TEST(AxisDrawing, AxisEndsAtTheIntegerLimitsKeepTheirRange) {
  TAxisScene scene;
  TChartAxis& bottom = scene.Chart.BottomAxis();
  bottom.SetStartPosition(-2e9);
  scene.Paint(&TCustomAxisPanel::BottomAxis);
  EXPECT_EQ(bottom.WorkingMinimum(), 0);
  EXPECT_EQ(bottom.WorkingMaximum(), 2);
  EXPECT_GT(bottom.ValueToPixel(2), bottom.ValueToPixel(0));
}

struct ReserveRow {
  const char* Name;
  TAxisOf Axis;
  const char* Caption;
  bool Shrink;
  TRect Rest;
  std::int32_t LabelsPosition;
  std::int32_t TitlePosition;
};

class ReserveTable : public testing::TestWithParam<ReserveRow> {};

// Labels of 30 pixels, titles one line of 12, ticks 6.
TEST_P(ReserveTable, CutsTitleLabelsAndTicksFromItsSide) {
  TAxisScene scene;
  TChartAxis& axis = (scene.Chart.*GetParam().Axis)();
  axis.SetLabelsSize(30);
  axis.Title().SetCaption(GetParam().Caption);
  TRect rect{100, 100, 300, 200};
  axis.ReserveAxisSpace(rect, GetParam().Shrink);
  EXPECT_EQ(rect, GetParam().Rest);
  EXPECT_EQ(axis.LabelsPosition(), GetParam().LabelsPosition);
  EXPECT_EQ(axis.TitlePosition(), GetParam().TitlePosition);
}

INSTANTIATE_TEST_SUITE_P(
    AxisDrawing, ReserveTable,
    testing::Values(
        ReserveRow{"Bottom", &TCustomAxisPanel::BottomAxis, "", true, {100, 100, 300, 164}, 170, 200},
        ReserveRow{"BottomTitled", &TCustomAxisPanel::BottomAxis, "T", true, {100, 100, 300, 152}, 158, 188},
        ReserveRow{"Top", &TCustomAxisPanel::TopAxis, "", true, {100, 136, 300, 200}, 130, 100},
        ReserveRow{"TopTitled", &TCustomAxisPanel::TopAxis, "T", true, {100, 148, 300, 200}, 142, 112},
        ReserveRow{"Left", &TCustomAxisPanel::LeftAxis, "", true, {136, 100, 300, 200}, 130, 100},
        ReserveRow{"LeftTitled", &TCustomAxisPanel::LeftAxis, "T", true, {148, 100, 300, 200}, 142, 112},
        ReserveRow{"Right", &TCustomAxisPanel::RightAxis, "", true, {100, 100, 264, 200}, 270, 300},
        ReserveRow{"RightTitled", &TCustomAxisPanel::RightAxis, "T", true, {100, 100, 252, 200}, 258, 288},
        ReserveRow{"NoShrink", &TCustomAxisPanel::BottomAxis, "T", false, {100, 100, 300, 200}, 206, 236}),
    test::RowName());

struct LabelTextRow {
  const char* Name;
  TAxisOf Axis;
  const char* Text;
  QRect Cells;
};

class LabelTextTable : public testing::TestWithParam<LabelTextRow> {};

// Opaque text fills its cells with the background colour: "W" is 10 x 12
// pixels.
TEST_P(LabelTextTable, AlignsByTheAxisSide) {
  TAxisScene scene;
  TChartAxis& axis = (scene.Chart.*GetParam().Axis)();
  scene.Chart.ApplyFont(axis.LabelsFont());
  TChartCanvas3D& canvas = scene.Chart.Canvas();
  canvas.SetBackgroundMode(OPAQUE);
  canvas.SetBackgroundColor(clRed);
  axis.DrawLabelText(50, 30, GetParam().Text, 0);
  EXPECT_EQ(scene.BoxOf(scene.Image.rect(), clRed), GetParam().Cells);
  EXPECT_EQ(canvas.TextAlignment(), TA_LEFT | TA_TOP);
}

INSTANTIATE_TEST_SUITE_P(
    AxisDrawing, LabelTextTable,
    testing::Values(LabelTextRow{"Bottom", &TCustomAxisPanel::BottomAxis, "W", {45, 30, 10, 12}},
                    LabelTextRow{"Top", &TCustomAxisPanel::TopAxis, "W", {45, 18, 10, 12}},
                    LabelTextRow{"Left", &TCustomAxisPanel::LeftAxis, "W", {40, 24, 10, 12}},
                    LabelTextRow{"Right", &TCustomAxisPanel::RightAxis, "W", {50, 24, 10, 12}},
                    LabelTextRow{"BottomTwoLines", &TCustomAxisPanel::BottomAxis, "W\rW", {45, 30, 10, 24}},
                    LabelTextRow{"TopTwoLines", &TCustomAxisPanel::TopAxis, "W\rW", {45, 6, 10, 24}},
                    LabelTextRow{"LeftTwoLines", &TCustomAxisPanel::LeftAxis, "W\rW\r", {40, 18, 10, 24}},
                    LabelTextRow{
                        "RightThreeLines", &TCustomAxisPanel::RightAxis, "W\r\rW", {50, 12, 10, 36}}),
    test::RowName());

struct HitRow {
  const char* Name;
  std::int32_t DX; // from the first pixel
  std::int32_t DY; // from the axis line
  bool Hit;
};

class HitTestTable : public testing::TestWithParam<HitRow> {};

// The bottom axis band runs from 3 above its line to its labels, 6 below.
TEST_P(HitTestTable, FromTheLineToTheLabels) {
  TAxisScene scene;
  TChartAxis& bottom = scene.Paint(&TCustomAxisPanel::BottomAxis);
  EXPECT_EQ(bottom.HitTest(bottom.FirstPixel() + GetParam().DX, bottom.AxisLinePosition() + GetParam().DY),
            GetParam().Hit);
  bottom.SetVisible(false);
  EXPECT_FALSE(
      bottom.HitTest(bottom.FirstPixel() + GetParam().DX, bottom.AxisLinePosition() + GetParam().DY));
}

INSTANTIATE_TEST_SUITE_P(AxisDrawing, HitTestTable,
                         testing::Values(HitRow{"OnTheLine", 0, 0, true}, HitRow{"ThreeAbove", 50, -3, true},
                                         HitRow{"FourAbove", 50, -4, false}, HitRow{"LastBelow", 50, 5, true},
                                         HitRow{"AtTheLabels", 50, 6, false},
                                         HitRow{"BeforeStart", -1, 0, false},
                                         HitRow{"AtTheEnd", 100, 0, false}),
                         test::RowName());

TEST(AxisDrawing, LabelsFromTheNextLabelEvent) {
  TAxisScene scene;
  std::vector<double> values = {0.5, 1.5, 2.0000001, 2.1};
  scene.Chart.OnGetNextAxisLabel = [&](TChartAxis&, std::int32_t i, bool& stop, double& value) {
    stop = false;
    value = values[static_cast<std::size_t>(i)];
  };
  // The last value is beyond the range widened by 1e-7 and ends the list.
  EXPECT_EQ(scene.Paint(&TCustomAxisPanel::BottomAxis).TickPositions(),
            (std::vector<std::int32_t>{45, 95, 120}));
  // Stopping at once leaves the ordinary labels.
  scene.Chart.OnGetNextAxisLabel = [](TChartAxis&, std::int32_t, bool&, double&) {};
  EXPECT_EQ(scene.Paint(&TCustomAxisPanel::BottomAxis).TickPositions(),
            (std::vector<std::int32_t>{120, 70, 20}));
}

// A plot running past the picture's right edge (at 130): the last label,
// centred 20 pixels beyond it, still shows the part that reaches in.
TEST(AxisDrawing, LabelsOffThePictureShowWhatReachesIn) {
  TAxisScene scene({0, 2}, {0, 2, 150, 40});
  scene.Chart.OnGetAxisLabel = [](TChartAxis&, TChartSeries*, std::int32_t, std::string& text) {
    text = "8888888888";
  };
  TChartAxis& bottom = scene.Chart.BottomAxis();
  bottom.Grid().SetVisible(false);
  scene.Paint(&TCustomAxisPanel::BottomAxis);
  EXPECT_EQ(bottom.TickPositions(), (std::vector<std::int32_t>{150, 75, 0}));
  EXPECT_FALSE(scene.BoxOf({110, bottom.LabelsPosition(), 20, 12}).isNull())
      << "the left part of the label at 150";
}

struct RepeatedGridRow {
  const char* Name;
  TPenMode Mode;
  bool Shown; // whether the grid column shows
};

class RepeatedGridTable : public testing::TestWithParam<RepeatedGridRow> {};

// Grid lines at the same position: copied once or many times the picture
// is the same; an inverting pen inverts once per line, so two cancel.
TEST_P(RepeatedGridTable, LinesAtOnePositionDrawAsOften) {
  TAxisScene scene;
  TChartAxis& bottom = scene.Chart.BottomAxis();
  scene.Chart.OnGetNextAxisLabel = [](TChartAxis&, std::int32_t i, bool& stop, double& value) {
    stop = i >= 2;
    value = 1;
  };
  bottom.Grid().SetMode(GetParam().Mode);
  bottom.Grid().SetStyle(TPenStyle::psSolid);
  scene.Paint(&TCustomAxisPanel::BottomAxis);
  EXPECT_EQ(bottom.TickPositions(), (std::vector<std::int32_t>{70, 70}));
  EXPECT_EQ(scene.ColumnsOf(10, 0x808080).size(), GetParam().Shown ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(AxisDrawing, RepeatedGridTable,
                         testing::Values(RepeatedGridRow{"Copied", TPenMode::pmCopy, true},
                                         RepeatedGridRow{"Inverted", TPenMode::pmNotXor, false}),
                         test::RowName());

TEST(AxisDrawing, AutomaticLabelStyleFromTheSeries) {
  TAxisScene scene;
  TChartAxis& bottom = scene.Chart.BottomAxis();
  TChartAxis& left = scene.Chart.LeftAxis();
  EXPECT_EQ(bottom.EffectiveLabelStyle(), TAxisLabelStyle::talValue);
  scene.Series->ClearPoints();
  scene.Series->AddPoint(1, 5, "first");
  // X labels run along the horizontal axes only.
  EXPECT_EQ(bottom.EffectiveLabelStyle(), TAxisLabelStyle::talText);
  EXPECT_EQ(left.EffectiveLabelStyle(), TAxisLabelStyle::talValue);
  scene.Series->SetActive(false);
  EXPECT_EQ(bottom.EffectiveLabelStyle(), TAxisLabelStyle::talNone);
}

} // namespace
} // namespace curvella
