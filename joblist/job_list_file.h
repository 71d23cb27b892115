#pragma once
// "SaveList.txt" / "SaveList.tmp": one job line per text line, CR LF after
// every line (empty list = 0 bytes), CP932; a list CP932 cannot carry is
// UTF-8 behind a byte order mark.
#include <filesystem>
#include <string>
#include <vector>

namespace vellumark::joblist {

// Writes through a temporary file beside `path` and renames it into place,
// so a failed save never loses the previous file. Throws UserError.
void SaveJobListFile(const std::filesystem::path& path, const std::vector<std::string>& lines);

// Lines end at CR or CR LF; a lone LF stays in the line; a last line without
// a line end is kept. A file starting with the UTF-8 byte order mark is read
// as UTF-8, any other as CP932. Throws UserError (missing, unreadable, not
// text in its encoding).
std::vector<std::string> LoadJobListFile(const std::filesystem::path& path);

}  // namespace vellumark::joblist
