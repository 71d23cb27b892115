// The document properties of real outputs, read back with QPDF, poppler and
// libxml2: the parent's title and the rest of its information, this program
// as producer, today's dates, and nothing of the blank base file.
#include <gtest/gtest.h>

#include <ctime>

#include "acrobat/real_engine.h"
#include "pipeline/conversion.h"
#include "pipeline/file_names.h"
#include "pipeline/pipeline_test_helpers.h"
#include "pipeline/real_conversion_test.h"
#include "pipeline/real_pdf_test_helpers.h"
#include "tests/support/pdf_properties.h"
#include "tests/support/temp_folder.h"

namespace vellumark::pipeline {
namespace {

namespace fs = std::filesystem;
using testing::DataFile;
using testing::RecordingSink;
using testing::WriteNoiseReport;
using testsupport::PdfProperties;
using testsupport::ReadPdfProperties;

const std::string kProducer = std::string("Vellumark ") + VELLUMARK_PRODUCER_VERSION;
const std::string kTitle = "第2工区　道路改良工事 完成報告書";

// Rewrites the information of `file` as a word processor would leave it:
// UTF-16 strings, one with characters XML must escape.
void SetParentInfo(const fs::path& file, const std::string& title) {
  QPDF pdf;
  pdf.processFile(file.string().c_str());
  auto info = QPDFObjectHandle::newDictionary();
  if (!title.empty()) info.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(title));
  info.replaceKey("/Author", QPDFObjectHandle::newUnicodeString("山田 太郎 & 設計課"));
  info.replaceKey("/Subject", QPDFObjectHandle::newUnicodeString("道路改良工事"));
  info.replaceKey("/Keywords", QPDFObjectHandle::newUnicodeString("舗装 <排水>"));
  info.replaceKey("/Creator", QPDFObjectHandle::newUnicodeString("Writer"));
  info.replaceKey("/Producer", QPDFObjectHandle::newUnicodeString("LibreOffice 7.4"));
  info.replaceKey("/CreationDate", QPDFObjectHandle::newString("D:20190401090000+09'00'"));
  pdf.getTrailer().replaceKey("/Info", pdf.makeIndirectObject(info));
  const fs::path rewritten = file.string() + ".new";
  // QPDFWriter keeps the name it is given, not a copy: it must outlive the write.
  const std::string outputName = rewritten.string();
  QPDFWriter writer(pdf, outputName.c_str());
  writer.write();
  fs::rename(rewritten, file);
}

class DocumentInfoEndToEndTest : public testing::RealConversionTest {
 protected:
  // What a user sees in the properties of a delivered file.
  void ExpectParentsProperties(const fs::path& output, const std::string& title) const {
    SCOPED_TRACE(output.filename().string());
    const PdfProperties read = ReadPdfProperties(output);
    const std::map<std::string, std::string> expected = {
        {"Title", title},       {"Author", "山田 太郎 & 設計課"}, {"Subject", "道路改良工事"},
        {"Keywords", "舗装 <排水>"}, {"Creator", "Writer"},          {"Producer", kProducer},
    };
    EXPECT_EQ(read.poppler, expected);
    for (const auto& [key, value] : expected) EXPECT_EQ(read.info.at("/" + key), value) << key;
    // Dates of the conversion, not the parent's 2019 nor the base file's 2004.
    EXPECT_GE(read.popplerCreationDate, started);
    EXPECT_LE(read.popplerCreationDate, std::time(nullptr));
    EXPECT_EQ(read.popplerModDate, read.popplerCreationDate);

    ASSERT_TRUE(read.xmp.has_value()) << read.xmpPacket;
    EXPECT_EQ(read.popplerXmpPacket, read.xmpPacket);
    std::map<std::string, std::string> xmpTexts = *read.xmp;
    const std::string xmpDate = xmpTexts["createDate"];  // YYYY-MM-DDTHH:MM:SS…
    EXPECT_EQ(xmpTexts["modifyDate"], xmpDate);
    xmpTexts.erase("createDate");
    xmpTexts.erase("modifyDate");
    const std::map<std::string, std::string> expectedXmp = {
        {"title", title},         {"author", "山田 太郎 & 設計課"}, {"subject", "道路改良工事"},
        {"keywords", "舗装 <排水>"}, {"creatorTool", "Writer"},          {"producer", kProducer},
    };
    EXPECT_EQ(xmpTexts, expectedXmp);
    // The XMP date is the /Info date in its own form: same day and time.
    const std::string pdfDate = read.info.at("/CreationDate");  // D:YYYYMMDDHHmmSS…
    ASSERT_GE(pdfDate.size(), 16u);
    ASSERT_GE(xmpDate.size(), 19u);
    EXPECT_EQ(pdfDate.substr(2, 14), xmpDate.substr(0, 4) + xmpDate.substr(5, 2) + xmpDate.substr(8, 2) +
                                         xmpDate.substr(11, 2) + xmpDate.substr(14, 2) + xmpDate.substr(17, 2));

    for (const char* foreign : {"Book1", "Excel", "PDFWriter"}) {
      EXPECT_EQ(read.allText.find(foreign), std::string::npos) << foreign;
    }
  }

  // Whole seconds: the PDF date has no finer unit.
  std::time_t started = std::time(nullptr);
};

TEST_F(DocumentInfoEndToEndTest, OneFileCarriesTheParentsInformationNotTheBaseFiles) {
  const fs::path parent = docs / "報告書.pdf";
  fs::copy_file(DataFile("report.pdf"), parent);
  SetParentInfo(parent, kTitle);
  // The children have information of their own, which must not show.
  const fs::path child = docs / "付録1.pdf";
  fs::copy_file(DataFile("appendix1.pdf"), child);
  options.partSizeLimit.reset();
  conversion.ConvertJob(JobOf({parent, child}), options);
  ExpectParentsProperties(OutputPathFor(parent), kTitle);
}

TEST_F(DocumentInfoEndToEndTest, EveryPartCarriesTheParentsInformation) {
  const fs::path parent = docs / "第2工区 報告書.pdf";
  WriteNoiseReport(parent, {"第1章 総則", "", "", "第2章 設計", "", "", "第3章 施工", ""}, 150000);
  SetParentInfo(parent, "");  // no title: the file name stands in
  options.headingSource = HeadingSource::kAllPages;
  options.splitUnit = SplitUnit::kChapter;
  conversion.ConvertJob(JobOf({parent}), options);

  std::vector<fs::path> parts;
  for (int n = 1; n < 100 && fs::exists(PartFileName(OutputPathFor(parent), n)); ++n) {
    parts.push_back(PartFileName(OutputPathFor(parent), n));
  }
  ASSERT_GE(parts.size(), 2u);
  for (const fs::path& part : parts) ExpectParentsProperties(part, "第2工区 報告書");
}

}  // namespace
}  // namespace vellumark::pipeline
