#pragma once

// The basic series functions, listed in the group "Functions" by the names
// "Add", "Subtract", "Multiply", "Divide", "High", "Low" and "Average".
//
//   ValueOfRange (first .. last of one source; last < first gives 0):
//     Add the sum, High the largest, Low the smallest, Average the mean
//     (0 for an empty range); the others 0.
//   ValueAcrossSources (point i of every source that has it):
//     Add the sum; Subtract, Multiply, Divide combine left to right (a
//     division by 0 keeps the result); High, Low the extreme; Average the
//     mean.

#include "chart/SeriesFunction.h"

namespace curvella {

class TAddFunction : public TSeriesFunction {
public:
  std::string_view Name() const override { return "Add"; }
  double ValueOfRange(TChartSeries& source, std::int32_t first, std::int32_t last) override;
  double ValueAcrossSources(const std::vector<TChartSeries*>& sources, std::int32_t index) override;
};

class TSubtractFunction : public TManySeriesFunction {
public:
  std::string_view Name() const override { return "Subtract"; }
  double CombineTwo(double result, double next) const override {
    return static_cast<double>(static_cast<long double>(result) - next);
  }
};

class TMultiplyFunction : public TManySeriesFunction {
public:
  std::string_view Name() const override { return "Multiply"; }
  double CombineTwo(double result, double next) const override {
    return static_cast<double>(static_cast<long double>(result) * next);
  }
};

class TDivideFunction : public TManySeriesFunction {
public:
  std::string_view Name() const override { return "Divide"; }
  double CombineTwo(double result, double next) const override {
    return next == 0 ? result : static_cast<double>(static_cast<long double>(result) / next);
  }
};

class THighFunction : public TSeriesFunction {
public:
  std::string_view Name() const override { return "High"; }
  double ValueOfRange(TChartSeries& source, std::int32_t first, std::int32_t last) override;
  double ValueAcrossSources(const std::vector<TChartSeries*>& sources, std::int32_t index) override;
};

class TLowFunction : public TSeriesFunction {
public:
  std::string_view Name() const override { return "Low"; }
  double ValueOfRange(TChartSeries& source, std::int32_t first, std::int32_t last) override;
  double ValueAcrossSources(const std::vector<TChartSeries*>& sources, std::int32_t index) override;
};

class TAverageFunction : public TSeriesFunction {
public:
  std::string_view Name() const override { return "Average"; }
  double ValueOfRange(TChartSeries& source, std::int32_t first, std::int32_t last) override;
  double ValueAcrossSources(const std::vector<TChartSeries*>& sources, std::int32_t index) override;
};

} // namespace curvella
