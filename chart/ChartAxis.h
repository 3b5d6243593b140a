#pragma once

// An axis of the chart: its range from the series shown on it, the mapping
// of values to pixels and back, the label step from the label sizes, the
// values that get labels and their texts, and the range changes of zoom and
// scroll. (Its drawing lives in ChartAxisDrawing.)
//
// All arithmetic follows the extended-precision rules of the chart:
//   ValueToPixel: centre pixel for a zero range or |t| >= 2147483647,
//     otherwise the first pixel + Round(t) (horizontal) or the last pixel -
//     Round(t) (vertical), ties to even;
//   NextLabelStep: 1 -> 2 -> 5 -> 10 -> 20 ...; 0.001 -> 0.002; 3 -> 5;
//     1e-12 -> 1.0000000000000002e-12;
//   ComputeLabelStep: 0 .. 2 -> 1; 0 .. 0.5 with room for 20 labels -> 0.05;
//     0 .. 1,000,000 with room for 8 labels -> 200000;
//   LabelValues: from the top value downward by the step, down to a bound
//     just below the minimum; none when the range holds 10000 steps or more;
//     maximum 0.7 with step 0.1 -> 0.6000000000000001, 0.5000000000000001 ...
//   SetAxisRange(3, 3) -> 3 .. 3.0000000001; SetAxisRange(5, 1) -> 1 .. 5.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Canvas.h"

namespace curvella {

class TCustomAxisPanel;
class TChartSeries;

inline constexpr double kMinimumAxisStep = 1e-12;

// The sequence of label steps: the next value of 1, 2, 5 times a power of
// ten above x (x > 0).
double NextLabelStep(double x);

class TChartAxis {
public:
  TChartAxis(TCustomAxisPanel* panel, bool horizontal, bool otherSide);
  virtual ~TChartAxis();
  TChartAxis(const TChartAxis&) = delete;
  TChartAxis& operator=(const TChartAxis&) = delete;

  TCustomAxisPanel* Panel() const { return m_panel; }
  bool Horizontal() const { return m_horizontal; }
  bool OtherSide() const { return m_otherSide; }
  virtual bool IsDepthAxis() const { return false; }

  // Scaling properties.
  bool Automatic() const { return m_automatic; }
  void SetAutomatic(bool automatic);
  bool AutomaticMaximum() const { return m_automaticMaximum; }
  void SetAutomaticMaximum(bool automatic);
  bool AutomaticMinimum() const { return m_automaticMinimum; }
  void SetAutomaticMinimum(bool automatic);
  double Maximum() const { return m_maximum; }
  void SetMaximum(double value);
  double Minimum() const { return m_minimum; }
  void SetMinimum(double value);
  double Increment() const { return m_increment; }
  void SetIncrement(double value);
  std::int32_t LabelsSeparation() const { return m_labelsSeparation; }
  void SetLabelsSeparation(std::int32_t percent);
  bool RoundFirstLabel() const { return m_roundFirstLabel; }
  void SetRoundFirstLabel(bool round) { SetAndInvalidate(m_roundFirstLabel, round); }
  bool ExactDateTime() const { return m_exactDateTime; }
  void SetExactDateTime(bool exact) { SetAndInvalidate(m_exactDateTime, exact); }
  bool Logarithmic() const { return m_logarithmic; }
  void SetLogarithmic(bool logarithmic);
  std::int32_t LogarithmicBase() const { return m_logarithmicBase; }
  void SetLogarithmicBase(std::int32_t base) { SetAndInvalidate(m_logarithmicBase, base); }
  bool Inverted() const { return m_inverted; }
  void SetInverted(bool inverted) { SetAndInvalidate(m_inverted, inverted); }
  double StartPosition() const { return m_startPosition; }
  void SetStartPosition(double percent) { SetAndInvalidate(m_startPosition, percent); }
  double EndPosition() const { return m_endPosition; }
  void SetEndPosition(double percent) { SetAndInvalidate(m_endPosition, percent); }
  double PositionPercent() const { return m_positionPercent; }
  void SetPositionPercent(double percent) { SetAndInvalidate(m_positionPercent, percent); }

