#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include <QGuiApplication>

#include "app/BatchCommand.h"
#include "numtext/Extended.h"
#include "numtext/PictureFormat.h"
#include "platform/Locale.h"

int main(int argc, char** argv) {
  // A command for scripts draws its pictures without a display.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication application(argc, argv);
  const curvella::TLocaleSeparators separators = curvella::ReadLocaleSeparators();
  curvella::SetDecimalSeparator(separators.Decimal);
  curvella::SetThousandSeparator(separators.Thousand);
  curvella::SetFloatingPointMode();
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  return curvella::RunBatch(arguments, std::cout, std::cerr);
}
