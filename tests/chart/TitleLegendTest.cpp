#include "chart/Chart.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "ChartFixtures.h"
#include "chart/ChartMessages.h"
#include "platform/Fonts.h"
#include "support/Pixels.h"
#include "support/RowName.h"

namespace curvella {
namespace {

using test::Picture;
using test::WhiteImage;

constexpr TRect kPlot{20, 10, 180, 90};

std::int32_t LineHeight(const TFont& font) { return TextExtent(font.Description(), "W").Height; }
std::int32_t Width(const TFont& font, std::string_view text) {
  return TextExtent(font.Description(), text).Width;
}
std::uint32_t PixelAt(const QImage& image, int x, int y) { return RGBOfPixel(image.pixel(x, y)); }

// Where the legend asked this series for its symbols.
class TSymbolSeries : public TChartSeries {
public:
  void PaintLegendSymbol(std::int32_t index, const TRect& rect) override {
    Calls.emplace_back(index, rect);
    TChartSeries::PaintLegendSymbol(index, rect);
  }
  std::vector<std::pair<std::int32_t, TRect>> Calls;
};
using TCalls = std::vector<std::pair<std::int32_t, TRect>>;

// A white chart whose pass lays out only the titles and the legend, from
// kPlot in a panel 200 wide and 100 (or the given height) high.
class TLayoutChart : public TChart {
public:
  TLayoutChart() {
    SetColor(clWhite);
    SetBevelOuter(TBevelCut::bvNone);
    Canvas().SetOffscreenBuffer(false);
    SetHost(&Host);
  }
  void RenderChart(const TRect& panelRect) override {
    PaintPanel(panelRect);
    SetPlotRect(kPlot);
    RecalcPlotSize();
    PlaceTitlesAndLegend();
  }
  QImage Draw(int height = 100) {
    QImage image = WhiteImage(200, height);
    TRasterDeviceContext device(&image);
    TCanvas canvas(&device);
    DrawToCanvas(canvas, {0, 0, 200, height});
    return image;
  }
  TSymbolSeries& Add(const std::string& title,
                     std::vector<std::tuple<double, double, std::string>> points = {}) {
    auto& series = static_cast<TSymbolSeries&>(AddSeries(std::make_unique<TSymbolSeries>()));
    series.SetTitle(title);
    for (const auto& [x, y, label] : points) series.AddPoint(x, y, label);
    return series;
  }
  test::TCountingHost Host;
};

// Texts alone on white, each with its top-left corner at the point.
QImage TextsAt(const TFont& font, std::vector<std::pair<TPoint, std::string>> texts, QImage image = {}) {
  if (image.isNull()) image = WhiteImage(200, 100);
  TRasterDeviceContext device(&image);
  device.SetBackgroundMode(TRANSPARENT);
  device.SelectFont(font.Description());
  device.SetTextColor(ColorToRGB(font.Color()));
  for (const auto& [at, text] : texts) device.TextOut(at.X, at.Y, text);
  return image;
}

TEST(TitleLegend, EmptyBlocksTakeNoRoomAndDrawNothing) {
  TLayoutChart chart;
  for (bool decorated : {false, true}) {
    for (TChartTitle* block : {&chart.Title(), &chart.Foot()}) {
      block->Frame().SetVisible(decorated);
      block->Frame().SetColor(clRed);
      block->Brush().SetColor(decorated ? clRed : clDefault);
    }
    EXPECT_EQ(Picture(chart.Draw()), Picture(WhiteImage(200, 100)));
    EXPECT_EQ(chart.PlotRect(), kPlot);
  }
}

struct TitleRoomRow {
  const char* Name;
  bool OnTop;
  int Lines;
  bool FrameVisible;
  TColor FrameColor;
  int FrameWidth;
  int Counted; // the frame width that counts
};

class TitleRoomTable : public testing::TestWithParam<TitleRoomRow> {};

TEST_P(TitleRoomTable, TakesItsLinesTheGapAndACountingFrame) {
  const TitleRoomRow& row = GetParam();
  TLayoutChart chart;
  TChartTitle& block = row.OnTop ? chart.Title() : chart.Foot();
  block.SetText(std::vector<std::string>(static_cast<std::size_t>(row.Lines), "Wq"));
  block.Frame().SetVisible(row.FrameVisible);
  block.Frame().SetColor(row.FrameColor);
  block.Frame().SetWidth(row.FrameWidth);
  chart.Draw();
  const int room = row.Lines * LineHeight(block.Font()) + 2 * row.Counted;
  TRect plot = kPlot;
  (row.OnTop ? plot.Top : plot.Bottom) += row.OnTop ? room + 5 : -room - 5;
  EXPECT_EQ(chart.PlotRect(), plot);
  EXPECT_EQ(block.TitleRect().Height(), room);
  EXPECT_EQ(row.OnTop ? block.TitleRect().Top : block.TitleRect().Bottom,
            row.OnTop ? kPlot.Top : kPlot.Bottom);
}

INSTANTIATE_TEST_SUITE_P(TitleLegend, TitleRoomTable,
                         testing::Values(TitleRoomRow{"OneLine", true, 1, false, clBlack, 1, 0},
                                         TitleRoomRow{"ThreeLines", true, 3, false, clBlack, 1, 0},
                                         TitleRoomRow{"Framed", true, 2, true, clRed, 2, 2},
                                         TitleRoomRow{"DefaultColourFrameDoesNotCount", true, 1, true,
                                                      clDefault, 3, 0},
                                         TitleRoomRow{"FootOneLine", false, 1, false, clBlack, 1, 0},
                                         TitleRoomRow{"FootFramed", false, 2, true, clBlue, 1, 1}),
                         test::RowName());

TEST(TitleLegend, WindowTitleIsBlueCentredAndUnboxedAndTheFootRunsUp) {
  TLayoutChart chart;
  TChartTitle& title = chart.Title();
  title.Font().SetHeight(-12);
  title.Brush().SetColor(clWhite);
  title.Brush().SetStyle(TBrushStyle::bsClear);
  title.SetColor(8421631);
  title.SetText({"Y=F(x)"});
  TChartTitle& foot = chart.Foot();
  foot.SetText({"first", "last"});
  const QImage image = chart.Draw();

  const int titleH = LineHeight(title.Font());
  const int footH = LineHeight(foot.Font());
  const auto centred = [](const TFont& font, const std::string& text) { return 100 - Width(font, text) / 2; };
  QImage expected = TextsAt(title.Font(), {{{centred(title.Font(), "Y=F(x)"), 10}, "Y=F(x)"}});
  expected = TextsAt(foot.Font(),
                     {{{centred(foot.Font(), "first"), 90 - 2 * footH}, "first"},
                      {{centred(foot.Font(), "last"), 90 - footH}, "last"}},
                     expected);
  EXPECT_TRUE(image == expected) << Picture(image, {{clBlue, 'b'}});
  EXPECT_NE(Picture(image, {{clBlue, 'b'}}).find('b'), std::string::npos);
  EXPECT_EQ(chart.PlotRect(), (TRect{20, 10 + titleH + 5, 180, 90 - 2 * footH - 5}));
  EXPECT_EQ(title.Color(), 8421631);
}

struct TitleBrushRow {
  const char* Name;
  TColor Color;
  TBrushStyle Style;
  TColor BrushColor;
  std::set<std::uint32_t> Colours; // along the block's top row
  TColor ColorAfter;
};

class TitleBrushTable : public testing::TestWithParam<TitleBrushRow> {};

TEST_P(TitleBrushTable, FillsTheBlock) {
  const TitleBrushRow& row = GetParam();
  TLayoutChart chart;
  TChartTitle& title = chart.Title();
  title.SetText({"W"});
  title.SetAdjustFrame(false);
  title.SetColor(row.Color);
  title.Brush().SetStyle(row.Style);
  title.Brush().SetColor(row.BrushColor);
  const QImage image = chart.Draw();
  std::set<std::uint32_t> colours;
  for (int x = kPlot.Left; x < kPlot.Right - 1; ++x) colours.insert(PixelAt(image, x, kPlot.Top));
  EXPECT_EQ(colours, row.Colours);
  EXPECT_EQ(title.Color(), row.ColorAfter);
}

INSTANTIATE_TEST_SUITE_P(
    TitleLegend, TitleBrushTable,
    testing::Values(
        TitleBrushRow{"NoColourAtAll", clDefault, TBrushStyle::bsSolid, clDefault, {clWhite}, clDefault},
        TitleBrushRow{"SolidBrushColourIsCopied", clDefault, TBrushStyle::bsSolid, clRed, {clRed}, clRed},
        TitleBrushRow{"OwnColourIsSolid", clYellow, TBrushStyle::bsSolid, clRed, {clYellow}, clYellow},
        TitleBrushRow{"ClearBrushAsTheWindows", 8421631, TBrushStyle::bsClear, clWhite, {clWhite}, 8421631},
        TitleBrushRow{
            "HatchOverOwnColour", clYellow, TBrushStyle::bsVertical, clRed, {clRed, clYellow}, clYellow},
        TitleBrushRow{
            "HatchOverThePanel", clDefault, TBrushStyle::bsVertical, clRed, {clRed, clWhite}, clDefault}),
    test::RowName());

struct TitleAlignmentRow {
  const char* Name;
  TTitleAlignment Alignment;
  int Side; // -1 left, 0 centre, 1 right
};

class TitleAlignmentTable : public testing::TestWithParam<TitleAlignmentRow> {};

TEST_P(TitleAlignmentTable, PlacesLinesAndNarrowsTheBlock) {
  const int side = GetParam().Side;
  TLayoutChart chart;
  TChartTitle& title = chart.Title();
  title.SetText({"Wide line", "ab"});
  title.SetAlignment(GetParam().Alignment);
  title.Brush().SetColor(clYellow);
  const QImage image = chart.Draw();

  const TFont& font = title.Font();
  const int lineH = LineHeight(font);
  const int wWidth = Width(font, "W");
  const int block = Width(font, "Wide line") + wWidth;
  const int left = side < 0 ? 20 : side > 0 ? 180 - block : 100 - block / 2;
  const int right = side < 0 ? 20 + block : side > 0 ? 180 : 100 + block / 2;
  QImage expected = WhiteImage(200, 100);
  // A block without a pen leaves its last column and row to the panel.
  for (int y = 10; y < 10 + 2 * lineH - 1; ++y) {
    for (int x = left; x < right - 1; ++x) expected.setPixel(x, y, PixelOf(clYellow));
  }
  const auto at = [&](const std::string& line, int y) {
    const int w = Width(font, line);
    return std::pair{TPoint{side < 0   ? 20 + wWidth / 2
                            : side > 0 ? 180 - w - wWidth / 2
                                       : 100 - w / 2,
                            y},
                     line};
  };
  expected = TextsAt(font, {at("Wide line", 10), at("ab", 10 + lineH)}, expected);
  EXPECT_TRUE(image == expected) << Picture(image, {{clBlue, 'b'}, {clYellow, 'y'}});
}

INSTANTIATE_TEST_SUITE_P(TitleLegend, TitleAlignmentTable,
                         testing::Values(TitleAlignmentRow{"Left", TTitleAlignment::taLeftJustify, -1},
                                         TitleAlignmentRow{"Right", TTitleAlignment::taRightJustify, 1},
                                         TitleAlignmentRow{"Centre", TTitleAlignment::taCenter, 0}),
                         test::RowName());

using TPoints = std::vector<std::tuple<double, double, std::string>>;
const TPoints kPoints{{1, 2.5, "a"}, {2, -7.5, "b"}, {3, 0, ""}};

// A series of the chart: title, points, and whether active and listed.
struct SeriesRow {
  std::string Title;
  std::string Name;
  TPoints Points;
  bool Active = true;
  bool Shown = true;
};
const std::vector<SeriesRow> kOne{{"", "", kPoints}};

void AddAll(TLayoutChart& chart, const std::vector<SeriesRow>& rows) {
  for (const SeriesRow& row : rows) {
    TChartSeries& series = chart.Add(row.Title, row.Points);
    series.SetName(row.Name);
    series.SetActive(row.Active);
    series.SetShowInLegend(row.Shown);
  }
}

struct EmptyLegendRow {
  const char* Name;
  std::vector<SeriesRow> Series;
  int FirstValue;
  int TopPos;
};

class EmptyLegendTable : public testing::TestWithParam<EmptyLegendRow> {};

TEST_P(EmptyLegendTable, DrawsNothingAndLeavesThePlot) {
  TLayoutChart chart;
  AddAll(chart, GetParam().Series);
  chart.Legend().SetFirstValue(GetParam().FirstValue);
  chart.Legend().SetTopPos(GetParam().TopPos);
  std::vector<TRect> asked;
  chart.OnGetLegendRect = [&](TCustomChart&, TRect& rect) { asked.push_back(rect); };
  EXPECT_EQ(Picture(chart.Draw()), Picture(WhiteImage(200, 100)));
  EXPECT_EQ(chart.PlotRect(), kPlot);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], chart.Legend().LegendRect());
}

