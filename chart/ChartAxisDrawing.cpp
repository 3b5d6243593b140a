#include "chart/ChartAxis.h"

#include "chart/AxisPanel.h"
#include "chart/ChartMessages.h"

namespace curvella {

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

TAxisLabelStyle TChartAxis::EffectiveLabelStyle() const { return m_labelStyle; }

std::int32_t TChartAxis::TickRoom() const { return 0; }

std::int32_t TChartAxis::LabelRoom() { return 0; }

std::int32_t TChartAxis::TitleRoom() { return 0; }

void TChartAxis::ReserveAxisSpace(TRect&, bool) {}

void TChartAxis::PaintAxis() {}

void TChartAxis::DrawLabelText(std::int32_t, std::int32_t, std::string_view, std::int32_t) {}

bool TChartAxis::HitTest(std::int32_t, std::int32_t) const { return false; }

} // namespace curvella
