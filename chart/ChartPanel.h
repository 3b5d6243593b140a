#pragma once

// The chart panel: the control that owns the chart canvas, keeps the panel
// and plot rectangles of the current paint, applies its percentage margins
// and asks its host (the window's widget) to repaint. It draws through
// DrawToCanvas, for the window as for the picture exports.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "chart/ChartCanvas.h"
#include "export/Metafile.h"
#include "platform/Canvas.h"
#include "platform/Input.h"
#include "platform/RasterDevice.h"

namespace curvella {

enum class TBevelCut { bvNone, bvLowered, bvRaised };

// The background gradient of the panel (off in the window).
class TChartGradient : public TChangeNotifier {
public:
  enum class TDirection { gdTopBottom, gdBottomTop, gdLeftRight, gdRightLeft };
  using TChangeNotifier::TChangeNotifier;
  bool Visible() const { return m_visible; }
  void SetVisible(bool visible) { Assign(m_visible, visible); }
  TDirection Direction() const { return m_direction; }
  void SetDirection(TDirection direction) { Assign(m_direction, direction); }
  TColor StartColor() const { return m_startColor; }
  void SetStartColor(TColor color) { Assign(m_startColor, color); }
  TColor EndColor() const { return m_endColor; }
  void SetEndColor(TColor color) { Assign(m_endColor, color); }

private:
  bool m_visible = false;
  TDirection m_direction = TDirection::gdTopBottom;
  TColor m_startColor = clWhite;
  TColor m_endColor = clYellow;
};

// What the panel needs of the window it lives in.
class TChartHost {
public:
  virtual ~TChartHost() = default;
  // Schedules a paint after the current event.
  virtual void Invalidate() = 0;
  // Paints now.
  virtual void RepaintNow() = 0;
  // Shows a cursor over the chart.
  virtual void ShowCursor(TCursor) {}
};

class TCustomChartPanel {
public:
  TCustomChartPanel();
  virtual ~TCustomChartPanel();
  TCustomChartPanel(const TCustomChartPanel&) = delete;
  TCustomChartPanel& operator=(const TCustomChartPanel&) = delete;

  TChartCanvas3D& Canvas() { return m_canvas; }
  // The window's canvas: the surface the panel's pictures are copied to.
  TCanvas& WindowCanvas() { return m_windowCanvas; }
  void SetHost(TChartHost* host) { m_host = host; }

  // The control's size; its client area is this less its border.
  TSize ControlSize() const { return m_controlSize; }
  void SetControlSize(TSize size);
  // The single sunken border of the window's chart: 2 pixels on each side.
  std::int32_t BorderThickness() const { return m_borderThickness; }
  void SetBorderThickness(std::int32_t thickness) { m_borderThickness = thickness; }
  virtual TRect ClientDrawRect() const;

  const TRect& PanelRect() const { return m_panelRect; }
  const TRect& PlotRect() const { return m_plotRect; }
  void SetPlotRect(const TRect& rect) { m_plotRect = rect; }
  std::int32_t PlotWidth() const { return m_plotWidth; }
  std::int32_t PlotHeight() const { return m_plotHeight; }
  std::int32_t PlotXCenter() const { return m_plotXCenter; }
  std::int32_t PlotYCenter() const { return m_plotYCenter; }
  // Repairs a degenerate plot rectangle and keeps the size fields in step.
  void RecalcPlotSize();

  std::int32_t MarginLeft() const { return m_marginLeft; }
  void SetMarginLeft(std::int32_t percent) { SetAndInvalidate(m_marginLeft, percent); }
  std::int32_t MarginTop() const { return m_marginTop; }
  void SetMarginTop(std::int32_t percent) { SetAndInvalidate(m_marginTop, percent); }
  std::int32_t MarginRight() const { return m_marginRight; }
  void SetMarginRight(std::int32_t percent) { SetAndInvalidate(m_marginRight, percent); }
  std::int32_t MarginBottom() const { return m_marginBottom; }
  void SetMarginBottom(std::int32_t percent) { SetAndInvalidate(m_marginBottom, percent); }
  bool View3D() const { return m_view3D; }
  void SetView3D(bool view3D) { SetAndInvalidate(m_view3D, view3D); }
  TView3DOptions& View3DOptions() { return m_view3DOptions; }
  TColor Color() const { return m_color; }
  void SetColor(TColor color) { SetAndInvalidate(m_color, color); }

