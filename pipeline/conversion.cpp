// The per-job driver: every step of one conversion in its fixed order, and
// the clean-up that leaves nothing of a failed job open or in the working
// folder. The steps themselves are JobSteps' (job_steps.h says where each
// is defined).
#include "pipeline/conversion.h"

#include "joblist/job_line.h"
#include "pipeline/job_steps.h"
#include "pipeline/output_info.h"
#include "pipeline/status_texts.h"
#include "platform/file_io.h"

namespace vellumark::pipeline {

namespace fs = std::filesystem;

struct Conversion::State {
  CutSearch cutSearch = CutSearch::kBisect;
  std::function<acrobat::LocalDateTime()> clock = LocalNow;
};

Conversion::Conversion(acrobat::Engine& engine, WorkingFiles files, platform::StatusSink& status)
    : engine_(engine), files_(std::move(files)), status_(status), state_(std::make_unique<State>()) {}

Conversion::~Conversion() = default;

void Conversion::SetCutSearch(CutSearch search) { state_->cutSearch = search; }

void Conversion::SetClock(std::function<acrobat::LocalDateTime()> clock) { state_->clock = std::move(clock); }

void Conversion::RunJob(const ConversionOptions& options, const std::function<void(JobSteps&)>& steps) {
  status_.ShowStatus(kStatusWait);
  // Temporary files of a run killed while saving a working file; those of a
  // run still going are left alone.
  platform::RemoveLeftOverTemporaries(files_.workFolder);
  // A fresh job state per job: offsets, counters and documents of the last
  // job (finished or failed) cannot leak into this one.
  JobSteps job(engine_, files_, status_, options, headings_, warnings_, state_->cutSearch);
  job.conversionTime = state_->clock();
  headings_.clear();
  frontPageCount_ = 0;
  warnings_.clear();
  try {
    steps(job);
    frontPageCount_ = job.frontPageCount;
  } catch (...) {
    // The engine objects are closed and the working folder emptied before
    // the failure goes on to the batch, which reports it.
    job.workingDocument.reset();
    KillPDF(files_);
    throw;
  }
  KillPDF(files_);
  status_.ShowStatus(kStatusComplete);
}

void Conversion::ConvertJob(const joblist::Job& files, const ConversionOptions& options) {
  RunJob(options, [&](JobSteps& job) {
    job.TakeJob(files);
    job.MakeOutputPath();
    job.OpenAndAssemble();
    job.ApplyOpeningView();
    job.ApplyThumbnails();
    status_.ShowStatus(kStatusLoadBookmark);
    job.RecogniseHeadings();
    status_.ShowStatus(kStatusSave);
    if (!options.partSizeLimit) {
      job.SaveOneFile();
    } else {
      job.SaveInParts();
    }
    job.CloseWorkingDocument();
  });
}

void Conversion::RecogniseHeadings(const joblist::Job& files, const ConversionOptions& options) {
  RunJob(options, [&](JobSteps& job) {
    job.TakeJob(files);
    job.OpenAndAssemble();
    job.ApplyOpeningView();
    status_.ShowStatus(kStatusLoadBookmark);
    job.RecogniseHeadings();
    job.CloseWorkingDocument();
  });
}

}  // namespace vellumark::pipeline
