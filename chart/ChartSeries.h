#pragma once

// A chart series: the points of one plotted set, its columns (XValues,
// YValues) with a colour and a label per point, its place on the chart's
// axes, the series that use it as a data source, and the function that may
// compute it from its sources.
//
// AddPoint puts x where the X column's order wants it and y, the colour and
// the label at the same index; every change only asks the chart for a
// repaint, so any number of points added between two paints cost one paint.
//
//   add (1, 10), (3, 30), (2, 20)  -> X 1, 2, 3 and Y 10, 20, 30
//   PointColor of a point added with clDefault -> SeriesColor, or with
//     ColorEachPoint the palette colour of its index (mod 16)
//   ComputeShownRange, x all left of the plot -> -1, -1; all inside -> 0, n-1;
//     the last beyond the right edge -> the first index at or past the edge

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/ValueList.h"
#include "platform/Colors.h"
#include "platform/GraphicsTypes.h"
#include "platform/Input.h"
#include "platform/Notifier.h"

namespace curvella {

class TChartAxis;
class TCustomAxisPanel;
class TSeriesFunction;

enum class THorizAxis { aTopAxis, aBottomAxis, aBothHorizAxis, aCustomHorizAxis };
enum class TVertAxis { aLeftAxis, aRightAxis, aBothVertAxis, aCustomVertAxis };

// Which changes of a data source its dependents follow.
struct TRecalcOptions {
  bool OnDelete = true;
  bool OnChange = true;
  bool OnAdd = true;
  bool OnClear = true;
  friend bool operator==(const TRecalcOptions&, const TRecalcOptions&) = default;
};

// What a series tells the series that depend on it.
enum class TDependentNotice { Clear, Add, Delete, Refresh, Change };

// The palette of points without a colour of their own when ColorEachPoint.
inline constexpr std::array<TColor, 16> DefaultPalette = {
    clRed,  clGreen,  clYellow, clBlue,  clWhite,  clGray,   clFuchsia, clTeal,
    clNavy, clMaroon, clLime,   clOlive, clPurple, clSilver, clAqua,    clBlack};

// The value marks of a series (the window shows none).
class TSeriesMarks : public TChangeNotifier {
public:
  bool Visible() const { return m_visible; }
  void SetVisible(bool visible) { Assign(m_visible, visible); }
  std::int32_t ArrowLength() const { return m_arrowLength; }
  void SetArrowLength(std::int32_t length) { Assign(m_arrowLength, length); }

private:
  bool m_visible = true;
  std::int32_t m_arrowLength = 8;
};

class TChartSeries {
public:
  TChartSeries();
  virtual ~TChartSeries();
  TChartSeries(const TChartSeries&) = delete;
  TChartSeries& operator=(const TChartSeries&) = delete;

  const std::string& Name() const { return m_name; }
  void SetName(std::string name) { m_name = std::move(name); }

  TChartValueList& XValues() { return m_xValues; }
  const TChartValueList& XValues() const { return m_xValues; }
  TChartValueList& YValues() { return m_yValues; }
  const TChartValueList& YValues() const { return m_yValues; }
  // XValues first, YValues second, then the columns of kinds with more.
  const std::vector<TChartValueList*>& ValueLists() const { return m_valueLists; }

  // Returns the point's index, or -1 when OnBeforeAdd refused it.
  std::int32_t AddPoint(double x, double y, const std::string& label = {}, TColor color = clDefault);
  void ClearPoints();
  std::int32_t PointCount() const { return m_xValues.ValueCount(); }
  void RemovePoint(std::int32_t index);
  TColor PointColor(std::int32_t index) const;
  std::string PointLabel(std::int32_t index) const;
  double XValue(std::int32_t index) const { return m_xValues.ValueAt(index); }
  double YValue(std::int32_t index) const { return m_yValues.ValueAt(index); }
  double MinXValue() const { return m_xValues.LowestValue(); }
  double MaxXValue() const { return m_xValues.HighestValue(); }
  double MinYValue() const { return m_yValues.LowestValue(); }
  double MaxYValue() const { return m_yValues.HighestValue(); }
  // Swaps two points in every column, their colours and labels.
  void SwapPoints(std::int32_t a, std::int32_t b);

