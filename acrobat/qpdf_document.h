#pragma once
// Private to the engine's implementation files: the QPDF-backed document,
// view and bookmark classes. Never include this from outside acrobat/*.cpp;
// the public boundary is engine.h.
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <cstddef>
#include <exception>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "acrobat/engine_messages.h"

#include "acrobat/engine.h"

namespace vellumark::acrobat::detail {

// A link annotation of a page that jumps to another page of the same file.
// Kept by position in the page's /Annots so that every copy of the page can
// find its own copy of the annotation.
struct PageLink {
  std::size_t annotIndex = 0;
  int targetIndex = 0;  // page index in the file the page came from
};

// What poppler spends drawing a content stream, with what it invokes.
struct ContentCost {
  long long operators = 0;
  long long depth = 0;  // deepest graphics-state nesting, in levels
  long long imagePixels = 0;
};

// What drawing a page asks of poppler that is not refused outright.
struct PageCost {
  long long imagePixels = 0;  // decoded image area, each drawing counted
};

// A PDF file read into memory, with its parsed structure. Every document
// holding pages of the file keeps it alive: copied pages read their streams
// from these bytes, and their text and thumbnails are taken from here (pages
// travel between documents unchanged, so the file's page is the page).
class LoadedFile {
 public:
  // Throws PdfError naming `path` when the file is missing, unreadable, not
  // a PDF, needs a password to open or is damaged beyond repair.
  static std::shared_ptr<LoadedFile> Load(const std::filesystem::path& path);
  ~LoadedFile();

  const std::filesystem::path& path() const { return path_; }
  QPDF& qpdf() { return *qpdf_; }
  const std::vector<QPDFObjectHandle>& pages() const { return pages_; }
  const std::vector<PageLink>& LinksOf(int pageIndex) const;
  std::string pdfVersion() const { return version_; }

  // Bytes poppler reads: the file itself, or, once UsePopplerRepair() has
  // been called because poppler cannot open the file as it stands, QPDF's
  // repaired rewrite of it.
  const std::string& PopplerBytes() const { return popplerUsesRepair_ ? repairedBytes_ : *bytes_; }
  void UsePopplerRepair();
  bool popplerChecked = false;

  // Cached text of the file's pages, filled by the document on demand.
  std::vector<std::optional<std::string>>& textCache() { return textCache_; }
  // Cached lines of the file's pages, likewise.
  std::vector<std::optional<PageLines>>& linesCache() { return linesCache_; }

  // Gives every page its own, pruned resource dictionary when the pages
  // share one (word processors name every image of the document in one
  // dictionary), so that a copied page brings along only what it draws.
  // Runs once per file, before its first page is copied out.
  void PrepareForCopy();
  bool preparedForCopy() const { return preparedForCopy_; }

  // Measures what drawing the page asks of poppler, once per page. Throws
  // PdfError (too complex) when the page's contents, fonts or nesting are
  // beyond what the engine lets poppler draw; run it before poppler or
  // QPDF parses the page. Not thread-safe: call on the caller's thread.
  const PageCost& CostOf(int pageIndex);

 private:
  friend class PageMeasure;
  explicit LoadedFile(std::filesystem::path path) : path_(std::move(path)) {}
  void ReadStructure();
  void NormaliseLinks();

  std::filesystem::path path_;
  // Declared before qpdf_: QPDF reads lazily from these bytes and must go first.
  std::shared_ptr<const std::string> bytes_;
  std::string repairedBytes_;
  std::shared_ptr<QPDF> qpdf_;
  std::vector<QPDFObjectHandle> pages_;
  std::map<int, std::vector<PageLink>> links_;
  std::vector<std::optional<std::string>> textCache_;
  std::vector<std::optional<PageLines>> linesCache_;
  std::string version_;
  bool preparedForCopy_ = false;
  bool popplerUsesRepair_ = false;
  std::vector<std::optional<PageCost>> costs_;
  // Shared by the pages' measures: what each stream decodes to, what each
  // form and font costs, and the decoded bytes of the whole file so far.
  std::map<QPDFObjGen, long long> decodedSizes_;
  std::map<QPDFObjGen, ContentCost> formCosts_;
  std::map<QPDFObjGen, ContentCost> fontCosts_;
  long long decodedBytes_ = 0;
  long long operators_ = 0;  // of every page measured
};

class RealDocument;

// A file's named destinations: the catalog's /Dests dictionary (for names)
// and its /Dests name tree (for strings), the tree read once and bounded.
class NamedDestinations {
 public:
  explicit NamedDestinations(QPDF& pdf);
  // The destination array (or whatever the file holds there); null when
  // the name is not found.
  QPDFObjectHandle Resolve(QPDFObjectHandle name);

