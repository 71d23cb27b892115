#pragma once
// The PDF engine boundary: exactly the operations the pipeline and the
// bookmark engine use, in standard types. The real engine (QPDF + poppler)
// and the in-memory fake of the tests implement it. Page indexes are 0-based.
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "acrobat/document_info.h"
#include "platform/error.h"

namespace vellumark::acrobat {

// Every engine failure: names the file and says what went wrong.
class PdfError : public platform::UserError {
 public:
  using platform::UserError::UserError;
};

// A rectangle on a page in points, as the page is shown (its /Rotate
// applied): origin at the top left corner, y growing downwards.
struct TextRect {
  double left = 0;
  double top = 0;
  double right = 0;
  double bottom = 0;

  bool operator==(const TextRect&) const = default;
};

enum class WritingDirection {
  kHorizontal,  // left to right, lines stacked top to bottom
  kVertical,    // 縦書き: top to bottom, columns right to left
};

// One line of a page as a reader sees it: words on one baseline (or one
// vertical column) joined, a ruby reading set above it left out.
struct TextLine {
  std::string text;  // UTF-8; an ideographic space stays U+3000
  TextRect box;
  double fontSize = 0;  // the size most of the line's characters are set in
  WritingDirection direction = WritingDirection::kHorizontal;

  bool operator==(const TextLine&) const = default;
};

// A page's lines in reading order, with the page's own size as shown, so
// a reader can tell the top and bottom bands (running heads, page numbers)
// from the body.
struct PageLines {
  double width = 0;
  double height = 0;
  std::vector<TextLine> lines;

  bool operator==(const PageLines&) const = default;
};

// The page size given to lines made from plain text: A4 in points.
inline constexpr double kPlainTextPageWidth = 595;
inline constexpr double kPlainTextPageHeight = 842;

// Lines from a plain page text (lines ended by CR or LF) for a source that
// has no positions: stacked on an A4 page at 12 points, one
// line per text line, empty lines left out, all in the middle band of the
// page, so none of them is taken for a running head or a page number.
PageLines LinesFromPlainText(const std::string& text);

// What the heading recognisers need of a document: its pages and their text.
class PageTextSource {
 public:
  virtual ~PageTextSource() = default;
  virtual int GetNumPages() const = 0;
  // The page's text as lines top to bottom, each ended by CR (U+000D); ""
  // for a page without text.
  virtual std::string ReadPageText(int pageIndex) const = 0;
  // The page's text as positioned lines in reading order. A source without
  // positions gives its plain text lines (LinesFromPlainText).
  virtual PageLines ReadPageLines(int pageIndex) const { return LinesFromPlainText(ReadPageText(pageIndex)); }
};

class Bookmark {
 public:
  virtual ~Bookmark() = default;
  // On the root: removes every bookmark of the document.
  virtual void Remove() = 0;
  // Creates a child at `position` (1-based place among its siblings; a
  // position past the end appends). `targetPage` is the page index the
  // bookmark jumps to (may lie outside the document when creation is forced),
  // `action` the JavaScript text that does the same for viewers that run it.
  virtual Bookmark& CreateChild(const std::string& title, const std::string& action, int position,
                                int targetPage) = 0;
  // Creates a child at `position` that opens another PDF file of the same
  // delivery: `fileName` is relative to this document's folder (a bare file
  // name), so the link survives moving the folder or burning it to a disc;
  // the file opens at page index `targetPage` at 100 %.
  virtual Bookmark& CreateRemoteChild(const std::string& title, const std::string& fileName, int position,
                                      int targetPage) = 0;
  virtual std::vector<Bookmark*> children() = 0;
  virtual std::string title() const = 0;
};

// A page left without a thumbnail because drawing it would cost more time
// or memory than the engine allows.
struct SkippedThumbnail {
  std::filesystem::path file;  // the file the page was read from
  int filePage = 0;            // its page number there, from 1
};

// How a saved file opens in a viewer: on page index `page`, at
// `zoomPercent` %, with the bookmarks pane shown or not.
struct OpeningView {
  int page = 0;
  int zoomPercent = 100;
  bool bookmarksPane = true;
};

// The index a page moved by Document::MovePage ends up at, among the
// `pageCount` pages of the document: `moveAfter` names a page index before
// the move, so the slot behind it shifts down by one when the moved page
// came from in front of it.
inline int MovedPageIndex(int moveAfter, int pageToMove, int pageCount) {
  const int insertAt = moveAfter >= pageToMove ? moveAfter : moveAfter + 1;
  return insertAt < 0 ? 0 : (insertAt > pageCount - 1 ? pageCount - 1 : insertAt);
}

class Document : public PageTextSource {
 public:
  // Copies `count` pages of `source` starting at `firstSourcePage` behind
  // page `after` (-1 inserts in front). Bookmarks are never copied.
  virtual void InsertPages(int after, const Document& source, int firstSourcePage, int count) = 0;
  // Removes pages first..last inclusive.
  virtual void DeletePages(int first, int last) = 0;
  // Moves page `pageToMove` behind page `moveAfter` (-1 = to the front).
  virtual void MovePage(int moveAfter, int pageToMove) = 0;
  // Full save to `path` (written under a temporary name and renamed, so no
  // partial file ever stands under the final name).
  virtual void Save(const std::filesystem::path& path) = 0;
  // The opening state every later save writes, replacing the file's own.
  virtual void SetOpeningView(const OpeningView& view) = 0;
  // The printed page number a viewer shows for the page ("2-1", "iii"), or
  // "" for none. A label travels with its page through InsertPages (the
  // copy carries it), MovePage and DeletePages; a save writes the labels of
  // the pages it holds as the document's page labels, and none when no page
  // has one.
  virtual void SetPageLabel(int pageIndex, const std::string& label) = 0;
  virtual void DeleteThumbs(int first, int last) = 0;
  // Told, on the caller's thread, how many pages of a CreateThumbs call are
  // done so far; rendering a long document takes a while.
  using PagesDone = std::function<void(int done)>;
  // Embeds thumbnails for first..last. Returns the pages that got none
  // (they keep what they had); the rest of the range is done all the same.
  virtual std::vector<SkippedThumbnail> CreateThumbs(int first, int last, const PagesDone& pagesDone = {}) = 0;
  virtual Bookmark& BookmarkRoot() = 0;
  virtual void Close() = 0;
  // A number of bytes a full save of the document as it stands is certain
  // to write at least, found without saving; 0 when nothing is known. Lets
  // a caller skip a save whose only question is whether the file would be
  // over a size. Never above the length Save() would give, bookmarks
  // rebuilt or not.
  virtual long long SavedSizeLowerBound() const { return 0; }
  // The text entries of the document information as the file has them
  // (dates are not read); empty texts where the file has none.
  virtual DocumentInfo GetDocumentInfo() const = 0;
  // The information every later save writes, replacing the file's own: the
  // /Info dictionary and an XMP packet stating the same.
  virtual void SetDocumentInfo(const DocumentInfo& info) = 0;
};

// A document opened "in a view": the working document and every part are
// opened this way. There is no window; the view only holds the document.
class View {
 public:
  virtual ~View() = default;
  virtual Document& GetPDDoc() = 0;
  // Releases the document without saving it.
  virtual void Close() = 0;
};

class Engine {
 public:
  virtual ~Engine() = default;
  // Opens the PDF at `path`. Throws PdfError (missing, not a PDF, damaged,
  // needs a password).
  virtual std::unique_ptr<View> Open(const std::filesystem::path& path) = 0;
};

}  // namespace vellumark::acrobat
