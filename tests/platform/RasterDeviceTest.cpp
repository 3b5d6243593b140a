#include "platform/RasterDevice.h"
#include "platform/Fonts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>
#include <vector>

#include "support/Pixels.h"
#include "support/RowName.h"

namespace curvella {
namespace {

using test::Picture;
using test::WhiteImage;

struct LineRow {
  const char* Name;
  TPoint A;
  TPoint B;
  const char* Expected;
};

class LineTable : public testing::TestWithParam<LineRow> {};

TEST_P(LineTable, DrawsTheStartAndNotTheEnd) {
  QImage image = WhiteImage(7, 5);
  TRasterDeviceContext dc(&image);
  dc.MoveTo(GetParam().A.X, GetParam().A.Y);
  dc.LineTo(GetParam().B.X, GetParam().B.Y);
  EXPECT_EQ(Picture(image), GetParam().Expected);
  EXPECT_EQ(dc.CurrentPosition(), GetParam().B);
}

INSTANTIATE_TEST_SUITE_P(RasterDevice, LineTable,
                         testing::Values(LineRow{"Right",
                                                 {1, 1},
                                                 {6, 1},
                                                 ".......\n"
                                                 ".#####.\n"
                                                 ".......\n"
                                                 ".......\n"
                                                 ".......\n"},
                                         LineRow{"Left",
                                                 {6, 1},
                                                 {1, 1},
                                                 ".......\n"
                                                 "..#####\n"
                                                 ".......\n"
                                                 ".......\n"
                                                 ".......\n"},
                                         LineRow{"Down",
                                                 {2, 0},
                                                 {2, 4},
                                                 "..#....\n"
                                                 "..#....\n"
                                                 "..#....\n"
                                                 "..#....\n"
                                                 ".......\n"},
                                         LineRow{"Up",
                                                 {2, 4},
                                                 {2, 0},
                                                 ".......\n"
                                                 "..#....\n"
                                                 "..#....\n"
                                                 "..#....\n"
                                                 "..#....\n"},
                                         LineRow{"ShallowDownRight",
                                                 {1, 1},
                                                 {6, 3},
                                                 ".......\n"
                                                 ".##....\n"
                                                 "...##..\n"
                                                 ".....#.\n"
                                                 ".......\n"},
                                         LineRow{"ShallowUpLeft",
                                                 {6, 3},
                                                 {1, 1},
                                                 ".......\n"
                                                 "..#....\n"
                                                 "...##..\n"
                                                 ".....##\n"
                                                 ".......\n"},
                                         LineRow{"HalvesRoundTowardTheEndDown",
                                                 {0, 0},
                                                 {4, 2},
                                                 "#......\n"
                                                 ".##....\n"
                                                 "...#...\n"
                                                 ".......\n"
                                                 ".......\n"},
                                         LineRow{"HalvesRoundTowardTheEndUp",
                                                 {4, 2},
                                                 {0, 0},
                                                 ".#.....\n"
                                                 "..##...\n"
                                                 "....#..\n"
                                                 ".......\n"
                                                 ".......\n"},
                                         LineRow{"DiagonalUpRight",
                                                 {0, 4},
                                                 {4, 0},
                                                 ".......\n"
                                                 "...#...\n"
                                                 "..#....\n"
                                                 ".#.....\n"
                                                 "#......\n"},
                                         LineRow{"SteepDownLeft",
                                                 {3, 0},
                                                 {1, 4},
                                                 "...#...\n"
                                                 "..#....\n"
                                                 "..#....\n"
                                                 ".#.....\n"
                                                 ".......\n"},
                                         LineRow{"SinglePixel",
                                                 {3, 2},
                                                 {4, 2},
                                                 ".......\n"
                                                 ".......\n"
                                                 "...#...\n"
                                                 ".......\n"
                                                 ".......\n"},
                                         LineRow{"NoLengthDrawsNothing",
                                                 {3, 2},
                                                 {3, 2},
                                                 ".......\n"
                                                 ".......\n"
                                                 ".......\n"
                                                 ".......\n"
                                                 ".......\n"}),
                         test::RowName());

// The pixels of a line by the rule, in floating point: for each step along
// the major axis, the exact minor coordinate rounded, halves toward B.
std::set<std::pair<int, int>> RulePixels(TPoint a, TPoint b) {
  std::set<std::pair<int, int>> pixels;
  const int dx = b.X - a.X;
  const int dy = b.Y - a.Y;
  const int n = std::max(std::abs(dx), std::abs(dy));
  for (int i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / n;
    const double exactX = a.X + t * dx;
    const double exactY = a.Y + t * dy;
    const auto round = [](double v, int towards) {
      const double floor = std::floor(v);
      if (v - floor == 0.5) return static_cast<int>(towards > 0 ? floor + 1 : floor);
      return static_cast<int>(std::lround(v));
    };
    pixels.insert({round(exactX, dx), round(exactY, dy)});
  }
  return pixels;
}

TEST(RasterDevice, EveryLineFollowsTheRuleInAllDirections) {
  for (int ax = 0; ax < 9; ++ax) {
    for (int ay = 0; ay < 9; ++ay) {
      for (int bx = 0; bx < 9; ++bx) {
        for (int by = 0; by < 9; ++by) {
          QImage image = WhiteImage(9, 9);
          TRasterDeviceContext dc(&image);
          dc.MoveTo(ax, ay);
          dc.LineTo(bx, by);
          std::set<std::pair<int, int>> drawn;
          for (int y = 0; y < 9; ++y) {
            for (int x = 0; x < 9; ++x) {
              if (dc.Pixel(x, y) == 0) drawn.insert({x, y});
            }
          }
          ASSERT_EQ(drawn, RulePixels({ax, ay}, {bx, by})) << ax << "," << ay << " -> " << bx << "," << by;
        }
      }
    }
  }
}

struct PatternRow {
  const char* Name;
  TPenStyle Style;
  int Mode;
  const char* Row; // the first 40 pixels of a line from (0, 0) to (60, 0)
};

class PatternTable : public testing::TestWithParam<PatternRow> {};

TEST_P(PatternTable, RepeatsItsRuns) {
  QImage image = WhiteImage(40, 1);
  TRasterDeviceContext dc(&image);
  dc.SelectPen({0, 1, GetParam().Style, TPenMode::pmCopy});
  dc.SetBackgroundMode(GetParam().Mode);
  dc.SetBackgroundColor(0xFF0000);
  dc.MoveTo(0, 0);
  dc.LineTo(60, 0);
  EXPECT_EQ(Picture(image, {{0xFF0000, 'b'}}), std::string(GetParam().Row) + "\n");
}

INSTANTIATE_TEST_SUITE_P(RasterDevice, PatternTable,
                         testing::Values(PatternRow{"Dash", TPenStyle::psDash, TRANSPARENT,
                                                    "##################......################"},
                                         PatternRow{"Dot", TPenStyle::psDot, TRANSPARENT,
                                                    "###...###...###...###...###...###...###."},
                                         PatternRow{"DashDot", TPenStyle::psDashDot, TRANSPARENT,
                                                    "#########......###......#########......#"},
                                         PatternRow{"DashDotDot", TPenStyle::psDashDotDot, TRANSPARENT,
                                                    "#########...###...###...#########...###."},
                                         PatternRow{"Alternate", TPenStyle::psAlternate, TRANSPARENT,
                                                    "#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#."},
                                         PatternRow{"OpaqueGapsTakeTheBackground", TPenStyle::psDot, OPAQUE,
                                                    "###bbb###bbb###bbb###bbb###bbb###bbb###b"},
                                         PatternRow{"InsideFrameIsSolid", TPenStyle::psInsideFrame,
                                                    TRANSPARENT, "########################################"},
                                         PatternRow{"ClearDrawsNothing", TPenStyle::psClear, OPAQUE,
                                                    "........................................"}),
                         test::RowName());

TEST(RasterDevice, PatternContinuesAcrossVerticesAndLineTo) {
  QImage image = WhiteImage(8, 6);
  TRasterDeviceContext dc(&image);
  dc.SelectPen({0, 1, TPenStyle::psDot, TPenMode::pmCopy});
  dc.SetBackgroundMode(TRANSPARENT);
  const TPoint path[] = {{0, 0}, {5, 0}, {5, 5}};
  dc.Polyline(path);
  EXPECT_EQ(Picture(image), "###.....\n"
                            ".....#..\n"
                            ".....#..\n"
                            ".....#..\n"
                            "........\n"
                            "........\n");
  QImage second = WhiteImage(8, 6);
  dc.Bind(&second);
  dc.MoveTo(0, 0);
  dc.LineTo(5, 0);
  dc.LineTo(5, 5);
  EXPECT_EQ(Picture(second), Picture(image));
  // MoveTo starts the pattern again.
  dc.MoveTo(0, 5);
  dc.LineTo(7, 5);
  EXPECT_EQ(Picture(second).substr(6 * 9 - 9), "###...#.\n");
}

struct FarLineRow {
  const char* Name;
  TPenStyle Style;
  std::vector<TPoint> Path; // within -500 .. 699 both ways
};

class FarLineTable : public testing::TestWithParam<FarLineRow> {};

// A path reaching far off a small picture draws there exactly what it
// draws over the same part of a picture holding all of it, pattern and all.
TEST_P(FarLineTable, SmallPictureShowsItsPartOfTheWholeLine) {
  const auto draw = [&](QImage& image, std::int32_t shift) {
    TRasterDeviceContext dc(&image);
    dc.SelectPen({0, 1, GetParam().Style, TPenMode::pmCopy});
    dc.SetBackgroundMode(TRANSPARENT);
    std::vector<TPoint> path;
    for (const TPoint& p : GetParam().Path) path.push_back({p.X + shift, p.Y + shift});
    dc.Polyline(path);
  };
  QImage whole = WhiteImage(1200, 1200);
  draw(whole, 500);
  QImage part = WhiteImage(40, 30);
  draw(part, 0);
  EXPECT_EQ(Picture(part), Picture(whole.copy(500, 500, 40, 30)));
}

INSTANTIATE_TEST_SUITE_P(
    RasterDevice, FarLineTable,
    testing::Values(FarLineRow{"DottedAcross", TPenStyle::psDot, {{-499, 7}, {650, 12}}},
                    FarLineRow{"DashDotUpward", TPenStyle::psDashDot, {{17, 690}, {3, -480}}},
                    FarLineRow{"AlternateLeftward", TPenStyle::psAlternate, {{699, 20}, {-500, 5}}},
                    FarLineRow{"SolidSteep", TPenStyle::psSolid, {{-300, -450}, {60, 600}}},
                    FarLineRow{"PatternGoesOnAfterAFarVertex",
                               TPenStyle::psDashDotDot,
                               {{5, 5}, {-480, -200}, {35, 25}, {600, 28}}}),
    test::RowName());

// Ends up to 2^32 apart: the differences do not wrap around, and only the
// part on the picture is visited.
TEST(RasterDevice, LinesWithEndsFarBeyondThePictureStillDrawTheirPart) {
  QImage image = WhiteImage(100, 100);
  TRasterDeviceContext dc(&image);
  dc.MoveTo(50, -2147483000);
  dc.LineTo(50, 1000);
  int drawn = 0;
  for (int y = 0; y < 100; ++y) drawn += dc.Pixel(50, y) == 0 ? 1 : 0;
  EXPECT_EQ(drawn, 100);

  QImage slope = WhiteImage(100, 100);
  dc.Bind(&slope);
  dc.MoveTo(-2000000000, -1000000000);
  dc.LineTo(2000000000, 1000000000);
  // y = x / 2 rounded, halves down the line.
  for (int x = 0; x < 100; ++x) {
    for (int y = 0; y < 100; ++y) ASSERT_EQ(dc.Pixel(x, y) == 0, y == (x + 1) / 2) << x << "," << y;
  }
}

TEST(RasterDevice, RectangleOutlinesAndFills) {
  QImage image = WhiteImage(8, 6);
  TRasterDeviceContext dc(&image);
  dc.SelectBrush({0x0000FF, TBrushStyle::bsSolid});
  dc.Rectangle(1, 1, 6, 5);
  EXPECT_EQ(Picture(image, {{0x0000FF, 'r'}}), "........\n"
                                               ".#####..\n"
                                               ".#rrr#..\n"
                                               ".#rrr#..\n"
                                               ".#####..\n"
                                               "........\n");
  image.fill(0xFFFFFFFF);
  dc.SelectPen({0, 1, TPenStyle::psClear, TPenMode::pmCopy});
  dc.Rectangle(1, 1, 6, 5);
  EXPECT_EQ(Picture(image, {{0x0000FF, 'r'}}), "........\n"
                                               ".rrrr...\n"
                                               ".rrrr...\n"
                                               ".rrrr...\n"
                                               "........\n"
                                               "........\n");
  image.fill(0xFFFFFFFF);
  dc.FillRect({1, 1, 6, 5});
  EXPECT_EQ(Picture(image, {{0x0000FF, 'r'}}), "........\n"
                                               ".rrrrr..\n"
                                               ".rrrrr..\n"
                                               ".rrrrr..\n"
                                               ".rrrrr..\n"
                                               "........\n");
  image.fill(0xFFFFFFFF);
  dc.SelectPen({0, 1, TPenStyle::psSolid, TPenMode::pmCopy});
  dc.SelectBrush({0, TBrushStyle::bsClear});
  dc.Rectangle(0, 0, 8, 6);
  EXPECT_EQ(Picture(image), "########\n"
                            "#......#\n"
                            "#......#\n"
                            "#......#\n"
                            "#......#\n"
                            "########\n");
}

TEST(RasterDevice, ClipRectanglesIntersectAndCanBeRemoved) {
  QImage image = WhiteImage(8, 5);
  TRasterDeviceContext dc(&image);
  dc.SelectBrush({0, TBrushStyle::bsSolid});
  dc.IntersectClipRect({1, 1, 7, 4});
  dc.IntersectClipRect({2, 0, 8, 3});
  dc.FillRect({0, 0, 8, 5});
  EXPECT_EQ(Picture(image), "........\n"
                            "..#####.\n"
                            "..#####.\n"
                            "........\n"
                            "........\n");
  dc.RemoveClipping();
  EXPECT_FALSE(dc.HasClip());
  dc.SetPixel(0, 4, 0);
  EXPECT_EQ(dc.Pixel(0, 4), 0u);
  dc.IntersectClipRect({3, 3, 3, 3}); // empty: nothing drawable
  dc.SetPixel(3, 3, 0);
  EXPECT_EQ(dc.Pixel(3, 3), 0xFFFFFFu);
}

TEST(RasterDevice, NotXorTwiceRestoresThePicture) {
  QImage image = WhiteImage(40, 30);
  std::mt19937 random(7);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) image.setPixel(x, y, 0xFF000000u | (random() & 0xFFFFFF));
  }
  const QImage before = image.copy();
  TRasterDeviceContext dc(&image);
  dc.SelectBrush({0, TBrushStyle::bsClear});
  const auto drawAll = [&] {
    for (TPenStyle style : {TPenStyle::psSolid, TPenStyle::psDot, TPenStyle::psAlternate}) {
      dc.SelectPen({0x123456, 1, style, TPenMode::pmNotXor});
      dc.MoveTo(3, 2);
      dc.LineTo(37, 25);
      const TPoint path[] = {{1, 1}, {30, 1}, {30, 20}, {1, 28}, {1, 1}};
      dc.Polyline(path);
      dc.Rectangle(5, 5, 25, 15);
      dc.Rectangle(7, 7, 8, 12);
    }
    dc.SelectPen({0, 3, TPenStyle::psSolid, TPenMode::pmNotXor});
    dc.MoveTo(2, 27);
    dc.LineTo(35, 4);
    dc.Ellipse(10, 10, 30, 25);
  };
  drawAll();
  EXPECT_NE(image, before);
  drawAll();
  EXPECT_EQ(image, before);
}

