#include "platform/RasterDevice.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include <QGlyphRun>
#include <QPainter>

#include "platform/Fonts.h"

namespace curvella {

namespace {

// Runs of pixels on and off, starting with on.
std::span<const int> PatternOf(TPenStyle style) {
  static constexpr std::array<int, 2> dash = {18, 6};
  static constexpr std::array<int, 2> dot = {3, 3};
  static constexpr std::array<int, 4> dashDot = {9, 6, 3, 6};
  static constexpr std::array<int, 6> dashDotDot = {9, 3, 3, 3, 3, 3};
  static constexpr std::array<int, 2> alternate = {1, 1};
  switch (style) {
  case TPenStyle::psDash:
    return dash;
  case TPenStyle::psDot:
    return dot;
  case TPenStyle::psDashDot:
    return dashDot;
  case TPenStyle::psDashDotDot:
    return dashDotDot;
  case TPenStyle::psAlternate:
    return alternate;
  default:
    return {};
  }
}

// The 8 x 8 hatches, aligned to the surface's origin.
bool HatchAt(TBrushStyle style, std::int32_t x, std::int32_t y) {
  const bool horizontal = (y & 7) == 0;
  const bool vertical = (x & 7) == 0;
  const bool forward = ((x - y) & 7) == 0;
  const bool backward = ((x + y) & 7) == 7;
  switch (style) {
  case TBrushStyle::bsHorizontal:
    return horizontal;
  case TBrushStyle::bsVertical:
    return vertical;
  case TBrushStyle::bsFDiagonal:
    return forward;
  case TBrushStyle::bsBDiagonal:
    return backward;
  case TBrushStyle::bsCross:
    return horizontal || vertical;
  case TBrushStyle::bsDiagCross:
    return forward || backward;
  default:
    return true;
  }
}

Qt::BrushStyle QtBrushStyle(TBrushStyle style) {
  switch (style) {
  case TBrushStyle::bsSolid:
    return Qt::SolidPattern;
  case TBrushStyle::bsClear:
    return Qt::NoBrush;
  case TBrushStyle::bsHorizontal:
    return Qt::HorPattern;
  case TBrushStyle::bsVertical:
    return Qt::VerPattern;
  case TBrushStyle::bsFDiagonal:
    return Qt::FDiagPattern;
  case TBrushStyle::bsBDiagonal:
    return Qt::BDiagPattern;
  case TBrushStyle::bsCross:
    return Qt::CrossPattern;
  case TBrushStyle::bsDiagCross:
    return Qt::DiagCrossPattern;
  }
  return Qt::SolidPattern;
}

QColor QtColor(std::uint32_t rgb) { return QColor::fromRgb(PixelOf(rgb)); }

// Qt's image of a glyph at a fractional place may reach a pixel past the
// glyph's box; the area a glyph can touch is taken wider still.
constexpr std::int32_t kInkMargin = 2;
// Text origins within this of the surface's origin keep glyph places in
// 64ths of a pixel within an int32.
constexpr std::int64_t kMaxTextOrigin = std::int64_t{1} << 24;

TRect Union(const TRect& a, const TRect& b) {
  if (a.IsEmpty()) return b;
  if (b.IsEmpty()) return a;
  return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
          std::max(a.Bottom, b.Bottom)};
}

void AppendRect(std::vector<std::uint32_t>& key, const TRect& r) {
  for (const std::int32_t v : {r.Left, r.Top, r.Right, r.Bottom})
    key.push_back(static_cast<std::uint32_t>(v));
}

} // namespace

TRasterDeviceContext::TRasterDeviceContext(QImage* image) : m_image(image) {}

void TRasterDeviceContext::Bind(QImage* image) { m_image = image; }

std::uint32_t TRasterDeviceContext::Pixel(std::int32_t x, std::int32_t y) const {
  if (!m_image || !m_image->valid(x, y)) return 0xFFFFFF;
  return RGBOfPixel(m_image->pixel(x, y));
}

TSize TRasterDeviceContext::Size() const {
  return m_image ? TSize{m_image->width(), m_image->height()} : TSize{};
}

