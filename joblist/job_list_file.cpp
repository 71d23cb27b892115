#include "joblist/job_list_file.h"

#include <charconv>
#include <cstddef>

#include "joblist/job_line.h"
#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/file_io.h"

namespace vellumark::joblist {

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char kNotAPdfField[] = "は PDF ファイルの名前ではありません（名前にタブ文字を含むファイルは使えません）";

std::string LineNumber(std::size_t index) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, index + 1);
  return std::string(digits, result.ptr);
}

}  // namespace

void SaveJobListFile(const std::filesystem::path& path, const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) {
    try {
      bytes += platform::Utf8ToCp932(line);
    } catch (const platform::UserError& error) {
      // The code page names the text and the character; this adds the file.
      throw platform::UserError(path, error.reason());
    }
    bytes += kLineEnd;
  }
  // A batch killed while saving its list left a temporary file beside it;
  // the next save is the moment to take it away.
  platform::RemoveLeftOverTemporaries(path.parent_path());
  platform::WriteAtomically(path, bytes);
}

std::vector<std::string> LoadJobListFile(const std::filesystem::path& path) {
  const std::string bytes = platform::ReadFileBytes(path);
  // Split the raw bytes: CP932 trail bytes are never CR or LF, so a line end
  // found here is a real one, and each line can be decoded (and blamed) alone.
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
    try {
      lines.push_back(platform::Cp932ToUtf8(raw[i]));
    } catch (const platform::UserError& error) {
      throw platform::UserError(path, LineNumber(i) + " 行目: " + error.reason());
    }
    // A TAB separates the files of a line, so every field must be a PDF
    // name: a field that is not is what is left of a name that held a TAB
    // itself, and converting the pieces would convert the wrong files.
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

void SaveOrLoadJobList(int mode, const std::filesystem::path& path, JobListModel& list) {
  switch (mode) {
    case 0:
      SaveJobListFile(path, list.jobs());
      break;
    case 1:
      // The file is read in full before the list changes: a file that cannot
      // be read must not cost the user the jobs already in the window.
      list.SetJobs(LoadJobListFile(path));
      break;
    default:
      break;
  }
}

}  // namespace vellumark::joblist
