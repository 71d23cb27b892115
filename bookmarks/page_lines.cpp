#include "bookmarks/page_lines.h"


namespace vellumark::bookmarks {

std::vector<std::string> SplitPageLines(const std::string& text) {
  std::vector<std::string> lines;
  if (text.empty()) return lines;
  std::size_t start = 0;
  // Each round moves start past one line end: at most (line ends + 1) rounds.
  for (;;) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      return lines;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

}  // namespace vellumark::bookmarks
