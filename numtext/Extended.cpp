#include "numtext/Extended.h"

namespace curvella {

void SetFloatingPointMode() noexcept {
  // Precision control 11 (64-bit mantissa), rounding control 00 (nearest),
  // all six exceptions masked.
  const std::uint16_t control = 0x037F;
  asm volatile("fldcw %0" : : "m"(control) : "memory");
  const std::uint32_t mxcsr = 0x1F80;
  asm volatile("ldmxcsr %0" : : "m"(mxcsr) : "memory");
  ClearFloatErrors();
}

void ThrowFloatError(unsigned flags) {
  if (flags & kFlagInvalid) throw EInvalidOp();
  if (flags & kFlagZeroDivide) throw EZeroDivide();
  throw EOverflow();
}

} // namespace curvella
