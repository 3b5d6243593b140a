#pragma once

// The chart panel with series and axes: the series list, the five axes in
// the order Bottom, Top, Left, Right, Depth (the order of layout and
// drawing), and the range of the series shown on an axis.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/ChartAxis.h"
#include "chart/ChartPanel.h"
#include "chart/ChartSeries.h"

namespace curvella {

class TCustomAxisPanel : public TCustomChartPanelExtended {
public:
  TCustomAxisPanel();
  ~TCustomAxisPanel() override;

  // The chart owns its series; they join in this order.
  TChartSeries& AddSeries(std::unique_ptr<TChartSeries> series);
  std::unique_ptr<TChartSeries> RemoveSeries(TChartSeries& series);
  std::int32_t SeriesCount() const { return static_cast<std::int32_t>(m_series.size()); }
  TChartSeries& Series(std::int32_t index) const { return *m_series[static_cast<std::size_t>(index)]; }

  TChartAxis& BottomAxis() { return *m_bottomAxis; }
  TChartAxis& TopAxis() { return *m_topAxis; }
  TChartAxis& LeftAxis() { return *m_leftAxis; }
  TChartAxis& RightAxis() { return *m_rightAxis; }
  TChartDepthAxis& DepthAxis() { return *m_depthAxis; }
  const std::vector<TChartAxis*>& Axes() const { return m_axes; }

  // The smallest or largest X (horizontal) or Y (vertical) value of the
  // series shown on the axis; 0 without any.
  double SeriesRangeOnAxis(const TChartAxis& axis, bool highest, bool horizontal) const;
  // Whether an active series is associated with the axis.
  bool HasActiveSeriesOn(const TChartAxis& axis) const;

  bool AxisVisible() const { return m_axisVisible; }
  void SetAxisVisible(bool visible) { SetAndInvalidate(m_axisVisible, visible); }
  bool ClipPoints() const { return m_clipPoints; }
  void SetClipPoints(bool clip) { SetAndInvalidate(m_clipPoints, clip); }
  bool View3DWalls() const { return m_view3DWalls; }
  void SetView3DWalls(bool walls) { SetAndInvalidate(m_view3DWalls, walls); }

  std::int32_t Page() const { return m_page; }
  void SetPage(std::int32_t page) { SetAndInvalidate(m_page, page); }
  std::int32_t MaxPointsPerPage() const { return m_maxPointsPerPage; }
  // Raises ChartException below 0.
  void SetMaxPointsPerPage(std::int32_t points);

  // The drawing order of one pass: background, titles and legend, axis
  // layout, walls, axes, series.
  void RenderChart(const TRect& panelRect) override;
  virtual void PlaceTitlesAndLegend() {}
  virtual void LayoutAxes();
  virtual void ApplySeriesMargins();
  virtual std::int32_t WallSize(const TChartAxis&) const { return 0; }
  virtual void PaintWalls() {}
  // The zoom rectangle of a drag in progress (the mouse handling's).
  virtual void DrawZoomRectangle() {}
  bool IsAxisShown(const TChartAxis& axis) const;
  // One series: its shown range, events, clipping and points.
  void DrawSeries(TChartSeries& series);

  std::function<void(TCustomAxisPanel&)> OnBeforeDrawAxes;
  std::function<void(TCustomAxisPanel&)> OnBeforeDrawSeries;
  // Labels of the application's choice: axis, index, stop flag, value.
  std::function<void(TChartAxis&, std::int32_t, bool&, double&)> OnGetNextAxisLabel;

  // May replace the text of an axis label: axis, series (none), value index
  // (-1), text.
  std::function<void(TChartAxis&, TChartSeries*, std::int32_t, std::string&)> OnGetAxisLabel;

private:
  std::vector<std::unique_ptr<TChartSeries>> m_series;
  std::vector<TChartAxis*> m_axes;
  std::unique_ptr<TChartAxis> m_bottomAxis;
  std::unique_ptr<TChartAxis> m_topAxis;
  std::unique_ptr<TChartAxis> m_leftAxis;
  std::unique_ptr<TChartAxis> m_rightAxis;
  std::unique_ptr<TChartDepthAxis> m_depthAxis;
  bool m_axisVisible = true;
  bool m_clipPoints = true;
  bool m_view3DWalls = true;
  std::int32_t m_page = 1;
  std::int32_t m_maxPointsPerPage = 0;
};

} // namespace curvella
