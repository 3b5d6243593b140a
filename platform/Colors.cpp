#include "platform/Colors.h"

#include <array>

#include <QGuiApplication>
#include <QPalette>

namespace curvella {

namespace {

// The colour scheme: the light scheme of a current desktop, 0x00BBGGRR.
constexpr std::array<std::uint32_t, 23> kScheme = {
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
    0x696969, // 3D dark shadow
    0xE3E3E3, // 3D light
};

// The palette role that stands for a system colour, where there is one.
bool PaletteRole(std::uint32_t index, QPalette::ColorGroup& group, QPalette::ColorRole& role) {
  group = QPalette::Active;
  switch (index) {
  case 4:
    role = QPalette::Window;
    return true; // menu
  case 5:
    role = QPalette::Base;
    return true; // window
  case 7:
    role = QPalette::WindowText;
    return true; // menu text
  case 8:
    role = QPalette::WindowText;
    return true; // window text
  case 13:
    role = QPalette::Highlight;
    return true; // highlight
  case 14:
    role = QPalette::HighlightedText;
    return true; // highlight text
  case 15:
    role = QPalette::Window;
    return true; // button face
  case 16:
    role = QPalette::Dark;
    return true; // button shadow
  case 17:       // gray text
    group = QPalette::Disabled;
    role = QPalette::Text;
    return true;
  case 18:
    role = QPalette::ButtonText;
    return true; // button text
  case 20:
    role = QPalette::Light;
    return true; // button highlight
  case 21:
    role = QPalette::Shadow;
    return true; // 3D dark shadow
  case 22:
    role = QPalette::Midlight;
    return true; // 3D light
  default:
    return false;
  }
}

} // namespace

std::uint32_t ColorToRGB(TColor color) {
  const auto value = static_cast<std::uint32_t>(color);
  if (color >= 0) return value & 0xFFFFFF;
  // System colours come from the application's palette, the desktop's
  // colour scheme; without an application, from a light scheme of our own.
  const std::uint32_t index = value & 0xFF;
  QPalette::ColorGroup group;
  QPalette::ColorRole role;
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) && PaletteRole(index, group, role)) {
    return RGBOfPixel(QGuiApplication::palette().color(group, role).rgb());
  }
  return index < kScheme.size() ? kScheme[index] : 0;
}

} // namespace curvella
