#pragma once

// Evaluating one rewritten expression at many values of x.
//
// At each x the calls are evaluated from the last in the text to the first.
// Before occurrence m is evaluated, its working text is its call text in
// which, for j = m+1 ... K in that order, the first occurrence of call text j
// (when it is shorter than the working text) is replaced by the 23-character
// result text of j; m's operands are then read from the working text. Done
// literally that is up to K*K substring searches at every x.
//
// Which call text lands where does not depend on x: a call text starts with
// a keyword's lower-case letter, which no result text contains, so it can
// only be found in the expression's own characters, at the places the same
// text stands in the rewritten text. TEvaluator works this out once, as a
// plan per occurrence of where its operands come from: the letter x, a
// constant, the result of one inner call, or a mix of characters and results
// read at each x. Only a call text that could run on into a result text (a
// keyword followed by one blank or "-", or a call left open to the end of
// the text, next to a result) keeps a search at each x, for that occurrence
// alone; it too works on the rewritten text, not on a copy: a call text is
// found either where the same text stands in the working text's own
// characters, or running on from them into a replaced range, which can only
// begin at a keyword. Results and errors are those of the literal
// substitution, bit for bit.
//
//   TEvaluator e(FindOperations(RewriteExpression("x^2-3*x+2")));
//   e.EvaluateAt(2.5) -> 0.75     e.EvaluateAt(0) -> 2
//   TEvaluator(FindOperations(RewriteExpression("1/x"))).EvaluateAt(0) -> EZeroDivide

#include <memory>

#include "expr/ExpressionEvaluation.h"

namespace curvella {

class TEvaluator {
public:
  explicit TEvaluator(TOccurrenceList occurrences);
  ~TEvaluator();
  TEvaluator(TEvaluator&&) noexcept;
  TEvaluator& operator=(TEvaluator&&) noexcept;

  const TOccurrenceList& Occurrences() const;

  // y at x: 0 for an expression without calls. Raises the floating-point
  // errors of the failing operation.
  double EvaluateAt(double x);

  // How many occurrences keep a search at each x.
  int LiteralSteps() const;

private:
  struct TPlan;
  std::unique_ptr<TPlan> m_plan;
};

} // namespace curvella
