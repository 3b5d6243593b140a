#include "chart/ChartAxis.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <span>
#include <utility>

#include "chart/AxisPanel.h"
#include "numtext/Extended.h"
#include "numtext/PictureFormat.h"

namespace curvella {

namespace {

// The tick list of one paint holds this many positions before it grows.
constexpr std::size_t kTickRoom = 2000;
// Labels asked from OnGetNextAxisLabel after the first one.
constexpr std::int32_t kMaxEventLabels = 2000;
// Event labels may lie this far outside the working range.
constexpr double kEventLabelTolerance = 1e-7;
constexpr unsigned kLeftTop = TA_LEFT | TA_TOP;

enum class TSide { Bottom, Top, Left, Right };

// The depth axis sits where the right axis does.
TSide SideOf(const TChartAxis& axis) {
  if (axis.Horizontal()) return axis.OtherSide() ? TSide::Top : TSide::Bottom;
  return axis.OtherSide() ? TSide::Right : TSide::Left;
}

// +1 where "outward" means growing coordinates (bottom, right), else -1.
std::int32_t Outward(TSide side) { return side == TSide::Bottom || side == TSide::Right ? 1 : -1; }

// Round to the nearest integer, ties to even.
std::int64_t RoundEven(long double v) { return RoundHalfEven(v); }

// Lines as WidestLineWidth counts them: an empty last piece is no line.
std::int32_t CountTextLines(std::string_view text) {
  std::int32_t lines = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find('\r', start), text.size());
    ++lines;
    start = end + 1;
  }
  return std::max(lines, 1);
}

// The first active series on the axis decides whether it shows dates.
bool ShowsDateTime(const TCustomAxisPanel& panel, const TChartAxis& axis) {
  for (std::int32_t i = 0; i < panel.SeriesCount(); ++i) {
    const TChartSeries& s = panel.Series(i);
    if (s.Active() && s.IsAssociatedWith(axis)) {
      return axis.Horizontal() ? s.XValues().DateTime() : s.YValues().DateTime();
    }
  }
  return false;
}

// Whether the series' point labels follow this axis: X labels on a
// horizontal axis for a series that measures Y, Y labels otherwise.
bool LabelsRunAlong(const TChartSeries& series, const TChartAxis& axis) {
  return axis.Horizontal() == series.MeasuresY();
}

// The series whose point labels the axis prints: the first active one on
// the axis whose labels run along it, else the first active one on it.
TChartSeries* PointLabelSeries(const TCustomAxisPanel& panel, const TChartAxis& axis) {
  TChartSeries* fallback = nullptr;
  for (std::int32_t i = 0; i < panel.SeriesCount(); ++i) {
    TChartSeries& s = panel.Series(i);
    if (!s.Active() || !s.IsAssociatedWith(axis)) continue;
    if (LabelsRunAlong(s, axis)) return &s;
    if (!fallback) fallback = &s;
  }
  return fallback;
}

// A mark shows the measured value in the series' format.
std::string MarkText(const TChartSeries& series, std::int32_t index) {
  return FormatPicture(series.ValueFormat(),
                       series.MeasuresY() ? series.YValue(index) : series.XValue(index));
}

std::string PointText(const TChartSeries& series, std::int32_t index, TAxisLabelStyle style) {
  return style == TAxisLabelStyle::talMark ? MarkText(series, index) : series.PointLabel(index);
}

// PositionPercent moves the axis into the plot by a share of the plot's
// extent across the axis.
std::int32_t PositionShift(const TChartAxis& axis, const TRect& rect) {
  const std::int32_t extent = axis.Horizontal() ? rect.Height() : rect.Width();
  const long double shift = nearbyintl(axis.PositionPercent() * 0.01L * extent);
  if (std::isnan(shift)) return 0;
  return -Outward(SideOf(axis)) * static_cast<std::int32_t>(std::clamp(shift, -1e9L, 1e9L));
}

