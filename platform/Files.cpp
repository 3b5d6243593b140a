#include "platform/Files.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <random>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QString>

#include "platform/Fonts.h"

namespace curvella {

namespace {

constexpr std::size_t kChunkSize = 64 * 1024;
// The old contents of a file written in place are kept in memory up to this
// size, beyond it in a file of the user's temporary folder.
constexpr std::uint64_t kMaxOldContentsInMemory = 64 * 1024 * 1024;
constexpr char kCtrlZ = '\x1A';
// As many links as the kernel follows before it gives ELOOP.
constexpr int kMaxLinkHops = 40;
constexpr int kMaxTemporaryAttempts = 100;
// Leaves room for the dot, the random part and ".tmp" within NAME_MAX.
constexpr std::size_t kMaxTemporaryStem = 200;

std::shared_ptr<TFileFaultHook> g_hook;

// The error the hook asks for, 0 when there is none. The hook is held while
// it runs, so that it may replace itself.
int InjectedFault(TFileOperation operation) {
  const std::shared_ptr<TFileFaultHook> hook = g_hook;
  return hook ? (*hook)(operation) : 0;
}

[[noreturn]] void Raise(int osError) { throw EInOutError(osError); }

// Owns a file descriptor; closing through the destructor is for clean-up
// after an error has already been reported.
class TDescriptor {
public:
  TDescriptor() = default;
  ~TDescriptor() { CloseSilently(); }
  TDescriptor(const TDescriptor&) = delete;
  TDescriptor& operator=(const TDescriptor&) = delete;

