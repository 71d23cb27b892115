#pragma once
// A job's working document read once, as a reader sees it: each page's lines
// with the page furniture (running heads and feet, page numbers) told apart
// from the body, and the page number printed on each page. Both heading
// recognisers and the page labels of the output work from one reading, so
// no page is read twice.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "acrobat/engine.h"

namespace vellumark::bookmarks {

struct ReadPage {
  acrobat::PageLines lines;     // ideograph look-alikes replaced
  std::vector<bool> furniture;  // per line: a running head or foot, or the page number
  std::string printedNumber;    // as printed ("12", "2-1", "資-3", "iii"); "" when none was read
  int file = 0;                 // which file of the job the page came from, 0 the parent
};

class DocumentReading {
 public:
  // Reads every page of `doc`. `fileStarts` holds the first page index of
  // each file of the job after the parent's (the children, in job order);
  // printed numbers restart in each file.
  explicit DocumentReading(const acrobat::PageTextSource& doc, std::vector<int> fileStarts = {});

  int PageCount() const { return static_cast<int>(pages_.size()); }
  const ReadPage& Page(int pageIndex) const { return pages_.at(static_cast<std::size_t>(pageIndex)); }

  // The first and last page index of file `file` of the job.
  std::pair<int, int> FilePages(int file) const;
  // The page's lines that are not furniture, in reading order.
  std::vector<acrobat::TextLine> BodyTextLines(int pageIndex) const;
  // Their texts.
  std::vector<std::string> BodyLines(int pageIndex) const;
  // The page's whole text, furniture included, one line after another with
  // CR between them: the form the contents page is searched in.
  std::string PageText(int pageIndex) const;

  // Whether the document prints page numbers a reader can rely on: enough
  // pages carry one, each continuing its neighbour's.
  bool HasPrintedNumbers() const { return hasPrintedNumbers_; }
  // The first page at or after `fromPage` whose printed number is `number`
  // (compared in a normal form: widths, dashes and the case of Roman
  // numerals ignored); -1 when none is.
  int FindPrintedNumber(const std::string& number, int fromPage) const;

  // Whether the body of the page (furniture left out) holds `title`,
  // compared without spaces, widths or look-alikes, on its first twelve
  // characters.
  bool BodyHolds(int pageIndex, const std::string& title) const;

 private:
  void MarkFurniture();
  void ReadPrintedNumbers();

  std::vector<ReadPage> pages_;
  // Per page: the body text in the form titles are compared in, made when
  // a title is first looked for there (the page scan never needs it).
  mutable std::vector<std::optional<std::u32string>> bodyKeys_;
  // Each printed number and the pages it stands on, ascending.
  std::map<std::string, std::vector<int>> printedPages_;
  bool hasPrintedNumbers_ = false;
};

// A title in the form two titles are compared in: narrowed (widths ignored)
// and without spaces.
std::u32string TitleKey(std::u32string_view title);

// A printed page number in the form two of them are compared in: "１－１"
// and "1-1" alike, "III" as "iii". "" for a text that is no page number.
std::string NormalPageNumber(const std::string& text);

}  // namespace vellumark::bookmarks