// The coordinate of rect's edge on a side.
template <class TAnyRect> auto& EdgeOf(TAnyRect& rect, TSide side) {
  switch (side) {
  case TSide::Bottom:
    return rect.Bottom;
  case TSide::Top:
    return rect.Top;
  case TSide::Left:
    return rect.Left;
  case TSide::Right:
    break;
  }
  return rect.Right;
}

// Switches the chart's OnGetAxisLabel off for a while.
class TLabelEventPause {
public:
  explicit TLabelEventPause(TCustomAxisPanel& panel)
      : m_panel(panel), m_saved(std::move(panel.OnGetAxisLabel)) {
    m_panel.OnGetAxisLabel = nullptr;
  }
  ~TLabelEventPause() { m_panel.OnGetAxisLabel = std::move(m_saved); }
  TLabelEventPause(const TLabelEventPause&) = delete;
  TLabelEventPause& operator=(const TLabelEventPause&) = delete;

private:
  TCustomAxisPanel& m_panel;
  decltype(TCustomAxisPanel::OnGetAxisLabel) m_saved;
};

// Text of labels and titles is drawn without a background box.
void PrepareTextBrush(TCustomAxisPanel& panel) {
  TChartCanvas3D& canvas = panel.Canvas();
  canvas.Brush().SetColor(panel.Color());
  canvas.Brush().SetStyle(TBrushStyle::bsClear);
  canvas.SetBackgroundMode(TRANSPARENT);
}

// The pixels a text takes along the axis, enlarged by the separation.
std::int64_t SpacedTextSize(TChartAxis& axis, const std::string& text) {
  TCustomAxisPanel& panel = *axis.Panel();
  std::int32_t lines = 1;
  const std::int32_t widest = panel.WidestLineWidth(text, &lines);
  const std::int32_t angle = axis.LabelsAngle();
  const bool across = axis.Horizontal() ? angle == 90 || angle == 270 : angle == 0 || angle == 180;
  const std::int64_t size = across ? std::int64_t{panel.Canvas().TextLineHeight()} * lines : widest;
  return size + RoundEven(axis.LabelsSeparation() * 0.01L * size);
}

// A label may sit on the axis ends only with LabelsOnAxis.
bool LabelFits(const TChartAxis& axis, std::int32_t pos) {
  const std::int32_t lo = std::min(axis.FirstPixel(), axis.LastPixel());
  const std::int32_t hi = std::max(axis.FirstPixel(), axis.LastPixel());
  return axis.LabelsOnAxis() || (pos > lo && pos < hi);
}

// Whether a label at pos along the axis can reach the picture: a label far
// off it (labels of a range narrowed to a few units in the last place run
// thousands of pixels beyond the plot) is measured instead of drawn.
bool LabelCanReach(TChartAxis& axis, std::int32_t pos, const std::string& text) {
  TCustomAxisPanel& panel = *axis.Panel();
  // The surface's rectangle, or the off-screen picture of its size.
  const TRect& picture = panel.Canvas().Bounds();
  const std::int64_t low = std::min(axis.Horizontal() ? picture.Left : picture.Top, 0);
  const std::int64_t high = axis.Horizontal() ? std::max(picture.Right, picture.Width())
                                              : std::max(picture.Bottom, picture.Height());
  if (pos >= low && pos < high) return true;
  std::int32_t lines = 1;
  const std::int64_t widest = panel.WidestLineWidth(text, &lines);
  const std::int64_t lineHeight = panel.Canvas().TextLineHeight();
  // Along the axis a label spans at most its width or its lines' height,
  // plus the half line it may be shifted by.
  const std::int64_t reach = std::max(widest, lineHeight * lines) + lineHeight;
  return pos + reach >= low && pos - reach < high;
}

// Records the tick of a label at pos and draws its text; makeText runs only
// when the text is drawn.
template <class TMakeText>
void PlaceLabel(TChartAxis& axis, std::vector<std::int32_t>& ticks, std::int32_t pos, TMakeText makeText) {
  if (!axis.TickOnLabelsOnly()) ticks.push_back(pos);
  if (!axis.Labels()) return;
  if (axis.TickOnLabelsOnly()) ticks.push_back(pos);
  TCustomAxisPanel& panel = *axis.Panel();
  panel.ApplyFont(axis.LabelsFont());
  PrepareTextBrush(panel);
  const std::string text = makeText();
  if (!LabelCanReach(axis, pos, text)) return;
  if (axis.Horizontal()) {
    axis.DrawLabelText(pos, axis.LabelsPosition(), text, axis.LabelsAngle());
  } else {
    axis.DrawLabelText(axis.LabelsPosition(), pos, text, axis.LabelsAngle());
  }
}

