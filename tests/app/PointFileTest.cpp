#include "app/PointFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <vector>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "numtext/Extended.h"
#include "numtext/NumberText.h"
#include "support/RowName.h"
#include "support/TempFolder.h"

namespace curvella {
namespace {

namespace fs = std::filesystem;

class PointFile : public testing::Test {
protected:
  void TearDown() override { SetFileFaultHook(nullptr); }

  std::string In(const std::string& name) const { return m_temp.In(name); }

  static void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::vector<std::pair<double, double>> Import(const std::string& path) {
    std::vector<std::pair<double, double>> points;
    TPointFileImport pointFile(path);
    pointFile.ReadPoints([&](double x, double y) { points.emplace_back(x, y); });
    return points;
  }

  static TRunRecord Run(const std::string& expression, const std::string& first, const std::string& last,
                        const std::string& steps) {
    TRunRecord record;
    RunSampling({expression, first, last, steps}, record, [](double, double) {});
    return record;
  }

  test::TTempFolder m_temp;
  const fs::path& m_folder = m_temp.Path();
};

TEST_F(PointFile, ExportsTwoLinesOfTheSquare) {
  ExportPointFile(In("a.csv"), Run("x^2", "0", "2", "2"));
  EXPECT_EQ(Contents(In("a.csv")), " 0.00000000000000E+0000; 0.00000000000000E+0000\r\n"
                                   " 1.00000000000000E+0000; 1.00000000000000E+0000\r\n");
}

TEST_F(PointFile, EveryLineIs47CharactersAndRepeatsRunsX) {
  const TRunRecord record = Run("sin(x)*x", "-3.7", "11.1", "333");
  std::vector<double> xs;
  RunSampling({"sin(x)*x", "-3.7", "11.1", "333"}, *std::make_unique<TRunRecord>(),
              [&](double x, double) { xs.push_back(x); });
  std::vector<std::string> lines;
  WritePointLines(record, [&](std::string_view line) { lines.emplace_back(line); });
  ASSERT_EQ(lines.size(), 333u);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].size(), 49u);
    EXPECT_EQ(lines[i].substr(0, 23), RealToText(xs[i]));
  }
}

TEST_F(PointFile, RoundTripKeepsFifteenDigits) {
  const TRunRecord record = Run("x/3", "0.1", "7", "50");
  ExportPointFile(In("r.csv"), record);
  const auto points = Import(In("r.csv"));
  ASSERT_EQ(points.size(), 50u);
  double x = record.FirstX;
  for (std::size_t i = 0; i < points.size(); ++i) {
    EXPECT_EQ(points[i].first, StoreDouble(TextToReal(RealToText(x)).Value));
    EXPECT_EQ(points[i].second, StoreDouble(TextToReal(RealToText(record.SampledY[i])).Value));
    x = NextX(x, record.FirstX, record.LastX, record.StepCount);
  }
}

TEST_F(PointFile, ExportBeforeAnyRunWritesAnEmptyFile) {
  ExportPointFile(In("e.csv"), TRunRecord());
  EXPECT_TRUE(fs::exists(In("e.csv")));
  EXPECT_EQ(fs::file_size(In("e.csv")), 0u);
}

TEST_F(PointFile, ExportAfterAFailedRunWritesOnlyItsPoints) {
  TRunRecord record = Run("x", "0", "1", "10"); // leaves y = 0 for ten steps
  for (double& y : record.SampledY) y = 99;     // and older values beyond
  EXPECT_THROW(RunSampling({"1/x", "-0.5", "0.5", "4"}, record, [](double, double) {}), EZeroDivide);
  ExportPointFile(In("f.csv"), record);
  EXPECT_EQ(Contents(In("f.csv")), "-5.00000000000000E-0001;-2.00000000000000E+0000\r\n"
                                   "-2.50000000000000E-0001;-4.00000000000000E+0000\r\n");
}

struct ImportRow {
  const char* Name;
  const char* Bytes;
  std::size_t Size; // of Bytes, which may hold NUL
  std::vector<std::pair<double, double>> Points;
};

class ImportTable : public PointFile, public testing::WithParamInterface<ImportRow> {};

TEST_P(ImportTable, ReadsLinesByTheRules) {
  Put(In("i.csv"), std::string(GetParam().Bytes, GetParam().Size));
  EXPECT_EQ(Import(In("i.csv")), GetParam().Points);
}

