#include "bookmarks/heading_numbers.h"

#include <algorithm>
#include <utility>

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

bool IsFullStop(char32_t c) { return c == U'.' || c == U'\uFF0E'; }

// A Roman numeral from `at` on: one of the numeral characters Ⅰ–Ⅻ, or up to
// six of I, V, X (either width) spelling a number the usual way. Its value
// (0 for none) and the index past it.
std::pair<int, std::size_t> RomanRun(std::u32string_view text, std::size_t at) {
  if (at < text.size() && text[at] >= U'\u2160' && text[at] <= U'\u216B') {
    return {static_cast<int>(text[at] - U'\u2160') + 1, at + 1};
  }
  std::string letters;
  std::size_t end = at;
  while (end < text.size() && letters.size() < 6) {
    char32_t c = text[end];
    if (c >= U'\uFF21' && c <= U'\uFF3A') c = c - U'\uFF21' + U'A';
    if (c != U'I' && c != U'V' && c != U'X') break;
    letters += static_cast<char>(c);
    ++end;
  }
  static constexpr const char* kWritten[] = {"",    "I",    "II",    "III", "IV", "V",   "VI",  "VII", "VIII",
                                             "IX",  "X",    "XI",    "XII", "XIII", "XIV", "XV",  "XVI", "XVII",
                                             "XVIII", "XIX", "XX"};
  for (int value = 1; value <= 20; ++value) {
    if (letters == kWritten[value]) return {value, end};
  }
  return {0, at};
}

// Words that continue a sentence straight after a heading number: "第3章で
//述べた", "第2節の結果を", "参考資料として", "第1章、第2章". A heading sets its
// title apart or starts it with a noun.
bool StartsASentence(std::u32string_view text, std::size_t at) {
  if (at >= text.size()) return false;
  const std::u32string_view rest = text.substr(at);
  // Titles that begin with a particle's character.
  for (const std::u32string_view title : {U"はじめに", U"まえがき", U"まとめ", U"もくじ"}) {
    if (rest.substr(0, title.size()) == title) return false;
  }
  static constexpr std::u32string_view kParticles = U"でのにをはがもとへや、。，";
  if (kParticles.find(rest.front()) != std::u32string_view::npos) return true;
  for (const std::u32string_view word : {U"から", U"まで", U"より"}) {
    if (rest.substr(0, word.size()) == word) return true;
  }
  return false;
}

bool IsAsciiLike(char32_t c) { return (c > U' ' && c < 0x7F) || (c >= U'\uFF01' && c <= U'\uFF5E'); }

