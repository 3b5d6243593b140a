#pragma once

// A series function: attached to a series (its parent), it recomputes the
// parent's points from the parent's data sources: over the whole source,
// per period of points or of X range, or point by point across sources. A
// parent without data sources is never touched by its function.
//
//   Add over Y = 1, 2, 3 at X = 0, 1, 2 into a line series:
//     Period 0                    -> (0, 6) and (2, 6)
//     Period 2, psNumPoints, paCenter -> (0.5, 3); the third point adds nothing
//
// Periods that would never advance are taken as the smallest that does: a
// psNumPoints period that rounds to 0 counts as 1 point, and a psRange
// period too small to move the marker makes the whole source one period.

#include <cstdint>
#include <string_view>
#include <vector>

namespace curvella {

class TChartSeries;
class TChartValueList;

enum class TFunctionPeriodStyle { psNumPoints, psRange };
enum class TFunctionPeriodAlign { paFirst, paCenter, paLast };

class TSeriesFunction {
public:
  TSeriesFunction() = default;
  virtual ~TSeriesFunction();
  TSeriesFunction(const TSeriesFunction&) = delete;
  TSeriesFunction& operator=(const TSeriesFunction&) = delete;

  // The name under which the function is listed ("Add", "Subtract", ...).
  virtual std::string_view Name() const = 0;

  double Period() const { return m_period; }
  // Raises ChartException "Function Period should be >= 0" below 0.
  void SetPeriod(double period);
  TFunctionPeriodStyle PeriodStyle() const { return m_periodStyle; }
  void SetPeriodStyle(TFunctionPeriodStyle style);
  TFunctionPeriodAlign PeriodAlign() const { return m_periodAlign; }
  void SetPeriodAlign(TFunctionPeriodAlign align);
  // Copies Period, PeriodStyle and PeriodAlign.
  void Assign(const TSeriesFunction& other);

  TChartSeries* ParentSeries() const { return m_parent; }
  // Set by the series the function is attached to.
  void SetParentSeries(TChartSeries* parent) { m_parent = parent; }
  // Asks the parent to check its data source again.
  void RecomputeParent();

  // Computes the parent's new points from the source.
  virtual void FillParent(TChartSeries* source);
  virtual void WholeSeriesPoints(TChartSeries& source);
  virtual void PeriodPoints(TChartSeries& source);
  // first = -1: the whole source.
  virtual double ValueOfRange(TChartSeries& source, std::int32_t first, std::int32_t last);
  virtual double ValueAcrossSources(const std::vector<TChartSeries*>& sources, std::int32_t index);

  // The source's column the function reads: the one named by the
  // ValueSource of the parent's measured column, else the measured one.
  TChartValueList& FunctionValues(TChartSeries& source) const;

private:
  // Adds a computed point at its position along the ordering axis.
  void AddComputed(TChartSeries& source, double position, double value);

  double m_period = 0;
  TFunctionPeriodStyle m_periodStyle = TFunctionPeriodStyle::psNumPoints;
  TFunctionPeriodAlign m_periodAlign = TFunctionPeriodAlign::paCenter;
  TChartSeries* m_parent = nullptr;
};

// Functions of two operands, combined across sources left to right.
class TManySeriesFunction : public TSeriesFunction {
public:
  double ValueAcrossSources(const std::vector<TChartSeries*>& sources, std::int32_t index) override;
  virtual double CombineTwo(double result, double next) const = 0;
};

} // namespace curvella
