#include "bookmarks/heading_scan.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>

#include "bookmarks/page_lines.h"
#include "bookmarks/texts.h"
#include "platform/narrow.h"

namespace vellumark::bookmarks {

namespace {

constexpr char32_t kOrdinal = U'第';
constexpr char32_t kSectionMark = U'§';

bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

std::string Decimal(long long value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  return std::string(digits, end);
}

int KanjiDigit(char32_t c) {
  static constexpr std::u32string_view kDigits = U"〇一二三四五六七八九";
  if (c == U'零') return 0;
  const auto at = kDigits.find(c);
  return at == std::u32string_view::npos ? -1 : static_cast<int>(at);
}

int KanjiUnit(char32_t c) {
  switch (c) {
    case U'十': return 10;
    case U'百': return 100;
    case U'千': return 1000;
    default: return 0;
  }
}

// Kanji numerals as Japanese reports number their chapters: the counting form
// (十二 = 12, 二十一 = 21, 百五 = 105) or digit by digit (一〇 = 10). Anything
// that is not one of the two forms has no value.
std::optional<long long> KanjiNumber(std::u32string_view text) {
  const bool counting = std::any_of(text.begin(), text.end(), [](char32_t c) { return KanjiUnit(c) != 0; });
  long long total = 0;
  if (!counting) {
    // At most a handful of characters reach here (the text between 第 and 章),
    // but keep the value from overflowing on a pathological line.
    if (text.size() > 15) return std::nullopt;
    for (const char32_t c : text) {
      const int digit = KanjiDigit(c);
      if (digit < 0) return std::nullopt;
      total = total * 10 + digit;
    }
    return total;
  }
  int pending = -1;           // a digit waiting for its unit
  int lastUnit = 10000;       // units must fall: 二十一, not 十二十
  for (const char32_t c : text) {
    if (const int digit = KanjiDigit(c); digit >= 0) {
      if (pending >= 0) return std::nullopt;  // two digits in a row in the counting form
      pending = digit;
    } else if (const int unit = KanjiUnit(c); unit != 0) {
      if (unit >= lastUnit) return std::nullopt;
      total += (pending >= 0 ? pending : 1) * unit;
      pending = -1;
      lastUnit = unit;
    } else {
      return std::nullopt;
    }
  }
  if (pending >= 0) total += pending;
  return total;
}

// The chapter number of a chapter line, read from the narrowed text in front
// of the first 章 (the leading 第 already taken off). Spaces are skipped: text
// extraction reports the gap a word processor leaves around digits set in
// Japanese text as spaces, so "第 1 章" is chapter 1. The number is written in
// plain decimal, so 第01章 and 第1章 give the same prefix. No value (第3編第1章,
// 第A章) means no prefix, and numbered lines are not recognised until the next
// chapter line with a number.
std::optional<std::string> ChapterNumber(std::u32string_view beforeChapter) {
  std::u32string compact;
  for (const char32_t c : beforeChapter) {
    if (c != U' ' && c != U'\t') compact += c;
  }
  if (compact.empty()) return std::nullopt;
  if (std::all_of(compact.begin(), compact.end(), IsDigit)) {
    const auto firstNonZero = compact.find_first_not_of(U'0');
    if (firstNonZero == std::u32string::npos) return std::string("0");
    std::string digits;
    for (auto k = firstNonZero; k < compact.size(); ++k) digits += static_cast<char>(compact[k]);
    return digits;
  }
  if (const auto value = KanjiNumber(compact)) return Decimal(*value);
  return std::nullopt;
}

class Scanner {
 public:
  explicit Scanner(HeadingList& list) : list_(list) {}

  void ExamineLine(const std::string& line, long long pageNumber) {
    const std::u32string l = platform::ToU32(line);
    const std::u32string n = platform::Narrow(l);

    // A line that ends in a digit is taken for a page number (or a contents
    // line with its page), never for a heading.
    if (!n.empty() && IsDigit(n.back())) return;

    if (!l.empty() && l.front() == kOrdinal) {
      if (l.find(kChapter) != std::u32string::npos) {
        list_.Append(MakeEntry(0, line, pageNumber));
        // N begins with 第 as well (narrowing leaves kanji alone), so its first
        // 章 after the first character is the chapter marker.
        const std::u32string_view rest = std::u32string_view(n).substr(1);
        const auto chapterAt = rest.find(kChapter);
        const auto number =
            chapterAt == std::u32string_view::npos ? std::nullopt : ChapterNumber(rest.substr(0, chapterAt));
        chapterPrefix_.clear();
        if (number) {
          for (const char c : *number) chapterPrefix_ += static_cast<char32_t>(c);
          chapterPrefix_ += U'.';
        }
      }
      if (l.find(kSection) != std::u32string::npos) list_.Append(MakeEntry(1, line, pageNumber));
      if (l.find(kItem) != std::u32string::npos) list_.Append(MakeEntry(2, line, pageNumber));
    }

    if (!l.empty() && l.front() == kSectionMark) list_.Append(MakeEntry(1, line, pageNumber));

    // Numbered headings continue the current chapter's number: under chapter
    // 3, "3.2 …" is a section and "3.2.1 …" an item. The number after the
    // prefix must start with 1–9, so "3.0" and "3. はじめに" are no headings.
    const std::size_t prefixLength = chapterPrefix_.size();
    if (prefixLength == 0 || n.size() < prefixLength + 2) return;
    if (n.compare(0, prefixLength, chapterPrefix_) != 0) return;
    const char32_t next = n[prefixLength];
    if (next < U'1' || next > U'9') return;
    const auto stops = std::count(n.begin(), n.end(), U'.');
    list_.Append(MakeEntry(stops == 1 ? 1 : 2, line, pageNumber));
  }

 private:
  HeadingList& list_;
  // "3." after a chapter 3 line; carried from page to page.
  std::u32string chapterPrefix_;
};

}  // namespace

void ScanHeadings(const acrobat::PageTextSource& doc, HeadingList& list, platform::StatusSink& status) {
  const int lastPage = doc.GetNumPages() - 1;
  list.Clear();
  Scanner scanner(list);
  const std::string statusHead = std::string(kGetBookmarkStatus) + " ";
  const std::string statusTail = "/" + Decimal(lastPage);
  for (int i = 0; i <= lastPage; ++i) {
    status.ShowStatus(statusHead + Decimal(i) + statusTail);
    const auto lines = SplitPageLines(doc.ReadPageText(i));
    for (const auto& line : lines) scanner.ExamineLine(line, static_cast<long long>(i) + 1);
    status.Progress(i + 1, lastPage + 1);
  }
}

}  // namespace vellumark::bookmarks
