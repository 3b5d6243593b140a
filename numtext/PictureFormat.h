#pragma once

// Picture number formatting: the text of every axis label.
//
// FormatPicture(picture, value) prints value under a picture of up to three
// sections separated by ";" (positive; negative; zero). In a section "#" and
// "0" are digit placeholders ("0" forces a digit), the first "." marks the
// decimal point, a "," anywhere switches on thousands separators, E+ E- e+ e-
// followed by zeros make a scientific section, text in single or double
// quotes is written as it stands, and every other character is written
// unchanged. "." and "," only mark places: the characters printed are the
// process-wide DecimalSeparator() and ThousandSeparator() (character 0: no
// thousands separator). Values are reduced to 18 significant digits in
// extended precision, then rounded half away from zero at the last decimal
// placeholder. Values of 10^18 and more, infinities and NaN, and an empty
// section print in the general format: 15 significant digits.
//
// With the separators "." and ",":
//   ("#,##0.###", 1234567.891)   -> "1,234,567.891"
//   ("#,##0.###", 0.0004)        -> "0.000"
//   ("#,##0.###", 0.0005)        -> "0.001"
//   ("### ### ### ### ### ### ###.### ### ### ### ### ### ###", 0.1)
//                                -> "      .100 000 000 000 000 006 "
//   ("0.00;(0.00);zero", -1.234) -> "(1.23)"
//   ("0.00;(0.00);zero", 0)      -> "zero"
//   ("0.00E+00", 1234.5)         -> "1.23E+03"
//   ("", 2.5)                    -> "2.5"
//   ("#,##0.###", 2e18)          -> "2E18"
//   a picture of more than 224 characters -> EConvertError "Format string too long"

#include <cstdint>
#include <string>
#include <string_view>

namespace curvella {

inline constexpr std::size_t kMaxPictureLength = 224;

// The locale's separators, set at start-up and on a change of the regional
// settings; "." and "," until then.
char DecimalSeparator() noexcept;
void SetDecimalSeparator(char separator) noexcept;
char ThousandSeparator() noexcept;
void SetThousandSeparator(char separator) noexcept;

std::string FormatPicture(std::string_view picture, long double value);

// The value in the general format: 15 significant digits; "INF", "-INF",
// "NAN".
std::string FormatGeneral(long double value);

// A value as decimal digits, the intermediate form of the formatting.
struct TDecimalRecord {
  static constexpr std::int16_t kInfinity = 0x7FFF;
  static constexpr std::int16_t kNotANumber = -0x8000;
  static constexpr int kMaxDigits = 18;

  std::int16_t Exponent = 0; // digits before the decimal point: 0.5 -> 0, 1234.5 -> 4
  bool Negative = false;
  std::uint8_t DigitCount = 0;  // 0 for zero and for a value rounded away
  char Digits[kMaxDigits] = {}; // significant digits, no trailing zeros
};

// Unlimited decimal places for DecimalRecord.
inline constexpr int kNoDecimalLimit = 0x7FFF;

// The value with at most `precision` significant digits (at most 18),
// rounded after `decimals` decimal places.
//   (1234.5, 18, 0) -> digits "1235", exponent 4
//   (0.0004, 18, 3) -> no digits, exponent -3
//   (0, ...)        -> no digits, exponent 0
TDecimalRecord DecimalRecord(long double value, int precision, int decimals);

} // namespace curvella
