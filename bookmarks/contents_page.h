#pragma once
// Reads the headings from the document's own contents page ("目次" … "END").
#include <string>

#include "acrobat/engine.h"
#include "bookmarks/heading_list.h"
#include "platform/status_sink.h"

namespace vellumark::bookmarks {

// Parses one contents line. On return `line` holds the cleaned title, `level`
// -1 (no heading), 0 chapter, 1 section, 2 item, 3+ deeper numbered level,
// and `page` the printed page number. Outputs are left as far as they were
// set when a step cannot be carried out.
void RepSiori(std::string& line, int& level, int& page, const std::string& delimiter);

// Appends the contents entries to `list` (does not clear it) and returns
// frontPageCount: index of the page holding "END" + 1, or page count + 1
// when there is no END line.
int ReadContentsPage(const acrobat::PageTextSource& doc, HeadingList& list, const std::string& delimiter,
                     platform::StatusSink& status);

}  // namespace vellumark::bookmarks
