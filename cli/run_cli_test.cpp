// The commands on the fake engine: what each writes, prints and returns.
#include "cli/run_cli.h"

#include <gtest/gtest.h>

#include <sstream>

#include "export/contents_list.h"
#include "joblist/job_list_file.h"
#include "pipeline/file_names.h"
#include "pipeline/pipeline_test_helpers.h"
#include "pipeline/status_texts.h"
#include "platform/folders.h"
#include "tests/support/temp_folder.h"

namespace vellumark::cli {
namespace {

namespace fs = std::filesystem;
using pipeline::testing::ContentsReport;
using pipeline::testing::ScannedPages;
using testsupport::TempFolder;

class RunCliTest : public ::testing::Test {
 protected:
  RunCliTest() {
    fs::create_directories(environment.applicationFolder);
    environment.engine = &engine;
  }

  fs::path AddPdf(const std::string& name, std::vector<testsupport::FakePage> pages) {
    const fs::path path = temp.path() / "docs" / platform::PathFromUtf8(name);
    engine.AddFile(path, std::move(pages));
    return path;
  }

  int Run(std::vector<std::string> args) {
    out.str("");
    err.str("");
    return RunCli(args, out, err, environment);
  }

  static std::string Utf8(const fs::path& path) { return platform::PathToUtf8(path); }
  static fs::path Part(const fs::path& parent, int n) {
    return pipeline::PartFileName(pipeline::OutputPathFor(parent), n);
  }

