#include "platform/file_io.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <fstream>
#include <random>
#include <system_error>
#include <vector>

#include "platform/decimal.h"
#include "platform/error.h"
#include "platform/folders.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vellumark::platform {

namespace fs = std::filesystem;

namespace {

constexpr char kMissing[] = "ファイルがありません";
constexpr char kNotAFile[] = "ファイルではありません";
constexpr char kCannotRead[] = "ファイルを読み込めません";

constexpr char kDiskFull[] = "ディスクの空き容量が足りません";
constexpr char kQuotaExceeded[] = "ディスクの使用量の上限に達しました";
constexpr char kTooLarge[] = "ファイルが大きすぎて書き込めません";
constexpr char kNoPermission[] = "書き込む権限がありません";
constexpr char kReadOnly[] = "読み取り専用の場所には書き込めません";
constexpr char kNameTooLong[] = "ファイル名が長すぎます";
constexpr char kNoFolder[] = "保存先のフォルダーがありません";
constexpr char kFolderInTheWay[] = "同じ名前のフォルダーがあるため書き込めません";
constexpr char kDeviceError[] = "ディスクの読み書きでエラーが起きました";
constexpr char kCannotWrite[] = "ファイルに書き込めません";

// Temporary names: ".vm-<process id>-<6 letters or digits>.tmp". Short, so
// that a final name as long as the file system allows still has a temporary
// beside it; the process id lets a later run tell a dead run's leftover from
// a write in progress.
constexpr std::string_view kTemporaryPrefix = ".vm-";
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::size_t kRandomLetters = 6;
// Names the temporary files of earlier versions had: "<final>.vellumark-….tmp".
constexpr std::string_view kOldTemporaryMarker = ".vellumark-";

// Collected writes go out in blocks of this size: QPDF hands over output a
// few bytes at a time, and a system call for each would be slow.
constexpr std::size_t kBufferSize = 64 * 1024;
// A write interrupted by a signal is tried again; a bound keeps a storm of
// signals from turning that into a loop without end.
constexpr int kMaxInterruptions = 1000;
// Name collisions are practically impossible with six random letters; a few
// attempts cover a folder someone filled with our names on purpose.
constexpr int kMaxNameAttempts = 32;
// Bound on the entries a clean-up looks at in one folder.
constexpr int kMaxFolderEntries = 100000;

bool ProcessIsRunning(unsigned long pid) {
#ifdef _WIN32
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
  if (process == nullptr) return GetLastError() != ERROR_INVALID_PARAMETER;
  DWORD code = 0;
  const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
  CloseHandle(process);
  return running;
#else
  if (pid == 0 || pid > static_cast<unsigned long>(INT32_MAX)) return false;
  // EPERM: the process exists but belongs to someone else.
  return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
#endif
}

std::string RandomLetters() {
  static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937_64 generator{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
  std::string letters;
  for (std::size_t i = 0; i < kRandomLetters; ++i) letters += kAlphabet[pick(generator)];
  return letters;
}

// --- the few system calls, one version per system ---------------------------

#ifdef _WIN32
int ErrnoFromWindows(DWORD error) {
  switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: return EACCES;
    case ERROR_WRITE_PROTECT: return EROFS;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND: return ENOENT;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    case ERROR_NOT_SAME_DEVICE: return EXDEV;
    default: return EIO;
  }
}
#endif

// A new file that did not exist before; the descriptor, or -errno.
int CreateNewFile(const fs::path& path) {
#ifdef _WIN32
  const int fd = _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
#else
  // 0666 under the user's umask, as any file the program creates.
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
  return fd >= 0 ? fd : -errno;
}

// Bytes written (at least one), or -errno.
long WriteSome(int fd, const char* data, std::size_t size) {
#ifdef _WIN32
  const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30));
  const int written = _write(fd, data, chunk);
#else
  const ssize_t written = write(fd, data, size);
#endif
  if (written < 0) return -errno;
  // No byte taken although some were offered: the device is full or broken.
  if (written == 0) return -ENOSPC;
  return static_cast<long>(written);
}

int SyncFile(int fd) {
#ifdef _WIN32
  return _commit(fd) == 0 ? 0 : errno;
#else
  return fsync(fd) == 0 ? 0 : errno;
#endif
}

int CloseFile(int fd) {
#ifdef _WIN32
  return _close(fd) == 0 ? 0 : errno;
#else
  // Linux releases the descriptor even when close reports an error, so it is
  // never closed twice; the error itself (NFS reports late write failures
  // here) still fails the write.
  return close(fd) == 0 ? 0 : errno;
#endif
}

