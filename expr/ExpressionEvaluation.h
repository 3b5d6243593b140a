#pragma once

// Expression evaluation: the rewritten text is a nest of calls such as
// plus(minus(pow(x&2)&mult(3&x))&2). FindOperations lists every call by its
// keyword, wherever the keyword's letters stand, with the text of the call.
// The calls are evaluated from the last in the text to the first; each result
// is written as a 23-character number text in place of its call inside the
// enclosing call's text, and read back from there, so an inner result enters
// the outer operation rounded to 15 significant digits. The first call's
// value is y.
//
//   CallText("pow(x&2)&mult(3&x))&2)", "pow")  -> "pow(x&2)"
//   CallText("sinx", "sin")                    -> "sinx"  (one character)
//   LeftOperandText("mult(3&x)", "mult")       -> "3"
//   RightOperandText("mult(3&x)")              -> "x"
//   RightOperandText("sin(x)")                 -> "sinx"  (no "&": all of it)
//
//   EvaluateOperation(kPow, -2, 3)   -> -8     (repeated squaring)
//   EvaluateOperation(kPow, -8, 1/3) -> EInvalidOp
//   EvaluateOperation(kPow, 0, -1)   -> 0
//   EvaluateOperation(kAct, 1, 0)    -> 3*pi/4 (pi/2 plus, not minus, arctan)
//   EvaluateOperation(kSin, 2^63, 0) -> 0
//   EvaluateOperation(kDivide, 1, 0) -> EZeroDivide
//   EvaluateOperation(kExp, 710, 0)  -> EOverflow (fits extended, not double)

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace curvella {

// The operations, numbered as in the call table: 1 to 16 take one operand,
// 17 to 21 two.
enum TOperation : int {
  kSin = 1,
  kCos,
  kTan,
  kCtn,
  kAsn,
  kAcs,
  kAtn,
  kAct,
  kSh,
  kCh,
  kTh,
  kCtgh,
  kAbs,
  kSqrt,
  kLn,
  kExp,
  kPow,
  kMult,
  kDivide,
  kPlus,
  kMinus
};

inline constexpr int kOperationCount = 21;

// The keyword of an operation number, 1 to 21.
std::string_view OperationKeyword(int operation);

// One call found in the rewritten text.
struct TOccurrence {
  int Operation;          // 1 to 21
  std::size_t Position;   // 1-based position of the keyword in the text
  std::size_t CallLength; // characters of the call text, from Position on
  bool Closed;            // the call text ends where its parentheses balance, not at the text's end

  std::string_view Keyword() const { return OperationKeyword(Operation); }
};

// The calls of one rewritten text, in the order of their positions.
class TOccurrenceList {
public:
  TOccurrenceList() = default;
  TOccurrenceList(std::string text, std::vector<TOccurrence> occurrences)
      : m_text(std::move(text)), m_occurrences(std::move(occurrences)) {}

  const std::string& Text() const { return m_text; }
  // Occurrences are indexed 1 to Count().
  int Count() const { return static_cast<int>(m_occurrences.size()); }
  const TOccurrence& operator[](int index) const { return m_occurrences[index - 1]; }
  std::string_view CallText(int index) const {
    const TOccurrence& o = (*this)[index];
    return std::string_view(m_text).substr(o.Position - 1, o.CallLength);
  }

private:
  std::string m_text;
  std::vector<TOccurrence> m_occurrences;
};

// Every keyword of the rewritten text with its call text. More than 3000
// calls are refused with EExpressionError.
TOccurrenceList FindOperations(std::string rewritten);

// The keyword and the characters after it up to the one at which the count of
// "(" and ")" returns to 0; to the end when it never does.
std::string_view CallText(std::string_view tail, std::string_view keyword);

// The characters after the keyword up to the first "&", parentheses left out.
std::string LeftOperandText(std::string_view callText, std::string_view keyword);
// The characters after the first "&" (all of them without one), parentheses
// left out.
std::string RightOperandText(std::string_view callText);

// One operation on two doubles in extended precision, rounded to double;
// raises the floating-point errors.
double EvaluateOperation(int operation, double left, double right);

// An operand's value: x for exactly "x", otherwise the number text read and
// stored as a double (a failed reading gives what it accumulated).
double OperandValue(std::string_view text, double x);

} // namespace curvella
