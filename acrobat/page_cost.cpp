// What drawing a page would ask of poppler, measured before poppler sees the
// page. poppler trusts a file: it inflates whatever a stream holds, keeps a
// copy of the graphics state for every unmatched `q`, runs a form as often
// as it is invoked and reads every pixel an image declares. A file of a few
// kilobytes can so ask for gigabytes or hours. The measure below walks the
// same things poppler would (contents, the forms and images they invoke,
// the fonts they select, the annotations' appearances) under fixed budgets,
// and stops as soon as one is spent.
#include <qpdf/Buffer.hh>
#include <qpdf/BufferInputSource.hh>
#include <qpdf/Pipeline.hh>
#include <qpdf/QPDFTokenizer.hh>

#include <algorithm>
#include <limits>
#include <new>

#include "acrobat/engine_messages.h"
#include "acrobat/qpdf_document.h"

namespace vellumark::acrobat::detail {

namespace {

// Far above any real page (a dense CAD drawing decodes to some tens of
// megabytes), far below what would endanger the process.
constexpr long long kMaxDecodedBytesPerPage = 64LL << 20;
constexpr long long kMaxDecodedBytesPerFile = 512LL << 20;
// poppler runs some six million operators a second through text and
// thumbnail together: a page is given a few seconds, a file under a minute.
constexpr long long kMaxOperatorsPerPage = 20'000'000;
constexpr long long kMaxOperatorsPerFile = 150'000'000;
// poppler keeps a graphics state of several kilobytes for each level.
constexpr long long kMaxSaveDepth = 10'000;
// poppler gives up on forms nested deeper than this itself.
constexpr int kMaxFormNesting = 100;
// Operands kept before an operator: enough for any operator and for an
// inline image's dictionary, so a run of junk cannot grow without end.
constexpr std::size_t kMaxOperands = 64;
// Appearance states of one annotation and annotations of one page looked at.
constexpr int kMaxAppearances = 64;
constexpr int kMaxAnnotations = 10'000;

constexpr long long kSaturated = std::numeric_limits<long long>::max() / 4;

long long Add(long long a, long long b) { return std::min(kSaturated, a + std::min(kSaturated, b)); }
long long Multiply(long long a, long long b) {
  if (a == 0 || b == 0) return 0;
  return a > kSaturated / b ? kSaturated : a * b;
}

// Thrown inside QPDF's decoding to stop it; QPDF may swallow it, so the
// sink also remembers that it was spent.
struct BudgetSpent {};

// Counts decoded bytes, keeps them when asked, and stops the decoder once
// the budget is gone.
class LimitedSink final : public Pipeline {
 public:
  LimitedSink(long long budget, std::string* keep) : Pipeline("page cost", nullptr), budget_(budget), keep_(keep) {}
  void write(unsigned char const* data, size_t len) override {
    count_ += static_cast<long long>(len);
    if (count_ > budget_) {
      spent_ = true;
      throw BudgetSpent{};
    }
    if (keep_ != nullptr) keep_->append(reinterpret_cast<const char*>(data), len);
  }
  void finish() override {}
  long long count() const { return count_; }
  bool spent() const { return spent_; }

 private:
  long long budget_;
  std::string* keep_;
  long long count_ = 0;
  bool spent_ = false;
};

long long IntOr(QPDFObjectHandle value, long long fallback) {
  return value.isInteger() ? std::max(0LL, value.getIntValue()) : fallback;
}

long long ImageArea(QPDFObjectHandle dict) {
  return Multiply(IntOr(dict.getKey("/Width"), 0), IntOr(dict.getKey("/Height"), 0));
}

}  // namespace

// The measure of one page; forms, fonts and decoded sizes are remembered
// for the whole file, since pages share them.
class PageMeasure {
 public:
  explicit PageMeasure(LoadedFile& file) : file_(file) {}

