#include "export/EmfRecords.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace curvella::emf {

static_assert(std::endian::native == std::endian::little, "metafile bytes are written as they lie in memory");

namespace {

bool Fits16(const TPoint& p) {
  constexpr std::int32_t lo = std::numeric_limits<std::int16_t>::min();
  constexpr std::int32_t hi = std::numeric_limits<std::int16_t>::max();
  return p.X >= lo && p.X <= hi && p.Y >= lo && p.Y <= hi;
}

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t at) {
  std::uint32_t v;
  std::memcpy(&v, bytes.data() + at, 4);
  return v;
}

constexpr std::uint32_t kTextRecordHead = 76; // up to the string
constexpr std::uint32_t kPixelCopyHead = 80;  // up to the bitmap header
constexpr std::uint32_t kBitmapHeaderSize = 40;

} // namespace

TRectL BoundsOf(std::span<const TPoint> points) {
  if (points.empty()) return {};
  TRectL r{points[0].X, points[0].Y, points[0].X, points[0].Y};
  for (const TPoint& p : points) {
    r.Left = std::min(r.Left, p.X);
    r.Top = std::min(r.Top, p.Y);
    r.Right = std::max(r.Right, p.X);
    r.Bottom = std::max(r.Bottom, p.Y);
  }
  return r;
}

TEmfWriter::TEmfWriter() {
  m_bytes.reserve(1 << 16);
  m_bytes.resize(kHeaderSize);
  m_records = 1;
}

void TEmfWriter::U32(std::uint32_t v) {
  const std::size_t at = m_bytes.size();
  m_bytes.resize(at + 4);
  std::memcpy(m_bytes.data() + at, &v, 4);
}

void TEmfWriter::U16(std::uint16_t v) {
  const std::size_t at = m_bytes.size();
  m_bytes.resize(at + 2);
  std::memcpy(m_bytes.data() + at, &v, 2);
}

void TEmfWriter::Rect(const TRectL& r) {
  I32(r.Left);
  I32(r.Top);
  I32(r.Right);
  I32(r.Bottom);
}

void TEmfWriter::Pad() {
  while (m_bytes.size() % 4 != 0) m_bytes.push_back(0);
}

std::size_t TEmfWriter::Begin(std::uint32_t type) {
  const std::size_t start = m_bytes.size();
  U32(type);
  U32(0);
  return start;
}

void TEmfWriter::End(std::size_t start) {
  Pad();
  const auto size = static_cast<std::uint32_t>(m_bytes.size() - start);
  std::memcpy(m_bytes.data() + start + 4, &size, 4);
  ++m_records;
}

void TEmfWriter::Simple(std::uint32_t type, std::uint32_t value) {
  const std::size_t start = Begin(type);
  U32(value);
  End(start);
}

void TEmfWriter::MoveTo(TPoint p) {
  const std::size_t start = Begin(EMR_MOVETOEX);
  I32(p.X);
  I32(p.Y);
  End(start);
}

void TEmfWriter::LineTo(TPoint p) {
  const std::size_t start = Begin(EMR_LINETO);
  I32(p.X);
  I32(p.Y);
  End(start);
}

void TEmfWriter::Poly(std::span<const TPoint> points, bool closed) {
  const bool small = std::all_of(points.begin(), points.end(), Fits16);
  const std::uint32_t type =
      small ? (closed ? EMR_POLYGON16 : EMR_POLYLINE16) : (closed ? EMR_POLYGON : EMR_POLYLINE);
  const std::size_t start = Begin(type);
  m_bytes.reserve(m_bytes.size() + 20 + points.size() * (small ? 4 : 8));
  Rect(BoundsOf(points));
  U32(static_cast<std::uint32_t>(points.size()));
  for (const TPoint& p : points) {
    if (small) {
      U16(static_cast<std::uint16_t>(p.X));
      U16(static_cast<std::uint16_t>(p.Y));
    } else {
      I32(p.X);
      I32(p.Y);
    }
  }
  End(start);
}

void TEmfWriter::Rectangle(const TRect& box) {
  const std::size_t start = Begin(EMR_RECTANGLE);
  Rect({box.Left, box.Top, box.Right, box.Bottom});
  End(start);
}

