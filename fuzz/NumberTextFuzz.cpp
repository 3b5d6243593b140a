// The number-text conversions and picture formatting on any input: no crash,
// only their own errors, 23-character number texts that read back exactly,
// their values read without the text, and picture outputs within the
// formatting's work area.
//
// Input: one byte choosing the separators, ten bytes of an extended value
// (any pattern, unnormals and NaNs included), then a text read as a number
// and used as a picture.

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "numtext/Extended.h"
#include "numtext/NumberText.h"
#include "numtext/PictureFormat.h"

namespace curvella {
namespace {

constexpr std::size_t kMaxFormatted = 1024;
const char kSeparators[] = {'.', ',', ' ', '\xA0', '\'', 0, '0', '#'};

[[noreturn]] void Fail(const std::string& what, std::string_view text) {
  std::fprintf(stderr, "%s\ntext: \"%.*s\"\n", what.c_str(), static_cast<int>(text.size()), text.data());
  std::abort();
}

// A finite double printed and read back: the same text again, and the same
// double unless the text lies beyond the double range (the largest doubles
// print as 1.79769313486232E+0308, which is above it).
void CheckRoundTrip(double value) {
  if (!std::isfinite(value)) return;
  const std::string text = RealToText(value);
  const TTextReading<long double> read = TextToReal(text);
  if (read.ErrorPosition != 0) Fail("a number text did not read whole", text);
  if (RealToText(read.Value) != text) Fail("read back as " + RealToText(read.Value), text);
  // Below the normal range a double has fewer than 15 digits to give back.
  if (std::fabs(value) < DBL_MIN) return;
  double stored = 0;
  try {
    stored = StoreDouble(read.Value);
  } catch (const EOverflow&) {
    if (std::fabs(read.Value) <= DBL_MAX) Fail("overflow storing a value within the double range", text);
    return;
  }
  if (RealToText(stored) != text) Fail("stored as " + RealToText(stored), text);
}

// A result read back as its value without its text: the bits its text
// reads as, or the same overflow. Unnormal patterns print as "Nan", and
// their value reads as 0 like any text without digits.
template <class T> void CheckValueWithoutText(T value) {
  const std::string text = RealToText(value);
  long double read = 0;
  try {
    read = TextToReal(text).Value;
  } catch (const EOverflow&) {
    try {
      NumberTextValue(value);
    } catch (const EOverflow&) {
      return;
    }
    Fail("NumberTextValue missed the overflow", text);
  }
  const long double fast = NumberTextValue(value);
  if (std::memcmp(&fast, &read, 10) != 0) Fail("NumberTextValue differs from the text's value", text);
}

} // namespace
} // namespace curvella

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  curvella::SetFloatingPointMode();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace curvella;
  if (size < 11) return -1;
  SetDecimalSeparator(kSeparators[data[0] & 7]);
  SetThousandSeparator(kSeparators[(data[0] >> 3) & 7]);
  long double raw = 0;
  std::memcpy(&raw, data + 1, 10);
  const std::string_view text(reinterpret_cast<const char*>(data + 11), size - 11);

  const std::string printed = RealToText(raw);
  if (printed.size() != kNumberTextLength) Fail("RealToText gave " + printed, text);
  // Whatever the pattern, the double it rounds to (invalid patterns give NaN
  // quietly: every exception is masked).
  CheckRoundTrip(static_cast<double>(raw));
  CheckValueWithoutText(raw);
  CheckValueWithoutText(static_cast<double>(raw));
  double fromText = 0;
  std::memcpy(&fromText, data + 3, sizeof fromText);
  CheckRoundTrip(fromText);
  // Whole numbers read back as written.
  std::int32_t whole = 0;
  std::memcpy(&whole, data + 1, sizeof whole);
  const TTextReading<std::int32_t> wholeRead = TextToInt(std::to_string(whole));
  if (wholeRead.Value != whole || wholeRead.ErrorPosition != 0) Fail("TextToInt", std::to_string(whole));

  long double read = 0;
  try {
    const TTextReading<long double> reading = TextToReal(text);
    if (reading.ErrorPosition < 0 || static_cast<std::size_t>(reading.ErrorPosition) > text.size() + 2)
      Fail("TextToReal error position " + std::to_string(reading.ErrorPosition), text);
    read = reading.Value;
  } catch (const EOverflow&) {
  }
  const TTextReading<std::int32_t> integer = TextToInt(text);
  if (integer.ErrorPosition < 0 || static_cast<std::size_t>(integer.ErrorPosition) > text.size() + 2)
    Fail("TextToInt error position " + std::to_string(integer.ErrorPosition), text);

  for (const long double value : {raw, read, static_cast<long double>(integer.Value)}) {
    try {
      const std::string formatted = FormatPicture(text, value);
      if (formatted.size() > kMaxFormatted)
        Fail("formatted " + std::to_string(formatted.size()) + " characters", text);
    } catch (const EConvertError& e) {
      if (e.Message() != "Format string too long" || text.size() <= kMaxPictureLength)
        Fail("FormatPicture refused with \"" + e.Message() + "\"", text);
    }
  }
  return 0;
}
