#pragma once
// The narrowed form of a line, used only for the number tests of heading
// recognition: full-width ASCII (U+FF01–U+FF5E) and the ideographic space
// become their half-width forms, full-width katakana become half-width
// katakana (voiced marks split off as U+FF9E/U+FF9F, as the Windows
// conversion does); every other character stays as it is.
#include <string>

namespace vellumark::platform {

std::string Narrow(const std::string& utf8);

// Splits UTF-8 text into characters (each a short UTF-8 string), so that
// position rules ("the last character", "the first six") count characters,
// not bytes.
std::u32string ToU32(const std::string& utf8);
std::string ToUtf8(const std::u32string& text);

}  // namespace vellumark::platform