void DrawValueLabels(TChartAxis& axis, std::vector<std::int32_t>& ticks, double step) {
  axis.Panel()->ApplyFont(axis.LabelsFont());
  for (const double v : axis.LabelValues(step)) {
    const std::int32_t pos = axis.ValueToPixel(v);
    if (LabelFits(axis, pos)) PlaceLabel(axis, ticks, pos, [&] { return axis.AxisLabelText(v); });
  }
}

void DrawEventLabels(TChartAxis& axis, std::vector<std::int32_t>& ticks, double step) {
  TCustomAxisPanel& panel = *axis.Panel();
  const double low = axis.WorkingMinimum() - kEventLabelTolerance;
  const double high = axis.WorkingMaximum() + kEventLabelTolerance;
  for (std::int32_t i = 0; i <= kMaxEventLabels; ++i) {
    bool stop = true;
    double value = axis.WorkingMinimum();
    panel.OnGetNextAxisLabel(axis, i, stop, value);
    if (stop) {
      if (i == 0) DrawValueLabels(axis, ticks, step);
      return;
    }
    if (!(value >= low && value <= high)) return;
    const std::int32_t pos = axis.ValueToPixel(value);
    if (LabelFits(axis, pos)) PlaceLabel(axis, ticks, pos, [&] { return axis.AxisLabelText(value); });
  }
}

// Point labels of the shown points; one that would overlap the last drawn
// label is dropped with its tick.
void DrawPointLabels(TChartAxis& axis, std::vector<std::int32_t>& ticks, TAxisLabelStyle style) {
  TChartSeries* series = PointLabelSeries(*axis.Panel(), axis);
  if (!series) return;
  series->ComputeShownRange();
  if (series->FirstShownIndex() < 0) return;
  axis.Panel()->ApplyFont(axis.LabelsFont());
  bool havePrevious = false;
  std::int64_t previousPos = 0;
  std::int64_t previousSize = 0;
  for (std::int32_t i = series->FirstShownIndex(); i <= series->LastShownIndex(); ++i) {
    const std::string text = PointText(*series, i, style);
    const std::int32_t pos = axis.ValueToPixel(axis.Horizontal() ? series->XValue(i) : series->YValue(i));
    if (!LabelFits(axis, pos)) continue;
    const std::int64_t size = SpacedTextSize(axis, text);
    if (havePrevious && 2 * std::llabs(pos - previousPos) < size + previousSize) continue;
    PlaceLabel(axis, ticks, pos, [&] { return text; });
    havePrevious = true;
    previousPos = pos;
    previousSize = size;
  }
}

// Copying a line over itself changes no pixel: a tick or grid line at the
// position just drawn is left out (thousands of labels of a very narrow
// range share a few pixels). An inverting pen draws every one.
class TRepeatedLineFilter {
public:
  explicit TRepeatedLineFilter(TChartCanvas3D& canvas) : m_copies(canvas.Pen().Mode() == TPenMode::pmCopy) {}
  bool Skips(std::int32_t pos) {
    const bool repeated = m_copies && m_previous == pos;
    m_previous = pos;
    return repeated;
  }

private:
  bool m_copies;
  std::optional<std::int32_t> m_previous;
};

