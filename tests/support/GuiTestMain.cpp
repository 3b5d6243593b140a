// The test main of suites that draw: fonts and screens need a Qt GUI
// application, which runs headless on the offscreen platform.

#include <gtest/gtest.h>

#include <cstdlib>

#include <QGuiApplication>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
