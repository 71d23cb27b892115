#include "bookmarks/heading_scan.h"

#include <algorithm>
#include <optional>

#include "bookmarks/heading_numbers.h"
#include "bookmarks/texts.h"
#include "platform/decimal.h"
#include "platform/narrow.h"

namespace vellumark::bookmarks {

namespace {

constexpr char32_t kOrdinal = U'第';
constexpr char32_t kSectionMark = U'§';

bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

using platform::Decimal;

class Scanner {
 public:
  explicit Scanner(HeadingList& list) : list_(list) {}

  void ExamineLine(const std::string& line, long long pageNumber) {
    const std::u32string l = platform::ToU32(line);
    const std::u32string n = platform::Narrow(l);

    // A line that ends in a digit is taken for a page number (or a contents
    // line with its page), never for a heading.
    if (!n.empty() && IsDigit(n.back())) return;

    if (!l.empty() && l.front() == kOrdinal) ExamineOrdinalGroups(l, line, pageNumber);

    if (!l.empty() && l.front() == kSectionMark) list_.push_back(MakeHeading(Heading::kSection, line, pageNumber));

    // Numbered headings continue the current chapter's number: under chapter
    // 3, "3.2 …" is a section and "3.2.1 …" an item. The number after the
    // prefix must start with 1–9, so "3.0" and "3. はじめに" are no headings.
    const std::size_t prefixLength = chapterPrefix_.size();
    if (prefixLength == 0 || n.size() < prefixLength + 2) return;
    if (n.compare(0, prefixLength, chapterPrefix_) != 0) return;
    const char32_t next = n[prefixLength];
    if (next < U'1' || next > U'9') return;
    const auto stops = std::count(n.begin(), n.end(), U'.');
    list_.push_back(MakeHeading(stops == 1 ? Heading::kSection : Heading::kItem, line, pageNumber));
  }

 private:
  // A line that begins with 第 is a heading when heading-number groups stand
  // at its start, one after another: "第3章 第1節" is a chapter and a
  // section, "第3編第1章" a chapter. Only the groups count, not words after
  // them: "第2章 調節池" is a chapter and nothing else. One line gives at
  // most one entry per level, in the order chapter, section, item.
  void ExamineOrdinalGroups(const std::u32string& l, const std::string& line, long long pageNumber) {
    std::optional<std::string> chapterNumber;  // set by the first 第…章 group
    bool section = false;
    bool item = false;
    // Every group moves `at` past its unit character, so the loop ends
    // within the length of the line.
    std::size_t at = 0;
    while (const auto group = OrdinalGroupAt(l, at)) {
      if (group->unit == kChapter && !chapterNumber) chapterNumber = group->number;
      section = section || group->unit == kSection;
      item = item || group->unit == kItem;
      at = group->unitAt + 1;
      while (at < l.size() && IsGroupSpace(l[at])) ++at;
    }
    if (chapterNumber) {
      list_.push_back(MakeHeading(Heading::kChapter, line, pageNumber));
      // Numbered lines continue this chapter: "3." after 第3章.
      chapterPrefix_.clear();
      for (const char c : *chapterNumber) chapterPrefix_ += static_cast<char32_t>(c);
      chapterPrefix_ += U'.';
    }
    if (section) list_.push_back(MakeHeading(Heading::kSection, line, pageNumber));
    if (item) list_.push_back(MakeHeading(Heading::kItem, line, pageNumber));
  }

  HeadingList& list_;
  // "3." after a chapter 3 line; carried from page to page.
  std::u32string chapterPrefix_;
};

}  // namespace

void ScanHeadings(const DocumentReading& reading, HeadingList& list, platform::StatusSink& status) {
  const int lastPage = reading.PageCount() - 1;
  list.clear();
  Scanner scanner(list);
  const std::string statusHead = std::string(kGetBookmarkStatus) + " ";
  const std::string statusTail = "/" + Decimal(lastPage);
  for (int i = 0; i <= lastPage; ++i) {
    status.ShowStatus(statusHead + Decimal(i) + statusTail);
    for (const auto& line : reading.BodyLines(i)) scanner.ExamineLine(line, static_cast<long long>(i) + 1);
    status.Progress(i + 1, lastPage + 1);
  }
}

void ScanHeadings(const acrobat::PageTextSource& doc, HeadingList& list, platform::StatusSink& status) {
  ScanHeadings(DocumentReading(doc), list, status);
}

}  // namespace vellumark::bookmarks
