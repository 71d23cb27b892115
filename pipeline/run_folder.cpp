#include "pipeline/run_folder.h"

#include <chrono>
#include <random>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "pipeline/working_files.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/folders.h"

namespace vellumark::pipeline {

namespace fs = std::filesystem;

namespace {

constexpr char kCannotMakeRunFolder[] = "作業フォルダーを作成できません";
// A base folder holds one folder per running copy of the program; the bound
// only guards against a base that is not what it should be.
constexpr int kMaxBaseEntries = 10000;

bool StartsWith(const std::string& name, const std::string& prefix) {
  return name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0;
}

// A run folder without a lock file belongs to a run that died between making
// the folder and its lock file, or while removing both at its end; after this
// long nobody can be about to lock it any more.
bool LongAbandoned(const fs::path& folder) {
  constexpr auto kAge = std::chrono::minutes(10);
  std::error_code ec;
  const fs::file_time_type written = fs::last_write_time(folder, ec);
  return !ec && written < fs::file_time_type::clock::now() - kAge;
}

// Deletes the program's own files in `folder`: the working files, then the
// lock file, then the folder itself if nothing else is left in it. The
// caller holds the lock (or knows nobody can), so no live run loses a file.
void EmptyAndRemove(const fs::path& folder, std::optional<platform::FileLock>& lock) {
  WorkingFiles files;
  files.workFolder = folder;
  KillPDF(files);
  std::error_code ec;
  // The lock file goes while it is still locked: a run starting now that
  // tried it would either find it held or find it gone, never free.
  fs::remove(folder / kRunLockName, ec);
  lock.reset();
  // Fails, as it should, when the folder still holds anything.
  fs::remove(folder, ec);
}

}  // namespace

void CleanDeadRunFolders(const fs::path& base) {
  std::error_code ec;
  std::vector<fs::path> candidates;
  fs::directory_iterator it(base, ec);
  if (ec) return;
  int seen = 0;
  for (const fs::directory_iterator end; it != end && seen < kMaxBaseEntries; it.increment(ec), ++seen) {
    if (ec) break;
    std::error_code typeError;
    // A symbolic link is never followed: only real folders the program made.
    if (it->is_symlink(typeError) || !it->is_directory(typeError)) continue;
    const std::string name = platform::PathToUtf8(it->path().filename());
    if (StartsWith(name, kRunFolderPrefix)) candidates.push_back(it->path());
  }
  for (const fs::path& folder : candidates) {
    std::error_code lockError;
    std::optional<platform::FileLock> lock = platform::FileLock::TryTake(folder / kRunLockName, false, lockError);
    if (!lock) {
      // Held: a live run. Any error but a missing lock file: leave it alone.
      if (lockError != std::errc::no_such_file_or_directory) continue;
      if (!LongAbandoned(folder)) continue;
    }
    EmptyAndRemove(folder, lock);
  }
}

RunFolder::RunFolder(const fs::path& base) {
  std::error_code ec;
  fs::create_directories(base, ec);
  CleanDeadRunFolders(base);

  std::random_device random;
  // A fresh name is found at the first try; the bound covers a base where
  // folders cannot be made at all.
  constexpr int kAttempts = 16;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const fs::path candidate =
        base / (kRunFolderPrefix + std::to_string(platform::ProcessId()) + "-" + std::to_string(random()));
    if (!fs::create_directory(candidate, ec)) continue;  // taken, or base unusable
    std::error_code lockError;
    std::optional<platform::FileLock> lock = platform::FileLock::TryTake(candidate / kRunLockName, true, lockError);
    if (lock) {
      lock_ = std::move(lock);
      path_ = candidate;
      return;
    }
    EmptyAndRemove(candidate, lock);
  }
  throw platform::UserError(base, kCannotMakeRunFolder);
}

RunFolder::~RunFolder() { EmptyAndRemove(path_, lock_); }

}  // namespace vellumark::pipeline
