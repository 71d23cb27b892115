#pragma once
// An in-memory engine for fast unit tests. Pages carry a text and a "weight":
// a full save writes a file of kSaveOverhead + the sum of the page weights
// (+ kBookmarkWeight per bookmark) bytes, so a test decides exactly what a
// saved document measures, and the lower bound is that size itself (less
// the bookmarks, which are rebuilt before each save) or, as a test chooses,
// a share of it. Saved documents are
// kept for inspection; a saved file names its save inside, so it is found
// again wherever it was moved.
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "acrobat/engine.h"

namespace vellumark::testsupport {

struct FakePage {
  std::string text;          // what ReadPageText returns
  long long weight = 1000;   // bytes this page adds to a saved file
  std::string label;         // identity for assertions ("P3", "C1-2", "blank")
  bool thumb = false;
  std::string pageLabel = {};  // set by SetPageLabel; travels with the page
  // What ReadPageLines returns; without it, the lines of `text`.
  std::optional<acrobat::PageLines> lines = std::nullopt;
};

// A plain copy of a bookmark tree, for assertions after a save.
struct BookmarkNode {
  std::string title;
  std::string action;
  int targetPage = 0;        // in this file, or in remoteFile when it is set
  std::string remoteFile;    // the file a remote go-to opens; "" for a local one
  std::vector<BookmarkNode> children;
};

struct SavedDocument {
  std::vector<FakePage> pages;
  std::vector<BookmarkNode> bookmarks;
  std::optional<acrobat::OpeningView> openingView;  // none set: the file's own
  acrobat::DocumentInfo info;
  std::vector<std::string> labels() const;
};

inline constexpr long long kSaveOverhead = 100;

// The blank base file's own information, as the template carries it: what
// must never reach an output.
inline const acrobat::DocumentInfo kBlankBaseInfo{
    "Book1", "------", "", "", "Microsoft Excel - Book1", "Acrobat PDFWriter 5.0 Windows NT", {}, {}};
inline constexpr long long kBookmarkWeight = 0;
// What one remote go-to adds to a save: a link into another file is a
// dictionary of its own, unlike the local ones the weights leave out.
inline constexpr long long kRemoteLinkWeight = 0;

class FakeBookmark final : public acrobat::Bookmark {
 public:
  FakeBookmark(std::string title, std::string action, int target)
      : title_(std::move(title)), action_(std::move(action)), target_(target) {}
  void Remove() override { children_.clear(); }
  acrobat::Bookmark& CreateChild(const std::string& title, const std::string& action, int position,
                                 int targetPage) override;
  acrobat::Bookmark& CreateRemoteChild(const std::string& title, const std::string& fileName, int position,
                                       int targetPage) override;
  std::vector<acrobat::Bookmark*> children() override;
  std::string title() const override { return title_; }
  BookmarkNode Snapshot() const;
  int CountAll() const;
  int CountRemote() const;

 private:
  acrobat::Bookmark& Insert(std::unique_ptr<FakeBookmark> child, int position);

  std::string title_, action_;
  int target_;
  std::string remoteFile_;
  std::vector<std::unique_ptr<FakeBookmark>> children_;
};

class FakeEngine;

class FakeDocument final : public acrobat::Document {
 public:
  FakeDocument(FakeEngine& engine, std::vector<FakePage> pages, acrobat::DocumentInfo info = {})
      : engine_(engine), pages_(std::move(pages)), info_(std::move(info)) {}
  int GetNumPages() const override { return static_cast<int>(pages_.size()); }
  std::string ReadPageText(int pageIndex) const override;
  acrobat::PageLines ReadPageLines(int pageIndex) const override;
  void InsertPages(int after, const acrobat::Document& source, int firstSourcePage, int count) override;
  void DeletePages(int first, int last) override;
  void MovePage(int moveAfter, int pageToMove) override;
  void Save(const std::filesystem::path& path) override;
  void SetOpeningView(const acrobat::OpeningView& view) override { openingView_ = view; }
  void SetPageLabel(int pageIndex, const std::string& label) override {
    pages_.at(static_cast<std::size_t>(pageIndex)).pageLabel = label;
  }
  void DeleteThumbs(int first, int last) override;
  std::vector<acrobat::SkippedThumbnail> CreateThumbs(int first, int last, const PagesDone& pagesDone = {}) override;
  acrobat::Bookmark& BookmarkRoot() override { return root_; }
  void Close() override { closed_ = true; }
  long long SavedSizeLowerBound() const override;
  acrobat::DocumentInfo GetDocumentInfo() const override { return info_; }
  void SetDocumentInfo(const acrobat::DocumentInfo& info) override { info_ = info; }

