// Speed of the number-text conversions: Run converts every intermediate
// result to text and back, and every axis label is formatted by a picture.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "numtext/NumberText.h"
#include "numtext/PictureFormat.h"

namespace curvella {
namespace {

std::vector<double> Values() {
  std::mt19937_64 random(1);
  std::uniform_real_distribution<double> exponent(-20, 20);
  std::vector<double> values(4096);
  for (double& v : values) v = std::pow(10.0, exponent(random)) * (random() % 2 ? -1 : 1);
  return values;
}

void BM_RealToText(benchmark::State& state) {
  const std::vector<double> values = Values();
  char text[kNumberTextLength];
  std::size_t i = 0;
  for (auto _ : state) {
    RealToText(values[i++ & 4095], text);
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(BM_RealToText);

void BM_RealToTextString(benchmark::State& state) {
  const std::vector<double> values = Values();
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(RealToText(values[i++ & 4095]));
}
BENCHMARK(BM_RealToTextString);

void BM_TextToReal(benchmark::State& state) {
  std::vector<std::string> texts;
  for (double v : Values()) texts.push_back(RealToText(v));
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(TextToReal(texts[i++ & 4095]));
}
BENCHMARK(BM_TextToReal);

// The C library's conversions of the same texts, for comparison.
void BM_LibrarySnprintf(benchmark::State& state) {
  const std::vector<double> values = Values();
  char text[64];
  std::size_t i = 0;
  for (auto _ : state) {
    std::snprintf(text, sizeof text, "%.14Le", static_cast<long double>(values[i++ & 4095]));
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(BM_LibrarySnprintf);

void BM_LibraryStrtold(benchmark::State& state) {
  std::vector<std::string> texts;
  for (double v : Values()) texts.push_back(RealToText(v));
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(strtold(texts[i++ & 4095].c_str(), nullptr));
}
BENCHMARK(BM_LibraryStrtold);

void BM_FormatPictureWide(benchmark::State& state) {
  const std::vector<double> values = Values();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        FormatPicture("### ### ### ### ### ### ###.### ### ### ### ### ### ###", values[i++ & 4095]));
  }
}
BENCHMARK(BM_FormatPictureWide);

void BM_FormatPictureGrouped(benchmark::State& state) {
  const std::vector<double> values = Values();
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(FormatPicture("#,##0.###", values[i++ & 4095]));
}
BENCHMARK(BM_FormatPictureGrouped);

} // namespace
} // namespace curvella