  // The points the next drawing shows: FirstShownIndex .. LastShownIndex,
  // -1 when nothing.
  void ComputeShownRange();
  std::int32_t FirstShownIndex() const { return m_firstShown; }
  std::int32_t LastShownIndex() const { return m_lastShown; }

  // Invalidates the chart, when there is one.
  void RequestRepaint();

  bool Active() const { return m_active; }
  void SetActive(bool active) { SetAndRepaint(m_active, active); }
  TColor SeriesColor() const { return m_seriesColor; }
  void SetSeriesColor(TColor color) { SetAndRepaint(m_seriesColor, color); }
  bool ColorEachPoint() const { return m_colorEachPoint; }
  // Switching it off resets every stored point colour to clDefault.
  void SetColorEachPoint(bool colorEachPoint);
  bool ShowInLegend() const { return m_showInLegend; }
  void SetShowInLegend(bool show) { SetAndRepaint(m_showInLegend, show); }
  const std::string& Title() const { return m_title; }
  void SetTitle(const std::string& title) { SetAndRepaint(m_title, title); }
  const std::string& ValueFormat() const { return m_valueFormat; }
  void SetValueFormat(const std::string& format) { SetAndRepaint(m_valueFormat, format); }
  const std::string& PercentFormat() const { return m_percentFormat; }
  void SetPercentFormat(const std::string& format) { SetAndRepaint(m_percentFormat, format); }
  // The cursor shown over the series; crDefault: the chart's.
  TCursor Cursor() const { return m_cursor; }
  void SetCursor(TCursor cursor) { m_cursor = cursor; }
  bool TrimToVisible() const { return m_trimToVisible; }
  void SetTrimToVisible(bool trim) { SetAndRepaint(m_trimToVisible, trim); }
  TRecalcOptions RecalcOptions() const { return m_recalcOptions; }
  void SetRecalcOptions(TRecalcOptions options) { m_recalcOptions = options; }
  bool JoinsPoints() const { return m_joinsPoints; }
  bool AcceptsSinglePoint() const { return m_acceptsSinglePoint; }
  TSeriesMarks& Marks() { return m_marks; }

  THorizAxis HorizAxis() const { return m_horizAxis; }
  void SetHorizAxis(THorizAxis axis);
  TVertAxis VertAxis() const { return m_vertAxis; }
  void SetVertAxis(TVertAxis axis);
  // The axes the points are positioned through; none without a chart.
  TChartAxis* HorizontalAxis() const { return m_horizontalAxis; }
  TChartAxis* VerticalAxis() const { return m_verticalAxis; }
  // Whether the series scales the axis.
  bool IsAssociatedWith(const TChartAxis& axis) const;
  // The values run up the vertical axis (Y measured, X ordering).
  virtual bool MeasuresY() const { return true; }

  // Drawing, by each kind of series: the notice before a chart pass, the
  // points of the shown range, the pixels it needs free around the plot
  // (left and right, or top and bottom), and its symbol in a legend row
  // (index -1: the series itself).
  virtual void BeforeChart() {}
  virtual void PlotAllPoints() {}
  virtual void MarginsNeeded(bool horizontal, std::int32_t& low, std::int32_t& high);
  virtual void PaintLegendSymbol(std::int32_t index, const TRect& rect);
  std::int32_t LegendItemCount() const { return PointCount(); }

  TCustomAxisPanel* ParentChart() const { return m_parentChart; }
  // Called by the chart as the series joins or leaves it.
  void SetParentChart(TCustomAxisPanel* chart);

  TSeriesFunction* Function() const { return m_function.get(); }
  // Frees the previous function, keeps this one and checks the data source.
  void SetFunction(std::unique_ptr<TSeriesFunction> function);
  const std::vector<TChartSeries*>& DataSources() const { return m_dataSources; }
  // Adds a source; raises ChartException for a series without a chart, an
  // invalid source or a circular dependence.
  void AddDataSource(TChartSeries* source);
  void RemoveDataSource(TChartSeries* source);
  const std::vector<TChartSeries*>& Dependents() const { return m_dependents; }
  void NotifyDependents(TDependentNotice notice, std::int32_t index = -1);
  // Refills the series from its first data source, when it has one.
  void CheckDataSource();
  void RefillFromSource(TChartSeries& source);

