#pragma once

// Files as Curvella reads and writes them (the point file, the picture
// exports), with the operating system's errors turned into the system's
// messages.
//
// Reading: a line ends at LF or at CR LF; a CR not followed by LF is left out
// of the line and does not end it; character 26 (Ctrl-Z) ends the file; lines
// may be of any length and hold any byte; a last line without a line end is
// read like the others; reading at the end of the file yields an empty line
// and no error. A directory given as the file to read fails at the open.
//
//   "a\r\nb\nc"     -> "a", "b", "c", then "" for ever
//   "a\rb\n"        -> "ab"
//   "a\x1A" "b\n"   -> "a", then ""
//
// Writing never leaves a damaged file behind: the text goes to a temporary
// file beside the target, which replaces the target only when Commit has
// written, flushed and closed it. On any error, and when the writer is
// destroyed without Commit, the target keeps its old contents (or does not
// appear) and the temporary file is removed. A target that exists and is not
// a regular file (a device such as /dev/full, a FIFO) is written in place. A
// symbolic link is followed and the file it points to is replaced. A new file
// gets the permissions of a plain create (0666 less the umask); a replaced
// file keeps its mode.
//
// A writable file that cannot be replaced is written in place: when its
// folder refuses the temporary file, or refuses the rename (a shared folder
// with the sticky bit, where only the owner may replace a file). Its old
// contents are kept first, in memory up to 64 MiB and beyond that in an
// unnamed file in the user's temporary folder ($TMPDIR, or /tmp); when
// neither can be had (or the file may be written but not read) the save is
// refused before the file is touched. Should the new contents fail to be
// written completely, the file is cut to its old length and the old contents
// are written back; the error raised is always the first failure's.
//
// Lines read are at most 1 MiB long: a longer one raises "Invalid numeric
// input", the text layer's message for a line it cannot take, so that a file
// without line ends (or an endless device) cannot exhaust the memory.
//
// Errors are EInOutError with the message chosen by the error:
//   ENOENT                                "File not found"
//   ENOENT, a folder of the path missing  "Invalid filename"
//   ENOTDIR, ENAMETOOLONG, ELOOP, EINVAL  "Invalid filename"
//   EMFILE, ENFILE                        "Too many open files"
//   EACCES, EPERM, EROFS, EISDIR, ETXTBSY "File access denied"
//   ENOSPC, EDQUOT, EFBIG                 "Disk full"
//   any other error e                     "I/O error e" (e the errno value)

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "numtext/Errors.h"

namespace curvella {

class EInOutError : public Exception {
public:
  // The error for an errno value, with its message from the table above.
  explicit EInOutError(int osError);
  EInOutError(int osError, std::string message) : Exception(std::move(message)), m_osError(osError) {}
  int OsError() const noexcept { return m_osError; }

private:
  int m_osError;
};

// The message for an errno value.
std::string InOutErrorMessage(int osError);

// The errors of writing a stream (the picture exports): the file could not
// be created, "Cannot create file "<path>". <the system's text>", with the
// path made absolute against the current folder (links and ".." kept as
// given), or a write failed, "Stream write error".
//   ("nodir/x.bmp", ENOENT) in /home/u -> Cannot create file "/home/u/nodir/x.bmp". No such file or directory
class EFCreateError : public Exception {
public:
  EFCreateError(const std::string& path, int osError);
};

// A path made absolute against the current folder, without resolving links
// or "..": "a/../b" in /home/u -> "/home/u/a/../b"; "/x" -> "/x".
std::string AbsolutePath(const std::string& path);

class EWriteError : public Exception {
public:
  EWriteError() : Exception("Stream write error") {}
};

inline constexpr const char* kReadBeyondEndOfFile = "Read beyond end of file";
inline constexpr const char* kInvalidNumericInput = "Invalid numeric input";
// The longest line a reader takes.
inline constexpr std::size_t kMaxLineLength = 1024 * 1024;

class TTextFileReader {
public:
  // Opens an existing file for reading only.
  explicit TTextFileReader(const std::string& path);
  ~TTextFileReader();
  TTextFileReader(const TTextFileReader&) = delete;
  TTextFileReader& operator=(const TTextFileReader&) = delete;

  // The next line without its line end; "" at the end of the file.
  std::string ReadLine();
  bool AtEnd();
  // Closes the file and reports an error of the close; the destructor closes
  // silently when this was not called.
  void Close();

private:
  struct TState;
  std::unique_ptr<TState> m_state;
};

class TFileWriter {
public:
  // Prepares to create or replace the file; errors that opening shows
  // (a missing folder, no permission, old contents that cannot be kept) are
  // raised here.
  explicit TFileWriter(const std::string& path);
  // Without Commit: removes the temporary file, or writes back the old
  // contents of a file written in place; the target stays as it was.
  ~TFileWriter();
  TFileWriter(const TFileWriter&) = delete;
  TFileWriter& operator=(const TFileWriter&) = delete;

  void Write(std::string_view text);
  // Writes out what is buffered, closes, and puts the file in place of the
  // target. After an error the target is untouched and the writer is spent.
  void Commit();

private:
  struct TState;
  std::unique_ptr<TState> m_state;
};

// Writes a picture file whole, as TFileWriter does: write hands the writer
// the bytes in pieces. A file that cannot be created raises EFCreateError, a
// failed write EWriteError; the target stays as it was. Errors of write's
// own pass through.
void SavePictureFile(const std::string& path, const std::function<void(TFileWriter&)>& write);
void SavePictureFile(const std::string& path, std::string_view bytes);

// Text written to a descriptor that is already open (standard output),
// checked like a file: a failed write raises EInOutError with the file's
// message ("Disk full" on a full device, "I/O error 32" for a pipe whose
// reader is gone, "I/O error 9" for a closed descriptor). Text is buffered
// until Flush, which the writer's user must call; the destructor does not.
class TDescriptorWriter {
public:
  explicit TDescriptorWriter(int fd) : m_fd(fd) {}
  TDescriptorWriter(const TDescriptorWriter&) = delete;
  TDescriptorWriter& operator=(const TDescriptorWriter&) = delete;

  void Write(std::string_view text);
  void Flush();

private:
  int m_fd;
  std::string m_buffer;
};

// For the life of the process: a write beyond the file size limit or into a
// pipe without a reader fails with its error (EFBIG, EPIPE) instead of
// ending the program, and standard input, output and error are never free
// descriptors: one closed at start is taken by a descriptor on which every
// read and write fails, so that no file the program opens becomes its
// standard output.
void PrepareProcessFiles();

// A test seam: every file operation of this layer first asks the hook, which
// returns 0 to let the operation run or an errno value to make it fail with
// that error. An empty hook (the default) lets everything run.
enum class TFileOperation { Open, Read, Write, Sync, Close, Rename, Truncate, Chmod };
using TFileFaultHook = std::function<int(TFileOperation operation)>;
void SetFileFaultHook(TFileFaultHook hook);

} // namespace curvella
