#include "chart/ChartCanvas.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "chart/ChartMessages.h"
#include "platform/Fonts.h"
#include "support/Pixels.h"
#include "support/RowName.h"

namespace curvella {
namespace {

using test::Picture;
using test::WhiteImage;

// A canvas on a small white image, as the window's canvas.
struct TSurface {
  explicit TSurface(int width, int height)
      : Image(WhiteImage(width, height)), Device(&Image), Canvas(&Device) {}
  QImage Image;
  TRasterDeviceContext Device;
  TCanvas Canvas;
};

TEST(ChartPen, HiddenPenKeepsColourAndWidthAndDrawsNothing) {
  TSurface surface(6, 3);
  TChartCanvas3D canvas(&surface.Canvas);
  canvas.Pen().SetColor(clRed);
  canvas.Pen().SetWidth(1);
  TChartHiddenPen hidden;
  hidden.SetColor(clBlue);
  hidden.SetWidth(3);
  canvas.ApplyChartPen(hidden);
  EXPECT_EQ(canvas.Pen().Style(), TPenStyle::psClear);
  EXPECT_EQ(canvas.Pen().Color(), clRed);
  EXPECT_EQ(canvas.Pen().Width(), 1);
  canvas.StraightLine(0, 1, 6, 1);
  EXPECT_EQ(Picture(surface.Image), "......\n......\n......\n");
}

TEST(ChartPen, SmallDotsDrawEveryOtherPixelAtWidthOneOnly) {
  TSurface surface(8, 3);
  TChartCanvas3D canvas(&surface.Canvas);
  TChartPen dots;
  dots.SetSmallDots(true);
  dots.SetStyle(TPenStyle::psDashDotDot); // not used by the dots
  canvas.ApplyChartPen(dots);
  canvas.StraightLine(0, 0, 8, 0);
  dots.SetWidth(2); // copied as it is: its style applies
  canvas.ApplyChartPen(dots);
  EXPECT_EQ(canvas.Pen().Style(), TPenStyle::psDashDotDot);
  EXPECT_EQ(canvas.Pen().Width(), 2);
  EXPECT_EQ(Picture(surface.Image), "#.#.#.#.\n........\n........\n");
}

TEST(ChartPen, ReportsChangesAndCopiesVisibilityFirst) {
  int changes = 0;
  TChartPen pen([&](TChangeNotifier*) { ++changes; });
  pen.SetVisible(true); // unchanged
  pen.SetSmallDots(true);
  pen.SetVisible(false);
  EXPECT_EQ(changes, 2);
  TDottedGrayPen grid;
  pen.Assign(grid);
  EXPECT_TRUE(pen.Visible());
  EXPECT_FALSE(pen.SmallDots());
  EXPECT_EQ(pen.Style(), TPenStyle::psDot);
  EXPECT_EQ(pen.Color(), clGray);
}

struct PenKindRow {
  const char* Name;
  std::function<std::unique_ptr<TChartPen>()> Make;
  TColor Color;
  int Width;
  TPenStyle Style;
  bool Visible;
};

class PenKindTable : public testing::TestWithParam<PenKindRow> {};

TEST_P(PenKindTable, HaveTheirDefaults) {
  const std::unique_ptr<TChartPen> pen = GetParam().Make();
  EXPECT_EQ(pen->Color(), GetParam().Color);
  EXPECT_EQ(pen->Width(), GetParam().Width);
  EXPECT_EQ(pen->Style(), GetParam().Style);
  EXPECT_EQ(pen->Visible(), GetParam().Visible);
  EXPECT_FALSE(pen->SmallDots());
}

INSTANTIATE_TEST_SUITE_P(
    ChartPen, PenKindTable,
    testing::Values(PenKindRow{"Chart", [] { return std::make_unique<TChartPen>(); }, clBlack, 1,
                               TPenStyle::psSolid, true},
                    PenKindRow{"Hidden", [] { return std::make_unique<TChartHiddenPen>(); }, clBlack, 1,
                               TPenStyle::psSolid, false},
                    PenKindRow{"DottedGray", [] { return std::make_unique<TDottedGrayPen>(); }, clGray, 1,
                               TPenStyle::psDot, true},
                    PenKindRow{"DarkGray", [] { return std::make_unique<TDarkGrayPen>(); }, clGray, 1,
                               TPenStyle::psSolid, true},
                    PenKindRow{"Axis", [] { return std::make_unique<TChartAxisPen>(); }, clBlack, 2,
                               TPenStyle::psSolid, true},
                    PenKindRow{"Arrow", [] { return std::make_unique<TChartArrowPen>(); }, clWhite, 1,
                               TPenStyle::psSolid, true}),
    test::RowName());

TEST(ChartCanvas, OffscreenPictureRepaintsUntilMarkedStale) {
  TSurface window(20, 10);
  TChartCanvas3D canvas(&window.Canvas);
  EXPECT_FALSE(canvas.RepaintFromBuffer()); // stale after construction
  const TRect drawing = canvas.PrepareSurface(window.Canvas, nullptr, {0, 0, 20, 10}, false);
  EXPECT_EQ(drawing, (TRect{0, 0, 20, 10}));
  canvas.Brush().SetColor(clBlack);
  canvas.FillRectangle({2, 2, 4, 4});
  EXPECT_EQ(window.Image.pixel(2, 2), 0xFFFFFFFFu); // drawn off screen only
  canvas.PresentImage(window.Canvas, window.Canvas, {0, 0, 20, 10});
  EXPECT_EQ(window.Image.pixel(2, 2), 0xFF000000u);
  window.Image.fill(0xFFFFFFFF);
  EXPECT_TRUE(canvas.RepaintFromBuffer());
  EXPECT_EQ(window.Image.pixel(3, 3), 0xFF000000u);
  EXPECT_TRUE(canvas.RepaintFromBuffer());
  canvas.MarkStale();
  EXPECT_FALSE(canvas.RepaintFromBuffer());
}

TEST(ChartCanvas, BitmapIsReplacedOnlyWhenTheSizeChanges) {
  // A pixel left in the off-screen picture survives a pass of the same size
  // and is gone with a new picture.
  TSurface window(30, 20);
  TChartCanvas3D canvas(&window.Canvas);
  canvas.PrepareSurface(window.Canvas, nullptr, {0, 0, 20, 10}, false);
  canvas.PutPixel(1, 1, clBlack);
  canvas.PresentImage(window.Canvas, window.Canvas, {0, 0, 20, 10});
  canvas.PrepareSurface(window.Canvas, nullptr, {5, 5, 25, 15}, false);
  EXPECT_EQ(canvas.OffscreenBitmap()->Image().pixel(1, 1), 0xFF000000u);
  canvas.PresentImage(window.Canvas, window.Canvas, {5, 5, 25, 15});
  canvas.PrepareSurface(window.Canvas, nullptr, {0, 0, 21, 10}, false);
  EXPECT_EQ(canvas.OffscreenBitmap()->Image().pixel(1, 1), 0xFFFFFFFFu);
  EXPECT_EQ(canvas.OffscreenBitmap()->Width(), 21);
}

TEST(ChartCanvas, UnbufferedPassDrawsStraightIntoTheTarget) {
  TSurface window(10, 10);
  TSurface target(10, 10);
  TChartCanvas3D canvas(&window.Canvas);
  canvas.PrepareSurface(window.Canvas, nullptr, {0, 0, 10, 10}, false);
  canvas.PresentImage(window.Canvas, window.Canvas, {0, 0, 10, 10});
  canvas.SetOffscreenBuffer(false);
  EXPECT_EQ(canvas.OffscreenBitmap(), nullptr);
  EXPECT_TRUE(canvas.Stale());
  EXPECT_EQ(canvas.PrepareSurface(target.Canvas, nullptr, {1, 2, 9, 8}, false), (TRect{1, 2, 9, 8}));
  canvas.PutPixel(4, 4, clBlack);
  canvas.PresentImage(target.Canvas, window.Canvas, {1, 2, 9, 8});
  EXPECT_EQ(target.Image.pixel(4, 4), 0xFF000000u);
  EXPECT_EQ(&canvas.ReferenceCanvas(), &window.Canvas);
  EXPECT_TRUE(canvas.Stale());
}

TEST(ChartCanvas, MonochromeChangeFreesThePictureAndInvalidates) {
  TSurface window(10, 10);
  TChartCanvas3D canvas(&window.Canvas);
  int invalidations = 0;
  canvas.SetOnInvalidate([&] { ++invalidations; });
  canvas.PrepareSurface(window.Canvas, nullptr, {0, 0, 10, 10}, false);
  canvas.PresentImage(window.Canvas, window.Canvas, {0, 0, 10, 10});
  canvas.SetMonochrome(false);
  EXPECT_EQ(invalidations, 0);
  canvas.SetMonochrome(true);
  EXPECT_EQ(invalidations, 1);
  EXPECT_EQ(canvas.OffscreenBitmap(), nullptr);
  EXPECT_FALSE(canvas.RepaintFromBuffer());
}

TEST(ChartCanvas, ClipToPlotKeepsTheFrameAndTheRowAboveTheBottom) {
  TSurface surface(120, 230);
  TChartCanvas3D canvas(&surface.Canvas);
  canvas.ClipToPlot({10, 20, 110, 220}, 0, 0);
  canvas.Brush().SetColor(clBlack);
  canvas.FillRectangle({0, 0, 120, 230});
  QRect ink;
  int count = 0;
  for (int y = 0; y < 230; ++y) {
    for (int x = 0; x < 120; ++x) {
      if (surface.Image.pixel(x, y) == 0xFF000000u) {
        ink |= QRect(x, y, 1, 1);
        ++count;
      }
    }
  }
  EXPECT_EQ(ink, QRect(QPoint(11, 21), QPoint(109, 218)));
  EXPECT_EQ(count, 99 * 198);
  canvas.RemoveClipping();
  canvas.PutPixel(0, 0, clBlack);
  EXPECT_EQ(surface.Image.pixel(0, 0), 0xFF000000u);
}

TEST(ChartCanvas, BevelFrameDrawsTopLeftAndBottomRightColours) {
  TSurface surface(7, 6);
  TChartCanvas3D canvas(&surface.Canvas);
  canvas.BevelFrame({0, 0, 7, 6}, clRed, 2, clBlue);
  EXPECT_EQ(Picture(surface.Image, {{0x0000FF, 'r'}, {0xFF0000, 'b'}}), "rrrrrrb\n"
                                                                        "rrrrrbb\n"
                                                                        "rr...bb\n"
                                                                        "rr...bb\n"
                                                                        "rbbbbbb\n"
                                                                        "bbbbbbb\n");
}

TEST(ChartCanvas, RotatedTextTurnsByTheAngleAndLeavesTheFontUpright) {
  const auto draw = [](int angle) {
    TSurface surface(60, 60);
    TChartCanvas3D canvas(&surface.Canvas);
    canvas.Font().SetHeight(-11);
    canvas.SetBackgroundMode(TRANSPARENT);
    canvas.WriteRotatedText(30, 30, angle, "Ay");
    EXPECT_EQ(canvas.Brush().Style(), TBrushStyle::bsClear);
    EXPECT_EQ(surface.Device.Font().Escapement, 0);
    return surface.Image;
  };
  const QImage at90 = draw(90);
  EXPECT_EQ(draw(450), at90);
  // At 270 (the right axis's title) the text runs downward from the point.
  const QImage at270 = draw(270);
  EXPECT_NE(at270, at90);
  int below = 0;
  int above = 0;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 60; ++x) {
      if (at270.pixel(x, y) != 0xFFFFFFFFu) (y >= 30 ? below : above)++;
    }
  }
  EXPECT_GT(below, 0);
  EXPECT_EQ(above, 0);
}

