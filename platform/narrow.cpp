#include "platform/narrow.h"

#include <array>

#include "platform/utf8.h"

namespace vellumark::platform {

namespace {

constexpr char32_t kHalfVoiced = U'\uFF9E';      // ﾞ
constexpr char32_t kHalfSemiVoiced = U'\uFF9F';  // ﾟ

// One full-width katakana as half-width: the base character and the voicing
// mark that follows it (0 for none). A base of 0 means the character has no
// half-width form (ヮ, ヰ, ヱ, ヵ, ヶ, ヸ, ヹ) and stays as it is.
struct HalfKana {
  char32_t base;
  char32_t mark;
};

// U+30A1 ァ … U+30FC ー, in code point order.
constexpr std::array<HalfKana, 0x30FC - 0x30A1 + 1> kKatakana = {{
    {U'\uFF67', 0}, {U'\uFF71', 0},                           // ァ ア
    {U'\uFF68', 0}, {U'\uFF72', 0},                           // ィ イ
    {U'\uFF69', 0}, {U'\uFF73', 0},                           // ゥ ウ
    {U'\uFF6A', 0}, {U'\uFF74', 0},                           // ェ エ
    {U'\uFF6B', 0}, {U'\uFF75', 0},                           // ォ オ
    {U'\uFF76', 0}, {U'\uFF76', kHalfVoiced},                 // カ ガ
    {U'\uFF77', 0}, {U'\uFF77', kHalfVoiced},                 // キ ギ
    {U'\uFF78', 0}, {U'\uFF78', kHalfVoiced},                 // ク グ
    {U'\uFF79', 0}, {U'\uFF79', kHalfVoiced},                 // ケ ゲ
    {U'\uFF7A', 0}, {U'\uFF7A', kHalfVoiced},                 // コ ゴ
    {U'\uFF7B', 0}, {U'\uFF7B', kHalfVoiced},                 // サ ザ
    {U'\uFF7C', 0}, {U'\uFF7C', kHalfVoiced},                 // シ ジ
    {U'\uFF7D', 0}, {U'\uFF7D', kHalfVoiced},                 // ス ズ
    {U'\uFF7E', 0}, {U'\uFF7E', kHalfVoiced},                 // セ ゼ
    {U'\uFF7F', 0}, {U'\uFF7F', kHalfVoiced},                 // ソ ゾ
    {U'\uFF80', 0}, {U'\uFF80', kHalfVoiced},                 // タ ダ
    {U'\uFF81', 0}, {U'\uFF81', kHalfVoiced},                 // チ ヂ
    {U'\uFF6F', 0}, {U'\uFF82', 0}, {U'\uFF82', kHalfVoiced}, // ッ ツ ヅ
    {U'\uFF83', 0}, {U'\uFF83', kHalfVoiced},                 // テ デ
    {U'\uFF84', 0}, {U'\uFF84', kHalfVoiced},                 // ト ド
    {U'\uFF85', 0}, {U'\uFF86', 0}, {U'\uFF87', 0},           // ナ ニ ヌ
    {U'\uFF88', 0}, {U'\uFF89', 0},                           // ネ ノ
    {U'\uFF8A', 0}, {U'\uFF8A', kHalfVoiced}, {U'\uFF8A', kHalfSemiVoiced},  // ハ バ パ
    {U'\uFF8B', 0}, {U'\uFF8B', kHalfVoiced}, {U'\uFF8B', kHalfSemiVoiced},  // ヒ ビ ピ
    {U'\uFF8C', 0}, {U'\uFF8C', kHalfVoiced}, {U'\uFF8C', kHalfSemiVoiced},  // フ ブ プ
    {U'\uFF8D', 0}, {U'\uFF8D', kHalfVoiced}, {U'\uFF8D', kHalfSemiVoiced},  // ヘ ベ ペ
    {U'\uFF8E', 0}, {U'\uFF8E', kHalfVoiced}, {U'\uFF8E', kHalfSemiVoiced},  // ホ ボ ポ
    {U'\uFF8F', 0}, {U'\uFF90', 0}, {U'\uFF91', 0},           // マ ミ ム
    {U'\uFF92', 0}, {U'\uFF93', 0},                           // メ モ
    {U'\uFF6C', 0}, {U'\uFF94', 0},                           // ャ ヤ
    {U'\uFF6D', 0}, {U'\uFF95', 0},                           // ュ ユ
    {U'\uFF6E', 0}, {U'\uFF96', 0},                           // ョ ヨ
    {U'\uFF97', 0}, {U'\uFF98', 0}, {U'\uFF99', 0},           // ラ リ ル
    {U'\uFF9A', 0}, {U'\uFF9B', 0},                           // レ ロ
    {0, 0},         {U'\uFF9C', 0},                           // ヮ ワ
    {0, 0},         {0, 0},                                   // ヰ ヱ
    {U'\uFF66', 0}, {U'\uFF9D', 0},                           // ヲ ン
    {U'\uFF73', kHalfVoiced},                                 // ヴ
    {0, 0},         {0, 0},                                   // ヵ ヶ
    {U'\uFF9C', kHalfVoiced}, {0, 0}, {0, 0},                 // ヷ ヸ ヹ
    {U'\uFF66', kHalfVoiced},                                 // ヺ
    {U'\uFF65', 0}, {U'\uFF70', 0},                           // ・ ー
}};
// A short initialiser would silently fill the tail with zeros; pin the ends
// and one entry in the middle to their characters.
static_assert(kKatakana[U'\u30AC' - 0x30A1].base == U'\uFF76' && kKatakana[U'\u30AC' - 0x30A1].mark == kHalfVoiced);
static_assert(kKatakana[U'\u30F4' - 0x30A1].base == U'\uFF73' && kKatakana[U'\u30F4' - 0x30A1].mark == kHalfVoiced);
static_assert(kKatakana[U'\u30FC' - 0x30A1].base == U'\uFF70');

}  // namespace

std::u32string Narrow(const std::u32string& text) {
  std::u32string out;
  out.reserve(text.size());
  for (const char32_t c : text) {
    if (c >= U'\uFF01' && c <= U'\uFF5E') {
      out += static_cast<char32_t>(c - 0xFEE0);  // full-width ASCII
    } else if (c == U'\u3000') {
      out += U' ';
    } else if (c == U'\u3001') {
      out += U'\uFF64';  // 、
    } else if (c == U'\u3002') {
      out += U'\uFF61';  // 。
    } else if (c == U'\u300C') {
      out += U'\uFF62';  // 「
    } else if (c == U'\u300D') {
      out += U'\uFF63';  // 」
    } else if (c >= U'\u30A1' && c <= U'\u30FC' && kKatakana[c - 0x30A1].base != 0) {
      const HalfKana& half = kKatakana[c - 0x30A1];
      out += half.base;
      if (half.mark != 0) out += half.mark;
    } else {
      out += c;
    }
  }
  return out;
}

std::string Narrow(const std::string& utf8) { return ToUtf8(Narrow(ToU32(utf8))); }

}  // namespace vellumark::platform
