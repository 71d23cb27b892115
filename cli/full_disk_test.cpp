// vellumark-cli with the real engine when a disk fills up: the run fails
// with exit status 1 and the reason, the earlier output stays byte for
// byte, and nothing partial or temporary stands in the output folder. The
// disks are small tmpfs mounts (root only; skipped elsewhere).
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "cli/run_cli.h"
#include "pipeline/file_names.h"
#include "pipeline/real_pdf_test_helpers.h"
#include "platform/folders.h"
#include "tests/support/small_disk.h"
#include "tests/support/temp_folder.h"

namespace vellumark::cli {
namespace {

namespace fs = std::filesystem;
using pipeline::testing::PageTexts;
using pipeline::testing::ReadWrittenPdf;
using namespace testsupport;  // the disks, folders and file helpers

constexpr const char* kDiskFull = "ディスクの空き容量が足りません";

// Fourteen pages of about 150 KB each: several parts at 1 MB.
std::vector<std::string> FourteenPages() {
  return {"第1章 総則", "", "", "", "", "", "第2章 設計", "", "", "", "", "第3章 施工", "", ""};
}

class FullDiskTest : public ::testing::Test {
 protected:
  FullDiskTest() { fs::create_directories(environment.applicationFolder); }

  int Run(const std::vector<std::string>& args) {
    out.str("");
    err.str("");
    return RunCli(args, out, err, environment);
  }

  static std::string Utf8(const fs::path& path) { return platform::PathToUtf8(path); }

  // Every file in the output folder opens as a whole PDF, and none is a
  // temporary file of a write that failed.
  static void ExpectOnlyWholeFiles(const fs::path& outputFolder) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(outputFolder, ec)) {
      const std::string name = Utf8(entry.path().filename());
      SCOPED_TRACE(name);
      EXPECT_FALSE(name.ends_with(".tmp")) << "temporary file left";
      EXPECT_NO_THROW(ReadWrittenPdf(entry.path()));
      EXPECT_FALSE(PageTexts(entry.path()).empty());
    }
  }

  TempFolder temp;
  Environment environment{nullptr, temp.path() / "app", temp.path() / "work", false};
  std::ostringstream out, err;
};

TEST_F(FullDiskTest, OneFileRunOnAFullDiskFailsAndKeepsTheEarlierOutput) {
  SmallDisk disk(temp / "disk", "1m");
  VELLUMARK_REQUIRE_SMALL_DISK(disk);
  const fs::path parent = disk.path() / platform::PathFromUtf8("報告書.pdf");
  fs::copy_file(pipeline::testing::DataFile("report.pdf"), parent);
  ASSERT_EQ(Run({"convert", "--one-file", Utf8(parent)}), kExitSuccess) << err.str();
  const fs::path output = pipeline::OutputPathFor(parent);
  const std::string earlier = ReadBytes(output);

  // Less room than the output takes, wherever the write then stops.
  for (const std::size_t leave : {std::size_t{8} * 1024, earlier.size() / 2, earlier.size() - 1500}) {
    SCOPED_TRACE(leave);
    disk.FillLeaving(leave);
    EXPECT_EQ(Run({"convert", "--one-file", Utf8(parent)}), kExitJobFailed);
    EXPECT_NE(err.str().find(kDiskFull), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("報告書.pdf"), std::string::npos) << err.str();
    EXPECT_TRUE(ReadBytes(output) == earlier) << "the earlier output changed";
    EXPECT_EQ(std::set<fs::path>({output}), std::set<fs::path>(fs::directory_iterator(output.parent_path()), {}));
    fs::remove(disk.path() / "filler");
  }
}

TEST_F(FullDiskTest, SplitRunOnAFullDiskLeavesNoTruncatedPart) {
  SmallDisk disk(temp / "disk", "3m");
  VELLUMARK_REQUIRE_SMALL_DISK(disk);
  const fs::path parent = disk.path() / platform::PathFromUtf8("大型報告書.pdf");
  pipeline::testing::WriteNoiseReport(parent, FourteenPages(), 150000);
  // The working folder on the same disk, as when both lie in the home
  // folder: the measured file becomes the part by a rename.
  environment.workFolder = disk.path() / "work";
  const fs::path outputFolder = pipeline::OutputPathFor(parent).parent_path();

  // The parts need as much room as the parent, and there is less than that.
  for (const char* unit : {"size", "chapter"}) {
    SCOPED_TRACE(unit);
    fs::remove_all(outputFolder);
    EXPECT_EQ(Run({"convert", "--split-mb", "1", "--unit", unit, Utf8(parent)}), kExitJobFailed);
    EXPECT_NE(err.str().find(kDiskFull), std::string::npos) << err.str();
    EXPECT_TRUE(fs::exists(pipeline::PartFileName(pipeline::OutputPathFor(parent), 1)));
    ExpectOnlyWholeFiles(outputFolder);
  }
}

TEST_F(FullDiskTest, FullWorkingFolderFailsTheRunInsteadOfWritingTruncatedParts) {
  SmallDisk disk(temp / "work-disk", "400k");
  VELLUMARK_REQUIRE_SMALL_DISK(disk);
  environment.workFolder = disk.path() / "pdf";
  const fs::path docs = temp / "docs";
  fs::create_directories(docs);
  const fs::path parent = docs / platform::PathFromUtf8("大型報告書.pdf");
  pipeline::testing::WriteNoiseReport(parent, FourteenPages(), 150000);

  EXPECT_EQ(Run({"convert", "--split-mb", "1", "--unit", "chapter", Utf8(parent)}), kExitJobFailed);
  EXPECT_NE(err.str().find(kDiskFull), std::string::npos) << err.str();
  ExpectOnlyWholeFiles(pipeline::OutputPathFor(parent).parent_path());
}

}  // namespace
}  // namespace vellumark::cli
