// Writing the working document as numbered part files that each stay within
// the size limit: along the headings of the split plan, or by size alone.
// Sizes are never estimated: the part is saved in full and the file's length
// read, with its bookmarks built first so the measured file is the file that
// will be written. Two things spare saves without changing any answer: a
// lower bound the engine knows without saving ("this is over the limit for
// certain"), and the measuring file itself, which becomes the part file
// when its state is the part's.
#include <algorithm>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "acrobat/blank_template.h"
#include "acrobat/engine_messages.h"
#include "bookmarks/bookmark_tree.h"
#include "pipeline/file_names.h"
#include "pipeline/job_steps.h"
#include "pipeline/status_texts.h"
#include "platform/decimal.h"
#include "platform/error.h"
#include "platform/file_io.h"

namespace vellumark::pipeline {

namespace fs = std::filesystem;

namespace {

using platform::Decimal;

void WriteTemplateIfMissing(const fs::path& path) {
  std::error_code ec;
  if (!fs::exists(path, ec)) acrobat::WriteTemplatePdf(path);
}

void RemoveWorkingFile(const fs::path& path) {
  // A leftover is harmless: the end-of-job clean-up deletes every PDF of the
  // working folder again.
  std::error_code ec;
  fs::remove(path, ec);
}

// A part under construction: opened on a blank base file, whose blank page
// goes as soon as a real page is in (a document cannot be without pages, so
// the base page holds the place until then). Pages are only ever added or
// removed at the end.
class PartDocument {
 public:
  PartDocument(acrobat::Engine& engine, const fs::path& basePath)
      : opened_(std::make_unique<OpenedDocument>(engine, basePath)) {}

  acrobat::Document& doc() { return opened_->doc(); }
  int pages() { return doc().GetNumPages() - (blank_ ? 1 : 0); }

  void Append(const acrobat::Document& source, int firstSourcePage, int count) {
    if (count <= 0) return;
    doc().InsertPages(doc().GetNumPages() - 1, source, firstSourcePage, count);
    if (blank_) {
      doc().DeletePages(0, 0);
      blank_ = false;
    }
  }

  // Removes the last `count` pages; never the last page left.
  void DropLast(int count) {
    const int total = doc().GetNumPages();
    doc().DeletePages(total - count, total - 1);
  }

  // Makes the part hold exactly the first `count` (>= 1) pages of `source`,
  // reusing what it already holds.
  void HoldLeadingRun(const acrobat::Document& source, int count) {
    const int held = pages();
    if (count > held) {
      Append(source, held, count - held);
    } else if (count < held) {
      DropLast(held - count);
    }
  }

  void Close() { opened_->Close(); }