  const std::vector<FakePage>& pages() const { return pages_; }
  std::vector<std::string> labels() const;
  bool closed() const { return closed_; }
  SavedDocument Snapshot() const;

 private:
  long long PageWeights() const;

  FakeEngine& engine_;
  std::vector<FakePage> pages_;
  acrobat::DocumentInfo info_;
  FakeBookmark root_{"", "", 0};
  std::optional<acrobat::OpeningView> openingView_;
  bool closed_ = false;
};

class FakeView final : public acrobat::View {
 public:
  FakeView(FakeEngine& engine, std::vector<FakePage> pages, acrobat::DocumentInfo info = {})
      : doc_(engine, std::move(pages), std::move(info)) {}
  acrobat::Document& GetPDDoc() override { return doc_; }
  void Close() override { closed_ = true; }

 private:
  FakeDocument doc_;
  bool closed_ = false;
};

class FakeEngine final : public acrobat::Engine {
 public:
  // Registers a source PDF: opening `path` gives these pages. The file is
  // also created on disk (a few bytes) so existence checks see it.
  void AddFile(const std::filesystem::path& path, std::vector<FakePage> pages);
  // The document information a registered file opens with (none otherwise).
  void SetFileInfo(const std::filesystem::path& path, acrobat::DocumentInfo info);
  // A file this engine saved opens as the pages it was saved with; any other
  // existing file that was not registered opens as the blank one-page base
  // (what the template writer produces) with kBlankBaseInfo; a missing one
  // throws PdfError.
  std::unique_ptr<acrobat::View> Open(const std::filesystem::path& path) override;

  // Every save by the path it was made to.
  const std::map<std::filesystem::path, SavedDocument>& saved() const { return saved_; }
  // The document saved in the file now at `path`, which may have been
  // saved elsewhere and moved there.
  const SavedDocument& SavedAt(const std::filesystem::path& path) const;
  int saveCount() const { return saveCount_; }
  int openCount() const { return openCount_; }
  int thumbPagesRendered() const { return thumbPagesRendered_; }

  // Pages whose weight alone makes any save of theirs exceed limits are
  // modelled simply by giving them a big weight.
  long long blankWeight = 10;
  // How much of the page weights the lower bound claims: 100 gives the
  // exact size a save writes, 0 a bound of 0 (nothing known).
  int lowerBoundPercent = 100;
  // Bytes each remote go-to adds to a save (kept out of the lower bound,
  // like every bookmark).
  long long remoteLinkWeight = kRemoteLinkWeight;

 private:
  friend class FakeDocument;
  const SavedDocument* FindSaved(const std::filesystem::path& path) const;
  std::map<std::filesystem::path, std::vector<FakePage>> files_;
  std::map<std::filesystem::path, acrobat::DocumentInfo> infos_;
  std::map<std::filesystem::path, SavedDocument> saved_;
  std::vector<SavedDocument> savesInOrder_;
  int saveCount_ = 0;
  int openCount_ = 0;
  int thumbPagesRendered_ = 0;
};

// Pages labelled prefix1..prefixN with the given texts (missing texts "").
std::vector<FakePage> MakePages(const std::string& prefix, int count, long long weight = 1000,
                                const std::vector<std::string>& texts = {});

}  // namespace vellumark::testsupport
