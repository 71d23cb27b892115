#include "joblist/job_list_file.h"

#include <algorithm>
#include <cstddef>

#include "joblist/job_line.h"
#include "platform/codepage.h"
#include "platform/decimal.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/narrow.h"

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

}  // namespace

void SaveJobListFile(const std::filesystem::path& path, const std::vector<std::string>& lines) {
  // CP932 is what other copies of the program and the user's tools read; a
  // list that CP932 cannot carry (a dropped "café.pdf") is written in UTF-8
  // with a byte order mark instead, so that one such name does not stop the
  // whole batch at its first list-file write.
  std::string bytes;
  try {
    bytes = EncodeCp932Lines(lines);
  } catch (const platform::UserError& cp932Error) {
    if (!AllValidUtf8(lines)) {
      // Not even UTF-8 could hold the text; the code page names the text and
      // the character, this adds the file.
      throw platform::UserError(path, cp932Error.reason());
    }
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
  const bool utf8 = bytes.rfind(kUtf8ByteOrderMark, 0) == 0;
  if (utf8) bytes.erase(0, sizeof kUtf8ByteOrderMark - 1);
  // Split the raw bytes: neither CP932 trail bytes nor UTF-8 continuation
  // bytes are ever CR or LF, so a line end found here is a real one, and
  // each line can be decoded (and blamed) alone.
  std::vector<std::string> raw;
  std::string current;
  bool pending = false;  // bytes seen since the last line end
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r') {
      raw.push_back(std::move(current));
      current.clear();
      pending = false;
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;  // CR LF is one line end
    } else {
      // A lone LF is text, not a line end.
      current += bytes[i];
      pending = true;
    }
  }
  if (pending) raw.push_back(std::move(current));  // last line without a line end

  std::vector<std::string> lines;
  lines.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (utf8) {
      if (!IsValidUtf8(raw[i])) {
        throw platform::UserError(path, LineNumber(i) + " 行目: UTF-8 の文字として読めないバイトがあります");
      }
      lines.push_back(std::move(raw[i]));
    } else {
      try {
        lines.push_back(platform::Cp932ToUtf8(raw[i]));
      } catch (const platform::UserError& error) {
        throw platform::UserError(path, LineNumber(i) + " 行目: " + error.reason());
      }
    }
    // Whatever the encoding: a TAB separates the files of a line, so every
    // field must be a PDF name: a field that is not is what is left of a name
    // that held a TAB itself, and converting the pieces would convert the
    // wrong files.
    const std::string& line = lines.back();
    if (line.find('\t') == std::string::npos) continue;
    const Job job = SplitJobLine(line);
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
