// The contents-line parser on arbitrary text, then both heading recognisers
// over the same text as a page. The input is the delimiter, a NUL byte, then
// a contents page's text (without a NUL the whole input is the page and the
// delimiter is the usual "･"). Page text comes from any PDF a user is sent,
// so it may be anything, broken UTF-8 included.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>

#include "acrobat/engine.h"
#include "bookmarks/contents_page.h"
#include "bookmarks/heading_list.h"
#include "bookmarks/heading_scan.h"
#include "bookmarks/page_lines.h"
#include "platform/status_sink.h"

namespace {

// A well-formed UTF-8 check that is independent of the decoder under test.
bool IsUtf8(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t extra = 0;
    if (lead < 0x80) {
      extra = 0;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3;
    } else {
      return false;
    }
    if (text.size() - i <= extra) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += extra + 1;
  }
  return true;
}

// The text as the pages of a document: the recognisers read lines across
// pages, so the same page twice also covers a heading list spanning pages.
class TextPages final : public vellumark::acrobat::PageTextSource {
 public:
  explicit TextPages(std::string text) : text_(std::move(text)) {}
  int GetNumPages() const override { return 2; }
  std::string ReadPageText(int) const override { return text_; }

 private:
  std::string text_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::string delimiter = "\xEF\xBD\xA5";
  std::string text = input;
  if (const auto nul = input.find('\0'); nul != std::string::npos) {
    delimiter = input.substr(0, nul);
    text = input.substr(nul + 1);
  }

  for (const std::string& line : vellumark::bookmarks::SplitPageLines(text)) {
    const auto parsed = vellumark::bookmarks::ParseContentsLine(line, delimiter);
    // At most six digits are read as the printed page number.
    if (parsed.page < 0 || parsed.page > 999999) std::abort();
    if (parsed.level < -1) std::abort();
    // The title goes into a bookmark and the contents list as text.
    if (!IsUtf8(parsed.title)) std::abort();
  }

  // The engine hands the recognisers well-formed UTF-8 (it converts the
  // PDF's own text encodings); the title reader above takes any bytes.
  if (!IsUtf8(text)) return 0;
  const TextPages pages(text);
  vellumark::platform::NullStatusSink status;
  vellumark::bookmarks::HeadingList list;
  const int frontPages = vellumark::bookmarks::ReadContentsPage(pages, list, delimiter, status);
  if (frontPages < 1 || frontPages > pages.GetNumPages() + 1) std::abort();
  vellumark::bookmarks::ScanHeadings(pages, list, status);
  for (const auto& heading : list) {
    if (!IsUtf8(heading.title)) std::abort();
  }
  return 0;
}
