#include "app/BatchCommand.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>

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

// Standard output is a file in memory.
TBatchResult Batch(std::vector<std::string> arguments) {
  const int fd = ::memfd_create("out", MFD_CLOEXEC);
  TDescriptorWriter out(fd);
  std::ostringstream err;
  const int status = RunBatch(arguments, out, err);
  std::string text(static_cast<std::size_t>(::lseek(fd, 0, SEEK_END)), '\0');
  EXPECT_EQ(::pread(fd, text.data(), text.size(), 0), static_cast<ssize_t>(text.size()));
  ::close(fd);
  return {status, text, err.str()};
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

namespace fs = std::filesystem;

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The program run by bash in a folder of its own (work/), as $B; as the
// unprivileged user nobody when asked, which only root may do. The program
// is copied beside work/, so that nobody can run it wherever the build lies.
class BatchProgram : public testing::Test {
protected:
  BatchProgram() {
    fs::permissions(m_temp.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                       fs::perms::others_read | fs::perms::others_exec);
    fs::copy_file(CURVELLA_BATCH, m_temp.In("curvella-batch"));
    for (const char* folder : {"work", "home"}) {
      fs::create_directory(m_temp.In(folder));
      fs::permissions(m_temp.In(folder), fs::perms::all);
    }
  }

  TBatchResult Run(const std::string& script, bool asNobody = false) {
    const std::string inner = "cd " + m_temp.In("work") + " && export HOME=" + m_temp.In("home") +
                              " XDG_CACHE_HOME=" + m_temp.In("home") + " B=" + m_temp.In("curvella-batch") +
                              " && { " + script + "; }";
    std::string command = asNobody ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    command += "bash -c '" + inner + "' 2>" + m_temp.In("err");
    const TBatchResult r = Program(command);
    return {WIFEXITED(r.Status) ? WEXITSTATUS(r.Status) : -1, r.Out, Contents(m_temp.In("err"))};
  }

  std::string In(const std::string& name) const { return m_temp.In("work/" + name); }
  std::set<std::string> Entries(const std::string& folder = "") const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(In(folder)))
      names.insert(entry.path().filename().string());
    return names;
  }
  static void Store(const std::string& path, const std::string& bytes, fs::perms mode = fs::perms(0666)) {
    std::ofstream(path, std::ios::binary) << bytes;
    fs::permissions(path, mode);
  }

  test::TTempFolder m_temp;
};

struct OutputRow {
  const char* Name;
  const char* Script;
  const char* Err;
};

class StandardOutputTable : public BatchProgram, public testing::WithParamInterface<OutputRow> {};

// Standard output fails like a file: a full device, a closed descriptor, a
// pipe whose reader is gone. The message is printed and the status is 1; a
// picture asked for is still written, and never receives the points.
TEST_P(StandardOutputTable, FailsLikeAFile) {
  const TBatchResult r = Run(GetParam().Script);
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, GetParam().Err);
  if (std::string_view(GetParam().Script).find("--bmp") != std::string_view::npos) {
    const std::string bytes = Contents(In("c.bmp"));
    EXPECT_EQ(bytes.size(), 54u + 989 * 565 * 4);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Batch, StandardOutputTable,
    testing::Values(
        OutputRow{"PointsToAFullDevice", "$B --expr x --steps 10 --csv - >/dev/full", "Disk full.\n"},
        OutputRow{"HelpToAFullDevice", "$B --help >/dev/full", "Disk full.\n"},
        OutputRow{"ExplanationToAFullDevice", "$B --explain --expr x >/dev/full", "Disk full.\n"},
        OutputRow{"Closed", "$B --expr x --steps 10 >&-", "I/O error 9.\n"},
        OutputRow{"ClosedWithAPicture", "$B --expr x --steps 10 --bmp c.bmp --csv - >&-", "I/O error 9.\n"},
        OutputRow{"PipeWithoutReader",
                  "$B --expr x --steps 10000 | head -c 1 >/dev/null; exit ${PIPESTATUS[0]}",
                  "I/O error 32.\n"}),
    test::RowName());