  PageCost Measure(QPDFObjectHandle page) {
    auto resources = page.getKey("/Resources");
    std::string contents;
    auto streams = page.getKey("/Contents");
    if (streams.isStream()) {
      Decode(streams, &contents);
    } else if (streams.isArray()) {
      // The parts of an array are one stream to a reader, cut anywhere.
      const int n = streams.getArrayNItems();
      for (int i = 0; i < n; ++i) {
        auto part = streams.getArrayItem(i);
        if (!part.isStream()) continue;
        Decode(part, &contents);
        contents.push_back('\n');
      }
    }
    Cost cost = Scan(contents, resources, 0);
    auto annots = page.getKey("/Annots");
    if (annots.isArray()) {
      const int n = std::min(annots.getArrayNItems(), kMaxAnnotations);
      for (int i = 0; i < n; ++i) {
        auto appearance = annots.getArrayItem(i);
        if (!appearance.isDictionary()) continue;
        appearance = appearance.getKey("/AP");
        if (!appearance.isDictionary()) continue;
        appearance = appearance.getKey("/N");
        std::vector<QPDFObjectHandle> forms;
        if (appearance.isStream()) {
          forms.push_back(appearance);
        } else if (appearance.isDictionary()) {
          for (auto& [state, form] : appearance.getDictAsMap()) {
            if (form.isStream()) forms.push_back(form);
            if (static_cast<int>(forms.size()) >= kMaxAppearances) break;
          }
        }
        for (auto& form : forms) Charge(cost, 0, Form(form, resources, 1));
      }
    }
    file_.operators_ = Add(file_.operators_, cost.operators);
    if (file_.operators_ > kMaxOperatorsPerFile) TooComplex();
    return PageCost{cost.imagePixels};
  }

 private:
  using Cost = ContentCost;

  [[noreturn]] void TooComplex() const { throw PdfError(file_.path(), kTooComplex); }

  // Adds what an invoked form or glyph costs when reached at `depth`.
  void Charge(Cost& into, long long depth, const Cost& invoked) {
    into.operators = Add(into.operators, invoked.operators);
    into.depth = std::max(into.depth, Add(depth, invoked.depth));
    into.imagePixels = Add(into.imagePixels, invoked.imagePixels);
    if (into.operators > kMaxOperatorsPerPage || into.depth > kMaxSaveDepth) TooComplex();
  }

  // Decodes `stream` (appending to `keep` when given) within the budgets.
  void Decode(QPDFObjectHandle stream, std::string* keep) {
    const auto og = stream.getObjGen();
    auto known = file_.decodedSizes_.find(og);
    if (known != file_.decodedSizes_.end() && keep == nullptr) {
      if (pageStreams_.insert(og).second) ChargeBytes(known->second, false);
      return;
    }
    const long long pageLeft = kMaxDecodedBytesPerPage - pageBytes_;
    const long long fileLeft = kMaxDecodedBytesPerFile - file_.decodedBytes_;
    LimitedSink sink(std::max(0LL, std::min(pageLeft, fileLeft)), keep);
    try {
      bool filtered = false;
      stream.pipeStreamData(&sink, &filtered, 0, qpdf_dl_specialized, true, false);
    } catch (const std::bad_alloc&) {
      throw;
    } catch (...) {
      // Data QPDF cannot decode ends here; what came out counts.
    }
    if (sink.spent()) TooComplex();
    const bool firstTime = known == file_.decodedSizes_.end();
    if (firstTime) file_.decodedSizes_.emplace(og, sink.count());
    if (pageStreams_.insert(og).second) ChargeBytes(sink.count(), firstTime);
  }

  void ChargeBytes(long long bytes, bool firstTimeInFile) {
    pageBytes_ = Add(pageBytes_, bytes);
    if (firstTimeInFile) file_.decodedBytes_ = Add(file_.decodedBytes_, bytes);
    if (pageBytes_ > kMaxDecodedBytesPerPage || file_.decodedBytes_ > kMaxDecodedBytesPerFile) TooComplex();
  }

