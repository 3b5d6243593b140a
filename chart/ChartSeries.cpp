#include "chart/ChartSeries.h"

#include <algorithm>

#include "chart/AxisPanel.h"
#include "chart/ChartMessages.h"
#include "chart/SeriesFunction.h"

namespace curvella {

TChartSeries::TChartSeries() : m_xValues(this, "X"), m_yValues(this, "Y") {
  m_xValues.SetOrder(TChartListOrder::loAscending);
  m_valueLists = {&m_xValues, &m_yValues};
  m_marks.SetOnChange([this](TChangeNotifier*) { RequestRepaint(); });
}

TChartSeries::~TChartSeries() {
  m_function.reset();
  // Detached first: clearing the points must not clear the dependents.
  for (TChartSeries* source : m_dataSources) std::erase(source->m_dependents, this);
  for (TChartSeries* dependent : m_dependents) std::erase(dependent->m_dataSources, this);
  m_dataSources.clear();
  m_dependents.clear();
  ClearPoints();
}

std::int32_t TChartSeries::InsertPending(const std::string& label, TColor color) {
  const std::int32_t index = m_xValues.AddInOrder(m_xValues.PendingValue());
  for (std::size_t i = 1; i < m_valueLists.size(); ++i) {
    m_valueLists[i]->InsertAt(index, m_valueLists[i]->PendingValue());
  }
  m_colors.insert(m_colors.begin() + index, color);
  m_labels.insert(m_labels.begin() + index, label);
  return index;
}

void TChartSeries::AnnounceAdded(std::int32_t index) {
  if (OnAfterAdd) OnAfterAdd(*this, index);
  NotifyDependents(TDependentNotice::Add, index);
  if (m_active) RequestRepaint();
}

std::int32_t TChartSeries::AddPoint(double x, double y, const std::string& label, TColor color) {
  m_xValues.SetPendingValue(x);
  m_yValues.SetPendingValue(y);
  if (OnBeforeAdd && !OnBeforeAdd(*this)) return -1;
  const std::int32_t index = InsertPending(label, color);
  AnnounceAdded(index);
  return index;
}

void TChartSeries::ClearPoints() {
  for (TChartValueList* list : m_valueLists) list->ClearAll();
  std::vector<TColor>().swap(m_colors);
  std::vector<std::string>().swap(m_labels);
  m_firstShown = m_lastShown = -1;
  if (OnClearValues) OnClearValues(*this);
  NotifyDependents(TDependentNotice::Clear);
  if (m_active && m_parentChart) RequestRepaint();
}

void TChartSeries::RemovePoint(std::int32_t index) {
  for (TChartValueList* list : m_valueLists) list->RemoveAt(index);
  if (index < static_cast<std::int32_t>(m_colors.size())) m_colors.erase(m_colors.begin() + index);
  if (index < static_cast<std::int32_t>(m_labels.size())) m_labels.erase(m_labels.begin() + index);
  // The shown range stays within the points until the next drawing pass.
  m_lastShown = std::min(m_lastShown, PointCount() - 1);
  if (m_firstShown > m_lastShown) m_firstShown = m_lastShown = -1;
  NotifyDependents(TDependentNotice::Delete, index);
  if (m_active) RequestRepaint();
}

TColor TChartSeries::PointColor(std::int32_t index) const {
  if (index < 0 || index >= static_cast<std::int32_t>(m_colors.size())) return m_seriesColor;
  const TColor stored = m_colors[static_cast<std::size_t>(index)];
  if (stored != clDefault) return stored;
  if (m_colorEachPoint) return DefaultPalette[static_cast<std::size_t>(index) % DefaultPalette.size()];
  return m_seriesColor;
}

std::string TChartSeries::PointLabel(std::int32_t index) const {
  if (index < 0 || index >= static_cast<std::int32_t>(m_labels.size())) return {};
  return m_labels[static_cast<std::size_t>(index)];
}

void TChartSeries::SwapPoints(std::int32_t a, std::int32_t b) {
  for (TChartValueList* list : m_valueLists) list->Swap(a, b);
  if (std::max(a, b) < static_cast<std::int32_t>(m_colors.size())) std::swap(m_colors[a], m_colors[b]);
  if (std::max(a, b) < static_cast<std::int32_t>(m_labels.size())) std::swap(m_labels[a], m_labels[b]);
}

void TChartSeries::ComputeShownRange() {
  m_firstShown = m_lastShown = -1;
  const std::int32_t n = PointCount();
  if (n < 1) return;
  const bool measuresY = MeasuresY();
  const TChartValueList& ordering = measuresY ? m_xValues : m_yValues;
  const TChartAxis* axis = measuresY ? m_horizontalAxis : m_verticalAxis;
  if (!m_trimToVisible || ordering.Order() == TChartListOrder::loNone || !axis || !m_parentChart) {
    m_firstShown = 0;
    m_lastShown = n - 1;
    return;
  }
  const TRect& plot = m_parentChart->PlotRect();
  std::int32_t lowPixel = measuresY ? plot.Left : plot.Bottom;
  std::int32_t highPixel = measuresY ? plot.Right : plot.Top;
  if (axis->Inverted()) std::swap(lowPixel, highPixel);
  const double low = axis->PixelToValue(lowPixel);
  const double high = axis->PixelToValue(highPixel);

  // An unordered comparison counts as less: NaN values are skipped.
  std::int32_t first = 0;
  while (first < n && !(ordering[first] >= low)) ++first;
  if (first == n) return;
  m_firstShown = first;
  if (ordering[n - 1] <= high) {
    m_lastShown = n - 1;
    return;
  }
  std::int32_t last = first;
  while (last < n && !(ordering[last] >= high)) ++last;
  m_lastShown = last < n ? last : n - 1;
  if (!m_joinsPoints && ordering[m_lastShown] > high) --m_lastShown;
}

void TChartSeries::RequestRepaint() {
  if (m_parentChart) m_parentChart->Invalidate();
}

void TChartSeries::SetColorEachPoint(bool colorEachPoint) {
  SetAndRepaint(m_colorEachPoint, colorEachPoint);
  if (colorEachPoint) return;
  for (TColor& color : m_colors) {
    color = clDefault;
    RequestRepaint();
  }
}

void TChartSeries::SetHorizAxis(THorizAxis axis) {
  if (axis == m_horizAxis) return;
  m_horizAxis = axis;
  ResolveAxes();
  RequestRepaint();
}

void TChartSeries::SetVertAxis(TVertAxis axis) {
  if (axis == m_vertAxis) return;
  m_vertAxis = axis;
  ResolveAxes();
  RequestRepaint();
}

void TChartSeries::ResolveAxes() {
  if (!m_parentChart) {
    m_horizontalAxis = m_verticalAxis = nullptr;
    return;
  }
  m_horizontalAxis =
      m_horizAxis == THorizAxis::aTopAxis ? &m_parentChart->TopAxis() : &m_parentChart->BottomAxis();
  m_verticalAxis =
      m_vertAxis == TVertAxis::aRightAxis ? &m_parentChart->RightAxis() : &m_parentChart->LeftAxis();
}

bool TChartSeries::IsAssociatedWith(const TChartAxis& axis) const {
  if (axis.Horizontal()) return m_horizAxis == THorizAxis::aBothHorizAxis || &axis == m_horizontalAxis;
  return m_vertAxis == TVertAxis::aBothVertAxis || &axis == m_verticalAxis;
}

void TChartSeries::SetParentChart(TCustomAxisPanel* chart) {
  m_parentChart = chart;
  ResolveAxes();
}

void TChartSeries::SetFunction(std::unique_ptr<TSeriesFunction> function) {
  m_function = std::move(function);
  if (m_function) m_function->SetParentSeries(this);
  CheckDataSource();
}

bool TChartSeries::DependsOn(const TChartSeries* series) const {
  for (const TChartSeries* source : m_dataSources) {
    if (source == series || source->DependsOn(series)) return true;
  }
  return false;
}

void TChartSeries::AddDataSource(TChartSeries* source) {
  if (!m_parentChart) throw ChartException(std::string(kNoParentChartMessage));
  if (!source || source == this) {
    throw ChartException(FormatMessage(kInvalidDataSourceMessage, {source ? source->Name() : std::string()}));
  }
  if (source->DependsOn(this)) throw ChartException(std::string(kCircularDataSourceMessage));
  if (std::find(m_dataSources.begin(), m_dataSources.end(), source) != m_dataSources.end()) return;
  m_dataSources.push_back(source);
  source->m_dependents.push_back(this);
  CheckDataSource();
}

void TChartSeries::RemoveDataSource(TChartSeries* source) {
  std::erase(m_dataSources, source);
  if (source) std::erase(source->m_dependents, this);
}

void TChartSeries::CopyPointFrom(const TChartSeries& source, std::int32_t index) {
  for (std::size_t i = 0; i < m_valueLists.size() && i < source.m_valueLists.size(); ++i) {
    m_valueLists[i]->SetPendingValue(source.m_valueLists[i]->ValueAt(index));
  }
  const std::int32_t at =
      InsertPending(source.PointLabel(index), source.m_colors[static_cast<std::size_t>(index)]);
  AnnounceAdded(at);
}

void TChartSeries::NotifyDependents(TDependentNotice notice, std::int32_t index) {
  // A copy: a dependent's reaction may change the list.
  const std::vector<TChartSeries*> dependents = m_dependents;
  for (TChartSeries* d : dependents) {
    switch (notice) {
    case TDependentNotice::Clear:
      if (d->m_recalcOptions.OnClear) d->ClearPoints();
      break;
    case TDependentNotice::Add:
      if (d->m_recalcOptions.OnAdd && !d->m_function) d->CopyPointFrom(*this, index);
      break;
    case TDependentNotice::Delete:
      if (d->m_recalcOptions.OnDelete && !d->m_function) d->RemovePoint(index);
      break;
    case TDependentNotice::Refresh:
      d->CheckDataSource();
      break;
    case TDependentNotice::Change:
      if (d->m_recalcOptions.OnChange) d->CheckDataSource();
      break;
    }
  }
}

void TChartSeries::CheckDataSource() {
  if (m_loading || m_dataSources.empty()) return;
  RefillFromSource(*m_dataSources.front());
}

void TChartSeries::RefillFromSource(TChartSeries& source) {
  if (&source == this) return;
  ClearPoints();
  if (m_function) {
    m_xValues.SetDateTime(source.m_xValues.DateTime());
    m_yValues.SetDateTime(source.m_yValues.DateTime());
    m_function->FillParent(&source);
  } else {
    for (std::int32_t i = 0; i < source.PointCount(); ++i) CopyPointFrom(source, i);
  }
  NotifyDependents(TDependentNotice::Refresh);
}

void TChartSeries::MarginsNeeded(bool, std::int32_t& low, std::int32_t& high) { low = high = 0; }

void TChartSeries::PaintLegendSymbol(std::int32_t index, const TRect& rect) {
  if (!m_parentChart) return;
  TChartCanvas3D& canvas = m_parentChart->Canvas();
  canvas.Brush().SetColor(index == -1 ? m_seriesColor : PointColor(index));
  canvas.Brush().SetStyle(TBrushStyle::bsSolid);
  canvas.DrawRectRecord(rect);
}

void TChartSeries::EndLoading() {
  m_loading = false;
  CheckDataSource();
}

std::int32_t TChartSeries::Clicked(std::int32_t, std::int32_t) { return -1; }

bool TChartSeries::ClickedPoint(std::int32_t index, TMouseButton button, TShiftState shift, std::int32_t x,
                                std::int32_t y) {
  const TSeriesClick& handler = shift.Double ? OnDblClick : OnClick;
  if (!handler) return false;
  handler(*this, index, button, shift, x, y);
  return true;
}

} // namespace curvella