#define BYTES(s) s, sizeof(s) - 1

INSTANTIATE_TEST_SUITE_P(PointFile, ImportTable,
                         testing::Values(ImportRow{"Plain", BYTES("1.5;2.5\r\n"), {{1.5, 2.5}}},
                                         ImportRow{"SecondSemicolonEndsY", BYTES("3;4;5\r\n"), {{3, 4}}},
                                         ImportRow{"NoSemicolonIsAllY", BYTES("7\r\n"), {{0, 7}}},
                                         ImportRow{"LettersGiveZero", BYTES("abc;1\r\n"), {{0, 1}}},
                                         ImportRow{"FirstLineEmpty", BYTES("\r\n1;2\r\n"), {}},
                                         ImportRow{"EmptyFile", BYTES(""), {}},
                                         ImportRow{"EmptyLineEndsTheImport", BYTES("1;2\n\n3;4\n"), {{1, 2}}},
                                         ImportRow{"LineFeedsOnly", BYTES("1;2\n3;4\n"), {{1, 2}, {3, 4}}},
                                         ImportRow{"LoneCarriageReturnDropped", BYTES("1;2\r5\n"), {{1, 25}}},
                                         ImportRow{"CtrlZEndsTheFile",
                                                   BYTES("1;2\n3;4\x1a"
                                                         "5;6\n"),
                                                   {{1, 2}, {3, 4}}},
                                         ImportRow{"LastLineWithoutEnd", BYTES("1;2\n3;4"), {{1, 2}, {3, 4}}},
                                         ImportRow{"NulByteEndsTheReading",
                                                   BYTES("1;2\0"
                                                         "9\n"),
                                                   {{1, 2}}},
                                         ImportRow{"DigitsReadUpToTheError", BYTES("1.5x;2e\n"), {{15, 2}}},
                                         ImportRow{
                                             "NumberTextsWithBlanks",
                                             BYTES(" 1.00000000000000E+0000;-2.50000000000000E-0001\r\n"),
                                             {{1, -0.25}}}),
                         test::RowName());

TEST_F(PointFile, ImportTakesAtMost10001Lines) {
  std::string bytes;
  for (int i = 0; i < 20000; ++i) bytes += std::to_string(i) + ";1\r\n";
  Put(In("big.csv"), bytes);
  const auto points = Import(In("big.csv"));
  ASSERT_EQ(points.size(), 10001u);
  EXPECT_EQ(points.back().first, 10000);
}

// Lines of up to a mebibyte are read as any other; a longer one ends the
// import as a line that cannot be read does, with the points before it kept
// and without reading the rest of it.
TEST_F(PointFile, ImportTakesLinesOfUpToOneMebibyte) {
  const std::size_t mebibyte = 1 << 20;
  Put(In("long.csv"), "2;3" + std::string(mebibyte - 3, ' ') + "\r\n4;5\r\n");
  EXPECT_EQ(Import(In("long.csv")), (std::vector<std::pair<double, double>>{{2, 3}, {4, 5}}));
  // A mebibyte of digits overflows the extended range while it is read.
  Put(In("digits.csv"), "1;2\r\n2;" + std::string(mebibyte - 2, '1') + "\r\n");
  std::vector<std::pair<double, double>> points;
  TPointFileImport pointFile(In("digits.csv"));
  EXPECT_THROW(pointFile.ReadPoints([&](double x, double y) { points.emplace_back(x, y); }), EOverflow);
  EXPECT_EQ(points.size(), 1u);

  for (const char* end : {"\r\n4;5\r\n", ""}) {
    Put(In("longer.csv"), "1;2\r\n2;3" + std::string(mebibyte - 2, ' ') + end);
    points.clear();
    TPointFileImport longer(In("longer.csv"));
    try {
      longer.ReadPoints([&](double x, double y) { points.emplace_back(x, y); });
      ADD_FAILURE() << "a line over a mebibyte was read";
    } catch (const EInOutError& e) {
      EXPECT_EQ(e.Message(), "Invalid numeric input");
    }
    EXPECT_EQ(points, (std::vector<std::pair<double, double>>{{1, 2}}));
  }
}

