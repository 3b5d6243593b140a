#pragma once

// The records of an enhanced metafile as Curvella writes them, one plain
// struct per record body, and the writer that lays them out: little-endian,
// each record a 32-bit type and a 32-bit size in bytes (a multiple of 4),
// the header first and the end-of-file record last.
//
//   MoveTo(3, 4)                -> 27, 16, 3, 4                       (EMR_MOVETOEX)
//   LineTo(10, -2)              -> 54, 16, 10, -2                     (EMR_LINETO)
//   Polyline {(0,0), (5,1)}     -> 87, 36, bounds 0,0,5,1, 2, 0,0, 5,1 (EMR_POLYLINE16)
//   Polyline {(0,0), (40000,1)} -> 4, 44, bounds ..., 2, 0,0, 40000,1 (EMR_POLYLINE)
//   Eof()                       -> 14, 20, 0, 16, 20                  (EMR_EOF)
//
// Points go in 16-bit records when every coordinate fits -32768 .. 32767.
// Rectangles of drawing calls keep the device's meaning (right and bottom
// outside); the bounds fields of records are inclusive, as the format has
// them. EmfFault checks a finished metafile's framing.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/GraphicsTypes.h"

namespace curvella::emf {

inline constexpr std::uint32_t EMR_HEADER = 1;
inline constexpr std::uint32_t EMR_POLYGON = 3;
inline constexpr std::uint32_t EMR_POLYLINE = 4;
inline constexpr std::uint32_t EMR_EOF = 14;
inline constexpr std::uint32_t EMR_SETPIXELV = 15;
inline constexpr std::uint32_t EMR_SETBKMODE = 18;
inline constexpr std::uint32_t EMR_SETROP2 = 20;
inline constexpr std::uint32_t EMR_SETTEXTALIGN = 22;
inline constexpr std::uint32_t EMR_SETTEXTCOLOR = 24;
inline constexpr std::uint32_t EMR_SETBKCOLOR = 25;
inline constexpr std::uint32_t EMR_MOVETOEX = 27;
inline constexpr std::uint32_t EMR_INTERSECTCLIPRECT = 30;
inline constexpr std::uint32_t EMR_SELECTOBJECT = 37;
inline constexpr std::uint32_t EMR_CREATEPEN = 38;
inline constexpr std::uint32_t EMR_CREATEBRUSHINDIRECT = 39;
inline constexpr std::uint32_t EMR_DELETEOBJECT = 40;
inline constexpr std::uint32_t EMR_ELLIPSE = 42;
inline constexpr std::uint32_t EMR_RECTANGLE = 43;
inline constexpr std::uint32_t EMR_ROUNDRECT = 44;
inline constexpr std::uint32_t EMR_LINETO = 54;
inline constexpr std::uint32_t EMR_EXTSELECTCLIPRGN = 75;
inline constexpr std::uint32_t EMR_STRETCHDIBITS = 81;
inline constexpr std::uint32_t EMR_EXTCREATEFONTINDIRECTW = 82;
inline constexpr std::uint32_t EMR_EXTTEXTOUTW = 84;
inline constexpr std::uint32_t EMR_POLYGON16 = 86;
inline constexpr std::uint32_t EMR_POLYLINE16 = 87;
inline constexpr std::uint32_t EMR_EXTCREATEPEN = 95;

// The header's size: the base record with both of its extensions.
inline constexpr std::uint32_t kHeaderSize = 108;
inline constexpr std::uint32_t kEofSize = 20;
inline constexpr std::uint32_t kSignature = 0x464D4520; // " EMF"

// Stock objects, selected by these handles without being created.
inline constexpr std::uint32_t NULL_BRUSH = 0x80000005;
inline constexpr std::uint32_t NULL_PEN = 0x80000008;

// Mix modes.
inline constexpr std::uint32_t R2_NOTXORPEN = 10;
inline constexpr std::uint32_t R2_COPYPEN = 13;

// Pen styles; PS_ALTERNATE only in an extended (cosmetic) pen.
inline constexpr std::uint32_t PS_SOLID = 0;
inline constexpr std::uint32_t PS_NULL = 5;
inline constexpr std::uint32_t PS_ALTERNATE = 8;

inline constexpr std::uint32_t BS_SOLID = 0;
inline constexpr std::uint32_t BS_NULL = 1;
inline constexpr std::uint32_t BS_HATCHED = 2;

inline constexpr std::uint32_t RGN_COPY = 5;
inline constexpr std::uint32_t GM_COMPATIBLE = 1;

// A rectangle with all four edges inside, as the format's bounds fields.
struct TRectL {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = -1;
  std::int32_t Bottom = -1;
  friend bool operator==(const TRectL&, const TRectL&) = default;
};

// EMR_HEADER.
struct THeader {
  TRectL Bounds;             // device pixels: what the drawing covers; (0, 0, -1, -1) for nothing
  TRectL Frame;              // 0.01 mm: the picture, (0, 0, MMWidth, MMHeight)
  std::uint32_t Bytes = 0;   // the whole metafile
  std::uint32_t Records = 0; // header and end-of-file record included
  std::uint16_t Handles = 1; // entries of the object table, index 0 included
  TSize Device;              // reference device, pixels
  TSize Millimetres;         // reference device, millimetres
};

// The body of EMR_CREATEPEN.
struct TLogPen {
  std::uint32_t Style = PS_SOLID;
  std::int32_t Width = 1;  // pixels
  std::uint32_t Color = 0; // 0x00BBGGRR
};

// The body of EMR_EXTCREATEPEN, without a brush pattern.
struct TLogPenEx {
  std::uint32_t Style = PS_ALTERNATE;
  std::uint32_t Width = 1; // pixels
  std::uint32_t BrushStyle = BS_SOLID;
  std::uint32_t Color = 0; // 0x00BBGGRR
  std::uint32_t Hatch = 0;
};

// The body of EMR_CREATEBRUSHINDIRECT.
struct TLogBrush {
  std::uint32_t Style = BS_SOLID;
  std::uint32_t Color = 0; // 0x00BBGGRR
  std::uint32_t Hatch = 0; // HS_HORIZONTAL 0 .. HS_DIAGCROSS 5
};

// The body of EMR_EXTCREATEFONTINDIRECTW (a plain LOGFONTW).
struct TLogFont {
  std::int32_t Height = 0; // pixels: negative the character height, positive the cell height
  std::int32_t Width = 0;
  std::int32_t Escapement = 0;  // tenths of a degree
  std::int32_t Orientation = 0; // tenths of a degree
  std::int32_t Weight = 400;    // 400 normal, 700 bold
  std::uint8_t Italic = 0;
  std::uint8_t Underline = 0;
  std::uint8_t StrikeOut = 0;
  std::uint8_t CharSet = 1;
  std::uint8_t OutPrecision = 0;
  std::uint8_t ClipPrecision = 0;
  std::uint8_t Quality = 0;
  std::uint8_t PitchAndFamily = 0;
  std::u16string FaceName; // at most 31 characters are kept
};

// The body of EMR_EXTTEXTOUTW.
struct TTextOut {
  TRectL Bounds;    // device pixels, what the text covers
  TPoint Reference; // the reference point of the alignment
  std::u16string Text;
  std::vector<std::int32_t> Advances; // one per character, pixels
};

// The body of EMR_STRETCHDIBITS for a picture of 32-bit pixels copied 1:1.
struct TPixelCopy {
  TRectL Bounds;
  TPoint Destination;
  TPoint Source;
  TSize Size;
  std::span<const std::uint32_t> Rows; // top row first, 0x00RRGGBB, Size.Width per row
};

class TEmfWriter {
public:
  // Starts with room for the header, which Finish writes.
  TEmfWriter();

