#include "bookmarks/bookmark_tree.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "bookmarks/texts.h"
#include "platform/decimal.h"

namespace vellumark::bookmarks {

namespace {

// Heading levels as the tree counts them, and "nothing made yet".
constexpr int kNone = -1;
constexpr int kChapterLevel = Heading::kChapter;
constexpr int kSectionLevel = Heading::kSection;
constexpr int kItemLevel = Heading::kItem;

// Page indexes go to the engine as int; headings far outside the document
// (only possible with forced creation) are held at the int range instead of
// wrapping round into some page inside it.
int ClampToInt(long long value) {
  return static_cast<int>(
      std::clamp<long long>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Where a bookmark jumps: a page index of this document (possibly outside
// it, when creation is forced), or a page of another file of the job.
struct Target {
  int pageIndex = 0;
  std::optional<RemoteTarget> remote;
};

// Builds one tree. The current chapter and section bookmarks are kept by
// reference rather than looked up among the root's children for every
// heading, which keeps a long list linear; the bookmarks made and their
// order are the same.
class TreeBuilder {
 public:
  TreeBuilder(acrobat::Bookmark& root, platform::StatusSink& status) : root_(root), status_(status) {}

  void Cover(const Target& target) {
    chapter_ = &AddTopLevel(std::string(kCoverTitle), target);
    section_ = nullptr;
  }

  // The chapter, and for an item the section, in force where the document
  // starts, both pointing at its first page.
  void ChapterInForce(const std::string& title) {
    chapter_ = &AddTopLevel(title, Target{});
    section_ = nullptr;
    lastLevel_ = kChapterLevel;
  }

  void SectionInForce(const std::string& title) {
    sectionCount_ = 1;
    section_ = &AddUnderChapter(title, Target{});
    lastLevel_ = kSectionLevel;
  }

  // Returns whether a bookmark was made.
  bool Add(const Heading& heading, const Target& target) {
    switch (heading.level) {
      case kChapterLevel:
        chapter_ = &AddTopLevel(heading.title, target);
        section_ = nullptr;
        sectionCount_ = 0;
        lastLevel_ = kChapterLevel;
        break;
      case kSectionLevel:
        ++sectionCount_;
        section_ = &AddUnderChapter(heading.title, target);
        lastLevel_ = kSectionLevel;
        break;
      case kItemLevel:
        // An item needs a section made since the last chapter; one that
        // directly follows a chapter has no place in the tree.
        if (lastLevel_ != kSectionLevel && lastLevel_ != kItemLevel) return false;
        ++itemCount_;
        // Positions of items run on over the whole call; past the end of the
        // section's children they simply append.
        Create(*section_, heading.title, itemCount_, target);
        lastLevel_ = kItemLevel;
        break;
      default:
        return false;
    }
    status_.ShowStatus(std::string(kMakeBookmarkStatus) + heading.title);
    return true;
  }

 private:
  static acrobat::Bookmark& Create(acrobat::Bookmark& parent, const std::string& title, int position,
                                   const Target& target) {
    if (target.remote) {
      return parent.CreateRemoteChild(title, target.remote->fileName, position, target.remote->pageIndex);
    }
    return parent.CreateChild(title, MakeBookmarkAction(target.pageIndex), position, target.pageIndex);
  }

  acrobat::Bookmark& AddTopLevel(const std::string& title, const Target& target) {
    ++topLevelCount_;
    return Create(root_, title, topLevelCount_, target);
  }

  // A section with no chapter before it in this document (a later part that
  // begins with sections whose chapter lies in no earlier entry) goes to the
  // top level: dropping it would lose the heading, and the job must go on.
  // It does not become the current chapter, so the sections after it stand
  // beside it, and its items still nest under it.
  acrobat::Bookmark& AddUnderChapter(const std::string& title, const Target& target) {
    if (chapter_ == nullptr) return AddTopLevel(title, target);
    return Create(*chapter_, title, sectionCount_, target);
  }

  acrobat::Bookmark& root_;
  platform::StatusSink& status_;
  acrobat::Bookmark* chapter_ = nullptr;  // cover or last chapter made
  acrobat::Bookmark* section_ = nullptr;  // last section made under it
  int topLevelCount_ = 0;
  int sectionCount_ = 0;
  int itemCount_ = 0;
  int lastLevel_ = kNone;
};

}  // namespace

std::string MakeBookmarkAction(int pageIndex) {
  return "this.pageNum=" + platform::Decimal(pageIndex) + ";\r\nthis.zoom=100;\r\n";
}

BuiltBookmarks BuildBookmarks(acrobat::Document& doc, int pageOffset, int frontPageCount, const HeadingList& headings,
                              const BookmarkOptions& options, platform::StatusSink& status) {
  BuiltBookmarks built;
  // Without headings the document keeps whatever bookmarks it has.
  if (headings.empty()) return built;

  acrobat::Bookmark& root = doc.BookmarkRoot();
  root.Remove();

  // Printed page P of the list lies on page index P + frontPageCount - 1 -
  // pageOffset of this document; the pages it holds are those from
  // firstInDocument to lastInDocument.
  const long long pageCount = doc.GetNumPages();
  const long long shift = static_cast<long long>(frontPageCount) - 1 - pageOffset;
  const long long lastInDocument = pageCount - frontPageCount + pageOffset;
  const long long firstInDocument = static_cast<long long>(pageOffset) - frontPageCount + 1;

  // A page inside the document is jumped to there; one outside it, in the
  // file of the job that holds it, if any.
  auto targetOf = [&](long long pageIndex) {
    Target target{ClampToInt(pageIndex), std::nullopt};
    if ((pageIndex < 0 || pageIndex >= pageCount) && options.locate) target.remote = options.locate(pageIndex);
    return target;
  };

  const std::size_t count = headings.size();

  TreeBuilder tree(root, status);
  // The cover is the job's first page: in a later part it is reached in the
  // first part, when the part carries the whole tree.
  if (pageOffset == 0) {
    tree.Cover(Target{});
  } else if (options.fullOutline) {
    const Target cover = targetOf(-static_cast<long long>(pageOffset));
    if (cover.remote) tree.Cover(cover);
  }

  // Headings of earlier parts are skipped, unless the part carries them all.
  // When none lies this far, the last heading still tells which chapter and
  // section the document continues.
  std::size_t start = 0;
  if (!options.fullOutline) {
    while (start < count && headings[start].page < firstInDocument) ++start;
  }
  const std::size_t reference = std::min(start, count - 1);

  const int referenceLevel = headings[reference].level;
  if (!options.fullOutline && (referenceLevel == kSectionLevel || referenceLevel == kItemLevel)) {
    // Search back for the nearest chapter, then (for an item) for the nearest
    // section after it. A section that lies before that chapter belongs to an
    // earlier chapter and must not be hung under this one.
    std::size_t chapterAt = reference;
    bool chapterFound = false;
    for (std::size_t k = reference + 1; k-- > 0;) {
      if (headings[k].level == kChapterLevel) {
        chapterAt = k;
        chapterFound = true;
        break;
      }
    }
    if (chapterFound) tree.ChapterInForce(headings[chapterAt].title);
    if (referenceLevel == kItemLevel) {
      const std::size_t lowest = chapterFound ? chapterAt + 1 : 0;
      for (std::size_t k = reference + 1; k-- > lowest;) {
        if (headings[k].level == kSectionLevel) {
          tree.SectionInForce(headings[k].title);
          break;
        }
      }
    }
  }

  for (std::size_t k = start; k < count; ++k) {
    const Heading& heading = headings[k];
    const bool past = heading.page > lastInDocument;
    // Headings past the last page end the pass (they belong to later parts),
    // unless the user wants them made anyway or the part carries them all.
    if (past && !options.forced && !options.fullOutline) break;
    const Target target = targetOf(heading.page + shift);
    const bool outside = (past || heading.page < firstInDocument) && !target.remote;
    if (outside && !options.forced) {
      // No file of the job holds the page: only forced creation makes such a
      // bookmark. Those past the job's end end the pass as above.
      if (past) break;
      continue;
    }
    if (tree.Add(heading, target) && outside) built.outsideTitles.push_back(heading.title);
  }
  return built;
}

void BuildBookmarks(acrobat::Document& doc, int pageOffset, int frontPageCount, const HeadingList& list,
                    bool forced, platform::StatusSink& status) {
  BookmarkOptions options;
  options.forced = forced;
  BuildBookmarks(doc, pageOffset, frontPageCount, list, options, status);
}

}  // namespace vellumark::bookmarks
