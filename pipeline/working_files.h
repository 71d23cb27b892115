#pragma once
// The working folder and files of a conversion, and the application folder
// that holds the job list files and the settings file.
#include <filesystem>
#include <string>

namespace vellumark::pipeline {

// The working and list file names, case included ("Defaul2" is not a typo:
// seven letters before the dot, as the files have always been called).
inline constexpr const char* kDefaultPdfName = "Default.pdf";
inline constexpr const char* kDefaul2PdfName = "Defaul2.pdf";
inline constexpr const char* kTempPdfName = "temp.pdf";
inline constexpr const char* kDefQPdfName = "defQ.PDF";
inline constexpr const char* kSaveListName = "SaveList.txt";
inline constexpr const char* kSaveListTmpName = "SaveList.tmp";
inline constexpr const char* kSettingsName = "Vellumark.ini";
// Beside "SaveList.txt": held by the running batch (see TakeBatchLock).
inline constexpr const char* kBatchLockName = "SaveList.lock";
// The folder under the Templates folder that holds the runs' working folders.
inline constexpr const char* kWorkFolderName = "pdf";
// Under $XDG_CONFIG_HOME (or ~/.config) when the program's folder is read-only,
// and under $XDG_CACHE_HOME (or ~/.cache) when the Templates folder is
// disabled or missing.
inline constexpr const char* kConfigFolderName = "vellumark";

struct WorkingFiles {
  std::filesystem::path workFolder;       // this run's own working folder (see RunFolder)
  std::filesystem::path defaultPdfPath;   // "Default.pdf": base of the working document
  std::filesystem::path defaul2PdfPath;   // "Defaul2.pdf": base of each part (heading split)
  std::filesystem::path tempPdfPath;      // "temp.pdf": save-and-measure file
  std::filesystem::path defQPath;         // "defQ.PDF": base and measuring file of the size cut
  std::filesystem::path saveListPath;     // application folder / "SaveList.txt"
  std::filesystem::path saveListTmpPath;  // application folder / "SaveList.tmp"
  std::filesystem::path settingsPath;     // application folder / "Vellumark.ini"
  std::filesystem::path batchLockPath;    // application folder / "SaveList.lock"
};

// The program's folder when it is writable, else $XDG_CONFIG_HOME/vellumark
// (~/.config/vellumark), created if missing.
std::filesystem::path ApplicationFolder();
// The same choice for a given program folder.
// `installedFolder` is where the package installs the programs (/usr/bin):
// a folder of the whole system, never the place for one user's files, even
// when the user (root) could write there.
std::filesystem::path ApplicationFolderFor(const std::filesystem::path& programFolder,
                                           const std::filesystem::path& installedFolder = {});

// The folder under which each run makes its own working folder: "pdf" in
// the Templates folder, created if missing. When the Templates folder is
// disabled (xdg-user-dirs then points it at the home folder itself) or does
// not exist, $XDG_CACHE_HOME/vellumark instead, so that the program never
// works among the user's own files.
std::filesystem::path WorkingFolderBase();

// Fixes every path (start-up) and creates `workFolder` if missing. The
// product passes a RunFolder's path; tests may pass any private folder.
WorkingFiles MakeWorkingFiles(const std::filesystem::path& applicationFolder,
                              const std::filesystem::path& workFolder);

// True for the files the conversion itself writes into a working folder:
// "Default.pdf", "Defaul2.pdf", "temp.pdf", "defQ.PDF" and the temporary
// files the atomic writes make beside them. Nothing else there is ours.
bool IsOwnWorkingFileName(const std::string& name);

// Deletes the conversion's own working files (IsOwnWorkingFileName) from the
// working folder and nothing else; never throws, skips what cannot be
// deleted.
void KillPDF(const WorkingFiles& files);

}  // namespace vellumark::pipeline
