#include "acrobat/engine.h"

namespace vellumark::acrobat {

namespace {

// The line pitch and size given to lines without positions: a common body
// size, so no line stands out as larger (a heading) or smaller (ruby).
constexpr double kPlainLineSize = 12;
constexpr double kPlainLineTop = 72;  // a one-inch top margin

}  // namespace

PageLines LinesFromPlainText(const std::string& text) {
  PageLines page;
  page.width = kPlainTextPageWidth;
  page.height = kPlainTextPageHeight;
  std::size_t start = 0;
  double top = kPlainLineTop;
  // Each round moves `start` past one line end or ends the loop.
  while (start <= text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    if (end > start) {
      TextLine line;
      line.text = text.substr(start, end - start);
      line.box = {kPlainLineTop, top, page.width - kPlainLineTop, top + kPlainLineSize};
      line.fontSize = kPlainLineSize;
      page.lines.push_back(std::move(line));
      top += kPlainLineSize * 1.5;
    }
    start = end + 1;
  }
  return page;
}

}  // namespace vellumark::acrobat
