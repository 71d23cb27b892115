// Working files and output names: the small rules every job relies on.
#include "pipeline/working_files.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "pipeline/file_names.h"
#include "pipeline/pipeline_test_helpers.h"
#include "tests/support/temp_folder.h"

namespace vellumark::pipeline {
namespace {

namespace fs = std::filesystem;
using testsupport::ReadBytes;
using testsupport::TempFolder;
using testsupport::WriteBytes;

TEST(WorkingFilesTest, KillPdfDeletesTheConversionsOwnFilesAndNothingElse) {
  TempFolder temp;
  const WorkingFiles files = MakeWorkingFiles(temp.path() / "app", temp.path() / "work");
  const std::vector<std::string> own = {"Default.pdf", "Defaul2.pdf", "temp.pdf", "defQ.PDF",
                                        "Default.pdf.vellumark-123-4.tmp", ".vm-4711-a1b2c3.tmp",
                                        "temp.pdf.vellumark-copy.tmp"};
  const std::vector<std::string> foreign = {"other.Pdf", "report.pdf", "DEFAULT.PDF", "Default.pdf.bak",
                                            "keep.txt", "pdf", "報告書.pdf", "defQ.PDF.tmp-4711"};
  for (const auto& name : own) WriteBytes(files.workFolder / platform::PathFromUtf8(name), "x");
  for (const auto& name : foreign) WriteBytes(files.workFolder / platform::PathFromUtf8(name), "x");
  fs::create_directories(files.workFolder / "temp.pdf.vellumark-dir.tmp");
  KillPDF(files);
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(files.workFolder)) left.push_back(platform::PathToUtf8(e.path().filename()));
  std::sort(left.begin(), left.end());
  std::vector<std::string> expected = foreign;
  expected.push_back("temp.pdf.vellumark-dir.tmp");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(left, expected);

  // A missing working folder is nothing to report.
  fs::remove_all(files.workFolder);
  EXPECT_NO_THROW(KillPDF(files));
}

TEST(WorkingFilesTest, ApplicationFolderFallsBackToTheUserConfigFolder) {
  TempFolder temp;
  EXPECT_EQ(ApplicationFolderFor(temp.path()), temp.path());
  EXPECT_EQ(ApplicationFolderFor(temp.path(), temp.path() / "bin"), temp.path());

  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string savedValue = saved ? saved : "";
  ::setenv("XDG_CONFIG_HOME", temp.path().c_str(), 1);
  const fs::path fallback = ApplicationFolderFor(temp.path() / "no-such-folder");
  // Installed, the writable program folder is the system's, not the user's.
  fs::create_directories(temp.path() / "usr" / "bin");
  const fs::path installed = ApplicationFolderFor(temp.path() / "usr" / "bin", temp.path() / "usr" / "bin");
  if (saved) {
    ::setenv("XDG_CONFIG_HOME", savedValue.c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
  EXPECT_EQ(fallback, temp.path() / "vellumark");
  EXPECT_TRUE(fs::is_directory(fallback));
  EXPECT_EQ(installed, temp.path() / "vellumark");
}

TEST(FileNamesTest, PartNamesFollowTheParentsName) {
  struct Case {
    std::string output;
    int number;
    std::string part;
  };
  const std::vector<Case> cases = {
      {"/d/変換済み/報告書.pdf", 1, "/d/変換済み/報告書_001.PDF"},
      {"/d/変換済み/報告書.PDF", 12, "/d/変換済み/報告書_012.PDF"},
      {"/d/変換済み/a.pdf", 1000, "/d/変換済み/a_1000.PDF"},
      // Four characters go whatever they are: multi-byte ones count as one.
      {"/d/変換済み/報告書pdf", 2, "/d/変換済み/報告_002.PDF"},
      // ...but only of the file name: the parts stay in the output folder.
      {"/d/変換済み/pdf", 1, "/d/変換済み/pdf_001.PDF"},
      {"/d/変換済み/a.pd", 3, "/d/変換済み/a.pd_003.PDF"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::PathToUtf8(PartFileName(platform::PathFromUtf8(c.output), c.number)), c.part);
  }
  EXPECT_EQ(platform::PathToUtf8(OutputPathFor(platform::PathFromUtf8("/d/報告書.pdf"))), "/d/変換済み/報告書.pdf");
}

TEST(FileNamesTest, BackupReplacesAnOlderBackupAndLeavesMissingFilesAlone) {
  TempFolder temp;
  const fs::path part = temp.path() / platform::PathFromUtf8("報告書_001.PDF");
  const fs::path backup = temp.path() / platform::PathFromUtf8("報告書_001.bak");
  EXPECT_NO_THROW(BackUpExistingFile(part));
  EXPECT_FALSE(fs::exists(backup));

  WriteBytes(part, "new");
  WriteBytes(backup, "older");
  BackUpExistingFile(part);
  EXPECT_FALSE(fs::exists(part));
  EXPECT_EQ(ReadBytes(backup), "new");
}

}  // namespace
}  // namespace vellumark::pipeline
