#include "numtext/NumberText.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "numtext/Errors.h"
#include "numtext/Extended.h"
#include "numtext/PowersOfTen.h"

namespace curvella {

namespace {

constexpr std::uint64_t kPow10_14 = 100'000'000'000'000ULL;
constexpr std::uint64_t kPow10_15 = 1'000'000'000'000'000ULL;
constexpr std::uint64_t kPow10_18 = 1'000'000'000'000'000'000ULL;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void WriteRightAligned(std::span<char, kNumberTextLength> text, std::string_view word) {
  std::fill(text.begin(), text.end() - word.size(), ' ');
  std::copy(word.begin(), word.end(), text.end() - word.size());
}

} // namespace

namespace {

// The 15 significant digits of a finite value's number text, as a whole
// number (0, or from 10^14 to 10^15 - 1), and the exponent of its first.
struct TDecimalDigits {
  std::uint64_t Digits;
  int Exponent;
};

// From a finite value's magnitude and the binary exponent e2 of a non-zero
// one (2^e2 <= magnitude < 2^(e2+1)).
TDecimalDigits DecimalDigits(long double magnitude, int e2) noexcept {
  // Bring m into [1, 16) by powers of ten estimated from the binary exponent;
  // 1 <= m < 16 is exactly where the estimate is 0.
  long double m = magnitude;
  int exponent = 0;
  while (m != 0) {
    const int k = (e2 * 19728) >> 16;
    if (k == 0) break;
    m = ScaleByPowerOfTen(m, -k);
    exponent += k;
    if (m >= 1 && m < 16) break;
    if (m != 0) e2 = BinaryExponent(ExtendedBits(m));
  }

  // 18 digits, or 19 when m >= 10; the first 15 rounded half up by the next.
  std::uint64_t digits = 0;
  if (m != 0) {
    const std::uint64_t n = static_cast<std::uint64_t>(RoundInCurrentMode(m * kPow10Units[17]));
    // Constant divisors: the compiler multiplies instead of dividing.
    std::uint64_t next;
    if (n >= kPow10_18) {
      ++exponent;
      digits = n / 10000;
      next = n / 1000 % 10;
    } else {
      digits = n / 1000;
      next = n / 100 % 10;
    }
    if (next >= 5) ++digits;
    if (digits == kPow10_15) {
      digits = kPow10_14;
      ++exponent;
    }
  }
  return {digits, exponent};
}

long double ReadBack(TDecimalDigits decimal, bool negative) {
  // The reading takes the 15 digits as one whole number, 14 of them after
  // the point; the text's exponent has at most four digits.
  const long double scaled =
      ScaleByPowerOfTen(static_cast<long double>(decimal.Digits), decimal.Exponent - 14);
  if (std::isinf(scaled)) throw EOverflow();
  return negative ? -scaled : scaled;
}

} // namespace

void RealToText(long double value, std::span<char, kNumberTextLength> text) noexcept {
  const TExtendedBits bits = ExtendedBits(value);
  if (!IsFiniteNumber(bits)) {
    if (!IsInfinity(bits)) return WriteRightAligned(text, "Nan");
    return WriteRightAligned(text, bits.Negative ? "-Inf" : "+Inf");
  }

  auto [digits, exponent] = DecimalDigits(std::fabs(value), value == 0 ? 0 : BinaryExponent(bits));
  text[0] = bits.Negative ? '-' : ' ';
  for (int i = 16; i >= 3; --i) {
    text[i] = static_cast<char>('0' + digits % 10);
    digits /= 10;
  }
  text[2] = '.';
  text[1] = static_cast<char>('0' + digits);
  text[17] = 'E';
  text[18] = exponent < 0 ? '-' : '+';
  unsigned magnitude = exponent < 0 ? -exponent : exponent;
  for (int i = 22; i >= 19; --i) {
    text[i] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  }
}

long double NumberTextValue(long double value) {
  const TExtendedBits bits = ExtendedBits(value);
  // "+Inf", "-Inf" and "Nan" stop the reading at their letter, before any digit.
  if (!IsFiniteNumber(bits)) return 0;
  return ReadBack(DecimalDigits(std::fabs(value), value == 0 ? 0 : BinaryExponent(bits)), bits.Negative);
}

long double NumberTextValue(double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  const auto biased = static_cast<int>(bits >> 52 & 0x7FF);
  if (biased == 0x7FF) return 0;
  const std::uint64_t fraction = bits & ((1ULL << 52) - 1);
  // A subnormal double is a normal extended value: its exponent is that of
  // its leading bit.
  const int e2 = biased != 0 ? biased - 1023 : fraction == 0 ? 0 : -1011 - std::countl_zero(fraction);
  return ReadBack(DecimalDigits(std::fabs(static_cast<long double>(value)), e2), bits >> 63 != 0);
}

std::string RealToText(long double value) {
  std::string text(kNumberTextLength, ' ');
  RealToText(value, std::span<char, kNumberTextLength>(text.data(), kNumberTextLength));
  return text;
}

namespace {

// The digit accumulator A = A*10 + digit: exact in 64-bit integers while the
// result fits, extended arithmetic (each step rounded) beyond.
class TDigitAccumulator {
public:
  void Take(char digit) {
    const unsigned d = static_cast<unsigned>(digit - '0');
    if (!m_extended && m_whole <= (UINT64_MAX - 9) / 10) {
      m_whole = m_whole * 10 + d;
      return;
    }
    if (!m_extended) {
      m_value = static_cast<long double>(m_whole);
      m_extended = true;
    }
    m_value *= 10;
    m_value += d;
    if (std::isinf(m_value)) throw EOverflow();
  }
  long double Value() const { return m_extended ? m_value : static_cast<long double>(m_whole); }

private:
  std::uint64_t m_whole = 0;
  long double m_value = 0;
  bool m_extended = false;
};

} // namespace

TTextReading<long double> TextToReal(std::string_view text) {
  const int length = static_cast<int>(text.size());
  if (length == 0) return {0, 1};

  int i = 0;
  while (i < length && text[i] == ' ') ++i;
  bool negative = false;
  if (i < length && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == length) return {0, length + 1};

  TDigitAccumulator a;
  for (; i < length && IsDigit(text[i]); ++i) a.Take(text[i]);
  long long decimals = 0;
  if (i < length && text[i] == '.') {
    for (++i; i < length && IsDigit(text[i]); ++i, ++decimals) a.Take(text[i]);
  }

  // The exponent saturates far beyond the range in which scaling gives
  // anything but infinity or zero.
  constexpr long long kExponentCap = 1'000'000'000;
  long long exponent = 0;
  if (i < length && (text[i] == 'E' || text[i] == 'e')) {
    ++i;
    bool negativeExponent = false;
    if (i < length && (text[i] == '+' || text[i] == '-')) negativeExponent = text[i++] == '-';
    if (i == length) return {a.Value(), length + 1};
    if (!IsDigit(text[i])) return {a.Value(), i + 1};
    for (; i < length && IsDigit(text[i]); ++i) {
      exponent = std::min(exponent * 10 + (text[i] - '0'), kExponentCap);
    }
    if (negativeExponent) exponent = -exponent;
  }
  if (i < length) return {a.Value(), i + 1};

  const long long n = exponent - decimals;
  const int power = static_cast<int>(std::clamp<long long>(n, -kPowerOfTenLimit, kPowerOfTenLimit));
  long double value = ScaleByPowerOfTen(a.Value(), power);
  if (power < kPowerOfTenLimit && std::isinf(value)) throw EOverflow();
  return {negative ? -value : value, 0};
}

TTextReading<std::int32_t> TextToInt(std::string_view text) noexcept {
  const int length = static_cast<int>(text.size());
  const auto pattern = [](std::uint32_t v) { return static_cast<std::int32_t>(v); };
  if (length == 0) return {0, 1};

  int i = 0;
  while (i < length && text[i] == ' ') ++i;
  bool negative = false;
  if (i < length && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

  std::uint32_t value = 0;
  const bool zeroX = i + 1 < length && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X');
  if (zeroX || (i < length && (text[i] == '$' || text[i] == 'x' || text[i] == 'X'))) {
    i += zeroX ? 2 : 1;
    if (i == length) return {0, length + 2};
    for (; i < length; ++i) {
      const char c = text[i];
      unsigned d;
      if (IsDigit(c))
        d = c - '0';
      else if (c >= 'A' && c <= 'F')
        d = c - 'A' + 10;
      else if (c >= 'a' && c <= 'f')
        d = c - 'a' + 10;
      else
        return {pattern(value), i + 1};
      if (value > 0x0FFFFFFFu) return {pattern(value), i + 1};
      value = value * 16 + d;
    }
    return {pattern(negative ? 0u - value : value), 0};
  }

  if (i == length) return {0, length + 1};
  for (; i < length; ++i) {
    if (!IsDigit(text[i]) || value > 214748364u) return {pattern(value), i + 1};
    value = value * 10 + static_cast<unsigned>(text[i] - '0');
  }
  if (value > (negative ? 2147483648u : 2147483647u)) return {pattern(value), length + 1};
  return {pattern(negative ? 0u - value : value), 0};
}

} // namespace curvella