TEST(RasterDevice, NotXorDrawsEveryPixelOfAShapeOnce) {
  // Corners and the closing vertex are inverted once, not twice: on white
  // the inverted outline looks as the copied one.
  QImage copied = WhiteImage(8, 6);
  QImage inverted = WhiteImage(8, 6);
  TRasterDeviceContext copy(&copied);
  TRasterDeviceContext invert(&inverted);
  invert.SelectPen({0, 1, TPenStyle::psSolid, TPenMode::pmNotXor});
  for (TRasterDeviceContext* dc : {&copy, &invert}) {
    dc->SelectBrush({0, TBrushStyle::bsClear});
    dc->Rectangle(4, 1, 8, 5);
    const TPoint triangle[] = {{0, 0}, {3, 0}, {0, 3}, {0, 0}};
    dc->Polyline(triangle);
  }
  EXPECT_EQ(Picture(inverted), Picture(copied));
}

TEST(RasterDevice, BlackPenInNotXorModeInverts) {
  QImage image = WhiteImage(4, 1);
  image.setPixel(1, 0, 0xFF123456);
  TRasterDeviceContext dc(&image);
  dc.SelectPen({0, 1, TPenStyle::psSolid, TPenMode::pmNotXor});
  dc.MoveTo(0, 0);
  dc.LineTo(4, 0);
  EXPECT_EQ(image.pixel(0, 0), 0xFF000000u);
  EXPECT_EQ(image.pixel(1, 0), 0xFFEDCBA9u);
}

