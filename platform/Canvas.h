#pragma once

// The canvas: a drawing device with its current pen, brush and font as
// objects of their own. Changing a property of one of them reports to the
// canvas's owner (see TChangeNotifier); the device receives the current
// descriptions whenever the canvas hands its device out (Handle).
//
//   canvas.Pen().SetColor(clRed);
//   canvas.LineTo(10, 0);   -> a red line, its end pixel not drawn

#include <string>
#include <string_view>

#include "platform/DeviceContext.h"
#include "platform/Notifier.h"

namespace curvella {

class TPen : public TChangeNotifier {
public:
  TColor Color() const { return m_color; }
  void SetColor(TColor color) { Assign(m_color, color); }
  std::int32_t Width() const { return m_width; }
  void SetWidth(std::int32_t width) { Assign(m_width, width); }
  TPenStyle Style() const { return m_style; }
  void SetStyle(TPenStyle style) { Assign(m_style, style); }
  TPenMode Mode() const { return m_mode; }
  void SetMode(TPenMode mode) { Assign(m_mode, mode); }

  // Copies colour, width, style and mode, reporting one change.
  void Assign(const TPen& other);
  TPenSpec Description() const { return {ColorToRGB(m_color), m_width, m_style, m_mode}; }

private:
  using TChangeNotifier::Assign;
  TColor m_color = clBlack;
  std::int32_t m_width = 1;
  TPenStyle m_style = TPenStyle::psSolid;
  TPenMode m_mode = TPenMode::pmCopy;
};

class TBrush : public TChangeNotifier {
public:
  TColor Color() const { return m_color; }
  void SetColor(TColor color) { Assign(m_color, color); }
  TBrushStyle Style() const { return m_style; }
  void SetStyle(TBrushStyle style) { Assign(m_style, style); }

  void Assign(const TBrush& other);
  TBrushSpec Description() const { return {ColorToRGB(m_color), m_style}; }

private:
  using TChangeNotifier::Assign;
  TColor m_color = clWhite;
  TBrushStyle m_style = TBrushStyle::bsSolid;
};

// A font: face, height in pixels (Size in points is the same value seen at
// 96 pixels per inch), colour and style. The default is "Arial" of 10 points.
class TFont : public TChangeNotifier {
public:
  const std::string& Name() const { return m_name; }
  void SetName(std::string name) { Assign(m_name, name); }
  std::int32_t Height() const { return m_height; }
  void SetHeight(std::int32_t height) { Assign(m_height, height); }
  std::int32_t Size() const;
  void SetSize(std::int32_t points);
  TColor Color() const { return m_color; }
  void SetColor(TColor color) { Assign(m_color, color); }
  TFontStyles Style() const { return m_style; }
  void SetStyle(TFontStyles style) { Assign(m_style, style); }
  std::uint8_t CharSet() const { return m_charSet; }
  int PixelsPerInch() const { return m_pixelsPerInch; }
  void SetPixelsPerInch(int ppi) { m_pixelsPerInch = ppi; }

  void Assign(const TFont& other);
  TFontSpec Description() const { return {m_name, m_height, m_style, 0, m_charSet}; }

private:
  using TChangeNotifier::Assign;
  std::string m_name = "Arial";
  std::int32_t m_height = -13;
  TColor m_color = clBlack;
  TFontStyles m_style;
  std::uint8_t m_charSet = 1;
  int m_pixelsPerInch = kPixelsPerInch;
};

class TCanvas {
public:
  explicit TCanvas(TDeviceContext* device = nullptr);
  virtual ~TCanvas() = default;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  TPen& Pen() { return m_pen; }
  TBrush& Brush() { return m_brush; }
  TFont& Font() { return m_font; }

  // The device with the current pen, brush and font selected into it.
  TDeviceContext& Handle();
  bool HasHandle() const { return m_device != nullptr; }
  void SetDevice(TDeviceContext* device);

  void MoveTo(std::int32_t x, std::int32_t y) { Handle().MoveTo(x, y); }
  void LineTo(std::int32_t x, std::int32_t y) { Handle().LineTo(x, y); }
  void Polyline(std::span<const TPoint> points) { Handle().Polyline(points); }
  void Rectangle(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
    Handle().Rectangle(l, t, r, b);
  }
  void FillRect(const TRect& rect) { Handle().FillRect(rect); }
  void TextOut(std::int32_t x, std::int32_t y, std::string_view text);
  TSize TextExtent(std::string_view text) { return Handle().TextExtent(text); }
  std::int32_t TextWidth(std::string_view text) { return TextExtent(text).Width; }
  std::int32_t TextHeight(std::string_view text) { return TextExtent(text).Height; }

private:
  TDeviceContext* m_device;
  TPen m_pen;
  TBrush m_brush;
  TFont m_font;
  // Which objects changed since they were last selected: the device is
  // handed out for every drawing call.
  bool m_penChanged = true;
  bool m_brushChanged = true;
  bool m_fontChanged = true;
};

} // namespace curvella
