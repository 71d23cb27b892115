#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace vellumark::platform {
namespace {

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
