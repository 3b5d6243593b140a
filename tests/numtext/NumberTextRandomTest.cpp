// The number-text conversions against the C library's long double printf and
// strtold, over many values. The C library rounds exactly; Curvella's
// conversions round through extended products, and each difference allowed
// below is one that arithmetic explains.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "numtext/Errors.h"
#include "numtext/NumberText.h"

namespace curvella {
namespace {

constexpr int kSamples = 200000;

double RandomFiniteDouble(std::mt19937_64& random) {
  for (;;) {
    const std::uint64_t bits = random();
    double d;
    std::memcpy(&d, &bits, sizeof d);
    if (std::isfinite(d)) return d;
  }
}

// The exact decimal expansion of v with 31 significant digits, as
// (digits, decimal exponent of the first digit).
std::pair<std::string, int> ExactDigits(long double v) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.30Le", std::fabs(v));
  std::string digits = std::string(1, buffer[0]) + std::string(buffer + 2, 30);
  return {digits, std::atoi(std::strchr(buffer, 'e') + 1)};
}

// The 23-character layout of the C library's correctly rounded %.14Le.
std::string LibraryText(long double v) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.14Le", std::fabs(v));
  const int exponent = std::atoi(std::strchr(buffer, 'e') + 1);
  char text[32];
  std::snprintf(text, sizeof text, "%c%.16sE%c%04d", std::signbit(v) ? '-' : ' ', buffer,
                exponent < 0 ? '-' : '+', std::abs(exponent));
  return text;
}

// Where the digits after the 15th lie, in units of the 15th digit: 0.5 is
// the tie between rounding down and up.
double TailAfterFifteenDigits(const std::string& digits) {
  return std::strtod(("0." + digits.substr(15)).c_str(), nullptr);
}

TEST(NumberTextRandom, RealToTextMatchesTheLibraryAwayFromTies) {
  std::mt19937_64 random(20261208);
  int nearTies = 0;
  for (int i = 0; i < kSamples; ++i) {
    const double value = RandomFiniteDouble(random);
    const std::string ours = RealToText(value);
    const std::string library = LibraryText(value);
    if (ours == library) continue;
    // The 16th digit decides from a product of 18 or 19 digits formed in
    // extended precision, so only values within a thousandth of the 15th
    // digit's unit from the tie may round the other way.
    const double tail = TailAfterFifteenDigits(ExactDigits(value).first);
    ASSERT_LT(std::fabs(tail - 0.5), 1e-3) << value << ": " << ours << " vs " << library;
    ++nearTies;
  }
  EXPECT_LT(nearTies, kSamples / 100);
}

TEST(NumberTextRandom, RealToTextOfSmallIntegersIsExact) {
  std::mt19937_64 random(7);
  for (int i = 0; i < kSamples; ++i) {
    const auto n = static_cast<std::int64_t>(random() % 1'000'000'000'000'000LL) - 500'000'000'000'000LL;
    ASSERT_EQ(RealToText(static_cast<long double>(n)), LibraryText(static_cast<long double>(n))) << n;
  }
}

long double UlpDistance(long double a, long double b) {
  if (a == b) return 0;
  return std::fabs(a - b) / (nextafterl(std::fabs(b), HUGE_VALL) - std::fabs(b));
}

TEST(NumberTextRandom, TextToRealOfNumberTextIsWithinTwoUlpsOfStrtold) {
  // A 15-digit whole number is exact; the power-of-ten product rounds up to
  // three times, and the tables' factors carry half an ulp each.
  std::mt19937_64 random(42);
  for (int i = 0; i < kSamples; ++i) {
    const std::string text = RealToText(RandomFiniteDouble(random));
    const TTextReading<long double> ours = TextToReal(text);
    ASSERT_EQ(ours.ErrorPosition, 0) << text;
    const long double library = strtold(text.c_str(), nullptr);
    ASSERT_LE(UlpDistance(ours.Value, library), 2) << text;
  }
}

TEST(NumberTextRandom, TextToRealOfFreeFormTextIsWithinThreeUlpsOfStrtold) {
  // Up to 19 digits before and after the point, exponents up to 4900: the
  // accumulator stays exact and the product rounds at most three times.
  std::mt19937_64 random(4242);
  const auto digits = [&](int count) {
    std::string s;
    for (int k = 0; k < count; ++k) s += static_cast<char>('0' + random() % 10);
    return s;
  };
  for (int i = 0; i < kSamples; ++i) {
    const int integerDigits = static_cast<int>(random() % 10);
    const int decimalDigits = static_cast<int>(random() % (20 - integerDigits));
    std::string text = std::string(random() % 3, ' ') + (random() % 2 ? "-" : "") + digits(integerDigits) +
                       "." + digits(decimalDigits);
    if (random() % 2)
      text += (random() % 2 ? "e" : "E") + std::to_string(static_cast<int>(random() % 9800) - 4900);
    const TTextReading<long double> ours = TextToReal(text);
    ASSERT_EQ(ours.ErrorPosition, 0) << text;
    const long double library = strtold(text.c_str(), nullptr);
    ASSERT_LE(UlpDistance(ours.Value, library), 3) << text;
  }
}

// Reading a result back as its value must give the bits its text gives,
// for doubles of every exponent, extended values near both ends of their
// range, and the texts that are no numbers.
TEST(NumberTextRandom, NumberTextValueIsTheValueItsTextReadsAs) {
  // Doubles go through the overload that reads their exponent from the bits.
  const auto expectSame = [](auto v) {
    const std::string text = RealToText(v);
    long double read;
    try {
      read = TextToReal(text).Value;
    } catch (const EOverflow&) {
      EXPECT_THROW(NumberTextValue(v), EOverflow) << text;
      return;
    }
    const long double fast = NumberTextValue(v);
    EXPECT_EQ(std::memcmp(&fast, &read, 10), 0) << text;
  };
  std::mt19937_64 random(16);
  for (int i = 0; i < kSamples; ++i) expectSame(RandomFiniteDouble(random));
  for (int i = 0; i < 2000; ++i) {
    long double v = 0;
    std::uint64_t mantissa = random() | (1ULL << 63);
    const std::uint16_t signExponent = static_cast<std::uint16_t>(random() % 0x7FFF);
    std::memcpy(&v, &mantissa, 8);
    std::memcpy(reinterpret_cast<char*>(&v) + 8, &signExponent, 2);
    expectSame(v);
  }
  for (double v : {0.0, -0.0, DBL_MIN, -DBL_TRUE_MIN, 0x1p-1060, DBL_MAX, 15.999999999999998, 16.0, 0.1,
                   HUGE_VAL, -HUGE_VAL, std::nan("")}) {
    expectSame(v);
  }
  for (long double v : {0.0L, -0.0L, 1.0L, -1.0L, 9.999999999999995L, 0.5L, LDBL_MAX, -LDBL_MAX, LDBL_MIN,
                        LDBL_TRUE_MIN, static_cast<long double>(DBL_MAX),
                        static_cast<long double>(DBL_TRUE_MIN), HUGE_VALL, -HUGE_VALL, std::nanl("")}) {
    expectSame(v);
  }
}

} // namespace
} // namespace curvella
