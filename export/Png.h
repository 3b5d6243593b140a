#pragma once

// The chart's picture as a PNG file: the bitmap's pixels as they are,
// written by Qt's PNG writer at its default compression, so that a PNG and
// a BMP of the same picture hold the same pixels. A picture of at most 256
// colours is written with a colour table of exactly its colours, which
// changes no pixel and compresses in a fraction of the time.
//
//   a 3 x 1 bitmap, white, red, blue -> a PNG that reads back as those three
//   pixels
//
// The file is saved as the BMP is: beside the target, which it replaces only
// when all was written (EFCreateError "Cannot create file "<path>".
// <reason>", EWriteError "Stream write error"). A bitmap without pixels
// writes an empty file, as its BMP does.

#include <string>

#include <QImage>

namespace curvella {

class TBitmap;

// The PNG file of an image's pixels; empty for a null image.
std::string PngBytes(const QImage& image);

void SavePngFile(const TBitmap& bitmap, const std::string& path);

} // namespace curvella
