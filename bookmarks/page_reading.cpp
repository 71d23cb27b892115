#include "bookmarks/page_reading.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string_view>

#include "bookmarks/heading_numbers.h"
#include "bookmarks/unified_ideographs.h"
#include "platform/narrow.h"

namespace vellumark::bookmarks {

namespace {

// Running heads and feet stand in the top and bottom bands of the page: an
// eighth of its height at the top, three twentieths at the bottom, which
// hold a header or footer set in the margin of any common page style
// (LaTeX's wide bottom margin too) and rarely more than the first or last
// body line.
constexpr double kTopBandShare = 0.125;
constexpr double kBottomBandShare = 0.15;
// A band line is furniture when it, or a long enough piece of it, stands on
// at least this many pages, and on at least a quarter of the pages whose
// band holds any text: a report's header repeats on most of its pages, a
// heading at the top of a page does not.
constexpr int kMinRepeats = 3;
constexpr int kRepeatQuarter = 4;
// A piece of a running head shorter than this ("第1章") says too little to
// mark the line: headings share it.
constexpr std::size_t kMinPieceLength = 4;
// Titles are compared on their first characters only: a long title may be
// cut or wrapped differently in the body than in the contents.
constexpr std::size_t kTitleKeyLength = 12;
// A page number has at most this many digits, a prefix ("資", "付録", "2")
// at most this many characters.
constexpr std::size_t kMaxNumberDigits = 5;
constexpr std::size_t kMaxPrefixLength = 3;

bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }
bool IsSpace(char32_t c) { return c == U' ' || c == U'\u3000' || c == U'\t'; }
enum class Band { kNone, kTop, kBottom };

Band BandOf(const acrobat::TextLine& line, double pageHeight) {
  if (!(pageHeight > 0)) return Band::kNone;
  if (line.box.bottom <= pageHeight * kTopBandShare) return Band::kTop;
  if (line.box.top >= pageHeight * (1 - kBottomBandShare)) return Band::kBottom;
  return Band::kNone;
}

// The form two band lines are compared in: narrowed, spaces out, every run
// of digits one "#", so "第1章 総則 - 3 -" and "第1章 総則 - 4 -" are the same.
std::u32string RepeatKey(std::u32string_view text) {
  std::u32string key;
  bool inDigits = false;
  for (const char32_t c : text) {
    if (IsSpace(c)) continue;
    if (IsDigit(c)) {
      if (!inDigits) key += U'#';
      inDigits = true;
      continue;
    }
    inDigits = false;
    key += c;
  }
  return key;
}

// A band line cut at its spaces: a running head sets its parts apart
// ("第1章　総則　　　△△橋詳細設計業務"), and the part that stays the same on
// every page (the project's name) marks the line when the chapter changes.
std::vector<std::u32string> Pieces(const std::u32string& narrowed) {
  std::vector<std::u32string> pieces;
  std::u32string piece;
  for (const char32_t c : narrowed) {
    if (IsSpace(c)) {
      if (!piece.empty()) pieces.push_back(std::move(piece));
      piece.clear();
    } else {
      piece += c;
    }
  }
  if (!piece.empty()) pieces.push_back(std::move(piece));
  return pieces;
}

// The value of a Roman numeral written the usual way (i … c), or 0.
int RomanValue(std::u32string_view text) {
  static constexpr std::u32string_view kOnes[] = {U"", U"i", U"ii", U"iii", U"iv", U"v", U"vi", U"vii", U"viii", U"ix"};
  static constexpr std::u32string_view kTens[] = {U"", U"x", U"xx", U"xxx", U"xl", U"l", U"lx", U"lxx", U"lxxx", U"xc"};
  if (text.empty() || text.size() > 8) return 0;
  // The one way each value up to 99 is written: tens, then ones.
  for (int tens = 9; tens >= 0; --tens) {
    const std::u32string_view head = kTens[tens];
    if (text.substr(0, head.size()) != head) continue;
    const std::u32string_view rest = text.substr(head.size());
    for (int ones = 0; ones < 10; ++ones) {
      if (rest == kOnes[ones] && tens * 10 + ones > 0) return tens * 10 + ones;
    }
  }
  return 0;
}

// A page number taken apart: "2-15" is prefix "2-" and value 15, "iii" a
// Roman 3.
struct PageNumber {
  std::string prefix;
  int value = 0;
  bool roman = false;
};

std::optional<PageNumber> ParsePageNumber(const std::string& normal) {
  if (normal.empty()) return std::nullopt;
  const std::u32string text = platform::ToU32(normal);
  if (const int roman = RomanValue(text); roman > 0) return PageNumber{"", roman, true};
  std::size_t digitsAt = text.size();
  while (digitsAt > 0 && IsDigit(text[digitsAt - 1])) --digitsAt;
  if (digitsAt == text.size()) return std::nullopt;
  int value = 0;
  for (std::size_t k = digitsAt; k < text.size(); ++k) value = value * 10 + static_cast<int>(text[k] - U'0');
  return PageNumber{platform::ToUtf8(text.substr(0, digitsAt)), value, false};
}

}  // namespace