  // While loading, data-source checks wait until EndLoading.
  bool Loading() const { return m_loading; }
  void BeginLoading() { m_loading = true; }
  void EndLoading();

  std::function<bool(TChartSeries&)> OnBeforeAdd;
  std::function<void(TChartSeries&, std::int32_t index)> OnAfterAdd;
  std::function<void(TChartSeries&)> OnClearValues;
  std::function<void(TChartSeries&)> BeforeDrawValues;
  std::function<void(TChartSeries&)> AfterDrawValues;
  // The text of a point's mark, to change; marks are not drawn by the line
  // series, so nothing asks for it there.
  std::function<void(TChartSeries&, std::int32_t index, std::string& text)> OnGetMarkText;

  // A press on the series: the point index, the button, the keys, the
  // position in the chart's client area.
  using TSeriesClick =
      std::function<void(TChartSeries&, std::int32_t, TMouseButton, TShiftState, std::int32_t, std::int32_t)>;
  TSeriesClick OnClick;
  TSeriesClick OnDblClick;

  // The point whose marker or line lies under (x, y) as last drawn, or -1.
  virtual std::int32_t Clicked(std::int32_t x, std::int32_t y);
  // The series' own handling of a press on point index: fires OnDblClick
  // for a double click, else OnClick; whether one of them was there.
  bool ClickedPoint(std::int32_t index, TMouseButton button, TShiftState shift, std::int32_t x,
                    std::int32_t y);
  // The mouse moved over, or was released over, the chart.
  virtual void MouseMoved(TShiftState, std::int32_t, std::int32_t) {}
  virtual void MouseReleased(TMouseButton, TShiftState, std::int32_t, std::int32_t) {}

protected:
  void SetJoinsPoints(bool joins) { m_joinsPoints = joins; }
  void SetAcceptsSinglePoint(bool accepts) { m_acceptsSinglePoint = accepts; }

private:
  template <class T, class U> void SetAndRepaint(T& field, const U& value) {
    if (field == value) return;
    field = value;
    RequestRepaint();
  }
  void ResolveAxes();
  // Puts the staged values, colour and label in at the X column's place.
  std::int32_t InsertPending(const std::string& label, TColor color);
  void AnnounceAdded(std::int32_t index);
  void CopyPointFrom(const TChartSeries& source, std::int32_t index);
  bool DependsOn(const TChartSeries* series) const;

  std::string m_name;
  bool m_active = true;
  TColor m_seriesColor = clDefault;
  bool m_colorEachPoint = false;
  std::vector<TColor> m_colors;
  TCursor m_cursor = crDefault;
  std::vector<TChartSeries*> m_dataSources;
  std::int32_t m_firstShown = -1;
  TChartAxis* m_horizontalAxis = nullptr;
  TChartAxis* m_verticalAxis = nullptr;
  std::int32_t m_lastShown = -1;
  std::vector<TChartSeries*> m_dependents;
  TSeriesMarks m_marks;
  TCustomAxisPanel* m_parentChart = nullptr;
  bool m_showInLegend = true;
  std::string m_title;
  std::string m_valueFormat = "#,##0.###";
  std::string m_percentFormat = "##0.## %";
  TChartValueList m_xValues;
  TChartValueList m_yValues;
  std::vector<TChartValueList*> m_valueLists;
  std::vector<std::string> m_labels;
  THorizAxis m_horizAxis = THorizAxis::aBottomAxis;
  TVertAxis m_vertAxis = TVertAxis::aLeftAxis;
  TRecalcOptions m_recalcOptions;
  std::unique_ptr<TSeriesFunction> m_function;
  bool m_trimToVisible = true;
  bool m_joinsPoints = false;
  bool m_acceptsSinglePoint = true;
  bool m_loading = false;
};

} // namespace curvella