INSTANTIATE_TEST_SUITE_P(
    TitleLegend, EmptyLegendTable,
    testing::Values(EmptyLegendRow{"SeriesNotInLegend", {{"", "", kPoints, true, false}}, 0, 10},
                    EmptyLegendRow{"FirstValuePastThePoints", kOne, 3, 10},
                    EmptyLegendRow{"FirstValuePastTheSeries", {{"Sine"}, {"Cosine"}}, 2, 10},
                    // From 77: 90 less the frame's 2 leaves 11 pixels, not a row of 12.
                    EmptyLegendRow{"NoWholeRowAboveThePlotBottom", kOne, 0, 77},
                    EmptyLegendRow{"StartingBelowThePlot", kOne, 0, 95}),
    test::RowName());

struct LegendTextRow {
  const char* Name;
  TLegendStyle Style;
  TLegendTextStyle TextStyle;
  int FirstValue;
  std::vector<SeriesRow> Series;
  TLegendStyle Resolved;
  std::vector<std::string> Texts;
};

class LegendTextTable : public testing::TestWithParam<LegendTextRow> {};

TEST_P(LegendTextTable, CountsAndComposesItems) {
  const LegendTextRow& row = GetParam();
  TLayoutChart chart;
  AddAll(chart, row.Series);
  TChartLegend& legend = chart.Legend();
  legend.SetLegendStyle(row.Style);
  legend.SetTextStyle(row.TextStyle);
  legend.SetFirstValue(row.FirstValue);
  EXPECT_EQ(legend.ResolvedStyle(), row.Resolved);
  ASSERT_EQ(legend.LegendItemCount(), static_cast<std::int32_t>(row.Texts.size()));
  std::vector<std::string> texts;
  for (std::int32_t i = 0; i < legend.LegendItemCount(); ++i)
    texts.push_back(legend.ItemText(row.FirstValue + i));
  EXPECT_EQ(texts, row.Texts);
}

