// The steps of a job that belong to no larger stage of their own: taking
// the job line, the output path, recognising the headings and labelling the
// pages, saving the one file or handing the document to the part writer,
// and closing it. Assembly, the opening view and the heading list file are
// steps with files of their own.
#include "pipeline/job_steps.h"

#include "bookmarks/bookmark_tree.h"
#include "bookmarks/contents_page.h"
#include "bookmarks/heading_scan.h"
#include "joblist/job_line.h"
#include "pipeline/file_names.h"
#include "pipeline/part_writer.h"
#include "pipeline/status_texts.h"
#include "platform/file_io.h"
#include "platform/folders.h"

namespace vellumark::pipeline {

JobSteps::JobSteps(acrobat::Engine& engine, const WorkingFiles& files, platform::StatusSink& status,
                   const ConversionOptions& options, bookmarks::HeadingList& headings,
                   std::vector<std::string>& warnings, CutSearch cutSearch)
    : engine_(engine), files_(files), status_(status), options_(options), headings_(headings),
      warnings_(warnings), cutSearch_(cutSearch) {}

void JobSteps::Warn(const std::string& text) {
  status_.Warn(text);
  warnings_.push_back(text);
}

void JobSteps::TakeJob(const joblist::Job& job) {
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
  acrobat::Document& doc = workingDocument->doc();
  // Printed page numbers start again in every file of the job.
  std::vector<int> fileStarts;
  int start = 0;
  for (std::size_t k = 0; k + 1 < filePageCounts.size(); ++k) fileStarts.push_back(start += filePageCounts[k]);
  const bookmarks::DocumentReading reading(doc, fileStarts);
  if (HeadingsFromListFile()) {
    // The user's own list stands in for both recognisers; the pages are
    // still labelled below.
  } else if (options_.headingSource == HeadingSource::kAllPages) {
    bookmarks::ScanHeadings(reading, headings_, status_);
  } else {
    const auto contents = bookmarks::ReadContentsPage(reading, headings_, options_.delimiter, status_);
    frontPageCount = contents.frontPageCount;
    if (headings_.empty()) {
      // A report without a contents page, or one whose lines give no entry,
      // still gets its bookmarks: from the headings on its pages.
      bookmarks::ScanHeadings(reading, headings_, status_);
      frontPageCount = 0;
      Warn(kWarnContentsNotFound);
    } else {
      // Without an "END" line where the contents end was guessed, which the
      // user must hear, as every entry that had to be moved.
      if (!contents.endFound) Warn(kWarnContentsEndMissing);
      if (!contents.unprintedTitles.empty()) {
        Warn(TitlesWarning(kWarnContentsNumberNotPrinted, contents.unprintedTitles));
      }
      if (!contents.correctedTitles.empty()) {
        Warn(TitlesWarning(kWarnContentsTargetsCorrected, contents.correctedTitles));
      }
    }
  }
  if (headings_.empty()) Warn(kWarnNoHeadings);
  SetPageLabels(reading);
}

void JobSteps::SetPageLabels(const bookmarks::DocumentReading& reading) {
  // A viewer's page box shows the number printed on the page; every part
  // made from these pages carries their labels along. Labels an input file
  // brought with it are replaced too: they number that file alone, not the
  // job, and a document without readable numbers gets none.
  for (int i = 0; i < reading.PageCount(); ++i) {
    workingDocument->doc().SetPageLabel(i, reading.Page(i).printedNumber);
  }
}

void JobSteps::SaveOneFile() {
  bookmarks::BookmarkOptions bookmarkOptions;
  bookmarkOptions.forced = options_.forceBookmarks;
  OutsideBookmarks outside;
  outside.Note(
      bookmarks::BuildBookmarks(workingDocument->doc(), 0, frontPageCount, headings_, bookmarkOptions, status_));
  if (const auto warning = outside.Warning()) Warn(*warning);
  status_.ShowStatus(kStatusSave);
  // The engine writes under a temporary name and renames, so the previous
  // output stays whole until the new one is complete.
  workingDocument->doc().Save(outputPath);
}

void JobSteps::SaveInParts() {
  PartWriter writer(engine_, files_, status_, options_, headings_,
                    PartJob{outputPath, options_.partSizeLimit.value(), frontPageCount, documentInfo},
                    [this](const std::string& text) { Warn(text); }, cutSearch_);
  writer.WriteParts(workingDocument->doc());
}

void JobSteps::CloseWorkingDocument() {
  if (!workingDocument) return;
  workingDocument->Close();
  workingDocument.reset();
}

}  // namespace vellumark::pipeline
