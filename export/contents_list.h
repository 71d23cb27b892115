#pragma once
// The text of the contents list copy: the heading list as tab-separated lines
// for pasting into a spreadsheet.
#include <optional>
#include <string>

#include "bookmarks/heading_list.h"

namespace vellumark::exporting {

// Builds the clipboard text; nothing when the list is empty (no job
// converted yet, or no heading found), which the command reports as "Error!".
std::optional<std::string> BuildContentsListText(const bookmarks::HeadingList& list);

}  // namespace vellumark::exporting