// Ticks from one pixel off the axis line, outward or toward the plot, at
// the positions forEach hands to its visitor.
template <class TForEach>
void DrawTicks(TChartAxis& axis, const TChartPen& pen, std::int32_t length, bool inward, TForEach forEach) {
  if (!pen.Visible()) return;
  TChartCanvas3D& canvas = axis.Panel()->Canvas();
  canvas.ApplyChartPen(pen);
  const TSide side = SideOf(axis);
  const std::int32_t direction = inward ? -Outward(side) : Outward(side);
  const std::int32_t from = axis.AxisLinePosition() + direction;
  const std::int32_t to = from + direction * length;
  TRepeatedLineFilter repeated(canvas);
  forEach([&](std::int32_t pos) {
    if (repeated.Skips(pos)) return;
    if (axis.Horizontal()) {
      canvas.VerticalLine(pos, from, to);
    } else {
      canvas.HorizontalLine(from, to, pos);
    }
  });
}

// Grid lines across the plot; the gaps of a dotted pen stay transparent.
template <class TForEach> void DrawGridLines(TChartAxis& axis, const TChartPen& pen, TForEach forEach) {
  if (!pen.Visible()) return;
  TCustomAxisPanel& panel = *axis.Panel();
  TChartCanvas3D& canvas = panel.Canvas();
  canvas.Brush().SetStyle(TBrushStyle::bsClear);
  canvas.SetBackgroundMode(TRANSPARENT);
  canvas.ApplyChartPen(pen);
  if (pen.Color() == clDefault) canvas.Pen().SetColor(clGray);
  const TRect& plot = panel.PlotRect();
  TRepeatedLineFilter repeated(canvas);
  forEach([&](std::int32_t pos) {
    if (repeated.Skips(pos)) return;
    if (axis.Horizontal()) {
      canvas.VerticalLine(pos, plot.Top, plot.Bottom);
    } else {
      canvas.HorizontalLine(plot.Left, plot.Right, pos);
    }
  });
  canvas.SetBackgroundMode(OPAQUE);
}

// The major grid: at the ticks, or halfway between neighbours when centred.
template <class TVisit>
void ForEachGridPosition(const TChartAxis& axis, std::span<const std::int32_t> ticks, TVisit visit) {
  if (!axis.GridCentered()) {
    for (const std::int32_t tick : ticks) visit(tick);
    return;
  }
  for (std::size_t i = 1; i < ticks.size(); ++i) {
    visit(static_cast<std::int32_t>(RoundEven((std::int64_t{ticks[i]} + ticks[i - 1]) * 0.5L)));
  }
}

// Minor positions between the ticks and, on a linear axis, beyond both end
// ticks; only those strictly inside the axis are visited.
template <class TVisit>
void ForEachMinorPosition(const TChartAxis& axis, std::span<const std::int32_t> ticks, TVisit visit) {
  const std::int32_t count = axis.MinorTickCount();
  if (ticks.empty() || count < 1) return;
  const std::int64_t lo = std::min(axis.FirstPixel(), axis.LastPixel());
  const std::int64_t hi = std::max(axis.FirstPixel(), axis.LastPixel());
  const auto inside = [&](std::int64_t pos) {
    if (pos > lo && pos < hi) visit(static_cast<std::int32_t>(pos));
  };
  const auto spacing = [&](std::size_t i) {
    return (static_cast<long double>(ticks[i]) - ticks[i - 1]) / (count + 1.0L);
  };
  if (ticks.size() > 1 && !axis.Logarithmic()) {
    const long double d = spacing(1);
    for (std::int32_t j = 1; j <= count; ++j) {
      inside(ticks.front() - RoundEven(j * d));
      inside(ticks.back() + RoundEven(j * d));
    }
  }
  for (std::size_t i = 1; i < ticks.size(); ++i) {
    const long double d = spacing(i);
    for (std::int32_t j = 1; j <= count; ++j) inside(ticks[i] - RoundEven(j * d));
  }
}

} // namespace

TChartAxisTitle::TChartAxisTitle(THandler onChange, std::int32_t angle)
    : TChangeNotifier(onChange), m_angle(angle), m_font(CreateChartFont(onChange)) {}

void TChartAxisTitle::SetAngle(std::int32_t angle) {
  CheckAngle(angle, "Axis Title");
  Assign(m_angle, angle);
}

void TChartAxis::SetLabelStyle(TAxisLabelStyle style) {
  if (style == m_labelStyle) return;
  m_labelStyle = style;
  m_panel->Invalidate();
  m_panel->RepaintNow();
}

