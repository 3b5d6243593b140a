#pragma once

// The y values of a Run's steps, on every core. A step's y depends on its x
// alone, so the steps are split into chunks that threads take in turn, each
// thread with its own evaluator and in the calling thread's floating-point
// mode. The outcome is the sequential one: the values of the steps before the
// first step that fails, and that step's error; values computed past it are
// dropped. Few steps or few calls stay on the calling thread.
//
//   "1/(x-3)" at x = 0, 1, ..., 9999 -> Y = {-1/3, -1/2, -1}, Failure: EZeroDivide
//   "x*2" at 0, 1, 2                 -> Y = {0, 2, 4}, no failure

#include <cstdint>
#include <exception>
#include <span>
#include <vector>

#include "expr/Evaluator.h"

namespace curvella {

// How the steps are spread; zeros choose by the run's size and the cores
// this process may use.
struct TSamplingThreads {
  unsigned Count = 0;          // threads evaluating, the calling one included
  std::int32_t ChunkSteps = 0; // steps a thread takes at a time
};

struct TSampledSteps {
  std::vector<double> Y;      // y of the steps before the first failure; all when none fails
  std::exception_ptr Failure; // the first failing step's error, or null
};

// The threads a run of this many steps and distinct calls uses.
TSamplingThreads ChooseSamplingThreads(std::size_t steps, int distinctCalls);

TSampledSteps SampleSteps(TEvaluator& evaluator, std::span<const double> xs, TSamplingThreads threads = {});

} // namespace curvella