  static QPDFObjectHandle Lookup(QPDFObjectHandle resources, const char* category, const std::string& name) {
    if (!resources.isDictionary()) return QPDFObjectHandle::newNull();
    auto table = resources.getKey(category);
    if (!table.isDictionary()) return QPDFObjectHandle::newNull();
    return table.getKey(name);
  }

  Cost Form(QPDFObjectHandle form, QPDFObjectHandle inherited, int nesting) {
    if (!form.isStream() || nesting > kMaxFormNesting) return {};
    const auto og = form.getObjGen();
    if (auto it = file_.formCosts_.find(og); it != file_.formCosts_.end()) {
      // Its streams are still this page's bytes.
      Decode(form, nullptr);
      return it->second;
    }
    // A form that invokes itself is drawn once by poppler, which refuses
    // the loop.
    if (!onStack_.insert(og).second) return {};
    std::string data;
    Decode(form, &data);
    auto resources = form.getDict().getKey("/Resources");
    Cost cost = Scan(data, resources.isDictionary() ? resources : inherited, nesting);
    cost.depth = Add(cost.depth, 1);  // drawing a form saves the state once
    onStack_.erase(og);
    file_.formCosts_.emplace(og, cost);
    return cost;
  }

  // A font's program and maps are decoded by poppler when the font is
  // selected; a Type 3 font's glyphs are small content streams of their own.
  Cost Font(QPDFObjectHandle font, QPDFObjectHandle inherited, int nesting) {
    if (!font.isDictionary()) return {};
    const auto og = font.getObjGen();
    if (font.isIndirect()) {
      if (auto it = file_.fontCosts_.find(og); it != file_.fontCosts_.end()) return it->second;
      if (!onStack_.insert(og).second) return {};
    }
    Cost cost;
    std::vector<QPDFObjectHandle> fonts{font};
    auto descendants = font.getKey("/DescendantFonts");
    if (descendants.isArray() && descendants.getArrayNItems() > 0) fonts.push_back(descendants.getArrayItem(0));
    for (auto& f : fonts) {
      if (!f.isDictionary()) continue;
      if (auto map = f.getKey("/ToUnicode"); map.isStream()) Decode(map, nullptr);
      auto descriptor = f.getKey("/FontDescriptor");
      if (!descriptor.isDictionary()) continue;
      for (const char* key : {"/FontFile", "/FontFile2", "/FontFile3"}) {
        if (auto program = descriptor.getKey(key); program.isStream()) Decode(program, nullptr);
      }
    }
    if (auto glyphs = font.getKey("/CharProcs"); glyphs.isDictionary() && nesting <= kMaxFormNesting) {
      auto own = font.getKey("/Resources");
      // Each glyph is counted once: what a page draws of them is its text,
      // which the page's own operators already pay for.
      for (auto& [name, glyph] : glyphs.getDictAsMap()) {
        if (!glyph.isStream()) continue;
        std::string data;
        Decode(glyph, &data);
        Cost one = Scan(data, own.isDictionary() ? own : inherited, nesting + 1);
        one.depth = Add(one.depth, 1);
        Charge(cost, 0, one);
      }
    }
    if (font.isIndirect()) {
      onStack_.erase(og);
      file_.fontCosts_.emplace(og, cost);
    }
    return cost;
  }

