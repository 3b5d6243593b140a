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

#include "chart/ChartCanvas.h"
#include "platform/Canvas.h"

namespace curvella {

class TCustomAxisPanel;
class TChartSeries;

enum class TAxisLabelStyle { talAuto, talNone, talValue, talMark, talText };

// The title of an axis: a caption, its angle and its font.
class TChartAxisTitle : public TChangeNotifier {
public:
  explicit TChartAxisTitle(THandler onChange, std::int32_t angle = 0);

  const std::string& Caption() const { return m_caption; }
  void SetCaption(const std::string& caption) { Assign(m_caption, caption); }
  std::int32_t Angle() const { return m_angle; }
  // Raises ChartException outside 0 .. 359 ("Axis Title Angle ...").
  void SetAngle(std::int32_t angle);
  TFont& Font() { return *m_font; }

private:
  std::string m_caption;
  std::int32_t m_angle;
  std::unique_ptr<TFont> m_font;
};

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

  // Drawing properties.
  TChartAxisPen& Axis() { return m_axisPen; }
  TDarkGrayPen& Ticks() { return m_ticks; }
  std::int32_t TickLength() const { return m_tickLength; }
  void SetTickLength(std::int32_t length) { SetAndInvalidate(m_tickLength, length); }
  TDarkGrayPen& TicksInner() { return m_ticksInner; }
  std::int32_t TickInnerLength() const { return m_tickInnerLength; }
  void SetTickInnerLength(std::int32_t length) { SetAndInvalidate(m_tickInnerLength, length); }
  TDarkGrayPen& MinorTicks() { return m_minorTicks; }
  std::int32_t MinorTickLength() const { return m_minorTickLength; }
  void SetMinorTickLength(std::int32_t length) { SetAndInvalidate(m_minorTickLength, length); }
  std::int32_t MinorTickCount() const { return m_minorTickCount; }
  void SetMinorTickCount(std::int32_t count) { SetAndInvalidate(m_minorTickCount, count); }
  bool TickOnLabelsOnly() const { return m_tickOnLabelsOnly; }
  void SetTickOnLabelsOnly(bool only) { SetAndInvalidate(m_tickOnLabelsOnly, only); }
  TDottedGrayPen& Grid() { return m_grid; }
  bool GridCentered() const { return m_gridCentered; }
  void SetGridCentered(bool centered) { SetAndInvalidate(m_gridCentered, centered); }
  TChartHiddenPen& MinorGrid() { return m_minorGrid; }
  bool Labels() const { return m_labels; }
  void SetLabels(bool labels) { SetAndInvalidate(m_labels, labels); }
  bool LabelsOnAxis() const { return m_labelsOnAxis; }
  void SetLabelsOnAxis(bool onAxis) { SetAndInvalidate(m_labelsOnAxis, onAxis); }
  std::int32_t LabelsSize() const { return m_labelsSize; }
  void SetLabelsSize(std::int32_t size) { SetAndInvalidate(m_labelsSize, size); }
  TAxisLabelStyle LabelStyle() const { return m_labelStyle; }
  // Repaints the chart at once.
  void SetLabelStyle(TAxisLabelStyle style);
  TChartAxisTitle& Title() { return m_title; }
  std::int32_t TitleSize() const { return m_titleSize; }
  void SetTitleSize(std::int32_t size) { SetAndInvalidate(m_titleSize, size); }

  // Where the axis drew at the last paint, across its direction: the axis
  // line, the outer edge of the ticks where labels start, and the outer edge
  // of the labels where the title starts.
  std::int32_t AxisLinePosition() const { return m_axisLinePosition; }
  std::int32_t LabelsPosition() const { return m_labelsPosition; }
  std::int32_t TitlePosition() const { return m_titlePosition; }
  // The tick positions of the last PaintAxis, along the axis.
  const std::vector<std::int32_t>& TickPositions() const { return m_tickPositions; }

  // The label style in effect: talAuto resolved from the series.
  TAxisLabelStyle EffectiveLabelStyle() const;
  // Room across the axis, in pixels.
  std::int32_t TickRoom() const;
  std::int32_t LabelRoom();
  std::int32_t TitleRoom();
  // Cuts the title, label and tick room from rect on the axis's side.
  void ReserveAxisSpace(TRect& rect, bool shrink);
  // Title, labels, axis line, outer ticks, grid, inner ticks, minor ticks,
  // minor grid.
  void PaintAxis();
  // A possibly multi-line label or title at a reference point.
  void DrawLabelText(std::int32_t x, std::int32_t y, std::string_view text, std::int32_t angle);
  // Whether a point lies on the axis: between its ends, from its line to its
  // labels.
  bool HitTest(std::int32_t x, std::int32_t y) const;

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
  // The same for a step already computed (a paint computes it once).
  std::vector<double> LabelValues(double step);
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

  TChartAxisPen m_axisPen;
  TDarkGrayPen m_ticks;
  std::int32_t m_tickLength = 4;
  TDarkGrayPen m_ticksInner;
  std::int32_t m_tickInnerLength = 0;
  TDarkGrayPen m_minorTicks;
  std::int32_t m_minorTickLength = 2;
  std::int32_t m_minorTickCount = 3;
  bool m_tickOnLabelsOnly = true;
  TDottedGrayPen m_grid;
  bool m_gridCentered = false;
  TChartHiddenPen m_minorGrid;
  bool m_labels = true;
  bool m_labelsOnAxis = true;
  std::int32_t m_labelsSize = 0;
  TAxisLabelStyle m_labelStyle = TAxisLabelStyle::talAuto;
  TChartAxisTitle m_title;
  std::int32_t m_titleSize = 0;

  std::int32_t m_axisLinePosition = 0;
  std::int32_t m_labelsPosition = 0;
  std::int32_t m_titlePosition = 0;
  std::vector<std::int32_t> m_tickPositions;

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
