// Any text typed as an expression: rewriting, call finding and evaluation
// never crash or hang, refuse only with their own messages, and the planned
// evaluator gives what the literal substitution loop gives, bit for bit and
// error for error, for texts of up to 300 calls (beyond, the literal loop is
// too slow to run at every input, and the evaluator is checked alone).
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

#include "expr/Evaluator.h"
#include "expr/ExpressionRewriting.h"
#include "expr/LiteralEvaluation.h"
#include "numtext/Extended.h"

namespace curvella {
namespace {

constexpr std::size_t kMaxText = 100000;
constexpr int kMaxComparedCalls = 300;

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
    return 0;
  }
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
