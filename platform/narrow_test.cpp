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

}  // namespace
}  // namespace vellumark::platform
