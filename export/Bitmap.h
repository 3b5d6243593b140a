#pragma once

// The bitmap: a raster picture with its canvas, compatible with the display,
// and its writer to a Windows BMP file.
//
// Setting the width and the height creates the pixel store once both are
// non-zero, filled white, at the display's colour depth (DisplayColorDepth:
// 32 bits per pixel on a true-colour display or without a display, 16 on a
// 16-bit one). Drawing goes through Canvas() in every case, on 32-bit pixels;
// the file records the depth. A bitmap may instead be made with a depth of
// its own, 1, 4, 8, 16, 24 or 32, which every store it creates then takes.
// Below 16 bits the file has a colour table: black and white at 1 bit (a
// pixel is white when its luminance is at least half), the 16 VGA colours
// at 4, and those followed by a 6 x 6 x 6 colour cube and 24 grays at 8; a
// pixel takes the nearest colour of the table.
//
// The BMP file, little-endian: the 14-byte file header ("BM", file size,
// 0, 0, offset of the pixels), the 40-byte information header (40, width,
// height positive so that rows go bottom row first, 1 plane, the depth,
// compression 0, image size, 0, 0, colours used, 0), a colour table only at
// 8 bits or fewer (2^depth entries blue, green, red, 0), then the rows, each
// padded to a multiple of 4 bytes. At 32 bits a pixel is blue, green, red
// and an unused byte; at 16 bits 5-5-5. A bitmap without a pixel store writes
// an empty file.
//
//   a 989 x 565 bitmap at 32 bits -> 54 + 989 * 4 * 565 bytes
//   a 3 x 1 bitmap at 32 bits     -> 54 + 12 bytes; rows of 12 bytes
//
// Writing never leaves a damaged file: the bytes go to a file beside the
// target, which replaces it only when all was written. A file that cannot be
// created raises EFCreateError ("Cannot create file "<path>". <reason>"), a
// failed write EWriteError ("Stream write error"); the target is untouched.
// The file is written a band of rows at a time, so that saving needs no copy
// of the whole picture.
//
// Pixels that cannot be had raise EOutOfResources ("Out of system
// resources"), as the system's bitmaps do.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include <QImage>

#include "numtext/Errors.h"
#include "platform/Canvas.h"
#include "platform/RasterDevice.h"

namespace curvella {

// The system refused a drawing resource: a bitmap's pixels, a device.
class EOutOfResources : public Exception {
public:
  EOutOfResources() : Exception("Out of system resources") {}
};

class TBitmap {
public:
  // depth: bits per pixel of the file; 0 takes the display's when the store
  // is created. Another depth than 0, 1, 4, 8, 16, 24, 32 raises Exception.
  explicit TBitmap(int depth = 0);
  ~TBitmap();
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  // A negative size raises Exception, pixels that memory cannot hold
  // EOutOfResources; neither changes anything.
  std::int32_t Width() const { return m_width; }
  void SetWidth(std::int32_t width);
  std::int32_t Height() const { return m_height; }
  void SetHeight(std::int32_t height);
  // The store is created monochrome (1 bit per pixel in the file). Changing
  // it on an existing store keeps the pixels and changes the file's depth.
  bool Monochrome() const { return m_monochrome; }
  void SetMonochrome(bool monochrome);
  // Bits per pixel of the file: the bitmap's own or the display's depth, 1
  // when monochrome.
  int PixelDepth() const { return m_depth; }

  // Draws on the pixels; without a store it draws nothing (the device then
  // has no image).
  TCanvas& Canvas() { return m_canvas; }
  TRasterDeviceContext& Device() { return m_device; }
  bool Empty() const { return m_image.isNull(); }
  // The pixels, 0xFFRRGGBB (null without a store).
  const QImage& Image() const { return m_image; }

  // The whole BMP file.
  std::string BmpBytes() const;
  // The BMP file in pieces, front to back.
  void WriteBmp(const std::function<void(std::string_view)>& out) const;
  void SaveToFile(const std::string& path) const;

private:
  // Creates or frees the store for a new size; on an error nothing changes.
  void Resize(std::int32_t width, std::int32_t height);
  int StoreDepth() const;

  std::int32_t m_width = 0;
  std::int32_t m_height = 0;
  bool m_monochrome = false;
  int m_depth = 32;
  // 0: the display's.
  int m_fixedDepth = 0;
  QImage m_image;
  TRasterDeviceContext m_device;
  TCanvas m_canvas;
};

} // namespace curvella
