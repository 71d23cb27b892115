// A whole report as it comes out of a word processor: a cover, a contents
// page with leaders and an END line, and body pages with running page
// numbers. Both recognisers must give the same tree for it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bookmarks/bookmark_tree.h"
#include "bookmarks/contents_page.h"
#include "bookmarks/heading_scan.h"
#include "bookmarks/test_outline.h"
#include "tests/support/fake_engine.h"
#include "tests/support/heading_entries.h"

namespace vellumark::bookmarks {
namespace {

using testing::Outline;
using testing::PageText;
using testsupport::FakeDocument;
using testsupport::FakeEngine;
using testsupport::FakePage;
using testsupport::MakePages;

// The engine the report lives in, and what the recognisers fill.
class ReportDocumentTest : public ::testing::Test {
 protected:
  FakeEngine engine;
  HeadingList list;
  platform::NullStatusSink status;
};

std::vector<FakePage> ReportPages() {
  return MakePages(
      "P", 9, 1000,
      {
          PageText({"令和５年度", "○○川護岸詳細設計業務", "報告書", "令和６年３月", "株式会社△△建設コンサルタント"}),
          PageText({"目　　次", "", "第1章　総則･････････････････1", "1.1　業務目的･････････････1",
                    "1.2　業務概要･････････････2", "第2章　設計条件･････････････3", "2.1　設計基準･････････････3",
                    "2.1.1　準拠基準･･･････････3", "2.1.2　設計荷重･･･････････4", "2.2　構造形式･････････････5",
                    "第3章　数量計算･････････････6", "END"}),
          PageText({"第1章　総則", "1.1　業務目的", "本業務は、○○川の護岸について詳細設計を行うものである。",
                    "- 1 -"}),
          PageText({"1.2　業務概要", "業務名称：○○川護岸詳細設計業務", "履行期間：令和5年6月1日～令和6年3月15日",
                    "- 2 -"}),
          PageText({"第2章　設計条件", "2.1　設計基準", "2.1.1　準拠基準", "河川管理施設等構造令（昭和51年政令第199号）",
                    "- 3 -"}),
          PageText({"2.1.2　設計荷重", "土圧、水圧及び地震時慣性力を考慮する。", "表2.1　荷重の組合せ", "- 4 -"}),
          PageText({"2.2　構造形式", "ブロック積護岸（勾配1:0.5）とする。", "- 5 -"}),
          PageText({"第3章　数量計算", "3.1　土工", "掘削　1,250m3", "- 6 -"}),
          PageText({"3.2　護岸工", "ブロック積　480m2", "7"}),
      });
}

// The report's pages by index: 0 cover, 1 contents, 2–8 printed pages 1–7.
const std::string kWholeTree =
    "表紙@0 | "
    "第1章　総則@2{1.1　業務目的@2 | 1.2　業務概要@3} | "
    "第2章　設計条件@4{2.1　設計基準@4{2.1.1　準拠基準@4 | 2.1.2　設計荷重@5} | 2.2　構造形式@6} | "
    "第3章　数量計算@7";

TEST_F(ReportDocumentTest, ScanningEveryPage) {
  FakeDocument doc(engine, ReportPages());
  ScanHeadings(doc, list, status);

  // The contents lines end in their page numbers and are passed over; the
  // body gives the headings on their document pages. "表2.1　荷重の組合せ"
  // does not start with the chapter's number and stays out.
  EXPECT_EQ(testsupport::EntryTexts(list),
            (std::vector<std::string>{"第1章　総則\t3", "\t1.1　業務目的\t3", "\t1.2　業務概要\t4", "第2章　設計条件\t5",
                                      "\t2.1　設計基準\t5", "\t\t2.1.1　準拠基準\t5", "\t\t2.1.2　設計荷重\t6",
                                      "\t2.2　構造形式\t7", "第3章　数量計算\t8", "\t3.1　土工\t8",
                                      "\t3.2　護岸工\t9"}));

  BuildBookmarks(doc, 0, 0, list, false, status);
  EXPECT_EQ(Outline(doc), kWholeTree + "{3.1　土工@7 | 3.2　護岸工@8}");
}

TEST_F(ReportDocumentTest, ReadingTheContentsPage) {
  FakeDocument doc(engine, ReportPages());
  const int frontPageCount = ReadContentsPage(doc, list, "･", status);

  EXPECT_EQ(frontPageCount, 2);
  EXPECT_EQ(testsupport::EntryTexts(list),
            (std::vector<std::string>{"第1章　総則\t1", "\t1.1　業務目的\t1", "\t1.2　業務概要\t2", "第2章　設計条件\t3",
                                      "\t2.1　設計基準\t3", "\t\t2.1.1　準拠基準\t3", "\t\t2.1.2　設計荷重\t4",
                                      "\t2.2　構造形式\t5", "第3章　数量計算\t6"}));

  BuildBookmarks(doc, 0, frontPageCount, list, false, status);
  EXPECT_EQ(Outline(doc), kWholeTree);
}

TEST_F(ReportDocumentTest, SplitIntoTwoParts) {
  // Part 001 holds the cover, the contents and printed pages 1–3; part 002
  // printed pages 4–7, so it opens in the middle of section 2.1.
  const auto pages = ReportPages();
  FakeDocument whole(engine, pages);
  const int frontPageCount = ReadContentsPage(whole, list, "･", status);

  FakeDocument first(engine, {pages.begin(), pages.begin() + 5});
  BuildBookmarks(first, 0, frontPageCount, list, false, status);
  EXPECT_EQ(Outline(first),
            "表紙@0 | 第1章　総則@2{1.1　業務目的@2 | 1.2　業務概要@3} | "
            "第2章　設計条件@4{2.1　設計基準@4{2.1.1　準拠基準@4}}");

  FakeDocument second(engine, {pages.begin() + 5, pages.end()});
  BuildBookmarks(second, 5, frontPageCount, list, false, status);
  EXPECT_EQ(Outline(second),
            "第2章　設計条件@0{2.1　設計基準@0{2.1.2　設計荷重@0} | 2.2　構造形式@1} | 第3章　数量計算@2");
}

// A report as a typesetting system writes it: kanji extracted as radical
// look-alikes (⽬ for 目, ⻑ for 長), full-width heading numbers, spaced
// leaders on the second contents page, and titles full of the words that
// hold 章, 節 and 項 (一般事項, 検討項目, 調節池, 季節, 項目別集計).
std::vector<FakePage> TypesetReportPages() {
  return MakePages(
      "T", 8, 1000,
      {
          PageText({"令和６年度", "○○地区調節池詳細設計業務", "報告書"}),
          PageText({"\u2F6C　　次", "第1章　一般事項．．．．．．．．．．1", "１．１　業務\u2F6C的．．．．．．．1",
                    "１．２　検討項目．．．．．．．2", "第2章　調節池の設計．．．．．．3"}),
          PageText({"2.1　季節別の流入量　．　．　．　．　3", "2.1.1 \u2ED1期流出解析 ． ． ． ． 4",
                    "第3章 数量計算 ． ． ． ． 5", "3.1 項目別集計 ． ． ． ． 5", "END"}),
          PageText({"第1章　一般事項", "１．１　業務\u2F6C的", "本業務は、○○地区の調節池について設計を行う。", "- 1 -"}),
          PageText({"１．２　検討項目", "本業務の検討項目は次のとおりである。", "- 2 -"}),
          PageText({"第2章　調節池の設計", "2.1　季節別の流入量", "- 3 -"}),
          PageText({"2.1.1 \u2ED1期流出解析", "- 4 -"}),
          PageText({"第3章 数量計算", "3.1 項目別集計", "- 5 -"}),
      });
}

TEST_F(ReportDocumentTest, TypesetReportScanningEveryPage) {
  FakeDocument doc(engine, TypesetReportPages());
  ScanHeadings(doc, list, status);

  EXPECT_EQ(testsupport::EntryTexts(list),
            (std::vector<std::string>{"第1章　一般事項\t4", "\t１．１　業務目的\t4", "\t１．２　検討項目\t5",
                                      "第2章　調節池の設計\t6", "\t2.1　季節別の流入量\t6",
                                      "\t\t2.1.1 長期流出解析\t7", "第3章 数量計算\t8", "\t3.1 項目別集計\t8"}));
}

TEST_F(ReportDocumentTest, TypesetReportReadingTheContentsPages) {
  FakeDocument doc(engine, TypesetReportPages());
  const int frontPageCount = ReadContentsPage(doc, list, "．", status);

  // The contents word is found in "⽬　　次"; every entry keeps its level.
  // The second contents page keeps its spaces, so a space is put in front of
  // the one after the number, as on any continuation page.
  EXPECT_EQ(frontPageCount, 3);
  BuildBookmarks(doc, 0, frontPageCount, list, false, status);
  EXPECT_EQ(Outline(doc),
            "表紙@0 | 第1章　一般事項@3{１．１　業務目的@3 | １．２　検討項目@4} | "
            "第2章　調節池の設計@5{2.1　　季節別の流入量@5{2.1.1　　長期流出解析@6}} | "
            "第3章　数量計算@7{3.1　　項目別集計@7}");
}

}  // namespace
}  // namespace vellumark::bookmarks
