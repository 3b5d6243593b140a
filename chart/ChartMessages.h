#pragma once

// The chart engine's errors and the texts of its message table.
//
//   FormatMessage(kAngleMessage, {"Axis Title"})
//     -> "Axis Title Angle must be between 0 and 359 degrees"

#include <initializer_list>
#include <string>
#include <string_view>

#include "numtext/Errors.h"

namespace curvella {

class ChartException : public Exception {
public:
  using Exception::Exception;
};

inline constexpr std::string_view kAngleMessage = "%s Angle must be between 0 and 359 degrees";

// The message with each "%s" or "%d" replaced by the next argument in turn.
std::string FormatMessage(std::string_view format, std::initializer_list<std::string_view> arguments);

} // namespace curvella
