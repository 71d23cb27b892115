// Generates the benchmark job: a parent report with a cover, a contents page
// ("目次" … "END"), chapters every ~20 pages with sections and items, page
// numbers in the footers and an incompressible photo on most pages, plus two
// appendix children. Deterministic: the same arguments give the same files.
//
//   vellumark-make-bench-job OUTDIR PARENT_PAGES CHILD_PAGES
//
// Text is written with the predefined CMap UniJIS-UTF16-H on a non-embedded
// Adobe-Japan1 font, so every PDF reader (and our text extraction) gets the
// Japanese text back through the standard character collection tables.
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <charconv>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kPagesPerChapter = 20;
constexpr int kLinesPerContentsPage = 46;
constexpr int kImageWidth = 180;   // RGB, 180 x 180 x 3 = 97,200 bytes of noise
constexpr int kImageHeight = 180;
const char* const kLeader = "\xEF\xBD\xA5\xEF\xBD\xA5\xEF\xBD\xA5\xEF\xBD\xA5\xEF\xBD\xA5\xEF\xBD\xA5";  // ･･････

std::string Num(long long v) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

// UTF-8 -> UTF-16BE hex string for a PDF text-showing operator.
std::string Utf16Hex(const std::string& utf8) {
  std::u32string cps;
  for (std::size_t i = 0; i < utf8.size();) {
    auto c = static_cast<unsigned char>(utf8[i]);
    char32_t cp;
    int len;
    if (c < 0x80) { cp = c; len = 1; }
    else if ((c >> 5) == 6) { cp = c & 0x1F; len = 2; }
    else if ((c >> 4) == 14) { cp = c & 0x0F; len = 3; }
    else { cp = c & 0x07; len = 4; }
    for (int k = 1; k < len && i + static_cast<std::size_t>(k) < utf8.size(); ++k) {
      cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]) & 0x3F);
    }
    cps.push_back(cp);
    i += static_cast<std::size_t>(len);
  }
  static const char* hex = "0123456789ABCDEF";
  std::string out = "<";
  auto put = [&](unsigned v) {
    for (int s = 12; s >= 0; s -= 4) out += hex[(v >> s) & 0xF];
  };
  for (char32_t cp : cps) {
    if (cp >= 0x10000) {
      cp -= 0x10000;
      put(0xD800 + static_cast<unsigned>(cp >> 10));
      put(0xDC00 + static_cast<unsigned>(cp & 0x3FF));
    } else {
      put(static_cast<unsigned>(cp));
    }
  }
  return out + ">";
}

struct Line {
  double x, y, size;
  std::string text;
};

class JobWriter {
 public:
  explicit JobWriter(std::uint32_t seed) : rng_(seed) {}

  void Begin() {
    pdf_ = std::make_unique<QPDF>();
    pdf_->emptyPDF();
    auto descriptor = pdf_->makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /FontDescriptor /FontName /KozMinPr6N-Regular /Flags 6 /FontBBox [-195 -272 1110 1075]"
        " /ItalicAngle 0 /Ascent 880 /Descent -120 /CapHeight 740 /StemV 86 >>"));
    auto cidFont = pdf_->makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /Font /Subtype /CIDFontType0 /BaseFont /KozMinPr6N-Regular"
        " /CIDSystemInfo << /Registry (Adobe) /Ordering (Japan1) /Supplement 6 >> /DW 1000 >>"));
    cidFont.replaceKey("/FontDescriptor", descriptor);
    font_ = pdf_->makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /Font /Subtype /Type0 /BaseFont /KozMinPr6N-Regular /Encoding /UniJIS-UTF16-H >>"));
    font_.replaceKey("/DescendantFonts", QPDFObjectHandle::newArray({cidFont}));
    pages_ = std::make_unique<QPDFPageDocumentHelper>(*pdf_);
  }

  void AddPage(const std::vector<Line>& lines, bool withImage) {
    std::string content;
    auto resources = QPDFObjectHandle::newDictionary();
    auto fonts = QPDFObjectHandle::newDictionary();
    fonts.replaceKey("/F1", font_);
    resources.replaceKey("/Font", fonts);
    if (withImage) {
      std::string pixels(static_cast<std::size_t>(kImageWidth * kImageHeight * 3), '\0');
      for (auto& b : pixels) b = static_cast<char>(rng_() & 0xFF);
      auto image = QPDFObjectHandle::newStream(pdf_.get(), pixels);
      image.getDict().replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
      image.getDict().replaceKey("/Subtype", QPDFObjectHandle::newName("/Image"));
      image.getDict().replaceKey("/Width", QPDFObjectHandle::newInteger(kImageWidth));
      image.getDict().replaceKey("/Height", QPDFObjectHandle::newInteger(kImageHeight));
      image.getDict().replaceKey("/ColorSpace", QPDFObjectHandle::newName("/DeviceRGB"));
      image.getDict().replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(8));
      auto xobjects = QPDFObjectHandle::newDictionary();
      xobjects.replaceKey("/Im1", image);
      resources.replaceKey("/XObject", xobjects);
      content += "q 300 0 0 300 148 250 cm /Im1 Do Q\n";
    }
    for (const auto& line : lines) {
      content += "BT /F1 " + Num(static_cast<long long>(line.size)) + " Tf " + Num(static_cast<long long>(line.x)) +
                 " " + Num(static_cast<long long>(line.y)) + " Td " + Utf16Hex(line.text) + " Tj ET\n";
    }
    auto page = pdf_->makeIndirectObject(QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 595 842] >>"));
    page.replaceKey("/Resources", resources);
    page.replaceKey("/Contents", QPDFObjectHandle::newStream(pdf_.get(), content));
    pages_->addPage(QPDFPageObjectHelper(page), false);
  }

  void Write(const std::filesystem::path& path) {
    // QPDFWriter keeps the name it is given, not a copy: it must outlive the write.
    const std::string outputName = path.string();
    QPDFWriter w(*pdf_, outputName.c_str());
    w.setStaticID(true);
    w.setCompressStreams(true);  // text compresses; the noise images do not
    w.write();
    pages_.reset();
    pdf_.reset();
  }

 private:
  std::mt19937 rng_;
  std::unique_ptr<QPDF> pdf_;
  std::unique_ptr<QPDFPageDocumentHelper> pages_;
  QPDFObjectHandle font_;
};

