#pragma once

// The window program's application object and its error display.
//
// Every command runs inside the event loop. An error that escapes a handler
// stops that command where it was raised (what it did before stays done) and
// is shown by the error display, after which the loop goes on:
//   1. a widget holding the mouse (a drag in the chart) is told to cancel
//      the drag and lets the mouse go;
//   2. EAbort is dropped without a box;
//   3. the message gets a "." when its last character comes after "." (see
//      ErrorBoxText), and a modal box with the caption "Curvella", an OK
//      button and the stop icon shows it:
//        EZeroDivide -> "Floating point division by zero."
//
// Handlers reach the display through RunEventHandler, which Curvella's
// widgets wrap around each command; notify catches whatever else escapes an
// event.
//
// The work of a command (Run, an export, the import) shows the busy cursor
// while it runs, as does a paint's drawing pass. Mouse and key presses whose
// window-system time falls within a command's work reach the application only
// after it, and are dropped then, with the releases that end them, rather
// than replayed: three clicks on Run during a long run start no further
// runs. Paints, the close request and every other event are delivered.
// Window-system times map to the application's clock through the input
// events delivered, so a command whose work began some time after the event
// that started it (a dialog's OK) still gets its own interval.

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <set>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>

class QInputEvent;

namespace curvella {

class TDesktop;

// The caption of every error box.
inline constexpr const char* kApplicationTitle = "Curvella";

class TCurvellaApplication : public QApplication {
public:
  TCurvellaApplication(int& argc, char** argv, TDesktop& desktop);

  // The running application.
  static TCurvellaApplication& Instance();

  TDesktop& Desktop() { return *m_desktop; }
  void SetDesktop(TDesktop& desktop) { m_desktop = &desktop; }

  // The error display (steps 1 to 3 above).
  void ShowError(std::exception_ptr error);

  bool notify(QObject* receiver, QEvent* event) override;

  // A command's work begins and ends (see TCommandWork); nested work counts
  // as one.
  void BeginCommandWork();
  void EndCommandWork();

private:
  // Window-system times, in milliseconds.
  struct TInterval {
    std::uint64_t First = 0; // the command began just after this time
    std::uint64_t Last = 0;  // and ended at this one
  };

  bool DropsInput(const QEvent& event);
  std::optional<std::uint64_t> WindowSystemTimeNow() const;

  TDesktop* m_desktop;
  QElapsedTimer m_clock;
  // The application's clock less the window system's, in milliseconds.
  std::optional<qint64> m_inputOffset;
  int m_commandDepth = 0;
  std::optional<std::uint64_t> m_commandStart;
  qint64 m_commandStartClock = 0;
  std::optional<TInterval> m_lastCommand;
  // Presses dropped whose releases are still to come.
  Qt::MouseButtons m_droppedButtons;
  std::set<int> m_droppedKeys;
};

// The busy cursor for as long as it lives; nested ones show it once.
class TBusyCursor {
public:
  TBusyCursor();
  ~TBusyCursor();
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;

  // How many times the busy cursor has been put up so far.
  static int TimesShown();
};

// The work of a command, for as long as it lives: the busy cursor, and the
// interval whose presses are dropped.
class TCommandWork {
public:
  TCommandWork();
  ~TCommandWork();
  TCommandWork(const TCommandWork&) = delete;
  TCommandWork& operator=(const TCommandWork&) = delete;

private:
  TBusyCursor m_busy;
};

// The event a widget holding the mouse receives when an error ends its drag.
QEvent::Type CancelModeEventType();

// Runs a command of an event handler; an error goes to the error display.
void RunEventHandler(const std::function<void()>& handler);

// Runs the work of a paint; an error goes to the error display after the
// paint, since a modal box cannot open inside one. A failure that repeats
// with every paint shows one box at a time.
void RunPaintHandler(const std::function<void()>& handler);

} // namespace curvella
