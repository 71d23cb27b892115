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

  // Returns whether a bookmark was made. A heading in force where the
  // document starts is made without a status text: it was announced where
  // it stands.
  bool Add(const Heading& heading, const Target& target, bool announce = true) {
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
    if (announce) status_.ShowStatus(std::string(kMakeBookmarkStatus) + heading.title);
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

namespace {

// The headings in force before heading `end` of the list, chapter first:
// the last chapter, the last section after it and the last item after that,
// down to level `deepest`.
std::vector<std::size_t> HeadingsInForce(const HeadingList& headings, std::size_t end, int deepest) {
  std::vector<std::size_t> chain;
  std::size_t from = 0;
  for (int level = kChapterLevel; level <= deepest; ++level) {
    std::optional<std::size_t> found;
    for (std::size_t k = end; k-- > from;) {
      if (headings[k].level == level) {
        found = k;
        break;
      }
      // A heading above this level ends the search: a section before the
      // chapter in force belongs to an earlier chapter.
      if (headings[k].level < level) break;
    }
    // A list without chapters still has its section in force.
    if (!found) continue;
    chain.push_back(*found);
    from = *found + 1;
  }
  return chain;
}

}  // namespace

BuiltBookmarks BuildBookmarks(acrobat::Document& doc, int pageOffset, int frontPageCount, const HeadingList& headings,
                              const BookmarkOptions& options, platform::StatusSink& status) {
  BuiltBookmarks built;
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
  // first part, when the part carries the whole tree. A document without
  // any heading still gets it, so the reader sees where the job begins.
  if (pageOffset == 0) {
    tree.Cover(Target{});
  } else if (options.fullOutline) {
    const Target cover = targetOf(-static_cast<long long>(pageOffset));
    if (cover.remote) tree.Cover(cover);
  }
  if (count == 0) return built;

  // Headings of earlier parts are skipped, unless the part carries them all.
  std::size_t start = 0;
  if (!options.fullOutline) {
    while (start < count && headings[start].page < firstInDocument) ++start;
    // The part opens with the headings in force at its first page: above the
    // heading that stands there, or all of them when none does (a part that
    // begins inside a long chapter). Each leads to its own page, in an
    // earlier part where it stands there, or to this part's first page.
    const bool headingOnFirstPage = start < count && headings[start].page == firstInDocument;
    const int deepest = headingOnFirstPage ? headings[start].level - 1 : kItemLevel;
    for (const std::size_t k : HeadingsInForce(headings, start, deepest)) {
      Target target = targetOf(headings[k].page + shift);
      if (!target.remote) target = Target{};
      tree.Add(headings[k], target, false);
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
