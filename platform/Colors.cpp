#include "platform/Colors.h"

#include <array>

namespace curvella {

namespace {

// The colour scheme: the light scheme of a current desktop, 0x00BBGGRR.
constexpr std::array<std::uint32_t, 21> kScheme = {
    0xC8C8C8, // scroll bar
    0x000000, // desktop background
    0xD1B499, // active caption
    0xDBCDBF, // inactive caption
    0xF0F0F0, // menu
    0xFFFFFF, // window
    0x646464, // window frame
    0x000000, // menu text
    0x000000, // window text
    0x000000, // caption text
    0xB4B4B4, // active border
    0xFCF7F4, // inactive border
    0xABABAB, // application work space
    0xD77800, // highlight
    0xFFFFFF, // highlight text
    0xF0F0F0, // button face
    0xA0A0A0, // button shadow
    0x6D6D6D, // gray text
    0x000000, // button text
    0x000000, // inactive caption text
    0xFFFFFF, // button highlight
};

} // namespace

std::uint32_t ColorToRGB(TColor color) {
  const auto value = static_cast<std::uint32_t>(color);
  if (color < 0) {
    const std::uint32_t index = value & 0xFF;
    return index < kScheme.size() ? kScheme[index] : 0;
  }
  return value & 0xFFFFFF;
}

} // namespace curvella
