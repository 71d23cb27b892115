// The commands on the fake engine: what each writes, prints and returns.
#include "cli/run_cli.h"

#include <gtest/gtest.h>

#include <sstream>

#include "bookmarks/heading_list_file.h"
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

  // Pages of the merged document: printed page 1 follows the cover and the
  // contents page. The copy keeps the printed pages.
  EXPECT_EQ(Run({"headings", Utf8(parent)}), kExitSuccess) << err.str();
  EXPECT_EQ(out.str(), "第1章　総則\t3\n\t1.1　目的\t3\n\t\t1.1.1　範囲\t4\n");
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

TEST_F(RunCliTest, HeadingsSavedAsTheHeadingListFileGiveTheSameBookmarks) {
  struct Case {
    const char* name;
    std::vector<std::string> options;
    std::vector<testsupport::FakePage> parent;
  };
  const std::vector<Case> cases = {
      {"contents page", {}, ContentsReport({{"第1章総則", 1}, {"1.1目的", 2}, {"第2章設計", 3}}, 4, 1000)},
      {"all pages", {"--headings", "scan"}, ScannedPages({"", "第1章 総則", "1.1 目的", "第2章 設計"}, 1000)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path parent = AddPdf(std::string(c.name) + ".pdf", c.parent);
    const fs::path child = AddPdf("付録.pdf", ScannedPages({"", ""}, 1000));
    const fs::path listFile = bookmarks::HeadingListFilePath(parent);
    auto run = [&](const std::string& command) {
      std::vector<std::string> args = {command, "--one-file"};
      args.insert(args.end(), c.options.begin(), c.options.end());
      args.insert(args.end(), {Utf8(parent), Utf8(child)});
      return Run(args);
    };

    ASSERT_EQ(run("convert"), kExitSuccess) << err.str();
    const auto recognised = engine.SavedAt(pipeline::OutputPathFor(parent)).bookmarks;
    ASSERT_EQ(run("headings"), kExitSuccess) << err.str();
    testsupport::WriteBytes(listFile, out.str());
    ASSERT_EQ(run("convert"), kExitSuccess) << err.str();
    const auto fromFile = engine.SavedAt(pipeline::OutputPathFor(parent)).bookmarks;
    EXPECT_EQ(pipeline::testing::Titles(fromFile), pipeline::testing::Titles(recognised));
    EXPECT_EQ(pipeline::testing::Targets(fromFile), pipeline::testing::Targets(recognised));
    const std::string notice = pipeline::kWarnHeadingListFile + Utf8(listFile.filename());
    // Said in the closing summary, after the job's name.
    EXPECT_NE(err.str().find("「" + std::string(c.name) + ".pdf」 " + notice + "\n"), std::string::npos) << err.str();
    // `headings` still prints what the document gives, not the file.
    testsupport::WriteBytes(listFile, "直した見出し\t2\n");
    ASSERT_EQ(run("headings"), kExitSuccess) << err.str();
    EXPECT_EQ(out.str().find("直した見出し"), std::string::npos);

    // The edited file is what the bookmarks show, on the document page it
    // names.
    ASSERT_EQ(run("convert"), kExitSuccess) << err.str();
    const auto edited = engine.SavedAt(pipeline::OutputPathFor(parent)).bookmarks;
    EXPECT_EQ(pipeline::testing::Titles(edited), (std::vector<std::string>{"表紙", "直した見出し"}));
    EXPECT_EQ(pipeline::testing::Targets(edited), (std::vector<int>{0, 1}));

    // A line that is no entry fails the job and leaves the output as it was.
    const int saves = engine.saveCount();
    testsupport::WriteBytes(listFile, "第1章\t1\n第2章\t二\n");
    EXPECT_EQ(run("convert"), kExitJobFailed);
    EXPECT_NE(err.str().find(Utf8(listFile) + ": 見出しリストの 2 行目を読み取れません"), std::string::npos)
        << err.str();
    EXPECT_EQ(engine.saveCount(), saves);
  }
}

TEST_F(RunCliTest, StrictEndsARunWithWarningsInThree) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    int exit;
  };
  // A contents page without "END" warns; one with it does not.
  auto noEnd = ContentsReport({{"第1章総則", 1}}, 2, 1000);
  noEnd[1].text.erase(noEnd[1].text.rfind("\rEND"));
  const std::string warned = Utf8(AddPdf("警告.pdf", noEnd));
  const std::string clean = Utf8(AddPdf("正常.pdf", ContentsReport({{"第1章総則", 1}}, 2, 1000)));
  const fs::path listFile = temp.path() / "list.txt";
  joblist::SaveJobListFile(listFile, {clean, warned});
  const std::vector<Case> cases = {
      {"convert with a warning", {"convert", "--strict", warned}, kExitWarnings},
      {"without --strict", {"convert", warned}, kExitSuccess},
      {"convert without a warning", {"convert", "--strict", clean}, kExitSuccess},
      {"batch with a warning in one job", {"batch", "--strict", Utf8(listFile)}, kExitWarnings},
      {"headings with a warning", {"headings", "--strict", warned}, kExitWarnings},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Run(c.args), c.exit) << err.str();
  }
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
