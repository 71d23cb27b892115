// The part writer's frame and its measuring: which cut the split unit asks
// for, what a part's saved size is, and writing a part file. Sizes are never
// estimated: the part is saved in full and the file's length read, with its
// bookmarks built first so the measured file is the file that will be
// written. Two things spare saves without changing any answer: a lower
// bound the engine knows without saving ("this is over the limit for
// certain"), and the measuring file itself, which becomes the part file
// when its state is the part's.
#include "pipeline/part_writer.h"

#include <utility>

#include "pipeline/file_names.h"
#include "pipeline/job_steps.h"
#include "platform/file_io.h"

namespace vellumark::pipeline {

PartWriter::PartWriter(acrobat::Engine& engine, const WorkingFiles& files, platform::StatusSink& status,
                       const ConversionOptions& options, const bookmarks::HeadingList& headings, PartJob job,
                       WarnFunction warn, CutSearch cutSearch)
    : engine_(engine), files_(files), status_(status), options_(options), headings_(headings),
      job_(std::move(job)), warn_(std::move(warn)), cutSearch_(cutSearch), temp_{files.tempPdfPath},
      cutFile_{files.defQPath} {}

void PartWriter::WriteParts(acrobat::Document& work) {
  jobPageCount_ = work.GetNumPages();
  NextPartName();
  SplitByUnit(work);
  RelinkParts();
  if (const auto warning = outside_.Warning()) warn_(*warning);
}

void PartWriter::NextPartName() {
  ++partCounter_;
  partPath_ = PartFileName(job_.outputPath, partCounter_);
}

void PartWriter::SplitByUnit(acrobat::Document& work) {
  const bookmarks::HeadingList plan = SelectSplitPlan(headings_, options_.splitUnit);
  // The size-only unit, or no heading of the chosen level: there is nothing
  // to cut at, and the document is split by size alone.
  if (plan.empty()) {
    SaveWithinLimit(work);
  } else {
    SplitAndSave(work, plan);
  }
}

bookmarks::BuiltBookmarks PartWriter::PreparePart(acrobat::Document& document, int firstPage,
                                                  platform::StatusSink& sink, std::vector<LinkUse>* uses) {
  // A part starts from the blank base file, not from the working document,
  // so the opening state and the document information set on the working
  // document are set on it again: every part opens, and shows its
  // properties, like the one-file output.
  document.SetOpeningView(kOpeningView);
  document.SetDocumentInfo(job_.documentInfo);
  return bookmarks::BuildBookmarks(document, firstPage, job_.frontPageCount, headings_,
                                   PartBookmarkOptions(firstPage, document.GetNumPages(), uses), sink);
}

long long PartWriter::Measure(acrobat::Document& document, MeasuringFile& file) {
  // The bookmarks are part of the file: measuring without them could pass a
  // part that the final save then pushes over the limit.
  platform::NullStatusSink quiet;
  PreparePart(document, pageOffset_, quiet);
  file.document = nullptr;
  document.Save(file.path);
  file.size = SavedFileLength(file.path);
  file.document = &document;
  file.pageCount = document.GetNumPages();
  file.pageOffset = pageOffset_;
  return file.size;
}

bool PartWriter::Holds(const MeasuringFile& file, const acrobat::Document& document) const {
  // Parts only grow and shrink at their end, so the same document with the
  // same page count holds the same pages; the bookmarks depend on the page
  // offset besides (the heading list and the options stay for the job).
  return file.document == &document && file.pageCount == document.GetNumPages() && file.pageOffset == pageOffset_;
}

void PartWriter::Forget(const acrobat::Document& document) {
  for (MeasuringFile* file : {&temp_, &cutFile_}) {
    if (file->document == &document) file->document = nullptr;
  }
}

bool PartWriter::IsOverLimit(acrobat::Document& document, MeasuringFile& file) {
  if (UsesShortcuts()) {
    if (Holds(file, document)) return file.size > job_.sizeLimit;
    if (document.SavedSizeLowerBound() > job_.sizeLimit) return true;
  }
  return Measure(document, file) > job_.sizeLimit;
}

void PartWriter::WritePart(acrobat::Document& document, MeasuringFile& file) {
  WrittenPart written{partPath_, pageOffset_, document.GetNumPages(), {}};
  outside_.Note(PreparePart(document, pageOffset_, status_, &written.links));
  // Before the first part is written, every part an earlier run left goes
  // to its backup, those numbered above this run's last part included: the
  // folder then never holds the parts of two runs side by side, even when
  // this one stops half way. A failure before this point leaves them alone.
  if (!earlierPartsSetAside_) {
    SetAsideEarlierParts(job_.outputPath);
    earlierPartsSetAside_ = true;
  }
  // The backup comes right before the save, so an earlier part file is never
  // overwritten in place.
  BackUpExistingFile(partPath_);
  if (UsesShortcuts() && Holds(file, document)) {
    file.document = nullptr;
    // A rename when the working folder and the output share a file system,
    // else a checked copy under a temporary name: never a partial part file.
    platform::MoveFileAtomically(file.path, partPath_);
  } else {
    document.Save(partPath_);
  }
  written.overLimit = SavedFileLength(partPath_) > job_.sizeLimit;
  pageOffset_ += document.GetNumPages();
  parts_.push_back(std::move(written));
}

}  // namespace vellumark::pipeline
