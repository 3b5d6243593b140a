#include "app/BatchCommand.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/RunCommand.h"
#include "app/WindowChart.h"
#include "platform/Display.h"
#include "support/EmfCheck.h"
#include "support/RowName.h"
#include "support/TempFolder.h"

namespace curvella {
namespace {

struct TBatchResult {
  int Status;
  std::string Out;
  std::string Err;
};

TBatchResult Batch(std::vector<std::string> arguments) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunBatch(arguments, out, err);
  return {status, out.str(), err.str()};
}

// The program itself run by the shell: its exit status and standard output.
TBatchResult Program(const std::string& command) {
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return {-1, "", "cannot start"};
  std::string out;
  char buffer[256];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  return {::pclose(pipe), out, ""};
}

constexpr const char* kQuadraticLines = " 0.00000000000000E+0000; 2.00000000000000E+0000\r\n"
                                        " 1.00000000000000E+0000; 0.00000000000000E+0000\r\n";

TEST(Batch, WritesThePointFileToStandardOutput) {
  const TBatchResult r =
      Batch({"--expr", "x^2-3*x+2", "--first", "0", "--last", "2", "--steps", "2", "--csv", "-"});
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Out, kQuadraticLines);
  EXPECT_EQ(r.Err, "");
}

TEST(Batch, TheProgramPrintsExactlyTheSameBytes) {
  const TBatchResult r =
      Program(std::string(CURVELLA_BATCH) + " --expr 'x^2-3*x+2' --first 0 --last 2 --steps 2 --csv -");
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Out, kQuadraticLines);
}

// Under cron or in a container there is no runtime folder; standard error
// still carries only the command's own message.
TEST(Batch, StandardErrorHoldsOnlyTheCommandsMessages) {
  const TBatchResult r = Program("env -u XDG_RUNTIME_DIR " + std::string(CURVELLA_BATCH) +
                                 " --expr '1/x' --first 0 --last 1 --steps 1 --csv /dev/null 2>&1");
  EXPECT_NE(r.Status, 0);
  EXPECT_EQ(r.Out, "Floating point division by zero.\n");
}

struct OptionRow {
  const char* Name;
  std::vector<std::string> Arguments;
  const char* Out;
};

class OptionTable : public testing::TestWithParam<OptionRow> {};

TEST_P(OptionTable, TakeTheirValuesAsTyped) {
  const TBatchResult r = Batch(GetParam().Arguments);
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, GetParam().Out);
}

INSTANTIATE_TEST_SUITE_P(
    Batch, OptionTable,
    testing::Values(OptionRow{"EqualsForm",
                              {"--expr=x^2-3*x+2", "--first=0", "--last=2", "--steps=2", "--csv=-"},
                              kQuadraticLines},
                    OptionRow{"ValueBeginningWithMinus",
                              {"--expr", "-x+1", "--steps", "1", "--first", "-2"},
                              "-2.00000000000000E+0000; 3.00000000000000E+0000\r\n"},
                    OptionRow{"EqualsInsideTheValue",
                              {"--expr=x", "--steps=1"},
                              " 0.00000000000000E+0000; 0.00000000000000E+0000\r\n"},
                    OptionRow{"EmptyFirstIsZero",
                              {"--expr", "x*1", "--first", "", "--last", "4", "--steps", "2"},
                              " 0.00000000000000E+0000; 0.00000000000000E+0000\r\n"
                              " 2.00000000000000E+0000; 2.00000000000000E+0000\r\n"},
                    OptionRow{"DefaultsAreTheWindowsTexts",
                              {"--steps", "1"},
                              " 0.00000000000000E+0000; 0.00000000000000E+0000\r\n"}),
    test::RowName());

TEST(Batch, ErrorIsShownAsTheWindowWouldAndThePointsBeforeItStay) {
  const TBatchResult r = Batch({"--expr", "1/x", "--first", "-0.5", "--last", "0.5", "--steps", "4"});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "Floating point division by zero.\n");
  EXPECT_EQ(r.Out, "-5.00000000000000E-0001;-2.00000000000000E+0000\r\n"
                   "-2.50000000000000E-0001;-4.00000000000000E+0000\r\n");
}

TEST(Batch, RefusedExpressionAndFileErrors) {
  TBatchResult r = Batch({"--expr", "x*(x+1"});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "Incomplete expression after \"*\": an operand or \")\" is missing.\n");
  EXPECT_EQ(r.Out, "");
  r = Batch({"--csv", "/nonexistent-folder/points.csv"});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "Invalid filename.\n");
}

