#include "export/Png.h"

#include <optional>
#include <unordered_map>

#include <QBuffer>
#include <QImageWriter>

#include "export/Bitmap.h"
#include "platform/Files.h"

namespace curvella {

namespace {

// The same pixels with a colour table, when there are at most 256 colours:
// a chart has a handful and its smoothed text a few dozen more. A quarter
// of the bytes to compress makes the file in a fraction of the time.
std::optional<QImage> Indexed(const QImage& rgb) {
  std::unordered_map<QRgb, uchar> index;
  QList<QRgb> table;
  QImage indexed(rgb.size(), QImage::Format_Indexed8);
  if (indexed.isNull()) return std::nullopt;
  QRgb last = 0;
  uchar lastIndex = 0;
  bool any = false;
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    uchar* out = indexed.scanLine(y);
    for (int x = 0; x < rgb.width(); ++x) {
      const QRgb pixel = in[x] | 0xFF000000u;
      if (!any || pixel != last) {
        const auto [at, added] = index.try_emplace(pixel, static_cast<uchar>(table.size()));
        if (added) {
          if (table.size() == 256) return std::nullopt;
          table.append(pixel);
        }
        last = pixel;
        lastIndex = at->second;
        any = true;
      }
      out[x] = lastIndex;
    }
  }
  indexed.setColorTable(table);
  return indexed;
}

} // namespace

std::string PngBytes(const QImage& image) {
  if (image.isNull()) return {};
  // The picture is opaque: its PNG has no alpha channel, as the BMP has none.
  const QImage rgb =
      image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
  const std::optional<QImage> indexed = Indexed(rgb);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "png");
  if (!writer.write(indexed ? *indexed : rgb)) throw EOutOfResources();
  return bytes.toStdString();
}

void SavePngFile(const TBitmap& bitmap, const std::string& path) {
  SavePictureFile(path, PngBytes(bitmap.Image()));
}

} // namespace curvella
