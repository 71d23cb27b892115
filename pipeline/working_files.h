#pragma once
// The working folder and files of a conversion, and the application folder
// that holds the job list files and the settings file.
#include <filesystem>

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
// The working folder's name under the Templates folder.
inline constexpr const char* kWorkFolderName = "pdf";
// Under $XDG_CONFIG_HOME (or ~/.config) when the program's folder is read-only.
inline constexpr const char* kConfigFolderName = "vellumark";

struct WorkingFiles {
  std::filesystem::path workFolder;       // Templates folder / "pdf"
  std::filesystem::path defaultPdfPath;   // "Default.pdf": base of the working document
  std::filesystem::path defaul2PdfPath;   // "Defaul2.pdf": base of each part (heading split)
  std::filesystem::path tempPdfPath;      // "temp.pdf": save-and-measure file
  std::filesystem::path defQPath;         // "defQ.PDF": base and measuring file of the size cut
  std::filesystem::path saveListPath;     // application folder / "SaveList.txt"
  std::filesystem::path saveListTmpPath;  // application folder / "SaveList.tmp"
  std::filesystem::path settingsPath;     // application folder / "Vellumark.ini"
};

// The program's folder when it is writable, else $XDG_CONFIG_HOME/vellumark
// (~/.config/vellumark), created if missing.
std::filesystem::path ApplicationFolder();
// The same choice for a given program folder.
std::filesystem::path ApplicationFolderFor(const std::filesystem::path& programFolder);

// Fixes every path and creates the working folder (start-up). `workFolder`
// empty means the Templates folder's "pdf" subfolder.
WorkingFiles MakeWorkingFiles(const std::filesystem::path& applicationFolder,
                              const std::filesystem::path& workFolder = {});

// Deletes every *.pdf (any case) in the working folder; never throws, skips
// what cannot be deleted.
void KillPDF(const WorkingFiles& files);

}  // namespace vellumark::pipeline
