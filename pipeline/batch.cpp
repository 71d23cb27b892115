// The batch: every job of the list, top first, with the job list files kept
// so that an interrupted batch can be taken up again from "SaveList.tmp".
#include "pipeline/batch.h"

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

std::string JobName(const std::string& jobLine) {
  return FileNameForStatus(platform::PathFromUtf8(joblist::SplitJobLine(jobLine).parent));
}

std::string FailureMessage(const std::string& jobLine, const std::string& detail) {
  if (jobLine.empty()) return "ジョブリストを保存できませんでした。\n" + detail;
  return JobFailureMessage(jobLine, detail);
}

}  // namespace

std::string JobFailureMessage(const std::string& jobLine, const std::string& detail) {
  return "「" + JobName(jobLine) + "」のジョブを変換できませんでした。\n" + detail;
}

BatchResult RunBatch(joblist::JobListModel& list, const ConversionOptions& options, Conversion& conversion,
                     const WorkingFiles& files, const std::function<bool()>& stopRequested) {
  BatchResult result;
  std::string currentJob;  // empty while no job runs (the list files)
  try {
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
      list.ShowChildren(joblist::SplitJobLine(currentJob).children);
      conversion.ConvertJob(currentJob, options);
      list.RemoveTopJob();
      currentJob.clear();
      ++result.converted;
      joblist::SaveJobListFile(files.saveListTmpPath, list.jobs());
    }
  } catch (const platform::UserError& error) {
    result.failure = JobFailure{currentJob, FailureMessage(currentJob, error.what())};
  } catch (const std::exception& error) {
    result.failure =
        JobFailure{currentJob, FailureMessage(currentJob, kUnexpectedErrorPrefix + std::string(error.what()))};
  }

  if (result.failure) {
    if (!currentJob.empty()) {
      // The failed job stays on top of the list and of "SaveList.tmp", so
      // the batch can be taken up again from it, even when it was the first
      // job (the file would otherwise hold an earlier batch's list).
      try {
        joblist::SaveJobListFile(files.saveListTmpPath, list.jobs());
      } catch (const platform::UserError&) {
        // The job's own failure is what the user must hear about; the list
        // file keeps its earlier content.
      }
    }
    return result;
  }
  if (!result.stopped) {
    std::error_code ec;
    fs::remove(files.saveListTmpPath, ec);
  }
  return result;
}

}  // namespace vellumark::pipeline
