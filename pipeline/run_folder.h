#pragma once
// The working folder of one run of the program (the window or one command
// line call). Runs never share working files: each makes its own folder
// under a common base and holds a lock file in it for as long as it lives,
// so the next start can tell the folders of dead runs from live ones.
#include <filesystem>
#include <optional>

#include "platform/file_lock.h"

namespace vellumark::pipeline {

// The lock file each run holds in its folder.
inline constexpr const char* kRunLockName = "vellumark-run.lock";
// Run folders are "run-<process id>-<random>"; nothing else under the base is
// ever cleaned.
inline constexpr const char* kRunFolderPrefix = "run-";

class RunFolder {
 public:
  // Cleans the folders that dead runs left under `base` (CleanDeadRunFolders),
  // then makes this run's folder and takes its lock. Throws UserError naming
  // `base` when no folder can be made there.
  explicit RunFolder(const std::filesystem::path& base);
  // Empties the folder of the program's own files and removes it.
  ~RunFolder();
  RunFolder(const RunFolder&) = delete;
  RunFolder& operator=(const RunFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
  std::optional<platform::FileLock> lock_;
};

// For every run folder under `base` whose lock nobody holds (its run died,
// even by kill -9): deletes the program's own working files and the lock
// file, then the folder if that left it empty. A folder holding anything
// else stays where it is, with that file. A folder without a lock file is
// taken for dead only once it is old: a run makes its folder first and its
// lock file just after. Never throws.
void CleanDeadRunFolders(const std::filesystem::path& base);

}  // namespace vellumark::pipeline
