#include "app/ChartWidget.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "app/Application.h"

namespace curvella {

namespace {

constexpr int kWheelNotch = 120;

std::optional<TMouseButton> ButtonOf(Qt::MouseButton button) {
  switch (button) {
  case Qt::LeftButton:
    return TMouseButton::mbLeft;
  case Qt::RightButton:
    return TMouseButton::mbRight;
  case Qt::MiddleButton:
    return TMouseButton::mbMiddle;
  default:
    return std::nullopt;
  }
}

TShiftState ShiftOf(const QMouseEvent& event, bool doubleClick = false) {
  const Qt::KeyboardModifiers keys = event.modifiers();
  const Qt::MouseButtons buttons = event.buttons();
  return {.Shift = keys.testFlag(Qt::ShiftModifier),
          .Alt = keys.testFlag(Qt::AltModifier),
          .Ctrl = keys.testFlag(Qt::ControlModifier),
          .Left = buttons.testFlag(Qt::LeftButton),
          .Right = buttons.testFlag(Qt::RightButton),
          .Middle = buttons.testFlag(Qt::MiddleButton),
          .Double = doubleClick};
}

QColor QtColor(TColor color) {
  const std::uint32_t rgb = ColorToRGB(color);
  return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

// Draws the picture at a point of the widget so that every device pixel
// whose centre falls on it shows the picture's pixel under that centre: the
// picture scaled by nearest neighbour, at any scale factor and whatever
// fraction of a device pixel the widget stands at. Qt's own scaled drawing
// rounds the edges and may leave a column or row of device pixels
// unpainted, which keeps a piece of an earlier picture.
void DrawPicture(QPainter& painter, const QImage& picture, QPoint at) {
  const QTransform device = painter.deviceTransform();
  if (device.type() <= QTransform::TxTranslate) {
    painter.drawImage(at, picture);
    return;
  }
  const qreal sx = device.m11();
  const qreal sy = device.m22();
  const QPointF origin = device.map(QPointF(at));
  // The first device pixel whose centre is at or after the picture's start,
  // and the first whose centre is at or after its end.
  const auto first = [](qreal start) { return static_cast<int>(std::ceil(start - 0.5)); };
  const int left = first(origin.x());
  const int top = first(origin.y());
  const int right = first(origin.x() + picture.width() * sx);
  const int bottom = first(origin.y() + picture.height() * sy);
  if (right <= left || bottom <= top) return;
  const auto source = [](int pixel, qreal start, qreal scale, int size) {
    return std::clamp(static_cast<int>(std::floor((pixel + 0.5 - start) / scale)), 0, size - 1);
  };
  std::vector<int> columns(static_cast<std::size_t>(right - left));
  for (int x = left; x < right; ++x)
    columns[static_cast<std::size_t>(x - left)] = source(x, origin.x(), sx, picture.width());
  QImage scaled(right - left, bottom - top, QImage::Format_RGB32);
  const QImage rgb =
      picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
  for (int y = top; y < bottom; ++y) {
    const auto* in =
        reinterpret_cast<const QRgb*>(rgb.constScanLine(source(y, origin.y(), sy, rgb.height())));
    auto* out = reinterpret_cast<QRgb*>(scaled.scanLine(y - top));
    for (std::size_t i = 0; i < columns.size(); ++i) out[i] = in[columns[i]];
  }
  // Drawn one to one onto the device's pixels.
  scaled.setDevicePixelRatio(sx);
  const QPointF start = device.inverted().map(QPointF(left, top));
  painter.drawImage(start, scaled);
}

} // namespace

TChartWidget::TChartWidget(QWidget* parent) : QWidget(parent), m_chart(std::make_unique<TChart>()) {
  // The chart paints every pixel of its picture itself.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::NoFocus);
  // Moves without a button pressed too: the cursor follows what is under it.
  setMouseTracking(true);
  m_chart->SetHost(this);
}

TChartWidget::~TChartWidget() { m_chart->SetHost(nullptr); }

void TChartWidget::Invalidate() { update(); }

void TChartWidget::RepaintNow() { repaint(); }

void TChartWidget::ShowCursor(TCursor cursor) {
  switch (cursor) {
  case crCross:
    setCursor(Qt::CrossCursor);
    break;
  case crIBeam:
    setCursor(Qt::IBeamCursor);
    break;
  case crSizeAll:
    setCursor(Qt::SizeAllCursor);
    break;
  case crHandPoint:
    setCursor(Qt::PointingHandCursor);
    break;
  default:
    unsetCursor();
    break;
  }
}

bool TChartWidget::event(QEvent* event) {
  if (event->type() == CancelModeEventType()) {
    m_chart->CancelMode();
    return true;
  }
  if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange) {
    // System colours follow the palette: the cached picture is stale.
    m_chart->Canvas().MarkStale();
    update();
  }
  return QWidget::event(event);
}

void TChartWidget::paintEvent(QPaintEvent*) {
  RunPaintHandler([this] {
    std::optional<TBusyCursor> busy;
    if (m_chart->NeedsDrawingPass()) busy.emplace();
    m_chart->Paint();
  });
  QPainter painter(this);
  // The sunken edge: shadow and dark shadow above and left, highlight and
  // light below and right.
  const int w = width();
  const int h = height();
  const auto edge = [&](int inset, TColor topLeft, TColor bottomRight) {
    painter.setPen(QtColor(topLeft));
    painter.drawLine(inset, inset, w - 2 - inset, inset);
    painter.drawLine(inset, inset, inset, h - 2 - inset);
    painter.setPen(QtColor(bottomRight));
    painter.drawLine(inset, h - 1 - inset, w - 1 - inset, h - 1 - inset);
    painter.drawLine(w - 1 - inset, inset, w - 1 - inset, h - 1 - inset);
  };
  edge(0, clBtnShadow, clBtnHighlight);
  if (m_chart->BorderThickness() > 1) edge(1, cl3DDkShadow, cl3DLight);
  const QImage& picture = m_chart->WindowImage();
  if (!picture.isNull())
    DrawPicture(painter, picture, {m_chart->BorderThickness(), m_chart->BorderThickness()});
}

void TChartWidget::resizeEvent(QResizeEvent*) { m_chart->SetControlSize({width(), height()}); }

void TChartWidget::Press(QMouseEvent* event, bool doubleClick) {
  const std::optional<TMouseButton> button = ButtonOf(event->button());
  if (!button) return;
  // The chart keeps the mouse through a drag, also outside the widget.
  if (mouseGrabber() != this) grabMouse();
  const int b = m_chart->BorderThickness();
  const QPoint p = event->position().toPoint();
  RunEventHandler([&] { m_chart->MouseDown(*button, ShiftOf(*event, doubleClick), p.x() - b, p.y() - b); });
}

void TChartWidget::mousePressEvent(QMouseEvent* event) { Press(event, false); }

void TChartWidget::mouseDoubleClickEvent(QMouseEvent* event) { Press(event, true); }

void TChartWidget::mouseMoveEvent(QMouseEvent* event) {
  const int b = m_chart->BorderThickness();
  const QPoint p = event->position().toPoint();
  RunEventHandler([&] { m_chart->MouseMove(ShiftOf(*event), p.x() - b, p.y() - b); });
}

void TChartWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->buttons() == Qt::NoButton && mouseGrabber() == this) releaseMouse();
  const std::optional<TMouseButton> button = ButtonOf(event->button());
  if (!button) return;
  const int b = m_chart->BorderThickness();
  const QPoint p = event->position().toPoint();
  RunEventHandler([&] { m_chart->MouseUp(*button, ShiftOf(*event), p.x() - b, p.y() - b); });
}

void TChartWidget::leaveEvent(QEvent*) {
  RunEventHandler([this] { m_chart->MouseLeave(); });
}

void TChartWidget::wheelEvent(QWheelEvent* event) {
  m_wheelRest += event->angleDelta().y();
  while (m_wheelRest >= kWheelNotch || m_wheelRest <= -kWheelNotch) {
    const bool down = m_wheelRest < 0;
    m_wheelRest += down ? kWheelNotch : -kWheelNotch;
    RunEventHandler([&] { m_chart->MouseWheel(down); });
  }
  event->accept();
}

} // namespace curvella