TAxisLabelStyle TChartAxis::EffectiveLabelStyle() const {
  if (m_labelStyle != TAxisLabelStyle::talAuto) return m_labelStyle;
  if (IsDepthAxis()) return TAxisLabelStyle::talValue;
  bool any = false;
  for (std::int32_t i = 0; i < m_panel->SeriesCount(); ++i) {
    const TChartSeries& s = m_panel->Series(i);
    if (!s.Active() || !s.IsAssociatedWith(*this)) continue;
    any = true;
    if (LabelsRunAlong(s, *this) && !s.PointLabel(0).empty()) return TAxisLabelStyle::talText;
  }
  return any ? TAxisLabelStyle::talValue : TAxisLabelStyle::talNone;
}

std::int32_t TChartAxis::TickRoom() const {
  std::int32_t room = m_axisPen.Visible() ? m_axisPen.Width() : 0;
  if (m_ticks.Visible()) room += m_tickLength;
  if (m_minorTicks.Visible()) room = std::max(room, m_minorTickLength);
  return room;
}

std::int32_t TChartAxis::LabelRoom() {
  if (m_labelsSize != 0) return m_labelsSize;
  m_panel->ApplyFont(*m_labelsFont);
  const bool level = m_labelsAngle == 0 || m_labelsAngle == 180;
  const bool upright = m_labelsAngle == 90 || m_labelsAngle == 270;
  if (m_horizontal ? level : upright) return m_panel->Canvas().TextLineHeight();

  const TAxisLabelStyle style = EffectiveLabelStyle();
  if (style == TAxisLabelStyle::talValue) {
    const TLabelEventPause pause(*m_panel);
    double lo = m_workingMinimum;
    double hi = m_workingMaximum;
    if (m_roundFirstLabel || (m_dateTime && m_exactDateTime)) {
      const double p = ComputeLabelStep();
      // Quotient, cut and product in extended precision.
      lo = static_cast<double>(std::trunc(static_cast<long double>(m_workingMinimum) / p) * p);
      hi = static_cast<double>(std::trunc(static_cast<long double>(m_workingMaximum) / p) * p);
    }
    const std::int32_t widest =
        std::max(m_panel->WidestLineWidth(AxisLabelText(hi)), m_panel->WidestLineWidth(AxisLabelText(lo)));
    return widest + m_panel->Canvas().MeasureTextWidth(" ");
  }
  if (style == TAxisLabelStyle::talNone) return 0;
  std::int32_t widest = 0;
  const auto widen = [&](const TChartSeries& s) {
    for (std::int32_t i = 0; i < s.PointCount(); ++i) {
      widest = std::max(widest, m_panel->WidestLineWidth(PointText(s, i, style)));
    }
  };
  if (style == TAxisLabelStyle::talMark) {
    // Marks come from the one series that prints them.
    if (const TChartSeries* s = PointLabelSeries(*m_panel, *this)) widen(*s);
    return widest;
  }
  // Room for the point labels of every series, shown on this axis or not.
  for (std::int32_t i = 0; i < m_panel->SeriesCount(); ++i) widen(m_panel->Series(i));
  return widest;
}

std::int32_t TChartAxis::TitleRoom() {
  if (m_titleSize != 0) return m_titleSize;
  m_panel->ApplyFont(m_title.Font());
  const std::int32_t angle = m_title.Angle();
  const bool level = angle == 0 || angle == 180;
  const bool upright = angle == 90 || angle == 270;
  if (m_horizontal ? level : upright) return m_panel->Canvas().TextLineHeight();
  return m_panel->Canvas().MeasureTextWidth(m_title.Caption());
}

