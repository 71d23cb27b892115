#pragma once
// An exclusive lock on a file, held for as long as the object lives. The
// operating system drops it when the process ends in any way (kill -9
// included), so a lock that can be taken means its last holder is gone.
#include <filesystem>
#include <optional>
#include <system_error>

namespace vellumark::platform {

class FileLock {
 public:
  // Takes the lock without waiting. With `create` the file is made when it is
  // missing. nullopt with `error` clear: another holder has it. nullopt with
  // `error` set: the file could not be opened (no_such_file_or_directory when
  // it is missing and `create` is false).
  static std::optional<FileLock> TryTake(const std::filesystem::path& path, bool create, std::error_code& error);

  FileLock(FileLock&& other) noexcept;
  FileLock& operator=(FileLock&& other) noexcept;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  ~FileLock();

 private:
#ifdef _WIN32
  using Handle = void*;
#else
  using Handle = int;
#endif
  explicit FileLock(Handle handle) : handle_(handle) {}
  void Release() noexcept;

  Handle handle_;
  bool held_ = true;
};

}  // namespace vellumark::platform
