// A document read as a reader sees it, from positioned lines: running heads
// and page numbers told from the body, the printed page numbers, and what
// both recognisers make of them.
#include "bookmarks/page_reading.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bookmarks/contents_page.h"
#include "bookmarks/heading_scan.h"
#include "tests/support/heading_entries.h"

namespace vellumark::bookmarks {
namespace {

using acrobat::PageLines;
using acrobat::TextLine;

constexpr double kWidth = 595;
constexpr double kHeight = 842;

// A line of `size` points whose top stands at `top`, from the left margin
// to `right`.
TextLine Line(const std::string& text, double top, double size = 10.5, double right = 400) {
  return TextLine{text, {72, top, right, top + size}, size, acrobat::WritingDirection::kHorizontal};
}

// An A4 page: a running head at the top (when given), the body lines from
// 100 points down, the footer at the bottom (when given).
PageLines Page(const std::string& head, const std::vector<std::string>& body, const std::string& foot) {
  PageLines page{kWidth, kHeight, {}};
  if (!head.empty()) page.lines.push_back(Line(head, 40, 9));
  double top = 100;
  for (const auto& text : body) {
    page.lines.push_back(Line(text, top));
    top += 18;
  }
  if (!foot.empty()) page.lines.push_back(Line(foot, 800, 9));
  return page;
}

class LinePages final : public acrobat::PageTextSource {
 public:
  explicit LinePages(std::vector<PageLines> pages) : pages_(std::move(pages)) {}
  int GetNumPages() const override { return static_cast<int>(pages_.size()); }
  std::string ReadPageText(int) const override { return {}; }
  PageLines ReadPageLines(int pageIndex) const override { return pages_.at(static_cast<std::size_t>(pageIndex)); }

 private:
  std::vector<PageLines> pages_;
};

// A report whose header repeats its chapter on every page, with chapter-
// local page numbers in the footer: cover, contents ("i"), chapters 1 and 2.
std::vector<PageLines> RunningHeadReport() {
  const std::string head1 = "第1章　総則　　　　△△橋詳細設計業務";
  const std::string head2 = "第2章　設計条件　　　　△△橋詳細設計業務";
  return {
      Page("", {"△△橋詳細設計業務", "報告書"}, ""),
      Page("", {"目　次", "第1章　総則･････1-1", "1.1　目的･････1-1", "第2章　設計条件･････2-1",
                "2.1　荷重･････2-1", "2.2　材料･････2-1", "END"},
           "i"),
      Page(head1, {"第1章　総則", "1.1　目的", "本文です。"}, "1-1"),
      Page(head1, {"本文です。"}, "1-2"),
      Page(head1, {"本文です。"}, "1-3"),
      Page(head2, {"第2章　設計条件", "本文です。"}, "2-1"),
      Page(head2, {"2.1　荷重", "本文です。"}, "2-2"),
      Page(head2, {"本文です。", "2.2　材料"}, "- 2-3 -"),
  };
}

TEST(DocumentReadingTest, RunningHeadsAndPageNumbersAreFurnitureAndNumbersAreRead) {
  const DocumentReading reading{LinePages{RunningHeadReport()}};
  // The header changes with the chapter, but its project name repeats.
  for (int i = 2; i < 8; ++i) {
    EXPECT_TRUE(reading.Page(i).furniture.front()) << i;
    EXPECT_TRUE(reading.Page(i).furniture.back()) << i;
  }
  EXPECT_EQ(reading.BodyLines(2), (std::vector<std::string>{"第1章　総則", "1.1　目的", "本文です。"}));
  ASSERT_TRUE(reading.HasPrintedNumbers());
  std::vector<std::string> numbers;
  for (int i = 0; i < reading.PageCount(); ++i) numbers.push_back(reading.Page(i).printedNumber);
  EXPECT_EQ(numbers, (std::vector<std::string>{"", "i", "1-1", "1-2", "1-3", "2-1", "2-2", "2-3"}));
  EXPECT_EQ(reading.FindPrintedNumber("２－１", 0), 5);
  EXPECT_EQ(reading.FindPrintedNumber("2-1", 6), -1);
  // Titles compare without spaces or widths, on the body only.
  EXPECT_TRUE(reading.BodyHolds(6, "2.1 荷重"));
  EXPECT_FALSE(reading.BodyHolds(3, "第1章　総則"));
}

TEST(DocumentReadingTest, LoneNumbersAndHeadingsAtThePageTopAreBody) {
  // A heading at the top of its page stands there once; a number at the
  // foot of one page (a table's last cell) continues nothing.
  const DocumentReading reading(LinePages({Page("第1章　総則", {"本文"}, ""), Page("第2章　設計", {"本文"}, "12"),
                                           Page("第3章　施工", {"本文"}, ""), Page("", {"本文"}, "")}));
  EXPECT_EQ(reading.BodyLines(0).front(), "第1章　総則");
  EXPECT_FALSE(reading.HasPrintedNumbers());
  EXPECT_EQ(reading.Page(1).printedNumber, "");
}

TEST(DocumentReadingTest, NumbersRestartInEveryFileOfTheJob) {
  std::vector<PageLines> pages;
  for (const int count : {3, 2, 2}) {
    for (int n = 1; n <= count; ++n) pages.push_back(Page("", {"本文"}, std::to_string(n)));
  }
  const DocumentReading reading(LinePages(pages), {3, 5});
  EXPECT_EQ(reading.Page(4).file, 1);
  EXPECT_EQ(reading.FindPrintedNumber("1", 0), 0);
  EXPECT_EQ(reading.FindPrintedNumber("1", 1), 3);
  EXPECT_EQ(reading.FindPrintedNumber("2", 5), 6);
}

TEST(DocumentReadingTest, NormalPageNumbers) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"- 12 -", "12"}, {"１２", "12"},  {"１－１", "1-1"}, {"2 - 15", "2-15"}, {"資-3", "資-3"},
      {"III", "iii"},   {"P.5", "5"},    {"(7)", "7"},     {"8ページ", "8"},    {"2024年", ""},
      {"1.2", ""},      {"第1章", ""},   {"本文", ""},      {"", ""},           {"123456", ""},
  };
  for (const auto& [text, normal] : cases) EXPECT_EQ(NormalPageNumber(text), normal) << text;
}

