#pragma once
// Heading-number groups: where 章, 節 and 項 are heading markers and where
// they are just part of a word. The three characters are common in ordinary
// words (一般事項, 検討項目, 調節池, 文章, 季節), so a marker counts only where
// it ends a heading number:
// - 第, a number and the marker: 第1章, 第 2 節, 第三項, 第１２章. The number
//   is Arabic digits (half- or full-width) or kanji numerals; spaces
//   (U+0020, U+3000) may stand between the three pieces;
// - without 第, an Arabic number at the very start of a title directly
//   followed by the marker: 1章, ２節.
// The number after 第 may also be a Roman numeral (第Ⅱ章, 第II章) or a
// dotted number (第1.2節).
// The last digits of a dotted number never form a group ("4.1項目別集計" is
// section 4.1), and a kanji numeral without 第 ("十項目") is a word.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellumark::bookmarks {

struct NumberGroup {
  std::size_t unitAt;  // index of the unit character (the marker)
  char32_t unit;       // 章, 節, 項, or another counter such as 編
  std::string number;  // the number in plain decimal: 第01章 and 第一章 give "1"
};

// The group that begins with the 第 at `at`: 第, number, unit, spaces allowed
// between them. The unit is any character that could count something (a
// kanji such as 章 or 編), not a space, digit or ASCII character.
std::optional<NumberGroup> OrdinalGroupAt(std::u32string_view text, std::size_t at);

// 0 for 章, 1 for 節, 2 for 項; -1 for any other character.
int MarkerLevel(char32_t c);

// The groups of a contents title whose unit is a marker, in text order:
// every 第 group wherever it stands, and an Arabic number at the start of
// the title directly followed by a marker.
std::vector<NumberGroup> MarkerGroups(std::u32string_view title);

// Spaces that may separate the pieces of a group: U+0020 and U+3000.
bool IsGroupSpace(char32_t c);

// The dashes of numbers such as "1-2", "2-15" or "- 3 -", in the forms
// producers write them: hyphen-minus, full-width, hyphen, non-breaking
// hyphen, figure and en dashes, em dash, bar, minus sign.
bool IsNumberDash(char32_t c);

// The heading number that opens a line, as a reader tells a heading from a
// sentence that happens to begin with one:
// - 第-groups: 第3章, 第Ⅱ章, 第1.2節, 第3章 第1節, 第3編第1章;
// - names of their own: 序章, 終章, 付録, 付録A, 参考資料, 資料編, 資料-1;
// - dotted or hyphenated numbers: 1.2, 1-2, 1.2.3, 2-3-1, A.1, A-1.
// Not a heading number: a group directly followed by a particle or a comma
// ("第3章で述べたとおり", "第2節の結果を"), a number directly followed by a
// unit or anything ASCII ("3.50m", "1.2kN"), a figure or table caption
// ("図-1.1", "表 2.3").
struct LeadingNumber {
  enum class Kind { kOrdinal, kNamed, kDotted };
  Kind kind = Kind::kOrdinal;
  // For 第-groups: whether a 章, 節 or 項 group stands among them.
  bool chapter = false;
  bool section = false;
  bool item = false;
  // For dotted numbers: how many groups (1.2 has two) and the first one,
  // narrowed and without leading zeros ("1", "A").
  int groups = 0;
  std::string firstGroup;
  // What a dotted number under this chapter begins with: "3" after 第3章,
  // "A" after 付録A; empty when the chapter has no such number.
  std::string chapterNumber;
  // Index just past the number (and, for a named heading, its name).
  std::size_t endAt = 0;
};
std::optional<LeadingNumber> ReadLeadingNumber(std::u32string_view line);

// Whether the line is a figure or table caption or list entry: 図 or 表,
// perhaps a dash or space, then a digit ("図-1.1 位置図", "表 2.3 一覧").
bool IsCaption(std::u32string_view line);

// Whether the text is nothing but numbers with units ("3.50m 3.25m",
// "1.2 kN/m2"): the dimension line of a drawing, never a heading.
bool IsMeasurementsOnly(std::u32string_view text);

}  // namespace vellumark::bookmarks
