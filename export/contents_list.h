#pragma once
// The text of the contents list copy: the heading list as tab-separated lines
// for pasting into a spreadsheet.
#include <string>

#include "bookmarks/heading_list.h"

namespace vellumark::exporting {

// 1-based character position; true for one of ".0123456789 " (ASCII only).
bool IsNumberChar(const std::string& text, int position);

// Builds the clipboard text. Throws std::runtime_error when the list is
// empty (the command then reports "Error!").
std::string BuildContentsListText(const bookmarks::HeadingList& list);

}  // namespace vellumark::exporting
