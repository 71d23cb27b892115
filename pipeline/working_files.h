#pragma once
// The working folder and files of a conversion, and the application folder
// that holds the job list files and the settings file.
#include <filesystem>

namespace vellumark::pipeline {

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

// Fixes every path and creates the working folder (start-up). `workFolder`
// empty means the Templates folder's "pdf" subfolder.
WorkingFiles MakeWorkingFiles(const std::filesystem::path& applicationFolder,
                              const std::filesystem::path& workFolder = {});

// Deletes every *.pdf (any case) in the working folder; never throws, skips
// what cannot be deleted.
void KillPDF(const WorkingFiles& files);

}  // namespace vellumark::pipeline
