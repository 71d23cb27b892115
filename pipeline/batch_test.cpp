// The batch on the fake engine: jobs taken from the top, and the two job
// list files standing as a resumed batch needs them, after success and after
// a failure.
#include "pipeline/batch.h"

#include <gtest/gtest.h>

#include "joblist/job_list.h"
#include "joblist/job_list_file.h"
#include "pipeline/pipeline_test_helpers.h"
#include "platform/error.h"

namespace vellumark::pipeline {
namespace {

namespace fs = std::filesystem;

using testing::FakeJobTest;
using testing::ScannedPages;

class BatchTest : public FakeJobTest {
 protected:
  BatchTest() {
    for (const char* name : {"一.pdf", "二.pdf", "三.pdf"}) {
      jobs.push_back(JobLine(AddPdf(name, ScannedPages({"第1章 総則", ""}, 1000))));
    }
    list.SetJobs(jobs);
  }

  // What "SaveList.tmp" holds at the start of each job ("wait"), or a marker
  // when it does not exist.
  void RecordTmpAtEachJobStart() {
    status.onStatus = [this](const std::string& text) {
      if (text != "wait") return;
      tmpAtJobStart.push_back(fs::exists(files.saveListTmpPath) ? joblist::LoadJobListFile(files.saveListTmpPath)
                                                                : std::vector<std::string>{"(none)"});
    };
  }

  std::vector<std::string> WorkingPdfs() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(files.workFolder)) names.push_back(entry.path().string());
    return names;
  }

  std::vector<std::string> jobs;
  joblist::JobListModel list;
  std::vector<std::vector<std::string>> tmpAtJobStart;
};

TEST_F(BatchTest, ThreeJobsRunTopFirstAndTheListFilesFollow) {
  // An earlier batch was killed and left its own resume list behind.
  joblist::SaveJobListFile(files.saveListTmpPath, {"古いジョブ"});
  RecordTmpAtEachJobStart();
  const BatchResult result = RunBatch(list, options, conversion, files);

  EXPECT_EQ(result.converted, 3);
  EXPECT_FALSE(result.failure.has_value());
  EXPECT_TRUE(list.jobs().empty());
  // From the start on it holds exactly the jobs not yet finished, the one
  // running included, so a kill at any moment leaves a list to resume from.
  EXPECT_EQ(tmpAtJobStart, (std::vector<std::vector<std::string>>{jobs, {jobs[1], jobs[2]}, {jobs[2]}}));
  EXPECT_FALSE(fs::exists(files.saveListTmpPath));
  EXPECT_EQ(joblist::LoadJobListFile(files.saveListPath), jobs);
  EXPECT_EQ(status.texts.back(), "Comp!");
  for (const char* name : {"一.pdf", "二.pdf", "三.pdf"}) {
    EXPECT_TRUE(fs::exists(PartPath(docs / platform::PathFromUtf8(name), 1))) << name;
  }
}

TEST_F(BatchTest, FailingJobStopsTheBatchAndStaysOnTopOfTheResumeList) {
  const fs::path missing = docs / platform::PathFromUtf8("欠けた付録.pdf");
  for (const int failingIndex : {0, 1}) {
    SCOPED_TRACE("failing job " + std::to_string(failingIndex));
    // An earlier interrupted batch left its own resume list behind.
    joblist::SaveJobListFile(files.saveListTmpPath, {"古いジョブ"});
    std::vector<std::string> lines = jobs;
    lines[static_cast<std::size_t>(failingIndex)] += "\t" + platform::PathToUtf8(missing);
    list.SetJobs(lines);

    const BatchResult result = RunBatch(list, options, conversion, files);

    EXPECT_EQ(result.converted, failingIndex);
    ASSERT_TRUE(result.failure.has_value());
    EXPECT_EQ(result.failure->jobLine, lines[static_cast<std::size_t>(failingIndex)]);
    const std::string parentName = failingIndex == 0 ? "一.pdf" : "二.pdf";
    EXPECT_NE(result.failure->message.find("「" + parentName + "」"), std::string::npos) << result.failure->message;
    EXPECT_NE(result.failure->message.find("欠けた付録.pdf"), std::string::npos) << result.failure->message;
    const std::vector<std::string> rest(lines.begin() + failingIndex, lines.end());
    EXPECT_EQ(list.jobs(), rest);
    EXPECT_EQ(joblist::LoadJobListFile(files.saveListTmpPath), rest);
    EXPECT_EQ(joblist::LoadJobListFile(files.saveListPath), lines);
    EXPECT_TRUE(WorkingPdfs().empty());
  }
}

