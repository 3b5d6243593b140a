// Speed of the expression engine: preparing an expression of 3000 calls,
// one step of the literal substitution loop against which the evaluator is
// checked, and whole runs of 10,000 steps.

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>

#include "../tests/expr/LiteralEvaluation.h"
#include "app/RunCommand.h"
#include "expr/Evaluator.h"
#include "expr/ExpressionRewriting.h"

namespace curvella {
namespace {

int CallCount(const std::string& expression) {
  try {
    return FindOperations(RewriteExpression(expression)).Count();
  } catch (const EExpressionError&) {
    return kMaxOperations + 1;
  }
}

// "sin(x)*x+1" joined with "+" until it has at least `calls` calls, or as
// many as an expression may have: each copy adds four.
std::string Repeated(int calls) {
  std::string expression = "sin(x)*x+1";
  while (CallCount(expression) < calls && CallCount(expression + "+sin(x)*x+1") <= kMaxOperations) {
    expression += "+sin(x)*x+1";
  }
  return expression;
}

const std::string& Calls100() {
  static const std::string e = Repeated(100);
  return e;
}
const std::string& Calls3000() {
  static const std::string e = Repeated(kMaxOperations);
  return e;
}

void BM_RewriteAndFind3000(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(FindOperations(RewriteExpression(Calls3000())));
  state.counters["calls"] = FindOperations(RewriteExpression(Calls3000())).Count();
}
BENCHMARK(BM_RewriteAndFind3000)->Unit(benchmark::kMillisecond);

// Texts of 100,000 characters: a sum refused after 3000 splices, and 2998
// powers whose right scans each run over 94,000 digits.
void BM_RewriteSum100k(benchmark::State& state) {
  std::string text = "x";
  while (text.size() < 100000) text += "+x";
  for (auto _ : state) {
    try {
      RewriteExpression(text);
    } catch (const EExpressionError&) {
    }
  }
}
BENCHMARK(BM_RewriteSum100k)->Unit(benchmark::kMillisecond);

void BM_RewriteLongScans100k(benchmark::State& state) {
  std::string text = "1";
  for (int i = 0; i < 2998; ++i) text += "^1";
  text += std::string(94000, '1');
  for (auto _ : state) benchmark::DoNotOptimize(RewriteExpression(text));
}
BENCHMARK(BM_RewriteLongScans100k)->Unit(benchmark::kMillisecond);

void BM_PlanEvaluator3000(benchmark::State& state) {
  const TOccurrenceList list = FindOperations(RewriteExpression(Calls3000()));
  for (auto _ : state) benchmark::DoNotOptimize(TEvaluator(list));
}
BENCHMARK(BM_PlanEvaluator3000)->Unit(benchmark::kMillisecond);

void BM_LiteralStep3000(benchmark::State& state) {
  const TOccurrenceList list = FindOperations(RewriteExpression(Calls3000()));
  for (auto _ : state) benchmark::DoNotOptimize(test::EvaluateLiterally(list, 0.5));
}
BENCHMARK(BM_LiteralStep3000)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

void BM_PlannedStep3000(benchmark::State& state) {
  TEvaluator evaluator(FindOperations(RewriteExpression(Calls3000())));
  for (auto _ : state) benchmark::DoNotOptimize(evaluator.EvaluateAt(0.5));
}
BENCHMARK(BM_PlannedStep3000)->Unit(benchmark::kMicrosecond);

// A text the fuzzer found: some 2,400 calls, and in hundreds of steps a
// call text that may run on into a result text.
void BM_PlannedStepRunOns(benchmark::State& state) {
  std::ifstream in(std::string(CURVELLA_EXPR_TEST_DATA) + "/run-ons-in-many-steps-1.bin", std::ios::binary);
  const std::string data{std::istreambuf_iterator<char>(in), {}};
  TEvaluator evaluator(FindOperations(RewriteExpression(data.substr(1))));
  double x = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(test::EvaluationOutcome([&] { return evaluator.EvaluateAt(x); }));
    x = x == 0 ? -2.5 : 0;
  }
  state.counters["literal steps"] = evaluator.LiteralSteps();
}
BENCHMARK(BM_PlannedStepRunOns)->Unit(benchmark::kMillisecond);

void Run(benchmark::State& state, const std::string& expression) {
  const TRunTexts texts{expression, "0", "2", "10000"};
  auto record = std::make_unique<TRunRecord>();
  for (auto _ : state) {
    RunSampling(texts, *record, [](double x, double y) {
      benchmark::DoNotOptimize(x);
      benchmark::DoNotOptimize(y);
    });
  }
  state.counters["calls"] = FindOperations(RewriteExpression(expression)).Count();
}

void BM_Run10000Quadratic(benchmark::State& state) { Run(state, "x^2-3*x+2"); }
BENCHMARK(BM_Run10000Quadratic)->Unit(benchmark::kMillisecond);

void BM_Run10000Calls100(benchmark::State& state) { Run(state, Calls100()); }
BENCHMARK(BM_Run10000Calls100)->Unit(benchmark::kMillisecond);

void BM_Run10000Calls3000(benchmark::State& state) { Run(state, Calls3000()); }
BENCHMARK(BM_Run10000Calls3000)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

} // namespace
} // namespace curvella
