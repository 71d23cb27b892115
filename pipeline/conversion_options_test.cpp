// The part size limit as the user types it: megabytes in, bytes out, and
// the texts a split batch refuses.
#include "pipeline/conversion_options.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/error.h"

namespace vellumark::pipeline {
namespace {

TEST(SizeLimitTest, MegabytesBecomeBytesWithHeadroom) {
  const std::vector<std::pair<std::string, std::int32_t>> cases = {
      {"1", 838861}, {"2", 1887437}, {"5", 5033165}, {"10", 10276045}, {"2048", 2147273933}, {"007", 7130317}};
  for (const auto& [text, limit] : cases) {
    EXPECT_EQ(SizeLimitFromText(text), limit) << text;
    EXPECT_FALSE(CheckSizeText(text).has_value()) << text;
  }
  for (const std::string text : {"", "0", "2049", "-1", "1.5", " 1", "1MB", "99999999999", "１"}) {
    EXPECT_THROW(SizeLimitFromText(text), platform::UserError) << text;
    ASSERT_TRUE(CheckSizeText(text).has_value()) << text;
    EXPECT_NE(CheckSizeText(text)->find("2048"), std::string::npos);
  }
}

}  // namespace
}  // namespace vellumark::pipeline
