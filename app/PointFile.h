#pragma once

// The point file: one point per line, the number text of x, ";", the number
// text of y, CR LF; no header. Every line written is 47 characters before its
// line end:
//
//   (0, 2) -> " 0.00000000000000E+0000; 2.00000000000000E+0000\r\n"
//
// Export writes the steps of the last run from its record, computing every x
// again the way Run did, so the x column repeats Run's x values bit for bit.
// Only the steps that run completed are written: after a run that stopped on
// an error, the y values of steps it never reached are not in the file.
//
// Import takes one point per line, up to the first empty line and at most
// 10001 lines: x is everything before the first ";", y everything after it
// (a line without ";" is all y), each read with TextToReal and stored as a
// double; a field that does not read cleanly gives what its reading
// accumulated. The file is opened and its first line read before anything
// else happens, so a file that cannot be read changes nothing.
//
//   "1.5;2.5" -> (1.5, 2.5)   "3;4;5" -> (3, 4)   "7" -> (0, 7)   "abc;1" -> (0, 1)

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/RunCommand.h"
#include "platform/Files.h"

namespace curvella {

inline constexpr int kMaxImportLines = 10001;

// One line of the point file, with its CR LF.
std::string PointLine(double x, double y);

// The lines of the last run's completed steps, one call per line.
void WritePointLines(const TRunRecord& record, const std::function<void(std::string_view line)>& write);

// Writes the point file, replacing the file only when all of it was written.
void ExportPointFile(const std::string& path, const TRunRecord& record);

class TPointFileImport {
public:
  // Opens the file and reads its first line; raises the file's error.
  explicit TPointFileImport(const std::string& path);

  // Reads the points and closes the file; every point goes to onPoint.
  void ReadPoints(const TPointSink& onPoint);

private:
  TTextFileReader m_reader;
  std::string m_line;
};

} // namespace curvella