// A device without end, whose one line never ends: refused at its first line,
// before anything changes, in bounded memory.
TEST_F(PointFile, ImportOfAnEndlessLineIsRefused) {
  try {
    TPointFileImport endless("/dev/zero");
    ADD_FAILURE() << "the endless line was read";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.Message(), "Invalid numeric input");
  }
}

TEST_F(PointFile, ImportOfAValueBeyondTheDoubleRangeKeepsThePointsBefore) {
  Put(In("o.csv"), "1;2\r\n1e400;3\r\n5;6\r\n");
  std::vector<std::pair<double, double>> points;
  TPointFileImport pointFile(In("o.csv"));
  EXPECT_THROW(pointFile.ReadPoints([&](double x, double y) { points.emplace_back(x, y); }), EOverflow);
  EXPECT_EQ(points, (std::vector<std::pair<double, double>>{{1, 2}}));
}

// The largest doubles print rounded up, beyond the double range: such a line
// cannot be read back.
TEST_F(PointFile, TheLargestDoublesDoNotComeBack) {
  const std::string line = PointLine(1, std::numeric_limits<double>::max());
  EXPECT_EQ(line, " 1.00000000000000E+0000; 1.79769313486232E+0308\r\n");
  Put(In("max.csv"), PointLine(0, 1) + line);
  std::vector<std::pair<double, double>> points;
  TPointFileImport pointFile(In("max.csv"));
  EXPECT_THROW(pointFile.ReadPoints([&](double x, double y) { points.emplace_back(x, y); }), EOverflow);
  EXPECT_EQ(points, (std::vector<std::pair<double, double>>{{0, 1}}));
  // One 15-digit step below comes back.
  Put(In("below.csv"), " 1.79769313486231E+0308;1\r\n");
  EXPECT_EQ(Import(In("below.csv")), (std::vector<std::pair<double, double>>{{1.79769313486231e308, 1}}));
}

TEST_F(PointFile, ImportFailsAtTheOpenWithTheSystemsMessages) {
  const auto message = [&](const std::string& path) -> std::string {
    try {
      TPointFileImport pointFile(path);
    } catch (const EInOutError& e) {
      return e.Message();
    }
    return "opened";
  };
  EXPECT_EQ(message(In("missing.csv")), "File not found");
  EXPECT_EQ(message(m_folder.string()), "File access denied");
  EXPECT_EQ(message(In("no-folder/a.csv")), "Invalid filename");
  Put(In("x.csv"), "1;2\n");
  SetFileFaultHook([](TFileOperation op) { return op == TFileOperation::Read ? EIO : 0; });
  EXPECT_EQ(message(In("x.csv")), "I/O error 5");
}

TEST_F(PointFile, ExportFailuresLoseNothing) {
  const TRunRecord record = Run("x", "0", "1", "5000");
  const std::string target = In("keep.csv");
  Put(target, "old contents\r\n");
  const auto message = [&](const std::string& path) -> std::string {
    try {
      ExportPointFile(path, record);
    } catch (const EInOutError& e) {
      return e.Message();
    }
    return "written";
  };
  // A full disk in the middle of the file.
  int writes = 0;
  SetFileFaultHook(
      [&](TFileOperation op) { return op == TFileOperation::Write && ++writes == 2 ? ENOSPC : 0; });
  EXPECT_EQ(message(target), "Disk full");
  SetFileFaultHook([](TFileOperation op) { return op == TFileOperation::Open ? EACCES : 0; });
  EXPECT_EQ(message(target), "File access denied");
  SetFileFaultHook(nullptr);
  EXPECT_EQ(Contents(target), "old contents\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()),
            1); // no temporary file
  EXPECT_EQ(message(In("no-folder/a.csv")), "Invalid filename");
  EXPECT_EQ(message(m_folder.string()), "File access denied");
  // A device is written in place and stays a device: a full-disk device of
  // our own, so that a writer that replaced devices could not damage the
  // machine's /dev/full.
  std::string device = In("full");
  if (::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 7)) != 0) device = "/dev/full";
  EXPECT_EQ(message(device), "Disk full");
  EXPECT_TRUE(fs::is_character_file(device));
  // Saving over an existing file replaces it without a question.
  EXPECT_EQ(message(target), "written");
  EXPECT_EQ(fs::file_size(target), 5000u * 49u);
}

} // namespace
} // namespace curvella
