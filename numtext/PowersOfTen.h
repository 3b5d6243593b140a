#pragma once

// The power-of-ten product shared by the number-text conversions.
//
// ScaleByPowerOfTen(v, n) scales v by 10^n with up to three multiplications,
// each rounded to the 64-bit mantissa: by 10^(n mod 32), then (if not 1) by
// 10^(32*((n div 32) mod 16)), then (if not 1) by 10^(512*(n div 512)). For a
// negative n the same factors for |n| divide instead. The factors are the
// extended values nearest to the powers of ten.
//
//   ScaleByPowerOfTen(1.5, 2)      -> 150
//   ScaleByPowerOfTen(1, 5119)     -> beyond the extended range: +inf, with
//                                     the overflow flag raised
//   ScaleByPowerOfTen(v, 5120)     -> +inf for any v, 0 included
//   ScaleByPowerOfTen(v, -5120)    -> 0 for any v

namespace curvella {

inline constexpr int kPowerOfTenLimit = 5120;

// Extended values nearest to 10^0 .. 10^31, 10^0, 10^32 .. 10^480 in steps of
// 32, and 10^0, 10^512 .. 10^4608 in steps of 512.
extern const long double kPow10Units[32];
extern const long double kPow10Tens[16];
extern const long double kPow10Hundreds[10];

inline long double ScaleByPowerOfTen(long double v, int n) {
  if (n >= kPowerOfTenLimit) return __builtin_infl();
  if (n <= -kPowerOfTenLimit) return 0.0L;
  const unsigned a = n < 0 ? -static_cast<unsigned>(n) : static_cast<unsigned>(n);
  const unsigned tens = (a / 32) % 16;
  const unsigned hundreds = a / 512;
  if (n >= 0) {
    v *= kPow10Units[a % 32];
    if (tens != 0) v *= kPow10Tens[tens];
    if (hundreds != 0) v *= kPow10Hundreds[hundreds];
  } else {
    v /= kPow10Units[a % 32];
    if (tens != 0) v /= kPow10Tens[tens];
    if (hundreds != 0) v /= kPow10Hundreds[hundreds];
  }
  return v;
}

} // namespace curvella
