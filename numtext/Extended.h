#pragma once

// Extended arithmetic with Curvella's floating-point errors.
//
// Curvella computes with the x87 extended format (long double: 64-bit
// mantissa, rounding to nearest) and rounds to double when it stores. Invalid
// operation, division by zero and overflow are errors; underflow, denormal and
// inexact results are quiet. The processor runs with every exception masked:
// a checked operation clears the status flags, computes, then raises the error
// its flags report, so the error leaves at the failing operation. Flags of
// inexact or underflowing results stay up; only error flags are cleared, and
// only when one is pending.
//
//   CheckedDiv(1, 0)                    -> EZeroDivide
//   CheckedDiv(0, 0)                    -> EInvalidOp
//   CheckedSqrt(-1), CheckedLn(-1)      -> EInvalidOp
//   CheckedLn(0)                        -> EZeroDivide
//   CheckedExp(710)                     -> 2.2339e308 (fits the extended range)
//   StoreDouble(CheckedExp(710))        -> EOverflow  (beyond the double range)
//   CheckedExp(12000)                   -> EOverflow  (beyond the extended range)
//   CheckedMul(1e-4000L, 1e-4000L)      -> 0          (underflow is quiet)
//
// GCC moves arithmetic across a flag test even with -frounding-math and
// ignores FENV_ACCESS; empty asm barriers on the operands and on the result
// pin every operation between its clear and its test.

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "numtext/Errors.h"

