// vellumark-cli with the product's own engine on the fixtures, copied into a
// private folder so that no output lands in the source tree.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/run_cli.h"
#include "joblist/job_list_file.h"
#include "pipeline/file_names.h"
#include "pipeline/pipeline_test_helpers.h"
#include "platform/folders.h"
#include "tests/support/env_override.h"
#include "tests/support/temp_folder.h"

namespace vellumark::cli {
namespace {

namespace fs = std::filesystem;
using testsupport::TempFolder;

class RealFilesTest : public ::testing::Test {
 protected:
  RealFilesTest() {
    fs::create_directories(environment.applicationFolder);
    fs::create_directories(docs);
  }

  std::string Copy(const std::string& fixture, const std::string& as) {
    const fs::path copy = docs / platform::PathFromUtf8(as);
    fs::copy_file(fs::path(VELLUMARK_TEST_DATA_DIR) / fixture, copy);
    return platform::PathToUtf8(copy);
  }

  int Run(const std::vector<std::string>& args) {
    out.str("");
    err.str("");
    return RunCli(args, out, err, environment);
  }

  TempFolder temp;
  fs::path docs = temp.path() / platform::PathFromUtf8("工事 資料");
  Environment environment{nullptr, temp.path() / "app", temp.path() / "work", false};
  std::ostringstream out, err;
};

TEST_F(RealFilesTest, HeadingsOfTheReportAreTheContentsPageEntries) {
  // Pages of the document: the printed page numbers follow the cover and
  // the contents page.
  EXPECT_EQ(Run({"headings", Copy("report.pdf", "報告書.pdf")}), kExitSuccess) << err.str();
  EXPECT_EQ(out.str(),
            "第1章　総則\t3\n"
            "\t1.1　目的\t3\n"
            "\t1.2　適用範囲\t4\n"
            "\t\t1.2.1　対象工区\t4\n"
            "第2章　設計条件\t6\n"
            "\t2.1　地形\t6\n"
            "\t2.2　地質\t7\n"
            "第3章　施工計画\t8\n"
            "\t3.1　工程\t8\n"
            "\t3.2　品質管理\t9\n");
}

TEST_F(RealFilesTest, ConvertWritesBesideTheParentUnderJapaneseNames) {
  const std::string parent = Copy("report.pdf", "報告書.pdf");
  const std::string child1 = Copy("appendix1.pdf", "付録1.pdf");
  const std::string child2 = Copy("appendix2.pdf", "付録2.pdf");

  EXPECT_EQ(Run({"convert", "--one-file", parent, child1, child2}), kExitSuccess) << err.str();
  EXPECT_TRUE(fs::exists(docs / platform::PathFromUtf8("変換済み/報告書.pdf")));

  EXPECT_EQ(Run({"convert", "--split-mb", "1", "--unit", "section", parent, child1}), kExitSuccess) << err.str();
  EXPECT_TRUE(fs::exists(docs / platform::PathFromUtf8("変換済み/報告書_001.PDF")));
  EXPECT_FALSE(fs::exists(docs / platform::PathFromUtf8("変換済み/報告書_002.PDF")));
  // Nothing of either job stays in the working folder.
  for (const auto& entry : fs::directory_iterator(environment.workFolder)) ADD_FAILURE() << entry.path();
}

TEST_F(RealFilesTest, BatchOfTwoJobsLeavesTheWholeListAndNoResumeList) {
  const std::vector<std::string> jobs = {Copy("report.pdf", "報告書.pdf") + "\t" + Copy("appendix1.pdf", "付録1.pdf"),
                                         Copy("appendix2.pdf", "写真帳.pdf")};
  const fs::path listFile = temp.path() / "jobs.txt";
  joblist::SaveJobListFile(listFile, jobs);

  EXPECT_EQ(Run({"batch", "--one-file", platform::PathToUtf8(listFile)}), kExitSuccess) << err.str();
  EXPECT_TRUE(fs::exists(docs / platform::PathFromUtf8("変換済み/報告書.pdf")));
  EXPECT_TRUE(fs::exists(docs / platform::PathFromUtf8("変換済み/写真帳.pdf")));
  EXPECT_EQ(joblist::LoadJobListFile(environment.applicationFolder / "SaveList.txt"), jobs);
  EXPECT_FALSE(fs::exists(environment.applicationFolder / "SaveList.tmp"));
}

TEST_F(RealFilesTest, UnreadableInputExitsWithOneNamingTheFile) {
  const std::string parent = Copy("report.pdf", "報告書.pdf");
  for (const char* fixture : {"truncated.pdf", "not_a_pdf.pdf", "empty.pdf", "encrypted_user.pdf"}) {
    SCOPED_TRACE(fixture);
    const std::string child = Copy(fixture, std::string("壊れた_") + fixture);
    EXPECT_EQ(Run({"convert", parent, child}), kExitJobFailed);
    EXPECT_NE(err.str().find("「報告書.pdf」"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find(child), std::string::npos) << err.str();
  }
  EXPECT_EQ(Run({"convert", platform::PathToUtf8(docs / "missing.pdf")}), kExitJobFailed);
  EXPECT_NE(err.str().find("missing.pdf"), std::string::npos) << err.str();
  EXPECT_FALSE(fs::exists(docs / platform::PathFromUtf8("変換済み/報告書_001.PDF")));
}

TEST_F(RealFilesTest, WithTheTemplatesFolderDisabledTheUsersPdfFolderIsLeftAlone) {
  // xdg-user-dirs marks a disabled folder by pointing it at the home folder,
  // whose "pdf" folder then is the user's own: the job's parent, a PDF of the
  // user's and one that happens to bear a working file's name.
  const fs::path home = temp.path() / "home";
  testsupport::WriteBytes(home / ".config" / "user-dirs.dirs", "XDG_TEMPLATES_DIR=\"$HOME/\"\n");
  testsupport::EnvOverride homeEnv("HOME", platform::PathToUtf8(home));
  testsupport::EnvOverride configEnv("XDG_CONFIG_HOME", std::nullopt);
  testsupport::EnvOverride cacheEnv("XDG_CACHE_HOME", std::nullopt);
  const fs::path userPdf = home / "pdf";
  fs::create_directories(userPdf);
  fs::copy_file(fs::path(VELLUMARK_TEST_DATA_DIR) / "report.pdf", userPdf / platform::PathFromUtf8("報告書.pdf"));
  fs::copy_file(fs::path(VELLUMARK_TEST_DATA_DIR) / "appendix1.pdf", userPdf / "Default.pdf");
  fs::copy_file(fs::path(VELLUMARK_TEST_DATA_DIR) / "appendix2.pdf", userPdf / "mine.PDF");
  environment.workFolder.clear();  // the product's choice of working folder

  for (const char* mode : {"--one-file", "--split-mb"}) {
    SCOPED_TRACE(mode);
    std::vector<std::string> args = {"convert", mode};
    if (std::string(mode) == "--split-mb") args.push_back("2");
    args.push_back(platform::PathToUtf8(userPdf / platform::PathFromUtf8("報告書.pdf")));
    EXPECT_EQ(Run(args), kExitSuccess) << err.str();
    for (const char* name : {"報告書.pdf", "Default.pdf", "mine.PDF"}) {
      EXPECT_TRUE(fs::exists(userPdf / platform::PathFromUtf8(name))) << name;
    }
  }
  EXPECT_EQ(testsupport::ReadBytes(userPdf / "Default.pdf"),
            testsupport::ReadBytes(fs::path(VELLUMARK_TEST_DATA_DIR) / "appendix1.pdf"));
  EXPECT_TRUE(fs::exists(userPdf / platform::PathFromUtf8("変換済み/報告書.pdf")));
  // The runs worked under the cache folder and took their folders with them.
  EXPECT_TRUE(fs::is_directory(home / ".cache" / "vellumark"));
  EXPECT_TRUE(fs::is_empty(home / ".cache" / "vellumark"));
}

}  // namespace
}  // namespace vellumark::cli