TEST(DocumentReadingTest, ScanLeavesRunningHeadsOutAndJoinsWrappedTitles) {
  auto pages = RunningHeadReport();
  // A section title that runs to the right edge and ends on the next line.
  pages[3].lines.insert(pages[3].lines.begin() + 1, {Line("1.2　橋梁の設計条件の整理および", 200, 10.5, 520),
                                                    Line("基本方針の検討", 214, 10.5, 200)});
  pages[3].lines.push_back(Line("本文は右端まで続く長い段落の一行目であり、", 300, 10.5, 520));
  HeadingList list;
  platform::NullStatusSink status;
  ScanHeadings(DocumentReading(LinePages(pages)), list, status);
  EXPECT_EQ(testsupport::EntryTexts(list),
            (std::vector<std::string>{"第1章　総則\t3", "\t1.1　目的\t3", "\t1.2　橋梁の設計条件の整理および基本方針の検討\t4",
                                      "第2章　設計条件\t6", "\t2.1　荷重\t7", "\t2.2　材料\t8"}));
}

TEST(DocumentReadingTest, ContentsEntriesGoWhereTheirPrintedNumberAndTitleStand) {
  auto pages = RunningHeadReport();
  HeadingList list;
  platform::NullStatusSink status;
  auto result = ReadContentsPage(DocumentReading(LinePages(pages)), list, "･", status);
  // Counting pages after the contents would put chapter 2 ("2-1") on the
  // first body page; the printed numbers put it where it stands. 2.2 is
  // listed on 2-1 but stands on 2-3.
  EXPECT_EQ(result.frontPageCount, 2);
  EXPECT_EQ(testsupport::EntryTexts(list), (std::vector<std::string>{"第1章　総則\t1", "\t1.1　目的\t1",
                                                                     "第2章　設計条件\t4", "\t2.1　荷重\t5",
                                                                     "\t2.2　材料\t6"}));
  EXPECT_EQ(result.correctedTitles, (std::vector<std::string>{"2.1　荷重", "2.2　材料"}));
  EXPECT_TRUE(result.unprintedTitles.empty());

  // Without printed numbers the pages after the contents are counted, and
  // the titles still move the entries to their pages.
  for (auto& page : pages) page.lines.pop_back();
  pages[1].lines = Page("", {"目　次", "第1章　総則･････1", "第2章　設計条件･････2", "END"}, "").lines;
  list.clear();
  result = ReadContentsPage(DocumentReading(LinePages(pages)), list, "･", status);
  EXPECT_EQ(testsupport::EntryTexts(list), (std::vector<std::string>{"第1章　総則\t1", "第2章　設計条件\t4"}));
  EXPECT_EQ(result.correctedTitles, (std::vector<std::string>{"第2章　設計条件"}));
}

}  // namespace
}  // namespace vellumark::bookmarks
