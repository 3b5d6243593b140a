#include "export/Bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/Files.h"
#include "support/Pixels.h"
#include "support/RowName.h"
#include "support/TempFolder.h"

namespace curvella {
namespace {

using test::WhiteImage;

// A little-endian field of the file.
std::uint32_t Field(const std::string& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
  return value;
}

std::string Contents(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

class BitmapFile : public testing::Test {
protected:
  ~BitmapFile() override { SetFileFaultHook({}); }
  std::string In(const std::string& name) const { return m_temp.In(name); }
  void WriteOld(const std::string& path) const { std::ofstream(path, std::ios::binary) << "old"; }

  test::TTempFolder m_temp;
};

TEST(Bitmap, CreatesTheStoreWhiteOnceBothSizesAreSetAndFreesItAtZero) {
  TBitmap bitmap;
  bitmap.SetWidth(5);
  EXPECT_TRUE(bitmap.Empty());
  bitmap.SetHeight(3);
  EXPECT_EQ(bitmap.Image(), WhiteImage(5, 3));
  bitmap.Canvas().Pen().SetColor(clRed);
  bitmap.Canvas().LineTo(4, 0);
  bitmap.SetHeight(3);
  bitmap.SetWidth(5);
  EXPECT_EQ(bitmap.Device().Pixel(3, 0), 0x0000FFu) << "setting the same size keeps the drawing";
  bitmap.SetWidth(7);
  EXPECT_EQ(bitmap.Image(), WhiteImage(7, 3));
  bitmap.SetHeight(0);
  EXPECT_TRUE(bitmap.Empty());
  bitmap.Canvas().LineTo(6, 2);
  bitmap.Canvas().TextOut(0, 0, "nothing");
  bitmap.SetHeight(2);
  EXPECT_EQ(bitmap.Image(), WhiteImage(7, 2));
  bitmap.Canvas().MoveTo(0, 0);
  bitmap.Canvas().LineTo(6, 0);
  EXPECT_EQ(bitmap.Device().Pixel(5, 0), 0x0000FFu) << "the new store is drawn on";
}

TEST(Bitmap, RefusesBadSizesAndDepths) {
  TBitmap bitmap;
  bitmap.SetHeight(2);
  EXPECT_THROW(bitmap.SetWidth(-1), Exception);
  EXPECT_EQ(bitmap.Width(), 0);
  EXPECT_THROW(TBitmap(2), Exception);
}

TEST(Bitmap, MonochromeChangesTheDepthOfTheFile) {
  TBitmap bitmap(24);
  bitmap.SetMonochrome(true);
  bitmap.SetWidth(9);
  bitmap.SetHeight(2);
  EXPECT_EQ(bitmap.PixelDepth(), 1);
  bitmap.SetMonochrome(false);
  EXPECT_EQ(Field(bitmap.BmpBytes(), 28, 2), 24u);
}

struct HeaderRow {
  const char* Name;
  std::uint32_t Width, Height, Depth, FileSize, OffBits, ClrUsed;
};

class HeaderTable : public testing::TestWithParam<HeaderRow> {};

TEST_P(HeaderTable, HasEveryField) {
  const HeaderRow& row = GetParam();
  TBitmap bitmap(row.Depth);
  bitmap.SetWidth(row.Width);
  bitmap.SetHeight(row.Height);
  const std::string bytes = bitmap.BmpBytes();
  EXPECT_EQ(bytes.size(), row.FileSize);
  // "BM", size, 0, 0, offset; 40, width, height, planes, depth, compression, image size, 0, 0, used, 0.
  const int sizes[] = {2, 4, 2, 2, 4, 4, 4, 4, 2, 2, 4, 4, 4, 4, 4, 4};
  const std::uint32_t magic = 'B' | 'M' << 8, image = row.FileSize - row.OffBits;
  const std::uint32_t expected[] = {magic, row.FileSize, 0, 0,     row.OffBits, 40, row.Width,   row.Height,
                                    1,     row.Depth,    0, image, 0,           0,  row.ClrUsed, 0};
  std::size_t at = 0;
  for (std::size_t i = 0; i < std::size(sizes); at += sizes[i++])
    EXPECT_EQ(Field(bytes, at, sizes[i]), expected[i]) << "at offset " << at;
}

INSTANTIATE_TEST_SUITE_P(Bitmap, HeaderTable,
                         testing::Values(HeaderRow{"OnePixel", 1, 1, 32, 58, 54, 0},
                                         HeaderRow{"ThreeWide", 3, 1, 32, 66, 54, 0},
                                         HeaderRow{"Chart989x565", 989, 565, 32, 54 + 989 * 4 * 565, 54, 0},
                                         HeaderRow{"Odd5x3", 5, 3, 32, 114, 54, 0},
                                         HeaderRow{"Odd7x2", 7, 2, 32, 110, 54, 0},
                                         HeaderRow{"Rgb5x3Padded", 5, 3, 24, 102, 54, 0},
                                         HeaderRow{"Rgb555Padded", 3, 1, 16, 62, 54, 0},
                                         HeaderRow{"Indexed256", 3, 1, 8, 1082, 1078, 256},
                                         HeaderRow{"Indexed16", 5, 3, 4, 130, 118, 16},
                                         HeaderRow{"BlackAndWhite", 9, 2, 1, 70, 62, 2}),
                         test::RowName());

TEST(Bitmap, PacksDirectColourPixelsBlueFirst) {
  for (const auto& [depth, row] : {std::pair{16, std::string("\x08\x7E\x1F\x00", 4)},
                                   std::pair{32, std::string("\x40\x80\xFF\x00\xF8\x00\x00\x00", 8)},
                                   std::pair{24, std::string("\x40\x80\xFF\xF8\x00\x00\x00\x00", 8)}}) {
    TBitmap bitmap(depth);
    bitmap.SetWidth(2);
    bitmap.SetHeight(1);
    bitmap.Device().SetPixel(0, 0, 0x4080FF);
    bitmap.Device().SetPixel(1, 0, 0xF80000);
    EXPECT_EQ(bitmap.BmpBytes().substr(54), row) << depth << " bits";
  }
}

struct TableColorRow {
  const char* Name;
  int Depth;
  std::uint32_t Pixel, Written; // 0xRRGGBB
};

class TableColorTable : public testing::TestWithParam<TableColorRow> {};

TEST_P(TableColorTable, TakesTheNearestEntry) {
  TBitmap bitmap(GetParam().Depth);
  bitmap.SetWidth(1);
  bitmap.SetHeight(1);
  bitmap.Device().SetPixel(0, 0, RGBOfPixel(GetParam().Pixel));
  const std::string bytes = bitmap.BmpBytes();
  const std::uint32_t index = Field(bytes, Field(bytes, 10, 4), 1) >> (8 - GetParam().Depth);
  EXPECT_EQ(Field(bytes, 54 + 4 * index, 4), GetParam().Written);
}

INSTANTIATE_TEST_SUITE_P(Bitmap, TableColorTable,
                         testing::Values(TableColorRow{"HalfGrayIsWhite", 1, 0x808080, 0xFFFFFF},
                                         TableColorRow{"DarkerGrayIsBlack", 1, 0x7F7F7F, 0x000000},
                                         TableColorRow{"LimeIsWhite", 1, 0x00FF00, 0xFFFFFF},
                                         TableColorRow{"VgaRed", 4, 0xE01010, 0xFF0000},
                                         TableColorRow{"VgaSilver", 4, 0xB0B0B0, 0xC0C0C0},
                                         TableColorRow{"CubeNearest", 8, 0x123456, 0x003366},
                                         TableColorRow{"Gray", 8, 0x0A0A0A, 0x080808}),
                         test::RowName());

// The pixels as ImageMagick reads the file, red, green, blue from the top.
std::string MagickPixels(const std::string& path) {
  std::string pixels;
  FILE* pipe = ::popen(("convert '" + path + "' -depth 8 rgb:- 2>/dev/null").c_str(), "r");
  if (!pipe) return pixels;
  for (int c; (c = std::fgetc(pipe)) != EOF;) pixels += static_cast<char>(c);
  ::pclose(pipe);
  return pixels;
}

struct RoundTripRow {
  const char* Name;
  int Width, Height, Depth;
};

class RoundTripTable : public BitmapFile, public testing::WithParamInterface<RoundTripRow> {};

TEST_P(RoundTripTable, ReadsBackThePixels) {
  const RoundTripRow& row = GetParam();
  if (std::system("command -v convert >/dev/null") != 0) GTEST_SKIP() << "ImageMagick is not installed";
  TBitmap bitmap(row.Depth);
  bitmap.SetWidth(row.Width);
  bitmap.SetHeight(row.Height);
  // Colours of every table, so that only a misplaced pixel differs.
  const bool mono = row.Depth == 1;
  const std::uint32_t first = mono ? 0 : 0x0000FF, second = mono ? 0 : 0xFF0000;
  bitmap.Canvas().Pen().SetColor(row.Depth >= 24 ? 0x563412 : mono ? 0 : clTeal);
  bitmap.Canvas().MoveTo(0, row.Height - 1);
  bitmap.Canvas().LineTo(row.Width - 1, 0);
  bitmap.Device().SetPixel(0, 0, first);
  bitmap.Device().SetPixel(row.Width - 1, row.Height - 1, second);
  bitmap.Device().SetPixel(1, row.Height - 1, first);
  const std::string path = In("picture.bmp");
  bitmap.SaveToFile(path);

  EXPECT_EQ(QImage(QString::fromStdString(path), "BMP").convertToFormat(QImage::Format_RGB32),
            bitmap.Image());
  const std::string rgb = MagickPixels(path);
  ASSERT_EQ(rgb.size(), 3u * row.Width * row.Height);
  const QImage magick(reinterpret_cast<const uchar*>(rgb.data()), row.Width, row.Height, 3 * row.Width,
                      QImage::Format_RGB888);
  EXPECT_EQ(magick.convertToFormat(QImage::Format_RGB32), bitmap.Image());
}

INSTANTIATE_TEST_SUITE_P(
    Bitmap, RoundTripTable,
    testing::Values(RoundTripRow{"Chart989x565", 989, 565, 32}, RoundTripRow{"Odd5x3", 5, 3, 32},
                    RoundTripRow{"Odd7x2", 7, 2, 32}, RoundTripRow{"Rgb989x565", 989, 565, 24},
                    RoundTripRow{"Rgb5x3", 5, 3, 24}, RoundTripRow{"Indexed256", 7, 3, 8},
                    RoundTripRow{"Indexed16", 7, 2, 4}, RoundTripRow{"BlackAndWhite", 11, 3, 1}),
    test::RowName());

TEST_F(BitmapFile, WithoutAStoreWritesAnEmptyFile) {
  for (const auto& [width, height] : {std::pair{0, 0}, std::pair{5, 0}}) {
    TBitmap bitmap;
    bitmap.SetWidth(width);
    bitmap.SetHeight(height);
    WriteOld(In("empty.bmp"));
    bitmap.SaveToFile(In("empty.bmp"));
    EXPECT_EQ(Contents(In("empty.bmp")), "");
  }
}

TEST(Bitmap, AFileThatCannotBeCreatedRaisesEFCreateError) {
  try {
    TBitmap().SaveToFile("/nonexistent-folder/x.bmp");
    FAIL() << "no error";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(), "Cannot create file \"/nonexistent-folder/x.bmp\". No such file or directory");
  }
}

struct FaultRow {
  const char* Name;
  TFileOperation Operation;
  int Error;
};

class FaultTable : public BitmapFile, public testing::WithParamInterface<FaultRow> {};

TEST_P(FaultTable, RaisesEWriteErrorAndKeepsTheOldFile) {
  TBitmap bitmap;
  bitmap.SetWidth(2);
  bitmap.SetHeight(1);
  WriteOld(In("old.bmp"));
  SetFileFaultHook([&](TFileOperation o) { return o == GetParam().Operation ? GetParam().Error : 0; });
  try {
    bitmap.SaveToFile(In("old.bmp"));
    ADD_FAILURE() << "no error";
  } catch (const EWriteError& e) {
    EXPECT_EQ(e.Message(), "Stream write error");
  }
  SetFileFaultHook({});
  EXPECT_EQ(Contents(In("old.bmp")), "old");
}

INSTANTIATE_TEST_SUITE_P(Bitmap, FaultTable,
                         testing::Values(FaultRow{"Write", TFileOperation::Write, ENOSPC},
                                         FaultRow{"Sync", TFileOperation::Sync, EIO},
                                         FaultRow{"Rename", TFileOperation::Rename, EXDEV}),
                         test::RowName());

} // namespace
} // namespace curvella