TEST(ChartCanvas, ResetStateAndTextLineHeight) {
  TSurface surface(4, 4);
  TChartCanvas3D canvas(&surface.Canvas);
  canvas.Pen().SetColor(clRed);
  canvas.Pen().SetWidth(3);
  canvas.Brush().SetStyle(TBrushStyle::bsClear);
  canvas.Font().SetSize(20);
  canvas.SetBackgroundMode(OPAQUE);
  canvas.ResetCanvasState();
  EXPECT_EQ(canvas.Pen().Description(), (TPenSpec{0, 1, TPenStyle::psSolid, TPenMode::pmCopy}));
  EXPECT_EQ(canvas.Brush().Description(), (TBrushSpec{0xFFFFFF, TBrushStyle::bsSolid}));
  EXPECT_EQ(canvas.Font().Size(), 10);
  EXPECT_EQ(canvas.BackgroundMode(), TRANSPARENT);
  EXPECT_EQ(canvas.BackgroundColor(), 0xFFFFFFu);
  EXPECT_EQ(canvas.TextLineHeight(), FontMetrics(canvas.Font().Description()).Height);
}

TEST(ChartFont, DefaultIsArialOfEightPoints) {
  int changes = 0;
  const std::unique_ptr<TFont> font = CreateChartFont([&](TChangeNotifier*) { ++changes; });
  EXPECT_EQ(font->Name(), "Arial");
  EXPECT_EQ(font->Size(), 8);
  EXPECT_EQ(font->Height(), -11);
  EXPECT_TRUE(IsChartDefaultFont(*font));
  font->SetColor(clBlue);
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(IsChartDefaultFont(*font));
}

