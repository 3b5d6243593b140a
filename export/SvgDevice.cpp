#include "export/SvgDevice.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QBuffer>
#include <QPainter>
#include <QPainterPath>
#include <QSvgGenerator>

#include "platform/Fonts.h"
#include "platform/RasterDevice.h"

namespace curvella {

namespace {

QColor Colour(std::uint32_t rgb) { return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF); }

// Dash patterns in pixels, on then off, from the first pixel of a figure.
QVector<qreal> DashPattern(TPenStyle style) {
  switch (style) {
  case TPenStyle::psDash:
    return {18, 6};
  case TPenStyle::psDot:
    return {3, 3};
  case TPenStyle::psDashDot:
    return {9, 6, 3, 6};
  case TPenStyle::psDashDotDot:
    return {9, 3, 3, 3, 3, 3};
  case TPenStyle::psAlternate:
    return {1, 1};
  default:
    return {};
  }
}

// The part of the segment from a to b inside the box, as fractions of the
// way from a (Liang-Barsky); none when it misses the box.
std::optional<std::pair<double, double>> ClipSegment(QPointF a, QPointF b, const QRectF& box) {
  double from = 0;
  double to = 1;
  const double d[] = {b.x() - a.x(), b.y() - a.y()};
  const double p[] = {-d[0], d[0], -d[1], d[1]};
  const double q[] = {a.x() - box.left(), box.right() - a.x(), a.y() - box.top(), box.bottom() - a.y()};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return std::nullopt;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0)
      from = std::max(from, t);
    else
      to = std::min(to, t);
    if (from > to) return std::nullopt;
  }
  return std::make_pair(from, to);
}

// Sutherland-Hodgman: the polygon cut to the box.
QPolygonF ClipPolygon(const QPolygonF& polygon, const QRectF& box) {
  QPolygonF out = polygon;
  const auto edge = [&](auto inside, auto cross) {
    QPolygonF in = out;
    out.clear();
    for (qsizetype i = 0; i < in.size(); ++i) {
      const QPointF a = in[i];
      const QPointF b = in[(i + 1) % in.size()];
      if (inside(b)) {
        if (!inside(a)) out << cross(a, b);
        out << b;
      } else if (inside(a)) {
        out << cross(a, b);
      }
    }
  };
  const auto atX = [](double x) {
    return [x](QPointF a, QPointF b) {
      return QPointF(x, a.y() + (b.y() - a.y()) * (x - a.x()) / (b.x() - a.x()));
    };
  };
  const auto atY = [](double y) {
    return [y](QPointF a, QPointF b) {
      return QPointF(a.x() + (b.x() - a.x()) * (y - a.y()) / (b.y() - a.y()), y);
    };
  };
  edge([&](QPointF p) { return p.x() >= box.left(); }, atX(box.left()));
  edge([&](QPointF p) { return p.x() <= box.right(); }, atX(box.right()));
  edge([&](QPointF p) { return p.y() >= box.top(); }, atY(box.top()));
  edge([&](QPointF p) { return p.y() <= box.bottom(); }, atY(box.bottom()));
  return out;
}

} // namespace

TSvgDeviceContext::TSvgDeviceContext(TSize size)
    : m_size(size), m_buffer(std::make_unique<QBuffer>()), m_generator(std::make_unique<QSvgGenerator>()) {
  m_buffer->open(QIODevice::WriteOnly);
  m_generator->setOutputDevice(m_buffer.get());
  m_generator->setSize(QSize(size.Width, size.Height));
  m_generator->setViewBox(QRect(0, 0, size.Width, size.Height));
  m_generator->setResolution(kPixelsPerInch);
  m_generator->setTitle(QStringLiteral("Y=F(x)"));
  m_generator->setDescription(QStringLiteral("A chart drawn by Curvella"));
  m_painter = std::make_unique<QPainter>(m_generator.get());
}

TSvgDeviceContext::~TSvgDeviceContext() {
  if (m_painter) m_painter->end();
}