TEST(Batch, WritesAFile) {
  const test::TTempFolder temp;
  const std::string path = temp.In("points.csv");
  const TBatchResult r = Batch({"--expr", "x^2-3*x+2", "--steps", "2", "--csv", path});
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Out, "");
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), kQuadraticLines);
}

std::uint32_t LittleEndian(const std::string& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// The picture is the window's chart after the same run, pixel for pixel,
// read back by this test's own decoder.
TEST(Batch, DrawsTheWindowsChartAsABmpFile) {
  const test::TTempFolder temp;
  const std::string path = temp.In("chart.bmp");
  const TBatchResult r = Batch({"--expr", "x^2-3*x+2", "--first", "-1", "--last", "4", "--bmp", path});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, "");
  std::ifstream in(path, std::ios::binary);
  const std::string bytes(std::istreambuf_iterator<char>(in), {});
  ASSERT_EQ(bytes.size(), 54u + 989 * 565 * 4);
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  EXPECT_EQ(LittleEndian(bytes, 2, 4), bytes.size());
  EXPECT_EQ(LittleEndian(bytes, 10, 4), 54u);
  EXPECT_EQ(LittleEndian(bytes, 18, 4), 989u);
  EXPECT_EQ(LittleEndian(bytes, 22, 4), 565u);
  EXPECT_EQ(LittleEndian(bytes, 28, 2), 32u);

  TChart chart;
  TLineSeries& series = ApplyWindowChartSettings(chart);
  chart.Paint();
  TRunRecord record;
  RunSampling({"x^2-3*x+2", "-1", "4", "100"}, record, [&](double x, double y) { series.AddPoint(x, y); });
  chart.Paint();
  const QImage& window = chart.WindowImage();
  int blue = 0;
  for (int y = 0; y < 565; ++y) {
    for (int x = 0; x < 989; ++x) {
      // Rows run bottom-up, pixels as blue, green, red and a spare byte.
      const std::uint32_t bgr = LittleEndian(bytes, 54 + (564 - y) * 989 * 4 + x * 4, 3);
      const std::uint32_t color = (bgr & 0xFF) << 16 | (bgr & 0xFF00) | bgr >> 16;
      ASSERT_EQ(color, RGBOfPixel(window.pixel(x, y))) << x << "," << y;
      blue += color == ColorToRGB(clBlue);
    }
  }
  EXPECT_GT(blue, 500);
}

TEST(Batch, SavesTheChartAsAnEnhancedMetafile) {
  const test::TTempFolder temp;
  const std::string path = temp.In("chart.emf");
  const TBatchResult r = Batch({"--expr", "sin(x)", "--emf", path, "--size", "300x200"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  std::ifstream in(path, std::ios::binary);
  const std::string bytes(std::istreambuf_iterator<char>(in), {});
  EXPECT_TRUE(test::ConvertsToSvg(path));
  ASSERT_GT(bytes.size(), 108u);
  EXPECT_EQ(bytes.substr(40, 4), " EMF");
  EXPECT_EQ(LittleEndian(bytes, 48, 4), bytes.size());
  const TScreenSize screen = ScreenSize();
  EXPECT_EQ(LittleEndian(bytes, 32, 4),
            static_cast<std::uint32_t>(MulDiv(299, screen.Millimetres.Width * 100, screen.Pixels.Width)));
}

TEST(Batch, ExplainsTheRewriting) {
  const TBatchResult r = Batch({"--explain", "--expr", "x^2-3*x+2"});
  EXPECT_EQ(r.Status, 0);
  EXPECT_NE(r.Out.find("rewritten: plus(minus(pow(x&2)&mult(3&x))&2)\n"), std::string::npos);
  EXPECT_NE(r.Out.find("calls: 4\n"), std::string::npos);
  EXPECT_NE(r.Out.find("mult(3&x)"), std::string::npos);
  EXPECT_EQ(r.Out.find(";"), std::string::npos); // no points without --csv
}

TEST(Batch, CommandLineMistakes) {
  EXPECT_EQ(Batch({"--frist", "1"}).Status, 2);
  EXPECT_EQ(Batch({"--expr"}).Status, 2);
  const TBatchResult help = Batch({"--help"});
  EXPECT_EQ(help.Status, 0);
  for (const char* topic : {"--expr", "--csv", "1e-3", "2^3^2", "x + 1", "-x^2", "10000"}) {
    EXPECT_NE(help.Out.find(topic), std::string::npos) << topic;
  }
}

} // namespace
} // namespace curvella
