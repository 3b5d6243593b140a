#pragma once

// Pictures of tiny images as text, for pixel-exact tests: one character per
// pixel, "." for white, "#" for black, and the given letters for other
// colours; any other colour is "?".
//
//   Picture(image, {{0xFF0000, 'b'}}) -> "..#.\n.b..\n"

#include <map>
#include <string>

#include <QImage>

#include "platform/Colors.h"

namespace curvella::test {

inline std::string Picture(const QImage& image, const std::map<std::uint32_t, char>& letters = {}) {
  std::string text;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const std::uint32_t rgb = RGBOfPixel(image.pixel(x, y));
      const auto letter = letters.find(rgb);
      text += rgb == 0xFFFFFF ? '.' : rgb == 0 ? '#' : letter != letters.end() ? letter->second : '?';
    }
    text += '\n';
  }
  return text;
}

// A blank white image.
inline QImage WhiteImage(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(0xFFFFFFFF);
  return image;
}

} // namespace curvella::test