TEST(RasterDevice, BitBltCopiesAndClips) {
  QImage source = WhiteImage(3, 2);
  source.setPixel(0, 0, 0xFF000000);
  source.setPixel(2, 1, 0xFF000000);
  QImage target = WhiteImage(5, 4);
  TRasterDeviceContext from(&source);
  TRasterDeviceContext to(&target);
  to.BitBlt(1, 1, 3, 2, from, 0, 0);
  to.BitBlt(3, 3, 3, 2, from, 0, 0); // runs over the right and bottom edges
  EXPECT_EQ(Picture(target), ".....\n"
                             ".#...\n"
                             "...#.\n"
                             "...#.\n");
}

TEST(RasterDevice, TextOutPlacesTheReferencePoint) {
  const auto inkBox = [](const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        if (image.pixel(x, y) != 0xFFFFFFFF) box |= QRect(x, y, 1, 1);
      }
    }
    return box;
  };
  const TFontSpec font{.Name = "Arial", .Height = -11};
  const TSize extent = TextExtent(font, "EEE");
  QImage image = WhiteImage(100, 60);
  TRasterDeviceContext dc(&image);
  dc.SelectFont(font);
  dc.SetBackgroundMode(TRANSPARENT);
  dc.SetTextAlign(TA_LEFT | TA_TOP);
  dc.TextOut(10, 20, "EEE");
  QRect ink = inkBox(image);
  EXPECT_GE(ink.left(), 10);
  EXPECT_LE(ink.right(), 10 + extent.Width);
  EXPECT_GE(ink.top(), 20);
  EXPECT_LE(ink.bottom(), 20 + extent.Height);

  image.fill(0xFFFFFFFF);
  dc.SetTextAlign(TA_RIGHT | TA_BOTTOM);
  dc.TextOut(50, 40, "EEE");
  ink = inkBox(image);
  EXPECT_LT(ink.right(), 50);
  EXPECT_GE(ink.left(), 50 - extent.Width);
  EXPECT_LT(ink.bottom(), 40);

  // Opaque mode fills the whole cell with the background colour.
  image.fill(0xFFFFFFFF);
  dc.SetTextAlign(TA_CENTER | TA_BASELINE);
  dc.SetBackgroundMode(OPAQUE);
  dc.SetBackgroundColor(0x00FF00);
  dc.TextOut(50, 30, "EEE");
  EXPECT_EQ(inkBox(image),
            QRect(50 - extent.Width / 2, 30 - FontMetrics(font).Ascent, extent.Width, extent.Height));

  // Turned a quarter to the left: the text runs upward from the point.
  image.fill(0xFFFFFFFF);
  dc.SetBackgroundMode(TRANSPARENT);
  dc.SetTextAlign(TA_LEFT | TA_TOP);
  dc.SelectFont({.Name = "Arial", .Height = -11, .Escapement = 900});
  dc.TextOut(30, 50, "EEE");
  ink = inkBox(image);
  EXPECT_LT(ink.bottom(), 51);
  EXPECT_GE(ink.top(), 50 - extent.Width);
  EXPECT_GE(ink.left(), 30);
  EXPECT_LE(ink.right(), 30 + extent.Height);
}

} // namespace
} // namespace curvella
