#include "chart/Chart.h"

#include "chart/ChartMessages.h"

namespace curvella {

TChartWall::TChartWall(TCustomChart* chart, TColor defaultColor, TBrushStyle brushStyle)
    : m_chart(chart), m_color(defaultColor), m_pen(chart->PartChangedHandler()) {
  m_brush.SetColor(clDefault);
  m_brush.SetStyle(brushStyle);
  m_brush.SetOnChange(chart->PartChangedHandler());
}

void TChartWall::SetColor(TColor color) {
  if (color == m_color) return;
  m_color = color;
  m_chart->Invalidate();
}

void TChartWall::SetDark3D(bool dark) {
  if (dark == m_dark3D) return;
  m_dark3D = dark;
  m_chart->Invalidate();
}

void TChartWall::SetSize(std::int32_t size) {
  if (size == m_size) return;
  m_size = size;
  m_chart->Invalidate();
}

TCustomChart::TCustomChart() {
  SetAutoRepaint(false);
  m_title = std::make_unique<TChartTitle>(this);
  m_foot = std::make_unique<TChartTitle>(this);
  m_backWall = std::make_unique<TChartWall>(this, clDefault, TBrushStyle::bsClear);
  m_leftWall = std::make_unique<TChartWall>(this, 0x80FFFF, TBrushStyle::bsSolid);
  m_legend = std::make_unique<TChartLegend>(this);
  m_bottomWall = std::make_unique<TChartWall>(this, clWhite, TBrushStyle::bsSolid);
  SetAutoRepaint(true);
}

TCustomChart::~TCustomChart() { SetAutoRepaint(false); }

void TCustomChart::SetBackColor(TColor color) {
  m_backWall->SetColor(color);
  if (!Loading()) m_backWall->Brush().SetStyle(TBrushStyle::bsSolid);
}

void TCustomChart::PlaceTitlesAndLegend() {
  bool anyActive = false;
  for (std::int32_t i = 0; i < SeriesCount(); ++i) anyActive = anyActive || Series(i).Active();
  const auto titles = [&] {
    if (m_title->Visible()) m_title->DrawTitle(true);
    if (m_foot->Visible()) m_foot->DrawTitle(false);
  };
  if (!m_legend->Visible() || !anyActive) {
    m_legend->Forget();
    titles();
  } else if (m_legend->LegendIsVertical()) {
    m_legend->PaintLegend();
    titles();
  } else {
    titles();
    m_legend->PaintLegend();
  }
}

void TCustomChart::PaintWalls() {
  TChartCanvas3D& canvas = Canvas();
  TChartWall& wall = *m_backWall;
  canvas.ApplyChartPen(wall.Pen());
  TBrush& brush = wall.Brush();
  if (wall.Color() == clDefault && brush.Style() == TBrushStyle::bsSolid) {
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
  } else {
    canvas.Brush().SetColor(wall.Color());
    canvas.Brush().SetStyle(brush.Style());
    if (brush.Style() != TBrushStyle::bsSolid) {
      canvas.SetBackgroundMode(OPAQUE);
      canvas.SetBackgroundColor(brush.Color());
      // A hatch of the background's own colour would not show.
      if (wall.Color() == brush.Color())
        canvas.Brush().SetColor(ColorToRGB(brush.Color()) == 0 ? clWhite : clBlack);
    } else {
      canvas.SetBackgroundMode(TRANSPARENT);
    }
  }
  const TRect& plot = PlotRect();
  canvas.DrawRectangle(plot.Left, plot.Top, plot.Right + 1, plot.Bottom + 1);
}

std::int32_t TCustomChart::WallSize(const TChartAxis& axis) const {
  if (!View3D() || !View3DWalls()) return 0;
  if (&axis == &const_cast<TCustomChart*>(this)->LeftAxis()) return m_leftWall->Size();
  if (&axis == &const_cast<TCustomChart*>(this)->BottomAxis()) return m_bottomWall->Size();
  return 0;
}

} // namespace curvella
