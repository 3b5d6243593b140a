#pragma once

// Conversions between numbers and the number text that carries every value
// Curvella reads from an edit box or a point file and every intermediate
// result of an expression. They ignore the user's locale: the decimal point is
// always ".", there is no thousands separator, the exponent letter is "E" or
// "e".
//
// RealToText gives 23 characters: a blank or "-", one digit, ".", 14 digits,
// "E", the exponent's sign and four exponent digits; 15 significant digits,
// the 15th rounded half up from the product of the value and a power of ten
// formed in extended precision.
//
//   0          -> " 0.00000000000000E+0000"
//   -0         -> "-0.00000000000000E+0000"
//   0.5        -> " 5.00000000000000E-0001"
//   -1234.5    -> "-1.23450000000000E+0003"
//   2/3        -> " 6.66666666666667E-0001"
//   9.999999999999999 -> " 1.00000000000000E+0001"
//   4.94e-324  -> " 4.94065645841247E-0324"
//   +inf, -inf, NaN -> "+Inf", "-Inf", "Nan" right-aligned in 23 characters
//
// TextToReal and TextToInt return the value and the 1-based position of the
// first character they could not use, 0 when the whole text was used. On an
// error the value is what was accumulated up to that point: for TextToReal
// the digits read as one whole number (no sign, point or exponent), for
// TextToInt the 32-bit pattern without the sign.
//
//   TextToReal("-1.5e3")   -> -1500, 0        TextToReal("")        -> 0, 1
//   TextToReal(".")        -> 0, 0            TextToReal("-")       -> 0, 2
//   TextToReal("E5")       -> 0, 0            TextToReal("1,5")     -> 1, 2
//   TextToReal("1e")       -> 1, 3            TextToReal("2.5x")    -> 25, 4
//   TextToReal("1e9999")   -> +inf, 0         TextToReal("1e-9999") -> 0, 0
//   TextToReal("1e5000")   -> EOverflow: the scaling leaves the extended range
//   TextToInt("$10")       -> 16, 0           TextToInt("7 ")       -> 7, 2
//   TextToInt("99999999999") -> 999999999, 10
//   TextToInt("2147483648")  -> -2147483648, 11

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace curvella {

inline constexpr std::size_t kNumberTextLength = 23;

// A value read from text and the position of the first character not used.
template <class T> struct TTextReading {
  T Value;           // the value, or what was accumulated before the error
  int ErrorPosition; // 1-based position of the first unused character; 0: none
};

void RealToText(long double value, std::span<char, kNumberTextLength> text) noexcept;
std::string RealToText(long double value);

// The value TextToReal reads back from RealToText(value), without writing
// the text: the same 15 rounded digits scaled by the same power of ten.
//   NumberTextValue(2.0L / 3) -> TextToReal(" 6.66666666666667E-0001")
//   NumberTextValue(-0.0L)    -> -0
//   NumberTextValue(+inf), NumberTextValue(NaN) -> +0 (the reading stops at
//                               the letter, before any digit)
long double NumberTextValue(long double value);
// The same for a double, whose exponent is read from its bits.
long double NumberTextValue(double value);

// Throws EOverflow when the scaling by the exponent leaves the extended range
// (an exponent between about 4933 and 5119), or when more than about 4900
// digits overflow the accumulator.
TTextReading<long double> TextToReal(std::string_view text);

TTextReading<std::int32_t> TextToInt(std::string_view text) noexcept;

} // namespace curvella
