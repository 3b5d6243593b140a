#pragma once

// The values the drawing device works with: points and rectangles in device
// pixels (x to the right, y downward; a rectangle's right and bottom edges
// lie outside it), and the descriptions of pens, brushes and fonts as they
// are selected into a device.

#include <cstdint>
#include <string>

#include "platform/Colors.h"

namespace curvella {

struct TPoint {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = 0;  // first column outside
  std::int32_t Bottom = 0; // first row outside

  std::int32_t Width() const { return Right - Left; }
  std::int32_t Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

// The rectangle common to both; empty (all zero) when they do not meet.
TRect Intersect(const TRect& a, const TRect& b);

// MulDiv(a, b, c): a*b/c computed exactly, rounded to the nearest integer with
// halves away from zero; -1 when c is 0.
std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c);

enum class TPenStyle {
  psSolid,
  psDash,       // 18 pixels on, 6 off
  psDot,        // 3 on, 3 off
  psDashDot,    // 9 on, 6 off, 3 on, 6 off
  psDashDotDot, // 9 on, 3 off, 3 on, 3 off, 3 on, 3 off
  psClear,      // draws nothing
  psInsideFrame,
  psAlternate // the cosmetic alternate-pixel pen: every other pixel
};

// How a pen's pixels combine with the picture: copied, or the inverting
// not-xor (a black pen inverts; drawing twice restores the picture).
enum class TPenMode { pmCopy, pmNotXor };

enum class TBrushStyle {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};

// Background modes of text, hatches and pen gaps.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

// Text alignment flags: the reference point of TextOut.
inline constexpr unsigned TA_LEFT = 0;
inline constexpr unsigned TA_RIGHT = 2;
inline constexpr unsigned TA_CENTER = 6;
inline constexpr unsigned TA_TOP = 0;
inline constexpr unsigned TA_BOTTOM = 8;
inline constexpr unsigned TA_BASELINE = 24;

struct TFontStyles {
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  bool Empty() const { return !Bold && !Italic && !Underline && !StrikeOut; }
  friend bool operator==(const TFontStyles&, const TFontStyles&) = default;
};

// A pen as selected into a device.
struct TPenSpec {
  std::uint32_t Color = 0; // 0x00BBGGRR
  std::int32_t Width = 1;  // pixels; 0 and 1 are the one-pixel cosmetic pen
  TPenStyle Style = TPenStyle::psSolid;
  TPenMode Mode = TPenMode::pmCopy;
  friend bool operator==(const TPenSpec&, const TPenSpec&) = default;
};

struct TBrushSpec {
  std::uint32_t Color = 0xFFFFFF; // 0x00BBGGRR
  TBrushStyle Style = TBrushStyle::bsSolid;
  friend bool operator==(const TBrushSpec&, const TBrushSpec&) = default;
};

// A font as selected into a device; its colour is the device's text colour.
struct TFontSpec {
  std::string Name = "Arial";
  std::int32_t Height = -11; // pixels: negative, the character height; positive, the cell height
  TFontStyles Style;
  std::int32_t Escapement = 0; // tenths of a degree, counter-clockwise
  std::uint8_t CharSet = 1;    // the default character set
  friend bool operator==(const TFontSpec&, const TFontSpec&) = default;
};

// Screen pixels per inch: sizes in points become pixels at this density.
inline constexpr int kPixelsPerInch = 96;

} // namespace curvella
