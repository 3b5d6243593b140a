#pragma once

// The chart: the axis panel with its walls, title, foot and legend, the
// class the window's Chart1 is.
//
// The title and foot are blocks of text lines above and below the plot; the
// legend lists series or points beside, above or below it. Each takes its
// room from PlotRect while the chart is laid out; in the window the title
// "Y=F(x)" takes its line and 5 pixels, and the legend, with no item to
// show, takes nothing.

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/AxisPanel.h"

namespace curvella {

class TCustomChart;

// A wall: the back wall frames the plot; the left and bottom walls are
// drawn only in 3D.
class TChartWall {
public:
  TChartWall(TCustomChart* chart, TColor defaultColor, TBrushStyle brushStyle);

  TColor Color() const { return m_color; }
  void SetColor(TColor color);
  TBrush& Brush() { return m_brush; }
  bool Dark3D() const { return m_dark3D; }
  void SetDark3D(bool dark);
  TChartPen& Pen() { return m_pen; }
  std::int32_t Size() const { return m_size; }
  void SetSize(std::int32_t size);

private:
  TCustomChart* m_chart;
  TColor m_color;
  TBrush m_brush;
  bool m_dark3D = true;
  TChartPen m_pen;
  std::int32_t m_size = 0;
};

enum class TTitleAlignment { taLeftJustify, taRightJustify, taCenter };

// Spacing between a title block and the plot, in pixels.
inline constexpr std::int32_t kTitleFootGap = 5;

class TChartTitle {
public:
  explicit TChartTitle(TCustomChart* chart);

  bool AdjustFrame() const { return m_adjustFrame; }
  void SetAdjustFrame(bool adjust);
  TTitleAlignment Alignment() const { return m_alignment; }
  void SetAlignment(TTitleAlignment alignment);
  TBrush& Brush() { return m_brush; }
  TColor Color() const { return m_color; }
  void SetColor(TColor color);
  TFont& Font() { return m_font; }
  TChartHiddenPen& Frame() { return m_frame; }
  const std::vector<std::string>& Text() const { return m_text; }
  void SetText(std::vector<std::string> lines);
  bool Visible() const { return m_visible; }
  void SetVisible(bool visible);
  // Where the block was drawn at the last paint.
  const TRect& TitleRect() const { return m_titleRect; }

  // Draws the block at the top (title) or bottom (foot) of PlotRect and
  // moves that edge.
  void DrawTitle(bool onTop);

private:
  TCustomChart* m_chart;
  bool m_adjustFrame = true;
  TTitleAlignment m_alignment = TTitleAlignment::taCenter;
  TBrush m_brush;
  TColor m_color = clDefault;
  TFont m_font;
  TChartHiddenPen m_frame;
  std::vector<std::string> m_text;
  bool m_visible = true;
  TRect m_titleRect;
};

enum class TLegendAlignment { laLeft, laRight, laTop, laBottom };
enum class TLegendStyle { lsAuto, lsSeries, lsValues, lsLastValues };
enum class TLegendTextStyle {
  ltsPlain,
  ltsLeftValue,
  ltsRightValue,
  ltsLeftPercent,
  ltsRightPercent,
  ltsXValue
};

class TChartLegend {
public:
  explicit TChartLegend(TCustomChart* chart);

  bool Visible() const { return m_visible; }
  void SetVisible(bool visible);
  TLegendAlignment Alignment() const { return m_alignment; }
  void SetAlignment(TLegendAlignment alignment);
  TLegendStyle LegendStyle() const { return m_legendStyle; }
  void SetLegendStyle(TLegendStyle style);
  TLegendTextStyle TextStyle() const { return m_textStyle; }
  void SetTextStyle(TLegendTextStyle style);
  std::int32_t ColorWidth() const { return m_colorWidth; }
  // Raises LegendException outside 0 .. 100.
  void SetColorWidth(std::int32_t percent);
  std::int32_t TopPos() const { return m_topPos; }
  // Raises LegendException outside 0 .. 100.
  void SetTopPos(std::int32_t percent);
  std::int32_t MaxNumRows() const { return m_maxNumRows; }
  void SetMaxNumRows(std::int32_t rows);
  bool ResizeChart() const { return m_resizeChart; }
  void SetResizeChart(bool resize);
  std::int32_t HorizMargin() const { return m_horizMargin; }
  void SetHorizMargin(std::int32_t margin);
  std::int32_t VertMargin() const { return m_vertMargin; }
  void SetVertMargin(std::int32_t margin);
  TColor Color() const { return m_color; }
  void SetColor(TColor color);
  TChartPen& Frame() { return m_frame; }
  TChartHiddenPen& DividingLines() { return m_dividingLines; }
  TColor ShadowColor() const { return m_shadowColor; }
  void SetShadowColor(TColor color);
  std::int32_t ShadowSize() const { return m_shadowSize; }
  void SetShadowSize(std::int32_t size);
  bool Inverted() const { return m_inverted; }
  void SetInverted(bool inverted);
  std::int32_t FirstValue() const { return m_firstValue; }
  // Raises LegendException below 0.
  void SetFirstValue(std::int32_t first);
  TBrush& Brush() { return m_brush; }
  TFont& Font() { return m_font; }