  bool AutoRepaint() const { return m_autoRepaint; }
  void SetAutoRepaint(bool autoRepaint) { m_autoRepaint = autoRepaint; }
  // Marks the picture stale and asks the host for a paint, while AutoRepaint.
  virtual void Invalidate();
  // Paints at once (a scroll asks for this).
  void RepaintNow();
  // The notification of every pen, brush and font the panel owns.
  void PartChanged(TChangeNotifier* sender);
  TChangeNotifier::THandler PartChangedHandler() {
    return [this](TChangeNotifier* sender) { PartChanged(sender); };
  }

  // While the stored settings are applied, setters skip their checks.
  bool Loading() const { return m_loading; }
  void SetLoading(bool loading) { m_loading = loading; }

  TBevelCut BevelOuter() const { return m_bevelOuter; }
  void SetBevelOuter(TBevelCut bevel) { SetAndInvalidate(m_bevelOuter, bevel); }
  TBevelCut BevelInner() const { return m_bevelInner; }
  void SetBevelInner(TBevelCut bevel) { SetAndInvalidate(m_bevelInner, bevel); }
  std::int32_t BevelWidth() const { return m_bevelWidth; }
  void SetBevelWidth(std::int32_t width) { SetAndInvalidate(m_bevelWidth, width); }
  std::int32_t BorderWidth() const { return m_borderWidth; }
  void SetBorderWidth(std::int32_t width) { SetAndInvalidate(m_borderWidth, width); }
  std::int32_t Chart3DPercent() const { return m_chart3DPercent; }
  // Raises ChartException outside 1 .. 100.
  void SetChart3DPercent(std::int32_t percent);

  // The paint handler: a copy of the cached picture when it is current,
  // otherwise a full drawing pass, onto the window's canvas.
  void Paint();
  // Whether the next paint runs a drawing pass rather than copying.
  bool NeedsDrawingPass() const;
  // The picture of the window, as the last paint left it.
  const QImage& WindowImage() const { return m_windowImage; }
  // Draws the whole chart into a canvas inside rect.
  void DrawToCanvas(TCanvas& canvas, const TRect& rect);
  // A drawing pass at the client size onto no surface: the axes' ranges,
  // their label room and the rest of the layout are left as a paint leaves
  // them, and no pixels are made. curvella-batch lays its chart out this way,
  // as the window's paints would, without a raster of the picture's size.
  // The cached picture is dropped, as by an export.
  void LayOut();
  // The drawing order of one pass.
  virtual void RenderChart(const TRect& panelRect);
  virtual void PaintPanel(const TRect& rect);
  virtual void FillBackground(const TRect& rect);
  virtual void DrawPanelFrame(const TRect& rect);

  // A new bitmap of rect's size with the chart drawn in it; BackColor
  // clWhite makes no background fill.
  std::unique_ptr<TBitmap> MakeChartBitmap(TColor backColor, const TRect& rect);
  // The chart as shown, written to a BMP file.
  void WriteBitmapFile(const std::string& path);
  // The same picture, pixel for pixel, written to a PNG file.
  void WritePngFile(const std::string& path);

  // A new metafile of rect's size less one pixel each way (at least 1) with
  // the chart recorded in it; enhanced chooses the file format.
  std::unique_ptr<TMetafile> MakeChartMetafile(bool enhanced, const TRect& rect);
  // Records the chart onto a metafile canvas, the off-screen buffer off and
  // the metafiling flag on for the pass (both restored in every case).
  void DrawIntoMetafile(TCanvas& canvas, const TRect& rect);
  // The recording, complete before the file is created, written to the file.
  void WriteMetafile(bool enhanced, const std::string& path, const TRect& rect);
  // The chart as shown, written to an EMF file.
  void WriteMetafileFile(const std::string& path);
  // The chart as shown, drawn as the metafile records it, written to an SVG
  // file of the picture's size.
  void WriteSvgFile(const std::string& path);
  // That SVG document.
  std::string ChartSvg();