// Renames over an existing file; 0 or errno (EXDEV across file systems).
int RenameReplacing(const fs::path& from, const fs::path& to) {
#ifdef _WIN32
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
  return ErrnoFromWindows(GetLastError());
#else
  return rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
#endif
}

// Makes a rename into `folder` survive a power cut. A failure is not
// reported: the file under its final name is complete by then, and nothing
// could undo the rename anyway.
void SyncFolder(const fs::path& folder) {
#ifndef _WIN32
  const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
#else
  (void)folder;
#endif
}

// Gives the temporary file the permissions of the file it replaces, so a
// rewrite does not change who may read the settings or an output.
void KeepPermissionsOf(const fs::path& path, int fd) {
#ifndef _WIN32
  struct stat existing {};
  if (stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) fchmod(fd, existing.st_mode & 07777);
#else
  (void)path;
  (void)fd;
#endif
}

// --- the temporary file ------------------------------------------------------

// The temporary file of one write: removed with its descriptor closed when
// the object goes, unless it has been renamed into place.
class TemporaryFile final : public FileSink {
 public:
  explicit TemporaryFile(const fs::path& finalPath) : finalPath_(finalPath) {
    const fs::path folder = finalPath.parent_path();
    const std::string prefix = std::string(kTemporaryPrefix) + Decimal(ProcessId()) + "-";
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
      const fs::path candidate = folder / (prefix + RandomLetters() + std::string(kTemporarySuffix));
      const int fd = CreateNewFile(candidate);
      if (fd >= 0) {
        fd_ = fd;
        path_ = candidate;
        break;
      }
      if (-fd != EEXIST) throw UserError(finalPath_, WriteFailureReason(-fd));
    }
    if (fd_ < 0) throw UserError(finalPath_, kCannotWrite);
    KeepPermissionsOf(finalPath_, fd_);
    buffer_.reserve(kBufferSize);
  }

  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  ~TemporaryFile() override {
    if (fd_ >= 0) CloseFile(fd_);
    if (!path_.empty()) {
      std::error_code ignored;
      fs::remove(path_, ignored);
    }
  }

  void Write(const char* data, std::size_t size) override {
    if (failure_ != 0) throw UserError(finalPath_, WriteFailureReason(failure_));
    if (buffer_.size() + size > kBufferSize) Drain();
    if (size >= kBufferSize) {
      WriteOut(data, size);
    } else {
      buffer_.insert(buffer_.end(), data, data + size);
    }
  }

  // Everything written, synced and closed, then renamed over the final name.
  void Commit() {
    if (failure_ != 0) throw UserError(finalPath_, WriteFailureReason(failure_));
    Drain();
    if (const int error = SyncFile(fd_); error != 0) Fail(error);
    const int fd = fd_;
    fd_ = -1;
    if (const int error = CloseFile(fd); error != 0) Fail(error);
    if (const int error = RenameReplacing(path_, finalPath_); error != 0) Fail(error);
    path_.clear();
    SyncFolder(finalPath_.parent_path());
  }

 private:
  [[noreturn]] void Fail(int error) {
    failure_ = error;
    throw UserError(finalPath_, WriteFailureReason(error));
  }

  void Drain() {
    if (buffer_.empty()) return;
    WriteOut(buffer_.data(), buffer_.size());
    buffer_.clear();
  }

  // Every byte goes out or the write fails: a short write is continued, and
  // each pass takes at least one byte or counts an interruption.
  void WriteOut(const char* data, std::size_t size) {
    int interruptions = 0;
    while (size > 0) {
      const long written = WriteSome(fd_, data, size);
      if (written == -EINTR && ++interruptions < kMaxInterruptions) continue;
      if (written < 0) Fail(static_cast<int>(-written));
      data += written;
      size -= static_cast<std::size_t>(written);
    }
  }

  fs::path finalPath_;
  fs::path path_;
  int fd_ = -1;
  int failure_ = 0;
  std::vector<char> buffer_;
};

// Parses ".vm-<pid>-<letters>.tmp"; the pid, or 0 when `name` is not such a name.
unsigned long TemporaryNameProcess(std::string_view name) {
  if (!name.starts_with(kTemporaryPrefix) || !name.ends_with(kTemporarySuffix)) return 0;
  name.remove_prefix(kTemporaryPrefix.size());
  name.remove_suffix(kTemporarySuffix.size());
  unsigned long pid = 0;
  const auto [rest, ec] = std::from_chars(name.data(), name.data() + name.size(), pid);
  if (ec != std::errc() || pid == 0) return 0;
  const std::string_view tail(rest, static_cast<std::size_t>(name.data() + name.size() - rest));
  if (tail.size() != kRandomLetters + 1 || tail.front() != '-') return 0;
  for (const char c : tail.substr(1)) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!letter) return 0;
  }
  return pid;
}

}  // namespace

