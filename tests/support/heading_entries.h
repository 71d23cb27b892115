#pragma once
// Headings written the way a user sees them in the heading output
// ("title\tpage", one leading TAB per level below chapter), so test tables
// stay as readable as the lists they stand for.
#include <charconv>
#include <stdexcept>
#include <string>
#include <vector>

#include "bookmarks/heading_list.h"

namespace vellumark::testsupport {

inline bookmarks::Heading HeadingFromEntry(const std::string& entry) {
  const auto titleAt = entry.find_first_not_of('\t');
  const auto pageTab = entry.rfind('\t');
  if (titleAt == std::string::npos || pageTab == std::string::npos || pageTab < titleAt || titleAt > 2) {
    throw std::invalid_argument("not a heading entry: " + entry);
  }
  long long page = 0;
  const char* first = entry.data() + pageTab + 1;
  const char* last = entry.data() + entry.size();
  if (std::from_chars(first, last, page).ptr != last) throw std::invalid_argument("no page in: " + entry);
  return bookmarks::MakeHeading(static_cast<int>(titleAt), entry.substr(titleAt, pageTab - titleAt), page);
}

inline bookmarks::HeadingList HeadingsFromEntries(const std::vector<std::string>& entries) {
  bookmarks::HeadingList list;
  for (const auto& entry : entries) list.push_back(HeadingFromEntry(entry));
  return list;
}

inline std::vector<std::string> EntryTexts(const bookmarks::HeadingList& list) {
  std::vector<std::string> texts;
  for (const auto& heading : list) texts.push_back(bookmarks::EntryText(heading));
  return texts;
}

}  // namespace vellumark::testsupport
