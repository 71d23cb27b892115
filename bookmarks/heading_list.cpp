#include "bookmarks/heading_list.h"

#include <charconv>

namespace vellumark::bookmarks {

std::string MakeEntry(int level, const std::string& title, long long page) {
  std::string entry(static_cast<std::size_t>(level > 0 ? level : 0), '\t');
  entry += title;
  entry += '\t';
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, page).ptr;
  entry.append(digits, end);
  return entry;
}

std::vector<std::string> SplitFields(const std::string& entry) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  // Each round moves start past one TAB, so there are at most
  // (number of TABs + 1) rounds.
  for (;;) {
    const std::size_t tab = entry.find('\t', start);
    if (tab == std::string::npos) {
      fields.push_back(entry.substr(start));
      return fields;
    }
    fields.push_back(entry.substr(start, tab - start));
    start = tab + 1;
  }
}

long long PageValue(const std::string& field) {
  // The lenient reading of a number that the list's readers have always used:
  // leading spaces skipped, an optional sign, then as many digits as there
  // are; anything else (or nothing) counts as 0. Absurdly long numbers are
  // held at kPageValueLimit, so that the page arithmetic of the readers
  // (differences of two values, adding a few page counts) cannot overflow.
  std::size_t i = field.find_first_not_of(' ');
  if (i == std::string::npos) return 0;
  bool negative = false;
  if (field[i] == '+' || field[i] == '-') {
    negative = field[i] == '-';
    ++i;
  }
  // from_chars would take a second sign itself ("--3"); only digits may follow.
  if (i >= field.size() || field[i] < '0' || field[i] > '9') return 0;
  long long value = 0;
  const auto ec = std::from_chars(field.data() + i, field.data() + field.size(), value).ec;
  if (ec == std::errc::result_out_of_range || value > kPageValueLimit) value = kPageValueLimit;
  return negative ? -value : value;
}

}  // namespace vellumark::bookmarks
