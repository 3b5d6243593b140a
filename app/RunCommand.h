#pragma once

// The Run command without the window: read the four boxes, rewrite and list
// the expression's calls, store the run record, and sample the expression at
// evenly spaced x, one point at a time.
//
// Steps are read with TextToInt and clamped: more than 10000 become 10000,
// fewer than 1 become 1000. First and last x are read with TextToReal and
// stored as doubles; one beyond the double range raises "Floating point
// overflow" before the record changes. x starts at the first x and advances
// by (last - first) / steps, formed in extended precision, the sum rounded
// to double: the last point lies one step short of the last x.
//
//   steps "0", "-5", "", "abc" -> 1000     "20000" -> 10000
//   steps "50.5" -> 50                     "1e3"   -> 1
//   "function f(x)", 0, 2, 100 -> 100 points of y = 0, x = 0, 0.02, ... 1.98
//   "1/x" from 0 -> "Floating point division by zero" at the first step
//
// An expression that cannot be evaluated is refused before any point (see
// RewriteExpression). An arithmetic error leaves at the failing step: the
// points before it have been delivered, and the record holds this run's
// range and how many steps were completed.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "app/StepSampling.h"

namespace curvella {

inline constexpr int kMaxSteps = 10000;

// The last run, written by Run and read by the point-file export.
struct TRunRecord {
  double FirstX = 0;                        // the first x, from the first box
  double LastX = 0;                         // the last x as typed
  std::int32_t StepCount = 0;               // steps after clamping, 1 to 10000; 0 before any run
  std::int32_t CompletedSteps = 0;          // steps whose y this run computed
  std::array<double, kMaxSteps> SampledY{}; // y of step 1 at index 0, and so on
};

// The texts of the window's four boxes, initially as the window shows them.
struct TRunTexts {
  std::string Expression = "function f(x)";
  std::string FirstX = "0";
  std::string LastX = "2";
  std::string Steps = "100";
};

std::int32_t ClampSteps(std::int32_t steps);

// The width of a step, (lastX - firstX) / stepCount in extended precision,
// and the x after x: x plus that width, rounded to double.
long double StepWidth(double firstX, double lastX, std::int32_t stepCount);
double NextX(double x, double firstX, double lastX, std::int32_t stepCount);

using TPointSink = std::function<void(double x, double y)>;

// Run without the window's own first steps (enabling the export button and
// clearing the series): every point goes to onPoint, on the calling thread
// and in step order, once the y values are known (see SampleSteps for the
// threads that evaluate them).
void RunSampling(const TRunTexts& texts, TRunRecord& record, const TPointSink& onPoint,
                 TSamplingThreads threads = {});

} // namespace curvella
