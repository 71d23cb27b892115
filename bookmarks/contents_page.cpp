#include "bookmarks/contents_page.h"

#include <algorithm>
#include <string_view>

#include "bookmarks/heading_numbers.h"
#include "bookmarks/page_lines.h"
#include "bookmarks/texts.h"
#include "platform/narrow.h"

namespace vellumark::bookmarks {

namespace {

constexpr char32_t kIdeographicSpace = U'\u3000';
// A contents line's page number has at most this many digits; a longer run
// of digits gives only its last six.
constexpr int kMaxPageDigits = 6;

bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

// Both kinds of space: a contents page after the first keeps its indents,
// and an entry indented with ideographic spaces ("　1.1　目的 ･･･ 3") must
// still start with its number, or it would read as a chapter.
std::u32string TrimSpaces(const std::u32string& text) {
  static constexpr std::u32string_view kSpaces = U" \u3000";
  const auto first = text.find_first_not_of(kSpaces);
  if (first == std::u32string::npos) return {};
  const auto last = text.find_last_not_of(kSpaces);
  return text.substr(first, last - first + 1);
}

// One character in its narrowed form, for the number tests on a title whose
// own characters must stay: １ reads 1, ． reads ., the ideographic space a
// space. Narrowing a single character gives one character, except a voiced
// katakana, which gives its base (ガ reads ｶ) and is no digit either way.
char32_t NarrowOne(char32_t c) {
  const std::u32string narrowed = platform::Narrow(std::u32string(1, c));
  return narrowed.empty() ? c : narrowed.front();
}

// Where the leader between title and page number begins: the delimiter
// written twice in a row. Typesetting systems space their leader dots
// ("． ． ． ．"), and a contents page after the first keeps its spaces, so
// spaces may stand between the two. npos when there is no leader.
std::size_t FindLeader(const std::u32string& text, const std::u32string& delimiter) {
  // Each round moves `at` on by at least one character.
  for (auto at = text.find(delimiter); at != std::u32string::npos; at = text.find(delimiter, at + 1)) {
    std::size_t next = at + delimiter.size();
    while (next < text.size() && IsGroupSpace(text[next])) ++next;
    if (text.compare(next, delimiter.size(), delimiter) == 0) return at;
  }
  return std::u32string::npos;
}

// Makes sure the first `marker` that ends a heading-number group is followed
// by an ideographic space, so "第1章総則" reads "第1章　総則". A marker inside
// a word ("調節池") gets none. A marker that ends the title is followed by
// nothing, which is not the space either, so it gets one too: titles written
// by earlier versions look the same and users compare them.
void SpaceAfterMarker(std::u32string& title, char32_t marker) {
  for (const auto& group : MarkerGroups(title)) {
    if (group.unit != marker) continue;
    const std::size_t after = group.unitAt + 1;
    if (after >= title.size() || title[after] != kIdeographicSpace) title.insert(after, 1, kIdeographicSpace);
    return;
  }
}

std::string WithoutSpaces(const std::string& text) {
  // U+3000 is E3 80 80 in UTF-8; erasing those byte triples cannot cut
  // another character, since 0xE3 only ever starts a sequence.
  static constexpr std::string_view kIdeographicSpaceUtf8 = "\xE3\x80\x80";
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == ' ') {
      ++i;
    } else if (std::string_view(text).substr(i, 3) == kIdeographicSpaceUtf8) {
      i += 3;
    } else {
      out += text[i++];
    }
  }
  return out;
}

}  // namespace

