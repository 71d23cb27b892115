#include <algorithm>

#include "acrobat/engine.h"

namespace vellumark::acrobat {

namespace {

// The size given to lines without positions: a common body size, so no
// line stands out as larger (a heading) or smaller (ruby).
constexpr double kPlainLineSize = 12;
constexpr double kPlainMargin = 72;  // one inch

}  // namespace

PageLines LinesFromPlainText(const std::string& text) {
  PageLines page;
  page.width = kPlainTextPageWidth;
  page.height = kPlainTextPageHeight;
  std::vector<std::string> texts;
  std::size_t start = 0;
  // Each round moves `start` past one line end or ends the loop.
  while (start <= text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    if (end > start) texts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  // Nothing is known of where the lines stood, so they are all set in the
  // middle of the page, well clear of the bands where running heads and
  // page numbers stand: no line of such a page is taken for furniture.
  const double first = page.height * 0.25;
  const double room = page.height * 0.5;
  const double pitch = texts.empty() ? 0 : std::min(kPlainLineSize * 1.5, room / static_cast<double>(texts.size()));
  double top = first;
  for (auto& lineText : texts) {
    TextLine line;
    line.text = std::move(lineText);
    line.box = {kPlainMargin, top, page.width - kPlainMargin, top + std::min(pitch, kPlainLineSize)};
    line.fontSize = kPlainLineSize;
    page.lines.push_back(std::move(line));
    top += pitch;
  }
  return page;
}

}  // namespace vellumark::acrobat
