#include "chart/Chart.h"

#include <algorithm>

#include "chart/ChartMessages.h"
#include "numtext/PictureFormat.h"

namespace curvella {

namespace {

constexpr std::string_view kTopPosMessage = "Top Legend Position must be between 0 and 100 %";
constexpr std::string_view kColorWidthMessage = "Legend Color Width must be between 0 and 100 %";
constexpr std::string_view kFirstValueMessage = "First Legend Value must be > 0";

// numerator / denominator (> 0) to the nearest integer, halves to the even
// neighbour, without the detour through floating point.
std::int32_t RoundDivEven(std::int64_t numerator, std::int64_t denominator) {
  std::int64_t quotient = numerator / denominator;
  std::int64_t remainder = numerator % denominator;
  if (remainder < 0) {
    --quotient;
    remainder += denominator;
  }
  const std::int64_t twice = 2 * remainder;
  if (twice > denominator || (twice == denominator && quotient % 2 != 0)) ++quotient;
  return static_cast<std::int32_t>(quotient);
}

std::int32_t Percent(std::int32_t percent, std::int32_t length) {
  return RoundDivEven(static_cast<std::int64_t>(percent) * length, 100);
}

TChartSeries* FirstActiveSeries(const TCustomChart& chart) {
  for (std::int32_t i = 0; i < chart.SeriesCount(); ++i) {
    if (chart.Series(i).Active()) return &chart.Series(i);
  }
  return nullptr;
}

std::int32_t ActiveSeriesCount(const TCustomChart& chart) {
  std::int32_t count = 0;
  for (std::int32_t i = 0; i < chart.SeriesCount(); ++i) count += chart.Series(i).Active() ? 1 : 0;
  return count;
}

// The k-th series (from 0) that is active and shown in the legend.
TChartSeries* LegendSeries(const TCustomChart& chart, std::int32_t k) {
  for (std::int32_t i = 0; i < chart.SeriesCount(); ++i) {
    TChartSeries& series = chart.Series(i);
    if (series.Active() && series.ShowInLegend() && k-- == 0) return &series;
  }
  return nullptr;
}

// Stores a changed value and repaints the chart.
template <class T> void Change(TCustomChart& chart, T& field, const T& value) {
  if (field == value) return;
  field = value;
  chart.Invalidate();
}

} // namespace

TChartTitle::TChartTitle(TCustomChart* chart) : m_chart(chart), m_frame(chart->PartChangedHandler()) {
  MakeChartFont(m_font);
  m_font.SetColor(clBlue);
  m_font.SetOnChange(chart->PartChangedHandler());
  m_brush.SetColor(clDefault);
  m_brush.SetOnChange(chart->PartChangedHandler());
}

void TChartTitle::SetAdjustFrame(bool adjust) {
  if (adjust == m_adjustFrame) return;
  m_adjustFrame = adjust;
  m_chart->Invalidate();
}

void TChartTitle::SetAlignment(TTitleAlignment alignment) {
  if (alignment == m_alignment) return;
  m_alignment = alignment;
  m_chart->Invalidate();
}

void TChartTitle::SetColor(TColor color) {
  if (color == m_color) return;
  m_color = color;
  m_chart->Invalidate();
}

void TChartTitle::SetText(std::vector<std::string> lines) {
  if (lines == m_text) return;
  m_text = std::move(lines);
  m_chart->Invalidate();
}

void TChartTitle::SetVisible(bool visible) {
  if (visible == m_visible) return;
  m_visible = visible;
  m_chart->Invalidate();
}

void TChartTitle::DrawTitle(bool onTop) {
  TCustomChart& chart = *m_chart;
  TChartCanvas3D& canvas = chart.Canvas();
  TRect plot = chart.PlotRect();
  if (m_text.empty()) {
    // An empty block takes no room and draws nothing, framed or not.
    const std::int32_t edge = onTop ? plot.Top : plot.Bottom;
    m_titleRect = {plot.Left, edge, plot.Right, edge};
    return;
  }

  chart.ApplyFont(m_font);
  const std::int32_t lineH = canvas.TextLineHeight();

  TBrush& brush = canvas.Brush();
  if (m_color == clDefault) {
    if (m_brush.Style() != TBrushStyle::bsSolid) {
      brush.Assign(m_brush);
      canvas.SetBackgroundMode(TRANSPARENT);
    } else if (m_brush.Color() == clDefault) {
      brush.SetStyle(TBrushStyle::bsClear);
    } else {
      // Resolved while drawing: no repaint request from inside the paint.
      m_color = m_brush.Color();
      brush.SetColor(m_color);
      brush.SetStyle(TBrushStyle::bsSolid);
    }
  } else if (m_brush.Style() != TBrushStyle::bsSolid) {
    // The hatch is drawn over the block's colour.
    brush.Assign(m_brush);
    canvas.SetBackgroundMode(OPAQUE);
    canvas.SetBackgroundColor(m_color);
  } else {
    brush.SetColor(m_color);
    brush.SetStyle(TBrushStyle::bsSolid);
  }

  const bool frameCounts = m_frame.Visible() && m_frame.Color() != clDefault;
  const std::int32_t frameWidth = frameCounts ? m_frame.Width() : 0;
  const std::int32_t left = plot.Left + frameWidth;
  const std::int32_t right = plot.Right - frameWidth;
  const auto lines = static_cast<std::int32_t>(m_text.size());
  const std::int32_t top = onTop ? plot.Top + frameWidth : plot.Bottom - frameWidth - lines * lineH;
  const std::int32_t bottom = top + lines * lineH;

  m_titleRect = {left - frameWidth, top - frameWidth, right + frameWidth, bottom + frameWidth};
  if (frameCounts)
    canvas.ApplyChartPen(m_frame);
  else
    canvas.Pen().SetStyle(TPenStyle::psClear);

  const std::int32_t wWidth = canvas.MeasureTextWidth("W");
  if (frameCounts || brush.Style() != TBrushStyle::bsClear) {
    if (m_adjustFrame) {
      std::int32_t widest = 0;
      for (const std::string& line : m_text) widest = std::max(widest, canvas.MeasureTextWidth(line));
      const std::int32_t width = widest + wWidth;
      switch (m_alignment) {
      case TTitleAlignment::taLeftJustify:
        m_titleRect.Right = m_titleRect.Left + width;
        break;
      case TTitleAlignment::taRightJustify:
        m_titleRect.Left = m_titleRect.Right - width;
        break;
      case TTitleAlignment::taCenter: {
        const std::int32_t centre = (m_titleRect.Left + m_titleRect.Right) / 2;
        m_titleRect.Left = centre - width / 2;
        m_titleRect.Right = centre + width / 2;
        break;
      }
      }
    }
    canvas.DrawRectRecord(m_titleRect);
  }

  canvas.SetBackgroundMode(TRANSPARENT);
  for (std::int32_t i = 0; i < lines; ++i) {
    const std::string& line = m_text[static_cast<std::size_t>(i)];
    const std::int32_t lineWidth = canvas.MeasureTextWidth(line);
    std::int32_t x = 0;
    switch (m_alignment) {
    case TTitleAlignment::taLeftJustify:
      x = left + wWidth / 2;
      break;
    case TTitleAlignment::taRightJustify:
      x = right - lineWidth - wWidth / 2;
      break;
    case TTitleAlignment::taCenter:
      x = (left + right) / 2 - lineWidth / 2;
      break;
    }
    canvas.WriteText(x, top + i * lineH, line);
  }

  if (onTop)
    plot.Top = bottom + frameWidth + kTitleFootGap;
  else
    plot.Bottom = top - frameWidth - kTitleFootGap;
  chart.SetPlotRect(plot);
  chart.RecalcPlotSize();
}

TChartLegend::TChartLegend(TCustomChart* chart)
    : m_chart(chart), m_frame(chart->PartChangedHandler()), m_dividingLines(chart->PartChangedHandler()) {
  MakeChartFont(m_font);
  m_font.SetOnChange(chart->PartChangedHandler());
  m_brush.SetOnChange(chart->PartChangedHandler());
}

void TChartLegend::SetVisible(bool visible) { Change(*m_chart, m_visible, visible); }
void TChartLegend::SetAlignment(TLegendAlignment alignment) { Change(*m_chart, m_alignment, alignment); }
void TChartLegend::SetLegendStyle(TLegendStyle style) { Change(*m_chart, m_legendStyle, style); }
void TChartLegend::SetTextStyle(TLegendTextStyle style) { Change(*m_chart, m_textStyle, style); }

void TChartLegend::SetColorWidth(std::int32_t percent) {
  if (percent < 0 || percent > 100) throw LegendException(std::string(kColorWidthMessage));
  Change(*m_chart, m_colorWidth, percent);
}

void TChartLegend::SetTopPos(std::int32_t percent) {
  if (percent < 0 || percent > 100) throw LegendException(std::string(kTopPosMessage));
  Change(*m_chart, m_topPos, percent);
}

void TChartLegend::SetMaxNumRows(std::int32_t rows) { Change(*m_chart, m_maxNumRows, rows); }
void TChartLegend::SetResizeChart(bool resize) { Change(*m_chart, m_resizeChart, resize); }
void TChartLegend::SetHorizMargin(std::int32_t margin) { Change(*m_chart, m_horizMargin, margin); }
void TChartLegend::SetVertMargin(std::int32_t margin) { Change(*m_chart, m_vertMargin, margin); }
void TChartLegend::SetColor(TColor color) { Change(*m_chart, m_color, color); }
void TChartLegend::SetShadowColor(TColor color) { Change(*m_chart, m_shadowColor, color); }
void TChartLegend::SetShadowSize(std::int32_t size) { Change(*m_chart, m_shadowSize, size); }
void TChartLegend::SetInverted(bool inverted) { Change(*m_chart, m_inverted, inverted); }

void TChartLegend::SetFirstValue(std::int32_t first) {
  if (first < 0) throw LegendException(std::string(kFirstValueMessage));
  Change(*m_chart, m_firstValue, first);
}

TLegendStyle TChartLegend::ResolvedStyle() const {
  if (m_legendStyle != TLegendStyle::lsAuto) return m_legendStyle;
  return ActiveSeriesCount(*m_chart) < 2 ? TLegendStyle::lsValues : TLegendStyle::lsSeries;
}

std::int32_t TChartLegend::LegendItemCount() const {
  std::int32_t count = 0;
  if (ResolvedStyle() == TLegendStyle::lsValues) {
    const TChartSeries* series = FirstActiveSeries(*m_chart);
    if (series && series->ShowInLegend()) count = series->LegendItemCount();
  } else {
    for (std::int32_t i = 0; i < m_chart->SeriesCount(); ++i) {
      const TChartSeries& series = m_chart->Series(i);
      if (series.Active() && series.ShowInLegend()) ++count;
    }
  }
  return std::max(0, count - m_firstValue);
}

std::string TChartLegend::ItemText(std::int32_t item) const {
  switch (ResolvedStyle()) {
  case TLegendStyle::lsValues: {
    TChartSeries* series = FirstActiveSeries(*m_chart);
    if (!series) return {};
    std::string text = LegendValueText(*series, item, m_textStyle);
    std::replace(text.begin(), text.end(), '\r', ' ');
    return text;
  }
  case TLegendStyle::lsLastValues: {
    // Row k is the k-th series the legend lists, as the rows are counted.
    TChartSeries* series = LegendSeries(*m_chart, item);
    // A series without points has no last value to show.
    if (!series || series->PointCount() == 0) return {};
    return LegendValueText(*series, series->PointCount() - 1, m_textStyle);
  }
  default: {
    const TChartSeries* series = LegendSeries(*m_chart, item);
    if (series && !series->Title().empty()) return series->Title();
    if (series && !series->Name().empty()) return series->Name();
    return "Series " + std::to_string(item);
  }
  }
}

std::int32_t TChartLegend::Clicked(std::int32_t x, std::int32_t y) const {
  for (const auto& [index, row] : m_itemRects) {
    if (x >= row.Left && x < row.Right && y >= row.Top && y < row.Bottom) return index;
  }
  return -1;
}

void TChartLegend::PaintLegend() {
  m_itemRects.clear();
  TCustomChart& chart = *m_chart;
  TChartCanvas3D& canvas = chart.Canvas();
  const TLegendStyle style = ResolvedStyle();

  chart.ApplyFont(m_font);
  const std::int32_t itemH = canvas.TextLineHeight();
  const std::int32_t count = LegendItemCount();
  std::vector<std::string> texts;
  texts.reserve(static_cast<std::size_t>(count));
  std::int32_t widest = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    std::string text = ItemText(m_firstValue + i);
    if (chart.OnGetLegendText) chart.OnGetLegendText(chart, m_firstValue + i, text);
    widest = std::max(widest, canvas.MeasureTextWidth(text));
    texts.push_back(std::move(text));
  }
  std::int32_t textW = widest + 4;
  std::int32_t symbolW = Percent(m_colorWidth, textW);

