#include "chart/SeriesFunction.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

#include "chart/ChartMessages.h"
#include "chart/ChartSeries.h"

namespace curvella {

namespace {

// Range periods over a span that holds more of them than this would add a
// point for each, most of them empty, until memory runs out.
constexpr long double kMaxRangePeriods = 10'000'000;

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

} // namespace

TSeriesFunction::~TSeriesFunction() = default;

void TSeriesFunction::SetPeriod(double period) {
  if (!(period >= 0)) throw ChartException(std::string(kFunctionPeriodMessage));
  if (period == m_period) return;
  m_period = period;
  RecomputeParent();
}

void TSeriesFunction::SetPeriodStyle(TFunctionPeriodStyle style) {
  if (style == m_periodStyle) return;
  m_periodStyle = style;
  RecomputeParent();
}

void TSeriesFunction::SetPeriodAlign(TFunctionPeriodAlign align) {
  if (align == m_periodAlign) return;
  m_periodAlign = align;
  RecomputeParent();
}

void TSeriesFunction::Assign(const TSeriesFunction& other) {
  m_period = other.m_period;
  m_periodStyle = other.m_periodStyle;
  m_periodAlign = other.m_periodAlign;
}

void TSeriesFunction::RecomputeParent() {
  if (m_parent) m_parent->CheckDataSource();
}

TChartValueList& TSeriesFunction::FunctionValues(TChartSeries& source) const {
  const TChartValueList* measured = nullptr;
  if (m_parent) measured = m_parent->MeasuresY() ? &m_parent->YValues() : &m_parent->XValues();
  if (measured && !measured->ValueSource().empty()) {
    const std::vector<TChartValueList*>& lists = source.ValueLists();
    for (std::size_t i = 2; i < lists.size(); ++i) {
      if (SameNameIgnoringCase(lists[i]->Name(), measured->ValueSource())) return *lists[i];
    }
    return source.YValues();
  }
  return source.MeasuresY() ? source.YValues() : source.XValues();
}

void TSeriesFunction::AddComputed(TChartSeries& source, double position, double value) {
  if (source.MeasuresY())
    m_parent->AddPoint(position, value);
  else
    m_parent->AddPoint(value, position);
}

void TSeriesFunction::FillParent(TChartSeries* source) {
  if (!source || !m_parent) return;
  const TChartValueList& ordering = source->MeasuresY() ? source->XValues() : source->YValues();
  if (m_parent->DataSources().size() > 1) {
    for (std::int32_t i = 0; i < source->PointCount(); ++i) {
      const double v = ValueAcrossSources(m_parent->DataSources(), i);
      const double position = ordering.ValueAt(i);
      if (source->MeasuresY())
        m_parent->AddPoint(position, v, source->PointLabel(i), clDefault);
      else
        m_parent->AddPoint(v, position, source->PointLabel(i), clDefault);
    }
    return;
  }
  if (source->PointCount() == 0) return;
  if (m_period == 0)
    WholeSeriesPoints(*source);
  else
    PeriodPoints(*source);
}

void TSeriesFunction::WholeSeriesPoints(TChartSeries& source) {
  const double a = ValueOfRange(source, -1, -1);
  const TChartValueList& ordering = source.MeasuresY() ? source.XValues() : source.YValues();
  if (!m_parent->AcceptsSinglePoint()) {
    AddComputed(source, ordering.LowestValue(), a);
    AddComputed(source, ordering.HighestValue(), a);
    return;
  }
  const auto mid = static_cast<double>(
      (static_cast<long double>(ordering.HighestValue()) - ordering.LowestValue()) * 0.5L +
      ordering.LowestValue());
  if (m_parent->MeasuresY())
    m_parent->AddPoint(mid, a);
  else
    m_parent->AddPoint(a, mid);
}

void TSeriesFunction::PeriodPoints(TChartSeries& source) {
  const TChartValueList& ordering = source.MeasuresY() ? source.XValues() : source.YValues();
  const std::int32_t n = source.PointCount();
  // A period of points that rounds to 0 counts as one point; one of more
  // points than any source holds makes no point at all.
  const double rounded = std::nearbyint(m_period);
  const std::int64_t pointsPerPeriod = rounded < 1     ? 1
                                       : rounded > 4e9 ? std::int64_t{4'000'000'000}
                                                       : static_cast<std::int64_t>(rounded);
  std::int32_t d = 0;
  double marker = ordering.ValueAt(0);
  if (m_periodStyle == TFunctionPeriodStyle::psRange) {
    // Positions that are no number stand at the end of the source.
    std::int32_t lastNumber = n - 1;
    while (lastNumber >= 0 && std::isnan(ordering.ValueAt(lastNumber))) --lastNumber;
    const long double span = static_cast<long double>(ordering.ValueAt(std::max(lastNumber, 0))) - marker;
    // A period too small to move the marker at all makes one period.
    const bool moves = static_cast<double>(static_cast<long double>(marker) + m_period) > marker;
    if (moves && span / m_period > kMaxRangePeriods) {
      throw ChartException(std::string(kFunctionPeriodsMessage));
    }
  }
  while (d <= n - 1) {
    std::int64_t last;
    double start;
    double end;
    bool holdsPoint = true;
    if (m_periodStyle == TFunctionPeriodStyle::psNumPoints) {
      last = d + pointsPerPeriod - 1;
      start = ordering.ValueAt(d);
      end = last < n ? ordering.ValueAt(static_cast<std::int32_t>(last)) : 0;
    } else {
      last = d;
      start = marker;
      const auto advanced = static_cast<double>(static_cast<long double>(marker) + m_period);
      if (!(advanced > marker)) {
        // Too small to move the marker: the whole source is one period.
        last = n - 1;
        end = ordering.ValueAt(n - 1);
        marker = std::numeric_limits<double>::infinity();
      } else {
        marker = advanced;
        end = static_cast<double>(marker - 0.001L * m_period);
        while (last < n - 1 && ordering.ValueAt(static_cast<std::int32_t>(last + 1)) < marker) ++last;
      }
      // The positions left are no numbers: no period holds them.
      if (std::isnan(ordering.ValueAt(d))) break;
      holdsPoint = ordering.ValueAt(d) < marker;
    }
    if (last < n) {
      const double position = m_periodAlign == TFunctionPeriodAlign::paFirst ? start
                              : m_periodAlign == TFunctionPeriodAlign::paLast
                                  ? end
                                  : static_cast<double>((static_cast<long double>(start) + end) * 0.5L);
      const double value = holdsPoint ? ValueOfRange(source, d, static_cast<std::int32_t>(last)) : 0;
      AddComputed(source, position, value);
    }
    if (!holdsPoint) {
      // An empty period leaves d where it is; a marker that can no longer
      // move (a NaN position) ends the periods.
      if (std::isinf(marker)) break;
      continue;
    }
    d = static_cast<std::int32_t>(std::min<std::int64_t>(last + 1, n));
  }
}

double TSeriesFunction::ValueOfRange(TChartSeries&, std::int32_t, std::int32_t) { return 0; }

double TSeriesFunction::ValueAcrossSources(const std::vector<TChartSeries*>&, std::int32_t) { return 0; }

double TManySeriesFunction::ValueAcrossSources(const std::vector<TChartSeries*>& sources,
                                               std::int32_t index) {
  bool started = false;
  double result = 0;
  for (TChartSeries* source : sources) {
    const TChartValueList& values = FunctionValues(*source);
    if (values.ValueCount() <= index) continue;
    const double value = values.ValueAt(index);
    result = started ? CombineTwo(result, value) : value;
    started = true;
  }
  return result;
}

} // namespace curvella
