#include "app/Application.h"

#include <string>

#include <QCursor>
#include <QGuiApplication>
#include <QInputEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include "app/Desktop.h"
#include "app/ErrorText.h"
#include "numtext/Errors.h"
#include "platform/Fonts.h"

namespace curvella {

TCurvellaApplication::TCurvellaApplication(int& argc, char** argv, TDesktop& desktop)
    : QApplication(argc, argv), m_desktop(&desktop) {
  setApplicationName(QString::fromLatin1(kApplicationTitle));
  m_clock.start();
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

std::optional<std::uint64_t> TCurvellaApplication::WindowSystemTimeNow() const {
  if (!m_inputOffset) return std::nullopt;
  return static_cast<std::uint64_t>(m_clock.elapsed() - *m_inputOffset);
}

void TCurvellaApplication::BeginCommandWork() {
  if (m_commandDepth++ > 0) return;
  m_commandStart = WindowSystemTimeNow();
  m_commandStartClock = m_clock.elapsed();
}

void TCurvellaApplication::EndCommandWork() {
  if (--m_commandDepth > 0 || !m_commandStart) return;
  const auto length = static_cast<std::uint64_t>(m_clock.elapsed() - m_commandStartClock);
  m_lastCommand = TInterval{*m_commandStart, *m_commandStart + length};
}

bool TCurvellaApplication::DropsInput(const QEvent& event) {
  const QEvent::Type type = event.type();
  const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
                     type == QEvent::KeyPress || type == QEvent::ShortcutOverride;
  const bool release = type == QEvent::MouseButtonRelease || type == QEvent::KeyRelease;
  if (!press && !release) return false;
  const auto& input = static_cast<const QInputEvent&>(event);
  const bool mouse =
      type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride;
  const Qt::MouseButton button = mouse ? static_cast<const QMouseEvent&>(event).button() : Qt::NoButton;
  const int key = mouse ? 0 : static_cast<const QKeyEvent&>(event).key();
  if (press && m_lastCommand && input.timestamp() > m_lastCommand->First &&
      input.timestamp() <= m_lastCommand->Last) {
    if (mouse)
      m_droppedButtons |= button;
    else
      m_droppedKeys.insert(key);
    return true;
  }
  if (release && mouse && m_droppedButtons.testFlag(button)) {
    m_droppedButtons &= ~Qt::MouseButtons(button);
    return true;
  }
  if (release && !mouse && m_droppedKeys.erase(key) > 0) return true;
  // Synthetic events without a time (0) say nothing about the window
  // system's clock. An event delivered late makes the offset larger, so the
  // smallest seen is the closest.
  if (input.timestamp() != 0) {
    const qint64 offset = m_clock.elapsed() - static_cast<qint64>(input.timestamp());
    if (!m_inputOffset || offset < *m_inputOffset) m_inputOffset = offset;
  }
  return false;
}

bool TCurvellaApplication::notify(QObject* receiver, QEvent* event) {
  if (DropsInput(*event)) return true;
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ShowError(std::current_exception());
    return false;
  }
}

namespace {

int busyDepth = 0;
int busyShown = 0;

} // namespace

TBusyCursor::TBusyCursor() {
  if (busyDepth++ > 0) return;
  ++busyShown;
  QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

TBusyCursor::~TBusyCursor() {
  if (--busyDepth == 0) QGuiApplication::restoreOverrideCursor();
}

int TBusyCursor::TimesShown() { return busyShown; }

TCommandWork::TCommandWork() { TCurvellaApplication::Instance().BeginCommandWork(); }

TCommandWork::~TCommandWork() { TCurvellaApplication::Instance().EndCommandWork(); }

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
