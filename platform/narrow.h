#pragma once
// The narrowed form of a line, used only for the number tests of heading
// recognition: full-width ASCII (U+FF01–U+FF5E) and the ideographic space
// become their half-width forms, full-width katakana become half-width
// katakana (voiced marks split off as U+FF9E/U+FF9F, as the Windows
// conversion does); every other character stays as it is.
#include <string>

namespace vellumark::platform {

std::string Narrow(const std::string& utf8);
// The same on decoded text. A voiced katakana becomes two characters (ガ →
// ｶﾞ), so the result can be longer than the input.
std::u32string Narrow(const std::u32string& text);

// Decodes UTF-8 into characters (code points), so that position rules ("the
// last character", "the first six") count characters, not bytes. A byte that
// does not begin a well-formed sequence becomes U+FFFD; decoding never fails.
std::u32string ToU32(const std::string& utf8);
// Encodes back to UTF-8; surrogates and values past U+10FFFF become U+FFFD.
std::string ToUtf8(const std::u32string& text);

}  // namespace vellumark::platform
