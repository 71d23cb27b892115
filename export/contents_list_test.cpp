#include "export/contents_list.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/heading_entries.h"

namespace vellumark::exporting {
namespace {

bookmarks::HeadingList List(const std::vector<std::string>& entries) {
  return testsupport::HeadingsFromEntries(entries);
}

TEST(ContentsListTest, ScannedReportBecomesSpreadsheetRows) {
  const auto list =
      List({"第1章 総則\t3", "\t1.1 目的\t3", "\t\t(1) 適用範囲\t4", "第2章 設計\t7"});
  EXPECT_EQ(BuildContentsListText(list),
            "\r\n 総則\t\t1"
            "\r\n\t目的\t\t1"
            "\r\n\t\t(1) 適用範囲\t\t2"
            "\r\n 設計\t\t5");
}

struct TitleCase {
  const char* name;
  std::vector<std::string> entries;
  std::string expected;
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const TitleCase& c, std::ostream* os) { *os << c.name; }

class ContentsListTable : public ::testing::TestWithParam<TitleCase> {};

TEST_P(ContentsListTable, BuildsTheText) {
  EXPECT_EQ(BuildContentsListText(List(GetParam().entries)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ContentsListTable,
    ::testing::Values(
        TitleCase{"OneEntry", {"第1章 総則\t1"}, "\r\n 総則\t\t1"},
        TitleCase{"ChapterWithoutMarkerStaysWhole", {"付録 資料\t1"}, "\r\n付録 資料\t\t1"},
        TitleCase{"OnlyTheFirstChapterMarkerCounts", {"第1章　第2章との関係\t1"}, "\r\n　第2章との関係\t\t1"},
        TitleCase{"HeadingNumberTakenOffSections",
                  {"第1章 総則\t1", "\t\t1.2.3 設計条件\t1", "\t\t1.2.3　設計条件\t1", "\t1.2.3\t1", "\t１．２ 構成\t1"},
                  "\r\n 総則\t\t1\r\n\t\t設計条件\t\t1\r\n\t\t　設計条件\t\t1\r\n\t\t\t1\r\n\t１．２ 構成\t\t1"},
        TitleCase{"FirstEntryOnPageOneKeepsThePages", {"第1章 総則\t1", "\t1.1 目的\t4", "第2章 設計\t12"},
                  "\r\n 総則\t\t1\r\n\t目的\t\t4\r\n 設計\t\t12"},
        TitleCase{"EarlierPagesGiveZeroOrLess", {"第2章 設計\t5", "\t1.1 目的\t4", "第1章 総則\t2"},
                  "\r\n 設計\t\t1\r\n\t目的\t\t0\r\n 総則\t\t-2"},
        TitleCase{"ContentsPagePrintedNumbers", {"第1章　総則\t1", "\t1.1　目的\t1", "\t\t1.1.1　範囲\t2"},
                  "\r\n　総則\t\t1\r\n\t　目的\t\t1\r\n\t\t　範囲\t\t2"}),
    [](const ::testing::TestParamInfo<TitleCase>& info) { return std::string(info.param.name); });

TEST(ContentsListTest, EmptyListGivesNoText) {
  EXPECT_FALSE(BuildContentsListText(bookmarks::HeadingList{}).has_value());
}

}  // namespace
}  // namespace vellumark::exporting
