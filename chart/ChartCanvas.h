#pragma once

// The chart canvas: the one drawing surface every pixel of the chart goes
// through, on screen and in both picture exports. It wraps a platform canvas
// (pen, brush, font, device) and adds what the chart needs: chart pens that
// can be hidden or drawn as alternate-pixel dots, text measurement, turned
// text, clipping to the plot rectangle, and an off-screen bitmap that makes a
// repaint with nothing changed a single block copy.
//
// The chart is drawn in 2D (its 3D view is off): points with a depth project
// to themselves, and the purely 3D shapes are not drawn.
//
//   ApplyChartPen(hidden pen)          -> canvas pen style psClear, colour and width kept
//   ApplyChartPen(SmallDots, width 1)  -> the alternate-pixel pen in the pen's colour
//   ClipToPlot({10, 20, 110, 220})     -> x 11 .. 109 and y 21 .. 218 drawable
//   WriteRotatedText(x, y, 450, text)  -> drawn at 90 degrees (escapement 900)
//   CheckAngle(360, "Axis Labels")     -> ChartException
//                                         "Axis Labels Angle must be between 0 and 359 degrees"

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "export/Bitmap.h"
#include "platform/Canvas.h"

namespace curvella {

// A pen of the chart: the platform pen, and whether it draws at all and
// whether a one-pixel line is drawn as alternate pixels.
class TChartPen : public TPen {
public:
  explicit TChartPen(THandler onChange = {});

  bool SmallDots() const { return m_smallDots; }
  void SetSmallDots(bool smallDots) { TChangeNotifier::Assign(m_smallDots, smallDots); }
  bool Visible() const { return m_visible; }
  void SetVisible(bool visible) { TChangeNotifier::Assign(m_visible, visible); }

  // Visible, SmallDots, then the platform pen's properties.
  void Assign(const TChartPen& other);

private:
  bool m_smallDots = false;
  bool m_visible = true;
};

// Pens with other defaults.
class TChartHiddenPen : public TChartPen {
public:
  explicit TChartHiddenPen(THandler onChange = {});
};

class TDottedGrayPen : public TChartPen {
public:
  explicit TDottedGrayPen(THandler onChange = {});
};

class TDarkGrayPen : public TChartPen {
public:
  explicit TDarkGrayPen(THandler onChange = {});
};

class TChartAxisPen : public TChartPen {
public:
  explicit TChartAxisPen(THandler onChange = {});
};

class TChartArrowPen : public TChartPen {
public:
  explicit TChartArrowPen(THandler onChange = {});
};

// The chart's 3D view settings, read only when its 3D view is on.
class TView3DOptions : public TChangeNotifier {
public:
  using TChangeNotifier::TChangeNotifier;

  int Elevation() const { return m_elevation; }
  void SetElevation(int value) { Assign(m_elevation, value); }
  int HorizOffset() const { return m_horizOffset; }
  void SetHorizOffset(int value) { Assign(m_horizOffset, value); }
  bool Orthogonal() const { return m_orthogonal; }
  void SetOrthogonal(bool value) { Assign(m_orthogonal, value); }
  int Perspective() const { return m_perspective; }
  void SetPerspective(int value) { Assign(m_perspective, value); }
  int Rotation() const { return m_rotation; }
  void SetRotation(int value) { Assign(m_rotation, value); }
  int Tilt() const { return m_tilt; }
  void SetTilt(int value) { Assign(m_tilt, value); }
  int VertOffset() const { return m_vertOffset; }
  void SetVertOffset(int value) { Assign(m_vertOffset, value); }
  int Zoom() const { return m_zoom; }
  void SetZoom(int value) { Assign(m_zoom, value); }
  bool ZoomText() const { return m_zoomText; }
  void SetZoomText(bool value) { Assign(m_zoomText, value); }

private:
  int m_elevation = 345;
  int m_horizOffset = 0;
  bool m_orthogonal = true;
  int m_perspective = 15;
  int m_rotation = 345;
  int m_tilt = 0;
  int m_vertOffset = 0;
  int m_zoom = 100;
  bool m_zoomText = true;
};

// The default chart font's face and size in points: "Arial" of 8, or on a
// Japanese desktop its user-interface font at its own size:
//   ChartFontDefault(false) -> "Arial", 8
//   ChartFontDefault(true)  -> "MS Sans Serif", 8 (-MulDiv(-11, 72, 96))
struct TChartFontDefault {
  const char* Name;
  std::int32_t Size;
};
TChartFontDefault ChartFontDefault(bool japanese);

// The default chart font: the default face and size, black, no style.
void MakeChartFont(TFont& font);
std::unique_ptr<TFont> CreateChartFont(TChangeNotifier::THandler onChange);
bool IsChartDefaultFont(const TFont& font);

// Raises ChartException when an angle lies outside 0 .. 359.
void CheckAngle(int angle, std::string_view description);

// The drawing operations of the chart, whatever surface they go to.
class TCanvas3D {
public:
  virtual ~TCanvas3D() = default;

