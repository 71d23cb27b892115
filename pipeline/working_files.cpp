#include "pipeline/working_files.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

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
  const fs::path probe = folder / ".vellumark-write-probe";
  bool created = false;
  {
    std::ofstream out(probe, std::ios::binary | std::ios::trunc);
    created = out.good();
  }
  fs::remove(probe, ec);
  return created;
}

fs::path UserConfigFolder() {
#ifdef _WIN32
  if (const char* appData = std::getenv("APPDATA"); appData != nullptr && *appData != '\0') {
    return platform::PathFromUtf8(appData) / kConfigFolderName;
  }
#else
  // An XDG_CONFIG_HOME that is not absolute is to be ignored, as the base
  // directory rules say.
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg == '/') {
    return platform::PathFromUtf8(xdg) / kConfigFolderName;
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    return platform::PathFromUtf8(home) / ".config" / kConfigFolderName;
  }
#endif
  return fs::temp_directory_path() / kConfigFolderName;
}

}  // namespace

fs::path ApplicationFolder() { return ApplicationFolderFor(platform::ProgramFolder()); }

fs::path ApplicationFolderFor(const fs::path& programFolder) {
  if (CanCreateFileIn(programFolder)) return programFolder;
  const fs::path folder = UserConfigFolder();
  std::error_code ec;
  // A folder that cannot be created shows itself when the first list file is
  // written there, with that file's name in the message.
  fs::create_directories(folder, ec);
  return folder;
}

WorkingFiles MakeWorkingFiles(const fs::path& applicationFolder, const fs::path& workFolder) {
  WorkingFiles files;
  if (workFolder.empty()) {
    // 21: the user's Templates folder (ends in a separator, or is the
    // separator alone when it cannot be found).
    files.workFolder = platform::PathFromUtf8(platform::GetSpecialFolder(21)) / kWorkFolderName;
  } else {
    files.workFolder = workFolder;
  }
  // The trailing separator makes the last component a folder to create. A
  // failure is not reported here: it shows when "Default.pdf" is written.
  platform::MakeSureDirectoryPathExists(platform::AddTrailingBackslash(platform::PathToUtf8(files.workFolder)));

  files.defaultPdfPath = files.workFolder / kDefaultPdfName;
  files.defaul2PdfPath = files.workFolder / kDefaul2PdfName;
  files.tempPdfPath = files.workFolder / kTempPdfName;
  files.defQPath = files.workFolder / kDefQPdfName;
  files.saveListPath = applicationFolder / kSaveListName;
  files.saveListTmpPath = applicationFolder / kSaveListTmpName;
  files.settingsPath = applicationFolder / kSettingsName;
  return files;
}

void KillPDF(const WorkingFiles& files) {
  // Nothing here may stop the caller: the clean-up runs after failed jobs
  // too. A file still held open elsewhere stays and the next call retries.
  std::error_code ec;
  std::vector<fs::path> doomed;
  fs::directory_iterator it(files.workFolder, ec);
  if (ec) return;
  // The listing is taken first and the deletions follow, so deleting cannot
  // disturb the walk; the folder holds a handful of files.
  for (const fs::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) break;
    std::string extension = it->path().extension().string();
    for (char& c : extension) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    std::error_code typeError;
    if (extension == ".pdf" && it->is_regular_file(typeError)) doomed.push_back(it->path());
  }
  for (const fs::path& path : doomed) {
    std::error_code removeError;
    fs::remove(path, removeError);
  }
}

}  // namespace vellumark::pipeline
