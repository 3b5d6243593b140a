#pragma once

// The user's locale, as far as Curvella reads it: the decimal symbol and the
// digit-grouping symbol that axis labels print.
//
// Curvella's texts are single bytes in the Windows-1252 code page. The first
// character of each locale symbol becomes its Windows-1252 byte; a space-like
// character without one becomes the no-break space 0xA0; the decimal symbol
// is "." and the grouping symbol "," when the locale gives nothing at all (no
// such locale installed); an empty grouping symbol is character 0 (no
// thousands separator):
//
//   en_US.UTF-8  "."  ","        -> '.'  ','
//   de_DE.UTF-8  ","  "."        -> ','  '.'
//   de_CH.UTF-8  "."  U+2019     -> '.'  0x92
//   fr_FR.UTF-8  ","  U+202F     -> ','  0xA0
//   C, POSIX     "."  ""         -> '.'  0
//   not installed                -> '.'  ','
//
// The reading changes no locale of the process; reading the environment's
// locale also sets the process's LC_NUMERIC back to "C", so that no number
// parsing or printing of the C library follows the user's locale.

#include <optional>
#include <string_view>

namespace curvella {

struct TLocaleSeparators {
  char Decimal;  // the decimal symbol
  char Thousand; // the digit-grouping symbol; 0 for none
};

// The separators of the locale the environment names (LC_ALL, LC_NUMERIC,
// LANG), or of the named locale.
TLocaleSeparators ReadLocaleSeparators();
TLocaleSeparators ReadLocaleSeparators(const char* localeName);

// The separators from the locale's two symbols, as the C library gives them
// (UTF-8, or a single byte of a Latin-1 locale).
TLocaleSeparators SeparatorsFromSymbols(std::string_view decimalSymbol, std::string_view groupingSymbol);

// Whether the user's language is Japanese: the language part of the first
// set of LC_ALL, LC_MESSAGES and LANG (the chart's default font follows it):
//   ja_JP.UTF-8 -> yes   ja -> yes   ja_JP@cjk -> yes
//   jv_ID       -> no    C  -> no    ""        -> no
bool UserLanguageIsJapanese();
bool LocaleNameIsJapanese(std::string_view localeName);

// The Windows-1252 byte of a Unicode character, when it has one.
std::optional<char> Windows1252Byte(char32_t c);

// The Unicode character of a Windows-1252 byte (the five bytes the code page
// leaves unassigned stand for themselves).
char16_t Windows1252Character(char byte);

} // namespace curvella
