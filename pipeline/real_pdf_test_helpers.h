#pragma once
// For the end-to-end tests: a generator of large scanned-looking reports
// (a noise image per page, which no compression shrinks, and a Japanese
// heading line), and an independent reader of what the pipeline wrote:
// QPDF for the structure, poppler for the text, as a user's viewer sees it.
#include <gtest/gtest.h>
#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-page.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFOutlineDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/utf8.h"
#include "tests/support/noise_image.h"

namespace vellumark::pipeline::testing {

inline std::filesystem::path DataFile(const std::string& name) {
  return std::filesystem::path(VELLUMARK_TEST_DATA_DIR) / name;
}

// UTF-16BE hex of ASCII/BMP text, for a Tj with a UCS-2 CMap.
inline std::string Ucs2Hex(const std::string& utf8) {
  static const char* kHex = "0123456789ABCDEF";
  std::string hex = "<";
  for (char32_t c : platform::ToU32(utf8)) {
    for (int shift = 12; shift >= 0; shift -= 4) hex += kHex[(c >> shift) & 0xF];
  }
  return hex + ">";
}

// A report of `headingsByPage.size()` pages. Page i carries a noise image of
// `imageBytes` bytes (about its saved size), the heading line
// `headingsByPage[i]` (none when empty) and a footer "- i+1 -". The text uses
// a non-embedded Japanese CID font with a Unicode CMap, which text
// extraction reads back without any font file. With `sharedResources` every
// page names every image in one resource dictionary (as word processors
// write them) but draws only its own.
inline void WriteNoiseReport(const std::filesystem::path& path, const std::vector<std::string>& headingsByPage,
                             int imageBytes, bool sharedResources = false, unsigned seed = 7) {
  QPDF pdf;
  pdf.emptyPDF();
  auto descriptor = pdf.makeIndirectObject(QPDFObjectHandle::parse(
      "<< /Type /FontDescriptor /FontName /HeiseiKakuGo-W5 /Flags 4 /FontBBox [-92 -250 1010 922]"
      " /ItalicAngle 0 /Ascent 880 /Descent -120 /CapHeight 737 /StemV 114 >>"));
  auto cidFont = pdf.makeIndirectObject(QPDFObjectHandle::parse(
      "<< /Type /Font /Subtype /CIDFontType0 /BaseFont /HeiseiKakuGo-W5"
      " /CIDSystemInfo << /Registry (Adobe) /Ordering (Japan1) /Supplement 2 >> /DW 1000 >>"));
  cidFont.replaceKey("/FontDescriptor", descriptor);
  auto font = pdf.makeIndirectObject(QPDFObjectHandle::parse(
      "<< /Type /Font /Subtype /Type0 /BaseFont /HeiseiKakuGo-W5-UniJIS-UCS2-H /Encoding /UniJIS-UCS2-H >>"));
  font.replaceKey("/DescendantFonts", QPDFObjectHandle::newArray({cidFont}));

  std::mt19937 random(seed);
  const int side = static_cast<int>(std::sqrt(imageBytes / 3.0));
  std::vector<QPDFObjectHandle> images;
  for (std::size_t i = 0; i < headingsByPage.size(); ++i) {
    images.push_back(testsupport::NoiseImage(pdf, side, side, random));
  }

  auto sharedImages = QPDFObjectHandle::newDictionary();
  for (std::size_t i = 0; i < images.size(); ++i) sharedImages.replaceKey("/Im" + std::to_string(i), images[i]);
  auto shared = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary(
      {{"/Font", QPDFObjectHandle::newDictionary({{"/F1", font}})}, {"/XObject", sharedImages}}));

  QPDFPageDocumentHelper pages(pdf);
  for (std::size_t i = 0; i < headingsByPage.size(); ++i) {
    const std::string imageName = "/Im" + std::to_string(i);
    std::string content = "q 400 0 0 400 98 250 cm " + imageName + " Do Q\n";
    if (!headingsByPage[i].empty()) {
      content += "BT /F1 18 Tf 72 760 Td " + Ucs2Hex(headingsByPage[i]) + " Tj ET\n";
    }
    content += "BT /F1 10 Tf 280 40 Td " + Ucs2Hex("- " + std::to_string(i + 1) + " -") + " Tj ET\n";

    auto resources = shared;
    if (!sharedResources) {
      resources = QPDFObjectHandle::newDictionary();
      resources.replaceKey("/Font", QPDFObjectHandle::newDictionary({{"/F1", font}}));
      resources.replaceKey("/XObject", QPDFObjectHandle::newDictionary({{imageName, images[i]}}));
    }
    auto page = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary({
        {"/Type", QPDFObjectHandle::newName("/Page")},
        {"/MediaBox", QPDFObjectHandle::parse("[0 0 596 842]")},
        {"/Resources", resources},
        {"/Contents", QPDFObjectHandle::newStream(&pdf, content)},
    }));
    pages.addPage(QPDFPageObjectHelper(page), false);
  }
  // QPDFWriter keeps the name it is given, not a copy: it must outlive the write.
  const std::string outputName = path.string();
  QPDFWriter writer(pdf, outputName.c_str());
  writer.setStaticID(true);
  writer.write();
}

// The text of every page as poppler reads it, one string per page.
inline std::vector<std::string> PageTexts(const std::filesystem::path& file) {
  std::unique_ptr<poppler::document> doc(poppler::document::load_from_file(file.string()));
  std::vector<std::string> texts;
  if (!doc || doc->is_locked()) return texts;
  for (int i = 0; i < doc->pages(); ++i) {
    std::unique_ptr<poppler::page> page(doc->create_page(i));
    const auto utf8 = page->text(poppler::rectf(), poppler::page::raw_order_layout).to_utf8();
    texts.emplace_back(utf8.begin(), utf8.end());
  }
  return texts;
}

