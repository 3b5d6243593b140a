// Speed of the expression engine: preparing an expression of 3000 calls,
// one step of the literal substitution loop against which the evaluator is
// checked, and whole runs of 10,000 steps, each beside its floor: the same
// expression tree as plain long double operations and C library calls, the
// same x stepping, no rounding between calls and no status checks.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "../tests/expr/LiteralEvaluation.h"
#include "app/RunCommand.h"
#include "expr/EvaluationPlan.h"
#include "expr/Evaluator.h"
#include "expr/ExpressionRewriting.h"
#include "numtext/NumberText.h"

namespace curvella {
namespace {

int CallCount(const std::string& expression) {
  try {
    return FindOperations(RewriteExpression(expression)).Count();
  } catch (const EExpressionError&) {
    return kMaxOperations + 1;
  }
}

// The most copies of a unit, at least one, for which the expression made of
// them keeps within `calls` calls (and within the limit); copies only add
// calls, so a binary search over the count finds it in a few rewritings.
template <class TMake> std::string MostCopies(int calls, TMake make) {
  const int limit = std::min(calls, kMaxOperations);
  int fits = 1;
  int fails = 2;
  while (CallCount(make(fails)) <= limit) fits = fails, fails *= 2;
  while (fails - fits > 1) {
    const int middle = (fits + fails) / 2;
    (CallCount(make(middle)) <= limit ? fits : fails) = middle;
  }
  return make(fits);
}

// "sin(x)*x+1" joined with "+": as many copies as keep within `calls`
// calls; each copy adds four.
std::string Repeated(int calls) {
  return MostCopies(calls, [](int copies) {
    std::string expression = "sin(x)*x+1";
    for (int i = 1; i < copies; ++i) expression += "+sin(x)*x+1";
    return expression;
  });
}

const std::string& Calls100() {
  static const std::string e = Repeated(100);
  return e;
}
const std::string& Calls3000() {
  static const std::string e = Repeated(kMaxOperations);
  return e;
}

// The sum of sin(x*k)*x+k for k = 1, 2, ...: as many calls, none of whose
// texts repeats.
const std::string& Distinct3000() {
  static const std::string e = MostCopies(kMaxOperations, [](int copies) {
    std::string expression = "sin(x*1)*x+1";
    for (int k = 2; k <= copies; ++k)
      expression += "+sin(x*" + std::to_string(k) + ")*x+" + std::to_string(k);
    return expression;
  });
  return e;
}

// The floor: the rewritten text's calls as a straight program over long
// doubles. Slot 0 holds x; constants and results take the slots after it.
class TFloorProgram {
public:
  explicit TFloorProgram(const std::string& expression) {
    m_slots.push_back(0);
    const std::string rewritten = RewriteExpression(expression);
    std::string_view text = rewritten;
    m_result = Operand(text);
  }

  long double At(long double x) {
    m_slots[0] = x;
    for (const TStep& step : m_steps) {
      const long double l = m_slots[step.Left];
      const long double r = m_slots[step.Right];
      m_slots[step.Out] = Apply(step.Operation, l, r);
    }
    return m_slots[m_result];
  }

private:
  struct TStep {
    int Operation;
    std::size_t Left, Right, Out;
  };

  static long double Apply(int operation, long double l, long double r) {
    static const long double halfPi = 2 * atanl(1.0L);
    switch (operation) {
    case 1:
      return sinl(l);
    case 2:
      return cosl(l);
    case 3:
      return sinl(l) / cosl(l);
    case 4:
      return cosl(l) / sinl(l);
    case 5:
      return atanl(l / sqrtl(1 - l * l));
    case 6:
      return halfPi + atanl(-l / sqrtl(1 - l * l));
    case 7:
      return atanl(l);
    case 8:
      return halfPi + atanl(l);
    case 9:
      return (expl(l) - expl(-l)) / 2;
    case 10:
      return (expl(l) + expl(-l)) / 2;
    case 11:
      return (expl(l) - expl(-l)) / (expl(l) + expl(-l));
    case 12:
      return (expl(l) + expl(-l)) / (expl(l) - expl(-l));
    case 13:
      return fabsl(l);
    case 14:
      return sqrtl(l);
    case 15:
      return logl(l);
    case 16:
      return expl(l);
    case 17:
      return powl(l, r);
    case 18:
      return l * r;
    case 19:
      return l / r;
    case 20:
      return l + r;
    default:
      return l - r;
    }
  }

