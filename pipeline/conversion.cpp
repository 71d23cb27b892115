// The per-job driver: every step of one conversion in its fixed order, and
// the clean-up that leaves nothing of a failed job open or in the working
// folder.
#include "pipeline/conversion.h"

#include "bookmarks/bookmark_tree.h"
#include "bookmarks/contents_page.h"
#include "bookmarks/heading_scan.h"
#include "joblist/job_line.h"
#include "pipeline/file_names.h"
#include "pipeline/job_steps.h"
#include "pipeline/output_info.h"
#include "pipeline/status_texts.h"
#include "platform/file_io.h"
#include "platform/folders.h"

namespace vellumark::pipeline {

namespace fs = std::filesystem;

struct Conversion::State {
  CutSearch cutSearch = CutSearch::kBisect;
  std::function<acrobat::LocalDateTime()> clock = LocalNow;
};

JobSteps::JobSteps(acrobat::Engine& engine, const WorkingFiles& files, platform::StatusSink& status,
                   const ConversionOptions& options, bookmarks::HeadingList& lstMokuji,
                   std::vector<std::string>& warnings, CutSearch cutSearch)
    : engine_(engine), files_(files), status_(status), options_(options), lstMokuji_(lstMokuji),
      warnings_(warnings), cutSearch_(cutSearch), temp_{files.tempPdfPath}, cutFile_{files.defQPath} {}

void JobSteps::Warn(const std::string& text) {
  status_.Warn(text);
  warnings_.push_back(text);
}

void JobSteps::TakeJobLine(const std::string& jobLine) {
  const joblist::Job job = joblist::SplitJobLine(jobLine);
  parentPath = platform::PathFromUtf8(job.parent);
  children.clear();
  for (const std::string& child : job.children) children.push_back(platform::PathFromUtf8(child));
}

void JobSteps::MakeOutputPath() {
  outputPath = OutputPathFor(parentPath);
  // An existing folder is used as it is; one that cannot be created shows
  // itself when the first file is saved into it, with that file's name.
  platform::MakeSureDirectoryPathExists(platform::AddTrailingBackslash(platform::PathToUtf8(outputPath.parent_path())));
  // A run killed while saving left its temporary file beside the outputs;
  // nothing else would ever remove it.
  platform::RemoveLeftOverTemporaries(outputPath.parent_path());
}

void JobSteps::RecogniseHeadings() {
  if (options_.makeBM2mokuji != 0) {
    bookmarks::ScanHeadings(*workPDDoc, lstMokuji_, status_);
  } else {
    frontPageCount = bookmarks::ReadContentsPage(*workPDDoc, lstMokuji_, options_.delimiter, status_);
    // Headings were read, so the contents page was found; a front-page count
    // past the last page means no "END" line closed it. The job goes on, but
    // its bookmarks point past the document, which the user must hear.
    if (!lstMokuji_.empty() && frontPageCount > workPDDoc->GetNumPages()) Warn(kWarnContentsEndMissing);
  }
}

void JobSteps::SaveOneFile() {
  bookmarks::BookmarkOptions bookmarkOptions;
  bookmarkOptions.forced = options_.Check2 != 0;
  NoteOutside(bookmarks::BuildBookmarks(*workPDDoc, 0, frontPageCount, lstMokuji_, bookmarkOptions, status_));
  ReportOutsideBookmarks();
  status_.ShowStatus(kStatusSave);
  // The engine writes under a temporary name and renames, so the previous
  // output stays whole until the new one is complete.
  workPDDoc->Save(outputPath);
}

void JobSteps::CloseWorkingDocument() {
  if (!workAVDoc) return;
  workPDDoc = nullptr;
  workAVDoc->Close();
  workAVDoc.reset();
}

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
  JobSteps job(engine_, files_, status_, options, lstMokuji_, warnings_, state_->cutSearch);
  job.conversionTime = state_->clock();
  lstMokuji_.Clear();
  warnings_.clear();
  try {
    steps(job);
  } catch (...) {
    // The engine objects are closed and the working folder emptied before
    // the failure goes on to the batch, which reports it.
    job.workPDDoc = nullptr;
    job.workAVDoc.reset();
    KillPDF(files_);
    throw;
  }
  KillPDF(files_);
  status_.ShowStatus(kStatusComplete);
}

void Conversion::ConvertJob(const std::string& jobLine, const ConversionOptions& options) {
  RunJob(options, [&](JobSteps& job) {
    job.TakeJobLine(jobLine);
    // The limit matters only when splitting; in one-file mode the size box is
    // greyed out, so whatever it holds must not fail the job.
    if (options.OpSave == 0) job.sizeLimit = SizeLimitFromText(options.sizeText);
    job.MakeOutputPath();
    job.OpenAndAssemble();
    job.ApplyOpeningView();
    job.ApplyThumbnails();
    status_.ShowStatus(kStatusLoadBookmark);
    job.RecogniseHeadings();
    job.NextPartName();
    status_.ShowStatus(kStatusSave);
    if (options.OpSave != 0) {
      job.SaveOneFile();
    } else {
      job.SaveInParts();
    }
    job.CloseWorkingDocument();
  });
}

void Conversion::RecogniseHeadings(const std::string& jobLine, const ConversionOptions& options) {
  RunJob(options, [&](JobSteps& job) {
    job.TakeJobLine(jobLine);
    job.OpenAndAssemble();
    job.ApplyOpeningView();
    status_.ShowStatus(kStatusLoadBookmark);
    job.RecogniseHeadings();
    job.CloseWorkingDocument();
  });
}

}  // namespace vellumark::pipeline
