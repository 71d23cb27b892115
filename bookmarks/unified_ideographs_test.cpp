#include "bookmarks/unified_ideographs.h"

#include <gtest/gtest.h>

#include <string>

namespace vellumark::bookmarks {
namespace {

struct IdeographCase {
  char32_t lookAlike;
  char32_t unified;
};

class UnifiedIdeographTable : public ::testing::TestWithParam<IdeographCase> {};

TEST_P(UnifiedIdeographTable, MapsToTheUnifiedIdeograph) {
  EXPECT_EQ(static_cast<unsigned>(UnifiedIdeograph(GetParam().lookAlike)), static_cast<unsigned>(GetParam().unified));
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, UnifiedIdeographTable,
    ::testing::Values(
        // Kangxi Radicals, both ends of the block and the common ⽬.
        IdeographCase{U'\u2F00', U'一'}, IdeographCase{U'\u2F6C', U'目'}, IdeographCase{U'\u2FD5', U'\u9FA0'},
        // CJK Radicals Supplement, which the compatibility mappings miss:
        // ⻑ for 長, ⻘ for 青, and a range entry of the data file (⺌, ⺍ for 小).
        IdeographCase{U'\u2ED1', U'長'}, IdeographCase{U'\u2EC4', U'西'}, IdeographCase{U'\u2E8C', U'小'},
        IdeographCase{U'\u2E8D', U'小'},
        // CJK Compatibility Ideographs, in the BMP and beyond it.
        IdeographCase{U'\uF900', U'\u8C48'}, IdeographCase{U'\uFA19', U'神'}, IdeographCase{U'\U0002F800', U'\u4E3D'},
        IdeographCase{U'\U0002FA1D', U'\U0002A600'},
        // Characters that stay: an unassigned code point of the Supplement,
        // 﨑 (a unified ideograph inside the compatibility block), kanji,
        // kana, ASCII, and the neighbours of the blocks.
        IdeographCase{U'\u2E9A', U'\u2E9A'}, IdeographCase{U'\uFA11', U'\uFA11'}, IdeographCase{U'目', U'目'},
        IdeographCase{U'ア', U'ア'}, IdeographCase{U'A', U'A'}, IdeographCase{U'\u2FE0', U'\u2FE0'},
        IdeographCase{U'\u3000', U'\u3000'}));

TEST(UnifyIdeographsTest, ReplacesLookAlikesInUtf8Text) {
  EXPECT_EQ(UnifyIdeographs("\u2F6C次\r第1章　業務\u2F6C的\r1.1　\u2ED1期計画\r"),
            "目次\r第1章　業務目的\r1.1　長期計画\r");
}

TEST(UnifyIdeographsTest, LeavesOtherTextByteForByte) {
  // Malformed bytes from a damaged file stay as they were: the recognisers
  // decide what to make of them.
  const std::string text = "第1章 総則\r\xFF\xE3\x80\r";
  EXPECT_EQ(UnifyIdeographs(text), text);
  EXPECT_EQ(UnifyIdeographs(""), "");
}

}  // namespace
}  // namespace vellumark::bookmarks