  // Mouse input from the window, in client coordinates. The panel itself
  // does nothing with it; the chart's mouse handling does.
  virtual void MouseDown(TMouseButton, TShiftState, std::int32_t, std::int32_t) {}
  virtual void MouseMove(TShiftState, std::int32_t, std::int32_t) {}
  virtual void MouseUp(TMouseButton, TShiftState, std::int32_t, std::int32_t) {}
  // One notch of the wheel, toward the user (down) or away from the user.
  virtual void MouseWheel(bool) {}
  // The mouse left the control.
  virtual void MouseLeave() {}
  // Ends a drag in progress without its effect: the window sends this when
  // an error interrupts the drag.
  virtual void CancelMode() {}

  // Copies a font into the canvas's font.
  void ApplyFont(TFont& font);
  // The widest line of a text split at character 13 (an empty last piece
  // not counted), measured in the canvas's font, and the number of lines.
  std::int32_t WidestLineWidth(std::string_view text, std::int32_t* lineCount = nullptr);

  // The control's own mouse events, fired before the chart handles the
  // mouse: button, keys, position in the client area.
  std::function<void(TCustomChartPanel&, TMouseButton, TShiftState, std::int32_t, std::int32_t)> OnMouseDown;
  std::function<void(TCustomChartPanel&, TShiftState, std::int32_t, std::int32_t)> OnMouseMove;
  std::function<void(TCustomChartPanel&, TMouseButton, TShiftState, std::int32_t, std::int32_t)> OnMouseUp;
  std::function<void(TCustomChartPanel&)> OnMouseWheelDown;
  std::function<void(TCustomChartPanel&)> OnMouseWheelUp;

protected:
  template <class T, class U> void SetAndInvalidate(T& field, const U& value) {
    if (field == value) return;
    field = value;
    Invalidate();
  }
  TChartHost* Host() const { return m_host; }
  // Asks the window for a paint that keeps the cached picture.
  void RefreshWindow() {
    if (m_host) m_host->Invalidate();
  }
  // Drawn over the window's copy of the picture at every paint.
  virtual void PaintOverlay(TCanvas&) {}

private:
  // The window's surface, until a window gives the panel its own.
  QImage m_windowImage;
  TRasterDeviceContext m_windowDevice;
  TCanvas m_windowCanvas;
  TChartCanvas3D m_canvas;
  TChartHost* m_host = nullptr;
  TView3DOptions m_view3DOptions;
  TSize m_controlSize{400, 250};
  std::int32_t m_borderThickness = 0;
  TRect m_panelRect;
  TRect m_plotRect;
  std::int32_t m_plotWidth = 0;
  std::int32_t m_plotHeight = 0;
  std::int32_t m_plotXCenter = 0;
  std::int32_t m_plotYCenter = 0;
  std::int32_t m_marginLeft = 3;
  std::int32_t m_marginTop = 4;
  std::int32_t m_marginRight = 3;
  std::int32_t m_marginBottom = 4;
  bool m_view3D = true;
  TColor m_color = clBtnFace;
  bool m_autoRepaint = false;
  bool m_loading = false;
  TBevelCut m_bevelOuter = TBevelCut::bvRaised;
  TBevelCut m_bevelInner = TBevelCut::bvNone;
  std::int32_t m_bevelWidth = 1;
  std::int32_t m_borderWidth = 0;
  std::int32_t m_chart3DPercent = 15;
};

// The panel with its background gradient and the event after a paint.
class TCustomChartPanelExtended : public TCustomChartPanel {
public:
  TCustomChartPanelExtended();

  TChartGradient& Gradient() { return m_gradient; }
  void FillBackground(const TRect& rect) override;

  std::function<void(TCustomChartPanel&)> OnAfterDraw;

private:
  TChartGradient m_gradient;
};

} // namespace curvella
