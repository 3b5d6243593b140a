#include "chart/ChartPanel.h"

#include <algorithm>

namespace curvella {

TCustomChartPanel::TCustomChartPanel()
    : m_windowDevice(&m_windowImage), m_windowCanvas(&m_windowDevice), m_canvas(&m_windowCanvas) {
  m_view3DOptions.SetOnChange(PartChangedHandler());
  m_canvas.SetOnInvalidate([this] { Invalidate(); });
  m_autoRepaint = true;
}

TCustomChartPanel::~TCustomChartPanel() = default;

void TCustomChartPanel::SetControlSize(TSize size) {
  if (size == m_controlSize) return;
  m_controlSize = size;
  Invalidate();
}

TRect TCustomChartPanel::ClientDrawRect() const {
  return {0, 0, std::max(0, m_controlSize.Width - 2 * m_borderThickness),
          std::max(0, m_controlSize.Height - 2 * m_borderThickness)};
}

void TCustomChartPanel::RecalcPlotSize() {
  TRect& r = m_plotRect;
  r.Left = std::max(r.Left, m_panelRect.Left);
  r.Top = std::max(r.Top, m_panelRect.Top);
  if (r.Right < r.Left)
    r.Right = r.Left + 1;
  else if (r.Right == r.Left)
    r.Right = r.Left + m_controlSize.Width;
  if (r.Bottom < r.Top)
    r.Bottom = r.Top + 1;
  else if (r.Bottom == r.Top)
    r.Bottom = r.Top + m_controlSize.Height;
  m_plotWidth = r.Right - r.Left;
  m_plotHeight = r.Bottom - r.Top;
  m_plotXCenter = (r.Left + r.Right) / 2;
  m_plotYCenter = (r.Top + r.Bottom) / 2;
}

void TCustomChartPanel::Invalidate() {
  if (!m_autoRepaint) return;
  m_canvas.MarkStale();
  if (m_host) m_host->Invalidate();
}

void TCustomChartPanel::RepaintNow() {
  if (m_host) m_host->RepaintNow();
}

void TCustomChartPanel::PartChanged(TChangeNotifier*) { Invalidate(); }

void TCustomChartPanel::ApplyFont(TFont& font) {
  font.SetPixelsPerInch(m_canvas.Font().PixelsPerInch());
  m_canvas.Font().Assign(font);
}

std::int32_t TCustomChartPanel::WidestLineWidth(std::string_view text, std::int32_t* lineCount) {
  std::int32_t widest = 0;
  std::int32_t lines = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find('\r', start), text.size());
    widest = std::max(widest, m_canvas.MeasureTextWidth(text.substr(start, end - start)));
    ++lines;
    start = end + 1;
  }
  if (text.empty()) lines = 1;
  if (lineCount) *lineCount = std::max(lines, 1);
  return widest;
}

} // namespace curvella
