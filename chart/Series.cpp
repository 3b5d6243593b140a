#include "chart/Series.h"

#include <algorithm>
#include <cmath>

#include "chart/AxisPanel.h"
#include "chart/ChartMessages.h"

namespace curvella {

namespace {

// Device coordinates some drawing devices keep to 16 bits.
constexpr std::int32_t kLargestCoordinate = 32766;

bool Drawable(std::int32_t v) { return v >= -kLargestCoordinate && v <= kLargestCoordinate; }

} // namespace

TSeriesPointer::TSeriesPointer(THandler onChange) : TChangeNotifier(onChange), m_pen(onChange) {
  m_brush.SetColor(clDefault);
  m_brush.SetOnChange(onChange);
}

void TSeriesPointer::SetHorizSize(std::int32_t size) {
  if (size < 1) throw ChartException("Pointer size must be greater than zero");
  Assign(m_horizSize, size);
}

void TSeriesPointer::SetVertSize(std::int32_t size) {
  if (size < 1) throw ChartException("Pointer size must be greater than zero");
  Assign(m_vertSize, size);
}

void TSeriesPointer::Draw(TChartCanvas3D& canvas, std::int32_t x, std::int32_t y, TColor color,
                          TSeriesPointerStyle style) {
  canvas.ApplyChartPen(m_pen);
  if (m_pen.Color() == clDefault) canvas.Pen().SetColor(color);
  canvas.Brush().SetStyle(m_brush.Style());
  canvas.Brush().SetColor(m_brush.Color() == clDefault ? color : m_brush.Color());
  const std::int32_t h = m_horizSize;
  const std::int32_t v = m_vertSize;
  switch (style) {
  case TSeriesPointerStyle::psRectangle:
    canvas.DrawRectangle(x - h, y - v, x + h + 1, y + v + 1);
    break;
  case TSeriesPointerStyle::psCircle:
    canvas.DrawEllipse({x - h, y - v, x + h + 1, y + v + 1});
    break;
  case TSeriesPointerStyle::psTriangle: {
    const TPoint corners[] = {{x - h, y + v}, {x + h, y + v}, {x, y - v}};
    canvas.DrawPolygon(corners);
    break;
  }
  case TSeriesPointerStyle::psDownTriangle: {
    const TPoint corners[] = {{x - h, y - v}, {x + h, y - v}, {x, y + v}};
    canvas.DrawPolygon(corners);
    break;
  }
  case TSeriesPointerStyle::psDiamond: {
    const TPoint corners[] = {{x, y - v}, {x + h, y}, {x, y + v}, {x - h, y}};
    canvas.DrawPolygon(corners);
    break;
  }
  case TSeriesPointerStyle::psCross:
  case TSeriesPointerStyle::psDiagCross:
  case TSeriesPointerStyle::psStar:
    if (m_pen.Color() == clDefault || !m_pen.Visible()) canvas.Pen().SetColor(color);
    if (style != TSeriesPointerStyle::psDiagCross) {
      canvas.StraightLine(x - h, y, x + h + 1, y);
      canvas.StraightLine(x, y - v, x, y + v + 1);
    }
    if (style != TSeriesPointerStyle::psCross) {
      canvas.StraightLine(x - h, y - v, x + h + 1, y + v + 1);
      canvas.StraightLine(x + h, y - v, x - h - 1, y + v + 1);
    }
    break;
  case TSeriesPointerStyle::psSmallDot:
    canvas.PutPixel(x, y, color);
    break;
  }
}

TCustomSeries::TCustomSeries()
    : m_linePen([this](TChangeNotifier*) { RequestRepaint(); }),
      m_pointer([this](TChangeNotifier*) { RequestRepaint(); }) {
  SetJoinsPoints(true);
}

void TCustomSeries::SetLineBrush(TBrushStyle style) {
  if (style == m_lineBrush) return;
  m_lineBrush = style;
  RequestRepaint();
}

void TCustomSeries::SetLineHeight(std::int32_t height) {
  if (height == m_lineHeight) return;
  m_lineHeight = height;
  RequestRepaint();
}

void TCustomSeries::SetStairs(bool stairs) {
  if (stairs == m_stairs) return;
  m_stairs = stairs;
  RequestRepaint();
}

void TCustomSeries::SetInvertedStairs(bool inverted) {
  if (inverted == m_invertedStairs) return;
  m_invertedStairs = inverted;
  RequestRepaint();
}

void TCustomSeries::SetDark3D(bool dark) {
  if (dark == m_dark3D) return;
  m_dark3D = dark;
  RequestRepaint();
}

TChartCanvas3D& TCustomSeries::Canvas() const { return ParentChart()->Canvas(); }

std::int32_t TCustomSeries::XPixelOf(std::int32_t index) const {
  return HorizontalAxis()->ValueToPixel(XValues()[index]);
}

std::int32_t TCustomSeries::YPixelOf(std::int32_t index) const {
  return VerticalAxis()->ValueToPixel(YValues()[index]);
}

void TCustomSeries::PrepareLinePen(TChartCanvas3D& canvas, TColor color) {
  canvas.ApplyChartPen(m_linePen);
  canvas.Brush().SetStyle(TBrushStyle::bsClear);
  canvas.Pen().SetColor(color);
}

void TCustomSeries::PlotAllPoints() {
  if (!ParentChart() || !HorizontalAxis() || !VerticalAxis()) return;
  m_previousSet = false;
  for (std::int32_t i = FirstShownIndex(); i <= LastShownIndex(); ++i) PlotPoint(i);
}

std::int32_t TCustomSeries::EdgeY(std::int32_t index) const {
  const long double e = HorizontalAxis()->PixelToValue(m_previousX);
  const long double x0 = XValues()[index - 1];
  const long double y0 = YValues()[index - 1];
  const long double x1 = XValues()[index];
  const long double y1 = YValues()[index];
  if (x1 - x0 == 0) return YPixelOf(index - 1);
  return VerticalAxis()->ValueToPixel(static_cast<double>(y0 + (y1 - y0) * (e - x0) / (x1 - x0)));
}

void TCustomSeries::PlotPoint(std::int32_t index) {
  const TColor color = PointColor(index);
  const std::int32_t x = XPixelOf(index);
  const std::int32_t y = YPixelOf(index);
  if (!Drawable(x) || !Drawable(y)) {
    // A null point before it still breaks the line: the next drawn point
    // starts afresh.
    if (m_previousColor != clNone) m_previousColor = color;
    return;
  }
  TChartCanvas3D& canvas = Canvas();
  canvas.Pen().SetColor(clBlack);
  canvas.Brush().SetColor(color);
  if (m_previousColor == clNone || !m_previousSet) {
    m_previousX = x;
    m_previousY = y;
  }
  const bool last = index == LastShownIndex();
  m_baselineY = VerticalAxis()->LastPixel();
  if (index == FirstShownIndex()) {
    if (index > 0) {
      const TRect& plot = ParentChart()->PlotRect();
      m_previousX = HorizontalAxis()->Inverted() ? plot.Right : plot.Left;
      m_previousY = m_stairs ? YPixelOf(index - 1) : EdgeY(index);
      m_previousSet = true;
      if (PointColor(index - 1) != clNone) PlotSegment(index, x, y, color, false);
    }
    if (last && m_pointer.Visible()) DrawPointer(index, x, y, color);
  } else {
    PlotSegment(index, x, y, color, true);
  }
  m_previousX = x;
  m_previousY = y;
  m_previousSet = true;
  m_previousBaselineY = m_baselineY;
  m_previousColor = color;
}

void TCustomSeries::PlotSegment(std::int32_t index, std::int32_t x, std::int32_t y, TColor color,
                                bool withPointers) {
  TChartCanvas3D& canvas = Canvas();
  if (!(x == m_previousX && y == m_previousY) && color != clNone) {
    if (m_drawsLine && !m_drawsArea) PrepareLinePen(canvas, color);
    if (!m_stairs) {
      canvas.StraightLine(m_previousX, m_previousY, x, y);
    } else if (m_invertedStairs) {
      canvas.VerticalLine(m_previousX, m_previousY, y);
      canvas.LineToPoint(x, y);
    } else {
      canvas.HorizontalLine(m_previousX, x, m_previousY);
      canvas.LineToPoint(x, y);
    }
  }
  if (!withPointers || !m_pointer.Visible()) return;
  if (m_previousColor != clNone) DrawPointer(index - 1, m_previousX, m_previousY, m_previousColor);
  if (index == LastShownIndex() && color != clNone) DrawPointer(index, x, y, color);
}

void TCustomSeries::DrawPointer(std::int32_t index, std::int32_t x, std::int32_t y, TColor color) {
  const TSeriesPointerStyle style = OnGetPointerStyle ? OnGetPointerStyle(*this, index) : m_pointer.Style();
  m_pointer.Draw(Canvas(), x, y, color, style);
}

void TCustomSeries::MarginsNeeded(bool horizontal, std::int32_t& low, std::int32_t& high) {
  low = high = 0;
  if (m_pointer.Visible() && m_pointer.InflateMargins()) {
    low = high = 1 + (horizontal ? m_pointer.HorizSize() : m_pointer.VertSize());
  }
  if (m_stairs && m_drawsLine) {
    // Left, right and top at least the pen's width; bottom one more.
    low = std::max(low, m_linePen.Width());
    high = std::max(high, m_linePen.Width() + (horizontal ? 0 : 1));
  }
  if (!horizontal && m_lineHeight > 0 && !m_drawsArea) high = std::max(high, m_lineHeight);
}

void TCustomSeries::PaintLegendSymbol(std::int32_t index, const TRect& rect) {
  if (!ParentChart()) return;
  const TColor color = index == -1 ? SeriesColor() : PointColor(index);
  if (!m_drawsLine || m_drawsArea) return TChartSeries::PaintLegendSymbol(index, rect);
  TChartCanvas3D& canvas = Canvas();
  PrepareLinePen(canvas, color);
  canvas.HorizontalLine(rect.Left, rect.Right, (rect.Top + rect.Bottom) / 2);
  if (m_pointer.Visible()) {
    DrawPointer(index, (rect.Left + rect.Right) / 2, (rect.Top + rect.Bottom) / 2, color);
  }
}

TLineSeries::TLineSeries() {
  SetAcceptsSinglePoint(false);
  Pointer().SetVisible(false);
}

std::int32_t TCustomSeries::Clicked(std::int32_t x, std::int32_t y) {
  if (FirstShownIndex() == -1 || LastShownIndex() == -1 || !HorizontalAxis() || !VerticalAxis()) return -1;
  std::int64_t xp = 0;
  std::int64_t yp = 0;
  for (std::int32_t i = FirstShownIndex(); i <= LastShownIndex(); ++i) {
    const std::int64_t xi = XPixelOf(i);
    const std::int64_t yi = YPixelOf(i);
    if (m_pointer.Visible() && std::llabs(xi - x) < m_pointer.HorizSize() &&
        std::llabs(yi - y) < m_pointer.VertSize()) {
      if (OnClickPointer) OnClickPointer(*this, i, x, y);
      return i;
    }
    if (xi == x && yi == y) return i;
    if (i > FirstShownIndex()) {
      // On the segment: close to its line, within its box.
      // Pixel differences reach 2^32, their products 2^64: exact in extended.
      const long double cross =
          static_cast<long double>(x - xp) * (yi - yp) - static_cast<long double>(y - yp) * (xi - xp);
      const bool inside =
          x >= std::min(xp, xi) && x <= std::max(xp, xi) && y >= std::min(yp, yi) && y <= std::max(yp, yi);
      if (inside && std::fabs(cross) < std::max(std::llabs(xi - xp), std::llabs(yi - yp))) return i - 1;
    }
    xp = xi;
    yp = yi;
  }
  return -1;
}

} // namespace curvella
