#include "chart/ChartAxis.h"

#include <algorithm>
#include <cmath>

#include "chart/AxisPanel.h"
#include "chart/ChartCanvas.h"
#include "chart/ChartMessages.h"
#include "numtext/PictureFormat.h"

namespace curvella {

namespace {

constexpr double kLargestPixelOffset = 2147483647.0;
// More labels than any range of fewer than 10000 steps can give; only a
// value that stops decreasing could reach it.
constexpr int kMaxLabels = 100000;
// The 1-2-5 sequence crosses the whole range of normal doubles in about two
// thousand steps.
constexpr int kMaxStepSearch = 2000;

// Round to the nearest integer, ties to even.
long double RoundEven(long double v) { return nearbyintl(v); }

// A pixel offset as an integer, kept within the 32-bit range (NaN: 0).
std::int32_t ToPixel(long double v) {
  if (!(v == v)) return 0;
  return static_cast<std::int32_t>(std::clamp(RoundEven(v), -2147483648.0L, 2147483647.0L));
}

std::int32_t AddPixels(std::int64_t a, std::int64_t b) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(a + b, INT32_MIN, INT32_MAX));
}

} // namespace

double NextLabelStep(double x) {
  // Only the positive finite steps have a successor in the sequence.
  if (!(x > 0) || std::isinf(x)) return x;
  if (x >= 10) return static_cast<double>(NextLabelStep(static_cast<double>(x * 0.1L)) * 10.0L);
  if (x >= 5) return 10;
  if (x >= 2) return 5;
  if (x >= 1) return 2;
  return static_cast<double>(NextLabelStep(static_cast<double>(x * 10.0L)) * 0.1L);
}

TChartAxis::TChartAxis(TCustomAxisPanel* panel, bool horizontal, bool otherSide)
    : m_panel(panel), m_horizontal(horizontal), m_otherSide(otherSide),
      m_labelsFont(CreateChartFont(panel->PartChangedHandler())), m_axisPen(panel->PartChangedHandler()),
      m_ticks(panel->PartChangedHandler()), m_ticksInner(panel->PartChangedHandler()),
      m_minorTicks(panel->PartChangedHandler()), m_grid(panel->PartChangedHandler()),
      m_minorGrid(panel->PartChangedHandler()), m_title(panel->PartChangedHandler(), horizontal  ? 0
                                                                                     : otherSide ? 270
                                                                                                 : 90) {}

TChartAxis::~TChartAxis() = default;

void TChartAxis::Invalidate() { m_panel->Invalidate(); }

void TChartAxis::SetAutomatic(bool automatic) {
  SetAndInvalidate(m_automatic, automatic);
  if (!m_panel->Loading()) {
    SetAndInvalidate(m_automaticMinimum, automatic);
    SetAndInvalidate(m_automaticMaximum, automatic);
  }
}

void TChartAxis::SetAutomaticMaximum(bool automatic) {
  SetAndInvalidate(m_automaticMaximum, automatic);
  if (!automatic || m_automaticMinimum) SetAndInvalidate(m_automatic, automatic);
}

void TChartAxis::SetAutomaticMinimum(bool automatic) {
  SetAndInvalidate(m_automaticMinimum, automatic);
  if (!automatic || m_automaticMaximum) SetAndInvalidate(m_automatic, automatic);
}

void TChartAxis::SetMaximum(double value) {
  if (!m_panel->Loading() && value < m_minimum) throw AxisException(std::string(kAxisMaximumMessage));
  SetAndInvalidate(m_maximum, value);
}

void TChartAxis::SetMinimum(double value) {
  if (!m_panel->Loading() && value > m_maximum) throw AxisException(std::string(kAxisMinimumMessage));
  SetAndInvalidate(m_minimum, value);
}

void TChartAxis::SetIncrement(double value) {
  if (value < 0) throw AxisException(std::string(kAxisIncrementMessage));
  SetAndInvalidate(m_increment, value);
}

void TChartAxis::SetLabelsSeparation(std::int32_t percent) {
  if (percent < 0) throw AxisException(std::string(kLabelsSeparationMessage));
  SetAndInvalidate(m_labelsSeparation, percent);
}

void TChartAxis::SetLogarithmic(bool logarithmic) {
  if (logarithmic && m_dateTime) throw AxisException(std::string(kDateTimeLogarithmicMessage));
  if (logarithmic && (m_workingMinimum < 0 || m_workingMaximum < 0)) {
    throw AxisException(std::string(kLogarithmicRangeMessage));
  }
  SetAndInvalidate(m_logarithmic, logarithmic);
}

void TChartAxis::SetLabelsAngle(std::int32_t angle) {
  CheckAngle(angle, "Axis Labels");
  SetAndInvalidate(m_labelsAngle, angle);
}

