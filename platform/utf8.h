#pragma once
// Conversions between UTF-8, the form of all text inside the program, and
// characters (code points).
#include <string>

namespace vellumark::platform {

// Decodes UTF-8 into characters (code points), so that position rules ("the
// last character", "the first six") count characters, not bytes. A byte that
// does not begin a well-formed sequence becomes U+FFFD; decoding never fails.
std::u32string ToU32(const std::string& utf8);
// Encodes back to UTF-8; surrogates and values past U+10FFFF become U+FFFD.
std::string ToUtf8(const std::u32string& text);

}  // namespace vellumark::platform
