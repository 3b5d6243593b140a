#include "app/Application.h"
#include "app/Desktop.h"
#include "app/MainWindow.h"
#include "app/UserLocale.h"
#include "numtext/Extended.h"
#include "platform/Files.h"

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
  return application.exec();
}