void TEmfWriter::Ellipse(const TRect& box) {
  const std::size_t start = Begin(EMR_ELLIPSE);
  Rect({box.Left, box.Top, box.Right, box.Bottom});
  End(start);
}

void TEmfWriter::RoundRect(const TRect& box, TSize corner) {
  const std::size_t start = Begin(EMR_ROUNDRECT);
  Rect({box.Left, box.Top, box.Right, box.Bottom});
  I32(corner.Width);
  I32(corner.Height);
  End(start);
}

void TEmfWriter::SetPixelV(TPoint p, std::uint32_t color) {
  const std::size_t start = Begin(EMR_SETPIXELV);
  I32(p.X);
  I32(p.Y);
  U32(color);
  End(start);
}

void TEmfWriter::TextOut(const TTextOut& text) {
  const auto count = static_cast<std::uint32_t>(text.Text.size());
  const std::uint32_t stringBytes = (count * 2 + 3) / 4 * 4;
  const std::size_t start = Begin(EMR_EXTTEXTOUTW);
  Rect(text.Bounds);
  U32(GM_COMPATIBLE);
  U32(0); // x scale, unused in the compatible mode
  U32(0); // y scale
  I32(text.Reference.X);
  I32(text.Reference.Y);
  U32(count);
  U32(kTextRecordHead);
  U32(0); // no options: the background follows the background mode
  Rect({});
  U32(kTextRecordHead + stringBytes);
  for (char16_t c : text.Text) U16(c);
  Pad();
  for (std::uint32_t i = 0; i < count; ++i) I32(i < text.Advances.size() ? text.Advances[i] : 0);
  End(start);
}

void TEmfWriter::StretchDIBits(const TPixelCopy& copy) {
  const auto w = static_cast<std::uint32_t>(std::max(0, copy.Size.Width));
  const auto h = static_cast<std::uint32_t>(std::max(0, copy.Size.Height));
  const std::size_t start = Begin(EMR_STRETCHDIBITS);
  Rect(copy.Bounds);
  I32(copy.Destination.X);
  I32(copy.Destination.Y);
  I32(copy.Source.X);
  I32(copy.Source.Y);
  U32(w);
  U32(h);
  U32(kPixelCopyHead);
  U32(kBitmapHeaderSize);
  U32(kPixelCopyHead + kBitmapHeaderSize);
  U32(w * h * 4);
  U32(0);          // colours as RGB values
  U32(0x00CC0020); // SRCCOPY
  U32(w);
  U32(h);
  // The bitmap header: rows bottom row first, 32 bits, uncompressed.
  U32(kBitmapHeaderSize);
  U32(w);
  U32(h);
  U16(1);
  U16(32);
  U32(0);
  U32(w * h * 4);
  U32(0);
  U32(0);
  U32(0);
  U32(0);
  for (std::uint32_t row = h; row-- > 0;) {
    for (std::uint32_t x = 0; x < w; ++x) U32(copy.Rows[row * w + x] & 0xFFFFFF);
  }
  End(start);
}

void TEmfWriter::SetTextAlign(std::uint32_t flags) { Simple(EMR_SETTEXTALIGN, flags); }
void TEmfWriter::SetTextColor(std::uint32_t color) { Simple(EMR_SETTEXTCOLOR, color); }
void TEmfWriter::SetBkColor(std::uint32_t color) { Simple(EMR_SETBKCOLOR, color); }
void TEmfWriter::SetBkMode(std::uint32_t mode) { Simple(EMR_SETBKMODE, mode); }
void TEmfWriter::SetRop2(std::uint32_t mode) { Simple(EMR_SETROP2, mode); }
void TEmfWriter::SelectObject(std::uint32_t handle) { Simple(EMR_SELECTOBJECT, handle); }
void TEmfWriter::DeleteObject(std::uint32_t index) { Simple(EMR_DELETEOBJECT, index); }

void TEmfWriter::IntersectClipRect(const TRect& rect) {
  const std::size_t start = Begin(EMR_INTERSECTCLIPRECT);
  Rect({rect.Left, rect.Top, rect.Right, rect.Bottom});
  End(start);
}

void TEmfWriter::RemoveClipping() {
  const std::size_t start = Begin(EMR_EXTSELECTCLIPRGN);
  U32(0); // no region: the clip is removed
  U32(RGN_COPY);
  End(start);
}

