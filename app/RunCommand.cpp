#include "app/RunCommand.h"

#include <exception>
#include <vector>

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

void RunSampling(const TRunTexts& texts, TRunRecord& record, const TPointSink& onPoint,
                 TSamplingThreads threads) {
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

  // The x of every step, in order. Each step is followed by the next x, the
  // last one too; the width of a step is formed once, after the first step,
  // so an error of it (infinite ends) or of an x leaves after the points
  // before it.
  std::vector<double> xs{firstX};
  xs.reserve(record.StepCount);
  std::exception_ptr xFailure;
  try {
    const long double width = StepWidth(firstX, lastX, record.StepCount);
    double x = firstX;
    for (std::int32_t step = 1; step <= record.StepCount; ++step) {
      x = StoreDouble(CheckedAdd(x, width));
      if (step < record.StepCount) xs.push_back(x);
    }
  } catch (...) {
    xFailure = std::current_exception();
  }

  const TSampledSteps sampled = SampleSteps(evaluator, xs, threads);
  for (std::size_t i = 0; i < sampled.Y.size(); ++i) {
    record.SampledY[i] = sampled.Y[i];
    record.CompletedSteps = static_cast<std::int32_t>(i + 1);
    onPoint(xs[i], sampled.Y[i]);
  }
  if (sampled.Failure) std::rethrow_exception(sampled.Failure);
  if (xFailure) std::rethrow_exception(xFailure);
}

} // namespace curvella