  const TRect plot = chart.PlotRect();
  const TRect& panel = chart.PanelRect();
  const bool vertical = LegendIsVertical();
  const std::int32_t frameW = m_frame.Width();
  const std::int32_t frameGap = m_frame.Visible() ? frameW + 1 : 0;
  // The n-th drawn item, n from 0.
  const auto itemAt = [&](std::int32_t n) { return m_inverted ? count - 1 - n : n; };

  TRect rect;
  std::int32_t columns = 1;
  std::int32_t rows = 0;
  if (vertical) {
    rect.Top = panel.Top + Percent(m_topPos, panel.Bottom - panel.Top);
    if (rect.Top < plot.Bottom && itemH > 0)
      rows = std::clamp((plot.Bottom - 2 * frameW - rect.Top) / itemH, 0, count);
    rect.Bottom = rect.Top + rows * itemH + 2;

    widest = 0;
    for (std::int32_t n = 0; n < rows; ++n) {
      widest = std::max(widest, canvas.MeasureTextWidth(texts[static_cast<std::size_t>(itemAt(n))]));
    }
    textW = widest;
    symbolW = Percent(m_colorWidth, textW + 10);
    if (m_alignment == TLegendAlignment::laRight) {
      rect.Right = plot.Right - frameGap - m_shadowSize;
      rect.Left = rect.Right - textW - 2 - symbolW - 8;
    } else {
      rect.Left = plot.Left + frameGap;
      rect.Right = rect.Left + symbolW + textW + 10;
    }
  } else {
    const std::int32_t room = chart.PlotWidth() - 2 * frameW - 8;
    columns = std::clamp(room / (textW + symbolW + 8), 0, count);
    if (columns > 0) rows = std::min((count + columns - 1) / columns, m_maxNumRows);
    const std::int32_t height = rows * itemH + 2;
    if (m_alignment == TLegendAlignment::laTop) {
      rect.Top = plot.Top + frameGap;
      rect.Bottom = rect.Top + height;
    } else {
      rect.Bottom = plot.Bottom - m_shadowSize - frameGap;
      rect.Top = rect.Bottom - height;
    }
    const std::int32_t width =
        std::min(chart.PlotWidth(), 2 * m_shadowSize + (symbolW + textW + 4) * columns + 8);
    rect.Left = chart.PlotXCenter() - width / 2 + Percent(m_topPos, panel.Width() - width);
    rect.Right = rect.Left + width;
  }

