#include "export/Png.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "export/Bitmap.h"
#include "support/TempFolder.h"

namespace curvella {
namespace {

TEST(Png, ReadsBackAsTheBitmapsPixelsWithoutAlpha) {
  TBitmap bitmap(32);
  bitmap.SetWidth(3);
  bitmap.SetHeight(2);
  bitmap.Device().SetPixel(1, 0, 0x0000FF); // red, 0x00BBGGRR
  bitmap.Device().SetPixel(2, 1, 0xFF0000); // blue
  const std::string bytes = PngBytes(bitmap.Image());
  ASSERT_EQ(bytes.substr(1, 3), "PNG");
  const QImage read =
      QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()), "PNG");
  ASSERT_EQ(read.size(), QSize(3, 2));
  EXPECT_FALSE(read.hasAlphaChannel());
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(read.pixel(x, y), bitmap.Image().pixel(x, y)) << x << ", " << y;
  EXPECT_EQ(read.pixel(1, 0), qRgb(255, 0, 0));
  EXPECT_EQ(read.pixel(2, 1), qRgb(0, 0, 255));
}

// Up to 256 colours go through a colour table, more are written as they
// are: either way every pixel reads back.
TEST(Png, EveryColourCountReadsBackExactly) {
  for (const int colours : {1, 256, 257, 1000}) {
    QImage image(40, 30, QImage::Format_RGB32);
    for (int i = 0; i < image.width() * image.height(); ++i)
      image.setPixel(i % 40, i / 40, qRgb(i % colours % 256, i % colours / 256 * 7, 99));
    const std::string bytes = PngBytes(image);
    const QImage read =
        QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()), "PNG");
    EXPECT_EQ(read.convertToFormat(QImage::Format_RGB32), image) << colours << " colours";
  }
}

TEST(Png, BitmapWithoutPixelsWritesAnEmptyFile) {
  test::TTempFolder folder;
  TBitmap bitmap;
  SavePngFile(bitmap, folder.In("empty.png"));
  EXPECT_EQ(std::filesystem::file_size(folder.In("empty.png")), 0u);
}

} // namespace
} // namespace curvella
