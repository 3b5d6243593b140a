#include "export/Png.h"

#include <QBuffer>
#include <QImageWriter>

#include "export/Bitmap.h"
#include "platform/Files.h"

namespace curvella {

std::string PngBytes(const QImage& image) {
  if (image.isNull()) return {};
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "png");
  // The picture is opaque: its PNG has no alpha channel, as the BMP has none.
  if (!writer.write(image.format() == QImage::Format_RGB32 ? image
                                                           : image.convertToFormat(QImage::Format_RGB32)))
    throw EOutOfResources();
  return bytes.toStdString();
}

void SavePngFile(const TBitmap& bitmap, const std::string& path) {
  SavePictureFile(path, PngBytes(bitmap.Image()));
}

} // namespace curvella
