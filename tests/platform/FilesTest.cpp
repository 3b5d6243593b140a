#include "platform/Files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "support/RowName.h"
#include "support/TempFolder.h"

namespace curvella {
namespace {

namespace fs = std::filesystem;

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Store(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

mode_t ModeOf(const std::string& path) {
  struct stat status {};
  EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
  return status.st_mode & 07777;
}

std::size_t OpenDescriptorCount() {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

template <class F> std::string ErrorOf(F&& action) {
  try {
    action();
  } catch (const EInOutError& e) {
    return e.Message();
  }
  return "no error";
}

// Fails the given occurrence of an operation with the error.
TFileFaultHook FailOn(TFileOperation operation, int error, int occurrence = 1) {
  return [=, count = 0](TFileOperation o) mutable {
    return o == operation && ++count == occurrence ? error : 0;
  };
}

class TextFile : public testing::Test {
protected:
  ~TextFile() override { SetFileFaultHook({}); }

  std::string In(const std::string& name) const { return m_temp.In(name); }

  // What the folder holds, so that a temporary file left behind shows.
  std::set<std::string> Entries(const std::string& sub = "") const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(In(sub))) names.insert(entry.path().filename().string());
    return names;
  }

  test::TTempFolder m_temp;
  std::string m_folder = m_temp.Path().string();
};

struct ReadRow {
  const char* Name;
  std::string Content;
  std::vector<std::string> Lines;
};

class ReadTable : public TextFile, public testing::WithParamInterface<ReadRow> {};

TEST_P(ReadTable, YieldsTheLinesThenEmptyLinesForEver) {
  const ReadRow& row = GetParam();
  Store(In("f"), row.Content);
  TTextFileReader reader(In("f"));
  for (const std::string& line : row.Lines) {
    EXPECT_FALSE(reader.AtEnd());
    EXPECT_EQ(reader.ReadLine(), line);
  }
  EXPECT_TRUE(reader.AtEnd());
  for (int i = 0; i < 3; ++i) EXPECT_EQ(reader.ReadLine(), "");
  EXPECT_TRUE(reader.AtEnd());
  reader.Close();
}

const std::string kLongLine(1 << 20, 'x');
const std::string kChunkMinusOne(64 * 1024 - 1, 'y');

INSTANTIATE_TEST_SUITE_P(
    TextFile, ReadTable,
    testing::Values(ReadRow{"LineFeed", "a\nb\n", {"a", "b"}}, ReadRow{"CrLf", "a\r\nb\r\n", {"a", "b"}},
                    ReadRow{"LoneCrIsLeftOut", "a\rb\r\rc\n", {"abc"}},
                    ReadRow{"CtrlZEndsTheFile",
                            "a\x1A"
                            "b\n",
                            {"a"}},
                    ReadRow{"CtrlZAfterALine",
                            "a\n\x1A"
                            "b\n",
                            {"a"}},
                    ReadRow{"LastLineWithoutEnd", "a\r\nb\nc", {"a", "b", "c"}},
                    ReadRow{"EmptyLinesAreNotTheEnd", "\n\r\n\n", {"", "", ""}}, ReadRow{"Empty", "", {}},
                    ReadRow{"NulInsideALine", std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
                    ReadRow{"MebibyteLine", kLongLine + "\nz", {kLongLine, "z"}},
                    ReadRow{"CrLfAcrossChunks", kChunkMinusOne + "\r\nz\n", {kChunkMinusOne, "z"}}),
    test::RowName());

TEST_F(TextFile, ReaderRefusesAMissingFileAndADirectory) {
  EXPECT_EQ(ErrorOf([&] { TTextFileReader reader(In("missing")); }), "File not found");
  // A missing folder on the way makes the path wrong, not the file missing.
  EXPECT_EQ(ErrorOf([&] { TTextFileReader reader(In("missing/f")); }), "Invalid filename");
  EXPECT_EQ(ErrorOf([&] { TTextFileReader reader(In("missing/deeper/f")); }), "Invalid filename");
  EXPECT_EQ(ErrorOf([&] { TTextFileReader reader(m_folder); }), "File access denied");
}

TEST_F(TextFile, ReaderReportsReadAndCloseFailures) {
  Store(In("f"), "a\n");
  const std::size_t descriptors = OpenDescriptorCount();
  {
    TTextFileReader reader(In("f"));
    SetFileFaultHook(FailOn(TFileOperation::Read, EIO));
    EXPECT_EQ(ErrorOf([&] { reader.ReadLine(); }), "I/O error 5");
    SetFileFaultHook(FailOn(TFileOperation::Close, ENOSPC));
    EXPECT_EQ(ErrorOf([&] { reader.Close(); }), "Disk full");
  }
  EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

TEST_F(TextFile, NewFileGetsThePermissionsOfAPlainCreate) {
  const mode_t old = ::umask(027);
  {
    TFileWriter writer(In("new"));
    writer.Write("a\r\n");
    writer.Commit();
  }
  ::umask(old);
  EXPECT_EQ(Contents(In("new")), "a\r\n");
  EXPECT_EQ(ModeOf(In("new")), 0640u);
  EXPECT_EQ(Entries(), std::set<std::string>{"new"});
}

TEST_F(TextFile, ReplacedFileKeepsItsMode) {
  Store(In("f"), "old contents that are longer\n");
  ASSERT_EQ(::chmod(In("f").c_str(), 0604), 0);
  TFileWriter writer(In("f"));
  writer.Write("new\n");
  writer.Commit();
  EXPECT_EQ(Contents(In("f")), "new\n");
  EXPECT_EQ(ModeOf(In("f")), 0604u);
  EXPECT_EQ(Entries(), std::set<std::string>{"f"});
}

TEST_F(TextFile, RelativeLinkIsFollowedFromItsOwnFolder) {
  fs::create_directory(In("sub"));
  Store(In("sub/target"), "old\n");
  fs::create_symlink("sub/target", In("link"));
  TFileWriter writer(In("link"));
  writer.Write("new\n");
  writer.Commit();
  EXPECT_TRUE(fs::is_symlink(In("link")));
  EXPECT_EQ(Contents(In("sub/target")), "new\n");
  EXPECT_EQ(Entries("sub"), std::set<std::string>{"target"});
}

TEST_F(TextFile, WriterDestroyedWithoutCommitLeavesTheTarget) {
  Store(In("f"), "old\n");
  {
    TFileWriter writer(In("f"));
    writer.Write(kLongLine);
  }
  EXPECT_EQ(Contents(In("f")), "old\n");
  EXPECT_EQ(Entries(), std::set<std::string>{"f"});
}

TEST_F(TextFile, DeviceIsWrittenInPlace) {
  // Tests run as root, so a writer that wrongly replaced the device would
  // replace the system's /dev/full; use a node of our own where we may.
  std::string device = In("full");
  if (::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 7)) != 0) device = "/dev/full";
  TFileWriter writer(device);
  writer.Write("a\n");
  EXPECT_EQ(ErrorOf([&] { writer.Commit(); }), "Disk full");
  struct stat status {};
  ASSERT_EQ(::lstat(device.c_str(), &status), 0);
  EXPECT_TRUE(S_ISCHR(status.st_mode));
}

struct OpenRow {
  const char* Name;
  std::string Path;
  const char* Message;
};

class WriterOpenTable : public TextFile, public testing::WithParamInterface<OpenRow> {};

TEST_P(WriterOpenTable, FailsAtTheConstructor) {
  Store(In("file"), "old\n");
  fs::create_directory(In("dir"));
  fs::create_symlink("loop2", In("loop1"));
  fs::create_symlink("loop1", In("loop2"));
  const std::set<std::string> before = Entries();
  EXPECT_EQ(ErrorOf([&] { TFileWriter writer(In(GetParam().Path)); }), GetParam().Message);
  EXPECT_EQ(Entries(), before);
  EXPECT_EQ(Contents(In("file")), "old\n");
}

INSTANTIATE_TEST_SUITE_P(TextFile, WriterOpenTable,
                         testing::Values(OpenRow{"MissingFolder", "missing/f", "Invalid filename"},
                                         OpenRow{"FileAsFolder", "file/f", "Invalid filename"},
                                         OpenRow{"Directory", "dir", "File access denied"},
                                         OpenRow{"LinkLoop", "loop1", "Invalid filename"}),
                         test::RowName());

struct FaultRow {
  const char* Name;
  TFileOperation Operation;
  int Occurrence;
  int Error;
  const char* Message;
};

class WriterFaultTable : public TextFile, public testing::WithParamInterface<FaultRow> {};

TEST_P(WriterFaultTable, LeavesTheTargetAndNoTemporaryFile) {
  const FaultRow& row = GetParam();
  Store(In("f"), "old\n");
  const std::size_t descriptors = OpenDescriptorCount();
  SetFileFaultHook(FailOn(row.Operation, row.Error, row.Occurrence));
  std::unique_ptr<TFileWriter> writer;
  const std::string error = ErrorOf([&] {
    writer = std::make_unique<TFileWriter>(In("f"));
    for (int i = 0; i < 256; ++i) writer->Write(std::string(4095, 'z') + "\n");
    writer->Commit();
  });
  EXPECT_EQ(error, row.Message);
  // The writer is spent: a second Commit must not put a partial file in place.
  if (writer) {
    EXPECT_THROW(writer->Commit(), EInOutError);
  }
  writer.reset();
  EXPECT_EQ(Contents(In("f")), "old\n");
  EXPECT_EQ(Entries(), std::set<std::string>{"f"});
  EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

INSTANTIATE_TEST_SUITE_P(
    TextFile, WriterFaultTable,
    testing::Values(FaultRow{"ReadOnlyFileSystemAtOpen", TFileOperation::Open, 1, EROFS,
                             "File access denied"},
                    FaultRow{"DiskFullMidWrite", TFileOperation::Write, 3, ENOSPC, "Disk full"},
                    FaultRow{"QuotaAtSync", TFileOperation::Sync, 1, EDQUOT, "Disk full"},
                    FaultRow{"IoErrorAtClose", TFileOperation::Close, 1, EIO, "I/O error 5"},
                    FaultRow{"IoErrorAtRename", TFileOperation::Rename, 1, EIO, "I/O error 5"}),
    test::RowName());

ino_t InodeOf(const std::string& path) {
  struct stat status {};
  EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
  return status.st_ino;
}

// Faults by the order of the calls: each entry fails the given occurrence of
// its operation, counted from the writer's start.
struct TFault {
  TFileOperation Operation;
  int Occurrence;
  int Error;
  bool AfterRename = false; // counted from the first rename on
};

using TCounts = std::map<TFileOperation, int>;

TFileFaultHook Faults(std::vector<TFault> faults,
                      std::shared_ptr<TCounts> counts = std::make_shared<TCounts>()) {
  return [faults, counts, sinceRename = TCounts()](TFileOperation o) mutable {
    const int n = ++(*counts)[o];
    const int m = counts->contains(TFileOperation::Rename) ? ++sinceRename[o] : 0;
    for (const TFault& f : faults) {
      if (f.Operation == o && (f.AfterRename ? m : n) == f.Occurrence) return f.Error;
    }
    return 0;
  };
}

// The writer's first open is the temporary file's; when its folder refuses
// it (or refuses the rename at the end) the target is written in place.
constexpr TFault kFolderRefusesTemporary{TFileOperation::Open, 1, EACCES};
constexpr TFault kFolderRefusesRename{TFileOperation::Rename, 1, EPERM};

struct InPlaceRow {
  const char* Name;
  std::vector<TFault> Faults;
  const char* Message; // "" when the save succeeds
};

class InPlaceTable : public TextFile, public testing::WithParamInterface<InPlaceRow> {};

// Old contents longer than the part of the new ones written before a
// failure, and shorter than all of them: a failure must put back every old
// byte and cut the file to its old length.
TEST_P(InPlaceTable, KeepsTheOldContentsUntilTheNewAreComplete) {
  const InPlaceRow& row = GetParam();
  const std::string old = std::string(300000, 'o') + "\n";
  const std::string fresh(256 * 4096, 'n');
  Store(In("f"), old);
  const ino_t inode = InodeOf(In("f"));
  const std::size_t descriptors = OpenDescriptorCount();
  const auto counts = std::make_shared<TCounts>();
  SetFileFaultHook(Faults(row.Faults, counts));
  const std::string error = ErrorOf([&] {
    TFileWriter writer(In("f"));
    for (std::size_t at = 0; at < fresh.size(); at += 4096) writer.Write(fresh.substr(at, 4096));
    writer.Commit();
  });
  SetFileFaultHook({});
  EXPECT_EQ(error, *row.Message ? row.Message : "no error");
  EXPECT_TRUE(Contents(In("f")) == (*row.Message ? old : fresh));
  EXPECT_EQ(InodeOf(In("f")), inode); // written in place, never replaced
  EXPECT_EQ(Entries(), std::set<std::string>{"f"});
  EXPECT_EQ(OpenDescriptorCount(), descriptors);
  // The row's way into place was taken.
  const bool renameRefused = row.Faults.front().Operation == TFileOperation::Rename;
  EXPECT_EQ((*counts)[TFileOperation::Rename], renameRefused ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    TextFile, InPlaceTable,
    testing::Values(InPlaceRow{"NoTemporaryFile", {kFolderRefusesTemporary}, ""},
                    InPlaceRow{"NoTemporaryFileDiskFullMidWrite",
                               {kFolderRefusesTemporary, {TFileOperation::Write, 3, ENOSPC}},
                               "Disk full"},
                    InPlaceRow{"NoTemporaryFileOverTheSizeLimit",
                               {kFolderRefusesTemporary, {TFileOperation::Write, 3, EFBIG}},
                               "Disk full"},
                    InPlaceRow{"NoTemporaryFileCutRefused",
                               {kFolderRefusesTemporary, {TFileOperation::Truncate, 1, EIO}},
                               "I/O error 5"},
                    InPlaceRow{"NoTemporaryFileSyncFails",
                               {kFolderRefusesTemporary, {TFileOperation::Sync, 1, EIO}},
                               "I/O error 5"},
                    InPlaceRow{"NoTemporaryFileCloseFails",
                               {kFolderRefusesTemporary, {TFileOperation::Close, 1, EIO}},
                               "I/O error 5"},
                    // Reading the old contents fails: nothing has been written yet.
                    InPlaceRow{"OldContentsUnreadable",
                               {kFolderRefusesTemporary, {TFileOperation::Read, 1, EIO}},
                               "I/O error 5"},
                    // A file system that refuses the temporary file the target's mode.
                    InPlaceRow{"TemporaryFileRefusesTheMode", {{TFileOperation::Chmod, 1, EPERM}}, ""},
                    InPlaceRow{"TemporaryFileRefusesTheModeDiskFull",
                               {{TFileOperation::Chmod, 1, EPERM}, {TFileOperation::Write, 3, ENOSPC}},
                               "Disk full"},
                    InPlaceRow{"RenameRefused", {kFolderRefusesRename}, ""},
                    InPlaceRow{"RenameRefusedDiskFullMidCopy",
                               {kFolderRefusesRename, {TFileOperation::Write, 3, ENOSPC, true}},
                               "Disk full"},
                    InPlaceRow{"RenameRefusedTargetNotWritable",
                               {kFolderRefusesRename, {TFileOperation::Open, 1, EACCES, true}},
                               "File access denied"}),
    test::RowName());

// Should putting the old contents back fail too, the message is still the
// first failure's, and the file is at least cut back to its old length
// first, which frees what the new contents took.
TEST_F(TextFile, InPlaceFailureReportsTheFirstErrorWhenTheRestoreFailsToo) {
  Store(In("f"), "old\n");
  SetFileFaultHook(
      Faults({kFolderRefusesTemporary, {TFileOperation::Write, 1, ENOSPC}, {TFileOperation::Write, 2, EIO}}));
  const auto save = [&] {
    return ErrorOf([&] {
      TFileWriter writer(In("f"));
      writer.Write(std::string(100000, 'n'));
      writer.Commit();
    });
  };
  EXPECT_EQ(save(), "Disk full");
  // The new contents all written, the cut to their length refused, the old
  // ones refused too.
  SetFileFaultHook(Faults(
      {kFolderRefusesTemporary, {TFileOperation::Truncate, 1, EIO}, {TFileOperation::Write, 2, ENOSPC}}));
  EXPECT_EQ(save(), "I/O error 5");
  EXPECT_EQ(fs::file_size(In("f")), 4u);
  EXPECT_EQ(Entries(), std::set<std::string>{"f"});
}

TEST_F(TextFile, InPlaceWriterDestroyedWithoutCommitPutsTheOldContentsBack) {
  Store(In("f"), "old contents\n");
  SetFileFaultHook(Faults({kFolderRefusesTemporary}));
  {
    TFileWriter writer(In("f"));
    writer.Write(std::string(200000, 'n'));
  }
  EXPECT_EQ(Contents(In("f")), "old contents\n");
}

// Old contents beyond 64 MiB wait in an unnamed file of the temporary
// folder; when that cannot be had either, the save is refused before the
// target is touched.
TEST_F(TextFile, LargeOldContentsWaitInTheTemporaryFolder) {
  const std::string old = std::string(65 << 20, 'o');
  Store(In("big"), old);
  const std::string tmp = In("tmp");
  fs::create_directory(tmp);
  ::setenv("TMPDIR", tmp.c_str(), 1);
  const auto save = [&] {
    return ErrorOf([&] {
      TFileWriter writer(In("big"));
      writer.Write(std::string(100000, 'n'));
      writer.Commit();
    });
  };
  // The new contents are written over the start, then cutting the file to
  // their length fails: all of the old come back from the temporary folder.
  SetFileFaultHook(Faults({kFolderRefusesTemporary, {TFileOperation::Truncate, 1, EIO}}));
  EXPECT_EQ(save(), "I/O error 5");
  EXPECT_TRUE(Contents(In("big")) == old);
  // The same where the temporary folder has no unnamed files: the named
  // scratch file is removed as soon as it is open.
  SetFileFaultHook(Faults(
      {kFolderRefusesTemporary, {TFileOperation::Open, 3, EOPNOTSUPP}, {TFileOperation::Truncate, 1, EIO}}));
  EXPECT_EQ(save(), "I/O error 5");
  EXPECT_TRUE(Contents(In("big")) == old);
  EXPECT_TRUE(fs::is_empty(tmp));
  // Opens: the temporary file, the target, the scratch file in $TMPDIR,
  // then in /tmp.
  SetFileFaultHook(Faults(
      {kFolderRefusesTemporary, {TFileOperation::Open, 3, ENOSPC}, {TFileOperation::Open, 4, ENOSPC}}));
  EXPECT_EQ(save(), "Disk full");
  EXPECT_TRUE(Contents(In("big")) == old);
  EXPECT_TRUE(fs::is_empty(tmp));
  SetFileFaultHook(Faults({kFolderRefusesTemporary}));
  EXPECT_EQ(save(), "no error");
  EXPECT_EQ(fs::file_size(In("big")), 100000u);
  ::unsetenv("TMPDIR");
}

struct MessageRow {
  const char* Name;
  int Error;
  const char* Message;
};

class MessageTable : public testing::TestWithParam<MessageRow> {};

TEST_P(MessageTable, FollowsTheError) {
  const MessageRow& row = GetParam();
  const EInOutError error(row.Error);
  EXPECT_EQ(error.Message(), row.Message);
  EXPECT_EQ(error.OsError(), row.Error);
  EXPECT_EQ(InOutErrorMessage(row.Error), row.Message);
}

INSTANTIATE_TEST_SUITE_P(
    TextFile, MessageTable,
    testing::Values(
        MessageRow{"NoEnt", ENOENT, "File not found"}, MessageRow{"NotDir", ENOTDIR, "Invalid filename"},
        MessageRow{"NameTooLong", ENAMETOOLONG, "Invalid filename"},
        MessageRow{"Loop", ELOOP, "Invalid filename"}, MessageRow{"Inval", EINVAL, "Invalid filename"},
        MessageRow{"MFile", EMFILE, "Too many open files"},
        MessageRow{"NFile", ENFILE, "Too many open files"}, MessageRow{"Acces", EACCES, "File access denied"},
        MessageRow{"Perm", EPERM, "File access denied"},
        MessageRow{"ReadOnlyFs", EROFS, "File access denied"},
        MessageRow{"IsDir", EISDIR, "File access denied"},
        MessageRow{"TextBusy", ETXTBSY, "File access denied"}, MessageRow{"NoSpace", ENOSPC, "Disk full"},
        MessageRow{"Quota", EDQUOT, "Disk full"}, MessageRow{"FileTooBig", EFBIG, "Disk full"},
        MessageRow{"Io", EIO, "I/O error 5"}, MessageRow{"Unknown", 4242, "I/O error 4242"}),
    test::RowName());

// File names arrive in UTF-8; the message is in the single-byte code page
// every error box and file text of Curvella uses.
TEST(PictureFile, CreateErrorNamesTheFileInTheCodePage) {
  const EFCreateError error("/nowhere/gr\xC3\xBCn \xE2\x82\xAC.bmp", ENOENT);
  EXPECT_EQ(error.Message(), "Cannot create file \"/nowhere/gr\xFCn \x80.bmp\". No such file or directory");
}

struct PathRow {
  const char* Name;
  const char* Path;
  const char* Absolute; // after the current folder and its slash
};

class AbsolutePathTable : public testing::TestWithParam<PathRow> {};

// The message names the full path, made absolute as given: links and ".."
// are not resolved.
TEST_P(AbsolutePathTable, NamesTheFullPath) {
  const std::string folder = fs::current_path().string();
  const std::string expected =
      GetParam().Absolute[0] == '/' ? GetParam().Absolute : folder + "/" + GetParam().Absolute;
  EXPECT_EQ(AbsolutePath(GetParam().Path), expected);
  EXPECT_EQ(EFCreateError(GetParam().Path, ENOENT).Message(),
            "Cannot create file \"" + expected + "\". No such file or directory");
}

INSTANTIATE_TEST_SUITE_P(PictureFile, AbsolutePathTable,
                         testing::Values(PathRow{"Relative", "nodir/x.bmp", "nodir/x.bmp"},
                                         PathRow{"DotDotKept", "a/../b.bmp", "a/../b.bmp"},
                                         PathRow{"DotKept", "./x.bmp", "./x.bmp"},
                                         PathRow{"Absolute", "/nowhere/x.bmp", "/nowhere/x.bmp"}),
                         test::RowName());

} // namespace
} // namespace curvella
