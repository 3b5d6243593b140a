#include "platform/Locale.h"

#include <clocale>
#include <cstdlib>
#include <locale.h>

namespace curvella {

namespace {

constexpr TLocaleSeparators kNoLocale = {'.', ','};
constexpr char kNoBreakSpace = static_cast<char>(0xA0);

// The characters that Windows-1252 puts at 0x80 to 0x9F; 0 where it has none.
constexpr char16_t kWindows1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                           0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool IsSpaceLike(char32_t c) {
  return c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F || c == 0x3000;
}

// The first character of a symbol: UTF-8 when its bytes form a UTF-8
// sequence, otherwise its first byte read as Latin-1.
std::optional<char32_t> FirstCharacter(std::string_view symbol) {
  if (symbol.empty()) return std::nullopt;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(symbol[i]); };
  const unsigned lead = byte(0);
  const int length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 1;
  if (length == 1 || lead > 0xF4 || symbol.size() < static_cast<std::size_t>(length)) return lead;
  char32_t c = lead & (0x7F >> length);
  for (int i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return lead;
    c = (c << 6) | (byte(i) & 0x3F);
  }
  return c;
}

char SymbolByte(std::string_view symbol, char fallback, char empty) {
  const std::optional<char32_t> c = FirstCharacter(symbol);
  if (!c) return empty;
  if (const std::optional<char> b = Windows1252Byte(*c)) return *b;
  return IsSpaceLike(*c) ? kNoBreakSpace : fallback;
}

} // namespace

std::optional<char> Windows1252Byte(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (int i = 0; i < 32; ++i) {
    if (kWindows1252High[i] != 0 && kWindows1252High[i] == c) return static_cast<char>(0x80 + i);
  }
  return std::nullopt;
}

char16_t Windows1252Character(char byte) {
  const auto b = static_cast<unsigned char>(byte);
  if (b >= 0x80 && b < 0xA0 && kWindows1252High[b - 0x80] != 0) return kWindows1252High[b - 0x80];
  return b;
}

TLocaleSeparators SeparatorsFromSymbols(std::string_view decimalSymbol, std::string_view groupingSymbol) {
  return {SymbolByte(decimalSymbol, kNoLocale.Decimal, kNoLocale.Decimal),
          SymbolByte(groupingSymbol, kNoLocale.Thousand, '\0')};
}

TLocaleSeparators ReadLocaleSeparators(const char* localeName) {
  const locale_t locale = newlocale(LC_ALL_MASK, localeName, locale_t{});
  if (locale == locale_t{}) return kNoLocale;
  // localeconv reads the thread's locale; switch this thread only, briefly.
  const locale_t previous = uselocale(locale);
  const lconv* conventions = localeconv();
  const TLocaleSeparators separators =
      SeparatorsFromSymbols(conventions->decimal_point, conventions->thousands_sep);
  uselocale(previous);
  freelocale(locale);
  return separators;
}

TLocaleSeparators ReadLocaleSeparators() {
  // The window toolkit takes the whole locale from the environment when it
  // starts; the C library's number reading and printing stay in "C".
  std::setlocale(LC_NUMERIC, "C");
  return ReadLocaleSeparators("");
}

bool LocaleNameIsJapanese(std::string_view localeName) {
  const std::string_view language = localeName.substr(0, localeName.find_first_of("_.@"));
  return language == "ja";
}

bool UserLanguageIsJapanese() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return LocaleNameIsJapanese(value);
  }
  return false;
}

} // namespace curvella
