#pragma once
// "SaveList.txt" / "SaveList.tmp": one job line per text line, CR LF after
// every line (empty list = 0 bytes), CP932; a list CP932 cannot carry (or
// whose CP932 bytes would read as UTF-8) is UTF-8 behind a byte order mark.
// Lists written by hand may also be UTF-8 without the mark, with LF line
// ends.
#include <filesystem>
#include <string>
#include <vector>

namespace vellumark::joblist {

// Writes through a temporary file beside `path` and renames it into place,
// so a failed save never loses the previous file. Throws UserError.
void SaveJobListFile(const std::filesystem::path& path, const std::vector<std::string>& lines);

// Lines end at CR LF, CR or LF; a last line without a line end is kept;
// blank lines (nothing but spaces and TABs) are passed over, and TABs at the
// end of a line dropped. A file starting with the UTF-8 byte order mark is
// read as UTF-8, so is one that is valid UTF-8 with at least one non-ASCII
// character; any other as CP932. Throws UserError (missing, unreadable, not
// text in its encoding), naming the line as counted in the file.
std::vector<std::string> LoadJobListFile(const std::filesystem::path& path);

}  // namespace vellumark::joblist