void TRasterDeviceContext::SelectPen(const TPenSpec& pen) {
  TPenSpec selected = pen;
  selected.Color &= 0xFFFFFF;
  // Selecting the pen already in use keeps its pattern where it stands.
  if (selected == m_pen) return;
  m_pen = selected;
  RestartPattern();
}

TRect TRasterDeviceContext::Drawable() const {
  const TRect surface{0, 0, Size().Width, Size().Height};
  return m_hasClip ? Intersect(surface, m_clip) : surface;
}

void TRasterDeviceContext::RestartPattern() {
  m_patternRun = 0;
  const std::span<const int> pattern = PatternOf(m_pen.Style);
  m_patternLeft = pattern.empty() ? 0 : pattern[0];
}

void TRasterDeviceContext::MoveTo(std::int32_t x, std::int32_t y) {
  m_position = {x, y};
  RestartPattern();
}

bool TRasterDeviceContext::StepPattern(std::span<const int> pattern) {
  if (pattern.empty()) return true;
  const bool on = m_patternRun % 2 == 0;
  if (--m_patternLeft == 0) {
    m_patternRun = (m_patternRun + 1) % pattern.size();
    m_patternLeft = pattern[m_patternRun];
  }
  return on;
}

void TRasterDeviceContext::SkipPattern(std::span<const int> pattern, std::int64_t steps) {
  if (pattern.empty() || steps <= 0) return;
  std::int64_t period = 0;
  for (const int run : pattern) period += run;
  for (steps %= period; steps > 0; --steps) StepPattern(pattern);
}

void TRasterDeviceContext::CosmeticSegment(TPoint a, TPoint b) {
  const std::int64_t dx = static_cast<std::int64_t>(b.X) - a.X;
  const std::int64_t dy = static_cast<std::int64_t>(b.Y) - a.Y;
  const std::int64_t n = std::max(std::llabs(dx), std::llabs(dy));
  if (n == 0 || !m_image) return;

  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  const std::int64_t majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
  const std::int64_t minorDelta = xMajor ? dy : dx;
  const std::int64_t minorStep = minorDelta < 0 ? -1 : 1;
  const std::int64_t twiceMinor = 2 * std::llabs(minorDelta);

  const std::span<const int> pattern = PatternOf(m_pen.Style);
  const TRect drawable = Drawable();

  // Only the steps whose major coordinate lies on the drawable area can
  // set a pixel: a line reaching far off the surface costs no more than one
  // across it. The pattern still runs over the steps left out.
  const std::int64_t from = xMajor ? a.X : a.Y;
  const std::int64_t low = xMajor ? drawable.Left : drawable.Top;
  const std::int64_t high = xMajor ? drawable.Right : drawable.Bottom;
  const std::int64_t first = std::clamp<std::int64_t>(majorStep > 0 ? low - from : from - high + 1, 0, n);
  const std::int64_t end = std::clamp<std::int64_t>(majorStep > 0 ? high - from : from - low + 1, first, n);
  // A line wholly beside the drawable area across its direction sets no
  // pixel either.
  const std::int64_t minorFrom = xMajor ? a.Y : a.X;
  const std::int64_t minorLow = xMajor ? drawable.Top : drawable.Left;
  const std::int64_t minorHigh = xMajor ? drawable.Bottom : drawable.Right;
  if (std::max(minorFrom, minorFrom + minorDelta) < minorLow ||
      std::min(minorFrom, minorFrom + minorDelta) >= minorHigh) {
    SkipPattern(pattern, n);
    return;
  }
  SkipPattern(pattern, first);

  const bool opaqueGaps = m_backgroundMode == OPAQUE;
  const std::uint32_t penPixel = PixelOf(m_pen.Color);
  const std::uint32_t gapPixel = PixelOf(m_backgroundColor);
  auto* bits = reinterpret_cast<std::uint32_t*>(m_image->bits());
  const std::size_t stride = static_cast<std::size_t>(m_image->bytesPerLine()) / 4;

  // The minor offset after i steps is floor((2*i*|minor| + n) / (2n)) toward
  // B: the exact value rounded to the nearest, halves toward B. The product
  // reaches 2^65.
  const __int128 start = static_cast<__int128>(first) * twiceMinor + n;
  auto offset = static_cast<std::int64_t>(start / (2 * n));
  auto remainder = static_cast<std::int64_t>(start % (2 * n));
  for (std::int64_t i = first; i < end; ++i) {
    const bool on = StepPattern(pattern);
    const std::int64_t major = i * majorStep;
    const std::int64_t minor = offset * minorStep;
    const std::int64_t x = a.X + (xMajor ? major : minor);
    const std::int64_t y = a.Y + (xMajor ? minor : major);
    remainder += twiceMinor;
    if (remainder >= 2 * n) {
      remainder -= 2 * n;
      ++offset;
    }
    if (!on && !opaqueGaps) continue;
    if (x < drawable.Left || x >= drawable.Right || y < drawable.Top || y >= drawable.Bottom) continue;
    std::uint32_t& pixel = bits[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x)];
    const std::uint32_t source = on ? penPixel : gapPixel;
    pixel = m_pen.Mode == TPenMode::pmNotXor ? 0xFF000000u | ~(source ^ pixel) : source;
  }
  SkipPattern(pattern, n - end);
}

