#include "expr/ExpressionEvaluation.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "expr/ExpressionRewriting.h"
#include "numtext/Extended.h"
#include "numtext/NumberText.h"

namespace curvella {

namespace {

constexpr std::array<std::string_view, kOperationCount> kKeywords = {
    "sin",  "cos", "tan",  "ctn", "asn", "acs", "atn",  "act",    "sh",   "ch",   "th",
    "ctgh", "abs", "sqrt", "ln",  "exp", "pow", "mult", "divide", "plus", "minus"};

// The keyword that starts at text[p], if any; no keyword is a prefix of
// another, so at most one does.
int KeywordAt(std::string_view text, std::size_t p) {
  const std::string_view rest = text.substr(p);
  for (int op = 1; op <= kOperationCount; ++op) {
    if (rest.starts_with(kKeywords[op - 1])) return op;
  }
  return 0;
}

// Keywords begin with one of these letters; other characters are skipped at
// once.
constexpr std::array<bool, 256> kKeywordStart = [] {
  std::array<bool, 256> starts{};
  for (std::string_view k : kKeywords) starts[static_cast<unsigned char>(k[0])] = true;
  return starts;
}();

// Whole-number exponents of negative bases, by repeated squaring.
long double IntegerPower(long double base, unsigned long n) {
  long double result = 1;
  for (;;) {
    if (n & 1) result = CheckedMul(result, base);
    n >>= 1;
    if (n == 0) return result;
    base = CheckedMul(base, base);
  }
}

long double Power(long double l, long double r) {
  if (r == 0) return 1;
  if (l == 0) return 0;
  if (l < 0 && r == std::trunc(r) && std::fabs(r) <= 2147483647.0L) {
    const long double p = IntegerPower(l, static_cast<unsigned long>(std::fabs(r)));
    return r < 0 ? CheckedDiv(1, p) : p;
  }
  return CheckedExp(CheckedMul(r, CheckedLn(l))); // a negative base fails in the logarithm
}

// Sine and cosine are 0 from 2^63 on, where the argument loses every
// fractional digit.
constexpr long double kTwoTo63 = 9223372036854775808.0L;
long double Sine(long double l) { return std::fabs(l) >= kTwoTo63 ? 0 : CheckedSin(l); }
long double Cosine(long double l) { return std::fabs(l) >= kTwoTo63 ? 0 : CheckedCos(l); }

long double HalfPi() {
  static const long double halfPi = 2 * atanl(1.0L);
  return halfPi;
}

// arctan(l / sqrt(1 - l*l)), the arcsine.
long double ArcSineByTangent(long double l) {
  return CheckedArcTan(CheckedDiv(l, CheckedSqrt(CheckedSub(1, CheckedMul(l, l)))));
}

std::string WithoutParentheses(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c != '(' && c != ')') out += c;
  }
  return out;
}

} // namespace

std::string_view OperationKeyword(int operation) { return kKeywords[operation - 1]; }

TOccurrenceList FindOperations(std::string rewritten) {
  const std::string_view text = rewritten;
  std::vector<TOccurrence> occurrences;
  for (std::size_t p = 0; p < text.size(); ++p) {
    if (!kKeywordStart[static_cast<unsigned char>(text[p])]) continue;
    if (const int op = KeywordAt(text, p)) {
      if (static_cast<int>(occurrences.size()) == kMaxOperations) ThrowTooManyOperations();
      occurrences.push_back({op, p + 1, 0, false});
    }
  }
  // A call text ends at the first character from the one after its keyword
  // on at which the count of "(" and ")" is back to its value before that
  // character. Walking from the end, nextAt[c] is the nearest character seen
  // after which the count is c; the count moves by one at most, so it spans
  // -n..n.
  const std::size_t n = text.size();
  std::vector<long> depth(n + 1); // the count before each character
  for (std::size_t p = 0; p < n; ++p)
    depth[p + 1] = depth[p] + (text[p] == '(' ? 1 : text[p] == ')' ? -1 : 0);
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::vector<std::size_t> nextAt(2 * n + 1, kNone);
  std::size_t swept = n;
  for (auto o = occurrences.rbegin(); o != occurrences.rend(); ++o) {
    const std::size_t afterKeyword = o->Position - 1 + o->Keyword().size();
    std::size_t end = kNone;
    if (afterKeyword < n) {
      for (; swept > afterKeyword; --swept) nextAt[depth[swept] + n] = swept - 1;
      end = nextAt[depth[afterKeyword] + n];
    }
    o->Closed = end != kNone;
    o->CallLength = (end != kNone ? end + 1 : n) - (o->Position - 1);
  }
  return TOccurrenceList(std::move(rewritten), std::move(occurrences));
}

std::string_view CallText(std::string_view tail, std::string_view keyword) {
  int depth = 0;
  for (std::size_t j = keyword.size(); j < tail.size(); ++j) {
    if (tail[j] == '(')
      ++depth;
    else if (tail[j] == ')')
      --depth;
    if (depth == 0) return tail.substr(0, j + 1);
  }
  return tail;
}

std::string LeftOperandText(std::string_view callText, std::string_view keyword) {
  const std::string_view rest = callText.substr(std::min(keyword.size(), callText.size()));
  return WithoutParentheses(rest.substr(0, rest.find('&')));
}

std::string RightOperandText(std::string_view callText) {
  const std::size_t ampersand = callText.find('&');
  return WithoutParentheses(ampersand == std::string_view::npos ? callText : callText.substr(ampersand + 1));
}

double OperandValue(std::string_view text, double x) {
  if (text == "x") return x;
  return StoreDouble(TextToReal(text).Value);
}

double EvaluateOperation(int operation, double left, double right) {
  const long double l = left;
  const long double r = right;
  long double v = 0;
  switch (operation) {
  case kMult:
    return CheckedMulStored(l, r);
  case kDivide:
    return CheckedDivStored(l, r);
  case kPlus:
    return CheckedAddStored(l, r);
  case kMinus:
    return CheckedSubStored(l, r);
  case kSin:
    v = Sine(l);
    break;
  case kCos:
    v = Cosine(l);
    break;
  case kTan:
    v = CheckedDiv(Sine(l), Cosine(l));
    break;
  case kCtn:
    v = CheckedDiv(Cosine(l), Sine(l));
    break;
  case kAsn:
    v = ArcSineByTangent(l);
    break;
  case kAcs:
    v = CheckedAdd(HalfPi(), ArcSineByTangent(-l));
    break;
  case kAtn:
    v = CheckedArcTan(l);
    break;
  case kAct:
    v = CheckedAdd(HalfPi(), CheckedArcTan(l));
    break;
  case kSh:
  case kCh:
  case kTh:
  case kCtgh: {
    const long double up = CheckedExp(l);
    const long double down = CheckedExp(-l);
    if (operation == kSh)
      v = CheckedDiv(CheckedSub(up, down), 2);
    else if (operation == kCh)
      v = CheckedDiv(CheckedAdd(up, down), 2);
    else if (operation == kTh)
      v = CheckedDiv(CheckedSub(up, down), CheckedAdd(up, down));
    else
      v = CheckedDiv(CheckedAdd(up, down), CheckedSub(up, down));
    break;
  }
  case kAbs:
    v = std::fabs(l);
    break;
  case kSqrt:
    v = CheckedSqrt(l);
    break;
  case kLn:
    v = CheckedLn(l);
    break;
  case kExp:
    v = CheckedExp(l);
    break;
  case kPow:
    v = Power(l, r);
    break;
  }
  return StoreDouble(v);
}

} // namespace curvella