unsigned long ProcessId() {
#ifdef _WIN32
  return GetCurrentProcessId();
#else
  return static_cast<unsigned long>(getpid());
#endif
}

std::string WriteFailureReason(int errorNumber) {
  switch (errorNumber) {
    case ENOSPC: return kDiskFull;
#ifdef EDQUOT
    case EDQUOT: return kQuotaExceeded;
#endif
    case EFBIG: return kTooLarge;
    case EACCES:
    case EPERM: return kNoPermission;
    case EROFS: return kReadOnly;
    case ENAMETOOLONG: return kNameTooLong;
    case ENOENT:
    case ENOTDIR: return kNoFolder;
    case EISDIR: return kFolderInTheWay;
    case EIO: return kDeviceError;
    default: return kCannotWrite;
  }
}

std::string ReadFileBytes(const fs::path& path, std::size_t maxBytes) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (!fs::exists(status)) throw UserError(path, kMissing);
  if (!fs::is_regular_file(status)) throw UserError(path, kNotAFile);
  std::ifstream in(path, std::ios::binary);
  if (!in) throw UserError(path, kCannotRead);
  std::string bytes;
  char buffer[8192];
  // Each pass reads at least one byte or ends the loop, so it ends with the
  // file (or at maxBytes).
  while (bytes.size() < maxBytes) {
    const std::size_t wanted = std::min(sizeof buffer, maxBytes - bytes.size());
    in.read(buffer, static_cast<std::streamsize>(wanted));
    const std::streamsize got = in.gcount();
    if (got > 0) bytes.append(buffer, static_cast<std::size_t>(got));
    if (!in) break;
  }
  if (in.bad()) throw UserError(path, kCannotRead);
  return bytes;
}

void WriteAtomically(const fs::path& path, const std::function<void(FileSink&)>& produce) {
  TemporaryFile file(path);
  produce(file);
  file.Commit();
}

void WriteAtomically(const fs::path& path, std::string_view bytes) {
  WriteAtomically(path, [bytes](FileSink& sink) { sink.Write(bytes); });
}

void MoveFileAtomically(const fs::path& from, const fs::path& to) {
  const int error = RenameReplacing(from, to);
  if (error == 0) {
    SyncFolder(to.parent_path());
    return;
  }
  if (error == ENOENT && !fs::exists(from)) throw UserError(from, kMissing);
  if (error != EXDEV) throw UserError(to, WriteFailureReason(error));
  // Another file system: the bytes are copied under a temporary name beside
  // `to`, so the move stays all or nothing there too.
  WriteAtomically(to, [&from](FileSink& sink) {
    std::ifstream in(from, std::ios::binary);
    if (!in) throw UserError(from, kCannotRead);
    std::vector<char> block(kBufferSize);
    // Each pass reads at least one byte or ends the loop.
    while (in) {
      in.read(block.data(), static_cast<std::streamsize>(block.size()));
      const std::streamsize got = in.gcount();
      if (got <= 0) break;
      sink.Write(block.data(), static_cast<std::size_t>(got));
    }
    if (in.bad()) throw UserError(from, kCannotRead);
  });
  std::error_code ignored;
  fs::remove(from, ignored);
}

bool IsTemporaryFileName(const std::string& name) {
  if (TemporaryNameProcess(name) != 0) return true;
  const std::string_view view(name);
  return view.ends_with(kTemporarySuffix) && view.find(kOldTemporaryMarker) != std::string_view::npos;
}

int RemoveLeftOverTemporaries(const fs::path& folder) {
  std::error_code ec;
  fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec);
  if (ec) return 0;
  int removed = 0;
  int seen = 0;
  const unsigned long self = ProcessId();
  for (; it != fs::directory_iterator() && seen < kMaxFolderEntries; it.increment(ec), ++seen) {
    if (ec) break;
    const std::string name = PathToUtf8(it->path().filename());
    if (!IsTemporaryFileName(name)) continue;
    if (!it->is_regular_file(ec) || it->is_symlink(ec)) continue;
    // Earlier versions put no process id in the name: such a file is always
    // a leftover, since this version never writes one.
    const unsigned long owner = TemporaryNameProcess(name);
    if (owner != 0 && (owner == self || ProcessIsRunning(owner))) continue;
    std::error_code removeError;
    if (fs::remove(it->path(), removeError)) ++removed;
  }
  return removed;
}

}  // namespace vellumark::platform
