#include "bookmarks/contents_page.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "bookmarks/test_outline.h"
#include "tests/support/heading_entries.h"

namespace vellumark::bookmarks {
namespace {

using testing::PageText;
using testing::RecordingSink;

constexpr const char* kDot = "･";  // the default delimiter, U+FF65

struct LineCase {
  const char* name;
  std::string line;
  std::string delimiter;
  int level;
  std::string title;  // checked only for headings
  int page;           // checked only for headings
  std::string printedPage = "";  // checked when given
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class ParseContentsLineTable : public ::testing::TestWithParam<LineCase> {};

TEST_P(ParseContentsLineTable, ParsesTheContentsLine) {
  const auto& c = GetParam();
  const ContentsLine parsed = ParseContentsLine(c.line, c.delimiter);
  EXPECT_EQ(parsed.level, c.level);
  if (c.level >= 0) {
    EXPECT_EQ(parsed.title, c.title);
    EXPECT_EQ(parsed.page, c.page);
    if (!c.printedPage.empty()) {
      EXPECT_EQ(parsed.printedPage, c.printedPage);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseContentsLineTable,
    ::testing::Values(
        LineCase{"Chapter", "第1章総則･････････1", kDot, 0, "第1章　総則", 1},
        LineCase{"Section", "1.1目的･･････3", kDot, 1, "1.1　目的", 3},
        LineCase{"Item", "1.1.1範囲･･････4", kDot, 2, "1.1.1　範囲", 4},
        LineCase{"DeeperLevelIsNoEntryButParses", "1.2.3.4詳細･･････9", kDot, 3, "1.2.3.4　詳細", 9},
        // A space is put in front of the existing one before spaces widen.
        LineCase{"SpacesOfAContinuationPage", "  1.1 目的 ･････ 3  ", kDot, 1, "1.1　　目的", 3},
        LineCase{"IdeographicIndentOfAContinuationPage", "　　1.1　目的 ･････ 3", kDot, 1, "1.1　　目的", 3},
        LineCase{"TwoDigitNumberAndPage", "10.1概要･･････12", kDot, 1, "10.1　概要", 12},
        LineCase{"ExistingIdeographicSpaceAfterChapterKept", "第2章　設計条件･････15", kDot, 0, "第2章　設計条件",
                 15},
        LineCase{"SectionMarkerGetsASpace", "第3節構造･････････21", kDot, 1, "第3節　構造", 21},
        LineCase{"ItemMarkerWinsOverChapter", "第1章第2項概要･････5", kDot, 2, "第1章　第2項概要", 5},
        // The number at the start gives the level; a group inside the
        // title is text.
        LineCase{"GroupInsideTheTitleIsText", "1.2.3第4節･････5", kDot, 2, "1.2.3　第4節", 5},
        LineCase{"ChapterGroupInsideASectionTitle", "1.1.1第3章の検討結果の反映･････8", kDot, 2,
                 "1.1.1　第3章の検討結果の反映", 8},
        LineCase{"MarkerAtTheEndGetsTheSpaceToo", "第1章･････1", kDot, 0, "第1章　", 1},
        LineCase{"OnlyTheLastSixDigitsArePage", "第1章総則･････1234567", kDot, 0, "第1章　総則", 234567},
        LineCase{"FullWidthPageNumber", "第1章総則･････１２", kDot, 0, "第1章　総則", 12},
        LineCase{"KatakanaBeforeThePageNumber", "第1章ガイダンス･････12", kDot, 0, "第1章　ガイダンス", 12},
        LineCase{"KatakanaAfterTheHeadingNumber", "1.1データ･････3", kDot, 1, "1.1　データ", 3},
        LineCase{"OtherDelimiter", "第1章総則｜｜｜｜1", "｜", 0, "第1章　総則", 1},
        // The leader characters stand for each other, whichever one the
        // user typed; any other delimiter is matched as typed.
        LineCase{"LeaderOfAnotherLeaderCharacter", "第1章総則・・・・・1", kDot, 0, "第1章　総則", 1},
        LineCase{"WordMiddleDotLeader", "第1章 総則 ··········· 1", "・", 0, "第1章　総則", 1},
        LineCase{"FullStopLeader", "1.1 目的 . . . . . . 3", "･", 1, "1.1　　目的", 3},
        LineCase{"EllipsisLeader", "1.1目的……3", "･", 1, "1.1　目的", 3},
        LineCase{"OtherDelimiterAsTyped", "第1章総則・・・・・1", "*", -1, "", 0},
        // LaTeX's chapter lines: the page after a wide gap, no leader.
        LineCase{"WideGapInsteadOfLeader", "第1章 総則      12", kDot, 0, "第1章　総則", 12},
        LineCase{"HyphenatedSection", "1-1業務目的･････2", kDot, 1, "1-1　業務目的", 2},
        LineCase{"HyphenatedItem", "2-3-1 検討･････5", kDot, 2, "2-3-1　　検討", 5},
        LineCase{"LetteredSection", "A.1荷重･････31", kDot, 1, "A.1　荷重", 31},
        LineCase{"Appendix", "付録A 計算書･････30", kDot, 0, "付録A　計算書", 30},
        LineCase{"FigureListEntry", "図-1.1 位置図･････3", kDot, -1, "", 0},
        LineCase{"ChapterLocalPageNumber", "第2章設計･････2-1", kDot, 0, "第2章　設計", 1, "2-1"},
        LineCase{"AppendixPageNumber", "1.1写真･････資-3", kDot, 1, "1.1　写真", 3, "資-3"},
        LineCase{"SingleDelimiterIsNoLeader", "第1章総則･1", kDot, -1, "", 0},
        LineCase{"EmptyDelimiterNeverMatches", "第1章総則･････1", "", -1, "", 0},
        LineCase{"ShorterThanSixCharacters", "目次", kDot, -1, "", 0},
        LineCase{"NoPageNumber", "第1章総則･････", kDot, -1, "", 0},
        LineCase{"NumberWithoutFullStopOrMarker", "1総則･････5", kDot, -1, "", 0},
        LineCase{"NumberStartingWithZeroGetsNoSpace", "0.1概要･･････2", kDot, -1, "", 0},
        // 章, 節 and 項 in ordinary words are no markers; no space goes in.
        LineCase{"GeneralMattersStaySection", "1.1一般事項･････3", kDot, 1, "1.1　一般事項", 3},
        LineCase{"WritingStylesStaySection", "3.1文章の書き方･････12", kDot, 1, "3.1　文章の書き方", 12},
        LineCase{"StudyItemsStaySection", "1.1　検討項目･････････2", kDot, 1, "1.1　　検討項目", 2},
        LineCase{"SeasonsStaySection", "2.3季節変動･････9", kDot, 1, "2.3　季節変動", 9},
        LineCase{"DetentionPondIsOneWord", "第2章調節池･････20", kDot, 0, "第2章　調節池", 20},
        // The last digits of a dotted number are no group, even with the
        // spaces taken out.
        LineCase{"DottedNumberBeforeItem", "4.1項目別集計･････8", kDot, 1, "4.1　項目別集計", 8},
        LineCase{"KanjiNumeralWithoutOrdinal", "十項目の評価･････5", kDot, -1, "", 0},
        // Groups in every form: bare Arabic number at the start, spaces
        // between the pieces, kanji and full-width numbers.
        LineCase{"BareNumberChapter", "1章総則･････5", kDot, 0, "1章　総則", 5},
        LineCase{"BareFullWidthSection", "２節設計条件･････7", kDot, 1, "２節　設計条件", 7},
        LineCase{"SpacedGroup", "第 2 節 構造 ･････ 21", kDot, 1, "第　2　節　構造", 21},
        LineCase{"KanjiItem", "第三項詳細･････4", kDot, 2, "第三項詳細", 4},
        LineCase{"FullWidthChapter", "第１２章文章の書き方･････30", kDot, 0, "第１２章　文章の書き方", 30},
        LineCase{"GroupAfterDottedNumberIsText", "2.1第3項調節池の容量･････6", kDot, 1, "2.1　第3項調節池の容量", 6},
        // Full-width heading numbers read as their narrowed form.
        LineCase{"FullWidthSection", "１．１業務目的･････5", kDot, 1, "１．１　業務目的", 5},
        LineCase{"FullWidthSectionWithItsSpace", "１．１　業務目的･････5", kDot, 1, "１．１　　業務目的", 5},
        LineCase{"FullWidthItem", "２．１．３設計荷重･････１４", kDot, 2, "２．１．３　設計荷重", 14},
        // Spaced leaders, as typesetting systems set them.
        LineCase{"SpacedLeader", "1.1　検討項目　．　．　．　．　5", "．", 1, "1.1　　検討項目", 5},
        LineCase{"HalfWidthSpacedLeader", "第1章 総則 ･ ･ ･ ･ ･ 1", kDot, 0, "第1章　総則", 1},
        LineCase{"SpacedSingleDelimiterIsNoLeader", "第1章 総則 ･ 付録 1", kDot, -1, "", 0},
        LineCase{"EmptyLine", "", kDot, -1, "", 0},
        LineCase{"OnlySpaces", "        ", kDot, -1, "", 0}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

TEST(ParseContentsLineTest, StopsWithFieldsAsFarAsSet) {
  // The page number is set before the leader is looked for.
  const ContentsLine parsed = ParseContentsLine("第1章総則 1", kDot);
  EXPECT_EQ(parsed.level, -1);
  EXPECT_EQ(parsed.page, 1);
  EXPECT_EQ(parsed.title, "第1章総則 ");
}

// A page text source that records which pages were read.
class Pages final : public acrobat::PageTextSource {
 public:
  explicit Pages(std::vector<std::string> texts) : texts_(std::move(texts)) {}
  int GetNumPages() const override { return static_cast<int>(texts_.size()); }
  std::string ReadPageText(int pageIndex) const override {
    read.push_back(pageIndex);
    return texts_.at(static_cast<std::size_t>(pageIndex));
  }
  mutable std::vector<int> read;

 private:
  std::vector<std::string> texts_;
};

TEST(ReadContentsPageTest, CoverThenTwoContentsPages) {
  Pages doc({PageText({"業務報告書", "第1章総則･････1"}),
             PageText({"目　次", "第1章　総則 ･････････ 1", "1.1　目的 ････････ 1"}),
             PageText({"1.2 範囲 ･････ 2", "第2章 設計 ･････ 3", "END"}), PageText({"第1章　総則"}),
             PageText({"本文"})});
  HeadingList list;
  list.push_back(MakeHeading(Heading::kChapter, "前の見出し", 9));  // reading appends; the driver clears
  RecordingSink status;
  const int frontPageCount = ReadContentsPage(doc, list, kDot, status);

  EXPECT_EQ(frontPageCount, 3);
  // The contents page is read with its spaces taken out; the continuation
  // page as it stands, so spaces there widen into ideographic ones.
  EXPECT_EQ(testsupport::EntryTexts(list), (std::vector<std::string>{"前の見出し\t9", "第1章　総則\t1", "\t1.1　目的\t1",
                                                      "\t1.2　　範囲\t2", "第2章　設計\t3"}));
  EXPECT_EQ(status.texts, (std::vector<std::string>{"Get Bookmark", "Load bookmark : 第1章　総則",
                                                    "Load bookmark : 1.1　目的", "Load bookmark : 1.2　　範囲",
                                                    "Load bookmark : 第2章　設計"}));
  // Every page is read once: the body is searched for the titles and its
  // printed page numbers, but never read as contents.
  EXPECT_EQ(doc.read, (std::vector<int>{0, 1, 2, 3, 4}));
}

struct ReadingCase {
  const char* name;
  std::vector<std::string> pages;
  std::vector<std::string> expected;
  int frontPageCount;
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const ReadingCase& c, std::ostream* os) { *os << c.name; }

class ReadingTable : public ::testing::TestWithParam<ReadingCase> {};

TEST_P(ReadingTable, ReadsEntriesAndCountsFrontPages) {
  const auto& c = GetParam();
  Pages doc(c.pages);
  HeadingList list;
  platform::NullStatusSink status;
  EXPECT_EQ(ReadContentsPage(doc, list, kDot, status), c.frontPageCount);
  EXPECT_EQ(testsupport::EntryTexts(list), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadingTable,
    ::testing::Values(
        ReadingCase{"NoContentsWord", {PageText({"第1章総則･････1"}), PageText({"本文"})}, {}, 3},
        ReadingCase{"EmptyDocument", {}, {}, 1},
        // Without END every line up to the last page counts as a contents line.
        ReadingCase{"NoEndLine",
                    {PageText({"目次", "第1章総則･････1"}), PageText({"1.1 目的 ･････ 2"})},
                    {"第1章　総則\t1", "\t1.1　　目的\t2"},
                    // Without END the contents end with the last page that
                    // gives entries.
                    2},
        // A list of figures or tables after the contents gives no entries.
        ReadingCase{"FigureAndTableListsAreNoEntries",
                    {PageText({"目次", "第1章総則･････1", "1.1 目的･････1", "図 目 次", "図-1.1 位置図･････3",
                               "1.2 配置図･････4", "表目次", "表-1.1 一覧･････5", "END"})},
                    {"第1章　総則\t1", "\t1.1　目的\t1"},
                    1},
        // A title wrapped onto the next line, and a chapter number whose
        // title stands on the next line, are one entry each.
        ReadingCase{"WrappedTitles",
                    {PageText({"目次", "1.1 設計条件の整理および", "基本方針の検討･････2", "第十章",
                               "維持管理計画･････45", "1.2 概要･････3", "END"})},
                    {"\t1.1　設計条件の整理および基本方針の検討\t2", "第十章　維持管理計画\t45", "\t1.2　概要\t3"},
                    1},
        ReadingCase{"SpacedContentsWordIsFound",
                    {PageText({"目 　次", "第1章 総則 ･･･ 1", "END"})},
                    {"第1章　総則\t1"},
                    1},
        ReadingCase{"EndMustStartTheLineOnAContinuationPage",
                    {PageText({"目次", "第1章総則･････1"}), PageText({" END", "第2章 設計 ･････ 5"}),
                     PageText({"END 以下本文", "第3章 結論 ･････ 9"})},
                    {"第1章　総則\t1", "第2章　設計\t5"},
                    3},
        ReadingCase{"EndIsUpperCaseHalfWidth",
                    {PageText({"目次", "end", "ＥＮＤ", "第1章総則･････1", "ENDE"})},
                    {"第1章　総則\t1"},
                    1},
        ReadingCase{"LinesBeforeTheContentsWordCount",
                    {PageText({"第1章総則･････1", "目次", "1.1目的･････2", "END"})},
                    {"第1章　総則\t1", "\t1.1　目的\t2"},
                    1},
        ReadingCase{"DeeperLevelsAddNothing",
                    {PageText({"目次", "1.2.3.4詳細･････9", "END"})},
                    {},
                    1},
        ReadingCase{"CrLfLineEnds",
                    {"目次\r\n第1章総則･････1\r\n1.1目的･････2\r\nEND\r\n"},
                    {"第1章　総則\t1", "\t1.1　目的\t2"},
                    1}),
    [](const ::testing::TestParamInfo<ReadingCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vellumark::bookmarks
