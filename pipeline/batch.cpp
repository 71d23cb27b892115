// The batch: every job of the list, top first, with the job list files kept
// so that an interrupted batch can be taken up again from "SaveList.tmp".
#include "pipeline/batch.h"

#include <algorithm>
#include <exception>
#include <system_error>

#include "joblist/job_line.h"
#include "joblist/job_list_file.h"
#include "pipeline/file_names.h"
#include "platform/error.h"
#include "platform/folders.h"

namespace vellumark::pipeline {

namespace fs = std::filesystem;

namespace {

constexpr char kCannotCreateLockFile[] = "ファイルを作成できません";

std::string JobName(const joblist::Job& job) { return FileNameForStatus(platform::PathFromUtf8(job.parent)); }

// A failure outside any job can only concern the list files.
std::string FailureMessage(const std::optional<std::string>& jobLine, const std::string& detail) {
  if (!jobLine) return "ジョブリストのファイルを更新できませんでした。\n" + detail;
  return JobFailureMessage(joblist::SplitJobLine(*jobLine), detail);
}

}  // namespace

std::string FailureText(const std::exception& error) {
  if (dynamic_cast<const platform::UserError*>(&error) != nullptr) return error.what();
  return kUnexpectedErrorPrefix + std::string(error.what());
}

std::string JobFailureMessage(const joblist::Job& job, const std::string& detail) {
  return "「" + JobName(job) + "」のジョブを変換できませんでした。\n" + detail;
}

std::optional<platform::FileLock> TakeBatchLock(const WorkingFiles& files) {
  std::error_code error;
  std::optional<platform::FileLock> lock = platform::FileLock::TryTake(files.batchLockPath, true, error);
  if (error) throw platform::UserError(files.batchLockPath, kCannotCreateLockFile);
  return lock;
}

void AddConvertedJob(BatchResult& result, const joblist::Job& job, const std::vector<std::string>& warnings) {
  ++result.converted;
  for (const std::string& warning : warnings) result.warnings.push_back("「" + JobName(job) + "」 " + warning);
  const fs::path folder = OutputPathFor(platform::PathFromUtf8(job.parent)).parent_path();
  if (std::find(result.outputFolders.begin(), result.outputFolders.end(), folder) == result.outputFolders.end()) {
    result.outputFolders.push_back(folder);
  }
}

BatchResult RunBatch(joblist::JobListModel& list, const ConversionOptions& options, Conversion& conversion,
                     const WorkingFiles& files, const std::function<bool()>& stopRequested) {
  BatchResult result;
  // The job being converted; empty between jobs, where only the list files
  // can fail. (An empty job line is a job like any other and fails as one.)
  std::optional<std::string> currentJob;
  try {
    // The resume list first: from here on it names exactly the jobs of this
    // batch not yet complete, so a kill during the first job does not leave
    // an earlier batch's list to be offered for resuming.
    joblist::SaveJobListFile(files.saveListTmpPath, list.jobs());
    joblist::SaveJobListFile(files.saveListPath, list.jobs());
    // Exactly as many jobs as the list held at the start: jobs dropped on the
    // list meanwhile stay in it, unconverted.
    const std::size_t jobCount = list.jobs().size();
    for (std::size_t done = 0; done < jobCount; ++done) {
      if (stopRequested && stopRequested()) {
        result.stopped = true;
        break;
      }
      // Jobs deleted from the list during the batch leave fewer than
      // expected; there is then nothing left to convert.
      if (list.jobs().empty()) break;
      currentJob = list.jobs().front();
      // The list holds job lines; the conversion takes the job they stand for.
      const joblist::Job job = joblist::SplitJobLine(*currentJob);
      list.ShowChildren(job.children);
      conversion.ConvertJob(job, options);
      AddConvertedJob(result, job, conversion.warnings());
      list.RemoveTopJob();
      currentJob.reset();
      joblist::SaveJobListFile(files.saveListTmpPath, list.jobs());
    }
  } catch (const std::exception& error) {
    result.failure = JobFailure{currentJob.value_or(""), FailureMessage(currentJob, FailureText(error))};
  }

  // After a failure "SaveList.tmp" already holds the failed job on top and
  // every job after it, as it did while the job ran.
  if (result.failure) return result;
  if (!result.stopped) {
    // A "SaveList.tmp" left behind would say that this batch did not finish
    // and be offered for resuming: failing to delete it must be heard.
    std::error_code ec;
    fs::remove(files.saveListTmpPath, ec);
    if (ec) {
      result.failure = JobFailure{
          "", FailureMessage(std::nullopt, platform::PathToUtf8(files.saveListTmpPath) + ": 削除できませんでした")};
    }
  }
  return result;
}

}  // namespace vellumark::pipeline
