#include "ReferenceRewriting.h"

#include <algorithm>
#include <array>
#include <optional>
#include <unordered_map>
#include <vector>

#include "expr/ExpressionRewriting.h"

namespace curvella::test {

namespace {

// Characters that stop or steer a scan; every other character is part of an
// operand, so the scans skip runs of them in a tight loop.
constexpr std::array<bool, 256> kScanStops = [] {
  std::array<bool, 256> stops{};
  for (unsigned char c : {'(', ')', '+', '-', '*', '/'}) stops[c] = true;
  return stops;
}();

bool IsScanStop(char c) { return kScanStops[static_cast<unsigned char>(c)]; }

// One pass over the text, with a budget of splices shared by all passes.
class TOperatorPass {
public:
  TOperatorPass(std::string text, char op, std::string_view keyword, int& splicesLeft)
      : m_text(std::move(text)), m_op(op), m_keyword(keyword), m_splicesLeft(splicesLeft) {}

  std::string Run() {
    // Indices are 0-based here; the walk goes on over the grown text.
    for (std::size_t i = 0; i < m_text.size(); ++i) {
      if (m_text[i] != m_op) continue;
      if (i > 0 && (m_text[i - 1] == '&' || m_text[i - 1] == '(')) continue; // a sign
      Splice(i);
    }
    return std::move(m_text);
  }

private:
  void Splice(std::size_t i) {
    const std::size_t length = m_text.size();

    // Right scan: up to a delimiter at depth 0 or an unmatched ")".
    std::size_t rightEnd = 0; // 1-based position of the right end; 0: none
    bool closing = false;
    std::size_t rightLast = i; // last character of the right operand
    int depth = 0;
    for (std::size_t j = i + 1; j < length; ++j) {
      const char c = m_text[j];
      if (IsScanStop(c)) {
        if (c == '(') {
          ++depth;
        } else if (c == ')') {
          if (--depth < 0) {
            closing = true;
            rightEnd = j + 1;
            break;
          }
        } else if (depth == 0 && !(c == '-' && j == i + 1)) {
          rightEnd = j + 1;
          break;
        }
      }
      rightLast = j;
      if (depth == 0 && j == length - 1) rightEnd = j + 1;
    }
    if (rightEnd == 0) {
      throw EExpressionError(std::string("Incomplete expression after \"") + m_op +
                             "\": an operand or \")\" is missing");
    }

    // Left scan: back to a delimiter at depth 0 or an unmatched "(".
    std::size_t leftStart = 0; // 1-based position of the left start; 0: none
    std::size_t leftFirst = i; // first character of the left operand
    bool opening = false;
    depth = 0;
    for (std::size_t j = i; j-- > 0;) {
      const char c = m_text[j];
      if (IsScanStop(c)) {
        if (c == ')') {
          ++depth;
        } else if (c == '(') {
          if (--depth < 0) {
            opening = true;
            leftStart = j + 1;
            break;
          }
        } else if (c == '-' && j == 0) {
          leftFirst = 0; // the sign of the left operand
          leftStart = 1;
          break;
        } else if (depth == 0) {
          leftStart = j + 1;
          break;
        }
      }
      leftFirst = j;
      if (depth == 0 && j == 0) leftStart = 1;
    }

    if (--m_splicesLeft < 0) ThrowTooManyOperations();

    std::string spliced;
    spliced.reserve(length + m_keyword.size() + 2);
    if (leftStart >= 2)
      spliced.append(m_text, 0, leftStart);
    else if (leftStart == 1 && opening)
      spliced += '(';
    spliced.append(m_keyword);
    spliced += '(';
    spliced.append(m_text, leftFirst, i - leftFirst);
    spliced += '&';
    spliced.append(m_text, i + 1, rightLast - i);
    spliced += ')';
    if (rightEnd == length) {
      if (closing) spliced += ')';
    } else {
      spliced.append(m_text, rightEnd - 1);
    }
    m_text = std::move(spliced);
  }

  std::string m_text;
  char m_op;
  std::string_view m_keyword;
  int& m_splicesLeft;
};

std::string PassWithBudget(std::string_view text, char op, std::string_view keyword, int& splicesLeft) {
  return TOperatorPass(std::string(text), op, keyword, splicesLeft).Run();
}

// The keyword that starts at text[p], if any; no keyword is a prefix of
// another, so at most one does.
int KeywordAt(std::string_view text, std::size_t p) {
  const std::string_view rest = text.substr(p);
  for (int op = 1; op <= kOperationCount; ++op) {
    if (rest.starts_with(OperationKeyword(op))) return op;
  }
  return 0;
}

// For each position, where the count of "(" and ")" started after it first
// returns to the value it had there: call texts in one pass over the text.
class TParenthesisIndex {
public:
  explicit TParenthesisIndex(std::string_view text) : m_depth(text.size()) {
    long depth = 0;
    for (std::size_t p = 0; p < text.size(); ++p) {
      if (text[p] == '(')
        ++depth;
      else if (text[p] == ')')
        --depth;
      m_depth[p] = depth;
      m_positionsAtDepth[depth].push_back(p);
    }
  }

  // 0-based index of the character at which the count started at `start`
  // returns to 0; none when it never does.
  std::optional<std::size_t> CallEnd(std::size_t start) const {
    const long base = start == 0 ? 0 : m_depth[start - 1];
    const auto found = m_positionsAtDepth.find(base);
    if (found == m_positionsAtDepth.end()) return std::nullopt;
    const std::vector<std::size_t>& positions = found->second;
    const auto next = std::lower_bound(positions.begin(), positions.end(), start);
    if (next == positions.end()) return std::nullopt;
    return *next;
  }

private:
  std::vector<long> m_depth; // count after each character
  std::unordered_map<long, std::vector<std::size_t>> m_positionsAtDepth;
};

} // namespace

std::string ReferenceRewriteOperator(std::string_view text, char op, std::string_view keyword) {
  int splicesLeft = kMaxOperations;
  return PassWithBudget(text, op, keyword, splicesLeft);
}

std::string ReferenceRewriteExpression(std::string_view text) {
  int splicesLeft = kMaxOperations;
  std::string w = PassWithBudget(text, '^', "pow", splicesLeft);
  w = PassWithBudget(w, '*', "mult", splicesLeft);
  w = PassWithBudget(w, '/', "divide", splicesLeft);
  w = PassWithBudget(w, '-', "minus", splicesLeft);
  return PassWithBudget(w, '+', "plus", splicesLeft);
}

TOccurrenceList ReferenceFindOperations(std::string rewritten) {
  const std::string_view text = rewritten;
  std::vector<TOccurrence> occurrences;
  for (std::size_t p = 0; p < text.size(); ++p) {
    if (const int op = KeywordAt(text, p)) {
      if (static_cast<int>(occurrences.size()) == kMaxOperations) ThrowTooManyOperations();
      occurrences.push_back({op, p + 1, 0, false});
    }
  }
  const TParenthesisIndex parentheses(text);
  for (TOccurrence& o : occurrences) {
    const std::size_t afterKeyword = o.Position - 1 + o.Keyword().size();
    const std::optional<std::size_t> end =
        afterKeyword < text.size() ? parentheses.CallEnd(afterKeyword) : std::nullopt;
    o.Closed = end.has_value();
    o.CallLength = (end ? *end + 1 : text.size()) - (o.Position - 1);
  }
  return TOccurrenceList(std::move(rewritten), std::move(occurrences));
}

} // namespace curvella::test
