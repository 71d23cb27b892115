#include "bookmarks/heading_scan.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "bookmarks/heading_numbers.h"
#include "bookmarks/texts.h"
#include "platform/decimal.h"
#include "platform/narrow.h"

namespace vellumark::bookmarks {

namespace {

constexpr char32_t kSectionMark = U'§';
constexpr char32_t kIdeographicSpace = U'\u3000';
// A chapter title set on the line after its number ("第十章" / "維持管理計
// 画") is at most this long; a longer next line is body text.
constexpr std::size_t kMaxTitleLineLength = 40;

bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

using platform::Decimal;

// A title with each run of ideographic spaces made one: a wide gap on the
// page (a tab after the number) reads as several.
std::u32string CollapseGaps(const std::u32string& title) {
  std::u32string out;
  for (const char32_t c : title) {
    if (c == kIdeographicSpace && !out.empty() && out.back() == kIdeographicSpace) continue;
    out += c;
  }
  return out;
}

class Scanner {
 public:
  explicit Scanner(HeadingList& list) : list_(list) {}

  void ExaminePage(const std::vector<acrobat::TextLine>& lines, long long pageNumber) {
    // The right edge of the page's text: a heading that reaches it may go on
    // on the next line.
    double textRight = 0;
    for (const auto& line : lines) textRight = std::max(textRight, line.box.right);
    // Each round moves k on by one line, or two when the next line was
    // taken into this one's title.
    for (std::size_t k = 0; k < lines.size(); ++k) {
      const acrobat::TextLine* next = k + 1 < lines.size() ? &lines[k + 1] : nullptr;
      if (ExamineLine(lines[k], next, textRight, pageNumber)) ++k;
    }
  }

 private:
  // Returns whether `next` was taken into the heading's title.
  bool ExamineLine(const acrobat::TextLine& line, const acrobat::TextLine* next, double textRight,
                   long long pageNumber) {
    const std::u32string l = platform::ToU32(line.text);
    const std::u32string n = platform::Narrow(l);

    // A line that ends in a digit is taken for a page number (or a contents
    // line with its page), never for a heading.
    if (n.empty() || IsDigit(n.back())) return false;
    if (l.front() == kSectionMark) {
      list_.push_back(MakeHeading(Heading::kSection, line.text, pageNumber));
      return false;
    }
    const auto number = ReadLeadingNumber(l);
    if (!number) return false;

    // A numbered heading continues the chapter in force: under chapter 3,
    // "3.2 …" is a section and "3.2.1 …" an item; before any chapter, or
    // under another, such a line is a cross-reference or a list, no heading.
    if (number->kind == LeadingNumber::Kind::kDotted) {
      if (!ContinuesChapter(number->firstGroup)) return false;
      if (number->endAt >= l.size()) return false;  // the bare number
      std::u32string title = l;
      const bool joined = JoinWrapped(title, line, next, textRight);
      list_.push_back(MakeHeading(number->groups == 2 ? Heading::kSection : Heading::kItem,
                                  platform::ToUtf8(CollapseGaps(title)), pageNumber));
      return joined;
    }

    std::u32string title = l;
    bool joined = false;
    if (number->kind == LeadingNumber::Kind::kOrdinal && SkipsToEnd(l, number->endAt)) {
      // "第十章" alone: its title stands on the next line. A name such as
      // 参考資料 is a title of its own.
      joined = TitleOnNextLine(title, next);
    } else {
      joined = JoinWrapped(title, line, next, textRight);
    }
    const std::string text = platform::ToUtf8(CollapseGaps(title));
    if (number->chapter) {
      // A chapter line that repeats the chapter in force (a heading set again
      // at the top of its next page) is not a new chapter.
      const std::u32string key = TitleKey(title);
      if (key != chapterKey_) list_.push_back(MakeHeading(Heading::kChapter, text, pageNumber));
      chapterKey_ = key;
      chapterNumber_ = number->chapterNumber;
      anyChapter_ = true;
    }
    if (number->section) list_.push_back(MakeHeading(Heading::kSection, text, pageNumber));
    if (number->item) list_.push_back(MakeHeading(Heading::kItem, text, pageNumber));
    return joined;
  }

  bool ContinuesChapter(const std::string& firstGroup) const {
    if (!anyChapter_) return false;
    // An appendix without a letter of its own takes sections lettered "A.1".
    if (chapterNumber_.empty()) return firstGroup.size() == 1 && firstGroup[0] >= 'A' && firstGroup[0] <= 'Z';
    return firstGroup == chapterNumber_;
  }

  static bool SkipsToEnd(const std::u32string& l, std::size_t at) {
    while (at < l.size() && IsGroupSpace(l[at])) ++at;
    return at >= l.size();
  }

  static bool TitleOnNextLine(std::u32string& title, const acrobat::TextLine* next) {
    if (next == nullptr) return false;
    const std::u32string nextText = platform::ToU32(next->text);
    const std::u32string narrowed = platform::Narrow(nextText);
    if (nextText.empty() || nextText.size() > kMaxTitleLineLength || IsDigit(narrowed.back())) return false;
    // A sentence is body text, not a title.
    if (nextText.find_first_of(U"。、，．") != std::u32string::npos) return false;
    if (nextText.front() == kSectionMark || ReadLeadingNumber(nextText) || IsCaption(nextText)) return false;
    while (!title.empty() && IsGroupSpace(title.back())) title.pop_back();
    title += kIdeographicSpace;
    title += nextText;
    return true;
  }

  // A title that runs to the right edge of the text and goes on, in the
  // same size, on a short next line set close below it.
  static bool JoinWrapped(std::u32string& title, const acrobat::TextLine& line, const acrobat::TextLine* next,
                          double textRight) {
    if (next == nullptr || line.direction != next->direction) return false;
    if (line.direction != acrobat::WritingDirection::kHorizontal) return false;
    const double size = line.fontSize > 0 ? line.fontSize : line.box.bottom - line.box.top;
    if (!(size > 0)) return false;
    const bool reachesEdge = line.box.right >= textRight - size;
    const bool sameSize = std::abs(next->fontSize - line.fontSize) <= 0.1 * size;
    const bool close = next->box.top - line.box.bottom < size;
    const bool endsShort = next->box.right < textRight - 2 * size;
    if (!reachesEdge || !sameSize || !close || !endsShort) return false;
    const std::u32string nextText = platform::ToU32(next->text);
    const std::u32string narrowed = platform::Narrow(nextText);
    if (nextText.empty() || IsDigit(narrowed.back()) || ReadLeadingNumber(nextText) || IsCaption(nextText)) {
      return false;
    }
    title += nextText;
    return true;
  }

  HeadingList& list_;
  // The chapter in force, carried from page to page: its number ("3"; "A"
  // for 付録A; "" for a chapter without one) and its title as compared.
  bool anyChapter_ = false;
  std::string chapterNumber_;
  std::u32string chapterKey_;
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
    scanner.ExaminePage(reading.BodyTextLines(i), static_cast<long long>(i) + 1);
    status.Progress(i + 1, lastPage + 1);
  }
}

void ScanHeadings(const acrobat::PageTextSource& doc, HeadingList& list, platform::StatusSink& status) {
  ScanHeadings(DocumentReading(doc), list, status);
}

}  // namespace vellumark::bookmarks
