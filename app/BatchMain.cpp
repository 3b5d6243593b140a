#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include <QGuiApplication>

#include "app/BatchCommand.h"
#include "app/UserLocale.h"
#include "numtext/Extended.h"

int main(int argc, char** argv) {
  // A command for scripts draws its pictures without a display, and its
  // standard error carries only its own messages, not the toolkit's notes
  // (such as a missing runtime folder under cron).
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) std::cerr << message.toLocal8Bit().toStdString() << std::endl;
  });
  QGuiApplication application(argc, argv);
  curvella::ApplyUserLocale();
  curvella::SetFloatingPointMode();
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  return curvella::RunBatch(arguments, std::cout, std::cerr);
}
