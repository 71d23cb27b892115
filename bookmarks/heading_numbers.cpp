#include "bookmarks/heading_numbers.h"

#include <algorithm>

#include "bookmarks/texts.h"
#include "platform/decimal.h"

namespace vellumark::bookmarks {

namespace {

constexpr char32_t kOrdinal = U'第';

// The value of a half- or full-width Arabic digit, -1 for anything else.
int ArabicDigit(char32_t c) {
  if (c >= U'0' && c <= U'9') return static_cast<int>(c - U'0');
  if (c >= U'０' && c <= U'９') return static_cast<int>(c - U'０');
  return -1;
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

bool IsKanjiNumeral(char32_t c) { return KanjiDigit(c) >= 0 || KanjiUnit(c) != 0; }

using platform::Decimal;

// Kanji numerals as Japanese reports number their chapters: the counting form
// (十二 = 12, 二十一 = 21, 百五 = 105) or digit by digit (一〇 = 10). Anything
// that is not one of the two forms has no value.
std::optional<long long> KanjiNumber(std::u32string_view text) {
  const bool counting = std::any_of(text.begin(), text.end(), [](char32_t c) { return KanjiUnit(c) != 0; });
  long long total = 0;
  if (!counting) {
    // Keep the value from overflowing on a pathological line.
    if (text.size() > 15) return std::nullopt;
    for (const char32_t c : text) total = total * 10 + KanjiDigit(c);
    return total;
  }
  int pending = -1;      // a digit waiting for its unit
  int lastUnit = 10000;  // units must fall: 二十一, not 十二十
  for (const char32_t c : text) {
    if (const int digit = KanjiDigit(c); digit >= 0) {
      if (pending >= 0) return std::nullopt;  // two digits in a row in the counting form
      pending = digit;
    } else {
      const int unit = KanjiUnit(c);
      if (unit >= lastUnit) return std::nullopt;
      total += (pending >= 0 ? pending : 1) * unit;
      pending = -1;
      lastUnit = unit;
    }
  }
  if (pending >= 0) total += pending;
  return total;
}

// Arabic digits from `at` on: their value in plain decimal (leading zeros
// dropped, so 第01章 and 第1章 give the same number) and the index past them.
std::size_t ArabicRun(std::u32string_view text, std::size_t at, std::string& number) {
  std::size_t end = at;
  while (end < text.size() && ArabicDigit(text[end]) >= 0) {
    const char digit = static_cast<char>('0' + ArabicDigit(text[end]));
    if (!(digit == '0' && number.empty())) number += digit;
    ++end;
  }
  if (end > at && number.empty()) number.push_back('0');  // 第0章, 第00章
  return end;
}

std::size_t SkipSpaces(std::u32string_view text, std::size_t at) {
  while (at < text.size() && IsGroupSpace(text[at])) ++at;
  return at;
}

// A character that can end a group as its counter: a kanji such as 章 or 編.
// Spaces, digits, ASCII and its full-width forms (the "." of 第1.2節) cannot.
bool CanBeUnit(char32_t c) {
  return c >= 0x80 && !IsGroupSpace(c) && ArabicDigit(c) < 0 && !IsKanjiNumeral(c) &&
         !(c >= U'\uFF01' && c <= U'\uFF5E');
}

}  // namespace

bool IsGroupSpace(char32_t c) { return c == U' ' || c == U'\u3000'; }

int MarkerLevel(char32_t c) {
  if (c == kChapter) return 0;
  if (c == kSection) return 1;
  if (c == kItem) return 2;
  return -1;
}

std::optional<NumberGroup> OrdinalGroupAt(std::u32string_view text, std::size_t at) {
  if (at >= text.size() || text[at] != kOrdinal) return std::nullopt;
  const std::size_t numberAt = SkipSpaces(text, at + 1);
  NumberGroup group{};
  std::size_t numberEnd = ArabicRun(text, numberAt, group.number);
  if (numberEnd == numberAt) {
    while (numberEnd < text.size() && IsKanjiNumeral(text[numberEnd])) ++numberEnd;
    if (numberEnd == numberAt) return std::nullopt;
    const auto value = KanjiNumber(text.substr(numberAt, numberEnd - numberAt));
    if (!value) return std::nullopt;
    group.number = Decimal(*value);
  }
  group.unitAt = SkipSpaces(text, numberEnd);
  if (group.unitAt >= text.size() || !CanBeUnit(text[group.unitAt])) return std::nullopt;
  group.unit = text[group.unitAt];
  return group;
}

std::vector<NumberGroup> MarkerGroups(std::u32string_view title) {
  std::vector<NumberGroup> groups;
  // Without 第 only a number that opens the title, directly followed by the
  // marker: "1章 総則" but not the "1項" of "4.1項目別集計".
  std::string number;
  const std::size_t end = ArabicRun(title, 0, number);
  if (end > 0 && end < title.size() && MarkerLevel(title[end]) >= 0) groups.push_back({end, title[end], number});
  for (std::size_t at = title.find(kOrdinal); at != std::u32string_view::npos; at = title.find(kOrdinal, at + 1)) {
    const auto group = OrdinalGroupAt(title, at);
    if (group && MarkerLevel(group->unit) >= 0) groups.push_back(*group);
  }
  return groups;
}

}  // namespace vellumark::bookmarks