namespace curvella {

// Sets the processor's floating-point mode for the whole process: 64-bit
// mantissa, rounding to nearest, every exception masked (errors are found
// through the status flags), no flag pending.
void SetFloatingPointMode() noexcept;

// A thread's floating-point mode: the x87 control word and the SSE unit's
// control and status register.
struct TFloatingPointMode {
  std::uint16_t Control; // precision, rounding and exception masks of the x87 unit
  std::uint32_t Mxcsr;   // rounding and exception masks of the SSE unit
};

// The calling thread's mode, to run other threads in the same one.
TFloatingPointMode CurrentFloatingPointMode() noexcept;
// Sets the calling thread's mode, no flag pending.
void SetFloatingPointMode(const TFloatingPointMode& mode) noexcept;

// Forces v to exist at this point of the program: the compiler can neither
// compute it later nor assume its value afterwards.
template <class T> inline void FloatBarrier(T& v) noexcept { asm volatile("" : "+m"(v) : : "memory"); }

// Status flag bits, the same in the x87 status word and in MXCSR.
inline constexpr unsigned kFlagInvalid = 0x01;
inline constexpr unsigned kFlagZeroDivide = 0x04;
inline constexpr unsigned kFlagOverflow = 0x08;
inline constexpr unsigned kFlagErrors = kFlagInvalid | kFlagZeroDivide | kFlagOverflow;

// The exception flags raised since the last clear, of the x87 unit and the SSE
// unit together (the C library's long double functions use both).
inline unsigned PendingFloatFlags() noexcept {
  std::uint16_t status;
  std::uint32_t mxcsr;
  asm volatile("fnstsw %0" : "=m"(status) : : "memory");
  asm volatile("stmxcsr %0" : "=m"(mxcsr) : : "memory");
  return (status | mxcsr) & 0x3F;
}

// The x87 unit's flags alone: enough for an operation the x87 unit does by
// itself, since the SSE unit's flags cannot change during it.
inline unsigned PendingX87Flags() noexcept {
  std::uint16_t status;
  asm volatile("fnstsw %0" : "=a"(status) : : "memory");
  return status & 0x3F;
}

inline void ClearFloatErrors() noexcept {
  std::uint32_t mxcsr;
  asm volatile("fnclex" : : : "memory");
  asm volatile("stmxcsr %0" : "=m"(mxcsr) : : "memory");
  mxcsr &= ~0x3Fu;
  asm volatile("ldmxcsr %0" : : "m"(mxcsr) : "memory");
}

// Throws the error for the given flags; invalid operation first, then
// division by zero, then overflow.
[[noreturn]] void ThrowFloatError(unsigned flags);

// Raises the pending error, if any, and clears the flags before it does.
inline void RaiseFloatErrors() {
  if (unsigned flags = PendingFloatFlags() & kFlagErrors) {
    ClearFloatErrors();
    ThrowFloatError(flags);
  }
}

// Computes op(args...) between a clear and a test of the error flags.
template <class Op, class... Args> inline auto Checked(Op op, Args... args) {
  // A raised error is cleared as it leaves, so the error flags are almost
  // always clear already: looking at them costs far less than clearing.
  if (PendingFloatFlags() & kFlagErrors) ClearFloatErrors();
  (FloatBarrier(args), ...);
  auto result = op(args...);
  FloatBarrier(result);
  RaiseFloatErrors();
  return result;
}

// Checked for an operation of the x87 unit alone (arithmetic, stores): a
// flag the SSE unit holds from earlier code stays, and cannot fail it.
template <class Op, class... Args> inline auto CheckedX87(Op op, Args... args) {
  if (PendingX87Flags() & kFlagErrors) ClearFloatErrors();
  (FloatBarrier(args), ...);
  auto result = op(args...);
  FloatBarrier(result);
  if (unsigned flags = PendingX87Flags() & kFlagErrors) {
    ClearFloatErrors();
    ThrowFloatError(flags);
  }
  return result;
}

inline long double CheckedAdd(long double a, long double b) {
  return CheckedX87([](long double x, long double y) { return x + y; }, a, b);
}
inline long double CheckedSub(long double a, long double b) {
  return CheckedX87([](long double x, long double y) { return x - y; }, a, b);
}
inline long double CheckedMul(long double a, long double b) {
  return CheckedX87([](long double x, long double y) { return x * y; }, a, b);
}
inline long double CheckedDiv(long double a, long double b) {
  return CheckedX87([](long double x, long double y) { return x / y; }, a, b);
}

// The C library's long double functions: their argument reduction is exact.
inline long double CheckedSqrt(long double a) {
  return Checked([](long double x) { return sqrtl(x); }, a);
}
inline long double CheckedLn(long double a) {
  return Checked([](long double x) { return logl(x); }, a);
}
inline long double CheckedExp(long double a) {
  return Checked([](long double x) { return expl(x); }, a);
}
inline long double CheckedSin(long double a) {
  return Checked([](long double x) { return sinl(x); }, a);
}
inline long double CheckedCos(long double a) {
  return Checked([](long double x) { return cosl(x); }, a);
}
inline long double CheckedArcTan(long double a) {
  return Checked([](long double x) { return atanl(x); }, a);
}

// Rounds an extended value to double as a store does: a value beyond the
// double range raises EOverflow (e^710 fits extended but not double).
inline double StoreDouble(long double a) {
  return CheckedX87([](long double x) { return static_cast<double>(x); }, a);
}

// An operation and the store of its result to double between one clear and
// one test of the flags. An operation that raises an error gives an
// infinite or invalid result, whose store raises nothing more, so the error
// is the one two separate checks would raise.
//   CheckedAddStored(1e308, 1e308) -> EOverflow   (the store overflows)
//   CheckedDivStored(0, 0)         -> EInvalidOp  (the division fails)
inline double CheckedAddStored(long double a, long double b) {
  return CheckedX87([](long double x, long double y) { return static_cast<double>(x + y); }, a, b);
}
inline double CheckedSubStored(long double a, long double b) {
  return CheckedX87([](long double x, long double y) { return static_cast<double>(x - y); }, a, b);
}
inline double CheckedMulStored(long double a, long double b) {
  return CheckedX87([](long double x, long double y) { return static_cast<double>(x * y); }, a, b);
}
inline double CheckedDivStored(long double a, long double b) {
  return CheckedX87([](long double x, long double y) { return static_cast<double>(x / y); }, a, b);
}

// From this magnitude on, a store to double overflows: DBL_MAX plus half its
// last unit rounds to even, upward.
inline constexpr long double kDoubleOverflowFrom = 0x1.fffffffffffff8p1023L;

// StoreDouble of a finite value, told by its magnitude: the status flags are
// neither read nor cleared.
//   StoreFiniteDouble(0x1.fffffffffffff7ffp1023L) -> DBL_MAX
//   StoreFiniteDouble(0x1.fffffffffffff8p1023L)   -> EOverflow
inline double StoreFiniteDouble(long double a) {
  if (std::fabs(a) >= kDoubleOverflowFrom) throw EOverflow();
  return static_cast<double>(a);
}

// v rounded to a whole number in the x87 unit's current rounding mode (the
// process's: to nearest, ties to even) and stored as an integer, for
// |v| < 2^63. A conversion to an integer type cuts toward zero by switching
// the unit's control word, which stalls the unit about as long as a
// division; a label's layout and digits round thousands of times a pass.
//   RoundInCurrentMode(2.5) -> 2   RoundInCurrentMode(-7.5) -> -8   (to nearest)
inline std::int64_t RoundInCurrentMode(long double v) noexcept {
  std::int64_t n;
  asm("fistpll %0" : "=m"(n) : "t"(v) : "st");
  return n;
}

// Whether the x87 unit rounds to nearest, ties to even.
inline bool RoundsToNearest() noexcept {
  std::uint16_t control;
  asm volatile("fnstcw %0" : "=m"(control));
  return (control & 0x0C00) == 0;
}

// Rounds to the nearest integer, ties to even, as nearbyintl does in the
// process's rounding to nearest, but without the saving and restoring of the
// floating-point environment that costs nearbyintl most of its time: a
// drawing pass rounds the minor tick places of thousands of labels. Under
// another rounding mode the cut toward zero is exact and so is the fraction
// it leaves; beyond 2^62 and for NaN it is nearbyintl's own result.
//   RoundHalfEven(2.5) -> 2   RoundHalfEven(-3.5) -> -4   RoundHalfEven(0.49) -> 0
inline std::int64_t RoundHalfEven(long double v) noexcept {
  if (!(std::fabs(v) < 0x1p62L)) return static_cast<std::int64_t>(nearbyintl(v));
  if (RoundsToNearest()) return RoundInCurrentMode(v);
  const auto whole = static_cast<std::int64_t>(v);
  const long double fraction = v - static_cast<long double>(whole);
  const bool odd = (whole & 1) != 0;
  if (fraction > 0.5L || (fraction == 0.5L && odd)) return whole + 1;
  if (fraction < -0.5L || (fraction == -0.5L && odd)) return whole - 1;
  return whole;
}

// The fields of an extended value's 80-bit pattern.
struct TExtendedBits {
  std::uint64_t Mantissa; // 64 bits, the integer bit explicit
  unsigned Exponent;      // biased by 16383; 0 for zero and denormals, 0x7FFF for infinity and NaN
  bool Negative;          // the sign bit, set for -0 too
};

inline TExtendedBits ExtendedBits(long double v) noexcept {
  unsigned char bytes[sizeof(long double)];
  std::memcpy(bytes, &v, sizeof bytes);
  std::uint64_t mantissa;
  std::uint16_t signExponent;
  std::memcpy(&mantissa, bytes, 8);
  std::memcpy(&signExponent, bytes + 8, 2);
  return {mantissa, signExponent & 0x7FFFu, (signExponent & 0x8000u) != 0};
}

inline bool IsInfinity(const TExtendedBits& bits) noexcept {
  return bits.Exponent == 0x7FFF && bits.Mantissa == 0x8000000000000000u;
}

// Zero, a denormal or a normal number: not infinity, not NaN, and none of the
// patterns with a clear integer bit (unnormals, pseudo-infinities) that the
// x87 unit refuses as invalid operands.
inline bool IsFiniteNumber(const TExtendedBits& bits) noexcept {
  return bits.Exponent == 0 || (bits.Exponent != 0x7FFF && (bits.Mantissa >> 63) != 0);
}

// e2 with 2^e2 <= |v| < 2^(e2+1), for a finite non-zero value.
inline int BinaryExponent(const TExtendedBits& bits) noexcept {
  if (bits.Exponent != 0) return static_cast<int>(bits.Exponent) - 16383;
  return -16382 - std::countl_zero(bits.Mantissa);
}

} // namespace curvella