// Without rights to the folder, a writable file is written in place; on a
// full disk the old contents are put back. Needs root, for the other user
// and for the 64 KB disk.
TEST_F(BatchProgram, FullDiskInAFolderThatRefusesTheTemporaryFileKeepsTheOldContents) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user and mount a disk";
  fs::create_directory(In("d"));
  if (::mount("tmpfs", In("d").c_str(), "tmpfs", 0, "size=64k,mode=0755") != 0)
    GTEST_SKIP() << "cannot mount a 64 KB tmpfs here: " << std::strerror(errno);
  struct TUnmount {
    std::string Path;
    ~TUnmount() { ::umount(Path.c_str()); }
  } unmount{In("d")};
  const std::string old(10000, 'o');
  const std::vector<std::pair<std::string, std::string>> saves = {
      {"p.bmp", "$B --expr x --size 300x200 --bmp d/p.bmp"},
      {"p.emf", "$B --expr \"sin(x)\" --last 1000 --steps 10000 --emf d/p.emf"},
      {"p.csv", "$B --expr x --steps 10000 --csv d/p.csv"}};
  for (const auto& [name, command] : saves) {
    Store(In("d/" + name), old);
    const TBatchResult r = Run(command, true);
    EXPECT_EQ(r.Status, 1) << name;
    EXPECT_EQ(r.Err, name == "p.csv" ? "Disk full.\n" : "Stream write error.\n") << name;
    EXPECT_TRUE(Contents(In("d/" + name)) == old) << name;
    fs::remove(In("d/" + name));
  }
  // What fits is written in place.
  Store(In("d/p.csv"), old);
  const TBatchResult r = Run("$B --expr x --steps 2 --csv d/p.csv", true);
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(Contents(In("d/p.csv")), " 0.00000000000000E+0000; 0.00000000000000E+0000\r\n"
                                     " 1.00000000000000E+0000; 0.00000000000000E+0000\r\n");
  EXPECT_EQ(Entries("d"), std::set<std::string>{"p.csv"});
}

// In a shared folder with the sticky bit, another user's writable file may
// be written but not replaced: it is written in place, and stays theirs.
TEST_F(BatchProgram, SharedFolderFileOfAnotherUserIsWrittenInPlace) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  fs::create_directory(In("shared"));
  fs::permissions(In("shared"), fs::perms(01777));
  // One of them even unreadable by its owner: the copy is read back through
  // the temporary file's own descriptor.
  Store(In("shared/p.csv"), "old\n");
  Store(In("shared/p.bmp"), "old\n", fs::perms(0266));
  const TBatchResult r = Run("$B --expr x --steps 2 --csv shared/p.csv --bmp shared/p.bmp", true);
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Err, "");
  EXPECT_EQ(Contents(In("shared/p.csv")).size(), 2u * 49);
  EXPECT_EQ(Contents(In("shared/p.bmp")).size(), 54u + 989 * 565 * 4);
  struct stat status {};
  ASSERT_EQ(::stat(In("shared/p.csv").c_str(), &status), 0);
  EXPECT_EQ(status.st_uid, 0u);
  EXPECT_EQ(Entries("shared"), (std::set<std::string>{"p.bmp", "p.csv"}));
}

// Beyond the file size limit a write fails as on a full disk, instead of
// the signal ending the program with its temporary file left behind.
TEST_F(BatchProgram, FileSizeLimitIsAWriteErrorAndLeavesNothingBehind) {
  Store(In("p.bmp"), "old\n");
  Store(In("p.csv"), "old\n");
  TBatchResult r = Run("ulimit -f 100; $B --expr x --bmp p.bmp");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "Stream write error.\n");
  r = Run("ulimit -f 100; $B --expr x --steps 10000 --csv p.csv");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "Disk full.\n");
  EXPECT_EQ(Contents(In("p.bmp")), "old\n");
  EXPECT_EQ(Contents(In("p.csv")), "old\n");
  EXPECT_EQ(Entries(), (std::set<std::string>{"p.bmp", "p.csv"}));
}