template <class Draw> void TRasterDeviceContext::WithPainter(Draw draw, bool withPen, bool withBrush) {
  if (!m_image) return;
  QPainter painter(m_image);
  painter.setRenderHint(QPainter::Antialiasing, false);
  if (m_hasClip) {
    const TRect clip = Drawable();
    painter.setClipRect(QRect(clip.Left, clip.Top, clip.Width(), clip.Height()));
  }
  if (m_pen.Mode == TPenMode::pmNotXor)
    painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
  if (withPen && m_pen.Style != TPenStyle::psClear) {
    QPen pen(QtColor(m_pen.Color), std::max(1, m_pen.Width), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
  } else {
    painter.setPen(Qt::NoPen);
  }
  if (withBrush && m_brush.Style != TBrushStyle::bsClear) {
    if (m_brush.Style != TBrushStyle::bsSolid && m_backgroundMode == OPAQUE) {
      painter.setBackgroundMode(Qt::OpaqueMode);
      painter.setBackground(QtColor(m_backgroundColor));
    }
    painter.setBrush(QBrush(QtColor(m_brush.Color), QtBrushStyle(m_brush.Style)));
  } else {
    painter.setBrush(Qt::NoBrush);
  }
  draw(painter);
}

void TRasterDeviceContext::LineTo(std::int32_t x, std::int32_t y) {
  const TPoint from = m_position;
  m_position = {x, y};
  if (m_pen.Style == TPenStyle::psClear) return;
  if (IsCosmetic()) {
    CosmeticSegment(from, m_position);
  } else {
    WithPainter([&](QPainter& p) { p.drawLine(from.X, from.Y, x, y); }, true, false);
  }
}

void TRasterDeviceContext::Polyline(std::span<const TPoint> points) {
  if (points.size() < 2 || m_pen.Style == TPenStyle::psClear) return;
  if (IsCosmetic()) {
    RestartPattern();
    for (std::size_t i = 1; i < points.size(); ++i) CosmeticSegment(points[i - 1], points[i]);
    return;
  }
  std::vector<QPoint> qpoints;
  qpoints.reserve(points.size());
  for (const TPoint& p : points) qpoints.emplace_back(p.X, p.Y);
  WithPainter([&](QPainter& p) { p.drawPolyline(qpoints.data(), static_cast<int>(qpoints.size())); }, true,
              false);
}

void TRasterDeviceContext::FillArea(const TRect& area, const TBrushSpec& brush, bool penMode) {
  if (brush.Style == TBrushStyle::bsClear || !m_image) return;
  const TRect r = Intersect(area, Drawable());
  if (r.IsEmpty()) return;
  const std::uint32_t brushPixel = PixelOf(brush.Color);
  const std::uint32_t backPixel = PixelOf(m_backgroundColor);
  const bool invert = penMode && m_pen.Mode == TPenMode::pmNotXor;
  const bool opaque = m_backgroundMode == OPAQUE;
  for (std::int32_t y = r.Top; y < r.Bottom; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(m_image->scanLine(y));
    for (std::int32_t x = r.Left; x < r.Right; ++x) {
      const bool on = brush.Style == TBrushStyle::bsSolid || HatchAt(brush.Style, x, y);
      if (!on && !opaque) continue;
      const std::uint32_t source = on ? brushPixel : backPixel;
      row[x] = invert ? 0xFF000000u | ~(source ^ row[x]) : source;
    }
  }
}

void TRasterDeviceContext::Rectangle(std::int32_t left, std::int32_t top, std::int32_t right,
                                     std::int32_t bottom) {
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  if (m_pen.Style == TPenStyle::psClear) {
    FillArea({left, top, right - 1, bottom - 1}, m_brush, true);
    return;
  }
  if (!IsCosmetic()) {
    const int inset = m_pen.Style == TPenStyle::psInsideFrame ? m_pen.Width / 2 : 0;
    WithPainter(
        [&](QPainter& p) {
          p.drawRect(
              QRect(left + inset, top + inset, right - left - 1 - 2 * inset, bottom - top - 1 - 2 * inset));
        },
        true, true);
    return;
  }
  FillArea({left + 1, top + 1, right - 1, bottom - 1}, m_brush, true);
  if (right - left == 1 || bottom - top == 1) {
    // A rectangle one pixel wide or high is all outline, drawn once.
    RestartPattern();
    CosmeticSegment({left, top}, right - left == 1 ? TPoint{left, bottom} : TPoint{right, top});
    return;
  }
  const TPoint corners[] = {
      {left, top}, {right - 1, top}, {right - 1, bottom - 1}, {left, bottom - 1}, {left, top}};
  RestartPattern();
  for (int i = 1; i < 5; ++i) CosmeticSegment(corners[i - 1], corners[i]);
}

void TRasterDeviceContext::FillRect(const TRect& rect) { FillArea(rect, m_brush, false); }

void TRasterDeviceContext::Polygon(std::span<const TPoint> points) {
  if (points.size() < 2) return;
  std::vector<QPoint> qpoints;
  qpoints.reserve(points.size());
  for (const TPoint& p : points) qpoints.emplace_back(p.X, p.Y);
  WithPainter(
      [&](QPainter& p) { p.drawPolygon(qpoints.data(), static_cast<int>(qpoints.size()), Qt::OddEvenFill); },
      true, true);
}

void TRasterDeviceContext::Ellipse(std::int32_t left, std::int32_t top, std::int32_t right,
                                   std::int32_t bottom) {
  WithPainter([&](QPainter& p) { p.drawEllipse(QRect(left, top, right - left - 1, bottom - top - 1)); }, true,
              true);
}

void TRasterDeviceContext::RoundRect(std::int32_t left, std::int32_t top, std::int32_t right,
                                     std::int32_t bottom, std::int32_t cornerWidth,
                                     std::int32_t cornerHeight) {
  WithPainter(
      [&](QPainter& p) {
        p.drawRoundedRect(QRect(left, top, right - left - 1, bottom - top - 1), cornerWidth / 2.0,
                          cornerHeight / 2.0);
      },
      true, true);
}

void TRasterDeviceContext::SetPixel(std::int32_t x, std::int32_t y, std::uint32_t rgb) {
  const TRect r = Drawable();
  if (x < r.Left || x >= r.Right || y < r.Top || y >= r.Bottom) return;
  reinterpret_cast<std::uint32_t*>(m_image->scanLine(y))[x] = PixelOf(rgb);
}

void TRasterDeviceContext::TextOut(std::int32_t x, std::int32_t y, std::string_view text) {
  if (!m_image || text.empty()) return;
  const TTextPlacement place = PlaceText(m_font, m_textAlign, text);
  if (DrawShapedText(x, y, place, text)) return;
  const auto [left, baseline, extent, metrics] = place;

  QPainter painter(m_image);
  if (m_hasClip) {
    const TRect clip = Drawable();
    painter.setClipRect(QRect(clip.Left, clip.Top, clip.Width(), clip.Height()));
  }
  painter.translate(x, y);
  if (m_font.Escapement != 0) painter.rotate(-m_font.Escapement / 10.0);
  if (m_backgroundMode == OPAQUE) {
    painter.fillRect(QRect(left, baseline - metrics.Ascent, extent.Width, metrics.Height),
                     QtColor(m_backgroundColor));
  }
  painter.setFont(ResolveFont(m_font));
  painter.setPen(QtColor(m_textColor));
  painter.drawText(QPoint(left, baseline), FromWindows1252(text));
}

// Axis labels fall thousands of times on the same pixels, and shaping a
// text costs more than drawing it. Here a text is drawn from its glyphs
// shaped once, as Qt's text drawing draws them: glyph after glyph, each from
// Qt's glyph cache at the same place. A glyph whose area lies off the
// drawable area is left out, and a draw, of the whole text or of one glyph,
// that once left its pixels as they were is skipped over the same pixels.
bool TRasterDeviceContext::DrawShapedText(std::int32_t x, std::int32_t y, const TTextPlacement& place,
                                          std::string_view text) {
  if (!m_textShortcuts || m_font.Escapement != 0 || m_image->depth() != 32) return false;
  const std::int64_t originX = std::int64_t{x} + place.Left;
  const std::int64_t originY = std::int64_t{y} + place.Baseline;
  if (std::llabs(originX) > kMaxTextOrigin || std::llabs(originY) > kMaxTextOrigin) return false;
  const TShapedText* shaped = ShapeText(m_font, text, true);
  if (!shaped) return false;
  const TRect drawable = Drawable();
  if (drawable.IsEmpty()) return true;

  const auto ox = static_cast<std::int32_t>(originX);
  const auto oy = static_cast<std::int32_t>(originY);
  const bool opaque = m_backgroundMode == OPAQUE;
  const QRect cell(ox, oy - place.Metrics.Ascent, place.Extent.Width, place.Metrics.Height);
  const TRect fill =
      opaque ? Intersect({cell.left(), cell.top(), cell.left() + cell.width(), cell.top() + cell.height()},
                         drawable)
             : TRect{};
  // What decides the pixels besides the pixels under them.
  const std::uint32_t header[] = {static_cast<std::uint32_t>(m_image->format()), shaped->FaceId, m_textColor,
                                  opaque ? m_backgroundColor : 0xFFFFFFFFu};
  m_textKey.assign(std::begin(header), std::end(header));
  AppendRect(m_textKey, drawable);
  // A glyph's key is the text's start without the fill, and the glyph.
  constexpr std::size_t kGlyphKeyStart = 8;
  const std::uint64_t glyphStartHash = TSettledDraws::Hash(m_textKey);
  AppendRect(m_textKey, fill);
  std::uint64_t textHash = TSettledDraws::Hash(std::span(m_textKey).subspan(kGlyphKeyStart), glyphStartHash);
  const std::size_t textGlyphsStart = m_textKey.size();
  TRect area = fill;
  m_keptGlyphs.clear();
  for (std::size_t i = 0; i < shaped->Glyphs.size(); ++i) {
    const TShapedGlyph& g = shaped->Glyphs[i];
    // A long label's tail past the right edge is all left out.
    if (ox + g.RestLeft - kInkMargin >= drawable.Right) break;
    const TRect ink = Intersect({ox + g.InkLeft - kInkMargin, oy + g.InkTop - kInkMargin,
                                 ox + g.InkRight + kInkMargin, oy + g.InkBottom + kInkMargin},
                                drawable);
    if (ink.IsEmpty()) continue;
    m_keptGlyphs.push_back({i, ink});
    area = Union(area, ink);
    const std::uint32_t place[] = {g.Index, static_cast<std::uint32_t>(ox * 64 + g.X64),
                                   static_cast<std::uint32_t>(oy * 64 + g.Y64)};
    m_textKey.insert(m_textKey.end(), std::begin(place), std::end(place));
    textHash = TSettledDraws::Hash(place, textHash);
  }
  if (area.IsEmpty() || m_settledTexts.Settled(textHash, m_textKey, area, *m_image)) return true;

  // Labels piling up land on the same origins: there each glyph is drawn
  // alone, to learn which glyphs settle; elsewhere the glyphs go in one call.
  const TPoint origin{ox, oy};
  const bool piling =
      std::find(m_recentOrigins.begin(), m_recentOrigins.end(), origin) != m_recentOrigins.end();
  m_recentOrigins[m_nextOrigin] = origin;
  m_nextOrigin = (m_nextOrigin + 1) % m_recentOrigins.size();

  std::optional<QPainter> painter;
  const auto paint = [&]() -> QPainter& {
    if (!painter) {
      painter.emplace(m_image);
      if (m_hasClip)
        painter->setClipRect(QRect(drawable.Left, drawable.Top, drawable.Width(), drawable.Height()));
      painter->setPen(QtColor(m_textColor));
    }
    return *painter;
  };
  bool changed = false;
  if (!piling) CopyPixels(*m_image, area, m_before);
  if (!fill.IsEmpty()) {
    if (piling) CopyPixels(*m_image, fill, m_before);
    paint().fillRect(cell, QtColor(m_backgroundColor));
    if (piling) changed = !SamePixels(*m_image, fill, m_before);
  }
  std::uint32_t glyphKey[kGlyphKeyStart + 3];
  std::copy_n(m_textKey.begin(), kGlyphKeyStart, glyphKey);
  QGlyphRun run;
  run.setRawFont(shaped->Face);
  m_runIndexes.clear();
  m_runPlaces.clear();
  for (std::size_t k = 0; k < m_keptGlyphs.size(); ++k) {
    const TKeptGlyph& kept = m_keptGlyphs[k];
    const auto place = std::span(m_textKey).subspan(textGlyphsStart + 3 * k, 3);
    std::copy(place.begin(), place.end(), glyphKey + kGlyphKeyStart);
    const std::uint64_t glyphHash = TSettledDraws::Hash(place, glyphStartHash);
    if (m_settledGlyphs.Settled(glyphHash, glyphKey, kept.Ink, *m_image)) continue;
    const TShapedGlyph& g = shaped->Glyphs[kept.Glyph];
    m_runIndexes.push_back(g.Index);
    m_runPlaces.emplace_back((std::int64_t{ox} * 64 + g.X64) / 64.0, (std::int64_t{oy} * 64 + g.Y64) / 64.0);
    if (!piling) continue;
    run.setRawData(&m_runIndexes.back(), &m_runPlaces.back(), 1);
    CopyPixels(*m_image, kept.Ink, m_before);
    paint().drawGlyphRun(QPointF(0, 0), run);
    if (SamePixels(*m_image, kept.Ink, m_before)) {
      m_settledGlyphs.Remember(glyphHash, glyphKey, kept.Ink, *m_image);
    } else {
      changed = true;
    }
  }
  if (!piling) {
    if (!m_runIndexes.empty()) {
      run.setRawData(m_runIndexes.data(), m_runPlaces.data(), static_cast<int>(m_runIndexes.size()));
      paint().drawGlyphRun(QPointF(0, 0), run);
    }
    changed = !SamePixels(*m_image, area, m_before);
  }
  painter.reset();
  if (!changed) m_settledTexts.Remember(textHash, m_textKey, area, *m_image);
  return true;
}

TSize TRasterDeviceContext::TextExtent(std::string_view text) const {
  return curvella::TextExtent(m_font, text);
}

void TRasterDeviceContext::IntersectClipRect(const TRect& rect) {
  const TRect surface{0, 0, Size().Width, Size().Height};
  m_clip = Intersect(m_hasClip ? m_clip : surface, rect);
  m_hasClip = true;
}

void TRasterDeviceContext::BitBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                                  const TRasterDeviceContext& source, std::int32_t sx, std::int32_t sy) {
  if (!m_image || !source.m_image) return;
  // Clip the destination; the source moves with it.
  const TRect target = Intersect({x, y, x + w, y + h}, Drawable());
  for (std::int32_t row = target.Top; row < target.Bottom; ++row) {
    const std::int32_t sourceRow = sy + (row - y);
    if (sourceRow < 0 || sourceRow >= source.Size().Height) continue;
    const std::int32_t from = std::max(target.Left, x - sx);
    const std::int32_t to = std::min(target.Right, x - sx + source.Size().Width);
    if (from >= to) continue;
    const auto* src = reinterpret_cast<const std::uint32_t*>(source.m_image->constScanLine(sourceRow));
    auto* dst = reinterpret_cast<std::uint32_t*>(m_image->scanLine(row));
    std::memmove(dst + from, src + (sx + (from - x)), static_cast<std::size_t>(to - from) * 4);
  }
}

} // namespace curvella