char32_t LatinLetter(char32_t c) {
  if (c >= U'\uFF21' && c <= U'\uFF3A') return c - U'\uFF21' + U'A';
  if (c >= U'A' && c <= U'Z') return c;
  return 0;
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

bool IsNumberDash(char32_t c) {
  return c == U'-' || c == U'\uFF0D' || (c >= U'\u2010' && c <= U'\u2015') || c == U'\u2212';
}

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
  // "第1.2節": a dotted number names a section of chapter 1.
  while (numberEnd > numberAt && numberEnd + 1 < text.size() && IsFullStop(text[numberEnd]) &&
         ArabicDigit(text[numberEnd + 1]) >= 0) {
    std::string more;
    numberEnd = ArabicRun(text, numberEnd + 1, more);
    group.number += "." + more;
  }
  if (numberEnd == numberAt) {
    if (const auto [value, end] = RomanRun(text, numberAt); value > 0) {
      group.number = Decimal(value);
      numberEnd = end;
    }
  }
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

namespace {

std::optional<LeadingNumber> OrdinalNumber(std::u32string_view line, std::size_t start) {
  LeadingNumber number;
  number.kind = LeadingNumber::Kind::kOrdinal;
  bool marker = false;
  std::size_t at = start;
  std::size_t end = start;
  // Every group moves `at` past its unit character, so the loop ends within
  // the length of the line.
  while (const auto group = OrdinalGroupAt(line, at)) {
    const int level = MarkerLevel(group->unit);
    if (level == 0 && !number.chapter) number.chapterNumber = group->number;
    number.chapter = number.chapter || level == 0;
    number.section = number.section || level == 1;
    number.item = number.item || level == 2;
    marker = marker || level >= 0;
    end = group->unitAt + 1;
    at = SkipSpaces(line, end);
  }
  if (!marker || StartsASentence(line, end)) return std::nullopt;
  number.endAt = end;
  return number;
}

// 序章, 終章, 付録 (perhaps with its letter or number), 参考資料, 資料編,
// 資料-1: chapters without 第. The name must stand alone or be followed by
// a space: "参考資料として" is a sentence, "付録資料による" too.
std::optional<LeadingNumber> NamedChapter(std::u32string_view line, std::size_t start) {
  const std::u32string_view rest = line.substr(start);
  LeadingNumber number;
  number.kind = LeadingNumber::Kind::kNamed;
  number.chapter = true;
  std::size_t end = 0;
  for (const std::u32string_view name : {U"序章", U"終章", U"参考資料", U"資料編"}) {
    if (rest.substr(0, name.size()) == name) end = name.size();
  }
  auto numberAfter = [&](std::size_t at, bool letters) {
    std::size_t k = at;
    if (k < rest.size() && IsNumberDash(rest[k])) ++k;
    std::string digits;
    const std::size_t digitsEnd = ArabicRun(rest, k, digits);
    if (digitsEnd > k) {
      number.chapterNumber = digits;
      return digitsEnd;
    }
    if (letters && k < rest.size() && LatinLetter(rest[k]) != 0) {
      number.chapterNumber = std::string(1, static_cast<char>(LatinLetter(rest[k])));
      return k + 1;
    }
    return at;
  };
  if (end == 0 && rest.substr(0, 2) == U"付録") end = numberAfter(2, true);
  if (end == 0 && rest.substr(0, 2) == U"資料") {
    end = numberAfter(2, false);
    if (end == 2) end = 0;  // 資料 alone is a word, 資料-1 a name
  }
  if (end == 0) return std::nullopt;
  if (end < rest.size() && !IsGroupSpace(rest[end])) return std::nullopt;
  number.endAt = start + end;
  return number;
}

// 1.2, 1-2, 1.2.3, A.1: groups of digits after a first group of digits or
// one Latin letter, joined by full stops or dashes.
std::optional<LeadingNumber> DottedNumber(std::u32string_view line, std::size_t start) {
  LeadingNumber number;
  number.kind = LeadingNumber::Kind::kDotted;
  std::size_t at = start;
  std::string first;
  at = ArabicRun(line, start, first);
  if (at == start) {
    if (at + 1 >= line.size() || LatinLetter(line[at]) == 0) return std::nullopt;
    first = std::string(1, static_cast<char>(LatinLetter(line[at])));
    at = start + 1;
  } else {
    // The group as written: "01" is not chapter 1's number.
    first.clear();
    for (std::size_t k = start; k < at; ++k) first += static_cast<char>('0' + ArabicDigit(line[k]));
  }
  number.firstGroup = first;
  number.groups = 1;
  // Each round moves `at` past one separator and its digits.
  while (at + 1 < line.size() && (IsFullStop(line[at]) || IsNumberDash(line[at])) && ArabicDigit(line[at + 1]) >= 0) {
    // The second group starts with 1 to 9: "1.0" is a version, not a section.
    if (number.groups == 1 && ArabicDigit(line[at + 1]) == 0) return std::nullopt;
    std::string digits;
    at = ArabicRun(line, at + 1, digits);
    ++number.groups;
  }
  if (number.groups < 2) return std::nullopt;
  // A unit or anything ASCII straight after the number: "3.50m", "1.2kN",
  // "1.1a", a date "2024-1-5/…".
  if (at < line.size() && IsAsciiLike(line[at])) return std::nullopt;
  if (StartsASentence(line, at) || IsMeasurementsOnly(line.substr(start))) return std::nullopt;
  // A formula or a list of numbers: "2.5 + 7.0 = 9.5 m", "1.2 3.4".
  const std::size_t titleAt = SkipSpaces(line, at);
  if (titleAt < line.size() && IsAsciiLike(line[titleAt]) && LatinLetter(line[titleAt]) == 0 &&
      !(line[titleAt] >= U'a' && line[titleAt] <= U'z')) {
    return std::nullopt;
  }
  number.endAt = at;
  return number;
}

}  // namespace

std::optional<LeadingNumber> ReadLeadingNumber(std::u32string_view line) {
  const std::size_t start = SkipSpaces(line, 0);
  if (start >= line.size()) return std::nullopt;
  if (line[start] == kOrdinal) return OrdinalNumber(line, start);
  if (auto named = NamedChapter(line, start)) return named;
  return DottedNumber(line, start);
}

bool IsCaption(std::u32string_view line) {
  std::size_t at = SkipSpaces(line, 0);
  if (at >= line.size() || (line[at] != U'図' && line[at] != U'表')) return false;
  at = SkipSpaces(line, at + 1);
  if (at < line.size() && IsNumberDash(line[at])) at = SkipSpaces(line, at + 1);
  return at < line.size() && ArabicDigit(line[at]) >= 0;
}

bool IsMeasurementsOnly(std::u32string_view text) {
  // A unit is a few ASCII letters or signs: m, mm, kN/m, %.
  constexpr std::size_t kMaxUnitLength = 4;
  bool anyNumber = false;
  std::size_t at = 0;
  // Each round moves `at` past one token.
  while ((at = SkipSpaces(text, at)) < text.size()) {
    std::size_t end = at;
    bool digit = false;
    while (end < text.size() && !IsGroupSpace(text[end])) {
      if (!IsAsciiLike(text[end])) return false;
      digit = digit || ArabicDigit(text[end]) >= 0;
      ++end;
    }
    if (!digit && end - at > kMaxUnitLength) return false;
    anyNumber = anyNumber || digit;
    at = end;
  }
  return anyNumber;
}

}  // namespace vellumark::bookmarks
