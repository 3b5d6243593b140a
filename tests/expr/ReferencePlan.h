#pragma once

// The evaluation plan's steps as first computed: for each occurrence m, the
// occurrences j = m+1 ... K in turn, each searched for in m's call text (K*K
// searches). It reads the twins and run-on anchors the plan found, and is
// compared step for step with the plan's own steps.
//
//   ReferencePlanSteps(TEvaluationPlan(FindOperations("plus(sinx&2)")))[1]
//     -> left: result of 2, right: constant 2

#include <string>
#include <vector>

#include "expr/EvaluationPlan.h"

namespace curvella::test {

// Steps 1 to K; index 0 is unused.
std::vector<TStep> ReferencePlanSteps(const TEvaluationPlan& plan);

// The first difference between two steps, or "" when they are the same:
// kinds, values to the bit, pieces, the literal flag, the substitutions and
// where the search resumes.
std::string StepDifference(const TStep& a, const TStep& b);

} // namespace curvella::test
