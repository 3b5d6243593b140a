#include "platform/Fonts.h"

#include <gtest/gtest.h>

#include <QFontInfo>

#include "support/RowName.h"

namespace curvella {
namespace {

TEST(Fonts, FacesResolveToTheInstalledStandIns) {
  EXPECT_EQ(QFontInfo(ResolveFont({.Name = "Arial", .Height = -11})).family(), "Liberation Sans");
  EXPECT_EQ(QFontInfo(ResolveFont({.Name = "MS Sans Serif", .Height = -11})).family(), "DejaVu Sans");
  EXPECT_EQ(QFontInfo(ResolveFont({.Name = "Arial", .Height = -11})).pixelSize(), 11);
}

TEST(Fonts, PointsFollow96PixelsPerInch) {
  EXPECT_EQ(FontHeightOfSize(8), -11);
  EXPECT_EQ(FontHeightOfSize(10), -13);
  EXPECT_EQ(FontHeightOfSize(12), -16);
  EXPECT_EQ(FontSizeOfHeight(-11), 8);
  EXPECT_EQ(FontSizeOfHeight(-16), 12);
}

TEST(Fonts, ExtentIsTheAdvanceAndTheWholeCell) {
  const TFontSpec arial{.Name = "Arial", .Height = -11};
  const TFontMetricsInfo metrics = FontMetrics(arial);
  EXPECT_EQ(metrics.Height, metrics.Ascent + metrics.Descent);
  // The cell is taller than the ink of a capital letter.
  EXPECT_EQ(TextExtent(arial, "W").Height, metrics.Height);
  EXPECT_EQ(TextExtent(arial, "").Width, 0);
  EXPECT_EQ(TextExtent(arial, "").Height, metrics.Height);
  EXPECT_GT(TextExtent(arial, "WW").Width, TextExtent(arial, "W").Width);
  // A larger or bold font measures wider.
  EXPECT_GT(TextExtent({.Name = "Arial", .Height = -16}, "Hello").Width, TextExtent(arial, "Hello").Width);
  TFontSpec bold = arial;
  bold.Style.Bold = true;
  EXPECT_GT(TextExtent(bold, "Hello").Width, TextExtent(arial, "Hello").Width);
  // A positive height is the whole cell.
  EXPECT_LE(FontMetrics({.Name = "Arial", .Height = 14}).Height, 14);
}

TEST(Fonts, TextsAreWindows1252) {
  EXPECT_EQ(FromWindows1252("a\x80\xA0\xE9"), QString::fromUtf8("a\u20AC\u00A0\u00E9"));
  EXPECT_EQ(ToWindows1252(QString::fromUtf8("\u20AC\u2019x\u4E00")), "\x80\x92x?");
}

} // namespace
} // namespace curvella

namespace curvella {
namespace {

// Widths are remembered per font; past the bound they are measured afresh,
// and the same text always measures the same.
TEST(Fonts, RememberedWidthsStayTheMeasuredOnes) {
  const TFontSpec arial{.Name = "Arial", .Height = -11};
  const TFontSpec bold{.Name = "Arial", .Height = -11, .Style = {.Bold = true}};
  const std::int32_t hello = TextExtent(arial, "Hello").Width;
  EXPECT_NE(TextExtent(bold, "Hello").Width, hello);
  for (int i = 0; i < 17000; ++i) TextExtent(arial, std::to_string(i));
  EXPECT_EQ(TextExtent(arial, "Hello").Width, hello);
  EXPECT_EQ(TextExtent(arial, "16999").Width, TextExtent(arial, "16999").Width);
}

struct PlaceRow {
  const char* Name;
  unsigned Align;
  std::int32_t Left;
  int Baseline; // 1: the ascent below the reference point, 0: at it, -1: the descent above it
};

class PlaceTable : public testing::TestWithParam<PlaceRow> {};

// "Hello" in Arial at 11 pixels is 25 pixels wide.
TEST_P(PlaceTable, ReferencePointFollowsTheAlignment) {
  const TTextPlacement place = PlaceText({.Name = "Arial", .Height = -11}, GetParam().Align, "Hello");
  EXPECT_EQ(place.Extent.Width, 25);
  EXPECT_EQ(place.Left, GetParam().Left);
  const int baseline = GetParam().Baseline;
  EXPECT_EQ(place.Baseline, baseline > 0 ? place.Metrics.Ascent : baseline < 0 ? -place.Metrics.Descent : 0);
}

INSTANTIATE_TEST_SUITE_P(Fonts, PlaceTable,
                         testing::Values(PlaceRow{"LeftTop", TA_LEFT | TA_TOP, 0, 1},
                                         PlaceRow{"CenterTop", TA_CENTER | TA_TOP, -12, 1},
                                         PlaceRow{"RightBaseline", TA_RIGHT | TA_BASELINE, -25, 0},
                                         PlaceRow{"LeftBottom", TA_LEFT | TA_BOTTOM, 0, -1}),
                         test::RowName());

} // namespace
} // namespace curvella