using enum TLegendTextStyle;
using enum TLegendStyle;
// Titled, named only, hidden from the legend, and bare.
const std::vector<SeriesRow> kFour{{"Sine"}, {"", "Cosine"}, {"Hidden", "", {}, true, false}, {}};
const std::vector<SeriesRow> kHiddenFirst{{"Sine", "", kPoints, true, false}, {"Cosine", "", {{1, 5, "q"}}}};

INSTANTIATE_TEST_SUITE_P(
    TitleLegend, LegendTextTable,
    testing::Values(
        LegendTextRow{"Plain", lsAuto, ltsPlain, 0, kOne, lsValues, {"a", "b", ""}},
        LegendTextRow{"LeftValue", lsAuto, ltsLeftValue, 0, kOne, lsValues, {"2.5 a", "-7.5 b", "0 "}},
        LegendTextRow{"RightValue", lsAuto, ltsRightValue, 1, kOne, lsValues, {"b -7.5", " 0"}},
        LegendTextRow{
            "LeftPercent", lsAuto, ltsLeftPercent, 0, kOne, lsValues, {"25 % a", "-75 % b", "0 % "}},
        LegendTextRow{"RightPercent", lsAuto, ltsRightPercent, 2, kOne, lsValues, {" 0 %"}},
        LegendTextRow{
            "PercentOfANullSum", lsAuto, ltsLeftPercent, 0, {{"", "", {{1, 0, "z"}}}}, lsValues, {"100 % z"}},
        LegendTextRow{"ValuesOfTheFirstActiveSeries",
                      lsAuto,
                      ltsPlain,
                      0,
                      {{"Sine", "", {{5, 1, "x"}}, false}, kOne[0], {"Tangent", "", {}, false}},
                      lsValues,
                      {"a", "b", ""}},
        LegendTextRow{"ValuesOfASeriesNotListed", lsValues, ltsPlain, 0, kHiddenFirst, lsValues, {}},
        LegendTextRow{
            "TitleNameOrNumber", lsAuto, ltsPlain, 0, kFour, lsSeries, {"Sine", "Cosine", "Series 2"}},
        LegendTextRow{"SeriesFromFirstValue", lsSeries, ltsPlain, 1, kFour, lsSeries, {"Cosine", "Series 2"}},
        // Each row shows the last value of the series it counts, not of the
        // chart's series at its number.
        LegendTextRow{"LastValues", lsLastValues, ltsRightValue, 0, kHiddenFirst, lsLastValues, {"q 5"}}),
    test::RowName());