TRect TSvgDeviceContext::Drawable() const {
  const TRect surface{0, 0, m_size.Width, m_size.Height};
  return m_clip ? Intersect(*m_clip, surface) : surface;
}

void TSvgDeviceContext::IntersectClipRect(const TRect& rect) { m_clip = Intersect(Drawable(), rect); }

QPen TSvgDeviceContext::StrokePen(std::uint32_t rgb, bool dashed) const {
  // Wide pens end round, as on the raster; one-pixel lines end flat at the
  // centres of their end pixels.
  const bool wide = m_pen.Width > 1;
  QPen pen(Colour(rgb), std::max(1, m_pen.Width), Qt::SolidLine, wide ? Qt::RoundCap : Qt::FlatCap,
           wide ? Qt::RoundJoin : Qt::MiterJoin);
  if (dashed && !DashPattern(m_pen.Style).isEmpty()) {
    QVector<qreal> pattern = DashPattern(m_pen.Style);
    // Qt counts dashes in pen widths.
    for (qreal& length : pattern) length /= pen.widthF();
    pen.setDashPattern(pattern);
  }
  return pen;
}

void TSvgDeviceContext::StrokeThrough(std::span<const TPoint> points) {
  if (!Drawing() || points.size() < 2 || m_pen.Style == TPenStyle::psClear) return;
  // Pixel centres are whole coordinates here; the drawable pixels' centres
  // lie within half a pixel inside its edges.
  const TRect drawable = Drawable();
  const QRectF box(QPointF(drawable.Left - 0.5, drawable.Top - 0.5),
                   QPointF(drawable.Right - 0.5, drawable.Bottom - 0.5));
  // A pen of odd width covers the pixel its point names and as many on
  // either side; an even one reaches one pixel further up and left, as the
  // raster device draws it.
  const double shift = std::max(1, m_pen.Width) % 2 == 1 ? 0.5 : 0.0;
  QPainterPath path;
  bool open = false;
  for (std::size_t i = 0; i + 1 < points.size(); ++i) {
    const QPointF a(points[i].X, points[i].Y);
    const QPointF b(points[i + 1].X, points[i + 1].Y);
    const auto part = ClipSegment(a, b, box);
    if (!part) {
      open = false;
      continue;
    }
    const QPointF from = a + (b - a) * part->first + QPointF(shift, shift);
    const QPointF to = a + (b - a) * part->second + QPointF(shift, shift);
    if (!open || part->first > 0) path.moveTo(from);
    path.lineTo(to);
    open = part->second >= 1;
  }
  if (path.isEmpty()) return;
  m_painter->setBrush(Qt::NoBrush);
  const bool dashed = !DashPattern(m_pen.Style).isEmpty();
  if (dashed && m_backgroundMode == OPAQUE) {
    m_painter->setPen(StrokePen(m_backgroundColor, false));
    m_painter->drawPath(path);
  }
  m_painter->setPen(StrokePen(m_pen.Color, true));
  m_painter->drawPath(path);
}

void TSvgDeviceContext::FillPixels(const TRect& rect, std::uint32_t rgb) {
  if (!Drawing()) return;
  const TRect inside = Intersect(rect, Drawable());
  if (inside.Right <= inside.Left || inside.Bottom <= inside.Top) return;
  m_painter->fillRect(QRect(inside.Left, inside.Top, inside.Width(), inside.Height()), Colour(rgb));
}

void TSvgDeviceContext::MoveTo(std::int32_t x, std::int32_t y) { m_position = {x, y}; }

void TSvgDeviceContext::LineTo(std::int32_t x, std::int32_t y) {
  const TPoint points[] = {m_position, {x, y}};
  StrokeThrough(points);
  m_position = {x, y};
}

void TSvgDeviceContext::Polyline(std::span<const TPoint> points) { StrokeThrough(points); }

