// The test main of the window's suites: Curvella's own application object,
// headless, with a desktop whose dialogs and boxes the tests control.

#include <gtest/gtest.h>

#include <cstdlib>

#include "FakeDesktop.h"
#include "app/Application.h"
#include "numtext/Extended.h"

namespace curvella::test {

TFakeDesktop& Desktop() {
  static TFakeDesktop desktop;
  return desktop;
}

} // namespace curvella::test

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  curvella::TCurvellaApplication application(argc, argv, curvella::test::Desktop());
  curvella::SetFloatingPointMode();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
