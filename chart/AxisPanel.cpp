#include "chart/AxisPanel.h"

#include <algorithm>

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
