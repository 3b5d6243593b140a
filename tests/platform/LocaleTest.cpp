#include "platform/Locale.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "support/RowName.h"

namespace curvella {
namespace {

struct SymbolRow {
  const char* Name;
  const char* Decimal;
  const char* Grouping;
  char ExpectedDecimal;
  char ExpectedThousand;
};

class SymbolTable : public testing::TestWithParam<SymbolRow> {};

TEST_P(SymbolTable, BecomeWindows1252Bytes) {
  const SymbolRow& row = GetParam();
  const TLocaleSeparators s = SeparatorsFromSymbols(row.Decimal, row.Grouping);
  EXPECT_EQ(s.Decimal, row.ExpectedDecimal);
  EXPECT_EQ(s.Thousand, row.ExpectedThousand);
}

INSTANTIATE_TEST_SUITE_P(Locale, SymbolTable,
                         testing::Values(SymbolRow{"PointComma", ".", ",", '.', ','},
                                         SymbolRow{"CommaPoint", ",", ".", ',', '.'},
                                         SymbolRow{"EmptyGroupingIsNone", ".", "", '.', '\0'},
                                         SymbolRow{"EmptyDecimalIsPoint", "", ",", '.', ','},
                                         SymbolRow{"Blank", ",", " ", ',', ' '},
                                         SymbolRow{"NarrowNoBreakSpace", ",", "\u202F", ',', '\xA0'},
                                         SymbolRow{"NoBreakSpace", ",", "\u00A0", ',', '\xA0'},
                                         SymbolRow{"ThinSpace", ",", "\u2009", ',', '\xA0'},
                                         SymbolRow{"RightQuote", ".", "\u2019", '.', '\x92'},
                                         SymbolRow{"Apostrophe", ".", "'", '.', '\''},
                                         SymbolRow{"OnlyFirstCharacter", ".,", ",.", '.', ','},
                                         SymbolRow{"Latin1Byte", "\xB7", "\xA0", '\xB7', '\xA0'},
                                         SymbolRow{"ArabicDecimalHasNoByte", "\u066B", "\u066C", '.', ','}),
                         test::RowName());

struct LocaleRow {
  const char* Name;
  const char* Locale;
  char Decimal;
  char Thousand;
};

class InstalledLocaleTable : public testing::TestWithParam<LocaleRow> {};

// The install script generates these locales.
TEST_P(InstalledLocaleTable, ReadsTheLocalesSymbols) {
  const LocaleRow& row = GetParam();
  const TLocaleSeparators s = ReadLocaleSeparators(row.Locale);
  EXPECT_EQ(s.Decimal, row.Decimal);
  EXPECT_EQ(s.Thousand, row.Thousand);
}

INSTANTIATE_TEST_SUITE_P(Locale, InstalledLocaleTable,
                         testing::Values(LocaleRow{"C", "C", '.', '\0'},
                                         LocaleRow{"Posix", "POSIX", '.', '\0'},
                                         LocaleRow{"English", "en_US.UTF-8", '.', ','},
                                         LocaleRow{"German", "de_DE.UTF-8", ',', '.'},
                                         LocaleRow{"Swiss", "de_CH.UTF-8", '.', '\x92'},
                                         LocaleRow{"French", "fr_FR.UTF-8", ',', '\xA0'},
                                         LocaleRow{"NotInstalled", "xx_YY.UTF-8", '.', ','}),
                         test::RowName());

TEST(Locale, ReadsTheEnvironmentsLocaleAndKeepsNumbersInTheCLocale) {
  // As the window toolkit does at start-up: the whole locale from the
  // environment.
  ::setenv("LC_ALL", "de_DE.UTF-8", 1);
  ASSERT_NE(std::setlocale(LC_ALL, ""), nullptr);
  const TLocaleSeparators s = ReadLocaleSeparators();
  ::unsetenv("LC_ALL");
  EXPECT_EQ(s.Decimal, ',');
  EXPECT_EQ(s.Thousand, '.');
  EXPECT_EQ(std::string(std::setlocale(LC_NUMERIC, nullptr)), "C");
  EXPECT_EQ(std::string(std::setlocale(LC_CTYPE, nullptr)), "de_DE.UTF-8");
  EXPECT_EQ(std::strtod("2.5", nullptr), 2.5);
  std::setlocale(LC_ALL, "C");
}

struct LanguageRow {
  const char* Name;
  const char* LocaleName;
  bool Japanese;
};

class LanguageTable : public testing::TestWithParam<LanguageRow> {};

TEST_P(LanguageTable, JapaneseIsTheLanguagePartJa) {
  EXPECT_EQ(LocaleNameIsJapanese(GetParam().LocaleName), GetParam().Japanese);
}

INSTANTIATE_TEST_SUITE_P(Locale, LanguageTable,
                         testing::Values(LanguageRow{"JapanUtf8", "ja_JP.UTF-8", true},
                                         LanguageRow{"LanguageOnly", "ja", true},
                                         LanguageRow{"Modifier", "ja_JP@cjk", true},
                                         LanguageRow{"Javanese", "jv_ID", false},
                                         LanguageRow{"JapaneseNamedInFull", "japanese", false},
                                         LanguageRow{"C", "C", false}, LanguageRow{"Empty", "", false}),
                         test::RowName());

TEST(Locale, UserLanguageComesFromTheFirstSetVariable) {
  ::unsetenv("LC_ALL");
  ::setenv("LC_MESSAGES", "", 1);
  ::setenv("LANG", "ja_JP.UTF-8", 1);
  EXPECT_TRUE(UserLanguageIsJapanese()) << "an empty variable counts as unset";
  ::setenv("LC_MESSAGES", "en_US.UTF-8", 1);
  EXPECT_FALSE(UserLanguageIsJapanese());
  ::setenv("LC_ALL", "ja_JP.UTF-8", 1);
  EXPECT_TRUE(UserLanguageIsJapanese());
  ::unsetenv("LC_ALL");
  ::unsetenv("LC_MESSAGES");
  ::unsetenv("LANG");
  EXPECT_FALSE(UserLanguageIsJapanese());
}

} // namespace
} // namespace curvella
