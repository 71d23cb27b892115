#pragma once
// Crafted PDFs of the kind a hostile sender mails: tiny files whose
// structure loops, or that ask for gigabytes or hours once drawn. Each is
// built here with QPDF, so the tests carry no binary fixtures; and a
// watchdog, so that a regression fails the test instead of hanging CI.
#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_Flate.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace vellumark::testsupport {

// Ends the whole test program, loudly, when a test has not finished within
// its time: a hang must fail, not stall the suite until CI's own timeout.
class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds limit, std::string what = "test")
      : thread_([this, limit, what] {
          std::unique_lock<std::mutex> lock(mutex_);
          if (!done_cv_.wait_for(lock, limit, [this] { return done_; })) {
            std::fprintf(stderr, "watchdog: %s still running after %lld s\n", what.c_str(),
                         static_cast<long long>(limit.count()));
            std::_Exit(3);
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    done_cv_.notify_all();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_cv_;
  bool done_ = false;
  std::thread thread_;
};

// `size` bytes, each `fill`, Flate-compressed without ever holding them
// whole: repetitive data shrinks a thousandfold.
inline std::string DeflatedRepeat(const std::string& unit, long long size) {
  Pl_Buffer out("deflated");
  Pl_Flate deflate("deflate", &out, Pl_Flate::a_deflate);
  std::string block;
  while (block.size() < (1u << 20)) block += unit;
  for (long long left = size; left > 0; left -= static_cast<long long>(block.size())) {
    const auto n = static_cast<std::size_t>(std::min<long long>(left, static_cast<long long>(block.size())));
    deflate.write(reinterpret_cast<const unsigned char*>(block.data()), n);
  }
  deflate.finish();
  auto buffer = out.getBufferSharedPointer();
  return std::string(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
}

// A document of A4 pages showing a line of text each, opened for crafting.
class CraftedPdf {
 public:
  CraftedPdf() { pdf_.emptyPDF(); }

  QPDF& pdf() { return pdf_; }

  QPDFObjectHandle AddTextPage(const std::string& text, double width = 595, double height = 842) {
    return AddPage("BT /F1 24 Tf 72 720 Td (" + text + ") Tj ET\n", width, height);
  }

  // A page with `content` as its content stream (stored as given) and
  // Helvetica as /F1.
  QPDFObjectHandle AddPage(const std::string& content, double width = 595, double height = 842) {
    auto font = QPDFObjectHandle::parse("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    auto resources = QPDFObjectHandle::newDictionary();
    resources.replaceKey("/Font", QPDFObjectHandle::newDictionary({{"/F1", font}}));
    auto page = pdf_.makeIndirectObject(QPDFObjectHandle::newDictionary());
    page.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
    page.replaceKey("/MediaBox", QPDFObjectHandle::newArray({QPDFObjectHandle::newInteger(0),
                                                             QPDFObjectHandle::newInteger(0),
                                                             QPDFObjectHandle::newReal(width, 0),
                                                             QPDFObjectHandle::newReal(height, 0)}));
    page.replaceKey("/Resources", resources);
    page.replaceKey("/Contents", QPDFObjectHandle::newStream(&pdf_, content));
    QPDFPageDocumentHelper(pdf_).addPage(QPDFPageObjectHelper(page), false);
    return page;
  }

  // A stream holding `compressed` as Flate data, as the file stores it.
  QPDFObjectHandle FlateStream(const std::string& compressed) {
    auto stream = QPDFObjectHandle::newStream(&pdf_);
    stream.replaceStreamData(compressed, QPDFObjectHandle::newName("/FlateDecode"), QPDFObjectHandle::newNull());
    return stream;
  }

  // Every stream is written exactly as stored: the bombs stay small and
  // are never inflated while the file is written.
  void Write(const std::filesystem::path& file) {
    // QPDFWriter keeps the name it is given, not a copy: it must outlive the write.
    const std::string outputName = file.string();
    QPDFWriter writer(pdf_, outputName.c_str());
    writer.setCompressStreams(false);
    writer.setDecodeLevel(qpdf_dl_none);
    writer.write();
  }

 private:
  QPDF pdf_;
};

// The crafted files, by what they do to a reader that trusts them.
struct HostilePdfs {
  // An outline of one item whose /Next is itself.
  static void OutlineItemNextIsItself(const std::filesystem::path& file) {
    CraftedPdf doc;
    auto item = Item(doc, "A", doc.AddTextPage("Looping outline"));
    item.replaceKey("/Next", item);
    WriteWithOutline(doc, item, item, file);
  }

  // Two outline items pointing at each other, and a child whose /First
  // leads back to its parent.
  static void OutlineItemsInACircle(const std::filesystem::path& file) {
    CraftedPdf doc;
    auto page = doc.AddTextPage("Looping outline");
    auto a = Item(doc, "A", page);
    auto b = Item(doc, "B", page);
    auto c = Item(doc, "C", page);
    a.replaceKey("/Next", b);
    b.replaceKey("/Next", a);
    b.replaceKey("/First", c);
    c.replaceKey("/First", b);
    WriteWithOutline(doc, a, b, file);
  }

  // A link to a named destination whose name tree lists itself as its kid.
  static void NameTreeKidIsItself(const std::filesystem::path& file) {
    CraftedPdf doc;
    auto first = doc.AddTextPage("Link page");
    auto second = doc.AddTextPage("Target page");
    auto node = doc.pdf().makeIndirectObject(QPDFObjectHandle::newDictionary());
    node.replaceKey("/Kids", QPDFObjectHandle::newArray({node}));
    auto names = QPDFObjectHandle::newDictionary();
    names.replaceKey("/Dests", node);
    doc.pdf().getRoot().replaceKey("/Names", names);
    auto link = QPDFObjectHandle::parse("<< /Type /Annot /Subtype /Link /Rect [0 0 100 100] /Dest (target) >>");
    first.replaceKey("/Annots", QPDFObjectHandle::newArray({doc.pdf().makeIndirectObject(link)}));
    (void)second;
    doc.Write(file);
  }

  // Two pages whose /PageLabels number tree names the same kid twice at
  // each of forty levels: a walk that follows every kid visits the one
  // label entry 2^40 times.
  static void PageLabelKidsRepeatEachOther(const std::filesystem::path& file) {
    CraftedPdf doc;
    doc.AddTextPage("One");
    doc.AddTextPage("Two");
    auto node = doc.pdf().makeIndirectObject(QPDFObjectHandle::parse("<< /Nums [0 << /S /D >>] /Limits [0 0] >>"));
    for (int level = 0; level < 40; ++level) {
      auto parent = QPDFObjectHandle::parse("<< /Limits [0 0] >>");
      parent.replaceKey("/Kids", QPDFObjectHandle::newArray({node, node}));
      node = doc.pdf().makeIndirectObject(parent);
    }
    node.removeKey("/Limits");  // the root of a tree has none
    doc.pdf().getRoot().replaceKey("/PageLabels", node);
    doc.Write(file);
  }

  // Two pages under a page tree that claims a thousand million.
  static void PageCountClaimsAThousandMillion(const std::filesystem::path& file) {
    CraftedPdf doc;
    doc.AddTextPage("One");
    doc.AddTextPage("Two");
    doc.pdf().getRoot().getKey("/Pages").replaceKey("/Count", QPDFObjectHandle::newInteger(1'000'000'000));
    doc.Write(file);
  }

  // One page of 200,000 x 200,000 points.
  static void HugePage(const std::filesystem::path& file) {
    CraftedPdf doc;
    doc.AddPage("0 0 1 rg 0 0 100000 100000 re f\n", 200'000, 200'000);
    doc.Write(file);
  }

  // A page of text, then a page drawing a 10^6 x 10^6 pixel image whose
  // data is a few hundred bytes.
  static void GiganticImage(const std::filesystem::path& file) {
    CraftedPdf doc;
    doc.AddTextPage("Before the image");
    auto page = doc.AddPage("q 500 0 0 700 50 50 cm /Im1 Do Q\n");
    auto image = doc.FlateStream(DeflatedRepeat(std::string(1, '\0'), 64 << 10));
    auto dict = image.getDict();
    dict.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
    dict.replaceKey("/Subtype", QPDFObjectHandle::newName("/Image"));
    dict.replaceKey("/Width", QPDFObjectHandle::newInteger(1'000'000));
    dict.replaceKey("/Height", QPDFObjectHandle::newInteger(1'000'000));
    dict.replaceKey("/ColorSpace", QPDFObjectHandle::newName("/DeviceGray"));
    dict.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(8));
    page.getKey("/Resources").replaceKey("/XObject", QPDFObjectHandle::newDictionary({{"/Im1", image}}));
    doc.Write(file);
  }

  // A content stream of four million `q` operators, some 8 KB stored.
  static void SaveStateBomb(const std::filesystem::path& file) {
    CraftedPdf doc;
    auto page = doc.AddTextPage("Bomb");
    page.replaceKey("/Contents", doc.FlateStream(DeflatedRepeat("q\n", 8'000'000)));
    doc.Write(file);
  }

  // A content stream of about a megabyte that inflates to a gigabyte.
  static void InflationBomb(const std::filesystem::path& file) {
    CraftedPdf doc;
    auto page = doc.AddTextPage("Bomb");
    page.replaceKey("/Contents", doc.FlateStream(DeflatedRepeat(" ", 1LL << 30)));
    doc.Write(file);
  }

  // Eleven levels of forms, each drawing the next ten times: a hundred
  // thousand million operators from a file of a few kilobytes.
  static void NestedFormBomb(const std::filesystem::path& file) {
    CraftedPdf doc;
    auto page = doc.AddPage("/X0 Do\n");
    QPDFObjectHandle next;
    for (int level = 10; level >= 0; --level) {
      std::string content;
      for (int k = 0; k < 10; ++k) content += next.isInitialized() ? "/X Do\n" : "0 0 m 10 10 l S\n";
      auto form = QPDFObjectHandle::newStream(&doc.pdf(), content);
      auto dict = form.getDict();
      dict.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
      dict.replaceKey("/Subtype", QPDFObjectHandle::newName("/Form"));
      dict.replaceKey("/BBox", QPDFObjectHandle::parse("[0 0 100 100]"));
      if (next.isInitialized()) {
        dict.replaceKey("/Resources",
                        QPDFObjectHandle::newDictionary(
                            {{"/XObject", QPDFObjectHandle::newDictionary({{"/X", next}})}}));
      }
      next = form;
    }
    page.getKey("/Resources").replaceKey("/XObject", QPDFObjectHandle::newDictionary({{"/X0", next}}));
    doc.Write(file);
  }

  // Ten pages, each drawing one form of three thousand operators six
  // thousand times: every page alone is within reason, the file is not.
  static void ManyPagesOfHeavyDrawing(const std::filesystem::path& file) {
    CraftedPdf doc;
    std::string lines;
    for (int k = 0; k < 1000; ++k) lines += "0 0 m 10 10 l S\n";
    auto form = QPDFObjectHandle::newStream(&doc.pdf(), lines);
    form.getDict().replaceKey("/Subtype", QPDFObjectHandle::newName("/Form"));
    form.getDict().replaceKey("/BBox", QPDFObjectHandle::parse("[0 0 100 100]"));
    std::string draws;
    for (int k = 0; k < 6000; ++k) draws += "/X Do\n";
    for (int page = 0; page < 10; ++page) {
      doc.AddPage(draws).getKey("/Resources").replaceKey("/XObject", QPDFObjectHandle::newDictionary({{"/X", form}}));
    }
    doc.Write(file);
  }

 private:
  static QPDFObjectHandle Item(CraftedPdf& doc, const std::string& title, QPDFObjectHandle page) {
    auto item = doc.pdf().makeIndirectObject(QPDFObjectHandle::newDictionary());
    item.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(title));
    item.replaceKey("/Dest", QPDFObjectHandle::newArray({page, QPDFObjectHandle::newName("/Fit")}));
    return item;
  }

  // Writes `doc` with an outline running from `first` to `last`.
  static void WriteWithOutline(CraftedPdf& doc, QPDFObjectHandle first, QPDFObjectHandle last,
                               const std::filesystem::path& file) {
    auto outlines = doc.pdf().makeIndirectObject(QPDFObjectHandle::newDictionary());
    outlines.replaceKey("/Type", QPDFObjectHandle::newName("/Outlines"));
    outlines.replaceKey("/First", first);
    outlines.replaceKey("/Last", last);
    first.replaceKey("/Parent", outlines);
    doc.pdf().getRoot().replaceKey("/Outlines", outlines);
    doc.Write(file);
  }
};

}  // namespace vellumark::testsupport
