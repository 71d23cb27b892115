// Page text and thumbnail images through poppler-cpp, spread over worker
// threads. poppler is not safe to share across threads within one document,
// so every worker opens its own poppler document on the same bytes.
#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-global.h>
#include <poppler/cpp/poppler-image.h>
#include <poppler/cpp/poppler-page-renderer.h>
#include <poppler/cpp/poppler-page.h>
#if VELLUMARK_HAVE_POPPLER_SPLASH
// poppler's own rasteriser, from its private headers (Debian's
// libpoppler-private-dev); without them thumbnails go through poppler-cpp.
#include <PDFDoc.h>
#include <SplashOutputDev.h>
#include <TextOutputDev.h>
#include <Stream.h>
#include <splash/SplashBitmap.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <limits>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "acrobat/engine_messages.h"
#include "acrobat/line_assembly.h"
#include "acrobat/qpdf_document.h"

namespace vellumark::acrobat::detail {

namespace {

// Thumbnails are an eighth of the page at 72 dpi: A4 (595 x 842 points)
// gives about 74 x 105 pixels, the size viewers show in their page panel.
constexpr double kThumbnailDpi = 72.0 / 8.0;
// The longest edge a thumbnail may have: an eighth of A1 still fits, while
// a page of absurd size (200,000 points) gets a thumbnail, not a bitmap
// of gigabytes.
constexpr double kMaxThumbnailEdge = 256.0;
// Beyond this decoded image area (each image drawing counted) a page gets
// no thumbnail: poppler reads every pixel an image declares, and a few
// hundred bytes can declare 10^12 of them.
constexpr long long kMaxThumbnailImagePixels = 400'000'000;
// A page still drawing after this long gets no thumbnail.
constexpr std::chrono::seconds kThumbnailTimeBudget{5};

// The resolution that gives the page its thumbnail: an eighth of its size,
// or less when that would exceed the longest edge.
double ThumbnailDpi(double widthPoints, double heightPoints) {
  const double longest = std::max(widthPoints, heightPoints);
  if (!(longest > 0)) return kThumbnailDpi;
  return std::min(kThumbnailDpi, kMaxThumbnailEdge * 72.0 / longest);
}

// poppler-cpp creates its global state with the first document and destroys
// it with the last; documents loaded and freed on several threads at once
// would race on that. One document that lives as long as the program keeps
// the global state up, and a lock serialises loading and freeing.
std::mutex& PopplerLifecycleLock() {
  static std::mutex lock;
  return lock;
}

void QuietPopplerMessages(const std::string&, void*) {
  // poppler reports every syntax slip of a damaged file on stderr; the
  // engine reports failures itself, in words a user understands.
}

constexpr char kTinyPdf[] =
    "%PDF-1.4\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n"
    "2 0 obj<</Type/Pages/Kids[3 0 R]/Count 1>>endobj\n"
    "3 0 obj<</Type/Page/Parent 2 0 R/MediaBox[0 0 10 10]>>endobj\n"
    "trailer<</Root 1 0 R>>\n%%EOF\n";

void InitialisePoppler() {
  static std::once_flag once;
  std::call_once(once, [] {
    poppler::set_debug_error_function(QuietPopplerMessages, nullptr);
    std::lock_guard<std::mutex> guard(PopplerLifecycleLock());
    // volatile: the pointer is never read, and an optimiser would otherwise
    // drop it, leaving the document to look leaked to a leak checker.
    static poppler::document* volatile keepGlobalsAlive =
        poppler::document::load_from_raw_data(kTinyPdf, static_cast<int>(sizeof kTinyPdf - 1));
    (void)keepGlobalsAlive;
  });
}

struct PopplerDocumentDeleter {
  void operator()(poppler::document* doc) const {
    std::lock_guard<std::mutex> guard(PopplerLifecycleLock());
    delete doc;
  }
};
using PopplerDocument = std::unique_ptr<poppler::document, PopplerDocumentDeleter>;

std::atomic<long> documentsLoaded{0};

PopplerDocument LoadPoppler(const std::string& bytes) {
  InitialisePoppler();
  ++documentsLoaded;
  std::lock_guard<std::mutex> guard(PopplerLifecycleLock());
  // A document that needs a user password comes back locked, not null, and
  // poppler crashes when a locked document's pages are used.
  PopplerDocument doc(poppler::document::load_from_raw_data(bytes.data(), static_cast<int>(bytes.size())));
  // Deleted here, not through the deleter: it takes the lock this function
  // already holds, and a locked document (QPDF may read as open what
  // poppler finds encrypted) would hang the open for good.
  if (doc && doc->is_locked()) delete doc.release();
  return doc;
}

// Runs `work(state, k)` for k = 0 .. count-1 on up to one thread per core,
// each thread with its own state from `makeState` (its own poppler document
// of the file). The first failure is rethrown on the caller's thread once
// every worker has stopped. `pagesDone` is told the number of pages finished
// by all workers together, only ever on the caller's thread (which works
// too), so that it may drive a user interface.
template <typename State>
void ForEachPage(std::size_t count, const std::function<State()>& makeState,
                 const std::function<void(State&, std::size_t)>& work,
                 const std::function<void(int)>& pagesDone = {}) {
  if (count == 0) return;
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const auto workers = static_cast<unsigned>(std::min<std::size_t>(cores, count));
  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> finished{0};
  std::atomic<bool> failed{false};
  std::exception_ptr failure;
  std::mutex failureLock;

  const std::thread::id caller = std::this_thread::get_id();
  auto run = [&] {
    try {
      State state = makeState();
      // Bounded by `count`: every index is handed out once.
      for (std::size_t k = next++; k < count && !failed; k = next++) {
        work(state, k);
        const std::size_t done = ++finished;
        if (pagesDone && std::this_thread::get_id() == caller) pagesDone(static_cast<int>(done));
      }
    } catch (...) {
      std::lock_guard<std::mutex> guard(failureLock);
      if (!failure) failure = std::current_exception();
      failed = true;
    }
  };
  std::vector<std::thread> threads;
  for (unsigned t = 1; t < workers; ++t) {
    try {
      threads.emplace_back(run);
    } catch (const std::system_error&) {
      break;  // no more threads to be had: the ones running share the work
    }
  }
  run();
  for (auto& t : threads) t.join();
  if (failure) std::rethrow_exception(failure);
  // The other workers may have finished the last pages.
  if (pagesDone) pagesDone(static_cast<int>(count));
}

std::function<PopplerDocument()> PopplerDocuments(LoadedFile& file) {
  return [&file] {
    PopplerDocument doc = LoadPoppler(file.PopplerBytes());
    if (!doc) throw PdfError(file.path(), kDamaged);
    return doc;
  };
}

std::unique_ptr<poppler::page> PageOf(poppler::document& doc, int index, const LoadedFile& file,
                                      const char* what) {
  std::unique_ptr<poppler::page> page;
  if (index >= 0 && index < doc.pages()) page.reset(doc.create_page(index));
  if (!page) throw PdfError(file.path(), what);
  return page;
}

// Raw order: each line of the page exactly once, in the order the producer
// wrote it, words joined by one space, an ideographic space read as one
// ASCII space, and no indentation. The alternatives fail on real Japanese
// word-processor output: the physical layout pads an ideographic space to
// up to nine spaces and indents centred lines, and the reading-order layout
// cuts a heading such as "第1章　総則" into two lines.
std::string PageText(poppler::page& page) {
  const auto utf8 = page.text(poppler::rectf(), poppler::page::raw_order_layout).to_utf8();
  std::string text;
  text.reserve(utf8.size());
  for (char c : utf8) {
    if (c == '\f') continue;           // page separator poppler appends
    text.push_back(c == '\n' ? '\r' : c);  // the line end the readers split at
  }
  return text;
}

// The page's words with their positions, assembled into lines by geometry.
// poppler gives the boxes in points relative to the crop box as shown (its
// /Rotate applied, y down), while page_rect gives the crop box unturned: a
// page turned a quarter shows its width as its height.
[[maybe_unused]] PageLines PageLinesOf(poppler::page& page) {
  const auto crop = page.page_rect(poppler::crop_box);
  const auto orientation = page.orientation();
  const bool quarterTurned = orientation == poppler::page::landscape || orientation == poppler::page::seascape;
  const double width = quarterTurned ? crop.height() : crop.width();
  const double height = quarterTurned ? crop.width() : crop.height();
  const std::vector<poppler::text_box> words = page.text_list(poppler::page::text_list_include_font);
  std::vector<TextBox> boxes;
  boxes.reserve(words.size());
  for (const auto& word : words) {
    TextBox box;
    const auto ustr = word.text().to_utf8();
    box.text.assign(ustr.begin(), ustr.end());
    const auto bbox = word.bbox();
    box.box = {bbox.left(), bbox.top(), bbox.right(), bbox.bottom()};
    box.fontSize = word.get_font_size();
    box.verticalWriting = word.get_wmode() == poppler::text_box::vertical_wmode;
    box.rotation = word.rotation();
    box.spaceAfter = word.has_space_after();
    boxes.push_back(std::move(box));
  }
  return AssembleLines(boxes, width, height);
}

// RGB rows of `width` pixels, `stride` bytes apart, packed and compressed.
ThumbnailImage PackThumbnail(const char* data, int width, int height, int stride) {
  ThumbnailImage thumb;
  thumb.width = width;
  thumb.height = height;
  const auto rowBytes = static_cast<std::size_t>(width) * 3;
  std::string raw;
  raw.reserve(rowBytes * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) raw.append(data + static_cast<std::ptrdiff_t>(y) * stride, rowBytes);
  thumb.flateData = Deflate(raw);
  return thumb;
}

[[maybe_unused]] ThumbnailImage RenderThumbnail(poppler::page& page, const LoadedFile& file) {
  poppler::page_renderer renderer;
  renderer.set_image_format(poppler::image::format_rgb24);
  renderer.set_render_hint(poppler::page_renderer::antialiasing);
  renderer.set_render_hint(poppler::page_renderer::text_antialiasing);
  const auto box = page.page_rect(poppler::crop_box);
  const double dpi = ThumbnailDpi(box.width(), box.height());
  const poppler::image image = renderer.render_page(&page, dpi, dpi);
  if (!image.is_valid() || image.width() <= 0 || image.height() <= 0) throw PdfError(file.path(), kThumbnailFailed);
  return PackThumbnail(image.const_data(), image.width(), image.height(), image.bytes_per_row());
}

#if VELLUMARK_HAVE_POPPLER_SPLASH
// A worker's own poppler document of the file, through poppler's core
// classes: loaded and freed under the lifecycle lock like poppler-cpp's.
class CoreDocument {
 public:
  explicit CoreDocument(LoadedFile& file) {
    InitialisePoppler();  // the global parameters poppler-cpp set up
    const std::string& bytes = file.PopplerBytes();
    {
      std::lock_guard<std::mutex> guard(PopplerLifecycleLock());
      ++documentsLoaded;
      doc_ = std::make_unique<PDFDoc>(
          new MemStream(bytes.data(), 0, static_cast<Goffset>(bytes.size()), Object(objNull)));
    }
    if (!doc_->isOk()) throw PdfError(file.path(), kDamaged);
  }
  ~CoreDocument() {
    std::lock_guard<std::mutex> guard(PopplerLifecycleLock());
    doc_.reset();
  }
  CoreDocument(const CoreDocument&) = delete;
  CoreDocument& operator=(const CoreDocument&) = delete;

