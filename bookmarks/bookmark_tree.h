#pragma once
// Turns the heading list into the three-level bookmark tree of a document or
// of one part of a split document.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "acrobat/engine.h"
#include "bookmarks/heading_list.h"
#include "platform/status_sink.h"

namespace vellumark::bookmarks {

// "this.pageNum=" T ";" CR LF "this.zoom=100;" CR LF
std::string MakeBookmarkAction(int pageIndex);

// A page of the same job that lies in another file of it (another part of a
// split job): that file's bare name and the page index there.
struct RemoteTarget {
  std::string fileName;
  int pageIndex = 0;
  bool operator==(const RemoteTarget&) const = default;
};

// For a page index of this document that lies outside it (negative, or past
// its last page): the other file of the job that holds the page, or nullopt
// when no file of the job does.
using LocateOutside = std::function<std::optional<RemoteTarget>(long long pageIndex)>;

struct BookmarkOptions {
  // "強制作成": headings past the document's last page are created too.
  bool forced = true;
  // Every heading of the job, with those of other files as links into them,
  // instead of this document's headings and the ones after it.
  bool fullOutline = false;
  // Empty when the document is the whole job.
  LocateOutside locate;
};

// What a call made that the user should hear about: the titles of the
// bookmarks whose page lies in no file of the job, in list order.
struct BuiltBookmarks {
  std::vector<std::string> outsideTitles;
};

BuiltBookmarks BuildBookmarks(acrobat::Document& doc, int pageOffset, int frontPageCount, const HeadingList& list,
                              const BookmarkOptions& options, platform::StatusSink& status);

// The document as the whole job, `forced` the "強制作成" option.
void BuildBookmarks(acrobat::Document& doc, int pageOffset, int frontPageCount, const HeadingList& list,
                    bool forced, platform::StatusSink& status);

}  // namespace vellumark::bookmarks
