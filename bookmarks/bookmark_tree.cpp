#include "bookmarks/bookmark_tree.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <vector>

#include "bookmarks/texts.h"

namespace vellumark::bookmarks {

namespace {

// Heading levels as the tree counts them (0 = nothing made yet).
constexpr int kNone = 0;
constexpr int kChapterLevel = 1;
constexpr int kSectionLevel = 2;
constexpr int kItemLevel = 3;

// An entry of the heading list, taken apart once.
struct Heading {
  int level = kNone;  // 1 chapter, 2 section, 3 item, 0 any other shape
  std::string title;
  long long page = 0;
};

Heading ParseHeading(const std::string& entry) {
  const std::vector<std::string> fields = SplitFields(entry);
  Heading heading;
  heading.page = PageValue(fields.back());
  if (fields.size() >= 2) heading.title = fields[fields.size() - 2];
  // Two fields are a chapter, three a section, four an item.
  if (fields.size() >= 2 && fields.size() <= 4) heading.level = static_cast<int>(fields.size()) - 1;
  return heading;
}

// Page indexes go to the engine as int; headings far outside the document
// (only possible with forced creation) are held at the int range instead of
// wrapping round into some page inside it.
int ClampToInt(long long value) {
  return static_cast<int>(
      std::clamp<long long>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Builds one tree. The current chapter and section bookmarks are kept by
// reference rather than looked up among the root's children for every
// heading, which keeps a long list linear; the bookmarks made and their
// order are the same.
class TreeBuilder {
 public:
  TreeBuilder(acrobat::Bookmark& root, platform::StatusSink& status) : root_(root), status_(status) {}

  void Cover() {
    chapter_ = &AddTopLevel(std::string(kCoverTitle), 0);
    section_ = nullptr;
  }

  // The chapter, and for an item the section, in force where the document
  // starts, both pointing at its first page.
  void ChapterInForce(const std::string& title) {
    chapter_ = &AddTopLevel(title, 0);
    section_ = nullptr;
    lastLevel_ = kChapterLevel;
  }

  void SectionInForce(const std::string& title) {
    sectionCount_ = 1;
    section_ = &AddUnderChapter(title, 0);
    lastLevel_ = kSectionLevel;
  }

  void Add(const Heading& heading, int targetPage) {
    switch (heading.level) {
      case kChapterLevel:
        chapter_ = &AddTopLevel(heading.title, targetPage);
        section_ = nullptr;
        sectionCount_ = 0;
        lastLevel_ = kChapterLevel;
        break;
      case kSectionLevel:
        ++sectionCount_;
        section_ = &AddUnderChapter(heading.title, targetPage);
        lastLevel_ = kSectionLevel;
        break;
      case kItemLevel:
        // An item needs a section made since the last chapter; one that
        // directly follows a chapter has no place in the tree.
        if (lastLevel_ != kSectionLevel && lastLevel_ != kItemLevel) return;
        ++itemCount_;
        // Positions of items run on over the whole call; past the end of the
        // section's children they simply append.
        section_->CreateChild(heading.title, MakeBookmarkAction(targetPage), itemCount_, targetPage);
        lastLevel_ = kItemLevel;
        break;
      default:
        return;
    }
    status_.ShowStatus(std::string(kMakeBookmarkStatus) + heading.title);
  }

 private:
  acrobat::Bookmark& AddTopLevel(const std::string& title, int targetPage) {
    ++topLevelCount_;
    return root_.CreateChild(title, MakeBookmarkAction(targetPage), topLevelCount_, targetPage);
  }

  // A section with no chapter before it in this document (a later part that
  // begins with sections whose chapter lies in no earlier entry) goes to the
  // top level: dropping it would lose the heading, and the job must go on.
  // It does not become the current chapter, so the sections after it stand
  // beside it, and its items still nest under it.
  acrobat::Bookmark& AddUnderChapter(const std::string& title, int targetPage) {
    if (chapter_ == nullptr) return AddTopLevel(title, targetPage);
    return chapter_->CreateChild(title, MakeBookmarkAction(targetPage), sectionCount_, targetPage);
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
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, pageIndex).ptr;
  return "this.pageNum=" + std::string(digits, end) + ";\r\nthis.zoom=100;\r\n";
}

void BuildBookmarks(acrobat::Document& doc, int pageOffset, int frontPageCount, const HeadingList& list,
                    bool forced, platform::StatusSink& status) {
  // Without headings the document keeps whatever bookmarks it has.
  if (list.empty()) return;

  acrobat::Bookmark& root = doc.BookmarkRoot();
  root.Remove();

  // Printed page P of the list lies on page index P + frontPageCount - 1 -
  // pageOffset of this document; the pages it holds are those from
  // firstInDocument to lastInDocument.
  const long long shift = static_cast<long long>(frontPageCount) - 1 - pageOffset;
  const long long lastInDocument = static_cast<long long>(doc.GetNumPages()) - frontPageCount + pageOffset;
  const long long firstInDocument = static_cast<long long>(pageOffset) - frontPageCount + 1;

  std::vector<Heading> headings;
  headings.reserve(list.entries().size());
  for (const auto& entry : list.entries()) headings.push_back(ParseHeading(entry));
  const std::size_t count = headings.size();

  TreeBuilder tree(root, status);
  if (pageOffset == 0) tree.Cover();

  // Headings of earlier parts are skipped. When none lies this far, the last
  // heading still tells which chapter and section the document continues.
  std::size_t start = 0;
  while (start < count && headings[start].page < firstInDocument) ++start;
  const std::size_t reference = std::min(start, count - 1);

  const int referenceLevel = headings[reference].level;
  if (referenceLevel == kSectionLevel || referenceLevel == kItemLevel) {
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
    // Headings past the last page end the pass (they belong to later parts),
    // unless the user wants them made anyway.
    if (heading.page > lastInDocument && !forced) break;
    tree.Add(heading, ClampToInt(heading.page + shift));
  }
}

}  // namespace vellumark::bookmarks
