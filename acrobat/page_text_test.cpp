#include <gtest/gtest.h>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
#include <thread>

#include "acrobat/qpdf_document.h"
#include "acrobat/real_engine.h"
#include "acrobat/test_pdf_reader.h"
#include "tests/support/temp_folder.h"

namespace vellumark::acrobat {
namespace {

using testing::DataFile;
using testing::SplitCr;

bool HasLine(const std::vector<std::string>& lines, const std::vector<std::string>& accepted) {
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
    return std::find(accepted.begin(), accepted.end(), line) != accepted.end();
  });
}

struct HeadingCase {
  const char* file;
  int page;
  // The heading as a reader would type it: word processors space digits
  // off Japanese text, so either form is a whole line.
  std::vector<std::string> accepted;
};

class HeadingLines : public ::testing::TestWithParam<HeadingCase> {};

TEST_P(HeadingLines, ComeOutWholeOnOneLine) {
  auto engine = MakeRealEngine();
  auto view = engine->Open(DataFile(GetParam().file));
  const auto lines = SplitCr(view->GetPDDoc().ReadPageText(GetParam().page));
  EXPECT_TRUE(HasLine(lines, GetParam().accepted)) << ::testing::PrintToString(lines);
}

INSTANTIATE_TEST_SUITE_P(
    JapaneseFixtures, HeadingLines,
    ::testing::Values(
        HeadingCase{"report.pdf", 0, {"○○川護岸改修工事 完成報告書"}},
        HeadingCase{"report.pdf", 1, {"目次"}},
        HeadingCase{"report.pdf", 1, {"第 1 章 総則･････････････････････････････････1", "第1章 総則･････････････････････････････････1"}},
        HeadingCase{"report.pdf", 1, {"1.2.1 対象工区･･･････････････････････････････2"}},
        HeadingCase{"report.pdf", 1, {"END"}},
        HeadingCase{"report.pdf", 2, {"第 1 章 総則", "第1章 総則"}},
        HeadingCase{"report.pdf", 2, {"1.1 目的"}},
        HeadingCase{"report.pdf", 3, {"1.2.1 対象工区"}},
        HeadingCase{"report.pdf", 5, {"第 2 章 設計条件", "第2章 設計条件"}},
        HeadingCase{"report.pdf", 7, {"第 3 章 施工計画", "第3章 施工計画"}},
        HeadingCase{"report.pdf", 9, {"8"}},  // the footer's page number
        HeadingCase{"appendix1.pdf", 0, {"第 4 章 数量計算", "第4章 数量計算"}},
        HeadingCase{"appendix1.pdf", 2, {"４．３ 仮設工"}},
        HeadingCase{"appendix2.pdf", 0, {"第 5 章 写真帳", "第5章 写真帳"}},
        HeadingCase{"appendix2.pdf", 1, {"5.2 完成"}}));

TEST(PageText, LinesEndInCrWithoutIndentOrPageBreak) {
  auto engine = MakeRealEngine();
  auto view = engine->Open(DataFile("report.pdf"));
  auto& doc = view->GetPDDoc();
  for (int i = 0; i < doc.GetNumPages(); ++i) {
    const auto text = doc.ReadPageText(i);
    ASSERT_FALSE(text.empty()) << i;
    EXPECT_EQ(text.back(), '\r') << i;
    EXPECT_EQ(text.find('\n'), std::string::npos) << i;
    EXPECT_EQ(text.find('\f'), std::string::npos) << i;
    for (const auto& line : SplitCr(text)) EXPECT_FALSE(!line.empty() && line.front() == ' ') << i << ": " << line;
  }
}

TEST(PageText, PageWithoutTextGivesEmptyText) {
  testsupport::TempFolder folder;
  auto engine = MakeRealEngine();
  auto view = testing::OpenBlankBase(*engine, folder / "Default.pdf");
  EXPECT_EQ(view->GetPDDoc().ReadPageText(0), "");
}

