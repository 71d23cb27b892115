#include "bookmarks/unified_ideographs.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "platform/utf8.h"

namespace vellumark::bookmarks {

namespace {

struct Equivalent {
  char32_t lookAlike;
  char32_t unified;
};

// Generated at build time from Unicode's EquivalentUnifiedIdeograph.txt and
// UnicodeData.txt (see cmake/unified_ideographs.cmake).
constexpr Equivalent kEquivalents[] = {
#include "unified_ideograph_table.inc"
};

// The lookup is a binary search: the table must be sorted and free of
// duplicates, which the generator promises and the build checks.
static_assert(std::is_sorted(std::begin(kEquivalents), std::end(kEquivalents),
                             [](const Equivalent& a, const Equivalent& b) { return a.lookAlike < b.lookAlike; }));
static_assert(std::adjacent_find(std::begin(kEquivalents), std::end(kEquivalents),
                                 [](const Equivalent& a, const Equivalent& b) {
                                   return a.lookAlike == b.lookAlike;
                                 }) == std::end(kEquivalents));

// Every look-alike lies in one of these blocks; other characters skip the search.
bool MayBeLookAlike(char32_t c) {
  return (c >= 0x2E80 && c <= 0x2FDF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x2F800 && c <= 0x2FA1F);
}

}  // namespace

char32_t UnifiedIdeograph(char32_t c) {
  if (!MayBeLookAlike(c)) return c;
  const auto at = std::lower_bound(std::begin(kEquivalents), std::end(kEquivalents), c,
                                   [](const Equivalent& e, char32_t value) { return e.lookAlike < value; });
  return at != std::end(kEquivalents) && at->lookAlike == c ? at->unified : c;
}

std::string UnifyIdeographs(const std::string& utf8) {
  std::u32string text = platform::ToU32(utf8);
  bool changed = false;
  for (char32_t& c : text) {
    const char32_t unified = UnifiedIdeograph(c);
    changed = changed || unified != c;
    c = unified;
  }
  // Re-encoding would also turn malformed bytes into U+FFFD; leave text that
  // has nothing to replace exactly as the engine gave it.
  return changed ? platform::ToUtf8(text) : utf8;
}

}  // namespace vellumark::bookmarks
