#include "bookmarks/contents_page.h"

#include <algorithm>
#include <string_view>

#include "bookmarks/heading_numbers.h"
#include "bookmarks/page_lines.h"
#include "bookmarks/page_reading.h"
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

// The characters a contents leader is drawn with. Word processors and
// typesetters choose among them, and the text layer gives what was drawn:
// a user who typed "・" must still find Word's "·" leaders.
constexpr std::u32string_view kLeaderClass = U"\uFF65\u30FB\u00B7\u2027\u2026\u2025\uFF0E.";

bool IsLeaderChar(char32_t c) { return kLeaderClass.find(c) != std::u32string_view::npos; }

// Where the leader between title and page number begins: the delimiter
// written twice in a row, or, when the delimiter is one of the leader
// characters, any two of them. Typesetting systems space their leader dots
// ("． ． ． ．"), and a contents page after the first keeps its spaces, so
// spaces may stand between the two. npos when there is no leader.
std::size_t FindLeader(const std::u32string& text, const std::u32string& delimiter) {
  const bool leaderClass = delimiter.size() == 1 && IsLeaderChar(delimiter[0]);
  auto leaderAt = [&](std::size_t at) {
    if (leaderClass) return at < text.size() && IsLeaderChar(text[at]) ? std::size_t{1} : std::size_t{0};
    return text.compare(at, delimiter.size(), delimiter) == 0 ? delimiter.size() : std::size_t{0};
  };
  // Each round moves `at` on by one character.
  for (std::size_t at = 0; at < text.size(); ++at) {
    const std::size_t first = leaderAt(at);
    if (first == 0) continue;
    std::size_t next = at + first;
    while (next < text.size() && IsGroupSpace(text[next])) ++next;
    if (leaderAt(next) > 0) return at;
    // "…" and "‥" are leader dots written as one character.
    if (leaderClass && (text[at] == U'\u2026' || text[at] == U'\u2025')) return at;
  }
  return std::u32string::npos;
}

// A page number set after a wide gap instead of leaders (LaTeX's chapter
// lines, tables of contents laid out with tabs): three or more spaces in
// front of it. npos when there are fewer.
std::size_t FindWideGap(const std::u32string& text) {
  constexpr std::size_t kWideGapSpaces = 3;
  std::size_t at = text.size();
  while (at > 0 && IsGroupSpace(text[at - 1])) --at;
  return text.size() - at >= kWideGapSpaces && at > 0 ? at : std::u32string::npos;
}

