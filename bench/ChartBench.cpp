// Speed of the chart: Run appends up to 10,000 points, drawing maps every
// point through its axes, a paint draws the window's chart or copies its
// cached picture, and "Save As EMF" records it.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "app/WindowChart.h"
#include "chart/AxisPanel.h"
#include "chart/Series.h"

namespace curvella {
namespace {

void BM_AddPoint10000InOrder(benchmark::State& state) {
  TCustomAxisPanel chart;
  TChartSeries& series = chart.AddSeries(std::make_unique<TLineSeries>());
  for (auto _ : state) {
    series.ClearPoints();
    for (int i = 0; i < 10000; ++i) series.AddPoint(i * 0.02, i * 0.5);
  }
  state.counters["points"] = series.PointCount();
}
BENCHMARK(BM_AddPoint10000InOrder)->Unit(benchmark::kMicrosecond);

void BM_ValueToPixel10000(benchmark::State& state) {
  TCustomAxisPanel chart;
  TChartSeries& series = chart.AddSeries(std::make_unique<TLineSeries>());
  for (int i = 0; i < 10000; ++i) series.AddPoint(i * 0.02, i * i * 0.001);
  chart.SetPlotRect({20, 20, 969, 548});
  chart.RecalcPlotSize();
  TChartAxis& axis = chart.LeftAxis();
  axis.ComputeAxisRange();
  axis.PlaceAxisEnds();
  const TChartValueList& ys = series.YValues();
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (int i = 0; i < 10000; ++i) sum += axis.ValueToPixel(ys[i]);
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_ValueToPixel10000)->Unit(benchmark::kMicrosecond);

// The window's chart with 10,000 points of a parabola.
struct TWindowChartFixture {
  TWindowChartFixture() : Series(ApplyWindowChartSettings(Chart)) {
    for (int i = 0; i < 10000; ++i) {
      const double x = i * 0.0002;
      Series.AddPoint(x, x * x - 3 * x + 2);
    }
  }
  TChart Chart;
  TLineSeries& Series;
};

void BM_DrawingPass10000Points(benchmark::State& state) {
  TWindowChartFixture f;
  for (auto _ : state) {
    f.Chart.Canvas().MarkStale();
    f.Chart.Paint();
  }
}
BENCHMARK(BM_DrawingPass10000Points)->Unit(benchmark::kMillisecond);

// A zoom into a steep function: the edge piece from the plot's left edge
// runs millions of pixels off the picture, yet costs only its visible part.
void BM_DrawingPassFarEdgePiece(benchmark::State& state) {
  TChart chart;
  TLineSeries& series = ApplyWindowChartSettings(chart);
  series.AddPoint(0, -8e6);
  series.AddPoint(1, 0);
  series.AddPoint(2, 1);
  chart.BottomAxis().SetAxisRange(0.5, 2);
  for (TChartAxis* axis : {&chart.LeftAxis(), &chart.RightAxis()}) axis->SetAxisRange(-1, 1);
  for (auto _ : state) {
    chart.Canvas().MarkStale();
    chart.Paint();
  }
}
BENCHMARK(BM_DrawingPassFarEdgePiece)->Unit(benchmark::kMillisecond);

// A constant function of a few thousand: the vertical axes have a span of
// nought, and their labels fall thousands of times on the same few pixels.
void BM_DrawingPassConstantFunction(benchmark::State& state) {
  TChart chart;
  TLineSeries& series = ApplyWindowChartSettings(chart);
  for (int i = 0; i < 100; ++i) series.AddPoint(i * 0.02, 8000);
  chart.Paint();
  for (auto _ : state) {
    chart.Canvas().MarkStale();
    chart.Paint();
  }
}
BENCHMARK(BM_DrawingPassConstantFunction)->Unit(benchmark::kMillisecond);

// Zoomed so far into x near 100000 that the bottom axis spans 1e-10: its
// labels run thousands of pixels beyond the plot on both sides.
void BM_DrawingPassNarrowestZoom(benchmark::State& state) {
  TChart chart;
  TLineSeries& series = ApplyWindowChartSettings(chart);
  for (int i = 0; i <= 100; ++i) series.AddPoint(100000 + i * 0.02, i);
  chart.BottomAxis().SetAxisRange(100000.00467832068, 100000.00467832068);
  chart.Paint();
  for (auto _ : state) {
    chart.Canvas().MarkStale();
    chart.Paint();
  }
}
BENCHMARK(BM_DrawingPassNarrowestZoom)->Unit(benchmark::kMillisecond);

void BM_RepaintFromCache(benchmark::State& state) {
  TWindowChartFixture f;
  f.Chart.Paint();
  for (auto _ : state) f.Chart.Paint();
}
BENCHMARK(BM_RepaintFromCache)->Unit(benchmark::kMicrosecond);

// Drawing passes whose axes have thousands of labels on a few pixel rows: a
// constant function between about 1,000 and 10,000 in the window's chart,
// and two points with y from 0 to 7.04e-9 at 121 x 20 pixels.
void BM_DrawingPassNarrowRange(benchmark::State& state) {
  TChart chart;
  TLineSeries& series = ApplyWindowChartSettings(chart);
  const bool tiny = state.range(0) == 1;
  if (tiny) {
    chart.SetControlSize({121 + 2 * kWindowChartBorder, 20 + 2 * kWindowChartBorder});
    series.AddPoint(0, 0);
    series.AddPoint(1, 7.04000002703360E-0009);
  } else {
    for (int i = 0; i < 100; ++i) series.AddPoint(1000 + 90 * i, 8000);
  }
  for (auto _ : state) {
    chart.Canvas().MarkStale();
    chart.Paint();
  }
}
BENCHMARK(BM_DrawingPassNarrowRange)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same charts' first drawing pass after a Run of a new function: the
// window's one chart with new points, whose label texts have not been drawn
// before.
void BM_FirstDrawingPassNarrowRange(benchmark::State& state) {
  TChart chart;
  TLineSeries& series = ApplyWindowChartSettings(chart);
  const bool tiny = state.range(0) == 1;
  if (tiny) chart.SetControlSize({121 + 2 * kWindowChartBorder, 20 + 2 * kWindowChartBorder});
  int run = 0;
  const auto addPoints = [&] {
    ++run;
    series.ClearPoints();
    if (tiny) {
      series.AddPoint(0, run);
      series.AddPoint(1, run + 7.04000002703360E-0009);
    } else {
      for (int i = 0; i < 100; ++i) series.AddPoint(1000 + 90 * i, 8000 + run);
    }
  };
  addPoints();
  chart.Paint();
  for (auto _ : state) {
    state.PauseTiming();
    addPoints();
    chart.Canvas().MarkStale();
    state.ResumeTiming();
    chart.Paint();
  }
}
BENCHMARK(BM_FirstDrawingPassNarrowRange)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One mouse move of a zoom drag: the rectangle follows, and the paint copies
// the cached picture and inverts the rectangle over it.
void BM_ZoomDragMove(benchmark::State& state) {
  TWindowChartFixture f;
  f.Chart.Paint();
  const std::int32_t x = f.Chart.PlotXCenter();
  const std::int32_t y = f.Chart.PlotYCenter();
  f.Chart.MouseDown(TMouseButton::mbLeft, {}, x - 100, y - 100);
  std::int32_t step = 0;
  for (auto _ : state) {
    ++step;
    f.Chart.MouseMove({}, x + step % 50, y + step % 30);
    f.Chart.Paint();
  }
}
BENCHMARK(BM_ZoomDragMove)->Unit(benchmark::kMicrosecond);

// One step of a scroll drag: the axes move and the chart is drawn anew.
void BM_ScrollStep(benchmark::State& state) {
  TWindowChartFixture f;
  f.Chart.Paint();
  const std::int32_t x = f.Chart.PlotXCenter();
  const std::int32_t y = f.Chart.PlotYCenter();
  f.Chart.MouseDown(TMouseButton::mbRight, {}, x, y);
  std::int32_t step = 0;
  for (auto _ : state) {
    ++step;
    f.Chart.MouseMove({}, x + (step % 2 == 0 ? 0 : 3), y + (step % 2 == 0 ? 0 : 2));
    f.Chart.Paint();
  }
}
BENCHMARK(BM_ScrollStep)->Unit(benchmark::kMillisecond);

// "Save As EMF": the recording and the file.
void BM_MetafileExport10000Points(benchmark::State& state) {
  TWindowChartFixture f;
  f.Chart.Paint();
  const std::string path = (std::filesystem::temp_directory_path() / "curvella-bench.emf").string();
  for (auto _ : state) f.Chart.WriteMetafileFile(path);
  std::filesystem::remove(path);
}
BENCHMARK(BM_MetafileExport10000Points)->Unit(benchmark::kMillisecond);

// The pictures of the window's chart with 10,000 points, from the export
// call to the file closed (fsync included): 0 BMP, 1 PNG, 2 SVG.
void BM_PictureExport10000Points(benchmark::State& state) {
  TWindowChartFixture f;
  f.Chart.Paint();
  const char* const names[] = {"curvella-bench.bmp", "curvella-bench.png", "curvella-bench.svg"};
  const std::string path = (std::filesystem::temp_directory_path() / names[state.range(0)]).string();
  for (auto _ : state) {
    if (state.range(0) == 0)
      f.Chart.WriteBitmapFile(path);
    else if (state.range(0) == 1)
      f.Chart.WritePngFile(path);
    else
      f.Chart.WriteSvgFile(path);
  }
  state.SetLabel(std::to_string(std::filesystem::file_size(path)) + " bytes");
  std::filesystem::remove(path);
}
BENCHMARK(BM_PictureExport10000Points)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// curvella-batch --size 20000x20000 --emf: both layout passes without a
// raster, then the recording and the file.
void BM_BatchMetafile20000x20000(benchmark::State& state) {
  const std::string path = (std::filesystem::temp_directory_path() / "curvella-bench-big.emf").string();
  for (auto _ : state) {
    TWindowChartFixture f;
    f.Chart.SetControlSize({20000 + 2 * kWindowChartBorder, 20000 + 2 * kWindowChartBorder});
    f.Chart.LayOut();
    f.Chart.LayOut();
    f.Chart.WriteMetafileFile(path);
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_BatchMetafile20000x20000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace curvella
