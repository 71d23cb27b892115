#pragma once
// The texts of the bookmark engine: the status texts it shows while working,
// the markers it looks for on a contents page and the cover bookmark's title.
#include <string_view>

namespace vellumark::bookmarks {

// Status texts. The scan of every page shows kGetBookmark + " i/last" per
// page; the contents reading shows kGetBookmark alone once.
inline constexpr std::string_view kGetBookmarkStatus = "Get Bookmark";
inline constexpr std::string_view kLoadBookmarkStatus = "Load bookmark : ";
inline constexpr std::string_view kMakeBookmarkStatus = "make bookmark : ";

// The word that marks the contents page, and the line start that ends it.
inline constexpr std::string_view kContentsWord = "目次";
inline constexpr std::string_view kContentsEnd = "END";

// The heading markers both recognisers look for: chapter, section, item.
inline constexpr char32_t kChapter = U'章';
inline constexpr char32_t kSection = U'節';
inline constexpr char32_t kItem = U'項';

// The first bookmark of a whole document or of its first part.
inline constexpr std::string_view kCoverTitle = "表紙";

}  // namespace vellumark::bookmarks
