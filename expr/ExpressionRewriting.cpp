#include "expr/ExpressionRewriting.h"

#include <array>

namespace curvella {

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

std::string RewriteOperator(std::string_view text, char op, std::string_view keyword, int& splicesLeft) {
  return TOperatorPass(std::string(text), op, keyword, splicesLeft).Run();
}

} // namespace

void ThrowTooManyOperations() {
  throw EExpressionError("The expression has more than " + std::to_string(kMaxOperations) + " operations");
}

std::string RewriteOperator(std::string_view text, char op, std::string_view keyword) {
  int splicesLeft = kMaxOperations;
  return RewriteOperator(text, op, keyword, splicesLeft);
}

std::string RewriteExpression(std::string_view text) {
  int splicesLeft = kMaxOperations;
  std::string w = RewriteOperator(text, '^', "pow", splicesLeft);
  w = RewriteOperator(w, '*', "mult", splicesLeft);
  w = RewriteOperator(w, '/', "divide", splicesLeft);
  w = RewriteOperator(w, '-', "minus", splicesLeft);
  return RewriteOperator(w, '+', "plus", splicesLeft);
}

} // namespace curvella
