#pragma once
// The heading list: one entry per recognised heading, in the order found.
// The page is 1-based in the working document after the all-pages scan, or
// the printed page number after the contents-page reading. The entry text
// ("title TAB page", one leading TAB per level below chapter) is made only
// where the list leaves the program: the command line's heading output and
// the contents list copy.
#include <string>
#include <vector>

namespace vellumark::bookmarks {

// Page values are held at this magnitude, so sums and differences of page
// values (the bookmark tree and the split add a few page counts) never
// overflow.
inline constexpr long long kPageValueLimit = 999'999'999'999'999;

struct Heading {
  static constexpr int kChapter = 0;
  static constexpr int kSection = 1;
  static constexpr int kItem = 2;

  int level = kChapter;  // kChapter, kSection or kItem
  std::string title;
  long long page = 0;  // within ±kPageValueLimit

  bool operator==(const Heading&) const = default;
};

using HeadingList = std::vector<Heading>;

// A heading with its level held at chapter…item and its page at
// ±kPageValueLimit, the only values the readers of the list expect.
Heading MakeHeading(int level, std::string title, long long page);

// The entry text of a heading: "title\tpage", "\ttitle\tpage" or
// "\t\ttitle\tpage".
std::string EntryText(const Heading& heading);

}  // namespace vellumark::bookmarks