void TChartAxis::ComputeAxisRange() {
  if (IsDepthAxis()) {
    if (m_automatic || m_automaticMaximum) m_maximum = 0.5;
    if (m_automatic || m_automaticMinimum) m_minimum = -0.5;
  } else {
    if (m_automatic || m_automaticMaximum) m_maximum = m_panel->SeriesRangeOnAxis(*this, true, m_horizontal);
    if (m_automatic || m_automaticMinimum) m_minimum = m_panel->SeriesRangeOnAxis(*this, false, m_horizontal);
  }
  m_workingMaximum = m_maximum;
  m_workingMinimum = m_minimum;
  m_workingRange = static_cast<double>(static_cast<long double>(m_workingMaximum) - m_workingMinimum);

  m_dateTime = false;
  for (std::int32_t i = 0; i < m_panel->SeriesCount(); ++i) {
    const TChartSeries& s = m_panel->Series(i);
    if (s.Active() && s.IsAssociatedWith(*this)) {
      m_dateTime = m_horizontal ? s.XValues().DateTime() : s.YValues().DateTime();
      break;
    }
  }
}

void TChartAxis::PlaceAxisEnds() {
  const TRect& plot = m_panel->PlotRect();
  const std::int32_t origin = m_horizontal ? plot.Left : plot.Top;
  const std::int32_t length = m_horizontal ? m_panel->PlotWidth() : m_panel->PlotHeight();
  m_firstPixel = AddPixels(origin, ToPixel(length * 0.01L * m_startPosition));
  m_lastPixel = AddPixels(origin, ToPixel(length * 0.01L * m_endPosition));
  m_axisLength = AddPixels(m_lastPixel, -static_cast<std::int64_t>(m_firstPixel));
  m_centerPixel = static_cast<std::int32_t>((static_cast<std::int64_t>(m_firstPixel) + m_lastPixel) / 2);
}

void TChartAxis::WidenForMargins(std::int32_t lowMargin, std::int32_t highMargin) {
  if (lowMargin == 0 && highMargin == 0) {
    // Nothing to widen: mapping the ends back and forth would move them by
    // a rounding step and lose the label at an end. An axis without length
    // still maps everything to 0, and ends stored the wrong way round (while
    // loading) are still put in order.
    if (m_axisLength < 1) {
      m_workingMinimum = m_workingMaximum = m_workingRange = 0;
    } else if (m_workingMinimum > m_workingMaximum) {
      std::swap(m_workingMinimum, m_workingMaximum);
      m_workingRange = static_cast<double>(static_cast<long double>(m_workingMaximum) - m_workingMinimum);
    }
    return;
  }
  const std::int32_t oldFirst = m_firstPixel;
  const std::int32_t oldLast = m_lastPixel;
  // Ends placed at the integer limits stay there, as PlaceAxisEnds keeps them.
  m_firstPixel = AddPixels(m_firstPixel, lowMargin);
  m_lastPixel = AddPixels(m_lastPixel, -static_cast<std::int64_t>(highMargin));
  m_axisLength = AddPixels(m_lastPixel, -static_cast<std::int64_t>(m_firstPixel));
  const double a = PixelToValue(oldFirst);
  const double b = PixelToValue(oldLast);
  PlaceAxisEnds();
  m_workingMinimum = a;
  m_workingMaximum = b;
  if (m_workingMinimum > m_workingMaximum) std::swap(m_workingMinimum, m_workingMaximum);
  m_workingRange = static_cast<double>(static_cast<long double>(m_workingMaximum) - m_workingMinimum);
}

std::int32_t TChartAxis::ValueToPixel(double value) const {
  if (m_workingRange == 0) return m_centerPixel;
  const auto t = static_cast<double>((static_cast<long double>(value) - m_workingMinimum) * m_axisLength /
                                     m_workingRange);
  // Offsets beyond the integer range, and NaN, go to the centre.
  if (!(std::fabs(t) < kLargestPixelOffset)) return m_centerPixel;
  const auto k = static_cast<std::int64_t>(RoundEven(t));
  if (m_horizontal) return m_inverted ? AddPixels(m_lastPixel, -k) : AddPixels(m_firstPixel, k);
  return m_inverted ? AddPixels(m_firstPixel, k) : AddPixels(m_lastPixel, -k);
}

double TChartAxis::PixelToValue(std::int32_t pixel) const {
  if (m_axisLength < 1) return 0;
  const long double offset = m_inverted ? static_cast<long double>(m_lastPixel) - pixel
                                        : static_cast<long double>(pixel) - m_firstPixel;
  const long double d = offset * m_workingRange / m_axisLength;
  return static_cast<double>(m_horizontal ? m_workingMinimum + d : m_workingMaximum - d);
}