  // Walks one content stream's operators. Every token takes at least one
  // byte of `data`, so the loop ends.
  Cost Scan(const std::string& data, QPDFObjectHandle resources, int nesting) {
    Cost cost;
    if (data.empty()) return cost;
    Buffer buffer(reinterpret_cast<unsigned char*>(const_cast<char*>(data.data())), data.size());
    auto input = std::make_shared<BufferInputSource>("content", &buffer, false);
    QPDFTokenizer tokenizer;
    tokenizer.allowEOF();
    std::vector<QPDFTokenizer::Token> operands;
    long long depth = 0;
    for (std::size_t steps = 0; steps <= data.size(); ++steps) {
      auto token = tokenizer.readToken(input, "content", true);
      const auto type = token.getType();
      if (type == QPDFTokenizer::tt_eof) break;
      if (type != QPDFTokenizer::tt_word) {
        if (type != QPDFTokenizer::tt_bad && type != QPDFTokenizer::tt_inline_image &&
            operands.size() < kMaxOperands) {
          operands.push_back(token);
        }
        continue;
      }
      cost.operators = Add(cost.operators, 1);
      if (cost.operators > kMaxOperatorsPerPage) TooComplex();
      const std::string& op = token.getValue();
      if (op == "q") {
        ++depth;
        cost.depth = std::max(cost.depth, depth);
        if (cost.depth > kMaxSaveDepth) TooComplex();
      } else if (op == "Q") {
        if (depth > 0) --depth;
      } else if (op == "Do" && !operands.empty() && operands.back().getType() == QPDFTokenizer::tt_name) {
        auto object = Lookup(resources, "/XObject", operands.back().getValue());
        if (object.isStream()) {
          auto dict = object.getDict();
          if (dict.getKey("/Subtype").isNameAndEquals("/Image")) {
            cost.imagePixels = Add(cost.imagePixels, ImageArea(dict));
            if (auto mask = dict.getKey("/SMask"); mask.isStream()) {
              cost.imagePixels = Add(cost.imagePixels, ImageArea(mask.getDict()));
            }
          } else {
            Charge(cost, depth, Form(object, resources, nesting + 1));
          }
        }
      } else if (op == "Tf" && operands.size() >= 2 && operands[operands.size() - 2].getType() == QPDFTokenizer::tt_name) {
        auto font = Lookup(resources, "/Font", operands[operands.size() - 2].getValue());
        Charge(cost, depth, Font(font, resources, nesting));
      } else if (op == "ID") {
        cost.imagePixels = Add(cost.imagePixels, InlineImageArea(operands));
        // The image data follows one white-space byte; the tokenizer then
        // hands it over whole, up to "EI".
        char skip = 0;
        input->read(&skip, 1);
        tokenizer.expectInlineImage(input);
      }
      operands.clear();
    }
    return cost;
  }

  static long long InlineImageArea(const std::vector<QPDFTokenizer::Token>& operands) {
    long long width = 0, height = 0;
    for (std::size_t i = 0; i + 1 < operands.size(); ++i) {
      if (operands[i].getType() != QPDFTokenizer::tt_name || operands[i + 1].getType() != QPDFTokenizer::tt_integer) {
        continue;
      }
      long long value = 0;
      const std::string& text = operands[i + 1].getValue();
      for (char c : text) {
        if (c >= '0' && c <= '9') value = Add(Multiply(value, 10), c - '0');
      }
      const std::string& key = operands[i].getValue();
      if (key == "/W" || key == "/Width") width = value;
      if (key == "/H" || key == "/Height") height = value;
    }
    return Multiply(width, height);
  }

  LoadedFile& file_;
  long long pageBytes_ = 0;
  std::set<QPDFObjGen> pageStreams_;
  std::set<QPDFObjGen> onStack_;
};

const PageCost& LoadedFile::CostOf(int pageIndex) {
  auto& slot = costs_.at(static_cast<std::size_t>(pageIndex));
  if (slot) return *slot;
  try {
    slot = PageMeasure(*this).Measure(pages_.at(static_cast<std::size_t>(pageIndex)));
  } catch (const PdfError&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw PdfError(path_, kTooComplex);
  } catch (const std::exception&) {
    // A structure QPDF cannot follow: poppler meets the same damage and
    // reports it where it draws; nothing here was found too costly.
    slot = PageCost{};
  }
  return *slot;
}

}  // namespace vellumark::acrobat::detail
