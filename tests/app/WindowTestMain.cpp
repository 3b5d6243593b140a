// The test main of the window's suites: Curvella's own application object,
// headless, with a desktop whose dialogs and boxes the tests control.
//
// Headless, the window stands on one 1920 x 1080 screen, as on a common
// desktop, rather than the offscreen platform's 800 x 600 one, which the
// stored window does not fit. QT_SCALE_FACTOR scales it as on a real
// display. The user's settings go to a folder of the test's own.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include "FakeDesktop.h"
#include "app/Application.h"
#include "numtext/Extended.h"

namespace curvella::test {

TFakeDesktop& Desktop() {
  static TFakeDesktop desktop;
  return desktop;
}

namespace {

QElapsedTimer& InputClock() {
  static QElapsedTimer clock;
  if (!clock.isValid()) clock.start();
  return clock;
}

} // namespace

void FollowTheClock() {
  // QTest adds one millisecond before each simulated mouse event.
  QTest::lastMouseTimestamp =
      std::max(QTest::lastMouseTimestamp, static_cast<int>(InputClock().elapsed()) + 1);
}

} // namespace curvella::test

int main(int argc, char** argv) {
  QTemporaryDir scratch;
  const std::string screens = scratch.filePath(QStringLiteral("screens.json")).toStdString();
  {
    QFile file(QString::fromStdString(screens));
    if (!file.open(QIODevice::WriteOnly)) return 1;
    file.write(R"({"screens": [{"name": "Desktop", "x": 0, "y": 0, "width": 1920, "height": 1080,
                                "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
  }
  setenv("XDG_CONFIG_HOME", scratch.filePath(QStringLiteral("config")).toLocal8Bit().constData(), 1);
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  std::string platformArgument = "offscreen:configfile=" + screens;
  std::vector<char*> arguments(argv, argv + argc);
  if (platform == nullptr || std::string(platform) == "offscreen") {
    static char platformOption[] = "-platform";
    arguments.insert(arguments.begin() + 1, {platformOption, platformArgument.data()});
  }
  int count = static_cast<int>(arguments.size());
  arguments.push_back(nullptr);
  curvella::TCurvellaApplication application(count, arguments.data(), curvella::test::Desktop());
  curvella::SetFloatingPointMode();
  testing::InitGoogleTest(&count, arguments.data());
  return RUN_ALL_TESTS();
}
