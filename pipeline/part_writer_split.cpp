// Cutting the working document into parts that each stay within the size
// limit: along the headings of the split plan, or by size alone.
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
#include "pipeline/part_writer.h"
#include "pipeline/status_texts.h"
#include "platform/decimal.h"
#include "platform/error.h"

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
  for (const bookmarks::Heading& heading : plan) {
    if (heading.page <= previous || heading.page >= closingPage) continue;
    steps.push_back({heading.page, heading.title});
    previous = heading.page;
  }
  steps.push_back({closingPage, kEndOfPlanTitle});
  return steps;
}

}  // namespace

bookmarks::HeadingList SelectSplitPlan(const bookmarks::HeadingList& headings, SplitUnit unit) {
  bookmarks::HeadingList plan;
  for (const bookmarks::Heading& heading : headings) {
    const bool take = (unit == SplitUnit::kChapter && heading.level == bookmarks::Heading::kChapter) ||
                      (unit == SplitUnit::kSection && heading.level <= bookmarks::Heading::kSection) ||
                      unit == SplitUnit::kAllHeadings;
    if (take) plan.push_back(heading);
  }
  return plan;
}

long long SavedFileLength(const fs::path& path) {
  std::error_code ec;
  const auto length = fs::file_size(path, ec);
  if (ec) throw platform::UserError(path, "保存したファイルの大きさを読めませんでした");
  return static_cast<long long>(length);
}

void PartWriter::SaveWithinLimit(acrobat::Document& document) {
  // Every round that does not end the loop cuts at least one page off the
  // front, and a page always stays, so the page count bounds the rounds.
  const int maxRounds = document.GetNumPages();
  for (int round = 0; round < maxRounds; ++round) {
    if (!IsOverLimit(document, temp_)) break;
    if (document.GetNumPages() == 1) {
      warn_(kWarnPageOverLimit + FileNameForStatus(partPath_));
      break;
    }
    if (CutPartBySize(document) == 0) {
      // The copies of its pages fit while the document itself does not:
      // there is no cut to make, and cutting on would never end.
      warn_(kWarnNoCutFound + FileNameForStatus(partPath_));
      break;
    }
  }
  WritePart(document, temp_);
}

int PartWriter::CutPartBySize(acrobat::Document& document) {
  const int pageCount = document.GetNumPages();
  WriteTemplateIfMissing(files_.defQPath);
  PartDocument cut(engine_, files_.defQPath);
  const std::string partName = FileNameForStatus(partPath_);

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
  int run = LongestFittingRun(pageCount, job_.sizeLimit, sizes, cutSearch_);

  if (run == pageCount) {
    Forget(cut.doc());
    cut.Close();
    RemoveWorkingFile(files_.defQPath);
    return 0;
  }
  if (run == 0) {
    // The first page alone is over the limit. It becomes a part of its own
    // rather than an empty one, so the cutting moves on and ends.
    warn_(kWarnPageOverLimit + partName);
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

void PartWriter::SplitAndSave(acrobat::Document& work, const bookmarks::HeadingList& plan) {
  const int pageCount = work.GetNumPages();
  // Without an "END" line the front-page count runs past the document; the
  // copies must not, so the page arithmetic uses it clamped.
  const int frontPages = std::clamp(job_.frontPageCount, 0, pageCount);
  const long long closingPage = static_cast<long long>(pageCount) - frontPages + 1;
  const std::vector<PlanStep> steps = TakePlanSteps(plan, closingPage);

  WriteTemplateIfMissing(files_.defaul2PdfPath);
  auto part = std::make_unique<PartDocument>(engine_, files_.defaul2PdfPath);
  // The first part opens with the front pages and every body page ahead of
  // the first heading (a cover without a heading, a preface): no page of the
  // document may fall out of the parts.
  part->Append(work, 0, frontPages + static_cast<int>(steps.front().page) - 1);
  // Writes what the part holds, within the limit, and lets it go. A part left
  // empty by a range that was cut and written on its own is not written: no
  // empty file, no gap in the numbering.
  const auto finishPart = [&] {
    if (part->pages() > 0) SaveWithinLimit(part->doc());
    Forget(part->doc());
    part->Close();
  };

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
      finishPart();
      break;
    }
    if (!over) continue;

    if (part->pages() > count) {
      // The range does not fit behind what the part holds: the part is
      // finished without it (the state measured at the entry before) and
      // the range opens the next part.
      part->DropLast(count);
      finishPart();
      part = std::make_unique<PartDocument>(engine_, files_.defaul2PdfPath);
      part->Append(work, firstPage, count);
    } else {
      // The range alone is over the limit and nothing stands before it: it is
      // cut by size now, and the next range starts a fresh part.
      finishPart();
      part = std::make_unique<PartDocument>(engine_, files_.defaul2PdfPath);
    }
    NextPartName();
  }
}

}  // namespace vellumark::pipeline
