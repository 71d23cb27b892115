#pragma once
// For the engine's tests only: reads a written PDF back with QPDF and poppler
// as fresh, independent readers, and reports what a user would see (pages,
// their text, the outline, the opening state, thumbnails); builds the blank
// base and the parts the conversion builds; and writes a photo album of
// incompressible images as test input.
#include <gtest/gtest.h>
#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-page.h>
#include <poppler/cpp/poppler-toc.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFOutlineDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "acrobat/blank_template.h"
#include "acrobat/engine.h"
#include "tests/support/noise_image.h"

namespace vellumark::acrobat::testing {

inline std::filesystem::path DataFile(const std::string& name) {
  return std::filesystem::path(VELLUMARK_TEST_DATA_DIR) / name;
}

// The blank base document every working document and part starts from:
// the template written to `file` and opened.
inline std::unique_ptr<View> OpenBlankBase(Engine& engine, const std::filesystem::path& file) {
  WriteTemplatePdf(file);
  return engine.Open(file);
}

// A part as the split builds it: pages first..first+count-1 of `source`
// inserted in front of the blank base's page, which then goes.
inline std::unique_ptr<View> PartOf(std::unique_ptr<View> base, Document& source, int first, int count) {
  Document& part = base->GetPDDoc();
  part.InsertPages(0, source, first, count);
  part.DeletePages(0, 0);
  return base;
}

// `qpdf --check`: structure, cross-reference and every stream's encoding.
inline bool QpdfCheckPasses(const std::filesystem::path& file) {
  const std::string command = "qpdf --check '" + file.string() + "' >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

// The lines of `text`, each ended by `lineEnd`; a last line without one
// counts, an empty one after the last line end does not.
inline std::vector<std::string> SplitLines(const std::string& text, char lineEnd) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == lineEnd) {
      lines.push_back(line);
      line.clear();
    } else {
      line.push_back(c);
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// The text of every page, as poppler reads it in raw order, lines split.
inline std::vector<std::vector<std::string>> PopplerPageLines(const std::filesystem::path& file) {
  std::unique_ptr<poppler::document> doc(poppler::document::load_from_file(file.string()));
  std::vector<std::vector<std::string>> pages;
  if (!doc || doc->is_locked()) return pages;
  for (int i = 0; i < doc->pages(); ++i) {
    std::unique_ptr<poppler::page> page(doc->create_page(i));
    const auto utf8 = page->text(poppler::rectf(), poppler::page::raw_order_layout).to_utf8();
    std::string text(utf8.begin(), utf8.end());
    std::erase(text, '\f');  // poppler ends every page with a form feed
    pages.push_back(SplitLines(text, '\n'));
  }
  return pages;
}

inline std::string FirstLine(const std::vector<std::string>& lines) { return lines.empty() ? "" : lines.front(); }

// Splits an engine page text (CR line ends) into its lines.
inline std::vector<std::string> SplitCr(const std::string& text) { return SplitLines(text, '\r'); }

// Bookmark titles as poppler's outline shows them, depth-first, with the
// depth in front ("0:表紙", "1:1.1 目的").
inline std::vector<std::string> PopplerOutline(const std::filesystem::path& file) {
  std::unique_ptr<poppler::document> doc(poppler::document::load_from_file(file.string()));
  std::vector<std::string> out;
  if (!doc) return out;
  std::unique_ptr<poppler::toc> toc(doc->create_toc());
  if (!toc) return out;
  std::function<void(poppler::toc_item*, int)> walk = [&](poppler::toc_item* item, int depth) {
    for (auto* child : item->children()) {
      const auto title = child->title().to_utf8();
      out.push_back(std::to_string(depth) + ":" + std::string(title.begin(), title.end()));
      walk(child, depth + 1);
    }
  };
  walk(toc->root(), 0);
  return out;
}

// One bookmark as QPDF reads it from the written file.
struct OutlineItem {
  std::string title;
  int targetPage = -1;      // page index of its /GoTo (or /Dest), -1 if none
  double zoom = 0;          // the zoom of that destination
  std::string javaScript;   // the /JS of its action chain, "" if none
  std::vector<OutlineItem> children;
};

// The written file opened with QPDF, for structure checks.
class SavedPdf {
 public:
  explicit SavedPdf(const std::filesystem::path& file) {
    pdf_.processFile(file.string().c_str());
    for (auto& page : QPDFPageDocumentHelper(pdf_).getAllPages()) {
      index_[page.getObjectHandle().getObjGen()] = static_cast<int>(index_.size());
      pages_.push_back(page.getObjectHandle());
    }
  }

  QPDF& qpdf() { return pdf_; }
  QPDFObjectHandle catalog() { return pdf_.getRoot(); }
  int pageCount() const { return static_cast<int>(pages_.size()); }
  QPDFObjectHandle page(int i) const { return pages_.at(static_cast<std::size_t>(i)); }

  int PageIndexOf(QPDFObjectHandle ref) const {
    if (!ref.isIndirect()) return -1;
    auto it = index_.find(ref.getObjGen());
    return it == index_.end() ? -1 : it->second;
  }

  std::vector<OutlineItem> Outline() {
    std::vector<OutlineItem> top;
    QPDFOutlineDocumentHelper helper(pdf_);
    for (auto& item : helper.getTopLevelOutlines()) top.push_back(Read(item));
    return top;
  }

 private:
  OutlineItem Read(QPDFOutlineObjectHelper& item) {
    OutlineItem out;
    out.title = item.getTitle();
    auto oh = item.getObjectHandle();
    auto dest = oh.getKey("/Dest");
    auto action = oh.getKey("/A");
    for (int guard = 0; action.isDictionary() && guard < 8; ++guard) {
      if (action.getKey("/S").isNameAndEquals("/GoTo")) dest = action.getKey("/D");
      if (action.getKey("/S").isNameAndEquals("/JavaScript")) out.javaScript = action.getKey("/JS").getStringValue();
      action = action.getKey("/Next");
    }
    if (dest.isArray() && dest.getArrayNItems() >= 5) {
      out.targetPage = PageIndexOf(dest.getArrayItem(0));
      out.zoom = dest.getArrayItem(4).getNumericValue();
    }
    for (auto& kid : item.getKids()) out.children.push_back(Read(kid));
    return out;
  }

  QPDF pdf_;
  std::vector<QPDFObjectHandle> pages_;
  std::map<QPDFObjGen, int> index_;
};

// `pageCount` pages, each drawing one photo-sized image of its own, all
// naming every image in one shared resource dictionary, as word processors
// write.
inline std::filesystem::path MakeSharedResourcePdf(const std::filesystem::path& file, int pageCount = 8) {
  constexpr int kSide = 180;  // 180 x 180 RGB: about 95 KB that does not compress
  QPDF pdf;
  pdf.emptyPDF();
  std::mt19937 random(20240601);
  auto xobjects = QPDFObjectHandle::newDictionary();
  for (int i = 0; i < pageCount; ++i) {
    xobjects.replaceKey("/Im" + std::to_string(i), testsupport::NoiseImage(pdf, kSide, kSide, random));
  }
  auto resources = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
  resources.replaceKey("/XObject", xobjects);
  auto pages = pdf.getRoot().getKey("/Pages");
  std::vector<QPDFObjectHandle> kids;
  for (int i = 0; i < pageCount; ++i) {
    auto content = QPDFObjectHandle::newStream(&pdf, "q 200 0 0 200 100 500 cm /Im" + std::to_string(i) + " Do Q\n");
    auto page = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
    page.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
    page.replaceKey("/Parent", pages);
    page.replaceKey("/MediaBox", QPDFObjectHandle::newArray({QPDFObjectHandle::newInteger(0),
                                                             QPDFObjectHandle::newInteger(0),
                                                             QPDFObjectHandle::newInteger(595),
                                                             QPDFObjectHandle::newInteger(842)}));
    page.replaceKey("/Resources", resources);
    page.replaceKey("/Contents", content);
    kids.push_back(page);
  }
  pages.replaceKey("/Kids", QPDFObjectHandle::newArray(kids));
  pages.replaceKey("/Count", QPDFObjectHandle::newInteger(pageCount));
  // QPDFWriter keeps the name pointer (it seeds the file's /ID with it), so
  // the string must outlive the writer.
  const std::string name = file.string();
  QPDFWriter writer(pdf, name.c_str());
  writer.write();
  return file;
}

}  // namespace vellumark::acrobat::testing
