#include "bookmarks/heading_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellumark::bookmarks {
namespace {

TEST(HeadingEntryTest, LevelIsTheNumberOfLeadingTabs) {
  struct Case {
    Heading heading;
    std::string entry;
  };
  const std::vector<Case> cases = {
      {{Heading::kChapter, "第1章 総則", 3}, "第1章 総則\t3"},
      {{Heading::kSection, "1.1 目的", 3}, "\t1.1 目的\t3"},
      {{Heading::kItem, "1.1.1 範囲", 4}, "\t\t1.1.1 範囲\t4"},
      {{Heading::kChapter, "", 123456}, "\t123456"},
      {{Heading::kChapter, "付録", -4}, "付録\t-4"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry);
    EXPECT_EQ(EntryText(c.heading), c.entry);
  }
}

TEST(MakeHeadingTest, HoldsLevelAndPageInTheirRange) {
  EXPECT_EQ(MakeHeading(1, "1.1 目的", 7), (Heading{Heading::kSection, "1.1 目的", 7}));
  EXPECT_EQ(MakeHeading(5, "深い", 1).level, Heading::kItem);
  EXPECT_EQ(MakeHeading(-1, "浅い", 1).level, Heading::kChapter);
  EXPECT_EQ(MakeHeading(0, "大", 99'999'999'999'999'999).page, kPageValueLimit);
  EXPECT_EQ(MakeHeading(0, "小", -99'999'999'999'999'999).page, -kPageValueLimit);
}

}  // namespace
}  // namespace vellumark::bookmarks