  if (chart.OnGetLegendRect) chart.OnGetLegendRect(chart, rect);
  m_legendRect = rect;
  const std::int32_t slotCount = columns * rows;
  if (slotCount < 1) return;

  // Background, its shadow and frame.
  TRect box = rect;
  std::int32_t shadowReach = m_shadowSize - 1;
  if (m_frame.Visible()) {
    canvas.ApplyChartPen(m_frame);
    if (m_frame.Color() == clDefault) canvas.Pen().SetColor(clBlack);
    box = {rect.Left - frameW, rect.Top - frameW, rect.Right + frameW, rect.Bottom + frameW};
    shadowReach = m_shadowSize + frameW + (frameW - 1) / 2;
  } else {
    canvas.Pen().SetStyle(TPenStyle::psClear);
  }
  TBrush& brush = canvas.Brush();
  if (m_shadowSize > 0) {
    brush.SetColor(m_shadowColor);
    brush.SetStyle(TBrushStyle::bsSolid);
    canvas.FillRectangle({rect.Left + m_shadowSize, rect.Top + m_shadowSize, rect.Right + shadowReach,
                          rect.Bottom + shadowReach});
  }
  brush.Assign(m_brush);
  if (m_brush.Style() == TBrushStyle::bsSolid) {
    brush.SetColor(m_color);
  } else {
    canvas.SetBackgroundMode(OPAQUE);
    canvas.SetBackgroundColor(m_color);
  }
  canvas.DrawRectRecord(box);