TEST(PageText, FollowsPagesThroughCopiesMovesAndDeletions) {
  testsupport::TempFolder folder;
  auto engine = MakeRealEngine();
  auto work = testing::OpenBlankBase(*engine, folder / "Default.pdf");
  auto& doc = work->GetPDDoc();
  std::vector<std::string> expected;
  for (const char* name : {"appendix1.pdf", "appendix2.pdf"}) {
    auto source = engine->Open(DataFile(name));
    for (int i = 0; i < source->GetPDDoc().GetNumPages(); ++i) expected.push_back(source->GetPDDoc().ReadPageText(i));
    doc.InsertPages(doc.GetNumPages() - 1, source->GetPDDoc(), 0, source->GetPDDoc().GetNumPages());
  }
  doc.MovePage(doc.GetNumPages() - 1, 0);
  doc.DeletePages(doc.GetNumPages() - 1, doc.GetNumPages() - 1);
  doc.MovePage(-1, 4);
  std::rotate(expected.begin(), expected.begin() + 4, expected.end());
  ASSERT_EQ(doc.GetNumPages(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(doc.ReadPageText(i), expected[static_cast<std::size_t>(i)]) << i;
}

TEST(PageText, ReadingEveryPageParsesTheFileOncePerWorker) {
  auto engine = MakeRealEngine();
  auto view = engine->Open(DataFile("report.pdf"));
  auto& doc = view->GetPDDoc();
  const long before = detail::PopplerDocumentsLoaded();
  for (int i = 0; i < doc.GetNumPages(); ++i) doc.ReadPageText(i);
  for (int i = 0; i < doc.GetNumPages(); ++i) doc.ReadPageText(i);
  const long loads = detail::PopplerDocumentsLoaded() - before;
  const long workers = std::max(1u, std::thread::hardware_concurrency());
  EXPECT_GE(loads, 1);
  EXPECT_LE(loads, std::min<long>(workers, doc.GetNumPages() - 1));
}

struct PageLinesCase {
  const char* file;
  int page;
  std::vector<std::string> firstLines;  // the page's lines from the top, in order
  std::string footer;                   // its page number, "" for none
};

class PageLinesOfProducers : public ::testing::TestWithParam<PageLinesCase> {};

TEST_P(PageLinesOfProducers, ReadAsAReaderSeesThem) {
  auto engine = MakeRealEngine();
  auto view = engine->Open(DataFile(GetParam().file));
  const PageLines page = view->GetPDDoc().ReadPageLines(GetParam().page);
  // A4 portrait, give or take the producer's rounding.
  EXPECT_NEAR(page.width, 595.3, 0.5);
  EXPECT_NEAR(page.height, 841.9, 0.5);
  std::vector<std::string> texts;
  for (const auto& line : page.lines) texts.push_back(line.text);
  const auto& expected = GetParam().firstLines;
  ASSERT_GE(texts.size(), expected.size()) << ::testing::PrintToString(texts);
  EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + static_cast<std::ptrdiff_t>(expected.size())),
            expected);
  for (const auto& line : page.lines) {
    EXPECT_EQ(line.direction, WritingDirection::kHorizontal) << line.text;
    EXPECT_GT(line.fontSize, 0) << line.text;
    EXPECT_LT(line.box.left, line.box.right) << line.text;
  }
  if (GetParam().footer.empty()) return;
  // The page number is a line of its own, the last, below all the text in
  // the lower half of the page.
  const TextLine& footer = page.lines.back();
  EXPECT_EQ(footer.text, GetParam().footer);
  EXPECT_GT(footer.box.top, page.height / 2);
  for (std::size_t k = 0; k + 1 < page.lines.size(); ++k) EXPECT_LT(page.lines[k].box.bottom, footer.box.top);
}

INSTANTIATE_TEST_SUITE_P(
    JapaneseFixtures, PageLinesOfProducers,
    ::testing::Values(
        // LibreOffice spaces digits off Japanese text and leaves an em
        // before the title; its contents leaders are half-width dots.
        PageLinesCase{"report.pdf",
                      1,
                      {"目次", "第1章　総則･････････････････････････････････1",
                       "1.1　目的･････････････････････････････････････1"},
                      ""},
        PageLinesCase{"report.pdf",
                      2,
                      {"第1章　総則", "1.1　目的",
                       "本報告書は、○○川護岸改修工事の施工結果を取りまとめ、発注者に提出するものである。"},
                      "1"},
        PageLinesCase{"report.pdf", 3, {"1.2　適用範囲", "本報告書は、契約図書に示す工区全体に適用する。", "1.2.1　対象工区"}, "2"},
        // Chromium reports its headings at twice the size they are drawn.
        PageLinesCase{"producers/chromium.pdf", 2, {"第1章　総則", "1.1　業務目的"}, "- 1 -"},
        PageLinesCase{"producers/uplatex.pdf", 4, {"第2章　設計条件", "2.1　設計基準", "2.1.1　準拠基準"}, "- 3 -"},
        PageLinesCase{"producers/ghostscript.pdf", 1, {"目　　次", "第1章　総則･････････････････1"}, ""}));

