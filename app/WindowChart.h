#pragma once

// The chart of the window, Chart1 with Series1, as the window stores it:
// both the window and curvella-batch build it here, so that they draw the
// same chart.
//
//   993 x 569 with a 2-pixel sunken border (a 989 x 565 picture), no 3D,
//   margins 2, 0, 2, 3 %, white background, the title "Y=F(x)" in blue
//   Arial of 12 pixels, the bottom and right axes labelled with the wide
//   picture, the top axis without labels, the left axis's labels split at
//   blanks, and Series1 a blue line on all four side axes, not in the
//   legend, with the Add function attached (it never changes the points);
//   zoom and scroll with the mouse as every chart (AnimatedZoomSteps 25,
//   without effect while AnimatedZoom is off).

#include "chart/Chart.h"
#include "chart/Series.h"

namespace curvella {

// The picture of the bottom and right axes' labels.
inline constexpr const char* kWideLabelPicture = "### ### ### ### ### ### ###.### ### ### ### ### ### ###";

inline constexpr TSize kWindowChartSize = {993, 569};
inline constexpr std::int32_t kWindowChartBorder = 2;

// Applies the stored settings to a new chart as loading them would, and
// adds Series1.
TLineSeries& ApplyWindowChartSettings(TChart& chart);

} // namespace curvella
