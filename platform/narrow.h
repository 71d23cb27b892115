#pragma once
// The narrowed form of a line, used only for the number tests of heading
// recognition: full-width ASCII (U+FF01–U+FF5E) and the ideographic space
// become their half-width forms, full-width katakana become half-width
// katakana (voiced marks split off as U+FF9E/U+FF9F, as the Windows
// conversion does); every other character stays as it is.
#include <string>

// Narrowing works on decoded text; its callers decode with the same helpers.
#include "platform/utf8.h"

namespace vellumark::platform {

std::string Narrow(const std::string& utf8);
// The same on decoded text. A voiced katakana becomes two characters (ガ →
// ｶﾞ), so the result can be longer than the input.
std::u32string Narrow(const std::u32string& text);

}  // namespace vellumark::platform
