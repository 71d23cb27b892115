#include "cli/run_cli.h"

#include <exception>
#include <functional>
#include <memory>
#include <optional>

#include "acrobat/real_engine.h"
#include "cli/command_line.h"
#include "cli/status_stream.h"
#include "bookmarks/heading_list_file.h"
#include "export/contents_list.h"
#include "joblist/job_line.h"
#include "joblist/job_list.h"
#include "joblist/job_list_file.h"
#include "pipeline/batch.h"
#include "pipeline/batch_summary.h"
#include "pipeline/conversion.h"
#include "pipeline/run_folder.h"
#include "pipeline/working_files.h"
#include "platform/folders.h"
#include "vellumark_version.h"

namespace vellumark::cli {

namespace fs = std::filesystem;

namespace {

// The contents list copy's own word for "nothing to copy".
constexpr const char* kContentsListError = "Error!";

// A job of full paths, as the window builds it from dropped files: the
// output folder is then beside the parent wherever the command was run.
joblist::Job JobFromFiles(const std::vector<std::string>& files) {
  joblist::Job job;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string full = platform::PathToUtf8(fs::absolute(platform::PathFromUtf8(files[i])));
    if (i == 0) {
      job.parent = full;
    } else {
      job.children.push_back(full);
    }
  }
  return job;
}

class Runner {
 public:
  Runner(const Request& request, std::ostream& out, std::ostream& err, const Environment& environment)
      : request_(request), out_(out), err_(err), status_(err, environment.progressLine) {
    engine_ = environment.engine;
    if (engine_ == nullptr) {
      ownEngine_ = acrobat::MakeRealEngine();
      engine_ = ownEngine_.get();
    }
    const fs::path appFolder =
        environment.applicationFolder.empty() ? pipeline::ApplicationFolder() : environment.applicationFolder;
    runFolder_.emplace(environment.workFolder.empty() ? pipeline::WorkingFolderBase() : environment.workFolder);
    files_ = pipeline::MakeWorkingFiles(appFolder, runFolder_->path());
  }

  int Run() {
    // A single conversion is a batch of one: it must not run beside a batch
    // that shares the application folder, nor a batch beside it.
    std::optional<platform::FileLock> batchLock;
    if (request_.command == Command::kConvert || request_.command == Command::kBatch) {
      batchLock = pipeline::TakeBatchLock(files_);
      if (!batchLock) return Fail(pipeline::kBatchRunningMessage);
    }
    switch (request_.command) {
      case Command::kConvert:
        return Convert();
      case Command::kBatch:
        return Batch();
      case Command::kHeadings:
        return Headings();
      case Command::kHelp:
      case Command::kVersion:
        break;
    }
    return kExitSuccess;
  }

  void Finish() { status_.Finish(); }

  // The job being recognised or converted while one is, so that a failure
  // caught at the top names it.
  const std::optional<joblist::Job>& currentJob() const { return currentJob_; }

 private:
  int Convert() {
    pipeline::Conversion conversion(*engine_, files_, status_);
    const joblist::Job job =
        OnNamedJob([&](const joblist::Job& named) { conversion.ConvertJob(named, request_.options); });
    pipeline::BatchResult result;
    pipeline::AddConvertedJob(result, job, conversion.warnings());
    PrintSummary(result);
    return Completed(result.warnings);
  }

  int Batch() {
    joblist::JobListModel list;
    list.SetJobs(joblist::LoadJobListFile(platform::PathFromUtf8(request_.files[0])));
    if (list.jobs().empty()) return Fail(pipeline::kNoListMessage);
    pipeline::Conversion conversion(*engine_, files_, status_);
    const pipeline::BatchResult result = pipeline::RunBatch(list, request_.options, conversion, files_);
    // The warnings went by among the status lines; at the end they are
    // repeated with the job each belongs to, as the window shows them.
    if (!result.warnings.empty()) {
      status_.Finish();
      for (const std::string& warning : result.warnings) err_ << warning << '\n';
    }
    if (result.failure) return Fail(result.failure->message);
    PrintSummary(result);
    return Completed(result.warnings);
  }

