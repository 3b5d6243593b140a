#include "platform/Canvas.h"

#include <gtest/gtest.h>

#include "platform/Fonts.h"
#include "platform/RasterDevice.h"
#include "support/Pixels.h"

namespace curvella {
namespace {

TEST(Canvas, SettersReportOnlyRealChanges) {
  TPen pen;
  int changes = 0;
  pen.SetOnChange([&](TChangeNotifier* sender) {
    EXPECT_EQ(sender, &pen);
    ++changes;
  });
  pen.SetWidth(2);
  pen.SetWidth(2);
  pen.SetColor(clRed);
  pen.SetStyle(TPenStyle::psSolid); // the default already
  EXPECT_EQ(changes, 2);

  TPen other;
  other.SetColor(clRed);
  other.SetWidth(2);
  pen.Assign(other); // the same values
  EXPECT_EQ(changes, 2);
  other.SetStyle(TPenStyle::psDot);
  other.SetMode(TPenMode::pmNotXor);
  pen.Assign(other); // two properties, one report
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(pen.Description(), (TPenSpec{0x0000FF, 2, TPenStyle::psDot, TPenMode::pmNotXor}));
}

TEST(Canvas, ACopyHasNoOwner) {
  TBrush brush;
  int changes = 0;
  brush.SetOnChange([&](TChangeNotifier*) { ++changes; });
  TBrush copy = brush;
  copy.SetColor(clBlue);
  EXPECT_EQ(changes, 0);
}

TEST(Canvas, FontSizeIsTheHeightAt96PixelsPerInch) {
  TFont font;
  font.SetSize(8);
  EXPECT_EQ(font.Height(), -11);
  EXPECT_EQ(font.Size(), 8);
  font.SetHeight(-16);
  EXPECT_EQ(font.Size(), 12);
}

TEST(Canvas, DrawsWithItsCurrentObjects) {
  QImage image = test::WhiteImage(6, 3);
  TRasterDeviceContext device(&image);
  TCanvas canvas(&device);
  canvas.Pen().SetColor(clBtnShadow); // a system colour, as its RGB
  canvas.MoveTo(0, 1);
  canvas.LineTo(6, 1);
  EXPECT_EQ(test::Picture(image, {{ColorToRGB(clBtnShadow), 's'}}), "......\n"
                                                                    "ssssss\n"
                                                                    "......\n");
  canvas.Font().SetColor(clRed);
  canvas.TextOut(0, 0, "x");
  EXPECT_EQ(device.TextColor(), 0x0000FFu);
  EXPECT_EQ(canvas.TextHeight("W"), FontMetrics(canvas.Font().Description()).Height);
}

} // namespace
} // namespace curvella
