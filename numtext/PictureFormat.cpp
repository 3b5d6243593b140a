#include "numtext/PictureFormat.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "numtext/Errors.h"
#include "numtext/Extended.h"
#include "numtext/PowersOfTen.h"

namespace curvella {

namespace {

char g_decimalSeparator = '.';
char g_thousandSeparator = ',';

constexpr std::uint64_t kPow10_17 = 100'000'000'000'000'000ULL;
constexpr std::uint64_t kPow10_18 = 1'000'000'000'000'000'000ULL;

// The formatted text, built without allocation. A picture of at most 224
// characters writes at most 3 characters per picture character plus one
// group of up to 19 integer digits with their separators.
class TTextBuffer {
public:
  void Put(char c) {
    if (m_size < sizeof m_text) m_text[m_size++] = c;
  }
  void Put(std::string_view s) {
    for (char c : s) Put(c);
  }
  // The decimal digits of n, at least minDigits of them.
  void PutNumber(unsigned n, int minDigits = 1) {
    char digits[12];
    int count = 0;
    do {
      digits[count++] = static_cast<char>('0' + n % 10);
      n /= 10;
    } while (n != 0 || count < minDigits);
    while (count > 0) Put(digits[--count]);
  }
  std::string Text() const { return std::string(m_text, m_size); }

private:
  char m_text[1024];
  std::size_t m_size = 0;
};

void WriteGeneral(TTextBuffer& out, long double value) {
  const TDecimalRecord r = DecimalRecord(value, 15, kNoDecimalLimit);
  if (r.Exponent == TDecimalRecord::kInfinity) return out.Put(r.Negative ? "-INF" : "INF");
  if (r.Exponent == TDecimalRecord::kNotANumber) return out.Put("NAN");
  if (r.Negative) out.Put('-');
  const int e = r.Exponent;
  const int count = r.DigitCount;
  if (e > 15 || e < -3) {
    out.Put(r.Digits[0]);
    if (count > 1) {
      out.Put(g_decimalSeparator);
      out.Put(std::string_view(r.Digits + 1, count - 1));
    }
    out.Put('E');
    if (e - 1 < 0) out.Put('-');
    out.PutNumber(static_cast<unsigned>(std::abs(e - 1)));
  } else if (e <= 0) {
    out.Put('0');
    if (count > 0) {
      out.Put(g_decimalSeparator);
      for (int i = 0; i < -e; ++i) out.Put('0');
      out.Put(std::string_view(r.Digits, count));
    }
  } else {
    for (int i = 0; i < e; ++i) out.Put(i < count ? r.Digits[i] : '0');
    if (count > e) {
      out.Put(g_decimalSeparator);
      out.Put(std::string_view(r.Digits + e, count - e));
    }
  }
}

// The text between the quote at i and its closing quote, and the index just
// past it; a quote that is not closed runs to the end of the picture.
struct TQuoted {
  std::string_view Text;
  std::size_t Next;
};

TQuoted Quoted(std::string_view picture, std::size_t i) {
  const std::size_t close = picture.find(picture[i], i + 1);
  if (close == std::string_view::npos) return {picture.substr(i + 1), picture.size()};
  return {picture.substr(i + 1, close - i - 1), close + 1};
}

bool IsExponentMark(std::string_view picture, std::size_t i) {
  return (picture[i] == 'E' || picture[i] == 'e') && i + 1 < picture.size() &&
         (picture[i + 1] == '+' || picture[i + 1] == '-');
}

// The positive, negative and zero sections: where each starts, and whether
// it exists and holds anything.
class TSections {
public:
  explicit TSections(std::string_view picture) {
    m_start[0] = 0;
    m_count = 1;
    for (std::size_t i = 0; i < picture.size() && m_count <= 3;) {
      if (picture[i] == '"' || picture[i] == '\'') {
        i = Quoted(picture, i).Next;
      } else if (picture[i] == ';') {
        m_end[m_count - 1] = i;
        if (m_count < 3) m_start[m_count] = i + 1;
        ++m_count;
        ++i;
      } else {
        ++i;
      }
    }
    if (m_count <= 3) m_end[m_count - 1] = picture.size();
    m_count = std::min(m_count, 3);
  }

