#include "export/Metafile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numbers>

#include <QTextLayout>

#include "platform/Files.h"
#include "platform/Fonts.h"
#include "platform/RasterDevice.h"

namespace curvella {

namespace {

std::uint32_t PenStyleCode(TPenStyle style) {
  switch (style) {
  case TPenStyle::psSolid:
    return 0;
  case TPenStyle::psDash:
    return 1;
  case TPenStyle::psDot:
    return 2;
  case TPenStyle::psDashDot:
    return 3;
  case TPenStyle::psDashDotDot:
    return 4;
  case TPenStyle::psClear:
    return emf::PS_NULL;
  case TPenStyle::psInsideFrame:
    return 6;
  case TPenStyle::psAlternate:
    return emf::PS_ALTERNATE;
  }
  return 0;
}

emf::TLogBrush LogBrushOf(const TBrushSpec& brush) {
  switch (brush.Style) {
  case TBrushStyle::bsSolid:
    return {emf::BS_SOLID, brush.Color, 0};
  case TBrushStyle::bsClear:
    return {emf::BS_NULL, brush.Color, 0};
  case TBrushStyle::bsHorizontal:
    return {emf::BS_HATCHED, brush.Color, 0};
  case TBrushStyle::bsVertical:
    return {emf::BS_HATCHED, brush.Color, 1};
  case TBrushStyle::bsFDiagonal:
    return {emf::BS_HATCHED, brush.Color, 2};
  case TBrushStyle::bsBDiagonal:
    return {emf::BS_HATCHED, brush.Color, 3};
  case TBrushStyle::bsCross:
    return {emf::BS_HATCHED, brush.Color, 4};
  case TBrushStyle::bsDiagCross:
    return {emf::BS_HATCHED, brush.Color, 5};
  }
  return {};
}

emf::TLogFont LogFontOf(const TFontSpec& font) {
  emf::TLogFont log;
  log.Height = font.Height;
  log.Escapement = log.Orientation = font.Escapement;
  log.Weight = font.Style.Bold ? 700 : 400;
  log.Italic = font.Style.Italic;
  log.Underline = font.Style.Underline;
  log.StrikeOut = font.Style.StrikeOut;
  log.CharSet = font.CharSet;
  log.FaceName = FromWindows1252(font.Name).toStdU16String();
  return log;
}

// A device rectangle (right and bottom outside) as inclusive bounds.
emf::TRectL Inclusive(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
  return {std::min(left, right), std::min(top, bottom), std::max(left, right) - 1, std::max(top, bottom) - 1};
}

// The header's frame size field in 0.01 mm, at offset 24 of the header.
emf::TRectL FrameOf(const std::vector<std::uint8_t>& bytes) {
  emf::TRectL frame;
  std::memcpy(&frame.Left, bytes.data() + 24, 4);
  std::memcpy(&frame.Top, bytes.data() + 28, 4);
  std::memcpy(&frame.Right, bytes.data() + 32, 4);
  std::memcpy(&frame.Bottom, bytes.data() + 36, 4);
  return frame;
}

std::int32_t FrameLength(std::int32_t pixels, std::int32_t millimetres, std::int32_t resolution) {
  return pixels == 0 ? millimetres * 100 : MulDiv(pixels, millimetres * 100, resolution);
}

} // namespace

TEmfDeviceContext::TEmfDeviceContext(TSize size, const TScreenSize& reference)
    : m_size(size), m_reference(reference) {}

emf::TRectL TEmfDeviceContext::Frame() const {
  return {0, 0, FrameLength(m_size.Width, m_reference.Millimetres.Width, m_reference.Pixels.Width),
          FrameLength(m_size.Height, m_reference.Millimetres.Height, m_reference.Pixels.Height)};
}

std::uint32_t TEmfDeviceContext::NewIndex() {
  const auto free = std::find(m_usedIndices.begin() + 1, m_usedIndices.end(), false);
  if (free != m_usedIndices.end()) {
    *free = true;
    return static_cast<std::uint32_t>(free - m_usedIndices.begin());
  }
  m_usedIndices.push_back(true);
  return static_cast<std::uint32_t>(m_usedIndices.size() - 1);
}

void TEmfDeviceContext::FreeIndex(std::uint32_t index) { m_usedIndices[index] = false; }

void TEmfDeviceContext::RealizeMix(TPenMode mode) {
  const std::uint32_t mix = mode == TPenMode::pmNotXor ? emf::R2_NOTXORPEN : emf::R2_COPYPEN;
  if (mix == m_recordedMix) return;
  m_writer.SetRop2(mix);
  m_recordedMix = mix;
}

template <class TDescription, class TCreate>
void TEmfDeviceContext::Realize(TObject<TDescription>& object, const TDescription& wanted,
                                std::uint32_t* selected, TCreate create) {
  if (!object.Description || *object.Description != wanted) {
    // The new object is selected before its predecessor is deleted.
    const std::uint32_t index = NewIndex();
    create(index);
    m_writer.SelectObject(index);
    if (object.Description) {
      m_writer.DeleteObject(object.Index);
      FreeIndex(object.Index);
    }
    object = {wanted, index};
  } else if (!selected || *selected == object.Index) {
    return;
  } else {
    m_writer.SelectObject(object.Index);
  }
  if (selected) *selected = object.Index;
}

void TEmfDeviceContext::RealizePen() {
  TPenSpec key = m_pen;
  key.Mode = TPenMode::pmCopy; // the mix is the device's, recorded apart
  Realize(m_penObject, key, &m_selectedPen, [&](std::uint32_t index) {
    if (key.Style == TPenStyle::psAlternate)
      m_writer.ExtCreatePen(index, {emf::PS_ALTERNATE, 1, emf::BS_SOLID, key.Color, 0});
    else
      m_writer.CreatePen(index, {PenStyleCode(key.Style), key.Width, key.Color});
  });
  RealizeMix(m_pen.Mode);
}

void TEmfDeviceContext::RealizeBrush() {
  Realize(m_brushObject, m_brush, &m_selectedBrush,
          [&](std::uint32_t index) { m_writer.CreateBrush(index, LogBrushOf(m_brush)); });
}

void TEmfDeviceContext::RealizeFont() {
  // Nothing selects another font in its place.
  Realize(m_fontObject, m_font, nullptr,
          [&](std::uint32_t index) { m_writer.CreateFont(index, LogFontOf(m_font)); });
}

void TEmfDeviceContext::Cover(emf::TRectL box) {
  if (m_clip) {
    box.Left = std::max(box.Left, m_clip->Left);
    box.Top = std::max(box.Top, m_clip->Top);
    box.Right = std::min(box.Right, m_clip->Right - 1);
    box.Bottom = std::min(box.Bottom, m_clip->Bottom - 1);
  }
  if (box.Right < box.Left || box.Bottom < box.Top) return;
  if (!m_drewAnything) {
    m_bounds = box;
    m_drewAnything = true;
    return;
  }
  m_bounds.Left = std::min(m_bounds.Left, box.Left);
  m_bounds.Top = std::min(m_bounds.Top, box.Top);
  m_bounds.Right = std::max(m_bounds.Right, box.Right);
  m_bounds.Bottom = std::max(m_bounds.Bottom, box.Bottom);
}

void TEmfDeviceContext::SetBackgroundColor(std::uint32_t rgb) {
  rgb &= 0xFFFFFF;
  if (!Recording() || rgb == m_backgroundColor) return;
  m_backgroundColor = rgb;
  m_writer.SetBkColor(rgb);
}

void TEmfDeviceContext::SetBackgroundMode(int mode) {
  if (!Recording() || mode == m_backgroundMode) return;
  m_backgroundMode = mode;
  m_writer.SetBkMode(static_cast<std::uint32_t>(mode));
}

void TEmfDeviceContext::SetTextAlign(unsigned flags) {
  if (!Recording() || flags == m_textAlign) return;
  m_textAlign = flags;
  m_writer.SetTextAlign(flags);
}

void TEmfDeviceContext::SetTextColor(std::uint32_t rgb) {
  rgb &= 0xFFFFFF;
  if (!Recording() || rgb == m_textColor) return;
  m_textColor = rgb;
  m_writer.SetTextColor(rgb);
}

void TEmfDeviceContext::MoveTo(std::int32_t x, std::int32_t y) {
  if (!Recording()) return;
  // The pen of the figure this point starts is made before it: readers
  // that build paths start a new one at an object record, without its
  // start point.
  RealizePen();
  m_writer.MoveTo({x, y});
  m_position = {x, y};
  m_figureRecords = m_writer.RecordCount();
}

void TEmfDeviceContext::LineTo(std::int32_t x, std::int32_t y) {
  if (!Recording()) return;
  RealizePen();
  // Something was recorded since the figure's last point (a changed pen, a
  // mode): the line starts again from its start point.
  if (m_writer.RecordCount() != m_figureRecords) m_writer.MoveTo(m_position);
  m_writer.LineTo({x, y});
  m_figureRecords = m_writer.RecordCount();
  const TPoint ends[] = {m_position, {x, y}};
  if (m_pen.Style != TPenStyle::psClear) Cover(emf::BoundsOf(ends));
  m_position = {x, y};
}

void TEmfDeviceContext::Polyline(std::span<const TPoint> points) {
  if (!Recording() || points.empty()) return;
  RealizePen();
  m_writer.Poly(points, false);
  if (m_pen.Style != TPenStyle::psClear) Cover(emf::BoundsOf(points));
}

void TEmfDeviceContext::Polygon(std::span<const TPoint> points) {
  if (!Recording() || points.empty()) return;
  RealizePen();
  RealizeBrush();
  m_writer.Poly(points, true);
  Cover(emf::BoundsOf(points));
}

void TEmfDeviceContext::Rectangle(std::int32_t left, std::int32_t top, std::int32_t right,
                                  std::int32_t bottom) {
  if (!Recording()) return;
  RealizePen();
  RealizeBrush();
  m_writer.Rectangle({left, top, right, bottom});
  Cover(Inclusive(left, top, right, bottom));
}

void TEmfDeviceContext::FillRect(const TRect& rect) {
  if (!Recording() || rect.IsEmpty()) return;
  RealizeBrush();
  // A rectangle without outline fills one column and row short of its
  // right and bottom edges: those are taken one further.
  if (m_selectedPen != emf::NULL_PEN) {
    m_writer.SelectObject(emf::NULL_PEN);
    m_selectedPen = emf::NULL_PEN;
  }
  RealizeMix(TPenMode::pmCopy);
  m_writer.Rectangle({rect.Left, rect.Top, rect.Right + 1, rect.Bottom + 1});
  Cover(Inclusive(rect.Left, rect.Top, rect.Right, rect.Bottom));
}

void TEmfDeviceContext::Ellipse(std::int32_t left, std::int32_t top, std::int32_t right,
                                std::int32_t bottom) {
  if (!Recording()) return;
  RealizePen();
  RealizeBrush();
  m_writer.Ellipse({left, top, right, bottom});
  Cover(Inclusive(left, top, right, bottom));
}

void TEmfDeviceContext::RoundRect(std::int32_t left, std::int32_t top, std::int32_t right,
                                  std::int32_t bottom, std::int32_t cornerWidth, std::int32_t cornerHeight) {
  if (!Recording()) return;
  RealizePen();
  RealizeBrush();
  m_writer.RoundRect({left, top, right, bottom}, {cornerWidth, cornerHeight});
  Cover(Inclusive(left, top, right, bottom));
}

void TEmfDeviceContext::SetPixel(std::int32_t x, std::int32_t y, std::uint32_t rgb) {
  if (!Recording()) return;
  m_writer.SetPixelV({x, y}, rgb & 0xFFFFFF);
  Cover({x, y, x, y});
}

TSize TEmfDeviceContext::TextExtent(std::string_view text) const {
  return curvella::TextExtent(m_font, text);
}

void TEmfDeviceContext::TextOut(std::int32_t x, std::int32_t y, std::string_view text) {
  if (!Recording()) return;
  RealizeFont();
  emf::TTextOut record;
  record.Reference = {x, y};
  const QString unicode = FromWindows1252(text);
  record.Text = unicode.toStdU16String();
  // Each character's advance from its place in the laid-out text (kerning
  // with its neighbour included), the last one closing the width measured.
  const TSize extent = TextExtent(text);
  QTextLayout layout(unicode, ResolveFont(m_font));
  layout.beginLayout();
  const QTextLine line = layout.createLine();
  layout.endLayout();
  std::int32_t before = 0;
  record.Advances.reserve(static_cast<std::size_t>(unicode.size()));
  for (qsizetype i = 1; i <= unicode.size(); ++i) {
    const auto upTo = i == unicode.size()
                          ? extent.Width
                          : static_cast<std::int32_t>(std::lround(line.cursorToX(static_cast<int>(i))));
    record.Advances.push_back(upTo - before);
    before = upTo;
  }
  const TFontMetricsInfo info = FontMetrics(m_font);
  std::int32_t left = x;
  if ((m_textAlign & TA_CENTER) == TA_CENTER)
    left -= extent.Width / 2;
  else if (m_textAlign & TA_RIGHT)
    left -= extent.Width;
  std::int32_t top = y;
  if ((m_textAlign & TA_BASELINE) == TA_BASELINE)
    top -= info.Ascent;
  else if (m_textAlign & TA_BOTTOM)
    top -= extent.Height;
  record.Bounds = Inclusive(left, top, left + extent.Width, top + extent.Height);
  if (m_font.Escapement % 3600 != 0) {
    // The text turns counter-clockwise about its reference point: the box
    // of the turned corners.
    const double angle = m_font.Escapement * std::numbers::pi / 1800.0;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    std::array<TPoint, 4> corners{TPoint{left, top}, TPoint{left + extent.Width, top},
                                  TPoint{left, top + extent.Height},
                                  TPoint{left + extent.Width, top + extent.Height}};
    for (TPoint& corner : corners) {
      const double dx = corner.X - x;
      const double dy = corner.Y - y;
      corner = {x + static_cast<std::int32_t>(std::lround(dx * c + dy * s)),
                y + static_cast<std::int32_t>(std::lround(dy * c - dx * s))};
    }
    const emf::TRectL turned = emf::BoundsOf(corners);
    record.Bounds = {turned.Left, turned.Top, turned.Right - 1, turned.Bottom - 1};
  }
  m_writer.TextOut(record);
  if (!text.empty()) Cover(record.Bounds);
}

void TEmfDeviceContext::IntersectClipRect(const TRect& rect) {
  if (!Recording()) return;
  m_clip = m_clip ? Intersect(*m_clip, rect) : rect;
  m_writer.IntersectClipRect(rect);
}

void TEmfDeviceContext::RemoveClipping() {
  if (!Recording()) return;
  m_clip.reset();
  m_writer.RemoveClipping();
}

void TEmfDeviceContext::BitBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                               const TRasterDeviceContext& source, std::int32_t sx, std::int32_t sy) {
  if (!Recording() || w <= 0 || h <= 0) return;
  std::vector<std::uint32_t> rows(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  for (std::int32_t row = 0; row < h; ++row) {
    for (std::int32_t column = 0; column < w; ++column) {
      const std::uint32_t rgb = source.Pixel(sx + column, sy + row); // 0x00BBGGRR
      rows[static_cast<std::size_t>(row) * static_cast<std::size_t>(w) + static_cast<std::size_t>(column)] =
          (rgb & 0xFF) << 16 | (rgb & 0xFF00) | (rgb >> 16 & 0xFF);
    }
  }
  const emf::TRectL bounds = Inclusive(x, y, x + w, y + h);
  m_writer.StretchDIBits({bounds, {x, y}, {0, 0}, {w, h}, rows});
  Cover(bounds);
}

std::vector<std::uint8_t> TEmfDeviceContext::Close() {
  if (m_closed) return {};
  m_closed = true;
  emf::THeader header;
  if (m_drewAnything) header.Bounds = m_bounds;
  header.Frame = Frame();
  header.Handles = static_cast<std::uint16_t>(m_usedIndices.size());
  header.Device = m_reference.Pixels;
  header.Millimetres = m_reference.Millimetres;
  return m_writer.Finish(header);
}

void TMetafile::SetWidth(std::int32_t pixels) {
  m_pixelSize.Width = pixels;
  m_width = 0;
}

void TMetafile::SetHeight(std::int32_t pixels) {
  m_pixelSize.Height = pixels;
  m_height = 0;
}

TSize TMetafile::FrameSize(const TScreenSize& reference) const {
  return {FrameLength(m_pixelSize.Width, reference.Millimetres.Width, reference.Pixels.Width),
          FrameLength(m_pixelSize.Height, reference.Millimetres.Height, reference.Pixels.Height)};
}

void TMetafile::Assign(std::vector<std::uint8_t> bytes) {
  if (emf::EmfFault(bytes)) throw EInvalidGraphic("Metafile is not valid");
  const emf::TRectL frame = FrameOf(bytes);
  m_bytes = std::move(bytes);
  m_pixelSize = {};
  m_width = frame.Right - frame.Left;
  m_height = frame.Bottom - frame.Top;
}

void TMetafile::SaveToFile(const std::string& path) const {
  // Only the enhanced format is written; nothing asks for the older one.
  if (!m_enhanced) throw EInvalidGraphic("Metafile is not valid");
  SavePictureFile(path, std::string_view(reinterpret_cast<const char*>(m_bytes.data()), m_bytes.size()));
}

TMetafileCanvas::TMetafileCanvas(TMetafile& metafile)
    : TCanvas(nullptr), m_metafile(metafile),
      m_recorder(std::make_unique<TEmfDeviceContext>(metafile.PixelSize(), ScreenSize())) {
  SetDevice(m_recorder.get());
}

TMetafileCanvas::~TMetafileCanvas() {
  if (m_recorder->Closed()) return;
  // Drawing failed: the recording still ends and is handed over.
  std::vector<std::uint8_t> bytes = m_recorder->Close();
  if (!emf::EmfFault(bytes)) m_metafile.Assign(std::move(bytes));
}

void TMetafileCanvas::Close() {
  if (m_recorder->Closed()) return;
  m_metafile.Assign(m_recorder->Close());
}

} // namespace curvella
