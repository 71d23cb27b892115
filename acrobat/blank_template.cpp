// The blank base file: one empty A4 page, built with QPDF rather than carried
// as bytes, with the document information of the spreadsheet printout it
// imitates (replaced in every output).
#include "acrobat/blank_template.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFWriter.hh>

#include <string>
#include <system_error>

#include "acrobat/document_info.h"
#include "acrobat/engine.h"
#include "acrobat/engine_messages.h"
#include "acrobat/qpdf_document.h"

namespace vellumark::acrobat {

namespace {

using OH = QPDFObjectHandle;

// The base file's own document information, in /Info and in XMP for
// readers that look there first; outputs carry their parent's.
DocumentInfo BaseFileInformation() {
  DocumentInfo info;
  info.title = "Book1";
  info.author = "------";
  info.creator = "Microsoft Excel - Book1";
  info.producer = "Acrobat PDFWriter 5.0 Windows NT";
  info.creationDate = LocalDateTime{2004, 1, 1, 0, 0, 0, 0};
  info.modDate = LocalDateTime{2004, 1, 1, 0, 0, 0, 9 * 60};
  return info;
}

// "ＭＳＰゴシック" in Shift-JIS: the font name as Japanese Windows writes it.
constexpr const char* kFontName = "/\x82\x6C\x82\x72\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";

// One ideographic space (Shift-JIS 81 40) in black: the page shows nothing,
// yet carries the font, as the page of a blank spreadsheet printed to PDF.
constexpr const char* kPageContent = "BT\n/F0 11.25 Tf\n0 0 0 rg\n59.25 759 Td\n<8140> Tj\nET\n";

OH Integers(std::initializer_list<long long> values) {
  std::vector<OH> items;
  for (long long v : values) items.push_back(OH::newInteger(v));
  return OH::newArray(items);
}

OH Dict(std::initializer_list<std::pair<const char*, OH>> entries) {
  auto dict = OH::newDictionary();
  for (const auto& [key, value] : entries) dict.replaceKey(key, value);
  return dict;
}

void BuildTemplate(QPDF& pdf) {
  pdf.emptyPDF();
  const DocumentInfo base = BaseFileInformation();
  auto info = pdf.makeIndirectObject(Dict({{"/Creator", OH::newString(base.creator)},
                                           {"/Title", OH::newString(base.title)},
                                           {"/Author", OH::newString(base.author)},
                                           {"/Producer", OH::newString(base.producer)},
                                           {"/CreationDate", OH::newString(PdfDateText(*base.creationDate))},
                                           {"/ModDate", OH::newString(PdfDateText(*base.modDate))}}));
  pdf.getTrailer().replaceKey("/Info", info);

  auto procSet = pdf.makeIndirectObject(OH::newArray({OH::newName("/PDF"), OH::newName("/Text")}));
  auto descriptor = pdf.makeIndirectObject(Dict({{"/Type", OH::newName("/FontDescriptor")},
                                                 {"/FontName", OH::newName(kFontName)},
                                                 {"/Flags", OH::newInteger(6)},
                                                 {"/FontBBox", Integers({-100, -141, 842, 1000})},
                                                 {"/MissingWidth", OH::newInteger(418)},
                                                 {"/StemV", OH::newInteger(76)},
                                                 {"/StemH", OH::newInteger(76)},
                                                 {"/ItalicAngle", OH::newInteger(0)},
                                                 {"/CapHeight", OH::newInteger(859)},
                                                 {"/XHeight", OH::newInteger(430)},
                                                 {"/Ascent", OH::newInteger(859)},
                                                 {"/Descent", OH::newInteger(-141)},
                                                 {"/Leading", OH::newInteger(0)},
                                                 {"/MaxWidth", OH::newInteger(742)},
                                                 {"/AvgWidth", OH::newInteger(418)}}));
  // Proportional widths for the half-width Latin and katakana ranges; the
  // full-width characters take the default 1000.
  auto widths = OH::newArray({OH::newInteger(1), OH::newInteger(94), OH::newInteger(500), OH::newInteger(326),
                              OH::newInteger(389), OH::newInteger(500), OH::newInteger(631),
                              OH::newArray({OH::newInteger(414)})});
  auto descendant = pdf.makeIndirectObject(
      Dict({{"/Type", OH::newName("/Font")},
            {"/Subtype", OH::newName("/CIDFontType2")},
            {"/BaseFont", OH::newName(kFontName)},
            {"/WinCharSet", OH::newInteger(128)},
            {"/CIDSystemInfo", Dict({{"/Registry", OH::newString("Adobe")},
                                     {"/Ordering", OH::newString("Japan1")},
                                     {"/Supplement", OH::newInteger(2)}})},
            {"/FontDescriptor", descriptor},
            {"/DW", OH::newInteger(1000)},
            {"/W", widths}}));
  auto font = pdf.makeIndirectObject(Dict({{"/Type", OH::newName("/Font")},
                                           {"/Subtype", OH::newName("/Type0")},
                                           {"/Name", OH::newName("/F0")},
                                           {"/BaseFont", OH::newName(kFontName)},
                                           {"/Encoding", OH::newName("/90msp-RKSJ-H")},
                                           {"/DescendantFonts", OH::newArray({descendant})}}));

  auto content = OH::newStream(&pdf);
  content.replaceStreamData(detail::Deflate(kPageContent), OH::newName("/FlateDecode"), OH::newNull());

  auto pages = pdf.getRoot().getKey("/Pages");
  auto page = pdf.makeIndirectObject(
      Dict({{"/Type", OH::newName("/Page")},
            {"/Parent", pages},
            {"/Resources", Dict({{"/Font", Dict({{"/F0", font}})}, {"/ProcSet", procSet}})},
            {"/Contents", content}}));
  // A4 portrait with both sides rounded up to whole points, held by the page
  // tree and inherited by the page.
  pages.replaceKey("/MediaBox", Integers({0, 0, 596, 842}));
  pages.replaceKey("/Kids", OH::newArray({page}));
  pages.replaceKey("/Count", OH::newInteger(1));
  pdf.updateAllPagesCache();

  // Opens on page 1 at 100 %, the position left as it is.
  auto openAction = pdf.makeIndirectObject(
      Dict({{"/S", OH::newName("/GoTo")},
            {"/D", OH::newArray({page, OH::newName("/XYZ"), OH::newNull(), OH::newNull(), OH::newInteger(1)})}}));
  auto metadata = OH::newStream(&pdf, XmpPacket(base));
  metadata.getDict().replaceKey("/Type", OH::newName("/Metadata"));
  metadata.getDict().replaceKey("/Subtype", OH::newName("/XML"));
  auto catalog = pdf.getRoot();
  catalog.replaceKey("/OpenAction", openAction);
  catalog.replaceKey("/Metadata", metadata);
}

}  // namespace

void WriteTemplatePdf(const std::filesystem::path& path) {
  if (path.empty()) throw PdfError(path, kCannotSave);
  QPDF pdf;
  try {
    BuildTemplate(pdf);
  } catch (const std::exception&) {
    throw PdfError(path, kCannotSave);
  }
  detail::WriteAtomically(pdf, path, [](QPDFWriter& writer) {
    writer.forcePDFVersion("1.4");
    // Left uncompressed where it is stored uncompressed: XMP readers scan
    // for the packet; the page content is compressed already.
    writer.setCompressStreams(false);
    writer.setObjectStreamMode(qpdf_o_disable);
    writer.setDeterministicID(true);
  });
}

}  // namespace vellumark::acrobat