  // Section number 1, 2 or 3 exists and is not empty.
  bool Usable(int section) const { return section <= m_count && m_end[section - 1] > m_start[section - 1]; }
  std::size_t Start(int section) const { return m_start[section - 1]; }

private:
  std::size_t m_start[3] = {};
  std::size_t m_end[3] = {};
  int m_count = 0;
};

// What one scan of a section finds.
struct TSectionRecord {
  int DigitCount = 0;          // "#" and "0" placeholders
  int DecimalIndex = 0;        // placeholders before the first "."
  int ForcedIntegerDigits = 0; // integer places that always print a digit
  int ForcedDecimals = 0;      // decimal places that always print a digit
  bool Thousands = false;      // a "," outside quotes
  bool Scientific = false;     // E+ E- e+ e- outside quotes
};

TSectionRecord ScanSection(std::string_view picture, std::size_t start) {
  TSectionRecord s;
  int decimalIndex = -1;
  int firstZero = -1;
  int lastZero = -1;
  for (std::size_t i = start; i < picture.size() && picture[i] != ';';) {
    const char c = picture[i];
    if (c == '"' || c == '\'') {
      i = Quoted(picture, i).Next;
      continue;
    }
    if (IsExponentMark(picture, i)) {
      s.Scientific = true;
      for (i += 2; i < picture.size() && picture[i] == '0'; ++i) {
      }
      continue;
    }
    if (c == '0') {
      if (firstZero < 0) firstZero = s.DigitCount;
      lastZero = s.DigitCount;
    }
    if (c == '#' || c == '0')
      ++s.DigitCount;
    else if (c == '.' && decimalIndex < 0)
      decimalIndex = s.DigitCount;
    else if (c == ',')
      s.Thousands = true;
    ++i;
  }
  s.DecimalIndex = decimalIndex < 0 ? s.DigitCount : decimalIndex;
  if (firstZero >= 0) {
    s.ForcedIntegerDigits = std::max(0, s.DecimalIndex - firstZero);
    s.ForcedDecimals = std::max(0, lastZero - s.DecimalIndex + 1);
  }
  return s;
}

// Writes the digits of a record under one section, walking it once.
class TSectionWriter {
public:
  TSectionWriter(TTextBuffer& out, const TSectionRecord& section, const TDecimalRecord& record)
      : m_out(out), m_section(section), m_record(record) {
    if (section.Scientific) {
      m_place = section.DecimalIndex;
    } else {
      m_place = std::max<int>(record.Exponent, section.DecimalIndex);
      m_delta = record.Exponent - section.DecimalIndex;
    }
  }

  void Walk(std::string_view picture, std::size_t start) {
    for (std::size_t i = start; i < picture.size() && picture[i] != ';';) {
      const char c = picture[i];
      if (c == '#' || c == '0') {
        Placeholder();
        ++i;
      } else if (c == '.' || c == ',') {
        ++i;
      } else if (c == '"' || c == '\'') {
        const TQuoted quoted = Quoted(picture, i);
        m_out.Put(quoted.Text);
        i = quoted.Next;
      } else if (IsExponentMark(picture, i)) {
        m_out.Put(c);
        const bool plus = picture[i + 1] == '+';
        int zeros = 0;
        for (i += 2; i < picture.size() && picture[i] == '0'; ++i) ++zeros;
        Exponent(plus, zeros);
      } else {
        m_out.Put(c);
        ++i;
      }
    }
  }

private:
  void Placeholder() {
    if (m_delta == 0) {
      NextDigit();
    } else if (m_delta > 0) {
      for (int i = 0; i <= m_delta; ++i) NextDigit();
      m_delta = 0;
    } else {
      ++m_delta;
      if (m_place <= m_section.ForcedIntegerDigits)
        PutDigit('0');
      else
        --m_place;
    }
  }

  // The record's next digit; once they are used up, "0" down to the lowest
  // forced place and nothing below it.
  void NextDigit() {
    if (m_next < m_record.DigitCount)
      PutDigit(m_record.Digits[m_next++]);
    else if (m_place > -m_section.ForcedDecimals)
      PutDigit('0');
    else
      --m_place;
  }

  void PutDigit(char digit) {
    if (m_place == 0) m_out.Put(g_decimalSeparator);
    m_out.Put(digit);
    if (m_section.Thousands && m_place > 1 && m_place % 3 == 1 && g_thousandSeparator != 0) {
      m_out.Put(g_thousandSeparator);
    }
    --m_place;
  }

  void Exponent(bool plus, int zeros) {
    const int e = m_record.DigitCount == 0 ? 0 : m_record.Exponent - m_section.DecimalIndex;
    if (e < 0)
      m_out.Put('-');
    else if (plus)
      m_out.Put('+');
    m_out.PutNumber(static_cast<unsigned>(std::abs(e)), std::min(zeros, 4));
  }

  TTextBuffer& m_out;
  const TSectionRecord& m_section;
  const TDecimalRecord& m_record;
  int m_place = 0;
  int m_delta = 0;
  int m_next = 0;
};

// A picture's sections and the scan of each. Axis labels format many values
// under one picture in a row, so the last picture's layout is kept.
struct TPictureLayout {
  TSections Sections;
  TSectionRecord Scans[3];

