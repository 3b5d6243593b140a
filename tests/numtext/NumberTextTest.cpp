#include "numtext/NumberText.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

#include "numtext/Errors.h"
#include "numtext/PowersOfTen.h"
#include "support/RowName.h"

namespace curvella {
namespace {

constexpr long double kInf = std::numeric_limits<long double>::infinity();

struct RealToTextRow {
  const char* Name;
  long double Value;
  const char* Text;
};

class RealToTextTable : public testing::TestWithParam<RealToTextRow> {};

TEST_P(RealToTextTable, WritesTheFixedLayout) {
  const RealToTextRow& row = GetParam();
  EXPECT_EQ(RealToText(row.Value), row.Text);
}

INSTANTIATE_TEST_SUITE_P(
    NumberText, RealToTextTable,
    testing::Values(
        RealToTextRow{"Zero", 0.0L, " 0.00000000000000E+0000"},
        RealToTextRow{"NegativeZero", -0.0L, "-0.00000000000000E+0000"},
        RealToTextRow{"Half", 0.5L, " 5.00000000000000E-0001"},
        RealToTextRow{"Two", 2.0L, " 2.00000000000000E+0000"},
        RealToTextRow{"Twelve", 12.0L, " 1.20000000000000E+0001"},
        RealToTextRow{"Negative", -1234.5L, "-1.23450000000000E+0003"},
        RealToTextRow{"OneTenth", 0.1, " 1.00000000000000E-0001"},
        RealToTextRow{"TwoThirds", 2.0 / 3.0, " 6.66666666666667E-0001"},
        RealToTextRow{"Pi", M_PI, " 3.14159265358979E+0000"},
        RealToTextRow{"SixteenDigits", 12.345678901234567, " 1.23456789012346E+0001"},
        RealToTextRow{"CarryThroughAllDigits", 9.999999999999999, " 1.00000000000000E+0001"},
        RealToTextRow{"Tiny", 1e-300, " 1.00000000000000E-0300"},
        RealToTextRow{"LargestDouble", DBL_MAX, " 1.79769313486232E+0308"},
        RealToTextRow{"SmallestDouble", std::numeric_limits<double>::denorm_min(), " 4.94065645841247E-0324"},
        RealToTextRow{"PlusInfinity", kInf, "                   +Inf"},
        RealToTextRow{"MinusInfinity", -kInf, "                   -Inf"},
        RealToTextRow{"NotANumber", std::numeric_limits<long double>::quiet_NaN(), "                    Nan"},
        // Extended values beyond the double range keep four exponent digits.
        RealToTextRow{"LargestExtended", LDBL_MAX, " 1.18973149535723E+4932"},
        RealToTextRow{"SmallestExtended", LDBL_TRUE_MIN, " 3.64519953188247E-4951"},
        RealToTextRow{"SevenAndAHalf", 7.5L, " 7.50000000000000E+0000"},
        RealToTextRow{"MinusOneAndAQuarter", -1.25L, "-1.25000000000000E+0000"}),
    test::RowName());

struct TextToRealRow {
  const char* Name;
  const char* Text;
  long double Value;
  int Position;
};

class TextToRealTable : public testing::TestWithParam<TextToRealRow> {};

TEST_P(TextToRealTable, ReadsValueAndPosition) {
  const TextToRealRow& row = GetParam();
  const TTextReading<long double> r = TextToReal(row.Text);
  EXPECT_EQ(r.Value, row.Value);
  EXPECT_EQ(std::signbit(r.Value), std::signbit(row.Value));
  EXPECT_EQ(r.ErrorPosition, row.Position);
}

INSTANTIATE_TEST_SUITE_P(
    NumberText, TextToRealTable,
    testing::Values(
        TextToRealRow{"Zero", "0", 0, 0}, TextToRealRow{"LeadingBlank", " 2.5", 2.5L, 0},
        TextToRealRow{"SignAndExponent", "-1.5e3", -1500, 0},
        TextToRealRow{"BlanksSignedExponent", "  -0.25E+0001", -2.5L, 0},
        TextToRealRow{"NumberText", " 7.50000000000000E-0001", 0.75L, 0},
        TextToRealRow{"NoIntegerDigits", ".5", 0.5L, 0}, TextToRealRow{"NoDecimals", "5.", 5, 0},
        TextToRealRow{"PointAlone", ".", 0, 0}, TextToRealRow{"ExponentAlone", "E5", 0, 0},
        TextToRealRow{"Empty", "", 0, 1}, TextToRealRow{"Letter", "x", 0, 1},
        TextToRealRow{"SignAlone", "-", 0, 2}, TextToRealRow{"SignLetter", "-x", 0, 2},
        TextToRealRow{"TwoSigns", "+-1", 0, 2}, TextToRealRow{"Comma", "1,5", 1, 2},
        TextToRealRow{"TrailingBlank", "-3 ", 3, 3}, TextToRealRow{"ExponentWithoutDigits", "1e", 1, 3},
        TextToRealRow{"DigitsAfterPointKept", "2.5x", 25, 4},
        TextToRealRow{"ExponentSignThenLetter", "12.5e+x", 125, 7}, TextToRealRow{"BlanksOnly", "   ", 0, 4},
        TextToRealRow{"ExponentSignAtEnd", "1e+", 1, 4}, TextToRealRow{"PointThenExponentLetter", ".e", 0, 3},
        TextToRealRow{"PointInExponent", "1e1.5", 1, 4}, TextToRealRow{"SignPointExponent", "+.e1", 0, 0},
        TextToRealRow{"DecimalsThenLetter", "-.5e-3x", 5, 7}, TextToRealRow{"NegativeZero", "-0", -0.0L, 0},
        TextToRealRow{"HugeExponentIsInfinity", "1e9999", kInf, 0},
        TextToRealRow{"ZeroWithHugeExponentIsInfinity", "0e9999", kInf, 0},
        TextToRealRow{"NegativeHugeExponent", "-1e9999", -kInf, 0},
        TextToRealRow{"TinyExponentIsZero", "1e-9999", 0, 0},
        TextToRealRow{"ExponentBeyondAnyInteger", "1e99999999999999999999", kInf, 0},
        TextToRealRow{"NegativeExponentBeyondAnyInteger", "2e-99999999999999999999", 0, 0},
        // 1e400 is 10^16 * 10^384, rounded once.
        TextToRealRow{"BeyondDoubleRangeFitsExtended", "1e400", kPow10Units[16] * kPow10Tens[12], 0},
        TextToRealRow{"NineteenDigitsExact", "9999999999999999999", 9999999999999999999.0L, 0},
        // The twentieth digit is taken in extended arithmetic, rounded.
        TextToRealRow{"TwentyDigitsRounded", "99999999999999999999", 1e20L, 0}),
    test::RowName());

TEST(TextToReal, ScalingBeyondTheExtendedRangeOverflows) {
  for (const char* text : {"1e4933", "1e5000", "-7e5119", "0.1e5120"}) {
    EXPECT_THROW(TextToReal(text), EOverflow) << text;
  }
  EXPECT_NO_THROW(TextToReal("1e4932"));
  EXPECT_EQ(TextToReal("0e5000").Value, 0);
  // With the limit reached, the result is infinity and nothing overflows.
  EXPECT_EQ(TextToReal("1e5120").Value, kInf);
}

TEST(TextToReal, ThousandsOfDigitsOverflowTheAccumulator) {
  EXPECT_THROW(TextToReal(std::string(5000, '9')), EOverflow);
  EXPECT_NO_THROW(TextToReal("0." + std::string(5000, '0') + "1"));
}

TEST(TextToReal, OverflowMessageIsTheSystemsText) {
  try {
    TextToReal("1e5000");
    FAIL() << "no overflow";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Floating point overflow");
  }
}

// 80-bit patterns with a clear integer bit are no numbers to the x87 unit.
long double FromBits(std::uint64_t mantissa, std::uint16_t signExponent) {
  long double v = 0;
  unsigned char bytes[sizeof v] = {};
  std::memcpy(bytes, &mantissa, 8);
  std::memcpy(bytes + 8, &signExponent, 2);
  std::memcpy(&v, bytes, sizeof v);
  return v;
}

TEST(RealToText, PatternsThatAreNoNumbersPrintAsNan) {
  EXPECT_EQ(RealToText(FromBits(0x4000000000000000u, 0x4100)), "                    Nan");
  EXPECT_EQ(RealToText(FromBits(1, 0x3000)), "                    Nan");
  EXPECT_EQ(RealToText(FromBits(0, 0x7FFF)), "                    Nan"); // pseudo-infinity
}

TEST(NumberText, ReadingBackKeepsFifteenSignificantDigits) {
  const double value = 0.1 + 0.2; // 0.30000000000000004
  const std::string text = RealToText(value);
  EXPECT_EQ(text, " 3.00000000000000E-0001");
  EXPECT_EQ(static_cast<double>(TextToReal(text).Value), 0.3);
  EXPECT_NE(static_cast<double>(TextToReal(text).Value), value);
}

TEST(NumberText, TextsWrittenOneAfterAnotherStaySeparated) {
  for (long double v : {1.0L, 1e300L, 3e-5L, 123456.0L}) {
    const std::string text = RealToText(v);
    EXPECT_EQ(text.size(), kNumberTextLength);
    EXPECT_EQ(text[0], ' ');
  }
}

struct TextToIntRow {
  const char* Name;
  const char* Text;
  std::int32_t Value;
  int Position;
};

class TextToIntTable : public testing::TestWithParam<TextToIntRow> {};

TEST_P(TextToIntTable, ReadsValueAndPosition) {
  const TextToIntRow& row = GetParam();
  const TTextReading<std::int32_t> r = TextToInt(row.Text);
  EXPECT_EQ(r.Value, row.Value);
  EXPECT_EQ(r.ErrorPosition, row.Position);
}

INSTANTIATE_TEST_SUITE_P(
    NumberText, TextToIntTable,
    testing::Values(TextToIntRow{"Plain", "100", 100, 0}, TextToIntRow{"LeadingBlank", " 7", 7, 0},
                    TextToIntRow{"TrailingBlank", "7 ", 7, 2}, TextToIntRow{"Negative", "-5", -5, 0},
                    TextToIntRow{"NegativeThenLetter", "-5x", 5, 3}, TextToIntRow{"Decimals", "50.5", 50, 3},
                    TextToIntRow{"Exponent", "1e3", 1, 2}, TextToIntRow{"Dollar", "$10", 16, 0},
                    TextToIntRow{"ZeroX", "0x10", 16, 0}, TextToIntRow{"Letters", "abc", 0, 1},
                    TextToIntRow{"TooManyDigits", "99999999999", 999999999, 10},
                    TextToIntRow{"JustAboveLargest", "2147483648", INT32_MIN, 11},
                    TextToIntRow{"Largest", "2147483647", INT32_MAX, 0},
                    TextToIntRow{"Smallest", "-2147483648", INT32_MIN, 0}, TextToIntRow{"Empty", "", 0, 1},
                    TextToIntRow{"SignAlone", "-", 0, 2}, TextToIntRow{"BlanksOnly", "  ", 0, 3},
                    TextToIntRow{"HexAllOnes", "$FFFFFFFF", -1, 0},
                    TextToIntRow{"HexLowerCase", "xff", 255, 0}, TextToIntRow{"HexUpperX", "0XaB", 171, 0},
                    TextToIntRow{"HexNegated", "-$10", -16, 0}, TextToIntRow{"HexPrefixAlone", "$", 0, 3},
                    TextToIntRow{"ZeroXAlone", "0x", 0, 4}, TextToIntRow{"HexBadDigit", "$1G", 1, 3},
                    TextToIntRow{"HexTooLong", "$123456789", 0x12345678, 10}, TextToIntRow{"Zero", "0", 0, 0},
                    TextToIntRow{"LeadingZeros", "007", 7, 0}),
    test::RowName());

} // namespace
} // namespace curvella