TEST(TitleLegend, ValueTextsInTheSeriesAndAxisFormats) {
  TLayoutChart chart;
  TChartSeries& series = chart.Add("", {{1.25, 2.5, "a"}});
  series.SetValueFormat("0.00");
  series.SetPercentFormat("0.0 %");
  EXPECT_EQ(LegendValueText(series, 0, ltsLeftValue), "2.50 a");
  EXPECT_EQ(LegendValueText(series, 0, ltsRightPercent), "a 100.0 %");
  // The axis breaks a multi-line label at its blanks; a value item joins it again.
  chart.BottomAxis().SetAxisValuesFormat("0.0 'km'");
  chart.BottomAxis().SetLabelsMultiLine(true);
  chart.Legend().SetTextStyle(ltsXValue);
  EXPECT_EQ(chart.Legend().ItemText(0), "1.3 km");
  TChartSeries alone; // no axis to label its X
  alone.AddPoint(1.25, 2);
  alone.SetValueFormat("0.00");
  EXPECT_EQ(LegendValueText(alone, 0, ltsXValue), "1.25");
}

TEST(TitleLegend, RightLegendStandsLeftOfItsShadowAndMargin) {
  TLayoutChart chart;
  TSymbolSeries& alpha = chart.Add("Alpha");
  TSymbolSeries& beta = chart.Add("Be");
  chart.Legend().SetColor(clYellow);
  std::vector<std::int32_t> asked;
  chart.OnGetLegendText = [&](TCustomChart&, std::int32_t index, std::string& text) {
    asked.push_back(index);
    if (index == 1) text = "Beta gamma";
  };
  const QImage image = chart.Draw();
  EXPECT_EQ(asked, (std::vector<std::int32_t>{0, 1}));

  const TFont& font = chart.Legend().Font();
  const int itemH = LineHeight(font);
  const int textW = std::max(Width(font, "Alpha"), Width(font, "Beta gamma"));
  const int symbolW = ((textW + 10) * 12 + 50) / 100; // never a tie at 12 %
  // Frame 1 + 1 and shadow 3 inside the plot's right edge; top at 10 % of 100.
  const TRect legend{175 - textW - 2 - symbolW - 8, 10, 175, 10 + 2 * itemH + 2};
  EXPECT_EQ(chart.Legend().LegendRect(), legend);
  EXPECT_EQ(chart.PlotRect(), (TRect{20, 10, legend.Left - 5, 90})); // 3 % of 160
  const auto symbol = [&](int row) {
    const int top = legend.Top + 1 + row * itemH;
    return TRect{legend.Left + 4, top + 2, legend.Left + 4 + symbolW, top + itemH - 2};
  };
  EXPECT_EQ(alpha.Calls, (TCalls{{-1, symbol(0)}}));
  EXPECT_EQ(beta.Calls, (TCalls{{-1, symbol(1)}}));

  EXPECT_EQ(PixelAt(image, legend.Left + 1, legend.Top + 1), ColorToRGB(clYellow));
  EXPECT_EQ(PixelAt(image, legend.Left - 1, legend.Top + 5), 0u);     // frame
  EXPECT_EQ(PixelAt(image, legend.Right, legend.Top + 5), 0u);        // frame
  EXPECT_EQ(PixelAt(image, legend.Right + 3, legend.Bottom + 3), 0u); // shadow
  EXPECT_EQ(PixelAt(image, legend.Right + 1, legend.Top + 2), ColorToRGB(clWhite));
  EXPECT_EQ(PixelAt(image, legend.Right + 4, legend.Bottom + 3), ColorToRGB(clWhite));
  EXPECT_EQ(PixelAt(image, symbol(0).Left, symbol(0).Top), 0u); // item pen on a light legend
}

