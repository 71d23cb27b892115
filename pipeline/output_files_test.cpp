// What a job leaves in the output folder, on the real engine: only the parts
// of its own run, under names built from any parent name the file system
// takes, and no temporary file of an earlier, killed run.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "acrobat/real_engine.h"
#include "pipeline/conversion.h"
#include "pipeline/file_names.h"
#include "pipeline/pipeline_test_helpers.h"
#include "pipeline/real_conversion_test.h"
#include "pipeline/real_pdf_test_helpers.h"
#include "pipeline/status_texts.h"
#include "platform/error.h"
#include "tests/support/temp_folder.h"

namespace vellumark::pipeline {
namespace {

namespace fs = std::filesystem;
using testing::DataFile;
using testing::PageTexts;
using testing::RecordingSink;
using testsupport::FileNamesIn;
using testsupport::TempFolder;

class OutputFilesTest : public testing::RealConversionTest {
 protected:
  // The text of every page of the output folder's ".PDF" files, part by
  // part: a part left over from an earlier run would show here.
  static std::vector<std::string> PagesOfParts(const fs::path& parent) {
    std::set<fs::path> parts;
    for (const auto& entry : fs::directory_iterator(OutputPathFor(parent).parent_path())) {
      if (entry.path().extension() == ".PDF") parts.insert(entry.path());
    }
    return AllPageTexts({parts.begin(), parts.end()});
  }
};

TEST_F(OutputFilesTest, ASecondRunWithFewerPartsSetsAsideEveryPartOfTheFirst) {
  const fs::path parent = docs / platform::PathFromUtf8("大型報告書.pdf");
  testing::WriteNoiseReport(parent, std::vector<std::string>(14, ""), 150000);
  options.splitUnit = SplitUnit::kSizeOnly;
  options.partSizeLimit = SizeLimitFromText("1");
  conversion.ConvertJob(joblist::Job{platform::PathToUtf8(parent), {}}, options);
  const fs::path output = OutputPathFor(parent);
  ASSERT_TRUE(fs::exists(PartFileName(output, 3)));
  const std::vector<std::string> firstRun = PagesOfParts(parent);

  options.partSizeLimit = SizeLimitFromText("3");
  conversion.ConvertJob(joblist::Job{platform::PathToUtf8(parent), {}}, options);
  // One part now; the first run's are all backups, none a ".PDF" beside it.
  EXPECT_TRUE(fs::exists(PartFileName(output, 1)));
  EXPECT_FALSE(fs::exists(PartFileName(output, 2)));
  EXPECT_FALSE(fs::exists(PartFileName(output, 3)));
  EXPECT_EQ(PagesOfParts(parent), PageTexts(parent));
  std::vector<std::string> backups;
  for (int n = 1; fs::exists(PartFileName(output, n).replace_extension(".bak")); ++n) {
    const auto pages = PageTexts(PartFileName(output, n).replace_extension(".bak"));
    backups.insert(backups.end(), pages.begin(), pages.end());
  }
  EXPECT_EQ(backups, firstRun);
}

TEST_F(OutputFilesTest, AnyNameTheFileSystemTakesConvertsInsideTheOutputFolder) {
  struct Case {
    std::string name;
    int opSave;
    std::string output;  // the file the job writes, in "変換済み"
  };
  // 75 three-byte characters and ".pdf": 229 bytes.
  std::string longName;
  for (int i = 0; i < 75; ++i) longName += "報";
  const std::vector<Case> cases = {
      {"pdf", 1, "pdf"},
      {"pdf", 0, "pdf_001.PDF"},
      {longName + ".pdf", 1, longName + ".pdf"},
      {longName + ".pdf", 0, longName + "_001.PDF"},
  };
  options.partSizeLimit = SizeLimitFromText("1");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name.substr(0, 12) + " " + std::to_string(c.opSave));
    fs::remove_all(docs);
    fs::create_directories(docs);
    const fs::path parent = CopyFixture("report.pdf", c.name);
    options.partSizeLimit.reset();
    if (c.opSave == 0) options.partSizeLimit = SizeLimitFromText("1");
    EXPECT_NO_THROW(conversion.ConvertJob(joblist::Job{platform::PathToUtf8(parent), {}}, options));
    EXPECT_EQ(FileNamesIn(docs), (std::set<std::string>{c.name, kOutputFolderName}));
    EXPECT_EQ(FileNamesIn(docs / platform::PathFromUtf8(kOutputFolderName)), std::set<std::string>{c.output});
  }
}

TEST_F(OutputFilesTest, TemporaryFilesOfAKilledRunGoWithTheNextRun) {
  const fs::path parent = CopyFixture("report.pdf", "報告書.pdf");
  const fs::path outputFolder = OutputPathFor(parent).parent_path();
  fs::create_directories(outputFolder);
  const pid_t child = fork();
  if (child == 0) _exit(0);
  ASSERT_GT(child, 0);
  waitpid(child, nullptr, 0);
  // What a run killed while saving leaves: this version's name, and an
  // earlier version's.
  const fs::path workFolder = temp.path() / "work";
  for (const std::string& name :
       std::vector<std::string>{".vm-" + std::to_string(child) + "-Xy12ab.tmp", "報告書.pdf.vellumark-77-0.tmp"}) {
    testsupport::WriteBytes(outputFolder / platform::PathFromUtf8(name), "%PDF-1.4 half");
    testsupport::WriteBytes(workFolder / platform::PathFromUtf8(name), "%PDF-1.4 half");
  }
  options.partSizeLimit.reset();
  conversion.ConvertJob(joblist::Job{platform::PathToUtf8(parent), {}}, options);
  EXPECT_EQ(FileNamesIn(outputFolder), std::set<std::string>{"報告書.pdf"});
  EXPECT_TRUE(FileNamesIn(workFolder).empty());
}

TEST_F(OutputFilesTest, AChildWithoutPagesIsWarnedAboutAndAFifoIsRefused) {
  const fs::path parent = CopyFixture("report.pdf", "報告書.pdf");
  const fs::path empty = docs / platform::PathFromUtf8("空の付録.pdf");
  {
    QPDF pdf;
    pdf.emptyPDF();
    QPDFWriter writer(pdf, empty.c_str());
    writer.write();
  }
  options.partSizeLimit.reset();
  conversion.ConvertJob(joblist::Job{platform::PathToUtf8(parent), {platform::PathToUtf8(empty)}}, options);
  EXPECT_EQ(conversion.warnings(), std::vector<std::string>{std::string(kWarnNoPages) + "空の付録.pdf"});
  EXPECT_EQ(PageTexts(OutputPathFor(parent)), PageTexts(parent));

  // A FIFO would block the read until someone writes to it: never opened.
  const fs::path fifo = docs / "x.pdf";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  try {
    conversion.ConvertJob(joblist::Job{platform::PathToUtf8(parent), {platform::PathToUtf8(fifo)}}, options);
    ADD_FAILURE() << "a FIFO was accepted";
  } catch (const platform::UserError& error) {
    EXPECT_EQ(error.file(), fifo);
  }
}

}  // namespace
}  // namespace vellumark::pipeline