void TSvgDeviceContext::Rectangle(std::int32_t left, std::int32_t top, std::int32_t right,
                                  std::int32_t bottom) {
  const bool outline = m_pen.Style != TPenStyle::psClear;
  if (m_brush.Style != TBrushStyle::bsClear) {
    const std::int32_t inset = outline ? 0 : 1;
    FillPixels({left, top, right - inset, bottom - inset}, m_brush.Color);
  }
  if (!outline) return;
  // Columns left .. right-1 and rows top .. bottom-1, each corner once.
  const TPoint corners[] = {
      {left, top}, {right - 1, top}, {right - 1, bottom - 1}, {left, bottom - 1}, {left, top}};
  StrokeThrough(corners);
  if (right - left == 1 || bottom - top == 1) FillPixels({left, top, left + 1, top + 1}, m_pen.Color);
}

void TSvgDeviceContext::FillRect(const TRect& rect) {
  if (m_brush.Style != TBrushStyle::bsClear) FillPixels(rect, m_brush.Color);
}

void TSvgDeviceContext::Polygon(std::span<const TPoint> points) {
  if (!Drawing() || points.size() < 2) return;
  const TRect drawable = Drawable();
  const QRectF box(drawable.Left, drawable.Top, drawable.Width(), drawable.Height());
  if (m_brush.Style != TBrushStyle::bsClear) {
    QPolygonF polygon;
    for (const TPoint& p : points) polygon << QPointF(p.X + 0.5, p.Y + 0.5);
    const QPolygonF inside = ClipPolygon(polygon, box);
    if (!inside.isEmpty()) {
      m_painter->setPen(Qt::NoPen);
      m_painter->setBrush(Colour(m_brush.Color));
      m_painter->drawPolygon(inside);
    }
  }
  std::vector<TPoint> closed(points.begin(), points.end());
  closed.push_back(points.front());
  StrokeThrough(closed);
}

void TSvgDeviceContext::Ellipse(std::int32_t left, std::int32_t top, std::int32_t right,
                                std::int32_t bottom) {
  if (!Drawing()) return;
  m_painter->setPen(m_pen.Style == TPenStyle::psClear ? QPen(Qt::NoPen) : StrokePen(m_pen.Color, true));
  m_painter->setBrush(m_brush.Style == TBrushStyle::bsClear ? QBrush(Qt::NoBrush)
                                                            : QBrush(Colour(m_brush.Color)));
  m_painter->drawEllipse(QRectF(left + 0.5, top + 0.5, right - left - 1, bottom - top - 1));
}

void TSvgDeviceContext::RoundRect(std::int32_t left, std::int32_t top, std::int32_t right,
                                  std::int32_t bottom, std::int32_t cornerWidth, std::int32_t cornerHeight) {
  if (!Drawing()) return;
  m_painter->setPen(m_pen.Style == TPenStyle::psClear ? QPen(Qt::NoPen) : StrokePen(m_pen.Color, true));
  m_painter->setBrush(m_brush.Style == TBrushStyle::bsClear ? QBrush(Qt::NoBrush)
                                                            : QBrush(Colour(m_brush.Color)));
  m_painter->drawRoundedRect(QRectF(left + 0.5, top + 0.5, right - left - 1, bottom - top - 1),
                             cornerWidth / 2.0, cornerHeight / 2.0);
}

void TSvgDeviceContext::SetPixel(std::int32_t x, std::int32_t y, std::uint32_t rgb) {
  FillPixels({x, y, x + 1, y + 1}, rgb);
}

TSize TSvgDeviceContext::TextExtent(std::string_view text) const {
  return curvella::TextExtent(m_font, text);
}

