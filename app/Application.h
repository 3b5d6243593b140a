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

#include <exception>
#include <functional>

#include <QApplication>
#include <QEvent>

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

private:
  TDesktop* m_desktop;
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
