#include "platform/narrow.h"

#include <gtest/gtest.h>

#include <string>

namespace vellumark::platform {
namespace {

struct NarrowCase {
  const char* input;
  const char* expected;
};

class NarrowTable : public ::testing::TestWithParam<NarrowCase> {};

TEST_P(NarrowTable, GivesHalfWidthForm) {
  EXPECT_EQ(Narrow(std::string(GetParam().input)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NarrowTable,
    ::testing::Values(
        // Full-width ASCII from both ends of its block, and the ideographic space.
        NarrowCase{"１．２　構成", "1.2 構成"}, NarrowCase{"！～ＡＺａｚ", "!~AZaz"},
        // Plain katakana, small forms, the long vowel mark and the middle dot.
        NarrowCase{"アイウ", "ｱｲｳ"}, NarrowCase{"ァッャュョ", "ｧｯｬｭｮ"}, NarrowCase{"ー・ヲン", "ｰ･ｦﾝ"},
        // Voiced and semi-voiced katakana split into base and mark.
        NarrowCase{"ガパヴ", "ｶﾞﾊﾟｳﾞ"}, NarrowCase{"データベース", "ﾃﾞｰﾀﾍﾞｰｽ"}, NarrowCase{"ヷヺ", "ﾜﾞｦﾞ"},
        // Katakana without a half-width form stay.
        NarrowCase{"ヮヰヱヵヶヸヹ", "ヮヰヱヵヶヸヹ"},
        // Japanese punctuation with half-width forms.
        NarrowCase{"「注」、。", "｢注｣､｡"},
        // Everything else is left alone: kanji, hiragana, half-width input,
        // and the full-width yen sign, which has no ASCII counterpart.
        NarrowCase{"第1章 総則", "第1章 総則"}, NarrowCase{"ひらがな", "ひらがな"}, NarrowCase{"ｶﾞ･", "ｶﾞ･"},
        NarrowCase{"￥§", "￥§"}, NarrowCase{"", ""}));

TEST(NarrowTest, VoicedKatakanaLengthensTheLine) {
  // Position rules compare the line with its narrowed form; the two can differ
  // in length, which the recognisers must survive.
  EXPECT_EQ(ToU32("ガイド").size(), 3u);
  EXPECT_EQ(Narrow(ToU32("ガイド")).size(), 5u);
}

TEST(Utf8Test, RoundTripsEveryPlane) {
  const std::u32string text = U"a\u00A7\u7B2C\u3000\U0001F600";
  EXPECT_EQ(ToU32(ToUtf8(text)), text);
  EXPECT_EQ(ToUtf8(ToU32("第1章　総則")), "第1章　総則");
}

struct BrokenCase {
  std::string input;
  std::u32string expected;
};

class BrokenUtf8 : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenUtf8, BecomesReplacementCharactersWithoutLosingTheRest) {
  EXPECT_EQ(ToU32(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BrokenUtf8,
    ::testing::Values(BrokenCase{"a\xFF" "b", U"a\uFFFDb"},                    // never a lead byte
                      BrokenCase{"\xE7\xAC", U"\uFFFD\uFFFD"},                 // cut off at the end
                      BrokenCase{"\xC0\xAF", U"\uFFFD\uFFFD"},                 // overlong "/"
                      BrokenCase{"\xED\xA0\x80", U"\uFFFD\uFFFD\uFFFD"},       // surrogate
                      BrokenCase{"\xF4\x90\x80\x80", U"\uFFFD\uFFFD\uFFFD\uFFFD"}));  // past U+10FFFF

TEST(Utf8Test, EncodingNeverWritesInvalidSequences) {
  EXPECT_EQ(ToUtf8(std::u32string{static_cast<char32_t>(0xD800), static_cast<char32_t>(0x110000)}),
            "\xEF\xBF\xBD\xEF\xBF\xBD");
}

}  // namespace
}  // namespace vellumark::platform
