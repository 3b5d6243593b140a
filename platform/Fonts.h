#pragma once

// Fonts and text measurement: the one place the screen, the bitmap and the
// metafile take their text metrics from, so that all three lay the chart out
// alike.
//
// Face names resolve through fontconfig to the fonts installed with Curvella:
// "Arial" is Liberation Sans (the same metrics), "MS Sans Serif" DejaVu Sans
// narrowed to 85 % (so that the window's controls keep their stored sizes).
// A negative height is the character height in pixels (the em size), a
// positive one the height of the whole cell. Sizes in points follow 96 pixels
// per inch: 8 points are 11 pixels.
//
// The extent of a text is its advance width and the font's full cell height
// (ascent + descent), not its ink box:
//   TextExtent({"Arial", -11}, "W")     -> 10 x 12
//   TextExtent({"Arial", -11}, "Hello") -> 25 x 12
//   TextExtent({"Arial", -11}, "")      ->  0 x 12
//
// Texts are single bytes in the Windows-1252 code page.

#include <cstdint>
#include <string_view>
#include <vector>

#include <QFont>
#include <QRawFont>
#include <QString>

#include "platform/GraphicsTypes.h"

namespace curvella {

// The desktop's default user-interface font, the window's own.
inline constexpr const char* kDefaultGuiFontName = "MS Sans Serif";
inline constexpr std::int32_t kDefaultGuiFontHeight = -11;

// The pixel height of a size in points: -MulDiv(points, 96, 72).
std::int32_t FontHeightOfSize(std::int32_t points);
std::int32_t FontSizeOfHeight(std::int32_t height);

// The Qt font that draws a font description (without its escapement).
QFont ResolveFont(const TFontSpec& font);

struct TFontMetricsInfo {
  std::int32_t Ascent = 0;
  std::int32_t Descent = 0;
  std::int32_t Height = 0; // ascent + descent
};

TFontMetricsInfo FontMetrics(const TFontSpec& font);

TSize TextExtent(const TFontSpec& font, std::string_view text);

// Where a text stands relative to its reference point under the text
// alignment flags, before any turning: the left edge of its box and its
// baseline, with its extent and the font's metrics.
//   {"Arial", -11}, TA_RIGHT | TA_BASELINE, "Hello" -> Left -25, Baseline 0
struct TTextPlacement {
  std::int32_t Left = 0;
  std::int32_t Baseline = 0;
  TSize Extent;
  TFontMetricsInfo Metrics;
};
TTextPlacement PlaceText(const TFontSpec& font, unsigned textAlign, std::string_view text);

// A text shaped once, for drawing it again glyph by glyph as Qt's text
// drawing draws it: its glyphs in drawing order, all from one face, placed
// from the origin on the baseline in 64ths of a pixel, each with the box of
// whole pixels its ink covers, and the leftmost ink of it and the glyphs
// after it.
struct TShapedGlyph {
  std::uint32_t Index = 0;
  std::int32_t X64 = 0;
  std::int32_t Y64 = 0;
  std::int16_t InkLeft = 0;
  std::int16_t InkTop = 0;
  std::int16_t InkRight = 0;
  std::int16_t InkBottom = 0;
  std::int16_t RestLeft = 0;
};
struct TShapedText {
  QRawFont Face;
  // The same number for the same face, in every shaped text.
  std::uint32_t FaceId = 0;
  std::vector<TShapedGlyph> Glyphs;
  std::int32_t Advance64 = 0; // the whole text's advance, in 64ths of a pixel
};

// The shaped text, or none where a text cannot be drawn glyph by glyph
// alike: an underlined or struck-out font, a character that is no printable
// one, glyphs from more than one face. With repeatedOnly, none also the
// first time a text is asked for that Qt would have to shape: shaping costs
// more than Qt's drawing of a text once, and a zoom's labels are new texts at
// every step. A text whose characters and neighbouring pairs were found to
// lay out alone (a pair's kerning only moving the pen) is laid out from its
// characters' glyphs without shaping, and measured alike by TextExtent. Valid until the
// next call of ShapeText or TextExtent.
const TShapedText* ShapeText(const TFontSpec& font, std::string_view text, bool repeatedOnly = false);

// Windows-1252 bytes as Unicode, and back (characters without a byte become
// "?").
QString FromWindows1252(std::string_view text);
std::string ToWindows1252(const QString& text);

} // namespace curvella
