#pragma once
// Turns the heading list into the three-level bookmark tree of a document or
// of one part of a split document.
#include <string>

#include "acrobat/engine.h"
#include "bookmarks/heading_list.h"
#include "platform/status_sink.h"

namespace vellumark::bookmarks {

// "this.pageNum=" T ";" CR LF "this.zoom=100;" CR LF
std::string MakeBookmarkAction(int pageIndex);

// `forced` is the "強制作成" option: headings past the document's last page
// are created too.
void BuildBookmarks(acrobat::Document& doc, int pageOffset, int frontPageCount, const HeadingList& list,
                    bool forced, platform::StatusSink& status);

}  // namespace vellumark::bookmarks
