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

}  // namespace vellumark::bookmarks