TEST_F(BatchProgram, CreateErrorNamesTheFullPath) {
  const TBatchResult r = Run("$B --expr x --bmp nodir/x.bmp --emf ./nodir/../nodir/x.emf --csv /dev/null");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "Cannot create file \"" + In("nodir/x.bmp") + "\". No such file or directory.\n" +
                       "Cannot create file \"" + In("./nodir/../nodir/x.emf") +
                       "\". No such file or directory.\n");
}

// The PNG holds the BMP's pixels, read back by Qt and by ImageMagick; it and
// the SVG are saved, and refused, as the BMP is.
TEST_F(BatchProgram, PngIsTheBmpsPixels) {
  TBatchResult r = Run("$B --expr x^3-x --first -3 --last 9 --bmp c.bmp --png c.png --csv /dev/null");
  ASSERT_EQ(r.Status, 0) << r.Err;
  const QImage bmp(QString::fromStdString(In("c.bmp")));
  const QImage png(QString::fromStdString(In("c.png")));
  ASSERT_EQ(png.size(), QSize(989, 565));
  EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32), bmp.convertToFormat(QImage::Format_RGB32));
  r = Run("compare -metric AE c.bmp c.png null: 2>&1");
  EXPECT_EQ(r.Out, "0");
  r = Run("$B --expr x --png nodir/x.png --svg nodir/x.svg --csv /dev/null");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "Cannot create file \"" + In("nodir/x.png") + "\". No such file or directory.\n" +
                       "Cannot create file \"" + In("nodir/x.svg") + "\". No such file or directory.\n");
}

// A picture whose pixels cannot be had is the system's refusal, printed
// once; the points are still written. AddressSanitizer cannot run under a
// small address-space limit.
TEST_F(BatchProgram, PictureBeyondTheMemoryIsRefusedAndThePointsStay) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer needs more address space than the limit";
#endif
  const TBatchResult r =
      Run("ulimit -v 1000000; $B --expr x --steps 3 --size 20000x20000 --bmp big.bmp --csv pts.csv");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "Out of system resources.\n");
  EXPECT_EQ(Contents(In("pts.csv")).size(), 3u * 49);
  EXPECT_EQ(Entries(), std::set<std::string>{"pts.csv"});
}

// A metafile needs no raster of the picture's size: a huge one is made in
// an address space far smaller than its pixels would take.
TEST_F(BatchProgram, HugeMetafileNeedsNoRaster) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer needs more address space than the limit";
#endif
  const TBatchResult r = Run("ulimit -v 300000; $B --expr \"sin(x)\" --steps 10000 --size 20000x20000 --emf "
                             "big.emf --csv /dev/null");
  EXPECT_EQ(r.Status, 0) << r.Err;
  const std::string bytes = Contents(In("big.emf"));
  ASSERT_GT(bytes.size(), 108u);
  EXPECT_EQ(bytes.substr(40, 4), " EMF");
}

// The layout passes draw nowhere, and record what the window's paints would
// have laid out.
TEST(Batch, LayoutWithoutARasterRecordsWhatThePaintsLaidOut) {
  for (const TSize size : {TSize{989, 565}, TSize{2000, 2000}}) {
    const auto record = [&](bool paint) {
      TChart chart;
      TLineSeries& series = ApplyWindowChartSettings(chart);
      chart.SetControlSize({size.Width + 2 * kWindowChartBorder, size.Height + 2 * kWindowChartBorder});
      const auto layOut = [&] { paint ? chart.Paint() : chart.LayOut(); };
      layOut();
      TRunRecord run;
      RunSampling({"sin(x)*x^2", "-7", "13", "777"}, run, [&](double x, double y) { series.AddPoint(x, y); });
      layOut();
      return std::make_pair(chart.MakeChartMetafile(true, chart.ClientDrawRect())->Bytes(),
                            chart.MakeChartBitmap(clWhite, chart.ClientDrawRect())->BmpBytes());
    };
    const auto painted = record(true);
    const auto laidOut = record(false);
    EXPECT_TRUE(painted.first == laidOut.first) << size.Width << " x " << size.Height;
    EXPECT_TRUE(painted.second == laidOut.second) << size.Width << " x " << size.Height;
  }
}

} // namespace
} // namespace curvella
