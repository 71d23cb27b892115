#pragma once
// Reads the headings from the document's own contents page ("目次" … "END").
#include <string>

#include <vector>

#include "acrobat/engine.h"
#include "bookmarks/heading_list.h"
#include "bookmarks/page_reading.h"
#include "platform/status_sink.h"

namespace vellumark::bookmarks {

// One contents line taken apart: `title` the cleaned line, `level` -1 (no
// heading), 0 chapter, 1 section, 2 item, 3+ deeper numbered level, `page`
// the digits the line ends in, and `printedPage` the page number as printed,
// with its chapter or appendix prefix ("2-1", "資-3", or the digits alone).
struct ContentsLine {
  int level = -1;
  std::string title;
  int page = 0;
  std::string printedPage;
};

// Parses one contents line (the routine once called RepSiori). The fields are
// left as far as they were set when a step cannot be carried out: the title
// trimmed, and the page once it has been read.
ContentsLine ParseContentsLine(const std::string& line, const std::string& delimiter);

// What a reading of the contents found besides the headings.
struct ContentsReading {
  // The cover and contents pages in front of the body: the index of the page
  // holding "END" + 1, or, without an END line, of the last page that gave
  // entries + 1. Page P of the list stands on page index P + frontPageCount
  // - 1.
  int frontPageCount = 0;
  bool contentsFound = false;  // a page holds "目次"
  bool endFound = false;
  // Entries whose target was moved to the page where their title stands.
  std::vector<std::string> correctedTitles;
  // Entries whose printed page number is printed on no page of their part
  // of the job: they were placed by counting pages after the contents.
  std::vector<std::string> unprintedTitles;
};

// Appends the contents entries to `list` (does not clear it). Each entry's
// printed page is looked up among the page numbers printed on the pages
// (file by file, in job order), or counted from the end of the contents when
// the document prints none; then its title is looked for on that page and,
// when it stands elsewhere in the same file, the entry goes there.
ContentsReading ReadContentsPage(const DocumentReading& reading, HeadingList& list, const std::string& delimiter,
                                 platform::StatusSink& status);

// The same on a document read for this call alone; returns frontPageCount.
int ReadContentsPage(const acrobat::PageTextSource& doc, HeadingList& list, const std::string& delimiter,
                     platform::StatusSink& status);

}  // namespace vellumark::bookmarks