// The page labels a viewer shows, as poppler reads them; empty when the
// file has no /PageLabels at all (poppler would show the page numbers).
inline std::vector<std::string> PageLabels(const std::filesystem::path& file) {
  QPDF pdf;
  pdf.processFile(file.string().c_str());
  if (!pdf.getRoot().hasKey("/PageLabels")) return {};
  std::unique_ptr<poppler::document> doc(poppler::document::load_from_file(file.string()));
  std::vector<std::string> labels;
  if (!doc || doc->is_locked()) return labels;
  for (int i = 0; i < doc->pages(); ++i) {
    std::unique_ptr<poppler::page> page(doc->create_page(i));
    const auto utf8 = page->label().to_utf8();
    labels.emplace_back(utf8.begin(), utf8.end());
  }
  return labels;
}

struct OutlineNode {
  std::string title;
  int targetPage = -1;     // page index its /GoTo leads to, -1 when it has none
  std::string javaScript;  // the action text, "" when it has none
  // A remote go-to: the file as /UF and /F of its file dictionary (a
  // plain string gives both), the page number and the rest of /D written
  // out ("/XYZ null null 1"), /NewWindow as read (false when absent).
  std::string remoteFile;
  std::string remoteFileBytes;
  int remotePage = -1;
  std::string remoteView;
  bool newWindow = false;
  std::vector<OutlineNode> children;
};

// What a viewer finds in a written file.
struct WrittenPdf {
  int pageCount = 0;
  std::vector<OutlineNode> outline;
  std::string pageMode;
  int openPage = -1;
  double openZoom = 0;
  int pagesWithThumbnail = 0;
  std::vector<bool> thumbnails;
};

inline WrittenPdf ReadWrittenPdf(const std::filesystem::path& file) {
  QPDF pdf;
  pdf.processFile(file.string().c_str());
  std::map<QPDFObjGen, int> index;
  WrittenPdf out;
  for (auto& page : QPDFPageDocumentHelper(pdf).getAllPages()) {
    const int i = static_cast<int>(index.size());
    index[page.getObjectHandle().getObjGen()] = i;
    const bool thumb = page.getObjectHandle().hasKey("/Thumb");
    out.thumbnails.push_back(thumb);
    out.pagesWithThumbnail += thumb ? 1 : 0;
  }
  out.pageCount = static_cast<int>(index.size());
  const auto pageOf = [&](QPDFObjectHandle ref) {
    if (!ref.isIndirect()) return -1;
    const auto it = index.find(ref.getObjGen());
    return it == index.end() ? -1 : it->second;
  };

  auto root = pdf.getRoot();
  if (root.getKey("/PageMode").isName()) out.pageMode = root.getKey("/PageMode").getName();
  auto open = root.getKey("/OpenAction");
  if (open.isDictionary()) open = open.getKey("/D");
  if (open.isArray() && open.getArrayNItems() >= 5) {
    out.openPage = pageOf(open.getArrayItem(0));
    if (open.getArrayItem(4).isNumber()) out.openZoom = open.getArrayItem(4).getNumericValue();
  }

  std::function<OutlineNode(QPDFOutlineObjectHelper&)> read = [&](QPDFOutlineObjectHelper& item) {
    OutlineNode node;
    node.title = item.getTitle();
    auto dest = item.getObjectHandle().getKey("/Dest");
    auto action = item.getObjectHandle().getKey("/A");
    for (int guard = 0; action.isDictionary() && guard < 8; ++guard) {
      if (action.getKey("/S").isNameAndEquals("/GoTo")) dest = action.getKey("/D");
      if (action.getKey("/S").isNameAndEquals("/JavaScript")) node.javaScript = action.getKey("/JS").getUTF8Value();
      if (action.getKey("/S").isNameAndEquals("/GoToR")) {
        auto fileEntry = action.getKey("/F");
        if (fileEntry.isString()) {
          node.remoteFile = fileEntry.getUTF8Value();
          node.remoteFileBytes = fileEntry.getStringValue();
        } else if (fileEntry.isDictionary()) {
          if (fileEntry.getKey("/UF").isString()) node.remoteFile = fileEntry.getKey("/UF").getUTF8Value();
          if (fileEntry.getKey("/F").isString()) node.remoteFileBytes = fileEntry.getKey("/F").getStringValue();
        }
        auto remoteDest = action.getKey("/D");
        if (remoteDest.isArray() && remoteDest.getArrayNItems() >= 1) {
          if (remoteDest.getArrayItem(0).isInteger()) node.remotePage = remoteDest.getArrayItem(0).getIntValueAsInt();
          for (int i = 1; i < remoteDest.getArrayNItems(); ++i) {
            node.remoteView += (i == 1 ? "" : " ") + remoteDest.getArrayItem(i).unparse();
          }
        }
        node.newWindow = action.getKey("/NewWindow").isBool() && action.getKey("/NewWindow").getBoolValue();
      }
      action = action.getKey("/Next");
    }
    if (dest.isArray() && dest.getArrayNItems() >= 1) node.targetPage = pageOf(dest.getArrayItem(0));
    for (auto& kid : item.getKids()) node.children.push_back(read(kid));
    return node;
  };
  QPDFOutlineDocumentHelper outlines(pdf);
  for (auto& item : outlines.getTopLevelOutlines()) out.outline.push_back(read(item));
  return out;
}

// Every node, depth first, with its depth.
inline void Flatten(const std::vector<OutlineNode>& nodes, int depth,
                    std::vector<std::pair<int, const OutlineNode*>>& out) {
  for (const auto& node : nodes) {
    out.emplace_back(depth, &node);
    Flatten(node.children, depth + 1, out);
  }
}

}  // namespace vellumark::pipeline::testing
