// The chart's mouse: a drag with the zoom button toward the lower right
// zooms into its rectangle, a drag the other way undoes every zoom and
// scroll, a drag with the scroll button scrolls the axes, the wheel
// scrolls the vertical axes. Only the axes' ranges change, never the
// points.
//
//   idle      zoom press on an axis, the line or the plot  -> zooming (rectangle of no size)
//   idle      scroll press there                          -> scrolling
//   zooming   move                                        -> the rectangle follows
//   zooming   zoom release                                -> idle: zoom, undo or nothing
//   scrolling move inside the plot                        -> the axes follow the mouse
//   scrolling move outside, release, the mouse leaves     -> idle
//   dragging  another press                               -> ignored

#include "chart/Chart.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "numtext/Extended.h"

namespace curvella {

namespace {

bool Contains(const TRect& r, std::int32_t x, std::int32_t y) {
  return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

// An axis end moved by delta; beyond the double range an overflow, and an
// end that is no number (an axis scaled over values no axis can hold) an
// invalid operation.
double MovedEnd(double end, long double delta) {
  const double moved = StoreDouble(CheckedAdd(end, delta));
  if (std::isnan(moved)) throw EInvalidOp();
  return moved;
}

// Whether every key the setting asks for is held.
bool Holds(const TShiftState& held, const TShiftState& wanted) {
  return (!wanted.Shift || held.Shift) && (!wanted.Alt || held.Alt) && (!wanted.Ctrl || held.Ctrl) &&
         (!wanted.Left || held.Left) && (!wanted.Right || held.Right) && (!wanted.Middle || held.Middle);
}

} // namespace

void TCustomChart::SetCursor(TCursor cursor) {
  if (cursor == m_cursor) return;
  m_cursor = cursor;
  if (Host()) Host()->ShowCursor(cursor);
}

TChartClickedPart TCustomChart::FindClickedPart(std::int32_t x, std::int32_t y) {
  using enum TChartClickedPartStyle;
  for (std::int32_t i = SeriesCount() - 1; i >= 0; --i) {
    TChartSeries& series = Series(i);
    if (!series.Active()) continue;
    const std::int32_t index = series.Clicked(x, y);
    if (index != -1) return {cpSeries, &series, index, nullptr};
  }
  for (TChartAxis* axis : Axes()) {
    if (axis->HitTest(x, y)) return {cpAxis, nullptr, -1, axis};
  }
  if (m_title->Visible() && Contains(m_title->TitleRect(), x, y)) return {cpTitle};
  if (m_foot->Visible() && Contains(m_foot->TitleRect(), x, y)) return {cpFoot};
  bool anyActive = false;
  for (std::int32_t i = 0; i < SeriesCount(); ++i) anyActive = anyActive || Series(i).Active();
  if (anyActive && Contains(PlotRect(), x, y)) return {cpChartRect};
  if (m_legend->Visible() && m_legend->Clicked(x, y) != -1) return {cpLegend};
  return {};
}

bool TCustomChart::BackgroundClick(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y) {
  if (!OnClickBackground) return false;
  m_mouseClaimed = true;
  OnClickBackground(*this, button, shift, x, y);
  return m_mouseClaimed;
}

bool TCustomChart::StartZoomOrScroll(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y) {
  bool started = false;
  if (m_allowZoom && button == kZoomButton && Holds(shift, kZoomShiftKeys)) {
    SetCursor(crDefault);
    m_zoom.Activate(x, y);
    RefreshWindow();
    started = true;
  }
  if (m_allowPanning != TPanningMode::pmNone && button == kScrollButton && Holds(shift, kScrollShiftKeys)) {
    SetCursor(crDefault);
    m_panning.Activate(x, y);
    started = true;
  }
  return started;
}

void TCustomChart::MouseDown(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y) {
  using enum TChartClickedPartStyle;
  if (OnMouseDown) OnMouseDown(*this, button, shift, x, y);
  if (m_zoom.DragActive || m_panning.DragActive) return;
  if (m_mouseClaimed) {
    m_mouseClaimed = false;
    return;
  }
  const TChartClickedPart part = FindClickedPart(x, y);
  bool handled = false;
  bool backgroundAsked = false;
  switch (part.Part) {
  case cpLegend:
    if (OnClickLegend) {
      m_mouseClaimed = true;
      OnClickLegend(*this, button, shift, x, y);
      handled = m_mouseClaimed;
    }
    break;
  case cpAxis:
    if (OnClickAxis) {
      m_mouseClaimed = true;
      OnClickAxis(*this, *part.Axis, button, shift, x, y);
      handled = m_mouseClaimed;
    }
    if (!handled) handled = StartZoomOrScroll(button, shift, x, y);
    break;
  case cpSeries:
    handled = part.Series->ClickedPoint(part.PointIndex, button, shift, x, y);
    if (OnClickSeries) {
      m_mouseClaimed = true;
      OnClickSeries(*this, *part.Series, part.PointIndex, button, shift, x, y);
      handled = handled || m_mouseClaimed;
    }
    if (!handled) handled = StartZoomOrScroll(button, shift, x, y);
    break;
  case cpChartRect:
    handled = BackgroundClick(button, shift, x, y);
    backgroundAsked = true;
    if (!handled) handled = StartZoomOrScroll(button, shift, x, y);
    break;
  case cpTitle:
  case cpFoot:
  case cpNone:
    break;
  }
  // The background hears of a press nothing took, once.
  if (!handled && !backgroundAsked) BackgroundClick(button, shift, x, y);
  m_mouseClaimed = false;
}

void TCustomChart::MouseMove(TShiftState shift, std::int32_t x, std::int32_t y) {
  if (OnMouseMove) OnMouseMove(*this, shift, x, y);
  if (m_zoom.DragActive) {
    if (x == m_zoom.CurrentX && y == m_zoom.CurrentY) return;
    m_zoom.CurrentX = x;
    m_zoom.CurrentY = y;
    RefreshWindow();
    return;
  }
  if (m_panning.DragActive) {
    ScrollTo(x, y);
    return;
  }
  TCursor cursor = m_restingCursor;
  for (std::int32_t i = SeriesCount() - 1; i >= 0; --i) {
    TChartSeries& series = Series(i);
    if (series.Active() && series.Cursor() != crDefault && series.Clicked(x, y) != -1) {
      cursor = series.Cursor();
      break;
    }
  }
  SetCursor(cursor);
  for (std::int32_t i = 0; i < SeriesCount(); ++i) Series(i).MouseMoved(shift, x, y);
}

void TCustomChart::ScrollTo(std::int32_t x, std::int32_t y) {
  if (!Contains(PlotRect(), x, y)) {
    m_panning.DragActive = false;
    return;
  }
  if (x == m_panning.CurrentX && y == m_panning.CurrentY) return;
  if (m_axesAtOriginal) {
    SaveAxisRanges();
    m_axesAtOriginal = false;
  }
  struct TShift {
    TChartAxis* Axis;
    double Minimum;
    double Maximum;
  };
  // Every new range is computed before any axis changes: one beyond the
  // double range is an overflow, and the scroll stops with the axes whole.
  std::vector<TShift> shifts;
  const auto plan = [&](bool horizontal, std::int32_t from, std::int32_t to) {
    for (TChartAxis* axis : Axes()) {
      if (axis->Horizontal() != horizontal || axis->IsDepthAxis()) continue;
      // The content follows the mouse: dragging right shows smaller values.
      const long double delta = CheckedSub(axis->PixelToValue(from), axis->PixelToValue(to));
      shifts.push_back({axis, MovedEnd(axis->Minimum(), delta), MovedEnd(axis->Maximum(), delta)});
    }
  };
  const bool horizontally =
      m_allowPanning == TPanningMode::pmHorizontal || m_allowPanning == TPanningMode::pmBoth;
  const bool vertically =
      m_allowPanning == TPanningMode::pmVertical || m_allowPanning == TPanningMode::pmBoth;
  if (x != m_panning.CurrentX && horizontally) plan(true, m_panning.CurrentX, x);
  if (y != m_panning.CurrentY && vertically) plan(false, m_panning.CurrentY, y);
  for (TShift& shift : shifts) {
    bool allow = true;
    if (OnAllowScroll) OnAllowScroll(*shift.Axis, shift.Minimum, allow, shift.Maximum);
    if (allow) shift.Axis->SetAxisRange(shift.Minimum, shift.Maximum);
  }
  m_panning.CurrentX = x;
  m_panning.CurrentY = y;
  if (shifts.empty()) return;
  if (OnScroll) OnScroll(*this);
  Invalidate();
}

void TCustomChart::MouseUp(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y) {
  if (OnMouseUp) OnMouseUp(*this, button, shift, x, y);
  for (std::int32_t i = 0; i < SeriesCount(); ++i) Series(i).MouseReleased(button, shift, x, y);
  // Any release ends a scroll, also when the zoom below fails.
  m_panning.DragActive = false;
  if (m_zoom.DragActive && button == kZoomButton) {
    m_zoom.DragActive = false;
    RefreshWindow(); // the rectangle goes with the next paint
    m_zoom.CurrentX = x;
    m_zoom.CurrentY = y;
    const std::int32_t dx = m_zoom.CurrentX - m_zoom.AnchorX;
    const std::int32_t dy = m_zoom.CurrentY - m_zoom.AnchorY;
    if (std::abs(dx) > kZoomDragThreshold && std::abs(dy) > kZoomDragThreshold) {
      if (dx > 0 && dy > 0)
        ZoomToRectangle();
      else
        UnZoom();
      Invalidate();
    }
  }
}

void TCustomChart::MouseWheel(bool down) {
  if (down ? OnMouseWheelDown : OnMouseWheelUp) (down ? OnMouseWheelDown : OnMouseWheelUp)(*this);
  std::vector<std::pair<TChartAxis*, double>> offsets;
  for (TChartAxis* axis : Axes()) {
    if (axis->Horizontal()) continue;
    const long double span = CheckedSub(axis->Maximum(), axis->Minimum());
    const double offset =
        StoreDouble(CheckedDiv(CheckedMul(span, down ? kWheelStepPercent : -kWheelStepPercent), 100));
    // The shifted ends must stay within the double range.
    MovedEnd(axis->Minimum(), offset);
    MovedEnd(axis->Maximum(), offset);
    offsets.emplace_back(axis, offset);
  }
  // The ranges before the first wheel step are kept for an undo, as for a
  // zoom or a scroll: the shifted axes are no longer automatic, and without
  // them an undo drag could not give later runs their automatic ranges back.
  if (!offsets.empty() && m_axesAtOriginal) {
    SaveAxisRanges();
    m_axesAtOriginal = false;
  }
  for (const auto& [axis, offset] : offsets) axis->ShiftAxisRange(false, offset);
}

void TCustomChart::MouseLeave() {
  SetCursor(m_restingCursor);
  m_panning.DragActive = false;
}

void TCustomChart::CancelMode() {
  if (m_zoom.DragActive) RefreshWindow();
  m_zoom.DragActive = false;
  m_panning.DragActive = false;
}

void TCustomChart::SaveAxisRanges() {
  TChartAxis* const axes[] = {&TopAxis(), &BottomAxis(), &LeftAxis(), &RightAxis()};
  for (std::size_t i = 0; i < m_savedAxisRanges.size(); ++i) {
    const TChartAxis& axis = *axes[i];
    m_savedAxisRanges[i] = {axis.Automatic(), axis.AutomaticMinimum(), axis.AutomaticMaximum(),
                            axis.Minimum(), axis.Maximum()};
  }
}

void TCustomChart::ZoomToRectangle() {
  TZoomPanningRecord& r = m_zoom;
  if (r.AnchorX > r.CurrentX) std::swap(r.AnchorX, r.CurrentX);
  if (r.AnchorY > r.CurrentY) std::swap(r.AnchorY, r.CurrentY);
  // The lower edge gives a vertical axis its minimum.
  ApplyZoom({{{LeftAxis().PixelToValue(r.CurrentY), LeftAxis().PixelToValue(r.AnchorY)},
              {RightAxis().PixelToValue(r.CurrentY), RightAxis().PixelToValue(r.AnchorY)},
              {TopAxis().PixelToValue(r.AnchorX), TopAxis().PixelToValue(r.CurrentX)},
              {BottomAxis().PixelToValue(r.AnchorX), BottomAxis().PixelToValue(r.CurrentX)}}});
}

void TCustomChart::ApplyZoom(const std::array<std::pair<double, double>, 4>& targets) {
  // Axes scaled over a range no double holds give positions that are no
  // numbers or infinite: such a zoom is refused with the axes as they are.
  for (const auto& [minimum, maximum] : targets) {
    if (std::isnan(minimum) || std::isnan(maximum)) throw EInvalidOp();
    if (std::isinf(minimum) || std::isinf(maximum)) throw EOverflow();
  }
  if (m_axesAtOriginal) {
    SaveAxisRanges();
    m_axesAtOriginal = false;
  }
  TChartAxis* const axes[] = {&LeftAxis(), &RightAxis(), &TopAxis(), &BottomAxis()};
  if (m_animatedZoom) {
    for (std::int32_t frame = 1; frame < m_animatedZoomSteps; ++frame) {
      for (std::size_t i = 0; i < 4; ++i) {
        TChartAxis& axis = *axes[i];
        const long double minimum = axis.Minimum();
        const long double maximum = axis.Maximum();
        const long double toMinimum =
            CheckedDiv(CheckedSub(targets[i].first, minimum), kZoomAnimationDivisor);
        const long double toMaximum =
            CheckedDiv(CheckedSub(maximum, targets[i].second), kZoomAnimationDivisor);
        axis.SetAxisRange(StoreDouble(CheckedAdd(minimum, toMinimum)),
                          StoreDouble(CheckedSub(maximum, toMaximum)));
      }
      RepaintNow();
    }
  }
  for (std::size_t i = 0; i < 4; ++i) axes[i]->SetAxisRange(targets[i].first, targets[i].second);
  m_chartZoomed = true;
  if (OnZoom) OnZoom(*this);
}

void TCustomChart::UnZoom() {
  if (!m_axesAtOriginal) {
    TChartAxis* const axes[] = {&TopAxis(), &BottomAxis(), &LeftAxis(), &RightAxis()};
    for (std::size_t i = 0; i < m_savedAxisRanges.size(); ++i) {
      const TSavedAxisRange& saved = m_savedAxisRanges[i];
      TChartAxis& axis = *axes[i];
      axis.SetAutomatic(saved.Automatic);
      axis.SetAutomaticMinimum(saved.AutomaticMinimum);
      axis.SetAutomaticMaximum(saved.AutomaticMaximum);
      if (!saved.Automatic) axis.SetAxisRange(saved.Minimum, saved.Maximum);
    }
  }
  m_axesAtOriginal = true;
  if (OnUndoZoom) OnUndoZoom(*this);
  Invalidate();
  m_chartZoomed = false;
}

void TCustomChart::DrawZoomRectangleOn(TCanvas& canvas) const {
  const std::uint32_t rgb = ColorToRGB(Color());
  TPen& pen = canvas.Pen();
  pen.SetColor(static_cast<TColor>(rgb == 0xFFFFFF ? 0 : rgb));
  pen.SetMode(TPenMode::pmNotXor);
  pen.SetStyle(TPenStyle::psSolid);
  pen.SetWidth(1);
  canvas.Brush().SetStyle(TBrushStyle::bsClear);
  canvas.Rectangle(m_zoom.AnchorX, m_zoom.AnchorY, m_zoom.CurrentX, m_zoom.CurrentY);
  pen.SetMode(TPenMode::pmCopy);
}

void TCustomChart::DrawZoomRectangle() {
  if (m_zoom.DragActive && !Canvas().OffscreenBuffer()) DrawZoomRectangleOn(Canvas().ReferenceCanvas());
}

void TCustomChart::PaintOverlay(TCanvas& windowCanvas) {
  if (m_zoom.DragActive && Canvas().OffscreenBuffer()) DrawZoomRectangleOn(windowCanvas);
}

} // namespace curvella