void TChartAxis::ReserveAxisSpace(TRect& rect, bool shrink) {
  m_dateTime = ShowsDateTime(*m_panel, *this);
  const TSide side = SideOf(*this);
  std::int32_t& edge = EdgeOf(rect, side);
  const std::int32_t outward = Outward(side);
  const std::int32_t titleRoom = m_title.Caption().empty() ? 0 : TitleRoom();
  const std::int32_t labelRoom = m_labels ? LabelRoom() : 0;
  if (shrink) {
    // Each room is cut from the outside in: the title, the labels, the ticks.
    edge -= outward * titleRoom;
    m_titlePosition = edge;
    edge -= outward * labelRoom;
    m_labelsPosition = edge;
    const std::int32_t tickRoom = TickRoom() + m_panel->WallSize(*this);
    if (tickRoom > 0) edge -= outward * tickRoom;
  } else {
    m_labelsPosition = edge + outward * TickRoom();
    m_titlePosition = m_labelsPosition + outward * labelRoom;
  }
  const std::int32_t shift = PositionShift(*this, rect);
  m_titlePosition += shift;
  m_labelsPosition += shift;
}

void TChartAxis::PaintAxis() {
  m_dateTime = ShowsDateTime(*m_panel, *this);
  m_panel->ApplyFont(*m_labelsFont);
  const double step = ComputeLabelStep();

  const TRect& plot = m_panel->PlotRect();
  m_axisLinePosition = EdgeOf(plot, SideOf(*this)) + PositionShift(*this, plot);

  if (!m_title.Caption().empty()) {
    m_panel->ApplyFont(m_title.Font());
    PrepareTextBrush(*m_panel);
    if (m_horizontal) {
      DrawLabelText(m_centerPixel, m_titlePosition, m_title.Caption(), m_title.Angle());
    } else {
      DrawLabelText(m_titlePosition, m_centerPixel, m_title.Caption(), m_title.Angle());
    }
  }

  m_tickPositions.clear();
  m_tickPositions.reserve(kTickRoom);
  if (step > 0 && m_workingMaximum >= m_workingMinimum) {
    switch (const TAxisLabelStyle style = EffectiveLabelStyle()) {
    case TAxisLabelStyle::talValue:
      if (m_panel->OnGetNextAxisLabel) {
        DrawEventLabels(*this, m_tickPositions, step);
      } else {
        DrawValueLabels(*this, m_tickPositions, step);
      }
      break;
    case TAxisLabelStyle::talMark:
    case TAxisLabelStyle::talText:
      DrawPointLabels(*this, m_tickPositions, style);
      break;
    default:
      break;
    }
  }

  TChartCanvas3D& canvas = m_panel->Canvas();
  if (m_axisPen.Visible()) {
    canvas.ApplyChartPen(m_axisPen);
    if (m_horizontal) {
      const std::int32_t wall = this == &m_panel->BottomAxis() ? m_panel->WallSize(m_panel->LeftAxis()) : 0;
      canvas.HorizontalLine(m_firstPixel - wall, m_lastPixel, m_axisLinePosition);
    } else {
      const std::int32_t wall = this == &m_panel->LeftAxis() ? m_panel->WallSize(m_panel->BottomAxis()) : 0;
      canvas.VerticalLine(m_axisLinePosition, m_firstPixel, m_lastPixel + wall);
    }
  }
  const std::span<const std::int32_t> ticks = m_tickPositions;
  const auto atTicks = [&](auto visit) {
    for (const std::int32_t tick : ticks) visit(tick);
  };
  const auto atGrid = [&](auto visit) { ForEachGridPosition(*this, ticks, visit); };
  const auto atMinor = [&](auto visit) { ForEachMinorPosition(*this, ticks, visit); };
  DrawTicks(*this, m_ticks, m_tickLength, false, atTicks);
  DrawGridLines(*this, m_grid, atGrid);
  DrawTicks(*this, m_ticksInner, m_tickInnerLength, true, atTicks);
  DrawTicks(*this, m_minorTicks, m_minorTickLength, false, atMinor);
  DrawGridLines(*this, m_minorGrid, atMinor);
}

