#pragma once

// The series kinds the chart draws with: TCustomSeries joins its points with
// its LinePen; TLineSeries (the window's Series1) draws the line without
// markers.
//
// A line series draws, for each pair of consecutive shown points, one
// straight segment in the point's colour (the end pixel not drawn, so
// segments join without double pixels). Zoomed in, the line starts at the
// left edge of the plot at the height interpolated between the point before
// and the first shown point. A null point (colour clNone) leaves a gap on
// both its sides; a point whose pixels fall outside -32766 .. 32766 is
// skipped and the line runs from the last drawn point to the next one.

#include <functional>

#include "chart/ChartCanvas.h"
#include "chart/ChartSeries.h"

namespace curvella {

enum class TSeriesPointerStyle {
  psRectangle,
  psCircle,
  psTriangle,
  psDownTriangle,
  psCross,
  psDiagCross,
  psStar,
  psDiamond,
  psSmallDot
};

// The markers at the points of a series.
class TSeriesPointer : public TChangeNotifier {
public:
  explicit TSeriesPointer(THandler onChange);

  TBrush& Brush() { return m_brush; }
  bool Dark3D() const { return m_dark3D; }
  void SetDark3D(bool dark) { Assign(m_dark3D, dark); }
  bool Draw3D() const { return m_draw3D; }
  void SetDraw3D(bool draw) { Assign(m_draw3D, draw); }
  std::int32_t HorizSize() const { return m_horizSize; }
  // Raises ChartException "Pointer size must be greater than zero" below 1.
  void SetHorizSize(std::int32_t size);
  std::int32_t VertSize() const { return m_vertSize; }
  void SetVertSize(std::int32_t size);
  bool InflateMargins() const { return m_inflateMargins; }
  void SetInflateMargins(bool inflate) { Assign(m_inflateMargins, inflate); }
  TChartPen& Pen() { return m_pen; }
  TSeriesPointerStyle Style() const { return m_style; }
  void SetStyle(TSeriesPointerStyle style) { Assign(m_style, style); }
  bool Visible() const { return m_visible; }
  void SetVisible(bool visible) { Assign(m_visible, visible); }

  // Draws the marker centred at (x, y); clDefault pen and brush colours take
  // the point's colour.
  void Draw(TChartCanvas3D& canvas, std::int32_t x, std::int32_t y, TColor color, TSeriesPointerStyle style);

private:
  TBrush m_brush;
  bool m_dark3D = true;
  bool m_draw3D = true;
  std::int32_t m_horizSize = 4;
  std::int32_t m_vertSize = 4;
  bool m_inflateMargins = true;
  TChartPen m_pen;
  TSeriesPointerStyle m_style = TSeriesPointerStyle::psRectangle;
  bool m_visible = true;
};

class TCustomSeries : public TChartSeries {
public:
  TCustomSeries();

  TChartPen& LinePen() { return m_linePen; }
  TBrushStyle LineBrush() const { return m_lineBrush; }
  void SetLineBrush(TBrushStyle style);
  std::int32_t LineHeight() const { return m_lineHeight; }
  void SetLineHeight(std::int32_t height);
  bool Stairs() const { return m_stairs; }
  void SetStairs(bool stairs);
  bool InvertedStairs() const { return m_invertedStairs; }
  void SetInvertedStairs(bool inverted);
  bool Dark3D() const { return m_dark3D; }
  void SetDark3D(bool dark);
  TSeriesPointer& Pointer() { return m_pointer; }
  bool DrawsLine() const { return m_drawsLine; }
  bool DrawsArea() const { return m_drawsArea; }
  // Chooses a point's marker style.
  std::function<TSeriesPointerStyle(TCustomSeries&, std::int32_t index)> OnGetPointerStyle;

  void PlotAllPoints() override;
  void MarginsNeeded(bool horizontal, std::int32_t& low, std::int32_t& high) override;
  void PaintLegendSymbol(std::int32_t index, const TRect& rect) override;
  // A point's marker, the point's pixel, or a pixel of the segment that
  // ends at the point (then the index of its first point).
  std::int32_t Clicked(std::int32_t x, std::int32_t y) override;
  // A press on a point's marker: the series, the point, the position.
  std::function<void(TCustomSeries&, std::int32_t index, std::int32_t x, std::int32_t y)> OnClickPointer;

  // The line pen in a colour, current on the canvas.
  void PrepareLinePen(TChartCanvas3D& canvas, TColor color);
  std::int32_t XPixelOf(std::int32_t index) const;
  std::int32_t YPixelOf(std::int32_t index) const;

protected:
  void SetDrawsLine(bool draws) { m_drawsLine = draws; }
  void SetDrawsArea(bool draws) { m_drawsArea = draws; }

private:
  TChartCanvas3D& Canvas() const;
  void PlotPoint(std::int32_t index);
  // The height at the plot's left edge between point i-1 and point i.
  std::int32_t EdgeY(std::int32_t index) const;
  void PlotSegment(std::int32_t index, std::int32_t x, std::int32_t y, TColor color, bool withPointers);
  void DrawPointer(std::int32_t index, std::int32_t x, std::int32_t y, TColor color);

  TChartPen m_linePen;
  TBrushStyle m_lineBrush = TBrushStyle::bsSolid;
  std::int32_t m_lineHeight = 0;
  bool m_stairs = false;
  bool m_invertedStairs = false;
  bool m_dark3D = true;
  TSeriesPointer m_pointer;
  bool m_drawsLine = true;
  bool m_drawsArea = false;

  // Between two consecutive points of one pass.
  std::int32_t m_previousX = 0;
  std::int32_t m_previousY = 0;
  TColor m_previousColor = clNone;
  std::int32_t m_baselineY = 0;
  std::int32_t m_previousBaselineY = 0;
  // Whether the previous position belongs to this pass (a skipped first
  // point leaves it unset: the line then starts at the next drawn point).
  bool m_previousSet = false;
};

class TLineSeries : public TCustomSeries {
public:
  TLineSeries();
};

} // namespace curvella
