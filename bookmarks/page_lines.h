#pragma once
// Cutting a page text into lines.
#include <string>
#include <vector>

namespace vellumark::bookmarks {

// Splits at every CR, empty lines included; an empty text gives no lines. An
// LF counts as a CR, as the page text reader turns every LF into a CR (so CR
// LF gives an extra empty line, which no rule takes for a heading).
std::vector<std::string> SplitPageLines(const std::string& text);

}  // namespace vellumark::bookmarks
