#pragma once
// Page text as both heading recognisers read it, and cutting it into lines.
#include <string>
#include <vector>

#include "acrobat/engine.h"

namespace vellumark::bookmarks {

// The text of one page with ideograph look-alikes replaced by the unified
// ideograph, so that every rule, and every title taken from the page, sees
// "目次" and "業務目的" whatever characters the producer chose.
std::string ReadHeadingPageText(const acrobat::PageTextSource& doc, int pageIndex);

// Splits at every CR, empty lines included; an empty text gives no lines. An
// LF counts as a CR, as the page text reader turns every LF into a CR (so CR
// LF gives an extra empty line, which no rule takes for a heading).
std::vector<std::string> SplitPageLines(const std::string& text);

}  // namespace vellumark::bookmarks
