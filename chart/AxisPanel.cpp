#include "chart/AxisPanel.h"

#include <algorithm>

#include "chart/ChartMessages.h"

namespace curvella {

TCustomAxisPanel::TCustomAxisPanel() {
  SetAutoRepaint(false);
  // Each axis takes its place in the axis list as it is created.
  m_bottomAxis = std::make_unique<TChartAxis>(this, true, false);
  m_topAxis = std::make_unique<TChartAxis>(this, true, true);
  m_leftAxis = std::make_unique<TChartAxis>(this, false, false);
  m_rightAxis = std::make_unique<TChartAxis>(this, false, true);
  m_depthAxis = std::make_unique<TChartDepthAxis>(this);
  m_axes = {m_bottomAxis.get(), m_topAxis.get(), m_leftAxis.get(), m_rightAxis.get(), m_depthAxis.get()};
  SetAutoRepaint(true);
}

TCustomAxisPanel::~TCustomAxisPanel() {
  SetAutoRepaint(false);
  for (auto& series : m_series) series->SetParentChart(nullptr);
}

TChartSeries& TCustomAxisPanel::AddSeries(std::unique_ptr<TChartSeries> series) {
  TChartSeries& added = *series;
  if (added.SeriesColor() == clDefault) {
    // The first palette colour no other series of the chart has.
    TColor color = DefaultPalette[m_series.size() % DefaultPalette.size()];
    for (TColor candidate : DefaultPalette) {
      if (std::none_of(m_series.begin(), m_series.end(),
                       [&](const auto& s) { return s->SeriesColor() == candidate; })) {
        color = candidate;
        break;
      }
    }
    added.SetSeriesColor(color);
  }
  m_series.push_back(std::move(series));
  added.SetParentChart(this);
  Invalidate();
  return added;
}

std::unique_ptr<TChartSeries> TCustomAxisPanel::RemoveSeries(TChartSeries& series) {
  const auto found =
      std::find_if(m_series.begin(), m_series.end(), [&](const auto& s) { return s.get() == &series; });
  if (found == m_series.end()) return nullptr;
  std::unique_ptr<TChartSeries> removed = std::move(*found);
  m_series.erase(found);
  removed->SetParentChart(nullptr);
  Invalidate();
  return removed;
}

bool TCustomAxisPanel::HasActiveSeriesOn(const TChartAxis& axis) const {
  return std::any_of(m_series.begin(), m_series.end(),
                     [&](const auto& s) { return s->Active() && s->IsAssociatedWith(axis); });
}

double TCustomAxisPanel::SeriesRangeOnAxis(const TChartAxis& axis, bool highest, bool horizontal) const {
  const bool anyActive = HasActiveSeriesOn(axis);
  double result = 0;
  bool found = false;
  for (const auto& s : m_series) {
    if (!(s->Active() || !anyActive) || s->PointCount() == 0) continue;
    const bool belongs = horizontal
                             ? s->HorizAxis() == THorizAxis::aBothHorizAxis || s->HorizontalAxis() == &axis
                             : s->VertAxis() == TVertAxis::aBothVertAxis || s->VerticalAxis() == &axis;
    if (!belongs) continue;
    const double value = horizontal ? (highest ? s->MaxXValue() : s->MinXValue())
                                    : (highest ? s->MaxYValue() : s->MinYValue());
    if (!found || (highest ? value > result : value < result)) result = value;
    found = true;
  }
  return result;
}

} // namespace curvella

namespace curvella {

void TCustomAxisPanel::SetMaxPointsPerPage(std::int32_t points) {
  if (points < 0) throw ChartException("MaxPointsPerPage must be >= 0");
  SetAndInvalidate(m_maxPointsPerPage, points);
}

bool TCustomAxisPanel::IsAxisShown(const TChartAxis& axis) const {
  if (!m_axisVisible || !axis.Visible()) return false;
  if (axis.IsDepthAxis()) return View3D();
  const bool anyActive =
      std::any_of(m_series.begin(), m_series.end(), [](const auto& s) { return s->Active(); });
  return !anyActive || HasActiveSeriesOn(axis);
}

void TCustomAxisPanel::RenderChart(const TRect& panelRect) {
  PaintPanel(panelRect);
  for (const auto& s : m_series) {
    if (s->Active()) s->BeforeChart();
  }
  PlaceTitlesAndLegend();
  LayoutAxes();
  ApplySeriesMargins();
  PaintWalls();
  if (m_axisVisible) {
    if (OnBeforeDrawAxes) OnBeforeDrawAxes(*this);
    for (TChartAxis* axis : m_axes) {
      if (IsAxisShown(*axis)) axis->PaintAxis();
    }
  }
  if (OnBeforeDrawSeries) OnBeforeDrawSeries(*this);
  for (const auto& s : m_series) {
    if (s->Active()) DrawSeries(*s);
  }
  DrawZoomRectangle();
  Canvas().ResetCanvasState();
  if (OnAfterDraw) OnAfterDraw(*this);
}

void TCustomAxisPanel::LayoutAxes() {
  for (TChartAxis* axis : m_axes) axis->ComputeAxisRange();
  RecalcPlotSize();
  TRect r = PlotRect();
  for (std::size_t i = 0; i < m_axes.size(); ++i) {
    if (!IsAxisShown(*m_axes[i])) continue;
    TRect s = r;
    m_axes[i]->ReserveAxisSpace(s, i < 5);
    const TRect inside = Intersect(s, r);
    // A cut that would leave nothing is dropped for that axis.
    if (!inside.IsEmpty()) r = inside;
  }
  SetPlotRect(r);
  RecalcPlotSize();
  for (TChartAxis* axis : m_axes) axis->PlaceAxisEnds();
}

void TCustomAxisPanel::ApplySeriesMargins() {
  for (TChartAxis* axis : {m_topAxis.get(), m_leftAxis.get(), m_rightAxis.get(), m_bottomAxis.get()}) {
    std::int32_t low = 0;
    std::int32_t high = 0;
    for (const auto& s : m_series) {
      if (!s->Active() || !s->IsAssociatedWith(*axis)) continue;
      std::int32_t first = 0;
      std::int32_t second = 0;
      s->MarginsNeeded(axis->Horizontal(), first, second);
      // Horizontal: left with the automatic minimum, right with the maximum;
      // vertical: top with the automatic maximum, bottom with the minimum.
      if (axis->Horizontal() ? axis->AutomaticMinimum() : axis->AutomaticMaximum())
        low = std::max(low, first);
      if (axis->Horizontal() ? axis->AutomaticMaximum() : axis->AutomaticMinimum())
        high = std::max(high, second);
    }
    axis->WidenForMargins(low, high);
  }
}

void TCustomAxisPanel::DrawSeries(TChartSeries& series) {
  series.ComputeShownRange();
  if (series.FirstShownIndex() == -1) return;
  if (series.BeforeDrawValues) series.BeforeDrawValues(series);
  if (m_clipPoints) Canvas().ClipToPlot(PlotRect(), 0, 0);
  series.PlotAllPoints();
  Canvas().RemoveClipping();
  if (series.AfterDrawValues) series.AfterDrawValues(series);
}

} // namespace curvella