  // Label text properties.
  const std::string& AxisValuesFormat() const { return m_axisValuesFormat; }
  void SetAxisValuesFormat(const std::string& format) { SetAndInvalidate(m_axisValuesFormat, format); }
  const std::string& DateTimeFormat() const { return m_dateTimeFormat; }
  void SetDateTimeFormat(const std::string& format) { SetAndInvalidate(m_dateTimeFormat, format); }
  bool LabelsMultiLine() const { return m_labelsMultiLine; }
  void SetLabelsMultiLine(bool multiLine) { SetAndInvalidate(m_labelsMultiLine, multiLine); }
  TFont& LabelsFont() { return *m_labelsFont; }
  std::int32_t LabelsAngle() const { return m_labelsAngle; }
  // Raises ChartException outside 0 .. 359.
  void SetLabelsAngle(std::int32_t angle);
  bool Visible() const { return m_visible; }
  void SetVisible(bool visible) { SetAndInvalidate(m_visible, visible); }

  // The working state of the current layout.
  double WorkingMinimum() const { return m_workingMinimum; }
  double WorkingMaximum() const { return m_workingMaximum; }
  double WorkingRange() const { return m_workingRange; }
  std::int32_t FirstPixel() const { return m_firstPixel; }
  std::int32_t LastPixel() const { return m_lastPixel; }
  std::int32_t AxisLength() const { return m_axisLength; }
  std::int32_t CenterPixel() const { return m_centerPixel; }
  bool IsDateTime() const { return m_dateTime; }

  // Sets the ends from the series while automatic, then the working range.
  void ComputeAxisRange();
  // The first and last pixel from the plot rectangle.
  void PlaceAxisEnds();
  // Widens the working range so that the pixel margins stay free.
  void WidenForMargins(std::int32_t lowMargin, std::int32_t highMargin);
  std::int32_t ValueToPixel(double value) const;
  double PixelToValue(std::int32_t pixel) const;
  // The label step for the labels font on the canvas, the formats and the
  // axis length.
  double ComputeLabelStep();
  // The values that get labels, from the top one downward.
  std::vector<double> LabelValues();
  // The label text of a value: the picture, the chart's OnGetAxisLabel, and
  // blanks turned into line breaks when LabelsMultiLine.
  std::string AxisLabelText(double value);

  // A fixed range; the automatic flags go off.
  void SetAxisRange(double minimum, double maximum);
  // Scrolls by delta; with limit, not beyond the series' values.
  void ShiftAxisRange(bool limit, double delta);

protected:
  template <class T, class U> void SetAndInvalidate(T& field, const U& value) {
    if (field == value) return;
    field = value;
    Invalidate();
  }
  void Invalidate();
  // The label's size along the axis, measured with the canvas's font.
  std::int32_t LabelSizeAlongAxis(double value);

private:
  TCustomAxisPanel* m_panel;
  bool m_horizontal;
  bool m_otherSide;

  bool m_automatic = true;
  bool m_automaticMaximum = true;
  bool m_automaticMinimum = true;
  double m_maximum = 0;
  double m_minimum = 0;
  double m_increment = 0;
  std::int32_t m_labelsSeparation = 10;
  bool m_roundFirstLabel = true;
  bool m_exactDateTime = true;
  bool m_logarithmic = false;
  std::int32_t m_logarithmicBase = 10;
  bool m_inverted = false;
  double m_startPosition = 0;
  double m_endPosition = 100;
  double m_positionPercent = 0;

  std::string m_axisValuesFormat = "#,##0.###";
  std::string m_dateTimeFormat;
  bool m_labelsMultiLine = false;
  std::unique_ptr<TFont> m_labelsFont;
  std::int32_t m_labelsAngle = 0;
  bool m_visible = true;

  double m_workingMinimum = 0;
  double m_workingMaximum = 0;
  double m_workingRange = 0;
  std::int32_t m_firstPixel = 0;
  std::int32_t m_lastPixel = 0;
  std::int32_t m_axisLength = 0;
  std::int32_t m_centerPixel = 0;
  bool m_dateTime = false;
};

// The depth axis: shown only in 3D, which the window never uses.
class TChartDepthAxis : public TChartAxis {
public:
  explicit TChartDepthAxis(TCustomAxisPanel* panel) : TChartAxis(panel, false, true) {}
  bool IsDepthAxis() const override { return true; }
};

} // namespace curvella