struct LegendSideRow {
  const char* Name;
  TLegendAlignment Alignment;
  bool Resize;
  int Margin;
  std::int32_t TRect::*Edge; // the legend's edge next to the plot
  std::int32_t EdgeAt;
  std::int32_t TRect::*PlotEdge;
  std::int32_t TRect::*From; // the legend's edge it moves to, or none
  std::int32_t Offset;
};

class LegendSideTable : public testing::TestWithParam<LegendSideRow> {};

TEST_P(LegendSideTable, TakesItsRoomAndMargin) {
  const LegendSideRow& row = GetParam();
  TLayoutChart chart;
  AddAll(chart, {{"Sine"}, {"Cosine"}});
  TChartLegend& legend = chart.Legend();
  legend.SetAlignment(row.Alignment);
  legend.SetResizeChart(row.Resize);
  legend.SetHorizMargin(row.Margin);
  legend.SetVertMargin(row.Margin);
  chart.Draw();
  EXPECT_EQ(legend.LegendRect().*row.Edge, row.EdgeAt);
  TRect plot = kPlot;
  plot.*row.PlotEdge = (row.From ? legend.LegendRect().*row.From : kPlot.*row.PlotEdge) + row.Offset;
  EXPECT_EQ(chart.PlotRect(), plot);
}

