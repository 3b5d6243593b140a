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
// be created, "Cannot create file "<path>". <the system's text>", or a write
// failed, "Stream write error".
class EFCreateError : public Exception {
public:
  EFCreateError(const std::string& path, int osError);
};

class EWriteError : public Exception {
public:
  EWriteError() : Exception("Stream write error") {}
};

inline constexpr const char* kReadBeyondEndOfFile = "Read beyond end of file";
inline constexpr const char* kInvalidNumericInput = "Invalid numeric input";

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
  // (a missing folder, no permission) are raised here.
  explicit TFileWriter(const std::string& path);
  // Without Commit: removes the temporary file, the target stays as it was.
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

// Writes a picture file whole: created beside the target and put in its
// place only when all was written. A file that cannot be created raises
// EFCreateError, a failed write EWriteError; the target stays as it was.
void SavePictureFile(const std::string& path, std::string_view bytes);

// A test seam: every file operation of this layer first asks the hook, which
// returns 0 to let the operation run or an errno value to make it fail with
// that error. An empty hook (the default) lets everything run.
enum class TFileOperation { Open, Read, Write, Sync, Close, Rename };
using TFileFaultHook = std::function<int(TFileOperation operation)>;
void SetFileFaultHook(TFileFaultHook hook);

} // namespace curvella