  PDFDoc& doc() { return *doc_; }

 private:
  std::unique_ptr<PDFDoc> doc_;
};

// A page's words through poppler's own text output, with the size and
// writing mode of each word's font. poppler-cpp's text_list gives these
// only together with every font's name, which it looks up in the system's
// font configuration page by page: three times the cost of the text itself.
class LineReader {
 public:
  explicit LineReader(LoadedFile& file) : file_(file), doc_(file) {}

  PageLines Read(int pageIndex) {
    PDFDoc& doc = doc_.doc();
    if (pageIndex < 0 || pageIndex >= doc.getNumPages()) throw PdfError(file_.path(), kPageTextUnreadable);
    const int page = pageIndex + 1;
    const bool quarterTurned = doc.getPageRotate(page) % 180 != 0;
    const double width = quarterTurned ? doc.getPageCropHeight(page) : doc.getPageCropWidth(page);
    const double height = quarterTurned ? doc.getPageCropWidth(page) : doc.getPageCropHeight(page);
    // The words in the order they are drawn: the lines are assembled by
    // their geometry here, so poppler's own reading order (most of its text
    // work) is not needed. The page as shown (its /Rotate applied), in
    // points.
    TextOutputDev output(nullptr, false, 0, true, false);
    doc.displayPage(&output, page, 72, 72, 0, false, false, false);
    const std::unique_ptr<TextWordList> words = output.makeWordList();
    std::vector<TextBox> boxes;
    boxes.reserve(static_cast<std::size_t>(std::max(0, words->getLength())));
    for (int i = 0; i < words->getLength(); ++i) {
      const TextWord* word = words->get(i);
      TextBox box;
      const std::unique_ptr<GooString> text(word->getText());
      box.text = text ? text->toStr() : std::string();
      word->getBBox(&box.box.left, &box.box.top, &box.box.right, &box.box.bottom);
      box.fontSize = word->getFontSize();
      box.verticalWriting = word->getLength() > 0 && word->getFontInfo(0) != nullptr &&
                            word->getFontInfo(0)->getWMode() == 1;
      box.rotation = word->getRotation();
      box.spaceAfter = word->hasSpaceAfter();
      boxes.push_back(std::move(box));
    }
    return AssembleLines(boxes, width, height);
  }

