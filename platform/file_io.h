#pragma once
// Whole-file reading, and the one way the program writes a file: under a
// short temporary name beside it, every write checked, synced, then renamed
// into place. Failures throw UserError naming the file and the reason.
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace vellumark::platform {

// The file's bytes, at most `maxBytes` of them. Throws UserError when the file
// is missing, is not a regular file, or cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path, std::size_t maxBytes = static_cast<std::size_t>(-1));

// Where a producer hands the bytes of a file that WriteAtomically is writing.
// Write() takes all it is given or throws UserError naming the final file.
// Once a write has failed every later one fails too, so a producer that
// catches and carries on (QPDF does, around stream data) cannot finish a
// file with a hole in it.
class FileSink {
 public:
  virtual ~FileSink() = default;
  virtual void Write(const char* data, std::size_t size) = 0;
  void Write(std::string_view bytes) { Write(bytes.data(), bytes.size()); }
};

// Writes the file at `path` with what `produce` hands to the sink. The bytes
// go to a temporary file in the same folder; only when every write, the
// sync and the close have succeeded is it renamed over `path` (and the
// folder synced). On any failure, the producer's own exceptions included,
// the temporary file is removed, the previous file under `path` is left as
// it was, and the exception goes on to the caller. The producer streams:
// nothing is held in memory beyond a small buffer.
void WriteAtomically(const std::filesystem::path& path, const std::function<void(FileSink&)>& produce);
void WriteAtomically(const std::filesystem::path& path, std::string_view bytes);

// Puts the finished file `from` in place of `to`: a rename when both lie on
// one file system, else a copy through WriteAtomically; `from` is gone
// afterwards either way. Throws UserError naming `to`; `to` is then as it was.
void MoveFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to);

// Whether `name` (a bare file name) is one of this program's temporary
// names, the current ones or those of earlier versions.
bool IsTemporaryFileName(const std::string& name);

// Removes from `folder` (not below it) the temporary files that writes of
// this program left there when the process was killed. A temporary file of
// a process that is still running is left alone. Returns how many went.
int RemoveLeftOverTemporaries(const std::filesystem::path& folder);

// The plain Japanese reason for a failed write with the system's error
// number, e.g. "ディスクの空き容量が足りません" for a full disk.
std::string WriteFailureReason(int errorNumber);

// This process's id, as temporary and working folder names carry it so that
// a later run can tell a dead run's leftovers from work in progress.
unsigned long ProcessId();

}  // namespace vellumark::platform
