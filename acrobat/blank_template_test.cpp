#include "acrobat/blank_template.h"

#include <gtest/gtest.h>
#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-page-renderer.h>
#include <poppler/cpp/poppler-page.h>
#include <qpdf/QPDFPageObjectHelper.hh>

#include "acrobat/engine.h"
#include "acrobat/test_pdf_reader.h"
#include "tests/support/temp_folder.h"

namespace vellumark::acrobat {
namespace {

using testing::SavedPdf;
using testsupport::ReadBytes;
using testsupport::TempFolder;

TEST(BlankTemplate, IsAOnePageA4Pdf14WithTheJapaneseFontAndOpenAction) {
  TempFolder folder;
  const auto file = folder / "Default.pdf";
  WriteTemplatePdf(file);

  EXPECT_EQ(ReadBytes(file).substr(0, 8), "%PDF-1.4");
  EXPECT_TRUE(testing::QpdfCheckPasses(file));

  SavedPdf pdf(file);
  ASSERT_EQ(pdf.pageCount(), 1);
  const auto box = QPDFPageObjectHelper(pdf.page(0)).getMediaBox().getArrayAsRectangle();
  EXPECT_DOUBLE_EQ(box.urx - box.llx, 596);
  EXPECT_DOUBLE_EQ(box.ury - box.lly, 842);

  auto font = pdf.page(0).getKey("/Resources").getKey("/Font").getKey("/F0");
  EXPECT_TRUE(font.getKey("/Subtype").isNameAndEquals("/Type0"));
  EXPECT_TRUE(font.getKey("/Encoding").isNameAndEquals("/90msp-RKSJ-H"));
  // "ＭＳＰゴシック" in Shift-JIS, as the name of the face.
  EXPECT_EQ(font.getKey("/BaseFont").getName(), "/\x82\x6C\x82\x72\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E");
  auto descendant = font.getKey("/DescendantFonts").getArrayItem(0);
  EXPECT_EQ(descendant.getKey("/CIDSystemInfo").getKey("/Ordering").getStringValue(), "Japan1");

  auto action = pdf.catalog().getKey("/OpenAction");
  auto dest = action.isDictionary() ? action.getKey("/D") : action;
  ASSERT_TRUE(dest.isArray());
  EXPECT_EQ(pdf.PageIndexOf(dest.getArrayItem(0)), 0);
  EXPECT_TRUE(dest.getArrayItem(1).isNameAndEquals("/XYZ"));
  EXPECT_DOUBLE_EQ(dest.getArrayItem(4).getNumericValue(), 1.0);
}

TEST(BlankTemplate, CarriesTheDocumentInformationInInfoAndXmp) {
  TempFolder folder;
  const auto file = folder / "Defaul2.pdf";
  WriteTemplatePdf(file);
  SavedPdf pdf(file);
  auto info = pdf.qpdf().getTrailer().getKey("/Info");
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"/Creator", "Microsoft Excel - Book1"}, {"/Title", "Book1"},
      {"/Author", "------"},                   {"/Producer", "Acrobat PDFWriter 5.0 Windows NT"},
      {"/CreationDate", "D:20040101000000Z"},  {"/ModDate", "D:20040101000000+09'00'"}};
  for (const auto& [key, value] : expected) EXPECT_EQ(info.getKey(key).getUTF8Value(), value) << key;

  auto metadata = pdf.catalog().getKey("/Metadata");
  ASSERT_TRUE(metadata.isStream());
  const auto buffer = metadata.getStreamData();
  const std::string xmp(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
  for (const char* value : {"Book1", "------", "Microsoft Excel - Book1", "Acrobat PDFWriter 5.0 Windows NT",
                            "2004-01-01T00:00:00Z"}) {
    EXPECT_NE(xmp.find(value), std::string::npos) << value;
  }
}

TEST(BlankTemplate, PageShowsNothing) {
  TempFolder folder;
  const auto file = folder / "defQ.PDF";
  WriteTemplatePdf(file);
  std::unique_ptr<poppler::document> doc(poppler::document::load_from_file(file.string()));
  ASSERT_TRUE(doc);
  std::unique_ptr<poppler::page> page(doc->create_page(0));
  poppler::page_renderer renderer;
  renderer.set_image_format(poppler::image::format_rgb24);
  const auto image = renderer.render_page(page.get(), 18, 18);
  ASSERT_TRUE(image.is_valid());
  int inked = 0;
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const unsigned char*>(image.const_data()) + y * image.bytes_per_row();
    for (int x = 0; x < image.width() * 3; ++x) inked += row[x] != 0xFF;
  }
  EXPECT_EQ(inked, 0);
}

TEST(BlankTemplate, ReplacesAnExistingFileAndLeavesNoTemporary) {
  TempFolder folder;
  const auto file = folder / "Default.pdf";
  testsupport::WriteBytes(file, "an older, broken base file");
  WriteTemplatePdf(file);
  EXPECT_TRUE(testing::QpdfCheckPasses(file));
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) ++entries;
  EXPECT_EQ(entries, 1);
}

TEST(BlankTemplate, UnwritableFolderThrowsPdfErrorNamingTheFile) {
  TempFolder folder;
  const auto file = folder / "missing-folder" / "Default.pdf";
  try {
    WriteTemplatePdf(file);
    FAIL() << "no error";
  } catch (const PdfError& e) {
    EXPECT_EQ(e.file(), file);
    EXPECT_FALSE(e.reason().empty());
  }
}

}  // namespace
}  // namespace vellumark::acrobat