using enum TLegendAlignment;
using R = TRect;

// Frames of 1 keep 2 pixels off the plot; the shadow is 3; the default
// margins are 3 % of 160 (4.8) and 4 % of 80 (3.2).
INSTANTIATE_TEST_SUITE_P(
    TitleLegend, LegendSideTable,
    testing::Values(
        LegendSideRow{"Left", laLeft, true, 7, &R::Left, 22, &R::Left, &R::Right, 7},
        LegendSideRow{"RightMarginOnly", laRight, false, 0, &R::Right, 175, &R::Right, nullptr, -5},
        LegendSideRow{"TopBelowItsShadow", laTop, true, 6, &R::Top, 12, &R::Top, &R::Bottom, 3 + 6},
        LegendSideRow{"Bottom", laBottom, true, 0, &R::Bottom, 85, &R::Bottom, &R::Top, -3},
        LegendSideRow{"BottomMarginOnly", laBottom, false, 6, &R::Bottom, 85, &R::Bottom, nullptr, -6}),
    test::RowName());

TEST(TitleLegend, TopLegendFillsColumnsThenRowsUpToMaxNumRows) {
  TLayoutChart chart;
  AddAll(chart, {{"Series one"}, {"Series two"}, {"Series six"}, {"Series ten"}, {"Series 100"}});
  TChartLegend& legend = chart.Legend();
  legend.SetAlignment(laTop);
  legend.SetMaxNumRows(2);
  legend.Frame().SetVisible(false);
  legend.DividingLines().SetVisible(true);
  legend.DividingLines().SetColor(clRed);
  const QImage image = chart.Draw();

  const TFont& font = legend.Font();
  int textW = 0;
  for (int i = 0; i < 5; ++i) textW = std::max(textW, Width(font, chart.Series(i).Title()));
  textW += 4;
  const int symbolW = (textW * 12 + 50) / 100;
  ASSERT_EQ(150 / (textW + symbolW + 8), 2) << "two columns in 160 less twice the frame's width and 8";
  const int width = std::min(160, 6 + (symbolW + textW + 4) * 2 + 8);
  const int left = 100 - width / 2 + static_cast<int>(std::nearbyint((200 - width) * 0.1));
  const int itemH = LineHeight(font);
  const TRect rect{left, 10, left + width, 10 + 2 * itemH + 2};
  EXPECT_EQ(legend.LegendRect(), rect);
  const auto x = [&](int column) { return left + symbolW + 8 + column * (textW + symbolW + 4); };
  for (int n = 0; n < 5; ++n) {
    const int top = 11 + (n / 2) * itemH;
    const TRect symbol{x(n % 2) - 4 - symbolW, top + 2, x(n % 2) - 4, top + itemH - 2};
    EXPECT_EQ(static_cast<TSymbolSeries&>(chart.Series(n)).Calls, (n < 4 ? TCalls{{-1, symbol}} : TCalls{}))
        << n;
  }
  EXPECT_EQ(PixelAt(image, x(1) - 4 - symbolW - 4, 11), ColorToRGB(clRed));
  EXPECT_NE(PixelAt(image, x(0) - 4 - symbolW - 3, 11), ColorToRGB(clRed));
  // Without a frame the shadow reaches 3 - 1 beyond the edges.
  EXPECT_EQ(PixelAt(image, rect.Right + 1, rect.Bottom + 1), 0u);
  EXPECT_EQ(PixelAt(image, rect.Right + 2, rect.Bottom + 1), ColorToRGB(clWhite));
  EXPECT_EQ(PixelAt(image, rect.Right + 1, rect.Bottom + 2), ColorToRGB(clWhite));
}

