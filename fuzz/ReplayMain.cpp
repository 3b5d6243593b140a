// Runs a fuzz target's kept inputs once each, without libFuzzer: every file
// given, and every file of every folder given. A check that fails aborts, as
// under the fuzzer, so every input kept in the corpus stays a test. Prints
// how many inputs ran and the slowest of them.
//
//   expression_replay fuzz/corpus/expression_fuzz
//   -> 1017 inputs; slowest 12.3 ms: fuzz/corpus/expression_fuzz/3f2a...

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i) {
    if (fs::is_directory(argv[i])) {
      for (const auto& entry : fs::directory_iterator(argv[i]))
        if (entry.is_regular_file()) inputs.push_back(entry.path());
    } else {
      inputs.emplace_back(argv[i]);
    }
  }
  std::sort(inputs.begin(), inputs.end());
  LLVMFuzzerInitialize(&argc, &argv);
  double slowest = 0;
  fs::path slowestInput;
  for (const fs::path& input : inputs) {
    std::ifstream in(input, std::ios::binary);
    const std::vector<std::uint8_t> data{std::istreambuf_iterator<char>(in), {}};
    const auto start = std::chrono::steady_clock::now();
    LLVMFuzzerTestOneInput(data.data(), data.size());
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (ms > slowest) {
      slowest = ms;
      slowestInput = input;
    }
  }
  std::printf("%zu inputs; slowest %.1f ms: %s\n", inputs.size(), slowest, slowestInput.c_str());
  return 0;
}
