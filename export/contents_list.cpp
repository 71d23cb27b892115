#include "export/contents_list.h"

#include <string_view>

#include "platform/decimal.h"
#include "platform/utf8.h"

namespace vellumark::exporting {

namespace {

// Only half-width characters count: a heading number written in full-width
// digits or followed by an ideographic space keeps those in the title.
constexpr std::u32string_view kNumberChars = U".0123456789 ";
constexpr std::string_view kChapterMarker = "章";
constexpr std::string_view kLineBreak = "\r\n";

bool IsNumberCharAt(const std::u32string& text, std::size_t index) {
  return index < text.size() && kNumberChars.find(text[index]) != std::u32string_view::npos;
}

using platform::Decimal;

// The title without its leading heading number: "1.2.3 設計条件" → "設計条件".
std::string WithoutLeadingNumber(const std::string& title) {
  const std::u32string text = platform::ToU32(title);
  std::size_t first = 0;
  while (IsNumberCharAt(text, first)) ++first;  // bounded by the text's length
  return platform::ToUtf8(text.substr(first));
}

// A chapter title keeps what follows its first 章 ("第1章 総則" → " 総則");
// one without 章 stays whole.
std::string WithoutChapterNumber(const std::string& title) {
  const auto at = title.find(kChapterMarker);
  return at == std::string::npos ? title : title.substr(at + kChapterMarker.size());
}

}  // namespace

std::optional<std::string> BuildContentsListText(const bookmarks::HeadingList& list) {
  if (list.empty()) return std::nullopt;

  // Pages are counted so that the first heading stands on page 1.
  const long long base = list.front().page - 1;

  std::string out;
  for (const auto& heading : list) {
    // Every line, the first included, is preceded by a line break; one TAB
    // per level below chapter indents the title.
    out += kLineBreak;
    out.append(static_cast<std::size_t>(heading.level), '\t');
    out += heading.level == bookmarks::Heading::kChapter ? WithoutChapterNumber(heading.title)
                                                          : WithoutLeadingNumber(heading.title);
    // Two TABs leave one empty column between title and page in a
    // spreadsheet.
    out += "\t\t" + Decimal(heading.page - base);
  }
  return out;
}

}  // namespace vellumark::exporting
