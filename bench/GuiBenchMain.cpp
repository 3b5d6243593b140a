// The main of benchmarks that draw text: fonts need a Qt GUI application,
// which runs headless on the offscreen platform.

#include <benchmark/benchmark.h>

#include <cstdlib>

#include <QGuiApplication>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
