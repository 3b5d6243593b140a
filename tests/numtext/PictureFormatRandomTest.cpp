// Picture formatting against an exact decimal reference from the C library's
// printf, over many values. Curvella reduces a value to 18 significant
// digits in extended precision before it rounds at the picture's last
// decimal place; the reference rounds the exact binary value once. Each
// difference allowed below is a value within the reduction's error of a tie.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "numtext/PictureFormat.h"

namespace curvella {
namespace {

constexpr int kSamples = 100000;

// |v| exactly, in fixed notation with 40 decimals (exact for these values
// down to 40 places).
std::string ExactFixed(long double v) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, "%.40Lf", std::fabs(v));
  return buffer;
}

// How far |v| lies from the nearest tie at the given decimal place, relative
// to |v|.
double RelativeDistanceToTie(long double v, int decimals) {
  const std::string fixed = ExactFixed(v);
  const std::size_t point = fixed.find('.');
  const double tail = std::strtod(("0." + fixed.substr(point + 1 + decimals)).c_str(), nullptr);
  return std::fabs(tail - 0.5) * std::pow(10.0, -decimals) / static_cast<double>(std::fabs(v));
}

std::string Grouped(const std::string& digits) {
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

// "#,##0.###" by exact rounding half away from zero.
std::string ReferenceGrouped(long double v) {
  char buffer[128];
  // The exact value to 40 decimals decides the rounding at 3.
  const std::string fixed = ExactFixed(v);
  const std::size_t point = fixed.find('.');
  std::string whole = fixed.substr(0, point) + fixed.substr(point + 1, 3);
  const bool up = fixed[point + 4] >= '5';
  // Add one to the last of the kept digits.
  if (up) {
    int i = static_cast<int>(whole.size()) - 1;
    while (i >= 0 && whole[i] == '9') whole[i--] = '0';
    if (i < 0)
      whole.insert(whole.begin(), '1');
    else
      ++whole[i];
  }
  std::string integer = whole.substr(0, whole.size() - 3);
  std::string decimals = whole.substr(whole.size() - 3);
  integer.erase(0, std::min(integer.find_first_not_of('0'), integer.size() - 1));
  while (!decimals.empty() && decimals.back() == '0') decimals.pop_back();
  if (integer == "0" && decimals.empty()) {
    // Vanished: "0.000" when it vanished only at the fourth decimal.
    return std::fabs(v) >= 1e-4L ? "0.000" : "0";
  }
  std::snprintf(buffer, sizeof buffer, "%s%s%s%s", std::signbit(v) ? "-" : "", Grouped(integer).c_str(),
                decimals.empty() ? "" : ".", decimals.c_str());
  return buffer;
}

TEST(PictureFormatRandom, GroupedPictureMatchesExactRoundingAwayFromTies) {
  std::mt19937_64 random(1208);
  std::uniform_real_distribution<double> exponent(-6, 15);
  for (int i = 0; i < kSamples; ++i) {
    const double magnitude = std::pow(10.0, exponent(random)) * (1 + (random() % 1000) / 1000.0);
    const double v = random() % 2 ? -magnitude : magnitude;
    const std::string ours = FormatPicture("#,##0.###", v);
    const std::string reference = ReferenceGrouped(v);
    if (ours == reference) continue;
    // 18 significant digits carry a relative error below 1e-17.
    ASSERT_LT(RelativeDistanceToTie(v, 3), 1e-17) << v << ": " << ours << " vs " << reference;
  }
}

TEST(PictureFormatRandom, GroupedPictureOfWholeThousandthsIsExact) {
  // Values that are exact multiples of 1/1000 lie away from every tie.
  std::mt19937_64 random(99);
  for (int i = 0; i < kSamples; ++i) {
    const auto thousandths = static_cast<std::int64_t>(random() % 2'000'000'000'000LL) - 1'000'000'000'000LL;
    const long double v = static_cast<long double>(thousandths) / 1000;
    ASSERT_EQ(FormatPicture("#,##0.###", v), ReferenceGrouped(v)) << thousandths;
  }
}

TEST(PictureFormatRandom, WidePictureShowsEighteenDigitsOfTheBinaryValue) {
  // From 0.0001 up the wide picture prints every one of the 18 significant
  // digits, including those of the double's binary approximation: read back
  // without its blanks, the text lies within one unit of the 18th digit of
  // the exact value, and always holds its twelve blanks.
  const char* wide = "### ### ### ### ### ### ###.### ### ### ### ### ### ###";
  std::mt19937_64 random(2026);
  std::uniform_real_distribution<double> exponent(-4, 17.9);
  for (int i = 0; i < kSamples; ++i) {
    const double v = std::pow(10.0, exponent(random)) * (random() % 2 ? -1 : 1);
    const std::string ours = FormatPicture(wide, v);
    std::string compact;
    int blanks = 0;
    for (char c : ours) {
      if (c == ' ')
        ++blanks;
      else
        compact += c;
    }
    ASSERT_EQ(blanks, 12) << ours;
    const long double read = strtold(compact.c_str(), nullptr);
    const long double unit =
        std::pow(10.0L, std::floor(std::log10(std::fabs(static_cast<long double>(v)))) - 17);
    ASSERT_LE(std::fabs(read - v), unit) << v << ": " << ours;
  }
}

TEST(PictureFormatRandom, ScientificPictureMatchesPrintfAwayFromTies) {
  std::mt19937_64 random(31);
  for (int i = 0; i < kSamples; ++i) {
    std::uint64_t bits = random();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    if (!std::isfinite(v) || v == 0 || std::fabs(v) < 1e-300) continue;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2E", v);
    std::string reference = buffer;
    // printf writes at least two exponent digits, so does "E+00".
    const std::string ours = FormatPicture("0.00E+00", v);
    if (ours == reference) continue;
    // Three significant digits: a tie lies where the digits after the third
    // are 5000...; 18 digits decide it.
    char exact[64];
    std::snprintf(exact, sizeof exact, "%.30e", std::fabs(v));
    const std::string digits(exact + 4, std::strchr(exact, 'e'));
    const double tail = std::strtod(("0." + digits).c_str(), nullptr);
    ASSERT_LT(std::fabs(tail - 0.5), 1e-13) << v << ": " << ours << " vs " << reference;
  }
}

} // namespace
} // namespace curvella