 private:
  void ReadTree();
  QPDF& pdf_;
  bool treeRead_ = false;
  std::map<std::string, QPDFObjectHandle> tree_;
};

// One bookmark of the in-memory outline; the outline is written into the
// file's /Outlines at save time.
class RealBookmark final : public Bookmark {
 public:
  RealBookmark(RealDocument& document, RealBookmark* parent) : document_(document), parent_(parent) {}

  void Remove() override;
  Bookmark& CreateChild(const std::string& title, const std::string& action, int position,
                        int targetPage) override;
  Bookmark& CreateRemoteChild(const std::string& title, const std::string& fileName, int position,
                              int targetPage) override;
  std::vector<Bookmark*> children() override;
  std::string title() const override { return title_; }

 private:
  friend class RealDocument;
  Bookmark& Insert(std::unique_ptr<RealBookmark> node, int position);

  RealDocument& document_;
  RealBookmark* parent_;
  std::string title_;
  std::string action_;               // JavaScript text, may be empty
  QPDFObjectHandle targetPage_;      // page object at creation, or null
  QPDFObjectHandle loadedDest_;      // for bookmarks read from the file
  QPDFObjectHandle loadedAction_;    // a read bookmark's non-page action
  std::string remoteFile_;           // a link into another file: its name
  int remotePage_ = 0;               // and the page index there
  bool removed_ = false;
  std::vector<std::unique_ptr<RealBookmark>> children_;
};

struct PageEntry {
  QPDFObjectHandle page;               // page object in this document's QPDF
  std::shared_ptr<LoadedFile> origin;  // the file the page was read from
  int originIndex = 0;                 // its index there
  // The streams of the page that a save copies byte for byte, once looked
  // up (null until then, and again after the page's thumbnail changed).
  mutable std::shared_ptr<const std::vector<QPDFObjGen>> storedStreams = nullptr;
  // The printed page number a viewer is to show; "" for none.
  std::string label = {};
};

class RealDocument final : public Document {
 public:
  explicit RealDocument(std::shared_ptr<LoadedFile> file);
  ~RealDocument() override;

  int GetNumPages() const override;
  std::string ReadPageText(int pageIndex) const override;
  PageLines ReadPageLines(int pageIndex) const override;
  void InsertPages(int after, const Document& source, int firstSourcePage, int count) override;
  void DeletePages(int first, int last) override;
  void MovePage(int moveAfter, int pageToMove) override;
  void Save(const std::filesystem::path& path) override;
  void SetOpeningView(const OpeningView& view) override;
  void SetPageLabel(int pageIndex, const std::string& label) override;
  void DeleteThumbs(int first, int last) override;
  std::vector<SkippedThumbnail> CreateThumbs(int first, int last, const PagesDone& pagesDone = {}) override;
  Bookmark& BookmarkRoot() override;
  void Close() override;
  long long SavedSizeLowerBound() const override;
  DocumentInfo GetDocumentInfo() const override;
  void SetDocumentInfo(const DocumentInfo& info) override;

  // Index of `page` in this document, or -1.
  int IndexOfPage(const QPDFObjectHandle& page) const;
  QPDFObjectHandle PageAt(int index) const;
  void OutlineChanged() { outlineDirty_ = true; }

