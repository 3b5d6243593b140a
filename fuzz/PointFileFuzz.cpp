// Importing a point file of any contents: no crash, at most 10,001 points,
// and only the errors the import may raise (a number beyond the double range,
// a line beyond the length the import takes).
//
// Input: the file's bytes.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/PointFile.h"
#include "numtext/Extended.h"

namespace {

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "%s\n", what.c_str());
  std::abort();
}

// The file lives in memory; its path goes through the descriptor.
int g_file = -1;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  curvella::SetFloatingPointMode();
  g_file = memfd_create("points.csv", 0);
  if (g_file < 0) Fail("memfd_create failed");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace curvella;
  if (ftruncate(g_file, 0) != 0 || pwrite(g_file, data, size, 0) != static_cast<ssize_t>(size))
    Fail("cannot write the point file");
  const std::string path = "/proc/self/fd/" + std::to_string(g_file);
  int points = 0;
  try {
    TPointFileImport import(path);
    import.ReadPoints([&](double, double) { ++points;
  });
}
catch (const EOverflow&) {
}
catch (const EInOutError& e) {
  if (e.Message() != kInvalidNumericInput) Fail("import failed with \"" + e.Message() + "\"");
}
if (points > kMaxImportLines) Fail(std::to_string(points) + " points imported");
return 0;
}