  int Headings() {
    pipeline::Conversion conversion(*engine_, files_, status_);
    // What the recognisers find, never an existing heading list file: this
    // output is how that file is made, and `headings JOB > FILE` has emptied
    // FILE before the job is read.
    pipeline::ConversionOptions options = request_.options;
    options.headingListFile = false;
    OnNamedJob([&](const joblist::Job& named) { conversion.RecogniseHeadings(named, options); });
    if (request_.contentsList) {
      const std::optional<std::string> text = exporting::BuildContentsListText(conversion.headings());
      if (!text) return Fail(kContentsListError);
      out_ << *text;
    } else {
      // Document pages, so that the list reads back as the heading list file
      // whichever recogniser made it.
      out_ << bookmarks::HeadingListText(conversion.HeadingsOnDocumentPages());
    }
    out_.flush();
    return Completed(conversion.warnings());
  }

  // The exit code of a run that went through: with --strict, a warning on
  // the way makes it one a script can tell apart.
  int Completed(const std::vector<std::string>& warnings) const {
    return request_.strict && !warnings.empty() ? kExitWarnings : kExitSuccess;
  }

  // Runs `step` on the job the command line names, remembered meanwhile so
  // that a failure caught at the top names it.
  joblist::Job OnNamedJob(const std::function<void(const joblist::Job&)>& step) {
    currentJob_ = JobFromFiles(request_.files);
    step(*currentJob_);
    joblist::Job job = std::move(*currentJob_);
    currentJob_.reset();
    return job;
  }

  // The closing words the window shows in its message box at the end of a
  // batch, after the status texts.
  void PrintSummary(const pipeline::BatchResult& result) {
    status_.Finish();
    err_ << pipeline::BatchSummaryText(result) << '\n';
    err_.flush();
  }

  int Fail(const std::string& message) {
    status_.Finish();
    err_ << message << '\n';
    return kExitJobFailed;
  }

  const Request& request_;
  std::ostream& out_;
  std::ostream& err_;
  StreamStatusSink status_;
  std::unique_ptr<acrobat::Engine> ownEngine_;
  acrobat::Engine* engine_ = nullptr;
  // This run's own working folder, removed when the runner goes.
  std::optional<pipeline::RunFolder> runFolder_;
  pipeline::WorkingFiles files_;
  std::optional<joblist::Job> currentJob_;
};

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const Environment& environment) {
  const ParseResult parsed = ParseCommandLine(args);
  if (!parsed.request) {
    err << "vellumark-cli: " << parsed.error << "\n詳しくは vellumark-cli --help を見てください。\n";
    return kExitUsage;
  }
  if (parsed.request->command == Command::kHelp) {
    out << HelpText();
    return kExitSuccess;
  }
  if (parsed.request->command == Command::kVersion) {
    out << "vellumark-cli " << kVersion << '\n';
    return kExitSuccess;
  }
  if (!parsed.warning.empty()) err << parsed.warning << '\n';

  // The one place where failures end up: a job that fails (named, as the
  // batch names it), a file that cannot be read or written (the job list, a
  // list file) or anything unforeseen. A batch reports its own failing job.
  std::unique_ptr<Runner> runner;
  try {
    runner = std::make_unique<Runner>(*parsed.request, out, err, environment);
    const int code = runner->Run();
    runner->Finish();
    return code;
  } catch (const std::exception& error) {
    const std::string text = pipeline::FailureText(error);
    if (runner) runner->Finish();
    if (runner && runner->currentJob()) {
      err << pipeline::JobFailureMessage(*runner->currentJob(), text) << '\n';
    } else {
      err << text << '\n';
    }
  }
  return kExitJobFailed;
}

}  // namespace vellumark::cli
