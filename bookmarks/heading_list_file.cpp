#include "bookmarks/heading_list_file.h"

#include <charconv>
#include <string_view>
#include <system_error>

#include "platform/decimal.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/folders.h"
#include "platform/utf8.h"

namespace vellumark::bookmarks {

namespace {

constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";
constexpr char kIdeographicSpace[] = "\xE3\x80\x80";

// Well-formed UTF-8: decoding turns any malformed sequence into U+FFFD, so
// the text survives the round trip only when it had none.
bool IsValidUtf8(const std::string& text) { return platform::ToUtf8(platform::ToU32(text)) == text; }

// Nothing but spaces, half- or full-width: an editor's leftover, not a line
// the user meant as an entry, nor a title a bookmark could show.
bool IsBlank(std::string_view text) {
  while (!text.empty()) {
    if (text.front() == ' ') {
      text.remove_prefix(1);
    } else if (text.rfind(kIdeographicSpace, 0) == 0) {
      text.remove_prefix(sizeof kIdeographicSpace - 1);
    } else {
      return false;
    }
  }
  return true;
}

bool HasControlCharacter(std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return true;
  }
  return false;
}

// One entry line (line end taken off); throws with `reason` on the first
// rule it breaks.
Heading ParseEntry(std::string_view line, const std::filesystem::path& file, std::size_t lineNumber) {
  const auto fail = [&](const char* reason) {
    return platform::UserError(
        file, kLineUnreadablePrefix + platform::Decimal(lineNumber) + kLineUnreadableSuffix + reason);
  };
  if (!IsValidUtf8(std::string(line))) throw fail(kNotUtf8);
  std::size_t tabs = 0;
  while (tabs < line.size() && line[tabs] == '\t') ++tabs;
  if (tabs > static_cast<std::size_t>(Heading::kItem)) throw fail(kTooManyTabs);
  line.remove_prefix(tabs);
  // The page follows the last TAB; a TAB left in the title would make the
  // line mean something else than it shows.
  const std::size_t separator = line.rfind('\t');
  if (separator == std::string_view::npos) throw fail(kNoPage);
  const std::string_view title = line.substr(0, separator);
  const std::string_view digits = line.substr(separator + 1);
  if (title.empty() || IsBlank(title)) throw fail(kNoTitle);
  if (HasControlCharacter(title)) throw fail(kControlInTitle);
  long long page = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), page);
  // from_chars takes a leading minus; a page also needs to be a whole field
  // of digits within the values the bookmark arithmetic is made for.
  if (digits.empty() || digits.front() == '-' || error != std::errc() || end != digits.data() + digits.size() ||
      page < 1 || page > kPageValueLimit) {
    throw fail(kBadPage);
  }
  return MakeHeading(static_cast<int>(tabs), std::string(title), page);
}

}  // namespace

std::filesystem::path HeadingListFilePath(const std::filesystem::path& parentPath) {
  std::filesystem::path name = parentPath.filename();
  name.replace_extension();
  return parentPath.parent_path() / platform::PathFromUtf8(platform::PathToUtf8(name) + kHeadingListFileSuffix);
}

std::string HeadingListText(const HeadingList& list) {
  std::string text;
  for (const Heading& heading : list) {
    text += EntryText(heading);
    text += '\n';
  }
  return text;
}

HeadingList ParseHeadingListText(const std::string& text, const std::filesystem::path& file) {
  std::string_view rest = text;
  if (rest.rfind(kUtf8ByteOrderMark, 0) == 0) rest.remove_prefix(sizeof kUtf8ByteOrderMark - 1);
  HeadingList list;
  // Each pass takes one line off `rest`, so the loop ends with the text.
  for (std::size_t lineNumber = 1; !rest.empty(); ++lineNumber) {
    const std::size_t lineEnd = rest.find('\n');
    std::string_view line = rest.substr(0, lineEnd);
    rest.remove_prefix(lineEnd == std::string_view::npos ? rest.size() : lineEnd + 1);
    // Windows editors end lines in CR LF.
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (IsBlank(line)) continue;
    list.push_back(ParseEntry(line, file, lineNumber));
  }
  // An empty file is what a failed `vellumark-cli headings … > file` leaves:
  // taking it as "no headings" would quietly lose every bookmark.
  if (list.empty()) throw platform::UserError(file, kHeadingListEmpty);
  return list;
}

HeadingList ReadHeadingListFile(const std::filesystem::path& path) {
  const std::string bytes = platform::ReadFileBytes(path, kMaxHeadingListFileBytes + 1);
  if (bytes.size() > kMaxHeadingListFileBytes) throw platform::UserError(path, kHeadingListTooLarge);
  return ParseHeadingListText(bytes, path);
}

void WriteHeadingListFile(const std::filesystem::path& path, const HeadingList& list) {
  platform::WriteAtomically(path, HeadingListText(list));
}

}  // namespace vellumark::bookmarks
