#include "bookmarks/heading_list.h"

#include <algorithm>
#include <utility>

#include "platform/decimal.h"

namespace vellumark::bookmarks {

Heading MakeHeading(int level, std::string title, long long page) {
  return Heading{std::clamp(level, Heading::kChapter, Heading::kItem), std::move(title),
                 std::clamp(page, -kPageValueLimit, kPageValueLimit)};
}

std::string EntryText(const Heading& heading) {
  std::string entry(static_cast<std::size_t>(std::max(heading.level, 0)), '\t');
  entry += heading.title;
  entry += '\t';
  entry += platform::Decimal(heading.page);
  return entry;
}

}  // namespace vellumark::bookmarks