 private:
  LoadedFile& file_;
  CoreDocument doc_;
};

// poppler-cpp's page renderer builds a new rasteriser for every page, and
// with it loads every font anew: a non-embedded Japanese font costs some
// 25 ms a page that way, ten times the page itself. One rasteriser per
// worker keeps its font cache across pages, as poppler's own tools do.
class SplashThumbnailer {
 public:
  explicit SplashThumbnailer(LoadedFile& file) : file_(file), document_(file) {
    SplashColor paper;
    paper[0] = paper[1] = paper[2] = 0xFF;
    output_ = std::make_unique<SplashOutputDev>(splashModeRGB8, 4, false, paper);
    output_->setFontAntialias(true);
    output_->setVectorAntialias(true);
    output_->startDoc(&document_.doc());
  }
  ~SplashThumbnailer() { output_.reset(); }

  ThumbnailImage Render(int pageIndex) {
    if (pageIndex < 0 || pageIndex >= document_.doc().getNumPages()) throw PdfError(file_.path(), kThumbnailFailed);
    const int page = pageIndex + 1;
    const double dpi = ThumbnailDpi(document_.doc().getPageCropWidth(page), document_.doc().getPageCropHeight(page));
    // poppler asks between operators whether to stop; past the budget the
    // page is given up.
    struct Deadline {
      std::chrono::steady_clock::time_point end;
      bool passed = false;
    } deadline{std::chrono::steady_clock::now() + kThumbnailTimeBudget};
    auto abortCheck = [](void* data) -> bool {
      auto* d = static_cast<Deadline*>(data);
      if (std::chrono::steady_clock::now() > d->end) d->passed = true;
      return d->passed;
    };
    // The crop box, as a viewer shows the page; annotations drawn as on screen.
    document_.doc().displayPageSlice(output_.get(), page, dpi, dpi, 0, false, true, false, -1, -1, -1, -1, abortCheck,
                           &deadline);
    if (deadline.passed) {
      ThumbnailImage none;
      none.skipped = true;
      return none;
    }
    SplashBitmap* bitmap = output_->getBitmap();
    if (bitmap == nullptr || bitmap->getWidth() <= 0 || bitmap->getHeight() <= 0) {
      throw PdfError(file_.path(), kThumbnailFailed);
    }
    return PackThumbnail(reinterpret_cast<const char*>(bitmap->getDataPtr()), bitmap->getWidth(),
                         bitmap->getHeight(), bitmap->getRowSize());
  }

