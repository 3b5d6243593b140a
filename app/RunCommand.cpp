#include "app/RunCommand.h"

#include <optional>

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

long double StepWidth(double firstX, double lastX, std::int32_t stepCount) {
  return CheckedDiv(CheckedSub(lastX, firstX), stepCount);
}

double NextX(double x, double firstX, double lastX, std::int32_t stepCount) {
  return StoreDouble(CheckedAdd(x, StepWidth(firstX, lastX, stepCount)));
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
  // Every step forms the same width; it is formed once, where the first step
  // forms it, so that an error of it (infinite ends) leaves at that step.
  std::optional<long double> width;
  for (std::int32_t step = 1; step <= record.StepCount; ++step) {
    const double y = evaluator.EvaluateAt(x);
    record.SampledY[step - 1] = y;
    record.CompletedSteps = step;
    onPoint(x, y);
    if (!width) width = StepWidth(firstX, lastX, record.StepCount);
    x = StoreDouble(CheckedAdd(x, *width));
  }
}

} // namespace curvella
