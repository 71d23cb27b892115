#include "bookmarks/bookmark_tree.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "bookmarks/test_outline.h"
#include "tests/support/fake_engine.h"
#include "tests/support/heading_entries.h"

namespace vellumark::bookmarks {
namespace {

using testing::Outline;
using testing::RecordingSink;
using testsupport::FakeDocument;
using testsupport::FakeEngine;
using testsupport::MakePages;

HeadingList List(const std::vector<std::string>& entries) { return testsupport::HeadingsFromEntries(entries); }

TEST(MakeBookmarkActionTest, JumpsToThePageAtFullSize) {
  EXPECT_EQ(MakeBookmarkAction(4), "this.pageNum=4;\r\nthis.zoom=100;\r\n");
  EXPECT_EQ(MakeBookmarkAction(0), "this.pageNum=0;\r\nthis.zoom=100;\r\n");
  EXPECT_EQ(MakeBookmarkAction(-3), "this.pageNum=-3;\r\nthis.zoom=100;\r\n");
  EXPECT_EQ(MakeBookmarkAction(123456), "this.pageNum=123456;\r\nthis.zoom=100;\r\n");
}

struct TreeCase {
  const char* name;
  std::vector<std::string> entries;
  int pageCount;
  int pageOffset;
  int frontPageCount;
  bool forced;
  std::string expected;  // Outline of the resulting tree
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const TreeCase& c, std::ostream* os) { *os << c.name; }

class TreeTable : public ::testing::TestWithParam<TreeCase> {};

TEST_P(TreeTable, BuildsTheTree) {
  const auto& c = GetParam();
  FakeEngine engine;
  FakeDocument doc(engine, MakePages("P", c.pageCount));
  doc.BookmarkRoot().CreateChild("古いしおり", MakeBookmarkAction(0), 1, 0);
  platform::NullStatusSink status;
  BuildBookmarks(doc, c.pageOffset, c.frontPageCount, List(c.entries), c.forced, status);
  EXPECT_EQ(Outline(doc), c.expected);
}

// Headings as the scan of every page writes them (1-based document pages).
const std::vector<std::string> kScanned = {"第1章 総則\t1", "\t1.1 目的\t5", "\t\t1.1.1 範囲\t5", "\t\t1.1.2 用語\t6",
                                           "\t1.2 構成\t7", "\t\t1.2.1 配置\t8", "第2章 設計\t9"};

// A split job: 2 front pages, chapters printed on pages 1, 11 and 21.
const std::vector<std::string> kPrinted = {"第1章　総則\t1", "\t1.1　目的\t5", "第2章　設計\t11", "\t2.1　条件\t14",
                                           "第3章　施工\t21"};

// A part that starts in the middle of chapter 2, section 2.3.
const std::vector<std::string> kMidChapter = {"第1章 総則\t1",   "\t1.1 目的\t2",     "第2章 設計\t5",
                                              "\t2.1 条件\t6",   "\t2.3 構造\t8",     "\t\t2.3.1 形式\t9",
                                              "\t\t2.3.2 寸法\t12", "\t2.4 材料\t13", "第3章 施工\t14"};

INSTANTIATE_TEST_SUITE_P(
    Cases, TreeTable,
    ::testing::Values(
        TreeCase{"WholeDocumentAfterTheScan", kScanned, 10, 0, 0, false,
                 "表紙@0 | 第1章 総則@0{1.1 目的@4{1.1.1 範囲@4 | 1.1.2 用語@5} | 1.2 構成@6{1.2.1 配置@7}} | "
                 "第2章 設計@8"},
        TreeCase{"ContentsPageShiftsPrintedPages", {"第1章　総則\t1", "\t1.1　目的\t2"}, 10, 0, 3, false,
                 "表紙@0 | 第1章　総則@3{1.1　目的@4}"},
        // Part 001: front pages and printed pages 1–10 (12 pages).
        TreeCase{"FirstPartOfASplitJob", kPrinted, 12, 0, 2, false, "表紙@0 | 第1章　総則@2{1.1　目的@6}"},
        // Part 002: printed pages 11–20, after 12 pages already written.
        TreeCase{"SecondPartOfASplitJob", kPrinted, 10, 12, 2, false, "第2章　設計@0{2.1　条件@3}"},
        TreeCase{"ThirdPartOfASplitJob", kPrinted, 10, 22, 2, false, "第3章　施工@0"},
        // 38 pages after the front pages; the last chapter is printed on 40.
        TreeCase{"HeadingsPastTheEndStopThePass", {"第1章 総則\t1", "第2章 付録\t40", "第3章 索引\t3"}, 40, 0, 2,
                 false, "表紙@0 | 第1章 総則@2"},
        TreeCase{"ForcedCreationMakesThemAnyway", {"第1章 総則\t1", "第2章 付録\t40", "第3章 索引\t3"}, 40, 0, 2,
                 true, "表紙@0 | 第1章 総則@2 | 第2章 付録@41 | 第3章 索引@4"},
        TreeCase{"SectionBeforeAnyChapterGoesUnderTheCover", {"\t1.1 目的\t1", "\t\t1.1.1 範囲\t2", "第2章 設計\t3"}, 5,
                 0, 0, false, "表紙@0{1.1 目的@0{1.1.1 範囲@1}} | 第2章 設計@2"},
        TreeCase{"ItemDirectlyAfterAChapterIsSkipped",
                 {"第1章 総則\t1", "\t\t1.0.1 前書き\t1", "\t1.1 目的\t2", "\t\t1.1.1 範囲\t2", "第2章 設計\t3",
                  "\t\t2.0.1 前書き\t3"},
                 5, 0, 0, false, "表紙@0 | 第1章 総則@0{1.1 目的@1{1.1.1 範囲@1}} | 第2章 設計@2"},
        TreeCase{"ItemsNestUnderTheirOwnSection",
                 {"第1章 総則\t1", "\t1.1 目的\t1", "\t\t1.1.1 範囲\t1", "\t1.2 構成\t2", "\t\t1.2.1 配置\t2",
                  "\t\t1.2.2 寸法\t3", "第2章 設計\t4", "\t2.1 条件\t4", "\t\t2.1.1 荷重\t5"},
                 6, 0, 0, false,
                 "表紙@0 | 第1章 総則@0{1.1 目的@0{1.1.1 範囲@0} | 1.2 構成@1{1.2.1 配置@1 | 1.2.2 寸法@2}} | "
                 "第2章 設計@3{2.1 条件@3{2.1.1 荷重@4}}"},
        // Pages 11–20 of a scanned document: the part opens inside item
        // 2.3.1, whose chapter, section and item are in force there.
        TreeCase{"PartStartingInsideAnItemGetsChapterSectionAndItemInForce", kMidChapter, 10, 10, 0, false,
                 "第2章 設計@0{2.3 構造@0{2.3.1 形式@0 | 2.3.2 寸法@1} | 2.4 材料@2} | 第3章 施工@3"},
        // Pages 8–13: the part opens on section 2.3.
        TreeCase{"PartStartingAtASectionGetsTheChapterInForce", kMidChapter, 6, 7, 0, false,
                 "第2章 設計@0{2.3 構造@0{2.3.1 形式@1 | 2.3.2 寸法@4} | 2.4 材料@5}"},
        TreeCase{"PartWithoutHeadingsEndingInASection",
                 {"第1章 総則\t1", "\t1.1 目的\t2", "\t\t1.1.1 範囲\t2", "\t1.2 構成\t3"}, 5, 10, 0, false,
                 "第1章 総則@0{1.2 構成@0}"},
        TreeCase{"PartWithoutHeadingsEndingInAnItemOfItsSection",
                 {"第1章 総則\t1", "\t1.1 目的\t2", "\t\t1.1.1 範囲\t2"}, 5, 10, 0, false,
                 "第1章 総則@0{1.1 目的@0{1.1.1 範囲@0}}"},
        // A part that begins inside a long chapter opens with that chapter.
        TreeCase{"PartInsideAChapterGetsTheChapter", {"第1章 総則\t1", "\t1.1 目的\t2", "第2章 設計\t3"},
                 5, 10, 0, false, "第2章 設計@0"},
        // The section in force must belong to the chapter in force: 1.1 lies
        // before chapter 2 and would be hung under the wrong chapter.
        TreeCase{"SectionOfAnEarlierChapterIsNotInForce",
                 {"第1章 総則\t1", "\t1.1 目的\t2", "第2章 設計\t5", "\t\t2.0.1 前書き\t7", "第3章 施工\t9"}, 5, 6, 0,
                 false, "第2章 設計@0 | 第3章 施工@2"},
        // A later part whose list has no chapter before its sections: the
        // orphans stand at the top level, in list order, items under them.
        TreeCase{"SectionsWithoutAChapterGoToTheTopLevel",
                 {"\t1.1 目的\t1", "\t1.2 構成\t3", "\t\t1.2.1 配置\t4", "\t1.3 寸法\t5", "第2章 設計\t6",
                  "\t2.1 条件\t6"},
                 5, 2, 0, false, "1.2 構成@0{1.2.1 配置@1} | 1.3 寸法@2 | 第2章 設計@3{2.1 条件@3}"},
        TreeCase{"SectionInForceWithoutAChapterGoesToTheTopLevel",
                 {"\t1.1 目的\t1", "\t\t1.1.1 範囲\t2", "\t\t1.1.2 用語\t5"}, 5, 3, 0, false,
                 "1.1 目的@0{1.1.1 範囲@0 | 1.1.2 用語@1}"}),
    [](const ::testing::TestParamInfo<TreeCase>& info) { return std::string(info.param.name); });

TEST(BuildBookmarksTest, APartLinksIntoTheOtherFilesOfItsJob) {
  // The middle part (pages 11-20) of a 30-page job cut into three files;
  // chapter 9 is printed past the job's last page.
  const HeadingList list = List({"第1章 総則\t1", "\t1.1 目的\t5", "第2章 設計\t12", "\t2.1 条件\t15",
                                 "第3章 施工\t25", "第9章 付録\t40"});
  const LocateOutside locate = [](long long pageIndex) -> std::optional<RemoteTarget> {
    const long long page = pageIndex + 10;  // in the whole job
    if (page >= 0 && page < 10) return RemoteTarget{"A_001.PDF", static_cast<int>(page)};
    if (page >= 20 && page < 30) return RemoteTarget{"A_003.PDF", static_cast<int>(page - 20)};
    return std::nullopt;
  };
  struct Case {
    bool fullOutline;
    bool forced;
    std::string expected;
    std::vector<std::string> outside;
  };
  const std::vector<Case> cases = {
      {true, true,
       "表紙@A_001.PDF#0 | 第1章 総則@A_001.PDF#0{1.1 目的@A_001.PDF#4} | 第2章 設計@1{2.1 条件@4} | "
       "第3章 施工@A_003.PDF#4 | 第9章 付録@29",
       {"第9章 付録"}},
      // The whole tree links into the other files whether forced or not;
      // only the heading past the job needs forcing.
      {true, false,
       "表紙@A_001.PDF#0 | 第1章 総則@A_001.PDF#0{1.1 目的@A_001.PDF#4} | 第2章 設計@1{2.1 条件@4} | "
       "第3章 施工@A_003.PDF#4",
       {}},
      // The part begins inside section 1.1: chapter 1 and 1.1 come first,
      // leading into the part that holds them.
      {false, true,
       "第1章 総則@A_001.PDF#0{1.1 目的@A_001.PDF#4} | 第2章 設計@1{2.1 条件@4} | 第3章 施工@A_003.PDF#4 | 第9章 付録@29",
       {"第9章 付録"}},
      {false, false, "第1章 総則@A_001.PDF#0{1.1 目的@A_001.PDF#4} | 第2章 設計@1{2.1 条件@4}", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.fullOutline ? "whole tree" : "own headings") + (c.forced ? ", forced" : ""));
    FakeEngine engine;
    FakeDocument doc(engine, MakePages("P", 10));
    platform::NullStatusSink status;
    BookmarkOptions options;
    options.forced = c.forced;
    options.fullOutline = c.fullOutline;
    options.locate = locate;
    const BuiltBookmarks built = BuildBookmarks(doc, 10, 0, list, options, status);
    EXPECT_EQ(Outline(doc), c.expected);
    EXPECT_EQ(built.outsideTitles, c.outside);
  }
}

TEST(BuildBookmarksTest, EmptyHeadingListStillGivesTheCover) {
  FakeEngine engine;
  FakeDocument doc(engine, MakePages("P", 3));
  doc.BookmarkRoot().CreateChild("古いしおり", MakeBookmarkAction(1), 1, 1);
  RecordingSink status;
  BuildBookmarks(doc, 0, 0, HeadingList{}, false, status);
  EXPECT_EQ(Outline(doc), "表紙@0");
  // A later part of such a job has no bookmark at all.
  BuildBookmarks(doc, 3, 0, HeadingList{}, false, status);
  EXPECT_EQ(Outline(doc), "");
}

TEST(BuildBookmarksTest, StatusNamesEachBookmarkOfItsOwnHeadings) {
  FakeEngine engine;
  FakeDocument doc(engine, MakePages("P", 10));
  RecordingSink status;
  // Part from page 11: chapter 2 and section 2.3 are in force and get no
  // status text; the skipped item gets none either.
  BuildBookmarks(doc, 10, 0, List(kMidChapter), false, status);
  EXPECT_EQ(status.texts, (std::vector<std::string>{"make bookmark : 2.3.2 寸法", "make bookmark : 2.4 材料",
                                                    "make bookmark : 第3章 施工"}));
}

}  // namespace
}  // namespace vellumark::bookmarks
