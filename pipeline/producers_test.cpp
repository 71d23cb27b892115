// One report as five programs other than a word processor write it, read
// by both recognisers on the real engine. Each program leaves its own marks
// on the text poppler extracts: Qt maps kanji to radical look-alikes (⽬ for
// 目), upLaTeX leaves its Japanese fonts unembedded without a ToUnicode map
// and puts glue spaces between kanji and digits ("第 1章"), Ghostscript
// re-encodes every font of the file it distils. Whatever the producer, the
// delivered file must carry the same bookmarks to the same pages.
#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>

#include <string>
#include <utility>
#include <vector>

#include "acrobat/test_pdf_reader.h"
#include "pipeline/real_conversion_test.h"
#include "pipeline/real_pdf_test_helpers.h"

namespace vellumark::pipeline {
namespace {

namespace fs = std::filesystem;
using testing::Flatten;
using testing::OutlineNode;
using testing::PageTexts;
using testing::ReadWrittenPdf;
using testing::WrittenPdf;

struct ProducerCase {
  const char* file;      // in tests/data/producers
  const char* producer;  // the start of the file's /Producer
};

const ProducerCase kProducers[] = {
    {"chromium.pdf", "Skia/PDF"},       {"qt.pdf", "Qt "},           {"cairo.pdf", "cairo "},
    {"ghostscript.pdf", "GPL Ghostscript"}, {"uplatex.pdf", "dvipdfmx"},
};

// Cover, contents page, then printed pages 1–4 on page indexes 2–5.
const std::vector<std::pair<int, std::string>> kOutline = {
    {0, "表紙"},           {0, "第1章　総則"}, {1, "1.1　業務目的"},     {1, "1.2　業務概要"},
    {0, "第2章　設計条件"}, {1, "2.1　設計基準"}, {2, "2.1.1　準拠基準"}, {0, "第3章　数量計算"},
};
const std::vector<int> kTargets = {0, 2, 2, 3, 4, 4, 4, 5};

// A title without its spaces: a scanned title keeps the spacing of its
// page, which differs from one producer to the next.
std::string WithoutSpaces(const std::string& title) {
  std::string out;
  for (std::size_t i = 0; i < title.size(); ++i) {
    if (title[i] == ' ') continue;
    if (title.compare(i, 3, "\u3000") == 0) {
      i += 2;
      continue;
    }
    out.push_back(title[i]);
  }
  return out;
}

std::string ProducerOf(const fs::path& file) {
  QPDF pdf;
  pdf.processFile(file.string().c_str());
  return pdf.getTrailer().getKey("/Info").getKey("/Producer").getUTF8Value();
}

class ProducersTest : public testing::RealConversionTest, public ::testing::WithParamInterface<ProducerCase> {
 protected:
  // The job converted into one file with headings from `source`, as a
  // viewer finds it; also checks what every delivered file must be.
  WrittenPdf Convert(HeadingSource source) {
    fs::remove_all(OutputPathFor(parent).parent_path());
    options.headingSource = source;
    options.partSizeLimit.reset();
    conversion.ConvertJob(JobOf({parent}), options);
    const fs::path output = OutputPathFor(parent);
    EXPECT_TRUE(acrobat::testing::QpdfCheckPasses(output));
    EXPECT_EQ(PageTexts(output), PageTexts(parent));
    const WrittenPdf written = ReadWrittenPdf(output);
    EXPECT_EQ(written.pageCount, 6);
    EXPECT_EQ(written.pagesWithThumbnail, 6);
    EXPECT_EQ(written.pageMode, "/UseOutlines");
    EXPECT_EQ(written.openPage, 0);
    EXPECT_EQ(written.openZoom, 1.0);
    return written;
  }

  const fs::path parent = CopyFixture(std::string("producers/") + GetParam().file, GetParam().file);
};

std::vector<std::pair<int, const OutlineNode*>> Flat(const WrittenPdf& written) {
  std::vector<std::pair<int, const OutlineNode*>> flat;
  Flatten(written.outline, 0, flat);
  return flat;
}

TEST_P(ProducersTest, ContentsPageGivesTheWholeTree) {
  ASSERT_EQ(ProducerOf(parent).rfind(GetParam().producer, 0), 0u) << ProducerOf(parent);
  const WrittenPdf written = Convert(HeadingSource::kContentsPage);
  std::vector<std::pair<int, std::string>> outline;
  std::vector<int> targets;
  for (const auto& [depth, node] : Flat(written)) {
    outline.emplace_back(depth, node->title);
    targets.push_back(node->targetPage);
  }
  EXPECT_EQ(outline, kOutline);
  EXPECT_EQ(targets, kTargets);
}

TEST_P(ProducersTest, ScanningEveryPageGivesTheSameTree) {
  const WrittenPdf written = Convert(HeadingSource::kAllPages);
  std::vector<std::pair<int, std::string>> outline;
  std::vector<int> targets;
  for (const auto& [depth, node] : Flat(written)) {
    outline.emplace_back(depth, WithoutSpaces(node->title));
    targets.push_back(node->targetPage);
  }
  std::vector<std::pair<int, std::string>> expected;
  for (const auto& [depth, title] : kOutline) expected.emplace_back(depth, WithoutSpaces(title));
  EXPECT_EQ(outline, expected);
  EXPECT_EQ(targets, kTargets);
}

INSTANTIATE_TEST_SUITE_P(Producers, ProducersTest, ::testing::ValuesIn(kProducers),
                         [](const ::testing::TestParamInfo<ProducerCase>& info) {
                           std::string name = info.param.file;
                           return name.substr(0, name.find('.'));
                         });

}  // namespace
}  // namespace vellumark::pipeline
