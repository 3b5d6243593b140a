#pragma once

// A chart with series and axes for the model tests, and a host that counts
// what the chart asks of its window.

#include <memory>

#include "chart/AxisPanel.h"
#include "chart/Series.h"

namespace curvella::test {

class TCountingHost : public TChartHost {
public:
  void Invalidate() override { ++Invalidations; }
  void RepaintNow() override { ++Repaints; }
  int Invalidations = 0;
  int Repaints = 0;
};

// A chart of the given plot rectangle with one line series scaled by all
// four side axes, as the window's.
struct TChartModel {
  explicit TChartModel(TRect plot = {20, 20, 220, 120}) {
    Chart.SetHost(&Host);
    Series = static_cast<TLineSeries*>(&Chart.AddSeries(std::make_unique<TLineSeries>()));
    Series->SetHorizAxis(THorizAxis::aBothHorizAxis);
    Series->SetVertAxis(TVertAxis::aBothVertAxis);
    SetPlot(plot);
  }

  void SetPlot(TRect plot) {
    Chart.SetPlotRect(plot);
    Chart.RecalcPlotSize();
  }

  // The axes' ranges and pixel ends for the current points, as a layout
  // computes them.
  void Layout() {
    for (TChartAxis* axis : Chart.Axes()) {
      axis->ComputeAxisRange();
      axis->PlaceAxisEnds();
    }
  }

  TCountingHost Host;
  TCustomAxisPanel Chart;
  TLineSeries* Series;
};

} // namespace curvella::test