void TEmfWriter::CreatePen(std::uint32_t index, const TLogPen& pen) {
  const std::size_t start = Begin(EMR_CREATEPEN);
  U32(index);
  U32(pen.Style);
  I32(pen.Width);
  I32(0);
  U32(pen.Color);
  End(start);
}

void TEmfWriter::ExtCreatePen(std::uint32_t index, const TLogPenEx& pen) {
  const std::size_t start = Begin(EMR_EXTCREATEPEN);
  U32(index);
  U32(0); // no brush pattern
  U32(0);
  U32(0);
  U32(0);
  U32(pen.Style);
  U32(pen.Width);
  U32(pen.BrushStyle);
  U32(pen.Color);
  U32(pen.Hatch);
  U32(0); // no dash entries
  End(start);
}

void TEmfWriter::CreateBrush(std::uint32_t index, const TLogBrush& brush) {
  const std::size_t start = Begin(EMR_CREATEBRUSHINDIRECT);
  U32(index);
  U32(brush.Style);
  U32(brush.Color);
  U32(brush.Hatch);
  End(start);
}

void TEmfWriter::CreateFont(std::uint32_t index, const TLogFont& font) {
  const std::size_t start = Begin(EMR_EXTCREATEFONTINDIRECTW);
  U32(index);
  I32(font.Height);
  I32(font.Width);
  I32(font.Escapement);
  I32(font.Orientation);
  I32(font.Weight);
  for (std::uint8_t b : {font.Italic, font.Underline, font.StrikeOut, font.CharSet, font.OutPrecision,
                         font.ClipPrecision, font.Quality, font.PitchAndFamily}) {
    U8(b);
  }
  // 32 UTF-16 units, the last always 0.
  for (std::size_t i = 0; i < 32; ++i) U16(i < 31 && i < font.FaceName.size() ? font.FaceName[i] : 0);
  End(start);
}

std::vector<std::uint8_t> TEmfWriter::Finish(THeader header) {
  const std::size_t eof = Begin(EMR_EOF);
  U32(0);  // no palette entries
  U32(16); // where they would begin
  U32(kEofSize);
  End(eof);

  header.Bytes = static_cast<std::uint32_t>(m_bytes.size());
  header.Records = m_records;
  std::vector<std::uint8_t> body = std::move(m_bytes);
  m_bytes.clear();
  U32(EMR_HEADER);
  U32(kHeaderSize);
  Rect(header.Bounds);
  Rect(header.Frame);
  U32(kSignature);
  U32(0x10000);
  U32(header.Bytes);
  U32(header.Records);
  U16(header.Handles);
  U16(0);
  U32(0); // no description
  U32(0);
  U32(0); // no palette
  I32(header.Device.Width);
  I32(header.Device.Height);
  I32(header.Millimetres.Width);
  I32(header.Millimetres.Height);
  U32(0); // no pixel format
  U32(0);
  U32(0); // no OpenGL records
  I32(header.Millimetres.Width * 1000);
  I32(header.Millimetres.Height * 1000);
  std::memcpy(body.data(), m_bytes.data(), kHeaderSize);
  m_bytes.clear();
  m_records = 0;
  return body;
}

std::optional<std::string> EmfFault(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 88) return "shorter than a header";
  if (ReadU32(bytes, 0) != EMR_HEADER) return "the first record is not the header";
  if (ReadU32(bytes, 40) != kSignature) return "no signature";
  const std::uint32_t declaredBytes = ReadU32(bytes, 48);
  const std::uint32_t declaredRecords = ReadU32(bytes, 52);
  if (declaredBytes != bytes.size()) return "the header's byte count is not the file's size";
  std::size_t at = 0;
  std::uint32_t records = 0;
  std::uint32_t lastType = 0;
  while (at < bytes.size()) {
    if (bytes.size() - at < 8) return "a record runs past the end";
    lastType = ReadU32(bytes, at);
    const std::uint32_t size = ReadU32(bytes, at + 4);
    if (size < 8 || size % 4 != 0) return "a record's size is not a multiple of 4";
    if (size > bytes.size() - at) return "a record runs past the end";
    at += size;
    ++records;
  }
  if (records != declaredRecords) return "the header's record count is wrong";
  if (lastType != EMR_EOF) return "the last record is not the end-of-file record";
  return std::nullopt;
}

} // namespace curvella::emf