TEST(TitleLegend, VerticalLegendTopRoundsHalvesToEven) {
  TLayoutChart chart;
  AddAll(chart, kOne);
  for (const auto& [topPos, top] : {std::pair{25, 22}, std::pair{15, 14}}) { // 22.5 and 13.5 of 90
    chart.Legend().SetTopPos(topPos);
    chart.Draw(90);
    EXPECT_EQ(chart.Legend().LegendRect().Top, top) << topPos;
  }
}

struct LegendOrderRow {
  const char* Name;
  int FirstValue;
  bool Inverted;
  std::vector<std::int32_t> Points;
};

class LegendOrderTable : public testing::TestWithParam<LegendOrderRow> {};

TEST_P(LegendOrderTable, ListsPointsFromFirstValueOrLastToFirst) {
  const LegendOrderRow& row = GetParam();
  TLayoutChart chart;
  TSymbolSeries& series = chart.Add("", {{1, 1, ""}, {2, 2, ""}, {3, 3, ""}, {4, 4, ""}});
  chart.Legend().SetFirstValue(row.FirstValue);
  chart.Legend().SetInverted(row.Inverted);
  std::vector<std::int32_t> moved;
  chart.OnGetLegendPos = [&](TCustomChart&, std::int32_t index, std::int32_t& x, std::int32_t&) {
    moved.push_back(index);
    x += 3;
  };
  chart.Draw();
  EXPECT_EQ(moved, row.Points);
  const TRect& legend = chart.Legend().LegendRect();
  const int itemH = LineHeight(chart.Legend().Font());
  ASSERT_EQ(series.Calls.size(), row.Points.size());
  for (std::size_t n = 0; n < row.Points.size(); ++n) {
    EXPECT_EQ(series.Calls[n].first, row.Points[n]);
    EXPECT_EQ(series.Calls[n].second.Left, legend.Left + 4 + 3);
    EXPECT_EQ(series.Calls[n].second.Top, legend.Top + 3 + static_cast<int>(n) * itemH);
  }
}

