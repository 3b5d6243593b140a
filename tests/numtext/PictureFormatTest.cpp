#include "numtext/PictureFormat.h"

#include <gtest/gtest.h>

#include <limits>

#include "numtext/Errors.h"
#include "support/RowName.h"

namespace curvella {
namespace {

// The bottom and right axes' picture, and the left and top axes' picture.
constexpr const char* kWide = "### ### ### ### ### ### ###.### ### ### ### ### ### ###";
constexpr const char* kGrouped = "#,##0.###";

// Sets the locale separators for one test and restores "." and "," after it.
class Separators {
public:
  Separators(char decimal, char thousand) {
    SetDecimalSeparator(decimal);
    SetThousandSeparator(thousand);
  }
  ~Separators() {
    SetDecimalSeparator('.');
    SetThousandSeparator(',');
  }
};

struct PictureRow {
  const char* Name;
  const char* Picture;
  long double Value;
  const char* Text;
};

class PictureTable : public testing::TestWithParam<PictureRow> {};

TEST_P(PictureTable, FormatsWithPointAndComma) {
  const Separators separators('.', ',');
  const PictureRow& row = GetParam();
  EXPECT_EQ(FormatPicture(row.Picture, row.Value), row.Text);
}

INSTANTIATE_TEST_SUITE_P(
    WindowPictures, PictureTable,
    testing::Values(
        PictureRow{"WideZeroIsTwelveBlanks", kWide, 0, "            "},
        PictureRow{"WideHalf", kWide, 0.5, "      .5      "},
        PictureRow{"WideNegative", kWide, -1.25, "-      1.25      "},
        PictureRow{"WideBinaryDigits", kWide, 1234567.891, "    1 234 567.891 000 000 06   "},
        PictureRow{"WideSmallRoundedAt21Decimals", kWide, 0.00001, "      .000 010 000 000 000 000 001"},
        PictureRow{"WideTwo", kWide, 2, "      2      "},
        PictureRow{"WideOneTenth", kWide, 0.1, "      .100 000 000 000 000 006 "},
        PictureRow{"WideThousand", kWide, 1000, "     1 000      "},
        PictureRow{"WideFourTenThousandths", kWide, 0.0004, "      .000 400 000 000 000 000 019"},
        PictureRow{"WideFiveTenThousandths", kWide, 0.0005, "      .000 500 000 000 000 000 01"},
        PictureRow{"WideTooLargeIsGeneral", kWide, 2e18, "2E18"}, PictureRow{"GroupedZero", kGrouped, 0, "0"},
        PictureRow{"GroupedHalf", kGrouped, 0.5, "0.5"},
        PictureRow{"GroupedNegative", kGrouped, -1.25, "-1.25"},
        PictureRow{"GroupedMillions", kGrouped, 1234567.891, "1,234,567.891"},
        PictureRow{"GroupedVanishes", kGrouped, 0.00001, "0"}, PictureRow{"GroupedTwo", kGrouped, 2, "2"},
        PictureRow{"GroupedOneTenth", kGrouped, 0.1, "0.1"},
        PictureRow{"GroupedThousand", kGrouped, 1000, "1,000"},
        PictureRow{"GroupedVanishesAtFourthDecimal", kGrouped, 0.0004, "0.000"},
        PictureRow{"GroupedRoundsUp", kGrouped, 0.0005, "0.001"},
        PictureRow{"GroupedTooLargeIsGeneral", kGrouped, 2e18, "2E18"},
        PictureRow{"GroupedNegativeVanishesWithoutSign", kGrouped, -0.00001, "0"},
        PictureRow{"GroupedNegativeZero", kGrouped, -0.0, "0"},
        PictureRow{"WideNegativeZero", kWide, -0.0, "            "},
        PictureRow{"GroupedJustBelowLimit", kGrouped, 999999999999999872.0, "999,999,999,999,999,872"},
        PictureRow{"GroupedRoundsToLimit", kGrouped, 999999999999999999.9L, "1E18"}),
    test::RowName());

INSTANTIATE_TEST_SUITE_P(
    OtherPictures, PictureTable,
    testing::Values(
        PictureRow{"TwoDecimals", "0.00", 3.14159, "3.14"},
        PictureRow{"TwoDecimalsRoundHalfUp", "0.00", 0.005, "0.01"},
        PictureRow{"NegativeSection", "0.00;(0.00);zero", -1.234, "(1.23)"},
        PictureRow{"ZeroSection", "0.00;(0.00);zero", 0, "zero"},
        PictureRow{"PositiveSection", "0.00;(0.00);zero", 1.5, "1.50"},
        PictureRow{"RoundedAwayTakesZeroSection", "0.00;(0.00);zero", -0.001, "zero"},
        PictureRow{"NegativeZeroRoundsToZeroSection", "0.00;(0.00);zero", -0.0, "zero"},
        PictureRow{"WholeGrouped", "#,##0", 1234567, "1,234,567"},
        PictureRow{"Scientific", "0.00E+00", 1234.5, "1.23E+03"},
        PictureRow{"ScientificNegativeExponent", "0.00E+00", 0.00012345, "1.23E-04"},
        PictureRow{"ScientificMinusSignOnlyWhenNegative", "0.###E-0", 1234.5, "1.235E3"},
        PictureRow{"ScientificZero", "0.00E+00", 0, "0.00E+00"},
        PictureRow{"ScientificLowerCase", "#.0e-000", 0.5, "5.0e-001"},
        PictureRow{"EmptyPictureIsGeneral", "", 2.5, "2.5"},
        PictureRow{"SurplusIntegerDigitsAtFirstPlaceholder", "0", 1234, "1234"},
        PictureRow{"ForcedZeros", "000.00", 1.5, "001.50"},
        PictureRow{"LiteralsBetweenPlaceholders", "0-0-0", 123, "1-2-3"},
        PictureRow{"LiteralsWrittenWithoutDigits", "#a#b0", 5, "ab5"},
        PictureRow{"SingleQuotes", "'#'0", 5, "#5"}, PictureRow{"DoubleQuotes", "0\" kg\"", 12, "12 kg"},
        PictureRow{"UnterminatedQuoteRunsToTheEnd", "0 \"abc;def", -5, "-5 abc;def"},
        PictureRow{"QuotedSemicolonDoesNotSplit", "0';';(0)", -5, "(5)"},
        PictureRow{"SecondPointIgnored", "0.0.0", 1.25, "1.25"},
        PictureRow{"CommaAnywhere", "0.0,0", 1234.5, "1,234.50"},
        PictureRow{"PercentIsLiteral", "0%", 50, "50%"},
        PictureRow{"EmptyNegativeSectionUsesFirst", "0.0;", -2, "-2.0"},
        PictureRow{"EmptyFirstSectionIsGeneral", ";(0)", 2.5, "2.5"},
        PictureRow{"EmptyFirstSectionNegative", ";(0)", -2.5, "(3)"},
        PictureRow{"ZeroSectionMissingUsesFirst", "0.0;(0.0)", 0, "0.0"},
        PictureRow{"FourthSectionIgnored", "0;(0);z;w", 0, "z"},
        PictureRow{"LetterEIsLiteralWithoutSign", "0 Ex", 3, "3 Ex"},
        PictureRow{"NoForcedDigitsKeepsVanishedDecimals", "#.##", 0.001, ".00"},
        PictureRow{"NoForcedDigitsZeroIsEmpty", "#.##", 0, ""},
        PictureRow{"VanishedValueTakesScientificZeroSection", "0.00;-0.00;0E+0", 0.001, "0E+0"},
        PictureRow{"VanishedValueTakesEmptyNegativeToFirst", ";(0)", -0.4, "-0.4"},
        PictureRow{"RoundedUpIntoTheIntegerPlace", ".0", 0.96, "1.0"},
        PictureRow{"ScientificWithoutPlaceholdersRoundsToOne", "E+00", 7, "E+02"},
        PictureRow{"ScientificWithoutPlaceholdersVanishes", "E+00", 3, "E+00"},
        PictureRow{"ScientificGrouped", "#,##0.00E+0", 1234567, "1,234.57E+3"},
        PictureRow{"QuotedSemicolonInFirstSection", "'a;b'0;x", -1, "x"},
        PictureRow{"NegativeZeroTakesZeroSection", "0;;z", -0.0, "z"},
        PictureRow{"InfinityIsGeneral", kGrouped, std::numeric_limits<long double>::infinity(), "INF"},
        PictureRow{"MinusInfinityIsGeneral", kGrouped, -std::numeric_limits<long double>::infinity(), "-INF"},
        PictureRow{"NotANumberIsGeneral", kGrouped, std::numeric_limits<long double>::quiet_NaN(), "NAN"}),
    test::RowName());

INSTANTIATE_TEST_SUITE_P(GeneralFormat, PictureTable,
                         testing::Values(PictureRow{"Zero", "", 0, "0"},
                                         PictureRow{"NegativeZero", "", -0.0, "0"},
                                         PictureRow{"Fraction", "", 123.45, "123.45"},
                                         PictureRow{"PaddedWithZeros", "", 1e14, "100000000000000"},
                                         PictureRow{"ScientificAbove15Digits", "", 1e15, "1E15"},
                                         PictureRow{"ScientificWithDecimals", "", -3.5e20, "-3.5E20"},
                                         PictureRow{"SmallestWithoutExponent", "", 0.0001, "0.0001"},
                                         PictureRow{"ScientificBelow", "", 0.00001, "1E-5"},
                                         PictureRow{"LeadingZeros", "", 0.00123, "0.00123"},
                                         PictureRow{"FifteenDigits", "", 1.0 / 3.0, "0.333333333333333"},
                                         PictureRow{"RoundedToFifteen", "", 2.0 / 3.0, "0.666666666666667"},
                                         PictureRow{"Tiny", "", 1e-300, "1E-300"}),
                         test::RowName());

TEST(PictureFormat, LocaleCommaAndBlank) {
  const Separators separators(',', ' ');
  EXPECT_EQ(FormatPicture(kGrouped, 1234567.891), "1 234 567,891");
  EXPECT_EQ(FormatPicture(kWide, 1234567.891), "    1 234 567,891 000 000 06   ");
  EXPECT_EQ(FormatPicture("", 2.5), "2,5");
}

TEST(PictureFormat, EmptyGroupingSymbolPrintsNoSeparator) {
  const Separators separators('.', '\0');
  EXPECT_EQ(FormatPicture(kGrouped, 1000), "1000");
  EXPECT_EQ(FormatPicture(kGrouped, 1234567.891), "1234567.891");
}

TEST(PictureFormat, NoBreakSpaceGrouping) {
  const Separators separators(',', '\xA0');
  EXPECT_EQ(FormatPicture(kGrouped, -12345.5), "-12\xA0"
                                               "345,5");
}

TEST(PictureFormat, PicturesOfMoreThan224CharactersAreRefused) {
  EXPECT_NO_THROW(FormatPicture(std::string(224, '#'), 1));
  try {
    FormatPicture(std::string(225, '#'), 1);
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Format string too long");
  }
}

TEST(PictureFormat, LongestOutputFitsTheWorkArea) {
  // 224 forced zeros with thousands separators print more than 256
  // characters: every one of them is kept.
  const std::string picture = "," + std::string(223, '0');
  const std::string text = FormatPicture(picture, 5);
  EXPECT_EQ(text.size(), 223u + 222u / 3u);
  EXPECT_EQ(text.back(), '5');
  EXPECT_EQ(text.substr(0, 4), "0,00");
}

struct RecordRow {
  const char* Name;
  long double Value;
  int Precision;
  int Decimals;
  const char* Digits;
  int Exponent;
  bool Negative;
};

class DecimalRecordTable : public testing::TestWithParam<RecordRow> {};

TEST_P(DecimalRecordTable, ConvertsAndRounds) {
  const RecordRow& row = GetParam();
  const TDecimalRecord r = DecimalRecord(row.Value, row.Precision, row.Decimals);
  EXPECT_EQ(std::string(r.Digits, r.DigitCount), row.Digits);
  EXPECT_EQ(r.Exponent, row.Exponent);
  EXPECT_EQ(r.Negative, row.Negative);
}

INSTANTIATE_TEST_SUITE_P(
    PictureFormat, DecimalRecordTable,
    testing::Values(
        RecordRow{"RoundsHalfUpAtThePoint", 1234.5, 18, 0, "1235", 4, false},
        RecordRow{"VanishesWithExponentKept", 0.0004, 18, 3, "", -3, false},
        RecordRow{"CutBeforeFirstDigitIsZero", 0.00001, 18, 3, "", 0, false},
        RecordRow{"CarryOutOfFirstDigit", 9.96, 18, 1, "1", 2, false},
        RecordRow{"NegativeKeepsSign", -0.25, 18, 2, "25", 0, true},
        RecordRow{"ZeroHasNoDigits", 0.0, 18, 3, "", 0, false},
        RecordRow{"NegativeZeroIsNotNegative", -0.0, 18, 3, "", 0, false},
        RecordRow{"EighteenBinaryDigits", 0.1, 18, kNoDecimalLimit, "100000000000000006", 0, false},
        RecordRow{"FifteenSignificant", 2.0 / 3.0, 15, kNoDecimalLimit, "666666666666667", 0, false},
        RecordRow{"EstimateOneShort", 0.00001, 18, kNoDecimalLimit, "100000000000000008", -4, false},
        RecordRow{"NoPrecisionRoundsToOne", 7.0, 0, kNoDecimalLimit, "1", 2, false},
        RecordRow{"NoPrecisionVanishes", 3.0, 0, kNoDecimalLimit, "", 1, false},
        RecordRow{"LargestDouble", 1.7976931348623157e308, 18, 0, "179769313486231571", 309, false},
        RecordRow{"ExtendedDenormalIsZero", 1e-4940L, 18, kNoDecimalLimit, "", 0, false},
        // For some negative binary exponents the estimate is one too high:
        // the 18 raw digits then start with a zero, which stays. (2^-877 *
        // 10^281 is 99241610332960956.6 exactly.)
        RecordRow{"EstimateOneTooHighKeepsLeadingZero", 0x1p-877L, 18, kNoDecimalLimit, "099241610332960957",
                  -263, false}),
    test::RowName());

TEST(DecimalRecord, MarksInfinityAndNotANumber) {
  const TDecimalRecord inf = DecimalRecord(-std::numeric_limits<long double>::infinity(), 18, 0);
  EXPECT_EQ(inf.Exponent, TDecimalRecord::kInfinity);
  EXPECT_TRUE(inf.Negative);
  EXPECT_EQ(DecimalRecord(std::numeric_limits<long double>::quiet_NaN(), 18, 0).Exponent,
            TDecimalRecord::kNotANumber);
}

} // namespace
} // namespace curvella
