#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vellumark::acrobat
