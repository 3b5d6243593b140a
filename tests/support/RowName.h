#pragma once

// Names the rows of a table-driven test after their Name field, so that a
// failing row is reported by name.

#include <string>

namespace curvella::test {

struct RowName {
  template <class ParamInfo> std::string operator()(const ParamInfo& info) const { return info.param.Name; }
};

} // namespace curvella::test
