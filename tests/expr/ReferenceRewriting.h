#pragma once

// The rewriting and the call finding as first written: each splice copies
// the whole text and scans outward from the operator, and the call texts
// come from a map of depths. Slow (about K*N), but short enough to read
// against the rules in expr/ExpressionRewriting.h and
// expr/ExpressionEvaluation.h; the product's versions are compared with
// these on generated and fuzzed texts.
//
//   ReferenceRewriteExpression("x^2-3*x+2") -> "plus(minus(pow(x&2)&mult(3&x))&2)"
//   ReferenceFindOperations("plus(x&1)")    -> one occurrence: plus at 1, 9 characters, closed

#include <string>
#include <string_view>

#include "expr/ExpressionEvaluation.h"

namespace curvella::test {

std::string ReferenceRewriteOperator(std::string_view text, char op, std::string_view keyword);
std::string ReferenceRewriteExpression(std::string_view text);
TOccurrenceList ReferenceFindOperations(std::string rewritten);

} // namespace curvella::test
