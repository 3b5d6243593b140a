#include "chart/ChartCanvas.h"

#include <algorithm>
#include <cmath>

#include "chart/ChartMessages.h"
#include "platform/Fonts.h"
#include "platform/Locale.h"

namespace curvella {

namespace {

// The resource strings of the default chart font.
constexpr const char* kDefaultFontName = "Arial";
constexpr int kDefaultFontSize = 8;

} // namespace

TChartFontDefault ChartFontDefault(bool japanese) {
  if (!japanese) return {kDefaultFontName, kDefaultFontSize};
  // Japanese desktops draw the charts in their user-interface font, at its
  // height seen in points.
  return {kDefaultGuiFontName, -MulDiv(kDefaultGuiFontHeight, 72, kPixelsPerInch)};
}

TChartPen::TChartPen(THandler onChange) : TPen() { SetOnChange(std::move(onChange)); }

void TChartPen::Assign(const TChartPen& other) {
  const bool changed = m_visible != other.m_visible || m_smallDots != other.m_smallDots;
  m_visible = other.m_visible;
  m_smallDots = other.m_smallDots;
  if (changed) Changed();
  TPen::Assign(other);
}

TChartHiddenPen::TChartHiddenPen(THandler onChange) : TChartPen() {
  SetVisible(false);
  SetOnChange(std::move(onChange));
}

TDottedGrayPen::TDottedGrayPen(THandler onChange) : TChartPen() {
  SetColor(clGray);
  SetStyle(TPenStyle::psDot);
  SetOnChange(std::move(onChange));
}

TDarkGrayPen::TDarkGrayPen(THandler onChange) : TChartPen() {
  SetColor(clGray);
  SetOnChange(std::move(onChange));
}

TChartAxisPen::TChartAxisPen(THandler onChange) : TChartPen() {
  SetWidth(2);
  SetOnChange(std::move(onChange));
}

TChartArrowPen::TChartArrowPen(THandler onChange) : TChartPen() {
  SetColor(clWhite);
  SetOnChange(std::move(onChange));
}

void MakeChartFont(TFont& font) {
  const TChartFontDefault fontDefault = ChartFontDefault(UserLanguageIsJapanese());
  font.SetName(fontDefault.Name);
  font.SetSize(fontDefault.Size);
  font.SetColor(clBlack);
  font.SetStyle({});
}

std::unique_ptr<TFont> CreateChartFont(TChangeNotifier::THandler onChange) {
  auto font = std::make_unique<TFont>();
  MakeChartFont(*font);
  font->SetOnChange(std::move(onChange));
  return font;
}

bool IsChartDefaultFont(const TFont& font) {
  const TChartFontDefault fontDefault = ChartFontDefault(UserLanguageIsJapanese());
  return font.Size() == fontDefault.Size && font.Name() == fontDefault.Name && font.Color() == clBlack &&
         font.Style().Empty() && font.CharSet() == 1;
}

void CheckAngle(int angle, std::string_view description) {
  if (angle < 0 || angle > 359) throw ChartException(FormatMessage(kAngleMessage, {description}));
}

void TChartCanvas::ApplyChartPen(const TChartPen& pen) {
  TPen& canvasPen = Pen();
  if (!pen.Visible()) {
    canvasPen.SetStyle(TPenStyle::psClear);
    return;
  }
  if (pen.SmallDots() && pen.Width() == 1) {
    // The cosmetic alternate-pixel pen; the chart pen's style is not used.
    canvasPen.SetColor(pen.Color());
    canvasPen.SetWidth(1);
    canvasPen.SetStyle(TPenStyle::psAlternate);
    return;
  }
  canvasPen.Assign(pen);
}

void TChartCanvas::ResetCanvasState() {
  Pen().SetColor(clBlack);
  Pen().SetWidth(1);
  Pen().SetStyle(TPenStyle::psSolid);
  Brush().SetColor(clWhite);
  Brush().SetStyle(TBrushStyle::bsSolid);
  Font().SetColor(clBlack);
  Font().SetSize(10);
  SetBackgroundColor(clWhite);
  SetBackgroundMode(TRANSPARENT);
}

std::int32_t TChartCanvas::TextLineHeight() { return MeasureTextHeight("W"); }

std::int32_t TChartCanvas::MeasureTextWidth(std::string_view text) {
  return m_canvas->HasHandle() ? m_canvas->Handle().TextExtent(text).Width : 0;
}

std::int32_t TChartCanvas::MeasureTextHeight(std::string_view text) {
  return m_canvas->HasHandle() ? m_canvas->Handle().TextExtent(text).Height : 0;
}

TChartCanvas3D::TChartCanvas3D(TCanvas* windowCanvas) : TChartCanvas(windowCanvas) {}

TChartCanvas3D::~TChartCanvas3D() = default;

std::uint32_t TChartCanvas3D::BackgroundColor() const { return m_canvas->Handle().BackgroundColor(); }

void TChartCanvas3D::SetBackgroundColor(TColor color) {
  m_canvas->Handle().SetBackgroundColor(ColorToRGB(color));
}

int TChartCanvas3D::BackgroundMode() const { return m_canvas->Handle().BackgroundMode(); }

void TChartCanvas3D::SetBackgroundMode(int mode) { m_canvas->Handle().SetBackgroundMode(mode); }

unsigned TChartCanvas3D::TextAlignment() const { return m_canvas->Handle().TextAlign(); }

void TChartCanvas3D::SetTextAlignment(unsigned flags) { m_canvas->Handle().SetTextAlign(flags); }

void TChartCanvas3D::FreeBitmap() {
  m_bitmap.reset();
  m_stale = true;
}

void TChartCanvas3D::SetMonochrome(bool monochrome) {
  if (monochrome == m_monochrome) return;
  m_monochrome = monochrome;
  FreeBitmap();
  if (m_invalidate) m_invalidate();
}

void TChartCanvas3D::SetOffscreenBuffer(bool on) {
  m_offscreenBuffer = on;
  if (!on && m_bitmap) FreeBitmap();
}

void TChartCanvas3D::PutPixel(std::int32_t x, std::int32_t y, TColor color) {
  m_canvas->Handle().SetPixel(x, y, ColorToRGB(color));
}

void TChartCanvas3D::DrawEllipse(const TRect& box) {
  m_canvas->Handle().Ellipse(box.Left, box.Top, box.Right, box.Bottom);
}

void TChartCanvas3D::FillRectangle(const TRect& rect) { m_canvas->Handle().FillRect(rect); }

void TChartCanvas3D::BevelFrame(TRect rect, TColor topColor, int width, TColor bottomColor) {
  Pen().SetWidth(1);
  --rect.Right;
  --rect.Bottom;
  for (int i = 0; i < width; ++i) {
    Pen().SetColor(topColor);
    const TPoint topLeft[] = {{rect.Left, rect.Bottom}, {rect.Left, rect.Top}, {rect.Right, rect.Top}};
    m_canvas->Polyline(topLeft);
    Pen().SetColor(bottomColor);
    const TPoint bottomRight[] = {
        {rect.Right, rect.Top}, {rect.Right, rect.Bottom}, {rect.Left - 1, rect.Bottom}};
    m_canvas->Polyline(bottomRight);
    rect = {rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1};
  }
}

void TChartCanvas3D::LineToPoint(std::int32_t x, std::int32_t y) { m_canvas->LineTo(x, y); }

void TChartCanvas3D::MoveToPoint(std::int32_t x, std::int32_t y) { m_canvas->MoveTo(x, y); }

void TChartCanvas3D::DrawRectangle(std::int32_t left, std::int32_t top, std::int32_t right,
                                   std::int32_t bottom) {
  m_canvas->Rectangle(left, top, right, bottom);
}

void TChartCanvas3D::DrawRoundRect(std::int32_t left, std::int32_t top, std::int32_t right,
                                   std::int32_t bottom, std::int32_t cornerWidth, std::int32_t cornerHeight) {
  m_canvas->Handle().RoundRect(left, top, right, bottom, cornerWidth, cornerHeight);
}

void TChartCanvas3D::WriteText(std::int32_t x, std::int32_t y, std::string_view text) {
  m_canvas->TextOut(x, y, text);
}

void TChartCanvas3D::ClipToRectangle(const TRect& rect) { m_canvas->Handle().IntersectClipRect(rect); }

void TChartCanvas3D::HorizontalLine(std::int32_t x0, std::int32_t x1, std::int32_t y) {
  m_canvas->MoveTo(x0, y);
  m_canvas->LineTo(x1, y);
}

void TChartCanvas3D::DrawRectRecord(const TRect& rect) {
  DrawRectangle(rect.Left, rect.Top, rect.Right, rect.Bottom);
}

void TChartCanvas3D::VerticalLine(std::int32_t x, std::int32_t y0, std::int32_t y1) {
  m_canvas->MoveTo(x, y0);
  m_canvas->LineTo(x, y1);
}

void TChartCanvas3D::EraseArea(const TRect& rect) { FillRectangle(rect); }

void TChartCanvas3D::StraightLine(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) {
  m_canvas->MoveTo(x0, y0);
  m_canvas->LineTo(x1, y1);
}

void TChartCanvas3D::DrawPolygon(std::span<const TPoint> points) { m_canvas->Handle().Polygon(points); }

void TChartCanvas3D::WriteRotatedText(std::int32_t x, std::int32_t y, int angle, std::string_view text) {
  Brush().SetStyle(TBrushStyle::bsClear);
  if (angle > 360) angle -= 360;
  TDeviceContext& dc = m_canvas->Handle();
  const TFontSpec upright = dc.Font();
  TFontSpec turned = upright;
  turned.Escapement = angle * 10;
  dc.SelectFont(turned);
  dc.SetTextColor(ColorToRGB(Font().Color()));
  dc.TextOut(x, y, text);
  dc.SelectFont(upright);
}

void TChartCanvas3D::RemoveClipping() { m_canvas->Handle().RemoveClipping(); }

void TChartCanvas3D::PutPixelAtDepth(std::int32_t x, std::int32_t y, std::int32_t depth, TColor color) {
  const TPoint p = ProjectPoint(x, y, depth);
  PutPixel(p.X, p.Y, color);
}

TPoint TChartCanvas3D::ProjectPoint(std::int32_t x, std::int32_t y, std::int32_t) const { return {x, y}; }

TRect TChartCanvas3D::PrepareSurface(TCanvas& target, const TView3DOptions* options, const TRect& rect,
                                     bool view3D) {
  m_bounds = rect;
  m_options = options;
  m_view3D = view3D;
  m_orthogonal = false;
  m_zoomFactor = 1.0;
  if (!m_offscreenBuffer) {
    m_canvas = &target;
    return rect;
  }
  const std::int32_t w = rect.Width();
  const std::int32_t h = rect.Height();
  if (m_bitmap && (m_bitmap->Width() != w || m_bitmap->Height() != h)) m_bitmap.reset();
  if (!m_bitmap) {
    m_bitmap = std::make_unique<TBitmap>();
    m_bitmap->SetMonochrome(m_monochrome);
    m_bitmap->SetWidth(w);
    m_bitmap->SetHeight(h);
  }
  m_canvas = &m_bitmap->Canvas();
  // Cleared as the pass starts, so that a change made by an event during
  // the pass leaves the picture stale for the next paint.
  m_stale = false;
  return {0, 0, w, h};
}

void TChartCanvas3D::PresentImage(TCanvas& destination, TCanvas& windowCanvas, const TRect& rect) {
  if (m_offscreenBuffer && m_bitmap) {
    destination.Handle().BitBlt(rect.Left, rect.Top, m_bitmap->Width(), m_bitmap->Height(),
                                m_bitmap->Device(), 0, 0);
  }
  m_canvas = &windowCanvas;
}

bool TChartCanvas3D::RepaintFromBuffer() {
  if (m_stale || !m_bitmap) return false;
  m_canvas->Handle().BitBlt(0, 0, m_bitmap->Width(), m_bitmap->Height(), m_bitmap->Device(), 0, 0);
  return true;
}

void TChartCanvas3D::ClipToPlot(const TRect& rect, std::int32_t, std::int32_t) {
  ClipToRectangle({rect.Left + 1, rect.Top + 1, rect.Right, rect.Bottom - 1});
}

void TChartCanvas3D::HorizontalLineAtDepth(std::int32_t x0, std::int32_t x1, std::int32_t depth,
                                           std::int32_t y) {
  const TPoint a = ProjectPoint(x0, y, depth);
  const TPoint b = ProjectPoint(x1, y, depth);
  HorizontalLine(a.X, b.X, a.Y);
}

void TChartCanvas3D::VerticalLineAtDepth(std::int32_t x, std::int32_t y0, std::int32_t depth,
                                         std::int32_t y1) {
  const TPoint a = ProjectPoint(x, y0, depth);
  const TPoint b = ProjectPoint(x, y1, depth);
  VerticalLine(a.X, a.Y, b.Y);
}

void TChartCanvas3D::LineAtDepth(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                                 std::int32_t depth) {
  const TPoint a = ProjectPoint(x0, y0, depth);
  const TPoint b = ProjectPoint(x1, y1, depth);
  StraightLine(a.X, a.Y, b.X, b.Y);
}

void TChartCanvas3D::MoveToAtDepth(std::int32_t x, std::int32_t y, std::int32_t depth) {
  const TPoint p = ProjectPoint(x, y, depth);
  MoveToPoint(p.X, p.Y);
}

void TChartCanvas3D::LineToAtDepth(std::int32_t x, std::int32_t y, std::int32_t depth) {
  const TPoint p = ProjectPoint(x, y, depth);
  LineToPoint(p.X, p.Y);
}

void TChartCanvas3D::PlaneAtDepth(const TPoint (&corners)[4], std::int32_t depth) {
  TPoint projected[4];
  for (int i = 0; i < 4; ++i) projected[i] = ProjectPoint(corners[i].X, corners[i].Y, depth);
  DrawPolygon(projected);
}

void TChartCanvas3D::RectangleAtDepth(const TRect& rect, std::int32_t depth) {
  const TPoint corners[4] = {
      {rect.Left, rect.Top}, {rect.Right, rect.Top}, {rect.Right, rect.Bottom}, {rect.Left, rect.Bottom}};
  PlaneAtDepth(corners, depth);
}

void TChartCanvas3D::TextAtDepth(std::int32_t x, std::int32_t y, std::string_view text, std::int32_t depth) {
  const TPoint p = ProjectPoint(x, y, depth);
  WriteText(p.X, p.Y, text);
}

} // namespace curvella
