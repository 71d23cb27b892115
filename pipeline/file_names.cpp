#include "pipeline/file_names.h"

#include <charconv>
#include <system_error>
#include <vector>

#include "pipeline/status_texts.h"
#include "platform/decimal.h"
#include "platform/error.h"
#include "platform/folders.h"

namespace vellumark::pipeline {

namespace fs = std::filesystem;

namespace {

// Drops the last `count` characters of UTF-8 text. Counting characters, not
// bytes, matters for names such as "報告書pdf" where the character before the
// extension is multi-byte.
std::string DropLastCharacters(const std::string& text, int count) {
  std::size_t end = text.size();
  for (int dropped = 0; dropped < count && end > 0; ++dropped) {
    --end;
    // Step back over continuation bytes (10xxxxxx) to the character's start;
    // a character is at most four bytes, and `end` bounds the walk anyway.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  }
  return text.substr(0, end);
}

}  // namespace

std::string GetFileNamePart(const std::string& text, const std::string& delimiter) {
  if (delimiter.empty()) return text;
  const auto at = text.rfind(delimiter);
  if (at == std::string::npos) return text;
  return text.substr(at + delimiter.size());
}

std::string FileNameForStatus(const fs::path& path) {
  return GetFileNamePart(platform::PathToUtf8(path), platform::NativeSeparator());
}

fs::path OutputPathFor(const fs::path& parentPath) {
  // A parent without a folder part leaves the output folder relative to the
  // current folder, like the path it was given.
  return parentPath.parent_path() / platform::PathFromUtf8(kOutputFolderName) / parentPath.filename();
}

fs::path PartFileName(const fs::path& outputPath, int partNumber) {
  std::string number = platform::Decimal(partNumber);
  if (number.size() < 3) number.insert(0, 3 - number.size(), '0');
  // The four characters that go are the file name's own: a name without an
  // extension ("pdf") must not lose the separator and write its parts
  // beside the output folder, and one that would be left empty keeps
  // itself whole, so its parts still carry its name.
  std::string name = DropLastCharacters(platform::PathToUtf8(outputPath.filename()), 4);
  if (name.empty()) name = platform::PathToUtf8(outputPath.filename());
  return outputPath.parent_path() / platform::PathFromUtf8(name + kPartSeparator + number + kPartExtension);
}

void BackUpExistingFile(const fs::path& path) {
  std::error_code ec;
  if (!fs::exists(path, ec)) return;
  const fs::path backup = platform::PathFromUtf8(DropLastCharacters(platform::PathToUtf8(path), 3) + kBackupSuffix);
  // One backup per name: the older one goes first, so the rename cannot
  // fail on an existing target on systems whose rename refuses to replace.
  fs::remove(backup, ec);
  fs::rename(path, backup, ec);
  if (ec) {
    throw platform::UserError(path, "以前のファイルをバックアップに名前変更できませんでした (" + ec.message() + ")");
  }
}

int SetAsideEarlierParts(const fs::path& outputPath) {
  // Part names of this output differ only in their number: the name of
  // part 0 without its "000.PDF" is what they all begin with.
  const std::string zero = platform::PathToUtf8(PartFileName(outputPath, 0).filename());
  const std::string prefix = zero.substr(0, zero.size() - 3 - std::string(kPartExtension).size());
  std::error_code ec;
  fs::directory_iterator it(outputPath.parent_path(), ec);
  if (ec) return 0;
  std::vector<fs::path> earlier;
  int seen = 0;
  for (; it != fs::directory_iterator() && seen < kMaxOutputFolderEntries; it.increment(ec), ++seen) {
    if (ec) break;
    const std::string name = platform::PathToUtf8(it->path().filename());
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
    int number = 0;
    const char* first = name.data() + prefix.size();
    const auto [rest, parsed] = std::from_chars(first, name.data() + name.size(), number);
    if (parsed != std::errc() || number < 1 || rest == first) continue;
    // Only a name this output's parts really take ("_007.PDF", never
    // "_7.PDF" or "_007.pdf"): another parent's files are not touched.
    if (PartFileName(outputPath, number).filename() != it->path().filename()) continue;
    earlier.push_back(it->path());
  }
  for (const fs::path& part : earlier) BackUpExistingFile(part);
  return static_cast<int>(earlier.size());
}

}  // namespace vellumark::pipeline
