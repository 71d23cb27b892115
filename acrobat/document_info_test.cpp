// Document information: the date and XMP forms, reading a file's own
// information in either string encoding, and what a save with given
// information writes, as QPDF, poppler and libxml2 read it back.
#include "acrobat/document_info.h"

#include <gtest/gtest.h>

#include "acrobat/real_engine.h"
#include "acrobat/test_pdf_reader.h"
#include "tests/support/pdf_properties.h"
#include "tests/support/temp_folder.h"
#include "tests/support/xmp_reader.h"

namespace vellumark::acrobat {
namespace {

namespace fs = std::filesystem;
using Properties = std::map<std::string, std::string>;
using testing::DataFile;
using testing::OpenBlankBase;
using testsupport::ReadPdfProperties;
using testsupport::ReadXmpProperties;
using testsupport::TempFolder;

// Seconds since the epoch of a local clock reading.
std::time_t UtcSeconds(const LocalDateTime& when) {
  std::tm fields{};
  fields.tm_year = when.year - 1900;
  fields.tm_mon = when.month - 1;
  fields.tm_mday = when.day;
  fields.tm_hour = when.hour;
  fields.tm_min = when.minute;
  fields.tm_sec = when.second;
  return timegm(&fields) - when.utcOffsetMinutes * 60;
}

TEST(DocumentInfoText, DatesCarryTheirOffsetInPdfAndXmpForm) {
  const struct {
    LocalDateTime when;
    const char* pdf;
    const char* xmp;
  } cases[] = {
      {{2026, 12, 7, 9, 30, 5, 540}, "D:20261207093005+09'00'", "2026-12-07T09:30:05+09:00"},
      {{2004, 1, 1, 0, 0, 0, 0}, "D:20040101000000Z", "2004-01-01T00:00:00Z"},
      {{1999, 12, 31, 23, 59, 59, -210}, "D:19991231235959-03'30'", "1999-12-31T23:59:59-03:30"},
      {{2026, 2, 28, 18, 0, 0, 345}, "D:20260228180000+05'45'", "2026-02-28T18:00:00+05:45"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PdfDateText(c.when), c.pdf);
    EXPECT_EQ(XmpDateText(c.when), c.xmp);
  }
}

TEST(DocumentInfoText, XmpPacketIsWellFormedAndSaysWhatTheInformationSays) {
  const LocalDateTime when{2026, 12, 7, 9, 30, 5, 540};
  const struct {
    const char* name;
    DocumentInfo info;
    Properties expected;
  } cases[] = {
      {"a Japanese report",
       {"第2工区　道路改良工事 完成報告書", "山田 太郎", "設計図書", "舗装, 排水", "一太郎", "Vellumark 0.1.0", when,
        when},
       {{"title", "第2工区　道路改良工事 完成報告書"},
        {"author", "山田 太郎"},
        {"subject", "設計図書"},
        {"keywords", "舗装, 排水"},
        {"creatorTool", "一太郎"},
        {"producer", "Vellumark 0.1.0"},
        {"createDate", "2026-12-07T09:30:05+09:00"},
        {"modifyDate", "2026-12-07T09:30:05+09:00"}}},
      {"markup characters and line breaks",
       {"<報告> & \"A\" 'B' ]]>", "", "一行目\r\n二行目\tタブ", "a\x01" "b\x7F" "c", "", "", {}, {}},
       {{"title", "<報告> & \"A\" 'B' ]]>"}, {"subject", "一行目\r\n二行目\tタブ"}, {"keywords", "abc"}}},
      {"nothing but a title", {"Bericht", "", "", "", "", "", {}, {}}, {{"title", "Bericht"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string packet = XmpPacket(c.info);
    EXPECT_EQ(packet.rfind("<?xpacket begin=\"\xEF\xBB\xBF\"", 0), 0u);
    EXPECT_TRUE(packet.ends_with("<?xpacket end=\"w\"?>"));
    const auto read = ReadXmpProperties(packet);
    ASSERT_TRUE(read.has_value()) << packet;
    EXPECT_EQ(*read, c.expected) << packet;
  }
}

// A one-page PDF whose /Info holds `entries` exactly as given (raw string
// bytes, or other objects), or no /Info at all.
fs::path WriteWithInfo(const fs::path& file, const std::optional<std::map<std::string, QPDFObjectHandle>>& entries) {
  QPDF pdf;
  pdf.emptyPDF();
  auto page = pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 595 842] >>"));
  auto pages = pdf.getRoot().getKey("/Pages");
  page.replaceKey("/Parent", pages);
  pages.replaceKey("/Kids", QPDFObjectHandle::newArray({page}));
  pages.replaceKey("/Count", QPDFObjectHandle::newInteger(1));
  if (entries) {
    auto info = QPDFObjectHandle::newDictionary();
    for (const auto& [key, value] : *entries) info.replaceKey(key, value);
    pdf.getTrailer().replaceKey("/Info", pdf.makeIndirectObject(info));
  }
  // QPDFWriter keeps the name it is given, not a copy: it must outlive the write.
  const std::string outputName = file.string();
  QPDFWriter writer(pdf, outputName.c_str());
  writer.write();
  return file;
}

TEST(RealEngineDocumentInfo, ReadsTheFilesOwnTextsWhateverTheirEncoding) {
  TempFolder folder;
  auto engine = MakeRealEngine();
  auto text = [](const std::string& bytes) { return QPDFObjectHandle::newString(bytes); };
  const struct {
    const char* name;
    fs::path file;
    DocumentInfo expected;
  } cases[] = {
      // A word processor's export: UTF-16 with byte order mark.
      {"UTF-16 title", DataFile("report.pdf"), {"完成報告書", "", "", "", "Writer", "LibreOffice 7.4", {}, {}}},
      // PDFDocEncoding differs from Latin-1 above 0x7F: 0xA0 is the euro
      // sign, 0x84 the em dash.
      {"PDFDocEncoding",
       WriteWithInfo(folder / "pdfdoc.pdf",
                     std::map<std::string, QPDFObjectHandle>{{"/Title", text("Kosten \xA0 \x84 Stra\xDF" "e")},
                                                             {"/Author", text("M\xFCller")},
                                                             {"/Keywords", text("Br\xFC" "cke")}}),
       {"Kosten € — Straße", "Müller", "", "Brücke", "", "", {}, {}}},
      {"no information", WriteWithInfo(folder / "none.pdf", std::nullopt), {}},
      {"a title that is no string",
       WriteWithInfo(folder / "number.pdf",
                     std::map<std::string, QPDFObjectHandle>{{"/Title", QPDFObjectHandle::newInteger(7)},
                                                             {"/Subject", text(std::string("\xFE\xFF\x30\x6B\x00\x41", 6))}}),
       {"", "", "にA", "", "", "", {}, {}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto view = engine->Open(c.file);
    EXPECT_EQ(view->GetPDDoc().GetDocumentInfo(), c.expected);
  }
}

TEST(RealEngineDocumentInfo, SaveWritesTheGivenInformationInPlaceOfTheBaseFiles) {
  TempFolder folder;
  auto engine = MakeRealEngine();
  auto base = OpenBlankBase(*engine, folder / "Default.pdf");
  Document& document = base->GetPDDoc();
  const LocalDateTime created{2026, 12, 7, 9, 30, 5, 540};
  const LocalDateTime modified{2026, 12, 7, 10, 0, 0, 540};
  const struct {
    const char* name;
    DocumentInfo info;
    std::string storedTitle;  // the title's bytes in the file
  } cases[] = {
      // The same document saved again with other information: the last wins.
      {"Japanese, UTF-16",
       {"第2工区　完成報告書", "山田 太郎", "道路改良 & 排水", "舗装 <設計>", "Writer", "Vellumark 0.1.0", created,
        modified},
       std::string("\xFE\xFF\x7B\x2C\x00\x32\x5D\xE5\x53\x3A\x30\x00\x5B\x8C\x62\x10\x58\x31\x54\x4A\x66\xF8", 22)},
      {"ASCII stays plain", {"Bericht", "", "", "", "", "Vellumark 0.1.0", created, created}, "Bericht"},
      // PDFDocEncoding would store the euro sign as 0xA0, which readers
      // taking such strings as Latin-1 show as a space.
      {"beyond ASCII in UTF-16", {"Kosten €", "", "", "", "", "Vellumark 0.1.0", created, created},
       std::string("\xFE\xFF\x00K\x00o\x00s\x00t\x00""e\x00n\x00 \x20\xAC", 18)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path output = folder / "out.pdf";
    document.SetDocumentInfo(c.info);
    document.Save(output);
    ASSERT_TRUE(testing::QpdfCheckPasses(output));
    const auto read = ReadPdfProperties(output);

    EXPECT_EQ(read.stored.at("/Title"), c.storedTitle);
    Properties infoTexts, popplerTexts, xmpTexts;
    const std::pair<const char*, const std::string DocumentInfo::*> texts[] = {
        {"Title", &DocumentInfo::title},       {"Author", &DocumentInfo::author},
        {"Subject", &DocumentInfo::subject},   {"Keywords", &DocumentInfo::keywords},
        {"Creator", &DocumentInfo::creator},   {"Producer", &DocumentInfo::producer},
    };
    for (const auto& [key, field] : texts) {
      if (!(c.info.*field).empty()) infoTexts["/" + std::string(key)] = c.info.*field;
      if (!(c.info.*field).empty()) popplerTexts[key] = c.info.*field;
    }
    infoTexts["/CreationDate"] = PdfDateText(*c.info.creationDate);
    infoTexts["/ModDate"] = PdfDateText(*c.info.modDate);
    EXPECT_EQ(read.info, infoTexts);
    EXPECT_EQ(read.poppler, popplerTexts);
    EXPECT_EQ(read.popplerCreationDate, UtcSeconds(*c.info.creationDate));
    EXPECT_EQ(read.popplerModDate, UtcSeconds(*c.info.modDate));

    ASSERT_TRUE(read.xmp.has_value()) << read.xmpPacket;
    EXPECT_EQ(read.popplerXmpPacket, read.xmpPacket);
    EXPECT_EQ(read.xmp->at("title"), c.info.title);
    EXPECT_EQ(read.xmp->at("producer"), c.info.producer);
    EXPECT_EQ(read.xmp->at("modifyDate"), XmpDateText(*c.info.modDate));
    if (!c.info.subject.empty()) {
      EXPECT_EQ(read.xmp->at("subject"), c.info.subject);
    }
    // The blank base file's own information is nowhere in the file.
    for (const char* foreign : {"Book1", "Excel", "PDFWriter", "2004"}) {
      EXPECT_EQ(read.allText.find(foreign), std::string::npos) << foreign;
    }
  }
}

}  // namespace
}  // namespace vellumark::acrobat
