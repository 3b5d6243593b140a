#include "platform/Display.h"

#include <cmath>

#include <QGuiApplication>
#include <QScreen>

namespace curvella {

namespace {

const QScreen* PrimaryScreen() {
  return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen()
                                                                      : nullptr;
}

} // namespace

TScreenSize ScreenSize() {
  constexpr TScreenSize kStandIn{{1920, 1080}, {508, 286}};
  const QScreen* screen = PrimaryScreen();
  if (!screen) return kStandIn;
  const QSize pixels = screen->size();
  const QSizeF millimetres = screen->physicalSize();
  const int width = static_cast<int>(std::lround(millimetres.width()));
  const int height = static_cast<int>(std::lround(millimetres.height()));
  if (pixels.isEmpty() || width <= 0 || height <= 0) return kStandIn;
  return {{pixels.width(), pixels.height()}, {width, height}};
}

int DisplayColorDepth() {
  const QScreen* screen = PrimaryScreen();
  const int depth = screen ? screen->depth() : 0;
  if (depth >= 24 || depth <= 0) return 32;
  return depth > 8 ? 16 : depth;
}

} // namespace curvella