void TChartAxis::DrawLabelText(std::int32_t x, std::int32_t y, std::string_view text, std::int32_t angle) {
  TChartCanvas3D& canvas = m_panel->Canvas();
  const std::int32_t h = canvas.TextLineHeight();
  const std::int32_t half = h / 2;
  const TSide side = SideOf(*this);
  const TSide opposite = m_horizontal ? (side == TSide::Bottom ? TSide::Top : TSide::Bottom)
                                      : (side == TSide::Left ? TSide::Right : TSide::Left);
  // Level text: beside a vertical axis, hanging below the bottom axis,
  // standing on the top axis.
  const auto levelAlignment = [](TSide s) {
    switch (s) {
    case TSide::Left:
      return TA_RIGHT | TA_TOP;
    case TSide::Right:
      return TA_LEFT | TA_TOP;
    case TSide::Bottom:
      return TA_CENTER | TA_TOP;
    case TSide::Top:
      break;
    }
    return TA_CENTER | TA_BOTTOM;
  };

  unsigned alignment = kLeftTop;
  switch (angle) {
  case 0:
    alignment = levelAlignment(side);
    if (!m_horizontal) y -= half;
    break;
  case 90:
    if (m_horizontal) {
      alignment = side == TSide::Bottom ? TA_RIGHT | TA_TOP : TA_LEFT | TA_TOP;
      x -= half;
    } else {
      alignment = side == TSide::Left ? TA_CENTER | TA_BOTTOM : TA_CENTER | TA_TOP;
    }
    break;
  case 180:
    alignment = levelAlignment(opposite);
    if (!m_horizontal) y += half;
    break;
  case 270:
    if (m_horizontal) {
      alignment = side == TSide::Bottom ? TA_LEFT | TA_TOP : TA_RIGHT | TA_TOP;
      x += half;
    } else {
      alignment = side == TSide::Left ? TA_CENTER | TA_TOP : TA_CENTER | TA_BOTTOM;
    }
    break;
  default:
    break;
  }
  canvas.SetTextAlignment(alignment);

  const std::int32_t n = CountTextLines(text);
  const std::int32_t d = angle == 180 || angle == 270 ? -h : h;
  const auto lines = [&] { return static_cast<std::int32_t>(std::int64_t{n} * d); };
  const auto halfBlock = [&] { return static_cast<std::int32_t>(RoundEven(d * 0.5L * (n + 1))); };
  const bool nearSide = side == TSide::Bottom || side == TSide::Left;
  if (m_horizontal) {
    if (angle == 0) y -= nearSide ? d : lines();
    if (angle == 180) y -= nearSide ? lines() : d;
    if (angle == 90 || angle == 270) x -= halfBlock();
  } else {
    if (angle == 0 || angle == 180) y -= halfBlock();
    if (angle == 90) x -= nearSide ? lines() : d;
    if (angle == 270) x -= nearSide ? d : lines();
  }

  std::string_view rest = text;
  for (std::int32_t i = 0; i < n; ++i) {
    const std::size_t end = rest.find('\r');
    const std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    switch (angle) {
    case 0:
      y += d;
      canvas.TextAtDepth(x, y, line, 0);
      break;
    case 90:
    case 270:
      x += d;
      canvas.WriteRotatedText(x, y, angle, line);
      break;
    case 180:
      y += d;
      canvas.WriteRotatedText(x, y, angle, line);
      break;
    default:
      // Other angles stack their lines downward from the reference point.
      canvas.WriteRotatedText(x, y + i * h, angle, line);
      break;
    }
  }
  canvas.SetTextAlignment(kLeftTop);
}

bool TChartAxis::HitTest(std::int32_t x, std::int32_t y) const {
  if (!m_panel->IsAxisShown(*this)) return false;
  const std::int32_t lo = std::min(m_firstPixel, m_lastPixel);
  const std::int32_t hi = std::max(m_firstPixel, m_lastPixel);
  const bool labelsFirst = m_labelsPosition < m_axisLinePosition;
  const std::int32_t bandLow = labelsFirst ? m_labelsPosition : m_axisLinePosition - 3;
  const std::int32_t bandHigh = labelsFirst ? m_axisLinePosition + 3 : m_labelsPosition;
  const std::int32_t along = m_horizontal ? x : y;
  const std::int32_t across = m_horizontal ? y : x;
  return along >= lo && along < hi && across >= bandLow && across < bandHigh;
}

} // namespace curvella
