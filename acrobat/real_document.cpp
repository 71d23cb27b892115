// The working, source and part documents of a conversion on QPDF: pages
// are held in a list of their own and written into the page tree at save
// time, together with the outline and the opening state.
#include <qpdf/Pipeline.hh>
#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_Flate.hh>
#include <qpdf/QPDFNumberTreeObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <qpdf/QUtil.hh>

#include <algorithm>
#include <charconv>
#include <map>
#include <new>
#include <string>
#include <system_error>
#include <utility>

#include "acrobat/engine_messages.h"
#include "acrobat/page_labels.h"
#include "acrobat/qpdf_document.h"
#include "platform/file_io.h"

namespace vellumark::acrobat::detail {

namespace {

// "1.10" > "1.9" does not occur in PDF versions, but compare numerically
// anyway so that "2.0" sorts above every 1.x.
bool VersionLess(const std::string& a, const std::string& b) {
  auto parts = [](const std::string& v) {
    std::pair<int, int> number{0, 0};
    const char* end = v.data() + v.size();
    auto [next, ec] = std::from_chars(v.data(), end, number.first);
    if (ec == std::errc() && next < end && *next == '.') std::from_chars(next + 1, end, number.second);
    return number;
  };
  return parts(a) < parts(b);
}

QPDFObjectHandle XyzDestination(const QPDFObjectHandle& page, double zoom) {
  return QPDFObjectHandle::newArray({page, QPDFObjectHandle::newName("/XYZ"), QPDFObjectHandle::newNull(),
                                     QPDFObjectHandle::newNull(), QPDFObjectHandle::newReal(zoom, 4)});
}

// Entries of a /PageLabels tree beyond one per page that a read still
// walks: room for a few stray ones. A tree whose kids repeat each other
// lists the same entries over and over, and the walk must end all the same.
constexpr long long kSpareLabelEntries = 1024;
// Prefix text a read decodes in all. One long string named as the prefix
// of every range would otherwise be decoded once per page.
constexpr long long kLabelPrefixBytesRead = 16LL << 20;

// The labels a viewer shows for the file's pages: read when the file is
// opened, so that a document saved again (a part given its final links)
// keeps them, and copied pages carry them like any label.
std::vector<std::string> ReadPageLabels(QPDF& pdf, int pageCount) {
  auto tree = pdf.getRoot().getKey("/PageLabels");
  if (!tree.isDictionary()) return std::vector<std::string>(static_cast<std::size_t>(pageCount));
  std::vector<LabelRange> ranges;
  long long entriesLeft = pageCount + kSpareLabelEntries;
  long long prefixBytesLeft = kLabelPrefixBytesRead;
  QPDFNumberTreeObjectHelper helper(tree, pdf);
  for (auto it = helper.begin(); it != helper.end() && entriesLeft > 0; ++it, --entriesLeft) {
    const long long key = it->first;
    QPDFObjectHandle value = it->second;  // QPDF's getters are not const
    if (key >= pageCount) break;
    // Out of order or not a label dictionary: a viewer could only guess.
    if (key < 0 || !value.isDictionary() || (!ranges.empty() && key <= ranges.back().firstPage)) continue;
    LabelRange range;
    range.firstPage = static_cast<int>(key);
    auto style = value.getKey("/S");
    if (style.isNameAndEquals("/D")) range.style = LabelStyle::kDecimal;
    if (style.isNameAndEquals("/r")) range.style = LabelStyle::kRomanLower;
    if (style.isNameAndEquals("/R")) range.style = LabelStyle::kRomanUpper;
    if (style.isNameAndEquals("/a")) range.style = LabelStyle::kLettersLower;
    if (style.isNameAndEquals("/A")) range.style = LabelStyle::kLettersUpper;
    auto prefix = value.getKey("/P");
    if (prefix.isString() && prefixBytesLeft > 0) {
      const std::string text = prefix.getUTF8Value();
      prefixBytesLeft -= static_cast<long long>(text.size());
      range.prefix = BoundedLabelPrefix(text);
    }
    auto start = value.getKey("/St");
    if (start.isInteger()) range.start = start.getIntValue();
    ranges.push_back(std::move(range));
  }
  return LabelsFromRanges(ranges, pageCount);
}

// A flat number tree: the few ranges a document has need no kids.
QPDFObjectHandle PageLabelTree(const std::vector<LabelRange>& ranges) {
  std::vector<QPDFObjectHandle> nums;
  nums.reserve(ranges.size() * 2);
  for (const auto& range : ranges) {
    auto label = QPDFObjectHandle::newDictionary();
    const char* style = nullptr;
    switch (range.style) {
      case LabelStyle::kNone: break;
      case LabelStyle::kDecimal: style = "/D"; break;
      case LabelStyle::kRomanLower: style = "/r"; break;
      case LabelStyle::kRomanUpper: style = "/R"; break;
      case LabelStyle::kLettersLower: style = "/a"; break;
      case LabelStyle::kLettersUpper: style = "/A"; break;
    }
    if (style != nullptr) label.replaceKey("/S", QPDFObjectHandle::newName(style));
    // PDFDocEncoding where it can say the prefix, UTF-16BE ("資-") where not.
    if (!range.prefix.empty()) label.replaceKey("/P", QPDFObjectHandle::newUnicodeString(range.prefix));
    if (style != nullptr && range.start != 1) label.replaceKey("/St", QPDFObjectHandle::newInteger(range.start));
    nums.push_back(QPDFObjectHandle::newInteger(range.firstPage));
    nums.push_back(label);
  }
  auto tree = QPDFObjectHandle::newDictionary();
  tree.replaceKey("/Nums", QPDFObjectHandle::newArray(nums));
  return tree;
}

// The origin pages of `origin` this document holds that `cache` has no
// entry for yet, ascending: one poppler pass reads them all, so a scan of
// the whole document parses each source file once.
template <typename Cached>
std::vector<int> UnreadPagesOf(const std::vector<PageEntry>& pages, const std::shared_ptr<LoadedFile>& origin,
                               const std::vector<std::optional<Cached>>& cache) {
  std::vector<int> missing;
  for (const auto& other : pages) {
    if (other.origin != origin) continue;
    if (cache[static_cast<std::size_t>(other.originIndex)]) continue;
    missing.push_back(other.originIndex);
  }
  std::sort(missing.begin(), missing.end());
  missing.erase(std::unique(missing.begin(), missing.end()), missing.end());
  return missing;
}

}  // namespace

std::string Utf8Path(const std::filesystem::path& path) {
  const auto u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
}

QPDFObjectHandle MakeTextString(const std::string& utf8) {
  std::string utf16 = QUtil::utf8_to_utf16(utf8);
  if (utf16.size() < 2 || utf16[0] != '\xFE' || utf16[1] != '\xFF') utf16.insert(0, "\xFE\xFF");
  return QPDFObjectHandle::newString(utf16);
}

std::string Deflate(const std::string& raw) {
  Pl_Buffer out("deflated");
  Pl_Flate deflate("deflate", &out, Pl_Flate::a_deflate);
  deflate.write(reinterpret_cast<const unsigned char*>(raw.data()), raw.size());
  deflate.finish();
  auto buffer = out.getBufferSharedPointer();
  return std::string(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
}

RealDocument::RealDocument(std::shared_ptr<LoadedFile> file)
    : file_(std::move(file)), qpdf_(file_->qpdf()), minimumVersion_(file_->pdfVersion()), root_(*this, nullptr) {
  const auto& pages = file_->pages();
  pages_.reserve(pages.size());
  for (std::size_t i = 0; i < pages.size(); ++i) pages_.push_back(PageEntry{pages[i], file_, static_cast<int>(i)});
  try {
    const auto labels = ReadPageLabels(qpdf_, GetNumPages());
    for (std::size_t i = 0; i < pages_.size(); ++i) pages_[i].label = labels[i];
  } catch (const std::exception&) {
    // Labels QPDF cannot read are dropped, as a viewer would show none; the
    // pages are what count.
    for (auto& entry : pages_) entry.label.clear();
  }
  try {
    LoadOutline();
  } catch (const std::exception&) {
    // An outline QPDF cannot walk (a loop, a broken item) is dropped: it
    // would be rewritten at save time anyway, and the pages are what count.
    root_.children_.clear();
    outlineDirty_ = true;
  }
}

RealDocument::~RealDocument() = default;

void RealDocument::CheckOpen() const {
  if (closed_) throw PdfError(file_->path(), kDocumentClosed);
}

// The same range rule as the rest of the engine's callers assume: inside
// the document, and first..last may be empty (first == last + 1).
void RealDocument::CheckRange(int first, int last) const {
  if (first < 0 || last >= GetNumPages() || first > last + 1) throw PdfError(file_->path(), kBadPageRange);
}

int RealDocument::GetNumPages() const { return static_cast<int>(pages_.size()); }

int RealDocument::IndexOfPage(const QPDFObjectHandle& page) const {
  if (!page.isInitialized()) return -1;
  const auto og = page.getObjGen();
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    if (pages_[i].page.getObjGen() == og) return static_cast<int>(i);
  }
  return -1;
}

QPDFObjectHandle RealDocument::PageAt(int index) const { return pages_.at(static_cast<std::size_t>(index)).page; }

template <typename Result>
Result RealDocument::ReadCached(int pageIndex, std::vector<std::optional<Result>>& (LoadedFile::*cacheOf)(),
                                std::vector<Result> (*extract)(LoadedFile&, const std::vector<int>&)) const {
  if (pageIndex < 0 || pageIndex >= GetNumPages()) throw PdfError(file_->path(), kBadPageRange);
  const PageEntry& entry = pages_[static_cast<std::size_t>(pageIndex)];
  auto& cache = ((*entry.origin).*cacheOf)();
  auto& slot = cache.at(static_cast<std::size_t>(entry.originIndex));
  if (slot) return *slot;
  const std::vector<int> missing = UnreadPagesOf(pages_, entry.origin, cache);
  auto results = extract(*entry.origin, missing);
  for (std::size_t k = 0; k < missing.size(); ++k) cache[static_cast<std::size_t>(missing[k])] = std::move(results[k]);
  return *slot;
}

std::string RealDocument::ReadPageText(int pageIndex) const {
  return ReadCached(pageIndex, &LoadedFile::textCache, ExtractPageTexts);
}

PageLines RealDocument::ReadPageLines(int pageIndex) const {
  return ReadCached(pageIndex, &LoadedFile::linesCache, ExtractPageLines);
}

void RealDocument::InsertPages(int after, const Document& source, int firstSourcePage, int count) {
  CheckOpen();
  if (count <= 0) return;
  const auto* src = dynamic_cast<const RealDocument*>(&source);
  if (src == nullptr) throw PdfError(file_->path(), kForeignDocument);
  if (src->closed_) throw PdfError(src->file_->path(), kDocumentClosed);
  if (firstSourcePage < 0 || firstSourcePage + count > src->GetNumPages()) {
    throw PdfError(src->file_->path(), kBadPageRange);
  }
  if (after < -1 || after >= GetNumPages()) throw PdfError(file_->path(), kBadPageRange);

  // Copied before any change reaches the list, so a failure leaves the
  // document as it was.
  std::vector<PageEntry> copies;
  try {
    src->file_->PrepareForCopy();
    std::set<QPDFObjGen> present;
    for (const auto& entry : pages_) present.insert(entry.page.getObjGen());
    for (int k = 0; k < count; ++k) {
      const PageEntry& from = src->pages_[static_cast<std::size_t>(firstSourcePage + k)];
      QPDFObjectHandle page = src == this ? from.page : qpdf_.copyForeignObject(from.page);
      // QPDF hands back the same copy when a page is copied again; a page
      // object may stand only once in a page tree, so a second occurrence
      // gets a dictionary of its own that shares the content.
      if (!present.insert(page.getObjGen()).second) {
        page = qpdf_.makeIndirectObject(page.shallowCopy());
        present.insert(page.getObjGen());
      }
      copies.push_back(PageEntry{page, from.origin, from.originIndex, nullptr, from.label});
    }
  } catch (const PdfError&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw PdfError(src->file_->path(), kTooComplex);
  } catch (const std::exception&) {
    throw PdfError(src->file_->path(), kDamaged);
  }
  pages_.insert(pages_.begin() + (after + 1), copies.begin(), copies.end());
  if (src != this) {
    keepAlive_.insert(src->file_);
    keepAlive_.insert(src->keepAlive_.begin(), src->keepAlive_.end());
    if (VersionLess(minimumVersion_, src->minimumVersion_)) minimumVersion_ = src->minimumVersion_;
  }
}

void RealDocument::DeletePages(int first, int last) {
  CheckOpen();
  CheckRange(first, last);
  pages_.erase(pages_.begin() + first, pages_.begin() + last + 1);
}

void RealDocument::MovePage(int moveAfter, int pageToMove) {
  CheckOpen();
  CheckRange(pageToMove, pageToMove);
  if (moveAfter < -1 || moveAfter >= GetNumPages()) throw PdfError(file_->path(), kBadPageRange);
  const int insertAt = MovedPageIndex(moveAfter, pageToMove, GetNumPages());
  PageEntry entry = pages_[static_cast<std::size_t>(pageToMove)];
  pages_.erase(pages_.begin() + pageToMove);
  pages_.insert(pages_.begin() + insertAt, entry);
}

void RealDocument::SetOpeningView(const OpeningView& view) {
  CheckOpen();
  openingView_ = view;
}

void RealDocument::SetPageLabel(int pageIndex, const std::string& label) {
  CheckOpen();
  CheckRange(pageIndex, pageIndex);
  pages_[static_cast<std::size_t>(pageIndex)].label = label;
}

void RealDocument::DeleteThumbs(int first, int last) {
  CheckOpen();
  CheckRange(first, last);
  for (int i = first; i <= last; ++i) {
    auto& entry = pages_[static_cast<std::size_t>(i)];
    entry.page.removeKey("/Thumb");
    entry.storedStreams.reset();
  }
}

std::vector<SkippedThumbnail> RealDocument::CreateThumbs(int first, int last, const PagesDone& pagesDone) {
  CheckOpen();
  CheckRange(first, last);
  std::vector<std::pair<int, SkippedThumbnail>> skipped;  // by page index here
  // Rendered from the file each page came from, grouped by file so that
  // each file is opened once per worker.
  std::map<LoadedFile*, std::vector<int>> byOrigin;
  for (int i = first; i <= last; ++i) byOrigin[pages_[static_cast<std::size_t>(i)].origin.get()].push_back(i);
  int doneBefore = 0;  // pages of the files rendered already
  for (auto& [origin, indexes] : byOrigin) {
    std::vector<int> originIndexes;
    originIndexes.reserve(indexes.size());
    for (int i : indexes) originIndexes.push_back(pages_[static_cast<std::size_t>(i)].originIndex);
    std::function<void(int)> originDone;
    if (pagesDone) originDone = [&pagesDone, doneBefore](int done) { pagesDone(doneBefore + done); };
    auto thumbs = RenderThumbnails(*origin, originIndexes, originDone);
    doneBefore += static_cast<int>(indexes.size());
    for (std::size_t k = 0; k < indexes.size(); ++k) {
      if (thumbs[k].skipped) {
        skipped.push_back({indexes[k], SkippedThumbnail{origin->path(), originIndexes[k] + 1}});
        continue;
      }
      auto stream = QPDFObjectHandle::newStream(&qpdf_);
      stream.replaceStreamData(thumbs[k].flateData, QPDFObjectHandle::newName("/FlateDecode"),
                               QPDFObjectHandle::newNull());
      auto dict = stream.getDict();
      dict.replaceKey("/Width", QPDFObjectHandle::newInteger(thumbs[k].width));
      dict.replaceKey("/Height", QPDFObjectHandle::newInteger(thumbs[k].height));
      dict.replaceKey("/ColorSpace", QPDFObjectHandle::newName("/DeviceRGB"));
      dict.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(8));
      auto& entry = pages_[static_cast<std::size_t>(indexes[k])];
      entry.page.replaceKey("/Thumb", stream);
      entry.storedStreams.reset();
    }
  }
  // In page order, however the pages came together.
  std::sort(skipped.begin(), skipped.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<SkippedThumbnail> inOrder;
  for (auto& [index, page] : skipped) inOrder.push_back(std::move(page));
  return inOrder;
}

Bookmark& RealDocument::BookmarkRoot() { return root_; }

void RealDocument::Close() { closed_ = true; }

// --- saving -----------------------------------------------------------------

void RealDocument::SyncPageTree() {
  auto root = qpdf_.getRoot();
  auto pagesRoot = root.getKey("/Pages");
  if (!pagesRoot.isDictionary() || !pagesRoot.isIndirect()) {
    pagesRoot = qpdf_.makeIndirectObject(QPDFObjectHandle::newDictionary());
    root.replaceKey("/Pages", pagesRoot);
  }
  pagesRoot.replaceKey("/Type", QPDFObjectHandle::newName("/Pages"));
  pagesRoot.removeKey("/Parent");
  std::vector<QPDFObjectHandle> kids;
  kids.reserve(pages_.size());
  for (auto& entry : pages_) {
    entry.page.replaceKey("/Parent", pagesRoot);
    kids.push_back(entry.page);
  }
  pagesRoot.replaceKey("/Kids", QPDFObjectHandle::newArray(kids));
  pagesRoot.replaceKey("/Count", QPDFObjectHandle::newInteger(static_cast<long long>(pages_.size())));
  qpdf_.updateAllPagesCache();
}

// The labels of the pages held now replace whatever the file carried:
// ranges numbered for another page order would label the wrong pages.
void RealDocument::WritePageLabels() {
  std::vector<std::string> labels;
  labels.reserve(pages_.size());
  for (const auto& entry : pages_) labels.push_back(entry.label);
  const auto ranges = RangesFromLabels(labels);
  auto root = qpdf_.getRoot();
  if (ranges.empty()) {
    root.removeKey("/PageLabels");
  } else {
    root.replaceKey("/PageLabels", PageLabelTree(ranges));
  }
}

void RealDocument::WriteOpeningState() {
  auto root = qpdf_.getRoot();
  if (openingView_) {
    root.replaceKey("/PageMode",
                    QPDFObjectHandle::newName(openingView_->bookmarksPane ? "/UseOutlines" : "/UseNone"));
  }
  if (pages_.empty()) {
    root.removeKey("/OpenAction");
    return;
  }
  if (openingView_) {
    const int index = std::clamp(openingView_->page, 0, GetNumPages() - 1);
    root.replaceKey("/OpenAction", XyzDestination(PageAt(index), openingView_->zoomPercent / 100.0));
    return;
  }
  // No opening information set: keep the file's own, but an open action to
  // a page that has left the document (the blank base page of a part) is
  // sent to the first page with the same view.
  auto action = root.getKey("/OpenAction");
  QPDFObjectHandle dest = action;
  if (action.isDictionary() && action.getKey("/S").isNameAndEquals("/GoTo")) dest = action.getKey("/D");
  if (!dest.isArray() || dest.getArrayNItems() < 1) return;
  if (IndexOfPage(dest.getArrayItem(0)) >= 0) return;
  auto items = dest.getArrayAsVector();
  items[0] = PageAt(0);
  if (action.isDictionary()) {
    action.replaceKey("/D", QPDFObjectHandle::newArray(items));
  } else {
    root.replaceKey("/OpenAction", QPDFObjectHandle::newArray(items));
  }
}

namespace {

// QPDF's own file output cannot be trusted with a full disk: it writes
// through stdio, its pipeline ignores what the final fflush reports, and
// nothing syncs the file, so bytes the C library buffered can be lost while
// the save "succeeds" (a full disk gave truncated files and exit status 0).
// The writer's output goes through this pipeline into the checked sink
// instead, where every byte is accounted for.
class CheckedFilePipeline final : public Pipeline {
 public:
  explicit CheckedFilePipeline(platform::FileSink& sink) : Pipeline("vellumark output", nullptr), sink_(sink) {}
  void write(unsigned char const* data, size_t length) override {
    sink_.Write(reinterpret_cast<const char*>(data), length);
  }
  // Syncing and closing belong to the sink's owner, after the last byte.
  void finish() override {}

