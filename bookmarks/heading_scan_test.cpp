#include "bookmarks/heading_scan.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "bookmarks/test_outline.h"
#include "tests/support/fake_engine.h"
#include "tests/support/heading_entries.h"

namespace vellumark::bookmarks {
namespace {

using testing::PageText;
using testing::RecordingSink;
using testsupport::FakeDocument;
using testsupport::FakeEngine;
using testsupport::MakePages;

std::vector<std::string> Scan(const std::vector<std::vector<std::string>>& pages) {
  std::vector<std::string> texts;
  for (const auto& lines : pages) texts.push_back(PageText(lines));
  FakeEngine engine;
  FakeDocument doc(engine, MakePages("P", static_cast<int>(pages.size()), 1000, texts));
  HeadingList list;
  platform::NullStatusSink status;
  ScanHeadings(doc, list, status);
  return testsupport::EntryTexts(list);
}

struct ScanCase {
  const char* name;
  std::vector<std::vector<std::string>> pages;  // lines of each page
  std::vector<std::string> expected;           // heading list entries
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const ScanCase& c, std::ostream* os) { *os << c.name; }

class ScanTable : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ScanTable, FindsTheHeadings) { EXPECT_EQ(Scan(GetParam().pages), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Cases, ScanTable,
    ::testing::Values(
        ScanCase{"LinesEndingInADigitAreNoHeadings",
                 {{"第1章 総則 …… 1", "第2章 設計 …… 10", "第3章 付録2", "第4章 結論 ……　１"}},
                 {}},
        // A chapter heading set again at the top of the next page is the
        // chapter in force, not a new one.
        ScanCase{"RepeatedChapterLineIsOneChapter",
                 {{"第1章 総則", "本文"}, {"第1章　総則", "本文"}, {"第2章 設計"}},
                 {"第1章 総則\t1", "第2章 設計\t3"}},
        ScanCase{"NumberedHeadingsContinueTheChapter",
                 {{"1.1 前書き", "第1章 総則", "1.1 目的"}, {"1.1.1 範囲", "2.1 概要", "1.2 構成"}},
                 {"第1章 総則\t1", "\t1.1 目的\t1", "\t\t1.1.1 範囲\t2", "\t1.2 構成\t2"}},
        // A bare number, and a number with a unit or any ASCII straight
        // after it, is no heading.
        ScanCase{"BareNumbersAndNumbersWithUnitsAreNoHeadings",
                 {{"第1章 総則", "1.1", "1.1目的", "1.", "1.1a", "1.50m 3.25m", "1.2 kN/m", "1.3 m"}},
                 {"第1章 総則\t1", "\t1.1目的\t1"}},
        // The page-number filter comes first: "1.2 仕様 ver.2" ends in a digit.
        // The number's groups give the level, not full stops later in the
        // line.
        ScanCase{"LevelComesFromTheGroupsOfTheNumber",
                 {{"第1章 総則", "1.2 ver.2 仕様", "1.2.1 仕様 ver.2a"}},
                 {"第1章 総則\t1", "\t1.2 ver.2 仕様\t1", "\t\t1.2.1 仕様 ver.2a\t1"}},
        // A group directly followed by a particle or a comma opens a
        // sentence; set apart from its title it is a heading.
        ScanCase{"SentencesThatOpenWithAGroupAreNoHeadings",
                 {{"第1章 総則", "第3章で述べたとおり、", "第2節の結果を示す。", "第1章、第2章は", "1.1 目的",
                   "1.1の結果から", "第2章　設計"}},
                 {"第1章 総則\t1", "\t1.1 目的\t1", "第2章　設計\t1"}},
        ScanCase{"HyphenatedNumbers",
                 {{"第1章 総則", "1-1 業務目的", "1-1-1 範囲", "2-1 他章の節", "1－2　全角"}},
                 {"第1章 総則\t1", "\t1-1 業務目的\t1", "\t\t1-1-1 範囲\t1", "\t1－2　全角\t1"}},
        ScanCase{"NamedChaptersAndRomanNumbers",
                 {{"序章 はじめに", "第Ⅰ章 総則", "1.1 目的", "第II章 設計", "2.1 条件", "付録A 計算書", "A.1 荷重",
                   "A-2 応力", "参考資料", "B.1 写真", "資料編", "資料-1 写真", "参考資料として添付する", "終章 まとめ"}},
                 {"序章 はじめに\t1", "第Ⅰ章 総則\t1", "\t1.1 目的\t1", "第II章 設計\t1", "\t2.1 条件\t1",
                  "付録A 計算書\t1", "\tA.1 荷重\t1", "\tA-2 応力\t1", "参考資料\t1", "\tB.1 写真\t1", "資料編\t1",
                  "資料-1 写真\t1", "終章 まとめ\t1"}},
        // LaTeX sets "第十章" and its title on two lines.
        ScanCase{"ChapterTitleOnTheNextLine",
                 {{"第十章", "維持管理計画", "10.1 点検", "第十一章", "11.1 概要"}},
                 {"第十章　維持管理計画\t1", "\t10.1 点検\t1", "第十一章\t1", "\t11.1 概要\t1"}},
        ScanCase{"CaptionsAreNoHeadings",
                 {{"第1章 総則", "図-1.1 位置図", "表 1.2 一覧", "1.1 目的"}},
                 {"第1章 総則\t1", "\t1.1 目的\t1"}},
        ScanCase{"FullWidthNumbersAreTestedNarrowedButKeptAsRead",
                 {{"第１章　総則", "１．２　構成", "１．２．１　配置"}},
                 {"第１章　総則\t1", "\t１．２　構成\t1", "\t\t１．２．１　配置\t1"}},
        ScanCase{"SectionAndItemMarkersNeedNoChapter",
                 {{"第2節 構成", "第3項 詳細", "第3章 第1節", "§ 適用", "§3 範囲"}},
                 {"\t第2節 構成\t1", "\t\t第3項 詳細\t1", "第3章 第1節\t1", "\t第3章 第1節\t1", "\t§ 適用\t1",
                  "\t§3 範囲\t1"}},
        ScanCase{"OneLineCanGiveChapterSectionAndItem",
                 {{"第1章第2節第3項 詳細"}},
                 {"第1章第2節第3項 詳細\t1", "\t第1章第2節第3項 詳細\t1", "\t\t第1章第2節第3項 詳細\t1"}},
        ScanCase{"MarkerMustStartTheLine", {{"本書の第1章 総則を参照", "参照 第1節"}}, {}},
        // Text extraction puts spaces round digits set in Japanese text.
        ScanCase{"SpacesAroundTheChapterNumberAreSkipped",
                 {{"第 1 章 総則", "1.1 目的", "第　２　章 設計", "2.1 条件"}},
                 {"第 1 章 総則\t1", "\t1.1 目的\t1", "第　２　章 設計\t1", "\t2.1 条件\t1"}},
        ScanCase{"LeadingZerosOfTheChapterNumberAreDropped",
                 {{"第01章 総則", "1.1 目的", "01.1 旧番号"}},
                 {"第01章 総則\t1", "\t1.1 目的\t1"}},
        ScanCase{"KanjiChapterNumbersAreReadAsTheirValue",
                 {{"第一章 総則", "1.1 目的", "第十二章 付録", "12.1 資料", "第二十一章 索引", "21.3 用語"}},
                 {"第一章 総則\t1", "\t1.1 目的\t1", "第十二章 付録\t1", "\t12.1 資料\t1", "第二十一章 索引\t1",
                  "\t21.3 用語\t1"}},
        // Heading-number groups stand one after another at the start of the
        // line; the chapter's own group gives the number that numbered lines
        // continue, so under 第3編第1章 "1.1" is a section and "2.2" nothing.
        ScanCase{"VolumeGroupBeforeTheChapterGroup",
                 {{"第2章 設計", "2.1 条件", "第3編第1章 概要", "2.2 構造", "1.1 目的", "第4章 施工", "4.1 工程"}},
                 {"第2章 設計\t1", "\t2.1 条件\t1", "第3編第1章 概要\t1", "\t1.1 目的\t1", "第4章 施工\t1",
                  "\t4.1 工程\t1"}},
        // 章, 節 and 項 inside ordinary words are no markers: only the groups
        // at the start of the line count.
        ScanCase{"MarkersInsideWordsAfterTheChapterGroup",
                 {{"第2章 調節池", "2.1　一般事項", "2.2 検討項目", "第3章　文章の書き方", "第4章 季節変動の検討",
                   "第5章 項目別集計", "第6章　節水計画"}},
                 {"第2章 調節池\t1", "\t2.1　一般事項\t1", "\t2.2 検討項目\t1", "第3章　文章の書き方\t1",
                  "第4章 季節変動の検討\t1", "第5章 項目別集計\t1", "第6章　節水計画\t1"}},
        ScanCase{"GroupsInEveryWrittenForm",
                 {{"第三項 検討項目", "第１２章　一般事項", "１２．１　業務目的", "第 2 節 調節池", "第　十　章 結論",
                   "10.1 まとめ"}},
                 {"\t\t第三項 検討項目\t1", "第１２章　一般事項\t1", "\t１２．１　業務目的\t1",
                  "\t第 2 節 調節池\t1", "第　十　章 結論\t1", "\t10.1 まとめ\t1"}},
        // 第 without a heading number in front of a marker is a word: 第三者,
        // 第A章, a dotted number, a counter other than 章, 節 or 項.
        ScanCase{"OrdinalWithoutAMarkerGroup",
                 {{"第1章 総則", "第三者委員会の意見", "第A章 付録", "第1.2節 構成", "第2回 打合せ記録",
                   "第十十章 誤記", "1.1 目的"}},
                 {"第1章 総則\t1", "\t第1.2節 構成\t1", "\t1.1 目的\t1"}},
        // Producers map kanji to radicals (⽬ U+2F6C, ⻑ U+2ED1) and
        // compatibility ideographs (U+FA19); titles carry the unified ones.
        // 﨑 (U+FA11) is a unified ideograph of its own and stays.
        ScanCase{"LookAlikeIdeographsAreUnified",
                 {{"第1章　業務\u2F6C的", "1.1　\u2ED1期計画", "第2章　\uFA19奈川県\uFA11地区"}},
                 {"第1章　業務目的\t1", "\t1.1　長期計画\t1", "第2章　神奈川県\uFA11地区\t1"}},
        ScanCase{"NewChapterReplacesThePrefix",
                 {{"第1章 総則", "1.1 目的"}, {"第2章 設計", "1.2 範囲", "2.1 条件"}},
                 {"第1章 総則\t1", "\t1.1 目的\t1", "第2章 設計\t2", "\t2.1 条件\t2"}},
        ScanCase{"NoDigitOneToNineAfterThePrefix",
                 {{"第1章 総則", "1. はじめに", "1.0 版", "1.x 例", "10.1 別章"}},
                 {"第1章 総則\t1"}},
        // ｶﾞ makes the narrowed line longer than the line as read.
        ScanCase{"VoicedKatakanaInTheTitle",
                 {{"第1章 ガイダンス", "1.1 データベース", "1.1.1 ガイド"}},
                 {"第1章 ガイダンス\t1", "\t1.1 データベース\t1", "\t\t1.1.1 ガイド\t1"}},
        ScanCase{"EmptyPagesAndEmptyLinesAreHarmless",
                 {{}, {"", "第1章 総則", "", "1.1 目的", ""}, {}},
                 {"第1章 総則\t2", "\t1.1 目的\t2"}},
        ScanCase{"FooterPageNumbersAreNotHeadings",
                 {{"第1章 総則", "- 1 -", "1"}, {"1.1 目的", "2"}},
                 {"第1章 総則\t1", "\t1.1 目的\t2"}}),
    [](const ::testing::TestParamInfo<ScanCase>& info) { return std::string(info.param.name); });

TEST(ScanHeadingsTest, ShowsPageProgressAndStartsFromAnEmptyList) {
  FakeEngine engine;
  FakeDocument doc(engine, MakePages("P", 3, 1000, {PageText({"第1章 総則"}), "", PageText({"1.1 目的"})}));
  HeadingList list;
  list.push_back(MakeHeading(Heading::kChapter, "古い見出し", 1));
  RecordingSink status;
  ScanHeadings(doc, list, status);
  EXPECT_EQ(status.texts, (std::vector<std::string>{"Get Bookmark 0/2", "Get Bookmark 1/2", "Get Bookmark 2/2"}));
  EXPECT_EQ(testsupport::EntryTexts(list), (std::vector<std::string>{"第1章 総則\t1", "\t1.1 目的\t3"}));
}

TEST(ScanHeadingsTest, PrefixOfAnEarlierScanDoesNotCarryOver) {
  FakeEngine engine;
  FakeDocument withChapter(engine, MakePages("P", 1, 1000, {PageText({"第1章 総則"})}));
  FakeDocument numbersOnly(engine, MakePages("Q", 1, 1000, {PageText({"1.1 目的"})}));
  HeadingList list;
  platform::NullStatusSink status;
  ScanHeadings(withChapter, list, status);
  ScanHeadings(numbersOnly, list, status);
  EXPECT_TRUE(list.empty());
}

}  // namespace
}  // namespace vellumark::bookmarks
