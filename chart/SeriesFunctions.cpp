#include "chart/SeriesFunctions.h"

#include "chart/ChartSeries.h"

namespace curvella {

namespace {

// The sum of first .. last, added in index order; 0 when last < first.
double SumOfRange(const TChartValueList& values, std::int32_t first, std::int32_t last) {
  double sum = 0;
  for (std::int32_t i = first; i <= last; ++i)
    sum = static_cast<double>(static_cast<long double>(sum) + values.ValueAt(i));
  return sum;
}

// The extreme of first .. last, the first value taken as the start; 0 when
// last < first.
template <class Better>
double ExtremeOfRange(const TChartValueList& values, std::int32_t first, std::int32_t last, Better better) {
  if (last < first) return 0;
  double extreme = values.ValueAt(first);
  for (std::int32_t i = first + 1; i <= last; ++i) {
    if (better(values.ValueAt(i), extreme)) extreme = values.ValueAt(i);
  }
  return extreme;
}

// The first source's value at i when it has one (else 0), replaced by any
// later source's value that is better.
template <class Better>
double ExtremeAcross(const TSeriesFunction& function, const std::vector<TChartSeries*>& sources,
                     std::int32_t index, Better better) {
  double result = 0;
  for (std::size_t k = 0; k < sources.size(); ++k) {
    const TChartValueList& values = function.FunctionValues(*sources[k]);
    if (values.ValueCount() <= index) continue;
    const double value = values.ValueAt(index);
    if (k == 0 || better(value, result)) result = value;
  }
  return result;
}

} // namespace

double TAddFunction::ValueOfRange(TChartSeries& source, std::int32_t first, std::int32_t last) {
  const TChartValueList& values = FunctionValues(source);
  if (first == -1) return values.SumOfValues();
  return SumOfRange(values, first, last);
}

double TAddFunction::ValueAcrossSources(const std::vector<TChartSeries*>& sources, std::int32_t index) {
  double sum = 0;
  for (TChartSeries* source : sources) {
    const TChartValueList& values = FunctionValues(*source);
    if (values.ValueCount() > index)
      sum = static_cast<double>(static_cast<long double>(sum) + values.ValueAt(index));
  }
  return sum;
}

double THighFunction::ValueOfRange(TChartSeries& source, std::int32_t first, std::int32_t last) {
  const TChartValueList& values = FunctionValues(source);
  if (first == -1) return values.HighestValue();
  return ExtremeOfRange(values, first, last, [](double a, double b) { return a > b; });
}

double THighFunction::ValueAcrossSources(const std::vector<TChartSeries*>& sources, std::int32_t index) {
  return ExtremeAcross(*this, sources, index, [](double a, double b) { return a > b; });
}

double TLowFunction::ValueOfRange(TChartSeries& source, std::int32_t first, std::int32_t last) {
  const TChartValueList& values = FunctionValues(source);
  if (first == -1) return values.LowestValue();
  return ExtremeOfRange(values, first, last, [](double a, double b) { return a < b; });
}

double TLowFunction::ValueAcrossSources(const std::vector<TChartSeries*>& sources, std::int32_t index) {
  return ExtremeAcross(*this, sources, index, [](double a, double b) { return a < b; });
}

double TAverageFunction::ValueOfRange(TChartSeries& source, std::int32_t first, std::int32_t last) {
  const TChartValueList& values = FunctionValues(source);
  if (first == -1) return source.PointCount() == 0 ? 0 : values.SumOfValues() / source.PointCount();
  // An empty range averages to 0, not 0 / 0.
  if (last < first) return 0;
  return SumOfRange(values, first, last) / (last - first + 1);
}

double TAverageFunction::ValueAcrossSources(const std::vector<TChartSeries*>& sources, std::int32_t index) {
  double sum = 0;
  int count = 0;
  for (TChartSeries* source : sources) {
    const TChartValueList& values = FunctionValues(*source);
    if (values.ValueCount() <= index) continue;
    sum = static_cast<double>(static_cast<long double>(sum) + values.ValueAt(index));
    ++count;
  }
  return count == 0 ? 0 : sum / count;
}

} // namespace curvella