std::u32string TitleKey(std::u32string_view title) {
  std::u32string key;
  for (const char32_t c : platform::Narrow(std::u32string(title))) {
    if (!IsSpace(c)) key += c;
  }
  return key;
}

std::string NormalPageNumber(const std::string& text) {
  std::u32string t;
  for (const char32_t c : platform::Narrow(platform::ToU32(text))) {
    if (IsSpace(c)) continue;
    t += IsNumberDash(c) ? U'-' : c;
  }
  // Decorations around the number: "- 3 -", "(3)", "P.3", "3頁", "3ページ".
  auto strip = [&t](std::u32string_view head, std::u32string_view tail) {
    if (t.size() > head.size() + tail.size() && t.compare(0, head.size(), head) == 0 &&
        t.compare(t.size() - tail.size(), tail.size(), tail) == 0) {
      t = t.substr(head.size(), t.size() - head.size() - tail.size());
    }
  };
  strip(U"-", U"-");
  strip(U"(", U")");
  strip(U"\u3014", U"\u3015");  // 〔 〕
  strip(U"P.", U"");
  strip(U"p.", U"");
  // Narrowing turned the katakana into half-width ones.
  static const std::u32string kPageWord = platform::Narrow(std::u32string(U"ページ"));
  strip(U"", kPageWord);
  strip(U"", U"頁");
  if (t.empty()) return {};

  std::u32string lower;
  for (const char32_t c : t) lower += (c >= U'A' && c <= U'Z') ? c - U'A' + U'a' : c;
  if (RomanValue(lower) > 0) return platform::ToUtf8(lower);

  // Digits, perhaps behind a prefix and a dash: "12", "2-15", "資-3", "A-1".
  std::size_t digitsAt = t.size();
  while (digitsAt > 0 && IsDigit(t[digitsAt - 1])) --digitsAt;
  const std::size_t digits = t.size() - digitsAt;
  if (digits == 0 || digits > kMaxNumberDigits) return {};
  if (digitsAt == 0) return platform::ToUtf8(t);
  if (t[digitsAt - 1] != U'-' || digitsAt < 2) return {};
  const std::u32string prefix = t.substr(0, digitsAt - 1);
  if (prefix.size() > kMaxPrefixLength) return {};
  const bool allDigits = std::all_of(prefix.begin(), prefix.end(), IsDigit);
  const bool noDigits = std::none_of(prefix.begin(), prefix.end(), IsDigit);
  // A prefix is a chapter number or a word ("資", "付", "A"), never punctuation.
  const bool wordy = std::all_of(prefix.begin(), prefix.end(), [](char32_t c) {
    return (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z') || c >= U'\u3040';
  });
  if (!allDigits && !(noDigits && wordy)) return {};
  return platform::ToUtf8(t);
}

DocumentReading::DocumentReading(const acrobat::PageTextSource& doc, std::vector<int> fileStarts) {
  const int pageCount = doc.GetNumPages();
  std::sort(fileStarts.begin(), fileStarts.end());
  pages_.resize(static_cast<std::size_t>(std::max(0, pageCount)));
  std::size_t nextStart = 0;
  int file = 0;
  for (int i = 0; i < pageCount; ++i) {
    while (nextStart < fileStarts.size() && fileStarts[nextStart] <= i) {
      ++nextStart;
      ++file;
    }
    ReadPage& page = pages_[static_cast<std::size_t>(i)];
    page.lines = doc.ReadPageLines(i);
    for (auto& line : page.lines.lines) line.text = UnifyIdeographs(line.text);
    page.furniture.assign(page.lines.lines.size(), false);
    page.file = file;
  }
  MarkFurniture();
  ReadPrintedNumbers();
  bodyKeys_.resize(pages_.size());
}

void DocumentReading::MarkFurniture() {
  // Per band: on how many pages each line form and each long piece stands.
  struct BandCounts {
    std::map<std::u32string, int> lines;
    std::map<std::u32string, int> pieces;
    int pagesWithText = 0;
  };
  std::map<Band, BandCounts> counts;
  for (const ReadPage& page : pages_) {
    std::map<Band, std::set<std::u32string>> seenLines, seenPieces;
    for (const auto& line : page.lines.lines) {
      const Band band = BandOf(line, page.lines.height);
      if (band == Band::kNone) continue;
      const std::u32string narrowed = platform::Narrow(platform::ToU32(line.text));
      seenLines[band].insert(RepeatKey(narrowed));
      for (const auto& piece : Pieces(narrowed)) {
        if (piece.size() >= kMinPieceLength) seenPieces[band].insert(RepeatKey(piece));
      }
    }
    for (const auto& [band, keys] : seenLines) {
      ++counts[band].pagesWithText;
      for (const auto& key : keys) ++counts[band].lines[key];
    }
    for (const auto& [band, keys] : seenPieces) {
      for (const auto& key : keys) ++counts[band].pieces[key];
    }
  }
  for (ReadPage& page : pages_) {
    for (std::size_t k = 0; k < page.lines.lines.size(); ++k) {
      const auto& line = page.lines.lines[k];
      const Band band = BandOf(line, page.lines.height);
      if (band == Band::kNone) continue;
      // A page number is furniture wherever it stands in the band.
      if (!NormalPageNumber(line.text).empty()) {
        page.furniture[k] = true;
        continue;
      }
      const BandCounts& c = counts[band];
      auto repeats = [&c](int n) { return n >= kMinRepeats && n * kRepeatQuarter >= c.pagesWithText; };
      const std::u32string narrowed = platform::Narrow(platform::ToU32(line.text));
      bool furniture = repeats(c.lines.at(RepeatKey(narrowed)));
      for (const auto& piece : Pieces(narrowed)) {
        if (furniture) break;
        if (piece.size() >= kMinPieceLength) furniture = repeats(c.pieces.at(RepeatKey(piece)));
      }
      page.furniture[k] = furniture;
    }
  }
}

void DocumentReading::ReadPrintedNumbers() {
  // Each page's candidate: a furniture line that is a page number, or its
  // first or last piece ("△△橋詳細設計業務　12"); the foot first, nearest the
  // edge, then the head.
  std::vector<std::string> candidates(pages_.size());
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    const ReadPage& page = pages_[i];
    std::vector<std::size_t> order;
    for (std::size_t k = page.lines.lines.size(); k-- > 0;) {
      if (page.furniture[k] && BandOf(page.lines.lines[k], page.lines.height) == Band::kBottom) order.push_back(k);
    }
    for (std::size_t k = 0; k < page.lines.lines.size(); ++k) {
      if (page.furniture[k] && BandOf(page.lines.lines[k], page.lines.height) == Band::kTop) order.push_back(k);
    }
    for (const std::size_t k : order) {
      const std::string& text = page.lines.lines[k].text;
      std::string number = NormalPageNumber(text);
      if (number.empty()) {
        const auto pieces = Pieces(platform::ToU32(text));
        if (pieces.size() > 1) number = NormalPageNumber(platform::ToUtf8(pieces.back()));
        if (number.empty() && pieces.size() > 1) number = NormalPageNumber(platform::ToUtf8(pieces.front()));
      }
      if (!number.empty()) {
        candidates[i] = number;
        break;
      }
    }
  }

  // A number is believed when the page before or after it in the same file
  // continues it: a lone number in a footer may be anything (a drawing
  // number, a table's last cell), a run of them is the pagination.
  std::vector<std::optional<PageNumber>> parsed(pages_.size());
  for (std::size_t i = 0; i < pages_.size(); ++i) parsed[i] = ParsePageNumber(candidates[i]);
  auto continues = [&](std::size_t before, std::size_t after) {
    if (pages_[before].file != pages_[after].file) return false;
    const auto& a = parsed[before];
    const auto& b = parsed[after];
    return a && b && a->roman == b->roman && a->prefix == b->prefix && b->value == a->value + 1;
  };
  std::vector<bool> believed(pages_.size(), false);
  int count = 0;
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    believed[i] = (i > 0 && continues(i - 1, i)) || (i + 1 < pages_.size() && continues(i, i + 1));
    count += believed[i] ? 1 : 0;
  }
  hasPrintedNumbers_ = count >= 2 && count * kRepeatQuarter >= static_cast<int>(pages_.size());
  if (!hasPrintedNumbers_) return;
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    // A numbering that starts on a page of its own (a one-page file, a
    // contents page numbered "i") is believed once the document has one.
    const auto& number = parsed[i];
    if (believed[i] || (number && number->value == 1)) {
      pages_[i].printedNumber = candidates[i];
      printedPages_[candidates[i]].push_back(static_cast<int>(i));
    }
  }
}

