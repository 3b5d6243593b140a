#include "app/Application.h"

#include <string>

#include <QWidget>

#include "app/Desktop.h"
#include "app/ErrorText.h"
#include "numtext/Errors.h"
#include "platform/Fonts.h"

namespace curvella {

TCurvellaApplication::TCurvellaApplication(int& argc, char** argv, TDesktop& desktop)
    : QApplication(argc, argv), m_desktop(&desktop) {
  setApplicationName(QString::fromLatin1(kApplicationTitle));
}

TCurvellaApplication& TCurvellaApplication::Instance() {
  return *static_cast<TCurvellaApplication*>(QCoreApplication::instance());
}

QEvent::Type CancelModeEventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

void TCurvellaApplication::ShowError(std::exception_ptr error) {
  if (QWidget* holder = QWidget::mouseGrabber()) {
    QEvent cancel(CancelModeEventType());
    sendEvent(holder, &cancel);
    holder->releaseMouse();
  }
  const std::optional<std::string> message = ErrorMessage(error);
  if (!message) return;
  m_desktop->ShowErrorBox(activeWindow(), QString::fromLatin1(kApplicationTitle),
                          FromWindows1252(ErrorBoxText(*message)));
}

bool TCurvellaApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ShowError(std::current_exception());
    return false;
  }
}

void RunPaintHandler(const std::function<void()>& handler) {
  static bool pending = false;
  try {
    handler();
  } catch (...) {
    if (pending) return;
    pending = true;
    QMetaObject::invokeMethod(
        &TCurvellaApplication::Instance(),
        [error = std::current_exception()] {
          TCurvellaApplication::Instance().ShowError(error);
          pending = false;
        },
        Qt::QueuedConnection);
  }
}

void RunEventHandler(const std::function<void()>& handler) {
  try {
    handler();
  } catch (...) {
    TCurvellaApplication::Instance().ShowError(std::current_exception());
  }
}

} // namespace curvella