void TSvgDeviceContext::TextOut(std::int32_t x, std::int32_t y, std::string_view text) {
  if (!Drawing() || text.empty()) return;
  const auto [left, baseline, extent, metrics] = PlaceText(m_font, m_textAlign, text);
  const TRect drawable = Drawable();
  if (m_font.Escapement == 0) {
    const TRect box{x + left, y + baseline - metrics.Ascent, x + left + extent.Width,
                    y + baseline - metrics.Ascent + metrics.Height};
    const TRect seen = Intersect(box, drawable);
    if (seen.Right <= seen.Left || seen.Bottom <= seen.Top) return;
  } else if (x < drawable.Left || x >= drawable.Right || y < drawable.Top || y >= drawable.Bottom) {
    return;
  }
  m_painter->save();
  m_painter->translate(x, y);
  if (m_font.Escapement != 0) m_painter->rotate(-m_font.Escapement / 10.0);
  if (m_backgroundMode == OPAQUE) {
    m_painter->fillRect(QRect(left, baseline - metrics.Ascent, extent.Width, metrics.Height),
                        Colour(m_backgroundColor));
  }
  m_painter->setFont(ResolveFont(m_font));
  m_painter->setPen(Colour(m_textColor));
  m_painter->drawText(QPoint(left, baseline), FromWindows1252(text));
  m_painter->restore();
}

void TSvgDeviceContext::BitBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                               const TRasterDeviceContext& source, std::int32_t sx, std::int32_t sy) {
  if (!Drawing() || !source.Image()) return;
  const TRect target = Intersect({x, y, x + w, y + h}, Drawable());
  if (target.Right <= target.Left || target.Bottom <= target.Top) return;
  m_painter->drawImage(QPoint(target.Left, target.Top), *source.Image(),
                       QRect(sx + target.Left - x, sy + target.Top - y, target.Width(), target.Height()));
}

std::string TSvgDeviceContext::Close() {
  if (!m_painter) return {};
  m_painter->end();
  m_painter.reset();
  return FinishSvgDocument(m_buffer->data().toStdString(), m_size);
}

namespace {

// Sets an attribute of an element's start tag (without its ">"), replacing
// its value or adding it at the end.
void SetAttribute(std::string& element, const std::string& name, const std::string& value) {
  const std::string start = " " + name + "=\"";
  const std::size_t at = element.find(start);
  if (at == std::string::npos) {
    element += start + value + "\"";
    return;
  }
  const std::size_t from = at + start.size();
  const std::size_t to = element.find('"', from);
  element.replace(from, (to == std::string::npos ? element.size() : to) - from, value);
}

} // namespace

std::string FinishSvgDocument(const std::string& generated, TSize size) {
  std::string document = generated;
  // The root element's size, whatever unit the generator chose.
  const std::size_t root = document.find("<svg");
  if (root != std::string::npos) {
    const std::size_t end = std::min(document.find('>', root), document.size());
    std::string element = document.substr(root, end - root);
    SetAttribute(element, "width", std::to_string(size.Width) + "px");
    SetAttribute(element, "height", std::to_string(size.Height) + "px");
    SetAttribute(element, "viewBox", "0 0 " + std::to_string(size.Width) + " " + std::to_string(size.Height));
    // Lines and fills stand on whole pixels, as in the raster picture;
    // renderers draw them crisp rather than smeared over two pixels. Texts
    // keep their smoothing.
    if (element.find(" shape-rendering=") == std::string::npos)
      SetAttribute(element, "shape-rendering", "crispEdges");
    document.replace(root, end - root, element);
  }
  const std::pair<const char*, const char*> families[] = {
      {"Liberation Sans", "Liberation Sans, Arial, sans-serif"},
      {"DejaVu Sans", "DejaVu Sans, MS Sans Serif, sans-serif"}};
  for (const auto& [standIn, list] : families) {
    const std::string from = std::string("font-family=\"") + standIn + "\"";
    const std::string to = std::string("font-family=\"") + list + "\"";
    for (std::size_t at = document.find(from); at != std::string::npos;
         at = document.find(from, at + to.size()))
      document.replace(at, from.size(), to);
  }
  return document;
}

TSvgCanvas::TSvgCanvas(TSize size) : m_device(std::make_unique<TSvgDeviceContext>(size)) {
  SetDevice(m_device.get());
}

TSvgCanvas::~TSvgCanvas() { SetDevice(nullptr); }

} // namespace curvella
