#include "chart/ChartPanel.h"

#include <algorithm>

#include "chart/ChartMessages.h"
#include "export/Png.h"
#include "export/SvgDevice.h"
#include "platform/Files.h"

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

void TCustomChartPanel::SetChart3DPercent(std::int32_t percent) {
  if (percent < 1 || percent > 100) {
    throw ChartException(FormatMessage("3D effect percent must be between %d and %d", {"1", "100"}));
  }
  SetAndInvalidate(m_chart3DPercent, percent);
}

void TCustomChartPanel::Paint() {
  const TRect client = ClientDrawRect();
  if (m_windowImage.width() != client.Width() || m_windowImage.height() != client.Height()) {
    m_windowImage =
        client.IsEmpty() ? QImage() : QImage(client.Width(), client.Height(), QImage::Format_RGB32);
    m_windowDevice.Bind(m_windowImage.isNull() ? nullptr : &m_windowImage);
    m_canvas.MarkStale();
  }
  if (!m_canvas.RepaintFromBuffer()) DrawToCanvas(m_windowCanvas, client);
  PaintOverlay(m_windowCanvas);
}

bool TCustomChartPanel::NeedsDrawingPass() const {
  const TRect client = ClientDrawRect();
  return m_canvas.Stale() || !m_canvas.OffscreenBitmap() || m_windowImage.width() != client.Width() ||
         m_windowImage.height() != client.Height();
}

void TCustomChartPanel::DrawToCanvas(TCanvas& canvas, const TRect& rect) {
  m_panelRect = m_canvas.PrepareSurface(canvas, &m_view3DOptions, rect, m_view3D);
  const std::int32_t w = m_panelRect.Width();
  const std::int32_t h = m_panelRect.Height();
  const std::int32_t b = m_borderWidth;
  m_plotRect = {m_panelRect.Left + b + MulDiv(m_marginLeft, w, 100),
                m_panelRect.Top + b + MulDiv(m_marginTop, h, 100),
                m_panelRect.Right - b - MulDiv(m_marginRight, w, 100),
                m_panelRect.Bottom - b - MulDiv(m_marginBottom, h, 100)};
  RecalcPlotSize();
  // Should the pass fail, the canvas must not stay on a surface the caller
  // is about to free (an export's), nor keep a half-drawn picture.
  struct TBackToWindow {
    TChartCanvas3D& Canvas;
    TCanvas& Window;
    bool Done = false;
    ~TBackToWindow() {
      if (Done) return;
      Canvas.SetReferenceCanvas(&Window);
      Canvas.MarkStale();
    }
  } backToWindow{m_canvas, m_windowCanvas};
  RenderChart(m_panelRect);
  m_canvas.PresentImage(canvas, m_windowCanvas, rect);
  backToWindow.Done = true;
}

void TCustomChartPanel::LayOut() {
  // A device without an image draws nothing and measures text as any other.
  TRasterDeviceContext nowhere;
  TCanvas canvas(&nowhere);
  struct TRestore {
    TChartCanvas3D& Canvas;
    bool Buffered;
    ~TRestore() { Canvas.SetOffscreenBuffer(Buffered); }
  } restore{m_canvas, m_canvas.OffscreenBuffer()};
  m_canvas.SetOffscreenBuffer(false);
  DrawToCanvas(canvas, ClientDrawRect());
}

void TCustomChartPanel::RenderChart(const TRect& panelRect) { PaintPanel(panelRect); }

void TCustomChartPanel::PaintPanel(const TRect& rect) {
  FillBackground(rect);
  DrawPanelFrame(rect);
}

void TCustomChartPanel::FillBackground(const TRect& rect) {
  m_canvas.Brush().SetColor(m_color);
  m_canvas.Brush().SetStyle(TBrushStyle::bsSolid);
  m_canvas.FillRectangle(rect);
}

void TCustomChartPanel::DrawPanelFrame(const TRect& rect) {
  TPen& pen = m_canvas.Pen();
  pen.SetStyle(TPenStyle::psSolid);
  pen.SetWidth(1);
  pen.SetMode(TPenMode::pmCopy);
  m_canvas.Brush().SetStyle(TBrushStyle::bsClear);
  TRect r = rect;
  const auto bevel = [&](TBevelCut cut) {
    if (cut == TBevelCut::bvNone) return;
    m_canvas.BevelFrame(r, cut == TBevelCut::bvLowered ? clBtnShadow : clBtnHighlight, m_bevelWidth,
                        cut == TBevelCut::bvRaised ? clBtnShadow : clBtnHighlight);
    r = {r.Left + m_bevelWidth, r.Top + m_bevelWidth, r.Right - m_bevelWidth, r.Bottom - m_bevelWidth};
  };
  bevel(m_bevelOuter);
  if (m_borderWidth > 0) {
    m_canvas.BevelFrame(r, m_color, m_borderWidth, m_color);
    r = {r.Left + m_borderWidth, r.Top + m_borderWidth, r.Right - m_borderWidth, r.Bottom - m_borderWidth};
  }
  bevel(m_bevelInner);
}

