#pragma once
// Ideograph look-alikes in extracted page text. Many PDF producers map kanji
// to characters of the Kangxi Radicals or CJK Radicals Supplement blocks, or
// to CJK Compatibility Ideographs, that look the same but are different
// characters: "⽬次" (U+2F6C) is not "目次" to any text rule. The heading
// rules therefore see page text with those characters replaced by the
// unified ideograph, and bookmark titles carry the right characters.
#include <string>

namespace vellumark::bookmarks {

// The unified ideograph a look-alike stands for; any other character as it is.
char32_t UnifiedIdeograph(char32_t c);

// The text with every look-alike replaced. Text without any comes back
// byte for byte as it was.
std::string UnifyIdeographs(const std::string& utf8);

}  // namespace vellumark::bookmarks
