#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include <QGuiApplication>

#include <unistd.h>

#include "app/BatchCommand.h"
#include "app/UserLocale.h"
#include "numtext/Extended.h"
#include "platform/Files.h"

int main(int argc, char** argv) {
  // A command for scripts draws its pictures without a display, and its
  // standard error carries only its own messages, not the toolkit's notes
  // (such as a missing runtime folder under cron).
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) std::cerr << message.toLocal8Bit().toStdString() << std::endl;
  });
  curvella::PrepareProcessFiles();
  QGuiApplication application(argc, argv);
  curvella::ApplyUserLocale();
  curvella::SetFloatingPointMode();
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  curvella::TDescriptorWriter out(STDOUT_FILENO);
  return curvella::RunBatch(arguments, out, std::cerr);
}