  TempFolder temp;
  testsupport::FakeEngine engine;
  Environment environment{nullptr, temp.path() / "app", temp.path() / "work", false};
  std::ostringstream out, err;
};

TEST_F(RunCliTest, ConvertWritesTheJobAndReportsProgressOnStderr) {
  const fs::path parent = AddPdf("報告書.pdf", ContentsReport({{"第1章総則", 1}, {"第2章設計", 2}}, 3, 1000));
  const fs::path child = AddPdf("付録.pdf", ScannedPages({"", ""}, 1000));

  EXPECT_EQ(Run({"convert", "--one-file", Utf8(parent), Utf8(child)}), kExitSuccess) << err.str();

  EXPECT_EQ(engine.SavedAt(pipeline::OutputPathFor(parent)).pages.size(), 7u);
  EXPECT_TRUE(out.str().empty());
  // Not a terminal: one status per line, the last one "Comp!", then the
  // summary the window shows at the end of a batch.
  const std::string summary = "1 件のジョブを変換しました。\n出力先:\n  " +
                              Utf8(pipeline::OutputPathFor(parent).parent_path()) + "\n";
  EXPECT_EQ(err.str().substr(0, 5), "wait\n");
  EXPECT_EQ(err.str().substr(err.str().size() - summary.size() - 6), "Comp!\n" + summary);
  EXPECT_EQ(err.str().find('\r'), std::string::npos);
}

TEST_F(RunCliTest, ProgressOnATerminalRewritesOneLine) {
  const fs::path parent = AddPdf("報告書.pdf", ScannedPages({"第1章 総則", ""}, 1000));
  environment.progressLine = true;
  EXPECT_EQ(Run({"convert", "--headings", "scan", "--split-mb", "2", Utf8(parent)}), kExitSuccess) << err.str();
  EXPECT_TRUE(fs::exists(Part(parent, 1)));
  const std::string text = err.str();
  EXPECT_EQ(text.substr(0, 4), "\r\x1b[K");
  // The progress on one line, ended once the run is over; the summary after
  // it on lines of its own.
  const std::size_t summaryStart = text.find("Comp!\n") + 6;
  EXPECT_EQ(text.find('\n'), summaryStart - 1);
  EXPECT_EQ(text.substr(summaryStart, text.find('\n', summaryStart) - summaryStart), "1 件のジョブを変換しました。");
}

TEST_F(RunCliTest, FailedJobExitsWithOneNamingTheJobAndTheFile) {
  const fs::path parent = AddPdf("報告書.pdf", ScannedPages({"第1章 総則"}, 1000));
  const fs::path missing = temp.path() / "docs" / platform::PathFromUtf8("図面.pdf");
  for (const std::string command : {"convert", "headings"}) {
    SCOPED_TRACE(command);
    EXPECT_EQ(Run({command, Utf8(parent), Utf8(missing)}), kExitJobFailed);
    EXPECT_NE(err.str().find("「報告書.pdf」"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find(Utf8(missing)), std::string::npos) << err.str();
    EXPECT_TRUE(out.str().empty());
  }
}

TEST_F(RunCliTest, HeadingsPrintsTheListOrTheContentsListCopy) {
  const fs::path parent =
      AddPdf("報告書.pdf", ContentsReport({{"第1章総則", 1}, {"1.1目的", 1}, {"1.1.1範囲", 2}}, 3, 1000));

  EXPECT_EQ(Run({"headings", Utf8(parent)}), kExitSuccess) << err.str();
  EXPECT_EQ(out.str(), "第1章　総則\t1\n\t1.1　目的\t1\n\t\t1.1.1　範囲\t2\n");
  EXPECT_FALSE(fs::exists(pipeline::OutputPathFor(parent).parent_path()));

  EXPECT_EQ(Run({"headings", "--contents-list", Utf8(parent)}), kExitSuccess) << err.str();
  const bookmarks::HeadingList list = {{bookmarks::Heading::kChapter, "第1章　総則", 1},
                                       {bookmarks::Heading::kSection, "1.1　目的", 1},
                                       {bookmarks::Heading::kItem, "1.1.1　範囲", 2}};
  EXPECT_EQ(out.str(), exporting::BuildContentsListText(list));

  // Nothing recognised: an empty list prints nothing, its copy fails.
  const fs::path plain = AddPdf("白紙.pdf", ScannedPages({""}, 1000));
  EXPECT_EQ(Run({"headings", Utf8(plain)}), kExitSuccess);
  EXPECT_TRUE(out.str().empty());
  EXPECT_EQ(Run({"headings", "--contents-list", Utf8(plain)}), kExitJobFailed);
  EXPECT_NE(err.str().find("Error!"), std::string::npos);
}

TEST_F(RunCliTest, BatchRunsAListFileAndKeepsTheListFiles) {
  std::vector<std::string> jobs;
  for (const char* name : {"一.pdf", "二.pdf"}) {
    jobs.push_back(Utf8(AddPdf(name, ScannedPages({"第1章 総則"}, 1000))));
  }
  const fs::path listFile = temp.path() / platform::PathFromUtf8("ジョブ.txt");
  joblist::SaveJobListFile(listFile, jobs);

  EXPECT_EQ(Run({"batch", "--unit", "size", Utf8(listFile)}), kExitSuccess) << err.str();
  for (const auto& job : jobs) EXPECT_TRUE(fs::exists(Part(platform::PathFromUtf8(job), 1))) << job;
  EXPECT_EQ(joblist::LoadJobListFile(environment.applicationFolder / "SaveList.txt"), jobs);
  EXPECT_FALSE(fs::exists(environment.applicationFolder / "SaveList.tmp"));
  EXPECT_NE(err.str().find("2 件のジョブを変換しました。"), std::string::npos) << err.str();

}

TEST_F(RunCliTest, BatchEndsWithItsWarningsEachNamingItsJob) {
  // The second job's contents page has no "END" line: the job completes,
  // and the warning survives the progress line and closes the batch.
  auto pages = ContentsReport({{"第1章総則", 1}}, 3, 1000);
  pages[1].text.erase(pages[1].text.rfind("\rEND"));
  const std::vector<std::string> jobs = {Utf8(AddPdf("一.pdf", ContentsReport({{"第1章総則", 1}}, 3, 1000))),
                                         Utf8(AddPdf("二.pdf", pages))};
  const fs::path listFile = temp.path() / "list.txt";
  joblist::SaveJobListFile(listFile, jobs);
  environment.progressLine = true;

  EXPECT_EQ(Run({"batch", "--no-force", Utf8(listFile)}), kExitSuccess) << err.str();
  EXPECT_TRUE(fs::exists(Part(platform::PathFromUtf8(jobs[1]), 1)));
  const std::string warning = pipeline::kWarnContentsEndMissing;
  const std::string text = err.str();
  EXPECT_NE(text.find(warning + "\n"), std::string::npos) << text;
  const std::string closing = "「二.pdf」 " + warning + "\n";
  ASSERT_GE(text.size(), closing.size());
  EXPECT_EQ(text.substr(text.size() - closing.size()), closing) << text;
  EXPECT_EQ(text.find("「一.pdf」"), std::string::npos) << text;
}

TEST_F(RunCliTest, BatchWithoutJobsOrListFileOrWithAFailingJobFails) {
  const fs::path failing = temp.path() / "failing.txt";
  joblist::SaveJobListFile(failing, {Utf8(temp.path() / platform::PathFromUtf8("ない.pdf"))});
  EXPECT_EQ(Run({"batch", Utf8(failing)}), kExitJobFailed);
  EXPECT_NE(err.str().find("「ない.pdf」"), std::string::npos) << err.str();

  const fs::path empty = temp.path() / "empty.txt";
  joblist::SaveJobListFile(empty, {});
  fs::remove(environment.applicationFolder / "SaveList.txt");
  EXPECT_EQ(Run({"batch", Utf8(empty)}), kExitJobFailed);
  EXPECT_NE(err.str().find("リストがありません"), std::string::npos);
  EXPECT_FALSE(fs::exists(environment.applicationFolder / "SaveList.txt"));

  EXPECT_EQ(Run({"batch", Utf8(temp.path() / "missing.txt")}), kExitJobFailed);
  EXPECT_NE(err.str().find("missing.txt"), std::string::npos) << err.str();
}

}  // namespace
}  // namespace vellumark::cli
