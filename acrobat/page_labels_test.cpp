// Printed page numbers: how few ranges say them, what a file's ranges say,
// and what a viewer shows for the pages of a saved document and its parts.
#include "acrobat/page_labels.h"

#include <gtest/gtest.h>
#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-page.h>
#include <qpdf/QPDFPageLabelDocumentHelper.hh>

#include <array>
#include <climits>
#include <memory>

#include "acrobat/real_engine.h"
#include "acrobat/test_pdf_reader.h"
#include "tests/support/temp_folder.h"

namespace vellumark::acrobat {
namespace {

using detail::LabelRange;
using detail::LabelsFromRanges;
using detail::LabelStyle;
using detail::RangesFromLabels;
using testing::DataFile;
using testing::OpenBlankBase;
using testing::PartOf;
using testing::SavedPdf;
using testsupport::TempFolder;

constexpr auto kNone = LabelStyle::kNone;
constexpr auto kDecimal = LabelStyle::kDecimal;

struct EncodingCase {
  const char* what;
  std::vector<std::string> labels;
  std::vector<LabelRange> ranges;
};

TEST(PageLabels, EachRunOfLabelsBecomesOneRangeThatReadsBackAsTheLabels) {
  const std::vector<EncodingCase> cases = {
      {"running numbers", {"1", "2", "3", "4", "5"}, {{0, kDecimal, "", 1}}},
      {"front matter in Roman numerals, then the body",
       {"i", "ii", "iii", "1", "2", "3"},
       {{0, LabelStyle::kRomanLower, "", 1}, {3, kDecimal, "", 1}}},
      {"chapter numbers restart the count",
       {"1-1", "1-2", "2-1", "2-2"},
       {{0, kDecimal, "1-", 1}, {2, kDecimal, "2-", 1}}},
      {"a prefix outside ASCII", {"資-1", "資-2"}, {{0, kDecimal, "資-", 1}}},
      {"leading zeros are no decimal count", {"01", "02"}, {{0, kNone, "01", 1}, {1, kNone, "02", 1}}},
      {"unlabelled pages in front", {"", "", "1", "2"}, {{0, kNone, "", 1}, {2, kDecimal, "", 1}}},
      {"no labels at all", {"", "", ""}, {}},
      {"a count that starts late and gains a digit",
       {"II", "III", "9", "10", "11"},
       {{0, LabelStyle::kRomanUpper, "", 2}, {2, kDecimal, "", 9}}},
      {"a Roman numeral spelled with more letters on the next page",
       {"viii", "ix", "x", "xi"},
       {{0, LabelStyle::kRomanLower, "", 8}}},
      {"named pages, an unnumbered page between numbered ones, the same name twice",
       {"表紙", "目次", "1", "2", "", "付-1", "付録", "付録"},
       {{0, kNone, "表紙", 1},
        {1, kNone, "目次", 1},
        {2, kDecimal, "", 1},
        {4, kNone, "", 1},
        {5, kDecimal, "付-", 1},
        {6, kNone, "付録", 1}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto ranges = RangesFromLabels(c.labels);
    EXPECT_EQ(ranges, c.ranges);
    EXPECT_EQ(LabelsFromRanges(ranges, static_cast<int>(c.labels.size())), c.labels);
  }
}

struct ReadingCase {
  const char* what;
  std::vector<LabelRange> ranges;
  int pageCount;
  std::vector<std::string> labels;
};

TEST(PageLabels, RangesReadFromAFileGiveBoundedLabels) {
  const std::string longPrefix = [] {
    std::string text;
    for (int i = 0; i < 400; ++i) text += "資";
    return text;
  }();
  const std::vector<ReadingCase> cases = {
      {"letters count on by repeating the letter",
       {{0, LabelStyle::kLettersUpper, "付録", 25}},
       4,
       {"付録Y", "付録Z", "付録AA", "付録BB"}},
      {"no range for the first pages", {{2, kDecimal, "", 1}}, 4, {"", "", "1", "2"}},
      {"ranges beyond the last page", {{0, kDecimal, "", 5}, {7, kNone, "x", 1}}, 2, {"5", "6"}},
      {"a start number at the end of the integers", {{0, kDecimal, "p", LLONG_MAX}}, 2, {"p", "p"}},
      {"a start number that would need a million letters",
       {{0, LabelStyle::kLettersLower, "", 26'000'000}},
       1,
       {""}},
      {"a prefix cut whole characters short", {{0, kNone, longPrefix, 1}}, 1, {longPrefix.substr(0, 255)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(LabelsFromRanges(c.ranges, c.pageCount), c.labels);
  }
}

// --- the real engine ---------------------------------------------------------

// Every page's label as poppler shows it in a viewer's page box.
std::vector<std::string> PopplerLabels(const std::filesystem::path& file) {
  std::unique_ptr<poppler::document> doc(poppler::document::load_from_file(file.string()));
  std::vector<std::string> labels;
  if (!doc) return labels;
  for (int i = 0; i < doc->pages(); ++i) {
    std::unique_ptr<poppler::page> page(doc->create_page(i));
    const auto utf8 = page->label().to_utf8();
    labels.emplace_back(utf8.begin(), utf8.end());
  }
  return labels;
}

// Every page's label from QPDF's reading of the ranges (small Roman numbers
// only: enough for the documents here).
std::vector<std::string> QpdfLabels(SavedPdf& pdf) {
  static const std::array<const char*, 6> kRoman = {"", "i", "ii", "iii", "iv", "v"};
  QPDFPageLabelDocumentHelper helper(pdf.qpdf());
  std::vector<std::string> labels;
  for (int i = 0; i < pdf.pageCount(); ++i) {
    auto label = helper.getLabelForPage(i);
    std::string text = label.getKey("/P").isString() ? label.getKey("/P").getUTF8Value() : "";
    const long long start = label.getKey("/St").isInteger() ? label.getKey("/St").getIntValue() : 1;
    if (label.getKey("/S").isNameAndEquals("/D")) text += std::to_string(start);
    if (label.getKey("/S").isNameAndEquals("/r")) text += kRoman.at(static_cast<std::size_t>(start));
    labels.push_back(text);
  }
  return labels;
}

const std::vector<std::string> kReportLabels = {"i",   "ii",  "1-1", "1-2", "1-3",
                                                "2-1", "2-2", "資-1", "資-2", "資-3"};

TEST(PageLabels, ViewersShowThePrintedNumbersOfTheDocumentAndOfEachPart) {
  TempFolder folder;
  auto engine = MakeRealEngine();
  auto report = engine->Open(DataFile("report.pdf"));
  Document& whole = report->GetPDDoc();
  ASSERT_EQ(whole.GetNumPages(), static_cast<int>(kReportLabels.size()));
  for (int i = 0; i < whole.GetNumPages(); ++i) whole.SetPageLabel(i, kReportLabels[static_cast<std::size_t>(i)]);
  const auto wholeFile = folder / "report_labelled.pdf";
  whole.Save(wholeFile);

  ASSERT_TRUE(testing::QpdfCheckPasses(wholeFile));
  EXPECT_EQ(PopplerLabels(wholeFile), kReportLabels);
  SavedPdf saved(wholeFile);
  EXPECT_EQ(QpdfLabels(saved), kReportLabels);
  // One range per run: front matter, two chapters, the appendix.
  EXPECT_EQ(saved.catalog().getKey("/PageLabels").getKey("/Nums").getArrayNItems(), 8);

  // A part is built on the blank base: the copies carry their labels.
  const auto partFile = folder / "report_part.pdf";
  PartOf(OpenBlankBase(*engine, folder / "Defaul2.pdf"), whole, 3, 4)->GetPDDoc().Save(partFile);
  const std::vector<std::string> partLabels(kReportLabels.begin() + 3, kReportLabels.begin() + 7);
  EXPECT_EQ(PopplerLabels(partFile), partLabels);

  // A part opened again and saved (given its final links) keeps them.
  engine->Open(partFile)->GetPDDoc().Save(partFile);
  EXPECT_EQ(PopplerLabels(partFile), partLabels);
}

TEST(PageLabels, ADocumentWithoutLabelsSavesNoPageLabels) {
  TempFolder folder;
  auto engine = MakeRealEngine();
  auto report = engine->Open(DataFile("report.pdf"));
  for (int i = 0; i < report->GetPDDoc().GetNumPages(); ++i) report->GetPDDoc().SetPageLabel(i, "1-1");
  const auto labelled = folder / "labelled.pdf";
  report->GetPDDoc().Save(labelled);

  // Labels cleared after opening a labelled file, and a part that takes no
  // labels along from the blank base.
  auto reopened = engine->Open(labelled);
  for (int i = 0; i < reopened->GetPDDoc().GetNumPages(); ++i) reopened->GetPDDoc().SetPageLabel(i, "");
  const auto cleared = folder / "cleared.pdf";
  reopened->GetPDDoc().Save(cleared);
  auto plain = engine->Open(DataFile("report.pdf"));
  const auto part = folder / "part.pdf";
  PartOf(OpenBlankBase(*engine, folder / "Defaul2.pdf"), plain->GetPDDoc(), 0, 2)->GetPDDoc().Save(part);

  for (const auto& file : {cleared, part}) {
    SCOPED_TRACE(file.filename().string());
    EXPECT_FALSE(SavedPdf(file).catalog().hasKey("/PageLabels"));
  }
}

}  // namespace
}  // namespace vellumark::acrobat