std::vector<acrobat::TextLine> DocumentReading::BodyTextLines(int pageIndex) const {
  const ReadPage& page = Page(pageIndex);
  std::vector<acrobat::TextLine> lines;
  for (std::size_t k = 0; k < page.lines.lines.size(); ++k) {
    if (!page.furniture[k]) lines.push_back(page.lines.lines[k]);
  }
  return lines;
}

std::vector<std::string> DocumentReading::BodyLines(int pageIndex) const {
  const ReadPage& page = Page(pageIndex);
  std::vector<std::string> lines;
  for (std::size_t k = 0; k < page.lines.lines.size(); ++k) {
    if (!page.furniture[k]) lines.push_back(page.lines.lines[k].text);
  }
  return lines;
}

std::string DocumentReading::PageText(int pageIndex) const {
  std::string text;
  for (const auto& line : Page(pageIndex).lines.lines) {
    if (!text.empty()) text += '\r';
    text += line.text;
  }
  return text;
}

std::pair<int, int> DocumentReading::FilePages(int file) const {
  const auto first = std::lower_bound(pages_.begin(), pages_.end(), file,
                                      [](const ReadPage& page, int f) { return page.file < f; });
  const auto last = std::upper_bound(pages_.begin(), pages_.end(), file,
                                     [](int f, const ReadPage& page) { return f < page.file; });
  return {static_cast<int>(first - pages_.begin()), static_cast<int>(last - pages_.begin()) - 1};
}

int DocumentReading::FindPrintedNumber(const std::string& number, int fromPage) const {
  const auto found = printedPages_.find(NormalPageNumber(number));
  if (found == printedPages_.end()) return -1;
  const auto at = std::lower_bound(found->second.begin(), found->second.end(), fromPage);
  return at == found->second.end() ? -1 : *at;
}

bool DocumentReading::BodyHolds(int pageIndex, const std::string& title) const {
  std::u32string key = TitleKey(platform::ToU32(UnifyIdeographs(title)));
  if (key.empty() || pageIndex < 0 || pageIndex >= PageCount()) return false;
  if (key.size() > kTitleKeyLength) key.resize(kTitleKeyLength);
  auto& body = bodyKeys_[static_cast<std::size_t>(pageIndex)];
  if (!body) {
    body.emplace();
    for (const auto& line : BodyLines(pageIndex)) *body += TitleKey(platform::ToU32(line));
  }
  return body->find(key) != std::u32string::npos;
}

}  // namespace vellumark::bookmarks
