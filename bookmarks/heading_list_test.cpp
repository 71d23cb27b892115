#include "bookmarks/heading_list.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace vellumark::bookmarks {
namespace {

TEST(HeadingEntryTest, LevelIsTheNumberOfLeadingEmptyFields) {
  struct Case {
    int level;
    std::string title;
    long long page;
    std::string entry;
  };
  const std::vector<Case> cases = {
      {0, "第1章 総則", 3, "第1章 総則\t3"},
      {1, "1.1 目的", 3, "\t1.1 目的\t3"},
      {2, "1.1.1 範囲", 4, "\t\t1.1.1 範囲\t4"},
      {0, "", 123456, "\t123456"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry);
    EXPECT_EQ(MakeEntry(c.level, c.title, c.page), c.entry);
    const auto fields = SplitFields(c.entry);
    ASSERT_EQ(static_cast<int>(fields.size()), c.level + 2);
    EXPECT_EQ(fields[fields.size() - 2], c.title);
    EXPECT_EQ(PageValue(fields.back()), c.page);
  }
}

TEST(PageValueTest, ReadsTheLeadingNumber) {
  const std::vector<std::pair<std::string, long long>> cases = {
      {"3", 3},    {"0012", 12}, {"12abc", 12}, {"  7", 7},  {"-4", -4}, {"+5", 5}, {"", 0},
      {"abc", 0},  {"--3", 0},   {"- 3", 0},    {"３", 0},  {"1.5", 1},
      {"99999999999999999999", kPageValueLimit}, {"-99999999999999999999", -kPageValueLimit},
  };
  for (const auto& [field, value] : cases) {
    EXPECT_EQ(PageValue(field), value) << "field \"" << field << "\"";
  }
}

}  // namespace
}  // namespace vellumark::bookmarks