  const TSectionRecord& Scan(int section) const { return Scans[section - 1]; }
};

const TPictureLayout& LayoutOf(std::string_view picture) {
  thread_local std::string lastPicture;
  thread_local TPictureLayout last{TSections(""), {}};
  thread_local bool valid = false;
  if (!valid || picture != lastPicture) {
    last.Sections = TSections(picture);
    for (int section = 1; section <= 3; ++section) {
      if (last.Sections.Usable(section)) {
        last.Scans[section - 1] = ScanSection(picture, last.Sections.Start(section));
      }
    }
    lastPicture.assign(picture);
    valid = true;
  }
  return last;
}

// Rounded in the current mode; only a value past 2^63 goes through rintl
// and the conversion's switch of the control word.
std::uint64_t RoundToInteger(long double v) {
  if (v < 0x1p63L) return static_cast<std::uint64_t>(RoundInCurrentMode(v));
  return static_cast<std::uint64_t>(rintl(v));
}

} // namespace

char DecimalSeparator() noexcept { return g_decimalSeparator; }
void SetDecimalSeparator(char separator) noexcept { g_decimalSeparator = separator; }
char ThousandSeparator() noexcept { return g_thousandSeparator; }
void SetThousandSeparator(char separator) noexcept { g_thousandSeparator = separator; }

TDecimalRecord DecimalRecord(long double value, int precision, int decimals) {
  TDecimalRecord r;
  const TExtendedBits bits = ExtendedBits(value);
  if (!IsFiniteNumber(bits)) {
    r.Exponent = IsInfinity(bits) ? TDecimalRecord::kInfinity : TDecimalRecord::kNotANumber;
    r.Negative = bits.Negative;
    return r;
  }
  if (bits.Exponent == 0) return r; // zero and denormals

  // 18 digits from the value scaled by a power of ten estimated from its
  // binary exponent; one digit too many when the estimate was one short.
  int x = ((BinaryExponent(bits) * 19728) >> 16) + 1;
  std::uint64_t n = RoundToInteger(ScaleByPowerOfTen(std::fabs(value), 18 - x));
  if (n >= kPow10_18) {
    n = RoundToInteger(static_cast<long double>(n) / 10);
    ++x;
    if (n >= kPow10_18) n = kPow10_17;
  }
  char raw[18];
  for (int i = 17; i >= 0; --i) {
    raw[i] = static_cast<char>('0' + n % 10);
    n /= 10;
  }

  long long cut = static_cast<long long>(x) + decimals;
  if (cut < 0) return r;
  cut = std::min<long long>(cut, std::min(precision, TDecimalRecord::kMaxDigits));
  int count = static_cast<int>(cut);
  if (cut < 18 && raw[cut] >= '5') {
    int j = count - 1;
    while (j >= 0 && raw[j] == '9') --j;
    if (j < 0) {
      raw[0] = '1';
      count = 1;
      ++x;
    } else {
      ++raw[j];
      count = j + 1;
    }
  }
  while (count > 0 && raw[count - 1] == '0') --count;

  r.Exponent = static_cast<std::int16_t>(x);
  r.DigitCount = static_cast<std::uint8_t>(count);
  r.Negative = count > 0 && bits.Negative;
  std::memcpy(r.Digits, raw, count);
  return r;
}

std::string FormatGeneral(long double value) {
  TTextBuffer out;
  WriteGeneral(out, value);
  return out.Text();
}

std::string FormatPicture(std::string_view picture, long double value) {
  if (picture.size() > kMaxPictureLength) throw EConvertError("Format string too long");

  const TPictureLayout& layout = LayoutOf(picture);
  const TSections& sections = layout.Sections;
  const bool negative = ExtendedBits(value).Negative;
  int section = value == 0 && !negative ? 3 : negative ? 2 : 1;
  if (!sections.Usable(section)) section = 1;
  if (!sections.Usable(section)) return FormatGeneral(value);

  const TSectionRecord* scan = &layout.Scan(section);
  const TDecimalRecord record = scan->Scientific ? DecimalRecord(value, scan->DigitCount, kNoDecimalLimit)
                                                 : DecimalRecord(value, TDecimalRecord::kMaxDigits,
                                                                 scan->DigitCount - scan->DecimalIndex);
  if (record.Exponent == TDecimalRecord::kInfinity || record.Exponent == TDecimalRecord::kNotANumber ||
      (!scan->Scientific && record.Exponent > 18)) {
    return FormatGeneral(value);
  }
  if (record.DigitCount == 0) {
    const int zeroSection = sections.Usable(3) ? 3 : 1;
    if (!sections.Usable(zeroSection)) return FormatGeneral(value);
    section = zeroSection;
    scan = &layout.Scan(section);
  }

  TTextBuffer out;
  if (record.Negative && section == 1) out.Put('-');
  TSectionWriter(out, *scan, record).Walk(picture, sections.Start(section));
  return out.Text();
}

} // namespace curvella
