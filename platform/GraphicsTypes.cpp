#include "platform/GraphicsTypes.h"

#include <algorithm>

namespace curvella {

TRect Intersect(const TRect& a, const TRect& b) {
  const TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                std::min(a.Bottom, b.Bottom)};
  return r.IsEmpty() ? TRect{} : r;
}

std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
  if (c == 0) return -1;
  const std::int64_t product = static_cast<std::int64_t>(a) * b;
  const std::int64_t half = std::abs(static_cast<std::int64_t>(c)) / 2;
  const bool negative = (product < 0) != (c < 0);
  const std::int64_t magnitude = (std::abs(product) + half) / std::abs(static_cast<std::int64_t>(c));
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

} // namespace curvella