  void MoveTo(TPoint p);
  void LineTo(TPoint p);
  // A polyline, or a polygon, in 16-bit points where all fit.
  void Poly(std::span<const TPoint> points, bool closed);
  // Shapes of a device rectangle (right and bottom outside).
  void Rectangle(const TRect& box);
  void Ellipse(const TRect& box);
  void RoundRect(const TRect& box, TSize corner);
  void SetPixelV(TPoint p, std::uint32_t color);
  void TextOut(const TTextOut& text);
  void StretchDIBits(const TPixelCopy& copy);

  void SetTextAlign(std::uint32_t flags);
  void SetTextColor(std::uint32_t color);
  void SetBkColor(std::uint32_t color);
  void SetBkMode(std::uint32_t mode);
  void SetRop2(std::uint32_t mode);
  void IntersectClipRect(const TRect& rect);
  // Makes everything drawable again.
  void RemoveClipping();

  void CreatePen(std::uint32_t index, const TLogPen& pen);
  void ExtCreatePen(std::uint32_t index, const TLogPenEx& pen);
  void CreateBrush(std::uint32_t index, const TLogBrush& brush);
  void CreateFont(std::uint32_t index, const TLogFont& font);
  void SelectObject(std::uint32_t handle);
  void DeleteObject(std::uint32_t index);

  std::uint32_t RecordCount() const { return m_records; }
  // Adds the end-of-file record, writes the header and hands over the bytes.
  std::vector<std::uint8_t> Finish(THeader header);

private:
  std::size_t Begin(std::uint32_t type);
  void End(std::size_t start);
  void Simple(std::uint32_t type, std::uint32_t value);
  void U32(std::uint32_t v);
  void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
  void U16(std::uint16_t v);
  void U8(std::uint8_t v) { m_bytes.push_back(v); }
  void Rect(const TRectL& r);
  void Pad();

  std::vector<std::uint8_t> m_bytes;
  std::uint32_t m_records = 0;
};

// What is wrong with the framing of a metafile's bytes, or nothing: the
// header first with its signature, every record at least 8 bytes, a
// multiple of 4 and inside the file, the counts of the header exact, and
// the end-of-file record last.
std::optional<std::string> EmfFault(std::span<const std::uint8_t> bytes);

// The inclusive bounds of points.
TRectL BoundsOf(std::span<const TPoint> points);

} // namespace curvella::emf