  virtual std::uint32_t BackgroundColor() const = 0;
  virtual void SetBackgroundColor(TColor color) = 0;
  virtual int BackgroundMode() const = 0;
  virtual void SetBackgroundMode(int mode) = 0;
  virtual TDeviceContext& DeviceHandle() = 0;
  virtual bool Monochrome() const = 0;
  virtual void SetMonochrome(bool monochrome) = 0;
  virtual unsigned TextAlignment() const = 0;
  virtual void SetTextAlignment(unsigned flags) = 0;
  virtual bool OffscreenBuffer() const = 0;
  virtual void SetOffscreenBuffer(bool on) = 0;

  virtual void PutPixel(std::int32_t x, std::int32_t y, TColor color) = 0;
  virtual void DrawEllipse(const TRect& box) = 0;
  virtual void FillRectangle(const TRect& rect) = 0;
  virtual void BevelFrame(TRect rect, TColor topColor, int width, TColor bottomColor) = 0;
  virtual void LineToPoint(std::int32_t x, std::int32_t y) = 0;
  virtual void MoveToPoint(std::int32_t x, std::int32_t y) = 0;
  virtual void DrawRectangle(std::int32_t left, std::int32_t top, std::int32_t right,
                             std::int32_t bottom) = 0;
  virtual void DrawRoundRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                             std::int32_t cornerWidth, std::int32_t cornerHeight) = 0;
  virtual void WriteText(std::int32_t x, std::int32_t y, std::string_view text) = 0;
  virtual std::int32_t MeasureTextWidth(std::string_view text) = 0;
  virtual std::int32_t MeasureTextHeight(std::string_view text) = 0;
  virtual void ClipToRectangle(const TRect& rect) = 0;
  virtual void HorizontalLine(std::int32_t x0, std::int32_t x1, std::int32_t y) = 0;
  virtual void DrawRectRecord(const TRect& rect) = 0;
  virtual void VerticalLine(std::int32_t x, std::int32_t y0, std::int32_t y1) = 0;
  virtual void EraseArea(const TRect& rect) = 0;
  virtual void MarkStale() = 0;
  virtual void StraightLine(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) = 0;
  virtual void DrawPolygon(std::span<const TPoint> points) = 0;
  virtual void WriteRotatedText(std::int32_t x, std::int32_t y, int angle, std::string_view text) = 0;
  virtual void RemoveClipping() = 0;

  virtual void PutPixelAtDepth(std::int32_t x, std::int32_t y, std::int32_t depth, TColor color) = 0;
  virtual bool RendersTrue3D() const = 0;
  virtual TPoint ProjectPoint(std::int32_t x, std::int32_t y, std::int32_t depth) const = 0;
  virtual TRect PrepareSurface(TCanvas& target, const TView3DOptions* options, const TRect& rect,
                               bool view3D) = 0;
  virtual void PresentImage(TCanvas& destination, TCanvas& windowCanvas, const TRect& rect) = 0;
  virtual bool RepaintFromBuffer() = 0;
  virtual void ClipToPlot(const TRect& rect, std::int32_t nearDepth, std::int32_t farDepth) = 0;
  virtual void HorizontalLineAtDepth(std::int32_t x0, std::int32_t x1, std::int32_t depth,
                                     std::int32_t y) = 0;
  virtual void VerticalLineAtDepth(std::int32_t x, std::int32_t y0, std::int32_t depth, std::int32_t y1) = 0;
  virtual void LineAtDepth(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                           std::int32_t depth) = 0;
  virtual void MoveToAtDepth(std::int32_t x, std::int32_t y, std::int32_t depth) = 0;
  virtual void LineToAtDepth(std::int32_t x, std::int32_t y, std::int32_t depth) = 0;
  virtual void PlaneAtDepth(const TPoint (&corners)[4], std::int32_t depth) = 0;
  virtual void RectangleAtDepth(const TRect& rect, std::int32_t depth) = 0;
  virtual void TextAtDepth(std::int32_t x, std::int32_t y, std::string_view text, std::int32_t depth) = 0;
};

// Holds the platform canvas being drawn on and measures text with it.
class TChartCanvas : public TCanvas3D {
public:
  explicit TChartCanvas(TCanvas* canvas = nullptr) : m_canvas(canvas) {}

  // The canvas being drawn on now, and its pen, brush and font.
  TCanvas& ReferenceCanvas() { return *m_canvas; }
  void SetReferenceCanvas(TCanvas* canvas) { m_canvas = canvas; }
  TPen& Pen() { return m_canvas->Pen(); }
  TBrush& Brush() { return m_canvas->Brush(); }
  TFont& Font() { return m_canvas->Font(); }