  // A call, x or a number at the front of text, which it consumes; its slot.
  std::size_t Operand(std::string_view& text) {
    for (int operation = 1; operation <= kOperationCount; ++operation) {
      const std::string call = std::string(OperationKeyword(operation)) + "(";
      if (!text.starts_with(call)) continue;
      text.remove_prefix(call.size());
      TStep step{operation, 0, 0, 0};
      step.Left = Operand(text);
      if (text.starts_with('&')) {
        text.remove_prefix(1);
        step.Right = Operand(text);
      }
      text.remove_prefix(1); // ")"
      step.Out = m_slots.size();
      m_slots.push_back(0);
      m_steps.push_back(step);
      return step.Out;
    }
    const std::size_t end = std::min(text.find_first_of("&)"), text.size());
    const std::string_view operand = text.substr(0, end);
    text.remove_prefix(end);
    if (operand == "x") return 0;
    m_slots.push_back(TextToReal(operand).Value);
    return m_slots.size() - 1;
  }

  std::vector<long double> m_slots;
  std::vector<TStep> m_steps;
  std::size_t m_result = 0;
};

void BM_Rewrite3000(benchmark::State& state) {
  const std::string& expression = Calls3000();
  for (auto _ : state) benchmark::DoNotOptimize(RewriteExpression(expression));
}
BENCHMARK(BM_Rewrite3000)->Unit(benchmark::kMillisecond);

void BM_Find3000(benchmark::State& state) {
  const std::string rewritten = RewriteExpression(Calls3000());
  for (auto _ : state) benchmark::DoNotOptimize(FindOperations(rewritten));
}
BENCHMARK(BM_Find3000)->Unit(benchmark::kMillisecond);

void BM_RewriteAndFind3000(benchmark::State& state) {
  const std::string& expression = Calls3000();
  for (auto _ : state) benchmark::DoNotOptimize(FindOperations(RewriteExpression(expression)));
  state.counters["calls"] = FindOperations(RewriteExpression(expression)).Count();
}
BENCHMARK(BM_RewriteAndFind3000)->Unit(benchmark::kMillisecond);

void BM_Plan3000(benchmark::State& state) {
  const TOccurrenceList list = FindOperations(RewriteExpression(Calls3000()));
  for (auto _ : state) benchmark::DoNotOptimize(TEvaluationPlan(list));
}
BENCHMARK(BM_Plan3000)->Unit(benchmark::kMillisecond);

void BM_RewriteFindPlan3000(benchmark::State& state) {
  const std::string& expression = Calls3000();
  for (auto _ : state)
    benchmark::DoNotOptimize(TEvaluationPlan(FindOperations(RewriteExpression(expression))));
}
BENCHMARK(BM_RewriteFindPlan3000)->Unit(benchmark::kMillisecond);

// Texts of a few shapes at about 10,000 and 100,000 characters, to see the
// time per character ("s/char") stay flat as texts grow.
enum TShape { kSumOfCalls, kNestedSums, kPowersWithLongTail, kFlatSum };

std::string ShapedText(int shape, std::size_t size) {
  std::string text;
  switch (shape) {
  case kSumOfCalls: // refused: by the call finder at 10k, by the rewriting at 100k
    text = "sin(x)*x+1";
    while (text.size() + 11 <= size) text += "+sin(x)*x+1";
    break;
  case kNestedSums: { // (d+(d+(d+...))) with 2000 levels, the numbers growing with the size
    const std::size_t digits = size / 2000 - 3;
    for (int level = 0; level < 2000; ++level) text += "(" + std::string(digits, '7') + "+";
    text += "x" + std::string(2000, ')');
    break;
  }
  case kPowersWithLongTail: // a power chain of size/40 powers, then digits
    text = "1";
    for (std::size_t i = 0; i < size / 40; ++i) text += "^1";
    text += std::string(size - text.size(), '1');
    break;
  default: // x+x+...: refused after 3000 splices at either size
    text = "x";
    while (text.size() < size) text += "+x";
  }
  return text;
}

void PerCharacter(benchmark::State& state, std::size_t characters) {
  state.counters["s/char"] =
      benchmark::Counter(static_cast<double>(characters),
                         benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_RewriteShape(benchmark::State& state) {
  const std::string text = ShapedText(static_cast<int>(state.range(0)), state.range(1));
  for (auto _ : state) {
    try {
      benchmark::DoNotOptimize(RewriteExpression(text));
    } catch (const EExpressionError&) {
    }
  }
  PerCharacter(state, text.size());
}

// Rewriting, finding and planning, or as far as the first refusal.
void BM_PrepareShape(benchmark::State& state) {
  const std::string text = ShapedText(static_cast<int>(state.range(0)), state.range(1));
  for (auto _ : state) {
    try {
      benchmark::DoNotOptimize(TEvaluationPlan(FindOperations(RewriteExpression(text))));
    } catch (const EExpressionError&) {
    }
  }
  PerCharacter(state, text.size());
}

void ShapeArguments(benchmark::internal::Benchmark* b) {
  b->ArgNames({"shape", "size"});
  for (int shape : {kSumOfCalls, kNestedSums, kPowersWithLongTail, kFlatSum})
    for (int size : {10000, 100000}) b->Args({shape, size});
  b->Unit(benchmark::kMicrosecond);
}
BENCHMARK(BM_RewriteShape)->Apply(ShapeArguments);
BENCHMARK(BM_PrepareShape)->Apply(ShapeArguments);

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

// Runs on one thread (CPU time), and on every core (wall time: the other
// threads' time is not the benchmark thread's).
void Run(benchmark::State& state, const std::string& expression, TSamplingThreads threads = {1, 0}) {
  const TRunTexts texts{expression, "0", "2", "10000"};
  auto record = std::make_unique<TRunRecord>();
  for (auto _ : state) {
    RunSampling(
        texts, *record,
        [](double x, double y) {
          benchmark::DoNotOptimize(x);
          benchmark::DoNotOptimize(y);
        },
        threads);
  }
  state.counters["calls"] = FindOperations(RewriteExpression(expression)).Count();
}

void BM_Run10000Quadratic(benchmark::State& state) { Run(state, "x^2-3*x+2"); }
BENCHMARK(BM_Run10000Quadratic)->Unit(benchmark::kMillisecond);

void BM_Run10000Calls100(benchmark::State& state) { Run(state, Calls100()); }
BENCHMARK(BM_Run10000Calls100)->Unit(benchmark::kMillisecond);

void BM_Run10000Calls3000(benchmark::State& state) { Run(state, Calls3000()); }
BENCHMARK(BM_Run10000Calls3000)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);

void BM_Run10000Distinct3000(benchmark::State& state) { Run(state, Distinct3000()); }
BENCHMARK(BM_Run10000Distinct3000)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);

void BM_RunOnEveryCore10000Quadratic(benchmark::State& state) { Run(state, "x^2-3*x+2", {}); }
BENCHMARK(BM_RunOnEveryCore10000Quadratic)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RunOnEveryCore10000Calls3000(benchmark::State& state) { Run(state, Calls3000(), {}); }
BENCHMARK(BM_RunOnEveryCore10000Calls3000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(5);

void BM_RunOnEveryCore10000Distinct3000(benchmark::State& state) { Run(state, Distinct3000(), {}); }
BENCHMARK(BM_RunOnEveryCore10000Distinct3000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(5);

// The floors of the runs above: x stepped as Run steps it (the step formed
// in extended precision, x rounded to double), 10,000 evaluations.
void Floor(benchmark::State& state, const std::string& expression) {
  TFloorProgram program(expression);
  // The floor computes what the engine does, but for the engine's rounding
  // of each result to 15 digits.
  const double engine = TEvaluator(FindOperations(RewriteExpression(expression))).EvaluateAt(0.75);
  if (std::fabs(static_cast<double>(program.At(0.75)) - engine) > 1e-12 * std::fabs(engine) + 1e-300) {
    state.SkipWithError("the floor's expression tree differs from the engine's");
    return;
  }
  const long double first = 0;
  const long double last = 2;
  const int steps = 10000;
  for (auto _ : state) {
    double x = 0;
    for (int step = 0; step < steps; ++step) {
      benchmark::DoNotOptimize(program.At(x));
      x = static_cast<double>(x + (last - first) / steps);
    }
  }
}

void BM_FloorQuadratic(benchmark::State& state) { Floor(state, "x^2-3*x+2"); }
BENCHMARK(BM_FloorQuadratic)->Unit(benchmark::kMillisecond);

void BM_FloorCalls100(benchmark::State& state) { Floor(state, Calls100()); }
BENCHMARK(BM_FloorCalls100)->Unit(benchmark::kMillisecond);

void BM_FloorCalls3000(benchmark::State& state) { Floor(state, Calls3000()); }
BENCHMARK(BM_FloorCalls3000)->Unit(benchmark::kMillisecond);

void BM_FloorDistinct3000(benchmark::State& state) { Floor(state, Distinct3000()); }
BENCHMARK(BM_FloorDistinct3000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace curvella
