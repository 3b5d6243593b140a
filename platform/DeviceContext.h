#pragma once

// The drawing device: the operations every surface of the chart offers (a
// raster image, the screen through its off-screen picture, a metafile
// recording), with the conventions the chart's drawing relies on:
//
// - A line from A to B sets, for each step i = 0 .. n-1 along its major axis
//   (n the major-axis distance), the pixel whose minor coordinate is the
//   exact line's value rounded to the nearest integer, halves toward B: A is
//   drawn, B is not.
// - Dashed and dotted one-pixel pens repeat 18/6 (dash), 3/3 (dot), 9/6/3/6
//   (dash dot), 9/3/3/3/3/3 (dash dot dot) pixels on and off; the pattern
//   goes on across a polyline's vertices and across LineTo calls, and starts
//   again at MoveTo. The alternate pen sets the first pixel and every other
//   one after it. Gaps take the background colour in opaque mode.
// - Rectangle(l, t, r, b) outlines columns l .. r-1 and rows t .. b-1 with
//   the pen and fills the inside with the brush; with a clear pen the fill
//   covers l .. r-2 and t .. b-2. FillRect fills l .. r-1, t .. b-1 and
//   draws no outline.
// - In the not-xor pen mode a black pen inverts every pixel it draws, and
//   drawing the same shape twice restores the picture exactly.
// - IntersectClipRect(l, t, r, b) leaves columns l .. r-1 and rows t .. b-1
//   drawable within what was drawable; RemoveClipping makes everything
//   drawable again.
// - TextOut places the text's reference point under the alignment flags and
//   draws it in the text colour; in opaque mode its cell is first filled
//   with the background colour. An escapement turns it about that point.

#include <span>
#include <string_view>

#include "platform/GraphicsTypes.h"

namespace curvella {

class TRasterDeviceContext;

class TDeviceContext {
public:
  virtual ~TDeviceContext() = default;

  // The surface's size in pixels.
  virtual TSize Size() const = 0;

  virtual void SelectPen(const TPenSpec& pen) = 0;
  virtual void SelectBrush(const TBrushSpec& brush) = 0;
  virtual void SelectFont(const TFontSpec& font) = 0;
  virtual const TPenSpec& Pen() const = 0;
  virtual const TBrushSpec& Brush() const = 0;
  virtual const TFontSpec& Font() const = 0;

  virtual std::uint32_t BackgroundColor() const = 0; // 0x00BBGGRR
  virtual void SetBackgroundColor(std::uint32_t rgb) = 0;
  virtual int BackgroundMode() const = 0; // TRANSPARENT or OPAQUE
  virtual void SetBackgroundMode(int mode) = 0;
  virtual unsigned TextAlign() const = 0;
  virtual void SetTextAlign(unsigned flags) = 0;
  virtual std::uint32_t TextColor() const = 0;
  virtual void SetTextColor(std::uint32_t rgb) = 0;

  virtual TPoint CurrentPosition() const = 0;
  virtual void MoveTo(std::int32_t x, std::int32_t y) = 0;
  virtual void LineTo(std::int32_t x, std::int32_t y) = 0;
  virtual void Polyline(std::span<const TPoint> points) = 0;
  virtual void Rectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) = 0;
  virtual void FillRect(const TRect& rect) = 0;
  virtual void Polygon(std::span<const TPoint> points) = 0;
  virtual void Ellipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) = 0;
  virtual void RoundRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                         std::int32_t cornerWidth, std::int32_t cornerHeight) = 0;
  virtual void SetPixel(std::int32_t x, std::int32_t y, std::uint32_t rgb) = 0;
  virtual void TextOut(std::int32_t x, std::int32_t y, std::string_view text) = 0;

  // The advance width and cell height of a text in the selected font.
  virtual TSize TextExtent(std::string_view text) const = 0;

  // The drawable rectangle, or none when everything is drawable.
  virtual bool HasClip() const = 0;
  virtual TRect Clip() const = 0;
  virtual void IntersectClipRect(const TRect& rect) = 0;
  virtual void RemoveClipping() = 0;

  // Copies w x h pixels of a raster surface at (sx, sy) to (x, y).
  virtual void BitBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                      const TRasterDeviceContext& source, std::int32_t sx, std::int32_t sy) = 0;
};

} // namespace curvella
