#pragma once

// The drawing device on a raster image (the chart's off-screen picture, the
// bitmap export): 32-bit pixels 0xFFRRGGBB. One-pixel lines, their dash
// patterns, rectangles, fills and pixels are drawn by our own rasterizer,
// which keeps the device's pixel conventions exactly; wide lines, ellipses,
// polygons and text are drawn by Qt's raster engine, a text drawn again from
// its glyphs shaped once (see DrawShapedText). The image belongs to the
// caller and may be replaced with Bind.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include <QImage>
#include <QPointF>

#include "platform/DeviceContext.h"
#include "platform/SettledDraws.h"

namespace curvella {

struct TTextPlacement;

class TRasterDeviceContext final : public TDeviceContext {
public:
  explicit TRasterDeviceContext(QImage* image = nullptr);

  // Draws into another image from now on; the drawing state stays.
  void Bind(QImage* image);
  const QImage* Image() const { return m_image; }
  // The pixel at (x, y) as 0x00BBGGRR; white outside the image.
  std::uint32_t Pixel(std::int32_t x, std::int32_t y) const;
  // Off, every text is drawn by Qt's text drawing as a whole, as the
  // reference the shortcuts of TextOut are held to.
  void SetTextShortcuts(bool on) { m_textShortcuts = on; }

  TSize Size() const override;
  void SelectPen(const TPenSpec& pen) override;
  void SelectBrush(const TBrushSpec& brush) override { m_brush = brush; }
  void SelectFont(const TFontSpec& font) override { m_font = font; }
  const TPenSpec& Pen() const override { return m_pen; }
  const TBrushSpec& Brush() const override { return m_brush; }
  const TFontSpec& Font() const override { return m_font; }

  std::uint32_t BackgroundColor() const override { return m_backgroundColor; }
  void SetBackgroundColor(std::uint32_t rgb) override { m_backgroundColor = rgb & 0xFFFFFF; }
  int BackgroundMode() const override { return m_backgroundMode; }
  void SetBackgroundMode(int mode) override { m_backgroundMode = mode; }
  unsigned TextAlign() const override { return m_textAlign; }
  void SetTextAlign(unsigned flags) override { m_textAlign = flags; }
  std::uint32_t TextColor() const override { return m_textColor; }
  void SetTextColor(std::uint32_t rgb) override { m_textColor = rgb & 0xFFFFFF; }

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

  bool HasClip() const override { return m_hasClip; }
  TRect Clip() const override { return m_clip; }
  void IntersectClipRect(const TRect& rect) override;
  void RemoveClipping() override { m_hasClip = false; }

  void BitBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
              const TRasterDeviceContext& source, std::int32_t sx, std::int32_t sy) override;

private:
  // The pixels a drawing may touch: the image, within the clip.
  TRect Drawable() const;
  bool IsCosmetic() const { return m_pen.Width <= 1 || m_pen.Style == TPenStyle::psAlternate; }
  void RestartPattern();
  // Draws the cosmetic line from a to b, b excluded, continuing the pattern.
  // The pattern's state after one more pixel; whether that pixel is drawn.
  bool StepPattern(std::span<const int> pattern);
  void SkipPattern(std::span<const int> pattern, std::int64_t steps);
  void CosmeticSegment(TPoint a, TPoint b);
  void FillArea(const TRect& area, const TBrushSpec& brush, bool penMode);
  template <class Draw> void WithPainter(Draw draw, bool withPen, bool withBrush);
  // TextOut from the text's glyphs shaped once; false where it cannot.
  bool DrawShapedText(std::int32_t x, std::int32_t y, const TTextPlacement& place, std::string_view text);

  QImage* m_image = nullptr;
  TPenSpec m_pen;
  TBrushSpec m_brush;
  TFontSpec m_font;
  std::uint32_t m_backgroundColor = 0xFFFFFF;
  int m_backgroundMode = OPAQUE;
  unsigned m_textAlign = TA_LEFT | TA_TOP;
  std::uint32_t m_textColor = 0;
  TPoint m_position;
  bool m_hasClip = false;
  TRect m_clip;
  // Where the dash pattern stands: which run, and pixels left in it.
  std::size_t m_patternRun = 0;
  int m_patternLeft = 0;
  bool m_textShortcuts = true;
  TSettledDraws m_settledTexts{256};
  TSettledDraws m_settledGlyphs{4096};
  // Scratch of DrawShapedText, kept for its room.
  struct TKeptGlyph {
    std::size_t Glyph;
    TRect Ink;
  };
  std::vector<TKeptGlyph> m_keptGlyphs;
  std::vector<std::uint32_t> m_textKey;
  std::vector<std::uint32_t> m_before;
  std::vector<quint32> m_runIndexes;
  std::vector<QPointF> m_runPlaces;
  // Where the last texts were drawn from.
  std::array<TPoint, 8> m_recentOrigins{};
  std::size_t m_nextOrigin = 0;
};

} // namespace curvella