  // Makes a chart pen the canvas pen.
  void ApplyChartPen(const TChartPen& pen);
  // Black one-pixel solid pen, white solid brush, black font of 10 points,
  // white background, transparent mode.
  void ResetCanvasState();
  // The height of "W" in the current font: the font's cell.
  std::int32_t TextLineHeight();

  std::int32_t MeasureTextWidth(std::string_view text) override;
  std::int32_t MeasureTextHeight(std::string_view text) override;

protected:
  TCanvas* m_canvas;
};

class TChartCanvas3D : public TChartCanvas {
public:
  explicit TChartCanvas3D(TCanvas* windowCanvas = nullptr);
  ~TChartCanvas3D() override;

  // Called when a change of the canvas needs the chart redrawn.
  void SetOnInvalidate(std::function<void()> invalidate) { m_invalidate = std::move(invalidate); }
  bool Stale() const { return m_stale; }
  // The off-screen picture; none before the first buffered pass.
  const TBitmap* OffscreenBitmap() const { return m_bitmap.get(); }
  bool Metafiling() const { return m_metafiling; }
  void SetMetafiling(bool metafiling) { m_metafiling = metafiling; }
  const TRect& Bounds() const { return m_bounds; }

  std::uint32_t BackgroundColor() const override;
  void SetBackgroundColor(TColor color) override;
  int BackgroundMode() const override;
  void SetBackgroundMode(int mode) override;
  TDeviceContext& DeviceHandle() override { return m_canvas->Handle(); }
  bool Monochrome() const override { return m_monochrome; }
  void SetMonochrome(bool monochrome) override;
  unsigned TextAlignment() const override;
  void SetTextAlignment(unsigned flags) override;
  bool OffscreenBuffer() const override { return m_offscreenBuffer; }
  void SetOffscreenBuffer(bool on) override;

  void PutPixel(std::int32_t x, std::int32_t y, TColor color) override;
  void DrawEllipse(const TRect& box) override;
  void FillRectangle(const TRect& rect) override;
  void BevelFrame(TRect rect, TColor topColor, int width, TColor bottomColor) override;
  void LineToPoint(std::int32_t x, std::int32_t y) override;
  void MoveToPoint(std::int32_t x, std::int32_t y) override;
  void DrawRectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) override;
  void DrawRoundRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                     std::int32_t cornerWidth, std::int32_t cornerHeight) override;
  void WriteText(std::int32_t x, std::int32_t y, std::string_view text) override;
  void ClipToRectangle(const TRect& rect) override;
  void HorizontalLine(std::int32_t x0, std::int32_t x1, std::int32_t y) override;
  void DrawRectRecord(const TRect& rect) override;
  void VerticalLine(std::int32_t x, std::int32_t y0, std::int32_t y1) override;
  void EraseArea(const TRect& rect) override;
  void MarkStale() override { m_stale = true; }
  void StraightLine(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) override;
  void DrawPolygon(std::span<const TPoint> points) override;
  void WriteRotatedText(std::int32_t x, std::int32_t y, int angle, std::string_view text) override;
  void RemoveClipping() override;

  void PutPixelAtDepth(std::int32_t x, std::int32_t y, std::int32_t depth, TColor color) override;
  bool RendersTrue3D() const override { return false; }
  TPoint ProjectPoint(std::int32_t x, std::int32_t y, std::int32_t depth) const override;
  TRect PrepareSurface(TCanvas& target, const TView3DOptions* options, const TRect& rect,
                       bool view3D) override;
  void PresentImage(TCanvas& destination, TCanvas& windowCanvas, const TRect& rect) override;
  bool RepaintFromBuffer() override;
  void ClipToPlot(const TRect& rect, std::int32_t nearDepth, std::int32_t farDepth) override;
  void HorizontalLineAtDepth(std::int32_t x0, std::int32_t x1, std::int32_t depth, std::int32_t y) override;
  void VerticalLineAtDepth(std::int32_t x, std::int32_t y0, std::int32_t depth, std::int32_t y1) override;
  void LineAtDepth(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                   std::int32_t depth) override;
  void MoveToAtDepth(std::int32_t x, std::int32_t y, std::int32_t depth) override;
  void LineToAtDepth(std::int32_t x, std::int32_t y, std::int32_t depth) override;
  void PlaneAtDepth(const TPoint (&corners)[4], std::int32_t depth) override;
  void RectangleAtDepth(const TRect& rect, std::int32_t depth) override;
  void TextAtDepth(std::int32_t x, std::int32_t y, std::string_view text, std::int32_t depth) override;

private:
  void FreeBitmap();

  TRect m_bounds;
  const TView3DOptions* m_options = nullptr;
  bool m_view3D = false;
  bool m_orthogonal = false;
  double m_zoomFactor = 1.0;
  std::unique_ptr<TBitmap> m_bitmap;
  bool m_offscreenBuffer = true;
  bool m_stale = true;
  bool m_monochrome = false;
  bool m_metafiling = false;
  std::function<void()> m_invalidate;
};

} // namespace curvella