  bool LegendIsVertical() const {
    return m_alignment == TLegendAlignment::laLeft || m_alignment == TLegendAlignment::laRight;
  }
  // The style in effect: lsAuto resolved from the number of active series.
  TLegendStyle ResolvedStyle() const;
  std::int32_t LegendItemCount() const;
  // The text of item k (counting from 0) before OnGetLegendText.
  std::string ItemText(std::int32_t item) const;
  // Where the legend was drawn at the last paint.
  const TRect& LegendRect() const { return m_legendRect; }
  // The item whose row (symbol and text) lies under (x, y) as last drawn,
  // or -1.
  std::int32_t Clicked(std::int32_t x, std::int32_t y) const;

  // Computes, draws and reserves the legend.
  void PaintLegend();
  // A pass that draws no legend: no row of an earlier one answers clicks.
  void Forget() {
    m_itemRects.clear();
    m_legendRect = {};
  }

private:
  TCustomChart* m_chart;
  bool m_visible = true;
  TLegendAlignment m_alignment = TLegendAlignment::laRight;
  TLegendStyle m_legendStyle = TLegendStyle::lsAuto;
  TLegendTextStyle m_textStyle = TLegendTextStyle::ltsLeftValue;
  std::int32_t m_colorWidth = 12;
  std::int32_t m_topPos = 10;
  std::int32_t m_maxNumRows = 10;
  bool m_resizeChart = true;
  std::int32_t m_horizMargin = 0;
  std::int32_t m_vertMargin = 0;
  TColor m_color = clWhite;
  TChartPen m_frame;
  TChartHiddenPen m_dividingLines;
  TColor m_shadowColor = clBlack;
  std::int32_t m_shadowSize = 3;
  bool m_inverted = false;
  std::int32_t m_firstValue = 0;
  TBrush m_brush;
  TFont m_font;
  TRect m_legendRect;
  std::vector<std::pair<std::int32_t, TRect>> m_itemRects; // item index, row
};

// The value text of a point in a legend text style (Part of the legend's
// item texts, also usable by marks).
std::string LegendValueText(TChartSeries& series, std::int32_t index, TLegendTextStyle style);

enum class TPanningMode { pmNone, pmHorizontal, pmVertical, pmBoth };

// A drag of the mouse over the chart, in client pixels: where it began, and
// the current corner (zooming) or the last position (scrolling).
struct TZoomPanningRecord {
  bool DragActive = false;
  std::int32_t AnchorX = 0;
  std::int32_t AnchorY = 0;
  std::int32_t CurrentX = 0;
  std::int32_t CurrentY = 0;

  void Activate(std::int32_t x, std::int32_t y) { *this = {true, x, y, x, y}; }
};

// An axis as it was before zooming and scrolling changed it.
struct TSavedAxisRange {
  bool Automatic = true;
  bool AutomaticMinimum = true;
  bool AutomaticMaximum = true;
  double Minimum = 0;
  double Maximum = 0;
};

// What lies under a point of the chart.
enum class TChartClickedPartStyle { cpNone, cpLegend, cpAxis, cpSeries, cpTitle, cpFoot, cpChartRect };

struct TChartClickedPart {
  TChartClickedPartStyle Part = TChartClickedPartStyle::cpNone;
  TChartSeries* Series = nullptr; // cpSeries
  std::int32_t PointIndex = -1;   // cpSeries
  TChartAxis* Axis = nullptr;     // cpAxis
};

// The buttons and keys of zooming and scrolling, the same for every chart.
inline constexpr TMouseButton kZoomButton = TMouseButton::mbLeft;
inline constexpr TMouseButton kScrollButton = TMouseButton::mbRight;
inline constexpr TShiftState kZoomShiftKeys{};
inline constexpr TShiftState kScrollShiftKeys{};
// Each frame of an animated zoom covers this share of the remaining way.
inline constexpr double kZoomAnimationDivisor = 3.0;
// A zoom drag must exceed this many pixels in both directions.
inline constexpr std::int32_t kZoomDragThreshold = 16;
// One wheel notch scrolls the vertical axes by this share of their range.
inline constexpr double kWheelStepPercent = 3.0;

class TCustomChart : public TCustomAxisPanel {
public:
  TCustomChart();
  ~TCustomChart() override;

  TChartWall& BackWall() { return *m_backWall; }
  TChartWall& LeftWall() { return *m_leftWall; }
  TChartWall& BottomWall() { return *m_bottomWall; }
  TChartTitle& Title() { return *m_title; }
  TChartTitle& Foot() { return *m_foot; }
  TChartLegend& Legend() { return *m_legend; }

  // The back wall's pen, and its colour.
  TChartPen& Frame() { return m_backWall->Pen(); }
  TColor BackColor() const { return m_backWall->Color(); }
  void SetBackColor(TColor color);

  void PlaceTitlesAndLegend() override;
  void PaintWalls() override;
  std::int32_t WallSize(const TChartAxis& axis) const override;

