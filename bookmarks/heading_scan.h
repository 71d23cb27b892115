#pragma once
// Recognises chapter, section and item headings by scanning every page.
#include "acrobat/engine.h"
#include "bookmarks/heading_list.h"
#include "platform/status_sink.h"

namespace vellumark::bookmarks {

// Empties `list` and fills it from every page of `doc`; status
// "Get Bookmark i/last" once per page.
void ScanHeadings(const acrobat::PageTextSource& doc, HeadingList& list, platform::StatusSink& status);

}  // namespace vellumark::bookmarks
