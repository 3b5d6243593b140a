#include "app/StepSampling.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <system_error>
#include <thread>

#include "numtext/Extended.h"

namespace curvella {

namespace {

// Below this many evaluated calls a run stays on one thread: starting a
// thread costs about as much as a few thousand calls.
constexpr std::size_t kParallelWork = 20000;
// Chunks small enough that little is computed past a failing step, and
// enough of them per thread that threads finish together.
constexpr std::int32_t kLargestChunk = 256;
constexpr std::size_t kChunksPerThread = 16;

unsigned UsableCores() {
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) return static_cast<unsigned>(std::max(1, CPU_COUNT(&set)));
  return std::max(1u, std::thread::hardware_concurrency());
}

// The steps, handed out a chunk at a time in step order.
class TChunkedSampling {
public:
  TChunkedSampling(std::span<const double> xs, std::size_t chunk)
      : m_xs(xs), m_y(xs.size()), m_chunk(chunk), m_firstFailure(xs.size()) {}

  // Takes chunks until none is left before the first failing step known so
  // far: chunks are taken in order, so a later one lies wholly past it.
  void Work(TEvaluator& evaluator) {
    for (;;) {
      const std::size_t begin = m_next.fetch_add(m_chunk);
      if (begin >= m_firstFailure.load()) return;
      const std::size_t end = std::min(begin + m_chunk, m_xs.size());
      for (std::size_t s = begin; s < end; ++s) {
        try {
          m_y[s] = evaluator.EvaluateAt(m_xs[s]);
        } catch (...) {
          Fail(s, std::current_exception());
          return;
        }
      }
    }
  }

  TSampledSteps Result() && {
    m_y.resize(m_firstFailure.load());
    return {std::move(m_y), m_failure};
  }

private:
  void Fail(std::size_t step, std::exception_ptr error) {
    const std::lock_guard lock(m_mutex);
    if (step >= m_firstFailure.load()) return;
    m_firstFailure.store(step);
    m_failure = std::move(error);
  }

  std::span<const double> m_xs;
  std::vector<double> m_y;
  const std::size_t m_chunk;
  std::atomic<std::size_t> m_next{0};
  std::atomic<std::size_t> m_firstFailure; // the steps' count while none failed
  std::mutex m_mutex;
  std::exception_ptr m_failure;
};

} // namespace

TSamplingThreads ChooseSamplingThreads(std::size_t steps, int distinctCalls) {
  const unsigned cores = UsableCores();
  if (cores == 1 || steps < 2 || steps * static_cast<std::size_t>(std::max(distinctCalls, 0)) < kParallelWork)
    return {1, static_cast<std::int32_t>(std::max<std::size_t>(steps, 1))};
  const auto count = static_cast<unsigned>(std::min<std::size_t>(cores, steps));
  const auto chunk = std::clamp<std::size_t>(steps / (count * kChunksPerThread), 1, kLargestChunk);
  return {count, static_cast<std::int32_t>(chunk)};
}

TSampledSteps SampleSteps(TEvaluator& evaluator, std::span<const double> xs, TSamplingThreads threads) {
  const TSamplingThreads chosen = ChooseSamplingThreads(xs.size(), evaluator.DistinctSteps());
  const unsigned count = threads.Count != 0 ? threads.Count : chosen.Count;
  const std::int32_t chunk = threads.ChunkSteps > 0 ? threads.ChunkSteps : chosen.ChunkSteps;
  TChunkedSampling sampling(xs, static_cast<std::size_t>(chunk));
  {
    const TFloatingPointMode mode = CurrentFloatingPointMode();
    std::vector<std::jthread> workers;
    for (unsigned i = 1; i < count; ++i) {
      try {
        workers.emplace_back([&sampling, mode, own = TEvaluator(evaluator)]() mutable {
          SetFloatingPointMode(mode);
          sampling.Work(own);
        });
      } catch (const std::system_error&) {
        break; // no more threads to be had: the others take the steps
      }
    }
    sampling.Work(evaluator);
  }
  return std::move(sampling).Result();
}

} // namespace curvella