std::int32_t TChartAxis::LabelSizeAlongAxis(double value) {
  std::int32_t lines = 1;
  const std::int32_t widest = m_panel->WidestLineWidth(AxisLabelText(value), &lines);
  const bool upright = m_labelsAngle == 90 || m_labelsAngle == 270;
  const std::int32_t lineHeight = m_panel->Canvas().TextLineHeight();
  if (m_horizontal) return upright ? lineHeight * lines : widest;
  const bool level = m_labelsAngle == 0 || m_labelsAngle == 180;
  return level ? lineHeight * lines : widest;
}

double TChartAxis::ComputeLabelStep() {
  const std::int32_t size =
      std::max(LabelSizeAlongAxis(m_workingMaximum), LabelSizeAlongAxis(m_workingMinimum));
  std::int64_t n = 1;
  if (size > 0) {
    std::int64_t spaced = size;
    if (m_labelsSeparation > 0)
      spaced += static_cast<std::int64_t>(RoundEven(m_labelsSeparation * 0.01L * size));
    n = static_cast<std::int64_t>(RoundEven(static_cast<long double>(m_axisLength) / spaced));
  }
  if (n < 1) return kMinimumAxisStep;

  double t = m_increment > 0 ? m_increment : std::fabs(m_workingRange) >= 1 ? 1.0 : kMinimumAxisStep;
  if (m_labelsSeparation > 0) {
    std::int64_t k = n + 1;
    for (int turn = 0; turn < kMaxStepSearch && k > n; ++turn) {
      const double q = m_workingRange / t;
      if (std::fabs(q) < kLargestPixelOffset) {
        k = static_cast<std::int64_t>(RoundEven(q));
        if (k > n) t = NextLabelStep(t);
      } else {
        t = NextLabelStep(t);
      }
    }
  }
  return std::max(t, kMinimumAxisStep);
}

std::vector<double> TChartAxis::LabelValues() { return LabelValues(ComputeLabelStep()); }

std::vector<double> TChartAxis::LabelValues(double step) {
  std::vector<double> values;
  // Not below 10000 (NaN included): no labels.
  if (!(std::fabs(m_workingRange / step) < 10000)) return values;

  double v = m_workingMaximum;
  if (m_workingMinimum != m_workingMaximum && m_roundFirstLabel) {
    const double quotient = m_workingMaximum / step;
    v = static_cast<double>(static_cast<long double>(std::trunc(quotient)) * step);
  }
  for (int turn = 0; turn < kMaxLabels && v > m_workingMaximum; ++turn) {
    const auto next = static_cast<double>(static_cast<long double>(v) - step);
    if (!(next < v)) break;
    v = next;
  }
  const auto bound =
      static_cast<double>((static_cast<long double>(m_workingMinimum) - 1e-12L) / 1.000000000001L);
  while (v >= bound && static_cast<int>(values.size()) < kMaxLabels) {
    values.push_back(v);
    const auto next = static_cast<double>(static_cast<long double>(v) - step);
    // A step below half a unit in the last place no longer lowers v: that
    // value has had its one label.
    if (!(next < v)) break;
    v = next;
  }
  return values;
}

std::string TChartAxis::AxisLabelText(double value) {
  std::string text = FormatPicture(m_axisValuesFormat, value);
  if (m_panel->OnGetAxisLabel) m_panel->OnGetAxisLabel(*this, nullptr, -1, text);
  if (m_labelsMultiLine) std::replace(text.begin(), text.end(), ' ', '\r');
  return text;
}

void TChartAxis::SetAxisRange(double minimum, double maximum) {
  m_automatic = m_automaticMinimum = m_automaticMaximum = false;
  if (minimum > maximum) std::swap(minimum, maximum);
  SetAndInvalidate(m_minimum, minimum);
  SetAndInvalidate(m_maximum, maximum);
  if (static_cast<long double>(m_maximum) - m_minimum < 1e-10L) {
    SetAndInvalidate(m_maximum, static_cast<double>(m_minimum + 1e-10L));
  }
}

void TChartAxis::ShiftAxisRange(bool limit, double delta) {
  if (std::isnan(delta)) return;
  if (limit) {
    if (delta > 0 && !(m_panel->SeriesRangeOnAxis(*this, true, m_horizontal) > m_maximum)) return;
    if (delta < 0 && !(m_panel->SeriesRangeOnAxis(*this, false, m_horizontal) < m_minimum)) return;
    if (delta == 0) return;
  }
  m_automatic = m_automaticMaximum = m_automaticMinimum = false;
  m_maximum = static_cast<double>(m_maximum + static_cast<long double>(delta));
  m_minimum = static_cast<double>(m_minimum + static_cast<long double>(delta));
  m_panel->Invalidate();
  m_panel->RepaintNow();
}

} // namespace curvella