  int Get() const noexcept { return m_fd; }
  bool IsOpen() const noexcept { return m_fd >= 0; }
  void Reset(int fd) noexcept {
    CloseSilently();
    m_fd = fd;
  }
  int Release() noexcept { return std::exchange(m_fd, -1); }
  void CloseSilently() noexcept {
    if (m_fd >= 0) ::close(Release());
  }

private:
  int m_fd = -1;
};

// The helpers below return 0 or the errno value of the failed call.

int OpenFile(const std::string& path, int flags, mode_t mode, TDescriptor& file) {
  if (const int fault = InjectedFault(TFileOperation::Open)) return fault;
  int fd;
  do fd = ::open(path.c_str(), flags, mode);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) return errno;
  file.Reset(fd);
  return 0;
}

int ReadFile(int fd, char* data, std::size_t size, std::size_t& count) {
  if (const int fault = InjectedFault(TFileOperation::Read)) return fault;
  ssize_t n;
  do n = ::read(fd, data, size);
  while (n < 0 && errno == EINTR);
  if (n < 0) return errno;
  count = static_cast<std::size_t>(n);
  return 0;
}

int WriteFile(int fd, std::string_view data) {
  while (!data.empty()) {
    if (const int fault = InjectedFault(TFileOperation::Write)) return fault;
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    // Nothing written without an error only happens when there is no room.
    if (n == 0) return ENOSPC;
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

int ReadFileAt(int fd, char* data, std::size_t size, std::uint64_t offset, std::size_t& count) {
  if (const int fault = InjectedFault(TFileOperation::Read)) return fault;
  ssize_t n;
  do n = ::pread(fd, data, size, static_cast<off_t>(offset));
  while (n < 0 && errno == EINTR);
  if (n < 0) return errno;
  count = static_cast<std::size_t>(n);
  return 0;
}

int WriteFileAt(int fd, std::string_view data, std::uint64_t offset) {
  while (!data.empty()) {
    if (const int fault = InjectedFault(TFileOperation::Write)) return fault;
    const ssize_t n = ::pwrite(fd, data.data(), data.size(), static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return ENOSPC;
    data.remove_prefix(static_cast<std::size_t>(n));
    offset += static_cast<std::uint64_t>(n);
  }
  return 0;
}

int TruncateFile(int fd, std::uint64_t length) {
  if (const int fault = InjectedFault(TFileOperation::Truncate)) return fault;
  int result;
  do result = ::ftruncate(fd, static_cast<off_t>(length));
  while (result != 0 && errno == EINTR);
  return result == 0 ? 0 : errno;
}

int SyncFile(int fd) {
  if (const int fault = InjectedFault(TFileOperation::Sync)) return fault;
  int result;
  do result = ::fsync(fd);
  while (result != 0 && errno == EINTR);
  return result == 0 ? 0 : errno;
}

// The descriptor is gone afterwards whatever the outcome, as with close().
int CloseFile(TDescriptor& file) {
  const int fault = InjectedFault(TFileOperation::Close);
  const int result = ::close(file.Release());
  if (fault) return fault;
  // Linux has released the descriptor even when close is interrupted.
  return result == 0 || errno == EINTR ? 0 : errno;
}

int RenameFile(const std::string& from, const std::string& to) {
  if (const int fault = InjectedFault(TFileOperation::Rename)) return fault;
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// The folder part of a path with its trailing slash; "" for a bare name.
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// An open that failed for want of a file: when a folder on the way is
// missing, it is the path that is wrong ("Invalid filename"), not the file.
[[noreturn]] void RaiseOpenError(const std::string& path, int osError) {
  struct stat status {};
  const std::string folder = FolderOf(path);
  if (osError == ENOENT && !folder.empty() && ::stat(folder.c_str(), &status) != 0 && errno == ENOENT) {
    throw EInOutError(osError, InOutErrorMessage(ENOTDIR));
  }
  Raise(osError);
}

std::string ReadLink(const std::string& path) {
  std::string target(256, '\0');
  for (;;) {
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n < 0) Raise(errno);
    if (static_cast<std::size_t>(n) < target.size()) {
      target.resize(static_cast<std::size_t>(n));
      return target;
    }
    target.resize(target.size() * 2);
  }
}

// Follows symbolic links the way open() would, so that the file a link points
// to is replaced and the link itself stays. Fills status when the file exists.
std::string ResolveTarget(std::string path, struct stat& status, bool& exists) {
  for (int hops = 0;; ++hops) {
    if (::lstat(path.c_str(), &status) != 0) {
      if (errno != ENOENT) Raise(errno);
      exists = false;
      return path;
    }
    if (!S_ISLNK(status.st_mode)) {
      exists = true;
      return path;
    }
    if (hops == kMaxLinkHops) Raise(ELOOP);
    const std::string link = ReadLink(path);
    path = link.starts_with('/') ? link : FolderOf(path) + link;
  }
}

std::string RandomSuffix() {
  thread_local std::mt19937_64 generator{std::random_device{}()};
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(generator()));
  return text;
}

// An unnamed file for the old contents of a file written in place: gone when
// its descriptor closes, so nothing is left behind whatever happens. It goes
// to the user's temporary folder, $TMPDIR, or /tmp when that has no room.
int CreateScratchFile(TDescriptor& file) {
  int error = 0;
  std::vector<std::string> folders;
  if (const char* folder = std::getenv("TMPDIR"); folder && *folder) folders.emplace_back(folder);
  folders.emplace_back("/tmp");
  for (const std::string& folder : folders) {
    error = OpenFile(folder, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600, file);
    if (error == EOPNOTSUPP || error == EISDIR || error == EINVAL) {
      // A file system without unnamed files: a named one, removed at once.
      std::string name = folder + "/curvella-XXXXXX";
      error = InjectedFault(TFileOperation::Open);
      if (!error) {
        const int fd = ::mkostemp(name.data(), O_CLOEXEC);
        error = fd < 0 ? errno : 0;
        if (fd >= 0) {
          file.Reset(fd);
          ::unlink(name.c_str());
        }
      }
    }
    if (!error) return 0;
  }
  return error;
}

// The old contents of a file about to be written in place, to be written
// back should the new contents fail.
class TOldContents {
public:
  // Reads the file from its start; returns 0, or the error that prevents
  // keeping its contents.
  int Keep(int fd) {
    std::vector<char> chunk(kChunkSize);
    std::uint64_t offset = 0;
    for (;;) {
      std::size_t count = 0;
      if (const int error = ReadFileAt(fd, chunk.data(), chunk.size(), offset, count)) return error;
      if (count == 0) break;
      if (const int error = Append(std::string_view(chunk.data(), count))) return error;
      offset += count;
    }
    m_size = offset;
    return 0;
  }

  // Cuts the file to their length, which frees what the new contents took
  // beyond it, and writes them back over it; returns 0 or the first error.
  int Restore(int fd) const noexcept {
    int first = TruncateFile(fd, m_size);
    const auto note = [&](int error) {
      if (!first) first = error;
      return error;
    };
    if (!m_spill.IsOpen()) {
      note(WriteFileAt(fd, m_memory, 0));
    } else {
      char chunk[kChunkSize / 8];
      for (std::uint64_t offset = 0; offset < m_size;) {
        std::size_t count = 0;
        if (note(ReadFileAt(m_spill.Get(), chunk, sizeof chunk, offset, count)) || count == 0) break;
        if (note(WriteFileAt(fd, std::string_view(chunk, count), offset))) break;
        offset += count;
      }
    }
    note(SyncFile(fd));
    return first;
  }

private:
  int Append(std::string_view piece) {
    if (!m_spill.IsOpen() && m_memory.size() + piece.size() <= kMaxOldContentsInMemory) {
      try {
        m_memory.append(piece);
        return 0;
      } catch (const std::bad_alloc&) {
        // No memory for them: the temporary folder takes them instead.
      }
    }
    if (!m_spill.IsOpen()) {
      if (const int error = CreateScratchFile(m_spill)) return error;
      if (const int error = WriteFileAt(m_spill.Get(), m_memory, 0)) return error;
      m_spilled = m_memory.size();
      std::string().swap(m_memory);
    }
    if (const int error = WriteFileAt(m_spill.Get(), piece, m_spilled)) return error;
    m_spilled += piece.size();
    return 0;
  }

  std::string m_memory;
  TDescriptor m_spill;
  std::uint64_t m_spilled = 0;
  std::uint64_t m_size = 0;
};

} // namespace

std::string InOutErrorMessage(int osError) {
  switch (osError) {
  case ENOENT:
    return "File not found";
  case ENOTDIR:
  case ENAMETOOLONG:
  case ELOOP:
  case EINVAL:
    return "Invalid filename";
  case EMFILE:
  case ENFILE:
    return "Too many open files";
  case EACCES:
  case EPERM:
  case EROFS:
  case EISDIR:
  case ETXTBSY:
    return "File access denied";
  case ENOSPC:
  case EDQUOT:
  case EFBIG:
    return "Disk full";
  default:
    return "I/O error " + std::to_string(osError);
  }
}

EInOutError::EInOutError(int osError) : Exception(InOutErrorMessage(osError)), m_osError(osError) {}

std::string AbsolutePath(const std::string& path) {
  if (path.starts_with('/')) return path;
  std::string folder(256, '\0');
  while (!::getcwd(folder.data(), folder.size())) {
    if (errno != ERANGE) return path;
    folder.resize(folder.size() * 2);
  }
  folder.resize(std::strlen(folder.c_str()));
  if (!folder.ends_with('/')) folder += '/';
  return folder + path;
}

// The file name and the system's error text come in the user's encoding;
// messages are in Curvella's single-byte code page.
EFCreateError::EFCreateError(const std::string& path, int osError)
    : Exception("Cannot create file \"" + ToWindows1252(QString::fromLocal8Bit(AbsolutePath(path))) + "\". " +
                ToWindows1252(QString::fromLocal8Bit(std::strerror(osError)))) {}

void SetFileFaultHook(TFileFaultHook hook) {
  g_hook = hook ? std::make_shared<TFileFaultHook>(std::move(hook)) : nullptr;
}

struct TTextFileReader::TState {
  TDescriptor file;
  std::vector<char> buffer = std::vector<char>(kChunkSize);
  std::size_t position = 0;
  std::size_t filled = 0;
  // The end of the file or a Ctrl-Z has been reached; nothing more is read.
  bool ended = false;

  void CheckOpen() const {
    if (!file.IsOpen()) Raise(EBADF);
  }

  // False at the end of the file.
  bool Fill() {
    std::size_t count = 0;
    if (const int error = ReadFile(file.Get(), buffer.data(), buffer.size(), count)) Raise(error);
    position = 0;
    filled = count;
    ended = count == 0;
    return !ended;
  }
};

TTextFileReader::TTextFileReader(const std::string& path) : m_state(std::make_unique<TState>()) {
  if (const int error = OpenFile(path, O_RDONLY | O_CLOEXEC, 0, m_state->file)) RaiseOpenError(path, error);
  // Linux opens a directory for reading; refuse it here rather than at the
  // first read.
  struct stat status;
  if (::fstat(m_state->file.Get(), &status) != 0) Raise(errno);
  if (S_ISDIR(status.st_mode)) Raise(EISDIR);
}

TTextFileReader::~TTextFileReader() = default;

std::string TTextFileReader::ReadLine() {
  TState& s = *m_state;
  s.CheckOpen();
  std::string line;
  while (!s.ended) {
    if (s.position == s.filled && !s.Fill()) break;
    const char* begin = s.buffer.data() + s.position;
    const char* end = s.buffer.data() + s.filled;
    const char* stop = std::find_if(begin, end, [](char c) { return c == '\n' || c == '\r' || c == kCtrlZ; });
    if (line.size() + static_cast<std::size_t>(stop - begin) > kMaxLineLength) {
      // EOVERFLOW stands for the text layer's own error code of this message.
      throw EInOutError(EOVERFLOW, kInvalidNumericInput);
    }
    line.append(begin, stop);
    s.position = static_cast<std::size_t>(stop - s.buffer.data());
    if (stop == end) continue;
    ++s.position;
    if (*stop == '\n') return line;
    if (*stop == kCtrlZ) s.ended = true;
    // A CR, alone or before LF, is left out; the LF ends the line.
  }
  return line;
}

bool TTextFileReader::AtEnd() {
  TState& s = *m_state;
  s.CheckOpen();
  if (s.ended) return true;
  if (s.position == s.filled && !s.Fill()) return true;
  if (s.buffer[s.position] == kCtrlZ) s.ended = true;
  return s.ended;
}

void TTextFileReader::Close() {
  if (!m_state->file.IsOpen()) return;
  if (const int error = CloseFile(m_state->file)) Raise(error);
}

struct TFileWriter::TState {
  std::string target;
  // Empty when the target is written in place.
  std::string temporary;
  TDescriptor file;
  std::string buffer;
  // Set while the target is written in place: what it held before.
  std::optional<TOldContents> old;
  bool spent = false;

  ~TState() { Discard(); }

  // Leaves the target as it was: the temporary file removed, or the old
  // contents of a target written in place put back.
  void Discard() noexcept {
    if (old && file.IsOpen()) old->Restore(file.Get());
    old.reset();
    RemoveTemporary();
    spent = true;
  }

  void RemoveTemporary() noexcept {
    file.CloseSilently();
    if (!temporary.empty()) ::unlink(temporary.c_str());
    temporary.clear();
  }

  [[noreturn]] void Fail(int osError) {
    Discard();
    Raise(osError);
  }

  void CheckUsable() const {
    if (spent) Raise(EBADF);
  }

  void WriteOut(std::string_view data) {
    if (const int error = WriteFile(file.Get(), data)) Fail(error);
  }

  void Flush() {
    WriteOut(buffer);
    buffer.clear();
  }

  // Creates the temporary file with the existing target's owner and mode;
  // on an error nothing of it is left and the writer is still usable.
  void CreateTemporary(const struct stat* existing);
  // Opens the existing target for writing in place and keeps its contents;
  // returns 0 or the error that refuses the save.
  int OpenInPlace();
  void CommitInPlace(std::uint64_t length);
  // The rename was refused: the temporary file's contents, read through
  // source, go into the target in place.
  void CopyIntoPlace(const TDescriptor& source);
};

void TFileWriter::TState::CreateTemporary(const struct stat* existing) {
  const std::string folder = FolderOf(target);
  const std::string stem = target.substr(folder.size(), kMaxTemporaryStem);
  if (stem.empty()) Raise(EISDIR);
  for (int attempt = 1;; ++attempt) {
    std::string candidate = folder + "." + stem + "." + RandomSuffix() + ".tmp";
    // Readable too: should the rename be refused, the contents are copied
    // from it, whatever mode it takes from the target.
    const int error = OpenFile(candidate, O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0666, file);
    if (!error) {
      temporary = std::move(candidate);
      break;
    }
    if (error != EEXIST || attempt == kMaxTemporaryAttempts) RaiseOpenError(candidate, error);
  }
  if (!existing) return;
  // The owner first: changing it may clear set-id bits that the mode then
  // restores. Only a privileged process may give a file away, so a failure
  // leaves the file ours.
  [[maybe_unused]] const int ownerResult = ::fchown(file.Get(), existing->st_uid, existing->st_gid);
  int error = InjectedFault(TFileOperation::Chmod);
  if (!error && ::fchmod(file.Get(), existing->st_mode & 07777) != 0) error = errno;
  if (error) {
    RemoveTemporary();
    Raise(error);
  }
}

int TFileWriter::TState::OpenInPlace() {
  TDescriptor target;
  if (const int error = OpenFile(this->target, O_RDWR | O_CLOEXEC | O_NOCTTY, 0, target)) return error;
  old.emplace();
  if (const int error = old->Keep(target.Get())) {
    old.reset();
    return error;
  }
  file.Reset(target.Release());
  return 0;
}

void TFileWriter::TState::CommitInPlace(std::uint64_t length) {
  if (const int error = TruncateFile(file.Get(), length)) Fail(error);
  if (const int error = SyncFile(file.Get())) Fail(error);
  if (const int error = CloseFile(file)) {
    // The descriptor is gone: the old contents go back through a new one.
    if (OpenFile(target, O_WRONLY | O_CLOEXEC | O_NOCTTY, 0, file) != 0) file.Reset(-1);
    Fail(error);
  }
  old.reset();
}

void TFileWriter::TState::CopyIntoPlace(const TDescriptor& source) {
  if (const int error = OpenInPlace()) Fail(error);
  std::vector<char> chunk(kChunkSize);
  std::uint64_t length = 0;
  for (;;) {
    std::size_t count = 0;
    if (const int error = ReadFileAt(source.Get(), chunk.data(), chunk.size(), length, count)) Fail(error);
    if (count == 0) break;
    WriteOut(std::string_view(chunk.data(), count));
    length += count;
  }
  CommitInPlace(length);
  ::unlink(temporary.c_str());
  temporary.clear();
}

TFileWriter::TFileWriter(const std::string& path) : m_state(std::make_unique<TState>()) {
  TState& s = *m_state;
  if (path.empty()) Raise(ENOENT);
  struct stat status {};
  bool exists = false;
  s.target = ResolveTarget(path, status, exists);
  if (exists && S_ISDIR(status.st_mode)) Raise(EISDIR);
  if (exists && !S_ISREG(status.st_mode)) {
    // A device or a FIFO cannot be replaced, only written to.
    if (const int error = OpenFile(s.target, O_WRONLY | O_CLOEXEC | O_NOCTTY, 0, s.file)) Raise(error);
    return;
  }
  // The replacement would succeed on a read-only file in a writable folder;
  // refuse as writing into the file would.
  if (exists && ::faccessat(AT_FDCWD, s.target.c_str(), W_OK, AT_EACCESS) != 0) Raise(errno);
  s.buffer.reserve(kChunkSize);
  try {
    s.CreateTemporary(exists ? &status : nullptr);
  } catch (const EInOutError& e) {
    // A writable file in a folder we may not write to cannot be replaced;
    // it is written in place, its old contents kept until the new ones are.
    if (!exists || (e.OsError() != EACCES && e.OsError() != EPERM)) throw;
    if (const int error = s.OpenInPlace()) s.Fail(error);
  }
}

TFileWriter::~TFileWriter() = default;

void TFileWriter::Write(std::string_view text) {
  TState& s = *m_state;
  s.CheckUsable();
  if (s.buffer.size() + text.size() < kChunkSize) {
    s.buffer.append(text);
    return;
  }
  s.Flush();
  // A large piece goes out directly rather than through the buffer.
  if (text.size() >= kChunkSize)
    s.WriteOut(text);
  else
    s.buffer.append(text);
}

void TFileWriter::Commit() {
  TState& s = *m_state;
  s.CheckUsable();
  s.Flush();
  if (s.old) {
    // Written from the start: the new contents end at the current offset.
    const off_t length = ::lseek(s.file.Get(), 0, SEEK_CUR);
    if (length < 0) s.Fail(errno);
    s.CommitInPlace(static_cast<std::uint64_t>(length));
    s.spent = true;
    return;
  }
  if (s.temporary.empty()) {
    if (const int error = CloseFile(s.file)) s.Fail(error);
    s.spent = true;
    return;
  }
  if (const int error = SyncFile(s.file.Get())) s.Fail(error);
  // Kept open to read the contents back should the rename be refused.
  TDescriptor contents;
  contents.Reset(::fcntl(s.file.Get(), F_DUPFD_CLOEXEC, 0));
  if (!contents.IsOpen()) s.Fail(errno);
  if (const int error = CloseFile(s.file)) s.Fail(error);
  if (const int error = RenameFile(s.temporary, s.target)) {
    // A shared folder may refuse to let us replace a file we may write
    // (the sticky bit), as may a file mounted in place: write it in place.
    if (error != EPERM && error != EACCES && error != EBUSY) s.Fail(error);
    s.CopyIntoPlace(contents);
    s.spent = true;
    return;
  }
  s.temporary.clear();
  s.spent = true;
}

void SavePictureFile(const std::string& path, const std::function<void(TFileWriter&)>& write) {
  std::optional<TFileWriter> writer;
  try {
    writer.emplace(path);
  } catch (const EInOutError& e) {
    throw EFCreateError(path, e.OsError());
  }
  try {
    write(*writer);
    writer->Commit();
  } catch (const EInOutError&) {
    throw EWriteError();
  }
}

void SavePictureFile(const std::string& path, std::string_view bytes) {
  SavePictureFile(path, [&](TFileWriter& file) { file.Write(bytes); });
}

void TDescriptorWriter::Write(std::string_view text) {
  m_buffer.append(text);
  if (m_buffer.size() >= kChunkSize) Flush();
}

void TDescriptorWriter::Flush() {
  const std::string pending = std::exchange(m_buffer, {});
  if (const int error = WriteFile(m_fd, pending)) Raise(error);
}

void PrepareProcessFiles() {
  // Caught rather than ignored: the write then fails with its error, and a
  // program this one starts (the browser) begins with the usual handling.
  struct sigaction action {};
  action.sa_handler = [](int) {};
  action.sa_flags = SA_RESTART;
  ::sigemptyset(&action.sa_mask);
  ::sigaction(SIGXFSZ, &action, nullptr);
  ::sigaction(SIGPIPE, &action, nullptr);
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // A path descriptor: it names a folder, and reads and writes through it
    // fail as on a closed one. The lower ones are taken, so it lands on fd.
    const int placeholder = ::open("/", O_PATH);
    if (placeholder >= 0 && placeholder != fd) {
      ::dup2(placeholder, fd);
      ::close(placeholder);
    }
  }
}

} // namespace curvella
