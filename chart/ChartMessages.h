#pragma once

// The chart engine's errors and the texts of its message table.
//
//   FormatMessage(kAngleMessage, {"Axis Title"})
//     -> "Axis Title Angle must be between 0 and 359 degrees"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "numtext/Errors.h"

namespace curvella {

class ChartException : public Exception {
public:
  using Exception::Exception;
};

class AxisException : public ChartException {
public:
  using ChartException::ChartException;
};

class LegendException : public ChartException {
public:
  using ChartException::ChartException;
};

// An index outside a list: "List index out of bounds (%d)".
class EListError : public Exception {
public:
  explicit EListError(std::int64_t index);
};

inline constexpr std::string_view kAngleMessage = "%s Angle must be between 0 and 359 degrees";
inline constexpr std::string_view kAxisMinimumMessage = "Axis Minimum Value must be <= Maximum";
inline constexpr std::string_view kAxisMaximumMessage = "Axis Maximum Value must be >= Minimum";
inline constexpr std::string_view kAxisIncrementMessage = "Axis increment must be >= 0";
inline constexpr std::string_view kLabelsSeparationMessage = "Labels Separation % must be greater than 0";
inline constexpr std::string_view kDateTimeLogarithmicMessage = "DateTime Axis cannot be Logarithmic";
inline constexpr std::string_view kLogarithmicRangeMessage =
    "Logarithmic Axis Min and Max values should be >= 0";
inline constexpr std::string_view kFunctionPeriodMessage = "Function Period should be >= 0";
inline constexpr std::string_view kFunctionPeriodsMessage =
    "Function Period too small for the range of its source";
inline constexpr std::string_view kNoParentChartMessage = "No ParentChart to validate DataSource";
inline constexpr std::string_view kInvalidDataSourceMessage = "No valid DataSource: %s";
inline constexpr std::string_view kCircularDataSourceMessage = "Circular Series dependences are not allowed";

// The names under which the series functions are listed, and their group.
inline constexpr std::string_view kFunctionsGroup = "Functions";

// The message with each "%s" or "%d" replaced by the next argument in turn.
std::string FormatMessage(std::string_view format, std::initializer_list<std::string_view> arguments);

} // namespace curvella