// A one-page-each PDF in Helvetica: a table set sideways on a portrait page
// under an upright running head, and a page shown turned a quarter by its
// /Rotate.
std::filesystem::path WriteTurnedPages(const std::filesystem::path& file) {
  QPDF pdf;
  pdf.emptyPDF();
  QPDFObjectHandle font = pdf.makeIndirectObject(QPDFObjectHandle::parse(
      "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>"));
  QPDFPageDocumentHelper pages(pdf);
  auto addPage = [&](const std::string& content, int rotate) {
    QPDFObjectHandle page = pdf.makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /Page /MediaBox [0 0 595 842] /Resources << /Font << >> >> /Rotate " +
        std::to_string(rotate) + " >>"));
    page.getKey("/Resources").getKey("/Font").replaceKey("/F1", font);
    page.replaceKey("/Contents", QPDFObjectHandle::newStream(&pdf, content));
    pages.addPage(page, false);
  };
  // Text matrix [0 1 -1 0 x y] turns the text to read upwards; its next
  // line lies to the right.
  addPage("BT /F1 10 Tf 1 0 0 1 72 800 Tm (Annual report) Tj ET "
          "BT /F1 12 Tf 0 1 -1 0 300 100 Tm (Item) Tj 40 0 Td (320 m) Tj ET "
          "BT /F1 12 Tf 0 1 -1 0 316 100 Tm (Total) Tj 40 0 Td (830 m) Tj ET",
          0);
  addPage("BT /F1 14 Tf 72 770 Td (Chapter 1 General) Tj 0 -20 Td (1.1 Purpose) Tj ET", 90);
  // QPDFWriter keeps the name it is given, not a copy: it must outlive the write.
  const std::string outputName = file.string();
  QPDFWriter writer(pdf, outputName.c_str());
  writer.write();
  return file;
}

TEST(PageLines, TextTurnedOnThePageIsReadInItsOwnDirection) {
  testsupport::TempFolder folder;
  auto engine = MakeRealEngine();
  auto view = engine->Open(WriteTurnedPages(folder / "turned.pdf"));
  auto& doc = view->GetPDDoc();
  auto textsOf = [](const PageLines& page) {
    std::vector<std::string> texts;
    for (const auto& line : page.lines) texts.push_back(line.text);
    return texts;
  };
  const PageLines table = doc.ReadPageLines(0);
  EXPECT_EQ(textsOf(table), (std::vector<std::string>{"Annual report", "Item 320 m", "Total 830 m"}));
  EXPECT_DOUBLE_EQ(table.width, 595);
  // The turned page is as wide as its media box is high.
  const PageLines turned = doc.ReadPageLines(1);
  EXPECT_EQ(textsOf(turned), (std::vector<std::string>{"Chapter 1 General", "1.1 Purpose"}));
  EXPECT_DOUBLE_EQ(turned.width, 842);
  EXPECT_DOUBLE_EQ(turned.height, 595);
  ASSERT_FALSE(turned.lines.empty());
  EXPECT_LE(turned.lines[0].box.right, turned.width);
  EXPECT_GT(turned.lines[0].box.bottom - turned.lines[0].box.top, turned.lines[0].box.right - turned.lines[0].box.left);
}

TEST(PageLines, ReadingEveryPageParsesTheFileOncePerWorker) {
  auto engine = MakeRealEngine();
  auto view = engine->Open(DataFile("report.pdf"));
  auto& doc = view->GetPDDoc();
  const long before = detail::PopplerDocumentsLoaded();
  for (int i = 0; i < doc.GetNumPages(); ++i) doc.ReadPageLines(i);
  for (int i = 0; i < doc.GetNumPages(); ++i) doc.ReadPageLines(i);
  const long loads = detail::PopplerDocumentsLoaded() - before;
  const long workers = std::max(1u, std::thread::hardware_concurrency());
  EXPECT_GE(loads, 1);
  EXPECT_LE(loads, std::min<long>(workers, doc.GetNumPages() - 1));
}

}  // namespace
}  // namespace vellumark::acrobat
