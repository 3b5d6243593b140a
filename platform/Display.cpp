#include "platform/Display.h"

#include <QGuiApplication>
#include <QScreen>

namespace curvella {

int DisplayColorDepth() {
  const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                              ? QGuiApplication::primaryScreen()
                              : nullptr;
  const int depth = screen ? screen->depth() : 0;
  if (depth >= 24 || depth <= 0) return 32;
  return depth > 8 ? 16 : depth;
}

} // namespace curvella
