#pragma once

// The series kinds the chart draws with: TCustomSeries joins its points,
// TLineSeries is the window's Series1. (Their drawing comes with the chart's
// drawing.)

#include "chart/ChartSeries.h"

namespace curvella {

class TCustomSeries : public TChartSeries {
public:
  TCustomSeries();
};

class TLineSeries : public TCustomSeries {
public:
  TLineSeries();
};

} // namespace curvella