// The heading level the groups at the very start of a title give: a chain
// of 第-groups (the smallest unit named wins: "第3章第2節" is a section),
// a chapter without 第 (序章, 付録A), or an Arabic number directly followed
// by its marker ("1章"); -1 when the title opens with none. A group further
// inside the title is text: "1.1第3章の検討結果の反映" is an item.
int StartGroupLevel(const std::u32string& title) {
  if (const auto number = ReadLeadingNumber(title)) {
    if (number->kind == LeadingNumber::Kind::kNamed) return 0;
    if (number->kind == LeadingNumber::Kind::kOrdinal) return number->item ? 2 : (number->section ? 1 : 0);
    return -1;
  }
  std::size_t k = 0;
  while (k < title.size() && IsDigit(NarrowOne(title[k]))) ++k;
  return k > 0 && k < title.size() ? MarkerLevel(title[k]) : -1;
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

// Where the prefix of a chapter-local page number begins ("2-" of "2-1",
// "資-" of "資-3"), in a line whose final digits were taken off: a dash
// behind a chapter number or a short word (at most three letters or kanji),
// which stands after the leader or a space, not inside a word of the title.
// npos when the page number has no prefix.
std::size_t PagePrefixAt(const std::u32string& text) {
  constexpr std::size_t kMaxPrefix = 3;
  if (text.size() < 2 || !IsNumberDash(NarrowOne(text.back()))) return std::u32string::npos;
  const std::size_t dashAt = text.size() - 1;
  auto isWordChar = [](char32_t c) {
    return (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z') || (c >= U'\u3400' && c <= U'\u9FFF');
  };
  std::size_t at = dashAt;
  const bool digits = IsDigit(NarrowOne(text[at - 1]));
  while (at > 0 && dashAt - at < kMaxPrefix) {
    const char32_t c = NarrowOne(text[at - 1]);
    if (digits ? !IsDigit(c) : !isWordChar(c)) break;
    --at;
  }
  if (at == dashAt || at == 0) return std::u32string::npos;
  const char32_t before = NarrowOne(text[at - 1]);
  if (IsDigit(before) || isWordChar(before) || (before >= U'\u3040' && before <= U'\u30FF')) {
    return std::u32string::npos;
  }
  return at;
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
  parsed.printedPage = platform::ToUtf8(n.substr(n.size() - static_cast<std::size_t>(digits)));
  if (const auto prefixAt = PagePrefixAt(text); prefixAt != std::u32string::npos) {
    parsed.printedPage = platform::ToUtf8(text.substr(prefixAt)) + parsed.printedPage;
    text.erase(prefixAt);
  }
  parsed.title = platform::ToUtf8(text);

  // The leader between title and page is the delimiter written at least
  // twice; a single one may belong to the title. No delimiter, no leader.
  if (delimiter.empty()) return parsed;
  auto leaderAt = FindLeader(text, platform::ToU32(delimiter));
  if (leaderAt == std::u32string::npos) leaderAt = FindWideGap(text);
  if (leaderAt == std::u32string::npos) return parsed;
  std::u32string title = TrimSpaces(text.substr(0, leaderAt));
  // Spaces around a spaced leader belong to the leader, not to the title.
  while (!title.empty() && title.back() == kIdeographicSpace) title.pop_back();
  // A figure or table list entry is never a heading.
  if (IsCaption(title)) return parsed;

  // Separate a leading heading number from the title with an ideographic
  // space ("1.1目的" → "1.1　目的", "1-1業務目的" → "1-1　業務目的"). The
  // number is tested narrowed, so "１．１業務目的" reads as the number １．１
  // and keeps its full-width characters; a number starting with 0 is left
  // as it stands.
  const auto number = ReadLeadingNumber(title);
  const bool dotted = number && number->kind == LeadingNumber::Kind::kDotted && NarrowOne(title.front()) != U'0';
  if (dotted) {
    if (number->endAt < title.size()) title.insert(number->endAt, 1, kIdeographicSpace);
  } else if (!number && !title.empty() && IsDigit(NarrowOne(title.front())) && NarrowOne(title.front()) != U'0') {
    // Other numbers ("1. 総則", "1.1. 目的") get their space the same way:
    // in front of the first character that is neither digit nor full stop,
    // unless that is the marker of a group ("1章総則").
    for (std::size_t k = 1; k < title.size(); ++k) {
      const char32_t c = NarrowOne(title[k]);
      if (c == U'.' || IsDigit(c)) continue;
      if (MarkerLevel(title[k]) < 0) title.insert(k, 1, kIdeographicSpace);
      break;
    }
  }

  std::replace(title.begin(), title.end(), U' ', kIdeographicSpace);

  // The level comes from the number at the start of the title: its groups
  // (1.2 or 1-2 a section, 1.2.3 an item), or for other numbers the full
  // stops in front of the first space ("1. 総則" a section).
  const std::u32string narrowed = platform::Narrow(title);
  if (dotted) {
    parsed.level = number->groups - 1;
  } else if (!number) {
    const auto spaceAt = narrowed.find(U' ');
    if (spaceAt != std::u32string::npos && narrowed.find(U'.') < spaceAt) {
      parsed.level = static_cast<int>(
          std::count(narrowed.begin(), narrowed.begin() + static_cast<std::ptrdiff_t>(spaceAt), U'.'));
    }
  }
  // Heading-number groups at the start win over the dotted number, the
  // smallest unit named last: a line with 第2項 is an item even when it also
  // names its chapter. Markers inside words ("1.1　検討項目") and groups
  // further inside the title do not count.
  if (const int groupLevel = StartGroupLevel(title); groupLevel >= 0) {
    parsed.level = groupLevel;
    SpaceAfterMarker(title, kChapter);
    SpaceAfterMarker(title, kSection);
  }

  parsed.title = platform::ToUtf8(title);
  return parsed;
}

namespace {

// A contents entry on its way into the list: the line as parsed and the
// page index it is found to stand on.
struct Entry {
  ContentsLine line;
  long long target = 0;
};

// The page in first..last (a file's pages after the contents, or the rest
// of the job) nearest to `target` whose body holds `title`, preferring pages
// at or after `notBefore` (contents entries follow the document's order);
// -1 when none does. Front pages are never searched: the contents page
// itself lists every title.
int FindTitle(const DocumentReading& reading, const std::string& title, int first, int last, int notBefore,
              long long target) {
  int best = -1;
  bool bestInOrder = false;
  long long bestDistance = 0;
  for (int i = first; i <= last; ++i) {
    if (!reading.BodyHolds(i, title)) continue;
    const bool inOrder = i >= notBefore;
    const long long distance = i > target ? i - target : target - i;
    if (best < 0 || (inOrder && !bestInOrder) || (inOrder == bestInOrder && distance < bestDistance)) {
      best = i;
      bestInOrder = inOrder;
      bestDistance = distance;
    }
  }
  return best;
}

// How many entries may be looked for beyond their own page. Each search
// reads up to every page; a contents page of thousands of entries that are
// all wrong helps no reader, and the bound keeps a hostile one from costing
// entries times pages.
constexpr int kMaxTitleSearches = 2000;

// Moves each entry to the page where its heading stands: its printed page
// number looked up on the pages (job order, never behind the entry before),
// else counted from the end of the contents; then its title checked there.
void PlaceEntries(const DocumentReading& reading, std::vector<Entry>& entries, ContentsReading& result) {
  const int firstBody = std::min(result.frontPageCount, reading.PageCount());
  int notBefore = firstBody;
  // Where the last printed number was found: the next is looked for from
  // there, even when a title check moved the last entry further on.
  int printedFrom = firstBody;
  int searchesLeft = kMaxTitleSearches;
  for (Entry& entry : entries) {
    long long target = -1;
    if (reading.HasPrintedNumbers()) {
      target = reading.FindPrintedNumber(entry.line.printedPage, printedFrom);
      if (target < 0) result.unprintedTitles.push_back(entry.line.title);
      if (target >= 0) printedFrom = static_cast<int>(target);
    }
    if (target < 0) target = static_cast<long long>(entry.line.page) + result.frontPageCount - 1;
    const bool inside = target >= firstBody && target < reading.PageCount();
    if ((!inside || !reading.BodyHolds(static_cast<int>(target), entry.line.title)) && searchesLeft-- > 0) {
      // A target inside the body is searched for in its own file; one past
      // the end (no END line, a wrong number) anywhere after the contents.
      int found = -1;
      if (inside) {
        const auto [fileFirst, fileLast] = reading.FilePages(reading.Page(static_cast<int>(target)).file);
        found = FindTitle(reading, entry.line.title, std::max(fileFirst, firstBody), fileLast, notBefore, target);
      } else if (target >= reading.PageCount()) {
        found = FindTitle(reading, entry.line.title, notBefore, reading.PageCount() - 1, notBefore, notBefore);
      }
      if (found >= 0 && found != target) {
        target = found;
        result.correctedTitles.push_back(entry.line.title);
      }
    }
    entry.target = target;
    if (target >= notBefore && target < reading.PageCount()) notBefore = static_cast<int>(target);
  }
}

}  // namespace

// "図目次", "表目次", "図一覧", "表一覧" (spaces taken out).
bool OpensFigureList(const std::string& line) {
  const std::string key = WithoutSpaces(line);
  for (const char* word : {"図目次", "表目次", "図一覧", "表一覧"}) {
    if (key.rfind(word, 0) == 0) return true;
  }
  return false;
}

bool OpensWithHeadingNumber(const std::string& line) {
  const std::u32string text = TrimSpaces(platform::ToU32(line));
  return ReadLeadingNumber(text).has_value() || StartGroupLevel(text) >= 0;
}

// A line that may go on on the next one: it opens with a heading number
// but ends in no page number.
bool MayWrap(const std::string& line) {
  const std::u32string narrowed = platform::Narrow(TrimSpaces(platform::ToU32(line)));
  return !narrowed.empty() && !IsDigit(narrowed.back()) && OpensWithHeadingNumber(line);
}

ContentsReading ReadContentsPage(const DocumentReading& reading, HeadingList& list, const std::string& delimiter,
                                 platform::StatusSink& status) {
  status.ShowStatus(std::string(kGetBookmarkStatus));
  ContentsReading result;
  const int lastPage = reading.PageCount() - 1;
  bool found = false;
  bool inFigureList = false;
  std::string wrapped;  // a line whose title goes on on the next line
  int lastWithEntries = -1;
  std::vector<Entry> entries;
  int i = 0;
  for (; i <= lastPage; ++i) {
    std::string text = reading.PageText(i);
    // Until the contents are found, a page is searched with its spaces taken
    // out, so "目　次" and "目 次" are found too; the page where they are found
    // is read in that form as well, later pages as they are.
    const bool firstPage = !found;
    if (!found) {
      text = WithoutSpaces(text);
      found = text.find(kContentsWord) != std::string::npos;
    }
    if (!found) continue;
    bool pageHasEntries = false;
    const auto lines = SplitPageLines(text);
    // The page the contents were found on is read without its spaces; a
    // line that gives no entry so is tried as it stands, where a wide gap
    // may separate its title from its page number.
    const auto spacedLines = firstPage ? SplitPageLines(reading.PageText(i)) : std::vector<std::string>{};
    for (std::size_t k = 0; k < lines.size(); ++k) {
      const std::string& line = lines[k];
      if (line.compare(0, kContentsEnd.size(), kContentsEnd) == 0) {
        result.endFound = true;
        break;
      }
      // A list of figures or tables follows the contents: its entries are
      // captions, not headings.
      if (OpensFigureList(line)) inFigureList = true;
      if (inFigureList) continue;
      ContentsLine parsed = ParseContentsLine(line, delimiter);
      if (parsed.level < 0 && k < spacedLines.size()) {
        ContentsLine spaced = ParseContentsLine(spacedLines[k], delimiter);
        if (spaced.level >= 0) parsed = std::move(spaced);
      }
      // A title wrapped onto the next line, or a chapter number whose title
      // stands on the next line ("第十章" / "維持管理計画 ･･･ 45"), is one
      // entry.
      if (!wrapped.empty()) {
        if (parsed.level < 0 && !OpensWithHeadingNumber(line)) {
          ContentsLine joined = ParseContentsLine(wrapped + line, delimiter);
          if (joined.level >= 0) parsed = std::move(joined);
        }
        wrapped.clear();
      } else if (parsed.level < 0 && MayWrap(line)) {
        wrapped = line;
        // A bare number is set apart from its title by a space.
        const auto number = ReadLeadingNumber(TrimSpaces(platform::ToU32(line)));
        if (number && number->endAt >= TrimSpaces(platform::ToU32(line)).size()) wrapped += " ";
        continue;
      }
      if (parsed.level >= 0) status.ShowStatus(std::string(kLoadBookmarkStatus) + parsed.title);
      if (parsed.level >= 0 && parsed.level <= 2) {
        entries.push_back(Entry{parsed, 0});
        pageHasEntries = true;
      }
    }
    if (result.endFound) break;
    // Without an END line the contents end with the last page that gives
    // entries: the body after them is not read as contents.
    if (pageHasEntries) lastWithEntries = i;
    if (!pageHasEntries && !firstPage) break;
  }
  // The page holding END and every page before it are front pages; without
  // one, the contents pages found and those before them.
  result.frontPageCount = result.endFound ? i + 1 : (lastWithEntries >= 0 ? lastWithEntries + 1 : i + 1);
  result.contentsFound = found;
  PlaceEntries(reading, entries, result);
  for (const Entry& entry : entries) {
    // Kept in the list as the page a count from the end of the contents
    // gives, which is what the bookmarks and the split turn back into the
    // page index.
    const long long page = entry.target - result.frontPageCount + 1;
    list.push_back(MakeHeading(entry.line.level, entry.line.title, page));
  }
  return result;
}

int ReadContentsPage(const acrobat::PageTextSource& doc, HeadingList& list, const std::string& delimiter,
                     platform::StatusSink& status) {
  return ReadContentsPage(DocumentReading(doc), list, delimiter, status).frontPageCount;
}

}  // namespace vellumark::bookmarks