 private:
  // A page read through poppler once: from `cacheOf` of its origin file, or
  // by one `extract` pass over every page of that file still unread, so a
  // scan of the whole document parses each source file once.
  template <typename Result>
  Result ReadCached(int pageIndex, std::vector<std::optional<Result>>& (LoadedFile::*cacheOf)(),
                    std::vector<Result> (*extract)(LoadedFile&, const std::vector<int>&)) const;
  void CheckOpen() const;
  void CheckRange(int first, int last) const;
  void LoadOutline();
  void SyncPageTree();
  void WriteOutline();
  void WriteOpeningState();
  void WritePageLabels();
  void WriteDocumentInfo(const DocumentInfo& info);
  void WriteFile(const std::filesystem::path& path);
  const std::vector<QPDFObjGen>& StoredStreamsOf(const PageEntry& entry) const;

  std::shared_ptr<LoadedFile> file_;
  QPDF& qpdf_;
  std::vector<PageEntry> pages_;
  // Every file whose objects this document's pages may read from.
  std::set<std::shared_ptr<LoadedFile>> keepAlive_;
  std::string minimumVersion_;
  RealBookmark root_;
  bool outlineDirty_ = false;
  bool closed_ = false;
  std::optional<OpeningView> openingView_;
  // Stored length of every stream a save copies unchanged, by object, as
  // far as asked for: each is counted once per document.
  mutable std::map<QPDFObjGen, long long> storedLengths_;
  // The information last given to SetDocumentInfo, already in the file's
  // objects.
  std::optional<DocumentInfo> documentInfo_;
};

class RealView final : public View {
 public:
  explicit RealView(std::shared_ptr<LoadedFile> file) : document_(std::move(file)) {}
  Document& GetPDDoc() override { return document_; }
  void Close() override;

 private:
  RealDocument document_;
};

// Makes sure poppler can read `file`, switching it to QPDF's repaired
// rewrite when poppler cannot read the original. Throws PdfError otherwise.
void EnsurePopplerReadable(LoadedFile& file);

// Page texts and thumbnails through poppler, on worker threads, one poppler
// document per thread. Indexes are page indexes of `file`.
std::vector<std::string> ExtractPageTexts(LoadedFile& file, const std::vector<int>& pageIndexes);
// The same pages as positioned lines in reading order.
std::vector<PageLines> ExtractPageLines(LoadedFile& file, const std::vector<int>& pageIndexes);

// How many poppler documents the engine has opened so far: text and
// thumbnails must cost one parse per file and worker, not one per page.
long PopplerDocumentsLoaded();

struct ThumbnailImage {
  int width = 0;
  int height = 0;
  std::string flateData;  // RGB, 8 bits per component, Flate-compressed
  // Drawing the page would cost more than the engine allows: no image.
  bool skipped = false;
};
// `pagesDone` hears, on the caller's thread, how many of `pageIndexes` are
// rendered so far (by every worker together).
std::vector<ThumbnailImage> RenderThumbnails(LoadedFile& file, const std::vector<int>& pageIndexes,
                                             const std::function<void(int)>& pagesDone = {});

// The path as the UTF-8 text QPDF takes for file names.
std::string Utf8Path(const std::filesystem::path& path);

// Runs `work`, turning a failure of a library underneath into the PdfError
// a user reads about `path`: out of memory as too complex (a hostile file,
// never a bare std::bad_alloc), anything else as damaged.
template <typename Work>
void NamingLibraryFailures(const std::filesystem::path& path, Work&& work) {
  try {
    work();
  } catch (const PdfError&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw PdfError(path, kTooComplex);
  } catch (const std::exception&) {
    throw PdfError(path, kDamaged);
  }
}

// Writes `pdf` to `path` through the program's atomic file writer, so no
// partly written file ever stands under the final name and a failed write
// (a full disk) fails the save. `configure` sets the writer's options.
// Throws PdfError naming `path` and the reason.
void WriteAtomically(QPDF& pdf, const std::filesystem::path& path,
                     const std::function<void(QPDFWriter&)>& configure);

// A PDF text string in UTF-16BE with byte order mark, the one form every
// reader takes for any title.
QPDFObjectHandle MakeTextString(const std::string& utf8);

// `raw` compressed as /FlateDecode stream data.
std::string Deflate(const std::string& raw);

}  // namespace vellumark::acrobat::detail
