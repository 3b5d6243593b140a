// Any text typed as an expression: rewriting, call finding and evaluation
// never crash or hang, refuse only with their own messages, and the planned
// evaluator gives what the literal substitution loop gives, bit for bit and
// error for error, for texts of up to 300 calls (beyond, the literal loop is
// too slow to run at every input, and the evaluator is checked alone).
// Rewriting, call finding and the plan's steps equal their first versions
// (tests/expr/Reference*): the same text or refusal for texts of up to
// 30,000 characters, the same occurrences, and the same steps for up to 1000
// calls (the first versions are too slow beyond).
//
// Input: one byte choosing x and whether the text is rewritten first or
// handed to the call finder as it stands, then the text (up to 100,000
// characters).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "expr/EvaluationPlan.h"
#include "expr/Evaluator.h"
#include "expr/ExpressionRewriting.h"
#include "expr/LiteralEvaluation.h"
#include "expr/ReferencePlan.h"
#include "expr/ReferenceRewriting.h"
#include "numtext/Extended.h"

namespace curvella {
namespace {

constexpr std::size_t kMaxText = 100000;
constexpr int kMaxComparedCalls = 300;
constexpr std::size_t kMaxReferenceText = 30000;
constexpr int kMaxReferenceSteps = 1000;

const double kXs[] = {0,
                      -0.0,
                      1,
                      -1,
                      2,
                      0.5,
                      -2.5,
                      7.25,
                      1e300,
                      -1e300,
                      1e-310,
                      3e-5,
                      1e15,
                      9.2e18,
                      -9.3e18,
                      1.5707963267948966,
                      std::numeric_limits<double>::infinity(),
                      -std::numeric_limits<double>::infinity(),
                      std::numeric_limits<double>::max(),
                      4.94e-324,
                      710,
                      -745,
                      1e8,
                      0.1,
                      3.141592653589793,
                      100,
                      -100,
                      1e-15,
                      2,
                      3,
                      10,
                      0.7};
constexpr std::size_t kXCount = sizeof kXs / sizeof kXs[0];

[[noreturn]] void Fail(const std::string& what, std::string_view text) {
  std::fprintf(stderr, "%s\ntext (%zu characters): %.*s\n", what.c_str(), text.size(),
               static_cast<int>(std::min<std::size_t>(text.size(), 2000)), text.data());
  std::abort();
}

bool IsFloatErrorText(const std::string& message) {
  return message == "Invalid floating point operation" || message == "Floating point division by zero" ||
         message == "Floating point overflow";
}

// The outcome, after checking that an error is one of the arithmetic's.
std::string Outcome(const std::function<double()>& evaluate, std::string_view text) {
  const std::string outcome = test::EvaluationOutcome(evaluate);
  if (outcome.starts_with("error: ") && !IsFloatErrorText(outcome.substr(7)))
    Fail("evaluation raised \"" + outcome.substr(7) + "\"", text);
  return outcome;
}

template <class TRewrite> std::string RewriteOutcome(TRewrite rewrite, const std::string& text) {
  try {
    return rewrite(text);
  } catch (const EExpressionError& e) {
    return "error: " + e.Message();
  }
}

std::string Describe(const TOccurrence& o) {
  return std::to_string(o.Operation) + "@" + std::to_string(o.Position) + "+" + std::to_string(o.CallLength) +
         (o.Closed ? "c" : "o");
}

// The call finder against its first version, then the plan's steps.
void CompareWithReferences(const std::string& text, const TOccurrenceList* list, const std::string& refusal) {
  TOccurrenceList reference;
  try {
    reference = test::ReferenceFindOperations(text);
  } catch (const EExpressionError& e) {
    if (refusal != e.Message())
      Fail("call finding refused with \"" + refusal + "\" but first \"" + e.Message() + "\"", text);
    return;
  }
  if (!list) Fail("call finding refused with \"" + refusal + "\" but first did not", text);
  if (list->Count() != reference.Count())
    Fail(std::to_string(list->Count()) + " calls but first " + std::to_string(reference.Count()), text);
  for (int i = 1; i <= list->Count(); ++i) {
    if (Describe((*list)[i]) != Describe(reference[i]))
      Fail("occurrence " + Describe((*list)[i]) + " but first " + Describe(reference[i]), text);
  }
  if (list->Count() > kMaxReferenceSteps) return;
  const TEvaluationPlan plan(*list);
  const std::vector<TStep> steps = test::ReferencePlanSteps(plan);
  for (int m = 1; m <= plan.Count(); ++m) {
    const std::string difference = test::StepDifference(plan.Step(m), steps[m]);
    if (!difference.empty()) Fail("step " + std::to_string(m) + " differs: " + difference, text);
  }
}

} // namespace
} // namespace curvella

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  curvella::SetFloatingPointMode();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace curvella;
  if (size < 1 || size - 1 > kMaxText) return -1;
  const std::uint8_t control = data[0];
  const double x = kXs[(control >> 1) % kXCount];
  const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);

  std::string rewritten = input;
  if (control & 1) {
    if (input.size() <= kMaxReferenceText) {
      const std::string outcome =
          RewriteOutcome([](const std::string& t) { return RewriteExpression(t); }, input);
      const std::string first =
          RewriteOutcome([](const std::string& t) { return test::ReferenceRewriteExpression(t); }, input);
      if (outcome != first) Fail("rewritten as \"" + outcome + "\" but first as \"" + first + "\"", input);
    }
    try {
      rewritten = RewriteExpression(input);
    } catch (const EExpressionError& e) {
      const std::string& m = e.Message();
      if (!m.starts_with("Incomplete expression after \"") &&
          m != "The expression has more than 3000 operations")
        Fail("rewriting refused with \"" + m + "\"", input);
      return 0;
    }
  }
  TOccurrenceList list;
  try {
    list = FindOperations(rewritten);
  } catch (const EExpressionError& e) {
    if (e.Message() != "The expression has more than 3000 operations")
      Fail("call finding refused with \"" + e.Message() + "\"", rewritten);
    CompareWithReferences(rewritten, nullptr, e.Message());
    return 0;
  }
  CompareWithReferences(rewritten, &list, "");
  TEvaluator evaluator(list);
  const std::string planned = Outcome([&] { return evaluator.EvaluateAt(x); }, rewritten);
  if (list.Count() <= kMaxComparedCalls) {
    const std::string literal = Outcome([&] { return test::EvaluateLiterally(list, x); }, rewritten);
    if (planned != literal) Fail("planned " + planned + " but literal " + literal, rewritten);
  }
  // A second x through the same plan: plans hold no state of an earlier x.
  const double other = kXs[(control >> 1 ^ 5) % kXCount];
  const std::string second = Outcome([&] { return evaluator.EvaluateAt(other); }, rewritten);
  if (list.Count() <= kMaxComparedCalls) {
    const std::string literal = Outcome([&] { return test::EvaluateLiterally(list, other); }, rewritten);
    if (second != literal) Fail("planned " + second + " but literal " + literal + " (second x)", rewritten);
  }
  return 0;
}
