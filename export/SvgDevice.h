#pragma once

// The chart as an SVG picture: a drawing device whose calls Qt's SVG
// generator turns into SVG elements, laid out with the screen's fonts as
// the metafile recorder is, so that every line, label and title stands
// where the raster picture has it.
//
// Pixel (x, y) of the raster picture is the unit square at (x, y) in the
// SVG's user space: a one-pixel line from A to B runs between the pixel
// centres (A + 0.5, B + 0.5), dashed pens keep the raster's patterns, the
// alternate pen is a one-on, one-off dash, and fills cover the pixels the
// raster device fills. Texts stay text, in the font family of their stand-in
// followed by the family the chart names and a generic one:
//
//   "Arial"         -> font-family="Liberation Sans, Arial, sans-serif"
//   "MS Sans Serif" -> font-family="DejaVu Sans, MS Sans Serif, sans-serif"
//
// The generator cannot clip, so the device clips its figures itself: lines
// and polylines are cut at the drawable rectangle's pixel edges, fills are
// intersected with it, and a text wholly outside it is left out.
//
// The finished document's root element carries width and height in px,
// viewBox="0 0 W H", and asks for crisp edges, since every line and fill
// stands on whole pixels as in the raster picture:
//   a 989 x 565 picture -> <svg width="989px" height="565px" viewBox="0 0 989 565" ...
//                           shape-rendering="crispEdges">

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/Canvas.h"
#include "platform/DeviceContext.h"

class QBuffer;
class QPainter;
class QPen;
class QSvgGenerator;

namespace curvella {

class TSvgDeviceContext final : public TDeviceContext {
public:
  explicit TSvgDeviceContext(TSize size);
  ~TSvgDeviceContext() override;

  TSize Size() const override { return m_size; }
  void SelectPen(const TPenSpec& pen) override { m_pen = pen; }
  void SelectBrush(const TBrushSpec& brush) override { m_brush = brush; }
  void SelectFont(const TFontSpec& font) override { m_font = font; }
  const TPenSpec& Pen() const override { return m_pen; }
  const TBrushSpec& Brush() const override { return m_brush; }
  const TFontSpec& Font() const override { return m_font; }

  std::uint32_t BackgroundColor() const override { return m_backgroundColor; }
  void SetBackgroundColor(std::uint32_t rgb) override { m_backgroundColor = rgb; }
  int BackgroundMode() const override { return m_backgroundMode; }
  void SetBackgroundMode(int mode) override { m_backgroundMode = mode; }
  unsigned TextAlign() const override { return m_textAlign; }
  void SetTextAlign(unsigned flags) override { m_textAlign = flags; }
  std::uint32_t TextColor() const override { return m_textColor; }
  void SetTextColor(std::uint32_t rgb) override { m_textColor = rgb; }

  TPoint CurrentPosition() const override { return m_position; }
  void MoveTo(std::int32_t x, std::int32_t y) override;
  void LineTo(std::int32_t x, std::int32_t y) override;
  void Polyline(std::span<const TPoint> points) override;
  void Rectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) override;
  void FillRect(const TRect& rect) override;
  void Polygon(std::span<const TPoint> points) override;
  void Ellipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) override;
  void RoundRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                 std::int32_t cornerWidth, std::int32_t cornerHeight) override;
  void SetPixel(std::int32_t x, std::int32_t y, std::uint32_t rgb) override;
  void TextOut(std::int32_t x, std::int32_t y, std::string_view text) override;
  TSize TextExtent(std::string_view text) const override;

  bool HasClip() const override { return m_clip.has_value(); }
  TRect Clip() const override { return m_clip.value_or(TRect{}); }
  void IntersectClipRect(const TRect& rect) override;
  void RemoveClipping() override { m_clip.reset(); }

  void BitBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
              const TRasterDeviceContext& source, std::int32_t sx, std::int32_t sy) override;

  // Ends the drawing: the SVG document. The device draws nothing more
  // afterwards.
  std::string Close();

private:
  // The drawable rectangle: the clip, or the whole picture.
  TRect Drawable() const;
  QPen StrokePen(std::uint32_t rgb, bool dashed) const;
  // Strokes the one-pixel-wide path through pixel centres, cut to the
  // drawable rectangle; the last point is not part of it.
  void StrokeThrough(std::span<const TPoint> points);
  void FillPixels(const TRect& rect, std::uint32_t rgb);
  bool Drawing() const { return m_painter != nullptr; }

  TSize m_size;
  std::unique_ptr<QBuffer> m_buffer;
  std::unique_ptr<QSvgGenerator> m_generator;
  std::unique_ptr<QPainter> m_painter;

  TPenSpec m_pen;
  TBrushSpec m_brush;
  TFontSpec m_font;
  std::uint32_t m_backgroundColor = 0xFFFFFF;
  int m_backgroundMode = OPAQUE;
  unsigned m_textAlign = TA_LEFT | TA_TOP;
  std::uint32_t m_textColor = 0;
  TPoint m_position;
  std::optional<TRect> m_clip;
};

// Fixes up the generator's document: the root's width and height in px
// with viewBox "0 0 W H" and crisp edges, and each font family followed by the one the
// chart names and a generic family.
std::string FinishSvgDocument(const std::string& generated, TSize size);

// A canvas drawing into an SVG document of the size; Close ends it.
class TSvgCanvas : public TCanvas {
public:
  explicit TSvgCanvas(TSize size);
  ~TSvgCanvas() override;
  std::string Close() { return m_device->Close(); }

private:
  std::unique_ptr<TSvgDeviceContext> m_device;
};

} // namespace curvella
