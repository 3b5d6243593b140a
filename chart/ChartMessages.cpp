#include "chart/ChartMessages.h"

namespace curvella {

EListError::EListError(std::int64_t index)
    : Exception("List index out of bounds (" + std::to_string(index) + ")") {}

std::string FormatMessage(std::string_view format, std::initializer_list<std::string_view> arguments) {
  std::string text;
  auto next = arguments.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() && (format[i + 1] == 's' || format[i + 1] == 'd') &&
        next != arguments.end()) {
      text += *next++;
      ++i;
    } else {
      text += format[i];
    }
  }
  return text;
}

} // namespace curvella