  const auto itemPen = [&] {
    TPen& pen = canvas.Pen();
    pen.SetColor(m_color == clBlack ? clWhite : clBlack);
    pen.SetStyle(TPenStyle::psSolid);
    pen.SetWidth(1);
  };
  canvas.SetBackgroundMode(TRANSPARENT);
  const std::int32_t shown = std::min(count, slotCount);
  for (std::int32_t n = 0; n < shown; ++n) {
    const std::int32_t row = n / columns;
    const std::int32_t column = n % columns;
    std::int32_t x = rect.Left + symbolW + 8 + column * (textW + symbolW + 4);
    std::int32_t y = rect.Top + 1 + itemH * row;
    if (n > 0 && m_dividingLines.Visible()) {
      // Dividers mark the slots, wherever an item is moved to.
      canvas.ApplyChartPen(m_dividingLines);
      if (vertical)
        canvas.HorizontalLine(rect.Left, rect.Right, y);
      else
        canvas.VerticalLine(x - 4 - symbolW - 4, rect.Top, rect.Bottom);
    }
    const std::int32_t item = itemAt(n);
    const std::int32_t index = m_firstValue + item;
    if (chart.OnGetLegendPos) chart.OnGetLegendPos(chart, index, x, y);
    m_itemRects.push_back({index, {x - 4 - symbolW, y, x + textW, y + itemH}});
    itemPen();
    brush.SetStyle(TBrushStyle::bsClear);
    canvas.WriteText(x, y, texts[static_cast<std::size_t>(item)]);

    const TRect symbol{x - 4 - symbolW, y + 2, x - 4, y + itemH - 2};
    TChartSeries* series = nullptr;
    std::int32_t point = -1;
    if (style == TLegendStyle::lsValues) {
      series = FirstActiveSeries(chart);
      point = index;
    } else {
      series = LegendSeries(chart, index);
    }
    if (series) {
      series->PaintLegendSymbol(point, symbol);
    } else {
      brush.SetColor(clWhite);
      brush.SetStyle(TBrushStyle::bsSolid);
      canvas.DrawRectRecord(symbol);
    }
  }