 private:
  platform::FileSink& sink_;
};

}  // namespace

void WriteAtomically(QPDF& pdf, const std::filesystem::path& path,
                     const std::function<void(QPDFWriter&)>& configure) {
  try {
    platform::WriteAtomically(path, [&](platform::FileSink& sink) {
      CheckedFilePipeline output(sink);
      QPDFWriter writer(pdf);
      writer.setOutputPipeline(&output);
      configure(writer);
      writer.write();
    });
  } catch (const PdfError&) {
    throw;
  } catch (const platform::UserError& error) {
    // The file system's reason ("the disk is full") tells the user more than
    // a bare "cannot save".
    throw PdfError(error.file(), error.reason());
  } catch (const std::exception&) {
    throw PdfError(path, kCannotSave);
  }
}

void RealDocument::WriteFile(const std::filesystem::path& path) {
  WriteAtomically(qpdf_, path, [this](QPDFWriter& writer) {
    // Object streams keep the many small objects of a long document small;
    // the same input always gives the same bytes, so a measured size holds
    // for the file written next under its final name.
    writer.setObjectStreamMode(qpdf_o_generate);
    writer.setDeterministicID(true);
    writer.setPreserveEncryption(false);
    writer.setMinimumPDFVersion(minimumVersion_);
    // Streams are left to the writer's defaults (uncompressed ones get
    // compressed, Flate data and image codecs are copied as stored): the
    // lower bound on the saved size (saved_size.cpp) counts on exactly that.
  });
}

void RealDocument::Save(const std::filesystem::path& path) {
  CheckOpen();
  // Links to pages of the same file are pointed at this document's copy of
  // the target, or left out of this save when the target is not here.
  std::vector<std::pair<QPDFObjectHandle, QPDFObjectHandle>> restoreAnnots;
  try {
    SyncPageTree();
    std::map<std::pair<const LoadedFile*, int>, QPDFObjectHandle> byOrigin;
    bool mapped = false;
    for (auto& entry : pages_) {
      const auto& links = entry.origin->LinksOf(entry.originIndex);
      if (links.empty()) continue;
      auto annots = entry.page.getKey("/Annots");
      if (!annots.isArray()) continue;
      if (!mapped) {
        for (const auto& e : pages_) byOrigin.emplace(std::make_pair(e.origin.get(), e.originIndex), e.page);
        mapped = true;
      }
      auto items = annots.getArrayAsVector();
      std::vector<bool> keep(items.size(), true);
      for (const auto& link : links) {
        if (link.annotIndex >= items.size()) continue;
        auto target = byOrigin.find({entry.origin.get(), link.targetIndex});
        auto dest = items[link.annotIndex].getKey("/Dest");
        if (target != byOrigin.end() && dest.isArray() && dest.getArrayNItems() > 0) {
          dest.setArrayItem(0, target->second);
        } else {
          keep[link.annotIndex] = false;
        }
      }
      if (std::find(keep.begin(), keep.end(), false) == keep.end()) continue;
      std::vector<QPDFObjectHandle> kept;
      for (std::size_t a = 0; a < items.size(); ++a) {
        if (keep[a]) kept.push_back(items[a]);
      }
      restoreAnnots.emplace_back(entry.page, annots);
      entry.page.replaceKey("/Annots", QPDFObjectHandle::newArray(kept));
    }
    WriteOutline();
    WriteOpeningState();
    WritePageLabels();
  } catch (const PdfError&) {
    for (auto& [page, annots] : restoreAnnots) page.replaceKey("/Annots", annots);
    throw;
  } catch (const std::exception&) {
    for (auto& [page, annots] : restoreAnnots) page.replaceKey("/Annots", annots);
    throw PdfError(path, kCannotSave);
  }
  // The full annotation lists go back after writing, so a later copy of the
  // page into a document that does hold the target keeps its link.
  struct Restore {
    std::vector<std::pair<QPDFObjectHandle, QPDFObjectHandle>>& list;
    ~Restore() {
      for (auto& [page, annots] : list) page.replaceKey("/Annots", annots);
    }
  } restore{restoreAnnots};
  WriteFile(path);
}

// --- views --------------------------------------------------------------------

void RealView::Close() {
  // Without a window there is nothing to ask the user; the document is
  // released with the view.
  document_.Close();
}

}  // namespace vellumark::acrobat::detail
