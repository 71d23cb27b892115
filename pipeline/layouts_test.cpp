// Reports in the layouts users' files have, each from the program that
// makes such a layout (tests/data/layouts): running heads that repeat the
// chapter, chapter-local page numbers, a job of three files each numbered
// from 1, vertical writing, ruby over a heading, a table turned sideways,
// LaTeX's contents, Word's leaders, hyphenated numbers and appendices.
// Each is converted with the real engine and read back as a viewer shows
// it: every bookmark at the page where its heading stands, no bookmark from
// page furniture, and the printed page numbers in the viewer's page box.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acrobat/test_pdf_reader.h"
#include "pipeline/real_conversion_test.h"
#include "pipeline/real_pdf_test_helpers.h"
#include "pipeline/status_texts.h"

namespace vellumark::pipeline {
namespace {

namespace fs = std::filesystem;
using testing::Flatten;
using testing::OutlineNode;
using testing::PageLabels;
using testing::ReadWrittenPdf;
using testing::WrittenPdf;

// One bookmark: its depth in the tree, title and target page index.
struct Mark {
  int depth;
  std::string title;
  int page;
  bool operator==(const Mark&) const = default;
};

void PrintTo(const Mark& m, std::ostream* os) { *os << m.depth << " " << m.title << " @" << m.page; }

struct LayoutCase {
  const char* name;
  std::vector<const char*> files;  // in tests/data/layouts, parent first
  HeadingSource source;
  std::vector<Mark> outline;
  std::vector<std::string> labels;  // empty: the file has none
  std::vector<std::string> warnings;
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }

const std::vector<std::string> kNoWarnings;

// The report with a running header "第N章　…　△△橋詳細設計業務" on every body
// page, and "第1章で述べたとおり、" opening a line of chapter 2.
const std::vector<Mark> kRunningHeadOutline = {
    {0, "表紙", 0},           {0, "第1章　総則", 3},         {1, "1.1　業務目的", 3},
    {1, "1.2　業務概要", 3},   {2, "1.2.1?業務名称", 3},      {2, "1.2.2?履行期間", 3},
    {2, "1.2.3?業務内容", 3},  {1, "1.3　位置および現地状況", 4}, {0, "第2章　設計条件", 5},
    {1, "2.1　設計基準", 5},   {1, "2.2　橋梁諸元", 5},        {1, "2.3　荷重条件", 6},
    {2, "2.3.1?死荷重", 6},    {2, "2.3.2?地震の影響", 6},     {0, "第3章　数量計算", 7},
    {1, "3.1　上部工", 7},     {1, "3.2　下部工", 8},
};

// LaTeX's default contents (chapter lines without leaders, no END), its
// two-line chapter heads, a title wrapped in the contents and the body.
const std::vector<Mark> kLatexOutline = {
    {0, "表紙", 0},          {0, "第1章　総則", 1},     {1, "1.1　業務目的", 1}, {1, "1.2　業務概要", 2},
    {0, "第2章　設計条件", 3}, {1, "2.1　設計基準", 3},
    {1, "2.2　荷重の組合せおよび照査の方法ならびに既設橋の調査結果を踏まえた下部工の補強の考え方", 4},
};
const std::vector<std::string> kLatexLabels = {"i", "1", "2", "3", "4"};

// Word's "·" leaders (typed as such, read with the default "･"), a wrapped
// contents entry, and body lines opening "第1章で述べた…", "第2節の結果を…".
const std::vector<Mark> kWordOutline = {
    {0, "表紙", 0},
    {0, "第1章　総則", 2},
    {1, "1.1　業務目的", 2},
    {1, "1.2　既設橋の現地調査結果および下部工の洗掘状況を踏まえた補強設計の基本方針と施工時の留意事項", 3},
    {0, "第2章　設計条件", 4},
    {1, "2.1　設計基準", 4},
};
const std::vector<std::string> kWordLabels = {"", "", "1", "2", "3", "4"};

// Hyphenated numbers, an appendix with lettered sections, 参考資料, and a
// drawing with dimension lines and captions.
const std::vector<Mark> kHyphenOutline = {
    {0, "表紙", 0},          {0, "第1章　総則", 1},   {1, "1-1　業務目的", 1}, {1, "1-2　業務内容", 2},
    {2, "1-2-1　設計範囲", 2}, {0, "第2章　設計条件", 3}, {1, "2-1　設計基準", 3}, {0, "付録A　計算書", 5},
    {1, "A.1　荷重計算", 5},  {1, "A.2　応力計算", 6}, {0, "参考資料", 7},
};
const std::vector<std::string> kHyphenLabels = {"", "1-1", "1-2", "2-1", "2-2", "付-1", "付-2", "参-1"};

class LayoutsTest : public testing::RealConversionTest, public ::testing::WithParamInterface<LayoutCase> {};

// A title compared with "?" standing for whichever space the producer's
// text gives between the number and the title (a tab reads as a space).
bool SameTitle(const std::string& expected, const std::string& actual) {
  const auto at = expected.find('?');
  if (at == std::string::npos) return expected == actual;
  const std::string head = expected.substr(0, at);
  const std::string tail = expected.substr(at + 1);
  if (actual.compare(0, head.size(), head) != 0) return false;
  const std::string middle = actual.substr(head.size(), actual.size() - head.size() - std::min(actual.size(), tail.size()));
  return (middle == " " || middle == "\u3000") && actual.size() >= tail.size() &&
         actual.compare(actual.size() - tail.size(), tail.size(), tail) == 0;
}

TEST_P(LayoutsTest, BookmarksLandWhereTheHeadingsStandAndPagesShowTheirNumbers) {
  const LayoutCase& c = GetParam();
  std::vector<fs::path> files;
  for (const char* file : c.files) files.push_back(CopyFixture(std::string("layouts/") + file, file));
  options.headingSource = c.source;
  options.partSizeLimit.reset();
  conversion.ConvertJob(JobOf(files), options);

  const fs::path output = OutputPathFor(files[0]);
  EXPECT_TRUE(acrobat::testing::QpdfCheckPasses(output));
  const WrittenPdf written = ReadWrittenPdf(output);
  std::vector<std::pair<int, const OutlineNode*>> flat;
  Flatten(written.outline, 0, flat);
  std::vector<Mark> outline;
  for (const auto& [depth, node] : flat) outline.push_back({depth, node->title, node->targetPage});
  ASSERT_EQ(outline.size(), c.outline.size()) << ::testing::PrintToString(outline);
  for (std::size_t k = 0; k < outline.size(); ++k) {
    EXPECT_EQ(outline[k].depth, c.outline[k].depth) << k;
    EXPECT_TRUE(SameTitle(c.outline[k].title, outline[k].title)) << c.outline[k].title << " vs " << outline[k].title;
    EXPECT_EQ(outline[k].page, c.outline[k].page) << outline[k].title;
  }
  EXPECT_EQ(PageLabels(output), c.labels);
  EXPECT_EQ(conversion.warnings(), c.warnings);
}

INSTANTIATE_TEST_SUITE_P(
    Reports, LayoutsTest,
    ::testing::Values(
        LayoutCase{"RunningHeadScan",
                   {"running_head.pdf"},
                   HeadingSource::kAllPages,
                   kRunningHeadOutline,
                   {"", "", "", "1", "2", "3", "4", "5", "6"},
                   kNoWarnings},
        // LibreOffice's own contents with "." leaders and no END line, then
        // lists of figures and tables.
        LayoutCase{"RunningHeadContents",
                   {"running_head.pdf"},
                   HeadingSource::kContentsPage,
                   kRunningHeadOutline,
                   {"", "", "", "1", "2", "3", "4", "5", "6"},
                   {kWarnContentsEndMissing}},
        // Contents entries "2-1", "2-3" go where those numbers are printed,
        // not to the first body pages.
        LayoutCase{"ChapterLocalNumbers",
                   {"local_numbers.pdf"},
                   HeadingSource::kContentsPage,
                   {{0, "表紙", 0},
                    {0, "第1章　総則", 3},
                    {1, "1.1　業務目的", 3},
                    {1, "1.2　業務概要", 4},
                    {0, "第2章　設計条件", 5},
                    {1, "2.1　設計基準", 5},
                    {1, "2.2　荷重条件", 7},
                    {2, "2.2.1　活荷重", 7}},
                   {"", "i", "ii", "1-1", "1-2", "2-1", "2-2", "2-3"},
                   kNoWarnings},
        // Printed page 1 stands in every file: each chapter is found in its
        // own file, in job order.
        LayoutCase{"ThreeFilesEachNumberedFromOne",
                   {"job_parent.pdf", "job_child1.pdf", "job_child2.pdf"},
                   HeadingSource::kContentsPage,
                   {{0, "表紙", 0},
                    {0, "第1章　総則", 2},
                    {1, "1.1　業務目的", 3},
                    {1, "1.2　業務概要", 4},
                    {0, "第2章　設計条件", 5},
                    {1, "2.1　設計基準", 6},
                    {1, "2.2　荷重条件", 6},
                    {0, "第3章　数量計算", 7},
                    {1, "3.1　上部工", 8},
                    {1, "3.2　下部工", 9}},
                   {"", "", "1", "2", "3", "1", "2", "1", "2", "3"},
                   kNoWarnings},
        LayoutCase{"VerticalWriting",
                   {"vertical.pdf"},
                   HeadingSource::kAllPages,
                   {{0, "表紙", 0}, {0, "第一章　総則", 0}, {0, "第二章　設計条件", 1}},
                   {"1", "2"},
                   kNoWarnings},
        // No contents page: the headings come from the pages all the same,
        // and the user hears so.
        LayoutCase{"VerticalWritingFromTheContents",
                   {"vertical.pdf"},
                   HeadingSource::kContentsPage,
                   {{0, "表紙", 0}, {0, "第一章　総則", 0}, {0, "第二章　設計条件", 1}},
                   {"1", "2"},
                   {kWarnContentsNotFound}},
        // The ruby reading over 法面 is neither part of the title nor a line.
        LayoutCase{"RubyOverAHeading",
                   {"ruby.pdf"},
                   HeadingSource::kAllPages,
                   {{0, "表紙", 0},
                    {0, "第1章　総則", 0},
                    {1, "1.1　業務目的", 0},
                    {1, "1.2　対象区間", 0},
                    {0, "第2章　法面保護工", 1},
                    {1, "2.1　概要", 1},
                    {1, "2.2　吹付枠工", 2}},
                   {"1", "2", "3"},
                   kNoWarnings},
        LayoutCase{"LatexContents", {"latex_contents.pdf"}, HeadingSource::kContentsPage, kLatexOutline, kLatexLabels,
                   {kWarnContentsEndMissing}},
        LayoutCase{"LatexScan", {"latex_contents.pdf"}, HeadingSource::kAllPages, kLatexOutline, kLatexLabels,
                   kNoWarnings},
        LayoutCase{"WordStyleContents", {"word_style.pdf"}, HeadingSource::kContentsPage, kWordOutline, kWordLabels,
                   kNoWarnings},
        LayoutCase{"WordStyleScan", {"word_style.pdf"}, HeadingSource::kAllPages, kWordOutline, kWordLabels,
                   kNoWarnings},
        LayoutCase{"HyphensAndAppendicesContents", {"hyphen_appendix.pdf"}, HeadingSource::kContentsPage,
                   kHyphenOutline, kHyphenLabels, kNoWarnings},
        LayoutCase{"HyphensAndAppendicesScan", {"hyphen_appendix.pdf"}, HeadingSource::kAllPages, kHyphenOutline,
                   kHyphenLabels, kNoWarnings},
        LayoutCase{"TableTurnedSideways",
                   {"sideways_table.pdf"},
                   HeadingSource::kAllPages,
                   {{0, "表紙", 0}, {0, "第2章　設計条件", 0}, {1, "2.1　設計基準", 0}, {1, "2.2　荷重条件", 2}},
                   {"1", "2", "3"},
                   kNoWarnings}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vellumark::pipeline
