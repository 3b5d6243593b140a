#pragma once

// Expression rewriting: the infix text of the expression box becomes a nest
// of named calls by pure text substitution, one pass per operator character,
// in this order:
//
//   "^" -> pow   "*" -> mult   "/" -> divide   "-" -> minus   "+" -> plus
//
// Each pass walks the text left to right; at an operator it scans outward for
// the operand on each side, counting parentheses, and splices
// keyword(left&right) in place of operand, operator and operand. Precedence
// and grouping are nothing but the order of the passes and the scan rules:
// "+", "-", "*" and "/" end an operand at depth 0; "^", "&", blanks, letters
// and digits do not. A "-" right after the operator, after "(" or "&", or at
// the very start is a sign.
//
//   "x^2-3*x+2" -> "plus(minus(pow(x&2)&mult(3&x))&2)"
//   "1/2*x"     -> "divide(1&mult(2&x))"    ("*" binds tighter than "/")
//   "2^3^2"     -> "pow(pow(2&3&2))"        (powers do not group)
//   "-x^2"      -> "pow(-x&2)"
//   "1e-3"      -> "minus(1e&3)"            (the exponent's sign is an operator)
//   "x + 1"     -> "plus(x & 1)"            (blanks stay in the operands)
//   "x^2+"      -> "pow(x&2)"               (a dangling delimiter is dropped)
//
// Two inputs have no result, and are refused with EExpressionError:
//   an operator with no right end: "x+", "2^", "x^(2", "x*(x+1"
//     -> Incomplete expression after "+": an operand or ")" is missing
//   more than 3000 calls: every splice adds one, so the rewriting stops as
//   soon as its splices exceed the limit
//     -> The expression has more than 3000 operations

#include <string>
#include <string_view>

#include "numtext/Errors.h"

namespace curvella {

// The most calls an expression may hold.
inline constexpr int kMaxOperations = 3000;

class EExpressionError : public Exception {
public:
  using Exception::Exception;
};

// The refusals of an expression that cannot be evaluated.
[[noreturn]] void ThrowTooManyOperations();

// One pass for one operator character and its keyword.
std::string RewriteOperator(std::string_view text, char op, std::string_view keyword);

// The five passes in their order.
std::string RewriteExpression(std::string_view text);

} // namespace curvella