struct Heading {
  int level;  // 0 chapter, 1 section, 2 item
  std::string number;
  std::string title;
  int page;  // printed body page
};

// Chapters every kPagesPerChapter pages; in each chapter sections every 6
// pages and one item under each section.
std::vector<Heading> PlanHeadings(int bodyPages, int firstChapter) {
  std::vector<Heading> out;
  int chapter = firstChapter;
  for (int start = 1; start <= bodyPages; start += kPagesPerChapter, ++chapter) {
    // A heading line must not end in a digit: the page scan takes such a
    // line for a running page number.
    out.push_back({0, "第" + Num(chapter) + "章", "設計条件（その" + Num(chapter) + "）", start});
    int section = 1;
    for (int p = start + 1; p < start + kPagesPerChapter && p <= bodyPages; p += 6, ++section) {
      const std::string sec = Num(chapter) + "." + Num(section);
      out.push_back({1, sec, "検討項目", p});
      // The item stays inside its chapter, so the contents list runs in page
      // order as a real report's does.
      if (p + 2 < start + kPagesPerChapter && p + 2 <= bodyPages) out.push_back({2, sec + ".1", "詳細", p + 2});
    }
  }
  return out;
}

std::string BodyLineText(int page, int row) {
  return "本文 " + Num(page) + " ページ " + Num(row) + " 行目：構造物の設計および施工に関する記述です。";
}

// Writes one document: optional cover + contents pages, then body pages
// numbered from `firstPrinted`.
void WriteDocument(JobWriter& w, const std::filesystem::path& path, int bodyPages, int firstChapter,
                   int firstPrinted, bool withFront) {
  w.Begin();
  auto headings = PlanHeadings(bodyPages, firstChapter);
  if (withFront) {
    w.AddPage({{150, 600, 28, "業務報告書"}, {200, 540, 16, "ベンチマーク用 文書"}}, false);
    std::vector<std::string> contents;
    for (const auto& h : headings) {
      contents.push_back(h.number + "　" + h.title + kLeader + Num(h.page + firstPrinted - 1));
    }
    contents.push_back("END");
    for (std::size_t i = 0; i < contents.size(); i += kLinesPerContentsPage) {
      std::vector<Line> lines;
      if (i == 0) lines.push_back({260, 800, 16, "目次"});
      for (std::size_t k = i; k < contents.size() && k < i + kLinesPerContentsPage; ++k) {
        lines.push_back({72, 770 - 15.0 * static_cast<double>(k - i), 10, contents[k]});
      }
      w.AddPage(lines, false);
    }
  }
  std::size_t next = 0;
  for (int p = 1; p <= bodyPages; ++p) {
    std::vector<Line> lines;
    double y = 790;
    for (; next < headings.size() && headings[next].page == p; ++next) {
      lines.push_back({72, y, 14, headings[next].number + "　" + headings[next].title});
      y -= 22;
    }
    for (int row = 1; row <= 12; ++row, y -= 16) lines.push_back({72, y, 10, BodyLineText(p, row)});
    lines.push_back({285, 40, 10, "- " + Num(p + firstPrinted - 1) + " -"});
    w.AddPage(lines, p % 10 != 0);  // most pages carry a photo
  }
  w.Write(path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: vellumark-make-bench-job OUTDIR PARENT_PAGES CHILD_PAGES\n";
    return 2;
  }
  const std::filesystem::path out = argv[1];
  const int parentPages = std::stoi(argv[2]);
  const int childPages = std::stoi(argv[3]);
  std::filesystem::create_directories(out);
  JobWriter writer(20261207u);
  const int parentChapters = (parentPages + kPagesPerChapter - 1) / kPagesPerChapter;
  WriteDocument(writer, out / "報告書.pdf", parentPages, 1, 1, true);
  WriteDocument(writer, out / "付録1.pdf", childPages, parentChapters + 1, parentPages + 1, false);
  const int childChapters = (childPages + kPagesPerChapter - 1) / kPagesPerChapter;
  WriteDocument(writer, out / "付録2.pdf", childPages, parentChapters + childChapters + 1,
                parentPages + childPages + 1, false);
  return 0;
}
