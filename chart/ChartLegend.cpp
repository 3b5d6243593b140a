#include "chart/Chart.h"

#include "chart/ChartMessages.h"

namespace curvella {

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

void TChartTitle::DrawTitle(bool) {}

TChartLegend::TChartLegend(TCustomChart* chart)
    : m_chart(chart), m_frame(chart->PartChangedHandler()), m_dividingLines(chart->PartChangedHandler()) {
  MakeChartFont(m_font);
  m_font.SetOnChange(chart->PartChangedHandler());
  m_brush.SetOnChange(chart->PartChangedHandler());
}

void TChartLegend::SetVisible(bool visible) {
  if (visible == m_visible) return;
  m_visible = visible;
  m_chart->Invalidate();
}

void TChartLegend::SetAlignment(TLegendAlignment alignment) { m_alignment = alignment; }
void TChartLegend::SetLegendStyle(TLegendStyle style) { m_legendStyle = style; }
void TChartLegend::SetTextStyle(TLegendTextStyle style) { m_textStyle = style; }
void TChartLegend::SetColorWidth(std::int32_t percent) { m_colorWidth = percent; }
void TChartLegend::SetTopPos(std::int32_t percent) { m_topPos = percent; }
void TChartLegend::SetMaxNumRows(std::int32_t rows) { m_maxNumRows = rows; }
void TChartLegend::SetResizeChart(bool resize) { m_resizeChart = resize; }
void TChartLegend::SetHorizMargin(std::int32_t margin) { m_horizMargin = margin; }
void TChartLegend::SetVertMargin(std::int32_t margin) { m_vertMargin = margin; }
void TChartLegend::SetColor(TColor color) { m_color = color; }
void TChartLegend::SetShadowColor(TColor color) { m_shadowColor = color; }
void TChartLegend::SetShadowSize(std::int32_t size) { m_shadowSize = size; }
void TChartLegend::SetInverted(bool inverted) { m_inverted = inverted; }
void TChartLegend::SetFirstValue(std::int32_t first) { m_firstValue = first; }

TLegendStyle TChartLegend::ResolvedStyle() const { return m_legendStyle; }
std::int32_t TChartLegend::LegendItemCount() const { return 0; }
std::string TChartLegend::ItemText(std::int32_t) const { return {}; }
void TChartLegend::PaintLegend() {}

std::string LegendValueText(TChartSeries&, std::int32_t, TLegendTextStyle) { return {}; }

} // namespace curvella
