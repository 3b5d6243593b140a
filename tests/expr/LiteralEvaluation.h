#pragma once

// The evaluation loop exactly as written down for the expression language,
// substring search by substring search: the reference the planned evaluator
// is compared with. Up to K*K searches at every x.

#include <string>
#include <vector>

#include "expr/ExpressionEvaluation.h"

namespace curvella::test {

// trace, when given, receives the working text of every occurrence, from the
// last to the first.
double EvaluateLiterally(const TOccurrenceList& occurrences, double x,
                         std::vector<std::string>* trace = nullptr);

} // namespace curvella::test
