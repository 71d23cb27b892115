#pragma once
// The batch: every job of the list, top first, with "SaveList.txt" written at
// the start and "SaveList.tmp" after each job.
#include <exception>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "joblist/job_list.h"
#include "pipeline/conversion.h"
#include "platform/file_lock.h"

namespace vellumark::pipeline {

inline constexpr const char* kNoListMessage = "リストがありません";
// A second batch is refused while one runs with the same application folder
// (window or command line alike): the two would overwrite each other's list
// files.
inline constexpr const char* kBatchRunningMessage = "別の連続変換が実行中です";
// Put before the text of a failure that is not one of the program's own
// (a library's error), which then has no file name of its own.
inline constexpr const char* kUnexpectedErrorPrefix = "予期しないエラーが発生しました: ";

// The text shown for a failure caught at the top of a front end (or of a
// job): the program's own errors (UserError) already name the file and say
// what went wrong; anything else (a library's error, running out of memory)
// gets kUnexpectedErrorPrefix before its text, so the user can tell the two
// apart. Every front end reports through this, so they all read alike.
std::string FailureText(const std::exception& error);

struct JobFailure {
  std::string jobLine;
  std::string message;  // Japanese, names the job and the file, says what failed
};

struct BatchResult {
  int converted = 0;
  bool stopped = false;  // stopRequested answered true between jobs
  std::optional<JobFailure> failure;
  // Parts written over the limit, each as "「<parent file name>」" and the
  // warning, for one message at the end of the batch.
  std::vector<std::string> warnings;
  // The "変換済み" folders of the converted jobs, each once, in job order.
  std::vector<std::filesystem::path> outputFolders;
};

// Counts one converted job into `result`: its output folder and its
// warnings, each marked with the job's parent file name. The command line's
// single conversion uses it too, so its summary reads like a batch's.
void AddConvertedJob(BatchResult& result, const joblist::Job& job, const std::vector<std::string>& warnings);

// "「<parent file name>」のジョブを変換できませんでした。" and the detail on
// the next line (the failing file and what went wrong). Shared by the batch
// and the command line's single conversion, so both report alike.
std::string JobFailureMessage(const joblist::Job& job, const std::string& detail);

// The lock on the job list files, held for the length of a batch (a single
// conversion from the command line counts as a batch of one). nullopt when
// another batch holds it. Throws UserError naming the lock file when it
// cannot be created.
std::optional<platform::FileLock> TakeBatchLock(const WorkingFiles& files);

// Runs the batch on `list` (jobs leave it from the top once converted).
// `stopRequested` is asked between jobs (closing the window during a batch).
// "SaveList.tmp" lists the jobs not yet complete at every moment, from the
// start on, so a batch killed at any point can be taken up again from it.
// A failing job ends the batch; the list files then stand with the failed
// job at the top of "SaveList.tmp". The caller holds the batch lock. The caller checks the list is not empty
// and the size text (CheckSizeText) before calling.
BatchResult RunBatch(joblist::JobListModel& list, const ConversionOptions& options, Conversion& conversion,
                     const WorkingFiles& files, const std::function<bool()>& stopRequested = {});

}  // namespace vellumark::pipeline
