#pragma once
// Names of the output files: the one-file output beside the parent, the
// numbered part files, their backups, and the bare file name shown in status
// texts.
#include <filesystem>
#include <string>

namespace vellumark::pipeline {

// The text after the last occurrence of `delimiter`; all of `text` when it
// does not occur (or the delimiter is empty).
std::string GetFileNamePart(const std::string& text, const std::string& delimiter);

// The bare file name of a path, as the status texts show it.
std::string FileNameForStatus(const std::filesystem::path& path);

// "<parent folder>/変換済み/<parent file name>".
std::filesystem::path OutputPathFor(const std::filesystem::path& parentPath);

// `outputPath` without its last four characters (the extension and its
// dot), "_", the number with at least three digits, ".PDF".
std::filesystem::path PartFileName(const std::filesystem::path& outputPath, int partNumber);

// When `path` exists it becomes the backup: its last three characters are
// replaced by "bak", an older backup of that name is replaced. Throws
// UserError when the rename fails.
void BackUpExistingFile(const std::filesystem::path& path);

}  // namespace vellumark::pipeline
