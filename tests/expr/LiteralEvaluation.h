#pragma once

// The evaluation loop exactly as written down for the expression language,
// substring search by substring search: the reference the planned evaluator
// is compared with. Up to K*K searches at every x.

#include <functional>
#include <string>
#include <vector>

#include "expr/ExpressionEvaluation.h"

namespace curvella::test {

// trace, when given, receives the working text of every occurrence, from the
// last to the first.
double EvaluateLiterally(const TOccurrenceList& occurrences, double x,
                         std::vector<std::string>* trace = nullptr);

// What an evaluation gives, to compare two of them: the value's bits, or
// "error: " and the error's message.
std::string EvaluationOutcome(const std::function<double()>& evaluate);

} // namespace curvella::test
