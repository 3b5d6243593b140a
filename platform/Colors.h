#pragma once

// Colours as the chart stores them: a signed 32-bit TColor, 0x00BBGGRR for
// plain colours; values with the high bit set name a system colour of the
// colour scheme; clNone and clDefault are markers.
//
//   ColorToRGB(clBlue)       -> 0xFF0000 (blue in the high byte: BBGGRR)
//   ColorToRGB(clWindow)     -> the palette's Base: white with Qt's default
//   RedOf(0x00332211)        -> 0x11

#include <cstdint>

namespace curvella {

using TColor = std::int32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;

// System colours: the high bit set, the low byte the colour's index in the
// scheme.
inline constexpr TColor kSystemColor = static_cast<TColor>(0x80000000u);
inline constexpr TColor clScrollBar = kSystemColor | 0;
inline constexpr TColor clBackground = kSystemColor | 1;
inline constexpr TColor clActiveCaption = kSystemColor | 2;
inline constexpr TColor clInactiveCaption = kSystemColor | 3;
inline constexpr TColor clMenu = kSystemColor | 4;
inline constexpr TColor clWindow = kSystemColor | 5;
inline constexpr TColor clWindowFrame = kSystemColor | 6;
inline constexpr TColor clMenuText = kSystemColor | 7;
inline constexpr TColor clWindowText = kSystemColor | 8;
inline constexpr TColor clCaptionText = kSystemColor | 9;
inline constexpr TColor clActiveBorder = kSystemColor | 10;
inline constexpr TColor clInactiveBorder = kSystemColor | 11;
inline constexpr TColor clAppWorkSpace = kSystemColor | 12;
inline constexpr TColor clHighlight = kSystemColor | 13;
inline constexpr TColor clHighlightText = kSystemColor | 14;
inline constexpr TColor clBtnFace = kSystemColor | 15;
inline constexpr TColor clBtnShadow = kSystemColor | 16;
inline constexpr TColor clGrayText = kSystemColor | 17;
inline constexpr TColor clBtnText = kSystemColor | 18;
inline constexpr TColor clInactiveCaptionText = kSystemColor | 19;
inline constexpr TColor clBtnHighlight = kSystemColor | 20;
inline constexpr TColor cl3DDkShadow = kSystemColor | 21;
inline constexpr TColor cl3DLight = kSystemColor | 22;

// Markers: no colour of its own (take the owner's), and a null point.
inline constexpr TColor clDefault = 0x20000000;
inline constexpr TColor clNone = 0x1FFFFFFF;

// A colour as red, green and blue, 0x00BBGGRR: system colours from the
// application's palette (clWindow its Base, clBtnFace its Window,
// clWindowText its WindowText, clBtnShadow its Dark, clBtnHighlight its
// Light, cl3DDkShadow its Shadow, cl3DLight its Midlight), plain colours as
// they are (their high byte cleared).
std::uint32_t ColorToRGB(TColor color);

constexpr std::uint8_t RedOf(std::uint32_t rgb) { return rgb & 0xFF; }
constexpr std::uint8_t GreenOf(std::uint32_t rgb) { return (rgb >> 8) & 0xFF; }
constexpr std::uint8_t BlueOf(std::uint32_t rgb) { return (rgb >> 16) & 0xFF; }

// 0x00BBGGRR as a 0xAARRGGBB pixel, opaque.
constexpr std::uint32_t PixelOf(std::uint32_t rgb) {
  return 0xFF000000u | (static_cast<std::uint32_t>(RedOf(rgb)) << 16) |
         (static_cast<std::uint32_t>(GreenOf(rgb)) << 8) | BlueOf(rgb);
}

// A 0xAARRGGBB pixel as 0x00BBGGRR.
constexpr std::uint32_t RGBOfPixel(std::uint32_t pixel) {
  return ((pixel >> 16) & 0xFF) | (pixel & 0xFF00) | ((pixel & 0xFF) << 16);
}

} // namespace curvella
