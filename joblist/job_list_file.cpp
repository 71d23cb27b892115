#include "joblist/job_list_file.h"

#include <algorithm>
#include <cstddef>

#include "joblist/job_line.h"
#include "platform/codepage.h"
#include "platform/decimal.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/utf8.h"

namespace vellumark::joblist {

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char kNotAPdfField[] = "は PDF ファイルの名前ではありません（名前にタブ文字を含むファイルは使えません）";
constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

std::string LineNumber(std::size_t index) { return platform::Decimal(index + 1); }

// The list as CP932 bytes; throws UserError at the first character CP932
// cannot carry.
std::string EncodeCp932Lines(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) {
    bytes += platform::Utf8ToCp932(line);
    bytes += kLineEnd;
  }
  return bytes;
}

// Well-formed UTF-8: decoding turns any malformed sequence into U+FFFD, so
// the text survives the round trip only when it had none.
bool IsValidUtf8(const std::string& text) { return platform::ToUtf8(platform::ToU32(text)) == text; }

bool AllValidUtf8(const std::vector<std::string>& lines) {
  return std::all_of(lines.begin(), lines.end(), IsValidUtf8);
}

// A list without a byte order mark that is valid UTF-8 and has at least one
// multi-byte character was written as UTF-8 (an editor on Linux): Japanese
// CP932 text almost never forms valid UTF-8 throughout, so reading it as
// CP932 would only garble it. Plain ASCII reads the same either way.
bool LooksLikeUtf8(const std::string& bytes) {
  const bool multiByte =
      std::any_of(bytes.begin(), bytes.end(), [](char c) { return (static_cast<unsigned char>(c) & 0x80) != 0; });
  return multiByte && IsValidUtf8(bytes);
}

// Nothing but TABs and spaces: a line an editor left, not a job.
bool IsBlankLine(const std::string& line) { return line.find_first_not_of(" \t") == std::string::npos; }

}  // namespace

void SaveJobListFile(const std::filesystem::path& path, const std::vector<std::string>& lines) {
  // CP932 is what other copies of the program and the user's tools read; a
  // list that CP932 cannot carry (a dropped "café.pdf") is written in UTF-8
  // with a byte order mark instead, so that one such name does not stop the
  // whole batch at its first list-file write.
  std::string bytes;
  bool asCp932 = true;
  try {
    bytes = EncodeCp932Lines(lines);
  } catch (const platform::UserError& cp932Error) {
    if (!AllValidUtf8(lines)) {
      // Not even UTF-8 could hold the text; the code page names the text and
      // the character, this adds the file.
      throw platform::UserError(path, cp932Error.reason());
    }
    asCp932 = false;
  }
  // The rare CP932 list whose bytes also read as UTF-8 (the CP932 of "蝣ｱ"
  // is the UTF-8 of "報") would be read back as that UTF-8; behind the byte
  // order mark it stays what it is.
  if (!asCp932 || LooksLikeUtf8(bytes)) {
    bytes = kUtf8ByteOrderMark;
    for (const std::string& line : lines) bytes += line + kLineEnd;
  }
  // A batch killed while saving its list left a temporary file beside it;
  // the next save is the moment to take it away.
  platform::RemoveLeftOverTemporaries(path.parent_path());
  platform::WriteAtomically(path, bytes);
}

std::vector<std::string> LoadJobListFile(const std::filesystem::path& path) {
  std::string bytes = platform::ReadFileBytes(path);
  // CP932 has no character with the lead byte 0xEF, so a file starting with
  // the UTF-8 byte order mark cannot be a CP932 list.
  const bool byteOrderMark = bytes.rfind(kUtf8ByteOrderMark, 0) == 0;
  if (byteOrderMark) bytes.erase(0, sizeof kUtf8ByteOrderMark - 1);
  const bool utf8 = byteOrderMark || LooksLikeUtf8(bytes);
  // Split the raw bytes: neither CP932 trail bytes nor UTF-8 continuation
  // bytes are ever CR or LF, so a line end found here is a real one, and
  // each line can be decoded (and blamed) alone. CR LF, CR and LF each end a
  // line: the program writes CR LF, editors on Linux LF.
  std::vector<std::string> raw;
  std::string current;
  bool pending = false;  // bytes seen since the last line end
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' || bytes[i] == '\n') {
      raw.push_back(std::move(current));
      current.clear();
      pending = false;
      if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;  // CR LF is one line end
    } else {
      current += bytes[i];
      pending = true;
    }
  }
  if (pending) raw.push_back(std::move(current));  // last line without a line end

  std::vector<std::string> lines;
  lines.reserve(raw.size());
  // `i` counts the lines of the file, blank ones too, so a message names the
  // line the user sees in an editor.
  for (std::size_t i = 0; i < raw.size(); ++i) {
    std::string line;
    if (utf8) {
      if (!IsValidUtf8(raw[i])) {
        throw platform::UserError(path, LineNumber(i) + " 行目: UTF-8 の文字として読めないバイトがあります");
      }
      line = std::move(raw[i]);
    } else {
      try {
        line = platform::Cp932ToUtf8(raw[i]);
      } catch (const platform::UserError& error) {
        throw platform::UserError(path, LineNumber(i) + " 行目: " + error.reason());
      }
    }
    // A list typed by hand: blank lines between or after the jobs and a TAB
    // left after the last file mean no job and no further file. (The program
    // itself writes neither.)
    if (IsBlankLine(line)) continue;
    line.erase(line.find_last_not_of('\t') + 1);
    lines.push_back(std::move(line));
    // Whatever the encoding: a TAB separates the files of a line, so every
    // field must be a PDF name: a field that is not is what is left of a name
    // that held a TAB itself, and converting the pieces would convert the
    // wrong files.
    if (lines.back().find('\t') == std::string::npos) continue;
    const Job job = SplitJobLine(lines.back());
    std::vector<std::string> fields = job.children;
    fields.insert(fields.begin(), job.parent);
    for (const std::string& field : fields) {
      if (!IsPdfPath(field)) {
        throw platform::UserError(path, LineNumber(i) + " 行目: 「" + field + "」" + kNotAPdfField);
      }
    }
  }
  return lines;
}

}  // namespace vellumark::joblist