ContentsLine ParseContentsLine(const std::string& rawLine, const std::string& delimiter) {
  ContentsLine parsed;
  if (rawLine.empty()) return parsed;

  std::u32string text = TrimSpaces(platform::ToU32(rawLine));
  parsed.title = platform::ToUtf8(text);
  const std::u32string n = platform::Narrow(text);

  // The digit flags look at the last six characters of the narrowed line, so
  // a page number in full-width digits counts as well.
  if (n.size() < static_cast<std::size_t>(kMaxPageDigits)) return parsed;
  bool flags[kMaxPageDigits];
  for (int k = 0; k < kMaxPageDigits; ++k) flags[k] = IsDigit(n[n.size() - 1 - static_cast<std::size_t>(k)]);
  if (!flags[0]) return parsed;

  int digits = kMaxPageDigits;
  for (int k = 1; k < kMaxPageDigits; ++k) {
    if (!flags[k]) {
      digits = k;
      break;
    }
  }
  // The value is read from the narrowed characters: the last `digits`
  // characters of N are digits by the flags, and narrowing maps a digit to
  // exactly one digit, so they are the same characters as the line's last
  // ones, full-width or not.
  int value = 0;
  for (std::size_t k = n.size() - static_cast<std::size_t>(digits); k < n.size(); ++k) {
    value = value * 10 + static_cast<int>(n[k] - U'0');
  }
  parsed.page = value;
  text.erase(text.size() - std::min(text.size(), static_cast<std::size_t>(digits)));
  parsed.title = platform::ToUtf8(text);

  // The leader between title and page is the delimiter written at least
  // twice; a single one may belong to the title. No delimiter, no leader.
  if (delimiter.empty()) return parsed;
  const auto leaderAt = FindLeader(text, platform::ToU32(delimiter));
  if (leaderAt == std::u32string::npos) return parsed;
  std::u32string title = TrimSpaces(text.substr(0, leaderAt));
  // Spaces around a spaced leader belong to the leader, not to the title.
  while (!title.empty() && title.back() == kIdeographicSpace) title.pop_back();

  // Separate a leading heading number from the title with an ideographic
  // space ("1.1目的" → "1.1　目的"). A number starts with 1–9 and goes on
  // over digits and full stops, both tested narrowed, so "１．１業務目的"
  // reads as the number １．１ and keeps its full-width characters. A number
  // directly followed by its marker ("1章総則") is one heading-number group
  // and is not split; the marker gets its space below.
  if (!title.empty() && IsDigit(NarrowOne(title.front())) && NarrowOne(title.front()) != U'0') {
    bool dotted = false;
    for (std::size_t k = 1; k < title.size(); ++k) {
      const char32_t c = NarrowOne(title[k]);
      if (c == U'.' || IsDigit(c)) {
        dotted = dotted || c == U'.';
        continue;
      }
      if (dotted || MarkerLevel(title[k]) < 0) title.insert(k, 1, kIdeographicSpace);
      break;
    }
  }

  std::replace(title.begin(), title.end(), U' ', kIdeographicSpace);

  // The number of full stops in the heading number gives the depth:
  // 1.2 a section, 1.2.3 an item; １．２ counts as 1.2.
  const std::u32string narrowed = platform::Narrow(title);
  const auto spaceAt = narrowed.find(U' ');
  if (spaceAt != std::u32string::npos && narrowed.find(U'.') != std::u32string::npos) {
    parsed.level = static_cast<int>(
        std::count(narrowed.begin(), narrowed.begin() + static_cast<std::ptrdiff_t>(spaceAt), U'.'));
  }
  // A heading-number group wins over the dotted number, the smallest unit
  // named by a group last: a line with 第2項 is an item even when it also
  // names its chapter. Markers inside words ("1.1　検討項目") do not count.
  int markerLevel = -1;
  for (const auto& group : MarkerGroups(title)) markerLevel = std::max(markerLevel, MarkerLevel(group.unit));
  if (markerLevel >= 0) parsed.level = markerLevel;

  SpaceAfterMarker(title, kChapter);
  SpaceAfterMarker(title, kSection);

  parsed.title = platform::ToUtf8(title);
  return parsed;
}

int ReadContentsPage(const acrobat::PageTextSource& doc, HeadingList& list, const std::string& delimiter,
                     platform::StatusSink& status) {
  status.ShowStatus(std::string(kGetBookmarkStatus));
  const int lastPage = doc.GetNumPages() - 1;
  bool found = false;
  bool stop = false;
  int i = 0;
  for (; i <= lastPage; ++i) {
    std::string text = ReadHeadingPageText(doc, i);
    // Until the contents are found, a page is searched with its spaces taken
    // out, so "目　次" and "目 次" are found too; the page where they are found
    // is read in that form as well, later pages as they are.
    if (!found) {
      text = WithoutSpaces(text);
      found = text.find(kContentsWord) != std::string::npos;
    }
    if (found) {
      const auto lines = SplitPageLines(text);
      for (const auto& line : lines) {
        if (line.compare(0, kContentsEnd.size(), kContentsEnd) == 0) {
          stop = true;
          break;
        }
        const ContentsLine parsed = ParseContentsLine(line, delimiter);
        if (parsed.level >= 0) status.ShowStatus(std::string(kLoadBookmarkStatus) + parsed.title);
        if (parsed.level >= 0 && parsed.level <= 2) {
          list.push_back(MakeHeading(parsed.level, parsed.title, parsed.page));
        }
      }
    }
    if (stop) break;
  }
  // The page holding END and every page before it are front pages; without an
  // END line the loop ran past the last page and the count is pages + 1.
  return i + 1;
}

}  // namespace vellumark::bookmarks
