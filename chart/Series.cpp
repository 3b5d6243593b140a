#include "chart/Series.h"

namespace curvella {

TCustomSeries::TCustomSeries() { SetJoinsPoints(true); }

TLineSeries::TLineSeries() { SetAcceptsSinglePoint(false); }

} // namespace curvella