  TRect newPlot = chart.PlotRect();
  switch (m_alignment) {
  case TLegendAlignment::laLeft:
    if (m_resizeChart) newPlot.Left = rect.Right;
    newPlot.Left += m_horizMargin != 0 ? m_horizMargin : MulDiv(3, chart.PlotWidth(), 100);
    break;
  case TLegendAlignment::laRight:
    if (m_resizeChart) newPlot.Right = rect.Left;
    newPlot.Right -= m_horizMargin != 0 ? m_horizMargin : MulDiv(3, chart.PlotWidth(), 100);
    break;
  case TLegendAlignment::laTop:
    if (m_resizeChart) newPlot.Top = rect.Bottom + m_shadowSize;
    newPlot.Top += m_vertMargin != 0 ? m_vertMargin : MulDiv(4, chart.PlotHeight(), 100);
    break;
  case TLegendAlignment::laBottom:
    if (m_resizeChart) newPlot.Bottom = rect.Top;
    newPlot.Bottom -= m_vertMargin != 0 ? m_vertMargin : MulDiv(4, chart.PlotHeight(), 100);
    break;
  }
  chart.SetPlotRect(newPlot);
  chart.RecalcPlotSize();
}

std::string LegendValueText(TChartSeries& series, std::int32_t index, TLegendTextStyle style) {
  const std::string label = series.PointLabel(index);
  if (style == TLegendTextStyle::ltsPlain) return label;
  if (style == TLegendTextStyle::ltsXValue) {
    const double x = series.XValues().ValueAt(index);
    if (TChartAxis* axis = series.HorizontalAxis()) return axis->AxisLabelText(x);
    return FormatPicture(series.ValueFormat(), x);
  }

  const TChartValueList& measured = series.MeasuresY() ? series.YValues() : series.XValues();
  const double value = measured.ValueAt(index);
  switch (style) {
  case TLegendTextStyle::ltsLeftValue:
    return FormatPicture(series.ValueFormat(), value) + " " + label;
  case TLegendTextStyle::ltsRightValue:
    return label + " " + FormatPicture(series.ValueFormat(), value);
  default:
    break;
  }
  const double total = measured.SumOfMagnitudes();
  const long double percent = total == 0 ? 100.0L : 100.0L * value / total;
  const std::string percentText = FormatPicture(series.PercentFormat(), percent);
  return style == TLegendTextStyle::ltsLeftPercent ? percentText + " " + label : label + " " + percentText;
}

} // namespace curvella
