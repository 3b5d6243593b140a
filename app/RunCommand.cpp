#include "app/RunCommand.h"

#include "expr/Evaluator.h"
#include "expr/ExpressionRewriting.h"
#include "numtext/Extended.h"
#include "numtext/NumberText.h"

namespace curvella {

std::int32_t ClampSteps(std::int32_t steps) {
  if (steps > kMaxSteps) return kMaxSteps;
  if (steps < 1) return 1000;
  return steps;
}

double NextX(double x, double firstX, double lastX, std::int32_t stepCount) {
  const long double step = CheckedDiv(CheckedSub(lastX, firstX), stepCount);
  return StoreDouble(CheckedAdd(x, step));
}

void RunSampling(const TRunTexts& texts, TRunRecord& record, const TPointSink& onPoint) {
  TEvaluator evaluator(FindOperations(RewriteExpression(texts.Expression)));

  // Error positions are not looked at: a text that does not convert cleanly
  // gives what its reading accumulated.
  const std::int32_t steps = TextToInt(texts.Steps).Value;
  const double firstX = StoreDouble(TextToReal(texts.FirstX).Value);
  const double lastX = StoreDouble(TextToReal(texts.LastX).Value);

  record.FirstX = firstX;
  record.LastX = lastX;
  record.StepCount = ClampSteps(steps);
  record.CompletedSteps = 0;

  double x = firstX;
  for (std::int32_t step = 1; step <= record.StepCount; ++step) {
    const double y = evaluator.EvaluateAt(x);
    record.SampledY[step - 1] = y;
    record.CompletedSteps = step;
    onPoint(x, y);
    x = NextX(x, firstX, lastX, record.StepCount);
  }
}

} // namespace curvella
