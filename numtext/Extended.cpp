#include "numtext/Extended.h"

namespace curvella {

void SetFloatingPointMode() noexcept {
  // Precision control 11 (64-bit mantissa), rounding control 00 (nearest),
  // all six exceptions masked.
  SetFloatingPointMode({0x037F, 0x1F80});
}

TFloatingPointMode CurrentFloatingPointMode() noexcept {
  TFloatingPointMode mode;
  asm volatile("fnstcw %0" : "=m"(mode.Control) : : "memory");
  asm volatile("stmxcsr %0" : "=m"(mode.Mxcsr) : : "memory");
  mode.Mxcsr &= ~0x3Fu;
  return mode;
}

void SetFloatingPointMode(const TFloatingPointMode& mode) noexcept {
  asm volatile("fldcw %0" : : "m"(mode.Control) : "memory");
  const std::uint32_t mxcsr = mode.Mxcsr & ~0x3Fu;
  asm volatile("ldmxcsr %0" : : "m"(mxcsr) : "memory");
  ClearFloatErrors();
}

void ThrowFloatError(unsigned flags) {
  if (flags & kFlagInvalid) throw EInvalidOp();
  if (flags & kFlagZeroDivide) throw EZeroDivide();
  throw EOverflow();
}

} // namespace curvella