 private:
  LoadedFile& file_;
  CoreDocument document_;
  std::unique_ptr<SplashOutputDev> output_;
};
#endif

}  // namespace

long PopplerDocumentsLoaded() { return documentsLoaded; }

void EnsurePopplerReadable(LoadedFile& file) {
  if (file.popplerChecked) return;
  file.popplerChecked = true;
  // poppler takes the length of a document in memory as an int.
  if (file.PopplerBytes().size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    throw PdfError(file.path(), kFileTooLarge);
  }
  // poppler must see the pages QPDF found, index for index: a page tree
  // whose /Count claims more pages than it holds leaves poppler with none.
  const auto pageCount = static_cast<int>(file.pages().size());
  auto readsAllPages = [&] {
    PopplerDocument doc = LoadPoppler(file.PopplerBytes());
    return doc && doc->pages() == pageCount;
  };
  // A file QPDF had to repair (a broken cross-reference table, a wrong
  // stream length) may come out of poppler's own repair as other objects:
  // the budgets measured QPDF's reading, so poppler must draw that one.
  if (!file.qpdf().anyWarnings() && readsAllPages()) return;
  // poppler gave up on a file QPDF could repair, or counts its pages
  // otherwise, or the file needed repair: let it read QPDF's rewrite, whose
  // objects and page tree are QPDF's.
  file.UsePopplerRepair();
  if (!readsAllPages()) throw PdfError(file.path(), kDamaged);
}

namespace {

// Reads `pageIndexes` of `file`, each with `read` on the state its worker
// made with `makeState` (a poppler document of the file of its own).
template <typename State, typename Result>
std::vector<Result> ReadPagesWith(LoadedFile& file, const std::vector<int>& pageIndexes,
                                  const std::function<State()>& makeState,
                                  const std::function<Result(State&, int)>& read) {
  EnsurePopplerReadable(file);
  // Measured before poppler reads a page: a page beyond the budgets fails
  // here, before it can exhaust memory or time.
  for (int index : pageIndexes) file.CostOf(index);
  std::vector<Result> results(pageIndexes.size());
  try {
    ForEachPage<State>(pageIndexes.size(), makeState,
                       [&](State& state, std::size_t k) { results[k] = read(state, pageIndexes[k]); });
  } catch (const std::bad_alloc&) {
    throw PdfError(file.path(), kTooComplex);
  }
  return results;
}

// The same through poppler-cpp's page object.
template <typename Result>
std::vector<Result> ReadPages(LoadedFile& file, const std::vector<int>& pageIndexes, Result (*read)(poppler::page&)) {
  return ReadPagesWith<PopplerDocument, Result>(file, pageIndexes, PopplerDocuments(file),
                                                [&](PopplerDocument& doc, int index) {
                                                  auto page = PageOf(*doc, index, file, kPageTextUnreadable);
                                                  return read(*page);
                                                });
}

}  // namespace

std::vector<std::string> ExtractPageTexts(LoadedFile& file, const std::vector<int>& pageIndexes) {
  return ReadPages(file, pageIndexes, PageText);
}

std::vector<PageLines> ExtractPageLines(LoadedFile& file, const std::vector<int>& pageIndexes) {
#if VELLUMARK_HAVE_POPPLER_SPLASH
  return ReadPagesWith<std::unique_ptr<LineReader>, PageLines>(
      file, pageIndexes, [&file] { return std::make_unique<LineReader>(file); },
      [](std::unique_ptr<LineReader>& reader, int index) { return reader->Read(index); });
#else
  return ReadPages(file, pageIndexes, PageLinesOf);
#endif
}

std::vector<ThumbnailImage> RenderThumbnails(LoadedFile& file, const std::vector<int>& pageIndexes,
                                             const std::function<void(int)>& pagesDone) {
  EnsurePopplerReadable(file);
  std::vector<ThumbnailImage> thumbs(pageIndexes.size());
  // Pages whose images alone would take too long are not handed to poppler.
  for (std::size_t k = 0; k < pageIndexes.size(); ++k) {
    thumbs[k].skipped = file.CostOf(pageIndexes[k]).imagePixels > kMaxThumbnailImagePixels;
  }
  try {
#if VELLUMARK_HAVE_POPPLER_SPLASH
    ForEachPage<std::unique_ptr<SplashThumbnailer>>(
        pageIndexes.size(), [&file] { return std::make_unique<SplashThumbnailer>(file); },
        [&](std::unique_ptr<SplashThumbnailer>& renderer, std::size_t k) {
          if (!thumbs[k].skipped) thumbs[k] = renderer->Render(pageIndexes[k]);
        },
        pagesDone);
#else
    ForEachPage<PopplerDocument>(
        pageIndexes.size(), PopplerDocuments(file),
        [&](PopplerDocument& doc, std::size_t k) {
          if (thumbs[k].skipped) return;
          auto page = PageOf(*doc, pageIndexes[k], file, kThumbnailFailed);
          thumbs[k] = RenderThumbnail(*page, file);
        },
        pagesDone);
#endif
  } catch (const std::bad_alloc&) {
    throw PdfError(file.path(), kTooComplex);
  }
  return thumbs;
}

}  // namespace vellumark::acrobat::detail