std::unique_ptr<TBitmap> TCustomChartPanel::MakeChartBitmap(TColor backColor, const TRect& rect) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetWidth(rect.Width());
  bitmap->SetHeight(rect.Height());
  if (backColor != clWhite) {
    bitmap->Canvas().Brush().SetColor(backColor);
    bitmap->Canvas().FillRect(rect);
  }
  // The pass draws straight into the bitmap; the cached picture is dropped,
  // so the window redraws in full at its next paint. The switch comes back
  // also when drawing fails.
  const bool buffered = m_canvas.OffscreenBuffer();
  m_canvas.SetOffscreenBuffer(false);
  struct TRestore {
    TChartCanvas3D& Canvas;
    bool Buffered;
    ~TRestore() { Canvas.SetOffscreenBuffer(Buffered); }
  } restore{m_canvas, buffered};
  DrawToCanvas(bitmap->Canvas(), rect);
  return bitmap;
}

void TCustomChartPanel::WriteBitmapFile(const std::string& path) {
  const std::unique_ptr<TBitmap> bitmap = MakeChartBitmap(clWhite, ClientDrawRect());
  bitmap->SaveToFile(path);
}

void TCustomChartPanel::WritePngFile(const std::string& path) {
  const std::unique_ptr<TBitmap> bitmap = MakeChartBitmap(clWhite, ClientDrawRect());
  SavePngFile(*bitmap, path);
}

std::unique_ptr<TMetafile> TCustomChartPanel::MakeChartMetafile(bool enhanced, const TRect& rect) {
  auto metafile = std::make_unique<TMetafile>();
  // One pixel less than the picture each way: 989 x 565 records 988 x 564.
  metafile->SetWidth(std::max(1, rect.Right - rect.Left - 1));
  metafile->SetHeight(std::max(1, rect.Bottom - rect.Top - 1));
  metafile->SetUseEnhancedFormat(enhanced);
  TMetafileCanvas canvas(*metafile);
  DrawIntoMetafile(canvas, rect);
  canvas.Close();
  return metafile;
}

void TCustomChartPanel::DrawIntoMetafile(TCanvas& canvas, const TRect& rect) {
  struct TRestore {
    TChartCanvas3D& Canvas;
    bool Buffered;
    ~TRestore() {
      Canvas.SetOffscreenBuffer(Buffered);
      Canvas.SetMetafiling(false);
    }
  } restore{m_canvas, m_canvas.OffscreenBuffer()};
  m_canvas.SetMetafiling(true);
  m_canvas.SetOffscreenBuffer(false);
  DrawToCanvas(canvas, rect);
}

void TCustomChartPanel::WriteMetafile(bool enhanced, const std::string& path, const TRect& rect) {
  const std::unique_ptr<TMetafile> metafile = MakeChartMetafile(enhanced, rect);
  metafile->SaveToFile(path);
}

void TCustomChartPanel::WriteMetafileFile(const std::string& path) {
  WriteMetafile(true, path, ClientDrawRect());
}

std::string TCustomChartPanel::ChartSvg() {
  const TRect rect = ClientDrawRect();
  TSvgCanvas canvas({std::max(1, rect.Width()), std::max(1, rect.Height())});
  DrawIntoMetafile(canvas, rect);
  return canvas.Close();
}

void TCustomChartPanel::WriteSvgFile(const std::string& path) { SavePictureFile(path, ChartSvg()); }

TCustomChartPanelExtended::TCustomChartPanelExtended() { m_gradient.SetOnChange(PartChangedHandler()); }

void TCustomChartPanelExtended::FillBackground(const TRect& rect) {
  if (!m_gradient.Visible()) return TCustomChartPanel::FillBackground(rect);
  // One band per row (or column) between the two colours.
  using TDirection = TChartGradient::TDirection;
  const bool vertical =
      m_gradient.Direction() == TDirection::gdTopBottom || m_gradient.Direction() == TDirection::gdBottomTop;
  const bool reversed =
      m_gradient.Direction() == TDirection::gdBottomTop || m_gradient.Direction() == TDirection::gdRightLeft;
  const std::uint32_t from = ColorToRGB(reversed ? m_gradient.EndColor() : m_gradient.StartColor());
  const std::uint32_t to = ColorToRGB(reversed ? m_gradient.StartColor() : m_gradient.EndColor());
  const std::int32_t bands = std::max(1, vertical ? rect.Height() : rect.Width());
  TBrush& brush = Canvas().Brush();
  brush.SetStyle(TBrushStyle::bsSolid);
  for (std::int32_t i = 0; i < bands; ++i) {
    const auto mix = [&](int shift) {
      const int a = (from >> shift) & 0xFF;
      const int b = (to >> shift) & 0xFF;
      return static_cast<TColor>((a + (b - a) * i / bands) << shift);
    };
    brush.SetColor(mix(0) | mix(8) | mix(16));
    Canvas().FillRectangle(vertical ? TRect{rect.Left, rect.Top + i, rect.Right, rect.Top + i + 1}
                                    : TRect{rect.Left + i, rect.Top, rect.Left + i + 1, rect.Bottom});
  }
}

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
