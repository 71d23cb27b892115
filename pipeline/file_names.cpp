#include "pipeline/file_names.h"

#include <charconv>
#include <system_error>

#include "pipeline/status_texts.h"
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
  char digits[16];
  const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, partNumber);
  std::string number(digits, ec == std::errc() ? end : digits);
  if (number.size() < 3) number.insert(0, 3 - number.size(), '0');
  const std::string base = DropLastCharacters(platform::PathToUtf8(outputPath), 4);
  return platform::PathFromUtf8(base + kPartSeparator + number + kPartExtension);
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

}  // namespace vellumark::pipeline
