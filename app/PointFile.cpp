#include "app/PointFile.h"

#include "numtext/Extended.h"
#include "numtext/NumberText.h"

namespace curvella {

std::string PointLine(double x, double y) {
  std::string line = RealToText(x);
  line += ';';
  line += RealToText(y);
  line += "\r\n";
  return line;
}

void WritePointLines(const TRunRecord& record, const std::function<void(std::string_view line)>& write) {
  double x = record.FirstX;
  for (std::int32_t step = 1; step <= record.CompletedSteps; ++step) {
    write(PointLine(x, record.SampledY[step - 1]));
    // Run advanced past every completed step, so this repeats its arithmetic
    // without error; after the last line there is nothing to advance to.
    if (step < record.CompletedSteps) x = NextX(x, record.FirstX, record.LastX, record.StepCount);
  }
}

void ExportPointFile(const std::string& path, const TRunRecord& record) {
  TFileWriter file(path);
  WritePointLines(record, [&](std::string_view line) { file.Write(line); });
  file.Commit();
}

TPointFileImport::TPointFileImport(const std::string& path) : m_reader(path), m_line(m_reader.ReadLine()) {}

void TPointFileImport::ReadPoints(const TPointSink& onPoint) {
  // The limit is tested before the count is raised.
  for (int count = 0; !m_line.empty() && count < kMaxImportLines; ++count) {
    const std::size_t semicolon = m_line.find(';');
    const std::string_view line = m_line;
    const std::string_view xText =
        semicolon == std::string::npos ? std::string_view() : line.substr(0, semicolon);
    const std::string_view yText = semicolon == std::string::npos ? line : line.substr(semicolon + 1);
    const double x = StoreDouble(TextToReal(xText).Value);
    const double y = StoreDouble(TextToReal(yText).Value);
    onPoint(x, y);
    m_line = m_reader.ReadLine();
  }
  m_reader.Close();
}

} // namespace curvella
