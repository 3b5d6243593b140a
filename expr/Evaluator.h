#pragma once

// Evaluating one rewritten expression at many values of x.
//
// At each x the calls are evaluated from the last in the text to the first,
// each reading its operands from its working text: its call text with the
// result texts of later calls put in place of their call texts (see
// TEvaluationPlan, which works out once where every operand comes from).
// Results and errors are those of the literal substitution, bit for bit.
// Occurrences with the same operation and operands from the same places are
// evaluated once per x; a result read back whole is read as its text's value
// without writing the text.
//
//   TEvaluator e(FindOperations(RewriteExpression("x^2-3*x+2")));
//   e.EvaluateAt(2.5) -> 0.75     e.EvaluateAt(0) -> 2
//   TEvaluator(FindOperations(RewriteExpression("1/x"))).EvaluateAt(0) -> EZeroDivide
//   TEvaluator(FindOperations(RewriteExpression("sin(x)+sin(x)"))).DistinctSteps() -> 2

#include <memory>

#include "expr/ExpressionEvaluation.h"

namespace curvella {

class TEvaluator {
public:
  explicit TEvaluator(TOccurrenceList occurrences);
  // An evaluator for another thread: the plan is shared, the values at the
  // current x are its own.
  TEvaluator(const TEvaluator& other);
  ~TEvaluator();
  TEvaluator(TEvaluator&&) noexcept;
  TEvaluator& operator=(TEvaluator&&) noexcept;

  const TOccurrenceList& Occurrences() const;

  // y at x: 0 for an expression without calls. Raises the floating-point
  // errors of the failing operation.
  double EvaluateAt(double x);

  // How many occurrences keep a search at each x.
  int LiteralSteps() const;
  // How many occurrences are evaluated at each x; the others copy a value.
  int DistinctSteps() const;

private:
  struct TProgram;
  struct TState;
  std::shared_ptr<const TProgram> m_program;
  std::unique_ptr<TState> m_state;
};

} // namespace curvella
