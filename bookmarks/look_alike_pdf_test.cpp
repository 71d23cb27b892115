// A real PDF whose text extracts as radical look-alikes, as many producers'
// files do: the glyphs are drawn from a plain font, and the font's ToUnicode
// map gives ⽬ (U+2F6C) and ⻑ (U+2ED1) where a reader sees 目 and 長. The
// file is opened with the real engine, so the whole road from the PDF's
// text to the heading list is covered.
#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "acrobat/real_engine.h"
#include "bookmarks/contents_page.h"
#include "bookmarks/heading_scan.h"
#include "platform/utf8.h"
#include "tests/support/temp_folder.h"
#include "tests/support/heading_entries.h"

namespace vellumark::bookmarks {
namespace {

std::string Hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

// Writes one page per entry of `pages`, each line drawn with Helvetica at its
// own height. Every distinct character gets a one-byte code from 0x21 on,
// and the font's ToUnicode map sends the code back to that character.
void WritePdf(const std::filesystem::path& file, const std::vector<std::vector<std::string>>& pages) {
  std::map<char32_t, unsigned> codes;
  for (const auto& lines : pages) {
    for (const auto& line : lines) {
      for (const char32_t c : platform::ToU32(line)) codes.emplace(c, 0);
    }
  }
  unsigned next = 0x21;
  std::string cmap =
      "/CIDInit /ProcSet findresource begin 12 dict begin begincmap\n"
      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
      "/CMapName /Adobe-Identity-UCS def /CMapType 2 def\n"
      "1 begincodespacerange <00> <FF> endcodespacerange\n" +
      std::to_string(codes.size()) + " beginbfchar\n";
  for (auto& [c, code] : codes) {
    code = next++;
    cmap += "<" + Hex(code, 2) + "> <" + (c > 0xFFFF ? Hex(0xD800 + ((c - 0x10000) >> 10), 4) +
                                                         Hex(0xDC00 + ((c - 0x10000) & 0x3FF), 4)
                                                   : Hex(c, 4)) + ">\n";
  }
  ASSERT_LT(next, 0x100u) << "too many distinct characters for one-byte codes";
  cmap += "endbfchar\nendcmap CMapName currentdict /CMap defineresource pop end end\n";

  QPDF pdf;
  pdf.emptyPDF();
  auto font = pdf.makeIndirectObject(
      QPDFObjectHandle::parse("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"));
  font.replaceKey("/ToUnicode", QPDFObjectHandle::newStream(&pdf, cmap));
  QPDFPageDocumentHelper helper(pdf);
  for (const auto& lines : pages) {
    std::string content;
    int y = 780;
    for (const auto& line : lines) {
      content += "BT /F1 12 Tf 72 " + std::to_string(y) + " Td <";
      for (const char32_t c : platform::ToU32(line)) content += Hex(codes.at(c), 2);
      content += "> Tj ET\n";
      y -= 24;
    }
    auto page = pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 595 842] >>"));
    auto fonts = QPDFObjectHandle::newDictionary();
    fonts.replaceKey("/F1", font);
    auto resources = QPDFObjectHandle::newDictionary();
    resources.replaceKey("/Font", fonts);
    page.replaceKey("/Resources", resources);
    page.replaceKey("/Contents", QPDFObjectHandle::newStream(&pdf, content));
    helper.addPage(QPDFPageObjectHelper(page), false);
  }
  // QPDFWriter keeps the name it is given, not a copy: it must outlive the write.
  const std::string outputName = file.string();
  QPDFWriter writer(pdf, outputName.c_str());
  writer.write();
}

TEST(LookAlikePdfTest, HeadingsCarryTheUnifiedIdeographs) {
  testsupport::TempFolder folder;
  const auto file = folder / "report.pdf";
  WritePdf(file, {{"\u2F6C次", "第1章業務\u2F6C的･････1", "1.1\u2ED1期計画･････2", "END"},
                  {"第1章 業務\u2F6C的", "- 1 -"},
                  {"1.1 \u2ED1期計画", "- 2 -"}});
  auto engine = acrobat::MakeRealEngine();
  auto view = engine->Open(file);
  const auto& doc = view->GetPDDoc();
  // The engine hands on what the file says: without the look-alikes in its
  // text this test would prove nothing.
  ASSERT_NE(doc.ReadPageText(0).find("\u2F6C次"), std::string::npos) << doc.ReadPageText(0);

  HeadingList list;
  platform::NullStatusSink status;
  EXPECT_EQ(ReadContentsPage(doc, list, "･", status), 1);
  EXPECT_EQ(testsupport::EntryTexts(list), (std::vector<std::string>{"第1章　業務目的\t1", "\t1.1　長期計画\t2"}));

  ScanHeadings(doc, list, status);
  EXPECT_EQ(testsupport::EntryTexts(list), (std::vector<std::string>{"第1章 業務目的\t2", "\t1.1 長期計画\t3"}));
}

}  // namespace
}  // namespace vellumark::bookmarks