// Sets an environment variable for a scope; nullptr unsets it.
class TScopedVariable {
public:
  TScopedVariable(const char* name, const char* value) : m_name(name) {
    const char* old = std::getenv(name);
    if (old) m_old = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~TScopedVariable() { m_old ? ::setenv(m_name, m_old->c_str(), 1) : ::unsetenv(m_name); }

private:
  const char* m_name;
  std::optional<std::string> m_old;
};

// On a Japanese desktop the charts take its user-interface font; the size
// in points comes out at 8 again.
TEST(ChartFont, JapaneseDesktopsUseTheirInterfaceFont) {
  const TScopedVariable all("LC_ALL", nullptr);
  const TScopedVariable messages("LC_MESSAGES", nullptr);
  const TScopedVariable lang("LANG", "ja_JP.UTF-8");
  const std::unique_ptr<TFont> font = CreateChartFont(nullptr);
  EXPECT_EQ(font->Name(), "MS Sans Serif");
  EXPECT_EQ(font->Size(), 8);
  EXPECT_TRUE(IsChartDefaultFont(*font));
  font->SetName("Arial");
  EXPECT_FALSE(IsChartDefaultFont(*font));
}

TEST(CheckAngle, AcceptsNoughtTo359) {
  EXPECT_NO_THROW(CheckAngle(0, "Axis Title"));
  EXPECT_NO_THROW(CheckAngle(359, "Axis Title"));
  for (int angle : {-1, 360}) {
    try {
      CheckAngle(angle, "Axis Labels");
      FAIL() << angle;
    } catch (const ChartException& e) {
      EXPECT_EQ(e.Message(), "Axis Labels Angle must be between 0 and 359 degrees");
    }
  }
}

} // namespace
} // namespace curvella
