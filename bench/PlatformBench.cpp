// Speed of drawing a plotted curve on the chart's picture and of writing the
// picture out as a BMP file, at the size of a maximised chart window.

#include <benchmark/benchmark.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

#include <unistd.h>

#include "export/Bitmap.h"
#include "platform/Files.h"

namespace curvella {
namespace {

constexpr int kWidth = 989;
constexpr int kHeight = 565;
constexpr int kSegments = 10000;

// A function plotted across the width: five periods of a sine, with
// 10,000 segments as the sampler gives a dense curve.
std::vector<TPoint> Curve() {
  std::vector<TPoint> points;
  points.reserve(kSegments + 1);
  for (int i = 0; i <= kSegments; ++i) {
    const double t = static_cast<double>(i) / kSegments;
    const double y = kHeight / 2.0 - (kHeight / 2.0 - 10) * std::sin(t * 10 * std::numbers::pi);
    points.push_back({static_cast<std::int32_t>(std::lround(t * (kWidth - 1))),
                      static_cast<std::int32_t>(std::lround(y))});
  }
  return points;
}

void Prepare(TBitmap& bitmap) {
  bitmap.SetWidth(kWidth);
  bitmap.SetHeight(kHeight);
  bitmap.Canvas().Pen().SetColor(clBlack);
  bitmap.Canvas().Handle();
}

// The picture is cleared outside the timed region; only the line is timed.
void BM_Polyline10000(benchmark::State& state) {
  TBitmap bitmap(32);
  Prepare(bitmap);
  const std::vector<TPoint> curve = Curve();
  for (auto _ : state) {
    state.PauseTiming();
    bitmap.Canvas().Brush().SetColor(clWhite);
    bitmap.Canvas().FillRect({0, 0, kWidth, kHeight});
    state.ResumeTiming();
    bitmap.Device().Polyline(curve);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSegments);
}
BENCHMARK(BM_Polyline10000)->Unit(benchmark::kMillisecond);

// The argument is the file's depth.
void BM_WriteBmp989x565(benchmark::State& state) {
  TBitmap bitmap(static_cast<int>(state.range(0)));
  Prepare(bitmap);
  bitmap.Canvas().Polyline(Curve());
  for (auto _ : state) benchmark::DoNotOptimize(bitmap.BmpBytes());
}
BENCHMARK(BM_WriteBmp989x565)
    ->Arg(32)
    ->Arg(24)
    ->Arg(16)
    ->Arg(8)
    ->Arg(4)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

// With the file: the write, the flush to the disk and the rename. With the
// argument 1 the folder refuses the temporary file, and the file is written
// in place with its old contents (the picture before) kept in memory first.
void BM_SaveBmp989x565(benchmark::State& state) {
  TBitmap bitmap(32);
  Prepare(bitmap);
  bitmap.Canvas().Polyline(Curve());
  const std::string path = "/tmp/curvella-bench-" + std::to_string(::getpid()) + ".bmp";
  bitmap.SaveToFile(path);
  if (state.range(0) == 1) {
    SetFileFaultHook([count = 0](TFileOperation operation) mutable {
      // Every save's first open is its temporary file's.
      return operation == TFileOperation::Open && ++count % 2 == 1 ? EACCES : 0;
    });
  }
  for (auto _ : state) bitmap.SaveToFile(path);
  SetFileFaultHook({});
  std::remove(path.c_str());
}
BENCHMARK(BM_SaveBmp989x565)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace curvella
