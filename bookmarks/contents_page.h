#pragma once
// Reads the headings from the document's own contents page ("目次" … "END").
#include <string>

#include "acrobat/engine.h"
#include "bookmarks/heading_list.h"
#include "platform/status_sink.h"

namespace vellumark::bookmarks {

// One contents line taken apart: `title` the cleaned line, `level` -1 (no
// heading), 0 chapter, 1 section, 2 item, 3+ deeper numbered level, and
// `page` the printed page number.
struct ContentsLine {
  int level = -1;
  std::string title;
  int page = 0;
};

// Parses one contents line (the routine once called RepSiori). The fields are
// left as far as they were set when a step cannot be carried out: the title
// trimmed, and the page once it has been read.
ContentsLine ParseContentsLine(const std::string& line, const std::string& delimiter);

// Appends the contents entries to `list` (does not clear it) and returns
// frontPageCount: index of the page holding "END" + 1, or page count + 1
// when there is no END line.
int ReadContentsPage(const acrobat::PageTextSource& doc, HeadingList& list, const std::string& delimiter,
                     platform::StatusSink& status);

}  // namespace vellumark::bookmarks
