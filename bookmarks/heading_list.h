#pragma once
// The heading list: one text entry per recognised heading, in the order found.
//   chapter: title TAB page
//   section: TAB title TAB page
//   item:    TAB TAB title TAB page
// The page is 1-based in the working document after the all-pages scan, or
// the printed page number after the contents-page reading. The same type
// holds the split plan (selected entries plus the closing "EOF" TAB n entry).
#include <string>
#include <utility>
#include <vector>

namespace vellumark::bookmarks {

class HeadingList {
 public:
  void Clear() { entries_.clear(); }
  void Append(std::string entry) { entries_.push_back(std::move(entry)); }
  int Count() const { return static_cast<int>(entries_.size()); }
  const std::string& At(int index) const { return entries_.at(static_cast<std::size_t>(index)); }
  const std::vector<std::string>& entries() const { return entries_; }
  bool empty() const { return entries_.empty(); }

 private:
  std::vector<std::string> entries_;
};

// Entry text for a heading of level 0 (chapter), 1 (section) or 2 (item).
std::string MakeEntry(int level, const std::string& title, long long page);

// Splits an entry at every TAB (empty fields kept).
std::vector<std::string> SplitFields(const std::string& entry);

// The decimal value at the start of a page field, 0 when it holds no number
// (the lenient reading the readers of the list share). The magnitude is held
// at kPageValueLimit, so sums and differences of page values never overflow.
inline constexpr long long kPageValueLimit = 999'999'999'999'999;
long long PageValue(const std::string& field);

}  // namespace vellumark::bookmarks
