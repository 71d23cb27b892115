#pragma once
// Recognises chapter, section and item headings by scanning every page.
#include "acrobat/engine.h"
#include "bookmarks/heading_list.h"
#include "bookmarks/page_reading.h"
#include "platform/status_sink.h"

namespace vellumark::bookmarks {

// Empties `list` and fills it from the body lines of every page (running
// heads, feet and page numbers left out); status "Get Bookmark i/last" once
// per page.
void ScanHeadings(const DocumentReading& reading, HeadingList& list, platform::StatusSink& status);
// The same on a document read for this call alone.
void ScanHeadings(const acrobat::PageTextSource& doc, HeadingList& list, platform::StatusSink& status);

}  // namespace vellumark::bookmarks
