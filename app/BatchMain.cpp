#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include <QGuiApplication>

#include "app/BatchCommand.h"
#include "app/UserLocale.h"
#include "numtext/Extended.h"

int main(int argc, char** argv) {
  // A command for scripts draws its pictures without a display.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication application(argc, argv);
  curvella::ApplyUserLocale();
  curvella::SetFloatingPointMode();
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  return curvella::RunBatch(arguments, std::cout, std::cerr);
}
