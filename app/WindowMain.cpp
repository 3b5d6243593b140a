#include "app/Application.h"
#include "app/Desktop.h"
#include "app/MainWindow.h"
#include "app/UserLocale.h"
#include "numtext/Extended.h"
#include "platform/Files.h"

#include <QTimer>

int main(int argc, char** argv) {
  curvella::PrepareProcessFiles();
  curvella::TQtDesktop desktop;
  curvella::TCurvellaApplication application(argc, argv, desktop);
  // After the application, which sets the C library's locale from the
  // environment: reading the separators puts the numeric locale back.
  curvella::ApplyUserLocale();
  curvella::SetFloatingPointMode();
  curvella::TForm1 form(desktop);
  form.show();
  // A point file named on the command line (the file manager's "Open
  // with") is imported once the window is up; further arguments are ignored.
  const QStringList arguments = QCoreApplication::arguments();
  if (arguments.size() > 1) {
    QTimer::singleShot(0, &form, [&form, file = arguments[1]] {
      curvella::RunEventHandler([&] { form.ImportPointFileArgument(file); });
    });
  }
  return application.exec();
}
