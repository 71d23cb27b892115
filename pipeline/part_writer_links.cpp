// Bookmarks that lead from one part file of a split job into another.
//
// A part's bookmarks are built before it is measured, so that the measured
// file is the file written; but where a heading of a later part lands is
// known only once that part has been cut. Each part is therefore written
// with its links into later parts guessed: the next part, starting right
// behind this one, which is exact for every heading of the next part and
// has the same file name length everywhere. When all parts stand, each part
// whose guesses were wrong is opened from its file, given its true links,
// saved again through the engine's atomic save and measured once more.
// Splitting twice instead would double the saves of a split for bytes that
// change by a few digits.
#include <algorithm>

#include "pipeline/file_names.h"
#include "pipeline/job_steps.h"
#include "pipeline/part_writer.h"
#include "pipeline/status_texts.h"
#include "platform/decimal.h"
#include "platform/folders.h"

namespace vellumark::pipeline {

namespace {

// Enough titles for the user to find the headings; the count says the rest.
constexpr std::size_t kTitlesNamed = 3;

}  // namespace

std::optional<bookmarks::RemoteTarget> PartWriter::LocateInJob(long long workPage, long long partEnd) const {
  if (workPage < 0 || workPage >= jobPageCount_) return std::nullopt;
  for (const WrittenPart& part : parts_) {
    if (workPage >= part.firstPage && workPage < static_cast<long long>(part.firstPage) + part.pageCount) {
      return bookmarks::RemoteTarget{platform::PathToUtf8(part.path.filename()),
                                     static_cast<int>(workPage - part.firstPage)};
    }
  }
  if (workPage < partEnd) return std::nullopt;  // cannot be: earlier pages are all written
  return bookmarks::RemoteTarget{platform::PathToUtf8(PartFileName(job_.outputPath, partCounter_ + 1).filename()),
                                 static_cast<int>(workPage - partEnd)};
}

bookmarks::BookmarkOptions PartWriter::PartBookmarkOptions(int firstPage, int pageCount, std::vector<LinkUse>* uses) {
  bookmarks::BookmarkOptions options;
  options.forced = options_.forceBookmarks;
  options.fullOutline = options_.fullOutline;
  const long long partEnd = static_cast<long long>(firstPage) + pageCount;
  options.locate = [this, firstPage, partEnd, uses](long long pageIndex) {
    auto answer = LocateInJob(firstPage + pageIndex, partEnd);
    if (uses != nullptr) uses->push_back({pageIndex, answer});
    return answer;
  };
  return options;
}

void PartWriter::RelinkParts() {
  // Every part is written now, so LocateInJob answers from the parts alone.
  const auto partCount = parts_.size();
  for (std::size_t k = 0; k < partCount; ++k) {
    const WrittenPart& part = parts_[k];
    const long long partEnd = static_cast<long long>(part.firstPage) + part.pageCount;
    const bool right = std::all_of(part.links.begin(), part.links.end(), [&](const LinkUse& use) {
      return LocateInJob(part.firstPage + use.pageIndex, partEnd) == use.answer;
    });
    if (right) continue;

    status_.ShowStatus(kStatusSave);
    OpenedDocument opened(engine_, part.path);
    platform::NullStatusSink quiet;
    PreparePart(opened.doc(), part.firstPage, quiet);
    opened.doc().Save(part.path);
    opened.Close();
    // The true links differ from the guessed ones by a few digits of a page
    // number; the file is measured again all the same, and a part they put
    // over the limit is reported rather than passed.
    if (!part.overLimit && SavedFileLength(part.path) > job_.sizeLimit) {
      warn_(kWarnLinksOverLimit + FileNameForStatus(part.path));
    }
  }
}

void OutsideBookmarks::Note(const bookmarks::BuiltBookmarks& built) {
  for (const std::string& title : built.outsideTitles) {
    if (std::find(titles_.begin(), titles_.end(), title) == titles_.end()) titles_.push_back(title);
  }
}

std::string TitlesWarning(const std::string& head, const std::vector<std::string>& titles) {
  std::string text = head;
  const std::size_t named = std::min(titles.size(), kTitlesNamed);
  for (std::size_t i = 0; i < named; ++i) text += (i == 0 ? "「" : "、「") + titles[i] + "」";
  if (titles.size() > named) text += " ほか " + platform::Decimal(titles.size() - named) + " 件";
  return text;
}

std::optional<std::string> OutsideBookmarks::Warning() const {
  if (titles_.empty()) return std::nullopt;
  return TitlesWarning(kWarnBookmarksOutsideJob, titles_);
}

}  // namespace vellumark::pipeline
