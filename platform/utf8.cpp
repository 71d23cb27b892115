#include "platform/utf8.h"

namespace vellumark::platform {

namespace {

constexpr char32_t kReplacement = U'\uFFFD';

void AppendUtf8(std::string& out, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::u32string ToU32(const std::string& utf8) {
  std::u32string out;
  out.reserve(utf8.size());
  const std::size_t size = utf8.size();
  std::size_t i = 0;
  // Each round consumes at least one byte, so the loop ends after at most
  // size rounds. A byte that does not start a well-formed sequence becomes one
  // U+FFFD and decoding resumes at the next byte: page text from a damaged
  // PDF must never stop the heading recognition.
  while (i < size) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    int extra = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
      out += static_cast<char32_t>(lead);
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1; c = lead & 0x1F; minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2; c = lead & 0x0F; minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3; c = lead & 0x07; minimum = 0x10000;
    } else {
      out += kReplacement;
      ++i;
      continue;
    }
    bool wellFormed = i + static_cast<std::size_t>(extra) < size;
    for (int k = 1; wellFormed && k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
      if ((next & 0xC0) != 0x80) {
        wellFormed = false;
      } else {
        c = (c << 6) | (next & 0x3F);
      }
    }
    // Overlong forms, surrogates and values past U+10FFFF are not characters.
    if (wellFormed && (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) wellFormed = false;
    if (wellFormed) {
      out += c;
      i += static_cast<std::size_t>(extra) + 1;
    } else {
      out += kReplacement;
      ++i;
    }
  }
  return out;
}

std::string ToUtf8(const std::u32string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char32_t c : text) AppendUtf8(out, c);
  return out;
}

}  // namespace vellumark::platform
