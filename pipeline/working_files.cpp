#include "pipeline/working_files.h"

#include <cstdlib>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/folders.h"

namespace vellumark::pipeline {

namespace fs = std::filesystem;

namespace {

// A folder counts as writable when a file can really be created in it: the
// permission bits alone do not tell (read-only mounts, ACLs, root).
bool CanCreateFileIn(const fs::path& folder) {
  if (folder.empty()) return false;
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return false;
  // Probed with the writer every list and settings file goes through, so
  // the answer is about exactly what those writes will need.
  const fs::path probe = folder / ".vellumark-write-probe";
  try {
    platform::WriteAtomically(probe, std::string_view());
  } catch (const platform::UserError&) {
    return false;
  }
  fs::remove(probe, ec);
  return true;
}

fs::path OwnConfigFolder() {
  const fs::path base = platform::UserConfigFolder();
  return (base.empty() ? fs::temp_directory_path() : base) / kConfigFolderName;
}

}  // namespace

fs::path ApplicationFolder() {
  return ApplicationFolderFor(platform::ProgramFolder(), platform::PathFromUtf8(VELLUMARK_INSTALL_BINDIR));
}

fs::path ApplicationFolderFor(const fs::path& programFolder, const fs::path& installedFolder) {
  std::error_code ec;
  const bool installed = !installedFolder.empty() && fs::equivalent(programFolder, installedFolder, ec);
  if (!installed && CanCreateFileIn(programFolder)) return programFolder;
  const fs::path folder = OwnConfigFolder();
  // A folder that cannot be created shows itself when the first list file is
  // written there, with that file's name in the message.
  fs::create_directories(folder, ec);
  return folder;
}

fs::path WorkingFolderBase() {
  // 21: the user's Templates folder, ending in a separator, or the separator
  // alone when it cannot be found.
  const fs::path templates = platform::PathFromUtf8(platform::TemplatesFolder());
  const fs::path home = platform::UserHomeFolder();
  std::error_code ec;
  const bool missing = templates == templates.root_path() || !fs::is_directory(templates, ec);
  // xdg-user-dirs disables a folder by pointing it at the home folder: a
  // "pdf" folder there is the user's own, not a place to work in.
  const bool disabled = !missing && !home.empty() && fs::equivalent(templates, home, ec);
  if (!missing && !disabled) return templates / kWorkFolderName;

  fs::path cache = platform::UserCacheFolder();
  if (cache.empty()) cache = fs::temp_directory_path(ec);
  return cache / kConfigFolderName;
}

WorkingFiles MakeWorkingFiles(const fs::path& applicationFolder, const fs::path& workFolder) {
  WorkingFiles files;
  files.workFolder = workFolder;
  // A failure is not reported here: it shows when "Default.pdf" is written.
  std::error_code ec;
  fs::create_directories(files.workFolder, ec);

  files.defaultPdfPath = files.workFolder / kDefaultPdfName;
  files.defaul2PdfPath = files.workFolder / kDefaul2PdfName;
  files.tempPdfPath = files.workFolder / kTempPdfName;
  files.defQPath = files.workFolder / kDefQPdfName;
  files.saveListPath = applicationFolder / kSaveListName;
  files.saveListTmpPath = applicationFolder / kSaveListTmpName;
  files.settingsPath = applicationFolder / kSettingsName;
  files.batchLockPath = applicationFolder / kBatchLockName;
  return files;
}

bool IsOwnWorkingFileName(const std::string& name) {
  for (const char* own : {kDefaultPdfName, kDefaul2PdfName, kTempPdfName, kDefQPdfName}) {
    if (name == std::string_view(own)) return true;
  }
  // The temporary file of a write that did not finish (the writer names it
  // by itself, not after the file it becomes).
  return platform::IsTemporaryFileName(name);
}

void KillPDF(const WorkingFiles& files) {
  // Nothing here may stop the caller: the clean-up runs after failed jobs
  // too. A file still held open elsewhere stays and the next call retries.
  // Only the program's own files go: whatever else lies in the folder was
  // put there by someone else and is not ours to delete.
  std::error_code ec;
  std::vector<fs::path> doomed;
  fs::directory_iterator it(files.workFolder, ec);
  if (ec) return;
  // The listing is taken first and the deletions follow, so deleting cannot
  // disturb the walk. A working folder holds a handful of files; the bound
  // only guards against a folder that is not what it should be.
  constexpr int kMaxEntries = 10000;
  int seen = 0;
  for (const fs::directory_iterator end; it != end && seen < kMaxEntries; it.increment(ec), ++seen) {
    if (ec) break;
    std::error_code typeError;
    if (it->is_regular_file(typeError) && !it->is_symlink(typeError) &&
        IsOwnWorkingFileName(platform::PathToUtf8(it->path().filename()))) {
      doomed.push_back(it->path());
    }
  }
  for (const fs::path& path : doomed) {
    std::error_code removeError;
    fs::remove(path, removeError);
  }
}

}  // namespace vellumark::pipeline