TEST_F(BatchTest, EmptyJobLineFailsAsAJobNotAsTheListFile) {
  // A list file with an empty line gives an empty job; it fails like any
  // job whose parent is missing, and the resume list keeps it on top.
  std::vector<std::string> lines = {jobs[0], "", jobs[1]};
  list.SetJobs(lines);
  const BatchResult result = RunBatch(list, options, conversion, files);
  EXPECT_EQ(result.converted, 1);
  ASSERT_TRUE(result.failure.has_value());
  EXPECT_EQ(result.failure->jobLine, "");
  EXPECT_NE(result.failure->message.find("のジョブを変換できませんでした"), std::string::npos) << result.failure->message;
  // The empty line stands on top of the resume list; read back, a blank
  // line is no job, so the rest of the batch resumes with the next one.
  EXPECT_EQ(testsupport::ReadBytes(files.saveListTmpPath).substr(0, 2), "\r\n");
  EXPECT_EQ(joblist::LoadJobListFile(files.saveListTmpPath), (std::vector<std::string>{jobs[1]}));
}

TEST_F(BatchTest, PartsOverTheLimitAreReportedAtTheEnd) {
  // The middle page alone saves over the 1 MB limit: it is written as a part
  // of its own, and the batch result says so for the window's message.
  const fs::path parent = AddPdf("写真.pdf", {testing::Page("A", "第1章 写真", 100'000),
                                             testing::Page("B", "", 2'000'000), testing::Page("C", "", 100'000)});
  list.SetJobs({JobLine(parent), jobs[0]});
  options.splitUnit = SplitUnit::kSizeOnly;
  options.headingSource = HeadingSource::kAllPages;
  const BatchResult result = RunBatch(list, options, conversion, files);
  EXPECT_FALSE(result.failure.has_value());
  EXPECT_EQ(result.converted, 2);
  ASSERT_EQ(result.warnings.size(), 1u);
  EXPECT_EQ(result.warnings[0].rfind("「写真.pdf」 ", 0), 0u) << result.warnings[0];
  EXPECT_NE(result.warnings[0].find("写真_002.PDF"), std::string::npos) << result.warnings[0];
}

TEST_F(BatchTest, StopBetweenJobsKeepsTheRemainingJobsForResuming) {
  int asked = 0;
  const BatchResult result = RunBatch(list, options, conversion, files, [&] { return ++asked > 1; });
  EXPECT_TRUE(result.stopped);
  EXPECT_EQ(result.converted, 1);
  EXPECT_EQ(joblist::LoadJobListFile(files.saveListTmpPath), (std::vector<std::string>{jobs[1], jobs[2]}));
}

TEST_F(BatchTest, JobsDeletedDuringTheBatchAreNotConverted) {
  // The user deletes the last job while the first one runs.
  status.onStatus = [this](const std::string& text) {
    if (text == "Comp!" && list.jobs().size() == 3) {
      list.SelectJob(2);
      list.DeleteSelectedJob();
    }
  };
  const BatchResult result = RunBatch(list, options, conversion, files);
  EXPECT_EQ(result.converted, 2);
  EXPECT_FALSE(result.failure.has_value());
  EXPECT_FALSE(fs::exists(PartPath(docs / platform::PathFromUtf8("三.pdf"), 1)));
}

TEST_F(BatchTest, OneBatchLockAtATimePerApplicationFolder) {
  std::optional<platform::FileLock> held = TakeBatchLock(files);
  ASSERT_TRUE(held.has_value());
  EXPECT_FALSE(TakeBatchLock(files).has_value());
  // Another application folder has list files of its own.
  fs::create_directories(temp.path() / "other-app");
  EXPECT_TRUE(TakeBatchLock(MakeWorkingFiles(temp.path() / "other-app", files.workFolder)).has_value());
  held.reset();
  EXPECT_TRUE(TakeBatchLock(files).has_value());

  // A lock file that cannot be made is a failure naming it, not a refusal.
  const WorkingFiles unwritable = MakeWorkingFiles(temp.path() / "missing-app", files.workFolder);
  try {
    (void)TakeBatchLock(unwritable);
    ADD_FAILURE() << "no failure";
  } catch (const platform::UserError& error) {
    EXPECT_EQ(error.file(), unwritable.batchLockPath);
  }
}

}  // namespace
}  // namespace vellumark::pipeline

namespace vellumark::pipeline {
namespace {

// Every front end words a caught failure through this one rule; running out
// of memory must read as unexpected, not pass as one of the program's own
// messages.
TEST(FailureTextTest, OwnErrorsStandAsTheyAreAnythingElseIsMarkedUnexpected) {
  const std::string prefix = kUnexpectedErrorPrefix;
  const platform::UserError own(platform::PathFromUtf8("/データ/報告書.pdf"), "ファイルを開けません");
  const platform::UserError withoutFile({}, "リストがありません");
  const std::runtime_error library("qpdf: damaged xref");
  const std::bad_alloc noMemory;
  const struct {
    const std::exception& error;
    std::string expected;
  } cases[] = {
      {own, "/データ/報告書.pdf: ファイルを開けません"},
      {withoutFile, "リストがありません"},
      {library, prefix + "qpdf: damaged xref"},
      {noMemory, prefix + noMemory.what()},
  };
  for (const auto& c : cases) EXPECT_EQ(FailureText(c.error), c.expected);
}

}  // namespace
}  // namespace vellumark::pipeline