  // May change a legend item's text: the chart, the item's index, the text.
  std::function<void(TCustomChart&, std::int32_t, std::string&)> OnGetLegendText;
  // May change the legend's rectangle.
  std::function<void(TCustomChart&, TRect&)> OnGetLegendRect;
  // May change an item's text x and row top: index, x, y.
  std::function<void(TCustomChart&, std::int32_t, std::int32_t&, std::int32_t&)> OnGetLegendPos;

  // Zooming and scrolling with the mouse (ChartMouse.cpp).
  bool AllowZoom() const { return m_allowZoom; }
  void SetAllowZoom(bool allow) { m_allowZoom = allow; }
  TPanningMode AllowPanning() const { return m_allowPanning; }
  void SetAllowPanning(TPanningMode mode) { m_allowPanning = mode; }
  bool AnimatedZoom() const { return m_animatedZoom; }
  void SetAnimatedZoom(bool animated) { m_animatedZoom = animated; }
  std::int32_t AnimatedZoomSteps() const { return m_animatedZoomSteps; }
  void SetAnimatedZoomSteps(std::int32_t steps) { m_animatedZoomSteps = steps; }
  // The cursor shown over the chart, and the one it rests at.
  TCursor Cursor() const { return m_cursor; }
  void SetCursor(TCursor cursor);
  TCursor RestingCursor() const { return m_restingCursor; }
  const TZoomPanningRecord& Zoom() const { return m_zoom; }
  const TZoomPanningRecord& Panning() const { return m_panning; }
  // True after a zoom, false after an undo.
  bool ChartZoomed() const { return m_chartZoomed; }
  // Whether zooming and scrolling have left the axes as they were.
  bool AxesAtOriginal() const { return m_axesAtOriginal; }
  // Set while a click event runs; the event clears it to let the press
  // go on to zooming or scrolling.
  bool MouseClaimed() const { return m_mouseClaimed; }
  void SetMouseClaimed(bool claimed) { m_mouseClaimed = claimed; }

  TChartClickedPart FindClickedPart(std::int32_t x, std::int32_t y);
  // Zooms to the zoom record's rectangle.
  void ZoomToRectangle();
  // Sets the left, right, top and bottom axes to their targets (minimum,
  // maximum), animated when asked.
  void ApplyZoom(const std::array<std::pair<double, double>, 4>& targets);
  // Undoes all zooming and scrolling.
  void UnZoom();
  // The drag's rectangle in the inverting mode: drawing it twice restores
  // the picture.
  void DrawZoomRectangleOn(TCanvas& canvas) const;

  void MouseDown(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y) override;
  void MouseMove(TShiftState shift, std::int32_t x, std::int32_t y) override;
  void MouseUp(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y) override;
  void MouseWheel(bool down) override;
  void MouseLeave() override;
  void CancelMode() override;

  std::function<void(TCustomChart&)> OnZoom;
  std::function<void(TCustomChart&)> OnUndoZoom;
  std::function<void(TCustomChart&)> OnScroll;
  // May change or refuse a scroll of an axis: the axis, the new minimum,
  // whether it is allowed, the new maximum.
  std::function<void(TChartAxis&, double&, bool&, double&)> OnAllowScroll;
  using TClickEvent =
      std::function<void(TCustomChart&, TMouseButton, TShiftState, std::int32_t, std::int32_t)>;
  std::function<void(TCustomChart&, TChartAxis&, TMouseButton, TShiftState, std::int32_t, std::int32_t)>
      OnClickAxis;
  std::function<void(TCustomChart&, TChartSeries&, std::int32_t, TMouseButton, TShiftState, std::int32_t,
                     std::int32_t)>
      OnClickSeries;
  TClickEvent OnClickLegend;
  TClickEvent OnClickBackground;

protected:
  // While the picture goes to the off-screen bitmap the rectangle is left
  // out of it: every paint puts it over the copied picture instead.
  void DrawZoomRectangle() override;
  void PaintOverlay(TCanvas& windowCanvas) override;

private:
  bool StartZoomOrScroll(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y);
  bool BackgroundClick(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y);
  void ScrollTo(std::int32_t x, std::int32_t y);
  void SaveAxisRanges();

  bool m_allowZoom = true;
  TPanningMode m_allowPanning = TPanningMode::pmBoth;
  bool m_animatedZoom = false;
  std::int32_t m_animatedZoomSteps = 8;
  TCursor m_cursor = crDefault;
  TCursor m_restingCursor = crDefault;
  TZoomPanningRecord m_zoom;
  TZoomPanningRecord m_panning;
  bool m_chartZoomed = false;
  bool m_axesAtOriginal = true;
  bool m_mouseClaimed = false;
  std::array<TSavedAxisRange, 4> m_savedAxisRanges; // top, bottom, left, right

  std::unique_ptr<TChartTitle> m_title;
  std::unique_ptr<TChartTitle> m_foot;
  std::unique_ptr<TChartWall> m_backWall;
  std::unique_ptr<TChartWall> m_leftWall;
  std::unique_ptr<TChartLegend> m_legend;
  std::unique_ptr<TChartWall> m_bottomWall;
};

// The published chart class.
class TChart : public TCustomChart {};

} // namespace curvella
