#include "platform/file_lock.h"

#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace vellumark::platform {

std::optional<FileLock> FileLock::TryTake(const std::filesystem::path& path, bool create, std::error_code& error) {
  error.clear();
#ifdef _WIN32
  // Sharing stays open so that other processes can open the file to try the
  // lock themselves; the byte-range lock is what excludes them.
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    error = (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
                ? std::make_error_code(std::errc::no_such_file_or_directory)
                : std::error_code(static_cast<int>(code), std::system_category());
    return std::nullopt;
  }
  OVERLAPPED whole = {};
  if (!LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole)) {
    const DWORD code = GetLastError();
    CloseHandle(handle);
    if (code != ERROR_LOCK_VIOLATION && code != ERROR_IO_PENDING) {
      error = std::error_code(static_cast<int>(code), std::system_category());
    }
    return std::nullopt;
  }
  return FileLock(handle);
#else
  // O_NOFOLLOW: a symbolic link planted under the lock file's name must not
  // make the program create or lock a file somewhere else.
  const int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0);
  const int fd = ::open(path.c_str(), flags, 0600);
  if (fd < 0) {
    error = std::error_code(errno, std::generic_category());
    return std::nullopt;
  }
  // flock, not fcntl: its lock belongs to this open file, so a second open
  // in the same process is refused as well, and closing another descriptor
  // of the same file does not drop it.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int code = errno;
    ::close(fd);
    if (code != EWOULDBLOCK) error = std::error_code(code, std::generic_category());
    return std::nullopt;
  }
  return FileLock(fd);
#endif
}

FileLock::FileLock(FileLock&& other) noexcept : handle_(other.handle_), held_(std::exchange(other.held_, false)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    Release();
    handle_ = other.handle_;
    held_ = std::exchange(other.held_, false);
  }
  return *this;
}

FileLock::~FileLock() { Release(); }

void FileLock::Release() noexcept {
  if (!held_) return;
  held_ = false;
  // Closing the last handle releases the lock.
#ifdef _WIN32
  CloseHandle(handle_);
#else
  ::close(handle_);
#endif
}

}  // namespace vellumark::platform