INSTANTIATE_TEST_SUITE_P(TitleLegend, LegendOrderTable,
                         testing::Values(LegendOrderRow{"FromTheFirst", 0, false, {0, 1, 2, 3}},
                                         LegendOrderRow{"FromFirstValue", 2, false, {2, 3}},
                                         LegendOrderRow{"Inverted", 0, true, {3, 2, 1, 0}},
                                         LegendOrderRow{"InvertedFromFirstValue", 1, true, {3, 2, 1}}),
                         test::RowName());

struct LegendSetterRow {
  const char* Name;
  void (TChartLegend::*Set)(std::int32_t);
  std::int32_t (TChartLegend::*Get)() const;
  std::int32_t Value;
  std::string Refusal; // empty: accepted
};

class LegendSetterTable : public testing::TestWithParam<LegendSetterRow> {};

TEST_P(LegendSetterTable, RepaintOnAChangeOrRefuseAndKeepTheValue) {
  const LegendSetterRow& row = GetParam();
  TLayoutChart chart;
  TChartLegend& legend = chart.Legend();
  const std::int32_t before = (legend.*row.Get)();
  const int repaints = chart.Host.Invalidations;
  if (row.Refusal.empty()) {
    (legend.*row.Set)(row.Value);
    (legend.*row.Set)(row.Value);
    EXPECT_EQ((legend.*row.Get)(), row.Value);
    EXPECT_EQ(chart.Host.Invalidations, repaints + 1);
    return;
  }
  try {
    (legend.*row.Set)(row.Value);
    ADD_FAILURE() << "accepted";
  } catch (const LegendException& e) {
    EXPECT_EQ(e.Message(), row.Refusal);
  }
  EXPECT_EQ((legend.*row.Get)(), before);
  EXPECT_EQ(chart.Host.Invalidations, repaints);
}

const std::string kTopPos = "Top Legend Position must be between 0 and 100 %";
const std::string kColorWidth = "Legend Color Width must be between 0 and 100 %";
using L = TChartLegend;

INSTANTIATE_TEST_SUITE_P(
    TitleLegend, LegendSetterTable,
    testing::Values(LegendSetterRow{"TopPos100", &L::SetTopPos, &L::TopPos, 100, ""},
                    LegendSetterRow{"TopPos0", &L::SetTopPos, &L::TopPos, 0, ""},
                    LegendSetterRow{"TopPosBelow0", &L::SetTopPos, &L::TopPos, -1, kTopPos},
                    LegendSetterRow{"TopPosAbove100", &L::SetTopPos, &L::TopPos, 101, kTopPos},
                    LegendSetterRow{"ColorWidth0", &L::SetColorWidth, &L::ColorWidth, 0, ""},
                    LegendSetterRow{"ColorWidthBelow0", &L::SetColorWidth, &L::ColorWidth, -1, kColorWidth},
                    LegendSetterRow{"ColorWidthAbove100", &L::SetColorWidth, &L::ColorWidth, 101,
                                    kColorWidth},
                    LegendSetterRow{"FirstValue", &L::SetFirstValue, &L::FirstValue, 4, ""},
                    LegendSetterRow{"NegativeFirstValue", &L::SetFirstValue, &L::FirstValue, -1,
                                    "First Legend Value must be > 0"},
                    LegendSetterRow{"MaxNumRows", &L::SetMaxNumRows, &L::MaxNumRows, 2, ""},
                    LegendSetterRow{"HorizMargin", &L::SetHorizMargin, &L::HorizMargin, 4, ""},
                    LegendSetterRow{"VertMargin", &L::SetVertMargin, &L::VertMargin, 4, ""},
                    LegendSetterRow{"ShadowSize", &L::SetShadowSize, &L::ShadowSize, 0, ""},
                    LegendSetterRow{"Color", &L::SetColor, &L::Color, clRed, ""},
                    LegendSetterRow{"ShadowColor", &L::SetShadowColor, &L::ShadowColor, clRed, ""}),
    test::RowName());

} // namespace
} // namespace curvella