 private:
  std::unique_ptr<OpenedDocument> opened_;
  bool blank_ = true;
};

struct PlanStep {
  long long page;
  std::string title;
};

// The plan entries the split can take: page numbers rising strictly and
// inside the body. An entry whose page does not rise would give a range of
// no or negative length, and one at or past the closing page a range beyond
// the last page; such entries start no part. The closing entry comes last.
std::vector<PlanStep> TakePlanSteps(const bookmarks::HeadingList& plan, long long closingPage) {
  std::vector<PlanStep> steps;
  long long previous = 0;
  for (const std::string& entry : plan.entries()) {
    const std::vector<std::string> fields = bookmarks::SplitFields(entry);
    if (fields.size() < 2) continue;
    const long long page = bookmarks::PageValue(fields.back());
    if (page <= previous || page >= closingPage) continue;
    steps.push_back({page, fields[fields.size() - 2]});
    previous = page;
  }
  steps.push_back({closingPage, kEndOfPlanTitle});
  return steps;
}

}  // namespace

bookmarks::HeadingList SelectSplitPlan(const bookmarks::HeadingList& headings, int opSplit) {
  bookmarks::HeadingList plan;
  if (opSplit < 0 || opSplit > 2) return plan;
  for (const std::string& entry : headings.entries()) {
    const auto fieldCount = bookmarks::SplitFields(entry).size();
    const bool take = (opSplit == 0 && fieldCount == 2) || (opSplit == 1 && fieldCount <= 3) || opSplit == 2;
    if (take) plan.Append(entry);
  }
  return plan;
}

long long SavedFileLength(const fs::path& path) {
  std::error_code ec;
  const auto length = fs::file_size(path, ec);
  if (ec) throw platform::UserError(path, "保存したファイルの大きさを読めませんでした");
  return static_cast<long long>(length);
}

void JobSteps::NextPartName() {
  ++partCounter;
  partPath = PartFileName(outputPath, partCounter);
}

void JobSteps::SaveInParts() {
  jobPageCount_ = workPDDoc->GetNumPages();
  parts_.clear();
  SplitByUnit();
  RelinkParts();
  ReportOutsideBookmarks();
}

void JobSteps::SplitByUnit() {
  switch (options_.OpSplit) {
    case 0:
    case 1:
    case 2: {
      const bookmarks::HeadingList plan = SelectSplitPlan(lstMokuji_, options_.OpSplit);
      // Without a heading of the chosen level there is nothing to cut at:
      // the document is split by size alone, as the size-only unit does.
      if (plan.empty()) {
        SaveWithinLimit(*workPDDoc);
      } else {
        SplitAndSave(plan);
      }
      break;
    }
    case 3:
      SaveWithinLimit(*workPDDoc);
      break;
    default:
      // A unit no button offers (only a hand-made settings file holds one):
      // nothing is saved in split mode.
      break;
  }
}

bookmarks::BuiltBookmarks JobSteps::BuildPartBookmarks(acrobat::Document& document, platform::StatusSink& sink,
                                                       std::vector<LinkUse>* uses) {
  return bookmarks::BuildBookmarks(document, pageOffset, frontPageCount, lstMokuji_,
                                   PartBookmarkOptions(pageOffset, document.GetNumPages(), uses), sink);
}

bookmarks::BuiltBookmarks JobSteps::PreparePart(acrobat::Document& document, platform::StatusSink& sink,
                                                std::vector<LinkUse>* uses) {
  // A part starts from the blank base file, not from the working document,
  // so the opening state and the document information set on the working
  // document are set on it again: every part opens, and shows its
  // properties, like the one-file output.
  document.SetOpeningView(kOpeningView);
  document.SetDocumentInfo(documentInfo);
  return BuildPartBookmarks(document, sink, uses);
}

long long JobSteps::Measure(acrobat::Document& document, MeasuringFile& file) {
  // The bookmarks are part of the file: measuring without them could pass a
  // part that the final save then pushes over the limit.
  platform::NullStatusSink quiet;
  PreparePart(document, quiet);
  file.document = nullptr;
  document.Save(file.path);
  file.size = SavedFileLength(file.path);
  file.document = &document;
  file.pageCount = document.GetNumPages();
  file.pageOffset = pageOffset;
  return file.size;
}

bool JobSteps::Holds(const MeasuringFile& file, const acrobat::Document& document) const {
  // Parts only grow and shrink at their end, so the same document with the
  // same page count holds the same pages; the bookmarks depend on the page
  // offset besides (the heading list and the options stay for the job).
  return file.document == &document && file.pageCount == document.GetNumPages() && file.pageOffset == pageOffset;
}

void JobSteps::Forget(const acrobat::Document& document) {
  for (MeasuringFile* file : {&temp_, &cutFile_}) {
    if (file->document == &document) file->document = nullptr;
  }
}

bool JobSteps::IsOverLimit(acrobat::Document& document, MeasuringFile& file) {
  if (UsesShortcuts()) {
    if (Holds(file, document)) return file.size > sizeLimit;
    if (document.SavedSizeLowerBound() > sizeLimit) return true;
  }
  return Measure(document, file) > sizeLimit;
}

void JobSteps::WritePart(acrobat::Document& document, MeasuringFile& file) {
  WrittenPart written{partPath, pageOffset, document.GetNumPages(), {}};
  NoteOutside(PreparePart(document, status_, &written.links));
  // Before the first part is written, every part an earlier run left goes
  // to its backup, those numbered above this run's last part included: the
  // folder then never holds the parts of two runs side by side, even when
  // this one stops half way. A failure before this point leaves them alone.
  if (!earlierPartsSetAside_) {
    SetAsideEarlierParts(outputPath);
    earlierPartsSetAside_ = true;
  }
  // The backup comes right before the save, so an earlier part file is never
  // overwritten in place.
  BackUpExistingFile(partPath);
  if (UsesShortcuts() && Holds(file, document)) {
    file.document = nullptr;
    // A rename when the working folder and the output share a file system,
    // else a checked copy under a temporary name: never a partial part file.
    platform::MoveFileAtomically(file.path, partPath);
  } else {
    document.Save(partPath);
  }
  pageOffset += document.GetNumPages();
  parts_.push_back(std::move(written));
}

void JobSteps::SaveWithinLimit(acrobat::Document& document) {
  // Every round that does not end the loop cuts at least one page off the
  // front, and a page always stays, so the page count bounds the rounds.
  const int maxRounds = document.GetNumPages();
  for (int round = 0; round < maxRounds; ++round) {
    if (!IsOverLimit(document, temp_)) break;
    if (document.GetNumPages() == 1) {
      Warn(kWarnPageOverLimit + FileNameForStatus(partPath));
      break;
    }
    if (CutPartBySize(document) == 0) {
      // The copies of its pages fit while the document itself does not:
      // there is no cut to make, and cutting on would never end.
      Warn(kWarnNoCutFound + FileNameForStatus(partPath));
      break;
    }
  }
  WritePart(document, temp_);
}

int JobSteps::CutPartBySize(acrobat::Document& document) {
  const int pageCount = document.GetNumPages();
  WriteTemplateIfMissing(files_.defQPath);
  PartDocument cut(engine_, files_.defQPath);
  const std::string partName = FileNameForStatus(partPath);

  RunSizes sizes;
  sizes.savedSize = [&](int count) {
    cut.HoldLeadingRun(document, count);
    const long long size = Measure(cut.doc(), cutFile_);
    status_.ShowStatus(partName + kStatusSizeSeparator + Decimal(size / 1024));
    return size;
  };
  if (UsesShortcuts()) {
    sizes.lowerBound = [&](int count) {
      cut.HoldLeadingRun(document, count);
      return cut.doc().SavedSizeLowerBound();
    };
  }
  int run = LongestFittingRun(pageCount, sizeLimit, sizes, cutSearch_);

  if (run == pageCount) {
    Forget(cut.doc());
    cut.Close();
    RemoveWorkingFile(files_.defQPath);
    return 0;
  }
  if (run == 0) {
    // The first page alone is over the limit. It becomes a part of its own
    // rather than an empty one, so the cutting moves on and ends.
    Warn(kWarnPageOverLimit + partName);
    run = 1;
  }
  cut.HoldLeadingRun(document, run);
  WritePart(cut.doc(), cutFile_);
  Forget(cut.doc());
  cut.Close();
  NextPartName();
  document.DeletePages(0, run - 1);
  Forget(document);
  RemoveWorkingFile(files_.defQPath);
  return run;
}

void JobSteps::SplitAndSave(const bookmarks::HeadingList& plan) {
  acrobat::Document& work = *workPDDoc;
  const int pageCount = work.GetNumPages();
  // Without an "END" line the front-page count runs past the document; the
  // copies must not, so the page arithmetic uses it clamped.
  const int frontPages = std::clamp(frontPageCount, 0, pageCount);
  const long long closingPage = static_cast<long long>(pageCount) - frontPages + 1;
  const std::vector<PlanStep> steps = TakePlanSteps(plan, closingPage);

  WriteTemplateIfMissing(files_.defaul2PdfPath);
  auto part = std::make_unique<PartDocument>(engine_, files_.defaul2PdfPath);
  // The first part opens with the front pages and every body page ahead of
  // the first heading (a cover without a heading, a preface): no page of the
  // document may fall out of the parts.
  part->Append(work, 0, frontPages + static_cast<int>(steps.front().page) - 1);

  const auto stepCount = steps.size();
  for (std::size_t i = 0; i < stepCount; ++i) {
    const PlanStep& step = steps[i];
    status_.ShowStatus(kStatusPagePrefix + Decimal(step.page) + kStatusPageSeparator + step.title);
    const bool last = i + 1 == stepCount;
    const int firstPage = frontPages + static_cast<int>(step.page) - 1;
    const int count = last ? 0 : static_cast<int>(steps[i + 1].page - step.page);
    bool over = false;
    if (!last) {
      part->Append(work, firstPage, count);
      over = IsOverLimit(part->doc(), temp_);
    }
    status_.Yield();

    if (last) {
      // A part left empty by a range that was cut and written on its own
      // is not written: no empty file, no gap in the numbering.
      if (part->pages() > 0) SaveWithinLimit(part->doc());
      Forget(part->doc());
      part->Close();
      break;
    }
    if (!over) continue;

    if (part->pages() > count) {
      // The range does not fit behind what the part holds: the part is
      // finished without it (the state measured at the entry before) and
      // the range opens the next part.
      part->DropLast(count);
      SaveWithinLimit(part->doc());
      Forget(part->doc());
      part->Close();
      part = std::make_unique<PartDocument>(engine_, files_.defaul2PdfPath);
      part->Append(work, firstPage, count);
    } else {
      // The range alone is over the limit and nothing stands before it: it is
      // cut by size now, and the next range starts a fresh part.
      SaveWithinLimit(part->doc());
      Forget(part->doc());
      part->Close();
      part = std::make_unique<PartDocument>(engine_, files_.defaul2PdfPath);
    }
    NextPartName();
  }
}

}  // namespace vellumark::pipeline
